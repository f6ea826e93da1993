#pragma once
// The engine session record: one per active table-engine session. It holds
// the last-error context from which engine error messages are built, the
// registered table passwords, the private directory and the in-memory files.
//
// The default session's record is the process-wide engine record; creating it
// starts the engine. Whichever session performs an operation makes its record
// current, so that error contexts land there.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file/error_codes.h"
#include "engine/file/short_string.h"

namespace isam {

// Registered table passwords: exact, case-sensitive short strings.
class TPasswordList {
 public:
  // Ignores an empty text and one that is already present.
  void Add(std::string_view password);
  // Removes the first entry equal to the text.
  void Remove(std::string_view password);
  void Clear() { passwords_.clear(); }
  bool Contains(std::string_view password) const;
  const std::vector<std::string>& entries() const { return passwords_; }

 private:
  std::vector<std::string> passwords_;
};

// In-memory files stand in for disk files of a table opened in memory. Nothing
// in this system creates one, so the list only answers look-ups by name
// (trimmed, without regard to case).
class TMemoryFileList {
 public:
  bool Contains(std::string_view name) const;

 private:
  std::vector<std::string> names_;
};

struct TFileSession {
  std::string privateDir;
  ErrorContext lastError;
  TMemoryFileList memoryFiles;
  TPasswordList passwords;
};

// Clears the current session's context, stores the new one and returns the
// code (10758 stores nothing). Every lower-layer failure goes through here.
int ReportError(int code, std::string_view fileName = {}, std::string_view fieldName = {},
                std::string_view indexName = {}, std::string_view extra = {});

// Starts the engine: creates the process-wide record and makes it current.
// Starting an engine that runs already does nothing.
TFileSession* StartEngine();
// Stops the engine: destroys the process-wide record; no record is current.
void StopEngine();
bool EngineStarted();
// The process-wide record, or null when the engine is not started.
TFileSession* EngineRecord();

// The record that errors land in (null when the engine is not started).
TFileSession* CurrentFileSession();
// Makes a session's record current; null makes the engine record current.
void SetCurrentFileSession(TFileSession* session);

// Starts the engine for the lifetime of the object (tests and tools).
class EngineScope {
 public:
  EngineScope() : ownsEngine_(!EngineStarted()) { StartEngine(); }
  ~EngineScope() {
    if (ownsEngine_) StopEngine();
  }
  EngineScope(const EngineScope&) = delete;
  EngineScope& operator=(const EngineScope&) = delete;

 private:
  bool ownsEngine_;
};

}  // namespace isam
