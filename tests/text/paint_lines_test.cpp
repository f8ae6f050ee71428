// Text frame painting traced on the recording canvas: 8 px a byte, a cell of the font's pixel size
// with four fifths above the baseline (12 pt: ascent 12, descent 4; 24 pt: 25 and 7; 48 pt: 51).
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "page/surface.h"
#include "text/memo.h"
#include "text/paint_helpers.h"

using namespace vr;

namespace {

TDMemo frame(int w = 300, int h = 200)
{
    TDMemo m;
    m.width = w;
    m.height = h;
    m.LayoutWidth = w;
    return m;
}

TDChaine run(const std::string& text, int size, int x, Color color = 0, uint8_t style = 0, int32_t effect = -1)
{
    TDChaine r(text, "F", static_cast<uint8_t>(size), style, color, 0, x);
    r.Effect = effect;
    return r;
}

std::vector<std::string> painted(TDMemo& m, double zoom = 1.0)
{
    RecordingCanvas c;
    m.Paint(c, zoom);
    return c.calls;
}

std::vector<std::string> texts(const std::vector<std::string>& calls)
{
    std::vector<std::string> out;
    for (const std::string& s : calls)
        if (s.rfind("text ", 0) == 0)
            out.push_back(s);
    return out;
}

class FiveWideCanvas : public RecordingCanvas {
public:
    int textWidth(const std::string& bytes) override { return static_cast<int>(bytes.size()) * 5; }
};

}  // namespace

TEST(FramePainting, RunsShareTheLineBaselineAndLaterPassesClearBands)
{
    TDMemo m = frame();
    m.Lines = {TDLigne(0, 2, 2, 1), TDLigne(2, 1, 40, 2)};
    m.Runs = {run("AB", 12, 200, 0x0000FF), run("CDE", 24, 150), run("\xFCXY", 12, 100)};

    EXPECT_EQ(painted(m),
              (std::vector<std::string>{
                  "fillrect 0,0,300,200 #ffffff",
                  "text 200,15 font=F/12/0 #ff0000 \"AB\" opaque=#ffffff",
                  "text 150,2 font=F/24/0 #000000 \"CDE\" opaque=#ffffff",
                  "text 100,40 font=F/12/0 #000000 \"XY\" opaque=#ffffff",
              }));
    EXPECT_EQ(m.Painted, 1);

    // 200 %: the page has doubled the frame; sizes, X and tops are zoomed, the column bounds of
    // the bands are not, and the last line's band reaches the frame's bottom.
    m.width = 600;
    m.height = 400;
    EXPECT_EQ(painted(m, 2.0),
              (std::vector<std::string>{
                  "fillrect 0,0,600,400 #ffffff",
                  "fillrect 9,4,292,68 #ffffff",
                  "text 400,29 font=F/24/0 #ff0000 \"AB\" opaque=#ffffff",
                  "text 300,3 font=F/48/0 #000000 \"CDE\" opaque=#ffffff",
                  "fillrect 9,80,292,400 #ffffff",
                  "text 200,79 font=F/24/0 #000000 \"XY\" opaque=#ffffff",
              }));
}

TEST(FramePainting, MarkerMovesTheRunByAlignment)
{
    // The marker measures 5 px: whole, half rounded to even (2), or nothing.
    const std::pair<uint8_t, int> cases[] = {{0, 105}, {1, 105}, {2, 100}, {3, 102}};
    for (auto [alignment, x] : cases) {
        TDMemo m = frame();
        m.Lines = {TDLigne(0, 2, 2, alignment)};
        m.Runs = {run("\xFC"
                      "AB",
                      12, 100),
                  run("\xFC", 12, 50)};  // a lone marker draws nothing
        FiveWideCanvas c;
        m.Paint(c, 1.0);
        EXPECT_EQ(
            texts(c.calls),
            std::vector<std::string>{"text " + std::to_string(x) + ",2 font=F/12/0 #000000 \"AB\" opaque=#ffffff"})
            << int(alignment);
    }
}

