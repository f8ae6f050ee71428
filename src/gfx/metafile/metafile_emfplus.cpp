#include "gfx/metafile/metafile_emfplus.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include "gfx/metafile/metafile.h"

namespace vr::mf {
namespace {

enum : uint16_t {
    kHeader = 0x4001,
    kEndOfFile = 0x4002,
    kCommentRec = 0x4003,
    kGetDc = 0x4004,
    kObject = 0x4008,
    kClear = 0x4009,
    kFillRects = 0x400A,
    kDrawRects = 0x400B,
    kFillPolygon = 0x400C,
    kDrawLines = 0x400D,
    kFillEllipse = 0x400E,
    kDrawEllipse = 0x400F,
    kFillPie = 0x4010,
    kDrawPie = 0x4011,
    kDrawArc = 0x4012,
    kFillRegion = 0x4013,
    kFillPath = 0x4014,
    kDrawPath = 0x4015,
    kFillClosedCurve = 0x4016,
    kDrawClosedCurve = 0x4017,
    kDrawCurve = 0x4018,
    kDrawBeziers = 0x4019,
    kDrawImage = 0x401A,
    kDrawImagePoints = 0x401B,
    kDrawString = 0x401C,
    kSetRenderingOrigin = 0x401D,
    kSetCompositingQuality = 0x4024,
    kSave = 0x4025,
    kRestore = 0x4026,
    kBeginContainer = 0x4027,
    kBeginContainerNoParams = 0x4028,
    kEndContainer = 0x4029,
    kSetWorldTransform = 0x402A,
    kResetWorldTransform = 0x402B,
    kMultiplyWorldTransform = 0x402C,
    kTranslateWorldTransform = 0x402D,
    kScaleWorldTransform = 0x402E,
    kRotateWorldTransform = 0x402F,
    kSetPageTransform = 0x4030,
    kResetClip = 0x4031,
    kSetClipRect = 0x4032,
    kSetClipPath = 0x4033,
    kSetClipRegion = 0x4034,
    kOffsetClip = 0x4035,
    kDrawDriverString = 0x4036,
    kSerializableObject = 0x4038,
    kSetTsGraphics = 0x4039,
    kSetTsClip = 0x403A,
};

// Records drawn or understood; a dual picture holding any other is drawn from its EMF records.
bool known(uint16_t t)
{
    return (t >= kHeader && t <= kGetDc) || (t >= kObject && t <= kDrawDriverString) ||
        (t >= kSerializableObject && t <= kSetTsClip);
}

// An ARGB value (0xAARRGGBB) as a colour and its alpha.
struct Argb {
    Color color = kBlack;
    int alpha = 255;
};
Argb argb(uint32_t v)
{
    return Argb{static_cast<Color>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16)), static_cast<int>(v >> 24)};
}

struct PlusBrush {
    Brush brush;
    int alpha = 255;
};
struct PlusPen {
    double width = 1;
    bool worldUnits = true;  // the width goes through the transforms
    int unit = 2;
    PenStyle style = PenStyle::Solid;
    PlusBrush brush;
};
struct PlusFigure {
    std::vector<DPoint> pts;  // world
    bool closed = false;
};
struct PlusImage {
    QImage bitmap;
    std::vector<uint8_t> metafile;
    int metafileType = 0;
};
struct PlusFont {
    double emSize = 12;
    int unit = 3;
    int style = 0;
    std::string family;
};
struct PlusObject {
    int type = 0;
    PlusBrush brush;
    PlusPen pen;
    std::vector<PlusFigure> path;
    std::vector<uint8_t> region;  // the serialised node tree, evaluated when used
    PlusImage image;
    PlusFont font;
    int align = 0, lineAlign = 0;  // string format
};

}  // namespace

struct EmfPlusPlayer::State {
    double dpiX = 96, dpiY = 96;
    QTransform world;
    int pageUnit = 2;  // pixels
    double pageScale = 1;
    std::map<int, PlusObject> objects;
    // An object arriving in parts: its type, its whole size and what came so far.
    int pendingId = -1, pendingType = 0;
    size_t pendingTotal = 0;
    std::vector<uint8_t> pending;
    struct Saved {
        uint32_t index;
        QTransform world;
        int pageUnit;
        double pageScale;
        std::optional<QRegion> clip;
        uint64_t clipId;
    };
    std::vector<Saved> saved;
};

