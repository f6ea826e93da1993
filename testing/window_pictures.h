#pragma once
// What the picture tools (the screenshots in docs/) share: the folder the
// pictures go to, and a window saved as the candidate sees it.
#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QWidget>
#include <cstdio>

namespace marvessa {

// The folder named on the command line, else the working directory.
inline QString PictureFolder(int argc, char** argv) {
  return QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".")).absolutePath();
}

// Saves a shown window after its pending layout and paint events.
inline void SaveWindowPicture(QWidget& window, const QString& file) {
  QCoreApplication::processEvents();
  if (!window.grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

}  // namespace marvessa
