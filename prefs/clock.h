#pragma once
// The system clock behind an interface: the random generator is seeded from
// it and the start dialog shows today's date. TFixedClock is the test double.
#include <QDateTime>

namespace marvessa {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual QDateTime NowUtc() const = 0;
  virtual QDate Today() const = 0;  // local date
};

class TSystemClock : public IClock {
 public:
  QDateTime NowUtc() const override { return QDateTime::currentDateTimeUtc(); }
  QDate Today() const override { return QDate::currentDate(); }
};

class TFixedClock : public IClock {
 public:
  explicit TFixedClock(QDateTime utc) : now_(std::move(utc)) {}
  void Set(QDateTime utc) { now_ = std::move(utc); }
  QDateTime NowUtc() const override { return now_; }
  QDate Today() const override { return now_.toLocalTime().date(); }

 private:
  QDateTime now_;
};

}  // namespace marvessa
