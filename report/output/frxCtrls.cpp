// The report library's small controls (frxCtrls.h).
#include "report/output/frxCtrls.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Forms.h"

namespace {

const char* const kDefaultMRUKey = "\\Software\\ZuzuDorova\\MRUFont";
constexpr Integer kMRUSlots = 5;

// The TrueType mark of the font list: a small "T" in a frame (the glyph's transparent
// colour is its bottom-left pixel, clFuchsia).
TBitmap* TrueTypeGlyph()
{
  static TBitmap* glyph = [] {
    auto* b = new TBitmap(12, 12);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 12, 12));
    c->Pen()->SetColor(clGray);
    c->MoveTo(1, 2);
    c->LineTo(8, 2);
    c->MoveTo(4, 2);
    c->LineTo(4, 10);
    c->Pen()->SetColor(clBlack);
    c->MoveTo(4, 4);
    c->LineTo(11, 4);
    c->MoveTo(7, 4);
    c->LineTo(7, 11);
    b->SetTransparent(true);
    return b;
  }();
  return glyph;
}

} // namespace

// ---- TfrxScrollWin ----

TfrxScrollWin::TfrxScrollWin(TComponent* AOwner) : TCustomControl(AOwner) {}

void TfrxScrollWin::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TfrxScrollWin::CreateWnd()
{
  TCustomControl::CreateWnd();
  InitializeFlatSB(FHandle);
  UpdateScrollBar(SB_HORZ);
  UpdateScrollBar(SB_VERT);
}

void TfrxScrollWin::UpdateScrollBar(Integer Bar)
{
  if (!HandleAllocated())
    return;
  const bool horz = Bar == SB_HORZ;
  const Integer range = horz ? FHorzRange : FVertRange;
  const Integer page = horz ? FHorzPage : FVertPage;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = range >= page ? range : 0;
  si.nPage = static_cast<UINT>(std::max(page, 0));
  si.nPos = horz ? FHorzPosition : FVertPosition;
  si.nTrackPos = si.nPos;
  FlatSB_SetScrollInfo(FHandle, Bar, si, true);
}

void TfrxScrollWin::SetHorzPage(Integer Value)
{
  FHorzPage = Value;
  UpdateScrollBar(SB_HORZ);
}

void TfrxScrollWin::SetHorzRange(Integer Value)
{
  FHorzRange = Value;
  UpdateScrollBar(SB_HORZ);
}

void TfrxScrollWin::SetVertPage(Integer Value)
{
  FVertPage = Value;
  UpdateScrollBar(SB_VERT);
}

void TfrxScrollWin::SetVertRange(Integer Value)
{
  FVertRange = Value;
  UpdateScrollBar(SB_VERT);
}

bool TfrxScrollWin::MovePosition(Integer Bar, Integer Value)
{
  const bool horz = Bar == SB_HORZ;
  Integer& position = horz ? FHorzPosition : FVertPosition;
  Value = std::max(std::min(Value, horz ? FHorzRange - FHorzPage : FVertRange - FVertPage), 0);
  if (Value == position)
    return false;
  position = Value;
  if (HandleAllocated())
    FlatSB_SetScrollPos(FHandle, Bar, Value, true);
  return true;
}

void TfrxScrollWin::SetHorzPosition(Integer Value)
{
  if (MovePosition(SB_HORZ, Value))
    HorzPositionChanged();
}

void TfrxScrollWin::SetVertPosition(Integer Value)
{
  if (MovePosition(SB_VERT, Value))
    VertPositionChanged();
}

