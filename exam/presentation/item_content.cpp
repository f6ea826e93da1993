#include "exam/presentation/item_content.h"

#include <string>

#include "engine/table.h"
#include "exam/data/qt_text.h"
#include "exam/data/response_table.h"

namespace marvessa {

TItemContent ReadItemContent(isam::TIsamTable& table) {
  auto text = [&](const std::string& name) { return ToQString(table.FieldNamed(name).StringValue()); };
  TItemContent item;
  item.text = text("Q_TEXT");
  item.expl = text("Q_EXPL");
  for (int n = 0; n < kAnswerCount; ++n) item.answers[static_cast<size_t>(n)] = text("Q" + std::to_string(n + 1));
  item.multiple = table.FieldNamed("Q_TYPE").BooleanValue();
  item.pict1 = text("PICT1");
  item.pict2 = text("PICT2");
  item.key = AnswerKey(table);
  return item;
}

}  // namespace marvessa
