// RasterCanvas: the platform's pixel rules on a QImage.
//
// Thin lines (pen width 0 or 1) go through our own integer rasteriser, never through QPainter,
// because the platform leaves out the end pixel and decides every tie in a fixed way:
//
// - The line steps one pixel at a time along its major axis (x when |dx| > |dy|, otherwise y)
//   from the start point towards the end point; the end pixel itself is not drawn, so a
//   zero-length segment draws nothing.
// - The minor coordinate at each step is the true line's coordinate rounded to the nearest
//   pixel; when the true line passes exactly half way between two pixels, the smaller
//   coordinate (the upper or the left pixel) wins, whichever way the line is drawn. A segment
//   drawn backwards therefore covers the same pixels as drawn forwards, start and end swapped.
//   In the usual incremental form this is the bias of 1 added to the error term in the four
//   octants whose minor coordinate decreases.
// - Styled pens count their dash pattern in pixels along the major axis, from the first pixel
//   of each lineTo call (each call starts the pattern afresh); a rectangle's outline carries it
//   round its four sides. Gaps are left untouched, as with a transparent background.
//
// Clipping is exact: only the steps whose pixel lies inside the clip are visited, computed in
// 128-bit arithmetic, so a segment from far outside the image costs no more than its visible
// part.
//
// Wide pens (width above 1) are drawn solid with round caps and joins by QPainter with
// antialiasing off; the platform draws its dashed styles solid at those widths.
#include "gfx/canvas/raster_canvas.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/rounding.h"
#include "gfx/canvas/raster_canvas_internal.h"

namespace vr {

bool raster::clipToBox(double& ax, double& ay, double& bx, double& by, double l, double t, double r, double b)
{
    const double dx = bx - ax, dy = by - ay;
    double u0 = 0.0, u1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - l, r - ax, ay - t, b - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return false;
            continue;
        }
        const double u = q[k] / p[k];
        if (p[k] < 0.0) {
            if (u > u1)
                return false;
            u0 = std::max(u0, u);
        } else {
            if (u < u0)
                return false;
            u1 = std::min(u1, u);
        }
    }
    const double sx = ax, sy = ay;
    ax = sx + u0 * dx;
    ay = sy + u0 * dy;
    bx = sx + u1 * dx;
    by = sy + u1 * dy;
    return true;
}

