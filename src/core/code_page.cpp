// Each run of bytes is converted at once; iconv stops at a byte that starts no character, which
// becomes U+FFFD and is stepped over with the converter reset.
#include "core/code_page.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace vr {
namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

std::string iconvName(int codePage)
{
    switch (codePage) {
    case 10000:
        return "MACINTOSH";
    case 1361:
        return "JOHAB";
    case 437:
    case 850:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
        return "CP" + std::to_string(codePage);
    default:
        if (codePage >= 1250 && codePage <= 1258)
            return "CP" + std::to_string(codePage);
        return {};
    }
}

}  // namespace

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
    case 179:
    case 180:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    default:
        return 0;
    }
}

bool isDoubleByteCodePage(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

bool isLeadByte(int codePage, uint8_t b)
{
    switch (codePage) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    case 1361:
        return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default:
        return false;
    }
}

char16_t symbolFontCharacter(uint8_t code)
{
    static constexpr std::array<char16_t, 96> kLow = {
        // 0x20 .. 0x7F
        u' ',   u'!',   0x2200, u'#',   0x2203, u'%',   u'&',   0x220B, u'(',   u')',   0x2217, u'+',   u',',   0x2212,
        u'.',   u'/',   u'0',   u'1',   u'2',   u'3',   u'4',   u'5',   u'6',   u'7',   u'8',   u'9',   u':',   u';',
        u'<',   u'=',   u'>',   u'?',   0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399,
        0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
        0x039E, 0x03A8, 0x0396, u'[',   0x2234, u']',   0x22A5, u'_',   0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5,
        0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
        0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, u'{',   u'|',   u'}',   0x223C, 0};
    static constexpr std::array<char16_t, 96> kHigh = {
        // 0xA0 .. 0xFF; 0xF0 is the maker's logo in the private-use range
        0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191,
        0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
        0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283,
        0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
        0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211,
        0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0xF8FF, 0x232A, 0x222B, 0x2320,
        0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};
    if (code >= 0x20 && code < 0x80)
        return kLow[code - 0x20];
    if (code >= 0xA0)
        return kHigh[code - 0xA0];
    return 0;
}

CodePageDecoder::~CodePageDecoder()
{
    for (auto& [cp, d] : descriptors_)
        if (d != kInvalid)
            iconv_close(static_cast<iconv_t>(d));
}

void* CodePageDecoder::open(int codePage)
{
    auto it = descriptors_.find(codePage);
    if (it != descriptors_.end())
        return it->second;
    const std::string name = iconvName(codePage);
    iconv_t d = name.empty() ? kInvalid : iconv_open("UTF-16LE", name.c_str());
    descriptors_[codePage] = d;
    return d;
}

void CodePageDecoder::decode(int codePage, const uint8_t* data, size_t size, std::u16string& out)
{
    if (size == 0)
        return;
    void* d = open(codePage);
    if (d == kInvalid)
        d = open(1252);
    if (d == kInvalid) {  // no iconv at all: Latin-1
        out.append(data, data + size);
        return;
    }
    iconv_t cd = static_cast<iconv_t>(d);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(data));
    size_t inLeft = size;
    std::array<char16_t, 512> buffer;
    auto take = [&](char* outPtr) {
        out.append(buffer.data(), static_cast<size_t>(reinterpret_cast<char16_t*>(outPtr) - buffer.data()));
    };
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer.data());
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        take(outPtr);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            out.push_back(0xFFFD);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // Converters that combine characters (1255, 1258) hold the last one back until flushed.
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    take(outPtr);
}

}  // namespace vr
