// What the data library publishes to the designer, scripts and streams: each class's
// published members, component streams of a query and of an in-memory dataset (SQL,
// parameters, field definitions, events bound by name, Active applied after the read), and
// the dataset events that only reflection made reachable (refresh and error events).
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/data/ADODB.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "tests/support/TestDatabases.h"

namespace {

// ---- Published members ----

struct TPublished {
  TClass Class;
  // "Name:kind" with kind e = event, c = object, s = string, o = other ordinal or set.
  std::vector<const char*> Members;
};

const char* KindLetter(TTypeKind Kind)
{
  switch (Kind) {
  case tkMethod:
    return "e";
  case tkClass:
    return "c";
  case tkString:
  case tkLString:
  case tkWString:
    return "s";
  default:
    return "o";
  }
}

TEST(DataPublished, EachClassPublishesWhatTheLayersAboveNeed)
{
  const std::vector<const char*> dataSetEvents = {
      "BeforeOpen:e",   "AfterOpen:e",      "BeforeClose:e",  "AfterClose:e",   "BeforeInsert:e",
      "AfterInsert:e",  "BeforeEdit:e",     "AfterEdit:e",    "BeforePost:e",   "AfterPost:e",
      "BeforeCancel:e", "AfterCancel:e",    "BeforeDelete:e", "AfterDelete:e",  "BeforeScroll:e",
      "AfterScroll:e",  "BeforeRefresh:e",  "AfterRefresh:e", "OnCalcFields:e", "OnDeleteError:e",
      "OnEditError:e",  "OnFilterRecord:e", "OnNewRecord:e",  "OnPostError:e"};
  auto dataSet = [&](std::vector<const char*> own) {
    own.insert(own.end(), {"Active:o", "Filter:s", "Filtered:o", "FilterOptions:o"});
    own.insert(own.end(), dataSetEvents.begin(), dataSetEvents.end());
    return own;
  };
  const std::vector<const char*> adoDataSet = {"Connection:c", "CommandTimeout:o", "Params:c",
                                               "LockType:o",   "ExecuteOptions:o", "ParamCheck:o",
                                               "Prepared:o"};
  auto withAdo = [&](std::vector<const char*> own) {
    own.insert(own.end(), adoDataSet.begin(), adoDataSet.end());
    return dataSet(own);
  };
  const std::vector<const char*> field = {
      "FieldName:s", "DisplayLabel:s",  "DisplayWidth:o",    "Alignment:o",         "ReadOnly:o",
      "Required:o",  "Visible:o",       "Origin:s",          "EditMask:s",          "FieldKind:o",
      "KeyFields:s", "LookupDataSet:c", "LookupKeyFields:s", "LookupResultField:s", "OnChange:e",
      "OnGetText:e", "OnSetText:e",     "OnValidate:e"};
  auto withField = [&](std::vector<const char*> own) {
    own.insert(own.end(), field.begin(), field.end());
    return own;
  };
  const TPublished classes[] = {
      {ClassInfoOf<TDataSet>(), dataSet({})},
      {ClassInfoOf<TMemDataSet>(),
       dataSet({"FieldDefs:c", "MasterSource:c", "MasterFields:s", "DetailFields:s"})},
      {ClassInfoOf<TADOQuery>(), withAdo({"SQL:c", "DataSource:c"})},
      {ClassInfoOf<TADODataSet>(), withAdo({"CommandText:s", "DataSource:c"})},
      {ClassInfoOf<TADOCommand>(),
       {"Connection:c", "CommandText:s", "CommandTimeout:o", "ExecuteOptions:o", "Params:c",
        "Prepared:o"}},
      {ClassInfoOf<TADOConnection>(),
       {"ConnectionString:s", "LoginPrompt:o", "CommandTimeout:o", "ConnectionTimeout:o",
        "Connected:o", "BeforeConnect:e", "AfterConnect:e", "BeforeDisconnect:e",
        "AfterDisconnect:e"}},
      {ClassInfoOf<TDataSource>(),
       {"AutoEdit:o", "DataSet:c", "Enabled:o", "OnDataChange:e", "OnStateChange:e",
        "OnUpdateData:e"}},
      {ClassInfoOf<TField>(), field},
      {ClassInfoOf<TStringField>(), withField({"Size:o"})},
      {ClassInfoOf<TIntegerField>(),
       withField({"DisplayFormat:s", "EditFormat:s", "MinValue:o", "MaxValue:o"})},
      {ClassInfoOf<TFloatField>(),
       withField({"DisplayFormat:s", "EditFormat:s", "currency:o", "Precision:o"})},
      {ClassInfoOf<TBCDField>(),
       withField({"DisplayFormat:s", "EditFormat:s", "currency:o", "Precision:o"})},
      {ClassInfoOf<TBooleanField>(), withField({"DisplayValues:s"})},
      {ClassInfoOf<TDateTimeField>(), withField({"DisplayFormat:s"})},
      {ClassInfoOf<TAggregateField>(),
       withField({"Expression:s", "Active:o", "DisplayFormat:s", "currency:o", "Precision:o"})},
  };
  for (const TPublished& c : classes) {
    TClass cls = c.Class;
    ASSERT_NE(cls, nullptr);
    SCOPED_TRACE(cls->Name);
    for (const char* member : c.Members) {
      AnsiString text(member);
      AnsiString name = text.substr(0, text.find(':'));
      PPropInfo prop = GetPropInfo(cls, name);
      if (!prop) {
        ADD_FAILURE() << "not published: " << name;
        continue;
      }
      EXPECT_EQ(KindLetter(prop->Kind()), text.substr(text.find(':') + 1)) << name;
    }
  }
}

// ---- Streams ----

// A module whose published methods handle its datasets' events, as a designed data module's
// would; each call is logged in the module's own log, so a handler bound to the wrong
// module shows.
class TEventModule : public TDataModule {
public:
  using TDataModule::TDataModule;
  std::vector<AnsiString> Log;

