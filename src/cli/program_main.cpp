#include "cli/program_main.h"

#include <QGuiApplication>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/terminal_messages.h"

namespace vr {

int programMain(int argc, char** argv, const ProgramRoles& roles)
{
    // Every message on standard error says whose it is.
    PrefixedStream errors(std::cerr, "velmora-reader: ");
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string usageError;
    const auto cmd = parseCommandLine(args, usageError);
    if (!cmd) {
        std::cerr << usageError << '\n';
        errors.raw() << '\n' << usageText();
        return kExitUsage;
    }
    // The convert command's main process only hands documents to its workers.
    if (cmd->mode == CommandLine::Mode::Help || cmd->mode == CommandLine::Mode::Version ||
        cmd->mode == CommandLine::Mode::Convert)
        return runCommand(*cmd, std::cout, std::cerr);
    installQtMessageFilter(cmd->verbose);
    if (cmd->mode == CommandLine::Mode::Window ||
        (cmd->mode == CommandLine::Mode::Print && cmd->output.empty() && !roles.printers))
        return roles.window(*cmd, argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int status = runCommand(*cmd, std::cout, std::cerr, roles.printers);
#if !defined(__SANITIZE_ADDRESS__) && !defined(VR_SANITIZE)
    // The command's files are written and closed: what is left is taking down Qt, the font
    // caches and every library one by one, a few milliseconds the kernel does at once. (Builds
    // with the sanitizers go the long way, so that their leak check runs.)
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(status);
#else
    return status;
#endif
}

}  // namespace vr
