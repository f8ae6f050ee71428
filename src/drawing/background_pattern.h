// Generated frame backgrounds: 25 patterns (dot grids, hatchings, rays, circles, stepped colour
// gradients, colour bands, colour ramps, a plain fill) drawn in a back colour and a pattern
// colour, plus the mapping from the style code a frame stores to the pattern number.
#pragma once
#include <cstdint>

#include "core/color.h"
#include "gfx/canvas/canvas.h"

namespace vr {

// A text frame's background as stored with the frame (10 bytes, packed, in the document).
struct BackgroundRecord {
    Color BackColour = kWhite;  // the whole area, before the pattern
    Color PatternColour = kBlack;  // dots and lines; start colour of gradients and bands
    uint8_t Step = 1;  // spacing of dots, lines and circles, in pixels
    uint8_t StyleCode = 0;  // 0..24, see PatternForStyleCode
};

// Highest pattern number that draws a pattern; above it only the back colour shows.
inline constexpr uint8_t kLastPattern = 24;

// Style code to pattern number: 0..8 are shuffled (0 1 2 3 4 5 6 7 8 -> 0 2 3 4 5 6 1 8 7), the
// others keep their number. A code above 24 stays above 24 and so draws the back colour alone,
// on screen and on paper alike.
uint8_t PatternForStyleCode(uint8_t StyleCode);

// Paints pattern `Pattern` into the area (0, 0)-(Width, Height) of the canvas, whose origin is
// the area's top-left corner. The area is filled with BackColour first; the pattern is drawn with
// a one-pixel solid copy pen of PatternColour. Pen and brush are left as the pattern set them.
// Lines, rays and circles may run past the area and are cut off by the canvas, which the callers
// make exactly Width x Height; walks stop where the canvas can show nothing more, so a Width or
// Height larger than the canvas costs no more than the canvas's own size.
//
// Step 0 is drawn as step 1 (the densest spacing, instead of a walk that never moves on). An area
// of width or height 0 or less shows nothing; in particular the gradients that divide by the
// width never divide by 0.
void FillBackgroundPattern(Canvas& canvas, int32_t Width, int32_t Height, Color BackColour, Color PatternColour,
                           uint8_t Step, uint8_t Pattern);

// The same with a step that is not limited to 8 bits (printing scales the stored step to the
// printer's resolution). A step below 1 is drawn as 1.
void FillBackgroundPatternWithStep(Canvas& canvas, int32_t Width, int32_t Height, Color BackColour, Color PatternColour,
                                   int32_t Step, uint8_t Pattern);

}  // namespace vr