  void QueryBeforeOpen(TDataSet* DataSet) { Log.push_back("BeforeOpen " + DataSet->Name()); }
  void QueryAfterOpen(TDataSet* DataSet)
  {
    Log.push_back("AfterOpen " + IntToStr(DataSet->RecordCount()));
  }
  void QueryPostError(TDataSet*, EDatabaseError* E, TDataAction& Action)
  {
    Log.push_back("PostError " + E->Message());
    Action = daAbort;
  }
  void Unpublished(TDataSet*) {}
};

// A module publishing a method of the same name with another signature.
class TOtherModule : public TDataModule {
public:
  using TDataModule::TDataModule;
  void QueryBeforeOpen(TObject*) {}
};

void RegisterEventModule()
{
  TClassRegistration<TOtherModule, TDataModule>("TOtherModule")
      .Method("QueryBeforeOpen", &TOtherModule::QueryBeforeOpen);
  TClassRegistration<TEventModule, TDataModule>("TEventModule")
      .Method("QueryBeforeOpen", &TEventModule::QueryBeforeOpen)
      .Method("QueryAfterOpen", &TEventModule::QueryAfterOpen)
      .Method("QueryPostError", &TEventModule::QueryPostError);
}

// Writes Root into a new stream, positioned at its start.
std::unique_ptr<TMemoryStream> WriteModule(TComponent* Root)
{
  auto stream = std::make_unique<TMemoryStream>();
  TWriter(stream.get()).WriteRootComponent(Root);
  stream->SetPosition(0);
  return stream;
}

class DataStreams : public testing::Test {
protected:
  void SetUp() override
  {
    RegisterEventModule();
    FConnectionString = NewSQLiteDatabase(FFile);
    TADOConnection conn;
    conn.SetConnectionString(FConnectionString);
    conn.Open();
    conn.Execute("create table waybill (Id integer, Sender varchar(20), Fee numeric(10,2))");
    conn.Execute("insert into waybill values (1, '张三', 12.5), (2, '李四', 8), (3, '王五', 30)");
  }
  void TearDown() override { DeleteFile(FFile); }

