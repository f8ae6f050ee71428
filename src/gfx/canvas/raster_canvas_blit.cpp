// RasterCanvas: bitmap copies (StretchBlt) and pattern fills (PatBlt) with ternary raster
// operations.
//
// Any ternary operation is applied through its truth table: the operation's index
// (rasterOp >> 16) & 0xFF gives, at bit (P << 2) | (S << 1) | D, each result bit from the
// pattern (brush), source and destination bits, colour bit by colour bit.
//
// Stretching is nearest-neighbour, as the platform's colour-on-colour stretch mode: destination
// column i of a copy dw pixels wide from sw source columns takes source column
// floor((2i + 1) * sw / (2 * dw)), the source pixel under the destination pixel's centre; rows
// alike. A destination or source rectangle given right-to-left (or bottom-to-top) mirrors the
// copy; both mirrored cancel out. The pixels covered are always the normalised destination
// rectangle, right and bottom exclusive. Source pixels outside the image leave the destination
// as it was, and so do source pixels with alpha 0 (transparent icon and GIF pixels): for every
// operation, SRCCOPY included, a transparent pixel is skipped. Only destination pixels inside
// the clip are visited, so a huge destination costs no more than its visible part.
//
// The pattern is the brush tiled from the device origin: hatches in the brush colour on the
// background colour, pattern brushes in their own colours. Operations that use the pattern draw
// nothing with a clear brush.
#include <QImage>

#include <algorithm>
#include <vector>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/raster_canvas_internal.h"

