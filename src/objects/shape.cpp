#include "objects/shape.h"

#include <algorithm>

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "gfx/picture/picture.h"
#include "gfx/print/printer.h"

namespace vr {

namespace {

bool isSquareKind(TDShapeType t)
{
    return t == TDShapeType::stSquare || t == TDShapeType::stRoundSquare || t == TDShapeType::stCircle;
}

}  // namespace

TDShape::TDShape()
{
    width = 65;
    height = 65;
}

void TDShape::ReadRecord(DocStream& s, bool withImage, Diagnostics* diagnostics)
{
    uint8_t rec[kRecordSize];
    s.readFixed(rec, sizeof rec);
    const int kind = codeIndex(rec + 0, 1, {"0", "1", "2", "3", "4", "5", "6", "7"});
    static constexpr TDShapeType kKinds[4] = {TDShapeType::stRectangle, TDShapeType::stRoundRect,
                                              TDShapeType::stRoundSquare, TDShapeType::stEllipse};
    if (kind >= 0)
        Shape = kKinds[kind % 4];
    InFront = kind >= 4 ? 1 : 0;
    const int style = codeIndex(rec + 2, 1, {"0", "1", "2", "3", "4", "5", "6", "7"});
    if (style >= 0)
        brush.style = static_cast<BrushStyle>(style);
    brush.color = static_cast<Color>(numericField(rec + 4, 9));
    pen.width = numericField(rec + 14, 2);
    pen.color = static_cast<Color>(numericField(rec + 17, 9));
    left = numericField(rec + 27, 4);
    top = numericField(rec + 32, 4);
    width = numericField(rec + 37, 4);
    height = numericField(rec + 42, 4);
    BrushImageSize = numericField(rec + 47, 9);
    if (BrushImageSize >= 1 && withImage) {
        // The brush picture is read whole; when it decodes, it becomes the brush's pattern.
        const std::vector<uint8_t> bytes = s.readExact(static_cast<size_t>(BrushImageSize));
        try {
            ImageBrush = decodeBmp(bytes.data(), bytes.size());
            brush.style = BrushStyle::Pattern;
            brush.pattern = std::make_shared<const QImage>(ImageBrush);
        } catch (const GraphicError& e) {
            // An undecodable brush picture leaves the brush as its record set it.
            warnTo(diagnostics, std::string("brush picture not decoded: ") + e.what());
        }
    }
}

void TDShape::drawFigure(Canvas& c, int x, int y, int w, int h) const
{
    const int s = std::min(w, h);
    if (isSquareKind(Shape)) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    const IRect box{x, y, x + w, y + h};
    switch (Shape) {
    case TDShapeType::stRectangle:
    case TDShapeType::stSquare:
        c.rectangle(box);
        break;
    case TDShapeType::stRoundRect:
    case TDShapeType::stRoundSquare:
        c.roundRect(box, s / 4, s / 4);
        break;
    case TDShapeType::stEllipse:
    case TDShapeType::stCircle:
        c.ellipse(box);
        break;
    }
}

void TDShape::paintOnPage(Canvas& canvas, const PaintContext&)
{
    CanvasSaver saver(canvas);
    canvas.translate(left, top);
    canvas.clipTo(IRect{0, 0, width, height});
    canvas.pen = pen;
    canvas.pen.color = resolveColor(pen.color);
    canvas.brush = brush;
    canvas.brush.color = resolveColor(brush.color);
    const int pw = pen.width;
    drawFigure(canvas, pw / 2, pw / 2, width - pw + 1, height - pw + 1);
}

void TDShape::Print(Canvas& c, double sx, double sy)
{
    c.pen = pen;
    c.pen.color = resolveColor(pen.color);
    const int pp = roundHalfEven(pen.width * sx);
    c.pen.width = pp;
    c.brush = brush;
    c.brush.color = resolveColor(brush.color);
    const int x = roundHalfEven((pp + left) * sx);
    const int y = roundHalfEven(top * sy);
    const int w = roundHalfEven((width - pp + 1) * sx);
    const int h = roundHalfEven((height - pp + 1) * sy);
    drawFigure(c, x, y, w, h);
}

void TDShape::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    Print(printer.canvas(), sx, sy);
}

void TDShape::dumpFields(JsonWriter& out) const
{
    out.field("Shape", static_cast<int32_t>(Shape));
    out.field("InFront", static_cast<int32_t>(InFront));
    out.field("BrushStyle", static_cast<int32_t>(brush.style));
    out.field("BrushColour", brush.color);
    out.field("PenWidth", static_cast<int32_t>(pen.width));
    out.field("PenColour", pen.color);
    dumpBounds(out);
    out.field("BrushImageSize", BrushImageSize);
    out.key("ImageBrush");
    out.beginArray();
    out.value(static_cast<int32_t>(ImageBrush.width()));
    out.value(static_cast<int32_t>(ImageBrush.height()));
    out.endArray();
}

}  // namespace vr
