#include "gfx/metafile/metafile_player.h"

#include <algorithm>
#include <atomic>
#include <numbers>

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTransform>

#include "gfx/codecs/codecs.h"
#include "gfx/fonts/charset.h"
#include "gfx/fonts/glyph_text.h"

namespace vr::mf {
namespace {

constexpr double kCoordLimit = 1 << 30;  // canvas coordinates are kept within this
// Text positions along a run are kept within this, so that the difference of two fits an int.
constexpr int64_t kAdvanceLimit = int64_t{1} << 29;

int toCanvas(double v)
{
    if (!(v == v))  // NaN
        return 0;
    return static_cast<int>(std::floor(std::clamp(v, -kCoordLimit, kCoordLimit) + 0.5));
}

// The affine map from logical coordinates to the canvas: X = a x + c y + e, Y = b x + d y + f.
struct Affine {
    double a, b, c, d, e, f;
};

Affine affineOf(const DcState& dc, bool wmf, double kx, double qx, double ky, double qy, double pxPerMmX,
                double pxPerMmY)
{
    double sx = 1, sy = 1;
    auto ratio = [](double v, double w) { return w != 0 ? v / w : 0.0; };
    if (wmf || dc.mapMode == MmAnisotropic || dc.mapMode == MmIsotropic) {
        sx = ratio(dc.vpExtX, dc.winExtX);
        sy = ratio(dc.vpExtY, dc.winExtY);
        if (dc.mapMode == MmIsotropic) {
            // The platform shrinks the larger scale to the smaller, keeping the signs.
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
    } else {
        double mmPerUnit = 0;
        switch (dc.mapMode) {
        case MmLoMetric:
            mmPerUnit = 0.1;
            break;
        case MmHiMetric:
            mmPerUnit = 0.01;
            break;
        case MmLoEnglish:
            mmPerUnit = 0.254;
            break;
        case MmHiEnglish:
            mmPerUnit = 0.0254;
            break;
        case MmTwips:
            mmPerUnit = 25.4 / 1440;
            break;
        default:
            break;
        }
        if (mmPerUnit > 0) {
            sx = mmPerUnit * pxPerMmX;
            sy = -mmPerUnit * pxPerMmY;  // y grows upwards in the fixed modes
        }
    }
    const double ox = dc.vpOrgX - dc.winOrgX * sx, oy = dc.vpOrgY - dc.winOrgY * sy;
    return Affine{
        kx * sx * dc.m11,           ky * sy * dc.m12, kx * sx * dc.m21, ky * sy * dc.m22, kx * (sx * dc.dx + ox) + qx,
        ky * (sy * dc.dy + oy) + qy};
}

std::vector<DPoint> ellipsePoints(double l, double t, double r, double b)
{
    std::vector<DPoint> out;
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    for (int k = 0; k < 64; ++k) {
        const double a = k * std::numbers::pi / 32;
        out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return out;
}

std::atomic<uint64_t> clipIds{1};

}  // namespace

uint64_t nextClipId()
{
    return clipIds.fetch_add(1);
}

namespace {
// Pixels a flood fill may visit at most (the destination is bounded by the canvas anyway).
constexpr int64_t kMaxFloodPixels = int64_t{1} << 24;
}  // namespace

Player::Player(Canvas& canvas, const IRect& dest, Diagnostics* diagnostics)
    : canvas_(canvas), dest_(dest), diagnostics_(diagnostics)
{
    canvas_.save();
    canvas_.clipTo(dest);
}

Player::~Player()
{
    if (clipApplied_)
        canvas_.restore();
    canvas_.restore();
}

DPoint Player::map(double x, double y) const
{
    const double kx = dest_.width() / refWidth, ky = dest_.height() / refHeight;
    const double qx = dest_.left - refLeft * kx, qy = dest_.top - refTop * ky;
    const Affine m = affineOf(dc, wmf, kx, qx, ky, qy, pxPerMmX, pxPerMmY);
    return DPoint{m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f};
}

DPoint Player::mapDevice(double x, double y) const
{
    return DPoint{dest_.left + (x - refLeft) * dest_.width() / refWidth,
                  dest_.top + (y - refTop) * dest_.height() / refHeight};
}

QRegion Player::mapRegion(const QRegion& r, bool device) const
{
    // Only the part within the destination counts (clips are cut to it anyway).
    auto cx = [&](double v) { return std::clamp(toCanvas(v), dest_.left - 1, dest_.right + 1); };
    auto cy = [&](double v) { return std::clamp(toCanvas(v), dest_.top - 1, dest_.bottom + 1); };
    std::vector<QRect> rects;
    for (const QRect& q : r) {
        const double l = q.left(), t = q.top(), rr = q.right() + 1.0, b = q.bottom() + 1.0;
        const DPoint a = device ? mapDevice(l, t) : map(l, t), z = device ? mapDevice(rr, b) : map(rr, b);
        const int x0 = cx(std::min(a.x, z.x)), x1 = cx(std::max(a.x, z.x));
        const int y0 = cy(std::min(a.y, z.y)), y1 = cy(std::max(a.y, z.y));
        if (x1 > x0 && y1 > y0)
            rects.emplace_back(x0, y0, x1 - x0, y1 - y0);
    }
    return unionOf(std::move(rects));
}

IPoint Player::mapI(double x, double y) const
{
    const DPoint p = map(x, y);
    return IPoint{toCanvas(p.x), toCanvas(p.y)};
}

double Player::scaleX() const
{
    const DPoint o = map(0, 0), u = map(1, 0);
    return std::hypot(u.x - o.x, u.y - o.y);
}

double Player::scaleY() const
{
    const DPoint o = map(0, 0), u = map(0, 1);
    return std::hypot(u.x - o.x, u.y - o.y);
}

bool Player::axisAligned() const
{
    const DPoint o = map(0, 0), ux = map(1, 0), uy = map(0, 1);
    const double eps = 1e-9 * (scaleX() + scaleY());
    return std::abs(ux.y - o.y) <= eps && std::abs(uy.x - o.x) <= eps;
}

std::vector<IPoint> Player::mapPoints(const std::vector<DPoint>& pts) const
{
    std::vector<IPoint> out;
    out.reserve(pts.size());
    for (const DPoint& p : pts)
        out.push_back(mapI(p.x, p.y));
    return out;
}

void Player::saveDc()
{
    if (saved_.size() < 1024)
        saved_.push_back(dc);
}

void Player::restoreDc(int which)
{
    // Negative: that many levels back; positive: the level of that number (1 is the first save).
    size_t level;
    if (which < 0) {
        const size_t back = static_cast<size_t>(-static_cast<int64_t>(which));
        if (back > saved_.size())
            return;
        level = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<size_t>(which) > saved_.size())
            return;
        level = static_cast<size_t>(which) - 1;
    }
    dc = saved_[level];
    saved_.resize(level);
}

namespace {
QRegion rectRegion(IPoint a, IPoint z, const IRect& dest)
{
    // Cut to the destination first: the width of a far rectangle would not fit an int.
    const int l = std::clamp(std::min(a.x, z.x), dest.left - 1, dest.right + 1);
    const int r = std::clamp(std::max(a.x, z.x), dest.left - 1, dest.right + 1);
    const int t = std::clamp(std::min(a.y, z.y), dest.top - 1, dest.bottom + 1);
    const int b = std::clamp(std::max(a.y, z.y), dest.top - 1, dest.bottom + 1);
    return r > l && b > t ? QRegion(l, t, r - l, b - t) : QRegion();
}
}  // namespace

void Player::intersectClip(double l, double t, double r, double b)
{
    combineClip(rectRegion(mapI(l, t), mapI(r, b), dest_), 1);
}

void Player::excludeClip(double l, double t, double r, double b)
{
    combineClip(rectRegion(mapI(l, t), mapI(r, b), dest_), 4);
}

void Player::combineClip(const std::optional<QRegion>& r, int mode)
{
    const QRegion whole(dest_.left, dest_.top, dest_.width(), dest_.height());
    const QRegion current = dc.clip ? *dc.clip : whole;
    const QRegion given = r ? *r & whole : QRegion();
    switch (mode) {
    case 1:
        dc.clip = current & given;
        break;
    case 2:
        dc.clip = current | given;
        break;
    case 3:
        dc.clip = current ^ given;
        break;
    case 4:
        dc.clip = current - given;
        break;
    case 5:
        if (r)
            dc.clip = given;
        else
            dc.clip.reset();
        break;
    default:
        return;
    }
    dc.clipId = nextClipId();
}

void Player::offsetClip(double dx, double dy)
{
    if (!dc.clip)
        return;
    const DPoint o = map(0, 0), d = map(dx, dy);
    const double mx = d.x - o.x, my = d.y - o.y;
    // Beyond the destination's own size an offset leaves nothing of the clip in it anyway.
    const double reach =
        2.0 * (std::abs(static_cast<double>(dest_.width())) + std::abs(static_cast<double>(dest_.height()))) + 2;
    if (!(std::abs(mx) < kCoordLimit && std::abs(my) < kCoordLimit))
        return;
    if (std::abs(mx) > reach || std::abs(my) > reach) {
        dc.clip = QRegion();
        dc.clipId = nextClipId();
        return;
    }
    const QRegion whole(dest_.left, dest_.top, dest_.width(), dest_.height());
    dc.clip = dc.clip->translated(toCanvas(mx), toCanvas(my)) & whole;
    dc.clipId = nextClipId();
}

void Player::applyClip()
{
    const uint64_t id = dc.clip ? dc.clipId : 0;
    if (id == appliedClipId_)
        return;
    if (clipApplied_)
        canvas_.restore();
    clipApplied_ = false;
    if (dc.clip) {
        canvas_.save();
        if (dc.clip->rectCount() <= 1) {
            const QRect b = dc.clip->boundingRect();
            canvas_.clipTo(dc.clip->isEmpty() ? IRect{dest_.left, dest_.top, dest_.left, dest_.top}
                                              : IRect{b.left(), b.top(), b.right() + 1, b.bottom() + 1});
        } else {
            canvas_.clipToRegion(*dc.clip);
        }
        clipApplied_ = true;
    }
    appliedClipId_ = id;
}

Brush Player::canvasBrush(const Brush& b, bool mono) const
{
    if (!mono || !b.pattern)
        return b;
    // 0 bits (black) take the text colour, 1 bits (white) the background colour.
    QImage im = b.pattern->convertToFormat(QImage::Format_RGB32);
    const QRgb fg = toArgb(dc.textColor), bg = toArgb(dc.bkColor);
    for (int y = 0; y < im.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(im.scanLine(y));
        for (int x = 0; x < im.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) != 0 ? bg : fg;
    }
    Brush out = b;
    out.pattern = std::make_shared<const QImage>(std::move(im));
    return out;
}

void Player::apply()
{
    applyClip();
    Pen p = dc.pen;
    if (p.width > 0)
        p.width = roundedInt(p.width * scaleX(), 1.0, 4096.0);
    else
        p.width = 1;
    p.mode = static_cast<PenMode>(std::clamp(dc.rop2, 1, 16));
    canvas_.pen = p;
    canvas_.brush = dc.monoBrush ? canvasBrush(dc.brush, true) : dc.brush;
    canvas_.opaqueBackground = dc.opaque;
    canvas_.backgroundColor = dc.bkColor;
    canvas_.windingFill = dc.winding;
}

void Player::select(const GdiObject& o)
{
    switch (o.type) {
    case GdiObject::Type::Pen:
        dc.pen = o.pen;
        break;
    case GdiObject::Type::Brush:
        dc.brush = o.brush;
        dc.monoBrush = o.monoPattern;
        break;
    case GdiObject::Type::Font:
        dc.font = o.font;
        break;
    case GdiObject::Type::Region:
    case GdiObject::Type::Other:
        break;
    }
}

void Player::lineTo(double x, double y)
{
    if (inPath) {
        if (path.empty() || path.back().closed)
            path.push_back(Figure{{dc.pos}, false});
        path.back().pts.push_back({x, y});
        dc.pos = {x, y};
        return;
    }
    apply();
    const IPoint a = mapI(dc.pos.x, dc.pos.y), b = mapI(x, y);
    canvas_.moveTo(a.x, a.y);
    canvas_.lineTo(b.x, b.y);
    dc.pos = {x, y};
}

void Player::rectangle(double l, double t, double r, double b)
{
    if (inPath || !axisAligned()) {
        polygon({{{l, t}, {r, t}, {r, b}, {l, b}}});
        return;
    }
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    canvas_.rectangle(IRect{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)});
}

void Player::roundRect(double l, double t, double r, double b, double w, double h)
{
    if (inPath || !axisAligned()) {
        polygon({{{l, t}, {r, t}, {r, b}, {l, b}}});
        return;
    }
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    canvas_.roundRect(IRect{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)},
                      toCanvas(std::abs(w) * scaleX()), toCanvas(std::abs(h) * scaleY()));
}

