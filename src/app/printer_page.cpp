#include "app/printer_page.h"

#include <QPageLayout>
#include <QPrinter>
#include <cmath>

#include "gfx/print/system/qt_printer.h"

namespace vr {

std::optional<PrinterPage> defaultPrinterPage()
{
    // The same printable area the Print command prints on.
    const std::unique_ptr<QPrinter> printer = makeSystemPrinter("");
    if (!printer)
        return std::nullopt;
    const QPageLayout layout = printer->pageLayout();
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    PrinterPage page;
    page.landscape = layout.orientation() == QPageLayout::Landscape;
    // The device reports its printable area in whole millimetres.
    page.horzSizeMM = static_cast<int>(std::lround(area.width()));
    page.vertSizeMM = static_cast<int>(std::lround(area.height()));
    return page;
}

}  // namespace vr
