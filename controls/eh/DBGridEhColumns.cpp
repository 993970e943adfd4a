// The column model: columns with their own values and the defaults they follow (field,
// grid, the grid's column defaults), titles, footers, the column collection and the
// column-default objects (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace {

bool IsNumericType(TFieldType t)
{
  switch (t) {
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftFloat:
  case ftCurrency:
  case ftBCD:
  case ftFMTBcd:
  case ftLargeint:
  case ftAutoInc:
    return true;
  default:
    return false;
  }
}

bool IsDateTimeType(TFieldType t)
{
  return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

// A key list entry may hold several values separated by ';' (check boxes: "Y;y").
bool ListHasValue(const AnsiString& List, const AnsiString& Value)
{
  std::size_t start = 0;
  while (start <= List.size()) {
    std::size_t end = List.find(';', start);
    if (end == AnsiString::npos)
      end = List.size();
    if (AnsiSameText(Trim(List.substr(start, end - start)), Value))
      return true;
    start = end + 1;
  }
  return false;
}

AnsiString FirstListPart(const AnsiString& List)
{
  std::size_t end = List.find(';');
  return Trim(end == AnsiString::npos ? List : List.substr(0, end));
}

// Position of Text in a list, ignoring case; -1 when missing.
Integer ListIndexOf(TStrings* List, const AnsiString& Text)
{
  if (!List)
    return -1;
  for (Integer i = 0; i < List->Count(); ++i)
    if (AnsiSameText(List->Strings(i), Text))
      return i;
  return -1;
}

// All fields of a ';'-separated list can be modified.
bool AllFieldsModifiable(TDataSet* DataSet, const AnsiString& FieldNames)
{
  if (!DataSet || FieldNames.empty())
    return false;
  std::vector<TField*> fields;
  try {
    DataSet->GetFieldList(fields, FieldNames);
  } catch (const EDatabaseError&) {
    return false;
  }
  for (TField* f : fields)
    if (!f->CanModify())
      return false;
  return !fields.empty();
}

// Copies a font's look without firing its change event.
void CopyFontSilently(TFont* Target, TFont* Source)
{
  TNotifyEvent saved = Target->OnChange;
  Target->OnChange = nullptr;
  TScopeExit restore([&] { Target->OnChange = saved; });
  Target->Assign(Source);
}

bool SameFontLook(TFont* A, TFont* B)
{
  return A->Name() == B->Name() && A->Height() == B->Height() && A->Style() == B->Style() &&
         A->Color() == B->Color() && A->Charset() == B->Charset() && A->Pitch() == B->Pitch();
}

} // namespace

// ---- TColumnTitleDefValuesEh ----

TPersistent* TColumnTitleDefValuesEh::GetOwner()
{
  return FOwner;
}

TCustomDBGridEh* TColumnTitleDefValuesEh::Grid() const
{
  return FOwner ? FOwner->Grid() : nullptr;
}

TAlignment TColumnTitleDefValuesEh::Alignment() const
{
  if (FOwnValues.Contains(ctdvAlignment))
    return FAlignment;
  TCustomDBGridEh* g = Grid();
  return g && g->UseMultiTitle() ? taCenter : taLeftJustify;
}

void TColumnTitleDefValuesEh::SetAlignment(TAlignment Value)
{
  if (FOwnValues.Contains(ctdvAlignment) && FAlignment == Value)
    return;
  FAlignment = Value;
  FOwnValues.Include(ctdvAlignment);
  if (TCustomDBGridEh* g = Grid())
    g->LayoutChanged();
}

TColor TColumnTitleDefValuesEh::Color() const
{
  if (FOwnValues.Contains(ctdvColor))
    return FColor;
  TCustomDBGridEh* g = Grid();
  return g ? g->FixedColor() : clBtnFace;
}

void TColumnTitleDefValuesEh::SetColor(TColor Value)
{
  if (FOwnValues.Contains(ctdvColor) && FColor == Value)
    return;
  FColor = Value;
  FOwnValues.Include(ctdvColor);
  if (TCustomDBGridEh* g = Grid())
    g->Invalidate();
}

void TColumnTitleDefValuesEh::SetEndEllipsis(bool Value)
{
  if (Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  if (TCustomDBGridEh* g = Grid())
    g->Invalidate();
}

void TColumnTitleDefValuesEh::SetOrientation(TTextOrientationEh Value)
{
  if (Value == FOrientation)
    return;
  FOrientation = Value;
  if (TCustomDBGridEh* g = Grid())
    g->LayoutChanged();
}

void TColumnTitleDefValuesEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TColumnTitleDefValuesEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  // The values the source holds as its own are copied as own values; the others follow
  // the grid again.
  if (src->FOwnValues.Contains(ctdvAlignment))
    SetAlignment(src->FAlignment);
  else
    FOwnValues.Exclude(ctdvAlignment);
  if (src->FOwnValues.Contains(ctdvColor))
    SetColor(src->FColor);
  else
    FOwnValues.Exclude(ctdvColor);
  SetEndEllipsis(src->FEndEllipsis);
  FTitleButton = src->FTitleButton;
  FToolTips = src->FToolTips;
  SetOrientation(src->FOrientation);
}

void TColumnFooterDefValuesEh::Assign(TPersistent* Source)
{
  if (auto* src = dynamic_cast<TColumnFooterDefValuesEh*>(Source)) {
    FToolTips = src->FToolTips;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TColumnDefValuesEh ----

TColumnDefValuesEh::TColumnDefValuesEh(TCustomDBGridEh* AGrid)
    : FGrid(AGrid), FTitle(std::make_unique<TColumnTitleDefValuesEh>(this)),
      FFooter(std::make_unique<TColumnFooterDefValuesEh>())
{
}

TColumnDefValuesEh::~TColumnDefValuesEh() = default;

TPersistent* TColumnDefValuesEh::GetOwner()
{
  return FGrid;
}

void TColumnDefValuesEh::RepaintGrid()
{
  if (FGrid)
    FGrid->Invalidate();
}

void TColumnDefValuesEh::SetAlwaysShowEditButton(bool Value)
{
  if (Value == FAlwaysShowEditButton)
    return;
  FAlwaysShowEditButton = Value;
  RepaintGrid();
}

void TColumnDefValuesEh::SetEndEllipsis(bool Value)
{
  if (Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  RepaintGrid();
}

void TColumnDefValuesEh::SetLayout(TTextLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  RepaintGrid();
}

void TColumnDefValuesEh::SetHighlightRequired(bool Value)
{
  if (Value == FHighlightRequired)
    return;
  FHighlightRequired = Value;
  RepaintGrid();
}

void TColumnDefValuesEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TColumnDefValuesEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FTitle->Assign(src->FTitle.get());
  SetAlwaysShowEditButton(src->FAlwaysShowEditButton);
  SetEndEllipsis(src->FEndEllipsis);
  FAutoDropDown = src->FAutoDropDown;
  FDblClickNextVal = src->FDblClickNextVal;
  FToolTips = src->FToolTips;
  FDropDownSizing = src->FDropDownSizing;
  FDropDownShowTitles = src->FDropDownShowTitles;
}

// ---- TColumnTitleEh ----

TColumnTitleEh::TColumnTitleEh(TColumnEh* Column)
    : FColumn(Column), FFont(std::make_unique<TFont>())
{
  CopyFontSilently(FFont.get(), DefFont());
  FFont->OnChange = TNotifyEvent::Bind(this, &TColumnTitleEh::FontChanged);
}

TColumnTitleEh::~TColumnTitleEh() = default;

TPersistent* TColumnTitleEh::GetOwner()
{
  return FColumn;
}

bool TColumnTitleEh::IsOwn(TColumnEhValue Value) const
{
  return FColumn->FOwnValues.Contains(Value);
}

void TColumnTitleEh::SetOwn(TColumnEhValue Value, bool On)
{
  if (On)
    FColumn->FOwnValues.Include(Value);
  else
    FColumn->FOwnValues.Exclude(Value);
}

void TColumnTitleEh::Changed(bool AllItems)
{
  FColumn->ColumnChanged(AllItems);
}

TColor TColumnTitleEh::DefColor() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g ? g->ColumnDefValues()->Title()->Color() : clBtnFace;
}

TFont* TColumnTitleEh::DefFont() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g ? g->TitleFont() : FColumn->FFont.get();
}

