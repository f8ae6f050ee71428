// Canvas: the GDI-like drawing state every pixel of the reader goes through, on screen, in PNG
// output and on printed sheets. Coordinates are device pixels; right and bottom edges of
// rectangles are exclusive and line-to leaves out the end pixel, as on the Windows platform the
// documents were made on.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/color.h"

namespace vr {

enum class PenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5, InsideFrame = 6 };

// Mix modes: copy the pen colour, or NOT(destination XOR pen) so that the pen colour shows
// unchanged on white and a second stroke over the same pixel restores it.
enum class PenMode : uint8_t { Copy = 0, NotXor = 1 };

enum class BrushStyle : uint8_t { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

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
    bool operator==(const Brush&) const = default;
};

// Font style bits: bold 1, italic 2, underline 4, strike-out 8.
struct FontSpec {
    std::string face = "System";
    int pointSize = 10;
    uint8_t style = 0;
    Color color = kBlack;
    bool operator==(const FontSpec&) const = default;
};

struct IRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const IRect&) const = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    Pen pen;
    Brush brush;
    FontSpec font;

    // Device size in pixels and resolution (LOGPIXELSX/Y).
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    void moveTo(int x, int y) { posX_ = x; posY_ = y; }
    // Draws from the current position to (x, y) with the pen, without the end pixel, and moves there.
    void lineTo(int x, int y);
    int penX() const { return posX_; }
    int penY() const { return posY_; }

    // GDI Rectangle: outline with the pen, inside with the brush; r.right/r.bottom exclusive.
    virtual void rectangle(const IRect& r) = 0;
    // GDI FillRect with a solid colour: no outline.
    virtual void fillRect(const IRect& r, Color c) = 0;
    // Text in the current font, top-left at (x, y); bytes are 8-bit codes.
    virtual void textOut(int x, int y, const std::string& bytes) = 0;
    virtual int textWidth(const std::string& bytes) = 0;

    virtual Color pixel(int x, int y) const = 0;
    virtual void setPixel(int x, int y, Color c) = 0;

    // Drawing state of child areas: origin offset and clip rectangle (in the current origin's
    // coordinates), kept on a stack. Use CanvasSaver to pair save() and restore().
    // save() keeps the origin, the clip, the pen, the brush and the font; restore() brings all
    // five back as they were, the way SaveDC/RestoreDC do on the platform. A restore() with
    // nothing saved changes nothing. translate() moves the origin by (dx, dy); clipTo() narrows
    // the clip to its intersection with r and never widens it.
    virtual void save() = 0;
    virtual void restore() = 0;
    virtual void translate(int dx, int dy) = 0;
    virtual void clipTo(const IRect& r) = 0;

protected:
    // One segment from (x0, y0) to (x1, y1), end pixel excluded, with the current pen.
    virtual void drawSegment(int x0, int y0, int x1, int y1) = 0;

private:
    int posX_ = 0, posY_ = 0;
};

inline void Canvas::lineTo(int x, int y)
{
    drawSegment(posX_, posY_, x, y);
    posX_ = x;
    posY_ = y;
}

class CanvasSaver {
public:
    explicit CanvasSaver(Canvas& c) : c_(c) { c_.save(); }
    ~CanvasSaver() { c_.restore(); }
    CanvasSaver(const CanvasSaver&) = delete;
    CanvasSaver& operator=(const CanvasSaver&) = delete;

private:
    Canvas& c_;
};

} // namespace vr
