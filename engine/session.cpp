#include "engine/session.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

#include "engine/database.h"
#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/file/short_string.h"
#include "engine/table.h"
#include "engine/text/names.h"

namespace isam {

// ---------------------------------------------------------------- session list

TIsamSessionList& Sessions() {
  static TIsamSessionList list;
  return list;
}

TIsamSessionList::TIsamSessionList() {
  ownDefault_.reset(new TIsamSession(TIsamSession::ListTag{}, *this, kDefaultSessionName));
  ownDefault_->sessionName_ = kDefaultSessionName;
}

TIsamSessionList::~TIsamSessionList() {
  // Sessions the application still holds outlive the list only at process
  // exit; they are left alone. The default session goes with the list.
  ownDefault_.reset();
}

void TIsamSessionList::Add(TIsamSession* session) {
  std::lock_guard guard(lock_);
  if (!default_) default_ = session;
  sessions_.push_back(session);
}

void TIsamSessionList::Remove(TIsamSession* session) {
  std::lock_guard guard(lock_);
  sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), session), sessions_.end());
  if (default_ == session) default_ = nullptr;
}

TIsamSession* TIsamSessionList::FindSession(std::string_view name) const {
  if (name.empty()) return default_;
  for (TIsamSession* session : sessions_) {
    if (SameName(session->SessionName(), name)) return session;
  }
  return nullptr;
}

TIsamSession& TIsamSessionList::GetSession(std::string_view name) const {
  TIsamSession* session = FindSession(name);
  if (!session) throw EDatabaseError::WithArg("Session name %s is not valid.", name);
  return *session;
}

int TIsamSessionList::TakeAutoNumber() {
  std::lock_guard guard(lock_);
  int number = 0;
  while (autoNumbers_.count(number)) ++number;
  autoNumbers_.insert(number);
  return number;
}

void TIsamSessionList::ReleaseAutoNumber(int number) {
  std::lock_guard guard(lock_);
  autoNumbers_.erase(number);
}

void TIsamSessionList::AddDatabase(TIsamDatabase* database) {
  std::lock_guard guard(lock_);
  databases_.push_back(database);
}

void TIsamSessionList::RemoveDatabase(TIsamDatabase* database) {
  std::lock_guard guard(lock_);
  databases_.erase(std::remove(databases_.begin(), databases_.end(), database), databases_.end());
}

void TIsamSessionList::AddTable(TIsamTable* table) {
  std::lock_guard guard(lock_);
  tables_.push_back(table);
}

void TIsamSessionList::RemoveTable(TIsamTable* table) {
  std::lock_guard guard(lock_);
  tables_.erase(std::remove(tables_.begin(), tables_.end(), table), tables_.end());
}

// ---------------------------------------------------------------- process lock

TSessionLock::TSessionLock(TIsamSession& session) : session_(session) {
  Sessions().ProcessLock().lock();
  ++session_.lockDepth_;
}

TSessionLock::~TSessionLock() {
  --session_.lockDepth_;
  Sessions().ProcessLock().unlock();
}

// ---------------------------------------------------------------- session

TIsamSession::TIsamSession(std::string name) : name_(std::move(name)) { Sessions().Add(this); }

TIsamSession::TIsamSession(ListTag, TIsamSessionList& list, std::string name) : name_(std::move(name)) {
  list.Add(this);
}

TIsamSession::~TIsamSession() {
  try {
    SetActive(false);
  } catch (...) {
    // A destructor cannot report; the record is gone either way.
  }
  if (autoNumber_) Sessions().ReleaseAutoNumber(autoNumber_ - 1);
  // The default session is destroyed by the list itself, during its own
  // destruction: reach the list only through the reference it gave.
  Sessions().Remove(this);
}

bool TIsamSession::IsDefault() const { return Sessions().default_ == this; }

TFileSession* TIsamSession::Record() const {
  if (!active_) return nullptr;
  return IsDefault() ? EngineRecord() : ownRecord_.get();
}

void TIsamSession::MakeCurrent() {
  if (TFileSession* record = Record()) SetCurrentFileSession(record);
}

void TIsamSession::SetActive(bool active) {
  if (active == active_) return;
  if (active) {
    Activate();
  } else {
    Deactivate();
  }
}

