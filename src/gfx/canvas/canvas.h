// Canvas: the GDI-like drawing state every pixel of the reader goes through, on screen, in PNG
// output and on printed sheets. Coordinates are device pixels; right and bottom edges of
// rectangles are exclusive and line-to leaves out the end pixel, as on the Windows platform the
// documents were made on.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QRegion>

#include "core/color.h"
#include "gfx/fonts/font_request.h"

class QPainter;

namespace vr {

enum class PenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5, InsideFrame = 6 };

// Mix modes, numbered as the platform's binary raster operations (R2_*). Copy sets the pen
// colour; NotXor gives NOT(destination XOR pen), so that the pen colour shows unchanged on white
// and a second stroke over the same pixel restores it.
enum class PenMode : uint8_t {
    Black = 1,
    NotMergePen,
    MaskNotPen,
    NotCopyPen,
    MaskPenNot,
    Not,
    XorPen,
    NotMaskPen,
    MaskPen,
    NotXor = 10,
    Nop,
    MergeNotPen,
    Copy = 13,
    MergePenNot,
    MergePen,
    White
};

// Pattern: the brush's pattern bitmap (Brush::pattern), tiled from the device origin.
enum class BrushStyle : uint8_t { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross, Pattern };

// Ternary raster operations for bitmap copies (the platform's values).
namespace rop {
inline constexpr uint32_t SrcCopy = 0x00CC0020;
inline constexpr uint32_t SrcPaint = 0x00EE0086;
inline constexpr uint32_t SrcAnd = 0x008800C6;
inline constexpr uint32_t SrcInvert = 0x00660046;
inline constexpr uint32_t SrcErase = 0x00440328;
inline constexpr uint32_t NotSrcCopy = 0x00330008;
inline constexpr uint32_t NotSrcErase = 0x001100A6;
inline constexpr uint32_t MergeCopy = 0x00C000CA;
inline constexpr uint32_t MergePaint = 0x00BB0226;
inline constexpr uint32_t PatCopy = 0x00F00021;
inline constexpr uint32_t PatPaint = 0x00FB0A09;
inline constexpr uint32_t PatInvert = 0x005A0049;
inline constexpr uint32_t DstInvert = 0x00550009;
inline constexpr uint32_t Blackness = 0x00000042;
inline constexpr uint32_t Whiteness = 0x00FF0062;
}  // namespace rop

struct Pen {
    Color color = kBlack;
    int width = 1;  // 0 and 1 both draw one-pixel lines
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
    bool operator==(const Pen&) const = default;
};

struct Brush {
    Color color = kWhite;
    BrushStyle style = BrushStyle::Solid;
    std::shared_ptr<const QImage> pattern = nullptr;  // for BrushStyle::Pattern
    bool operator==(const Brush&) const = default;
};

struct IPoint {
    int x = 0, y = 0;
    bool operator==(const IPoint&) const = default;
};

struct IRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const IRect&) const = default;
};

// A clip region in device pixels (rectangles in bands, as the platform kept regions), with a
// lookup per pixel for the canvases that draw pixel by pixel.
class ClipRegion {
public:
    explicit ClipRegion(const QRegion& deviceRegion);
    const QRegion& region() const { return region_; }
    bool contains(int64_t x, int64_t y) const;

private:
    QRegion region_;
    std::vector<QRect> rects_;  // sorted by top, then left, as QRegion keeps them
};

// One run of Unicode text in one font.
struct TextRun {
    TextFont font;
    std::u16string text;  // UTF-16 characters, or glyph indexes of the matched face
    bool glyphIndexes = false;
    // When not empty: the advance after each UTF-16 unit (or glyph) in device pixels along the
    // baseline, and the characters are placed one by one, unshaped. When empty the text is
    // shaped as a whole: joined where its script joins, right-to-left runs read from the right.
    std::vector<int> advances;
};

// Whole-pixel measures of a run: its advance width along the baseline and its font's ascent and
// descent; `advances` holds each UTF-16 unit's own advance (0 for the second unit of a pair).
struct TextRunMeasure {
    int width = 0;
    int ascent = 0, descent = 0;
    std::vector<int> advances;
};

