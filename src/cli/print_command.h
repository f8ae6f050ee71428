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

// Prints as the command line asks; the exit status as for the other commands.
int printCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err);

}  // namespace vr
