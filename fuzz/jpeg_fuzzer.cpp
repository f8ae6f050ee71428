// Fuzz target for the JPEG decoder: the last byte chooses the screen or the printing output.
#include <cstddef>
#include <cstdint>

#include "gfx/codecs/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const auto out = (data[size - 1] & 1) ? vr::JpegOutput::Quantised236 : vr::JpegOutput::Rgb24;
    try {
        (void)vr::decodeJpeg(data, size - 1, out);
    } catch (const vr::GraphicError&) {
    }
    return 0;
}
