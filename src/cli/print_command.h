// The print command: the window's Print command without the dialog, to a PDF file, PNG sheets or
// a printer's queue.
#pragma once
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace vr {

// Checks the print options and takes FILE [OUT] from the positional arguments.
std::optional<CommandLine> finishPrintCommand(CommandLine cmd, const std::vector<std::string>& positional,
                                              std::string& usageError);

// With no printer and no OUT the sheets go to STEM.pdf in the current folder, or to the first of
// STEM-1.pdf ... STEM-99.pdf that does not exist; nullopt when all do.
inline constexpr int kMaxNumberedPdf = 99;
std::optional<std::string> freePdfName(const std::string& stem);

class PrinterDevice;

// Printers' queues, for the program that reaches them (velmora-reader-window; the command-line
// program hands print jobs without OUT to it).
class SystemPrinters {
public:
    virtual ~SystemPrinters() = default;
    virtual std::vector<std::string> names() const = 0;
    // A device printing to the queue `name` (empty: the default one), or null when there is none.
    virtual std::unique_ptr<PrinterDevice> open(const std::string& name, int dpi) = 0;
};

// Prints as the command line asks; the exit status as for the other commands. Without OUT the
// sheets go to `printers` (null: the run cannot reach printers, and says so).
int printCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err, SystemPrinters* printers);

}  // namespace vr
