// Which font faces the reader can use: the families fontconfig knows, plus the fonts the reader
// loads itself for the current run (the *.ttf files of the "QVLFonts" folder beside the program and
// of the document's folder), so that a reader who has the suite's fonts sees them without
// installing anything.
#pragma once
#include <functional>
#include <set>
#include <string>

namespace vr {

class FontCatalogue {
public:
    // Whether a face of exactly this name (case counts) is installed or was loaded by the reader.
    bool FontInstalled(const std::string& name) const;

    // Loads every *.ttf file (any case of the extension) directly in `folder` into the
    // application's fonts for this run; returns how many files gave at least one family. A
    // missing folder loads nothing. A file loaded before is not loaded again.
    int loadFontsIn(const std::string& folder);

    // The families the reader loaded itself, sorted.
    const std::set<std::string>& loadedFamilies() const { return loaded_; }

    // FontInstalled as a function for the readers that take one; the catalogue must outlive it.
    std::function<bool(const std::string&)> installedFn() const
    {
        return [this](const std::string& name) { return FontInstalled(name); };
    }

private:
    std::set<std::string> loaded_;
    std::set<std::string> files_;
};

}  // namespace vr
