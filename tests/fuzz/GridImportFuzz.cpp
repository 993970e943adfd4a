// Fuzz target "grid-import": the input pasted into a grid of three string columns, first as a
// "VCLDBIF" block, then as text (controls/eh, DBGridEhExportImport.cpp). A refused input must
// leave the records as they were; an accepted one is exported as "VCLDBIF", imported into a
// fresh copy and exported again: both exports must be the same bytes.
#include <memory>

#include "controls/eh/DBGridEhExport.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/Streams.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

struct TFuzzGrid {
  TMemDataSet DataSet;
  TDataSource Source{nullptr};
  std::unique_ptr<TDBGridEh> Grid;
  TFuzzGrid()
  {
    DataSet.FieldDefs()->Add("A", ftString, 20);
    DataSet.FieldDefs()->Add("B", ftString, 30);
    DataSet.FieldDefs()->Add("C", ftString, 5);
    DataSet.CreateDataSet();
    DataSet.AppendRecord({Variant("x"), Variant("y"), Variant("z")});
    DataSet.AppendRecord({Variant("张三"), Null(), Variant("")});
    DataSet.First();
    Source.SetDataSet(&DataSet);
    Grid = std::make_unique<TDBGridEh>(nullptr);
    for (const char* name : {"A", "B", "C"})
      Grid->Columns()->Add()->SetFieldName(name);
    Grid->SetDataSource(&Source);
  }
};

std::string Dump(TDataSet& DataSet)
{
  std::string out;
  DataSet.First();
  while (!DataSet.Eof()) {
    for (Integer i = 0; i < DataSet.FieldCount(); ++i) {
      TField* f = DataSet.Fields()->Fields(i);
      out += f->IsNull() ? std::string("\x01") : f->AsString();
      out += '\x02';
    }
    DataSet.Next();
  }
  return out;
}

std::string Export(TCustomDBGridEh* Grid)
{
  TMemoryStream stream;
  RunGridExport(ExportClassOf<TDBGridEhExportAsVCLDBIF>(), Grid, &stream, true);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Import(TDBGridEhImportClass Class, TCustomDBGridEh* Grid, const std::string& Bytes)
{
  TMemoryStream stream;
  if (!Bytes.empty())
    stream.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  stream.SetPosition(0);
  RunGridImport(Class, Grid, &stream, false);
}

void ImportChecked(TDBGridEhImportClass Class, const std::string& Input)
{
  TFuzzGrid target;
  const std::string before = Dump(target.DataSet);
  target.DataSet.First();
  try {
    Import(Class, target.Grid.get(), Input);
  } catch (const Exception&) {
    FuzzCheck(Dump(target.DataSet) == before, "a refused block changed the records");
    FuzzCheck(!target.DataSet.ControlsDisabled(), "a refused block left the controls disabled");
    throw;
  }
  const std::string written = Export(target.Grid.get());
  TFuzzGrid copy;
  copy.DataSet.EmptyDataSet();
  try {
    Import(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), copy.Grid.get(), written);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("an exported block does not read back: " + e.Message());
  }
  FuzzCheck(Export(copy.Grid.get()) == written, "an exported block read and exported differs");
}

void FuzzGridImport(const std::string& Input)
{
  bool refused = false;
  try {
    ImportChecked(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), Input);
  } catch (const Exception&) {
    refused = true;
  }
  try {
    ImportChecked(ImportClassOf<TDBGridEhImportAsText>(), Input);
  } catch (const Exception&) {
    if (refused)
      throw;
  }
}

} // namespace

QH_FUZZ_TARGET("grid-import", FuzzGridImport);
