// Shared drawing and data helpers of the grid library (see EhHelpers.h).
#include "controls/eh/EhHelpers.h"

#include "platform/graphics/ImgList.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Windows.h"

namespace {

bool SameNonArrayValues(const Variant& A, const Variant& B)
{
  bool emptyA = VarIsEmpty(A), emptyB = VarIsEmpty(B);
  if (emptyA || emptyB)
    return emptyA && emptyB;
  return A == B;
}

bool SameArrays(const Variant& A, const Variant& B)
{
  if (VarArrayDimCount(A) != VarArrayDimCount(B))
    return false;
  Integer low = VarArrayLowBound(A, 1), high = VarArrayHighBound(A, 1);
  if (low != VarArrayLowBound(B, 1) || high != VarArrayHighBound(B, 1) || high < low)
    return false;
  for (Integer i = low; i <= high; ++i)
    if (!SameNonArrayValues(VarArrayGet(A, {i}), VarArrayGet(B, {i})))
      return false;
  return true;
}

} // namespace

bool SameVariantValues(const Variant& A, const Variant& B)
{
  try {
    bool arrayA = VarIsArray(A), arrayB = VarIsArray(B);
    if (arrayA != arrayB)
      return false;
    return arrayA ? SameArrays(A, B) : SameNonArrayValues(A, B);
  } catch (const Exception&) {
    return false;
  }
}

