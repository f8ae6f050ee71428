// Drawn tables: the counts, the placement, the cells in row order, the panel and printing.
#include <memory>

#include <QImage>
#include <gtest/gtest.h>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "support/doc_writer.h"
#include "support/recording_printer.h"
#include "table/tabeau_d.h"

using namespace vr;
using namespace vrtest;

namespace {

constexpr uint8_t kNext = 0xEE;

// A cell: an empty, opaque text frame at (left, top) inside the table as stored.
Bytes cell(int left, int top, int width = 60, int height = 30)
{
    FrameMainRec m;
    m.left = std::to_string(left);
    m.top = std::to_string(top);
    m.width = std::to_string(width);
    m.height = std::to_string(height);
    m.borderWidth = "0";
    Bytes b = frameMainRecord(m);
    append(b, frameBackground("0"));
    append(b, counted("0", 250));  // line spacing
    return b;
}

Bytes counts(const std::string& columns, const std::string& rows)
{
    Bytes b = counted(columns, 3);
    append(b, counted(rows, 3));
    return b;
}

class TableRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctx.DocVersion = "2002";
        ctx.DocSubVersion = "2002";
        ctx.fontInstalled = fontCatalogue({});
        table.left = 100;
        table.top = 50;
        table.width = 300;
        table.height = 200;
    }
    std::string read(Bytes b)
    {
        b.push_back(kNext);
        stream = std::make_unique<DocStream>(DocStream::fromMemory(b));
        try {
            table.ReadRecord(*stream, true, ctx);
        } catch (const VError& e) {
            return e.what();
        }
        return "";
    }
    bool atNext() const { return stream->remaining() == 1; }

    FrameReadContext ctx;
    TTabeauD table;
    std::unique_ptr<DocStream> stream;
};

// The 2 x 3 table used below: cells stored at left 20, 90, 160 and top 30 (first row), 70.
Bytes twoByThree()
{
    Bytes b = counts("3", "2");
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column)
            append(b, cell(20 + 70 * column, 30 + 40 * row));
    return b;
}

}  // namespace

TEST_F(TableRead, SixCellsInRowOrderPlacedWhereTheDocumentPutThem)
{
    ASSERT_EQ(read(twoByThree()), "");
    EXPECT_TRUE(atNext());
    EXPECT_EQ(table.Columns, 3);
    EXPECT_EQ(table.Rows, 2);
    // Stored at 100, 50, 300, 200: placed at 110, 60, 290, 190.
    EXPECT_EQ((std::vector<int>{table.left, table.top, table.width, table.height}),
              (std::vector<int>{110, 60, 290, 190}));
    ASSERT_EQ(table.Cells.size(), 6u);
    std::vector<std::pair<int, int>> places;
    for (const auto& c : table.Cells)
        places.emplace_back(c->left, c->top);
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{10, 20}, {80, 20}, {150, 20}, {10, 60}, {80, 60}, {150, 60}}));
    // A cell stored at left 20 is at 10 in the table: 120 on the page, unchanged.
    EXPECT_EQ(table.left + table.Cells[0]->left, 120);
    EXPECT_EQ(table.refreshes, 2);
}

TEST_F(TableRead, EmptyTables)
{
    // Rows 0 with columns 5: no cell record at all.
    ASSERT_EQ(read(counts("5", "0")), "");
    EXPECT_TRUE(atNext());
    EXPECT_TRUE(table.Cells.empty());
    EXPECT_EQ(table.refreshes, 0);
    EXPECT_EQ(table.left, 110);  // moved in all the same

    // Columns 0 with rows 3: no cell record either, but a refresh after each row.
    TTabeauD t2;
    DocStream s = DocStream::fromMemory(counts("0", "3"));
    t2.ReadRecord(s, true, ctx);
    EXPECT_EQ(s.remaining(), 0u);
    EXPECT_TRUE(t2.Cells.empty());
    EXPECT_EQ(t2.refreshes, 3);

    // A negative row count reads nothing, though its low byte would be 255 rows.
    TTabeauD t3;
    DocStream s3 = DocStream::fromMemory(counts("2", "-1"));
    t3.ReadRecord(s3, true, ctx);
    EXPECT_EQ(t3.Rows, 255);
    EXPECT_TRUE(t3.Cells.empty());
    EXPECT_EQ(t3.refreshes, 0);
}

