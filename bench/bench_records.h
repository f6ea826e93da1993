#pragma once
// The question records both engines load: the synthetic bank generator's
// output (content/make_synthetic_bank), read once and kept in memory so that
// neither side's timing includes generating or parsing them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data/table_creator.h"

namespace bench {

// The 23 fields of the question record, Q_ID aside (both engines number it).
struct TQuestion {
  int32_t exam = 0, sect = 0, orNumber = 0;
  std::string text, expl, sim, pict1, pict2, memo;
  bool type = false;
  std::array<std::string, 6> answers;
  std::array<bool, 6> keys{};
};

// Runs the generator for count records (fixed seed). Throws on failure.
std::vector<TQuestion> SyntheticQuestions(uint32_t count);

// The question table's schema (content/qvault.schema.json) without its
// password: SQLite stores plain text, so the comparison does too.
isam::TTableDef QuestionSchema();

// A memo text of a few hundred bytes for edits (deterministic in n).
std::string EditMemo(uint32_t n);

}  // namespace bench
