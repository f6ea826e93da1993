#include "prefs/error_display.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/errors.h"
#include "prefs/message_box.h"

namespace marvessa {
namespace {

TEST(ErrorDisplay, FullStopRule) {
  struct Case {
    const char* message;
    const char* shown;
  };
  for (Case c : {Case{"Field 'X' not found", "Field 'X' not found."},
                 Case{"Session name is missing.", "Session name is missing."},
                 Case{"Disk full!", "Disk full!"}, Case{"code (11010)", "code (11010)"},
                 Case{"error 42", "error 42."}, Case{"Really?", "Really?."}, Case{"", ""},
                 Case{"a path/", "a path/."}, Case{"spaced ", "spaced "}}) {
    EXPECT_EQ(ErrorDisplayText(c.message), c.shown) << c.message;
  }
}

TEST(ErrorDisplay, GuardShowsTheErrorAndCarriesOn) {
  TScriptedMessageBox box;
  SetErrorMessageBox(&box);
  int after = 0;
  auto handler = Guarded([&](int n) {
    if (n == 1) throw isam::EIsamEngineError(isam::kInvalidPath, {isam::kInvalidPath, "qvault.DAT", "", "", ""});
    after = n;
  });
  handler(1);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Last().kind, TMsgKind::Error);
  EXPECT_EQ(box.Last().title, "Marvessa");
  EXPECT_EQ(box.Last().buttons, TMsgButtons{mbOK});
  EXPECT_EQ(box.Last().text,
            "ISAM Engine Error # 11010 Invalid path or file name for data file qvault.DAT.");
  handler(2);  // the next action runs normally
  EXPECT_EQ(after, 2);
  EXPECT_EQ(box.Messages().size(), 1u);
  EXPECT_FALSE(Guard([] { throw std::runtime_error("plain"); }));
  EXPECT_EQ(box.Last().text, "plain.");
  SetErrorMessageBox(nullptr);
}

}  // namespace
}  // namespace marvessa
