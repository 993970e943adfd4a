// The adapter registry, the field helpers and the dataset controller's filter and summary
// item.
#include "controls/cx/data/cxDB.h"

#include <gtest/gtest.h>

#include "controls/cx/data/cxDBData.h"
#include "controls/cx/data/cxDBFilter.h"
#include "platform/data/ADODB.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/TypInfo.h"
#include "tests/controls/cx/data/support/TestDataSets.h"
#include "tests/controls/cx/data/support/TestSupport.h"

using namespace cxtest;

namespace {

// A class between TDataSet and the query class, and one beside them.
class TMiddleDataSet : public TMemDataSet {};
class TMiddleQuery : public TMiddleDataSet {};
class TOtherDataSet : public TMemDataSet {};

TClass RegisterTestClasses()
{
  TClassRegistration<TMiddleDataSet, TMemDataSet>("TMiddleDataSet");
  TClassRegistration<TMiddleQuery, TMiddleDataSet>("TMiddleQuery");
  TClassRegistration<TOtherDataSet, TMemDataSet>("TOtherDataSet");
  TClassRegistration<TcxDBAdapterItem, TObject>("TcxDBAdapterItem");
  return ClassInfoOf<TMiddleQuery>();
}

// An adapter class of its own for the registry tests.
class TTestAdapter : public TcxDBAdapterItem {
public:
  using TcxDBAdapterItem::TcxDBAdapterItem;
};

TClass TestAdapterClass()
{
  static TClass cls = TClassRegistration<TTestAdapter, TcxDBAdapterItem>("TTestAdapter")
                          .Abstract()
                          .ClassOps<TcxDBAdapterItemOps<TTestAdapter>>();
  return cls;
}

std::string Targets(TcxDBAdapterList& AList)
{
  std::string out;
  for (Integer i = 0; i < AList.Count(); ++i)
    out += (i ? "," : "") + AList.Items(i)->TargetDataSetClass()->Name;
  return out;
}

TEST(cxDBTest, AdaptersKeepAncestorsFirst)
{
  RegisterTestClasses();
  TcxDBAdapterList list;
  TClass adapter = TestAdapterClass();
  list.RegisterAdapter(ClassInfoOf<TDataSet>(), adapter);
  list.RegisterAdapter(ClassInfoOf<TMiddleQuery>(), adapter);
  list.RegisterAdapter(ClassInfoOf<TMiddleDataSet>(), adapter);
  EXPECT_EQ(Targets(list), "TDataSet,TMiddleDataSet,TMiddleQuery");
  Integer index = -1;
  struct TDerivedQuery : TMiddleQuery {
  } derived;
  EXPECT_TRUE(list.FindAdapterIndex(derived.ClassType(), index));
  EXPECT_EQ(index, 2);
  EXPECT_TRUE(list.FindAdapterIndex(ClassInfoOf<TOtherDataSet>(), index));
  EXPECT_EQ(index, 0);
  // An unrelated class goes to the end, an ancestor before its first registered descendant.
  TcxDBAdapterList other;
  other.RegisterAdapter(ClassInfoOf<TMiddleQuery>(), adapter);
  other.RegisterAdapter(ClassInfoOf<TOtherDataSet>(), adapter);
  other.RegisterAdapter(ClassInfoOf<TMiddleDataSet>(), adapter);
  EXPECT_EQ(Targets(other), "TMiddleDataSet,TMiddleQuery,TOtherDataSet");
  index = -1;
  EXPECT_FALSE(other.FindAdapterIndex(ClassInfoOf<TMemDataSet>(), index));
  EXPECT_EQ(index, 0); // the lowest registered descendant
  other.UnregisterAdapter(ClassInfoOf<TMiddleQuery>(), adapter);
  EXPECT_EQ(Targets(other), "TMiddleDataSet,TOtherDataSet");
  EXPECT_THROW(other.Items(5), EListError);
}

TEST(cxDBTest, FieldHelpers)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("Order Date", ftDateTime);
  ds.FieldDefs()->Add("Name", ftString, 10);
  ds.FieldDefs()->Add("Note", ftMemo);
  ds.FieldDefs()->Add("Paid", ftBoolean);
  ds.FieldDefs()->Add("Amount", ftFloat);
  ds.CreateDataSet();
  AnsiString name;
  FieldFilterName(ds.FieldByName("Order Date"), true, name);
  EXPECT_EQ(name, "[Order Date]");
  FieldFilterName(ds.FieldByName("Name"), false, name);
  EXPECT_EQ(name, "Name");
  ds.FieldByName("Name")->SetOrigin("CUSTOMERS.NAME");
  FieldFilterName(ds.FieldByName("Name"), false, name);
  EXPECT_EQ(name, "CUSTOMERS.NAME");
  FieldFilterName(ds.FieldByName("Name"), true, name);
  EXPECT_EQ(name, "Name");
  FieldFilterName(nullptr, false, name);
  EXPECT_EQ(name, "");

