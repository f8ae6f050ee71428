// Pixel arithmetic shared by the parts of RasterCanvas: raster operations, hatch cells, exact
// integer division and segment clipping.
#pragma once
#include <algorithm>
#include <cstdint>

#include "gfx/canvas/canvas.h"

namespace vr::raster {

__extension__ typedef __int128 Wide;

inline Wide floorDiv(Wide a, Wide b)  // b > 0
{
    Wide q = a / b;
    if (a % b != 0 && a < 0)
        --q;
    return q;
}

inline Wide ceilDiv(Wide a, Wide b)
{
    return -floorDiv(-a, b);
}

inline int64_t clampTo(int64_t v, int64_t lo, int64_t hi)
{
    return std::min(std::max(v, lo), hi);
}

// A boolean function of up to three inputs given by its truth table, applied to every bit of the
// colour: bit k of `table` is the result for the input bits forming the number k. Binary
// operations (pen, destination) use k = (P << 1) | D; ternary ones k = (P << 2) | (S << 1) | D.
inline uint32_t bitwise2(uint32_t table, uint32_t p, uint32_t d)
{
    uint32_t r = 0;
    if (table & 1)
        r |= ~p & ~d;
    if (table & 2)
        r |= ~p & d;
    if (table & 4)
        r |= p & ~d;
    if (table & 8)
        r |= p & d;
    return r;
}

inline uint32_t bitwise3(uint32_t table, uint32_t p, uint32_t s, uint32_t d)
{
    const uint32_t lo = bitwise2(table & 0x0F, s, d);  // P = 0
    const uint32_t hi = bitwise2((table >> 4) & 0x0F, s, d);  // P = 1
    return (~p & lo) | (p & hi);
}

// The mix modes number their truth tables plus one: R2_COPYPEN is 13, table 12 = "P".
inline uint32_t mix(uint32_t dst, uint32_t src, PenMode mode)
{
    if (mode == PenMode::Copy)
        return 0xFF000000u | src;
    return 0xFF000000u | (bitwise2(static_cast<uint32_t>(mode) - 1u, src, dst) & 0x00FFFFFFu);
}

inline uint32_t rop3(uint32_t rasterOp, uint32_t p, uint32_t s, uint32_t d)
{
    return 0xFF000000u | (bitwise3((rasterOp >> 16) & 0xFF, p, s, d) & 0x00FFFFFFu);
}

// Whether a ternary operation reads the pattern or the source.
inline bool ropUsesPattern(uint32_t rasterOp)
{
    const uint32_t t = (rasterOp >> 16) & 0xFF;
    return (t >> 4) != (t & 0x0F);
}
inline bool ropUsesSource(uint32_t rasterOp)
{
    const uint32_t t = (rasterOp >> 16) & 0xFF;
    return ((t >> 2) & 0x33) != (t & 0x33);
}

inline bool hatchBit(BrushStyle s, int64_t x, int64_t y)
{
    // The platform's 8x8 hatch cells, one byte a row, leftmost pixel in the high bit, aligned to
    // the device origin.
    static constexpr uint8_t kHatch[6][8] = {
        {0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00},  // horizontal
        {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
        {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal "\"
        {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal "/"
        {0x08, 0x08, 0x08, 0xff, 0x08, 0x08, 0x08, 0x08},  // cross
        {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
    };
    int row = 0;
    switch (s) {
    case BrushStyle::Horizontal:
        row = 0;
        break;
    case BrushStyle::Vertical:
        row = 1;
        break;
    case BrushStyle::FDiagonal:
        row = 2;
        break;
    case BrushStyle::BDiagonal:
        row = 3;
        break;
    case BrushStyle::Cross:
        row = 4;
        break;
    case BrushStyle::DiagCross:
        row = 5;
        break;
    default:
        return true;
    }
    return (kHatch[row][y & 7] & (0x80 >> (x & 7))) != 0;
}

// Liang-Barsky: cuts the segment a-b to the box; false when nothing of it is inside.
bool clipToBox(double& ax, double& ay, double& bx, double& by, double l, double t, double r, double b);

}  // namespace vr::raster
