// Enhanced metafile records: a type and a size in bytes (a multiple of 4, header included), then
// the parameters. Logical coordinates go through the world transform and the window/viewport
// mapping to the reference device's pixels; the picture frame (header, .01 mm, converted with
// the reference device's pixels per millimetre) maps onto the destination.
//
// Regions (clip regions, region fills) are in the reference device's pixels and map onto the
// destination with the frame, whatever the logical mapping.
//
// EMF+ records in comments (metafile_emfplus.cpp) are played when the picture has an EMF+ header
// and every EMF+ record it holds can be drawn; the EMF drawing records are then the fallback for
// other readers and are left out, except those that follow an EMF+ GetDC record (drawing the
// EMF+ picture asked for through GDI). Otherwise the EMF records are played and the EMF+ ones
// ignored. Not played: palettes, colour management, gradient fills.
#include <algorithm>
#include <map>

#include <QString>

#include "gfx/fonts/charset.h"
#include "gfx/metafile/metafile_emfplus.h"
#include "gfx/metafile/metafile_player.h"

namespace vr::mf {
namespace {

enum : uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kOffsetClipRgn = 26,
    kExcludeClipRect = 29,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetRop2 = 20,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kIntersectClipRect = 30,
    kScaleViewportExtEx = 31,
    kScaleWindowExtEx = 32,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kAngleArc = 41,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kExtFloodFill = 53,
    kLineTo = 54,
    kArcTo = 55,
    kPolyDraw = 56,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kComment = 70,
    kFillRgn = 71,
    kFrameRgn = 72,
    kInvertRgn = 73,
    kPaintRgn = 74,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kMaskBlt = 78,
    kPlgBlt = 79,
    kSetDiBitsToDevice = 80,
    kStretchDiBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kPolyDraw16 = 92,
    kExtCreatePen = 95,
    kAlphaBlend = 114,
    kTransparentBlt = 116,
};

// Records that draw (left out when the EMF+ records draw the picture).
bool drawsSomething(uint32_t t)
{
    switch (t) {
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
    case kPolyPolyline:
    case kPolyPolygon:
    case kSetPixelV:
    case kAngleArc:
    case kEllipse:
    case kRectangle:
    case kRoundRect:
    case kArc:
    case kChord:
    case kPie:
    case kExtFloodFill:
    case kLineTo:
    case kArcTo:
    case kPolyDraw:
    case kFillPath:
    case kStrokeAndFillPath:
    case kStrokePath:
    case kMaskBlt:
    case kFillRgn:
    case kFrameRgn:
    case kInvertRgn:
    case kPaintRgn:
    case kBitBlt:
    case kStretchBlt:
    case kPlgBlt:
    case kSetDiBitsToDevice:
    case kStretchDiBits:
    case kExtTextOutA:
    case kExtTextOutW:
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16:
    case kPolyPolyline16:
    case kPolyPolygon16:
    case kPolyDraw16:
    case kAlphaBlend:
    case kTransparentBlt:
    case 96:  // POLYTEXTOUTA
    case 97:  // POLYTEXTOUTW
    case 108:  // SMALLTEXTOUT
    case 118:  // GRADIENTFILL
        return true;
    default:
        return false;
    }
}

Brush logBrush(uint32_t style, Color color, uint32_t hatch)
{
    Brush b;
    b.color = color & 0xFFFFFF;
    if (style == 1)
        b.style = BrushStyle::Clear;
    else if (style == 2)
        b.style = static_cast<BrushStyle>(static_cast<int>(BrushStyle::Horizontal) +
                                          static_cast<int>(std::min<uint32_t>(hatch, 5)));
    return b;
}

// The stock objects (index 0x80000000 + n).
std::optional<GdiObject> stockObject(uint32_t n)
{
    GdiObject o;
    switch (n) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {  // white, light grey, grey, dark grey, black, null brush
        static constexpr Color kGreys[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0};
        o.type = GdiObject::Type::Brush;
        o.brush.color = kGreys[n];
        o.brush.style = n == 5 ? BrushStyle::Clear : BrushStyle::Solid;
        return o;
    }
    case 6:
    case 7:
    case 8:  // white, black, null pen
        o.type = GdiObject::Type::Pen;
        o.pen.width = 0;
        o.pen.color = n == 6 ? kWhite : kBlack;
        o.pen.style = n == 8 ? PenStyle::Null : PenStyle::Solid;
        return o;
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17:  // fonts
        o.type = GdiObject::Type::Font;
        return o;
    default:
        return std::nullopt;
    }
}

