// The window tree: classes, handles with generations, creation and destruction, parents,
// owners and z-order, geometry through WM_NCCALCSIZE, visibility and enabling, window
// regions and hit testing. Windows.h describes the interface; WindowsPrivate.h the state.
#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/WindowsPrivate.h"

namespace wm {

TState& State()
{
  static TState state;
  return state;
}

TWnd* FromHandle(HWND hwnd)
{
  if (hwnd == 0)
    return nullptr;
  TState& s = State();
  std::size_t slot = hwnd & 0xFFFF;
  Word generation = static_cast<Word>((hwnd >> 16) & 0x7FFF);
  if (slot == 0 || slot >= s.Slots.size() || (hwnd >> 31) != 0)
    return nullptr;
  TState::TSlot& entry = s.Slots[slot];
  if (!entry.Wnd || entry.Generation != generation)
    return nullptr;
  return entry.Wnd.get();
}

HWND HandleOf(const TWnd* w)
{
  return w ? w->Handle : 0;
}

TPoint WindowOrigin(const TWnd* w)
{
  TPoint p{w->Rect.Left, w->Rect.Top};
  if (w->Parent) {
    TPoint o = ClientOrigin(w->Parent);
    p.X += o.X;
    p.Y += o.Y;
  }
  return p;
}

TPoint ClientOrigin(const TWnd* w)
{
  TPoint p = WindowOrigin(w);
  return {p.X + w->Client.Left, p.Y + w->Client.Top};
}

TRect ScreenRect(const TWnd* w)
{
  TPoint p = WindowOrigin(w);
  return Bounds(p.X, p.Y, w->Rect.Width(), w->Rect.Height());
}

TWnd* TopLevelOf(TWnd* w)
{
  while (w && w->Parent)
    w = w->Parent;
  return w;
}

bool VisibleChain(const TWnd* w)
{
  for (; w; w = w->Parent)
    if (!(w->Style & WS_VISIBLE))
      return false;
  return true;
}

bool EnabledChain(const TWnd* w)
{
  for (; w; w = w->Parent)
    if (w->Style & WS_DISABLED)
      return false;
  return true;
}

std::vector<TWnd*>& SiblingList(TWnd* w)
{
  TState& s = State();
  if (w->Parent)
    return w->Parent->Children;
  return w->MessageOnly ? s.MessageOnly : s.TopLevels;
}

namespace {

constexpr std::size_t MaxSlots = 0xFFFF;

WNDCLASS* FindWndClass(const AnsiString& name)
{
  for (WNDCLASS& wc : State().Classes)
    if (AnsiCompareText(wc.lpszClassName, name) == 0)
      return &wc;
  return nullptr;
}

TWnd* AllocateWindow()
{
  TState& s = State();
  if (s.Slots.empty())
    s.Slots.resize(1);
  std::size_t slot = 0;
  for (std::size_t i = 1; i < s.Slots.size(); ++i)
    if (!s.Slots[i].Wnd) {
      slot = i;
      break;
    }
  if (slot == 0) {
    if (s.Slots.size() > MaxSlots)
      throw EOSError("Error creating window: too many windows");
    slot = s.Slots.size();
    s.Slots.emplace_back();
  }
  TState::TSlot& entry = s.Slots[slot];
  entry.Generation = static_cast<Word>(entry.Generation % 0x7FFF + 1);
  entry.Wnd = std::make_unique<TWnd>();
  entry.Wnd->Handle = (static_cast<HWND>(entry.Generation) << 16) | slot;
  return entry.Wnd.get();
}

void FreeWindow(TWnd* w)
{
  State().Slots[w->Handle & 0xFFFF].Wnd.reset();
}

void Unlink(TWnd* w)
{
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

bool IsTopMost(const TWnd* w)
{
  return (w->ExStyle & WS_EX_TOPMOST) != 0;
}

// Puts a top-level window at the front of its band (topmost or normal), then its owned
// windows in front of it, so owned windows stay above their owners.
void BringTopLevelToFront(TWnd* w)
{
  auto& list = State().TopLevels;
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  auto pos = list.begin();
  if (!IsTopMost(w))
    while (pos != list.end() && IsTopMost(*pos))
      ++pos;
  list.insert(pos, w);
  std::vector<TWnd*> owned;
  for (TWnd* other : list)
    if (other->Owner == w)
      owned.push_back(other);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it)
    if (IsTopMost(*it) || !IsTopMost(w))
      BringTopLevelToFront(*it);
}

void PlaceInZOrder(TWnd* w, HWND insertAfter)
{
  if (!w->Parent && !w->MessageOnly) {
    if (insertAfter == HWND_TOPMOST)
      w->ExStyle |= WS_EX_TOPMOST;
    else if (insertAfter == HWND_NOTOPMOST)
      w->ExStyle &= ~WS_EX_TOPMOST;
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
      BringTopLevelToFront(w);
      return;
    }
  }
  auto& list = SiblingList(w);
  list.erase(std::remove(list.begin(), list.end(), w), list.end());
  if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    list.insert(list.begin(), w);
    return;
  }
  if (insertAfter == HWND_BOTTOM) {
    list.push_back(w);
    return;
  }
  TWnd* after = FromHandle(insertAfter);
  auto it = std::find(list.begin(), list.end(), after);
  list.insert(it == list.end() ? list.end() : it + 1, w);
}

