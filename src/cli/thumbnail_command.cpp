#include "cli/thumbnail_command.h"

#include <algorithm>
#include <ostream>

#include "cli/loaded_document.h"
#include "cli/output_file.h"
#include "viewer/render.h"

namespace vr {

std::optional<CommandLine> finishThumbnailCommand(CommandLine cmd, const std::vector<std::string>& positional,
                                                  std::string& usageError)
{
    if (positional.size() != 2) {
        usageError = "thumbnail needs FILE and OUT.png";
        return std::nullopt;
    }
    if (cmd.size < kMinThumbnailSize || cmd.size > kMaxThumbnailSize) {
        usageError = "The thumbnail size must lie between " + std::to_string(kMinThumbnailSize) + " and " +
            std::to_string(kMaxThumbnailSize) + " pixels";
        return std::nullopt;
    }
    cmd.mode = CommandLine::Mode::Thumbnail;
    cmd.file = positional[0];
    cmd.output = positional[1];
    return cmd;
}

QImage paintThumbnail(TSurfaceT& page, int size)
{
    const int longer = std::max(page.width, page.height);
    if (page.width < 1 || page.height < 1)
        return {};
    page.changeScale(size, longer);
    return renderPage(page, static_cast<double>(size) / longer);
}

int thumbnailCommand(const CommandLine& cmd, std::ostream& err)
{
    LoadedDocument doc;
    doc.chapter = cmd.chapter;
    // A still of a player needs no clip: opening one would only make the file manager wait.
    doc.viewer.openMediaClips = false;
    loadForCommandLine(doc, cmd.file, cmd.verbose ? &err : nullptr);
    // Page 1, also when reading stopped later on (the pages read are then kept, hidden).
    Viewer& v = doc.viewer;
    v.state.PageFound = false;
    if (v.state.CurrentPage && v.state.PageCount > 0)
        v.goToPage(1);
    TSurfaceT* page = v.state.PageFound ? v.state.CurrentPage : nullptr;
    if (!page) {
        err << (doc.error ? *doc.error : "The document has no pages: " + cmd.file) << '\n';
        return kExitError;
    }
    // The first page was read: a later page that could not be is no reason to go without a
    // thumbnail.
    if (doc.error)
        err << *doc.error << '\n';
    const QImage image = paintThumbnail(*page, cmd.size);
    OutputFile file(cmd.output);
    if (image.isNull() || !image.save(QString::fromStdString(file.tempPath()), "png") || !file.commit()) {
        err << "Cannot write " << cmd.output << '\n';
        return kExitError;
    }
    return kExitOk;
}

}  // namespace vr
