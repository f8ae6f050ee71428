#include "drawing/background_pattern.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/rounding.h"

namespace vr {
namespace {

using Wide = int64_t;

int sat(Wide v)
{
    return static_cast<int>(std::clamp<Wide>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// One pattern being drawn: the area, what the canvas can show of it, the colours and the step.
struct Area {
    Canvas& canvas;
    Wide w, h;  // the area, from the canvas origin
    Wide cw, ch;  // the canvas's own size: nothing at or beyond it can show
    Color back, pattern;
    Wide step;  // at least 1

    void line(Wide x0, Wide y0, Wide x1, Wide y1)
    {
        canvas.moveTo(sat(x0), sat(y0));
        canvas.lineTo(sat(x1), sat(y1));
    }
    void ellipse(Wide l, Wide t, Wide r, Wide b) { canvas.ellipse(IRect{sat(l), sat(t), sat(r), sat(b)}); }
    void fill(Wide l, Wide t, Wide r, Wide b, Color c)
    {
        canvas.brush.color = c;
        canvas.fillRect(IRect{sat(l), sat(t), sat(r), sat(b)}, c);
    }
    // Column x or row y, one pixel wide, across the whole area.
    void fillColumn(Wide x, Color c) { fill(x, 0, x + 1, h, c); }
    void fillRow(Wide y, Color c) { fill(0, y, w, y + 1, c); }
};

// ---- Dots and lines -------------------------------------------------------------------------

void dotGrid(Area& a)
{
    const Wide xEnd = std::min(a.w, a.cw), yEnd = std::min(a.h, a.ch);
    for (Wide y = 0; y < yEnd; y += a.step)
        for (Wide x = 0; x < xEnd; x += a.step)
            a.canvas.setPixel(static_cast<int>(x), static_cast<int>(y), a.pattern);
}

// Rows advance by half a step (or a whole one when half rounds to 0); every other row is shifted
// by that half step.
void staggeredDots(Area& a)
{
    const Wide half = roundHalfEven(static_cast<double>(a.step) / 2.0);
    const Wide advance = half == 0 ? a.step : half;
    const Wide xEnd = std::min(a.w, a.cw), yEnd = std::min(a.h, a.ch);
    Wide offset = 0;
    for (Wide y = 0; y < yEnd; y += advance) {
        for (Wide x = offset; x < xEnd; x += a.step)
            a.canvas.setPixel(static_cast<int>(x), static_cast<int>(y), a.pattern);
        offset = offset == 0 ? half : 0;
    }
}

void verticalLines(Area& a)
{
    for (Wide x = 0; x < std::min(a.w, a.cw); x += a.step)
        a.line(x, 0, x, a.h);
}

void horizontalLines(Area& a)
{
    for (Wide y = 0; y < std::min(a.h, a.ch); y += a.step)
        a.line(0, y, a.w, y);
}

// Lines from (t, 0) to (0, t). Such a line covers the pixels (t - i, i) for 0 <= i < t, so none
// with t >= cw + ch is on the canvas.
void risingDiagonals(Area& a)
{
    const Wide end = std::min(a.w + a.h, a.cw + a.ch);
    for (Wide t = 0; t < end; t += a.step)
        a.line(t, 0, 0, t);
}

// Lines from (t, 0) to (t + H, H) for t = W + H, W + H - s, ... while t > -H. Such a line covers
// the pixels (t + i, i) for 0 <= i < H: none is on the canvas unless -min(H, ch) < t < cw. The
// lines are drawn only as far down as the canvas goes, which leaves the pixels unchanged.
void fallingDiagonals(Area& a)
{
    const Wide depth = std::min(a.h, a.ch);
    Wide t = a.w + a.h;
    if (t > a.cw - 1)
        t -= (t - (a.cw - 1) + a.step - 1) / a.step * a.step;
    for (; t > -depth; t -= a.step)
        a.line(t, 0, t + depth, depth);
}

// The angle is a whole number of radians (0, s, 2s, ... below 360) and the far ends lie on a
// circle of radius 2W round (W, W), whatever the height: that is how the documents were made.
void rays(Area& a)
{
    const Wide cx = roundHalfEven(static_cast<double>(a.w) / 2.0), cy = roundHalfEven(static_cast<double>(a.h) / 2.0);
    const double w = static_cast<double>(a.w);
    for (Wide angle = 0; angle < 360; angle += a.step) {
        const double rad = static_cast<double>(angle);
        a.line(cx, cy, roundHalfEven(w + 2.0 * w * std::cos(rad)), roundHalfEven(w + 2.0 * w * std::sin(rad)));
    }
}

// ---- Circles and ellipses (outlines only) ----------------------------------------------------

// Radii whose circle round (cx, cy) can touch the canvas: from the nearest canvas pixel to the
// farthest corner, with a margin for the outline's rounding.
struct RadiusRange {
    Wide lo = 0, hi = -1;
};

RadiusRange visibleRadii(const Area& a, Wide cx, Wide cy)
{
    if (a.cw <= 0 || a.ch <= 0)
        return {};
    auto dist = [](double dx, double dy) { return std::sqrt(dx * dx + dy * dy); };
    const double nx = static_cast<double>(std::clamp<Wide>(cx, 0, a.cw - 1) - cx);
    const double ny = static_cast<double>(std::clamp<Wide>(cy, 0, a.ch - 1) - cy);
    const double fx = std::max(std::abs(static_cast<double>(cx)), std::abs(static_cast<double>(a.cw - cx)));
    const double fy = std::max(std::abs(static_cast<double>(cy)), std::abs(static_cast<double>(a.ch - cy)));
    constexpr double kMargin = 3.0;
    return {static_cast<Wide>(std::floor(dist(nx, ny) - kMargin)),
            static_cast<Wide>(std::ceil(dist(fx, fy) + kMargin))};
}

// First value 1 + k * step (k >= 0) that is at least lo.
Wide firstRadiusFrom(Wide lo, Wide step)
{
    return lo <= 1 ? 1 : 1 + (lo - 1 + step - 1) / step * step;
}

void concentricCircles(Area& a)
{
    a.canvas.brush.style = BrushStyle::Clear;
    const Wide cx = roundHalfEven(static_cast<double>(a.w) / 2.0), cy = roundHalfEven(static_cast<double>(a.h) / 2.0);
    const RadiusRange seen = visibleRadii(a, cx, cy);
    for (Wide r = firstRadiusFrom(seen.lo, a.step); r < a.h && r <= seen.hi; r += a.step)
        a.ellipse(cx - r, cy - r, cx + r, cy + r);
}

// Boxes (r, 0)-(Round(r + e), H) with e = s * W / 5; a box that starts right of the canvas draws
// nothing on it.
void tallEllipses(Area& a)
{
    a.canvas.brush.style = BrushStyle::Clear;
    const double e = static_cast<double>(a.step) * static_cast<double>(a.w) / 5.0;
    const Wide end = std::min<Wide>(roundHalfEven(static_cast<double>(a.w) - e), a.cw);
    for (Wide r = 1; r < end; r += a.step)
        a.ellipse(r, 0, roundHalfEven(static_cast<double>(r) + e), a.h);
}

void quarterCircles(Area& a)
{
    a.canvas.brush.style = BrushStyle::Clear;
    const RadiusRange seen = visibleRadii(a, a.w, 0);
    for (Wide r = firstRadiusFrom(seen.lo, a.step); r < 3 * a.h && r <= seen.hi; r += a.step)
        a.ellipse(a.w - r, -r, a.w + r, r);
}

// ---- Gradients --------------------------------------------------------------------------------

// Working components are 16 bits wide: one may pass 255 between two strips before it is clamped.
using Components = std::array<uint16_t, 3>;

Components componentsOf(Color c)
{
    return {redOf(c), greenOf(c), blueOf(c)};
}

void makeEqualOnes(Components& c)
{
    if (c[0] == c[1] && c[1] == c[2])
        c = {1, 1, 1};
}

// A lone non-zero component becomes 1, so does every component of 250 or more, and a grey
// becomes (1, 1, 1): only the components that are left non-zero climb.
void normaliseSingleChannel(Components& c)
{
    if (std::count_if(c.begin(), c.end(), [](uint16_t v) { return v != 0; }) == 1)
        for (uint16_t& v : c)
            if (v != 0)
                v = 1;
    for (uint16_t& v : c)
        if (v >= 250)
            v = 1;
    makeEqualOnes(c);
}

// No component is left at 0 and a grey becomes (1, 1, 1): the colour climbs to white.
void normaliseFull(Components& c)
{
    for (uint16_t& v : c)
        if (v == 0)
            v = 1;
    makeEqualOnes(c);
}

enum class Walk { LeftToRight, RightToLeft, TopToBottom, BottomToTop };

struct GradientKind {
    Walk walk;
    bool full;  // full normalisation, else single-channel
    bool divideByWidth;  // the component step divides by W, else by H
};

// 255 strips. Strip k of a forward walk spans Round(k * n / 255) up to Round((k + 1) * n / 255)
// exclusive (p = k * sx with sx = n / 255); strip k of a backward walk, from p = n - k * sx, spans
// Round(p - sx) + 1 through Round(p): its first strip lies at the far end and the line 0 is left
// to the back colour. The strip edges are computed from k rather than summed step by step.
void gradient(Area& a, GradientKind kind)
{
    if (a.w <= 0 || a.h <= 0)
        return;  // nothing to show, and no division by a zero width
    const bool vertical = kind.walk == Walk::TopToBottom || kind.walk == Walk::BottomToTop;
    const bool backward = kind.walk == Walk::RightToLeft || kind.walk == Walk::BottomToTop;
    const Wide n = vertical ? a.h : a.w;
    const double divisor = static_cast<double>(kind.divideByWidth ? a.w : a.h);
    auto edge = [n](Wide j) { return static_cast<Wide>(roundHalfEven(static_cast<double>(j * n) / 255.0)); };

    Components c = componentsOf(a.pattern);
    if (kind.full)
        normaliseFull(c);
    else
        normaliseSingleChannel(c);

    for (Wide k = 0; k < 255; ++k) {
        for (uint16_t& v : c)
            v = std::min<uint16_t>(v, 255);
        const Wide lo = backward ? edge(254 - k) + 1 : edge(k);
        const Wide hi = backward ? edge(255 - k) + 1 : edge(k + 1);
        const Color colour =
            rgbColor(static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]), static_cast<uint8_t>(c[2]));
        if (vertical)
            a.fill(0, lo, a.w, hi, colour);
        else
            a.fill(lo, 0, hi, a.h, colour);
        for (uint16_t& v : c) {
            if (v > 0 && v < 255) {
                const Wide grow = roundHalfEven(static_cast<double>(v) / divisor);
                v = static_cast<uint16_t>(v + (grow >= 2 ? grow : 1));
            }
        }
    }
}

// ---- Bands -----------------------------------------------------------------------------------

// A band colour is the fully normalised pattern colour plus a signed offset per component. The
// rising update moves an offset up until the component reaches 255, the falling one down until
// it reaches 0 (never for a component of 255). Both saturate, so n updates at once have a closed
// form: the walk skips the lines the canvas cannot show without losing count.
struct Band {
    Components base;
    std::array<Wide, 3> offset{0, 0, 0};

