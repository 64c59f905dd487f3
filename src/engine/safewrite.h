#pragma once

// Replacing a file's contents without ever leaving it half-written: the bytes
// go to a fresh file beside the target, which is renamed over the target only
// once everything was written and flushed. A symbolic link is followed to the
// file it names (the link stays a link), the target's permissions are kept,
// a target we may not write to is refused (even where the folder would allow
// the rename), and so is a file with no write permission at all, whoever we
// are. A target that is not a regular file (a device, a pipe) is written
// directly, since it cannot be replaced by renaming.

#include "engine/fileerror.h"

#include <optional>
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
    void Discard();

    std::string m_path;         // as the caller named it
    std::string m_target;       // after following symbolic links
    std::string m_temporary;    // empty when writing the target directly
    int m_fd = -1;
};

} // namespace lindo
