// Generated backgrounds: each family checked at a few pixels (or drawing calls) whose values follow
// from the pattern's walk by hand.
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "drawing/background_pattern.h"
#include "drawing/pixel_checks.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"

namespace vr {
namespace {

using test::at;
using test::columnText;
using test::expectPixels;
using test::rowText;

constexpr Color kBack = rgbColor(10, 20, 30);
constexpr Color kRed200 = rgbColor(200, 0, 0);

QImage render(int w, int h, uint8_t pattern, Color cp, uint8_t step = 1, int areaW = -1, int areaH = -1)
{
    QImage im = test::filledImage(w, h, kWhite);
    RasterCanvas c(im);
    FillBackgroundPattern(c, areaW < 0 ? w : areaW, areaH < 0 ? h : areaH, kBack, cp, step, pattern);
    return im;
}

// The drawing calls of one pattern, without the preparing fill.
std::vector<std::string> calls(int w, int h, uint8_t pattern, uint8_t step, const std::string& kind)
{
    RecordingCanvas c(w, h);
    FillBackgroundPattern(c, w, h, kBack, kRed200, step, pattern);
    std::vector<std::string> out;
    for (const std::string& s : c.calls)
        if (s.rfind(kind, 0) == 0)
            out.push_back(s);
    return out;
}

TEST(PatternForStyleCode, ShufflesTheFirstNineCodesAndKeepsTheOthers)
{
    const uint8_t expected[] = {0, 2, 3, 4, 5, 6, 1, 8, 7};
    for (uint8_t code = 0; code < 9; ++code)
        EXPECT_EQ(PatternForStyleCode(code), expected[code]) << int(code);
    for (uint8_t code : {9, 17, 24, 25, 255})
        EXPECT_EQ(PatternForStyleCode(code), code);
}

TEST(DotPatterns, GridAndStaggeredRowsWithHalfStepsRoundedToEven)
{
    const QImage grid = render(7, 4, 0, kRed200, 3);
    EXPECT_EQ(rowText(grid, 0, 0, 6, kBack), "#..#..#");
    EXPECT_EQ(rowText(grid, 1, 0, 6, kBack), ".......");
    EXPECT_EQ(rowText(grid, 3, 0, 6, kBack), "#..#..#");

    // Step 1: Round(0.5) = 0, so rows advance by 1 with no offset: every pixel is set.
    EXPECT_TRUE(test::marked(render(6, 4, 1, kRed200, 1), kRed200).empty());

    // Step 5: rows every Round(2.5) = 2 pixels, offsets 0 and 2 in turn.
    const QImage staggered = render(12, 5, 1, kRed200, 5);
    EXPECT_EQ(rowText(staggered, 0, 0, 11, kBack), "#....#....#.");
    EXPECT_EQ(rowText(staggered, 1, 0, 11, kBack), "............");
    EXPECT_EQ(rowText(staggered, 2, 0, 11, kBack), "..#....#....");
    EXPECT_EQ(rowText(staggered, 4, 0, 11, kBack), "#....#....#.");
    EXPECT_EQ(at(staggered, 0, 0), kRed200);
}

TEST(LinePatterns, HatchingsGridAndDiagonals)
{
    const QImage vertical = render(9, 3, 2, kRed200, 4);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(rowText(vertical, y, 0, 8, kBack), "#...#...#");
    const QImage horizontal = render(3, 9, 3, kRed200, 4);
    EXPECT_EQ(columnText(horizontal, 2, 0, 8, kBack), "#...#...#");
    const QImage grid = render(9, 9, 4, kRed200, 4);
    EXPECT_EQ(rowText(grid, 4, 0, 8, kBack), "#########");
    EXPECT_EQ(rowText(grid, 5, 0, 8, kBack), "#...#...#");

    // Rising: t = 0, 3, 6 below W + H = 9, each (t, 0) to (0, t) without its end pixel.
    EXPECT_EQ(test::marked(render(5, 4, 5, kRed200, 3), kBack), (test::Points{{3, 0}, {2, 1}, {1, 2}, {4, 2}, {3, 3}}));
    // Falling: t = 9, 6, 3, 0, -3 (while t > -H), each (t, 0) to (t + 4, 4).
    EXPECT_EQ(test::marked(render(5, 4, 6, kRed200, 3), kBack),
              (test::Points{{0, 0}, {3, 0}, {1, 1}, {4, 1}, {2, 2}, {0, 3}, {3, 3}}));
}

TEST(RayPattern, AnglesAreWholeRadiansAndEndsCircleRoundWW)
{
    // Centre (Round(10.5), Round(4.5)) = (10, 4); a = 0, 100, 200, 300 taken as radians, ends
    // (Round(21 + 42 cos a), Round(21 + 42 sin a)); in degrees a = 100 would end at (14, 62).
    EXPECT_EQ(calls(21, 9, 7, 100, "line"),
              (std::vector<std::string>{
                  "line 10,4 -> 63,21 pen=#c80000 w1 solid copy",
                  "line 10,4 -> 57,0 pen=#c80000 w1 solid copy",
                  "line 10,4 -> 41,-16 pen=#c80000 w1 solid copy",
                  "line 10,4 -> 20,-21 pen=#c80000 w1 solid copy",
              }));
    EXPECT_EQ(calls(21, 9, 7, 255, "line").size(), 2u);  // a = 0 and 255
}

TEST(CirclePatterns, HollowOutlinesInTheirBoxes)
{
    const std::string tail = " pen=#c80000 w1 solid copy brush=#0a141e clear";
    // Round(W/2), Round(H/2) = (5, 4); r = 1, 3, 5 below H.
    EXPECT_EQ(
        calls(10, 7, 9, 2, "ellipse"),
        (std::vector<std::string>{"ellipse 4,3,6,5" + tail, "ellipse 2,1,8,7" + tail, "ellipse 0,-1,10,9" + tail}));
    // e = 13 / 5 = 2.6: r = 1 .. 9 below Round(10.4), boxes (r, 0)-(Round(r + 2.6), H).
    const auto tall = calls(13, 5, 10, 1, "ellipse");
    ASSERT_EQ(tall.size(), 9u);
    EXPECT_EQ(tall.front(), "ellipse 1,0,4,5" + tail);
    EXPECT_EQ(tall.back(), "ellipse 9,0,12,5" + tail);
    // Round the top-right corner: r = 1, 3, 5 below 3H.
    EXPECT_EQ(
        calls(10, 2, 11, 2, "ellipse"),
        (std::vector<std::string>{"ellipse 9,-1,11,1" + tail, "ellipse 7,-3,13,3" + tail, "ellipse 5,-5,15,5" + tail}));
}

TEST(GradientPatterns, NormalisationsStripsAndComponentSteps)
{
    // Single-channel: pure red starts at (1, 0, 0) and only red climbs, one per strip at W = 255;
    // components of 250 or more become 1, and (1, 1, 0) is not grey, so red and green climb.
    expectPixels(render(255, 3, 8, kRed200),
                 {{0, 0, rgbColor(1, 0, 0)}, {1, 2, rgbColor(2, 0, 0)}, {254, 1, rgbColor(255, 0, 0)}});
    expectPixels(render(255, 1, 8, rgbColor(255, 255, 0)), {{0, 0, rgbColor(1, 1, 0)}, {1, 0, rgbColor(2, 2, 0)}});

    // Full normalisation: grey becomes (1, 1, 1) and ends in white. W = 640: strips from
    // Round(k * 2.5098) to Round((k + 1) * 2.5098): columns 0-2, 3-4, 5-7, ..., 635-636, 637-639.
    const QImage grey = render(640, 2, 13, rgbColor(128, 128, 128));
    EXPECT_EQ(rowText(grey, 1, 0, 7, rgbColor(2, 2, 2)), "###..###");
    expectPixels(
        grey,
        {{2, 0, rgbColor(1, 1, 1)}, {5, 0, rgbColor(3, 3, 3)}, {636, 1, rgbColor(254, 254, 254)}, {637, 1, kWhite}});

    // Right to left from p = W, columns Round(p - sx) + 1 .. Round(p): 638-640, 636-637, 633-635,
    // 631-632, ..., 1-3; column 0 keeps the back colour.
    expectPixels(render(640, 2, 14, rgbColor(128, 128, 128)),
                 {{639, 0, rgbColor(1, 1, 1)},
                  {638, 0, rgbColor(1, 1, 1)},
                  {637, 0, rgbColor(2, 2, 2)},
                  {633, 0, rgbColor(3, 3, 3)},
                  {632, 0, rgbColor(4, 4, 4)},
                  {1, 1, kWhite},
                  {0, 1, kBack}});
}

TEST(GradientPatterns, VerticalWalksAndTheirDivisors)
{
    // Top to bottom dividing by W = 10: +1 up to 15, then + Round(c / 10): 17, 19, 21, 23, 25,
    // 27 (Round(2.5) = 2), 30.
    expectPixels(render(10, 255, 16, kRed200),
                 {{3, 14, rgbColor(15, 0, 0)},
                  {3, 15, rgbColor(17, 0, 0)},
                  {9, 20, rgbColor(27, 0, 0)},
                  {0, 21, rgbColor(30, 0, 0)}});
    // Dividing by H = 255, fully normalised (200, 1, 1): every component + 1 per row.
    expectPixels(render(10, 255, 15, kRed200), {{5, 20, rgbColor(220, 21, 21)}, {5, 60, rgbColor(255, 61, 61)}});
    // Bottom to top: the first strip is row H (off the area), row 0 keeps the back colour.
    expectPixels(render(10, 255, 17, rgbColor(128, 128, 128)),
                 {{0, 254, rgbColor(2, 2, 2)}, {0, 240, rgbColor(17, 17, 17)}, {0, 1, kWhite}, {0, 0, kBack}});
    expectPixels(render(10, 255, 18, kRed200), {{0, 254, rgbColor(2, 0, 0)}, {0, 0, kBack}});
}

TEST(BandPatterns, OffsetsRiseAndFallAndSaturate)
{
    // (250, 100, 0) fully normalised is (250, 100, 1); red stops rising at 255.
    const Color cp = rgbColor(250, 100, 0);
    expectPixels(render(20, 2, 19, cp),
                 {{0, 0, rgbColor(250, 100, 1)},
                  {5, 1, rgbColor(255, 105, 6)},
                  {9, 0, rgbColor(255, 109, 10)},
                  {10, 0, rgbColor(255, 110, 11)},
                  {11, 0, rgbColor(254, 109, 10)},
                  {19, 0, rgbColor(246, 101, 2)}});
    expectPixels(render(20, 2, 20, cp),
                 {{0, 0, kBack},
                  {1, 0, rgbColor(255, 109, 10)},
                  {9, 1, rgbColor(251, 101, 2)},
                  {10, 0, rgbColor(250, 100, 1)},
                  {15, 0, rgbColor(255, 105, 6)},
                  {19, 0, rgbColor(255, 109, 10)}});
    // W = 5: the falling half starts at Round(2.5) = 2.
    expectPixels(render(5, 1, 19, cp), {{2, 0, rgbColor(252, 102, 3)}, {3, 0, rgbColor(251, 101, 2)}});
    expectPixels(render(2, 20, 21, cp), {{1, 11, rgbColor(254, 109, 10)}});
    expectPixels(render(2, 20, 22, cp), {{1, 0, kBack}, {1, 1, rgbColor(255, 109, 10)}});
}

TEST(RampPattern, FirstCycleSpans79ColumnsAndLaterOnes53)
{
    expectPixels(render(140, 2, 23, kRed200),
                 {{0, 1, rgbColor(200, 0, 0)},
                  {25, 1, rgbColor(200, 250, 250)},
                  {26, 1, rgbColor(0, 255, 0)},
                  {51, 1, rgbColor(250, 255, 250)},
                  {52, 1, rgbColor(0, 0, 255)},
                  {77, 1, rgbColor(250, 250, 255)},
                  {78, 1, kBack},
                  {79, 1, rgbColor(0, 255, 0)},
                  {105, 1, rgbColor(0, 0, 255)},
                  {131, 1, kBack},
                  {132, 1, rgbColor(0, 255, 0)}});
    expectPixels(render(79, 1, 23, kRed200), {{77, 0, rgbColor(250, 250, 255)}, {78, 0, kBack}});
}

TEST(PlainAndUnknownPatterns, ShowTheBackColourAlone)
{
    for (uint8_t pattern : {24, 25, 200, 255})
        EXPECT_TRUE(test::marked(render(6, 5, pattern, kRed200, 1), kBack).empty()) << int(pattern);
}

TEST(PatternFaults, StepZeroDrawsAsStepOne)
{
    for (uint8_t pattern = 0; pattern <= 11; ++pattern)
        EXPECT_EQ(render(30, 20, pattern, kRed200, 0), render(30, 20, pattern, kRed200, 1)) << int(pattern);
}

TEST(PatternFaults, GradientsOfZeroWidthDrawNothing)
{
    for (uint8_t pattern : {16, 17, 18}) {
        RecordingCanvas c(10, 50);
        FillBackgroundPattern(c, 0, 50, kBack, kRed200, 1, pattern);
        EXPECT_EQ(c.calls, (std::vector<std::string>{"fillrect 0,0,0,50 #0a141e"})) << int(pattern);
    }
}

// The walks stop where the canvas ends: a canvas smaller than the area shows the same pixels as
// the corner of a full-size one, and an area of INT_MAX costs no more than the canvas.
TEST(PatternFaults, WalksAreBoundedByTheCanvas)
{
    for (uint8_t pattern = 0; pattern <= 24; ++pattern) {
        const QImage full = render(120, 90, pattern, rgbColor(250, 100, 0), 3);
        const QImage part = render(50, 40, pattern, rgbColor(250, 100, 0), 3, 120, 90);
        EXPECT_EQ(part, full.copy(0, 0, 50, 40)) << int(pattern);
    }
    const QImage wide = render(600, 3, 20, rgbColor(250, 100, 0), 1);
    EXPECT_EQ(render(300, 3, 20, rgbColor(250, 100, 0), 1, 600, 3), wide.copy(0, 0, 300, 3));

    for (uint8_t pattern = 0; pattern <= 24; ++pattern) {
        const QImage huge = render(40, 30, pattern, kRed200, 1, INT_MAX, INT_MAX);
        EXPECT_FALSE(huge.isNull()) << int(pattern);
    }
    EXPECT_TRUE(test::marked(render(40, 30, 0, kRed200, 1, INT_MAX, INT_MAX), kRed200).empty());
}

}  // namespace
}  // namespace vr