AnsiString TColumnTitleEh::DefCaption() const
{
  if (TField* f = FColumn->FField)
    return f->DisplayName();
  return FColumn->FieldName();
}

TAlignment TColumnTitleEh::DefAlignment() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g ? g->ColumnDefValues()->Title()->Alignment() : taLeftJustify;
}

bool TColumnTitleEh::DefTitleButton() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g && g->ColumnDefValues()->Title()->TitleButton();
}

bool TColumnTitleEh::DefEndEllipsis() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g && g->ColumnDefValues()->Title()->EndEllipsis();
}

bool TColumnTitleEh::DefToolTips() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g && g->ColumnDefValues()->Title()->ToolTips();
}

TTextOrientationEh TColumnTitleEh::DefOrientation() const
{
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  return g ? g->ColumnDefValues()->Title()->Orientation() : tohHorizontal;
}

AnsiString TColumnTitleEh::Caption() const
{
  return IsOwn(cvTitleCaption) ? FCaption : DefCaption();
}

void TColumnTitleEh::SetCaption(const AnsiString& Value)
{
  // A generated column writes through to the field's label.
  if (FColumn->IsDefaultColumn()) {
    if (FColumn->DataLinkActive() && FColumn->FField)
      FColumn->FField->SetDisplayLabel(Value);
    return;
  }
  if (IsOwn(cvTitleCaption) && FCaption == Value)
    return;
  FCaption = Value;
  SetOwn(cvTitleCaption, true);
  Changed(false);
}

TFont* TColumnTitleEh::Font() const
{
  if (!IsOwn(cvTitleFont)) {
    TFont* def = DefFont();
    if (def != FFont.get() && !SameFontLook(def, FFont.get()))
      CopyFontSilently(FFont.get(), def);
  }
  return FFont.get();
}

void TColumnTitleEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TColumnTitleEh::FontChanged(TObject*)
{
  SetOwn(cvTitleFont, true);
  Changed(true);
}

void TColumnTitleEh::SyncDefaultFont()
{
  if (IsOwn(cvTitleFont))
    return;
  TFont* def = DefFont();
  if (def != FFont.get())
    CopyFontSilently(FFont.get(), def);
}

TColor TColumnTitleEh::Color() const
{
  return IsOwn(cvTitleColor) ? FColor : DefColor();
}

template <class T> void TColumnTitleEh::SetOwnValue(T& Field, T Value, TColumnEhValue Flag)
{
  if (IsOwn(Flag) && Field == Value)
    return;
  Field = Value;
  SetOwn(Flag, true);
  Changed(false);
}

void TColumnTitleEh::SetColor(TColor Value)
{
  SetOwnValue(FColor, Value, cvTitleColor);
}

TAlignment TColumnTitleEh::Alignment() const
{
  return IsOwn(cvTitleAlignment) ? FAlignment : DefAlignment();
}

void TColumnTitleEh::SetAlignment(TAlignment Value)
{
  SetOwnValue(FAlignment, Value, cvTitleAlignment);
}

void TColumnTitleEh::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  if (TCustomDBGridEh* g = FColumn->OwnerGrid())
    g->LayoutChanged();
}

bool TColumnTitleEh::TitleButton() const
{
  return IsOwn(cvTitleButton) ? FTitleButton : DefTitleButton();
}

void TColumnTitleEh::SetTitleButton(bool Value)
{
  SetOwnValue(FTitleButton, Value, cvTitleButton);
}

bool TColumnTitleEh::EndEllipsis() const
{
  return IsOwn(cvTitleEndEllipsis) ? FEndEllipsis : DefEndEllipsis();
}

void TColumnTitleEh::SetEndEllipsis(bool Value)
{
  SetOwnValue(FEndEllipsis, Value, cvTitleEndEllipsis);
}

bool TColumnTitleEh::ToolTips() const
{
  return IsOwn(cvTitleToolTips) ? FToolTips : DefToolTips();
}

void TColumnTitleEh::SetToolTips(bool Value)
{
  FToolTips = Value;
  SetOwn(cvTitleToolTips, true);
}

TTextOrientationEh TColumnTitleEh::Orientation() const
{
  return IsOwn(cvTitleOrientation) ? FOrientation : DefOrientation();
}

void TColumnTitleEh::SetOrientation(TTextOrientationEh Value)
{
  SetOwnValue(FOrientation, Value, cvTitleOrientation);
}

void TColumnTitleEh::SetSortMarker(TSortMarkerEh Value)
{
  if (Value == FSortMarker)
    return;
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(FColumn->Collection());
  if (!g || !columns || columns->UpdateCount() > 0) {
    FSortMarker = Value;
    return;
  }
  TColumnsEhList* marked = g->SortMarkedColumns();
  if (g->ExtOptions().Contains(dgxMultiSortMarkingEh)) {
    if (Value != smNoneEh && FSortIndex == 0) {
      Integer n = 0;
      for (Integer i = 0; i < columns->Count(); ++i)
        if (columns->Items(i)->Title()->SortIndex() != 0)
          ++n;
      FSortIndex = n + 1;
      marked->Add(FColumn);
    } else if (Value == smNoneEh && FSortIndex > 0) {
      for (Integer i = 0; i < columns->Count(); ++i) {
        TColumnTitleEh* t = columns->Items(i)->Title();
        if (t->FSortIndex > FSortIndex)
          --t->FSortIndex;
      }
      marked->Remove(FColumn);
      FSortIndex = 0;
    }
    FSortMarker = Value;
  } else if (Value != smNoneEh) {
    for (Integer i = 0; i < columns->Count(); ++i)
      if (columns->Items(i) != FColumn)
        columns->Items(i)->Title()->SetSortMarker(smNoneEh);
    FSortMarker = Value;
    FSortIndex = 1;
    marked->Clear();
    marked->Add(FColumn);
  } else {
    FSortMarker = Value;
    FSortIndex = 0;
    marked->Clear();
  }
  Changed(false);
}

void TColumnTitleEh::SetSortIndex(Integer Value)
{
  Value = std::max<Integer>(Value, 0);
  if (Value == FSortIndex)
    return;
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(FColumn->Collection());
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  if (!g || !columns || columns->UpdateCount() > 0) {
    FSortIndex = Value;
    return;
  }
  if (FSortMarker == smNoneEh)
    return;
  for (Integer i = 0; i < columns->Count(); ++i) {
    TColumnTitleEh* other = columns->Items(i)->Title();
    if (other == this || other->FSortIndex != Value)
      continue;
    // The two titles exchange their places in the marking order.
    TColumnsEhList* marked = g->SortMarkedColumns();
    Integer a = marked->IndexOf(FColumn), b = marked->IndexOf(other->FColumn);
    if (a >= 0 && b >= 0)
      marked->Exchange(a, b);
    other->FSortIndex = FSortIndex;
    FSortIndex = Value;
    Changed(false);
    return;
  }
}

void TColumnTitleEh::CycleSortMarker(bool KeepOthers)
{
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(FColumn->Collection());
  if (!KeepOthers && columns)
    for (Integer i = 0; i < columns->Count(); ++i)
      if (columns->Items(i) != FColumn)
        columns->Items(i)->Title()->SetSortMarker(smNoneEh);
  switch (FSortMarker) {
  case smNoneEh:
    SetSortMarker(smDownEh);
    break;
  case smDownEh:
    SetSortMarker(smUpEh);
    break;
  case smUpEh:
    SetSortMarker(KeepOthers ? smNoneEh : smDownEh);
    break;
  }
}

