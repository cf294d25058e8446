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

// A sample of the table of texts written out here as the program's documentation gives
// it: number, section and key. The file is made from this list, not from the program's own
// table, so a wrong section, key or number there leaves a text empty or in the wrong place.
TEST(TLanguageTest, ASampleOfTheTableIsReadAtItsDocumentedNumbers)
{
    struct Documented
    {
        std::size_t number;
        const char* section;
        const char* key;
    };
    const Documented sample[] = {
        {0, "MAINMENU", "a0name"},                // first top-level menu entry
        {4, "MAINMENU", "a00name"},               // display settings entry
        {9, "TRYICON_POPUPMENU", "m2"},           // exit entry of the tray menu
        {12, "BUTTONS_CAPTIONS", "bc2"},          // caption strip of the image lists toolbar
        {18, "MAINMENU", "a32name"},              // help entry
        {19, "TOOL_BAR", "b2hint"},               // hint of the confirm button
        {25, "TOOL_BAR", "b0pm01"},               // switch on in picture mode
        {35, "BUTTONLIST_CAPTIONS", "hint4"},     // hover text of the help button
        {42, "STATUS_BAR", "msg8"},               // theme mode in the status bar
        {44, "STATUS_BAR", "msg10"},              // the status bar's last panel
        {51, "PAGES_ARTICLES", "p6"},             // title over the picture preview
        {63, "PAGE_IMAGE_LISTS", "prewievPanel"}, // the empty preview
        {71, "PAGE_ADVANCEDDESKTOP", "barbtn7"},  // themes remove button with recycled themes
        {77, "PAGE_IMAGE_LISTS", "barbtn6"},      // image lists download button
        {84, "PAGE_IMAGE_LISTS", "barbtn13"},     // move a picture down
        {89, "STYLES", "s4"},                     // fifth theme style
        {93, "PAGE_ADVANCEDDESKTOP", "filter3"},  // file type of pictures
        {97, "PAGE_IMAGE_LISTS", "bRemovePM1"},   // restore entry of the lists remove menu
        {105, "PAGE_REPORT", "r6"},               // hint of the report's back button
        {111, "PAGE_OPTIONS", "tsIllb2"},         // the desktop size label
        {112, "PAGE_OPTIONS", "hint0"},           // status text of the first options tab
        {118, "HELPFILE", "filename"},            // the help file
        {126, "PAGE_OPTIONS", "tsAdvgbTime"},     // title of the interval groups
        {132, "PAGE_OPTIONS", "tsILrg13item1"},   // mode by picture size
        {135, "ABOUT_WINDOW", "s2"},              // second label of the About window
        {148, "PAGE_EDITOR", "caption12"},        // background picture label of the creation page
    };
    ASSERT_EQ(kTextCount, std::size_t{149});
    std::string file = "[MAINFORM_CAPTION]\ncaption=window caption\n";
    for (const Documented& entry : sample)
        file += std::string("[") + entry.section + "]\n" + entry.key + "=text " + Index(entry.number) + "\n";
    test::TempDir dir;
    const TLanguage lang(dir.Write("documented.lng", file).string());
    EXPECT_EQ(lang.Caption, "window caption");
    for (const Documented& entry : sample)
        EXPECT_EQ(lang.Texts[entry.number], "text " + Index(entry.number))
            << entry.section << "/" << entry.key;
    // Texts the sample does not name stay at their defaults.
    EXPECT_EQ(lang.Texts[1], "");
    EXPECT_EQ(lang.Texts[113], "");
    // The names the program reads the sample by.
    EXPECT_EQ(lang.Text(Txt::PAGE_OPTIONS_hint0), "text 112");
    EXPECT_EQ(lang.Text(Txt::PAGE_OPTIONS_tsIllb2), "text 111");
    EXPECT_EQ(lang.Text(Txt::STATUS_BAR_msg8), "text 42");
    EXPECT_EQ(lang.Text(Txt::HELPFILE_filename), "text 118");
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