    Color colour() const
    {
        auto at = [&](int i) { return static_cast<uint8_t>(base[i] + offset[i]); };
        return rgbColor(at(0), at(1), at(2));
    }
    void rise(Wide n)
    {
        for (int i = 0; i < 3; ++i) {
            const Wide top = 255 - base[i];
            if (base[i] > 0 && offset[i] < top)
                offset[i] = std::min(offset[i] + n, top);
        }
    }
    void fall(Wide n)
    {
        for (int i = 0; i < 3; ++i) {
            const Wide bottom = -static_cast<Wide>(base[i]);
            if (base[i] < 255 && offset[i] > bottom)
                offset[i] = std::max(offset[i] - n, bottom);
        }
    }
};

// Pattern 19/21 (brightest in the middle) or 20/22 (darkest in the middle), by columns or rows.
void bands(Area& a, bool rows, bool darkMiddle)
{
    if (a.w <= 0 || a.h <= 0)
        return;
    const Wide n = rows ? a.h : a.w;
    const Wide shown = rows ? a.ch : a.cw;
    const Wide mid = roundHalfEven(static_cast<double>(n) / 2.0);
    Band band{componentsOf(a.pattern)};
    normaliseFull(band.base);
    auto paint = [&](Wide i) {
        if (rows)
            a.fillRow(i, band.colour());
        else
            a.fillColumn(i, band.colour());
    };

    if (!darkMiddle) {
        const Wide firstEnd = std::min(mid, shown);
        for (Wide i = 0; i < firstEnd; ++i) {
            paint(i);
            band.rise(1);
        }
        band.rise(mid - firstEnd);
        for (Wide i = mid; i < std::min(n, shown); ++i) {
            paint(i);
            band.fall(1);
        }
        return;
    }
    for (Wide i = mid; i < std::min(n, shown); ++i) {
        paint(i);
        band.rise(1);
    }
    band.offset = {0, 0, 0};
    Wide start = mid;
    if (start >= shown) {
        band.rise(start - shown + 1);
        start = shown - 1;
    }
    for (Wide i = start; i >= 1; --i) {  // line 0 keeps the back colour
        paint(i);
        band.rise(1);
    }
}

// ---- Colour ramps ------------------------------------------------------------------------------

// Three ramps of 26 columns and a gap column. Ramp A's green ends at 260, so after the first cycle
// ramp A never runs again: the first cycle spans 79 columns, the later ones 53.
void colourRamps(Area& a)
{
    if (a.h <= 0)
        return;
    const Wide end = std::min(a.w, a.cw);
    int r = redOf(a.pattern), g = 0, b = 0;
    auto paint = [&](Wide x) {
        a.fillColumn(x, rgbColor(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)));
    };
    Wide x = 0;
    while (x < end) {
        for (; x < end && g < 255; ++x, g += 10, b += 10)
            paint(x);
        r = 0, g = 255, b = 0;
        for (; x < end && b < 255; ++x, r += 10, b += 10)
            paint(x);
        r = 0, g = 0, b = 255;
        for (; x < end && r < 255; ++x, r += 10, g += 10)
            paint(x);
        ++x;
    }
}

}  // namespace

