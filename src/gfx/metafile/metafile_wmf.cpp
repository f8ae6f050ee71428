// Windows metafile records. Each record is a size in 16-bit words (header included), a function
// number and its parameters, most of them in reverse order of the call's arguments.
//
// Mapping: the picture's frame (the placeable header's bounds, else the first window origin and
// extent, else the bounds of what the records draw, see wmfFrame) is its device space, mapped
// onto the destination. The window and the viewport start out both as the frame, so a file that
// sets only its window maps that window onto the destination, and viewport records move and
// scale the picture within its frame in the frame's units. Every mapping mode maps the window
// onto the viewport (the isotropic one keeping the aspect).
//
// An EMF carried in the escape records' "WMFC" comment chunks is played instead of the WMF
// records, which are only its rendering for older readers.
#include <algorithm>
#include <optional>

#include <QString>

#include "gfx/fonts/charset.h"
#include "gfx/metafile/metafile_player.h"

namespace vr::mf {
namespace {

enum : uint16_t {
    kEof = 0x0000,
    kSetBkColor = 0x0201,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kSetTextColor = 0x0209,
    kSetTextCharExtra = 0x0108,
    kSetTextJustification = 0x020A,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kOffsetViewportOrg = 0x0211,
    kOffsetClipRgn = 0x0220,
    kFillRegion = 0x0228,
    kInvertRegion = 0x012A,
    kPaintRegion = 0x012B,
    kSelectClipRegion = 0x012C,
    kScaleWindowExt = 0x0410,
    kScaleViewportExt = 0x0412,
    kExcludeClipRect = 0x0415,
    kFloodFill = 0x0419,
    kFrameRegion = 0x0429,
    kExtFloodFill = 0x0548,
    kEscape = 0x0626,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kIntersectClipRect = 0x0416,
    kArc = 0x0817,
    kEllipse = 0x0418,
    kPie = 0x081A,
    kChord = 0x0830,
    kRectangle = 0x041B,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kSaveDc = 0x001E,
    kSetPixel = 0x041F,
    kTextOut = 0x0521,
    kBitBlt = 0x0922,
    kStretchBlt = 0x0B23,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kExtTextOut = 0x0A32,
    kSetDibToDev = 0x0D33,
    kPolyPolygon = 0x0538,
    kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41,
    kDibCreatePatternBrush = 0x0142,
    kStretchDib = 0x0F43,
    kDeleteObject = 0x01F0,
    kCreatePalette = 0x00F7,
    kCreatePatternBrush = 0x01F9,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreateRegion = 0x06FF,
};

// An old-style device-dependent bitmap (monochrome or 24/32-bit), or null: its header at `off`,
// its bits right after the header's first ten bytes or at `bitsAt` when given.
QImage bitmap16(const Record& r, size_t off, size_t bitsAt = 0)
{
    const int w = r.i16(off + 2), h = r.i16(off + 4), stride = r.u16(off + 6);
    const int planes = r.u16(off + 8) & 0xFF, bpp = r.u16(off + 9) & 0xFF;
    const size_t bits = bitsAt != 0 ? bitsAt : off + 10;
    if (r.shortRead() || w <= 0 || h <= 0 || planes != 1 || (bpp != 1 && bpp != 24 && bpp != 32))
        return QImage();
    if (static_cast<int64_t>(stride) * 8 < static_cast<int64_t>(w) * bpp ||
        !r.has(bits, static_cast<size_t>(stride) * static_cast<size_t>(h)))
        return QImage();
    QImage im(w, h, QImage::Format_RGB32);
    if (im.isNull())
        return im;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = r.data() + bits + static_cast<size_t>(y) * stride;
        auto* out = reinterpret_cast<QRgb*>(im.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (bpp == 1)
                out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFFu : 0xFF000000u;
            else {
                const uint8_t* px = row + static_cast<size_t>(x) * (bpp / 8);
                out[x] = qRgb(px[2], px[1], px[0]);
            }
        }
    }
    return im;
}

// A 1-bit DIB read as its bits (white where 1), whatever its colour entries (`entryBytes` each:
// 2 for palette indexes, 4 for colours); null when it is not one.
QImage monoDib(const Record& r, size_t off, size_t entryBytes)
{
    const uint32_t header = r.u32(off);
    if (header < 40 || r.u16(off + 14) != 1 || r.u32(off + 16) != 0)
        return QImage();
    const int w = r.i32(off + 4), h = r.i32(off + 8);
    if (r.shortRead() || w <= 0 || w > 4096 || h == 0 || h < -4096 || h > 4096)
        return QImage();
    const uint32_t used = r.u32(off + 32);
    const size_t colours = used == 0 || used > 2 ? 2 : used;
    const size_t stride = ((static_cast<size_t>(w) + 31) / 32) * 4;
    const size_t rows = static_cast<size_t>(std::abs(h));
    const size_t bits = off + header + colours * entryBytes;
    if (!r.has(bits, stride * rows))
        return QImage();
    QImage im(w, static_cast<int>(rows), QImage::Format_RGB32);
    if (im.isNull())
        return im;
    for (size_t y = 0; y < rows; ++y) {
        const uint8_t* row = r.data() + bits + (h > 0 ? rows - 1 - y : y) * stride;
        auto* out = reinterpret_cast<QRgb*>(im.scanLine(static_cast<int>(y)));
        for (int x = 0; x < w; ++x)
            out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? 0xFFFFFFFFu : 0xFF000000u;
    }
    return im;
}

bool isDibHeader(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

// Whether a DIB at `off` is 1-bit with black (index 0) and white (index 1) as its colours.
bool blackAndWhiteDib(const Record& r, size_t off)
{
    const uint32_t header = r.u32(off);
    if (header < 40 || r.u16(off + 14) != 1)
        return false;
    const uint32_t c0 = r.u32(off + header) & 0xFFFFFF, c1 = r.u32(off + header + 4) & 0xFFFFFF;
    return !r.shortRead() && c0 == 0 && c1 == 0xFFFFFF;
}

// A REGION object of CREATEREGION (at `off`): its scans of left-right pairs; empty when the
// counts do not fit.
std::optional<QRegion> wmfRegion(const Record& r, size_t off)
{
    // Next in chain, object type, object count, region size, scan count, largest scan, bounds.
    const int scans = r.i16(off + 10);
    if (r.shortRead() || scans < 0)
        return std::nullopt;
    size_t at = off + 22;
    std::vector<QRect> rects;
    for (int k = 0; k < scans; ++k) {
        const size_t count = r.u16(at);
        const int top = r.i16(at + 2), bottom = r.i16(at + 4);
        if (r.shortRead() || count % 2 != 0 || !r.has(at + 6, count * 2 + 2))
            return std::nullopt;
        for (size_t j = 0; j + 1 < count; j += 2) {
            const int left = r.i16(at + 6 + 2 * j), right = r.i16(at + 8 + 2 * j);
            if (right > left && bottom > top)
                rects.emplace_back(left, top, right - left, bottom - top);
        }
        at += 6 + count * 2 + 2;
    }
    return unionOf(std::move(rects));
}

class WmfPlayer {
public:
    WmfPlayer(Player& p) : p_(p) { }
    // False when the record's contents are inconsistent: it is skipped.
    bool record(uint16_t fn, const Record& r);

private:
    std::vector<DPoint> points(const Record& r, size_t off, size_t count) const
    {
        std::vector<DPoint> pts;
        pts.reserve(count);
        for (size_t k = 0; k < count; ++k)
            pts.push_back({static_cast<double>(r.i16(off + 4 * k)), static_cast<double>(r.i16(off + 4 * k + 2))});
        return pts;
    }
    void create(GdiObject o)
    {
        for (auto& slot : objects_)
            if (!slot) {
                slot = std::move(o);
                return;
            }
        objects_.push_back(std::move(o));
    }
    void blit(const Record& r, uint16_t fn);
    const GdiObject* object(size_t k) const { return k < objects_.size() && objects_[k] ? &*objects_[k] : nullptr; }
    // A region object in canvas pixels.
    std::optional<QRegion> region(size_t k) const
    {
        const GdiObject* o = object(k);
        if (!o || o->type != GdiObject::Type::Region)
            return std::nullopt;
        return p_.mapRegion(o->region, false);
    }
    TextInput textOf(const Record& r, size_t off, size_t len) const
    {
        TextInput in;
        in.bytes.assign(reinterpret_cast<const char*>(r.data() + off), len);
        in.text = decodeFontText(p_.dc.font.charset, p_.dc.font.face, r.data() + off, len);
        return in;
    }

    Player& p_;
    std::vector<std::optional<GdiObject>> objects_;
};

void WmfPlayer::blit(const Record& r, uint16_t fn)
{
    // A record as long as its parameters without a bitmap is a pattern operation.
    const size_t words = r.size() / 2;
    const bool noBitmap = words == static_cast<size_t>(fn >> 8) + 3;
    const uint32_t rop = r.u32(6);
    const bool stretch = fn == kStretchBlt || fn == kDibStretchBlt;
    size_t o = 10;
    int srcH = 0, srcW = 0;
    if (stretch) {
        srcH = r.i16(o);
        srcW = r.i16(o + 2);
        o += 4;
    }
    const int ySrc = r.i16(o), xSrc = r.i16(o + 2);
    o += 4;
    if (noBitmap)
        o += 2;  // reserved
    const int h = r.i16(o), w = r.i16(o + 2), yDest = r.i16(o + 4), xDest = r.i16(o + 6);
    o += 8;
    if (!stretch) {
        srcW = w;
        srcH = h;
    }
    if (r.shortRead())
        return;
    if (noBitmap) {
        p_.blit(xDest, yDest, xDest + w, yDest + h, nullptr, IRect{}, rop);
        return;
    }
    QImage image = (fn == kBitBlt || fn == kStretchBlt) ? bitmap16(r, o) : decodeDibQuietly(r.data() + o, r.size() - o);
    if (image.isNull())
        return;
    p_.blit(xDest, yDest, xDest + w, yDest + h, &image, IRect{xSrc, ySrc, xSrc + srcW, ySrc + srcH}, rop);
}

bool WmfPlayer::record(uint16_t fn, const Record& r)
{
    DcState& dc = p_.dc;
    // Parameters start after the size (4 bytes) and the function (2 bytes).
    auto s16 = [&](size_t k) { return static_cast<double>(r.i16(6 + 2 * k)); };
    switch (fn) {
    case kSetBkColor:
        dc.bkColor = r.u32(6) & 0xFFFFFF;
        break;
    case kSetBkMode:
        dc.opaque = r.u16(6) == 2;
        break;
    case kSetMapMode:
        dc.mapMode = r.u16(6);
        break;
    case kSetTextCharExtra:
        dc.charExtra = r.i16(6);
        break;
    case kSetTextJustification:
        dc.breakCount = r.i16(6);
        dc.breakExtra = r.i16(8);
        break;
    case kSetViewportOrg:
        dc.vpOrgY = s16(0);
        dc.vpOrgX = s16(1);
        break;
    case kSetViewportExt:
        dc.vpExtY = s16(0);
        dc.vpExtX = s16(1);
        break;
    case kOffsetViewportOrg:
        dc.vpOrgY += s16(0);
        dc.vpOrgX += s16(1);
        break;
    case kScaleViewportExt:
        if (s16(0) != 0 && s16(2) != 0) {
            dc.vpExtY = dc.vpExtY * s16(1) / s16(0);
            dc.vpExtX = dc.vpExtX * s16(3) / s16(2);
        }
        break;
    case kExcludeClipRect:
        p_.excludeClip(s16(3), s16(2), s16(1), s16(0));
        break;
    case kOffsetClipRgn:
        p_.offsetClip(s16(1), s16(0));
        break;
    case kSelectClipRegion: {
        // A null region (or one that is no region) removes the clip.
        p_.combineClip(region(r.u16(6)), 5);
        break;
    }
    case kFillRegion:
    case kFrameRegion:
    case kPaintRegion:
    case kInvertRegion: {
        const auto rg = region(r.u16(6));
        if (r.shortRead() || !rg)
            return false;
        if (fn == kInvertRegion) {
            p_.invertRegion(*rg);
        } else if (fn == kPaintRegion) {
            p_.fillRegion(*rg, p_.canvasBrush(dc.brush, dc.monoBrush));
        } else {
            const GdiObject* b = object(r.u16(8));
            if (!b || b->type != GdiObject::Type::Brush)
                return false;
            const Brush brush = p_.canvasBrush(b->brush, b->monoPattern);
            if (fn == kFillRegion)
                p_.fillRegion(*rg, brush);
            else
                p_.frameRegion(*rg, brush, r.i16(12), r.i16(10));
        }
        break;
    }
    case kFloodFill:
    case kExtFloodFill: {
        const bool ext = fn == kExtFloodFill;
        const size_t o = ext ? 8 : 6;
        const Color c = r.u32(o) & 0xFFFFFF;
        const double y = r.i16(o + 4), x = r.i16(o + 6);
        if (r.shortRead())
            return false;
        p_.floodFill(x, y, c, ext && r.u16(6) == 1);
        break;
    }
    case kSetRop2:
        dc.rop2 = std::clamp<int>(r.u16(6), 1, 16);
        break;
    case kSetPolyFillMode:
        dc.winding = r.u16(6) == 2;
        break;
    case kSetTextColor:
        dc.textColor = r.u32(6) & 0xFFFFFF;
        break;
    case kSetTextAlign:
        dc.textAlign = r.u16(6);
        break;
    case kSetWindowOrg:
        dc.winOrgY = s16(0);
        dc.winOrgX = s16(1);
        break;
    case kSetWindowExt:
        dc.winExtY = s16(0);
        dc.winExtX = s16(1);
        break;
    case kOffsetWindowOrg:
        dc.winOrgY += s16(0);
        dc.winOrgX += s16(1);
        break;
    case kScaleWindowExt:
        if (s16(0) != 0 && s16(2) != 0) {
            dc.winExtY = dc.winExtY * s16(1) / s16(0);
            dc.winExtX = dc.winExtX * s16(3) / s16(2);
        }
        break;
    case kSaveDc:
        p_.saveDc();
        break;
    case kRestoreDc:
        p_.restoreDc(r.i16(6));
        break;
    case kIntersectClipRect:
        p_.intersectClip(s16(3), s16(2), s16(1), s16(0));
        break;
    case kMoveTo:
        p_.moveTo(s16(1), s16(0));
        break;
    case kLineTo:
        p_.lineTo(s16(1), s16(0));
        break;
    case kRectangle:
        p_.rectangle(s16(3), s16(2), s16(1), s16(0));
        break;
    case kEllipse:
        p_.ellipse(s16(3), s16(2), s16(1), s16(0));
        break;
    case kRoundRect:
        p_.roundRect(s16(5), s16(4), s16(3), s16(2), s16(1), s16(0));
        break;
    case kArc:
    case kPie:
    case kChord: {
        const auto kind = fn == kArc ? Player::ArcKind::Arc
            : fn == kPie             ? Player::ArcKind::Pie
                                     : Player::ArcKind::Chord;
        p_.arc(kind, s16(7), s16(6), s16(5), s16(4), DPoint{s16(3), s16(2)}, DPoint{s16(1), s16(0)});
        break;
    }
    case kSetPixel:
        p_.setPixel(s16(3), s16(2), r.u32(6) & 0xFFFFFF);
        break;
    case kPolygon:
    case kPolyline: {
        const size_t n = r.u16(6);
        if (!r.has(8, n * 4))
            return false;
        if (fn == kPolygon)
            p_.polygon({points(r, 8, n)});
        else
            p_.polyline(points(r, 8, n));
        break;
    }
    case kPolyPolygon: {
        const size_t polys = r.u16(6);
        if (!r.has(8, polys * 2))
            return false;
        size_t off = 8 + polys * 2;
        std::vector<std::vector<DPoint>> all;
        for (size_t k = 0; k < polys; ++k) {
            const size_t n = r.u16(8 + 2 * k);
            if (!r.has(off, n * 4))
                return false;
            all.push_back(points(r, off, n));
            off += n * 4;
        }
        p_.polygon(all);
        break;
    }
    case kTextOut: {
        const size_t len = r.u16(6);
        if (!r.has(8, len))
            return false;
        const size_t after = 8 + ((len + 1) & ~size_t{1});
        const double y = r.i16(after), x = r.i16(after + 2);
        if (r.shortRead())
            return false;
        p_.text(x, y, textOf(r, 8, len));
        break;
    }
    case kExtTextOut: {
        const double y = s16(0), x = s16(1);
        const size_t len = r.u16(10);
        const uint16_t opts = r.u16(12);
        size_t off = 14;
        double rect[4] = {};
        const bool hasRect = (opts & 6) != 0;
        if (hasRect) {
            for (int k = 0; k < 4; ++k)
                rect[k] = r.i16(off + 2 * static_cast<size_t>(k));
            off += 8;
        }
        if (r.shortRead())
            return false;
        // Some writers leave the rectangle out despite the options; the string then starts early.
        if (!r.has(off, len)) {
            if (hasRect && r.has(14, len))
                off = 14;
            else
                return false;
        }
        TextInput in = textOf(r, off, len);
        in.options = opts;
        in.hasRect = hasRect;
        std::copy(std::begin(rect), std::end(rect), in.rect);
        // The advances follow the string (padded to whole words): one a byte, or a pair a byte
        // with ETO_PDY; a double-byte character's two bytes count as one character whose advance
        // is their sum. Missing or short arrays leave the text to the font's own advances.
        const size_t dxAt = off + ((len + 1) & ~size_t{1});
        const size_t each = (opts & eto::Pdy) ? 4 : 2;
        if (r.has(dxAt, len * each) && len > 0) {
            std::vector<double> dx, dy;
            for (size_t k = 0; k < len; ++k) {
                dx.push_back(r.i16(dxAt + k * each));
                dy.push_back(each == 4 ? r.i16(dxAt + k * each + 2) : 0);
            }
            if (in.text.size() != len)
                advancesPerCharacter(p_.dc.font.charset, r.data() + off, len, in.text.size(), dx, dy);
            in.dx = std::move(dx);
            if (opts & eto::Pdy)
                in.dy = std::move(dy);
        }
        p_.text(x, y, in);
        break;
    }
    case kPatBlt: {
        const uint32_t rop = r.u32(6);
        const double h = s16(2), w = s16(3), y = s16(4), x = s16(5);
        if (r.shortRead())
            return false;
        p_.blit(x, y, x + w, y + h, nullptr, IRect{}, rop);
        break;
    }
    case kBitBlt:
    case kStretchBlt:
    case kDibBitBlt:
    case kDibStretchBlt:
        blit(r, fn);
        break;
    case kStretchDib: {
        const uint32_t rop = r.u32(6);
        const int srcH = r.i16(12), srcW = r.i16(14), ySrc = r.i16(16), xSrc = r.i16(18);
        const double h = r.i16(20), w = r.i16(22), y = r.i16(24), x = r.i16(26);
        if (r.shortRead())
            return false;
        const QImage image = decodeDibQuietly(r.data() + 28, r.size() - 28);
        if (image.isNull())
            break;
        // Source rows count from the bottom of a bottom-up bitmap.
        const int top = dibBottomUp(r.data() + 28, r.size() - 28) ? image.height() - ySrc - srcH : ySrc;
        p_.blit(x, y, x + w, y + h, &image, IRect{xSrc, top, xSrc + srcW, top + srcH}, rop);
        break;
    }
    case kSetDibToDev: {
        const int ySrc = r.i16(12), xSrc = r.i16(14), h = r.i16(16), w = r.i16(18);
        const double y = r.i16(20), x = r.i16(22);
        if (r.shortRead())
            return false;
        const QImage image = decodeDibQuietly(r.data() + 24, r.size() - 24);
        if (image.isNull())
            break;
        const int top = dibBottomUp(r.data() + 24, r.size() - 24) ? image.height() - ySrc - h : ySrc;
        p_.blit(x, y, x + w, y + h, &image, IRect{xSrc, top, xSrc + w, top + h}, rop::SrcCopy);
        break;
    }
    case kSelectObject: {
        const size_t k = r.u16(6);
        if (const GdiObject* o = object(k)) {
            if (o->type == GdiObject::Type::Region)
                p_.combineClip(region(k), 5);
            else
                p_.select(*o);
        }
        break;
    }
    case kDeleteObject: {
        const size_t k = r.u16(6);
        if (k < objects_.size())
            objects_[k].reset();
        break;
    }
    case kCreatePenIndirect: {
        GdiObject o;
        o.type = GdiObject::Type::Pen;
        o.pen.style = penStyle(r.u16(6));
        o.pen.width = std::abs(r.i16(8));
        o.pen.color = r.u32(12) & 0xFFFFFF;
        if (r.shortRead())
            return false;
        create(o);
        break;
    }
    case kCreateBrushIndirect: {
        GdiObject o;
        o.type = GdiObject::Type::Brush;
        const uint16_t style = r.u16(6), hatch = r.u16(12);
        o.brush.color = r.u32(8) & 0xFFFFFF;
        if (r.shortRead())
            return false;
        if (style == 1)
            o.brush.style = BrushStyle::Clear;
        else if (style == 2)
            o.brush.style = static_cast<BrushStyle>(static_cast<int>(BrushStyle::Horizontal) + std::min<int>(hatch, 5));
        create(o);
        break;
    }
    case kDibCreatePatternBrush:
    case kCreatePatternBrush: {
        GdiObject o;
        o.type = GdiObject::Type::Brush;
        QImage image;
        if (fn == kCreatePatternBrush) {
            // The bitmap's 14-byte header and 18 reserved bytes precede the bits.
            image = bitmap16(r, 6, 38);
            o.monoPattern = (r.u16(15) & 0xFF) == 1;
        } else if (r.u16(6) == 3 && !isDibHeader(r.u32(10))) {  // a device-dependent bitmap
            image = bitmap16(r, 10);
            o.monoPattern = (r.u16(19) & 0xFF) == 1;
        } else if (r.size() > 10) {
            // A 1-bit DIB given with palette indexes, or with black and white as its colours, has
            // no colours of its own: it takes the text and background colours.
            const uint16_t usage = r.u16(8);
            if (usage == 1 || blackAndWhiteDib(r, 10))
                image = monoDib(r, 10, usage == 1 ? 2 : 4);
            o.monoPattern = !image.isNull();
            if (image.isNull())
                image = decodeDibQuietly(r.data() + 10, r.size() - 10);
        }
        if (!image.isNull()) {
            o.brush.style = BrushStyle::Pattern;
            o.brush.pattern = std::make_shared<const QImage>(image);
        } else {
            o.brush.color = 0x808080;  // undecodable pattern: a mid grey keeps the area visible
        }
        create(o);
        break;
    }
    case kCreateFontIndirect: {
        GdiObject o;
        o.type = GdiObject::Type::Font;
        LogFont& f = o.font;
        f.height = r.i16(6);
        f.width = r.i16(8);
        f.escapement = r.i16(10);
        f.orientation = r.i16(12);
        f.weight = r.i16(14);
        if (r.shortRead() || !r.has(16, 4))
            return false;
        f.italic = r.data()[16] != 0;
        f.underline = r.data()[17] != 0;
        f.strikeOut = r.data()[18] != 0;
        f.charset = r.data()[19];
        size_t end = 24;
        while (end < std::min<size_t>(r.size(), 24 + 32) && r.data()[end] != 0)
            ++end;
        if (end > 24) {
            // Face names are in the font's own code page (e.g. Japanese faces in Shift-JIS).
            const std::u16string name = f.charset == charset::Symbol
                ? decodeFontText(charset::Ansi, {}, r.data() + 24, end - 24)
                : decodeFontText(f.charset, {}, r.data() + 24, end - 24);
            f.face = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())).toStdString();
        }
        create(o);
        break;
    }
    case kCreateRegion: {
        GdiObject o;
        if (const auto rg = wmfRegion(r, 6)) {
            o.type = GdiObject::Type::Region;
            o.region = *rg;
        }
        // A damaged region still takes its slot, so that later indexes stay right.
        create(o);
        break;
    }
    case kCreatePalette:
        create(GdiObject{});
        break;
    default:
        break;  // unknown or ignored
    }
    return !r.shortRead();
}

}  // namespace

