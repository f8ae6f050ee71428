// Code pages through iconv: a descriptor per code page and thread, opened once and reset before
// each conversion; a byte iconv cannot take becomes U+FFFD and the conversion goes on after it.
#include "gfx/fonts/charset.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <map>

namespace vr {
namespace {

const iconv_t kInvalid = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

// The Symbol font's codes 0x20..0x7F and 0xA0..0xFF; 0 where the font has no character of its
// own (the code then stays in the private-use range).
constexpr std::array<char16_t, 96> kSymbolLow = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212,
    0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399,
    0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5,
    0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0};
constexpr std::array<char16_t, 96> kSymbolHigh = {
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191,
    0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283,
    0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211,
    0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};

// The Wingdings font's codes 0x20..0xFF as Unicode's mapping of it gives them; 0 where Unicode
// has no such character.
constexpr std::array<char32_t, 224> kWingdings = {
    0x0020,  0x270F,  0x2702,  0x2701,  0x1F453, 0x1F514, 0x1F4D6, 0x1F56F, 0x260E,  0x2706,  0x2709,  0x1F583, 0x1F4EA,
    0x1F4EB, 0x1F4EC, 0x1F4ED, 0x1F4C1, 0x1F4C2, 0x1F4C4, 0x1F5CF, 0x1F5D0, 0x1F5C4, 0x231B,  0x2328,  0x1F5B0, 0x1F5B2,
    0x1F4BB, 0x1F5B4, 0x1F4BE, 0x1F5AC, 0x2707,  0x270D,  0x1F58E, 0x270C,  0x1F44C, 0x1F44D, 0x1F44E, 0x1F448, 0x1F449,
    0x261D,  0x1F447, 0x1F590, 0x1F642, 0x1F610, 0x1F641, 0x1F4A3, 0x2620,  0x1F3F3, 0x1F3F1, 0x2708,  0x263C,  0x1F4A7,
    0x2744,  0x1F546, 0x271E,  0x1F548, 0x2720,  0x2721,  0x262A,  0x262F,  0x0950,  0x2638,  0x2648,  0x2649,  0x264A,
    0x264B,  0x264C,  0x264D,  0x264E,  0x264F,  0x2650,  0x2651,  0x2652,  0x2653,  0x1F670, 0x1F675, 0x25CF,  0x1F53E,
    0x25A0,  0x25A1,  0x1F790, 0x2751,  0x2752,  0x2B27,  0x29EB,  0x25C6,  0x2756,  0x2B25,  0x2327,  0x2BB9,  0x2318,
    0x1F3F5, 0x1F3F6, 0x1F676, 0x1F677, 0,       0x24EA,  0x2460,  0x2461,  0x2462,  0x2463,  0x2464,  0x2465,  0x2466,
    0x2467,  0x2468,  0x2469,  0x24FF,  0x2776,  0x2777,  0x2778,  0x2779,  0x277A,  0x277B,  0x277C,  0x277D,  0x277E,
    0x277F,  0x1F662, 0x1F660, 0x1F661, 0x1F663, 0x1F65E, 0x1F65C, 0x1F65D, 0x1F65F, 0x00B7,  0x2022,  0x25AA,  0x26AA,
    0x1F786, 0x1F788, 0x25C9,  0x25CE,  0x1F53F, 0x25AA,  0x25FB,  0x1F7C2, 0x2726,  0x2605,  0x2736,  0x2734,  0x2739,
    0x2735,  0x2BD0,  0x2316,  0x27E1,  0x2311,  0x2BD1,  0x272A,  0x2730,  0x1F550, 0x1F551, 0x1F552, 0x1F553, 0x1F554,
    0x1F555, 0x1F556, 0x1F557, 0x1F558, 0x1F559, 0x1F55A, 0x1F55B, 0x2BB0,  0x2BB1,  0x2BB2,  0x2BB3,  0x2BB4,  0x2BB5,
    0x2BB6,  0x2BB7,  0x1F66A, 0x1F66B, 0x1F655, 0x1F654, 0x1F657, 0x1F656, 0x1F650, 0x1F651, 0x1F652, 0x1F653, 0x232B,
    0x2326,  0x2B98,  0x2B9A,  0x2B99,  0x2B9B,  0x2B88,  0x2B8A,  0x2B89,  0x2B8B,  0x1F868, 0x1F86A, 0x1F869, 0x1F86B,
    0x1F86C, 0x1F86D, 0x1F86F, 0x1F86E, 0x1F878, 0x1F87A, 0x1F879, 0x1F87B, 0x1F87C, 0x1F87D, 0x1F87F, 0x1F87E, 0x21E6,
    0x21E8,  0x21E7,  0x21E9,  0x2B04,  0x21F3,  0x2B00,  0x2B01,  0x2B03,  0x2B02,  0x1F8AC, 0x1F8AD, 0x1F5F6, 0x2714,
    0x1F5F7, 0x1F5F9, 0};

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

const char* iconvName(int codePage)
{
    switch (codePage) {
    case 874:
        return "CP874";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 1250:
        return "CP1250";
    case 1251:
        return "CP1251";
    case 1253:
        return "CP1253";
    case 1254:
        return "CP1254";
    case 1255:
        return "CP1255";
    case 1256:
        return "CP1256";
    case 1257:
        return "CP1257";
    case 1258:
        return "CP1258";
    case 1361:
        return "JOHAB";
    case 437:
        return "CP437";
    case 850:
        return "CP850";
    case 10000:
        return "MACINTOSH";
    default:
        return "CP1252";
    }
}

// The thread's descriptor for a code page; kInvalid when iconv does not know it.
iconv_t descriptor(int codePage)
{
    struct Descriptors {
        std::map<int, iconv_t> open;
        ~Descriptors()
        {
            for (auto& [cp, d] : open)
                if (d != kInvalid)
                    iconv_close(d);
        }
    };
    thread_local Descriptors ds;
    auto it = ds.open.find(codePage);
    if (it == ds.open.end())
        it = ds.open.emplace(codePage, iconv_open("UTF-16LE", iconvName(codePage))).first;
    return it->second;
}

}  // namespace

