#include "imagelists/ImageListStore.h"

#include "core/Errors.h"
#include "imagelists/ListFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class ImageListStoreTest : public ::testing::Test
{
protected:
    ImageListStoreTest() : m_store((m_dir.path() / "Ondrix").string())
    {
        fs::create_directories(fs::path(m_store.RecycleFolder()));
        fs::create_directories(fs::path(m_store.StoreFolder()) / "WorkDir");
    }

    std::string Stored(const std::string& name) const { return m_store.StorePathOf(name); }
    std::string Recycled(const std::string& name) const { return m_store.RecycleFolder() + "/" + name; }
    static void Put(const std::string& path, const std::string& bytes)
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Bytes(const std::string& path) { return test::ReadFileBytes(path); }
    ImageList Make(const std::string& name, const Lines& lines) const
    {
        WriteListLines(Stored(name), lines);
        return ImageList{name, std::to_string(lines.size()), Stored(name)};
    }

    test::TempDir m_dir;
    ImageListStore m_store;
};

PictureSizeReader FixedSize(int width, int height, int* calls = nullptr)
{
    return [=](const std::string&, PictureKind) {
        if (calls)
            ++*calls;
        return std::pair{width, height};
    };
}

TEST_F(ImageListStoreTest, ImportOfAnEmptyFileGivesCountZero)
{
    Put((m_dir.path() / "x" / "empty.lst").string(), "");
    const auto row = m_store.ImportListFile((m_dir.path() / "x" / "empty.lst").string());
    EXPECT_EQ(row, (ImageList{"empty.lst", "0", Stored("empty.lst")}));
    EXPECT_EQ(Bytes(Stored("empty.lst")), "");
}

TEST_F(ImageListStoreTest, ImportCopiesIntoTheStoreFixesTheExtensionAndKeepsTheSource)
{
    const std::string source = (m_dir.path() / "x" / "Travel.LST").string();
    Put(source, "a?1*1\r\nb?2*2");
    const auto row = m_store.ImportListFile(source);
    EXPECT_EQ(row, (ImageList{"Travel.lst", "2", Stored("Travel.lst")}));
    EXPECT_EQ(Bytes(Stored("Travel.lst")), "a?1*1\r\nb?2*2");
    EXPECT_TRUE(fs::exists(source));
    EXPECT_FALSE(fs::exists(Stored("Travel.LST")));
}

TEST_F(ImageListStoreTest, ImportOfAnotherExtensionKeepsTheNameAndAppendsLst)
{
    const std::string source = (m_dir.path() / "x" / "notes.txt").string();
    Put(source, "a?1*1\r\n");
    const auto row = m_store.ImportListFile(source);
    EXPECT_EQ(row.Name, "notes.txt.lst");
    EXPECT_EQ(row.Path, Stored("notes.txt.lst"));
    Put((m_dir.path() / "x" / "ls").string(), "");
    EXPECT_EQ(m_store.ImportListFile((m_dir.path() / "x" / "ls").string()).Name, "ls.lst");
}

TEST_F(ImageListStoreTest, ImportUsesTheWholeLongPath)
{
    const std::string source = (m_dir.path() / std::string(120, 'f') / "Long list name.lst").string();
    ASSERT_GT(source.size(), 120u);
    Put(source, "a?1*1\r\n");
    const auto result = m_store.ImportLists({source});
    ASSERT_EQ(result.Rows.size(), 1u);
    EXPECT_EQ(result.Rows[0], (ImageList{"Long list name.lst", "1", Stored("Long list name.lst")}));
    EXPECT_TRUE(fs::exists(source));
}

TEST_F(ImageListStoreTest, ImportOfATakenNameReplacesTheStoredList)
{
    Make("a.lst", {"old?1*1"});
    Put((m_dir.path() / "x" / "a.lst").string(), "new?2*2\r\n");
    const auto row = m_store.ImportListFile((m_dir.path() / "x" / "a.lst").string());
    EXPECT_EQ(row.Path, Stored("a.lst"));
    EXPECT_EQ(ReadListLines(Stored("a.lst")), Lines{"new?2*2"});
}

