#include "ThemeFixtures.h"
#include "themes/ThemePackage.h"
#include "themes/ThemeStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

// The sample packages the build ships, made by the tool into a store of the test's own.
TEST(SampleThemes, AreThemePackagesWithTheirMovies)
{
    test::ThemeAppDir app;
    const std::string command = std::string("\"") + ONDRIX_SAMPLE_THEMES_TOOL + "\" \"" + app.Store() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    test::FixedProbes probes;
    const ThemeStore store(app.env, probes);
    struct Expected
    {
        const char* file;
        const char* name;
        std::uint8_t style;
        const char* movie;
    };
    for (const Expected& sample : {Expected{"Aurora.ond", "Aurora", 0, "aurora.swf"},
                                   Expected{"Lanterns.ond", "Lanterns", 0, "lanterns.swf"},
                                   Expected{"Tide.ond", "Tide", 0, "tide.swf"},
                                   Expected{"Starlight.ond", "Starlight", 255, "starlight.swf"}}) {
        TThemeInfo info;
        ASSERT_TRUE(ReadThemeInfo(app.env, app.Store(sample.file), info)) << sample.file;
        EXPECT_EQ(info.Name, sample.name);
        EXPECT_EQ(info.Style, sample.style);
        ASSERT_TRUE(store.ImportThemePackage(app.Store(sample.file)));
        app.clock.tick += 10;
        const std::string folder = UnpackTheme(app.env, app.Store(sample.file));
        const std::string page = test::ReadFileBytes(StartPageOf(folder));
        EXPECT_NE(page.find(std::string("<param name=movie value=\"") + sample.movie + "\">"),
                  std::string::npos)
            << sample.file;
        EXPECT_EQ(test::ReadFileBytes(fs::path(folder) / sample.movie).substr(0, 3), "FWS");
    }
    // The legacy sample was converted by its import.
    TThemeInfo info;
    ASSERT_TRUE(ReadThemeInfo(app.env, app.Store("Starlight.ond"), info));
    EXPECT_EQ(info.Style, 0);
    EXPECT_EQ(test::RawZipNames(app.Store("Starlight.ond")),
              (std::vector<std::string>{"theme.cfg", "ondrix.htm", "starlight.css", "starlight.swf"}));
}

} // namespace
} // namespace ondrix
