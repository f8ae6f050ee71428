#include "richtext/rich_edit.h"

#include "core/doc_stream.h"
#include "core/fields.h"
#include "core/json_writer.h"
#include "core/rounding.h"
#include "gfx/print/printer.h"

namespace vr {
namespace {

void line(Canvas& c, int x0, int y0, int x1, int y1)
{
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

// The content size field (a counted string of 6) and, when it is above 0, exactly that many
// bytes: a stream that ends sooner is a read error.
std::vector<uint8_t> readContent(DocStream& s, int32_t& size)
{
    uint8_t field[7];
    s.readFixed(field, sizeof field);
    size = numericField(field, 6);
    if (size <= 0)
        return {};
    return s.readExact(static_cast<size_t>(size));
}

void dumpContent(JsonWriter& out, int32_t size, const RichText& content, const std::optional<std::string>& error)
{
    out.field("ContentSize", size);
    static constexpr const char* kFormats[] = {"empty", "rtf", "text"};
    out.field("ContentFormat", kFormats[static_cast<int>(content.format())]);
    out.field("Text", content.plainText());
    if (error)
        out.field("ContentError", *error);
}

}  // namespace

void ReadBoundsRecord(DocStream& s, PageObject& o)
{
    uint8_t rec[20];
    s.readFixed(rec, sizeof rec);
    o.left = numericField(rec + 0, 4);
    o.top = numericField(rec + 5, 4);
    o.width = numericField(rec + 10, 4);
    o.height = numericField(rec + 15, 4);
}

void LoadContent(RichText& content, const std::vector<uint8_t>& bytes, std::optional<std::string>& error,
                 const ContentReport& report)
{
    try {
        content.load(bytes);
    } catch (const StreamLoadError& e) {
        error = e.what();
        if (report)
            report(e.what());
    }
}

void TDRichEdit::ReadRecord(DocStream& s, const ContentReport& report)
{
    ReadBoundsRecord(s, *this);
    uint8_t border[20];
    s.readFixed(border, sizeof border);
    LeftSide = lowByte(numericField(border + 0, 1));
    BottomSide = lowByte(numericField(border + 2, 1));
    RightSide = lowByte(numericField(border + 4, 1));
    TopSide = lowByte(numericField(border + 6, 1));
    BorderWidth = lowByte(numericField(border + 8, 1));
    BorderColor = static_cast<Color>(numericField(border + 10, 9));
    layoutWidth = width;
    const std::vector<uint8_t> bytes = readContent(s, ContentSize);
    // The record has been read whole: content that cannot be shown leaves the frame empty and
    // the document goes on loading.
    LoadContent(content, bytes, contentError, report);
}

void TDRichEdit::paintOnPage(Canvas& canvas, const PaintContext& ctx)
{
    content.paint(canvas, IRect{0, 0, width, height}, layoutWidth, ctx.zoomFactor);
}

void TDRichEdit::paintAroundOnPage(Canvas& canvas, const PaintContext&)
{
    if (!(LeftSide || BottomSide || RightSide || TopSide))
        return;
    CanvasSaver saver(canvas);
    canvas.pen = Pen{resolveColor(BorderColor), BorderWidth, PenStyle::Solid, PenMode::NotXor};
    const int h = roundHalfEven(BorderWidth / 2.0);
    const int L = left, T = top, W = width, H = height;
    if (LeftSide)
        line(canvas, L - h, T, L - h, T + H);
    if (BottomSide)
        line(canvas, L - h, T + H + h, L + W + h, T + H + h);
    if (RightSide)
        line(canvas, L + W + h, T, L + W + h, T + H);
    if (TopSide)
        line(canvas, L - h, T - h, L + W + h, T - h);
}

void TDRichEdit::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    content.print(printer,
                  framePrintRect(left, top, width, height, sx, sy, printer.logPixelsX(), printer.logPixelsY()));
    if (!(LeftSide || BottomSide || RightSide || TopSide))
        return;
    // On the sheet the text ended on, on the frame's own edges; the printer canvas keeps its
    // mix and style.
    Canvas& c = printer.canvas();
    const int x1 = roundHalfEven(left * sx), y1 = roundHalfEven(top * sy);
    const int x2 = roundHalfEven((static_cast<double>(left) + width) * sx);
    const int y2 = roundHalfEven((static_cast<double>(top) + height) * sy);
    c.pen.width = roundHalfEven(BorderWidth * sx);
    c.pen.color = resolveColor(BorderColor);
    if (LeftSide)
        line(c, x1, y1, x1, y2);
    if (BottomSide)
        line(c, x1, y2, x2, y2);
    if (RightSide)
        line(c, x2, y1, x2, y2);
    if (TopSide)
        line(c, x1, y1, x2, y1);
}

void TDRichEdit::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    out.field("LeftSide", static_cast<int32_t>(LeftSide));
    out.field("BottomSide", static_cast<int32_t>(BottomSide));
    out.field("RightSide", static_cast<int32_t>(RightSide));
    out.field("TopSide", static_cast<int32_t>(TopSide));
    out.field("BorderWidth", static_cast<int32_t>(BorderWidth));
    out.field("BorderColor", BorderColor);
    dumpContent(out, ContentSize, content, contentError);
}

void TREdit::ReadRecord(DocStream& s, bool withContent, const ContentReport& report)
{
    ReadBoundsRecord(s, *this);
    left -= 10;
    top -= 10;
    layoutWidth = width;
    enabled = false;
    if (!withContent)
        return;
    const std::vector<uint8_t> bytes = readContent(s, ContentSize);
    LoadContent(content, bytes, contentError, report);
}

void TREdit::paintOnPage(Canvas& canvas, const PaintContext& ctx)
{
    content.paint(canvas, IRect{0, 0, width, height}, layoutWidth, ctx.zoomFactor);
}

void TREdit::Print(PrinterDevice& printer, int offsetX, int offsetY, double sx, double sy)
{
    content.print(
        printer,
        cellPrintRect(left, top, width, height, offsetX, offsetY, sx, sy, printer.logPixelsX(), printer.logPixelsY()));
}

void TREdit::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    dumpContent(out, ContentSize, content, contentError);
}

}  // namespace vr
