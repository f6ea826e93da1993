#pragma once
// The top-level display of errors that no handler catches. Qt does not carry
// exceptions through its event loop, so every event handler of the program
// runs inside Guard(): an error ends that user action, is shown in a message
// box with a stop icon titled "Marvessa", and the program goes on with its
// windows as they are.
#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace marvessa {

class IMessageBox;

inline constexpr const char* kApplicationTitle = "Marvessa";

// The error's message with a full stop appended when its last character
// sorts after "." (a letter, a digit, "?"), but not after ".", "!" or ")".
QString ErrorDisplayText(const QString& message);

// Where the top-level display shows its messages (a TQtMessageBox unless set;
// tests put a double here). Null restores the default.
void SetErrorMessageBox(IMessageBox* box);
IMessageBox& ErrorMessageBox();

// Shows the error of the exception being handled.
void ShowError(const std::exception& error);

// Runs one user action; any error it raises is shown and swallowed.
// Returns false when the action failed.
bool Guard(const std::function<void()>& action);

// A handler for connect(): the callable runs inside Guard().
template <typename F>
auto Guarded(F action) {
  return [action = std::move(action)](auto&&... args) {
    Guard([&] { action(std::forward<decltype(args)>(args)...); });
  };
}

}  // namespace marvessa
