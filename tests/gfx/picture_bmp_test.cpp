// BMP and DIB decoding: the BMP suite's files (each picture compared across its encodings),
// bitmaps built here byte by byte, and headers that claim more than their data holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "gfx/picture/picture.h"

namespace fs = std::filesystem;
using namespace vr;

namespace {

const fs::path kBmpDir = fs::path(VR_CORPUS_DIR) / "bmp";

std::vector<uint8_t> readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

QImage bmp(const std::string& name)
{
    const auto bytes = readBytes(kBmpDir / name);
    return decodeBmp(bytes.data(), bytes.size());
}

void put32(std::vector<uint8_t>& v, uint32_t x)
{
    v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
}

// A 40-byte info header (one plane) followed by `palette` (0x00RRGGBB entries) and `bits`.
std::vector<uint8_t> dib(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& bits)
{
    std::vector<uint8_t> v;
    for (uint32_t x : {40u, uint32_t(w), uint32_t(h), 1u | (uint32_t(bpp) << 16), compression, 0u, 0u, 0u,
                       uint32_t(palette.size()), 0u})
        put32(v, x);
    for (uint32_t c : palette)
        put32(v, c);
    v.insert(v.end(), bits.begin(), bits.end());
    return v;
}

QImage decode(const std::vector<uint8_t>& v)
{
    return decodeDib(v.data(), v.size());
}

bool samePixels(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

#define SKIP_WITHOUT_CORPUS()                                                                                          \
    if (!fs::is_directory(kBmpDir))                                                                                    \
    GTEST_SKIP() << "BMP corpus not found at " << kBmpDir

}  // namespace

TEST(BmpSuite, GoodFilesDecodeToTheirSizesAndAgreeAcrossEncodings)
{
    SKIP_WITHOUT_CORPUS();
    for (const auto& e : fs::directory_iterator(kBmpDir / "g")) {
        const std::string name = e.path().filename().string();
        QImage im;
        ASSERT_NO_THROW(im = bmp("g/" + name)) << name;
        const QSize expected = name == "pal8nonsquare.bmp" ? QSize(127, 32)
            : name == "pal8w124.bmp"                       ? QSize(124, 61)
            : name == "pal8w125.bmp"                       ? QSize(125, 62)
            : name == "pal8w126.bmp"                       ? QSize(126, 63)
                                                           : QSize(127, 64);
        EXPECT_EQ(im.size(), expected) << name;
    }
    // The same picture in other headers, row orders, compressions and channel layouts.
    const QImage pal8 = bmp("g/pal8.bmp");
    for (const char* same :
         {"g/pal8-0.bmp", "g/pal8topdown.bmp", "g/pal8rle.bmp", "g/pal8os2.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp",
          "q/pal8os2v2.bmp", "q/pal8os2v2-16.bmp", "q/pal8os2sp.bmp", "q/pal8offs.bmp", "q/pal8oversizepal.bmp"})
        EXPECT_TRUE(samePixels(pal8, bmp(same))) << same;
    EXPECT_TRUE(samePixels(bmp("g/pal4.bmp"), bmp("g/pal4rle.bmp")));
    const QImage rgb24 = bmp("g/rgb24.bmp");
    for (const char* same :
         {"g/rgb24pal.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp", "q/rgb32-xbgr.bmp", "q/rgb32h52.bmp"})
        EXPECT_TRUE(samePixels(rgb24, bmp(same))) << same;
    EXPECT_TRUE(samePixels(bmp("g/rgb16.bmp"), bmp("g/rgb16bfdef.bmp")));
    EXPECT_TRUE(samePixels(bmp("g/rgb16-565.bmp"), bmp("g/rgb16-565pal.bmp")));

    // Corners and the letters: red top-left, black bottom-left, palette colours elsewhere.
    EXPECT_EQ(pal8.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(pal8.pixel(126, 0), 0xFF99AACCu);
    EXPECT_EQ(pal8.pixel(60, 32), 0xFFFF80FFu);
    const QImage pal1bg = bmp("g/pal1bg.bmp");
    EXPECT_EQ(pal1bg.pixel(0, 0), 0xFF40FF40u);
    EXPECT_EQ(pal1bg.pixel(0, 63), 0xFF4040FFu);
    // 5-bit and 6-bit channels widen to the full 0..255 range.
    EXPECT_EQ(bmp("g/rgb16.bmp").pixel(126, 0), 0xFF9C9CBDu);
    EXPECT_EQ(bmp("g/rgb16-565.bmp").pixel(126, 0), 0xFF9C9EBDu);
}

TEST(BmpSuite, BadAndQuestionableFilesNeverCrash)
{
    SKIP_WITHOUT_CORPUS();
    for (const char* dir : {"b", "q", "x", "other"}) {
        for (const auto& e : fs::directory_iterator(kBmpDir / dir)) {
            const auto bytes = readBytes(e.path());
            try {
                const QImage im = decodeBmp(bytes.data(), bytes.size());
                EXPECT_GT(im.width(), 0);
                EXPECT_LE(int64_t(im.width()) * im.height(), int64_t(bytes.size()) * 256) << e.path();
            } catch (const GraphicError&) {
            }
        }
    }
    for (const char* name :
         {"b/badbitcount.bmp", "b/badplanes.bmp", "b/reallybig.bmp", "b/rletopdown.bmp", "b/shortfile.bmp"})
        EXPECT_THROW(bmp(name), GraphicError) << name;
}

TEST(BmpDib, OneAndTwentyFourBitBottomUpRowsWithPadding)
{
    // 1 bpp, 3 x 2: rows bottom-up, each padded to four bytes; bit 7 is the leftmost pixel.
    const QImage mono = decode(dib(3, 2, 1, 0, {0x000000, 0x2040A0}, {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}));
    ASSERT_EQ(mono.size(), QSize(3, 2));
    EXPECT_EQ(mono.pixel(0, 1), 0xFF2040A0u);
    EXPECT_EQ(mono.pixel(2, 1), 0xFF2040A0u);
    EXPECT_EQ(mono.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(mono.pixel(1, 0), 0xFF2040A0u);

    // 24 bpp, 2 x 2, blue-green-red byte order; the last row may come without its padding.
    const QImage rgb = decode(dib(2, 2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(rgb.size(), QSize(2, 2));
    EXPECT_EQ(rgb.pixel(0, 1), 0xFF030201u);
    EXPECT_EQ(rgb.pixel(0, 0), 0xFF090807u);
    EXPECT_EQ(rgb.pixel(1, 0), 0xFF0C0B0Au);
    // Negative height: top-down rows.
    EXPECT_EQ(decode(dib(2, -2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12})).pixel(0, 0), 0xFF030201u);
}

TEST(BmpDib, Rle8RunsDeltaAndLiteralGroups)
{
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // RLE8, 4 x 3: bottom row a run of 3 x index 1; then a delta of (1, 1) over the middle row;
    // top row from x = 1: a literal group of 3 (padded) and the end of the bitmap.
    const QImage r8 = decode(dib(4, 3, 8, 1, pal, {3, 1, 0, 0, 0, 2, 1, 1, 0, 3, 2, 3, 1, 0, 0, 1}));
    ASSERT_EQ(r8.size(), QSize(4, 3));
    EXPECT_EQ(r8.pixel(2, 2), 0xFFFF0000u);
    EXPECT_EQ(r8.pixel(3, 2), 0xFF000000u);  // never set: colour 0
    EXPECT_EQ(r8.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(r8.pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(r8.pixel(2, 0), 0xFF0000FFu);
    EXPECT_EQ(r8.pixel(3, 0), 0xFFFF0000u);
}

TEST(BmpDib, HeadersClaimingMoreThanTheDataAreRejected)
{
    // 60000 x 60000 with a few bytes of bits, uncompressed and as RLE.
    EXPECT_THROW(decode(dib(60000, 60000, 24, 0, {}, std::vector<uint8_t>(100))), GraphicError);
    EXPECT_THROW(decode(dib(60000, 60000, 8, 1, {0}, {0, 1})), GraphicError);
    EXPECT_THROW(decode(dib(0x7FFFFFFF, -0x7FFFFFFF, 1, 0, {}, {})), GraphicError);
    // A colour table longer than the data, an RLE literal past the end, an unknown header.
    auto pal = dib(1, 1, 8, 0, {}, {0, 0, 0, 0});
    pal[32] = 0xFF;
    pal[33] = 0xFF;
    EXPECT_THROW(decode(pal), GraphicError);
    EXPECT_THROW(decode(dib(4, 1, 8, 1, {0}, {0, 20, 1, 2})), GraphicError);
    auto header = dib(1, 1, 24, 0, {}, {0, 0, 0, 0});
    header[0] = 200;
    EXPECT_THROW(decode(header), GraphicError);
    const uint8_t shortData[] = {40, 0, 0, 0, 1, 0};
    EXPECT_THROW(decodeDib(shortData, sizeof shortData), GraphicError);
}
