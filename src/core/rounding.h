// The two roundings of the platform: Round (halves to even) and MulDiv (halves away from zero).
#pragma once
#include <cstdint>

namespace vr {

// Nearest integer, halves to the even neighbour: roundHalfEven(2.5) == 2, (3.5) == 4.
int32_t roundHalfEven(double v);

// a * m / d rounded to nearest, halves away from zero, computed in 64 bits. d == 0 gives -1, as
// the toolkit's routine answers; a result outside 32 bits also gives -1.
int32_t mulDiv(int32_t a, int32_t m, int32_t d);

}  // namespace vr
