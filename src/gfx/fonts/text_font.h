// Unicode fonts for other programs' pictures: a logical font (face name, height, width, weight,
// italic) resolved the way a desktop resolves it, through fontconfig's matching, so that a face
// that is not installed under its name gets its metric-compatible substitute (Arial: Liberation
// Sans, Calibri: Carlito, …) and not a fixed fallback.
//
// Heights follow the platform's logical fonts: a cell height (positive) is the face's Windows
// ascent plus descent (OS/2 usWinAscent + usWinDescent) scaled to it, so the em is the cell
// height times units-per-em over that sum; a character height (negative) is the em itself. A
// width asks for that average character width: the glyphs are stretched by it over the face's
// average width (OS/2 xAvgCharWidth). Measures are whole pixels as the platform gave them: each
// glyph's advance rounded to the nearest pixel, ascent and descent rounded halves up.
//
// Characters the face has no glyph for are drawn with the first face of a fixed fallback list
// that has one: DejaVu Sans, Symbola (symbols, arrows, pictographs), Droid Sans Fallback (CJK).
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QRawFont>

namespace vr {

struct TextFont;

// The family fontconfig chooses for a face name at a weight and slant: the face itself when it
// is installed, its configured substitute otherwise. Cached per process.
std::string matchFontFamily(const std::string& face, int weight, bool italic);

struct ResolvedTextFont {
    QFont font;  // the matched family at the em size, for shaping (other faces fill its gaps)
    QRawFont raw;  // the matched face at the em size
    std::vector<QRawFont> fallbacks;  // the fallback faces at the same size and style
    std::string family;
    int emPx = 1;
    double xScale = 1;  // horizontal stretch asked by the width
    int ascent = 0, descent = 0;
    double underlineTop = 1, underlineThickness = 1, strikeTop = -3, strikeThickness = 1;

    // The glyph of a code point and the face holding it (raw, or a fallback); glyph 0 of raw
    // when none has it.
    std::pair<const QRawFont*, quint32> glyphFor(char32_t c) const;
    // A glyph's advance in whole device pixels, stretch included.
    int advance(const QRawFont& face, quint32 glyph) const;
};

// Resolved fonts by their logical description; the colour and the angles do not count.
class TextFontCache {
public:
    std::shared_ptr<const ResolvedTextFont> get(const TextFont& f);
    static TextFontCache& shared();

private:
    static constexpr size_t kMaxEntries = 256;
    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const ResolvedTextFont>> fonts_;
};

// Whether a text holds characters of scripts that must be shaped as a whole (joined or reordered:
// Hebrew, Arabic and Persian, Syriac, Thaana, the Indic scripts, Thai).
bool needsShaping(const std::u16string& text);

}  // namespace vr
