// The document model the RTF reader fills: paragraphs of formatted runs, tables of cells holding
// paragraphs, pictures, and the font and colour tables. Lengths are twips (1440 per inch) and font
// sizes half-points, as the format writes them; text is Unicode.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <QString>

#include "core/color.h"
#include "gfx/picture/picture.h"

namespace vr::rtf {

// Font families of the font table (\fnil, \froman, \fswiss, \fmodern, \fscript, \fdecor, \ftech,
// \fbidi), used to choose a face of the same family when the named one is not installed.
enum class FontFamily : uint8_t { Nil, Roman, Swiss, Modern, Script, Decor, Tech, Bidi };

struct Font {
    std::string name;  // UTF-8
    FontFamily family = FontFamily::Nil;
    int pitch = 0;  // \fprq: 0 default, 1 fixed, 2 variable
    int charset = 1;  // \fcharset (1: the document's code page)
    int codePage = 0;  // the code page its text bytes are in (from \cpg or the charset)
};

enum class Underline : uint8_t { None, Single, Words, Double, Dotted, Dash, DashDot, DashDotDot, Thick, Wave };
enum class VerticalAlign : uint8_t { Normal, Super, Sub };

// Character formatting. Right-to-left (complex-script) characters take the associated set (\af,
// \afs, \ab, \ai) where the text gave one, the others the plain set.
struct CharFormat {
    int font = -1;  // font number of the font table; -1: the default font
    int size = 24;  // half-points
    bool bold = false, italic = false;
    int csFont = -1;
    int csSize = 0;  // 0: as size
    std::optional<bool> csBold, csItalic;
    Underline underline = Underline::None;
    bool strike = false;
    VerticalAlign vertical = VerticalAlign::Normal;
    int offset = 0;  // \up (positive) or \dn (negative), half-points
    int foreground = 0;  // colour table index; 0 is the automatic colour
    int background = 0;  // \cb, \highlight, \chcbpat; 0 none
    bool caps = false, smallCaps = false;
    bool hidden = false;
    bool rtl = false;  // \rtlch
    bool operator==(const CharFormat&) const = default;
};

enum class Align : uint8_t { Natural, Left, Right, Center, Justify };

struct TabStop {
    enum Kind : uint8_t { Left, Center, Right, Decimal };
    int position = 0;  // twips from the paragraph's start edge
    Kind kind = Left;
    bool operator==(const TabStop&) const = default;
};

struct ParaFormat {
    Align align = Align::Natural;  // Left and Right are physical sides
    int leftIndent = 0, rightIndent = 0;  // \li, \ri: physical sides
    std::optional<int> startIndent, endIndent;  // \lin, \rin: the paragraph's start and end sides
    int firstIndent = 0;
    int spaceBefore = 0, spaceAfter = 0;
    int lineSpacing = 0;  // \sl: > 0 at least, < 0 exactly, 0 single
    bool lineMultiple = false;  // \slmult1: lineSpacing / 240 lines
    bool rtl = false;
    bool inTable = false;
    std::vector<TabStop> tabs;
    TabStop::Kind pendingTab = TabStop::Left;  // the kind the next \tx gets
    bool operator==(const ParaFormat&) const = default;
};

// A picture of the text, decoded when the text was read; `picture` is null where the data could
// not be decoded (the place is kept, nothing is drawn).
struct PictureItem {
    std::shared_ptr<const Picture> picture;
    QImage image;  // bitmaps (\dibitmap, \wbitmap) and \pngblip pictures, decoded to pixels
    int widthTwips = 0, heightTwips = 0;  // drawn size
};

// A piece of a paragraph: text in one format, or a picture (an index of Document::pictures).
struct Span {
    QString text;
    CharFormat format;
    int picture = -1;
};

struct Paragraph {
    ParaFormat format;
    std::vector<Span> spans;
    CharFormat mark;  // the format of the paragraph mark: the height of an empty line
    bool empty() const { return spans.empty(); }
};

struct BorderLine {
    int width = 0;  // twips; 0: no line
    int color = 0;  // colour table index
    bool operator==(const BorderLine&) const = default;
};

struct CellDef {
    int right = 0;  // \cellx: right edge from the row's start, twips
    BorderLine top, left, bottom, right_;
    int shading = 0;  // \clshdng, hundredths of a percent
    int pattern = 0;  // \clcbpat: colour table index of the background, 0 none
    bool operator==(const CellDef&) const = default;
};

struct RowDef {
    int gap = 0;  // \trgaph: half the space between cells
    int left = 0;  // \trleft
    Align align = Align::Left;  // \trqc, \trqr
    bool rtl = false;  // \rtlrow
    std::vector<CellDef> cells;
};

struct Cell {
    std::vector<Paragraph> paragraphs;
};

struct Row {
    RowDef def;
    std::vector<Cell> cells;
};

struct Table {
    std::vector<Row> rows;
};

using Block = std::variant<Paragraph, Table>;

struct Document {
    std::map<int, Font> fonts;
    std::vector<std::optional<Color>> colors;  // index 0 is usually the automatic colour
    std::vector<PictureItem> pictures;
    std::vector<Block> blocks;
    int defaultFont = 0;  // \deff
    int defaultTab = 720;  // \deftab
    int codePage = 1252;  // \ansicpg (or \mac, \pc, \pca)

    const Font* font(int number) const;
    std::optional<Color> color(int index) const;
    // The text as a reader sees it: paragraphs end with "\n", table cells with "\t" and rows with
    // "\n"; pictures are U+FFFC.
    QString plainText() const;
};

}  // namespace vr::rtf