namespace {

using namespace raster;

// On/off pattern of a one-pixel styled pen; solid pens are on everywhere.
struct DashPattern {
    std::array<bool, 24> on{};
    int period = 1;
};

DashPattern dashPattern(PenStyle s)
{
    std::array<int, 6> runs{};
    int count = 0;
    switch (s) {
    case PenStyle::Dash:
        runs = {18, 6};
        count = 2;
        break;
    case PenStyle::Dot:
        runs = {3, 3};
        count = 2;
        break;
    case PenStyle::DashDot:
        runs = {9, 6, 3, 6};
        count = 4;
        break;
    case PenStyle::DashDotDot:
        runs = {9, 3, 3, 3, 3, 3};
        count = 6;
        break;
    default:
        break;
    }
    DashPattern p;
    if (count == 0) {
        p.on[0] = true;
        return p;
    }
    int pos = 0;
    for (int k = 0; k < count; ++k)
        for (int n = 0; n < runs[static_cast<size_t>(k)]; ++n)
            p.on[static_cast<size_t>(pos++)] = (k % 2 == 0);
    p.period = pos;
    return p;
}

QPen widePen(const Pen& pen, QColor colour)
{
    return QPen(colour, pen.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

void RasterCanvas::preparePainter(QPainter& p) const
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    const IRect& c = clip();
    const QRect rect(c.left, c.top, c.width(), c.height());
    if (state().clipRegion)
        p.setClipRegion(state().clipRegion->region() & rect);
    else
        p.setClipRect(rect);
}

RasterCanvas::RasterCanvas(QImage& image, int dpi, ByteFontCache* fonts)
    : image_(image), dpi_(dpi), fonts_(fonts != nullptr ? *fonts : ByteFontCache::shared())
{
    if (!image_.isNull() && image_.format() != QImage::Format_RGB32)
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    setDeviceClip(IRect{0, 0, image_.width(), image_.height()});
}

int RasterCanvas::width() const
{
    return image_.width();
}
int RasterCanvas::height() const
{
    return image_.height();
}

void RasterCanvas::mixPixel(int64_t x, int64_t y, uint32_t argb, PenMode mode)
{
    const IRect& c = clip();
    if (x < c.left || x >= c.right || y < c.top || y >= c.bottom || !inRegion(x, y))
        return;
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
    line[x] = mix(line[x], argb, mode);
}

void RasterCanvas::plotPen(int64_t x, int64_t y, bool gap)
{
    if (penTarget_) {
        const IRect& c = clip();
        if (penTarget_->contains(x, y) && x >= c.left && x < c.right && y >= c.top && y < c.bottom && inRegion(x, y))
            penTarget_->at(x, y) = gap ? ShapeMask::GapPixel : ShapeMask::PenPixel;
        return;
    }
    mixPixel(x, y, toArgb(gap ? backgroundColor : pen.color), pen.mode);
}

bool RasterCanvas::brushPixel(int64_t x, int64_t y, uint32_t& argb) const
{
    switch (brush.style) {
    case BrushStyle::Clear:
        return false;
    case BrushStyle::Solid:
        argb = toArgb(brush.color);
        return true;
    case BrushStyle::Pattern: {
        const QImage* p = brush.pattern.get();
        if (!p || p->isNull())
            return false;
        const int64_t w = p->width(), h = p->height();
        argb = p->pixel(static_cast<int>(((x % w) + w) % w), static_cast<int>(((y % h) + h) % h)) | 0xFF000000u;
        return true;
    }
    default:
        if (hatchBit(brush.style, x, y)) {
            argb = toArgb(brush.color);
            return true;
        }
        if (!opaqueBackground)
            return false;
        argb = toArgb(backgroundColor);
        return true;
    }
}

void RasterCanvas::drawSegment(int x0, int y0, int x1, int y1)
{
    if (pen.style == PenStyle::Null)
        return;
    if (pen.width > 1)
        wideSegment(devX(x0), devY(y0), devX(x1), devY(y1));
    else
        thinSegment(devX(x0), devY(y0), devX(x1), devY(y1), 0);
}

int64_t RasterCanvas::thinSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase)
{
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const int64_t adx = std::abs(dx), ady = std::abs(dy);
    const bool xMajor = adx > ady;
    const int64_t len = xMajor ? adx : ady;  // pixels drawn: the end pixel is left out
    const IRect& c = clip();
    if (len == 0 || c.empty() || pen.style == PenStyle::Null)
        return len;

    // Major axis a, minor axis b.
    const int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;
    const int64_t sa = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t dMinor = xMajor ? dy : dx;
    const int64_t sb = dMinor < 0 ? -1 : (dMinor > 0 ? 1 : 0);
    const int64_t am = len, bm = xMajor ? ady : adx;
    const int64_t aLo = xMajor ? c.left : c.top, aHi = (xMajor ? c.right : c.bottom) - 1;
    const int64_t bLo = xMajor ? c.top : c.left, bHi = (xMajor ? c.bottom : c.right) - 1;
    // Minor steps taken before step i: m(i) = floor((2*i*bm + am - 1 + bias) / (2*am)). With
    // bias 0 a tie rounds m down, with bias 1 up; the bias goes to the lines whose minor
    // coordinate decreases, so that a tie always lands on the smaller coordinate.
    const int64_t bias = sb < 0 ? 1 : 0;

    int64_t iFirst = 0, iLast = len - 1;
    if (sa > 0) {
        iFirst = std::max(iFirst, aLo - a0);
        iLast = std::min(iLast, aHi - a0);
    } else {
        iFirst = std::max(iFirst, a0 - aHi);
        iLast = std::min(iLast, a0 - aLo);
    }
    if (iFirst > iLast)
        return len;

    if (bm == 0) {
        if (b0 < bLo || b0 > bHi)
            return len;
    } else {
        const int64_t mLo = sb > 0 ? bLo - b0 : b0 - bHi;
        const int64_t mHi = sb > 0 ? bHi - b0 : b0 - bLo;
        if (mHi < 0)
            return len;
        // First step whose m(i) reaches k.
        auto firstReaching = [&](int64_t k) { return ceilDiv(Wide{2} * am * k - am + 1 - bias, Wide{2} * bm); };
        if (mLo > 0) {
            const Wide f = firstReaching(mLo);
            if (f > iLast)
                return len;
            iFirst = std::max(iFirst, static_cast<int64_t>(f));
        }
        const Wide e = firstReaching(mHi + 1) - 1;
        if (e < iFirst)
            return len;
        if (e < iLast)
            iLast = static_cast<int64_t>(e);
    }

    const Wide num = Wide{2} * iFirst * bm + am - 1 + bias;
    int64_t m = static_cast<int64_t>(num / (Wide{2} * am));
    int64_t rem = static_cast<int64_t>(num - Wide{2} * am * m);
    const DashPattern dash = dashPattern(pen.style);
    int64_t pos = (phase + iFirst) % dash.period;
    const bool gaps = opaqueBackground && dash.period > 1;
    for (int64_t i = iFirst; i <= iLast; ++i) {
        const bool on = dash.on[static_cast<size_t>(pos)];
        if (on || gaps) {
            const int64_t a = a0 + sa * i, b = b0 + sb * m;
            if (xMajor)
                plotPen(a, b, !on);
            else
                plotPen(b, a, !on);
        }
        if (++pos == dash.period)
            pos = 0;
        rem += 2 * bm;
        if (rem >= 2 * am) {
            rem -= 2 * am;
            ++m;
        }
    }
    return len;
}

void RasterCanvas::wideSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    const IRect& c = clip();
    if ((x0 == x1 && y0 == y1) || c.empty())
        return;
    // Only the part near the clip can show; cutting the rest keeps far coordinates away from
    // the painter. The caps of a cut end lie outside the clip.
    const double margin = pen.width + 2.0;
    double ax = static_cast<double>(x0) + 0.5, ay = static_cast<double>(y0) + 0.5;
    double bx = static_cast<double>(x1) + 0.5, by = static_cast<double>(y1) + 0.5;
    if (!clipToBox(ax, ay, bx, by, c.left - margin, c.top - margin, c.right + margin, c.bottom + margin))
        return;
    if (pen.mode != PenMode::Copy) {
        // Other mix modes go through a mask, so that each pixel is mixed once.
        // The mask is made band by band of rows, each only as wide as the stroke is there, so a
        // long slanting line costs its own area and not its bounding box's.
        const int64_t ext = pen.width + 1;
        const int64_t top = std::max<int64_t>(std::min(y0, y1) - ext, c.top);
        const int64_t bottom = std::min<int64_t>(std::max(y0, y1) + ext, c.bottom);
        constexpr int64_t kBand = 32;
        for (int64_t band = top; band < bottom; band += kBand) {
            const int64_t bandEnd = std::min(band + kBand, bottom);
            int64_t left = std::min(x0, x1), right = std::max(x0, x1);
            if (y0 != y1) {
                // Where the centre line runs through these rows (widened by the pen).
                auto xAt = [&](int64_t y) {
                    const double t = std::clamp(static_cast<double>(y - y0) / static_cast<double>(y1 - y0), 0.0, 1.0);
                    return static_cast<double>(x0) + t * static_cast<double>(x1 - x0);
                };
                const double xa = xAt(band - ext), xb = xAt(bandEnd + ext);
                left = static_cast<int64_t>(std::floor(std::min(xa, xb)));
                right = static_cast<int64_t>(std::ceil(std::max(xa, xb)));
            }
            ShapeMask m;
            if (!makeMask(m, left - ext, band, right + ext + 1, bandEnd))
                continue;
            maskWideSegments(m, {{x0, y0, x1, y1}});
            paintMask(m);
        }
        return;
    }
    QPainter p(&image_);
    preparePainter(p);
    p.setPen(widePen(pen, QColor::fromRgb(toArgb(pen.color))));
    p.drawLine(QPointF(ax, ay), QPointF(bx, by));
}

