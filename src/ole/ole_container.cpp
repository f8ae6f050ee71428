#include "ole/ole_container.h"

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "drawing/print_bitmap.h"
#include "gfx/print/printer.h"
#include "ole/container_stream.h"

namespace vr {
namespace {

constexpr size_t kContentSizeField = 7;
constexpr Color kWindowFrame = 0x000000;  // the flat single border of the control

void line(Canvas& c, int x0, int y0, int x1, int y1)
{
    c.moveTo(x0, y0);
    c.lineTo(x1, y1);
}

void dumpPresentation(JsonWriter& out, const char* key, const std::optional<ole::Presentation>& p)
{
    out.key(key);
    if (!p) {
        out.null();
        return;
    }
    out.beginObject();
    out.field("Stream", p->source);
    out.field("Format", ole::formatName(p->format));
    out.field("Aspect", p->aspect);
    out.field("MapMode", static_cast<int32_t>(p->mapMode));
    out.field("ExtentX", p->extentX);
    out.field("ExtentY", p->extentY);
    out.field("DataSize", static_cast<int64_t>(p->dataSize));
    out.field("Width", static_cast<int32_t>(p->picture.width()));
    out.field("Height", static_cast<int32_t>(p->picture.height()));
    out.endObject();
}

}  // namespace

void TDOleContainer::ReadRecord(DocStream& s)
{
    ReadBoundsRecord(s, *this);
    ReadBorderRecord(s);
    uint8_t size[kContentSizeField];
    s.readFixed(size, sizeof size);
    ContentSize = numericField(size, 6);
    content_.clear();
    if (ContentSize > 0)
        content_ = s.readExact(static_cast<size_t>(ContentSize));
}

void TDOleContainer::LoadContent()
{
    std::vector<uint8_t> bytes = std::move(content_);
    content_.clear();
    if (bytes.empty())
        return;  // no content: the container stays empty
    LoadFromStream(bytes);
}

void TDOleContainer::LoadFromStream(const std::vector<uint8_t>& bytes)
{
    object.reset();
    LoadError.clear();
    Signature = DrawAspect = StorageSize = 0;
    try {
        const ole::ContainerStream c = ole::parseContainerStream(bytes.data(), bytes.size());
        Signature = c.signature;
        DrawAspect = c.drawAspect;
        StorageSize = c.storageSize;
        object = ole::loadEmbeddedObject(c.storage, c.storageSize, c.drawAspect);
    } catch (const VError& e) {
        // The header fields that are there, for the dump.
        auto le32 = [&bytes](size_t at) {
            return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
                (static_cast<uint32_t>(bytes[at + 2]) << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
        };
        Signature = bytes.size() >= 4 ? le32(0) : 0;
        DrawAspect = bytes.size() >= 8 ? le32(4) : 0;
        StorageSize = bytes.size() >= 12 ? le32(8) : 0;
        object.reset();
        LoadError = e.what();
        throw;
    }
}

void TDOleContainer::paintOnPage(Canvas& canvas, const PaintContext&)
{
    const int W = width, H = height;
    canvas.resetDrawingState();
    canvas.fillRect(IRect{0, 0, W, 1}, kWindowFrame);
    canvas.fillRect(IRect{0, H - 1, W, H}, kWindowFrame);
    canvas.fillRect(IRect{0, 0, 1, H}, kWindowFrame);
    canvas.fillRect(IRect{W - 1, 0, W, H}, kWindowFrame);
    const IRect client{1, 1, W - 1, H - 1};
    if (client.empty())
        return;
    canvas.fillRect(client, resolveColor(color));
    CanvasSaver saver(canvas);
    canvas.translate(1, 1);
    const int cw = client.width(), ch = client.height();
    canvas.clipTo(IRect{0, 0, cw, ch});
    if (object && object->screen) {
        CanvasSaver pictureSaver(canvas);
        object->screen->draw(canvas, IRect{0, 0, cw, ch});
    }
    if (!anySide())
        return;
    // The border lines in client coordinates, with the object's whole width and height: the left
    // and top ones half a pen in, the right and bottom ones three half pens in, as the documents
    // show them.
    canvas.pen = Pen{resolveColor(BorderColor), BorderWidth, PenStyle::Solid, PenMode::Copy};
    const int h = roundHalfEven(BorderWidth / 2.0);
    if (BorderLeft)
        line(canvas, h, 0, h, H);
    if (BorderBottom)
        line(canvas, 0, H - 3 * h, W, H - 3 * h);
    if (BorderRight)
        line(canvas, W - 3 * h, 0, W - 3 * h, H);
    if (BorderTop)
        line(canvas, 0, h, W, h);
}

void TDOleContainer::Print(PrinterDevice& printer, double sx, double sy)
{
    Canvas& c = printer.canvas();
    const int x1 = roundHalfEven(left * sx), y1 = roundHalfEven(top * sy);
    const int x2 = roundHalfEven((left + width) * sx), y2 = roundHalfEven((top + height) * sy);
    printBorder(c, x1, y1, x2, y2, sx);
    // An empty container draws nothing more.
    if (!object || !object->print)
        return;
    const ole::Presentation& p = *object->print;
    if (p.format == ole::Presentation::Format::Dib)
        PrintBitmap(printer, p.picture.image(), x1, y1, x2 - x1, y2 - y1, rop::SrcCopy);
    else
        p.draw(c, IRect{x1, y1, x2, y2});
}

void TDOleContainer::dumpFields(JsonWriter& out) const
{
    dumpBounds(out);
    dumpBorder(out);
    out.field("ContentSize", ContentSize);
    std::string signature;
    for (int i = 0; i < 4; ++i)
        signature += static_cast<char>((Signature >> (8 * i)) & 0xFF);
    out.field("Signature", ContentSize > 0 ? latin1ToUtf8(signature) : std::string());
    out.field("DrawAspect", DrawAspect);
    out.field("StorageSize", StorageSize);
    if (object) {
        out.field("ClassId", ole::classIdText(object->classId));
        out.key("Streams");
        out.beginArray();
        for (const ole::StorageName& n : object->names) {
            out.beginObject();
            out.field("Name", n.path);
            if (n.isStorage)
                out.field("Storage", true);
            else
                out.field("Size", static_cast<int64_t>(n.size));
            out.endObject();
        }
        out.endArray();
        dumpPresentation(out, "Presentation", object->screen);
        if (DrawAspect != ole::kAspectContent)
            dumpPresentation(out, "PrintPresentation", object->print);
    } else {
        out.key("ClassId");
        out.null();
        out.key("Streams");
        out.null();
        out.key("Presentation");
        out.null();
    }
    out.key("Error");
    if (LoadError.empty())
        out.null();
    else
        out.value(LoadError);
}

}  // namespace vr
