// The exam timer against a clock the test moves: the remaining time shown,
// the expiry question, and the timer option; and the time texts it uses.
#include <QDialog>
#include <QTimer>
#include <stdexcept>

#include "exam/session/exam_session_doubles.h"
#include "exam/session/time_counter.h"
#include "exam/session/time_text.h"

namespace marvessa {
namespace {

TEST(TimeTextTest, FormatsAndParsesBack) {
  struct Case {
    const char* format;
    double minutes;
    const char* text;
  };
  const Case cases[] = {
      {"h:mm:ss", 90, "1:30:00"},
      {"h:mm:ss", 1, "0:01:00"},
      {"HH:mm:ss t", 90, "01:30:00"},      // the zone is left out
      {"h:mm:ss AP", 45, "12:45:00 \r"},   // hour 0 of a 12-hour clock
      {"h:mm:ss AP", 600, "10:00:00 \r"},  // the longest limit
      {"hh:mm:ss.zzz", 0.5, "00:00:30"},   // milliseconds dropped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const TTimeText t(c.format);
    const double fraction = c.minutes / 1440.0;
    EXPECT_EQ(t.Format(fraction), c.text);
    EXPECT_EQ(WholeSeconds(t.Parse(t.Format(fraction))), WholeSeconds(fraction));
  }
  EXPECT_EQ(TTimeText("h:mm:ss").Format(59.9 / 86400.0), "0:00:59");
  for (const char* bad : {"", "1:3x:00", "25:00:00", "1:30"})
    EXPECT_THROW(TTimeText("h:mm:ss").Parse(bad), std::runtime_error) << bad;
  // The program's own format parses what it writes.
  const TTimeText system = TTimeText::FromLocale();
  EXPECT_EQ(WholeSeconds(system.Parse(system.Format(5399 / 86400.0))), 5399);
}

TEST(TimeCounterTest, CountsOnTheWallClockAndStops) {
  TFixedClock clock(QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC));
  TKZTimeCounter counter(clock, TTimeText("h:mm:ss"));
  EXPECT_TRUE(counter.Counting());
  EXPECT_EQ(counter.Interval(), 1000);
  clock.Set(clock.NowUtc().addSecs(75));
  EXPECT_EQ(counter.Elapsed(), "0:01:15");
  counter.SetCounting(false);
  clock.Set(clock.NowUtc().addSecs(600));
  EXPECT_EQ(counter.Elapsed(), "0:01:15");
  counter.SetElapsed("9:99:99");  // stored only
  counter.SetCounting(true);
  clock.Set(clock.NowUtc().addSecs(5));
  EXPECT_EQ(counter.Elapsed(), "0:01:20");
  counter.Restart();
  EXPECT_EQ(counter.Elapsed(), "0:00:00");
}

class ExamTimerTest : public testing::ExamSessionTest {
 protected:
  void StartTimed(int minutes, bool timerOn = true) {
    TExamOptions o = session.Options();
    o.DefaultTime = minutes;
    o.TimerOn = timerOn;
    session.SetOptions(o);
    session.SetTimeFormat(TTimeText("h:mm:ss"));
    session.Execute(FindExamAction("Action3"));
    ASSERT_EQ(session.ExamMode(), Answering);
  }
  void After(int seconds) {
    clock.Set(clock.NowUtc().addSecs(seconds));
    session.Timer1().Tick();
  }
  size_t Expiries() const {
    return static_cast<size_t>(std::count_if(box.Messages().begin(), box.Messages().end(), [](const auto& m) {
      return m.text == "Your time has expired.\rDo you want continue the exam anyway?";
    }));
  }
};

TEST_F(ExamTimerTest, OneMinuteCountsDownAndExpiresOnceEvenWhenLate) {
  StartTimed(1);
  EXPECT_TRUE(view.last.timeVisible);
  EXPECT_EQ(view.last.timeText, "0:01:00");
  EXPECT_TRUE(session.Timer1().Enabled());
  After(30);
  EXPECT_EQ(view.last.timeText, "0:00:30");
  After(29);
  EXPECT_EQ(view.last.timeText, "0:00:01");
  EXPECT_EQ(Expiries(), 0u);
  // A late tick jumps from one second before the limit to one after it.
  box.Answer(mbOK);
  After(2);
  EXPECT_EQ(Expiries(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Information);
  EXPECT_EQ(box.Last().buttons, TMsgButtons(mbNo | mbOK));
  EXPECT_FALSE(session.Timer1().Enabled());
  EXPECT_EQ(view.last.timeText, "0:00:00");
  EXPECT_EQ(WholeSeconds(session.TimeUsed()), 61);
  // OK: the exam goes on untimed, the time hidden also across item changes.
  EXPECT_FALSE(view.last.timeVisible);
  session.NextButtonClick();
  EXPECT_FALSE(view.last.timeVisible);
  EXPECT_EQ(session.ExamMode(), Answering);
}

TEST_F(ExamTimerTest, NoAtExpiryGrades) {
  int graded = 0;
  session.OnGradeButtonClick = [&] { ++graded; };
  StartTimed(1);
  box.Answer(mbNo);
  After(60);
  EXPECT_EQ(Expiries(), 1u);
  EXPECT_EQ(graded, 1);
  EXPECT_TRUE(view.last.timeVisible);  // still showing 0:00:00 until grading hides it
  EXPECT_EQ(view.last.timeText, "0:00:00");
}

TEST_F(ExamTimerTest, TimerOptionOffAndSwitchedOnMidExam) {
  StartTimed(20, false);
  EXPECT_FALSE(view.last.timeVisible);
  EXPECT_FALSE(session.Timer1().Enabled());
  clock.Set(clock.NowUtc().addSecs(25 * 60));  // past the limit: nothing happens
  EXPECT_EQ(Expiries(), 0u);

  // Switched on after 25 minutes: a new count of the full 20 minutes.
  TExamOptions o = session.Options();
  o.TimerOn = true;
  session.SetOptions(o);
  EXPECT_TRUE(view.last.timeVisible);
  EXPECT_EQ(view.last.timeText, "0:20:00");
  After(1);
  EXPECT_EQ(view.last.timeText, "0:19:59");
  EXPECT_EQ(Expiries(), 0u);

  // Closing the exam stops it.
  box.Answer(mbYes);
  session.Button3Click();
  EXPECT_FALSE(view.last.timeVisible);
  EXPECT_FALSE(session.Timer1().Enabled());
}

TEST_F(ExamTimerTest, TicksArriveWhileAModalWindowIsOpen) {
  StartTimed(10);
  session.Timer1().SetInterval(5);
  clock.Set(clock.NowUtc().addSecs(90));
  QDialog modal;
  QString seen;
  QTimer::singleShot(50, &modal, [&] {
    seen = view.last.timeText;
    modal.reject();
  });
  modal.exec();
  EXPECT_EQ(seen, "0:08:30");
}

}  // namespace
}  // namespace marvessa
