// velmora-reader: the window, or a command-line run (render, print, dump, ...) with no window.
#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui_main.h"
#include "cli/cli.h"
#include "cli/terminal_messages.h"

int main(int argc, char** argv)
{
    // Every message on standard error says whose it is.
    vr::PrefixedStream errors(std::cerr, "velmora-reader: ");
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string usageError;
    const auto cmd = vr::parseCommandLine(args, usageError);
    if (!cmd) {
        std::cerr << usageError << '\n';
        errors.raw() << '\n' << vr::usageText();
        return vr::kExitUsage;
    }
    // The convert command's main process only hands documents to its workers.
    if (cmd->mode == vr::CommandLine::Mode::Help || cmd->mode == vr::CommandLine::Mode::Version ||
        cmd->mode == vr::CommandLine::Mode::Convert)
        return vr::runCommand(*cmd, std::cout, std::cerr);
    vr::installQtMessageFilter(cmd->verbose);
    if (cmd->mode == vr::CommandLine::Mode::Window)
        return vr::runGui(argc, argv, cmd->file);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return vr::runCommand(*cmd, std::cout, std::cerr);
}
