#include "gfx/canvas/recording_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QString>

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
    case PenStyle::Solid:
        return "solid";
    case PenStyle::Dash:
        return "dash";
    case PenStyle::Dot:
        return "dot";
    case PenStyle::DashDot:
        return "dashdot";
    case PenStyle::DashDotDot:
        return "dashdotdot";
    case PenStyle::Null:
        return "null";
    case PenStyle::InsideFrame:
        return "insideframe";
    }
    return "?";
}

const char* brushStyleName(BrushStyle s)
{
    switch (s) {
    case BrushStyle::Solid:
        return "solid";
    case BrushStyle::Clear:
        return "clear";
    case BrushStyle::Horizontal:
        return "horizontal";
    case BrushStyle::Vertical:
        return "vertical";
    case BrushStyle::FDiagonal:
        return "fdiagonal";
    case BrushStyle::BDiagonal:
        return "bdiagonal";
    case BrushStyle::Cross:
        return "cross";
    case BrushStyle::DiagCross:
        return "diagcross";
    case BrushStyle::Pattern:
        return "pattern";
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

std::string point(long long x, long long y)
{
    return std::to_string(x) + "," + std::to_string(y);
}

}  // namespace

RecordingCanvas::RecordingCanvas(int width, int height, int dpi)
    : Canvas(IRect{0, 0, width, height}), width_(width), height_(height), dpi_(dpi)
{
}

std::string RecordingCanvas::penText() const
{
    std::string mode = pen.mode == PenMode::NotXor ? "notxor"
        : pen.mode == PenMode::Copy                ? "copy"
                                                   : "r2_" + std::to_string(static_cast<int>(pen.mode));
    std::string s =
        "pen=" + hexColour(pen.color) + " w" + std::to_string(pen.width) + " " + penStyleName(pen.style) + " " + mode;
    if (opaqueBackground && pen.style != PenStyle::Solid && pen.style != PenStyle::Null &&
        pen.style != PenStyle::InsideFrame)
        s += " opaque=" + hexColour(backgroundColor);
    return s;
}

std::string RecordingCanvas::brushText() const
{
    std::string s = "brush=" + hexColour(brush.color) + " " + brushStyleName(brush.style);
    if (brush.style == BrushStyle::Pattern) {
        const int w = brush.pattern ? brush.pattern->width() : 0, h = brush.pattern ? brush.pattern->height() : 0;
        s += " " + std::to_string(w) + "x" + std::to_string(h);
    }
    if (opaqueBackground && brush.style != BrushStyle::Solid && brush.style != BrushStyle::Clear &&
        brush.style != BrushStyle::Pattern)
        s += " opaque=" + hexColour(backgroundColor);
    return s;
}

std::string RecordingCanvas::fillFlags() const
{
    return windingFill ? " winding" : "";
}

std::string RecordingCanvas::rect(const IRect& r) const
{
    return point(devX(r.left), devY(r.top)) + "," + point(devX(r.right), devY(r.bottom));
}

std::string RecordingCanvas::pts(const std::vector<IPoint>& points) const
{
    std::string s;
    for (const IPoint& p : points)
        s += point(devX(p.x), devY(p.y)) + " ";
    return s;
}

void RecordingCanvas::drawSegment(int x0, int y0, int x1, int y1)
{
    record("line " + point(devX(x0), devY(y0)) + " -> " + point(devX(x1), devY(y1)) + " " + penText());
}

void RecordingCanvas::rectangle(const IRect& r)
{
    record("rectangle " + rect(r) + " " + penText() + " " + brushText());
}

void RecordingCanvas::roundRect(const IRect& r, int cornerWidth, int cornerHeight)
{
    record("roundrect " + rect(r) + " " + point(cornerWidth, cornerHeight) + " " + penText() + " " + brushText());
}

void RecordingCanvas::ellipse(const IRect& r)
{
    record("ellipse " + rect(r) + " " + penText() + " " + brushText());
}

void RecordingCanvas::polyline(const std::vector<IPoint>& points)
{
    record("polyline " + pts(points) + penText());
}

void RecordingCanvas::polygon(const std::vector<IPoint>& points)
{
    record("polygon " + pts(points) + penText() + " " + brushText() + fillFlags());
}

void RecordingCanvas::polyPolygon(const std::vector<std::vector<IPoint>>& polygons)
{
    std::string s = "polypolygon ";
    for (size_t k = 0; k < polygons.size(); ++k)
        s += (k ? "| " : "") + pts(polygons[k]);
    record(s + penText() + " " + brushText() + fillFlags());
}

void RecordingCanvas::arc(const IRect& r, IPoint start, IPoint end)
{
    record("arc " + rect(r) + " " + pts({start, end}) + penText());
}

void RecordingCanvas::pie(const IRect& r, IPoint start, IPoint end)
{
    record("pie " + rect(r) + " " + pts({start, end}) + penText() + " " + brushText());
}

void RecordingCanvas::chord(const IRect& r, IPoint start, IPoint end)
{
    record("chord " + rect(r) + " " + pts({start, end}) + penText() + " " + brushText());
}

namespace {
std::string ropText(uint32_t rop)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "rop=%08x", rop);
    return buf;
}
// Whether the ternary operation reads the pattern (the brush): its result differs between P=0 and P=1.
bool usesPattern(uint32_t rop)
{
    const uint32_t index = (rop >> 16) & 0xFF;
    return ((index >> 4) & 0x0F) != (index & 0x0F);
}
}  // namespace

