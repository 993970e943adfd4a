// The filter row's expression language (a table of texts with their parse, canonical text
// or exact error), column filters (failed texts change nothing, lookup columns filter by
// keys), applying through the data service and the nearest registered dataset features, and
// the column order as text.
#include "platform/data/MemDataSet.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"
#include "tests/controls/eh/GridEhTestKit.h"

using namespace ehtest;

namespace {

// A parsed expression written as text for the table: "(op, operand) AND (op, operand)";
// numbers print as "5.0", texts in double quotes, lists in brackets, Null as null.
AnsiString Operand(const Variant& V)
{
  if (VarIsNull(V))
    return "null";
  if (VarIsArray(V)) {
    AnsiString s = "[";
    for (Integer i = VarArrayLowBound(V, 1); i <= VarArrayHighBound(V, 1); ++i)
      s += (i > VarArrayLowBound(V, 1) ? ", " : "") + Operand(VarArrayGet(V, {i}));
    return s + "]";
  }
  if (VarType(V) == varDouble)
    return FormatFloat("0.0###", V.AsDouble(), InvariantFormatSettings());
  if (VarType(V) == varDate)
    return "date " + FormatDateTime("yyyy-mm-dd", V.AsDateTime());
  return "\"" + VarToStr(V) + "\"";
}

AnsiString Describe(const TSTFilterExpressionEh& E)
{
  if (E.FirstOperator == fopNoneEh)
    return "reset";
  auto cond = [](TSTFilterOpEh op, const Variant& v) {
    if (op == fopIsNullEh)
      return AnsiString("is-null");
    if (op == fopIsNotNullEh)
      return AnsiString("is-not-null");
    return "(" + AnsiString(STFilterOperatorTexts[op]) + ", " + Operand(v) + ")";
  };
  AnsiString s = cond(E.FirstOperator, E.FirstOperand);
  if (E.Conjunction != fopNoneEh)
    s += " " + AnsiString(STFilterOperatorTexts[E.Conjunction]) + " " +
         cond(E.SecondOperator, E.SecondOperand);
  return s;
}

struct TFilterCase {
  const char* Text;
  TSTFilterValueKindEh Kind;
  char Separator;
  const char* Result;    // the parse, or the error message
  const char* Canonical; // nullptr: not checked
};

} // namespace

TEST(GridEhFilterLanguage, TextsParseToConditionsOrExactErrors)
{
  TFormatSettings saved = FormatSettings;
  FormatSettings.ShortDateFormat = "yyyy-mm-dd";
  FormatSettings.DateSeparator = '-';
  const TFilterCase cases[] = {
      {"", fvkStringEh, '.', "reset", ""},
      {"   ", fvkStringEh, '.', "reset", ""},
      {"abc", fvkStringEh, '.', "(~, \"abc\")", "~ 'abc'"},
      {"5", fvkNumberEh, '.', "(=, 5.0)", "= 5"},
      {"a,b", fvkStringEh, '.', "(In, [\"a\", \"b\"])", "In ('a','b')"},
      {"1,5", fvkNumberEh, ',', "(=, 1.5)", nullptr},
      {"1,5", fvkNumberEh, '.', "(In, [1.0, 5.0])", "In (1,5)"},
      {">= 5 AND <= 10", fvkNumberEh, '.', "(>=, 5.0) AND (<=, 10.0)", ">= 5 AND <= 10"},
      {"In (1,2)", fvkNumberEh, '.', "(In, [1.0, 2.0])", "In (1,2)"},
      {"in(1,2)", fvkNumberEh, '.', "(In, [1.0, 2.0])", nullptr},
      {"NOT IN (1,2)", fvkNumberEh, '.', "(!In, [1.0, 2.0])", "!In (1,2)"},
      {"IN 1,2", fvkNumberEh, '.', "'(' expected: IN 1,2", nullptr},
      {"=Null", fvkStringEh, '.', "is-null", "=Null"},
      {"<>Null", fvkStringEh, '.', "is-not-null", "<>Null"},
      {">Null", fvkStringEh, '.', "Unexpected expression before Null: >Null", nullptr},
      {"!Null", fvkStringEh, '.', "Unexpected expression after operator: !Null", nullptr},
      {"Null", fvkStringEh, '.', "Unexpected expression after operator: Null", nullptr},
      {"= 'a b'", fvkStringEh, '.', "(=, \"a b\")", "= 'a b'"},
      {"= a b", fvkStringEh, '.', "(=, \"a b\")", nullptr},
      {"= a >5", fvkStringEh, '.', "Unexpected AND or OR: = a >5", nullptr},
      {"'abc", fvkStringEh, '.', "Quote is absent: 'abc", nullptr},
      {"'it''s'", fvkStringEh, '.', "Unexpected AND or OR: 'it''s'", nullptr},
      {"(1)", fvkNumberEh, '.', "Error in expression: (1)", nullptr},
      {"!~ x OR =Null", fvkStringEh, '.', "(!~, \"x\") OR is-null", "!~ 'x' OR =Null"},
      {"In (a, b)", fvkStringEh, '.', "(In, [\"a\", \" b\"])", "In ('a',' b')"},
      {"=1 OR In (2,3", fvkNumberEh, '.', "(=, 1.0) OR (In, [2.0, 3.0])", nullptr},
      {"In (2,3 OR =1", fvkNumberEh, '.', "')' expected: In (2,3 OR =1", nullptr},
      {">1 AND <5 AND >2", fvkNumberEh, '.', "Incorrect expression: >1 AND <5 AND >2", nullptr},
      {">1 AND", fvkNumberEh, '.', "(>, 1.0) AND (, null)", nullptr}, // a conjunction alone
      {"x & y", fvkStringEh, '.', "(~, \"x\") AND (~, \"y\")", nullptr},
      {">=2001-01-01", fvkDateTimeEh, '.', "(>=, date 2001-01-01)", ">= 2001-01-01"},
  };
  for (const TFilterCase& c : cases) {
    SCOPED_TRACE(c.Text);
    FormatSettings.DecimalSeparator = c.Separator;
    TSTFilterExpressionEh e;
    e.ValueKind = c.Kind;
    AnsiString result;
    try {
      ParseSTFilterText(c.Text, e);
      result = Describe(e);
    } catch (const Exception& ex) {
      result = ex.Message();
    }
    EXPECT_EQ(result, c.Result);
    if (c.Canonical) {
      EXPECT_EQ(STFilterExpressionText(e), c.Canonical);
    }
    // The canonical text parses back to the same expression.
    if (c.Canonical && *c.Canonical) {
      TSTFilterExpressionEh again;
      again.ValueKind = c.Kind;
      ParseSTFilterText(c.Canonical, again);
      EXPECT_EQ(Describe(again), Describe(e));
    }
  }
  FormatSettings = saved;
}

