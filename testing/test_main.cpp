// The main of every test binary: either a registered child process of a
// multi-process test, or the GoogleTest run.
#include <gtest/gtest.h>

#include "testing/child_process.h"

int main(int argc, char** argv) {
  int child = testing_support::RunChildIfRequested(argc, argv);
  if (child >= 0) return child;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