void RecordingCanvas::stretchBlt(const IRect& dest, const QImage& source, const IRect& sourceRect, uint32_t rasterOp)
{
    std::string s = "stretchblt " + rect(dest) + " from " + std::to_string(source.width()) + "x" +
        std::to_string(source.height()) + " " + point(sourceRect.left, sourceRect.top) + "," +
        point(sourceRect.right, sourceRect.bottom) + " " + ropText(rasterOp);
    if (usesPattern(rasterOp))
        s += " " + brushText();
    record(s);
}

void RecordingCanvas::patBlt(const IRect& r, uint32_t rasterOp)
{
    record("patblt " + rect(r) + " " + ropText(rasterOp) + " " + brushText());
}

void RecordingCanvas::alphaBlend(const IRect& dest, const QImage& source, const IRect& sourceRect, int constantAlpha,
                                 bool perPixelAlpha)
{
    record("alphablend " + rect(dest) + " from " + std::to_string(source.width()) + "x" +
           std::to_string(source.height()) + " " + point(sourceRect.left, sourceRect.top) + "," +
           point(sourceRect.right, sourceRect.bottom) + " alpha=" + std::to_string(constantAlpha) +
           (perPixelAlpha ? " perpixel" : ""));
}

void RecordingCanvas::fillRect(const IRect& r, Color c)
{
    record("fillrect " + point(devX(r.left), devY(r.top)) + "," + point(devX(r.right), devY(r.bottom)) + " " +
           hexColour(c));
}

void RecordingCanvas::textOut(int x, int y, const std::string& bytes)
{
    std::string s = "text " + point(devX(x), devY(y)) + " font=" + font.face + "/" + std::to_string(font.pointSize) +
        "/" + std::to_string(font.style);
    if (font.pixelHeight != 0)
        s += " px=" + std::to_string(font.pixelHeight);
    if (font.escapement != 0)
        s += " esc=" + std::to_string(font.escapement);
    s += " " + hexColour(font.color) + " " + quoted(bytes);
    if (opaqueBackground)
        s += " opaque=" + hexColour(backgroundColor);
    record(s);
}

// A fixed advance keeps layouts computed on a recording canvas independent of installed fonts.
int RecordingCanvas::textWidth(const std::string& bytes)
{
    return static_cast<int>(std::min<size_t>(bytes.size(), 0x0FFFFFFF) * 8);
}

