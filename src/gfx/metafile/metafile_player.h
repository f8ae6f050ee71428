// The device context a metafile plays into: the drawing state its records change, the mapping
// from its logical coordinates to the canvas, and the canvas calls made from that state. The WMF
// and EMF players read records and drive this.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QPolygonF>
#include <QRegion>

#include "core/diagnostics.h"
#include "gfx/canvas/canvas.h"

namespace vr::mf {

// Little-endian fields of one record. Reading past its end gives 0 and marks the record short,
// which ends the picture.
class Record {
public:
    Record(const uint8_t* data, size_t size) : p_(data), n_(size) { }
    size_t size() const { return n_; }
    const uint8_t* data() const { return p_; }
    bool has(size_t off, size_t len) const { return off <= n_ && len <= n_ - off; }
    uint16_t u16(size_t off) const
    {
        if (!has(off, 2))
            return fail();
        return static_cast<uint16_t>(p_[off] | (p_[off + 1] << 8));
    }
    int16_t i16(size_t off) const { return static_cast<int16_t>(u16(off)); }
    uint32_t u32(size_t off) const
    {
        if (!has(off, 4))
            return fail();
        return static_cast<uint32_t>(p_[off]) | (static_cast<uint32_t>(p_[off + 1]) << 8) |
            (static_cast<uint32_t>(p_[off + 2]) << 16) | (static_cast<uint32_t>(p_[off + 3]) << 24);
    }
    int32_t i32(size_t off) const { return static_cast<int32_t>(u32(off)); }
    float f32(size_t off) const
    {
        const uint32_t v = u32(off);
        float f;
        std::memcpy(&f, &v, sizeof f);
        return std::isfinite(f) ? f : 0.0f;
    }
    bool shortRead() const { return short_; }
    void markBad() const { short_ = true; }

private:
    uint16_t fail() const
    {
        short_ = true;
        return 0;
    }
    const uint8_t* p_;
    size_t n_;
    mutable bool short_ = false;
};

struct DPoint {
    double x = 0, y = 0;
};

enum MapMode { MmText = 1, MmLoMetric, MmHiMetric, MmLoEnglish, MmHiEnglish, MmTwips, MmIsotropic, MmAnisotropic };

// A logical font as the records give it (sizes in logical units).
struct LogFont {
    int height = 0;  // negative: character height; positive: cell height
    int width = 0;
    int escapement = 0, orientation = 0;  // tenths of a degree
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 1;
    std::string face = "System";
};

// A graphics object of the metafile's object table.
struct GdiObject {
    enum class Type { Pen, Brush, Font, Region, Other };
    Type type = Type::Other;
    Pen pen;  // width in logical units; 0 for a one-pixel (cosmetic) pen
    Brush brush;
    // A monochrome pattern without colours of its own: white where its bits are 1, black where 0;
    // drawn with the text colour for 0 and the background colour for 1.
    bool monoPattern = false;
    LogFont font;
    QRegion region;  // logical units (WMF) or reference device pixels (EMF)
};

struct DcState {
    int mapMode = MmText;
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;  // world transform
    Pen pen;
    Brush brush;
    bool monoBrush = false;
    LogFont font;
    Color textColor = kBlack, bkColor = kWhite;
    bool opaque = true;  // background mode: opaque is the platform's default
    uint32_t textAlign = 0;
    int rop2 = 13;
    bool winding = false;
    DPoint pos;  // current position, logical
    int charExtra = 0;  // logical units added to each character
    int breakExtra = 0, breakCount = 0;  // logical units shared among the break characters
    bool arcClockwise = false;
    std::optional<QRegion> clip;  // canvas coordinates; none: the whole destination
    uint64_t clipId = 0;  // changes whenever the clip does
};

// Text as a record gives it, for Player::text.
struct TextInput {
    std::u16string text;  // characters, or glyph indexes
    std::string bytes;  // the 8-bit original (for the suite's own faces); empty for UTF-16 records
    bool glyphIndexes = false;
    std::vector<double> dx, dy;  // logical advances; dy only with ETO_PDY
    uint32_t options = 0;
    bool hasRect = false;
    double rect[4] = {};  // logical l, t, r, b
};

// Extended text-out options.
namespace eto {
inline constexpr uint32_t Opaque = 2, Clipped = 4, GlyphIndex = 0x10, Pdy = 0x2000;
}

class Player {
public:
    Player(Canvas& canvas, const IRect& dest, Diagnostics* diagnostics);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    DcState dc;
    // The picture's frame in its device space (EMF: reference device pixels; WMF: the units of
    // its frame), mapped onto dest.
    double refLeft = 0, refTop = 0, refWidth = 1, refHeight = 1;
    // WMF: every mapping mode maps the window onto the viewport.
    bool wmf = false;
    // Reference device resolution for the fixed mapping modes (pixels per millimetre).
    double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;

