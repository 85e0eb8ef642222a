#pragma once

// How long a test waits for what a machine can be slow to bring (a camera's first frame, a
// finished file, another thread's work): the suite runs its tests side by side, under the
// sanitizers too, where the default five seconds are not always enough.
inline constexpr int generous = 30000; // ms
