// Metafile mapping (frames of WMFs without a window, viewport records) and clipping (excluded
// rectangles, regions in every combining mode, offsets, clip paths), call by call and on pixels.
#include <array>

#include <QImage>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx_test_support.h"
#include "metafile_test_support.h"

namespace vr {
namespace {

using namespace test;

TEST(MetafileMapping, AWmfWithoutWindowIsFramedByWhatItDraws)
{
    // A rectangle (100, 50)-(300, 250) and a line to (500, 450), the window origin moved 100 to
    // the right first: device (0, 50)-(200, 250) and (400, 450), a 400 x 400 frame.
    const auto file = plainWmf({{0x020B, 0, 100}, {0x041B, 250, 300, 50, 100}, {0x0214, 450, 500}, {0x0213, 450, 400}});
    const auto m = Metafile::parse(Metafile::Kind::Wmf, file);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width(), 400);
    EXPECT_EQ(m->height(), 400);
    EXPECT_EQ(only(play(Metafile::Kind::Wmf, file, IRect{0, 0, 200, 200}), "rectangle")[0].substr(0, 26),
              "rectangle 0,0,100,100 pen=");
    // With a window extent the window is the frame, as before.
    const auto windowed = plainWmf({{0x020B, 0, 0}, {0x020C, 100, 200}, {0x041B, 100, 200, 0, 100}});
    EXPECT_EQ(only(play(Metafile::Kind::Wmf, windowed, IRect{0, 0, 100, 50}), "rectangle")[0].substr(0, 25),
              "rectangle 50,0,100,50 pen");
}

TEST(MetafileMapping, WmfViewportRecordsMoveAndScaleThePictureInItsFrame)
{
    auto rect = [](const std::vector<std::vector<uint16_t>>& records) {
        std::vector<std::vector<uint16_t>> all = records;
        all.push_back({0x041B, 1000, 1000, 0, 0});
        const Lines l = only(play(Metafile::Kind::Wmf, wmf(1000, 1000, 1000, all), IRect{0, 0, 100, 100}), "rectangle");
        return l.empty() ? std::string() : l[0].substr(10, l[0].find(" pen") - 10);
    };
    EXPECT_EQ(rect({}), "0,0,100,100");
    // Viewport origin 100 frame units to the right, extent half the window's.
    EXPECT_EQ(rect({{0x020D, 0, 100}, {0x020E, 500, 500}}), "10,0,60,50");
    // Offset by 100 down, then the viewport extent doubled back.
    EXPECT_EQ(rect({{0x020D, 0, 100}, {0x020E, 500, 500}, {0x0211, 100, 0}, {0x0412, 1, 2, 1, 2}}), "10,10,110,110");
    // Scaling the window by two halves the picture.
    EXPECT_EQ(rect({{0x0410, 1, 2, 1, 2}}), "0,0,50,50");
}

// CREATEREGION of the given scans: (top, bottom, left, right) each.
std::vector<uint16_t> wmfRegion(const std::vector<std::array<int, 4>>& scans)
{
    std::vector<uint16_t> r{0x06FF, 0, 6, 0, 0, 0, s(static_cast<int>(scans.size())), 2, 0, 0, 100, 100};
    for (const auto& sc : scans) {
        r.insert(r.end(), {2, s(sc[0]), s(sc[1]), s(sc[2]), s(sc[3]), 2});
    }
    return r;
}

TEST(MetafileClip, WmfExcludedRectanglesRegionsAndOffsets)
{
    const Lines excluded =
        play(Metafile::Kind::Wmf, wmf(100, 100, 96, {{0x0415, 40, 40, 20, 20}, {0x041B, 100, 100, 0, 0}}),
             IRect{0, 0, 100, 100});
    EXPECT_EQ(excluded[3], "clipregion 0,0,100,20 0,20,20,40 40,20,100,40 0,40,100,100");
    const Lines region = play(Metafile::Kind::Wmf,
                              wmf(100, 100, 96,
                                  {wmfRegion({{0, 10, 0, 10}, {10, 20, 20, 30}}),
                                   {0x012C, 0},
                                   {0x041B, 100, 100, 0, 0},
                                   {0x0220, 5, 5},
                                   {0x041B, 100, 100, 0, 0},
                                   {0x012C, 7},
                                   {0x041B, 100, 100, 0, 0}}),
                              IRect{0, 0, 100, 100});
    EXPECT_EQ(only(region, "clip"),
              (Lines{"clip 0,0,100,100", "clipregion 0,0,10,10 20,10,30,20", "clipregion 5,5,15,15 25,15,35,25"}));
    // Selecting what is no region lifts the clip: the last rectangle is drawn unclipped.
    EXPECT_EQ(region[region.size() - 2].substr(0, 21), "rectangle 0,0,100,100");
    EXPECT_EQ(region[region.size() - 3], "restore");
}

// EXTSELECTCLIPRGN of one rectangle in a mode.
void emfClipRect(Bytes& f, uint32_t mode, int l, int t, int r, int b)
{
    f.u32(75).u32(16 + 48).u32(48).u32(mode);
    f.u32(32).u32(1).u32(1).u32(16).u32(static_cast<uint32_t>(l)).u32(static_cast<uint32_t>(t));
    f.u32(static_cast<uint32_t>(r)).u32(static_cast<uint32_t>(b));
    f.u32(static_cast<uint32_t>(l)).u32(static_cast<uint32_t>(t)).u32(static_cast<uint32_t>(r));
    f.u32(static_cast<uint32_t>(b));
}

TEST(MetafileClip, EmfRegionsCombineInEveryMode)
{
    auto clipOf = [](uint32_t mode) {
        Bytes f = emfHeader(100, 100);
        emfClipRect(f, 5, 0, 0, 50, 50);
        emfClipRect(f, mode, 25, 25, 75, 75);
        emfRecord(f, 43, {0, 0, 100, 100});
        emfEnd(f);
        const Lines l = play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100});
        return l[3];
    };
    EXPECT_EQ(clipOf(1), "clip 25,25,50,50");
    EXPECT_EQ(clipOf(2), "clipregion 0,0,50,25 0,25,75,50 25,50,75,75");
    EXPECT_EQ(clipOf(3), "clipregion 0,0,50,25 0,25,25,50 50,25,75,50 25,50,75,75");
    EXPECT_EQ(clipOf(4), "clipregion 0,0,50,25 0,25,25,50");
    EXPECT_EQ(clipOf(5), "clip 25,25,75,75");
    // Copying no region lifts the clip; an offset moves it.
    Bytes f = emfHeader(100, 100);
    emfClipRect(f, 5, 0, 0, 50, 50);
    emfRecord(f, 26, {10, 20});
    emfRecord(f, 43, {0, 0, 100, 100});
    emfRecord(f, 75, {0, 5});
    emfRecord(f, 43, {0, 0, 100, 100});
    emfEnd(f);
    EXPECT_EQ(only(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100}), "clip"),
              (Lines{"clip 0,0,100,100", "clip 10,20,60,70"}));
}

