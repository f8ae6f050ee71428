// The window's chapter list and live players.
#include <QComboBox>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "app/chapter_list_box.h"
#include "app/player_widget.h"
#include "player/player.h"
#include "support/media_writer.h"
#include "window_site.h"

namespace {

struct Site : vrtest::WindowSite {
    void load(const std::string& file) { WindowSite::load(QString::fromStdString(file)); }
    // The shown players (those of an earlier page go at the next turn of the event loop).
    QList<vr::PlayerWidget*> players() const
    {
        QList<vr::PlayerWidget*> shown;
        for (vr::PlayerWidget* w : window->desk()->findChildren<vr::PlayerWidget*>())
            if (w->isVisible())
                shown << w;
        return shown;
    }
    // Saves a picture of the window when VR_SCREENSHOT_DIR names a folder.
    void screenshot(const char* name) const
    {
        const QByteArray folder = qgetenv("VR_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            window->grab().save(QString::fromUtf8(folder) + "/" + name);
    }
};

// A page holding a player of `clip` at Left 60, Top 80, 240 x 200 and a line under it.
vrtest::Bytes playerPage(const std::string& clip, const std::string& deviceType = "1")
{
    vrtest::VpgWriter w;
    w.page("P1")
        .object("TDPlayer", vrtest::playerRecord(vrtest::PlayerRec{"60", "200", "80", "240", deviceType, clip}))
        .line(vrtest::LineRec(60, 300, 300, 300, 0xFF0000, 3));
    return w.bytes();
}

}  // namespace

class BookPlayerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void chapterListShowsTheBookAndOpensTheChosenChapter()
    {
        Site site;
        vrtest::writeFile(site.path("ONE.VPG"), playerPage("NONE.WAV"));
        vrtest::VpgWriter two;
        two.page("P1").page("P2");
        vrtest::writeFile(site.path("two.vpg"), two.bytes());
        vrtest::writeFile(
            site.path("book.BOK"),
            vrtest::bookFile({{"C:\\B\\ONE.VPG", "\xD3\xED\xD1", "", "", ""}, {"C:\\B\\TWO.VPG", "", "", "", ""}}));
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        auto* list = site.window->findChild<vr::ChapterListBox*>(QStringLiteral("ChapterList"));
        QVERIFY(list);
        QVERIFY(!list->isVisible());
        site.load(site.path("book.BOK"));
        QVERIFY(list->isVisible());
        QCOMPARE(list->geometry(), QRect(70, 8, 523, 24));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(list->lineBytes(0), site.viewer.ChapterList[0]);
        QVERIFY(list->lineBytes(1).ends_with("\x2E \xB3\x86\x9D"));
        QCOMPARE(site.viewer.state.PageCount, 1);
        // The lines are drawn by the reader: dark glyph pixels stand at the right of the box,
        // where the padding puts the title.
        const QImage box = list->grab().toImage();
        int dark = 0;
        for (int x = 380; x < 500; ++x)
            for (int y = 4; y < 20; ++y)
                dark += qGray(box.pixel(x, y)) < 100;
        QVERIFY2(dark > 5, "no title drawn");
        site.screenshot("chapter-list.png");

        emit list->activated(1);
        QCOMPARE(site.viewer.state.DocFileName, site.path("two.vpg"));
        QCOMPARE(site.viewer.state.PageCount, 2);
        QCOMPARE(list->currentIndex(), 1);
        QVERIFY(site.players().isEmpty());
    }

    void aPlayerIsALiveWidgetOverThePageAndAMissingClipIsReportedOnce()
    {
        Site site;
        vrtest::writeFile(site.path("clip.VPG"), playerPage("C:\\CLIPS\\GONE.AVI"));
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        site.load(site.path("clip.VPG"));
        QTRY_COMPARE(site.dialogs.log.size(), size_t(1));
        QCOMPARE(site.dialogs.log[0],
                 std::string("error:Cannot open the media clip C:\\CLIPS\\GONE.AVI: the file is not found"));
        const auto players = site.players();
        QCOMPARE(players.size(), 1);
        const vr::TSurfaceT* page = site.viewer.state.CurrentPage;
        QCOMPARE(players[0]->geometry(), QRect(page->left + 60, page->top + 80, 240, 200));
        QVERIFY(players[0]->isVisible());

        // Zoom moves and scales it with the page.
        site.window->runCommand([&] { site.viewer.SetZoom(150); });
        const auto zoomed = site.players();
        QCOMPARE(zoomed.size(), 1);
        QCOMPARE(zoomed[0]->geometry(), QRect(page->left + 90, page->top + 120, 360, 300));
        QCOMPARE(site.dialogs.log.size(), size_t(1));
    }

    void thePlayButtonPlaysTheClip()
    {
        Site site;
        const std::string avi = VR_TEST_AVI;
        const bool video = std::filesystem::exists(avi);
        if (video)
            std::filesystem::copy_file(avi, site.path("ball.avi"));
        vrtest::writeFile(site.path("chime.wav"), vrtest::chimeWav(3000));
        vrtest::writeFile(site.path("play.VPG"), playerPage(video ? "C:\\FILMS\\BALL.AVI" : "C:\\SONS\\CHIME.WAV"));
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        // The chapter of a book, so that the list shows too.
        vrtest::writeFile(
            site.path("film.BOK"),
            vrtest::bookFile({{"C:\\B\\PLAY.VPG", "\xDD\xE1\xE3", "", "", ""}, {"C:\\B\\OTHER.VPG", "", "", "", ""}}));
        site.load(site.path("film.BOK"));
        QCOMPARE(site.viewer.state.DocFileName, site.path("play.VPG"));
        QCOMPARE(site.players().size(), 1);
        vr::PlayerWidget* w = site.players()[0];
        vr::TDPlayer* player = w->player();
        QVERIFY(player && player->clip());
        QTRY_COMPARE_WITH_TIMEOUT(player->clipState(), vr::ClipState::Open, 10000);
        QVERIFY(site.dialogs.log.empty());

        // Play is the first button of the bar at (2, H - 24).
        const vr::IRect play = vr::mediaButtonRect(236, 22, 0);
        const QPoint at(2 + (play.left + play.right) / 2, 176 + 11);
        QCOMPARE(w->buttonAt(at), 0);
        QTest::mouseClick(w, Qt::LeftButton, {}, at);
        QCOMPARE(player->clip()->playState(), vr::PlayState::Playing);
        // While playing, play is greyed and pause is not.
        const vr::MediaButtons on = player->buttons();
        QVERIFY(!on[0]);
        QVERIFY(on[1]);
        if (video) {
            QTRY_VERIFY_WITH_TIMEOUT(!player->clip()->frame().isNull(), 5000);
            QTest::qWait(300);
        }
        site.screenshot("player-playing.png");
        QTest::mouseClick(w, Qt::LeftButton, {}, at + QPoint(21, 0));  // pause
        QCOMPARE(player->clip()->playState(), vr::PlayState::Paused);
    }
};

int runBookPlayerWindowTests(int argc, char** argv)
{
    BookPlayerWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "book_player_window_tests.moc"
