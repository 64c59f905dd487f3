#include "folderscan/folderpath.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lindo {

namespace {

unsigned char Folded(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

std::string CurrentFolder()
{
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

std::string SearchFolder(const std::string &typed)
{
    if (typed.empty() || IsPathSeparator(typed.front()))
        return typed;
    const std::string current = CurrentFolder();
    if (current.empty())
        return typed;
    return JoinPath(current, typed);
}

const char *PathBelow(std::string_view root, const std::string &path)
{
    if (root.empty() || path.size() <= root.size() || !path.starts_with(root))
        return nullptr;
    const char *below = path.c_str() + root.size();
    if (IsPathSeparator(*below))
        ++below;
    else if (!IsPathSeparator(root.back()))
        return nullptr; // another folder whose name begins with the root's
    return *below != '\0' ? below : nullptr;
}

int OpenFolderBelow(int rootHandle, std::string_view root, const std::string &path, int flags)
{
    const char *below = rootHandle >= 0 ? PathBelow(root, path) : nullptr;
    return below ? openat(rootHandle, below, flags) : open(path.c_str(), flags);
}

std::string LowerCase(std::string_view text)
{
    std::string lower(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        lower[i] = static_cast<char>(Folded(text[i]));
    return lower;
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    // Paths compared here share long prefixes: skip equal bytes eight at a time.
    std::size_t i = 0;
    for (std::uint64_t wordA, wordB; i + sizeof wordA <= common; i += sizeof wordA) {
        std::memcpy(&wordA, a.data() + i, sizeof wordA);
        std::memcpy(&wordB, b.data() + i, sizeof wordB);
        if (wordA != wordB)
            break;
    }
    for (; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        const unsigned char ca = Folded(a[i]);
        const unsigned char cb = Folded(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace lindo