// Asks the window for its client area inside rect (parent coordinates); returns it in
// window coordinates.
TRect CalcClient(TWnd* w, const TRect& rect)
{
  NCCALCSIZE_PARAMS params;
  params.rgrc[0] = rect;
  HWND h = w->Handle;
  Send(w, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&params));
  if (!FromHandle(h))
    return {};
  TRect c = params.rgrc[0];
  OffsetRect(c, -rect.Left, -rect.Top);
  if (c.Right < c.Left)
    c.Right = c.Left;
  if (c.Bottom < c.Top)
    c.Bottom = c.Top;
  return c;
}

void NotifyBackend(TWnd* w, void (TWindowBackend::*what)(HWND))
{
  if (w->Parent || w->MessageOnly)
    return;
  if (TWindowBackend* b = WindowBackend())
    (b->*what)(w->Handle);
}

void DestroyTree(TWnd* w)
{
  HWND h = w->Handle;
  w->Destroying = true;
  WindowGoingAway(w);
  Send(w, WM_DESTROY, 0, 0);
  if (!(w = FromHandle(h)))
    return;
  std::vector<HWND> children;
  for (TWnd* c : w->Children)
    children.push_back(c->Handle);
  for (HWND c : children)
    if (TWnd* cw = FromHandle(c); cw && !cw->Destroying)
      DestroyTree(cw);
  if (!(w = FromHandle(h)))
    return;
  Send(w, WM_NCDESTROY, 0, 0);
  if (!(w = FromHandle(h)))
    return;
  NotifyBackend(w, &TWindowBackend::WindowDestroyed);
  ReleaseDcsOf(h);
  Unlink(w);
  for (TWnd* top : State().TopLevels)
    if (top->Owner == w)
      top->Owner = nullptr;
  FreeWindow(w);
}

// Takes a window that was never created (a WH_CBT hook refused it) out again, unheard.
void DiscardWindow(TWnd* w)
{
  Unlink(w);
  FreeWindow(w);
}

// The deepest window under a screen point among list (front first).
HWND HitTestIn(const std::vector<TWnd*>& list, TPoint pt, bool topLevel)
{
  std::vector<HWND> handles;
  for (TWnd* w : list)
    handles.push_back(w->Handle);
  for (HWND h : handles) {
    TWnd* w = FromHandle(h);
    if (!w || !(w->Style & WS_VISIBLE) || w->Destroying)
      continue;
    if (!topLevel && (w->Style & WS_DISABLED))
      continue;
    TRect r = ScreenRect(w);
    if (!PtInRect(r, pt))
      continue;
    if (w->WindowRgn && !w->WindowRgn->Contains(pt.X - r.Left, pt.Y - r.Top))
      continue;
    TRect client = w->Client;
    OffsetRect(client, r.Left, r.Top);
    if (PtInRect(client, pt) && !(topLevel && (w->Style & WS_DISABLED))) {
      if (HWND inner = HitTestIn(w->Children, pt, false))
        return inner;
    }
    LRESULT ht = Send(w, WM_NCHITTEST, 0, PointToLParam(pt));
    if (ht == HTTRANSPARENT)
      continue;
    return h;
  }
  return 0;
}

} // namespace

