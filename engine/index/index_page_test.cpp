#include "engine/index/index_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace isam {
namespace {

using Bytes = std::vector<uint8_t>;

std::string K(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

// A page image laid out by hand from the byte tables.
Bytes HandPage(uint8_t type, uint16_t count, uint32_t prev, uint32_t next, uint16_t used, const Bytes& entries) {
  Bytes raw(kIndexPageSize, 0);
  raw[0] = type;
  raw[1] = uint8_t(count);
  raw[2] = uint8_t(count >> 8);
  for (int i = 0; i < 4; ++i) {
    raw[3 + i] = uint8_t(prev >> (8 * i));
    raw[7 + i] = uint8_t(next >> (8 * i));
  }
  raw[11] = uint8_t(used);
  raw[12] = uint8_t(used >> 8);
  std::copy(entries.begin(), entries.end(), raw.begin() + 13);
  return raw;
}

// Reads the hand-made page, compares the entries, and writes it back to the
// same bytes.
void ExpectRoundTrip(const TPageFormat& format, const Bytes& raw, const std::vector<TIndexEntry>& expected) {
  TPage page;
  ASSERT_TRUE(DecodePage(format, raw.data(), page));
  ASSERT_EQ(page.entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(page.entries[i].key, expected[i].key) << i;
    EXPECT_EQ(page.entries[i].pointer, expected[i].pointer) << i;
    EXPECT_EQ(page.entries[i].count, expected[i].count) << i;
  }
  Bytes written(kIndexPageSize);
  ASSERT_TRUE(EncodePage(format, page, written.data()));
  EXPECT_EQ(written, raw);
}

TEST(IndexPageTest, InternalAndPlainLeafPages) {
  TPageFormat format{5, kCompressNone, 0};
  // Root (type 0): two entries of key, child offset, subtree count.
  Bytes root = HandPage(0, 2, 0, 0, 0,
                        {1, 0x80, 0, 0, 1, 0x00, 0x10, 0, 0, 3, 0, 0, 0,  //
                         1, 0x80, 0, 0, 9, 0x00, 0x20, 0, 0, 2, 0, 0, 0});
  ExpectRoundTrip(format, root, {{K({1, 0x80, 0, 0, 1}), 4096, 3}, {K({1, 0x80, 0, 0, 9}), 8192, 2}});
  // Internal (type 1) with siblings.
  Bytes internal = HandPage(1, 1, 4096, 12288, 0, {1, 0x80, 0, 0, 1, 0x00, 0x30, 0, 0, 7, 0, 0, 0});
  TPage page;
  ASSERT_TRUE(DecodePage(format, internal.data(), page));
  EXPECT_EQ(page.type, kPageInternal);
  EXPECT_EQ(page.prev, 4096u);
  EXPECT_EQ(page.next, 12288u);
  ExpectRoundTrip(format, internal, {{K({1, 0x80, 0, 0, 1}), 12288, 7}});
  // Leaf (type 2) and root leaf (type 3): key, record number.
  for (uint8_t type : {kPageLeaf, kPageRootLeaf}) {
    Bytes leaf = HandPage(type, 2, 0, 0, 0, {1, 0x80, 0, 0, 1, 1, 0, 0, 0, 1, 0x80, 0, 0, 2, 2, 0, 0, 0});
    ExpectRoundTrip(format, leaf, {{K({1, 0x80, 0, 0, 1}), 1, 0}, {K({1, 0x80, 0, 0, 2}), 2, 0}});
  }
}

// Keys of 9 bytes: a 5-byte int32 part and the record-number suffix.
const std::string kA = K({1, 0x80, 0, 0, 5, 0x80, 0, 0, 1});
const std::string kB = K({1, 0x80, 0, 0, 5, 0x80, 0, 0, 2});
const std::string kC = K({1, 0x80, 0, 1, 0, 0x80, 0, 0, 3});
const std::vector<TIndexEntry> kEntries = {{kA, 1, 0}, {kB, 2, 0}, {kC, 3, 0}};

TEST(IndexPageTest, LeadingByteCompression) {
  Bytes entries = {0, 0, 1, 0x80, 0, 0, 5, 0x80, 0, 0, 1, 1, 0, 0, 0,  // p = 0, whole key
                   8, 0, 2, 2, 0, 0, 0,                                // p = 8
                   3, 0, 1, 0, 0x80, 0, 0, 3, 3, 0, 0, 0};             // p = 3
  ExpectRoundTrip({9, kCompressLeading, 4}, HandPage(2, 3, 0, 0, uint16_t(entries.size()), entries), kEntries);
}

TEST(IndexPageTest, TrailingZeroCompressionKeepsTheSuffix) {
  Bytes entries = {0, 0, 1, 0x80, 0, 0, 5, 0x80, 0, 0, 1, 1, 0, 0, 0,  // t = 0
                   0, 0, 1, 0x80, 0, 0, 5, 0x80, 0, 0, 2, 2, 0, 0, 0,  // t = 0
                   1, 0, 1, 0x80, 0, 1, 0x80, 0, 0, 3, 3, 0, 0, 0};    // t = 1 before the suffix
  ExpectRoundTrip({9, kCompressTrailing, 4}, HandPage(2, 3, 0, 0, uint16_t(entries.size()), entries), kEntries);
}

TEST(IndexPageTest, BothCompressions) {
  Bytes entries = {0, 0, 1, 0x80, 0, 0, 5, 0x80, 0, 0, 1, 1, 0, 0, 0,  // p 0, t 0
                   5, 0, 0x80, 0, 0, 2, 2, 0, 0, 0,                    // p 5: only the suffix
                   3, 1, 1, 0x80, 0, 0, 3, 3, 0, 0, 0};                // p 3, t 1: one byte between
  ExpectRoundTrip({9, kCompressBoth, 4}, HandPage(3, 3, 0, 0, uint16_t(entries.size()), entries), kEntries);
  // A unique index (no suffix) drops trailing zeros at the key's end.
  std::string key = K({1, 'A', 0, 0, 0});
  Bytes unique = {0, 3, 1, 'A', 9, 0, 0, 0};
  ExpectRoundTrip({5, kCompressBoth, 0}, HandPage(3, 1, 0, 0, uint16_t(unique.size()), unique), {{key, 9, 0}});
}

TEST(IndexPageTest, CapacityAndRefusedImages) {
  EXPECT_EQ(LeafCapacity(5), 4083u / 11);
  EXPECT_EQ(InternalCapacity(5), 4083u / 15);
  TPageFormat format{5, kCompressNone, 0};
  TPage page;
  page.type = kPageLeaf;
  page.entries.assign(LeafCapacity(5), {K({1, 0, 0, 0, 0}), 1, 0});
  Bytes raw(kIndexPageSize);
  EXPECT_TRUE(EncodePage(format, page, raw.data()));
  page.entries.push_back(page.entries.back());
  EXPECT_FALSE(EncodePage(format, page, raw.data())) << "one entry over capacity does not fit";

  Bytes bad = HandPage(4, 0, 0, 0, 0, {});
  EXPECT_FALSE(DecodePage(format, bad.data(), page)) << "unknown page type";
  Bytes tooMany = HandPage(2, 1000, 0, 0, 0, {});
  EXPECT_FALSE(DecodePage(format, tooMany.data(), page)) << "more entries than a page holds";
  Bytes wrongUsed = HandPage(2, 1, 0, 0, 99, {0, 0, 1, 0x80, 0, 0, 5, 0x80, 0, 0, 1, 1, 0, 0, 0});
  EXPECT_FALSE(DecodePage({9, kCompressLeading, 4}, wrongUsed.data(), page)) << "used bytes disagree";
}

}  // namespace
}  // namespace isam
