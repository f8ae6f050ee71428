#include "core/errors.h"

#include <algorithm>

namespace vr {

std::string latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

ReadError::ReadError() : VError("Erreur de lecture du flux") { }

OpenError::OpenError(const std::string& fileName)
    : VError(std::string("Impossible d'ouvrir le fichier ").append(fileName))
{
}

namespace {

// A zero byte would end the message where the platform shows it; the text leaves it out.
std::string withoutZeros(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
    return s;
}

std::string convertMessage(const std::string& text)
{
    std::string message = "'";
    message.append(latin1ToUtf8(withoutZeros(text)));
    message.append("' n'est pas une valeur enti\xC3\xA8re correcte");
    return message;
}

}  // namespace

ConvertError::ConvertError(const std::string& text) : VError(convertMessage(text)) { }

}  // namespace vr
