// Master-detail between dataset controllers: customers and their orders, with the detail
// dataset positioned by Locate (in memory) or re-opened with the master's key (a query with
// parameters on SQLite and on the PostgreSQL test server).
#include <gtest/gtest.h>

#include "controls/cx/data/cxDBData.h"
#include "platform/data/ADODB.h"
#include "platform/rtl/FileUtils.h"
#include "tests/controls/cx/data/support/TestDataSets.h"
#include "tests/controls/cx/data/support/TestSupport.h"
#include "tests/support/TestDatabases.h"

using namespace cxtest;

namespace {

class TOrdersView;

// The view's detail link: owns the clone that shows one customer's orders.
struct TOrdersLink : TObject {
  std::unique_ptr<TOrdersView> View;
  ~TOrdersLink() override;
};

// A grid level of orders: its pattern and its clones share the settings made here.
class TOrdersView : public TTestDBController {
public:
  using TTestDBController::TTestDBController;
  void Setup(TDataSource* ASource, bool ASQLMode)
  {
    AddFieldColumn("OrderId", "OrderId");
    AddFieldColumn("CustId", "CustId");
    SetKeyFieldNames("OrderId");
    SetMasterKeyFieldNames("CustId");
    SetDetailKeyFieldNames("CustId");
    DataModeController()->SetDetailInSQLMode(ASQLMode);
    SetDataSource(ASource);
  }
  std::string OrderIds() { return RowTexts(0); }
};

TOrdersLink::~TOrdersLink() = default;

// The customers level: opens one orders clone per expanded customer.
class TCustomersMasterView : public TTestDBController {
public:
  using TTestDBController::TTestDBController;
  TObject* CreateDetailLinkObject(TcxCustomDataRelation* ARelation, Integer ARecordIndex) override
  {
    auto link = std::make_unique<TOrdersLink>();
    link->View.reset(TcxCustomDataController::Create<TOrdersView>(nullptr));
    // Set up and linked in one update: the clone loads once, as its master's detail.
    link->View->BeginUpdate();
    link->View->Setup(OrdersSource, SQLMode);
    link->View->LinkToMaster(ARelation, ARecordIndex);
    link->View->EndUpdate();
    return link.release();
  }
  TcxCustomDataController* GetDetailDataController(TObject* ALinkObject) override
  {
    return static_cast<TOrdersLink*>(ALinkObject)->View.get();
  }
  TOrdersView* Detail(Integer ARecordIndex)
  {
    return static_cast<TOrdersView*>(GetDetailDataControllerOf(ARecordIndex, 0));
  }
  TDataSource* OrdersSource = nullptr;
  bool SQLMode = false;
};

struct TMasterDetailFixture {
  void Build(TDataSet* ACustomers, TDataSet* AOrders, bool ASQLMode)
  {
    CustomersSource.SetDataSet(ACustomers);
    OrdersSource.SetDataSet(AOrders);
    Master.reset(TcxCustomDataController::Create<TCustomersMasterView>(nullptr));
    Master->OrdersSource = &OrdersSource;
    Master->SQLMode = ASQLMode;
    Master->AddFieldColumn("CustId", "CustId");
    Master->AddFieldColumn("Name", "Name");
    Master->SetKeyFieldNames("CustId");
    Master->SetDataSource(&CustomersSource);
    Relation = Master->Relations()->Add(&Level);
    Pattern.reset(TcxCustomDataController::Create<TOrdersView>(nullptr));
    Pattern->Setup(&OrdersSource, ASQLMode);
    Pattern->SetMasterRelation(Relation, true);
  }
  // Detach the views before the datasets go.
  ~TMasterDetailFixture()
  {
    Pattern.reset();
    Master.reset();
  }
  TObject Level;
  TDataSource CustomersSource, OrdersSource;
  std::unique_ptr<TCustomersMasterView> Master;
  std::unique_ptr<TOrdersView> Pattern;
  TcxCustomDataRelation* Relation = nullptr;
};

TEST(cxDBMasterDetailTest, DetailsPositionedByLocate)
{
  TMemDataSet customers, orders;
  FillCustomers(customers);
  FillOrders(orders, true);
  TMasterDetailFixture f;
  f.Build(&customers, &orders, false);

  auto* relation = static_cast<TcxDBDataRelation*>(f.Relation);
  ASSERT_TRUE(relation->HasMasterKeyLink());
  Variant key;
  relation->GetMasterKeyValues(1, key);
  EXPECT_EQ(key.AsInteger(), 2);
  EXPECT_TRUE(f.Pattern->IsPattern());
  EXPECT_EQ(f.Pattern->RecordCount(), 0); // a pattern loads nothing

  ASSERT_TRUE(f.Master->ChangeDetailExpanding(1, true));
  TOrdersView* bob = f.Master->Detail(1);
  ASSERT_NE(bob, nullptr);
  EXPECT_EQ(bob->MasterKeyValues().AsInteger(), 2);
  EXPECT_EQ(bob->OrderIds(), "2,10,18,26,34,42,50");
  TOrdersView* hal = f.Master->Detail(7);
  EXPECT_EQ(hal->OrderIds(), "8,16,24,32,40,48");
  EXPECT_EQ(f.Master->Detail(8)->RecordCount(), 0); // Ida has no orders

  // The master follows the orders dataset: order 30 belongs to customer 6.
  orders.Locate("OrderId", 30, {});
  EXPECT_EQ(f.Master->FocusedRecordIndex(), 5);
  EXPECT_TRUE(f.Master->GetDetailExpanded(5));
  EXPECT_EQ(customers.FieldByName("CustId")->AsInteger(), 6);

  // Children are asked of the detail dataset (by Locate), once until the cache is cleared.
  f.Master->ClearDetailLinkObjects();
  EXPECT_TRUE(f.Master->HasDetailChildren(0, 0));
  EXPECT_FALSE(f.Master->HasDetailChildren(9, 0));
  orders.Close();
  f.Master->ClearHasChildrenCache();
  EXPECT_FALSE(f.Master->HasDetailChildren(0, 0)); // an inactive detail dataset: none
}

TEST(cxDBMasterDetailTest, OnDetailHasChildrenDecides)
{
  TMemDataSet customers, orders;
  FillCustomers(customers);
  FillOrders(orders, true);
  TMasterDetailFixture f;
  f.Build(&customers, &orders, false);
  std::vector<std::string> asked;
  f.Master->OnDetailHasChildren = [&](TcxDBDataController*, Integer r, Integer,
                                      const AnsiString& names, const Variant& values, bool& has) {
    asked.push_back(names + "=" + VarToStr(values));
    has = r == 3;
  };
  // (Record 0, focused, already shows its detail: the pattern made the master follow it.)
  EXPECT_FALSE(f.Master->HasDetailChildren(5, 0));
  EXPECT_TRUE(f.Master->HasDetailChildren(3, 0));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], "CustId=4");
}

