// Rich-text frames and rich-edit tables: their records, the screen border, zoom, printing into
// the twips rectangle with continued sheets, the table's placement and its cells.
#include <gtest/gtest.h>

#include <QImage>
#include <QTextBlock>
#include <QTextLayout>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/json_writer.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "page/surface.h"
#include "richtext/rich_edit.h"
#include "support/doc_writer.h"
#include "table/tabeau_re.h"

namespace vr {
namespace {

using vrtest::Bytes;

const std::string kHello = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Liberation Sans;}}\\f0\\fs24 Hello rich text\\par}";

DocStream streamOf(const Bytes& b)
{
    return DocStream::fromMemory(b);
}

TDRichEdit readFrame(const Bytes& body, std::vector<std::string>* reports = nullptr)
{
    DocStream s = streamOf(body);
    TDRichEdit f;
    f.ReadRecord(s, [reports](const std::string& m) {
        if (reports)
            reports->push_back(m);
    });
    return f;
}

std::string longText(int paragraphs)
{
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Liberation Sans;}}\\f0\\fs24 ";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "Paragraph number " + std::to_string(i) + " of the long text.\\par ";
    return rtf + "}";
}

// Rows of a sheet with anything but white in columns [x0, x1).
std::vector<int> inkRows(const QImage& im, int x0, int x1)
{
    std::vector<int> rows;
    for (int y = 0; y < im.height(); ++y)
        for (int x = std::max(0, x0); x < std::min(im.width(), x1); ++x)
            if ((im.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(RichEditRecord, FieldsContentAndWhatFollows)
{
    vrtest::BorderRec border{"1", "0", "1", "1", "3", "255"};
    Bytes body = vrtest::richEditRecord(vrtest::boundsRecord("40", "100", "300", "120"), border, kHello);
    body.push_back('X');  // the next record
    DocStream s = streamOf(body);
    TDRichEdit f;
    f.ReadRecord(s);
    EXPECT_EQ(s.remaining(), 1u);
    EXPECT_EQ(f.left, 40);
    EXPECT_EQ(f.top, 100);
    EXPECT_EQ(f.width, 300);
    EXPECT_EQ(f.height, 120);
    EXPECT_EQ(f.BorderLeft, 1);
    EXPECT_EQ(f.BorderBottom, 0);
    EXPECT_EQ(f.BorderWidth, 3);
    EXPECT_EQ(f.BorderColor, 255u);
    EXPECT_EQ(f.ContentSize, static_cast<int32_t>(kHello.size()));
    EXPECT_EQ(f.content.format(), RichText::Format::Rich);
    EXPECT_EQ(f.content.plainText(), "Hello rich text\n");
    EXPECT_EQ(f.printPass(), 3);
    JsonWriter out;
    out.beginObject();
    f.dumpFields(out);
    out.endObject();
    EXPECT_NE(out.str().find("\"Text\": \"Hello rich text\\n\""), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\"ContentSize\": " + std::to_string(kHello.size())), std::string::npos);
}

TEST(RichEditRecord, EmptyPlainAndUnloadableContent)
{
    // Content size 0: no content bytes, an empty control.
    Bytes empty = vrtest::richEditRecord(vrtest::boundsRecord("1", "2", "3", "4"), {}, "", "0");
    empty.push_back('N');
    DocStream s = streamOf(empty);
    TDRichEdit e;
    e.ReadRecord(s);
    EXPECT_EQ(s.remaining(), 1u);
    EXPECT_EQ(e.content.format(), RichText::Format::Empty);
    // Bytes that are not rich text are plain text in code page 1256.
    const TDRichEdit plain =
        readFrame(vrtest::richEditRecord(vrtest::boundsRecord("1", "2", "3", "4"), {}, "\xc7\xe4\r\nab"));
    EXPECT_EQ(plain.content.format(), RichText::Format::Plain);
    EXPECT_EQ(plain.content.plainText(), "\xD8\xA7\xD9\x86\nab\n");
    // Neither: reported, the record read whole, the frame empty.
    std::vector<std::string> reports;
    Bytes bad = vrtest::richEditRecord(vrtest::boundsRecord("1", "2", "3", "4"), {}, std::string("\x01\x00\x02", 3));
    bad.push_back('N');
    DocStream sb = streamOf(bad);
    TDRichEdit b;
    b.ReadRecord(sb, [&](const std::string& m) { reports.push_back(m); });
    EXPECT_EQ(sb.remaining(), 1u);
    EXPECT_EQ(reports, std::vector<std::string>{"Erreur au chargement du flux"});
    EXPECT_EQ(b.contentError, "Erreur au chargement du flux");
    EXPECT_EQ(b.content.format(), RichText::Format::Empty);
    // Content shorter than its size is a read error; a size that is not an integer a conversion error.
    EXPECT_THROW(readFrame(vrtest::richEditRecord(vrtest::boundsRecord("1", "2", "3", "4"), {}, "{\\rtf1 x}", "500")),
                 ReadError);
    EXPECT_THROW(readFrame(vrtest::richEditRecord(vrtest::boundsRecord("1", "2", "3", "4"), {}, "", "abc")),
                 ConvertError);
}

TEST(RichEditScreen, BorderJustOutsideWithANotXorPen)
{
    for (const auto& [width, h] : {std::pair{"1", 0}, std::pair{"3", 2}}) {
        vrtest::BorderRec border{"1", "1", "1", "1", width, std::to_string(0x0000FF)};
        TSurfaceT page;
        page.width = 794;
        page.height = 1123;
        auto& f = static_cast<TDRichEdit&>(page.add(std::make_unique<TDRichEdit>(
            readFrame(vrtest::richEditRecord(vrtest::boundsRecord("100", "200", "300", "150"), border, kHello)))));
        RecordingCanvas canvas;
        page.Paint(canvas, PaintContext{});
        const std::string pen = " pen=#ff0000 w" + std::string(width) + " solid notxor";
        auto has = [&](const std::string& line) {
            return std::find(canvas.calls.begin(), canvas.calls.end(), line) != canvas.calls.end();
        };
        const int L = 100, T = 200, W = 300, H = 150;
        auto seg = [&](int x0, int y0, int x1, int y1) {
            return "line " + std::to_string(x0) + "," + std::to_string(y0) + " -> " + std::to_string(x1) + "," +
                std::to_string(y1) + pen;
        };
        EXPECT_TRUE(has(seg(L - h, T, L - h, T + H))) << width;
        EXPECT_TRUE(has(seg(L - h, T + H + h, L + W + h, T + H + h))) << width;
        EXPECT_TRUE(has(seg(L + W + h, T, L + W + h, T + H))) << width;
        EXPECT_TRUE(has(seg(L - h, T - h, L + W + h, T - h))) << width;
        // The text is drawn by Qt's engine inside the frame's client area.
        EXPECT_TRUE(has("qtpaint 100,200,400,350")) << width;
        (void)f;
    }
}

TEST(RichEditScreen, TextIsLaidOutOnceAndScaledWithTheZoom)
{
    TDRichEdit f = readFrame(vrtest::richEditRecord(vrtest::boundsRecord("0", "0", "120", "200"), {}, longText(3)));
    auto draw = [&](double zoom) {
        QImage im(static_cast<int>(130 * zoom), static_cast<int>(210 * zoom), QImage::Format_RGB32);
        im.fill(Qt::black);
        RasterCanvas c(im);
        PaintContext ctx;
        ctx.zoomFactor = zoom;
        f.paintOnPage(c, ctx);
        return im;
    };
    const QImage at1 = draw(1.0);
    const int lines1 = f.content.screenLayout()->begin().layout()->lineCount();
    EXPECT_GT(lines1, 1);
    f.changeScale(200, 100);
    EXPECT_EQ(f.width, 240);
    const QImage at2 = draw(2.0);
    // Same layout: the same lines, at the actual-size width.
    EXPECT_EQ(f.content.screenLayout()->textWidth(), 120 - RichText::kMarginLeft - RichText::kMarginRight);
    EXPECT_EQ(f.content.screenLayout()->begin().layout()->lineCount(), lines1);
    // White over the client area only, text twice as tall.
    EXPECT_EQ(QColor(at2.pixel(239, 399)), QColor(Qt::white));
    EXPECT_EQ(QColor(at2.pixel(240, 100)), QColor(Qt::black));
    const std::vector<int> r1 = inkRows(at1, 0, 120), r2 = inkRows(at2, 0, 240);
    ASSERT_FALSE(r1.empty());
    ASSERT_FALSE(r2.empty());
    EXPECT_NEAR(r2.back() - r2.front(), 2 * (r1.back() - r1.front()), 4);
}

TEST(RichEditPrint, TwipsRectangles)
{
    // The frame's text starts at 1.3 times its top; the cell's at its top.
    EXPECT_EQ(framePrintRect(50, 100, 200, 100, 1.0, 1.0, 96, 96), (TwipsRect{750, 1950, 3750, 3450}));
    EXPECT_EQ(cellPrintRect(10, 20, 50, 30, 110, 60, 1.0, 1.0, 96, 96), (TwipsRect{1800, 1200, 2550, 1650}));
    // At 300 dots per inch: (120, 80)-(170, 110) page pixels scaled by 3.125 and rounded
    // (375, 250)-(531.25 -> 531, 343.75 -> 344), then to twips truncated.
    const double s = 300.0 / 96.0;
    EXPECT_EQ(cellPrintRect(10, 20, 50, 30, 110, 60, s, s, 300, 300),
              (TwipsRect{375 * 1440 / 300, 250 * 1440 / 300, 531 * 1440 / 300, 344 * 1440 / 300}));
    // Round halves to even: 0.5 x 5 = 2.5 gives 2.
    EXPECT_EQ(framePrintRect(5, 0, 0, 0, 0.5, 1.0, 96, 96).left, 2 * 1440 / 96);
}

TEST(RichEditPrint, TextFromOnePointThreeTopBorderOnTheEdges)
{
    vrtest::BorderRec border{"1", "1", "1", "1", "2", "0"};
    TDRichEdit f = readFrame(vrtest::richEditRecord(vrtest::boundsRecord("100", "100", "400", "150"), border, kHello));
    MemoryPrinter printer(96);
    printer.beginDoc();
    f.printOnSheet(printer, 1.0, 1.0);
    printer.endDoc();
    ASSERT_EQ(printer.sheets().size(), 1u);
    const QImage& sheet = printer.sheets()[0];
    // The text: from y = 130 on, between the border lines.
    std::vector<int> text;
    for (int y : inkRows(sheet, 110, 490))
        if (y > 101 && y < 249)
            text.push_back(y);
    ASSERT_FALSE(text.empty());
    EXPECT_GE(text.front(), 130);
    EXPECT_LT(text.front(), 130 + 20);
    // The border on the frame's edges (pen of 2 pixels), not outside them.
    EXPECT_NE(QColor(sheet.pixel(300, 100)), QColor(Qt::white));
    EXPECT_NE(QColor(sheet.pixel(100, 200)), QColor(Qt::white));
    EXPECT_NE(QColor(sheet.pixel(300, 250)), QColor(Qt::white));
    EXPECT_EQ(QColor(sheet.pixel(300, 96)), QColor(Qt::white));
    EXPECT_EQ(QColor(sheet.pixel(96, 200)), QColor(Qt::white));
}

TEST(RichEditPrint, LongTextContinuesOnNewSheetsInTheSameRectangle)
{
    TDRichEdit f =
        readFrame(vrtest::richEditRecord(vrtest::boundsRecord("100", "100", "300", "120"), {}, longText(30)));
    MemoryPrinter printer(96);
    printer.beginDoc();
    f.printOnSheet(printer, 1.0, 1.0);
    printer.endDoc();
    ASSERT_GE(printer.sheets().size(), 3u);
    const int top = 130, bottom = 130 + 120;
    for (size_t i = 0; i < printer.sheets().size(); ++i) {
        const std::vector<int> rows = inkRows(printer.sheets()[i], 0, 794);
        ASSERT_FALSE(rows.empty()) << "sheet " << i;
        EXPECT_GE(rows.front(), top) << "sheet " << i;
        EXPECT_LT(rows.back(), bottom) << "sheet " << i;
        EXPECT_LT(rows.front(), top + 20) << "sheet " << i;  // every sheet starts at the rectangle's top
    }
    // A rectangle without room prints nothing and starts no sheet.
    TDRichEdit flat =
        readFrame(vrtest::richEditRecord(vrtest::boundsRecord("100", "100", "300", "0"), {}, longText(30)));
    MemoryPrinter p2(96);
    p2.beginDoc();
    flat.printOnSheet(p2, 1.0, 1.0);
    p2.endDoc();
    EXPECT_EQ(p2.sheets().size(), 1u);
}

TEST(TabeauRE, PlacementOrderAndCells)
{
    std::vector<vrtest::RichCellRec> cells;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            vrtest::RichCellRec cell;
            cell.left = std::to_string(20 + c * 90);
            cell.top = std::to_string(20 + r * 50);
            cell.width = "80";
            cell.height = "40";
            cell.content =
                (r == 0 && c == 1) ? "" : "{\\rtf1 cell " + std::to_string(r + 1) + "," + std::to_string(c + 1) + "}";
            cells.push_back(cell);
        }
    Bytes body = vrtest::tabeauRERecord(vrtest::boundsRecord("100", "50", "300", "200"), "3", "2", cells);
    body.push_back('N');
    DocStream s = streamOf(body);
    TTabeauRE t;
    ReadBoundsRecord(s, t);
    t.ReadRecord(s, true);
    EXPECT_EQ(s.remaining(), 1u);  // a cell with content size 0 has no content bytes
    EXPECT_EQ(t.left, 110);
    EXPECT_EQ(t.top, 60);
    EXPECT_EQ(t.width, 290);
    EXPECT_EQ(t.height, 190);
    ASSERT_EQ(t.cells.size(), 6u);
    EXPECT_EQ(t.cells[0]->left, 10);  // stored 20, so 120 on the page as stored
    EXPECT_EQ(t.left + t.cells[0]->left, 120);
    EXPECT_EQ(t.cells[2]->content.plainText(), "cell 1,3\n");
    EXPECT_EQ(t.cells[3]->content.plainText(), "cell 2,1\n");
    EXPECT_EQ(t.cells[1]->content.format(), RichText::Format::Empty);
    EXPECT_FALSE(t.cells[0]->enabled);
    EXPECT_EQ(t.printPass(), 3);
    JsonWriter out;
    out.beginObject();
    t.dumpFields(out);
    out.endObject();
    EXPECT_NE(out.str().find("\"Columns\": 3,\n  \"Rows\": 2,\n  \"Cells\": ["), std::string::npos) << out.str();
    // The cells scale with the table.
    t.changeScale(200, 100);
    EXPECT_EQ(t.left, 220);
    EXPECT_EQ(t.cells[0]->left, 20);
    EXPECT_EQ(t.cells[0]->width, 160);
}

TEST(TabeauRE, CountsThatReadNoCell)
{
    auto read = [](const std::string& columns, const std::string& rows, const Bytes& rest = {}) {
        Bytes body = vrtest::tabeauRERecord(vrtest::boundsRecord("0", "0", "50", "50"), columns, rows, {});
        vrtest::append(body, rest);
        DocStream s = streamOf(body);
        TTabeauRE t;
        ReadBoundsRecord(s, t);
        t.ReadRecord(s, true);
        return std::pair{t.cells.size(), s.remaining()};
    };
    EXPECT_EQ(read("5", "0", Bytes(20, 0)), (std::pair<size_t, size_t>{0, 20}));
    EXPECT_EQ(read("0", "3", Bytes(20, 0)), (std::pair<size_t, size_t>{0, 20}));
    EXPECT_EQ(read("2", "-1", Bytes(20, 0)), (std::pair<size_t, size_t>{0, 20}));
    EXPECT_THROW(read("x", "1"), ConvertError);
    // Without content, the cells have no size field.
    Bytes body = vrtest::tabeauRERecord(vrtest::boundsRecord("0", "0", "50", "50"), "1", "1",
                                        {vrtest::RichCellRec{"10", "10", "20", "20", "", false}});
    DocStream s = streamOf(body);
    TTabeauRE t;
    ReadBoundsRecord(s, t);
    t.ReadRecord(s, false);
    EXPECT_EQ(t.cells.size(), 1u);
    EXPECT_EQ(s.remaining(), 0u);
}

TEST(TabeauRE, PanelUnderCellsOnScreenCellsAloneOnPaper)
{
    std::vector<vrtest::RichCellRec> cells{{"20", "20", "100", "40", "{\\rtf1 A}"},
                                           {"130", "20", "100", "40", "{\\rtf1 B}"}};
    Bytes body = vrtest::tabeauRERecord(vrtest::boundsRecord("100", "50", "260", "100"), "2", "1", cells);
    DocStream s = streamOf(body);
    TTabeauRE t;
    ReadBoundsRecord(s, t);
    t.ReadRecord(s, true);
    QImage im(t.width, t.height, QImage::Format_RGB32);
    im.fill(Qt::black);
    RasterCanvas c(im);
    t.paintOnPage(c, PaintContext{});
    EXPECT_EQ(QColor(im.pixel(0, 0)), QColor(Qt::white));  // the raised bevel
    EXPECT_EQ(QColor(im.pixel(t.width - 1, t.height - 1)), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(im.pixel(5, 5) & 0xFFFFFF, toArgb(resolveColor(0xFF00000F)) & 0xFFFFFF);  // button face
    EXPECT_EQ(QColor(im.pixel(10 + 99, 10 + 39)), QColor(Qt::white));  // a cell, white
    // Printed: only the cells, at table position + cell position.
    MemoryPrinter printer(96);
    printer.beginDoc();
    t.printOnSheet(printer, 1.0, 1.0);
    printer.endDoc();
    const QImage& sheet = printer.sheets().at(0);
    const std::vector<int> rows = inkRows(sheet, 0, sheet.width());
    ASSERT_FALSE(rows.empty());
    EXPECT_GE(rows.front(), 60 + 10);
    EXPECT_LT(rows.back(), 60 + 10 + 40);
    EXPECT_EQ(QColor(sheet.pixel(111, 61)), QColor(Qt::white));  // no panel on paper
}

}  // namespace
}  // namespace vr