void Player::ellipse(double l, double t, double r, double b)
{
    if (inPath || !axisAligned()) {
        polygon({ellipsePoints(l, t, r, b)});
        return;
    }
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    canvas_.ellipse(IRect{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)});
}

void Player::arc(ArcKind kind, double l, double t, double r, double b, DPoint start, DPoint end)
{
    if (inPath)
        return;
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    const IRect box{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    IPoint s = mapI(start.x, start.y), e = mapI(end.x, end.y);
    // The canvas goes counter-clockwise: a clockwise arc is the same arc from its end.
    if (dc.arcClockwise)
        std::swap(s, e);
    switch (kind) {
    case ArcKind::Arc:
        canvas_.arc(box, s, e);
        break;
    case ArcKind::Pie:
        canvas_.pie(box, s, e);
        break;
    case ArcKind::Chord:
        canvas_.chord(box, s, e);
        break;
    }
}

void Player::polyline(const std::vector<DPoint>& pts)
{
    if (pts.empty())
        return;
    if (inPath) {
        path.push_back(Figure{pts, false});
        return;
    }
    apply();
    canvas_.polyline(mapPoints(pts));
}

void Player::polygon(const std::vector<std::vector<DPoint>>& polys)
{
    if (inPath) {
        for (const auto& p : polys)
            if (!p.empty())
                path.push_back(Figure{p, true});
        return;
    }
    apply();
    if (polys.size() == 1) {
        canvas_.polygon(mapPoints(polys[0]));
        return;
    }
    std::vector<std::vector<IPoint>> out;
    for (const auto& p : polys)
        out.push_back(mapPoints(p));
    canvas_.polyPolygon(out);
}

void Player::setPixel(double x, double y, Color c)
{
    apply();
    const IPoint p = mapI(x, y);
    canvas_.setPixel(p.x, p.y, c);
}

bool Player::flipsOrientation() const
{
    const DPoint o = map(0, 0), ux = map(1, 0), uy = map(0, 1);
    return (ux.x - o.x) * (uy.y - o.y) - (ux.y - o.y) * (uy.x - o.x) < 0;
}

// The suite's own 8-bit faces draw their bytes glyph by glyph as everywhere else in the reader.
void Player::suiteText(const DPoint& ref, const TextInput& in)
{
    const LogFont& lf = dc.font;
    FontRequest f;
    f.face = lf.face;
    const double px = std::abs(static_cast<double>(lf.height)) * scaleY();
    f.pixelHeight = lf.height == 0 ? 0 : roundedInt(px, 1.0, 4096.0);
    f.style = static_cast<uint8_t>((lf.weight >= 600 ? 1 : 0) | (lf.italic ? 2 : 0) | (lf.underline ? 4 : 0) |
                                   (lf.strikeOut ? 8 : 0));
    f.escapement = lf.escapement;
    f.color = dc.textColor;
    canvas_.font = f;
    const TextMetrics m = canvas_.textMetrics();
    const double width = canvas_.textWidth(in.bytes);
    double along = 0, down = 0;
    if ((dc.textAlign & 6) == 2)
        along = -width;
    else if ((dc.textAlign & 6) == 6)
        along = -width / 2;
    if ((dc.textAlign & 24) == 24)
        down = -m.ascent;
    else if ((dc.textAlign & 24) == 8)
        down = -m.height();
    const double angle = f.escapement * std::numbers::pi / 1800;
    const double cs = std::cos(angle), sn = std::sin(angle);
    canvas_.textOut(toCanvas(ref.x + along * cs + down * sn), toCanvas(ref.y - along * sn + down * cs), in.bytes);
}

void Player::text(double x, double y, const TextInput& in)
{
    if (inPath)
        return;
    apply();
    auto mappedRect = [&](const double* r) {
        const IPoint a = mapI(r[0], r[1]), z = mapI(r[2], r[3]);
        return IRect{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    };
    if (in.hasRect && (in.options & eto::Opaque))
        canvas_.fillRect(mappedRect(in.rect), dc.bkColor);
    if (in.text.empty())
        return;
    const bool updateCp = (dc.textAlign & 1) != 0;
    if (updateCp) {
        x = dc.pos.x;
        y = dc.pos.y;
    }
    const DPoint ref = map(x, y);
    const bool clipped = in.hasRect && (in.options & eto::Clipped);
    if (clipped) {
        canvas_.save();
        canvas_.clipTo(mappedRect(in.rect));
    }
    const LogFont& lf = dc.font;
    if (!in.bytes.empty() && isSuiteFace(lf.face)) {
        suiteText(ref, in);
        if (clipped)
            canvas_.restore();
        return;
    }
    const double sx = scaleX(), sy = scaleY();
    TextRun run;
    run.font.face = lf.face;
    const double h = lf.height * sy;
    run.font.height = lf.height == 0 ? 0 : (h < 0 ? -1 : 1) * roundedInt(std::abs(h), 1.0, 4096.0);
    run.font.width = lf.width == 0 ? 0 : roundedInt(std::abs(lf.width * sx), 1.0, 4096.0);
    run.font.weight = lf.weight <= 0 ? 400 : std::clamp(lf.weight, 100, 900);
    run.font.italic = lf.italic;
    run.font.underline = lf.underline;
    run.font.strikeOut = lf.strikeOut;
    // Angles turn counter-clockwise as the page is seen, whichever way the logical y axis points.
    run.font.escapement = lf.escapement % 3600;
    run.font.orientation = lf.orientation % 3600;
    run.font.color = dc.textColor;
    run.text = in.text;
    run.glyphIndexes = in.glyphIndexes;
    const size_t n = run.text.size();
    // Advances: the record's own (as whole pixels of their running sum), else the font's with the
    // character extra and the justification's share for each break character.
    if (!in.dx.empty()) {
        double sum = 0;
        int64_t prev = 0;
        for (size_t k = 0; k < n; ++k) {
            sum += k < in.dx.size() ? in.dx[k] : 0;
            const int64_t at = roundedInt(sum * sx, -kAdvanceLimit, kAdvanceLimit);
            run.advances.push_back(static_cast<int>(at - prev));
            prev = at;
        }
    } else if (dc.charExtra != 0 || (dc.breakExtra != 0 && dc.breakCount > 0)) {
        const TextRunMeasure natural = canvas_.measureTextRun(run);
        const int extra = toCanvas(dc.charExtra * sx);
        const int breaks = static_cast<int>(std::count(run.text.begin(), run.text.end(), u' '));
        const int64_t total = toCanvas(dc.breakExtra * sx);
        int64_t given = 0;
        int seen = 0;
        for (size_t k = 0; k < n; ++k) {
            int64_t adv = int64_t{k < natural.advances.size() ? natural.advances[k] : 0} + extra;
            if (run.text[k] == u' ' && breaks > 0) {
                ++seen;
                const int64_t upTo = total * seen / breaks;
                adv += upTo - given;
                given = upTo;
            }
            run.advances.push_back(static_cast<int>(std::clamp<int64_t>(adv, -kAdvanceLimit, kAdvanceLimit)));
        }
    }
    const TextRunMeasure m = canvas_.measureTextRun(run);
    const double width = m.width;
    double along = 0, down = 0;
    if ((dc.textAlign & 6) == 2)
        along = -width;
    else if ((dc.textAlign & 6) == 6)
        along = -width / 2;
    if ((dc.textAlign & 24) == 0)
        down = m.ascent;
    else if ((dc.textAlign & 24) == 8)
        down = -m.descent;
    const double angle = run.font.escapement * std::numbers::pi / 1800;
    const double ux = std::cos(angle), uy = -std::sin(angle);  // along the baseline
    const double vx = std::sin(angle), vy = std::cos(angle);  // downwards
    const double ox = ref.x + along * ux + down * vx, oy = ref.y + along * uy + down * vy;
    if (dc.opaque && !(in.options & eto::Opaque)) {
        // An opaque background fills the text's cell box.
        const double a = m.ascent, d = m.descent;
        if (run.font.escapement == 0) {
            canvas_.fillRect(IRect{toCanvas(ox), toCanvas(oy - a), toCanvas(ox + width), toCanvas(oy + d)}, dc.bkColor);
        } else {
            const Pen keepPen = canvas_.pen;
            const Brush keepBrush = canvas_.brush;
            canvas_.pen.style = PenStyle::Null;
            canvas_.brush = Brush{dc.bkColor, BrushStyle::Solid, nullptr};
            auto at = [&](double s, double t) {
                return IPoint{toCanvas(ox + s * ux + t * vx), toCanvas(oy + s * uy + t * vy)};
            };
            canvas_.polygon({at(0, -a), at(width, -a), at(width, d), at(0, d)});
            canvas_.pen = keepPen;
            canvas_.brush = keepBrush;
        }
    }
    const bool shifted = std::any_of(in.dy.begin(), in.dy.end(), [](double v) { return v != 0; });
    if (!shifted) {
        canvas_.drawTextRun(ox, oy, run);
    } else {
        // ETO_PDY: each character at its own place, the vertical advances upwards.
        double s = 0, t = 0;
        for (size_t k = 0; k < n; ++k) {
            TextRun one = run;
            one.text = run.text.substr(k, 1);
            one.advances = {run.advances[k]};
            canvas_.drawTextRun(ox + s * ux + t * vx, oy + s * uy + t * vy, one);
            s += run.advances[k];
            t -= (k < in.dy.size() ? in.dy[k] : 0) * sy;
        }
    }
    if (clipped)
        canvas_.restore();
    if (updateCp && sx > 0 && (dc.textAlign & 6) != 6)
        dc.pos.x += ((dc.textAlign & 6) == 2 ? -width : width) / sx;
}

void Player::blit(double l, double t, double r, double b, const QImage* image, const IRect& src, uint32_t rop)
{
    if (inPath)
        return;
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    const IRect dest{a.x, a.y, z.x, z.y};
    if (image && !image->isNull())
        canvas_.stretchBlt(dest, *image, src, rop);
    else
        canvas_.patBlt(dest, rop);
}

void Player::maskBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, const QImage& mask,
                      IPoint maskAt, uint32_t rop4)
{
    if (inPath || image.isNull())
        return;
    // Two passes over copies of the source, each transparent where the other operation applies.
    const uint32_t fore = ((rop4 >> 16) & 0xFF) << 16, back = ((rop4 >> 24) & 0xFF) << 16;
    for (const bool foreground : {false, true}) {
        const uint32_t op = foreground ? fore : back;
        if (op == 0x00AA0000u)  // leaves the destination
            continue;
        QImage part = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < part.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
            for (int x = 0; x < part.width(); ++x) {
                const int mx = x - src.left + maskAt.x, my = y - src.top + maskAt.y;
                const bool one = !mask.isNull() && mx >= 0 && my >= 0 && mx < mask.width() && my < mask.height() &&
                    (mask.pixel(mx, my) & 0xFFFFFF) != 0;
                line[x] = one == foreground ? (line[x] | 0xFF000000u) : 0u;
            }
        }
        blit(l, t, r, b, &part, src, op | 0x0000FFFFu);
    }
}