namespace vr {
namespace {

using namespace raster;

// Source index of each destination position in [from, to) of a dn-pixel copy of sn pixels
// starting at s0 (mirrored when asked); -1 outside the source image of `limit` pixels.
std::vector<int> stretchMap(int64_t from, int64_t to, int64_t d0, int64_t dn, int64_t s0, int64_t sn, bool mirror,
                            int limit)
{
    std::vector<int> out;
    out.reserve(static_cast<size_t>(std::max<int64_t>(0, to - from)));
    for (int64_t d = from; d < to; ++d) {
        int64_t i = d - d0;
        if (mirror)
            i = dn - 1 - i;
        const int64_t s = s0 + static_cast<int64_t>((Wide{2} * i + 1) * sn / (Wide{2} * dn));
        out.push_back(s >= 0 && s < limit ? static_cast<int>(s) : -1);
    }
    return out;
}

}  // namespace

void RasterCanvas::stretchBlt(const IRect& dest, const QImage& source, const IRect& sourceRect, uint32_t rasterOp)
{
    const IRect& c = clip();
    const bool usesPattern = ropUsesPattern(rasterOp), usesSource = ropUsesSource(rasterOp);
    if (c.empty() || (usesPattern && brush.style == BrushStyle::Clear))
        return;
    const int64_t dl = devX(std::min(dest.left, dest.right)), dr = devX(std::max(dest.left, dest.right));
    const int64_t dt = devY(std::min(dest.top, dest.bottom)), db = devY(std::max(dest.top, dest.bottom));
    const int64_t sl = std::min(sourceRect.left, sourceRect.right), sr = std::max(sourceRect.left, sourceRect.right);
    const int64_t st = std::min(sourceRect.top, sourceRect.bottom), sb = std::max(sourceRect.top, sourceRect.bottom);
    if (dl == dr || dt == db || (usesSource && (sl == sr || st == sb || source.isNull())))
        return;
    const bool mirrorX = (dest.right < dest.left) != (sourceRect.right < sourceRect.left);
    const bool mirrorY = (dest.bottom < dest.top) != (sourceRect.bottom < sourceRect.top);

    const int64_t x0 = std::max<int64_t>(dl, c.left), x1 = std::min<int64_t>(dr, c.right);
    const int64_t y0 = std::max<int64_t>(dt, c.top), y1 = std::min<int64_t>(db, c.bottom);
    if (x0 >= x1 || y0 >= y1)
        return;

    QImage src;
    bool alpha = false;
    std::vector<int> columns;
    if (usesSource) {
        alpha = source.hasAlphaChannel();
        src = source.format() == QImage::Format_ARGB32 || source.format() == QImage::Format_RGB32
            ? source
            : source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (src.isNull())
            return;
        columns = stretchMap(x0, x1, dl, dr - dl, sl, sr - sl, mirrorX, src.width());
    }
    const bool copy = rasterOp == rop::SrcCopy;
    for (int64_t y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        const QRgb* srcLine = nullptr;
        if (usesSource) {
            const int row = stretchMap(y, y + 1, dt, db - dt, st, sb - st, mirrorY, src.height())[0];
            if (row < 0)
                continue;
            srcLine = reinterpret_cast<const QRgb*>(src.constScanLine(row));
        }
        for (int64_t x = x0; x < x1; ++x) {
            uint32_t s = 0;
            if (!inRegion(x, y))
                continue;
            if (srcLine) {
                const int col = columns[static_cast<size_t>(x - x0)];
                if (col < 0)
                    continue;
                s = srcLine[col];
                if (alpha && qAlpha(s) == 0)
                    continue;
                if (copy) {
                    line[x] = 0xFF000000u | s;
                    continue;
                }
            }
            uint32_t p = 0;
            if (usesPattern && !brushPixel(x, y, p))
                p = toArgb(backgroundColor);  // hatch gaps
            line[x] = rop3(rasterOp, p, s, line[x]);
        }
    }
}

// AlphaBlend: each destination pixel takes the source pixel under its centre (as above), scaled
// by the constant alpha, over the destination: d = s * ca + d * (1 - sa * ca), with sa the
// source's alpha when perPixelAlpha (its colours premultiplied: an image whose format is not a
// premultiplied one is converted) and 1 otherwise.
void RasterCanvas::alphaBlend(const IRect& dest, const QImage& source, const IRect& sourceRect, int constantAlpha,
                              bool perPixelAlpha)
{
    const IRect& c = clip();
    const int ca = std::clamp(constantAlpha, 0, 255);
    if (c.empty() || source.isNull() || ca == 0)
        return;
    const int64_t dl = devX(std::min(dest.left, dest.right)), dr = devX(std::max(dest.left, dest.right));
    const int64_t dt = devY(std::min(dest.top, dest.bottom)), db = devY(std::max(dest.top, dest.bottom));
    const int64_t sl = std::min(sourceRect.left, sourceRect.right), sr = std::max(sourceRect.left, sourceRect.right);
    const int64_t st = std::min(sourceRect.top, sourceRect.bottom), sb = std::max(sourceRect.top, sourceRect.bottom);
    if (dl == dr || dt == db || sl == sr || st == sb)
        return;
    const int64_t x0 = std::max<int64_t>(dl, c.left), x1 = std::min<int64_t>(dr, c.right);
    const int64_t y0 = std::max<int64_t>(dt, c.top), y1 = std::min<int64_t>(db, c.bottom);
    if (x0 >= x1 || y0 >= y1)
        return;
    const QImage src =
        source.convertToFormat(perPixelAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (src.isNull())
        return;
    const bool mirrorX = (dest.right < dest.left) != (sourceRect.right < sourceRect.left);
    const bool mirrorY = (dest.bottom < dest.top) != (sourceRect.bottom < sourceRect.top);
    const std::vector<int> columns = stretchMap(x0, x1, dl, dr - dl, sl, sr - sl, mirrorX, src.width());
    for (int64_t y = y0; y < y1; ++y) {
        const int row = stretchMap(y, y + 1, dt, db - dt, st, sb - st, mirrorY, src.height())[0];
        if (row < 0)
            continue;
        const auto* srcLine = reinterpret_cast<const QRgb*>(src.constScanLine(row));
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        for (int64_t x = x0; x < x1; ++x) {
            const int col = columns[static_cast<size_t>(x - x0)];
            if (col < 0 || !inRegion(x, y))
                continue;
            const QRgb s = srcLine[col], d = line[x];
            const int sa = perPixelAlpha ? qAlpha(s) : 255;
            const int keep = 255 - sa * ca / 255;
            auto channel = [&](int sv, int dv) { return std::clamp((sv * ca + dv * keep + 127) / 255, 0, 255); };
            line[x] = qRgb(channel(qRed(s), qRed(d)), channel(qGreen(s), qGreen(d)), channel(qBlue(s), qBlue(d)));
        }
    }
}

void RasterCanvas::patBlt(const IRect& r, uint32_t rasterOp)
{
    if (ropUsesSource(rasterOp)) {
        // No source: the operation as it is for S = 0.
        const uint32_t t = (rasterOp >> 16) & 0x33u;
        rasterOp = (rasterOp & 0xFF00FFFFu) | ((t | (t << 2)) << 16);
    }
    stretchBlt(r, QImage(), IRect{}, rasterOp);
}

}  // namespace vr
