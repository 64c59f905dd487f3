// The input describes two small folder trees, which are made in a temporary
// folder; then the scan reads and pairs them. Every file of either tree must
// be offered, nothing else may be, and a path with no case twin must carry
// the state its two files call for.
//
// Input: one byte that may ask for a stop after some steps (and whose low
//   bit, below 0xF0, says that nothing between the steps changes the files,
//   so that pairs are compared without their stamps), then records of
//   flags, name length, name bytes, content length, content bytes.
// Flags: bits 0-1 the sides (1, 2, else both); bit 2 a folder, which the
// following records go into; bit 3 side 2's content differs; bit 4 side 2
// spells the name with ASCII case swapped; bit 5 leave the current folder
// after this record; bits 6 and 7 make side 1's or side 2's file a second
// newer. Empty names, "." and ".." are skipped; '/' becomes '\' and NUL a
// newline, so names carry odd bytes but stay names.

#include "engine/diffengine.h"
#include "folderscan/folderpath.h"
#include "folderscan/folderrowlist.h"
#include "folderscan/folderscan.h"
#include "fuzzcheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace lindo;
namespace fs = std::filesystem;

constexpr std::size_t kMaxRecords = 48;
constexpr std::size_t kMaxDepth = 4;
constexpr std::int64_t kBaseTime = 1600000000;

struct Reader {
    const std::uint8_t *data;
    std::size_t size;
    std::size_t at = 0;

    bool AtEnd() const { return at >= size; }
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    std::string Bytes(std::size_t count)
    {
        std::string bytes;
        for (std::size_t n = 0; n < count && at < size; ++n)
            bytes += static_cast<char>(data[at++]);
        return bytes;
    }
};

struct MadeFile {
    std::string content;
    std::int64_t time = 0;
};

// What was made on disk, by relative path as the scan cuts it ("/a/b").
struct Trees {
    std::map<std::string, MadeFile> files[2];
};

std::string Sanitised(std::string name)
{
    for (char &c : name) {
        if (c == '/')
            c = '\\';
        else if (c == '\0')
            c = '\n';
    }
    return name;
}

std::string SwappedCase(std::string name)
{
    for (char &c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool MakeFile(const std::string &path, const std::string &content, std::int64_t time)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return false;
    const bool written = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    const timespec times[2] = {{time, 0}, {time, 0}};
    futimens(fd, times);
    close(fd);
    return written;
}

// One folder being filled: its relative path on each side, and the sides it exists on.
struct Level {
    std::string relative[2];
    int sides = 3;
};

void Build(Reader &input, const std::string roots[2], Trees &trees)
{
    std::vector<Level> stack{Level{}};
    for (std::size_t record = 0; record < kMaxRecords && !input.AtEnd(); ++record) {
        const std::uint8_t flags = input.Byte();
        const std::string name = Sanitised(input.Bytes(input.Byte() % 12));
        const std::string content = input.Bytes(input.Byte() % 24);
        const Level &level = stack.back();
        int sides = flags & 3;
        if (sides == 0)
            sides = 3;
        sides &= level.sides;
        const bool skip = name.empty() || name == "." || name == ".." || sides == 0;
        Level entered;
        entered.sides = 0;
        for (int s = 0; s < 2 && !skip; ++s) {
            if (!(sides & (1 << s)))
                continue;
            const std::string own = s == 1 && (flags & 0x10) ? SwappedCase(name) : name;
            const std::string relative = level.relative[s] + "/" + own;
            const std::string path = roots[s] + relative;
            if (flags & 0x04) {
                if (mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && fs::is_directory(path))) {
                    entered.relative[s] = relative;
                    entered.sides |= 1 << s;
                }
                continue;
            }
            MadeFile made{content + (s == 1 && (flags & 0x08) ? "x" : ""),
                          kBaseTime + ((flags >> (6 + s)) & 1)};
            if (MakeFile(path, made.content, made.time))
                trees.files[s][relative] = made;
        }
        if (entered.sides != 0 && stack.size() < kMaxDepth)
            stack.push_back(entered);
        else if ((flags & 0x20) && stack.size() > 1)
            stack.pop_back();
    }
}

