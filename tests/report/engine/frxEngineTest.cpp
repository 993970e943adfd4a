// The engine: builds compared as lists of (page, object, top, text) — list reports with page
// breaks and reprinted headers, groups with totals, master-detail, two passes with the page
// count, and the cases that must end instead of breaking pages for ever.
#include "report/engine/frxEngine.h"

#include <gtest/gtest.h>

#include "platform/rtl/NumFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxAggregate.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/report/engine/ReportFixtures.h"

namespace {

// A dataset over a table: field names and rows of values.
class TTableData : public TfrxUserDataSet {
public:
  TTableData(const AnsiString& AUserName, std::vector<AnsiString> AFields,
             std::vector<std::vector<Variant>> ARows)
      : TfrxUserDataSet(nullptr), FFieldNames(std::move(AFields)), Rows(std::move(ARows))
  {
    SetUserName(AUserName);
    AnsiString text;
    for (const AnsiString& f : FFieldNames)
      text += f + "\r\n";
    Fields()->SetText(text);
    OnCheckEOF = [this](TObject*, bool& Eof) {
      Eof = RecNo() >= static_cast<Integer>(Rows.size());
    };
    OnGetValue = [this](const Variant& Field, Variant& Value) {
      if (RecNo() < 0 || RecNo() >= static_cast<Integer>(Rows.size()))
        return;
      for (size_t i = 0; i < FFieldNames.size(); ++i)
        if (SameText(FFieldNames[i], VarToStr(Field)))
          Value = Rows[static_cast<size_t>(RecNo())][i];
    };
  }
  std::vector<AnsiString> FFieldNames;
  std::vector<std::vector<Variant>> Rows;
};

template <class T>
T* AddBand(TfrxComponent* Page, const AnsiString& Name, Extended Top, Extended Height)
{
  auto* band = new T(Page);
  band->SetName(Name);
  band->SetBounds(0, Top, 718.1107L, Height);
  return band;
}

TfrxMemoView* AddMemo(TfrxComponent* Band, const AnsiString& Name, Extended Left, Extended Width,
                      const AnsiString& Text, Extended Top = 0, Extended Height = 20)
{
  auto* memo = new TfrxMemoView(Band);
  memo->SetName(Name);
  memo->SetBounds(Left, Top, Width, Height);
  memo->SetText(Text);
  return memo;
}

TfrxReportPage* AddPage(TfrxReport* Report, const AnsiString& Name = "Page1")
{
  auto* page = new TfrxReportPage(Report);
  page->SetName(Name);
  page->SetPaperSize(9);
  page->SetLeftMargin(10);
  page->SetRightMargin(10);
  page->SetTopMargin(10);
  page->SetBottomMargin(10);
  return page;
}

// Every band and text of every page: "page name top text" (text only for text objects).
std::vector<AnsiString> Output(TfrxReport* Report)
{
  std::vector<AnsiString> lines;
  TfrxPreviewPages* pages = Report->PreviewPages();
  for (Integer p = 0; p < pages->PageCount(); ++p) {
    TList* all = pages->BuildPage(p)->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) {
      auto* obj = static_cast<TfrxComponent*>(all->Items(i));
      AnsiString line = IntToStr(p + 1) + " " + obj->Name() + " " + FloatToStr(obj->AbsTop());
      if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(obj))
        line += " " + Trim(memo->Text());
      lines.push_back(line);
    }
  }
  return lines;
}

// The lines of Output that name Object.
std::vector<AnsiString> Lines(TfrxReport* Report, const AnsiString& Object)
{
  std::vector<AnsiString> result;
  for (const AnsiString& line : Output(Report)) {
    const size_t blank = line.find(' ');
    if (line.compare(blank + 1, Object.size() + 1, Object + " ") == 0)
      result.push_back(line);
  }
  return result;
}

class frxEngineTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
  }
  void TearDown() override
  {
    report.reset();
    Headless().Reset();
  }
  void Build() { ASSERT_TRUE(report->GenerateReport()) << report->Errors()->Text(); }

  std::unique_ptr<TfrxReport> report;
};

} // namespace