Integer TColumnTitleEh::SortMarkerWidth()
{
  if (FSortIndex == 0)
    return 0;
  Integer w = 16, n = 0;
  TCustomDBGridEh* g = FColumn->OwnerGrid();
  if (g && g->SortMarkedColumns()->Count() >= 2) {
    // The number is written in a small Arial font sized to the marker picture.
    TFont numberFont;
    numberFont.SetName("Arial");
    numberFont.SetHeight(-8);
    TCanvas* c = g->Canvas();
    TFont saved;
    saved.Assign(c->Font());
    c->Font()->Assign(&numberFont);
    n = c->TextWidth(IntToStr(FSortIndex));
    c->Font()->Assign(&saved);
    w += n;
  }
  Integer width = FColumn->Width();
  if (w > width - 4)
    w -= 14;
  if (w > width - 4)
    w -= n + 2;
  return w;
}

void TColumnTitleEh::ResetOwnValues()
{
  bool fontWasOwn = IsOwn(cvTitleFont);
  for (TColumnEhValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
                           cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
    SetOwn(v, false);
  FCaption.clear();
  SyncDefaultFont();
  Changed(fontWasOwn);
}

void TColumnTitleEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TColumnTitleEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src->IsOwn(cvTitleAlignment))
    SetAlignment(src->Alignment());
  if (src->IsOwn(cvTitleColor))
    SetColor(src->Color());
  if (src->IsOwn(cvTitleCaption))
    SetCaption(src->Caption());
  if (src->IsOwn(cvTitleFont))
    SetFont(src->Font());
  FHint = src->FHint;
  SetImageIndex(src->FImageIndex);
  if (src->IsOwn(cvTitleOrientation))
    SetOrientation(src->FOrientation);
  FSortIndex = src->FSortIndex;
  FSortMarker = src->FSortMarker;
  if (src->IsOwn(cvTitleButton))
    SetTitleButton(src->FTitleButton);
  if (src->IsOwn(cvTitleEndEllipsis))
    SetEndEllipsis(src->FEndEllipsis);
  if (src->IsOwn(cvTitleToolTips))
    SetToolTips(src->FToolTips);
}

// ---- TColumnFooterEh ----

TColumnFooterEh::TColumnFooterEh(TCollection* Collection)
    : TCollectionItem(nullptr), FFont(std::make_unique<TFont>())
{
  if (auto* footers = dynamic_cast<TColumnFootersEh*>(Collection))
    FColumn = footers->Column();
  SetCollection(Collection);
  CopyFontSilently(FFont.get(), DefFont());
  FFont->OnChange = TNotifyEvent::Bind(this, &TColumnFooterEh::FontChanged);
}

TColumnFooterEh::TColumnFooterEh(TColumnEh* Column, std::nullptr_t)
    : TCollectionItem(nullptr), FColumn(Column), FFont(std::make_unique<TFont>())
{
  CopyFontSilently(FFont.get(), DefFont());
  FFont->OnChange = TNotifyEvent::Bind(this, &TColumnFooterEh::FontChanged);
}

TColumnFooterEh::~TColumnFooterEh()
{
  TCustomDBGridEh* g = Grid();
  if (FSum && g && g->SumList())
    delete FSum;
  FSum = nullptr;
  SetCollection(nullptr);
}

TPersistent* TColumnFooterEh::GetOwner()
{
  if (Collection())
    return Collection();
  return FColumn;
}

TCustomDBGridEh* TColumnFooterEh::Grid() const
{
  return FColumn ? FColumn->OwnerGrid() : nullptr;
}

void TColumnFooterEh::Changed()
{
  if (FColumn)
    FColumn->ColumnChanged(false);
  if (TCustomDBGridEh* g = Grid())
    g->InvalidateFooter();
}

TAlignment TColumnFooterEh::DefAlignment() const
{
  return FColumn ? FColumn->Alignment() : taLeftJustify;
}

TColor TColumnFooterEh::DefColor() const
{
  TCustomDBGridEh* g = Grid();
  return g ? g->FooterColor() : clWindow;
}

TFont* TColumnFooterEh::DefFont() const
{
  TCustomDBGridEh* g = Grid();
  return g ? g->FooterFont() : FFont.get();
}

bool TColumnFooterEh::DefToolTips() const
{
  TCustomDBGridEh* g = Grid();
  return g && g->ColumnDefValues()->Footer()->ToolTips();
}

TAlignment TColumnFooterEh::Alignment() const
{
  return FOwnValues.Contains(cfvAlignment) ? FAlignment : DefAlignment();
}

void TColumnFooterEh::SetAlignment(TAlignment Value)
{
  if (FOwnValues.Contains(cfvAlignment) && FAlignment == Value)
    return;
  FAlignment = Value;
  FOwnValues.Include(cfvAlignment);
  Changed();
}

TColor TColumnFooterEh::Color() const
{
  return FOwnValues.Contains(cfvColor) ? FColor : DefColor();
}

void TColumnFooterEh::SetColor(TColor Value)
{
  if (FOwnValues.Contains(cfvColor) && FColor == Value)
    return;
  FColor = Value;
  FOwnValues.Include(cfvColor);
  Changed();
}

TFont* TColumnFooterEh::Font() const
{
  if (!FOwnValues.Contains(cfvFont)) {
    TFont* def = DefFont();
    if (def != FFont.get() && !SameFontLook(def, FFont.get()))
      CopyFontSilently(FFont.get(), def);
  }
  return FFont.get();
}

void TColumnFooterEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TColumnFooterEh::FontChanged(TObject*)
{
  FOwnValues.Include(cfvFont);
  Changed();
}

void TColumnFooterEh::SyncDefaultFont()
{
  if (FOwnValues.Contains(cfvFont))
    return;
  TFont* def = DefFont();
  if (def != FFont.get())
    CopyFontSilently(FFont.get(), def);
}

bool TColumnFooterEh::ToolTips() const
{
  return FOwnValues.Contains(cfvToolTips) ? FToolTips : DefToolTips();
}

void TColumnFooterEh::SetToolTips(bool Value)
{
  FToolTips = Value;
  FOwnValues.Include(cfvToolTips);
}

void TColumnFooterEh::SetDisplayFormat(const AnsiString& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  Changed();
}

void TColumnFooterEh::SetEndEllipsis(bool Value)
{
  if (Value == FEndEllipsis)
    return;
  FEndEllipsis = Value;
  Changed();
}

void TColumnFooterEh::SetFieldName(const AnsiString& Value)
{
  if (Value == FFieldName)
    return;
  FFieldName = Value;
  EnsureSumValue();
  Changed();
}

void TColumnFooterEh::SetValueType(TFooterValueType Value)
{
  if (Value == FValueType)
    return;
  FValueType = Value;
  EnsureSumValue();
  Changed();
}

void TColumnFooterEh::SetValue(const AnsiString& Value)
{
  if (Value == FValue)
    return;
  FValue = Value;
  Changed();
}

void TColumnFooterEh::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  Changed();
}

void TColumnFooterEh::ResetOwnValues()
{
  FOwnValues = {};
  SyncDefaultFont();
}

void TColumnFooterEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TColumnFooterEh*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  // Exactly the values the source holds as its own become own values here; the others
  // follow this footer's column and grid again.
  FOwnValues = {};
  if (src->FOwnValues.Contains(cfvAlignment))
    SetAlignment(src->FAlignment);
  if (src->FOwnValues.Contains(cfvColor))
    SetColor(src->FColor);
  if (src->FOwnValues.Contains(cfvFont))
    SetFont(src->FFont.get());
  else
    SyncDefaultFont();
  if (src->FOwnValues.Contains(cfvToolTips))
    SetToolTips(src->FToolTips);
  FDisplayFormat = src->FDisplayFormat;
  FEndEllipsis = src->FEndEllipsis;
  FFieldName = src->FFieldName;
  FValueType = src->FValueType;
  FValue = src->FValue;
  FWordWrap = src->FWordWrap;
  EnsureSumValue();
  Changed();
}

