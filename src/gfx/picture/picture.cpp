// The picture: chosen by file extension, decoded once (JPEG again when its output changes) and
// drawn stretched into a rectangle.
#include "gfx/picture/picture.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace vr {
namespace {

std::string lowerExtension(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// Reads until the end of the file, so the buffer grows only with bytes that are there.
std::vector<uint8_t> readWholeFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw OpenError(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw OpenError(path);
    std::vector<uint8_t> bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (in.bad())
        throw ReadError();
    return bytes;
}

}  // namespace

int Picture::width() const
{
    if (metafile_)
        return metafile_->width();
    return image_.width();  // both JPEG outputs have the picture's size
}

int Picture::height() const
{
    if (metafile_)
        return metafile_->height();
    return image_.height();
}

Picture Picture::loadFile(const std::string& path)
{
    const std::string ext = lowerExtension(path);
    Kind kind;
    if (ext == "bmp")
        kind = Kind::Bitmap;
    else if (ext == "ico")
        kind = Kind::Icon;
    else if (ext == "wmf")
        kind = Kind::Wmf;
    else if (ext == "emf")
        kind = Kind::Emf;
    else if (ext == "jpg" || ext == "jpeg")
        kind = Kind::Jpeg;
    else if (ext == "gif")
        kind = Kind::Gif;
    else
        throw GraphicError("Unknown picture file extension (." + ext + ")");
    return fromBytes(kind, readWholeFile(path));
}

Picture Picture::fromBytes(Kind kind, std::vector<uint8_t> bytes)
{
    Picture p;
    switch (kind) {
    case Kind::Empty:
        return p;
    case Kind::Bitmap:
        p.image_ = decodeBmp(bytes.data(), bytes.size());
        break;
    case Kind::Icon:
        p.image_ = decodeIco(bytes.data(), bytes.size());
        break;
    case Kind::Gif:
        p.image_ = decodeGif(bytes.data(), bytes.size());
        break;
    case Kind::Jpeg: {
        // Decoded now for the screen, so that bad data is found when the file is loaded; the
        // bytes stay for the printing output.
        p.image_ = decodeJpeg(bytes.data(), bytes.size(), JpegOutput::Rgb24);
        p.decodedAs_ = JpegOutput::Rgb24;
        p.bytes_ = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
        break;
    }
    case Kind::Wmf:
    case Kind::Emf:
        p.metafile_ = Metafile::parse(kind == Kind::Wmf ? Metafile::Kind::Wmf : Metafile::Kind::Emf, std::move(bytes));
        if (!p.metafile_)
            throw GraphicError(kind == Kind::Wmf ? "Not a valid Windows metafile" : "Not a valid enhanced metafile");
        break;
    }
    p.kind_ = kind;
    return p;
}

QImage Picture::image(JpegOutput jpegOutput) const
{
    if (kind_ == Kind::Jpeg && decodedAs_ != jpegOutput) {
        // The bytes decoded once already; a failure now would be the library's, not the data's.
        try {
            image_ = decodeJpeg(bytes_->data(), bytes_->size(), jpegOutput);
        } catch (const GraphicError&) {
            image_ = QImage();
        }
        decodedAs_ = jpegOutput;
    }
    return image_;
}

void Picture::draw(Canvas& canvas, const IRect& dest, JpegOutput jpegOutput) const
{
    if (metafile_) {
        metafile_->play(canvas, dest);
        return;
    }
    const QImage im = image(jpegOutput);
    if (im.isNull())
        return;
    canvas.stretchBlt(dest, im, IRect{0, 0, im.width(), im.height()}, rop::SrcCopy);
}

}  // namespace vr
