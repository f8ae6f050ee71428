// Rich-edit tables (TTabeauRE): a raised panel in the button-face colour whose cells are
// rich-text cells (TREdit), each placed by the position it carries.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "page/page_object.h"
#include "richtext/rich_edit.h"

namespace vr {

class TTabeauRE : public PageObject {
public:
    const char* className() const override { return "TTabeauRE"; }
    bool windowed() const override { return true; }

    // After the loader has read the bounds: moves the table 10 pixels down and right (and
    // shrinks it by as much), reads the column and row counts and rows x columns cell records,
    // row by row. A count that is not an integer throws; the cells read until then stay.
    void ReadRecord(DocStream& s, bool withContent, const ContentReport& report = {});

    // The panel (raised outer bevel, button face), then each cell over it.
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Every cell at the table's position plus its own; the panel itself is not printed.
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return 3; }
    void dumpFields(JsonWriter& out) const override;
    // The table and its cells scale together, the cells in the table's coordinates.
    void changeScale(int m, int d) override;

    uint8_t columns = 0;
    uint8_t rows = 0;
    std::vector<std::unique_ptr<TREdit>> cells;
};

}  // namespace vr
