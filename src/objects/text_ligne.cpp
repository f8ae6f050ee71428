#include "objects/text_ligne.h"

#include "objects/ligne.h"

#include <array>
#include <cmath>
#include <numbers>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "gfx/print/printer.h"

namespace vr {

namespace {

// Style codes "0".."5": regular, bold, italic, underline, strike-out, bold and italic.
constexpr uint8_t kStyles[] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x03};

// Writes the text with a font turned to the escapement and puts the previous font back.
void writeTurned(Canvas& canvas, const FontRequest& turned, int x, int y, const std::string& text)
{
    const KeepValue keepFont(canvas.font);
    const KeepValue keepOpaque(canvas.opaqueBackground);
    canvas.font = turned;
    canvas.opaqueBackground = false;  // the page's brush is clear once its background is painted
    canvas.textOut(x, y, text);
}

}  // namespace

TTextLigne::TTextLigne(int x1, int y1, int x2, int y2, std::unique_ptr<TDChaine> h)
    : X1(x1), Y1(y1), X2(x2), Y2(y2), holder(std::move(h))
{
}

void TTextLigne::ReadRecord(DocStream& s)
{
    holder.reset();
    uint8_t points[kPointsSize];
    s.readFixed(points, sizeof points);
    X1 = numericField(points + 0, 4);
    Y1 = numericField(points + 5, 4);
    X2 = numericField(points + 10, 4);
    Y2 = numericField(points + 15, 4);

    uint8_t rec[kFontSize];
    s.readFixed(rec, sizeof rec);
    const int32_t n = numericField(rec + 74, 3);

    holder = std::make_unique<TDChaine>(std::string(), std::string(), 12, 0, 0, 0, X1);
    holder->FontName = countedText(rec + 0, 50);
    holder->Size = lowByte(numericField(rec + 51, 3));
    holder->FontClass = lowByte(numericField(rec + 67, 6));
    const int style = codeIndex(rec + 55, 1, {"0", "1", "2", "3", "4", "5"});
    holder->Style = style >= 0 ? kStyles[style] : 0;
    holder->Color = static_cast<Color>(numericField(rec + 57, 9));

    // The text goes into the holder's 256-byte storage, length byte first; bytes the stream does
    // not have stay zero, and a text longer than the storage is passed over to the record's end.
    if (n <= 0)
        return;
    const size_t want = static_cast<size_t>(n);
    std::array<uint8_t, kTextStorage> storage{};
    const size_t kept = want < storage.size() ? want : storage.size();
    s.read(storage.data(), kept);
    if (want > kept)
        s.seek(s.position() + std::min(want - kept, s.remaining()));
    holder->Text.assign(reinterpret_cast<const char*>(storage.data() + 1), storage[0]);
}

int TTextLigne::Escapement(int x1, int y1, int x2, int y2)
{
    constexpr double pi = std::numbers::pi;
    if (x2 == x1)
        return y2 > y1 ? 2700 : 900;
    const double a = segmentDirection(static_cast<double>(x2) - x1, static_cast<double>(y2) - y1);
    return 3600 - roundHalfEven(a * 1800 / pi);
}

void TTextLigne::Draw(Canvas& canvas, double zoomFactor)
{
    canvas.pen.mode = PenMode::NotXor;
    canvas.pen.width = 3;
    canvas.pen.color = 255;
    canvas.pen.style = PenStyle::DashDot;
    if (!holder)
        return;

    FontRequest f;
    f.face = holder->FontName;
    f.style = holder->Style;
    f.color = resolveColor(holder->Color);
    f.pointSize = roundHalfEven(holder->Size * zoomFactor);
    canvas.font = f;
    if (holder->Text.empty())
        return;

    const double dx = static_cast<double>(X2) - X1, dy = static_cast<double>(Y2) - Y1;
    const int length = roundHalfEven(std::sqrt(dx * dx + dy * dy));
    while (canvas.font.pointSize < kLargestSize && canvas.textWidth(holder->Text) < length)
        ++canvas.font.pointSize;

    FontRequest turned = canvas.font;
    turned.escapement = Escapement(X1, Y1, X2, Y2);
    turned.pixelHeight = roundHalfEven(-mulDiv(canvas.font.pointSize, canvas.dpiY(), 72) * zoomFactor);
    writeTurned(canvas, turned, roundHalfEven(X1 * zoomFactor), roundHalfEven(Y1 * zoomFactor), holder->Text);
}

void TTextLigne::Print(Canvas& canvas, double sx, double sy)
{
    if (!holder)
        return;
    const int x1 = roundHalfEven(X1 * sx), y1 = roundHalfEven(Y1 * sy);
    const int x2 = roundHalfEven(X2 * sx), y2 = roundHalfEven(Y2 * sy);
    FontRequest f;
    f.face = holder->FontName;
    f.color = resolveColor(holder->Color);
    f.style = holder->Style;
    const double aspect = canvas.dpiX() != 0 ? static_cast<double>(canvas.dpiY()) / canvas.dpiX() : 1.0;
    f.pointSize = roundHalfEven(holder->Size * aspect);
    canvas.font = f;
    if (holder->Text.empty())
        return;
    FontRequest turned = f;
    turned.escapement = Escapement(x1, y1, x2, y2);
    turned.pixelHeight = -mulDiv(f.pointSize, canvas.dpiY(), 72);
    writeTurned(canvas, turned, x1, y1, holder->Text);
}

void TTextLigne::printOnSheet(PrinterDevice& printer, double sx, double sy)
{
    Print(printer.canvas(), sx, sy);
}

void TTextLigne::movePoint(Canvas& canvas, bool first, IPoint p, Color pageColor, double zoomFactor)
{
    const Color kept = holder ? holder->Color : 0;
    if (holder)
        holder->Color = pageColor;
    Draw(canvas, zoomFactor);
    (first ? X1 : X2) = p.x;
    (first ? Y1 : Y2) = p.y;
    if (holder) {
        if (first)
            holder->X = p.x;
        holder->Color = kept;
    }
    Draw(canvas, zoomFactor);
}

void TTextLigne::dumpFields(JsonWriter& out) const
{
    out.field("X1", X1);
    out.field("Y1", Y1);
    out.field("X2", X2);
    out.field("Y2", Y2);
    if (!holder)
        return;
    out.field("FontName", latin1ToUtf8(holder->FontName));
    out.field("Size", static_cast<int32_t>(holder->Size));
    out.field("Style", static_cast<int32_t>(holder->Style));
    out.field("Color", holder->Color);
    out.field("FontClass", static_cast<int32_t>(holder->FontClass));
    out.field("Text", latin1ToUtf8(holder->Text));
}

}  // namespace vr
