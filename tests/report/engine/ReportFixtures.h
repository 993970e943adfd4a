// Reports the document, prepared-pages and build tests share: a list report over a user
// dataset "Data" (Name, Amount).
#pragma once

#include <vector>

#include "platform/rtl/NumFormat.h"
#include "report/engine/frxClass.h"

struct TListRow {
  AnsiString Name;
  Variant Amount;
};

// The program's dataset "Data" over a table of rows.
class TListData : public TfrxUserDataSet {
public:
  explicit TListData(std::vector<TListRow> Rows) : TfrxUserDataSet(nullptr), FRows(std::move(Rows))
  {
    SetUserName("Data");
    Fields()->SetText("Name\r\nAmount");
    SetRangeEnd(reCount);
    SetRangeEndCount(static_cast<Integer>(FRows.size()));
    OnGetValue = [this](const Variant& Field, Variant& Value) {
      // Past the last record (a title printed after an earlier run) there is no value.
      if (RecNo() < 0 || RecNo() >= static_cast<Integer>(FRows.size()))
        return;
      const TListRow& row = FRows[static_cast<size_t>(RecNo())];
      Value = VarToStr(Field) == "Name" ? Variant(row.Name) : row.Amount;
    };
  }

private:
  std::vector<TListRow> FRows;
};

// Rows N1..Nn with Amount i / 4.
inline std::vector<TListRow> NumberedRows(Integer Count)
{
  std::vector<TListRow> rows;
  for (Integer i = 1; i <= Count; ++i)
    rows.push_back({"N" + IntToStr(i), Variant(static_cast<double>(i) / 4)});
  return rows;
}

// One A4 page (margins 10 mm): ReportTitle1 (Memo1 "Orders"), MasterData1 on Data with
// Memo2 [Data."Name"] and Memo3 [Data."Amount"] as "%2.2f", PageFooter1 with Memo5
// "[Page]/[Page#]".
inline void BuildListReport(TfrxReport* Report, TfrxDataSet* Data)
{
  Report->DataSets()->Add(Data);
  auto* page = new TfrxReportPage(Report);
  page->SetName("Page1");
  page->SetLeftMargin(10);
  page->SetRightMargin(10);
  page->SetTopMargin(10);
  page->SetBottomMargin(10);
  auto* title = new TfrxReportTitle(page);
  title->SetName("ReportTitle1");
  title->SetBounds(0, 0, 718.1107L, 30);
  auto* memo1 = new TfrxMemoView(title);
  memo1->SetName("Memo1");
  memo1->SetBounds(0, 0, 300, 22);
  memo1->SetText("Orders");
  auto* master = new TfrxMasterData(page);
  master->SetName("MasterData1");
  master->SetBounds(0, 60, 718.1107L, 20);
  master->SetDataSet(Data);
  auto* memo2 = new TfrxMemoView(master);
  memo2->SetName("Memo2");
  memo2->SetBounds(0, 0, 200, 20);
  memo2->SetText("[Data.\"Name\"]");
  auto* memo3 = new TfrxMemoView(master);
  memo3->SetName("Memo3");
  memo3->SetBounds(200, 0, 100, 20);
  memo3->SetText("[Data.\"Amount\"]");
  memo3->DisplayFormat()->SetKind(fkNumeric);
  memo3->DisplayFormat()->SetFormatStr("%2.2f");
  memo3->SetHAlign(haRight);
  auto* footer = new TfrxPageFooter(page);
  footer->SetName("PageFooter1");
  footer->SetBounds(0, 160, 718.1107L, 20);
  auto* memo5 = new TfrxMemoView(footer);
  memo5->SetName("Memo5");
  memo5->SetBounds(0, 0, 100, 20);
  memo5->SetText("[Page]/[Page#]");
}

// Every object of a built page as "Name top text" lines, in tree order.
inline std::vector<AnsiString> PageLines(TfrxComponent* Page)
{
  std::vector<AnsiString> lines;
  TList* all = Page->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(all->Items(i));
    AnsiString line = obj->Name() + " " + FloatToStr(obj->AbsTop());
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(obj))
      line += " " + memo->Text();
    lines.push_back(line);
  }
  return lines;
}
