#pragma once

// Decides whether two files hold the same bytes, and which was written last.

#include <cstdint>
#include <string>
#include <vector>

namespace lindo {

class FileComparer {
public:
    // A path "is there" when it names something other than a folder (a
    // pipe, a device or a dangling link is there, though it cannot be
    // compared); only regular files open.
    enum class Outcome {
        Missing1,     // the first path is not there
        Missing2,     // the first path is there, the second is not
        Unreadable1,  // both are there, the first cannot be opened for reading
        Unreadable2,  // both are there, the first opens, the second cannot
        Same,         // equal bytes
        Different,    // different bytes
        ReadError,    // a read failed part-way; the files count as different
    };

    struct Result {
        Outcome outcome = Outcome::Missing1;
        // Last-write times in whole seconds; set when both files opened.
        std::int64_t time1 = 0;
        std::int64_t time2 = 0;
    };

    // Only regular files (symbolic links followed) open: a folder, a device
    // or a pipe counts as a file that cannot be opened, so the comparison
    // never waits on a pipe nor reads a device without end. Files of
    // different sizes differ without being read.
    Result Compare(const std::string &path1, const std::string &path2);

    // Bytes read from each file at a time.
    static constexpr std::size_t kBlockSize = 256 * 1024;

private:
    std::vector<char> m_block1;
    std::vector<char> m_block2;
};

} // namespace lindo