uint8_t PatternForStyleCode(uint8_t StyleCode)
{
    static constexpr std::array<uint8_t, 9> kShuffled{0, 2, 3, 4, 5, 6, 1, 8, 7};
    return StyleCode < kShuffled.size() ? kShuffled[StyleCode] : StyleCode;
}

void FillBackgroundPattern(Canvas& canvas, int32_t Width, int32_t Height, Color BackColour, Color PatternColour,
                           uint8_t Step, uint8_t Pattern)
{
    FillBackgroundPatternWithStep(canvas, Width, Height, BackColour, PatternColour, Step, Pattern);
}

void FillBackgroundPatternWithStep(Canvas& canvas, int32_t Width, int32_t Height, Color BackColour, Color PatternColour,
                                   int32_t Step, uint8_t Pattern)
{
    canvas.pen.style = PenStyle::Null;
    canvas.brush.color = BackColour;
    canvas.brush.style = BrushStyle::Solid;
    canvas.fillRect(IRect{0, 0, Width, Height}, BackColour);
    canvas.pen.color = PatternColour;
    canvas.pen.mode = PenMode::Copy;
    canvas.pen.style = PenStyle::Solid;
    canvas.pen.width = 1;

    Area a{canvas,
           Width,
           Height,
           std::max(canvas.width(), 0),
           std::max(canvas.height(), 0),
           BackColour,
           PatternColour,
           std::max<Wide>(Step, 1)};
    switch (Pattern) {
    case 0:
        dotGrid(a);
        break;
    case 1:
        staggeredDots(a);
        break;
    case 2:
        verticalLines(a);
        break;
    case 3:
        horizontalLines(a);
        break;
    case 4:
        verticalLines(a);
        horizontalLines(a);
        break;
    case 5:
        risingDiagonals(a);
        break;
    case 6:
        fallingDiagonals(a);
        break;
    case 7:
        rays(a);
        break;
    case 8:
        gradient(a, {Walk::LeftToRight, false, true});
        break;
    case 9:
        concentricCircles(a);
        break;
    case 10:
        tallEllipses(a);
        break;
    case 11:
        quarterCircles(a);
        break;
    case 12:
        gradient(a, {Walk::RightToLeft, false, true});
        break;
    case 13:
        gradient(a, {Walk::LeftToRight, true, true});
        break;
    case 14:
        gradient(a, {Walk::RightToLeft, true, true});
        break;
    case 15:
        gradient(a, {Walk::TopToBottom, true, false});
        break;
    case 16:
        gradient(a, {Walk::TopToBottom, false, true});
        break;
    case 17:
        gradient(a, {Walk::BottomToTop, true, true});
        break;
    case 18:
        gradient(a, {Walk::BottomToTop, false, true});
        break;
    case 19:
        bands(a, false, false);
        break;
    case 20:
        bands(a, false, true);
        break;
    case 21:
        bands(a, true, false);
        break;
    case 22:
        bands(a, true, true);
        break;
    case 23:
        colourRamps(a);
        break;
    case 24:
        a.fill(0, 0, Width, Height, BackColour);
        break;
    default:
        break;  // above 24: the back colour alone
    }
}

}  // namespace vr
