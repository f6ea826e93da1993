// Checks the shipped question bank source before isamtool turns it into
// table files: the schemas, every item's fields against them, the practice
// exams' make-up and the exhibit pictures the items name.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "content/picture_check.h"
#include "engine/text/cp1252.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kContent = MARVESSA_CONTENT_DIR;

const std::vector<std::string> kRecordFields = {
    "Q_ID", "Q_EXAM_N", "Q_SECT", "Q_TEXT", "Q_EXPL", "Q_TYPE", "Q1",    "Q2",
    "Q3",   "Q4",       "Q5",     "Q6",     "A1",     "A2",     "A3",    "A4",
    "A5",   "A6",       "Q_SIM",  "PICT1",  "PICT2",  "Q_OR_NUMBER", "U_MEMO"};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

json ReadJson(const fs::path& path) { return json::parse(ReadFile(path)); }

struct Item {
  int line = 0;
  json record;
  std::string Text(const std::string& field) const {
    const auto it = record.find(field);
    return it == record.end() || it->is_null() ? std::string() : it->get<std::string>();
  }
  bool Flag(const std::string& field) const {
    const auto it = record.find(field);
    return it != record.end() && it->is_boolean() && it->get<bool>();
  }
  int Number(const std::string& field) const {
    const auto it = record.find(field);
    return it == record.end() || it->is_null() ? 0 : it->get<int>();
  }
};

// The bank in file order; a line that is not a JSON object fails the test.
const std::vector<Item>& Bank() {
  static const std::vector<Item> items = [] {
    std::vector<Item> result;
    std::ifstream in(kContent / "bank.jsonl");
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      Item item;
      item.line = number;
      item.record = json::parse(line, nullptr, /*allow_exceptions=*/false);
      result.push_back(std::move(item));
    }
    return result;
  }();
  return items;
}

std::string Where(const Item& item) { return "bank.jsonl line " + std::to_string(item.line); }

// Runs of white space as one blank, and for prose also lower case: texts
// that differ only so are duplicates. Answers keep their case, because
// "chage -m" and "chage -M" are different commands.
std::string Normalized(const std::string& text, bool ignoreCase = true) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isspace(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += static_cast<char>(ignoreCase ? std::tolower(c) : c);
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

TEST(ContentSchema, AllThreeTablesShareTheQuestionRecord) {
  const json bank = ReadJson(kContent / "qvault.schema.json");
  std::vector<std::string> names;
  for (const auto& field : bank["fields"]) names.push_back(field["name"]);
  EXPECT_EQ(names, kRecordFields);
  for (const char* other : {"ces.schema.json", "qvaultusr.schema.json"}) {
    SCOPED_TRACE(other);
    const json schema = ReadJson(kContent / other);
    EXPECT_EQ(schema["fields"], bank["fields"]);
    EXPECT_EQ(schema["password"], "Lanternfish2718");
    ASSERT_EQ(schema["indexes"].size(), 1u);
    EXPECT_EQ(schema["indexes"][0]["fields"], json::array({"Q_ID"}));
  }
  EXPECT_EQ(bank["password"], "Lanternfish2718");
  EXPECT_EQ(bank["fields"][0]["subtype"], 29);
  ASSERT_EQ(bank["indexes"].size(), 2u);
  EXPECT_TRUE(bank["indexes"][0]["primary"].get<bool>());
  EXPECT_EQ(bank["indexes"][1]["fields"], json::array({"Q_EXAM_N"}));
  EXPECT_FALSE(bank["indexes"][1]["unique"].get<bool>());
}

TEST(ContentExam, NumberAndTitleAreShortWindows1252Lines) {
  const json exam = ReadJson(kContent / "exam.json");
  for (const char* key : {"number", "title"}) {
    SCOPED_TRACE(key);
    const std::string text = exam.at(key);
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 80u);
    EXPECT_TRUE(isam::Utf8ToCp1252(text).has_value());
  }
}

