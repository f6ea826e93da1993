#pragma once
// The four 16 by 16 icons of the items review, drawn by the program itself:
// incomplete (an empty page), complete or correct (a green tick), marked (a
// flag) and incorrect (a red cross), at the positions of TReviewIcon.
#include <QIcon>
#include <QPixmap>

#include "exam/session/review_list.h"

namespace marvessa {

inline constexpr int kReviewIconSize = 16;

QPixmap ReviewPixmap(TReviewIcon icon);
QIcon ReviewIcon(TReviewIcon icon);

}  // namespace marvessa
