#include "themes/ThemePackage.h"

#include "ThemeFixtures.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

constexpr const char* kObjectHead =
    "<object \r\n"
    "classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\r\n"
    "codebase=\"http://download.quorvane.example/pub/shockwave/cabs/flash/swflash.cab#version=5,0,0,0\"\r\n";
constexpr const char* kPluginsPage =
    "pluginspage=\"http://www.quorvane.example/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash\" "
    "type=\"application/x-shockwave-flash\" ";

tTheme Theme(const std::string& name, double width, double height, int quality, const std::string& bgColor)
{
    tTheme theme;
    theme.Name = name;
    theme.FlashOptions.Width = width;
    theme.FlashOptions.Height = height;
    theme.FlashOptions.Quality = quality;
    theme.FlashOptions.BgColor = bgColor;
    return theme;
}

TEST(WriteFlashObject, FixedFormWithBackgroundColour)
{
    std::string out = "before\r\n";
    WriteFlashObject(out, Theme("Sky", 50, 50, 4, "336699"), "sky.swf", {1024, 768});
    EXPECT_EQ(out, std::string("before\r\n") + kObjectHead +
                       "WIDTH=\"512\" HEIGHT=\"384\">\r\n"
                       "<param name=movie value=\"sky.swf\">\r\n"
                       "<param name=quality value=high>\r\n"
                       "<param name=menu value=false>\r\n"
                       "<param name=bgcolor value=336699>\r\n"
                       "<embed src=\"sky.swf\" quality=high menu=false\r\n"
                       "bgcolor=336699 \r\n" +
                       kPluginsPage + "width=\"512\" height=\"384\"></embed></object>\r\n");
}

TEST(WriteFlashObject, ScriptFormForTheNameJs)
{
    std::string out;
    WriteFlashObject(out, Theme("js", 50, 75.5, 0, ""), "m.swf", {1366, 768}, {10, 20});
    EXPECT_EQ(out,
              std::string("<script language=\"JavaScript\">\r\n"
                          "<!--\r\n"
                          "document.writeln('<object classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\" "
                          "codebase=\"http://download.quorvane.example/pub/shockwave/cabs/flash/"
                          "swflash.cab#version=5,0,0,0\"');\r\n"
                          "WriteLT(10,20)\r\n"
                          "WriteWH(50,75.5)\r\n"
                          "document.writeln('>');\r\n"
                          "//-->\r\n"
                          "</script>\r\n"
                          "<param name=movie value=\"m.swf\">\r\n"
                          "<param name=quality value=low>\r\n"
                          "<param name=menu value=false>\r\n"
                          "<embed src=\"m.swf\" quality=low menu=false\r\n") +
                  kPluginsPage + "width=\"683\" height=\"580\"></embed></object>\r\n");
    // The name is compared case-sensitively.
    std::string fixed;
    WriteFlashObject(fixed, Theme("JS", 50, 50, 0, ""), "m.swf", {1366, 768});
    EXPECT_EQ(fixed.rfind("<object \r\n", 0), 0u);
}

TEST(WriteFlashObject, SizesRoundHalvesToEvenAndBlackIsNoColour)
{
    auto sizes = [](int screenWidth, double percent) {
        std::string out;
        WriteFlashObject(out, Theme("t", percent, 100, 2, "000000"), "m.swf", {screenWidth, 600});
        EXPECT_EQ(out.find("bgcolor"), std::string::npos);
        const auto at = out.find("WIDTH=\"") + 7;
        return out.substr(at, out.find('"', at) - at);
    };
    EXPECT_EQ(sizes(1366, 33), "451"); // 450.78
    EXPECT_EQ(sizes(1025, 50), "512"); // 512.5
    EXPECT_EQ(sizes(1027, 50), "514"); // 513.5
    EXPECT_EQ(sizes(1920, 1000), "1.92E+4");
    std::string out;
    WriteFlashObject(out, Theme("t", 100, 100, 9, ""), "m.swf", {800, 600});
    EXPECT_NE(out.find("<param name=quality value=autohigh>"), std::string::npos);
}

TEST(FormatGeneral, FourSignificantDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(FormatGeneral(512), "512");
    EXPECT_EQ(FormatGeneral(9999), "9999");
    EXPECT_EQ(FormatGeneral(12.5), "12.5");
    EXPECT_EQ(FormatGeneral(33.333333), "33.33");
    EXPECT_EQ(FormatGeneral(0.5), "0.5");
    EXPECT_EQ(FormatGeneral(100.0), "100");
    EXPECT_EQ(FormatGeneral(-7.25), "-7.25");
    EXPECT_EQ(FormatGeneral(0), "0");
    EXPECT_EQ(FormatGeneral(12345), "1.234E+4");
    EXPECT_EQ(FormatGeneral(99999), "1E+5");
    EXPECT_EQ(FormatGeneral(0.000001), "1E-6");
}

