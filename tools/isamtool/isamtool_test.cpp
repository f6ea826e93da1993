// isamtool end to end: the real binary on real files.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "testing/temp_dir.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
};

ToolRun Tool(const std::string& arguments) {
  std::string command = std::string(ISAMTOOL_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class IsamtoolTest : public ::testing::Test {
 protected:
  testing_support::TempDir dir_;
};

TEST_F(IsamtoolTest, EveryFieldKindRoundTripsThroughImportAndDump) {
  Write(dir_.File("s.json"), R"({"fields": [
    {"name": "ID", "type": 6, "subtype": 29}, {"name": "S", "type": 1, "size": 12},
    {"name": "D", "type": 2}, {"name": "M", "type": 3, "subtype": 22}, {"name": "G", "type": 3, "subtype": 26},
    {"name": "B", "type": 4}, {"name": "I16", "type": 5}, {"name": "I32", "type": 6},
    {"name": "F", "type": 7}, {"name": "C", "type": 7, "subtype": 21}, {"name": "P", "type": 8, "scale": 2},
    {"name": "Y", "type": 9, "size": 3}, {"name": "T", "type": 10}, {"name": "DT", "type": 11},
    {"name": "U16", "type": 12}, {"name": "R", "type": 13}, {"name": "V", "type": 15, "size": 4}],
    "indexes": [{"name": "Primary", "primary": true, "fields": ["ID"]}]})");
  const std::string line =
      R"({"_slot":1,"ID":1,"S":"Caf)" "\xC3\xA9 \xE2\x82\xAC" "5" R"(","D":"2024-02-29","M":"a memo","G":{"base64":"AAEC/w=="},)"
      R"("B":true,"I16":-300,"I32":-70000,"F":0.5,"C":12.25,"P":"-12.50","Y":{"base64":"AQID"},)"
      R"("T":"13:05:30.250","DT":"1999-12-31T23:59:59.999","U16":65535,"R":-1,"V":{"base64":"AAAAAA=="}})";
  Write(dir_.File("r.jsonl"), line + "\n" + R"({"S": null, "M": ""})" + "\n");
  std::string table = dir_.File("all");
  ASSERT_EQ(Tool("create " + table + " --schema " + dir_.File("s.json") + " --password pw").status, 0);
  ASSERT_EQ(Tool("import " + table + " --json " + dir_.File("r.jsonl") + " --password pw").status, 0);
  ToolRun dump = Tool("dump " + table + " --password pw");
  ASSERT_EQ(dump.status, 0) << dump.out;
  std::string first = dump.out.substr(0, dump.out.find('\n'));
  EXPECT_EQ(first, line);
  EXPECT_NE(dump.out.find(R"({"_slot":2,"ID":2,"S":null,"D":null,"M":null)"), std::string::npos) << dump.out;
  ToolRun check = Tool("check " + table + " --password pw");
  EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(IsamtoolTest, FiltersSelectWhatDeleteAndUpdateChange) {
  Write(dir_.File("s.json"), R"({"fields": [{"name": "Q_ID", "type": 6, "subtype": 29},
    {"name": "Q_EXAM_N", "type": 6}, {"name": "Q_TEXT", "type": 3, "subtype": 22}],
    "indexes": [{"name": "Primary", "primary": true, "fields": ["Q_ID"]},
                {"name": "ByExam", "fields": ["Q_EXAM_N"], "unique": false}]})");
  std::string records;
  for (int i = 1; i <= 12; ++i)
    records += R"({"Q_EXAM_N": )" + std::to_string(i % 4) + R"(, "Q_TEXT": "question )" + std::to_string(i) + "\"}\n";
  Write(dir_.File("r.jsonl"), records);
  std::string t = dir_.File("bank.DAT");
  ASSERT_EQ(Tool("create " + t + " --schema " + dir_.File("s.json")).status, 0);
  ASSERT_EQ(Tool("import " + t + " --json " + dir_.File("r.jsonl")).status, 0);
  EXPECT_EQ(Tool("count " + t + " --filter \"Q_EXAM_N=3\"").out, "3\n");
  EXPECT_EQ(Tool("count " + t + " --filter \"Q_EXAM_N<>0\"").out, "9\n");
  EXPECT_EQ(Tool("update " + t + " --filter \"Q_EXAM_N=3\" --set Q_EXAM_N=7 --set 'Q_TEXT=\"moved\"'").out, "3\n");
  EXPECT_EQ(Tool("count " + t + " --filter \"Q_TEXT='moved'\"").status, 1);  // memo fields cannot be filtered
  EXPECT_EQ(Tool("count " + t + " --filter \"Q_EXAM_N=7\"").out, "3\n");
  EXPECT_EQ(Tool("delete " + t + " --filter \"Q_EXAM_N=7 OR Q_EXAM_N=0\"").out, "6\n");
  EXPECT_EQ(Tool("count " + t).out, "6\n");
  ToolRun byExam = Tool("dump " + t + " --index ByExam");
  EXPECT_EQ(byExam.out.find("\"Q_EXAM_N\":1"), byExam.out.find("\"Q_EXAM_N\""));
  EXPECT_EQ(Tool("check " + t).status, 0);
}

TEST_F(IsamtoolTest, FilterTextsAreWindows1252LikeTheTables) {
  Write(dir_.File("s.json"), R"({"fields": [{"name": "S1", "type": 1, "size": 10}, {"name": "P", "type": 8, "scale": 2}]})");
  Write(dir_.File("r.jsonl"), "{\"S1\": \"CAF\xC3\x89\", \"P\": \"-92233720368547.75\"}\n"
                              "{\"S1\": \"5 \xE2\x82\xAC\", \"P\": -92233720368547.75}\n{\"S1\": \"CAFE\"}\n");
  std::string t = dir_.File("t");
  ASSERT_EQ(Tool("create " + t + " --schema " + dir_.File("s.json")).status, 0);
  ASSERT_EQ(Tool("import " + t + " --json " + dir_.File("r.jsonl")).status, 0);
  EXPECT_EQ(Tool("count " + t + " --filter \"S1 = 'CAF\xC3\x89'\"").out, "1\n");
  EXPECT_EQ(Tool("count " + t + " --filter \"S1 = '5 \xE2\x82\xAC'\"").out, "1\n");
  EXPECT_EQ(Tool("dump " + t + " --filter \"S1 = 'CAF\xC3\x89'\"").out,
            "{\"_slot\":1,\"S1\":\"CAF\xC3\x89\",\"P\":\"-92233720368547.75\"}\n");
  // Every digit of a BCD value survives, from a string and from a JSON number.
  EXPECT_NE(Tool("dump " + t + " --filter \"S1 = '5 \xE2\x82\xAC'\"").out.find("\"P\":\"-92233720368547.75\""),
            std::string::npos);
  ToolRun omega = Tool("count " + t + " --filter \"S1 = '\xCE\xA9'\"");
  EXPECT_EQ(omega.status, 1);
  EXPECT_EQ(omega.out, "isamtool: the --filter text is not UTF-8 or holds a character outside Windows-1252\n");
}

TEST_F(IsamtoolTest, FailuresPrintTheEngineMessage) {
  std::string missing = dir_.File("nothing");
  ToolRun run = Tool("count " + missing);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "ISAM Engine Error # 11010 Invalid path or file name for data file " + missing + ".DAT\n");
  EXPECT_EQ(Tool("count").status, 2);
  ToolRun bad = Tool("count " + missing + " --filter \"A = = 1\"");
  EXPECT_EQ(bad.status, 1);
}

}  // namespace
