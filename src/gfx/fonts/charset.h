// The character sets of other programs' logical fonts: 8-bit and double-byte text decoded by the
// font's charset byte (through the C library's iconv, as Qt 6 carries none of these code pages),
// and the codes of symbol fonts mapped to the Unicode characters their glyphs show.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr {

// Charset bytes of a logical font.
namespace charset {
inline constexpr int Ansi = 0;
inline constexpr int Default = 1;
inline constexpr int Symbol = 2;
inline constexpr int ShiftJis = 128;
inline constexpr int Oem = 255;
}  // namespace charset

// The code page of a font's charset: 437 for OEM, 1252 for the ANSI and default charsets and any
// unknown one, 0 for the symbol charset (its codes are not characters of any code page).
int fontCodePage(int charset);

// Which public table turns a symbol font's codes into characters: the Symbol table for Symbol and
// its look-alikes, the Wingdings table for Wingdings; other symbol fonts keep their codes in the
// private-use range (U+F000 + code), where a face made for them has its glyphs.
enum class SymbolTable { PrivateUse, Symbol, Wingdings };
SymbolTable symbolTableOf(std::string_view face);
char32_t symbolCharacter(SymbolTable table, uint8_t code);

// Bytes of text in a font of the given charset and face, as UTF-16. Double-byte code pages read a
// lead byte and its trail byte together; bytes that form no character become U+FFFD.
std::u16string decodeFontText(int charset, std::string_view face, const uint8_t* data, size_t size);
// UTF-16 text of a symbol-charset font: codes written as U+F0xx or U+00xx go through the face's
// table; other characters stay.
std::u16string mapSymbolText(std::string_view face, std::u16string_view text);

// How many bytes the first character of a text in that charset takes: 2 for the lead byte of a
// double-byte code page followed by its trail, else 1 (0 for no bytes).
size_t firstCharacterBytes(int charset, const uint8_t* data, size_t size);

// Appends a code point as UTF-16.
void appendUtf16(std::u16string& out, char32_t c);

}  // namespace vr
