// Damage the reader recovers from: a picture that cannot be decoded, a text page skipped, a
// metafile record left out. Nothing of it stops a document, so none of it may be silent either:
// readers and painters report it here, and the command line's dump and --verbose show it. The
// window keeps to its own messages.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vr {

struct Diagnostic {
    std::string what;
    int page = 0;  // the page's position in the document, from 1; 0 when not on a page
    int object = -1;  // the object's index on its page, from 0; -1 when not in an object
    int64_t offset = -1;  // byte offset in the file where the damage was seen; -1 when unknown
    bool operator==(const Diagnostic&) const = default;
};

class Diagnostics {
public:
    // Where the reader stands; a report without a place of its own takes this one.
    int page = 0;
    int object = -1;

    void warn(std::string what, int64_t offset = -1);
    const std::vector<Diagnostic>& list() const { return list_; }
    void clear();

    // Called with each warning as it comes (the command line's --verbose).
    std::function<void(const Diagnostic&)> onWarning;

    // At most this many warnings are kept (and one saying so): a damaged file must not fill
    // memory with reports.
    static constexpr size_t kMaxKept = 1000;

private:
    std::vector<Diagnostic> list_;
    bool overflowed_ = false;
};

// One line for people: "warning: page 2, object 0, byte 1234: what".
std::string describe(const Diagnostic& d);

// Reports through `d` when there is one (readers and painters may run without a sink).
inline void warnTo(Diagnostics* d, std::string what, int64_t offset = -1)
{
    if (d)
        d->warn(std::move(what), offset);
}

// Sets the place of reports for a scope and restores the previous one after it.
class DiagnosticPlace {
public:
    DiagnosticPlace(Diagnostics* d, int page, int object) : d_(d)
    {
        if (d_) {
            savedPage_ = d_->page;
            savedObject_ = d_->object;
            d_->page = page;
            d_->object = object;
        }
    }
    ~DiagnosticPlace()
    {
        if (d_) {
            d_->page = savedPage_;
            d_->object = savedObject_;
        }
    }
    DiagnosticPlace(const DiagnosticPlace&) = delete;
    DiagnosticPlace& operator=(const DiagnosticPlace&) = delete;

private:
    Diagnostics* d_;
    int savedPage_ = 0, savedObject_ = -1;
};

}  // namespace vr
