// Rich-text frames (TDRichEdit) and the rich-text cells of rich-edit tables (TREdit): rich-edit
// controls that show their content white and disabled, and print it into a rectangle in twips.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/color.h"
#include "page/object_records.h"
#include "page/page_object.h"
#include "richtext/rich_text.h"

namespace vr {

class DocStream;

// Where an object whose record was read whole tells that its content could not be used; the
// loading goes on after it.
using ContentReport = std::function<void(const std::string& message)>;

// Loads content into a control; content that cannot be loaded leaves the control empty, is kept
// as the control's error and is reported.
void LoadContent(RichText& content, const std::vector<uint8_t>& bytes, std::optional<std::string>& error,
                 const ContentReport& report);

class TDRichEdit : public PageObject, public BorderRecord {
public:
    const char* className() const override { return "TDRichEdit"; }
    bool windowed() const override { return true; }

    // The record after the object tag: bounds, border record, content size, content.
    void ReadRecord(DocStream& s, const ContentReport& report = {});

    // White, then the text in the client area at the zoom.
    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // The border, just outside the frame, with a not-xor pen on the page's canvas.
    void paintAroundOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // The text into the frame's twips rectangle (from 1.3 times its top), continued on new
    // sheets while text remains, then the border on the frame's edges.
    void printOnSheet(PrinterDevice& printer, double sx, double sy) override;
    int printPass() const override { return 3; }
    void dumpFields(JsonWriter& out) const override;

    int32_t ContentSize = 0;
    RichText content;
    std::optional<std::string> contentError;
    // The width the text is laid out for: the frame's width at actual size.
    int layoutWidth = 0;
};

class TREdit : public PageObject {
public:
    const char* className() const override { return "TREdit"; }
    bool windowed() const override { return true; }

    // The cell record: bounds relative to the table as stored (20 bytes), then, with content,
    // the content size and the content. The cell is placed 10 pixels up and left of the stored
    // position, since its table moved 10 pixels down and right.
    void ReadRecord(DocStream& s, bool withContent, const ContentReport& report = {});

    void paintOnPage(Canvas& canvas, const PaintContext& ctx) override;
    // Cells print through their table, at the table's position plus their own.
    void printOnSheet(PrinterDevice&, double, double) override { }
    void Print(PrinterDevice& printer, int offsetX, int offsetY, double sx, double sy);
    void dumpFields(JsonWriter& out) const override;

    int32_t ContentSize = 0;
    RichText content;
    std::optional<std::string> contentError;
    int layoutWidth = 0;
    bool enabled = true;
};

}  // namespace vr
