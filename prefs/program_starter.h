#pragma once
// Starting another program, behind an interface so that a test can stand in
// for it. The program runs on detached: no arguments, this program's
// environment and working directory, none of its open files, and no handle
// kept to it afterwards.
#include <QString>

namespace marvessa {

class IProgramStarter {
 public:
  virtual ~IProgramStarter() = default;
  // 0 once the program is running, else the system's error number.
  virtual int Start(const QString& program) = 0;
};

// fork and exec of our own rather than QProcess::startDetached, because the
// candidate is told the system's error number when the start fails, and
// QProcess only gives a text.
class TPosixProgramStarter : public IProgramStarter {
 public:
  int Start(const QString& program) override;
};

// Why the path cannot be given to a run button, in the words the candidate
// sees; empty when it can: a file that exists and that we may execute.
QString RunPathProblem(const QString& path);

}  // namespace marvessa
