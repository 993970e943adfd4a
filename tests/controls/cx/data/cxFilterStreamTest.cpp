#include <gtest/gtest.h>

#include "controls/cx/data/cxFilter.h"
#include "controls/cx/data/cxStorage.h"
#include "controls/cx/data/cxVariants.h"
#include "tests/controls/cx/data/support/TestCriteria.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using cxtest::BytesOf;
using cxtest::ErrorOf;
using cxtest::HexOf;
using cxtest::TTestCriteria;

namespace {

Variant Arr(std::initializer_list<Variant> items)
{
  return VarArrayOf(std::vector<Variant>(items));
}

// The goods items of the fixtures: Id 0, Name 1, Price 2, Qty 3, Sold 4; A, B, C are 1, 2, 3
// in the tree fixture.
TTestCriteria* Goods(TTestCriteria& c)
{
  for (const char* name : {"Id", "Name", "Price", "Qty", "Sold"})
    c.AddTestItem(name);
  return &c;
}

std::string Written(TcxFilterCriteria& c)
{
  TMemoryStream stream;
  c.WriteData(&stream);
  return HexOf(stream);
}

void Read(TcxFilterCriteria& c, const std::string& hex)
{
  TReadOnlyMemoryStream stream(BytesOf(hex));
  c.ReadData(&stream);
  EXPECT_EQ(stream.Position(), stream.Size());
}

const std::string S1 = "FF FF FF FF 00 00 00 00 00";
const std::string S3 =
    "FF FF FF FF 00 01 00 00 00 00 00 03 00 00 00 61 62 63 05 00 00 00 06 03 61 62 63";
const std::string S4 =
    "FF FF FF FF 00 02 00 00 00 01 01 02 00 00 00 00 00 01 00 00 00 32 02 00 00 00 02 02 "
    "00 00 01 00 00 00 33 03 00 00 00 02 03 00 00 01 00 00 00 31 01 00 00 00 02 01";

TEST(cxFilterStreamTest, FixturesReadAndWriteByteForByte)
{
  cxtest::TTestEnvironment env;
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Text;
  } cases[] = {
      {"S1 empty", S1, ""},
      {"S2 empty NOT OR", "FF FF FF FF 03 00 00 00 00", "NOT ()"},
      {"S5 between",
       "FF FF FF FF 00 01 00 00 00 00 08 03 00 00 00 31 3B 35 02 00 00 00 01 02 02 02 01 02 05",
       "(Price BETWEEN 1 AND 5)"},
      {"S6 in",
       "FF FF FF FF 00 01 00 00 00 00 0A 05 00 00 00 31 3B 32 3B 33 00 00 00 00 01 02 03 "
       "02 01 02 02 02 03",
       "(Id IN (1, 2, 3))"},
      {"S7rt null", "FF FF FF FF 00 01 00 00 00 00 00 05 00 00 00 62 6C 61 6E 6B 01 00 00 00 00",
       "(Name = NULL)"},
      {"S12 today", "FF FF FF FF 00 01 00 00 00 00 0D 00 00 00 00 04 00 00 00 00",
       "(('2024-01-15' <= Sold) AND (Sold < '2024-01-16'))"},
      {"S13 like",
       "FF FF FF FF 00 01 00 00 00 00 06 03 00 00 00 25 61 25 01 00 00 00 06 03 25 61 25",
       "(Name LIKE '%a%')"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria;
    Goods(criteria);
    Read(criteria, c.Bytes);
    EXPECT_EQ(criteria.FilterText(), c.Text);
    EXPECT_EQ(Written(criteria), c.Bytes);
  }
}

TEST(cxFilterStreamTest, WritingBuildsTheFixtureBytes)
{
  TTestCriteria s3;
  s3.AddTestItem("F", 5);
  s3.Add("F", foEqual, "abc", "abc");
  EXPECT_EQ(Written(s3), S3);

  TTestCriteria s4;
  auto* a = s4.AddTestItem("A", 1);
  auto* b = s4.AddTestItem("B", 2);
  auto* c = s4.AddTestItem("C", 3);
  auto* group = s4.Root()->AddGroup(fboOr);
  group->AddCondition(b, foEqual, 2, "2");
  group->AddCondition(c, foEqual, 3, "3");
  s4.AddItem(nullptr, a, foEqual, 1, "1");
  EXPECT_EQ(Written(s4), S4);

  TTestCriteria read;
  read.AddTestItem("A", 1);
  read.AddTestItem("B", 2);
  read.AddTestItem("C", 3);
  Read(read, S4);
  EXPECT_EQ(read.FilterText(), "((B = 2) OR (C = 3)) AND (A = 1)");
  read.RemoveItemsByItemLink(read.Item("B"));
  EXPECT_EQ(read.FilterText(), "(A = 1) AND (C = 3)");
}

TEST(cxFilterStreamTest, NullConditionComesBackAsANullTest)
{
  TTestCriteria criteria;
  Goods(criteria);
  // S7: Equal on Name with Null and an empty display value.
  Read(criteria, "FF FF FF FF 00 01 00 00 00 00 00 00 00 00 00 01 00 00 00 00");
  auto* item = static_cast<TcxFilterCriteriaItem*>(criteria.Root()->Items(0));
  EXPECT_TRUE(item->Operator()->ClassNameIs("TcxFilterNullOperator"));
  EXPECT_EQ(item->OperatorKind(), foEqual);
  EXPECT_EQ(item->DisplayValue(), "blank");
  EXPECT_EQ(Written(criteria),
            "FF FF FF FF 00 01 00 00 00 00 00 05 00 00 00 62 6C 61 6E 6B 01 00 00 00 00");
}

TEST(cxFilterStreamTest, OldFormStartsWithTheCount)
{
  TTestCriteria criteria({"X", "A", "B"});
  criteria.Root()->SetBoolOperatorKind(fboOr);
  Read(criteria,
       "02 00 00 00 00 00 01 00 00 00 31 01 00 00 00 02 01 00 00 01 00 00 00 32 02 00 00 00 02 02");
  EXPECT_EQ(criteria.Root()->BoolOperatorKind(), fboAnd);
  EXPECT_EQ(criteria.FilterText(), "(A = 1) AND (B = 2)");
}

TEST(cxFilterStreamTest, ReadingReplacesTheTreeInOneReport)
{
  TTestCriteria criteria;
  Goods(criteria);
  criteria.Add("Qty", foGreater, 1, "1");
  criteria.Add("Qty", foLess, 9, "9");
  Integer before = criteria.ChangeCount;
  Read(criteria, S1);
  EXPECT_TRUE(criteria.IsEmpty());
  EXPECT_EQ(criteria.ChangeCount, before + 1);

  // Copying through the stream keeps kinds, values and display values.
  TTestCriteria source, target;
  Goods(source);
  Goods(target);
  auto* group = source.Root()->AddGroup(fboNotAnd);
  group->AddCondition(source.Item("Name"), foNotLike, "%x", "%x");
  group->AddCondition(source.Item("Price"), foNotBetween, Arr({1, 2}), "1;2");
  source.Add("Id", foInList, Arr({7}), "7");
  target.AssignItems(&source);
  EXPECT_EQ(Written(target), Written(source));
  EXPECT_EQ(target.FilterCaption(), source.FilterCaption());
}

// A damaged stream raises the read error and leaves the filter the user had.
TEST(cxFilterStreamTest, DamagedStreamsLeaveTheOldTree)
{
  std::string deep = "FF FF FF FF 00 01 00 00 00";
  for (int i = 0; i < 10000; ++i)
    deep += " 01 00 01 00 00 00";
  struct Case {
    const char* Name;
    std::string Bytes;
  } cases[] = {
      {"cut after the display length", "FF FF FF FF 00 01 00 00 00 00 00 03 00 00 00"},
      {"operator kind 24",
       "FF FF FF FF 00 01 00 00 00 00 18 03 00 00 00 61 62 63 05 00 00 00 06 03 61 62 63"},
      {"root kind 4", "FF FF FF FF 04 00 00 00 00"},
      {"group kind 9", "FF FF FF FF 00 01 00 00 00 01 09 00 00 00 00"},
      {"huge array value",
       "FF FF FF FF 00 01 00 00 00 00 00 03 00 00 00 61 62 63 05 00 00 00 01 04 FF FF FF 7F"},
      {"negative count", "FF FF FF FF 00 FE FF FF FF"},
      {"count beyond the bytes", "FF FF FF FF 00 00 00 00 10 00"},
      {"old form negative count", "F0 FF FF FF"},
      {"bad variant code", "FF FF FF FF 00 01 00 00 00 00 00 00 00 00 00 05 00 00 00 07"},
      {"nesting beyond the limit", deep},
      {"empty stream", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestCriteria criteria;
    Goods(criteria);
    criteria.Root()->SetBoolOperatorKind(fboOr);
    criteria.Add("Qty", foGreater, 1, "1");
    std::string before = Written(criteria);
    int reports = 0;
    criteria.OnChanged = [&](TObject*) { ++reports; };
    TReadOnlyMemoryStream stream(BytesOf(c.Bytes));
    EXPECT_EQ(ErrorOf([&] { criteria.ReadData(&stream); }), "EReadError: Stream read error");
    EXPECT_EQ(Written(criteria), before);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(criteria.LockCount(), 0);
  }
}

TEST(cxFilterStreamTest, HexTextOfAStreamAsLayoutsStoreIt)
{
  TTestCriteria criteria;
  Goods(criteria);
  criteria.Add("Name", foLike, "%a%", "%a%");
  TMemoryStream stream;
  criteria.WriteToStream(&stream);
  AnsiString hex =
      "Hex:" + EncodeHexText(AnsiString(static_cast<const char*>(stream.Memory()), stream.Size()));
  EXPECT_EQ(hex, "Hex:FFFFFFFF000100000000060300000025612501000000060325612"
                 "5");

  TTestCriteria back;
  Goods(back);
  TReadOnlyMemoryStream bytes(DecodeHexText(hex.substr(4)));
  back.ReadFromStream(&bytes);
  EXPECT_EQ(back.FilterText(), "(Name LIKE '%a%')");
}

TEST(cxFilterStreamTest, ComponentFormCarriesThePublishedSettings)
{
  TTestCriteria source;
  source.SetOptions({fcoCaseInsensitive, fcoSoftNull});
  source.SetMaxValueListCount(12);
  source.SetPercentWildcard('*');
  TMemoryStream stream;
  source.SaveToStream(&stream);

  TTestCriteria target;
  int reports = 0;
  target.OnChanged = [&](TObject*) { ++reports; };
  stream.SetPosition(0);
  target.LoadFromStream(&stream);
  EXPECT_EQ(target.Options(), TcxFilterCriteriaOptions({fcoCaseInsensitive, fcoSoftNull}));
  EXPECT_EQ(target.MaxValueListCount(), 12);
  EXPECT_EQ(target.PercentWildcard(), '*');
  EXPECT_EQ(target.UnderscoreWildcard(), '_');
  EXPECT_EQ(reports, 1);
}

} // namespace