void Player::plgBlit(const DPoint pts[3], const QImage& image, const IRect& src, const QImage* mask, IPoint maskAt)
{
    if (inPath || image.isNull() || src.empty())
        return;
    apply();
    const DPoint p0 = map(pts[0].x, pts[0].y), p1 = map(pts[1].x, pts[1].y), p2 = map(pts[2].x, pts[2].y);
    const DPoint p3{p1.x + p2.x - p0.x, p1.y + p2.y - p0.y};
    const double minX = std::min({p0.x, p1.x, p2.x, p3.x}), maxX = std::max({p0.x, p1.x, p2.x, p3.x});
    const double minY = std::min({p0.y, p1.y, p2.y, p3.y}), maxY = std::max({p0.y, p1.y, p2.y, p3.y});
    // Only the part inside the destination can show.
    const int l = std::max(toCanvas(minX), dest_.left), r = std::min(toCanvas(maxX), dest_.right);
    const int t = std::max(toCanvas(minY), dest_.top), b = std::min(toCanvas(maxY), dest_.bottom);
    if (l >= r || t >= b)
        return;
    QImage source = image.copy(src.left, src.top, src.width(), src.height()).convertToFormat(QImage::Format_ARGB32);
    if (mask)
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const int mx = x + maskAt.x, my = y + maskAt.y;
                if (mx < 0 || my < 0 || mx >= mask->width() || my >= mask->height() ||
                    (mask->pixel(mx, my) & 0xFFFFFF) == 0)
                    source.setPixel(x, y, 0);
            }
    QImage out(r - l, b - t, QImage::Format_ARGB32);
    if (out.isNull())
        return;
    out.fill(0);
    {
        QPainter p(&out);
        const double w = src.width(), h = src.height();
        p.setTransform(
            QTransform((p1.x - p0.x) / w, (p1.y - p0.y) / w, (p2.x - p0.x) / h, (p2.y - p0.y) / h, p0.x - l, p0.y - t));
        p.drawImage(QPointF(0, 0), source);
    }
    canvas_.stretchBlt(IRect{l, t, r, b}, out, IRect{0, 0, out.width(), out.height()}, rop::SrcCopy);
}

