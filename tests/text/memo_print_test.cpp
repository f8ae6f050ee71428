// Text frames on the printed sheet, traced on recording canvases. The frame measures on a 96-dpi
// recording canvas (8 px a byte; 10 pt: ascent 10, descent 3; 12 pt: 12 and 4). The printer's
// canvas measures 8 px a byte, or as many pixels a byte as the font has points.
#include <gtest/gtest.h>

#include <memory>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "support/recording_printer.h"
#include "text/memo.h"
#include "text/memo_print.h"
#include "text/paint_helpers.h"

using namespace vr;

namespace {

class PointsWideCanvas : public RecordingCanvas {
public:
    using RecordingCanvas::RecordingCanvas;
    int textWidth(const std::string& bytes) override { return static_cast<int>(bytes.size()) * font.pointSize; }
};

// The sheet of a printer at (dpiX, dpiY), measuring 8 px a byte or, with pointsWide, as many pixels
// a byte as the font has points.
class RecordingPrinter : public vrtest::RecordingPrinter {
public:
    explicit RecordingPrinter(int dpiX = 96, int dpiY = 96, bool pointsWide = false)
        : vrtest::RecordingPrinter({dpiX, dpiY},
                                   pointsWide ? std::make_unique<PointsWideCanvas>(4960, 7016, dpiY)
                                              : std::make_unique<RecordingCanvas>(4960, 7016, dpiY))
    {
    }
};

struct Frame {
    RecordingCanvas measure;
    TDMemo memo;
    Frame(int left, int top, int width, int height)
    {
        memo.layoutCanvas = &measure;
        memo.left = left;
        memo.top = top;
        memo.width = width;
        memo.height = height;
        memo.LayoutWidth = width;
    }
};

TDChaine run(const std::string& text, int size, int x, std::string face = "F", uint8_t style = 0, Color color = 0)
{
    return TDChaine(text, std::move(face), static_cast<uint8_t>(size), style, color, 0, x);
}

std::string text(int x, int y, const std::string& bytes, int points = 12, const std::string& rest = " #000000",
                 bool opaque = true)
{
    return "text " + std::to_string(x) + "," + std::to_string(y) + " font=F/" + std::to_string(points) + "/0" + rest +
        " \"" + bytes + "\"" + (opaque ? " opaque=#ffffff" : "");
}

}  // namespace

TEST(FramePrinting, RectangleFillAndBorderFollowTheScalesOnTheRectanglesEdges)
{
    // Left 9, Top 19 - 4, Width 101, Height 51 at 2.5 x 1.5: PX 22, PY 22, PW 252, PH 76. The
    // right border is PX + PW = 274 (not Round(110 x 2.5) = 275), the bottom Round(66 x 1.5) = 99
    // (not PY + PH = 98); the pen Round(3 x 2.5) = 8.
    Frame f(9, 19, 101, 51);
    f.memo.BorderLeft = f.memo.BorderBottom = f.memo.BorderRight = f.memo.BorderTop = 1;
    f.memo.BorderWidth = 3;
    f.memo.BorderColor = 0x0000FF;
    RecordingPrinter p;
    PrintFrame(f.memo, 0, -4, p, 1.5, 2.5);
    const std::string pen = " pen=#ff0000 w8 solid copy";
    EXPECT_EQ(p.calls(),
              (std::vector<std::string>{
                  "fillrect 22,22,274,98 #ffffff",
                  "line 22,22 -> 22,99" + pen,
                  "line 22,99 -> 274,99" + pen,
                  "line 274,22 -> 274,99" + pen,
                  "line 22,22 -> 274,22" + pen,
              }));

    f.memo.Transparent = 1;
    f.memo.BorderLeft = f.memo.BorderBottom = f.memo.BorderTop = 0;
    RecordingPrinter clear;
    PrintFrame(f.memo, 0, -4, clear, 1.5, 2.5);
    EXPECT_EQ(clear.calls(), std::vector<std::string>{"line 274,22 -> 274,99" + pen});

    // The object's print takes the driver's (ScaleX, ScaleY) and hands them on crosswise.
    f.memo.Transparent = 0;
    f.memo.BorderRight = 0;
    RecordingPrinter driver;
    f.memo.printOnSheet(driver, 2.0, 3.0);
    EXPECT_EQ(driver.calls(), std::vector<std::string>{"fillrect 18,57,220,210 #ffffff"});
}