void TfrxScrollWin::WMScrollBar(TMessage& Message, Integer Bar)
{
  const bool horz = Bar == SB_HORZ;
  Integer pos = horz ? FHorzPosition : FVertPosition;
  switch (LOWORD(Message.WParam)) {
  case SB_LINEUP:
    pos -= FSmallChange;
    break;
  case SB_LINEDOWN:
    pos += FSmallChange;
    break;
  case SB_PAGEUP:
    pos -= FLargeChange;
    break;
  case SB_PAGEDOWN:
    pos += FLargeChange;
    break;
  case SB_THUMBPOSITION:
  case SB_THUMBTRACK: {
    SCROLLINFO si;
    si.fMask = SIF_TRACKPOS;
    FlatSB_GetScrollInfo(FHandle, Bar, si);
    pos = si.nTrackPos;
    break;
  }
  case SB_TOP:
    pos = 0;
    break;
  case SB_BOTTOM:
    pos = horz ? FHorzRange : FVertRange;
    break;
  default:
    return;
  }
  if (horz)
    SetHorzPosition(pos);
  else
    SetVertPosition(pos);
}

void TfrxScrollWin::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_ERASEBKGND:
    Message.Result = 1;
    return;
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
    return;
  case WM_HSCROLL:
    if (Message.LParam == 0) {
      WMScrollBar(Message, SB_HORZ);
      return;
    }
    break;
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      WMScrollBar(Message, SB_VERT);
      return;
    }
    break;
  }
  TCustomControl::Dispatch(Message);
}

void TfrxScrollWin::FillClientArea()
{
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TfrxScrollWin::Paint()
{
  FillClientArea();
}

// ---- TfrxCustomComboBox ----

TfrxCustomComboBox::TfrxCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner)
{
  SetStyle(csOwnerDrawFixed);
  SetDropDownCount(8);
  UpdateItemHeight();
}

void TfrxCustomComboBox::UpdateItemHeight()
{
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(Font());
  Integer h = c->TextHeight("Wg");
  ReleaseDC(0, dc);
  SetItemHeight(std::max(h, 1));
}

void TfrxCustomComboBox::SetEditOffset(Integer Value)
{
  if (Value == FEditOffset)
    return;
  FEditOffset = Value;
  PlaceEdit();
  Invalidate();
}

void TfrxCustomComboBox::SetReadOnly(bool Value)
{
  if (Value == FReadOnly)
    return;
  FReadOnly = Value;
  if (TCustomEdit* edit = EditPart())
    edit->SetReadOnly(Value);
}

bool TfrxCustomComboBox::IsHot() const
{
  return ComponentState().Contains(csDesigning) || DroppedDown() || Focused() || FMouseInControl;
}

void TfrxCustomComboBox::CreateWnd()
{
  TCustomComboBox::CreateWnd();
  if (TCustomEdit* edit = EditPart())
    edit->SetReadOnly(FReadOnly);
  PlaceEdit();
}

void TfrxCustomComboBox::PlaceEdit()
{
  // While the combo goes its children go first: the edit part may be gone already.
  TCustomEdit* edit = EditPart();
  if (!edit || !HandleAllocated() || ComponentState().Contains(csDestroying) ||
      !ContainsControl(edit))
    return;
  edit->SetBounds(FEditOffset + 3, 3, Width() - FButtonWidth - FEditOffset - 7, Height() - 6);
}

void TfrxCustomComboBox::DrawEditArea(TCanvas* Canvas, const TRect& Rect)
{
  if (FEditOffset <= 0)
    return;
  Canvas->Brush()->SetColor(clWindow);
  Canvas->FillRect(Rect);
}

