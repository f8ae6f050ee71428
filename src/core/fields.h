// Record fields of the document files: counted strings, strict integers, codes and byte values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vr {

// A counted string of N characters occupies N + 1 bytes: a length byte, then N character bytes
// of which only the first (length) count. A length byte above N would reach into the next field;
// the reader takes at most the N bytes the field has.
std::string countedText(const uint8_t* field, size_t maxChars);

// Strict decimal conversion: optional leading blanks, optional sign, one or more digits, nothing
// after them; the value must fit 32 bits. Anything else throws ConvertError with the text.
int32_t strictToInt(std::string_view text);

// A numeric field: countedText then strictToInt.
int32_t numericField(const uint8_t* field, size_t maxChars);

// A code field matches a code only when the length byte and the counted characters are equal.
// Returns the index of the first matching code, or -1 (the field then keeps its default).
int codeIndex(const uint8_t* field, size_t maxChars, std::initializer_list<std::string_view> codes);

// A value kept in an 8-bit field keeps its low 8 bits.
inline uint8_t lowByte(int32_t v)
{
    return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFFu);
}

// Little-endian signed 16-bit value.
inline int16_t le16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

}  // namespace vr
