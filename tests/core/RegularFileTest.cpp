#include "core/RegularFile.h"

#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

// The message of the FileError that reading path with the bound throws; fails the test when
// nothing is thrown.
std::string ReadError(const std::string& path, std::uint64_t maxBytes)
{
    try {
        ReadRegularFile(path, maxBytes, "list file");
    } catch (const FileError& error) {
        return error.what();
    }
    ADD_FAILURE() << path << " was read";
    return {};
}

TEST(RegularFileTest, ReadsWholeFilesUpToTheBound)
{
    test::TempDir dir;
    const std::string bytes = std::string("a\0b\r\n", 5) + std::string(200000, 'x') + "end";
    const std::string path = dir.Write("big.lst", bytes).string();
    EXPECT_EQ(ReadRegularFile(path, bytes.size()), bytes);
    const std::vector<std::uint8_t> asBytes = ReadRegularFileBytes(path, kMaxPictureFileBytes);
    ASSERT_EQ(asBytes.size(), 200008u);
    EXPECT_EQ(asBytes[1], 0u);
    EXPECT_EQ(asBytes.back(), 'd');
    EXPECT_EQ(ReadRegularFile(dir.Write("empty", "").string(), 0), "");

    // One byte over is refused, and the message names the file and the bound.
    const std::string message = ReadError(path, bytes.size() - 1);
    EXPECT_NE(message.find("list file \"" + path + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("larger than 200007 bytes"), std::string::npos) << message;
    EXPECT_NE(ReadError(path, 1 << 10).find("1024 bytes"), std::string::npos);
    EXPECT_NE(ReadError(path, 0).find("larger than 0 bytes"), std::string::npos);

    // A link to a regular file is that file.
    fs::create_symlink(path, dir.path() / "link.lst");
    EXPECT_EQ(ReadRegularFile((dir.path() / "link.lst").string(), kMaxListFileBytes), bytes);
}

TEST(RegularFileTest, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    test::TempDir dir;
    // A pipe nobody writes to would block the open for good; one with a writer would never end.
    const std::string fifo = (dir.path() / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_NE(ReadError(fifo, kMaxPictureFileBytes).find("not a regular file"), std::string::npos);
    fs::create_symlink(fifo, dir.path() / "to-pipe.lng");
    EXPECT_NE(ReadError((dir.path() / "to-pipe.lng").string(), kMaxTextFileBytes).find("not a regular file"),
              std::string::npos);
    EXPECT_THROW(OpenRegularFile(fifo, kMaxTextFileBytes), FileError);

    // A device that never ends.
    EXPECT_NE(ReadError("/dev/zero", kMaxPictureFileBytes).find("\"/dev/zero\": it is not a regular file"),
              std::string::npos);
    EXPECT_NE(ReadError(dir.str(), kMaxListFileBytes).find("it is a folder"), std::string::npos);
    EXPECT_NE(ReadError((dir.path() / "missing").string(), kMaxListFileBytes).find("No such file"),
              std::string::npos);
}

TEST(RegularFileTest, FilesThatClaimLessThanTheyHoldAreReadToTheirEndWithinTheBound)
{
    // The kernel's files say they are empty and are not.
    const std::string status = ReadRegularFile("/proc/self/status", kMaxTextFileBytes);
    EXPECT_EQ(status.rfind("Name:", 0), 0u) << status.substr(0, 40);
    EXPECT_NE(ReadError("/proc/self/status", 16).find("larger than 16 bytes"), std::string::npos);
}

} // namespace
} // namespace ondrix
