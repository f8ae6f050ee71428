#include <gtest/gtest.h>

#include <array>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/recording_canvas.h"
#include "objects/text_ligne.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::counted;

namespace {

using TextLineRec = vrtest::TextLigneRec;

Bytes record(const TextLineRec& r)
{
    return vrtest::textLigneRecord(r);
}

TTextLigne readTextLine(const Bytes& bytes, size_t* consumed = nullptr)
{
    DocStream s = DocStream::fromMemory(bytes);
    TTextLigne t(1, 1, 2, 2);
    t.ReadRecord(s);
    if (consumed)
        *consumed = s.position();
    return t;
}

// Text that grows with the font: half a point per byte and point, so that enlargement is exact.
class GrowingCanvas : public RecordingCanvas {
public:
    explicit GrowingCanvas(int dpiY = 96) : dpiY_(dpiY) { }
    int dpiY() const override { return dpiY_; }
    int textWidth(const std::string& bytes) override { return static_cast<int>(bytes.size()) * font.pointSize / 2; }

private:
    int dpiY_;
};

TTextLigne textLine(int x1, int y1, int x2, int y2, const std::string& text = "ABCDEFGHIJ")
{
    return TTextLigne(x1, y1, x2, y2, std::make_unique<TDChaine>(text, "QV_Hazel", 12, 1, 0x0000FF, 2, x1));
}

}  // namespace

TEST(TextLineRecord, ReadsThreePartsAndStopsAtTheRecordsEnd)
{
    TextLineRec r;
    r.x1 = "-999";
    r.y2 = "9999";
    r.style = "5";
    r.fontClass = "258";
    Bytes bytes = record(r);
    bytes.push_back(0x77);
    size_t consumed = 0;
    const TTextLigne t = readTextLine(bytes, &consumed);
    EXPECT_EQ(consumed, 20u + 78u + 11u);
    EXPECT_EQ((std::array{t.X1, t.Y1, t.X2, t.Y2}), (std::array{-999, 20, 410, 9999}));
    ASSERT_TRUE(t.holder);
    const TDChaine& h = *t.holder;
    EXPECT_EQ(h.FontName, "QV_Hazel");
    EXPECT_EQ((std::array{h.Size, h.Style, h.FontClass}), (std::array<uint8_t, 3>{12, 0x03, 2}));  // 258 keeps 2
    EXPECT_EQ(h.Color, 255u);
    EXPECT_EQ(h.Text, "ABCDEFGHIJ");
    EXPECT_EQ(h.X, -999);

    for (auto [code, style] : {std::pair{"1", 1}, {"2", 2}, {"3", 4}, {"4", 8}, {"6", 0}, {"", 0}}) {
        r.style = code;
        EXPECT_EQ(readTextLine(record(r)).holder->Style, style) << code;
    }
}

TEST(TextLineRecord, TextSizeBeyondTheStorageIsClippedAndPassedOver)
{
    TextLineRec r;
    r.text = std::string(255, 'x');
    r.textSize = "300";
    Bytes bytes = record(r);  // 256 bytes of text as counted string
    bytes.insert(bytes.end(), 44, 'y');  // 300 in all
    bytes.push_back(0x77);
    size_t consumed = 0;
    const TTextLigne t = readTextLine(bytes, &consumed);
    EXPECT_EQ(consumed, 20u + 78u + 300u);
    EXPECT_EQ(t.holder->Text, std::string(255, 'x'));

    // A stream that ends inside the text: the storage keeps zeros where bytes are missing.
    Bytes shortText = record(TextLineRec{});
    shortText.resize(shortText.size() - 4);
    EXPECT_EQ(readTextLine(shortText).holder->Text, std::string("ABCDEF") + std::string(4, '\0'));

    r.textSize = "0";
    r.text.clear();
    EXPECT_EQ(readTextLine(record(r), &consumed).holder->Text, "");
    EXPECT_EQ(consumed, 20u + 78u);  // a size of 0 reads no text, not even a length byte
}

TEST(TextLineRecord, FailuresInThePointsOrTheTextSizeLeaveNoHolder)
{
    TextLineRec badPoint, badSize;
    badPoint.y1 = "1a";
    badSize.textSize = " ";
    Bytes cut = record(TextLineRec{});
    cut.resize(40);  // part B ends early: its size field is empty
    for (const Bytes& bytes : {record(badPoint), record(badSize), cut}) {
        TTextLigne t(1, 1, 2, 2, std::make_unique<TDChaine>("old", "F", 9, 0, 0, 0, 0));
        DocStream s = DocStream::fromMemory(bytes);
        EXPECT_THROW(t.ReadRecord(s), ConvertError);
        EXPECT_FALSE(t.holder);
        RecordingCanvas c;
        t.Draw(c, 1.0);
        EXPECT_TRUE(c.calls.empty());
    }
}

