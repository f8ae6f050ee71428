// Icons, GIF and JPEG: real files, the JPEG decodes checked pixel for pixel against the reference
// decoder djpeg, and malformed data; then pictures loaded by file name and drawn.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <unistd.h>

#include <QProcess>
#include <QStandardPaths>

#include "gfx/canvas/recording_canvas.h"
#include "gfx/picture/picture.h"

namespace fs = std::filesystem;
using namespace vr;

namespace {

const fs::path kCorpus = fs::path(VR_CORPUS_DIR);

std::vector<uint8_t> readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

QImage ico(const std::string& name)
{
    const auto bytes = readBytes(kCorpus / "ico" / name);
    return decodeIco(bytes.data(), bytes.size());
}

QImage gif(const std::string& name)
{
    const auto bytes = readBytes(kCorpus / "gif" / name);
    return decodeGif(bytes.data(), bytes.size());
}

#define SKIP_WITHOUT(dir)                                                                                              \
    if (!fs::is_directory(kCorpus / dir))                                                                              \
    GTEST_SKIP() << "corpus folder not found: " << (kCorpus / dir)

// Every file of a folder through a decoder: an image or GraphicError, nothing else.
template <typename Decode> void decodeAllOrFail(const std::string& dir, const std::string& ext, Decode decode)
{
    for (const auto& e : fs::directory_iterator(kCorpus / dir)) {
        if (e.path().extension() != ext)
            continue;
        const auto bytes = readBytes(e.path());
        try {
            const QImage im = decode(bytes.data(), bytes.size());
            EXPECT_FALSE(im.isNull()) << e.path();
        } catch (const GraphicError&) {
        }
    }
}

// djpeg's output as an image (PPM, or PGM for grey); null when djpeg refuses the file. Exit
// status 2 means warnings (a truncated stream) with the picture written all the same.
QImage djpeg(const fs::path& file, const QStringList& options)
{
    QProcess p;
    p.start("djpeg", options + QStringList{"-pnm", QString::fromStdString(file.string())});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || (p.exitCode() != 0 && p.exitCode() != 2))
        return {};
    return QImage::fromData(p.readAllStandardOutput(), "PPM").convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(IcoDecode, LargestImageWithItsTransparency)
{
    SKIP_WITHOUT("ico");
    EXPECT_EQ(ico("pillow_hopper_256x256.ico").size(), QSize(256, 256));
    EXPECT_EQ(ico("pillow_pillow.ico").size(), QSize(256, 256));  // PNG entries
    EXPECT_EQ(ico("shareaza_Shareaza.ico").size(), QSize(48, 48));
    // 24-bit colours with an AND mask: the arrow is opaque black, around it is transparent.
    const QImage arrow = ico("shareaza_UpDownArrow.ico");
    ASSERT_EQ(arrow.size(), QSize(16, 16));
    EXPECT_EQ(arrow.pixel(5, 12), 0xFF000000u);
    EXPECT_EQ(arrow.pixel(8, 12), 0u);
    const QImage python = ico("pillow_python.ico");
    ASSERT_EQ(python.size(), QSize(48, 48));
    EXPECT_EQ(qAlpha(python.pixel(0, 0)), 0);
    EXPECT_EQ(python.pixel(24, 24), 0xFFFEE765u);
    decodeAllOrFail("ico", ".ico", decodeIco);
}

TEST(GifDecode, FirstFrameTransparencyAndInterlace)
{
    SKIP_WITHOUT("gif");
    const QImage trans = gif("giflib_x-trans.gif");
    ASSERT_EQ(trans.size(), QSize(100, 100));
    EXPECT_EQ(qAlpha(trans.pixel(0, 0)), 0);
    EXPECT_EQ(trans.pixel(50, 50), 0xFF000000u);
    EXPECT_EQ(gif("giflib_welcome2.gif").size(), QSize(290, 48));
    EXPECT_EQ(qAlpha(gif("pillow_first_frame_transparency.gif").pixel(0, 0)), 0);
    // The same picture stored interlaced and not.
    const QImage plain = gif("giflib_treescap.gif");
    EXPECT_EQ(plain.size(), QSize(40, 40));
    EXPECT_TRUE(plain == gif("giflib_treescap-interlaced.gif"));
    for (const char* bad :
         {"libnsgif_afl_000002.gif", "libnsgif_lzwoob.gif", "pillow_decompression_bomb.gif", "pillow_zero_width.gif"})
        EXPECT_THROW(gif(bad), GraphicError) << bad;
    decodeAllOrFail("gif", ".gif", decodeGif);

    // A screen of 65535 x 65535 in a few bytes is refused before anything is allocated.
    std::vector<uint8_t> huge = readBytes(kCorpus / "gif/giflib_x-trans.gif");
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    EXPECT_THROW(decodeGif(huge.data(), huge.size()), GraphicError);
}

TEST(JpegDecode, SameAsDjpegForScreenAndPrinting)
{
    SKIP_WITHOUT("jpeg");
    if (QStandardPaths::findExecutable("djpeg").isEmpty())
        GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) is not installed";
    int compared = 0;
    for (const auto& e : fs::directory_iterator(kCorpus / "jpeg")) {
        if (e.path().extension() != ".jpg")
            continue;
        const auto bytes = readBytes(e.path());
        const std::string name = e.path().filename().string();
        const QImage rgb = djpeg(e.path(), {"-dct", "int"});
        if (rgb.isNull()) {
            // What the library cannot decode (12-bit or lossless with some builds) is not a picture.
            EXPECT_THROW(decodeJpeg(bytes.data(), bytes.size(), JpegOutput::Rgb24), GraphicError) << name;
            continue;
        }
        EXPECT_TRUE(decodeJpeg(bytes.data(), bytes.size(), JpegOutput::Rgb24) == rgb) << name;
        // The library quantises only RGB and grey output: CMYK prints from its 24-bit form.
        QImage quantised = djpeg(e.path(), {"-colors", "236", "-dither", "fs", "-dct", "int"});
        if (quantised.isNull())
            quantised = rgb;
        const QImage ours = decodeJpeg(bytes.data(), bytes.size(), JpegOutput::Quantised236);
        EXPECT_TRUE(ours == quantised) << name;
        std::set<QRgb> colours;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x)
                colours.insert(ours.pixel(x, y));
        if (quantised != rgb) {
            EXPECT_LE(colours.size(), 236u) << name;
        }
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

TEST(JpegDecode, CorruptAndOversizedDataIsAGraphicError)
{
    SKIP_WITHOUT("jpeg");
    auto bytes = readBytes(kCorpus / "jpeg/libjpeg-turbo_testorig.jpg");
    ASSERT_GT(bytes.size(), 1000u);
    // Only the start of the file: a header and no picture.
    EXPECT_THROW(decodeJpeg(bytes.data(), 200, JpegOutput::Rgb24), GraphicError);
    // The frame header claiming 65500 x 65500.
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC1)) {
            bytes[i + 5] = bytes[i + 7] = 0xFF;
            bytes[i + 6] = bytes[i + 8] = 0xDC;
            break;
        }
    }
    EXPECT_THROW(decodeJpeg(bytes.data(), bytes.size(), JpegOutput::Quantised236), GraphicError);
}

