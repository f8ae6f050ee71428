// Colours are 0x00BBGGRR values, red in the lowest byte.
#pragma once
#include <cstdint>

namespace vr {

using Color = uint32_t;

inline constexpr uint8_t redOf(Color c)
{
    return static_cast<uint8_t>(c & 0xFF);
}
inline constexpr uint8_t greenOf(Color c)
{
    return static_cast<uint8_t>((c >> 8) & 0xFF);
}
inline constexpr uint8_t blueOf(Color c)
{
    return static_cast<uint8_t>((c >> 16) & 0xFF);
}
inline constexpr Color rgbColor(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
// 0xAARRGGBB as Qt's raster images store pixels (alpha forced opaque).
inline constexpr uint32_t toArgb(Color c)
{
    return 0xFF000000u | (redOf(c) << 16) | (greenOf(c) << 8) | blueOf(c);
}
inline constexpr Color fromArgb(uint32_t p)
{
    return rgbColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// A stored colour may name a system colour (0xFF0000nn, the toolkit's clBtnFace and the like) or
// carry a palette flag in its high byte; drawing needs the plain 0x00BBGGRR value.
Color resolveColor(uint32_t stored);

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;

}  // namespace vr
