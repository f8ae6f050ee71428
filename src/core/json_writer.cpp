#include "core/json_writer.h"

#include <cmath>
#include <cstdio>

namespace vr {

void JsonWriter::indent()
{
    out_ += '\n';
    out_.append(first_.size() * 2, ' ');
}

void JsonWriter::separate()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
        indent();
    }
}

void JsonWriter::beginObject()
{
    separate();
    out_ += '{';
    first_.push_back(true);
}

void JsonWriter::endObject()
{
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty)
        indent();
    out_ += '}';
    if (first_.empty())
        out_ += '\n';
}

void JsonWriter::beginArray()
{
    separate();
    out_ += '[';
    first_.push_back(true);
}

void JsonWriter::endArray()
{
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty)
        indent();
    out_ += ']';
}

void JsonWriter::key(const std::string& k)
{
    separate();
    writeString(k);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::value(const std::string& s)
{
    separate();
    writeString(s);
}

void JsonWriter::writeString(const std::string& s)
{
    appendJsonString(out_, s);
}

void appendJsonString(std::string& out, std::string_view s)
{
    out += '"';
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        // The length of a well-formed UTF-8 sequence starting here, 0 when there is none.
        size_t len = 0;
        if (c >= 0xC2 && c <= 0xDF)
            len = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4;
        if (c >= 0x80) {
            bool ok = len > 0 && i + len <= s.size();
            for (size_t j = 1; ok && j < len; ++j)
                ok = (static_cast<unsigned char>(s[i + j]) & 0xC0) == 0x80;
            if (ok) {
                out.append(s.substr(i, len));
                i += len - 1;
            } else {
                out += static_cast<char>(0xC0 | (c >> 6));  // the Latin-1 character, in UTF-8
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void JsonWriter::value(int64_t v)
{
    separate();
    out_ += std::to_string(v);
}

void JsonWriter::value(double v)
{
    separate();
    if (!std::isfinite(v)) {
        out_ += "null";
        return;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    out_ += buf;
}

void JsonWriter::value(bool b)
{
    separate();
    out_ += b ? "true" : "false";
}

void JsonWriter::null()
{
    separate();
    out_ += "null";
}

void JsonWriter::bytes(const std::string& raw)
{
    separate();
    out_ += '[';
    bool first = true;
    for (unsigned char c : raw) {
        if (!first)
            out_ += ", ";
        first = false;
        out_ += std::to_string(c);
    }
    out_ += ']';
}

}  // namespace vr
