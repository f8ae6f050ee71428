// Start-up sequence: parameter file, font check, font copy and the first document, with dialogs
// answered by a fake.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/startup.h"
#include "fake_dialogs.h"
#include "support/doc_writer.h"

using vrtest::FakeDialogs;

namespace {

const std::string kFontsConfirm = "confirm:yes/no:Velmora Fonts Installation.";
const std::string kRestartConfirm =
    "confirm:yes:Before you can use the Reader program, you mast restart Windows Please !";

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A program folder, a font folder and a viewer with fake dialogs.
struct Site {
    QTemporaryDir root;
    QString program, fonts;
    FakeDialogs dialogs;
    vr::Viewer viewer{&dialogs};
    std::vector<std::string> loadedFonts;

    Site()
    {
        program = root.path() + "/prog/";
        fonts = root.path() + "/fonts/";
        QDir().mkpath(program);
    }
    vr::StartUp startUp()
    {
        vr::StartUp s(viewer, dialogs, program.toStdString(), fonts.toStdString());
        s.loadFont = [this](const std::string& path) { loadedFonts.push_back(path); };
        return s;
    }
    // A page-layout document with the given number of pages.
    QString document(const QString& relative, int pages)
    {
        vrtest::VpgWriter w;
        for (int i = 1; i <= pages; ++i)
            w.page("P" + std::to_string(i));
        const QString path = program + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        w.save(path.toStdString());
        return path;
    }
    void param(const QByteArray& bytes) { writeBytes(program + "QVLParam.PRM", bytes); }
    void paramNaming(const QByteArray& name) { param(char(name.size()) + name); }
    void fontPresent(const QString& name) { writeBytes(fonts + name, "font"); }
    void bundledFont(const QString& name, const QByteArray& content)
    {
        writeBytes(program + "QVLFonts/" + name, content);
    }
};

}  // namespace

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void paramFileNameIsCountedStringOfFifty()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/p.PRM";

        writeBytes(path, QByteArray());
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string());

        writeBytes(path, QByteArray("\x0C") + "BOOK0001.BOKtrailing bytes ignored");
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string("BOOK0001.BOK"));

        // A length above 50 is held to the 50 characters of the field.
        writeBytes(path, QByteArray(1, char(200)) + QByteArray(60, 'a'));
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string(50, 'a'));

        // A short file reads as zeros: the name stops where the file does.
        writeBytes(path, QByteArray("\x0A") + "ab");
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string("ab"));

        // A zero byte ends the name, as it ends a file name.
        writeBytes(path, QByteArray("\x05") + QByteArray("ab\0cd", 5));
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string("ab"));

        // Windows separators become ours.
        writeBytes(path, QByteArray("\x0B") + "Docs\\A.VPG");
        QCOMPARE(vr::readStartDocumentName(path.toStdString()), std::string("Docs/A.VPG"));

        QCOMPARE(vr::readStartDocumentName((dir.path() + "/missing.PRM").toStdString()), std::string());
    }

    void fontFolderFollowsXdgDataHome()
    {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/tmp/vr-data");
        QCOMPARE(vr::userFontFolder(), std::string("/tmp/vr-data/fonts/"));
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(vr::userFontFolder(), (QDir::homePath() + "/.local/share/fonts/").toStdString());
        qputenv("XDG_DATA_HOME", saved);
    }

    void noParamFileOpensCommandLineDocumentWithoutFontCheck()
    {
        Site site;
        site.viewer.startUp();
        const QString doc = site.document("cmd.VPG", 3);
        site.viewer.commandLineDocument = doc.toStdString();
        QCOMPARE(site.startUp().run(), 0);
        QCOMPARE(site.viewer.state.PageCount, 3);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        QCOMPARE(site.viewer.state.DocFileName, doc.toStdString());
        QVERIFY(site.dialogs.log.empty());
    }

    void plainStartShowsOpenDialog()
    {
        Site site;
        site.viewer.startUp();
        const QString doc = site.document("chosen.VPG", 2);
        site.dialogs.openAnswer = doc.toStdString();
        QCOMPARE(site.startUp().run(), 0);
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"open"});
        QCOMPARE(site.viewer.state.PageCount, 2);
    }

    void cancelledOpenLeavesNoPage()
    {
        Site site;
        site.viewer.startUp();
        QVERIFY(site.viewer.state.CurrentPage != nullptr);
        QCOMPARE(site.startUp().run(), 0);
        QCOMPARE(site.dialogs.openCount, 1);
        QVERIFY(site.viewer.state.CurrentPage == nullptr);
        QCOMPARE(site.viewer.state.PageCount, 0);
    }

    void emptyParamFileIsPlainStartAfterFontCheck()
    {
        Site site;
        site.viewer.startUp();
        site.param(QByteArray());
        site.fontPresent("QV_Hazel.ttf");
        site.bundledFont("QV_Hazel.ttf", "bundled");
        QCOMPARE(site.startUp().run(), 0);
        // No message, no font copy: only the open dialog.
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"open"});
        QVERIFY(!QFile::exists(site.fonts + "Hazel.ttf"));
    }

    void missingFontsAskBeforeLoading()
    {
        Site site;
        site.viewer.startUp();
        site.param(QByteArray());
        writeBytes(site.program + "qvlFonts.exe", "MZ");
        vr::StartUp startUp = site.startUp();
        QCOMPARE(startUp.run(), 0);
        QCOMPARE(site.dialogs.log, (std::vector<std::string>{kFontsConfirm, kRestartConfirm, "open"}));
        QVERIFY(startUp.installerFound());
    }

    void missingInstallerStillShowsBothMessages()
    {
        Site site;
        site.viewer.startUp();
        site.paramNaming("nothere.VPG");
        vr::StartUp startUp = site.startUp();
        QCOMPARE(startUp.run(), 0);
        QVERIFY(!startUp.installerFound());
        // The named file is missing: plain start, and InstallFonts does not run.
        QCOMPARE(site.dialogs.log, (std::vector<std::string>{kFontsConfirm, kRestartConfirm, "open"}));
        QVERIFY(startUp.copiedFonts().empty());
    }

    void startDocumentInstallsFontsThenOpens()
    {
        Site site;
        site.viewer.startUp();
        // Twelve characters, relative to the program folder.
        const QString doc = site.document("Docs/AB1.VPG", 4);
        site.paramNaming("Docs\\AB1.VPG");
        site.fontPresent("QV_Hazel.ttf");
        site.fontPresent("Keep.ttf");
        site.bundledFont("Hazel.ttf", "hazel");
        site.bundledFont("Keep.ttf", "newer");
        site.bundledFont("ZR_Keyb.TTF", "keyb");
        site.bundledFont("readme.txt", "text");
        vr::StartUp startUp = site.startUp();
        QCOMPARE(startUp.run(), 0);

        // No message: the fonts check file is there. The fonts window still comes, after the copy
        // and before the document.
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"fonts"});
        const std::vector<std::string> copied = {(site.fonts + "Hazel.ttf").toStdString(),
                                                 (site.fonts + "ZR_Keyb.TTF").toStdString()};
        QCOMPARE(startUp.copiedFonts(), copied);
        QCOMPARE(site.loadedFonts, copied);
        QCOMPARE(readAll(site.fonts + "Hazel.ttf"), QByteArray("hazel"));
        QCOMPARE(readAll(site.fonts + "Keep.ttf"), QByteArray("font"));  // never overwritten
        QVERIFY(!QFile::exists(site.fonts + "readme.txt"));

        QCOMPARE(site.viewer.state.DocFileName, doc.toStdString());
        QCOMPARE(site.viewer.state.PageCount, 4);
    }

    void fontsAlreadyInstalledSkipCopyAndWindow()
    {
        Site site;
        site.viewer.startUp();
        const QString doc = site.document("START.VPG", 1);
        site.paramNaming("START.VPG");
        site.fontPresent("QV_Hazel.ttf");
        site.fontPresent("Hazel.ttf");
        site.bundledFont("Other.ttf", "other");
        vr::StartUp startUp = site.startUp();
        QCOMPARE(startUp.run(), 0);
        QVERIFY(site.dialogs.log.empty());
        QVERIFY(startUp.copiedFonts().empty());
        QVERIFY(!QFile::exists(site.fonts + "Other.ttf"));
        QCOMPARE(site.viewer.state.DocFileName, doc.toStdString());
    }

    void fontCopyFailuresAreIgnored()
    {
        Site site;
        site.viewer.startUp();
        // The font folder cannot be made: a plain file stands where it should be.
        writeBytes(site.root.path() + "/fonts", "not a folder");
        site.bundledFont("A.ttf", "a");
        vr::StartUp startUp = site.startUp();
        startUp.InstallFonts();
        QVERIFY(startUp.copiedFonts().empty());
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"fonts"});

        // No QVLFonts folder at all: nothing to copy, the window still shows.
        Site bare;
        vr::StartUp bareStart = bare.startUp();
        bareStart.InstallFonts();
        QVERIFY(bareStart.copiedFonts().empty());
        QCOMPARE(bare.dialogs.log, std::vector<std::string>{"fonts"});
    }

    void startUpLoadErrorEndsWithStatusOne()
    {
        Site site;
        site.viewer.startUp();
        vrtest::VpgWriter w;
        w.page("P1").pageCountText("x1");
        const QString bad = site.program + "bad.VPG";
        w.save(bad.toStdString());
        site.viewer.commandLineDocument = bad.toStdString();
        QCOMPARE(site.startUp().run(), 1);
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"error:'x1' n'est pas une valeur entière correcte"});
    }

    void startDocumentErrorEndsWithStatusOne()
    {
        Site site;
        site.viewer.startUp();
        vrtest::VpgWriter w;
        w.page("P1").pageCountText("7x");
        w.save((site.program + "E.VPG").toStdString());
        site.paramNaming("E.VPG");
        site.fontPresent("QV_Hazel.ttf");
        site.fontPresent("Hazel.ttf");
        QCOMPARE(site.startUp().run(), 1);
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"error:'7x' n'est pas une valeur entière correcte"});
    }
};

int runStartUpTests(int argc, char** argv)
{
    StartUpTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "startup_tests.moc"
