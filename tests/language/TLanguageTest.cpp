#include "language/language.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace ondrix {
namespace {

std::string Index(std::size_t i)
{
    return std::to_string(i);
}

// A language file holding every text of the table, each with its own number as its value.
std::string NumberedLanguageFile()
{
    std::map<std::string, std::string> sections;
    for (std::size_t i = 0; i < kTextCount; ++i)
        sections[kTextTable[i].section] += std::string(kTextTable[i].key) + "=" + Index(i) + "\n";
    std::string text = "[MAINFORM_CAPTION]\ncaption=Caption\n";
    for (const auto& [section, keys] : sections)
        text += "[" + section + "]\n" + keys;
    return text;
}

TEST(TLanguageTest, EveryTextIsReadAtItsOwnNumber)
{
    test::TempDir dir;
    const auto file = dir.Write("all.lng", NumberedLanguageFile());
    const TLanguage lang(file.string());
    EXPECT_EQ(lang.Caption, "Caption");
    for (std::size_t i = 0; i < kTextCount; ++i)
        EXPECT_EQ(lang.Texts[i], Index(i)) << kTextTable[i].section << "/" << kTextTable[i].key;
}

TEST(TLanguageTest, TableHoldsEachSectionAndKeyOnce)
{
    std::set<std::string> seen;
    for (std::size_t i = 0; i < kTextCount; ++i) {
        std::string name = std::string(kTextTable[i].section) + "/" + kTextTable[i].key;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        EXPECT_TRUE(seen.insert(name).second) << name << " at " << i;
    }
}

TEST(TLanguageTest, NumberedKeysAreReadExactlyAsNamed)
{
    test::TempDir dir;
    const auto file = dir.Write("menu.lng", "[MAINMENU]\n"
                                            "a0name=File\n"
                                            "a00name=Display settings\n"
                                            "a000name=wrong\n"
                                            "[PAGE_IMAGE_LISTS]\n"
                                            "barbtn1=one\n"
                                            "barbtn10=ten\n"
                                            "barbtn5=not in the table\n"
                                            "[PAGE_ADVANCEDDESKTOP]\n"
                                            "barbtn10=not in the table\n");
    const TLanguage lang(file.string());
    EXPECT_EQ(lang.Text(Txt::MAINMENU_a0name), "File");
    EXPECT_EQ(lang.Texts[4], "Display settings");
    EXPECT_EQ(lang.Text(Txt::MAINMENU_a00name), "Display settings");
    EXPECT_EQ(lang.Texts[73], "one");
    EXPECT_EQ(lang.Texts[81], "ten");
    EXPECT_EQ(lang.Text(Txt::PAGE_IMAGE_LISTS_barbtn10), "ten");
    for (std::size_t i = 64; i <= 71; ++i)
        EXPECT_EQ(lang.Texts[i], "") << i;
}

TEST(TLanguageTest, SameKeyInDifferentSectionsIsADifferentText)
{
    test::TempDir dir;
    const auto file =
        dir.Write("same.lng", "[PAGE_ADVANCEDDESKTOP]\nbarbtn0=themes\n[PAGE_IMAGE_LISTS]\nbarbtn0=lists\n"
                              "[STYLES]\ns0=style\n[ABOUT_WINDOW]\ns0=about\n");
    const TLanguage lang(file.string());
    EXPECT_EQ(lang.Text(Txt::PAGE_ADVANCEDDESKTOP_barbtn0), "themes");
    EXPECT_EQ(lang.Text(Txt::PAGE_IMAGE_LISTS_barbtn0), "lists");
    EXPECT_EQ(lang.Text(Txt::STYLES_s0), "style");
    EXPECT_EQ(lang.Text(Txt::ABOUT_WINDOW_s0), "about");
}

TEST(TLanguageTest, NamesInCapitalsAreTheSameKeys)
{
    test::TempDir dir;
    const auto file = dir.Write("caps.lng", "[mainform_caption]\nCAPTION=Big\n[Status_Bar]\nMSG10=ten\n"
                                            "[page_image_lists]\nPREWIEVPANEL=empty\n");
    const TLanguage lang(file.string());
    EXPECT_EQ(lang.Caption, "Big");
    EXPECT_EQ(lang.Text(Txt::STATUS_BAR_msg10), "ten");
    EXPECT_EQ(lang.Text(Txt::PAGE_IMAGE_LISTS_prewievPanel), "empty");
}

TEST(TLanguageTest, MissingFileGivesDefaultsAndHelpFileNofile)
{
    TLanguage lang("/nonexistent/folder/none.lng");
    EXPECT_EQ(lang.Caption, "");
    EXPECT_EQ(lang.Text(Txt::HELPFILE_filename), "nofile");
    for (std::size_t i = 0; i < kTextCount; ++i) {
        if (i != static_cast<std::size_t>(Txt::HELPFILE_filename)) {
            EXPECT_EQ(lang.Texts[i], "") << i;
        }
    }
}

TEST(TLanguageTest, ReloadLeavesNoTextOfThePreviousLanguage)
{
    test::TempDir dir;
    const auto full = dir.Write("full.lng", NumberedLanguageFile());
    const auto sparse = dir.Write("sparse.lng", "[STATUS_BAR]\nmsg0=only this\n");
    TLanguage lang(full.string());
    ASSERT_EQ(lang.Text(Txt::HELPFILE_filename), "118");
    lang.Load(sparse.string());
    EXPECT_EQ(lang.Caption, "");
    EXPECT_EQ(lang.Text(Txt::STATUS_BAR_msg0), "only this");
    EXPECT_EQ(lang.Text(Txt::STATUS_BAR_msg1), "");
    EXPECT_EQ(lang.Text(Txt::PAGE_EDITOR_caption12), "");
    EXPECT_EQ(lang.Text(Txt::HELPFILE_filename), "nofile");
}

TEST(TLanguageTest, ShippedLanguagesHaveEveryText)
{
    for (const char* name : {"english.lng", "deutsch.lng", "francais.lng"}) {
        const TLanguage lang(std::string(ONDRIX_SOURCE_DIR) + "/data/Languages/" + name);
        EXPECT_FALSE(lang.Caption.empty()) << name;
        for (std::size_t i = 0; i < kTextCount; ++i)
            EXPECT_FALSE(lang.Texts[i].empty())
                << name << ": " << kTextTable[i].section << "/" << kTextTable[i].key;
        EXPECT_NE(lang.Text(Txt::HELPFILE_filename), "nofile") << name;
    }
}

} // namespace
} // namespace ondrix
