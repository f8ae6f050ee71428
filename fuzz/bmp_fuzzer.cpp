// Fuzz target for the BMP and DIB decoders: the same bytes as a BMP file and as a bare DIB.
#include <cstddef>
#include <cstdint>

#include "gfx/codecs/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        (void)vr::decodeBmp(data, size);
    } catch (const vr::GraphicError&) {
    }
    try {
        (void)vr::decodeDib(data, size);
    } catch (const vr::GraphicError&) {
    }
    return 0;
}
