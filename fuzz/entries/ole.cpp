#include <cstring>

#include <QImage>

#include "core/errors.h"
#include "entries/entries.h"
#include "gfx/canvas/raster_canvas.h"
#include "ole/container_stream.h"
#include "ole/embedded_object.h"
#include "ole/ole_error.h"
#include "ole/presentation.h"

namespace vr::fuzz {
namespace {

void draw(const ole::Presentation& p)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    RasterCanvas canvas(image);
    p.draw(canvas, IRect{4, 4, 60, 44});
}

void load(const uint8_t* storage, size_t size, uint32_t aspect)
{
    const ole::EmbeddedObject obj = ole::loadEmbeddedObject(storage, size, aspect);
    if (obj.screen)
        draw(*obj.screen);
    if (obj.print)
        draw(*obj.print);
}

}  // namespace

void ole(const uint8_t* data, size_t size)
{
    static const uint8_t kCompoundSignature[4] = {0xD0, 0xCF, 0x11, 0xE0};
    try {
        if (size >= 4 && std::memcmp(data, kCompoundSignature, 4) == 0) {
            load(data, size, ole::kAspectContent);
            return;
        }
        const ole::ContainerStream c = ole::parseContainerStream(data, size);
        load(c.storage, c.storageSize, c.drawAspect);
    } catch (const ole::StreamFormatError&) {
        if (auto p = ole::presentationFromStream("\x02OlePres000", data, size))
            draw(*p);
    } catch (const VError&) {
    }
}

}  // namespace vr::fuzz
