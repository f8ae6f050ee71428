// TDOleContainer: an embedded object on the page. It shows the picture cached with the object (the
// object is never run), stretched into its area, inside the container's flat one-pixel frame, with
// the document's border lines over it; on paper the border lines and the object's content picture.
// The object is disabled: it takes no focus and is never activated.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ole/embedded_object.h"
#include "page/object_records.h"
#include "page/page_object.h"

namespace vr {

class DocStream;

class TDOleContainer : public PageObject, public BorderRecord {
public:
    const char* className() const override { return "TDOleContainer"; }
    bool windowed() const override { return true; }

    // The record after the object tag: the bounds, the border record, the content size Z (a
    // counted string of 6) and, when Z > 0, the Z bytes of the saved object, read exactly. A
    // field that is no integer or a stream that ends inside the content throws (the record
    // cannot be got past). The content is kept for LoadContent.
    void ReadRecord(DocStream& s);
    // Loads the object from the content read: "Format de flux incorrect" for another signature,
    // "Erreur de lecture du flux" when the content ends before its storage, "Erreur OLE %.8x" when
    // the storage cannot be opened or holds no object. On failure the container stays empty (its
    // message is kept for the dump) and the error is thrown; the record has been read whole, so
    // the caller can go on with the next object. Nothing of the content is kept afterwards.
    void LoadContent();
    // The same from a saved stream given directly.
    void LoadFromStream(const std::vector<uint8_t>& bytes);

    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Border lines, then the content picture stretched into the scaled bounds.
    void Print(PrinterDevice& printer, double sx, double sy);
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override { Print(printer, sx, sy); }
    int printPass() const override { return 3; }  // no record field gives it the upper layer
    void dumpFields(JsonWriter& out) const override;

    int32_t ContentSize = 0;  // Z as stored
    // From the saved stream.
    uint32_t Signature = 0;
    uint32_t DrawAspect = 0;
    uint32_t StorageSize = 0;
    // The loaded object; empty when nothing was loaded.
    std::optional<ole::EmbeddedObject> object;
    std::string LoadError;  // the message of a failed load
    Color color = kWhite;  // the container's own colour, not its page's

private:
    std::vector<uint8_t> content_;
};

}  // namespace vr