// ---- TColumnFootersEh ----

TColumnFootersEh::TColumnFootersEh(TColumnEh* Column)
    : TCollection(CollectionItemClass<TColumnFooterEh>()), FColumn(Column)
{
}

TPersistent* TColumnFootersEh::GetOwner()
{
  return FColumn;
}

void TColumnFootersEh::Update(TCollectionItem*)
{
  if (TCustomDBGridEh* g = FColumn->OwnerGrid())
    g->InvalidateFooter();
}

// ---- TColumnEh: life ----

TColumnEh::TColumnEh(TCollection* Collection) : TCollectionItem(nullptr)
{
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(Collection);
  TCustomDBGridEh* grid = columns ? columns->Grid() : nullptr;
  if (grid)
    grid->BeginLayout();
  TScopeExit endLayout([&] {
    if (grid)
      grid->EndLayout();
  });
  SetCollection(Collection);
  FDropDownRows = 7;
  FButtonStyle = cbsAuto;
  FFont = std::make_unique<TFont>();
  CopyFontSilently(FFont.get(), DefFont());
  FFont->OnChange = TNotifyEvent::Bind(this, &TColumnEh::FontChanged);
  FImeMode = imDontCare;
  FTitle = std::make_unique<TColumnTitleEh>(this);
  FFooter = std::make_unique<TColumnFooterEh>(this, nullptr);
  FFooters = std::make_unique<TColumnFootersEh>(this);
  FAutoFitColWidth = true;
  FAutoFitBaseWidth = Width();
  FVisible = true;
  FNotInKeyListIndex = -1;
  FIncrement = 1;
  FStored = true;
  FImageChangeLink = std::make_unique<TChangeLink>();
  FImageChangeLink->OnChange = TNotifyEvent::Bind(this, &TColumnEh::ImageListChanged);
  FShowImageAndText = false;
  FSTFilter = std::make_unique<TSTColumnFilterEh>(this);
  FMRUList = std::make_unique<TMRUListEh>(this);
  FEditButtons =
      std::make_unique<TEditButtonsEh>(this, CollectionItemClass<TVisibleEditButtonEh>());
  FEditButtons->OnChanged = [this](TCollectionItem*) { Changed(false); };
}

TColumnEh::~TColumnEh()
{
  FEditButtons->OnChanged = nullptr; // the buttons go with the column, telling nobody
  TCustomDBGridEh* grid = OwnerGrid();
  bool gridAlive = grid && grid->Columns() == Collection();
  if (gridAlive) {
    grid->SortMarkedColumns()->Remove(this);
    grid->VisibleColumns()->Remove(this);
    grid->Selection()->Columns()->Remove(this);
  }
  if (FImageList)
    FImageList->UnRegisterChanges(FImageChangeLink.get());
  delete FDropDownGrid;
  FDropDownGrid = nullptr;
  // The footers give their sums back to the grid's sum list while the grid is known.
  FFooters.reset();
  FFooter.reset();
  // Leaving the collection reports the change while the column's other parts still exist.
  SetCollection(nullptr);
}

TPopupDataGridEh* TColumnEh::DropDownGrid()
{
  if (!FDropDownGrid)
    FDropDownGrid = new TPopupDataGridEh(nullptr);
  return FDropDownGrid;
}

TCustomDBGridEh* TColumnEh::OwnerGrid() const
{
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(Collection());
  return columns ? columns->Grid() : nullptr;
}

bool TColumnEh::DataLinkActive() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g && g->DataLink() && g->DataLink()->Active();
}

bool TColumnEh::IsInLinkLayoutChange() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g && g->DataLinkLayoutChange();
}

void TColumnEh::RepaintGrid()
{
  if (TCustomDBGridEh* g = OwnerGrid())
    g->Invalidate();
}

template <class T> bool TColumnEh::StoreOwn(TColumnEhValue Flag, T& Slot, const T& Value)
{
  if (FOwnValues.Contains(Flag) && Slot == Value)
    return false;
  Slot = Value;
  FOwnValues.Include(Flag);
  return true;
}

AnsiString TColumnEh::DisplayName() const
{
  return FFieldName.empty() ? TCollectionItem::DisplayName() : FFieldName;
}

// ---- Binding ----

TField* TColumnEh::BoundField()
{
  if (FField || FFieldName.empty())
    return FField;
  TCustomDBGridEh* g = OwnerGrid();
  if (!g || !g->DataLink())
    return nullptr;
  TDataSet* ds = g->DataLink()->DataSet();
  if (!ds || (!ds->Active() && ds->DefaultFields()))
    return nullptr;
  if (TField* f = ds->FindField(FFieldName)) {
    FField = f;
    f->FreeNotification(g);
    FFieldName = f->FieldName();
    RebindFooterSums();
  }
  return FField;
}

void TColumnEh::SetFieldName(const AnsiString& Value)
{
  TField* field = nullptr;
  TCustomDBGridEh* g = OwnerGrid();
  if (g && g->DataLink() && g->DataLink()->DataSet() && !g->ComponentState().Contains(csLoading) &&
      !Value.empty())
    field = g->DataLink()->DataSet()->FindField(Value);
  FFieldName = Value;
  BindField(field);
  FAutoFitBaseWidth = Width();
  Changed(false);
}

void TColumnEh::BindField(TField* AField)
{
  if (AField == FField)
    return;
  FField = AField;
  if (AField) {
    FFieldName = AField->FieldName();
    if (TCustomDBGridEh* g = OwnerGrid())
      AField->FreeNotification(g);
  }
  if (IsDefaultColumn()) {
    if (!AField)
      FFieldName.clear();
    ResetOwnValues();
    FAutoFitBaseWidth = Width();
  }
  RebindFooterSums();
  Changed(false);
}

void TColumnEh::RebindFooterSums()
{
  if (FFooter)
    FFooter->EnsureSumValue();
  if (FFooters)
    for (Integer i = 0; i < FFooters->Count(); ++i)
      FFooters->Items(i)->EnsureSumValue();
}

// ---- Defaults ----

TColor TColumnEh::DefColor() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g ? g->Color() : clWindow;
}

TFont* TColumnEh::DefFont() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g ? g->Font() : FFont.get();
}

TAlignment TColumnEh::DefAlignment()
{
  TField* f = Field();
  return f ? f->Alignment() : taLeftJustify;
}

bool TColumnEh::DefReadOnly()
{
  TCustomDBGridEh* g = OwnerGrid();
  TField* f = Field();
  return (g && g->ReadOnly()) || (f && f->ReadOnly());
}

Integer TColumnEh::DefWidth()
{
  TCustomDBGridEh* g = OwnerGrid();
  if (!g)
    return 64;
  TField* f = Field();
  if (!f)
    return g->DefaultColWidth();
  TCanvas* c = g->Canvas();
  TFont saved;
  saved.Assign(c->Font());
  TScopeExit restore([&] { c->Font()->Assign(&saved); });
  c->Font()->Assign(Font());
  TTextMetric tm = c->GetTextMetrics();
  return (c->TextWidth("0") - tm.tmOverhang) * f->DisplayWidth() + tm.tmOverhang + 4;
}

bool TColumnEh::DefWordWrap()
{
  TField* f = Field();
  if (!OwnerGrid() || !f)
    return false;
  TFieldType t = f->DataType();
  return t == ftString || t == ftMemo || t == ftFmtMemo || t == ftWideString;
}

bool TColumnEh::DefCheckboxes()
{
  TField* f = Field();
  return f && f->DataType() == ftBoolean;
}

