#include "exam/printing/table_record_source.h"

#include "engine/table.h"
#include "exam/data/qt_text.h"

namespace marvessa {

void TTableRecordSource::First() {
  table_.MoveFirst();
  atEnd_ = table_.IsTableEmpty() || table_.AtEnd();
}

void TTableRecordSource::Next() {
  table_.MoveNext();
  atEnd_ = table_.AtEnd();
}

QString TTableRecordSource::Text(const QString& field) const {
  return ToQString(table_.FieldNamed(field.toStdString()).StringValue());
}

}  // namespace marvessa
