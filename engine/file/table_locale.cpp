#include "engine/file/table_locale.h"

namespace isam {

std::unique_ptr<TTableLocale> FindTableLocale(uint16_t, uint16_t) { return nullptr; }

}  // namespace isam