AnsiString TColumnEh::DefLookupDisplayFields()
{
  TField* f = Field();
  return f ? f->LookupResultField() : AnsiString();
}

#define QH_COLUMN_DEFAULT(Name, Type, Fallback)                                                    \
  Type TColumnEh::Def##Name() const                                                                \
  {                                                                                                \
    TCustomDBGridEh* g = OwnerGrid();                                                              \
    return g ? g->ColumnDefValues()->Name() : Fallback;                                            \
  }
QH_COLUMN_DEFAULT(AlwaysShowEditButton, bool, false)
QH_COLUMN_DEFAULT(AutoDropDown, bool, false)
QH_COLUMN_DEFAULT(DblClickNextVal, bool, false)
QH_COLUMN_DEFAULT(DropDownShowTitles, bool, false)
QH_COLUMN_DEFAULT(DropDownSizing, bool, false)
QH_COLUMN_DEFAULT(EndEllipsis, bool, false)
QH_COLUMN_DEFAULT(HighlightRequired, bool, false)
QH_COLUMN_DEFAULT(Layout, TTextLayout, tlTop)
QH_COLUMN_DEFAULT(ToolTips, bool, false)
#undef QH_COLUMN_DEFAULT

TImeMode TColumnEh::DefImeMode() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g ? g->ImeMode() : FImeMode;
}

AnsiString TColumnEh::DefImeName() const
{
  TCustomDBGridEh* g = OwnerGrid();
  return g ? g->ImeName() : FImeName;
}

void TColumnEh::SyncDefaultFont()
{
  if (Own(cvFont))
    return;
  TFont* def = DefFont();
  if (def != FFont.get())
    CopyFontSilently(FFont.get(), def);
  if (FTitle)
    FTitle->SyncDefaultFont();
}

void TColumnEh::ResetOwnValues()
{
  bool fontWasOwn = Own(cvFont);
  if (FTitle)
    FTitle->ResetOwnValues();
  FOwnValues = {};
  SyncDefaultFont();
  FPickList.reset();
  FButtonStyle = cbsAuto;
  Changed(fontWasOwn);
  FKeyList.reset();
}

// ---- Effective values ----

Integer TColumnEh::Width()
{
  return Own(cvWidth) ? FWidth : DefWidth();
}

void TColumnEh::SetWidth(Integer Value)
{
  TCustomDBGridEh* g = OwnerGrid();
  if (IsDefaultColumn() && g && g->HandleAllocated() && FField && g->SyncFieldDisplayWidth()) {
    TCanvas* c = g->Canvas();
    TFont saved;
    saved.Assign(c->Font());
    TScopeExit restore([&] { c->Font()->Assign(&saved); });
    c->Font()->Assign(Font());
    TTextMetric tm = c->GetTextMetrics();
    Integer zero = std::max<Integer>(c->TextWidth("0"), 1);
    FField->SetDisplayWidth((Value + tm.tmAveCharWidth / 2 - tm.tmOverhang - 3) / zero);
  }
  bool mayStore = !IsDefaultColumn() || !IsInLinkLayoutChange() || Own(cvWidth);
  if (mayStore && (Own(cvWidth) || Value != DefWidth()) && Value != -1) {
    FWidth = Value;
    FOwnValues.Include(cvWidth);
    if (FMaxWidth > 0 && FWidth > FMaxWidth)
      FWidth = FMaxWidth;
    if (FMinWidth > 0 && FWidth < FMinWidth)
      FWidth = FMinWidth;
  }
  Changed(false);
}

void TColumnEh::SetMinWidth(Integer Value)
{
  FMinWidth = Value;
  if (Value > 0 && Width() < Value)
    SetWidth(Value);
}

void TColumnEh::SetMaxWidth(Integer Value)
{
  FMaxWidth = Value;
  if (Value > 0 && Width() > Value)
    SetWidth(Value);
}

Integer TColumnEh::ClampWidth(Integer W) const
{
  if (FMaxWidth > 0)
    W = std::min(W, FMaxWidth);
  if (FMinWidth > 0 && W < FMinWidth)
    W = FMinWidth;
  return W;
}

void TColumnEh::SetAutoFitColWidth(bool Value)
{
  FAutoFitColWidth = Value;
  TCustomDBGridEh* g = OwnerGrid();
  if (g && g->AutoFitColWidths() && !g->ComponentState().Contains(csLoading) &&
      !g->ComponentState().Contains(csDesigning))
    SetWidth(FAutoFitBaseWidth);
  Changed(false);
}

void TColumnEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed(true);
}

TColor TColumnEh::Color() const
{
  return Own(cvColor) ? FColor : DefColor();
}

void TColumnEh::SetColor(TColor Value)
{
  if (StoreOwn(cvColor, FColor, Value))
    Changed(false);
}

TFont* TColumnEh::Font()
{
  if (!Own(cvFont)) {
    TFont* def = DefFont();
    if (def != FFont.get() && !SameFontLook(def, FFont.get()))
      CopyFontSilently(FFont.get(), def);
  }
  return FFont.get();
}

void TColumnEh::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TColumnEh::FontChanged(TObject*)
{
  FOwnValues.Include(cvFont);
  if (FTitle)
    FTitle->SyncDefaultFont();
  Changed(false);
}

TAlignment TColumnEh::Alignment()
{
  return Own(cvAlignment) ? FAlignment : DefAlignment();
}

void TColumnEh::SetAlignment(TAlignment Value)
{
  if (IsDefaultColumn()) {
    // A generated column writes through to its field.
    if (DataLinkActive() && FField)
      FField->SetAlignment(Value);
    return;
  }
  if (StoreOwn(cvAlignment, FAlignment, Value))
    Changed(false);
}

TTextLayout TColumnEh::Layout() const
{
  return Own(cvLayout) ? FLayout : DefLayout();
}

void TColumnEh::SetLayout(TTextLayout Value)
{
  if (StoreOwn(cvLayout, FLayout, Value))
    Changed(false);
}

bool TColumnEh::WordWrap()
{
  return Own(cvWordWrap) ? FWordWrap : DefWordWrap();
}

void TColumnEh::SetWordWrap(bool Value)
{
  TCustomDBGridEh* g = OwnerGrid();
  if (Own(cvWordWrap) || Value != DefWordWrap() || (g && g->ComponentState().Contains(csLoading))) {
    FWordWrap = Value;
    FOwnValues.Include(cvWordWrap);
  }
  Changed(false);
}

bool TColumnEh::EndEllipsis() const
{
  return Own(cvEndEllipsis) ? FEndEllipsis : DefEndEllipsis();
}

void TColumnEh::SetEndEllipsis(bool Value)
{
  if (StoreOwn(cvEndEllipsis, FEndEllipsis, Value))
    Changed(false);
}

bool TColumnEh::ReadOnly()
{
  return Own(cvReadOnly) ? FReadOnly : DefReadOnly();
}

void TColumnEh::SetReadOnly(bool Value)
{
  if (IsDefaultColumn() && DataLinkActive() && FField) {
    FField->SetReadOnly(Value);
    return;
  }
  if (StoreOwn(cvReadOnly, FReadOnly, Value))
    Changed(false);
}

TImeMode TColumnEh::ImeMode() const
{
  return Own(cvImeMode) ? FImeMode : DefImeMode();
}

void TColumnEh::SetImeMode(TImeMode Value)
{
  if (Own(cvImeMode) || Value != DefImeMode()) {
    FImeMode = Value;
    FOwnValues.Include(cvImeMode);
  }
  Changed(false);
}

AnsiString TColumnEh::ImeName() const
{
  return Own(cvImeName) ? FImeName : DefImeName();
}

void TColumnEh::SetImeName(const AnsiString& Value)
{
  if (Own(cvImeName) || Value != DefImeName()) {
    FImeName = Value;
    FOwnValues.Include(cvImeName);
  }
  Changed(false);
}

