// Helpers shared by the canvas tests (whose main makes the application fonts need): white test
// images and readable views of their pixels.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include <QImage>

#include "core/color.h"

namespace vr::test {

inline QImage filledImage(int w, int h, Color c = kWhite)
{
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(toArgb(c));
    return im;
}

inline Color at(const QImage& im, int x, int y)
{
    return fromArgb(im.pixel(x, y));
}

using Points = std::vector<std::pair<int, int>>;

// Every pixel that is not `ground`, row by row, left to right.
inline Points marked(const QImage& im, Color ground = kWhite)
{
    Points out;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            if (at(im, x, y) != ground)
                out.emplace_back(x, y);
    return out;
}

// Pixels x0..x1 of row y, '#' where not `ground` and '.' where it is.
inline std::string rowText(const QImage& im, int y, int x0, int x1, Color ground = kWhite)
{
    std::string s;
    for (int x = x0; x <= x1; ++x)
        s += at(im, x, y) == ground ? '.' : '#';
    return s;
}

inline std::string columnText(const QImage& im, int x, int y0, int y1, Color ground = kWhite)
{
    std::string s;
    for (int y = y0; y <= y1; ++y)
        s += at(im, x, y) == ground ? '.' : '#';
    return s;
}

}  // namespace vr::test
