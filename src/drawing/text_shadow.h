// Text shadows: the extruded shadow (kind "0"), whose letter edges facing a direction are drawn
// out into lines of a given length, and the dotted drop shadow (any other kind), a copy of the
// letters thinned to every second pixel both ways and shifted. Only the shadow is drawn; the
// caller draws the text.
#pragma once
#include <cstdint>
#include <string>

#include "core/color.h"
#include "gfx/canvas/canvas.h"
#include "gfx/print/printer.h"

namespace vr {

inline constexpr uint8_t kShadowOnScreen = 0x45;  // 'E'
inline constexpr uint8_t kShadowPrinted = 0x49;  // 'I'

// Draws the shadow of Text, whose top-left lies at (X0, Y0) of the target, in Colour.
//
// Mode E sets pixels of `canvas` directly (both scales 1.0 on screen). Mode I builds the shadow
// on a white bitmap and, when at least one pixel went in, puts the bitmap on `printer`'s sheet
// with SRCAND; `canvas` is then the printer's canvas. Any other mode draws nothing, and so does
// mode I without a printer.
//
// Kind "0": Depth is the length of the shadow in screen pixels and Angle its direction in degrees
// counted anticlockwise from the direction of growing x. Other kinds: Depth and Angle are the
// horizontal and vertical offsets in screen pixels.
//
// The letter shapes come from a mask: Text drawn in black on white with the canvas's font at its
// size times VertScale (a font given as a pixel height keeps it) on a bitmap of screen
// resolution, of (TW + Depth + 50) x (TH + Depth + 50) pixels, TW and TH being the text's width and
// height on the target. Bitmaps that would be larger than any page can need (a side above 32768
// or more than 2^26 pixels) are not made, and nothing is drawn: that is where the platform's
// bitmap creation failed.
void DrawTextShadow(Canvas& canvas, PrinterDevice* printer, int32_t Depth, int32_t Angle, const std::string& Kind,
                    uint8_t Mode, double VertScale, double HorzScale, int32_t Y0, int32_t X0, const std::string& Text,
                    Color Colour);

// Screen form: mode E on a canvas, both scales 1.0.
inline void DrawTextShadow(Canvas& canvas, int32_t Depth, int32_t Angle, const std::string& Kind, int32_t Y0,
                           int32_t X0, const std::string& Text, Color Colour)
{
    DrawTextShadow(canvas, nullptr, Depth, Angle, Kind, kShadowOnScreen, 1.0, 1.0, Y0, X0, Text, Colour);
}

// Printer form: mode I on the printer's current sheet.
inline void DrawTextShadow(PrinterDevice& printer, int32_t Depth, int32_t Angle, const std::string& Kind,
                           double VertScale, double HorzScale, int32_t Y0, int32_t X0, const std::string& Text,
                           Color Colour)
{
    DrawTextShadow(printer.canvas(), &printer, Depth, Angle, Kind, kShadowPrinted, VertScale, HorzScale, Y0, X0, Text,
                   Colour);
}

}  // namespace vr