namespace {

// Copies of corpus files (or given bytes) under chosen names in a scratch folder.
struct ScratchFiles {
    fs::path dir = fs::temp_directory_path() / ("vr_picture_" + std::to_string(::getpid()));
    ScratchFiles() { fs::create_directories(dir); }
    ~ScratchFiles()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string copy(const std::string& from, const std::string& name)
    {
        fs::copy_file(kCorpus / from, dir / name, fs::copy_options::overwrite_existing);
        return (dir / name).string();
    }
    std::string write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
};

}  // namespace

TEST(PictureLoad, ExtensionChoosesTheKindAndBadDataIsAnInvalidGraphic)
{
    SKIP_WITHOUT("bmp");
    ScratchFiles f;
    const Picture bmp = Picture::loadFile(f.copy("bmp/g/pal8.bmp", "a.BmP"));
    EXPECT_EQ(bmp.kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(QSize(bmp.width(), bmp.height()), QSize(127, 64));
    EXPECT_EQ(Picture::loadFile(f.copy("ico/pillow_python.ico", "b.ICO")).kind(), Picture::Kind::Icon);
    EXPECT_EQ(Picture::loadFile(f.copy("gif/giflib_welcome2.gif", "c.GIF")).width(), 290);
    EXPECT_EQ(Picture::loadFile(f.copy("jpeg/libjpeg-turbo_testorig.jpg", "d.Jpeg")).width(), 227);
    EXPECT_EQ(Picture::loadFile(f.copy("wmf/libwmf_sample.wmf", "e.WMF")).kind(), Picture::Kind::Wmf);
    EXPECT_EQ(Picture::loadFile(f.copy("emf/libemf2svg_test-000.emf", "f.emf")).kind(), Picture::Kind::Emf);

    // Another extension, even on good bytes, and data that is not the named kind.
    EXPECT_THROW(Picture::loadFile(f.copy("bmp/g/pal8.bmp", "a.png")), GraphicError);
    EXPECT_THROW(Picture::loadFile(f.copy("bmp/g/pal8.bmp", "noextension")), GraphicError);
    EXPECT_THROW(Picture::loadFile(f.copy("bmp/g/pal8.bmp", "bitmap.jpg")), GraphicError);
    for (const char* name : {"x.bmp", "x.ico", "x.wmf", "x.emf", "x.jpeg", "x.gif"})
        EXPECT_THROW(Picture::loadFile(f.write(name, "not a picture at all, just some text")), GraphicError) << name;
    // A file that cannot be opened is the caller's error; the extension is judged first.
    EXPECT_THROW(Picture::loadFile((f.dir / "missing.bmp").string()), OpenError);
    EXPECT_THROW(Picture::loadFile((f.dir / "missing.png").string()), GraphicError);
    fs::create_directories(f.dir / "folder.bmp");
    EXPECT_THROW(Picture::loadFile((f.dir / "folder.bmp").string()), OpenError);
}

TEST(PictureLoad, DrawStretchesTheWholeImageAndJpegDecodesPerOutput)
{
    SKIP_WITHOUT("bmp");
    ScratchFiles f;
    RecordingCanvas canvas;
    Picture::loadFile(f.copy("bmp/g/pal8.bmp", "a.bmp")).draw(canvas, IRect{10, 20, 300, 100});
    Picture::loadFile(f.copy("gif/giflib_x-trans.gif", "b.gif")).draw(canvas, IRect{0, 0, 50, 50});
    Picture().draw(canvas, IRect{0, 0, 50, 50});
    EXPECT_EQ(canvas.calls,
              (std::vector<std::string>{"stretchblt 10,20,300,100 from 127x64 0,0,127,64 rop=00cc0020",
                                        "stretchblt 0,0,50,50 from 100x100 0,0,100,100 rop=00cc0020"}));

    const Picture jpeg = Picture::loadFile(f.copy("jpeg/libjpeg-turbo_testorig.jpg", "c.jpg"));
    const QImage screen = jpeg.image(JpegOutput::Rgb24);
    const QImage print = jpeg.image(JpegOutput::Quantised236);
    EXPECT_EQ(print.size(), QSize(227, 149));
    EXPECT_NE(screen, print);
    EXPECT_EQ(jpeg.image(JpegOutput::Rgb24), screen);
}
