// Rectangles, brushes, fills, pixels, drawing state and text on the raster canvas.
#include <climits>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::columnText;
using test::filledImage;
using test::marked;
using test::Points;
using test::rowText;

constexpr Color kRed = 0x0000FF;
constexpr Color kBlue = 0xFF0000;

TEST(Rectangle, ThinOutlineOnTheEdgesAndBrushInside)
{
    QImage im = filledImage(12, 10);
    RasterCanvas c(im);
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.rectangle(IRect{2, 3, 8, 7});
    EXPECT_EQ(rowText(im, 2, 0, 11), "............");
    EXPECT_EQ(rowText(im, 3, 0, 11), "..######....");
    EXPECT_EQ(rowText(im, 6, 0, 11), "..######....");
    EXPECT_EQ(rowText(im, 7, 0, 11), "............");
    for (int y = 3; y <= 6; ++y) {
        EXPECT_EQ(at(im, 2, y), kBlack);
        EXPECT_EQ(at(im, 7, y), kBlack);
    }
    for (int y = 4; y <= 5; ++y)
        for (int x = 3; x <= 6; ++x)
            EXPECT_EQ(at(im, x, y), kRed) << x << "," << y;

    // Drawn with its corners swapped, the same pixels.
    QImage swapped = filledImage(12, 10);
    RasterCanvas s(swapped);
    s.brush = c.brush;
    s.rectangle(IRect{8, 7, 2, 3});
    EXPECT_EQ(swapped, im);
}

TEST(Rectangle, NullPenFillsOnePixelLessRightAndBottom)
{
    QImage im = filledImage(12, 10);
    RasterCanvas c(im);
    c.pen.style = PenStyle::Null;
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.rectangle(IRect{2, 3, 8, 7});
    Points want;
    for (int y = 3; y <= 5; ++y)
        for (int x = 2; x <= 6; ++x)
            want.emplace_back(x, y);
    EXPECT_EQ(marked(im), want);
    EXPECT_EQ(at(im, 2, 3), kRed);
}

TEST(Rectangle, ClearBrushLeavesTheInsideAndEmptyRectanglesDrawNothing)
{
    QImage im = filledImage(12, 10, kBlue);
    RasterCanvas c(im);
    c.brush.style = BrushStyle::Clear;
    c.rectangle(IRect{2, 3, 8, 7});
    EXPECT_EQ(at(im, 4, 4), kBlue);
    EXPECT_EQ(at(im, 2, 4), kBlack);
    QImage before = im;
    c.rectangle(IRect{5, 1, 5, 9});
    c.rectangle(IRect{1, 8, 9, 8});
    EXPECT_EQ(im, before);
}

TEST(Rectangle, DashCarriesRoundTheOutlineFromTheTopRightCorner)
{
    QImage im = filledImage(32, 12);
    RasterCanvas c(im);
    c.pen.style = PenStyle::Dash;
    c.brush.style = BrushStyle::Clear;
    c.rectangle(IRect{0, 0, 30, 10});
    // Top side leftwards from (29, 0): 18 on, 6 off, then on; the left side goes on with it.
    EXPECT_EQ(rowText(im, 0, 0, 29), "######......##################");
    EXPECT_EQ(columnText(im, 0, 0, 9), "##########");
    EXPECT_EQ(rowText(im, 9, 0, 29), "####......##################..");
    EXPECT_EQ(columnText(im, 29, 0, 9), "#####.....");
}

TEST(Rectangle, WidePenIsCentredOnTheEdges)
{
    QImage im = filledImage(40, 40);
    RasterCanvas c(im);
    c.pen.width = 3;
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.rectangle(IRect{10, 10, 30, 30});
    // Edges through columns 10 and 29, rows 10 and 29, one pixel either side.
    EXPECT_EQ(rowText(im, 20, 7, 32), "..###" + std::string(16, '#') + "###..");
    EXPECT_EQ(at(im, 8, 20), kWhite);
    EXPECT_EQ(at(im, 9, 20), kBlack);
    EXPECT_EQ(at(im, 11, 20), kBlack);
    EXPECT_EQ(at(im, 12, 20), kRed);
    EXPECT_EQ(at(im, 27, 20), kRed);
    EXPECT_EQ(at(im, 28, 20), kBlack);
    EXPECT_EQ(at(im, 30, 20), kBlack);
    EXPECT_EQ(at(im, 31, 20), kWhite);
    EXPECT_EQ(at(im, 20, 9), kBlack);
    EXPECT_EQ(at(im, 20, 12), kRed);
    EXPECT_EQ(at(im, 20, 31), kWhite);
}

