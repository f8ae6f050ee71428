// Colours to palette indexes for the image writers: sheets and pages hold few colours (no
// antialiasing anywhere), so most go out as palette images.
#pragma once
#include <array>
#include <cstddef>

#include <QImage>
#include <QList>
#include <QRect>

namespace vr {

// An open-addressed table, far larger than the 256 entries it holds.
class ColourIndex {
public:
    // The colour's index, adding it when new; -1 when it would be the 257th.
    int find(QRgb c)
    {
        size_t slot = hash(c);
        while (used_[slot]) {
            if (keys_[slot] == c)
                return values_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (colours.size() == 256)
            return -1;
        used_[slot] = true;
        keys_[slot] = c;
        values_[slot] = static_cast<int>(colours.size());
        colours.push_back(c);
        return values_[slot];
    }
    // The colours in the order they were added.
    QList<QRgb> colours;

private:
    static constexpr size_t kSlots = 1024;
    static size_t hash(QRgb c) { return (c * 2654435761u) >> 22; }
    std::array<bool, kSlots> used_{};
    std::array<QRgb, kSlots> keys_{};
    std::array<int, kSlots> values_{};
};

// Adds the colours of `area` of a 32-bit image to `index`, walking every pixel once and asking the
// table only when the colour changes; false as soon as there are more than 256.
inline bool collectPalette(const QImage& rgb, const QRect& area, ColourIndex& index)
{
    QRgb last = 0;
    int lastIndex = -1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* px = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (px[x] == last && lastIndex >= 0)
                continue;
            last = px[x];
            lastIndex = index.find(last);
            if (lastIndex < 0)
                return false;
        }
    }
    return true;
}

// The bits per pixel of a palette of `colours` entries: 1, 2, 4 or 8.
inline int paletteDepth(qsizetype colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

}  // namespace vr
