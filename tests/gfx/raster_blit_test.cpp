// Bitmap copies and pattern fills with raster operations on the raster canvas.

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::filledImage;
using test::marked;

constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;
constexpr Color kBlue = 0xFF0000;

// Source pixels 0, 1, 2 ... along a row, as colours 0x000001, 0x000002 ...
QImage rampRow(int n)
{
    QImage im(n, 1, QImage::Format_RGB32);
    for (int x = 0; x < n; ++x)
        im.setPixel(x, 0, toArgb(static_cast<Color>(x + 1)));
    return im;
}

std::vector<Color> row(const QImage& im, int y, int x0, int x1)
{
    std::vector<Color> out;
    for (int x = x0; x <= x1; ++x)
        out.push_back(at(im, x, y));
    return out;
}

TEST(StretchBlt, NearestSourcePixelUnderEachDestinationCentre)
{
    QImage im = filledImage(10, 2);
    RasterCanvas c(im);
    c.stretchBlt(IRect{1, 0, 8, 1}, rampRow(3), IRect{0, 0, 3, 1}, rop::SrcCopy);  // 3 -> 7
    EXPECT_EQ(row(im, 0, 0, 9), (std::vector<Color>{kWhite, 1, 1, 2, 2, 2, 3, 3, kWhite, kWhite}));
    c.stretchBlt(IRect{0, 1, 3, 2}, rampRow(5), IRect{0, 0, 5, 1}, rop::SrcCopy);  // 5 -> 3
    EXPECT_EQ(row(im, 1, 0, 3), (std::vector<Color>{1, 3, 5, kWhite}));
}

TEST(StretchBlt, ReversedRectanglesMirrorAndCancelOut)
{
    QImage im = filledImage(4, 3);
    RasterCanvas c(im);
    c.stretchBlt(IRect{4, 0, 0, 1}, rampRow(4), IRect{0, 0, 4, 1}, rop::SrcCopy);
    EXPECT_EQ(row(im, 0, 0, 3), (std::vector<Color>{4, 3, 2, 1}));
    c.stretchBlt(IRect{0, 1, 4, 2}, rampRow(4), IRect{4, 0, 0, 1}, rop::SrcCopy);
    EXPECT_EQ(row(im, 1, 0, 3), (std::vector<Color>{4, 3, 2, 1}));
    c.stretchBlt(IRect{4, 2, 0, 3}, rampRow(4), IRect{4, 0, 0, 1}, rop::SrcCopy);
    EXPECT_EQ(row(im, 2, 0, 3), (std::vector<Color>{1, 2, 3, 4}));
}

TEST(StretchBlt, TernaryOperationsCombinePatternSourceAndDestination)
{
    const Color d = 0x5555AA, s = 0x0F0F33, p = 0x00FF0F;
    QImage src(1, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, toArgb(s));
    auto blit = [&](uint32_t op) {
        QImage im = filledImage(1, 1, d);
        RasterCanvas c(im);
        c.brush = Brush{p, BrushStyle::Solid};
        c.stretchBlt(IRect{0, 0, 1, 1}, src, IRect{0, 0, 1, 1}, op);
        return at(im, 0, 0);
    };
    EXPECT_EQ(blit(rop::SrcAnd), s & d);
    EXPECT_EQ(blit(rop::SrcPaint), s | d);
    EXPECT_EQ(blit(rop::SrcInvert), s ^ d);
    EXPECT_EQ(blit(rop::SrcErase), s & ~d & 0xFFFFFFu);
    EXPECT_EQ(blit(rop::NotSrcCopy), ~s & 0xFFFFFFu);
    EXPECT_EQ(blit(rop::MergeCopy), p & s);
    EXPECT_EQ(blit(rop::MergePaint), (~s | d) & 0xFFFFFFu);
    EXPECT_EQ(blit(rop::PatInvert), p ^ d);
    EXPECT_EQ(blit(rop::PatPaint), (p | ~s | d) & 0xFFFFFFu);
    EXPECT_EQ(blit(0x00B8074A), (p & ~s) | (d & s));  // PSDPxax: the pattern where the source is 0
}

TEST(StretchBlt, TransparentPixelsLeaveTheDestination)
{
    QImage src(2, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, 0x00FF0000u);
    src.setPixel(1, 0, 0xFF00FF00u);
    QImage im = filledImage(2, 1, kBlue);
    RasterCanvas c(im);
    c.stretchBlt(IRect{0, 0, 2, 1}, src, IRect{0, 0, 2, 1}, rop::SrcCopy);
    EXPECT_EQ(row(im, 0, 0, 1), (std::vector<Color>{kBlue, kGreen}));
}

TEST(StretchBlt, HugeDestinationOnlyVisitsTheClip)
{
    QImage im = filledImage(20, 20);
    RasterCanvas c(im);
    c.clipTo(IRect{5, 5, 10, 10});
    // A copy that visited its whole destination would run past the test's time limit.
    c.stretchBlt(IRect{-(1 << 30), -(1 << 30), 1 << 30, 1 << 30}, rampRow(2), IRect{0, 0, 2, 1}, rop::SrcCopy);
    EXPECT_EQ(marked(im).size(), 25u);
    EXPECT_EQ(at(im, 5, 5), 2u);  // right of the copy's middle: source pixel 1
}

TEST(PatBlt, HatchOnTheBackgroundColourAndDestinationOperations)
{
    QImage im = filledImage(8, 8);
    RasterCanvas c(im);
    c.brush = Brush{kRed, BrushStyle::Horizontal};
    c.backgroundColor = kGreen;
    c.patBlt(IRect{0, 0, 8, 4}, rop::PatCopy);
    EXPECT_EQ(at(im, 0, 3), kRed);
    EXPECT_EQ(at(im, 0, 2), kGreen);
    c.patBlt(IRect{0, 4, 8, 8}, rop::DstInvert);
    EXPECT_EQ(at(im, 3, 6), kBlack);
    c.brush.style = BrushStyle::Clear;
    c.patBlt(IRect{0, 4, 8, 8}, rop::PatCopy);  // a clear brush paints nothing
    EXPECT_EQ(at(im, 3, 6), kBlack);
    c.patBlt(IRect{0, 4, 8, 8}, rop::Whiteness);
    EXPECT_EQ(at(im, 3, 6), kWhite);
}

}  // namespace
}  // namespace vr
