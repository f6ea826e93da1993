#include "prefs/error_display.h"

#include "prefs/message_box.h"

namespace marvessa {

namespace {
IMessageBox* installed = nullptr;
}

QString ErrorDisplayText(const QString& message) {
  if (!message.isEmpty() && message.back().unicode() > u'.') return message + '.';
  return message;
}

void SetErrorMessageBox(IMessageBox* box) { installed = box; }

IMessageBox& ErrorMessageBox() {
  if (installed) return *installed;
  static TQtMessageBox fallback;
  return fallback;
}

void ShowError(const std::exception& error) {
  ErrorMessageBox().Ask(TMsgKind::Error, kApplicationTitle, ErrorDisplayText(QString::fromUtf8(error.what())), mbOK);
}

bool Guard(const std::function<void()>& action) {
  try {
    action();
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
  }
  return false;
}

}  // namespace marvessa