// Fixed metrics, so that layouts traced with this canvas are the same on every machine: a
// character cell of the font's pixel size, four fifths above the baseline.
TextMetrics RecordingCanvas::textMetrics()
{
    const int size = font.pixelHeight != 0 ? std::abs(font.pixelHeight) : (font.pointSize * dpi_ + 36) / 72;
    TextMetrics m;
    m.ascent = size * 4 / 5;
    m.descent = size - m.ascent;
    m.averageWidth = 8;
    return m;
}

void RecordingCanvas::drawTextRun(double x, double y, const TextRun& run)
{
    const TextFont& f = run.font;
    std::string s = "textrun " +
        point(std::llround(static_cast<double>(devX(0)) + x), std::llround(static_cast<double>(devY(0)) + y)) +
        " font=" + f.face + "/" + std::to_string(f.height) + "/" + std::to_string(f.width) + "/" +
        std::to_string(f.weight);
    if (f.italic || f.underline || f.strikeOut)
        s += std::string("/") + (f.italic ? "i" : "") + (f.underline ? "u" : "") + (f.strikeOut ? "s" : "");
    s += " " + hexColour(f.color) + " ";
    if (run.glyphIndexes) {
        std::string g = "\"";
        for (const char16_t c : run.text) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
            g += buf;
        }
        s += g + "\"";
    } else {
        const QByteArray utf8 = QString::fromUtf16(run.text.data(), static_cast<qsizetype>(run.text.size())).toUtf8();
        std::string text;
        for (const char ch : utf8) {
            const auto b = static_cast<unsigned char>(ch);
            if (b == '"' || b == '\\') {
                text += '\\';
                text += ch;
            } else if (b < 0x20 || b == 0x7f) {
                char buf[5];
                std::snprintf(buf, sizeof buf, "\\x%02x", b);
                text += buf;
            } else {
                text += ch;
            }
        }
        s += "\"" + text + "\"";
    }
    if (f.escapement != 0)
        s += " esc=" + std::to_string(f.escapement);
    if (f.orientation != f.escapement)
        s += " orient=" + std::to_string(f.orientation);
    if (run.glyphIndexes)
        s += " glyphs";
    if (!run.advances.empty()) {
        s += " dx=";
        for (size_t k = 0; k < run.advances.size(); ++k)
            s += (k ? "," : "") + std::to_string(run.advances[k]);
    }
    record(s);
}

// Fixed measures, as for 8-bit text: 8 pixels a character, four fifths of the height above the
// baseline.
TextRunMeasure RecordingCanvas::measureTextRun(const TextRun& run)
{
    TextRunMeasure m;
    const int size = run.font.height != 0 ? std::clamp(run.font.height, -4096, 4096) : 12;
    m.ascent = std::abs(size) * 4 / 5;
    m.descent = std::abs(size) - m.ascent;
    int64_t width = 0;
    for (size_t k = 0; k < run.text.size(); ++k) {
        const int adv = k < run.advances.size() ? run.advances[k] : 8;
        m.advances.push_back(adv);
        width += adv;
    }
    // Advances far beyond any page are cut, as the raster canvas cuts them.
    m.width = static_cast<int>(std::clamp<int64_t>(width, -(int64_t{1} << 30), int64_t{1} << 30));
    return m;
}

void RecordingCanvas::regionClipped(const QRegion& r)
{
    std::string s = "clipregion";
    for (const QRect& q : r)
        s += " " + rect(IRect{q.left(), q.top(), q.right() + 1, q.bottom() + 1});
    record(s);
}

Color RecordingCanvas::pixel(int, int) const
{
    return kWhite;
}

void RecordingCanvas::setPixel(int x, int y, Color c)
{
    record("setpixel " + point(devX(x), devY(y)) + " " + hexColour(c));
}

void RecordingCanvas::translated(int dx, int dy)
{
    record("translate " + point(dx, dy));
}

void RecordingCanvas::paintWithQt(const IRect& area, const std::function<void(QPainter&)>&)
{
    record("qtpaint " + rect(area));
}

}  // namespace vr
