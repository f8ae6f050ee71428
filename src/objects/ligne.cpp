#include "objects/ligne.h"

#include <cmath>
#include <numbers>

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "gfx/print/printer.h"

namespace vr {

TLigne::TLigne(int x1, int y1, int x2, int y2, Color c, uint8_t w, uint8_t style, uint8_t arrow)
    : X1(x1), Y1(y1), X2(x2), Y2(y2), color(c), penWidth(w), penStyle(style), arrowKind(arrow)
{
}

void TLigne::ReadRecord(DocStream& s)
{
    uint8_t rec[kRecordSize];
    s.readFixed(rec, sizeof rec);
    X1 = numericField(rec + 0, 4);
    Y1 = numericField(rec + 5, 4);
    X2 = numericField(rec + 10, 4);
    Y2 = numericField(rec + 15, 4);
    color = static_cast<Color>(numericField(rec + 20, 9));
    penWidth = lowByte(numericField(rec + 30, 2));
    const int style = codeIndex(rec + 33, 1, {"0", "1", "2", "3", "4", "5", "6"});
    if (style >= 0)
        penStyle = static_cast<uint8_t>(style);
    const int arrow = codeIndex(rec + 35, 2, {"FN", "FD", "FL", "FR"});
    if (arrow >= 0)
        arrowKind = static_cast<uint8_t>(arrow);
}

double segmentDirection(double dx, double dy)
{
    constexpr double pi = std::numbers::pi;
    const double t = std::atan(dy / dx);
    if (dx >= 0 && dy >= 0)
        return t;
    if (dx < 0)
        return pi + t;
    return 2 * pi + t;
}

void drawArrowhead(Canvas& canvas, int tx, int ty, int bx, int by, int w, double lenX, double lenY)
{
    constexpr double pi = std::numbers::pi;
    if (tx == bx)
        ++tx;  // a vertical segment has no slope: the head tilts one pixel to the right
    const double a = segmentDirection(static_cast<double>(tx) - bx, static_cast<double>(ty) - by);
    const double a1 = a + (160 - 2 * w) * pi / 180;
    const double a2 = a + (200 + 2 * w) * pi / 180;
    canvas.moveTo(tx, ty);
    canvas.lineTo(roundHalfEven(tx + lenX * std::cos(a1)), roundHalfEven(ty + lenY * std::sin(a1)));
    canvas.moveTo(tx, ty);
    canvas.lineTo(roundHalfEven(tx + lenX * std::cos(a2)), roundHalfEven(ty + lenY * std::sin(a2)));
}

namespace {

void drawWithArrows(Canvas& c, int x1, int y1, int x2, int y2, uint8_t kind, int w, double lenX, double lenY)
{
    c.moveTo(x1, y1);
    c.lineTo(x2, y2);
    switch (static_cast<ArrowKind>(kind)) {
    case ArrowKind::Second:
        drawArrowhead(c, x2, y2, x1, y1, w, lenX, lenY);
        break;
    case ArrowKind::First:
        drawArrowhead(c, x1, y1, x2, y2, w, lenX, lenY);
        break;
    case ArrowKind::Both:
        drawArrowhead(c, x2, y2, x1, y1, w, lenX, lenY);
        drawArrowhead(c, x1, y1, x2, y2, w, lenX, lenY);
        break;
    default:
        break;
    }
}

PenStyle penStyleOf(uint8_t code)
{
    return code <= 6 ? static_cast<PenStyle>(code) : PenStyle::Solid;
}

}  // namespace

void TLigne::Draw(Canvas& canvas, double zoomFactor)
{
    canvas.pen.mode = PenMode::NotXor;
    canvas.pen.width = penWidth;
    canvas.pen.color = resolveColor(color);
    canvas.pen.style = penStyleOf(penStyle);
    const double len = penWidth + 14.0;
    drawWithArrows(canvas, roundHalfEven(X1 * zoomFactor), roundHalfEven(Y1 * zoomFactor),
                   roundHalfEven(X2 * zoomFactor), roundHalfEven(Y2 * zoomFactor), arrowKind, penWidth, len, len);
}

void TLigne::Print(Canvas& canvas, double sx, double sy)
{
    canvas.pen.mode = PenMode::NotXor;
    canvas.pen.width = penWidth > 1 ? roundHalfEven(penWidth * sx) : penWidth;
    canvas.pen.color = resolveColor(color);
    canvas.pen.style = penStyleOf(penStyle);
    const double len = (penWidth + 14.0) * sx;
    drawWithArrows(canvas, roundHalfEven(X1 * sx), roundHalfEven(Y1 * sy), roundHalfEven(X2 * sx),
                   roundHalfEven(Y2 * sy), arrowKind, penWidth, len, len);
}

void TLigne::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    Print(printer.canvas(), sx, sy);
}

void TLigne::dumpFields(JsonWriter& out) const
{
    out.field("X1", X1);
    out.field("Y1", Y1);
    out.field("X2", X2);
    out.field("Y2", Y2);
    out.field("Color", color);
    out.field("PenWidth", static_cast<int32_t>(penWidth));
    out.field("PenStyle", static_cast<int32_t>(penStyle));
    out.field("ArrowKind", static_cast<int32_t>(arrowKind));
}

}  // namespace vr
