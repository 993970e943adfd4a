// The control base classes: dispatch, mouse handling and capture, bounds and alignment,
// colour and font inheritance, windows created on demand, focus and tab order, keys,
// painting of windowed and windowless controls. Controls.h describes the classes.
#include "platform/ui/Controls.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <type_traits>

#include "platform/graphics/Region.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

namespace {

TWinControl* gCreating = nullptr;   // the control whose window is being created
TDragObject* gDragObject = nullptr; // what is being dragged
TControl* gDragControl = nullptr;   // the control whose drag loop runs
bool gDragCancelled = false;
TControl* gCaptureControl = nullptr; // a windowless control holding its parent's capture
TControl* gMouseControl = nullptr;   // the control under the mouse (enter/leave)

std::map<HWND, TWndMethod>& UtilWindows()
{
  static std::map<HWND, TWndMethod> windows;
  return windows;
}

LRESULT UtilWindowProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  auto it = UtilWindows().find(h);
  if (it == UtilWindows().end())
    return DefWindowProc(h, m, w, l);
  TWndMethod method = it->second;
  TMessage msg{m, w, l, 0};
  method(msg);
  return msg.Result;
}

} // namespace

// The window procedure of every control's window: hands the message to the control.
LRESULT ControlWindowProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  TWinControl* c = dynamic_cast<TWinControl*>(GetWindowObject(h));
  if (!c && gCreating) {
    c = gCreating;
    gCreating = nullptr;
    c->FHandle = h;
    SetWindowObject(h, c);
  }
  if (!c)
    return DefWindowProc(h, m, w, l);
  TMessage msg{m, w, l, 0};
  c->WindowProc(msg); // the control may be gone afterwards
  return msg.Result;
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
  FFont = new TFont();
  FFont->OnChange = TNotifyEvent::Bind(this, &TControl::FontChanged);
  WindowProc = TWndMethod::Bind(this, &TControl::WndProc);
}

TControl::~TControl()
{
  if (gCaptureControl == this)
    gCaptureControl = nullptr;
  if (gDragControl == this)
    CancelDrag();
  if (gMouseControl == this)
    gMouseControl = nullptr;
  if (FParent)
    FParent->RemoveControl(this);
  delete FActionLink;
  delete FFont;
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
    delete FActionLink;
    FActionLink = nullptr;
    return;
  }
  if (!FActionLink)
    FActionLink = new TControlActionLink(this);
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

// ---- Dragging ------------------------------------------------------------------------------

TCursor TDragObject::GetDragCursor(bool Accepted, Integer, Integer)
{
  return Accepted ? crDrag : crNoDrop;
}

bool TControl::Dragging() const
{
  return gDragControl == this;
}

void TControl::DoStartDrag(TDragObject*& DragObject)
{
  if (OnStartDrag)
    OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y)
{
  if (OnEndDrag)
    OnEndDrag(this, Target, X, Y);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
  if (OnDragOver)
    OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y)
{
  if (OnDragDrop)
    OnDragDrop(this, Source, X, Y);
}

// The drag loop: waits for the threshold (unless immediate), then follows the pointer,
// asking the control under it whether it accepts, until the button is released (a drop
// on an accepting target) or Esc is pressed. A release before the drag began is handed on,
// so a press without a drag stays a click.
struct TDragLoop {
  TControl* Source;
  TDestroyWatch SourceWatch;
  TDragObject* Object = nullptr;
  bool OwnObject = false;
  TControl* Target = nullptr;
  bool Accepted = false;
  TPoint Pos;

  explicit TDragLoop(TControl* source) : Source(source), SourceWatch(source) {}

  // What handlers see as the source: the control itself for a control dragging itself.
  TObject* SourceObject() const
  {
    if (auto* c = dynamic_cast<TDragControlObject*>(Object))
      return c->Control();
    return Object;
  }

  void Start()
  {
    Source->DoStartDrag(Object);
    if (!Object) {
      Object = new TDragControlObject(Source);
      OwnObject = true;
    }
    gDragObject = Object;
    gDragControl = Source;
  }

  void Over(TPoint p)
  {
    Pos = p;
    TControl* t = FindDragTarget(p, false);
    TDragState state = dsDragMove;
    if (t != Target) {
      if (Target) {
        bool ignored = false;
        TPoint lp = Target->ScreenToClient(p);
        Target->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
      }
      Target = t;
      state = dsDragEnter;
    }
    Accepted = false;
    if (Target) {
      TPoint lp = Target->ScreenToClient(p);
      Accepted = static_cast<bool>(Target->OnDragOver);
      Target->DragOver(SourceObject(), lp.X, lp.Y, state, Accepted);
    }
    Object->FDragTarget = Target;
    Object->FDragPos = p;
    ::SetCursor(Object->GetDragCursor(Accepted, p.X, p.Y));
  }

