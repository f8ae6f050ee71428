// 8-bit text on the raster canvas: one glyph per byte, whole-pixel measures, fallback faces and
// the reader's own fonts.
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QRawFont>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/fonts/font_catalogue.h"
#include "gfx/fonts/glyph_text.h"
#include "gfx/gfx_test_support.h"

namespace vr {
namespace {

using test::at;
using test::filledImage;
using test::marked;

constexpr Color kRed = 0x0000FF;
const char* const kDejaVuFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

QImage drawn(const std::string& face, int pointSize, const std::string& bytes, int w = 700, int h = 60)
{
    QImage im = filledImage(w, h);
    RasterCanvas c(im);
    c.font = FontRequest{face, pointSize, 0, kBlack};
    c.textOut(4, 4, bytes);
    return im;
}

TEST(GlyphText, EveryByteIsOneGlyphPlacedAtTheSumOfTheWholePixelAdvances)
{
    // Pairs Qt would kern or join into ligatures, and the upper half of the code page.
    std::string text = "AVATo fiffl ";
    for (int b = 0xC0; b <= 0xFF; ++b)
        text += static_cast<char>(b);
    QImage whole = filledImage(1400, 60), byByte = filledImage(1400, 60);
    RasterCanvas cw(whole), cb(byByte);
    cw.font = cb.font = FontRequest{"DejaVu Sans", 14, 0, kBlack};
    cw.textOut(4, 4, text);
    int x = 4, sum = 0;
    for (const char ch : text) {
        const std::string one(1, ch);
        cb.textOut(x, 4, one);
        x += cb.textWidth(one);
        sum += cw.textWidth(one);
    }
    EXPECT_EQ(cw.textWidth(text), sum);
    EXPECT_TRUE(whole == byByte) << "the run is not drawn glyph by glyph at whole-pixel advances";
}

TEST(GlyphText, BytesTakeTheGlyphOfTheirAnsiCodePoint)
{
    ByteFontCache cache;
    const auto f = cache.get("DejaVu Sans", 20, false, false);
    const QList<quint32> expected = f->face.glyphIndexesForString(QString::fromUtf8("A\u00e9\u00ff\u20ac\u2122"));
    ASSERT_EQ(expected.size(), 5);
    EXPECT_EQ(f->glyph['A'], expected[0]);
    EXPECT_EQ(f->glyph[0xE9], expected[1]);
    EXPECT_EQ(f->glyph[0xFF], expected[2]);
    EXPECT_EQ(f->glyph[0x80], expected[3]);  // code page 1252
    EXPECT_EQ(f->glyph[0x99], expected[4]);
    EXPECT_FALSE(f->substituted);
    EXPECT_FALSE(f->fromFallback.any());
}

TEST(GlyphText, MetricsAreTheWindowsAscentAndDescentRoundedAtTheEmSize)
{
    QImage im = filledImage(10, 10);
    RasterCanvas c(im);
    // DejaVu Sans: usWinAscent 1901, usWinDescent 483, 2048 units per em.
    c.font = FontRequest{"DejaVu Sans", 20, 0, kBlack};  // 27 px: 25.06 and 6.37
    TextMetrics m = c.textMetrics();
    EXPECT_EQ(m.ascent, 25);
    EXPECT_EQ(m.descent, 6);
    EXPECT_EQ(m.internalLeading, 4);
    c.font.pixelHeight = 100;  // 92.82 and 23.58
    m = c.textMetrics();
    EXPECT_EQ(m.ascent, 93);
    EXPECT_EQ(m.descent, 24);
    EXPECT_EQ(m.height(), 117);
}

TEST(GlyphText, OpaqueCellUnderlineAndTurnedText)
{
    QImage im = filledImage(200, 200);
    RasterCanvas c(im);
    c.font = FontRequest{"DejaVu Sans", 12, 4, kRed};
    c.opaqueBackground = true;
    c.backgroundColor = kBlack;
    c.textOut(10, 10, "Hello");
    const int w = c.textWidth("Hello"), h = c.textMetrics().height();
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool inCell = x >= 10 && x < 10 + w && y >= 10 && y < 10 + h;
            if (!inCell)
                ASSERT_EQ(at(im, x, y), kWhite) << x << "," << y;
            else
                ASSERT_NE(at(im, x, y), kWhite) << x << "," << y;
        }
    // The underline crosses the whole width below the baseline.
    bool underlined = false;
    for (int y = 10 + c.textMetrics().ascent + 1; y < 10 + h; ++y)
        underlined =
            underlined || test::rowText(im, y, 10, 10 + w - 1, kBlack) == std::string(static_cast<size_t>(w), '#');
    EXPECT_TRUE(underlined);

