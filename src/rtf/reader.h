// The RTF reader: bytes to the document model. What rich-edit controls and word processors of the
// 1990s and 2000s wrote is understood; what is not (lists, fields' instructions, headers, shapes,
// embedded objects' data) is skipped and leaves its displayed result. Malformed input never stops
// the reader: it keeps the text it could read.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/errors.h"
#include "rtf/model.h"

namespace vr::rtf {

// Bounds of what the reader keeps; beyond them content is dropped, never read further.
struct ReadLimits {
    int maxDepth = 200;  // group nesting; deeper groups are skipped whole
    int maxFonts = 4096;
    int maxColors = 4096;
    int maxStyles = 4096;
    int maxCellsPerRow = 63;
    int maxRows = 32767;  // rows of one table
    size_t maxPictureBytes = 32u << 20;
    int maxPictures = 4096;
    int maxPictureTwips = 31680;  // 22 inches, each way
};

// Whether bytes are rich text at all: they start with "{\rtf".
bool isRtf(const uint8_t* data, size_t size);

// Reads rich text; throws NotRtfError when the bytes do not start as rich text.
Document readRtf(const uint8_t* data, size_t size, const ReadLimits& limits = {});

// Plain text in a code page as a document: one paragraph per line (CR LF, CR or LF), tabs kept.
Document readPlainText(const uint8_t* data, size_t size, int codePage);

class NotRtfError : public VError {
public:
    NotRtfError() : VError("Not rich text") { }
};

}  // namespace vr::rtf
