// The RTF reader: tokens, destinations, code pages, Unicode, formatting, tables, pictures and the
// bounds that keep malformed input harmless.
#include <QBuffer>
#include <QImage>

#include "rtf/codepage.h"
#include "rtf_test_support.h"

namespace vr::rtf::test {
namespace {

std::string u8(const char16_t* s)
{
    return QString::fromUtf16(s).toStdString();
}

TEST(RtfReader, GroupsSymbolsAndSkippedDestinations)
{
    EXPECT_EQ(text(R"({\rtf1 a\{b\}c\\d\par})"), "a{b}c\\d\n");
    // Unknown \* destinations go, known non-text destinations go, fields and objects show their
    // result only.
    EXPECT_EQ(text(R"({\rtf1 x{\*\unknownthing hidden {nested} text}y\par})"), "xy\n");
    EXPECT_EQ(text(R"({\rtf1 {\info{\title T}{\author A}}body\par})"), "body\n");
    EXPECT_EQ(text(R"({\rtf1 {\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}}\par})"), "shown\n");
    EXPECT_EQ(text(R"({\rtf1 {\field{\fldinst PAGE}{\fldrslt 7}}\par})"), "7\n");
    EXPECT_EQ(text(R"({\rtf1 {\object\objemb{\*\objclass Paint}{\*\objdata 0102}{\result res}}\par})"), "res\n");
    // An unknown control word without \* is ignored, its group's text kept.
    EXPECT_EQ(text(R"({\rtf1 {\madeupword keep}\par})"), "keep\n");
    // A backslash before a line end is a paragraph mark; line ends of the file are not text.
    EXPECT_EQ(text("{\\rtf1 a\r\nb\\\nc}"), "ab\nc\n");
    // Special characters.
    EXPECT_EQ(text(R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\~\-\_})"),
              u8(u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D\u00A0\u00AD\u2011\n"));
    EXPECT_EQ(text(R"({\rtf1 a\tab b\line c\page d})"), u8(u"a\tb\u2028c\nd\n"));
}

TEST(RtfReader, BinaryDataIsCountedNotParsed)
{
    // The three bytes after \bin3 are data even when they are braces.
    EXPECT_EQ(text(R"({\rtf1 a{\*\blob\bin3 }}}}b\par})"), "ab\n");
    // A count larger than the bytes left takes what is there and stops; the picture keeps its
    // place.
    EXPECT_EQ(text(R"({\rtf1 a{\pict\wmetafile8\bin999999999 xyz)"), u8(u"a\uFFFC\n"));
    // A negative count takes nothing.
    EXPECT_EQ(text(R"({\rtf1 a{\*\blob\bin-5 }b\par})"), "ab\n");
}

TEST(RtfReader, CodePagesOfTheDocumentAndOfFonts)
{
    // \ansicpg for text in fonts of the default charset.
    EXPECT_EQ(text(R"({\rtf1\ansi\ansicpg1256{\fonttbl{\f0\fnil\fcharset1 X;}}\f0 \'c7\'e4\par})"),
              u8(u"\u0627\u0646\n"));
    // The font table's \fcharset decides, whatever \ansicpg says.
    const std::string fonts =
        R"({\fonttbl{\f0\fcharset0 A;}{\f1\fcharset204 B;}{\f2\fcharset177 C;}{\f3\fcharset161 D;})"
        R"({\f4\fcharset238 E;}{\f5\fcharset178 F;}{\f6\fcharset222 G;}{\f7\fcharset162 H;}})";
    EXPECT_EQ(
        text(R"({\rtf1\ansi\ansicpg1257)" + fonts + R"(\f0\'e9\f1\'c4\f2\'e0\f3\'e1\f4\'b9\f5\'81\f6\'a1\f7\'f0})"),
        u8(u"\u00E9\u0414\u05D0\u03B1\u0105\u067E\u0E01\u011F\n"));
    // \cpg overrides the charset; a code page iconv does not know reads as 1252.
    EXPECT_EQ(text(R"({\rtf1{\fonttbl{\f0\fcharset0\cpg1251 A;}}\f0\'c4})"), u8(u"\u0414\n"));
    EXPECT_EQ(text(R"({\rtf1\ansicpg77777 \'e9})"), u8(u"\u00E9\n"));
    // Symbol fonts show the characters of their glyphs.
    EXPECT_EQ(text(R"({\rtf1{\fonttbl{\f3\ftech\fcharset2 Symbol;}}\f3 a\'b7p})"), u8(u"\u03B1\u2022\u03C0\n"));
}

TEST(RtfReader, DoubleByteTextKeepsTrailBytesThatLookLikeControls)
{
    const std::string sjis = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 M;}}\\f0 ";
    // 0x95 0x5C is one Shift-JIS character although its trail byte is a backslash.
    EXPECT_EQ(text(sjis + "\x95\\x\\par}"), u8(u"\u8868x\n"));
    // Escaped lead and trail bytes make one character too.
    EXPECT_EQ(text(sjis + "\\'82\\'a0\\'82\\'a2\\par}"), u8(u"\u3042\u3044\n"));
    // Big5 (charset 136) with a brace as trail byte; GBK (134); Korean (129).
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f0\\fcharset136 B;}}\\f0 \xA5\x7B\\par}"), u8(u"\u53FB\n"));
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f0\\fcharset134 G;}}\\f0 \\'c4\\'e3\\par}"), u8(u"\u4F60\n"));
    EXPECT_EQ(text("{\\rtf1{\\fonttbl{\\f0\\fcharset129 K;}}\\f0 \\'c7\\'d1\\par}"), u8(u"\uD55C\n"));
    // A lead byte with nothing after it is lost, not the text around it.
    EXPECT_EQ(text(sjis + "a\\'82\\par}"), u8(u"a\uFFFD\n"));
}