  AnsiString FFile;
  AnsiString FConnectionString;
};

// The query keeps its statement, its parameters with their types and values, its events
// (bound to the new module's methods by name) and its Active, which opens it only once the
// connection reference is resolved.
TEST_F(DataStreams, QueryRoundTripKeepsSqlParametersEventsAndActive)
{
  TEventModule source(nullptr);
  source.SetName("Source");
  auto* conn = new TADOConnection(&source);
  conn->SetName("Conn");
  conn->SetConnectionString(FConnectionString);
  conn->SetLoginPrompt(false);
  auto* query = new TADOQuery(&source);
  query->SetName("Query1");
  query->SetConnection(conn);
  query->SQL()->Add("select Id, Sender from waybill");
  query->SQL()->Add("where Id >= :MinId and Sender <> :Name");
  query->ParamByName("MinId")->SetValue(Variant(2));
  query->ParamByName("Name")->SetDataType(ftWideString);
  query->ParamByName("Name")->SetValue(Variant("李四"));
  query->BeforeOpen = TDataSetNotifyEvent::Bind(&source, &TEventModule::QueryBeforeOpen);
  query->AfterOpen = TDataSetNotifyEvent::Bind(&source, &TEventModule::QueryAfterOpen);
  query->OnPostError = TDataSetErrorEvent::Bind(&source, &TEventModule::QueryPostError);
  query->AfterClose = [](TDataSet*) {}; // a lambda has no name to write
  query->AfterScroll = TDataSetNotifyEvent::Bind(&source, &TEventModule::Unpublished);
  query->Open();
  source.Log.clear();
  auto stream = WriteModule(&source);
  query->Close();

  TEventModule copy(nullptr);
  copy.SetName("Copy");
  TReader(stream.get()).ReadRootComponent(&copy);
  auto* read = dynamic_cast<TADOQuery*>(copy.FindComponent("Query1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->SQL()->Text(), query->SQL()->Text());
  EXPECT_EQ(read->Connection(), copy.FindComponent("Conn"));
  ASSERT_EQ(read->Params()->Count(), 2);
  EXPECT_EQ(read->ParamByName("MinId")->DataType(), ftInteger);
  EXPECT_EQ(read->ParamByName("MinId")->Value().AsInteger(), 2);
  EXPECT_EQ(read->ParamByName("Name")->DataType(), ftWideString);
  EXPECT_EQ(read->ParamByName("Name")->AsString(), "李四");
  EXPECT_FALSE(read->AfterClose.Assigned());
  EXPECT_FALSE(read->AfterScroll.Assigned());
  // Opened by Loaded, after the reference to the connection was resolved.
  ASSERT_TRUE(read->Active());
  EXPECT_EQ(read->FieldByName("Sender")->AsString(), "王五");
  EXPECT_EQ(copy.Log, (std::vector<AnsiString>{"BeforeOpen Query1", "AfterOpen 1"}));
  EXPECT_TRUE(source.Log.empty());

  // The error handler read back from the stream decides too: a missing required value
  // reaches it, and its daAbort ends Post silently.
  read->Append();
  read->FieldByName("Id")->SetRequired(true);
  EXPECT_THROW(read->Post(), EAbort);
  EXPECT_EQ(copy.Log.back(), "PostError Field 'Id' must have a value");
  EXPECT_TRUE(source.Log.empty());
}

// A stream naming a method the root does not publish is refused, naming the method; a
// stream naming an event "nil" clears it.
TEST_F(DataStreams, EventNamesMustBePublishedMethodsOfTheRoot)
{
  TEventModule source(nullptr);
  auto* query = new TADOQuery(&source);
  query->SetName("Query1");
  query->BeforeOpen = TDataSetNotifyEvent::Bind(&source, &TEventModule::QueryBeforeOpen);
  auto stream = WriteModule(&source);

  TDataModule plain(nullptr); // publishes no QueryBeforeOpen
  try {
    TReader(stream.get()).ReadRootComponent(&plain);
    ADD_FAILURE() << "read";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Method 'QueryBeforeOpen' not found");
  }
  // A method of that name with another signature is refused as well.
  stream->SetPosition(0);
  TOtherModule other(nullptr);
  try {
    TReader(stream.get()).ReadRootComponent(&other);
    ADD_FAILURE() << "read";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid property value");
  }
}

// An in-memory dataset streams its field definitions; opened from the stream it has the
// fields they describe. A damaged definition list leaves the definitions unchanged.
TEST_F(DataStreams, MemDataSetFieldDefsRoundTrip)
{
  TDataModule source(nullptr);
  auto* mem = new TMemDataSet(&source);
  mem->SetName("Mem");
  mem->FieldDefs()->Add("Code", ftString, 12, true);
  mem->FieldDefs()->Add("Fee", ftBCD, 0);
  mem->FieldDefs()->Items(1)->SetPrecision(10);
  mem->FieldDefs()->Add("Sent", ftDateTime);
  mem->CreateDataSet();
  auto stream = WriteModule(&source);

  TDataModule copy(nullptr);
  TReader(stream.get()).ReadRootComponent(&copy);
  auto* read = dynamic_cast<TMemDataSet*>(copy.FindComponent("Mem"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->FieldDefs()->Count(), 3);
  struct {
    const char* Name;
    TFieldType Type;
    Integer Size;
    bool Required;
    Integer Precision;
  } expected[] = {{"Code", ftString, 12, true, 0},
                  {"Fee", ftBCD, 0, false, 10},
                  {"Sent", ftDateTime, 0, false, 0}};
  for (Integer i = 0; i < 3; ++i) {
    SCOPED_TRACE(expected[i].Name);
    TFieldDef* d = read->FieldDefs()->Items(i);
    EXPECT_EQ(d->Name(), expected[i].Name);
    EXPECT_EQ(d->DataType(), expected[i].Type);
    EXPECT_EQ(d->Size(), expected[i].Size);
    EXPECT_EQ(d->Required(), expected[i].Required);
    EXPECT_EQ(d->Precision(), expected[i].Precision);
  }
  EXPECT_TRUE(read->Active());
  EXPECT_TRUE(Is<TBCDField>(read->FieldByName("Fee")));

  // Definitions read back as properties, with one type name damaged: the definitions the
  // dataset had stay.
  TMemDataSet closed;
  closed.FieldDefs()->Assign(mem->FieldDefs());
  TMemoryStream props;
  TWriter(&props).WriteProperties(&closed);
  AnsiString bytes(static_cast<const char*>(props.Memory()), static_cast<size_t>(props.Size()));
  size_t at = bytes.find("ftBCD");
  ASSERT_NE(at, AnsiString::npos);
  bytes[at + 2] = 'X';
  TStringStream damaged(bytes);
  TMemDataSet target;
  target.FieldDefs()->Add("Kept", ftInteger);
  EXPECT_THROW(TReader(&damaged).ReadProperties(&target), EReadError);
  ASSERT_EQ(target.FieldDefs()->Count(), 1);
  EXPECT_EQ(target.FieldDefs()->Items(0)->Name(), "Kept");
}

// ---- Events reached through reflection ----

// A dataset whose InternalEdit and InternalDelete fail a given number of times.
class TFailingSet : public TMemDataSet {
public:
  using TMemDataSet::TMemDataSet;
  int EditFailures = 0;
  int DeleteFailures = 0;

protected:
  void InternalEdit() override
  {
    if (EditFailures > 0) {
      --EditFailures;
      DatabaseError("record locked");
    }
  }
  void InternalDelete() override
  {
    if (DeleteFailures > 0) {
      --DeleteFailures;
      DatabaseError("record in use");
    }
  }
};

// Each error event sees the failure, and its action decides: daFail raises the error,
// daAbort ends the operation silently, daRetry runs it again.
TEST(DataSetErrorEvents, ActionsDecideWhatFollows)
{
  struct TCase {
    const char* Name;
    char Operation; // 'e' Edit, 'd' Delete, 'p' Post of a record missing a required value
    TDataAction Action;
    const char* Raised; // "" none, "abort" EAbort, else the message
    TDataSetState State;
    Integer Records;
  };
  const TCase cases[] = {
      {"edit fails", 'e', daFail, "record locked", dsBrowse, 2},
      {"edit aborted", 'e', daAbort, "abort", dsBrowse, 2},
      {"edit retried", 'e', daRetry, "", dsEdit, 2},
      {"delete fails", 'd', daFail, "record in use", dsBrowse, 2},
      {"delete aborted", 'd', daAbort, "abort", dsBrowse, 2},
      {"delete retried", 'd', daRetry, "", dsBrowse, 1},
      {"post fails", 'p', daFail, "Field 'N' must have a value", dsInsert, 2},
      {"post aborted", 'p', daAbort, "abort", dsInsert, 2},
      {"post retried after the handler fills the field", 'p', daRetry, "", dsBrowse, 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFailingSet ds;
    ds.FieldDefs()->Add("N", ftInteger, 0, true);
    ds.CreateDataSet();
    ds.AppendRecord({Variant(1)});
    ds.AppendRecord({Variant(2)});
    ds.EditFailures = ds.DeleteFailures = 1;
    std::vector<AnsiString> seen;
    auto handler = [&](TDataSet* DataSet, EDatabaseError* E, TDataAction& Action) {
      seen.push_back(E->Message());
      if (c.Operation == 'p' && c.Action == daRetry)
        DataSet->FieldByName("N")->SetAsInteger(3);
      Action = c.Action;
    };
    SetMethodProp(&ds,
                  c.Operation == 'e'   ? "OnEditError"
                  : c.Operation == 'd' ? "OnDeleteError"
                                       : "OnPostError",
                  TMethod(TDataSetErrorEvent(handler)));
    auto run = [&] {
      if (c.Operation == 'e')
        ds.Edit();
      else if (c.Operation == 'd')
        ds.Delete();
      else {
        ds.Append();
        ds.Post();
      }
    };
    AnsiString raised;
    try {
      run();
    } catch (const EAbort&) {
      raised = "abort";
    } catch (const EDatabaseError& e) {
      raised = e.Message();
    }
    EXPECT_EQ(raised, c.Raised);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(ds.State(), c.State);
    if (ds.State() == dsInsert)
      ds.Cancel();
    EXPECT_EQ(ds.RecordCount(), c.Records);
  }
}

TEST(DataSetErrorEvents, RefreshIsBracketedByItsEvents)
{
  TMemDataSet ds;
  ds.FieldDefs()->Add("N", ftInteger);
  ds.CreateDataSet();
  std::vector<AnsiString> log;
  SetMethodProp(&ds, "BeforeRefresh",
                TMethod(TDataSetNotifyEvent([&](TDataSet*) { log.push_back("before"); })));
  SetMethodProp(&ds, "AfterRefresh",
                TMethod(TDataSetNotifyEvent([&](TDataSet*) { log.push_back("after"); })));
  ds.AfterScroll = [&](TDataSet*) { log.push_back("scroll"); };
  ds.Refresh();
  EXPECT_EQ(log, (std::vector<AnsiString>{"before", "after"}));
}

} // namespace
