#include "core/fields.h"

#include <limits>

#include "core/errors.h"

namespace vr {

std::string countedText(const uint8_t* field, size_t maxChars)
{
    size_t len = field[0];
    if (len > maxChars)
        len = maxChars;
    return std::string(reinterpret_cast<const char*>(field + 1), len);
}

int32_t strictToInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        throw ConvertError(std::string(text));
    int64_t value = 0;
    const int64_t limit =
        negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min()) : std::numeric_limits<int32_t>::max();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throw ConvertError(std::string(text));
        value = value * 10 + (c - '0');
        if (value > limit)
            throw ConvertError(std::string(text));
    }
    return static_cast<int32_t>(negative ? -value : value);
}

int32_t numericField(const uint8_t* field, size_t maxChars)
{
    return strictToInt(countedText(field, maxChars));
}

int codeIndex(const uint8_t* field, size_t maxChars, std::initializer_list<std::string_view> codes)
{
    if (field[0] > maxChars)
        return -1;
    const std::string_view text(reinterpret_cast<const char*>(field + 1), field[0]);
    int index = 0;
    for (std::string_view code : codes) {
        if (code == text)
            return index;
        ++index;
    }
    return -1;
}

}  // namespace vr