TEST(TextLineDrawing, EscapementFollowsTheSegmentsDirection)
{
    EXPECT_EQ(TTextLigne::Escapement(0, 0, 10, 0), 3600);
    EXPECT_EQ(TTextLigne::Escapement(10, 0, 0, 0), 1800);
    EXPECT_EQ(TTextLigne::Escapement(5, 0, 5, 10), 2700);
    EXPECT_EQ(TTextLigne::Escapement(5, 5, 5, 5), 900);
    EXPECT_EQ(TTextLigne::Escapement(0, 0, 10, -10), 450);
    EXPECT_EQ(TTextLigne::Escapement(0, 0, -10, 10), 2250);
    EXPECT_EQ(TTextLigne::Escapement(0, 0, 1000, 1), 3599);  // 0.057 degrees rounds to one tenth
}

TEST(TextLineDrawing, EnlargesToTheUnzoomedSegmentAndWritesAtTheZoomedPoint)
{
    // 10 bytes are 5 px per point: the 400-pixel segment needs 80 points.
    TTextLigne t = textLine(10, 20, 410, 20);
    GrowingCanvas c;
    t.Draw(c, 1.0);
    ASSERT_EQ(c.calls.size(), 1u);
    EXPECT_EQ(c.calls[0], "text 10,20 font=QV_Hazel/80/1 px=-107 esc=3600 #ff0000 \"ABCDEFGHIJ\"");
    EXPECT_EQ(c.pen, (Pen{255, 3, PenStyle::DashDot, PenMode::NotXor}));
    EXPECT_EQ(c.font.pointSize, 80);  // the enlarged font stays, unturned
    EXPECT_EQ(c.font.escapement, 0);

    // Zoom 2: starts at 24 points, grows to the same 80 (the segment is not zoomed), and the
    // character height is zoomed once more.
    GrowingCanvas z;
    t.Draw(z, 2.0);
    EXPECT_EQ(z.calls[0], "text 20,40 font=QV_Hazel/80/1 px=-214 esc=3600 #ff0000 \"ABCDEFGHIJ\"");

    // A text already longer than the segment keeps its zoomed size; equal points give length 0.
    TTextLigne shortSeg = textLine(30, 30, 30, 30);
    GrowingCanvas s;
    shortSeg.Draw(s, 1.5);
    EXPECT_EQ(s.calls[0], "text 45,45 font=QV_Hazel/18/1 px=-36 esc=900 #ff0000 \"ABCDEFGHIJ\"");
}

TEST(TextLineDrawing, EnlargementStopsForEmptyTextsAndTextsThatCannotReach)
{
    TTextLigne empty = textLine(0, 0, 400, 0, "");
    GrowingCanvas c;
    empty.Draw(c, 1.0);
    EXPECT_TRUE(c.calls.empty());
    EXPECT_EQ(c.pen.mode, PenMode::NotXor);

    // The recording canvas measures 8 px a byte whatever the size: the text never reaches.
    TTextLigne never = textLine(0, 0, 9999, 9999, "A");
    RecordingCanvas r;
    never.Draw(r, 1.0);
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(r.calls[0], "text 0,0 font=QV_Hazel/1000/1 px=-1333 esc=3150 #ff0000 \"A\"");
}

TEST(TextLineDrawing, PrintsScaledWithoutEnlargement)
{
    TTextLigne t = textLine(10, 20, 410, 20);
    GrowingCanvas printer(600);  // 96 dpi across, 600 down
    t.Print(printer, 3.125, 6.25);
    ASSERT_EQ(printer.calls.size(), 1u);
    // 12 x 600/96 = 75 points; height MulDiv(75, 600, 72) = 625.
    EXPECT_EQ(printer.calls[0], "text 31,125 font=QV_Hazel/75/1 px=-625 esc=3600 #ff0000 \"ABCDEFGHIJ\"");
}

TEST(TextLineDrawing, MovingAPointDrawsOverInThePageColourThenAtTheNewPoint)
{
    TTextLigne t = textLine(10, 20, 410, 20);
    GrowingCanvas c;
    t.MoveFirstPoint(c, IPoint{110, 20}, 0xFFFFFF, 1.0);
    ASSERT_EQ(c.calls.size(), 2u);
    EXPECT_EQ(c.calls[0], "text 10,20 font=QV_Hazel/80/1 px=-107 esc=3600 #ffffff \"ABCDEFGHIJ\"");
    EXPECT_EQ(c.calls[1], "text 110,20 font=QV_Hazel/60/1 px=-80 esc=3600 #ff0000 \"ABCDEFGHIJ\"");
    EXPECT_EQ(t.holder->X, 110);
    EXPECT_EQ(t.holder->Color, 0x0000FFu);

    t.MoveSecondPoint(c, IPoint{110, 420}, 0xFFFFFF, 1.0);
    EXPECT_EQ(c.calls[3], "text 110,20 font=QV_Hazel/80/1 px=-107 esc=2700 #ff0000 \"ABCDEFGHIJ\"");
    EXPECT_EQ(t.holder->X, 110);
}
