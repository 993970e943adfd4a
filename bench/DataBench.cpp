// Dataset benchmarks: filling the in-memory dataset with 100,000 records of six fields,
// and opening a 100,000-row query on an SQLite file and walking it field by field.
#include <memory>

#include <benchmark/benchmark.h>

#include "platform/data/ADODB.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Units.h"

void RegisterDataUnits();

namespace {

constexpr Integer RowCount = 100000;

void StartUnits()
{
  static bool started = [] {
    RegisterRtlUnits();
    RegisterDataUnits();
    InitializeUnits();
    return true;
  }();
  (void)started;
}

void DefineFields(TFieldDefs* Defs)
{
  Defs->Add("Id", ftInteger);
  Defs->Add("Name", ftString, 40);
  Defs->Add("City", ftString, 20);
  Defs->Add("Amount", ftFloat);
  Defs->Add("Stamp", ftDateTime);
  Defs->Add("Paid", ftBoolean);
}

void BM_MemDataSetFill100k(benchmark::State& state)
{
  StartUnits();
  const TDateTime stamp = EncodeDate(2026, 12, 10);
  for (auto _ : state) {
    TMemDataSet ds;
    DefineFields(ds.FieldDefs());
    ds.CreateDataSet();
    TField* id = ds.FieldByName("Id");
    TField* name = ds.FieldByName("Name");
    TField* city = ds.FieldByName("City");
    TField* amount = ds.FieldByName("Amount");
    TField* when = ds.FieldByName("Stamp");
    TField* paid = ds.FieldByName("Paid");
    ds.DisableControls();
    for (Integer i = 0; i < RowCount; ++i) {
      ds.Append();
      id->SetAsInteger(i);
      name->SetAsString("收件人");
      city->SetAsString("北京");
      amount->SetAsFloat(i * 0.5);
      when->SetAsDateTime(stamp);
      paid->SetAsBoolean(i % 2 == 0);
      ds.Post();
    }
    ds.EnableControls();
    benchmark::DoNotOptimize(ds.RecordCount());
  }
}
BENCHMARK(BM_MemDataSetFill100k)->Unit(benchmark::kMillisecond);

// An SQLite file with RowCount rows of six columns, made once.
class TBigDatabase {
public:
  static TBigDatabase& Instance()
  {
    static TBigDatabase db;
    return db;
  }
  ~TBigDatabase() { DeleteFile(FFile); }
  AnsiString ConnectionString() const
  {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + FFile;
  }

private:
  TBigDatabase()
  {
    FFile = GetTempFileName("", "qhbench");
    TADOConnection conn;
    conn.SetConnectionString(ConnectionString());
    conn.Open();
    conn.Execute("create table big (Id integer primary key, Name varchar(40), City varchar(20), "
                 "Amount double, Stamp datetime, Paid boolean)");
    conn.BeginTrans();
    TADOQuery ins;
    ins.SetConnection(&conn);
    ins.SQL()->SetText("insert into big values (:Id, :Name, :City, :Amount, :Stamp, :Paid)");
    const TDateTime stamp = EncodeDate(2026, 12, 10);
    for (Integer i = 0; i < RowCount; ++i) {
      ins.ParamByName("Id")->SetValue(Variant(i));
      ins.ParamByName("Name")->SetValue(Variant("收件人" + IntToStr(i)));
      ins.ParamByName("City")->SetValue(Variant("北京"));
      ins.ParamByName("Amount")->SetValue(Variant(i * 0.5));
      ins.ParamByName("Stamp")->SetValue(VarFromDateTime(stamp));
      ins.ParamByName("Paid")->SetValue(Variant(i % 2 == 0));
      ins.ExecSQL();
    }
    conn.CommitTrans();
  }

  AnsiString FFile;
};

void BM_SQLiteOpenAndWalk100k(benchmark::State& state)
{
  StartUnits();
  TBigDatabase& db = TBigDatabase::Instance();
  TADOConnection conn;
  conn.SetConnectionString(db.ConnectionString());
  conn.Open();
  for (auto _ : state) {
    TADOQuery q;
    q.SetConnection(&conn);
    q.SQL()->SetText("select * from big");
    q.Open();
    TField* name = q.FieldByName("Name");
    TField* amount = q.FieldByName("Amount");
    Double total = 0;
    Integer bytes = 0;
    for (q.First(); !q.Eof(); q.Next()) {
      total += amount->AsFloat();
      bytes += Length(name->AsString());
    }
    benchmark::DoNotOptimize(total);
    benchmark::DoNotOptimize(bytes);
    state.counters["rows"] = q.RecordCount();
  }
}
BENCHMARK(BM_SQLiteOpenAndWalk100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