void Player::alphaBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, int constantAlpha,
                       bool perPixel)
{
    if (inPath || image.isNull())
        return;
    apply();
    const IPoint a = mapI(l, t), z = mapI(r, b);
    canvas_.alphaBlend(IRect{a.x, a.y, z.x, z.y}, image, src, constantAlpha, perPixel);
}

void Player::transparentBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, Color key)
{
    if (inPath || image.isNull())
        return;
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = toArgb(key) & 0xFFFFFF;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == k ? 0u : (line[x] | 0xFF000000u);
    }
    blit(l, t, r, b, &keyed, src, rop::SrcCopy);
}

void Player::fillRegion(const QRegion& r, const Brush& b)
{
    if (inPath)
        return;
    apply();
    const Brush keep = canvas_.brush;
    canvas_.brush = b;
    for (const QRect& q : r)
        canvas_.patBlt(IRect{q.left(), q.top(), q.right() + 1, q.bottom() + 1}, rop::PatCopy);
    canvas_.brush = keep;
}

void Player::frameRegion(const QRegion& r, const Brush& b, double w, double h)
{
    const int fw = std::clamp(toCanvas(std::abs(w) * scaleX()), 1, 1 << 16);
    const int fh = std::clamp(toCanvas(std::abs(h) * scaleY()), 1, 1 << 16);
    // The frame is what the region loses when it shrinks by the frame's width and height.
    const QRegion inner = r & r.translated(fw, 0) & r.translated(-fw, 0) & r.translated(0, fh) & r.translated(0, -fh);
    fillRegion(r - inner, b);
}