TEST(GridEhFilterLanguage, FieldTypesGiveValueKinds)
{
  EXPECT_EQ(STFilterValueKindOf(ftWideString), fvkStringEh);
  EXPECT_EQ(STFilterValueKindOf(ftFMTBcd), fvkNumberEh);
  EXPECT_EQ(STFilterValueKindOf(ftTimeStamp), fvkDateTimeEh);
  EXPECT_EQ(STFilterValueKindOf(ftBoolean), fvkBooleanEh);
  EXPECT_EQ(STFilterValueKindOf(ftBlob), fvkOtherEh);
}

using GridEhColumnFilter = GridEhTest;

TEST_F(GridEhColumnFilter, ATextThatFailsChangesNeitherTextNorExpression)
{
  MakeGrid();
  TSTColumnFilterEh* qty = Col("Qty")->STFilter();
  qty->SetFilterText(">= 5 AND <= 10");
  ASSERT_EQ(qty->Expression().FirstOperator, fopGreaterOrEqualEh);
  // A number that does not convert, and a syntax error after a good first condition.
  for (const char* bad : {">x", "=3 AND >", "=1 OR =2 OR =3"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(qty->SetFilterText(bad), Exception);
    EXPECT_EQ(qty->FilterText(), ">= 5 AND <= 10");
    EXPECT_EQ(Describe(qty->Expression()), "(>=, 5.0) AND (<=, 10.0)");
  }
  EXPECT_EQ(qty->CanonicalText(), ">= 5 AND <= 10");
  EXPECT_EQ(qty->FilterFieldName(), "Qty");
  qty->Clear();
  EXPECT_EQ(qty->FilterText(), "");
  EXPECT_EQ(qty->Expression().FirstOperator, fopNoneEh);
  EXPECT_EQ(Grid->FilterCellText(Col("Qty")->Index()), "");
}

TEST_F(GridEhColumnFilter, LookupColumnsFilterByMatchedKeys)
{
  MakeGrid();
  TSTColumnFilterEh* country = Col("Country")->STFilter();
  EXPECT_EQ(country->LookupKeyFieldName(), "ID");
  EXPECT_EQ(country->FilterFieldName(), "CountryID");
  country->SetFilterText("East");
  EXPECT_EQ(country->Expression().FirstOperator, fopInEh);
  EXPECT_EQ(country->FirstOperandValue().AsInteger(), 3);
  country->SetFilterText("Nowhere");
  EXPECT_EQ(country->Expression().FirstOperator, fopIsNullEh);
  EXPECT_TRUE(VarIsNull(country->FirstOperandValue()));
  country->SetFilterText("");
  EXPECT_EQ(country->Expression().FirstOperator, fopNoneEh);
}

TEST_F(GridEhColumnFilter, ApplyingGoesToTheHandlerOrTheNearestFeatures)
{
  MakeGrid();
  Grid->SetSTFilterVisible(true);
  EXPECT_EQ(Grid->HeaderRowCount(), 2);
  // No handler and no features: the data stay as they are.
  Col("City")->STFilter()->SetFilterText("Harbin");
  Grid->ApplyFilterNow();
  EXPECT_EQ(Orders->RecordCount(), 10);

  // A handler reads the parsed filters; one that raises still leaves the view restored.
  std::vector<AnsiString> seen;
  SharedGridDataService()->OnApplyGridFilter = [&](TCustomDBGridEh* g) {
    for (Integer i = 0; i < g->Columns()->Count(); ++i) {
      TSTColumnFilterEh* f = g->Columns()->Items(i)->STFilter();
      if (f->Expression().FirstOperator != fopNoneEh)
        seen.push_back(f->FilterFieldName() + " " + f->CanonicalText());
    }
  };
  Grid->ApplyFilterNow();
  EXPECT_EQ(seen, (std::vector<AnsiString>{"City ~ 'Harbin'"}));
  Integer left = Grid->FixedCols() + 2;
  Grid->SetLeftCol(left);
  SharedGridDataService()->OnApplyGridFilter = [](TCustomDBGridEh* g) {
    g->SetLeftCol(g->FixedCols());
    throw Exception("refused");
  };
  EXPECT_THROW(Grid->ApplyFilterNow(), Exception);
  EXPECT_EQ(Grid->LeftCol(), left);
  SharedGridDataService()->OnApplyGridFilter = nullptr;

  // Features registered for a base class and for the memory dataset: the nearest wins.
  struct TSpy : TDatasetFeaturesEh {
    using TDatasetFeaturesEh::TDatasetFeaturesEh;
    Integer Filters = 0;
    void ApplyFilter(TCustomDBGridEh*, TDataSet*, bool) override { ++Filters; }
  };
  auto* base = new TSpy(ClassInfoOf(typeid(TDataSet)));
  auto* mem = new TSpy(ClassInfoOf(typeid(TMemDataSet)));
  DatasetFeaturesRegistry()->AddObject("TDataSet", base);
  DatasetFeaturesRegistry()->AddObject("TMemDataSet", mem);
  EXPECT_EQ(FindDatasetFeatures(Orders.get()), mem);
  EXPECT_EQ(DatasetFeaturesDistance(Orders->ClassType(), "tdataset"), 1);
  EXPECT_EQ(DatasetFeaturesDistance(Orders->ClassType(), "TStringList"), INT_MAX);
  Grid->ApplyFilterNow();
  EXPECT_EQ(mem->Filters, 1);
  EXPECT_EQ(base->Filters, 0);
  Grid->ClearFilter();
  EXPECT_EQ(Col("City")->STFilter()->FilterText(), "");
  for (Integer i = DatasetFeaturesRegistry()->Count() - 1; i >= 0; --i) {
    delete DatasetFeaturesRegistry()->Objects(i);
    DatasetFeaturesRegistry()->Delete(i);
  }
}

TEST_F(GridEhColumnFilter, ColumnOrderAsText)
{
  MakeGrid(false);
  for (const char* n : {"A", "B", "C"})
    Grid->Columns()->Add()->SetFieldName(n);
  EXPECT_EQ(ColumnsIndexText(Grid->Columns()), "\"A\",\"B\",\"C\"");
  TColumnsEhPropertyInterceptor interceptor(Grid->Columns());
  interceptor.SetColumnsIndex("\"B\",\"A\"");
  EXPECT_EQ(interceptor.ColumnsIndex(), "\"B\",\"A\",\"C\"");
  interceptor.SetColumnsIndex("\"x\",\"C\"");
  EXPECT_EQ(ColumnsIndexText(Grid->Columns()), "\"B\",\"C\",\"A\"") << "unknown names skipped";
  Grid->Columns()->Clear();
  Grid->Columns()->Add();
  Grid->Columns()->Add();
  EXPECT_EQ(ColumnsIndexText(Grid->Columns()), "\"\",\"\"");
  // Width through the interceptor: the base width of an auto-fit grid's column.
  TColumnEh* c = Grid->Columns()->Items(0);
  TColumnEhPropertyInterceptor w(c);
  w.SetWidth(90);
  EXPECT_EQ(c->Width(), 90);
  Grid->SetAutoFitColWidths(true);
  Integer current = c->Width();
  w.SetWidth(40);
  EXPECT_EQ(c->AutoFitBaseWidth(), 40);
  EXPECT_EQ(c->Width(), current);
}
