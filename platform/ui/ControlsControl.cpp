// TControl, the base of every control: bounds, alignment and anchors, visibility, colour and
// font inheritance, mouse handling and capture, the message dispatch; and the unit's free
// helpers (capture and mouse control, utility windows, the mouse object). Controls.h
// describes the unit; ControlsWinControl.cpp holds the windowed control.
#include <algorithm>
#include <map>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ControlsPrivate.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

// ---- Registration ------------------------------------------------------------------------------

// The unit's types and the control classes, base first.
void RegisterControlsClasses()
{
  RegisterControlClass();
  RegisterWinControlClass();
  RegisterGraphicControlClass();
  RegisterCustomControlClasses();
}

void RegisterControlClass()
{
  RegisterEnumType<TAlign>(
      "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  RegisterEnumType<TAnchorKind>("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  RegisterSetType<TAnchors>("TAnchors");
  RegisterEnumType<TMouseButton>("TMouseButton", {"mbLeft", "mbRight", "mbMiddle"});
  RegisterEventType<TMouseEvent>("TMouseEvent");
  RegisterEventType<TMouseMoveEvent>("TMouseMoveEvent");
  RegisterEventType<TMouseWheelEvent>("TMouseWheelEvent");
  RegisterEventType<TContextPopupEvent>("TContextPopupEvent");
  RegisterEventType<TCanResizeEvent>("TCanResizeEvent");
  RegisterEventType<TKeyPressEvent>("TKeyPressEvent");
  RegisterEnumType<TDragMode>("TDragMode", {"dmManual", "dmAutomatic"});
  RegisterEnumType<TDragState>("TDragState", {"dsDragEnter", "dsDragLeave", "dsDragMove"});
  RegisterEventType<TStartDragEvent>("TStartDragEvent");
  RegisterEventType<TDragOverEvent>("TDragOverEvent");
  RegisterEventType<TDragDropEvent>("TDragDropEvent");
  RegisterEventType<TEndDragEvent>("TEndDragEvent");
  RegisterEnumType<TBiDiMode>("TBiDiMode", {"bdLeftToRight", "bdRightToLeft",
                                            "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"});
  RegisterEnumType<TDragKind>("TDragKind", {"dkDrag", "dkDock"});
  RegisterEnumType<TImeMode>("TImeMode", {"imDisable", "imClose", "imOpen", "imDontCare",
                                          "imSAlpha", "imAlpha", "imHira", "imSKata", "imKata",
                                          "imChinese", "imSHanguel", "imHanguel"});

  // Published properties in the platform's order (descendants publish the rest).
  TClassRegistration<TControl, TComponent>("TControl")
      .Abstract()
      .Property("Left", &TControl::Left, &TControl::SetLeft)
      .Property("Top", &TControl::Top, &TControl::SetTop)
      .Property("Width", &TControl::Width, &TControl::SetWidth)
      .Property("Height", &TControl::Height, &TControl::SetHeight)
      .Property("Align", &TControl::Align, &TControl::SetAlign)
      .Default(alNone)
      .Property("Anchors", &TControl::Anchors, &TControl::SetAnchors)
      .Property("Caption", &TControl::Caption, &TControl::SetCaption)
      .Property("Color", &TControl::Color, &TControl::SetColor)
      .Type(TColorTypeInfo())
      .Stored([](TControl* c) { return !c->ParentColor(); })
      .Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
      .Type(TCursorTypeInfo())
      .Default(0)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
      .Default(true)
      .Property("Font", &TControl::Font, &TControl::SetFont)
      .Stored([](TControl* c) { return !c->ParentFont(); })
      .Property("Hint", &TControl::Hint, &TControl::SetHint)
      .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Default(true)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Default(true)
      .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint)
      .Default(true)
      .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Stored([](TControl* c) { return !c->ParentShowHint(); })
      .Property("Visible", &TControl::Visible, &TControl::SetVisible)
      .Default(true)
      .Property("OnClick", &TControl::OnClick, &TControl::OnClick)
      .Property("OnDblClick", &TControl::OnDblClick, &TControl::OnDblClick)
      .Property("OnMouseDown", &TControl::OnMouseDown, &TControl::OnMouseDown)
      .Property("OnMouseMove", &TControl::OnMouseMove, &TControl::OnMouseMove)
      .Property("OnMouseUp", &TControl::OnMouseUp, &TControl::OnMouseUp)
      .Property("OnMouseEnter", &TControl::OnMouseEnter, &TControl::OnMouseEnter)
      .Property("OnMouseLeave", &TControl::OnMouseLeave, &TControl::OnMouseLeave)
      .Property("OnMouseWheel", &TControl::OnMouseWheel, &TControl::OnMouseWheel)
      .Property("OnResize", &TControl::OnResize, &TControl::OnResize)
      .Property("OnContextPopup", &TControl::OnContextPopup, &TControl::OnContextPopup)
      .Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor)
      .Type(TCursorTypeInfo())
      .Default(-12)
      .Property("DragMode", &TControl::DragMode, &TControl::SetDragMode)
      .Default(dmManual)
      .Property("OnStartDrag", &TControl::OnStartDrag, &TControl::OnStartDrag)
      .Property("OnDragOver", &TControl::OnDragOver, &TControl::OnDragOver)
      .Property("OnDragDrop", &TControl::OnDragDrop, &TControl::OnDragDrop)
      .Property("OnEndDrag", &TControl::OnEndDrag, &TControl::OnEndDrag)
      .Property("BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode)
      .Stored([](TControl* c) { return !c->ParentBiDiMode(); })
      .Property("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode)
      .Default(true)
      .Property("DragKind", &TControl::DragKind, &TControl::SetDragKind)
      .Default(dkDrag);
}

namespace {

std::map<HWND, TWndMethod>& UtilWindows()
{
  static std::map<HWND, TWndMethod> windows;
  return windows;
}

// A window that goes away (a reset of the window manager, say) takes its method along.
LRESULT UtilWindowProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  auto it = UtilWindows().find(h);
  if (it == UtilWindows().end())
    return DefWindowProc(h, m, w, l);
  TWndMethod method = it->second;
  if (m == WM_NCDESTROY)
    UtilWindows().erase(it);
  TMessage msg{m, w, l, 0};
  method(msg);
  return msg.Result;
}

} // namespace

