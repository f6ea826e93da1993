#include "engine/blob_stream.h"

#include <gtest/gtest.h>

#include "engine/data_source.h"
#include "engine/filter/dataset_error.h"
#include "engine/test_tables.h"

namespace isam {
namespace {

using testing_tables::CodeOf;
using testing_tables::MessageOf;
using testing_tables::TableTest;

class BlobStreamTest : public TableTest {
 protected:
  void SetUp() override {
    Create("q.DAT");
    Bind(table_, "q.DAT");
    table_.Open();
    Fill(table_, {1, 2});
    table_.MoveFirst();
    table_.BeginEdit();
    table_.FieldNamed("Q_TEXT").SetStringValue("0123456789");
    table_.PostRecord();
  }
  std::string ReadAll(TIsamBlobStream& stream, uint32_t chunk = 4) {
    std::string out;
    char buffer[64];
    for (uint32_t n; (n = stream.Read(buffer, chunk)) > 0;) out.append(buffer, n);
    return out;
  }
  TIsamField& Text() { return table_.FieldNamed("Q_TEXT"); }
  TIsamTable table_;
};

TEST_F(BlobStreamTest, ReadsInPiecesSeeksAndStopsAtTheEnd) {
  TIsamBlobStream stream(Text(), TBlobStreamMode::bmRead);
  EXPECT_EQ(stream.Size(), 10u);
  EXPECT_EQ(ReadAll(stream), "0123456789");  // the last read is short, then empty
  EXPECT_EQ(stream.Seek(-3, TSeekOrigin::soEnd), 7u);
  char buffer[8];
  EXPECT_EQ(stream.Read(buffer, 8), 3u);
  EXPECT_EQ(stream.Seek(2, TSeekOrigin::soBeginning), 2u);
  EXPECT_EQ(stream.Seek(3, TSeekOrigin::soCurrent), 5u);
  EXPECT_EQ(stream.Read(buffer, 2), 2u);
  EXPECT_EQ(std::string(buffer, 2), "56");
  stream.Seek(50, TSeekOrigin::soBeginning);  // beyond the value: reads nothing
  EXPECT_EQ(stream.Read(buffer, 8), 0u);
  EXPECT_EQ(stream.Seek(-100, TSeekOrigin::soCurrent), 0u);
}

TEST_F(BlobStreamTest, WritingNeedsAnEditAndAWritableField) {
  EXPECT_EQ(MessageOf([&] { TIsamBlobStream s(Text(), TBlobStreamMode::bmWrite); }),
            "Dataset not in edit or insert mode");
  EXPECT_EQ(MessageOf([&] { TIsamBlobStream s(Text(), TBlobStreamMode::bmReadWrite); }),
            "Dataset not in edit or insert mode");
  table_.BeginEdit();
  Text().SetReadOnly(true);
  EXPECT_EQ(MessageOf([&] { TIsamBlobStream s(Text(), TBlobStreamMode::bmWrite); }),
            "Field 'Q_TEXT' cannot be modified");
  Text().SetReadOnly(false);
  {
    TIsamBlobStream read(Text(), TBlobStreamMode::bmRead);
    EXPECT_EQ(MessageOf([&] { read.Write("x", 1); }), "Field 'Q_TEXT' cannot be modified");
  }
  table_.CancelRecord();
  EXPECT_NE(CodeOf([&] { TIsamBlobStream s(table_.FieldNamed("Q1"), TBlobStreamMode::bmRead); }), 0);
}

TEST_F(BlobStreamTest, ModesWriteTruncateOrPatch) {
  TIsamDataSource source(&table_);
  std::vector<TIsamField*> changed;
  source.OnDataChange = [&](TIsamDataSource&, TIsamField* field) { changed.push_back(field); };
  table_.BeginEdit();
  {
    TIsamBlobStream patch(Text(), TBlobStreamMode::bmReadWrite);  // keeps the value
    patch.Seek(8, TSeekOrigin::soBeginning);
    patch.Write("ABCD", 4);  // grows it
  }
  EXPECT_EQ(Text().StringValue(), "01234567ABCD");
  ASSERT_FALSE(changed.empty());
  EXPECT_EQ(changed.back(), &Text());
  table_.PostRecord();
  EXPECT_EQ(Text().StringValue(), "01234567ABCD");
  table_.BeginEdit();
  {
    TIsamBlobStream write(Text(), TBlobStreamMode::bmWrite);  // starts empty
    EXPECT_EQ(write.Size(), 0u);
    write.Write("xy", 2);
  }
  table_.CancelRecord();  // nothing saved
  EXPECT_EQ(Text().StringValue(), "01234567ABCD");
  table_.BeginEdit();
  Text().SetStringValue("");  // an empty value is null
  table_.PostRecord();
  EXPECT_TRUE(Text().IsNull());
  table_.MoveNext();
  table_.MovePrior();
  EXPECT_EQ(Text().StringValue(), "");
}

TEST_F(BlobStreamTest, ANewRecordTakesItsMemoWithIt) {
  table_.BeginAppend();
  Text().SetStringValue(std::string(1500, 'm'));
  table_.FieldNamed("U_MEMO").SetStringValue("note");
  table_.PostRecord();
  int32_t number = table_.RecordNumber();
  table_.MoveFirst();
  table_.SetRecordNumber(number);
  EXPECT_EQ(Text().StringValue(), std::string(1500, 'm'));
  EXPECT_EQ(table_.FieldNamed("U_MEMO").StringValue(), "note");
  // Deleting the record frees its values; the next record's stay.
  table_.MoveFirst();
  table_.DeleteRecord();
  table_.SetRecordNumber(2);
  EXPECT_EQ(table_.FieldNamed("U_MEMO").StringValue(), "note");
}

}  // namespace
}  // namespace isam
