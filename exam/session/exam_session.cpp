#include "exam/session/exam_session.h"

#include "engine/table.h"
#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/session/exam_actions.h"
#include "exam/session/time_counter.h"
#include "prefs/message_box.h"
#include "prefs/settings_store.h"

namespace marvessa {

TExamOptions LoadExamOptions(const ISettingsStore& store) {
  TExamOptions o;
  o.ShowLearnBtn = ReadBoolean(store, "ShowLearnBtn", false);
  o.ShowCalcBtn = ReadBoolean(store, "ShowCalcBtn", true);
  o.TimerOn = ReadBoolean(store, "TimerOn", true);
  o.DefaultTime = ReadInteger(store, "DefaultTime", 90);
  return o;
}

TExamSession::TExamSession(Services services, TExamOptions options)
    : services_(services),
      options_(options),
      timer1_(std::make_unique<TKZTimeCounter>(services.clock, TTimeText::FromLocale())) {
  state_.learnVisible = options_.ShowLearnBtn;
  state_.calcVisible = options_.ShowCalcBtn;
  timer1_->OnTimer = [this] { Timer1Timer(); };
  services_.tables.dsCurrentSet.OnDataChange = [this](isam::TIsamDataSource&, isam::TIsamField* field) {
    dsCurrentSetDataChange(field);
  };
}

TExamSession::~TExamSession() { services_.tables.dsCurrentSet.OnDataChange = nullptr; }

void TExamSession::SetDialogs(IStartDialog& startDialog, IProgress& progress) {
  startDialog_ = &startDialog;
  progress_ = &progress;
  // A Random Exam keeps the time the field last had; the first one in a
  // process starts from the default time too.
  startDialog_->SetTimeMinutes(options_.DefaultTime);
}

void TExamSession::SetOptions(const TExamOptions& options) {
  const bool timerChanged = options.TimerOn != options_.TimerOn;
  options_ = options;
  state_.learnVisible = options_.ShowLearnBtn;
  state_.calcVisible = options_.ShowCalcBtn;
  if (timerChanged) StartTimer();  // shows the state as well
  else Show();
}

void TExamSession::Execute(int action) {
  if (action < 0 || action >= kExamActionCount || !startDialog_) return;
  const TExamAction& a = kExamActions[static_cast<size_t>(action)];
  if (!PrepareStart(a)) return;
  StartExam(a.source);
}

// Everything before the start dialog, by the kind of exam; false when the
// exam cannot start (an empty user set).
bool TExamSession::PrepareStart(const TExamAction& a) {
  isam::TIsamTable& bank = services_.tables.dtQSet;
  switch (a.source) {
    case TExamSource::Bank:
      PrepareStartDialog(false);
      startDialog_->SetCaption(a.dialogCaption);
      bank.SetFilter(a.filter);
      break;
    case TExamSource::RandomBank:
      startDialog_->SetCaption(a.dialogCaption);
      PrepareStartDialog(true);
      bank.SetFilter(kEligibleFilter);
      break;
    case TExamSource::UserSet: {
      isam::TIsamTable& users = services_.tables.dtUserSet;
      users.Open();
      if (users.IsTableEmpty()) {
        users.Close();
        services_.messages.Ask(TMsgKind::Information, "Marvessa", "User defined question set is empty!", mbOK);
        return false;
      }
      PrepareStartDialog(false);
      startDialog_->SetCaption(a.dialogCaption);
      break;
    }
  }
  examTitle_ = a.examTitle;
  return true;
}

void TExamSession::PrepareStartDialog(bool enableCount) {
  isam::TIsamTable& bank = services_.tables.dtQSet;
  bank.Open();
  bank.SetFilter(kEligibleFilter);
  bank.SetFiltered(true);
  int eligible = bank.CountRecords();
  bank.Close();
  startDialog_->SetQuestionCount(eligible, eligible, enableCount);
}

bool TExamSession::ConfirmStart() {
  if (!startDialog_->Execute()) return false;
  // BitBtn1Click
  candidateName_ = startDialog_->CandidateName();
  timeLimit_ = startDialog_->TimeMinutes() / 1440.0;
  return true;
}

void TExamSession::StartExam(TExamSource source) {
  // The time field of a Random Exam keeps its last value.
  if (source != TExamSource::RandomBank) startDialog_->SetTimeMinutes(options_.DefaultTime);
  if (!ConfirmStart()) return;
  state_.label3 = examTitle_;
  mode_ = Idle;
  try {
    BuildSet(source, source == TExamSource::RandomBank ? startDialog_->QuestionCount() : -1);
  } catch (...) {
    // A set that failed part-way (a damaged bank) must not strand the
    // window: the tables close and the selection view stays usable for the
    // next start. The error itself is shown by the caller's error display.
    try {
      CloseCurrentExam();
    } catch (...) {
    }
    throw;
  }
  state_.noteVisible = source != TExamSource::UserSet;  // notes belong to bank items
  BeginAnswering();
}

void TExamSession::BuildSet(TExamSource source, int count) {
  TExamSetBuilder builder{services_.tables.dtCurrentSet, *progress_, random_, services_.clock};
  TExamSetResult result;
  if (source == TExamSource::UserSet) {
    isam::TIsamTable& users = services_.tables.dtUserSet;
    if (!users.Active()) users.Open();
    result = builder.BuildUserSet(users);
  } else {
    isam::TIsamTable& bank = services_.tables.dtQSet;
    bank.SetFiltered(true);
    bank.Open();
    result = source == TExamSource::RandomBank ? builder.BuildRandomSet(bank, count) : builder.BuildExamSet(bank);
  }
  firstRecNo_ = result.FirstRecNo;
  itemCount_ = result.ItemCount;
  ResetResponses(services_.tables.dtCurrentSet, services_.responses);
}

void TExamSession::BeginAnswering() {
  mode_ = Answering;
  ExamControls();
  services_.tables.dtCurrentSet.MoveFirst();
  StartTimer();
}

void TExamSession::ExamControls() {
  state_.selectionVisible = false;
  state_.itemViewVisible = true;
  state_.buttonBarVisible = true;
  state_.titleVisible = false;
  state_.itemLabelsVisible = true;
  state_.markBoxVisible = true;
  state_.timeVisible = true;
  state_.reviewLabelVisible = false;
  state_.correctLabelVisible = false;
  state_.gradeCaption = "Grade Now";
  state_.examsMenuEnabled = false;
  state_.printEnabled = true;
  state_.learnEnabled = true;
  Show();
}

void TExamSession::SetExamMode(TExamMode mode) {
  mode_ = mode;
  if (mode_ != Idle) dsCurrentSetDataChange(nullptr);
}

void TExamSession::PrevButtonClick() { services_.tables.dtCurrentSet.MovePrior(); }

void TExamSession::NextButtonClick() { services_.tables.dtCurrentSet.MoveNext(); }

void TExamSession::GradeButtonClick() {
  if (OnGradeButtonClick) OnGradeButtonClick();
}

void TExamSession::Button3Click() {
  if (services_.messages.Ask(TMsgKind::Confirmation, "Marvessa", "Are you sure you wish to end this exam?",
                             mbYes | mbNo) == mbYes)
    CloseCurrentExam();
}

void TExamSession::CloseCurrentExam() {
  mode_ = Idle;
  isam::TIsamTable& bank = services_.tables.dtQSet;
  bank.SetFilter("");
  bank.SetFiltered(false);
  bank.Close();
  services_.tables.dtCurrentSet.Close();
  services_.tables.dtUserSet.Close();
  state_.buttonBarVisible = false;
  state_.titleVisible = true;
  state_.examsMenuEnabled = true;
  state_.itemLabelsVisible = false;
  state_.markBoxVisible = false;
  state_.correctLabelVisible = false;
  StopTimer();
  state_.reviewLabelVisible = false;
  state_.printEnabled = false;
  state_.itemViewVisible = false;
  state_.selectionVisible = true;
  state_.noteVisible = true;
  Show();
}

bool TExamSession::FormCloseQuery() {
  if (mode_ != Answering) return true;
  return services_.messages.Ask(TMsgKind::Warning, "Marvessa", "This exam is not completed.\rAre you shure ?",
                                mbOK | mbCancel) == mbOK;
}

}  // namespace marvessa