TEST(RtfReader, UnicodeWithFallbackSkipping)
{
    EXPECT_EQ(text(R"({\rtf1 \u1575?\u1604?\par})"), u8(u"\u0627\u0644\n"));
    // Negative values, \uc2 with two fallback bytes, \uc0 with none.
    EXPECT_EQ(text(R"({\rtf1\uc2 \u-15032\'be\'c8z\par})"), u8(u"\uC548z\n"));
    EXPECT_EQ(text(R"({\rtf1\uc0 \u1575\u1604\par})"), u8(u"\u0627\u0644\n"));
    // A surrogate pair written as two \u.
    EXPECT_EQ(text(R"({\rtf1 \u-10179?\u-8704?\par})"), u8(u"\U0001F600\n"));
    // The skip count belongs to the group and a group's end stops the skipping.
    EXPECT_EQ(text(R"({\rtf1\uc3 {\u1575}ab{\uc1 \u1604xy}\par})"), u8(u"\u0627ab\u0644y\n"));
    // A control word in the fallback counts as one character.
    EXPECT_EQ(text(R"({\rtf1\uc2 \u1575\'3f\cf1 kept\par})"), u8(u"\u0627kept\n"));
}

TEST(RtfReader, CharacterFormatting)
{
    const Document d = read(R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue255;})"
                            R"(\b B\b0\i I\i0\ul U\ulnone\uldb D\ul0\strike S\strike0\super P\nosupersub\sub Q\sub0)"
                            R"(\up4 R\up0\cf1 C\cf0\cb2 K\cb0\highlight1 H\highlight0\caps A\caps0\v hidden\v0\fs40 Z)"
                            R"(\plain\rtlch x\par})");
    const Paragraph& p = paragraph(d, 0);
    std::map<std::string, CharFormat> by;
    for (const Span& s : p.spans)
        by[s.text.toStdString()] = s.format;
    EXPECT_EQ(text(d), "BIUDSPQRCKHAZx\n");  // hidden text is not shown
    EXPECT_TRUE(by["B"].bold);
    EXPECT_FALSE(by["I"].bold);
    EXPECT_TRUE(by["I"].italic);
    EXPECT_EQ(by["U"].underline, Underline::Single);
    EXPECT_EQ(by["D"].underline, Underline::Double);
    EXPECT_TRUE(by["S"].strike);
    EXPECT_EQ(by["P"].vertical, VerticalAlign::Super);
    EXPECT_EQ(by["Q"].vertical, VerticalAlign::Sub);
    EXPECT_EQ(by["R"].offset, 4);
    EXPECT_EQ(by["C"].foreground, 1);
    EXPECT_EQ(by["K"].background, 2);
    EXPECT_EQ(by["H"].background, 1);
    EXPECT_TRUE(by["A"].caps);
    EXPECT_EQ(by["Z"].size, 40);
    EXPECT_TRUE(by["x"].rtl);
    EXPECT_EQ(by["x"].size, 24);  // \plain
    EXPECT_EQ(d.color(1), rgbColor(255, 0, 0));
    EXPECT_EQ(d.color(0), std::nullopt);  // the automatic colour
    EXPECT_EQ(d.color(7), std::nullopt);
}