TEST(FramePrinting, BorderSetsOnlyWidthAndColourKeepingTheMixAndStyleLeftBefore)
{
    // A dashed not-xor line printed before the frame leaves its mix and style on the sheet's
    // pen; the border takes them with its own width and colour, and leaves them to what follows.
    Frame f(9, 19, 101, 51);
    f.memo.BorderTop = 1;
    f.memo.BorderWidth = 1;
    f.memo.BorderColor = 0x0000FF;
    f.memo.Transparent = 1;
    RecordingPrinter p;
    p.canvas().pen = Pen{0x00FF00, 3, PenStyle::Dash, PenMode::NotXor};
    PrintFrame(f.memo, 0, 0, p, 1.0, 1.0);
    EXPECT_EQ(p.calls(), std::vector<std::string>{"line 9,19 -> 110,19 pen=#ff0000 w1 dash notxor"});
    EXPECT_EQ(p.canvas().pen, (Pen{0x0000FF, 1, PenStyle::Dash, PenMode::NotXor}));

    // On a raster sheet: the dashes of {18, 6} along the top edge, each pixel mixed not-xor.
    MemoryPrinter sheet(96, 210.0, 297.0);
    sheet.beginDoc();
    sheet.canvas().fillRect(IRect{0, 0, 200, 40}, 0x00FFFF);  // yellow under the border
    sheet.canvas().pen = Pen{0, 1, PenStyle::Dash, PenMode::NotXor};
    PrintFrame(f.memo, 0, 0, sheet, 1.0, 1.0);
    const QImage& page = sheet.sheets().back();
    // Not-xor of a red pen on yellow: not (FF,FF,00 xor FF,00,00) = FF,00,FF.
    const QRgb mixed = qRgb(0xFF, 0x00, 0xFF);
    EXPECT_EQ(page.pixel(9, 19), mixed);
    EXPECT_EQ(page.pixel(26, 19), mixed);  // the 18th pixel of the first dash
    EXPECT_EQ(page.pixel(27, 19), qRgb(0xFF, 0xFF, 0x00));  // the gap keeps the ground
    EXPECT_EQ(page.pixel(33, 19), mixed);  // the next dash
}

TEST(FramePrinting, At96DpiAndScale1TheSheetShowsWhatTheScreenShows)
{
    QImage scratch(1, 1, QImage::Format_RGB32);
    RasterCanvas measure(scratch, 96);
    TDMemo m;
    m.left = 30;
    m.top = 40;
    m.width = m.LayoutWidth = 300;
    m.height = 120;
    m.LeftMargin = 0;  // the sheet sets lines of Alignment 2 and 3 at LeftMargin + X
    m.Runs = {run("Hello", 12, 0, "DejaVu Sans"), run("World", 20, 0, "DejaVu Sans", 1, 0x0000C0),
              run("Up", 14, 40, "DejaVu Sans", 8), run("Mid", 12, 150, "DejaVu Sans")};
    m.Lines = {TDLigne(0, 2, 2, 1), TDLigne(2, 2, 50, 2)};
    // The first line is placed from the right margin as a text document's lines are.
    m.Runs[0].X = 290 - MeasureRun(measure, m.Runs[0]).Width;
    m.Runs[1].X = m.Runs[0].X - MeasureRun(measure, m.Runs[1]).Width;

    QImage screen(300, 120, QImage::Format_RGB32);
    RasterCanvas sc(screen, 96);
    m.Paint(sc, 1.0);

    MemoryPrinter printer(96, 120, 80);
    printer.beginDoc();
    m.printOnSheet(printer, 1.0, 1.0);
    const QImage printed = printer.sheets()[0].copy(30, 40, 300, 120).convertToFormat(QImage::Format_RGB32);

    int differing = 0, inked = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 300; ++x) {
            differing += printed.pixel(x, y) != screen.pixel(x, y);
            inked += qGray(screen.pixel(x, y)) < 128;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 200);
    EXPECT_EQ(printer.sheets()[0].pixel(29, 60), 0xFFFFFFFFu);
}