TColumnFooterEh* TColumnEh::FooterAt(Integer I) const
{
  if (I >= 0 && I < FFooters->Count())
    return FFooters->Items(I);
  return FFooter.get();
}

TStrings* TColumnEh::PickList()
{
  if (!FPickList)
    FPickList = std::make_unique<TStringList>();
  return FPickList.get();
}

void TColumnEh::SetPickList(TStrings* Value)
{
  if (!Value) {
    FPickList.reset();
    return;
  }
  PickList()->Assign(Value);
}

TStrings* TColumnEh::KeyList()
{
  if (!FKeyList)
    FKeyList = std::make_unique<TStringList>();
  return FKeyList.get();
}

void TColumnEh::SetKeyList(TStrings* Value)
{
  if (!Value)
    FKeyList.reset();
  else
    KeyList()->Assign(Value);
  RepaintGrid();
}

void TColumnEh::SetNotInKeyListIndex(Integer Value)
{
  if (Value == FNotInKeyListIndex)
    return;
  FNotInKeyListIndex = Value;
  RepaintGrid();
}

bool TColumnEh::Checkboxes()
{
  return Own(cvCheckboxes) ? FCheckboxes : DefCheckboxes();
}

void TColumnEh::SetCheckboxes(bool Value)
{
  if (StoreOwn(cvCheckboxes, FCheckboxes, Value))
    Changed(false);
}

void TColumnEh::SetImageList(TCustomImageList* Value)
{
  if (Value == FImageList)
    return;
  if (FImageList)
    FImageList->UnRegisterChanges(FImageChangeLink.get());
  FImageList = Value;
  if (Value) {
    Value->RegisterChanges(FImageChangeLink.get());
    if (TCustomDBGridEh* g = OwnerGrid())
      Value->FreeNotification(g);
  }
  RepaintGrid();
}

void TColumnEh::ImageListChanged(TObject*)
{
  RepaintGrid();
}

void TColumnEh::SetShowImageAndText(bool Value)
{
  if (Value == FShowImageAndText)
    return;
  FShowImageAndText = Value;
  Changed(false);
}

void TColumnEh::SetButtonStyle(TColumnButtonStyleEh Value)
{
  if (Value == FButtonStyle)
    return;
  FButtonStyle = Value;
  Changed(false);
}

bool TColumnEh::AlwaysShowEditButton() const
{
  return Own(cvAlwaysShowEditButton) ? FAlwaysShowEditButton : DefAlwaysShowEditButton();
}

void TColumnEh::SetAlwaysShowEditButton(bool Value)
{
  if (StoreOwn(cvAlwaysShowEditButton, FAlwaysShowEditButton, Value))
    Changed(false);
}

void TColumnEh::SetDropDownWidth(Integer Value)
{
  if (Value == FDropDownWidth)
    return;
  FDropDownWidth = Value;
  Changed(false);
}

bool TColumnEh::DropDownSizing() const
{
  return Own(cvDropDownSizing) ? FDropDownSizing : DefDropDownSizing();
}

void TColumnEh::SetDropDownSizing(bool Value)
{
  StoreOwn(cvDropDownSizing, FDropDownSizing, Value);
}

bool TColumnEh::DropDownShowTitles() const
{
  return Own(cvDropDownShowTitles) ? FDropDownShowTitles : DefDropDownShowTitles();
}

void TColumnEh::SetDropDownShowTitles(bool Value)
{
  StoreOwn(cvDropDownShowTitles, FDropDownShowTitles, Value);
}

bool TColumnEh::AutoDropDown() const
{
  return Own(cvAutoDropDown) ? FAutoDropDown : DefAutoDropDown();
}

void TColumnEh::SetAutoDropDown(bool Value)
{
  StoreOwn(cvAutoDropDown, FAutoDropDown, Value);
}

bool TColumnEh::DblClickNextVal() const
{
  return Own(cvDblClickNextVal) ? FDblClickNextVal : DefDblClickNextVal();
}

void TColumnEh::SetDblClickNextVal(bool Value)
{
  StoreOwn(cvDblClickNextVal, FDblClickNextVal, Value);
}

AnsiString TColumnEh::LookupDisplayFields()
{
  return Own(cvLookupDisplayFields) ? FLookupDisplayFields : DefLookupDisplayFields();
}

void TColumnEh::SetLookupDisplayFields(const AnsiString& Value)
{
  if (StoreOwn(cvLookupDisplayFields, FLookupDisplayFields, Value))
    Changed(false);
}

void TColumnEh::SetDisplayFormat(const AnsiString& Value)
{
  if (Value == FDisplayFormat)
    return;
  FDisplayFormat = Value;
  Changed(false);
}

void TColumnEh::SetEditMask(const AnsiString& Value)
{
  if (Value == FEditMask)
    return;
  FEditMask = Value;
  Changed(false);
}

void TColumnEh::SetHideDuplicates(bool Value)
{
  if (Value == FHideDuplicates)
    return;
  FHideDuplicates = Value;
  Changed(false);
}

bool TColumnEh::HighlightRequired() const
{
  return Own(cvHighlightRequired) ? FHighlightRequired : DefHighlightRequired();
}

void TColumnEh::SetHighlightRequired(bool Value)
{
  if (StoreOwn(cvHighlightRequired, FHighlightRequired, Value))
    Changed(false);
}

bool TColumnEh::ToolTips() const
{
  return Own(cvToolTips) ? FToolTips : DefToolTips();
}

void TColumnEh::SetToolTips(bool Value)
{
  StoreOwn(cvToolTips, FToolTips, Value);
}

void TColumnEh::SetPopupMenu(TPopupMenu* Value)
{
  FPopupMenu = Value;
  if (Value)
    if (TCustomDBGridEh* g = OwnerGrid())
      Value->FreeNotification(g);
}

void TColumnEh::SetOnGetCellParams(const TGetColCellParamsEventEh& Value)
{
  OnGetCellParams = Value;
  RepaintGrid();
}

// ---- Classification and values ----

TColumnKindEh TColumnEh::Kind()
{
  if (Checkboxes())
    return ckCheckboxes;
  TField* f = Field();
  if (f && f->FieldKind() == fkLookup)
    return ckLookup;
  if (HasPickList() && !HasKeyList())
    return ckPickList;
  if (FImageList && !FShowImageAndText)
    return ckImageList;
  if (HasKeyList() && HasPickList())
    return ckKeyList;
  return ckText;
}

TDataSet* TColumnEh::FieldLookupDataSet()
{
  TField* f = Field();
  return f ? f->LookupDataSet() : nullptr;
}

TCellEditStyleEh TColumnEh::ColumnEditStyle()
{
  switch (FButtonStyle) {
  case cbsEllipsis:
    return cesEllipsis;
  case cbsNone:
    return cesPlain;
  case cbsUpDown:
    return cesUpDown;
  case cbsDropDown:
    return cesDropDown;
  case cbsAuto:
    break;
  }
  TField* f = Field();
  if (!f)
    return cesPlain;
  TCustomDBGridEh* g = OwnerGrid();
  if (f->FieldKind() == fkLookup) {
    bool keysModifiable = (g && g->ComponentState().Contains(csDesigning)) ||
                          AllFieldsModifiable(f->DataSet(), f->KeyFields());
    bool explicitReadOnly = Own(cvReadOnly) && FReadOnly;
    bool gridEditable =
        g && !g->ReadOnly() && g->DataLink()->Active() && !g->DataLink()->ReadOnly();
    return keysModifiable && !f->KeyFields().empty() && !explicitReadOnly && gridEditable
               ? cesDataList
               : cesPlain;
  }
  if (HasPickList() && !ReadOnly())
    return cesPickList;
  if (IsDateTimeType(f->DataType()) && f->DataType() != ftTime)
    return ReadOnly() ? cesPlain : cesDate;
  return cesPlain;
}

