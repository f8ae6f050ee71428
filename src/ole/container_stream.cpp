#include "ole/container_stream.h"

#include "core/errors.h"
#include "ole/ole_error.h"

namespace vr::ole {
namespace {

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
        (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

ContainerStream parseContainerStream(const uint8_t* data, size_t size)
{
    // The container reads its fields one after the other: the signature is judged before the
    // rest is needed.
    if (size < 4)
        throw ReadError();
    ContainerStream c;
    c.signature = le32(data);
    if (c.signature != kContainerSignature)
        throw StreamFormatError();
    if (size < kContainerHeaderSize)
        throw ReadError();
    c.drawAspect = le32(data + 4);
    c.storageSize = le32(data + 8);
    // The storage is copied only when all of it is there: no buffer of D bytes beyond the stream.
    if (c.storageSize > size - kContainerHeaderSize)
        throw ReadError();
    c.storage = data + kContainerHeaderSize;
    return c;
}

}  // namespace vr::ole
