#include "engine/file/guarded_copy.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

namespace isam {

namespace {

// Volatile, with signal fences around the copy: the compiler would otherwise
// drop the store of the guard (nothing it can see reads it before the next
// store) or move the copy's loads across it.
thread_local sigjmp_buf* volatile tGuard = nullptr;
struct sigaction gPrevious {};

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (sigjmp_buf* guard = tGuard) {
    tGuard = nullptr;
    siglongjmp(*guard, 1);
  }
  // Not a guarded copy: what would have happened without us.
  if (gPrevious.sa_flags & SA_SIGINFO) {
    if (gPrevious.sa_sigaction) return gPrevious.sa_sigaction(signal, info, context);
  } else if (gPrevious.sa_handler != SIG_DFL && gPrevious.sa_handler != SIG_IGN) {
    return gPrevious.sa_handler(signal);
  }
  ::signal(SIGBUS, SIG_DFL);
  ::raise(SIGBUS);
}

void InstallHandler() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  // Not blocked while the handler runs: the jump out of it leaves the
  // signal mask as the copy found it.
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &gPrevious);
}

}  // namespace

bool GuardedCopy(void* to, const void* from, size_t count) {
  static std::once_flag installed;
  std::call_once(installed, InstallHandler);
  sigjmp_buf guard;
  if (sigsetjmp(guard, 0) != 0) return false;
  tGuard = &guard;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  // A copy holds no state that the jump out of it could leave behind.
  std::memcpy(to, from, count);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  tGuard = nullptr;
  return true;
}

}  // namespace isam
