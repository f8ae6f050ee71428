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

} // namespace vr
