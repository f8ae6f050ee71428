// The OLE container's saved-object stream: the signature "BDOC", the draw aspect, the storage's
// byte count D and the D bytes of the compound file that holds the object.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vr::ole {

inline constexpr uint32_t kContainerSignature = 0x434F4442u;  // "BDOC" read as a little-endian value
inline constexpr size_t kContainerHeaderSize = 12;

// Draw aspects of an object.
inline constexpr uint32_t kAspectContent = 1;
inline constexpr uint32_t kAspectThumbnail = 2;
inline constexpr uint32_t kAspectIcon = 4;
inline constexpr uint32_t kAspectDocPrint = 8;

struct ContainerStream {
    uint32_t signature = 0;
    uint32_t drawAspect = 0;
    uint32_t storageSize = 0;  // D as stored
    const uint8_t* storage = nullptr;  // the D bytes, inside the parsed buffer
};

// Reads the header and finds the storage bytes. Another signature throws StreamFormatError
// ("Format de flux incorrect"); a stream that ends before its header or its D bytes end throws
// ReadError ("Erreur de lecture du flux"), the container's exact read. Bytes after the storage
// are not read.
ContainerStream parseContainerStream(const uint8_t* data, size_t size);

}  // namespace vr::ole