TRegion VisibleRegion(const TWnd* w, bool includeFrame)
{
  // Work in screen coordinates, then move to the window's.
  TRect r = ScreenRect(w);
  TRect area = r;
  if (!includeFrame) {
    TPoint c = ClientOrigin(w);
    area = Bounds(c.X, c.Y, w->Client.Width(), w->Client.Height());
  }
  TRegion rgn(area);
  if (w->WindowRgn) {
    TRegion shape = *w->WindowRgn;
    shape.Offset(r.Left, r.Top);
    rgn = rgn.Combine(shape, RGN_AND);
  }
  if (!includeFrame && (w->Style & WS_CLIPCHILDREN))
    for (const TWnd* c : w->Children)
      if ((c->Style & WS_VISIBLE) && !c->Destroying)
        rgn = rgn.Combine(TRegion(ScreenRect(c)), RGN_DIFF);
  for (const TWnd* x = w; x->Parent; x = x->Parent) {
    const TWnd* p = x->Parent;
    TPoint pc = ClientOrigin(p);
    rgn = rgn.Intersect(Bounds(pc.X, pc.Y, p->Client.Width(), p->Client.Height()));
    for (const TWnd* sib : p->Children) {
      if (sib == x)
        break;
      if ((sib->Style & WS_VISIBLE) && !sib->Destroying)
        rgn = rgn.Combine(TRegion(ScreenRect(sib)), RGN_DIFF);
    }
  }
  TPoint origin = includeFrame ? WindowOrigin(w) : ClientOrigin(w);
  rgn.Offset(-origin.X, -origin.Y);
  return rgn;
}

} // namespace wm

using namespace wm;

// ---- Classes ------------------------------------------------------------------------------

bool RegisterClass(const WNDCLASS& wc)
{
  if (wc.lpszClassName.empty() || FindWndClass(wc.lpszClassName))
    return false;
  State().Classes.push_back(wc);
  return true;
}

bool UnregisterClass(const AnsiString& className)
{
  auto& classes = State().Classes;
  for (auto it = classes.begin(); it != classes.end(); ++it)
    if (AnsiCompareText(it->lpszClassName, className) == 0) {
      classes.erase(it);
      return true;
    }
  return false;
}

bool GetClassInfo(const AnsiString& className, WNDCLASS& wc)
{
  WNDCLASS* found = FindWndClass(className);
  if (!found)
    return false;
  wc = *found;
  return true;
}

AnsiString GetClassName(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w ? w->ClassName : AnsiString();
}

// ---- Creation and destruction -----------------------------------------------------------

