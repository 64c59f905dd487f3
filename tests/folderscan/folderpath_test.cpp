#include "engine/diffengine.h"
#include "folderscan/folderlisting.h"
#include "folderscan/folderpath.h"
#include "folderscan/folderrowlist.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lindo {
namespace {

TEST(FolderPath, JoinPathPutsExactlyOneSeparatorAtTheSeam)
{
    struct Row {
        const char *folder;
        const char *relative;
        const char *joined;
    };
    const Row rows[] = {
        {"/a", "b", "/a/b"},       {"/a/", "b", "/a/b"}, {"/a", "/b", "/a/b"},
        {"/a/", "/b", "/a/b"},     {"", "/b", "/b"},     {"", "b", "/b"},
        {"/", "b", "/b"},          {"/", "/b", "/b"},    {"rel", "/x/y", "rel/x/y"},
        {"/a//", "/b", "/a//b"}, // only the seam is touched
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.folder) + " + " + row.relative);
        EXPECT_EQ(JoinPath(row.folder, row.relative), row.joined);
    }
}

TEST(FolderPath, SearchFolderIsAbsoluteAndKeepsTheTypedSeparator)
{
    const std::string current = std::filesystem::current_path().string();
    EXPECT_EQ(SearchFolder(""), "");
    EXPECT_EQ(SearchFolder("/abs/dir"), "/abs/dir");
    EXPECT_EQ(SearchFolder("/abs/dir/"), "/abs/dir/");
    EXPECT_EQ(SearchFolder("rel/dir"), JoinPath(current, "rel/dir"));
    EXPECT_EQ(SearchFolder("rel/dir/"), JoinPath(current, "rel/dir/"));
}

TEST(FolderPath, CompareNoCaseFoldsAsciiLettersOnly)
{
    struct Row {
        const char *a;
        const char *b;
        int sign;
    };
    const Row rows[] = {
        {"abc", "ABC", 0},
        {"/Sub/File.TXT", "/sub/file.txt", 0},
        {"a", "b", -1},
        {"B", "a", 1},
        {"ab", "abc", -1},
        {"", "", 0},
        {"/x", "x", -1},                         // the separator sorts before letters
        {"_", "a", -1},                          // '_' is above 'Z' but below 'a'
        {"\xC3\x89", "\xC3\xA9", -1},            // non-ASCII bytes are not folded
        {"\xFF", "a", 1},                        // unsigned order
        {"a long shared prefix/X", "A LONG SHARED PREFIX/y", -1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        const int result = CompareNoCase(row.a, row.b);
        EXPECT_EQ((result > 0) - (result < 0), row.sign);
        EXPECT_EQ(LowerCase(row.a) == LowerCase(row.b), row.sign == 0);
    }
}

TEST(FolderListingOrder, FilesFirstThenFoldersEachAscendingIgnoringCaseStable)
{
    std::vector<FolderEntry> arrival;
    for (const auto &[path, isFolder] : std::vector<std::pair<std::string, bool>>{
             {"/d/zeta", true},
             {"/d/b.txt", false},
             {"/d/Alpha", true},
             {"/d/A.txt", false},
             {"/d/B.TXT", false}, // equal to b.txt ignoring case: stays after it
             {"/d/alpha", true},  // equal to Alpha: stays after it
             {"/d/_x", false},
         })
        arrival.push_back({path, isFolder, nullptr});
    const FolderListing listing(std::move(arrival));
    std::vector<std::string> order;
    for (const FolderEntry &entry : listing.Entries())
        order.push_back(entry.path);
    EXPECT_EQ(order, (std::vector<std::string>{"/d/_x", "/d/A.txt", "/d/b.txt", "/d/B.TXT", "/d/Alpha",
                                               "/d/alpha", "/d/zeta"}));
    EXPECT_EQ(listing.Count(), 7);
}

TEST(FolderExclusion, SubstringIgnoringCaseWithBackslashAsSeparator)
{
    struct Row {
        const char *name;
        const char *path;
        std::vector<std::string> exceptions;
        bool excluded;
    };
    const Row rows[] = {
        {"folder through default string", "/sub/Debug/app.o", {"\\Debug\\"}, true},
        {"top folder with leading separator", "/Debug/app.o", {"\\Debug\\"}, true},
        {"file name is not a folder", "/DebugNotes.txt", {"\\Debug\\"}, false},
        {"typed trailing separator drops the leading one", "Debug/app.o", {"\\Debug\\"}, false},
        {"plain word in a folder", "/src/Debug/x.c", {"debug"}, true},
        {"plain word in a file", "/src/mydebug.txt", {"debug"}, true},
        {"extension", "/proj/App.NCB", {".dsw", ".ncb"}, true},
        {"no hit", "/src/main.cpp", {".dsw", ".ncb"}, false},
        {"empty string hits everything", "/a", {""}, true},
        {"no strings", "/a", {}, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsExcluded(row.path, row.exceptions), row.excluded);
    }
}

TEST(FolderRowList, RefusesDuplicatesIgnoringCaseAndExcludedPathsWhenSwitchedOn)
{
    DiffEngine engine;
    engine.SetExceptionStrings("\\Debug\\,.obj,");
    FolderRowList rows(engine);
    EXPECT_EQ(rows.AddRow("/a.txt", FolderOnlyIn1), 0);
    EXPECT_EQ(rows.AddRow("/A.TXT", FolderSame), -1);
    EXPECT_EQ(rows.AddRow("a.txt", FolderSame), 1); // another spelling, another row
    EXPECT_EQ(rows.AddRow("/x/Debug/y.c", FolderSame), -1);
    EXPECT_EQ(rows.AddRow("/y.OBJ", FolderSame), -1);

    // The switch and the strings are read at each offer, as they stand then.
    engine.exceptionStringsEnabled = 0;
    EXPECT_EQ(rows.AddRow("/x/Debug/y.c", FolderNewer2), 2);
    engine.exceptionStringsEnabled = 1;
    engine.exceptionStrings.push_back("");
    EXPECT_EQ(rows.AddRow("/anything", FolderSame), -1);

    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.Row(2).relativePath, "/x/Debug/y.c");
    EXPECT_EQ(rows.Row(2).state, FolderNewer2);
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
    engine.exceptionStrings.clear();
    EXPECT_EQ(rows.AddRow("/a.txt", FolderSame), 0);
}

// Folders are opened from their compared root's handle by the part below it;
// a folder beside the root whose name merely begins like it is not below it.
TEST(FolderPath, PathBelowARoot)
{
    const auto below = [](std::string_view root, const std::string &path) {
        const char *part = PathBelow(root, path);
        return part ? std::string(part) : std::string("(none)");
    };
    EXPECT_EQ(below("/a/one", "/a/one/x/y"), "x/y");
    EXPECT_EQ(below("/a/one/", "/a/one/x"), "x");
    EXPECT_EQ(below("/", "/tmp"), "tmp");
    EXPECT_EQ(below("/a/one", "/a/onex/y"), "(none)");
    EXPECT_EQ(below("/a/one", "/a/one"), "(none)");
    EXPECT_EQ(below("/a/one", "/a/one/"), "(none)");
    EXPECT_EQ(below("", "/a"), "(none)");
}

} // namespace
} // namespace lindo
