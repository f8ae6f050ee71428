// TDMemo: a text frame. For now it owns its bounds and margins; its records, lines and runs are
// read and painted by the text-frame code as it grows.
#pragma once
#include <cstdint>
#include <string>

#include "page/page_object.h"

namespace vr {

class DocStream;

class TDMemo : public PageObject {
public:
    TDMemo();

    const char* className() const override { return "TDMemo"; }
    bool windowed() const override { return true; }

    void paint(Canvas& canvas, const PaintContext& ctx) override;
    void print(PrinterDevice& printer, double sx, double sy) override;
    void dumpFields(JsonWriter& out) const override;

    // Reads one page of a text document; the stream is left at the next page.
    void ReadTextPage(DocStream& s, const std::string& signature);

    int32_t LeftMargin = 10;
    int32_t RightMargin = 10;
    uint8_t Transparent = 0;
};

} // namespace vr