TEST(FramePrinting, At180By180DpiFontsHalveDrawnRoundedAndMeasuredTruncated)
{
    // 11 pt: drawn Round(5.5) = 6, measured 5 a byte; 13 pt: 6 and 6. Ascents 12 and 13 on the
    // frame's canvas share the line's baseline at 2 + 13.
    const auto printed = [](int dpiX, int dpiY) {
        Frame f(0, 0, 300, 100);
        f.memo.Lines = {TDLigne(0, 2, 2, 1)};
        f.memo.Runs = {run("AB", 11, 0), run("CDE", 13, 0)};
        RecordingPrinter p(dpiX, dpiY, true);
        PrintFrame(f.memo, 0, 0, p, 1.0, 1.0);
        return std::vector<std::string>(p.calls().begin() + 1, p.calls().end());
    };
    EXPECT_EQ(printed(180, 180), (std::vector<std::string>{text(280, 3, "AB", 6), text(262, 2, "CDE", 6)}));
    // Other resolutions take their own ratio: 90 across, 180 down doubles.
    EXPECT_EQ(printed(90, 180), (std::vector<std::string>{text(246, 3, "AB", 22), text(168, 2, "CDE", 26)}));
}

TEST(FramePrinting, LinesOfAlignment0And1RunEdgeToEdgeFromTheRightAndElongationsAreDropped)
{
    // Scales 2: the column's right edge is (20 + 290) x 2 = 620; each line's top is Round(Top x 2)
    // + Round(10 x 2).
    Frame f(20, 10, 300, 100);
    f.memo.Lines = {TDLigne(0, 2, 2, 1), TDLigne(2, 2, 30, 2), TDLigne(4, 1, 60, 0)};
    f.memo.Runs = {run("AB", 12, 250), run("CDE", 12, 245),  // stored positions overlap
                   run("\xFC"
                       "AB",
                       12, 100),
                   run("\xFB"
                       "C",
                       12, 0),  // set at LeftMargin + X
                   run("A\xFB\xFB"
                       "B",
                       12, 7)};
    const std::vector<TDChaine> stored = f.memo.Runs;
    RecordingPrinter p;
    PrintFrame(f.memo, 0, 0, p, 2.0, 2.0);
    EXPECT_EQ(p.calls(),
              (std::vector<std::string>{
                  "fillrect 40,20,640,220 #ffffff",
                  text(604, 24, "AB"),
                  text(580, 24, "CDE"),
                  text(276, 80, "AB"),  // the marker's 8 px move X: (20 + 10 + 108) x 2
                  text(60, 80, "C"),
                  text(604, 140, "AB"),
              }));
    EXPECT_EQ(f.memo.Runs[4].Text, stored[4].Text);  // the frame keeps its own runs
    EXPECT_EQ(f.memo.Runs[1].X, 245);
}

TEST(FramePrinting, TwoPartLinesKeepTheFirstGapFromBothColumnEdges)
{
    // Column 10 .. 290, scales 2: indent Round(30 x 2) = 60; the first part printed is 16 wide, so
    // the gap is Round((560 - 60 - 32) / 2) = 234 for every two-part line of the frame.
    Frame f(0, 0, 300, 100);
    f.memo.Lines = {TDLigne(0, 2, 2, 1), TDLigne(2, 1, 20, 1), TDLigne(3, 2, 40, 1)};
    f.memo.Runs = {run("\xFD"
                       "AB\xFE",
                       12, 0),
                   run("CD\xFE", 12, 0), run("XY", 12, 0),
                   run("\xFD"
                       "ABCD\xFE",
                       12, 0),
                   run("E\xFE", 12, 0)};
    RecordingPrinter p;
    PrintFrame(f.memo, 0, 0, p, 2.0, 2.0);
    EXPECT_EQ(p.calls(),
              (std::vector<std::string>{
                  "fillrect 0,0,600,200 #ffffff",
                  text(330, 4, "AB"),  // ends at 346 = 580 - 234
                  text(254, 4, "CD"),  // starts at 20 + 234
                  text(564, 40, "XY"),
                  text(314, 80, "ABCD"),  // 346 - 32: the gap is not computed again
                  text(254, 80, "E"),
              }));
    EXPECT_EQ(f.memo.Lines[0].Alignment, 1);
    EXPECT_EQ(f.memo.Runs[0].Text,
              "\xFD"
              "AB\xFE");
}

