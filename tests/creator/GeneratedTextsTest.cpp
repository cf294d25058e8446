#include "ExpectedTexts.h"
#include "core/IniFile.h"
#include "creator/ThemeGenerator.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrix {
namespace {

using test::ExpectedCss;
using test::ExpectedSeaPage;
using test::kExpectedResol;

TEST(ColourText, WritesTwoUpperCaseHexDigitsPerComponent)
{
    EXPECT_EQ(ColourText({0, 0, 0}), "#000000");
    EXPECT_EQ(ColourText({128, 0, 0}), "#800000");
    EXPECT_EQ(ColourText({0, 0, 128}), "#000080");
    EXPECT_EQ(ColourText({0x0A, 0xBC, 0xFF}), "#0ABCFF");
}

TEST(GeneratedTexts, StyleSheetIsPiecesSeparatedByCarriageReturns)
{
    EXPECT_EQ(ThemeCssText("#000000"), ExpectedCss("#000000"));
    EXPECT_EQ(ThemeCssText("#000080"), ExpectedCss("#000080"));
}

TEST(GeneratedTexts, ScreenScriptIsTwentyFourLinesWithTheirBlanks)
{
    EXPECT_EQ(ResolScriptText(), kExpectedResol);
}

TEST(GeneratedTexts, StartPageWithAndWithoutBackgroundPicture)
{
    const TFlashOptions flash{50, 50, 4, "#800000"};
    EXPECT_EQ(ThemeStartPageText("#800000", "", "sea.swf", flash, {1024, 768}, {25, 10}),
              ExpectedSeaPage(""));
    EXPECT_EQ(ThemeStartPageText("#800000", "beach.jpg", "sea.swf", flash, {1024, 768}, {25, 10}),
              ExpectedSeaPage("beach.jpg"));
}

TEST(GeneratedTexts, BlackStillGetsTheBackgroundParameterOfTheMovie)
{
    const TFlashOptions flash{50, 50, 4, "#000000"};
    const std::string page = ThemeStartPageText("#000000", "", "sea.swf", flash, {1024, 768}, {0, 0});
    EXPECT_NE(page.find("body{background-color:#000000;}\r\n"), std::string::npos);
    EXPECT_NE(page.find("<param name=bgcolor value=#000000>\r\n"), std::string::npos);
    EXPECT_NE(page.find("bgcolor=#000000 \r\n"), std::string::npos);
}

TEST(GeneratedTexts, DescriptionFileKeepsValuesAndLineBreaks)
{
    const std::string cfg = NewThemeCfgText("Sea", "Mira", "Waves\r\nat night");
    EXPECT_EQ(cfg, "[Name]\r\nThemeName=Sea\r\n[Author]\r\nThemeAuthor=Mira\r\n[Style]\r\nindex=0\r\n"
                   "[Description]\r\nDescription=Waves\r\nat night\r\n[Files]\r\nstartup=\\index.htm");
    // Read back, only the first line of the description is left.
    EXPECT_EQ(IniFile::Parse(cfg).Read("Description", "Description"), "Waves");
    EXPECT_EQ(NewThemeCfgText("", "", ""), "[Name]\r\nThemeName=\r\n[Author]\r\nThemeAuthor=\r\n[Style]\r\n"
                                           "index=0\r\n[Description]\r\nDescription=\r\n[Files]\r\n"
                                           "startup=\\index.htm");
}

} // namespace
} // namespace ondrix
