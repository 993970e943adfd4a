// The grid's importers: the walk over the selection or the inserted rows, and the text and
// "VCLDBIF" readers (see DBGridEhExport.h). Each reader takes the rest of the stream into
// memory and checks all of it before the first value is stored.
#include <cstring>

#include "controls/eh/DBGridEhExport.h"
#include "controls/eh/EhTexts.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Dialogs.h"

namespace {

TDataSet* DataSetOf(TCustomDBGridEh* Grid)
{
  TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  return source ? source->DataSet() : nullptr;
}

[[noreturn]] void RaiseTextFormat()
{
  throw Exception("TDBGridEhImportAsText.CheckState: " + LoadResString(&SInvalidTextFormatEh));
}

[[noreturn]] void RaiseVCLDBIFFormat()
{
  throw Exception("TDBGridEhImportAsVCLDBIF.ReadPrefix: " +
                  LoadResString(&SInvalidVCLDBIFFormatEh));
}

AnsiString ReadRest(TStream* Stream)
{
  Int64 left = Stream->Size() - Stream->Position();
  AnsiString bytes;
  if (left <= 0)
    return bytes;
  bytes.resize(static_cast<size_t>(left));
  Integer got = Stream->Read(bytes.data(), static_cast<Integer>(left));
  bytes.resize(static_cast<size_t>(std::max(0, got)));
  return bytes;
}

// A cursor over the bytes of a "VCLDBIF" stream: every read checks the bytes left.
class TVCLDBIFCursor {
public:
  explicit TVCLDBIFCursor(const AnsiString& Bytes) : FBytes(Bytes) {}
  size_t Left() const { return FBytes.size() - FPos; }
  Byte ReadByte()
  {
    if (Left() < 1)
      RaiseVCLDBIFFormat();
    return static_cast<Byte>(FBytes[FPos++]);
  }
  Integer ReadInt32()
  {
    if (Left() < 4)
      RaiseVCLDBIFFormat();
    Cardinal u = 0;
    for (Integer i = 0; i < 4; ++i)
      u |= static_cast<Cardinal>(static_cast<Byte>(FBytes[FPos + i])) << (8 * i);
    FPos += 4;
    return static_cast<Integer>(u);
  }
  double ReadDouble()
  {
    if (Left() < 8)
      RaiseVCLDBIFFormat();
    std::uint64_t bits = 0;
    for (Integer i = 0; i < 8; ++i)
      bits |= static_cast<std::uint64_t>(static_cast<Byte>(FBytes[FPos + i])) << (8 * i);
    FPos += 8;
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
  }
  // Count bytes; the count is checked against what is left before anything is copied.
  AnsiString ReadBytes(Integer Count)
  {
    if (Count < 0 || static_cast<size_t>(Count) > Left())
      RaiseVCLDBIFFormat();
    AnsiString out = FBytes.substr(FPos, static_cast<size_t>(Count));
    FPos += static_cast<size_t>(Count);
    return out;
  }

private:
  const AnsiString& FBytes;
  size_t FPos = 0;
};

} // namespace

// ---- TDBGridEhImport ----

void TDBGridEhImport::ExecuteFromFile(const AnsiString& FileName, bool All)
{
  TFileStream file(FileName, fmOpenRead);
  Execute(&file, All);
}

TField* TDBGridEhImport::TargetField(TColumnEh* Column)
{
  TField* field = Column->Field();
  // A column still bound to a field of another dataset stores nothing.
  if (field && field->DataSet() != DataSetOf(FDBGridEh))
    return nullptr;
  if (field && field->FieldKind() == fkLookup)
    return field->KeyFields().empty() ? nullptr : field->DataSet()->FindField(field->KeyFields());
  return field;
}

bool TDBGridEhImport::StartStore(TField* Target)
{
  TDataSet* ds = Target->DataSet();
  if (!ds->CanModify())
    return false;
  ds->Edit();
  return ds->State() == dsEdit || ds->State() == dsInsert;
}

