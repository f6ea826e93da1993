#pragma once
// The two exhibit windows, created once and reused: TPict1Form ("Exhibit 1",
// fixed frame, centred on the desktop) and TPict2Form ("Exhibit 2", sizeable
// frame, centred on the screen). Each holds one picture control, Image1,
// that centres its picture; the window's client area takes the picture's
// size, shrinking as well as growing from one picture to the next, within
// what the screen offers (a larger picture is shown scaled down).
#include <QDialog>
#include <QImage>

class QLabel;

namespace marvessa {

class TPictForm : public QDialog {
  Q_OBJECT

 public:
  // Loads the picture and fits the window to it. A failure raises
  // EPictureError and leaves the window and its picture as they were.
  void LoadExhibit(const QString& fileName);
  // LoadExhibit, then shows the window modally until the candidate closes it.
  void ShowExhibit(const QString& fileName);

  QLabel* Image1() const { return image1_; }
  // The picture as loaded, before any scaling to the screen.
  const QImage& Picture() const { return picture_; }

 protected:
  TPictForm(const QString& caption, const char* objectName, bool sizeable, QWidget* parent);

 private:
  QSize AvailableClientSize() const;
  void Place();

  QLabel* image1_;
  QImage picture_;
  bool sizeable_;
};

class TPict1Form : public TPictForm {
  Q_OBJECT
 public:
  explicit TPict1Form(QWidget* parent = nullptr);
};

class TPict2Form : public TPictForm {
  Q_OBJECT
 public:
  explicit TPict2Form(QWidget* parent = nullptr);
};

}  // namespace marvessa