TControlsState& ControlsState()
{
  static TControlsState state;
  return state;
}

void ResetControlsState()
{
  ControlsState() = TControlsState();
}

TShiftState KeyDataToShiftState(LPARAM KeyData)
{
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0)
    s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0)
    s.Include(ssCtrl);
  if (KeyData & (1 << 29))
    s.Include(ssAlt);
  return s;
}

TShiftState KeysToShiftState(Word Keys)
{
  TShiftState s;
  if (Keys & MK_SHIFT)
    s.Include(ssShift);
  if (Keys & MK_CONTROL)
    s.Include(ssCtrl);
  if (Keys & MK_LBUTTON)
    s.Include(ssLeft);
  if (Keys & MK_RBUTTON)
    s.Include(ssRight);
  if (Keys & MK_MBUTTON)
    s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0)
    s.Include(ssAlt);
  return s;
}

// ---- TControl ----------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner)
{
  FFont = std::make_unique<TFont>();
  FFont->OnChange = TNotifyEvent::Bind(this, &TControl::FontChanged);
  WindowProc = TWndMethod::Bind(this, &TControl::WndProc);
}

TControl::~TControl()
{
  if (ControlsState().CaptureControl == this)
    ControlsState().CaptureControl = nullptr;
  if (ControlsState().DragControl == this)
    CancelDrag();
  if (ControlsState().MouseControl == this)
    ControlsState().MouseControl = nullptr;
  if (FParent)
    FParent->RemoveControl(this);
}

void TControl::BeforeDestruction()
{
  TComponent::BeforeDestruction();
  if (MouseCapture())
    SetMouseCapture(false);
}