HWND CreateWindowEx(DWORD exStyle, const AnsiString& className, const AnsiString& windowName,
                    DWORD style, Integer x, Integer y, Integer width, Integer height, HWND parent,
                    void* param)
{
  WNDCLASS* wc = FindWndClass(className);
  if (!wc)
    throw EOSError("Cannot create window: class \"" + className + "\" is not registered");
  TWnd* parentWnd = nullptr;
  bool messageOnly = parent == HWND_MESSAGE;
  if (!messageOnly && parent) {
    parentWnd = FromHandle(parent);
    if (!parentWnd)
      throw EOSError("Cannot create window: invalid parent window handle");
  }
  if ((style & WS_CHILD) && !parentWnd)
    throw EOSError("Cannot create window: a child window needs a parent");

  TWnd* w = AllocateWindow();
  HWND h = w->Handle;
  w->ClassName = wc->lpszClassName;
  w->ClassStyle = wc->style;
  w->Background = wc->hbrBackground;
  w->Proc = wc->lpfnWndProc ? wc->lpfnWndProc : &DefWindowProc;
  w->Style = style & ~WS_VISIBLE;
  w->ExStyle = exStyle;
  w->Text = windowName;
  w->MessageOnly = messageOnly;
  w->Rect = Bounds(x, y, std::max(width, 0), std::max(height, 0));
  w->NormalRect = w->Rect;
  for (SCROLLINFO& si : w->Scroll)
    si.nMax = 100;
  if (style & WS_CHILD) {
    w->Parent = parentWnd;
    parentWnd->Children.push_back(w);
  } else if (messageOnly) {
    State().MessageOnly.push_back(w);
  } else {
    w->Owner = TopLevelOf(parentWnd);
    w->Surface = std::make_unique<TImageSurface>(std::max(width, 1), std::max(height, 1), 0xFFFFFF);
    BringTopLevelToFront(w);
  }

  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG_PTR>(style);
  cs.lpszName = windowName;
  cs.lpszClass = wc->lpszClassName;
  cs.dwExStyle = exStyle;
  LPARAM lp = reinterpret_cast<LPARAM>(&cs);
  CBT_CREATEWND cbt;
  cbt.lpcs = &cs;
  cbt.hwndInsertAfter = HWND_TOP;
  if (CbtVeto(HCBT_CREATEWND, h, reinterpret_cast<LPARAM>(&cbt))) {
    if ((w = FromHandle(h)))
      DiscardWindow(w); // it never was: no messages
    return 0;
  }
  if (!(w = FromHandle(h)))
    return 0;
  if (!Send(w, WM_NCCREATE, 0, lp)) {
    DestroyWindow(h);
    return 0;
  }
  if (!(w = FromHandle(h)))
    return 0;
  w->Client = CalcClient(w, w->Rect);
  if (!(w = FromHandle(h)))
    return 0;
  if (Send(w, WM_CREATE, 0, lp) == -1) {
    DestroyWindow(h);
    return 0;
  }
  if (!(w = FromHandle(h)))
    return 0;
  w->Created = true;
  Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->Client.Width(), w->Client.Height()));
  if ((w = FromHandle(h)))
    Send(w, WM_MOVE, 0, MAKELPARAM(w->Rect.Left + w->Client.Left, w->Rect.Top + w->Client.Top));
  if (!FromHandle(h))
    return 0;
  if (style & WS_VISIBLE)
    ShowWindow(h, (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW);
  return FromHandle(h) ? h : 0;
}

bool DestroyWindow(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  if (!w || w->Destroying)
    return w != nullptr;
  if (CbtVeto(HCBT_DESTROYWND, hwnd, 0))
    return false;
  if (!(w = FromHandle(hwnd)))
    return true;
  // Owned windows go first, then the window hides and its tree is destroyed.
  std::vector<HWND> owned;
  for (TWnd* top : State().TopLevels)
    if (top->Owner == w)
      owned.push_back(top->Handle);
  for (HWND o : owned)
    DestroyWindow(o);
  if (!(w = FromHandle(hwnd)))
    return true;
  if (w->Style & WS_VISIBLE)
    SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if ((w = FromHandle(hwnd)))
    DestroyTree(w);
  return true;
}

bool IsWindow(HWND hwnd)
{
  return FromHandle(hwnd) != nullptr;
}

// ---- Tree ---------------------------------------------------------------------------------

HWND GetParent(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  if (w->Parent)
    return w->Parent->Handle;
  return w->Owner ? w->Owner->Handle : 0;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  switch (flags) {
  case GA_PARENT:
    return w->Parent ? w->Parent->Handle : GetDesktopWindow();
  case GA_ROOT:
    return TopLevelOf(w)->Handle;
  case GA_ROOTOWNER: {
    TWnd* t = TopLevelOf(w);
    while (t->Owner)
      t = TopLevelOf(t->Owner);
    return t->Handle;
  }
  }
  return 0;
}

HWND GetWindow(HWND hwnd, UINT relation)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  if (relation == GW_CHILD)
    return w->Children.empty() ? 0 : w->Children.front()->Handle;
  if (relation == GW_OWNER)
    return w->Owner ? w->Owner->Handle : 0;
  auto& list = SiblingList(w);
  auto it = std::find(list.begin(), list.end(), w);
  switch (relation) {
  case GW_HWNDFIRST:
    return list.front()->Handle;
  case GW_HWNDLAST:
    return list.back()->Handle;
  case GW_HWNDNEXT:
    return it + 1 == list.end() ? 0 : (*(it + 1))->Handle;
  case GW_HWNDPREV:
    return it == list.begin() ? 0 : (*(it - 1))->Handle;
  }
  return 0;
}

HWND GetTopWindow(HWND hwnd)
{
  if (hwnd == 0)
    return State().TopLevels.empty() ? 0 : State().TopLevels.front()->Handle;
  return GetWindow(hwnd, GW_CHILD);
}

