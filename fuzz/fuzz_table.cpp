// Opens a table made of arbitrary bytes (data, index and blob file, split as
// table_exercise.h says) and reads everything in it; the write variant then
// adds, modifies and deletes a record. A damaged file must end in an engine
// error, never a crash, a hang or a read outside a buffer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/file/file_session.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/table_exercise.h"

#ifndef MARVESSA_FUZZ_WRITES
#define MARVESSA_FUZZ_WRITES 0
#endif

namespace {
std::string base;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  isam::StartEngine();
  // The seed maker's enciphered table uses this password.
  isam::CurrentFileSession()->passwords.Add("secret");
  base = isam::fuzzing::ScratchDir() + "/T";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isam::fuzzing::WriteTableImages(base, isam::fuzzing::SplitTableInput(data, size));
  isam::fuzzing::ExerciseTable(base, MARVESSA_FUZZ_WRITES != 0);
  return 0;
}
