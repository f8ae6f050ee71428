// TDShape: a rectangle, rounded rectangle, rounded square or ellipse drawn with its own pen and
// brush inside its bounds on the page.
#pragma once
#include <cstdint>

#include <QImage>

#include "page/page_object.h"

namespace vr {

class DocStream;

enum class TDShapeType : uint8_t { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };

class TDShape : public PageObject {
public:
    static constexpr size_t kRecordSize = 57;

    TDShape();

    const char* className() const override { return "TDShape"; }

    // Reads the 57-byte record and, when the brush picture size is 1 or more, its bytes.
    void ReadRecord(DocStream& s, bool withImage, Diagnostics* diagnostics = nullptr);

    // Screen: the figure inside the bounds, with the shape's own pen and brush.
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Printer: the figure scaled by (sx, sy); the printer pen width is added on the x axis only.
    void Print(Canvas& printerCanvas, double sx, double sy);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return InFront == 1 ? 2 : 1; }

    void dumpFields(JsonWriter& out) const override;

    TDShapeType Shape = TDShapeType::stRectangle;
    Pen pen;  // solid, copy, black, width 1
    Brush brush;
    uint8_t InFront = 0;
    int32_t BrushImageSize = 0;
    // The brush picture: decoded bytes of a brush picture record, used as the brush pattern.
    QImage ImageBrush;

private:
    // The figure's box in the shape's coordinates and the corner size, by the screen rule.
    void drawFigure(Canvas& c, int x, int y, int w, int h) const;
};

}  // namespace vr