Integer TColumnEh::EditButtonsWidth()
{
  TCustomDBGridEh* g = OwnerGrid();
  bool flat = g && g->Flat();
  Integer button = g ? g->EditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
  Integer w = 0;
  if (ColumnEditStyle() != cesPlain)
    w += button + (flat ? 1 : 0);
  for (Integer i = 0; i < FEditButtons->Count(); ++i) {
    TEditButtonEh* b = FEditButtons->Items(i);
    if (b->Visible())
      w += (b->Width() > 0 ? b->Width() : button) + (flat ? 1 : 0);
  }
  return w;
}

AnsiString TColumnEh::CellText()
{
  TField* f = Field();
  if (!f || Kind() == ckImageList)
    return AnsiString();
  if (HasKeyList()) {
    Integer i = ListIndexOf(FKeyList.get(), f->Text());
    TStrings* pick = PickList();
    if (i >= 0 && i < pick->Count())
      return pick->Strings(i);
    if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < pick->Count())
      return pick->Strings(FNotInKeyListIndex);
    return AnsiString();
  }
  TCustomDBGridEh* g = OwnerGrid();
  if (g && g->MemoAsText() && (f->DataType() == ftMemo || f->DataType() == ftFmtMemo))
    return f->AsString();
  return FormatFieldText(f, FDisplayFormat);
}

AnsiString TColumnEh::FormatFieldText(TField* Field, const AnsiString& Format)
{
  if (Format.empty())
    return Field->DisplayText();
  if (Field->IsNull())
    return AnsiString();
  TFieldType t = Field->DataType();
  if (IsNumericType(t))
    return FormatFloat(Format, Field->AsFloat());
  if (IsDateTimeType(t))
    return FormatDateTime(Format, Field->AsDateTime());
  if (auto* agg = dynamic_cast<TAggregateField*>(Field)) {
    Variant v = agg->Value();
    if (VarIsNull(v) || VarIsEmpty(v))
      return AnsiString();
    TVarType vt = VarType(v);
    if (vt == varDate)
      return FormatDateTime(Format, v.AsDateTime());
    if (vt == varDouble || vt == varCurrency || vt == varSingle || vt == varInteger ||
        vt == varInt64 || vt == varSmallint)
      return FormatFloat(Format, v.AsDouble());
  }
  return AnsiString();
}

bool TColumnEh::LookupKeyFound(TField* Field)
{
  TDataSet* lookup = Field->LookupDataSet();
  return lookup && lookup->Active() && !Field->IsNull();
}

Integer TColumnEh::ImageIndexOfValue()
{
  TField* f = Field();
  if (!f)
    return -1;
  Integer i = -1;
  if (HasKeyList())
    i = ListIndexOf(FKeyList.get(), f->Text());
  else if (HasPickList())
    i = ListIndexOf(FPickList.get(), f->Text());
  else {
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
      i = f->IsNull() ? -1 : f->AsInteger();
      break;
    default:
      i = -1;
    }
  }
  return i == -1 ? FNotInKeyListIndex : i;
}

TCheckBoxState TColumnEh::ValueCheckState()
{
  TField* f = Field();
  if (!f)
    return cbUnchecked;
  if (f->IsNull())
    return cbGrayed;
  if (f->DataType() == ftBoolean)
    return f->AsBoolean() ? cbChecked : cbUnchecked;
  AnsiString text = f->Text();
  TStrings* keys = KeyList();
  if (keys->Count() > 0 && ListHasValue(keys->Strings(0), text))
    return cbChecked;
  if (keys->Count() < 2)
    return cbGrayed;
  return ListHasValue(keys->Strings(1), text) ? cbUnchecked : cbGrayed;
}

void TColumnEh::SetValueCheckState(TCheckBoxState Value)
{
  TField* f = Field();
  if (Value == cbGrayed) {
    StoreCellValue(AnsiString(), Null(), false);
    return;
  }
  if (f && f->DataType() == ftBoolean) {
    StoreCellValue(AnsiString(), Variant(Value == cbChecked), false);
    return;
  }
  TStrings* keys = KeyList();
  Integer index = Value == cbChecked ? 0 : 1;
  AnsiString text = index < keys->Count() ? FirstListPart(keys->Strings(index)) : AnsiString();
  StoreCellValue(text, Variant(text), true);
}

void TColumnEh::StoreCellValue(AnsiString Text, Variant Value, bool UseText)
{
  TCustomDBGridEh* g = OwnerGrid();
  if (!g)
    return;
  bool handled = false;
  if (OnUpdateData)
    OnUpdateData(this, Text, Value, UseText, handled);
  if (handled)
    return;
  TField* f = Field();
  if (!f)
    return;
  if (UseText) {
    if (g->MemoAsText() && (f->DataType() == ftMemo || f->DataType() == ftFmtMemo))
      f->SetAsString(Text);
    else
      f->SetText(Text);
  } else if (f->FieldKind() == fkLookup && !f->KeyFields().empty()) {
    f->DataSet()->SetFieldValues(f->KeyFields(), Value);
  } else
    f->SetAsVariant(Value);
  // Texts entered in the cell editor become recent texts of the column.
  TInplaceEdit* editor = g->InplaceEditor();
  if (FMRUList->Active() && FMRUList->AutoAdd() && editor && editor->Visible() && editor->Showing())
    FMRUList->Remember(Text);
}

bool TColumnEh::CanEditValue(bool TryEdit)
{
  TCustomDBGridEh* g = OwnerGrid();
  TField* f = Field();
  if (!g || g->ReadOnly() || !g->DataLink()->Active() || g->DataLink()->ReadOnly() || ReadOnly() ||
      !f)
    return false;
  TField* test = f;
  if (f->FieldKind() == fkLookup) {
    if (f->KeyFields().empty() || !AllFieldsModifiable(f->DataSet(), f->KeyFields()))
      return false;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    test = keys.front();
  }
  if (!test->CanModify())
    return false;
  bool memoText = g->MemoAsText() && (test->DataType() == ftMemo || test->DataType() == ftFmtMemo);
  if (test->IsBlob() && !test->OnSetText && !memoText)
    return false;
  if (!g->EditPermitted())
    return false;
  if (!TryEdit)
    return true;
  g->DataLink()->Edit();
  bool editing = g->DataLink()->Editing();
  if (editing)
    g->DataLink()->MarkModified();
  return editing;
}

void TColumnEh::StepValue(Integer AStep)
{
  TCustomDBGridEh* g = OwnerGrid();
  TField* f = Field();
  if (!g || !f)
    return;
  try {
    if (!CanEditValue(true))
      return;
  } catch (const Exception&) {
    return;
  }
  AnsiString text =
      g->InplaceEditor() && g->InplaceEditor()->Visible() ? g->InplaceEditor()->Text() : f->Text();
  auto walk = [&](TStrings* list, const AnsiString& current) {
    Integer n = list->Count();
    Integer i = ListIndexOf(list, current);
    if (AStep == 1)
      return (i < 0 || i >= n - 1) ? 0 : i + 1;
    return (i <= 0) ? n - 1 : i - 1;
  };
  switch (Kind()) {
  case ckCheckboxes:
    SetValueCheckState(ValueCheckState() == cbChecked ? cbUnchecked : cbChecked);
    return;
  case ckKeyList:
  case ckImageList: {
    TStrings* keys = KeyList();
    if (keys->Count() == 0)
      return;
    AnsiString key = keys->Strings(walk(keys, f->Text()));
    StoreCellValue(text, Variant(key), false);
    return;
  }
  case ckPickList: {
    TStrings* pick = PickList();
    Integer n = pick->Count();
    Integer i = ListIndexOf(pick, f->Text());
    Integer to = walk(pick, f->Text());
    bool wrapped = AStep == 1 ? (i < 0 || i >= n - 1) : (i <= 0);
    if (wrapped)
      f->SetText(pick->Strings(to));
    else
      StoreCellValue(pick->Strings(to), Variant(pick->Strings(to)), true);
    return;
  }
  case ckLookup: {
    TDataSet* list = f->LookupDataSet();
    if (!list || !list->Active())
      return;
    std::vector<TField*> keys;
    f->DataSet()->GetFieldList(keys, f->KeyFields());
    if (keys.empty())
      return;
    if (keys.front()->IsNull())
      list->First();
    else if (!list->Locate(f->LookupKeyFields(), f->DataSet()->FieldValues(f->KeyFields()), {}))
      list->First();
    else if (AStep == 1) {
      list->Next();
      if (list->Eof())
        list->First();
    } else {
      list->Prior();
      if (list->Bof() && list->RecNo() <= 1)
        list->Last();
    }
    StoreCellValue(text, list->FieldValues(f->LookupKeyFields()), false);
    return;
  }
  default:
    break;
  }
  if (IsNumericType(f->DataType())) {
    try {
      Extended value = f->IsNull() ? -AStep : f->AsFloat();
      f->SetAsFloat(static_cast<Double>(value + AStep));
    } catch (const EDatabaseError&) {
      // A value the database refuses leaves the field as it was.
    }
  }
}