TEST_F(ImageListStoreTest, ImportOfAStoredListLeavesItAsItIs)
{
    Put(Stored("Mixed.LST"), "a?1*1\n");
    const auto row = m_store.ImportListFile(Stored("Mixed.LST"));
    EXPECT_EQ(row, (ImageList{"Mixed.LST", "1", Stored("Mixed.LST")}));
    EXPECT_EQ(Bytes(Stored("Mixed.LST")), "a?1*1\n");
    EXPECT_FALSE(fs::exists(Stored("Mixed.lst")));
}

TEST_F(ImageListStoreTest, ImportOfAnUnreadableFileThrowsAndAddsNothing)
{
    EXPECT_THROW(m_store.ImportListFile((m_dir.path() / "missing.lst").string()), FileError);
    EXPECT_FALSE(fs::exists(Stored("missing.lst")));
}

TEST_F(ImageListStoreTest, RestoreMovesFromTheRecycleFolderButNeverDeletesTheUsersFiles)
{
    Put(Recycled("old.lst"), "a?1*1\r\n");
    const std::string usersFile = (m_dir.path() / "Recycled stuff" / "a.lst").string();
    Put(usersFile, "u?1*1\r\n");
    const std::string alsoUsers = (m_dir.path() / "x" / "Recycled" / "b.lst").string();
    Put(alsoUsers, "");
    const auto result = m_store.RestoreLists(
        {Recycled("old.lst"), usersFile, alsoUsers, (m_dir.path() / "gone.lst").string()});
    ASSERT_EQ(result.Rows.size(), 3u);
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_NE(result.Errors[0].find("gone.lst"), std::string::npos);
    EXPECT_EQ(result.Rows[0], (ImageList{"old.lst", "1", Stored("old.lst")}));
    EXPECT_FALSE(fs::exists(Recycled("old.lst")));
    EXPECT_TRUE(fs::exists(usersFile));
    EXPECT_TRUE(fs::exists(alsoUsers));
    EXPECT_TRUE(fs::exists(Stored("a.lst")));
    EXPECT_FALSE(m_store.RecycledListsExist());
}

TEST_F(ImageListStoreTest, RecycleFolderIsRecognisedThroughAnyPathSpelling)
{
    Put(Recycled("r.lst"), "");
    EXPECT_TRUE(m_store.IsInRecycleFolder(m_store.StoreFolder() + "/WorkDir/../Recycled/r.lst"));
    EXPECT_TRUE(m_store.IsInRecycleFolder(Recycled("r.lst")));
    EXPECT_FALSE(m_store.IsInRecycleFolder(Stored("r.lst")));
    EXPECT_FALSE(m_store.IsInRecycleFolder(m_store.RecycleFolder() + "/sub/r.lst"));
}

TEST_F(ImageListStoreTest, AddPictureAppendsForPictureKindsOnly)
{
    auto list = Make("a.lst", {"one?1*1", "two?2*2"});
    int calls = 0;
    EXPECT_TRUE(m_store.AddPictureToList(list, "/p/photo.JPEG", FixedSize(640, 480, &calls)));
    EXPECT_EQ(list.Count, "3");
    EXPECT_TRUE(m_store.AddPictureToList(list, "/p.x/b.Bmp", FixedSize(1, 2, &calls)));
    EXPECT_TRUE(m_store.AddPictureToList(list, "/p/c.jpg", FixedSize(3, 4, &calls)));
    EXPECT_FALSE(m_store.AddPictureToList(list, "/p/notes.txt", FixedSize(5, 6, &calls)));
    EXPECT_FALSE(m_store.AddPictureToList(list, "/p.jpg/noextension", FixedSize(5, 6, &calls)));
    EXPECT_FALSE(m_store.AddPictureToList(list, "/p/anim.gif", FixedSize(5, 6, &calls)));
    // PNG and WebP entries are written exactly like the others: path, "?", width, "*", height.
    EXPECT_TRUE(m_store.AddPictureToList(list, "/p/d.PNG", FixedSize(7, 8, &calls)));
    EXPECT_TRUE(m_store.AddPictureToList(list, "/p/e.webp", FixedSize(9, 10, &calls)));
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(list.Count, "7");
    EXPECT_EQ(ReadListLines(list.Path),
              (Lines{"one?1*1", "two?2*2", "/p/photo.JPEG?640*480", "/p.x/b.Bmp?1*2", "/p/c.jpg?3*4",
                     "/p/d.PNG?7*8", "/p/e.webp?9*10"}));
}

