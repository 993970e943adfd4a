// Shared helpers of the grid library: Variant comparison, double clicks, field lists, the
// distinct-value list, tree lines and dotted lines, GBK-aware text comparison, the dataset
// of a source property.
#include "controls/eh/EhHelpers.h"

#include <gtest/gtest.h>

#include "controls/eh/EhWrappers.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/Pictures.h"

namespace {

std::unique_ptr<TMemDataSet> MakeDataSet(std::initializer_list<const char*> values)
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("People");
  ds->FieldDefs()->Add("A", ftString, 10);
  ds->FieldDefs()->Add("B", ftInteger);
  ds->CreateDataSet();
  for (const char* v : values)
    ds->AppendRecord({v ? Variant(v) : Null(), Variant(1)});
  return ds;
}

} // namespace

TEST(EhHelpers, SameVariantValuesFollowsArrayAndNullRules)
{
  Variant a12 = VarArrayOf({Variant(1), Variant(2)});
  Variant b12 = VarArrayOf({Variant(1), Variant(2)});
  Variant shifted = VarArrayCreate({1, 2}, varVariant);
  VarArrayPut(shifted, Variant(1), {1});
  VarArrayPut(shifted, Variant(2), {2});
  Variant a13 = VarArrayOf({Variant(1), Variant(3)});
  Variant empty = VarArrayCreate({0, -1}, varVariant);
  struct {
    const char* Name;
    Variant A, B;
    bool Same;
  } cases[] = {
      {"null/null", Null(), Null(), true},
      {"null/unassigned", Null(), Unassigned(), false},
      {"unassigned/unassigned", Unassigned(), Unassigned(), true},
      {"array/same", a12, b12, true},
      {"array/other bounds", a12, shifted, false},
      {"array/other element", a12, a13, false},
      {"array/scalar", a12, Variant(1), false},
      {"empty arrays", empty, empty, false},
      {"number/text", Variant(5), Variant("5"), true},
      {"unconvertible", Variant(5), Variant("abc"), false},
      {"texts", Variant("张三"), Variant("张三"), true},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(SameVariantValues(c.A, c.B), c.Same);
  }
}

TEST(EhHelpers, IsSecondClickWithinTimeAndDistance)
{
  UINT time = GetDoubleClickTime();
  Integer dx = GetSystemMetrics(SM_CXDOUBLECLK), dy = GetSystemMetrics(SM_CYDOUBLECLK);
  EXPECT_TRUE(IsSecondClick({10, 10}, {12, 10}, time / 2));
  EXPECT_TRUE(IsSecondClick({10, 10}, {10 + dx, 10 + dy}, time));
  EXPECT_FALSE(IsSecondClick({10, 10}, {10, 10}, time + 1));
  EXPECT_FALSE(IsSecondClick({10, 10}, {11 + dx, 10}, 0));
  EXPECT_FALSE(IsSecondClick({10, 10}, {10, 9 - dy}, 0));
}

TEST(EhHelpers, ParseFieldListRaisesNamingTheMissingFieldAfterAddingTheOthers)
{
  auto ds = MakeDataSet({"x"});
  TComponent owner(nullptr);
  owner.SetName("Editor1");
  TFieldsArrEh fields;
  try {
    ParseFieldList(&fields, ds.get(), &owner, "A;C;B");
    FAIL() << "C does not exist";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Editor1: Field 'C' not found");
  }
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0]->FieldName(), "A");
  EXPECT_EQ(FieldArrayOf(ds.get(), &owner, "B;A").size(), 2u);
  ParseFieldList(nullptr, ds.get(), &owner, "A");
}

TEST(EhHelpers, AssignFieldValuesClearsOnNullAndStoresArrays)
{
  auto ds = MakeDataSet({"x"});
  ds->Edit();
  AssignFieldValues(ds.get(), "A;B", VarArrayOf({Variant("y"), Variant(7)}));
  EXPECT_EQ(ds->FieldByName("A")->AsString(), "y");
  EXPECT_EQ(ds->FieldByName("B")->AsInteger(), 7);
  AssignFieldValues(ds.get(), "A;B", Null());
  EXPECT_TRUE(ds->FieldByName("A")->IsNull());
  EXPECT_TRUE(ds->FieldByName("B")->IsNull());
  AssignFieldValues(ds.get(), "B", Variant(3));
  EXPECT_EQ(ds->FieldByName("B")->AsInteger(), 3);
}

TEST(EhHelpers, DistinctValuesAreSortedOnceEachAndReloadWhenStale)
{
  auto ds = MakeDataSet({"b", "a", "b", nullptr});
  auto list = std::make_shared<TDatasetFieldValueListEh>();
  EXPECT_EQ(list->DistinctValues()->Count(), 0) << "no dataset yet";
  list->SetSourceDataSet(ds.get());
  list->SetValueFieldName("A");
  TStrings* values = list->DistinctValues();
  ASSERT_EQ(values->Count(), 3);
  EXPECT_EQ(values->Strings(0), "");
  EXPECT_EQ(values->Strings(1), "a");
  EXPECT_EQ(values->Strings(2), "b");
  EXPECT_FALSE(list->Stale()) << "the walk's own notifications keep it fresh";

  ds->AppendRecord({Variant("c"), Variant(2)});
  EXPECT_TRUE(list->Stale());
  EXPECT_EQ(list->DistinctValues()->Count(), 4);
  list->SetValueFieldName("B");
  EXPECT_TRUE(list->Stale());
  EXPECT_EQ(list->DistinctValues()->Count(), 2);
  std::shared_ptr<IMemTableDataFieldValueListEh> asInterface = list;
  EXPECT_EQ(asInterface->GetValues()->Strings(1), "2");
}

