// The documents a conversion run works on and what it writes for each: the walk of the sources,
// the output names, the share of one job of a split run (--slice), the resume check and the report
// line. Nothing here loads a document.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vr {

enum class ConvertFormat { Pdf, Png };

struct ConvertOptions {
    int jobs = 0;  // 0: one per core
    ConvertFormat format = ConvertFormat::Pdf;
    int zoom = 100;  // PNG pages, percent
    int dpi = 300;  // PDF sheets
    bool force = false;  // convert also documents whose output is up to date
    int timeoutSeconds = 600;  // a document taking longer fails (0: no limit)
    std::vector<std::string> sources;  // files and folders from the command line
    std::string listFile;  // --list: one source a line
    int sliceIndex = 1, sliceCount = 1;  // --slice K/N
    std::string outDir;
    bool worker = false;  // a worker process of a run: jobs on standard input
};

// One document to convert: `input` as found, `outBase` the output name without extension and
// page or chapter number (OUTDIR/relative/NAME).
struct ConvertJob {
    std::string input;
    std::string outBase;
};

// Whether the name ends in .VPG, .VTX or .BOK, in any case.
bool isConvertibleName(const std::string& name);

// The documents under the sources in a fixed order: each folder walked (links to folders are not
// followed), its documents named in OUTDIR by their path below it; a file named directly goes to
// OUTDIR under its own name. Sources read from a list file (fromList) keep their whole path below
// OUTDIR (a leading "/" and ".." parts dropped), so that files of the same name in different
// folders stay apart when many jobs share one list. A source that does not exist, or a folder
// that cannot be read, is reported in `problems` (one message each).
std::vector<ConvertJob> collectJobs(const std::vector<std::string>& sources, bool fromList, const std::string& outDir,
                                    std::vector<std::string>& problems);

// Job K of N (from 1) takes the documents at positions K-1, K-1+N, K-1+2N, ...: the shares differ
// by one document at most, and large folders are spread over every job.
std::vector<ConvertJob> sliceOf(const std::vector<ConvertJob>& all, int k, int n);

// Parses "K/N" (1 <= K <= N); false when it is not that.
bool parseSlice(const std::string& text, int& k, int& n);

// The file whose presence says the document was converted: the only PDF, or the first of its
// files (a book's first chapter, a document's first PNG page), which is put in place last.
std::string primaryOutput(const ConvertJob& job, ConvertFormat format, bool book);

// A PDF of chapter `chapter` (from 1; 0 for a document that is not a book), or a PNG page (with
// the chapter of a book when chapter > 0).
std::string pdfOutputName(const std::string& outBase, int chapter);
std::string pngOutputName(const std::string& outBase, int chapter, int page);

// The output is there and was modified after the input.
bool upToDate(const std::string& input, const std::string& output);

// One line of the report, without the line break.
struct ConvertRecord {
    std::string input, output;
    std::string status;  // "converted", "skipped" (up to date) or "failed"
    int pages = 0;
    int files = 0;
    double seconds = 0;
    std::vector<std::string> warnings;
    std::optional<std::string> error;
};
std::string reportLine(const ConvertRecord& r);

// A JSON string: quotes and control characters escaped; bytes that are not UTF-8 (old file names)
// taken as Latin-1.
std::string jsonQuoted(const std::string& s);

}  // namespace vr
