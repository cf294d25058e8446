#include "themes/ThemeStore.h"

#include "ThemeFixtures.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

constexpr const char* kLegacyCfg = "[Name]\r\nThemeName=Old\r\n[Files]\r\nFlashMovie=m.swf\r\ncss=s.css\r\n";

class ThemeStoreTest : public ::testing::Test
{
protected:
    std::string Current(const fs::path& file, const std::string& name) const
    {
        test::WriteRawZip(file, {{"theme.cfg", test::CurrentCfg(name)}, {"index.htm", "<html>" + name}});
        return file.string();
    }
    std::string Legacy(const fs::path& file) const
    {
        test::WriteRawZip(file, {{"theme.cfg", kLegacyCfg}, {"m.swf", "FWS"}, {"s.css", "css"}});
        return file.string();
    }
    Names StoreNames() const { return test::ThemeAppDir::Names(m_app.Store()); }
    Names RecycledNames() const { return test::ThemeAppDir::Names(m_app.Recycled()); }
    static Names Captions(const std::vector<ThemeRow>& rows)
    {
        Names captions;
        for (const ThemeRow& row : rows)
            captions.push_back(row.Caption);
        return captions;
    }

    test::ThemeAppDir m_app;
    test::FixedProbes m_probes;
    ThemeStore m_store{m_app.env, m_probes};
};

TEST_F(ThemeStoreTest, ImportCopiesIntoTheStoreUnderAnOndName)
{
    const std::string zip = Current(m_app.dir.path() / "user" / "Sky.zip", "Sky");
    const auto row = m_store.ImportThemePackage(zip);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Path, m_app.Store("Sky.ond"));
    EXPECT_EQ(row->Caption, "Sky");
    EXPECT_EQ(row->Image, 0);
    ASSERT_TRUE(row->WriteTime);
    EXPECT_NEAR(static_cast<double>(*row->WriteTime), static_cast<double>(std::time(nullptr)), 600);
    EXPECT_TRUE(fs::exists(zip)); // the user's file stays

    const auto upper = m_store.ImportThemePackage(Current(m_app.dir.path() / "user" / "Sea.OND", "Sea"));
    EXPECT_EQ(upper->Path, m_app.Store("Sea.OND"));
    const auto bare = m_store.ImportThemePackage(Current(m_app.dir.path() / "user" / "Bare", "Bare"));
    EXPECT_EQ(bare->Path, m_app.Store("Bare.ond"));
    EXPECT_EQ(StoreNames(), (Names{"Bare.ond", "Recycled", "Sea.OND", "Sky.ond", "WorkDir"}));

    // Same name from elsewhere: the store file is replaced; the store's own file: no copy.
    Current(m_app.dir.path() / "other" / "Sky.ond", "Sky two");
    EXPECT_EQ(m_store.ImportThemePackage((m_app.dir.path() / "other" / "Sky.ond").string())->Caption,
              "Sky two");
    const std::string storeBytes = test::ReadFileBytes(m_app.Store("Sky.ond"));
    EXPECT_EQ(m_store.ImportThemePackage(m_app.Store("Sky.ond"))->Path, m_app.Store("Sky.ond"));
    EXPECT_EQ(test::ReadFileBytes(m_app.Store("Sky.ond")), storeBytes);
    EXPECT_EQ(StoreNames().size(), 5u);

    // A style without an icon of its own does not look like a theme that cannot be shown.
    test::WriteRawZip(m_app.Store("Odd.ond"),
                      {{"theme.cfg", "[Name]\r\nThemeName=Odd\r\n[Style]\r\nindex=7\r\n"}});
    EXPECT_EQ(m_store.ImportThemePackage(m_app.Store("Odd.ond"))->Image, 0);

    m_probes.flash = false;
    EXPECT_EQ(m_store.ImportThemePackage(m_app.Store("Sky.ond"))->Image, 5);
}

