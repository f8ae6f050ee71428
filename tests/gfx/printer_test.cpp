// The in-memory printer: sheet sizes at a resolution, page sequence and its canvas.
#include <stdexcept>

#include <gtest/gtest.h>

#include "gfx/canvas/page_image.h"
#include "gfx/print/printer.h"
#include "gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::marked;

TEST(MemoryPrinter, A4SheetSizesAtEachResolution)
{
    struct Case {
        int dpi, w, h;
    };
    for (const Case k : {Case{96, 794, 1123}, Case{180, 1488, 2105}, Case{600, 4961, 7016}}) {
        MemoryPrinter p(k.dpi);
        EXPECT_EQ(p.horzRes(), k.w) << k.dpi;
        EXPECT_EQ(p.vertRes(), k.h) << k.dpi;
        EXPECT_EQ(p.horzSize(), 210);
        EXPECT_EQ(p.vertSize(), 297);
        EXPECT_EQ(p.logPixelsX(), k.dpi);
        EXPECT_EQ(p.logPixelsY(), k.dpi);
        p.beginDoc();
        ASSERT_EQ(p.sheets().size(), 1u);
        EXPECT_EQ(p.sheets()[0].width(), k.w);
        EXPECT_EQ(p.sheets()[0].height(), k.h);
        EXPECT_EQ(p.canvas().width(), k.w);
        EXPECT_EQ(p.canvas().dpiX(), k.dpi);
        p.endDoc();
    }
}

TEST(MemoryPrinter, LandscapeSwapsTheSheet)
{
    MemoryPrinter p(180, 148.0, 210.0);  // A5
    p.setOrientation(PaperOrientation::Landscape);
    EXPECT_EQ(p.horzRes(), 1488);
    EXPECT_EQ(p.vertRes(), 1049);  // 148 mm at 180 dpi = 1048.8
    EXPECT_EQ(p.horzSize(), 210);
    EXPECT_EQ(p.vertSize(), 148);
    p.beginDoc();
    EXPECT_EQ(p.sheets()[0].size(), QSize(1488, 1049));
    p.endDoc();
}

TEST(MemoryPrinter, PagesGoToTheirOwnSheets)
{
    MemoryPrinter p(96, 50.0, 40.0);
    EXPECT_FALSE(p.printing());
    EXPECT_THROW(p.canvas(), std::logic_error);
    EXPECT_THROW(p.newPage(), std::logic_error);
    p.beginDoc();
    EXPECT_TRUE(p.printing());
    p.canvas().fillRect(IRect{1, 1, 3, 2}, 0x0000FF);
    p.canvas().pen.mode = PenMode::NotXor;
    p.newPage();
    p.canvas().setPixel(5, 6, 0x0000FF);
    p.newPage();
    p.endDoc();
    EXPECT_FALSE(p.printing());
    EXPECT_THROW(p.canvas(), std::logic_error);
    ASSERT_EQ(p.sheets().size(), 3u);
    EXPECT_EQ(marked(p.sheets()[0]), (test::Points{{1, 1}, {2, 1}}));
    EXPECT_EQ(marked(p.sheets()[1]), (test::Points{{5, 6}}));
    EXPECT_TRUE(marked(p.sheets()[2]).empty());
    EXPECT_EQ(at(p.sheets()[1], 5, 6), 0x0000FFu);

    // A second document starts again from one sheet; the pen carries over between sheets.
    p.beginDoc();
    p.canvas().pen.width = 7;
    p.newPage();
    EXPECT_EQ(p.canvas().pen.width, 7);
    EXPECT_EQ(p.sheets().size(), 2u);
    p.abort();
    EXPECT_FALSE(p.printing());
    EXPECT_TRUE(p.sheets().empty());
    EXPECT_THROW(p.canvas(), std::logic_error);
}

TEST(MemoryPrinter, RefusesUnusableSizes)
{
    EXPECT_THROW(MemoryPrinter(0), std::invalid_argument);
    EXPECT_THROW(MemoryPrinter(96, -1.0, 10.0), std::invalid_argument);
    EXPECT_THROW(MemoryPrinter(96, 10.0, 0.0), std::invalid_argument);
    EXPECT_THROW(MemoryPrinter(1200, 1e9, 10.0), std::invalid_argument);
}

}  // namespace
}  // namespace vr

namespace vr {
namespace {

// Pages and sheets of 2 MB and more live in memory of our own: the image must behave as one of
// Qt's (rows, copies that part on the first write, conversion) at the sizes either side of 2 MB.
TEST(PageImage, LargeImagesBehaveAsQtsOwn)
{
    for (const QSize size : {QSize(723, 725), QSize(724, 725), QSize(794, 1123), QSize(2480, 3508)}) {
        QImage image = newPageImage(size.width(), size.height());
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.bytesPerLine(), size.width() * 4);
        image.fill(0xFFFFFFFFu);
        image.setPixel(size.width() - 1, size.height() - 1, 0xFF123456u);
        QImage copy = image;
        copy.setPixel(0, 0, 0xFF000000u);
        EXPECT_EQ(image.pixel(0, 0), 0xFFFFFFFFu) << "a copy written to must leave the page alone";
        EXPECT_EQ(copy.pixel(size.width() - 1, size.height() - 1), 0xFF123456u);
        EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32).pixel(size.width() - 1, size.height() - 1), 0xFF123456u);
    }
    EXPECT_TRUE(newPageImage(0, 10).isNull());
}

}  // namespace
}  // namespace vr
