#include "app/table_folder.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace marvessa {

const char* const kShippedTables[3] = {"qvault", "ces", "qvaultusr"};

namespace {

const char* const kTableFileExtensions[3] = {".DAT", ".IDX", ".BLB"};
const char* const kBankFile = "qvault.DAT";

bool HasAnyFileOf(const QDir& dir, const QString& table) {
  for (const char* ext : kTableFileExtensions)
    if (QFileInfo::exists(dir.filePath(table + ext))) return true;
  return false;
}

// Copies one table's three files. Each file arrives under a temporary name
// first, so an interrupted copy never leaves a partial table that a later
// start would take for the user's own.
bool CopyTable(const QDir& from, const QDir& to, const QString& table) {
  for (const char* ext : kTableFileExtensions) {
    const QString name = table + ext;
    const QString part = to.filePath(name + ".part");
    QFile::remove(part);
    if (!QFile::copy(from.filePath(name), part)) return false;
    // Installed files may be read-only for everybody; the user's copy is
    // theirs to write.
    QFile::setPermissions(part, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  }
  for (const char* ext : kTableFileExtensions) {
    const QString name = table + ext;
    if (!QFile::rename(to.filePath(name + ".part"), to.filePath(name))) return false;
  }
  return true;
}

void LinkExhibits(const QDir& shipped, const QDir& own) {
  const QString link = own.filePath("exhibits");
  const QString target = shipped.filePath("exhibits");
  if (QFileInfo::exists(link) || !QFileInfo(target).isDir()) return;
  QFile::remove(link);  // a dangling link left by an older installation
  QFile::link(target, link);
}

}  // namespace

TTableFolderServices SystemTableFolderServices() {
  TTableFolderServices services;
  services.IsWritable = [](const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
  };
  // Named by us, not by the application name: the folder must be the same
  // whatever the program is called on a desktop.
  const QByteArray xdg = qgetenv("XDG_DATA_HOME");
  services.DataHome = xdg.isEmpty() ? QDir::homePath() + "/.local/share" : QFile::decodeName(xdg);
  return services;
}

QString ShippedTableFolder(const QString& programDir) {
  const QDir dir(programDir);
  if (QFileInfo::exists(dir.filePath(kBankFile))) return dir.absolutePath();
  const QDir installed(dir.filePath(MARVESSA_DATA_FROM_BIN));
  if (QFileInfo::exists(installed.filePath(kBankFile))) return installed.canonicalPath();
  return dir.absolutePath();
}

QString PrepareTableFolder(const QString& programDir, const TTableFolderServices& services) {
  const QDir shipped(ShippedTableFolder(programDir));
  if (services.IsWritable(shipped.path())) return shipped.path();

  const QDir own(QDir(services.DataHome).filePath("marvessa"));
  if (!own.mkpath(".") || !services.IsWritable(own.path())) return shipped.path();
  for (const char* table : kShippedTables)
    if (!HasAnyFileOf(own, table) && HasAnyFileOf(shipped, table)) CopyTable(shipped, own, table);
  LinkExhibits(shipped, own);
  return own.path();
}

}  // namespace marvessa