// The list report of the document tests with a footer total: title, three rows, footer,
// page footer.
TEST_F(frxEngineTest, ListReportPlacesBandsAndTotals)
{
  TListData data({{"Alice", Variant(12.5)}, {"Bob", Variant(7.25)}, {"Carol", Variant(30)}});
  BuildListReport(report.get(), &data);
  auto* footer = AddBand<TfrxFooter>(report->Pages(0), "Footer1", 100, 20);
  AddMemo(footer, "Memo4", 0, 100, "[SUM(<Data.\"Amount\">,MasterData1)]");
  dynamic_cast<TfrxMemoView*>(report->FindObject("Memo5"))->SetText("[Page#] / [TotalPages#]");
  Build();
  const std::vector<AnsiString> expected = {
      "1 ReportTitle1 0", "1 Memo1 0 Orders",         "1 MasterData1 30",
      "1 Memo2 30 Alice", "1 Memo3 30 12.50",         "1 MasterData1 50",
      "1 Memo2 50 Bob",   "1 Memo3 50 7.25",          "1 MasterData1 70",
      "1 Memo2 70 Carol", "1 Memo3 70 30.00",         "1 Footer1 90",
      "1 Memo4 90 49.75", "1 PageFooter1 1026.92981", "1 Memo5 1026.92981 1 / [TotalPages#]"};
  EXPECT_EQ(Output(report.get()), expected);
}

TEST_F(frxEngineTest, PageBreaksReprintHeadersAndTwoPassesKnowThePageCount)
{
  TListData data(NumberedRows(120));
  BuildListReport(report.get(), &data);
  TfrxComponent* page = report->Pages(0);
  auto* header = AddBand<TfrxHeader>(page, "Header1", 40, 20);
  header->SetReprintOnNewPage(true);
  AddMemo(header, "Memo6", 0, 100, "Name");
  auto* footer = AddBand<TfrxFooter>(page, "Footer1", 100, 20);
  AddMemo(footer, "Memo4", 0, 100, "[SUM(<Data.\"Amount\">)]");
  auto* pageHeader = AddBand<TfrxPageHeader>(page, "PageHeader1", 25, 15);
  pageHeader->SetPrintOnFirstPage(false);
  AddMemo(pageHeader, "Memo7", 0, 100, "continued", 0, 15);
  dynamic_cast<TfrxMemoView*>(report->FindObject("Memo5"))
      ->SetText("第 [Page#] 页 共 [TotalPages#] 页 [TotalPages]");
  report->EngineOptions()->SetDoublePass(true);
  Build();
  TfrxPreviewPages* pages = report->PreviewPages();
  // 1046.93 high with a footer of 20: page 1 holds the title, the header and 48 rows, page 2
  // the page header, the header and 49.
  ASSERT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(Lines(report.get(), "Memo7"),
            (std::vector<AnsiString>{"2 Memo7 0 continued", "3 Memo7 0 continued"}));
  EXPECT_EQ(Lines(report.get(), "Memo6"),
            (std::vector<AnsiString>{"1 Memo6 30 Name", "2 Memo6 15 Name", "3 Memo6 15 Name"}));
  const std::vector<AnsiString> names = Lines(report.get(), "Memo2");
  ASSERT_EQ(names.size(), 120u);
  EXPECT_EQ(names[47], "1 Memo2 990 N48");
  EXPECT_EQ(names[48], "2 Memo2 35 N49");
  EXPECT_EQ(names[97], "3 Memo2 35 N98");
  // The footer follows the last row on the last page, with the total of all rows.
  EXPECT_EQ(Lines(report.get(), "Memo4"), (std::vector<AnsiString>{"3 Memo4 495 1815"}));
  // The page count of the first pass is known in the second ("TotalPages#" stays for the
  // drawing, which knows the count of the pages drawn).
  EXPECT_EQ(Lines(report.get(), "Memo5"),
            (std::vector<AnsiString>{"1 Memo5 1026.92981 第 1 页 共 [TotalPages#] 页 3",
                                     "2 Memo5 1026.92981 第 2 页 共 [TotalPages#] 页 3",
                                     "3 Memo5 1026.92981 第 3 页 共 [TotalPages#] 页 3"}));
}

