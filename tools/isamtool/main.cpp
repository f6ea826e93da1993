// isamtool: creates, fills, dumps and checks table files from outside the
// program, for content authors and for checking files.
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "engine/filter/dataset_error.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/text/cp1252.h"
#include "tools/isamtool/commands.h"

namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  isamtool create TABLE --schema SCHEMA.json [--password P]\n"
    "  isamtool import TABLE --json RECORDS.jsonl [--password P]\n"
    "  isamtool dump   TABLE [--password P] [--index NAME] [--filter EXPR]\n"
    "  isamtool count  TABLE [--password P] [--filter EXPR]\n"
    "  isamtool delete TABLE --filter EXPR [--password P]\n"
    "  isamtool update TABLE --filter EXPR --set FIELD=JSONVALUE [--set ...] [--password P]\n"
    "  isamtool check  TABLE [--password P]\n"
    "  isamtool info   TABLE [--password P]\n"
    "  isamtool repair TABLE [--password P]\n"
    "filters take --case-insensitive and --no-partial.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "isamtool: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace isamtool;
  if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) return Usage(nullptr);
  if (argc < 3) return Usage("a command and a table are needed");
  Options options;
  options.command = argv[1];
  options.table = argv[2];
  for (int i = 3; i < argc; ++i) {
    std::string word = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    bool ok = true;
    if (word == "--schema") ok = value(options.schema);
    else if (word == "--json") ok = value(options.json);
    else if (word == "--password") ok = value(options.password);
    else if (word == "--index") ok = value(options.index);
    else if (word == "--filter") ok = (options.hasFilter = value(options.filter));
    else if (word == "--case-insensitive") options.caseInsensitive = true;
    else if (word == "--no-partial") options.noPartial = true;
    else if (word == "--set") {
      std::string set;
      ok = value(set);
      options.sets.push_back(set);
    } else {
      return Usage(("unknown option " + word).c_str());
    }
    if (!ok) return Usage((word + " needs a value").c_str());
  }
  // The tables hold Windows-1252; the filter compares with their bytes.
  if (options.hasFilter) {
    std::optional<std::string> filter = isam::Utf8ToCp1252(options.filter);
    if (!filter) {
      std::fprintf(stderr, "isamtool: the --filter text is not UTF-8 or holds a character outside Windows-1252\n");
      return 1;
    }
    options.filter = *filter;
  }

  try {
    isam::TIsamSession& session = isam::Sessions().DefaultSession();
    session.SetActive(true);
    if (!options.password.empty()) session.RegisterPassword(options.password);
    const std::string& c = options.command;
    if (c == "create") return options.schema.empty() ? Usage("create needs --schema") : Create(options);
    if (c == "import") return options.json.empty() ? Usage("import needs --json") : Import(options);
    if (c == "dump") return Dump(options);
    if (c == "count") return Count(options);
    if (c == "delete") return options.hasFilter ? Delete(options) : Usage("delete needs --filter");
    if (c == "update") {
      if (!options.hasFilter || options.sets.empty()) return Usage("update needs --filter and --set");
      return Update(options);
    }
    if (c == "check") return CheckTable(options);
    if (c == "info") return Info(options);
    if (c == "repair") return Repair(options);
    return Usage(("unknown command " + c).c_str());
  } catch (const isam::EIsamEngineError& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const isam::EDatabaseError& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "isamtool: %s\n", e.what());
  }
  return 1;
}