void TControl::SetParent(TWinControl* AParent)
{
  if (AParent == FParent)
    return;
  if (AParent == this)
    throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent)
    FParent->RemoveControl(this);
  if (AParent)
    AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const
{
  return FParent;
}

void TControl::ConstrainSize(Integer& W, Integer& H) const
{
  if (FConstraints.MinWidth > 0)
    W = std::max(W, FConstraints.MinWidth);
  if (FConstraints.MaxWidth > 0)
    W = std::min(W, FConstraints.MaxWidth);
  if (FConstraints.MinHeight > 0)
    H = std::max(H, FConstraints.MinHeight);
  if (FConstraints.MaxHeight > 0)
    H = std::min(H, FConstraints.MaxHeight);
}

bool TControl::CanResize(Integer& NewWidth, Integer& NewHeight)
{
  bool resize = true;
  if (OnCanResize)
    OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  ConstrainSize(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  if ((AWidth != FWidth || AHeight != FHeight) && !CanResize(AWidth, AHeight))
    return;
  bool sized = AWidth != FWidth || AHeight != FHeight;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  UpdateAnchorRules();
  if (FParent && (FAlign != alNone || FParent->AutoSize()))
    FParent->Realign();
  if (sized)
    Resize();
}

void TControl::UpdateAnchorRules()
{
  if (FAnchoring)
    return;
  FAnchorBounds = BoundsRect();
  if (FParent)
    FAnchorClient = {FParent->ClientWidth(), FParent->ClientHeight()};
}

TRect TControl::ClientRect() const
{
  return Rect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(Integer Value)
{
  SetWidth(FWidth - ClientWidth() + Value);
}
void TControl::SetClientHeight(Integer Value)
{
  SetHeight(FHeight - ClientHeight() + Value);
}

TPoint TControl::ClientOrigin() const
{
  if (!FParent)
    return {FLeft, FTop};
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint Point) const
{
  TPoint o = ClientOrigin();
  return {Point.X + o.X, Point.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint Point) const
{
  TPoint o = ClientOrigin();
  return {Point.X - o.X, Point.Y - o.Y};
}

void TControl::SetAlign(TAlign Value)
{
  if (Value == FAlign)
    return;
  FAlign = Value;
  if (FParent)
    FParent->Realign();
}

void TControl::SetAnchors(TAnchors Value)
{
  if (Value == FAnchors)
    return;
  FAnchors = Value;
  UpdateAnchorRules();
}

void TControl::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  Invalidate();
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  if (FParent && (FAlign != alNone || FParent->AutoSize()))
    FParent->Realign();
}

void TControl::Show()
{
  SetVisible(true);
}
void TControl::Hide()
{
  SetVisible(false);
}

bool TControl::Showing() const
{
  return FVisible && FParent && FParent->Showing();
}

void TControl::SetEnabled(bool Value)
{
  if (Value == FEnabled)
    return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& Value)
{
  if (Value == GetText())
    return;
  SetTextInternal(Value);
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::Loaded()
{
  TComponent::Loaded();
  if (FAutoSize)
    AdjustSize();
}

void TControl::SetAutoSize(bool Value)
{
  if (Value == FAutoSize)
    return;
  FAutoSize = Value;
  if (Value)
    AdjustSize();
}

void TControl::SetCtl3D(bool Value)
{
  FParentCtl3D = false;
  if (Value == FCtl3D)
    return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value)
{
  FParentBiDiMode = false;
  if (Value == FBiDiMode)
    return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetColor(TColor Value)
{
  if (Value == FColor && !FParentColor)
    return;
  FParentColor = false;
  if (Value == FColor)
    return;
  FColor = Value;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value)
{
  if (Value == FParentColor)
    return;
  FParentColor = Value;
  if (Value)
    ParentColorChanged();
}

void TControl::ParentColorChanged()
{
  if (!FParentColor || !FParent)
    return;
  if (FParent->Color() != FColor) {
    FColor = FParent->Color();
    Perform(CM_COLORCHANGED, 0, 0);
  }
}

void TControl::SetParentFont(bool Value)
{
  if (Value == FParentFont)
    return;
  FParentFont = Value;
  if (Value)
    ParentFontChanged();
}

void TControl::ParentFontChanged()
{
  if (!FParentFont || !FParent)
    return;
  FFont->Assign(FParent->Font()); // FontChanged keeps ParentFont while this runs
}

void TControl::FontChanged(TObject*)
{
  // A change that did not come from the parent breaks the link to its font.
  if (FParent && FParentFont) {
    TFont* p = FParent->Font();
    if (p->Name() != FFont->Name() || p->Height() != FFont->Height() ||
        p->Style() != FFont->Style() || p->Color() != FFont->Color() ||
        p->Charset() != FFont->Charset())
      FParentFont = false;
  }
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value)
{
  FParentShowHint = false;
  FShowHint = Value;
}

void TControl::SetParentShowHint(bool Value)
{
  FParentShowHint = Value;
  if (Value && FParent)
    FShowHint = FParent->ShowHint();
}

void TControl::SetCursor(TCursor Value)
{
  if (Value == FCursor)
    return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

bool TControl::MouseCapture() const
{
  return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value)
{
  if (MouseCapture() == Value)
    return;
  SetCaptureControl(Value ? this : nullptr);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
  TMessage m{Msg, WParam, LParam, 0};
  WindowProc(m);
  return m.Result;
}

// Framework duties come first, then the handler: capture while a button is down, the
// click bookkeeping, double clicks only for controls that take them.
void TControl::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_LBUTTONDBLCLK:
    if (!FControlStyle.Contains(csDoubleClicks))
      Message.Msg = WM_LBUTTONDOWN;
    [[fallthrough]];
  case WM_LBUTTONDOWN:
    if (FControlStyle.Contains(csCaptureMouse))
      SetMouseCapture(true);
    if (FControlStyle.Contains(csClickEvents))
      FControlState.Include(csClicked);
    break;
  case WM_LBUTTONUP:
    if (FControlStyle.Contains(csCaptureMouse))
      SetMouseCapture(false);
    break;
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_LBUTTONDOWN:
    WMLButtonDown(Message);
    break;
  case WM_LBUTTONUP:
    WMLButtonUp(Message);
    break;
  case WM_LBUTTONDBLCLK:
    WMLButtonDblClk(Message);
    break;
  case WM_RBUTTONDOWN:
    WMRButtonDown(Message);
    break;
  case WM_RBUTTONUP:
    WMRButtonUp(Message);
    break;
  case WM_RBUTTONDBLCLK:
    WMRButtonDblClk(Message);
    break;
  case WM_MBUTTONDOWN:
    WMMButtonDown(Message);
    break;
  case WM_MBUTTONUP:
    WMMButtonUp(Message);
    break;
  case WM_MOUSEMOVE:
    WMMouseMove(Message);
    break;
  case WM_MOUSEWHEEL:
    WMMouseWheel(Message);
    break;
  case WM_CONTEXTMENU:
    WMContextMenu(Message);
    break;
  case WM_CANCELMODE:
    WMCancelMode(Message);
    break;
  case CM_MOUSEENTER:
    CMMouseEnter(Message);
    break;
  case CM_MOUSELEAVE:
    CMMouseLeave(Message);
    break;
  case CM_ENABLEDCHANGED:
    CMEnabledChanged(Message);
    break;
  case CM_VISIBLECHANGED:
    CMVisibleChanged(Message);
    break;
  case CM_TEXTCHANGED:
    CMTextChanged(Message);
    break;
  case CM_COLORCHANGED:
    CMColorChanged(Message);
    break;
  case CM_FONTCHANGED:
    CMFontChanged(Message);
    break;
  case CM_PARENTCOLORCHANGED:
    CMParentColorChanged(Message);
    break;
  case CM_PARENTFONTCHANGED:
    CMParentFontChanged(Message);
    break;
  case CM_PARENTSHOWHINTCHANGED:
    CMParentShowHintChanged(Message);
    break;
  case CM_CURSORCHANGED:
    CMCursorChanged(Message);
    break;
  case CM_HITTEST:
    CMHitTest(Message);
    break;
  case CM_MOUSEWHEEL:
    CMMouseWheel(Message);
    break;
  default:
    DefaultHandler(Message);
    break;
  }
}

// Windowless controls keep their text themselves.
void TControl::DefaultHandler(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETTEXTLENGTH:
    Message.Result = static_cast<LRESULT>(FText.size());
    break;
  case WM_GETTEXT: {
    if (Message.WParam == 0 || Message.LParam == 0)
      break;
    std::size_t n = std::min<std::size_t>(FText.size(), Message.WParam - 1);
    char* out = reinterpret_cast<char*>(Message.LParam);
    std::copy(FText.begin(), FText.begin() + static_cast<std::ptrdiff_t>(n), out);
    out[n] = '\0';
    Message.Result = static_cast<LRESULT>(n);
    break;
  }
  case WM_SETTEXT:
    FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
    Message.Result = 1;
    break;
  }
}

void TControl::Invalidate()
{
  if (!FParent || !FParent->HandleAllocated() || !FVisible)
    return;
  TRect r = BoundsRect();
  InvalidateRect(FParent->Handle(), &r, !FControlStyle.Contains(csOpaque));
}

void TControl::Repaint()
{
  Invalidate();
  Update();
}

void TControl::Update()
{
  if (FParent)
    FParent->Update();
}

void TControl::SetZOrder(bool TopMost)
{
  if (!FParent)
    return;
  auto& list = FParent->FControls;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end())
    return;
  list.erase(it);
  if (TopMost)
    list.push_back(this);
  else
    list.insert(list.begin(), this);
  Invalidate();
}

void TControl::Click()
{
  if (FActionLink && FActionLink->Action() &&
      (!OnClick || OnClick == FActionLink->Action()->OnExecute)) {
    FActionLink->Execute(this);
    return;
  }
  if (OnClick)
    OnClick(this);
}

TBasicAction* TControl::Action() const
{
  return FActionLink ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* Value)
{
  if (!Value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink)
    FActionLink = std::make_unique<TControlActionLink>(this);
  FActionLink->SetAction(Value);
  Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FActionLink && AComponent == FActionLink->Action())
    SetAction(nullptr);
  if (Operation == opRemove && AComponent == FPopupMenu)
    FPopupMenu = nullptr;
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
  ReplaceComponentReference(this, Value, FPopupMenu);
}

