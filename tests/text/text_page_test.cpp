#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/recording_canvas.h"
#include "support/doc_writer.h"
#include "text/layout.h"
#include "text/memo.h"

using namespace vr;
using namespace vrtest;

namespace {

const std::string kQV2000("\x06QV2000", 7);

Bytes joined(Bytes a, const Bytes& b)
{
    append(a, b);
    return a;
}

RunRec run(const std::string& size, const std::string& style, const std::string& text)
{
    RunRec r;
    r.font = "Arial";
    r.size = size;
    r.style = style;
    r.text = text;
    return r;
}

class TextPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        memo.layoutCanvas = &canvas;
        memo.width = 714;
        memo.RightMargin = 5;
    }
    std::string read(const Bytes& bytes, const std::string& signature = kQV2000)
    {
        stream = std::make_unique<DocStream>(DocStream::fromMemory(bytes));
        try {
            memo.ReadTextPage(*stream, signature);
        } catch (const VError& e) {
            return e.what();
        }
        return "";
    }
    RecordingCanvas canvas;
    TDMemo memo;
    std::unique_ptr<DocStream> stream;
};

}  // namespace

TEST_F(TextPage, RunsArePlacedFromTheRightMarginAndLinesStacked)
{
    Bytes records = textLineRecord("0", "2", "40", "2");
    append(records, textLineRecord("2", "1", "99", "x"));
    append(records, runRecord(run("14", "1", "abc")));
    append(records, runRecord(run("28", "7", "de")));
    append(records, runRecord(run("14", "0", "\x9E")));
    Bytes page = textPage("2", "3", records);
    page.push_back(0xEE);
    ASSERT_EQ(read(page), "");
    EXPECT_EQ(stream->remaining(), 1u);

    ASSERT_EQ(memo.Lines.size(), 2u);
    EXPECT_EQ(memo.Lines[0].Alignment, 3);
    EXPECT_EQ(memo.Lines[1].Alignment, 3);  // an unknown code keeps the line before's
    EXPECT_EQ(memo.Lines[0].Top, 2);
    EXPECT_EQ(memo.Lines[1].Top, 39);  // 2 + 37 (28 points)
    ASSERT_EQ(memo.Runs.size(), 3u);
    // 714 - width - 5 - widths before: 24, then 16 px; the second line's 8 px run alone.
    EXPECT_EQ(memo.Runs[0].X, 685);
    EXPECT_EQ(memo.Runs[1].X, 669);
    EXPECT_EQ(memo.Runs[2].X, 701);
    EXPECT_EQ(memo.Runs[1].Style, 1);
    // Text pages keep fonts and bytes as stored.
    EXPECT_EQ(memo.Runs[0].FontName, "Arial");
    EXPECT_EQ(memo.Runs[2].Text, "\x9E");
    EXPECT_EQ(memo.Painted, 1);  // painted once as it was read
}

TEST_F(TextPage, OnlyTheSuiteSignatureHasElevenBytesAfterTheCounts)
{
    Bytes page = counted("0", 4);
    append(page, counted("1", 4));
    append(page, runRecord(run("14", "0", "a")));
    ASSERT_EQ(read(page, std::string("\x06QV2001", 7)), "");
    EXPECT_EQ(stream->remaining(), 0u);
    ASSERT_EQ(memo.Runs.size(), 1u);
    EXPECT_EQ(memo.Runs[0].Text, "a");
    EXPECT_EQ(memo.Runs[0].X, 100);  // no line: nothing is placed
}

TEST_F(TextPage, ALoneMarkerLineIsRemovedBeforeTextIsAppended)
{
    ASSERT_EQ(read(textPage("1", "1", joined(textLineRecord("0", "1", "5", "1"), runRecord(run("14", "0", "\xFC"))))),
              "");
    ASSERT_EQ(memo.Lines.size(), 1u);
    ASSERT_EQ(read(textPage("1", "1", joined(textLineRecord("0", "1", "5", "1"), runRecord(run("14", "0", "zz"))))),
              "");
    ASSERT_EQ(memo.Lines.size(), 1u);
    ASSERT_EQ(memo.Runs.size(), 1u);
    EXPECT_EQ(memo.Runs[0].Text, "zz");

    // The marker followed by text, or the marker in a line of two runs, stays.
    memo.Runs[0].Text = "\xFC"
                        "a";
    ASSERT_EQ(read(textPage("0", "0", {})), "");
    memo.Runs[0].Text = "\xFC";
    memo.Lines[0].RunCount = 2;
    ASSERT_EQ(read(textPage("0", "0", {})), "");
    EXPECT_EQ(memo.Lines.size(), 1u);
    EXPECT_EQ(memo.Runs.size(), 1u);
}

