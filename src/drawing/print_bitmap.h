// Bitmaps on the printed sheet: any bitmap stretched onto the printer's canvas through a
// device-independent copy, and a text frame's background (generated pattern or picture) printed
// at the printer's resolution.
#pragma once
#include <cstdint>

#include <QImage>

#include "drawing/background_pattern.h"
#include "gfx/canvas/canvas.h"
#include "gfx/print/printer.h"

namespace vr {

// Stretches the whole bitmap onto the rectangle (X, Y) of Width x Height printer pixels of the
// current sheet, combined with what is already there by RasterOp (SRCCOPY, SRCAND, ...). The
// bitmap goes over as a plain 32-bit RGB copy of its pixels, palette images through their colour
// table. A null bitmap prints nothing. A negative Width or Height mirrors the copy.
void PrintBitmap(PrinterDevice& printer, const QImage& bitmap, int X, int Y, int Width, int Height, uint32_t RasterOp);

// Prints a text frame's background into `rect` (printer pixels; Width = rect.width(), Height =
// rect.height()) of the current sheet:
// - HasPattern not 0: the pattern of Background.StyleCode is rendered on a bitmap of exactly
//   Width x Height with the step scaled to the printer, Round(Step x VertScale), and printed with
//   RasterOp. A scaled step that comes out 0 is drawn as 1, and one above 255 is kept as it is, so
//   that the sheet shows the spacing the screen shows. An empty rectangle prints nothing, and so
//   does one no frame on a page can need (a side beyond twice the sheet's longer side, or more
//   pixels than two sheets): its bitmap is never made.
// - otherwise, when the frame's picture control is wider than 1 pixel (`backImageWidth`, the
//   width it was given when the frame was read, as the screen tests it), its picture
//   (`backImage`, may be null) is stretched over the rectangle with RasterOp, whatever the
//   picture's own size;
// - otherwise nothing.
// HorzScale is not used: the step follows the vertical scale.
void PrintFrameBackground(PrinterDevice& printer, const IRect& rect, const BackgroundRecord& Background,
                          uint8_t HasPattern, double HorzScale, double VertScale, const QImage* backImage,
                          int32_t backImageWidth, uint32_t RasterOp);

}  // namespace vr
