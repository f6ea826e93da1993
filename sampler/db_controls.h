#pragma once
// The sampler's data-aware controls: each shows one field of the data
// source's current record (or, for the list and the navigator, the records
// of the set) and hands the user's changes to its link (field_link.h,
// record_list_link.h). Errors of a change reach the top-level error display.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QWidget>
#include <array>
#include <memory>

#include "sampler/field_link.h"
#include "sampler/record_list_link.h"

class QToolButton;

namespace marvessa {

// A one-line field. A text longer than the field is refused as typed or
// pasted, never cut: the control keeps what it had and says so (refused).
class TDBEdit : public QLineEdit {
  Q_OBJECT

 public:
  TDBEdit(isam::TIsamDataSource& source, const char* field, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return link_; }

 signals:
  // The text the user typed or pasted does not fit the field.
  void refused(int maxLength);

 private:
  void Display();
  TFieldDataLink link_;
};

class TDBMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  TDBMemo(isam::TIsamDataSource& source, const char* field, QWidget* parent = nullptr);
  TFieldDataLink& Link() { return link_; }

 private:
  void Display();
  TFieldDataLink link_;
  bool showing_ = false;  // setPlainText is not the user's change
};

class TDBCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  TDBCheckBox(isam::TIsamDataSource& source, const char* field, const QString& caption,
              QWidget* parent = nullptr);
  TFieldDataLink& Link() { return link_; }

 private:
  void Display();
  TFieldDataLink link_;
};

// One entry per record, showing the field's value; choosing an entry makes
// its record current. The entries are read again after each operation that
// may have changed the set, once the operation is over.
class TDBItemList : public QListWidget {
  Q_OBJECT

 public:
  TDBItemList(isam::TIsamDataSource& source, const char* field, QWidget* parent = nullptr);
  TRecordListLink& Link() { return link_; }
  // Reads the entries now when they are stale (tests call it instead of
  // waiting for the event loop).
  void Refresh();

 private:
  void ScheduleRefresh();
  void ShowCurrent();
  TRecordListLink link_;
  bool scheduled_ = false;
  bool showing_ = false;
};

// The buttons first, prior, next and last.
class TDBNavigator : public QWidget {
  Q_OBJECT

 public:
  explicit TDBNavigator(isam::TIsamDataSource& source, QWidget* parent = nullptr);
  QToolButton* Button(TNavigatorLink::TNavigateBtn button) const {
    return buttons_[static_cast<size_t>(button)];
  }

 private:
  void UpdateButtons();
  TNavigatorLink link_;
  std::array<QToolButton*, TNavigatorLink::kButtonCount> buttons_{};
};

}  // namespace marvessa