void RasterCanvas::brushFill(int64_t l, int64_t t, int64_t r, int64_t b, const QImage* skip, int skipX, int skipY)
{
    const IRect& c = clip();
    if (brush.style == BrushStyle::Clear)
        return;
    l = std::max<int64_t>(l, c.left);
    t = std::max<int64_t>(t, c.top);
    r = std::min<int64_t>(r, c.right);
    b = std::min<int64_t>(b, c.bottom);
    if (l >= r || t >= b)
        return;
    for (int64_t y = t; y < b; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        const uchar* skipLine = skip ? skip->constScanLine(static_cast<int>(y - skipY)) : nullptr;
        for (int64_t x = l; x < r; ++x) {
            if ((skipLine && skipLine[x - skipX] != 0) || !inRegion(x, y))
                continue;
            uint32_t argb = 0;
            if (brushPixel(x, y, argb))
                line[x] = mix(line[x], argb, pen.mode);
        }
    }
}

void RasterCanvas::rectangle(const IRect& r)
{
    // An inverted rectangle draws as its normalised form, as on the platform.
    int64_t l = devX(std::min(r.left, r.right)), rr = devX(std::max(r.left, r.right));
    int64_t t = devY(std::min(r.top, r.bottom)), b = devY(std::max(r.top, r.bottom));
    if (l == rr || t == b)
        return;
    const IRect& c = clip();
    if (pen.style == PenStyle::Null) {
        // Without an outline the brush covers one pixel less on the right and at the bottom.
        brushFill(l, t, rr - 1, b - 1, nullptr, 0, 0);
        return;
    }
    if (pen.width <= 1) {
        brushFill(l + 1, t + 1, rr - 1, b - 1, nullptr, 0, 0);
        // The outline runs anticlockwise from the top-right corner through the corners
        // (l, t) and (rr - 1, b - 1), each side without its end pixel, the dash carried round.
        int64_t phase = 0;
        phase += thinSegment(rr - 1, t, l, t, phase);
        phase += thinSegment(l, t, l, b - 1, phase);
        phase += thinSegment(l, b - 1, rr - 1, b - 1, phase);
        thinSegment(rr - 1, b - 1, rr - 1, t, phase);
        return;
    }

    const int w = pen.width;
    if (pen.style == PenStyle::InsideFrame) {
        // The whole pen stays inside the rectangle.
        l += w / 2;
        t += w / 2;
        rr = std::max(rr - (w - 1) / 2, l + 1);
        b = std::max(b - (w - 1) / 2, t + 1);
    }
    if (c.empty())
        return;
    // The outline centred on the pixels of the corners (l, t) and (rr - 1, b - 1); sides far
    // outside the clip are pulled in to just outside it, which changes no visible pixel.
    const int64_t m = w + 2;
    auto cx = [&](int64_t x) { return static_cast<double>(clampTo(x, c.left - m, c.right + m)) + 0.5; };
    auto cy = [&](int64_t y) { return static_cast<double>(clampTo(y, c.top - m, c.bottom + m)) + 0.5; };
    QPolygonF outline;
    outline << QPointF(cx(rr - 1), cy(t)) << QPointF(cx(l), cy(t)) << QPointF(cx(l), cy(b - 1))
            << QPointF(cx(rr - 1), cy(b - 1));
    const QColor colour = QColor::fromRgb(toArgb(pen.color));

    if (pen.mode == PenMode::Copy) {
        brushFill(l + 1, t + 1, rr - 1, b - 1, nullptr, 0, 0);
        QPainter p(&image_);
        preparePainter(p);
        p.setPen(widePen(pen, colour));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(outline);
        return;
    }

    // Other mix modes: every pixel is mixed once, with the pen where the outline covers
    // it and with the brush elsewhere inside. The outline is drawn into a mask first.
    const int64_t bl = std::max<int64_t>(c.left, l - w), bt = std::max<int64_t>(c.top, t - w);
    const int64_t br = std::min<int64_t>(c.right, rr + w), bb = std::min<int64_t>(c.bottom, b + w);
    if (bl >= br || bt >= bb)
        return;
    QImage mask(static_cast<int>(br - bl), static_cast<int>(bb - bt), QImage::Format_Grayscale8);
    if (mask.isNull())
        return;
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.translate(-static_cast<double>(bl), -static_cast<double>(bt));
        p.setPen(widePen(pen, Qt::white));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(outline);
    }
    brushFill(l + 1, t + 1, rr - 1, b - 1, &mask, static_cast<int>(bl), static_cast<int>(bt));
    const uint32_t argb = toArgb(pen.color);
    for (int64_t y = bt; y < bb; ++y) {
        const uchar* ml = mask.constScanLine(static_cast<int>(y - bt));
        for (int64_t x = bl; x < br; ++x)
            if (ml[x - bl] != 0)
                mixPixel(x, y, argb, pen.mode);
    }
}

