#include "exam/presentation/isolated_call.h"

#include <QBuffer>
#include <QImageReader>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "exam/presentation/picture_loader.h"

// The address sanitizer reserves terabytes of shadow memory up front; a
// limit on the address space would leave its child no room at all.
#if defined(__SANITIZE_ADDRESS__)
#define MARVESSA_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MARVESSA_UNDER_ASAN 1
#endif
#endif

namespace marvessa {

namespace {

bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size_t(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

#ifndef MARVESSA_UNDER_ASAN
// The address space the process uses now, from /proc/self/statm.
rlim_t CurrentAddressSpace() {
  char text[128] = {};
  const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return 0;
  return rlim_t(std::strtoull(text, nullptr, 10)) * rlim_t(sysconf(_SC_PAGESIZE));
}

// Enough for the largest picture drawn (kMaxPicturePixels at 4 bytes) and
// its PNG twice over.
constexpr rlim_t kChildExtraMemory = rlim_t(1) << 30;
#endif

[[noreturn]] void RunChild(int out, const std::function<QByteArray()>& work, int timeLimitMs) {
  // The processor time is capped too, in case the clock is not watched.
  const rlim_t seconds = rlim_t(timeLimitMs / 1000 + 1);
  const rlimit cpu{seconds, seconds};
  setrlimit(RLIMIT_CPU, &cpu);
#ifndef MARVESSA_UNDER_ASAN
  // Memory beyond what the process has, plus room for the largest picture,
  // is refused rather than taken from the machine.
  rlimit memory{};
  if (getrlimit(RLIMIT_AS, &memory) == 0) {
    const rlim_t wanted = CurrentAddressSpace() + kChildExtraMemory;
    if (memory.rlim_cur == RLIM_INFINITY || memory.rlim_cur > wanted) {
      memory.rlim_cur = wanted;
      setrlimit(RLIMIT_AS, &memory);
    }
  }
#endif
  // A crash here is expected now and then; it leaves no core file.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  int status = 1;
  try {
    const QByteArray result = work();
    if (WriteAll(out, result.constData(), result.size())) status = 0;
  } catch (...) {
  }
  _exit(status);
}

}  // namespace

std::optional<QByteArray> RunIsolated(const std::function<QByteArray()>& work, int timeLimitMs,
                                      qint64 maxBytes) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return std::nullopt;
  }
  if (pid == 0) {
    close(fds[0]);
    RunChild(fds[1], work, timeLimitMs);
  }
  close(fds[1]);

  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs);
  QByteArray result;
  bool complete = false, failed = false;
  char buffer[65536];
  while (!complete && !failed) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      failed = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    const int ready = poll(&p, 1, int(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      failed = true;
      break;
    }
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    else if (n == 0) complete = true;
    else if (result.size() + n > maxBytes) failed = true;
    else result.append(buffer, qsizetype(n));
  }
  close(fds[0]);
  if (failed) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return result;
}

QImage DrawIsolated(const std::function<QByteArray()>& drawPng, QSize expected) {
  const std::optional<QByteArray> png = RunIsolated(drawPng, kDecoderTimeLimitMs, kMaxDecoderOutputBytes);
  if (!png) return {};
  QBuffer buffer;
  buffer.setData(*png);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  const QSize size = reader.size();
  if (!PictureSizeAllowed(size.width(), size.height()) || (expected.isValid() && size != expected)) return {};
  QImage image = reader.read();
  if (image.size() != size) return {};
  return image;
}

}  // namespace marvessa
