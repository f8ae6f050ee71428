// A small JSON writer that keeps keys in the order they are written (the dump lists fields in
// record order). Strings are taken as UTF-8; document bytes are written as arrays of numbers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vr {

// Appends a string as a quoted JSON string. Well-formed UTF-8 is kept; any other byte is taken as
// the Latin-1 character of that code (file names and document text are not always UTF-8), so the
// output is valid JSON whatever the bytes.
void appendJsonString(std::string& out, std::string_view s);

class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(const std::string& k);

    void value(const std::string& s);
    void value(const char* s) { value(std::string(s)); }
    void value(int64_t v);
    void value(int32_t v) { value(static_cast<int64_t>(v)); }
    void value(uint32_t v) { value(static_cast<int64_t>(v)); }
    void value(double v);
    void value(bool b);
    void null();
    void bytes(const std::string& raw);  // array of byte values

    template <typename T> void field(const std::string& k, const T& v)
    {
        key(k);
        value(v);
    }

    const std::string& str() const { return out_; }

private:
    void separate();
    void writeString(const std::string& s);
    void indent();
    std::string out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

}  // namespace vr
