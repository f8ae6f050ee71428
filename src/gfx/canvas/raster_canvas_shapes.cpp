// RasterCanvas: ellipses, rounded rectangles, arcs, pies, chords, polygons and polylines.
//
// Every filled shape is decided into a mask first (brush, pen or pen-gap per pixel) and then
// mixed, so each pixel is mixed once whatever the mix mode; the mask covers only the shape's
// box inside the clip.
//
// Curves. The box [left, right) x [top, bottom) holds the ideal ellipse (or rounded rectangle:
// the box with quarter ellipses of the corner width and height at its corners). A pixel belongs
// to the shape when its centre (x + 0.5, y + 0.5) lies inside or on the ideal curve. A one-pixel
// pen draws the shape's rim: its pixels with a left, right, upper or lower neighbour outside; so
// Ellipse(0, 0, 10, 10) covers columns 0..9 and rows 0..9, rows 0 and 9 being pixels 3..6. A
// wider pen is centred on the rim: it covers the pixels inside the curve grown by (width - 1) / 2
// and outside the curve shrunk by (width + 1) / 2; with the inside-frame style it keeps within
// the box (inside the curve, outside the curve shrunk by the width). Without a pen the box loses
// one pixel on the right and at the bottom before the brush fills it, as on the platform. Arcs,
// pies and chords keep the pixels whose centre lies on the counter-clockwise sweep from the ray
// through the start point to the ray through the end point (both rays from the box centre; equal
// rays make the whole ellipse); pies add the two radii, chords the line between the points where
// the rays leave the ideal ellipse. Curved outlines are drawn solid whatever the pen style.
//
// Polygons are filled at the pixels whose top-left corner (x, y) lies inside: for each row the
// crossings of the edges with the line through y, a pixel x filled when a crossing xl <= x and
// the next one xr > x (alternate mode: between odd and even crossings; winding mode: where the
// edge directions do not cancel). That leaves the right and bottom edges of an axis-aligned
// polygon to the outline, which is drawn on the vertices like lineTo segments, the dash carried
// from side to side.
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/raster_canvas_internal.h"

namespace vr {
namespace {

using namespace raster;

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Rounded rectangle of the box [l, r] x [t, b] with corner radii rx, ry; an ellipse when the
// radii are half the box.
struct Oval {
    double l, t, r, b, rx, ry;

    bool inside(double x, double y) const
    {
        if (x < l || x > r || y < t || y > b)
            return false;
        if (rx <= 0.0 || ry <= 0.0)
            return true;
        const double ex = x < l + rx ? l + rx : (x > r - rx ? r - rx : x);
        const double ey = y < t + ry ? t + ry : (y > b - ry ? b - ry : y);
        if (ex == x || ey == y)
            return true;
        const double dx = (x - ex) / rx, dy = (y - ey) / ry;
        return dx * dx + dy * dy <= 1.0 + 1e-9;
    }
    bool pixel(int64_t x, int64_t y) const
    {
        return inside(static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5);
    }
    // The pixels of row y inside the shape, [first, end); the shape is convex, so they are one
    // run. Worked out from the curve, then settled on pixel() so both agree to the last pixel.
    std::pair<int64_t, int64_t> span(int64_t y) const
    {
        const double yc = static_cast<double>(y) + 0.5;
        if (yc < t || yc > b)
            return {0, 0};
        double lo = l, hi = r;
        if (rx > 0.0 && ry > 0.0 && (yc < t + ry || yc > b - ry)) {
            const double ey = yc < t + ry ? t + ry : b - ry;
            const double dy = (yc - ey) / ry;
            const double hw = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
            lo = l + rx - hw;
            hi = r - rx + hw;
        }
        int64_t a = static_cast<int64_t>(std::ceil(lo - 0.5)), e = static_cast<int64_t>(std::floor(hi - 0.5)) + 1;
        while (a < e && !pixel(a, y))
            ++a;
        while (e > a && !pixel(e - 1, y))
            --e;
        if (a >= e)
            return {0, 0};
        while (pixel(a - 1, y))
            --a;
        while (pixel(e, y))
            ++e;
        return {a, e};
    }
    Oval grown(double d) const
    {
        return Oval{
            l - d, t - d, r + d, b + d, rx > 0.0 ? std::max(0.0, rx + d) : 0.0, ry > 0.0 ? std::max(0.0, ry + d) : 0.0};
    }
};

// Counter-clockwise (on the screen, y downwards) sweep of rays from a centre.
struct Sweep {
    double cx = 0, cy = 0, start = 0, span = kTwoPi;

