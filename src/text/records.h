// The content records of text frames: display lines (TDLigne) and runs of one font (TDChaine),
// and the substitution that gives runs the suite's own installed faces.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/color.h"

namespace vr {

struct TDLigne {
    TDLigne(int32_t firstRun, int32_t runCount, int32_t top, uint8_t alignment)
        : Alignment(alignment), FirstRun(firstRun), RunCount(runCount), Top(top)
    {
    }
    uint8_t Alignment = 0;  // 0..3, from the file codes "4", "1", "3", "2"
    int32_t FirstRun = 0;
    int32_t RunCount = 0;
    int32_t Top = 0;  // unzoomed pixels from the frame's top
    uint8_t Column = 0;  // 0 = the rightmost column
};

struct TDChaine {
    TDChaine(std::string text, std::string fontName, uint8_t size, uint8_t style, Color color, uint8_t fontClass,
             int32_t x)
        : FontName(std::move(fontName)),
          Size(size),
          Style(style),
          FontClass(fontClass),
          Color(color),
          Text(std::move(text)),
          X(x)
    {
        if (Text.size() > 255)
            Text.resize(255);
    }
    std::string FontName;
    uint8_t Size = 0;  // points, unzoomed
    uint8_t Style = 0;  // bold 1, italic 2, underline 4, strike-out 8
    uint8_t FontClass = 0;  // 2: the font stays as stored
    vr::Color Color = 0;
    std::string Text;  // at most 255 character codes of the suite's fonts
    int32_t X = 0;  // left edge in unzoomed pixels from the frame's left
    int32_t Effect = -1;  // index into the frame's effects, -1 none
};

// Answers whether a font face of exactly this name (case-sensitive) is installed.
using FontInstalledFn = std::function<bool(const std::string&)>;

// The lists of lines and runs are owned by value in the frame's vectors; emptying or destroying a
// vector releases its records, which is all the document's list-freeing ever did.

// True when `faces` holds `name` exactly (whole string, case-sensitive); the scan stops at the
// first match.
bool FontInstalled(const std::vector<std::string>& faces, const std::string& name);
// A catalogue answering from a fixed list of faces (tests, and callers that took a snapshot of
// the platform's faces).
FontInstalledFn fontCatalogue(std::vector<std::string> faces);

// Replaces the run's font name by the first table face whose key it contains and which is
// installed; otherwise keeps it (font class 2 or a "QV_" name) or makes it "QV_Hazel".
void MapFontName(TDChaine& run, const FontInstalledFn& fontInstalled);

}  // namespace vr
