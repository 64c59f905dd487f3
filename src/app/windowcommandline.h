#pragma once

namespace lindo {

// The window program's entry: no arguments open an empty window, two files
// open it comparing them, FILE1 BASE FILE2 [-o OUT] open the Three-way Merge
// window. Returns the process exit status.
int RunWindowCommandLine(int argc, char **argv);

} // namespace lindo