    static double angle(double dx, double dy) { return std::atan2(-dy, dx); }
    bool pixel(int64_t x, int64_t y) const
    {
        if (span >= kTwoPi)
            return true;
        double d = angle(static_cast<double>(x) + 0.5 - cx, static_cast<double>(y) + 0.5 - cy) - start;
        d = std::fmod(d, kTwoPi);
        if (d < 0)
            d += kTwoPi;
        return d <= span + 1e-12;
    }
};

// Where the ray from the centre of the ellipse (radii a, b) towards (dx, dy) leaves it.
void onEllipse(double cx, double cy, double a, double b, double dx, double dy, double& x, double& y)
{
    const double q = std::sqrt((dx / a) * (dx / a) + (dy / b) * (dy / b));
    x = q > 0 ? cx + dx / q : cx + a;
    y = q > 0 ? cy + dy / q : cy;
}

int64_t pixelOf(double v)
{
    return static_cast<int64_t>(std::floor(v));
}

// Ellipses, rounded rectangles and arcs row by row: each row is at most a run of brush and two
// runs of pen, so an outline costs its rim and not its box. run(y, first, end, brush) paints.
template <typename Run>
void curveRows(const Oval& oval, const Oval& outer, const Oval& inner, int64_t top, int64_t bottom, int penWidth,
               bool fill, bool hasPen, Run run)
{
    for (int64_t y = top; y < bottom; ++y) {
        const auto s = oval.span(y);
        if (!hasPen) {
            if (fill)
                run(y, s.first, s.second, true);
            continue;
        }
        std::pair<int64_t, int64_t> rim, hole;
        if (penWidth <= 1) {
            // Pixels with a neighbour outside: at either end of the row's run, or outside the
            // run shared with the rows above and below.
            const auto up = oval.span(y - 1), down = oval.span(y + 1);
            rim = s;
            hole = {std::max({s.first + 1, up.first, down.first}), std::min({s.second - 1, up.second, down.second})};
            if (up.first >= up.second || down.first >= down.second)
                hole = {0, 0};
        } else {
            rim = outer.span(y);
            hole = inner.span(y);
        }
        if (hole.first >= hole.second) {
            run(y, rim.first, rim.second, false);
            continue;
        }
        run(y, rim.first, hole.first, false);
        run(y, hole.second, rim.second, false);
        if (fill)
            run(y, std::max(hole.first, s.first), std::min(hole.second, s.second), true);
    }
}

}  // namespace

bool RasterCanvas::makeMask(ShapeMask& m, int64_t l, int64_t t, int64_t r, int64_t b) const
{
    const IRect& c = clip();
    l = std::max<int64_t>(l, c.left);
    t = std::max<int64_t>(t, c.top);
    r = std::min<int64_t>(r, c.right);
    b = std::min<int64_t>(b, c.bottom);
    if (l >= r || t >= b)
        return false;
    m.left = l;
    m.top = t;
    m.width = static_cast<int>(r - l);
    m.height = static_cast<int>(b - t);
    m.cells.assign(static_cast<size_t>(m.width) * static_cast<size_t>(m.height), ShapeMask::None);
    return true;
}

void RasterCanvas::maskWideSegments(ShapeMask& m, const std::vector<std::array<int64_t, 4>>& segments) const
{
    if (segments.empty())
        return;
    QImage stroke(m.width, m.height, QImage::Format_Grayscale8);
    if (stroke.isNull())
        return;
    stroke.fill(0);
    {
        QPainter p(&stroke);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::white, pen.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Far ends are cut to just outside the mask; their caps could not show.
        const double margin = pen.width + 2.0;
        for (const auto& s : segments) {
            if (s[0] == s[2] && s[1] == s[3])
                continue;
            double ax = static_cast<double>(s[0] - m.left) + 0.5, ay = static_cast<double>(s[1] - m.top) + 0.5;
            double bx = static_cast<double>(s[2] - m.left) + 0.5, by = static_cast<double>(s[3] - m.top) + 0.5;
            if (clipToBox(ax, ay, bx, by, -margin, -margin, m.width + margin, m.height + margin))
                p.drawLine(QPointF(ax, ay), QPointF(bx, by));
        }
    }
    for (int y = 0; y < m.height; ++y) {
        const uchar* line = stroke.constScanLine(y);
        for (int x = 0; x < m.width; ++x)
            if (line[x] != 0)
                m.cells[static_cast<size_t>(y) * static_cast<size_t>(m.width) + static_cast<size_t>(x)] =
                    ShapeMask::PenPixel;
    }
}

void RasterCanvas::paintMask(const ShapeMask& m)
{
    const uint32_t penArgb = toArgb(pen.color), gapArgb = toArgb(backgroundColor);
    for (int y = 0; y < m.height; ++y) {
        const int64_t dy = m.top + y;
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(dy)));
        const uint8_t* cells = m.cells.data() + static_cast<size_t>(y) * static_cast<size_t>(m.width);
        for (int x = 0; x < m.width; ++x) {
            const int64_t dx = m.left + x;
            uint32_t argb = 0;
            if (cells[x] != ShapeMask::None && !inRegion(dx, dy))
                continue;
            switch (cells[x]) {
            case ShapeMask::BrushPixel:
                if (brushPixel(dx, dy, argb))
                    line[dx] = mix(line[dx], argb, pen.mode);
                break;
            case ShapeMask::PenPixel:
                line[dx] = mix(line[dx], penArgb, pen.mode);
                break;
            case ShapeMask::GapPixel:
                line[dx] = mix(line[dx], gapArgb, pen.mode);
                break;
            default:
                break;
            }
        }
    }
}