class EmfPlayer {
public:
    explicit EmfPlayer(Player& p) : p_(p) { }
    bool record(uint32_t type, const Record& r);

private:
    // `count` points of 8 (32-bit) or 4 (16-bit) bytes at `off`; false when they do not fit.
    bool points(const Record& r, size_t off, size_t count, bool small, std::vector<DPoint>& out) const
    {
        const size_t each = small ? 4 : 8;
        if (count > r.size() / each || !r.has(off, count * each))
            return false;
        out.clear();
        out.reserve(count);
        for (size_t k = 0; k < count; ++k) {
            const size_t o = off + k * each;
            if (small)
                out.push_back({static_cast<double>(r.i16(o)), static_cast<double>(r.i16(o + 2))});
            else
                out.push_back({static_cast<double>(r.i32(o)), static_cast<double>(r.i32(o + 4))});
        }
        return true;
    }
    // The DIB of a bitmap record: info header at offBmi (cbBmi bytes) and bits at offBits.
    QImage dib(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits,
               bool* bottomUp = nullptr) const
    {
        if (cbBmi == 0 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits))
            return QImage();
        std::vector<uint8_t> buf(r.data() + offBmi, r.data() + offBmi + cbBmi);
        buf.insert(buf.end(), r.data() + offBits, r.data() + offBits + cbBits);
        if (bottomUp)
            *bottomUp = dibBottomUp(buf.data(), buf.size());
        return decodeDibQuietly(buf.data(), buf.size());
    }
    // The bitmap of a blit record whose BITMAPINFO offset and sizes start at `at` (offBmi,
    // cbBmi, offBits, cbBits), rows top-down; source rows of a bottom-up bitmap counted from its
    // bottom are turned into top-down ones by the caller.
    QImage dibAt(const Record& r, size_t at, bool keepAlpha = false) const
    {
        const size_t offBmi = r.u32(at), cbBmi = r.u32(at + 4), offBits = r.u32(at + 8), cbBits = r.u32(at + 12);
        if (keepAlpha) {
            const QImage a = alphaDib(r, offBmi, cbBmi, offBits, cbBits);
            if (!a.isNull())
                return a;
        }
        return dib(r, offBmi, cbBmi, offBits, cbBits);
    }
    // A 32-bit BI_RGB bitmap with its fourth byte kept as alpha (AlphaBlend's source); null for
    // other bitmaps.
    QImage alphaDib(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits) const
    {
        if (cbBmi < 40 || !r.has(offBmi, 40) || r.u16(offBmi + 14) != 32 || r.u32(offBmi + 16) != 0)
            return QImage();
        const int w = r.i32(offBmi + 4), h = r.i32(offBmi + 8);
        if (w <= 0 || w > 16384 || h == 0 || h < -16384 || h > 16384)
            return QImage();
        const size_t rows = static_cast<size_t>(std::abs(h)), stride = static_cast<size_t>(w) * 4;
        if (!r.has(offBits, stride * rows) || cbBits < stride * rows)
            return QImage();
        // The platform's blending bitmaps hold premultiplied colours already.
        QImage im(w, static_cast<int>(rows), QImage::Format_ARGB32_Premultiplied);
        if (im.isNull())
            return im;
        for (size_t y = 0; y < rows; ++y) {
            const uint8_t* row = r.data() + offBits + (h > 0 ? rows - 1 - y : y) * stride;
            auto* out = reinterpret_cast<QRgb*>(im.scanLine(static_cast<int>(y)));
            for (int x = 0; x < w; ++x) {
                const uint8_t a = row[4 * x + 3];
                out[x] = qRgba(std::min(row[4 * x + 2], a), std::min(row[4 * x + 1], a), std::min(row[4 * x], a), a);
            }
        }
        return im;
    }
    // A 1-bit bitmap's bits, white where 1, whatever its colours; null for other bitmaps.
    QImage monoDib(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits) const
    {
        if (cbBmi < 40 || !r.has(offBmi, 40) || r.u16(offBmi + 14) != 1)
            return QImage();
        const int w = r.i32(offBmi + 4), h = r.i32(offBmi + 8);
        if (w <= 0 || w > 4096 || h == 0 || h < -4096 || h > 4096)
            return QImage();
        const size_t rows = static_cast<size_t>(std::abs(h)), stride = ((static_cast<size_t>(w) + 31) / 32) * 4;
        if (!r.has(offBits, stride * rows) || cbBits < stride * rows)
            return QImage();
        QImage im(w, static_cast<int>(rows), QImage::Format_RGB32);
        if (im.isNull())
            return im;
        for (size_t y = 0; y < rows; ++y) {
            const uint8_t* row = r.data() + offBits + (h > 0 ? rows - 1 - y : y) * stride;
            auto* out = reinterpret_cast<QRgb*>(im.scanLine(static_cast<int>(y)));
            for (int x = 0; x < w; ++x)
                out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFFu : 0xFF000000u;
        }
        return im;
    }
    // A region of a region record (RGNDATA of `size` bytes at `off`) in canvas pixels.
    std::optional<QRegion> regionAt(const Record& r, size_t off, size_t size) const
    {
        const auto rg = rgnData(r, off, size);
        if (!rg)
            return std::nullopt;
        return p_.mapRegion(*rg, true);
    }
    bool polyRecord(uint32_t type, const Record& r);
    bool polyDraw(const Record& r, bool small);
    bool text(const Record& r, bool wide);

    Player& p_;
    std::map<uint32_t, GdiObject> objects_;
};