void Player::invertRegion(const QRegion& r)
{
    if (inPath)
        return;
    apply();
    for (const QRect& q : r)
        canvas_.patBlt(IRect{q.left(), q.top(), q.right() + 1, q.bottom() + 1}, rop::DstInvert);
}

void Player::floodFill(double x, double y, Color color, bool surface)
{
    if (inPath)
        return;
    apply();
    const IPoint start = mapI(x, y);
    // The fill stays within the clip (canvas coordinates of the current origin).
    const IRect& c = canvas_.state().clip;
    const int64_t ox = canvas_.state().originX, oy = canvas_.state().originY;
    const IRect box{static_cast<int>(c.left - ox), static_cast<int>(c.top - oy), static_cast<int>(c.right - ox),
                    static_cast<int>(c.bottom - oy)};
    if (start.x < box.left || start.y < box.top || start.x >= box.right || start.y >= box.bottom)
        return;
    auto fillable = [&](int px, int py) { return (canvas_.pixel(px, py) == color) == surface; };
    if (!fillable(start.x, start.y))
        return;
    const int w = box.width();
    std::vector<uint8_t> seen(static_cast<size_t>(w) * static_cast<size_t>(box.height()), 0);
    auto mark = [&](int px, int py) -> uint8_t& {
        return seen[static_cast<size_t>(py - box.top) * static_cast<size_t>(w) + static_cast<size_t>(px - box.left)];
    };
    std::vector<IPoint> stack{start};
    std::vector<IRect> spans;
    int64_t visited = 0;
    while (!stack.empty() && visited < kMaxFloodPixels) {
        const IPoint p = stack.back();
        stack.pop_back();
        if (mark(p.x, p.y) || !fillable(p.x, p.y))
            continue;
        int a = p.x, e = p.x + 1;
        while (a > box.left && !mark(a - 1, p.y) && fillable(a - 1, p.y))
            --a;
        while (e < box.right && !mark(e, p.y) && fillable(e, p.y))
            ++e;
        for (int k = a; k < e; ++k)
            mark(k, p.y) = 1;
        visited += e - a;
        spans.push_back(IRect{a, p.y, e, p.y + 1});
        for (const int ny : {p.y - 1, p.y + 1}) {
            if (ny < box.top || ny >= box.bottom)
                continue;
            for (int k = a; k < e; ++k)
                if (!mark(k, ny) && (k == a || mark(k - 1, ny) || !fillable(k - 1, ny)) && fillable(k, ny))
                    stack.push_back(IPoint{k, ny});
        }
    }
    for (const IRect& span : spans)
        canvas_.patBlt(span, rop::PatCopy);
}

