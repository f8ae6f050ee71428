// Test-only writer of document bytes: each test states the document it reads, record by record.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vrtest {

using Bytes = std::vector<uint8_t>;

// A counted string of n characters: length byte, the text (cut to n), zero filler: n + 1 bytes.
Bytes counted(const std::string& text, size_t n);
// A counted string with an explicit length byte (for malformed fields).
Bytes countedRaw(uint8_t lengthByte, const std::string& chars, size_t n);
void append(Bytes& out, const Bytes& more);

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

} // namespace vrtest
