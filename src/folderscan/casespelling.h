#pragma once

// The folder comparison pairs files whose relative paths differ in letter
// case only, and a row shows one side's spelling. On a file system that tells
// case apart, the other side's file must then be found by its own spelling.

#include <string>
#include <string_view>

namespace lindo {

// JoinPath(folder, relative) when that names an existing entry. Otherwise,
// component by component below `folder`, each missing name is replaced by the
// first entry of its folder (in the folder's own order, as the scan reads it)
// whose name equals it ignoring ASCII case. When no such spelling exists the
// joined path is returned unchanged.
std::string ExistingSpelling(std::string_view folder, std::string_view relative);

} // namespace lindo
