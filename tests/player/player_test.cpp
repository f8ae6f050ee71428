#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <filesystem>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/raster_canvas.h"
#include "player/media_clip.h"
#include "player/player.h"
#include "support/media_writer.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::PlayerRec;

namespace {

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
            ("vr_player_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ctx.DocFolder = dir.string() + "/";
        ctx.diagnostics = &diagnostics;
        ctx.media.onDeviceError = [this](const std::string& m) { told.push_back(m); };
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Reads a record followed by one byte of the next object; the byte must be left unread.
    void read(TDPlayer& p, const PlayerRec& rec)
    {
        Bytes bytes = vrtest::playerRecord(rec);
        bytes.push_back(6);
        DocStream s = DocStream::fromMemory(bytes);
        p.ReadRecord(s, ctx);
        EXPECT_EQ(s.position(), TDPlayer::kRecordSize);
    }

    void settle(TDPlayer& p)
    {
        if (p.clip())
            MediaClip::waitUntilSettled({p.clip()}, 10000);
    }

    // Runs the event loop until `done` or ms pass.
    template <typename F> bool waitFor(F done, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    std::filesystem::path dir;
    Diagnostics diagnostics;
    PlayerReadContext ctx;
    std::vector<std::string> told;
};

MediaButtons only(std::initializer_list<MediaButton> list)
{
    MediaButtons on{};
    for (MediaButton b : list)
        on[static_cast<size_t>(b)] = true;
    return on;
}

}  // namespace

TEST_F(PlayerTest, BoundsAreStoredLeftHeightTopWidthAndLayTheBarAndDisplayOut)
{
    ctx.media.open = false;
    TDPlayer p;
    EXPECT_EQ(p.MediaBar(), (IRect{2, 41, 63, 63}));  // laid out for the 65 x 65 of a new player
    read(p, PlayerRec{"10", "120", "20", "200", "1", "CLIP.AVI"});
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(p.width, 200);
    EXPECT_EQ(p.height, 120);
    // Bar (2, 96, 196, 22) and display (2, 2, 196, 94).
    EXPECT_EQ(p.MediaBar(), (IRect{2, 96, 198, 118}));
    EXPECT_EQ(p.DisplayArea(), (IRect{2, 2, 198, 96}));
    EXPECT_EQ(p.FileName, "CLIP.AVI");
    EXPECT_EQ(p.Record[20], 1);  // the record is kept as read
    EXPECT_TRUE(p.windowed());
    EXPECT_EQ(p.printPass(), 0);  // never printed

    // Zooming scales the bounds and lays the player out again; the bar keeps its 22 pixels.
    p.changeScale(150, 100);
    EXPECT_EQ(p.width, 300);
    EXPECT_EQ(p.height, 180);
    EXPECT_EQ(p.MediaBar(), (IRect{2, 156, 298, 178}));
    EXPECT_EQ(p.DisplayArea(), (IRect{2, 2, 298, 156}));
    p.changeScale(100, 150);
    EXPECT_EQ(p.MediaBar(), (IRect{2, 96, 198, 118}));
}

TEST_F(PlayerTest, DeviceTypeCodesAreHintsAndUnknownCodesAreAutomatic)
{
    const std::pair<int, MediaDeviceType> types[] = {
        {0, MediaDeviceType::AutoSelect},  {1, MediaDeviceType::AutoSelect}, {14, MediaDeviceType::AutoSelect},
        {-3, MediaDeviceType::AutoSelect}, {2, MediaDeviceType::AVIVideo},   {10, MediaDeviceType::Sequencer},
        {13, MediaDeviceType::WaveAudio}};
    for (const auto& [code, type] : types)
        EXPECT_EQ(deviceTypeFromCode(code), type) << code;
    EXPECT_STREQ(deviceTypeName(deviceTypeFromCode(12)), "Videodisc");
    EXPECT_FALSE(deviceShowsVideo(MediaDeviceType::WaveAudio));
    EXPECT_FALSE(deviceShowsVideo(MediaDeviceType::Sequencer));
    EXPECT_TRUE(deviceShowsVideo(MediaDeviceType::AutoSelect));
    for (int code : {3, 4, 8, 9, 11, 12})
        EXPECT_FALSE(deviceUsable(deviceTypeFromCode(code))) << code;
    for (int code : {0, 1, 2, 5, 6, 7, 10, 13, 14})
        EXPECT_TRUE(deviceUsable(deviceTypeFromCode(code))) << code;

    // A hardware device type gives the device error, once, naming the clip.
    vrtest::writeFile((dir / "song.wav").string(), vrtest::chimeWav(300));
    TDPlayer cd;
    read(cd, PlayerRec{"0", "80", "0", "100", "3", "C:\\SONS\\SONG.WAV"});
    EXPECT_EQ(cd.clipState(), ClipState::Failed);
    EXPECT_EQ(cd.deviceError(), "Cannot open the media clip C:\\SONS\\SONG.WAV: there is no CDAudio device");
    EXPECT_EQ(told, std::vector<std::string>{cd.deviceError()});
}

TEST_F(PlayerTest, AFieldThatIsNotANumberStopsTheRecordBeforeTheNameIsTaken)
{
    ctx.media.open = false;
    TDPlayer p;
    Bytes bytes = vrtest::playerRecord(PlayerRec{"10", "120", "20", "200", "x1", "CLIP.AVI"});
    DocStream s = DocStream::fromMemory(bytes);
    try {
        p.ReadRecord(s, ctx);
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' n'est pas une valeur enti\xC3\xA8re correcte");
    }
    EXPECT_EQ(p.FileName, "");
    // A stream that ends inside the record leaves empty fields.
    TDPlayer cut;
    bytes.resize(12);
    DocStream shortStream = DocStream::fromMemory(bytes);
    EXPECT_THROW(cut.ReadRecord(shortStream, ctx), ConvertError);
}

TEST_F(PlayerTest, TheClipIsLookedUpAsStoredThenInTheDocumentsFolderWithoutRegardToCase)
{
    vrtest::writeFile((dir / "chime.wav").string(), vrtest::chimeWav(300));
    EXPECT_EQ(findClipFile("C:\\VELMORA\\SONS\\CHIME.WAV", ctx.DocFolder), (dir / "chime.wav").string());
    EXPECT_EQ(findClipFile("D:Chime.Wav", ctx.DocFolder), (dir / "chime.wav").string());
    EXPECT_EQ(findClipFile((dir / "chime.wav").string(), "/elsewhere/"), (dir / "chime.wav").string());
    EXPECT_EQ(findClipFile("C:\\VELMORA\\OTHER.WAV", ctx.DocFolder), "");
    EXPECT_EQ(findClipFile("", ctx.DocFolder), "");
    EXPECT_EQ(findClipFile("C:\\VELMORA\\", ctx.DocFolder), "");
    // A folder is no clip.
    std::filesystem::create_directories(dir / "clip.avi");
    EXPECT_EQ(findClipFile("CLIP.AVI", ctx.DocFolder), "");
}

TEST_F(PlayerTest, AMissingClipIsReportedOnceAndLeavesTheBarDisabled)
{
    TDPlayer p;
    diagnostics.page = 2;
    diagnostics.object = 3;
    read(p, PlayerRec{"10", "120", "20", "200", "1", "C:\\CLIPS\\NONE.AVI"});
    EXPECT_EQ(p.clipState(), ClipState::Failed);
    EXPECT_EQ(p.clip(), nullptr);
    EXPECT_EQ(p.ClipPath, "");
    const std::string message = "Cannot open the media clip C:\\CLIPS\\NONE.AVI: the file is not found";
    EXPECT_EQ(p.deviceError(), message);
    EXPECT_EQ(told, std::vector<std::string>{message});
    ASSERT_EQ(diagnostics.list().size(), 1u);
    EXPECT_EQ(diagnostics.list()[0], (Diagnostic{message, 2, 3, -1}));
    EXPECT_EQ(p.buttons(), MediaButtons{});
}

TEST_F(PlayerTest, ASynthesisedWaveOpensWithoutPlayingAndTheButtonsFollowThePlayState)
{
    vrtest::writeFile((dir / "chime.wav").string(), vrtest::chimeWav(1200));
    TDPlayer p;
    read(p, PlayerRec{"10", "120", "20", "200", "13", "C:\\SONS\\CHIME.WAV"});
    ASSERT_NE(p.clip(), nullptr);
    settle(p);
    ASSERT_EQ(p.clipState(), ClipState::Open) << p.deviceError();
    MediaClip& clip = *p.clip();
    EXPECT_TRUE(clip.hasAudio());
    EXPECT_FALSE(clip.hasVideo());
    EXPECT_NEAR(clip.durationMs(), 1200, 60);
    EXPECT_EQ(clip.playState(), PlayState::Stopped);
    EXPECT_EQ(p.buttons(),
              only({MediaButton::Play, MediaButton::Next, MediaButton::Prev, MediaButton::Step, MediaButton::Back}));

    clip.press(MediaButton::Pause);  // disabled: nothing
    EXPECT_EQ(clip.playState(), PlayState::Stopped);
    clip.press(MediaButton::Play);
    EXPECT_EQ(clip.playState(), PlayState::Playing);
    EXPECT_EQ(p.buttons(),
              only({MediaButton::Pause, MediaButton::Stop, MediaButton::Next, MediaButton::Prev, MediaButton::Step,
                    MediaButton::Back}));
    clip.press(MediaButton::Pause);
    EXPECT_EQ(clip.playState(), PlayState::Paused);
    EXPECT_TRUE(p.buttons()[static_cast<size_t>(MediaButton::Play)]);
    clip.press(MediaButton::Stop);
    EXPECT_EQ(clip.playState(), PlayState::Stopped);
    EXPECT_TRUE(told.empty());
    EXPECT_TRUE(diagnostics.list().empty());
}

TEST_F(PlayerTest, AFileTheBackEndCannotPlayIsReportedOnceWithItsMessage)
{
    vrtest::writeFile((dir / "NOTES.AVI").string(), Bytes(4000, 'a'));
    TDPlayer p;
    read(p, PlayerRec{"10", "120", "20", "200", "2", "NOTES.AVI"});
    settle(p);
    EXPECT_EQ(p.clipState(), ClipState::Failed);
    const std::string prefix = "Cannot open the media clip " + (dir / "NOTES.AVI").string() + ": ";
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].substr(0, prefix.size()), prefix);
    EXPECT_GT(told[0].size(), prefix.size());  // the back end's own words
    EXPECT_EQ(p.buttons(), MediaButtons{});
    QCoreApplication::processEvents();
    EXPECT_EQ(told.size(), 1u);
}

