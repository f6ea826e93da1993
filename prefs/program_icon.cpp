#include "prefs/program_icon.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>

namespace marvessa {

namespace {

// The program of an Exec line: its first word, quotes removed.
QString ExecProgram(const QString& exec) {
  const QString line = exec.trimmed();
  if (line.startsWith('"')) return line.mid(1, line.indexOf('"', 1) - 1);
  return line.section(' ', 0, 0);
}

bool Starts(const QString& execProgram, const QString& program) {
  if (execProgram.isEmpty()) return false;
  if (execProgram.contains('/')) {
    // The same file, also through links; a path that names no file only
    // matches itself.
    const QString canonical = QFileInfo(execProgram).canonicalFilePath();
    if (!canonical.isEmpty() && canonical == QFileInfo(program).canonicalFilePath()) return true;
    return QDir::cleanPath(execProgram) == QDir::cleanPath(program);
  }
  return execProgram == QFileInfo(program).fileName();
}

// The Icon value of the [Desktop Entry] group when its Exec starts program.
QString IconOfEntry(const QString& file, const QString& program) {
  QFile entry(file);
  if (!entry.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
  bool inMain = false, starts = false;
  QString icon;
  while (!entry.atEnd()) {
    const QString line = QString::fromUtf8(entry.readLine()).trimmed();
    if (line.startsWith('[')) {
      inMain = line == "[Desktop Entry]";
    } else if (inMain && line.startsWith("Exec=")) {
      starts = Starts(ExecProgram(line.mid(5)), program);
    } else if (inMain && line.startsWith("Icon=")) {
      icon = line.mid(5).trimmed();
    }
  }
  return starts ? icon : QString();
}

}  // namespace

QString DesktopEntryIcon(const QString& program, const QStringList& folders) {
  for (const QString& folder : folders) {
    QDirIterator it(folder, {"*.desktop"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      QString icon = IconOfEntry(it.next(), program);
      if (!icon.isEmpty()) return icon;
    }
  }
  return QString();
}

QIcon ProgramIcon(const QString& program) {
  const QString name =
      DesktopEntryIcon(program, QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation));
  if (!name.isEmpty()) {
    const bool file = QDir::isAbsolutePath(name);
    QIcon icon = file ? (QFileInfo::exists(name) ? QIcon(name) : QIcon()) : QIcon::fromTheme(name);
    if (!icon.isNull()) return icon;
  }
  QIcon themed = QIcon::fromTheme(QFileInfo(program).fileName());
  return themed.isNull() ? CalculatorPicture() : themed;
}

QIcon CalculatorPicture() {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(64, 64, 64), 1));
  p.setBrush(QColor(200, 200, 200));
  p.drawRoundedRect(QRectF(3.5, 0.5, 17, 23), 2, 2);
  p.setBrush(QColor(170, 220, 170));
  p.drawRect(QRectF(6.5, 3.5, 11, 5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 40, 40));
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) p.drawRect(QRectF(6.5 + col * 4, 11 + row * 4, 3, 3));
  }
  return QIcon(pixmap);
}

}  // namespace marvessa
