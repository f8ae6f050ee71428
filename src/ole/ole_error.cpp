#include "ole/ole_error.h"

#include <cstdio>
#include <string>

namespace vr::ole {
namespace {

std::string oleMessage(uint32_t code)
{
    char text[32];
    std::snprintf(text, sizeof text, "Erreur OLE %.8x", static_cast<unsigned>(code));
    return text;
}

}  // namespace

OleError::OleError(uint32_t code) : VError(oleMessage(code)), code_(code) { }

StreamFormatError::StreamFormatError() : VError("Format de flux incorrect") { }

}  // namespace vr::ole