void RasterCanvas::curve(Curve kind, const IRect& r, int cornerWidth, int cornerHeight, IPoint start, IPoint end)
{
    int64_t l = devX(std::min(r.left, r.right)), rr = devX(std::max(r.left, r.right));
    int64_t t = devY(std::min(r.top, r.bottom)), b = devY(std::max(r.top, r.bottom));
    const bool hasPen = pen.style != PenStyle::Null;
    if (!hasPen) {
        if (kind == Curve::Arc)
            return;
        --rr;
        --b;
    }
    if (rr <= l || b <= t || clip().empty())
        return;
    const bool fill = kind != Curve::Arc && brush.style != BrushStyle::Clear;
    const int w = std::max(1, pen.width);

    const double L = static_cast<double>(l), T = static_cast<double>(t);
    const double R = static_cast<double>(rr), B = static_cast<double>(b);
    double rx = (R - L) / 2, ry = (B - T) / 2;
    if (kind == Curve::RoundRect) {
        rx = std::min(std::abs(static_cast<double>(cornerWidth)), R - L) / 2;
        ry = std::min(std::abs(static_cast<double>(cornerHeight)), B - T) / 2;
    }
    const Oval oval{L, T, R, B, rx, ry};

    Sweep sweep;
    sweep.cx = (L + R) / 2;
    sweep.cy = (T + B) / 2;
    double sx = 0, sy = 0, ex = 0, ey = 0;  // where the rays leave the ideal ellipse
    const bool partial = kind == Curve::Arc || kind == Curve::Pie || kind == Curve::Chord;
    if (partial) {
        const double dsx = static_cast<double>(devX(start.x)) - sweep.cx,
                     dsy = static_cast<double>(devY(start.y)) - sweep.cy;
        const double dex = static_cast<double>(devX(end.x)) - sweep.cx,
                     dey = static_cast<double>(devY(end.y)) - sweep.cy;
        sweep.start = Sweep::angle(dsx, dsy);
        double span = std::fmod(Sweep::angle(dex, dey) - sweep.start, kTwoPi);
        if (span <= 0)
            span += kTwoPi;
        sweep.span = span;
        onEllipse(sweep.cx, sweep.cy, (R - L) / 2, (B - T) / 2, dsx, dsy, sx, sy);
        onEllipse(sweep.cx, sweep.cy, (R - L) / 2, (B - T) / 2, dex, dey, ex, ey);
    }
    // Chords keep the side of the chord line where the arc runs.
    double mx = 0, my = 0;
    if (kind == Curve::Chord) {
        const double mid = sweep.start + sweep.span / 2;
        onEllipse(sweep.cx, sweep.cy, (R - L) / 2, (B - T) / 2, std::cos(mid), -std::sin(mid), mx, my);
    }
    const double chordSide = (ex - sx) * (my - sy) - (ey - sy) * (mx - sx);
    auto inFill = [&](int64_t x, int64_t y) {
        if (!oval.pixel(x, y))
            return false;
        if (kind == Curve::Pie)
            return sweep.pixel(x, y);
        if (kind == Curve::Chord && sweep.span < kTwoPi) {
            const double px = static_cast<double>(x) + 0.5, py = static_cast<double>(y) + 0.5;
            const double side = (ex - sx) * (py - sy) - (ey - sy) * (px - sx);
            return side == 0 || (side > 0) == (chordSide > 0);
        }
        return true;
    };

    const int64_t ext = w + 2;
    const bool insideFrame = pen.style == PenStyle::InsideFrame;
    const Oval outer = insideFrame ? oval : oval.grown((w - 1) / 2.0);
    const Oval inner = insideFrame ? oval.grown(-w) : oval.grown(-(w + 1) / 2.0);
    if (kind != Curve::Pie && kind != Curve::Chord) {
        const IRect& clip = this->clip();
        const uint32_t penArgb = toArgb(pen.color);
        auto run = [&](int64_t y, int64_t a, int64_t e, bool brushRun) {
            a = std::max<int64_t>(a, clip.left);
            e = std::min<int64_t>(e, clip.right);
            auto* line = a < e ? reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y))) : nullptr;
            for (int64_t x = a; x < e; ++x) {
                uint32_t argb = penArgb;
                if (!inRegion(x, y))
                    continue;
                if (brushRun ? !brushPixel(x, y, argb) : (partial && !sweep.pixel(x, y)))
                    continue;
                line[x] = mix(line[x], argb, pen.mode);
            }
        };
        curveRows(oval, outer, inner, std::max<int64_t>(t - ext, clip.top), std::min<int64_t>(b + ext, clip.bottom), w,
                  fill, hasPen, run);
        return;
    }

    ShapeMask m;
    if (!makeMask(m, l - ext, t - ext, rr + ext, b + ext))
        return;
    for (int64_t y = m.top; y < m.top + m.height; ++y) {
        for (int64_t x = m.left; x < m.left + m.width; ++x) {
            uint8_t v = ShapeMask::None;
            if (fill && inFill(x, y))
                v = ShapeMask::BrushPixel;
            if (hasPen && (!partial || sweep.pixel(x, y))) {
                bool rim;
                if (w <= 1)
                    rim = oval.pixel(x, y) &&
                        (!oval.pixel(x - 1, y) || !oval.pixel(x + 1, y) || !oval.pixel(x, y - 1) ||
                         !oval.pixel(x, y + 1));
                else
                    rim = outer.pixel(x, y) && !inner.pixel(x, y);
                if (rim)
                    v = ShapeMask::PenPixel;
            }
            m.at(x, y) = v;
        }
    }
    if (hasPen && (kind == Curve::Pie || kind == Curve::Chord) && sweep.span < kTwoPi) {
        std::vector<std::array<int64_t, 4>> lines;
        // Points on the ideal curve at the box's right or bottom edge belong to the last pixel
        // inside.
        auto px = [&](double v) { return std::clamp(pixelOf(v), l, rr - 1); };
        auto py = [&](double v) { return std::clamp(pixelOf(v), t, b - 1); };
        const int64_t csx = px(sx), csy = py(sy), cex = px(ex), cey = py(ey);
        const int64_t ccx = px(sweep.cx), ccy = py(sweep.cy);
        if (kind == Curve::Pie)
            lines = {{ccx, ccy, csx, csy}, {ccx, ccy, cex, cey}};
        else
            lines = {{csx, csy, cex, cey}};
        if (w <= 1) {
            const PenStyle style = pen.style;
            pen.style = PenStyle::Solid;
            penTarget_ = &m;
            for (const auto& s : lines) {
                thinSegment(s[0], s[1], s[2], s[3], 0);
                plotPen(s[2], s[3], false);
            }
            penTarget_ = nullptr;
            pen.style = style;
        } else {
            maskWideSegments(m, lines);
        }
    }
    paintMask(m);
}

