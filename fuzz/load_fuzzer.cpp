// Fuzz target for the document loader: the first byte chooses a page-layout or a text document,
// the rest is the file. Any input must end in the reader's error or a loaded document.
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/print/printer.h"
#include "viewer/dump.h"
#include "viewer/print_driver.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    vr::DocStream stream = vr::DocStream::fromMemory(data + 1, size - 1);
    vr::Viewer viewer;
    try {
        viewer.LoadFromStream(stream, (data[0] & 1) == 0);
    } catch (const vr::VError&) {
    }
    (void)vr::dumpDocument(viewer, std::nullopt);
    // Paint a small corner of the first page to run every object's drawing on what was read.
    if (!viewer.pages().empty())
        (void)vr::renderPageArea(*viewer.pages().front(), 1.0, vr::IRect{0, 0, 64, 64});
    // And print it on a small sheet at a low resolution: the objects' printing runs on the same
    // data, at scale factors other than 1.
    if (!viewer.pages().empty()) {
        vr::MemoryPrinter printer(24, 60.0, 60.0);
        printer.beginDoc();
        try {
            vr::PrintPageObjects(*viewer.pages().front(), printer, vr::PrintScaleFor(printer, 96));
        } catch (const vr::VError&) {
        }
        printer.endDoc();
    }
    return 0;
}
