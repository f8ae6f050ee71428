// The blits, arcs, region fills, flood fills, monochrome brushes and embedded pictures of
// metafiles, on pixels or call by call.
#include <array>

#include <QImage>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx_test_support.h"
#include "metafile_test_support.h"

namespace vr {
namespace {

using namespace test;

QImage draw(Metafile::Kind kind, const std::vector<uint8_t>& bytes, int w, int h, Color ground = kWhite)
{
    QImage im = filledImage(w, h, ground);
    auto m = Metafile::parse(kind, bytes);
    EXPECT_TRUE(m.has_value());
    if (m) {
        RasterCanvas c(im);
        m->play(c, IRect{0, 0, w, h});
    }
    return im;
}

// A BITMAPINFOHEADER of w x 1 at bpp bits, with `colours` table entries following.
void bmi(Bytes& f, int w, int bpp, int colours = 0)
{
    f.u32(40).u32(static_cast<uint32_t>(w)).u32(1).u16(1).u16(static_cast<uint32_t>(bpp)).u32(0).u32(0);
    f.u32(0).u32(0).u32(static_cast<uint32_t>(colours)).u32(0);
}

// An EMF blit record of the AlphaBlend/TransparentBlt layout (type, 2 x 1 destination at
// (10, 10), parameter at 40, 108 bytes before the bitmap) with one row of 32-bit pixels.
void emfBlit(Bytes& f, uint32_t type, uint32_t param, const std::vector<uint32_t>& bgra)
{
    const uint32_t w = static_cast<uint32_t>(bgra.size());
    f.u32(type).u32(108 + 40 + 4 * w).u32(0).u32(0).u32(0).u32(0);
    f.u32(10).u32(10).u32(w).u32(1).u32(param).u32(0).u32(0);
    for (int k = 0; k < 6; ++k)
        f.f32(k == 0 || k == 3 ? 1.0f : 0.0f);
    f.u32(0).u32(0).u32(108).u32(40).u32(148).u32(4 * w).u32(w).u32(1);
    bmi(f, static_cast<int>(w), 32);
    for (const uint32_t v : bgra)
        f.u32(v);
}

TEST(MetafileBlits, AlphaBlendAndTransparentBlt)
{
    // A premultiplied half-transparent red over white: red stays full, the others halve.
    Bytes f = emfHeader(40, 20);
    emfBlit(f, 114, 0x01FF0000, {0x80800000, 0xFF0000FF});
    emfEnd(f);
    QImage im = draw(Metafile::Kind::Emf, f.b, 40, 20);
    EXPECT_EQ(im.pixel(10, 10) & 0xFFFFFF, 0xFF7F7Fu);
    EXPECT_EQ(im.pixel(11, 10) & 0xFFFFFF, 0x0000FFu);
    // A constant alpha of 128 without the source's own.
    f = emfHeader(40, 20);
    emfBlit(f, 114, 0x00800000, {0x00FF0000});
    emfEnd(f);
    EXPECT_EQ(draw(Metafile::Kind::Emf, f.b, 40, 20).pixel(10, 10) & 0xFFFFFF, 0xFF7F7Fu);
    // TransparentBlt: white is the transparent colour.
    f = emfHeader(40, 20);
    emfBlit(f, 116, 0xFFFFFF, {0x00FF0000, 0x00FFFFFF});
    emfEnd(f);
    im = draw(Metafile::Kind::Emf, f.b, 40, 20, 0xFF0000);
    EXPECT_EQ(test::at(im, 10, 10), Color{0x0000FF});
    EXPECT_EQ(test::at(im, 11, 10), Color{0xFF0000});
}

TEST(MetafileBlits, MaskBltAndPlgBlt)
{
    // MaskBlt: red and green through the mask 1, 0: the copy where 1, nothing where 0.
    Bytes f = emfHeader(40, 20);
    f.u32(78).u32(128 + 48 + 4 + 48 + 4).u32(0).u32(0).u32(0).u32(0);
    f.u32(10).u32(10).u32(2).u32(1).u32(0xAACC0020).u32(0).u32(0);
    for (int k = 0; k < 6; ++k)
        f.f32(k == 0 || k == 3 ? 1.0f : 0.0f);
    f.u32(0).u32(0).u32(128).u32(40).u32(168).u32(8).u32(0).u32(0).u32(0).u32(176).u32(48).u32(224).u32(4);
    bmi(f, 2, 32);
    f.u32(0x00FF0000).u32(0x0000FF00);
    bmi(f, 2, 1, 2);
    f.u32(0).u32(0xFFFFFF).u32(0x80);
    emfEnd(f);
    QImage im = draw(Metafile::Kind::Emf, f.b, 40, 20, 0xFF0000);
    EXPECT_EQ(test::at(im, 10, 10), Color{0x0000FF});
    EXPECT_EQ(test::at(im, 11, 10), Color{0xFF0000});
    // PlgBlt onto the parallelogram (12, 10), (10, 10), (12, 11): mirrored left to right.
    f = emfHeader(40, 20);
    f.u32(79).u32(140 + 48).u32(0).u32(0).u32(0).u32(0);
    f.u32(12).u32(10).u32(10).u32(10).u32(12).u32(11).u32(0).u32(0).u32(2).u32(1);
    for (int k = 0; k < 6; ++k)
        f.f32(k == 0 || k == 3 ? 1.0f : 0.0f);
    f.u32(0).u32(0).u32(140).u32(40).u32(180).u32(8).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
    bmi(f, 2, 32);
    f.u32(0x00FF0000).u32(0x0000FF00);
    emfEnd(f);
    im = draw(Metafile::Kind::Emf, f.b, 40, 20, 0xFF0000);
    EXPECT_EQ(test::at(im, 10, 10), Color{0x00FF00});
    EXPECT_EQ(test::at(im, 11, 10), Color{0x0000FF});
    EXPECT_EQ(test::at(im, 12, 10), Color{0xFF0000});
}

TEST(MetafileRecords, AngleArcArcToAndPolyDrawRunFromTheCurrentPosition)
{
    Bytes f = emfHeader(100, 100);
    emfRecord(f, 27, {0, 50});
    f.u32(41).u32(28).u32(50).u32(50).u32(20).f32(0).f32(90);  // angle arc
    emfRecord(f, 54, {0, 0});
    emfRecord(f, 55, {0, 0, 100, 100, 100, 50, 50, 0});  // arc to
    emfRecord(f, 54, {0, 0});
    // Poly draw: move to (10, 10), line to (20, 10), line to (20, 20) closing the figure.
    f.u32(56).u32(28 + 24 + 4).u32(0).u32(0).u32(0).u32(0).u32(3).u32(10).u32(10).u32(20).u32(10).u32(20).u32(20);
    f.u8(6).u8(2).u8(3).u8(0);
    emfEnd(f);
    const Lines l = play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100});
    const Lines polylines = only(l, "polyline");
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[0].substr(0, 22), "polyline 0,50 70,50 70");
    EXPECT_NE(polylines[0].find(" 50,30 pen="), std::string::npos);
    EXPECT_EQ(only(l, "line")[0].substr(0, 20), "line 50,30 -> 0,0 pe");
    EXPECT_EQ(polylines[1].substr(0, 23), "polyline 0,0 100,50 100");
    EXPECT_NE(polylines[1].find(" 50,0 pen="), std::string::npos);
    EXPECT_EQ(only(l, "line")[1].substr(0, 19), "line 50,0 -> 0,0 pe");
    EXPECT_EQ(polylines[2].substr(0, 38), "polyline 10,10 20,10 20,20 10,10 pen=#");
}