TEST(Rectangle, InsideFrameKeepsAWidePenInside)
{
    QImage im = filledImage(40, 40);
    RasterCanvas c(im);
    c.pen = Pen{kBlack, 3, PenStyle::InsideFrame, PenMode::Copy};
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.rectangle(IRect{10, 10, 30, 30});
    EXPECT_EQ(at(im, 9, 20), kWhite);
    EXPECT_EQ(at(im, 10, 20), kBlack);
    EXPECT_EQ(at(im, 12, 20), kBlack);
    EXPECT_EQ(at(im, 13, 20), kRed);
    EXPECT_EQ(at(im, 26, 20), kRed);
    EXPECT_EQ(at(im, 27, 20), kBlack);
    EXPECT_EQ(at(im, 29, 20), kBlack);
    EXPECT_EQ(at(im, 30, 20), kWhite);
    EXPECT_EQ(at(im, 20, 30), kWhite);
    EXPECT_EQ(at(im, 20, 29), kBlack);
}

TEST(Rectangle, NotXorMixesOutlineAndBrushOncePerPixel)
{
    for (const int width : {1, 4}) {
        QImage im = filledImage(40, 40);
        RasterCanvas c(im);
        c.pen = Pen{kBlue, width, PenStyle::Solid, PenMode::NotXor};
        c.brush = Brush{kRed, BrushStyle::Solid};
        c.rectangle(IRect{6, 7, 31, 33});
        EXPECT_EQ(at(im, 6, 20), kBlue) << width;
        EXPECT_EQ(at(im, 18, 20), kRed) << width;
        for (const auto& [x, y] : marked(im))
            ASSERT_TRUE(at(im, x, y) == kBlue || at(im, x, y) == kRed) << width << " at " << x << "," << y;
        c.rectangle(IRect{6, 7, 31, 33});
        EXPECT_TRUE(marked(im).empty()) << width;
    }
}

TEST(Rectangle, FarEdgesLeaveOnlyTheBrushVisible)
{
    for (const int width : {1, 6}) {
        QImage im = filledImage(30, 20);
        RasterCanvas c(im);
        c.pen = Pen{kBlue, width, PenStyle::Solid, PenMode::NotXor};
        c.brush = Brush{kRed, BrushStyle::Solid};
        c.rectangle(IRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX});
        EXPECT_TRUE(marked(im, kRed).empty()) << width;
        im.fill(toArgb(kWhite));
        c.rectangle(IRect{-1000000000, 5, 1000000000, 15});  // edges through rows 5 and 14 only
        EXPECT_EQ(at(im, 17, 1), kWhite) << width;
        EXPECT_EQ(at(im, 17, 5), kBlue) << width;
        EXPECT_EQ(at(im, 17, 10), kRed) << width;
        EXPECT_EQ(at(im, 17, 14), kBlue) << width;
        EXPECT_EQ(at(im, 17, 18), kWhite) << width;
        EXPECT_EQ(at(im, 0, 10), kRed) << width;
    }
}

bool hatchExpected(BrushStyle s, int x, int y)
{
    const int cx = x % 8, cy = y % 8;
    const bool fwd = cx == cy, back = cx + cy == 7;
    switch (s) {
    case BrushStyle::Horizontal:
        return cy == 3;
    case BrushStyle::Vertical:
        return cx == 4;
    case BrushStyle::FDiagonal:
        return fwd;
    case BrushStyle::BDiagonal:
        return back;
    case BrushStyle::Cross:
        return cy == 3 || cx == 4;
    case BrushStyle::DiagCross:
        return fwd || back;
    default:
        return true;
    }
}

