#include "cli/loaded_document.h"

#include <ostream>

#include "cli/cli.h"

#include "core/errors.h"
#include "core/program_files.h"
#include "player/media_clip.h"
#include "player/player.h"

namespace vr {

namespace {

// How long a run without a window waits for its clips to open.
constexpr int kClipOpenTimeoutMs = 10000;

void openChapter(LoadedDocument& doc, const std::string& file, const std::string& ext)
{
    Viewer& v = doc.viewer;
    if (ext != ".BOK" || v.BookFileName.empty()) {
        doc.error = "--chapter works on books (.BOK): " + file;
        return;
    }
    if (static_cast<size_t>(doc.chapter) > v.ChapterRecords.size()) {
        doc.error = "The book has " + std::to_string(v.ChapterRecords.size()) + " chapters: " + file;
        return;
    }
    // What happened to the first chapter does not matter any more.
    doc.error.reset();
    try {
        v.ChapterListChange(doc.chapter - 1);
    } catch (const VError& e) {
        doc.error = e.what();
    }
}

void waitForClips(const Viewer& v)
{
    std::vector<MediaClip*> clips;
    for (const auto& page : v.pages())
        for (const auto& obj : page->objects())
            if (const auto* player = dynamic_cast<const TDPlayer*>(obj.get()); player && player->clip())
                clips.push_back(player->clip());
    MediaClip::waitUntilSettled(clips, kClipOpenTimeoutMs);
}

}  // namespace

void loadForCommandLine(LoadedDocument& doc, const std::string& file, std::ostream* warnings)
{
    if (warnings)
        doc.viewer.diagnostics.onWarning = [warnings](const Diagnostic& d) { *warnings << describe(d) << '\n'; };
    doc.viewer.commandLineDocument = file;
    const std::string programFolder = vr::programFolder().string() + "/";
    doc.viewer.state.AppFolder = programFolder;
    doc.fonts.loadFontsIn(programFolder + "QVLFonts/");
    doc.viewer.fonts = &doc.fonts;
    const std::string ext = documentExtension(file);
    try {
        doc.viewer.LoadDocument();
        if (ext == ".BOK" && doc.viewer.BookFileName.empty())
            doc.error = OpenError(file).what();  // the window opens nothing, silently
        else if (ext != ".VPG" && ext != ".VTX" && ext != ".BOK")
            doc.error = "Not a Velmora document (.VPG, .VTX or .BOK): " + file;
    } catch (const VError& e) {
        doc.error = e.what();
    }
    if (doc.chapter > 0)
        openChapter(doc, file, ext);
    waitForClips(doc.viewer);
}

PageRangeCheck loadWithRange(LoadedDocument& doc, const std::string& file, int first, int last, std::ostream& err,
                             std::ostream* warnings)
{
    loadForCommandLine(doc, file, warnings);
    PageRangeCheck check;
    check.status = kExitOk;
    if (doc.error) {
        err << doc.error.value() << '\n';
        check.status = kExitError;
    }
    const DocumentState& s = doc.viewer.state;
    if (!s.CurrentPage || s.PageCount == 0) {
        if (check.status == kExitOk)
            err << "The document has no pages: " << file << '\n';
        check.status = kExitError;
        return check;
    }
    check.first = first > 0 ? first : 1;
    check.last = last > 0 ? last : s.PageCount;
    if (check.first > check.last) {
        err << "No pages in the range " << check.first << " to " << check.last << '\n';
        check.status = kExitUsage;
        return check;
    }
    check.usable = true;
    return check;
}

}  // namespace vr
