#pragma once

// Reading a text file into lines, the way the platform's text-mode reading
// splits them: a line ends at LF, a CR directly before the LF belongs to the
// line end, a last line without a line end is still a line. Every other byte
// (lone CR, NUL, Ctrl-Z, invalid UTF-8) stays in the text as it is.

#include "engine/bytebuffer.h"
#include "engine/difftypes.h"
#include "engine/linekey.h"

#include <string>
#include <string_view>

namespace lindo {

// Reads every byte of an open file descriptor into buffer, to its end, even
// when the file grows meanwhile or is a pipe. Returns 0 or an errno value.
int ReadAllBytes(int fd, ByteBuffer &buffer);

// Opens path and reads it whole. Returns 0 or an errno value (EISDIR for a folder).
int ReadFileBytes(const std::string &path, ByteBuffer &buffer);

// ReadAllBytes for a file that may well be the same bytes as reference: same
// tells whether it is, and then buffer stays empty; otherwise buffer gets
// the file's bytes, as from ReadAllBytes.
int ReadAllBytesComparing(int fd, std::string_view reference, ByteBuffer &buffer, bool &same);
int ReadFileBytesComparing(const std::string &path, std::string_view reference, ByteBuffer &buffer, bool &same);

// Cuts bytes into lines (each with link -1 and textId 0, until TagLines
// tags them); the texts view into bytes.
void ReadLines(std::string_view bytes, DiffLines &lines);

// The number of lines ReadLines cuts from bytes.
std::size_t CountLines(std::string_view bytes);

// ReadLines without emptying or reserving: appends the lines of bytes.
void CutLines(std::string_view bytes, DiffLines &lines);

// Sets the textId of lines[from, to) to the tag of its text's key under
// keys (a KeyTagger's; with no option set, the text's TextTag).
void TagLines(DiffLines &lines, std::size_t from, std::size_t to, const LineKeyOptions &keys);

// The kinds of line end a text has.
struct LineEnds {
    bool crLf = false; // CR LF
    bool lf = false;   // LF without a CR before it
    bool operator==(const LineEnds &) const = default;
};

LineEnds FindLineEnds(std::string_view text);

// "LF", "CR LF", "LF and CR LF", or "no line end".
const char *LineEndsLabel(const LineEnds &ends);

} // namespace lindo
