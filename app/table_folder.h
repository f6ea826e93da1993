#pragma once
// Where the program keeps its tables. Run from its build folder, the
// program works beside its executable, where the tables were built. An
// installed program's folders belong to the system and a user cannot write
// there, yet notes, the user question set and the current exam set are
// written: such a user gets a folder of their own under the data home,
// filled from the shipped copy on the first start.
#include <QString>
#include <functional>

namespace marvessa {

// The tables the program ships, each a data file with its index and blob
// file beside it.
extern const char* const kShippedTables[3];

struct TTableFolderServices {
  // Whether this process may write in a folder: asked of the file system,
  // never decided from the user id (root may write anywhere).
  std::function<bool(const QString& folder)> IsWritable;
  // $XDG_DATA_HOME, or ~/.local/share when it is unset or empty.
  QString DataHome;
};
TTableFolderServices SystemTableFolderServices();

// The folder with the shipped tables: the program's own folder when the
// bank lies there, else the installed data folder relative to it.
QString ShippedTableFolder(const QString& programDir);

// The folder to make the working directory. When the shipped folder is not
// writable: <DataHome>/marvessa, where every table the user does not have
// yet is copied from the shipped folder (a user's own tables are never
// overwritten) and "exhibits" leads to the shipped pictures, so the
// pictures' relative names still resolve. Should that folder not be made,
// the shipped one is returned and the engine reports what cannot be written.
QString PrepareTableFolder(const QString& programDir, const TTableFolderServices& services);

}  // namespace marvessa
