// TTextLigne: one run of text written along the segment between two points of a page, turned to
// the segment's direction and, on screen, enlarged until it is at least as long as the segment.
// The page surface draws text lines on its own canvas, like lines.
#pragma once
#include <cstdint>
#include <memory>

#include "page/page_object.h"
#include "text/records.h"

namespace vr {

class DocStream;

class TTextLigne : public PageObject {
public:
    static constexpr size_t kPointsSize = 20;  // X1, Y1, X2, Y2
    static constexpr size_t kFontSize = 78;  // font name, size, style, colour, font class, text size
    static constexpr size_t kTextStorage = 256;  // the holder's counted string: length byte + 255
    // The screen enlargement stops at this size (points) even when the text is still shorter than
    // the segment: a text of narrow glyphs along a long segment would otherwise grow for ever.
    static constexpr int kLargestSize = 1000;

    // The loader passes placeholder points and no holder; ReadRecord makes the holder.
    TTextLigne(int x1, int y1, int x2, int y2, std::unique_ptr<TDChaine> holder = nullptr);

    const char* className() const override { return "TTextLigne"; }
    bool drawnByPage() const override { return true; }

    // Reads the three parts of the record. The text size N counts the bytes that follow: a text
    // of more than 256 bytes keeps its first 256 (the holder's storage) and the stream moves past
    // all N. A failure in the points or the text size leaves the text line without a holder.
    void ReadRecord(DocStream& s);

    // Screen: not-xor red dash-dot pen left on the canvas, font at round(Size x zoom) enlarged
    // point by point until the text is as long as the unzoomed segment, turned to the segment
    // and written at the zoomed first point. Nothing is drawn without a holder or a text.
    void Draw(Canvas& canvas, double zoomFactor);
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override { Draw(canvas, ctx.zoomFactor); }

    // Printer: points scaled by (sx, sy), the holder's size corrected for unequal resolutions,
    // no enlargement.
    void Print(Canvas& printerCanvas, double sx, double sy);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return 3; }

    // Erase (draw over in the page colour), replace the point, draw again.
    void MoveFirstPoint(Canvas& canvas, IPoint p, Color pageColor, double zoomFactor)
    {
        movePoint(canvas, true, p, pageColor, zoomFactor);
    }
    void MoveSecondPoint(Canvas& canvas, IPoint p, Color pageColor, double zoomFactor)
    {
        movePoint(canvas, false, p, pageColor, zoomFactor);
    }

    void dumpFields(JsonWriter& out) const override;

    // Escapement of text along (x1, y1) -> (x2, y2) in tenths of a degree, counter-clockwise,
    // y growing downwards: 3600 left to right, 1800 right to left, 2700 down, 900 up or none.
    static int Escapement(int x1, int y1, int x2, int y2);

    int32_t X1, Y1, X2, Y2;
    std::unique_ptr<TDChaine> holder;

private:
    void movePoint(Canvas& canvas, bool first, IPoint p, Color pageColor, double zoomFactor);
};

}  // namespace vr
