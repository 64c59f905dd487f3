#include "folderscan/casespelling.h"

#include "folderscan/folderpath.h"

#include <filesystem>
#include <system_error>

namespace lindo {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string &path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// The first entry of `folder` named `name` ignoring case; empty when none.
std::string FindNoCase(const std::string &folder, std::string_view name)
{
    std::error_code error;
    fs::directory_iterator entries(folder.empty() ? std::string(1, kPathSeparator) : folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string entryName = entries->path().filename().string();
        if (CompareNoCase(entryName, name) == 0)
            return entryName;
    }
    return {};
}

} // namespace

std::string ExistingSpelling(std::string_view folder, std::string_view relative)
{
    const std::string joined = JoinPath(folder, relative);
    if (Exists(joined))
        return joined;
    std::string path(folder);
    std::size_t at = 0;
    while (at < relative.size()) {
        std::size_t end = relative.find(kPathSeparator, at);
        if (end == std::string_view::npos)
            end = relative.size();
        const std::string_view name = relative.substr(at, end - at);
        at = end + 1;
        if (name.empty())
            continue;
        std::string next = JoinPath(path, name);
        if (!Exists(next)) {
            const std::string found = FindNoCase(path, name);
            if (found.empty())
                return joined;
            next = JoinPath(path, found);
        }
        path = std::move(next);
    }
    return path;
}

} // namespace lindo
