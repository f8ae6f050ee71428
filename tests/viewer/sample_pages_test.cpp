// Every page of every bundled sample, painted and printed: the drawing code leaves the canvas's
// state stack as it found it, on the screen and on the sheet.
#include <gtest/gtest.h>

#include <filesystem>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/print/printer.h"
#include "viewer/print_driver.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

using namespace vr;

TEST(SamplePages, PaintingAndPrintingLeaveTheDrawingStateStackEmpty)
{
    int pages = 0;
    for (const char* name : {"tour.VPG", "letter.VTX"}) {
        Viewer viewer;
        viewer.startUp();
        viewer.state.DocFileName = (std::filesystem::path(VR_SOURCE_DIR) / "samples" / name).string();
        viewer.state.OpeningChapter = true;  // take the name as it stands
        ASSERT_NO_THROW(viewer.LoadDocument()) << name;
        ASSERT_GT(viewer.state.PageCount, 0) << name;
        for (const auto& page : viewer.pages()) {
            SCOPED_TRACE(std::string(name) + " page " + std::to_string(page->pageNumber));
            QImage image(page->width, page->height, QImage::Format_RGB32);
            RasterCanvas screen(image);
            page->Paint(screen, PaintContext{});
            EXPECT_EQ(screen.saveDepth(), 0u);
            EXPECT_EQ(screen.unbalancedRestores(), 0);

            MemoryPrinter printer(150);
            printer.beginDoc();
            PrintPageObjects(*page, printer, PrintScaleFor(printer, 96));
            EXPECT_EQ(printer.canvas().saveDepth(), 0u);
            EXPECT_EQ(printer.canvas().unbalancedRestores(), 0);
            printer.endDoc();
            ++pages;
        }
    }
    EXPECT_GE(pages, 10);
}
