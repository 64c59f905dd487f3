#pragma once

// The example comparison the pane and dialog tests share.

namespace lindo::test {

// Side 1 }, a, }, b, } against side 2 a, }, e, }: side 1 has sections 0
// (only here, selected), 1-2 (matching), 3 (different), 4 (matching).
inline constexpr char kExample1[] = "}\na\n}\nb\n}\n";
inline constexpr char kExample2[] = "a\n}\ne\n}\n";

} // namespace lindo::test
