#include "page/object_records.h"

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/json_writer.h"
#include "core/rounding.h"
#include "gfx/canvas/canvas.h"
#include "page/page_object.h"

namespace vr {

void ReadBoundsRecord(DocStream& s, PageObject& o)
{
    uint8_t rec[20];
    s.readFixed(rec, sizeof rec);
    o.left = numericField(rec + 0, 4);
    o.top = numericField(rec + 5, 4);
    o.width = numericField(rec + 10, 4);
    o.height = numericField(rec + 15, 4);
}

void BorderRecord::ReadBorderRecord(DocStream& s)
{
    uint8_t rec[20];
    s.readFixed(rec, sizeof rec);
    BorderLeft = lowByte(numericField(rec + 0, 1));
    BorderBottom = lowByte(numericField(rec + 2, 1));
    BorderRight = lowByte(numericField(rec + 4, 1));
    BorderTop = lowByte(numericField(rec + 6, 1));
    BorderWidth = lowByte(numericField(rec + 8, 1));
    BorderColor = static_cast<Color>(numericField(rec + 10, 9));
}

void BorderRecord::dumpBorder(JsonWriter& out) const
{
    out.field("BorderLeft", static_cast<int32_t>(BorderLeft));
    out.field("BorderBottom", static_cast<int32_t>(BorderBottom));
    out.field("BorderRight", static_cast<int32_t>(BorderRight));
    out.field("BorderTop", static_cast<int32_t>(BorderTop));
    out.field("BorderWidth", static_cast<int32_t>(BorderWidth));
    out.field("BorderColor", BorderColor);
}

void BorderRecord::printBorder(Canvas& c, int x1, int y1, int x2, int y2, double sx) const
{
    if (!anySide())
        return;
    c.pen.width = roundHalfEven(BorderWidth * sx);
    c.pen.color = resolveColor(BorderColor);
    const auto side = [&c](int ax, int ay, int bx, int by) {
        c.moveTo(ax, ay);
        c.lineTo(bx, by);
    };
    if (BorderLeft)
        side(x1, y1, x1, y2);
    if (BorderBottom)
        side(x1, y2, x2, y2);
    if (BorderRight)
        side(x2, y1, x2, y2);
    if (BorderTop)
        side(x1, y1, x2, y1);
}

}  // namespace vr
