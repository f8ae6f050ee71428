// Runs the window tests on the offscreen platform, with private XDG data and configuration
// folders so that font installation and the recent-documents list never reach the real home.
#include <QApplication>
#include <QTemporaryDir>

int runStartUpTests(int argc, char** argv);
int runMainWindowTests(int argc, char** argv);
int runDialogWindowTests(int argc, char** argv);
int runBookPlayerWindowTests(int argc, char** argv);
int runDeskHandTests(int argc, char** argv);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dataHome;
    if (!dataHome.isValid())
        return 2;
    qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
    // The recent-documents list goes to a private configuration folder too.
    QTemporaryDir configHome;
    if (!configHome.isValid())
        return 2;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    QApplication app(argc, argv);
    int failures = 0;
    failures += runStartUpTests(argc, argv);
    failures += runMainWindowTests(argc, argv);
    failures += runDialogWindowTests(argc, argv);
    failures += runBookPlayerWindowTests(argc, argv);
    failures += runDeskHandTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
