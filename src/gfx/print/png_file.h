// PNG files written for speed without losing a pixel: pages and sheets hold few colours (no
// antialiasing anywhere), so an image of at most 256 colours is written with a palette at the
// smallest bit depth that holds them (1, 2, 4 or 8 bits), rows unfiltered; others as 8-bit RGB with
// each row predicted from the one above. Deflate runs at its fastest level: the file is somewhat
// larger than a slow encoder's, and reads back as the same pixels.
#pragma once
#include <string>

#include <QImage>

namespace vr {

// Writes `image` to `path`; false (and nothing usable under that name) when the file cannot be
// written. Images of any format are written as they read back through QImage::pixel(); an image
// with pixels that are not opaque is handed to Qt's PNG writer, which keeps the alpha channel.
bool writePngFile(const QImage& image, const std::string& path);

// The palette writePngFile would use: the image's colours in the order they first appear, or an
// empty list when it holds more than 256 (or is not opaque).
QList<QRgb> pngPalette(const QImage& image);

}  // namespace vr
