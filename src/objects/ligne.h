// TLigne: a straight line between two points with a pen and optional arrowheads. The page
// surface draws its lines on its own canvas; printing draws on the printer's sheet.
#pragma once
#include <cstdint>

#include "page/page_object.h"

namespace vr {

class DocStream;

enum class ArrowKind : uint8_t { None = 0, Both = 1, First = 2, Second = 3 };

class TLigne : public PageObject {
public:
    static constexpr size_t kRecordSize = 38;

    TLigne(int x1, int y1, int x2, int y2, Color color, uint8_t penWidth, uint8_t penStyle, uint8_t arrowKind);

    const char* className() const override { return "TLigne"; }
    bool drawnByPage() const override { return true; }

    // Reads the 38-byte record; a short read leaves zeros, so the first missing field fails to convert.
    void ReadRecord(DocStream& s);

    // Screen: not-xor pen; points drawn at round(X x zoom factor), pen width and arrows unzoomed.
    void Draw(Canvas& canvas, double zoomFactor);
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override { Draw(canvas, ctx.zoomFactor); }

    // Printer: points scaled by (sx, sy) from the stored points.
    void Print(Canvas& printerCanvas, double sx, double sy);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return 1; }

    void SetFirstPoint(int x, int y)
    {
        X1 = x;
        Y1 = y;
    }
    void SetSecondPoint(int x, int y)
    {
        X2 = x;
        Y2 = y;
    }

    void dumpFields(JsonWriter& out) const override;

    int32_t X1, Y1, X2, Y2;
    Color color;
    uint8_t penWidth;
    uint8_t penStyle;
    uint8_t arrowKind;
};

// The direction of the vector (dx, dy) in device coordinates (y downwards), in [0, 2 pi): the
// principal arctangent of dy / dx put in its quadrant. dx must not be 0.
double segmentDirection(double dx, double dy);

// One arrowhead with tip (tx, ty) and base (bx, by): two barbs of length len from the tip, leaning
// (20 + 2w) degrees off the reversed segment; w is the stored pen width. Draws with the canvas pen.
void drawArrowhead(Canvas& canvas, int tx, int ty, int bx, int by, int w, double lenX, double lenY);

}  // namespace vr
