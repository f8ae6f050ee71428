// Metafile text: logical fonts, advances, alignment and text-out options, symbol fonts and
// character sets, checked call by call on a recording canvas (8 pixels a character, a font of
// height H having 4/5 H above the baseline) and, for fonts, on a raster canvas.
#include <algorithm>

#include <QImage>

#include <gtest/gtest.h>

#include "gfx/canvas/raster_canvas.h"
#include "gfx/fonts/charset.h"
#include "gfx/fonts/text_font.h"
#include "gfx_test_support.h"
#include "metafile_test_support.h"

namespace vr {
namespace {

using namespace test;

struct FontArgs {
    int height = -20;
    std::string face = "Arial";
    int charset = 0;
    int weight = 400;
    int escapement = 0, orientation = 0, width = 0;
    bool italic = false, underline = false, strikeOut = false;
};

// CREATEFONTINDIRECT: height, width, escapement, orientation, weight, italic and underline,
// strike-out and charset, precisions, quality and pitch, the face name.
std::vector<uint16_t> wmfFont(const FontArgs& a, const std::string& rawFace = {})
{
    std::vector<uint16_t> r{0x02FB,
                            s(a.height),
                            s(a.width),
                            s(a.escapement),
                            s(a.orientation),
                            s(a.weight),
                            static_cast<uint16_t>((a.italic ? 1 : 0) | (a.underline ? 0x100 : 0)),
                            static_cast<uint16_t>((a.strikeOut ? 1 : 0) | (a.charset << 8)),
                            0,
                            0};
    std::vector<uint8_t> name(rawFace.empty() ? a.face.begin() : rawFace.begin(),
                              rawFace.empty() ? a.face.end() : rawFace.end());
    name.push_back(0);
    for (const uint16_t w : words(name))
        r.push_back(w);
    return r;
}

std::vector<uint16_t> textOut(int x, int y, const std::string& text)
{
    std::vector<uint16_t> r{0x0521, static_cast<uint16_t>(text.size())};
    for (const uint16_t w : words(std::vector<uint8_t>(text.begin(), text.end())))
        r.push_back(w);
    r.push_back(s(y));
    r.push_back(s(x));
    return r;
}

// EXTTEXTOUT: y, x, count, options, [rectangle], the string (padded), the advances.
std::vector<uint16_t> extTextOut(int x, int y, const std::string& text, uint16_t options,
                                 const std::vector<int>& dx = {}, const std::vector<int>& rect = {})
{
    std::vector<uint16_t> r{0x0A32, s(y), s(x), static_cast<uint16_t>(text.size()), options};
    for (const int v : rect)
        r.push_back(s(v));
    for (const uint16_t w : words(std::vector<uint8_t>(text.begin(), text.end())))
        r.push_back(w);
    for (const int v : dx)
        r.push_back(s(v));
    return r;
}

const std::vector<uint16_t> kTransparent{0x0102, 1};
const std::vector<uint16_t> kSelect0{0x012D, 0};

Lines texts(const std::vector<std::vector<uint16_t>>& records, int size = 100, IRect dest = {0, 0, 100, 100})
{
    return only(play(Metafile::Kind::Wmf, wmf(size, size, 96, records), dest), "textrun");
}

TEST(MetafileText, LogicalFontsKeepTheirHeightSignWidthWeightStylesAndAngles)
{
    FontArgs a;
    a.weight = 700;
    a.width = 10;
    a.italic = a.underline = a.strikeOut = true;
    a.escapement = a.orientation = 900;
    FontArgs cell;
    cell.height = 20;
    cell.orientation = 450;
    // Turned a quarter: the cell's top-left reference point lies one ascent (16) to the right of
    // the baseline's start.
    EXPECT_EQ(texts({kTransparent, wmfFont(a), kSelect0, textOut(10, 50, "Ab")}),
              (Lines{"textrun 26,50 font=Arial/-20/10/700/ius #000000 \"Ab\" esc=900"}));
    EXPECT_EQ(texts({kTransparent, wmfFont(cell), kSelect0, textOut(10, 50, "x")}),
              (Lines{"textrun 10,66 font=Arial/20/0/400 #000000 \"x\" orient=450"}));
}

TEST(MetafileText, FacesAreMatchedThroughFontconfigAndHeightsFollowTheCellOrTheCharacter)
{
    // Debian's metric-compatible families stand for the office faces.
    EXPECT_EQ(matchFontFamily("Arial", 400, false), "Liberation Sans");
    EXPECT_EQ(matchFontFamily("Times New Roman", 700, false), "Liberation Serif");
    EXPECT_EQ(matchFontFamily("Courier New", 400, true), "Liberation Mono");
    EXPECT_EQ(matchFontFamily("Calibri", 400, false), "Carlito");
    EXPECT_EQ(matchFontFamily("Cambria", 400, false), "Caladea");
    QImage im = filledImage(200, 100);
    RasterCanvas c(im);
    TextRun run;
    run.font.face = "Arial";
    run.text = u"MMMM";
    // A character height of 20 is the em: Liberation Sans's Windows ascent 1854 and descent 434
    // of 2048 units give 18 and 4.
    run.font.height = -20;
    TextRunMeasure m = c.measureTextRun(run);
    EXPECT_EQ(m.ascent, 18);
    EXPECT_EQ(m.descent, 4);
    const int natural = m.width;
    // A cell height of 20 is ascent plus descent: the em is 20 x 2048 / 2288, 18 pixels.
    run.font.height = 20;
    m = c.measureTextRun(run);
    EXPECT_EQ(m.ascent + m.descent, 20);
    // A width of twice the average character (Liberation Sans's 1176 units: 11.5 pixels at 20)
    // stretches the text to about twice its width.
    run.font.height = -20;
    run.font.width = 23;
    const int stretched = c.measureTextRun(run).width;
    EXPECT_NEAR(static_cast<double>(stretched) / natural, 2.0, 0.1);
    // Underline and strike-out bars span the run.
    run.font.width = 0;
    run.font.underline = true;
    c.drawTextRun(10, 50, run);
    int barRows = 0;
    for (int y = 51; y <= 56; ++y)
        barRows += rowText(im, y, 10, 10 + natural - 1) == std::string(static_cast<size_t>(natural), '#') ? 1 : 0;
    EXPECT_GE(barRows, 1);
}

TEST(MetafileText, AdvancesAlignmentAndCurrentPosition)
{
    const auto font = wmfFont(FontArgs{});
    // Baseline-aligned at (10, 40) with three advances.
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 24}, extTextOut(10, 40, "abc", 0, {10, 20, 30})}),
              (Lines{"textrun 10,40 font=Arial/-20/0/400 #000000 \"abc\" dx=10,20,30"}));
    // Right, centre and bottom alignment move the start by the run's width and descent.
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 26}, extTextOut(10, 40, "abc", 0, {10, 20, 30})})[0].substr(
                  0, 17),
              "textrun -50,40 fo");
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 30}, extTextOut(10, 40, "abc", 0, {10, 20, 30})})[0].substr(
                  0, 17),
              "textrun -20,40 fo");
    EXPECT_EQ(
        texts({kTransparent, font, kSelect0, {0x012E, 8}, extTextOut(10, 40, "abc", 0, {10, 20, 30})})[0].substr(0, 17),
        "textrun 10,36 fon");
    // At half scale the advances are whole pixels of their running sums (1.5, 3, 4.5 -> 2, 3, 5).
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 24}, extTextOut(20, 80, "abc", 0, {3, 3, 3})}, 200),
              (Lines{"textrun 10,40 font=Arial/-10/0/400 #000000 \"abc\" dx=2,1,2"}));
    // Updating the current position: the second run starts where the first ended.
    EXPECT_EQ(
        texts({kTransparent, font, kSelect0, {0x012E, 25}, {0x0214, 40, 5}, textOut(0, 0, "ab"), textOut(0, 0, "c")}),
        (Lines{"textrun 5,40 font=Arial/-20/0/400 #000000 \"ab\"",
               "textrun 21,40 font=Arial/-20/0/400 #000000 \"c\""}));
}

