// Fuzz target for the icon decoder (DIB and PNG entries).
#include <cstddef>
#include <cstdint>

#include "gfx/codecs/codecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        (void)vr::decodeIco(data, size);
    } catch (const vr::GraphicError&) {
    }
    return 0;
}
