// The print command: range, copies and sheet order, the layered passes, the scale factors, and
// what the view looks like after a cancelled, stopped or failed job.
#include <stdexcept>

#include "gfx/canvas/recording_canvas.h"
#include "gfx/print/printer.h"
#include "objects/image.h"
#include "text/memo.h"
#include "viewer/print_driver.h"
#include "viewer_fixture.h"

using namespace vr;

namespace {

// A printer that writes its job events and every drawing call into one log.
class LogPrinter : public PrinterDevice {
public:
    int dpi = 600, resX = 4800, resY = 6600, sizeX = 203, sizeY = 279;
    std::vector<std::string> log;

    int logPixelsX() const override { return dpi; }
    int logPixelsY() const override { return dpi; }
    int horzRes() const override { return resX; }
    int vertRes() const override { return resY; }
    int horzSize() const override { return sizeX; }
    int vertSize() const override { return sizeY; }
    PaperOrientation orientation() const override { return orientation_; }
    void setOrientation(PaperOrientation o) override
    {
        orientation_ = o;
        log.push_back(o == PaperOrientation::Landscape ? "landscape" : "portrait");
    }
    void beginDoc() override
    {
        event("begin");
        printing_ = true;
    }
    void newPage() override { event("new page"); }
    void endDoc() override
    {
        event("end");
        printing_ = false;
    }
    void abort() override
    {
        event("abort");
        printing_ = false;
    }
    bool printing() const override { return printing_; }
    Canvas& canvas() override { return canvas_; }

    // Drawing calls of the sheets, each sheet's calls after its "sheet N" line.
    std::vector<std::string> events()
    {
        flush();
        return log;
    }

private:
    void event(const std::string& e)
    {
        flush();
        log.push_back(e);
    }
    void flush()
    {
        for (auto& c : canvas_.calls)
            log.push_back(c);
        canvas_.calls.clear();
    }
    RecordingCanvas canvas_{4800, 6600, 600};
    PaperOrientation orientation_ = PaperOrientation::Portrait;
    bool printing_ = false;
};

struct ScriptedPrint : PrintHost {
    std::optional<PrintRange> answer;  // none: cancel
    PrintRange offered;
    int minPage = 0, maxPage = 0, stopAt = -1;
    std::vector<std::string> progressLog;
    bool runPrintDialog(PrinterDevice&, PrintRange& range, int lo, int hi) override
    {
        offered = range;
        minPage = lo;
        maxPage = hi;
        if (answer)
            range = *answer;
        return answer.has_value();
    }
    bool progress(int done, int total) override
    {
        progressLog.push_back(std::to_string(done) + "/" + std::to_string(total));
        return done != stopAt;
    }
};

class ThrowingObject : public PageObject {
public:
    const char* className() const override { return "Throwing"; }
    void paintOnPage(Canvas&, const PaintContext&) override { }
    void printOnSheet(PrinterDevice&, double, double) override { throw std::runtime_error("printer on fire"); }
    int printPass() const override { return 3; }
    void dumpFields(JsonWriter&) const override { }
};

std::vector<std::string> only(const std::vector<std::string>& log, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const auto& l : log)
        if (l.rfind(prefix, 0) == 0 || l == "begin" || l == "new page" || l == "end" || l == "abort")
            out.push_back(l.substr(0, l.find(" pen=")));
    return out;
}

}  // namespace

class PrintDriverTest : public ViewerTest {
protected:
    // Pages 1..n, page k holding one line from (k, k) to (k + 10, k) in screen pixels.
    void openPages(int n)
    {
        vrtest::VpgWriter w;
        for (int k = 1; k <= n; ++k)
            w.page("P" + std::to_string(k)).line(vrtest::LineRec(k, k, k + 10, k));
        ASSERT_EQ(open(write("pages.VPG", w.bytes())), "");
    }
    LogPrinter printer;
    ScriptedPrint host;
};

TEST_F(PrintDriverTest, RangeCopiesAndSheetOrder)
{
    openPages(3);
    host.answer = PrintRange{1, 3, 1};
    EXPECT_EQ(viewer.printDocument(printer, host), PrintOutcome::Printed);
    EXPECT_EQ(host.offered.from, 1);
    EXPECT_EQ(host.offered.to, 3);
    EXPECT_EQ(host.minPage, 1);
    EXPECT_EQ(host.maxPage, 200);
    // Scale 4800 x 25.4 / (96 x 203) = 6.2562 across, 6600 x 25.4 / (96 x 279) = 6.2590 down.
    EXPECT_EQ(only(printer.events(), "line"),
              (std::vector<std::string>{"begin", "line 6,6 -> 69,6", "new page", "line 13,13 -> 75,13", "new page",
                                        "line 19,19 -> 81,19", "end"}));
    EXPECT_EQ(host.progressLog, (std::vector<std::string>{"0/3", "1/3", "2/3", "3/3"}));

    printer.log.clear();
    host.answer = PrintRange{1, 2, 2};
    viewer.printDocument(printer, host);
    EXPECT_EQ(only(printer.events(), "line"),
              (std::vector<std::string>{"begin", "line 6,6 -> 69,6", "new page", "line 13,13 -> 75,13", "new page",
                                        "line 6,6 -> 69,6", "new page", "line 13,13 -> 75,13", "end"}));
}

