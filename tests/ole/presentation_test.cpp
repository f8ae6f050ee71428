#include <filesystem>
#include <fstream>
#include <iterator>

#include <QImage>
#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "ole/compound_file.h"
#include "ole/container_stream.h"
#include "ole/embedded_object.h"
#include "ole/presentation.h"
#include "support/cfb_writer.h"

using namespace vr;
using namespace vr::ole;
using vrtest::Bytes;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

Bytes readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

EmbeddedObject load(const Bytes& storage, uint32_t aspect)
{
    return loadEmbeddedObject(storage.data(), storage.size(), aspect);
}

// The object's screen presentation drawn into `dest` of a white image.
QImage drawn(const Presentation& p, int w, int h, const IRect& dest)
{
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(0xFFFFFFFFu);
    RasterCanvas canvas(im);
    p.draw(canvas, dest);
    return im;
}

Color at(const QImage& im, int x, int y)
{
    return fromArgb(im.pixel(x, y));
}

std::optional<Presentation> fromStream(const std::string& name, const Bytes& stream)
{
    return presentationFromStream(name, stream.data(), stream.size());
}

Bytes pres(uint32_t cf, uint32_t aspect, const Bytes& data, int32_t ex = 2540, int32_t ey = 1270)
{
    return vrtest::presentationStream(cf, aspect, ex, ey, data);
}

}  // namespace

TEST(PresentationHeader, FieldsTargetDeviceAndNamedFormats)
{
    Bytes s = pres(kCfDib, 4, Bytes(10, 0), 1455, 1349);
    auto h = parsePresentationHeader(s.data(), s.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->clipFormat, kCfDib);
    EXPECT_EQ(h->aspect, 4u);
    EXPECT_EQ(h->lindex, -1);
    EXPECT_EQ(h->extentX, 1455);
    EXPECT_EQ(h->extentY, 1349);
    EXPECT_EQ(h->dataSize, 10u);
    EXPECT_EQ(h->dataOffset, 40u);

    // A target device of 16 bytes after its size: the size counts itself, the rest follows.
    Bytes t(s.begin(), s.begin() + 8);
    const Bytes td{20, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    t.insert(t.end(), td.begin(), td.end());
    t.insert(t.end(), s.begin() + 12, s.end());
    h = parsePresentationHeader(t.data(), t.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->targetDeviceSize, 20u);
    EXPECT_EQ(h->aspect, 4u);
    EXPECT_EQ(h->dataOffset, 56u);

    // A format registered by name: its length with the closing zero, then the name.
    Bytes named{5, 0, 0, 0, 'R', 'T', 'F', 'x', 0};
    named.insert(named.end(), s.begin() + 8, s.end());
    h = parsePresentationHeader(named.data(), named.size());
    ASSERT_TRUE(h);
    EXPECT_EQ(h->clipFormat, 0u);
    EXPECT_EQ(h->formatName, "RTFx");
    EXPECT_EQ(h->dataOffset, 41u);
}

TEST(PresentationHeader, HeadersThatDoNotFitTheirStream)
{
    const Bytes s = pres(kCfDib, 1, Bytes{});
    for (size_t n = 0; n < 40; ++n)
        EXPECT_FALSE(parsePresentationHeader(s.data(), n)) << n;
    Bytes t = s;
    t[8] = 0xFF;  // a target device larger than the stream
    EXPECT_FALSE(parsePresentationHeader(t.data(), t.size()));
    t = s;
    t[8] = 3;  // a size that cannot count itself
    EXPECT_FALSE(parsePresentationHeader(t.data(), t.size()));
    Bytes named{0x02, 0x02, 0, 0};  // a name of 0x202 characters: more than a format name has
    named.resize(0x300, 'A');
    EXPECT_FALSE(parsePresentationHeader(named.data(), named.size()));
}

TEST(Presentation, MetafileStretchedIntoTheRectangle)
{
    const auto p = fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, vrtest::filledWmf(100, 50, kRed)));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, Presentation::Format::Metafile);
    EXPECT_EQ(p->mapMode, kMmAnisotropic);
    EXPECT_EQ(p->picture.width(), 96);  // 2540 x 1270 hundredths of a millimetre at 96 dpi
    EXPECT_EQ(p->picture.height(), 48);
    const QImage im = drawn(*p, 100, 60, IRect{10, 20, 70, 50});
    EXPECT_EQ(at(im, 10, 20), kRed);
    EXPECT_EQ(at(im, 69, 49), kRed);
    EXPECT_EQ(at(im, 9, 20), kWhite);
    EXPECT_EQ(at(im, 70, 49), kWhite);
    EXPECT_EQ(at(im, 69, 50), kWhite);
}