  void Run(bool immediate, Integer threshold)
  {
    TPoint start;
    GetCursorPos(start);
    Pos = start;
    SetCaptureControl(Source);
    HWND captureWindow = GetCapture();
    gDragCancelled = false;
    bool started = false;
    if (immediate) {
      Start();
      started = true;
      Over(start);
    }
    bool drop = false;
    MSG replay;
    bool hasReplay = false;
    while (GetCapture() == captureWindow && captureWindow && !gDragCancelled &&
           !SourceWatch.Destroyed()) {
      MSG m;
      if (!GetMessage(m, 0, 0, 0)) {
        PostQuitMessage(static_cast<Integer>(m.wParam));
        break;
      }
      bool move = m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE;
      bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
      if (move) {
        if (!started) {
          if (std::abs(m.pt.X - start.X) < threshold && std::abs(m.pt.Y - start.Y) < threshold)
            continue;
          Start();
          started = true;
        }
        Over(m.pt);
        continue;
      }
      if (up) {
        if (!started) {
          replay = m;
          hasReplay = true;
        } else {
          Over(m.pt);
          drop = Accepted;
        }
        break;
      }
      if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE)
        break;
      if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
          (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK))
        continue;
      TranslateMessage(m);
      DispatchMessage(m);
    }
    if (!SourceWatch.Destroyed() && Source->MouseCapture())
      SetCaptureControl(nullptr);
    else if (GetCapture() == captureWindow)
      ReleaseCapture();
    if (started)
      Finish(drop && !gDragCancelled);
    if (hasReplay)
      DispatchMessage(replay);
  }

  void Finish(bool drop)
  {
    TControl* dropTarget = drop ? Target : nullptr;
    TDestroyWatch targetWatch(Target);
    if (Target && !dropTarget) {
      bool ignored = false;
      TPoint lp = Target->ScreenToClient(Pos);
      Target->DragOver(SourceObject(), lp.X, lp.Y, dsDragLeave, ignored);
    }
    Object->FFinished = true;
    TPoint lp = Pos;
    if (dropTarget && !targetWatch.Destroyed()) {
      lp = dropTarget->ScreenToClient(Pos);
      dropTarget->DragDrop(SourceObject(), lp.X, lp.Y);
    }
    gDragObject = nullptr;
    gDragControl = nullptr;
    ::SetCursor(crArrow);
    if (!SourceWatch.Destroyed())
      Source->DoEndDrag(dropTarget && !targetWatch.Destroyed() ? dropTarget : nullptr, lp.X, lp.Y);
    if (OwnObject)
      delete Object;
  }
};

void TControl::BeginDrag(bool Immediate, Integer Threshold)
{
  if (gDragControl)
    return;
  if (Threshold < 0)
    Threshold = Mouse()->DragThreshold();
  TDragLoop loop(this);
  loop.Run(Immediate, std::max<Integer>(Threshold, 1));
}

void CancelDrag()
{
  if (!gDragControl)
    return;
  gDragCancelled = true;
  PostMessage(0, WM_NULL, 0, 0); // wakes the loop
}

TDragObject* DragObject()
{
  return gDragObject;
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

// ---- TWinControl -----------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner)
{
  FBrush = new TBrush();
  FBrush->SetColor(FColor);
  FBrush->OnChange = TNotifyEvent::Bind(this, &TWinControl::BrushChanged);
}

TWinControl::~TWinControl()
{
  // Normally done in BeforeDestruction; objects not deleted through delete end here.
  while (!FControls.empty())
    RemoveControl(FControls.back());
  if (FHandle) {
    SetWindowObject(FHandle, nullptr);
    SetWindowLong(FHandle, GWL_WNDPROC, 0);
    ::DestroyWindow(FHandle);
    FHandle = 0;
  }
  delete FBrush;
}

void TWinControl::BeforeDestruction()
{
  TControl::BeforeDestruction();
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->DefocusControl(this, true);
  // Children go first (whoever owns them), then the window.
  while (!FControls.empty()) {
    TControl* c = FControls.back();
    RemoveControl(c);
    delete c;
  }
  DestroyHandle();
}

void TWinControl::BrushChanged(TObject*)
{
  Invalidate();
}

void TWinControl::SetParent(TWinControl* AParent)
{
  if (AParent == FParent)
    return;
  TControl::SetParent(AParent);
  if (!FHandle) {
    if (FParent && FParent->HandleAllocated())
      CreateHandle();
    return;
  }
  if (FParent && FParent->HandleAllocated()) {
    ::SetParent(FHandle, FParent->FHandle);
    SetWindowPos(FHandle, HWND_TOP, FLeft, FTop, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    DestroyHandle();
  }
}

HWND TWinControl::Handle()
{
  if (!FHandle)
    CreateHandle();
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params)
{
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls))
    Params.Style |= WS_CLIPCHILDREN;
  if (FVisible)
    Params.Style |= WS_VISIBLE;
  if (FTabStop)
    Params.Style |= WS_TABSTOP;
  if (!FEnabled)
    Params.Style |= WS_DISABLED;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks))
    Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = &ControlWindowProc;
  Params.WinClassName = ClassName();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
  HWND h =
      CreateWindowEx(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X,
                     Params.Y, Params.Width, Params.Height, Params.WndParent, Params.Param);
  if (h)
    FHandle = h;
}

void TWinControl::CreateWnd()
{
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  WNDCLASS existing;
  if (!GetClassInfo(params.WinClassName, existing)) {
    params.WindowClass.lpszClassName = params.WinClassName;
    RegisterClass(params.WindowClass);
  }
  gCreating = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    gCreating = nullptr;
    throw;
  }
  gCreating = nullptr;
  if (!FHandle)
    throw EOSError("Error creating window");
}

