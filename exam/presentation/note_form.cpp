#include "exam/presentation/note_form.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "prefs/error_display.h"

namespace marvessa {

namespace {
constexpr int kClientWidth = 286, kClientHeight = 222, kHeaderHeight = 41;

QPushButton* Button(const char* name, const char* caption, int width, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setFixedSize(width, 29);
  button->setAutoDefault(false);
  return button;
}
}  // namespace

TNoteForm::TNoteForm(isam::TIsamTable& currentSet, isam::TIsamTable& bank, QWidget* parent)
    : QDialog(parent), editor_(currentSet, bank) {
  setObjectName("NoteForm");
  setWindowTitle("Plindor");
  setModal(true);
  setFixedSize(kClientWidth, kClientHeight);

  auto* header = new QWidget(this);
  header->setObjectName("Panel1");
  header->setFixedHeight(kHeaderHeight);
  header->setAutoFillBackground(true);
  QPalette headerColours = header->palette();
  headerColours.setColor(QPalette::Window, QColor(0x00, 0x00, 0x80));
  headerColours.setColor(QPalette::WindowText, Qt::white);
  header->setPalette(headerColours);
  ui_.TitleLabel = new QLabel("User Note", header);
  ui_.TitleLabel->setObjectName("TitleLabel");
  ui_.TitleLabel->setAlignment(Qt::AlignCenter);
  QFont titleFont("Verdana");
  titleFont.setBold(true);
  ui_.TitleLabel->setFont(titleFont);
  auto* shadow = new QGraphicsDropShadowEffect(ui_.TitleLabel);
  shadow->setOffset(1, 1);
  shadow->setBlurRadius(0);
  shadow->setColor(Qt::black);
  ui_.TitleLabel->setGraphicsEffect(shadow);
  ui_.Label2 = new QLabel(header);
  ui_.Label2->setObjectName("Label2");
  ui_.Label2->setAlignment(Qt::AlignCenter);
  auto* headerLayout = new QVBoxLayout(header);
  headerLayout->setContentsMargins(2, 1, 2, 1);
  headerLayout->setSpacing(0);
  headerLayout->addWidget(ui_.TitleLabel);
  headerLayout->addWidget(ui_.Label2);

  ui_.DBMemo1 = new QPlainTextEdit(this);
  ui_.DBMemo1->setObjectName("DBMemo1");
  ui_.DBMemo1->setAccessibleName("User Note");
  ui_.DBMemo1->setTabChangesFocus(true);  // Tab leads on to the buttons

  ui_.Button1 = Button("Button1", "Save Note", 85, this);
  ui_.Button2 = Button("Button2", "Cancel", 84, this);
  ui_.Button3 = Button("Button3", "Exit", 83, this);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(4, 0, 0, 4);
  buttons->setSpacing(2);
  buttons->addWidget(ui_.Button1);
  buttons->addWidget(ui_.Button2);
  buttons->addStretch();
  buttons->addWidget(ui_.Button3);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(header);
  layout->addWidget(ui_.DBMemo1, 1);
  layout->addLayout(buttons);
  setTabOrder(ui_.DBMemo1, ui_.Button1);
  setTabOrder(ui_.Button1, ui_.Button2);
  setTabOrder(ui_.Button2, ui_.Button3);

  connect(ui_.DBMemo1, &QPlainTextEdit::textChanged, this, Guarded([this] {
            editor_.DBMemo1Change(ui_.DBMemo1->toPlainText());
            UpdateButtons();
          }));
  // A failed save leaves the buttons as they were and the text as typed.
  connect(ui_.Button1, &QPushButton::clicked, this, Guarded([this](bool) {
            editor_.Button1Click();
            UpdateButtons();
          }));
  connect(ui_.Button2, &QPushButton::clicked, this, Guarded([this](bool) {
            editor_.Button2Click();
            ShowStoredText();
            UpdateButtons();
          }));
  connect(ui_.Button3, &QPushButton::clicked, this, &QDialog::reject);
  UpdateButtons();
}

void TNoteForm::Prepare(const QString& examTitle) {
  ui_.Label2->setText(editor_.ItemLine(examTitle));
  ShowStoredText();
  UpdateButtons();
  ui_.DBMemo1->setFocus();
}

void TNoteForm::Execute(const QString& examTitle) {
  Prepare(examTitle);
  exec();
}

void TNoteForm::ShowStoredText() {
  const QSignalBlocker quiet(ui_.DBMemo1);
  ui_.DBMemo1->setPlainText(editor_.Text());
}

void TNoteForm::UpdateButtons() {
  ui_.Button1->setEnabled(editor_.Changed());
  ui_.Button2->setEnabled(editor_.Changed());
}

// Exit, Escape and the frame's close button all end here.
void TNoteForm::done(int result) {
  Guard([this] { editor_.FormClose(); });
  UpdateButtons();
  QDialog::done(result);
}

}  // namespace marvessa
