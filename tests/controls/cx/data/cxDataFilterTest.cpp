#include <gtest/gtest.h>

#include "controls/cx/data/cxData.h"
#include "controls/cx/data/cxVariants.h"
#include "platform/rtl/Classes.h"
#include "tests/controls/cx/data/support/TestController.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

TcxFilterCriteriaItem* AddCondition(TTestDataController& C, Integer AColumn,
                                    TcxFilterOperatorKind AKind, const Variant& AValue)
{
  return C.Filter()->Root()->AddCondition(C.Columns[AColumn].get(), AKind, AValue,
                                          VarToStr(AValue));
}

// "kind:text" of every entry.
std::string Show(TcxFilterValueList& AList)
{
  std::string out;
  for (Integer i = 0; i < AList.Count(); ++i) {
    if (!out.empty())
      out += ' ';
    out += std::to_string(AList.Items(i).Kind) + ":" + AList.Items(i).DisplayText;
  }
  return out;
}

TEST(cxDataFilterTest, ActiveCriteriaFilterTheRows)
{
  auto goods = NewGoods();
  AddCondition(*goods, gcCat, foEqual, "A");
  AddCondition(*goods, gcQty, foGreater, 5);
  EXPECT_EQ(goods->RowCount(), 10); // not active yet
  EXPECT_FALSE(goods->Filter()->IsFiltering());
  goods->Filter()->SetActive(true);
  EXPECT_TRUE(goods->Filter()->IsFiltering());
  EXPECT_EQ(goods->RowTexts(gcId), "1,10");
  // The condition links are the view's items; inside, the data fields.
  TcxFilterCriteriaItem* first =
      static_cast<TcxFilterCriteriaItem*>(goods->Filter()->Root()->Items(0));
  EXPECT_EQ(first->ItemLink(), goods->Columns[gcCat].get());
  EXPECT_EQ(goods->Filter()->FindItemByItemLink(goods->Columns[gcQty].get()),
            goods->Filter()->Root()->Items(1));
  EXPECT_EQ(goods->Filter()->FilterText(), "(Cat = 'A') AND (Qty > 5)");

  goods->Filter()->SetActive(false);
  EXPECT_EQ(goods->RowCount(), 10);

  // Active but empty filters nothing.
  goods->Filter()->Root()->Clear();
  goods->Filter()->SetActive(true);
  EXPECT_FALSE(goods->Filter()->IsFiltering());
  EXPECT_EQ(goods->RowCount(), 10);
}

TEST(cxDataFilterTest, RemovingAnItemDropsItsConditions)
{
  auto goods = NewGoods();
  AddCondition(*goods, gcCat, foEqual, "B");
  AddCondition(*goods, gcFlag, foEqual, true);
  goods->Filter()->SetActive(true);
  EXPECT_EQ(goods->RowTexts(gcId), "3,8,9");
  goods->RemoveItem(goods->Columns[gcFlag].get());
  EXPECT_EQ(goods->Filter()->Root()->Count(), 1);
  EXPECT_EQ(goods->RowCount(), 4);
}

TEST(cxDataFilterTest, ActivatingPostsThePendingEditFirst)
{
  auto goods = NewGoods();
  AddCondition(*goods, gcCat, foEqual, "A");
  goods->ChangeFocusedRowIndex(2); // apricot, category B
  goods->Edit();
  goods->SetEditValue(gcCat, "A", evsValue);
  goods->Filter()->SetActive(true);
  EXPECT_FALSE(goods->IsEditing());
  EXPECT_EQ(goods->DisplayText(2, gcCat), "A");
  EXPECT_EQ(goods->RowTexts(gcId), "1,2,3,6,10"); // the posted record passes the filter
}

TEST(cxDataFilterTest, ChangesReportOncePerChange)
{
  auto goods = NewGoods();
  int changes = 0;
  goods->Filter()->OnChanged = [&](TObject*) { ++changes; };
  goods->Filter()->SetActive(true);
  goods->Filter()->SetActive(true);
  EXPECT_EQ(changes, 1);

  auto other = NewGoods();
  AddCondition(*other, gcCat, foEqual, "C");
  other->Filter()->SetActive(false);
  int otherChanges = 0;
  other->Filter()->OnChanged = [&](TObject*) { ++otherChanges; };
  // Assign copies the tree, Active and the events, in one change (reported to the copied
  // handler).
  other->Filter()->Assign(goods->Filter());
  EXPECT_TRUE(other->Filter()->Active());
  EXPECT_TRUE(other->Filter()->IsEmpty());
  EXPECT_EQ(otherChanges, 0);
  EXPECT_EQ(changes, 2);

  AddCondition(*other, gcCat, foEqual, "C");
  EXPECT_EQ(other->RowTexts(gcId), "5,7");
  goods->Filter()->Assign(other->Filter());
  EXPECT_EQ(goods->RowTexts(gcId), "5,7");
}

