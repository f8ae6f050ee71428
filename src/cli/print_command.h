// The print command: the window's Print command without the dialog, to a PDF file, PNG sheets or
// a printer's queue.
#pragma once
#include <iosfwd>
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

// Prints as the command line asks; the exit status as for the other commands.
int printCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err);

}  // namespace vr