  // A BLOB takes text only through a handler, but any value.
  TField* note = ds.FieldByName("Note");
  EXPECT_FALSE(CanModifyFieldValue(note, false));
  EXPECT_TRUE(CanModifyFieldValue(note, true));
  note->OnSetText = [](TField*, const AnsiString&) {};
  EXPECT_TRUE(CanModifyFieldValue(note, false));
  EXPECT_TRUE(CanModifyFieldValue(ds.FieldByName("Name"), false));

  auto* amount = static_cast<TFloatField*>(ds.FieldByName("Amount"));
  EXPECT_FALSE(FieldHasDisplayFormatting(amount, true));
  amount->SetCurrency(true);
  EXPECT_TRUE(FieldHasDisplayFormatting(amount, false));
  amount->SetCurrency(false);
  amount->SetDisplayFormat("0.00");
  EXPECT_TRUE(FieldHasDisplayFormatting(amount, false));
  EXPECT_TRUE(FieldHasDisplayFormatting(ds.FieldByName("Paid"), true));
  EXPECT_FALSE(FieldHasDisplayFormatting(ds.FieldByName("Paid"), false));
  EXPECT_FALSE(FieldHasDisplayFormatting(ds.FieldByName("Order Date"), true));
  ds.FieldByName("Name")->SetEditMask("000");
  EXPECT_TRUE(FieldHasDisplayFormatting(ds.FieldByName("Name"), false));

  struct Case {
    const char* Names;
    bool Multi;
    Integer Count;
  } cases[] = {{"", false, 0},   {"a", false, 1},   {"a;", false, 1},
               {"a;b", true, 2}, {"a;;b", true, 3}, {" a ; b ", true, 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsMultiFieldNameList(c.Names), c.Multi) << c.Names;
    EXPECT_EQ(FieldNameListCount(c.Names), c.Count) << c.Names;
  }
  TStringList list;
  SplitFieldNameList(" a ; b ", &list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(1), "b");
  EXPECT_TRUE(AnsiTextsEqualNoCase("custid", "CustId"));
}

TEST(cxDBTest, QueryDataSetsWriteNullConditionsInTheirSqlForm)
{
  RegisterTestClasses();
  TMemDataSet table;
  TMiddleQuery query;
  for (TMemDataSet* ds : {&table, static_cast<TMemDataSet*>(&query)})
    FillCustomers(*ds);
  TADOQuery ado;
  EXPECT_NE(GetFilterOperatorAdapter(&ado), nullptr);
  EXPECT_EQ(GetFilterOperatorAdapter(nullptr), nullptr);

  struct Case {
    TMemDataSet* DataSet;
    const char* Expected;
  } cases[] = {{&table, "(City = NULL) AND (Name <> NULL)"},
               {&query, "(City IS NULL) AND (Name IS NOT NULL)"}};
  for (const Case& c : cases) {
    TDataSource source;
    source.SetDataSet(c.DataSet);
    auto view = NewDBController(&source);
    Integer name = view->AddFieldColumn("Name", "Name");
    Integer city = view->AddFieldColumn("City", "City");
    view->Filter()->Root()->AddCondition(view->Columns[city].get(), foEqual, Null(), "");
    view->Filter()->Root()->AddCondition(view->Columns[name].get(), foNotEqual, Null(), "");
    EXPECT_EQ(view->Filter()->FilterText(), c.Expected);
    // The dataset's filter parser reads what the criteria write.
    view->Filter()->SetAutoDataSetFilter(true);
    view->Filter()->SetActive(true);
    EXPECT_EQ(c.DataSet->Filter(), c.Expected);
    EXPECT_EQ(view->RowTexts(name), "Dee");
  }
}

struct TFilteredView {
  TFilteredView()
  {
    FillCustomers(DataSet);
    DataSet.Last();
    DataSet.Edit();
    DataSet.FieldByName("Name")->SetAsString("O'Brien");
    DataSet.Post();
    Source.SetDataSet(&DataSet);
    View = NewDBController(&Source);
    Name = View->AddFieldColumn("Name", "Name");
    City = View->AddFieldColumn("City", "City");
  }
  TMemDataSet DataSet;
  TDataSource Source;
  std::unique_ptr<TTestDBController> View;
  Integer Name, City;
};