bool EmfPlayer::polyRecord(uint32_t type, const Record& r)
{
    const bool small = type >= kPolyBezier16;
    const uint32_t base = small ? type - (kPolyBezier16 - kPolyBezier) : type;
    std::vector<DPoint> pts;
    if (base == kPolyPolyline || base == kPolyPolygon) {
        const size_t polys = r.u32(24), total = r.u32(28);
        if (r.shortRead() || polys > r.size() / 4 || !r.has(32, polys * 4))
            return false;
        if (!points(r, 32 + polys * 4, total, small, pts))
            return false;
        std::vector<std::vector<DPoint>> all;
        size_t at = 0;
        for (size_t k = 0; k < polys; ++k) {
            const size_t n = r.u32(32 + 4 * k);
            if (n > total - at)
                return false;
            all.emplace_back(pts.begin() + static_cast<ptrdiff_t>(at), pts.begin() + static_cast<ptrdiff_t>(at + n));
            at += n;
        }
        if (base == kPolyPolygon)
            p_.polygon(all);
        else
            for (const auto& line : all)
                p_.polyline(line);
        return true;
    }
    const size_t count = r.u32(24);
    if (r.shortRead() || !points(r, 28, count, small, pts))
        return false;
    switch (base) {
    case kPolygon:
        p_.polygon({pts});
        break;
    case kPolyline:
        p_.polyline(pts);
        break;
    case kPolylineTo:
        p_.pathPolyline(pts, true);
        break;
    case kPolyBezier:
    case kPolyBezierTo: {
        const bool to = base == kPolyBezierTo;
        std::vector<DPoint> flat;
        DPoint cur = to ? p_.dc.pos : (pts.empty() ? DPoint{} : pts[0]);
        if (!to)
            flat.push_back(cur);
        for (size_t k = to ? 0 : 1; k + 2 < pts.size(); k += 3) {
            flattenBezier(cur, pts[k], pts[k + 1], pts[k + 2], flat);
            cur = pts[k + 2];
        }
        p_.pathPolyline(flat, to);
        break;
    }
    default:
        break;
    }
    return true;
}

bool EmfPlayer::polyDraw(const Record& r, bool small)
{
    // Points, then one type byte a point: move to 6, line to 2, Bezier to 4, close figure 1.
    const size_t count = r.u32(24);
    std::vector<DPoint> pts;
    if (r.shortRead() || !points(r, 28, count, small, pts))
        return false;
    const size_t types = 28 + count * (small ? 4 : 8);
    if (!r.has(types, count))
        return false;
    std::vector<DPoint> figure{p_.dc.pos};
    auto flush = [&](bool close) {
        if (close && figure.size() > 1)
            figure.push_back(figure.front());
        if (figure.size() > 1)
            p_.polyline(figure);
        figure = {p_.dc.pos};
    };
    for (size_t k = 0; k < count; ++k) {
        const uint8_t t = r.data()[types + k];
        switch (t & ~1u) {
        case 6:
            flush(false);
            figure = {pts[k]};
            break;
        case 2:
            figure.push_back(pts[k]);
            break;
        case 4:
            if (k + 2 < count) {
                flattenBezier(figure.back(), pts[k], pts[k + 1], pts[k + 2], figure);
                k += 2;
            }
            break;
        default:
            return false;
        }
        p_.dc.pos = figure.back();
        if (t & 1) {
            const DPoint first = figure.front();
            flush(true);
            p_.dc.pos = first;
            figure = {first};
        }
    }
    flush(false);
    return true;
}

