#include "prefs/settings.h"

#include <QStandardPaths>

#include "prefs/settings_store.h"

namespace marvessa {

namespace {

// Sizes and colours outside these ranges cannot be shown and count as
// malformed.
constexpr int kMaxFontSize = 1000;
constexpr int kMaxColor = 0xFFFFFF;

int ReadInRange(const ISettingsStore& store, const QString& name, int defaultValue, int low, int high) {
  const int value = ReadInteger(store, name, defaultValue);
  return value >= low && value <= high ? value : defaultValue;
}

void ReadFont(const ISettingsStore& store, const QString& prefix, TFontSetting& font) {
  const QString face = store.Value(prefix + "FontName");
  if (!face.isEmpty()) font.Name = face.left(kMaxFaceLength);  // empty: the face stays
  font.Color = ReadInRange(store, prefix + "FontColor", font.Color, 0, kMaxColor);
  font.Size = ReadInRange(store, prefix + "FontSize", font.Size, 1, kMaxFontSize);
  font.Bold = ReadBoolean(store, prefix + "FontBold", false);
  font.Italic = ReadBoolean(store, prefix + "FontItalic", false);
}

QString Bool(bool value) { return value ? "1" : "0"; }

const char* const kCalculators[] = {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"};

}  // namespace

const char* const kSettingNames[20] = {
    "QFontName",   "QFontColor",   "QFontSize",    "DefaultTime",  "QFontBold",     "QFontItalic",  "AFontName",
    "AFontColor",  "AFontSize",    "AFontBold",    "AFontItalic",  "EXPFontName",   "EXPFontColor", "EXPFontSize",
    "EXPFontBold", "EXPFontItalic", "ShowLearnBtn", "TimerOn",     "ShowCalcBtn",   "CalcPath"};

TFontSetting& TSettings::Font(TFontSlot slot) {
  switch (slot) {
    case TFontSlot::Question: return QuestionFont;
    case TFontSlot::Answer: return AnswerFont;
    case TFontSlot::Explanation: break;
  }
  return ExplanationFont;
}

const TFontSetting& TSettings::Font(TFontSlot slot) const { return const_cast<TSettings*>(this)->Font(slot); }

TSettings ReadSettings(const ISettingsStore& store, const QString& defaultCalcPath) {
  TSettings s;
  ReadFont(store, "Q", s.QuestionFont);
  ReadFont(store, "A", s.AnswerFont);
  ReadFont(store, "EXP", s.ExplanationFont);
  s.ShowLearnBtn = ReadBoolean(store, "ShowLearnBtn", false);
  s.ShowCalcBtn = ReadBoolean(store, "ShowCalcBtn", true);
  s.TimerOn = ReadBoolean(store, "TimerOn", true);
  s.DefaultTime = ReadInteger(store, "DefaultTime", 90);
  const QString path = store.Value("CalcPath");
  s.CalcPath = path.isNull() ? defaultCalcPath : path;
  return s;
}

void WriteSettings(ISettingsStore& store, const TSettings& s) {
  const TFontSetting& q = s.QuestionFont;
  const TFontSetting& a = s.AnswerFont;
  const TFontSetting& e = s.ExplanationFont;
  const QString values[20] = {q.Name,        QString::number(q.Color), QString::number(q.Size),
                              QString::number(s.DefaultTime), Bool(q.Bold), Bool(q.Italic),
                              a.Name,        QString::number(a.Color), QString::number(a.Size),
                              Bool(a.Bold),  Bool(a.Italic),
                              e.Name,        QString::number(e.Color), QString::number(e.Size),
                              Bool(e.Bold),  Bool(e.Italic),
                              Bool(s.ShowLearnBtn), Bool(s.TimerOn), Bool(s.ShowCalcBtn), s.CalcPath};
  for (int i = 0; i < 20; ++i) store.SetValue(kSettingNames[i], values[i]);
}

QString DefaultCalcPath(const std::function<QString(const QString&)>& find) {
  for (const char* name : kCalculators) {
    QString path = find(name);
    if (!path.isEmpty()) return path;
  }
  return QString("/usr/bin/") + kCalculators[0];
}

QString DefaultCalcPath() {
  return DefaultCalcPath([](const QString& name) { return QStandardPaths::findExecutable(name); });
}

}  // namespace marvessa
