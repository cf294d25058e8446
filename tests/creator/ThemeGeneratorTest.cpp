#include "creator/ThemeGenerator.h"

#include "ExpectedTexts.h"
#include "core/Errors.h"
#include "themes/ThemeFixtures.h"
#include "themes/ZipArchive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ondrix {

namespace {

namespace fs = std::filesystem;
using Reason = ThemeCreationError::Reason;
using test::ExpectedCss;
using test::ExpectedSeaPage;
using test::kExpectedResol;
using test::ReadFileBytes;
using test::ThemeAppDir;

const std::string kMovie = std::string("FWS\x06") + std::string(40, '\x11');
const std::string kPicture = std::string("\xFF\xD8\xFF\xE0") + "JFIF-ish bytes";

// Every path below the application folder, with the content of each file.
std::vector<std::string> Snapshot(const fs::path& root)
{
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string line = fs::relative(entry.path(), root).string();
        if (entry.is_regular_file())
            line += "=" + ReadFileBytes(entry.path());
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

class ThemeGeneratorTest : public ::testing::Test
{
protected:
    ThemeGeneratorTest()
    {
        app.clock.tick = 5000;
        design.MoviePath = app.dir.Write("movies/sea.swf", kMovie).string();
        design.Name = "Sea";
        design.Author = "Mira";
        design.Description = "Waves\r\nat night";
        design.Colour = {128, 0, 0};
        design.Quality = 4;
        design.Position = {25, 10};
    }

    Reason FailureOf(const ThemeDesign& d)
    {
        try {
            GenerateTheme(app.env, d);
        } catch (const ThemeCreationError& error) {
            return error.WhatFailed();
        }
        ADD_FAILURE() << "the theme was made";
        return Reason::PackingFailed;
    }

    std::string BuildFiles(const std::string& name = {}) const
    {
        return ThemeAppDir::Under(fs::path(app.Work("4900")) / "Files", name);
    }

    ThemeAppDir app;
    ThemeDesign design;
};

TEST_F(ThemeGeneratorTest, PackageInTheStoreHoldsTheMembersInOrder)
{
    const std::string package = GenerateTheme(app.env, design);
    EXPECT_EQ(fs::path(package), fs::path(app.Store("Sea.ond")));

    const ZipReader archive(package);
    EXPECT_EQ(archive.MemberNames(),
              (std::vector<std::string>{"index.htm", "theme.cfg", "sea.swf", "resol.js", "css.css"}));
    EXPECT_EQ(archive.ReadMember("index.htm", 1 << 20), ExpectedSeaPage(""));
    EXPECT_EQ(archive.ReadMember("sea.swf", 1 << 20), kMovie);
    EXPECT_EQ(archive.ReadMember("theme.cfg", 1 << 20),
              "[Name]\r\nThemeName=Sea\r\n[Author]\r\nThemeAuthor=Mira\r\n[Style]\r\nindex=0\r\n"
              "[Description]\r\nDescription=Waves\r\nat night\r\n[Files]\r\nstartup=\\index.htm");
    EXPECT_EQ(archive.ReadMember("css.css", 1 << 20), ExpectedCss("#800000"));
    EXPECT_EQ(archive.ReadMember("resol.js", 1 << 20), kExpectedResol);

    // The build folder is named after the tick minus 100 and keeps the copies.
    EXPECT_EQ(ThemeAppDir::Names(BuildFiles()),
              (std::vector<std::string>{"css.css", "index.htm", "resol.js", "sea.swf"}));
    EXPECT_EQ(ReadFileBytes(BuildFiles("index.htm")), ExpectedSeaPage(""));
    EXPECT_EQ(ReadFileBytes(BuildFiles("resol.js")), kExpectedResol);
    EXPECT_EQ(ReadFileBytes(BuildFiles("css.css")), ExpectedCss("#800000"));
}

TEST_F(ThemeGeneratorTest, BackgroundPictureComesAfterTheMovie)
{
    design.BackgroundPicturePath = app.dir.Write("pictures/beach.jpg", kPicture).string();
    const ZipReader archive(GenerateTheme(app.env, design));
    EXPECT_EQ(archive.MemberNames(), (std::vector<std::string>{"index.htm", "theme.cfg", "sea.swf",
                                                               "beach.jpg", "resol.js", "css.css"}));
    EXPECT_EQ(archive.ReadMember("beach.jpg", 1 << 20), kPicture);
    EXPECT_EQ(archive.ReadMember("index.htm", 1 << 20), ExpectedSeaPage("beach.jpg"));
    EXPECT_EQ(ReadFileBytes(BuildFiles("beach.jpg")), kPicture);
}

TEST_F(ThemeGeneratorTest, BuildFolderOfOneTickIsShared)
{
    GenerateTheme(app.env, design);
    const std::string second = std::string("CWS\x0A") + "other movie";
    app.dir.Write("movies/sea.swf", second);
    GenerateTheme(app.env, design);
    EXPECT_EQ(ThemeAppDir::Names(app.Work()), std::vector<std::string>{"4900"});
    EXPECT_EQ(ReadFileBytes(BuildFiles("sea.swf")), second);

    // A tick below 100 wraps around in 32 bits; a missing WorkDir is made again.
    fs::remove_all(app.Work());
    app.clock.tick = 40;
    GenerateTheme(app.env, design);
    EXPECT_EQ(ThemeAppDir::Names(app.Work()), std::vector<std::string>{"4294967236"});

    // A WorkDir that is a link to a folder elsewhere is that folder, as for unpacked themes.
    fs::remove_all(app.Work());
    fs::create_directories(app.dir.path() / "elsewhere");
    fs::create_directory_symlink(app.dir.path() / "elsewhere", app.Work());
    app.clock.tick = 300;
    EXPECT_TRUE(fs::exists(GenerateTheme(app.env, design)));
    EXPECT_EQ(ThemeAppDir::Names((app.dir.path() / "elsewhere").string()), std::vector<std::string>{"200"});
}

TEST_F(ThemeGeneratorTest, NewPackageReplacesAnOldOneOfTheSameNameWhole)
{
    GenerateTheme(app.env, design);
    design.MoviePath = app.dir.Write("movies/waves.swf", "ZWS\x0D" + std::string(10, 'z')).string();
    const ZipReader archive(GenerateTheme(app.env, design));
    EXPECT_EQ(archive.MemberNames(),
              (std::vector<std::string>{"index.htm", "theme.cfg", "waves.swf", "resol.js", "css.css"}));
}

TEST_F(ThemeGeneratorTest, UnsafeNamesAreRefusedBeforeAnythingIsWritten)
{
    const auto before = Snapshot(app.dir.path());
    for (const std::string& name : std::vector<std::string>{
             "",    ".",       "..",   ".Sea", "a/b",  "a\\b",      "a:b",
             "a*b", "a?b",     "a\"b", "a|b",  "a<b>", "tab\tname", "line\nbreak",
             "CON", "con.txt", "Nul",  "LPT1", "com9", "AUX .x",    std::string(201, 's')}) {
        EXPECT_FALSE(IsSafeThemeName(name)) << name;
        design.Name = name;
        EXPECT_EQ(FailureOf(design), Reason::UnsafeName) << name;
    }
    EXPECT_EQ(Snapshot(app.dir.path()), before);

    for (const std::string& name : std::vector<std::string>{"Sea", "Sea breeze 2", "CONSOLE", "COM10", "Sea.",
                                                            "Øresund", std::string(200, 's')})
        EXPECT_TRUE(IsSafeThemeName(name)) << name;
}

TEST_F(ThemeGeneratorTest, MissingOrWrongFilesAreRefusedWithoutAPackage)
{
    ThemeDesign d = design;
    d.MoviePath = app.dir.str() + "/movies/none.swf";
    EXPECT_EQ(FailureOf(d), Reason::FileNotFound);
    d.MoviePath = app.dir.str() + "/movies"; // a folder
    EXPECT_EQ(FailureOf(d), Reason::FileNotFound);
    const std::string fifo = app.dir.str() + "/movies/pipe.swf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    d.MoviePath = fifo; // would block a reader for ever
    EXPECT_EQ(FailureOf(d), Reason::FileNotFound);
    d.MoviePath = app.dir.Write("movies/gif.swf", "GIF89a....").string();
    EXPECT_EQ(FailureOf(d), Reason::NotAMovie);
    d.MoviePath = app.dir.Write("movies/empty.swf", "").string();
    EXPECT_EQ(FailureOf(d), Reason::NotAMovie);

    d = design;
    d.BackgroundPicturePath = app.dir.str() + "/pictures/none.jpg";
    EXPECT_EQ(FailureOf(d), Reason::FileNotFound);
    d.BackgroundPicturePath = app.dir.Write("pictures/png.jpg", "\x89PNG\r\n\x1A\n").string();
    EXPECT_EQ(FailureOf(d), Reason::NotAJpeg);

    EXPECT_FALSE(fs::exists(app.Store("Sea.ond")));
}

TEST_F(ThemeGeneratorTest, FileNamesThatWouldOverwriteAMemberAreRefused)
{
    ThemeDesign d = design;
    for (const char* name : {"index.htm", "THEME.CFG", "resol.js", "css.css", "se\"a.swf", "a:b.swf",
                             "sea#1.swf", "a?b.swf", "100%.swf"}) {
        d.MoviePath = app.dir.Write(std::string("clash/") + name, kMovie).string();
        EXPECT_EQ(FailureOf(d), Reason::NameClash) << name;
    }
    d = design;
    d.BackgroundPicturePath = app.dir.Write("pictures/sea.swf", kPicture).string(); // the movie's name
    EXPECT_EQ(FailureOf(d), Reason::NameClash);
    d.BackgroundPicturePath = app.dir.Write("pictures/css.css", kPicture).string();
    EXPECT_EQ(FailureOf(d), Reason::NameClash);

    // Nothing in the build folder was overwritten by the chosen files.
    EXPECT_FALSE(fs::exists(BuildFiles("index.htm")));
    EXPECT_EQ(ReadFileBytes(BuildFiles("sea.swf")), kMovie);
    EXPECT_FALSE(fs::exists(app.Store("Sea.ond")));
}

TEST_F(ThemeGeneratorTest, FilesBeyondTheUnpackBoundAreRefusedUpFront)
{
    app.env.limits.maxTotalBytes = 1000;
    ThemeDesign d = design;
    d.MoviePath = app.dir.Write("movies/big.swf", "FWS" + std::string(1200, 'b')).string();
    EXPECT_EQ(FailureOf(d), Reason::TooLarge);
    EXPECT_FALSE(fs::exists(BuildFiles("big.swf")));

    d.MoviePath = app.dir.Write("movies/half.swf", "FWS" + std::string(500, 'h')).string();
    d.BackgroundPicturePath =
        app.dir.Write("pictures/half.jpg", "\xFF\xD8\xFF" + std::string(500, 'p')).string();
    EXPECT_EQ(FailureOf(d), Reason::TooLarge);
    EXPECT_FALSE(fs::exists(BuildFiles("half.jpg")));
    EXPECT_FALSE(fs::exists(app.Store("Sea.ond")));
}

TEST_F(ThemeGeneratorTest, DescriptionTheStoreCouldNotReadIsRefused)
{
    ThemeDesign d = design;
    d.Description = std::string(1024 * 1024, 'd');
    EXPECT_EQ(FailureOf(d), Reason::TextTooLong);
    EXPECT_FALSE(fs::exists(app.Store("Sea.ond")));
    EXPECT_FALSE(fs::exists(app.Work("4900"))); // refused before anything is written
    d.Description = std::string(1000, 'd');
    EXPECT_TRUE(fs::exists(GenerateTheme(app.env, d)));
}

TEST_F(ThemeGeneratorTest, FailedPackingLeavesTheOldPackageAsItWas)
{
    const std::string package = GenerateTheme(app.env, design);
    const std::string old = ReadFileBytes(package);
    // A folder with content at the name the new package is written to first.
    const std::string temporary = package + ".tmp-" + std::to_string(::getpid());
    app.dir.Write(fs::relative(temporary + "/inside", app.dir.path()).string(), "x");

    design.MoviePath = app.dir.Write("movies/waves.swf", kMovie + "more").string();
    try {
        GenerateTheme(app.env, design);
        ADD_FAILURE() << "the theme was made";
    } catch (const ThemeCreationError& error) {
        EXPECT_EQ(error.WhatFailed(), Reason::PackingFailed);
        EXPECT_NE(std::string(error.what()).find("Sea.ond"), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFileBytes(package), old);
    EXPECT_EQ(ThemeAppDir::Names(app.Store()),
              (std::vector<std::string>{"Recycled", "Sea.ond", "Sea.ond.tmp-" + std::to_string(::getpid()),
                                        "WorkDir"}));
}

TEST_F(ThemeGeneratorTest, MissingStoreIsNotMadeUp)
{
    fs::remove_all(app.Store());
    EXPECT_THROW(GenerateTheme(app.env, design), FileError);
    EXPECT_FALSE(fs::exists(app.Store()));
}

TEST_F(ThemeGeneratorTest, SizesOutsideOnePercentToAHundredAreBroughtIn)
{
    design.Width = std::numeric_limits<double>::quiet_NaN();
    design.Height = 150;
    GenerateTheme(app.env, design);
    const std::string page = ReadFileBytes(BuildFiles("index.htm"));
    EXPECT_NE(page.find("\r\nWriteWH(1,100)\r\n"), std::string::npos);
    EXPECT_NE(page.find(" width=\"10\" height=\"768\"></embed>"), std::string::npos);
}

} // namespace
} // namespace ondrix
