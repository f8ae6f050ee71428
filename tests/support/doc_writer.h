// Test-only writer of document bytes: each test states the document it reads, record by record.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace vrtest {

using Bytes = std::vector<uint8_t>;

// A counted string of n characters: length byte, the text (cut to n), zero filler: n + 1 bytes.
Bytes counted(const std::string& text, size_t n);
// A counted string with an explicit length byte (for malformed fields).
Bytes countedRaw(uint8_t lengthByte, const std::string& chars, size_t n);
void append(Bytes& out, const Bytes& more);
// Counted fields one after another, each text in a field of its width (the widths in order).
Bytes fields(std::initializer_list<std::string> texts, std::initializer_list<size_t> widths);

struct LineRec {
    std::string x1 = "10", y1 = "10", x2 = "100", y2 = "10";
    std::string color = "0";
    std::string width = "1";
    std::string style = "0";
    std::string arrow = "FN";
    LineRec() = default;
    LineRec(int ax1, int ay1, int ax2, int ay2, uint32_t c = 0, int w = 1, const std::string& s = "0",
            const std::string& a = "FN");
};
// The 38-byte line record.
Bytes lineRecord(const LineRec& l);

struct ShapeRec {
    std::string kind = "0", brushStyle = "0", brushColor = "16777215", penWidth = "1", penColor = "0";
    std::string left = "10", top = "10", width = "100", height = "40", brushImageSize = "0";
};
// The 57-byte shape record (any brush picture bytes are appended by the caller).
Bytes shapeRecord(const ShapeRec& s);

struct ImageRec {
    std::string left = "10", top = "10", width = "100", height = "80";
    std::string layer = "0", bottom = "0", right = "0", top_ = "0", borderWidth = "1", borderColor = "0";
    std::string sizing = "2", imageSize = "0", fileName;
};
// The 113-byte image record (any embedded bitmap is appended by the caller).
Bytes imageRecord(const ImageRec& i);

// A BMP file of w x h pixels, 24 bits, bottom-up, every pixel the colour 0x00BBGGRR.
Bytes bmpFile(int w, int h, uint32_t color);

// Page-layout document builder. Defaults: A4 made at 96 pixels per inch (794 x 1123), version
// "2002", sub-version "2002", orientation "0".
class VpgWriter {
public:
    VpgWriter();
    VpgWriter& orientation(const std::string& code);
    VpgWriter& version(const std::string& v, const std::string& sub);
    VpgWriter& pageSize(int16_t codeA, int16_t codeB, int16_t widthPx, int16_t heightPx);
    VpgWriter& skippedRecords(int count);  // S records of 19 bytes
    // Starts a page; the tag is written as counted(tag, 4), e.g. "P1". Object count is written
    // from the objects added unless objectCount() overrides it.
    VpgWriter& page(const std::string& tag);
    VpgWriter& pageTagRaw(const Bytes& fiveBytes);
    VpgWriter& objectCount(const std::string& text);
    VpgWriter& line(const LineRec& l);
    // Any object: the 21-byte tag then the body as given.
    VpgWriter& object(const std::string& tag, const Bytes& body);
    VpgWriter& pageCountText(const std::string& text);  // overrides P
    Bytes bytes() const;
    void save(const std::string& path) const;

private:
    struct Page {
        Bytes tag;
        std::string countText;
        int objects = 0;
        Bytes body;
    };
    Bytes header_;
    int16_t size_[4] = {1, 1, 794, 1123};
    int skipped_ = 0;
    std::string pageCount_;
    std::vector<Page> pages_;
};

// Text document: signature, header records A (255) and B (353) with the orientation and page count;
// pages are raw bytes appended after the header.
Bytes vtxDocument(const std::string& orientation, const std::string& pageCount, const Bytes& pages = {},
                  const Bytes& signature = counted("QV2000", 6));

void writeFile(const std::string& path, const Bytes& bytes);

// ---- Text frames and text pages ----------------------------------------------------------------

