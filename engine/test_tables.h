#pragma once
// Test helpers: question-like tables made with the table creator in a
// scratch folder, and a session of their own for each test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/file/file_session.h"
#include "engine/data/table_creator.h"
#include "engine/session.h"
#include "engine/table.h"
#include "testing/temp_dir.h"

namespace isam::testing_tables {

inline TFieldDef Field(std::string name, uint8_t type, uint8_t subtype = 0, uint8_t size = 0, uint8_t scale = 0) {
  TFieldDef def;
  def.name = std::move(name);
  def.type = type;
  def.subtype = subtype;
  def.size = size;
  def.scale = scale;
  return def;
}

// Q_ID (auto-increment, primary index), Q_EXAM_N, Q_SECT, Q_TEXT (memo),
// Q_TYPE (Boolean), Q1 (string 40), A1 (Boolean), Q_OR_NUMBER, U_MEMO
// (memo); a secondary index on Q_EXAM_N.
inline TTableDef QuestionTable(const std::string& password = {}) {
  TTableDef def;
  def.fields = {Field("Q_ID", kFieldInt32, kSubtypeAutoIncrement),
                Field("Q_EXAM_N", kFieldInt32),
                Field("Q_SECT", kFieldInt32),
                Field("Q_TEXT", kFieldBlob, kSubtypeMemo),
                Field("Q_TYPE", kFieldBoolean),
                Field("Q1", kFieldString, 0, 40),
                Field("A1", kFieldBoolean),
                Field("Q_OR_NUMBER", kFieldInt32),
                Field("U_MEMO", kFieldBlob, kSubtypeMemo)};
  def.indexes.push_back({"", {1}, {}, false, false, true, 0, true});
  def.indexes.push_back({"ByExam", {2}, {}, false, false, false, 0, false});
  def.password = password;
  return def;
}

inline std::string LastEngineMessage() {
  TFileSession* record = CurrentFileSession();
  return record ? ErrorMessage(record->lastError.code, record->lastError) : std::string();
}

// Runs f and returns the message of the exception it raised ("" if none).
template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return {};
}

// The engine code of the EIsamEngineError f raised (0 if none).
template <class F>
int CodeOf(F&& f) {
  try {
    f();
  } catch (const EIsamEngineError& e) {
    return e.code();
  }
  return 0;
}

// A scratch folder with a session "T<n>" of its own.
class TableTest : public ::testing::Test {
 protected:
  TableTest() : session_("TestSession") {
    static int counter = 0;
    sessionName_ = "T" + std::to_string(++counter);
    session_.SetSessionName(sessionName_);
    session_.SetKeepConnections(false);
    session_.Open();
  }

  std::string File(const std::string& name) const { return dir_.File(name); }

  void Create(const std::string& name, const TTableDef& def = QuestionTable()) {
    ASSERT_EQ(CreateTable(File(name), def), kOk) << LastEngineMessage();
  }

  // A closed table object bound to the test's session and folder.
  void Bind(TIsamTable& table, const std::string& name) {
    table.SetSessionName(sessionName_);
    table.SetDatabaseName(dir_.path());
    table.SetTableName(name);
  }

  // Appends questions with the given exam numbers; Q1 is "Q<n>" with n the
  // 1-based position in the list.
  void Fill(TIsamTable& table, const std::vector<int>& exams) {
    int n = table.CountRecords();
    for (int exam : exams) {
      table.BeginAppend();
      table.FieldNamed("Q_EXAM_N").SetIntegerValue(exam);
      table.FieldNamed("Q_SECT").SetIntegerValue(exam % 7 + 1);
      table.FieldNamed("Q1").SetStringValue("Q" + std::to_string(++n));
      table.PostRecord();
    }
  }

  testing_support::TempDir dir_;
  TIsamSession session_;
  std::string sessionName_;
};

}  // namespace isam::testing_tables