TEST_F(TableRead, CountsKeepTheirLowByteAndMustBeIntegers)
{
    // 257 columns keep 1; 256 rows keep 0 and read no row.
    ASSERT_EQ(read(counts("257", "256")), "");
    EXPECT_EQ(table.Columns, 1);
    EXPECT_EQ(table.Rows, 0);
    EXPECT_TRUE(table.Cells.empty());
    TTabeauD t;
    DocStream s = DocStream::fromMemory(counts("3", "a"));
    try {
        t.ReadRecord(s, true, ctx);
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'a' n'est pas une valeur enti\xC3\xA8re correcte");
    }
}

TEST_F(TableRead, AFailingCellKeepsTheCellsBeforeIt)
{
    Bytes b = counts("2", "1");
    append(b, cell(20, 30));
    FrameMainRec bad;
    bad.left = "L";
    append(b, frameMainRecord(bad));
    EXPECT_EQ(read(b), "'L' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(table.Cells.size(), 1u);
}

TEST_F(TableRead, PanelUnderTheCellsAndScaling)
{
    ASSERT_EQ(read(twoByThree()), "");
    QImage im(table.width, table.height, QImage::Format_RGB32);
    im.fill(0xFF000000u);
    RasterCanvas c(im);
    table.paintOnPage(c, PaintContext{});
    auto at = [&im](int x, int y) { return fromArgb(im.pixel(x, y)); };
    EXPECT_EQ(at(0, 0), kWhite);  // raised bevel: light top and left
    EXPECT_EQ(at(0, 100), kWhite);
    EXPECT_EQ(at(289, 100), 0x808080u);  // shadow right and bottom
    EXPECT_EQ(at(100, 189), 0x808080u);
    EXPECT_EQ(at(5, 5), 0xC8D0D4u);  // button face
    EXPECT_EQ(at(12, 22), kWhite);  // inside the first cell, drawn over the panel
    EXPECT_EQ(at(75, 40), 0xC8D0D4u);  // between two cells

    // The page at 150 %: the table and its cells scale together.
    table.changeScale(150, 100);
    EXPECT_EQ((std::vector<int>{table.left, table.top, table.width, table.height}),
              (std::vector<int>{165, 90, 435, 285}));
    EXPECT_EQ((std::vector<int>{table.Cells[1]->left, table.Cells[1]->top, table.Cells[1]->width}),
              (std::vector<int>{120, 30, 90}));
}

TEST_F(TableRead, EachCellPrintsOffsetByTheTable)
{
    ASSERT_EQ(read(twoByThree()), "");
    // At 192 dpi (2 printer pixels a page pixel) each cell's white ground lands at twice its
    // page position: table 110 + cell 10 = 120 -> 240; 60 + 20 = 80 -> 160.
    vrtest::RecordingPrinter printer({192, 192, 2000, 3000, 264, 396});
    table.Print(printer, 2.0, 2.0);
    std::vector<std::string> fills;
    for (const std::string& call : printer.calls())
        if (call.rfind("fillrect", 0) == 0)
            fills.push_back(call);
    EXPECT_EQ(fills,
              (std::vector<std::string>{
                  "fillrect 240,160,360,220 #ffffff",
                  "fillrect 380,160,500,220 #ffffff",
                  "fillrect 520,160,640,220 #ffffff",
                  "fillrect 240,240,360,300 #ffffff",
                  "fillrect 380,240,500,300 #ffffff",
                  "fillrect 520,240,640,300 #ffffff",
              }));
}