// The 55-byte effect record of "1998" frames.
struct EffectRec {
    std::string id = "1", depth = "2", angle = "3", shadowColor = "0", kind = "1", dx2 = "1", dy2 = "1", color2 = "255",
                extra = "0";
};
Bytes effectRecord(const EffectRec& e);

// The 281-byte kind record and the 23-byte layout record of "1998" frames.
Bytes frameKindRecord(const std::string& flag, const std::string& value, const std::string& name);
Bytes frameLayoutRecord(const std::string& leftMargin, const std::string& rightMargin, const std::string& third,
                        const std::string& fourth, const std::string& columns, const std::string& gap);

// The 170-byte main record of a frame.
struct FrameMainRec {
    std::string left = "10", top = "20", width = "300", height = "200", lines = "0", runs = "0";
    std::string value = "-1", flag = "0", layer = "0", bottom = "0", right = "0", top_ = "0";
    std::string borderWidth = "1", borderColor = "0", rasterOp = "13369376", picture;
};
Bytes frameMainRecord(const FrameMainRec& m);

// The 2-byte background code, followed for "1" and "2" by the 26-byte background record.
Bytes frameBackground(const std::string& code, const std::string& back = "16777215", const std::string& pattern = "0",
                      const std::string& step = "4", const std::string& style = "1");

// The 15-byte line record (frames and text pages).
Bytes textLineRecord(const std::string& firstRun, const std::string& runCount, const std::string& top,
                     const std::string& alignment);

// The 78-byte run record then its text: the counted text (length byte then the bytes), its size T
// written as length + 1 unless `textSize` is given; `rawText` replaces the counted text when set.
struct RunRec {
    std::string font = "QV_Hazel", size = "14", style = "0", color = "0", fontClass = "0", x = "100";
    std::string text;
    std::string textSize;
    Bytes rawText;
    bool useRawText = false;
};
Bytes runRecord(const RunRec& r);

// One text page: the 10-byte counts, the 11 bytes that follow under the "QV2000" signature, then
// the line and run records as given.
Bytes textPage(const std::string& lines, const std::string& runs, const Bytes& records);

// A text line: two points, a font, a size, a style, a colour, a font class and the counted text
// with its size T (written as length + 1 unless `textSize` is given).
struct TextLigneRec {
    std::string x1 = "10", y1 = "20", x2 = "410", y2 = "20";
    std::string font = "QV_Hazel", size = "12", style = "0", color = "255", fontClass = "2";
    std::string text = "ABCDEFGHIJ";
    std::string textSize;
};
Bytes textLigneRecord(const TextLigneRec& r);

// ---- Rich-text frames and rich-edit tables ----------------------------------------------------

// The 20-byte bounds record: Left, Top, Width, Height as counted strings of 4.
Bytes boundsRecord(const std::string& left, const std::string& top, const std::string& width,
                   const std::string& height);

// The 20-byte border record of rich-text frames: four side flags and the width (counted strings
// of 1) and the colour (counted string of 9).
struct BorderRec {
    std::string left = "0", bottom = "0", right = "0", top = "0", width = "1", color = "0";
};
Bytes borderRecord(const BorderRec& b);

// A "TDRICHEDIT" body: bounds, border, the content size (the content's length unless `sizeText`
// is given) and the content.
Bytes richEditRecord(const Bytes& bounds, const BorderRec& border, const std::string& content,
                     const std::string& sizeText = "");

// A cell of a "TabeauRE" table: its bounds (stored relative to the table), its content size and
// content (none written when `withSize` is false).
struct RichCellRec {
    std::string left = "10", top = "10", width = "100", height = "40";
    std::string content;
    bool withSize = true;
};
// A "TabeauRE" body: bounds, the column and row counts (counted strings of 3) and the cells.
Bytes tabeauRERecord(const Bytes& bounds, const std::string& columns, const std::string& rows,
                     const std::vector<RichCellRec>& cells);

}  // namespace vrtest
