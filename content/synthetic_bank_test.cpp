// The synthetic bank generator: its records must fit the bank's schema (the
// engine refuses oversized strings) and a seed must always give the same bank.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

std::string Generate(const std::string& arguments) {
  const std::string command = std::string(MARVESSA_SYNTHETIC_BANK) + " " + arguments;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "";
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_EQ(status, 0) << command;
  return out;
}

TEST(SyntheticBank, RecordsFitTheSchemaAndTheItemRules) {
  std::ifstream schemaFile(std::string(MARVESSA_CONTENT_DIR) + "/qvault.schema.json");
  const json schema = json::parse(schemaFile);
  std::map<std::string, json> fields;
  for (const auto& field : schema["fields"]) fields[field["name"]] = field;

  std::istringstream lines(Generate("3000 7"));
  std::string line;
  std::set<std::string> texts;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    SCOPED_TRACE("record " + std::to_string(count));
    const json record = json::parse(line);
    for (const auto& [name, value] : record.items()) {
      ASSERT_TRUE(fields.count(name)) << name;
      if (fields[name]["type"] == 1) {
        EXPECT_LE(value.get<std::string>().size(), fields[name]["size"].get<size_t>()) << name;
      }
    }
    EXPECT_TRUE(texts.insert(record["Q_TEXT"]).second) << "question text repeats";
    EXPECT_GE(record["Q_EXAM_N"].get<int>(), 0);
    EXPECT_LE(record["Q_EXAM_N"].get<int>(), 7);
    EXPECT_GE(record["Q_SECT"].get<int>(), 1);
    EXPECT_LE(record["Q_SECT"].get<int>(), 7);
    int offered = 0, keyed = 0;
    for (int i = 1; i <= 6; ++i) {
      const bool present = !record["Q" + std::to_string(i)].get<std::string>().empty();
      const bool key = record["A" + std::to_string(i)].get<bool>();
      EXPECT_TRUE(present || !key) << "key on a missing answer";
      if (present) {
        EXPECT_EQ(offered++, i - 1) << "answers not contiguous";
      }
      keyed += key;
    }
    EXPECT_GE(offered, 2);
    EXPECT_GE(keyed, 1);
    if (!record["Q_TYPE"].get<bool>()) {
      EXPECT_EQ(keyed, 1);
    }
  }
  EXPECT_EQ(count, 3000);
}

TEST(SyntheticBank, SameSeedSameBankOtherSeedOtherBank) {
  const std::string first = Generate("200 42");
  EXPECT_EQ(Generate("200 42"), first);
  EXPECT_NE(Generate("200 43"), first);
  // A larger bank starts with the smaller one: the count only cuts the sequence.
  EXPECT_EQ(Generate("300 42").substr(0, first.size()), first);
}

}  // namespace
