#include "entries/entries.h"
#include "gfx/codecs/codecs.h"

namespace vr::fuzz {

namespace {

template <typename F> void quietly(F&& decode)
{
    try {
        (void)decode();
    } catch (const GraphicError&) {
    }
}

}  // namespace

void bmp(const uint8_t* data, size_t size)
{
    quietly([&] { return decodeBmp(data, size); });
    quietly([&] { return decodeDib(data, size); });
}

void ico(const uint8_t* data, size_t size)
{
    quietly([&] { return decodeIco(data, size); });
}

void gif(const uint8_t* data, size_t size)
{
    quietly([&] { return decodeGif(data, size); });
}

void jpeg(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const auto out = (data[size - 1] & 1) ? JpegOutput::Quantised236 : JpegOutput::Rgb24;
    quietly([&] { return decodeJpeg(data, size - 1, out); });
}

}  // namespace vr::fuzz
