// The device context a metafile plays into: the drawing state its records change, the mapping
// from its logical coordinates to the canvas, and the canvas calls made from that state. The WMF
// and EMF players read records and drive this.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

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

// A graphics object of the metafile's object table.
struct GdiObject {
    enum class Type { Pen, Brush, Font, Other };
    Type type = Type::Other;
    Pen pen;  // width in logical units; 0 for a one-pixel (cosmetic) pen
    Brush brush;
    FontSpec font;  // pixelHeight holds the logical height (negative: character height)
};

struct DcState {
    int mapMode = MmText;
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;  // world transform
    Pen pen;
    Brush brush;
    FontSpec font;
    Color textColor = kBlack, bkColor = kWhite;
    bool opaque = true;  // background mode: opaque is the platform's default
    uint32_t textAlign = 0;
    int rop2 = 13;
    bool winding = false;
    DPoint pos;  // current position, logical
    std::optional<IRect> clip;  // canvas coordinates
};

class Player {
public:
    Player(Canvas& canvas, const IRect& dest);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    DcState dc;
    // EMF: reference device pixels of the picture's frame, mapped onto dest. WMF: the window
    // maps straight onto dest.
    bool viewportIsDest = false;
    double refLeft = 0, refTop = 0, refWidth = 1, refHeight = 1;
    // Reference device resolution for the fixed mapping modes (pixels per millimetre).
    double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;

    // Logical point to canvas coordinates (not rounded).
    DPoint map(double x, double y) const;
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
    // Text at a logical point, aligned by the text alignment; `opaqueRect` / `clipRect` (logical
    // l, t, r, b) as the extended text-out options give them.
    void text(double x, double y, const std::string& bytes, const double* opaqueRect, const double* clipRect);
    // A bitmap (top-down image) from source rectangle src into the logical rectangle dest.
    void blit(double l, double t, double r, double b, const QImage* image, const IRect& src, uint32_t rop);

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

private:
    void applyClip();
    void apply(bool forText = false);
    std::vector<IPoint> mapPoints(const std::vector<DPoint>& pts) const;

    Canvas& canvas_;
    IRect dest_;
    std::vector<DcState> saved_;
    bool clipApplied_ = false;
    std::optional<IRect> appliedClip_;
};

// A cubic Bezier from p0 through control points to p3, flattened into `out` (p0 excluded).
void flattenBezier(DPoint p0, DPoint p1, DPoint p2, DPoint p3, std::vector<DPoint>& out);

// A device-independent bitmap (info header, colours, bits) decoded, or null.
QImage decodeDibQuietly(const uint8_t* data, size_t size);
// The DIB's height sign: true for bottom-up rows (the usual).
bool dibBottomUp(const uint8_t* data, size_t size);

void playWmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest);
// The extent of a plain metafile's first window-extent record (header at `off`).
bool wmfWindow(const std::vector<uint8_t>& bytes, size_t off, int& w, int& h);
void playEmf(const std::vector<uint8_t>& bytes, Canvas& canvas, const IRect& dest);

// The pen style of a stored logical pen (the low four bits; the alternate style draws dotted).
PenStyle penStyle(uint32_t style);

}  // namespace vr::mf
