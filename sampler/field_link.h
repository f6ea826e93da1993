#pragma once
// TFieldDataLink: what ties a data-aware control to one field of the current
// record of a data source, without the control itself, so that the rules are
// tested without a window.
//
// The control shows Text() or Checked() whenever OnDisplay asks. When the
// user changes it, the control hands the new value to Modify(): a browsing
// set starts an edit of its current record first (an empty set starts a new
// record), then the value goes into the record buffer at once, and the post
// writes it. A failing edit (the record locked by another user) leaves the
// record as it was and has the control show the stored value again before the
// error goes on to the caller.
#include <QString>
#include <functional>
#include <string>

#include "engine/data_source.h"

namespace isam {
class TIsamField;
}

namespace marvessa {

class TFieldDataLink {
 public:
  TFieldDataLink(isam::TIsamDataSource& source, std::string fieldName);
  ~TFieldDataLink();
  TFieldDataLink(const TFieldDataLink&) = delete;
  TFieldDataLink& operator=(const TFieldDataLink&) = delete;

  const std::string& FieldName() const { return fieldName_; }
  // The field of the open set, or null while the set is closed.
  isam::TIsamField* Field() const;
  // The current record's value; empty or false without a field.
  QString Text() const;
  bool Checked() const;
  // Whether the user may change the control: the set is open and the field
  // may be written.
  bool CanModify() const;
  // A string field's width in characters (its bytes: one per character in
  // the tables' code page); 0 for fields without a limit.
  int MaxLength() const;
  bool Fits(const QString& text) const;

  // False, and nothing written, for a text longer than the field.
  bool Modify(const QString& text);
  void Modify(bool checked);

  // The control shows the field's value again.
  std::function<void()> OnDisplay;
  // The set's state changed: whether the control may be changed may differ.
  std::function<void()> OnStateChange;

 private:
  void BeginModify();
  void Changed(isam::TIsamField* field);

  isam::TIsamDataSource& source_;
  std::string fieldName_;
  isam::TIsamDataSource::ListenerId listener_ = 0;
  bool writing_ = false;  // our own change: the control already shows it
};

}  // namespace marvessa
