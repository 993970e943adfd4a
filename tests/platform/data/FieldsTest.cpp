// Field texts: how currency and fixed-point fields show a value (DisplayText) and offer it
// for editing (Text), with and without pictures, and that an edit text reads back.
#include <gtest/gtest.h>

#include "platform/data/DB.h"
#include "platform/data/MemDataSet.h"

namespace {

struct TMoneyCase {
  const char* Name;
  TFieldType Type;
  bool CurrencyFlag;
  const char* DisplayFormat;
  const char* EditFormat;
  const char* Value; // typed; "" leaves the field Null
  const char* Display;
  const char* Edit;
};

// The field of the case, in a new record of its own dataset, with its flags and pictures.
TField* MakeMoneyField(TMemDataSet& ds, const TMoneyCase& c)
{
  ds.FieldDefs()->Add("N", c.Type);
  ds.CreateDataSet();
  ds.Append();
  TField* f = ds.FieldByName("N");
  if (auto* ff = dynamic_cast<TFloatField*>(f))
    ff->SetCurrency(c.CurrencyFlag);
  if (auto* bf = dynamic_cast<TBCDField*>(f))
    bf->SetCurrency(c.CurrencyFlag);
  static_cast<TNumericField*>(f)->SetDisplayFormat(c.DisplayFormat);
  static_cast<TNumericField*>(f)->SetEditFormat(c.EditFormat);
  if (*c.Value)
    f->SetAsString(c.Value);
  return f;
}

// Display texts show the currency form (symbol, thousands, two decimals, the profile's
// negative form) when the field is a currency field; edit texts keep every stored digit
// unless an edit picture says otherwise, so accepting an unchanged edit loses nothing.
TEST(CurrencyFields, DisplayAndEditTexts)
{
  const TMoneyCase cases[] = {
      {"currency field", ftCurrency, true, "", "", "1234.5", "￥1,234.50", "1234.5"},
      {"negative currency", ftCurrency, true, "", "", "-1234.5", "￥-1,234.50", "-1234.5"},
      {"zero", ftCurrency, true, "", "", "0", "￥0.00", "0"},
      {"half a fen rounds away from zero", ftCurrency, true, "", "", "0.005", "￥0.01", "0.005"},
      {"millions", ftCurrency, true, "", "", "1234567.125", "￥1,234,567.13", "1234567.125"},
      {"null", ftCurrency, true, "", "", "", "", ""},
      {"currency flag off", ftCurrency, false, "", "", "1234.5", "1234.5", "1234.5"},
      {"pictures win over the flag", ftCurrency, true, "#,##0.0", "0.000", "1234.56", "1,234.6",
       "1234.560"},
      {"float with the flag on", ftFloat, true, "", "", "-2.5", "￥-2.50", "-2.5"},
      {"BCD plain", ftBCD, false, "", "", "1234.5", "1234.5", "1234.5"},
      {"BCD smallest step", ftBCD, false, "", "", "-0.0001", "-0.0001", "-0.0001"},
      {"BCD currency", ftBCD, true, "", "", "1234.5", "￥1,234.50", "1234.5"},
      {"BCD negative currency", ftBCD, true, "", "", "-1234.5", "￥-1,234.50", "-1234.5"},
      {"BCD four decimals", ftBCD, true, "", "", "12.3456", "￥12.35", "12.3456"},
      {"BCD display picture", ftBCD, false, "#,##0.00", "", "1234.565", "1,234.57", "1234.565"},
      {"BCD edit picture", ftBCD, false, "", "0.00", "1234.565", "1234.565", "1234.57"},
      {"BCD null", ftBCD, true, "#,##0.00", "0.00", "", "", ""},
      {"FMTBcd rounds up to the next unit", ftFMTBcd, true, "", "", "99999.9999", "￥100,000.00",
       "99999.9999"},
  };
  for (const TMoneyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemDataSet ds;
    TField* f = MakeMoneyField(ds, c);
    EXPECT_EQ(f->DisplayText(), c.Display);
    EXPECT_EQ(f->Text(), c.Edit);
  }
}

// Writing back the edit text of a field without an edit picture stores the same value,
// whatever the display shows.
TEST(CurrencyFields, EditTextReadsBackUnchanged)
{
  const TMoneyCase cases[] = {
      {"currency", ftCurrency, true, "", "", "1234567.125", "", ""},
      {"currency with a display picture", ftCurrency, true, "#,##0.00", "", "-0.005", "", ""},
      {"BCD", ftBCD, true, "", "", "-922337203685477.5807", "", ""},
      {"BCD with a display picture", ftBCD, false, "0.0", "", "0.0001", "", ""},
  };
  for (const TMoneyCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemDataSet ds;
    TField* f = MakeMoneyField(ds, c);
    const Variant before = f->AsVariant();
    f->SetText(f->Text());
    EXPECT_EQ(VarCompareValue(f->AsVariant(), before), vrEqual) << f->Text();
  }
}

} // namespace