    // 90 degrees anticlockwise about the top-left corner: the text runs upwards from (x, y).
    QImage turned = filledImage(200, 200);
    RasterCanvas t(turned);
    t.font = FontRequest{"DejaVu Sans", 12, 0, kBlack};
    t.font.escapement = 900;
    t.textOut(100, 150, "Hello");
    QRect ink;
    for (const auto& [x, y] : marked(turned))
        ink |= QRect(x, y, 1, 1);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_GE(ink.left(), 100);
    EXPECT_LE(ink.right(), 100 + h);
    EXPECT_GE(ink.top(), 150 - w - 1);
    EXPECT_LE(ink.bottom(), 150);
}

// A copy of the test face under another family name, as a font the reader loads from a folder.
QString writeRenamedFace(const QString& folder)
{
    QFile in(QString::fromLatin1(kDejaVuFile));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray data = in.readAll();
    const QByteArray from = "DejaVu Sans", to = "QV_TestFace";
    QByteArray from16, to16;
    for (int i = 0; i < from.size(); ++i) {
        from16 += '\0', from16 += from[i];
        to16 += '\0', to16 += to[i];
    }
    data.replace(from, to);
    data.replace(from16, to16);
    const QString path = folder + QStringLiteral("/QVTEST.TTF");
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
        return {};
    return path;
}

TEST(FontCatalogue, LoadsTheFolderFontsAndTheCanvasStopsFallingBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_FALSE(writeRenamedFace(dir.path()).isEmpty());
    QFile::copy(QString::fromLatin1(kDejaVuFile), dir.path() + QStringLiteral("/notes.txt"));  // not a .ttf

    // The test's application outlives main(); fonts still loaded when it goes down crash Qt.
    struct Unload {
        ~Unload() { QFontDatabase::removeAllApplicationFonts(); }
    } unload;
    FontCatalogue fonts;
    EXPECT_TRUE(fonts.FontInstalled("DejaVu Sans"));
    EXPECT_FALSE(fonts.FontInstalled("dejavu sans"));  // exact names only
    EXPECT_FALSE(fonts.FontInstalled("QV_TestFace"));
    EXPECT_EQ(fonts.loadFontsIn(dir.path().toStdString() + "/missing"), 0);

    // Before the face is loaded, the canvas draws it with the fallback face.
    ByteFontCache cache;
    ASSERT_TRUE(cache.get("QV_TestFace", 20, false, false)->substituted);
    EXPECT_TRUE(drawn("QV_TestFace", 14, "Fallback") == drawn("DejaVu Sans", 14, "Fallback"));

    EXPECT_EQ(fonts.loadFontsIn(dir.path().toStdString()), 1);
    EXPECT_EQ(fonts.loadFontsIn(dir.path().toStdString()), 0);  // loaded once
    EXPECT_TRUE(fonts.FontInstalled("QV_TestFace"));
    EXPECT_FALSE(fonts.FontInstalled("qv_testface"));
    EXPECT_EQ(fonts.loadedFamilies(), std::set<std::string>{"QV_TestFace"});
    const auto installed = fonts.installedFn();
    EXPECT_TRUE(installed("QV_TestFace"));

    // Adding fonts empties the caches, so the face is now its own.
    EXPECT_EQ(cache.size(), 0u);
    const auto f = cache.get("QV_TestFace", 20, false, false);
    EXPECT_FALSE(f->substituted);
    EXPECT_EQ(f->face.familyName(), QStringLiteral("QV_TestFace"));
}

TEST(GlyphText, AMissingFaceFallsBackToTheFixedFamily)
{
    ByteFontCache cache;
    const auto a = cache.get("QV_NotOnThisMachine", 18, true, false);
    EXPECT_TRUE(a->substituted);
    EXPECT_EQ(a->face.familyName(), QString::fromLatin1(kFallbackFamily));
    EXPECT_EQ(a.get(), cache.get("QV_NotOnThisMachine", 18, true, false).get());
    EXPECT_TRUE(drawn("QV_NotOnThisMachine", 14, "Same") == drawn("DejaVu Sans", 14, "Same"));
    EXPECT_FALSE(drawn("QV_NotOnThisMachine", 14, "Same") == drawn("DejaVu Serif", 14, "Same"));
}

}  // namespace
}  // namespace vr