void TWinControl::CreateHandle()
{
  if (FHandle)
    return;
  CreateWnd();
  // Children's windows follow, each placed in front of the ones before it.
  std::vector<TWinControl*> children;
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c))
      children.push_back(w);
  for (TWinControl* w : children) {
    w->CreateHandle();
    if (w->FHandle)
      SetWindowPos(w->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Realign();
}

void TWinControl::DestroyWnd()
{
  FText = GetWindowText(FHandle);
  ::DestroyWindow(FHandle);
}

void TWinControl::DestroyHandle()
{
  if (!FHandle)
    return;
  FControlState.Include(csDestroyingHandle);
  DestroyWnd();
  FControlState.Exclude(csDestroyingHandle);
  FHandle = 0;
}

void TWinControl::RecreateWnd()
{
  if (!FHandle)
    return;
  // A top-level window comes back as it was: shown and active if it was.
  bool wasShown = !FParent && IsWindowVisible(FHandle);
  bool wasActive = wasShown && GetActiveWindow() == FHandle;
  DestroyHandle();
  CreateHandle();
  if (wasShown)
    ShowWindow(FHandle, wasActive ? SW_SHOW : SW_SHOWNA);
}

AnsiString TWinControl::GetText() const
{
  return FHandle ? GetWindowText(FHandle) : FText;
}

void TWinControl::SetTextInternal(const AnsiString& Value)
{
  FText = Value;
  if (FHandle)
    SetWindowText(FHandle, Value);
}

TControl* TWinControl::Controls(Integer Index) const
{
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FControls[static_cast<std::size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl)
{
  AControl->FParent = this;
  FControls.push_back(AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl))
    FTabList.push_back(w);
  AControl->ParentColorChanged();
  AControl->ParentFontChanged();
  if (AControl->FParentShowHint)
    AControl->FShowHint = FShowHint;
  AControl->UpdateAnchorRules();
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && FHandle && !w->FHandle)
    w->CreateHandle();
  AControl->Invalidate();
  Realign();
}

void TWinControl::RemoveControl(TControl* AControl)
{
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end())
    return;
  AControl->Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(AControl))
    if (TCustomForm* form = GetParentForm(this))
      form->DefocusControl(w, true);
  // By address: a control being destroyed no longer answers dynamic_cast as what it was.
  FTabList.erase(
      std::remove_if(FTabList.begin(), FTabList.end(),
                     [AControl](TWinControl* w) { return static_cast<TControl*>(w) == AControl; }),
      FTabList.end());
  FControls.erase(std::find(FControls.begin(), FControls.end(), AControl));
  AControl->FParent = nullptr;
  Realign();
}

bool TWinControl::ContainsControl(const TControl* Control) const
{
  for (const TControl* c = Control; c; c = c->FParent)
    if (c == this)
      return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const
{
  auto hit = [&](TControl* c) {
    return c->FVisible && (AllowDisabled || c->FEnabled) && PtInRect(c->BoundsRect(), Pos) &&
           c->Perform(CM_HITTEST, 0, PointToLParam({Pos.X - c->FLeft, Pos.Y - c->FTop})) != 0;
  };
  if (AllowWinControls)
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
      if (dynamic_cast<TWinControl*>(*it) && hit(*it))
        return *it;
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
    if (!dynamic_cast<TWinControl*>(*it) && hit(*it))
      return *it;
  return nullptr;
}

// ---- Alignment ------------------------------------------------------------------------------

void TWinControl::EnableAlign()
{
  if (FAlignLevel > 0 && --FAlignLevel == 0)
    Realign();
}

void TWinControl::Realign()
{
  if (FAlignLevel > 0)
    return;
  ++FAlignLevel;
  TRect r = ClientRect();
  AdjustClientRect(r);
  AlignControls(nullptr, r);
  ApplyAnchors();
  if (FAutoSize)
    AdjustSize();
  --FAlignLevel;
}

void TWinControl::AdjustSize()
{
  if (ComponentState().Contains(csLoading))
    return;
  Integer right = 0, bottom = 0;
  bool any = false;
  for (TControl* c : FControls) {
    if (!c->Visible() || c->Align() == alClient)
      continue;
    any = true;
    right = std::max(right, c->Left() + c->Width());
    bottom = std::max(bottom, c->Top() + c->Height());
  }
  if (!any)
    return;
  ++FAlignLevel;
  SetBounds(FLeft, FTop, FWidth - ClientWidth() + right, FHeight - ClientHeight() + bottom);
  --FAlignLevel;
}

void TWinControl::DoAlign(TAlign AAlign, TRect& R)
{
  std::vector<TControl*> list;
  for (TControl* c : FControls)
    if (c->FAlign == AAlign && c->FVisible)
      list.push_back(c);
  // Controls of one alignment keep their order on the side they stick to.
  auto key = [AAlign](const TControl* c) {
    switch (AAlign) {
    case alTop:
      return c->FTop;
    case alBottom:
      return -(c->FTop + c->FHeight);
    case alLeft:
      return c->FLeft;
    case alRight:
      return -(c->FLeft + c->FWidth);
    default:
      return 0;
    }
  };
  std::stable_sort(list.begin(), list.end(),
                   [&](TControl* a, TControl* b) { return key(a) < key(b); });
  for (TControl* c : list) {
    Integer w = c->FWidth, h = c->FHeight;
    switch (AAlign) {
    case alTop:
      c->SetBounds(R.Left, R.Top, R.Width(), h);
      R.Top += c->FHeight;
      break;
    case alBottom:
      c->SetBounds(R.Left, R.Bottom - h, R.Width(), h);
      R.Bottom -= c->FHeight;
      break;
    case alLeft:
      c->SetBounds(R.Left, R.Top, w, R.Height());
      R.Left += c->FWidth;
      break;
    case alRight:
      c->SetBounds(R.Right - w, R.Top, w, R.Height());
      R.Right -= c->FWidth;
      break;
    case alClient:
      c->SetBounds(R.Left, R.Top, R.Width(), R.Height());
      break;
    default:
      break;
    }
  }
}

void TWinControl::AlignControls(TControl*, TRect& Rect)
{
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient})
    DoAlign(a, Rect);
}

