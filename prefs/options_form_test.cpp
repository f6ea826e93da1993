#include "prefs/options_form.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

#include "prefs/display_font.h"
#include "prefs/pickers.h"
#include "prefs/recording_options_target.h"
#include "prefs/settings_store.h"

namespace marvessa {
namespace {


class OptionsFormTest : public ::testing::Test {
 protected:
  // Opens the dialog over `settings`; `inside` plays the candidate, then the
  // dialog is closed with OK or by its frame.
  bool Run(const std::function<void()>& inside, bool ok) {
    QTimer::singleShot(0, &form, [this, inside, ok] {
      inside();
      if (ok) {
        form.Ui().BitBtn1->click();
      } else {
        form.reject();  // what the frame's close box does
      }
    });
    return form.Execute(settings, target);
  }
  const TOptionsForm::Controls& Ui() { return form.Ui(); }

  TScriptedFontPicker fonts;
  TScriptedFilePicker files;
  TOptionsForm form{fonts, files};
  TSettings settings;
  TRecordingOptionsTarget target;
};

TEST_F(OptionsFormTest, OpensOnTheCurrentValuesAndOkWithoutChangesRewritesThem) {
  settings.TimerOn = false;
  settings.ShowLearnBtn = true;
  settings.DefaultTime = 900;
  settings.CalcPath = "/usr/bin/xcalc";
  TMemorySettingsStore store;
  WriteSettings(store, settings);
  const TSettings before = settings;
  bool shown = false;
  EXPECT_TRUE(Run(
      [&] {
        shown = true;
        EXPECT_EQ(form.windowTitle(), "Options");
        EXPECT_EQ(Ui().PageControl1->currentIndex(), 0);
        EXPECT_EQ(Ui().PageControl1->tabText(0), "'Learn Now' button");
        EXPECT_EQ(Ui().ListBox1->currentRow(), 0);
        EXPECT_EQ(Ui().Panel1->text(), "Question");
        EXPECT_EQ(Ui().SpinEdit1->value(), 900);
        EXPECT_EQ(Ui().Edit1->text(), "/usr/bin/xcalc");
        EXPECT_TRUE(Ui().LearnBtnItems[0]->isChecked());
        EXPECT_TRUE(Ui().TimerItems[1]->isChecked());
        EXPECT_TRUE(Ui().CalcBtnItems[0]->isChecked());
      },
      true));
  EXPECT_TRUE(shown);
  EXPECT_TRUE(target.calls.empty());
  EXPECT_EQ(settings, before);
}

TEST_F(OptionsFormTest, OkCarriesOutThePendingChoices) {
  files.Answer("/opt/calc");
  EXPECT_TRUE(Run(
      [&] {
        Ui().LearnBtnItems[0]->click();
        Ui().TimerItems[1]->click();
        Ui().SpinEdit1->setValue(9001);  // beyond the range: 9000
        Ui().SpeedButton1->click();
        EXPECT_EQ(Ui().Edit1->text(), "/opt/calc");
        Ui().SpeedButton1->click();  // cancelled: the path stays
      },
      true));
  EXPECT_EQ(target.calls, (std::vector<std::string>{"learn shown", "StartTimer", "assign /opt/calc"}));
  EXPECT_TRUE(settings.ShowLearnBtn);
  EXPECT_FALSE(settings.TimerOn);
  EXPECT_EQ(settings.DefaultTime, 9000);
  EXPECT_EQ(settings.CalcPath, "/opt/calc");
}

TEST_F(OptionsFormTest, ClosingByTheFrameKeepsOnlyTheChangedFont) {
  QFont chosen = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  chosen.setPointSize(15);
  chosen.setBold(true);
  chosen.setUnderline(true);
  fonts.Answer(chosen);
  fonts.Answer(std::nullopt);
  EXPECT_FALSE(Run(
      [&] {
        Ui().ListBox1->setCurrentRow(2);
        EXPECT_EQ(Ui().Panel1->text(), "Explanation");
        EXPECT_EQ(Ui().Panel1->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        Ui().BitBtn3->click();
        EXPECT_EQ(fonts.LastInitial().pointSize(), 10);
        EXPECT_EQ(Ui().Panel1->font().pointSize(), 15);
        Ui().BitBtn3->click();  // cancelled: nothing changes
        Ui().TimerItems[1]->click();
        Ui().SpinEdit1->setValue(5);
      },
      false));
  EXPECT_EQ(target.calls, std::vector<std::string>{"font 2"});
  const TFontSetting& font = settings.ExplanationFont;
  EXPECT_EQ(font.Name, chosen.family());
  EXPECT_EQ(font.Size, 15);
  EXPECT_TRUE(font.Bold);
  EXPECT_TRUE(font.Underline);
  EXPECT_EQ(font.Color, 0x800000);
  EXPECT_TRUE(settings.TimerOn);
  EXPECT_EQ(settings.DefaultTime, 90);

  // Opened again, the dialog shows the memory, not the dropped choices.
  EXPECT_TRUE(Run([&] { EXPECT_TRUE(Ui().TimerItems[0]->isChecked()); }, true));
}

TEST(DisplayFont, AFaceThatIsNotInstalledShowsAsSansSerif) {
  TFontSetting design;  // "MS Sans Serif"
  design.Size = 14;
  design.Italic = true;
  const QFont shown = DisplayFont(design);
  EXPECT_EQ(shown.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
  EXPECT_EQ(shown.pointSize(), 14);
  EXPECT_TRUE(shown.italic());
  EXPECT_EQ(design.Name, "MS Sans Serif");

  const QString installed = QFontDatabase::families().value(0);
  ASSERT_FALSE(installed.isEmpty());
  EXPECT_EQ(DisplayFont(TFontSetting{installed}).family(), installed);

  QFont pixels(installed);
  pixels.setPixelSize(20);
  EXPECT_EQ(FontSettingOf(pixels, 0, 96).Size, 15);  // 20 px at 96 dpi
  EXPECT_EQ(DisplayColor(0x800000), QColor(0, 0, 128));
  EXPECT_EQ(DisplayColor(0x0000FF), QColor(255, 0, 0));
}

}  // namespace
}  // namespace marvessa