TEST_F(TextPage, RunTextSizesAreBoundedByTheHolderAndTheStream)
{
    RunRec empty = run("14", "0", "");
    RunRec longText = run("14", "0", "");
    longText.useRawText = true;
    longText.rawText = Bytes(300, 'q');
    longText.rawText[0] = 255;
    RunRec shortRecord = run("14", "0", "");
    shortRecord.useRawText = true;
    shortRecord.rawText = {10, 'a', 'b'};  // a length byte beyond the record's own bytes
    RunRec negative = run("14", "0", "");
    negative.textSize = "-4";
    negative.useRawText = true;
    Bytes records;
    for (const RunRec* r : {&empty, &longText, &shortRecord, &negative})
        append(records, runRecord(*r));
    RunRec beyond = run("14", "0", "");
    beyond.textSize = "999";
    beyond.useRawText = true;
    beyond.rawText = {3, 'x', 'y', 'z'};
    append(records, runRecord(beyond));
    ASSERT_EQ(read(textPage("0", "5", records)), "");
    EXPECT_EQ(stream->remaining(), 0u);
    ASSERT_EQ(memo.Runs.size(), 5u);
    EXPECT_EQ(memo.Runs[0].Text, "");
    EXPECT_EQ(memo.Runs[1].Text, std::string(255, 'q'));
    EXPECT_EQ(memo.Runs[2].Text, "ab");
    EXPECT_EQ(memo.Runs[3].Text, "");
    EXPECT_EQ(memo.Runs[4].Text, "xyz");

    // After a 300-byte text the next record starts right after it.
    records = runRecord(longText);
    append(records, runRecord(run("14", "0", "next")));
    memo = TDMemo();
    ASSERT_EQ(read(textPage("0", "2", records)), "");
    ASSERT_EQ(memo.Runs.size(), 2u);
    EXPECT_EQ(memo.Runs[1].Text, "next");
}

TEST(TextLayout, MeasuringExtentsTopsAndPlacement)
{
    RecordingCanvas canvas;
    canvas.font.face = "Keep";
    TDMemo memo;
    memo.width = 100;
    memo.RightMargin = 10;
    memo.Runs = {TDChaine("abc", "QV_Hazel", 14, 0, 0, 0, 7), TDChaine("", "QV_Hazel", 72, 0, 0, 0, 7),
                 TDChaine("abcdefghijklmno", "QV_Hazel", 28, 0, 0, 0, 7)};
    EXPECT_EQ(MeasureRun(canvas, memo.Runs[0]), (TextExtent{24, 19}));
    EXPECT_EQ(MeasureRun(canvas, memo.Runs[1]), (TextExtent{0, 0}));
    EXPECT_EQ(canvas.font.face, "Keep");

    memo.Lines = {TDLigne(0, 3, 1, 0), TDLigne(2, 2, 50, 0), TDLigne(-1, 1, 60, 0), TDLigne(1, 1, 70, 0)};
    EXPECT_EQ(LineExtent(canvas, memo, 0), (TextExtent{144, 37}));
    EXPECT_EQ(LineExtent(canvas, memo, 1), (TextExtent{}));  // slice past the end
    EXPECT_EQ(LineExtent(canvas, memo, 2), (TextExtent{}));  // negative first run
    EXPECT_EQ(LineExtent(canvas, memo, 9), (TextExtent{}));

    // A first top of 1 stays; lines with missing runs add only the spacing.
    memo.LineSpacing = 3;
    LayoutLineTops(canvas, memo, 0);
    EXPECT_EQ(memo.Lines[0].Top, 1);
    EXPECT_EQ(memo.Lines[1].Top, 41);
    EXPECT_EQ(memo.Lines[2].Top, 44);
    EXPECT_EQ(memo.Lines[3].Top, 47);
    // From a later line the start top is kept as it is.
    memo.Lines[1].Top = 500;
    LayoutLineTops(canvas, memo, 1);
    EXPECT_EQ(memo.Lines[1].Top, 500);
    EXPECT_EQ(memo.Lines[3].Top, 506);

    // Wider than the frame: the last runs go off the left edge; broken lines stay as stored.
    PlaceRuns(canvas, memo, 0);
    EXPECT_EQ(memo.Runs[0].X, 66);
    EXPECT_EQ(memo.Runs[1].X, 66);
    EXPECT_EQ(memo.Runs[2].X, -54);
    memo.Runs[2].X = 7;
    PlaceRuns(canvas, memo, 1);
    EXPECT_EQ(memo.Runs[2].X, 7);
}