TEST_F(PrintDriverTest, MissingPagesPrintThePageShownBefore)
{
    openPages(2);
    viewer.nextPage();
    host.answer = PrintRange{3, 4, 1};
    viewer.printDocument(printer, host);
    EXPECT_EQ(only(printer.events(), "line"),
              (std::vector<std::string>{"begin", "line 13,13 -> 75,13", "new page", "line 13,13 -> 75,13", "end"}));
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 2);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
}

TEST_F(PrintDriverTest, LayeredPassesWhateverTheCreationOrder)
{
    write("red.bmp", vrtest::bmpFile(2, 2, 0x0000FF));
    const std::string picture = "red.bmp";  // found in the document's folder
    vrtest::ImageRec upper;
    upper.layer = "2";  // layer flag 1
    upper.fileName = picture;
    vrtest::ImageRec lower;
    lower.fileName = picture;
    lower.left = "300";
    vrtest::VpgWriter w;
    w.page("P1")
        .object("TDImage", vrtest::imageRecord(upper))
        .line(vrtest::LineRec(1, 1, 11, 1))
        .object("TDImage", vrtest::imageRecord(lower));
    ASSERT_EQ(open(write("layers.VPG", w.bytes())), "");
    auto& page = *viewer.state.CurrentPage;
    page.add(std::make_unique<TDMemo>()).left = 7;  // a text frame printed after everything else
    host.answer = PrintRange{1, 1, 1};
    viewer.printDocument(printer, host);

    std::vector<std::string> order;
    for (const auto& e : printer.events()) {
        if (e.rfind("line 6,6", 0) == 0)
            order.push_back("line");
        else if (e.rfind("stretchblt 1877", 0) == 0)
            order.push_back("lower image");
        else if (e.rfind("stretchblt 63", 0) == 0)
            order.push_back("upper image");
        else if (e.rfind("fillrect 44,", 0) == 0)
            order.push_back("frame");
    }
    EXPECT_EQ(order, (std::vector<std::string>{"line", "lower image", "upper image", "frame"}));
}

TEST_F(PrintDriverTest, ZoomAndPageComeBackAfterCancelStopAndFailure)
{
    openPages(2);
    viewer.SetZoom(150);
    EXPECT_EQ(viewer.printDocument(printer, host), PrintOutcome::DialogCancelled);
    EXPECT_EQ(viewer.state.ZoomPercent, 150);
    EXPECT_EQ(printer.events(), (std::vector<std::string>{"portrait"}));

    // Printing happens at 100 % whatever the view's zoom.
    printer.log.clear();
    viewer.state.Orientation = 1;
    host.answer = PrintRange{1, 2, 1};
    host.stopAt = 1;
    EXPECT_EQ(viewer.printDocument(printer, host), PrintOutcome::Stopped);
    const auto events = printer.events();
    EXPECT_EQ(events[0], "landscape");  // before the dialog, and again after it
    EXPECT_EQ(events[1], "landscape");
    EXPECT_EQ(only(events, "line"), (std::vector<std::string>{"begin", "line 6,6 -> 69,6", "new page", "abort"}));
    EXPECT_EQ(viewer.state.ZoomPercent, 150);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);

    printer.log.clear();
    host.stopAt = -1;
    viewer.state.CurrentPage->add(std::make_unique<ThrowingObject>());
    EXPECT_THROW(viewer.printDocument(printer, host), std::runtime_error);
    EXPECT_EQ(printer.events().back(), "abort");
    EXPECT_EQ(host.progressLog.back(), "2/2");  // the window's progress dialog closes
    EXPECT_FALSE(printer.printing());
    EXPECT_EQ(viewer.state.ZoomPercent, 150);
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 1);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
}

TEST_F(PrintDriverTest, TextPagesPrintFromTheFramesRightMargin)
{
    vrtest::RunRec run;
    run.text = "ABC";
    vrtest::Bytes records = vrtest::textLineRecord("0", "1", "0", "4");
    vrtest::append(records, vrtest::runRecord(run));
    ASSERT_EQ(open(write("t.VTX", vrtest::vtxDocument("0", "1", vrtest::textPage("1", "1", records)))), "");
    host.answer = PrintRange{1, 1, 1};
    viewer.printDocument(printer, host);
    // The column's right edge is 40 + 714 - 5 = 749 screen pixels, Round(749 x 6.2562) = 4686
    // dots; the run is 3 x 8 dots wide on this printer. Its line hangs from the frame top,
    // Round(40 x 6.2590) = 250.
    EXPECT_EQ(
        only(printer.events(), "text"),
        (std::vector<std::string>{"begin", "text 4662,250 font=QV_Hazel/14/0 #000000 \"ABC\" opaque=#ffffff", "end"}));
}

TEST(PrintScale, DeviceFiguresOverScreenResolution)
{
    LogPrinter p;
    p.resX = 4961;
    p.sizeX = 210;
    p.resY = 70000;  // read as 16 bits: 4464
    p.sizeY = 297;
    const PrintScale s = PrintScaleFor(p, 96);
    EXPECT_DOUBLE_EQ(s.x, 4961 * 25.4 / (96.0 * 210));
    EXPECT_DOUBLE_EQ(s.y, 4464 * 25.4 / (96.0 * 297));
    p.sizeX = 0;  // no printable area reported: dots per inch over pixels per inch
    EXPECT_DOUBLE_EQ(PrintScaleFor(p, 96).x, 6.25);
}
