// The printer device over Qt's printing: sheets drawn on the raster canvas go to a QPrinter (a
// CUPS queue or a PDF file), one printed page per sheet, one sheet pixel per device dot.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <QPrinter>

#include "gfx/print/printer.h"

class QPainter;

namespace vr {

// A sheet printer over a QPrinter that the caller owns and that outlives the device. The page
// layout is read from the QPrinter each time it is needed, so that a print dialog run on the same
// QPrinter between jobs is taken into account: orientation is the page layout's, the printable
// area its paint rectangle. Each job sets the QPrinter's resolution to the device's.
//
// Sheets are sent exact (lossless images, never JPEG) and as cheaply as the content allows:
// black and white as one 1-bit image; pixels of other colours, by bands of rows, as 8-bit grey
// or RGB images over it. Errors opening or closing the job throw VError("Cannot print to
// <output file or printer name>"). Qt's PDF and CUPS engines cannot abort a job: an aborted job
// to a PDF file removes the file; one to a CUPS queue still sends the sheets drawn before it.
class QtPrinterDevice : public SheetPrinter {
public:
    QtPrinterDevice(QPrinter& printer, int dpi);
    ~QtPrinterDevice() override;

    PaperOrientation orientation() const override;
    void setOrientation(PaperOrientation o) override;

protected:
    QSizeF areaMM() const override;
    void startJob() override;
    void emitSheet(QImage& sheet) override;
    void finishJob() override;
    void abortJob() override;

private:
    std::string target() const;
    void drawBand(const QImage& sheet, const SheetContent::Band& band);

    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
    std::vector<uchar> bits_;
};

// A PDF file printer: A4 portrait, the whole page printable (no margins), creator "Velmora Reader".
// The window prints its PDF files through it (the print dialog edits a QPrinter); the command line
// writes its own with PdfSheetPrinter.
std::unique_ptr<QPrinter> makePdfPrinter(const std::string& path);

// The named system (CUPS) printer, or the default one for an empty name; nullptr when there is no
// such printer or none is installed.
std::unique_ptr<QPrinter> makeSystemPrinter(const std::string& name);

// Names of the installed system printers.
std::vector<std::string> systemPrinterNames();

}  // namespace vr
