#include "prefs/options.h"

#include <QFileInfo>

namespace marvessa {

TOptionChoices ChoicesFrom(const TSettings& s) {
  return TOptionChoices{s.ShowLearnBtn, s.TimerOn, s.ShowCalcBtn, s.DefaultTime, s.CalcPath};
}

void ApplyStartupSettings(TSettings& s, IOptionsTarget& target, const std::function<bool(const QString&)>& fileExists) {
  for (TFontSlot slot : {TFontSlot::Question, TFontSlot::Answer, TFontSlot::Explanation}) target.FontChanged(slot);
  target.SetLearnButtonVisible(s.ShowLearnBtn);
  if (!fileExists(s.CalcPath) || !target.AssignCalcPath(s.CalcPath)) s.ShowCalcBtn = false;
  target.SetCalcButtonVisible(s.ShowCalcBtn);
}

void ApplyStartupSettings(TSettings& s, IOptionsTarget& target) {
  ApplyStartupSettings(s, target, [](const QString& path) { return QFileInfo::exists(path); });
}

void ApplyChoices(TSettings& s, const TOptionChoices& c, IOptionsTarget& target) {
  if (c.ShowLearnBtn != s.ShowLearnBtn) {
    s.ShowLearnBtn = c.ShowLearnBtn;
    target.SetLearnButtonVisible(s.ShowLearnBtn);
  }
  if (c.TimerOn != s.TimerOn) {
    s.TimerOn = c.TimerOn;
    target.StartTimer();
  }
  if (c.ShowCalcBtn != s.ShowCalcBtn) {
    s.ShowCalcBtn = c.ShowCalcBtn;
    target.SetCalcButtonVisible(s.ShowCalcBtn);
  }
  s.DefaultTime = c.DefaultTime;
  if (c.CalcPath != s.CalcPath) {
    s.CalcPath = c.CalcPath;
    target.AssignCalcPath(s.CalcPath);
  }
}

}  // namespace marvessa
