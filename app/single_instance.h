#pragma once
// The single-instance lock. Its name is "PREVINST:" followed by the
// program's default title. A lock file (stale after a crash, then taken
// over) says who runs first; the first instance listens on a local socket
// named from the lock and the user, and a second start asks it through that
// socket to come forward, then ends without a window.
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

namespace marvessa {

// The program file's name without its folder and without everything from
// its first dot on, every letter after the first in lower case.
QString DefaultTitle(const QString& programPath);
QString LockName(const QString& programPath);

class TSingleInstance {
 public:
  // lockFolder: where the lock file lives (the temporary folder by default).
  explicit TSingleInstance(const QString& lockName, const QString& lockFolder = {});
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // Takes the lock; true for the first instance. A lock that cannot be
  // created counts as a running instance.
  bool TryLock();
  // The first instance listens for later starts (needs the application
  // object) and calls onActivate for each.
  void Listen(std::function<void()> onActivate);
  // A later start: asks the running instance to come forward. False when
  // none answered.
  bool ActivateRunning(int timeoutMs = 2000);

  QString ServerName() const;

 private:
  QString lockName_;
  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> onActivate_;
};

// Brings the program's windows forward: a minimised window is restored;
// otherwise it becomes the active window, and the active modal window, when
// there is one that is visible and enabled, is raised above it.
void BringApplicationForward();

}  // namespace marvessa