HWND SetParent(HWND child, HWND newParent)
{
  TWnd* w = FromHandle(child);
  TWnd* np = newParent ? FromHandle(newParent) : nullptr;
  if (!w || (newParent && !np) || w == np)
    return 0;
  for (TWnd* p = np; p; p = p->Parent)
    if (p == w)
      return 0; // a window cannot become its own descendant
  HWND old = w->Parent ? w->Parent->Handle : 0;
  bool visible = (w->Style & WS_VISIBLE) != 0;
  if (visible)
    ExposeArea(w->Parent, w->Rect);
  if (!w->Parent && !w->MessageOnly)
    NotifyBackend(w, &TWindowBackend::WindowHidden);
  Unlink(w);
  if (np) {
    w->Parent = np;
    w->Owner = nullptr;
    w->MessageOnly = false;
    w->Surface.reset();
    w->Style = (w->Style | WS_CHILD) & ~WS_POPUP;
    np->Children.insert(np->Children.begin(), w);
  } else {
    w->Parent = nullptr;
    w->Style = (w->Style & ~WS_CHILD) | WS_POPUP;
    w->Surface = std::make_unique<TImageSurface>(std::max(w->Rect.Width(), 1),
                                                 std::max(w->Rect.Height(), 1), 0xFFFFFF);
    BringTopLevelToFront(w);
    if (visible)
      NotifyBackend(w, &TWindowBackend::WindowShown);
  }
  if (visible) {
    w->FrameNeeded = true;
    InvalidateAll(w, true);
  }
  return old;
}

bool IsChild(HWND parent, HWND hwnd)
{
  TWnd* p = FromHandle(parent);
  TWnd* w = FromHandle(hwnd);
  if (!p || !w)
    return false;
  for (w = w->Parent; w; w = w->Parent)
    if (w == p)
      return true;
  return false;
}

HWND GetDesktopWindow()
{
  // The desktop is not a window of ours; a fixed non-zero value stands for it.
  return 0x7FFF0000;
}

HWND FindWindow(const AnsiString& className, const AnsiString& windowName)
{
  for (TWnd* w : State().TopLevels) {
    if (!className.empty() && AnsiCompareText(w->ClassName, className) != 0)
      continue;
    if (!windowName.empty() && w->Text != windowName)
      continue;
    return w->Handle;
  }
  return 0;
}

// ---- Window data ---------------------------------------------------------------------------

LONG_PTR GetWindowLong(HWND hwnd, Integer index)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  switch (index) {
  case GWL_STYLE:
    return static_cast<LONG_PTR>(w->Style);
  case GWL_EXSTYLE:
    return static_cast<LONG_PTR>(w->ExStyle);
  case GWL_WNDPROC:
    return reinterpret_cast<LONG_PTR>(w->Proc);
  case GWL_ID:
    return w->Id;
  case GWL_USERDATA:
    return w->UserData;
  case GWL_HWNDPARENT:
    return static_cast<LONG_PTR>(GetParent(hwnd));
  }
  return 0;
}

LONG_PTR SetWindowLong(HWND hwnd, Integer index, LONG_PTR value)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return 0;
  LONG_PTR old = GetWindowLong(hwnd, index);
  switch (index) {
  case GWL_STYLE:
  case GWL_EXSTYLE: {
    DWORD v = static_cast<DWORD>(value);
    WPARAM which = static_cast<WPARAM>(index);
    Send(w, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&v));
    if (!(w = FromHandle(hwnd)))
      return old;
    if (index == GWL_STYLE)
      w->Style = v;
    else
      w->ExStyle = v;
    Send(w, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&v));
    break;
  }
  case GWL_WNDPROC:
    w->Proc = value ? reinterpret_cast<WNDPROC>(value) : &DefWindowProc;
    break;
  case GWL_ID:
    w->Id = value;
    break;
  case GWL_USERDATA:
    w->UserData = value;
    break;
  case GWL_HWNDPARENT:
    if (!w->Parent) {
      TWnd* owner = FromHandle(static_cast<HWND>(value));
      w->Owner = TopLevelOf(owner);
    }
    break;
  }
  return old;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!proc || !FromHandle(hwnd))
    return 0;
  return proc(hwnd, msg, wParam, lParam);
}

void SetWindowObject(HWND hwnd, TObject* obj)
{
  if (TWnd* w = FromHandle(hwnd))
    w->Object = obj;
}