// RGNDATA of rectangles.
void rgnData(Bytes& f, const std::vector<std::array<uint32_t, 4>>& rects)
{
    f.u32(32).u32(1).u32(static_cast<uint32_t>(rects.size())).u32(static_cast<uint32_t>(16 * rects.size()));
    f.u32(0).u32(0).u32(100).u32(100);
    for (const auto& r : rects)
        f.u32(r[0]).u32(r[1]).u32(r[2]).u32(r[3]);
}

TEST(MetafileRecords, RegionsAreFilledFramedPaintedAndInverted)
{
    const std::vector<std::array<uint32_t, 4>> two{{0, 0, 10, 10}, {20, 0, 30, 10}};
    Bytes f = emfHeader(100, 100);
    f.u32(71).u32(32 + 64).u32(0).u32(0).u32(0).u32(0).u32(64).u32(0x80000004);
    rgnData(f, two);
    f.u32(72).u32(40 + 48).u32(0).u32(0).u32(0).u32(0).u32(48).u32(0x80000004).u32(2).u32(3);
    rgnData(f, {{40, 0, 50, 10}});
    f.u32(73).u32(28 + 48).u32(0).u32(0).u32(0).u32(0).u32(48);
    rgnData(f, {{60, 0, 70, 10}});
    emfRecord(f, 37, {0x80000002});  // grey brush
    f.u32(74).u32(28 + 48).u32(0).u32(0).u32(0).u32(0).u32(48);
    rgnData(f, {{80, 0, 90, 10}});
    emfEnd(f);
    EXPECT_EQ(
        only(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100}), "patblt"),
        (Lines{
            "patblt 0,0,10,10 rop=00f00021 brush=#000000 solid", "patblt 20,0,30,10 rop=00f00021 brush=#000000 solid",
            // The frame: 2 wide and 3 high inside the region's edge.
            "patblt 40,0,50,3 rop=00f00021 brush=#000000 solid", "patblt 40,3,42,7 rop=00f00021 brush=#000000 solid",
            "patblt 48,3,50,7 rop=00f00021 brush=#000000 solid", "patblt 40,7,50,10 rop=00f00021 brush=#000000 solid",
            "patblt 60,0,70,10 rop=00550009 brush=#ffffff solid",
            "patblt 80,0,90,10 rop=00f00021 brush=#808080 solid"}));
    // The same through WMF regions (logical units mapped like every coordinate).
    const std::vector<uint16_t> region{0x06FF, 0, 6, 0, 0, 0, 1, 2, 0, 0, 100, 100, 2, 0, 10, 0, 10, 2};
    const Lines wmfLines = only(play(Metafile::Kind::Wmf,
                                     wmf(200, 200, 96,
                                         {region,
                                          {0x02FC, 0, 0xFF, 0, 0},
                                          {0x0228, 0, 1},
                                          {0x012D, 1},
                                          {0x012B, 0},
                                          {0x012A, 0},
                                          {0x0429, 0, 1, 4, 4}}),
                                     IRect{0, 0, 100, 100}),
                                "patblt");
    EXPECT_EQ(
        wmfLines,
        (Lines{"patblt 0,0,5,5 rop=00f00021 brush=#ff0000 solid", "patblt 0,0,5,5 rop=00f00021 brush=#ff0000 solid",
               "patblt 0,0,5,5 rop=00550009 brush=#ff0000 solid", "patblt 0,0,5,2 rop=00f00021 brush=#ff0000 solid",
               "patblt 0,2,2,3 rop=00f00021 brush=#ff0000 solid", "patblt 3,2,5,3 rop=00f00021 brush=#ff0000 solid",
               "patblt 0,3,5,5 rop=00f00021 brush=#ff0000 solid"}));
}

