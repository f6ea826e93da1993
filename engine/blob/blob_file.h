#pragma once
// TBlobFile: the table's ".BLB" file, which keeps the variable-length values
// (memo and graphic fields) outside the fixed-size records. It owns a cache
// of blocks and the table of open values (TBlobBuffer): a value is read whole
// into memory when it is opened, edited there, and written back as a chain of
// blocks only when the record is posted (SaveAll).
//
// While a value is open, the reference in the record image in memory holds a
// negative open-blob handle instead of the first block's offset; the offset
// is put back by StoreReferences (before the record is written) and by
// CloseBlob, so a handle never reaches the file.
//
// Every operation returns 0 or an engine error code (after ReportError,
// naming the data file). kRestart from the host's change check never escapes:
// the operation starts over. A damaged file (bad pointers, cycles, foreign
// owners, impossible lengths) yields an engine error, never a read or write
// outside a buffer or an endless walk.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/blob/blob_format.h"
#include "engine/file/file_handler.h"
#include "engine/file/table_host.h"

namespace isam {

class TBlockCache;
struct TBlock;
class TBlockRef;
struct TBlobBuffer;

// Writes a fresh blob file at path (extension forced to ".BLB"): header all
// zero but version 3 and end offset 512, free list empty. Errors name
// errorPath (the data file).
int CreateBlobFile(const std::string& path, bool enciphered, const std::string& errorPath);

class TBlobFile : public TFileHandler {
 public:
  // blockSize: the data file header's blob block size (0 means 512).
  TBlobFile(TTableHost& host, uint32_t blockSize);
  ~TBlobFile() override;

  // Opens the file, reads the header (12035 naming this file's own path when
  // the version is not 3; 9498 for an unusable block size), sizes the cache.
  int Open() override;
  // Frees every open value, writes back what is pending when this object may
  // write (exclusive and writable, or holding the table lock), frees the
  // cache and closes the file.
  void Close() override;

  uint32_t BlockSize() const { return blockSize_; }
  // B - 18: data bytes per block.
  uint32_t DataAreaSize() const { return blockSize_ - kBlobBlockHeaderSize; }
  const TBlobHeader& Header() const { return header_; }
  bool HeaderModified() const { return headerModified_; }

  // ---- Change detection and writing back ----
  // The update counter stored on disk (deciphered), and the one in memory.
  int ReadDiskCounter(uint32_t* counter);
  uint32_t Counter() const { return header_.counter; }
  // Reads the header again and drops every cached block (another user wrote).
  int Reload();
  // Drops every cached block, modified or not; a header changed in memory is
  // read again, since the blocks it describes are gone. Blocks held by an
  // operation in progress are released harmlessly when it unwinds.
  int DropCaches();
  // Writes the modified blocks (sorted by offset, each run of adjacent blocks
  // with one write), then the header when it was modified or when forced
  // (update counter incremented first).
  int Flush(bool forceHeader);
  // Cuts the file back to its header (zero-length write at 512) and resets
  // the header: free list empty, end offset 512, header modified. Open values
  // lose their chains (their first block becomes 0).
  int Empty();

  // Reads the first blocks of the values a record image refers to into the
  // cache, and a block or two behind each; values whose first blocks lie
  // close together share one file read. For the data file, which calls it while it holds the read
  // lock and has run the change check for the record: reading the record's
  // memos then takes no lock and check of its own. Nothing is reported; a
  // read that fails here fails again, and is reported, when the value opens.
  void Prefetch(const uint8_t* image);

