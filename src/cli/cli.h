// The command line: subcommands that load a document without a window and write what the window
// would show (PNG pages), what was read (JSON), or what a printer puts on paper (PDF, PNG sheets,
// or a printer's queue).
#pragma once
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vr {

// Exit statuses: 0 done, 1 an error with the reader's message, 2 a usage error.
enum ExitStatus { kExitOk = 0, kExitError = 1, kExitUsage = 2 };

struct ConvertOptions;

struct CommandLine {
    enum class Mode { Window, Render, Dump, Print, Trace, Convert, ConvertWorker, Thumbnail, Help, Version } mode = Mode::Window;
    std::string file;  // the document (the window's command-line argument)
    std::string output;  // render: image path or pattern, "-" for standard output; print: PDF or
        // PNG (pattern), or empty; thumbnail: PNG path
    int first = 0;  // 0: from page 1
    int last = 0;  // 0: to the last page
    int zoom = 100;
    int page = 1;  // trace: the page drawn
    bool verbose = false;  // warnings of recovered damage on standard error
    int chapter = 0;  // books: the chapter worked on (from 1); 0: the first
    int size = kDefaultThumbnailSize;  // thumbnail: the longer side in pixels
    // print
    int copies = 1;
    int dpi = kDefaultPrintDpi;
    std::string printer;  // empty: the default printer
    bool png = false;  // sheets as PNG images instead of a PDF
    static constexpr int kDefaultPrintDpi = 300;
    std::shared_ptr<const ConvertOptions> convert;  // convert and its workers
    static constexpr int kDefaultThumbnailSize = 256;
};

// Parses the arguments after the program name; a usage error yields nullopt and a message. Only
// no argument or one document opens the window: an unknown command word, or several arguments
// without a command, is a usage error.
std::optional<CommandLine> parseCommandLine(const std::vector<std::string>& args, std::string& usageError);

// Runs a command; needs a QGuiApplication for all but help and version. `out` takes what the
// command prints (dump, trace, help, a render to "-").
class SystemPrinters;
// `printers`: the printers' queues the print command may use (null: none reachable).
int runCommand(const CommandLine& cmd, std::ostream& out, std::ostream& err, SystemPrinters* printers = nullptr);

// The image format (as Qt's writers name it) that an output file's extension asks for: "png",
// "jpeg", ...; "png" for "-" (standard output); empty when Qt has no writer for it.
std::string imageFormatFor(const std::string& output);

// The output name of one page: the pattern with its %d (or %0Nd) replaced by the page number;
// nullopt when the pattern holds no such conversion or another %.
std::optional<std::string> outputNameFor(const std::string& pattern, int page);

std::string usageText();

}  // namespace vr
