// The main function both programs share: velmora-reader (the command line) and
// velmora-reader-window (the whole program) differ only in what they do with the window.
#pragma once
#include <functional>

#include "cli/cli.h"

namespace vr {

class SystemPrinters;

struct ProgramRoles {
    // Runs the window, or a print job to a printer's queue when `printers` is null.
    std::function<int(const CommandLine&, int argc, char** argv)> window;
    // The printers' queues this program reaches, or null.
    SystemPrinters* printers = nullptr;
};

// Parses the arguments, prints usage errors, and runs the command: help, version and convert at
// once, the window through `roles`, the others under an offscreen QGuiApplication.
int programMain(int argc, char** argv, const ProgramRoles& roles);

}  // namespace vr