bool IsSecondClick(TPoint First, TPoint Second, Cardinal ElapsedMs)
{
  return ElapsedMs <= GetDoubleClickTime() &&
         std::abs(First.X - Second.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
         std::abs(First.Y - Second.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

TColor ColorForImageList(TColor Color)
{
  if (Color == clNone)
    return CLR_NONE;
  if (Color == clDefault)
    return CLR_DEFAULT;
  return ColorToRGB(Color);
}

void DrawImageInRect(TCanvas* Canvas, const TRect& Rect, TCustomImageList* Images, bool Selected,
                     Integer Index)
{
  if (!Images || !Images->HandleAllocated())
    return;
  Integer x = (Rect.Left + Rect.Right - Images->Width()) / 2;
  Integer y = (Rect.Top + Rect.Bottom - Images->Height()) / 2;
  TDrawingStyle style = Selected ? dsSelected : dsNormal;
  TImageType type = Images->ImageType();
  bool fits = x >= Rect.Left && y >= Rect.Top && x + Images->Width() <= Rect.Right &&
              y + Images->Height() <= Rect.Bottom;
  if (fits) {
    Images->Draw(Canvas, x, y, Index, style, type);
    return;
  }
  TCanvasSaver saver(*Canvas);
  Canvas->IntersectClipRect(Rect);
  Images->Draw(Canvas, x, y, Index, style, type);
}

void DrawDottedLine(TCanvas* Canvas, TPoint Start, Integer Length, Integer Parity, bool Horizontal)
{
  if (((Start.X + Start.Y) & 1) != (Parity & 1)) {
    if (Horizontal)
      ++Start.X;
    else
      ++Start.Y;
    --Length;
  }
  Integer step = 2 * std::max(1, Canvas->Pen()->Width());
  std::vector<TPoint> points;
  std::vector<Integer> counts;
  for (Integer d = 0; d < Length; d += step) {
    TPoint p = Horizontal ? TPoint{Start.X + d, Start.Y} : TPoint{Start.X, Start.Y + d};
    points.push_back(p);
    points.push_back({p.X + 1, p.Y});
    counts.push_back(2);
  }
  if (!counts.empty())
    Canvas->PolyPolyline(points.data(), counts.data(), static_cast<Integer>(counts.size()));
}

void DrawTreeNodeLines(TCanvas* Canvas, const TRect& Rect, Integer Kind, Integer Parity, double H,
                       double V)
{
  Integer cx = (Rect.Left + Rect.Right) / 2, cy = (Rect.Top + Rect.Bottom) / 2;
  Integer h1 = static_cast<Integer>(H), h2 = static_cast<Integer>(2 * H),
          h4 = static_cast<Integer>(4 * H);
  Integer v1 = static_cast<Integer>(V), v2 = static_cast<Integer>(2 * V),
          v4 = static_cast<Integer>(4 * V);
  TCanvasSaver saver(*Canvas);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(clBtnShadow);
  if (Kind >= 6) {
    if (Kind == 6 || Kind == 9)
      DrawDottedLine(Canvas, {cx, Rect.Top}, Rect.Height(), Parity, false);
    else if (Kind == 7)
      DrawDottedLine(Canvas, {cx, Rect.Top}, cy - Rect.Top, Parity, false);
    else if (Kind == 8)
      DrawDottedLine(Canvas, {cx, cy}, Rect.Bottom - cy, Parity, false);
    if (Kind != 9)
      DrawDottedLine(Canvas, {cx, cy}, Rect.Right - cx, 0, true);
    return;
  }
  TRect box(cx - h4, cy - v4, cx + h4 + 1, cy + v4 + 1);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(clWindow);
  Canvas->FillRect(box);
  Canvas->Brush()->SetColor(clBtnShadow);
  Canvas->FrameRect(box);
  Canvas->Pen()->SetColor(clWindowText);
  Canvas->MoveTo(box.Left + h2, cy);
  Canvas->LineTo(box.Right - h2, cy);
  if (Kind >= 3) {
    Canvas->MoveTo(cx, box.Top + v2);
    Canvas->LineTo(cx, box.Bottom - v2);
  }
  Canvas->Pen()->SetColor(clBtnShadow);
  DrawDottedLine(Canvas, {box.Right + h1, cy}, Rect.Right - box.Right, 0, true);
  if (Kind == 0 || Kind == 1 || Kind == 3 || Kind == 4)
    DrawDottedLine(Canvas, {cx, Rect.Top}, box.Top - Rect.Top, Parity, false);
  if (Kind == 0 || Kind == 2 || Kind == 3 || Kind == 5)
    DrawDottedLine(Canvas, {cx, box.Bottom + v1}, Rect.Bottom - box.Bottom, Parity, false);
}

void ParseFieldList(TFieldsArrEh* List, TDataSet* DataSet, TComponent* Component,
                    const AnsiString& Names)
{
  Integer pos = 1;
  while (pos <= Length(Names)) {
    AnsiString name = ExtractFieldName(Names, pos);
    TField* field = DataSet->FindField(name);
    if (!field)
      DatabaseErrorFmt(SFieldNotFound, name, Component);
    if (List)
      List->push_back(field);
  }
}

TFieldsArrEh FieldArrayOf(TDataSet* DataSet, TComponent* Component, const AnsiString& Names)
{
  TFieldsArrEh fields;
  ParseFieldList(&fields, DataSet, Component, Names);
  return fields;
}

void AssignFieldValues(TDataSet* DataSet, const AnsiString& Names, const Variant& Value)
{
  if (SameVariantValues(Value, Null())) {
    for (TField* field : FieldArrayOf(DataSet, nullptr, Names))
      field->Clear();
    return;
  }
  DataSet->SetFieldValues(Names, Value);
}

// ---- TDataLinkEh ----

void TDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info)
{
  TDataLink::DataEvent(Event, Info);
  if (DataEventHook)
    DataEventHook(Event, Info);
}

// ---- TDatasetFieldValueListEh ----

TDatasetFieldValueListEh::TDatasetFieldValueListEh()
    : FValues(std::make_unique<TStringList>()), FDataLink(std::make_unique<TDataLinkEh>()),
      FDataSource(std::make_unique<TDataSource>(nullptr))
{
  FValues->SetSorted(true);
  FValues->SetDuplicates(dupIgnore);
  FDataLink->DataEventHook = TDataEventHookEh::Bind(this, &TDatasetFieldValueListEh::DataEventHook);
  FDataLink->SetDataSource(FDataSource.get());
}

TDatasetFieldValueListEh::~TDatasetFieldValueListEh()
{
  FDataLink->DataEventHook = nullptr;
  FDataLink->SetDataSource(nullptr);
}

TStrings* TDatasetFieldValueListEh::DistinctValues()
{
  if (FStale)
    ReloadValues();
  return FValues.get();
}

void TDatasetFieldValueListEh::SetValueFieldName(const AnsiString& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  FStale = true;
}

void TDatasetFieldValueListEh::SetSourceDataSet(TDataSet* Value)
{
  if (Value == FDataSource->DataSet())
    return;
  FDataSource->SetDataSet(Value);
  FStale = true;
}

void TDatasetFieldValueListEh::ReloadValues()
{
  FValues->Clear();
  TDataSet* dataSet = FDataSource->DataSet();
  if (!dataSet || !dataSet->Active())
    return;
  TField* field = dataSet->FindField(FFieldName);
  if (!field)
    return;
  // The walk's own notifications (the one EnableControls sends included) must not mark
  // the list stale again: the hook comes back after the controls are enabled.
  FDataLink->DataEventHook = nullptr;
  TScopeExit hook([this] {
    FDataLink->DataEventHook =
        TDataEventHookEh::Bind(this, &TDatasetFieldValueListEh::DataEventHook);
  });
  dataSet->DisableControls();
  TScopeExit enable([dataSet] { dataSet->EnableControls(); });
  dataSet->First();
  while (!dataSet->Eof()) {
    FValues->Add(field->AsString());
    dataSet->Next();
  }
  FStale = false;
}

void TDatasetFieldValueListEh::DataEventHook(TDataEvent Event, NativeInt)
{
  if (Event == deDataSetChange || Event == dePropertyChange || Event == deFieldListChange)
    FStale = true;
}
