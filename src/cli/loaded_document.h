// A document loaded the way the window's start-up open loads it, for command-line runs.
#pragma once
#include <optional>
#include <string>

#include "gfx/font_catalogue.h"
#include "viewer/viewer.h"

namespace vr {

struct LoadedDocument {
    FontCatalogue fonts;
    Viewer viewer;
    std::optional<std::string> error;  // why reading stopped, when it did
};

// Loads `file` as the command-line document: fonts beside the program and in the document's
// folder, no dialog. A reading error is kept in doc.error with the pages read before it.
void loadForCommandLine(LoadedDocument& doc, const std::string& file);

} // namespace vr
