#include "prefs/about_form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/session.h"

#ifndef MARVESSA_VERSION
#define MARVESSA_VERSION "0.0"
#endif

namespace marvessa {

namespace {

// The logo: a navy seal with a white check mark, beside the program's name.
QPixmap Logo() {
  QPixmap pixmap(300, 80);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 128));
  p.drawEllipse(QRect(10, 8, 64, 64));
  p.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygon({QPoint(26, 41), QPoint(38, 54), QPoint(59, 27)}));
  p.setPen(QColor(0, 0, 128));
  p.setFont(QFont("Sans Serif", 22, QFont::Bold));
  p.drawText(QRect(88, 8, 212, 40), Qt::AlignLeft | Qt::AlignVCenter, "Marvessa");
  p.setPen(QColor(0, 128, 128));
  p.setFont(QFont("Sans Serif", 10));
  p.drawText(QRect(90, 46, 210, 24), Qt::AlignLeft | Qt::AlignVCenter, "Practice exams");
  return pixmap;
}

}  // namespace

QString TAboutForm::ProgramVersion() { return MARVESSA_VERSION; }

QString TAboutForm::EngineVersion() { return isam::kEngineVersion; }

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("TAboutForm");
  setWindowTitle("About Plindor");
  setModal(true);
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);

  ui_.Logo = new QLabel(this);
  ui_.Logo->setObjectName("Logo");
  ui_.Logo->setPixmap(Logo());
  ui_.Logo->setAccessibleName("Marvessa logo");
  ui_.PublisherLabel = new QLabel(
      "Marvessa practice exams.\n"
      "Timed practice exams, a score report and the candidate's own questions,\n"
      "all kept on this computer.",
      this);
  ui_.PublisherLabel->setObjectName("PublisherLabel");
  ui_.VersionLabel = new QLabel(
      QString("Program version %1\nTable engine version %2").arg(ProgramVersion(), EngineVersion()), this);
  ui_.VersionLabel->setObjectName("VersionLabel");
  for (QLabel* l : {ui_.PublisherLabel, ui_.VersionLabel}) l->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
  ui_.OKButton = new QPushButton("OK", this);
  ui_.OKButton->setObjectName("OKButton");
  ui_.OKButton->setDefault(true);
  ui_.OKButton->setMinimumSize(83, 29);
  connect(ui_.OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(12, 12, 12, 12);
  column->addWidget(ui_.Logo, 0, Qt::AlignHCenter);
  column->addSpacing(8);
  column->addWidget(ui_.PublisherLabel);
  column->addSpacing(8);
  column->addWidget(ui_.VersionLabel);
  column->addSpacing(12);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ui_.OKButton);
  column->addLayout(row);
  column->setSizeConstraint(QLayout::SetFixedSize);
  ui_.OKButton->setFocus();
}

}  // namespace marvessa
