#include "page/surface.h"

#include <algorithm>

#include "core/rounding.h"

namespace vr {

namespace {

constexpr Color kBevelShadow = 0x808080;  // the panel's raised bevel: shadow on right and bottom

std::vector<PageObject*> inZOrder(const std::vector<std::unique_ptr<PageObject>>& objects, bool windowed)
{
    std::vector<PageObject*> out;
    for (const auto& o : objects)
        if (!o->drawnByPage() && o->windowed() == windowed)
            out.push_back(o.get());
    std::stable_sort(out.begin(), out.end(),
                     [](const PageObject* a, const PageObject* b) { return a->zOrder < b->zOrder; });
    return out;
}

void line(Canvas& c, int x0, int y0, int x1, int y1)
{
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

}  // namespace

TSurfaceT::TSurfaceT() = default;

TSurfaceT::~TSurfaceT()
{
    while (!objects_.empty())
        objects_.pop_back();
}

PageObject& TSurfaceT::add(std::unique_ptr<PageObject> obj)
{
    obj->zOrder = nextZ_++;
    objects_.push_back(std::move(obj));
    return *objects_.back();
}

void TSurfaceT::setInFront(PageObject& obj, bool front)
{
    if (front) {
        obj.zOrder = nextZ_++;
        return;
    }
    int lowest = obj.zOrder;
    for (const auto& o : objects_)
        lowest = std::min(lowest, o->zOrder);
    obj.zOrder = lowest - 1;
}

void TSurfaceT::Paint(Canvas& canvas, const PaintContext& pageCtx)
{
    // Objects that cannot paint are told once per paint, however many fail.
    bool told = false;
    PaintContext ctx = pageCtx;
    if (pageCtx.onPaintError)
        ctx.onPaintError = [&told, &pageCtx](const std::string& message) {
            if (!told) {
                told = true;
                pageCtx.onPaintError(message);
            }
        };
    canvas.pen = Pen{};
    canvas.brush = Brush{color, BrushStyle::Solid};

    // 1. The white panel with its one-pixel raised bevel.
    canvas.fillRect(IRect{0, 0, width, height}, color);
    canvas.pen.color = kWhite;
    line(canvas, 0, height - 1, 0, 0);
    canvas.lineTo(width - 1, 0);
    canvas.pen.color = kBevelShadow;
    line(canvas, width - 1, 0, width - 1, height - 1);
    canvas.lineTo(-1, height - 1);
    canvas.pen = Pen{};

    // 2. Lines and text lines, in creation order; their pen stays on the canvas.
    for (const auto& o : objects_)
        if (o->drawnByPage())
            o->paintOnPage(canvas, ctx);

    // 3. Image borders.
    DrawImageBorders(canvas);

    // 4. Shapes and images in z-order.
    for (PageObject* o : inZOrder(objects_, false))
        o->paintOnPage(canvas, ctx);

    // 5. Windowed objects, each in its own client coordinates and clipped to its bounds. Each is
    // a control with a canvas of its own: it starts from a fresh drawing state, whatever the
    // lines left on the page's canvas (their not-xor pen is for the page's own drawing).
    for (PageObject* o : inZOrder(objects_, true)) {
        {
            CanvasSaver saver(canvas);
            canvas.resetDrawingState();
            canvas.translate(o->left, o->top);
            canvas.clipTo(IRect{0, 0, o->width, o->height});
            o->paintOnPage(canvas, ctx);
        }
        o->paintAroundOnPage(canvas, ctx);
    }
}

void TSurfaceT::DrawImageBorders(Canvas& canvas)
{
    for (const auto& o : objects_) {
        const ImageBorder* b = o->imageBorder();
        if (!b)
            continue;
        const int L = o->left, T = o->top, W = o->width, H = o->height;
        if (b->left || b->bottom || b->right || b->top) {
            int w = b->width;
            if (w > 10)
                w = 1;
            canvas.pen.width = w;
            canvas.pen.color = b->color;
            canvas.pen.style = PenStyle::DashDot;
            const int x0 = L - w, y0 = T - w, x1 = L + W + w;
            if (b->left)
                line(canvas, x0 + 1, T, x0 + 1, T + H);
            if (b->bottom)
                line(canvas, x0, T + H + w - 1, x1, T + H + w - 1);
            if (b->right)
                line(canvas, x1 - 1, T, x1 - 1, T + H);
            if (b->top)
                line(canvas, x0, y0 + 1, x1, y0 + 1);
        } else {
            canvas.pen.style = PenStyle::Dash;
            canvas.brush.style = BrushStyle::Clear;
            canvas.pen.width = 1;
            canvas.pen.color = kBlack;
            line(canvas, L - 1, T, L - 1, T + H);
            line(canvas, L, T + H + 1, L + W, T + H + 1);
            line(canvas, L + W, T, L + W, T + H);
            line(canvas, L, T, L + W, T);
        }
    }
}

void TSurfaceT::RescaleLines()
{
    invalidate();
}

void TSurfaceT::changeScale(int m, int d)
{
    if (m == d)
        return;
    for (const auto& o : objects_)
        o->changeScale(m, d);
    const int newWidth = mulDiv(left + width, m, d) - mulDiv(left, m, d);
    const int newHeight = mulDiv(top + height, m, d) - mulDiv(top, m, d);
    const bool resized = newWidth != width || newHeight != height;
    width = newWidth;
    height = newHeight;
    if (resized)
        RescaleLines();
    invalidate();
}

void SetPageSetup(TSurfaceT& page, const PageSetupT& s)
{
    page.pageSetup = s;
    page.invalidate();
    RefreshTransparentFrames(page);
}

void RefreshTransparentFrames(TSurfaceT& page)
{
    // The page is painted as one image, transparent frames over what lies under them, so
    // painting it again is all a frame needs once it has been told.
    for (const auto& o : page.objects())
        o->refreshTransparent();
    page.invalidate();
}

}  // namespace vr
