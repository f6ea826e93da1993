#pragma once
// Reading and writing one field's value in a plain record image.
#include <cstdint>
#include <string_view>

#include "engine/file/field_desc.h"

namespace isam {

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
