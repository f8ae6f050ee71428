// One document of a conversion run: loaded as the command line loads it and written as PDF (the
// Print command's sheets) or PNG pages (what the window shows), every file under a temporary name
// first and put in place only when the whole document is written.
#pragma once
#include "cli/convert_jobs.h"

namespace vr {

// Converts the job's document; needs a QGuiApplication. Temporary files of this document's outputs
// that an interrupted run left behind are removed first (only one process converts a document). A book gives one PDF per chapter (or its
// chapters' PNG pages). A reading error keeps the pages read before it: they are written, and the
// error is reported with status "failed". Never throws for a document's faults.
ConvertRecord convertDocument(const ConvertJob& job, const ConvertOptions& options);

}  // namespace vr
