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

void Diagnostics::clear()
{
    list_.clear();
    overflowed_ = false;
}

}  // namespace vr
