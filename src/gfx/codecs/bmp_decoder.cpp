// BMP files and device-independent bitmaps: the info header (40 bytes, the V2..V5 extensions and
// the OS/2 2.x variants) or the 12-byte core header, 1/4/8/16/24/32 bits per pixel, colour tables,
// BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS, bottom-up and top-down rows.
// Every read is checked against the bytes given; the pixel buffer is allocated only once the
// data is known to describe it.
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "gfx/codecs/codecs.h"

namespace vr {
namespace {

// Largest image an uncompressed bitmap may describe, and the tighter limit for RLE bitmaps
// whose few bytes can claim a large area.
constexpr uint64_t kMaxPixels = uint64_t{1} << 28;
constexpr uint64_t kMaxRlePixels = uint64_t{1} << 26;

enum Compression : uint32_t {
    BiRgb = 0,
    BiRle8 = 1,
    BiRle4 = 2,
    BiBitfields = 3,
    BiJpeg = 4,
    BiPng = 5,
    BiAlphaBitfields = 6
};

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
        (static_cast<uint32_t>(p[3]) << 24);
}

[[noreturn]] void bad(const char* what)
{
    throw GraphicError(std::string("Bitmap image is not valid: ") + what);
}

// One colour channel of a bit-field pixel: where it starts, how wide it is and how to widen it to
// eight bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;  // largest value of the field
    void set(uint32_t m)
    {
        mask = m;
        shift = 0;
        max = 0;
        if (m == 0)
            return;
        while (((m >> shift) & 1) == 0)
            ++shift;
        max = m >> shift;
    }
    uint8_t of(uint32_t px) const
    {
        if (max == 0)
            return 0;
        const uint64_t v = (px & mask) >> shift;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

struct Dib {
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint32_t headerSize = 0;
    int width = 0, height = 0;  // height is the image's, without the icon mask
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = BiRgb;
    std::vector<uint32_t> palette;  // 0xFFRRGGBB
    Channel r, g, b, a;
    size_t bitsOffset = 0;
};

// Reads the headers and the colour table. `fileBitsOffset`, when not 0, is where a BMP file says
// the bits start (relative to the DIB); an icon's height counts its mask rows too.
Dib readHeaders(const uint8_t* data, size_t size, size_t fileBitsOffset, bool icon)
{
    Dib d;
    d.data = data;
    d.size = size;
    if (size < 12)
        bad("header too short");
    d.headerSize = le32(data);
    const bool core = d.headerSize == 12;
    if (!core && (d.headerSize < 16 || d.headerSize > size || d.headerSize > 4096))
        bad("unknown header size");
    int64_t w = 0, h = 0;
    int planes = 0;
    if (core) {
        w = le16(data + 4);
        h = le16(data + 6);
        planes = le16(data + 8);
        d.bpp = le16(data + 10);
    } else {
        // The OS/2 2.x header may stop after any field; what is missing reads as zero.
        std::array<uint8_t, 124> hdr{};
        std::memcpy(hdr.data(), data, std::min<size_t>(d.headerSize, hdr.size()));
        w = static_cast<int32_t>(le32(&hdr[4]));
        h = static_cast<int32_t>(le32(&hdr[8]));
        planes = le16(&hdr[12]);
        d.bpp = le16(&hdr[14]);
        d.compression = le32(&hdr[16]);
        const bool windowsHeader = d.headerSize == 40 || d.headerSize == 52 || d.headerSize == 56 ||
            d.headerSize == 108 || d.headerSize == 124;
        if (!windowsHeader && d.compression >= BiBitfields)
            bad("compression of OS/2 bitmaps");  // Huffman 1D and RLE24 there
        if (d.headerSize >= 52) {
            d.r.set(le32(&hdr[40]));
            d.g.set(le32(&hdr[44]));
            d.b.set(le32(&hdr[48]));
        }
        if (d.headerSize >= 56)
            d.a.set(le32(&hdr[52]));
    }
    if (planes != 1)
        bad("planes");
    if (h < 0) {
        if (core || icon || h == std::numeric_limits<int32_t>::min())
            bad("height");
        d.topDown = true;
        h = -h;
    }
    if (icon)
        h /= 2;
    if (w <= 0 || h <= 0 || w > 0xFFFFFF || h > 0xFFFFFF)
        bad("size");
    d.width = static_cast<int>(w);
    d.height = static_cast<int>(h);

    switch (d.compression) {
    case BiRgb:
        if (d.bpp != 1 && d.bpp != 4 && d.bpp != 8 && d.bpp != 16 && d.bpp != 24 && d.bpp != 32)
            bad("bit count");
        break;
    case BiRle8:
    case BiRle4:
        if (d.bpp != (d.compression == BiRle8 ? 8 : 4))
            bad("bit count of RLE");
        if (d.topDown)
            bad("top-down RLE");
        break;
    case BiBitfields:
    case BiAlphaBitfields:
        if (d.bpp != 16 && d.bpp != 32)
            bad("bit count of bit fields");
        break;
    default:
        bad("compression");
    }
    if (core && d.compression != BiRgb)
        bad("compression");

    size_t pos = d.headerSize;
    // A 40-byte header keeps the channel masks after it.
    if (d.headerSize == 40 && (d.compression == BiBitfields || d.compression == BiAlphaBitfields)) {
        const size_t n = d.compression == BiAlphaBitfields ? 4 : 3;
        if (pos + 4 * n > size)
            bad("bit fields past the end");
        d.r.set(le32(data + pos));
        d.g.set(le32(data + pos + 4));
        d.b.set(le32(data + pos + 8));
        if (n == 4)
            d.a.set(le32(data + pos + 12));
        pos += 4 * n;
    }
    if (d.compression == BiRgb && d.bpp == 16) {
        d.r.set(0x7C00);
        d.g.set(0x03E0);
        d.b.set(0x001F);
    } else if (d.compression == BiRgb && d.bpp == 32) {
        d.r.set(0xFF0000);
        d.g.set(0x00FF00);
        d.b.set(0x0000FF);
    }

    // The colour table: biClrUsed entries (all 2^bpp when 0). Deeper bitmaps may carry one too,
    // which only takes room before the bits.
    const size_t entry = core ? 3 : 4;
    uint64_t count = 0;
    if (!core) {
        std::array<uint8_t, 124> hdr{};
        std::memcpy(hdr.data(), data, std::min<size_t>(d.headerSize, hdr.size()));
        count = le32(&hdr[32]);
    }
    if (count == 0 && d.bpp <= 8)
        count = uint64_t{1} << d.bpp;
    // An OS/2 1.x file may hold a shorter table, ending where its bits begin.
    if (core && fileBitsOffset > pos)
        count = std::min<uint64_t>(count, (fileBitsOffset - pos) / entry);
    if (count > (size - pos) / entry)
        bad("colour table past the end");
    if (d.bpp <= 8) {
        const size_t used = static_cast<size_t>(std::min<uint64_t>(count, uint64_t{1} << d.bpp));
        d.palette.resize(size_t{1} << d.bpp, 0xFF000000u);  // an index past the table is black
        for (size_t i = 0; i < used; ++i) {
            const uint8_t* q = data + pos + i * entry;
            d.palette[i] = 0xFF000000u | (uint32_t{q[2]} << 16) | (uint32_t{q[1]} << 8) | q[0];
        }
    }
    pos += static_cast<size_t>(count) * entry;
    d.bitsOffset = (fileBitsOffset >= d.headerSize && fileBitsOffset < size) ? fileBitsOffset : pos;
    return d;
}

QImage allocate(const Dib& d, uint64_t limit, QImage::Format format)
{
    if (uint64_t(d.width) * uint64_t(d.height) > limit)
        bad("too large");
    QImage im(d.width, d.height, format);
    if (im.isNull())
        bad("out of memory");
    return im;
}

size_t strideOf(int width, int bpp)
{
    return ((size_t(width) * size_t(bpp) + 31) / 32) * 4;
}

void decodeRows(const Dib& d, QImage& im)
{
    const size_t stride = strideOf(d.width, d.bpp);
    const size_t rowBytes = (size_t(d.width) * size_t(d.bpp) + 7) / 8;
    const size_t avail = d.size - d.bitsOffset;
    // The last row may come without its padding.
    if (uint64_t(stride) * uint64_t(d.height - 1) + rowBytes > avail)
        bad("bits past the end");
    for (int row = 0; row < d.height; ++row) {
        const uint8_t* src = d.data + d.bitsOffset + size_t(row) * stride;
        const int y = d.topDown ? row : d.height - 1 - row;
        auto* out = reinterpret_cast<uint32_t*>(im.scanLine(y));
        for (int x = 0; x < d.width; ++x) {
            uint32_t px;
            switch (d.bpp) {
            case 1:
                px = d.palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                px = d.palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                px = d.palette[src[x]];
                break;
            case 24:
                px = 0xFF000000u | (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
                break;
            default: {
                const uint32_t v = d.bpp == 16 ? le16(src + 2 * x) : le32(src + 4 * x);
                px = 0xFF000000u | (uint32_t{d.r.of(v)} << 16) | (uint32_t{d.g.of(v)} << 8) | d.b.of(v);
            }
            }
            out[x] = px;
        }
    }
}

// RLE8 and RLE4: runs, literal groups, end of line, end of bitmap and delta moves. Pixels the
// stream never sets keep colour 0 of the table. Data that runs past a row's end is clipped; a
// stream that stops early leaves the rest as it is.
void decodeRle(const Dib& d, QImage& im)
{
    const uint8_t* p = d.data + d.bitsOffset;
    const size_t n = d.size - d.bitsOffset;
    im.fill(d.palette[0]);
    const bool four = d.compression == BiRle4;
    int x = 0, row = 0;
    auto put = [&](int index) {
        if (x < d.width && row < d.height)
            reinterpret_cast<uint32_t*>(im.scanLine(d.height - 1 - row))[x] =
                d.palette[size_t(index) & (four ? 0xF : 0xFF)];
        ++x;
    };
    size_t i = 0;
    while (i + 1 < n && row < d.height) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < d.width; ++k)
                put(four ? ((k & 1) ? (value & 0xF) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= n)
                break;
            x += p[i];
            row += p[i + 1];
            i += 2;
        } else {  // literal group, padded to a 16-bit boundary
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            if (i + bytes > n)
                bad("RLE literal past the end");
            for (int k = 0; k < value; ++k) {
                if (x >= d.width)
                    break;
                const uint8_t b = p[i + (four ? size_t(k) / 2 : size_t(k))];
                put(four ? ((k & 1) ? (b & 0xF) : (b >> 4)) : b);
            }
            i += bytes + (bytes & 1);
        }
    }
}

QImage decodeImage(const Dib& d)
{
    if (d.compression == BiRle8 || d.compression == BiRle4) {
        // Two bytes of a run paint at most 255 pixels; skipped areas need delta codes, which also
        // cost bytes: an area far beyond what the stream holds is not a real bitmap.
        const uint64_t streamLimit = (uint64_t(d.size - d.bitsOffset) + 2) * 256;
        QImage im = allocate(d, std::min(kMaxRlePixels, streamLimit), QImage::Format_RGB32);
        decodeRle(d, im);
        return im;
    }
    const size_t avail = d.size - d.bitsOffset;
    if (uint64_t(d.height - 1) * strideOf(d.width, d.bpp) > avail)
        bad("bits past the end");
    QImage im = allocate(d, kMaxPixels, QImage::Format_RGB32);
    decodeRows(d, im);
    return im;
}

}  // namespace

