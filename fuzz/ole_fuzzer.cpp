// Embedded objects: the input is an OLE container's saved stream ("BDOC", aspect, size, compound
// file), loaded as the container loads it, and its screen and paper presentations drawn onto a
// small raster canvas. A bare compound file (the real-world corpus) is loaded as the storage of an
// object shown by its content; other input without the signature is taken as one presentation
// stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QImage>

#include "core/errors.h"
#include "gfx/canvas/raster_canvas.h"
#include "ole/container_stream.h"
#include "ole/embedded_object.h"
#include "ole/ole_error.h"
#include "ole/presentation.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

namespace {

void draw(const vr::ole::Presentation& p)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    vr::RasterCanvas canvas(image);
    p.draw(canvas, vr::IRect{4, 4, 60, 44});
}

void load(const uint8_t* storage, size_t size, uint32_t aspect)
{
    const vr::ole::EmbeddedObject obj = vr::ole::loadEmbeddedObject(storage, size, aspect);
    if (obj.screen)
        draw(*obj.screen);
    if (obj.print)
        draw(*obj.print);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t kCompoundSignature[4] = {0xD0, 0xCF, 0x11, 0xE0};
    try {
        if (size >= 4 && std::memcmp(data, kCompoundSignature, 4) == 0) {
            load(data, size, vr::ole::kAspectContent);
            return 0;
        }
        const vr::ole::ContainerStream c = vr::ole::parseContainerStream(data, size);
        load(c.storage, c.storageSize, c.drawAspect);
    } catch (const vr::ole::StreamFormatError&) {
        if (auto p = vr::ole::presentationFromStream("\x02OlePres000", data, size))
            draw(*p);
    } catch (const vr::VError&) {
    }
    return 0;
}
