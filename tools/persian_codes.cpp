#include "persian_codes.h"

#include <algorithm>
#include <optional>

namespace samples {

namespace {

struct Letter {
    char32_t letter;
    char32_t isolated;  // the presentation forms follow it: final, initial, medial
    bool dualJoining;
};

constexpr Letter kLetters[] = {
    {U'\u0627', 0xFE8D, false}, {U'\u0622', 0xFE81, false}, {U'\u0628', 0xFE8F, true},  {U'\u067E', 0xFB56, true},
    {U'\u062A', 0xFE95, true},  {U'\u062B', 0xFE99, true},  {U'\u062C', 0xFE9D, true},  {U'\u0686', 0xFB7A, true},
    {U'\u062D', 0xFEA1, true},  {U'\u062E', 0xFEA5, true},  {U'\u062F', 0xFEA9, false}, {U'\u0630', 0xFEAB, false},
    {U'\u0631', 0xFEAD, false}, {U'\u0632', 0xFEAF, false}, {U'\u0698', 0xFB8A, false}, {U'\u0633', 0xFEB1, true},
    {U'\u0634', 0xFEB5, true},  {U'\u0635', 0xFEB9, true},  {U'\u0636', 0xFEBD, true},  {U'\u0637', 0xFEC1, true},
    {U'\u0638', 0xFEC5, true},  {U'\u0639', 0xFEC9, true},  {U'\u063A', 0xFECD, true},  {U'\u0641', 0xFED1, true},
    {U'\u0642', 0xFED5, true},  {U'\u06A9', 0xFB8E, true},  {U'\u06AF', 0xFB92, true},  {U'\u0644', 0xFEDD, true},
    {U'\u0645', 0xFEE1, true},  {U'\u0646', 0xFEE5, true},  {U'\u0648', 0xFEED, false}, {U'\u0647', 0xFEE9, true},
    {U'\u06CC', 0xFBFC, true},
};
constexpr uint8_t kFirstDigit = 0xF4;
constexpr uint8_t kLamAlef = 0xFE;  // isolated; final is the next code
constexpr char32_t kLam = U'\u0644', kAlef = U'\u0627', kZwnj = U'\u200C';

// The first code of each letter, in table order.
struct Placed {
    const Letter* letter;
    uint8_t code;
};

std::vector<Placed> placedLetters()
{
    std::vector<Placed> out;
    int code = 0x80;
    for (const Letter& l : kLetters) {
        out.push_back({&l, static_cast<uint8_t>(code)});
        code += l.dualJoining ? 4 : 2;
    }
    return out;
}

std::optional<Placed> find(char32_t c)
{
    static const std::vector<Placed> placed = placedLetters();
    for (const Placed& p : placed)
        if (p.letter->letter == c)
            return p;
    return std::nullopt;
}

}  // namespace

std::vector<std::pair<uint8_t, char32_t>> persianCodeTable()
{
    std::vector<std::pair<uint8_t, char32_t>> table;
    for (const Placed& p : placedLetters())
        for (int form = 0; form < (p.letter->dualJoining ? 4 : 2); ++form)
            table.emplace_back(static_cast<uint8_t>(p.code + form), p.letter->isolated + form);
    for (int d = 0; d < 10; ++d)
        table.emplace_back(static_cast<uint8_t>(kFirstDigit + d), U'\u06F0' + d);
    table.emplace_back(kLamAlef, 0xFEFB);
    table.emplace_back(kLamAlef + 1, 0xFEFC);
    return table;
}

std::string persianCodes(const std::u32string& text)
{
    std::string out;
    // Whether the character before the current one joins towards it.
    bool previousJoins = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        const auto letter = find(c);
        if (!letter) {
            previousJoins = false;
            if (c >= U'\u06F0' && c <= U'\u06F9')
                out += static_cast<char>(kFirstDigit + (c - U'\u06F0'));
            else if (c < 0x80)
                out += static_cast<char>(c);
            continue;
        }
        if (c == kLam && i + 1 < text.size() && text[i + 1] == kAlef) {
            out += static_cast<char>(previousJoins ? kLamAlef + 1 : kLamAlef);
            previousJoins = false;  // the ligature ends with alef, which joins nothing after it
            ++i;
            continue;
        }
        const bool nextIsLetter = i + 1 < text.size() && find(text[i + 1]).has_value();
        const bool joinsNext = letter->letter->dualJoining && nextIsLetter;
        // Forms: 0 isolated, 1 final, 2 initial, 3 medial.
        const int form = previousJoins ? (joinsNext ? 3 : 1) : (joinsNext ? 2 : 0);
        out += static_cast<char>(letter->code + form);
        previousJoins = joinsNext;
    }
    // Drawing order is the reverse of reading order, except inside a number, whose digits read
    // left to right.
    std::reverse(out.begin(), out.end());
    for (size_t i = 0; i < out.size();) {
        const auto isDigit = [](char c) {
            const auto b = static_cast<uint8_t>(c);
            return (b >= kFirstDigit && b < kFirstDigit + 10) || (c >= '0' && c <= '9');
        };
        size_t j = i;
        while (j < out.size() && isDigit(out[j]))
            ++j;
        std::reverse(out.begin() + static_cast<long>(i), out.begin() + static_cast<long>(j));
        i = j == i ? i + 1 : j;
    }
    return out;
}

}  // namespace samples
