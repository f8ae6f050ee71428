#include "cli/loaded_document.h"

#include <QCoreApplication>

#include "core/errors.h"

namespace vr {

void loadForCommandLine(LoadedDocument& doc, const std::string& file)
{
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

} // namespace vr
