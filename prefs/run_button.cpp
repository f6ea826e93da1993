#include "prefs/run_button.h"

#include <QApplication>

#include "prefs/error_display.h"
#include "prefs/program_icon.h"
#include "prefs/program_starter.h"

namespace marvessa {

TRunCommand::TRunCommand(IProgramStarter& starter, QAbstractButton& face) : starter_(starter), face_(face) {
  face_.setIcon(CalculatorPicture());
}

void TRunCommand::SetCommandLine(const QString& path) {
  const QString problem = RunPathProblem(path);
  if (!problem.isEmpty()) throw ERunButtonError(problem);
  commandLine_ = path;
  face_.setIcon(ProgramIcon(path));
}

void TRunCommand::Run() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int code = starter_.Start(commandLine_);
  QApplication::restoreOverrideCursor();
  if (code != 0) {
    throw ERunButtonError("Error executing program. Error Code:; " + QString::number(static_cast<quint16>(code)));
  }
}

TRunButton::TRunButton(IProgramStarter& starter, QWidget* parent)
    : QToolButton(parent), command_(starter, *this) {
  setObjectName("TRunButton");
  setAutoRaise(true);  // flat
  // Unlike a toolbar button it can be reached with Tab: the calculator is
  // not only for mouse users.
  setFocusPolicy(Qt::TabFocus);
  resize(45, 45);
  setIconSize(QSize(24, 24));
  setAccessibleName("Calculator");
  setToolTip("Calculator");
  connect(this, &QToolButton::clicked, this, Guarded([this](bool) { Run(); }));
}

}  // namespace marvessa
