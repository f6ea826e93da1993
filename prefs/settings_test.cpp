#include "prefs/settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "prefs/options.h"
#include "prefs/recording_options_target.h"
#include "prefs/settings_store.h"

namespace marvessa {
namespace {

const QString kDefaultCalc = "/usr/bin/gnome-calculator";

TEST(Settings, AnEmptyStoreGivesTheDefaults) {
  TMemorySettingsStore empty;
  const TSettings s = ReadSettings(empty, kDefaultCalc);
  for (const TFontSetting* f : {&s.QuestionFont, &s.AnswerFont, &s.ExplanationFont}) {
    EXPECT_EQ(f->Name, "MS Sans Serif");
    EXPECT_EQ(f->Size, 10);
    EXPECT_FALSE(f->Bold || f->Italic);
  }
  EXPECT_EQ(s.QuestionFont.Color, 0);
  EXPECT_EQ(s.AnswerFont.Color, 0);
  EXPECT_EQ(s.ExplanationFont.Color, 8388608);  // navy
  EXPECT_FALSE(s.ShowLearnBtn);
  EXPECT_TRUE(s.ShowCalcBtn);
  EXPECT_TRUE(s.TimerOn);
  EXPECT_EQ(s.DefaultTime, 90);
  EXPECT_EQ(s.CalcPath, kDefaultCalc);
}

TEST(Settings, MalformedValuesFallBackToTheirDefaults) {
  struct Case {
    const char* name;
    const char* stored;
    std::function<bool(const TSettings&)> holds;
  };
  const std::vector<Case> cases = {
      {"QFontSize", "abc", [](const TSettings& s) { return s.QuestionFont.Size == 10; }},
      {"QFontSize", "0", [](const TSettings& s) { return s.QuestionFont.Size == 10; }},
      {"AFontSize", "-12", [](const TSettings& s) { return s.AnswerFont.Size == 10; }},
      {"AFontSize", "99999999999", [](const TSettings& s) { return s.AnswerFont.Size == 10; }},
      {"EXPFontSize", "14", [](const TSettings& s) { return s.ExplanationFont.Size == 14; }},
      {"EXPFontColor", "blue", [](const TSettings& s) { return s.ExplanationFont.Color == 0x800000; }},
      {"QFontColor", "-1", [](const TSettings& s) { return s.QuestionFont.Color == 0; }},
      {"QFontColor", "255", [](const TSettings& s) { return s.QuestionFont.Color == 255; }},
      {"ShowLearnBtn", "7", [](const TSettings& s) { return s.ShowLearnBtn; }},
      {"ShowLearnBtn", "-1", [](const TSettings& s) { return s.ShowLearnBtn; }},
      {"ShowLearnBtn", "yes", [](const TSettings& s) { return !s.ShowLearnBtn; }},
      {"TimerOn", "", [](const TSettings& s) { return s.TimerOn; }},
      {"TimerOn", "0", [](const TSettings& s) { return !s.TimerOn; }},
      {"DefaultTime", "900", [](const TSettings& s) { return s.DefaultTime == 900; }},
      {"DefaultTime", "1.5", [](const TSettings& s) { return s.DefaultTime == 90; }},
      {"QFontName", "", [](const TSettings& s) { return s.QuestionFont.Name == "MS Sans Serif"; }},
      {"AFontName", "An Extremely Long Font Family Name Indeed",
       [](const TSettings& s) { return s.AnswerFont.Name == "An Extremely Long Font Family N"; }},
      {"CalcPath", "", [](const TSettings& s) { return s.CalcPath.isEmpty(); }},
  };
  for (const Case& c : cases) {
    TMemorySettingsStore store;
    store.SetValue(c.name, c.stored);
    EXPECT_TRUE(c.holds(ReadSettings(store, kDefaultCalc))) << c.name << "=" << c.stored;
  }
}

// Remembers the order of the writes.
class TRecordingStore : public TMemorySettingsStore {
 public:
  void SetValue(const QString& name, const QString& value) override {
    names.push_back(name);
    TMemorySettingsStore::SetValue(name, value);
  }
  std::vector<QString> names;
};

TEST(Settings, WritingStoresAllTwentyInOrderAndReadsBack) {
  TMemorySettingsStore start;
  start.SetValue("AFontBold", "1");
  start.SetValue("EXPFontBold", "0");
  start.SetValue("EXPFontItalic", "5");
  start.SetValue("QFontName", "DejaVu Serif");
  start.SetValue("DefaultTime", "900");
  const TSettings s = ReadSettings(start, kDefaultCalc);

  TRecordingStore out;
  WriteSettings(out, s);
  const std::vector<QString> order = {
      "QFontName",   "QFontColor",   "QFontSize",    "DefaultTime", "QFontBold",   "QFontItalic", "AFontName",
      "AFontColor",  "AFontSize",    "AFontBold",    "AFontItalic", "EXPFontName", "EXPFontColor", "EXPFontSize",
      "EXPFontBold", "EXPFontItalic", "ShowLearnBtn", "TimerOn",    "ShowCalcBtn", "CalcPath"};
  EXPECT_EQ(out.names, order);
  EXPECT_EQ(out.Value("AFontBold"), "1");
  EXPECT_EQ(out.Value("EXPFontBold"), "0");
  EXPECT_EQ(out.Value("EXPFontItalic"), "1");
  EXPECT_EQ(out.Value("EXPFontColor"), "8388608");
  EXPECT_EQ(out.Value("QFontName"), "DejaVu Serif");
  EXPECT_EQ(out.Value("AFontName"), "MS Sans Serif");
  EXPECT_EQ(out.Value("CalcPath"), kDefaultCalc);

  const TSettings again = ReadSettings(out, "/elsewhere");
  EXPECT_EQ(again, s);
  EXPECT_TRUE(again.AnswerFont.Bold);
  EXPECT_FALSE(again.ExplanationFont.Bold);
}

TEST(Settings, DefaultCalculatorIsTheFirstInstalled) {
  auto only = [](std::set<QString> installed) {
    return [installed](const QString& name) { return installed.count(name) ? "/opt/bin/" + name : QString(); };
  };
  EXPECT_EQ(DefaultCalcPath(only({"xcalc", "kcalc"})), "/opt/bin/kcalc");
  EXPECT_EQ(DefaultCalcPath(only({"mate-calc"})), "/opt/bin/mate-calc");
  EXPECT_EQ(DefaultCalcPath(only({})), "/usr/bin/gnome-calculator");
}


TEST(Options, StartupShowsTheCalculatorOnlyWhenItsProgramIsThereAndTaken) {
  struct Case {
    const char* what;
    bool exists, accepted, stored;
    std::vector<std::string> calls;
    bool showCalc;
  };
  const std::vector<Case> cases = {
      {"shown", true, true, true, {"learn hidden", "assign /c", "calc shown"}, true},
      {"switched off", true, true, false, {"learn hidden", "assign /c", "calc hidden"}, false},
      {"missing", false, true, true, {"learn hidden", "calc hidden"}, false},
      {"refused", true, false, true, {"learn hidden", "assign /c", "calc hidden"}, false},
  };
  const std::vector<std::string> fonts = {"font 0", "font 1", "font 2"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TSettings s;
    s.CalcPath = "/c";
    s.ShowCalcBtn = c.stored;
    TRecordingOptionsTarget target;
    target.accept = c.accepted;
    ApplyStartupSettings(s, target, [&](const QString&) { return c.exists; });
    std::vector<std::string> expected = fonts;
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(target.calls, expected);
    EXPECT_EQ(s.ShowCalcBtn, c.showCalc);
  }

  // A missing program is stored as "not shown" by the next OK.
  TSettings s;
  s.CalcPath = "/no/such/calculator";
  TRecordingOptionsTarget target;
  ApplyStartupSettings(s, target);
  ApplyChoices(s, ChoicesFrom(s), target);
  TMemorySettingsStore store;
  WriteSettings(store, s);
  EXPECT_EQ(store.Value("ShowCalcBtn"), "0");
}

TEST(Options, OkCarriesOutOnlyWhatChanged) {
  TSettings s;
  s.CalcPath = "/old";
  TRecordingOptionsTarget target;
  ApplyChoices(s, ChoicesFrom(s), target);
  EXPECT_TRUE(target.calls.empty());

  TOptionChoices c = ChoicesFrom(s);
  c.ShowLearnBtn = true;
  c.TimerOn = false;
  c.ShowCalcBtn = false;
  c.DefaultTime = 900;
  c.CalcPath = "/Old";  // case counts
  target.accept = false;
  ApplyChoices(s, c, target);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"learn shown", "StartTimer", "calc hidden", "assign /Old"}));
  EXPECT_EQ(s.DefaultTime, 900);
  EXPECT_EQ(s.CalcPath, "/Old");  // kept though the button refused it
  EXPECT_FALSE(s.TimerOn);
}

}  // namespace
}  // namespace marvessa
