#pragma once
// Sessions of the table engine and the process-wide list that holds them.
//
// A session is a named scope: it owns the registered table passwords, the
// private directory and, while active, an engine session record (the last
// error context lands there). The default session "Default" exists from the
// first use of the list to the end of the process and uses the engine's
// process-wide record; every other session gets a record of its own.
// Whichever session performs an operation makes its record current.
//
// One process-wide re-entrant lock serialises activation, deactivation,
// auto-session numbering and the password list operations.
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/errors.h"
#include "engine/file/file_session.h"
#include "engine/text/names.h"

namespace isam {

class TIsamDatabase;
class TIsamTable;
class TIsamSession;
class TIsamSessionList;

inline constexpr const char* kEngineVersion = "1.19";
inline constexpr const char* kDefaultSessionName = "Default";

// Asked when a table needs a password that no entry of the session's list
// matches; Continue starts false, true makes the engine compare again.
using TIsamPasswordEvent = std::function<void(TIsamSession& sender, bool& continueOpen)>;
// The application's password dialog: true when the user confirmed it (after
// registering what was typed with the session). The engine has no UI.
using TIsamPasswordPrompt = std::function<bool(TIsamSession& session)>;

class TIsamSession {
 public:
  // Registers the session with the list; the first session ever created is
  // the default session. name: the component name (used by AutoSessionName).
  explicit TIsamSession(std::string name = {});
  // Deactivates the session and removes it from the list.
  ~TIsamSession();
  TIsamSession(const TIsamSession&) = delete;
  TIsamSession& operator=(const TIsamSession&) = delete;

  const std::string& Name() const { return name_; }
  // The component owner; AutoSessionName renames the tables and databases
  // that share it.
  const void* Owner() const { return owner_; }
  void SetOwner(const void* owner) { owner_ = owner; }

  bool Active() const { return active_; }
  void SetActive(bool active);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }

  const std::string& SessionName() const { return sessionName_; }
  // "Cannot perform this operation on an active session." while active;
  // "Session name %s already exists." for a name in use.
  void SetSessionName(std::string_view name);
  bool KeepConnections() const { return keepConnections_; }
  void SetKeepConnections(bool keep) { keepConnections_ = keep; }
  // Read back in upper case; pushed into the record while active.
  std::string PrivateDir() const;
  void SetPrivateDir(std::string_view directory);
  bool AutoSessionName() const { return autoSessionName_; }
  void SetAutoSessionName(bool on);
  std::string EngineVersion() const { return kEngineVersion; }
  void SetEngineVersion(std::string_view) {}  // read-only

  std::function<void(TIsamSession&)> OnStartup;
  TIsamPasswordEvent OnPassword;

  // ---- Passwords (exact, case-sensitive, at most 255 bytes each) ----
  void RegisterPassword(std::string_view password);
  void UnregisterPassword(std::string_view password);
  void ClearPasswords();
  // The registered passwords in order.
  std::vector<std::string> Passwords() const;

  // ---- For tables and databases ----
  bool IsDefault() const;
  // Makes this session's record the one that errors land in.
  void MakeCurrent();
  // The engine session record (null while inactive).
  TFileSession* FileSession() const { return Record(); }
  // The session's database of that name (case-insensitive), or null.
  TIsamDatabase* FindDatabase(std::string_view databaseName) const;
  // A temporary database owned by the session, living while tables use it.
  TIsamDatabase& CreateTemporaryDatabase(std::string_view databaseName);
  // Destroys a temporary database of this session (it must have no tables).
  void DestroyTemporaryDatabase(TIsamDatabase* database);
  // Answers the data file's password callback: OnPassword, else the list's
  // prompt; false when neither exists.
  bool AskPassword();
  // How often this session entered the process lock (nesting depth).
  int LockDepth() const { return lockDepth_; }

 private:
  friend class TIsamSessionList;
  friend class TSessionLock;
  struct ListTag {};
  TIsamSession(ListTag, TIsamSessionList& list, std::string name);
  void Activate();
  void Deactivate();
  TFileSession* Record() const;
  std::vector<TIsamDatabase*> Databases() const;

  std::string name_;
  const void* owner_ = nullptr;
  std::string sessionName_;
  bool active_ = false;
  bool keepConnections_ = true;
  bool autoSessionName_ = false;
  int autoNumber_ = 0;  // the auto-session number held, 0 = none
  std::string privateDir_;
  TPasswordList pending_;  // passwords registered while no record exists
  std::unique_ptr<TFileSession> ownRecord_;  // every session but the default one
  std::vector<std::unique_ptr<TIsamDatabase>> temporary_;
  int lockDepth_ = 0;
  bool startedEngine_ = false;  // the default session started the engine
};

// Holds the process lock for a session and counts the nesting.
class TSessionLock {
 public:
  explicit TSessionLock(TIsamSession& session);
  ~TSessionLock();
  TSessionLock(const TSessionLock&) = delete;
  TSessionLock& operator=(const TSessionLock&) = delete;

 private:
  TIsamSession& session_;
};

class TIsamSessionList {
 public:
  // Null when no session is named so; an empty name yields the default
  // session. Names compare without regard to case.
  TIsamSession* FindSession(std::string_view name) const;
  // As FindSession, else "Session name %s is not valid.".
  TIsamSession& GetSession(std::string_view name) const;
  TIsamSession& DefaultSession() const { return *default_; }
  const std::vector<TIsamSession*>& Sessions() const { return sessions_; }

  // The application's password dialog, used by sessions without OnPassword.
  void SetPasswordPrompt(TIsamPasswordPrompt prompt) { prompt_ = std::move(prompt); }
  const TIsamPasswordPrompt& PasswordPrompt() const { return prompt_; }

  std::recursive_mutex& ProcessLock() { return lock_; }

  // ---- Registries (for database lookup and AutoSessionName) ----
  void AddDatabase(TIsamDatabase* database);
  void RemoveDatabase(TIsamDatabase* database);
  const std::vector<TIsamDatabase*>& Databases() const { return databases_; }
  void AddTable(TIsamTable* table);
  void RemoveTable(TIsamTable* table);
  const std::vector<TIsamTable*>& Tables() const { return tables_; }

 private:
  friend class TIsamSession;
  friend TIsamSessionList& Sessions();
  TIsamSessionList();
  ~TIsamSessionList();
  void Add(TIsamSession* session);
  void Remove(TIsamSession* session);
  int TakeAutoNumber();
  void ReleaseAutoNumber(int number);

  std::recursive_mutex lock_;
  std::vector<TIsamSession*> sessions_;
  TIsamSession* default_ = nullptr;
  std::unique_ptr<TIsamSession> ownDefault_;
  std::set<int> autoNumbers_;
  TIsamPasswordPrompt prompt_;
  std::vector<TIsamDatabase*> databases_;
  std::vector<TIsamTable*> tables_;
};

// The process-wide list, created with its default session on first use.
TIsamSessionList& Sessions();

}  // namespace isam
