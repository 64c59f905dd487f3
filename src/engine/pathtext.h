#pragma once

// Every splitting and joining of path texts goes through here, so the one
// place that knows this platform's separators is this file. On POSIX the
// separator is '/'; on Windows both '\' and '/' separate.

#include <string>
#include <string_view>

namespace lindo {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
constexpr bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
#else
constexpr char kPathSeparator = '/';
constexpr bool IsPathSeparator(char c) { return c == '/'; }
#endif

// Index of the last separator in path, or npos.
inline std::size_t LastSeparator(std::string_view path)
{
    for (std::size_t n = path.size(); n > 0; --n) {
        if (IsPathSeparator(path[n - 1]))
            return n - 1;
    }
    return std::string_view::npos;
}

// The part before the last separator; empty when there is none.
inline std::string FolderPart(std::string_view path)
{
    const std::size_t at = LastSeparator(path);
    return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at));
}

// The part after the last separator; the whole text when there is none.
inline std::string NamePart(std::string_view path)
{
    const std::size_t at = LastSeparator(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

// A folder path and a relative path joined with exactly one separator at the
// seam: one of two separators meeting there is dropped, a missing one added.
// Into a string of the caller's, which keeps its storage from join to join.
inline void JoinPathInto(std::string &joined, std::string_view folder, std::string_view relative)
{
    joined.assign(folder);
    const bool folderEnds = !folder.empty() && IsPathSeparator(folder.back());
    const bool relativeBegins = !relative.empty() && IsPathSeparator(relative.front());
    if (folderEnds && relativeBegins)
        relative.remove_prefix(1);
    else if (!folderEnds && !relativeBegins)
        joined += kPathSeparator;
    joined += relative;
}

// The same join into a new string.
inline std::string JoinPath(std::string_view folder, std::string_view relative)
{
    std::string joined;
    JoinPathInto(joined, folder, relative);
    return joined;
}

} // namespace lindo
