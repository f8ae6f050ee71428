// PNG files of pages and sheets: the colour type and bit depth chosen for the number of colours,
// and every pixel read back as written.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QImage>
#include <gtest/gtest.h>

#include "gfx/print/png_file.h"

namespace vr {
namespace {

struct Header {
    int depth = 0, colourType = 0;
};

// Bit depth and colour type from the IHDR chunk (bytes 24 and 25 of the file).
Header headerOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> b(26);
    in.read(b.data(), 26);
    if (in.gcount() != 26)
        return {};
    return {static_cast<unsigned char>(b[24]), static_cast<unsigned char>(b[25])};
}

// An opaque image of `colours` distinct colours, each in a band of columns, with a second row
// pattern so that rows differ.
QImage bands(int colours, int w = 300, int h = 7)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int c = (x + y) % colours;
            img.setPixel(x, y, qRgb(c & 0xFF, (c * 7) & 0xFF, c >> 8));
        }
    return img;
}

void expectSamePixels(const QImage& written, const QImage& read)
{
    ASSERT_EQ(read.size(), written.size());
    const QImage a = written.convertToFormat(QImage::Format_ARGB32);
    const QImage b = read.convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

class PngFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("vr_png_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::filesystem::path dir;
};

TEST_F(PngFileTest, PaletteDepthFollowsTheNumberOfColoursAndPixelsReadBack)
{
    // colours -> bit depth (colour type 3: palette); past 256 colours, 8-bit RGB (type 2).
    const struct {
        int colours, depth, type;
    } cases[] = {{1, 1, 3},  {2, 1, 3},  {3, 2, 3},   {4, 2, 3},   {5, 4, 3},
                 {16, 4, 3}, {17, 8, 3}, {256, 8, 3}, {257, 8, 2}, {300, 8, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colours);
        const QImage img = bands(c.colours);
        const std::string name = path("b" + std::to_string(c.colours) + ".png");
        ASSERT_TRUE(writePngFile(img, name));
        const Header h = headerOf(name);
        EXPECT_EQ(h.depth, c.depth);
        EXPECT_EQ(h.colourType, c.type);
        expectSamePixels(img, QImage(QString::fromStdString(name)));
        EXPECT_EQ(pngPalette(img).size(), c.colours <= 256 ? c.colours : 0);
    }
}

TEST_F(PngFileTest, OddWidthsPackTheLastByteOfEachRow)
{
    // 1-, 2- and 4-bit rows whose width is not a multiple of the pixels per byte.
    for (int colours : {2, 4, 16})
        for (int w : {1, 3, 7, 9, 13}) {
            SCOPED_TRACE(std::to_string(colours) + " colours, width " + std::to_string(w));
            const QImage img = bands(colours, w, 5);
            const std::string name = path("odd.png");
            ASSERT_TRUE(writePngFile(img, name));
            expectSamePixels(img, QImage(QString::fromStdString(name)));
        }
}

TEST_F(PngFileTest, PaletteIsInOrderOfFirstAppearance)
{
    QImage img(4, 2, QImage::Format_RGB32);
    const QRgb order[8] = {qRgb(9, 9, 9),   qRgb(255, 0, 0), qRgb(9, 9, 9),   qRgb(0, 0, 255),
                           qRgb(0, 0, 255), qRgb(1, 2, 3),   qRgb(255, 0, 0), qRgb(1, 2, 3)};
    for (int i = 0; i < 8; ++i)
        img.setPixel(i % 4, i / 4, order[i]);
    const QList<QRgb> expected = {qRgb(9, 9, 9), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(1, 2, 3)};
    EXPECT_EQ(pngPalette(img), expected);
}

TEST_F(PngFileTest, MonoSheetsAndOtherFormats)
{
    QImage mono(37, 11, QImage::Format_Mono);
    mono.setColorTable({0xFF000000u, 0xFFFFFFFFu});
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            mono.setPixel(x, y, (x * y + x) % 3 == 0 ? 0 : 1);
    ASSERT_TRUE(writePngFile(mono, path("mono.png")));
    EXPECT_EQ(headerOf(path("mono.png")).depth, 1);
    EXPECT_EQ(headerOf(path("mono.png")).colourType, 3);
    expectSamePixels(mono, QImage(QString::fromStdString(path("mono.png"))));

    // A 16-bit image is written as its pixels read: 3 colours, a 2-bit palette.
    QImage rgb16(10, 10, QImage::Format_RGB16);
    rgb16.fill(Qt::white);
    rgb16.setPixel(2, 3, qRgb(0, 0, 0));
    rgb16.setPixel(7, 8, qRgb(255, 0, 0));
    ASSERT_TRUE(writePngFile(rgb16, path("rgb16.png")));
    EXPECT_EQ(headerOf(path("rgb16.png")).depth, 2);
    expectSamePixels(rgb16, QImage(QString::fromStdString(path("rgb16.png"))));
}

TEST_F(PngFileTest, TransparencyIsKept)
{
    QImage img(5, 5, QImage::Format_ARGB32);
    img.fill(qRgba(0, 0, 0, 0));
    img.setPixel(1, 1, qRgba(10, 20, 30, 255));
    ASSERT_TRUE(writePngFile(img, path("alpha.png")));
    EXPECT_TRUE(pngPalette(img).isEmpty());
    const QImage read(QString::fromStdString(path("alpha.png")));
    EXPECT_TRUE(read.hasAlphaChannel());
    EXPECT_EQ(qAlpha(read.pixel(0, 0)), 0);
    EXPECT_EQ(read.pixel(1, 1), qRgba(10, 20, 30, 255));
}

TEST_F(PngFileTest, AFileThatCannotBeWrittenIsReported)
{
    EXPECT_FALSE(writePngFile(bands(2), path("missing/folder/x.png")));
    EXPECT_FALSE(writePngFile(QImage(), path("null.png")));
    EXPECT_FALSE(std::filesystem::exists(path("null.png")));
}

}  // namespace
}  // namespace vr
