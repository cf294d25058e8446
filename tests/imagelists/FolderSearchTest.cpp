#include "imagelists/FolderSearch.h"

#include "imagelists/EntryBatch.h"
#include "imagelists/ImageListStore.h"
#include "imagelists/ListFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

class FolderSearchTest : public ::testing::Test
{
protected:
    std::string P(const std::string& relative) const { return (m_dir.path() / relative).string(); }
    void Touch(const std::string& relative, const std::string& bytes = "") const
    {
        m_dir.Write(relative, bytes);
    }

    test::TempDir m_dir;
};

TEST_F(FolderSearchTest, IsFolderForFoldersOnly)
{
    fs::create_directories(P("empty"));
    Touch("photo.jpg");
    EXPECT_TRUE(IsFolder(P("empty")));
    EXPECT_TRUE(IsFolder(P("empty") + "/"));
    EXPECT_FALSE(IsFolder(P("photo.jpg")));
    EXPECT_FALSE(IsFolder(P("missing")));
    EXPECT_FALSE(IsFolder(""));
}

TEST_F(FolderSearchTest, SubFoldersComeFirstDepthFirst)
{
    Touch("a.lst");
    Touch("sub/b.lst");
    Touch("sub/deeper/c.LST");
    Touch("z/d.lst");
    Touch("notes.txt");
    Touch("a.lst.bak");
    const Paths expected{P("sub/deeper/c.LST"), P("sub/b.lst"), P("z/d.lst"), P("a.lst")};
    EXPECT_EQ(FindListFiles(m_dir.str()), expected);
    EXPECT_EQ(FindListFiles(m_dir.str() + "/"), expected);
}

TEST_F(FolderSearchTest, SkipsRecycledHiddenReadOnlyAndLinkedFolders)
{
    Touch("Recycled/r.lst");
    Touch("sub/Recycled/r2.lst");
    Touch("recycled/ok.lst");
    Touch(".hidden/h.lst");
    Touch("locked/l.lst");
    Touch("elsewhere/e.lst");
    fs::permissions(P("locked"), fs::perms::owner_write, fs::perm_options::remove);
    fs::create_directory_symlink(P("elsewhere"), P("sub/link"));
    const Paths found = FindListFiles(m_dir.str());
    fs::permissions(P("locked"), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(found, (Paths{P("elsewhere/e.lst"), P("recycled/ok.lst")}));
}

TEST_F(FolderSearchTest, ASymlinkLoopDoesNotHang)
{
    Touch("a/x.jpg");
    fs::create_directory_symlink(P("a"), P("a/loop"));
    fs::create_directory_symlink(m_dir.path(), P("a/up"));
    EXPECT_EQ(FindPictureFiles(m_dir.str()), Paths{P("a/x.jpg")});
}

TEST_F(FolderSearchTest, PicturesOfAnyLetterCase)
{
    Touch("a.JPG");
    Touch("b.jpeg");
    Touch("c.Bmp");
    Touch("d.png");
    Touch("e.jpg.txt");
    Touch("g.WebP");
    Touch("h.PNG");
    Touch("i.png.bak");
    Touch("j.gif");
    Touch("s/f.jpg");
    Touch("s/k.webp");
    EXPECT_EQ(FindPictureFiles(m_dir.str()), (Paths{P("s/f.jpg"), P("s/k.webp"), P("a.JPG"), P("b.jpeg"),
                                                    P("c.Bmp"), P("d.png"), P("g.WebP"), P("h.PNG")}));
}

TEST_F(FolderSearchTest, MissingFoldersAndFilesFindNothing)
{
    Touch("file.lst");
    EXPECT_TRUE(FindListFiles(P("missing")).empty());
    EXPECT_TRUE(FindListFiles(P("file.lst")).empty());
}

TEST_F(FolderSearchTest, AStoppedSearchEndsWithoutWalking)
{
    for (int i = 0; i < 20; ++i)
        Touch("f" + std::to_string(i) + "/a.lst");
    std::stop_source source;
    source.request_stop();
    EXPECT_TRUE(FindListFiles(m_dir.str(), source.get_token()).empty());
}

TEST_F(FolderSearchTest, StatusPatterns)
{
    EXPECT_EQ(SearchPatternOf(SearchKind::ImageLists), "\\*.lst");
    EXPECT_EQ(SearchPatternOf(SearchKind::Pictures), "\\*.bmp|*.jpg|*.jpeg|*.png|*.webp");
    EXPECT_EQ(SearchPatternOf(SearchKind::ThemePackages), "\\*.ond");
}

TEST_F(FolderSearchTest, JobDeliversTheResultOnce)
{
    Touch("sub/b.lst");
    Touch("a.lst");
    std::mutex mutex;
    std::condition_variable done;
    std::vector<Paths> deliveries;
    {
        SearchJob job(m_dir.str(), SearchKind::ImageLists, [&](Paths paths) {
            std::lock_guard lock(mutex);
            deliveries.push_back(std::move(paths));
            done.notify_all();
        });
        std::unique_lock lock(mutex);
        ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(10), [&] { return !deliveries.empty(); }));
    }
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_EQ(deliveries[0], (Paths{P("sub/b.lst"), P("a.lst")}));
}

