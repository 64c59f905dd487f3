// The folder scan on trees that fight back: folders it may not read, files
// that vanish or change between listing and reading, link loops, one huge
// folder, and names no text encoding likes. The scan ends, offers every file
// it could list, and says of each what its two sides really hold.

#include "engine/diffengine.h"
#include "faultsupport.h"
#include "folderscan/folderrowlist.h"
#include "folderscan/folderscan.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

namespace lindo::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kTime = 1600000000;

void Put(const fs::path &path, std::string_view bytes, std::int64_t time = kTime)
{
    WriteFile(path, bytes);
    const timespec times[2] = {{time, 0}, {time, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// The window's part: both folders, show-same on, a hook after every step, and
// the rows as the list admits them ("STATE<TAB>PATH").
class ScanHost final : public FolderScanHost {
public:
    ScanHost(const fs::path &folder1, const fs::path &folder2)
        : m_folders{folder1.string(), folder2.string()}
        , m_rows(m_engine)
    {
        m_engine.exceptionStringsEnabled = 0;
    }

    bool PumpMessages() override
    {
        if (onPump)
            onPump();
        return false;
    }
    std::string FolderPath(int side) override { return m_folders[side - 1]; }
    int ReadFoldersShowSame() override { return 1; }
    void OfferRow(const std::string &relativePath, FolderState state) override
    {
        ++offers;
        if (m_rows.AddRow(relativePath, state) >= 0)
            rows[relativePath] = std::string(FolderStateText(state));
    }
    void ShowStatus(std::string_view) override {}

    std::function<void()> onPump;
    std::map<std::string, std::string> rows;
    int offers = 0;

private:
    std::string m_folders[2];
    DiffEngine m_engine;
    FolderRowList m_rows;
};

using Rows = std::map<std::string, std::string>;

class ScanFaults : public testing::Test {
protected:
    fs::path Side(int side) const { return dir / (side == 1 ? "one" : "two"); }

    Rows Scan(ScanHost &host)
    {
        FolderScan scan(host);
        scan.Run(Side(1).string(), Side(2).string());
        EXPECT_FALSE(scan.IsRunning());
        return host.rows;
    }

    TempDir dir;
};

TEST_F(ScanFaults, AnUnreadableSubfolderIsNotComparedAndTheRestIs)
{
    Put(Side(1) / "top.txt", "t");
    Put(Side(2) / "top.txt", "t");
    Put(Side(1) / "locked" / "inside.txt", "i");
    Put(Side(2) / "locked" / "inside.txt", "i");
    Put(Side(1) / "locked" / "deeper" / "more.txt", "m");
    chmod((Side(1) / "locked").c_str(), 0);
    OpenToEveryone(dir.path());
    OpenToEveryone(Side(1));
    OpenToEveryone(Side(2));
    OpenToEveryone(Side(2) / "locked");
    EXPECT_TRUE(RunWithoutPrivileges([&] {
        ScanHost host(Side(1), Side(2));
        const Rows expected{{"/top.txt", "The same"}, {"/locked", "Not compared - 1 cannot be read"}};
        return Scan(host) == expected;
    }));
}

TEST_F(ScanFaults, FilesThatVanishOrChangeBetweenListingAndReading)
{
    for (const char *name : {"a.txt", "m.txt", "v.txt", "w.txt", "z.txt"}) {
        Put(Side(1) / name, name);
        Put(Side(2) / name, name);
    }
    ScanHost host(Side(1), Side(2));
    bool struck = false;
    // After the first pairing step, with both trees listed: side 1 loses
    // v.txt, side 2's w.txt becomes a folder, m.txt changes on side 1 and
    // z.txt is replaced on side 2 by a file of another size.
    host.onPump = [&] {
        if (struck)
            return;
        struck = true;
        fs::remove(Side(1) / "v.txt");
        fs::remove(Side(2) / "w.txt");
        fs::create_directory(Side(2) / "w.txt");
        Put(Side(1) / "m.txt", "M.TXT", kTime + 5);
        Put(Side(2) / "z.txt", "a longer z", kTime + 9);
    };
    EXPECT_EQ(Scan(host), (Rows{{"/a.txt", "The same"},
                                {"/m.txt", "Different - 1 is more recent"},
                                {"/v.txt", "Only in folder2"},
                                {"/w.txt", "Only in folder1"},
                                {"/z.txt", "Different - 2 is more recent"}}));
}

TEST_F(ScanFaults, LinkLoopsAndDanglingLinksEndTheScan)
{
    Put(Side(1) / "real.txt", "r");
    Put(Side(2) / "real.txt", "r");
    fs::create_directories(Side(1) / "sub");
    fs::create_symlink("self", Side(1) / "self");              // a file link to itself
    fs::create_symlink("pong", Side(1) / "ping");              // two links to each other
    fs::create_symlink("ping", Side(1) / "pong");
    fs::create_symlink("nowhere", Side(2) / "dangling");       // a link to nothing
    fs::create_directory_symlink("../..", Side(1) / "sub" / "top"); // above the compared folder
    ScanHost host(Side(1), Side(2));
    const Rows rows = Scan(host);
    // Links that cannot be opened are listed as they are. The link above the
    // folder holds both compared trees: following it would walk into them.
    EXPECT_EQ(rows.at("/real.txt"), "The same");
    for (const char *name : {"/self", "/ping", "/pong", "/dangling"})
        EXPECT_EQ(rows.count(name), 1u) << name;
    EXPECT_EQ(rows.count("/sub/top/two/real.txt"), 0u);
    EXPECT_EQ(rows.count("/sub/top/one/real.txt"), 0u);
}

TEST_F(ScanFaults, NamesWithNewlinesInvalidUtf8AndCaseOnlyDifferences)
{
    const std::string odd = "line\nbreak \xff\xfe.txt";
    Put(Side(1) / odd, "same");
    Put(Side(2) / odd, "same");
    Put(Side(1) / "Readme", "one", kTime + 1);
    Put(Side(1) / "README", "two");
    Put(Side(2) / "readme", "three");
    Put(Side(1) / "\x01\x7f", "control", kTime + 1);
    Put(Side(2) / "\x01\x7f", "CONTROL");
    ScanHost host(Side(1), Side(2));
    const Rows rows = Scan(host);
    EXPECT_EQ(rows.at("/" + odd), "The same");
    EXPECT_EQ(rows.at("/\x01\x7f"), "Different - 1 is more recent");
    // Three spellings of one name ignoring case: the list holds one row for
    // them, and every spelling was offered.
    int readmes = 0;
    for (const auto &[path, state] : rows)
        readmes += path == "/Readme" || path == "/README" || path == "/readme" ? 1 : 0;
    EXPECT_EQ(readmes, 1);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_GE(host.offers, 4);
}

TEST(ScanFaultsLarge, AHundredThousandFilesInOneFolder)
{
    constexpr int kFiles = 100000;
    const MemoryFolder dir;
    ASSERT_FALSE(dir.path().empty());
    fs::create_directories(dir / "one");
    fs::create_directories(dir / "two");
    for (int n = 0; n < kFiles; ++n) {
        const std::string name = "f" + std::to_string(n);
        const int fd = open((dir / "one" / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    Put(dir / "two" / "f7", "");
    Put(dir / "two" / "extra", "");
    ScanHost host(dir / "one", dir / "two");
    FolderScan scan(host);
    scan.Run((dir / "one").string(), (dir / "two").string());
    const Rows &rows = host.rows;
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(kFiles + 1));
    EXPECT_EQ(rows.at("/f7"), "The same");
    EXPECT_EQ(rows.at("/f99999"), "Only in folder1");
    EXPECT_EQ(rows.at("/extra"), "Only in folder2");
}

} // namespace
} // namespace lindo::test
