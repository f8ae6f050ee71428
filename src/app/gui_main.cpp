#include "app/gui_main.h"

#include <QApplication>
#include <QScreen>
#include <iostream>

#include "app/error_report.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/printer_page.h"
#include "app/qt_dialogs.h"
#include "app/startup.h"
#include "core/program_files.h"
#include "gfx/fonts/font_catalogue.h"

namespace vr {

bool displayReachable()
{
    // A platform chosen by hand (offscreen, a test's) is Qt's to start; otherwise an X or Wayland
    // display must be named.
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int runGui(int argc, char** argv, const std::string& documentArg)
{
    if (!displayReachable()) {
        std::cerr << "cannot open the window: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); render, "
                     "print, thumbnail, dump and trace work without one\n";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));
    // The desktop finds the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Reader"));
    QApplication::setWindowIcon(programIcons());

    const std::string programFolder = vr::programFolder().string() + "/";
    QtDialogs dialogs;
    Viewer viewer(&dialogs);
    viewer.commandLineDocument = documentArg;
    viewer.state.AppFolder = programFolder;
    // The suite's fonts shipped beside the program serve this run without being installed.
    FontCatalogue fonts;
    fonts.loadFontsIn(programFolder + "QVLFonts/");
    viewer.fonts = &fonts;
    TFSVELMORA window(viewer, dialogs, defaultPrinterPage);
    dialogs.setWindow(&window);

    StartUp startUp(viewer, dialogs, programFolder, userFontFolder());
    if (const int status = startUp.run(); status != 0)
        return status;

    // Without a window manager nothing maximizes the window: give it the screen first.
    if (const QScreen* screen = window.screen())
        window.setGeometry(screen->availableGeometry());
    window.showMaximized();
    return QApplication::exec();
}

}  // namespace vr
