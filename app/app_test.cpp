// The application shell: the lock name, one instance at a time, the start
// window and the windows it opens, the table password dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "app/password_dialog.h"
#include "app/single_instance.h"
#include "engine/session.h"
#include "exam/data/test_bank.h"
#include "exam/session/exam_window_options.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"
#include "prefs/clock.h"
#include "prefs/about_form.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/options_form.h"
#include "prefs/settings_store.h"
#include "sampler/sampler_form.h"
#include "testing/temp_dir.h"

namespace marvessa {
namespace {

TEST(SingleInstance, LockNameFromTheProgramFile) {
  struct Case {
    const char* path;
    const char* title;
  };
  for (Case c : {Case{"/opt/marvessa/bin/marvessa", "marvessa"}, Case{"MARVESSA.EXE", "Marvessa"},
                 Case{"/x/Marvessa.bin.old", "Marvessa"}, Case{"mArVeSsA", "marvessa"}, Case{"/x/.hidden", ""}})
    EXPECT_EQ(DefaultTitle(c.path), c.title) << c.path;
  EXPECT_EQ(LockName("/usr/local/bin/marvessa"), "PREVINST:marvessa");
}

TEST(SingleInstance, SecondStartAsksTheFirstToComeForward) {
  testing_support::TempDir dir;
  const QString folder = QString::fromStdString(dir.path());
  // A name of this test's own: the socket lives in the shared temporary folder.
  const QString name = "PREVINST:" + QFileInfo(folder).fileName();
  auto first = std::make_unique<TSingleInstance>(name, folder);
  ASSERT_TRUE(first->TryLock());
  int activations = 0;
  first->Listen([&] { ++activations; });

  TSingleInstance second(name, folder);
  EXPECT_FALSE(second.TryLock());
  // The running instance answers from its event loop.
  bool answered = false;
  QTimer::singleShot(0, [&] { answered = second.ActivateRunning(300); });
  QElapsedTimer clock;
  clock.start();
  while (activations == 0 && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(activations, 1);
  EXPECT_TRUE(answered);

  // Once the first has ended, the next start is the first again; a start
  // that finds nobody listening reports it.
  first.reset();
  TSingleInstance third(name, folder);
  EXPECT_TRUE(third.TryLock());
  TSingleInstance fourth(name + "-nobody", folder);
  EXPECT_FALSE(fourth.ActivateRunning(200));
}

TEST(SingleInstance, TheProgramStartedTwiceRunsOnce) {
  testing_support::TempDir dir;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("TMPDIR", QString::fromStdString(dir.path()));
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  const QString program = QString(MARVESSA_RUNTIME_DIR) + "/marvessa";
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(program);
  ASSERT_TRUE(first.waitForStarted(5000));
  // The first instance holds its lock once its windows exist.
  QElapsedTimer clock;
  clock.start();
  while (QDir(QString::fromStdString(dir.path())).entryList({"*.lock"}, QDir::Files).isEmpty() &&
         clock.elapsed() < 20000)
    QThread::msleep(50);
  QThread::msleep(1500);
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(program);
  EXPECT_TRUE(second.waitForFinished(20000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  first.terminate();
  first.waitForFinished(5000);
}

TEST(SingleInstance, BringForwardRestoresAMinimisedWindow) {
  QWidget window;
  window.showMinimized();
  QCoreApplication::processEvents();
  BringApplicationForward();
  EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(window.isVisible());
}

class StartWindowTest : public ::testing::Test {
 protected:
  StartWindowTest() { SetErrorMessageBox(&box); }
  ~StartWindowTest() override { SetErrorMessageBox(nullptr); }

  testing::TBankFolder folder;
  TScriptedMessageBox box;
  TFixedClock clock{QDateTime::currentDateTimeUtc()};
  TMemorySettingsStore settings;
};

TEST_F(StartWindowTest, StartTestingOpensTheExamWindowAndComesBack) {
  // The start window makes the program's folder the working directory.
  testing_support::TempDir elsewhere;
  QDir::setCurrent(QString::fromStdString(elsewhere.path()));
  TApplicationWindows windows({box, clock, settings}, QString::fromStdString(folder.Path()));
  EXPECT_EQ(QDir::currentPath(), QDir(QString::fromStdString(folder.Path())).canonicalPath());
  TMainForm& main = windows.MainForm();
  EXPECT_EQ(main.windowTitle(), "Marvessa");
  EXPECT_EQ(main.Ui().StartTestBtn->text(), "Start &Testing");
  EXPECT_EQ(main.Ui().SamplerBtn->text(), "Test &Sampler");
  EXPECT_EQ(main.Ui().fcShapeBtn3->text(), "E&xit");
  EXPECT_TRUE(main.Ui().SamplerBtn->isEnabled());
  // The exam window registered the table password with its session.
  EXPECT_EQ(windows.TestForm().Tables().IsamSession1.Passwords(), std::vector<std::string>{"Lanternfish2718"});

  main.show();
  main.Ui().StartTestBtn->click();
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(windows.TestForm().isVisible());
  EXPECT_TRUE(windows.TestForm().Ui().Panel4->isVisible());
  windows.TestForm().close();
  EXPECT_TRUE(main.isVisible());
  EXPECT_FALSE(windows.TestForm().isVisible());

  int closed = 0;
  main.OnClosed = [&] { ++closed; };
  main.Ui().fcShapeBtn3->click();
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(main.isVisible());
}

TEST_F(StartWindowTest, TestSamplerOpensTheSamplerAndComesBack) {
  TApplicationWindows windows({box, clock, settings}, QString::fromStdString(folder.Path()));
  TMainForm& main = windows.MainForm();
  TSamplerForm& sampler = windows.SamplerForm();
  main.show();
  main.Ui().SamplerBtn->click();
  EXPECT_FALSE(main.isVisible());
  EXPECT_TRUE(sampler.isVisible());
  EXPECT_EQ(sampler.windowModality(), Qt::ApplicationModal);
  box.Answer(mbOK);
  sampler.close();
  EXPECT_TRUE(main.isVisible());
  EXPECT_FALSE(sampler.isVisible());

  // A user set that cannot be opened: the error is shown and the start
  // window comes back instead of leaving the program without a window.
  std::filesystem::remove(std::filesystem::path(folder.Path()) / "qvaultusr.DAT");
  box.Clear();
  main.Ui().SamplerBtn->click();
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_TRUE(main.isVisible());
  EXPECT_FALSE(sampler.isVisible());
}

TEST_F(StartWindowTest, ExamWindowMenusOpenTheAboutWindowAndTheOptions) {
  TApplicationWindows windows({box, clock, settings}, QString::fromStdString(folder.Path()));
  TTestForm& exam = windows.TestForm();
  bool aboutShown = false, optionsShown = false;
  QTimer::singleShot(0, &windows.AboutForm(), [&] {
    aboutShown = windows.AboutForm().isVisible();
    windows.AboutForm().Ui().OKButton->click();
  });
  exam.Ui().About1->trigger();
  TOptionsForm& options = windows.ExamOptions().OptionsForm();
  QTimer::singleShot(0, &options, [&] {
    optionsShown = options.isVisible();
    options.reject();
  });
  exam.Ui().Preferences1->trigger();
  EXPECT_TRUE(aboutShown);
  EXPECT_TRUE(optionsShown);
  EXPECT_TRUE(settings.Value("TimerOn").isNull());  // closed by its frame: nothing written
}

// The printouts are offered where the candidate asks for them.
TEST_F(StartWindowTest, ExamAndScoreWindowsPrint) {
  TApplicationWindows windows({box, clock, settings}, QString::fromStdString(folder.Path()));
  EXPECT_TRUE(windows.TestForm().Handlers().Print1Click);
  EXPECT_TRUE(windows.TestForm().Handlers().Print2Click);
  EXPECT_TRUE(windows.ScoreForm().OnPrintReport);
}

TEST(PasswordDialog, AddsRemovesAndConfirms) {
  isam::TIsamSession session("PasswordDialogTest");
  session.SetSessionName("PasswordDialogTest");
  session.SetActive(true);
  TIsamPasswordDialog dialog(session);
  const auto& ui = dialog.Ui();
  EXPECT_EQ(dialog.windowTitle(), "Enter password");
  EXPECT_FALSE(ui.OKButton->isEnabled() || ui.AddButton->isEnabled() || ui.RemoveButton->isEnabled());
  ui.Edit->setText("first");
  EXPECT_TRUE(ui.OKButton->isEnabled() && ui.AddButton->isEnabled() && ui.RemoveButton->isEnabled());
  EXPECT_EQ(ui.Edit->echoMode(), QLineEdit::Password);
  ui.AddButton->click();
  EXPECT_TRUE(ui.Edit->text().isEmpty());
  EXPECT_TRUE(ui.OKButton->isEnabled()) << "a password was added in this showing";
  EXPECT_FALSE(ui.AddButton->isEnabled());
  ui.Edit->setText("second");
  ui.AddButton->click();
  ui.Edit->setText("first");
  ui.RemoveButton->click();
  EXPECT_EQ(session.Passwords(), std::vector<std::string>{"second"});
  ui.RemoveAllButton->click();
  EXPECT_TRUE(session.Passwords().empty());
  ui.Edit->setText("Lanternfish2718");
  ui.OKButton->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(session.Passwords(), std::vector<std::string>{"Lanternfish2718"});
}

TEST(PasswordDialog, OpensAProtectedTableWhenTheRightPasswordIsTyped) {
  testing::TBankFolder folder;
  isam::TIsamSession session("Unregistered");
  session.SetSessionName("Unregistered");
  session.SetActive(true);
  InstallPasswordDialog();
  isam::TIsamTable bank;
  bank.SetSessionName("Unregistered");
  bank.SetTableName("qvault.DAT");
  int asked = 0;
  // First showing: cancelled, the open fails; second: the password typed.
  auto answer = [&](bool ok) {
    QTimer::singleShot(0, [&asked, ok] {
      auto* dialog = qobject_cast<TIsamPasswordDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      ++asked;
      if (ok) {
        dialog->Ui().Edit->setText("Lanternfish2718");
        dialog->Ui().OKButton->click();
      } else {
        dialog->Ui().CancelButton->click();
      }
    });
  };
  answer(false);
  EXPECT_THROW(bank.Open(), isam::EIsamEngineError);
  EXPECT_FALSE(bank.Active());
  answer(true);
  bank.Open();
  EXPECT_TRUE(bank.Active());
  EXPECT_EQ(asked, 2);
  bank.Close();
  isam::Sessions().SetPasswordPrompt(nullptr);
}

}  // namespace
}  // namespace marvessa
