#pragma once
// The exam window's tables: the session "Plindor" with the table password,
// the question bank dtQSet, the current exam set dtCurrentSet, the user
// question set dtUserSet and the data source dsCurrentSet on the current
// exam set. The files are looked up in the working directory.
#include <memory>

#include "engine/data_source.h"
#include "engine/session.h"
#include "engine/table.h"

namespace marvessa {

inline constexpr const char* kSessionName = "Plindor";
inline constexpr const char* kTablePassword = "Lanternfish2718";
inline constexpr const char* kBankFile = "qvault.DAT";
inline constexpr const char* kCurrentSetFile = "ces.DAT";
inline constexpr const char* kUserSetFile = "qvaultusr.DAT";

// A table component bound to the session with the program's settings.
void SetUpTable(isam::TIsamTable& table, const char* fileName);

class TQuestionTables {
 public:
  // Activates the session and registers the password before any table opens.
  TQuestionTables();
  ~TQuestionTables();
  TQuestionTables(const TQuestionTables&) = delete;
  TQuestionTables& operator=(const TQuestionTables&) = delete;

  isam::TIsamSession IsamSession1{"IsamSession1"};
  isam::TIsamTable dtQSet;
  isam::TIsamTable dtCurrentSet;
  isam::TIsamTable dtUserSet;
  isam::TIsamDataSource dsCurrentSet;
};

}  // namespace marvessa