TObject* GetWindowObject(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w ? w->Object : nullptr;
}

AnsiString GetWindowText(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return {};
  LRESULT len = Send(w, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0)
    return {};
  std::string buffer(static_cast<std::size_t>(len) + 1, '\0');
  if (!(w = FromHandle(hwnd)))
    return {};
  LRESULT got = Send(w, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
  buffer.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, len)));
  return buffer;
}

bool SetWindowText(HWND hwnd, const AnsiString& text)
{
  TWnd* w = FromHandle(hwnd);
  return w && Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

// ---- Visibility and enabling ------------------------------------------------------------

bool ShowWindow(HWND hwnd, Integer cmd)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  bool wasVisible = (w->Style & WS_VISIBLE) != 0;
  switch (cmd) {
  case SW_SHOWMAXIMIZED:
  case SW_MINIMIZE:
  case SW_SHOWMINIMIZED:
  case SW_SHOWMINNOACTIVE:
  case SW_RESTORE:
    if (CbtVeto(HCBT_MINMAX, hwnd, cmd) || !(w = FromHandle(hwnd)))
      return wasVisible;
    break;
  }
  if (cmd == SW_HIDE) {
    if (!wasVisible)
      return false;
    Send(w, WM_SHOWWINDOW, 0, 0);
    SetWindowPos(hwnd, 0, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }
  UINT flags = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
  bool activate = cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE;
  if (!activate || w->Parent)
    flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  TRect target = w->Rect;
  if (cmd == SW_SHOWMAXIMIZED) {
    if (w->ShowState != SW_SHOWMAXIMIZED)
      w->NormalRect = w->Rect;
    w->ShowState = SW_SHOWMAXIMIZED;
    w->Style |= WS_MAXIMIZE;
    // A maximized child fills its parent's client area, a top-level window the screen.
    TSize area = WindowBackend() ? WindowBackend()->ScreenSize() : TSize{1024, 768};
    if (w->Parent)
      area = {w->Parent->Client.Width(), w->Parent->Client.Height()};
    target = Bounds(0, 0, area.cx, area.cy);
    flags &= ~(SWP_NOSIZE | SWP_NOMOVE);
  } else if ((cmd == SW_RESTORE || cmd == SW_SHOWNORMAL) && w->ShowState != SW_SHOWNORMAL) {
    w->ShowState = SW_SHOWNORMAL;
    w->Style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    target = w->NormalRect;
    flags &= ~(SWP_NOSIZE | SWP_NOMOVE);
  } else if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE) {
    w->ShowState = SW_SHOWMINIMIZED;
    w->Style |= WS_MINIMIZE;
  }
  if (!wasVisible) {
    Send(w, WM_SHOWWINDOW, 1, 0);
    if (!FromHandle(hwnd))
      return false;
  }
  SetWindowPos(hwnd, HWND_TOP, target.Left, target.Top, target.Width(), target.Height(), flags);
  return wasVisible;
}

bool IsWindowVisible(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w && VisibleChain(w);
}