template <class F> void TDBGridEhImport::Guarded(F Store)
{
  try {
    Store();
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    if (FIgnoreAll)
      return;
    AnsiString text = LoadResString(&SErrorDuringInsertValueEh) + "\n" + e.Message() + "\n\n" +
                      LoadResString(&SIgnoreErrorEh);
    Integer answer = MessageDlg(text, mtError, TMsgDlgButtons{mbYes, mbNo, mbAll}, 0);
    if (answer == mrAll)
      FIgnoreAll = true;
    else if (answer != mrYes)
      Abort();
  }
}

void TDBGridEhImport::ReadRow(TColumnsEhList* Columns)
{
  for (Integer i = 0; i < Columns->Count(); ++i)
    ReadCell(Columns->Items(i));
}

void TDBGridEhImport::InsertRows(bool AppendMode)
{
  TDataSet* ds = DataSetOf(FDBGridEh);
  while (!FEos) {
    if (AppendMode)
      ds->Append();
    else
      ds->Insert();
    ReadRow(FImpCols);
    ds->Post();
    if (!AppendMode)
      ds->Next();
  }
}

void TDBGridEhImport::Execute(TStream* AStream, bool All)
{
  TDataSet* ds = DataSetOf(FDBGridEh);
  if (!ds)
    return;
  // Outside input: read and check all of it first, so a damaged stream changes nothing.
  LoadAndCheck(ReadRest(AStream));
  FEos = false;
  if (All) {
    FDBGridEh->Selection()->Reset();
    ds->First();
    if (FDBGridEh->VisibleColumns()->Count() > 0)
      FDBGridEh->SelectDataColumn(FDBGridEh->VisibleColumns()->Items(0)->Index());
  }
  bool appendMode = ds->Eof();
  bool inserting = ds->State() == dsInsert;
  TBookmarkStr position = inserting ? "" : ds->Bookmark();
  bool restore = !inserting;
  ds->DisableControls();
  {
    // On every path: the record being stored is posted (what was stored stays), the
    // position comes back and the controls are enabled.
    TScopeExit guard([&] {
      TScopeExit enable([ds] { ds->EnableControls(); });
      ds->CheckBrowseMode();
      if (restore && !position.empty() && ds->BookmarkValid(position))
        ds->SetBookmark(position);
    });
    TGridSelectionKindEh kind = All ? selAllEh : FDBGridEh->Selection()->Kind();
    if (kind == selNoneEh && !inserting) {
      VisibleColumnsBetween(kind);
      ReadPrefix();
      while (!ds->Eof() && !FEos) {
        ReadRow(FImpCols);
        ds->Next();
      }
      if (!FEos && FDBGridEh->PermittedEdits().Contains(peAppendEh)) {
        restore = false;
        InsertRows(true);
      }
    } else {
      VisibleColumnsBetween(kind);
      ReadPrefix();
      if (inserting)
        InsertRows(appendMode);
      else
        ImportSelection(kind, inserting, position);
    }
  }
  FinishRead();
}

// The import columns of a selection kind.
void TDBGridEhImport::VisibleColumnsBetween(TGridSelectionKindEh Kind)
{
  TDBGridEhSelection* selection = FDBGridEh->Selection();
  TColumnsEhList* visible = FDBGridEh->VisibleColumns();
  FOwnCols.Clear();
  switch (Kind) {
  case selNoneEh:
    for (Integer i = std::max(0, FDBGridEh->SelectedIndex()); i < visible->Count(); ++i)
      FOwnCols.Add(visible->Items(i));
    FImpCols = &FOwnCols;
    break;
  case selRectEh: {
    TDBGridColumnsEh* columns = FDBGridEh->Columns();
    for (Integer i = selection->Rect()->GetLeftmostCol();
         i <= selection->Rect()->GetRightmostCol() && i < columns->Count(); ++i)
      if (i >= 0 && columns->Items(i)->Visible())
        FOwnCols.Add(columns->Items(i));
    FImpCols = &FOwnCols;
    break;
  }
  case selColumnsEh:
    FImpCols = selection->Columns();
    break;
  case selRowsEh:
  case selAllEh:
    FImpCols = visible;
    break;
  }
}

