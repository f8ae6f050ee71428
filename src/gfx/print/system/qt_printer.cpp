#include "gfx/print/system/qt_printer.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

#include "core/errors.h"

namespace vr {

// How Qt's PDF engine (which CUPS printing goes through as well) embeds an image, as measured on
// Qt 6.4: a Format_Mono image whose colour table is {black, white} goes as a 1-bit DeviceGray
// image, deflated; every other format is converted to 32-bit and goes as 8-bit DeviceRGB (or
// DeviceGray when the engine's colour mode is grey scale, Format_Grayscale8 included), deflated,
// with a soft mask buffer built alongside, unless LosslessImageRendering is off, when it goes as
// JPEG. Deflating is most of the cost, about 3 bytes a pixel for RGB, 1 for grey and 1/8 for
// black and white. Hence: one 1-bit image of the sheet, then only the rows holding other pixels,
// cropped to them, as grey or RGB images laid over it at the same dots.

QtPrinterDevice::QtPrinterDevice(QPrinter& printer, int dpi) : SheetPrinter(dpi), printer_(printer) { }

QtPrinterDevice::~QtPrinterDevice()
{
    if (printing())
        abort();
}

PaperOrientation QtPrinterDevice::orientation() const
{
    return printer_.pageLayout().orientation() == QPageLayout::Landscape ? PaperOrientation::Landscape
                                                                         : PaperOrientation::Portrait;
}

void QtPrinterDevice::setOrientation(PaperOrientation o)
{
    printer_.setPageOrientation(o == PaperOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

QSizeF QtPrinterDevice::areaMM() const
{
    return printer_.pageLayout().paintRect(QPageLayout::Millimeter).size();
}

std::string QtPrinterDevice::target() const
{
    const QString file = printer_.outputFileName();
    return (file.isEmpty() ? printer_.printerName() : file).toStdString();
}

void QtPrinterDevice::startJob()
{
    printer_.setResolution(logPixelsX());
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(&printer_)) {
        painter_.reset();
        throw VError("Cannot print to " + target());
    }
    // Never JPEG: sheets go exact.
    painter_->setRenderHint(QPainter::LosslessImageRendering, true);
}

void QtPrinterDevice::emitSheet(QImage& sheet)
{
    if (!painter_)
        throw VError("Cannot print to " + target());
    // The engine starts the first page itself; each further sheet gets a new page before it is
    // drawn, so that the last one is not followed by an empty page.
    if (sheetsEmitted() > 0 && !printer_.newPage())
        throw VError("Cannot print to " + target());
    const SheetContent content = scanSheet(sheet, bits_);
    if (content.anyBlack) {
        // A new QImage over the reused bits: a new cache key, so the engine never takes it for
        // the previous sheet's image.
        QImage mono(bits_.data(), sheet.width(), sheet.height(), content.bytesPerLine, QImage::Format_Mono);
        mono.setColorTable({0xFF000000u, 0xFFFFFFFFu});
        painter_->drawImage(QPoint(0, 0), mono);
    }
    for (const SheetContent::Band& band : content.bands)
        drawBand(sheet, band);
}

void QtPrinterDevice::drawBand(const QImage& sheet, const SheetContent::Band& band)
{
    // A view of the band inside the sheet, no copy.
    const QRect& r = band.rect;
    const uchar* first = sheet.constBits() + static_cast<qsizetype>(r.top()) * sheet.bytesPerLine() +
        static_cast<qsizetype>(r.left()) * 4;
    const QImage view(first, r.width(), r.height(), sheet.bytesPerLine(), QImage::Format_RGB32);
    // Greys go as 8-bit grey, the engine's grey scale mode for the one image (exact for red =
    // green = blue), then back to the mode the job had.
    QPrintEngine* engine = printer_.printEngine();
    const bool toGrey =
        band.greyOnly && engine != nullptr && engine->property(QPrintEngine::PPK_ColorMode).toInt() == QPrinter::Color;
    if (toGrey)
        engine->setProperty(QPrintEngine::PPK_ColorMode, QPrinter::GrayScale);
    painter_->drawImage(r.topLeft(), view);
    if (toGrey)
        engine->setProperty(QPrintEngine::PPK_ColorMode, QPrinter::Color);
}

void QtPrinterDevice::finishJob()
{
    std::unique_ptr<QPainter> painter = std::move(painter_);
    if (painter && !painter->end())
        throw VError("Cannot print to " + target());
    if (printer_.printerState() == QPrinter::Error)
        throw VError("Cannot print to " + target());
}

void QtPrinterDevice::abortJob()
{
    std::unique_ptr<QPainter> painter = std::move(painter_);
    if (!painter)
        return;
    const bool aborted = printer_.abort();
    painter->end();
    // Qt's PDF engine cannot abort: what was drawn has been written out. An aborted PDF file is
    // not a document.
    if (!aborted && printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty())
        QFile::remove(printer_.outputFileName());
}

std::unique_ptr<QPrinter> makePdfPrinter(const std::string& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(path));
    printer->setCreator(QStringLiteral("Velmora Reader"));
    printer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer->setFullPage(true);
    return printer;
}

std::unique_ptr<QPrinter> makeSystemPrinter(const std::string& name)
{
    const QPrinterInfo info =
        name.empty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(QString::fromStdString(name));
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (printer->outputFormat() != QPrinter::NativeFormat || !printer->isValid())
        return nullptr;
    // The printable area is what the printer can reach, not Qt's default margins: sheets then
    // start at the same place on paper as they did on the documents' platform.
    printer->setPageMargins(printer->pageLayout().minimumMargins(), printer->pageLayout().units());
    return printer;
}

std::vector<std::string> systemPrinterNames()
{
    std::vector<std::string> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames())
        names.push_back(n.toStdString());
    return names;
}

}  // namespace vr
