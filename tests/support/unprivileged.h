#pragma once

#include <functional>
#include <string>

namespace lindo::test {

// Runs `check` with the rights of an ordinary user, so that file modes apply:
// in this process when it is not root, otherwise in a child process that gives
// up root (to the "nobody" ids) first. Everything `check` touches must be
// reachable by that user. True when `check` returned true; false when it
// returned false, crashed, or the child could not give up root.
bool RunWithoutPrivileges(const std::function<bool()> &check);

// Captures everything written to the standard error stream (file descriptor 2,
// so Qt's own messages too) while the object lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // What was written so far; ends the capture.
    std::string Finish();

private:
    int m_saved = -1;
    int m_file = -1;
};

} // namespace lindo::test
