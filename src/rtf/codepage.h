// Legacy code pages of RTF text, decoded with the C library's iconv (Qt 6 carries none of them).
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include <QString>

namespace vr::rtf {

// The code page a font table's \fcharsetN stands for; 0 where the charset names none (the
// document's code page then applies). Charset 2 (symbol) gives kSymbolCodePage.
inline constexpr int kSymbolCodePage = 2;
int codePageOfCharset(int charset);

// Double-byte code pages (932, 936, 949, 950, 1361): whether a byte opens a two-byte character.
bool isLeadByte(int codePage, uint8_t byte);
bool isDoubleByte(int codePage);

// Decodes bytes of one code page to Unicode. iconv descriptors are opened once per code page and
// kept for the decoder's life. A code page iconv does not know is read as 1252; bytes that do not
// form a character become U+FFFD, and the decoder goes on after them.
class CodePageDecoder {
public:
    CodePageDecoder() = default;
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    void decode(int codePage, const uint8_t* data, size_t size, QString& out);

private:
    void* open(int codePage);
    std::map<int, void*> descriptors_;
};

// Bytes of the Symbol font as the Unicode characters its glyphs show (Greek letters, arrows,
// mathematical signs); bytes it has no glyph for keep their Latin-1 meaning.
char16_t symbolToUnicode(uint8_t byte);

}  // namespace vr::rtf