// Everything a drawing call reads besides its own arguments. save() keeps all of it and
// restore() brings all of it back, as SaveDC/RestoreDC did on the platform.
struct DrawState {
    Pen pen;
    Brush brush;
    FontRequest font;
    // Background of hatches, styled pens and text: transparent unless opaque is set.
    bool opaqueBackground = false;
    Color backgroundColor = kWhite;
    // Polygon fill: alternate (even-odd) unless winding is set.
    bool windingFill = false;
    // Device position of the logical (0, 0), and the clip rectangle in device pixels (always
    // inside the device).
    int64_t originX = 0, originY = 0;
    IRect clip;
    // When set, pixels must also lie in this region (device pixels); `clip` is then inside its
    // bounding rectangle.
    std::shared_ptr<const ClipRegion> clipRegion;
};

class Canvas {
    // Declared first: the public references below point into it.
    DrawState state_;

public:
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The parts of the current drawing state that painting code sets directly.
    Pen& pen = state_.pen;
    Brush& brush = state_.brush;
    FontRequest& font = state_.font;
    bool& opaqueBackground = state_.opaqueBackground;
    Color& backgroundColor = state_.backgroundColor;
    bool& windingFill = state_.windingFill;

    // Device size in pixels and resolution (LOGPIXELSX/Y).
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    void moveTo(int x, int y)
    {
        posX_ = x;
        posY_ = y;
    }
    // Draws from the current position to (x, y) with the pen, without the end pixel, and moves there.
    void lineTo(int x, int y);
    int penX() const { return posX_; }
    int penY() const { return posY_; }

    // GDI Rectangle: outline with the pen, inside with the brush; r.right/r.bottom exclusive.
    virtual void rectangle(const IRect& r) = 0;
    // GDI FillRect with a solid colour: no outline.
    virtual void fillRect(const IRect& r, Color c) = 0;
    // GDI RoundRect, Ellipse: outline with the pen, inside with the brush, in the box r.
    virtual void roundRect(const IRect& r, int cornerWidth, int cornerHeight) = 0;
    virtual void ellipse(const IRect& r) = 0;
    // GDI Polyline (every segment without its end pixel but the joints drawn), Polygon and
    // PolyPolygon (closed, filled with the brush by the fill mode, outlined with the pen).
    virtual void polyline(const std::vector<IPoint>& points) = 0;
    virtual void polygon(const std::vector<IPoint>& points) = 0;
    virtual void polyPolygon(const std::vector<std::vector<IPoint>>& polygons) = 0;
    // GDI Arc, Pie and Chord: the ellipse of box r from the ray through start to the ray through
    // end, counter-clockwise.
    virtual void arc(const IRect& r, IPoint start, IPoint end) = 0;
    virtual void pie(const IRect& r, IPoint start, IPoint end) = 0;
    virtual void chord(const IRect& r, IPoint start, IPoint end) = 0;
    // GDI StretchBlt/StretchDIBits: the source rectangle of an image stretched onto dest and
    // combined with the destination (and the brush, for pattern operations) by a ternary raster
    // operation. A negative dest or source width or height mirrors the copy.
    virtual void stretchBlt(const IRect& dest, const QImage& source, const IRect& sourceRect, uint32_t rasterOp) = 0;
    // GDI AlphaBlend: the source rectangle stretched onto dest and blended over the destination
    // with the constant alpha (0..255) and, when perPixelAlpha, the source's own alpha
    // (premultiplied, as the platform's 32-bit bitmaps hold it).
    virtual void alphaBlend(const IRect& dest, const QImage& source, const IRect& sourceRect, int constantAlpha,
                            bool perPixelAlpha) = 0;
    // GDI PatBlt: the brush combined with the destination by a raster operation.
    virtual void patBlt(const IRect& r, uint32_t rasterOp) = 0;
    // Text in the current font, top-left at (x, y); bytes are 8-bit codes.
    virtual void textOut(int x, int y, const std::string& bytes) = 0;
    virtual int textWidth(const std::string& bytes) = 0;
    virtual TextMetrics textMetrics() = 0;
    // Unicode text (metafile text): the run with the left end of its baseline at (x, y), turned
    // by the font's escapement about that point; glyphs, underline and strike-out in the font's
    // colour, nothing behind them (callers fill backgrounds themselves).
    virtual void drawTextRun(double x, double y, const TextRun& run) = 0;
    virtual TextRunMeasure measureTextRun(const TextRun& run) = 0;