TEST_F(ImageListStoreTest, AddPictureRewritesTheFileEvenWhenNothingIsAdded)
{
    Put(Stored("a.lst"), "one?1*1\nlast");
    ImageList list{"a.lst", "2", Stored("a.lst")};
    EXPECT_FALSE(m_store.AddPictureToList(list, "/p/notes.txt", FixedSize(1, 1)));
    EXPECT_EQ(Bytes(list.Path), "one?1*1\r\nlast\r\n");
    EXPECT_EQ(list.Count, "2");
}

TEST_F(ImageListStoreTest, AnUnreadablePictureChangesNothing)
{
    auto list = Make("a.lst", {"one?1*1"});
    const PictureSizeReader broken = [](const std::string& path, PictureKind) -> std::pair<int, int> {
        throw FileError("Cannot read \"" + path + "\"");
    };
    EXPECT_THROW(m_store.AddPictureToList(list, "/p/broken.jpg", broken), FileError);
    EXPECT_EQ(list.Count, "1");
    EXPECT_EQ(Bytes(list.Path), "one?1*1\r\n");
}

TEST_F(ImageListStoreTest, AddingUsesTheWholeLongPath)
{
    auto list = Make("a.lst", {});
    const std::string longPath = "/" + std::string(150, 'p') + "/" + std::string(100, 'q') + ".jpg";
    m_store.AddPictureToList(list, longPath, FixedSize(7, 8));
    EXPECT_EQ(ReadListLines(list.Path), Lines{longPath + "?7*8"});
}

TEST_F(ImageListStoreTest, UntitledNumbersLookOnlyAtTheStoreFolder)
{
    EXPECT_EQ(m_store.NextUntitledName(), "untitled1.lst");
    Make("untitled1.lst", {});
    Make("untitled3.lst", {});
    EXPECT_EQ(m_store.NextUntitledName(), "untitled2.lst");
    fs::remove(Stored("untitled1.lst"));
    Put(Recycled("untitled1.lst"), "");
    EXPECT_EQ(m_store.NextUntitledName(), "untitled1.lst");
    const auto created = m_store.CreateList();
    EXPECT_EQ(created, (ImageList{"untitled1.lst", "0", Stored("untitled1.lst")}));
    EXPECT_EQ(fs::file_size(created.Path), 0u);
}

TEST_F(ImageListStoreTest, RecycledListsExistForListFilesOfAnyCaseOnly)
{
    EXPECT_FALSE(m_store.RecycledListsExist());
    Put(Recycled("notes.txt"), "");
    fs::create_directories(Recycled("folder.lst"));
    EXPECT_FALSE(m_store.RecycledListsExist());
    Put(Recycled("A.LST"), "");
    EXPECT_TRUE(m_store.RecycledListsExist());
}

TEST_F(ImageListStoreTest, RecyclingATakenNameKeepsBothLists)
{
    Put(Recycled("untitled1.lst"), "older?1*1\r\n");
    const auto list = Make("untitled1.lst", {"newer?2*2"});
    const std::string went = m_store.RecycleList(list).value();
    EXPECT_EQ(went, Recycled("untitled1 (2).lst"));
    EXPECT_FALSE(fs::exists(list.Path));
    EXPECT_EQ(Bytes(Recycled("untitled1.lst")), "older?1*1\r\n");
    EXPECT_EQ(Bytes(went), "newer?2*2\r\n");
    const auto again = Make("untitled1.lst", {"third?3*3"});
    EXPECT_EQ(m_store.RecycleList(again), Recycled("untitled1 (3).lst"));
    EXPECT_TRUE(m_store.RecycledListsExist());
}

TEST_F(ImageListStoreTest, RecyclingOrDeletingAListWhoseFileHasGoneIsNoError)
{
    // Gone, or a folder now stands where the list was: nothing to move, and the folder stays.
    fs::create_directories(Stored("folder.lst") + "/inner");
    for (const char* name : {"gone.lst", "folder.lst"}) {
        const ImageList list{name, "0", Stored(name)};
        std::optional<std::string> went{"not called"};
        EXPECT_NO_THROW(went = m_store.RecycleList(list)) << name;
        EXPECT_EQ(went, std::nullopt) << name;
        EXPECT_NO_THROW(m_store.DeleteList(list)) << name;
    }
    EXPECT_TRUE(fs::is_directory(Stored("folder.lst") + "/inner"));
    EXPECT_TRUE(fs::is_empty(m_store.RecycleFolder()));
}

