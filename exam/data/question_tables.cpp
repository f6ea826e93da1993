#include "exam/data/question_tables.h"

namespace marvessa {

void SetUpTable(isam::TIsamTable& table, const char* fileName) {
  table.SetSessionName(kSessionName);
  table.SetDatabaseName("");
  table.SetTableName(fileName);
  table.SetLockRetryCount(15);
  table.SetLockWaitTime(100);
  table.SetForceBufferFlush(false);
}

TQuestionTables::TQuestionTables() {
  IsamSession1.SetSessionName(kSessionName);
  IsamSession1.SetKeepConnections(false);
  IsamSession1.SetActive(true);
  IsamSession1.RegisterPassword(kTablePassword);
  SetUpTable(dtQSet, kBankFile);
  SetUpTable(dtCurrentSet, kCurrentSetFile);
  SetUpTable(dtUserSet, kUserSetFile);
  dsCurrentSet.SetDataSet(&dtCurrentSet);
}

TQuestionTables::~TQuestionTables() {
  // Nothing may tell the exam window of the closing tables any more.
  dsCurrentSet.OnDataChange = nullptr;
  dsCurrentSet.SetDataSet(nullptr);
}

}  // namespace marvessa
