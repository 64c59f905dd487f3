#pragma once

// What the folder comparison does with folder paths beyond the shared path
// text helpers (separator, JoinPath). Paths are byte strings in the local
// encoding.

#include "engine/pathtext.h"

#include <string>
#include <string_view>

namespace lindo {

// The folder as the scan searches it, in absolute form: a relative path is
// taken from the current folder, and a trailing separator as typed is kept.
// The empty path stays empty: it stands for the file-system root, whose
// entries are then named "/name". Entry paths begin with this text, so its
// length is what is cut off them to give relative paths.
std::string SearchFolder(const std::string &typed);

// ASCII letters folded to lower case; every other byte as it is.
std::string LowerCase(std::string_view text);

// Case-insensitive order: ASCII letters folded to lower case, then unsigned
// byte order. Negative, zero or positive as a is before, equal to or after b.
int CompareNoCase(std::string_view a, std::string_view b);

// The part of `path` below the folder `root`, without its leading
// separator; null when `path` is not below `root` (or is `root` itself).
// Points into `path`.
const char *PathBelow(std::string_view root, const std::string &path);

// Opens the folder at `path` with `flags` (open(2)'s): by its part below
// `root` through `rootHandle`, an open handle on `root`, when it lies below
// it, which the system walks in fewer steps than the whole path; else (and
// when `rootHandle` is -1) by the whole path. A handle, or -1 with errno set.
int OpenFolderBelow(int rootHandle, std::string_view root, const std::string &path, int flags);

} // namespace lindo
