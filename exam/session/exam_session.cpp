#include "exam/session/exam_session.h"

#include "engine/table.h"
#include "exam/data/qt_text.h"
#include "exam/data/question_tables.h"
#include "exam/data/response_table.h"
#include "exam/session/exam_actions.h"
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
    : services_(services), options_(options) {
  state_.learnVisible = options_.ShowLearnBtn;
  services_.tables.dsCurrentSet.OnDataChange = [this](isam::TIsamDataSource&, isam::TIsamField* field) {
    dsCurrentSetDataChange(field);
  };
}

TExamSession::~TExamSession() { services_.tables.dsCurrentSet.OnDataChange = nullptr; }

void TExamSession::Execute(int action) {
  if (action < 0 || action >= kExamActionCount) return;
  switch (kExamActions[static_cast<size_t>(action)].source) {
    case TExamSource::Bank: StartBankExam(action); break;
    case TExamSource::RandomBank: RunRandomExam(action); break;
    case TExamSource::UserSet: RunUserExam(action); break;
  }
}

void TExamSession::StartBankExam(int action) {
  const TExamAction& a = kExamActions[static_cast<size_t>(action)];
  PrepareStartDialog(false);
  services_.startDialog.SetCaption(a.dialogCaption);
  examTitle_ = a.examTitle;
  services_.tables.dtQSet.SetFilter(a.filter);
  StartExam();
}

void TExamSession::RunRandomExam(int action) {
  const TExamAction& a = kExamActions[static_cast<size_t>(action)];
  services_.startDialog.SetCaption(a.dialogCaption);
  PrepareStartDialog(true);
  examTitle_ = a.examTitle;
  services_.tables.dtQSet.SetFilter(kEligibleFilter);
  // The time field keeps the value it had when the dialog last closed.
  if (!ConfirmStart()) return;
  state_.label3 = examTitle_;
  mode_ = Idle;
  isam::TIsamTable& bank = services_.tables.dtQSet;
  bank.SetFiltered(true);
  bank.Open();
  TExamSetBuilder builder{services_.tables.dtCurrentSet, services_.progress, random_, services_.clock};
  TExamSetResult result = builder.BuildRandomSet(bank, services_.startDialog.QuestionCount());
  firstRecNo_ = result.FirstRecNo;
  itemCount_ = result.ItemCount;
  ResetResponses(services_.tables.dtCurrentSet, services_.responses);
  BeginAnswering();
}

void TExamSession::RunUserExam(int action) {
  const TExamAction& a = kExamActions[static_cast<size_t>(action)];
  isam::TIsamTable& users = services_.tables.dtUserSet;
  users.Open();
  if (users.IsTableEmpty()) {
    users.Close();
    services_.messages.Ask(TMsgKind::Information, "Marvessa", "User defined question set is empty!", mbOK);
    return;
  }
  PrepareStartDialog(false);
  services_.startDialog.SetCaption(a.dialogCaption);
  examTitle_ = a.examTitle;
  StartUserExam();
}

void TExamSession::PrepareStartDialog(bool enableCount) {
  isam::TIsamTable& bank = services_.tables.dtQSet;
  bank.Open();
  bank.SetFilter(kEligibleFilter);
  bank.SetFiltered(true);
  int eligible = bank.CountRecords();
  bank.Close();
  services_.startDialog.SetQuestionCount(eligible, eligible, enableCount);
}

bool TExamSession::ConfirmStart() {
  if (!services_.startDialog.Execute()) return false;
  // BitBtn1Click
  candidateName_ = services_.startDialog.CandidateName();
  timeLimit_ = services_.startDialog.TimeMinutes() / 1440.0;
  return true;
}

