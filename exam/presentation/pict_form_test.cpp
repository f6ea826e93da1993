// The exhibit windows: the client area follows the picture (growing and
// shrinking), stays within the screen, is left alone by a failed load, and
// the window is modal.
#include "exam/presentation/pict_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "exam/presentation/picture_fit.h"
#include "exam/presentation/picture_loader.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

class PictFormTest : public ::testing::Test {
 protected:
  // A bitmap of the given size written by Qt into the scratch folder.
  QString Bitmap(int width, int height) {
    const QString path = QString::fromStdString(dir.File("p" + std::to_string(width) + "x" + std::to_string(height) + ".bmp"));
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 160)});
    image.fill(1);
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
  }
  testing_support::TempDir dir;
};

TEST_F(PictFormTest, TheClientAreaTakesThePicturesSize) {
  std::unique_ptr<TPictForm> forms[] = {std::make_unique<TPict1Form>(), std::make_unique<TPict2Form>()};
  for (auto& form : forms) {
    SCOPED_TRACE(form->windowTitle().toStdString());
    form->LoadExhibit(Bitmap(400, 300));
    EXPECT_EQ(form->size(), QSize(400, 300));
    EXPECT_EQ(form->Image1()->pixmap().size(), QSize(400, 300));
    form->LoadExhibit(Bitmap(200, 100));
    EXPECT_EQ(form->size(), QSize(200, 100));
  }
  EXPECT_EQ(forms[0]->windowTitle(), "Exhibit 1");
  EXPECT_EQ(forms[0]->minimumSize(), forms[0]->maximumSize());  // a fixed frame
  EXPECT_EQ(forms[1]->windowTitle(), "Exhibit 2");
  EXPECT_NE(forms[1]->minimumSize(), forms[1]->maximumSize());  // sizeable
}

TEST_F(PictFormTest, APictureLargerThanTheScreenIsShownScaledDown) {
  TPict1Form form;
  form.LoadExhibit(Bitmap(3000, 1000));
  const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_EQ(form.Picture().size(), QSize(3000, 1000));
  EXPECT_LT(form.width(), screen.width());
  EXPECT_NEAR(form.height(), form.width() / 3, 1);  // the proportions kept
  EXPECT_EQ(form.Image1()->pixmap().size(), form.size());

  EXPECT_EQ(FitPictureSize({3000, 1000}, {784, 560}), QSize(784, 261));
  EXPECT_EQ(FitPictureSize({500, 4000}, {784, 560}), QSize(70, 560));
  EXPECT_EQ(FitPictureSize({20000, 1}, {784, 560}), QSize(784, 1));
  EXPECT_EQ(FitPictureSize({784, 560}, {784, 560}), QSize(784, 560));
}

TEST_F(PictFormTest, AFailedLoadLeavesTheWindowAsItWas) {
  TPict2Form form;
  form.LoadExhibit(Bitmap(200, 100));
  const qint64 shown = form.Image1()->pixmap().cacheKey();
  const QString gif = QString::fromStdString(dir.File("router.gif"));
  for (const QString& name : {QString::fromStdString(dir.File("missing.bmp")), gif}) {
    EXPECT_THROW(form.ShowExhibit(name), EPictureError);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.size(), QSize(200, 100));
    EXPECT_EQ(form.Image1()->pixmap().cacheKey(), shown);
  }
}

TEST_F(PictFormTest, TheWindowIsModal) {
  TPict1Form form;
  QWidget* modal = nullptr;
  QTimer::singleShot(0, &form, [&] {
    modal = QApplication::activeModalWidget();
    form.close();
  });
  form.ShowExhibit(Bitmap(120, 80));
  EXPECT_EQ(modal, &form);
  EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace marvessa
