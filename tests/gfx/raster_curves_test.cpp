// Ellipses, rounded rectangles, arcs, pies, chords, polygons, mix modes and brush backgrounds on
// the raster canvas.
#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::columnText;
using test::filledImage;
using test::marked;
using test::rowText;

constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;

TEST(Ellipse, PixelCentresInsideTheBoxEllipseWithTheRimInThePen)
{
    QImage im = filledImage(12, 12);
    RasterCanvas c(im);
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.ellipse(IRect{1, 1, 11, 11});
    EXPECT_EQ(rowText(im, 0, 0, 11), "............");
    EXPECT_EQ(rowText(im, 1, 0, 11), "....####....");
    EXPECT_EQ(rowText(im, 2, 0, 11), "..########..");
    EXPECT_EQ(rowText(im, 6, 0, 11), ".##########.");
    EXPECT_EQ(rowText(im, 10, 0, 11), "....####....");
    EXPECT_EQ(rowText(im, 11, 0, 11), "............");
    EXPECT_EQ(columnText(im, 1, 0, 11), columnText(im, 10, 0, 11));  // symmetric, right edge exclusive
    EXPECT_EQ(at(im, 4, 1), kBlack);
    EXPECT_EQ(at(im, 3, 2), kBlack);  // rim steps stay connected
    EXPECT_EQ(at(im, 4, 2), kRed);
    EXPECT_EQ(at(im, 6, 6), kRed);

    // Without a pen the box loses a pixel right and bottom; all brush.
    QImage np = filledImage(12, 12);
    RasterCanvas n(np);
    n.pen.style = PenStyle::Null;
    n.brush = c.brush;
    n.ellipse(IRect{1, 1, 11, 11});
    EXPECT_EQ(rowText(np, 10, 0, 11), "............");
    EXPECT_EQ(rowText(np, 1, 0, 11), "...#####....");
    for (const auto& [x, y] : marked(np))
        EXPECT_EQ(at(np, x, y), kRed);
}

TEST(Ellipse, WidePenCentredOrInsideTheFrame)
{
    QImage im = filledImage(30, 30);
    RasterCanvas c(im);
    c.pen.width = 5;
    c.brush.style = BrushStyle::Clear;
    c.ellipse(IRect{5, 5, 25, 25});
    // Centred on the rim pixels 5 and 24: two pixels each side of them.
    EXPECT_EQ(rowText(im, 15, 0, 29), "...#####..............#####...");
    QImage in = filledImage(30, 30);
    RasterCanvas f(in);
    f.pen = Pen{kBlack, 5, PenStyle::InsideFrame, PenMode::Copy};
    f.brush.style = BrushStyle::Clear;
    f.ellipse(IRect{5, 5, 25, 25});
    EXPECT_EQ(rowText(in, 15, 0, 29), ".....#####..........#####.....");
    EXPECT_EQ(rowText(in, 4, 0, 29), "..............................");
}

TEST(RoundRect, StraightSidesAndCornerEllipses)
{
    QImage im = filledImage(16, 10);
    RasterCanvas c(im);
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.roundRect(IRect{1, 1, 15, 9}, 6, 4);
    EXPECT_EQ(rowText(im, 1, 0, 15), "..############..");
    EXPECT_EQ(rowText(im, 5, 0, 15), ".##############.");
    EXPECT_EQ(rowText(im, 8, 0, 15), "..############..");
    EXPECT_EQ(at(im, 8, 4), kRed);
    // Corners of zero size give the rectangle's pixels.
    QImage a = filledImage(16, 10), b = filledImage(16, 10);
    RasterCanvas ca(a), cb(b);
    ca.roundRect(IRect{1, 1, 15, 9}, 0, 0);
    cb.rectangle(IRect{1, 1, 15, 9});
    EXPECT_EQ(a, b);
}

