#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lindo::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Writes the bytes exactly as given (no line-end translation); creates parent folders.
void WriteFile(const std::filesystem::path &path, std::string_view bytes);

// The file's bytes, or an empty string when it cannot be read.
std::string ReadFile(const std::filesystem::path &path);

// The names of the entries directly in a folder, sorted: a test compares them
// with the names it expects to prove that nothing else, such as a temporary
// file, was left behind.
std::vector<std::string> FolderContents(const std::filesystem::path &folder);

// Result of running a program to its end.
struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a command through /bin/sh, capturing standard output and standard error.
RunResult RunCommand(const std::string &shellCommand);

// Quotes a text for /bin/sh.
std::string ShellQuote(std::string_view text);

// The bytes of UTF-8 text in the converter's encoding `to`, or "" when it
// has no place for them: the tests' own way to write a file in an encoding.
std::string Iconv(std::string_view text, const char *to);

} // namespace lindo::test