// The flat look: the platform draws the face (the chosen item), then the frame and the
// narrow button are drawn over it in the state of the moment.
void TfrxCustomComboBox::PaintWindow(HDC DC)
{
  TCustomComboBox::PaintWindow(DC);
  TCanvas* c = CanvasFromDC(DC);
  const Integer w = Width(), h = Height();
  const TRect button = Rect(w - FButtonWidth - 2, 2, w - 2, h - 2);
  auto arrow = [&](Integer dx) {
    Integer x =
        static_cast<Integer>(std::nearbyint(FButtonWidth / 2.0)) + w - FButtonWidth - 4 + dx;
    Integer y = static_cast<Integer>(std::nearbyint((h - 4) / 2.0)) + 1 + dx;
    c->Pen()->SetColor(clBlack);
    for (Integer row = 0; row < 3; ++row) {
      c->MoveTo(x + row, y + row);
      c->LineTo(x + 5 - row, y + row);
    }
  };
  c->Brush()->SetStyle(bsSolid);
  if (!Enabled()) {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(Rect(0, 0, w, h));
    c->Brush()->SetColor(clWindow);
    c->FrameRect(Rect(2, 2, w - 2, h - 2));
    arrow(0);
    return;
  }
  c->Brush()->SetColor(clWindow);
  c->FillRect(Rect(3, 3, FEditOffset + 3, h - 3));
  DrawEditArea(c, Rect(3, 3, FEditOffset + 3, h - 3));
  const bool hot = IsHot();
  c->Brush()->SetColor(clBtnFace);
  c->FrameRect(Rect(1, 1, w - 1, h - 1));
  c->Brush()->SetColor(clWindow);
  c->FrameRect(Rect(2, 2, w - FButtonWidth - 2, h - 2));
  TRect all = Rect(0, 0, w, h);
  if (hot) {
    DrawEdge(c, all, BDR_SUNKENOUTER, BF_RECT);
  } else {
    c->Brush()->SetColor(clBtnFace);
    c->FrameRect(all);
  }
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(button);
  TRect b = button;
  if (DroppedDown())
    DrawEdge(c, b, BDR_SUNKENOUTER, BF_RECT);
  else if (hot)
    DrawEdge(c, b, BDR_RAISEDINNER, BF_RECT);
  else {
    c->Brush()->SetColor(clWindow);
    c->FrameRect(b);
  }
  c->Pen()->SetColor(hot ? clBtnFace : clWindow);
  c->MoveTo(w - FButtonWidth - 3, 2);
  c->LineTo(w - FButtonWidth - 3, h - 2);
  arrow(DroppedDown() ? 1 : 0);
}

void TfrxCustomComboBox::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_MOUSEENTER:
    TCustomComboBox::Dispatch(Message);
    if (Enabled() && !Focused() && !DroppedDown() && !FMouseInControl) {
      FMouseInControl = true;
      Invalidate();
    }
    return;
  case CM_MOUSELEAVE:
    TCustomComboBox::Dispatch(Message);
    if (FMouseInControl && Enabled() && !Focused() && !DroppedDown()) {
      FMouseInControl = false;
      Invalidate();
    }
    return;
  case CM_ENABLEDCHANGED:
  case CM_TEXTCHANGED:
    TCustomComboBox::Dispatch(Message);
    Invalidate();
    return;
  case CM_FONTCHANGED:
    TCustomComboBox::Dispatch(Message);
    UpdateItemHeight();
    if (HandleAllocated())
      RecreateWnd();
    return;
  case WM_SIZE:
  case WM_WINDOWPOSCHANGED:
    TCustomComboBox::Dispatch(Message);
    PlaceEdit();
    return;
  case CN_COMMAND:
    TCustomComboBox::Dispatch(Message);
    switch (HIWORD(Message.WParam)) {
    case CBN_SETFOCUS:
    case CBN_KILLFOCUS:
    case CBN_CLOSEUP:
      Invalidate();
      break;
    }
    return;
  }
  TCustomComboBox::Dispatch(Message);
}

// The list is ListWidth wide (or one pixel narrower than the combo) and as high as its
// items; where it would pass the bottom of the screen it opens two pixels above the combo.
void TfrxCustomComboBox::AdjustDropDown(TRect& Bounds)
{
  const Integer width = FListWidth > 0 ? FListWidth : Width() - 1;
  const Integer count = Items()->Count();
  const Integer height = count == 0 || DropDownCount() == 0
                             ? ItemHeight() + 4
                             : ItemHeight() * std::min(count, DropDownCount()) + 4;
  TPoint origin = ClientToScreen({0, 0});
  Integer top = origin.Y + Height();
  const Integer screenHeight = Screen() ? Screen()->Height() : 768;
  if (top + height > screenHeight)
    top = origin.Y - height - 2;
  Bounds = ::Bounds(origin.X, top, width, height);
}