namespace {

// Groups by City over MasterData1, with a footer per group.
void BuildGroupReport(TfrxReport* Report, TfrxDataSet* Data)
{
  Report->DataSets()->Add(Data);
  TfrxReportPage* page = AddPage(Report);
  auto* group = AddBand<TfrxGroupHeader>(page, "GroupHeader1", 40, 20);
  group->SetCondition("Data.\"City\"");
  AddMemo(group, "City", 0, 200, "[Data.\"City\"]");
  auto* master = AddBand<TfrxMasterData>(page, "MasterData1", 60, 20);
  master->SetDataSet(Data);
  AddMemo(master, "Row", 0, 300, "[Line] [Line#] [Data.\"Amount\"]");
  auto* footer = AddBand<TfrxGroupFooter>(page, "GroupFooter1", 100, 20);
  AddMemo(footer, "Totals", 0, 400,
          "[SUM(<Data.\"Amount\">)]/[SUM(<Data.\"Amount\">,MasterData1,2)]/"
          "[COUNT(MasterData1)]/[AVG(<Data.\"Amount\">)]/[MIN(<Data.\"Amount\">)]/"
          "[MAX(<Data.\"Amount\">)]");
}

} // namespace

TEST_F(frxEngineTest, GroupsRestartTotalsAndLinesWhileRunningTotalsGoOn)
{
  TTableData data("Data", {"City", "Amount"},
                  {{Variant("Beijing"), Variant(1)},
                   {Variant("Beijing"), Variant(2)},
                   {Variant("Beijing"), Variant(3)},
                   {Variant("Shanghai"), Variant(10)},
                   {Variant("Shanghai"), Variant(20)},
                   {Variant("Tianjin"), Variant(5)},
                   {Variant("Tianjin"), Null()}});
  BuildGroupReport(report.get(), &data);
  Build();
  EXPECT_EQ(
      Lines(report.get(), "City"),
      (std::vector<AnsiString>{"1 City 0 Beijing", "1 City 100 Shanghai", "1 City 180 Tianjin"}));
  // The footer sees the group's last row; Line restarts per group, Line# does not.
  EXPECT_EQ(Lines(report.get(), "Totals"),
            (std::vector<AnsiString>{"1 Totals 80 6/6/3/2/1/3", "1 Totals 160 30/36/2/15/10/20",
                                     "1 Totals 240 5/41/2/2.5/0/5"}));
  EXPECT_EQ(Lines(report.get(), "Row"),
            (std::vector<AnsiString>{"1 Row 20 1 1 1", "1 Row 40 2 2 2", "1 Row 60 3 3 3",
                                     "1 Row 120 1 4 10", "1 Row 140 2 5 20", "1 Row 200 1 6 5",
                                     "1 Row 220 2 7 0"}));
  // A second build starts every total again, running totals too.
  Build();
  EXPECT_EQ(Lines(report.get(), "Totals")[2], "1 Totals 240 5/41/2/2.5/0/5");
}

TEST_F(frxEngineTest, AggregatesTable)
{
  // Direct use of the accumulators: Null rows count for AVG and COUNT but add nothing.
  TTableData data("Data", {"Amount"}, {{Variant(1)}, {Variant(2)}, {Null()}});
  report->DataSets()->Add(&data);
  report->EngineOptions()->SetConvertNulls(false);
  TfrxReportPage* page = AddPage(report.get());
  auto* master = AddBand<TfrxMasterData>(page, "MasterData1", 0, 20);
  master->SetDataSet(&data);
  auto* footer = AddBand<TfrxFooter>(page, "Footer1", 40, 20);
  AddMemo(footer, "Sum", 0, 400,
          "[SUM(<Data.\"Amount\">)] [COUNT(MasterData1)] [AVG(<Data.\"Amount\">)] "
          "[SUM(<Data.\"Amount\">,MasterData1)]");
  auto* summary = AddBand<TfrxReportSummary>(page, "ReportSummary1", 80, 20);
  AddMemo(summary, "Invisible", 0, 400, "[COUNT(MasterData1,1)]");
  master->SetVisible(false);
  Build();
  // The invisible band's rows count only with flags 1.
  EXPECT_EQ(Lines(report.get(), "Sum"), (std::vector<AnsiString>{"1 Sum 0 0"}));
  EXPECT_EQ(Lines(report.get(), "Invisible"), (std::vector<AnsiString>{"1 Invisible 20 3"}));
  // The build reloads the report's objects: the band is looked up again.
  master = dynamic_cast<TfrxMasterData*>(report->FindObject("MasterData1"));
  ASSERT_NE(master, nullptr);
  master->SetVisible(true);
  Build();
  EXPECT_EQ(Lines(report.get(), "Sum"), (std::vector<AnsiString>{"1 Sum 60 3 3 1 3"}));

  // A flags argument that is not a number ends the build with the conversion error.
  dynamic_cast<TfrxMemoView*>(report->FindObject("Invisible"))->SetText("[COUNT(MasterData1,x)]");
  EXPECT_FALSE(report->GenerateReport());
  EXPECT_NE(report->Errors()->Text().find("'x'"), AnsiString::npos) << report->Errors()->Text();
}

