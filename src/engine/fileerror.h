#pragma once

// File failures as the user sees them: one cause per row of the message
// table, each with its text; %1 stands for the file's absolute path.

#include <string>
#include <string_view>

namespace lindo {

enum class FileErrorCause {
    Unknown,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    RemoveCurrentDir,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
    OutOfMemory,
    // Not in the table: targets that are no files at all.
    Socket,
    PipeWithoutReader,
};

// Maps an errno value onto the table's causes.
FileErrorCause CauseFromErrno(int error);

// The user's message for a cause, %1 replaced by the absolute form of path
// ("(no file name)" when path is empty) and the whole cut to at most 1022
// characters.
std::string FileErrorMessage(FileErrorCause cause, std::string_view path);

// The absolute, lexically normalised form of a path as typed.
std::string AbsolutePathText(std::string_view path);

// The engine reports file failures through this; it never shows anything
// itself. The window puts the message into an "Error" box, the command line
// prints it.
class FileErrorReporter {
public:
    virtual ~FileErrorReporter() = default;
    virtual void ReportFileError(const std::string &message) = 0;
};

} // namespace lindo
