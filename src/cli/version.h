#pragma once

namespace lindo {

// Shown by the About box and printed by --version.
inline constexpr char kVersionLine[] = "Lindo Prototype v0.24 build 16";

} // namespace lindo
