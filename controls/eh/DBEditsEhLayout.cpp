// The data-aware edit box's surroundings (see DBCtrlsEh.h): the image settings, the button
// controls (built, laid out from the right edge inwards, enabled, pressed and clicked),
// the rectangle the text keeps to, the fixed height, the border of the flat look, the
// text painted by the control itself while unfocused and the mark of an empty required
// field.
#include <algorithm>
#include <cmath>

#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/EhHelpers.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"

// ---- TEditImageEh ----

TEditImageEh::TEditImageEh(TWinControl* EditControl) : FEditControl(EditControl) {}

void TEditImageEh::Changed()
{
  if (OnChanged)
    OnChanged(this);
}

void TEditImageEh::SetImages(TCustomImageList* Value)
{
  if (Value == FImages)
    return;
  FImages = Value;
  if (Value && FEditControl)
    Value->FreeNotification(FEditControl);
  Changed();
}

void TEditImageEh::SetImageIndex(Integer Value)
{
  if (Value == FImageIndex)
    return;
  FImageIndex = Value;
  if (OnIndexChanged)
    OnIndexChanged(this);
}

void TEditImageEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  Changed();
}

void TEditImageEh::SetWidth(Integer Value)
{
  if (Value == FWidth)
    return;
  FWidth = Value;
  Changed();
}

void TEditImageEh::SetUseImageHeight(bool Value)
{
  if (Value == FUseImageHeight)
    return;
  FUseImageHeight = Value;
  Changed();
}

void TEditImageEh::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TEditImageEh*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  SetImages(source->FImages);
  SetImageIndex(source->FImageIndex);
  SetVisible(source->FVisible);
  SetWidth(source->FWidth);
}

// ---- The button strip ----

TEditButtonEh* TCustomDBEditEh::CreateMainEditButton()
{
  auto* button = new TEditButtonEh(static_cast<TWinControl*>(this));
  button->SetStyle(ebsDropDownEh);
  return button;
}

TEditButtonControlEh* TCustomDBEditEh::CreateButtonControl()
{
  return FEditButton->MakeButtonControl();
}

TEditButtonEh* TCustomDBEditEh::ButtonOfEntry(Integer Index) const
{
  return Index == 0 ? FEditButton.get() : FEditButtons->Items(Index - 1);
}

bool TCustomDBEditEh::ButtonsActive()
{
  return Enabled() && FDataLink->IsActive();
}

void TCustomDBEditEh::ButtonsChanged(TCollectionItem*)
{
  if (HandleAllocated() && !ComponentState().Contains(csDestroying))
    UpdateButtons();
}

void TCustomDBEditEh::MainButtonChanged(TEditButtonEh*)
{
  ButtonsChanged(nullptr);
}

void TCustomDBEditEh::BuildButtons()
{
  // Entries that lost a part are made again.
  for (size_t i = 0; i < FButtons.size();) {
    if (FButtons[i].Control && FButtons[i].Separator) {
      ++i;
      continue;
    }
    delete FButtons[i].Control;
    delete FButtons[i].Separator;
    FButtons.erase(FButtons.begin() + static_cast<std::ptrdiff_t>(i));
  }
  // Entries follow the buttons by index: rebuilt past the first lost one.
  size_t wanted = static_cast<size_t>(FEditButtons->Count()) + 1;
  while (FButtons.size() > wanted) {
    delete FButtons.back().Control;
    delete FButtons.back().Separator;
    FButtons.pop_back();
  }
  while (FButtons.size() < wanted) {
    TButtonEntry entry;
    entry.Control = CreateButtonControl();
    entry.Control->SetParent(this);
    entry.Separator = new TShape(this);
    entry.Separator->SetParent(this);
    FButtons.push_back(entry);
  }
  Integer clientHeight = ClientHeight();
  FButtonsHeight = 0;
  bool anyVisible = false;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    TEditButtonEh* button = ButtonOfEntry(static_cast<Integer>(i));
    TEditButtonControlEh* control = FButtons[i].Control;
    control->SetVisible(button->Visible());
    control->SetStyle(button->Style());
    control->Glyph()->Assign(button->Glyph());
    control->SetNumGlyphs(button->NumGlyphs());
    control->SetHint(button->Hint());
    control->SetFlat(FFlat);
    Integer width = 0;
    if (button->Visible()) {
      if (button->Width() > 0)
        width = button->Width();
      else
        width = FFlat ? FlatButtonWidthDefault : GetSystemMetrics(SM_CXVSCROLL);
      Integer height = static_cast<Integer>(Round(width * 1.5L)) >= clientHeight
                           ? clientHeight
                           : EditButtonHeightFor(width, FFlat);
      FButtonsHeight = anyVisible ? std::min(FButtonsHeight, height) : height;
      anyVisible = true;
    }
    control->SetWidth(width);
    TShape* separator = FButtons[i].Separator;
    separator->SetVisible(FFlat && button->Visible());
    separator->SetWidth(FFlat && button->Visible() ? 1 : 0);
    control->OnDown = TButtonDownEventEh::Bind(this, &TCustomDBEditEh::ButtonPressed);
    control->OnClick = TNotifyEvent::Bind(this, &TCustomDBEditEh::ButtonClickEvent);
    control->OnMouseMove = TMouseMoveEvent::Bind(this, &TCustomDBEditEh::ButtonMouseMoveEvent);
    control->OnMouseUp = TMouseEvent::Bind(this, &TCustomDBEditEh::ButtonMouseUpEvent);
    control->SetTag(static_cast<Integer>(i));
  }
}

