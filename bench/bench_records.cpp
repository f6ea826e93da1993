#include "bench/bench_records.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "tools/isamtool/schema.h"

namespace bench {

std::vector<TQuestion> SyntheticQuestions(uint32_t count) {
  const std::string command = std::string(MARVESSA_SYNTHETIC_BANK) + " " + std::to_string(count);
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::vector<TQuestion> out;
  out.reserve(count);
  std::string line;
  char chunk[4096];
  while (fgets(chunk, sizeof chunk, pipe.get())) {
    line += chunk;
    if (line.empty() || line.back() != '\n') continue;
    const nlohmann::json item = nlohmann::json::parse(line);
    line.clear();
    TQuestion q;
    q.exam = item["Q_EXAM_N"];
    q.sect = item["Q_SECT"];
    q.orNumber = item["Q_OR_NUMBER"];
    q.text = item["Q_TEXT"];
    q.expl = item["Q_EXPL"];
    q.sim = item["Q_SIM"];
    q.pict1 = item["PICT1"];
    q.pict2 = item["PICT2"];
    q.memo = item["U_MEMO"];
    q.type = item["Q_TYPE"];
    for (int i = 0; i < 6; ++i) {
      q.answers[i] = item[std::string{'Q', char('1' + i)}];
      q.keys[i] = item[std::string{'A', char('1' + i)}];
    }
    out.push_back(std::move(q));
  }
  if (out.size() != count) throw std::runtime_error("the generator gave too few records");
  return out;
}

isam::TTableDef QuestionSchema() {
  std::ifstream in(std::string(MARVESSA_CONTENT_DIR) + "/qvault.schema.json");
  isam::TTableDef def = isamtool::TableDefFromJson(nlohmann::json::parse(in));
  def.password.clear();
  return def;
}

std::string EditMemo(uint32_t n) {
  std::string memo = "Note " + std::to_string(n) + ":";
  while (memo.size() < 300) memo += " check the unit file, then the journal, then the mount";
  return memo;
}

}  // namespace bench
