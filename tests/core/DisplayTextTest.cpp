#include "core/DisplayText.h"

#include <gtest/gtest.h>

#include <string>

namespace ondrix {
namespace {

TEST(DisplayTextTest, ShortTextsStayAsTheyAre)
{
    EXPECT_EQ(ShortenForDisplay(""), "");
    EXPECT_EQ(ShortenForDisplay("Cannot read the list file \"/a.lst\"."),
              "Cannot read the list file \"/a.lst\".");
    const std::string limit(241, 'x'); // 120 + 1 + 120: a cut would not make it shorter
    EXPECT_EQ(ShortenForDisplay(limit), limit);
    EXPECT_EQ(ShortenForDisplay("abcde", 2), "abcde");
}

TEST(DisplayTextTest, LongTextsKeepBothEnds)
{
    EXPECT_EQ(ShortenForDisplay("abcdef", 2), "ab\xE2\x80\xA6"
                                              "ef");
    const std::string path = "/home/u/" + std::string(5'000'000, 'd') + "/holiday.lst";
    const std::string message = "Cannot read the list file \"" + path + "\": No such file or directory.";
    const std::string shown = ShortenForDisplay(message);
    const std::string head = "Cannot read the list file \"/home/u/" + std::string(85, 'd');
    const std::string tail = std::string(79, 'd') + "/holiday.lst\": No such file or directory.";
    ASSERT_EQ(head.size(), 120u);
    ASSERT_EQ(tail.size(), 120u);
    EXPECT_EQ(shown, head + "\xE2\x80\xA6" + tail);
}

TEST(DisplayTextTest, CutsNeverSplitACharacter)
{
    // Two-byte "é" and three-byte "€" count as one character each.
    const std::string text = "\xC3\xA9\xC3\xA9\xC3\xA9" + std::string("xyz") + "\xE2\x82\xAC\xE2\x82\xAC";
    EXPECT_EQ(ShortenForDisplay(text, 2), "\xC3\xA9\xC3\xA9\xE2\x80\xA6\xE2\x82\xAC\xE2\x82\xAC");
    // Stray continuation bytes at the start are taken with the character before them.
    EXPECT_EQ(ShortenForDisplay("\x80\x80\x80"
                                "abcdef",
                                1),
              "\x80\x80\x80\xE2\x80\xA6"
              "f");
}

} // namespace
} // namespace ondrix