// From the last entry to the main button, from the client area's right edge inwards: the
// main button ends up next to the text, the last collection button at the outer edge.
void TCustomDBEditEh::LayoutButtons()
{
  Integer right = ClientWidth();
  for (size_t i = FButtons.size(); i-- > 0;) {
    TEditButtonControlEh* control = FButtons[i].Control;
    TShape* separator = FButtons[i].Separator;
    right -= control->Width();
    control->SetBounds(right, 0, control->Width(), FButtonsHeight);
    right -= separator->Width();
    separator->SetBounds(right, 0, separator->Width(), FButtonsHeight);
  }
  FButtonsWidth = ClientWidth() - right;
}

void TCustomDBEditEh::UpdateButtonStates()
{
  bool active = ButtonsActive();
  for (const TButtonEntry& entry : FButtons) {
    if (!entry.Control || !entry.Separator)
      continue;
    entry.Control->SetEnabled(active);
    entry.Control->SetActive(FBorderShown);
    entry.Separator->Pen()->SetColor(FBorderShown ? clBtnFace : Color());
  }
}

void TCustomDBEditEh::UpdateButtons()
{
  if (FBuildingButtons || !HandleAllocated() || ComponentState().Contains(csDestroying))
    return;
  FBuildingButtons = true;
  TScopeExit done([this] { FBuildingButtons = false; });
  BuildButtons();
  LayoutButtons();
  UpdateButtonStates();
  UpdateEditRect();
  Invalidate();
}

TRect TCustomDBEditEh::ComputeEditRect()
{
  TRect r = ClientRect();
  r.Right -= FButtonsWidth;
  r.Left += FImageWidth;
  if (r.Right < r.Left)
    r.Right = r.Left;
  return r;
}

// The native text keeps the edit's usual one-pixel inset inside the rectangle.
void TCustomDBEditEh::UpdateEditRect()
{
  if (!HandleAllocated())
    return;
  TRect r = ComputeEditRect();
  TRect native(r.Left + 1, r.Top + 1, std::max(r.Right - 1, r.Left + 2),
               std::max(r.Bottom - 1, r.Top + 2));
  SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&native));
  SendMessage(Handle(), EM_SCROLLCARET, 0, 0);
}

TRect TCustomDBEditEh::ButtonsRect() const
{
  TRect c = ClientRect();
  return TRect(c.Right - FButtonsWidth, c.Top, c.Right, c.Bottom);
}

TRect TCustomDBEditEh::ImageRect() const
{
  TRect c = ClientRect();
  return TRect(c.Left, c.Top, c.Left + FImageWidth, c.Bottom);
}

Integer TCustomDBEditEh::ButtonOfShortCut(Word Key, TShiftState Shift) const
{
  TShortCut shortCut = ::ShortCut(Key, Shift);
  if (shortCut == 0)
    return -1;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    TEditButtonEh* button = ButtonOfEntry(static_cast<Integer>(i));
    if (button->Visible() && button->ShortCut() == shortCut)
      return static_cast<Integer>(i);
  }
  return -1;
}

// ---- Pressing and clicking ----