bool EnableWindow(HWND hwnd, bool enable)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (wasDisabled == !enable)
    return wasDisabled;
  if (enable) {
    w->Style &= ~WS_DISABLED;
  } else {
    w->Style |= WS_DISABLED;
    CancelModeOnDisable(w);
    if (!(w = FromHandle(hwnd)))
      return wasDisabled;
  }
  Send(w, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

bool IsWindowEnabled(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w && !(w->Style & WS_DISABLED);
}

bool IsIconic(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w && (w->Style & WS_MINIMIZE);
}

bool IsZoomed(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w && (w->Style & WS_MAXIMIZE);
}

// ---- Position and size ---------------------------------------------------------------------

namespace {

// Maximized children fill their parent's client area whenever it changes size, as they do
// when they are maximized (ShowWindow).
void FollowClientArea(TWnd* parent)
{
  const HWND self = parent->Handle;
  std::vector<HWND> maximized;
  for (TWnd* c : parent->Children)
    if (c->ShowState == SW_SHOWMAXIMIZED)
      maximized.push_back(c->Handle);
  for (HWND c : maximized) {
    TWnd* p = FromHandle(self);
    if (!p || !FromHandle(c))
      return;
    SetWindowPos(c, 0, 0, 0, p->Client.Width(), p->Client.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

} // namespace

bool SetWindowPos(HWND hwnd, HWND insertAfter, Integer x, Integer y, Integer cx, Integer cy,
                  UINT flags)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  WINDOWPOS wp;
  wp.hwnd = hwnd;
  wp.hwndInsertAfter = insertAfter;
  wp.x = (flags & SWP_NOMOVE) ? w->Rect.Left : x;
  wp.y = (flags & SWP_NOMOVE) ? w->Rect.Top : y;
  wp.cx = (flags & SWP_NOSIZE) ? w->Rect.Width() : std::max(cx, 0);
  wp.cy = (flags & SWP_NOSIZE) ? w->Rect.Height() : std::max(cy, 0);
  wp.flags = flags;
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = FromHandle(hwnd)))
      return false;
    flags = wp.flags;
  }
  TRect oldRect = w->Rect;
  const TSize oldClient{w->Client.Width(), w->Client.Height()};
  bool wasVisible = (w->Style & WS_VISIBLE) != 0;
  TRect newRect = Bounds(wp.x, wp.y, std::max(wp.cx, 0), std::max(wp.cy, 0));
  bool moved = newRect.Left != oldRect.Left || newRect.Top != oldRect.Top;
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (!moved)
    flags |= SWP_NOMOVE;
  if (!sized)
    flags |= SWP_NOSIZE;

  bool show = (flags & SWP_SHOWWINDOW) && !wasVisible;
  bool hide = (flags & SWP_HIDEWINDOW) && wasVisible;
  if (hide)
    WindowGoingAway(w);
  if (!(w = FromHandle(hwnd)))
    return false;
  // SWP_NOREDRAW: nothing is repainted, neither the window nor what it uncovers.
  const bool redraw = !(flags & SWP_NOREDRAW);
  if (redraw && wasVisible && (moved || sized || hide) && w->Parent)
    ExposeArea(w->Parent, oldRect);
  if (redraw && wasVisible && hide && !w->Parent)
    ExposeArea(nullptr, oldRect);

  w->Rect = newRect;
  if (sized || (flags & SWP_FRAMECHANGED)) {
    w->Client = CalcClient(w, newRect);
    if (!(w = FromHandle(hwnd)))
      return false;
    ResizeSurface(w);
  }
  if (!(flags & SWP_NOZORDER))
    PlaceInZOrder(w, wp.hwndInsertAfter);
  if (show)
    w->Style |= WS_VISIBLE;
  if (hide)
    w->Style &= ~WS_VISIBLE;

  bool visibleNow = (w->Style & WS_VISIBLE) != 0;
  if (redraw && visibleNow &&
      (show || sized || moved || (flags & SWP_FRAMECHANGED) || !(flags & SWP_NOZORDER))) {
    if (show || sized || (flags & SWP_FRAMECHANGED) || w->Parent) {
      w->FrameNeeded = true;
      InvalidateAll(w, true);
    }
  }
  TWindowBackend* b = WindowBackend();
  if (b && !w->Parent && !w->MessageOnly) {
    if (show)
      b->WindowShown(hwnd);
    else if (hide)
      b->WindowHidden(hwnd);
    else if (moved || sized)
      b->WindowMoved(hwnd);
  }
  wp.flags = flags;
  Send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  if (!(w = FromHandle(hwnd)))
    return true;
  if (w->Client.Width() != oldClient.cx || w->Client.Height() != oldClient.cy)
    FollowClientArea(w);
  if (!(w = FromHandle(hwnd)))
    return true;
  if (show && !w->Parent && !(flags & SWP_NOACTIVATE) && !w->MessageOnly)
    ActivateTopLevel(w, WA_ACTIVE);
  return true;
}

bool MoveWindow(HWND hwnd, Integer x, Integer y, Integer width, Integer height, bool repaint)
{
  return SetWindowPos(hwnd, 0, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : UINT(SWP_NOREDRAW)));
}

bool BringWindowToTop(HWND hwnd)
{
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& wp)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  wp.showCmd = static_cast<UINT>(w->ShowState);
  wp.rcNormalPosition = w->ShowState == SW_SHOWNORMAL ? w->Rect : w->NormalRect;
  return true;
}

