#include <gtest/gtest.h>

#include "core/color.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "support/doc_writer.h"

using namespace vr;

namespace {

std::string convertMessage(const std::string& text)
{
    try {
        strictToInt(text);
    } catch (const ConvertError& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(StrictInteger, AcceptsBlanksSignAndDigitsOnly)
{
    EXPECT_EQ(strictToInt("123"), 123);
    EXPECT_EQ(strictToInt("  -45"), -45);
    EXPECT_EQ(strictToInt("+7"), 7);
    EXPECT_EQ(strictToInt("0009"), 9);
    EXPECT_EQ(strictToInt("2147483647"), 2147483647);
    EXPECT_EQ(strictToInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", " ", "-", "+", "12a", "1 2", "12 ", "0x10", "$10", "--1", "1.5"})
        EXPECT_THROW(strictToInt(bad), ConvertError) << '"' << bad << '"';
}

TEST(StrictInteger, OverflowPast32BitsIsTheConversionError)
{
    EXPECT_EQ(convertMessage("2147483648"), "'2147483648' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(convertMessage("-2147483649"), "'-2147483649' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(convertMessage("99999999999999999999"),
              "'99999999999999999999' n'est pas une valeur enti\xC3\xA8re correcte");
}

TEST(StrictInteger, MessageQuotesTheFieldTextWithBytesAsLatin1)
{
    EXPECT_EQ(convertMessage(""), "'' n'est pas une valeur enti\xC3\xA8re correcte");
    EXPECT_EQ(convertMessage("a\xE9"), "'a\xC3\xA9' n'est pas une valeur enti\xC3\xA8re correcte");
}

TEST(CountedFields, OnlyTheCountedCharactersAndNeverPastTheField)
{
    const vrtest::Bytes f = vrtest::countedRaw(2, "1234", 4);
    EXPECT_EQ(countedText(f.data(), 4), "12");
    EXPECT_EQ(numericField(f.data(), 4), 12);
    // A length byte beyond the field's size reads only the field's own characters.
    vrtest::Bytes g = vrtest::countedRaw(200, "4321", 4);
    g.push_back('9');
    EXPECT_EQ(countedText(g.data(), 4), "4321");
    const vrtest::Bytes empty = vrtest::countedRaw(0, "77", 4);
    EXPECT_THROW(numericField(empty.data(), 4), ConvertError);
}

TEST(CodeFields, ComparedWholeWithTheLengthByte)
{
    auto idx = [](uint8_t len, const std::string& chars) {
        const vrtest::Bytes f = vrtest::countedRaw(len, chars, 2);
        return codeIndex(f.data(), 2, {"FN", "FD", "FL", "FR"});
    };
    EXPECT_EQ(idx(2, "FN"), 0);
    EXPECT_EQ(idx(2, "FR"), 3);
    EXPECT_EQ(idx(1, "FN"), -1);  // one letter of a code
    EXPECT_EQ(idx(2, "fn"), -1);  // case matters
    EXPECT_EQ(idx(3, "FN"), -1);  // a stray third character
    EXPECT_EQ(idx(0, "FN"), -1);
}

TEST(ByteFields, KeepTheLowEightBits)
{
    EXPECT_EQ(lowByte(300), 44);
    EXPECT_EQ(lowByte(255), 255);
    EXPECT_EQ(lowByte(-1), 255);
    EXPECT_EQ(lowByte(256), 0);
    EXPECT_EQ(le16(std::array<uint8_t, 2>{0xFE, 0xFF}.data()), -2);
    EXPECT_EQ(le16(std::array<uint8_t, 2>{0x1A, 0x03}.data()), 794);
}

TEST(Rounding, RoundGoesToEvenMulDivAwayFromZero)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
    EXPECT_EQ(roundHalfEven(794 * 25.4 / 96), 210);
    EXPECT_EQ(roundHalfEven(1123 * 25.4 / 96), 297);
    EXPECT_EQ(roundHalfEven(1e300), INT32_MAX);

    EXPECT_EQ(mulDiv(3, 1, 2), 2);
    EXPECT_EQ(mulDiv(-3, 1, 2), -2);
    EXPECT_EQ(mulDiv(5, 150, 100), 8);
    EXPECT_EQ(mulDiv(799, 150, 100), 1199);
    EXPECT_EQ(mulDiv(1196, 100, 150), 797);
    EXPECT_EQ(mulDiv(10, 1, 3), 3);
    EXPECT_EQ(mulDiv(7, 3, -2), -11);
    EXPECT_EQ(mulDiv(7, 3, 0), -1);
    EXPECT_EQ(mulDiv(INT32_MAX, INT32_MAX, 1), -1);
}

TEST(Colors, StoredValuesResolveToPlainRgb)
{
    EXPECT_EQ(redOf(0x00332211), 0x11);
    EXPECT_EQ(blueOf(0x00332211), 0x33);
    EXPECT_EQ(toArgb(0x0000FF), 0xFFFF0000u);  // red
    EXPECT_EQ(fromArgb(0xFF0000FFu), 0xFF0000u);  // blue
    EXPECT_EQ(resolveColor(0x0000FF), 0x0000FFu);
    EXPECT_EQ(resolveColor(0x02123456), 0x123456u);  // palette flag dropped
    EXPECT_EQ(resolveColor(0xFF00000F), 0xC8D0D4u);  // button face
    EXPECT_EQ(resolveColor(0xFF000008), 0x000000u);  // window text
    EXPECT_EQ(resolveColor(0xFF0000FF), 0x000000u);  // no such system colour
}