TEST_F(PlayerTest, AVideoClipShowsItsFramesInTheDisplayAreaUnlessTheDeviceIsForSound)
{
    const std::string avi = VR_TEST_AVI;
    if (!std::filesystem::exists(avi))
        GTEST_SKIP() << "no video clip was made at build time (gst-launch-1.0 missing)";
    std::filesystem::copy_file(avi, dir / "BALL.AVI");
    TDPlayer p;
    read(p, PlayerRec{"0", "150", "0", "200", "1", "C:\\FILMS\\ball.avi"});
    settle(p);
    ASSERT_EQ(p.clipState(), ClipState::Open) << p.deviceError();
    EXPECT_TRUE(p.clip()->hasVideo());
    EXPECT_NEAR(p.clip()->durationMs(), 3000, 80);
    p.clip()->press(MediaButton::Play);
    ASSERT_TRUE(waitFor([&] { return !p.clip()->frame().isNull(); }, 5000));
    EXPECT_EQ(p.clip()->frame().size(), QSize(160, 120));

    QImage image(200, 150, QImage::Format_RGB32);
    image.fill(Qt::white);
    RasterCanvas canvas(image);
    p.paintOnPage(canvas, PaintContext{});
    // The frame stands at its own size from the display area's corner (2, 2); the display
    // area's face shows right of it.
    const QImage& f = p.clip()->frame();
    EXPECT_EQ(image.pixel(2 + 80, 2 + 60), f.pixel(80, 60));
    EXPECT_EQ(image.pixel(2 + 170, 60), 0xFFC0C0C0u);

    TDPlayer sound;
    read(sound, PlayerRec{"0", "150", "0", "200", "13", "BALL.AVI"});
    settle(sound);
    ASSERT_EQ(sound.clipState(), ClipState::Open);
    EXPECT_FALSE(sound.clip()->hasVideo());
    p.clip()->press(MediaButton::Stop);
}