bool SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT& wp)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  w->NormalRect = wp.rcNormalPosition;
  if (w->ShowState == SW_SHOWNORMAL) {
    const TRect& r = wp.rcNormalPosition;
    SetWindowPos(hwnd, 0, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (static_cast<Integer>(wp.showCmd) != w->ShowState && (w->Style & WS_VISIBLE))
    ShowWindow(hwnd, static_cast<Integer>(wp.showCmd));
  return true;
}

bool GetWindowRect(HWND hwnd, TRect& rect)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  rect = ScreenRect(w);
  return true;
}

bool GetClientRect(HWND hwnd, TRect& rect)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  rect = Rect(0, 0, w->Client.Width(), w->Client.Height());
  return true;
}

Integer MapWindowPoints(HWND from, HWND to, TPoint* points, Integer count)
{
  TPoint a{0, 0}, b{0, 0};
  if (from) {
    TWnd* w = FromHandle(from);
    if (!w)
      return 0;
    a = ClientOrigin(w);
  }
  if (to) {
    TWnd* w = FromHandle(to);
    if (!w)
      return 0;
    b = ClientOrigin(w);
  }
  Integer dx = a.X - b.X, dy = a.Y - b.Y;
  for (Integer i = 0; i < count; ++i) {
    points[i].X += dx;
    points[i].Y += dy;
  }
  return static_cast<Integer>(MAKELPARAM(dx, dy));
}

bool ClientToScreen(HWND hwnd, TPoint& point)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  TPoint o = ClientOrigin(w);
  point.X += o.X;
  point.Y += o.Y;
  return true;
}

bool ScreenToClient(HWND hwnd, TPoint& point)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  TPoint o = ClientOrigin(w);
  point.X -= o.X;
  point.Y -= o.Y;
  return true;
}

HWND WindowFromPoint(TPoint screenPoint)
{
  return HitTestIn(State().TopLevels, screenPoint, true);
}

HWND ChildWindowFromPoint(HWND parent, TPoint clientPoint)
{
  TWnd* p = FromHandle(parent);
  if (!p)
    return 0;
  TPoint o = ClientOrigin(p);
  TPoint pt{clientPoint.X + o.X, clientPoint.Y + o.Y};
  for (TWnd* c : p->Children) {
    if (!(c->Style & WS_VISIBLE))
      continue;
    TRect r = ScreenRect(c);
    if (PtInRect(r, pt) && (!c->WindowRgn || c->WindowRgn->Contains(pt.X - r.Left, pt.Y - r.Top)))
      return c->Handle;
  }
  return PtInRect(Rect(0, 0, p->Client.Width(), p->Client.Height()), clientPoint) ? parent : 0;
}

bool SetWindowRgn(HWND hwnd, const TRegion* region, bool redraw)
{
  TWnd* w = FromHandle(hwnd);
  if (!w)
    return false;
  if (w->Style & WS_VISIBLE) {
    if (w->Parent)
      ExposeArea(w->Parent, w->Rect);
    else
      ExposeArea(nullptr, w->Rect);
  }
  w->WindowRgn = region ? std::make_unique<TRegion>(*region) : nullptr;
  if (redraw && (w->Style & WS_VISIBLE)) {
    w->FrameNeeded = true;
    InvalidateAll(w, true);
  }
  return true;
}

bool GetWindowRgn(HWND hwnd, TRegion& region)
{
  TWnd* w = FromHandle(hwnd);
  if (!w || !w->WindowRgn)
    return false;
  region = *w->WindowRgn;
  return true;
}

void EnumTopLevelWindows(std::vector<HWND>& result)
{
  result.clear();
  for (TWnd* w : State().TopLevels)
    result.push_back(w->Handle);
}

TImageSurface* WindowSurface(HWND hwnd)
{
  TWnd* w = FromHandle(hwnd);
  return w ? w->Surface.get() : nullptr;
}

void ResetWindowManager()
{
  TState& s = State();
  s.Hooks.clear(); // a test's hook may not keep its windows alive
  std::vector<HWND> all;
  for (TWnd* w : s.TopLevels)
    all.push_back(w->Handle);
  for (TWnd* w : s.MessageOnly)
    all.push_back(w->Handle);
  for (HWND h : all)
    DestroyWindow(h);
  ResetState();
}
