#pragma once
// TKZTimeCounter: a periodic timer (Enabled, Interval, OnTimer) that also
// counts the time since its start moment on the wall clock, so the count
// goes on correctly whatever the ticks do (late ticks, modal windows).
// Elapsed gives the count as a time text.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "exam/session/time_text.h"

namespace marvessa {

class IClock;

class TKZTimeCounter : public QObject {
 public:
  TKZTimeCounter(const IClock& clock, TTimeText format, QObject* parent = nullptr);

  bool Enabled() const { return timer_.isActive(); }
  void SetEnabled(bool enabled);
  int Interval() const { return timer_.interval(); }
  void SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }
  std::function<void()> OnTimer;
  // Runs the tick handler as the periodic timer does.
  void Tick() {
    if (OnTimer) OnTimer();
  }

  bool Counting() const { return counting_; }
  void SetCounting(bool counting);
  // While counting: now minus the start moment; else the stopped count.
  QString Elapsed() const;
  // Stored only; reading Elapsed is not affected.
  void SetElapsed(const QString& text) { elapsedText_ = text; }
  void Restart();

  const TTimeText& TimeFormat() const { return format_; }
  void SetTimeFormat(TTimeText format) { format_ = std::move(format); }

 private:
  double Since(const QDateTime& moment) const;

  const IClock& clock_;
  TTimeText format_;
  QTimer timer_;
  bool counting_ = true;
  QDateTime start_;
  double stopped_ = 0;
  QString elapsedText_;
};

}  // namespace marvessa