// Children that are not aligned keep their distance to the anchored sides.
void TWinControl::ApplyAnchors()
{
  TSize client{ClientWidth(), ClientHeight()};
  for (TControl* c : FControls) {
    if (c->FAlign != alNone || (c->FAnchors.Contains(akLeft) && c->FAnchors.Contains(akTop) &&
                                !c->FAnchors.Contains(akRight) && !c->FAnchors.Contains(akBottom)))
      continue;
    if (c->FAnchorClient.cx == 0 && c->FAnchorClient.cy == 0)
      continue;
    Integer dx = client.cx - c->FAnchorClient.cx, dy = client.cy - c->FAnchorClient.cy;
    TRect b = c->FAnchorBounds;
    if (c->FAnchors.Contains(akRight)) {
      if (c->FAnchors.Contains(akLeft))
        b.Right += dx;
      else
        OffsetRect(b, dx, 0);
    } else if (!c->FAnchors.Contains(akLeft)) {
      OffsetRect(b, dx / 2, 0);
    }
    if (c->FAnchors.Contains(akBottom)) {
      if (c->FAnchors.Contains(akTop))
        b.Bottom += dy;
      else
        OffsetRect(b, 0, dy);
    } else if (!c->FAnchors.Contains(akTop)) {
      OffsetRect(b, 0, dy / 2);
    }
    c->FAnchoring = true;
    c->SetBounds(b.Left, b.Top, b.Width(), b.Height());
    c->FAnchoring = false;
  }
}

// ---- Geometry ---------------------------------------------------------------------------------

void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
  ConstrainSize(AWidth, AHeight);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
    return;
  if ((AWidth != FWidth || AHeight != FHeight) && !CanResize(AWidth, AHeight))
    return;
  if (FHandle) {
    // The window's answer (WMWindowPosChanged) updates the fields.
    SetWindowPos(FHandle, 0, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (sized) {
      Realign();
      Resize();
    }
  }
  UpdateAnchorRules();
  if (FParent && (FAlign != alNone || FParent->AutoSize()))
    FParent->Realign();
}

TPoint TWinControl::ClientOrigin() const
{
  if (FHandle) {
    TPoint p{0, 0};
    ::ClientToScreen(FHandle, p);
    return p;
  }
  return TControl::ClientOrigin();
}

TRect TWinControl::ClientRect() const
{
  if (FHandle) {
    TRect r;
    GetClientRect(FHandle, r);
    return r;
  }
  return TControl::ClientRect();
}

bool TWinControl::Showing() const
{
  if (!FVisible)
    return false;
  if (FParent)
    return FParent->Showing();
  return FHandle && IsWindowVisible(FHandle);
}

