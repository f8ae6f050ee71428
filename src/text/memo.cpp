#include "text/memo.h"

#include "core/errors.h"

namespace vr {

TDMemo::TDMemo() = default;

void TDMemo::paint(Canvas&, const PaintContext&)
{
    // Text lines and runs arrive with the text-frame reader; an empty frame shows the page under it.
}

void TDMemo::print(PrinterDevice&, double, double) {}

void TDMemo::ReadTextPage(DocStream&, const std::string&)
{
    throw VError("Text pages cannot be read yet");
}

void TDMemo::dumpFields(JsonWriter& out) const
{
    out.field("Left", static_cast<int32_t>(left));
    out.field("Top", static_cast<int32_t>(top));
    out.field("Width", static_cast<int32_t>(width));
    out.field("Height", static_cast<int32_t>(height));
    out.field("LeftMargin", LeftMargin);
    out.field("RightMargin", RightMargin);
    out.field("Transparent", static_cast<int32_t>(Transparent));
}

} // namespace vr
