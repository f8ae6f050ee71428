#include "core/color.h"

#include <array>

namespace vr {

Color resolveColor(uint32_t stored)
{
    // The standard system colours of the platform's classic scheme, by index (0x00BBGGRR).
    static constexpr std::array<Color, 31> kSystem = {
        0xC8D0D4, 0x808000, 0x6A240A, 0x808080, 0xC8D0D4, 0xFFFFFF, 0x000000, 0x000000, 0x000000, 0xFFFFFF, 0xC8D0D4,
        0xC8D0D4, 0x808080, 0x6A240A, 0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF, 0x404040,
        0xC8D0D4, 0x000000, 0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6, 0xC0C0C0, 0xFF9933, 0xF0F0F0};
    if ((stored & 0xFF000000u) == 0xFF000000u) {
        const uint32_t index = stored & 0xFFu;
        return index < kSystem.size() ? kSystem[index] : kBlack;
    }
    return stored & 0x00FFFFFFu;
}

}  // namespace vr
