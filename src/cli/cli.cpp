#include "cli/cli.h"

#include <QBuffer>
#include <QImageWriter>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "cli/convert_command.h"
#include "cli/loaded_document.h"
#include "cli/output_file.h"
#include "cli/print_command.h"
#include "cli/thumbnail_command.h"
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
           "  velmora-reader render [-f FIRST] [-l LAST] [-z ZOOM] [--chapter N] FILE OUT\n"
           "                                        write pages as images at ZOOM percent (30-200,\n"
           "                                        default 100), in the format OUT's extension\n"
           "                                        names (.png, .jpg, ...); with more than one page\n"
           "                                        OUT must hold %d, replaced by the page number;\n"
           "                                        OUT - writes one page as PNG to standard output\n"
           "  velmora-reader print [-f FIRST] [-l LAST] [-c COPIES] [-r DPI] [-P PRINTER] [--png] [--chapter N] FILE [OUT]\n"
           "                                        print pages FIRST..LAST (default all), COPIES\n"
           "                                        times, as the Print command does: to OUT.pdf\n"
           "                                        (one PDF), to PNG sheets (--png or a .png OUT;\n"
           "                                        more than one sheet needs %d, replaced by the\n"
           "                                        sheet number), else to PRINTER or the default\n"
           "                                        printer. Sheets are drawn at DPI (50-1200,\n"
           "                                        default 300). With no printer installed and no\n"
           "                                        OUT the sheets go to FILE's name with .pdf in\n"
           "                                        the current folder, or -1.pdf, -2.pdf ... when\n"
           "                                        that name is taken (no file is replaced)\n"
           "  velmora-reader thumbnail [-s SIZE] [--chapter N] FILE OUT.png\n"
           "                                        write the first page as a PNG thumbnail whose\n"
           "                                        longer side is SIZE pixels (16-2048, default\n"
           "                                        256), for file managers\n"
           "  velmora-reader dump [--chapter N] FILE\n"
           "                                        print the loaded document as JSON\n"
           "  velmora-reader trace [-p PAGE] [-z ZOOM] [--chapter N] FILE\n"
           "                                        print the drawing calls of page PAGE (default\n"
           "                                        1) at ZOOM percent, one per line\n" +
           convertUsageText() +
           "  velmora-reader help | --help | --version\n"
           "Options: --chapter N works on chapter N of a book (.BOK); without it a book's first\n"
           "chapter is used. --verbose also prints, on standard error, each damage the reader\n"
           "recovered from (a picture it could not decode, a text page it skipped, ...) and the\n"
           "graphics system's own messages.\n"
           "Outputs are written under a temporary name and take their own name when complete.\n"
           "Exit status: 0 done, 1 an error (with its message), 2 a usage error.\n";
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

// The command words, as the usage lists them.
constexpr const char* kCommandWords[] = {"render", "print", "thumbnail", "dump", "trace", "convert", "help"};

bool isCommandWord(const std::string& word)
{
    for (const char* c : kCommandWords)
        if (word == c)
            return true;
    return false;
}

std::string commandList()
{
    std::string list;
    for (const char* c : kCommandWords)
        list += (list.empty() ? "" : ", ") + std::string(c);
    return list;
}

// A lone argument is the window's document when it names a file or looks like a file name (a
// folder or an extension); a bare word is taken for a mistyped command.
bool looksLikeDocument(const std::string& arg)
{
    std::error_code ec;
    return arg.find_first_of("./") != std::string::npos || std::filesystem::exists(arg, ec);
}

// The image formats Qt's writers offer, for messages.
std::string writerFormats()
{
    std::string list;
    for (const QByteArray& f : QImageWriter::supportedImageFormats())
        list += (list.empty() ? "" : ", ") + f.toStdString();
    return list;
}

