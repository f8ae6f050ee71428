#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "objects/ligne.h"
#include "page/surface.h"
#include "text/memo.h"

using namespace vr;

namespace {

// A stand-in object that records when it paints and whether it was destroyed.
class Probe : public PageObject {
public:
    Probe(std::string name, bool windowed, std::vector<std::string>* log = nullptr, int* destroyed = nullptr)
        : name_(std::move(name)), windowed_(windowed), log_(log), destroyed_(destroyed)
    {
    }
    ~Probe() override
    {
        if (destroyed_)
            ++*destroyed_;
    }
    const char* className() const override { return "Probe"; }
    bool windowed() const override { return windowed_; }
    void paintOnPage(Canvas& c, const PaintContext&) override
    {
        if (log_)
            log_->push_back(name_);
        c.moveTo(0, 0);
        c.lineTo(1, 0);
    }
    void printOnSheet(PrinterDevice&, double, double) override { }
    void dumpFields(JsonWriter&) const override { }
    const ImageBorder* imageBorder() const override { return border ? &*border : nullptr; }
    std::optional<ImageBorder> border;

private:
    std::string name_;
    bool windowed_;
    std::vector<std::string>* log_;
    int* destroyed_;
};

std::vector<std::string> borderLines(const ImageBorder& b, int l, int t, int w, int h)
{
    TSurfaceT page;
    auto probe = std::make_unique<Probe>("img", false);
    probe->border = b;
    probe->left = l;
    probe->top = t;
    probe->width = w;
    probe->height = h;
    page.add(std::move(probe));
    RecordingCanvas c;
    page.DrawImageBorders(c);
    return c.calls;
}

}  // namespace

TEST(PageSurface, PaintsPanelLinesBordersGraphicsThenWindowedInZOrder)
{
    TSurfaceT page;
    page.width = 200;
    page.height = 100;
    std::vector<std::string> log;
    auto& frameA = page.add(std::make_unique<Probe>("frameA", true, &log));
    frameA.left = 20;
    frameA.top = 30;
    frameA.width = 50;
    frameA.height = 40;
    page.add(std::make_unique<TLigne>(5, 6, 7, 8, 0, 1, 0, 0));
    auto& shapeA = page.add(std::make_unique<Probe>("shapeA", false, &log));
    page.add(std::make_unique<Probe>("shapeB", false, &log));
    page.add(std::make_unique<Probe>("frameB", true, &log));
    page.setInFront(shapeA, true);
    page.setInFront(frameA, true);

    RecordingCanvas c(200, 100);
    page.Paint(c, PaintContext{});
    EXPECT_EQ(log, (std::vector<std::string>{"shapeB", "shapeA", "frameB", "frameA"}));
    ASSERT_GE(c.calls.size(), 6u);
    EXPECT_EQ(c.calls[0], "fillrect 0,0,200,100 #ffffff");
    EXPECT_EQ(c.calls[1], "line 0,99 -> 0,0 pen=#ffffff w1 solid copy");
    EXPECT_EQ(c.calls[2], "line 0,0 -> 199,0 pen=#ffffff w1 solid copy");
    EXPECT_EQ(c.calls[3], "line 199,0 -> 199,99 pen=#808080 w1 solid copy");
    EXPECT_EQ(c.calls[4], "line 199,99 -> -1,99 pen=#808080 w1 solid copy");
    EXPECT_EQ(c.calls[5], "line 5,6 -> 7,8 pen=#000000 w1 solid notxor");
    // The last windowed object paints in its own coordinates, (0,0) being its top-left corner,
    // and from a fresh drawing state: the line's not-xor pen stays on the page.
    auto it = std::find(c.calls.rbegin(), c.calls.rend(), "line 20,30 -> 21,30 pen=#000000 w1 solid copy");
    EXPECT_NE(it, c.calls.rend());
    EXPECT_EQ(c.saveDepth(), 0u);
    EXPECT_EQ(c.unbalancedRestores(), 0);
    EXPECT_EQ(c.pen.mode, PenMode::NotXor);  // what the line left for the page's later drawing
}

TEST(PageSurface, SendingToTheBackPaintsFirst)
{
    TSurfaceT page;
    std::vector<std::string> log;
    page.add(std::make_unique<Probe>("a", false, &log));
    auto& b = page.add(std::make_unique<Probe>("b", false, &log));
    page.setInFront(b, false);
    RecordingCanvas c;
    page.Paint(c, PaintContext{});
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a"}));
}

TEST(PageSurface, ImageBordersWithFlagsAndTheTenPixelRule)
{
    ImageBorder b{true, true, true, true, 3, 0x0000FF};
    EXPECT_EQ(borderLines(b, 100, 50, 40, 30),
              (std::vector<std::string>{
                  "line 98,50 -> 98,80 pen=#ff0000 w3 dashdot copy",
                  "line 97,82 -> 143,82 pen=#ff0000 w3 dashdot copy",
                  "line 142,50 -> 142,80 pen=#ff0000 w3 dashdot copy",
                  "line 97,48 -> 143,48 pen=#ff0000 w3 dashdot copy",
              }));
    ImageBorder wide{true, false, false, false, 12, 0};
    EXPECT_EQ(borderLines(wide, 100, 50, 40, 30),
              (std::vector<std::string>{"line 100,50 -> 100,80 pen=#000000 w1 dashdot copy"}));
    ImageBorder ten{false, false, false, true, 10, 0};
    EXPECT_EQ(borderLines(ten, 100, 50, 40, 30),
              (std::vector<std::string>{"line 90,41 -> 150,41 pen=#000000 w10 dashdot copy"}));
}