TEST(RtfReader, AssociatedFormattingOfRightToLeftRuns)
{
    // Bold, italic, size and font of right-to-left text come from \ab, \ai, \afs and \af (under
    // \rtlch); \af under \hich names no complex-script font.
    const Document d = read(R"({\rtf1{\fonttbl{\f0 Latin;}{\f1 Persian;}{\f2 Other;}})"
                            R"({\rtlch\af1\afs40\ab\ai \ltrch\hich\af2\loch\f0\fs24 x\par}})");
    const CharFormat& f = paragraph(d, 0).spans.at(0).format;
    EXPECT_EQ(f.font, 0);
    EXPECT_EQ(f.csFont, 1);
    EXPECT_EQ(f.csSize, 40);
    EXPECT_EQ(f.csBold, true);
    EXPECT_EQ(f.csItalic, true);
    EXPECT_FALSE(f.bold);
    EXPECT_EQ(d.font(1)->name, "Persian");
}

TEST(RtfReader, ParagraphFormatting)
{
    const Document d = read(R"({\rtf1\deftab360 \qr\li100\ri200\fi-50\sb60\sa120\sl-300\rtlpar\tqr\tx1000\tx2000 a\par)"
                            R"(\qc\sl276\slmult1 b\par\pard\qj\lin300\rin40 c\par\pard d\par})");
    ASSERT_EQ(d.blocks.size(), 4u);
    const ParaFormat& a = paragraph(d, 0).format;
    EXPECT_EQ(a.align, Align::Right);
    EXPECT_EQ(a.leftIndent, 100);
    EXPECT_EQ(a.rightIndent, 200);
    EXPECT_EQ(a.firstIndent, -50);
    EXPECT_EQ(a.spaceBefore, 60);
    EXPECT_EQ(a.spaceAfter, 120);
    EXPECT_EQ(a.lineSpacing, -300);
    EXPECT_TRUE(a.rtl);
    ASSERT_EQ(a.tabs.size(), 2u);
    EXPECT_EQ(a.tabs[0], (TabStop{1000, TabStop::Right}));
    EXPECT_EQ(a.tabs[1], (TabStop{2000, TabStop::Left}));
    // Paragraph formatting carries on to the next paragraph until \pard.
    const ParaFormat& b = paragraph(d, 1).format;
    EXPECT_EQ(b.align, Align::Center);
    EXPECT_EQ(b.leftIndent, 100);
    EXPECT_TRUE(b.lineMultiple);
    EXPECT_EQ(b.lineSpacing, 276);
    const ParaFormat& c = paragraph(d, 2).format;
    EXPECT_EQ(c.align, Align::Justify);
    EXPECT_EQ(c.leftIndent, 0);
    EXPECT_EQ(c.startIndent, 300);
    EXPECT_EQ(c.endIndent, 40);
    EXPECT_EQ(paragraph(d, 3).format, ParaFormat{});
    EXPECT_EQ(d.defaultTab, 360);
}