void TCustomDBEditEh::ButtonPressed(TObject* Sender, bool TopButton, bool& AutoRepeat,
                                    bool& Handled)
{
  auto* control = static_cast<TEditButtonControlEh*>(Sender);
  TDestroyWatch watch(this);
  if (CanFocus() && !Focused())
    SetFocus();
  if (watch.Destroyed())
    return;
  Handled = false;
  if (TakeMenuClosedNotice(this, CM_DROPDOWNMENUCLOSEDEH, control->Tag()))
    return;
  Integer index = control->Tag();
  TEditButtonEh* button = ButtonOfEntry(index);
  if (index == 0) {
    if (OnButtonDown)
      OnButtonDown(control, TopButton, AutoRepeat, Handled);
  } else if (button->OnDown) {
    button->OnDown(control, TopButton, AutoRepeat, Handled);
  }
  if (Handled || watch.Destroyed())
    return;
  if (TPopupMenu* menu = button->DropdownMenu()) {
    PopupButtonMenu(this, control, menu, CM_DROPDOWNMENUCLOSEDEH);
  } else if (index == 0) {
    ButtonDropDown(!TopButton);
  }
}

void TCustomDBEditEh::ButtonDropDown(bool)
{
  if (FEditButton->Style() == ebsUpDownEh || FDroppedDown)
    return;
  OpenDropDown();
  FDroppedByThisClick = true;
}

void TCustomDBEditEh::OpenDropDown()
{
  if (!FButtons.empty() && FButtons[0].Control)
    FButtons[0].Control->SetHeldDown(true);
  if (FMruOpen)
    FMRUList->NotifyCloseUp(false);
}

void TCustomDBEditEh::CloseDropDown(bool)
{
  if (!FButtons.empty() && FButtons[0].Control)
    FButtons[0].Control->SetHeldDown(false);
}

void TCustomDBEditEh::ButtonClickEvent(TObject* Sender)
{
  ButtonClicked(Sender);
}

void TCustomDBEditEh::ButtonClicked(TObject* Sender)
{
  auto* control = static_cast<TEditButtonControlEh*>(Sender);
  Integer index = control->Tag();
  bool handled = false;
  TDestroyWatch watch(this);
  if (index == 0 && OnButtonClick)
    OnButtonClick(control, handled);
  else if (index > 0 && ButtonOfEntry(index)->OnClick)
    ButtonOfEntry(index)->OnClick(control, handled);
  if (watch.Destroyed())
    return;
  if (!handled && FDroppedDown && !FDroppedByThisClick && index == 0)
    CloseDropDown(false);
  FDroppedByThisClick = false;
}

void TCustomDBEditEh::ButtonMouseMoveEvent(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
  ButtonMouseMoved(Sender, Shift, X, Y);
}

void TCustomDBEditEh::ButtonMouseUpEvent(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                         Integer X, Integer Y)
{
  ButtonReleased(Sender, Button, Shift, X, Y);
}

void TCustomDBEditEh::ButtonReleased(TObject* Sender, TMouseButton, TShiftState, Integer X,
                                     Integer Y)
{
  auto* control = static_cast<TControl*>(Sender);
  if (!PtInRect(control->ClientRect(), TPoint(X, Y)))
    FDroppedByThisClick = false;
}

// ---- Window, layout and height ----

void TCustomDBEditEh::CreateParams(TCreateParams& Params)
{
  TCustomMaskEdit::CreateParams(Params);
  Params.Style &= ~static_cast<DWORD>(ES_LEFT | ES_RIGHT | ES_CENTER);
  if (FWordWrapEh) {
    static const DWORD alignments[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    Params.Style |= alignments[Alignment()];
    Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  }
}

void TCustomDBEditEh::CreateWnd()
{
  TCustomMaskEdit::CreateWnd();
  FImageWidth = 0;
  if (FEditImage->Visible() && FEditImage->Images())
    FImageWidth =
        (FEditImage->Width() > 0 ? FEditImage->Width() : FEditImage->Images()->Width()) + 4;
  ApplyFixedHeight();
  UpdateButtons();
  UpdateEditRect();
  RefreshImageIndex();
  UpdateBorderShown();
}

void TCustomDBEditEh::Loaded()
{
  TCustomMaskEdit::Loaded();
  if (ComponentState().Contains(csDesigning))
    LinkDataChanged(nullptr);
  UpdateBorderShown();
}

void TCustomDBEditEh::Resize()
{
  TCustomMaskEdit::Resize();
  UpdateButtons();
}

void TCustomDBEditEh::SetAutoSize(bool Value)
{
  TCustomMaskEdit::SetAutoSize(Value);
  ApplyFixedHeight();
}

void TCustomDBEditEh::ApplyFixedHeight()
{
  bool fixed = AutoSize() && BorderStyle() == bsSingle;
  FFixedHeight = fixed;
  if (fixed && !ComponentState().Contains(csLoading))
    SetHeight(FitHeightToFont());
}

void TCustomDBEditEh::AdjustSize()
{
  // The height follows the font, not the children (the buttons).
  if (FFixedHeight && !ComponentState().Contains(csLoading))
    SetHeight(FitHeightToFont());
}

void TCustomDBEditEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  if (FFixedHeight && !ComponentState().Contains(csLoading))
    AHeight = FitHeightToFont();
  TCustomMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
}

