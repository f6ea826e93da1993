#pragma once
// isamtool's commands. Each returns the process exit code and throws
// EIsamEngineError or std::runtime_error on failure (main prints them).
#include <string>
#include <vector>

namespace isamtool {

struct Options {
  std::string command;
  std::string table;
  std::string schema;      // create --schema
  std::string json;        // import --json
  std::string password;    // --password
  std::string index;       // dump --index
  std::string filter;      // --filter
  bool caseInsensitive = false;  // --case-insensitive
  bool noPartial = false;        // --no-partial
  std::vector<std::string> sets;  // update --set FIELD=JSONVALUE
  bool hasFilter = false;
};

int Create(const Options& options);
int Import(const Options& options);
int Dump(const Options& options);
int Count(const Options& options);
int Delete(const Options& options);
int Update(const Options& options);
int CheckTable(const Options& options);
int Info(const Options& options);
// Rebuilds what can be derived from the record slots (repair.h).
int Repair(const Options& options);

}  // namespace isamtool