TEST_F(PlayerTest, TheStillPlayerIsABlackFramedPanelWithAGreyDisplayAndTheBar)
{
    ctx.media.open = false;
    TDPlayer p;
    read(p, PlayerRec{"0", "120", "0", "200", "1", "CLIP.AVI"});
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    RasterCanvas canvas(image);
    p.paintOnPage(canvas, PaintContext{});
    EXPECT_EQ(image.pixel(0, 0), 0xFFFFFFFFu);  // outer bevel, light
    EXPECT_EQ(image.pixel(199, 119), 0xFF808080u);  // outer bevel, shadow
    EXPECT_EQ(image.pixel(1, 60), 0xFFFFFFFFu);  // inner bevel
    EXPECT_EQ(image.pixel(2, 2), 0xFFFFFFFFu);  // the display area's own bevel
    EXPECT_EQ(image.pixel(100, 50), 0xFFC0C0C0u);  // the display area
    EXPECT_EQ(image.pixel(197, 95), 0xFF808080u);
    // The play button, greyed: the clip is not open.
    const IRect play = mediaButtonRect(196, 22, 0);
    const int cx = 2 + (play.left + play.right) / 2, cy = 96 + 11;
    EXPECT_EQ(image.pixel(cx, cy), 0xFF808080u);
    EXPECT_EQ(image.pixel(2, 96), 0xFFFFFFFFu);  // the button's light edge
    EXPECT_EQ(image.pixel(2 + play.right - 1, 96 + 21), 0xFF000000u);  // and its dark one
}