Integer TCustomDBEditEh::FitHeightToFont()
{
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(Font());
  Integer textHeight = probe.Canvas()->GetTextMetrics().tmHeight;
  if (FEditImage->UseImageHeight() && FEditImage->Images() &&
      FEditImage->Images()->Height() > textHeight)
    textHeight = FEditImage->Images()->Height();
  Integer extra = GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  if (FFlat)
    extra -= 2;
  return textHeight + extra;
}

void TCustomDBEditEh::EditImageChanged(TObject*)
{
  if (HandleAllocated())
    Perform(CM_EDITIMAGECHANGEDEH, 0, 0);
}

void TCustomDBEditEh::EditImageIndexChanged(TObject*)
{
  Invalidate();
}

void TCustomDBEditEh::RefreshImageIndex()
{
  if (!FEditImage->Visible() || !FEditImage->Images())
    return;
  Integer index = DefImageIndex();
  Variant v = Value();
  switch (VarType(v)) {
  case varSmallint:
  case varInteger:
  case varSingle:
  case varDouble:
  case varCurrency:
    try {
      index = static_cast<Integer>(Round(v.AsDouble()));
    } catch (const Exception&) {
    }
    break;
  default:
    break;
  }
  if (OnGetImageIndex)
    OnGetImageIndex(this, index);
  FEditImage->SetImageIndex(index);
}

// ---- Flat border ----

void TCustomDBEditEh::UpdateBorderShown()
{
  if (ComponentState().Contains(csLoading))
    return;
  bool shown =
      ComponentState().Contains(csDesigning) || FFocused || FMouseOver || FAlwaysShowBorder;
  if (shown == FBorderShown)
    return;
  FBorderShown = shown;
  if (FFlat && HandleAllocated())
    SendMessage(Handle(), WM_NCPAINT, 1, 0);
  UpdateButtonStates();
}

void TCustomDBEditEh::PaintFlatBorder()
{
  HDC dc = GetWindowDC(Handle());
  if (TCanvas* c = CanvasFromDC(dc)) {
    TRect window;
    GetWindowRect(Handle(), window);
    TRect r(0, 0, window.Width(), window.Height());
    if (FBorderShown) {
      DrawEdge(c, r, BDR_SUNKENOUTER, BF_RECT);
    } else {
      c->Brush()->SetColor(clBtnFace);
      c->FrameRect(r);
    }
    InflateRect(r, -1, -1);
    c->Brush()->SetColor(clBtnFace);
    c->FrameRect(r);
  }
  ReleaseDC(Handle(), dc);
}

void TCustomDBEditEh::SetFlat(bool Value)
{
  if (Value == FFlat)
    return;
  FFlat = Value;
  if (HandleAllocated()) {
    ApplyFixedHeight();
    UpdateButtons();
    SendMessage(Handle(), WM_NCPAINT, 1, 0);
  }
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool Value)
{
  if (Value == FAlwaysShowBorder)
    return;
  FAlwaysShowBorder = Value;
  UpdateBorderShown();
}

void TCustomDBEditEh::SetHighlightRequired(bool Value)
{
  if (Value == FHighlightRequired)
    return;
  FHighlightRequired = Value;
  Invalidate();
}

void TCustomDBEditEh::SetWordWrap(bool Value)
{
  if (Value == FWordWrapEh)
    return;
  FWordWrapEh = Value;
  FMultiLine = Value;
  FWordWrap = Value;
  FWantReturns = false;
  TCustomMaskEdit::SetAlignment(Value ? Alignment() : taLeftJustify);
  if (HandleAllocated())
    RecreateWnd();
}

TAlignment TCustomDBEditEh::Alignment() const
{
  return FAlignmentSet ? FAlignmentEh : const_cast<TCustomDBEditEh*>(this)->DefAlignment();
}

