// The line protocol between Ondrix and its layer program: the lines as written, and every way
// a line from a broken or hostile peer is refused.
#include "layer/LayerProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondrix {
namespace {

TEST(LayerProtocol, LinesAsWrittenAndReadBack)
{
    const std::vector<std::pair<LayerMessage, std::string>> cases{
        {{LayerVerb::Show, 7, "/app/advThemes_/WorkDir/12/index.htm"},
         "show 7 /app/advThemes_/WorkDir/12/index.htm\n"},
        {{LayerVerb::Show, 8, "/a b/100%/x\ny.htm"}, "show 8 /a b/100%25/x%0Ay.htm\n"},
        {{LayerVerb::Off, 4294967295u, ""}, "off 4294967295\n"},
        {{LayerVerb::Options, 2, "sound=1,pause-covered=0,pause-battery=1,over-icons=1"},
         "options 2 sound=1,pause-covered=0,pause-battery=1,over-icons=1\n"},
        {{LayerVerb::Size, 3, "1920x1080"}, "size 3 1920x1080\n"},
        {{LayerVerb::Ping, 1, ""}, "ping 1\n"},
        {{LayerVerb::Ready, 0, "live"}, "ready 0 live\n"},
        {{LayerVerb::Ok, 7, ""}, "ok 7\n"},
        {{LayerVerb::Error, 0, "The web engine stopped.\r\nAgain."},
         "error 0 The web engine stopped.%0D%0AAgain.\n"},
        {{LayerVerb::Frame, 7, ""}, "frame 7\n"},
        {{LayerVerb::Still, 7, "/app/imgLists/WorkDir/wallpaper.bmp"},
         "still 7 /app/imgLists/WorkDir/wallpaper.bmp\n"},
        {{LayerVerb::Layer, 0, "still"}, "layer 0 still\n"},
        {{LayerVerb::Paused, 0, "1"}, "paused 0 1\n"},
    };
    for (const auto& [message, line] : cases) {
        EXPECT_EQ(EncodeLayerMessage(message), line);
        const DecodedLayerMessage decoded = DecodeLayerMessage(line.substr(0, line.size() - 1));
        ASSERT_TRUE(decoded.message) << line << ": " << decoded.error;
        EXPECT_EQ(*decoded.message, message) << line;
    }
    EXPECT_TRUE(IsLayerRequest(LayerVerb::Show));
    EXPECT_FALSE(IsLayerRequest(LayerVerb::Still));
}

TEST(LayerProtocol, BrokenLinesAreRefused)
{
    for (const char* line : {
             "",
             "show",
             "show 1",                    // no page
             "show 0 /a.htm",             // a request needs an id
             "show 01 /a.htm",            // no leading zero
             "show -1 /a.htm",            //
             "show +1 /a.htm",            //
             "show 4294967296 /a.htm",    // above 32 bits
             "show 1x /a.htm",            //
             "show 1 relative/index.htm", // a full path only
             "show 1 /a%00b.htm",         // no NUL in a path
             "show 1 /a%zz.htm",          // a broken escape
             "show 1 /a%4",               //
             "show 1 ",                   // an empty argument
             "off 1 now",                 // no argument for off
             "ping 2 x",                  //
             "frame 3 x",                 //
             "SHOW 1 /a.htm",             // verbs are lower case
             "quit 1",                    // unknown
             "size 1 1920",               //
             "size 1 0x1080",             //
             "size 1 65536x10",           //
             "size 1 1920x1080x2",        //
             "size 1 -5x10",              //
             "options 1 sound=2",         //
             "options 1 sound=1,sound=0", // each once
             "options 1 loud=1",          //
             "options 1 sound=1,",        //
             "options 1 sound",           //
             "ready 0 fast",              //
             "layer 0 wayland",           //
             "paused 0 yes",              //
             "error 0",                   // an error says what
             "still 1 wallpaper.bmp",     //
             "show  1 /a.htm",            // one blank between fields
         }) {
        const DecodedLayerMessage decoded = DecodeLayerMessage(line);
        EXPECT_FALSE(decoded.message) << '"' << line << '"';
        EXPECT_FALSE(decoded.error.empty()) << '"' << line << '"';
    }
    // Options not given keep their defaults.
    const auto options = DecodeLayerOptions("sound=1");
    ASSERT_TRUE(options);
    EXPECT_EQ(*options, (LayerOptions{true, true, false, false}));
    EXPECT_EQ(DecodeLayerOptions(EncodeLayerOptions({false, false, true, true})),
              (LayerOptions{false, false, true, true}));
    EXPECT_EQ(DecodeLayerSize("65535x1"), (LayerSize{65535, 1}));
}

TEST(LayerProtocol, TheReaderCutsLinesAndRefusesOverlongOnes)
{
    LayerLineReader reader(16);
    EXPECT_TRUE(reader.Feed("ping 1\nok"));
    EXPECT_EQ(reader.NextLine(), "ping 1");
    EXPECT_EQ(reader.NextLine(), std::nullopt);
    EXPECT_TRUE(reader.Feed(" 1\n\nframe 2\n"));
    EXPECT_EQ(reader.NextLine(), "ok 1");
    EXPECT_EQ(reader.NextLine(), "");
    EXPECT_EQ(reader.NextLine(), "frame 2");
    EXPECT_EQ(reader.NextLine(), std::nullopt);

    // Fifteen bytes and the line end fit; an open line of sixteen does not, however it comes.
    EXPECT_TRUE(reader.Feed(std::string(15, 'a') + "\n"));
    EXPECT_EQ(reader.NextLine(), std::string(15, 'a'));
    EXPECT_TRUE(reader.Feed(std::string(8, 'b')));
    EXPECT_FALSE(reader.Feed(std::string(8, 'b')));
    EXPECT_TRUE(reader.Broken());
    EXPECT_FALSE(reader.Feed("\n"));
    EXPECT_EQ(reader.NextLine(), std::nullopt);

    LayerLineReader whole(16);
    EXPECT_FALSE(whole.Feed("ping 1\n" + std::string(16, 'c') + "\nping 2\n"));
    EXPECT_EQ(whole.NextLine(), std::nullopt); // nothing more is trusted once broken
}

} // namespace
} // namespace ondrix
