#pragma once
// Copying out of a read-only file mapping. A mapped file that another
// process cuts shorter turns a read of the lost pages into SIGBUS; here that
// becomes a failed copy, which the caller reports as a read error.
#include <cstddef>

namespace isam {

// Copies count bytes from a mapping; false when the pages are gone (SIGBUS).
// The first call installs a SIGBUS handler for the process; a SIGBUS outside
// a copy goes on to the disposition that was in place before.
bool GuardedCopy(void* to, const void* from, size_t count);

}  // namespace isam
