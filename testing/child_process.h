#pragma once
// Multi-process tests: the test binary starts itself again with
// "--child NAME ARGS..." and runs the registered function NAME instead of its
// tests, so that two real processes share a table file.
#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

using ChildMain = int (*)(const std::vector<std::string>& args);

struct ChildRegistrar {
  ChildRegistrar(const char* name, ChildMain main);
};

// Runs the registered child NAME when argv asks for it; returns -1 when the
// process is an ordinary test run.
int RunChildIfRequested(int argc, char** argv);

// Starts this binary as a child running NAME; returns its process id.
pid_t StartChild(const std::string& name, const std::vector<std::string>& args);
// Waits for a child; returns its exit code, or 128 + signal when it was killed.
int WaitChild(pid_t pid);
// StartChild and WaitChild in one.
int RunChild(const std::string& name, const std::vector<std::string>& args);

}  // namespace testing_support

// Defines a child entry point: MARVESSA_CHILD(holder) { ...; return 0; }
#define MARVESSA_CHILD(NAME)                                                        \
  static int NAME##_child_main(const std::vector<std::string>& args);                \
  static ::testing_support::ChildRegistrar NAME##_child_registrar(#NAME,             \
                                                                  NAME##_child_main); \
  static int NAME##_child_main([[maybe_unused]] const std::vector<std::string>& args)
