#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/recording_canvas.h"
#include "support/doc_writer.h"
#include "text/memo.h"

using namespace vr;
using namespace vrtest;

namespace {

constexpr uint8_t kNext = 0xEE;  // the first byte after the record under test

class FrameRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        memo.layoutCanvas = &canvas;
        ctx.DocVersion = "2002";
        ctx.DocSubVersion = "2002";
        ctx.fontInstalled = fontCatalogue({"QV_Hazel"});
        ctx.DocFolder = "/docs/";
        ctx.setInFront = [this](bool front) { layerCalls.push_back(front); };
        ctx.loadBackground = [this](QImage& bitmap, const std::string& name, const std::string& folder) {
            pictureAsked.push_back(folder + name);
            if (!pictureExists)
                return false;
            bitmap = QImage(4, 3, QImage::Format_RGB32);
            return true;
        };
    }

    // Reads the record followed by one sentinel byte; returns the error text or "".
    std::string read(Bytes bytes, bool withContent = true)
    {
        bytes.push_back(kNext);
        stream = std::make_unique<DocStream>(DocStream::fromMemory(bytes));
        try {
            memo.ReadFrame(*stream, withContent, ctx);
        } catch (const VError& e) {
            return e.what();
        }
        return "";
    }
    bool atNext() const { return stream->remaining() == 1; }

    RecordingCanvas canvas;
    TDMemo memo;
    FrameReadContext ctx;
    std::unique_ptr<DocStream> stream;
    std::vector<bool> layerCalls;
    std::vector<std::string> pictureAsked;
    bool pictureExists = true;
};

RunRec run(const std::string& font, const std::string& size, const std::string& style, const std::string& text,
           const std::string& fontClass = "0")
{
    RunRec r;
    r.font = font;
    r.size = size;
    r.style = style;
    r.text = text;
    r.fontClass = fontClass;
    return r;
}

Bytes joined(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        append(out, p);
    return out;
}

const Bytes kNoSpacing = counted("0", 250);

}  // namespace

TEST_F(FrameRead, CurrentVersionRecordFieldsLinesRunsAndLineTops)
{
    FrameMainRec m;
    m.lines = "3";
    m.runs = "3";
    m.flag = "1";
    m.layer = "1";
    m.bottom = "1";
    m.top_ = "1";
    m.borderWidth = "3";
    m.borderColor = "255";
    Bytes doc = frameMainRecord(m);
    append(doc, frameBackground("0"));
    append(doc, counted("5", 250));  // line spacing, sub-version "2002"
    append(doc, textLineRecord("0", "2", "40", "4"));
    append(doc, textLineRecord("2", "1", "70", "2"));
    append(doc, textLineRecord("3", "0", "90", "7"));
    append(doc, runRecord(run("Hazel Bold", "14", "5", "abc")));
    append(doc, runRecord(run("Arial", "28", "9", "\x9E\x8E", "2")));
    append(doc, runRecord(run("Times", "14", "3", "")));
    ASSERT_EQ(read(doc), "");
    EXPECT_TRUE(atNext());

    EXPECT_EQ(memo.left, 10);
    EXPECT_EQ(memo.top, 20);
    EXPECT_EQ(memo.width, 300);
    EXPECT_EQ(memo.height, 200);
    EXPECT_EQ(memo.LayoutWidth, 300);
    EXPECT_EQ(memo.StoredValue, -1);
    EXPECT_EQ(memo.StoredFlag, 1);
    EXPECT_EQ(memo.BorderLeft, 1);
    EXPECT_EQ(memo.InFront, 0);
    EXPECT_EQ(layerCalls, std::vector<bool>{false});
    EXPECT_EQ(memo.BorderBottom, 1);
    EXPECT_EQ(memo.BorderRight, 0);
    EXPECT_EQ(memo.BorderTop, 1);
    EXPECT_EQ(memo.BorderWidth, 3);
    EXPECT_EQ(memo.BorderColor, 255u);
    EXPECT_EQ(memo.RasterOp, 0x00CC0020u);
    EXPECT_EQ(memo.LineSpacing, 5);

    ASSERT_EQ(memo.Lines.size(), 3u);
    EXPECT_EQ(memo.Lines[0].Alignment, 0);
    EXPECT_EQ(memo.Lines[1].Alignment, 3);
    EXPECT_EQ(memo.Lines[2].Alignment, 1);  // unknown code
    // Tops: 40 becomes 2; then + tallest run (28 points: 37 px) + spacing 5; an empty run is 0 high.
    EXPECT_EQ(memo.Lines[0].Top, 2);
    EXPECT_EQ(memo.Lines[1].Top, 44);
    EXPECT_EQ(memo.Lines[2].Top, 49);

    ASSERT_EQ(memo.Runs.size(), 3u);
    EXPECT_EQ(memo.Runs[0].FontName, "QV_Hazel");
    EXPECT_EQ(memo.Runs[0].Style, 3);
    EXPECT_EQ(memo.Runs[0].X, 100);  // page-layout runs keep their stored X
    EXPECT_EQ(memo.Runs[1].FontName, "Arial");
    EXPECT_EQ(memo.Runs[1].Style, 3);  // an unknown style code keeps the previous run's
    EXPECT_EQ(memo.Runs[1].Text, "\x9E\x8E");
    EXPECT_EQ(memo.Runs[2].FontName, "QV_Hazel");
    EXPECT_EQ(memo.Runs[2].Style, 4);
    EXPECT_EQ(memo.Runs[2].Text, "");
    for (const TDChaine& r : memo.Runs)
        EXPECT_EQ(r.Effect, -1);
    for (const TDLigne& l : memo.Lines)
        EXPECT_EQ(l.Column, 0);
}

