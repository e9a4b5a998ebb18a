// The operating-system version probes the framework acts on: whether the
// system keeps per-user data folders (version 6 or later) and whether it is
// of the old 9x family. Both answers are asked once and kept.
#pragma once

namespace Lumo {

// Major version 6 or later. Asks the extended version record first, then the
// basic one; when both fail the answer is false and is asked again next time.
bool IsWindowsVersion6OrLater();

// Platform id 1 (the 9x family); asked once.
bool IsWin9x();

namespace detail {
// Forgets both cached answers, so a test can ask again with another
// source of version answers installed.
void ResetSystemVersionCache();
} // namespace detail

} // namespace Lumo
