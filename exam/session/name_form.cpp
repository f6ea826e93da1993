#include "exam/session/name_form.h"

#include <algorithm>

#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include "prefs/clock.h"

namespace marvessa {

namespace {

// A number field that brings values outside its range to the nearer bound
// and takes text that is not a number as its minimum.
class TNumberField : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  QValidator::State validate(QString& text, int&) const override {
    // Anything may be typed; fixup decides what it means.
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  }
  void fixup(QString& text) const override {
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    if (!ok) value = minimum();
    text = QString::number(std::clamp(value, minimum(), maximum()));
  }
  int valueFromText(const QString& text) const override {
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    if (!ok) return minimum();
    return std::clamp(value, minimum(), maximum());
  }
};

void Paint(QSpinBox* field, bool enabled) {
  // A disabled field: silver background, grey text.
  field->setStyleSheet(enabled ? QString() : QString("QSpinBox { background: silver; color: grey; }"));
}

}  // namespace

TNameForm::TNameForm(const IClock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), clock_(clock) {
  setObjectName("TNameForm");
  ui_.DateLabel = new QLabel(this);
  ui_.DateLabel->setObjectName("DateLabel");
  ui_.DateLabel->setAlignment(Qt::AlignRight);
  ui_.NameEdit = new QLineEdit("Your Name", this);
  ui_.NameEdit->setObjectName("NameEdit");
  ui_.SpinEdit1 = new TNumberField(this);
  ui_.SpinEdit1->setObjectName("SpinEdit1");
  ui_.SpinEdit1->setRange(1, 600);
  ui_.SpinEdit2 = new TNumberField(this);
  ui_.SpinEdit2->setObjectName("SpinEdit2");
  ui_.SpinEdit2->setRange(1, 1);
  ui_.CountLabel = new QLabel("Number of questions:", this);
  ui_.CountLabel->setObjectName("CountLabel");
  ui_.BitBtn1 = new QPushButton("OK", this);
  ui_.BitBtn1->setObjectName("BitBtn1");
  ui_.BitBtn1->setDefault(true);
  ui_.BitBtn2 = new QPushButton("Cancel", this);
  ui_.BitBtn2->setObjectName("BitBtn2");

  auto* grid = new QGridLayout(this);
  grid->addWidget(ui_.DateLabel, 0, 0, 1, 2);
  // Each field is named by its caption, as a screen reader announces it.
  auto* nameLabel = new QLabel("Your Name: ", this);
  nameLabel->setBuddy(ui_.NameEdit);
  auto* timeLabel = new QLabel("Time (min):", this);
  timeLabel->setBuddy(ui_.SpinEdit1);
  ui_.CountLabel->setBuddy(ui_.SpinEdit2);
  grid->addWidget(nameLabel, 1, 0);
  grid->addWidget(ui_.NameEdit, 1, 1);
  grid->addWidget(timeLabel, 2, 0);
  grid->addWidget(ui_.SpinEdit1, 2, 1);
  grid->addWidget(ui_.CountLabel, 3, 0);
  grid->addWidget(ui_.SpinEdit2, 3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ui_.BitBtn1);
  buttons->addWidget(ui_.BitBtn2);
  grid->addLayout(buttons, 4, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  connect(ui_.BitBtn1, &QPushButton::clicked, this, [this] {
    // Typed text is taken as the field would show it.
    ui_.SpinEdit1->interpretText();
    ui_.SpinEdit2->interpretText();
    accept();
  });
  connect(ui_.BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  ShowDate();
}

bool TNameForm::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) {
    ShowDate();
    if (e->type() == QEvent::Show) {
      if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    }
  }
  return QDialog::event(e);
}

void TNameForm::ShowDate() {
  ui_.DateLabel->setText("Date: " + QLocale().toString(clock_.Today(), QLocale::ShortFormat));
}

void TNameForm::SetQuestionCount(int maximum, int value, bool enabled) {
  ui_.SpinEdit2->setMaximum(std::max(maximum, ui_.SpinEdit2->minimum()));
  ui_.SpinEdit2->setValue(value);
  ui_.SpinEdit2->setEnabled(enabled);
  ui_.CountLabel->setEnabled(enabled);
  Paint(ui_.SpinEdit2, enabled);
}

void TNameForm::SetTimeMinutes(int minutes) { ui_.SpinEdit1->setValue(minutes); }

QString TNameForm::CandidateName() const { return ui_.NameEdit->text(); }
int TNameForm::TimeMinutes() const { return ui_.SpinEdit1->value(); }
int TNameForm::QuestionCount() const { return ui_.SpinEdit2->value(); }

}  // namespace marvessa
