// Font text through the code page of its charset (a decoder per thread, its descriptors opened
// once), symbol fonts through their tables.
#include "gfx/fonts/charset.h"

#include <array>
#include <cctype>

#include "core/code_page.h"

namespace vr {
namespace {

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

int fontCodePage(int cs)
{
    if (cs == charset::Symbol)
        return 0;
    if (cs == charset::Oem)
        return 437;
    const int cp = vr::codePageOfCharset(cs);
    return cp != 0 ? cp : 1252;
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
        c = symbolFontCharacter(code);
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
    thread_local CodePageDecoder decoder;
    decoder.decode(fontCodePage(cs), data, size, out);
    return out;
}

size_t firstCharacterBytes(int cs, const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool lead = isLeadByte(fontCodePage(cs), data[0]);
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