TEST(ContentItems, FieldsFitTheSchema) {
  const json schema = ReadJson(kContent / "qvault.schema.json");
  std::map<std::string, json> fields;
  for (const auto& field : schema["fields"]) fields[field["name"]] = field;
  ASSERT_FALSE(Bank().empty());
  for (const Item& item : Bank()) {
    SCOPED_TRACE(Where(item));
    ASSERT_TRUE(item.record.is_object());
    for (const auto& [name, value] : item.record.items()) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(fields.count(name)) << "not a field of the question record";
      if (value.is_null()) continue;
      const int type = fields[name]["type"];
      if (name == "Q_ID") {
        ADD_FAILURE() << "the engine numbers the bank; leave Q_ID out";
      } else if (type == 4) {
        EXPECT_TRUE(value.is_boolean());
      } else if (type == 6) {
        EXPECT_TRUE(value.is_number_integer());
      } else {
        ASSERT_TRUE(value.is_string());
        const auto bytes = isam::Utf8ToCp1252(value.get<std::string>());
        ASSERT_TRUE(bytes.has_value()) << "not representable in Windows-1252";
        if (type == 1) {
          EXPECT_LE(bytes->size(), fields[name]["size"].get<size_t>());
        }
        // Memos may hold line breaks; nothing holds other control characters.
        for (unsigned char c : *bytes) {
          const bool allowed = c >= 0x20 || (type == 3 && c == '\n');
          EXPECT_TRUE(allowed) << "control character " << int(c);
        }
      }
    }
  }
}

TEST(ContentItems, EachItemIsWellFormed) {
  for (const Item& item : Bank()) {
    SCOPED_TRACE(Where(item));
    EXPECT_GE(item.Number("Q_EXAM_N"), 0);
    EXPECT_LE(item.Number("Q_EXAM_N"), 7);
    EXPECT_GE(item.Number("Q_SECT"), 1);
    EXPECT_LE(item.Number("Q_SECT"), 7);
    EXPECT_EQ(item.Number("Q_OR_NUMBER"), 0);
    EXPECT_EQ(item.Text("U_MEMO"), "");
    EXPECT_GE(item.Text("Q_TEXT").size(), 20u);
    EXPECT_GE(item.Text("Q_EXPL").size(), 40u);

    int offered = 0, correct = 0;
    std::set<std::string> answers;
    for (int i = 1; i <= 6; ++i) {
      const std::string text = item.Text("Q" + std::to_string(i));
      const bool key = item.Flag("A" + std::to_string(i));
      if (text.empty()) {
        EXPECT_FALSE(key) << "answer " << i << " is keyed but not offered";
        continue;
      }
      EXPECT_EQ(offered, i - 1) << "answers must be contiguous from a";
      EXPECT_TRUE(answers.insert(Normalized(text, false)).second) << "answer " << i << " repeats another";
      ++offered;
      correct += key;
    }
    EXPECT_GE(offered, 2);
    EXPECT_GE(correct, 1);
    // A multiple-response item tells the candidate how many answers to
    // choose; the number must match its key.
    const std::string question = item.Text("Q_TEXT");
    const size_t choose = question.find("(Choose ");
    if (item.Flag("Q_TYPE")) {
      static const std::map<std::string, int> kNumbers = {
          {"two", 2}, {"three", 3}, {"four", 4}, {"five", 5}, {"six", 6}};
      ASSERT_NE(choose, std::string::npos) << "multiple response without (Choose n.)";
      const size_t end = question.find(".)", choose);
      ASSERT_NE(end, std::string::npos);
      const std::string word = question.substr(choose + 8, end - choose - 8);
      ASSERT_TRUE(kNumbers.count(word)) << word;
      EXPECT_EQ(kNumbers.at(word), correct) << "(Choose " << word << ".) but " << correct << " keyed";
    } else {
      EXPECT_EQ(choose, std::string::npos) << "single response asking to choose several";
    }
    if (!item.Flag("Q_TYPE")) {
      EXPECT_EQ(correct, 1) << "single response with several keys";
    }
  }
}

TEST(ContentItems, NoQuestionTextRepeats) {
  std::map<std::string, int> seen;
  for (const Item& item : Bank()) {
    const auto [it, fresh] = seen.emplace(Normalized(item.Text("Q_TEXT")), item.line);
    EXPECT_TRUE(fresh) << Where(item) << " repeats line " << it->second;
  }
}

