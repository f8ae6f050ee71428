// Record parts several page objects share: the 20-byte bounds record, and the 20-byte border
// record of rich-text frames and embedded objects with the border they print.
#pragma once
#include <cstdint>

#include "core/color.h"

namespace vr {

class Canvas;
class DocStream;
class JsonWriter;
class PageObject;

// Four counted strings of 4: Left, Top, Width and Height in page pixels.
void ReadBoundsRecord(DocStream& s, PageObject& object);

// Four side flags (counted strings of 1, non-zero draws the side), the width in pixels (a counted
// string of 1) and the colour (a counted string of 9), flags and width kept as their low byte.
struct BorderRecord {
    uint8_t BorderLeft = 0, BorderBottom = 0, BorderRight = 0, BorderTop = 0;
    uint8_t BorderWidth = 0;
    Color BorderColor = 0;

    void ReadBorderRecord(DocStream& s);
    bool anySide() const { return BorderLeft || BorderBottom || BorderRight || BorderTop; }
    void dumpBorder(JsonWriter& out) const;
    // The printed border: the sides whose flag is set, on the edges of (x1, y1)-(x2, y2) (not
    // outside them), with a pen Round(BorderWidth x sx) wide in the border's colour; the mix and
    // the style stay as the printer's canvas has them.
    void printBorder(Canvas& canvas, int x1, int y1, int x2, int y2, double sx) const;
};

}  // namespace vr
