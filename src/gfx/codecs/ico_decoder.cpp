// Icon files: a directory of images, each a DIB with its AND mask or a PNG stream. The largest
// image is shown, the deepest of equal size; sizes come from the images themselves, since
// directories often disagree with them.
#include <algorithm>

#include "gfx/codecs/codecs.h"

namespace vr {
namespace {

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
        (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t be32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
        (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint64_t kMaxPngPixels = uint64_t{1} << 26;

struct Entry {
    const uint8_t* data;
    size_t size;
    bool png;
    uint64_t area;
    int depth;
};

bool isPng(const uint8_t* p, size_t n)
{
    return n >= 33 && std::equal(kPngSignature, kPngSignature + 8, p);
}

// Size and depth as the image itself states them; false when the header is not there.
bool describe(Entry& e)
{
    if (e.png) {
        // IHDR: width, height, bit depth, colour type.
        static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
        const uint64_t w = be32(e.data + 16), h = be32(e.data + 20);
        const int type = e.data[25];
        e.area = w * h;
        e.depth = e.data[24] * (type <= 6 ? channels[type] : 0);
        return w > 0 && h > 0 && e.area <= kMaxPngPixels;
    }
    if (e.size < 16)
        return false;
    const uint32_t header = le32(e.data);
    if (header == 12) {
        e.area = uint64_t(le16(e.data + 4)) * (le16(e.data + 6) / 2);
        e.depth = le16(e.data + 10);
    } else {
        const int64_t w = static_cast<int32_t>(le32(e.data + 4)), h = static_cast<int32_t>(le32(e.data + 8));
        if (w <= 0 || h <= 0)
            return false;
        e.area = uint64_t(w) * uint64_t(h / 2);
        e.depth = le16(e.data + 14);
    }
    return e.area > 0;
}

QImage decodeEntry(const Entry& e)
{
    if (!e.png)
        return detail::decodeIconDib(e.data, e.size);
    QImage im = QImage::fromData(e.data, static_cast<int>(std::min<size_t>(e.size, 0x7FFFFFFF)), "PNG");
    if (im.isNull())
        throw GraphicError("Icon image is not valid");
    return im.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

QImage decodeIco(const uint8_t* data, size_t size)
{
    if (size < 6 || le16(data) != 0 || (le16(data + 2) != 1 && le16(data + 2) != 2))
        throw GraphicError("Not an icon file");
    const size_t count = le16(data + 4);
    if (count == 0 || 6 + count * 16 > size)
        throw GraphicError("Icon directory is not valid");
    std::vector<Entry> entries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* d = data + 6 + i * 16;
        const uint32_t length = le32(d + 8), offset = le32(d + 12);
        if (offset >= size || offset < 6 + count * 16)
            continue;
        // A stated length running past the file is cut to what the file holds.
        Entry e{data + offset, std::min<size_t>(length, size - offset), false, 0, 0};
        e.png = isPng(e.data, e.size);
        if (describe(e))
            entries.push_back(e);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.area != b.area ? a.area > b.area : a.depth > b.depth;
    });
    for (const Entry& e : entries) {
        try {
            return decodeEntry(e);
        } catch (const GraphicError&) {
            // The next best image may still be good.
        }
    }
    throw GraphicError("Icon has no valid image");
}

}  // namespace vr
