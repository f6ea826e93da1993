#pragma once
// TRunButton: a flat button that is given the path of a program, shows the
// program's icon and starts the program when clicked. TRunCommand is its
// behaviour, for a button that another window lays out (the item area's
// calculator button).
#include <QToolButton>
#include <stdexcept>

class QAbstractButton;

namespace marvessa {

class IProgramStarter;

// A path refused or a program that would not start; the message is the
// candidate's.
class ERunButtonError : public std::runtime_error {
 public:
  explicit ERunButtonError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

class TRunCommand {
 public:
  // `face` shows the designed calculator picture until a path is taken.
  TRunCommand(IProgramStarter& starter, QAbstractButton& face);

  // Empty until a path has been taken.
  const QString& CommandLine() const { return commandLine_; }
  // Takes the path and shows its program's icon; a path that is not an
  // executable file raises ERunButtonError and changes nothing.
  void SetCommandLine(const QString& path);
  // Starts the program; raises ERunButtonError when it cannot be started.
  void Run();

 private:
  IProgramStarter& starter_;
  QAbstractButton& face_;
  QString commandLine_;
};

class TRunButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TRunButton(IProgramStarter& starter, QWidget* parent = nullptr);

  const QString& CommandLine() const { return command_.CommandLine(); }
  void SetCommandLine(const QString& path) { command_.SetCommandLine(path); }
  void Run() { command_.Run(); }

 private:
  TRunCommand command_;
};

}  // namespace marvessa