void RasterCanvas::fillRect(const IRect& r, Color colour)
{
    if (r.empty())
        return;
    const IRect& c = clip();
    const int64_t l = std::max<int64_t>(devX(r.left), c.left), rr = std::min<int64_t>(devX(r.right), c.right);
    const int64_t t = std::max<int64_t>(devY(r.top), c.top), b = std::min<int64_t>(devY(r.bottom), c.bottom);
    if (l >= rr || t >= b)
        return;
    const uint32_t argb = toArgb(colour);
    for (int64_t y = t; y < b; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        if (!state().clipRegion) {
            std::fill(line + l, line + rr, argb);
            continue;
        }
        for (int64_t x = l; x < rr; ++x)
            if (inRegion(x, y))
                line[x] = argb;
    }
}

const ByteFont& RasterCanvas::byteFont()
{
    // Point size to pixels at the canvas resolution, rounded as the platform's MulDiv does;
    // a negative size counts like its magnitude.
    const int64_t pt = std::min<int64_t>(std::abs(static_cast<int64_t>(font.pointSize)), 10000);
    const int px =
        std::clamp(font.pixelHeight != 0
                       ? static_cast<int>(std::min<int64_t>(std::abs(static_cast<int64_t>(font.pixelHeight)), 4096))
                       : mulDiv(static_cast<int32_t>(pt), dpi_, 72),
                   1, 4096);
    const auto style = static_cast<uint8_t>(font.style & 3);
    if (!lastFont_ || px != lastPixelSize_ || style != lastStyle_ || font.face != lastFace_) {
        lastFont_ = fonts_.get(font.face, px, (style & 1) != 0, (style & 2) != 0);
        lastFace_ = font.face;
        lastPixelSize_ = px;
        lastStyle_ = style;
    }
    return *lastFont_;
}

