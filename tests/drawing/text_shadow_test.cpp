// Text shadows on a screen canvas and on printed sheets, checked pixel by pixel against the shape
// of plain stems ("I" of the sans-serif test face), whose ink is a solid rectangle.
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "drawing/text_shadow.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/gfx_test_support.h"
#include "gfx/print/printer.h"

namespace vr {
namespace {

using test::at;
using test::filledImage;
using PixelSet = std::set<std::pair<int, int>>;

constexpr Color kShadow = 0x00C08040;
const FontRequest kFont{"DejaVu Sans", 20, 0, kBlack};

PixelSet inkOf(const QImage& im)
{
    PixelSet s;
    for (const auto& p : test::marked(im))
        s.insert(p);
    return s;
}

// Where the text lies when drawn at (0, 0) in kFont at 96 dpi: the stems, each a solid rectangle
// (left, top, right, bottom inclusive), left to right.
std::vector<QRect> stems(const std::string& text)
{
    QImage im = filledImage(200, 60);
    RasterCanvas c(im);
    c.font = kFont;
    c.textOut(0, 0, text);
    std::vector<QRect> out;
    for (int x = 0; x < im.width(); ++x) {
        int top = -1, bottom = -1;
        for (int y = 0; y < im.height(); ++y)
            if (at(im, x, y) != kWhite) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
        if (top < 0)
            continue;
        if (!out.empty() && out.back().right() == x - 1 && out.back().top() == top && out.back().bottom() == bottom)
            out.back().setRight(x);
        else
            out.push_back(QRect(QPoint(x, top), QPoint(x, bottom)));
    }
    PixelSet fromRects;
    for (const QRect& r : out)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                fromRects.insert({x, y});
    EXPECT_EQ(fromRects, inkOf(im)) << "the stems of '" << text << "' are not solid rectangles";
    return out;
}

PixelSet box(int left, int top, int right, int bottom)
{
    PixelSet s;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            s.insert({x, y});
    return s;
}

PixelSet shifted(const PixelSet& s, int dx, int dy)
{
    PixelSet out;
    for (const auto& [x, y] : s)
        out.insert({x + dx, y + dy});
    return out;
}

// The shadow drawn on a white screen canvas at (X0, Y0) = (30, 20), as pixels relative to
// (X0, Y0); every one must be in the shadow colour.
PixelSet screenShadow(const std::string& text, int depth, int angle, const std::string& kind)
{
    QImage im = filledImage(260, 120);
    RasterCanvas c(im);
    c.font = kFont;
    DrawTextShadow(c, depth, angle, kind, 20, 30, text, kShadow);
    const PixelSet ink = inkOf(im);
    for (const auto& [x, y] : ink)
        EXPECT_EQ(at(im, x, y), kShadow) << x << "," << y;
    return shifted(ink, -30, -20);
}

class TextShadowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto s = stems("I");
        ASSERT_EQ(s.size(), 1u);
        bar = s[0];
        ASSERT_GE(bar.left(), 2);  // the scan starts at column 2
        ASSERT_GE(bar.top(), 4);  // room above the stem for the upward lines
        L = bar.left(), T = bar.top(), R = bar.right(), B = bar.bottom();
    }
    QRect bar;
    int L = 0, T = 0, R = 0, B = 0;
};

TEST_F(TextShadowTest, ExtrudedLinesStartOnTheEdgeFacingAwayFromTheDirection)
{
    // 0 (and 360): right of the stem, Depth + 1 pixels long.
    EXPECT_EQ(screenShadow("I", 3, 0, "0"), box(R + 1, T, R + 4, B));
    EXPECT_EQ(screenShadow("I", 3, 360, "0"), box(R + 1, T, R + 4, B));
    // 90: above, going up; 180: left, going left; 270: below, going down.
    EXPECT_EQ(screenShadow("I", 2, 90, "0"), box(L, T - 3, R, T - 1));
    EXPECT_EQ(screenShadow("I", 2, 180, "0"), box(L - 3, T, L - 1, B));
    EXPECT_EQ(screenShadow("I", 2, 270, "0"), box(L, B + 1, R, B + 3));
    // 45 uses the left-neighbour and the below tests; the step (0.71, -0.71) rounds to (1, -1)
    // for k = 1 and 2.
    PixelSet diagonal;
    for (int y = T; y <= B; ++y)
        diagonal.insert({{R + 1, y}, {R + 2, y - 1}});
    for (int x = L; x <= R; ++x)
        diagonal.insert({{x, T - 1}, {x + 1, T - 2}});
    EXPECT_EQ(screenShadow("I", 2, 45, "0"), diagonal);
    // Depth 0 keeps the start pixels alone; below 0, or a direction outside 0..360, nothing.
    EXPECT_EQ(screenShadow("I", 0, 0, "0"), box(R + 1, T, R + 1, B));
    EXPECT_TRUE(screenShadow("I", -1, 0, "0").empty());
    EXPECT_TRUE(screenShadow("I", 3, 400, "0").empty());
}

