#include "cli/cli.h"

#include <cstdio>
#include <iostream>
#include <ostream>

#include "cli/convert_command.h"
#include "cli/loaded_document.h"
#include "cli/print_command.h"
#include "core/errors.h"
#include "core/fields.h"
#include "gfx/print/png_file.h"
#include "viewer/dump.h"
#include "viewer/render.h"
#include "viewer/viewer.h"

namespace vr {

std::string usageText()
{
    return "Usage:\n"
           "  velmora-reader [FILE]                 open FILE (.VPG, .VTX, .BOK) in the window\n"
           "  velmora-reader render [-f FIRST] [-l LAST] [-z ZOOM] [--chapter N] FILE OUT.png\n"
           "                                        write pages as PNG at ZOOM percent (30-200,\n"
           "                                        default 100); with more than one page OUT\n"
           "                                        must hold %d, replaced by the page number\n"
           "  velmora-reader print [-f FIRST] [-l LAST] [-c COPIES] [-r DPI] [-P PRINTER] [--png]\n"
           "                     [--chapter N] FILE [OUT.pdf | OUT.png]\n"
           "                                        print pages FIRST..LAST (default all), COPIES\n"
           "                                        times, as the Print command does: to OUT.pdf\n"
           "                                        (one PDF), to PNG sheets (--png or a .png OUT;\n"
           "                                        more than one sheet needs %d, replaced by the\n"
           "                                        sheet number), else to PRINTER or the default\n"
           "                                        printer. Sheets are drawn at DPI (50-1200,\n"
           "                                        default 300). With no printer installed and no\n"
           "                                        OUT the sheets go to FILE's name with .pdf in\n"
           "                                        the current folder\n"
           "  velmora-reader dump [--chapter N] FILE\n"
           "                                        print the loaded document as JSON\n"
           "  velmora-reader trace [-p PAGE] [-z ZOOM] [--chapter N] FILE\n"
           "                                        print the drawing calls of page PAGE (default\n"
           "                                        1) at ZOOM percent, one per line\n" +
           convertUsageText() +
           "  velmora-reader --help | --version\n"
           "Options: --chapter N works on chapter N of a book (.BOK); without it a book's first\n"
           "chapter is used. --verbose also prints, on standard error, each damage the reader\n"
           "recovered from (a picture it could not decode, a text page it skipped, ...).\n";
}

namespace {

bool parseNumber(const std::string& text, int& value)
{
    try {
        value = strictToInt(text);
        return true;
    } catch (const VError&) {
        return false;
    }
}

int render(const CommandLine& cmd, std::ostream& err)
{
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    const PageRangeCheck range = loadWithRange(doc, cmd.file, cmd.first, cmd.last, err, cmd.verbose ? &err : nullptr);
    if (!range.usable)
        return range.status;
    int status = range.status;
    const int first = range.first, last = range.last;
    Viewer& v = doc.viewer;
    if (first != last && !outputNameFor(cmd.output, first)) {
        err << "With more than one page the output name must hold %d\n";
        return kExitUsage;
    }
    v.SetZoom(cmd.zoom);
    for (int n = first; n <= last; ++n) {
        v.goToPage(n);
        if (!v.state.PageFound) {
            err << "No page numbered " << n << '\n';
            status = kExitError;
            continue;
        }
        const QImage image = renderPage(
            *v.state.CurrentPage, v.state.ZoomFactor, 96, [&err](const std::string& message) { err << message << '\n'; },
            &v.diagnostics);
        if (image.isNull()) {
            err << "Page " << n << " is too large to render (" << v.state.CurrentPage->width << " x "
                << v.state.CurrentPage->height << " pixels)\n";
            status = kExitError;
            continue;
        }
        const std::string name =
            first == last ? outputNameFor(cmd.output, n).value_or(cmd.output) : *outputNameFor(cmd.output, n);
        if (!writePngFile(image, name)) {
            err << "Cannot write " << name << '\n';
            return kExitError;
        }
    }
    return status;
}

int dump(const CommandLine& cmd, std::ostream& out, std::ostream& err)
{
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    loadForCommandLine(doc, cmd.file, cmd.verbose ? &err : nullptr);
    out << dumpDocument(doc.viewer, doc.error);
    if (doc.error) {
        err << doc.error.value() << '\n';
        return kExitError;
    }
    return kExitOk;
}

int trace(const CommandLine& cmd, std::ostream& out, std::ostream& err)
{
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    const PageRangeCheck range = loadWithRange(doc, cmd.file, cmd.page, cmd.page, err, cmd.verbose ? &err : nullptr);
    if (!range.usable)
        return range.status;
    Viewer& v = doc.viewer;
    v.SetZoom(cmd.zoom);
    v.goToPage(cmd.page);
    if (!v.state.PageFound) {
        err << "No page numbered " << cmd.page << '\n';
        return kExitError;
    }
    for (const std::string& call : tracePage(*v.state.CurrentPage, v.state.ZoomFactor, &v.diagnostics))
        out << call << '\n';
    return range.status;
}

}  // namespace

std::optional<std::string> outputNameFor(const std::string& pattern, int page)
{
    const size_t pct = pattern.find('%');
    if (pct == std::string::npos)
        return std::nullopt;
    size_t i = pct + 1;
    std::string width;
    while (i < pattern.size() && width.size() < 2 && pattern[i] >= '0' && pattern[i] <= '9')
        width += pattern[i++];
    if (i >= pattern.size() || pattern[i] != 'd' || pattern.find('%', i + 1) != std::string::npos)
        return std::nullopt;
    char number[32];
    std::snprintf(number, sizeof number, ("%" + width + "d").c_str(), page);
    return pattern.substr(0, pct) + number + pattern.substr(i + 1);
}

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& usageError)
{
    CommandLine cmd;
    if (args.empty())
        return cmd;
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h") {
        cmd.mode = CommandLine::Mode::Help;
        return cmd;
    }
    if (verb == "--version") {
        cmd.mode = CommandLine::Mode::Version;
        return cmd;
    }
    if (verb == "convert") {
        auto options = parseConvertOptions(std::vector<std::string>(args.begin() + 1, args.end()), usageError);
        if (!options)
            return std::nullopt;
        cmd.mode = options->worker ? CommandLine::Mode::ConvertWorker : CommandLine::Mode::Convert;
        cmd.convert = std::make_shared<const ConvertOptions>(std::move(*options));
        return cmd;
    }
    if (verb != "render" && verb != "dump" && verb != "print" && verb != "trace") {
        if (!verb.empty() && verb[0] == '-') {
            usageError = "Unknown option " + verb;
            return std::nullopt;
        }
        // As the window's command line: the last argument is the document.
        cmd.file = args.back();
        return cmd;
    }
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--verbose") {
            cmd.verbose = true;
            continue;
        }
        const bool pageOption = a == "-f" || a == "-l";
        const bool renderOption = (verb == "render" && (pageOption || a == "-z")) ||
            (verb == "trace" && (a == "-p" || a == "-z"));
        const bool printOption = verb == "print" && (pageOption || a == "-c" || a == "-r");
        if (renderOption || printOption) {
            int value = 0;
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], value)) {
                usageError = "Option " + a + " needs a number";
                return std::nullopt;
            }
            ++i;
            (a == "-f"       ? cmd.first
                 : a == "-l" ? cmd.last
                 : a == "-p" ? cmd.page
                 : a == "-z" ? cmd.zoom
                 : a == "-c" ? cmd.copies
                             : cmd.dpi) = value;
        } else if (verb == "print" && a == "-P") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                usageError = "Option -P needs a printer name";
                return std::nullopt;
            }
            cmd.printer = args[++i];
        } else if (a == "--chapter") {
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], cmd.chapter) || cmd.chapter < 1) {
                usageError = "Option --chapter needs a chapter number (from 1)";
                return std::nullopt;
            }
            ++i;
        } else if (verb == "print" && a == "--png") {
            cmd.png = true;
        } else if (a.size() > 1 && a[0] == '-') {
            usageError = "Unknown option " + a;
            return std::nullopt;
        } else {
            positional.push_back(a);
        }
    }
    if (verb == "dump") {
        if (positional.size() != 1) {
            usageError = "dump needs one FILE";
            return std::nullopt;
        }
        cmd.mode = CommandLine::Mode::Dump;
        cmd.file = positional[0];
        return cmd;
    }
    if (cmd.first < 0 || cmd.last < 0 || cmd.page < 1) {
        usageError = "Page numbers start at 1";
        return std::nullopt;
    }
    if (verb == "print")
        return finishPrintCommand(cmd, positional, usageError);
    if (cmd.zoom < 30 || cmd.zoom > 200) {
        usageError = "The zoom must lie between 30 and 200";
        return std::nullopt;
    }
    if (verb == "trace") {
        if (positional.size() != 1) {
            usageError = "trace needs one FILE";
            return std::nullopt;
        }
        cmd.mode = CommandLine::Mode::Trace;
        cmd.file = positional[0];
        return cmd;
    }
    if (positional.size() != 2) {
        usageError = "render needs FILE and OUT.png";
        return std::nullopt;
    }
    cmd.mode = CommandLine::Mode::Render;
    cmd.file = positional[0];
    cmd.output = positional[1];
    return cmd;
}

int runCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err)
{
    switch (cmd.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return kExitOk;
    case CommandLine::Mode::Version:
        out << "velmora-reader " << VR_VERSION << '\n';
        return kExitOk;
    case CommandLine::Mode::Render:
        return render(cmd, err);
    case CommandLine::Mode::Dump:
        return dump(cmd, out, err);
    case CommandLine::Mode::Trace:
        return trace(cmd, out, err);
    case CommandLine::Mode::Print:
        return printCommand(cmd, out, err);
    case CommandLine::Mode::Convert:
        return runConvert(*cmd.convert, out, err);
    case CommandLine::Mode::ConvertWorker:
        return runConvertWorker(*cmd.convert, std::cin, out);
    case CommandLine::Mode::Window:
        break;
    }
    return kExitUsage;
}

}  // namespace vr
