#include "support/unprivileged.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lindo::test {

namespace {
constexpr uid_t kNobody = 65534;
constexpr int kChildPassed = 0;
constexpr int kChildFailed = 1;
} // namespace

bool RunWithoutPrivileges(const std::function<bool()> &check)
{
    if (geteuid() != 0)
        return check();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(kChildFailed);
        bool passed = false;
        try {
            passed = check();
        } catch (...) {
            passed = false;
        }
        std::fflush(nullptr);
        _exit(passed ? kChildPassed : kChildFailed);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == kChildPassed;
}

StderrCapture::StderrCapture()
{
    std::fflush(stderr);
    char name[] = "/tmp/lindo-stderr-XXXXXX";
    m_file = mkstemp(name);
    if (m_file < 0)
        return;
    unlink(name);
    m_saved = dup(STDERR_FILENO);
    dup2(m_file, STDERR_FILENO);
}

StderrCapture::~StderrCapture()
{
    Finish();
}

std::string StderrCapture::Finish()
{
    if (m_file < 0)
        return {};
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
    std::string text;
    char buffer[4096];
    lseek(m_file, 0, SEEK_SET);
    for (ssize_t got; (got = read(m_file, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    close(m_file);
    m_file = -1;
    m_saved = -1;
    return text;
}

} // namespace lindo::test
