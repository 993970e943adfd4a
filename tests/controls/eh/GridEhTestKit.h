// Shared fixture of the grid's tests: a fresh headless backend, the fixed-metric test font
// (Latin 7 px, CJK 13 px, 13 px high), a fixed system palette, the "orders" dataset with its
// "countries" lookup dataset, and a grid of 400 x 200 on a form.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "controls/eh/DBGridEh.h"
#include "platform/data/MemDataSet.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/backend/headless/Headless.h"

namespace ehtest {

// The countries: ID, Name.
inline std::unique_ptr<TMemDataSet> MakeCountries()
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("Countries");
  ds->FieldDefs()->Add("ID", ftInteger);
  ds->FieldDefs()->Add("Name", ftString, 20);
  ds->CreateDataSet();
  const char* names[] = {"North", "South", "East", "West"};
  for (Integer i = 0; i < 4; ++i)
    ds->AppendRecord({Variant(i + 1), Variant(names[i])});
  ds->First();
  return ds;
}

template <class F> F* AddField(TDataSet* DataSet, const AnsiString& Name, Integer Size = 0)
{
  auto* f = new F(DataSet);
  f->SetFieldName(Name);
  if (Size > 0)
    f->SetSize(Size);
  f->SetDataSet(DataSet);
  return f;
}

// The orders: ID, Name, City, Qty, Price ("0.00"), Amount, Born, Paid, Flag, Notes,
// CountryID, the lookup Country and the calculated Total = Qty * Price; ten records.
inline std::unique_ptr<TMemDataSet> MakeOrders(TDataSet* Countries, bool Sequenced = true)
{
  auto ds = std::make_unique<TMemDataSet>();
  ds->SetName("Orders");
  ds->SetSequenced(Sequenced);
  AddField<TIntegerField>(ds.get(), "ID")->SetRequired(true);
  AddField<TStringField>(ds.get(), "Name", 20)->SetRequired(true);
  AddField<TStringField>(ds.get(), "City", 20);
  AddField<TIntegerField>(ds.get(), "Qty");
  AddField<TFloatField>(ds.get(), "Price")->SetDisplayFormat("0.00");
  auto* amount = AddField<TBCDField>(ds.get(), "Amount", 2);
  amount->SetPrecision(10);
  AddField<TDateField>(ds.get(), "Born");
  AddField<TBooleanField>(ds.get(), "Paid");
  AddField<TStringField>(ds.get(), "Flag", 1);
  AddField<TMemoField>(ds.get(), "Notes");
  AddField<TIntegerField>(ds.get(), "CountryID");
  auto* country = new TStringField(ds.get());
  country->SetFieldName("Country");
  country->SetSize(20);
  country->SetFieldKind(fkLookup);
  country->SetLookupDataSet(Countries);
  country->SetKeyFields("CountryID");
  country->SetLookupKeyFields("ID");
  country->SetLookupResultField("Name");
  country->SetDataSet(ds.get());
  auto* total = new TFloatField(ds.get());
  total->SetFieldName("Total");
  total->SetFieldKind(fkCalculated);
  total->SetDataSet(ds.get());
  ds->OnCalcFields = [](TDataSet* d) {
    TField* q = d->FieldByName("Qty");
    TField* p = d->FieldByName("Price");
    if (q->IsNull() || p->IsNull())
      d->FieldByName("Total")->Clear();
    else
      d->FieldByName("Total")->SetAsFloat(q->AsInteger() * p->AsFloat());
  };
  ds->CreateDataSet();
  Variant N = Null();
  auto date = [](Integer y, Integer m, Integer d) { return VarFromDateTime(EncodeDate(y, m, d)); };
  struct TRow {
    Integer Id;
    const char* Name;
    const char* City;
    Variant Qty, Price, Amount, Born, Paid, Flag, Notes, Country;
  };
  TRow rows[] = {
      {1, "Cab", "Harbin", 5, 1.50, 7.50, date(1980, 1, 2), true, "Y", "line1\nline2", 1},
      {2, "Abc", "Dalian", N, 2.25, 0.00, date(1975, 6, 30), false, "y", N, 2},
      {3, "aBd", "Xian", 7, N, 12.35, N, N, "N", "", 3},
      {4, "Delta", "Harbin", 10, 3.00, 30.00, date(1990, 12, 31), true, "x", "a", N},
      {5, "Echo", "Wuhan", 0, 0.10, 0.05, date(2000, 2, 29), false, N, N, 1},
      {6, "张三", "Suzhou", 3, 9.99, 29.97, date(1985, 5, 5), true, "Y", "中文备注", 2},
      {7, "Golf", "Dalian", 12, 1.00, 12.00, date(1970, 1, 1), false, "N", N, 4},
      {8, "Hotel", "Harbin", 1, 100.00, 100.00, date(1999, 9, 9), true, "y", N, 99},
      {9, "India", "Xian", 2, 2.50, 5.00, date(2001, 1, 1), false, "Y", N, 3},
      {10, "Juliet", "Wuhan", 4, 0.25, 1.00, date(1988, 8, 8), true, "N", N, 1},
  };
  for (const TRow& r : rows)
    ds->AppendRecord({Variant(r.Id), Variant(r.Name), Variant(r.City), r.Qty, r.Price, r.Amount,
                      r.Born, r.Paid, r.Flag, r.Notes, r.Country});
  ds->First();
  return ds;
}

