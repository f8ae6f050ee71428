// Windows metafile records. Each record is a size in 16-bit words (header included), a function
// number and its parameters, most of them in reverse order of the call's arguments. The window
// (origin and extent, from the records or else the placeable header's bounds) maps onto the
// destination rectangle, which stands for the viewport: viewport records are ignored, as are
// the mapping mode (every mode maps the window onto the destination), regions, palettes,
// flood fills and escapes. EXCLUDECLIPRECT is ignored: the canvas clips to rectangles only.
#include <algorithm>
#include <optional>

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
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kOffsetWindowOrg = 0x020F,
    kScaleWindowExt = 0x0410,
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

// An old-style device-dependent bitmap (monochrome or 24/32-bit), or null.
QImage bitmap16(const Record& r, size_t off)
{
    const int w = r.i16(off + 2), h = r.i16(off + 4), stride = r.u16(off + 6);
    const int planes = r.u16(off + 8) & 0xFF, bpp = r.u16(off + 9) & 0xFF;
    const size_t bits = off + 10;
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

class WmfPlayer {
public:
    WmfPlayer(Player& p) : p_(p) { }
    // False when the record is malformed and the picture ends.
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
        p_.text(x, y, std::string(reinterpret_cast<const char*>(r.data() + 8), len), nullptr, nullptr);
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
        p_.text(x, y, std::string(reinterpret_cast<const char*>(r.data() + off), len), (opts & 2) ? rect : nullptr,
                (opts & 4) ? rect : nullptr);
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
        if (k < objects_.size() && objects_[k])
            p_.select(*objects_[k]);
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
        if (fn == kCreatePatternBrush)
            image = bitmap16(r, 6);
        else if (r.u16(6) == 3)  // a device-dependent bitmap
            image = bitmap16(r, 10);
        else if (r.size() > 10)
            image = decodeDibQuietly(r.data() + 10, r.size() - 10);
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
        o.font.pixelHeight = r.i16(6);
        o.font.escapement = r.i16(10);
        const int weight = r.i16(14);
        const uint8_t italic = r.has(16, 1) ? r.data()[16] : 0, underline = r.has(17, 1) ? r.data()[17] : 0;
        const uint8_t strike = r.has(18, 1) ? r.data()[18] : 0;
        if (r.shortRead())
            return false;
        o.font.style =
            static_cast<uint8_t>((weight >= 600 ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0) | (strike ? 8 : 0));
        std::string face;
        for (size_t k = 24; k < std::min<size_t>(r.size(), 24 + 32) && r.data()[k] != 0; ++k)
            face += static_cast<char>(r.data()[k]);
        if (!face.empty())
            o.font.face = face;
        create(o);
        break;
    }
    case kCreatePalette:
    case kCreateRegion:
        create(GdiObject{});
        break;
    default:
        break;  // unknown or ignored
    }
    return !r.shortRead();
}

}  // namespace

// The window of a plain metafile: its first window origin and extent records.
bool wmfWindow(const std::vector<uint8_t>& bytes, size_t off, int& w, int& h)
{
    const Record file(bytes.data(), bytes.size());
    off += std::max<size_t>(file.u16(off + 2), 9) * 2;
    while (file.has(off, 6)) {
        const size_t words = file.u32(off);
        const uint16_t fn = file.u16(off + 4);
        if (fn == kEof || words < 3 || words > (bytes.size() - off) / 2)
            break;
        if (fn == kSetWindowExt && words >= 5) {
            h = std::abs(file.i16(off + 6));
            w = std::abs(file.i16(off + 8));
            return w > 0 && h > 0;
        }
        off += words * 2;
    }
    return false;
}

void playWmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest)
{
    const Record file(bytes.data(), bytes.size());
    size_t off = 0;
    Player player(canvas, dest);
    player.viewportIsDest = true;
    player.dc.mapMode = MmAnisotropic;
    int w = dest.width(), h = dest.height();  // without any window: one unit a pixel
    if (file.u32(0) != 0x9AC6CDD7u && wmfWindow(bytes, 0, w, h)) {
        player.dc.winExtX = w;
        player.dc.winExtY = h;
    } else {
        player.dc.winExtX = std::max(1, w);
        player.dc.winExtY = std::max(1, h);
    }
    if (file.u32(0) == 0x9AC6CDD7u) {
        const int l = file.i16(6), t = file.i16(8), r = file.i16(10), b = file.i16(12);
        player.dc.winOrgX = l;
        player.dc.winOrgY = t;
        player.dc.winExtX = r != l ? r - l : 1;
        player.dc.winExtY = b != t ? b - t : 1;
        off = 22;
    }
    const size_t headerWords = file.u16(off + 2);
    off += std::max<size_t>(headerWords, 9) * 2;
    WmfPlayer wmf(player);
    while (file.has(off, 6)) {
        const size_t words = file.u32(off);
        const uint16_t fn = file.u16(off + 4);
        if (fn == kEof)
            break;
        if (words < 3 || words > (bytes.size() - off) / 2)
            break;  // malformed: the picture ends here
        const Record r(bytes.data() + off, words * 2);
        if (!wmf.record(fn, r))
            break;
        off += words * 2;
    }
}

}  // namespace vr::mf
