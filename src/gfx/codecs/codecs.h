// The raster picture formats: BMP and device-independent bitmaps, icons, JPEG and GIF, each
// decoded from the bytes it is given into a QImage.
#pragma once
#include <cstddef>
#include <cstdint>

#include <QImage>

#include "core/errors.h"

namespace vr {

// The platform's invalid-graphic error: data that is not a picture of the kind its name says.
class GraphicError : public VError {
public:
    explicit GraphicError(const std::string& message) : VError(message) { }
};

// JPEG decoding settings (the library's IJG interface): 24-bit RGB for the screen, or 8-bit
// output quantised to 236 colours by the two-pass quantiser with Floyd-Steinberg dithering for
// printing. Both use full scale, the accurate integer DCT and fancy upsampling.
enum class JpegOutput { Rgb24, Quantised236 };

// Decoders of the raster formats; each throws GraphicError on data it cannot decode and never
// reads past the bytes it is given.
QImage decodeBmp(const uint8_t* data, size_t size);  // a BMP file (header included)
QImage decodeDib(const uint8_t* data, size_t size);  // a DIB: info header, colours, bits
QImage decodeIco(const uint8_t* data, size_t size);  // the largest, deepest image
QImage decodeJpeg(const uint8_t* data, size_t size, JpegOutput out);
QImage decodeGif(const uint8_t* data, size_t size);  // first frame, transparency in alpha

namespace detail {
// An icon's DIB: the height counts the colour rows and the AND mask rows together; the result
// is ARGB32 with the mask (or a 32-bit image's own alpha) as transparency.
QImage decodeIconDib(const uint8_t* data, size_t size);
}  // namespace detail

}  // namespace vr
