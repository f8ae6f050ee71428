#include "gfx/metafile/metafile_player.h"

#include <algorithm>
#include <numbers>

#include "gfx/codecs/codecs.h"

namespace vr::mf {
namespace {

constexpr double kCoordLimit = 1 << 30;  // canvas coordinates are kept within this

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

Affine affineOf(const DcState& dc, bool viewportIsDest, double kx, double qx, double ky, double qy, double pxPerMmX,
                double pxPerMmY)
{
    double sx = 1, sy = 1;
    auto ratio = [](double v, double w) { return w != 0 ? v / w : 0.0; };
    if (viewportIsDest || dc.mapMode == MmAnisotropic || dc.mapMode == MmIsotropic) {
        sx = ratio(dc.vpExtX, dc.winExtX);
        sy = ratio(dc.vpExtY, dc.winExtY);
        if (!viewportIsDest && dc.mapMode == MmIsotropic) {
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

}  // namespace

Player::Player(Canvas& canvas, const IRect& dest) : canvas_(canvas), dest_(dest)
{
    canvas_.save();
    canvas_.clipTo(dest);
    dc.vpOrgX = dest.left;
    dc.vpOrgY = dest.top;
    dc.vpExtX = dest.width();
    dc.vpExtY = dest.height();
}

Player::~Player()
{
    if (clipApplied_)
        canvas_.restore();
    canvas_.restore();
}

DPoint Player::map(double x, double y) const
{
    const double kx = viewportIsDest ? 1 : dest_.width() / refWidth,
                 ky = viewportIsDest ? 1 : dest_.height() / refHeight;
    const double qx = viewportIsDest ? 0 : dest_.left - refLeft * kx, qy = viewportIsDest ? 0 : dest_.top - refTop * ky;
    const Affine m = affineOf(dc, viewportIsDest, kx, qx, ky, qy, pxPerMmX, pxPerMmY);
    return DPoint{m.a * x + m.c * y + m.e, m.b * x + m.d * y + m.f};
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

void Player::intersectClip(double l, double t, double r, double b)
{
    const IPoint a = mapI(l, t), z = mapI(r, b);
    IRect c{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    if (dc.clip) {
        c.left = std::max(c.left, dc.clip->left);
        c.top = std::max(c.top, dc.clip->top);
        c.right = std::max(c.left, std::min(c.right, dc.clip->right));
        c.bottom = std::max(c.top, std::min(c.bottom, dc.clip->bottom));
    }
    dc.clip = c;
}

void Player::applyClip()
{
    if (dc.clip == appliedClip_)
        return;
    if (clipApplied_)
        canvas_.restore();
    clipApplied_ = false;
    if (dc.clip) {
        canvas_.save();
        canvas_.clipTo(*dc.clip);
        clipApplied_ = true;
    }
    appliedClip_ = dc.clip;
}

void Player::apply(bool forText)
{
    applyClip();
    Pen p = dc.pen;
    if (p.width > 0)
        p.width = static_cast<int>(std::clamp(std::floor(p.width * scaleX() + 0.5), 1.0, 4096.0));
    else
        p.width = 1;
    p.mode = static_cast<PenMode>(std::clamp(dc.rop2, 1, 16));
    canvas_.pen = p;
    canvas_.brush = dc.brush;
    canvas_.opaqueBackground = dc.opaque;
    canvas_.backgroundColor = dc.bkColor;
    canvas_.windingFill = dc.winding;
    if (forText) {
        FontSpec f = dc.font;
        const double h = f.pixelHeight;
        // A negative height is the character height, a positive one the cell height, of which
        // the character takes about 85 %.
        const double px = (h < 0 ? -h : h * 0.85) * scaleY();
        f.pixelHeight = h == 0 ? 0 : static_cast<int>(std::clamp(std::floor(px + 0.5), 1.0, 4096.0));
        f.color = dc.textColor;
        canvas_.font = f;
    }
}

void Player::select(const GdiObject& o)
{
    switch (o.type) {
    case GdiObject::Type::Pen:
        dc.pen = o.pen;
        break;
    case GdiObject::Type::Brush:
        dc.brush = o.brush;
        break;
    case GdiObject::Type::Font:
        dc.font = o.font;
        break;
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
    const IPoint s = mapI(start.x, start.y), e = mapI(end.x, end.y);
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

void Player::text(double x, double y, const std::string& bytes, const double* opaqueRect, const double* clipRect)
{
    if (inPath)
        return;
    apply(true);
    auto mappedRect = [&](const double* r) {
        const IPoint a = mapI(r[0], r[1]), z = mapI(r[2], r[3]);
        return IRect{std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    };
    if (opaqueRect)
        canvas_.fillRect(mappedRect(opaqueRect), dc.bkColor);
    if (bytes.empty())
        return;
    const bool updateCp = (dc.textAlign & 1) != 0;
    if (updateCp) {
        x = dc.pos.x;
        y = dc.pos.y;
    }
    const DPoint ref = map(x, y);
    const double width = canvas_.textWidth(bytes);
    const double px =
        canvas_.font.pixelHeight != 0 ? canvas_.font.pixelHeight : canvas_.font.pointSize * canvas_.dpiY() / 72.0;
    // Offsets from the reference point to the cell's top-left corner along the text's own axes;
    // the ascent and cell height are taken as 0.9 and 1.15 times the character height.
    double along = 0, down = 0;
    switch (dc.textAlign & 6) {
    case 2:
        along = -width;
        break;  // right
    case 6:
        along = -width / 2;
        break;  // centre
    default:
        break;
    }
    switch (dc.textAlign & 24) {
    case 24:
        down = -0.9 * px;
        break;  // baseline
    case 8:
        down = -1.15 * px;
        break;  // bottom
    default:
        break;
    }
    const double angle = canvas_.font.escapement * std::numbers::pi / 1800;
    const double cs = std::cos(angle), sn = std::sin(angle);
    const int tx = toCanvas(ref.x + along * cs + down * sn), ty = toCanvas(ref.y - along * sn + down * cs);
    if (clipRect) {
        canvas_.save();
        canvas_.clipTo(mappedRect(clipRect));
        canvas_.textOut(tx, ty, bytes);
        canvas_.restore();
    } else {
        canvas_.textOut(tx, ty, bytes);
    }
    if (updateCp) {
        const double sx = scaleX();
        dc.pos.x += sx > 0 ? ((dc.textAlign & 6) == 2 ? -width : width) / sx : 0;
    }
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
