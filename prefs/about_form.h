#pragma once
// TAboutForm: the fixed about window that the exam window's and the test
// sampler's Help menus open modally. It names the program's version and the
// version of the table engine under it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace marvessa {

class TAboutForm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutForm(QWidget* parent = nullptr);

  static QString ProgramVersion();
  static QString EngineVersion();

  struct Controls {
    QLabel* Logo;
    QLabel* PublisherLabel;
    QLabel* VersionLabel;
    QPushButton* OKButton;
  };
  const Controls& Ui() const { return ui_; }

 private:
  Controls ui_{};
};

}  // namespace marvessa
