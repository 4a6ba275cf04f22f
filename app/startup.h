// Timing of the start-up wait while the splash window shows.
#pragma once

#include <QtGlobal>

class QTime;

namespace quorvel {

// How long the start-up wait lasts, in milliseconds, when the clock reads
// `now`: until the seconds-since-midnight reading, rounded to the nearest
// whole second (halves to the even second), plus two seconds. Always between
// 1500 and 2500; the caller measures it on a monotonic timer, so a start just
// before midnight waits no longer than any other.
qint64 SplashWaitMs(const QTime& now);

// Longest pause between two passes of the wait. The passes only repeat work
// that is already done, so the wait does not spin through them.
inline constexpr int kStartPassPauseMs = 20;

}  // namespace quorvel