TEST_F(ImageListStoreTest, AListNamedWithABackslashStaysWhatItIs)
{
    // On this system a backslash is an ordinary character of a file name.
    const auto list = Make("trip\\2024.lst", {"a?1*1"});
    EXPECT_EQ(m_store.ImportListFile(list.Path), list);
    EXPECT_FALSE(fs::exists(Stored("2024.lst")));
    // Confirming its caption unchanged keeps it; a new name with a backslash is refused.
    auto renamed = list;
    EXPECT_NO_THROW(m_store.RenameList(renamed, "trip\\2024"));
    EXPECT_EQ(renamed, list);
    EXPECT_THROW(m_store.RenameList(renamed, "trip\\2025"), FileError);
    EXPECT_EQ(m_store.RecycleList(list), Recycled("trip\\2024.lst"));
}

TEST_F(ImageListStoreTest, DeleteRemovesForGood)
{
    const auto list = Make("a.lst", {"x?1*1"});
    m_store.DeleteList(list);
    EXPECT_FALSE(fs::exists(list.Path));
    EXPECT_FALSE(m_store.RecycledListsExist());
    EXPECT_NO_THROW(m_store.DeleteList(list));
}

TEST_F(ImageListStoreTest, RenameAppendsLstUnlessTheTextHoldsIt)
{
    auto list = Make("untitled1.lst", {"a?1*1", "b?2*2"});
    list.Count = "2";
    m_store.RenameList(list, "Holiday");
    EXPECT_EQ(list, (ImageList{"Holiday.lst", "2", Stored("Holiday.lst")}));
    EXPECT_FALSE(fs::exists(Stored("untitled1.lst")));
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"a?1*1", "b?2*2"}));
    m_store.RenameList(list, "trip.lst.bak");
    EXPECT_EQ(list.Name, "trip.lst.bak");
    EXPECT_TRUE(fs::exists(Stored("trip.lst.bak")));
    m_store.RenameList(list, "trip.lst.bak"); // its own name: nothing to do
    EXPECT_TRUE(fs::exists(Stored("trip.lst.bak")));
}

TEST_F(ImageListStoreTest, RenameRefusesNamesThatWouldLoseAList)
{
    auto list = Make("a.lst", {"mine?1*1"});
    Make("b.lst", {"other?1*1"});
    const std::vector<std::string> refused{
        "b", "b.lst", "", "x/y", "x\\y", std::string("x\0y", 3), std::string(300, 'n'), "WorkDir.lst"};
    for (const std::string& text : refused) {
        if (text == "WorkDir.lst")
            fs::create_directories(Stored("WorkDir.lst"));
        try {
            m_store.RenameList(list, text);
            ADD_FAILURE() << "accepted \"" << text << "\"";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("Cannot rename"), std::string::npos);
        }
        EXPECT_EQ(list, (ImageList{"a.lst", "1", Stored("a.lst")}));
    }
    EXPECT_EQ(ReadListLines(Stored("a.lst")), Lines{"mine?1*1"});
    EXPECT_EQ(ReadListLines(Stored("b.lst")), Lines{"other?1*1"});
}

TEST_F(ImageListStoreTest, RemoveEntryTakesTheFirstLineEqualIgnoringCase)
{
    auto list = Make("a.lst", {"/p/A.jpg?1*1", "/p/b.jpg?2*2", "/p/a.jpg?1*1"});
    EXPECT_EQ(m_store.RemoveEntry(list, "/P/a.JPG", "1*1"), 0u);
    EXPECT_EQ(list.Count, "2");
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"/p/b.jpg?2*2", "/p/a.jpg?1*1"}));
    EXPECT_EQ(m_store.RemoveEntry(list, "/p/a.jpg", "1*1"), 1u);
    EXPECT_EQ(list.Count, "1");
}

TEST_F(ImageListStoreTest, RemoveEntryWithoutAMatchChangesNothing)
{
    // A line without "?" cannot be rebuilt from its caption (empty) and size text.
    auto list = Make("a.lst", {"/p/noquestion.jpg"});
    try {
        m_store.RemoveEntry(list, "", "/p/noquestion.jpg");
        FAIL() << "no error";
    } catch (const ListEntryError& error) {
        EXPECT_NE(std::string(error.what()).find(list.Path), std::string::npos);
    }
    EXPECT_EQ(list.Count, "1");
    EXPECT_EQ(ReadListLines(list.Path), Lines{"/p/noquestion.jpg"});
}

