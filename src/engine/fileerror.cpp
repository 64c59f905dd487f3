#include "engine/fileerror.h"

#include <cerrno>
#include <filesystem>

namespace lindo {

namespace {

constexpr std::size_t kMaxMessageLength = 1022;
// Stands for the file in a message when the user named none: an empty %1
// would read " was not found.", which says nothing.
constexpr std::string_view kNoFileName = "(no file name)";

std::string_view TemplateOf(FileErrorCause cause)
{
    switch (cause) {
    case FileErrorCause::Unknown:
        break;
    case FileErrorCause::FileNotFound:
        return "%1 was not found.";
    case FileErrorCause::BadPath:
        return "%1 contains an invalid path.";
    case FileErrorCause::TooManyOpenFiles:
        return "%1 could not be opened because there are too many open files.";
    case FileErrorCause::AccessDenied:
        return "Access to %1 was denied.";
    case FileErrorCause::InvalidFile:
        return "An invalid file handle was associated with %1.";
    case FileErrorCause::RemoveCurrentDir:
        return "%1 could not be removed because it is the current directory.";
    case FileErrorCause::DirectoryFull:
        return "%1 could not be created because the directory is full.";
    case FileErrorCause::BadSeek:
        return "Seek failed on %1";
    case FileErrorCause::HardIO:
        return "A hardware I/O error was reported while accessing %1.";
    case FileErrorCause::SharingViolation:
        return "A sharing violation occurred while accessing %1.";
    case FileErrorCause::LockViolation:
        return "A locking violation occurred while accessing %1.";
    case FileErrorCause::DiskFull:
        return "Disk full while accessing %1.";
    case FileErrorCause::EndOfFile:
        return "An attempt was made to access %1 past its end.";
    case FileErrorCause::OutOfMemory:
        return "Out of memory.";
    case FileErrorCause::Socket:
        return "%1 is a socket, not a file.";
    case FileErrorCause::PipeWithoutReader:
        return "%1 is a pipe with no reader.";
    }
    return "An unknown error occurred while accessing %1.";
}

} // namespace

FileErrorCause CauseFromErrno(int error)
{
    switch (error) {
    case ENOENT:
        return FileErrorCause::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
    case EILSEQ:
        return FileErrorCause::BadPath;
    case EMFILE:
    case ENFILE:
        return FileErrorCause::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // a folder is not a file the program can read or replace
        return FileErrorCause::AccessDenied;
    case EBADF:
        return FileErrorCause::InvalidFile;
    case ESPIPE:
        return FileErrorCause::BadSeek;
    case EIO:
    case ENXIO:
    case ENODEV:
        return FileErrorCause::HardIO;
    case ETXTBSY:
    case EBUSY:
        return FileErrorCause::SharingViolation;
    case ENOLCK:
    case EDEADLK:
        return FileErrorCause::LockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileErrorCause::DiskFull;
    case ENOMEM:
        return FileErrorCause::OutOfMemory;
    default:
        return FileErrorCause::Unknown;
    }
}

std::string AbsolutePathText(std::string_view path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), ec);
    if (ec)
        return std::string(path);
    return absolute.lexically_normal().string();
}

std::string FileErrorMessage(FileErrorCause cause, std::string_view path)
{
    std::string message(TemplateOf(cause));
    const std::size_t at = message.find("%1");
    if (at != std::string::npos)
        message.replace(at, 2, path.empty() ? std::string(kNoFileName) : AbsolutePathText(path));
    if (message.size() > kMaxMessageLength)
        message.resize(kMaxMessageLength);
    return message;
}

} // namespace lindo
