// Fuzz target for the GIF decoder.
#include <cstddef>
#include <cstdint>

#include "gfx/codecs/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        (void)vr::decodeGif(data, size);
    } catch (const vr::GraphicError&) {
    }
    return 0;
}
