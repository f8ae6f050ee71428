// The window's pictures, drawn here rather than stored as bitmaps: speed-button glyphs, the
// program icon, the font setup instructions and the About picture.
#pragma once
#include <QIcon>
#include <QPixmap>

namespace vr {

enum class Glyph { Open, Print, First, Previous, Next, Last };

// A glyph of size x size pixels on a transparent background.
QPixmap buttonGlyph(Glyph glyph, int size);
// The program's icon at size x size pixels (the installed PNG icons are drawn by this too).
QPixmap programIcon(int size);
// The icon at the sizes desktops ask for, for the window.
QIcon programIcons();
// 367 x 177: how the fonts were set up.
QPixmap fontSetupPicture();
// 207 x 247: the About box picture.
QPixmap aboutPicture();

}  // namespace vr
