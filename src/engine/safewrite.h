#pragma once

// Replacing a file's contents without ever leaving it half-written: the bytes
// go to a fresh file beside the target, which is renamed over the target only
// once everything was written and flushed, and the folder is flushed after.
// A symbolic link is followed to the file it names (the link stays a link).
// The new file is made no more readable than the target (0600 until the
// target's owner, group, mode, access control list and extended attributes
// have been carried over to it). A target we may not write to is refused
// (even where the folder would allow the rename), and so is a file with no
// write permission at all, whoever we are.
//
// Where renaming cannot put the new contents in place with everything the
// old file had (no new file can be made beside the target, a sticky folder
// keeps another user's file, the target has other hard links that a new file
// would leave behind, part of its owner or attributes cannot be carried over,
// or the target is a mount point), the target is written in place: the bytes
// are gathered until Commit, which locks the target, reserves room for them
// without changing its size, and keeps a whole copy of the old contents
// (beside the target, or in the program's state folder) until the new ones
// are complete and flushed. A write that fails part way leaves that copy and
// names it in the failure message.
//
// A target that is not a regular file (a device, a pipe, the standard output
// named as /dev/stdout or /dev/fd/N) is written as it is, as the bytes come:
// a standard stream through the descriptor already open, so that a redirect
// that appends keeps appending. A pipe with no reader is refused at once.

#include "engine/fileerror.h"

#include <optional>
#include <sys/stat.h>
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

    // The user's message for a failure of this writer: the cause's text, and
    // where the old contents were kept when a write in place failed part way.
    std::string FailureMessage(FileErrorCause cause) const;

    const std::string &Path() const { return m_path; }
    // The whole copy of the old contents that a failed write in place left
    // behind; empty when there is none.
    const std::string &KeptCopy() const { return m_keptCopy; }

private:
    enum class Way {
        Replace, // a new file renamed over the target
        InPlace, // the target itself, once everything is gathered
        Direct,  // a device or pipe, written as the bytes come
    };

    std::optional<FileErrorCause> OpenDirect(const struct stat &existing);
    std::optional<FileErrorCause> OpenReplacement(const struct stat *existing);
    std::optional<FileErrorCause> OpenInPlace();
    bool CarryOver(const struct stat &existing);
    std::optional<FileErrorCause> CommitInPlace();
    std::optional<FileErrorCause> WriteOverTarget();
    std::optional<FileErrorCause> KeepOldContents(off_t oldSize);
    std::optional<FileErrorCause> CommitReplacement();
    std::optional<FileErrorCause> ReplaceInPlaceInstead();
    void ForgetTemporary();
    void Discard();

    std::string m_path;      // as the caller named it
    std::string m_target;    // after following symbolic links
    std::string m_temporary; // the new file beside the target (Way::Replace)
    std::string m_gathered;  // everything to write (Way::InPlace)
    std::string m_keptCopy;  // the old contents while a write in place lasts
    Way m_way = Way::Replace;
    int m_fd = -1;
    int m_slot = -1; // where the signal clean-up finds m_temporary
};

// Removes the temporary file of every writer at work in this process. Safe to
// call from a signal handler, so that a program ended by a signal leaves no
// temporary file behind.
void RemoveWriterTemporary();

} // namespace lindo
