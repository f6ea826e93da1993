#pragma once
// TOptionsForm: the options dialog. It works on the exam window's own
// settings while it is open: "Change Font" changes a font of the window at
// once, whatever happens to the dialog afterwards; the other choices are
// pending and take effect only with OK.
#include <QDialog>
#include <array>

#include "prefs/options.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace marvessa {

class IFilePicker;
class IFontPicker;

class TOptionsForm : public QDialog {
  Q_OBJECT

 public:
  TOptionsForm(IFontPicker& fonts, IFilePicker& files, QWidget* parent = nullptr);

  // Shows the dialog modally over the window's settings; true when it was
  // closed with OK (the choices have then taken effect, and the caller
  // writes the settings).
  bool Execute(TSettings& settings, IOptionsTarget& target);

  struct Controls {
    QGroupBox* GroupBox1;  // "Fonts"
    QListWidget* ListBox1;
    QLabel* Panel1;        // the example
    QPushButton* BitBtn3;  // "Change Font"
    QTabWidget* PageControl1;
    QGroupBox *LearnBtnGroup, *CalcBtnGroup, *TimerGroup;
    // First and second entry of each radio group.
    std::array<QRadioButton*, 2> LearnBtnItems, CalcBtnItems, TimerItems;
    QLineEdit* Edit1;          // calculator path
    QToolButton* SpeedButton1;  // browse
    QSpinBox* SpinEdit1;       // default time
    QPushButton* BitBtn1;      // OK
  };
  const Controls& Ui() const { return ui_; }
  // The pending choices as the dialog shows them now.
  TOptionChoices Pending() const;

  void ListBox1Click();
  void BitBtn3Click();
  void SpeedButton1Click();
  void BitBtn1Click();

 protected:
  void showEvent(QShowEvent* event) override;  // FormActivate

 private:
  QWidget* BuildFonts();
  QWidget* BuildTabs();
  TFontSlot SelectedSlot() const;

  IFontPicker& fonts_;
  IFilePicker& files_;
  // Bound for the length of Execute only.
  TSettings* settings_ = nullptr;
  IOptionsTarget* target_ = nullptr;
  Controls ui_{};
};

}  // namespace marvessa