TEST_F(FrameRead, Version1998EffectsKindLayoutColumnsEffectsAndByteReplacement)
{
    ctx.DocVersion = "1998a";
    ctx.DocSubVersion = "";  // no line spacing record
    EffectRec e;
    e.id = "7";
    e.depth = "-3";
    e.angle = "4";
    e.shadowColor = "128";
    e.dy2 = "-2";
    e.color2 = "65280";
    e.extra = "300";
    Bytes doc = counted("2", 3);
    append(doc, effectRecord(e));
    append(doc, effectRecord(EffectRec{}));
    append(doc, frameKindRecord("0", "7", "Gride"));
    append(doc, frameLayoutRecord("12", "7", "3", "4", "2", "20"));
    FrameMainRec m;
    m.lines = "3";
    m.runs = "2";
    m.layer = "3";
    m.picture = "back.bmp";
    append(doc, frameMainRecord(m));
    append(doc, frameBackground("3"));
    append(doc, textLineRecord("0", "1", "30", "1"));
    append(doc, counted("0", 2));
    append(doc, textLineRecord("1", "1", "80", "1"));
    append(doc, counted("0", 2));
    append(doc, textLineRecord("0", "1", "500", "1"));
    append(doc, counted("1", 2));
    append(doc, runRecord(run("QV_Iris", "14", "0", "\x9E\x8Ex")));
    append(doc, counted("0", 2));
    append(doc, runRecord(run("QV_Iris", "14", "0", "ab")));
    append(doc, counted("1", 2));
    ASSERT_EQ(read(doc), "");
    EXPECT_TRUE(atNext());

    ASSERT_EQ(memo.Effects.size(), 2u);
    const TextEffect& first = memo.Effects[0];
    EXPECT_EQ(first.Id, 7);
    EXPECT_EQ(first.Depth, -3);
    EXPECT_EQ(first.Angle, 4);
    EXPECT_EQ(first.ShadowColor, 128u);
    EXPECT_EQ(first.Kind, "1");
    EXPECT_EQ(first.Dx2, 1);
    EXPECT_EQ(first.Dy2, -2);
    EXPECT_EQ(first.Color2, 65280u);
    EXPECT_EQ(first.Extra, 44);  // low byte of 300
    EXPECT_EQ(memo.KindFlag, 1);
    EXPECT_EQ(memo.KindValue, 7);
    EXPECT_EQ(memo.KindName, "Gride");
    EXPECT_EQ(memo.FrameKind, 8);
    EXPECT_EQ(memo.LeftMargin, 12);
    EXPECT_EQ(memo.RightMargin, 7);
    EXPECT_EQ(memo.ThirdMargin, 3);
    EXPECT_EQ(memo.FourthMargin, 4);
    EXPECT_EQ(memo.Columns, 2);
    EXPECT_EQ(memo.ColumnGap, 20);
    EXPECT_EQ(memo.BorderLeft, 1);
    EXPECT_EQ(memo.InFront, 1);
    EXPECT_EQ(layerCalls, std::vector<bool>{true});
    EXPECT_EQ(memo.Transparent, 1);
    EXPECT_EQ(memo.HasPattern, 0);
    EXPECT_EQ(pictureAsked, std::vector<std::string>{"/docs/back.bmp"});
    EXPECT_EQ(memo.BackImageName, "back.bmp");
    EXPECT_EQ(memo.BackImageWidth, 300);
    EXPECT_EQ(memo.BackImageHeight, 200);
    EXPECT_EQ(memo.BackImage.size(), QSize(4, 3));

    ASSERT_EQ(memo.Lines.size(), 3u);
    EXPECT_EQ(memo.Lines[2].Column, 1);
    // Column 0 is stacked from 2 (14 points: 19 px a line); column 1 keeps its stored top.
    EXPECT_EQ(memo.Lines[0].Top, 2);
    EXPECT_EQ(memo.Lines[1].Top, 21);
    EXPECT_EQ(memo.Lines[2].Top, 500);
    ASSERT_EQ(memo.Runs.size(), 2u);
    EXPECT_EQ(memo.Runs[0].Text, "\xA5\x8Fx");
    EXPECT_EQ(memo.Runs[0].Effect, 0);
    EXPECT_EQ(memo.Runs[1].Effect, 1);
}