class Host final : public FolderScanHost {
public:
    Host(const std::string roots[2], int stopAfter, bool pumpMayChangeFiles)
        : m_roots{roots[0], roots[1]}
        , m_stopAfter(stopAfter)
        , m_pumpMayChangeFiles(pumpMayChangeFiles)
        , m_rows(m_engine)
    {
        m_engine.exceptionStringsEnabled = 0;
    }

    bool PumpMessages() override { return m_stopAfter > 0 && ++m_pumps >= m_stopAfter; }
    std::string FolderPath(int side) override { return m_roots[side == 1 ? 0 : 1]; }
    int ReadFoldersShowSame() override { return 1; }
    void OfferRow(const std::string &relativePath, FolderState state) override
    {
        offered.emplace_back(relativePath, state);
        m_rows.AddRow(relativePath, state);
    }
    void ShowStatus(std::string_view) override {}
    bool PumpMayChangeFiles() override { return m_pumpMayChangeFiles; }

    int AdmittedRows() const { return m_rows.Count(); }

    std::vector<std::pair<std::string, FolderState>> offered;

private:
    std::string m_roots[2];
    int m_stopAfter;
    bool m_pumpMayChangeFiles;
    int m_pumps = 0;
    DiffEngine m_engine;
    FolderRowList m_rows;
};

FolderState ExpectedState(const Trees &trees, const std::string &relative)
{
    const auto one = trees.files[0].find(relative);
    const auto two = trees.files[1].find(relative);
    if (one == trees.files[0].end())
        return FolderOnlyIn2;
    if (two == trees.files[1].end())
        return FolderOnlyIn1;
    if (one->second.content == two->second.content)
        return FolderSame;
    if (one->second.time != two->second.time)
        return one->second.time > two->second.time ? FolderNewer1 : FolderNewer2;
    return FolderSameTime;
}

void Check(const Trees &trees, const Host &host, const FolderScan &scan)
{
    // Every path made on disk, against how many made paths share it ignoring case.
    std::vector<std::string> made;
    for (const auto &side : trees.files) {
        for (const auto &[relative, file] : side)
            made.push_back(relative);
    }
    const auto twins = [&made](const std::string &relative) {
        int count = 0;
        for (const std::string &other : made)
            count += CompareNoCase(other, relative) == 0 && other != relative ? 1 : 0;
        return count;
    };

    std::vector<std::string> distinct;
    for (const auto &[relative, state] : host.offered) {
        bool known = false;
        for (const std::string &other : made)
            known = known || CompareNoCase(other, relative) == 0;
        FUZZ_CHECK(known);
        if (twins(relative) == 0)
            FUZZ_CHECK(state == ExpectedState(trees, relative));
        bool listed = false;
        for (const std::string &seen : distinct)
            listed = listed || CompareNoCase(seen, relative) == 0;
        if (!listed)
            distinct.push_back(relative);
    }
    FUZZ_CHECK(host.AdmittedRows() == static_cast<int>(distinct.size()));
    // Every file made here can be read, and equal times with other bytes are
    // said by their row alone: nothing is inconsistent.
    FUZZ_CHECK(!scan.HadInconsistency());
    if (scan.WasStopped())
        return;
    for (const std::string &relative : made) {
        bool offered = false;
        for (const auto &row : host.offered)
            offered = offered || CompareNoCase(row.first, relative) == 0;
        FUZZ_CHECK(offered);
    }
}

std::string ScratchFolder()
{
    std::error_code ec;
    const char *base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/lindo-scan-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    return pattern;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string scratch = ScratchFolder();
    Reader input{data, size};
    const std::uint8_t stop = input.Byte();
    const int stopAfter = stop >= 0xF0 ? stop - 0xEF : 0;

    const std::string roots[2] = {scratch + "/1", scratch + "/2"};
    std::error_code ec;
    fs::remove_all(scratch + "/1", ec);
    fs::remove_all(scratch + "/2", ec);
    FUZZ_CHECK(fs::create_directory(roots[0]) && fs::create_directory(roots[1]));

    Trees trees;
    Build(input, roots, trees);
    Host host(roots, stopAfter, stopAfter > 0 || (stop & 1) == 0);
    FolderScan scan(host);
    scan.Run(roots[0], roots[1]);
    FUZZ_CHECK(!scan.IsRunning());
    Check(trees, host, scan);
    return 0;
}