// The palette the tests pin their colours to.
inline void SetTestPalette()
{
  SetSysColor(COLOR_WINDOW, RGB(255, 255, 255));
  SetSysColor(COLOR_WINDOWTEXT, RGB(0, 0, 0));
  SetSysColor(COLOR_BTNFACE, RGB(240, 240, 240));
  SetSysColor(COLOR_BTNSHADOW, RGB(160, 160, 160));
  SetSysColor(COLOR_HIGHLIGHT, RGB(0, 120, 215));
  SetSysColor(COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255));
}

class GridEhTest : public testing::Test {
protected:
  std::unique_ptr<TTextEngine> Engine = CreateFixedTextEngine(TFixedMetrics{7, 13, 11, 2, 0, 0});
  TForm* Form = nullptr;
  TDBGridEh* Grid = nullptr;
  TDataSource* Source = nullptr;
  std::unique_ptr<TMemDataSet> Countries;
  std::unique_ptr<TMemDataSet> Orders;

  void SetUp() override
  {
    Headless().Reset();
    Application()->Restart();
    SetDefaultTextEngine(Engine.get());
    SetTestPalette();
    Countries = MakeCountries();
    Orders = MakeOrders(Countries.get());
  }
  void TearDown() override
  {
    delete Form;
    Form = nullptr;
    delete Source;
    Orders.reset();
    Countries.reset();
    while (Screen()->FormCount() > 0)
      delete Screen()->Forms(Screen()->FormCount() - 1);
    Application()->Restart();
    Headless().Reset();
    SetDefaultTextEngine(nullptr);
    SetScreenColorCountForTests(-1);
  }
  // A form of 400 x 220 with the grid at (0, 0, 400, 200) and no border; bound to the
  // orders unless told otherwise.
  TDBGridEh* MakeGrid(bool Bind = true, Integer Height = 200)
  {
    Form = new TForm(nullptr);
    Form->SetBounds(20, 20, 420, 260);
    Grid = new TDBGridEh(Form);
    Grid->SetBorderStyle(bsNone);
    Grid->SetBounds(0, 0, 400, Height);
    Grid->SetParent(Form);
    Source = new TDataSource();
    if (Bind) {
      Source->SetDataSet(Orders.get());
      Grid->SetDataSource(Source);
    }
    Form->Show();
    Headless().ProcessMessages();
    return Grid;
  }
  TColumnEh* Col(const AnsiString& Name)
  {
    for (Integer i = 0; i < Grid->Columns()->Count(); ++i)
      if (AnsiSameText(Grid->Columns()->Items(i)->FieldName(), Name))
        return Grid->Columns()->Items(i);
    return nullptr;
  }
};

} // namespace ehtest