namespace {

double unitFactor(int unit, double dpi)
{
    switch (unit) {
    case 3:
        return dpi / 72;  // point
    case 4:
        return dpi;  // inch
    case 5:
        return dpi / 300;  // document
    case 6:
        return dpi / 25.4;  // millimetre
    default:
        return 1;  // world, display (a pixel on the reference display), pixel
    }
}

// A brush object (at `off` of `r`); `used` gets its size.
PlusBrush readBrush(const Record& r, size_t off, size_t* used = nullptr)
{
    PlusBrush b;
    const uint32_t type = r.u32(off + 4);
    size_t size = 12;
    switch (type) {
    case 0: {
        const Argb c = argb(r.u32(off + 8));
        b.brush.color = c.color;
        b.alpha = c.alpha;
        break;
    }
    case 1: {
        const uint32_t hatch = r.u32(off + 8);
        const Argb fore = argb(r.u32(off + 12)), back = argb(r.u32(off + 16));
        b.brush.color = fore.color;
        b.alpha = fore.alpha;
        if (hatch < 6) {
            // A pattern of the hatch in its two colours.
            QImage cell(8, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    static constexpr uint8_t kCells[6][8] = {
                        {0, 0, 0, 0xff, 0, 0, 0, 0},          {8, 8, 8, 8, 8, 8, 8, 8},
                        {0x80, 0x40, 0x20, 0x10, 8, 4, 2, 1}, {1, 2, 4, 8, 0x10, 0x20, 0x40, 0x80},
                        {8, 8, 8, 0xff, 8, 8, 8, 8},          {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81}};
                    const bool on = (kCells[hatch][y] & (0x80 >> x)) != 0;
                    cell.setPixel(x, y, toArgb(on ? fore.color : back.color));
                }
            b.brush.style = BrushStyle::Pattern;
            b.brush.pattern = std::make_shared<const QImage>(cell);
        }
        size = 20;
        break;
    }
    case 3: {  // path gradient: the centre colour
        const Argb c = argb(r.u32(off + 16));
        b.brush.color = c.color;
        b.alpha = c.alpha;
        break;
    }
    case 4: {  // linear gradient: the mean of its two colours
        const Argb a = argb(r.u32(off + 32)), z = argb(r.u32(off + 36));
        b.brush.color = static_cast<Color>((((a.color & 0xFF) + (z.color & 0xFF)) / 2) |
                                           (((((a.color >> 8) & 0xFF) + ((z.color >> 8) & 0xFF)) / 2) << 8) |
                                           (((((a.color >> 16) & 0xFF) + ((z.color >> 16) & 0xFF)) / 2) << 16));
        b.alpha = (a.alpha + z.alpha) / 2;
        break;
    }
    default:  // texture
        b.brush.color = 0x808080;
        break;
    }
    if (used)
        *used = size;
    return b;
}

PlusPen readPen(const Record& r, size_t off)
{
    PlusPen p;
    const uint32_t flags = r.u32(off + 8);
    p.unit = static_cast<int>(r.u32(off + 12));
    p.width = r.f32(off + 16);
    p.worldUnits = p.unit == 0 || p.unit == 1 || p.unit == 2 ? p.unit == 0 : true;
    size_t at = off + 20;
    auto skip = [&](uint32_t bit, size_t n) {
        if (flags & bit)
            at += n;
    };
    skip(0x01, 24);
    skip(0x02, 4);
    skip(0x04, 4);
    skip(0x08, 4);
    skip(0x10, 4);
    if (flags & 0x20) {
        static constexpr PenStyle kStyles[] = {PenStyle::Solid,   PenStyle::Dash,       PenStyle::Dot,
                                               PenStyle::DashDot, PenStyle::DashDotDot, PenStyle::Dash};
        p.style = kStyles[std::min<uint32_t>(r.u32(at), 5)];
        at += 4;
    }
    skip(0x40, 4);
    skip(0x80, 4);
    if (flags & 0x100)
        at += 4 + 4 * static_cast<size_t>(std::min<uint32_t>(r.u32(at), 1 << 20));
    skip(0x200, 4);
    if (flags & 0x400)
        at += 4 + 4 * static_cast<size_t>(std::min<uint32_t>(r.u32(at), 1 << 20));
    if (flags & 0x800)
        at += 4 + std::min<uint32_t>(r.u32(at), 1 << 24);
    if (flags & 0x1000)
        at += 4 + std::min<uint32_t>(r.u32(at), 1 << 24);
    p.brush = readBrush(r, at);
    return p;
}

// `count` points at `off`: 16-bit integers when compressed, else floats; false when they do not fit.
bool readPoints(const Record& r, size_t off, size_t count, bool compressed, std::vector<DPoint>& out)
{
    const size_t each = compressed ? 4 : 8;
    if (count > r.size() / each || !r.has(off, count * each))
        return false;
    out.clear();
    for (size_t k = 0; k < count; ++k) {
        const size_t o = off + k * each;
        if (compressed)
            out.push_back({static_cast<double>(r.i16(o)), static_cast<double>(r.i16(o + 2))});
        else
            out.push_back({r.f32(o), r.f32(o + 4)});
    }
    return true;
}

// A path object at `off`; empty when it does not fit.
std::vector<PlusFigure> readPath(const Record& r, size_t off)
{
    std::vector<PlusFigure> figures;
    const size_t count = r.u32(off + 4);
    const uint32_t flags = r.u32(off + 8);
    std::vector<DPoint> pts;
    if (r.shortRead() || (flags & 0x1800) != 0 || !readPoints(r, off + 12, count, (flags & 0x4000) != 0, pts))
        return figures;
    const size_t types = off + 12 + count * ((flags & 0x4000) ? 4 : 8);
    if (!r.has(types, count))
        return figures;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t t = r.data()[types + k];
        if ((t & 7) == 0 || figures.empty() || figures.back().closed)
            figures.push_back(PlusFigure{{pts[k]}, false});
        else if ((t & 7) == 3 && k + 2 < count) {
            flattenBezier(figures.back().pts.back(), pts[k], pts[k + 1], pts[k + 2], figures.back().pts);
            k += 2;
            if (r.data()[types + k] & 0x80)
                figures.back().closed = true;
            continue;
        } else
            figures.back().pts.push_back(pts[k]);
        if (t & 0x80)
            figures.back().closed = true;
    }
    return figures;
}

// Cardinal spline through the points (closed or not) as flattened Bezier pieces.
std::vector<DPoint> cardinal(const std::vector<DPoint>& p, double tension, bool closed)
{
    std::vector<DPoint> out;
    const size_t n = p.size();
    if (n < 2)
        return p;
    out.push_back(p[0]);
    const size_t segments = closed ? n : n - 1;
    auto at = [&](int64_t k) {
        if (closed)
            return p[static_cast<size_t>((k % static_cast<int64_t>(n) + static_cast<int64_t>(n)) %
                                         static_cast<int64_t>(n))];
        return p[static_cast<size_t>(std::clamp<int64_t>(k, 0, static_cast<int64_t>(n) - 1))];
    };
    const double t = tension / 3;
    for (size_t k = 0; k < segments; ++k) {
        const auto i = static_cast<int64_t>(k);
        const DPoint a = at(i), b = at(i + 1), prev = at(i - 1), next = at(i + 2);
        const DPoint c1{a.x + t * (b.x - prev.x), a.y + t * (b.y - prev.y)};
        const DPoint c2{b.x - t * (next.x - a.x), b.y - t * (next.y - a.y)};
        flattenBezier(a, c1, c2, b, out);
    }
    return out;
}

