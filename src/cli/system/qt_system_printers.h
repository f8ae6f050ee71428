// The printers' queues of the system, through Qt's printer (CUPS here).
#pragma once
#include "cli/print_command.h"

namespace vr {

class QtSystemPrinters : public SystemPrinters {
public:
    std::vector<std::string> names() const override;
    std::unique_ptr<PrinterDevice> open(const std::string& name, int dpi) override;
};

}  // namespace vr
