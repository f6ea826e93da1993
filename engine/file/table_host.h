#pragma once
// What the index and blob files of a table ask of the data file that owns
// them: the field layout, the table's settings, and the read lock with its
// change check before any disk read.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/file/table_locale.h"

namespace isam {

// Returned (never reported as an error) by a read that found another
// process's change: the caches were dropped and the caller starts its
// operation again.
constexpr int kRestart = -1;

class TTableHost {
 public:
  virtual ~TTableHost() = default;

  // The data file's full path: most engine errors of the index and blob
  // layers name it.
  virtual const std::string& DataFilePath() const = 0;
  // Stored field descriptors, field 1 first.
  virtual const std::vector<TFieldDesc>& Fields() const = 0;
  virtual uint16_t RecordSize() const = 0;
  // The table has a password: pages, blocks and headers are enciphered.
  virtual bool Enciphered() const = 0;
  // Language id of the table's locale (0 = none: byte-wise strings).
  virtual uint16_t LanguageId() const = 0;
  virtual uint16_t SortId() const = 0;
  // The table's locale, or null for a table without one.
  virtual const TTableLocale* Locale() const = 0;
  // Number of record slots in the data file (next record number - 1).
  virtual uint32_t SlotCount() const = 0;

  // Called before reading a page or block from the disk. Unless the table is
  // open exclusively or already holds a lock, it takes the shared read lock
  // and checks for other users' changes; it returns kRestart when it found
  // some (every cache was dropped), 0 otherwise, or an engine error (10249).
  virtual int BeforeDiskRead() = 0;
  // While this table object holds the write lock, caches grow instead of
  // writing modified pages and blocks back, and no change check runs.
  virtual bool HoldsTableLock() const = 0;
};

}  // namespace isam