TEST(MetafileText, ExtraSpacingOpaqueAndClippedRectanglesAndVerticalAdvances)
{
    const auto font = wmfFont(FontArgs{});
    // Character extra: 2 on each character's own 8.
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 24}, {0x0108, 2}, textOut(0, 40, "ab")}),
              (Lines{"textrun 0,40 font=Arial/-20/0/400 #000000 \"ab\" dx=10,10"}));
    // Justification: 6 shared between the two spaces.
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 24}, {0x020A, 2, 6}, textOut(0, 40, "a b c")}),
              (Lines{"textrun 0,40 font=Arial/-20/0/400 #000000 \"a b c\" dx=8,11,8,11,8"}));
    // ETO_OPAQUE fills the rectangle with the background colour, ETO_CLIPPED clips the text to it.
    const Lines drawn =
        play(Metafile::Kind::Wmf,
             wmf(100, 100, 96,
                 {font, kSelect0, {0x0201, 0x00FF, 0}, {0x012E, 24}, extTextOut(10, 20, "a", 6, {}, {0, 0, 50, 30})}),
             IRect{0, 0, 100, 100});
    EXPECT_EQ(Lines(drawn.begin() + 2, drawn.end() - 1),
              (Lines{"fillrect 0,0,50,30 #ff0000", "save", "clip 0,0,50,30",
                     "textrun 10,20 font=Arial/-20/0/400 #000000 \"a\"", "restore"}));
    // ETO_PDY: pairs of advances; each character is placed on its own, the second 5 higher.
    EXPECT_EQ(texts({kTransparent, font, kSelect0, {0x012E, 24}, extTextOut(10, 40, "ab", 0x2000, {10, 5, 10, 5})}),
              (Lines{"textrun 10,40 font=Arial/-20/0/400 #000000 \"a\" dx=10",
                     "textrun 20,35 font=Arial/-20/0/400 #000000 \"b\" dx=10"}));
}