TEST(RtfReader, StylesAreResolvedThroughTheirBase)
{
    // Word writes \sbasedon after the formatting, other writers before it; both resolve.
    const Document d = read(R"({\rtf1{\stylesheet{\s0\sa113\fs28 Normal;}{\s20\sbasedon0\qc\cf2 Centred;})"
                            R"({\s21\i\snext0\sbasedon20 Italic;}{\*\cs10 \additive Default;}})"
                            R"(\pard\plain\s21 x\par\pard\plain\s20\b y\par\pard\plain\s99 z\par})");
    const Paragraph& x = paragraph(d, 0);
    EXPECT_EQ(x.format.spaceAfter, 113);
    EXPECT_EQ(x.format.align, Align::Center);
    EXPECT_TRUE(x.spans.at(0).format.italic);
    EXPECT_EQ(x.spans.at(0).format.size, 28);
    EXPECT_EQ(x.spans.at(0).format.foreground, 2);
    const Paragraph& y = paragraph(d, 1);
    EXPECT_FALSE(y.spans.at(0).format.italic);
    EXPECT_TRUE(y.spans.at(0).format.bold);  // formatting after the style adds to it
    EXPECT_EQ(paragraph(d, 2).format, ParaFormat{});  // an unknown style changes nothing
    // A style after other formatting, as rich-edit controls write it, keeps that formatting.
    const Document w = read(R"({\rtf1{\stylesheet{ Normal;}{\s1\fs40 heading 1;}})"
                            R"(\pard\qc\b\fs18\s1 x\par})");
    EXPECT_EQ(paragraph(w, 0).format.align, Align::Center);
    EXPECT_TRUE(paragraph(w, 0).spans.at(0).format.bold);
    EXPECT_EQ(paragraph(w, 0).spans.at(0).format.size, 18);
}

TEST(RtfReader, FontAndColourTables)
{
    const Document d =
        read(R"({\rtf1\deff2{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;})"
             R"({\f1\fmodern\fprq1 Courier New{\*\falt Courier};}{\f2\fswiss\fcharset178{\*\panose 0}Arial;})"
             R"(\f3\fnil Old Style;}{\colortbl\red1\green2\blue3;;\red255\green255\blue255;}x\par})");
    ASSERT_EQ(d.fonts.size(), 4u);
    EXPECT_EQ(d.font(0)->name, "Times New Roman");
    EXPECT_EQ(d.font(0)->family, FontFamily::Roman);
    EXPECT_EQ(d.font(0)->codePage, 1252);
    EXPECT_EQ(d.font(1)->name, "Courier New");
    EXPECT_EQ(d.font(1)->pitch, 1);
    EXPECT_EQ(d.font(2)->codePage, 1256);
    EXPECT_EQ(d.font(3)->name, "Old Style");
    EXPECT_EQ(d.defaultFont, 2);
    ASSERT_EQ(d.colors.size(), 3u);
    EXPECT_EQ(d.color(0), rgbColor(1, 2, 3));
    EXPECT_EQ(d.color(1), std::nullopt);
    EXPECT_EQ(d.color(2), kWhite);
}

TEST(RtfReader, TablesCollectCellsIntoRows)
{
    const Document d = read(R"({\rtf1 before\par)"
                            R"(\trowd\trgaph108\trleft-108\trqc\clbrdrt\brdrs\brdrw15\brdrcf1\clcbpat2\cellx1000)"
                            R"(\clbrdrb\brdrdb\clshdng2500\cellx3000\pard\intbl a\cell b1\par b2\cell\row)"
                            R"(\trowd\rtlrow\cellx500\pard\intbl c\cell\row\pard after\par})");
    ASSERT_EQ(d.blocks.size(), 3u);
    const Table& t = std::get<Table>(d.blocks[1]);
    ASSERT_EQ(t.rows.size(), 2u);
    const Row& r0 = t.rows[0];
    EXPECT_EQ(r0.def.gap, 108);
    EXPECT_EQ(r0.def.left, -108);
    EXPECT_EQ(r0.def.align, Align::Center);
    ASSERT_EQ(r0.def.cells.size(), 2u);
    EXPECT_EQ(r0.def.cells[0].right, 1000);
    EXPECT_EQ(r0.def.cells[0].top, (BorderLine{15, 1}));
    EXPECT_EQ(r0.def.cells[0].pattern, 2);
    EXPECT_EQ(r0.def.cells[1].bottom.width, 1);  // a style without a width still draws
    EXPECT_EQ(r0.def.cells[1].shading, 2500);
    ASSERT_EQ(r0.cells.size(), 2u);
    EXPECT_EQ(r0.cells[1].paragraphs.size(), 2u);
    EXPECT_TRUE(t.rows[1].def.rtl);
    EXPECT_EQ(text(d), "before\na\tb1\nb2\t\nc\t\nafter\n");
}

