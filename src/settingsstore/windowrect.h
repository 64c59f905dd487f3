#pragma once

#include <cstdint>

namespace lindo {

// A window's outer rectangle (frame and caption included) in screen pixels,
// right and bottom exclusive: the record the windows save and restore.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    friend bool operator==(const WindowRect &, const WindowRect &) = default;
};

} // namespace lindo
