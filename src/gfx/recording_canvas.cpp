#include "gfx/recording_canvas.h"

#include <algorithm>
#include <cstdio>

namespace vr {
namespace {

std::string hexColour(Color c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", redOf(c), greenOf(c), blueOf(c));
    return buf;
}

const char* penStyleName(PenStyle s)
{
    switch (s) {
    case PenStyle::Solid: return "solid";
    case PenStyle::Dash: return "dash";
    case PenStyle::Dot: return "dot";
    case PenStyle::DashDot: return "dashdot";
    case PenStyle::DashDotDot: return "dashdotdot";
    case PenStyle::Null: return "null";
    case PenStyle::InsideFrame: return "insideframe";
    }
    return "?";
}

const char* brushStyleName(BrushStyle s)
{
    switch (s) {
    case BrushStyle::Solid: return "solid";
    case BrushStyle::Clear: return "clear";
    case BrushStyle::Horizontal: return "horizontal";
    case BrushStyle::Vertical: return "vertical";
    case BrushStyle::FDiagonal: return "fdiagonal";
    case BrushStyle::BDiagonal: return "bdiagonal";
    case BrushStyle::Cross: return "cross";
    case BrushStyle::DiagCross: return "diagcross";
    }
    return "?";
}

std::string quoted(const std::string& bytes)
{
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += ch;
        } else if (b < 0x20 || b >= 0x7f) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", b);
            out += buf;
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

std::string point(long long x, long long y) { return std::to_string(x) + "," + std::to_string(y); }

} // namespace

RecordingCanvas::RecordingCanvas(int width, int height, int dpi) : width_(width), height_(height), dpi_(dpi) {}

std::string RecordingCanvas::penText() const
{
    return "pen=" + hexColour(pen.color) + " w" + std::to_string(pen.width) + " " + penStyleName(pen.style) + " "
        + (pen.mode == PenMode::NotXor ? "notxor" : "copy");
}

void RecordingCanvas::drawSegment(int x0, int y0, int x1, int y1)
{
    record("line " + point(devX(x0), devY(y0)) + " -> " + point(devX(x1), devY(y1)) + " " + penText());
}

void RecordingCanvas::rectangle(const IRect& r)
{
    record("rectangle " + point(devX(r.left), devY(r.top)) + "," + point(devX(r.right), devY(r.bottom)) + " "
           + penText() + " brush=" + hexColour(brush.color) + " " + brushStyleName(brush.style));
}

void RecordingCanvas::fillRect(const IRect& r, Color c)
{
    record("fillrect " + point(devX(r.left), devY(r.top)) + "," + point(devX(r.right), devY(r.bottom)) + " "
           + hexColour(c));
}

void RecordingCanvas::textOut(int x, int y, const std::string& bytes)
{
    record("text " + point(devX(x), devY(y)) + " font=" + font.face + "/" + std::to_string(font.pointSize) + "/"
           + std::to_string(font.style) + " " + hexColour(font.color) + " " + quoted(bytes));
}

// A fixed advance keeps layouts computed on a recording canvas independent of installed fonts.
int RecordingCanvas::textWidth(const std::string& bytes)
{
    return static_cast<int>(std::min<size_t>(bytes.size(), 0x0FFFFFFF) * 8);
}

Color RecordingCanvas::pixel(int, int) const { return kWhite; }

void RecordingCanvas::setPixel(int x, int y, Color c)
{
    record("setpixel " + point(devX(x), devY(y)) + " " + hexColour(c));
}

void RecordingCanvas::save()
{
    stack_.push_back(Saved{originX_, originY_, pen, brush, font});
    record("save");
}

void RecordingCanvas::restore()
{
    record("restore");
    if (stack_.empty())
        return;
    const Saved& s = stack_.back();
    originX_ = s.originX;
    originY_ = s.originY;
    pen = s.pen;
    brush = s.brush;
    font = s.font;
    stack_.pop_back();
}

void RecordingCanvas::translate(int dx, int dy)
{
    originX_ += dx;
    originY_ += dy;
    record("translate " + point(dx, dy));
}

void RecordingCanvas::clipTo(const IRect& r)
{
    record("clip " + point(devX(r.left), devY(r.top)) + "," + point(devX(r.right), devY(r.bottom)));
}

} // namespace vr