int render(const CommandLine& cmd, std::ostream& out, std::ostream& err)
{
    const std::string format = imageFormatFor(cmd.output);
    if (format.empty()) {
        err << "Cannot write " << cmd.output << ": render writes the image format its extension names ("
            << writerFormats() << "); print writes PDF\n";
        return kExitUsage;
    }
    const bool toStdout = cmd.output == "-";
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    const PageRangeCheck range = loadWithRange(doc, cmd.file, cmd.first, cmd.last, err, cmd.verbose ? &err : nullptr);
    if (!range.usable)
        return range.status;
    int status = range.status;
    const int first = range.first, last = range.last;
    Viewer& v = doc.viewer;
    if (toStdout && first != last) {
        err << "Standard output takes one page: choose it with -f and -l\n";
        return kExitUsage;
    }
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
            *v.state.CurrentPage, v.state.ZoomFactor, 96,
            [&err](const std::string& message) { err << message << '\n'; }, &v.diagnostics);
        if (image.isNull()) {
            err << "Page " << n << " is too large to render (" << v.state.CurrentPage->width << " x "
                << v.state.CurrentPage->height << " pixels)\n";
            status = kExitError;
            continue;
        }
        if (toStdout) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "png");
            out.write(bytes.constData(), bytes.size());
            out.flush();
            if (!out) {
                err << "Cannot write to standard output\n";
                return kExitError;
            }
            continue;
        }
        const std::string name =
            first == last ? outputNameFor(cmd.output, n).value_or(cmd.output) : *outputNameFor(cmd.output, n);
        OutputFile file(name);
        const bool written = format == "png" ? writePngFile(image, file.tempPath())
                                             : image.save(QString::fromStdString(file.tempPath()), format.c_str());
        if (!written || !file.commit()) {
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

std::string imageFormatFor(const std::string& output)
{
    if (output == "-")
        return "png";
    const size_t dot = output.find_last_of("./");
    if (dot == std::string::npos || output[dot] != '.')
        return {};
    std::string ext = output.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (ext == "jpg")
        ext = "jpeg";
    else if (ext == "tif")
        ext = "tiff";
    // PNG is ours to write; asking Qt for its other formats loads every image plugin.
    if (ext == "png")
        return ext;
    for (const QByteArray& f : QImageWriter::supportedImageFormats())
        if (f.toStdString() == ext)
            return ext;
    return {};
}

std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& usageError)
{
    CommandLine cmd;
    if (args.empty())
        return cmd;
    if (args[0] == "--verbose" && args.size() <= 2 && (args.size() == 1 || !isCommandWord(args[1]))) {
        // The window with Qt's own messages shown.
        std::vector<std::string> rest(args.begin() + 1, args.end());
        auto window = parseCommandLine(rest, usageError);
        if (window)
            window->verbose = true;
        return window;
    }
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") {
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
    if (!isCommandWord(verb)) {
        if (!verb.empty() && verb[0] == '-') {
            usageError = "Unknown option " + verb;
            return std::nullopt;
        }
        // Only one document opens the window: a mistyped command followed by its files must not
        // open a window on the command word.
        if (args.size() > 1 || !looksLikeDocument(verb)) {
            usageError =
                (looksLikeDocument(verb) ? std::string("The window opens one FILE; other runs start with a command")
                                         : "Unknown command " + verb) +
                " (the commands are " + commandList() + ")";
            return std::nullopt;
        }
        cmd.file = verb;
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
        const bool renderOption =
            (verb == "render" && (pageOption || a == "-z")) || (verb == "trace" && (a == "-p" || a == "-z"));
        const bool printOption = verb == "print" && (pageOption || a == "-c" || a == "-r");
        const bool thumbnailOption = verb == "thumbnail" && a == "-s";
        if (renderOption || printOption || thumbnailOption) {
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
                 : a == "-s" ? cmd.size
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
    if (verb == "thumbnail")
        return finishThumbnailCommand(cmd, positional, usageError);
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

int runCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err, SystemPrinters* printers)
{
    switch (cmd.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return kExitOk;
    case CommandLine::Mode::Version:
        out << "velmora-reader " << VR_VERSION << '\n';
        return kExitOk;
    case CommandLine::Mode::Render:
        return render(cmd, out, err);
    case CommandLine::Mode::Thumbnail:
        return thumbnailCommand(cmd, err);
    case CommandLine::Mode::Dump:
        return dump(cmd, out, err);
    case CommandLine::Mode::Trace:
        return trace(cmd, out, err);
    case CommandLine::Mode::Print:
        return printCommand(cmd, out, err, printers);
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
