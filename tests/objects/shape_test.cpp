#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/recording_canvas.h"
#include "objects/shape.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::ShapeRec;

namespace {

TDShape readShape(const Bytes& bytes, size_t* consumed = nullptr)
{
    DocStream s = DocStream::fromMemory(bytes);
    TDShape shape;
    shape.ReadRecord(s, true);
    if (consumed)
        *consumed = s.position();
    return shape;
}

}  // namespace

TEST(ShapeRecord, FieldsInRecordOrderAndTheUpperLayerCodes)
{
    ShapeRec r;
    r.kind = "5";
    r.brushStyle = "6";
    r.brushColor = "255";
    r.penWidth = "3";
    r.penColor = "65280";
    r.left = "-12";
    r.top = "34";
    r.width = "100";
    r.height = "40";
    Bytes bytes = vrtest::shapeRecord(r);
    bytes.push_back(0x77);
    size_t consumed = 0;
    const TDShape s = readShape(bytes, &consumed);
    EXPECT_EQ(consumed, 57u);
    EXPECT_EQ(s.Shape, TDShapeType::stRoundRect);
    EXPECT_EQ(s.InFront, 1);
    EXPECT_EQ(s.brush.style, BrushStyle::Cross);
    EXPECT_EQ(s.brush.color, 255u);
    EXPECT_EQ(s.pen.width, 3);
    EXPECT_EQ(s.pen.color, 65280u);
    EXPECT_EQ(s.left, -12);
    EXPECT_EQ(s.top, 34);
    EXPECT_EQ(s.width, 100);
    EXPECT_EQ(s.height, 40);

    for (const char* kind : {"9", "", "00"}) {
        r.kind = kind;
        const TDShape t = readShape(vrtest::shapeRecord(r));
        EXPECT_EQ(t.Shape, TDShapeType::stRectangle) << kind;
        EXPECT_EQ(t.InFront, 0) << kind;
    }
    r.kind = "2";
    r.brushStyle = "8";
    const TDShape u = readShape(vrtest::shapeRecord(r));
    EXPECT_EQ(u.Shape, TDShapeType::stRoundSquare);
    EXPECT_EQ(u.brush.style, BrushStyle::Solid);
}

TEST(ShapeRecord, BrushPictureBytesAreAlwaysConsumed)
{
    const Bytes bmp = vrtest::bmpFile(8, 8, 0x0000FF);
    ShapeRec r;
    r.brushImageSize = std::to_string(bmp.size());
    Bytes bytes = vrtest::shapeRecord(r);
    bytes.insert(bytes.end(), bmp.begin(), bmp.end());
    bytes.push_back(0x77);
    size_t consumed = 0;
    TDShape s = readShape(bytes, &consumed);
    EXPECT_EQ(consumed, 57 + bmp.size());
    EXPECT_EQ(s.brush.style, BrushStyle::Pattern);
    ASSERT_TRUE(s.brush.pattern);
    EXPECT_EQ(s.brush.pattern->size(), QSize(8, 8));
    EXPECT_EQ(s.brush.pattern->pixel(3, 3) & 0xFFFFFFu, 0xFF0000u);

    // Bytes that are no picture are consumed all the same and leave the brush as read.
    r.brushImageSize = "5";
    bytes = vrtest::shapeRecord(r);
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5, 0x77});
    s = readShape(bytes, &consumed);
    EXPECT_EQ(consumed, 62u);
    EXPECT_EQ(s.brush.style, BrushStyle::Solid);

    // A size beyond the stream is the read error, allocating nothing.
    r.brushImageSize = "999999999";
    DocStream st = DocStream::fromMemory(vrtest::shapeRecord(r));
    TDShape t;
    EXPECT_THROW(t.ReadRecord(st, true), ReadError);
}

TEST(ShapePaint, FigureInsideTheBoundsByThePenRule)
{
    TDShape s;
    s.left = 10;
    s.top = 20;
    s.width = 100;
    s.height = 40;
    s.Shape = TDShapeType::stRoundSquare;
    RecordingCanvas c;
    s.paintOnPage(c, PaintContext{});
    const auto hit =
        std::find_if(c.calls.begin(), c.calls.end(), [](const std::string& l) { return l.rfind("roundrect", 0) == 0; });
    ASSERT_NE(hit, c.calls.end());
    // w = 100, h = 40: a 40 x 40 square centred horizontally (x = 30), corners of 10.
    EXPECT_EQ(hit->substr(0, hit->find(" pen")), "roundrect 40,20,80,60 10,10");

    s.Shape = TDShapeType::stEllipse;
    s.pen.width = 4;
    c.calls.clear();
    s.paintOnPage(c, PaintContext{});
    const auto e =
        std::find_if(c.calls.begin(), c.calls.end(), [](const std::string& l) { return l.rfind("ellipse", 0) == 0; });
    ASSERT_NE(e, c.calls.end());
    EXPECT_EQ(e->substr(0, e->find(" pen")), "ellipse 12,22,109,59");  // x = y = 2, w = 97, h = 37
}

TEST(ShapePrint, PrinterPenWidthIsAddedOnTheHorizontalAxisOnly)
{
    TDShape s;
    s.left = 10;
    s.top = 8;
    s.width = 100;
    s.height = 40;
    RecordingCanvas c(5000, 7000, 600);
    s.Print(c, 6.25, 6.25);
    ASSERT_FALSE(c.calls.empty());
    // pp = 6, x = Round(16 x 6.25) = 100, y = 50, w = Round(95 x 6.25) = 594, h = Round(35 x 6.25) = 219.
    EXPECT_EQ(c.calls.back().substr(0, c.calls.back().find(" pen")), "rectangle 100,50,694,269");
    EXPECT_NE(c.calls.back().find("w6 solid copy"), std::string::npos) << c.calls.back();
}
