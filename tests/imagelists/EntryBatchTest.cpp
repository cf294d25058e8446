#include "imagelists/EntryBatch.h"

#include "core/Errors.h"
#include "imagelists/ListFile.h"
#include "support/ConvertedPictures.h"
#include "support/TempDir.h"
#include "wallpaper/Picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace ondrix {
namespace {

using Lines = std::vector<std::string>;

TEST(EntryBatchTest, PictureLinesOfATreeSkipUnreadablePicturesAndOtherFiles)
{
    test::TempDir dir;
    dir.Write("top.jpg", "x");
    dir.Write("sub/a.BMP", "x");
    dir.Write("sub/broken.jpeg", "x");
    dir.Write("sub/notes.txt", "x");
    dir.Write("Recycled/hidden.jpg", "x");
    const PictureSizeReader reader = [](const std::string& path, PictureKind kind) {
        if (path.ends_with("broken.jpeg"))
            throw std::runtime_error("damaged");
        return kind == PictureKind::Bmp ? std::pair{10, 20} : std::pair{30, 40};
    };
    const std::string root = dir.str();
    EXPECT_EQ(FindPictureEntryLines(root, reader),
              (Lines{root + "/sub/a.BMP?10*20", root + "/top.jpg?30*40"}));
}

TEST(EntryBatchTest, PngAndWebpPicturesOfATreeWithTheirSizesFromTheirHeaders)
{
    test::TempDir dir;
    const test::Pam pam{5, 3, 3, 255, std::vector<unsigned>(5 * 3 * 3, 200)};
    dir.Write("deep/a.png", test::Convert(dir, pam, "", "png"));
    dir.Write("B.WEBP", test::Convert(dir, pam, "-define webp:lossless=true", "webp"));
    dir.Write("c.Png", test::Convert(dir, test::Pam{2, 9, 1, 255, std::vector<unsigned>(18, 9)}, "", "png"));
    dir.Write("broken.png", "\x89PNG not really");
    dir.Write("broken.webp", "RIFF");
    std::filesystem::remove(dir.path() / "source.pam");
    std::filesystem::remove(dir.path() / "converted.png");
    std::filesystem::remove(dir.path() / "converted.webp");
    const PictureSizeReader reader = [](const std::string& path, PictureKind kind) {
        const PictureSize size = ReadPictureSize(path, kind);
        return std::pair{size.width, size.height};
    };
    const std::string root = dir.str();
    EXPECT_EQ(FindPictureEntryLines(root, reader),
              (Lines{root + "/deep/a.png?5*3", root + "/B.WEBP?5*3", root + "/c.Png?2*9"}));
}

TEST(EntryBatchTest, StoppedSearchGivesNoMoreLines)
{
    test::TempDir dir;
    dir.Write("a.jpg", "x");
    std::stop_source stop;
    stop.request_stop();
    const PictureSizeReader reader = [](const std::string&, PictureKind) { return std::pair{1, 1}; };
    EXPECT_TRUE(FindPictureEntryLines(dir.str(), reader, stop.get_token()).empty());
}

TEST(EntryBatchTest, AppendWritesOnceAndRaisesCount)
{
    test::TempDir dir;
    const std::string path = dir.str() + "/l.lst";
    WriteListLines(path, {"a?1*1"});
    ImageList list{"l.lst", "1", path};
    AppendEntryLines(list, {"b?2*2", "c?3*3"});
    EXPECT_EQ(ReadListLines(path), (Lines{"a?1*1", "b?2*2", "c?3*3"}));
    EXPECT_EQ(list.Count, "3");
    // A count that is no number becomes the number of lines the file now holds.
    list.Count = "junk";
    AppendEntryLines(list, {"d?4*4"});
    EXPECT_EQ(list.Count, "4");
}

TEST(EntryBatchTest, AppendToAMissingListChangesNothing)
{
    test::TempDir dir;
    ImageList list{"gone.lst", "2", dir.str() + "/gone.lst"};
    EXPECT_THROW(AppendEntryLines(list, {"a?1*1"}), FileError);
    EXPECT_EQ(list.Count, "2");
}

TEST(EntryBatchTest, BatchesCoverTheQueueWithoutOverrun)
{
    EXPECT_EQ(NextBatch(0, 450, 200).end, 200u);
    EXPECT_EQ(NextBatch(400, 450, 200).begin, 400u);
    EXPECT_EQ(NextBatch(400, 450, 200).end, 450u);
    EXPECT_EQ(NextBatch(450, 450, 200).end, 450u);
    EXPECT_EQ(NextBatch(500, 450, 200).begin, 450u);
    EXPECT_EQ(NextBatch(0, 5, 0).end, 1u); // a zero batch still makes progress
}

} // namespace
} // namespace ondrix
