// A Canvas drawing on a QImage (Format_RGB32) at a given resolution: screen pages at 96 pixels
// per inch, printed sheets at the printer's.
//
// One-pixel lines are stepped along their major axis without the end pixel; where the true line
// passes exactly half way between two pixels the upper or left one is drawn, in whichever
// direction the line goes. Dash patterns restart at each lineTo and run on round a rectangle.
// The mix mode of the pen applies to lines, rectangle outlines and insides, and setPixel; not to
// fillRect or text. Text is drawn with a transparent background for now. Hatch brushes are
// aligned to the device origin, not to the translated origin.
#pragma once
#include <cstdint>
#include <vector>

#include <QFont>
#include <QImage>

#include "gfx/canvas.h"

namespace vr {

class RasterCanvas : public Canvas {
public:
    // The image must outlive the canvas; it is converted to Format_RGB32 if needed.
    explicit RasterCanvas(QImage& image, int dpi = 96);

    int width() const override;
    int height() const override;
    int dpiX() const override { return dpi_; }
    int dpiY() const override { return dpi_; }

    void rectangle(const IRect& r) override;
    void fillRect(const IRect& r, Color c) override;
    void textOut(int x, int y, const std::string& bytes) override;
    int textWidth(const std::string& bytes) override;
    Color pixel(int x, int y) const override;
    void setPixel(int x, int y, Color c) override;
    void save() override;
    void restore() override;
    void translate(int dx, int dy) override;
    void clipTo(const IRect& r) override;

protected:
    void drawSegment(int x0, int y0, int x1, int y1) override;

private:
    struct State {
        int64_t originX = 0, originY = 0;  // device position of the logical (0, 0)
        IRect clip;  // device coordinates, always inside the image
        Pen pen;
        Brush brush;
        FontSpec font;
    };

    // Thin (one-pixel) segment in device coordinates, end pixel excluded, styled from dash
    // position `phase`; returns the number of major-axis steps so that a closed figure can carry
    // the dash on to its next side.
    int64_t thinSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t phase);
    // Wide segment (pen width above 1) in device coordinates, drawn solid with round caps.
    void wideSegment(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    // Brush fill of a device rectangle (right/bottom exclusive) with the pen's mix mode;
    // `skip` (if set) lists the pixels the brush must leave to the outline.
    void brushFill(int64_t l, int64_t t, int64_t r, int64_t b, const QImage* skip, int skipX, int skipY);
    // Device pixel with the clip applied; `mode` mixes `argb` into it.
    void mixPixel(int64_t x, int64_t y, uint32_t argb, PenMode mode);
    QFont qfont() const;
    int64_t devX(int x) const { return static_cast<int64_t>(x) + cur_.originX; }
    int64_t devY(int y) const { return static_cast<int64_t>(y) + cur_.originY; }

    QImage& image_;
    int dpi_;
    State cur_;
    std::vector<State> stack_;
};

} // namespace vr
