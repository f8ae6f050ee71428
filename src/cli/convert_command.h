// The convert command: every document under the sources to PDF or PNG, in parallel worker
// processes, with a JSON-lines report on standard output and a progress bar on a terminal.
//
// Workers are processes of this program ("convert --worker"), each taking documents one at a
// time over a pipe: a document that crashes or hangs its reader takes down one worker, reported
// as that document's failure, and the run goes on with a new worker; a worker is also replaced
// after a number of documents so that what a process keeps between documents (application fonts,
// caches) cannot grow over a long run.
#pragma once
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/convert_jobs.h"

namespace vr {

// Parses the arguments after "convert"; a usage error yields nullopt and a message.
std::optional<ConvertOptions> parseConvertOptions(const std::vector<std::string>& args, std::string& usageError);

// The run: the report's lines on `out`, problems with the command itself on `err`. The exit
// status is 0 only when every document was converted or was up to date. Needs no
// QGuiApplication (the workers have their own).
int runConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err);

// A worker: reads "INPUT<TAB>OUTBASE" lines from `in` and answers each with its report line on
// `out`, until the end of `in`. Needs a QGuiApplication.
int runConvertWorker(const ConvertOptions& options, std::istream& in, std::ostream& out);

std::string convertUsageText();

}  // namespace vr