bool EmfPlayer::text(const Record& r, bool wide)
{
    // EMRTEXT at 36: reference point, character count, string offset, options, rectangle,
    // advances offset.
    const double x = r.i32(36), y = r.i32(40);
    const size_t n = r.u32(44), offString = r.u32(48);
    const uint32_t opts = r.u32(52);
    TextInput in;
    in.options = opts;
    in.hasRect = true;
    for (int k = 0; k < 4; ++k)
        in.rect[k] = r.i32(56 + 4 * static_cast<size_t>(k));
    const size_t offDx = r.u32(72);
    if (r.shortRead())
        return false;
    const size_t each = wide ? 2 : 1;
    if (n > r.size() / each || !r.has(offString, n * each))
        return false;
    const LogFont& f = p_.dc.font;
    if (wide) {
        for (size_t k = 0; k < n; ++k)
            in.text.push_back(r.u16(offString + 2 * k));
        in.glyphIndexes = (opts & eto::GlyphIndex) != 0;
        if (!in.glyphIndexes && f.charset == charset::Symbol)
            in.text = mapSymbolText(f.face, in.text);
    } else {
        in.bytes.assign(reinterpret_cast<const char*>(r.data() + offString), n);
        in.text = decodeFontText(f.charset, f.face, r.data() + offString, n);
    }
    // Advances: one a character (or a pair with ETO_PDY); for 8-bit text one a byte, summed over
    // the bytes of each double-byte character.
    const size_t per = (opts & eto::Pdy) ? 2 : 1;
    if (offDx != 0 && n > 0 && n <= r.size() / (4 * per) && r.has(offDx, n * 4 * per)) {
        std::vector<double> dx, dy;
        for (size_t k = 0; k < n; ++k) {
            dx.push_back(r.i32(offDx + 4 * per * k));
            dy.push_back(per == 2 ? r.i32(offDx + 4 * per * k + 4) : 0);
        }
        if (!wide && in.text.size() != n)
            advancesPerCharacter(f.charset, r.data() + offString, n, in.text.size(), dx, dy);
        in.dx = std::move(dx);
        if (per == 2)
            in.dy = std::move(dy);
    }
    p_.text(x, y, in);
    return true;
}

