#pragma once

namespace lindo {

// The program's entry: runs the headless modes (--merge, --sections, --help,
// --version) without touching any display, and otherwise the windows.
// Returns the process exit status.
int RunCommandLine(int argc, char **argv);

} // namespace lindo