std::vector<DPoint> ellipsePts(double x, double y, double w, double h, double start, double sweep, bool pie)
{
    std::vector<DPoint> out;
    const double cx = x + w / 2, cy = y + h / 2;
    const int steps = std::clamp(static_cast<int>(std::abs(sweep) / 4) + 1, 4, 128);
    if (pie)
        out.push_back({cx, cy});
    for (int k = 0; k <= steps; ++k) {
        // Angles clockwise from the x axis, as the y axis points down.
        const double a = (start + sweep * k / steps) * std::numbers::pi / 180;
        // The angle is of the ellipse's own parametric circle scaled, as GDI+ measures it.
        const double ex = w / 2 * std::cos(a), ey = h / 2 * std::sin(a);
        out.push_back({cx + ex, cy + ey});
    }
    return out;
}

}  // namespace

EmfPlusPlayer::EmfPlusPlayer(Player& player, int depth) : p_(player), depth_(depth), s_(std::make_unique<State>()) { }

EmfPlusPlayer::~EmfPlusPlayer() = default;

void EmfPlusPlayer::comment(const Record& r, int64_t offset)
{
    // The comment's data: its size, "EMF+", then records of type, flags, size, data size.
    const size_t end = std::min<size_t>(r.size(), 12 + static_cast<size_t>(r.u32(8)));
    size_t off = 16;
    while (off + 12 <= end) {
        const uint16_t type = r.u16(off), flags = r.u16(off + 2);
        const size_t size = r.u32(off + 4), dataSize = r.u32(off + 8);
        if (size < 12 || size > end - off || dataSize > size - 12) {
            p_.warn("EMF+ record " + std::to_string(type) +
                        " runs past its comment: the rest of the comment is left out",
                    offset + static_cast<int64_t>(off));
            return;
        }
        afterGetDc_ = type == kGetDc;
        play(type, flags, Record(r.data() + off + 12, dataSize), offset + static_cast<int64_t>(off));
        off += size;
    }
}

