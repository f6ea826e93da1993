#include "app/password_dialog.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/session.h"
#include "exam/data/qt_text.h"
#include "prefs/error_display.h"

namespace marvessa {

TIsamPasswordDialog::TIsamPasswordDialog(isam::TIsamSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("TIsamPasswordDialog");
  setWindowTitle("Enter password");
  auto* group = new QGroupBox("Password", this);
  ui_.Edit = new QLineEdit(group);
  ui_.Edit->setObjectName("Edit");
  ui_.Edit->setEchoMode(QLineEdit::Password);
  ui_.AddButton = new QPushButton("&Add", group);
  ui_.RemoveButton = new QPushButton("&Remove", group);
  ui_.RemoveAllButton = new QPushButton("Re&move all", group);
  ui_.OKButton = new QPushButton("&OK", this);
  ui_.CancelButton = new QPushButton("Cancel", this);
  ui_.AddButton->setObjectName("AddButton");
  ui_.RemoveButton->setObjectName("RemoveButton");
  ui_.RemoveAllButton->setObjectName("RemoveAllButton");
  ui_.OKButton->setObjectName("OKButton");
  ui_.CancelButton->setObjectName("CancelButton");
  ui_.OKButton->setDefault(true);
  for (QPushButton* b : {ui_.AddButton, ui_.RemoveButton, ui_.RemoveAllButton}) b->setAutoDefault(false);

  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(ui_.Edit);
  auto* edits = new QHBoxLayout;
  edits->addWidget(ui_.AddButton);
  edits->addWidget(ui_.RemoveButton);
  edits->addWidget(ui_.RemoveAllButton);
  groupLayout->addLayout(edits);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ui_.OKButton);
  buttons->addWidget(ui_.CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);

  auto typed = [this] { return FromQString(ui_.Edit->text()); };
  auto cleared = [this] {
    ui_.Edit->clear();
    ui_.Edit->setFocus();
  };
  connect(ui_.Edit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  connect(ui_.AddButton, &QPushButton::clicked, this, Guarded([this, typed, cleared](bool) {
    session_.RegisterPassword(typed());
    added_ = true;
    cleared();
  }));
  connect(ui_.RemoveButton, &QPushButton::clicked, this, Guarded([this, typed, cleared](bool) {
    session_.UnregisterPassword(typed());
    cleared();
  }));
  connect(ui_.RemoveAllButton, &QPushButton::clicked, this, Guarded([this](bool) { session_.ClearPasswords(); }));
  connect(ui_.OKButton, &QPushButton::clicked, this, Guarded([this, typed](bool) {
    session_.RegisterPassword(typed());  // an empty text adds nothing
    accept();
  }));
  connect(ui_.CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  UpdateButtons();
}

void TIsamPasswordDialog::UpdateButtons() {
  const bool typed = !ui_.Edit->text().isEmpty();
  ui_.AddButton->setEnabled(typed);
  ui_.RemoveButton->setEnabled(typed);
  ui_.OKButton->setEnabled(typed || added_);
}

void InstallPasswordDialog() {
  isam::Sessions().SetPasswordPrompt([](isam::TIsamSession& session) {
    TIsamPasswordDialog dialog(session, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
  });
}

}  // namespace marvessa