TEST(PageSurface, ImageWithoutFlagsGetsADashedOutlineJustOutside)
{
    EXPECT_EQ(borderLines(ImageBorder{}, 100, 50, 40, 30),
              (std::vector<std::string>{
                  "line 99,50 -> 99,80 pen=#000000 w1 dash copy",
                  "line 100,81 -> 140,81 pen=#000000 w1 dash copy",
                  "line 140,50 -> 140,80 pen=#000000 w1 dash copy",
                  "line 100,50 -> 140,50 pen=#000000 w1 dash copy",
              }));
}

TEST(PageSurface, ProportionalScalingKeepsThePageOriginAndScalesChildren)
{
    TSurfaceT page;
    page.left = 5;
    page.top = 50;
    page.width = 794;
    page.height = 1123;
    auto& child = page.add(std::make_unique<Probe>("c", true));
    child.left = 101;
    child.top = 3;
    child.width = 11;
    child.height = 1;
    auto& line = static_cast<TLigne&>(page.add(std::make_unique<TLigne>(101, 101, 7, 7, 0, 1, 0, 0)));
    const uint64_t before = page.paintSerial();

    page.changeScale(150, 100);
    EXPECT_EQ(page.left, 5);
    EXPECT_EQ(page.top, 50);
    EXPECT_EQ(page.width, 1191);  // 1199 - 8
    EXPECT_EQ(page.height, 1685);  // round(1173 * 1.5) - 75 = 1760 - 75
    EXPECT_EQ(child.left, 152);  // 151.5 away from zero
    EXPECT_EQ(child.top, 5);  // 4.5 away from zero
    EXPECT_EQ(child.width, 168 - 152);
    EXPECT_EQ(child.height, 6 - 5);
    EXPECT_GT(page.paintSerial(), before);
    // Lines keep their stored points whatever the zoom.
    EXPECT_EQ(line.X1, 101);
    EXPECT_EQ(line.Y2, 7);

    page.changeScale(100, 150);
    EXPECT_EQ(page.width, 794);
    EXPECT_EQ(child.left, 101);
    const uint64_t serial = page.paintSerial();
    page.changeScale(100, 100);
    EXPECT_EQ(page.paintSerial(), serial);
}

TEST(PageSurface, DestroysEveryObjectItOwns)
{
    int destroyed = 0;
    {
        TSurfaceT page;
        for (int i = 0; i < 4; ++i)
            page.add(std::make_unique<Probe>("p", i % 2 == 0, nullptr, &destroyed));
    }
    EXPECT_EQ(destroyed, 4);
}

TEST(PageSurface, SetPageSetupStoresAndRepaints)
{
    TSurfaceT page;
    const uint64_t before = page.paintSerial();
    SetPageSetup(page, PageSetupT{2, 2, 203, 290});
    EXPECT_EQ(page.pageSetup, (PageSetupT{2, 2, 203, 290}));
    EXPECT_GT(page.paintSerial(), before);
}

namespace {

// A frame whose run casts an extruded shadow, on a coloured picture under the text or on white.
std::unique_ptr<TDMemo> shadowedFrame(bool colouredGround)
{
    auto m = std::make_unique<TDMemo>();
    m->left = 20;
    m->top = 30;
    m->width = m->LayoutWidth = 220;
    m->height = 90;
    m->Effects = {TextEffect{0, 9, 45, 0x808080, "0", 0, 0, 0, 0}};
    m->Lines = {TDLigne(0, 1, 2, 1)};
    m->Runs = {TDChaine("MWM", "DejaVu Sans", 36, 0, 0x0000C0, 0, 40)};
    m->Runs[0].Effect = 0;
    if (colouredGround) {
        m->BackImage = QImage(220, 90, QImage::Format_RGB32);
        m->BackImage.fill(qRgb(0x40, 0xA0, 0x60));
        m->BackImageWidth = 220;
        m->RasterOp = rop::SrcAnd;
    }
    return m;
}

QImage paintedPage(TSurfaceT& page)
{
    QImage image(page.width, page.height, QImage::Format_RGB32);
    RasterCanvas canvas(image);
    page.Paint(canvas, PaintContext{});
    EXPECT_EQ(canvas.saveDepth(), 0u);
    EXPECT_EQ(canvas.unbalancedRestores(), 0);
    return image;
}

}  // namespace

TEST(PageSurface, FrameShadowsAreTheSameOnAPageWithLines)
{
    // Lines leave the page canvas's pen in not-xor mode; a text frame paints as on a canvas of its
    // own, so every shadow pixel is set as on a page without lines, on white and on a coloured
    // picture alike.
    for (const bool coloured : {false, true}) {
        TSurfaceT plain, lined;
        plain.width = lined.width = 300;
        plain.height = lined.height = 200;
        plain.add(shadowedFrame(coloured));
        lined.add(std::make_unique<TLigne>(250, 150, 290, 190, 0x0000FF, 3, 1, 0));
        lined.add(shadowedFrame(coloured));
        const QImage a = paintedPage(plain).copy(20, 30, 220, 90);
        const QImage b = paintedPage(lined).copy(20, 30, 220, 90);
        int shadowPixels = 0, differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                shadowPixels += (a.pixel(x, y) & 0xFFFFFF) == 0x808080;
                differing += a.pixel(x, y) != b.pixel(x, y);
            }
        EXPECT_GT(shadowPixels, 100) << coloured;
        EXPECT_EQ(differing, 0) << coloured;
    }
}
