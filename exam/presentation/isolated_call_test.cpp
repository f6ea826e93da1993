// A decoder in a child process: whatever goes wrong there reaches the
// program only as "no result", within the time limit.
#include "exam/presentation/isolated_call.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <stdexcept>

namespace marvessa {
namespace {

TEST(RunIsolated, OnlyACleanFinishGivesAResult) {
  EXPECT_EQ(RunIsolated([] { return QByteArray(200000, 'x'); }, 5000, 1 << 20), QByteArray(200000, 'x'));
  EXPECT_EQ(RunIsolated([] { return QByteArray(); }, 5000, 16), QByteArray());

  struct Case {
    const char* what;
    std::function<QByteArray()> work;
  } failures[] = {
      {"a wild read", [] { std::raise(SIGSEGV); return QByteArray("never"); }},
      {"an abort", []() -> QByteArray { std::abort(); }},
      {"an exception", []() -> QByteArray { throw std::runtime_error("bad record"); }},
      {"more output than allowed", [] { return QByteArray(1 << 20, 'x'); }},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(RunIsolated(c.work, 5000, 1 << 16).has_value());
  }
}

TEST(RunIsolated, AHangIsCutOffAtTheTimeLimit) {
  const auto start = std::chrono::steady_clock::now();
  auto spin = []() -> QByteArray {
    for (volatile bool spinning = true; spinning;) {
    }
    return {};
  };
  EXPECT_FALSE(RunIsolated(spin, 300, 16).has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace marvessa
