#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/recording_canvas.h"
#include "objects/ligne.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::LineRec;

namespace {

TLigne loaderLine()
{
    return TLigne(1, 1, 2, 2, 0, 1, 0, 0);
}

TLigne readLine(const vrtest::Bytes& rec, size_t* consumed = nullptr)
{
    DocStream s = DocStream::fromMemory(rec);
    TLigne l = loaderLine();
    l.ReadRecord(s);
    if (consumed)
        *consumed = s.position();
    return l;
}

std::vector<std::string> drawn(TLigne& l, double zoom = 1.0)
{
    RecordingCanvas c;
    l.Draw(c, zoom);
    return c.calls;
}

}  // namespace

TEST(LineRecord, ReadsTheThirtyEightBytesInFieldOrder)
{
    vrtest::Bytes rec = vrtest::lineRecord(LineRec(-999, 20, 9999, 40, 0x0000FF, 3, "4", "FL"));
    rec.push_back(0x55);  // the next record's first byte stays unread
    size_t consumed = 0;
    const TLigne l = readLine(rec, &consumed);
    EXPECT_EQ(consumed, 38u);
    EXPECT_EQ(l.X1, -999);
    EXPECT_EQ(l.Y1, 20);
    EXPECT_EQ(l.X2, 9999);
    EXPECT_EQ(l.Y2, 40);
    EXPECT_EQ(l.color, 0x0000FFu);
    EXPECT_EQ(l.penWidth, 3);
    EXPECT_EQ(l.penStyle, 4);
    EXPECT_EQ(l.arrowKind, 2);
}

TEST(LineRecord, UnknownCodesKeepTheCreationValuesAndWidthKeepsItsLowByte)
{
    LineRec r(1, 2, 3, 4, 0, 99, "7", "fd");
    TLigne l = readLine(vrtest::lineRecord(r));
    EXPECT_EQ(l.penStyle, 0);
    EXPECT_EQ(l.arrowKind, 0);
    EXPECT_EQ(l.penWidth, 99);

    // Arrow code with a stray third character, and a three-digit width cut to 2 characters.
    vrtest::Bytes rec = vrtest::lineRecord(LineRec(1, 2, 3, 4, 0, 1, "6", "FD"));
    rec[35] = 3;
    rec[37] = 'X';
    l = readLine(rec);
    EXPECT_EQ(l.arrowKind, 0);
    EXPECT_EQ(l.penStyle, 6);

    // The width field holds two characters; the page stores the low 8 bits of larger values
    // from wider sources, e.g. a width conversion of -1 keeps 255.
    LineRec neg(1, 2, 3, 4);
    neg.width = "-1";
    EXPECT_EQ(readLine(vrtest::lineRecord(neg)).penWidth, 255);
}

TEST(LineRecord, ShortOrBadFieldsFailAfterKeepingTheFieldsBefore)
{
    vrtest::Bytes rec = vrtest::lineRecord(LineRec(11, 22, 33, 44));
    rec.resize(15);  // X1, Y1 and X2
    DocStream s = DocStream::fromMemory(rec);
    TLigne l = loaderLine();
    try {
        l.ReadRecord(s);
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'' n'est pas une valeur enti\xC3\xA8re correcte");
    }
    EXPECT_EQ(l.X1, 11);
    EXPECT_EQ(l.Y1, 22);
    EXPECT_EQ(l.X2, 33);
    EXPECT_EQ(l.Y2, 2);  // placeholder kept
    EXPECT_EQ(s.position(), 15u);

    LineRec bad(5, 6, 7, 8);
    bad.color = "red";
    DocStream s2 = DocStream::fromMemory(vrtest::lineRecord(bad));
    TLigne l2 = loaderLine();
    EXPECT_THROW(l2.ReadRecord(s2), ConvertError);
    EXPECT_EQ(l2.Y2, 8);
    EXPECT_EQ(l2.color, 0u);
}

