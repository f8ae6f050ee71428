#include <gtest/gtest.h>

#include <string>

#include "core/code_page.h"

using namespace vr;

namespace {

std::u16string decoded(CodePageDecoder& d, int codePage, const std::string& bytes)
{
    std::u16string out;
    d.decode(codePage, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

}  // namespace

TEST(CodePage, CharsetsFixTheirCodePagesAndTheOthersNone)
{
    const std::pair<int, int> fixed[] = {{0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361},
                                         {134, 936},  {136, 950},  {161, 1253}, {162, 1254}, {163, 1258},
                                         {177, 1255}, {178, 1256}, {179, 1256}, {180, 1256}, {186, 1257},
                                         {204, 1251}, {222, 874},  {238, 1250}, {254, 437}};
    for (const auto& [charset, codePage] : fixed)
        EXPECT_EQ(codePageOfCharset(charset), codePage) << charset;
    for (const int charset : {1, 2, 255, 3, 200})
        EXPECT_EQ(codePageOfCharset(charset), 0) << charset;
}

TEST(CodePage, LeadBytesOfTheDoubleByteCodePages)
{
    EXPECT_TRUE(isLeadByte(932, 0x81));
    EXPECT_TRUE(isLeadByte(932, 0xFC));
    EXPECT_FALSE(isLeadByte(932, 0xA0));  // half-width katakana stand alone
    EXPECT_TRUE(isLeadByte(949, 0xFE));
    EXPECT_FALSE(isLeadByte(936, 0x80));
    EXPECT_TRUE(isLeadByte(1361, 0xD8));
    EXPECT_FALSE(isLeadByte(1361, 0xD4));
    EXPECT_FALSE(isLeadByte(1252, 0x81));
    EXPECT_TRUE(isDoubleByteCodePage(950));
    EXPECT_FALSE(isDoubleByteCodePage(1256));
}

TEST(CodePage, DecodesRunsAndGoesOnAfterBytesThatStartNoCharacter)
{
    CodePageDecoder d;
    // Persian in 1256: peh, gaf, and the Arabic comma.
    EXPECT_EQ(decoded(d, 1256, "\x81\x90\xA1"), u"\u067E\u06AF\u060C");
    // Shift-JIS pairs; a lead byte with no trail at the end becomes one replacement character.
    EXPECT_EQ(decoded(d, 932, "\x82\xA0\x82\xA2"), u"\u3042\u3044");
    EXPECT_EQ(decoded(d, 932, "a\x82"), u"a\uFFFD");
    // 0x81 is no character of 1253: replaced, and the text after it still decodes.
    EXPECT_EQ(decoded(d, 1253, "\xE1\x81\xE2"), u"\u03B1\uFFFD\u03B2");
    // Hebrew's converter holds a letter back to combine it: the last one is flushed, not lost.
    EXPECT_EQ(decoded(d, 1255, "\xE0\xE1"), u"\u05D0\u05D1");
    // A code page iconv does not know reads as 1252; the decoder keeps appending.
    std::u16string out = u"x";
    d.decode(77777, reinterpret_cast<const uint8_t*>("\x80\xE9"), 2, out);
    EXPECT_EQ(out, u"x\u20AC\u00E9");
}

TEST(CodePage, SymbolFontCodesShowTheirGlyphsCharacters)
{
    EXPECT_EQ(symbolFontCharacter('a'), u'\u03B1');
    EXPECT_EQ(symbolFontCharacter('D'), u'\u0394');
    EXPECT_EQ(symbolFontCharacter(0xAE), u'\u2192');
    EXPECT_EQ(symbolFontCharacter(0xB7), u'\u2022');
    EXPECT_EQ(symbolFontCharacter('1'), u'1');
    // Codes the font leaves empty.
    for (const uint8_t empty : {0x10, 0x7F, 0x85, 0xFF})
        EXPECT_EQ(symbolFontCharacter(empty), 0) << int(empty);
}