TEST_F(TextShadowTest, ExtrudedLineSkipsLettersInItsWayAndGoesOnBehindThem)
{
    const auto s = stems("II");
    ASSERT_EQ(s.size(), 2u);
    const QRect a = s[0], b = s[1];
    ASSERT_EQ(a.top(), b.top());
    const int depth = b.right() - a.right() + 2;  // reaches 2 pixels past the second stem
    PixelSet expected = box(a.right() + 1, a.top(), b.right() + 1 + depth, a.bottom());
    for (const auto& p : box(b.left(), b.top(), b.right(), b.bottom()))
        expected.erase(p);
    EXPECT_EQ(screenShadow("II", depth, 0, "0"), expected);
}

TEST_F(TextShadowTest, DottedShadowTakesEveryOtherPixelShiftedWhereTheLettersAreNot)
{
    const auto dotted = [&](int dx, int dy) {
        PixelSet s;
        for (int y = T + (T & 1); y <= B; y += 2)
            for (int x = L + (L & 1); x <= R; x += 2)
                if (x + dx >= 0 && y + dy >= 0 && !bar.contains(x + dx, y + dy))  // outside the mask: no shadow
                    s.insert({x + dx, y + dy});
        return s;
    };
    EXPECT_EQ(screenShadow("I", 3, 2, "2"), dotted(3, 2));
    EXPECT_EQ(screenShadow("I", -3, -2, "2"), dotted(-3, -2));
    // Any kind but "0" is dotted; a shift straight down keeps only the dots below the stem.
    EXPECT_EQ(screenShadow("I", 3, 2, "7"), dotted(3, 2));
    EXPECT_EQ(screenShadow("I", 0, 4, ""), dotted(0, 4));
}

// Printed shadows: built on a bitmap at the printer's scale and combined with the sheet by AND.
TEST_F(TextShadowTest, PrintedShadowFollowsTheScalesAndIsAndedWithTheSheet)
{
    // 192 dpi, scales 2: the mask font (20 pt x 2 at 96 dpi) matches the sheet's 20 pt letters.
    constexpr Color kUnder = 0x0000FFFF;  // yellow under the left part of the page
    MemoryPrinter printer(192);
    printer.beginDoc();
    Canvas& sheet = printer.canvas();
    sheet.font = kFont;
    sheet.fillRect(IRect{0, 0, 60, 300}, kUnder);
    QImage letters = filledImage(300, 120);
    RasterCanvas lc(letters, 192);
    lc.font = kFont;
    lc.textOut(0, 0, "I");
    const PixelSet ink = inkOf(letters);
    ASSERT_FALSE(ink.empty());
    int l = 1000, t = 1000, r = -1, b = -1;
    for (const auto& [x, y] : ink)
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
    ASSERT_EQ(ink, box(l, t, r, b));

    // Depth 3 at scale 2: Round(3 x 2) + 1 = 7 pixels right of the stem, across the yellow edge.
    const int x0 = 56 - r;
    DrawTextShadow(printer, 3, 0, "0", 2.0, 2.0, 20, x0, "I", kShadow);
    // Dotted offsets (2, 1) at scale 2 become (4, 2); unlike the screen, dots land on the
    // letters' place too (only a black bitmap pixel stops one).
    DrawTextShadow(printer, 2, 1, "2", 2.0, 2.0, 150, 40, "I", kShadow);
    PixelSet expected = shifted(box(r + 1, t, r + 7, b), x0, 20);
    for (int y = t + (t & 1); y <= b; y += 2)
        for (int x = l + (l & 1); x <= r; x += 2)
            expected.insert({40 + x + 4, 150 + y + 2});
    const QImage& im = printer.sheets().back();
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x) {
            const Color ground = x < 60 ? kUnder : kWhite;
            ASSERT_EQ(at(im, x, y), expected.count({x, y}) != 0 ? (ground & kShadow) : ground) << x << "," << y;
        }
    // Modes other than E and I, and I without a printer, draw nothing.
    QImage screen = filledImage(100, 60);
    RasterCanvas c(screen);
    c.font = kFont;
    DrawTextShadow(c, nullptr, 3, 0, "0", 'X', 1.0, 1.0, 10, 10, "I", kShadow);
    DrawTextShadow(c, nullptr, 3, 0, "0", kShadowPrinted, 1.0, 1.0, 10, 10, "I", kShadow);
    EXPECT_TRUE(test::marked(screen).empty());
}

}  // namespace
}  // namespace vr
