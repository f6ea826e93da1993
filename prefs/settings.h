#pragma once
// The candidate's preferences as the exam window holds them in memory: the
// three fonts of the item area, the "Learn Now" and calculator buttons, the
// timer, the proposed exam time and the calculator program. They are read
// once from the settings store when the exam window is created and written
// back, all twenty values, only when the options dialog is confirmed.
#include <QString>
#include <functional>

namespace marvessa {

class ISettingsStore;

// The face every font starts with when the store names none. It is not
// installed on Linux; the display shows the platform's sans-serif face at
// the same size instead (see DisplayFont) but keeps this name.
inline constexpr const char* kDesignFontFace = "MS Sans Serif";
// Longest face name the display toolkit keeps.
inline constexpr int kMaxFaceLength = 31;

struct TFontSetting {
  QString Name = kDesignFontFace;
  int Color = 0;  // 0x00BBGGRR
  int Size = 10;  // points
  bool Bold = false;
  bool Italic = false;
  // Offered by the font dialog, shown until the program ends, never stored.
  bool Underline = false;
  bool StrikeOut = false;
  bool operator==(const TFontSetting&) const = default;
};

enum class TFontSlot { Question, Answer, Explanation };

struct TSettings {
  TFontSetting QuestionFont;
  TFontSetting AnswerFont;
  TFontSetting ExplanationFont{kDesignFontFace, 0x800000};  // navy
  bool ShowLearnBtn = false;
  bool ShowCalcBtn = true;
  bool TimerOn = true;
  int DefaultTime = 90;
  QString CalcPath;

  TFontSetting& Font(TFontSlot slot);
  const TFontSetting& Font(TFontSlot slot) const;
  bool operator==(const TSettings&) const = default;
};

// Reads every value by the store's reading rules; a missing or malformed
// value (a size or colour that no font can take included) yields its
// default. defaultCalcPath is the default of CalcPath.
TSettings ReadSettings(const ISettingsStore& store, const QString& defaultCalcPath);

// Writes the twenty values, each as a string, in the order the options
// dialog has always written them.
void WriteSettings(ISettingsStore& store, const TSettings& settings);

// The value names in the order WriteSettings writes them.
extern const char* const kSettingNames[20];

// The first installed of the usual desktop calculators (looked up with
// `find`, which returns an absolute path or an empty string); when none is
// installed, the path where the first would be.
QString DefaultCalcPath(const std::function<QString(const QString&)>& find);
QString DefaultCalcPath();  // searches PATH

}  // namespace marvessa
