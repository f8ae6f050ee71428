// The window in the hand: keys, the wheel, zoom steps, full screen, reload and the file watcher,
// recent documents, the page field, the title and icon, the empty desk, and high-density pages.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

#include "app/recent_documents.h"
#include "viewer/render.h"
#include "window_site.h"

namespace {

struct Site : vrtest::WindowSite {
    QString document(const QString& name, int pages) { return WindowSite::document(name, pages, true); }
    QScrollBar* vertical() const { return child<QScrollBar>("ScrollBar2"); }
    QScrollBar* horizontal() const { return child<QScrollBar>("ScrollBar1"); }
    void wheel(int dy, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(300, 300);
        QWheelEvent e(at, window->desk()->mapToGlobal(at), QPoint(), QPoint(0, dy), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->desk(), &e);
    }
    // The vertical position that shows the bottom of a 1123-pixel page and its shadow.
    int endPosition() const
    {
        const int viewBottom = window->desk()->height() - 22;
        return (45 + 5 + 1123 + 10 - viewBottom + 19) / 20;
    }
};

}  // namespace

class DeskHandTest : public QObject {
    Q_OBJECT
private slots:
    void arrowKeysScrollThePage()
    {
        Site site;
        QVERIFY(site.showActive());
        site.load(site.document("keys.VPG", 2));
        QTest::keyClick(site.window->desk(), Qt::Key_Down);
        QTest::keyClick(site.window->desk(), Qt::Key_Down);
        QCOMPARE(site.vertical()->value(), 2);
        QCOMPARE(site.viewer.state.CurrentPage->top, 45 + 5 - 40);
        QTest::keyClick(site.window->desk(), Qt::Key_Up);
        QCOMPARE(site.viewer.state.CurrentPage->top, 45 + 5 - 20);
        QTest::keyClick(site.window->desk(), Qt::Key_Right);
        QCOMPARE(site.viewer.state.CurrentPage->left, 5 - 15);
        QTest::keyClick(site.window->desk(), Qt::Key_Left);
        QCOMPARE(site.viewer.state.CurrentPage->left, 5);
        QTest::keyClick(site.window->desk(), Qt::Key_End);
        QCOMPARE(site.vertical()->value(), site.endPosition());
        QTest::keyClick(site.window->desk(), Qt::Key_Home);
        QCOMPARE(site.vertical()->value(), 0);
        // The page keys and the documented shortcuts still work beside them.
        QTest::keyClick(site.window.get(), Qt::Key_PageDown);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);
        QTest::keyClick(site.window.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
    }