TEST(ArcPieChord, CounterClockwiseFromStartRayToEndRay)
{
    // Quarter from the ray to the right to the ray upwards: the upper right quadrant.
    QImage im = filledImage(22, 22);
    RasterCanvas c(im);
    c.pen.style = PenStyle::Null;
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.pie(IRect{1, 1, 21, 21}, IPoint{30, 11}, IPoint{11, -5});
    for (const auto& [x, y] : marked(im)) {
        EXPECT_GE(x, 10);
        EXPECT_LE(y, 10);
    }
    EXPECT_EQ(at(im, 15, 5), kRed);
    EXPECT_EQ(at(im, 5, 5), kWhite);
    // The other way round: three quarters.
    QImage rest = filledImage(22, 22);
    RasterCanvas r(rest);
    r.pen.style = PenStyle::Null;
    r.brush = c.brush;
    r.pie(IRect{1, 1, 21, 21}, IPoint{11, -5}, IPoint{30, 11});
    EXPECT_EQ(at(rest, 15, 5), kWhite);
    EXPECT_EQ(at(rest, 5, 5), kRed);
    EXPECT_EQ(at(rest, 15, 15), kRed);

    // An arc is the rim only, on the swept side; pie adds radii; chord the closing line.
    QImage arc = filledImage(22, 22);
    RasterCanvas a(arc);
    a.arc(IRect{1, 1, 21, 21}, IPoint{30, 11}, IPoint{11, -5});
    EXPECT_EQ(rowText(arc, 1, 0, 21), "...........###........");  // right half of the top rim
    EXPECT_EQ(columnText(arc, 20, 0, 21), "........###...........");
    QImage pie = filledImage(22, 22);
    RasterCanvas p(pie);
    p.brush.style = BrushStyle::Clear;
    p.pie(IRect{1, 1, 21, 21}, IPoint{30, 11}, IPoint{11, -5});
    EXPECT_EQ(rowText(pie, 11, 0, 21), "...........##########.");  // horizontal radius
    EXPECT_EQ(columnText(pie, 11, 0, 21), ".###########..........");
    QImage chord = filledImage(22, 22);
    RasterCanvas h(chord);
    h.brush = Brush{kGreen, BrushStyle::Solid};
    h.chord(IRect{1, 1, 21, 21}, IPoint{30, 11}, IPoint{11, -5});
    EXPECT_EQ(at(chord, 17, 4), kGreen);  // between the arc and the chord
    EXPECT_EQ(at(chord, 13, 8), kWhite);  // on the centre's side of the chord
    EXPECT_EQ(at(chord, 15, 6), kBlack);  // the chord itself
}

TEST(Polygon, TopLeftCornersInsideAndTheOutlineOnTheVertices)
{
    QImage im = filledImage(12, 12);
    RasterCanvas c(im);
    c.pen.style = PenStyle::Null;
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.polygon({{1, 1}, {9, 1}, {1, 9}});
    EXPECT_EQ(rowText(im, 1, 0, 11), ".########...");
    EXPECT_EQ(rowText(im, 4, 0, 11), ".#####......");
    EXPECT_EQ(rowText(im, 8, 0, 11), ".#..........");
    EXPECT_EQ(rowText(im, 9, 0, 11), "............");
    // With a pen the closed outline joins the vertices, last pixel included by the closing side.
    QImage o = filledImage(12, 12);
    RasterCanvas p(o);
    p.brush.style = BrushStyle::Clear;
    p.polygon({{1, 1}, {9, 1}, {9, 9}, {1, 9}});
    EXPECT_EQ(rowText(o, 1, 0, 11), ".#########..");
    EXPECT_EQ(rowText(o, 9, 0, 11), ".#########..");
    EXPECT_EQ(rowText(o, 5, 0, 11), ".#.......#..");
    // A polyline leaves out its last point.
    QImage l = filledImage(12, 12);
    RasterCanvas q(l);
    q.polyline({{1, 1}, {5, 1}, {5, 4}});
    EXPECT_EQ(marked(l), (test::Points{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}}));
}

