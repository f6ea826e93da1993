// Every control a candidate can reach has a name a screen reader can say:
// its caption, or an accessible name where it has none (icon buttons, fields
// beside their labels, charts, lists).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>
#include <QWidget>

#include "app/app_windows.h"
#include "app/main_form.h"
#include "exam/data/progress_form.h"
#include "exam/data/test_bank.h"
#include "exam/presentation/note_form.h"
#include "exam/presentation/pict_form.h"
#include "exam/session/exam_window_options.h"
#include "exam/session/name_form.h"
#include "exam/session/review_form.h"
#include "exam/session/score_form.h"
#include "exam/session/test_form.h"
#include "prefs/about_form.h"
#include "prefs/clock.h"
#include "prefs/error_display.h"
#include "prefs/message_box.h"
#include "prefs/options_form.h"
#include "prefs/settings_store.h"
#include "sampler/sampler_form.h"

namespace marvessa {
namespace {

// A picture without a caption (a banner, an icon) says what it shows.
bool IsPicture(QWidget* w) {
  auto* label = qobject_cast<QLabel*>(w);
  return label && label->text().isEmpty() && !label->pixmap().isNull();
}

bool IsControl(QWidget* w) {
  // Qt's own inner parts (a spin box's line edit, a combo box's list, the
  // scroll buttons of a tab bar) are named through their owner.
  if (w->objectName().startsWith("qt_")) return false;
  if (qobject_cast<QLineEdit*>(w) && qobject_cast<QAbstractSpinBox*>(w->parentWidget())) return false;
  if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget())) return false;
  if (qobject_cast<QAbstractButton*>(w) && qobject_cast<QTabBar*>(w->parentWidget())) return false;
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
         qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
         qobject_cast<QAbstractItemView*>(w) || w->inherits("QChartView") || IsPicture(w);
}

TEST(AccessibleNames, EveryControlOfEveryWindowHasOne) {
  testing::TBankFolder folder;
  TScriptedMessageBox box;
  SetErrorMessageBox(&box);
  TFixedClock clock{QDateTime::currentDateTimeUtc()};
  TMemorySettingsStore settings;
  {
    TApplicationWindows windows({box, clock, settings}, QString::fromStdString(folder.Path()));
    // The progress and exhibit windows hold no control until they show
    // something; the others are checked for having controls at all, so that
    // the test cannot pass by finding none.
    const std::vector<std::pair<const char*, QWidget*>> forms = {
        {"start window", &windows.MainForm()},      {"exam window", &windows.TestForm()},
        {"progress", &windows.ProgressForm()},       {"start dialog", &windows.NameForm()},
        {"score report", &windows.ScoreForm()},      {"items review", &windows.ReviewForm()},
        {"note", &windows.NoteForm()},               {"exhibit 1", &windows.Pict1Form()},
        {"exhibit 2", &windows.Pict2Form()},         {"about", &windows.AboutForm()},
        {"sampler", &windows.SamplerForm()},         {"options", &windows.ExamOptions().OptionsForm()}};
    for (const auto& [form, window] : forms) {
      int controls = 0;
      for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!IsControl(w)) continue;
        ++controls;
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).trimmed().isEmpty())
            << form << ": " << w->metaObject()->className() << " '" << w->objectName().toStdString() << "'";
      }
      const std::string name = form;
      if (name != "progress" && name.rfind("exhibit", 0) != 0) {
        EXPECT_GT(controls, 0) << form << " has controls to check";
      }
    }
  }
  SetErrorMessageBox(nullptr);
}

}  // namespace
}  // namespace marvessa
