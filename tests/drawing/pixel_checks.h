// Pixel tables for the drawing tests: each entry names a pixel and the colour it must have.
#pragma once
#include <initializer_list>

#include <gtest/gtest.h>

#include "gfx/gfx_test_support.h"

namespace vr::test {

struct Px {
    int x, y;
    Color colour;
};

inline void expectPixels(const QImage& im, std::initializer_list<Px> pixels)
{
    for (const Px& p : pixels)
        EXPECT_EQ(at(im, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
}

}  // namespace vr::test
