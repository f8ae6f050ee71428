#include "table/tabeau_d.h"

#include "core/doc_stream.h"
#include "core/fields.h"
#include "text/memo_print.h"

namespace vr {
namespace {

constexpr Color kButtonFace = 0xFF00000Fu;  // the system's button-face colour
constexpr Color kBevelLight = 0xFFFFFF;
constexpr Color kBevelShadow = 0x808080;
constexpr int kInset = 10;

}  // namespace

void TTabeauD::ReadRecord(DocStream& s, bool withContent, const FrameReadContext& ctx)
{
    uint8_t columns[4], rows[4];
    s.readFixed(columns, sizeof columns);
    s.readFixed(rows, sizeof rows);
    const int32_t columnCount = numericField(columns, 3);
    const int32_t rowCount = numericField(rows, 3);
    Columns = lowByte(columnCount);
    Rows = lowByte(rowCount);
    left += kInset;
    top += kInset;
    height -= kInset;
    width -= kInset;
    // A negative count reads no cell, though its low byte would be large.
    if (rowCount < 1)
        return;
    FrameReadContext cellCtx = ctx;
    cellCtx.setInFront = nullptr;  // a cell has no siblings on the page to move among
    for (int row = 1; row <= Rows; ++row) {
        for (int column = 1; column <= Columns; ++column) {
            auto cell = std::make_unique<TDMemo>();
            cell->ReadFrame(s, withContent, cellCtx);
            cell->left -= kInset;
            cell->top -= kInset;
            Cells.push_back(std::move(cell));
        }
        ++refreshes;
    }
}

void TTabeauD::paintOnPage(Canvas& canvas, const PaintContext& ctx)
{
    const int W = width, H = height;
    canvas.fillRect(IRect{0, 0, W, H}, resolveColor(kButtonFace));
    // The raised outer bevel: light on the top and left, shadow on the right and bottom.
    canvas.fillRect(IRect{0, 0, W, 1}, kBevelLight);
    canvas.fillRect(IRect{0, 0, 1, H}, kBevelLight);
    canvas.fillRect(IRect{W - 1, 0, W, H}, kBevelShadow);
    canvas.fillRect(IRect{0, H - 1, W, H}, kBevelShadow);
    for (const auto& cell : Cells) {
        CanvasSaver saver(canvas);
        canvas.translate(cell->left, cell->top);
        canvas.clipTo(IRect{0, 0, cell->width, cell->height});
        canvas.resetDrawingState();  // each cell is a control of its own
        cell->paintOnPage(canvas, ctx);
    }
}

void TTabeauD::Print(PrinterDevice& printer, double sx, double sy)
{
    for (const auto& cell : Cells)
        PrintFrame(*cell, left, top, printer, sy, sx);
}

void TTabeauD::changeScale(int m, int d)
{
    PageObject::changeScale(m, d);
    for (const auto& cell : Cells)
        cell->changeScale(m, d);
}

void TTabeauD::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    out.field("Columns", static_cast<int32_t>(Columns));
    out.field("Rows", static_cast<int32_t>(Rows));
    out.key("Cells");
    out.beginArray();
    for (size_t i = 0; i < Cells.size(); ++i) {
        out.beginObject();
        out.field("kind", Cells[i]->className());
        // Rows are filled first: cell i is in row i / Columns (Columns is not 0 once a cell exists).
        out.field("Row", static_cast<int32_t>(i / Columns + 1));
        out.field("Column", static_cast<int32_t>(i % Columns + 1));
        Cells[i]->dumpFields(out);
        out.endObject();
    }
    out.endArray();
}

}  // namespace vr
