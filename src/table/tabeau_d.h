// TTabeauD: a drawn table, a panel whose cells are text frames placed by their own stored
// positions; the table does no grid geometry of its own.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "page/page_object.h"
#include "text/memo.h"

namespace vr {

class DocStream;

class TTabeauD : public PageObject {
public:
    const char* className() const override { return "TTabeauD"; }
    bool windowed() const override { return true; }

    // The record after the bounds the loader reads: the column and row counts (counted strings
    // of 3, low 8 bits kept), then rows x columns text-frame records, row by row. The table moves
    // in by 10 pixels at its top-left corner and each cell moves back by 10, so that cells stay
    // where the document put them. A row count below 1 reads no cell. After each row the table
    // refreshes. A failing cell's error passes through; the cells read until then stay.
    void ReadRecord(DocStream& s, bool withContent, const FrameReadContext& ctx);

    // The panel (button-face colour, one-pixel raised outer bevel), then every cell over it in
    // list order, each in its own coordinates and clipped to its bounds.
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Each cell through the text frame's print operation, offset by the table's Left and Top;
    // the panel itself is not printed.
    void Print(PrinterDevice& printer, double sx, double sy);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override { Print(printer, sx, sy); }
    int printPass() const override { return 3; }  // no record field gives it the upper layer
    void dumpFields(JsonWriter& out) const override;
    // The table and, inside it, its cells scale with the page.
    void changeScale(int m, int d) override;

    uint8_t Columns = 0;
    uint8_t Rows = 0;
    // The cells in reading order: the first row's, then the second's, and so on.
    std::vector<std::unique_ptr<TDMemo>> Cells;
    // How many times the table refreshed while it was read (once after each row).
    int refreshes = 0;
};

}  // namespace vr
