#pragma once
// The pictures of the sampler's tool bar, drawn here: the icon theme may be
// empty (it is under the offscreen platform).
#include <QIcon>

namespace marvessa {

enum class TToolIcon { Add, Edit, Delete };
QIcon ToolIcon(TToolIcon icon);

}  // namespace marvessa