TEST(FramePainting, StrikeOutAloneRaisesTheRunByHalfItsDescent)
{
    // 10 pt: cell 13, ascent 10, descent 3: raised 1.5, Round(2 - 1.5) = 0.
    TDMemo m = frame();
    m.Lines = {TDLigne(0, 1, 2, 1), TDLigne(1, 1, 40, 1)};
    m.Runs = {run("S", 10, 50, 0, 8), run("T", 10, 50, 0, 9)};
    EXPECT_EQ(texts(painted(m)),
              (std::vector<std::string>{
                  "text 50,0 font=F/10/0 #000000 \"S\" opaque=#ffffff",
                  "text 50,40 font=F/10/9 #000000 \"T\" opaque=#ffffff",
              }));
    EXPECT_EQ(m.Runs[0].Style, 8);
}

TEST(FramePainting, OffsetCopiesKeepUnzoomedVerticalOffsetsAndClearTheBrush)
{
    TDMemo m = frame(600, 400);
    m.LayoutWidth = 300;
    m.Effects = {TextEffect{0, 3, 2, 0x00FF00, "1", 1, 4, 0xFF0000, 0}};
    m.Lines = {TDLigne(0, 1, 2, 1), TDLigne(1, 1, 40, 1)};
    m.Runs = {run("AB", 12, 100, 0x000080, 0, 0), run("CD", 12, 100)};
    m.Painted = 1;
    EXPECT_EQ(painted(m, 2.0),
              (std::vector<std::string>{
                  "fillrect 0,0,600,400 #ffffff",
                  "fillrect 9,4,292,36 #ffffff",
                  "text 194,1 font=F/24/0 #00ff00 \"AB\"",
                  "text 202,7 font=F/24/0 #0000ff \"AB\"",
                  "text 200,3 font=F/24/0 #800000 \"AB\"",
                  // the brush stays clear: no band, no box
                  "text 200,79 font=F/24/0 #000000 \"CD\"",
              }));
}

TEST(FramePainting, PictureUnderTheTextWithSrcAndAndOverItOtherwiseWithHalos)
{
    TDMemo m = frame();
    m.BackImage = QImage(300, 200, QImage::Format_RGB32);
    m.BackImage.fill(Qt::yellow);
    m.BackImageWidth = 300;
    m.Lines = {TDLigne(0, 2, 2, 1)};
    m.Runs = {run("AB", 12, 200, 0), run("CD", 12, 150, 0x0000FF)};

    m.RasterOp = rop::SrcPaint;
    EXPECT_EQ(painted(m),
              (std::vector<std::string>{
                  "fillrect 0,0,300,200 #ffffff",
                  "text 201,3 font=F/12/0 #ffffff \"AB\" opaque=#ffffff",
                  "text 200,2 font=F/12/0 #000000 \"AB\" opaque=#ffffff",
                  "text 151,3 font=F/12/0 #000000 \"CD\" opaque=#ffffff",
                  "text 150,2 font=F/12/0 #ff0000 \"CD\" opaque=#ffffff",
                  "stretchblt 0,0,300,200 from 300x200 0,0,300,200 rop=00ee0086",
              }));

    // An effect index that names no effect draws the plain text only.
    m.Runs[1].Effect = 5;
    m.RasterOp = rop::SrcAnd;
    m.width = 600;
    m.height = 400;
    EXPECT_EQ(painted(m, 2.0),
              (std::vector<std::string>{
                  "fillrect 0,0,600,400 #ffffff",
                  "stretchblt 0,0,600,400 from 300x200 0,0,300,200 rop=008800c6",
                  "text 402,4 font=F/24/0 #ffffff \"AB\"",
                  "text 400,3 font=F/24/0 #000000 \"AB\"",
                  "text 300,3 font=F/24/0 #ff0000 \"CD\"",
              }));
    EXPECT_EQ(m.BackRect, (IRect{0, 0, 600, 400}));
}

TEST(FramePainting, ShadowKindsDrawAroundTheTextsCorner)
{
    TDMemo m = frame();
    m.Effects = {TextEffect{0, 3, 2, 0x00FF00, "2", 0, 0, 0, 0}};
    m.Lines = {TDLigne(0, 1, 2, 1)};
    m.Runs = {run("MW", 24, 100, 0, 0, 0)};
    int pixels = 0;
    for (const std::string& s : painted(m)) {
        int x = 0, y = 0;
        char colour[7] = {};
        if (std::sscanf(s.c_str(), "setpixel %d,%d #%6s", &x, &y, colour) != 3)
            continue;
        ++pixels;  // dotted: every second pixel, shifted (3, 2) from the text's corner (100, 2)
        EXPECT_TRUE(x >= 103 && y >= 4 && (x - 103) % 2 == 0 && (y - 4) % 2 == 0) << s;
        EXPECT_STREQ(colour, "00ff00");
    }
    EXPECT_GT(pixels, 0);
}

