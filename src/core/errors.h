// Errors carry the reader's own message text; they travel up to the standard error report.
#pragma once
#include <stdexcept>
#include <string>

namespace vr {

class VError : public std::runtime_error {
public:
    explicit VError(const std::string& message) : std::runtime_error(message) { }
};

// "Erreur de lecture du flux": an exact read ran past the end of the stream.
class ReadError : public VError {
public:
    ReadError();
};

// "Impossible d'ouvrir le fichier %s".
class OpenError : public VError {
public:
    explicit OpenError(const std::string& fileName);
};

// "'%s' n'est pas une valeur entière correcte".
class ConvertError : public VError {
public:
    explicit ConvertError(const std::string& text);
};

// Bytes of the documents are 8-bit codes; messages are UTF-8. Each byte is taken as Latin-1.
std::string latin1ToUtf8(const std::string& bytes);

}  // namespace vr
