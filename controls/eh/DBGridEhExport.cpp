// The grid's exporters: the walk over the selection, data and footer rows, footer sums,
// and the text, CSV and "VCLDBIF" writers (see DBGridEhExport.h).
#include "controls/eh/DBGridEhExport.h"

#include <cstring>

#include "controls/eh/EhWrappers.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

char DBGridEhCSVSeparator = ';';

namespace {

TDataSet* DataSetOf(TCustomDBGridEh* Grid)
{
  TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  return source ? source->DataSet() : nullptr;
}

// The visible columns of the grid's collection from position First to Last.
void VisibleColumnsBetween(TCustomDBGridEh* Grid, Integer First, Integer Last, TColumnsEhList& List)
{
  List.Clear();
  TDBGridColumnsEh* columns = Grid->Columns();
  for (Integer i = std::max(0, First); i <= Last && i < columns->Count(); ++i)
    if (columns->Items(i)->Visible())
      List.Add(columns->Items(i));
}

// The text the grid shows in a footer cell whose value is not an export sum. The grid's own
// footer sums are not kept here: a static text, a field's value or nothing.
AnsiString GridFooterText(TCustomDBGridEh* Grid, Integer FooterNo, TColumnEh* Column)
{
  TColumnFooterEh* footer = Column->FooterAt(FooterNo);
  if (!footer)
    return "";
  switch (footer->ValueType()) {
  case fvtStaticText:
    return footer->Value();
  case fvtFieldValue: {
    TDataSet* ds = DataSetOf(Grid);
    AnsiString name = footer->FieldName().empty() ? Column->FieldName() : footer->FieldName();
    TField* field = ds ? ds->FindField(name) : nullptr;
    return field ? field->DisplayText() : "";
  }
  default:
    return "";
  }
}

void PutInt32(AnsiString& Out, Integer Value)
{
  auto u = static_cast<Cardinal>(Value);
  for (Integer i = 0; i < 4; ++i)
    Out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void PutDouble(AnsiString& Out, double Value)
{
  std::uint64_t bits;
  std::memcpy(&bits, &Value, 8);
  for (Integer i = 0; i < 8; ++i)
    Out += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

} // namespace

// ---- Running exporters ----

void RunGridExport(TDBGridEhExportClass ExportClass, TCustomDBGridEh* Grid, TStream* Stream,
                   bool All)
{
  std::unique_ptr<TDBGridEhExport> exporter(ExportClass());
  exporter->SetDBGridEh(Grid);
  exporter->Execute(Stream, All);
}

void RunGridImport(TDBGridEhImportClass ImportClass, TCustomDBGridEh* Grid, TStream* Stream,
                   bool All)
{
  std::unique_ptr<TDBGridEhImport> importer(ImportClass());
  importer->SetDBGridEh(Grid);
  importer->Execute(Stream, All);
}

// ---- TDBGridEhExport ----

TDBGridEhExport::TDBGridEhExport() : FColCellParams(std::make_unique<TColCellParamsEh>()) {}

TDBGridEhExport::~TDBGridEhExport() = default;

void TDBGridEhExport::WriteBytes(const AnsiString& Bytes)
{
  if (!Bytes.empty())
    FStream->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
}

void TDBGridEhExport::ExecuteToFile(const AnsiString& FileName, bool All)
{
  TFileStream file(FileName, fmCreate);
  Execute(&file, All);
}

void TDBGridEhExport::Execute(TStream* AStream, bool All)
{
  FStream = AStream;
  TGridSelectionKindEh kind = All ? selAllEh : FDBGridEh->Selection()->Kind();
  TDataSet* ds = DataSetOf(FDBGridEh);
  if (kind == selNoneEh || !ds)
    return;
  ds->DisableControls();
  {
    // The current record comes back and the controls are enabled on every path.
    TBookmarkStr position = ds->Bookmark();
    TScopeExit restore([ds, position] {
      if (!position.empty() && ds->BookmarkValid(position))
        ds->SetBookmark(position);
      ds->EnableControls();
    });
    ExportSelection(kind);
    for (Integer r = 0; r < FDBGridEh->FooterRowCount(); ++r)
      EmitFooter(FExpCols, r);
  }
  EmitSuffix();
}

void TDBGridEhExport::StartRows(TColumnsEhList* Columns)
{
  FExpCols = Columns;
  FFooterValues.assign(
      static_cast<size_t>(std::max(0, FDBGridEh->FooterRowCount()) * Columns->Count()), Currency());
  EmitPrefix();
  if (FDBGridEh->Options().Contains(dgTitles))
    EmitTitle(Columns);
}

void TDBGridEhExport::ExportSelection(TGridSelectionKindEh Kind)
{
  TDataSet* ds = DataSetOf(FDBGridEh);
  TDBGridEhSelection* selection = FDBGridEh->Selection();
  switch (Kind) {
  case selRowsEh: {
    StartRows(FDBGridEh->VisibleColumns());
    TBookmarkListEh* rows = selection->SelectedRecords();
    for (Integer i = 0; i < rows->Count(); ++i) {
      ds->SetBookmark(rows->Items(i));
      AccumulateFooters();
      EmitRecord(FExpCols);
    }
    break;
  }
  case selRectEh: {
    TDBGridEhSelectionRect* rect = selection->Rect();
    VisibleColumnsBetween(FDBGridEh, rect->GetLeftmostCol(), rect->GetRightmostCol(), FOwnCols);
    StartRows(&FOwnCols);
    AnsiString bottom = rect->GetBottomRow();
    ds->SetBookmark(rect->GetUpperRow());
    while (!ds->Eof()) {
      EmitRecord(FExpCols);
      AccumulateFooters();
      if (CompareBookmarkText(ds, ds->Bookmark(), bottom) == 0)
        break;
      ds->Next();
    }
    break;
  }
  case selColumnsEh:
  case selAllEh:
    StartRows(Kind == selColumnsEh ? selection->Columns() : FDBGridEh->VisibleColumns());
    ds->First();
    while (!ds->Eof()) {
      EmitRecord(FExpCols);
      AccumulateFooters();
      ds->Next();
    }
    break;
  case selNoneEh:
    break;
  }
}

void TDBGridEhExport::EmitRecord(TColumnsEhList* Columns)
{
  TFont font;
  TColCellParamsEh* params = FColCellParams.get();
  for (Integer i = 0; i < Columns->Count(); ++i) {
    TColumnEh* column = Columns->Items(i);
    font.Assign(column->Font());
    params->Row = -1;
    params->Col = -1;
    params->State = TGridDrawState();
    params->Font = &font;
    params->Background = column->Color();
    params->Alignment = column->Alignment();
    params->ImageIndex = column->ImageIndexOfValue();
    params->Text = column->CellText();
    params->CheckMark = column->ValueCheckState();
    TColor background = column->Color();
    if (FDBGridEh->OnGetCellParams)
      FDBGridEh->OnGetCellParams(FDBGridEh, column, &font, background, TGridDrawState());
    column->DoGetCellParams(false, params);
    // A background the column's own handler set does not reach the writer.
    params->Background = background;
    EmitDataCell(column, params);
  }
}

void TDBGridEhExport::EmitFooter(TColumnsEhList* Columns, Integer FooterNo)
{
  TFont font;
  for (Integer p = 0; p < Columns->Count(); ++p) {
    TColumnEh* column = Columns->Items(p);
    TColumnFooterEh* footer = column->FooterAt(FooterNo);
    TColor background = footer ? footer->Color() : column->Color();
    TAlignment alignment = footer ? footer->Alignment() : column->Alignment();
    font.Assign(footer ? footer->Font() : column->Font());
    AnsiString text;
    if (footer && (footer->ValueType() == fvtSum || footer->ValueType() == fvtCount))
      text = FooterSumText(FooterNo, p);
    else
      text = GridFooterText(FDBGridEh, FooterNo, column);
    if (FDBGridEh->OnGetFooterParams)
      FDBGridEh->OnGetFooterParams(FDBGridEh, column->Index(), FooterNo, column, &font, background,
                                   alignment, TGridDrawState(), text);
    EmitFooterCell(p, FooterNo, text, alignment, background, &font, column);
  }
}

TField* TDBGridEhExport::FooterField(Integer FooterNo, Integer Position)
{
  TColumnEh* column = FExpCols->Items(Position);
  TColumnFooterEh* footer = column->FooterAt(FooterNo);
  TDataSet* ds = DataSetOf(FDBGridEh);
  if (!footer || !ds)
    return nullptr;
  AnsiString name = footer->FieldName().empty() ? column->FieldName() : footer->FieldName();
  return ds->FindField(name);
}

void TDBGridEhExport::AccumulateFooters()
{
  Integer columns = FExpCols->Count();
  for (Integer r = 0; r < FDBGridEh->FooterRowCount(); ++r)
    for (Integer p = 0; p < columns; ++p) {
      TColumnFooterEh* footer = FExpCols->Items(p)->FooterAt(r);
      TField* field = FooterField(r, p);
      if (!footer || !field)
        continue;
      Currency& value = FFooterValues[static_cast<size_t>(r * columns + p)];
      if (footer->ValueType() == fvtSum && !field->IsNull())
        value += Currency(static_cast<long double>(field->AsFloat()));
      else if (footer->ValueType() == fvtCount)
        value += Currency(1);
    }
}

AnsiString TDBGridEhExport::FooterSumText(Integer FooterNo, Integer Position)
{
  TColumnFooterEh* footer = FExpCols->Items(Position)->FooterAt(FooterNo);
  Currency value = FFooterValues[static_cast<size_t>(FooterNo * FExpCols->Count() + Position)];
  if (footer->ValueType() == fvtCount)
    return IntToStr(value.Truncated());
  TField* field = FooterField(FooterNo, Position);
  if (!field)
    return "";
  auto* numeric = dynamic_cast<TNumericField*>(field);
  AnsiString format = numeric ? numeric->DisplayFormat() : "";
  switch (field->DataType()) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftAutoInc:
    return format.empty() ? IntToStr(value.Truncated()) : FormatFloat(format, value.ToExtended());
  case ftFloat:
  case ftCurrency: {
    if (!format.empty())
      return FormatFloat(format, value.ToExtended());
    auto* f = dynamic_cast<TFloatField*>(field);
    Integer precision = f ? f->Precision() : 15;
    if (f && f->Currency())
      return FloatToStrF(value.ToExtended(), ffCurrency, precision,
                         FormatSettings.CurrencyDecimals);
    return FloatToStrF(value.ToExtended(), ffGeneral, precision, 0);
  }
  case ftBCD:
  case ftFMTBcd: {
    if (!format.empty())
      return FormatCurr(format, value);
    auto* b = dynamic_cast<TBCDField*>(field);
    if (b && b->Currency())
      return CurrToStrF(value, ffCurrency, FormatSettings.CurrencyDecimals);
    return CurrToStrF(value, ffGeneral, 0);
  }
  default:
    return "";
  }
}

// ---- Text and CSV ----

void TDBGridEhExportAsText::Execute(TStream* AStream, bool All)
{
  FFirstRec = true;
  TDBGridEhExport::Execute(AStream, All);
}

void TDBGridEhExportAsText::SeparateRecord()
{
  if (!FFirstRec)
    WriteBytes("\r\n");
  FFirstRec = false;
}

void TDBGridEhExportAsText::SeparateCell()
{
  if (!FFirstCell)
    WriteBytes(AnsiString(1, CellSeparator()));
  FFirstCell = false;
}

void TDBGridEhExportAsText::EmitTitle(TColumnsEhList* Columns)
{
  SeparateRecord();
  for (Integer i = 0; i < Columns->Count(); ++i) {
    WriteBytes(CellOut(Columns->Items(i)->Title()->Caption()));
    if (i + 1 < Columns->Count())
      WriteBytes(AnsiString(1, CellSeparator()));
  }
}

void TDBGridEhExportAsText::EmitRecord(TColumnsEhList* Columns)
{
  SeparateRecord();
  FFirstCell = true;
  TDBGridEhExport::EmitRecord(Columns);
}

void TDBGridEhExportAsText::EmitFooter(TColumnsEhList* Columns, Integer FooterNo)
{
  SeparateRecord();
  FFirstCell = true;
  TDBGridEhExport::EmitFooter(Columns, FooterNo);
}

void TDBGridEhExportAsText::EmitDataCell(TColumnEh*, TColCellParamsEh* Params)
{
  SeparateCell();
  WriteBytes(CellOut(Params->Text));
}

void TDBGridEhExportAsText::EmitFooterCell(Integer, Integer, const AnsiString& Text, TAlignment,
                                           TColor, TFont*, TColumnEh*)
{
  SeparateCell();
  WriteBytes(CellOut(Text));
}

TDBGridEhExportAsCSV::TDBGridEhExportAsCSV() : FSeparator(DBGridEhCSVSeparator) {}

AnsiString TDBGridEhExportAsCSV::CellOut(const AnsiString& Text)
{
  AnsiString out = "\"";
  for (char c : Text) {
    out += c;
    if (c == '"')
      out += '"';
  }
  return out + "\"";
}

// ---- VCLDBIF ----

void TDBGridEhExportAsVCLDBIF::EmitPrefix()
{
  AnsiString head = "VCLDBIF";
  head += '\x01';
  PutInt32(head, ExpCols()->Count());
  for (Integer i = 0; i < ExpCols()->Count(); ++i) {
    head += ExpCols()->Items(i)->Visible() ? '\x01' : '\x00';
    head += '\x00';
  }
  WriteBytes(head);
}

void TDBGridEhExportAsVCLDBIF::EmitSuffix()
{
  WriteBytes(AnsiString(1, '\x00'));
}

void TDBGridEhExportAsVCLDBIF::EmitDataCell(TColumnEh* Column, TColCellParamsEh*)
{
  TField* field = Column->Field();
  // A lookup column carries its key, not the text it shows; a key of several fields goes
  // as unassigned.
  if (field && field->FieldKind() == fkLookup)
    field = field->DataSet()->FindField(field->KeyFields());
  AnsiString out;
  if (!field) {
    out += '\x01';
  } else if (field->IsNull()) {
    out += '\x02';
  } else {
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      out += '\x03';
      PutInt32(out, field->AsInteger());
      break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
      out += '\x04';
      PutDouble(out, field->AsFloat());
      break;
    case ftString:
    case ftFixedChar:
    case ftMemo:
    case ftBoolean:
    case ftLargeint:
    case ftOraClob:
    case ftGuid:
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftWideString:
    case ftOraBlob: {
      bool text = field->DataType() == ftString || field->DataType() == ftFixedChar ||
                  field->DataType() == ftMemo || field->DataType() == ftBoolean ||
                  field->DataType() == ftLargeint || field->DataType() == ftOraClob ||
                  field->DataType() == ftGuid;
      AnsiString bytes = field->AsString();
      out += text ? '\x05' : '\x06';
      PutInt32(out, static_cast<Integer>(bytes.size()));
      out += bytes;
      break;
    }
    default:
      out += '\x01';
      break;
    }
  }
  WriteBytes(out);
}