QImage decodeDib(const uint8_t* data, size_t size)
{
    return decodeImage(readHeaders(data, size, 0, false));
}

QImage decodeBmp(const uint8_t* data, size_t size)
{
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        bad("not a BMP file");
    const uint32_t offBits = le32(data + 10);
    // The offset to the bits is used when it points past the headers and inside the file.
    const size_t bitsOffset = offBits > 14 ? offBits - 14 : 0;
    return decodeImage(readHeaders(data + 14, size - 14, bitsOffset, false));
}

namespace detail {

QImage decodeIconDib(const uint8_t* data, size_t size)
{
    const Dib d = readHeaders(data, size, 0, true);
    if (d.compression != BiRgb && d.compression != BiBitfields)
        bad("icon compression");
    QImage im = decodeImage(d).convertToFormat(QImage::Format_ARGB32);
    // A 32-bit icon carries its own alpha when any pixel has some; otherwise the AND mask after
    // the colour rows tells the transparent pixels (a missing mask leaves the icon opaque).
    bool ownAlpha = false;
    if (d.bpp == 32) {
        const size_t stride = strideOf(d.width, 32);
        for (int row = 0; row < d.height; ++row) {
            const uint8_t* src = d.data + d.bitsOffset + size_t(row) * stride;
            auto* out = reinterpret_cast<uint32_t*>(im.scanLine(d.height - 1 - row));
            for (int x = 0; x < d.width; ++x) {
                out[x] = (out[x] & 0x00FFFFFFu) | (uint32_t{src[4 * x + 3]} << 24);
                ownAlpha = ownAlpha || src[4 * x + 3] != 0;
            }
        }
    }
    if (ownAlpha)
        return im;
    const size_t maskOffset = d.bitsOffset + strideOf(d.width, d.bpp) * size_t(d.height);
    const size_t maskStride = strideOf(d.width, 1);
    const bool hasMask = maskOffset <= d.size && uint64_t(maskStride) * uint64_t(d.height) <= d.size - maskOffset;
    for (int row = 0; row < d.height; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(im.scanLine(d.height - 1 - row));
        const uint8_t* m = hasMask ? d.data + maskOffset + size_t(row) * maskStride : nullptr;
        for (int x = 0; x < d.width; ++x) {
            const bool transparent = m && ((m[x >> 3] >> (7 - (x & 7))) & 1);
            out[x] = transparent ? 0u : (out[x] | 0xFF000000u);
        }
    }
    return im;
}

}  // namespace detail
}  // namespace vr
