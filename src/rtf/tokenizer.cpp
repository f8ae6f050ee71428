#include "rtf/tokenizer.h"

#include "rtf/codepage.h"

namespace vr::rtf {
namespace {

bool isLetter(uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(uint8_t c)
{
    return c >= '0' && c <= '9';
}
int hexValue(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

Token Tokenizer::next()
{
    Token t;
    while (p_ < end_) {
        const uint8_t c = *p_;
        if (c == '\r' || c == '\n') {  // line ends of the file are not text
            ++p_;
            continue;
        }
        if (c == '{') {
            ++p_;
            t.type = Token::GroupOpen;
            return t;
        }
        if (c == '}') {
            ++p_;
            t.type = Token::GroupClose;
            return t;
        }
        if (c == '\\') {
            ++p_;
            if (p_ == end_)
                return t;
            const uint8_t d = *p_;
            if (isLetter(d)) {
                const uint8_t* start = p_;
                while (p_ < end_ && isLetter(*p_))
                    ++p_;
                t.type = Token::Word;
                t.word = std::string_view(reinterpret_cast<const char*>(start),
                                          std::min<size_t>(static_cast<size_t>(p_ - start), kMaxWord));
                bool negative = false;
                if (p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1])) {
                    negative = true;
                    ++p_;
                }
                if (p_ < end_ && isDigit(*p_)) {
                    int64_t v = 0;
                    while (p_ < end_ && isDigit(*p_)) {
                        if (v < 10'000'000'000LL)
                            v = v * 10 + (*p_ - '0');
                        ++p_;
                    }
                    if (negative)
                        v = -v;
                    t.hasParam = true;
                    t.param = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
                }
                if (p_ < end_ && *p_ == ' ')
                    ++p_;
                return t;
            }
            ++p_;
            if (d == '\'') {
                int v = 0, digits = 0;
                while (digits < 2 && p_ < end_ && hexValue(*p_) >= 0) {
                    v = v * 16 + hexValue(*p_);
                    ++p_;
                    ++digits;
                }
                if (digits == 0)
                    continue;  // a lone \' stands for nothing
                t.type = Token::Hex;
                t.param = v;
                return t;
            }
            if (d == '\r' || d == '\n') {  // a backslash before a line end is a paragraph mark
                t.type = Token::Word;
                t.word = "par";
                return t;
            }
            t.type = Token::Symbol;
            t.param = d;
            return t;
        }
        // A run of text up to the next special byte.
        const uint8_t* start = p_;
        while (p_ < end_) {
            const uint8_t b = *p_;
            if (b == '\\' || b == '{' || b == '}' || b == '\r' || b == '\n')
                break;
            if (leadCodePage_ != 0 && isLeadByte(leadCodePage_, b) && p_ + 1 < end_) {
                p_ += 2;
                continue;
            }
            ++p_;
        }
        t.type = Token::Text;
        t.word = std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start));
        return t;
    }
    return t;
}

std::string_view Tokenizer::binary(int64_t n)
{
    if (n <= 0)
        return {};
    const size_t take = std::min<size_t>(static_cast<size_t>(n), remaining());
    std::string_view v(reinterpret_cast<const char*>(p_), take);
    p_ += take;
    return v;
}

}  // namespace vr::rtf
