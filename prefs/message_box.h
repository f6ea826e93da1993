#pragma once
// Questions and messages to the user, behind an interface so that every
// dialog path can be driven by a test (TScriptedMessageBox) without a person.
#include <QString>
#include <deque>
#include <vector>

class QWidget;

namespace marvessa {

enum class TMsgKind { Information, Warning, Confirmation, Error };
enum TMsgButton : unsigned { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8 };
using TMsgButtons = unsigned;

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // Shows a modal message with the given buttons; returns the button chosen
  // (the last of the buttons when the box is closed without choosing).
  virtual TMsgButton Ask(TMsgKind kind, const QString& title, const QString& text,
                         TMsgButtons buttons) = 0;
};

// QMessageBox with the application title; a parent keeps it centred on the
// window that asks.
class TQtMessageBox : public IMessageBox {
 public:
  explicit TQtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  TMsgButton Ask(TMsgKind kind, const QString& title, const QString& text,
                 TMsgButtons buttons) override;

 private:
  QWidget* parent_;
};

// Test double: records every message and answers with the answers it was
// told, in order; without a told answer it chooses the first button offered.
class TScriptedMessageBox : public IMessageBox {
 public:
  struct Shown {
    TMsgKind kind;
    QString title;
    QString text;
    TMsgButtons buttons;
  };
  void Answer(TMsgButton next) { answers_.push_back(next); }
  const std::vector<Shown>& Messages() const { return shown_; }
  const Shown& Last() const { return shown_.back(); }
  void Clear() { shown_.clear(); }

  TMsgButton Ask(TMsgKind kind, const QString& title, const QString& text,
                 TMsgButtons buttons) override;

 private:
  std::deque<TMsgButton> answers_;
  std::vector<Shown> shown_;
};

}  // namespace marvessa
