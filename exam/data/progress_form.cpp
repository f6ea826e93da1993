#include "exam/data/progress_form.h"

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace marvessa {

TProgressForm::TProgressForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setObjectName("TProgressForm");
  setWindowTitle("Randomizing question set...");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("ProgressBar1");
  bar_->setMinimum(0);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar_);
  resize(320, 24);
}

void TProgressForm::Show() {
  bar_->setValue(0);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect desk = screen->availableGeometry();
    move(desk.center() - rect().center());
  }
  show();
  // The copying runs on this thread: paint the window before it starts.
  repaint();
}

void TProgressForm::SetMaximum(int maximum) { bar_->setMaximum(maximum); }

void TProgressForm::SetPosition(int position) {
  bar_->setValue(position);
}

}  // namespace marvessa
