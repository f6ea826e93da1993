#include "engine/database.h"

#include <algorithm>

#include "engine/filter/dataset_error.h"
#include "engine/file/short_string.h"
#include "engine/session.h"
#include "engine/text/names.h"
#include "engine/table.h"

namespace isam {

bool LooksLikePath(std::string_view name) {
  return name.find_first_of(":\\/") != std::string_view::npos;
}

std::string BuildTablePath(std::string_view directory, std::string_view tableName) {
  while (!directory.empty() && directory.front() == ' ') directory.remove_prefix(1);
  while (!directory.empty() && directory.back() == ' ') directory.remove_suffix(1);
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += tableName;
  return ShortString(path);
}

TIsamDatabase::TIsamDatabase() { Sessions().AddDatabase(this); }

TIsamDatabase::TIsamDatabase(TemporaryTag, std::string_view sessionName, std::string_view name, bool keep)
    : databaseName_(name), sessionName_(sessionName), keepConnection_(keep), temporary_(true) {
  Sessions().AddDatabase(this);
}

TIsamDatabase::~TIsamDatabase() {
  closing_ = true;
  for (TIsamTable* table : std::vector<TIsamTable*>(tables_)) table->Close();
  Sessions().RemoveDatabase(this);
}

void TIsamDatabase::CheckInactive() const {
  if (connected_) throw EDatabaseError("Cannot perform this operation on an open database.");
}

void TIsamDatabase::SetDatabaseName(std::string_view name) {
  CheckInactive();
  if (!temporary_ && LooksLikePath(name)) throw EDatabaseError::WithArg("Database name %s is not valid.", name);
  databaseName_ = std::string(name);
}

void TIsamDatabase::SetDirectory(std::string_view directory) {
  CheckInactive();
  directory_ = std::string(directory);
}

void TIsamDatabase::SetSessionName(std::string_view name) {
  CheckInactive();
  sessionName_ = std::string(name);
}

std::string TIsamDatabase::EngineVersion() const { return kEngineVersion; }

TIsamSession& TIsamDatabase::Session() const { return Sessions().GetSession(sessionName_); }

std::string TIsamDatabase::TableDirectory() const {
  if (temporary_ && (databaseName_.empty() || LooksLikePath(databaseName_))) return databaseName_;
  return directory_;
}

void TIsamDatabase::SetConnected(bool connected) {
  if (connected == connected_) return;
  if (!connected) {
    Close();
    return;
  }
  TIsamSession& session = Session();
  session.SetActive(true);
  if (BeforeConnect) BeforeConnect(*this);
  if (!temporary_) {
    if (databaseName_.empty()) throw EDatabaseError("Database name is missing.");
    for (TIsamDatabase* other : Sessions().Databases()) {
      if (other != this && other->connected_ && SameName(other->databaseName_, databaseName_) &&
          Sessions().FindSession(other->sessionName_) == &session) {
        throw EDatabaseError::WithArg("Database name %s already exists.", databaseName_);
      }
    }
  }
  connected_ = true;
}

void TIsamDatabase::Close() {
  if (!connected_ && tables_.empty()) return;
  closing_ = true;
  for (TIsamTable* table : std::vector<TIsamTable*>(tables_)) table->Close();
  closing_ = false;
  tables_.clear();
  connected_ = false;
}

void TIsamDatabase::AttachTable(TIsamTable* table) {
  SetConnected(true);
  if (std::find(tables_.begin(), tables_.end(), table) == tables_.end()) tables_.push_back(table);
}

void TIsamDatabase::ReleaseTable(TIsamTable* table) {
  tables_.erase(std::remove(tables_.begin(), tables_.end(), table), tables_.end());
  if (!tables_.empty() || keepConnection_ || closing_) return;
  if (temporary_) {
    // Destroys this object: nothing may follow.
    Session().DestroyTemporaryDatabase(this);
    return;
  }
  connected_ = false;
}

}  // namespace isam
