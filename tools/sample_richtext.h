// The samples' page of rich text: a rich-text frame with a right-to-left Persian paragraph and a
// Latin one, a small table and a picture; a frame whose text is longer than its box; a rich-edit
// table of 2 x 3 cells.
#pragma once
#include "support/doc_writer.h"

namespace samples {

// `houseWmf`: a placeable Windows metafile, shown in the rich text as its picture.
void richTextPage(vrtest::VpgWriter& w, const std::vector<uint8_t>& houseWmf);

}  // namespace samples