TEST_F(ThemeStoreTest, AZipWhoseOndNameIsTakenKeepsItsNameAndTheStorePackageStays)
{
    Current(m_app.Store("Sky.ond"), "Another sky");
    const std::string before = test::ReadFileBytes(m_app.Store("Sky.ond"));
    const auto row = m_store.ImportThemePackage(Current(m_app.dir.path() / "Downloads" / "Sky.zip", "Sky"));
    ASSERT_TRUE(row);
    EXPECT_EQ(test::ReadFileBytes(m_app.Store("Sky.ond")), before);
    // The row names the copy, which is the imported theme.
    EXPECT_EQ(row->Path, m_app.Store("Sky.zip"));
    EXPECT_EQ(row->Caption, "Sky");
    EXPECT_EQ(test::ReadRawZip(m_app.Store("Sky.zip")).at("index.htm"), "<html>Sky");
    // The same again replaces that copy, as a store file of the same name is replaced.
    Current(m_app.dir.path() / "Downloads" / "Sky.zip", "Sky 2");
    EXPECT_EQ(m_store.ImportThemePackage((m_app.dir.path() / "Downloads" / "Sky.zip").string())->Caption,
              "Sky 2");
    EXPECT_EQ(StoreNames(), (Names{"Recycled", "Sky.ond", "Sky.zip", "WorkDir"}));
}

TEST_F(ThemeStoreTest, NonThemesAreNotListedAndNothingIsCopied)
{
    test::WriteRawZip(m_app.dir.path() / "plain.zip", {{"a.txt", "a"}});
    EXPECT_FALSE(m_store.ImportThemePackage((m_app.dir.path() / "plain.zip").string()));
    EXPECT_THROW(m_store.ImportThemePackage((m_app.dir.path() / "gone.ond").string()), FileError);
    EXPECT_EQ(StoreNames(), (Names{"Recycled", "WorkDir"}));
}

TEST_F(ThemeStoreTest, LegacyPackagesFromElsewhereAreConvertedOnTheStoreCopy)
{
    const std::string user = Legacy(m_app.dir.path() / "user" / "old.ond");
    const std::string before = test::ReadFileBytes(user);
    const auto row = m_store.ImportThemePackage(user);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->Image, 0);
    EXPECT_EQ(row->Caption, "Old");
    EXPECT_EQ(test::ReadFileBytes(user), before);
    EXPECT_EQ(test::RawZipNames(m_app.Store("old.ond")),
              (Names{"theme.cfg", "ondrix.htm", "s.css", "m.swf"}));
    EXPECT_EQ(StoreNames(), (Names{"Recycled", "WorkDir", "old.ond"}));

    // One that cannot be converted is not listed and leaves the store file of its name alone.
    Current(m_app.Store("bad.ond"), "Kept");
    const std::string kept = test::ReadFileBytes(m_app.Store("bad.ond"));
    test::WriteRawZip(m_app.dir.path() / "user" / "bad.ond", {{"theme.cfg", kLegacyCfg}});
    EXPECT_FALSE(m_store.ImportThemePackage((m_app.dir.path() / "user" / "bad.ond").string()));
    EXPECT_EQ(test::ReadFileBytes(m_app.Store("bad.ond")), kept);
    EXPECT_EQ(StoreNames(), (Names{"Recycled", "WorkDir", "bad.ond", "old.ond"}));
}

TEST_F(ThemeStoreTest, ScanListsTheStoreAfterItsSubFolders)
{
    Current(m_app.Store("b.ond"), "B");
    Legacy(m_app.Store("a.ond"));
    Current(m_app.Store("WorkDir/123/found.ond"), "Found");
    Current(m_app.Store("Recycled/gone.ond"), "Gone");
    Current(m_app.Store(".hidden/h.ond"), "Hidden");
    m_app.dir.Write("advThemes_/damaged.ond", "not a zip");
    m_app.dir.Write("advThemes_/notes.txt", "x");
    const ThemeImportResult result = m_store.ScanThemeFolder(m_app.Store() + "/");
    EXPECT_EQ(Captions(result.Rows), (Names{"Old", "B", "Found"}));
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_NE(result.Errors[0].find("damaged.ond"), std::string::npos);
    EXPECT_EQ(result.Rows[0].Image, 0); // converted
    EXPECT_EQ(result.Rows[2].Path, m_app.Store("found.ond"));

    // A scan of another folder lists that folder's packages, copied into the store.
    Current(m_app.dir.path() / "drop" / "sub" / "s.ond", "S");
    Current(m_app.dir.path() / "drop" / "t.ond", "T");
    EXPECT_EQ(Captions(m_store.ScanThemeFolder((m_app.dir.path() / "drop").string()).Rows), (Names{"T"}));
    EXPECT_TRUE(fs::exists(m_app.Store("s.ond")));
}