TEST(MetafileRecords, FloodFillsStopAtTheBorderOrLeaveTheSurface)
{
    // A black outline; the red brush floods its inside, by the border colour and by the
    // surface colour.
    for (const auto& fill :
         std::vector<std::vector<uint16_t>>{{0x0419, 0, 0, 30, 30}, {0x0548, 1, 0xFFFF, 0x00FF, 30, 30}}) {
        const auto file = wmf(100, 100, 96, {{0x041B, 50, 50, 10, 10}, {0x02FC, 0, 0xFF, 0, 0}, {0x012D, 0}, fill});
        const QImage im = draw(Metafile::Kind::Wmf, file, 100, 100);
        EXPECT_EQ(test::at(im, 30, 30), Color{0x0000FF});
        EXPECT_EQ(test::at(im, 11, 11), Color{0x0000FF});
        EXPECT_EQ(test::at(im, 10, 30), kBlack);
        EXPECT_EQ(test::at(im, 5, 5), kWhite);
        EXPECT_EQ(test::at(im, 60, 60), kWhite);
    }
}

TEST(MetafileRecords, MonochromePatternBrushesTakeTheTextAndBackgroundColours)
{
    // An 8 x 8 one-bit pattern, each row 11110000: 1 bits blue (background), 0 bits red (text).
    // The bitmap's 14-byte header (its bits pointer 0) and 18 reserved bytes come first.
    std::vector<uint16_t> brush{0x01F9, 0, 8, 8, 2, 0x0101, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int y = 0; y < 8; ++y)
        brush.push_back(0x00F0);
    const auto file =
        wmf(100, 100, 96,
            {brush, {0x012D, 0}, {0x0209, 0x00FF, 0}, {0x0201, 0, 0xFF}, {0x061D, 0x0021, 0x00F0, 8, 8, 0, 0}});
    const QImage im = draw(Metafile::Kind::Wmf, file, 100, 100);
    EXPECT_EQ(test::at(im, 0, 0), Color{0xFF0000});
    EXPECT_EQ(test::at(im, 3, 5), Color{0xFF0000});
    EXPECT_EQ(test::at(im, 4, 0), Color{0x0000FF});
    EXPECT_EQ(test::at(im, 9, 0), kWhite);
    // EMF: a monochrome brush record, the text and background colours at the time of drawing.
    Bytes f = emfHeader(100, 100);
    f.u32(93).u32(32 + 48 + 32).u32(1).u32(2).u32(32).u32(48).u32(80).u32(32);
    f.u32(40).u32(8).u32(8).u16(1).u16(1).u32(0).u32(0).u32(0).u32(0).u32(2).u32(0);
    f.u32(0).u32(0xFFFFFF);
    for (int y = 0; y < 8; ++y)
        f.u32(0x0F);
    emfRecord(f, 37, {1});
    emfRecord(f, 24, {0x00FF00});
    emfRecord(f, 25, {0x000000});
    emfRecord(f, 37, {0x80000008});
    emfRecord(f, 43, {0, 0, 9, 9});
    emfEnd(f);
    const QImage e = draw(Metafile::Kind::Emf, f.b, 100, 100);
    EXPECT_EQ(test::at(e, 0, 0), Color{0x00FF00});
    EXPECT_EQ(test::at(e, 3, 0), Color{0x00FF00});
    EXPECT_EQ(test::at(e, 4, 0), kBlack);
}

