#pragma once
// TMainForm: the start window and the program's main window. Closing it
// ends the program.
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace marvessa {

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // FormCreate: the working directory becomes programDir, where the table
  // files are (the program's own folder unless a test says otherwise).
  explicit TMainForm(const QString& programDir, QWidget* parent = nullptr);

  struct Controls {
    QLabel* Banner;
    QPushButton *StartTestBtn, *SamplerBtn, *fcShapeBtn3;
  };
  const Controls& Ui() const { return ui_; }

  // What the two buttons open: the exam window, the test sampler.
  std::function<void()> OnStartTesting;
  std::function<void()> OnSampler;
  // The window closed: the program ends.
  std::function<void()> OnClosed;

  void StartTestBtnClick();
  void SamplerBtnClick();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Controls ui_{};
};

}  // namespace marvessa