  // ---- Blob operations on a record image (field: 1-based number) ----
  // Every operation requires a blob field (10753 naming the field). Opening a
  // value already open in this image does nothing; a negative reference that
  // is no open handle is 9998; a 65th open value is 9494. Opening reads the
  // whole chain (owner must be recordNumber, else 8963; a chain ending early
  // is 8711) and replaces the reference with the handle.
  int OpenBlob(uint8_t* image, uint16_t field, uint32_t recordNumber);
  // The other operations require the reference to be an open handle of this
  // field (10030).
  // Copies up to count bytes from position; past the end of the value it
  // copies what remains (into *done) and returns 8711 without reporting it:
  // the stream treats that as a short read.
  int ReadBlob(const uint8_t* image, uint16_t field, uint32_t position, uint32_t count,
               void* destination, uint32_t* done);
  // Grows the value to position + count when needed (new bytes zero), copies
  // and marks it modified. A value may not pass 2 000 000 000 bytes (9479).
  int WriteBlob(const uint8_t* image, uint16_t field, uint32_t position, uint32_t count,
                const void* source);
  // Truncates or extends (zero bytes); modified when the size changes.
  int SetBlobSize(const uint8_t* image, uint16_t field, uint32_t size);
  int GetBlobSize(const uint8_t* image, uint16_t field, uint32_t* size) const;
  // Puts the value's first-block offset back into the image and frees the
  // open value. After a cancel (nothing saved) that is the untouched
  // reference. The null flag is set to match when the offset changed.
  int CloseBlob(uint8_t* image, uint16_t field);
  // Closes every value open in this image (fields holding an open handle).
  void CloseImageBlobs(uint8_t* image);
  // Frees every open value without touching any image.
  void DiscardAll();
  // Stamps every open value with recordNumber and writes each modified one
  // as a chain (a value of size 0 frees its chain: its reference becomes 0).
  // Modified values opened for two different records: 8963, nothing written.
  int SaveAll(uint32_t recordNumber);
  // Writes each open value's first-block offset (and a matching null flag:
  // 1 when the offset is non-zero) into its field of the image.
  void StoreReferences(uint8_t* image) const;

  size_t OpenBlobCount() const { return open_.size(); }
  bool IsOpenHandle(int32_t reference) const;
  // Length of the open value behind a handle (0 when the handle is unknown):
  // the data file's rule for null blob fields.
  uint32_t OpenBlobSize(int32_t reference) const;
  // The reference stored in an image for a field (no checks beyond bounds).
  int32_t Reference(const uint8_t* image, uint16_t field) const;

  // ---- For the verifier and tests ----
  TTableHost& Host() const { return host_; }
  size_t CachedBlocks() const;
  size_t CacheCapacity() const;
  uint32_t ReadAheadLimit() const { return readAhead_; }
  // Fetches a block through the cache (reading ahead on a miss) and copies
  // its header and data area (B - 18 bytes) out.
  int ReadBlockCopy(uint32_t offset, TBlockHeader* header, std::vector<uint8_t>* data);
  // A block offset inside the file: on a block boundary, below the end offset.
  bool ValidBlockOffset(uint32_t offset) const;

 private:
  // Block cache (blob_io.cpp).
  int Fetch(uint32_t offset, uint32_t wanted, bool append, TBlockRef* out);
  int ReadRun(uint32_t offset, uint32_t count);
  int TakeSlot(TBlock** slot);
  int WriteBlocks();
  int WriteHeader();
  int ReadHeader();

  // Chains (blob_chain.cpp).
  int Allocate(TBlockRef* out);
  void FreeBlock(TBlock& block);
  int WalkChain(uint32_t first, uint32_t owner, int firstOwnerCode, uint32_t blockCount,
                std::vector<uint32_t>* chain);
  int FreeBlocks(const std::vector<uint32_t>& chain, size_t from);
  int ReadValue(TBlobBuffer& buffer);
  int ReadValueOnce(TBlobBuffer& buffer);
  int WriteValue(TBlobBuffer& buffer);
  uint32_t BlocksFor(uint32_t length) const;

  // Open values (blob_values.cpp).
  int CheckField(uint16_t field) const;
  int FindOpen(const uint8_t* image, uint16_t field, TBlobBuffer** buffer) const;
  TBlobBuffer* FindHandle(int32_t handle) const;
  void WriteReference(uint8_t* image, const TBlobBuffer& buffer, bool setNullFlag) const;

  int Fail(int code) const;

  TTableHost& host_;
  uint32_t blockSize_;
  uint32_t readAhead_ = 1;
  TBlobHeader header_;
  bool headerModified_ = false;
  std::unique_ptr<TBlockCache> cache_;
  std::vector<std::unique_ptr<TBlobBuffer>> open_;
  int32_t nextHandle_ = 1;
};

}  // namespace isam
