// TSurfaceT: one page of a document, a model object that owns its objects in creation order and
// paints the whole page onto one canvas in the order the screen showed it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/canvas/canvas.h"
#include "page/page_object.h"

namespace vr {

// Page setup: two size codes kept as read, and the page size (see PageSetupT in the viewer for the
// unit rule).
struct PageSetupT {
    int32_t SizeCodeA = 1;
    int32_t SizeCodeB = 1;
    int32_t PageWidthMM = 210;
    int32_t PageHeightMM = 297;
    bool operator==(const PageSetupT&) const = default;
};

class TSurfaceT {
public:
    TSurfaceT();
    ~TSurfaceT();  // destroys the owned objects, last first
    TSurfaceT(const TSurfaceT&) = delete;
    TSurfaceT& operator=(const TSurfaceT&) = delete;

    int32_t pageNumber = 0;
    PageSetupT pageSetup;
    std::array<uint8_t, 8> attributes{10, 10, 10, 10, 0, 1, 1, 0};

    // Bounds on the main window's client area, in screen pixels (zoomed).
    int left = 50, top = 50, width = 0, height = 0;
    bool visible = false;
    Color color = kWhite;

    // Objects in creation order. add() takes ownership and puts the object in front of the others.
    PageObject& add(std::unique_ptr<PageObject> obj);
    const std::vector<std::unique_ptr<PageObject>>& objects() const { return objects_; }
    // Moves an object to the front (true) or the back (false) of the stacking order.
    void setInFront(PageObject& obj, bool front);

    // Paints the page on a canvas whose (0, 0) is the page's top-left corner: panel and bevel,
    // lines and text lines, image borders, shapes and images in z-order, then windowed objects
    // in z-order, each clipped to its bounds in its own coordinates.
    void Paint(Canvas& canvas, const PaintContext& ctx);

    // Dashed outlines or border lines of the page's images on the given canvas.
    void DrawImageBorders(Canvas& canvas);

    // Called when the page's size changes (every zoom step). Lines keep their stored points and
    // draw at the zoom factor, so nothing is recomputed here; the page is simply painted again.
    void RescaleLines();

    // The toolkit's proportional scaling by m/d: children get mulDiv'ed edges; the page keeps its
    // left and top and takes its width and height from its own scaled edges.
    void changeScale(int m, int d);

    // Incremented whenever the page needs painting again (size change, set-up).
    uint64_t paintSerial() const { return paintSerial_; }
    void invalidate() { ++paintSerial_; }

private:
    std::vector<std::unique_ptr<PageObject>> objects_;
    int nextZ_ = 0;
    uint64_t paintSerial_ = 0;
};

// Stores the set-up in the page, repaints it and refreshes its transparent frames.
void SetPageSetup(TSurfaceT& page, const PageSetupT& s);
// Transparent text frames show again what moved under them (a direct call, no message).
void RefreshTransparentFrames(TSurfaceT& page);

}  // namespace vr
