#include <gtest/gtest.h>

#include "text/records.h"

using namespace vr;

namespace {

std::string mapped(const std::string& font, const std::vector<std::string>& installed, uint8_t fontClass = 0)
{
    TDChaine run("a", font, 12, 0, 0, fontClass, 0);
    MapFontName(run, fontCatalogue(installed));
    return run.FontName;
}

}  // namespace

TEST(FontInstalled, MatchesWholeNamesWithCase)
{
    const FontInstalledFn installed = fontCatalogue({"Arial", "QV_Hazel"});
    EXPECT_TRUE(installed("QV_Hazel"));
    EXPECT_FALSE(installed("qv_hazel"));
    EXPECT_FALSE(installed("QV_Haze"));
    EXPECT_FALSE(installed("QV_Hazel "));
}

TEST(MapFontName, RowsApplyInOrderOnlyWhenTheirFaceIsInstalled)
{
    EXPECT_EQ(mapped("Old Alder Sans", {"QV_Alder"}), "QV_Alder");
    EXPECT_EQ(mapped("Old Alder Sans", {}), "QV_Hazel");
    // A row whose face is missing gives way to a later row whose key also occurs.
    EXPECT_EQ(mapped("Alder Iris", {"QV_Iris"}), "QV_Iris");
    EXPECT_EQ(mapped("Alder Iris", {"QV_Iris", "QV_Alder"}), "QV_Alder");
    EXPECT_EQ(mapped("Birch", {"QV_Silver Birch"}), "QV_Silver Birch");
    EXPECT_EQ(mapped("Elmarr", {"QV_Elmar"}), "QV_Elmar");
    EXPECT_EQ(mapped("Gorce Bold", {"QV_Gorse"}), "QV_Gorse");
    EXPECT_EQ(mapped("Fern", {"QV_Red Fern"}), "QV_Red Fern");
    EXPECT_EQ(mapped("Juniper", {"QV_Juniper"}), "QV_Juniper");
    // Keys are case-sensitive.
    EXPECT_EQ(mapped("alder", {"QV_Alder"}), "QV_Hazel");
}

TEST(MapFontName, UnmatchedNamesStayForClassTwoAndTheSuitePrefix)
{
    EXPECT_EQ(mapped("Arial", {"Arial"}, 2), "Arial");
    EXPECT_EQ(mapped("Arial", {"Arial"}, 0), "QV_Hazel");
    EXPECT_EQ(mapped("QV_Cedar", {"QV_Cedar"}), "QV_Cedar");
    EXPECT_EQ(mapped("QV_Cedar", {}), "QV_Cedar");
    EXPECT_EQ(mapped("QV_Unknown", {}), "QV_Unknown");
    EXPECT_EQ(mapped("", {}, 0), "QV_Hazel");
    EXPECT_EQ(mapped("", {}, 2), "");
    // Without any catalogue nothing counts as installed.
    TDChaine run("a", "Cedar", 12, 0, 0, 0, 0);
    MapFontName(run, nullptr);
    EXPECT_EQ(run.FontName, "QV_Hazel");
}
