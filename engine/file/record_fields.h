#pragma once
// Reading and writing a plain record image: the slot's prefix and one
// field's value.
#include <cstdint>
#include <string_view>

#include "engine/file/field_desc.h"
#include "engine/file/le.h"

namespace isam {

// The prefix of every record slot (kRecordPrefixSize bytes), before the fields:
//   0  u8   status: kSlotLive or kSlotDeleted (any other value is damage)
//   1  u32  a live record: its own slot number; a deleted slot: the next slot
//           of the free list (0 ends it)
//   5  u32  the record's auto-increment value (the auto-increment field's data)
constexpr uint8_t kSlotLive = 0;
constexpr uint8_t kSlotDeleted = 1;
static_assert(kAutoIncrementOffset == 5 && kRecordPrefixSize == 9);

inline uint8_t SlotStatus(const uint8_t* image) { return image[0]; }
inline bool SlotIsLive(const uint8_t* image) { return image[0] == kSlotLive; }
inline bool SlotIsDeleted(const uint8_t* image) { return image[0] == kSlotDeleted; }
inline void SetSlotStatus(uint8_t* image, uint8_t status) { image[0] = status; }
inline uint32_t SlotNumberOf(const uint8_t* image) { return GetU32(image + 1); }
inline void SetSlotNumberOf(uint8_t* image, uint32_t slot) { PutU32(image + 1, slot); }
inline uint32_t FreeListLink(const uint8_t* image) { return GetU32(image + 1); }
inline void SetFreeListLink(uint8_t* image, uint32_t next) { PutU32(image + 1, next); }
inline uint32_t AutoIncrementOf(const uint8_t* image) { return GetU32(image + kAutoIncrementOffset); }
inline void SetAutoIncrementOf(uint8_t* image, uint32_t value) { PutU32(image + kAutoIncrementOffset, value); }

// Whether the field holds no value (the auto-increment field never is null).
// Blob fields whose reference is an open-blob handle are judged by the data
// file, which knows the open value's length.
bool FieldIsNull(const TFieldDesc& field, const uint8_t* image);
// Copies the data area (storedSize bytes) out; zero for a null field.
void GetFieldData(const TFieldDesc& field, const uint8_t* image, uint8_t* data);
// Stores stored-size data bytes and sets the null flag: Boolean values other
// than 0 and 1 become 1; blob references set the flag when non-zero. A put
// into a computed field is ignored.
void PutFieldData(const TFieldDesc& field, uint8_t* image, const uint8_t* data);
// Stores a string: cut to the declared size, trailing blanks removed, null
// when nothing is left, else the characters and a terminating zero.
void PutFieldString(const TFieldDesc& field, uint8_t* image, std::string_view text);
// Flag 0 and the data area zeroed (the auto-increment field cannot be null).
void PutFieldNull(const TFieldDesc& field, uint8_t* image);

}  // namespace isam