TEST(ContentExams, SevenPracticeExamsOfThirtyCoveringEverySection) {
  std::map<int, int> items;
  std::map<int, std::set<int>> sections;
  int multiple = 0;
  for (const Item& item : Bank()) {
    ++items[item.Number("Q_EXAM_N")];
    sections[item.Number("Q_EXAM_N")].insert(item.Number("Q_SECT"));
    multiple += item.Flag("Q_TYPE");
  }
  for (int exam = 1; exam <= 7; ++exam) {
    SCOPED_TRACE("practice exam " + std::to_string(exam));
    EXPECT_EQ(items[exam], 30);
    EXPECT_EQ(sections[exam].size(), 7u);
  }
  EXPECT_GE(items[0], 10) << "items in no practice exam";
  // About a fifth of the items take several answers.
  const double share = double(multiple) / Bank().size();
  EXPECT_GT(share, 0.12);
  EXPECT_LT(share, 0.30);
}

TEST(ContentExhibits, EveryNamedPictureShipsAndIsSound) {
  std::set<std::string> named;
  for (const Item& item : Bank()) {
    for (const char* field : {"PICT1", "PICT2"}) {
      const std::string name = item.Text(field);
      if (name.empty()) continue;
      SCOPED_TRACE(Where(item) + " " + field + " " + name);
      named.insert(name);
      EXPECT_EQ(name.rfind("exhibits/", 0), 0u) << "exhibits live in the exhibits folder";
      const fs::path path = kContent / name;
      ASSERT_TRUE(fs::is_regular_file(path));
      EXPECT_LE(fs::file_size(path), 64u * 1024) << "keep exhibits small";
      EXPECT_EQ(content::CheckPicture(name, ReadFile(path)), "");
    }
  }
  EXPECT_GE(named.size(), 12u);
  std::set<std::string> formats;
  for (const auto& name : named) formats.insert(fs::path(name).extension().string());
  EXPECT_EQ(formats, (std::set<std::string>{".bmp", ".emf", ".ico", ".wmf"}));
  // And nothing ships that no item shows.
  for (const auto& entry : fs::directory_iterator(kContent / "exhibits")) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".bmp" || ext == ".ico" || ext == ".wmf" || ext == ".emf") {
      EXPECT_TRUE(named.count("exhibits/" + entry.path().filename().string())) << entry.path();
    }
  }
}

// The checks above are only worth something if they refuse damaged files:
// every shipped picture, cut short, lengthened or named with the wrong
// extension, must be refused.
TEST(PictureCheck, RefusesDamagedCopiesOfTheShippedPictures) {
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(kContent / "exhibits")) {
    const std::string name = entry.path().filename().string();
    const std::string file = ReadFile(entry.path());
    if (content::CheckPicture(name, file) != "") continue;  // not a picture
    SCOPED_TRACE(name);
    ++checked;
    EXPECT_NE(content::CheckPicture(name, file.substr(0, file.size() - 2)), "") << "cut short";
    EXPECT_NE(content::CheckPicture(name, file + std::string(4, '\0')), "") << "trailing bytes";
    EXPECT_NE(content::CheckPicture(name, file.substr(0, 30)), "") << "header only";
    EXPECT_NE(content::CheckPicture(name + ".txt", file), "") << "unknown extension";
    const std::string ext = entry.path().extension().string();
    const std::string other = ext == ".bmp" ? "x.ico" : ext == ".ico" ? "x.wmf" : ext == ".wmf" ? "x.emf" : "x.bmp";
    EXPECT_NE(content::CheckPicture(other, file), "") << "content does not match the extension";
  }
  EXPECT_GE(checked, 4);
}

TEST(PictureCheck, ExtensionIsMatchedWithoutRegardToCase) {
  const fs::path any = kContent / "exhibits" / "network.wmf";
  EXPECT_EQ(content::CheckPicture("NETWORK.WMF", ReadFile(any)), "");
}

}  // namespace
