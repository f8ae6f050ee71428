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
    ReadBorderRecord(s);
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
    if (!anySide())
        return;
    CanvasSaver saver(canvas);
    canvas.pen = Pen{resolveColor(BorderColor), BorderWidth, PenStyle::Solid, PenMode::NotXor};
    const int h = roundHalfEven(BorderWidth / 2.0);
    const int L = left, T = top, W = width, H = height;
    if (BorderLeft)
        line(canvas, L - h, T, L - h, T + H);
    if (BorderBottom)
        line(canvas, L - h, T + H + h, L + W + h, T + H + h);
    if (BorderRight)
        line(canvas, L + W + h, T, L + W + h, T + H);
    if (BorderTop)
        line(canvas, L - h, T - h, L + W + h, T - h);
}

void TDRichEdit::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    content.print(printer,
                  framePrintRect(left, top, width, height, sx, sy, printer.logPixelsX(), printer.logPixelsY()));
    // On the sheet the text ended on, on the frame's own edges.
    printBorder(printer.canvas(), roundHalfEven(left * sx), roundHalfEven(top * sy),
                roundHalfEven((static_cast<double>(left) + width) * sx),
                roundHalfEven((static_cast<double>(top) + height) * sy), sx);
}

void TDRichEdit::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    dumpBorder(out);
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