namespace {

// Items of the current order of Orders: the detail dataset filters itself when it starts.
class TItemsData : public TTableData {
public:
  TItemsData(TTableData* AOrders, std::vector<std::vector<Variant>> AAll)
      : TTableData("Items", {"Order", "Item"}, {}), Orders(AOrders), All(std::move(AAll))
  {
    OnFirst = [this](TObject*) {
      const Variant id = Orders->Value("Id");
      Rows.clear();
      for (const auto& row : All)
        if (row[0] == id)
          Rows.push_back(row);
    };
  }
  TTableData* Orders;
  std::vector<std::vector<Variant>> All;
};

} // namespace

TEST_F(frxEngineTest, MasterDetailSkipsEmptyMastersAndKeepsAMasterWithItsDetails)
{
  TTableData orders(
      "Orders", {"Id", "Total"},
      {{Variant(1), Variant(100)}, {Variant(2), Variant(200)}, {Variant(3), Variant(300)}});
  std::vector<std::vector<Variant>> items = {{Variant(1), Variant("a")},
                                             {Variant(1), Variant("b")}};
  for (Integer i = 1; i <= 50; ++i)
    items.push_back({Variant(3), Variant("c" + IntToStr(i))});
  TItemsData detail(&orders, items);
  report->DataSets()->Add(&orders);
  report->DataSets()->Add(&detail);
  TfrxReportPage* page = AddPage(report.get());
  auto* master = AddBand<TfrxMasterData>(page, "MasterData1", 0, 20);
  master->SetDataSet(&orders);
  master->SetKeepTogether(true);
  AddMemo(master, "Order", 0, 200, "Order [Orders.\"Id\"]");
  auto* detailBand = AddBand<TfrxDetailData>(page, "DetailData1", 40, 20);
  detailBand->SetDataSet(&detail);
  AddMemo(detailBand, "Item", 20, 200, "[Items.\"Item\"]");
  auto* pageFooter = AddBand<TfrxPageFooter>(page, "PageFooter1", 200, 20);
  AddMemo(pageFooter, "PageTotal", 0, 200, "[SUM(<Orders.\"Total\">)]");
  Build();
  ASSERT_EQ(report->PreviewPages()->PageCount(), 2);
  // Order 2 has no items and is left out; order 3 with its 50 items moves to page 2.
  EXPECT_EQ(Lines(report.get(), "Order"),
            (std::vector<AnsiString>{"1 Order 0 Order 1", "2 Order 0 Order 3"}));
  const std::vector<AnsiString> lines = Lines(report.get(), "Item");
  ASSERT_EQ(lines.size(), 52u);
  EXPECT_EQ(lines[1], "1 Item 40 b");
  EXPECT_EQ(lines[2], "2 Item 20 c1");
  EXPECT_EQ(lines[51], "2 Item 1000 c50");
  // Each page footer totals the orders printed on its page.
  EXPECT_EQ(Lines(report.get(), "PageTotal"),
            (std::vector<AnsiString>{"1 PageTotal 1026.92981 100", "2 PageTotal 1026.92981 300"}));

  // With PrintIfDetailEmpty the order without items prints (the build reloaded the band).
  master = dynamic_cast<TfrxMasterData*>(report->FindObject("MasterData1"));
  ASSERT_NE(master, nullptr);
  master->SetPrintIfDetailEmpty(true);
  Build();
  EXPECT_EQ(Lines(report.get(), "Order")[1], "1 Order 60 Order 2");
}