TEST_F(ThemeStoreTest, RestoreDeletesOnlyFromTheProgramsRecycleFolder)
{
    Legacy(m_app.Recycled("old.ond"));
    const std::string userRecycled = Current(m_app.dir.path() / "Recycled" / "mine.ond", "Mine");
    const std::string userNamed = Current(m_app.dir.path() / "MyRecycledThemes" / "x.ond", "X");
    m_app.dir.Write("advThemes_/Recycled/plain.ond", "not a package");
    const ThemeImportResult result = m_store.OpenPackages(
        {m_app.Recycled("plain.ond"), m_app.Recycled("old.ond"), userRecycled, userNamed});
    EXPECT_EQ(Captions(result.Rows), (Names{"Old", "Mine", "X"}));
    EXPECT_EQ(result.Errors.size(), 1u); // the plain file; the others were handled all the same
    EXPECT_TRUE(fs::exists(userRecycled));
    EXPECT_TRUE(fs::exists(userNamed));
    EXPECT_EQ(RecycledNames(), (Names{"plain.ond"}));
    EXPECT_EQ(test::RawZipNames(m_app.Store("old.ond")),
              (Names{"theme.cfg", "ondrix.htm", "s.css", "m.swf"}));
    EXPECT_TRUE(m_store.IsInRecycleFolder(m_app.Store("WorkDir/../Recycled/old.ond")));
    EXPECT_FALSE(m_store.IsInRecycleFolder(userRecycled));
}

TEST_F(ThemeStoreTest, RecycleKeepsTwinsAndAFailedMoveLosesNothing)
{
    EXPECT_FALSE(m_store.RecycledThemesExist());
    m_app.dir.Write("advThemes_/Recycled/1234.tmp", "cfg");
    EXPECT_FALSE(m_store.RecycledThemesExist());

    const std::string first = Current(m_app.Store("sky.ond"), "Sky 1");
    EXPECT_EQ(m_store.RecyclePackage(first), m_app.Recycled("sky.ond"));
    EXPECT_TRUE(m_store.RecycledThemesExist());
    Current(m_app.Store("sky.ond"), "Sky 2");
    EXPECT_EQ(m_store.RecyclePackage(first), m_app.Recycled("sky (1).ond"));
    EXPECT_EQ(RecycledNames(), (Names{"1234.tmp", "sky (1).ond", "sky.ond"}));
    EXPECT_EQ(test::ReadRawZip(m_app.Recycled("sky.ond")).at("index.htm"), "<html>Sky 1");
    EXPECT_EQ(test::ReadRawZip(m_app.Recycled("sky (1).ond")).at("index.htm"), "<html>Sky 2");

    // The recycle folder is gone: the move fails and the package stays where it was.
    const std::string sea = Current(m_app.Store("sea.ond"), "Sea");
    fs::remove_all(m_app.Recycled());
    std::string current = sea;
    bool switchedOff = false;
    const auto result = m_store.RemovePackages({sea}, true, current, [&] { switchedOff = true; });
    EXPECT_TRUE(result.Removed.empty());
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_NE(result.Errors[0].find("stays in the store"), std::string::npos);
    EXPECT_TRUE(fs::exists(sea));
    EXPECT_EQ(current, sea);
    EXPECT_FALSE(switchedOff);
}

TEST_F(ThemeStoreTest, RemovingTheCurrentThemeClearsItAndSwitchesOff)
{
    const std::string a = Current(m_app.Store("a.ond"), "A");
    const std::string b = Current(m_app.Store("b.ond"), "B");
    std::string current = b;
    int switchedOff = 0;
    const auto recycled = m_store.RemovePackages({a, b}, true, current, [&] { ++switchedOff; });
    EXPECT_EQ(recycled.Removed, (Names{a, b}));
    EXPECT_EQ(current, "");
    EXPECT_EQ(switchedOff, 1);
    EXPECT_EQ(RecycledNames(), (Names{"a.ond", "b.ond"}));

    current = m_app.Recycled("a.ond");
    const auto deleted =
        m_store.RemovePackages({m_app.Recycled("a.ond")}, false, current, [&] { ++switchedOff; });
    EXPECT_EQ(deleted.Removed.size(), 1u);
    EXPECT_EQ(switchedOff, 2);
    EXPECT_EQ(RecycledNames(), (Names{"b.ond"}));
    EXPECT_NO_THROW(m_store.DeletePackage(m_app.Recycled("a.ond")));
}