TEST(Presentation, ExtentsAreTheWindowOfAMetafileThatSetsNone)
{
    // No window records: the rectangle (0, 0, 501, 251) is about half of the 1000 x 500 extents
    // (drawn without pen, its fill leaves out the right and bottom pixel: 49 x 24 pixels).
    const Bytes wmf = vrtest::plainWmf(
        0, 0, {{0x02FC, 0, 0x00FF, 0, 0}, {0x012D, 0}, {0x02FA, 5, 0, 0, 0, 0}, {0x012D, 1}, {0x041B, 251, 501, 0, 0}});
    const auto p = fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, wmf, 1000, 500));
    ASSERT_TRUE(p);
    const QImage im = drawn(*p, 100, 50, IRect{0, 0, 100, 50});
    EXPECT_EQ(at(im, 0, 0), kRed);
    EXPECT_EQ(at(im, 48, 23), kRed);
    EXPECT_EQ(at(im, 49, 23), kWhite);
    EXPECT_EQ(at(im, 48, 24), kWhite);
}

TEST(Presentation, ExtentsBeyondSixteenBitsKeepTheirProportions)
{
    // 100000 x 50000: the header's bounds take 25000 x 12500 at 635 units to the inch.
    auto p = fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, vrtest::filledWmf(10, 10, kRed), 100000, 50000));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->picture.width(), 3780);
    EXPECT_EQ(p->picture.height(), 1890);
    // The largest extents a header can hold.
    p = fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, vrtest::filledWmf(10, 10, kRed), 0x7FFFFFFE, 0x7FFFFFFE));
    ASSERT_TRUE(p);
    EXPECT_EQ(at(drawn(*p, 20, 20, IRect{0, 0, 20, 20}), 5, 5), kRed);
}

TEST(Presentation, BitmapStretchedIntoTheRectangle)
{
    const auto p = fromStream("\x02OlePres001", pres(kCfDib, 1, vrtest::dib(4, 2, kBlue)));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, Presentation::Format::Dib);
    EXPECT_EQ(p->picture.width(), 4);
    EXPECT_EQ(p->picture.height(), 2);
    const QImage im = drawn(*p, 50, 50, IRect{5, 5, 45, 25});
    EXPECT_EQ(at(im, 5, 5), kBlue);
    EXPECT_EQ(at(im, 44, 24), kBlue);
    EXPECT_EQ(at(im, 45, 24), kWhite);
    EXPECT_EQ(at(im, 44, 25), kWhite);
}

TEST(Presentation, SizesBeyondTheStreamAreCutAtItsEnd)
{
    // The header claims a megabyte of metafile; the stream holds the picture and nothing more.
    const Bytes wmf = vrtest::filledWmf(10, 10, kGreen);
    const auto p = fromStream("\x02OlePres000", vrtest::presentationStream(kCfMetafilePict, 1, 254, 254, wmf, 1 << 20));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->dataSize, wmf.size());
    EXPECT_EQ(at(drawn(*p, 20, 20, IRect{0, 0, 20, 20}), 10, 10), kGreen);
    // A metafile whose own header claims 4 GB: its records are read as far as the stream goes.
    Bytes big = wmf;
    big[6] = big[7] = big[8] = big[9] = 0xFF;
    const auto q = fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, big, 254, 254));
    ASSERT_TRUE(q);
    EXPECT_EQ(at(drawn(*q, 20, 20, IRect{0, 0, 20, 20}), 10, 10), kGreen);
    // A bitmap whose header asks for more rows than the data holds cannot be drawn.
    Bytes d = vrtest::dib(200, 200, kGreen);
    d.resize(200);
    EXPECT_FALSE(fromStream("\x02OlePres000", pres(kCfDib, 1, d)));
    // Formats the cache does not draw, and no data at all.
    EXPECT_FALSE(fromStream("\x02OlePres000", pres(2, 1, vrtest::dib(2, 2, 0))));
    EXPECT_FALSE(fromStream("\x02OlePres000", pres(kCfMetafilePict, 1, Bytes{})));
}

TEST(ChoosePresentation, FirstDrawableStreamOfTheAspectInNumberOrder)
{
    Bytes badDib = vrtest::dib(50, 50, kRed);
    badDib.resize(60);
    const Bytes storage = vrtest::compoundFile({
        {"\x01"
         "CompObj",
         Bytes(30, 0)},
        {"\x02OlePres003", pres(kCfDib, 1, vrtest::dib(2, 2, kGreen))},
        {"\x02OlePres002", pres(kCfDib, 1, vrtest::dib(3, 3, kBlue))},
        {"\x02OlePres001", pres(kCfDib, 1, badDib)},  // cannot be drawn: the next one serves
        {"\x02OlePres000", pres(kCfMetafilePict, 4, vrtest::filledWmf(32, 32, kRed))},
    });
    EmbeddedObject obj = load(storage, kAspectContent);
    ASSERT_TRUE(obj.screen);
    EXPECT_EQ(obj.screen->source, "\x02OlePres002");
    EXPECT_EQ(obj.screen->picture.width(), 3);
    ASSERT_TRUE(obj.print);
    EXPECT_EQ(obj.print->source, "\x02OlePres002");

    // The icon aspect shows the icon's metafile; paper still takes the content.
    obj = load(storage, kAspectIcon);
    ASSERT_TRUE(obj.screen);
    EXPECT_EQ(obj.screen->source, "\x02OlePres000");
    EXPECT_EQ(obj.screen->aspect, kAspectIcon);
    ASSERT_TRUE(obj.print);
    EXPECT_EQ(obj.print->source, "\x02OlePres002");

    // An aspect no stream has: nothing to draw, no failure.
    obj = load(storage, kAspectThumbnail);
    EXPECT_FALSE(obj.screen);
    EXPECT_EQ(obj.names.size(), 5u);
}

