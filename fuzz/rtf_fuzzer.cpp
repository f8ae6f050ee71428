#include "entries/entries.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vr::fuzz::initGui(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vr::fuzz::rtf(data, size);
    return 0;
}