TEST(cxDataFilterTest, ValueListOfAColumn)
{
  auto c = NewController();
  c->AddColumn("Name", TcxStringValueType::Class());
  c->Fill({{"a"}, {Null()}, {""}, {"b"}, {"a"}});
  AddCondition(*c, 0, foEqual, "b");
  c->Filter()->SetActive(true);
  ASSERT_EQ(c->RowCount(), 1);

  struct Case {
    TcxFilterCriteriaOptions Options;
    const char* Expected;
  } cases[] = {
      // Records the filter hides contribute their values too.
      {{fcoSoftNull}, "0:(All) 1:(Custom...) 2:(Blanks) 3:(NonBlanks) 5:a 5:b"},
      {{}, "0:(All) 1:(Custom...) 2:(Blanks) 3:(NonBlanks) 5: 5:a 5:b"},
  };
  for (const Case& k : cases) {
    c->Filter()->SetOptions(k.Options);
    std::unique_ptr<TcxFilterValueList> list(c->Filter()->CreateValueList());
    auto* values = dynamic_cast<TcxDataFilterValueList*>(list.get());
    ASSERT_NE(values, nullptr);
    values->Load(0);
    EXPECT_EQ(Show(*values), k.Expected);
  }

  // Without blanks there are no blank entries; the handler may add to the list.
  auto goods = NewGoods();
  Integer seen = -1;
  goods->Filter()->OnGetValueList = [&](TcxFilterCriteria*, Integer AItem,
                                        TcxDataFilterValueList* AList) {
    seen = AItem;
    AList->Add(fviValue, "Z", "Z", true);
  };
  std::unique_ptr<TcxFilterValueList> list(goods->Filter()->CreateValueList());
  static_cast<TcxDataFilterValueList*>(list.get())->Load(gcCat);
  EXPECT_EQ(Show(*list), "0:(All) 1:(Custom...) 5:A 5:B 5:C 5:Z");
  EXPECT_EQ(seen, gcCat);
  EXPECT_THROW(static_cast<TcxDataFilterValueList*>(list.get())->Load(40), EListError);
}

TEST(cxDataFilterTest, CriteriaTravelAsADefinedProperty)
{
  auto goods = NewGoods();
  AddCondition(*goods, gcCat, foEqual, "B");
  AddCondition(*goods, gcQty, foLess, 3);
  goods->Filter()->SetActive(true);
  TMemoryStream stream;
  goods->Filter()->SaveToStream(&stream);

  auto copy = NewGoods();
  stream.SetPosition(0);
  copy->Filter()->LoadFromStream(&stream);
  EXPECT_TRUE(copy->Filter()->Active());
  EXPECT_EQ(copy->Filter()->FilterText(), "(Cat = 'B') AND (Qty < 3)");
  EXPECT_EQ(copy->RowTexts(gcId), "4,8,9");
  EXPECT_EQ(copy->Filter()->Root()->Items(0)->Criteria(), copy->Filter());

  // An empty criteria writes no "Criteria" property.
  auto empty = NewGoods();
  TMemoryStream emptyStream;
  empty->Filter()->SaveToStream(&emptyStream);
  std::string bytes(static_cast<const char*>(emptyStream.Memory()), emptyStream.Size());
  EXPECT_EQ(bytes.find("Criteria"), std::string::npos);
  std::string full(static_cast<const char*>(stream.Memory()), stream.Size());
  EXPECT_NE(full.find("Criteria"), std::string::npos);
}

TEST(cxDataFilterTest, ConditionWithoutAFieldReadsNull)
{
  auto goods = NewGoods();
  TcxFilterCriteriaItem* item = AddCondition(*goods, gcName, foEqual, Null());
  Variant v = 1;
  item->GetDataValue(0, v);
  EXPECT_EQ(v.AsString(), "Apple");
  AnsiString caption;
  item->GetFieldCaption(caption);
  EXPECT_EQ(caption, "Name");
  auto* stray = goods->Filter()->Root()->AddCondition(nullptr, foEqual, 1, "1");
  stray->GetDataValue(0, v);
  EXPECT_TRUE(VarIsNull(v));
  stray->GetFieldCaption(caption);
  EXPECT_EQ(caption, "");
}

} // namespace
