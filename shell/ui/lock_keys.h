// The state of the Caps Lock, Num Lock and Scroll Lock keys, read where the
// platform tells it.
#pragma once

#include <array>
#include <optional>

namespace orlen {

// Indexes into the answer of ReadLockKeys.
inline constexpr int kCapsLock = 0;
inline constexpr int kNumLock = 1;
inline constexpr int kScrollLock = 2;

// Whether each lock is on: on X11 from the keyboard's XKB indicators. None
// where the platform does not tell (offscreen, Wayland, a build without
// X11), so that no guess is shown.
std::optional<std::array<bool, 3>> ReadLockKeys();

} // namespace orlen
