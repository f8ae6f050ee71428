// The recording canvas writes each call as one line with the state it used.
#include <gtest/gtest.h>

#include "gfx/canvas/recording_canvas.h"

#include <memory>

namespace vr {
namespace {

using Lines = std::vector<std::string>;

TEST(RecordingCanvas, LinesAndRectanglesCarryPenAndBrush)
{
    RecordingCanvas c;
    c.pen = Pen{0x0000FF, 1, PenStyle::Solid, PenMode::NotXor};
    c.moveTo(10, 20);
    c.lineTo(30, 40);
    c.lineTo(30, 40);
    c.pen = Pen{0x123456, 3, PenStyle::DashDotDot, PenMode::Copy};
    c.brush = Brush{0xFF0000, BrushStyle::BDiagonal};
    c.rectangle(IRect{1, 2, 3, 4});
    c.pen.style = PenStyle::InsideFrame;
    c.brush.style = BrushStyle::Clear;
    c.rectangle(IRect{5, 6, 7, 8});
    EXPECT_EQ(c.calls,
              (Lines{
                  "line 10,20 -> 30,40 pen=#ff0000 w1 solid notxor",
                  "line 30,40 -> 30,40 pen=#ff0000 w1 solid notxor",
                  "rectangle 1,2,3,4 pen=#563412 w3 dashdotdot copy brush=#0000ff bdiagonal",
                  "rectangle 5,6,7,8 pen=#563412 w3 insideframe copy brush=#0000ff clear",
              }));
}

TEST(RecordingCanvas, OriginAppliesToEveryCoordinateAndRestoreBringsItBack)
{
    RecordingCanvas c;
    c.save();
    c.translate(100, -5);
    c.clipTo(IRect{0, 0, 10, 10});
    c.fillRect(IRect{1, 1, 2, 2}, 0x00FF00);
    c.pen.style = PenStyle::Null;
    c.moveTo(0, 0);
    c.lineTo(-100, 5);
    c.setPixel(3, 4, 0xABCDEF);
    c.restore();
    c.setPixel(3, 4, 0);
    EXPECT_EQ(c.pen.style, PenStyle::Solid);
    EXPECT_EQ(c.calls,
              (Lines{
                  "save",
                  "translate 100,-5",
                  "clip 100,-5,110,5",
                  "fillrect 101,-4,102,-3 #00ff00",
                  "line 100,-5 -> 0,0 pen=#000000 w1 null copy",
                  "setpixel 103,-1 #efcdab",
                  "restore",
                  "setpixel 3,4 #000000",
              }));
}

TEST(RecordingCanvas, TextIsQuotedWithItsFontAndMeasuredEightPixelsABye)
{
    RecordingCanvas c;
    c.font = FontRequest{"QV_Hazel", 14, 5, 0x0080FF};
    c.textOut(7, 8, std::string("a\"b\\c\xe9\n", 7));
    c.textOut(0, 0, std::string("\0x", 2));
    EXPECT_EQ(c.calls,
              (Lines{
                  "text 7,8 font=QV_Hazel/14/5 #ff8000 \"a\\\"b\\\\c\\xe9\\x0a\"",
                  "text 0,0 font=QV_Hazel/14/5 #ff8000 \"\\x00x\"",
              }));
    EXPECT_EQ(c.textWidth("abc"), 24);
    EXPECT_EQ(c.textWidth(""), 0);
    EXPECT_EQ(c.pixel(5, 5), kWhite);
    EXPECT_EQ(c.width(), 794);
    EXPECT_EQ(c.height(), 1123);
    EXPECT_EQ(c.dpiX(), 96);
}

TEST(RecordingCanvas, CurvesPolygonsBlitsAndStateFlagsWhenNotDefault)
{
    RecordingCanvas c;
    c.translate(1, 2);
    c.pen.mode = PenMode::XorPen;
    c.roundRect(IRect{0, 0, 10, 8}, 4, 3);
    c.pen = Pen{0x0000FF, 1, PenStyle::Dot, PenMode::Copy};
    c.brush = Brush{0x00FF00, BrushStyle::Cross};
    c.opaqueBackground = true;
    c.backgroundColor = 0x808080;
    c.windingFill = true;
    c.polyPolygon({{{0, 0}, {4, 0}, {0, 4}}, {{5, 5}, {6, 6}}});
    c.pie(IRect{0, 0, 20, 20}, IPoint{30, 10}, IPoint{10, -5});
    c.brush = Brush{0, BrushStyle::Pattern, std::make_shared<const QImage>(8, 4, QImage::Format_RGB32)};
    c.stretchBlt(IRect{0, 0, -10, 10}, QImage(4, 3, QImage::Format_RGB32), IRect{0, 0, 4, 3}, rop::SrcCopy);
    c.stretchBlt(IRect{0, 0, 10, 10}, QImage(4, 3, QImage::Format_RGB32), IRect{0, 0, 4, 3}, rop::MergeCopy);
    c.patBlt(IRect{0, 0, 5, 5}, rop::PatInvert);
    EXPECT_EQ(c.calls,
              (Lines{
                  "translate 1,2",
                  "roundrect 1,2,11,10 4,3 pen=#000000 w1 solid r2_7 brush=#ffffff solid",
                  "polypolygon 1,2 5,2 1,6 | 6,7 7,8 pen=#ff0000 w1 dot copy opaque=#808080 brush=#00ff00 cross "
                  "opaque=#808080 winding",
                  "pie 1,2,21,22 31,12 11,-3 pen=#ff0000 w1 dot copy opaque=#808080 brush=#00ff00 cross "
                  "opaque=#808080",
                  "stretchblt 1,2,-9,12 from 4x3 0,0,4,3 rop=00cc0020",
                  "stretchblt 1,2,11,12 from 4x3 0,0,4,3 rop=00c000ca brush=#000000 pattern 8x4",
                  "patblt 1,2,6,7 rop=005a0049 brush=#000000 pattern 8x4",
              }));
}

TEST(RecordingCanvas, UnicodeTextAlphaBlendsAndClipRegionsHaveTheirOwnLines)
{
    RecordingCanvas c;
    c.translate(10, 5);
    TextRun run;
    run.font.face = "Arial";
    run.font.height = -20;
    run.font.weight = 700;
    run.font.italic = run.font.strikeOut = true;
    run.font.escapement = 900;
    run.font.color = 0x0000FF;
    run.text = u"a\"\u0394";
    run.advances = {5, 6, 7};
    c.drawTextRun(1.4, 2.6, run);
    run = TextRun{};
    run.font.face = "Tahoma";
    run.font.height = 12;
    run.font.orientation = 450;
    run.glyphIndexes = true;
    run.text = u"\u0024\u1234";
    c.drawTextRun(0, 0, run);
    c.alphaBlend(IRect{0, 0, 4, 4}, QImage(2, 2, QImage::Format_ARGB32), IRect{0, 0, 2, 2}, 128, true);
    c.clipToRegion(QRegion(0, 0, 5, 5) + QRegion(10, 0, 5, 5));
    EXPECT_EQ(c.calls,
              (Lines{"translate 10,5",
                     "textrun 11,8 font=Arial/-20/0/700/is #ff0000 \"a\\\"\xce\x94\" esc=900 orient=0 dx=5,6,7",
                     "textrun 10,5 font=Tahoma/12/0/400 #000000 \"\\u0024\\u1234\" orient=450 glyphs",
                     "alphablend 10,5,14,9 from 2x2 0,0,2,2 alpha=128 perpixel", "clipregion 10,5,15,10 20,5,25,10"}));
    // Measures are fixed: 8 pixels a unit unless advances are given, four fifths above the baseline.
    TextRunMeasure m = c.measureTextRun(run);
    EXPECT_EQ(m.width, 16);
    EXPECT_EQ(m.ascent, 9);
    EXPECT_EQ(m.descent, 3);
}

}  // namespace
}  // namespace vr
