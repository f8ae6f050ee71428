// What a run says on the terminal: every line on standard error starts with the program's name,
// and the graphics system's own messages stay quiet unless asked for.
#pragma once
#include <ostream>
#include <streambuf>
#include <string>

namespace vr {

// A stream buffer that writes `prefix` before each line of what goes through it (a carriage
// return, as a progress line writes it, starts a line too).
class PrefixedLines : public std::streambuf {
public:
    PrefixedLines(std::streambuf* target, std::string prefix) : target_(target), prefix_(std::move(prefix)) { }

protected:
    int_type overflow(int_type ch) override;
    int sync() override { return target_->pubsync(); }

private:
    std::streambuf* target_;
    std::string prefix_;
    bool lineStart_ = true;
};

// While it lives, `stream` writes through a PrefixedLines with `prefix`; raw() still reaches the
// stream's own buffer (for the usage text, which is not a message).
class PrefixedStream {
public:
    PrefixedStream(std::ostream& stream, const std::string& prefix);
    ~PrefixedStream();
    PrefixedStream(const PrefixedStream&) = delete;
    PrefixedStream& operator=(const PrefixedStream&) = delete;
    std::ostream& raw() { return raw_; }

private:
    std::ostream& stream_;
    std::streambuf* original_;
    PrefixedLines lines_;
    std::ostream raw_;
};

// Routes Qt's messages: with `verbose` they reach standard error (prefixed), otherwise only fatal
// ones do. A platform that cannot start (no display to open the window on) ends the run with a
// message and status 1 instead of an abort.
void installQtMessageFilter(bool verbose);

}  // namespace vr