TEST(RtfReader, TablesWithoutRowEndsStillClose)
{
    // Cells whose \row never comes make a last row; the table ends at the first paragraph
    // outside it, or at the end of the text.
    EXPECT_EQ(text(R"({\rtf1\trowd\cellx1000\intbl a\cell b\cell\pard c\par})"), "a\tb\t\nc\n");
    EXPECT_EQ(text(R"({\rtf1\trowd\cellx1000\intbl a\cell b)"), "a\tb\t\n");
}

TEST(RtfReader, PicturesOfEachKind)
{
    QImage red(4, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    {
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        red.save(&b, "PNG");
    }
    QByteArray bmp;
    {
        QBuffer b(&bmp);
        b.open(QIODevice::WriteOnly);
        red.save(&b, "BMP");
    }
    const std::vector<uint8_t> pngBytes(png.begin(), png.end());
    const std::vector<uint8_t> dibBytes(bmp.begin() + 14, bmp.end());  // without the file header
    std::vector<uint8_t> wmf =
        fileBytes(std::string(VR_SOURCE_DIR) + "/tests/fuzz-seeds/metafile_fuzzer/house.wmf.bin");
    wmf.erase(wmf.begin());  // the fuzz seed's first byte picks the kind
    const Document d = read("{\\rtf1 {\\pict\\pngblip\\picw4\\pich2\\picwgoal600\\pichgoal300 " + hex(pngBytes) +
                            "}{\\pict\\dibitmap0\\picscalex200\\picscaley50 " + hex(dibBytes) +
                            "}{\\pict\\wbitmap0\\picw16\\pich2\\wbmbitspixel1\\wbmwidthbytes2 " +
                            hex({0xF0, 0x0F, 0xFF, 0x00}) + "}{\\pict\\wmetafile8\\picwgoal1440\\pichgoal720 " +
                            hex(wmf) + "}{\\pict\\jpegblip\\picwgoal100\\pichgoal100 0102}{\\pict\\macpict 00}\\par}");
    ASSERT_EQ(d.pictures.size(), 5u);  // the Macintosh picture is not kept
    EXPECT_EQ(d.pictures[0].image.size(), QSize(4, 2));
    EXPECT_EQ(d.pictures[0].image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(d.pictures[0].widthTwips, 600);
    EXPECT_EQ(d.pictures[0].heightTwips, 300);
    EXPECT_EQ(d.pictures[1].image.size(), QSize(4, 2));
    EXPECT_EQ(d.pictures[1].widthTwips, 4 * 15 * 2);  // pixels at 96 per inch, scaled
    EXPECT_EQ(d.pictures[1].heightTwips, 2 * 15 / 2);
    EXPECT_EQ(d.pictures[2].image.size(), QSize(16, 2));
    EXPECT_EQ(QColor(d.pictures[2].image.pixel(0, 0)), QColor(Qt::white));
    EXPECT_EQ(QColor(d.pictures[2].image.pixel(4, 0)), QColor(Qt::black));
    ASSERT_TRUE(d.pictures[3].picture);
    EXPECT_EQ(d.pictures[3].picture->kind(), Picture::Kind::Wmf);
    EXPECT_EQ(d.pictures[3].widthTwips, 1440);
    // Data that is not a picture of its kind keeps its place and draws nothing.
    EXPECT_FALSE(d.pictures[4].picture);
    EXPECT_TRUE(d.pictures[4].image.isNull());
    EXPECT_EQ(d.pictures[4].widthTwips, 100);
    EXPECT_EQ(text(d), u8(u"\uFFFC\uFFFC\uFFFC\uFFFC\uFFFC\n"));
}

TEST(RtfReader, ShapePicturesReplaceTheirAlternative)
{
    const Document d = read(R"({\rtf1 {\*\shppict{\pict\pngblip\picwgoal10\pichgoal10 00}})"
                            R"({\nonshppict{\pict\wmetafile8\picwgoal20\pichgoal20 00}}\par})");
    ASSERT_EQ(d.pictures.size(), 1u);
    EXPECT_EQ(d.pictures[0].widthTwips, 10);
}

TEST(RtfReader, MalformedInputKeepsWhatItCouldRead)
{
    EXPECT_THROW(text("hello"), NotRtfError);
    EXPECT_THROW(text(""), NotRtfError);
    EXPECT_EQ(text(R"({\rtf1 hello {\b world)"), "hello world\n");
    EXPECT_EQ(text(R"({\rtf1 a}}}} b)"), "a\n");  // text after the document's end is not read
    EXPECT_EQ(text(R"({\rtf1 a\'zz\'4 b\)"), "azz b\n");  // a lone \' stands for nothing
    EXPECT_EQ(text(R"({\rtf1 \u99999999999 \fs-5 \ucx x\par})"), "x\n");
    // A parameter with many digits is clamped, not overflowed.
    EXPECT_EQ(text(R"({\rtf1 \fs99999999999999999999 y\par})"), "y\n");
}

TEST(RtfReader, BoundsOfNestingTablesAndPictures)
{
    ReadLimits limits;
    limits.maxDepth = 50;
    limits.maxFonts = 3;
    limits.maxColors = 2;
    limits.maxCellsPerRow = 4;
    limits.maxRows = 2;
    limits.maxPictureBytes = 8;
    // Groups nested deeper than the bound are skipped whole; the text around them stays.
    const std::string deep = "{\\rtf1 a" + std::string(100000, '{') + "b" + std::string(100000, '}') + "c\\par}";
    EXPECT_EQ(text(read(deep, limits)), "ac\n");
    EXPECT_EQ(text(read(deep)), "ac\n");  // the default bound too
    std::string fonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 10; ++i)
        fonts += "{\\f" + std::to_string(i) + " F;}";
    fonts += "}{\\colortbl;;;;;;}";
    std::string row = "\\trowd";
    for (int i = 1; i <= 10; ++i)
        row += "\\cellx" + std::to_string(i * 100);
    for (int i = 0; i < 10; ++i)
        row += "\\intbl x\\cell";
    row += "\\row";
    const Document d = read(fonts + row + row + row + "{\\pict\\pngblip 0102030405060708090a0b0c}}", limits);
    EXPECT_EQ(d.fonts.size(), 3u);
    EXPECT_EQ(d.colors.size(), 2u);
    const Table& t = std::get<Table>(d.blocks.at(0));
    EXPECT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].def.cells.size(), 4u);
    EXPECT_EQ(t.rows[0].cells.size(), 4u);
    ASSERT_EQ(d.pictures.size(), 1u);
    EXPECT_TRUE(d.pictures[0].image.isNull());  // its data was cut at the bound
}

TEST(RtfReader, PlainTextInACodePage)
{
    const std::string bytes = "\xc7\xe4\r\nb\tc\rd\n";
    const Document d = readPlainText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 1256);
    EXPECT_EQ(text(d), u8(u"\u0627\u0646\nb\tc\nd\n"));
    EXPECT_EQ(d.blocks.size(), 3u);
    EXPECT_EQ(text(readPlainText(nullptr, 0, 1256)), "\n");
}

}  // namespace
}  // namespace vr::rtf::test
