#include "viewer/dump.h"

#include "core/errors.h"
#include "core/json_writer.h"
#include "viewer/viewer.h"

namespace vr {

std::string dumpDocument(const Viewer& viewer, const std::optional<std::string>& error)
{
    const DocumentState& st = viewer.state;
    JsonWriter out;
    out.beginObject();
    out.field("file", st.DocFileName);

    out.key("state");
    out.beginObject();
    out.field("PageCount", st.PageCount);
    out.field("CurrentPageNo", st.CurrentPageNo);
    out.field("DocVersion", latin1ToUtf8(st.DocVersion));
    out.field("DocSubVersion", latin1ToUtf8(st.DocSubVersion));
    out.field("Orientation", static_cast<int32_t>(st.Orientation));
    out.key("PageSetup");
    out.beginObject();
    out.field("SizeCodeA", st.PageSetup.SizeCodeA);
    out.field("SizeCodeB", st.PageSetup.SizeCodeB);
    out.field("PageWidthMM", st.PageSetup.PageWidthMM);
    out.field("PageHeightMM", st.PageSetup.PageHeightMM);
    out.endObject();
    out.field("ZoomPercent", static_cast<int32_t>(st.ZoomPercent));
    out.endObject();

    out.key("pages");
    out.beginArray();
    for (const auto& page : viewer.pages()) {
        out.beginObject();
        out.field("number", page->pageNumber);
        out.field("left", static_cast<int32_t>(page->left));
        out.field("top", static_cast<int32_t>(page->top));
        out.field("width", static_cast<int32_t>(page->width));
        out.field("height", static_cast<int32_t>(page->height));
        out.field("visible", page->visible);
        out.key("attributes");
        out.bytes(std::string(page->attributes.begin(), page->attributes.end()));
        out.key("objects");
        out.beginArray();
        for (const auto& obj : page->objects()) {
            out.beginObject();
            out.field("kind", obj->className());
            obj->dumpFields(out);
            out.endObject();
        }
        out.endArray();
        out.endObject();
    }
    out.endArray();

    // Damage the reader recovered from: what, and where (page position from 1, object index on
    // the page from 0, byte offset in the file), each left out when not known.
    out.key("warnings");
    out.beginArray();
    for (const Diagnostic& d : viewer.diagnostics.list()) {
        out.beginObject();
        out.field("what", d.what);
        if (d.page > 0)
            out.field("page", static_cast<int32_t>(d.page));
        if (d.object >= 0)
            out.field("object", static_cast<int32_t>(d.object));
        if (d.offset >= 0)
            out.field("offset", static_cast<int64_t>(d.offset));
        out.endObject();
    }
    out.endArray();

    out.key("error");
    if (error)
        out.value(*error);
    else
        out.null();
    out.endObject();
    return out.str();
}

}  // namespace vr
