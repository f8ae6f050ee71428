// velmora-reader: the window, or a command-line run (render, dump) with no window.
#include <QGuiApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui_main.h"
#include "cli/cli.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string usageError;
    const auto cmd = vr::parseCommandLine(args, usageError);
    if (!cmd) {
        std::cerr << "velmora-reader: " << usageError << "\n\n" << vr::usageText();
        return vr::kExitUsage;
    }
    if (cmd->mode == vr::CommandLine::Mode::Window)
        return vr::runGui(argc, argv, cmd->file);
    // The convert command's main process only hands documents to its workers.
    if (cmd->mode == vr::CommandLine::Mode::Help || cmd->mode == vr::CommandLine::Mode::Version ||
        cmd->mode == vr::CommandLine::Mode::Convert)
        return vr::runCommand(*cmd, std::cout, std::cerr);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A command-line run has no session: the platform's note about a missing runtime folder is
    // not for the user, nor are the media back end's warnings about the sound devices it looked
    // for (a clip that cannot be opened is reported by the reader); everything else Qt says still
    // reaches stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
        const bool media = type == QtWarningMsg &&
            ((ctx.category && qstrncmp(ctx.category, "qt.multimedia", 13) == 0) ||
             msg.startsWith(QLatin1String("PulseAudioService:")));
        if (!media && !msg.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
            std::cerr << qPrintable(qFormatLogMessage(type, ctx, msg)) << '\n';
    });
    QGuiApplication app(argc, argv);
    return vr::runCommand(*cmd, std::cout, std::cerr);
}