TEST(MetafileText, SymbolFontsDrawTheCharactersTheirCodesStandFor)
{
    FontArgs symbol;
    symbol.face = "Symbol";
    symbol.charset = charset::Symbol;
    FontArgs wingdings = symbol;
    wingdings.face = "Wingdings";
    FontArgs extra = symbol;
    extra.face = "MT Extra";
    // Symbol's D, a, b are Greek; Wingdings' 0x21 a pencil and 0xE0 an arrow; a symbol face
    // without a public table keeps its codes in the private-use range.
    EXPECT_EQ(texts({kTransparent, wmfFont(symbol), kSelect0, {0x012E, 24}, textOut(0, 40, "Dab")}),
              (Lines{"textrun 0,40 font=Symbol/-20/0/400 #000000 \"\xce\x94\xce\xb1\xce\xb2\""}));
    EXPECT_EQ(texts({kTransparent, wmfFont(wingdings), kSelect0, {0x012E, 24}, textOut(0, 40, "!\xe0")}),
              (Lines{"textrun 0,40 font=Wingdings/-20/0/400 #000000 \"\xe2\x9c\x8f\xf0\x9f\xa1\xaa\""}));
    EXPECT_EQ(texts({kTransparent, wmfFont(extra), kSelect0, {0x012E, 24}, textOut(0, 40, "e")}),
              (Lines{"textrun 0,40 font=MT Extra/-20/0/400 #000000 \"\xef\x81\xa5\""}));
    // The characters are drawn with a face that has them: Symbol's Greek by its substitute,
    // Wingdings' pictographs by Symbola.
    TextFont f;
    f.face = "Symbol";
    f.height = -20;
    const auto resolved = TextFontCache::shared().get(f);
    EXPECT_NE(resolved->glyphFor(0x0394).second, 0u);
    EXPECT_NE(resolved->glyphFor(0x1F86A).second, 0u);
    EXPECT_NE(resolved->glyphFor(0x270F).second, 0u);
    QImage im = filledImage(60, 40);
    RasterCanvas c(im);
    TextRun run;
    run.font = f;
    run.text = u"\U0001F86A";
    c.drawTextRun(5, 30, run);
    EXPECT_GT(marked(im).size(), 20u);
}

TEST(MetafileText, EightBitTextIsDecodedByTheFontsCharset)
{
    auto run = [](int cs, const std::string& face, const std::string& bytes, const std::vector<int>& dx = {}) {
        FontArgs a;
        a.charset = cs;
        a.face = face;
        const Lines l = texts({kTransparent, wmfFont(a), kSelect0, {0x012E, 24}, extTextOut(0, 40, bytes, 0, dx)});
        return l.empty() ? std::string() : l[0].substr(l[0].find('#') + 8);
    };
    // Shift-JIS: two double-byte characters, each taking the advances of both its bytes.
    EXPECT_EQ(run(128, "MS Mincho", "\x93\xfa\x96\x7b", {10, 10, 12, 12}), "\"\xe6\x97\xa5\xe6\x9c\xac\" dx=20,24");
    EXPECT_EQ(run(136, "MingLiU", "\xa4\xa4"), "\"\xe4\xb8\xad\"");  // Big5
    EXPECT_EQ(run(134, "SimSun", "\xd6\xd0"), "\"\xe4\xb8\xad\"");  // GB2312
    EXPECT_EQ(run(204, "Arial", "\xcf\xf0"), "\"\xd0\x9f\xd1\x80\"");  // Cyrillic
    EXPECT_EQ(run(161, "Arial", "\xc1"), "\"\xce\x91\"");  // Greek
    EXPECT_EQ(run(177, "Arial", "\xf9"), "\"\xd7\xa9\"");  // Hebrew
    EXPECT_EQ(run(178, "Arial", "\xc7"), "\"\xd8\xa7\"");  // Arabic
    EXPECT_EQ(run(0, "Arial", "\x80\xe9"), "\"\xe2\x82\xac\xc3\xa9\"");  // code page 1252
    // Face names are in the font's code page too.
    FontArgs jp;
    jp.charset = 128;
    const Lines l = texts({kTransparent, wmfFont(jp, "\x82\x6c\x82\x72"), kSelect0, textOut(0, 0, "a")});
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].substr(0, 28), "textrun 0,16 font=\xef\xbc\xad\xef\xbc\xb3/-20");
}

