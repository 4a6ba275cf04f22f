#include "app/startup.h"

#include <QTime>

namespace quorvel {

qint64 SplashWaitMs(const QTime& now) {
  const qint64 ms = now.msecsSinceStartOfDay();
  qint64 seconds = ms / 1000;
  const qint64 fraction = ms % 1000;
  if (fraction > 500 || (fraction == 500 && seconds % 2 == 1)) ++seconds;
  return (seconds + 2) * 1000 - ms;
}

}  // namespace quorvel
