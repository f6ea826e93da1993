#include "exam/presentation/pict_form.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include "exam/presentation/picture_fit.h"
#include "exam/presentation/picture_loader.h"

namespace marvessa {

namespace {
// Room kept for the window frame when the window has not been shown yet
// (once shown, the real frame is measured).
constexpr int kFrameWidth = 16, kFrameHeight = 40;
// Design sizes of the client areas, before any picture is loaded.
const QSize kPict1DesignSize(105, 105);
const QSize kPict2DesignSize(105, 103);
}  // namespace

TPictForm::TPictForm(const QString& caption, const char* objectName, bool sizeable, QWidget* parent)
    : QDialog(parent), sizeable_(sizeable) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setModal(true);
  image1_ = new QLabel(this);
  image1_->setObjectName("Image1");
  image1_->setAlignment(Qt::AlignCenter);
  image1_->setAccessibleName(caption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(image1_);
  if (!sizeable_) layout->setSizeConstraint(QLayout::SetFixedSize);
}

QSize TPictForm::AvailableClientSize() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return {kMaxPictureSide, kMaxPictureSide};
  QSize frame(kFrameWidth, kFrameHeight);
  if (isVisible() || testAttribute(Qt::WA_WState_Created)) {
    const QSize measured = frameGeometry().size() - geometry().size();
    if (measured.width() > 0 || measured.height() > 0) frame = measured;
  }
  return s->availableGeometry().size() - frame;
}

void TPictForm::LoadExhibit(const QString& fileName) {
  QImage picture = LoadPicture(fileName);
  picture_ = std::move(picture);
  const QSize size = FitPictureSize(picture_.size(), AvailableClientSize());
  QPixmap pixmap = QPixmap::fromImage(size == picture_.size()
                                          ? picture_
                                          : picture_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  image1_->setPixmap(pixmap);
  image1_->setAccessibleDescription(QFileInfo(fileName).fileName());
  // The picture control takes the picture's size, then the window its
  // control's: set anew each time, so that it shrinks as well as grows.
  if (sizeable_) {
    resize(size);
  } else {
    image1_->setFixedSize(size);
    layout()->activate();
  }
  Place();
}

void TPictForm::Place() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  // The desktop's and the screen's centre are one on a single screen; with
  // several, exhibit 1 uses the whole desktop, exhibit 2 its own screen.
  const QRect area = sizeable_ ? s->availableGeometry() : s->availableVirtualGeometry();
  const QSize outer = size() + QSize(kFrameWidth, kFrameHeight);
  move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void TPictForm::ShowExhibit(const QString& fileName) {
  LoadExhibit(fileName);
  exec();
}

TPict1Form::TPict1Form(QWidget* parent) : TPictForm("Exhibit 1", "Pict1Form", false, parent) {
  Image1()->setFixedSize(kPict1DesignSize);
}

TPict2Form::TPict2Form(QWidget* parent) : TPictForm("Exhibit 2", "Pict2Form", true, parent) {
  setSizeGripEnabled(true);
  resize(kPict2DesignSize);
}

}  // namespace marvessa