TEST(Polygon, AlternateLeavesNestedHolesWindingFillsThem)
{
    const std::vector<std::vector<IPoint>> squares{{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
                                                   {{3, 3}, {7, 3}, {7, 7}, {3, 7}}};
    QImage alt = filledImage(12, 12), wind = filledImage(12, 12);
    RasterCanvas a(alt), w(wind);
    for (RasterCanvas* c : {&a, &w}) {
        c->pen.style = PenStyle::Null;
        c->brush = Brush{kRed, BrushStyle::Solid};
    }
    w.windingFill = true;
    a.polyPolygon(squares);
    w.polyPolygon(squares);
    EXPECT_EQ(rowText(alt, 5, 0, 11), "###....###..");
    EXPECT_EQ(rowText(wind, 5, 0, 11), "##########..");
}

TEST(MixModes, EachOfTheSixteenBinaryOperations)
{
    // Pen 0x0F0F33 (bytes r=33 g=0f b=0f) on ground 0x5555AA.
    const Color pen = 0x0F0F33, ground = 0x5555AA;
    auto apply = [&](PenMode mode) {
        QImage im = filledImage(2, 1, ground);
        RasterCanvas c(im);
        c.pen.mode = mode;
        c.setPixel(0, 0, pen);
        return at(im, 0, 0);
    };
    EXPECT_EQ(apply(PenMode::Black), 0x000000u);
    EXPECT_EQ(apply(PenMode::White), 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::Nop), ground);
    EXPECT_EQ(apply(PenMode::Not), ~ground & 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::Copy), pen);
    EXPECT_EQ(apply(PenMode::NotCopyPen), ~pen & 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::XorPen), pen ^ ground);
    EXPECT_EQ(apply(PenMode::NotXor), ~(pen ^ ground) & 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::MaskPen), pen & ground);
    EXPECT_EQ(apply(PenMode::MergePen), pen | ground);
    EXPECT_EQ(apply(PenMode::MaskPenNot), pen & ~ground & 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::MergeNotPen), (~pen | ground) & 0xFFFFFFu);
    EXPECT_EQ(apply(PenMode::NotMaskPen), ~(pen & ground) & 0xFFFFFFu);

    // Outline and brush of a shape are each mixed once: xor twice restores the ground.
    QImage im = filledImage(12, 12, ground);
    RasterCanvas c(im);
    c.pen = Pen{pen, 3, PenStyle::Solid, PenMode::XorPen};
    c.brush = Brush{kRed, BrushStyle::Solid};
    c.ellipse(IRect{1, 1, 11, 11});
    EXPECT_EQ(at(im, 6, 6), kRed ^ ground);
    c.ellipse(IRect{1, 1, 11, 11});
    EXPECT_EQ(marked(im, ground), test::Points{});
}

TEST(BrushBackground, OpaqueHatchGapsAndStyledPenGaps)
{
    QImage im = filledImage(16, 8);
    RasterCanvas c(im);
    c.opaqueBackground = true;
    c.backgroundColor = kGreen;
    c.pen.style = PenStyle::Null;
    c.brush = Brush{kRed, BrushStyle::Horizontal};
    c.rectangle(IRect{0, 0, 9, 9});
    EXPECT_EQ(at(im, 2, 3), kRed);
    EXPECT_EQ(at(im, 2, 2), kGreen);
    c.pen = Pen{kBlack, 1, PenStyle::Dot, PenMode::Copy};
    c.moveTo(0, 7);
    c.lineTo(12, 7);
    EXPECT_EQ(at(im, 2, 7), kBlack);
    EXPECT_EQ(at(im, 3, 7), kGreen);  // dot gap in the background colour
    EXPECT_EQ(at(im, 12, 7), kWhite);
}

TEST(PatternBrush, TiledFromTheDeviceOriginInItsOwnColours)
{
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, toArgb(kRed));
    tile.setPixel(1, 0, toArgb(kGreen));
    tile.setPixel(0, 1, toArgb(kGreen));
    tile.setPixel(1, 1, toArgb(kRed));
    QImage im = filledImage(8, 8);
    RasterCanvas c(im);
    c.translate(1, 0);
    c.pen.style = PenStyle::Null;
    c.brush.style = BrushStyle::Pattern;
    c.brush.pattern = std::make_shared<const QImage>(tile);
    c.rectangle(IRect{0, 0, 5, 5});
    EXPECT_EQ(at(im, 1, 0), kGreen);  // device x 1, not logical x 0
    EXPECT_EQ(at(im, 2, 0), kRed);
    EXPECT_EQ(at(im, 2, 1), kGreen);
    EXPECT_EQ(at(im, 0, 0), kWhite);
}

}  // namespace
}  // namespace vr