    // Logical point to canvas coordinates (not rounded).
    DPoint map(double x, double y) const;
    // A point of the picture's device space (EMF regions) to canvas coordinates.
    DPoint mapDevice(double x, double y) const;
    // A region of logical rectangles (WMF) or device rectangles (EMF) in canvas pixels.
    QRegion mapRegion(const QRegion& r, bool device) const;
    const IRect& dest() const { return dest_; }
    Canvas& canvas() { return canvas_; }
    Diagnostics* diagnostics() const { return diagnostics_; }
    void warn(const std::string& what, int64_t offset) const { warnTo(diagnostics_, what, offset); }
    IPoint mapI(double x, double y) const;
    // Canvas pixels per logical unit along x and y (magnitudes).
    double scaleX() const;
    double scaleY() const;
    // Whether the mapping keeps axes axis-aligned (no rotation or shear).
    bool axisAligned() const;
    bool flipsOrientation() const;

    void saveDc();
    void restoreDc(int which);  // negative: relative to the top; positive: absolute level
    void intersectClip(double l, double t, double r, double b);
    void excludeClip(double l, double t, double r, double b);
    // Combines a region (canvas pixels; none for a null region) with the clip: 1 and, 2 or,
    // 3 xor, 4 diff, 5 copy.
    void combineClip(const std::optional<QRegion>& r, int mode);
    void offsetClip(double dx, double dy);
    // Region painting (canvas pixels): with a brush, framed, with the current brush, inverted.
    void fillRegion(const QRegion& r, const Brush& b);
    void frameRegion(const QRegion& r, const Brush& b, double w, double h);
    void invertRegion(const QRegion& r);
    // FloodFill: from a logical point, over the pixels of `color` (surface) or up to it (border).
    void floodFill(double x, double y, Color color, bool surface);

    void select(const GdiObject& o);
    void moveTo(double x, double y) { dc.pos = {x, y}; }
    void lineTo(double x, double y);
    void rectangle(double l, double t, double r, double b);
    void roundRect(double l, double t, double r, double b, double w, double h);
    void ellipse(double l, double t, double r, double b);
    enum class ArcKind { Arc, Pie, Chord };
    void arc(ArcKind kind, double l, double t, double r, double b, DPoint start, DPoint end);
    void polyline(const std::vector<DPoint>& pts);
    void polygon(const std::vector<std::vector<DPoint>>& polys);
    void setPixel(double x, double y, Color c);
    // Text at a logical point, aligned by the text alignment, placed by its advances.
    void text(double x, double y, const TextInput& in);
    // A bitmap (top-down image) from source rectangle src into the logical rectangle dest.
    void blit(double l, double t, double r, double b, const QImage* image, const IRect& src, uint32_t rop);
    // MaskBlt: the source where the mask is 1 with the foreground operation, elsewhere with the
    // background one (the mask's size at least the source rectangle's).
    void maskBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, const QImage& mask,
                  IPoint maskAt, uint32_t rop4);
    // PlgBlt: the source rectangle onto the parallelogram of three logical points (the images
    // of its top-left, top-right and bottom-left corners), masked where the mask is 0.
    void plgBlit(const DPoint pts[3], const QImage& image, const IRect& src, const QImage* mask, IPoint maskAt);
    // AlphaBlend, TransparentBlt.
    void alphaBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, int constantAlpha,
                   bool perPixel);
    void transparentBlit(double l, double t, double r, double b, const QImage& image, const IRect& src, Color key);
    // The brush as the canvas draws it (a monochrome pattern in the text and background colours).
    Brush canvasBrush(const Brush& b, bool mono) const;

    // Paths (EMF): between begin and end, drawing goes into the path's figures.
    bool inPath = false;
    struct Figure {
        std::vector<DPoint> pts;  // logical
        bool closed = false;
    };
    std::vector<Figure> path;
    void pathPolyline(const std::vector<DPoint>& pts, bool fromCurrent);
    void closeFigure();
    void drawPath(bool fill, bool stroke);
    // SelectClipPath: the path's figures (canvas pixels, by the fill mode) combined with the clip.
    void clipPath(int mode);
    // The arc of the box from the ray through start to the ray through end, flattened (logical),
    // in the arc direction.
    std::vector<DPoint> arcPoints(double l, double t, double r, double b, DPoint start, DPoint end) const;

    void apply();
    void applyClip();
    std::vector<IPoint> mapPoints(const std::vector<DPoint>& pts) const;