TEST(FramePrinting, SrcAndPictureGoesUnderTheTextOtherRasterOpsOverIt)
{
    // A picture brings two halo copies: Round(12 / 6) = 2 down and right, and one scale left.
    const auto printed = [](uint32_t rasterOp) {
        Frame f(0, 0, 100, 50);
        f.memo.BackImage = QImage(4, 4, QImage::Format_RGB32);
        f.memo.BackImage.fill(Qt::gray);
        f.memo.BackImageWidth = 100;
        f.memo.RasterOp = rasterOp;
        f.memo.Lines = {TDLigne(0, 1, 2, 1)};
        f.memo.Runs = {run("AB", 12, 0)};
        RecordingPrinter p;
        PrintFrame(f.memo, 0, 0, p, 1.0, 1.0);
        return p.calls();
    };
    // Under the text the picture shows through it (no white box); over it, the box is printed.
    const auto texts = [](bool opaque) {
        return std::vector<std::string>{text(76, 4, "AB", 12, " #ffffff", opaque),
                                        text(73, 2, "AB", 12, " #ffffff", opaque),
                                        text(74, 2, "AB", 12, " #000000", opaque)};
    };
    std::vector<std::string> under{"fillrect 0,0,100,50 #ffffff",
                                   "stretchblt 0,0,100,50 from 4x4 0,0,4,4 rop=008800c6"};
    for (const auto& t : texts(false))
        under.push_back(t);
    EXPECT_EQ(printed(rop::SrcAnd), under);

    std::vector<std::string> over{"fillrect 0,0,100,50 #ffffff"};
    for (const auto& t : texts(true))
        over.push_back(t);
    over.push_back("stretchblt 0,0,100,50 from 4x4 0,0,4,4 rop=00ee0086");
    EXPECT_EQ(printed(rop::SrcPaint), over);
}

TEST(FramePrinting, AMissingRunEndsTheTextWithoutLaterBackgroundOrBorder)
{
    Frame f(0, 0, 100, 50);
    f.memo.Lines = {TDLigne(0, 1, 2, 1), TDLigne(5, 1, 20, 1), TDLigne(0, 1, 30, 1)};
    f.memo.Runs = {run("AB", 12, 0)};
    f.memo.BackImage = QImage(4, 4, QImage::Format_RGB32);
    f.memo.BackImageWidth = 100;
    f.memo.RasterOp = rop::SrcPaint;
    f.memo.BorderTop = 1;
    RecordingPrinter p;
    PrintFrame(f.memo, 0, 0, p, 1.0, 1.0);
    ASSERT_EQ(p.calls().size(), 4u);  // the white fill and the first line's text with its halos
    EXPECT_EQ(p.calls().back(), text(74, 2, "AB"));
}

TEST(FramePrinting, OffsetCopiesScaleBothWaysAndRaisedRunsLiftByHalfTheirDescent)
{
    // Scales 2 across, 3 down. Alignment 2 puts the pen at (10 + 40) x 2 = 100.
    Frame f(0, 0, 300, 100);
    f.memo.Effects = {TextEffect{0, 3, 2, 0x00FF00, "1", 1, 4, 0xFF0000, 0}};
    f.memo.Lines = {TDLigne(0, 1, 2, 2), TDLigne(1, 1, 40, 2)};
    f.memo.Runs = {run("AB", 12, 40, "F", 0, 0x000080), run("S", 10, 40, "F", 8)};
    f.memo.Runs[0].Effect = 0;
    RecordingPrinter p;
    PrintFrame(f.memo, 0, 0, p, 3.0, 2.0);
    EXPECT_EQ(p.calls(),
              (std::vector<std::string>{
                  "fillrect 0,0,600,300 #ffffff",
                  text(94, 0, "AB", 12, " #00ff00", false),  // (100 - 3 x 2, 6 - 2 x 3)
                  text(102, 18, "AB", 12, " #0000ff", false),  // (100 + 1 x 2, 6 + 4 x 3)
                  text(100, 6, "AB", 12, " #800000", false),
                  // descent 3: Round(120 - 1.5 x 3) = 116, printed without strike-out
                  text(100, 116, "S", 10, " #000000", false),
              }));
}

