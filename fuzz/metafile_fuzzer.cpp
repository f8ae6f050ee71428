// Metafile player: the first byte picks WMF or EMF, the rest is the file, played onto a small
// raster canvas and a recording canvas with a diagnostics sink (damaged records are reported and
// skipped). Every record kind is reached: WMF and EMF drawing, text in every charset, regions,
// blits, EMF+ records in EMF comments and EMFs in WMF comments. metafile_fuzzer.dict holds the
// record types and signatures.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "core/diagnostics.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/metafile/metafile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const auto kind = (data[0] & 1) ? vr::Metafile::Kind::Emf : vr::Metafile::Kind::Wmf;
    auto m = vr::Metafile::parse(kind, std::vector<uint8_t>(data + 1, data + size));
    if (!m)
        return 0;
    vr::Diagnostics diagnostics;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    vr::RasterCanvas canvas(image);
    m->play(canvas, vr::IRect{4, 4, 60, 44}, &diagnostics);
    // A second size and the recording canvas: rounding and trace lines of other mappings.
    vr::RecordingCanvas recording(200, 100);
    m->play(recording, vr::IRect{-20, 10, 180, 90}, &diagnostics);
    return 0;
}