TEST(ParseIniInteger, DecimalAndHexadecimalElseTheDefault)
{
    EXPECT_EQ(ParseIniInteger("42", 7), 42);
    EXPECT_EQ(ParseIniInteger("-1", 7), -1);
    EXPECT_EQ(ParseIniInteger("+3", 7), 3);
    EXPECT_EQ(ParseIniInteger("0x1F", 7), 31);
    EXPECT_EQ(ParseIniInteger("$ff", 7), 255);
    EXPECT_EQ(ParseIniInteger("$FFFFFFFF", 7), -1);
    EXPECT_EQ(ParseIniInteger("2147483647", 7), 2147483647);
    EXPECT_EQ(ParseIniInteger("-2147483648", 7), -2147483647 - 1);
    for (const char* text : {"", "12abc", "abc", "0x", "$", "2147483648", "99999999999", "1 2", "-", "0xG"})
        EXPECT_EQ(ParseIniInteger(text, 7), 7) << text;
}

TEST(ThemeInfoOf, StyleAndNameFollowTheSections)
{
    EXPECT_EQ(ThemeInfoOf(test::CurrentCfg("Sky")).Style, 0);
    EXPECT_EQ(ThemeInfoOf(test::CurrentCfg("Sky")).Name, "Sky");
    // A [Style] key other than index lists as style 0; an empty or missing section is legacy.
    EXPECT_EQ(ThemeInfoOf("[style]\r\nother=1\r\n").Style, 0);
    EXPECT_EQ(ThemeInfoOf("[Style]\r\n; note\r\n[Name]\r\nThemeName=x\r\n").Style, 255);
    EXPECT_EQ(ThemeInfoOf("[Name]\r\nThemeName=x\r\n").Style, 255);
    EXPECT_EQ(ThemeInfoOf("[Style]\r\nindex=255\r\n").Style, 255);
    EXPECT_EQ(ThemeInfoOf("[Style]\r\nindex=-1\r\n").Style, 255);
    EXPECT_EQ(ThemeInfoOf("[Style]\r\nindex=258\r\n").Style, 2);
    EXPECT_EQ(ThemeInfoOf("[Style]\r\nindex=three\r\n").Style, 0);
    const TThemeInfo bare = ThemeInfoOf("nothing at all");
    EXPECT_EQ(bare.Name, "No name");
    EXPECT_EQ(bare.Style, 255);
}

TEST(SetIniValue, ReplacesAddsOrAppendsAndKeepsTheRest)
{
    EXPECT_EQ(SetIniValue("[A]\r\nk=1\r\n; c\r\n[B]\r\nx=2", "a", "K", "9"),
              "[A]\r\nK=9\r\n; c\r\n[B]\r\nx=2\r\n");
    EXPECT_EQ(SetIniValue("[A]\nk=1\n\n[B]\nx=2\n", "A", "n", "5"),
              "[A]\r\nk=1\r\nn=5\r\n\r\n[B]\r\nx=2\r\n");
    EXPECT_EQ(SetIniValue("[A]\r\nk=1", "Style", "index", "0"), "[A]\r\nk=1\r\n[Style]\r\nindex=0\r\n");
    EXPECT_EQ(SetIniValue("[Style]\r\n", "Style", "index", "0"), "[Style]\r\nindex=0\r\n");
    // The key the reader sees (the first one) is the one replaced.
    EXPECT_EQ(SetIniValue("[A]\r\n[B]\r\nk=1\r\n[A]\r\nk=2\r\n", "A", "k", "3"),
              "[A]\r\n[B]\r\nk=1\r\n[A]\r\nk=3\r\n");
}

class PackageTest : public ::testing::Test
{
protected:
    test::ThemeAppDir m_app;
};

TEST_F(PackageTest, ReadThemeInfoUsesAVisibleTemporaryCopyAndRemovesIt)
{
    const auto package = m_app.dir.path() / "elsewhere" / "sky.ond";
    test::WriteRawZip(package, {{"index.htm", "<html>"}, {"theme.cfg", test::CurrentCfg("Sky")}});
    m_app.clock.tick = 4294967295u;
    TThemeInfo info;
    ASSERT_TRUE(ReadThemeInfo(m_app.env, package.string(), info));
    EXPECT_EQ(info.Name, "Sky");
    EXPECT_EQ(info.Style, 0);
    EXPECT_TRUE(test::ThemeAppDir::Names(m_app.Recycled()).empty());

    // The copy lives at <tick>.tmp while it is read: a folder there makes the write fail.
    fs::create_directories(m_app.Recycled("4294967295.tmp/x"));
    EXPECT_THROW(ReadThemeInfo(m_app.env, package.string(), info), FileError);
    fs::remove_all(m_app.Recycled());
    EXPECT_THROW(ReadThemeInfo(m_app.env, package.string(), info), FileError);
}

