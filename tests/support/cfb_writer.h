// Test-only writer of embedded objects: compound files written with libgsf's writer, the
// presentation streams the platform's cache keeps in them, and the container stream around them.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/doc_writer.h"

namespace vrtest {

using ClassIdBytes = std::array<uint8_t, 16>;

// One stream (or an empty storage) of a compound file. Slashes in the path name the storages
// above it, which are made as needed.
struct CfbEntry {
    std::string path;
    Bytes bytes;
    bool storage = false;
    ClassIdBytes classId{};  // for a storage
};

// A compound file holding the entries, 512-byte sectors unless `sectorSize` is 4096.
Bytes compoundFile(const std::vector<CfbEntry>& entries, const ClassIdBytes& rootClass = {}, unsigned sectorSize = 512);

// A presentation stream: a standard clipboard format, no target device, the aspect, index -1,
// advise flags 0, the extents (0.01 mm), the data's size (written as `sizeField` when given) and
// the data.
Bytes presentationStream(uint32_t clipFormat, uint32_t aspect, int32_t extentX, int32_t extentY, const Bytes& data,
                         int64_t sizeField = -1);

// The container's saved stream: "BDOC", the draw aspect, the storage's size and the storage.
Bytes containerStream(uint32_t aspect, const Bytes& storage);

// A metafile without placeable header: window (0, 0) to (w, h) unless w or h is 0, then the
// records given, each as its function number and parameters (16-bit words).
Bytes plainWmf(int w, int h, const std::vector<std::vector<uint16_t>>& records);
// A metafile whose window is w x h units and whose one record fills it with a solid brush of
// `color` (0x00BBGGRR), no outline.
Bytes filledWmf(int w, int h, uint32_t color);
// A device-independent bitmap: 24-bit, bottom-up, w x h pixels of `color`.
Bytes dib(int w, int h, uint32_t color);

// Class identifiers: the static picture classes and a worksheet's.
ClassIdBytes staticMetafileClass();
ClassIdBytes staticDibClass();
ClassIdBytes worksheetClass();  // {00020820-0000-0000-C000-000000000046}

}  // namespace vrtest
