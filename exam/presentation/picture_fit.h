#pragma once
// The size an exhibit window gives its picture: the picture's own size, or,
// for a picture larger than the space the screen offers, the largest size of
// the same proportions that fits (never below one pixel).
#include <QSize>
#include <algorithm>

namespace marvessa {

inline QSize FitPictureSize(QSize picture, QSize available) {
  if (picture.isEmpty() || available.isEmpty()) return picture;
  if (picture.width() <= available.width() && picture.height() <= available.height()) return picture;
  return picture.scaled(available, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

}  // namespace marvessa
