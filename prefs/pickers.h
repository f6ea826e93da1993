#pragma once
// The platform's font and file-open dialogs behind small interfaces, so that
// a test answers them instead of a person (TScripted...).
#include <QFont>
#include <QString>
#include <deque>
#include <optional>

class QWidget;

namespace marvessa {

class IFontPicker {
 public:
  virtual ~IFontPicker() = default;
  // The chosen font, or nothing when the dialog was cancelled.
  virtual std::optional<QFont> PickFont(const QFont& initial, QWidget* parent) = 0;
};

class IFilePicker {
 public:
  virtual ~IFilePicker() = default;
  // A program file chosen by the candidate, or empty when cancelled.
  virtual QString PickExecutable(const QString& current, QWidget* parent) = 0;
};

class TQtFontPicker : public IFontPicker {
 public:
  std::optional<QFont> PickFont(const QFont& initial, QWidget* parent) override;
};

// Lists folders and the files that may be executed ("Executable file").
class TQtFilePicker : public IFilePicker {
 public:
  QString PickExecutable(const QString& current, QWidget* parent) override;
};

class TScriptedFontPicker : public IFontPicker {
 public:
  void Answer(std::optional<QFont> next) { answers_.push_back(std::move(next)); }
  const QFont& LastInitial() const { return lastInitial_; }
  std::optional<QFont> PickFont(const QFont& initial, QWidget*) override {
    lastInitial_ = initial;
    if (answers_.empty()) return std::nullopt;
    auto next = answers_.front();
    answers_.pop_front();
    return next;
  }

 private:
  std::deque<std::optional<QFont>> answers_;
  QFont lastInitial_;
};

class TScriptedFilePicker : public IFilePicker {
 public:
  void Answer(QString next) { answers_.push_back(std::move(next)); }
  QString PickExecutable(const QString&, QWidget*) override {
    if (answers_.empty()) return QString();
    QString next = answers_.front();
    answers_.pop_front();
    return next;
  }

 private:
  std::deque<QString> answers_;
};

}  // namespace marvessa
