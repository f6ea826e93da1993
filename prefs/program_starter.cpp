#include "prefs/program_starter.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace marvessa {

namespace {

// Reports the errno of a failed step to the waiting parent and ends; only
// async-signal-safe calls may run between fork and exec.
[[noreturn]] void Fail(int pipe) {
  const int code = errno;
  [[maybe_unused]] ssize_t n = write(pipe, &code, sizeof code);
  _exit(127);
}

}  // namespace

int TPosixProgramStarter::Start(const QString& program) {
  if (program.isEmpty()) return ENOENT;
  QByteArray path = QFile::encodeName(program);
  char* argv[] = {path.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return errno;

  // The child starts a grandchild and ends at once; the grandchild, in a
  // session of its own and adopted by init, becomes the program. The report
  // pipe closes unread when exec succeeds and carries the errno otherwise.
  const pid_t child = fork();
  if (child < 0) {
    const int code = errno;
    close(report[0]);
    close(report[1]);
    return code;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    const pid_t program = fork();
    if (program < 0) Fail(report[1]);
    if (program > 0) _exit(0);
    // None of our files (tables, sockets) go with it.
    syscall(SYS_close_range, 3u, ~0u, CLOSE_RANGE_CLOEXEC);
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(argv[0], argv);
    Fail(report[1]);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int code = 0;
  ssize_t n;
  while ((n = read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  return n == sizeof code ? code : 0;
}

QString RunPathProblem(const QString& path) {
  const QFileInfo file(path);
  if (path.isEmpty() || !file.exists()) return "The file: " + path + " cannot be found.";
  if (!file.isFile() || access(QFile::encodeName(path).constData(), X_OK) != 0) {
    return path + " is not an executable file.";
  }
  return QString();
}

}  // namespace marvessa
