#pragma once
// TExamWindowOptions: the exam window's settings and what they drive. It
// reads them while the exam window is created (LoadSettings), binds the
// item area's fonts, the "Learn Now" button, the timer and the calculator
// button to them, and opens the options dialog from "&Options...".
#include <QPointer>
#include <QString>
#include <memory>

#include "prefs/options.h"
#include "prefs/settings.h"

namespace marvessa {

class IFilePicker;
class IFontPicker;
class IProgramStarter;
class ISettingsStore;
class TOptionsForm;
class TRunCommand;
class TTestForm;
struct TItemFonts;

class TExamWindowOptions : public IOptionsTarget {
 public:
  struct Services {
    ISettingsStore& store;
    IProgramStarter& starter;
    IFontPicker& fonts;
    IFilePicker& files;
  };
  // Takes over the window's "&Options..." item and calculator button; lives
  // no longer than the window.
  // defaultCalcPath: the CalcPath of an empty store.
  TExamWindowOptions(TTestForm& window, Services services, QString defaultCalcPath);
  ~TExamWindowOptions() override;
  TExamWindowOptions(const TExamWindowOptions&) = delete;
  TExamWindowOptions& operator=(const TExamWindowOptions&) = delete;

  // Reads all settings and lets them take effect.
  void LoadSettings();
  // "&Options...": the dialog; OK writes all twenty values.
  void Preferences1Click();

  const TSettings& Settings() const { return settings_; }
  TOptionsForm& OptionsForm();
  const TRunCommand& Calculator() const { return *calculator_; }

  // IOptionsTarget
  void FontChanged(TFontSlot slot) override;
  void SetLearnButtonVisible(bool visible) override;
  void SetCalcButtonVisible(bool visible) override;
  void StartTimer() override;
  bool AssignCalcPath(const QString& path) override;

 private:
  // The session holds its own copy of the four exam options.
  void SyncExamOptions();

  TTestForm& window_;
  Services services_;
  QString defaultCalcPath_;
  TSettings settings_;
  // The window owns its dialog (which stays centred over it); it is gone
  // here once the window is.
  QPointer<TOptionsForm> form_;
  std::unique_ptr<TRunCommand> calculator_;
};

// The item area's fonts as the settings describe them.
TItemFonts ItemFontsOf(const TSettings& settings);

}  // namespace marvessa
