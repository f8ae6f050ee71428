#include "text/records.h"

#include <algorithm>
#include <memory>

namespace vr {

namespace {

struct FaceRow {
    const char* key;
    const char* face;
};

// Tried in this order; "Elmarr" comes before "Elmar" and both spellings of the gorse face map to
// the same installed face.
constexpr FaceRow kFaceRows[] = {
    {"Alder", "QV_Alder"},  {"Birch", "QV_Silver Birch"}, {"Cedar", "QV_Cedar"},   {"Damson", "QV_Damson"},
    {"Elmarr", "QV_Elmar"}, {"Elmar", "QV_Elmar"},        {"Fern", "QV_Red Fern"}, {"Gorce", "QV_Gorse"},
    {"Gorse", "QV_Gorse"},  {"Hazel", "QV_Hazel"},        {"Iris", "QV_Iris"},     {"Juniper", "QV_Juniper"},
};

}  // namespace

bool FontInstalled(const std::vector<std::string>& faces, const std::string& name)
{
    return std::find(faces.begin(), faces.end(), name) != faces.end();
}

FontInstalledFn fontCatalogue(std::vector<std::string> faces)
{
    auto list = std::make_shared<const std::vector<std::string>>(std::move(faces));
    return [list](const std::string& name) { return FontInstalled(*list, name); };
}

void MapFontName(TDChaine& run, const FontInstalledFn& fontInstalled)
{
    for (const FaceRow& row : kFaceRows) {
        if (run.FontName.find(row.key) != std::string::npos && fontInstalled && fontInstalled(row.face)) {
            run.FontName = row.face;
            return;
        }
    }
    if (run.FontClass == 2 || run.FontName.starts_with("QV_"))
        return;
    run.FontName = "QV_Hazel";
}

}  // namespace vr
