// A picture that draws itself stretched into a rectangle of a screen or printer canvas: BMP, ICO,
// WMF, EMF, JPEG and GIF, chosen by file extension as the platform's picture loader did.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

#include "gfx/canvas/canvas.h"
#include "gfx/codecs/codecs.h"
#include "gfx/metafile/metafile.h"

namespace vr {

class Picture {
public:
    enum class Kind { Empty, Bitmap, Icon, Wmf, Emf, Jpeg, Gif };

    Kind kind() const { return kind_; }
    bool empty() const { return kind_ == Kind::Empty; }
    // The picture's own size in pixels (0 x 0 when empty).
    int width() const;
    int height() const;

    // Loads a file by its extension (case-insensitive): "bmp", "ico", "wmf", "emf", "jpg"/"jpeg",
    // "gif". Another extension or undecodable data throws GraphicError; a file that cannot be
    // opened or read throws OpenError / ReadError.
    static Picture loadFile(const std::string& path);
    // Decodes bytes of a given kind (e.g. a bitmap embedded in a document); GraphicError when
    // the data is not such a picture.
    static Picture fromBytes(Kind kind, std::vector<uint8_t> bytes);

    // The raster form: bitmaps, icons (with transparency in alpha), GIF first frame, JPEG decoded
    // with the given output (cached: decoded again only when the output changes). Null for
    // metafiles and empty pictures.
    QImage image(JpegOutput jpegOutput = JpegOutput::Rgb24) const;

    // Draws the picture stretched into dest; transparent pixels of icons and GIFs leave the
    // canvas as it was. Metafiles are played into dest.
    void draw(Canvas& canvas, const IRect& dest, JpegOutput jpegOutput = JpegOutput::Rgb24) const;

private:
    Kind kind_ = Kind::Empty;
    std::shared_ptr<const std::vector<uint8_t>> bytes_;  // JPEG source, kept for decoding again
    std::optional<Metafile> metafile_;
    mutable QImage image_;
    mutable std::optional<JpegOutput> decodedAs_;
};

}  // namespace vr
