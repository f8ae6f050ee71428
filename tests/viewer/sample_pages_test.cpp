// Every page of every bundled sample, painted and printed: the drawing code leaves the canvas's
// state stack as it found it, on the screen and on the sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "support/recording_printer.h"
#include "viewer/print_driver.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

using namespace vr;

TEST(SamplePages, PaintingAndPrintingLeaveTheDrawingStateStackEmpty)
{
    int pages = 0;
    for (const char* name : {"tour.VPG", "letter.VTX", "persian.VPG", "persian.VTX"}) {
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
    EXPECT_GE(pages, 13);
}

namespace {

// The text calls of a drawing left of maxX, joined line by line in the order of their x; calls whose
// y lie within 10 pixels of a line's first (runs of other sizes) are on that line.
std::vector<std::string> textLines(const std::vector<std::string>& calls, int maxX)
{
    static const std::regex text(R"re(^text (-?\d+),(-?\d+) [^"]*"((?:[^"\\]|\\.)*)".*$)re");
    std::map<int, std::map<int, std::string>> byY;
    for (const std::string& c : calls) {
        std::smatch m;
        if (std::regex_match(c, m, text) && std::stoi(m[1]) < maxX)
            byY[std::stoi(m[2])][std::stoi(m[1])] += m[3].str();
    }
    std::vector<std::string> out;
    std::map<int, std::string> line;
    int top = 0;
    const auto flush = [&] {
        std::string joined;
        for (const auto& [x, t] : line)
            joined += t;
        if (!joined.empty())
            out.push_back(joined);
        line.clear();
    };
    for (const auto& [y, runs] : byY) {
        if (line.empty() || y - top > 10) {
            flush();
            top = y;
        }
        for (const auto& [x, t] : runs)
            line[x] += t;
    }
    flush();
    return out;
}

}  // namespace

// Each run carries the space after its word: the tour's words stay apart on paper, where a line is
// set again from the column's right edge, and the sheet holds the lines the screen shows.
TEST(SamplePages, TheTourPrintsTheWordsItShows)
{
    Viewer viewer;
    viewer.startUp();
    viewer.state.DocFileName = (std::filesystem::path(VR_SOURCE_DIR) / "samples" / "tour.VPG").string();
    viewer.state.OpeningChapter = true;
    ASSERT_NO_THROW(viewer.LoadDocument());
    ASSERT_GE(viewer.pages().size(), 7u);
    TSurfaceT& page = *viewer.pages()[6];

    RecordingCanvas screen(page.width, page.height, 96);
    page.Paint(screen, PaintContext{});
    vrtest::RecordingPrinter printer(
        vrtest::SheetGeometry{96, 96, 794, 1123, 210, 297});  // a sheet of the page's pixels
    PrintPageObjects(page, printer, PrintScaleFor(printer, 96));

    // The title and the column on the left (the frames on the right share its lines' heights).
    const std::vector<std::string> shown = textLines(screen.calls, 400), printed = textLines(printer.calls(), 400);
    // The title on its own line across the page.
    EXPECT_EQ(textLines(screen.calls, 794).front(), "Velmora Reader tour");
    EXPECT_EQ(textLines(printer.calls(), 794).front(), "Velmora Reader tour");
    const std::vector<std::string> expected = {"Lines start at",  "the right margin", "and each run",
                                               "keeps the place", "the editor gave",  "it, font by",
                                               "font, size by",   "size: nothing is", "shaped or moved."};
    for (const std::string& line : expected) {
        EXPECT_NE(std::find(shown.begin(), shown.end(), line), shown.end()) << "on the screen: " << line;
        EXPECT_NE(std::find(printed.begin(), printed.end(), line), printed.end()) << "on paper: " << line;
    }
}