void TWinControl::UpdateShowing()
{
  if (!FHandle || !FParent)
    return;
  ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::SetZOrder(bool TopMost)
{
  TControl::SetZOrder(TopMost);
  if (FHandle)
    SetWindowPos(FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Invalidate()
{
  if (FHandle)
    InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update()
{
  if (FHandle)
    UpdateWindow(FHandle);
}

// ---- Focus -------------------------------------------------------------------------------------

bool TWinControl::CanFocus() const
{
  TCustomForm* form = GetParentForm(const_cast<TWinControl*>(this));
  if (!form)
    return FVisible && FEnabled;
  for (const TWinControl* c = this; c; c = c->FParent) {
    if (!c->FVisible || !c->FEnabled)
      return false;
    if (c == form)
      break;
  }
  return true;
}

bool TWinControl::Focused() const
{
  return FHandle != 0 && FHandle == GetFocus();
}

void TWinControl::SetFocus()
{
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
    return;
  }
  ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool Value)
{
  if (Value == FTabStop)
    return;
  FTabStop = Value;
  if (FHandle) {
    LONG_PTR style = GetWindowLong(FHandle, GWL_STYLE);
    SetWindowLong(FHandle, GWL_STYLE,
                  Value ? (style | WS_TABSTOP) : (style & ~LONG_PTR(WS_TABSTOP)));
  }
}

Integer TWinControl::TabOrder() const
{
  if (!FParent)
    return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TWinControl::SetTabOrder(Integer Value)
{
  if (!FParent)
    return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(list.size()));
  list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const
{
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) const
{
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty())
    return nullptr;
  Integer n = static_cast<Integer>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  Integer start =
      it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<Integer>(it - list.begin());
  Integer i = start;
  for (Integer step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* w = list[static_cast<std::size_t>(i)];
    if (w == CurControl)
      break;
    if ((!CheckTabStop || w->FTabStop) && (!CheckParent || w->FParent == this) && w->CanFocus())
      return w;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    next->SetFocus();
}

void TWinControl::SelectFirst()
{
  if (TWinControl* first = FindNextControl(nullptr, true, true, false))
    first->SetFocus();
}

void TWinControl::DoEnter()
{
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit()
{
  if (OnExit)
    OnExit(this);
}

// ---- Keys ---------------------------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift)
{
  if (OnKeyDown)
    OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift)
{
  if (OnKeyUp)
    OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
  if (OnKeyPress)
    OnKeyPress(this, Key);
}

// Offers a key first to the parent form when it previews keys, then to this control.
// True when the key was eaten (cleared to 0) or the control is gone; otherwise the
// possibly changed key goes back into the message.
template <class TKey, class THandler>
bool TWinControl::DeliverKey(TMessage& Message, TKey key, THandler handler)
{
  TDestroyWatch watch(this);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) {
    handler(static_cast<TWinControl*>(form), key);
    if (key == 0 || watch.Destroyed())
      return true;
  }
  handler(this, key);
  if (watch.Destroyed())
    return true;
  Message.WParam = static_cast<std::make_unsigned_t<TKey>>(key);
  return key == 0;
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  return DeliverKey(Message, static_cast<Word>(Message.WParam),
                    [shift](TWinControl* control, Word& key) { control->KeyDown(key, shift); });
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  return DeliverKey(Message, static_cast<Word>(Message.WParam),
                    [shift](TWinControl* control, Word& key) { control->KeyUp(key, shift); });
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
  return DeliverKey(Message, static_cast<char>(Message.WParam),
                    [](TWinControl* control, char& key) { control->KeyPress(key); });
}

// ---- Dispatch
// ------------------------------------------------------------------------------------

// Mouse input over a windowless child (or held by one through capture) goes to it, in its
// own coordinates.
bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
  TControl* target = nullptr;
  if (GetCapture() == FHandle && FHandle) {
    if (gCaptureControl && gCaptureControl->FParent == this)
      target = gCaptureControl;
  } else {
    target = ControlAtPos(MessagePoint(Message), false);
  }
  if (!target || dynamic_cast<TWinControl*>(target))
    return false;
  TPoint p = MessagePoint(Message);
  TMessage sub = Message;
  sub.LParam = PointToLParam({p.X - target->FLeft, p.Y - target->FTop});
  TDestroyWatch watch(this);
  target->WindowProc(sub);
  Message.Result = sub.Result;
  // The window's default handling still follows a right button release, so the
  // context menu (WM_CONTEXTMENU) comes for the windowless child too.
  if (Message.Msg == WM_RBUTTONUP && Message.Result == 0 && !watch.Destroyed() && FHandle)
    DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_SETFOCUS:
    if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(this))
      return;
    break;
  case WM_KILLFOCUS:
    if (FControlState.Contains(csFocusing))
      return;
    break;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
  case WM_MBUTTONUP:
  case WM_RBUTTONDBLCLK:
  case WM_MOUSEMOVE:
    if (IsControlMouseMsg(Message))
      return;
    // A control that takes the focus takes it when pressed.
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && FTabStop &&
        !Focused() && CanFocus()) {
      TDestroyWatch watch(this);
      SetFocus();
      if (watch.Destroyed())
        return;
    }
    break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_PAINT:
    WMPaint(Message);
    break;
  case WM_ERASEBKGND:
    WMEraseBkgnd(Message);
    break;
  case WM_SETFOCUS:
    WMSetFocus(Message);
    break;
  case WM_KILLFOCUS:
    WMKillFocus(Message);
    break;
  case WM_WINDOWPOSCHANGED:
    WMWindowPosChanged(Message);
    break;
  case WM_SIZE:
    WMSize(Message);
    break;
  case WM_KEYDOWN:
    WMKeyDown(Message);
    break;
  case WM_SYSKEYDOWN:
    WMSysKeyDown(Message);
    break;
  case WM_KEYUP:
    WMKeyUp(Message);
    break;
  case WM_SYSKEYUP:
    WMSysKeyUp(Message);
    break;
  case WM_CHAR:
    WMChar(Message);
    break;
  case WM_COMMAND:
    WMCommand(Message);
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    WMScroll(Message);
    break;
  case WM_PRINTCLIENT:
    PaintHandler(Message);
    break;
  case WM_SETCURSOR:
    WMSetCursor(Message);
    break;
  case WM_NCDESTROY:
    WMNCDestroy(Message);
    break;
  case WM_CAPTURECHANGED:
    WMCaptureChanged(Message);
    break;
  case WM_NCCALCSIZE:
    WMNCCalcSize(Message);
    break;
  case WM_NCPAINT:
    WMNCPaint(Message);
    break;
  case CN_KEYDOWN:
  case CN_SYSKEYDOWN:
    CNKeyDown(Message);
    break;
  case CN_KEYUP:
    CNKeyUp(Message);
    break;
  case CN_CHAR:
  case CN_SYSCHAR:
    CNChar(Message);
    break;
  case CM_ENTER:
    CMEnter(Message);
    break;
  case CM_EXIT:
    CMExit(Message);
    break;
  case CM_DIALOGKEY:
    CMDialogKey(Message);
    break;
  case CM_DIALOGCHAR:
    CMDialogChar(Message);
    break;
  case CM_CHILDKEY:
    CMChildKey(Message);
    break;
  case CM_FOCUSCHANGED:
    CMFocusChanged(Message);
    break;
  case CM_SHOWINGCHANGED:
    CMShowingChanged(Message);
    break;
  default:
    TControl::Dispatch(Message);
    break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message)
{
  if (!FHandle)
    return;
  Message.Result = DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::Broadcast(TMessage& Message)
{
  std::vector<TControl*> list = FControls;
  for (TControl* c : list) {
    if (std::find(FControls.begin(), FControls.end(), c) == FControls.end())
      continue;
    c->WindowProc(Message);
    if (Message.Result != 0)
      return;
  }
}

// ---- Painting
// ------------------------------------------------------------------------------------

// A plain windowed control draws nothing beyond its background.
void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
  TCanvas* canvas = CanvasFromDC(DC);
  if (!canvas)
    return;
  auto it = FControls.begin();
  if (First) {
    it = std::find(FControls.begin(), FControls.end(), First);
    if (it == FControls.end())
      it = FControls.begin();
  }
  std::vector<TControl*> list(it, FControls.end());
  for (TControl* c : list) {
    if (dynamic_cast<TWinControl*>(c) || !c->FVisible)
      continue;
    if (!canvas->RectVisible(c->BoundsRect()))
      continue;
    Integer saved = canvas->SaveDC();
    TPoint org = canvas->WindowOrg();
    canvas->SetWindowOrg({org.X - c->FLeft, org.Y - c->FTop});
    canvas->IntersectClipRect(Rect(0, 0, c->FWidth, c->FHeight));
    c->Perform(WM_PAINT, static_cast<WPARAM>(DC), 0);
    canvas->RestoreDC(saved);
  }
}

void TWinControl::PaintHandler(TMessage& Message)
{
  if (Message.WParam) {
    PaintWindow(static_cast<HDC>(Message.WParam));
    PaintControls(static_cast<HDC>(Message.WParam), nullptr);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, ps);
  HWND h = FHandle;
  TDestroyWatch watch(this);
  PaintWindow(dc);
  if (!watch.Destroyed())
    PaintControls(dc, nullptr);
  EndPaint(h, ps);
}

// Double-buffered controls paint into a memory surface first (background with
// WParam = LParam = the memory context, then the painting) and copy it to the window at once.
void TWinControl::WMPaint(TMessage& Message)
{
  if (!FDoubleBuffered || Message.WParam) {
    PaintHandler(Message);
    return;
  }
  PAINTSTRUCT ps;
  HWND h = FHandle;
  HDC dc = BeginPaint(h, ps);
  TRect client = ClientRect();
  TImageSurface memory(std::max(client.Width(), 1), std::max(client.Height(), 1), 0xFFFFFF);
  TCanvas memoryCanvas(&memory);
  HDC mem = CreateCanvasDC(&memoryCanvas);
  TDestroyWatch watch(this);
  Perform(WM_ERASEBKGND, static_cast<WPARAM>(mem), static_cast<LPARAM>(mem));
  if (!watch.Destroyed()) {
    TMessage paint{WM_PAINT, static_cast<WPARAM>(mem), 0, 0};
    PaintHandler(paint);
  }
  DeleteDC(mem);
  if (TCanvas* c = CanvasFromDC(dc))
    c->CopyImage(client, memory, client, cmSrcCopy);
  EndPaint(h, ps);
}

void TWinControl::PaintTo(TCanvas* Canvas, Integer X, Integer Y)
{
  HDC dc = CreateCanvasDC(Canvas);
  TCanvas* c = CanvasFromDC(dc);
  if (!c)
    return;
  TPoint org = c->WindowOrg();
  c->SetWindowOrg({org.X - X, org.Y - Y});
  c->IntersectClipRect(ClientRect());
  Perform(WM_ERASEBKGND, static_cast<WPARAM>(dc), static_cast<LPARAM>(dc));
  Perform(WM_PAINT, static_cast<WPARAM>(dc), 0);
  DeleteDC(dc);
  for (TControl* child : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(child); w && w->FVisible)
      w->PaintTo(Canvas, X + w->FLeft, Y + w->FTop);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
  // A double-buffered control erases in its memory surface only.
  if (FDoubleBuffered && Message.WParam != static_cast<WPARAM>(Message.LParam)) {
    Message.Result = 1;
    return;
  }
  TCanvas* canvas = CanvasFromDC(static_cast<HDC>(Message.WParam));
  if (!canvas) {
    Message.Result = 0;
    return;
  }
  canvas->Brush()->SetColor(FColor);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(ClientRect());
  Message.Result = 1;
}

// ---- Message handlers
// ------------------------------------------------------------------------------

void TWinControl::WMSetFocus(TMessage& Message)
{
  DefaultHandler(Message);
}
void TWinControl::WMKillFocus(TMessage& Message)
{
  DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TMessage& Message)
{
  auto* wp = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
  bool sized = false;
  if (wp) {
    if (!(wp->flags & SWP_NOMOVE)) {
      FLeft = wp->x;
      FTop = wp->y;
    }
    if (!(wp->flags & SWP_NOSIZE)) {
      sized = wp->cx != FWidth || wp->cy != FHeight;
      FWidth = wp->cx;
      FHeight = wp->cy;
    }
  }
  TDestroyWatch watch(this);
  DefaultHandler(Message);
  if (watch.Destroyed())
    return;
  if (sized) {
    Realign();
    Resize();
  }
}

void TWinControl::WMSize(TMessage& Message)
{
  DefaultHandler(Message);
}

void TWinControl::WMKeyDown(TMessage& Message)
{
  if (!DoKeyDown(Message))
    DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message)
{
  if (!DoKeyDown(Message))
    DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
  if (!DoKeyUp(Message))
    DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message)
{
  if (!DoKeyUp(Message))
    DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
  if (!DoKeyPress(Message))
    DefaultHandler(Message);
}

// Notifications from child windows go back to the child as CN_COMMAND.
void TWinControl::WMCommand(TMessage& Message)
{
  if (Message.LParam) {
    if (TWinControl* child = FindControl(static_cast<HWND>(Message.LParam))) {
      Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

// The screen's cursor overrides everything; otherwise the control under the pointer
// (a windowless child, or this control) picks its own, and crDefault asks the parent.
// A scroll bar control's notifications go back to it as CN_HSCROLL/CN_VSCROLL.
void TWinControl::WMScroll(TMessage& Message)
{
  if (Message.LParam) {
    if (TWinControl* bar = FindControl(static_cast<HWND>(Message.LParam))) {
      Message.Result = bar->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message)
{
  if (static_cast<SmallInt>(LOWORD(Message.LParam)) == HTCLIENT) {
    TCursor cursor = Screen() ? Screen()->Cursor() : crDefault;
    if (cursor == crDefault) {
      TPoint p;
      GetCursorPos(p);
      TControl* c = ControlAtPos(ScreenToClient(p), false);
      if (c && !dynamic_cast<TWinControl*>(c))
        cursor = c->Cursor();
      if (cursor == crDefault)
        cursor = FCursor;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen() ? Screen()->Cursors(cursor) : cursor);
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message)
{
  DefaultHandler(Message);
  if (FHandle)
    SetWindowObject(FHandle, nullptr);
  FHandle = 0;
}

void TWinControl::SetBorderWidth(Integer Value)
{
  Value = std::max(Value, 0);
  if (Value == FBorderWidth)
    return;
  FBorderWidth = Value;
  if (FHandle)
    SetWindowPos(FHandle, 0, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Realign();
}

void TWinControl::WMNCCalcSize(TMessage& Message)
{
  DefaultHandler(Message);
  if (FBorderWidth > 0 && Message.LParam) {
    TRect& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
    InflateRect(r, -FBorderWidth, -FBorderWidth);
  }
}

void TWinControl::WMNCPaint(TMessage& Message)
{
  DefaultHandler(Message);
  if (FBorderWidth <= 0 || !FHandle)
    return;
  // The border band: inside the window's own frame, around the client area.
  HDC dc = GetWindowDC(FHandle);
  if (TCanvas* c = CanvasFromDC(dc)) {
    TRect window;
    GetWindowRect(FHandle, window);
    TPoint origin{0, 0};
    ::ClientToScreen(FHandle, origin);
    TRect client = ClientRect();
    OffsetRect(client, origin.X - window.Left, origin.Y - window.Top);
    TRect band = client;
    InflateRect(band, FBorderWidth, FBorderWidth);
    TRegion area = TRegion(band).Combine(TRegion(client), RGN_DIFF);
    c->Brush()->SetColor(FColor);
    c->FillRegion(area);
  }
  ReleaseDC(FHandle, dc);
}

void TWinControl::WMCaptureChanged(TMessage& Message)
{
  if (gCaptureControl && gCaptureControl->FParent == this &&
      static_cast<HWND>(Message.LParam) != FHandle)
    gCaptureControl = nullptr;
  DefaultHandler(Message);
}

// A key pressed on the focused control: its parents may take it first (CM_CHILDKEY), then
// Tab, arrows, Enter and Esc go to the form as dialog keys unless the control wants them.
void TWinControl::CNKeyDown(TMessage& Message)
{
  Message.Result = 1;
  Word key = static_cast<Word>(Message.WParam);
  TDestroyWatch watch(this);
  TShiftState shift = KeyDataToShiftState(Message.LParam);
  // Shortcuts of the popup menus of this control and its parents, nearest first, then
  // those of the form (its main menu and action lists).
  for (TControl* c = this; c; c = c->Parent()) {
    TPopupMenu* popup = c->PopupMenu();
    if (popup && popup->IsShortCut(key, shift))
      return;
    if (watch.Destroyed())
      return;
  }
  if (TCustomForm* form = GetParentForm(this)) {
    TDestroyWatch formWatch(form);
    if (form->IsShortCut(key, KeyDataToShiftState(Message.LParam)) || watch.Destroyed())
      return;
  }
  if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0 || watch.Destroyed())
    return;
  UINT mask = 0;
  switch (key) {
  case VK_TAB:
    mask = DLGC_WANTTAB;
    break;
  case VK_LEFT:
  case VK_RIGHT:
  case VK_UP:
  case VK_DOWN:
    mask = DLGC_WANTARROWS;
    break;
  case VK_RETURN:
  case VK_EXECUTE:
  case VK_ESCAPE:
  case VK_CANCEL:
    mask = DLGC_WANTALLKEYS;
    break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 && !watch.Destroyed() &&
      (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 && !watch.Destroyed()) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0)
      return;
    if (watch.Destroyed())
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message)
{
  Message.Result = 0;
}

// A character the control does not take may be a dialog accelerator; with Alt held
// (CN_SYSCHAR) it always is one, even from a control that takes characters.
void TWinControl::CNChar(TMessage& Message)
{
  Message.Result = 1;
  TDestroyWatch watch(this);
  if ((Message.Msg == CN_SYSCHAR || (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0) &&
      !watch.Destroyed()) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CMEnter(TMessage&)
{
  DoEnter();
}
void TWinControl::CMExit(TMessage&)
{
  DoExit();
}
void TWinControl::CMDialogKey(TMessage& Message)
{
  Broadcast(Message);
}
void TWinControl::CMDialogChar(TMessage& Message)
{
  Broadcast(Message);
}

void TWinControl::CMChildKey(TMessage& Message)
{
  if (FParent)
    Message.Result = FParent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

void TWinControl::CMFocusChanged(TMessage& Message)
{
  Broadcast(Message);
}

void TWinControl::CMEnabledChanged(TMessage& Message)
{
  if (FHandle)
    EnableWindow(FHandle, FEnabled);
  TControl::CMEnabledChanged(Message);
}

void TWinControl::CMVisibleChanged(TMessage&)
{
  UpdateShowing();
}

void TWinControl::CMColorChanged(TMessage& Message)
{
  FBrush->SetColor(FColor);
  TMessage m{CM_PARENTCOLORCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls))
    c->WindowProc(m);
  TControl::CMColorChanged(Message);
}

void TWinControl::CMFontChanged(TMessage& Message)
{
  TMessage m{CM_PARENTFONTCHANGED, 0, 0, 0};
  for (TControl* c : std::vector<TControl*>(FControls))
    c->WindowProc(m);
  TControl::CMFontChanged(Message);
}

void TWinControl::CMShowingChanged(TMessage&)
{
  UpdateShowing();
}

// ---- TGraphicControl and TCustomControl --------------------------------------------------------

void BindCanvasToDC(TCanvas& Canvas, HDC DC)
{
  TCanvas* source = CanvasFromDC(DC);
  if (!source) {
    Canvas.SetSurface(nullptr);
    Canvas.SelectClipRegion(nullptr);
    Canvas.SetWindowOrg({0, 0});
    return;
  }
  Canvas.SetSurface(source->Surface());
  Canvas.SetWindowOrg(source->WindowOrg());
  TRegion clip;
  if (source->GetClipRegion(clip))
    Canvas.SelectClipRegion(&clip);
  else
    Canvas.SelectClipRegion(nullptr);
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner)
{
  FCanvas = new TCanvas();
}

TGraphicControl::~TGraphicControl()
{
  if (FOwnDC)
    ReleaseDC(0, FOwnDC);
  delete FCanvas;
}

TCanvas* TGraphicControl::Canvas()
{
  if (!FCanvas->Surface() && FParent && FParent->HandleAllocated()) {
    if (FOwnDC)
      ReleaseDC(0, FOwnDC);
    FOwnDC = GetDC(FParent->Handle());
    if (TCanvas* c = CanvasFromDC(FOwnDC)) {
      c->SetWindowOrg({c->WindowOrg().X - FLeft, c->WindowOrg().Y - FTop});
      c->IntersectClipRect(Rect(0, 0, FWidth, FHeight));
    }
    BindCanvasToDC(*FCanvas, FOwnDC);
  }
  return FCanvas;
}

void TGraphicControl::Dispatch(TMessage& Message)
{
  if (Message.Msg == WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message)
{
  if (!Message.WParam)
    return;
  if (FOwnDC) {
    ReleaseDC(0, FOwnDC);
    FOwnDC = 0;
  }
  BindCanvasToDC(*FCanvas, static_cast<HDC>(Message.WParam));
  FCanvas->SetFont(FFont);
  FCanvas->Brush()->SetColor(FColor);
  TDestroyWatch watch(this);
  Paint();
  if (!watch.Destroyed())
    BindCanvasToDC(*FCanvas, 0);
}

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
  FCanvas = new TCanvas();
}

TCustomControl::~TCustomControl()
{
  delete FCanvas;
}

void TCustomControl::PaintWindow(HDC DC)
{
  BindCanvasToDC(*FCanvas, DC);
  FCanvas->SetFont(FFont);
  FCanvas->Brush()->SetColor(FColor);
  TDestroyWatch watch(this);
  Paint();
  if (!watch.Destroyed())
    BindCanvasToDC(*FCanvas, 0);
}

// ---- THintWindow
// ----------------------------------------------------------------------------------

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
  FVisible = false;
  FParentColor = false;
  FColor = clInfoBk;
  FBrush->SetColor(clInfoBk);
  FParentFont = false;
  FFont->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = 0;
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const AnsiString& Hint)
{
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(FFont);
  TRect r = Rect(0, 0, MaxWidth, 0);
  c->DrawText(Hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  ReleaseDC(0, dc);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& Hint)
{
  SetCaption(Hint);
  // Keep it on the screen.
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (Rect.Right > sw)
    OffsetRect(Rect, sw - Rect.Right, 0);
  if (Rect.Bottom > sh)
    OffsetRect(Rect, 0, sh - Rect.Bottom);
  if (Rect.Left < 0)
    OffsetRect(Rect, -Rect.Left, 0);
  if (Rect.Top < 0)
    OffsetRect(Rect, 0, -Rect.Top);
  HWND h = Handle();
  SetWindowPos(h, HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FVisible = true;
  Invalidate();
}

void THintWindow::Paint()
{
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  InflateRect(r, -1, -1);
  r.Left += 1;
  c->Brush()->SetStyle(bsClear);
  c->DrawText(Caption(), r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

// ---- Global helpers
// --------------------------------------------------------------------------------

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
  if (w && gCaptureControl && gCaptureControl->Parent() == w)
    return gCaptureControl;
  return w;
}

void SetCaptureControl(TControl* Control)
{
  ReleaseCapture();
  gCaptureControl = nullptr;
  if (!Control)
    return;
  TWinControl* w = dynamic_cast<TWinControl*>(Control);
  if (!w) {
    if (!Control->Parent())
      return;
    w = Control->Parent();
    SetCapture(w->Handle());
    gCaptureControl = Control;
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
  if (c == gMouseControl)
    return;
  TControl* old = gMouseControl;
  gMouseControl = c;
  if (old)
    old->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(old));
  if (c && c == gMouseControl)
    c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
}

TControl* MouseControl()
{
  return gMouseControl;
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

void RegisterControlsClasses()
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
  TClassRegistration<TWinControl, TControl>("TWinControl")
      .Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth)
      .Default(0)
      .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Stored(false)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Default(false)
      .Property("OnEnter", &TWinControl::OnEnter, &TWinControl::OnEnter)
      .Property("OnExit", &TWinControl::OnExit, &TWinControl::OnExit)
      .Property("OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::OnKeyDown)
      .Property("OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::OnKeyPress)
      .Property("OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::OnKeyUp)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored([](TWinControl* c) { return !c->ParentCtl3D(); })
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D)
      .Default(true)
      .Property("ParentBackground", &TWinControl::ParentBackground,
                &TWinControl::SetParentBackground)
      .Default(true)
      .Property("ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode)
      .Default(imDontCare)
      .Property("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName);
  TClassRegistration<TGraphicControl, TControl>("TGraphicControl");
  TClassRegistration<TCustomControl, TWinControl>("TCustomControl");
  TClassRegistration<THintWindow, TCustomControl>("THintWindow");
}
