#include "prefs/message_box.h"

namespace marvessa {

TMsgButton TScriptedMessageBox::Ask(TMsgKind kind, const QString& title, const QString& text,
                                    TMsgButtons buttons) {
  shown_.push_back({kind, title, text, buttons});
  if (!answers_.empty()) {
    TMsgButton answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  for (TMsgButton b : {mbOK, mbYes, mbNo, mbCancel})
    if (buttons & b) return b;
  return mbOK;
}

}  // namespace marvessa
