#include "gfx/fonts/face_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vr {
namespace {

int roundHalfUp(double v)
{
    return static_cast<int>(std::floor(v + 0.5));
}

}  // namespace

int tableU16(const QByteArray& t, int offset)
{
    if (offset < 0 || offset + 2 > t.size())
        return 0;
    return (static_cast<uint8_t>(t[offset]) << 8) | static_cast<uint8_t>(t[offset + 1]);
}

int tableS16(const QByteArray& t, int offset)
{
    return static_cast<int16_t>(static_cast<uint16_t>(tableU16(t, offset)));
}

int windowsLineHeight(const QByteArray& os2)
{
    return os2.size() >= 78 ? tableU16(os2, 74) + tableU16(os2, 76) : 0;
}

int averageCharWidth(const QByteArray& os2)
{
    return os2.size() >= 4 ? std::max(0, tableS16(os2, 2)) : 0;
}

LineMetrics lineMetrics(const QRawFont& face, const QByteArray& os2, const QByteArray& post, double scale, int px)
{
    LineMetrics m;
    if (windowsLineHeight(os2) > 0) {
        m.ascent = roundHalfUp(tableU16(os2, 74) * scale);
        m.descent = roundHalfUp(tableU16(os2, 76) * scale);
    } else if (face.isValid()) {
        m.ascent = roundHalfUp(face.ascent());
        m.descent = roundHalfUp(face.descent());
    } else {
        m.ascent = px - px / 5;
        m.descent = px / 5;
    }
    if (post.size() >= 12) {
        m.underlineThickness = std::max(1, roundHalfUp(tableS16(post, 10) * scale));
        m.underlineTop = std::max(1, roundHalfUp(-tableS16(post, 8) * scale) - m.underlineThickness / 2);
    }
    if (os2.size() >= 30) {
        m.strikeThickness = std::max(1, roundHalfUp(tableS16(os2, 26) * scale));
        m.strikeTop = -roundHalfUp(tableS16(os2, 28) * scale);
    } else {
        m.strikeTop = -std::max(1, m.ascent / 3);
    }
    return m;
}

}  // namespace vr
