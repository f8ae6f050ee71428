#include "core/diagnostics.h"

namespace vr {

void Diagnostics::warn(std::string what, int64_t offset)
{
    Diagnostic d{std::move(what), page, object, offset};
    if (onWarning)
        onWarning(d);
    if (list_.size() < kMaxKept)
        list_.push_back(std::move(d));
    else if (!overflowed_) {
        list_.push_back(Diagnostic{"further warnings left out", 0, -1, -1});
        overflowed_ = true;
    }
}

std::string describe(const Diagnostic& d)
{
    std::string place;
    const auto add = [&place](const std::string& part) { place += (place.empty() ? " " : ", ") + part; };
    if (d.page > 0)
        add("page " + std::to_string(d.page));
    if (d.object >= 0)
        add("object " + std::to_string(d.object));
    if (d.offset >= 0)
        add("byte " + std::to_string(d.offset));
    return "warning:" + place + (place.empty() ? " " : ": ") + d.what;
}

void Diagnostics::clear()
{
    list_.clear();
    overflowed_ = false;
}

}  // namespace vr
