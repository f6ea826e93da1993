#pragma once
// TIsamPasswordDialog: asked by the table engine when a table needs a
// password that the session has not registered. What is added here is
// registered with that session.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace isam {
class TIsamSession;
}

namespace marvessa {

class TIsamPasswordDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TIsamPasswordDialog(isam::TIsamSession& session, QWidget* parent = nullptr);

  struct Controls {
    QLineEdit* Edit;
    QPushButton *AddButton, *RemoveButton, *RemoveAllButton, *OKButton, *CancelButton;
  };
  const Controls& Ui() const { return ui_; }

 private:
  void UpdateButtons();

  isam::TIsamSession& session_;
  Controls ui_{};
  bool added_ = false;  // a password was added during this showing
};

// Makes the dialog the engine's answer to an unregistered table password.
void InstallPasswordDialog();

}  // namespace marvessa
