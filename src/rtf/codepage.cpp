#include "rtf/codepage.h"

namespace vr::rtf {

int codePageOfCharset(int charset)
{
    if (charset == 2)
        return kSymbolCodePage;
    if (charset == 255)
        return 850;
    return vr::codePageOfCharset(charset);
}

void CodePageDecoder::decode(int codePage, const uint8_t* data, size_t size, QString& out)
{
    if (codePage == kSymbolCodePage) {
        for (size_t i = 0; i < size; ++i) {
            const char16_t c = symbolFontCharacter(data[i]);
            out.append(QChar(c != 0 ? c : char16_t{data[i]}));
        }
        return;
    }
    buffer_.clear();
    bytes_.decode(codePage, data, size, buffer_);
    out.append(QStringView(buffer_.data(), static_cast<qsizetype>(buffer_.size())));
}

}  // namespace vr::rtf
