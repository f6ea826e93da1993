#pragma once
// TNameForm: the start dialog of an exam (name, time, number of questions).
#include <QDialog>

#include "exam/session/exam_session.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace marvessa {

class IClock;

class TNameForm : public QDialog, public IStartDialog {
  Q_OBJECT

 public:
  explicit TNameForm(const IClock& clock, QWidget* parent = nullptr);

  void SetCaption(const QString& caption) override { setWindowTitle(caption); }
  void SetQuestionCount(int maximum, int value, bool enabled) override;
  void SetTimeMinutes(int minutes) override;
  bool Execute() override { return exec() == QDialog::Accepted; }
  QString CandidateName() const override;
  int TimeMinutes() const override;
  int QuestionCount() const override;

  struct Controls {
    QLabel* DateLabel;
    QLineEdit* NameEdit;
    QSpinBox* SpinEdit1;
    QLabel* CountLabel;
    QSpinBox* SpinEdit2;
    QPushButton* BitBtn1;  // OK
    QPushButton* BitBtn2;  // Cancel
  };
  const Controls& Ui() const { return ui_; }

 protected:
  bool event(QEvent* e) override;

 private:
  void ShowDate();

  const IClock& clock_;
  Controls ui_{};
};

}  // namespace marvessa
