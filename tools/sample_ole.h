// The tour's page of embedded objects and a drawn table, written from code.
#pragma once
#include <string>

#include "support/doc_writer.h"

namespace samples {

// Page 8 of the tour (tagged `pageTag`): an object cached as a metafile picture with a border, an
// object cached as a bitmap, and a drawn table of 2 rows by 3 columns of text-frame cells.
void oleAndTables(vrtest::VpgWriter& w, const std::string& pageTag = "P8");

}  // namespace samples
