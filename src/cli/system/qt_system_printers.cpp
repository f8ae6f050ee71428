#include "cli/system/qt_system_printers.h"

#include <QPrinter>

#include "gfx/print/system/qt_printer.h"

namespace vr {

namespace {

// The printer lives as long as the device that prints to it, and is made before it.
struct PrinterHolder {
    std::unique_ptr<QPrinter> printer;
};

class QueueDevice : private PrinterHolder, public QtPrinterDevice {
public:
    QueueDevice(std::unique_ptr<QPrinter> p, int dpi) : PrinterHolder{std::move(p)}, QtPrinterDevice(*printer, dpi) {}
};

}  // namespace

std::vector<std::string> QtSystemPrinters::names() const
{
    return systemPrinterNames();
}

std::unique_ptr<PrinterDevice> QtSystemPrinters::open(const std::string& name, int dpi)
{
    auto printer = makeSystemPrinter(name);
    if (!printer)
        return nullptr;
    return std::make_unique<QueueDevice>(std::move(printer), dpi);
}

}  // namespace vr