namespace {

// Each record of a WMF after its header(s): (offset, words, function); stops where the framing
// breaks (reported) or at the end record.
template <typename F> void forEachRecord(const std::vector<uint8_t>& bytes, F f, Diagnostics* d = nullptr)
{
    const Record file(bytes.data(), bytes.size());
    size_t off = wmfHeaderOffset(bytes);
    off += std::max<size_t>(file.u16(off + 2), 9) * 2;
    while (file.has(off, 6)) {
        const size_t words = file.u32(off);
        const uint16_t fn = file.u16(off + 4);
        if (fn == kEof)
            return;
        if (words < 3 || words > (bytes.size() - off) / 2) {
            warnTo(d,
                   "WMF record 0x" + QString::number(fn, 16).rightJustified(4, u'0').toStdString() +
                       " runs past the end of the picture: the picture ends here",
                   static_cast<int64_t>(off));
            return;
        }
        if (!f(off, words, fn))
            return;
        off += words * 2;
    }
}

// The EMF of the escape records' "WMFC" comment chunks, in order, when they are complete.
std::optional<std::vector<uint8_t>> embeddedEmf(const std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> emf;
    size_t expected = 0;
    bool any = false, broken = false;
    forEachRecord(bytes, [&](size_t off, size_t words, uint16_t fn) {
        if (fn != kEscape)
            return true;
        const Record r(bytes.data() + off, words * 2);
        // Escape 15 (a comment) holding "WMFC", comment type 1, version 0x10000, checksum,
        // flags, record count, this chunk's size, bytes remaining, the EMF's size; then the chunk.
        if (r.u16(6) != 15 || r.u32(10) != 0x43464D57u || r.u32(14) != 1)
            return true;
        const size_t chunk = r.u32(32), total = r.u32(40);
        if (r.shortRead() || !r.has(44, chunk) || total > bytes.size() * 2 || (any && total != expected)) {
            broken = true;
            return false;
        }
        any = true;
        expected = total;
        emf.insert(emf.end(), r.data() + 44, r.data() + 44 + chunk);
        return emf.size() <= total;
    });
    if (!any || broken || emf.size() != expected)
        return std::nullopt;
    return emf;
}

// Widens the box by a point.
struct Box {
    double l = 1e300, t = 1e300, r = -1e300, b = -1e300;
    void add(double x, double y)
    {
        l = std::min(l, x);
        t = std::min(t, y);
        r = std::max(r, x);
        b = std::max(b, y);
    }
    bool empty() const { return r < l || b < t; }
};

}  // namespace