void EmfPlusPlayer::play(uint16_t type, uint16_t flags, const Record& r, int64_t offset)
{
    State& s = *s_;
    Canvas& canvas = p_.canvas();
    const double kx = p_.dest().width() / p_.refWidth, ky = p_.dest().height() / p_.refHeight;
    const double pageX = s.pageScale * unitFactor(s.pageUnit, s.dpiX),
                 pageY = s.pageScale * unitFactor(s.pageUnit, s.dpiY);
    auto toCanvas = [&](DPoint w) {
        const QPointF q = s.world.map(QPointF(w.x, w.y));
        return p_.mapDevice(q.x() * pageX, q.y() * pageY);
    };
    auto ipoints = [&](const std::vector<DPoint>& pts) {
        std::vector<IPoint> out;
        out.reserve(pts.size());
        for (const DPoint& w : pts) {
            const DPoint c = toCanvas(w);
            out.push_back(IPoint{static_cast<int>(std::lround(std::clamp(c.x, -1e9, 1e9))),
                                 static_cast<int>(std::lround(std::clamp(c.y, -1e9, 1e9)))});
        }
        return out;
    };
    auto object = [&](int id, int wanted) -> const PlusObject* {
        const auto it = s.objects.find(id);
        return it != s.objects.end() && it->second.type == wanted ? &it->second : nullptr;
    };
    // The brush of a record: a colour when the S flag is set, else a brush object.
    auto brushOf = [&](uint32_t value) -> std::optional<PlusBrush> {
        if (flags & 0x8000) {
            const Argb c = argb(value);
            return PlusBrush{Brush{c.color, BrushStyle::Solid, nullptr}, c.alpha};
        }
        if (const PlusObject* o = object(static_cast<int>(value & 0xFF), 1))
            return o->brush;
        return std::nullopt;
    };
    auto penOf = [&](int id) -> const PlusPen* {
        const PlusObject* o = object(id, 2);
        return o ? &o->pen : nullptr;
    };
    auto fill = [&](const std::vector<std::vector<DPoint>>& polys, const std::optional<PlusBrush>& b, bool winding) {
        if (!b || b->alpha == 0)
            return;
        p_.applyClip();
        canvas.pen.style = PenStyle::Null;
        canvas.pen.mode = PenMode::Copy;
        canvas.brush = b->brush;
        canvas.windingFill = winding;
        std::vector<std::vector<IPoint>> all;
        for (const auto& poly : polys)
            if (poly.size() > 2)
                all.push_back(ipoints(poly));
        if (all.size() == 1)
            canvas.polygon(all[0]);
        else if (!all.empty())
            canvas.polyPolygon(all);
    };
    auto stroke = [&](const std::vector<PlusFigure>& figures, const PlusPen* pen) {
        if (!pen || pen->brush.alpha == 0)
            return;
        p_.applyClip();
        double w = pen->width;
        if (pen->worldUnits) {
            const double scale = std::sqrt(std::abs(s.world.determinant()));
            w *= scale * (pen->unit == 0 ? std::sqrt(pageX * pageY) : unitFactor(pen->unit, s.dpiX));
        }
        w *= std::sqrt(kx * ky);
        canvas.pen = Pen{pen->brush.brush.color, std::clamp(static_cast<int>(std::lround(w)), 1, 4096), pen->style,
                         PenMode::Copy};
        canvas.brush.style = BrushStyle::Clear;
        canvas.opaqueBackground = false;
        for (const PlusFigure& f : figures) {
            if (f.pts.size() < 2)
                continue;
            if (f.closed)
                canvas.polygon(ipoints(f.pts));
            else
                canvas.polyline(ipoints(f.pts));
        }
    };
    auto rects = [&](size_t off, size_t count, bool compressed, std::vector<std::array<double, 4>>& out) {
        const size_t each = compressed ? 8 : 16;
        if (count > r.size() / each || !r.has(off, count * each))
            return false;
        for (size_t k = 0; k < count; ++k) {
            const size_t o = off + k * each;
            if (compressed)
                out.push_back({static_cast<double>(r.i16(o)), static_cast<double>(r.i16(o + 2)),
                               static_cast<double>(r.i16(o + 4)), static_cast<double>(r.i16(o + 6))});
            else
                out.push_back({r.f32(o), r.f32(o + 4), r.f32(o + 8), r.f32(o + 12)});
        }
        return true;
    };
    auto box = [](const std::array<double, 4>& q) {
        return std::vector<DPoint>{{q[0], q[1]}, {q[0] + q[2], q[1]}, {q[0] + q[2], q[1] + q[3]}, {q[0], q[1] + q[3]}};
    };
    auto damaged = [&](const char* what) {
        p_.warn(std::string("EMF+ ") + what + " record is inconsistent with its size: skipped", offset);
    };
    // A region (canvas pixels) from a node of a serialised region.
    std::function<std::optional<QRegion>(const Record&, size_t&, int)> regionNode =
        [&](const Record& rr, size_t& at, int level) -> std::optional<QRegion> {
        const QRegion whole(p_.dest().left, p_.dest().top, p_.dest().width(), p_.dest().height());
        if (level > 64 || !rr.has(at, 4))
            return std::nullopt;
        const uint32_t t = rr.u32(at);
        at += 4;
        switch (t) {
        case 0x10000000: {  // rectangle
            const std::array<double, 4> q{rr.f32(at), rr.f32(at + 4), rr.f32(at + 8), rr.f32(at + 12)};
            at += 16;
            if (rr.shortRead())
                return std::nullopt;
            QPolygonF poly;
            for (const IPoint& pt : ipoints(box(q)))
                poly << QPointF(pt.x, pt.y);
            return polygonRegion(poly, whole.boundingRect());
        }
        case 0x10000001: {  // path
            const size_t len = rr.u32(at);
            if (!rr.has(at + 4, len))
                return std::nullopt;
            const auto figures = readPath(Record(rr.data() + at + 4, len), 0);
            at += 4 + len;
            QRegion out;
            for (const PlusFigure& f : figures) {
                QPolygonF poly;
                for (const IPoint& pt : ipoints(f.pts))
                    poly << QPointF(pt.x, pt.y);
                out ^= polygonRegion(poly, whole.boundingRect());
            }
            return out & whole;
        }
        case 0x10000002:
            return QRegion();
        case 0x10000003:
            return whole;
        default: {
            if (t < 1 || t > 5)
                return std::nullopt;
            const auto a = regionNode(rr, at, level + 1);
            const auto b = a ? regionNode(rr, at, level + 1) : std::nullopt;
            if (!a || !b)
                return std::nullopt;
            switch (t) {
            case 1:
                return *a & *b;
            case 2:
                return *a | *b;
            case 3:
                return *a ^ *b;
            case 4:
                return *a - *b;
            default:
                return *b - *a;
            }
        }
        }
    };
    auto regionOf = [&](int id) -> std::optional<QRegion> {
        const PlusObject* o = object(id, 4);
        if (!o)
            return std::nullopt;
        const Record rr(o->region.data(), o->region.size());
        size_t at = 8;
        return regionNode(rr, at, 0);
    };
    auto setClip = [&](const std::optional<QRegion>& region, int mode) {
        if (!region)
            return;
        switch (mode) {
        case 0:
            p_.combineClip(*region, 5);
            break;
        case 5: {  // complement: the new region less the old clip
            const QRegion whole(p_.dest().left, p_.dest().top, p_.dest().width(), p_.dest().height());
            const QRegion current = p_.dc.clip ? *p_.dc.clip : whole;
            p_.combineClip(*region - current, 5);
            break;
        }
        default:
            p_.combineClip(*region, mode);
            break;
        }
    };
    auto drawImage = [&](int id, const std::array<double, 4>& src, const DPoint corners[3]) {
        const PlusObject* o = object(id, 5);
        if (!o)
            return;
        p_.applyClip();
        const DPoint c0 = toCanvas(corners[0]), c1 = toCanvas(corners[1]), c2 = toCanvas(corners[2]);
        if (!o->image.metafile.empty()) {
            if (depth_ + 1 >= kMaxNesting)
                return;
            const double l = std::min({c0.x, c1.x, c2.x, c1.x + c2.x - c0.x}),
                         r2 = std::max({c0.x, c1.x, c2.x, c1.x + c2.x - c0.x});
            const double t = std::min({c0.y, c1.y, c2.y, c1.y + c2.y - c0.y}),
                         b = std::max({c0.y, c1.y, c2.y, c1.y + c2.y - c0.y});
            const IRect dest{static_cast<int>(std::lround(std::clamp(l, -1e9, 1e9))),
                             static_cast<int>(std::lround(std::clamp(t, -1e9, 1e9))),
                             static_cast<int>(std::lround(std::clamp(r2, -1e9, 1e9))),
                             static_cast<int>(std::lround(std::clamp(b, -1e9, 1e9)))};
            if (dest.empty())
                return;
            const int mt = o->image.metafileType;
            if (mt == 1 || mt == 2) {
                if (Metafile::parse(Metafile::Kind::Wmf, o->image.metafile))
                    playWmf(o->image.metafile, canvas, dest, p_.diagnostics(), depth_ + 1);
            } else if (Metafile::parse(Metafile::Kind::Emf, o->image.metafile)) {
                playEmf(o->image.metafile, canvas, dest, p_.diagnostics(), depth_ + 1);
            }
            return;
        }
        const QImage& im = o->image.bitmap;
        if (im.isNull())
            return;
        const QRectF srcRect(src[0], src[1], src[2], src[3]);
        const bool upright = std::abs(c1.y - c0.y) < 0.5 && std::abs(c2.x - c0.x) < 0.5;
        if (upright) {
            const IRect dest{static_cast<int>(std::lround(c0.x)), static_cast<int>(std::lround(c0.y)),
                             static_cast<int>(std::lround(c1.x)), static_cast<int>(std::lround(c2.y))};
            const IRect s2{static_cast<int>(std::lround(src[0])), static_cast<int>(std::lround(src[1])),
                           static_cast<int>(std::lround(src[0] + src[2])),
                           static_cast<int>(std::lround(src[1] + src[3]))};
            canvas.alphaBlend(dest, im, s2, 255, im.hasAlphaChannel());
            return;
        }
        // Turned or sheared: drawn into a transparent image over the parallelogram's box.
        const double l = std::min({c0.x, c1.x, c2.x, c1.x + c2.x - c0.x}),
                     rr = std::max({c0.x, c1.x, c2.x, c1.x + c2.x - c0.x});
        const double t = std::min({c0.y, c1.y, c2.y, c1.y + c2.y - c0.y}),
                     b = std::max({c0.y, c1.y, c2.y, c1.y + c2.y - c0.y});
        const IRect& clip = p_.dest();
        const int il = std::max(roundedInt(l - 0.5, -1e9, 1e9), clip.left),
                  ir = std::min(roundedInt(rr + 0.5, -1e9, 1e9), clip.right);
        const int it = std::max(roundedInt(t - 0.5, -1e9, 1e9), clip.top),
                  ib = std::min(roundedInt(b + 0.5, -1e9, 1e9), clip.bottom);
        if (il >= ir || it >= ib || srcRect.width() <= 0 || srcRect.height() <= 0)
            return;
        QImage out(ir - il, ib - it, QImage::Format_ARGB32_Premultiplied);
        if (out.isNull())
            return;
        out.fill(0);
        QPainter painter(&out);
        painter.setTransform(QTransform((c1.x - c0.x) / srcRect.width(), (c1.y - c0.y) / srcRect.width(),
                                        (c2.x - c0.x) / srcRect.height(), (c2.y - c0.y) / srcRect.height(), c0.x - il,
                                        c0.y - it));
        painter.drawImage(QPointF(0, 0), im, srcRect);
        painter.end();
        canvas.alphaBlend(IRect{il, it, ir, ib}, out, IRect{0, 0, out.width(), out.height()}, 255, true);
    };
    auto textRun = [&](const PlusFont& f, const std::u16string& text, Color colour) {
        TextRun run;
        run.font.face = f.family;
        double em = f.emSize;
        if (f.unit == 0)
            em *= std::sqrt(std::abs(s.world.determinant())) * pageY;
        else
            em *= unitFactor(f.unit, s.dpiY);
        em *= ky;
        run.font.height = -std::clamp(static_cast<int>(std::lround(em)), 1, 4096);
        run.font.weight = (f.style & 1) ? 700 : 400;
        run.font.italic = (f.style & 2) != 0;
        run.font.underline = (f.style & 4) != 0;
        run.font.strikeOut = (f.style & 8) != 0;
        const double angle = std::atan2(-s.world.m12(), s.world.m11()) * 1800 / std::numbers::pi;
        run.font.escapement = run.font.orientation = static_cast<int>(std::lround(angle)) % 3600;
        run.font.color = colour;
        run.text = text;
        return run;
    };

    switch (type) {
    case kHeader:
        started_ = true;
        if (r.u32(8) > 0 && r.u32(12) > 0 && r.u32(8) < 100000 && r.u32(12) < 100000) {
            s.dpiX = r.u32(8);
            s.dpiY = r.u32(12);
        }
        break;
    case kObject: {
        const int id = flags & 0xFF, objType = (flags >> 8) & 0x7F;
        std::vector<uint8_t> data(r.data(), r.data() + r.size());
        if (flags & 0x8000) {
            // Continued: a total size, then this part.
            if (r.size() < 4)
                return damaged("object");
            const size_t total = r.u32(0);
            if (s.pendingId != id || s.pendingType != objType) {
                s.pending.clear();
                s.pendingId = id;
                s.pendingType = objType;
                s.pendingTotal = std::min<size_t>(total, 1 << 28);
            }
            s.pending.insert(s.pending.end(), r.data() + 4, r.data() + r.size());
            if (s.pending.size() < s.pendingTotal)
                return;
            data.swap(s.pending);
            s.pending.clear();
            s.pendingId = -1;
        } else if (s.pendingId == id && s.pendingType == objType && !s.pending.empty()) {
            // The last part of an object in parts comes without the continued flag.
            s.pending.insert(s.pending.end(), r.data(), r.data() + r.size());
            data.swap(s.pending);
            s.pending.clear();
            s.pendingId = -1;
        }
        const Record o(data.data(), data.size());
        PlusObject obj;
        obj.type = objType;
        switch (objType) {
        case 1:
            obj.brush = readBrush(o, 0);
            break;
        case 2:
            obj.pen = readPen(o, 0);
            break;
        case 3:
            obj.path = readPath(o, 0);
            break;
        case 4:
            obj.region = data;
            break;
        case 5: {
            const uint32_t imageType = o.u32(4);
            if (imageType == 1) {
                const int w = o.i32(8), h = o.i32(12), stride = o.i32(16);
                const uint32_t format = o.u32(20), kind = o.u32(24);
                if (kind == 1 && o.size() > 28) {
                    obj.image.bitmap = QImage::fromData(o.data() + 28, static_cast<int>(o.size() - 28));
                } else if (kind == 0 && w > 0 && h > 0 && w <= 16384 && h <= 16384 && stride > 0) {
                    size_t at = 28;
                    std::vector<QRgb> palette;
                    if (format & 0x00010000u) {
                        const size_t count = o.u32(at + 4);
                        if (count > 256 || !o.has(at + 8, count * 4))
                            break;
                        for (size_t k = 0; k < count; ++k) {
                            const uint32_t v = o.u32(at + 8 + 4 * k);
                            palette.push_back(qRgba((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, v >> 24));
                        }
                        at += 8 + count * 4;
                    }
                    const int bpp = static_cast<int>((format >> 8) & 0xFF);
                    if (!o.has(at, static_cast<size_t>(stride) * static_cast<size_t>(h)) ||
                        static_cast<int64_t>(stride) * 8 < static_cast<int64_t>(w) * bpp)
                        break;
                    QImage im(w, h, QImage::Format_ARGB32);
                    if (im.isNull())
                        break;
                    for (int y = 0; y < h; ++y) {
                        const uint8_t* row = o.data() + at + static_cast<size_t>(y) * static_cast<size_t>(stride);
                        auto* line = reinterpret_cast<QRgb*>(im.scanLine(y));
                        for (int x = 0; x < w; ++x) {
                            QRgb c = 0xFF000000u;
                            switch (format) {
                            case 0x00030101:
                            case 0x00030402:
                            case 0x00030803: {
                                const int bits = bpp, perByte = 8 / bits;
                                const int v =
                                    (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
                                c = static_cast<size_t>(v) < palette.size() ? palette[static_cast<size_t>(v)]
                                                                            : 0xFF000000u;
                                break;
                            }
                            case 0x00021808:
                                c = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                                break;
                            case 0x00022009:
                                c = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
                                break;
                            case 0x0026200A:
                                c = qRgba(row[4 * x + 2], row[4 * x + 1], row[4 * x], row[4 * x + 3]);
                                break;
                            case 0x000E200B: {
                                const int a = row[4 * x + 3];
                                auto un = [a](int v) { return a == 0 ? 0 : std::min(255, v * 255 / a); };
                                c = qRgba(un(row[4 * x + 2]), un(row[4 * x + 1]), un(row[4 * x]), a);
                                break;
                            }
                            case 0x00021005:
                            case 0x00021006: {
                                const int v = row[2 * x] | (row[2 * x + 1] << 8);
                                if (format == 0x00021005)
                                    c = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31,
                                             (v & 31) * 255 / 31);
                                else
                                    c = qRgb(((v >> 11) & 31) * 255 / 31, ((v >> 5) & 63) * 255 / 63,
                                             (v & 31) * 255 / 31);
                                break;
                            }
                            default:
                                break;
                            }
                            line[x] = c;
                        }
                    }
                    obj.image.bitmap = im;
                }
            } else if (imageType == 2) {
                const size_t size = o.u32(12);
                obj.image.metafileType = static_cast<int>(o.u32(8));
                if (o.has(16, size))
                    obj.image.metafile.assign(o.data() + 16, o.data() + 16 + size);
            }
            break;
        }
        case 6: {
            obj.font.emSize = o.f32(4);
            obj.font.unit = static_cast<int>(o.u32(8));
            obj.font.style = o.i32(12);
            const size_t len = o.u32(20);
            std::u16string name;
            for (size_t k = 0; k < len && k < 64 && o.has(24 + 2 * k, 2); ++k)
                name.push_back(o.u16(24 + 2 * k));
            obj.font.family = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())).toStdString();
            break;
        }
        case 7:
            obj.align = static_cast<int>(o.u32(12));
            obj.lineAlign = static_cast<int>(o.u32(16));
            break;
        default:
            break;
        }
        s.objects[id] = std::move(obj);
        break;
    }
    case kClear: {
        const Argb c = argb(r.u32(0));
        p_.applyClip();
        canvas.fillRect(p_.dest(), c.color);
        break;
    }
    case kFillRects:
    case kDrawRects: {
        const size_t at = type == kFillRects ? 8 : 4;
        const size_t count = r.u32(at - 4);
        std::vector<std::array<double, 4>> list;
        if (r.shortRead() || !rects(at, count, (flags & 0x4000) != 0, list))
            return damaged("rectangles");
        if (type == kFillRects) {
            const auto b = brushOf(r.u32(0));
            for (const auto& q : list)
                fill({box(q)}, b, false);
        } else {
            std::vector<PlusFigure> figures;
            for (const auto& q : list)
                figures.push_back(PlusFigure{box(q), true});
            stroke(figures, penOf(flags & 0xFF));
        }
        break;
    }
    case kFillPolygon: {
        std::vector<DPoint> pts;
        if (!readPoints(r, 8, r.u32(4), (flags & 0x4000) != 0, pts) || (flags & 0x0800))
            return damaged("polygon");
        fill({pts}, brushOf(r.u32(0)), false);
        break;
    }
    case kDrawLines:
    case kDrawBeziers: {
        std::vector<DPoint> pts;
        if (!readPoints(r, 4, r.u32(0), (flags & 0x4000) != 0, pts) || (flags & 0x0800))
            return damaged("lines");
        if (type == kDrawBeziers) {
            std::vector<DPoint> flat;
            if (!pts.empty())
                flat.push_back(pts[0]);
            for (size_t k = 1; k + 2 < pts.size(); k += 3)
                flattenBezier(pts[k - 1], pts[k], pts[k + 1], pts[k + 2], flat);
            pts.swap(flat);
        }
        stroke({PlusFigure{pts, type == kDrawLines && (flags & 0x2000) != 0}}, penOf(flags & 0xFF));
        break;
    }
    case kFillEllipse:
    case kDrawEllipse:
    case kFillPie:
    case kDrawPie:
    case kDrawArc: {
        const bool filled = type == kFillEllipse || type == kFillPie;
        const bool angles = type == kFillPie || type == kDrawPie || type == kDrawArc;
        size_t at = filled ? 4 : 0;
        double start = 0, sweep = 360;
        if (angles) {
            start = r.f32(at);
            sweep = r.f32(at + 4);
            at += 8;
        }
        std::vector<std::array<double, 4>> list;
        if (r.shortRead() || !rects(at, 1, (flags & 0x4000) != 0, list) || !(std::abs(sweep) < 1e6) ||
            !(std::abs(start) < 1e6))
            return damaged("ellipse");
        const auto& q = list[0];
        const bool pie = type == kFillPie || type == kDrawPie;
        const auto pts = ellipsePts(q[0], q[1], q[2], q[3], start, sweep, pie);
        if (filled)
            fill({pts}, brushOf(r.u32(0)), false);
        else
            stroke({PlusFigure{pts, type != kDrawArc}}, penOf(flags & 0xFF));
        break;
    }
    case kFillRegion: {
        const auto region = regionOf(flags & 0xFF);
        const auto b = brushOf(r.u32(0));
        if (!region || !b || b->alpha == 0)
            break;
        p_.fillRegion(*region, b->brush);
        break;
    }
    case kFillPath:
    case kDrawPath: {
        const PlusObject* path = object(flags & 0xFF, 3);
        if (!path)
            break;
        if (type == kFillPath) {
            std::vector<std::vector<DPoint>> polys;
            for (const PlusFigure& f : path->path)
                polys.push_back(f.pts);
            fill(polys, brushOf(r.u32(0)), false);
        } else {
            stroke(path->path, penOf(static_cast<int>(r.u32(0) & 0xFF)));
        }
        break;
    }
    case kFillClosedCurve:
    case kDrawClosedCurve:
    case kDrawCurve: {
        const bool filled = type == kFillClosedCurve;
        const size_t at = filled ? 4 : 0;
        const double tension = r.f32(at);
        size_t countAt = at + 4, offsetSeg = 0, segments = 0;
        if (type == kDrawCurve) {
            offsetSeg = r.u32(at + 4);
            segments = r.u32(at + 8);
            countAt = at + 12;
        }
        std::vector<DPoint> pts;
        if (r.shortRead() || !readPoints(r, countAt + 4, r.u32(countAt), (flags & 0x4000) != 0, pts) ||
            (flags & 0x0800))
            return damaged("curve");
        std::vector<DPoint> curve = cardinal(pts, tension, type != kDrawCurve);
        if (type == kDrawCurve && segments > 0 && offsetSeg < pts.size()) {
            // Only `segments` pieces from `offsetSeg`: 16 flattened points a piece.
            const size_t from = std::min(curve.size(), offsetSeg * 16),
                         to = std::min(curve.size(), from + segments * 16 + 1);
            curve = std::vector<DPoint>(curve.begin() + static_cast<ptrdiff_t>(from),
                                        curve.begin() + static_cast<ptrdiff_t>(to));
        }
        if (filled)
            fill({curve}, brushOf(r.u32(0)), (flags & 0x2000) != 0);
        else
            stroke({PlusFigure{curve, type == kDrawClosedCurve}}, penOf(flags & 0xFF));
        break;
    }
    case kDrawImage:
    case kDrawImagePoints: {
        const std::array<double, 4> src{r.f32(8), r.f32(12), r.f32(16), r.f32(20)};
        DPoint corners[3];
        if (type == kDrawImage) {
            std::vector<std::array<double, 4>> list;
            if (r.shortRead() || !rects(24, 1, (flags & 0x4000) != 0, list))
                return damaged("image");
            const auto& q = list[0];
            corners[0] = {q[0], q[1]};
            corners[1] = {q[0] + q[2], q[1]};
            corners[2] = {q[0], q[1] + q[3]};
        } else {
            std::vector<DPoint> pts;
            if (r.shortRead() || r.u32(24) != 3 || !readPoints(r, 28, 3, (flags & 0x4000) != 0, pts) ||
                (flags & 0x0800))
                return damaged("image");
            std::copy(pts.begin(), pts.end(), corners);
        }
        drawImage(flags & 0xFF, src, corners);
        break;
    }
    case kDrawString: {
        const PlusObject* font = object(flags & 0xFF, 6);
        const auto b = brushOf(r.u32(0));
        const size_t length = r.u32(8);
        const std::array<double, 4> rect{r.f32(12), r.f32(16), r.f32(20), r.f32(24)};
        if (r.shortRead() || length > r.size() / 2 || !r.has(28, length * 2))
            return damaged("string");
        if (!font || !b || b->alpha == 0)
            break;
        const PlusObject* format = object(static_cast<int>(r.u32(4) & 0xFF), 7);
        p_.applyClip();
        std::u16string text;
        for (size_t k = 0; k < length; ++k)
            text.push_back(r.u16(28 + 2 * k));
        // Line by line from the layout rectangle's top, a sixth of the em in from its side.
        std::vector<std::u16string> lines{{}};
        for (const char16_t c : text) {
            if (c == u'\n')
                lines.emplace_back();
            else if (c != u'\r')
                lines.back().push_back(c);
        }
        const DPoint topLeft = toCanvas({rect[0], rect[1]}), topRight = toCanvas({rect[0] + rect[2], rect[1]});
        const DPoint bottomLeft = toCanvas({rect[0], rect[1] + rect[3]});
        const double boxW = std::hypot(topRight.x - topLeft.x, topRight.y - topLeft.y);
        const double boxH = std::hypot(bottomLeft.x - topLeft.x, bottomLeft.y - topLeft.y);
        TextRun probe = textRun(font->font, u"x", b->brush.color);
        const TextRunMeasure pm = canvas.measureTextRun(probe);
        const double lineH = pm.ascent + pm.descent, pad = std::abs(probe.font.height) / 6.0;
        const double angle = probe.font.escapement * std::numbers::pi / 1800;
        const double ux = std::cos(angle), uy = -std::sin(angle), vx = std::sin(angle), vy = std::cos(angle);
        double down = pm.ascent;
        const int lineAlign = format ? format->lineAlign : 0;
        if (boxH > 0 && lineAlign == 1)
            down += (boxH - lineH * static_cast<double>(lines.size())) / 2;
        else if (boxH > 0 && lineAlign == 2)
            down += boxH - lineH * static_cast<double>(lines.size());
        for (const std::u16string& line : lines) {
            TextRun run = textRun(font->font, line, b->brush.color);
            const double w = canvas.measureTextRun(run).width;
            double along = pad;
            const int align = format ? format->align : 0;
            if (boxW > 0 && align == 1)
                along = (boxW - w) / 2;
            else if (boxW > 0 && align == 2)
                along = boxW - w - pad;
            canvas.drawTextRun(topLeft.x + along * ux + down * vx, topLeft.y + along * uy + down * vy, run);
            down += lineH;
        }
        break;
    }
    case kDrawDriverString: {
        const PlusObject* font = object(flags & 0xFF, 6);
        const auto b = brushOf(r.u32(0));
        const uint32_t options = r.u32(4);
        const size_t count = r.u32(12);
        std::vector<DPoint> pts;
        if (r.shortRead() || count > r.size() / 10 || !r.has(16, count * 2) ||
            !readPoints(r, 16 + count * 2, count, false, pts))
            return damaged("driver string");
        if (!font || !b || b->alpha == 0 || count == 0)
            break;
        p_.applyClip();
        std::u16string text;
        for (size_t k = 0; k < count; ++k)
            text.push_back(r.u16(16 + 2 * k));
        TextRun run = textRun(font->font, text, b->brush.color);
        run.glyphIndexes = (options & 1) == 0;
        const DPoint origin = toCanvas(pts[0]);
        if ((options & 4) == 0) {
            // Each glyph at its own position: the advances are the distances between them.
            double prev = 0;
            for (size_t k = 1; k <= count; ++k) {
                double at = prev;
                if (k < count) {
                    const DPoint c = toCanvas(pts[k]);
                    at = std::hypot(c.x - origin.x, c.y - origin.y);
                }
                run.advances.push_back(
                    static_cast<int>(std::clamp<long>(std::lround(at) - std::lround(prev), -(1L << 29), 1L << 29)));
                prev = at;
            }
        }
        canvas.drawTextRun(origin.x, origin.y, run);
        break;
    }
    case kSave:
    case kBeginContainerNoParams:
        s.saved.push_back(State::Saved{r.u32(0), s.world, s.pageUnit, s.pageScale, p_.dc.clip, p_.dc.clipId});
        break;
    case kBeginContainer: {
        const double dx = r.f32(0), dy = r.f32(4), dw = r.f32(8), dh = r.f32(12);
        const double sx = r.f32(16), sy = r.f32(20), sw = r.f32(24), sh = r.f32(28);
        s.saved.push_back(State::Saved{r.u32(32), s.world, s.pageUnit, s.pageScale, p_.dc.clip, p_.dc.clipId});
        if (sw != 0 && sh != 0) {
            const double f = unitFactor(flags & 0xFF, s.dpiX) / std::max(1e-9, pageX);
            QTransform m;
            m.translate(dx, dy);
            m.scale(dw / sw * f, dh / sh * f);
            m.translate(-sx, -sy);
            s.world = m * s.world;
        }
        break;
    }
    case kRestore:
    case kEndContainer: {
        const uint32_t index = r.u32(0);
        for (size_t k = s.saved.size(); k-- > 0;) {
            if (s.saved[k].index != index)
                continue;
            s.world = s.saved[k].world;
            s.pageUnit = s.saved[k].pageUnit;
            s.pageScale = s.saved[k].pageScale;
            p_.dc.clip = s.saved[k].clip;
            p_.dc.clipId = s.saved[k].clipId;
            s.saved.resize(k);
            break;
        }
        break;
    }
    case kSetWorldTransform:
        s.world = QTransform(r.f32(0), r.f32(4), r.f32(8), r.f32(12), r.f32(16), r.f32(20));
        break;
    case kResetWorldTransform:
        s.world.reset();
        break;
    case kMultiplyWorldTransform:
    case kTranslateWorldTransform:
    case kScaleWorldTransform:
    case kRotateWorldTransform: {
        QTransform m;
        if (type == kMultiplyWorldTransform)
            m = QTransform(r.f32(0), r.f32(4), r.f32(8), r.f32(12), r.f32(16), r.f32(20));
        else if (type == kTranslateWorldTransform)
            m.translate(r.f32(0), r.f32(4));
        else if (type == kScaleWorldTransform)
            m.scale(r.f32(0), r.f32(4));
        else
            m.rotate(r.f32(0));
        // The A flag appends the new transform (applied after the world one).
        s.world = (flags & 0x2000) ? s.world * m : m * s.world;
        break;
    }
    case kSetPageTransform:
        s.pageUnit = flags & 0xFF;
        s.pageScale = r.f32(0) > 0 ? r.f32(0) : 1;
        break;
    case kResetClip:
        p_.combineClip(std::nullopt, 5);
        break;
    case kSetClipRect: {
        const std::array<double, 4> q{r.f32(0), r.f32(4), r.f32(8), r.f32(12)};
        if (r.shortRead())
            return damaged("clip rectangle");
        QPolygonF poly;
        for (const IPoint& pt : ipoints(box(q)))
            poly << QPointF(pt.x, pt.y);
        const IRect& d = p_.dest();
        setClip(polygonRegion(poly, QRect(d.left, d.top, d.width(), d.height())), (flags >> 8) & 0xF);
        break;
    }
    case kSetClipPath: {
        const PlusObject* path = object(flags & 0xFF, 3);
        if (!path)
            break;
        const IRect& d = p_.dest();
        QRegion region;
        for (const PlusFigure& f : path->path) {
            QPolygonF poly;
            for (const IPoint& pt : ipoints(f.pts))
                poly << QPointF(pt.x, pt.y);
            region ^= polygonRegion(poly, QRect(d.left, d.top, d.width(), d.height()));
        }
        setClip(region, (flags >> 8) & 0xF);
        break;
    }
    case kSetClipRegion:
        setClip(regionOf(flags & 0xFF), (flags >> 8) & 0xF);
        break;
    case kOffsetClip: {
        const DPoint a = toCanvas({0, 0}), z = toCanvas({r.f32(0), r.f32(4)});
        if (p_.dc.clip && std::abs(z.x - a.x) < 1e8 && std::abs(z.y - a.y) < 1e8) {
            p_.dc.clip = p_.dc.clip->translated(static_cast<int>(std::lround(z.x - a.x)),
                                                static_cast<int>(std::lround(z.y - a.y)));
            p_.dc.clipId = nextClipId();
        }
        break;
    }
    default:
        if (!known(type))
            p_.warn("EMF+ record " + std::to_string(type) + " is not drawn", offset);
        break;  // rendering hints, comments, GetDC, end of file
    }
}

bool emfPlusDrawable(const std::vector<uint8_t>& bytes)
{
    const Record file(bytes.data(), bytes.size());
    size_t off = 0;
    bool header = false;
    while (file.has(off, 8)) {
        const uint32_t type = file.u32(off), size = file.u32(off + 4);
        if (size < 8 || size % 4 != 0 || size > bytes.size() - off || type == 14)
            break;
        if (type == 70 && size >= 16 && file.u32(off + 12) == 0x2B464D45u) {
            const Record r(bytes.data() + off, size);
            const size_t end = std::min<size_t>(size, 12 + static_cast<size_t>(r.u32(8)));
            for (size_t p = 16; p + 12 <= end;) {
                const uint16_t t = r.u16(p);
                const size_t s = r.u32(p + 4);
                if (s < 12 || s > end - p)
                    break;
                if (!known(t))
                    return false;
                header = header || t == kHeader;
                p += s;
            }
        }
        off += size;
    }
    return header;
}

}  // namespace vr::mf
