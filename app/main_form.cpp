#include "app/main_form.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "prefs/error_display.h"

namespace marvessa {

namespace {

// The banner at the top of the start window.
QPixmap Banner() {
  QPixmap pixmap(360, 96);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 360, 96);
  sky.setColorAt(0, QColor(0, 0, 128));
  sky.setColorAt(1, QColor(0, 128, 128));
  p.fillRect(pixmap.rect(), sky);
  p.setPen(QPen(QColor(255, 255, 255, 60), 10));
  for (int r = 30; r < 200; r += 34) p.drawEllipse(QPoint(320, 110), r, r);
  QFont title("Sans Serif", 26, QFont::Bold);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(20, 8, 320, 50), Qt::AlignLeft | Qt::AlignVCenter, "Marvessa");
  QFont line("Sans Serif", 10);
  p.setFont(line);
  p.drawText(QRect(22, 56, 320, 24), Qt::AlignLeft | Qt::AlignVCenter, "Practice exams");
  return pixmap;
}

QPushButton* RoundedButton(const char* name, const QString& caption, const char* colour, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setMinimumSize(220, 40);
  b->setStyleSheet(QString("QPushButton#%1 { background: %2; color: white; border: none; border-radius: 18px;"
                           " font-weight: bold; font-size: 11pt; }"
                           " QPushButton#%1:focus { border: 2px solid #9ecbff; }"
                           " QPushButton#%1:disabled { background: silver; color: grey; }")
                       .arg(name, colour));
  return b;
}

}  // namespace

TMainForm::TMainForm(const QString& programDir, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
  // FormCreate. A folder that cannot be entered leaves the tables to be
  // looked up in the current one.
  QDir::setCurrent(programDir);
  setObjectName("TMainForm");
  setWindowTitle("Marvessa");
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  ui_.Banner = new QLabel(this);
  ui_.Banner->setObjectName("Banner");
  ui_.Banner->setPixmap(Banner());
  ui_.Banner->setAccessibleName("Marvessa, practice exams");
  auto* frame = new QFrame(this);
  frame->setObjectName("Frame");
  frame->setStyleSheet("QFrame#Frame { border: 2px solid #1f4fbf; border-radius: 6px; }");
  ui_.StartTestBtn = RoundedButton("StartTestBtn", "Start &Testing", "navy", frame);
  ui_.SamplerBtn = RoundedButton("SamplerBtn", "Test &Sampler", "purple", frame);
  ui_.fcShapeBtn3 = RoundedButton("fcShapeBtn3", "E&xit", "teal", frame);
  ui_.SamplerBtn->setEnabled(true);
  auto* buttons = new QVBoxLayout(frame);
  buttons->setContentsMargins(60, 18, 60, 18);
  buttons->setSpacing(12);
  for (QPushButton* b : {ui_.StartTestBtn, ui_.SamplerBtn, ui_.fcShapeBtn3}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(12);
  layout->addWidget(ui_.Banner, 0, Qt::AlignHCenter);
  layout->addWidget(frame);
  // The window takes the size of its contents and keeps it.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ui_.StartTestBtn, &QPushButton::clicked, this, Guarded([this](bool) { StartTestBtnClick(); }));
  connect(ui_.SamplerBtn, &QPushButton::clicked, this, Guarded([this](bool) { SamplerBtnClick(); }));
  connect(ui_.fcShapeBtn3, &QPushButton::clicked, this, [this] { close(); });

  adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TMainForm::StartTestBtnClick() {
  if (!OnStartTesting) return;
  hide();
  OnStartTesting();
}

void TMainForm::SamplerBtnClick() {
  if (!OnSampler) return;
  hide();
  OnSampler();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  event->accept();
  if (OnClosed) OnClosed();
}

}  // namespace marvessa
