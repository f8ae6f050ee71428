// Splits RTF bytes into groups, control words, control symbols, hex bytes and runs of text.
// Never reads past the bytes it was given; every call moves forward or reports the end.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vr::rtf {

struct Token {
    enum Type : uint8_t { End, GroupOpen, GroupClose, Word, Symbol, Hex, Text };
    Type type = End;
    std::string_view word;  // Word: the letters (at most 32); Text: the bytes
    int32_t param = 0;  // Word: the parameter, clamped to 32 bits; Hex: the byte; Symbol: the character
    bool hasParam = false;
};

class Tokenizer {
public:
    Tokenizer(const uint8_t* data, size_t size) : p_(data), end_(data + size) { }

    Token next();
    // The bytes of \binN: at most n, never more than are left.
    std::string_view binary(int64_t n);
    // Text bytes of a double-byte code page: a lead byte takes the next byte with it whatever it is.
    void setLeadCodePage(int codePage) { leadCodePage_ = codePage; }
    size_t remaining() const { return static_cast<size_t>(end_ - p_); }

private:
    static constexpr size_t kMaxWord = 32;
    const uint8_t* p_;
    const uint8_t* end_;
    int leadCodePage_ = 0;
};

}  // namespace vr::rtf
