#include "entries/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vr::fuzz::jpeg(data, size);
    return 0;
}
