#include <gtest/gtest.h>

#include <filesystem>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "gfx/canvas/raster_canvas.h"
#include "gfx/print/printer.h"
#include "objects/image.h"
#include "page/surface.h"
#include "support/doc_writer.h"

using namespace vr;
using vrtest::Bytes;
using vrtest::ImageRec;

namespace {

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
            ("vr_image_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(dir / "app");
        std::filesystem::create_directories(dir / "doc");
        folders = PictureFolders{(dir / "app").string() + "/", (dir / "doc").string() + "/"};
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Reads one image record (plus trailing bytes) onto a page that already holds another object.
    TDImage& read(const Bytes& bytes, size_t* consumed = nullptr)
    {
        page.add(std::make_unique<TDImage>());
        auto& image = static_cast<TDImage&>(page.add(std::make_unique<TDImage>()));
        DocStream s = DocStream::fromMemory(bytes);
        image.ReadRecord(s, true, page, folders);
        if (consumed)
            *consumed = s.position();
        return image;
    }

    std::filesystem::path dir;
    PictureFolders folders;
    TSurfaceT page;
};

Bytes withBytes(Bytes record, const Bytes& more)
{
    record.insert(record.end(), more.begin(), more.end());
    return record;
}

}  // namespace

TEST_F(ImageTest, RecordFieldsLayerCodesAndSizing)
{
    ImageRec r;
    r.left = "5";
    r.top = "6";
    r.width = "70";
    r.height = "80";
    r.layer = "3";
    r.bottom = "1";
    r.right = "0";
    r.top_ = "9";
    r.borderWidth = "4";
    r.borderColor = "255";
    r.sizing = "3";
    size_t consumed = 0;
    TDImage& img = read(withBytes(vrtest::imageRecord(r), {0x77}), &consumed);
    EXPECT_EQ(consumed, 113u);
    EXPECT_EQ(img.left, 5);
    EXPECT_EQ(img.height, 80);
    EXPECT_EQ(img.BorderLeft, 1);
    EXPECT_EQ(img.InFront, 1);
    EXPECT_EQ(img.BorderBottom, 1);
    EXPECT_EQ(img.BorderTop, 9);
    EXPECT_EQ(img.BorderWidth, 4);
    EXPECT_EQ(img.BorderColor, 255u);
    EXPECT_TRUE(img.Center);
    EXPECT_FALSE(img.Stretch);
    EXPECT_GT(img.zOrder, page.objects()[0]->zOrder);  // brought in front

    r.layer = "0";
    r.sizing = "0";
    TDImage& back = read(vrtest::imageRecord(r));
    EXPECT_EQ(back.InFront, 0);
    EXPECT_EQ(back.BorderLeft, 0);
    EXPECT_TRUE(back.Stretch);  // an unknown sizing code keeps the stretch of creation
    for (const auto& o : page.objects()) {
        if (o.get() != &back) {
            EXPECT_LT(back.zOrder, o->zOrder);  // sent behind every sibling
        }
    }
}

