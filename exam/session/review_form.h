#pragma once
// TReviewForm: the items review window. A list of every item of the exam
// with its selected choices and an icon for its state; choosing an entry
// asks the exam window to go to that item.
#include <QDialog>
#include <functional>

#include "exam/session/grading_views.h"

class QListWidget;
class QPushButton;

namespace marvessa {

class TReviewForm : public QDialog, public IReviewList {
  Q_OBJECT

 public:
  explicit TReviewForm(QWidget* parent = nullptr);
  ~TReviewForm() override;

  // Empties the list and adds one entry per response, with the legend of
  // the variant.
  void FillReviewList(const TResponseTable& responses, TReviewVariant variant) override;
  // "&Go to the selected question" disabled, then shown modally.
  void Execute() override;

  // The item the candidate chose: the current exam set moves to this record
  // number (the window then closes).
  std::function<void(int recordNumber)> OnGoToRecord;

  struct Controls {
    QWidget* AnsweringLegend;
    QWidget* GradedLegend;
    QListWidget* ListView1;
    QPushButton* BitBtn2;  // "&Go to the selected question"
    QPushButton* BitBtn1;  // "&Return"
  };
  const Controls& Ui() const { return ui_; }

  void BitBtn2Click();
  void ListView1DblClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void GoToSelected();

  Controls ui_{};
};

}  // namespace marvessa
