#pragma once
// TProgressForm: the small tool window shown while an exam set is built.
#include <QDialog>

#include "exam/data/exam_set_builder.h"

class QProgressBar;

namespace marvessa {

class TProgressForm : public QDialog, public IProgress {
  Q_OBJECT

 public:
  explicit TProgressForm(QWidget* parent = nullptr);

  QProgressBar* ProgressBar1() const { return bar_; }

  void Show() override;
  void SetMaximum(int maximum) override;
  void SetPosition(int position) override;
  void Close() override { hide(); }

 private:
  QProgressBar* bar_;
};

}  // namespace marvessa