std::vector<DPoint> Player::arcPoints(double l, double t, double r, double b, DPoint start, DPoint end) const
{
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
    std::vector<DPoint> out;
    if (rx <= 0 || ry <= 0)
        return out;
    // Counter-clockwise on the device unless the arc direction says clockwise, as canvas arcs
    // go; angles are worked out in logical space, whose y axis may point up.
    auto angleOf = [&](DPoint p) { return std::atan2(-(p.y - cy) / ry, (p.x - cx) / rx); };
    const double a0 = angleOf(start), a1 = angleOf(end);
    const double dir = (!dc.arcClockwise) != flipsOrientation() ? 1 : -1;
    double sweep = dir > 0 ? a1 - a0 : a0 - a1;
    while (sweep <= 0)
        sweep += 2 * std::numbers::pi;
    const int steps = std::clamp(static_cast<int>(sweep * 16), 4, 256);
    for (int k = 0; k <= steps; ++k) {
        const double a = a0 + dir * sweep * k / steps;
        out.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return out;
}

void Player::clipPath(int mode)
{
    inPath = false;
    std::vector<Figure> figures;
    figures.swap(path);
    QRegion r;
    QPainterPath pp;
    pp.setFillRule(dc.winding ? Qt::WindingFill : Qt::OddEvenFill);
    for (const Figure& f : figures) {
        if (f.pts.size() < 3)
            continue;
        QPolygon poly;
        for (const IPoint& p : mapPoints(f.pts))
            poly << QPoint(p.x, p.y);
        pp.addPolygon(QPolygonF(poly));
        pp.closeSubpath();
    }
    if (!pp.isEmpty()) {
        const QRect box =
            pp.boundingRect().toAlignedRect() & QRect(dest_.left, dest_.top, dest_.width(), dest_.height());
        if (!box.isEmpty()) {
            QImage m(box.size(), QImage::Format_Grayscale8);
            m.fill(0);
            QPainter p(&m);
            p.setRenderHint(QPainter::Antialiasing, false);
            p.translate(-box.left(), -box.top());
            p.fillPath(pp, Qt::white);
            p.end();
            // The covered pixels row by row, in bands as regions keep them.
            std::vector<QRect> rects;
            for (int y = 0; y < m.height(); ++y) {
                const uchar* line = m.constScanLine(y);
                for (int x = 0; x < m.width();) {
                    if (line[x] == 0) {
                        ++x;
                        continue;
                    }
                    const int start = x;
                    while (x < m.width() && line[x] != 0)
                        ++x;
                    rects.emplace_back(box.left() + start, box.top() + y, x - start, 1);
                }
            }
            r.setRects(rects.data(), static_cast<int>(rects.size()));
        }
    }
    combineClip(r, mode);
}

void Player::pathPolyline(const std::vector<DPoint>& pts, bool fromCurrent)
{
    if (!fromCurrent) {
        polyline(pts);
        return;
    }
    if (!inPath) {
        std::vector<DPoint> all{dc.pos};
        all.insert(all.end(), pts.begin(), pts.end());
        polyline(all);
    } else {
        if (path.empty() || path.back().closed)
            path.push_back(Figure{{dc.pos}, false});
        path.back().pts.insert(path.back().pts.end(), pts.begin(), pts.end());
    }
    if (!pts.empty())
        dc.pos = pts.back();
}

void Player::closeFigure()
{
    if (inPath && !path.empty())
        path.back().closed = true;
}

void Player::drawPath(bool fill, bool stroke)
{
    inPath = false;
    std::vector<Figure> figures;
    figures.swap(path);
    if (fill) {
        std::vector<std::vector<DPoint>> polys;
        for (const Figure& f : figures)
            if (f.pts.size() > 1)
                polys.push_back(f.pts);
        const Pen keep = dc.pen;
        dc.pen.style = PenStyle::Null;
        if (!polys.empty())
            polygon(polys);
        dc.pen = keep;
    }
    if (stroke) {
        const Brush keep = dc.brush;
        dc.brush.style = BrushStyle::Clear;
        for (const Figure& f : figures) {
            if (f.pts.size() < 2)
                continue;
            if (f.closed)
                polygon({f.pts});
            else
                polyline(f.pts);
        }
        dc.brush = keep;
    }
}

QRegion polygonRegion(const QPolygonF& polygon, const QRect& box, Qt::FillRule rule)
{
    // Sutherland-Hodgman against the box grown by a pixel, so that the region's scan stays
    // within it however far the points lie.
    const double l = box.left() - 1.0, t = box.top() - 1.0, r = box.right() + 2.0, b = box.bottom() + 2.0;
    QPolygonF poly = polygon;
    for (int side = 0; side < 4 && !poly.isEmpty(); ++side) {
        auto inside = [&](const QPointF& p) {
            switch (side) {
            case 0:
                return p.x() >= l;
            case 1:
                return p.x() <= r;
            case 2:
                return p.y() >= t;
            default:
                return p.y() <= b;
            }
        };
        auto cut = [&](const QPointF& p, const QPointF& q) {
            const double edge = side == 0 ? l : side == 1 ? r : side == 2 ? t : b;
            const double u = side < 2 ? (edge - p.x()) / (q.x() - p.x()) : (edge - p.y()) / (q.y() - p.y());
            return p + (q - p) * u;
        };
        QPolygonF out;
        for (qsizetype k = 0; k < poly.size(); ++k) {
            const QPointF& cur = poly[k];
            const QPointF& prev = poly[(k + poly.size() - 1) % poly.size()];
            if (inside(cur)) {
                if (!inside(prev))
                    out << cut(prev, cur);
                out << cur;
            } else if (inside(prev)) {
                out << cut(prev, cur);
            }
        }
        poly = out;
    }
    if (poly.size() < 3)
        return QRegion();
    return QRegion(poly.toPolygon(), rule) & box;
}

QRegion unionOf(std::vector<QRect> rects)
{
    // Pairwise merging keeps the cost near n log n for regions of many rectangles given in any
    // order.
    std::vector<QRegion> parts;
    parts.reserve(rects.size());
    for (const QRect& q : rects)
        if (!q.isEmpty())
            parts.emplace_back(q);
    while (parts.size() > 1) {
        std::vector<QRegion> next;
        next.reserve(parts.size() / 2 + 1);
        for (size_t k = 0; k < parts.size(); k += 2)
            next.push_back(k + 1 < parts.size() ? parts[k].united(parts[k + 1]) : parts[k]);
        parts.swap(next);
    }
    return parts.empty() ? QRegion() : parts[0];
}

std::optional<QRegion> rgnData(const Record& r, size_t off, size_t size)
{
    // RGNDATAHEADER: size 32, type 1, count, region size, bounds; then count rectangles.
    if (size < 32 || !r.has(off, size))
        return std::nullopt;
    const size_t count = r.u32(off + 8);
    if (count > (size - 32) / 16)
        return std::nullopt;
    std::vector<QRect> rects;
    rects.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        const size_t o = off + 32 + 16 * k;
        const int64_t l = r.i32(o), t = r.i32(o + 4), rr = r.i32(o + 8), b = r.i32(o + 12);
        const int64_t lim = int64_t{1} << 28;
        if (rr > l && b > t && l > -lim && t > -lim && rr < lim && b < lim)
            rects.emplace_back(static_cast<int>(l), static_cast<int>(t), static_cast<int>(rr - l),
                               static_cast<int>(b - t));
    }
    return unionOf(std::move(rects));
}