TEST_F(PackageTest, PackagesWithoutADescriptionAreNotThemes)
{
    TThemeInfo info;
    const auto none = m_app.dir.path() / "none.ond";
    test::WriteRawZip(none, {{"index.htm", "x"}, {"sub/theme.cfg", test::CurrentCfg("x")}});
    EXPECT_FALSE(ReadThemeInfo(m_app.env, none.string(), info));
    const auto empty = m_app.dir.path() / "empty.ond";
    test::WriteRawZip(empty, {{"theme.cfg", ""}});
    EXPECT_FALSE(ReadThemeInfo(m_app.env, empty.string(), info));
    EXPECT_THROW(ReadThemeInfo(m_app.env, (m_app.dir.path() / "gone.ond").string(), info), FileError);
    m_app.dir.Write("text.ond", "just some text");
    EXPECT_THROW(ReadThemeInfo(m_app.env, (m_app.dir.path() / "text.ond").string(), info), ArchiveError);
}

TEST_F(PackageTest, StartPageComesFromFilesStartup)
{
    m_app.dir.Write("w/theme.cfg", "[Files]\r\nstartup=\\pages\\index.htm\r\n");
    EXPECT_EQ(StartPageOf((m_app.dir.path() / "w").string()),
              (m_app.dir.path() / "w").string() + "/pages/index.htm");
    m_app.dir.Write("w/theme.cfg", "[Files]\r\nstartup=\r\n");
    EXPECT_EQ(StartPageOf((m_app.dir.path() / "w").string()),
              (m_app.dir.path() / "w").string() + "/ondrix.htm");
    m_app.dir.Write("w/theme.cfg", "[Files]\r\nstartup=\\..\\..\\secret.htm\r\n");
    EXPECT_THROW(StartPageOf((m_app.dir.path() / "w").string()), ArchiveError);
}

constexpr const char* kLegacyCfg =
    "[Name]\r\nThemeName=Old Sea\r\n[Author]\r\nThemeAuthor=Mara\r\n[Files]\r\n"
    "FlashMovie=sea.swf\r\ncss=style.css\r\n[FlashFile]\r\n"
    "DefaultWidth(in percents)=50\r\nDefaultHeight(in percents)=50\r\nQuality=5\r\n"
    "bgcolor=000000\r\n";

TEST_F(PackageTest, ConversionWritesThePageTheDescriptionAndFourMembers)
{
    const std::string package = m_app.Store("sea.ond");
    test::WriteRawZip(package, {{"theme.cfg", kLegacyCfg},
                                {"sea.swf", "FWS-movie"},
                                {"style.css", "body{}"},
                                {"readme.txt", "not carried over"}});
    m_app.clock.tick = 5000;
    ASSERT_TRUE(ConvertLegacyTheme(m_app.env, package));

    const std::string cfg = "[Name]\r\nThemeName=Old Sea\r\n[Author]\r\nThemeAuthor=Mara\r\n[Files]\r\n"
                            "FlashMovie=sea.swf\r\ncss=style.css\r\nstartup=\\ondrix.htm\r\n[FlashFile]\r\n"
                            "DefaultWidth(in percents)=50\r\nDefaultHeight(in percents)=50\r\nQuality=5\r\n"
                            "bgcolor=000000\r\n[Style]\r\nindex=0\r\n";
    const std::string page =
        std::string("<html>\r\n<head>\r\n<style>\r\n@import url(\"style.css\");\r\n"
                    "body{background-color:#000000;}\r\n</style>\r\n</head>\r\n<body>\r\n") +
        kObjectHead +
        "WIDTH=\"512\" HEIGHT=\"384\">\r\n"
        "<param name=movie value=\"sea.swf\">\r\n"
        "<param name=quality value=best>\r\n"
        "<param name=menu value=false>\r\n"
        "<embed src=\"sea.swf\" quality=best menu=false\r\n" +
        kPluginsPage + "width=\"512\" height=\"384\"></embed></object>\r\n</body>\r\n</html>\r\n";
    EXPECT_EQ(test::RawZipNames(package),
              (std::vector<std::string>{"theme.cfg", "ondrix.htm", "style.css", "sea.swf"}));
    const auto members = test::ReadRawZip(package);
    EXPECT_EQ(members.at("theme.cfg"), cfg);
    EXPECT_EQ(members.at("ondrix.htm"), page);
    EXPECT_EQ(members.at("sea.swf"), "FWS-movie");
    EXPECT_EQ(members.at("style.css"), "body{}");
    // The work folder of the conversion stays until exit, with the edited files in it.
    EXPECT_EQ(test::ReadFileBytes(m_app.Work("5000/ondrix.htm")), page);
    EXPECT_EQ(test::ReadFileBytes(m_app.Work("5000/theme.cfg")), cfg);
    // Nothing is left beside the package.
    EXPECT_EQ(test::ThemeAppDir::Names(m_app.Store()),
              (std::vector<std::string>{"Recycled", "WorkDir", "sea.ond"}));
    TThemeInfo info;
    ASSERT_TRUE(ReadThemeInfo(m_app.env, package, info));
    EXPECT_EQ(info.Style, 0);
}

