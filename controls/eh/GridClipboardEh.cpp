// The grid's clipboard and delete commands (see GridClipboardEh.h).
#include "controls/eh/GridClipboardEh.h"

#include "controls/eh/DBGridEhExport.h"
#include "controls/eh/EhTexts.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"

UINT VCLDBIFClipboardFormat = 0;
UINT CsvClipboardFormat = 0;
UINT RtfClipboardFormat = 0;

namespace {

TDataSet* DataSetOf(TCustomDBGridEh* Grid)
{
  TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  return source ? source->DataSet() : nullptr;
}

std::string BytesOf(TMemoryStream& Stream)
{
  return std::string(static_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
}

void AppendZero(TMemoryStream& Stream)
{
  char zero = 0;
  Stream.Seek(0, soEnd);
  Stream.WriteBuffer(&zero, 1);
}

// Clears the listed columns of the current record (a lookup column its key field).
void ClearCellsInColumns(TColumnsEhList* Columns)
{
  for (Integer i = 0; i < Columns->Count(); ++i) {
    TColumnEh* column = Columns->Items(i);
    if (!column->CanEditValue(false))
      continue;
    TField* target = column->Field();
    if (target && target->FieldKind() == fkLookup)
      target = target->DataSet()->FindField(target->KeyFields());
    if (!target || !target->DataSet()->CanModify())
      continue;
    TDataSet* ds = target->DataSet();
    ds->Edit();
    if (ds->State() == dsEdit || ds->State() == dsInsert)
      target->Clear();
  }
}

} // namespace

// Deleting every record or clearing whole columns asks as well: those are the largest
// deletes of all.
AnsiString GridDeleteQuestion(TCustomDBGridEh* Grid, TGridSelectionKindEh Kind)
{
  switch (Kind) {
  case selRowsEh:
    return Grid->Selection()->SelectedRecords()->Count() < 2
               ? LoadResString(&SDeleteRecordQuestionEh)
               : LoadResString(&SDeleteAllRecordsQuestionEh);
  case selRectEh:
  case selColumnsEh:
    return LoadResString(&SClearSelectedCellsEh);
  case selAllEh:
    return LoadResString(&SDeleteAllRecordsQuestionEh);
  default:
    return "";
  }
}

void PutClipboardBlock(UINT Format, TMemoryStream* Stream)
{
  Clipboard()->Open();
  TScopeExit close([] { Clipboard()->Close(); });
  Clipboard()->SetBuffer(Format, BytesOf(*Stream));
}

void GetClipboardBlock(UINT Format, TMemoryStream* Stream)
{
  Clipboard()->Open();
  TScopeExit close([] { Clipboard()->Close(); });
  if (!Clipboard()->HasFormat(Format))
    return;
  std::string bytes = Clipboard()->GetBuffer(Format);
  Stream->Seek(0, soEnd);
  if (!bytes.empty())
    Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void PutClipboardUnicodeText(TMemoryStream* Stream)
{
  WideString wide = GbkToWide(BytesOf(*Stream));
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (char16_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  Clipboard()->Open();
  TScopeExit close([] { Clipboard()->Close(); });
  Clipboard()->SetBuffer(CF_UNICODETEXT, bytes);
}

void GridCopyAction(TCustomDBGridEh* Grid, bool All)
{
  TDataSet* ds = DataSetOf(Grid);
  Clipboard()->Open();
  if (ds)
    ds->DisableControls();
  TScopeExit release([ds] {
    Clipboard()->Close();
    if (ds)
      ds->EnableControls();
  });
  TMemoryStream stream;
  RunGridExport(ExportClassOf<TDBGridEhExportAsText>(), Grid, &stream, All);
  AppendZero(stream);
  PutClipboardUnicodeText(&stream);
  stream.Clear();
  RunGridExport(ExportClassOf<TDBGridEhExportAsCSV>(), Grid, &stream, All);
  AppendZero(stream);
  PutClipboardBlock(CsvClipboardFormat, &stream);
  stream.Clear();
  RunGridExport(ExportClassOf<TDBGridEhExportAsRTF>(), Grid, &stream, All);
  AppendZero(stream);
  PutClipboardBlock(RtfClipboardFormat, &stream);
  stream.Clear();
  RunGridExport(ExportClassOf<TDBGridEhExportAsVCLDBIF>(), Grid, &stream, All);
  PutClipboardBlock(VCLDBIFClipboardFormat, &stream);
}

void GridPasteAction(TCustomDBGridEh* Grid, bool All)
{
  Clipboard()->Open();
  TScopeExit close([] { Clipboard()->Close(); });
  TMemoryStream stream;
  if (Clipboard()->HasFormat(VCLDBIFClipboardFormat)) {
    GetClipboardBlock(VCLDBIFClipboardFormat, &stream);
    stream.SetPosition(0);
    RunGridImport(ImportClassOf<TDBGridEhImportAsVCLDBIF>(), Grid, &stream, All);
  } else if (Clipboard()->HasFormat(CF_TEXT)) {
    std::string text = Clipboard()->GetBuffer(CF_TEXT);
    text = text.substr(0, text.find('\0'));
    if (!text.empty())
      stream.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
    stream.SetPosition(0);
    RunGridImport(ImportClassOf<TDBGridEhImportAsText>(), Grid, &stream, All);
  }
}

void GridCutAction(TCustomDBGridEh* Grid, bool All)
{
  GridCopyAction(Grid, All);
  GridDeleteAction(Grid, All);
}

void GridDeleteAction(TCustomDBGridEh* Grid, bool All)
{
  TDataSet* ds = DataSetOf(Grid);
  TGridSelectionKindEh kind = All ? selAllEh : Grid->Selection()->Kind();
  if (kind == selNoneEh || !ds)
    return;
  AnsiString question = GridDeleteQuestion(Grid, kind);
  if (!question.empty() && Grid->Options().Contains(dgConfirmDelete) &&
      MessageDlg(question, mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}, 0) != mrOk)
    return;
  TBookmarkStr position = ds->Bookmark();
  bool restore = false;
  ds->DisableControls();
  TScopeExit release([&] {
    TScopeExit enable([ds] { ds->EnableControls(); });
    if (restore) {
      ds->CheckBrowseMode();
      if (!position.empty() && ds->BookmarkValid(position))
        ds->SetBookmark(position);
    }
  });
  TDBGridEhSelection* selection = Grid->Selection();
  switch (kind) {
  case selRowsEh: {
    // The list is copied first: deleting a record takes it out of the grid's list.
    TBookmarkListEh* rows = selection->SelectedRecords();
    std::vector<AnsiString> bookmarks;
    for (Integer i = 0; i < rows->Count(); ++i)
      bookmarks.push_back(rows->Items(i));
    for (const AnsiString& bookmark : bookmarks)
      if (ds->BookmarkValid(bookmark)) {
        ds->SetBookmark(bookmark);
        ds->Delete();
      }
    selection->Reset();
    break;
  }
  case selRectEh: {
    restore = true;
    TDBGridEhSelectionRect* rect = selection->Rect();
    TColumnsEhList columns;
    TDBGridColumnsEh* all = Grid->Columns();
    for (Integer i = std::max(0, rect->GetLeftmostCol());
         i <= rect->GetRightmostCol() && i < all->Count(); ++i)
      if (all->Items(i)->Visible())
        columns.Add(all->Items(i));
    AnsiString bottom = rect->GetBottomRow();
    ds->SetBookmark(rect->GetUpperRow());
    while (!ds->Eof()) {
      ClearCellsInColumns(&columns);
      if (CompareBookmarkText(ds, ds->Bookmark(), bottom) == 0)
        break;
      ds->Next();
    }
    break;
  }
  case selColumnsEh:
    restore = true;
    ds->First();
    while (!ds->Eof()) {
      ClearCellsInColumns(selection->Columns());
      ds->Next();
    }
    break;
  case selAllEh:
    ds->First();
    while (!ds->Eof())
      ds->Delete();
    break;
  case selNoneEh:
    break;
  }
}

void GridClipboardEhInitialization()
{
  VCLDBIFClipboardFormat = RegisterClipboardFormat("VCLDBIF");
  CsvClipboardFormat = RegisterClipboardFormat("Csv");
  RtfClipboardFormat = RegisterClipboardFormat("Rich Text Format");
}
