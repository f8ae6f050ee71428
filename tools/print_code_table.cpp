// Prints the sample faces' code table, one "CODE UNICODE" line each in hexadecimal, for the font
// builder (tools/make_sample_fonts.py).
#include <cstdio>

#include "persian_codes.h"

int main()
{
    for (const auto& [code, unicode] : samples::persianCodeTable())
        std::printf("%02X %04X\n", code, static_cast<unsigned>(unicode));
    return 0;
}