TEST_F(FolderSearchTest, CancellingARunningJobEndsItAndDeliversNothing)
{
    std::atomic<bool> started{false};
    std::atomic<int> delivered{0};
    // A search that walks until it is told to stop, the way a huge tree would.
    const SearchJob::Search endless = [&](const std::string&, std::stop_token stop) {
        started = true;
        while (!stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return Paths{"partial"};
    };
    auto job = std::make_unique<SearchJob>(m_dir.str(), endless, [&](Paths) { ++delivered; });
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Without cancellation this would wait for ever (the test's time limit catches that).
    job.reset();
    EXPECT_EQ(delivered, 0);
}

TEST_F(FolderSearchTest, CancellingAWalkOfABigTreeStopsMidWay)
{
    for (int i = 0; i < 150; ++i)
        Touch("d" + std::to_string(1000 + i) + "/a.lst");
    const Paths all = FindListFiles(m_dir.str());
    ASSERT_EQ(all.size(), 150u);
    // The stop comes from inside the walk, after it has looked at 20 list names.
    std::stop_source source;
    int looked = 0;
    const auto stopAfterTwenty = [&](std::string_view name) {
        if (++looked == 20)
            source.request_stop();
        return HasListExtension(name);
    };
    const Paths found = FindFiles(m_dir.str(), stopAfterTwenty, source.get_token());
    // It had started (the first folders are in), and it stopped well before the end: no
    // folder after the stop was looked at.
    EXPECT_GE(found.size(), 15u);
    EXPECT_LE(found.size(), 20u);
    EXPECT_EQ(looked, 20);
    EXPECT_EQ(found, Paths(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(found.size())));
}

// The start-up scan of the store folder.
class ScanTest : public FolderSearchTest
{
protected:
    ScanTest() : m_store(P("Ondrix"))
    {
        fs::create_directories(m_store.RecycleFolder());
        fs::create_directories(m_store.StoreFolder() + "/WorkDir");
    }
    std::string Stored(const std::string& name) const { return m_store.StorePathOf(name); }
    void PutList(const std::string& relative, const std::string& bytes) const
    {
        Touch("Ondrix/imgLists/" + relative, bytes);
    }

    ImageListStore m_store;
};

TEST_F(ScanTest, NeverEntersRecycledAtAnyDepthButEntersRecycled)
{
    PutList("Recycled/r.lst", "");
    PutList("sub/Recycled/r2.lst", "");
    PutList("recycled/ok.lst", "a?1*1\r\n");
    PutList("top.lst", "");
    const auto rows = m_store.ScanListFolder(m_store.StoreFolder() + "/");
    std::vector<std::string> names;
    for (const auto& row : rows)
        names.push_back(row.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"ok.lst", "top.lst"}));
    EXPECT_EQ(rows[0], (ImageList{"ok.lst", "1", Stored("ok.lst")}));
    EXPECT_FALSE(fs::exists(Stored("r.lst")));
    EXPECT_FALSE(fs::exists(Stored("r2.lst")));
}

TEST_F(ScanTest, EachFileOfTheStoreGetsOneRow)
{
    // A list copied up from a sub-folder is found again at the top, and an equal twin of a
    // top-level list is taken as that list: one row for each file, at every start.
    PutList("sub/a.lst", "x?1*1\r\n");
    PutList("dup.lst", "d?1*1\r\n");
    PutList("sub/dup.lst", "d?1*1\r\n");
    for (int start = 0; start < 2; ++start) {
        const auto rows = m_store.ScanListFolder(m_store.StoreFolder());
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], (ImageList{"a.lst", "1", Stored("a.lst")}));
        EXPECT_EQ(rows[1], (ImageList{"dup.lst", "1", Stored("dup.lst")}));
    }
    EXPECT_FALSE(fs::exists(Stored("a (2).lst")));
    EXPECT_FALSE(fs::exists(Stored("dup (2).lst")));
}

TEST_F(ScanTest, AListNamedWithABackslashIsNotCopiedAtEveryStart)
{
    PutList("trip\\2024.lst", "a?1*1\r\n");
    for (int start = 0; start < 3; ++start) {
        auto rows = m_store.ScanListFolder(m_store.StoreFolder());
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].Name, "trip\\2024.lst");
        EXPECT_EQ(rows[0].Path, Stored("trip\\2024.lst"));
        // The user works on the list between starts.
        AppendEntryLines(rows[0], {"b?2*2"});
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(m_store.StoreFolder()))
        if (entry.is_regular_file())
            files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"trip\\2024.lst"});
    EXPECT_EQ(ReadListLines(Stored("trip\\2024.lst")).size(), 4u);
}

TEST_F(ScanTest, ASubFolderTwinNeverOverwritesATopLevelList)
{
    PutList("a.lst", "top?1*1\r\n");
    PutList("sub/a.lst", "sub?2*2\r\n");
    const auto rows = m_store.ScanListFolder(m_store.StoreFolder());
    EXPECT_EQ(ReadListLines(Stored("a.lst")), std::vector<std::string>{"top?1*1"});
    EXPECT_EQ(ReadListLines(Stored("a (2).lst")), std::vector<std::string>{"sub?2*2"});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Path, Stored("a (2).lst"));
    EXPECT_EQ(rows[1].Path, Stored("a.lst"));
    // At the next start the earlier copy is taken again instead of a third one.
    const auto again = m_store.ScanListFolder(m_store.StoreFolder());
    EXPECT_EQ(again, rows);
    EXPECT_FALSE(fs::exists(Stored("a (3).lst")));
}

TEST_F(ScanTest, AFolderNamedLikeAListIsSearchedNotImported)
{
    PutList("good.lst", "");
    fs::create_directories(Stored("folder.lst"));
    const auto rows = m_store.ScanListFolder(m_store.StoreFolder());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Name, "good.lst");
}

} // namespace
} // namespace ondrix