    void theWheelScrollsAndTurnsPagesAtTheEnds()
    {
        Site site;
        QVERIFY(site.showActive());
        site.load(site.document("wheel.VPG", 3));
        const int end = site.endPosition();
        QVERIFY(end > 6);
        site.wheel(-120);  // one notch down: three steps
        QCOMPARE(site.vertical()->value(), 3);
        site.wheel(-40);
        site.wheel(-40);
        QCOMPARE(site.vertical()->value(), 5);
        // Down to the page's end, where the wheel stops...
        for (int i = 0; i < 40 && site.vertical()->value() < end; ++i)
            site.wheel(-120);
        QCOMPARE(site.vertical()->value(), end);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        // ... until it turns to the top of the next page.
        site.wheel(-120);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);
        QCOMPARE(site.vertical()->value(), 0);
        QCOMPARE(site.viewer.state.CurrentPage->top, 50);
        // Up at the top goes to the bottom of the page before.
        site.wheel(120);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        QCOMPARE(site.vertical()->value(), end);
        site.wheel(120);
        QCOMPARE(site.vertical()->value(), end - 3);
        // Nothing before page 1 and nothing after the last page.
        site.vertical()->setValue(0);
        site.wheel(120);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        QTest::keyClick(site.window.get(), Qt::Key_End, Qt::ControlModifier);
        site.vertical()->setValue(end);
        site.wheel(-120);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QCOMPARE(site.vertical()->value(), end);
        // Shift turns the wheel sideways.
        site.wheel(-120, Qt::ShiftModifier);
        QCOMPARE(site.horizontal()->value(), 3);
    }

    void zoomStepsThroughTheZoomBoxItems()
    {
        Site site;
        QVERIFY(site.showActive());
        site.load(site.document("zoom.VPG", 1));
        auto* box = site.child<QComboBox>("CBZoom");
        site.wheel(120, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.ZoomPercent, 130);
        QCOMPARE(box->currentText(), QString("130"));
        QCOMPARE(site.viewer.state.CurrentPage->width, 1032);  // 794 x 1.3 = 1032.2
        QCOMPARE(site.vertical()->value(), 0);  // Ctrl+wheel does not scroll
        QTest::keyClick(site.window.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.ZoomPercent, 170);
        QTest::keyClick(site.window.get(), Qt::Key_Equal, Qt::ControlModifier);
        QTest::keyClick(site.window.get(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.ZoomPercent, 200);  // the last item
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(site.window.get(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.ZoomPercent, 30);
        QCOMPARE(site.viewer.state.CurrentPage->width, 238);
        // From a menu zoom between the items, the next item up or down.
        site.window->findChild<QAction*>("N1201")->trigger();
        site.wheel(-120, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.ZoomPercent, 100);
        QCOMPARE(vr::nextZoomStep(150, 1), 170);
        QCOMPARE(vr::nextZoomStep(150, -1), 130);
        QCOMPARE(vr::nextZoomStep(200, 1), 200);
        QCOMPARE(vr::nextZoomStep(30, -1), 30);
    }

    void fullScreenQuitAndOpenKeys()
    {
        Site site;
        QVERIFY(site.showActive());
        QTest::keyClick(site.window.get(), Qt::Key_F11);
        QTRY_VERIFY(site.window->isFullScreen());
        QVERIFY(site.window->findChild<QAction*>("FullScreen1")->isChecked());
        QTest::keyClick(site.window->desk(), Qt::Key_Escape);
        QTRY_VERIFY(!site.window->isFullScreen());
        QTest::keyClick(site.window.get(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(site.window.get(), Qt::Key_F3);
        QCOMPARE(site.dialogs.log, (std::vector<std::string>{"open", "open"}));
        QTest::keyClick(site.window.get(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!site.window->isVisible());
    }

    void reloadKeepsPageAndZoomAndTheWatcherOffersIt()
    {
        Site site;
        QVERIFY(site.showActive());
        const QString path = site.document("live.VPG", 3);
        site.load(path);
        site.viewer.goToPage(2);
        site.viewer.SetZoom(130);
        QVERIFY(site.window->reloadBar()->isHidden());

        // The file changes: the bar offers to reload.
        vrtest::VpgWriter w;
        for (int i = 1; i <= 4; ++i)
            w.page("P" + std::to_string(i));
        w.save(path.toStdString());
        QTRY_VERIFY(site.window->reloadBar()->isVisible());
        QCOMPARE(site.viewer.state.PageCount, 3);  // nothing reloads by itself
        QTest::mouseClick(site.window->reloadBar()->findChild<QToolButton*>("ReloadButton"), Qt::LeftButton);
        QCOMPARE(site.viewer.state.PageCount, 4);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);
        QCOMPARE(site.viewer.state.ZoomPercent, 130);
        QVERIFY(site.window->reloadBar()->isHidden());

        // F5 reads it again at any time; a file gone is the loader's error, reported.
        QFile::remove(path);
        QTest::keyClick(site.window.get(), Qt::Key_F5);
        QCOMPARE(site.dialogs.log.back(), "error:Impossible d'ouvrir le fichier " + path.toStdString());
        QCOMPARE(site.window->windowTitle(), QString("Velmora Reader"));
    }

    void recentDocumentsAreKeptAndOffered()
    {
        Site site;
        QFile::remove(site.window->recentDocuments().file());
        const QString first = site.document("first.VPG", 1), second = site.document("second.VPG", 2);
        site.load(first);
        site.load(second);
        site.load(first);
        const QStringList expected{first, second};
        QCOMPARE(site.window->recentDocuments().entries(), expected);
        auto* menu = site.child<QMenu>("RecentMenu");
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions()[1]->text(), QString("&2 second.VPG"));
        menu->actions()[1]->trigger();
        QCOMPARE(site.viewer.state.PageCount, 2);
        QCOMPARE(site.window->recentDocuments().entries().first(), second);
        // A file that went away stays listed, greyed.
        QFile::remove(first);
        site.load(second);
        QVERIFY(!site.child<QMenu>("RecentMenu")->actions()[1]->isEnabled());
    }

    void recentListFileIsReadWithCare()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + "/config/recent";
        vr::RecentDocuments recent(file);
        QVERIFY(recent.entries().isEmpty());  // no file yet
        for (int i = 0; i < 12; ++i)
            QVERIFY(recent.add(QString("/docs/d%1.VPG").arg(i)));
        const QStringList kept = recent.entries();
        QCOMPARE(kept.size(), vr::RecentDocuments::kMaxEntries);
        QCOMPARE(kept.first(), QString("/docs/d11.VPG"));
        QCOMPARE(kept.last(), QString("/docs/d2.VPG"));
        // Only what was written is there: no temporary file beside it.
        QCOMPARE(QDir(dir.path() + "/config").entryList(QDir::Files | QDir::Hidden), QStringList{"recent"});

        // Lines that are not absolute paths, or not text, are skipped.
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("relative/a.VPG\n\xff\xfe\x01\n/docs/ok.VTX\n\n/docs/ok.VTX\n");
        }
        QCOMPARE(recent.entries(), QStringList{"/docs/ok.VTX"});
        // A file far longer than any list is not ours: ignored whole.
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(vr::RecentDocuments::kMaxFileBytes + 1, 'x'));
        }
        QVERIFY(recent.entries().isEmpty());
        QVERIFY(recent.add("/docs/new.VPG"));
        QCOMPARE(recent.entries(), QStringList{"/docs/new.VPG"});
    }

    void pageFieldJumpsToTheTypedPage()
    {
        Site site;
        QVERIFY(site.showActive());
        site.load(site.document("field.VPG", 4));
        auto* field = site.child<QLineEdit>("PageNumber");
        QCOMPARE(field->text(), QString("1"));
        QCOMPARE(site.child<QLabel>("PageCount")->text(), QString("/ 4"));
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "3");
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QVERIFY(site.window->desk()->hasFocus());
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "9");
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QCOMPARE(field->text(), QString("3"));
        QTest::keyClick(site.window.get(), Qt::Key_PageDown);
        QCOMPARE(field->text(), QString("4"));
    }

    void titleIconAndTheEmptyDesk()
    {
        Site site;
        QVERIFY(site.showActive());
        QCOMPARE(site.window->windowTitle(), QString("Velmora Reader"));
        QVERIFY(!site.window->windowIcon().isNull());
        QCOMPARE(site.window->windowIcon().availableSizes().last(), QSize(256, 256));
        site.load(site.document("named.VPG", 1));
        QCOMPARE(site.window->windowTitle(), QString::fromUtf8("named.VPG \u2014 Velmora Reader"));

        // Open, then Cancel: the document is gone, the desk is empty and blue, with no shadow.
        QTest::keyClick(site.window.get(), Qt::Key_F3);
        QCOMPARE(site.window->windowTitle(), QString("Velmora Reader"));
        QVERIFY(site.window->desk()->shadowRect().isEmpty());
        const QImage desk = site.window->desk()->grab().toImage();
        const QRgb blue = qRgb(0, 0, 255);
        for (const QPoint p : {QPoint(400, 400), QPoint(15, 200), QPoint(800, 600), QPoint(400, 1000 - 400)})
            QCOMPARE(desk.pixel(p), blue);

        // A load that fails shows no name either.
        site.load(site.dir.path() + "/missing.VPG");
        QCOMPARE(site.window->windowTitle(), QString("Velmora Reader"));
        QVERIFY(site.window->desk()->shadowRect().isEmpty());
    }

    void highDensityPagesArePaintedAtTheirPixels()
    {
        Site site;
        site.load(site.document("sharp.VPG", 1));
        vr::TSurfaceT& page = *site.viewer.state.CurrentPage;
        site.viewer.SetZoom(70);
        const QRect before(page.left, page.top, page.width, page.height);
        const QImage& twice = site.window->desk()->pageImage(page, vr::IRect{0, 0, 300, 200}, 2);
        QCOMPARE(twice.size(), QSize(600, 400));
        QCOMPARE(twice.devicePixelRatio(), 2.0);
        // The line (10, 10)-(110, 10) at 70 %: y 7 at one pixel per desk pixel, y 14 and nothing
        // else at two: a thin line of the page drawn at the screen's pixels, not one scaled up.
        QCOMPARE(twice.pixel(100, 14), qRgb(0, 0, 0));
        QCOMPARE(twice.pixel(100, 15), qRgb(255, 255, 255));
        QCOMPARE(twice.pixel(100, 13), qRgb(255, 255, 255));
        const QImage& once = site.window->desk()->pageImage(page, vr::IRect{0, 0, 300, 200}, 1);
        QCOMPARE(once.pixel(50, 7), qRgb(0, 0, 0));
        // The page and its objects are as they were.
        QCOMPARE(QRect(page.left, page.top, page.width, page.height), before);
        QCOMPARE(page.width, 556);
        QCOMPARE(vr::tracePage(page, 0.7).back(), std::string("line 7,7 -> 77,7 pen=#000000 w1 solid notxor"));
    }
};

int runDeskHandTests(int argc, char** argv)
{
    DeskHandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desk_hand_tests.moc"