TEST_F(ThemeStoreTest, APackageDeletedOutsideTheProgramIsRemovedAsAnyOther)
{
    for (const bool toRecycleFolder : {true, false}) {
        SCOPED_TRACE(toRecycleFolder ? "recycle" : "delete");
        const std::string x = Current(m_app.Store("x.ond"), "X");
        fs::remove(x);
        std::string current = x;
        int switchedOff = 0;
        const auto result = m_store.RemovePackages({x}, toRecycleFolder, current, [&] { ++switchedOff; });
        EXPECT_EQ(result.Removed, Names{x});
        EXPECT_EQ(result.Errors, Names{});
        EXPECT_EQ(current, "");
        EXPECT_EQ(switchedOff, 1);
    }
    EXPECT_EQ(RecycledNames(), Names{});
}

TEST_F(ThemeStoreTest, ClearFolderEmptiesTheWorkFolderAndKeepsIt)
{
    m_app.dir.Write("advThemes_/WorkDir/1/theme.cfg", "x");
    m_app.dir.Write("advThemes_/WorkDir/1/deep/a/b.swf", "x");
    // A package may hold hidden and read-only folders; they are the program's own here.
    m_app.dir.Write("advThemes_/WorkDir/2/.hidden/x", "x");
    m_app.dir.Write("advThemes_/WorkDir/3/locked/y", "x");
    fs::permissions(m_app.Work("3/locked"), fs::perms::owner_read | fs::perms::owner_exec);
    m_app.dir.Write("outside/precious.txt", "keep me");
    fs::create_directory_symlink(m_app.dir.path() / "outside", m_app.Work("link"));
    ClearFolder(m_app.Work() + "/");
    EXPECT_EQ(test::ThemeAppDir::Names(m_app.Work()), Names{});
    EXPECT_TRUE(fs::is_directory(m_app.Work()));
    EXPECT_TRUE(fs::exists(m_app.dir.path() / "outside" / "precious.txt"));
}

TEST_F(ThemeStoreTest, ReportOfAPackage)
{
    test::WriteRawZip(m_app.Store("r.ond"),
                      {{"theme.cfg", "[Name]\r\nThemeName=Rain\r\n[Style]\r\nindex=3\r\n"
                                     "[Description]\r\nDescription=first line\r\nsecond\r\n"}});
    const auto report = m_store.ReadReport(m_app.Store("r.ond"));
    ASSERT_TRUE(report);
    EXPECT_TRUE(RecycledNames().empty());
    const ThemeReportLabels labels{"Name", "Author", "Style", "Description", "File"};
    const auto styleName = [](std::int32_t index) {
        return index == 3 ? std::string("Three") : std::string();
    };
    EXPECT_EQ(ThemeReportText(*report, labels, styleName),
              "Name:  Rain\n\nAuthor:  Unknown\n\nStyle:  Three\n\nDescription:  first line\n\n"
              "File:  ..\\advThemes_\\r.ond\n\n");

    test::WriteRawZip(m_app.Store("n.ond"), {{"a", "b"}});
    EXPECT_FALSE(m_store.ReadReport(m_app.Store("n.ond")));
    fs::remove(m_app.Store("r.ond"));
    try {
        m_store.ReadReport(m_app.Store("r.ond"));
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The theme package \"" + m_app.Store("r.ond") + "\" does not exist.");
    }
}

TEST(StoreNameOf, ReplacesTheExtension)
{
    EXPECT_EQ(StoreNameOf("a.zip"), "a.ond");
    EXPECT_EQ(StoreNameOf("a.OND"), "a.OND");
    EXPECT_EQ(StoreNameOf("a.b.jpeg"), "a.b.ond");
    EXPECT_EQ(StoreNameOf("plain"), "plain.ond");
    EXPECT_EQ(StoreNameOf(".ond"), ".ond");
    EXPECT_EQ(StoreNameOf(".zip"), ".zip.ond");
}

} // namespace
} // namespace ondrix
