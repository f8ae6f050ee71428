#include "core/rounding.h"

#include <cmath>
#include <limits>

namespace vr {

int32_t roundHalfEven(double v)
{
    if (!std::isfinite(v))
        return 0;
    double r = std::floor(v);
    const double diff = v - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    if (r > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

int32_t mulDiv(int32_t a, int32_t m, int32_t d)
{
    if (d == 0)
        return -1;
    int64_t num = static_cast<int64_t>(a) * m;
    int64_t den = d;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    // floor(|num| / den + 1/2), with the sign put back: halves go away from zero.
    const int64_t mag = (2 * (num < 0 ? -num : num) + den) / (2 * den);
    const int64_t q = num < 0 ? -mag : mag;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min())
        return -1;
    return static_cast<int32_t>(q);
}

}  // namespace vr
