#include "prefs/run_button.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <vector>

#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/program_icon.h"
#include "prefs/program_starter.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

class RunButtonTest : public ::testing::Test {
 protected:
  RunButtonTest() { SetErrorMessageBox(&box); }
  ~RunButtonTest() override { SetErrorMessageBox(nullptr); }

  QString Write(const char* name, const QByteArray& content, mode_t mode) {
    const QString path = QString::fromStdString(dir.File(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    chmod(path.toLocal8Bit().constData(), mode);
    return path;
  }
  QString Message(const std::function<void()>& action) {
    try {
      action();
    } catch (const ERunButtonError& e) {
      return QString::fromStdString(e.what());
    }
    return QString();
  }

  testing_support::TempDir dir;
  TScriptedMessageBox box;
  TPosixProgramStarter starter;
  TRunButton button{starter};
};

TEST_F(RunButtonTest, RefusedPathsKeepThePreviousProgram) {
  const QString good = Write("calc", "#!/bin/sh\n", 0755);
  button.SetCommandLine(good);
  const qint64 picture = button.icon().cacheKey();

  const QString plain = Write("calc.com", "data", 0644);
  const QString missing = QString::fromStdString(dir.File("nothing.exe"));
  const QString folder = QString::fromStdString(dir.path());
  struct Case {
    QString path, message;
  };
  for (const Case& c : {Case{plain, plain + " is not an executable file."},
                        Case{folder, folder + " is not an executable file."},
                        Case{missing, "The file: " + missing + " cannot be found."},
                        Case{"", "The file:  cannot be found."}}) {
    EXPECT_EQ(Message([&] { button.SetCommandLine(c.path); }), c.message);
    EXPECT_EQ(button.CommandLine(), good);
    EXPECT_EQ(button.icon().cacheKey(), picture);
  }
}

TEST_F(RunButtonTest, TwoClicksStartTwoProgramsAndAFailedStartIsShown) {
  const QString log = QString::fromStdString(dir.File("runs.log"));
  qputenv("MARVESSA_RUN_LOG", log.toLocal8Bit());
  button.SetCommandLine(Write("calc", "#!/bin/sh\necho \"$$ $#\" >> \"$MARVESSA_RUN_LOG\"\n", 0755));
  button.click();
  button.click();
  EXPECT_TRUE(box.Messages().empty());
  QStringList runs;
  QElapsedTimer waited;
  waited.start();
  while (runs.size() < 2 && waited.elapsed() < 10000) {
    QThread::msleep(20);
    QFile file(log);
    if (file.open(QIODevice::ReadOnly)) runs = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  ASSERT_EQ(runs.size(), 2);
  EXPECT_NE(runs[0], runs[1]);            // two processes
  EXPECT_TRUE(runs[0].endsWith(" 0"));  // no arguments
  qunsetenv("MARVESSA_RUN_LOG");

  // Executable, but no program the system can run.
  button.SetCommandLine(Write("broken", QByteArray("\x7f\x01\x02\x03", 4), 0755));
  button.click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().text, "Error executing program. Error Code:; 8.");
}

TEST(ProgramIcon, DesktopEntryNamesTheIcon) {
  testing_support::TempDir dir;
  auto entry = [&](const char* name, const char* text) {
    QFile file(QString::fromStdString(dir.File(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  };
  entry("a.desktop", "[Desktop Entry]\nExec=other-calc\nIcon=wrong\n");
  entry("b.desktop", "[Desktop Entry]\nName=Calculator\nExec=my-calc %U\nIcon=accessories-calculator\n"
                     "[Desktop Action New]\nIcon=also-wrong\n");
  entry("c.desktop", "[Desktop Entry]\nExec=\"/opt/my apps/spaced\" --new\nIcon=/opt/spaced.png\n");
  const QStringList folders{QString::fromStdString(dir.path())};
  EXPECT_EQ(DesktopEntryIcon("/usr/bin/my-calc", folders), "accessories-calculator");
  EXPECT_EQ(DesktopEntryIcon("/usr/bin/unknown", folders), "");
  EXPECT_EQ(DesktopEntryIcon("/opt/my apps/spaced", folders), "/opt/spaced.png");
  EXPECT_FALSE(ProgramIcon("/usr/bin/unknown-program").isNull());  // the drawn one
}

}  // namespace
}  // namespace marvessa
