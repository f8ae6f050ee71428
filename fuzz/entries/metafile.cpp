// Metafile player: the first byte picks WMF or EMF, the rest is the file, played onto a small
// raster canvas and a recording canvas with a diagnostics sink (damaged records are reported and
// skipped). Every record kind is reached: WMF and EMF drawing, text in every charset, regions,
// blits, EMF+ records in EMF comments and EMFs in WMF comments. metafile_fuzzer.dict holds the
// record types and signatures.
#include <vector>

#include <QImage>

#include "core/diagnostics.h"
#include "entries/entries.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/canvas/recording_canvas.h"
#include "gfx/metafile/metafile.h"

namespace vr::fuzz {

void metafile(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const auto kind = (data[0] & 1) ? Metafile::Kind::Emf : Metafile::Kind::Wmf;
    auto m = Metafile::parse(kind, std::vector<uint8_t>(data + 1, data + size));
    if (!m)
        return;
    Diagnostics diagnostics;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    RasterCanvas canvas(image);
    m->play(canvas, IRect{4, 4, 60, 44}, &diagnostics);
    // A second size and the recording canvas: rounding and trace lines of other mappings.
    RecordingCanvas recording(200, 100);
    m->play(recording, IRect{-20, 10, 180, 90}, &diagnostics);
}

}  // namespace vr::fuzz
