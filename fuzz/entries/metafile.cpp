#include <vector>

#include <QImage>

#include "entries/entries.h"
#include "gfx/canvas/raster_canvas.h"
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
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    RasterCanvas canvas(image);
    m->play(canvas, IRect{4, 4, 60, 44});
}

}  // namespace vr::fuzz