TEST_F(ImageTest, EmbeddedBitmapIsReadExactly)
{
    const Bytes bmp = vrtest::bmpFile(6, 4, 0x00FF00);
    ImageRec r;
    r.imageSize = std::to_string(bmp.size());
    size_t consumed = 0;
    TDImage& img = read(withBytes(withBytes(vrtest::imageRecord(r), bmp), {0x77}), &consumed);
    EXPECT_EQ(consumed, 113 + bmp.size());
    EXPECT_EQ(img.picture.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(img.picture.width(), 6);

    r.imageSize = "99999";
    DocStream s = DocStream::fromMemory(withBytes(vrtest::imageRecord(r), bmp));
    TDImage short_;
    EXPECT_THROW(short_.ReadRecord(s, true, page, folders), ReadError);

    r.imageSize = "10";
    DocStream g = DocStream::fromMemory(withBytes(vrtest::imageRecord(r), Bytes(10, 'x')));
    TDImage garbage;
    EXPECT_THROW(garbage.ReadRecord(g, true, page, folders), GraphicError);
}

TEST_F(ImageTest, NameAndImageSizeTogetherConsumeOnlyABitmap)
{
    const Bytes bmp = vrtest::bmpFile(3, 3, 0x0000FF);
    ImageRec r;
    r.fileName = "missing.bmp";
    r.imageSize = std::to_string(bmp.size());
    // A bitmap follows: consumed, and it serves since the file is missing.
    size_t consumed = 0;
    TDImage& a = read(withBytes(withBytes(vrtest::imageRecord(r), bmp), {0x77}), &consumed);
    EXPECT_EQ(consumed, 113 + bmp.size());
    EXPECT_EQ(a.picture.width(), 3);
    // The next object's tag follows: nothing more is read.
    const Bytes tag = vrtest::counted("TLigne", 20);
    TDImage& b = read(withBytes(vrtest::imageRecord(r), tag), &consumed);
    EXPECT_EQ(consumed, 113u);
    EXPECT_TRUE(b.picture.empty());
}

TEST_F(ImageTest, FileFallbackCaseAndInvalidPictures)
{
    vrtest::writeFile((dir / "app" / "pic.bmp").string(), vrtest::bmpFile(5, 7, 0));
    ImageRec r;
    r.fileName = "C:\\GONE\\PIC.BMP";
    r.sizing = "1";
    TDImage& img = read(vrtest::imageRecord(r));
    EXPECT_EQ(img.PictureFileName, folders.AppFolder + "pic.bmp");
    EXPECT_EQ(img.picture.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(img.width, 5);  // AutoSize takes the picture's size
    EXPECT_EQ(img.height, 7);

    // The document's folder is looked at last.
    vrtest::writeFile((dir / "doc" / "beside.bmp").string(), vrtest::bmpFile(2, 2, 0));
    r.fileName = "beside.bmp";
    EXPECT_EQ(read(vrtest::imageRecord(r)).picture.width(), 2);

    // Not a picture of its kind, or no known kind: empty, and nothing reported.
    vrtest::writeFile((dir / "app" / "bad.bmp").string(), Bytes{'B', 'M', 1, 2});
    vrtest::writeFile((dir / "app" / "pic.png").string(), vrtest::bmpFile(2, 2, 0));
    for (const char* name : {"bad.bmp", "pic.png", "nowhere.bmp"}) {
        r.fileName = name;
        TDImage& none = read(vrtest::imageRecord(r));
        EXPECT_TRUE(none.picture.empty()) << name;
        EXPECT_EQ(none.PictureFileName, name);
    }
}

TEST_F(ImageTest, PaintStretchesCentresOrKeepsTheNaturalSize)
{
    const Bytes bmp = vrtest::bmpFile(4, 2, 0x0000FF);
    ImageRec r;
    r.left = "10";
    r.top = "10";
    r.width = "20";
    r.height = "10";
    r.imageSize = std::to_string(bmp.size());
    auto paintWith = [&](const std::string& sizing) {
        r.sizing = sizing;
        TDImage& img = read(withBytes(vrtest::imageRecord(r), bmp));
        QImage out(40, 30, QImage::Format_RGB32);
        out.fill(Qt::white);
        RasterCanvas c(out);
        img.paintOnPage(c, PaintContext{});
        return out;
    };
    const QImage stretched = paintWith("2");
    EXPECT_EQ(stretched.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(stretched.pixel(29, 19), qRgb(255, 0, 0));
    EXPECT_EQ(stretched.pixel(30, 19), qRgb(255, 255, 255));
    const QImage centred = paintWith("3");  // picture at (10 + 8, 10 + 4), 4 x 2
    EXPECT_EQ(centred.pixel(17, 14), qRgb(255, 255, 255));
    EXPECT_EQ(centred.pixel(18, 14), qRgb(255, 0, 0));
    EXPECT_EQ(centred.pixel(21, 15), qRgb(255, 0, 0));
    EXPECT_EQ(centred.pixel(22, 15), qRgb(255, 255, 255));
}

TEST_F(ImageTest, PrintInsetsThePictureByTwiceHalfThePrinterPen)
{
    const Bytes bmp = vrtest::bmpFile(4, 4, 0x0000FF);
    ImageRec r;
    r.left = "16";
    r.top = "16";
    r.width = "32";
    r.height = "16";
    r.layer = "1";
    r.borderWidth = "1";
    r.imageSize = std::to_string(bmp.size());
    TDImage& img = read(withBytes(vrtest::imageRecord(r), bmp));
    MemoryPrinter printer(600, 20, 20);
    printer.beginDoc();
    img.Print(printer, 6.25, 6.25);
    const QImage& sheet = printer.sheets()[0];
    // Pen Round(6.25) = 6, half 3: the picture spans 100 + 6 .. 300 - 6 across, 100 + 6 .. 200 - 6 down.
    EXPECT_EQ(sheet.pixel(106, 150), qRgb(255, 0, 0));
    EXPECT_EQ(sheet.pixel(293, 150), qRgb(255, 0, 0));
    EXPECT_EQ(sheet.pixel(294, 150) & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(sheet.pixel(150, 106), qRgb(255, 0, 0));
    EXPECT_EQ(sheet.pixel(150, 193), qRgb(255, 0, 0));
    // The left border runs along the picture's edge at x = 100, 6 dots wide, in black.
    EXPECT_EQ(sheet.pixel(100, 150), qRgb(0, 0, 0));
    EXPECT_EQ(sheet.pixel(102, 150), qRgb(0, 0, 0));
}