TEST_F(frxEngineTest, StretchedTextsShiftTheObjectsBelowThem)
{
  TListData data({{"one\r\ntwo\r\nthree", Variant(1)}});
  BuildListReport(report.get(), &data);
  auto* master = dynamic_cast<TfrxBand*>(report->FindObject("MasterData1"));
  master->SetStretched(true);
  auto* name = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"));
  name->SetStretchMode(smActualHeight);
  AddMemo(master, "Below", 0, 100, "below", 20);
  auto* overlapped = AddMemo(master, "Overlapped", 0, 100, "overlapped", 45);
  overlapped->SetShiftMode(smWhenOverlapped);
  auto* fixed = AddMemo(master, "Fixed", 150, 40, "fixed", 20);
  fixed->SetShiftMode(smDontShift);
  auto* beside = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo3"));
  beside->SetStretchMode(smMaxHeight);
  Build();
  TfrxComponent* page = report->PreviewPages()->BuildPage(0);
  auto* grown = page->FindObject("Memo2");
  const Extended delta = grown->Height() - 20;
  ASSERT_GT(delta, 20);
  EXPECT_EQ(page->FindObject("Below")->AbsTop(), 30 + 20 + delta);
  // Below the grown text and the shifted one: moved only as far as it is overlapped.
  EXPECT_EQ(page->FindObject("Overlapped")->AbsTop(), 30 + 20 + delta + 20);
  EXPECT_EQ(page->FindObject("Fixed")->AbsTop(), 30 + 20);
  // The band ends below its lowest object; smMaxHeight fills it.
  EXPECT_EQ(page->FindObject("MasterData1")->Height(), 60 + delta);
  EXPECT_EQ(page->FindObject("Memo3")->Height(), 60 + delta);
}

// Bands that cannot fit even on an empty page are output overflowing instead of starting
// pages for ever: each row gets a page of its own after the first band that was not
// reprinted (a header shown for the first time, the page's loose objects).
TEST_F(frxEngineTest, RunawayLayoutsEnd)
{
  struct TCase {
    const char* Name;
    void (*Setup)(TfrxReportPage* Page);
    Integer Pages;
  };
  const TCase cases[] = {
      {"page header taller than the page",
       [](TfrxReportPage* Page) { AddBand<TfrxPageHeader>(Page, "PageHeader1", 40, 1100); }, 3},
      {"reprinted header taller than the page",
       [](TfrxReportPage* Page) {
         AddBand<TfrxHeader>(Page, "Header1", 40, 1100)->SetReprintOnNewPage(true);
       },
       4},
      {"column header taller than the page",
       [](TfrxReportPage* Page) { AddBand<TfrxColumnHeader>(Page, "ColumnHeader1", 40, 1100); }, 4},
      {"paper 0 x 0",
       [](TfrxReportPage* Page) {
         Page->SetPaperSize(256);
         Page->SetPaperWidth(0);
         Page->SetPaperHeight(0);
         Page->SetLeftMargin(0);
         Page->SetRightMargin(0);
         Page->SetTopMargin(0);
         Page->SetBottomMargin(0);
         AddMemo(Page, "Loose", 0, 100, "loose");
       },
       4},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
    TListData data(NumberedRows(3));
    BuildListReport(report.get(), &data);
    report->FindObject("ReportTitle1")->SetVisible(false);
    c.Setup(dynamic_cast<TfrxReportPage*>(report->Pages(0)));
    Build();
    EXPECT_EQ(report->PreviewPages()->PageCount(), c.Pages);

    EXPECT_EQ(Lines(report.get(), "Memo2").size(), 3u);
  }
}