TEST_F(FrameRead, WithoutContentReadsGeometryBordersAndBackgroundChoiceOnly)
{
    struct Case {
        const char* version;
        const char* code;
        size_t bytes;
    };
    for (const Case& c :
         {Case{"2002", "0", 172}, Case{"2002", "1", 198}, Case{"1998", "3", 476}, Case{"1998", "2", 502}}) {
        SCOPED_TRACE(std::string(c.version) + " code " + c.code);
        memo = TDMemo();
        memo.layoutCanvas = &canvas;
        ctx.DocVersion = c.version;
        Bytes doc;
        if (ctx.DocVersion == "1998") {
            append(doc, frameKindRecord("1", "0", "Date"));
            append(doc, frameLayoutRecord("1", "2", "3", "4", "1", "9"));
        }
        FrameMainRec m;
        m.lines = "4";
        m.runs = "4";
        m.picture = "back.bmp";
        append(doc, frameMainRecord(m));
        append(doc, frameBackground(c.code));
        ASSERT_EQ(doc.size(), c.bytes);
        ASSERT_EQ(read(doc, false), "");
        EXPECT_TRUE(atNext());
        EXPECT_TRUE(memo.Lines.empty());
        EXPECT_TRUE(memo.Runs.empty());
        EXPECT_EQ(memo.BackImageWidth, 1);
        EXPECT_EQ(memo.BackImageName, "");
    }
    EXPECT_EQ(memo.FrameKind, 1);
    EXPECT_EQ(memo.HasPattern, 1);
    EXPECT_EQ(memo.Transparent, 1);
    EXPECT_TRUE(pictureAsked.empty());
}

