#pragma once

namespace pixvue {

// The exit code by which the converter asks to be started again (a new language, for one).
inline constexpr int kRestartExitCode = 8888;

}  // namespace pixvue
