#include "prefs/about_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace marvessa {
namespace {

TEST(AboutForm, NamesBothVersionsAndClosesWithOK) {
  TAboutForm about;
  EXPECT_EQ(about.windowTitle(), "About Plindor");
  EXPECT_EQ(TAboutForm::EngineVersion(), "1.19");
  EXPECT_EQ(TAboutForm::ProgramVersion(), MARVESSA_PROJECT_VERSION);
  const QString text = about.Ui().VersionLabel->text();
  EXPECT_TRUE(text.contains("Program version " + TAboutForm::ProgramVersion())) << text.toStdString();
  EXPECT_TRUE(text.contains("Table engine version 1.19")) << text.toStdString();
  EXPECT_FALSE(about.Ui().Logo->pixmap().isNull());

  QTimer::singleShot(0, about.Ui().OKButton, &QPushButton::click);
  EXPECT_EQ(about.exec(), QDialog::Accepted);
  EXPECT_TRUE(about.isModal());
}

}  // namespace
}  // namespace marvessa