TEST(FramePainting, BorderSidesInsetByHalfThePenWidth)
{
    TDMemo m = frame();
    m.BorderLeft = m.BorderBottom = m.BorderRight = m.BorderTop = 1;
    m.BorderWidth = 5;  // Round(2.5) = 2
    m.BorderColor = 0x0000FF;
    EXPECT_EQ(painted(m),
              (std::vector<std::string>{
                  "fillrect 0,0,300,200 #ffffff",
                  "line 2,0 -> 2,200 pen=#ff0000 w5 solid copy",
                  "line 0,198 -> 300,198 pen=#ff0000 w5 solid copy",
                  "line 298,0 -> 298,200 pen=#ff0000 w5 solid copy",
                  "line 0,2 -> 300,2 pen=#ff0000 w5 solid copy",
              }));
}

TEST(ColumnBounds, WidthsGapsAndDegenerateFrames)
{
    TDMemo m = frame();
    m.Columns = 2;
    TDLigne right(0, 0, 0, 1), left(0, 0, 0, 1);
    left.Column = 1;
    // (300 - 10 - 10 - 15) / 2 = 132.5, rounded to even.
    EXPECT_EQ(ColumnBounds(m, right), (ColumnRange{290, 158}));
    EXPECT_EQ(ColumnBounds(m, left), (ColumnRange{143, 11}));
    EXPECT_EQ(m.ColumnWidth, 132);
    EXPECT_EQ(m.ColumnGap, 15);

    // No column: nothing is divided, the stored width and gap stand.
    TDMemo none = frame();
    none.Columns = 0;
    EXPECT_EQ(ColumnBounds(none, left), (ColumnRange{280, 280}));
    EXPECT_EQ(none.ColumnGap, 10);

    // Margins wider than the frame: a negative column, left of its right edge.
    TDMemo narrow = frame(12, 200);
    narrow.LeftMargin = 30;
    EXPECT_EQ(ColumnBounds(narrow, right), (ColumnRange{2, 30}));
    EXPECT_EQ(narrow.ColumnWidth, -28);
}

TEST(FramePainting, MissingLinesAndRunsEndThePassQuietly)
{
    TDMemo m = frame();
    m.Lines = {TDLigne(0, 1, 0, 1),  // an empty run: h + top < 2, skipped
               TDLigne(1, 1, 500, 1),  // below the frame, skipped
               TDLigne(1, 1, 20, 1),  // drawn
               TDLigne(5, 1, 40, 1),  // its run does not exist: the pass ends here
               TDLigne(1, 1, 60, 1)};
    m.Runs = {run("", 12, 0), run("AB", 12, 100)};
    EXPECT_EQ(texts(painted(m)), std::vector<std::string>{"text 100,20 font=F/12/0 #000000 \"AB\" opaque=#ffffff"});
    EXPECT_EQ(m.Painted, 0);

    RecordingCanvas c;
    m.PaintLines(c, 1.0, -1, 99);  // no line -1: nothing is drawn
    EXPECT_TRUE(c.calls.empty());
    m.PaintLines(c, 1.0, 2, 99);  // the last index is cut to the list, the missing run still ends it
    EXPECT_EQ(texts(c.calls).size(), 1u);
    EXPECT_EQ(m.Painted, 0);
    m.PaintLines(c, 1.0, 4, 99);
    EXPECT_EQ(m.Painted, 1);

    TextMeasurer measure(c);
    EXPECT_EQ(measure.line(m, 3), (TextExtent{0, 0}));
    EXPECT_EQ(measure.lineAscent(m, -1), 0);
}