void TfrxCustomComboBox::ListWndProc(TMessage& Message)
{
  // The list keeps its top item while the current item is within the first page.
  if (Message.Msg == LB_SETTOPINDEX && ItemIndex() <= DropDownCount())
    return;
  ListDefaultProc(Message);
  if (Message.Msg == WM_NCPAINT && DropDownList() && DropDownList()->HandleAllocated()) {
    HWND list = DropDownList()->Handle();
    HDC dc = GetWindowDC(list);
    TCanvas* c = CanvasFromDC(dc);
    TRect r;
    GetWindowRect(list, r);
    r = Rect(0, 0, r.Width(), r.Height());
    DrawEdge(c, r, EDGE_RAISED, BF_RECT);
    ReleaseDC(list, dc);
  }
}

// ---- TfrxFontPreview ----

TfrxFontPreview::TfrxFontPreview(TComponent* AOwner) : TWinControl(AOwner)
{
  SetBounds(0, 0, 200, 50);
  SetVisible(false);
  FPanel = new TPanel(this);
  FPanel->SetParent(this);
  FPanel->SetAlign(alClient);
  FPanel->SetColor(clWindow);
  FPanel->SetBevelInner(bvNone);
  FPanel->SetBevelOuter(bvNone);
  FPanel->SetBorderStyle(bsSingle);
  FPanel->Font()->SetColor(clWindowText);
  FPanel->Font()->SetSize(18);
}

void TfrxFontPreview::CreateParams(TCreateParams& Params)
{
  TWinControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

// ---- TfrxFontComboBox ----

TfrxFontComboBox::TfrxFontComboBox(TComponent* AOwner) : TfrxCustomComboBox(AOwner)
{
  SetWidth(150);
  SetEditOffset(16);
  SetReadOnly(true);
  SetDropDownCount(12);
  if (!ComponentState().Contains(csDesigning))
    FPreview = new TfrxFontPreview(this);
  TBitmap* glyph = TrueTypeGlyph();
  if (glyph->Height() >= ItemHeight())
    SetItemHeight(glyph->Height() + 1);
}

TfrxFontComboBox::~TfrxFontComboBox() = default;

AnsiString TfrxFontComboBox::RegKey() const
{
  return FMRURegKey.empty() ? AnsiString(kDefaultMRUKey) : FMRURegKey;
}

void TfrxFontComboBox::CreateWnd()
{
  TfrxCustomComboBox::CreateWnd();
  if (Items()->Count() == 0)
    PopulateList();
}

void TfrxFontComboBox::PopulateList()
{
  FUpdating = true;
  TScopeExit updating([this] { FUpdating = false; });
  TStringList fonts;
  fonts.SetSorted(true);
  fonts.SetDuplicates(dupIgnore);
  for (const TFontFamilyInfo& f : EnumFontFamilies())
    fonts.AddObject(f.Name, reinterpret_cast<TObject*>(static_cast<NativeInt>(f.FontType)));
  const AnsiString current = Text();
  Items()->Assign(&fonts);
  FMRUCount = 0;
  if (FShowMRU) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(RegKey(), true)) {
      for (Integer n = kMRUSlots - 1; n >= 0; --n) {
        const AnsiString name = reg.ReadString("Font" + IntToStr(n));
        if (!name.empty() && fonts.IndexOf(name) >= 0) {
          Integer type = reg.ReadInteger("FontType" + IntToStr(n));
          Items()->InsertObject(0, name, reinterpret_cast<TObject*>(static_cast<NativeInt>(type)));
          ++FMRUCount;
        } else {
          reg.WriteString("Font" + IntToStr(n), "");
          reg.WriteInteger("FontType" + IntToStr(n), 0);
        }
      }
      reg.CloseKey();
    }
  }
  Integer index = Items()->IndexOf(current);
  SetItemIndex(index >= 0 && !current.empty() ? index : (Items()->Count() > 0 ? 0 : -1));
}