void TControl::DblClick()
{
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::Resize()
{
  if (OnResize)
    OnResize(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseDown)
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseMove)
    OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  if (OnMouseUp)
    OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  bool handled = false;
  if (OnMouseWheel)
    OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled)
{
  if (OnContextPopup)
    OnContextPopup(this, MousePos, Handled);
}

void TControl::SendCancelMode(TControl* Sender)
{
  TCustomForm* form = GetParentForm(this);
  if (!form)
    return;
  TWinControl* active = form->ActiveControl();
  if (active && active != Sender)
    active->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift)
{
  TPoint p = MessagePoint(Message);
  MouseDown(Button, KeysToShiftState(static_cast<Word>(Message.WParam)) + Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button)
{
  TPoint p = MessagePoint(Message);
  MouseUp(Button, KeysToShiftState(static_cast<Word>(Message.WParam)), p.X, p.Y);
}

void TControl::WMLButtonDown(TMessage& Message)
{
  TDestroyWatch watch(this);
  SendCancelMode(this);
  if (watch.Destroyed())
    return;
  if (FDragMode == dmAutomatic) {
    BeginDrag(false);
    return;
  }
  FControlState.Include(csLButtonDown);
  DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonUp(TMessage& Message)
{
  TDestroyWatch watch(this);
  FControlState.Exclude(csLButtonDown);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    if (PtInRect(ClientRect(), MessagePoint(Message)))
      Click();
    if (watch.Destroyed())
      return;
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMLButtonDblClk(TMessage& Message)
{
  TDestroyWatch watch(this);
  SendCancelMode(this);
  if (FControlStyle.Contains(csClickEvents) && !watch.Destroyed())
    DblClick();
  if (!watch.Destroyed())
    DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMRButtonDown(TMessage& Message)
{
  DoMouseDown(Message, mbRight, {});
}

void TControl::WMRButtonUp(TMessage& Message)
{
  DoMouseUp(Message, mbRight);
  DefaultHandler(Message);
}

void TControl::WMRButtonDblClk(TMessage& Message)
{
  DoMouseDown(Message, mbRight, {ssDouble});
}
void TControl::WMMButtonDown(TMessage& Message)
{
  DoMouseDown(Message, mbMiddle, {});
}
void TControl::WMMButtonUp(TMessage& Message)
{
  DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message)
{
  TPoint p = MessagePoint(Message);
  MouseMove(KeysToShiftState(static_cast<Word>(Message.WParam)), p.X, p.Y);
}

void TControl::WMMouseWheel(TMessage& Message)
{
  TShiftState shift = KeysToShiftState(LOWORD(static_cast<NativeInt>(Message.WParam)));
  if (DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), MessagePoint(Message))) {
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TControl::WMContextMenu(TMessage& Message)
{
  TPoint p = MessagePoint(Message);
  bool handled = false;
  TDestroyWatch watch(this);
  // A right click over a windowless child is that child's context menu first.
  if (auto* self = dynamic_cast<TWinControl*>(this); self && !(p.X == -1 && p.Y == -1)) {
    TControl* child = self->ControlAtPos(ScreenToClient(p), false);
    if (child && !dynamic_cast<TWinControl*>(child)) {
      LRESULT taken = child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
      if (taken != 0 || watch.Destroyed()) {
        Message.Result = 1;
        return;
      }
    }
  }
  DoContextPopup(p.X == -1 && p.Y == -1 ? p : ScreenToClient(p), handled);
  if (handled || watch.Destroyed()) {
    Message.Result = 1;
    return;
  }
  if (FPopupMenu && FPopupMenu->AutoPopup()) {
    // From the keyboard (-1, -1) the menu opens at the control's middle.
    if (p.X == -1 && p.Y == -1)
      p = ClientToScreen(Point(FWidth / 2, FHeight / 2));
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(p.X, p.Y);
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TControl::WMCancelMode(TMessage& Message)
{
  if (MouseCapture())
    SetMouseCapture(false);
  DefaultHandler(Message);
}

void TControl::CMMouseEnter(TMessage& Message)
{
  if (Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseEnter) {
    TDestroyWatch watch(this);
    OnMouseEnter(this);
    if (watch.Destroyed())
      return;
  }
  if (FParent)
    FParent->Perform(CM_MOUSEENTER, 0, Message.LParam);
}

void TControl::CMMouseLeave(TMessage& Message)
{
  if (Message.LParam == reinterpret_cast<LPARAM>(this) && OnMouseLeave) {
    TDestroyWatch watch(this);
    OnMouseLeave(this);
    if (watch.Destroyed())
      return;
  }
  if (FParent)
    FParent->Perform(CM_MOUSELEAVE, 0, Message.LParam);
}

void TControl::CMEnabledChanged(TMessage&)
{
  Invalidate();
}
void TControl::CMVisibleChanged(TMessage&)
{
  Invalidate();
}
void TControl::CMTextChanged(TMessage&)
{
  Invalidate();
}
void TControl::CMColorChanged(TMessage&)
{
  Invalidate();
}
void TControl::CMFontChanged(TMessage&)
{
  Invalidate();
}
void TControl::CMParentColorChanged(TMessage&)
{
  ParentColorChanged();
}
void TControl::CMParentFontChanged(TMessage&)
{
  ParentFontChanged();
}

void TControl::CMParentShowHintChanged(TMessage&)
{
  if (FParentShowHint && FParent)
    FShowHint = FParent->ShowHint();
}

void TControl::CMCursorChanged(TMessage&) {}
void TControl::CMHitTest(TMessage& Message)
{
  Message.Result = HTCLIENT;
}

void TControl::CMMouseWheel(TMessage& Message)
{
  TShiftState shift = KeysToShiftState(LOWORD(static_cast<NativeInt>(Message.WParam)));
  Message.Result =
      DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), MessagePoint(Message)) ? 1 : 0;
}

TPoint PopupPosition(const TRect& Anchor, TSize Size)
{
  MONITORINFO mi;
  GetMonitorInfo(MonitorFromPoint(Anchor.TopLeft(), MONITOR_DEFAULTTONEAREST), mi);
  const TRect& work = mi.rcWork;
  TPoint p{Anchor.Left, Anchor.Bottom};
  if (p.Y + Size.cy > work.Bottom && Anchor.Top - Size.cy >= work.Top)
    p.Y = Anchor.Top - Size.cy; // flips above when only there is room
  p.Y = std::clamp(p.Y, work.Top, std::max(work.Top, work.Bottom - Size.cy));
  p.X = std::clamp(p.X, work.Left, std::max(work.Left, work.Right - Size.cx));
  return p;
}

// ---- Global helpers -------------------------------------------------------------------------

TWinControl* FindControl(HWND Handle)
{
  return Handle ? dynamic_cast<TWinControl*>(GetWindowObject(Handle)) : nullptr;
}

TControl* FindDragTarget(TPoint Pos, bool AllowDisabled)
{
  HWND h = WindowFromPoint(Pos);
  TWinControl* w = nullptr;
  for (; h && !(w = FindControl(h)); h = GetParent(h)) {
  }
  if (!w)
    return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled))
    return c;
  return w;
}

TControl* GetCaptureControl()
{
  HWND h = GetCapture();
  TWinControl* w = FindControl(h);
  if (w && ControlsState().CaptureControl && ControlsState().CaptureControl->Parent() == w)
    return ControlsState().CaptureControl;
  return w;
}

void SetCaptureControl(TControl* Control)
{
  ReleaseCapture();
  ControlsState().CaptureControl = nullptr;
  if (!Control)
    return;
  TWinControl* w = dynamic_cast<TWinControl*>(Control);
  if (!w) {
    if (!Control->Parent())
      return;
    w = Control->Parent();
    SetCapture(w->Handle());
    ControlsState().CaptureControl = Control;
    return;
  }
  SetCapture(w->Handle());
}

void UpdateMouseControl()
{
  TPoint p;
  GetCursorPos(p);
  TControl* c = GetCaptureControl();
  if (!c)
    c = FindDragTarget(p, false);
  if (c == ControlsState().MouseControl)
    return;
  TControl* old = ControlsState().MouseControl;
  ControlsState().MouseControl = c;
  if (old)
    old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  if (c && c == ControlsState().MouseControl)
    c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
}

TControl* MouseControl()
{
  return ControlsState().MouseControl;
}

HWND AllocateHWnd(TWndMethod Method)
{
  WNDCLASS wc;
  if (!GetClassInfo("TPUtilWindow", wc)) {
    wc.lpszClassName = "TPUtilWindow";
    wc.lpfnWndProc = &UtilWindowProc;
    RegisterClass(wc);
  }
  HWND h = CreateWindowEx(WS_EX_TOOLWINDOW, "TPUtilWindow", "", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE);
  if (h)
    UtilWindows()[h] = std::move(Method);
  return h;
}

void DeallocateHWnd(HWND Wnd)
{
  UtilWindows().erase(Wnd);
  ::DestroyWindow(Wnd);
}

TPoint TMouse::CursorPos() const
{
  TPoint p;
  GetCursorPos(p);
  return p;
}

void TMouse::SetCursorPos(TPoint Value)
{
  ::SetCursorPos(Value.X, Value.Y);
}

void TMouse::SetCapture(HWND Value)
{
  if (Value)
    ::SetCapture(Value);
  else
    ReleaseCapture();
}

TMouse* Mouse()
{
  static TMouse mouse;
  return &mouse;
}