TEST(HatchBrush, SixPatternsOnAnEightPixelGridWithTransparentGround)
{
    for (const BrushStyle s : {BrushStyle::Horizontal, BrushStyle::Vertical, BrushStyle::FDiagonal,
                               BrushStyle::BDiagonal, BrushStyle::Cross, BrushStyle::DiagCross}) {
        QImage im = filledImage(20, 20, kBlue);
        RasterCanvas c(im);
        c.pen.style = PenStyle::Null;
        c.brush = Brush{kRed, s};
        c.rectangle(IRect{0, 0, 17, 17});
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const Color want = x < 16 && y < 16 && hatchExpected(s, x, y) ? kRed : kBlue;
                ASSERT_EQ(at(im, x, y), want) << static_cast<int>(s) << " at " << x << "," << y;
            }
    }
}

TEST(HatchBrush, StaysAlignedToTheDeviceOrigin)
{
    QImage im = filledImage(30, 30);
    RasterCanvas c(im);
    c.translate(5, 2);
    c.pen.style = PenStyle::Null;
    c.brush = Brush{kRed, BrushStyle::Cross};
    c.rectangle(IRect{0, 0, 21, 21});
    EXPECT_EQ(rowText(im, 3, 5, 24), std::string(20, '#'));
    EXPECT_EQ(rowText(im, 4, 5, 24), ".......#.......#....");  // device columns 12 and 20
    EXPECT_EQ(rowText(im, 11, 5, 24), std::string(20, '#'));
}

TEST(FillRect, FillsRightAndBottomExclusiveWithoutMixing)
{
    QImage im = filledImage(10, 10);
    RasterCanvas c(im);
    c.pen.mode = PenMode::NotXor;
    c.fillRect(IRect{1, 2, 4, 4}, kRed);
    c.fillRect(IRect{1, 2, 4, 4}, kRed);
    EXPECT_EQ(marked(im), (Points{{1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}}));
    EXPECT_EQ(at(im, 1, 2), kRed);
    const QImage before = im;
    c.fillRect(IRect{6, 6, 3, 9}, kRed);
    c.fillRect(IRect{6, 6, 9, 6}, kRed);
    c.fillRect(IRect{INT_MIN, INT_MIN, INT_MIN + 5, INT_MAX}, kRed);
    EXPECT_EQ(im, before);
    c.fillRect(IRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlue);
    EXPECT_TRUE(marked(im, kBlue).empty());
}

TEST(Pixels, ReadAndWriteWithinTheImage)
{
    QImage im = filledImage(5, 5);
    RasterCanvas c(im);
    c.setPixel(2, 3, kRed);
    EXPECT_EQ(at(im, 2, 3), kRed);
    EXPECT_EQ(c.pixel(2, 3), kRed);
    c.setPixel(-1, 0, kRed);
    c.setPixel(5, 0, kRed);
    c.setPixel(INT_MIN, INT_MAX, kRed);
    EXPECT_EQ(marked(im).size(), 1u);
    im.setPixel(0, 0, toArgb(kBlack));
    EXPECT_EQ(c.pixel(0, 0), kBlack);
    EXPECT_EQ(c.pixel(-1, 0), kWhite);
    EXPECT_EQ(c.pixel(0, 5), kWhite);
    EXPECT_EQ(c.pixel(INT_MAX, INT_MIN), kWhite);
    // The mix mode applies to single pixels too: red over red turns white.
    c.pen.mode = PenMode::NotXor;
    c.setPixel(2, 3, kRed);
    EXPECT_EQ(at(im, 2, 3), kWhite);
}

TEST(DrawingState, TranslateAndClipApplyToEveryPrimitive)
{
    QImage im = filledImage(30, 30);
    RasterCanvas c(im);
    c.translate(10, 20);
    c.setPixel(1, 2, kRed);
    EXPECT_EQ(at(im, 11, 22), kRed);
    EXPECT_EQ(c.pixel(1, 2), kRed);
    c.translate(-10, -20);
    c.clipTo(IRect{5, 5, 15, 15});
    c.clipTo(IRect{0, 0, 12, 40});  // narrows to 5..11 across, never widens
    c.fillRect(IRect{0, 0, 30, 30}, kBlue);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inside = x >= 5 && x < 12 && y >= 5 && y < 15;
            if (x == 11 && y == 22)
                continue;
            ASSERT_EQ(at(im, x, y) == kBlue, inside) << x << "," << y;
        }
    c.pen.width = 5;
    c.moveTo(0, 8);
    c.lineTo(29, 8);
    for (int x = 0; x < 15; ++x)
        EXPECT_EQ(at(im, x, 8), x >= 5 && x < 12 ? kBlack : kWhite) << x;
    c.pen.width = 1;
    c.moveTo(0, 20);
    c.lineTo(29, 20);
    c.setPixel(20, 20, kRed);
    EXPECT_EQ(at(im, 20, 20), kWhite);
}