private:
    void suiteText(const DPoint& ref, const TextInput& in);

    Canvas& canvas_;
    IRect dest_;
    Diagnostics* diagnostics_;
    std::vector<DcState> saved_;
    bool clipApplied_ = false;
    uint64_t appliedClipId_ = 0;
};

// A real number rounded (halves up) into [lo, hi]; NaN gives lo.
inline int roundedInt(double v, double lo, double hi)
{
    if (!(v == v))
        return static_cast<int>(lo);
    return static_cast<int>(std::floor(std::clamp(v, lo, hi) + 0.5));
}

// A source rectangle of a bitmap from a corner and a size as records give them, each edge kept
// within 2^30 so that no sum of record values overflows.
inline IRect sourceRect(int64_t x, int64_t y, int64_t w, int64_t h)
{
    auto c = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -(int64_t{1} << 30), int64_t{1} << 30)); };
    return IRect{c(x), c(y), c(x + w), c(y + h)};
}

// A new identity for a clip that changed.
uint64_t nextClipId();

// The pixels of a polygon (canvas coordinates) within a box, however far its points lie.
QRegion polygonRegion(const QPolygonF& polygon, const QRect& box, Qt::FillRule rule = Qt::OddEvenFill);
// The union of rectangles given in any order.
QRegion unionOf(std::vector<QRect> rects);
// A region of a RGNDATA structure (header and rectangles), or nullopt when it does not fit.
std::optional<QRegion> rgnData(const Record& r, size_t off, size_t size);

// Advances written one a byte of 8-bit text in a font of `charset`, made one a character of its
// `characters` decoded characters: the bytes of a double-byte character add up.
void advancesPerCharacter(int charset, const uint8_t* bytes, size_t n, size_t characters, std::vector<double>& dx,
                          std::vector<double>& dy);

// A cubic Bezier from p0 through control points to p3, flattened into `out` (p0 excluded).
void flattenBezier(DPoint p0, DPoint p1, DPoint p2, DPoint p3, std::vector<DPoint>& out);

// A device-independent bitmap (info header, colours, bits) decoded, or null.
QImage decodeDibQuietly(const uint8_t* data, size_t size);
// The DIB's height sign: true for bottom-up rows (the usual).
bool dibBottomUp(const uint8_t* data, size_t size);

// Where a WMF's own header starts: after the placeable header (22 bytes, or 24 where a writer
// left two bytes of padding after it), else at 0.
size_t wmfHeaderOffset(const std::vector<uint8_t>& bytes);
void playWmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest, Diagnostics* d, int depth);
// The frame of a WMF in its own units: the placeable header's bounds, else the first window
// origin and extent, else the bounds of what its records draw; false when there is none.
bool wmfFrame(const std::vector<uint8_t>& bytes, double& l, double& t, double& w, double& h, bool& fromBounds);
void playEmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest, Diagnostics* d, int depth);
// EMF+ records of the comments of an EMF, played onto the player's device space; `depth` counts
// the pictures nested in pictures. Whether a dual picture's EMF+ records can all be drawn.
class EmfPlusPlayer;
bool emfPlusDrawable(const std::vector<uint8_t>& bytes);
// Pictures nested in pictures (EMF in WMF, metafile images of EMF+) stop at this depth.
inline constexpr int kMaxNesting = 4;

// The pen style of a stored logical pen (the low four bits; the alternate style draws dotted).
PenStyle penStyle(uint32_t style);

}  // namespace vr::mf
