#include "app/gui_main.h"

#include <QApplication>
#include <QScreen>

#include "app/error_report.h"
#include "app/main_window.h"
#include "app/printer_page.h"
#include "app/qt_dialogs.h"
#include "app/startup.h"
#include "gfx/fonts/font_catalogue.h"

namespace vr {

int runGui(int argc, char** argv, const std::string& documentArg)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppTitle));

    const std::string programFolder = (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toStdString();
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
