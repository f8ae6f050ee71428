// Failures of an embedded object's storage, reported as the container reported them: "Erreur OLE"
// and the result code of the storage functions in eight hexadecimal digits.
#pragma once
#include <cstdint>

#include "core/errors.h"

namespace vr::ole {

// Result codes the platform's storage functions answer, and the case that gives each here:
//   0x80030050 (STG_E_FILEALREADYEXISTS) the bytes are not a compound file at all: shorter than
//              its 8-byte signature, or without it. Opening a storage on such data answers this.
//   0x800300FB (STG_E_INVALIDHEADER) the signature is there but the 512-byte header is cut short
//              or is not one a storage can have (byte order, version and sector sizes that do not
//              go together, mini-stream cut-off other than 4096).
//   0x80030109 (STG_E_DOCFILECORRUPT) the header is sound but the allocation tables, the
//              directory or a stream's chain are damaged, or the streams together claim more
//              bytes than the file holds.
//   0x80030002 (STG_E_FILENOTFOUND) the storage opens but holds none of the streams an object's
//              storage has ("\1Ole", "\1CompObj", a presentation "\2OlePresNNN" or "CONTENTS"):
//              the stream the object loader asks for first is not found.
inline constexpr uint32_t kNotCompoundFile = 0x80030050u;
inline constexpr uint32_t kInvalidHeader = 0x800300FBu;
inline constexpr uint32_t kCorruptFile = 0x80030109u;
inline constexpr uint32_t kStreamNotFound = 0x80030002u;

// "Erreur OLE %.8x" with the result code.
class OleError : public VError {
public:
    explicit OleError(uint32_t code);
    uint32_t code() const { return code_; }

private:
    uint32_t code_;
};

// "Format de flux incorrect": the object's saved stream does not start with its signature.
class StreamFormatError : public VError {
public:
    StreamFormatError();
};

}  // namespace vr::ole
