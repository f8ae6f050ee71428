#include "gfx/canvas/canvas.h"

#include <algorithm>
#include <cstdlib>

namespace vr {

namespace {

// The origin is kept within this distance of the device origin, so that device coordinates (a
// 32-bit value plus the origin) and the products of the line stepping fit their types.
constexpr int64_t kOriginLimit = int64_t{1} << 40;

int64_t clampTo(int64_t v, int64_t lo, int64_t hi)
{
    return std::max(lo, std::min(hi, v));
}

}  // namespace

void Canvas::save()
{
    stack_.push_back(state_);
    stateSaved();
}

void Canvas::restore()
{
    if (stack_.empty()) {
        ++unbalancedRestores_;
        stateRestored(false);
        return;
    }
    state_ = std::move(stack_.back());
    stack_.pop_back();
    stateRestored(true);
}

void Canvas::translate(int dx, int dy)
{
    state_.originX = clampTo(state_.originX + dx, -kOriginLimit, kOriginLimit);
    state_.originY = clampTo(state_.originY + dy, -kOriginLimit, kOriginLimit);
    translated(dx, dy);
}

void Canvas::clipTo(const IRect& r)
{
    IRect& c = state_.clip;
    const int64_t l = clampTo(devX(r.left), c.left, c.right);
    const int64_t t = clampTo(devY(r.top), c.top, c.bottom);
    const int64_t rr = std::max(l, std::min<int64_t>(c.right, devX(r.right)));
    const int64_t b = std::max(t, std::min<int64_t>(c.bottom, devY(r.bottom)));
    // The result lies inside the old clip, hence inside the device.
    c = IRect{static_cast<int>(l), static_cast<int>(t), static_cast<int>(rr), static_cast<int>(b)};
    clipped(r);
}

ClipRegion::ClipRegion(const QRegion& deviceRegion) : region_(deviceRegion)
{
    rects_.assign(region_.begin(), region_.end());
}

bool ClipRegion::contains(int64_t x, int64_t y) const
{
    // The first rectangle whose bottom lies below y starts the band holding y, if any.
    auto it = std::partition_point(rects_.begin(), rects_.end(), [y](const QRect& r) { return r.bottom() < y; });
    for (; it != rects_.end() && it->top() <= y; ++it) {
        if (x < it->left())
            return false;
        if (x <= it->right() && y >= it->top() && y <= it->bottom())
            return true;
    }
    return false;
}

void Canvas::clipToRegion(const QRegion& r)
{
    IRect& c = state_.clip;
    // Regions hold 32-bit device coordinates: a far origin leaves nothing to clip to.
    const int64_t ox = state_.originX, oy = state_.originY;
    QRegion device;
    if (std::abs(ox) < (int64_t{1} << 30) && std::abs(oy) < (int64_t{1} << 30))
        device = r.translated(static_cast<int>(ox), static_cast<int>(oy));
    device &= QRect(c.left, c.top, c.width(), c.height());
    if (state_.clipRegion)
        device &= state_.clipRegion->region();
    const QRect b = device.boundingRect();
    c = device.isEmpty() ? IRect{c.left, c.top, c.left, c.top}
                         : IRect{b.left(), b.top(), b.right() + 1, b.bottom() + 1};
    if (device.rectCount() <= 1)
        state_.clipRegion.reset();
    else
        state_.clipRegion = std::make_shared<const ClipRegion>(device);
    regionClipped(r);
}

void Canvas::resetDrawingState()
{
    DrawState fresh;
    fresh.originX = state_.originX;
    fresh.originY = state_.originY;
    fresh.clip = state_.clip;
    fresh.clipRegion = state_.clipRegion;
    state_ = std::move(fresh);
}

}  // namespace vr
