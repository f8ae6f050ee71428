#include "app/printer_page.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace vr {

std::optional<PrinterPage> defaultPrinterPage()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return std::nullopt;
    QPrinter printer(info, QPrinter::ScreenResolution);
    const QPageLayout layout = printer.pageLayout();
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    PrinterPage page;
    page.landscape = layout.orientation() == QPageLayout::Landscape;
    // The device reports its printable area in whole millimetres.
    page.horzSizeMM = static_cast<int>(std::lround(area.width()));
    page.vertSizeMM = static_cast<int>(std::lround(area.height()));
    return page;
}

} // namespace vr
