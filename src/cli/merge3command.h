#pragma once

#include <string_view>
#include <vector>

namespace lindo {

// `lindo --merge3 FILE1 BASE FILE2 [-o OUT] [--diff3] [-L LABEL]...`: the
// three-way merge written to standard output, or through the merge-file
// writer to OUT. args[0] is "--merge3". Returns the exit status as
// `git merge-file` and `diff3` do: 0 with no conflict left, 1 with
// conflicts, 2 after a message (usage, a file that cannot be read or written).
int RunMerge3Command(const std::vector<std::string_view> &args);

} // namespace lindo
