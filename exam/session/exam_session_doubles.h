#pragma once
// The exam session without any window: a scripted start dialog, a recording
// view, a progress window that shows nothing, the scripted message box and
// a clock the test sets.
#include <gtest/gtest.h>

#include <algorithm>

#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/data/test_bank.h"
#include "exam/session/exam_actions.h"
#include "exam/session/exam_session.h"
#include "prefs/clock.h"
#include "prefs/message_box.h"

namespace marvessa::testing {

struct TScriptedStartDialog : IStartDialog {
  QString caption;
  int maximum = 0, count = 0, minutes = 0;
  bool countEnabled = false, ok = true;
  int shown = 0;
  void SetCaption(const QString& c) override { caption = c; }
  void SetQuestionCount(int m, int v, bool e) override {
    maximum = m;
    count = v;
    countEnabled = e;
  }
  void SetTimeMinutes(int m) override { minutes = std::clamp(m, 1, 600); }
  bool Execute() override {
    ++shown;
    return ok;
  }
  QString CandidateName() const override { return "Kim"; }
  int TimeMinutes() const override { return minutes; }
  int QuestionCount() const override { return count; }
};

struct TRecordingView : IExamView {
  int applied = 0;
  TExamViewState last;
  void Apply(const TExamViewState& s) override {
    ++applied;
    last = s;
  }
};

struct TNoProgress : IProgress {
  void Show() override {}
  void SetMaximum(int) override {}
  void SetPosition(int) override {}
  void Close() override {}
};

class ExamSessionTest : public ::testing::Test {
 protected:
  ExamSessionTest() { session.SetDialogs(dialog, progress); }
  testing::TBankFolder folder;
  TQuestionTables tables;
  TResponseTable responses;
  TScriptedStartDialog dialog;
  TNoProgress progress;
  TScriptedMessageBox box;
  TFixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::UTC)};
  TRecordingView view;
  TExamSession session{{tables, responses, box, clock, view}, TExamOptions{}};
};

}  // namespace marvessa::testing