TEST(TransparentFrames, ShowThePageUnderThemAndAreRefreshed)
{
    TSurfaceT page;
    page.width = 200;
    page.height = 100;
    page.color = 0x00FFFF;  // yellow
    auto& clear = static_cast<TDMemo&>(page.add(std::make_unique<TDMemo>()));
    auto& opaque = static_cast<TDMemo&>(page.add(std::make_unique<TDMemo>()));
    for (TDMemo* m : {&clear, &opaque}) {
        m->width = 80;
        m->height = 60;
        m->top = 20;
        m->LayoutWidth = 80;
        m->Lines = {TDLigne(0, 1, 2, 1)};
        m->Runs = {run("A", 12, 40)};
    }
    clear.left = 10;
    clear.Transparent = 1;
    opaque.left = 110;
    QImage image(200, 100, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    page.Paint(canvas, PaintContext{});
    page.Paint(canvas, PaintContext{});  // Painted is 1: bands are cleared in the opaque frame only
    EXPECT_EQ(image.pixel(20, 70), 0xFFFFFF00u);
    EXPECT_EQ(image.pixel(120, 70), 0xFFFFFFFFu);

    RefreshTransparentFrames(page);
    EXPECT_EQ(clear.Painted, 0);
    EXPECT_EQ(opaque.Painted, 1);
}

namespace {

class FailingCanvas : public RecordingCanvas {
public:
    void textOut(int, int, const std::string&) override { throw std::runtime_error("no text"); }
};

}  // namespace

TEST(FramePainting, ErrorsAreToldOncePerPagePaint)
{
    TSurfaceT page;
    page.width = 400;
    page.height = 300;
    for (int i = 0; i < 3; ++i) {
        auto& m = static_cast<TDMemo&>(page.add(std::make_unique<TDMemo>()));
        m.width = 100;
        m.height = 100;
        m.Lines = {TDLigne(0, 1, 2, 1)};
        m.Runs = {run("A", 12, 10)};
    }
    std::vector<std::string> told;
    PaintContext ctx;
    ctx.onPaintError = [&told](const std::string& message) { told.push_back(message); };
    FailingCanvas c;
    page.Paint(c, ctx);
    EXPECT_EQ(told, std::vector<std::string>{"erreur paint"});
    page.Paint(c, ctx);
    EXPECT_EQ(told.size(), 2u);
    EXPECT_NO_THROW(page.Paint(c, PaintContext{}));  // nobody listening: still nothing escapes
}

TEST(FramePainting, EveryZoomShowsTheLinesThatLieInTheFrame)
{
    // Tops 2, 40 and 80 lie inside a frame 100 high, 120 does not. The page scales the frame's
    // height with the zoom; the tops are compared at the same zoom.
    for (const double zoom : {0.3, 0.7, 1.0, 2.0}) {
        TDMemo m = frame(300, 100);
        m.Lines = {TDLigne(0, 1, 2, 1), TDLigne(1, 1, 40, 1), TDLigne(2, 1, 80, 1), TDLigne(3, 1, 120, 1)};
        m.Runs = {run("A", 12, 10), run("B", 12, 10), run("C", 12, 10), run("D", 12, 10)};
        m.height = static_cast<int>(100 * zoom + 0.5);
        const std::vector<std::string> shown = texts(painted(m, zoom));
        ASSERT_EQ(shown.size(), 3u) << zoom;
        EXPECT_NE(shown[2].find("\"C\""), std::string::npos) << zoom;
    }
}

TEST(FramePainting, TextPagesPaintEveryRunOverTheLineBelow)
{
    // The first line's empty 48-point run gives it an ascent of 51 but a height of 16: its text
    // sits below the second line's top. On a text page every later paint still shows it; a frame
    // of a page layout keeps clearing its bands.
    TDMemo m = frame(300, 200);
    m.Lines = {TDLigne(0, 2, 2, 1), TDLigne(2, 1, 18, 1)};
    m.Runs = {run("", 48, 100), run("AB", 12, 100), run("CD", 12, 100)};
    m.Painted = 1;
    m.TextPage = true;
    EXPECT_EQ(painted(m),
              (std::vector<std::string>{
                  "fillrect 0,0,300,200 #ffffff",
                  "text 100,41 font=F/12/0 #000000 \"AB\" opaque=#ffffff",
                  "text 100,18 font=F/12/0 #000000 \"CD\" opaque=#ffffff",
              }));
    m.TextPage = false;
    const std::vector<std::string> framed = painted(m);
    ASSERT_EQ(framed.size(), 5u);
    EXPECT_EQ(framed[1], "fillrect 9,2,292,18 #ffffff");
    EXPECT_EQ(framed[3], "fillrect 9,18,292,200 #ffffff");  // over "AB", drawn at 41
}
