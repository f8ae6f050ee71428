// Legacy code pages of other programs' text (font charsets, RTF), decoded with the C library's
// iconv: Qt 6 carries none of them. One table of charsets, lead bytes and the Symbol font's
// characters serves every reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace vr {

// The code page a font's charset byte fixes; 0 for the charsets that fix none (default 1,
// symbol 2, OEM 255 and unknown values), where the caller's own rule applies.
int codePageOfCharset(int charset);

// Double-byte code pages (932, 936, 949, 950, 1361) and the bytes that open a two-byte character.
bool isDoubleByteCodePage(int codePage);
bool isLeadByte(int codePage, uint8_t byte);

// The character the Symbol font's glyph for a code shows (Greek letters, arrows, mathematical
// signs); 0 for a code the font leaves empty.
char16_t symbolFontCharacter(uint8_t code);

// Decodes bytes of one code page to UTF-16. A descriptor is opened once per code page and kept for
// the decoder's life. A code page iconv does not know is read as 1252; a byte that starts no
// character (or a lead byte without its trail at the end) becomes U+FFFD and decoding goes on.
class CodePageDecoder {
public:
    CodePageDecoder() = default;
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    void decode(int codePage, const uint8_t* data, size_t size, std::u16string& out);

private:
    void* open(int codePage);
    std::map<int, void*> descriptors_;
};

}  // namespace vr
