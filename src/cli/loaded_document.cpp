#include "cli/loaded_document.h"

#include <QCoreApplication>
#include <ostream>

#include "cli/cli.h"

#include "core/errors.h"

namespace vr {

void loadForCommandLine(LoadedDocument& doc, const std::string& file, std::ostream* warnings)
{
    if (warnings)
        doc.viewer.diagnostics.onWarning = [warnings](const Diagnostic& d) { *warnings << describe(d) << '\n'; };
    doc.viewer.commandLineDocument = file;
    const std::string programFolder = QCoreApplication::applicationDirPath().toStdString() + "/";
    doc.viewer.state.AppFolder = programFolder;
    doc.fonts.loadFontsIn(programFolder + "QVLFonts/");
    doc.viewer.fonts = &doc.fonts;
    try {
        doc.viewer.LoadDocument();
        const std::string ext = documentExtension(file);
        if (ext != ".VPG" && ext != ".VTX")
            doc.error = "Not a Velmora document (.VPG, .VTX or .BOK): " + file;
    } catch (const VError& e) {
        doc.error = e.what();
    }
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