// An EMR_EXTCREATEFONTINDIRECTW record for object 1 and EMR_EXTTEXTOUTW with the given options.
void emfUnicodeText(Bytes& f, const std::string& face, int charset, const std::u16string& text, uint32_t options)
{
    f.u32(82).u32(104).u32(1).u32(static_cast<uint32_t>(-20)).u32(0).u32(0).u32(0).u32(400);
    f.u8(0).u8(0).u8(0).u8(static_cast<uint32_t>(charset)).u32(0);
    for (size_t k = 0; k < 32; ++k)
        f.u16(k < face.size() ? static_cast<uint8_t>(face[k]) : 0);
    emfRecord(f, 37, {1});
    emfRecord(f, 22, {24});  // baseline
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t size = 76 + ((2 * n + 3) & ~3u);
    f.u32(84).u32(size).u32(0).u32(0).u32(0).u32(0).u32(1).f32(1).f32(1);
    f.u32(10).u32(40).u32(n).u32(76).u32(options).u32(0).u32(0).u32(0).u32(0).u32(0);
    for (const char16_t c : text)
        f.u16(c);
    if (n % 2)
        f.u16(0);
}

TEST(MetafileText, UnicodeTextIsDrawnAsItIsOrByGlyphIndexAndShapedWhereItsScriptJoins)
{
    Bytes f = emfHeader(100, 100);
    emfUnicodeText(f, "Tahoma", 0, u"\u0633\u0644\u0627\u0645", 0);
    emfUnicodeText(f, "Tahoma", 0, u"\u0024\u0025", 0x10);
    emfUnicodeText(f, "Symbol", 2, u"\uF044", 0);
    emfEnd(f);
    EXPECT_EQ(only(play(Metafile::Kind::Emf, f.b, IRect{0, 0, 100, 100}), "textrun"),
              (Lines{"textrun 10,40 font=Tahoma/-20/0/400 #000000 \"\xd8\xb3\xd9\x84\xd8\xa7\xd9\x85\"",
                     "textrun 10,40 font=Tahoma/-20/0/400 #000000 \"\\u0024\\u0025\" glyphs",
                     "textrun 10,40 font=Symbol/-20/0/400 #000000 \"\xce\x94\""}));
    // Arabic letters join: three behs shaped together are narrower than three isolated ones.
    QImage im = filledImage(200, 60);
    RasterCanvas c(im);
    TextRun beh;
    beh.font.face = "DejaVu Sans";
    beh.font.height = -30;
    beh.text = u"\u0628";
    const int isolated = c.measureTextRun(beh).width;
    beh.text = u"\u0628\u0628\u0628";
    EXPECT_LT(c.measureTextRun(beh).width, 3 * isolated);
    // A right-to-left run reads from the right: its first letter (alef, then three vavs) is drawn
    // at the run's right end, not at its left.
    TextRun run;
    run.font.face = "DejaVu Sans";
    run.font.height = -30;
    run.text = u"\u05D0\u05D5\u05D5\u05D5";
    QImage whole = filledImage(200, 60);
    RasterCanvas cw(whole);
    const int runWidth = cw.measureTextRun(run).width;
    cw.drawTextRun(10, 40, run);
    run.text = u"\u05D0";
    const int alefWidth = cw.measureTextRun(run).width;
    auto alefAt = [&](double x) {
        QImage im2 = filledImage(200, 60);
        RasterCanvas c2(im2);
        c2.drawTextRun(x, 40, run);
        return marked(im2);
    };
    auto within = [&](const Points& pts) {
        return std::all_of(pts.begin(), pts.end(),
                           [&](const auto& p) { return test::at(whole, p.first, p.second) != kWhite; });
    };
    ASSERT_GT(runWidth, alefWidth);
    EXPECT_TRUE(within(alefAt(10 + runWidth - alefWidth)));
    EXPECT_FALSE(within(alefAt(10)));
}

}  // namespace
}  // namespace vr