size_t wmfHeaderOffset(const std::vector<uint8_t>& bytes)
{
    const Record file(bytes.data(), bytes.size());
    if (file.u32(0) != 0x9AC6CDD7u)
        return 0;
    auto header = [&](size_t at) { return (file.u16(at) == 1 || file.u16(at) == 2) && file.u16(at + 2) == 9; };
    return !header(22) && header(24) ? 24 : 22;
}

bool wmfFrame(const std::vector<uint8_t>& bytes, double& l, double& t, double& w, double& h, bool& fromBounds)
{
    const Record file(bytes.data(), bytes.size());
    fromBounds = false;
    if (file.u32(0) == 0x9AC6CDD7u) {
        l = file.i16(6);
        t = file.i16(8);
        w = file.i16(10) - l;
        h = file.i16(12) - t;
        if (w == 0)
            w = 1;
        if (h == 0)
            h = 1;
        return !file.shortRead();
    }
    // The first window extent, with the window origin set before it.
    double orgX = 0, orgY = 0;
    bool found = false;
    forEachRecord(bytes, [&](size_t off, size_t words, uint16_t fn) {
        const Record r(bytes.data() + off, words * 2);
        if (fn == kSetWindowOrg && words >= 5) {
            orgY = r.i16(6);
            orgX = r.i16(8);
        } else if (fn == kSetWindowExt && words >= 5 && r.i16(6) != 0 && r.i16(8) != 0) {
            h = r.i16(6);
            w = r.i16(8);
            found = true;
            return false;
        }
        return true;
    });
    if (found) {
        l = orgX;
        t = orgY;
        return true;
    }
    // No window: the bounds of what the records draw, in device units (the logical point less
    // the window origin plus the viewport origin, one unit a device unit).
    Box box;
    double wx = 0, wy = 0, vx = 0, vy = 0;
    auto add = [&](double x, double y) { box.add(x - wx + vx, y - wy + vy); };
    forEachRecord(bytes, [&](size_t off, size_t words, uint16_t fn) {
        const Record r(bytes.data() + off, words * 2);
        auto p = [&](size_t k) { return static_cast<double>(r.i16(6 + 2 * k)); };
        switch (fn) {
        case kSetWindowOrg:
            wy = p(0);
            wx = p(1);
            break;
        case kOffsetWindowOrg:
            wy += p(0);
            wx += p(1);
            break;
        case kSetViewportOrg:
            vy = p(0);
            vx = p(1);
            break;
        case kOffsetViewportOrg:
            vy += p(0);
            vx += p(1);
            break;
        case kLineTo:
        case kMoveTo:
            add(p(1), p(0));
            break;
        case kRectangle:
        case kEllipse:
        case kIntersectClipRect:
            if (fn != kIntersectClipRect) {
                add(p(3), p(2));
                add(p(1), p(0));
            }
            break;
        case kRoundRect:
            add(p(5), p(4));
            add(p(3), p(2));
            break;
        case kArc:
        case kPie:
        case kChord:
            add(p(7), p(6));
            add(p(5), p(4));
            break;
        case kPolygon:
        case kPolyline: {
            const size_t n = r.u16(6);
            for (size_t k = 0; k < n && r.has(8 + 4 * k, 4); ++k)
                add(r.i16(8 + 4 * k), r.i16(10 + 4 * k));
            break;
        }
        case kPolyPolygon: {
            const size_t polys = r.u16(6);
            size_t total = 0;
            for (size_t k = 0; k < polys && r.has(8 + 2 * k, 2); ++k)
                total += r.u16(8 + 2 * k);
            const size_t at = 8 + polys * 2;
            for (size_t k = 0; k < total && r.has(at + 4 * k, 4); ++k)
                add(r.i16(at + 4 * k), r.i16(at + 4 * k + 2));
            break;
        }
        case kTextOut: {
            const size_t len = r.u16(6);
            const size_t after = 8 + ((len + 1) & ~size_t{1});
            if (r.has(after, 4))
                add(r.i16(after + 2), r.i16(after));
            break;
        }
        case kExtTextOut:
            add(p(1), p(0));
            break;
        case kPatBlt:
            add(p(5), p(4));
            add(p(5) + p(3), p(4) + p(2));
            break;
        case kStretchDib:
            add(r.i16(26), r.i16(24));
            add(r.i16(26) + r.i16(22), r.i16(24) + r.i16(20));
            break;
        default:
            break;
        }
        return true;
    });
    if (box.empty())
        return false;
    l = box.l;
    t = box.t;
    w = std::max(1.0, box.r - box.l);
    h = std::max(1.0, box.b - box.t);
    fromBounds = true;
    return true;
}

void playWmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest, Diagnostics* d, int depth)
{
    if (depth < kMaxNesting) {
        if (const auto emf = embeddedEmf(bytes)) {
            const Record head(emf->data(), emf->size());
            if (head.has(0, 88) && head.u32(0) == 1 && head.u32(40) == 0x464D4520u) {
                playEmf(*emf, canvas, dest, d, depth + 1);
                return;
            }
            warnTo(d, "the EMF carried in the WMF's comments is not an EMF: the WMF records are played");
        }
    }
    Player player(canvas, dest, d);
    player.wmf = true;
    double l = 0, t = 0, w = dest.width(), h = dest.height();
    bool fromBounds = false;
    if (!wmfFrame(bytes, l, t, w, h, fromBounds)) {
        l = t = 0;
        w = std::max(1, dest.width());
        h = std::max(1, dest.height());
    }
    player.refLeft = l;
    player.refTop = t;
    player.refWidth = w;
    player.refHeight = h;
    // The window and the viewport both start as the frame: logical units are frame units.
    player.dc.mapMode = MmAnisotropic;
    player.dc.winOrgX = player.dc.vpOrgX = fromBounds ? 0 : l;
    player.dc.winOrgY = player.dc.vpOrgY = fromBounds ? 0 : t;
    player.dc.winExtX = player.dc.vpExtX = fromBounds ? 1 : w;
    player.dc.winExtY = player.dc.vpExtY = fromBounds ? 1 : h;
    WmfPlayer wmf(player);
    forEachRecord(
        bytes,
        [&](size_t off, size_t words, uint16_t fn) {
            const Record r(bytes.data() + off, words * 2);
            if (!wmf.record(fn, r))
                warnTo(d,
                       "WMF record 0x" + QString::number(fn, 16).rightJustified(4, u'0').toStdString() +
                           " is inconsistent with its size: skipped",
                       static_cast<int64_t>(off));
            return true;
        },
        d);
}

}  // namespace vr::mf