    virtual Color pixel(int x, int y) const = 0;
    virtual void setPixel(int x, int y, Color c) = 0;

    // The drawing state, kept on a stack. Use CanvasSaver to pair save() and restore(). A
    // restore() with nothing saved changes nothing and is counted as unbalanced: painting code
    // must leave the stack as it found it. translate() moves the origin by (dx, dy); clipTo()
    // narrows the clip to its intersection with r (in the current origin's coordinates) and
    // never widens it.
    void save();
    void restore();
    void translate(int dx, int dy);
    void clipTo(const IRect& r);
    // Narrows the clip to its intersection with a region (in the current origin's coordinates).
    void clipToRegion(const QRegion& r);
    const DrawState& state() const { return state_; }
    size_t saveDepth() const { return stack_.size(); }
    int unbalancedRestores() const { return unbalancedRestores_; }
    // A fresh drawing state (pen, brush, font and background as a new canvas has them) that keeps
    // the origin and the clip: what a windowed control starts its painting with.
    void resetDrawingState();

    // The one way past the GDI-like calls, for rich text: Qt's text engine draws with `paint`'s
    // painter straight onto this canvas's pixels, its origin at the canvas's origin and its clip
    // the canvas's clip narrowed to `area` (current origin's coordinates). The canvas's own state
    // is left as it was. A canvas without pixels only notes the call.
    virtual void paintWithQt(const IRect& area, const std::function<void(QPainter&)>& paint) = 0;

protected:
    // The whole device is the first clip.
    explicit Canvas(IRect deviceClip = {}) { state_.clip = deviceClip; }
    void setDeviceClip(const IRect& clip) { state_.clip = clip; }
    // Told after each change of the state stack, origin or clip (the recording canvas writes them).
    virtual void stateSaved() { }
    virtual void stateRestored(bool balanced) { }
    virtual void translated(int dx, int dy) { }
    virtual void clipped(const IRect& r) { }
    virtual void regionClipped(const QRegion& r) { }
    int64_t devX(int x) const { return static_cast<int64_t>(x) + state_.originX; }
    int64_t devY(int y) const { return static_cast<int64_t>(y) + state_.originY; }

    // One segment from (x0, y0) to (x1, y1), end pixel excluded, with the current pen.
    virtual void drawSegment(int x0, int y0, int x1, int y1) = 0;

private:
    std::vector<DrawState> stack_;
    int unbalancedRestores_ = 0;
    int posX_ = 0, posY_ = 0;
};

inline void Canvas::lineTo(int x, int y)
{
    drawSegment(posX_, posY_, x, y);
    posX_ = x;
    posY_ = y;
}

// Brings one part of the drawing state back at the end of a scope, for painting whose other
// changes must stay (a text line keeps its pen on the page but not its text background).
template <typename T> class KeepValue {
public:
    explicit KeepValue(T& v) : ref_(v), saved_(v) { }
    ~KeepValue() { ref_ = saved_; }
    KeepValue(const KeepValue&) = delete;
    KeepValue& operator=(const KeepValue&) = delete;

private:
    T& ref_;
    T saved_;
};

class CanvasSaver {
public:
    explicit CanvasSaver(Canvas& c) : c_(c) { c_.save(); }
    ~CanvasSaver() { c_.restore(); }
    CanvasSaver(const CanvasSaver&) = delete;
    CanvasSaver& operator=(const CanvasSaver&) = delete;

private:
    Canvas& c_;
};

}  // namespace vr
