#pragma once
// What confirming the options dialog, and creating the exam window, do to
// the window's settings, without a window: the decisions live here, the
// exam window carries them out through IOptionsTarget.
#include <QString>
#include <functional>

#include "prefs/settings.h"

namespace marvessa {

// What the exam window does when its settings take effect.
class IOptionsTarget {
 public:
  virtual ~IOptionsTarget() = default;
  // The font of the slot was changed in place: show it now.
  virtual void FontChanged(TFontSlot slot) = 0;
  virtual void SetLearnButtonVisible(bool visible) = 0;
  virtual void SetCalcButtonVisible(bool visible) = 0;
  // The timer option changed (the settings already carry the new value).
  virtual void StartTimer() = 0;
  // Gives the path to the calculator button; false when the button refused
  // it (and has told the candidate why).
  virtual bool AssignCalcPath(const QString& path) = 0;
};

// The dialog's choices while it is open; dropped when it closes without OK.
struct TOptionChoices {
  bool ShowLearnBtn = false;
  bool TimerOn = true;
  bool ShowCalcBtn = true;
  int DefaultTime = 90;
  QString CalcPath;
};
TOptionChoices ChoicesFrom(const TSettings& settings);

// The settings just read take effect while the exam window is created: the
// fonts, the "Learn Now" button, and the calculator button when its program
// exists and the button takes it. Otherwise the button is hidden and
// ShowCalcBtn becomes false in memory (it reaches the store only with a
// later OK), so the window is always created whole.
void ApplyStartupSettings(TSettings& settings, IOptionsTarget& target,
                          const std::function<bool(const QString&)>& fileExists);
void ApplyStartupSettings(TSettings& settings, IOptionsTarget& target);

// OK in the options dialog: each changed choice takes effect. A calculator
// path that the button refuses is still kept as CalcPath (the button keeps
// its previous program). The caller then writes all twenty values.
void ApplyChoices(TSettings& settings, const TOptionChoices& choices, IOptionsTarget& target);

}  // namespace marvessa
