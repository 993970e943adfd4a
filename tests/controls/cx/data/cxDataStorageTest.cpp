#include "controls/cx/data/cxDataStorage.h"

#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FMTBcd.h"
#include "platform/rtl/SqlTimSt.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::ErrorOf;

namespace {

// A storage with one value definition of the given type and one record.
struct OneColumn {
  explicit OneColumn(TcxValueTypeClass type, bool storeText = false)
  {
    Def = Storage.ValueDefs()->Add(type, true, nullptr, storeText);
    Storage.SetRecordCount(2);
  }
  Variant Get(Integer r = 0) { return Storage.GetValue(r, Def); }
  void Put(const Variant& v, Integer r = 0) { Storage.SetValue(r, Def, v); }
  AnsiString Text(Integer r = 0)
  {
    AnsiString s;
    Storage.GetDisplayText(r, Def, s);
    return s;
  }
  TcxDataStorage Storage;
  TcxValueDef* Def;
};

int Sign(Integer c)
{
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

TEST(cxDataStorageTest, ValueTypesRegisterInOrder)
{
  const char* names[] = {"String",  "WideString",   "Smallint", "Integer",  "Word",
                         "Boolean", "Float",        "Currency", "DateTime", "LargeInt",
                         "FMTBcd",  "SQLTimeStamp", "Variant",  "Object"};
  TcxValueTypeClassList* list = cxValueTypeClassList();
  ASSERT_EQ(list->Count(), 14);
  for (Integer i = 0; i < 14; ++i)
    EXPECT_EQ(list->Items(i)->ValueTypeName(), names[i]);
  EXPECT_EQ(list->ItemByClassName("tcxintegervaluetype"), TcxIntegerValueType::Class());
  EXPECT_TRUE(TcxObjectValueType::Class()->InheritsFrom<TcxIntegerValueType>());
  EXPECT_TRUE(TcxWideStringValueType::Class()->InheritsFrom<TcxStringValueType>());
  EXPECT_FALSE(TcxIntegerValueType::Class()->InheritsFrom<TcxObjectValueType>());
  EXPECT_TRUE(TcxWideStringValueType::Class()->IsTextType());
  EXPECT_FALSE(TcxVariantValueType::Class()->IsString());
  EXPECT_EQ(ErrorOf([&] { list->Items(14); }), "EListError: List index out of bounds (14)");
}

// Each type: a value written and read back, its display text, its kind, the order of two
// values and a stream round trip through the type's own writer and reader.
TEST(cxDataStorageTest, ValueTypeTable)
{
  cxtest::TTestEnvironment env;
  struct Case {
    const char* Name;
    TcxValueTypeClass Type;
    Variant Low, High;
    TVarType Fetched;
    const char* HighText;
    const char* StreamedText = nullptr; // when the stream form loses something
  } cases[] = {
      {"String", TcxStringValueType::Class(), "ab", "b", varString, "b"},
      {"WideString", TcxWideStringValueType::Class(), WideString(u"a"), WideString(u"\u5f20"),
       varOleStr, "张"},
      {"Smallint", TcxSmallintValueType::Class(), SmallInt(-32768), SmallInt(32767), varSmallint,
       "32767"},
      {"Integer", TcxIntegerValueType::Class(), std::numeric_limits<Integer>::min(), 1, varInteger,
       "1"},
      {"Word", TcxWordValueType::Class(), Word(1), Word(65535), varWord, "65535"},
      {"Boolean", TcxBooleanValueType::Class(), false, true, varBoolean, "True"},
      {"Float", TcxFloatValueType::Class(), -0.5, 1234.5, varDouble, "1234.5"},
      {"Currency", TcxCurrencyValueType::Class(), Currency::FromRaw(-1), Currency::FromRaw(12345),
       varCurrency, "1.2345"},
      {"DateTime", TcxDateTimeValueType::Class(), VarFromDateTime(45305),
       VarFromDateTime(EncodeDateTime(2024, 1, 15, 9, 30, 0, 0)), varDate, "2024-01-15 09:30:00"},
      {"LargeInt", TcxLargeIntValueType::Class(), Int64(0), Int64(4294967296LL), varInt64,
       "4294967296"},
      {"FMTBcd", TcxFMTBcdValueType::Class(), VarFMTBcdCreate("0.1"),
       VarFMTBcdCreate("12345678901234567890.5"), varDouble, "12345678901234567890.5",
       "12345678901234600000"}, // streamed through its Double
      {"SQLTimeStamp", TcxSQLTimeStampValueType::Class(), VarFromDateTime(45305),
       VarFromDateTime(45306.5), varDate, "2024-01-15 12:00:00"},
      {"Variant", TcxVariantValueType::Class(), "a", "x", varString, "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    OneColumn col(c.Type);
    col.Put(c.Low, 0);
    col.Put(c.High, 1);
    EXPECT_EQ(VarType(col.Get(1)), c.Fetched);
    EXPECT_EQ(col.Text(1), c.HighText);
    EXPECT_EQ(Sign(col.Storage.CompareRecords(0, 1, col.Def)), -1);
    EXPECT_EQ(Sign(col.Storage.CompareRecords(1, 0, col.Def)), 1);
    EXPECT_EQ(col.Storage.CompareRecords(1, 1, col.Def), 0);

    // The type's own stream form round-trips the value through a second record.
    Byte* buffer = col.Storage.RecordBuffer(1);
    TMemoryStream stream;
    c.Type->WriteValueToStream(buffer + col.Def->BufferOffset() + 1, &stream);
    stream.SetPosition(0);
    col.Put(c.Low, 0);
    Byte* target = col.Storage.RecordBuffer(0);
    c.Type->ReadValueFromStream(target + col.Def->BufferOffset() + 1, &stream);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(col.Text(0), c.StreamedText ? c.StreamedText : c.HighText);
  }
}

TEST(cxDataStorageTest, CompareEdges)
{
  OneColumn ints(TcxIntegerValueType::Class());
  ints.Put(2147483647, 0);
  ints.Put(-1, 1);
  EXPECT_GT(ints.Storage.CompareRecords(0, 1, ints.Def), 0);
  ints.Put(std::numeric_limits<Integer>::min(), 0);
  ints.Put(1, 1);
  EXPECT_LT(ints.Storage.CompareRecords(0, 1, ints.Def), 0);

  OneColumn big(TcxLargeIntValueType::Class());
  big.Put(Int64(4294967296LL), 0);
  big.Put(Int64(0), 1);
  EXPECT_EQ(big.Storage.CompareRecords(0, 1, big.Def), 1);

  OneColumn shorts(TcxSmallintValueType::Class());
  shorts.Put(SmallInt(32767), 0);
  shorts.Put(SmallInt(-32768), 1);
  EXPECT_GT(shorts.Storage.CompareRecords(0, 1, shorts.Def), 0);

  // Strings compare byte by byte, case-sensitive: "B" (42) before "a" (61).
  OneColumn texts(TcxStringValueType::Class());
  texts.Put("B", 0);
  texts.Put("a", 1);
  EXPECT_EQ(texts.Storage.CompareRecords(0, 1, texts.Def), -1);
}

TEST(cxDataStorageTest, NullEmptyAndMissingBuffers)
{
  OneColumn col(TcxStringValueType::Class());
  col.Storage.SetRecordCount(3);
  // Record 0 has no buffer yet.
  EXPECT_EQ(col.Storage.RecordBuffer(0), nullptr);
  EXPECT_TRUE(VarIsNull(col.Get(0)));
  EXPECT_EQ(col.Text(0), "");
  col.Put(Null(), 1);
  col.Put("", 2);
  EXPECT_TRUE(VarIsNull(col.Get(1)));
  EXPECT_EQ(VarType(col.Get(2)), varString);
  EXPECT_EQ(col.Get(2).AsString(), "");
  // No buffer sorts before a Null held in a buffer; Null before the empty text.
  EXPECT_EQ(col.Storage.CompareRecords(0, 1, col.Def), -1);
  EXPECT_EQ(col.Storage.CompareRecords(1, 2, col.Def), -1);
  EXPECT_EQ(col.Storage.CompareRecords(0, 0, col.Def), 0);
  // Null again frees the text.
  col.Put(Null(), 2);
  EXPECT_TRUE(VarIsNull(col.Get(2)));
  EXPECT_EQ(ErrorOf([&] { col.Get(3); }), "EListError: List index out of bounds (3)");
}

TEST(cxDataStorageTest, ConversionFailureLeavesTheValue)
{
  OneColumn col(TcxIntegerValueType::Class());
  col.Put(5);
  EXPECT_EQ(
      ErrorOf([&] { col.Put("x"); }),
      "EVariantTypeCastError: Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(col.Get().AsInteger(), 5);
  EXPECT_TRUE(VarIsNull(col.Get(1)));
  EXPECT_THROW(col.Put("y", 1), EVariantTypeCastError);
  EXPECT_TRUE(VarIsNull(col.Get(1)));

  Variant v = "12";
  EXPECT_TRUE(TcxIntegerValueType::Class()->ConvertValue(v));
  EXPECT_EQ(VarType(v), varInteger);
  v = "x";
  EXPECT_FALSE(TcxIntegerValueType::Class()->ConvertValue(v));
  v = Null();
  EXPECT_TRUE(TcxIntegerValueType::Class()->ConvertValue(v));
  EXPECT_TRUE(TcxIntegerValueType::Class()->AcceptsValue("x"));
  EXPECT_FALSE(TcxIntegerValueType::Class()->AcceptsValue(VarFromDateTime(1e12)));
  v = "1.5";
  EXPECT_TRUE(TcxFMTBcdValueType::Class()->ConvertValue(v));
  EXPECT_EQ(VarType(v), varFMTBcd);
}

TEST(cxDataStorageTest, StoredTextsKeepTheirOwnText)
{
  OneColumn col(TcxIntegerValueType::Class(), true);
  EXPECT_TRUE(col.Def->TextStoredEffective());
  col.Storage.SetDisplayText(0, col.Def, "one");
  EXPECT_EQ(col.Text(0), "one"); // the stored text, also while the value is Null
  col.Put(1);
  EXPECT_EQ(col.Text(0), "one");
  OneColumn plain(TcxIntegerValueType::Class());
  plain.Storage.SetDisplayText(0, plain.Def, "ignored");
  plain.Put(7);
  EXPECT_EQ(plain.Text(0), "7");
}

TEST(cxDataStorageTest, AddingAndRemovingDefinitionsKeepsTheOtherValues)
{
  TcxDataStorage storage;
  TcxValueDef* a = storage.ValueDefs()->Add(TcxStringValueType::Class(), true, nullptr, false);
  storage.SetRecordCount(3);
  storage.SetValue(0, a, "r0");
  storage.SetValue(2, a, "r2");
  Integer internal = storage.AddInternalRecord();
  storage.SetValue(internal, a, "edit");

  TcxValueDef* b = storage.ValueDefs()->Add(TcxIntegerValueType::Class(), true, nullptr, true);
  EXPECT_EQ(storage.GetValue(0, a).AsString(), "r0");
  EXPECT_EQ(storage.GetValue(2, a).AsString(), "r2");
  EXPECT_EQ(storage.GetValue(internal, a).AsString(), "edit");
  EXPECT_TRUE(VarIsNull(storage.GetValue(0, b)));
  EXPECT_TRUE(VarIsNull(storage.GetValue(internal, b)));
  storage.SetValue(2, b, 42);
  storage.SetDisplayText(2, b, "forty-two");
  storage.SetValue(internal, b, 9);
  EXPECT_EQ(storage.ValueDefs()->Count(), 2);
  EXPECT_EQ(storage.InternalValueDefs()->Count(), 2);

  delete a; // the string column goes: the integers stay
  EXPECT_EQ(storage.GetValue(2, b).AsInteger(), 42);
  AnsiString text;
  storage.GetDisplayText(2, b, text);
  EXPECT_EQ(text, "forty-two");
  EXPECT_EQ(storage.GetValue(internal, b).AsInteger(), 9);
  EXPECT_EQ(storage.InternalValueDefs()->Count(), 1);
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), b->BufferOffset() + b->DataSize());

  delete b; // the only kept definition: every buffer goes
  EXPECT_EQ(storage.RecordBuffer(2), nullptr);
  EXPECT_EQ(storage.RecordBuffer(internal), nullptr);
  EXPECT_EQ(storage.RecordCount(), 3);
}

TEST(cxDataStorageTest, StoredValuesOnlyKeepsInternalDefinitionsWhole)
{
  TcxDataStorage storage;
  TcxValueDef* kept = storage.ValueDefs()->Add(TcxIntegerValueType::Class(), true, nullptr, false);
  TcxValueDef* provided =
      storage.ValueDefs()->Add(TcxIntegerValueType::Class(), false, nullptr, false);
  storage.SetRecordCount(1);
  storage.SetValue(0, provided, 3);
  EXPECT_EQ(storage.GetValue(0, provided).AsInteger(), 3); // kept while values are not provided

  storage.SetStoredValuesOnly(true);
  EXPECT_EQ(provided->DataSize(), 0);
  EXPECT_GT(kept->DataSize(), 0);
  EXPECT_GT(storage.InternalValueDefs()->FindByLink(provided)->DataSize(), 0);
  EXPECT_EQ(storage.RecordBuffer(0), nullptr); // records were cleared
  storage.SetValue(0, provided, 4);            // not kept: ignored, reads Null
  EXPECT_TRUE(VarIsNull(storage.GetValue(0, provided)));
  Integer editing = storage.AddInternalRecord();
  storage.SetValue(editing, provided, 5);
  EXPECT_EQ(storage.GetValue(editing, provided).AsInteger(), 5);
}

TEST(cxDataStorageTest, InternalRecordSlots)
{
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(TcxIntegerValueType::Class(), true, nullptr, false);
  EXPECT_EQ(storage.AddInternalRecord(), -1);
  EXPECT_EQ(storage.AddInternalRecord(), -2);
  storage.SetValue(-1, def, 1);
  storage.ReleaseInternalRecord(-1);
  EXPECT_EQ(storage.AddInternalRecord(), -1);
  EXPECT_TRUE(VarIsNull(storage.GetValue(-1, def))); // a fresh record
  EXPECT_EQ(storage.AddInternalRecord(), -3);

  int cleared = 0;
  storage.OnClearInternalRecords = [&](TObject*) { ++cleared; };
  storage.Clear(true);
  EXPECT_EQ(storage.InternalRecordCount(), 3);
  storage.Clear(false);
  EXPECT_EQ(storage.InternalRecordCount(), 0);
  EXPECT_EQ(cleared, 1);
}

TEST(cxDataStorageTest, RecordCountAndDeletion)
{
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(TcxIntegerValueType::Class(), true, nullptr, false);
  storage.SetRecordCount(-5);
  EXPECT_EQ(storage.RecordCount(), 0);
  storage.SetRecordCount(4);
  for (Integer i = 0; i < 4; ++i)
    storage.SetValue(i, def, i * 10);
  storage.DeleteRecord(1);
  ASSERT_EQ(storage.RecordCount(), 3);
  EXPECT_EQ(storage.GetValue(1, def).AsInteger(), 20);
  storage.InsertRecord(0);
  EXPECT_TRUE(VarIsNull(storage.GetValue(0, def)));
  EXPECT_EQ(storage.GetValue(1, def).AsInteger(), 0);
  EXPECT_EQ(storage.AppendRecord(), 4);
  storage.SetRecordCount(2);
  EXPECT_EQ(storage.RecordCount(), 2);
  EXPECT_EQ(ErrorOf([&] { storage.DeleteRecord(5); }), "EListError: List index out of bounds (5)");
}

// Objects stored in records are freed with the record, but not when overwritten.
TEST(cxDataStorageTest, ObjectValuesAreOwnedByTheRecord)
{
  struct Tracked : TObject {
    explicit Tracked(int* counter) : Counter(counter) {}
    ~Tracked() override { ++*Counter; }
    int* Counter;
  };
  int freed = 0;
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(TcxObjectValueType::Class(), true, nullptr, false);
  storage.SetRecordCount(2);
  auto* first = new Tracked(&freed);
  storage.SetValue(0, def, Variant(static_cast<Int64>(reinterpret_cast<NativeInt>(first))));
  const void* p = nullptr;
  ASSERT_FALSE(storage.GetValueDataPointer(0, def, p));
  EXPECT_EQ(TcxObjectValueType::GetObject(p), first);
  storage.SetValue(1, def,
                   Variant(static_cast<Int64>(reinterpret_cast<NativeInt>(new Tracked(&freed)))));
  storage.DeleteRecord(0);
  EXPECT_EQ(freed, 1);
  storage.SetRecordCount(0);
  EXPECT_EQ(freed, 2);
}

TEST(cxDataStorageTest, ValueDataPointers)
{
  OneColumn col(TcxStringValueType::Class());
  const void* p = nullptr;
  EXPECT_TRUE(col.Storage.GetValueDataPointer(0, col.Def, p)); // no buffer: Null
  col.Put("abc");
  ASSERT_FALSE(col.Storage.GetValueDataPointer(0, col.Def, p));
  Variant v;
  col.Def->ValueTypeClass()->GetResolvedValue(p, v);
  EXPECT_EQ(v.AsString(), "abc");
}

TEST(cxDataStorageTest, LookupListFindsKeysByHalving)
{
  TcxLookupList list;
  Integer index = -1;
  EXPECT_FALSE(list.FindKey(1, index));
  EXPECT_EQ(index, 0);
  for (Integer key : {5, 1, 3}) {
    ASSERT_FALSE(list.FindKey(key, index));
    list.InsertKey(index, key, "k" + std::to_string(key));
  }
  EXPECT_FALSE(list.FindKey(4, index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(list.FindKey(5, index));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(list.GetItem(index).DisplayText, "k5");
  EXPECT_FALSE(list.FindKey(Null(), index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ErrorOf([&] { list.GetItem(3); }), "EListError: List index out of bounds (3)");
}

} // namespace
