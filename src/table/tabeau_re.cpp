#include "table/tabeau_re.h"

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/json_writer.h"

namespace vr {
namespace {

constexpr Color kButtonFace = 0xFF00000F;  // the system's button-face colour
constexpr Color kBevelLight = 0xFFFFFF;
constexpr Color kBevelShadow = 0x808080;

void line(Canvas& c, int x0, int y0, int x1, int y1)
{
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

}  // namespace

void TTabeauRE::ReadRecord(DocStream& s, bool withContent, const ContentReport& report)
{
    left += 10;
    top += 10;
    height -= 10;
    width -= 10;
    uint8_t columnField[4], rowField[4];
    s.readFixed(columnField, sizeof columnField);
    s.readFixed(rowField, sizeof rowField);
    const int32_t c = numericField(columnField, 3);
    const int32_t r = numericField(rowField, 3);
    columns = lowByte(c);
    rows = lowByte(r);
    if (r < 1)
        return;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j) {
            auto cell = std::make_unique<TREdit>();
            cell->ReadRecord(s, withContent, report);
            cells.push_back(std::move(cell));
        }
}

void TTabeauRE::paintOnPage(Canvas& canvas, const PaintContext& ctx)
{
    canvas.fillRect(IRect{0, 0, width, height}, resolveColor(kButtonFace));
    {
        CanvasSaver saver(canvas);
        canvas.pen = Pen{};
        canvas.pen.color = kBevelLight;
        line(canvas, 0, height - 1, 0, 0);
        canvas.lineTo(width - 1, 0);
        canvas.pen.color = kBevelShadow;
        line(canvas, width - 1, 0, width - 1, height - 1);
        canvas.lineTo(-1, height - 1);
    }
    for (const auto& cell : cells) {
        CanvasSaver saver(canvas);
        canvas.translate(cell->left, cell->top);
        canvas.clipTo(IRect{0, 0, cell->width, cell->height});
        cell->paintOnPage(canvas, ctx);
    }
}

void TTabeauRE::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    for (const auto& cell : cells)
        cell->Print(printer, left, top, sx, sy);
}

void TTabeauRE::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    out.field("Columns", static_cast<int32_t>(columns));
    out.field("Rows", static_cast<int32_t>(rows));
    out.key("Cells");
    out.beginArray();
    for (const auto& cell : cells) {
        out.beginObject();
        cell->dumpFields(out);
        out.endObject();
    }
    out.endArray();
}

void TTabeauRE::changeScale(int m, int d)
{
    PageObject::changeScale(m, d);
    for (const auto& cell : cells)
        cell->changeScale(m, d);
}

}  // namespace vr
