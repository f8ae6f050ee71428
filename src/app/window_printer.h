// The printer the window's Print command uses: the default system printer, or a PDF file when
// the system has no printer at all. The device owns its QPrinter, which the print dialog edits.
#pragma once
#include <memory>
#include <string>

#include <QPrinter>

#include "gfx/print/system/qt_printer.h"

namespace vr {

// Sheets of the window's print jobs are drawn at this resolution.
inline constexpr int kWindowPrintDpi = 300;

namespace detail {
struct OwnedQPrinter {
    std::unique_ptr<QPrinter> owned;
};
}  // namespace detail

class WindowPrinter : private detail::OwnedQPrinter, public QtPrinterDevice {
public:
    explicit WindowPrinter(std::unique_ptr<QPrinter> printer, int dpi = kWindowPrintDpi);
    QPrinter& qprinter() { return *owned; }
};

// The default printer (or the first one installed when none is the default); with none installed, a PDF file named after the document (or
// "Velmora.pdf") in the user's documents folder.
std::unique_ptr<PrinterDevice> makeWindowPrinter(const std::string& docFileName);

}  // namespace vr