void RasterCanvas::polygons(const std::vector<std::vector<IPoint>>& polys, bool closed)
{
    if (clip().empty())
        return;
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    for (const auto& poly : polys)
        for (const IPoint& p : poly) {
            minX = std::min(minX, devX(p.x));
            maxX = std::max(maxX, devX(p.x));
            minY = std::min(minY, devY(p.y));
            maxY = std::max(maxY, devY(p.y));
        }
    if (minX > maxX)
        return;
    const bool hasPen = pen.style != PenStyle::Null;
    const bool fill = closed && brush.style != BrushStyle::Clear;
    if (!hasPen && !fill)
        return;
    const int64_t ext = std::max(1, pen.width) + 2;
    ShapeMask m;
    if (!makeMask(m, minX - ext, minY - ext, maxX + ext, maxY + ext))
        return;

    if (fill) {
        struct Edge {
            int64_t x0, y0, x1, y1;  // y0 < y1
            int dir;
        };
        std::vector<Edge> edges;
        for (const auto& poly : polys)
            for (size_t k = 0; k < poly.size(); ++k) {
                const IPoint& a = poly[k];
                const IPoint& b = poly[(k + 1) % poly.size()];
                if (a.y == b.y)
                    continue;
                if (a.y < b.y)
                    edges.push_back(Edge{devX(a.x), devY(a.y), devX(b.x), devY(b.y), 1});
                else
                    edges.push_back(Edge{devX(b.x), devY(b.y), devX(a.x), devY(a.y), -1});
            }
        std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
        std::vector<const Edge*> active;
        std::vector<std::pair<int64_t, int>> crossings;
        size_t next = 0;
        for (int64_t y = m.top; y < m.top + m.height; ++y) {
            while (next < edges.size() && edges[next].y0 <= y)
                active.push_back(&edges[next++]);
            std::erase_if(active, [y](const Edge* e) { return e->y1 <= y; });
            crossings.clear();
            for (const Edge* e : active) {
                // First pixel at or right of the crossing, kept just outside the mask.
                const Wide dy = e->y1 - e->y0;
                Wide x = ceilDiv(Wide{e->x0} * dy + Wide{y - e->y0} * (e->x1 - e->x0), dy);
                x = std::clamp<Wide>(x, m.left - 1, m.left + m.width + 1);
                crossings.emplace_back(static_cast<int64_t>(x), e->dir);
            }
            std::sort(crossings.begin(), crossings.end());
            int winding = 0;
            for (size_t k = 0; k + 1 < crossings.size(); ++k) {
                winding += windingFill ? crossings[k].second : 1;
                const bool in = windingFill ? winding != 0 : (winding & 1) != 0;
                if (!in)
                    continue;
                const int64_t from = std::max(crossings[k].first, m.left);
                const int64_t to = std::min(crossings[k + 1].first, m.left + m.width);
                for (int64_t x = from; x < to; ++x)
                    m.at(x, y) = ShapeMask::BrushPixel;
            }
        }
    }

    if (hasPen) {
        if (pen.width <= 1) {
            penTarget_ = &m;
            for (const auto& poly : polys) {
                int64_t phase = 0;
                for (size_t k = 0; k + 1 < poly.size(); ++k)
                    phase +=
                        thinSegment(devX(poly[k].x), devY(poly[k].y), devX(poly[k + 1].x), devY(poly[k + 1].y), phase);
                if (closed && poly.size() > 1)
                    thinSegment(devX(poly.back().x), devY(poly.back().y), devX(poly.front().x), devY(poly.front().y),
                                phase);
            }
            penTarget_ = nullptr;
        } else {
            std::vector<std::array<int64_t, 4>> segments;
            for (const auto& poly : polys) {
                const size_t n = poly.size();
                for (size_t k = 0; k + 1 < n + (closed ? 1 : 0); ++k) {
                    const IPoint& a = poly[k];
                    const IPoint& b = poly[(k + 1) % n];
                    segments.push_back({devX(a.x), devY(a.y), devX(b.x), devY(b.y)});
                }
            }
            maskWideSegments(m, segments);
        }
    }
    paintMask(m);
}

void RasterCanvas::roundRect(const IRect& r, int cornerWidth, int cornerHeight)
{
    curve(Curve::RoundRect, r, cornerWidth, cornerHeight, {}, {});
}

void RasterCanvas::ellipse(const IRect& r)
{
    curve(Curve::Ellipse, r, 0, 0, {}, {});
}
void RasterCanvas::arc(const IRect& r, IPoint start, IPoint end)
{
    curve(Curve::Arc, r, 0, 0, start, end);
}
void RasterCanvas::pie(const IRect& r, IPoint start, IPoint end)
{
    curve(Curve::Pie, r, 0, 0, start, end);
}
void RasterCanvas::chord(const IRect& r, IPoint start, IPoint end)
{
    curve(Curve::Chord, r, 0, 0, start, end);
}

void RasterCanvas::polyline(const std::vector<IPoint>& points)
{
    polygons({points}, false);
}
void RasterCanvas::polygon(const std::vector<IPoint>& points)
{
    polygons({points}, true);
}
void RasterCanvas::polyPolygon(const std::vector<std::vector<IPoint>>& polys)
{
    polygons(polys, true);
}

}  // namespace vr
