#pragma once

// Replacing a file's contents without ever leaving it half-written: the bytes
// go to a fresh file beside the target, which is renamed over the target only
// once everything was written and flushed. A symbolic link is followed to the
// file it names (the link stays a link), the target's permissions are kept,
// a target we may not write to is refused (even where the folder would allow
// the rename), and so is a file with no write permission at all, whoever we
// are. A target that is not a regular file (a device, a pipe) is written
// directly, since it cannot be replaced by renaming.
//
// Where renaming cannot put the new contents in place (no new file can be
// made beside the target, a sticky folder keeps another user's file, or the
// target has other hard links that a new file would leave behind), the target
// is written in place: the bytes are gathered until Commit, which first
// reserves room for all of them, so that a full disk fails before any old
// byte is touched.

#include "engine/fileerror.h"

#include <optional>
#include <sys/types.h>
#include <string>
#include <string_view>

namespace lindo {

class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string path);
    ~SafeFileWriter(); // discards everything unless Commit succeeded
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    // Prepares the write; the failure's cause when the target cannot be written.
    std::optional<FileErrorCause> Open();
    // Appends bytes; a failed write counts as a full disk.
    std::optional<FileErrorCause> Write(std::string_view bytes);
    // Flushes and puts the new contents in place of the old.
    std::optional<FileErrorCause> Commit();

    const std::string &Path() const { return m_path; }

private:
    enum class Way {
        Replace, // a new file renamed over the target
        InPlace, // the target itself, once everything is gathered
        Direct,  // a device or pipe, written as the bytes come
    };

    std::optional<FileErrorCause> OpenInPlace();
    std::optional<FileErrorCause> CommitInPlace();
    std::optional<FileErrorCause> CommitReplacement();
    void Discard();

    std::string m_path;      // as the caller named it
    std::string m_target;    // after following symbolic links
    std::string m_temporary; // the new file beside the target (Way::Replace)
    std::string m_gathered;  // everything to write (Way::InPlace)
    off_t m_oldSize = 0;     // the target's size before (Way::InPlace)
    Way m_way = Way::Replace;
    int m_fd = -1;
};

} // namespace lindo
