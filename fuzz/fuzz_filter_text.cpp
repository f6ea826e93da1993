// Filter texts as a user types them: parsed and compiled into an expression
// buffer, read into an evaluation tree and evaluated over a few records. The
// first byte chooses the filter options. Parser errors are EDatabaseError, a
// buffer the engine refuses an engine code; anything else (another
// exception, a crash) is a finding.
#include "fuzz/filter_exercise.h"

namespace {
std::unique_ptr<isam::fuzzing::TFilterBench> bench;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  isam::StartEngine();
  bench = isam::fuzzing::MakeFilterBench(isam::fuzzing::ScratchDir());
  if (!bench) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isam::fuzzing::ExerciseFilterText(*bench, data, size);
  return 0;
}