TEST(MediaBar, NineButtonsShareTheBarAndOnlyAnOpenClipEnablesThem)
{
    EXPECT_EQ(mediaButtonRect(196, 22, 0), (IRect{0, 0, 21, 22}));
    EXPECT_EQ(mediaButtonRect(196, 22, 4), (IRect{87, 0, 108, 22}));
    EXPECT_EQ(mediaButtonRect(196, 22, 8), (IRect{174, 0, 196, 22}));
    EXPECT_EQ(mediaButtonAt(196, 22, 0, 0), 0);
    EXPECT_EQ(mediaButtonAt(196, 22, 87, 21), 4);
    EXPECT_EQ(mediaButtonAt(196, 22, 195, 10), 8);
    EXPECT_EQ(mediaButtonAt(196, 22, 196, 10), -1);
    EXPECT_EQ(mediaButtonAt(196, 22, 10, 22), -1);
    EXPECT_EQ(mediaButtonRect(-5, 22, 3).width(), 0);

    for (ClipState s : {ClipState::Closed, ClipState::Opening, ClipState::Failed})
        EXPECT_EQ(mediaButtonsEnabled(s, PlayState::Stopped), MediaButtons{});
    const MediaButtons paused = mediaButtonsEnabled(ClipState::Open, PlayState::Paused);
    EXPECT_EQ(paused,
              only({MediaButton::Play, MediaButton::Pause, MediaButton::Stop, MediaButton::Next, MediaButton::Prev,
                    MediaButton::Step, MediaButton::Back}));
}