TEST(cxDBMasterDetailTest, DetailKeysGoIntoNewOrders)
{
  TMemDataSet customers, orders;
  FillCustomers(customers);
  FillOrders(orders, true);
  TMasterDetailFixture f;
  f.Build(&customers, &orders, false);
  f.Master->ChangeDetailExpanding(8, true);
  TOrdersView* ida = f.Master->Detail(8);
  ASSERT_EQ(ida->RecordCount(), 0);
  ida->Append();
  EXPECT_EQ(orders.State(), dsInsert);
  EXPECT_EQ(orders.FieldByName("CustId")->AsInteger(), 9); // the master's key
  orders.FieldByName("OrderId")->SetAsInteger(51);
  ida->Post();
  EXPECT_EQ(ida->OrderIds(), "51");
}

// Orders behind a query whose parameter is the customer: a detail in SQL mode re-opens it.
class cxDBSqlMasterDetailTest : public testing::TestWithParam<TBackend> {
protected:
  void SetUp() override
  {
    if (GetParam() == beSQLite) {
      Connection.SetConnectionString(NewSQLiteDatabase(File));
    } else {
      AnsiString connection;
      std::string error;
      ASSERT_TRUE(PostgreSQLTestDatabase(connection, error))
          << "the PostgreSQL test server did not start: " << error;
      Connection.SetConnectionString(connection);
    }
    Connection.Open();
    Connection.Execute("drop table if exists cx_orders");
    Connection.Execute("drop table if exists cx_customers");
    Connection.Execute("create table cx_customers (CustId integer primary key, Name varchar(30))");
    Connection.Execute("create table cx_orders (OrderId integer primary key, CustId integer)");
    for (Integer c = 1; c <= 10; ++c)
      Connection.Execute("insert into cx_customers values (" + IntToStr(c) + ", 'C" + IntToStr(c) +
                         "')");
    for (Integer id = 1; id <= 50; ++id)
      Connection.Execute("insert into cx_orders values (" + IntToStr(id) + ", " +
                         IntToStr(1 + (id - 1) % 8) + ")");
    Customers.SetConnection(&Connection);
    Customers.SQL()->SetText("select CustId, Name from cx_customers order by CustId");
    Customers.Open();
    Orders.SetConnection(&Connection);
    Orders.SQL()->SetText(
        "select OrderId, CustId from cx_orders where CustId = :CustId order by OrderId");
    Orders.AfterOpen = [this](TDataSet*) { ++Opens; };
    Orders.Params()->ParamByName("CustId")->SetValue(0);
    Orders.Open();
  }
  void TearDown() override
  {
    F.reset();
    Orders.Close();
    Customers.Close();
    Connection.Close();
    if (!File.empty())
      DeleteFile(File);
  }
  TADOConnection Connection;
  AnsiString File;
  TADOQuery Customers, Orders;
  Integer Opens = 0;
  std::unique_ptr<TMasterDetailFixture> F;
};

