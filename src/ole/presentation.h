// An embedded object's presentation: the picture the platform's cache draws for an object that is
// loaded but not running, taken from the object's storage without running its program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "gfx/canvas/canvas.h"
#include "gfx/picture/picture.h"
#include "ole/compound_file.h"

namespace vr::ole {

// Clipboard formats a presentation can draw.
inline constexpr uint32_t kCfMetafilePict = 3;
inline constexpr uint32_t kCfDib = 8;
inline constexpr uint32_t kCfEnhMetafile = 14;
// A metafile picture's mapping mode: the cache plays it with its extents as the window.
inline constexpr int kMmAnisotropic = 8;

// The header of a "\2OlePresNNN" stream.
struct PresentationHeader {
    uint32_t clipFormat = 0;  // 0: none, or a format registered by name
    std::string formatName;  // the registered format's name
    uint32_t targetDeviceSize = 0;
    uint32_t aspect = 0;
    int32_t lindex = 0;
    uint32_t advf = 0;
    int32_t extentX = 0, extentY = 0;  // in 0.01 mm
    uint32_t dataSize = 0;  // as stored
    size_t dataOffset = 0;  // where the data starts in the stream
};

// Reads the header within the stream's bytes; nullopt when it does not fit in them.
std::optional<PresentationHeader> parsePresentationHeader(const uint8_t* data, size_t size);

struct Presentation {
    enum class Format { Metafile, Dib, EnhMetafile };
    std::string source;  // the stream it came from
    Format format = Format::Metafile;
    uint32_t aspect = 0;
    int mapMode = 0;  // metafile pictures: MM_ANISOTROPIC
    int32_t extentX = 0, extentY = 0;  // in 0.01 mm, as stored or as the picture gives them
    size_t dataSize = 0;  // the bytes of picture data used (never more than the stream holds)
    Picture picture;

    // The picture stretched into `dest`, as the cache draws it into the rectangle it is given.
    void draw(Canvas& canvas, const IRect& dest) const { picture.draw(canvas, dest); }
};

const char* formatName(Presentation::Format f);

// The streams a presentation is chosen from: the root's "\2OlePres000" to "\2OlePres999" and
// "CONTENTS".
bool isPresentationStream(const StorageEntry& e);

// The presentation drawn for an aspect: the first of the "\2OlePresNNN" streams, in the order of
// their numbers, whose aspect is the one asked for and whose data can be drawn (a metafile
// picture, a device-independent bitmap or an enhanced metafile); for the content aspect, then
// the "CONTENTS" stream of a static picture object (metafile, bitmap or enhanced metafile class).
// nullopt when none can be drawn. Sizes in the stream never reach past its bytes.
std::optional<Presentation> choosePresentation(const CompoundFile& file, uint32_t aspect);

// A presentation stream's picture alone (for the fuzz target and the tests): nullopt when its
// header or data cannot be used.
std::optional<Presentation> presentationFromStream(const std::string& name, const uint8_t* data, size_t size);

// Static picture classes, whose CONTENTS stream holds the picture.
extern const ClassId kStaticMetafileClass;  // {00000315-0000-0000-C000-000000000046}
extern const ClassId kStaticDibClass;  // {00000316-0000-0000-C000-000000000046}
extern const ClassId kStaticEnhMetafileClass;  // {00000319-0000-0000-C000-000000000046}

}  // namespace vr::ole
