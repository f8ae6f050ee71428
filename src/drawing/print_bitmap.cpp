#include "drawing/print_bitmap.h"

#include <algorithm>
#include <limits>
#include <new>

#include "core/rounding.h"
#include "gfx/canvas/raster_canvas.h"

namespace vr {
namespace {

int saturatedSum(int a, int b)
{
    const int64_t s = static_cast<int64_t>(a) + b;
    return static_cast<int>(std::clamp<int64_t>(s, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Whether a pattern bitmap of w x h is one a frame on this printer's sheet can need.
bool reasonableBitmapSize(const PrinterDevice& printer, int w, int h)
{
    if (w <= 0 || h <= 0)
        return false;
    const int64_t sheetW = std::max(printer.horzRes(), 1), sheetH = std::max(printer.vertRes(), 1);
    const int64_t longSide = std::max(sheetW, sheetH);
    return w <= 2 * longSide && h <= 2 * longSide && static_cast<int64_t>(w) * h <= 2 * sheetW * sheetH;
}

}  // namespace

void PrintBitmap(PrinterDevice& printer, const QImage& bitmap, int X, int Y, int Width, int Height, uint32_t RasterOp)
{
    if (bitmap.isNull())
        return;
    // The device-independent form: 32-bit RGB rows; palette images are read through their table.
    const QImage dib = bitmap.convertToFormat(QImage::Format_RGB32);
    if (dib.isNull())
        throw std::bad_alloc();
    printer.canvas().stretchBlt(IRect{X, Y, saturatedSum(X, Width), saturatedSum(Y, Height)}, dib,
                                IRect{0, 0, dib.width(), dib.height()}, RasterOp);
}

void PrintFrameBackground(PrinterDevice& printer, const IRect& rect, const BackgroundRecord& Background,
                          uint8_t HasPattern, double HorzScale, double VertScale, const QImage* backImage,
                          int32_t backImageWidth, uint32_t RasterOp)
{
    const int w = rect.width(), h = rect.height();
    if (HasPattern != 0) {
        if (!reasonableBitmapSize(printer, w, h))
            return;
        QImage bitmap(w, h, QImage::Format_RGB32);
        if (bitmap.isNull())
            throw std::bad_alloc();
        {
            RasterCanvas canvas(bitmap);
            const int32_t step = std::max(roundHalfEven(Background.Step * VertScale), 1);
            FillBackgroundPatternWithStep(canvas, w, h, Background.BackColour, Background.PatternColour, step,
                                          PatternForStyleCode(Background.StyleCode));
        }
        PrintBitmap(printer, bitmap, rect.left, rect.top, w, h, RasterOp);
        return;
    }
    if (backImage != nullptr && backImageWidth > 1)
        PrintBitmap(printer, *backImage, rect.left, rect.top, w, h, RasterOp);
}

}  // namespace vr
