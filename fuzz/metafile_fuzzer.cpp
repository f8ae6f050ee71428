// Metafile player: the first byte picks WMF or EMF, the rest is the file, played onto a small
// raster canvas.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <QGuiApplication>
#include <QImage>

#include "gfx/canvas/raster_canvas.h"
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
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    vr::RasterCanvas canvas(image);
    m->play(canvas, vr::IRect{4, 4, 60, 44});
    return 0;
}
