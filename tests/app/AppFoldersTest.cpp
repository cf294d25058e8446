#include "app/AppFolders.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

TEST(AppFolders, DeletedWorkAndRecycleFoldersAreMadeAgainButNoStore)
{
    test::TempDir app;
    fs::create_directories(app.path() / "imgLists" / "Recycled");
    app.Write("imgLists/Recycled/old.lst", "kept");
    fs::create_directories(app.path() / "advThemes_");

    MakeMissingWorkFolders(app.str());

    for (const char* folder :
         {"imgLists/WorkDir", "imgLists/Recycled", "advThemes_/WorkDir", "advThemes_/Recycled"})
        EXPECT_TRUE(fs::is_directory(app.path() / folder)) << folder;
    EXPECT_TRUE(fs::exists(app.path() / "imgLists" / "Recycled" / "old.lst"));

    // A missing store is not made up, and a file in a folder's place is left alone.
    fs::remove_all(app.path() / "advThemes_");
    fs::remove_all(app.path() / "imgLists" / "WorkDir");
    app.Write("imgLists/WorkDir", "a file of the user's");
    MakeMissingWorkFolders(app.str());
    EXPECT_FALSE(fs::exists(app.path() / "advThemes_"));
    EXPECT_TRUE(fs::is_regular_file(app.path() / "imgLists" / "WorkDir"));
}

TEST(AppFolders, LeftoverTemporariesOfTheWorkFileAndSettingsGo)
{
    test::TempDir app;
    test::TempDir config;
    app.Write("imgLists/WorkDir/wallpaper.bmp", "shown");
    app.Write("imgLists/WorkDir/wallpaper.bmp.tmp-311", "cut");
    config.Write("Ondrix2.reg", "settings");
    config.Write("Ondrix2.reg.tmp-99", "cut");
    const std::string settings = (config.path() / "Ondrix2.reg").string();

    app.Write("imgLists/trip.lst", "list");
    app.Write("imgLists/trip.lst.tmp-808", "cut");
    app.Write("advThemes_/Sky.ond", "theme");
    app.Write("advThemes_/Sky.ond.import-4711", "cut");
    app.Write("advThemes_/Sky.ond.tmp-12", "cut");
    app.Write("advThemes_/Sky.ond.tmp-x", "not ours");
    app.Write("advThemes_/Recycled/2609882.tmp", "cut");
    app.Write("advThemes_/Recycled/notes.tmp", "not ours");
    app.Write("advThemes_/Recycled/Old.ond", "recycled theme");

    RemoveLeftoverTemporaries(app.str(), settings);

    for (const char* gone :
         {"advThemes_/Sky.ond.import-4711", "advThemes_/Sky.ond.tmp-12", "advThemes_/Recycled/2609882.tmp"})
        EXPECT_FALSE(fs::exists(app.path() / gone)) << gone;
    for (const char* kept : {"advThemes_/Sky.ond", "advThemes_/Sky.ond.tmp-x",
                             "advThemes_/Recycled/notes.tmp", "advThemes_/Recycled/Old.ond"})
        EXPECT_TRUE(fs::exists(app.path() / kept)) << kept;

    EXPECT_TRUE(fs::exists(app.path() / "imgLists/WorkDir/wallpaper.bmp"));
    EXPECT_FALSE(fs::exists(app.path() / "imgLists/WorkDir/wallpaper.bmp.tmp-311"));
    EXPECT_TRUE(fs::exists(settings));
    EXPECT_FALSE(fs::exists(settings + ".tmp-99"));
}

} // namespace
} // namespace ondrix