void TIsamSession::Activate() {
  TSessionLock lock(*this);
  if (OnStartup) OnStartup(*this);
  if (sessionName_.empty()) throw EDatabaseError("Session name is missing.");
  if (!IsDefault()) Sessions().DefaultSession().SetActive(true);
  TFileSession* record = nullptr;
  if (IsDefault()) {
    startedEngine_ = !EngineStarted();
    record = StartEngine();
  } else {
    ownRecord_ = std::make_unique<TFileSession>();
    record = ownRecord_.get();
  }
  record->passwords = pending_;
  active_ = true;
  MakeCurrent();
  if (!privateDir_.empty()) {
    struct stat info {};
    if (stat(privateDir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
      int code = ReportError(kInvalidPath, privateDir_);
      ErrorContext context = record->lastError;
      Deactivate();
      throw EIsamEngineError(code, context);
    }
    record->privateDir = ShortString(privateDir_);
  }
}

void TIsamSession::Deactivate() {
  TSessionLock lock(*this);
  MakeCurrent();
  for (TIsamDatabase* database : Databases()) {
    database->Close();
    // Closing its last table may already have destroyed a temporary database.
    auto it = std::find_if(temporary_.begin(), temporary_.end(),
                           [&](const auto& owned) { return owned.get() == database; });
    if (it != temporary_.end()) temporary_.erase(it);
  }
  // The passwords belong to the session: they survive until it is destroyed
  // or they are cleared, so that reactivating needs no new registration.
  if (TFileSession* record = Record()) pending_ = record->passwords;
  active_ = false;
  if (IsDefault()) {
    if (startedEngine_) StopEngine();
    startedEngine_ = false;
  } else {
    ownRecord_.reset();
  }
  SetCurrentFileSession(nullptr);
}

void TIsamSession::SetSessionName(std::string_view name) {
  TSessionLock lock(*this);
  if (autoSessionName_ && active_) throw EDatabaseError("Cannot perform this operation on the active auto-session.");
  if (active_) throw EDatabaseError("Cannot perform this operation on an active session.");
  if (IsDefault() && !SameName(name, kDefaultSessionName)) {
    throw EDatabaseError("Cannot perform this operation on an active session.");
  }
  for (TIsamSession* other : Sessions().Sessions()) {
    if (other != this && !name.empty() && SameName(other->SessionName(), name)) {
      throw EDatabaseError::WithArg("Session name %s already exists.", name);
    }
  }
  sessionName_ = std::string(name);
}

void TIsamSession::SetAutoSessionName(bool on) {
  TSessionLock lock(*this);
  if (on == autoSessionName_) return;
  if (active_) throw EDatabaseError("Cannot perform this operation on an active session.");
  if (on) {
    if (IsDefault()) throw EDatabaseError("This auto-session already exists.");
    int number = Sessions().TakeAutoNumber();
    std::string name = name_ + "_" + std::to_string(number + 1);
    sessionName_.clear();
    try {
      SetSessionName(name);
    } catch (...) {
      Sessions().ReleaseAutoNumber(number);
      throw;
    }
    autoNumber_ = number + 1;
    autoSessionName_ = true;
    for (TIsamDatabase* database : Sessions().Databases()) {
      if (owner_ && database->Owner() == owner_ && !database->Temporary()) database->SetSessionName(name);
    }
    for (TIsamTable* table : Sessions().Tables()) {
      if (owner_ && table->Owner() == owner_ && !table->Active()) table->SetSessionName(name);
    }
  } else {
    Sessions().ReleaseAutoNumber(autoNumber_ - 1);
    autoNumber_ = 0;
    autoSessionName_ = false;
  }
}

std::string TIsamSession::PrivateDir() const {
  std::string upper = privateDir_;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

void TIsamSession::SetPrivateDir(std::string_view directory) {
  TSessionLock lock(*this);
  privateDir_ = ShortString(directory);
  if (TFileSession* record = Record()) record->privateDir = privateDir_;
}

// ---------------------------------------------------------------- passwords

void TIsamSession::RegisterPassword(std::string_view password) {
  TSessionLock lock(*this);
  TFileSession* record = Record();
  (record ? record->passwords : pending_).Add(password);
}

void TIsamSession::UnregisterPassword(std::string_view password) {
  TSessionLock lock(*this);
  TFileSession* record = Record();
  (record ? record->passwords : pending_).Remove(password);
}

void TIsamSession::ClearPasswords() {
  TSessionLock lock(*this);
  TFileSession* record = Record();
  (record ? record->passwords : pending_).Clear();
}

std::vector<std::string> TIsamSession::Passwords() const {
  TFileSession* record = Record();
  return (record ? record->passwords : pending_).entries();
}

bool TIsamSession::AskPassword() {
  if (OnPassword) {
    bool continueOpen = false;
    OnPassword(*this, continueOpen);
    return continueOpen;
  }
  if (const TIsamPasswordPrompt& prompt = Sessions().PasswordPrompt()) return prompt(*this);
  return false;
}

// ---------------------------------------------------------------- databases

std::vector<TIsamDatabase*> TIsamSession::Databases() const {
  std::vector<TIsamDatabase*> mine;
  for (TIsamDatabase* database : Sessions().Databases()) {
    if (Sessions().FindSession(database->SessionName()) == this) mine.push_back(database);
  }
  return mine;
}

TIsamDatabase* TIsamSession::FindDatabase(std::string_view databaseName) const {
  for (TIsamDatabase* database : Databases()) {
    if (SameName(database->DatabaseName(), databaseName)) return database;
  }
  return nullptr;
}

TIsamDatabase& TIsamSession::CreateTemporaryDatabase(std::string_view databaseName) {
  temporary_.push_back(std::unique_ptr<TIsamDatabase>(
      new TIsamDatabase(TIsamDatabase::TemporaryTag{}, sessionName_, databaseName, keepConnections_)));
  return *temporary_.back();
}

void TIsamSession::DestroyTemporaryDatabase(TIsamDatabase* database) {
  auto it = std::find_if(temporary_.begin(), temporary_.end(),
                         [&](const auto& owned) { return owned.get() == database; });
  if (it != temporary_.end()) temporary_.erase(it);
}

}  // namespace isam