bool EmfPlayer::record(uint32_t type, const Record& r)
{
    DcState& dc = p_.dc;
    auto i32 = [&](size_t k) { return static_cast<double>(r.i32(8 + 4 * k)); };
    switch (type) {
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
    case kPolyPolyline:
    case kPolyPolygon:
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16:
    case kPolyPolyline16:
    case kPolyPolygon16:
        return polyRecord(type, r);
    case kSetWindowExtEx:
        dc.winExtX = i32(0);
        dc.winExtY = i32(1);
        break;
    case kSetWindowOrgEx:
        dc.winOrgX = i32(0);
        dc.winOrgY = i32(1);
        break;
    case kSetViewportExtEx:
        dc.vpExtX = i32(0);
        dc.vpExtY = i32(1);
        break;
    case kSetViewportOrgEx:
        dc.vpOrgX = i32(0);
        dc.vpOrgY = i32(1);
        break;
    case kScaleViewportExtEx:
    case kScaleWindowExtEx: {
        if (i32(1) == 0 || i32(3) == 0)
            break;
        double& ex = type == kScaleViewportExtEx ? dc.vpExtX : dc.winExtX;
        double& ey = type == kScaleViewportExtEx ? dc.vpExtY : dc.winExtY;
        ex = ex * i32(0) / i32(1);
        ey = ey * i32(2) / i32(3);
        break;
    }
    case kSetPixelV:
        p_.setPixel(i32(0), i32(1), r.u32(16) & 0xFFFFFF);
        break;
    case kSetMapMode:
        dc.mapMode = static_cast<int>(std::clamp<uint32_t>(r.u32(8), 1, 8));
        break;
    case kSetBkMode:
        dc.opaque = r.u32(8) == 2;
        break;
    case kSetPolyFillMode:
        dc.winding = r.u32(8) == 2;
        break;
    case kSetRop2:
        dc.rop2 = static_cast<int>(std::clamp<uint32_t>(r.u32(8), 1, 16));
        break;
    case kSetTextAlign:
        dc.textAlign = r.u32(8);
        break;
    case kSetTextColor:
        dc.textColor = r.u32(8) & 0xFFFFFF;
        break;
    case kSetBkColor:
        dc.bkColor = r.u32(8) & 0xFFFFFF;
        break;
    case kMoveToEx:
        p_.moveTo(i32(0), i32(1));
        if (p_.inPath)
            p_.path.push_back(Player::Figure{{dc.pos}, false});
        break;
    case kLineTo:
        p_.lineTo(i32(0), i32(1));
        break;
    case kIntersectClipRect:
        p_.intersectClip(i32(0), i32(1), i32(2), i32(3));
        break;
    case kExtSelectClipRgn: {
        // Without region data only the copy mode means anything: it removes the clip.
        const size_t size = r.u32(8);
        const int mode = static_cast<int>(r.u32(12));
        if (r.shortRead())
            return false;
        if (size == 0) {
            if (mode == 5)
                p_.combineClip(std::nullopt, 5);
            break;
        }
        const auto rg = regionAt(r, 16, size);
        if (!rg)
            return false;
        p_.combineClip(*rg, mode);
        break;
    }
    case kExcludeClipRect:
        p_.excludeClip(i32(0), i32(1), i32(2), i32(3));
        break;
    case kOffsetClipRgn:
        p_.offsetClip(i32(0), i32(1));
        break;
    case kSelectClipPath:
        p_.clipPath(static_cast<int>(r.u32(8)));
        break;
    case kSetArcDirection:
        dc.arcClockwise = r.u32(8) == 2;
        break;
    case kFillRgn:
    case kFrameRgn:
    case kInvertRgn:
    case kPaintRgn: {
        const size_t size = r.u32(24);
        const size_t at = type == kFillRgn ? 32 : type == kFrameRgn ? 40 : 28;
        const auto rg = regionAt(r, at, size);
        if (r.shortRead() || !rg)
            return false;
        if (type == kInvertRgn) {
            p_.invertRegion(*rg);
        } else if (type == kPaintRgn) {
            p_.fillRegion(*rg, p_.canvasBrush(dc.brush, dc.monoBrush));
        } else {
            const uint32_t k = r.u32(28);
            std::optional<GdiObject> b;
            if (k & 0x80000000u)
                b = stockObject(k & 0x7FFFFFFFu);
            else if (const auto it = objects_.find(k); it != objects_.end())
                b = it->second;
            if (!b || b->type != GdiObject::Type::Brush)
                return false;
            const Brush brush = p_.canvasBrush(b->brush, b->monoPattern);
            if (type == kFillRgn)
                p_.fillRegion(*rg, brush);
            else
                p_.frameRegion(*rg, brush, r.i32(32), r.i32(36));
        }
        break;
    }
    case kExtFloodFill:
        p_.floodFill(i32(0), i32(1), r.u32(16) & 0xFFFFFF, r.u32(20) == 1);
        break;
    case kAngleArc: {
        // A line from the current position to the arc's start, then the arc; angles in degrees
        // counter-clockwise, the radius in logical units.
        const double cx = i32(0), cy = i32(1), radius = r.u32(16);
        const double start = r.f32(20), sweep = r.f32(24);
        if (r.shortRead() || !(std::abs(sweep) < 1e6) || !(std::abs(start) < 1e6))
            return false;
        const int steps = std::clamp(static_cast<int>(std::abs(sweep) / 4) + 1, 2, 512);
        std::vector<DPoint> pts;
        for (int k = 0; k <= steps; ++k) {
            const double a = (start + sweep * k / steps) * std::numbers::pi / 180;
            pts.push_back({cx + radius * std::cos(a), cy - radius * std::sin(a)});
        }
        p_.pathPolyline(pts, true);
        break;
    }
    case kArcTo: {
        const std::vector<DPoint> pts =
            p_.arcPoints(i32(0), i32(1), i32(2), i32(3), DPoint{i32(4), i32(5)}, DPoint{i32(6), i32(7)});
        if (r.shortRead())
            return false;
        p_.pathPolyline(pts, true);
        break;
    }
    case kPolyDraw:
    case kPolyDraw16:
        return polyDraw(r, type == kPolyDraw16);
    case kMaskBlt: {
        const double x = i32(4), y = i32(5), w = i32(6), h = i32(7);
        const uint32_t rop4 = r.u32(40);
        const int xSrc = r.i32(44), ySrc = r.i32(48), xMask = r.i32(100), yMask = r.i32(104);
        if (r.shortRead())
            return false;
        const QImage image = dibAt(r, 84);
        const QImage mask = monoDib(r, r.u32(112), r.u32(116), r.u32(120), r.u32(124));
        if (image.isNull()) {
            p_.blit(x, y, x + w, y + h, nullptr, IRect{}, (rop4 & 0x00FF0000u) | 0xFFFFu);
            break;
        }
        p_.maskBlit(x, y, x + w, y + h, image, sourceRect(xSrc, ySrc, static_cast<int64_t>(w), static_cast<int64_t>(h)),
                    mask, IPoint{xMask, yMask}, rop4);
        break;
    }
    case kPlgBlt: {
        const DPoint pts[3] = {{i32(4), i32(5)}, {i32(6), i32(7)}, {i32(8), i32(9)}};
        const int xSrc = r.i32(48), ySrc = r.i32(52), cxSrc = r.i32(56), cySrc = r.i32(60);
        const int xMask = r.i32(112), yMask = r.i32(116);
        if (r.shortRead())
            return false;
        const QImage image = dibAt(r, 96);
        const QImage mask = monoDib(r, r.u32(124), r.u32(128), r.u32(132), r.u32(136));
        if (image.isNull())
            break;
        p_.plgBlit(pts, image, sourceRect(xSrc, ySrc, cxSrc, cySrc), mask.isNull() ? nullptr : &mask,
                   IPoint{xMask, yMask});
        break;
    }
    case kAlphaBlend:
    case kTransparentBlt: {
        const double x = i32(4), y = i32(5), w = i32(6), h = i32(7);
        const uint32_t param = r.u32(40);
        const int xSrc = r.i32(44), ySrc = r.i32(48), cxSrc = r.i32(100), cySrc = r.i32(104);
        if (r.shortRead())
            return false;
        // BLENDFUNCTION: operation, flags, constant alpha, alpha format (1: the source's own).
        const bool perPixel = type == kAlphaBlend && ((param >> 24) & 0xFF) == 1;
        const QImage image = dibAt(r, 84, perPixel);
        if (image.isNull())
            break;
        const IRect src = sourceRect(xSrc, ySrc, cxSrc, cySrc);
        if (type == kAlphaBlend)
            p_.alphaBlit(x, y, x + w, y + h, image, src, static_cast<int>((param >> 16) & 0xFF), perPixel);
        else
            p_.transparentBlit(x, y, x + w, y + h, image, src, param & 0xFFFFFF);
        break;
    }
    case kSaveDc:
        p_.saveDc();
        break;
    case kRestoreDc:
        p_.restoreDc(r.i32(8));
        break;
    case kSetWorldTransform:
    case kModifyWorldTransform: {
        const double a = r.f32(8), b = r.f32(12), c = r.f32(16), d = r.f32(20), e = r.f32(24), f = r.f32(28);
        const uint32_t mode = type == kSetWorldTransform ? 4 : r.u32(32);
        if (r.shortRead())
            return false;
        // Points are rows: world = point * M; left multiply applies the new one first.
        auto set = [&](double m11, double m12, double m21, double m22, double dx, double dy) {
            dc.m11 = m11;
            dc.m12 = m12;
            dc.m21 = m21;
            dc.m22 = m22;
            dc.dx = dx;
            dc.dy = dy;
        };
        const double A = dc.m11, B = dc.m12, C = dc.m21, D = dc.m22, E = dc.dx, F = dc.dy;
        switch (mode) {
        case 1:
            set(1, 0, 0, 1, 0, 0);
            break;
        case 2:
            set(a * A + b * C, a * B + b * D, c * A + d * C, c * B + d * D, e * A + f * C + E, e * B + f * D + F);
            break;
        case 3:
            set(A * a + B * c, A * b + B * d, C * a + D * c, C * b + D * d, E * a + F * c + e, E * b + F * d + f);
            break;
        case 4:
            set(a, b, c, d, e, f);
            break;
        default:
            break;
        }
        break;
    }
    case kSelectObject: {
        const uint32_t k = r.u32(8);
        if (k & 0x80000000u) {
            if (const auto o = stockObject(k & 0x7FFFFFFFu))
                p_.select(*o);
        } else if (const auto it = objects_.find(k); it != objects_.end()) {
            p_.select(it->second);
        }
        break;
    }
    case kDeleteObject:
        objects_.erase(r.u32(8));
        break;
    case kCreatePen: {
        GdiObject o;
        o.type = GdiObject::Type::Pen;
        o.pen.style = penStyle(r.u32(12));
        o.pen.width = static_cast<int>(std::min<int64_t>(std::abs(static_cast<int64_t>(r.i32(16))), 1 << 20));
        o.pen.color = r.u32(24) & 0xFFFFFF;
        if (r.shortRead())
            return false;
        objects_[r.u32(8)] = o;
        break;
    }
    case kExtCreatePen: {
        GdiObject o;
        o.type = GdiObject::Type::Pen;
        const uint32_t style = r.u32(28);
        o.pen.style = penStyle(style);
        // Cosmetic pens are one pixel wide whatever their width.
        o.pen.width = (style & 0x10000) ? static_cast<int>(std::min<uint32_t>(r.u32(32), 1 << 20)) : 0;
        o.pen.color = r.u32(40) & 0xFFFFFF;
        if (r.u32(36) == 1)  // a null brush draws nothing
            o.pen.style = PenStyle::Null;
        if (r.shortRead())
            return false;
        objects_[r.u32(8)] = o;
        break;
    }
    case kCreateBrushIndirect: {
        GdiObject o;
        o.type = GdiObject::Type::Brush;
        o.brush = logBrush(r.u32(12), r.u32(16), r.u32(20));
        if (r.shortRead())
            return false;
        objects_[r.u32(8)] = o;
        break;
    }
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt: {
        GdiObject o;
        o.type = GdiObject::Type::Brush;
        // A monochrome brush, or a 1-bit pattern given with palette indexes, has no colours of
        // its own: it takes the text and background colours.
        QImage image;
        const size_t offBmi = r.u32(16), cbBmi = r.u32(20);
        const bool blackAndWhite = cbBmi >= 48 && r.has(offBmi, 48) && r.u16(offBmi + 14) == 1 &&
            (r.u32(offBmi + 40) & 0xFFFFFF) == 0 && (r.u32(offBmi + 44) & 0xFFFFFF) == 0xFFFFFF;
        if (type == kCreateMonoBrush || r.u32(12) == 1 || blackAndWhite)
            image = monoDib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28));
        o.monoPattern = !image.isNull();
        if (image.isNull())
            image = dib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28));
        if (r.shortRead())
            return false;
        if (!image.isNull()) {
            o.brush.style = BrushStyle::Pattern;
            o.brush.pattern = std::make_shared<const QImage>(image);
        } else {
            o.brush.color = 0x808080;  // undecodable pattern: a mid grey keeps the area visible
        }
        objects_[r.u32(8)] = o;
        break;
    }
    case kExtCreateFontIndirectW: {
        GdiObject o;
        o.type = GdiObject::Type::Font;
        LogFont& f = o.font;
        f.height = r.i32(12);
        f.width = r.i32(16);
        f.escapement = r.i32(20) % 3600;
        f.orientation = r.i32(24) % 3600;
        f.weight = r.i32(28);
        if (r.shortRead() || !r.has(32, 4))
            return false;
        f.italic = r.data()[32] != 0;
        f.underline = r.data()[33] != 0;
        f.strikeOut = r.data()[34] != 0;
        f.charset = r.data()[35];
        std::u16string face;
        for (size_t k = 0; k < 32 && r.has(40 + 2 * k, 2); ++k) {
            const uint16_t c = r.u16(40 + 2 * k);
            if (c == 0)
                break;
            face.push_back(c);
        }
        if (!face.empty())
            f.face = QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size())).toStdString();
        objects_[r.u32(8)] = o;
        break;
    }
    case kEllipse:
        p_.ellipse(i32(0), i32(1), i32(2), i32(3));
        break;
    case kRectangle:
        p_.rectangle(i32(0), i32(1), i32(2), i32(3));
        break;
    case kRoundRect:
        p_.roundRect(i32(0), i32(1), i32(2), i32(3), i32(4), i32(5));
        break;
    case kArc:
    case kChord:
    case kPie: {
        const auto kind = type == kArc ? Player::ArcKind::Arc
            : type == kPie             ? Player::ArcKind::Pie
                                       : Player::ArcKind::Chord;
        p_.arc(kind, i32(0), i32(1), i32(2), i32(3), DPoint{i32(4), i32(5)}, DPoint{i32(6), i32(7)});
        break;
    }
    case kBeginPath:
        p_.inPath = true;
        p_.path.clear();
        break;
    case kEndPath:
        p_.inPath = false;
        break;
    case kAbortPath:
        p_.inPath = false;
        p_.path.clear();
        break;
    case kCloseFigure:
        p_.closeFigure();
        break;
    case kFillPath:
        p_.drawPath(true, false);
        break;
    case kStrokePath:
        p_.drawPath(false, true);
        break;
    case kStrokeAndFillPath:
        p_.drawPath(true, true);
        break;
    case kBitBlt:
    case kStretchBlt: {
        const double x = i32(4), y = i32(5), w = i32(6), h = i32(7);
        const uint32_t rop = r.u32(40);
        const int xSrc = r.i32(44), ySrc = r.i32(48);
        const size_t offBmi = r.u32(84), cbBmi = r.u32(88), offBits = r.u32(92), cbBits = r.u32(96);
        if (r.shortRead())
            return false;
        const QImage image = dib(r, offBmi, cbBmi, offBits, cbBits);
        int cxSrc = static_cast<int>(w), cySrc = static_cast<int>(h);
        if (type == kStretchBlt) {
            cxSrc = r.i32(100);
            cySrc = r.i32(104);
            if (r.shortRead())
                return false;
        }
        p_.blit(x, y, x + w, y + h, image.isNull() ? nullptr : &image, sourceRect(xSrc, ySrc, cxSrc, cySrc), rop);
        break;
    }
    case kStretchDiBits:
    case kSetDiBitsToDevice: {
        const double x = i32(4), y = i32(5);
        const int xSrc = r.i32(32), ySrc = r.i32(36), cxSrc = r.i32(40), cySrc = r.i32(44);
        const size_t offBmi = r.u32(48), cbBmi = r.u32(52), offBits = r.u32(56), cbBits = r.u32(60);
        uint32_t rop = rop::SrcCopy;
        double w = cxSrc, h = cySrc;
        if (type == kStretchDiBits) {
            rop = r.u32(68);
            w = r.i32(72);
            h = r.i32(76);
        }
        if (r.shortRead())
            return false;
        bool bottomUp = true;
        const QImage image = dib(r, offBmi, cbBmi, offBits, cbBits, &bottomUp);
        if (image.isNull())
            break;
        // Source rows count from the bottom of a bottom-up bitmap.
        const int64_t top = bottomUp ? int64_t{image.height()} - ySrc - cySrc : ySrc;
        p_.blit(x, y, x + w, y + h, &image, sourceRect(xSrc, top, cxSrc, cySrc), rop);
        break;
    }
    case kExtTextOutA:
    case kExtTextOutW:
        return text(r, type == kExtTextOutW);
    default:
        break;  // unknown, ignored, comments
    }
    return !r.shortRead();
}

}  // namespace

void playEmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest, Diagnostics* d, int depth)
{
    const Record head(bytes.data(), bytes.size());
    const double bl = head.i32(8), bt = head.i32(12), br = head.i32(16), bb = head.i32(20);
    const double fl = head.i32(24), ft = head.i32(28), fr = head.i32(32), fb = head.i32(36);
    const double devW = head.i32(72), devH = head.i32(76), mmW = head.i32(80), mmH = head.i32(84);
    Player player(canvas, dest, d);
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
        player.pxPerMmX = devW / mmW;
        player.pxPerMmY = devH / mmH;
    }
    // The frame (.01 mm, inclusive) in reference pixels; the bounds when the frame is empty.
    if (fr > fl && fb > ft) {
        player.refLeft = fl / 100 * player.pxPerMmX;
        player.refTop = ft / 100 * player.pxPerMmY;
        player.refWidth = (fr - fl) / 100 * player.pxPerMmX;
        player.refHeight = (fb - ft) / 100 * player.pxPerMmY;
    } else {
        player.refLeft = bl;
        player.refTop = bt;
        player.refWidth = std::max(1.0, br - bl + 1);
        player.refHeight = std::max(1.0, bb - bt + 1);
    }
    EmfPlayer emf(player);
    const bool plus = emfPlusDrawable(bytes);
    EmfPlusPlayer emfPlus(player, depth);
    size_t off = 0;
    bool first = true;
    auto name = [](uint32_t type) { return "EMF record " + std::to_string(type); };
    while (head.has(off, 8)) {
        const uint32_t type = head.u32(off), size = head.u32(off + 4);
        if (size < 8 || size % 4 != 0 || size > bytes.size() - off) {
            warnTo(d, name(type) + " runs past the end of the picture: the picture ends here",
                   static_cast<int64_t>(off));
            break;
        }
        if (type == kEof)
            break;
        const Record r(bytes.data() + off, size);
        if (plus && type == kComment && size >= 16 && r.u32(12) == 0x2B464D45u) {
            emfPlus.comment(r, static_cast<int64_t>(off));
        } else if (!first && !(plus && emfPlus.started() && !emfPlus.afterGetDc() && drawsSomething(type))) {
            if (!emf.record(type, r))
                warnTo(d, name(type) + " is inconsistent with its size: skipped", static_cast<int64_t>(off));
        }
        first = false;
        off += size;
    }
}

}  // namespace vr::mf
