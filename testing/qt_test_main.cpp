// The main of the program's test binaries: GoogleTest inside a QApplication
// on the offscreen platform, with Qt's test mode on so that no test touches
// the user's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>

#include "testing/child_process.h"

int main(int argc, char** argv) {
  int child = testing_support::RunChildIfRequested(argc, argv);
  if (child >= 0) return child;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
