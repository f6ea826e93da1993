#include "testing/child_process.h"

#include <cstdio>
#include <map>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {
namespace {

std::map<std::string, ChildMain>& Registry() {
  static std::map<std::string, ChildMain> registry;
  return registry;
}

}  // namespace

ChildRegistrar::ChildRegistrar(const char* name, ChildMain main) { Registry()[name] = main; }

int RunChildIfRequested(int argc, char** argv) {
  if (argc < 3 || std::string(argv[1]) != "--child") return -1;
  auto it = Registry().find(argv[2]);
  if (it == Registry().end()) {
    std::fprintf(stderr, "unknown child %s\n", argv[2]);
    return 127;
  }
  return it->second(std::vector<std::string>(argv + 3, argv + argc));
}

pid_t StartChild(const std::string& name, const std::vector<std::string>& args) {
  std::vector<std::string> words = {"/proc/self/exe", "--child", name};
  words.insert(words.end(), args.begin(), args.end());
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv("/proc/self/exe", argv.data());
    _exit(126);
  }
  return pid;
}

int WaitChild(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

int RunChild(const std::string& name, const std::vector<std::string>& args) {
  return WaitChild(StartChild(name, args));
}

}  // namespace testing_support
