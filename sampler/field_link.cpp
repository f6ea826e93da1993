#include "sampler/field_link.h"

#include "engine/field.h"
#include "engine/table.h"
#include "exam/data/qt_text.h"

namespace marvessa {

namespace {

isam::TIsamTable* TableOf(const isam::TIsamDataSource& source) {
  return dynamic_cast<isam::TIsamTable*>(source.DataSet());
}

// Restores a flag however the block is left.
class TFlagScope {
 public:
  explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

TFieldDataLink::TFieldDataLink(isam::TIsamDataSource& source, std::string fieldName)
    : source_(source), fieldName_(std::move(fieldName)) {
  isam::TIsamDataSource::Listener listener;
  listener.dataChange = [this](isam::TIsamField* field) { Changed(field); };
  // A state change alone shows no value: a post reports the browse state
  // before the cursor has settled on the posted record, and reading a memo
  // then trips over the blob the post has just saved. The data change that
  // follows shows it. Only a closed set is shown (as empty) at once.
  listener.stateChange = [this] {
    if (writing_) return;
    if (Field() == nullptr && OnDisplay) OnDisplay();
    if (OnStateChange) OnStateChange();
  };
  listener_ = source_.AddListener(std::move(listener));
}

TFieldDataLink::~TFieldDataLink() { source_.RemoveListener(listener_); }

isam::TIsamField* TFieldDataLink::Field() const {
  isam::TIsamTable* table = TableOf(source_);
  if (!table || !table->Active()) return nullptr;
  return table->FindField(fieldName_);
}

QString TFieldDataLink::Text() const {
  isam::TIsamField* field = Field();
  return field ? ToQString(field->StringValue()) : QString();
}

bool TFieldDataLink::Checked() const {
  isam::TIsamField* field = Field();
  return field && field->BooleanValue();
}

bool TFieldDataLink::CanModify() const {
  isam::TIsamField* field = Field();
  return field && !field->ReadOnly() && !field->Table().ReadOnly() && source_.Enabled();
}

int TFieldDataLink::MaxLength() const {
  isam::TIsamField* field = Field();
  return field && field->Kind() == isam::TFieldKind::String ? field->Size() : 0;
}

bool TFieldDataLink::Fits(const QString& text) const {
  const int limit = MaxLength();
  return limit == 0 || FromQString(text).size() <= static_cast<size_t>(limit);
}

void TFieldDataLink::BeginModify() {
  isam::TIsamTable* table = TableOf(source_);
  if (!table) return;
  if (table->State() != isam::TDataSetState::dsBrowse) return;
  try {
    TFlagScope quiet(writing_);
    table->BeginEdit();
  } catch (...) {
    if (OnDisplay) OnDisplay();  // back to what the record holds
    throw;
  }
}

bool TFieldDataLink::Modify(const QString& text) {
  if (!Fits(text)) return false;
  BeginModify();
  if (isam::TIsamField* field = Field()) {
    TFlagScope quiet(writing_);
    field->SetStringValue(FromQString(text));
  }
  return true;
}

void TFieldDataLink::Modify(bool checked) {
  BeginModify();
  if (isam::TIsamField* field = Field()) {
    TFlagScope quiet(writing_);
    field->SetBooleanValue(checked);
  }
}

void TFieldDataLink::Changed(isam::TIsamField* field) {
  if (writing_ || !OnDisplay) return;
  if (field == nullptr || field == Field()) OnDisplay();
}

}  // namespace marvessa