TEST(DrawingState, RestoreBringsBackOriginClipPenBrushAndFont)
{
    QImage im = filledImage(20, 20);
    RasterCanvas c(im);
    c.translate(2, 3);
    c.pen = Pen{kRed, 2, PenStyle::Dot, PenMode::NotXor};
    c.brush = Brush{kBlue, BrushStyle::Cross};
    c.font = FontRequest{"Serif", 12, 3, kRed};
    const Pen pen = c.pen;
    const Brush brush = c.brush;
    const FontRequest font = c.font;
    c.save();
    c.translate(5, 5);
    c.clipTo(IRect{0, 0, 1, 1});
    c.pen = Pen{};
    c.brush = Brush{};
    c.font = FontRequest{};
    c.setPixel(0, 0, kBlack);  // device (7, 8), inside the clip
    c.setPixel(1, 0, kBlack);  // outside the clip
    c.restore();
    EXPECT_EQ(c.pen, pen);
    EXPECT_EQ(c.brush, brush);
    EXPECT_EQ(c.font, font);
    EXPECT_EQ(at(im, 7, 8), kBlack);
    EXPECT_EQ(at(im, 8, 8), kWhite);
    c.pen.mode = PenMode::Copy;
    c.setPixel(6, 5, kBlue);  // back at origin (2, 3) and with the whole image as clip
    EXPECT_EQ(at(im, 8, 8), kBlue);
    // A restore with nothing saved changes nothing.
    c.restore();
    EXPECT_EQ(c.brush, brush);
    c.setPixel(0, 0, kRed);
    EXPECT_EQ(at(im, 2, 3), kRed);
}

QRect inkBox(const QImage& im)
{
    QRect box;
    for (const auto& [x, y] : marked(im))
        box |= QRect(x, y, 1, 1);
    return box;
}

TEST(Text, DrawsInTheFontColourWithoutGreyPixels)
{
    QImage im = filledImage(200, 60);
    RasterCanvas c(im);
    c.font = FontRequest{"DejaVu Sans", 20, 0, kRed};
    c.textOut(10, 12, "Hamburg\xe9");
    const QRect box = inkBox(im);
    ASSERT_FALSE(box.isEmpty());
    for (const auto& [x, y] : marked(im))
        ASSERT_EQ(at(im, x, y), kRed) << x << "," << y;
    EXPECT_GE(box.left(), 10);
    EXPECT_GE(box.top(), 12);
    EXPECT_LE(box.bottom(), 12 + 27 + 10);
    const int width = c.textWidth("Hamburg\xe9");
    EXPECT_GT(width, 60);
    EXPECT_LE(box.right(), 10 + width + 2);
    EXPECT_EQ(c.textWidth(""), 0);
    EXPECT_LT(c.textWidth("ii"), c.textWidth("WW"));
}

TEST(Text, SizeFollowsTheCanvasResolutionAndTheClip)
{
    QImage small = filledImage(300, 100), large = filledImage(600, 200);
    RasterCanvas c96(small, 96), c192(large, 192);
    c96.font = c192.font = FontRequest{"DejaVu Sans", 12, 1, kBlack};
    c96.textOut(0, 0, "HHHH");
    c192.textOut(0, 0, "HHHH");
    const QRect a = inkBox(small), b = inkBox(large);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_NEAR(b.height(), 2 * a.height(), 2);
    EXPECT_NEAR(c192.textWidth("HHHH"), 2 * c96.textWidth("HHHH"), 4);

    QImage clipped = filledImage(300, 100);
    RasterCanvas cc(clipped);
    cc.font = c96.font;
    cc.clipTo(IRect{0, 0, a.center().x(), 100});
    cc.textOut(0, 0, "HHHH");
    EXPECT_FALSE(marked(clipped).empty());
    EXPECT_LT(inkBox(clipped).right(), a.center().x());
    // Far outside: nothing, and no trouble.
    cc.textOut(INT_MIN, INT_MAX, "HHHH");
    cc.textOut(INT_MAX, 0, "HHHH");
}

}  // namespace
}  // namespace vr