void TfrxFontComboBox::SaveMRU()
{
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKey(RegKey(), true))
    return;
  for (Integer n = 0; n < kMRUSlots; ++n) {
    const bool used = n < FMRUCount;
    reg.WriteString("Font" + IntToStr(n), used ? Items()->Strings(n) : AnsiString());
    reg.WriteInteger("FontType" + IntToStr(n),
                     used ? static_cast<Integer>(reinterpret_cast<NativeInt>(Items()->Objects(n)))
                          : 0);
  }
  reg.CloseKey();
}

// The chosen font goes to the top of the recent entries (the oldest of five drops out);
// a recent entry chosen again moves to the top. The first item changes nothing.
void TfrxFontComboBox::ChooseItem(Integer Index)
{
  if (Index <= 0 || Index >= Items()->Count() || !FShowMRU)
    return;
  const AnsiString name = Items()->Strings(Index);
  TObject* type = Items()->Objects(Index);
  const Integer first = Items()->IndexOf(name);
  if (first >= FMRUCount) {
    Items()->InsertObject(0, name, type);
    if (FMRUCount == kMRUSlots)
      Items()->Delete(kMRUSlots);
    else
      ++FMRUCount;
  } else {
    Items()->Delete(first);
    Items()->InsertObject(0, name, type);
  }
  SetItemIndex(0);
  SaveMRU();
}

void TfrxFontComboBox::DrawEditArea(TCanvas* Canvas, const TRect& Rect)
{
  TfrxCustomComboBox::DrawEditArea(Canvas, Rect);
  Integer i = ItemIndex();
  if (i < 0 || !(reinterpret_cast<NativeInt>(Items()->Objects(i)) & TRUETYPE_FONTTYPE))
    return;
  TBitmap* glyph = TrueTypeGlyph();
  Canvas->Draw(Rect.Left + 1, Rect.Top + (Rect.Height() - glyph->Height()) / 2, glyph);
}

void TfrxFontComboBox::DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State)
{
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  TBitmap* glyph = TrueTypeGlyph();
  if (Index < 0 || Index >= Items()->Count())
    return;
  if (reinterpret_cast<NativeInt>(Items()->Objects(Index)) & TRUETYPE_FONTTYPE)
    c->Draw(Rect.Left + 1, Rect.Top + (Rect.Height() - glyph->Height()) / 2, glyph);
  TRect text = Rect;
  text.Left += glyph->Width() + 2;
  c->Brush()->SetStyle(bsClear);
  AnsiString name = Items()->Strings(Index);
  c->DrawText(name, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  c->Brush()->SetStyle(bsSolid);
  if (FMRUCount > 0 && (Index == FMRUCount - 1 || Index == FMRUCount)) {
    c->Pen()->SetColor(clBtnShadow);
    const Integer y = Index == FMRUCount - 1 ? Rect.Bottom - 2 : Rect.Top;
    c->MoveTo(Rect.Left, y);
    c->LineTo(Rect.Right, y);
  }
  if (State.Contains(odSelected) && DroppedDown())
    ShowSample(Index);
}

void TfrxFontComboBox::ShowSample(Integer Index)
{
  if (!FPreview || Index < 0 || Index >= Items()->Count())
    return;
  TPanel* panel = FPreview->Panel();
  panel->Font()->SetName(Items()->Strings(Index));
  panel->SetCaption(Items()->Strings(Index));
}

void TfrxFontComboBox::DropDown()
{
  if (ItemIndex() >= 0 && ItemIndex() < kMRUSlots && DropDownList())
    DropDownList()->SetItemIndex(0);
  if (FPreview) {
    TPoint corner = ClientToScreen({Width(), Height()});
    const Integer screenWidth = Screen() ? Screen()->Width() : 1024;
    Integer x = corner.X;
    Integer y = corner.Y;
    if (x + FPreview->Width() > screenWidth)
      x = ClientToScreen({0, 0}).X - FPreview->Width() - 1;
    TRect list;
    AdjustDropDown(list);
    if (list.Top < ClientToScreen({0, 0}).Y)
      y = ClientToScreen({0, 0}).Y - FPreview->Height();
    FPreview->SetBounds(x, y, FPreview->Width(), FPreview->Height());
    ShowSample(ItemIndex());
    FPreview->HandleNeeded();
    SetWindowPos(FPreview->Handle(), HWND_TOPMOST, x, y, FPreview->Width(), FPreview->Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    FPreview->SetVisible(true);
  }
  TfrxCustomComboBox::DropDown();
}

void TfrxFontComboBox::CloseUp()
{
  if (FPreview)
    FPreview->SetVisible(false);
  TfrxCustomComboBox::CloseUp();
  ChooseItem(ItemIndex());
}

void TfrxFontComboBox::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_FONTCHANGE) {
    if (Screen())
      Screen()->ResetFonts();
    PopulateList();
    return;
  }
  // Clicks are not passed on while the list is refilled or the control loads.
  if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == CBN_SELCHANGE &&
      (FUpdating || ComponentState().Contains(csLoading)))
    return;
  TfrxCustomComboBox::Dispatch(Message);
}