void TCustomDBEditEh::SetAlignment(TAlignment Value)
{
  FAlignmentEh = Value;
  FAlignmentSet = true;
  if (FWordWrapEh)
    TCustomMaskEdit::SetAlignment(Value); // re-creates the window
  else
    Invalidate();
}

TAlignment TCustomDBEditEh::DefAlignment()
{
  return Field() ? Field()->Alignment() : taLeftJustify;
}

AnsiString TCustomDBEditEh::DefEditMask()
{
  return Field() ? Field()->EditMask() : AnsiString();
}

// ---- Mouse over the strip and the image ----

bool TCustomDBEditEh::MouseOverBorderArea(TMessage& Message)
{
  TPoint p = TPoint(static_cast<short>(LOWORD(Message.LParam)),
                    static_cast<short>(HIWORD(Message.LParam)));
  return PtInRect(ButtonsRect(), p) || PtInRect(ImageRect(), p);
}

void TCustomDBEditEh::WndProc(TMessage& Message)
{
  if (FHolderIntf && HolderWndProc(Message))
    return;
  switch (Message.Msg) {
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_LBUTTONUP:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONDBLCLK:
  case WM_RBUTTONUP:
  case WM_MBUTTONDOWN:
  case WM_MBUTTONDBLCLK:
  case WM_MBUTTONUP:
    // Presses over the buttons go to the buttons, over the image nowhere: the text's own
    // handling never sees them unless the edit holds the mouse.
    if (HandleAllocated() && GetCapture() != Handle() && MouseOverBorderArea(Message)) {
      TPoint p(static_cast<short>(LOWORD(Message.LParam)),
               static_cast<short>(HIWORD(Message.LParam)));
      TControl* child = ControlAtPos(p, false);
      if (child && dynamic_cast<TEditButtonControlEh*>(child))
        TCustomMaskEdit::WndProc(Message);
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN) {
      TDestroyWatch watch(this);
      bool focused = Focused();
      TCustomMaskEdit::WndProc(Message);
      if (!watch.Destroyed() && !focused && !Focused() && HandleAllocated() &&
          GetCapture() == Handle())
        ReleaseCapture();
      return;
    }
    break;
  case WM_SETCURSOR:
    if (HandleAllocated()) {
      TPoint p = ScreenToClient(Mouse()->CursorPos());
      if (PtInRect(ButtonsRect(), p) || PtInRect(ImageRect(), p)) {
        ::SetCursor(Screen()->Cursors(crArrow));
        Message.Result = 1;
        return;
      }
    }
    break;
  }
  TCustomMaskEdit::WndProc(Message);
}

void TCustomDBEditEh::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case CM_EDITIMAGECHANGEDEH:
    RecreateWnd();
    return;
  case CM_GETDATALINK:
    Message.Result = reinterpret_cast<LRESULT>(static_cast<TDataLink*>(DataLink()));
    return;
  case WM_NCPAINT:
    if (FFlat && Ctl3D() && BorderStyle() == bsSingle && HandleAllocated()) {
      PaintFlatBorder();
      return;
    }
    break;
  case CM_MOUSEENTER:
    TCustomMaskEdit::Dispatch(Message);
    FMouseOver = true;
    UpdateBorderShown();
    return;
  case CM_MOUSELEAVE:
    TCustomMaskEdit::Dispatch(Message);
    FMouseOver = false;
    UpdateBorderShown();
    return;
  case CM_ENABLEDCHANGED:
  case CM_COLORCHANGED:
    TCustomMaskEdit::Dispatch(Message);
    UpdateButtonStates();
    return;
  case CM_FONTCHANGED:
    TCustomMaskEdit::Dispatch(Message);
    if (FFixedHeight && !ComponentState().Contains(csLoading))
      SetHeight(FitHeightToFont());
    UpdateButtons();
    return;
  case WM_KILLFOCUS:
    if (FMruOpen && !ComponentState().Contains(csDestroying))
      FMRUList->NotifyCloseUp(false);
    break;
  case WM_GETDLGCODE:
    TCustomMaskEdit::Dispatch(Message);
    Message.Result |= DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
    if (FHolder && FHolder->HandleAllocated() &&
        (SendMessage(FHolder->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB))
      Message.Result |= DLGC_WANTTAB;
    return;
  case CM_WANTSPECIALKEY:
    if (Message.WParam == VK_ESCAPE && Modified()) {
      Message.Result = 1;
      return;
    }
    if (FMruOpen && FMruListBox && FMruListBox->ItemIndex() >= 0 &&
        (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
      Message.Result = 1;
      return;
    }
    break;
  case WM_CANCELMODE:
  case CM_CANCELMODE:
    if (Message.Msg == CM_CANCELMODE && FMruOpen &&
        !IsOwnPart(reinterpret_cast<TControl*>(Message.LParam)))
      FMRUList->NotifyCloseUp(false);
    TCustomMaskEdit::Dispatch(Message);
    // A button holding the mouse lets it go.
    for (const TButtonEntry& entry : FButtons)
      if (entry.Control && entry.Control->MouseCapture())
        entry.Control->Perform(CM_CANCELMODE, 0, 0);
    return;
  }
  TCustomMaskEdit::Dispatch(Message);
}

