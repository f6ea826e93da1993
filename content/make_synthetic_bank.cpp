// Writes a large synthetic question bank as JSON lines, in the same record
// layout as bank.jsonl, for benchmarks and scale tests of the table engine.
//
//   make_synthetic_bank COUNT [SEED] > synthetic.jsonl
//
// COUNT is 1 to 10^7 (10^4 to 10^6 is the useful range); SEED defaults to
// 20240501. The same count and seed give the same bytes on every platform:
// the generator is std::mt19937_64, whose sequence the standard fixes, and
// draws are reduced with plain arithmetic rather than the library's
// distributions (whose results differ between implementations).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

namespace {

class Draw {
 public:
  explicit Draw(uint64_t seed) : engine_(seed) {}
  // A value in [0, n), n > 0.
  uint64_t Below(uint64_t n) { return engine_() % n; }
  bool Chance(unsigned percent) { return Below(100) < percent; }

 private:
  std::mt19937_64 engine_;
};

const char* const kWords[] = {
    "service",  "unit",     "journal", "socket",  "mount",   "partition", "volume",  "group",
    "user",     "password", "policy",  "printer", "queue",   "network",   "address", "route",
    "gateway",  "resolver", "package", "update",  "flatpak", "session",   "desktop", "display",
    "audio",    "device",   "kernel",  "module",  "boot",    "loader",    "firewall", "zone",
    "key",      "agent",    "backup",  "archive", "quota",   "process",   "signal",  "memory",
    "swap",     "cache",    "schedule", "timer",  "log",     "permission", "owner",  "mode",
};
constexpr uint64_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string Words(Draw& draw, uint64_t least, uint64_t most) {
  std::string text;
  const uint64_t n = least + draw.Below(most - least + 1);
  for (uint64_t i = 0; i < n; ++i) {
    if (i) text += ' ';
    text += kWords[draw.Below(kWordCount)];
  }
  return text;
}

const char* const kExhibits[] = {"exhibits/network.wmf", "exhibits/jump_host.emf",
                                 "exhibits/lsblk.bmp", "exhibits/umask.ico"};

nlohmann::ordered_json Item(Draw& draw, uint64_t number) {
  nlohmann::ordered_json item;
  // One item in eight sits in no practice exam, as in the shipped bank.
  item["Q_EXAM_N"] = static_cast<int>(draw.Below(8));
  item["Q_SECT"] = static_cast<int>(1 + draw.Below(7));
  // The number keeps every question text distinct.
  item["Q_TEXT"] = "Synthetic item " + std::to_string(number) + ": which " + Words(draw, 8, 60) + "?";
  item["Q_EXPL"] = "The " + Words(draw, 3, 12) + " is right. The others " + Words(draw, 6, 40) + ".";
  const bool multiple = draw.Chance(20);
  item["Q_TYPE"] = multiple;
  const uint64_t answers = 2 + draw.Below(5);
  const uint64_t key = draw.Below(answers);
  bool keyed[6] = {};
  keyed[key] = true;
  if (multiple) {
    for (uint64_t i = 0; i < answers; ++i) keyed[i] = keyed[i] || draw.Chance(40);
  }
  // Answers stay within the 250 characters of Q1..Q6: 22 words of at most 10.
  for (uint64_t i = 0; i < 6; ++i) {
    item["Q" + std::to_string(i + 1)] =
        i < answers ? std::string(1, char('A' + i)) + " " + Words(draw, 2, 22) : std::string();
  }
  for (uint64_t i = 0; i < 6; ++i) item["A" + std::to_string(i + 1)] = keyed[i];
  item["Q_SIM"] = "";
  item["PICT1"] = draw.Chance(5) ? kExhibits[draw.Below(4)] : "";
  item["PICT2"] = "";
  item["Q_OR_NUMBER"] = 0;
  item["U_MEMO"] = "";
  return item;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: make_synthetic_bank COUNT [SEED] > bank.jsonl\n");
    return 2;
  }
  char* end = nullptr;
  const unsigned long long count = std::strtoull(argv[1], &end, 10);
  if (*end != '\0' || count < 1 || count > 10'000'000) {
    std::fprintf(stderr, "COUNT must be 1 to 10000000\n");
    return 2;
  }
  uint64_t seed = 20240501;
  if (argc == 3) {
    seed = std::strtoull(argv[2], &end, 10);
    if (*end != '\0') {
      std::fprintf(stderr, "SEED must be a number\n");
      return 2;
    }
  }
  Draw draw(seed);
  std::ios::sync_with_stdio(false);
  for (uint64_t n = 1; n <= count; ++n) std::cout << Item(draw, n).dump() << '\n';
  return std::cout.good() ? 0 : 1;
}
