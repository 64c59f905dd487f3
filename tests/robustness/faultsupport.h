#pragma once

// What the fault tests share: a record of everything in a folder (to prove
// that a failure changed nothing and left nothing behind), a reporter that
// keeps the engine's messages, and the merge output expected of two texts.

#include "engine/fileerror.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace lindo::test {

class RecordingReporter final : public FileErrorReporter {
public:
    void ReportFileError(const std::string &message) override { messages.push_back(message); }
    std::vector<std::string> messages;
};

// Every entry below a folder by its relative path: a file's bytes, a link's
// target, or a mark for a folder or anything else.
using FolderRecord = std::map<std::string, std::string>;

inline FolderRecord RecordFolder(const std::filesystem::path &folder)
{
    namespace fs = std::filesystem;
    FolderRecord record;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        // Lexically: resolving links here would name a link by its target.
        const std::string relative = it->path().lexically_relative(folder).string();
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status)) {
            record[relative] = "link -> " + fs::read_symlink(it->path()).string();
        } else if (fs::is_regular_file(status)) {
            std::string bytes;
            if (FILE *file = std::fopen(it->path().c_str(), "rb")) {
                char buffer[65536];
                for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
                    bytes.append(buffer, got);
                std::fclose(file);
            } else {
                bytes = "<unreadable>";
            }
            record[relative] = "file " + bytes;
        } else {
            record[relative] = fs::is_directory(status) ? "folder" : "other";
        }
    }
    return record;
}

// What differs between two records, one line per entry; empty when nothing does.
inline std::string RecordChanges(const FolderRecord &before, const FolderRecord &after)
{
    std::string changes;
    for (const auto &[name, content] : before) {
        const auto found = after.find(name);
        if (found == after.end())
            changes += "gone: " + name + "\n";
        else if (found->second != content)
            changes += "changed: " + name + " (" + std::to_string(content.size()) + " -> "
                       + std::to_string(found->second.size()) + " bytes)\n";
    }
    for (const auto &[name, content] : after) {
        if (before.find(name) == before.end())
            changes += "new: " + name + "\n";
    }
    return changes;
}

// Lines cut the simple way (at LF, one CR before it belongs to the line
// end), written back with CR LF: the merge of a text with itself when it has
// a line that occurs once, and the form every merged line takes.
inline std::string WithLineEnds(const std::string &text, const std::string &lineEnd)
{
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool lineFeed = end != std::string::npos;
        if (!lineFeed)
            end = text.size();
        std::size_t length = end - start;
        if (lineFeed && length > 0 && text[end - 1] == '\r')
            --length;
        out.append(text, start, length);
        out += lineEnd;
        start = lineFeed ? end + 1 : end;
    }
    return out;
}

// Lets an ordinary user (see RunWithoutPrivileges) into a folder made by root.
inline void OpenToEveryone(const std::filesystem::path &folder)
{
    chmod(folder.c_str(), 0777);
}

// A fresh folder in memory where the system has one (else in the temporary
// folder), removed with everything in it: for tests that make many files or
// many writes close together, which should not wait for a disk.
class MemoryFolder {
public:
    MemoryFolder()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "lindo-test-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~MemoryFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    MemoryFolder(const MemoryFolder &) = delete;
    MemoryFolder &operator=(const MemoryFolder &) = delete;

    const std::filesystem::path &path() const { return m_path; } // empty when none could be made
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace lindo::test
