// A Canvas that draws nothing and writes every drawing call, with the state it uses, as one
// line of text: exact, readable expectations for tests and a trace for odd documents.
#pragma once
#include <string>
#include <vector>

#include "gfx/canvas/canvas.h"

namespace vr {

class RecordingCanvas : public Canvas {
public:
    RecordingCanvas(int width = 794, int height = 1123, int dpi = 96);

    int width() const override { return width_; }
    int height() const override { return height_; }
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

    // One line per call, coordinates with the current origin applied, colours as #rrggbb:
    //   line X0,Y0 -> X1,Y1 pen=#rrggbb wW STYLE MODE
    //   rectangle L,T,R,B pen=#rrggbb wW STYLE MODE brush=#rrggbb BRUSHSTYLE
    //   roundrect L,T,R,B W,H PEN BRUSH | ellipse L,T,R,B PEN BRUSH
    //   polyline X,Y X,Y ... PEN | polygon X,Y ... PEN BRUSH
    //   polypolygon X,Y ... | X,Y ... PEN BRUSH
    //   arc|pie|chord L,T,R,B X,Y X,Y PEN [BRUSH]   (start and end points)
    //   stretchblt L,T,R,B from WxH L,T,R,B rop=00cc0020 [BRUSH]
    //   patblt L,T,R,B rop=00f00021 BRUSH
    //   alphablend L,T,R,B from WxH L,T,R,B alpha=A [perpixel]
    //   fillrect L,T,R,B #rrggbb
    //   text X,Y font=FACE/POINTS/STYLEBITS #rrggbb "bytes"   (", \ and bytes outside
    //        printable ASCII written as \", \\ and \xHH)
    //   textrun X,Y font=FACE/HEIGHT/WIDTH/WEIGHT[/ius] #rrggbb "utf-8 text" [esc=E] [orient=O]
    //        [glyphs] [dx=A,B,...]   (Unicode text: X,Y the baseline's left end rounded to
    //        whole pixels; i, u, s for italic, underline, strike-out; "glyphs" when the text
    //        holds glyph indexes, written as \uHHHH; text quoted as above, non-ASCII as UTF-8)
    //   setpixel X,Y #rrggbb
    //   save | restore | translate DX,DY | clip L,T,R,B
    //   clipregion L,T,R,B L,T,R,B ...   (the rectangles of a clip region, origin applied)
    //   restore unbalanced   (a restore with nothing saved: a fault of the painting code)
    //   qtpaint L,T,R,B   (rich text drawn by Qt's text engine in that area; not drawn here)
    // MODE is copy, notxor or r2_N (the mix mode's number). Lines that draw filled shapes end
    // with " winding" under the winding fill mode, and lines that can show a background (styled
    // pens, hatches, text) with " opaque=#rrggbb" under the opaque background mode. Brushes
    // with a pattern end with its size: "brush=#rrggbb pattern 8x8". Fonts with a pixel height
    // or an escapement carry them as "px=H" and "esc=E" after the style bits.
    // e.g. "line 10,20 -> 30,40 pen=#0000ff w1 solid notxor". Nothing is left out: calls that
    // would draw nothing on a raster canvas (zero-length lines, null pens) are recorded too.
    std::vector<std::string> calls;

protected:
    void drawSegment(int x0, int y0, int x1, int y1) override;
    void stateSaved() override { record("save"); }
    void stateRestored(bool balanced) override { record(balanced ? "restore" : "restore unbalanced"); }
    void translated(int dx, int dy) override;
    void clipped(const IRect& r) override { record("clip " + rect(r)); }
    void regionClipped(const QRegion& r) override;

private:
    std::string penText() const;
    std::string brushText() const;
    std::string fillFlags() const;
    std::string rect(const IRect& r) const;
    std::string pts(const std::vector<IPoint>& points) const;
    void record(std::string line) { calls.push_back(std::move(line)); }
    int width_, height_, dpi_;
};

}  // namespace vr