TEST(FramePrinting, WideningPutsElongationsBehindJoiningLettersUntilTheColumnIsFilled)
{
    // Column 280 x 0.1 = 28 printer pixels; 'A' joins.
    Frame f(0, 0, 300, 100);
    f.memo.Lines = {TDLigne(0, 1, 2, 0),  TDLigne(1, 1, 20, 0), TDLigne(2, 1, 40, 1),
                    TDLigne(3, 2, 60, 1), TDLigne(5, 2, 80, 1), TDLigne(7, 1, 90, 0)};
    f.memo.Runs = {run("AAB", 12, 0, "QV_x"),
                   run("AAB", 12, 0, "Other"),
                   run("A\xFB"
                       "A",
                       12, 0, "QV_x"),
                   run("\xFD"
                       "AAAA\xFE",
                       12, 0),
                   run("AB\xFE", 12, 0),
                   run("\xFD"
                       "A\xFE",
                       12, 0),
                   run("B\xFE", 12, 0),
                   run(std::string(254, 'A'), 12, 0, "QV_x")};
    RecordingPrinter p;
    FramePrinter job(f.memo, p, 1.0, 0.1, ConnectSet().set('A'));

    job.setColumnWidth(24);
    EXPECT_TRUE(job.LineFits(0, 0));  // 24 wide: as wide as the column fits
    job.setColumnWidth(25);
    EXPECT_FALSE(job.LineFits(0, 0));

    // Both two-part lines are one block of parts, ending at the plain line 5.
    EXPECT_EQ(job.EqualiseParts(3), 5);
    EXPECT_EQ(job.copies()[4].Text,
              "A\xFB\xFB\xFB"
              "B\xFE");  // three passes to the widest, 48
    EXPECT_EQ(job.copies()[3].Text,
              "\xFD"
              "AAAA\xFE");
    EXPECT_EQ(job.copies()[6].Text, "B\xFE");  // nothing to join: left short

    job.JustifyForPrinter();
    EXPECT_EQ(job.copies()[0].Text,
              "A\xFB"
              "AB");  // 32 >= 28 after the first one
    EXPECT_EQ(job.copies()[1].Text, "AAB");  // not one of the suite's fonts
    EXPECT_EQ(job.copies()[2].Text, "AA");  // Alignment 1 is not widened
    EXPECT_EQ(job.copies()[7].Text, std::string(254, 'A'));  // already wider than the column
    EXPECT_EQ(f.memo.Runs[0].Text, "AAB");

    // A run never grows past 255 bytes, however far the column (28000 pixels).
    FramePrinter far(f.memo, p, 1.0, 100.0, ConnectSet().set('A'));
    far.JustifyForPrinter();
    EXPECT_EQ(far.copies()[7].Text, "A\xFB" + std::string(253, 'A'));

    // Without joining letters the passes stop at once.
    FramePrinter plain(f.memo, p, 1.0, 0.1);
    plain.JustifyForPrinter();
    EXPECT_EQ(plain.copies()[0].Text, "AAB");
    EXPECT_EQ(plain.copies()[2].Text, "AA");
}

TEST(FramePrinting, HugeFramesAtHighResolutionAreClippedToTheSheet)
{
    // 9999 x 9999 pixels at 600 dpi on a 20 mm sheet, a pattern and a 255-pixel border: the pattern
    // bitmap is never made, the border pen is Round(255 x 6.25) = 1594 and covers the sheet.
    TDMemo m;
    m.width = m.height = m.LayoutWidth = 9999;
    m.HasPattern = 1;
    m.RasterOp = rop::SrcAnd;
    m.BorderLeft = 1;
    m.BorderWidth = 255;
    m.BorderColor = 0x0000FF;
    m.Lines = {TDLigne(0, 1, 2, 0)};
    m.Runs = {run("\xFB\xFB"
                  "AB",
                  255, 9000, "DejaVu Sans")};
    MemoryPrinter printer(600, 20, 20);
    printer.beginDoc();
    m.printOnSheet(printer, 6.25, 6.25);
    EXPECT_EQ(printer.sheets()[0].pixel(200, 200), 0xFFFF0000u);
}
