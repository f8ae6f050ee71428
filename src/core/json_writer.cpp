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
    out_ += '"';
    for (unsigned char c : s) {
        switch (c) {
        case '"':
            out_ += "\\\"";
            break;
        case '\\':
            out_ += "\\\\";
            break;
        case '\n':
            out_ += "\\n";
            break;
        case '\r':
            out_ += "\\r";
            break;
        case '\t':
            out_ += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out_ += buf;
            } else {
                out_ += static_cast<char>(c);
            }
        }
    }
    out_ += '"';
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