TEST_F(frxEngineTest, SplitBandsPrintLongTextsInPartsAndAlwaysProgress)
{
  TListData data({{"x", Variant(1)}});
  BuildListReport(report.get(), &data);
  auto* master = dynamic_cast<TfrxBand*>(report->FindObject("MasterData1"));
  master->SetAllowSplit(true);
  master->SetStretched(true);
  auto* memo = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"));
  AnsiString text;
  for (Integer i = 1; i <= 200; ++i)
    text += "line " + IntToStr(i) + "\r\n";
  memo->SetText(text);
  memo->SetStretchMode(smActualHeight);
  AddMemo(master, "After", 0, 100, "after", 20);
  Build();
  const Integer count = report->PreviewPages()->PageCount();
  ASSERT_GT(count, 2);
  // Every line once, in order, over the pages; the object below follows the last part.
  AnsiString printed;
  for (const AnsiString& line : Lines(report.get(), "Memo2"))
    printed += line.substr(line.find(' ', line.find(' ', 2) + 1) + 1) + "\r\n";
  AnsiString joined;
  for (const AnsiString& line : Lines(report.get(), "Memo2"))
    joined += line;
  EXPECT_NE(joined.find("line 1\r\n"), AnsiString::npos);
  std::vector<Integer> seen;
  size_t at = 0;
  while ((at = printed.find("line ", at)) != AnsiString::npos) {
    at += 5;
    seen.push_back(StrToInt(printed.substr(at, printed.find_first_of("\r\n ", at) - at)));
  }
  ASSERT_EQ(seen.size(), 200u);
  for (Integer i = 0; i < 200; ++i)
    ASSERT_EQ(seen[static_cast<size_t>(i)], i + 1);
  const std::vector<AnsiString> after = Lines(report.get(), "After");
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].substr(0, 2), IntToStr(count) + " ");

  // An object taller than any page (a picture on a split band) is clipped to the page and
  // the build ends.
  report = std::make_unique<TfrxReport>(nullptr);
  report->EngineOptions()->SetSilentMode(true);
  TListData one({{"x", Variant(1)}});
  BuildListReport(report.get(), &one);
  master = dynamic_cast<TfrxBand*>(report->FindObject("MasterData1"));
  master->SetAllowSplit(true);
  master->SetStretched(true);
  auto* picture = new TfrxPictureView(master);
  picture->SetName("Picture1");
  picture->SetBounds(0, 0, 100, 2000);
  Build();
  ASSERT_EQ(report->PreviewPages()->PageCount(), 1);
  EXPECT_EQ(report->PreviewPages()->BuildPage(0)->FindObject("Picture1")->Height(),
            1026.92981L - 30);
}

namespace {

// "page name left top text" of every text object named Name.
std::vector<AnsiString> Places(TfrxReport* Report, const AnsiString& Name)
{
  std::vector<AnsiString> result;
  TfrxPreviewPages* pages = Report->PreviewPages();
  for (Integer p = 0; p < pages->PageCount(); ++p) {
    TList* all = pages->BuildPage(p)->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) {
      auto* memo = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i)));
      if (memo && memo->Name() == Name)
        result.push_back(IntToStr(p + 1) + " " + FloatToStr(memo->AbsLeft()) + " " +
                         FloatToStr(memo->AbsTop()) + " " + Trim(memo->Text()));
    }
  }
  return result;
}

} // namespace