TEST(ChoosePresentation, ContentsOfStaticPictures)
{
    const Bytes dibFile = vrtest::bmpFile(6, 3, kBlue);
    EmbeddedObject obj = load(vrtest::compoundFile({{"CONTENTS", dibFile}}, vrtest::staticDibClass()), kAspectContent);
    ASSERT_TRUE(obj.screen);
    EXPECT_EQ(obj.screen->source, "CONTENTS");
    EXPECT_EQ(obj.screen->format, Presentation::Format::Dib);
    EXPECT_EQ(obj.screen->picture.width(), 6);
    EXPECT_EQ(obj.screen->extentX, 159);  // 6 pixels at 96 to the inch, in 0.01 mm

    // A placeable metafile: its bounds give the extents.
    Bytes placeable{0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xA0, 0x05, 0xD0, 0x02, 0xA0, 0x05, 0, 0, 0, 0};
    uint16_t sum = 0;
    for (size_t i = 0; i < placeable.size(); i += 2)
        sum ^= static_cast<uint16_t>(placeable[i] | (placeable[i + 1] << 8));
    placeable.push_back(static_cast<uint8_t>(sum));
    placeable.push_back(static_cast<uint8_t>(sum >> 8));
    const Bytes wmf = vrtest::filledWmf(10, 10, kRed);
    placeable.insert(placeable.end(), wmf.begin(), wmf.end());
    obj = load(vrtest::compoundFile({{"CONTENTS", placeable}}, vrtest::staticMetafileClass()), kAspectContent);
    ASSERT_TRUE(obj.screen);
    EXPECT_EQ(obj.screen->format, Presentation::Format::Metafile);
    EXPECT_EQ(obj.screen->extentX, 2540);  // 1440 units at 1440 to the inch
    EXPECT_EQ(obj.screen->extentY, 1270);

    // CONTENTS of another class is its program's own data, not a picture.
    obj = load(vrtest::compoundFile({{"CONTENTS", dibFile}}, vrtest::worksheetClass()), kAspectContent);
    EXPECT_FALSE(obj.screen);
    // Static pictures have no icon of their own.
    obj = load(vrtest::compoundFile({{"CONTENTS", dibFile}}, vrtest::staticDibClass()), kAspectIcon);
    EXPECT_FALSE(obj.screen);
}

TEST(ChoosePresentationCorpus, CachedMetafilesOfRealObjects)
{
    const fs::path corpus = fs::path(VR_CORPUS_DIR) / "cfb";
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "corpus folder not found: " << corpus;
    struct Case {
        const char* file;
        int32_t ex, ey;
        size_t data;
    };
    for (const Case& c :
         {Case{"poi_oleObject1.bin", 1455, 1349, 3702}, Case{"tika_testEXCEL.xls", 8493, 12621, 4268}}) {
        SCOPED_TRACE(c.file);
        const EmbeddedObject obj = load(readBytes(corpus / c.file), kAspectContent);
        ASSERT_TRUE(obj.screen);
        EXPECT_EQ(obj.screen->source, "\x02OlePres000");
        EXPECT_EQ(obj.screen->format, Presentation::Format::Metafile);
        EXPECT_EQ(obj.screen->extentX, c.ex);
        EXPECT_EQ(obj.screen->extentY, c.ey);
        EXPECT_EQ(obj.screen->dataSize, c.data);
        const QImage im = drawn(*obj.screen, 200, 200, IRect{0, 0, 200, 200});
        int marked = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                marked += at(im, x, y) != kWhite;
        EXPECT_GT(marked, 200) << "the cached picture draws something";
        EXPECT_FALSE(load(readBytes(corpus / c.file), kAspectIcon).screen);
    }
    // Documents whose objects sit in sub-storages have no presentation of their own.
    const EmbeddedObject doc = load(readBytes(corpus / "tika_testException2.doc"), kAspectContent);
    EXPECT_FALSE(doc.screen);
    EXPECT_GT(doc.names.size(), 10u);
}