void TExamSession::StartExam() {
  services_.startDialog.SetTimeMinutes(options_.DefaultTime);
  if (!ConfirmStart()) return;
  state_.label3 = examTitle_;
  mode_ = Idle;
  isam::TIsamTable& bank = services_.tables.dtQSet;
  bank.SetFiltered(true);
  bank.Open();
  TExamSetBuilder builder{services_.tables.dtCurrentSet, services_.progress, random_, services_.clock};
  TExamSetResult result = builder.BuildExamSet(bank);
  firstRecNo_ = result.FirstRecNo;
  itemCount_ = result.ItemCount;
  ResetResponses(services_.tables.dtCurrentSet, services_.responses);
  BeginAnswering();
}

void TExamSession::StartUserExam() {
  services_.startDialog.SetTimeMinutes(options_.DefaultTime);
  if (!ConfirmStart()) return;
  state_.label3 = examTitle_;
  mode_ = Idle;
  isam::TIsamTable& users = services_.tables.dtUserSet;
  if (!users.Active()) users.Open();
  TExamSetBuilder builder{services_.tables.dtCurrentSet, services_.progress, random_, services_.clock};
  TExamSetResult result = builder.BuildUserSet(users);
  firstRecNo_ = result.FirstRecNo;
  itemCount_ = result.ItemCount;
  ResetResponses(services_.tables.dtCurrentSet, services_.responses);
  state_.noteVisible = false;  // notes belong to bank items
  BeginAnswering();
}

void TExamSession::BeginAnswering() {
  mode_ = Answering;
  ExamControls();
  services_.tables.dtCurrentSet.MoveFirst();
  if (OnStartTimer) OnStartTimer();
}

void TExamSession::ExamControls() {
  state_.selectionVisible = false;
  state_.itemViewVisible = true;
  state_.buttonBarVisible = true;
  state_.titleVisible = false;
  state_.itemLabelsVisible = true;
  state_.markVisible = true;
  state_.timeVisible = options_.TimerOn;
  state_.reviewLabelsVisible = false;
  state_.gradeCaption = "Grade Now";
  state_.examsMenuEnabled = false;
  state_.printEnabled = true;
  state_.learnEnabled = true;
  Show();
}

void TExamSession::dsCurrentSetDataChange(isam::TIsamField*) {
  if (mode_ != Answering && mode_ != Reviewing) return;
  if (services_.view.NoteWindowVisible()) return;
  isam::TIsamTable& set = services_.tables.dtCurrentSet;
  if (!set.Active()) return;
  if (set.IsTableEmpty()) {
    // An exam without items (a practice exam the bank has no questions
    // for): nothing to show and nowhere to go.
    state_.prevEnabled = state_.nextEnabled = false;
    state_.label1 = QString("Item 0 of %1").arg(itemCount_);
    state_.label2.clear();
    state_.itemText.clear();
    state_.marked = false;
    Show();
    return;
  }
  const int r = set.RecordNumber();
  state_.prevEnabled = r != firstRecNo_;
  state_.nextEnabled = r != itemCount_;
  state_.label1 = QString("Item %1 of %2").arg(r).arg(itemCount_);
  state_.label2 = QString("Item ID: %1").arg(set.FieldNamed("Q_OR_NUMBER").IntegerValue());
  // Until the item layout exists the item area shows the question text.
  state_.itemText = ToQString(set.FieldNamed("Q_TEXT").StringValue());
  if (r >= 1 && r <= services_.responses.Count()) state_.marked = services_.responses.ForRecord(r).Marked;
  Show();
}

void TExamSession::PrevButtonClick() { services_.tables.dtCurrentSet.MovePrior(); }

void TExamSession::NextButtonClick() { services_.tables.dtCurrentSet.MoveNext(); }

void TExamSession::MarkBoxClick(bool checked) {
  isam::TIsamTable& set = services_.tables.dtCurrentSet;
  if (mode_ == Idle || !set.Active() || set.IsTableEmpty()) return;
  services_.responses.ForRecord(set.RecordNumber()).Marked = checked;
  state_.marked = checked;
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
  state_.timeVisible = false;
  if (OnStopTimer) OnStopTimer();
  state_.reviewLabelsVisible = false;
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
