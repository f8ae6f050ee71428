// The window's pictures, drawn here rather than stored as bitmaps: speed-button glyphs, the
// program icon, the font setup instructions and the About picture.
#pragma once
#include <QPixmap>

namespace vr {

enum class Glyph { Open, Print, First, Previous, Next, Last };

// A glyph of size x size pixels on a transparent background.
QPixmap buttonGlyph(Glyph glyph, int size);
QPixmap programIcon(int size);
// 367 x 177: how the fonts were set up.
QPixmap fontSetupPicture();
// 207 x 247: the About box picture.
QPixmap aboutPicture();

}  // namespace vr
