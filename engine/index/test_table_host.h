#pragma once
// A small stand-in for the data file in index tests: five fields
// (1 auto-increment, 2 int32, 3 string of 10, 4 boolean, 5 string of 200
// for keys long enough to give deep trees quickly), record images
// built by hand, and switches for encipherment, restarts and the table lock.
#include <cctype>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/file/field_desc.h"
#include "engine/file/le.h"
#include "engine/file/table_host.h"

namespace isam::testing_index {

constexpr uint16_t kFieldAuto = 1, kFieldNumber = 2, kFieldText = 3, kFieldFlag = 4, kFieldLong = 5;

inline std::vector<TFieldDesc> TestFields() {
  auto field = [](uint16_t number, const char* name, uint8_t type, uint8_t declared, uint16_t offset,
                  uint8_t subtype = kSubtypeNone) {
    TFieldDesc f;
    f.number = number;
    f.name = name;
    f.type = type;
    f.subtype = subtype;
    f.declaredSize = declared;
    f.storedSize = StoredSizeFor(type, declared);
    f.offset = offset;
    return f;
  };
  return {field(kFieldAuto, "ID", kFieldInt32, 0, kAutoIncrementOffset, kSubtypeAutoIncrement),
          field(kFieldNumber, "N", kFieldInt32, 0, 9), field(kFieldText, "S", kFieldString, 10, 14),
          field(kFieldFlag, "B", kFieldBoolean, 0, 26), field(kFieldLong, "L", kFieldString, 200, 29)};
}

constexpr uint16_t kTestRecordSize = 231;

// A record image; nullopt fields are blank.
inline std::vector<uint8_t> Image(uint32_t id, std::optional<int32_t> number, std::optional<std::string> text = {},
                                  std::optional<bool> flag = {}, std::optional<std::string> longText = {}) {
  std::vector<uint8_t> image(kTestRecordSize, 0);
  PutU32(image.data() + 1, id);
  PutU32(image.data() + 5, id);
  if (number) {
    image[9] = 1;
    PutI32(image.data() + 10, *number);
  }
  if (text) {
    image[14] = 1;
    std::memcpy(image.data() + 15, text->data(), std::min<size_t>(text->size(), 10));
  }
  if (flag) {
    image[26] = 1;
    PutU16(image.data() + 27, *flag ? 1 : 0);
  }
  if (longText) {
    image[29] = 1;
    std::memcpy(image.data() + 30, longText->data(), std::min<size_t>(longText->size(), 200));
  }
  return image;
}

class TestTableHost : public TTableHost {
 public:
  explicit TestTableHost(std::string dataPath) : path_(std::move(dataPath)), fields_(TestFields()) {}

  const std::string& DataFilePath() const override { return path_; }
  const std::vector<TFieldDesc>& Fields() const override { return fields_; }
  uint16_t RecordSize() const override { return kTestRecordSize; }
  bool Enciphered() const override { return enciphered; }
  uint16_t LanguageId() const override { return 0; }
  uint16_t SortId() const override { return 0; }
  const TTableLocale* Locale() const override { return locale; }
  uint32_t SlotCount() const override { return slots; }
  int BeforeDiskRead() override {
    ++diskReads;
    if (restartsLeft > 0) {
      --restartsLeft;
      if (onRestart) onRestart();
      return kRestart;
    }
    return 0;
  }
  bool HoldsTableLock() const override { return tableLock; }

  bool enciphered = false;
  const TTableLocale* locale = nullptr;
  bool tableLock = false;
  uint32_t slots = 0;
  int restartsLeft = 0;
  int diskReads = 0;
  std::function<void()> onRestart;  // drops the index caches, as the data file would
  std::vector<TFieldDesc>& fields() { return fields_; }

 private:
  std::string path_;
  std::vector<TFieldDesc> fields_;
};

// A locale whose order ignores case first (a < B < c) and breaks ties by
// bytes; its key mapping only upper-cases.
class TestLocale : public TTableLocale {
 public:
  int Compare(const char* a, size_t aLength, const char* b, size_t bLength, bool ignoreCase) const override {
    std::string x(a, aLength), y(b, bLength), ux = Upper(x), uy = Upper(y);
    if (ux != uy || ignoreCase) return ux.compare(uy);
    return x.compare(y);
  }
  void MapKeyCharacters(uint8_t* text, size_t length, bool upperCase) const override {
    if (upperCase)
      for (size_t i = 0; i < length; ++i) text[i] = static_cast<uint8_t>(std::toupper(text[i]));
  }

 private:
  static std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  }
};

}  // namespace isam::testing_index
