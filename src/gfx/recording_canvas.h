// A Canvas that draws nothing and writes every drawing call, with the state it uses, as one
// line of text: exact, readable expectations for tests and a trace for odd documents.
#pragma once
#include <string>
#include <vector>

#include "gfx/canvas.h"

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
    void textOut(int x, int y, const std::string& bytes) override;
    int textWidth(const std::string& bytes) override;
    Color pixel(int x, int y) const override;
    void setPixel(int x, int y, Color c) override;
    void save() override;
    void restore() override;
    void translate(int dx, int dy) override;
    void clipTo(const IRect& r) override;

    // One line per call, coordinates with the current origin applied, colours as #rrggbb:
    //   line X0,Y0 -> X1,Y1 pen=#rrggbb wW STYLE MODE
    //   rectangle L,T,R,B pen=#rrggbb wW STYLE MODE brush=#rrggbb BRUSHSTYLE
    //   fillrect L,T,R,B #rrggbb
    //   text X,Y font=FACE/POINTS/STYLEBITS #rrggbb "bytes"   (", \ and bytes outside
    //        printable ASCII written as \", \\ and \xHH)
    //   setpixel X,Y #rrggbb
    //   save | restore | translate DX,DY | clip L,T,R,B
    // e.g. "line 10,20 -> 30,40 pen=#0000ff w1 solid notxor". Nothing is left out: calls that
    // would draw nothing on a raster canvas (zero-length lines, null pens) are recorded too.
    std::vector<std::string> calls;

protected:
    void drawSegment(int x0, int y0, int x1, int y1) override;

private:
    struct Saved {
        long long originX, originY;
        Pen pen;
        Brush brush;
        FontSpec font;
    };
    std::string penText() const;
    void record(std::string line) { calls.push_back(std::move(line)); }
    long long devX(int x) const { return x + originX_; }
    long long devY(int y) const { return y + originY_; }
    int width_, height_, dpi_;
    long long originX_ = 0, originY_ = 0;
    std::vector<Saved> stack_;
};

} // namespace vr
