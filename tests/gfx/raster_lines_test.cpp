// Lines on the raster canvas: pixels of thin lines, dash patterns, wide pens, not-xor mixing,
// clipping and far-off coordinates.
#include <algorithm>
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

Points drawLine(int x0, int y0, int x1, int y1, Pen pen = Pen{}, int w = 40, int h = 40)
{
    QImage im = filledImage(w, h);
    RasterCanvas c(im);
    c.pen = pen;
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
    return marked(im);
}

QImage dashedRow(PenStyle style, int x0, int x1)
{
    QImage im = filledImage(48, 5);
    RasterCanvas c(im);
    c.pen.style = style;
    c.moveTo(x0, 2);
    c.lineTo(x1, 2);
    return im;
}

TEST(ThinLine, EndPixelIsLeftOut)
{
    EXPECT_EQ(drawLine(2, 5, 8, 5), (Points{{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}}));
    EXPECT_EQ(drawLine(8, 5, 2, 5), (Points{{3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}}));
    EXPECT_EQ(drawLine(3, 1, 3, 5), (Points{{3, 1}, {3, 2}, {3, 3}, {3, 4}}));
    EXPECT_EQ(drawLine(1, 1, 5, 5), (Points{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
    EXPECT_EQ(drawLine(5, 1, 1, 5), (Points{{5, 1}, {4, 2}, {3, 3}, {2, 4}}));
    // Steep: one pixel per row, the last row left out.
    EXPECT_EQ(drawLine(0, 0, 2, 5), (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}));
}

TEST(ThinLine, ZeroLengthAndNullPenDrawNothing)
{
    EXPECT_TRUE(drawLine(7, 7, 7, 7).empty());
    EXPECT_TRUE(drawLine(1, 1, 30, 12, Pen{kBlack, 1, PenStyle::Null, PenMode::Copy}).empty());
    EXPECT_TRUE(drawLine(1, 1, 30, 12, Pen{kBlack, 5, PenStyle::Null, PenMode::Copy}).empty());
    EXPECT_TRUE(drawLine(9, 9, 9, 9, Pen{kBlack, 5, PenStyle::Solid, PenMode::Copy}).empty());
}

TEST(ThinLine, SlopesRoundToNearestPixel)
{
    // y = 0.4 x: 0, 0.4, 0.8, 1.2, 1.6
    EXPECT_EQ(drawLine(0, 0, 5, 2), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    // y = 2x/3 going up-left from (6, 4): 4, 3.33, 2.67, 2, 1.33, 0.67
    EXPECT_EQ(drawLine(6, 4, 0, 0), (Points{{1, 1}, {2, 1}, {3, 2}, {4, 3}, {5, 3}, {6, 4}}));
    // x = 0.3 y, steep, with a width-0 pen (drawn as width 1): 0, .3, .6, .9, 1.2, 1.5 (half
    // way: the left pixel), 1.8, 2.1, 2.4, 2.7
    EXPECT_EQ(drawLine(0, 0, 3, 10, Pen{kBlack, 0, PenStyle::Solid, PenMode::Copy}),
              (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {2, 8}, {3, 9}}));
}

TEST(ThinLine, ExactHalfwayTakesUpperOrLeftPixelInEveryDirection)
{
    // Slope 1/2: the ideal line passes half way at x = 1 and 3.
    EXPECT_EQ(drawLine(0, 0, 4, 2), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(drawLine(4, 2, 0, 0), (Points{{1, 0}, {2, 1}, {3, 1}, {4, 2}}));
    EXPECT_EQ(drawLine(0, 2, 4, 0), (Points{{3, 0}, {1, 1}, {2, 1}, {0, 2}}));
    EXPECT_EQ(drawLine(4, 0, 0, 2), (Points{{3, 0}, {4, 0}, {1, 1}, {2, 1}}));
    // Steep, slope 4: half way at y = 2.
    EXPECT_EQ(drawLine(0, 0, 1, 4), (Points{{0, 0}, {0, 1}, {0, 2}, {1, 3}}));
    EXPECT_EQ(drawLine(1, 4, 0, 0), (Points{{0, 1}, {0, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(drawLine(1, 0, 0, 4), (Points{{1, 0}, {1, 1}, {0, 2}, {0, 3}}));
    EXPECT_EQ(drawLine(0, 4, 1, 0), (Points{{1, 1}, {0, 2}, {0, 3}, {0, 4}}));
}

TEST(ThinLine, BackwardsCoversTheSamePixelsWithEndsSwapped)
{
    const int segs[][4] = {{0, 0, 37, 11},  {3, 30, 35, 2},  {5, 1, 14, 38}, {30, 3, 2, 39},
                           {1, 20, 39, 21}, {10, 0, 13, 39}, {0, 0, 39, 26}, {2, 2, 30, 16}};
    for (const auto& s : segs) {
        Points forward = drawLine(s[0], s[1], s[2], s[3]);
        Points backward = drawLine(s[2], s[3], s[0], s[1]);
        forward.emplace_back(s[2], s[3]);
        backward.emplace_back(s[0], s[1]);
        std::sort(forward.begin(), forward.end());
        std::sort(backward.begin(), backward.end());
        EXPECT_EQ(forward, backward) << s[0] << "," << s[1] << " -> " << s[2] << "," << s[3];
    }
}

TEST(DashedPen, FirstPixelsOfEachPattern)
{
    EXPECT_EQ(rowText(dashedRow(PenStyle::Dash, 0, 40), 2, 0, 29), "##################......######");
    EXPECT_EQ(rowText(dashedRow(PenStyle::Dot, 0, 40), 2, 0, 29), "###...###...###...###...###...");
    EXPECT_EQ(rowText(dashedRow(PenStyle::DashDot, 0, 40), 2, 0, 29), "#########......###......######");
    EXPECT_EQ(rowText(dashedRow(PenStyle::DashDotDot, 0, 40), 2, 0, 29), "#########...###...###...######");
    EXPECT_EQ(rowText(dashedRow(PenStyle::InsideFrame, 0, 40), 2, 0, 29), std::string(30, '#'));
}

TEST(DashedPen, PatternStartsAtTheStartPoint)
{
    // Drawn leftwards from x = 40: the first dash covers 40..23, the end pixel 0 is left out.
    EXPECT_EQ(rowText(dashedRow(PenStyle::Dash, 40, 0), 2, 0, 40),
              "." + std::string(16, '#') + "......" + std::string(18, '#'));
    // Counted along the major axis: a vertical line and a shallow diagonal.
    QImage im = filledImage(40, 40);
    RasterCanvas c(im);
    c.pen.style = PenStyle::DashDot;
    c.moveTo(1, 0);
    c.lineTo(1, 39);
    EXPECT_EQ(columnText(im, 1, 0, 29), "#########......###......######");
    c.moveTo(3, 5);
    c.lineTo(39, 14);  // x-major: one pixel per column
    std::string diag;
    for (int x = 3; x < 33; ++x)
        diag += columnText(im, x, 5, 15).find('#') == std::string::npos ? '.' : '#';
    EXPECT_EQ(diag, "#########......###......######");
}

TEST(DashedPen, EachLineToRestartsThePattern)
{
    QImage im = filledImage(48, 5);
    RasterCanvas c(im);
    c.pen.style = PenStyle::Dash;
    c.moveTo(0, 2);
    c.lineTo(10, 2);
    c.lineTo(45, 2);
    EXPECT_EQ(rowText(im, 2, 0, 33), std::string(28, '#') + "......");
}

TEST(DashedPen, GapsLeaveTheGroundUntouched)
{
    QImage im = filledImage(30, 3, 0x00FF00);
    RasterCanvas c(im);
    c.pen = Pen{kRed, 1, PenStyle::Dot, PenMode::Copy};
    c.moveTo(0, 1);
    c.lineTo(12, 1);
    EXPECT_EQ(at(im, 0, 1), kRed);
    EXPECT_EQ(at(im, 3, 1), 0x00FF00u);
    EXPECT_EQ(at(im, 6, 1), kRed);
}

TEST(WidePen, StylesDrawSolidAndTheStrokeIsCentred)
{
    QImage im = filledImage(70, 20);
    RasterCanvas c(im);
    c.pen = Pen{kBlack, 3, PenStyle::Dash, PenMode::Copy};
    c.moveTo(10, 10);
    c.lineTo(60, 10);
    // Where a thin dash would leave its gap (28..33) the wide pen is solid, three rows deep.
    for (int x = 12; x <= 58; ++x) {
        EXPECT_EQ(at(im, x, 9), kBlack) << x;
        EXPECT_EQ(at(im, x, 10), kBlack) << x;
        EXPECT_EQ(at(im, x, 11), kBlack) << x;
        EXPECT_EQ(at(im, x, 8), kWhite) << x;
        EXPECT_EQ(at(im, x, 12), kWhite) << x;
    }
    // Round caps reach past both ends by half the width.
    EXPECT_EQ(at(im, 60, 10), kBlack);
    EXPECT_EQ(at(im, 9, 10), kBlack);
    EXPECT_EQ(at(im, 63, 10), kWhite);
    EXPECT_EQ(at(im, 6, 10), kWhite);
}

TEST(NotXorPen, ShowsPenColourOnWhiteAndASecondStrokeRestores)
{
    for (const int width : {1, 4}) {
        QImage im = filledImage(40, 40);
        RasterCanvas c(im);
        c.pen = Pen{kRed, width, PenStyle::Solid, PenMode::NotXor};
        c.moveTo(3, 5);
        c.lineTo(33, 29);
        const Points once = marked(im);
        ASSERT_FALSE(once.empty());
        for (const auto& [x, y] : once)
            ASSERT_EQ(at(im, x, y), kRed) << "width " << width << " at " << x << "," << y;
        c.moveTo(3, 5);
        c.lineTo(33, 29);
        EXPECT_TRUE(marked(im).empty()) << "width " << width;
    }
}

TEST(NotXorPen, MixesEachChannel)
{
    // Black on white stays black, black on black turns white.
    QImage im = filledImage(10, 2);
    RasterCanvas c(im);
    c.pen = Pen{kBlack, 1, PenStyle::Solid, PenMode::NotXor};
    c.moveTo(0, 0);
    c.lineTo(10, 0);
    EXPECT_EQ(at(im, 4, 0), kBlack);
    c.moveTo(0, 0);
    c.lineTo(10, 0);
    EXPECT_EQ(at(im, 4, 0), kWhite);

    QImage grey = filledImage(10, 2, rgbColor(0x20, 0x40, 0x60));
    RasterCanvas g(grey);
    g.pen = Pen{rgbColor(0xFF, 0x00, 0x0F), 1, PenStyle::Solid, PenMode::NotXor};
    g.moveTo(0, 1);
    g.lineTo(5, 1);
    EXPECT_EQ(at(grey, 2, 1), rgbColor(0x20, 0xBF, 0x90));
    EXPECT_EQ(at(grey, 5, 1), rgbColor(0x20, 0x40, 0x60));
}

TEST(LineClipping, ClippedLineKeepsTheUnclippedPixels)
{
    // The same segments drawn whole on a large image and through a small clip must agree on
    // every pixel inside the clip.
    const int segs[][4] = {{-1000, -37, 1200, 523}, {37, -900, 12, 700}, {-50, 90, 300, -20},
                           {200, 10, -200, 11},     {5, 5, 60, 60},      {-7, -3, 13, 91}};
    for (const PenStyle style : {PenStyle::Solid, PenStyle::DashDotDot}) {
        for (const auto& s : segs) {
            QImage whole = filledImage(2600, 1700);
            RasterCanvas w(whole);
            w.pen.style = style;
            w.translate(1100, 1000);
            w.moveTo(s[0], s[1]);
            w.lineTo(s[2], s[3]);

            QImage part = filledImage(60, 50);
            RasterCanvas p(part);
            p.pen.style = style;
            p.clipTo(IRect{7, 4, 53, 41});
            p.moveTo(s[0], s[1]);
            p.lineTo(s[2], s[3]);

            for (int y = 0; y < 50; ++y)
                for (int x = 0; x < 60; ++x) {
                    const bool inside = x >= 7 && x < 53 && y >= 4 && y < 41;
                    const Color want = inside ? at(whole, x + 1100, y + 1000) : kWhite;
                    ASSERT_EQ(at(part, x, y), want)
                        << s[0] << "," << s[1] << " -> " << s[2] << "," << s[3] << " at " << x << "," << y;
                }
        }
    }
}

// Lines stepped pixel by pixel outside the clip would run past the test's time limit.
TEST(LineClipping, FarCoordinatesFinishQuicklyAndLandExactly)
{
    QImage im = filledImage(20, 20);
    RasterCanvas c(im);
    c.moveTo(INT_MIN, 3);
    c.lineTo(INT_MAX, 3);
    EXPECT_EQ(rowText(im, 3, 0, 19), std::string(20, '#'));

    c.moveTo(-2000000000, -2000000000);
    c.lineTo(2000000000, 2000000000);
    for (int k = 0; k < 20; ++k)
        EXPECT_EQ(at(im, k, k), kBlack) << k;

    // x = 15 + (y + 2e9) / 4e9: exactly half way at y = 0, where the left pixel wins.
    c.moveTo(15, -2000000000);
    c.lineTo(16, 2000000000);
    EXPECT_EQ(rowText(im, 0, 14, 17), ".#..");
    EXPECT_EQ(rowText(im, 1, 14, 17), "..#.");

    // An origin far away plus a far coordinate: device positions beyond 32 bits.
    c.save();
    c.translate(INT_MAX, INT_MAX);
    c.moveTo(INT_MIN, INT_MIN + 10);
    c.lineTo(INT_MAX, INT_MIN + 10);
    c.pen.width = 3;
    c.moveTo(INT_MIN, INT_MIN + 14);
    c.lineTo(INT_MAX, INT_MIN + 14);
    c.restore();
    // The thin line lands on device row 9, the width-3 one on rows 12 to 14.
    EXPECT_EQ(columnText(im, 17, 8, 15), ".#..###.");
}

}  // namespace
}  // namespace vr
