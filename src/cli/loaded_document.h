// A document loaded the way the window's start-up open loads it, for command-line runs.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>

#include "gfx/fonts/font_catalogue.h"
#include "viewer/viewer.h"

namespace vr {

struct LoadedDocument {
    FontCatalogue fonts;
    Viewer viewer;
    std::optional<std::string> error;  // why reading stopped, when it did
};

// Loads `file` as the command-line document: fonts beside the program and in the document's
// folder, no dialog. A reading error is kept in doc.error with the pages read before it. With
// `warnings`, each damage recovered from (now and when the pages are drawn) is written there.
void loadForCommandLine(LoadedDocument& doc, const std::string& file, std::ostream* warnings = nullptr);

// The pages a command works on: FIRST..LAST from the command line, 1 and the page count by
// default; `status` is what the run ends with so far (a reading error is reported but the pages
// read before it still count).
struct PageRangeCheck {
    int first = 0, last = 0;
    int status = 0;
    bool usable = false;  // false: the run ends now with `status`
};

// Loads `file` and checks the range, writing each problem to `err` with the reader's message.
PageRangeCheck loadWithRange(LoadedDocument& doc, const std::string& file, int first, int last, std::ostream& err,
                             std::ostream* warnings = nullptr);

}  // namespace vr
