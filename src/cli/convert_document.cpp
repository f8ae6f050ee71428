#include "cli/convert_document.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/loaded_document.h"
#include "cli/output_file.h"
#include "core/errors.h"
#include "gfx/print/pdf_file.h"
#include "gfx/print/png_file.h"
#include "viewer/print_driver.h"
#include "viewer/render.h"

namespace vr {
namespace {

// Every page once, no dialog.
class WholeDocumentHost : public PrintHost {
public:
    explicit WholeDocumentHost(int pages) : pages_(pages) { }
    bool runPrintDialog(PrinterDevice&, PrintRange& range, int, int) override
    {
        range.from = 1;
        range.to = pages_;
        range.copies = 1;
        return true;
    }

private:
    int pages_;
};

// The files of one document, put in place together at the end: the first one last, so that its
// presence says the others are there.
class OutputSet {
public:
    const std::string& add(const std::string& finalPath)
    {
        files_.push_back(std::make_unique<OutputFile>(finalPath));
        return files_.back()->tempPath();
    }
    bool commit(std::string& failed)
    {
        for (size_t i = files_.size(); i-- > 0;)
            if (!files_[i]->commit()) {
                failed = files_[i]->finalPath();
                return false;
            }
        return true;
    }
    size_t size() const { return files_.size(); }

private:
    std::vector<std::unique_ptr<OutputFile>> files_;
};

// Writes the current chapter's (or the document's) pages; what kept a page out, else nullopt.
// Throws VError when a file cannot be written.
std::optional<std::string> writeChapter(Viewer& v, const ConvertJob& job, const ConvertOptions& options, int chapter,
                                        OutputSet& outputs, ConvertRecord& record)
{
    const int pages = v.state.PageCount;
    if (!v.state.CurrentPage || pages == 0)
        return chapter > 0 ? "Chapter " + std::to_string(chapter) + " has no pages" : "The document has no pages";
    if (options.format == ConvertFormat::Pdf) {
        const std::string& temp = outputs.add(pdfOutputName(job.outBase, chapter));
        PdfSheetPrinter device(options.dpi, 210.0, 297.0, temp);
        WholeDocumentHost host(pages);
        v.printDocument(device, host);  // throws VError when the file cannot be written
        record.pages += pages;
        return std::nullopt;
    }
    v.SetZoom(options.zoom);
    for (int n = 1; n <= pages; ++n) {
        v.goToPage(n);
        if (!v.state.PageFound)
            continue;
        const QImage image = renderPage(*v.state.CurrentPage, v.state.ZoomFactor, 96, {}, &v.diagnostics);
        if (image.isNull())
            return "Page " + std::to_string(n) + " is too large to render";
        const std::string name = pngOutputName(job.outBase, chapter, n);
        if (!writePngFile(image, outputs.add(name)))
            throw VError("Cannot write " + name);
        ++record.pages;
    }
    return std::nullopt;
}

bool allDigits(const std::string& s, size_t from, size_t to)
{
    if (from >= to)
        return false;
    for (size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

// Whether `name` is the temporary file of one of the document's outputs: "." + the stem, then
// ".pdf", "-N.pdf", "-N.png" or "-N-N.png", then ".PID.part".
bool isTemporaryOf(const std::string& name, const std::string& stem)
{
    if (name.size() < stem.size() + 11 || name[0] != '.' || name.compare(1, stem.size(), stem) != 0 ||
        !name.ends_with(".part"))
        return false;
    std::string rest = name.substr(stem.size() + 1, name.size() - stem.size() - 6);  // e.g. "-2.pdf.123"
    const size_t pidDot = rest.rfind('.');
    if (pidDot == std::string::npos || !allDigits(rest, pidDot + 1, rest.size()))
        return false;
    rest.resize(pidDot);
    if (rest.size() < 4 || (!rest.ends_with(".pdf") && !rest.ends_with(".png")))
        return false;
    rest.resize(rest.size() - 4);
    // What is left: "", "-N" or "-N-N".
    size_t at = 0;
    for (int part = 0; at < rest.size() && part < 2; ++part) {
        if (rest[at] != '-')
            return false;
        size_t end = rest.find('-', at + 1);
        if (end == std::string::npos)
            end = rest.size();
        if (!allDigits(rest, at + 1, end))
            return false;
        at = end;
    }
    return at == rest.size();
}

// Temporary files an interrupted run left for this document: nobody else converts it now.
void removeStaleTemporaries(const std::string& outBase)
{
    const std::filesystem::path base(outBase);
    const std::string stem = base.filename().string();
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(base.parent_path(), ec), end; !ec && it != end; it.increment(ec))
        if (isTemporaryOf(it->path().filename().string(), stem))
            stale.push_back(it->path());
    for (const auto& p : stale)
        std::filesystem::remove(p, ec);
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            out.push_back(line);
    return out;
}

}  // namespace

ConvertRecord convertDocument(const ConvertJob& job, const ConvertOptions& options)
{
    const auto start = std::chrono::steady_clock::now();
    ConvertRecord record;
    record.input = job.input;
    std::ostringstream warnings;
    OutputSet outputs;
    std::optional<std::string> error;  // the first fault met
    bool writeFailed = false;  // then nothing is put in place: a file may be incomplete
    bool book = false;
    try {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(job.outBase).parent_path(), ec);
        removeStaleTemporaries(job.outBase);
        LoadedDocument doc;
        loadForCommandLine(doc, job.input, &warnings);
        error = doc.error;
        Viewer& v = doc.viewer;
        book = !v.BookFileName.empty();
        const int chapters = book ? static_cast<int>(v.ChapterRecords.size()) : 0;
        const auto write = [&](int chapter) {
            try {
                if (auto e = writeChapter(v, job, options, chapter, outputs, record); e && !error)
                    error = e;
            } catch (const std::exception& e) {
                writeFailed = true;
                if (!error)
                    error = e.what();
            }
        };
        if (!book)
            write(0);
        for (int c = 1; c <= chapters; ++c) {
            if (c > 1) {
                try {
                    v.ChapterListChange(c - 1);
                } catch (const VError& e) {
                    if (!error)
                        error = "Chapter " + std::to_string(c) + ": " + e.what();
                }
            }
            write(c);
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
    record.output = primaryOutput(job, options.format, book);
    std::string failed;
    if (!writeFailed && outputs.size() > 0 && !outputs.commit(failed) && !error)
        error = "Cannot write " + failed;
    record.files = writeFailed ? 0 : static_cast<int>(outputs.size());
    record.warnings = lines(warnings.str());
    record.error = error;
    record.status = error ? "failed" : "converted";
    record.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return record;
}

}  // namespace vr
