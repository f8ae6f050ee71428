// Presentations are read the way the platform's cache reads them when the object is not running:
// a presentation stream is a clipboard format, a target device, the aspect, index and advise
// flags, the extents and the data; static picture objects keep their one picture in CONTENTS.
// Every size is measured against the stream's own bytes: data claimed beyond them is cut at the
// stream's end, and a header that does not fit leaves the stream unused.
#include "ole/presentation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "ole/container_stream.h"

namespace vr::ole {

const ClassId kStaticMetafileClass = {0x15, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
const ClassId kStaticDibClass = {0x16, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
const ClassId kStaticEnhMetafileClass = {0x19, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr uint32_t kEmfSignature = 0x464D4520u;  // " EMF"
constexpr uint32_t kMaxFormatNameLength = 0x201;

uint32_t u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
        (static_cast<uint32_t>(p[3]) << 24);
}

int16_t i16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool isEmf(const uint8_t* p, size_t n)
{
    return n >= 88 && u32(p) == 1 && u32(p + 40) == kEmfSignature;
}

bool isPlaceable(const uint8_t* p, size_t n)
{
    return n >= 22 && u32(p) == kPlaceableKey;
}

int32_t clampExtent(double v)
{
    return static_cast<int32_t>(std::lround(
        std::clamp(v, double(std::numeric_limits<int32_t>::min()), double(std::numeric_limits<int32_t>::max()))));
}

// A metafile picture played as the cache plays it: its extents (0.01 mm) are the window until the
// metafile sets its own. A placeable header in front of the records carries them as its bounds,
// with 2540 units to the inch; extents beyond the header's 16-bit bounds keep their proportions.
Picture metafilePicture(const uint8_t* p, size_t n, int32_t extentX, int32_t extentY)
{
    if (isPlaceable(p, n))
        return Picture::fromBytes(Picture::Kind::Wmf, std::vector<uint8_t>(p, p + n));
    std::vector<uint8_t> wmf;
    if (extentX > 0 && extentY > 0) {
        const int64_t largest = std::max(extentX, extentY);
        const int64_t divisor = largest > 32767 ? (largest + 32766) / 32767 : 1;
        const auto w = static_cast<uint16_t>(std::max<int64_t>(1, extentX / divisor));
        const auto h = static_cast<uint16_t>(std::max<int64_t>(1, extentY / divisor));
        const auto inch = static_cast<uint16_t>(std::max<int64_t>(1, 2540 / divisor));
        wmf.reserve(22 + n);
        put32(wmf, kPlaceableKey);
        const uint16_t words[] = {0, 0, 0, w, h, inch, 0, 0};  // handle, bounds, inch, reserved
        for (uint16_t v : words)
            put16(wmf, v);
        uint16_t checksum = 0;
        for (size_t i = 0; i + 1 < wmf.size(); i += 2)
            checksum ^= static_cast<uint16_t>(wmf[i] | (wmf[i + 1] << 8));
        put16(wmf, checksum);
    }
    wmf.insert(wmf.end(), p, p + n);
    return Picture::fromBytes(Picture::Kind::Wmf, std::move(wmf));
}

// A device-independent bitmap (info header, colours, bits) through the bitmap decoder, as a file
// whose offset to the bits is left for the decoder to find after the colours.
Picture dibPicture(const uint8_t* p, size_t n)
{
    std::vector<uint8_t> bmp;
    bmp.reserve(14 + n);
    bmp.push_back('B');
    bmp.push_back('M');
    put32(bmp, static_cast<uint32_t>(std::min<size_t>(14 + n, std::numeric_limits<uint32_t>::max())));
    put32(bmp, 0);
    put32(bmp, 0);
    bmp.insert(bmp.end(), p, p + n);
    return Picture::fromBytes(Picture::Kind::Bitmap, std::move(bmp));
}

Picture emfPicture(const uint8_t* p, size_t n)
{
    return Picture::fromBytes(Picture::Kind::Emf, std::vector<uint8_t>(p, p + n));
}

// A picture's extents in 0.01 mm from its size in pixels at 96 to the inch.
void extentsFromPixels(Presentation& pr)
{
    pr.extentX = clampExtent(pr.picture.width() * 2540.0 / 96);
    pr.extentY = clampExtent(pr.picture.height() * 2540.0 / 96);
}

// The number of a presentation stream's name ("\2OlePres000" to "\2OlePres999"), or -1.
int presentationNumber(const std::string& name)
{
    static const char kPrefix[] = "\x02OLEPRES";
    if (name.size() != 11)
        return -1;
    for (size_t i = 0; i < 8; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != kPrefix[i])
            return -1;
    int n = 0;
    for (size_t i = 8; i < 11; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

bool isContentsName(const std::string& name)
{
    static const char kContents[] = "CONTENTS";
    if (name.size() != 8)
        return false;
    for (size_t i = 0; i < 8; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != kContents[i])
            return false;
    return true;
}

std::optional<Presentation> fromHeader(const std::string& name, const PresentationHeader& h, const uint8_t* data,
                                       size_t size)
{
    Presentation pr;
    pr.source = name;
    pr.aspect = h.aspect;
    pr.extentX = h.extentX;
    pr.extentY = h.extentY;
    pr.dataSize = std::min<size_t>(h.dataSize, size - h.dataOffset);
    const uint8_t* p = data + h.dataOffset;
    const size_t n = pr.dataSize;
    if (n == 0)
        return std::nullopt;
    try {
        switch (h.clipFormat) {
        case kCfMetafilePict:
            pr.format = Presentation::Format::Metafile;
            pr.mapMode = kMmAnisotropic;
            pr.picture = metafilePicture(p, n, h.extentX, h.extentY);
            break;
        case kCfDib:
            pr.format = Presentation::Format::Dib;
            pr.picture = dibPicture(p, n);
            break;
        case kCfEnhMetafile:
            // Kept as an enhanced metafile, or as the metafile picture the cache writes for it.
            pr.format = Presentation::Format::EnhMetafile;
            if (isEmf(p, n)) {
                pr.picture = emfPicture(p, n);
            } else {
                pr.mapMode = kMmAnisotropic;
                pr.picture = metafilePicture(p, n, h.extentX, h.extentY);
            }
            break;
        default:
            return std::nullopt;
        }
    } catch (const GraphicError&) {
        return std::nullopt;
    }
    if (pr.picture.empty())
        return std::nullopt;
    return pr;
}

std::optional<Presentation> fromContents(const CompoundFile& file)
{
    const StorageEntry* e = file.rootStream("CONTENTS");
    if (!e || !e->kept || e->bytes.empty())
        return std::nullopt;
    const uint8_t* p = e->bytes.data();
    const size_t n = e->bytes.size();
    const ClassId& id = file.rootClassId();
    Presentation pr;
    pr.source = e->name;
    pr.aspect = kAspectContent;
    pr.dataSize = n;
    try {
        if (id == kStaticMetafileClass) {
            pr.format = Presentation::Format::Metafile;
            pr.mapMode = kMmAnisotropic;
            pr.picture = metafilePicture(p, n, 0, 0);
            if (isPlaceable(p, n)) {
                const uint16_t units = static_cast<uint16_t>(p[14] | (p[15] << 8));
                const double inch = units != 0 ? units : 1440;
                pr.extentX = clampExtent((i16(p + 10) - i16(p + 6)) * 2540.0 / inch);
                pr.extentY = clampExtent((i16(p + 12) - i16(p + 8)) * 2540.0 / inch);
            } else {
                extentsFromPixels(pr);
            }
        } else if (id == kStaticDibClass) {
            pr.format = Presentation::Format::Dib;
            pr.picture = n >= 2 && p[0] == 'B' && p[1] == 'M'
                ? Picture::fromBytes(Picture::Kind::Bitmap, std::vector<uint8_t>(p, p + n))
                : dibPicture(p, n);
            extentsFromPixels(pr);
        } else if (id == kStaticEnhMetafileClass) {
            pr.format = Presentation::Format::EnhMetafile;
            // The enhanced metafile itself, or after a copy of its header and that copy's size.
            size_t at = 0;
            if (!isEmf(p, n) && n >= 4 && u32(p) <= n - 4)
                at = 4 + u32(p);
            if (!isEmf(p + at, n - at))
                return std::nullopt;
            pr.dataSize = n - at;
            pr.picture = emfPicture(p + at, n - at);
            const uint8_t* h = p + at;
            pr.extentX =
                clampExtent(static_cast<double>(static_cast<int32_t>(u32(h + 32))) - static_cast<int32_t>(u32(h + 24)));
            pr.extentY =
                clampExtent(static_cast<double>(static_cast<int32_t>(u32(h + 36))) - static_cast<int32_t>(u32(h + 28)));
        } else {
            return std::nullopt;
        }
    } catch (const GraphicError&) {
        return std::nullopt;
    }
    if (pr.picture.empty())
        return std::nullopt;
    return pr;
}

}  // namespace

const char* formatName(Presentation::Format f)
{
    switch (f) {
    case Presentation::Format::Metafile:
        return "metafile";
    case Presentation::Format::Dib:
        return "dib";
    case Presentation::Format::EnhMetafile:
        return "emf";
    }
    return "";
}

std::optional<PresentationHeader> parsePresentationHeader(const uint8_t* data, size_t size)
{
    PresentationHeader h;
    size_t off = 0;
    auto has = [&](size_t n) { return n <= size - off; };
    if (!has(4))
        return std::nullopt;
    const uint32_t marker = u32(data);
    off = 4;
    if (marker == 0xFFFFFFFFu || marker == 0xFFFFFFFEu) {
        if (!has(4))
            return std::nullopt;
        h.clipFormat = u32(data + off);
        off += 4;
    } else if (marker != 0) {
        // A format registered by name: its length with the closing zero, then the name.
        if (marker > kMaxFormatNameLength || !has(marker))
            return std::nullopt;
        h.formatName.assign(reinterpret_cast<const char*>(data + off), marker);
        h.formatName.erase(std::find(h.formatName.begin(), h.formatName.end(), '\0'), h.formatName.end());
        off += marker;
    }
    if (!has(4))
        return std::nullopt;
    h.targetDeviceSize = u32(data + off);
    off += 4;
    // The size counts its own four bytes; the target device follows it.
    if (h.targetDeviceSize < 4 || !has(h.targetDeviceSize - 4))
        return std::nullopt;
    off += h.targetDeviceSize - 4;
    if (!has(28))
        return std::nullopt;
    h.aspect = u32(data + off);
    h.lindex = static_cast<int32_t>(u32(data + off + 4));
    h.advf = u32(data + off + 8);
    h.extentX = static_cast<int32_t>(u32(data + off + 16));
    h.extentY = static_cast<int32_t>(u32(data + off + 20));
    h.dataSize = u32(data + off + 24);
    h.dataOffset = off + 28;
    return h;
}

bool isPresentationStream(const StorageEntry& e)
{
    return e.depth == 1 && !e.isStorage && (presentationNumber(e.name) >= 0 || isContentsName(e.name));
}

std::optional<Presentation> presentationFromStream(const std::string& name, const uint8_t* data, size_t size)
{
    const auto h = parsePresentationHeader(data, size);
    if (!h)
        return std::nullopt;
    return fromHeader(name, *h, data, size);
}

std::optional<Presentation> choosePresentation(const CompoundFile& file, uint32_t aspect)
{
    std::vector<std::pair<int, const StorageEntry*>> streams;
    for (const StorageEntry& e : file.entries()) {
        const int number = e.depth == 1 && !e.isStorage && e.kept ? presentationNumber(e.name) : -1;
        if (number >= 0)
            streams.emplace_back(number, &e);
    }
    std::stable_sort(streams.begin(), streams.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [number, e] : streams) {
        const auto h = parsePresentationHeader(e->bytes.data(), e->bytes.size());
        if (!h || h->aspect != aspect)
            continue;
        if (auto pr = fromHeader(e->name, *h, e->bytes.data(), e->bytes.size()))
            return pr;
    }
    if (aspect == kAspectContent)
        return fromContents(file);
    return std::nullopt;
}

}  // namespace vr::ole