TEST_F(ImageListStoreTest, MovesSwapWithTheOtherEndAtTheEdges)
{
    const auto list = Make("a.lst", {"A", "B", "C"});
    EXPECT_EQ(m_store.MoveEntryUp(list, 0), 2u);
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"C", "B", "A"}));
    EXPECT_EQ(m_store.MoveEntryDown(list, 2), 0u);
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"A", "B", "C"}));
    EXPECT_EQ(m_store.MoveEntryUp(list, 2), 1u);
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"A", "C", "B"}));
    EXPECT_EQ(m_store.MoveEntryDown(list, 0), 1u);
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"C", "A", "B"}));
    EXPECT_THROW(m_store.MoveEntryDown(list, 3), ListEntryError);
    EXPECT_EQ(ReadListLines(list.Path), (Lines{"C", "A", "B"}));
}

TEST(ListMoveTest, SingleAndEmptyLists)
{
    Lines one{"A"};
    EXPECT_EQ(SwapEntryUp(one, 0), 0u);
    EXPECT_EQ(SwapEntryDown(one, 0), 0u);
    Lines none;
    EXPECT_THROW(SwapEntryUp(none, 0), ListEntryError);
}

TEST(SelectionTest, NeighbourAfterRemovingRows)
{
    // Rows 1 and 3 of 5: the second removal happens at index 2, so row 1 is selected.
    EXPECT_EQ(NeighbourAfterRemoval({1, 3}, 5), 1u);
    EXPECT_EQ(NeighbourAfterRemoval({3, 1}, 5), 1u);
    EXPECT_EQ(NeighbourAfterRemoval({0}, 3), 0u);
    EXPECT_EQ(NeighbourAfterRemoval({0, 1}, 3), 0u);
    EXPECT_EQ(NeighbourAfterRemoval({2}, 3), 1u);
    EXPECT_EQ(NeighbourAfterRemoval({0}, 1), std::nullopt);
    EXPECT_EQ(NeighbourAfterRemoval({0, 1, 2}, 3), std::nullopt);
    EXPECT_EQ(NeighbourAfterRemoval({}, 3), std::nullopt);
    EXPECT_EQ(NeighbourAfterRemoval({7}, 3), std::nullopt);
}

TEST(SelectionTest, AfterAddingTheNextToLastRow)
{
    EXPECT_EQ(SelectionAfterAdding(5), 3u);
    EXPECT_EQ(SelectionAfterAdding(2), 0u);
    EXPECT_EQ(SelectionAfterAdding(1), 0u);
    EXPECT_EQ(SelectionAfterAdding(0), std::nullopt);
}

TEST(PictureKindTest, ByTheUpperCasedExtensionOfTheFileName)
{
    EXPECT_EQ(ListPictureKindOf("/a/b.BMP"), PictureKind::Bmp);
    EXPECT_EQ(ListPictureKindOf("/a/b.jpeg"), PictureKind::Jpeg);
    EXPECT_EQ(ListPictureKindOf("/a/b.Jpg"), PictureKind::Jpeg);
    EXPECT_EQ(ListPictureKindOf("/a/b.jpg.txt"), PictureKind::Other);
    EXPECT_EQ(ListPictureKindOf("/a/b.png"), PictureKind::Png);
    EXPECT_EQ(ListPictureKindOf("/a/b.Png"), PictureKind::Png);
    EXPECT_EQ(ListPictureKindOf("/a/b.WEBP"), PictureKind::Webp);
    EXPECT_EQ(ListPictureKindOf("/a/b.webp.part"), PictureKind::Other);
    EXPECT_EQ(ListPictureKindOf("/a.png/b"), PictureKind::Other);
    EXPECT_EQ(ListPictureKindOf("/a.jpg/b"), PictureKind::Other);
}

TEST(NumberedNameTest, NumberGoesBeforeTheExtension)
{
    EXPECT_EQ(NumberedName("a.lst", 1), "a.lst");
    EXPECT_EQ(NumberedName("a.lst", 2), "a (2).lst");
    EXPECT_EQ(NumberedName("A.LST", 3), "A (3).LST");
    EXPECT_EQ(NumberedName("trip.lst.bak", 2), "trip.lst.bak (2)");
}

} // namespace
} // namespace ondrix