TEST(LineDraw, NotXorPenAndTheSegmentAtStoredPoints)
{
    TLigne l(10, 20, 300, 20, 0x0000FF, 2, 1, 0);
    EXPECT_EQ(drawn(l), (std::vector<std::string>{"line 10,20 -> 300,20 pen=#ff0000 w2 dash notxor"}));
    TLigne none(10, 20, 300, 40, 0, 1, 5, 1);
    const auto calls = drawn(none);
    ASSERT_EQ(calls.size(), 5u);
    for (const auto& c : calls)
        EXPECT_NE(c.find(" null notxor"), std::string::npos) << c;
}

TEST(LineDraw, VerticalLineHeadTiltsOnePixelRight)
{
    TLigne l(100, 100, 100, 200, 0, 1, 0, 3);
    EXPECT_EQ(drawn(l),
              (std::vector<std::string>{
                  "line 100,100 -> 100,200 pen=#000000 w1 solid notxor",
                  "line 101,200 -> 95,186 pen=#000000 w1 solid notxor",
                  "line 101,200 -> 106,186 pen=#000000 w1 solid notxor",
              }));
}

TEST(LineDraw, CoincidentPointsPointBothBarbsLeft)
{
    TLigne l(50, 60, 50, 60, 0, 1, 0, 3);
    const auto calls = drawn(l);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1], "line 51,60 -> 37,66 pen=#000000 w1 solid notxor");
    EXPECT_EQ(calls[2], "line 51,60 -> 37,54 pen=#000000 w1 solid notxor");
}

TEST(LineDraw, ArrowKindsChooseTheirTips)
{
    TLigne both(100, 50, 200, 150, 0, 3, 0, 1);
    EXPECT_EQ(drawn(both),
              (std::vector<std::string>{
                  "line 100,50 -> 200,150 pen=#000000 w3 solid notxor",
                  "line 200,150 -> 184,144 pen=#000000 w3 solid notxor",
                  "line 200,150 -> 194,134 pen=#000000 w3 solid notxor",
                  "line 100,50 -> 116,56 pen=#000000 w3 solid notxor",
                  "line 100,50 -> 106,66 pen=#000000 w3 solid notxor",
              }));
    TLigne first(110, 100, 10, 100, 0, 1, 0, 2);  // tip at the first point, heading left
    EXPECT_EQ(drawn(first)[1], "line 110,100 -> 96,106 pen=#000000 w1 solid notxor");
    TLigne upRight(10, 100, 110, 0, 0, 1, 0, 3);  // dx > 0, dy < 0
    EXPECT_EQ(drawn(upRight)[1], "line 110,0 -> 104,14 pen=#000000 w1 solid notxor");
    EXPECT_EQ(drawn(upRight)[2], "line 110,0 -> 96,6 pen=#000000 w1 solid notxor");
}

TEST(LineDraw, ZoomScalesThePointsButNotTheStoredValues)
{
    TLigne l(101, 33, 201, 67, 0, 1, 0, 0);
    EXPECT_EQ(drawn(l, 2.0)[0], "line 202,66 -> 402,134 pen=#000000 w1 solid notxor");
    EXPECT_EQ(drawn(l, 1.5)[0], "line 152,50 -> 302,100 pen=#000000 w1 solid notxor");  // 151.5 -> 152, 49.5 -> 50
    EXPECT_EQ(l.X1, 101);
    EXPECT_EQ(l.Y2, 67);
}

TEST(LinePrint, ScaledPointsWidthsAndBarbs)
{
    RecordingCanvas c(4000, 4000, 384);
    TLigne thin(10, 10, 100, 10, 0, 1, 0, 0);
    thin.Print(c, 4, 4);
    TLigne wide(10, 10, 100, 10, 0, 2, 0, 3);
    wide.Print(c, 4, 4);
    TLigne zero(1, 1, 3, 3, 0, 0, 0, 0);
    zero.Print(c, 6.25, 6.25);
    EXPECT_EQ(c.calls,
              (std::vector<std::string>{
                  "line 40,40 -> 400,40 pen=#000000 w1 solid notxor",
                  "line 40,40 -> 400,40 pen=#000000 w8 solid notxor",
                  "line 400,40 -> 342,66 pen=#000000 w8 solid notxor",
                  "line 400,40 -> 342,14 pen=#000000 w8 solid notxor",
                  "line 6,6 -> 19,19 pen=#000000 w0 solid notxor",
              }));
}
