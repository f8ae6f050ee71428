// GIF through giflib, the GIF library Debian ships and maintains (libgif7) and that most free
// software reads GIF with. The picture is the first frame composed on the logical screen: the
// area the frame does not cover and the frame's transparent colour are transparent (alpha 0).
// Later frames of an animation are not shown.
//
// The frame is read line by line into a buffer of one line instead of slurping the file, so
// that a large frame size in a small file allocates nothing beyond the checked picture.
#include <algorithm>
#include <memory>

#include <gif_lib.h>

#include "gfx/codecs/codecs.h"

namespace vr {
namespace {

constexpr uint64_t kMaxPixels = uint64_t{1} << 26;
// One LZW code yields at most 4096 pixels: a picture far larger than its bytes is not real.
constexpr uint64_t kMaxPixelsPerByte = 4096;

struct Source {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int readBytes(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* src = static_cast<Source*>(gif->UserData);
    const size_t n = std::min(size_t(std::max(wanted, 0)), src->size - src->pos);
    std::copy_n(src->data + src->pos, n, out);
    src->pos += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

[[noreturn]] void bad(const std::string& why)
{
    throw GraphicError("GIF image is not valid: " + why);
}

void check(int result, GifFileType* gif)
{
    if (result == GIF_ERROR) {
        const char* text = GifErrorString(gif->Error);
        bad(text ? text : "read error");
    }
}

}  // namespace

QImage decodeGif(const uint8_t* data, size_t size)
{
    Source src{data, size, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&src, readBytes, &error));
    if (!gif) {
        const char* text = GifErrorString(error);
        bad(text ? text : "not a GIF file");
    }

    // Records up to the first image: extensions (the graphic control one gives the transparent
    // colour of the frame that follows it).
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        check(DGifGetRecordType(gif.get(), &type), gif.get());
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type == TERMINATE_RECORD_TYPE)
            bad("no image");
        if (type != EXTENSION_RECORD_TYPE)
            bad("unknown record");
        int code = 0;
        GifByteType* ext = nullptr;
        check(DGifGetExtension(gif.get(), &code, &ext), gif.get());
        if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
            GraphicsControlBlock gcb{};
            if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                transparent = gcb.TransparentColor;
        }
        while (ext)
            check(DGifGetExtensionNext(gif.get(), &ext), gif.get());
    }
    check(DGifGetImageDesc(gif.get()), gif.get());

    const GifImageDesc& frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        bad("empty frame");
    // A logical screen of no size takes the frame's extent.
    int width = gif->SWidth, height = gif->SHeight;
    if (width <= 0 || height <= 0) {
        width = frame.Left + frame.Width;
        height = frame.Top + frame.Height;
    }
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    const uint64_t framePixels = uint64_t(frame.Width) * uint64_t(frame.Height);
    if (pixels > kMaxPixels || std::max(pixels, framePixels) > uint64_t(size) * kMaxPixelsPerByte)
        bad("too large");

    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        // Without any colour table the indices are taken as grey levels.
        if (!map)
            colours[i] = 0xFF000000u | (uint32_t(i) * 0x010101u);
        else if (i < map->ColorCount)
            colours[i] = 0xFF000000u | (uint32_t(map->Colors[i].Red) << 16) | (uint32_t(map->Colors[i].Green) << 8) |
                map->Colors[i].Blue;
        else
            colours[i] = 0xFF000000u;
    }
    if (transparent >= 0 && transparent < 256)
        colours[transparent] = 0;

    QImage im(width, height, QImage::Format_ARGB32);
    if (im.isNull())
        bad("out of memory");
    im.fill(0u);
    std::vector<GifPixelType> line(size_t(frame.Width));
    // Interlaced frames send every 8th row from 0, every 8th from 4, every 4th from 2, then
    // every 2nd from 1.
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kStart[pass] : 0, step = frame.Interlace ? kStep[pass] : 1;
        for (int row = start; row < frame.Height; row += step) {
            check(DGifGetLine(gif.get(), line.data(), frame.Width), gif.get());
            const int y = frame.Top + row;
            if (y >= height)
                continue;
            auto* out = reinterpret_cast<uint32_t*>(im.scanLine(y));
            for (int x = 0; x < frame.Width && frame.Left + x < width; ++x)
                out[frame.Left + x] = colours[line[size_t(x)]];
        }
    }
    return im;
}

}  // namespace vr
