#include "cli/terminal_messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <iostream>

namespace vr {

PrefixedLines::int_type PrefixedLines::overflow(int_type ch)
{
    if (traits_type::eq_int_type(ch, traits_type::eof()))
        return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    if (lineStart_ && c != '\n' && c != '\r') {
        if (target_->sputn(prefix_.data(), static_cast<std::streamsize>(prefix_.size())) !=
            static_cast<std::streamsize>(prefix_.size()))
            return traits_type::eof();
        lineStart_ = false;
    }
    if (c == '\n' || c == '\r')
        lineStart_ = true;
    return target_->sputc(c);
}

PrefixedStream::PrefixedStream(std::ostream& stream, const std::string& prefix)
    : stream_(stream), original_(stream.rdbuf()), lines_(original_, prefix), raw_(original_)
{
    stream_.rdbuf(&lines_);
}

PrefixedStream::~PrefixedStream()
{
    stream_.flush();
    stream_.rdbuf(original_);
}

namespace {

bool gVerbose = false;

void filterQtMessage(QtMsgType type, const QMessageLogContext& ctx, const QString& message)
{
    if (type == QtFatalMsg && message.contains(QLatin1String("no Qt platform plugin could be initialized"))) {
        std::cerr << "cannot open the window: no display could be reached";
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            std::cerr << " (DISPLAY=" << qgetenv("DISPLAY").constData() << ')';
        std::cerr << "; render, print, thumbnail, dump and trace work without one" << std::endl;
        std::_Exit(1);
    }
    if (gVerbose || type == QtFatalMsg)
        std::cerr << qPrintable(qFormatLogMessage(type, ctx, message)) << std::endl;
}

}  // namespace

void installQtMessageFilter(bool verbose)
{
    gVerbose = verbose;
    qInstallMessageHandler(filterQtMessage);
}

}  // namespace vr
