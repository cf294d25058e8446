// The links of links.ini: pages of the application folder wherever it lies, and the links
// shipped with the program each lead to a page of the built application folder.
#include "app/options.h"
#include "platform/FirstRunHook.h"
#include "platform/RegFileRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

class NoHook final : public FirstRunHook
{
public:
    void Call() override {}
};

// The options of a later start (no first-run list is written) from the folder appDir.
TOptions LoadFrom(const std::string& appDir, const test::TempDir& config)
{
    RegFileRegistry registry(config.str() + "/Ondrix2.reg");
    registry.WriteDword(Hive::LocalMachine, kOptionsKey, "firstrun", 1);
    NoHook hook;
    TOptions options;
    LoadOptions(options, appDir, registry, hook);
    return options;
}

TEST(ShippedLinksTest, ALinkWithALeadingBackslashIsAPageOfTheApplicationFolder)
{
    test::TempDir app;
    test::TempDir config;
    app.Write("links.ini", "[INTERNET_LINKS]\n"
                           "link0=\\Help\\index.html\n"
                           "link1=https://themes.example/\n"
                           "link2=Help\\relative.html\n"
                           "link3=/elsewhere/news.html\n"
                           "link4=\\Help\\about.html\n");
    const TOptions o = LoadFrom(app.str(), config);
    EXPECT_EQ(o.Links[0], app.str() + "/Help/index.html");
    EXPECT_EQ(o.Links[1], "https://themes.example/");
    EXPECT_EQ(o.Links[2], "Help\\relative.html");
    EXPECT_EQ(o.Links[3], "/elsewhere/news.html");
    EXPECT_EQ(o.Links[4], app.str() + "/Help/about.html");
}

TEST(ShippedLinksTest, EveryShippedLinkOpensAPageOfTheBuiltFolder)
{
    test::TempDir config;
    const std::string appDir = ONDRIX_APP_DIR;
    const TOptions o = LoadFrom(appDir, config);
    // Home page, themes, image lists, news, and the page behind the About window's picture.
    const char* const pages[] = {"index.html", "themes.html", "imagelists.html", "news.html", "about.html"};
    for (std::size_t i = 0; i < o.Links.size(); ++i) {
        SCOPED_TRACE("link" + std::to_string(i));
        EXPECT_EQ(o.Links[i], appDir + "/Help/" + pages[i]);
        ASSERT_TRUE(fs::is_regular_file(o.Links[i]));
        std::ifstream in(o.Links[i], std::ios::binary);
        const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_NE(page.find("<html"), std::string::npos);
        EXPECT_EQ(page.find("example.org"), std::string::npos);
        // Each page but the full help speaks every shipped language.
        if (i == 0)
            continue;
        for (const char* language : {"lang=\"en\"", "lang=\"de\"", "lang=\"fr\""})
            EXPECT_NE(page.find(language), std::string::npos) << language;
    }
}

} // namespace
} // namespace ondrix
