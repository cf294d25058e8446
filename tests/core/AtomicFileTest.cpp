#include "core/AtomicFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

TEST(RemoveStaleTemporaries, OnlyTheTemporariesOfThatFileGo)
{
    test::TempDir dir;
    const std::string target = (dir.path() / "wallpaper.bmp").string();
    dir.Write("wallpaper.bmp", "current");
    dir.Write("wallpaper.bmp.tmp-4242", "cut short");
    dir.Write("wallpaper.bmp.tmp-1", "cut short");
    // Not temporaries of this file, or not ours by name: kept.
    dir.Write("wallpaper.bmp.tmp-", "x");
    dir.Write("wallpaper.bmp.tmp-12a", "x");
    dir.Write("other.bmp.tmp-4242", "x");
    dir.Write("wallpaper.bmp.tmp-99.jpg", "x");
    fs::create_directory(dir.path() / "wallpaper.bmp.tmp-77");

    RemoveStaleTemporaries(target);

    EXPECT_TRUE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target + ".tmp-4242"));
    EXPECT_FALSE(fs::exists(target + ".tmp-1"));
    for (const char* kept : {"wallpaper.bmp.tmp-", "wallpaper.bmp.tmp-12a", "other.bmp.tmp-4242",
                             "wallpaper.bmp.tmp-99.jpg", "wallpaper.bmp.tmp-77"})
        EXPECT_TRUE(fs::exists(dir.path() / kept)) << kept;

    // A missing folder is no error.
    RemoveStaleTemporaries((dir.path() / "gone" / "wallpaper.bmp").string());
}

} // namespace
} // namespace ondrix
