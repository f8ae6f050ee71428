// The code pages of RTF text: the font table's charsets, \ansicpg and \cpg, and the symbol font.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include <QString>

#include "core/code_page.h"

namespace vr::rtf {

// The code page a font table's \fcharsetN stands for; 0 where the charset names none (the
// document's code page then applies). Charset 2 (symbol) gives kSymbolCodePage, 255 (OEM) 850.
inline constexpr int kSymbolCodePage = 2;
int codePageOfCharset(int charset);

// Decodes runs of bytes onto a QString: the symbol font's codes as the characters its glyphs show
// (codes it leaves empty keep their Latin-1 meaning), other code pages through iconv.
class CodePageDecoder {
public:
    void decode(int codePage, const uint8_t* data, size_t size, QString& out);

private:
    vr::CodePageDecoder bytes_;
    std::u16string buffer_;
};

}  // namespace vr::rtf
