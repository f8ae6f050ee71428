// A Canvas drawing on a QImage (Format_RGB32) at a given resolution: screen pages at 96 pixels
// per inch, printed sheets at the printer's.
//
// One-pixel lines are stepped along their major axis without the end pixel; where the true line
// passes exactly half way between two pixels the upper or left one is drawn, in whichever
// direction the line goes. Dash patterns restart at each lineTo and run on round a rectangle,
// polygon or polyline; with an opaque background their gaps take the background colour. The mix
// mode of the pen (any of the sixteen) applies to lines, outlines, brush fills and setPixel; not
// to fillRect, text or bitmap copies, which have their own operations. Hatch and pattern brushes
// are aligned to the device origin, not to the translated origin; hatch gaps take the background
// colour when the background is opaque. Curve, polygon and bitmap rules are described in
// raster_canvas_shapes.cpp and raster_canvas_blit.cpp.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QImage>

#include "gfx/canvas/canvas.h"
#include "gfx/fonts/glyph_text.h"

namespace vr {

class RasterCanvas : public Canvas {
public:
    // The image must outlive the canvas; it is converted to Format_RGB32 if needed. Text fonts
    // come from `fonts` (which must outlive the canvas) or, when it is null, from the shared cache.
    explicit RasterCanvas(QImage& image, int dpi = 96, ByteFontCache* fonts = nullptr);

    int width() const override;
    int height() const override;
    int dpiX() const override { return dpi_; }
    int dpiY() const override { return dpi_; }

    void rectangle(const IRect& r) override;
    void fillRect(const IRect& r, Color c) override;
    void roundRect(const IRect& r, int cornerWidth, int cornerHeight) override;
    void ellipse(const IRect& r) override;
    void polyline(const std::vector<IPoint>& points) override;
    void polygon(const std::vector<IPoint>& points) override;
    void polyPolygon(const std::vector<std::vector<IPoint>>& polygons) override;
    void arc(const IRect& r, IPoint start, IPoint end) override;
    void pie(const IRect& r, IPoint start, IPoint end) override;
    void chord(const IRect& r, IPoint start, IPoint end) override;
    void stretchBlt(const IRect& dest, const QImage& source, const IRect& sourceRect, uint32_t rasterOp) override;
    void patBlt(const IRect& r, uint32_t rasterOp) override;
    void alphaBlend(const IRect& dest, const QImage& source, const IRect& sourceRect, int constantAlpha,
                    bool perPixelAlpha) override;
    void textOut(int x, int y, const std::string& bytes) override;
    int textWidth(const std::string& bytes) override;
    TextMetrics textMetrics() override;
    void drawTextRun(double x, double y, const TextRun& run) override;
    TextRunMeasure measureTextRun(const TextRun& run) override;
    Color pixel(int x, int y) const override;
    void setPixel(int x, int y, Color c) override;
    void paintWithQt(const IRect& area, const std::function<void(QPainter&)>& paint) override;

protected:
    void drawSegment(int x0, int y0, int x1, int y1) override;

private:
    // Pixels a filled shape decides before any is changed, so that each one is mixed once: the
    // pen where the outline covers it, the brush elsewhere inside. Device coordinates, box
    // inside the clip.
    struct ShapeMask {
        enum : uint8_t { None = 0, BrushPixel = 1, PenPixel = 2, GapPixel = 3 };
        int64_t left = 0, top = 0;
        int width = 0, height = 0;
        std::vector<uint8_t> cells;
        uint8_t& at(int64_t x, int64_t y) { return cells[static_cast<size_t>((y - top) * width + (x - left))]; }
        bool contains(int64_t x, int64_t y) const
        {
            return x >= left && y >= top && x < left + width && y < top + height;
        }
    };
    enum class Curve { Ellipse, RoundRect, Arc, Pie, Chord };

    // Thin (one-pixel) segment in device coordinates, end pixel excluded, styled from dash
    // position `phase`; returns the number of major-axis steps so that a closed figure can carry
    // the dash on to its next side.
    int64_t thinSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase);
    // Wide segment (pen width above 1) in device coordinates, drawn solid with round caps.
    void wideSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    // Brush fill of a device rectangle (right/bottom exclusive) with the pen's mix mode;
    // `skip` (if set) lists the pixels the brush must leave to the outline.
    void brushFill(int64_t l, int64_t t, int64_t r, int64_t b, const QImage* skip, int skipX, int skipY);
    // The brush at a device pixel: false where it leaves the pixel alone (clear brushes, hatch
    // gaps in transparent mode).
    bool brushPixel(int64_t x, int64_t y, uint32_t& argb) const;
    // Device pixel with the clip applied; `mode` mixes `argb` into it. While a shape mask is
    // being built, pen pixels go into the mask instead.
    void mixPixel(int64_t x, int64_t y, uint32_t argb, PenMode mode);
    void plotPen(int64_t x, int64_t y, bool gap);
    // A mask over the part of the device box [l, r) x [t, b) inside the clip; false when none is.
    bool makeMask(ShapeMask& m, int64_t l, int64_t t, int64_t r, int64_t b) const;
    // Wide pen segments (device coordinates) marked into the mask as pen pixels.
    void maskWideSegments(ShapeMask& m, const std::vector<std::array<int64_t, 4>>& segments) const;
    void paintMask(const ShapeMask& m);
    void curve(Curve kind, const IRect& r, int cornerWidth, int cornerHeight, IPoint start, IPoint end);
    void polygons(const std::vector<std::vector<IPoint>>& polys, bool closed);
    // The current font's glyphs and measures (text is described in glyph_text.h).
    const ByteFont& byteFont();
    const IRect& clip() const { return state().clip; }
    // Whether the clip region (when there is one) holds a device pixel inside the clip rectangle.
    bool inRegion(int64_t x, int64_t y) const
    {
        const auto& r = state().clipRegion;
        return !r || r->contains(x, y);
    }
    // A painter on the image with the clip (rectangle and region), antialiasing off.
    void preparePainter(QPainter& p) const;

    QImage& image_;
    int dpi_;
    ShapeMask* penTarget_ = nullptr;
    ByteFontCache& fonts_;
    // The last font looked up, kept to spare the cache a lookup per text call.
    std::shared_ptr<const ByteFont> lastFont_;
    std::string lastFace_;
    int lastPixelSize_ = 0;
    uint8_t lastStyle_ = 0;
};

}  // namespace vr
