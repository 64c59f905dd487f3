#pragma once

// The file-level steps SafeFileWriter is made of, shared by its two source
// files.

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace lindo::safewrite {

// The folder a file name lies in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path &file);

// The letters that make a name unique: how many, and which.
inline constexpr std::size_t kUniqueLetters = 8;
inline constexpr std::string_view kUniqueAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";

// Creates a new file in folder named prefix followed by kUniqueLetters random
// ones of kUniqueAlphabet, with the given permissions (the umask applies); its name goes
// to created. The descriptor, or -1 with errno set.
int CreateUniquelyNamed(const std::filesystem::path &folder, const std::string &prefix, mode_t mode,
                        std::string &created);

// Writes every byte from the descriptor's position on.
// The program's own state folder: $XDG_STATE_HOME/lindo, else
// ~/.local/state/lindo; empty without either. Not made here.
std::filesystem::path StateFolder();

bool WriteAll(int fd, std::string_view bytes);
// Writes every byte from offset on, leaving the position alone.
bool WriteAllAt(int fd, std::string_view bytes, off_t offset);
// Flushes and closes fd; false when either fails (a file system that cannot
// flush this kind of file is no failure).
bool FlushAndClose(int fd);
// Flushes a folder, so that a rename in it lasts through a crash.
bool FlushFolder(const std::filesystem::path &folder);

// The descriptor a name stands for when it names one of this process's open
// descriptors (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N); -1 for
// any other name.
int DescriptorNamed(std::string_view path);

} // namespace lindo::safewrite
