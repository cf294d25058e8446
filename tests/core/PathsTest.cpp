#include "core/Paths.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

TEST(PathsTest, AppPathJoinsLiteralWithThisSystemsSeparator)
{
    EXPECT_EQ(AppPath("/opt/Ondrix", "\\imgLists\\WorkDir\\wallpaper.bmp"),
              "/opt/Ondrix/imgLists/WorkDir/wallpaper.bmp");
    EXPECT_EQ(AppPath("/opt/Ondrix", "\\imgLists\\"), "/opt/Ondrix/imgLists/");
    EXPECT_EQ(AppPath("/opt/Ondrix", ""), "/opt/Ondrix");
    // The folder itself is kept as it is, and an application folder at the root is empty.
    EXPECT_EQ(AppPath("/opt/My\\Ondrix", "\\links.ini"), "/opt/My\\Ondrix/links.ini");
    EXPECT_EQ(AppPath("", "\\Languages"), "/Languages");
}

TEST(PathsTest, FileNamePartTakesLastComponentOfEitherSeparator)
{
    EXPECT_EQ(FileNamePart("/opt/Ondrix/imgLists/quorvane.lst"), "quorvane.lst");
    EXPECT_EQ(FileNamePart("C:\\Ondrix\\advThemes_\\blue.ond"), "blue.ond");
    EXPECT_EQ(FileNamePart("mixed/dir\\name.jpg"), "name.jpg");
    EXPECT_EQ(FileNamePart("plain"), "plain");
    EXPECT_EQ(FileNamePart("/folder/"), "");
}

} // namespace
} // namespace ondrix
