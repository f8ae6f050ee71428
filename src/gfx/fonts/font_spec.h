// What a canvas is asked to draw text with, and the whole-pixel measures it answers.
#pragma once
#include <cstdint>
#include <string>

#include "core/color.h"

namespace vr {

// Font style bits: bold 1, italic 2, underline 4, strike-out 8.
struct FontSpec {
    std::string face = "System";
    int pointSize = 10;
    uint8_t style = 0;
    Color color = kBlack;
    int pixelHeight = 0;  // when not 0: the character height in device pixels, overriding pointSize
    int escapement = 0;  // tenths of a degree, counter-clockwise
    bool operator==(const FontSpec&) const = default;
};

// Whole-pixel metrics of the current font, as the platform measured them.
struct TextMetrics {
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int averageWidth = 0;
    int height() const { return ascent + descent; }
};

}  // namespace vr
