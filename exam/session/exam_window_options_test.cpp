#include "exam/session/exam_window_options.h"

#include <sys/stat.h>

#include "exam/presentation/item_pane.h"
#include "exam/session/exam_window_fixture.h"
#include "prefs/display_font.h"
#include "prefs/options_form.h"
#include "prefs/pickers.h"
#include "prefs/program_starter.h"
#include "prefs/run_button.h"
#include "testing/temp_dir.h"

#include <QFile>
#include <QFontDatabase>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

namespace marvessa::testing {
namespace {

struct TRecordingStarter : IProgramStarter {
  int Start(const QString& program) override {
    started.push_back(program);
    return 0;
  }
  std::vector<QString> started;
};

class ExamWindowOptionsTest : public ExamWindowTest {
 protected:
  // The exam window with its settings read from `settings`.
  TExamWindowOptions& Options() {
    if (!options_) {
      options_ = std::make_unique<TExamWindowOptions>(
          Form(), TExamWindowOptions::Services{settings, starter, fonts, files}, "/no/default/calculator");
      options_->LoadSettings();
    }
    return *options_;
  }
  // "&Options..." with the candidate's moves; closed with OK or by its frame.
  void OpenOptions(const std::function<void(const TOptionsForm::Controls&)>& moves, bool ok) {
    TOptionsForm& form = Options().OptionsForm();
    QTimer::singleShot(0, &form, [&form, moves, ok] {
      moves(form.Ui());
      if (ok) {
        form.Ui().BitBtn1->click();
      } else {
        form.reject();
      }
    });
    Ui().Preferences1->trigger();
  }
  QString Program(const char* name, mode_t mode) {
    const QString path = QString::fromStdString(scratch.File(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    chmod(path.toLocal8Bit().constData(), mode);
    return path;
  }
  const TItemFonts& PaneFonts() { return Ui().ScrollBox1->Fonts(); }
  QToolButton* CalcButton() { return Ui().ScrollBox1->Ui().CalcButton; }

  testing_support::TempDir scratch;
  TRecordingStarter starter;
  TScriptedFontPicker fonts;
  TScriptedFilePicker files;

 private:
  std::unique_ptr<TExamWindowOptions> options_;
};

TEST_F(ExamWindowOptionsTest, StoredSettingsDriveTheItemAreaAndTheCalculator) {
  settings.SetValue("QFontSize", "14");
  settings.SetValue("AFontBold", "1");
  settings.SetValue("EXPFontColor", "255");
  settings.SetValue("ShowLearnBtn", "3");
  const QString calc = Program("calc", 0755);
  settings.SetValue("CalcPath", calc);
  Options();
  EXPECT_EQ(PaneFonts().question.pointSize(), 14);
  EXPECT_EQ(PaneFonts().question.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  EXPECT_TRUE(PaneFonts().answer.bold());
  EXPECT_FALSE(PaneFonts().explanation.bold());
  EXPECT_EQ(PaneFonts().explanationColor, QColor(255, 0, 0));
  EXPECT_TRUE(Session().Options().ShowLearnBtn);

  StartWith(Ui().RoundButtons[2]);
  EXPECT_TRUE(Ui().LearnButton->isVisible());
  ASSERT_TRUE(CalcButton()->isVisible());
  CalcButton()->click();
  CalcButton()->click();
  EXPECT_EQ(starter.started, (std::vector<QString>{calc, calc}));
  EXPECT_TRUE(box.Messages().empty());
}

TEST_F(ExamWindowOptionsTest, AMissingOrRefusedCalculatorHidesTheButton) {
  struct Case {
    QString path, message;
  };
  const QString plain = Program("calc.txt", 0644);
  const QString missing = QString::fromStdString(scratch.File("gone"));
  for (const Case& c : {Case{missing, ""}, Case{plain, plain + " is not an executable file."}}) {
    SCOPED_TRACE(c.path.toStdString());
    TMemorySettingsStore store;
    store.SetValue("CalcPath", c.path);
    store.SetValue("ShowCalcBtn", "1");
    TExamWindowOptions options(Form(), {store, starter, fonts, files}, "/none");
    box.Clear();
    options.LoadSettings();
    EXPECT_FALSE(options.Settings().ShowCalcBtn);
    if (c.message.isEmpty()) {
      EXPECT_TRUE(box.Messages().empty());
    } else {
      ASSERT_EQ(box.Messages().size(), 1u);
      EXPECT_EQ(box.Last().text, c.message);
    }
    // The window is whole: its menu still opens the options, and OK
    // stores the button as not shown.
    TOptionsForm& form = options.OptionsForm();
    QTimer::singleShot(0, &form, [&form] { form.Ui().BitBtn1->click(); });
    Ui().Preferences1->trigger();
    EXPECT_EQ(store.Value("ShowCalcBtn"), "0");
    EXPECT_EQ(store.Value("CalcPath"), c.path);
    EXPECT_EQ(store.Value("QFontName"), "MS Sans Serif");
    EXPECT_EQ(store.Value("DefaultTime"), "90");
  }
  StartWith(Ui().RoundButtons[2]);
  EXPECT_FALSE(CalcButton()->isVisible());
}

TEST_F(ExamWindowOptionsTest, TimerOptionMidExamStartsTheFullLimitAgain) {
  Options();
  StartWith(Ui().RoundButtons[2]);
  ASSERT_TRUE(Ui().TimeLabel->isVisible());
  const QString full = Ui().TimeLabel->text();
  clock.Set(clock.NowUtc().addSecs(600));
  Session().Timer1Timer();
  ASSERT_NE(Ui().TimeLabel->text(), full);

  OpenOptions(
      [](const TOptionsForm::Controls& ui) {
        ui.TimerItems[1]->click();
        ui.SpinEdit1->setValue(45);
      },
      true);
  EXPECT_FALSE(Ui().TimeLabel->isVisible());
  EXPECT_EQ(settings.Value("TimerOn"), "0");
  EXPECT_EQ(Session().Options().DefaultTime, 45);  // the next start dialog proposes it
  EXPECT_EQ(settings.Value("DefaultTime"), "45");
  OpenOptions([](const TOptionsForm::Controls& ui) { ui.TimerItems[0]->click(); }, true);
  EXPECT_TRUE(Ui().TimeLabel->isVisible());
  EXPECT_EQ(Ui().TimeLabel->text(), full);
  EXPECT_EQ(settings.Value("TimerOn"), "1");
}

TEST_F(ExamWindowOptionsTest, AFontChangedThenClosedByTheFrameStaysUntilRestart) {
  Options();
  QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  chosen.setPointSize(16);
  fonts.Answer(chosen);
  OpenOptions(
      [](const TOptionsForm::Controls& ui) {
        ui.ListBox1->setCurrentRow(2);
        ui.BitBtn3->click();
        ui.LearnBtnItems[0]->click();
      },
      false);
  EXPECT_EQ(PaneFonts().explanation.pointSize(), 16);
  EXPECT_EQ(PaneFonts().explanation.family(), chosen.family());
  EXPECT_FALSE(Session().Options().ShowLearnBtn);
  EXPECT_TRUE(settings.Value("EXPFontSize").isNull());  // nothing written

  // A restart reads the store: the old font is back.
  TExamWindowOptions restarted(Form(), {settings, starter, fonts, files}, "/none");
  restarted.LoadSettings();
  EXPECT_EQ(PaneFonts().explanation.pointSize(), 10);
}

}  // namespace
}  // namespace marvessa::testing
