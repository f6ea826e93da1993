#pragma once
// TItemPane (ScrollBox1): the item area of the exam window. It holds the
// controls of one item and places them by LayoutItemGeometry; it scrolls
// vertically only. What the candidate does with it is passed on through
// the hooks; the pane itself stores nothing of the answers.
#include <QScrollArea>
#include <array>
#include <functional>

#include "exam/presentation/item_content.h"
#include "exam/presentation/item_fonts.h"
#include "exam/presentation/item_layout.h"
#include "exam/presentation/key_display.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace marvessa {

class TItemPane : public QScrollArea {
  Q_OBJECT

 public:
  explicit TItemPane(QWidget* parent = nullptr);

  struct Controls {
    QWidget* Content;  // the scrolled area
    QWidget* QPanel;
    QLabel* QText;
    QFrame* Shape1;
    QPushButton *ExhBtnA, *ExhBtnB;
    QToolButton* CalcButton;  // its icon and action come from the calculator setting
    std::array<QRadioButton*, kAnswerCount> RadioButton;
    std::array<QCheckBox*, kAnswerCount> CheckBox;
    std::array<QLabel*, kAnswerCount> ALabel;
    QLabel* ExpText;
  };
  const Controls& Ui() const { return ui_; }

  const TItemFonts& Fonts() const { return fonts_; }
  // Takes effect at once on the item shown.
  void SetFonts(const TItemFonts& fonts);

  // Places the item from scratch at the pane's width and returns to the top.
  void LayoutItem(const TItemContent& item);
  // Re-wraps the item shown at the pane's present width (FormResize).
  void Relayout();
  bool HasItem() const { return hasItem_; }
  void Clear();
  // The selectors' checked states, set without any click being reported.
  void ShowChoices(const TAnswerFlags& shown);
  // Explanation shown or not, correct answers aqua, others white.
  void ApplyKeyDisplay(const TKeyDisplay& key);
  void SetCalcVisible(bool visible);
  const TItemGeometry& Geometry() const { return geometry_; }

  std::function<void(const TAnswerFlags& checked)> OnRadioButton1Click;
  std::function<void(int n, bool checked)> OnCheckBoxClick;
  std::function<void(int n)> OnALabelClick;
  std::function<void()> OnPict1ButtonClick, OnPict2ButtonClick, OnCalcButtonClick;

  static const QColor kKeyColor;     // aqua: a correct answer
  static const QColor kPlainColor;   // white

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ApplyFonts();
  void Place(int contentWidth);
  int ContentHeight() const;

  Controls ui_{};
  TItemFonts fonts_ = TItemFonts::Defaults();
  TItemContent item_;
  bool hasItem_ = false;
  bool calcVisible_ = false;
  bool explanationVisible_ = false;
  std::array<QString, kAnswerCount> labelTexts_;
  TItemGeometry geometry_;
};

}  // namespace marvessa
