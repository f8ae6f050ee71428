#include "drawing/text_shadow.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <vector>

#include <QImage>

#include "core/rounding.h"
#include "drawing/print_bitmap.h"
#include "gfx/canvas/raster_canvas.h"

namespace vr {
namespace {

constexpr QRgb kMaskWhite = 0xFFFFFFFFu;
constexpr QRgb kMaskBlack = 0xFF000000u;

// Bitmaps no page needs are not made (the platform failed to create them).
bool bitmapSizeAllowed(int64_t w, int64_t h)
{
    return w <= (int64_t{1} << 16) && h <= (int64_t{1} << 16) && w * h <= (int64_t{1} << 25);
}

// A white bitmap; null when a side is 0 or less.
QImage whiteBitmap(int64_t w, int64_t h)
{
    if (w <= 0 || h <= 0)
        return {};
    QImage im(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (im.isNull())
        throw std::bad_alloc();
    im.fill(kMaskWhite);
    return im;
}

// The mask read by rows. Outside the mask a pixel is neither white nor black.
class Mask {
public:
    explicit Mask(const QImage& im) : im_(im), w_(im.width()), h_(im.height()) { }
    int width() const { return w_; }
    int height() const { return h_; }
    const QRgb* row(int64_t y) const
    {
        return y >= 0 && y < h_ ? reinterpret_cast<const QRgb*>(im_.constScanLine(static_cast<int>(y))) : nullptr;
    }
    bool white(int64_t x, int64_t y) const
    {
        const QRgb* r = row(y);
        return r != nullptr && x >= 0 && x < w_ && r[x] == kMaskWhite;
    }

private:
    const QImage& im_;
    int w_, h_;
};

// Pixel of a bitmap, ignored outside it.
void putPixel(QImage& im, int64_t x, int64_t y, QRgb c)
{
    if (x >= 0 && y >= 0 && x < im.width() && y < im.height())
        reinterpret_cast<QRgb*>(im.scanLine(static_cast<int>(y)))[x] = c;
}

// Canvas pixel at 64-bit coordinates; positions beyond 32 bits are off every canvas.
void putCanvasPixel(Canvas& canvas, int64_t x, int64_t y, Color c)
{
    constexpr int64_t lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    if (x >= lo && x <= hi && y >= lo && y <= hi)
        canvas.setPixel(static_cast<int>(x), static_cast<int>(y), c);
}

int saturate(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

struct Job {
    Canvas& canvas;
    bool printed;  // mode I
    int64_t depth, angle, tw, th, x0, y0;
    double vertScale, horzScale;
    Color colour;
    const Mask& mask;
    QImage& shadow;
    bool anyPrinted = false;
};

// Extruded shadow: white mask pixels next to a black one on the side facing away from the
// direction start a line of Depth + 1 positions in that direction; positions where the mask is
// not white are skipped and the line goes on behind them.
void extrude(Job& j)
{
    const int64_t angle = j.angle;
    const bool left = (angle > 270 && angle <= 360) || (angle >= 0 && angle < 90);
    const bool right = angle > 90 && angle < 270;
    const bool below = angle > 0 && angle < 180;
    const bool above = angle > 180 && angle < 360;
    if (!left && !right && !below && !above)
        return;
    const double a = static_cast<double>(angle + 90) * std::numbers::pi / 180.0;
    const double sinA = std::sin(a), cosA = std::cos(a);
    const int64_t steps = j.printed ? roundHalfEven(static_cast<double>(j.depth) * j.vertScale) : j.depth;
    if (steps < 0)
        return;
    // Where line k of a start pixel lands relative to it, before rounding.
    std::vector<double> stepX(static_cast<size_t>(steps) + 1), stepY(static_cast<size_t>(steps) + 1);
    for (int64_t k = 0; k <= steps; ++k) {
        stepX[static_cast<size_t>(k)] = static_cast<double>(k) * sinA;
        stepY[static_cast<size_t>(k)] = static_cast<double>(k) * cosA;
    }
    const double shiftX = static_cast<double>(j.depth) * j.horzScale,
                 shiftY = static_cast<double>(j.depth) * j.vertScale;
    const QRgb shadowColour = toArgb(j.colour);
    const int64_t lastY = std::min<int64_t>(j.th + j.depth + 1, j.mask.height() - 1);
    const int64_t lastX = std::min<int64_t>(j.tw + j.depth + 1, j.mask.width() - 2);
    for (int64_t y = 0; y <= lastY; ++y) {
        const QRgb* row = j.mask.row(y);
        const QRgb* up = j.mask.row(y - 1);
        const QRgb* down = j.mask.row(y + 1);
        for (int64_t x = 2; x <= lastX; ++x) {
            if (row[x] != kMaskWhite)
                continue;
            const bool starts = (left && row[x - 1] == kMaskBlack) || (right && row[x + 1] == kMaskBlack) ||
                (below && down != nullptr && down[x] == kMaskBlack) || (above && up != nullptr && up[x] == kMaskBlack);
            if (!starts)
                continue;
            const auto fx = static_cast<double>(x), fy = static_cast<double>(y);
            for (size_t k = 0; k < stepX.size(); ++k) {
                if (!j.mask.white(roundHalfEven(fx + stepX[k]), roundHalfEven(fy + stepY[k])))
                    continue;
                if (j.printed) {
                    putPixel(j.shadow, roundHalfEven(shiftX + fx + stepX[k]), roundHalfEven(shiftY + fy + stepY[k]),
                             shadowColour);
                    j.anyPrinted = true;
                } else {
                    putCanvasPixel(j.canvas, roundHalfEven(static_cast<double>(j.x0 + x) + stepX[k]),
                                   roundHalfEven(static_cast<double>(j.y0 + y) + stepY[k]), j.colour);
                }
            }
        }
    }
}

// Dotted drop shadow: every black mask pixel at even (x, y), shifted by (dx, dy).
void dot(Job& j)
{
    const int64_t dx = roundHalfEven(static_cast<double>(j.depth) * j.horzScale);
    const int64_t dy = roundHalfEven(static_cast<double>(j.angle) * j.vertScale);
    const QRgb shadowColour = toArgb(j.colour);
    const int64_t lastY = std::min<int64_t>(j.th + j.depth + 1, j.mask.height() - 1);
    const int64_t lastX = std::min<int64_t>(j.tw + j.depth + 1, j.mask.width() - 1);
    for (int64_t y = 0; y <= lastY; y += 2) {
        const QRgb* row = j.mask.row(y);
        for (int64_t x = 0; x <= lastX; x += 2) {
            if (row[x] != kMaskBlack)
                continue;
            const int64_t tx = x + dx, ty = y + dy;
            if (j.printed) {
                const bool inside = tx >= 0 && ty >= 0 && tx < j.shadow.width() && ty < j.shadow.height();
                if (!inside ||
                    reinterpret_cast<const QRgb*>(j.shadow.constScanLine(static_cast<int>(ty)))[tx] != kMaskBlack) {
                    putPixel(j.shadow, tx, ty, shadowColour);
                    j.anyPrinted = true;
                }
            } else if (j.mask.white(tx, ty)) {
                putCanvasPixel(j.canvas, j.x0 + tx, j.y0 + ty, j.colour);
            }
        }
    }
}

}  // namespace

void DrawTextShadow(Canvas& canvas, PrinterDevice* printer, int32_t Depth, int32_t Angle, const std::string& Kind,
                    uint8_t Mode, double VertScale, double HorzScale, int32_t Y0, int32_t X0, const std::string& Text,
                    Color Colour)
{
    const bool printed = Mode == kShadowPrinted;
    if ((Mode != kShadowOnScreen && !printed) || (printed && printer == nullptr))
        return;
    if (!std::isfinite(VertScale) || !std::isfinite(HorzScale))
        return;
    const int64_t tw = canvas.textWidth(Text), th = canvas.textMetrics().height();
    const int64_t depth = Depth;
    const int64_t maskW = tw + depth + 50, maskH = th + depth + 50;
    const int64_t shadowW = roundHalfEven(static_cast<double>(depth) * HorzScale * 2) + tw + depth;
    const int64_t shadowH = roundHalfEven(static_cast<double>(depth) * VertScale * 2) + th + depth;
    if (!bitmapSizeAllowed(maskW, maskH) || !bitmapSizeAllowed(shadowW, shadowH))
        return;

    QImage maskImage = whiteBitmap(maskW, maskH);
    if (maskImage.isNull())
        return;  // no mask pixel is black or white: nothing starts or receives shadow
    {
        RasterCanvas mc(maskImage, 96);
        mc.font = canvas.font;
        mc.font.escapement = 0;
        mc.font.color = kBlack;
        // The mask is at screen resolution: a size in points follows the vertical scale so that
        // the letters come out as large as on the target; a pixel height is the target's already.
        if (mc.font.pixelHeight == 0)
            mc.font.pointSize = roundHalfEven(static_cast<double>(canvas.font.pointSize) * VertScale);
        mc.textOut(0, 0, Text);
    }
    // The shadow bitmap serves the printer only, so the screen never makes it.
    QImage shadow = printed ? whiteBitmap(shadowW, shadowH) : QImage();
    const Mask mask(maskImage);
    Job job{canvas, printed, depth, Angle, tw, th, X0, Y0, VertScale, HorzScale, Colour, mask, shadow};
    const bool extruded = Kind == "0";
    if (extruded)
        extrude(job);
    else
        dot(job);
    if (!printed || !job.anyPrinted || shadow.isNull())
        return;
    int64_t x = X0, y = Y0;
    if (extruded) {
        x -= roundHalfEven(static_cast<double>(depth) * HorzScale);
        y -= roundHalfEven(static_cast<double>(depth) * VertScale);
    }
    PrintBitmap(*printer, shadow, saturate(x), saturate(y), shadow.width(), shadow.height(), rop::SrcAnd);
}

}  // namespace vr
