#include "engine/errors.h"

#include <gtest/gtest.h>

#include "engine/file/file_session.h"

namespace isam {
namespace {

class ErrorsTest : public ::testing::Test {
  EngineScope engine_;
};

std::string MessageOf(int code, std::string_view file = {}, std::string_view field = {},
                      std::string_view index = {}, std::string_view extra = {}) {
  ReportError(code, file, field, index, extra);
  try {
    ThrowEngineError(code);
  } catch (const EIsamEngineError& e) {
    EXPECT_EQ(e.code(), code);
    EXPECT_EQ(e.errors().size(), 1u);
    return e.what();
  }
  return {};
}

TEST_F(ErrorsTest, MessagesJoinTheirPiecesWithTheContext) {
  struct Case {
    int code;
    const char* field;
    const char* index;
    const char* extra;
    const char* expected;
  } cases[] = {
      {11010, "", "", "", "ISAM Engine Error # 11010 Invalid path or file name for data file ces.DAT"},
      {9729, "", "Primary", "", "ISAM Engine Error # 9729 Duplicate key found in index Primary of data file ces.DAT"},
      {9730, "Q_SECT", "", "",
       "ISAM Engine Error # 9730 The value for the field Q_SECT in data file ces.DAT is below the minimum allowable value"},
      {8711, "", "", "", "ISAM Engine Error # 8711 End of blob data in data file ces.DAT reached prematurely"},
      {10015, "", "", "", "ISAM Engine Error # 10015 Password provided for data file ces.DAT is invalid"},
      {10023, "Q_ID", "ByExam", "",
       "ISAM Engine Error # 10023 Invalid field number Q_ID specified in index ByExam for data file ces.DAT"},
      {11949, "", "", "near FROM", "ISAM Engine Error # 11949 SQL - near FROM"},
      {4242, "", "", "", "ISAM Engine Error # 4242 Unknown error occurred with data file ces.DAT"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf(c.code, "ces.DAT", c.field, c.index, c.extra), c.expected) << c.code;
  }
}

TEST_F(ErrorsTest, ContextFreeCodesStandAlone) {
  EXPECT_EQ(MessageOf(10758, "ces.DAT"), "ISAM Engine Error # 10758 ISAM engine not initialized");
  EXPECT_EQ(MessageOf(11016, "ces.DAT"),
            "ISAM Engine Error # 11016 There is insufficient operating system memory available for "
            "the current operation");
}

TEST_F(ErrorsTest, TextIsCutAt127Characters) {
  std::string longPath = "/" + std::string(200, 'p') + ".DAT";
  ErrorContext context{9479, longPath, "", "", ""};
  std::string text = ErrorText(9479, context);
  EXPECT_EQ(text.size(), 127u);
  EXPECT_EQ(text, ("The data file " + longPath).substr(0, 127));
}

TEST_F(ErrorsTest, EachReportReplacesTheWholeContext) {
  ReportError(9730, "a.DAT", "F1");
  ReportError(9217, "b.DAT");
  const ErrorContext& context = CurrentFileSession()->lastError;
  EXPECT_EQ(context.code, 9217);
  EXPECT_EQ(context.fileName, "b.DAT");
  EXPECT_EQ(context.fieldName, "");
  // 10758 stores nothing: the previous context stays.
  ReportError(10758, "c.DAT");
  EXPECT_EQ(CurrentFileSession()->lastError.fileName, "b.DAT");
}

}  // namespace
}  // namespace isam