// Text: the reference point is the top-left corner of the text's cell box; an escapement turns
// the text about it. With an opaque background the cell box (the text's width by ascent plus
// descent) is filled with the background colour first. Glyphs are drawn without antialiasing,
// so every pixel is either the font colour or left as it was.
void RasterCanvas::textOut(int x, int y, const std::string& bytes)
{
    const IRect& c = clip();
    if (bytes.empty() || c.empty())
        return;
    const ByteFont& f = byteFont();
    const int64_t left = devX(x), top = devY(y);
    const int64_t w = f.width(bytes), h = f.metrics.height();
    const int64_t slack = 2 * static_cast<int64_t>(lastPixelSize_) + h;  // overhangs of italic and wide glyphs
    const bool turned = font.escapement % 3600 != 0;
    const int64_t reach = turned ? w + slack : 0;  // turned text reaches round
    if (left + w + slack <= c.left || left - slack - reach >= c.right || top + h + slack + reach <= c.top ||
        top - slack - reach >= c.bottom)
        return;
    QPainter p(&image_);
    preparePainter(p);
    p.translate(static_cast<double>(left), static_cast<double>(top));
    if (turned)
        p.rotate(-font.escapement / 10.0);
    if (opaqueBackground)
        p.fillRect(QRectF(0, 0, static_cast<double>(w), static_cast<double>(h)),
                   QColor::fromRgb(toArgb(backgroundColor)));
    p.setPen(QColor::fromRgb(toArgb(font.color)));
    f.draw(p, f.metrics.ascent, bytes, (font.style & 4) != 0, (font.style & 8) != 0);
}

int RasterCanvas::textWidth(const std::string& bytes)
{
    if (bytes.empty())
        return 0;
    return byteFont().width(bytes);
}

TextMetrics RasterCanvas::textMetrics()
{
    return byteFont().metrics;
}

// Reads the image whatever the clip; outside the image the answer is white.
Color RasterCanvas::pixel(int x, int y) const
{
    const int64_t dx = devX(x), dy = devY(y);
    if (dx < 0 || dy < 0 || dx >= image_.width() || dy >= image_.height())
        return kWhite;
    return fromArgb(reinterpret_cast<const QRgb*>(image_.constScanLine(static_cast<int>(dy)))[dx]);
}

// Like the platform's SetPixel, the pixel is mixed with the current mix mode and clipped.
void RasterCanvas::setPixel(int x, int y, Color c)
{
    mixPixel(devX(x), devY(y), toArgb(c), pen.mode);
}

void RasterCanvas::paintWithQt(const IRect& area, const std::function<void(QPainter&)>& paint)
{
    const IRect& c = state().clip;
    const int64_t l = clampTo(devX(area.left), c.left, c.right);
    const int64_t t = clampTo(devY(area.top), c.top, c.bottom);
    const int64_t r = std::max(l, std::min<int64_t>(c.right, devX(area.right)));
    const int64_t b = std::max(t, std::min<int64_t>(c.bottom, devY(area.bottom)));
    if (r <= l || b <= t)
        return;
    QPainter painter(&image_);
    painter.setClipRect(
        QRect(static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t)));
    painter.translate(static_cast<qreal>(state().originX), static_cast<qreal>(state().originY));
    paint(painter);
}

}  // namespace vr
