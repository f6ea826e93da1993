#include "engine/file/file_session.h"
#include "engine/text/names.h"

#include <algorithm>

namespace isam {
namespace {

std::unique_ptr<TFileSession> g_engineRecord;
TFileSession* g_current = nullptr;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

void TPasswordList::Add(std::string_view password) {
  std::string entry = ShortString(password);
  if (entry.empty() || Contains(entry)) return;
  passwords_.push_back(std::move(entry));
}

void TPasswordList::Remove(std::string_view password) {
  auto it = std::find(passwords_.begin(), passwords_.end(), ShortString(password));
  if (it != passwords_.end()) passwords_.erase(it);
}

bool TPasswordList::Contains(std::string_view password) const {
  return std::find(passwords_.begin(), passwords_.end(), ShortString(password)) != passwords_.end();
}

bool TMemoryFileList::Contains(std::string_view name) const {
  std::string_view wanted = Trim(name);
  return std::any_of(names_.begin(), names_.end(), [&](const std::string& n) {
    std::string_view have = Trim(n);
    return SameName(have, wanted);
  });
}

TFileSession* StartEngine() {
  if (!g_engineRecord) {
    g_engineRecord = std::make_unique<TFileSession>();
    g_current = g_engineRecord.get();
  }
  return g_engineRecord.get();
}

void StopEngine() {
  g_engineRecord.reset();
  g_current = nullptr;
}

bool EngineStarted() { return g_engineRecord != nullptr; }
TFileSession* EngineRecord() { return g_engineRecord.get(); }
TFileSession* CurrentFileSession() { return g_current; }

void SetCurrentFileSession(TFileSession* session) {
  g_current = session ? session : g_engineRecord.get();
}

int ReportError(int code, std::string_view fileName, std::string_view fieldName,
                std::string_view indexName, std::string_view extra) {
  if (code == kEngineNotInitialized) return code;
  TFileSession* session = CurrentFileSession();
  if (!session) return code;
  ErrorContext& context = session->lastError;
  context = ErrorContext{};
  context.code = code;
  context.fileName = ShortString(fileName);
  context.fieldName = ShortString(fieldName);
  context.indexName = ShortString(indexName);
  context.extra = ShortString(extra);
  return code;
}

}  // namespace isam
