#include "exam/session/time_counter.h"

#include "prefs/clock.h"

namespace marvessa {

TKZTimeCounter::TKZTimeCounter(const IClock& clock, TTimeText format, QObject* parent)
    : QObject(parent), clock_(clock), format_(std::move(format)), start_(clock.NowUtc()) {
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void TKZTimeCounter::SetEnabled(bool enabled) {
  if (enabled)
    timer_.start();
  else
    timer_.stop();
}

double TKZTimeCounter::Since(const QDateTime& moment) const {
  return static_cast<double>(moment.msecsTo(clock_.NowUtc())) / 86400000.0;
}

void TKZTimeCounter::SetCounting(bool counting) {
  if (counting == counting_) return;
  if (!counting) {
    stopped_ = format_.Parse(Elapsed());
  } else {
    start_ = clock_.NowUtc().addMSecs(-WholeSeconds(stopped_) * 1000);
  }
  counting_ = counting;
}

QString TKZTimeCounter::Elapsed() const { return format_.Format(counting_ ? Since(start_) : stopped_); }

void TKZTimeCounter::Restart() {
  start_ = clock_.NowUtc();
  stopped_ = 0;
}

}  // namespace marvessa