TEST_P(cxDBSqlMasterDetailTest, DetailsReopenTheQueryWithTheMastersKey)
{
  F = std::make_unique<TMasterDetailFixture>();
  F->Build(&Customers, &Orders, true);
  ASSERT_EQ(F->Master->RecordCount(), 10);
  Integer opens = Opens;
  F->Master->ChangeDetailExpanding(2, true);
  TOrdersView* third = F->Master->Detail(2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->OrderIds(), "3,11,19,27,35,43");
  EXPECT_EQ(Opens, opens + 1);
  EXPECT_EQ(VarToStr(Orders.Params()->ParamValues("CustId")), "3");

  // The adapter over a query of its own: the same parameters again only go to the first
  // record; others close, re-parameterise and open it.
  TADOQuery probe;
  probe.SetConnection(&Connection);
  probe.SQL()->SetText("select OrderId from cx_orders where CustId = :CustId order by OrderId");
  Integer probeOpens = 0;
  probe.AfterOpen = [&](TDataSet*) { ++probeOpens; };
  probe.Params()->ParamByName("CustId")->SetValue(3);
  probe.Open();
  probe.Last();
  TcxDBProviderDetailFilterAdapter* adapter = third->GetDetailFilterAdapter();
  EXPECT_TRUE(adapter->IsCurrentQuery(&probe, "CustId", 3));
  EXPECT_FALSE(adapter->IsCurrentQuery(&probe, "CustId", 4));
  bool reopened = false;
  adapter->ReopenDataSet(&probe, "CustId", 3, reopened);
  EXPECT_FALSE(reopened);
  EXPECT_EQ(probeOpens, 1);
  EXPECT_EQ(probe.RecNo(), 1);
  adapter->ReopenDataSet(&probe, "CustId", 5, reopened);
  EXPECT_TRUE(reopened);
  EXPECT_EQ(probeOpens, 2);
  EXPECT_EQ(probe.FieldByName("OrderId")->AsInteger(), 5);
  probe.Close();

  // Another customer's detail re-opens it for that customer; in SQL mode children are
  // assumed.
  TOrdersView* fifth = F->Master->Detail(4);
  EXPECT_EQ(fifth->OrderIds(), "5,13,21,29,37,45");
  EXPECT_TRUE(F->Master->HasDetailChildren(9, 0));
  // Focusing a record of the first detail puts the query back on its customer.
  third->ChangeFocusedRowIndex(1);
  EXPECT_EQ(VarToStr(Orders.Params()->ParamValues("CustId")), "3");
  EXPECT_EQ(Orders.FieldByName("OrderId")->AsInteger(), 11);
}

INSTANTIATE_TEST_SUITE_P(Backends, cxDBSqlMasterDetailTest, testing::Values(beSQLite, bePostgreSQL),
                         BackendName);

} // namespace