TEST(EhHelpers, DottedLinesKeepTheirParity)
{
  TBitmap bmp(12, 4);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(Rect(0, 0, 12, 4));
  bmp.Canvas()->Pen()->SetColor(clBlack);
  DrawDottedLine(bmp.Canvas(), {0, 0}, 6, 0, true); // parity matches: 0, 2, 4
  DrawDottedLine(bmp.Canvas(), {0, 1}, 6, 0, true); // starts one further: 1, 3
  for (Integer x = 0; x < 7; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(bmp.Canvas()->Pixels(x, 0), x % 2 == 0 && x < 6 ? clBlack : clWhite);
    EXPECT_EQ(bmp.Canvas()->Pixels(x, 1), x % 2 == 1 && x < 6 ? clBlack : clWhite);
  }
}

TEST(EhHelpers, TreeNodeLinesDrawBoxSymbolAndConnectorsPerKind)
{
  // A 21 x 21 cell, scale 1: centre (10, 10), box (6, 6)-(15, 15).
  struct {
    Integer Kind;
    bool Plus, Above, Below, Box;
  } cases[] = {
      {0, false, true, true, true},  {1, false, true, false, true},  {2, false, false, true, true},
      {3, true, true, true, true},   {4, true, true, false, true},   {5, true, false, true, true},
      {6, false, true, true, false}, {7, false, true, false, false}, {8, false, false, true, false},
      {9, false, true, true, false},
  };
  TColor shadow = ColorToRGB(clBtnShadow), text = ColorToRGB(clWindowText);
  for (auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    TBitmap bmp(21, 21);
    bmp.Canvas()->Brush()->SetColor(clYellow);
    bmp.Canvas()->FillRect(Rect(0, 0, 21, 21));
    DrawTreeNodeLines(bmp.Canvas(), Rect(0, 0, 21, 21), c.Kind, 0, 1, 1);
    TCanvas* cv = bmp.Canvas();
    EXPECT_EQ(cv->Pixels(6, 6) == shadow, c.Box) << "box frame";
    if (c.Box) {
      EXPECT_EQ(cv->Pixels(8, 10), text) << "minus bar";
      EXPECT_EQ(cv->Pixels(10, 8) == text, c.Plus) << "plus stroke";
      EXPECT_EQ(cv->Pixels(7, 7), ColorToRGB(clWindow));
      EXPECT_EQ(cv->Pixels(16, 10), shadow) << "right connector starts one right of the box";
    }
    EXPECT_EQ(cv->Pixels(10, 0) == shadow, c.Above) << "connector above";
    EXPECT_EQ(cv->Pixels(10, c.Box ? 16 : 18) == shadow, c.Below) << "connector below";
    EXPECT_EQ(cv->Pixels(18, 10) == shadow, c.Kind != 9) << "connector to the right";
  }
}

TEST(EhHelpers, TextComparisonFoldsOnlySingleByteLetters)
{
  // 丄 (81 41) and 乤 (81 61) differ only by a trail byte that looks like a letter.
  EXPECT_NE(CompareTextNoCase("\x81\x41", "\x81\x61"), 0);
  EXPECT_EQ(CompareTextNoCase("abC张三", "ABc张三"), 0);
  EXPECT_NE(CompareTextExact("abc", "ABC"), 0);
  EXPECT_EQ(UpperCaseText("a\x81\x61z"), "A\x81\x61Z");
  EXPECT_EQ(LowerCaseText("A\x81\x41Z"), "a\x81\x41z");
}

TEST(EhHelpers, DataSetOfSourcePropertyFollowsTheMasterSource)
{
  auto master = MakeDataSet({"x"});
  TDataSource source(nullptr);
  source.SetDataSet(master.get());
  TMemDataSet detail;
  detail.FieldDefs()->Add("A", ftString, 10);
  detail.SetMasterSource(&source);
  detail.SetMasterFields("A");
  EXPECT_EQ(DataSetOfSourceProperty(&detail, "MasterSource"), master.get());
  EXPECT_EQ(DataSetOfSourceProperty(master.get(), "MasterSource"), nullptr);
  EXPECT_EQ(DataSetOfSourceProperty(&detail, "NoSuchProperty"), nullptr);
  EXPECT_EQ(DataSetOfSourceProperty(nullptr, "MasterSource"), nullptr);
}

TEST(EhHelpers, ResizeVariantArrayKeepsElements)
{
  Variant v = VarArrayOf({Variant(1), Variant(2)});
  ResizeVariantArray(v, 3);
  EXPECT_EQ(VarArrayHighBound(v, 1), 3);
  EXPECT_EQ(VarArrayGet(v, {1}), Variant(2));
}
