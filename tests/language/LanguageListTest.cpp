#include "language/language.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace ondrix {
namespace {

class LanguageListTest : public ::testing::Test
{
protected:
    std::string AppDir() const { return m_dir.str(); }
    std::string Folder() const { return m_dir.str() + "/Languages"; }
    void Lng(const std::string& name, const std::string& text) const
    {
        m_dir.Write("Languages/" + name, text);
    }

    std::vector<TMLang> Scan() const
    {
        std::vector<TMLang> list;
        ScanLanguages(Folder(), AppDir(), list);
        return list;
    }

    test::TempDir m_dir;
};

std::vector<std::string> Names(const std::vector<TMLang>& list)
{
    std::vector<std::string> names;
    for (const auto& lang : list)
        names.push_back(lang.Name);
    return names;
}

TEST_F(LanguageListTest, HeaderGivesNameAndFlagUnderAppDir)
{
    Lng("english.lng",
        "[LANGUAGE_NAME]\nname=English\n[COUNTRY_FLAG]\nfilename=\\Languages\\flags\\gb.ico\n");
    const LanguageHeader header = ReadLanguageHeader(Folder() + "/english.lng", AppDir());
    EXPECT_EQ(header.name, "English");
    EXPECT_EQ(header.flagPath, AppDir() + "/Languages/flags/gb.ico");

    const auto list = Scan();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].FileName, Folder() + "/english.lng");
    EXPECT_EQ(list[0].Name, "English");
    EXPECT_EQ(list[0].FlagPath, AppDir() + "/Languages/flags/gb.ico");
}

TEST_F(LanguageListTest, FileWithoutOrWithEmptyNameIsSkipped)
{
    Lng("a.lng", "[COUNTRY_FLAG]\nfilename=\\x.ico\n");
    Lng("b.lng", "[LANGUAGE_NAME]\nname=\n");
    Lng("c.lng", "[LANGUAGE_NAME]\nname=  \"\"  \n");
    Lng("d.lng", "[OTHER]\nname=Not a header\n");
    Lng("e.lng", "[LANGUAGE_NAME]\nname=Kept\n");
    EXPECT_EQ(Names(Scan()), std::vector<std::string>{"Kept"});
}

TEST_F(LanguageListTest, MissingFlagKeyLeavesAppDirForTheFallback)
{
    Lng("x.lng", "[LANGUAGE_NAME]\nname=X\n");
    const auto list = Scan();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].FlagPath, AppDir());
}

TEST_F(LanguageListTest, EqualNamesAreBothListedInBytewiseFileOrder)
{
    Lng("b.lng", "[LANGUAGE_NAME]\nname=Same\n[COUNTRY_FLAG]\nfilename=\\b.ico\n");
    Lng("a.lng", "[LANGUAGE_NAME]\nname=Same\n[COUNTRY_FLAG]\nfilename=\\a.ico\n");
    Lng("Z.lng", "[LANGUAGE_NAME]\nname=Zulu\n");
    const auto list = Scan();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].FileName, Folder() + "/Z.lng"); // capitals sort before small letters
    EXPECT_EQ(list[1].FlagPath, AppDir() + "/a.ico");
    EXPECT_EQ(list[2].FlagPath, AppDir() + "/b.ico");
    EXPECT_EQ(list[1].Name, "Same");
    EXPECT_EQ(list[2].Name, "Same");
}

TEST_F(LanguageListTest, HeaderNamesMatchInAnyLetterCase)
{
    Lng("caps.lng", "[language_name]\nNAME=Capitals\n[Country_Flag]\nFileName=\\f.ico\n");
    const auto list = Scan();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Name, "Capitals");
    EXPECT_EQ(list[0].FlagPath, AppDir() + "/f.ico");
}

TEST_F(LanguageListTest, OnlyExactLngExtensionCountsHiddenFilesIncluded)
{
    const std::string header = "[LANGUAGE_NAME]\nname=";
    Lng(".hidden.lng", header + "Hidden\n");
    Lng("upper.LNG", header + "Upper\n");
    Lng("backup.lng.bak", header + "Backup\n");
    Lng("longer.lngx", header + "Longer\n");
    Lng("nolng", header + "None\n");
    Lng("sub.lng/inner.lng", header + "Inner\n"); // a folder named like a language file
    EXPECT_EQ(Names(Scan()), std::vector<std::string>{"Hidden"});
}

TEST_F(LanguageListTest, MissingOrEmptyFolderAddsNothingAndListIsAppendedTo)
{
    std::vector<TMLang> list{TMLang{"/elsewhere/old.lng", "Old", ""}};
    ScanLanguages(Folder(), AppDir(), list); // no folder at all
    ASSERT_EQ(list.size(), 1u);
    std::filesystem::create_directories(Folder());
    ScanLanguages(Folder(), AppDir(), list);
    ASSERT_EQ(list.size(), 1u);
    Lng("new.lng", "[LANGUAGE_NAME]\nname=New\n");
    ScanLanguages(Folder(), AppDir(), list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Old", "New"}));
}

TEST_F(LanguageListTest, PipesAndDevicesAmongTheLanguagesAreSkippedWithoutWaiting)
{
    Lng("english.lng", "[LANGUAGE_NAME]\nname=English\n");
    std::filesystem::create_directories(Folder());
    // A pipe nobody writes to blocks an open for good; /dev/zero never ends.
    ASSERT_EQ(::mkfifo((Folder() + "/pipe.lng").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", Folder() + "/zero.lng");
    EXPECT_EQ(Names(Scan()), std::vector<std::string>{"English"});

    // The stored language file may be one of them as well: it reads as a missing file.
    TLanguage missing;
    missing.Load(Folder() + "/missing.lng");
    for (const char* name : {"/pipe.lng", "/zero.lng"}) {
        TLanguage language;
        language.Caption = "before";
        language.Load(Folder() + name);
        EXPECT_EQ(language.Caption, "");
        EXPECT_EQ(language.Texts, missing.Texts);
    }
}

TEST(ShippedLanguagesTest, EveryShippedFileIsListedWithAnExistingFlag)
{
    const std::string appDir = std::string(ONDRIX_SOURCE_DIR) + "/data";
    std::vector<TMLang> list;
    ScanLanguages(appDir + "/Languages", appDir, list);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Deutsch", "English", "Français"}));
    for (const auto& lang : list)
        EXPECT_TRUE(std::filesystem::is_regular_file(lang.FlagPath)) << lang.FileName;
    EXPECT_TRUE(std::filesystem::is_regular_file(appDir + "/Languages/flags/flag.ico"));
}

} // namespace
} // namespace ondrix
