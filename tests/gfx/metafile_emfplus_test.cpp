// EMF+ records in EMF comments: dual pictures drawn from their EMF+ records (the EMF ones only
// after GetDC), pictures with records we cannot draw kept to their EMF records, objects,
// transforms, clipping and text.
#include <gtest/gtest.h>

#include "metafile_test_support.h"

namespace vr {
namespace {

using namespace test;

// EMF+ records: type, flags and data.
struct PlusRecord {
    uint16_t type;
    uint16_t flags;
    Bytes data;
};

// One EMF comment holding EMF+ records.
void plusComment(Bytes& f, const std::vector<PlusRecord>& records)
{
    Bytes d;
    d.u32(0x2B464D45);
    for (const PlusRecord& r : records) {
        d.u16(r.type)
            .u16(r.flags)
            .u32(static_cast<uint32_t>(12 + r.data.size()))
            .u32(static_cast<uint32_t>(r.data.size()));
        d.bytes(r.data.b);
    }
    while (d.size() % 4)
        d.u8(0);
    f.u32(70).u32(static_cast<uint32_t>(12 + d.size())).u32(static_cast<uint32_t>(d.size())).bytes(d.b);
}

PlusRecord header(bool dual)
{
    Bytes d;
    d.u32(0xDBC01002).u32(0).u32(96).u32(96);
    return {0x4001, static_cast<uint16_t>(dual ? 1 : 0), d};
}

PlusRecord fillRect(uint32_t argb, float x, float y, float w, float h)
{
    Bytes d;
    d.u32(argb).u32(1).f32(x).f32(y).f32(w).f32(h);
    return {0x400A, 0x8000, d};
}

PlusRecord floats(uint16_t type, uint16_t flags, const std::vector<float>& values)
{
    Bytes d;
    for (const float v : values)
        d.f32(v);
    return {type, flags, d};
}

TEST(EmfPlus, DualPicturesDrawTheirEmfPlusRecordsAndTheEmfOnesOnlyAfterGetDc)
{
    Bytes f = emfHeader(100, 100);
    plusComment(f, {header(true), fillRect(0xFF00FF00, 10, 10, 20, 20)});
    emfRecord(f, 43, {50, 50, 60, 60});  // the fallback: left out
    plusComment(f, {{0x4004, 0, {}}});  // GetDC
    emfRecord(f, 43, {70, 70, 80, 80});  // drawn
    plusComment(f, {fillRect(0x00FF0000, 0, 0, 5, 5), {0x4002, 0, {}}});  // transparent: nothing
    emfRecord(f, 43, {90, 90, 95, 95});  // after other EMF+ records again: left out
    emfEnd(f);
    const Lines l = play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100});
    EXPECT_EQ(Lines(l.begin() + 2, l.end() - 1),
              (Lines{"polygon 10,10 30,10 30,30 10,30 pen=#000000 w1 null copy brush=#00ff00 solid",
                     "rectangle 70,70,80,80 pen=#000000 w1 solid copy brush=#ffffff solid"}));
    // A record we cannot draw (StrokeFillPath) keeps the whole picture to its EMF records.
    Bytes g = emfHeader(100, 100);
    plusComment(g, {header(true), fillRect(0xFF00FF00, 10, 10, 20, 20), {0x4037, 0, {}}});
    emfRecord(g, 43, {50, 50, 60, 60});
    emfEnd(g);
    EXPECT_EQ(only(play(Metafile::Kind::Emf, g.b, IRect{0, 0, 100, 100}), "polygon").size(), 0u);
    EXPECT_EQ(only(play(Metafile::Kind::Emf, g.b, IRect{0, 0, 100, 100}), "rectangle").size(), 1u);
}

TEST(EmfPlus, ObjectsTransformsPageUnitsAndClipping)
{
    Bytes f = emfHeader(200, 200);
    // Pen object 1: blue, 2 units wide, world units.
    Bytes pen;
    pen.u32(0xDBC01002).u32(0).u32(0).u32(0).f32(2).u32(0xDBC01002).u32(0).u32(0xFF0000FF);
    // Path object 2: a closed triangle of float points.
    Bytes path;
    path.u32(0xDBC01002).u32(3).u32(0).f32(0).f32(0).f32(40).f32(0).f32(0).f32(40).u8(0).u8(1).u8(0x81).u8(0);
    Bytes lines;
    lines.u32(2).f32(0).f32(0).f32(50).f32(0);
    Bytes fillPath;
    fillPath.u32(0xFFFF0000);
    Bytes drawPath;
    drawPath.u32(1);
    plusComment(f,
                {header(false),
                 {0x4008, 0x0201, pen},
                 {0x4008, 0x0302, path},
                 floats(0x402D, 0, {10, 20}),  // translate
                 {0x400D, 1, lines},
                 floats(0x4030, 4, {0.5f}),  // page unit inch, scale 1/2: 48 pixels a unit (40: 1920)
                 floats(0x402B, 0, {}),  // reset the world transform
                 floats(0x4032, 0x0100, {1, 1, 2, 2}),  // clip: intersect with 48,48 - 144,144
                 {0x4014, 0x8002, fillPath},
                 {0x4031, 0, {}},  // reset the clip
                 floats(0x4030, 2, {1}),
                 {0x4015, 2, drawPath}});
    emfEnd(f);
    const Lines l = play(Metafile::Kind::Emf, f.b, IRect{0, 0, 200, 200});
    EXPECT_EQ(Lines(l.begin() + 2, l.end() - 1),
              (Lines{"polyline 10,20 60,20 pen=#0000ff w2 solid copy", "save", "clip 48,48,144,144",
                     "polygon 0,0 1920,0 0,1920 pen=#0000ff w2 null copy brush=#ff0000 solid", "restore",
                     "polygon 0,0 40,0 0,40 pen=#0000ff w2 solid copy brush=#ffffff clear"}));
}

TEST(EmfPlus, StringsAndDriverStringsAreTextRuns)
{
    Bytes f = emfHeader(200, 100);
    Bytes font;
    font.u32(0xDBC01002).f32(12).u32(2).u32(1).u32(0).u32(5);
    for (const char16_t c : std::u16string(u"Arial"))
        font.u16(c);
    font.u16(0);
    Bytes str;
    str.u32(0xFF000000).u32(0xFFFFFFFF).u32(2).f32(12).f32(30).f32(0).f32(0).u16('O').u16('K');
    Bytes driver;
    driver.u32(0xFFFF0000).u32(1).u32(0).u32(2).u16('a').u16('b').f32(50).f32(60).f32(58).f32(60);
    plusComment(f, {header(false), {0x4008, 0x0600, font}, {0x401C, 0x8000, str}, {0x4036, 0x8000, driver}});
    emfEnd(f);
    // DrawString: a sixth of the em in from the left, the ascent down from the top; bold from
    // the font's style; DrawDriverString: each glyph at its position.
    EXPECT_EQ(only(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 200, 100}), "textrun"),
              (Lines{"textrun 14,39 font=Arial/-12/0/700 #000000 \"OK\"",
                     "textrun 50,60 font=Arial/-12/0/700 #ff0000 \"ab\" dx=8,0"}));
}

}  // namespace
}  // namespace vr
