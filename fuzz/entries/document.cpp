#include "core/doc_stream.h"
#include "core/errors.h"
#include "entries/entries.h"
#include "gfx/print/printer.h"
#include "viewer/dump.h"
#include "viewer/print_driver.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

namespace vr::fuzz {

void document(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    DocStream stream = DocStream::fromMemory(data + 1, size - 1);
    Viewer viewer;
    try {
        viewer.LoadFromStream(stream, (data[0] & 1) == 0);
    } catch (const VError&) {
    }
    (void)dumpDocument(viewer, std::nullopt);
    if (viewer.pages().empty())
        return;
    // A small corner of the first page runs every object's drawing on what was read.
    (void)renderPageArea(*viewer.pages().front(), 1.0, IRect{0, 0, 64, 64}, 96, {}, &viewer.diagnostics);
    // And printing it on a small sheet at a low resolution runs the objects' printing on the same
    // data, at scale factors other than 1.
    MemoryPrinter printer(24, 60.0, 60.0);
    printer.beginDoc();
    try {
        PrintPageObjects(*viewer.pages().front(), printer, PrintScaleFor(printer, 96));
    } catch (const VError&) {
    }
    printer.endDoc();
}

}  // namespace vr::fuzz
