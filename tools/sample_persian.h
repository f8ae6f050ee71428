// The Persian samples: a page layout and a text document written in the sample faces' 8-bit
// codes (tools/persian_codes.h), one run per word, each word carrying its own space.
#pragma once
#include <string>

namespace samples {

// samples/persian.VPG and samples/persian.VTX.
void writePersianSamples(const std::string& folder);

}  // namespace samples