// ---- Painting ----

bool TCustomDBEditEh::ShowsNativeText() const
{
  return Alignment() == taLeftJustify || FFocused || FWordWrapEh;
}

void TCustomDBEditEh::PaintWindow(HDC DC)
{
  if (!FPaintCanvas)
    FPaintCanvas = std::make_unique<TCanvas>();
  if (ShowsNativeText()) {
    TCustomMaskEdit::PaintWindow(DC);
    BindCanvasToDC(*FPaintCanvas, DC);
  } else {
    BindCanvasToDC(*FPaintCanvas, DC);
    PaintSelf(FPaintCanvas.get());
  }
  PaintImage(FPaintCanvas.get());
  PaintRequiredMark(FPaintCanvas.get());
  BindCanvasToDC(*FPaintCanvas, 0);
}

AnsiString TCustomDBEditEh::PaintText()
{
  if (ComponentState().Contains(csDesigning) && !FDataLink->IsActive())
    return Name();
  return EditText();
}

void TCustomDBEditEh::PaintSelf(TCanvas* Canvas)
{
  Canvas->SetFont(Font());
  TRect client = ClientRect();
  TRect r(FImageWidth, 0, client.Right - FButtonsWidth - 1, client.Bottom);
  bool plainFrame = BorderStyle() == bsSingle && !Ctl3D();
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color());
  Canvas->FillRect(client);
  if (plainFrame) {
    Canvas->Brush()->SetColor(clWindowFrame);
    Canvas->FrameRect(client);
    InflateRect(r, -1, -1);
    Canvas->Brush()->SetColor(Color());
  }
  if (!Enabled())
    Canvas->Font()->SetColor(clGrayText);
  AnsiString text = PaintText();
  if (PasswordChar() != 0)
    text = AnsiString(text.size(), PasswordChar());
  Integer border = BorderStyle() == bsNone ? 0 : (Ctl3D() ? 1 : 2);
  Integer leftMargin =
      border + static_cast<Integer>(LOWORD(SendMessage(Handle(), EM_GETMARGINS, 0, 0)));
  Integer topMargin = border;
  Integer textWidth = Canvas->TextWidth(text);
  Integer left = leftMargin;
  switch (Alignment()) {
  case taRightJustify:
    left = r.Right - textWidth - leftMargin;
    break;
  case taCenter:
    left = (r.Right - textWidth) / 2;
    break;
  default:
    break;
  }
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextRect(r, left, topMargin, text);
}

void TCustomDBEditEh::PaintImage(TCanvas* Canvas)
{
  if (FImageWidth <= 0 || !FEditImage->Images() || FEditImage->ImageIndex() < 0)
    return;
  TRect r = ImageRect();
  r = TRect(r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom - 1);
  DrawImageInRect(Canvas, r, FEditImage->Images(), false, FEditImage->ImageIndex());
}

// A red dotted line on the last row of the client area under the text, while a record is
// inserted and the required field is still empty.
void TCustomDBEditEh::PaintRequiredMark(TCanvas* Canvas)
{
  bool draw = FHighlightRequired && FDataLink->Active() && Field() && DataSource() &&
              DataSource()->DataSet() && DataSource()->DataSet()->State() == dsInsert &&
              Field()->Required() && Field()->IsNull();
  if (OnCheckDrawRequiredState)
    OnCheckDrawRequiredState(this, draw);
  if (!draw)
    return;
  TRect edit = ComputeEditRect();
  Integer y = ClientHeight() - 1;
  Integer start = edit.Left + 2, length = edit.Right - 3 - start;
  if (length <= 0)
    return;
  Canvas->Pen()->SetColor(clRed);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  DrawDottedLine(Canvas, TPoint(start, y), length, (start + y) & 1, true);
}