void TDBGridEhImport::ImportSelection(TGridSelectionKindEh Kind, bool, const AnsiString&)
{
  TDataSet* ds = DataSetOf(FDBGridEh);
  TDBGridEhSelection* selection = FDBGridEh->Selection();
  switch (Kind) {
  case selRowsEh: {
    TBookmarkListEh* rows = selection->SelectedRecords();
    for (Integer i = 0; i < rows->Count() && !FEos; ++i) {
      ds->SetBookmark(rows->Items(i));
      ReadRow(FImpCols);
    }
    break;
  }
  case selRectEh: {
    AnsiString bottom = selection->Rect()->GetBottomRow();
    ds->SetBookmark(selection->Rect()->GetUpperRow());
    while (!ds->Eof() && !FEos) {
      bool last = CompareBookmarkText(ds, ds->Bookmark(), bottom) == 0;
      ReadRow(FImpCols);
      if (last)
        break;
      ds->Next();
    }
    break;
  }
  case selColumnsEh:
  case selAllEh:
    ds->First();
    while (!ds->Eof() && !FEos) {
      ReadRow(FImpCols);
      ds->Next();
    }
    break;
  case selNoneEh:
    break;
  }
}

// ---- Text reader ----

void TDBGridEhImportAsText::Execute(TStream* AStream, bool All)
{
  FIgnoreAll = false;
  TDBGridEhImport::Execute(AStream, All);
}

void TDBGridEhImportAsText::LoadAndCheck(const AnsiString& Bytes)
{
  for (size_t i = 0; i < Bytes.size(); ++i)
    if (Bytes[i] == '\r' && (i + 1 >= Bytes.size() || Bytes[i + 1] != '\n'))
      RaiseTextFormat();
  FBytes = Bytes;
  FPos = 0;
}

Integer TDBGridEhImportAsText::CheckState()
{
  if (FPos >= FBytes.size()) {
    FEos = true;
    return FLastState = 3;
  }
  FLastChar = FBytes[FPos++];
  if (FLastChar == '\t')
    return FLastState = 1;
  if (FLastChar == '\r') {
    if (FPos >= FBytes.size() || FBytes[FPos] != '\n')
      RaiseTextFormat();
    ++FPos;
    return FLastState = 2;
  }
  return FLastState = 0;
}

void TDBGridEhImportAsText::ReadPrefix()
{
  CheckState();
}

void TDBGridEhImportAsText::ReadCellText()
{
  FCurText = AnsiString(1, FLastChar);
  while (true) {
    Integer state = CheckState();
    if (state == 0) {
      FCurText += FLastChar;
      continue;
    }
    if (state == 1)
      CheckState();
    return;
  }
}

void TDBGridEhImportAsText::ReadRow(TColumnsEhList* Columns)
{
  if (FLastState == 3)
    return;
  Integer position = 0;
  if (FLastState == 0) {
    ReadCellText();
    if (Columns->Count() > 0)
      ReadCell(Columns->Items(0));
    position = 1;
  }
  while (FLastState == 0 || FLastState == 1) {
    if (FLastState == 1) {
      FCurText.clear();
      CheckState();
    } else {
      ReadCellText();
    }
    if (position < Columns->Count())
      ReadCell(Columns->Items(position));
    ++position;
  }
  if (FLastState == 2)
    CheckState();
}