void appendUtf16(std::u16string& out, char32_t c)
{
    if (c >= 0x10000 && c <= 0x10FFFF) {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(c > 0xFFFF ? 0xFFFD : c));
    }
}

int codePageOfCharset(int cs)
{
    switch (cs) {
    case charset::Symbol:
        return 0;
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
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case charset::Oem:
        return 437;
    default:
        return 1252;
    }
}

SymbolTable symbolTableOf(std::string_view face)
{
    const std::string f = lower(face);
    if (f == "wingdings")
        return SymbolTable::Wingdings;
    // Symbol and the symbol faces laid out like it (e.g. "Euclid Symbol", "Symbol MT").
    if (f == "symbol" || f.starts_with("symbol ") || f.ends_with(" symbol"))
        return SymbolTable::Symbol;
    return SymbolTable::PrivateUse;
}

char32_t symbolCharacter(SymbolTable table, uint8_t code)
{
    char32_t c = 0;
    if (table == SymbolTable::Symbol) {
        if (code >= 0x20 && code < 0x80)
            c = kSymbolLow[code - 0x20];
        else if (code >= 0xA0)
            c = kSymbolHigh[code - 0xA0];
    } else if (table == SymbolTable::Wingdings && code >= 0x20) {
        c = kWingdings[code - 0x20];
    }
    if (code < 0x20)
        return code;
    return c != 0 ? c : 0xF000u + code;
}

std::u16string decodeFontText(int cs, std::string_view face, const uint8_t* data, size_t size)
{
    std::u16string out;
    if (size == 0)
        return out;
    out.reserve(size);
    if (cs == charset::Symbol) {
        const SymbolTable table = symbolTableOf(face);
        for (size_t i = 0; i < size; ++i)
            appendUtf16(out, symbolCharacter(table, data[i]));
        return out;
    }
    iconv_t cd = descriptor(codePageOfCharset(cs));
    if (cd == kInvalid) {
        for (size_t i = 0; i < size; ++i)
            out.push_back(data[i]);
        return out;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(reinterpret_cast<const char*>(data));
    size_t inLeft = size;
    std::array<char16_t, 256> buffer;
    auto flush = [&](char* outPtr) {
        out.append(buffer.data(), static_cast<size_t>(reinterpret_cast<char16_t*>(outPtr) - buffer.data()));
    };
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(buffer.data());
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        flush(outPtr);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            // A byte that starts no character, or a lead byte without its trail at the end.
            out.push_back(0xFFFD);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    // Converters that combine characters hold the last one back until flushed.
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    flush(outPtr);
    return out;
}

size_t firstCharacterBytes(int cs, const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t b = data[0];
    bool lead = false;
    switch (codePageOfCharset(cs)) {
    case 932:
        lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        break;
    case 936:
    case 949:
    case 950:
        lead = b >= 0x81 && b <= 0xFE;
        break;
    case 1361:
        lead = (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
        break;
    default:
        break;
    }
    return lead && size >= 2 ? 2 : 1;
}

std::u16string mapSymbolText(std::string_view face, std::u16string_view text)
{
    const SymbolTable table = symbolTableOf(face);
    std::u16string out;
    out.reserve(text.size());
    for (const char16_t c : text) {
        if (c < 0x100 || (c >= 0xF000 && c <= 0xF0FF))
            appendUtf16(out, symbolCharacter(table, static_cast<uint8_t>(c & 0xFF)));
        else
            out.push_back(c);
    }
    return out;
}

}  // namespace vr
