#include "page/page_object.h"

#include "core/rounding.h"

namespace vr {

void PageObject::changeScale(int m, int d)
{
    if (m == d)
        return;
    const int l = mulDiv(left, m, d);
    const int t = mulDiv(top, m, d);
    const int r = mulDiv(left + width, m, d);
    const int b = mulDiv(top + height, m, d);
    left = l;
    top = t;
    width = r - l;
    height = b - t;
}

void PageObject::dumpBounds(JsonWriter& out) const
{
    out.field("Left", static_cast<int32_t>(left));
    out.field("Top", static_cast<int32_t>(top));
    out.field("Width", static_cast<int32_t>(width));
    out.field("Height", static_cast<int32_t>(height));
}

}  // namespace vr