void TDBGridEhImportAsText::ReadCell(TColumnEh* Column)
{
  if (!Column->CanEditValue(false))
    return;
  TField* target = TargetField(Column);
  if (!target)
    return;
  Guarded([&] {
    if (!StartStore(target))
      return;
    TField* field = Column->Field();
    if (field && field->FieldKind() == fkLookup) {
      TDataSet* lookup = field->LookupDataSet();
      if (!lookup)
        return;
      // An exact match (case ignored) wins over the first record that merely starts with
      // the text.
      bool found = lookup->Locate(field->LookupResultField(), Variant(FCurText),
                                  TLocateOptions{loCaseInsensitive}) ||
                   lookup->Locate(field->LookupResultField(), Variant(FCurText),
                                  TLocateOptions{loCaseInsensitive, loPartialKey});
      if (found)
        target->SetValue(lookup->FieldValues(field->LookupKeyFields()));
      return;
    }
    if (Column->Kind() == ckKeyList) {
      // Only items that have a key can be chosen; unknown text leaves the value alone.
      TStrings* picks = Column->PickList();
      TStrings* keys = Column->KeyList();
      Integer usable = std::min(picks->Count(), keys->Count());
      for (Integer i = 0; i < usable; ++i)
        if (CompareTextNoCase(picks->Strings(i), FCurText) == 0) {
          target->SetAsString(keys->Strings(i));
          return;
        }
      return;
    }
    target->SetAsString(FCurText);
  });
}

// ---- VCLDBIF reader ----

void TDBGridEhImportAsVCLDBIF::Execute(TStream* AStream, bool All)
{
  FIgnoreAll = false;
  TScopeExit clear([this] {
    FFieldNames.clear();
    FValues.clear();
  });
  TDBGridEhImport::Execute(AStream, All);
}

void TDBGridEhImportAsVCLDBIF::LoadAndCheck(const AnsiString& Bytes)
{
  FFieldNames.clear();
  FValues.clear();
  FNext = 0;
  TVCLDBIFCursor in(Bytes);
  if (in.Left() < 12 || Bytes.compare(0, 7, "VCLDBIF") != 0)
    RaiseVCLDBIFFormat();
  in.ReadBytes(8); // magic and version (any version reads as 1)
  Integer n = in.ReadInt32();
  // Each column takes at least two bytes of the head: a count beyond that is damage.
  if (n < 0 || static_cast<size_t>(n) > in.Left() / 2)
    RaiseVCLDBIFFormat();
  for (Integer i = 0; i < n; ++i) {
    Byte visible = in.ReadByte();
    AnsiString name;
    for (Byte c = in.ReadByte(); c != 0; c = in.ReadByte())
      name += static_cast<char>(c);
    FFieldNames.push_back({name, visible});
  }
  // The values up to the end tag. A row takes n values, so without columns nothing but the
  // end tag may follow (a row that reads nothing would never reach the end).
  while (true) {
    Byte tag = in.ReadByte();
    if (tag == 0)
      break;
    if (n == 0)
      RaiseVCLDBIFFormat();
    switch (tag) {
    case 2:
      FValues.push_back(Null());
      break;
    case 3:
      FValues.push_back(Variant(in.ReadInt32()));
      break;
    case 4:
      FValues.push_back(Variant(in.ReadDouble()));
      break;
    case 5:
    case 6:
      FValues.push_back(Variant(in.ReadBytes(in.ReadInt32())));
      break;
    default:
      FValues.push_back(Unassigned());
      break;
    }
  }
}

void TDBGridEhImportAsVCLDBIF::ReadPrefix()
{
  ReadNextValue();
}

void TDBGridEhImportAsVCLDBIF::ReadNextValue()
{
  if (FEos)
    return;
  if (FNext >= FValues.size()) {
    FEos = true;
    FCurValue = Unassigned();
    return;
  }
  FCurValue = FValues[FNext++];
}

void TDBGridEhImportAsVCLDBIF::ReadRow(TColumnsEhList* Columns)
{
  for (size_t i = 0; i < FFieldNames.size() && !FEos; ++i)
    ReadCell(static_cast<Integer>(i) < Columns->Count() ? Columns->Items(static_cast<Integer>(i))
                                                        : nullptr);
}

void TDBGridEhImportAsVCLDBIF::ReadCell(TColumnEh* Column)
{
  if (!VarIsEmpty(FCurValue) && Column && Column->CanEditValue(false))
    if (TField* target = TargetField(Column))
      Guarded([&] {
        if (!StartStore(target))
          return;
        if (VarIsNull(FCurValue))
          target->Clear();
        else
          target->SetValue(FCurValue);
      });
  ReadNextValue();
}
