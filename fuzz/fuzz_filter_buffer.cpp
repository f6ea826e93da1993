// Expression buffers straight to the engine: whatever the bytes, reading them
// into an evaluation tree gives a tree or an engine error (10051, 9985), and
// evaluating a tree over records never reads outside the record or the tree.
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
  isam::fuzzing::ExerciseFilterBuffer(*bench, data, size);
  return 0;
}
