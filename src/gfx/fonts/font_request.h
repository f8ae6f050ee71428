// What a canvas is asked to draw text with, and the whole-pixel measures it answers.
#pragma once
#include <cstdint>
#include <string>

#include "core/color.h"

namespace vr {

// Font style bits: bold 1, italic 2, underline 4, strike-out 8.
struct FontRequest {
    std::string face = "System";
    int pointSize = 10;
    uint8_t style = 0;
    Color color = kBlack;
    int pixelHeight = 0;  // when not 0: the character height in device pixels, overriding pointSize
    int escapement = 0;  // tenths of a degree, counter-clockwise
    bool operator==(const FontRequest&) const = default;
};

// The suite's own 8-bit faces ("QV_Hazel", …): their text is drawn byte by byte by glyph index.
inline bool isSuiteFace(const std::string& face)
{
    return face.size() >= 3 && (face[0] == 'Q' || face[0] == 'q') && (face[1] == 'V' || face[1] == 'v') &&
        face[2] == '_';
}

// Unicode text as other programs' pictures give it (metafile text): a logical font matched
// through the system's font configuration, not one of the suite's 8-bit faces.
struct TextFont {
    std::string face;  // UTF-8
    // Device pixels: above 0 the cell height (ascent plus descent), below 0 the character (em)
    // height, 0 a default height.
    int height = 0;
    int width = 0;  // average character width in device pixels; 0 keeps the face's own
    int weight = 400;  // 100..900
    bool italic = false, underline = false, strikeOut = false;
    int escapement = 0;  // tenths of a degree counter-clockwise: the direction of the baseline
    int orientation = 0;  // tenths of a degree counter-clockwise: each character's own turn
    Color color = kBlack;
    bool operator==(const TextFont&) const = default;
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