TEST(cxDBTest, AutoDataSetFilterHandsTheFilterToTheDataSet)
{
  TFilteredView v;
  TcxDBDataFilterCriteria* filter = v.View->Filter();
  filter->SetAutoDataSetFilter(true);
  filter->Root()->AddCondition(v.View->Columns[v.Name].get(), foEqual, "O'Brien", "O'Brien");
  filter->SetActive(true);
  EXPECT_EQ(v.DataSet.Filter(), "(Name = 'O''Brien')");
  EXPECT_TRUE(v.DataSet.Filtered());
  EXPECT_FALSE(filter->IsFiltering()); // the dataset filters
  EXPECT_EQ(v.View->RowTexts(v.Name), "O'Brien");

  filter->SetActive(false);
  EXPECT_EQ(v.DataSet.Filter(), "(Name = 'O''Brien')");
  EXPECT_FALSE(v.DataSet.Filtered());
  EXPECT_EQ(v.View->RecordCount(), 10);

  filter->SetOptions({fcoCaseInsensitive});
  EXPECT_TRUE(v.DataSet.FilterOptions().Contains(foCaseInsensitive));

  filter->SetActive(true);
  filter->Root()->Clear();
  EXPECT_EQ(v.DataSet.Filter(), "");
  EXPECT_FALSE(v.DataSet.Filtered());

  // A change that leaves the dataset's filter state as it is does not touch the dataset.
  int reloads = 0;
  v.View->OnDataChanged = [&](TObject*) { ++reloads; };
  filter->SetOptions({fcoCaseInsensitive, fcoSoftCompare});
  EXPECT_EQ(reloads, 1); // the controller's own refresh only
}

TEST(cxDBTest, BeforeChangeSeesTheTextAndTheViewDoesNotFilter)
{
  TFilteredView v;
  TcxDBDataFilterCriteria* filter = v.View->Filter();
  std::vector<std::string> texts;
  filter->OnBeforeChange = [&](TcxDBDataFilterCriteria*, TDataSet* ds, const AnsiString& text) {
    EXPECT_EQ(ds, &v.DataSet);
    texts.push_back(text);
  };
  filter->OnFormatFilterTextValue = [](TcxDBDataFilterCriteria*, const Variant&, AnsiString& text) {
    text = "<" + text + ">";
  };
  filter->Root()->AddCondition(v.View->Columns[v.City].get(), foEqual, "Xian", "Xian");
  filter->SetActive(true);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "(City = <'Xian'>)");
  EXPECT_FALSE(filter->IsFiltering());
  EXPECT_EQ(v.View->RecordCount(), 10);
}

TEST(cxDBTest, FailingBrowseCheckSwitchesTheFilterOff)
{
  TFilteredView v;
  TcxDBDataFilterCriteria* filter = v.View->Filter();
  filter->Root()->AddCondition(v.View->Columns[v.City].get(), foEqual, "Xian", "Xian");
  v.DataSet.FieldByName("Name")->SetRequired(true);
  v.DataSet.Edit();
  v.DataSet.FieldByName("Name")->Clear();
  EXPECT_THROW(filter->SetActive(true), EDatabaseError);
  EXPECT_FALSE(filter->Active());
  v.DataSet.Cancel();
  filter->SetActive(true);
  EXPECT_EQ(v.View->RowCount(), 4);
}

TEST(cxDBTest, CriteriaDefaultsAndAssign)
{
  TFilteredView v;
  TcxDBDataFilterCriteria* filter = v.View->Filter();
  EXPECT_TRUE(filter->IgnoreOrigin());
  filter->SetAutoDataSetFilter(true);
  filter->SetIgnoreOrigin(false);
  TFilteredView w;
  w.View->Filter()->Assign(filter);
  EXPECT_TRUE(w.View->Filter()->AutoDataSetFilter());
  EXPECT_FALSE(w.View->Filter()->IgnoreOrigin());
  filter->RestoreDefaults();
  EXPECT_FALSE(filter->AutoDataSetFilter());
  EXPECT_TRUE(filter->IgnoreOrigin());
}

TEST(cxDBTest, SummaryItemNamesItsOwnField)
{
  TMemDataSet orders;
  FillOrders(orders, false);
  TDataSource source;
  source.SetDataSet(&orders);
  auto view = NewDBController(&source);
  view->AddFieldColumn("Id", "OrderId");
  auto* item = static_cast<TcxDBDataSummaryItem*>(view->Summary()->FooterSummaryItems()->Add());
  item->SetKind(skSum);
  item->SetFieldName("Amount"); // no column shows it
  ASSERT_NE(item->GetField(), nullptr);
  EXPECT_EQ(view->Summary()->FooterSummaryValues(0).AsInteger(), 12750); // 10 * (1 + ... + 50)
  item->SetFieldName("");
  EXPECT_EQ(item->GetField(), nullptr);
}

} // namespace