void TColumnEh::FillCellParams(TColCellParamsEh* Params)
{
  Params->Row = -1;
  Params->Col = -1;
  Params->State = {};
  Params->Font = Font();
  Params->Background = Color();
  Params->Alignment = Alignment();
  Params->ImageIndex = ImageIndexOfValue();
  Params->Text = CellText();
  Params->CheckMark = ValueCheckState();
  Params->ReadOnly = ReadOnly();
}

void TColumnEh::DoGetCellParams(bool EditMode, TColCellParamsEh* Params)
{
  if (OnGetCellParams)
    OnGetCellParams(this, EditMode, Params);
}

void TColumnEh::SetIndex(Integer Value)
{
  if (IsDefaultColumn() && FField && DataLinkActive()) {
    // A generated column moves its field first: it takes the dataset index of the field
    // now shown at the target position.
    auto* columns = static_cast<TDBGridColumnsEh*>(Collection());
    if (Value >= 0 && Value < columns->Count())
      if (TField* target = columns->Items(Value)->FField)
        FField->SetIndex(target->Index());
  }
  TCollectionItem::SetIndex(Value);
}

void TColumnEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TColumnEh*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  TCollection* columns = Collection();
  if (columns)
    columns->BeginUpdate();
  TScopeExit endUpdate([&] {
    if (columns)
      columns->EndUpdate();
  });
  ResetOwnValues();
  SetFieldName(src->FFieldName);
  if (src->Own(cvColor))
    SetColor(src->FColor);
  if (src->Own(cvWidth))
    SetWidth(src->FWidth);
  if (src->Own(cvFont))
    SetFont(src->FFont.get());
  if (src->Own(cvImeMode))
    SetImeMode(src->FImeMode);
  if (src->Own(cvImeName))
    SetImeName(src->FImeName);
  if (src->Own(cvAlignment))
    SetAlignment(src->FAlignment);
  if (src->Own(cvReadOnly))
    SetReadOnly(src->FReadOnly);
  FTitle->Assign(src->FTitle.get());
  FDropDownRows = src->FDropDownRows;
  SetButtonStyle(src->FButtonStyle);
  if (src->FPickList)
    SetPickList(src->FPickList.get());
  SetPopupMenu(src->FPopupMenu);
  FAutoFitBaseWidth = src->FAutoFitBaseWidth;
  FAutoFitColWidth = src->FAutoFitColWidth;
  if (src->Own(cvWordWrap))
    SetWordWrap(src->FWordWrap);
  SetEndEllipsis(src->EndEllipsis());
  SetDropDownWidth(src->FDropDownWidth);
  if (src->Own(cvLookupDisplayFields))
    SetLookupDisplayFields(src->FLookupDisplayFields);
  SetAutoDropDown(src->AutoDropDown());
  SetAlwaysShowEditButton(src->AlwaysShowEditButton());
  SetWordWrap(src->WordWrap());
  FFooter->Assign(src->FFooter.get());
  if (src->FKeyList)
    SetKeyList(src->FKeyList.get());
  if (src->Own(cvCheckboxes))
    SetCheckboxes(src->FCheckboxes);
  FIncrement = src->FIncrement;
  SetToolTips(src->ToolTips());
  FFooters->Assign(src->FFooters.get());
  FTag = src->FTag;
  SetVisible(src->FVisible);
  SetImageList(src->FImageList);
  SetNotInKeyListIndex(src->FNotInKeyListIndex);
  SetMinWidth(src->FMinWidth);
  SetMaxWidth(src->FMaxWidth);
  SetDblClickNextVal(src->DblClickNextVal());
  SetDropDownSizing(src->DropDownSizing());
  SetDropDownShowTitles(src->DropDownShowTitles());
  OnGetCellParams = src->OnGetCellParams;
  OnNotInList = src->OnNotInList;
  OnUpdateData = src->OnUpdateData;
  FMRUList->Assign(src->FMRUList.get());
  FEditButtons->Assign(src->FEditButtons.get());
  SetDisplayFormat(src->FDisplayFormat);
  SetEditMask(src->FEditMask);
  SetShowImageAndText(src->FShowImageAndText);
}

// ---- TDBGridColumnsEh ----

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* Grid, TCollectionItemClass ItemClass)
    : TCollection(ItemClass), FGrid(Grid)
{
}

TPersistent* TDBGridColumnsEh::GetOwner()
{
  return FGrid;
}

TColumnEh* TDBGridColumnsEh::AddDefaultColumn()
{
  TColumnEh* c = Add();
  c->SetStored(false);
  return c;
}

void TDBGridColumnsEh::Update(TCollectionItem* Item)
{
  if (!FGrid || FGrid->Columns() != this || FGrid->ComponentState().Contains(csLoading))
    return;
  bool designing = FGrid->ComponentState().Contains(csDesigning);
  if (auto* column = static_cast<TColumnEh*>(Item)) {
    Integer raw = FGrid->DataToRawColumn(column->Index());
    if (raw < FGrid->ColCount()) {
      FGrid->InvalidateCol(raw);
      Integer gridWidth = FGrid->ColWidths(raw);
      if (!FGrid->AutoFitColWidths() || designing) {
        Integer want =
            column->Visible() ? column->Width() : (FGrid->Options().Contains(dgColLines) ? -1 : 0);
        if (gridWidth != want)
          FGrid->SetColWidths(raw, want);
        else if (FGrid->UseMultiTitle())
          FGrid->LayoutChanged();
      } else if (gridWidth != -1) {
        // The user's resize rescales the base width; the next column gives up the
        // difference (F8: no proportional rescale over a zero-width grid column).
        Integer oldBase = column->AutoFitBaseWidth();
        Integer newBase = gridWidth > 0 ? MulDiv(oldBase, column->Width(), gridWidth) : oldBase;
        column->SetAutoFitBaseWidth(newBase);
        if (raw < FGrid->ColCount() - 1 && column->Index() + 1 < Count()) {
          TColumnEh* next = Items(column->Index() + 1);
          next->SetAutoFitBaseWidth(
              std::max<Integer>(0, next->AutoFitBaseWidth() + oldBase - newBase));
        }
        FGrid->LayoutChanged();
      }
    } else
      FGrid->LayoutChanged();
  } else
    FGrid->LayoutChanged();
  Integer sel = FGrid->SelectedIndex();
  if (sel >= 0 && sel < Count() && !Items(sel)->Visible() && FGrid->VisibleColumns()->Count() > 0)
    FGrid->SelectDataColumn(FGrid->VisibleColumns()->Items(0)->Index());
  if (FGrid->LayoutLock() == 0)
    FGrid->InvalidateEditor();
}