TEST(MetafileRecords, AnEmfInTheWmfCommentsIsPlayedInsteadOfTheWmf)
{
    Bytes emf = emfHeader(100, 100);
    emfRecord(emf, 39, {1, 0, 0x00FF00, 0});  // green brush
    emfRecord(emf, 37, {1});
    emfRecord(emf, 43, {10, 10, 50, 50});
    emfEnd(emf);
    // Two chunks in escape records (MFCOMMENT, "WMFC", type 1, version 0x10000, checksum, flags,
    // record count, chunk size, bytes remaining, the EMF's size).
    std::vector<std::vector<uint16_t>> records;
    const size_t half = emf.size() / 2;
    for (int part = 0; part < 2; ++part) {
        const std::vector<uint8_t> chunk(emf.b.begin() + (part ? static_cast<ptrdiff_t>(half) : 0),
                                         part ? emf.b.end() : emf.b.begin() + static_cast<ptrdiff_t>(half));
        Bytes d;
        d.u32(0x43464D57).u32(1).u32(0x10000).u16(0).u32(0).u32(2).u32(static_cast<uint32_t>(chunk.size()));
        d.u32(static_cast<uint32_t>(part ? 0 : emf.size() - half)).u32(static_cast<uint32_t>(emf.size())).bytes(chunk);
        std::vector<uint16_t> r{0x0626, 15, static_cast<uint16_t>(d.size())};
        for (const uint16_t w : words(d.b))
            r.push_back(w);
        records.push_back(r);
    }
    records.push_back({0x041B, 90, 90, 60, 60});  // the WMF's own rendering
    const Lines l = play(Metafile::Kind::Wmf, wmf(100, 100, 96, records), IRect{0, 0, 100, 100});
    EXPECT_EQ(only(l, "rectangle"), (Lines{"rectangle 10,10,50,50 pen=#000000 w1 solid copy brush=#00ff00 solid"}));
    // A chunk missing: the WMF records are played.
    records.erase(records.begin() + 1);
    Diagnostics d;
    const Lines wmfOnly = play(Metafile::Kind::Wmf, wmf(100, 100, 96, records), IRect{0, 0, 100, 100}, &d);
    EXPECT_EQ(only(wmfOnly, "rectangle").size(), 1u);
    EXPECT_EQ(only(wmfOnly, "rectangle")[0].substr(0, 24), "rectangle 60,60,90,90 pe");
}

}  // namespace
}  // namespace vr
