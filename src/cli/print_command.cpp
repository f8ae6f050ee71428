#include "cli/print_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "cli/loaded_document.h"
#include "cli/output_file.h"
#include "core/errors.h"
#include "gfx/print/pdf_file.h"
#include "gfx/print/printer.h"
#include "viewer/print_driver.h"

namespace vr {

namespace {

constexpr int kMinDpi = 50;
constexpr int kMaxDpi = 1200;

bool endsWithNoCase(const std::string& s, const std::string& tail)
{
    if (s.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const char c = s[s.size() - tail.size() + i];
        if (static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c) != tail[i])
            return false;
    }
    return true;
}

// The dialog's answer is the command line's range; progress goes to a terminal when there is one.
class CommandLinePrintHost : public PrintHost {
public:
    CommandLinePrintHost(int first, int last, int copies, std::ostream* progressOut)
        : first_(first), last_(last), copies_(copies), progressOut_(progressOut)
    {
    }
    bool runPrintDialog(PrinterDevice&, PrintRange& range, int, int) override
    {
        range.from = first_;
        range.to = last_ > 0 ? last_ : range.to;
        range.copies = copies_;
        return true;
    }
    bool progress(int done, int total) override
    {
        if (progressOut_) {
            *progressOut_ << "\rPrinting: " << done << " of " << total << " sheets";
            if (done == total)
                *progressOut_ << '\n';
            progressOut_->flush();
        }
        return true;
    }

private:
    int first_, last_, copies_;
    std::ostream* progressOut_;
};

}  // namespace

std::optional<std::string> freePdfName(const std::string& stem)
{
    std::error_code ec;
    for (int n = 0; n <= kMaxNumberedPdf; ++n) {
        const std::string name = stem + (n == 0 ? std::string() : "-" + std::to_string(n)) + ".pdf";
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, ec)))
            return name;
    }
    return std::nullopt;
}

std::optional<CommandLine> finishPrintCommand(CommandLine cmd, const std::vector<std::string>& positional,
                                              std::string& usageError)
{
    if (positional.empty() || positional.size() > 2) {
        usageError = "print needs FILE and at most one OUT";
        return std::nullopt;
    }
    if (cmd.copies < 1 || cmd.copies > 999) {
        usageError = "The number of copies must lie between 1 and 999";
        return std::nullopt;
    }
    if (cmd.dpi < kMinDpi || cmd.dpi > kMaxDpi) {
        usageError = "The resolution must lie between 50 and 1200 dpi";
        return std::nullopt;
    }
    cmd.mode = CommandLine::Mode::Print;
    cmd.file = positional[0];
    cmd.output = positional.size() == 2 ? positional[1] : std::string();
    if (!cmd.output.empty() && endsWithNoCase(cmd.output, ".png"))
        cmd.png = true;
    if (cmd.png && cmd.output.empty()) {
        usageError = "--png needs OUT.png";
        return std::nullopt;
    }
    if (!cmd.output.empty() && !cmd.printer.empty()) {
        usageError = "Give either -P PRINTER or OUT, not both";
        return std::nullopt;
    }
    return cmd;
}

int printCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err, SystemPrinters* printers)
{
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    const PageRangeCheck range = loadWithRange(doc, cmd.file, cmd.first, cmd.last, err, cmd.verbose ? &err : nullptr);
    if (!range.usable)
        return range.status;
    int status = range.status;
    const int first = range.first, last = range.last;
    Viewer& v = doc.viewer;
    const long long sheets = (static_cast<long long>(last) - first + 1) * cmd.copies;

    std::unique_ptr<PrinterDevice> device;
    // Files are written under temporary names and take their own when complete: the PDF once the
    // job is done, each PNG sheet when the next one starts and the last when the job is done.
    std::unique_ptr<OutputFile> pdfFile;
    bool replacePdf = true;
    auto pngFiles = std::make_shared<std::vector<std::unique_ptr<OutputFile>>>();
    try {
        if (cmd.png) {
            if (sheets > 1 && !outputNameFor(cmd.output, 1)) {
                err << "With more than one sheet the output name must hold %d\n";
                return kExitUsage;
            }
            const std::string pattern = cmd.output;
            device = std::make_unique<PngSheetPrinter>(cmd.dpi, 210.0, 297.0, [pattern, pngFiles](int sheet) {
                if (!pngFiles->empty() && !pngFiles->back()->commit())
                    throw VError("Cannot write " + pngFiles->back()->finalPath());
                pngFiles->push_back(std::make_unique<OutputFile>(outputNameFor(pattern, sheet).value_or(pattern)));
                return pngFiles->back()->tempPath();
            });
        } else {
            std::string pdf = cmd.output;
            if (pdf.empty()) {
                if (!printers) {
                    err << "This program cannot reach printers: print with velmora-reader-window, or name OUT\n";
                    return kExitError;
                }
                device = printers->open(cmd.printer, cmd.dpi);
                if (!device && !cmd.printer.empty()) {
                    err << "No printer named " << cmd.printer << '\n';
                    return kExitError;
                }
                if (const auto names = printers->names(); !device && !names.empty()) {
                    err << "No default printer: name one with -P (";
                    for (size_t i = 0; i < names.size(); ++i)
                        err << (i ? ", " : "") << names[i];
                    err << ")\n";
                    return kExitError;
                }
                if (!device) {
                    // With no printer at all the sheets still go somewhere a user can print from,
                    // under a name no file has: nobody asked for a file to be replaced.
                    const std::string stem = std::filesystem::path(cmd.file).stem().string();
                    const std::optional<std::string> free = freePdfName(stem);
                    if (!free) {
                        err << "No printer is installed, and " << stem << ".pdf to " << stem << "-" << kMaxNumberedPdf
                            << ".pdf all exist: name the PDF to write as OUT\n";
                        return kExitError;
                    }
                    pdf = *free;
                    replacePdf = false;
                    err << "No printer is installed: printing to " << pdf;
                    if (pdf != stem + ".pdf")
                        err << " (" << stem << ".pdf exists and is kept)";
                    err << '\n';
                }
            }
            if (!device) {
                // A PDF file goes through our own writer: A4 pages, each sheet's pixels exact.
                pdfFile = std::make_unique<OutputFile>(pdf);
                device = std::make_unique<PdfSheetPrinter>(cmd.dpi, 210.0, 297.0, pdfFile->tempPath());
            }
        }
        const bool terminal = &err == &std::cerr && isatty(STDERR_FILENO) == 1;
        CommandLinePrintHost host(first, last, cmd.copies, terminal ? &err : nullptr);
        v.printDocument(*device, host);
        device.reset();
        if (pdfFile && !pdfFile->commit(replacePdf))
            throw VError("Cannot write " + pdfFile->finalPath() +
                         (replacePdf ? std::string() : std::string(": a file of that name appeared meanwhile")));
        if (!pngFiles->empty() && !pngFiles->back()->commit())
            throw VError("Cannot write " + pngFiles->back()->finalPath());
    } catch (const std::exception& e) {
        err << e.what() << '\n';
        return kExitError;
    }
    (void)out;
    return status;
}

}  // namespace vr
