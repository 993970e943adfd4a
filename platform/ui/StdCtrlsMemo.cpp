// The memo (TCustomMemo/TMemo): the multi-line edit window with its lines as a string
// list (TMemoStrings). StdCtrls.h describes them; the editing itself is TCustomEdit's.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdCtrlsPrivate.h"

void stdctrls::RegisterMemoClasses()
{
  TClassRegistration<TCustomMemo, TCustomEdit>("TCustomMemo");
  TClassRegistration<TMemo, TCustomMemo>("TMemo")
      .Property("Alignment", &TMemo::Alignment, &TMemo::SetAlignment)
      .Default(taLeftJustify)
      .Property("BorderStyle", &TMemo::BorderStyle, &TMemo::SetBorderStyle)
      .Default(bsSingle)
      .Property("HideSelection", &TMemo::HideSelection, &TMemo::SetHideSelection)
      .Default(true)
      .Property("Lines", &TMemo::Lines, &TMemo::SetLines)
      .Property("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength)
      .Default(0)
      .Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly)
      .Default(false)
      .Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars)
      .Default(ssNone)
      .Property("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns)
      .Default(true)
      .Property("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs)
      .Default(false)
      .Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)
      .Default(true)
      .Property("OnChange", &TMemo::OnChange, &TMemo::OnChange);
}

// ---- TMemoStrings ----

namespace {

// The text's lines, the empty line after a final line break included.
void SplitLines(const AnsiString& Text, std::vector<TEditLine>& Out)
{
  Out.clear();
  Integer n = static_cast<Integer>(Text.size());
  Integer p = 0;
  for (;;) {
    Integer e = p;
    while (e < n && Text[e] != '\r' && Text[e] != '\n')
      ++e;
    Integer next = e;
    if (e < n)
      next = e + ((Text[e] == '\r' && e + 1 < n && Text[e + 1] == '\n') ? 2 : 1);
    Out.push_back({p, e, next});
    if (e >= n)
      return;
    p = next;
  }
}

} // namespace

void TMemoStrings::Ranges(std::vector<TEditLine>& Out) const
{
  SplitLines(FMemo->FModel.Text(), Out);
}

// The empty line after a final line break is not a line of the list; an empty text has
// none.
Integer TMemoStrings::GetCount() const
{
  std::vector<TEditLine> r;
  Ranges(r);
  Integer count = static_cast<Integer>(r.size());
  if (r.back().End == r.back().Start)
    --count;
  return count;
}

AnsiString TMemoStrings::Get(Integer Index) const
{
  std::vector<TEditLine> r;
  Ranges(r);
  if (Index < 0 || Index >= static_cast<Integer>(r.size()))
    Error("List index out of bounds (%d)", Index);
  const TEditLine& l = r[Index];
  return FMemo->FModel.Text().substr(l.Start, l.End - l.Start);
}

void TMemoStrings::Put(Integer Index, const AnsiString& S)
{
  std::vector<TEditLine> r;
  Ranges(r);
  if (Index < 0 || Index >= GetCount())
    Error("List index out of bounds (%d)", Index);
  FMemo->FModel.SetSel(r[Index].Start, r[Index].End);
  FMemo->SaveUndo();
  FMemo->InsertText(S, false);
  FMemo->TextChanged();
}

// A line is inserted with its line break before the line at Index; past the last line it
// is appended after a line break.
void TMemoStrings::Insert(Integer Index, const AnsiString& S)
{
  std::vector<TEditLine> r;
  Ranges(r);
  Integer raw = static_cast<Integer>(r.size());
  if (Index < 0 || Index > GetCount())
    Error("List index out of bounds (%d)", Index);
  if (Index < raw) {
    FMemo->FModel.SetSel(r[Index].Start, r[Index].Start);
    FMemo->InsertText(S + "\r\n", false);
  } else {
    FMemo->FModel.SetSel(-1, -1);
    FMemo->InsertText("\r\n" + S, false);
  }
  FMemo->Perform(EM_EMPTYUNDOBUFFER, 0, 0);
  FMemo->TextChanged();
}

void TMemoStrings::Delete(Integer Index)
{
  std::vector<TEditLine> r;
  Ranges(r);
  if (Index < 0 || Index >= GetCount())
    Error("List index out of bounds (%d)", Index);
  FMemo->FModel.SetSel(r[Index].Start, r[Index].Next);
  FMemo->DeleteSelection();
  FMemo->Perform(EM_EMPTYUNDOBUFFER, 0, 0);
  FMemo->TextChanged();
}

void TMemoStrings::Clear()
{
  FMemo->SetText("");
}

AnsiString TMemoStrings::GetTextStr() const
{
  return FMemo->Text();
}

void TMemoStrings::SetTextStr(const AnsiString& Value)
{
  FMemo->SetText(Value);
}

void TMemoStrings::SetUpdateState(bool Updating)
{
  if (!Updating)
    FMemo->Invalidate();
}

// ---- TCustomMemo ----

TCustomMemo::TCustomMemo(TComponent* AOwner)
    : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
  FMultiLine = true;
  FWordWrap = true;
  FWantReturns = true;
  FWidth = 185;
  FHeight = 89;
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
  if (Value == FScrollBars)
    return;
  FScrollBars = Value;
  stdctrls::RecreateKeepingFocus(this);
}

void TCustomMemo::SetWordWrap(bool Value)
{
  if (Value == FWordWrap)
    return;
  FWordWrap = Value;
  stdctrls::RecreateKeepingFocus(this);
  LayoutChanged();
  SelectionChanged();
}

void TCustomMemo::KeyPress(char& Key)
{
  TCustomEdit::KeyPress(Key);
  if ((Key == '\r' && !FWantReturns) || (Key == '\t' && !FWantTabs))
    Key = 0;
}

TPoint TCustomMemo::CaretPos()
{
  std::vector<TEditLine> r;
  SplitLines(FModel.Text(), r);
  Integer caret = FModel.Caret();
  for (Integer i = static_cast<Integer>(r.size()) - 1; i >= 0; --i)
    if (r[i].Start <= caret)
      return {caret - r[i].Start, i};
  return {0, 0};
}

void TCustomMemo::SetCaretPos(TPoint Value)
{
  std::vector<TEditLine> r;
  SplitLines(FModel.Text(), r);
  Integer line = std::clamp(Value.Y, 0, static_cast<Integer>(r.size()) - 1);
  Integer pos = r[line].Start + std::clamp(Value.X, 0, r[line].End - r[line].Start);
  SetSelStart(pos);
}