TEST(MetafileClip, ClipPathsAndExcludedRectanglesClipPixels)
{
    Bytes f = emfHeader(100, 100);
    emfRecord(f, 59, {});  // begin path
    emfRecord(f, 27, {10, 10});
    emfRecord(f, 54, {90, 10});
    emfRecord(f, 54, {10, 90});
    emfRecord(f, 61, {});
    emfRecord(f, 60, {});
    emfRecord(f, 67, {5});  // select clip path
    emfRecord(f, 29, {20, 20, 30, 30});  // exclude
    emfRecord(f, 37, {0x80000004});  // black brush
    emfRecord(f, 37, {0x80000008});  // null pen
    emfRecord(f, 43, {0, 0, 100, 100});
    emfEnd(f);
    auto m = Metafile::parse(Metafile::Kind::Emf, f.b);
    ASSERT_TRUE(m);
    QImage im = filledImage(100, 100);
    RasterCanvas c(im);
    m->play(c, IRect{0, 0, 100, 100});
    EXPECT_EQ(test::at(im, 15, 15), kBlack);  // inside the triangle
    EXPECT_EQ(test::at(im, 60, 20), kBlack);
    EXPECT_EQ(test::at(im, 25, 25), kWhite);  // excluded
    EXPECT_EQ(test::at(im, 80, 80), kWhite);  // outside the triangle
    EXPECT_EQ(test::at(im, 5, 5), kWhite);
    EXPECT_EQ(c.saveDepth(), 0u);
    EXPECT_FALSE(c.state().clipRegion);
}

TEST(CanvasClipRegion, SaveAndRestoreKeepTheRegionAndEveryCallHonoursIt)
{
    QImage im = filledImage(40, 20);
    RasterCanvas c(im);
    c.save();
    c.translate(5, 0);
    c.clipToRegion(QRegion(0, 0, 10, 20) + QRegion(20, 0, 10, 20));  // device columns 5-14 and 25-34
    EXPECT_EQ(c.state().clip, (IRect{5, 0, 35, 20}));
    c.save();
    c.clipTo(IRect{0, 0, 30, 10});
    c.fillRect(IRect{-5, 0, 35, 20}, kBlack);
    c.restore();
    ASSERT_TRUE(c.state().clipRegion);
    c.brush.color = kBlack;
    c.pen.style = PenStyle::Null;
    c.polygon({{-5, 15}, {35, 15}, {35, 19}, {-5, 19}});
    c.restore();
    EXPECT_FALSE(c.state().clipRegion);
    EXPECT_EQ(rowText(im, 5, 0, 39), ".....##########..........##########.....");
    EXPECT_EQ(rowText(im, 12, 0, 39), std::string(40, '.'));
    EXPECT_EQ(rowText(im, 16, 0, 39), ".....##########..........##########.....");
    RecordingCanvas r;
    r.translate(5, 0);
    r.clipToRegion(QRegion(0, 0, 10, 20) + QRegion(20, 0, 10, 20));
    EXPECT_EQ(r.calls.back(), "clipregion 5,0,15,20 25,0,35,20");
}

}  // namespace
}  // namespace vr
