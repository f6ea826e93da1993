#pragma once
// Test double of the exam window as the options see it: records what it is
// told, in words, and takes or refuses calculator paths as told.
#include <string>
#include <vector>

#include "prefs/options.h"

namespace marvessa {

struct TRecordingOptionsTarget : IOptionsTarget {
  void FontChanged(TFontSlot slot) override { calls.push_back("font " + std::to_string(static_cast<int>(slot))); }
  void SetLearnButtonVisible(bool v) override { calls.push_back(v ? "learn shown" : "learn hidden"); }
  void SetCalcButtonVisible(bool v) override { calls.push_back(v ? "calc shown" : "calc hidden"); }
  void StartTimer() override { calls.push_back("StartTimer"); }
  bool AssignCalcPath(const QString& path) override {
    calls.push_back("assign " + path.toStdString());
    return accept;
  }
  bool accept = true;
  std::vector<std::string> calls;
};

}  // namespace marvessa
