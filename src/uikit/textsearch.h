#pragma once

// Finding a text in a list of lines by their bytes, without turning any line
// into characters: a search of a million lines stays a plain scan of memory.
// Case is ignored for the ASCII letters only; every other byte must match as
// it is.

#include <cstddef>
#include <functional>
#include <string_view>

namespace lindo {

struct TextMatch {
    int line = -1; // -1: nothing found
    std::size_t byte = 0;
    std::size_t length = 0;
    bool wrapped = false; // found only after running past the end (or the start)

    bool Found() const { return line >= 0; }
};

// Where `needle` first occurs in `text` at or after byte `from`; npos for nowhere.
std::size_t FindBytes(std::string_view text, std::string_view needle, bool matchCase, std::size_t from = 0);
// Where the last occurrence of `needle` starting before byte `before` is; npos for none.
std::size_t FindBytesBefore(std::string_view text, std::string_view needle, bool matchCase, std::size_t before);

using LineBytes = std::function<std::string_view(int)>;

// The first occurrence at or after (line, byte) going forward, or the last
// one before it going backward; past the last (or first) line the search goes
// on from the other end, round to where it started.
TextMatch FindInLines(int lineCount, const LineBytes &lineAt, std::string_view needle, bool matchCase,
                      int line, std::size_t byte, bool forward);

} // namespace lindo