TEST_F(FrameRead, SmallSizesBecome2000AndUnknownLayerCodesChangeNothing)
{
    FrameMainRec m;
    m.width = "9";
    m.height = "-5";
    m.layer = "5";
    ASSERT_EQ(read(joined({frameMainRecord(m), frameBackground("7"), kNoSpacing})), "");
    EXPECT_TRUE(atNext());
    EXPECT_EQ(memo.width, 2000);
    EXPECT_EQ(memo.height, 2000);
    EXPECT_EQ(memo.LayoutWidth, 9);
    EXPECT_TRUE(layerCalls.empty());
    EXPECT_EQ(memo.BorderLeft, 0);
    EXPECT_EQ(memo.HasPattern, 0);
    EXPECT_EQ(memo.Transparent, 0);
}

TEST_F(FrameRead, BackgroundPatternWinsOverPictureAndMissingPicturesAreForgotten)
{
    FrameMainRec m;
    m.picture = "back.bmp";
    ASSERT_EQ(read(joined({frameMainRecord(m), frameBackground("1", "255", "65280", "3", "A"), kNoSpacing})), "");
    EXPECT_TRUE(atNext());
    EXPECT_TRUE(pictureAsked.empty());
    EXPECT_EQ(memo.BackImageName, "");
    EXPECT_EQ(memo.HasPattern, 1);
    EXPECT_EQ(memo.Transparent, 0);
    EXPECT_EQ(memo.Background.BackColour, 255u);
    EXPECT_EQ(memo.Background.PatternColour, 65280u);
    EXPECT_EQ(memo.Background.Step, 3);
    EXPECT_EQ(memo.Background.StyleCode, 10);
    EXPECT_EQ(memo.BackImage.size(), QSize(300, 200));
    EXPECT_EQ(memo.BackImageWidth, 300);

    // A frame far wider than any page keeps its width; its pattern bitmap stops at 2048.
    memo = TDMemo();
    m.width = "9999";
    ASSERT_EQ(read(joined({frameMainRecord(m), frameBackground("2", "0", "0", "1", "B"), kNoSpacing})), "");
    EXPECT_EQ(memo.Background.StyleCode, 11);
    EXPECT_EQ(memo.Transparent, 1);
    EXPECT_EQ(memo.BackImageWidth, 9999);
    EXPECT_EQ(memo.BackImage.size(), QSize(TDMemo::kMaxPatternSide, 200));

    // No file of that name: the name is emptied and no picture area is set.
    memo = TDMemo();
    pictureExists = false;
    ASSERT_EQ(read(joined({frameMainRecord(m), frameBackground("0"), kNoSpacing})), "");
    EXPECT_EQ(pictureAsked, std::vector<std::string>{"/docs/back.bmp"});
    EXPECT_EQ(memo.BackImageName, "");
    EXPECT_EQ(memo.BackImageWidth, 1);
    EXPECT_EQ(memo.BackImage.size(), QSize(1, 1));
}

TEST_F(FrameRead, ConversionErrorsStopReadingAndKeepWhatWasRead)
{
    FrameMainRec m;
    m.lines = "3";
    EXPECT_EQ(read(joined({frameMainRecord(m), frameBackground("0"), kNoSpacing, textLineRecord("0", "0", "5", "1"),
                           textLineRecord("0", "0", "ab", "1")})),
              "'ab' n'est pas une valeur entière correcte");
    EXPECT_EQ(memo.Lines.size(), 1u);

    // A stream that ends inside a run record: the zero-filled rest reads as an empty field.
    memo = TDMemo();
    m.lines = "0";
    m.runs = "2";
    Bytes doc =
        joined({frameMainRecord(m), frameBackground("0"), kNoSpacing, runRecord(run("QV_Hazel", "14", "0", "a"))});
    append(doc, Bytes(40, '1'));
    EXPECT_EQ(read(doc), "'' n'est pas une valeur entière correcte");
    EXPECT_EQ(memo.Runs.size(), 1u);

    // Counts far beyond the stream stop at its end.
    memo = TDMemo();
    m.runs = "9999";
    EXPECT_EQ(read(joined({frameMainRecord(m), frameBackground("0"), kNoSpacing})),
              "'' n'est pas une valeur entière correcte");
}
