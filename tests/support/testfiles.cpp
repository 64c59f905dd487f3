#include "support/testfiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iconv.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>

namespace lindo::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lindo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only folders behind; make them writable so removal works.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void WriteFile(const std::filesystem::path &path, std::string_view bytes)
{
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FolderContents(const std::filesystem::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

static std::string Slurp(const std::filesystem::path &path)
{
    std::string text = ReadFile(path);
    std::filesystem::remove(path);
    return text;
}

RunResult RunCommand(const std::string &shellCommand)
{
    TempDir dir;
    const auto outPath = dir / "out";
    const auto errPath = dir / "err";
    const std::string full = shellCommand + " >" + ShellQuote(outPath.string()) + " 2>"
                             + ShellQuote(errPath.string());
    RunResult result;
    const int status = std::system(full.c_str());
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(outPath);
    result.err = Slurp(errPath);
    return result;
}

std::string ShellQuote(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

std::string Iconv(std::string_view text, const char *to)
{
    iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    std::string out(text.size() * 4 + 16, '\0');
    char *from = const_cast<char *>(text.data());
    std::size_t left = text.size();
    char *into = out.data();
    std::size_t room = out.size();
    const bool done = iconv(cd, &from, &left, &into, &room) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - room);
    return done ? out : std::string();
}

} // namespace lindo::test