TEST_F(PackageTest, ConversionDefaultsScriptFormAndFolderParts)
{
    const std::string package = m_app.Store("js.ond");
    test::WriteRawZip(package,
                      {{"theme.cfg", "[Name]\r\nThemeName=js\r\n[Files]\r\nFlashMovie=media\\m.swf\r\n"
                                     "css=media/s.css\r\n[FlashFile]\r\nbgcolor=204060\r\n"},
                       {"media/m.swf", "M"},
                       {"media/s.css", "S"}});
    ASSERT_TRUE(ConvertLegacyTheme(m_app.env, package));
    EXPECT_EQ(test::RawZipNames(package),
              (std::vector<std::string>{"theme.cfg", "ondrix.htm", "s.css", "m.swf"}));
    const auto members = test::ReadRawZip(package);
    const std::string& page = members.at("ondrix.htm");
    EXPECT_NE(page.find("@import url(\"media/s.css\");\r\nbody{background-color:#204060;}"),
              std::string::npos);
    EXPECT_NE(page.find("WriteLT(0,0)\r\nWriteWH(100,100)\r\n"), std::string::npos);
    EXPECT_NE(page.find("<param name=movie value=\"media\\m.swf\">\r\n<param name=quality value=autohigh>\r\n"
                        "<param name=menu value=false>\r\n<param name=bgcolor value=204060>\r\n"),
              std::string::npos);
    EXPECT_NE(page.find("width=\"1024\" height=\"768\""), std::string::npos);

    // Values written with a leading separator name the same members.
    const std::string rooted = m_app.Store("rooted.ond");
    test::WriteRawZip(
        rooted,
        {{"theme.cfg", "[Files]\r\nFlashMovie=\\m.swf\r\ncss=/s.css\r\n"}, {"m.swf", "M"}, {"s.css", "S"}});
    ASSERT_TRUE(ConvertLegacyTheme(m_app.env, rooted));
    EXPECT_EQ(test::RawZipNames(rooted),
              (std::vector<std::string>{"theme.cfg", "ondrix.htm", "s.css", "m.swf"}));
}

TEST_F(PackageTest, AFailedRebuildLeavesThePackageAsItWas)
{
    const std::string package = m_app.Store("broken.ond");
    // The movie the description names is not in the package.
    test::WriteRawZip(package, {{"theme.cfg", kLegacyCfg}, {"style.css", "body{}"}});
    const std::string before = test::ReadFileBytes(package);
    EXPECT_FALSE(ConvertLegacyTheme(m_app.env, package));
    EXPECT_EQ(test::ReadFileBytes(package), before);

    // Names that would pull files from outside the work folder into the package.
    m_app.dir.Write("secret.txt", "private");
    test::WriteRawZip(
        package, {{"theme.cfg", "[Files]\r\nFlashMovie=..\\..\\..\\secret.txt\r\ncss=/etc/hostname\r\n"}});
    const std::string second = test::ReadFileBytes(package);
    EXPECT_FALSE(ConvertLegacyTheme(m_app.env, package));
    EXPECT_EQ(test::ReadFileBytes(package), second);
    EXPECT_EQ(test::ThemeAppDir::Names(m_app.Store()),
              (std::vector<std::string>{"Recycled", "WorkDir", "broken.ond"}));
}

TEST_F(PackageTest, UnpackingTakesANewTickFolderEachTime)
{
    const auto package = m_app.dir.path() / "p.ond";
    test::WriteRawZip(package, {{"theme.cfg", test::CurrentCfg("x")}});
    m_app.clock.tick = 77;
    EXPECT_EQ(UnpackTheme(m_app.env, package.string()), m_app.Work("77"));
    EXPECT_EQ(UnpackTheme(m_app.env, package.string()), m_app.Work("78"));
    m_app.clock.tick = 90;
    test::WriteRawZip(package, {{"theme.cfg", "x"}, {"../../escape", "x"}});
    EXPECT_THROW(UnpackTheme(m_app.env, package.string()), ArchiveError);
    EXPECT_EQ(test::ThemeAppDir::Names(m_app.Work()), (std::vector<std::string>{"77", "78"}));
}

} // namespace
} // namespace ondrix