// ---- TfrxComboEdit ----

TfrxComboEdit::TfrxComboEdit(TComponent* AOwner) : TCustomComboBox(AOwner)
{
  SetStyle(csSimple);
  SetHeight(21);
  FPanel = new TPanel(this);
  FPanel->SetParent(this);
  FPanel->SetBevelOuter(bvNone);
  FPanel->SetCaption("");
  FButton = new TSpeedButton(this);
  FButton->SetParent(FPanel);
  FButton->SetAlign(alClient);
  FButton->SetCaption("...");
  FButton->OnClick = TNotifyEvent::Bind(this, &TfrxComboEdit::ButtonClick);
  PlaceButton();
}

void TfrxComboEdit::PlaceButton()
{
  const Integer side = Height() - 4;
  FPanel->SetBounds(Width() - Height() + 2, 2, side, side);
}

void TfrxComboEdit::Resize()
{
  TCustomComboBox::Resize();
  PlaceButton();
}

TBitmap* TfrxComboEdit::Glyph() const
{
  return FButton->Glyph();
}

void TfrxComboEdit::SetGlyph(TBitmap* Value)
{
  FButton->SetGlyph(Value);
  if (Value && !Value->Empty())
    FButton->SetCaption("");
}

bool TfrxComboEdit::ButtonEnabled() const
{
  return FButton->Enabled();
}

void TfrxComboEdit::SetButtonEnabled(bool Value)
{
  FButton->SetEnabled(Value);
}

AnsiString TfrxComboEdit::ButtonHint() const
{
  return FButton->Hint();
}

void TfrxComboEdit::SetButtonHint(const AnsiString& Value)
{
  FButton->SetHint(Value);
  FButton->SetShowHint(!Value.empty());
}

void TfrxComboEdit::ButtonClick(TObject*)
{
  if (CanFocus())
    SetFocus();
  if (OnButtonClick)
    OnButtonClick(this);
}

void TfrxComboEdit::KeyPress(char& Key)
{
  // Enter and Esc belong to the form's default and cancel buttons.
  if (Key == '\r' || Key == 27) {
    if (TCustomForm* form = GetParentForm(this)) {
      Word vk = Key == '\r' ? VK_RETURN : VK_ESCAPE;
      Key = 0;
      form->Perform(CM_DIALOGKEY, vk, 0);
      return;
    }
  }
  TCustomComboBox::KeyPress(Key);
}

void TfrxComboEdit::Dispatch(TMessage& Message)
{
  TCustomComboBox::Dispatch(Message);
}

void RegisterCtrlsClasses()
{
  TClassRegistration<TfrxScrollWin, TCustomControl>("TfrxScrollWin");
  TClassRegistration<TfrxCustomComboBox, TCustomComboBox>("TfrxCustomComboBox");
  TClassRegistration<TfrxComboBox, TfrxCustomComboBox>("TfrxComboBox");
  TClassRegistration<TfrxFontComboBox, TfrxCustomComboBox>("TfrxFontComboBox");
  TClassRegistration<TfrxComboEdit, TCustomComboBox>("TfrxComboEdit");
}
