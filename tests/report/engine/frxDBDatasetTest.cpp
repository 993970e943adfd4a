// Reports over database datasets: master-detail over SQLite tables, record ranges,
// aliases, display texts of a closed dataset, and the dataset and data source links.
#include "report/engine/frxDBDataset.h"

#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/data/DB.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/support/TestDatabases.h"

namespace {

class frxDBDatasetTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    Conn.SetLoginPrompt(false);
    Conn.SetConnectionString(NewSQLiteDatabase(FFile));
    Conn.Open();
    Conn.Execute("create table orders (id integer primary key, customer varchar(20), total real)");
    Conn.Execute("create table items (id integer primary key, order_id integer, item varchar(20))");
    Conn.Execute("insert into orders values (1, '张三', 10.5), (2, 'Li', 20), (3, 'Wang', 30)");
    Conn.Execute("insert into items values (1, 1, 'pen'), (2, 1, 'ink'), (3, 3, 'book')");
    Orders.SetConnection(&Conn);
    Orders.SQL()->SetText("select * from orders order by id");
    OrdersSource.SetDataSet(&Orders);
    Items.SetConnection(&Conn);
    Items.SQL()->SetText("select * from items where order_id = :id order by id");
    Items.SetDataSource(&OrdersSource);
    OrdersDs.SetUserName("Orders");
    OrdersDs.SetDataSet(&Orders);
    ItemsDs.SetUserName("Items");
    ItemsDs.SetDataSet(&Items);
    report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
    report->DataSets()->Add(&OrdersDs);
    report->DataSets()->Add(&ItemsDs);
    auto* page = new TfrxReportPage(report.get());
    page->SetName("Page1");
    page->SetPaperSize(9);
    master = new TfrxMasterData(page);
    master->SetName("MasterData1");
    master->SetBounds(0, 0, 700, 20);
    master->SetDataSet(&OrdersDs);
    auto* memo = new TfrxMemoView(master);
    memo->SetName("Order");
    memo->SetBounds(0, 0, 300, 20);
    memo->SetText("[Orders.\"id\"] [Orders.\"customer\"] [Orders.\"total\"]");
    auto* detail = new TfrxDetailData(page);
    detail->SetName("DetailData1");
    detail->SetBounds(0, 40, 700, 20);
    detail->SetDataSet(&ItemsDs);
    auto* item = new TfrxMemoView(detail);
    item->SetName("Item");
    item->SetBounds(20, 0, 300, 20);
    item->SetText("[Items.\"item\"]");
  }
  void TearDown() override
  {
    report.reset();
    Items.Close();
    Orders.Close();
    Conn.Close();
    DeleteFile(FFile);
    Headless().Reset();
  }

  std::vector<AnsiString> Texts()
  {
    std::vector<AnsiString> lines;
    TfrxPreviewPages* pages = report->PreviewPages();
    for (Integer p = 0; p < pages->PageCount(); ++p) {
      TList* all = pages->BuildPage(p)->AllObjects();
      for (Integer i = 0; i < all->Count(); ++i)
        if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i))))
          lines.push_back(FloatToStr(memo->AbsTop()) + " " + Trim(memo->Text()));
    }
    return lines;
  }

  TADOConnection Conn;
  AnsiString FFile;
  TADOQuery Orders, Items;
  TDataSource OrdersSource;
  TfrxDBDataset OrdersDs{nullptr}, ItemsDs{nullptr};
  std::unique_ptr<TfrxReport> report;
  TfrxMasterData* master = nullptr;
};

} // namespace

TEST_F(frxDBDatasetTest, MasterDetailOverSQLiteTables)
{
  ASSERT_TRUE(report->GenerateReport()) << report->Errors()->Text();
  // Order 2 has no items: a master without details is left out.
  EXPECT_EQ(Texts(), (std::vector<AnsiString>{"0 1 张三 10.5", "20 pen", "40 ink", "60 3 Wang 30",
                                              "80 book"}));
  // The datasets stay open (CloseDataSource is off); printed when the details are empty.
  EXPECT_TRUE(Orders.Active());
  // The build reloads the report's objects: the band is looked up again.
  master = dynamic_cast<TfrxMasterData*>(report->FindObject("MasterData1"));
  ASSERT_NE(master, nullptr);
  master->SetPrintIfDetailEmpty(true);
  ASSERT_TRUE(report->GenerateReport());
  EXPECT_EQ(Texts()[3], "60 2 Li 20");
}

TEST_F(frxDBDatasetTest, RangesLimitTheRecords)
{
  report->FindObject("DetailData1")->SetVisible(false);
  master->SetPrintIfDetailEmpty(true);
  Orders.Open();
  Orders.Next();
  OrdersDs.SetRangeBegin(rbCurrent);
  OrdersDs.SetRangeEnd(reCurrent);
  ASSERT_TRUE(report->GenerateReport()) << report->Errors()->Text();
  EXPECT_EQ(Texts(), (std::vector<AnsiString>{"0 2 Li 20"}));
  // The dataset is left on the record it was on.
  EXPECT_EQ(Orders.FieldByName("id")->AsString(), "2");

  OrdersDs.SetRangeBegin(rbFirst);
  OrdersDs.SetRangeEnd(reCount);
  OrdersDs.SetRangeEndCount(2);
  ASSERT_TRUE(report->GenerateReport());
  EXPECT_EQ(Texts(), (std::vector<AnsiString>{"0 1 张三 10.5", "20 2 Li 20"}));
}

TEST_F(frxDBDatasetTest, AliasesDisplayTextsAndLinks)
{
  OrdersDs.FieldAliases()->SetText("id=No\r\n-customer=Customer\r\ntotal=Total");
  TStringList fields;
  OrdersDs.GetFieldList(&fields);
  EXPECT_EQ(fields.Text(), "No\r\nTotal\r\n");
  // Closed, a field shows where it comes from.
  EXPECT_EQ(OrdersDs.DisplayText("Total"), "Orders.\"Total\"");

  dynamic_cast<TfrxMemoView*>(report->FindObject("Order"))
      ->SetText("[Orders.\"No\"] [Orders.\"Total\"] [Orders.\"Customer\"]");
  report->FindObject("DetailData1")->SetVisible(false);
  EXPECT_FALSE(report->GenerateReport());
  EXPECT_NE(report->Errors()->Text().find("Order: 字段不存在: Orders.\"Customer\""),
            AnsiString::npos)
      << report->Errors()->Text();
  // The hidden field reads as an absent (numeric) one.
  EXPECT_EQ(Texts().front(), "0 1 10.5 0");
  EXPECT_EQ(OrdersDs.FieldType("Total"), fftNumeric);
  EXPECT_EQ(ItemsDs.FieldType("item"), fftString);

  // The dataset and the data source exclude each other; a missing link ends the build.
  OrdersDs.SetDataSource(&OrdersSource);
  EXPECT_EQ(OrdersDs.DataSet(), nullptr);
  EXPECT_EQ(OrdersDs.BoundDataSet(), &Orders);
  ItemsDs.SetDataSet(nullptr);
  EXPECT_FALSE(report->GenerateReport());
  EXPECT_NE(report->Errors()->Text().find("未连接至数据库"), AnsiString::npos);
}