void advancesPerCharacter(int charset, const uint8_t* bytes, size_t n, size_t characters, std::vector<double>& dx,
                          std::vector<double>& dy)
{
    std::vector<double> cdx, cdy;
    size_t byte = 0;
    for (size_t c = 0; c < characters && byte < n; ++c) {
        const size_t units = firstCharacterBytes(charset, bytes + byte, n - byte);
        double sx = 0, sy = 0;
        for (size_t k = 0; k < units && byte < n; ++k, ++byte) {
            sx += dx[byte];
            sy += dy[byte];
        }
        cdx.push_back(sx);
        cdy.push_back(sy);
    }
    dx.swap(cdx);
    dy.swap(cdy);
}

void flattenBezier(DPoint p0, DPoint p1, DPoint p2, DPoint p3, std::vector<DPoint>& out)
{
    constexpr int kSteps = 16;
    for (int k = 1; k <= kSteps; ++k) {
        const double t = static_cast<double>(k) / kSteps, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
}

QImage decodeDibQuietly(const uint8_t* data, size_t size)
{
    try {
        return decodeDib(data, size);
    } catch (const std::exception&) {
        return QImage();
    }
}

bool dibBottomUp(const uint8_t* data, size_t size)
{
    const Record r(data, size);
    if (r.u32(0) == 12)
        return true;
    return r.i32(8) > 0;
}

PenStyle penStyle(uint32_t style)
{
    switch (style & 0x0F) {
    case 1:
        return PenStyle::Dash;
    case 2:
        return PenStyle::Dot;
    case 3:
        return PenStyle::DashDot;
    case 4:
        return PenStyle::DashDotDot;
    case 5:
        return PenStyle::Null;
    case 6:
        return PenStyle::InsideFrame;
    case 8:
        return PenStyle::Dot;  // alternate
    default:
        return PenStyle::Solid;
    }
}

}  // namespace vr::mf