TEST_F(frxEngineTest, PageColumnsAndMultiColumnBands)
{
  TListData data(NumberedRows(110));
  BuildListReport(report.get(), &data);
  auto* page = dynamic_cast<TfrxReportPage*>(report->Pages(0));
  page->SetColumns(2);
  report->FindObject("ReportTitle1")->SetVisible(false);
  auto* columnHeader = AddBand<TfrxColumnHeader>(page, "ColumnHeader1", 30, 20);
  columnHeader->SetWidth(300);
  AddMemo(columnHeader, "Caption", 0, 100, "Name");
  Build();
  // 50 rows of 20 below the column header fill a column (1046.93 - 20 - 20 high).
  const std::vector<AnsiString> names = Places(report.get(), "Memo2");
  ASSERT_EQ(names.size(), 110u);
  const AnsiString second = FloatToStr(95 * 3.77953L);
  EXPECT_EQ(names[0], "1 0 20 N1");
  EXPECT_EQ(names[49], "1 0 1000 N50");
  EXPECT_EQ(names[50], "1 " + second + " 20 N51");
  EXPECT_EQ(names[100], "2 0 20 N101");
  EXPECT_EQ(Places(report.get(), "Caption"),
            (std::vector<AnsiString>{"1 0 0 Name", "1 " + second + " 0 Name", "2 0 0 Name"}));

  // A three-column band: rows side by side, the fourth below the lowest of them.
  report = std::make_unique<TfrxReport>(nullptr);
  report->EngineOptions()->SetSilentMode(true);
  TListData seven(NumberedRows(7));
  BuildListReport(report.get(), &seven);
  auto* master = dynamic_cast<TfrxDataBand*>(report->FindObject("MasterData1"));
  master->SetColumns(3);
  master->SetColumnWidth(200);
  master->SetColumnGap(10);
  master->SetStretched(true);
  auto* memo = dynamic_cast<TfrxMemoView*>(report->FindObject("Memo2"));
  memo->SetStretchMode(smActualHeight);
  seven.SetRangeEndCount(7);
  Build();
  const std::vector<AnsiString> rows = Places(report.get(), "Memo2");
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], "1 0 30 N1");
  EXPECT_EQ(rows[1], "1 210 30 N2");
  EXPECT_EQ(rows[2], "1 420 30 N3");
  EXPECT_EQ(rows[3].substr(0, 5), "1 0 5");
  EXPECT_EQ(rows[6].substr(0, 4), "1 0 ");
}

TEST_F(frxEngineTest, SeparateSubreportsContinueBelowTheLongerPart)
{
  TListData data(NumberedRows(2));
  BuildListReport(report.get(), &data);
  TTableData items(
      "Items", {"Item"},
      {{Variant("a")}, {Variant("b")}, {Variant("c")}, {Variant("d")}, {Variant("e")}});
  report->DataSets()->Add(&items);
  auto* subPage = AddPage(report.get(), "Page2");
  auto* subMaster = AddBand<TfrxMasterData>(subPage, "MasterData2", 0, 20);
  subMaster->SetDataSet(&items);
  AddMemo(subMaster, "Item", 0, 100, "[Items.\"Item\"]");
  auto* sub = new TfrxSubreport(report->FindObject("ReportTitle1"));
  sub->SetName("Subreport1");
  sub->SetBounds(300, 0, 200, 20);
  sub->SetPage(subPage);
  Build();
  ASSERT_EQ(report->PreviewPages()->PageCount(), 1);
  EXPECT_EQ(Places(report.get(), "Item"),
            (std::vector<AnsiString>{"1 300 0 a", "1 300 20 b", "1 300 40 c", "1 300 60 d",
                                     "1 300 80 e"}));
  // The title is 30 high, the subreport beside it 100: the rows start below the subreport.
  EXPECT_EQ(Places(report.get(), "Memo2"), (std::vector<AnsiString>{"1 0 100 N1", "1 0 120 N2"}));
}

TEST_F(frxEngineTest, VerticalBandsOverflowOntoTheNextPages)
{
  TListData data(NumberedRows(1));
  BuildListReport(report.get(), &data);
  TTableData months("Months", {"Month"}, {});
  for (Integer i = 1; i <= 10; ++i)
    months.Rows.push_back({Variant("M" + IntToStr(i))});
  report->DataSets()->Add(&months);
  TfrxComponent* page = report->Pages(0);
  auto* vertical = new TfrxMasterData(page);
  vertical->SetName("MasterData2");
  vertical->SetVertical(true);
  vertical->SetBounds(400, 0, 100, 0);
  vertical->SetDataSet(&months);
  // The cell: a text of the horizontal band within the vertical band's span.
  AddMemo(report->FindObject("MasterData1"), "Cell", 400, 100, "[Months.\"Month\"]");
  Build();
  // The cells are copies made while printing: they have no names.
  const std::vector<AnsiString> cells = Places(report.get(), "");
  // Seven 100-wide cells fit across 718 px; the rest go to page 2 at the same height.
  ASSERT_EQ(report->PreviewPages()->PageCount(), 2);
  ASSERT_EQ(cells.size(), 10u);
  EXPECT_EQ(cells[0], "1 0 30 M1");
  EXPECT_EQ(cells[6], "1 600 30 M7");
  EXPECT_EQ(cells[7], "2 0 30 M8");
  EXPECT_EQ(cells[9], "2 200 30 M10");
}
