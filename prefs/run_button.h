#pragma once
// TRunButton: a flat button that is given the path of a program, shows the
// program's icon and starts the program when clicked. The exam window's
// calculator button is one.
#include <QToolButton>
#include <stdexcept>

namespace marvessa {

class IProgramStarter;

// A path refused or a program that would not start; the message is the
// candidate's.
class ERunButtonError : public std::runtime_error {
 public:
  explicit ERunButtonError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

class TRunButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TRunButton(IProgramStarter& starter, QWidget* parent = nullptr);

  // Empty until a path has been taken.
  const QString& CommandLine() const { return commandLine_; }
  // Takes the path and shows its program's icon; a path that is not an
  // executable file raises ERunButtonError and changes nothing.
  void SetCommandLine(const QString& path);
  // Starts the program; raises ERunButtonError when it cannot be started.
  void Run();

 private:
  IProgramStarter& starter_;
  QString commandLine_;
};

}  // namespace marvessa
