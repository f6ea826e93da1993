#pragma once
// TIsamDatabase: a name that stands for a directory of tables. Connecting
// touches no file; it only checks the name and counts the tables that use it.
//
// A table whose DatabaseName matches no database of its session gets a
// temporary database, which lives until the last of its tables closes (with
// KeepConnection false) or its session is deactivated. A temporary database
// whose name is empty or looks like a path (":" or a separator) uses the name
// itself as its directory; any other database uses Directory.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace isam {

class TIsamSession;
class TIsamTable;

class TIsamDatabase {
 public:
  TIsamDatabase();
  ~TIsamDatabase();  // closes the tables that use it
  TIsamDatabase(const TIsamDatabase&) = delete;
  TIsamDatabase& operator=(const TIsamDatabase&) = delete;

  const void* Owner() const { return owner_; }
  void SetOwner(const void* owner) { owner_ = owner; }

  const std::string& DatabaseName() const { return databaseName_; }
  // Only while disconnected ("Cannot perform this operation on an open
  // database."); a permanent database refuses names with ":" or a separator
  // ("Database name %s is not valid.").
  void SetDatabaseName(std::string_view name);
  const std::string& Directory() const { return directory_; }
  void SetDirectory(std::string_view directory);
  const std::string& SessionName() const { return sessionName_; }
  void SetSessionName(std::string_view name);
  bool KeepConnection() const { return keepConnection_; }
  void SetKeepConnection(bool keep) { keepConnection_ = keep; }
  bool HandleShared() const { return handleShared_; }
  void SetHandleShared(bool shared) { handleShared_ = shared; }
  std::string EngineVersion() const;

  bool Connected() const { return connected_; }
  void SetConnected(bool connected);
  void Open() { SetConnected(true); }
  // Closes every table that uses the database, then disconnects.
  void Close();

  std::function<void(TIsamDatabase&)> BeforeConnect;

  bool Temporary() const { return temporary_; }
  // The directory that table paths start from (the rule above).
  std::string TableDirectory() const;
  // The session this database belongs to ("Session name %s is not valid.").
  TIsamSession& Session() const;

  // ---- For tables ----
  void AttachTable(TIsamTable* table);  // connects first; counts one more user
  // One user fewer; at zero with KeepConnection false a temporary database is
  // destroyed (the caller must not touch it afterwards) and a permanent one
  // disconnected.
  void ReleaseTable(TIsamTable* table);
  int OpenTableCount() const { return static_cast<int>(tables_.size()); }

 private:
  friend class TIsamSession;
  struct TemporaryTag {};
  TIsamDatabase(TemporaryTag, std::string_view sessionName, std::string_view name, bool keep);
  void CheckInactive() const;

  const void* owner_ = nullptr;
  std::string databaseName_;
  std::string directory_;
  std::string sessionName_;
  bool keepConnection_ = true;
  bool handleShared_ = false;
  bool connected_ = false;
  bool temporary_ = false;
  bool closing_ = false;  // closing its tables: ReleaseTable destroys nothing
  std::vector<TIsamTable*> tables_;
};

// Whether a database name looks like a path: ":" or a directory separator
// ("/" on this system, "\" kept for names written on the other one).
bool LooksLikePath(std::string_view name);
// The table path: the directory trimmed of blanks, "/" appended when it is
// non-empty and does not end in one, then the table name; at most 255 bytes.
std::string BuildTablePath(std::string_view directory, std::string_view tableName);

}  // namespace isam
