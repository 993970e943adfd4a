// Showing menus and tracking an open one: popup levels, the menu bar, keys and pointer
// in one modal loop. Menus.h describes the interface.
#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MenusPrivate.h"

namespace {

// The captions shown for a row of sibling items: with automatic hot keys, an item without
// a '&' gets one before the first letter or digit no sibling uses yet.
std::vector<AnsiString> ShownCaptions(const std::vector<TMenuItem*>& items, TMenu* menu)
{
  std::vector<AnsiString> out;
  std::string used;
  for (TMenuItem* item : items) {
    out.push_back(item->Caption());
    if (char k = GetHotkey(item->Caption()))
      used += k;
  }
  if (menu && menu->AutoHotkeys() != maAutomatic)
    return out;
  for (AnsiString& caption : out) {
    if (caption == cLineCaption || GetHotkey(caption) != 0)
      continue;
    for (size_t i = 0; i < caption.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(caption[i]);
      if (c >= 0x81 && c <= 0xFE) {
        ++i;
        continue;
      }
      if (c == '&' || !std::isalnum(c) ||
          used.find(static_cast<char>(std::toupper(c))) != std::string::npos)
        continue;
      used += static_cast<char>(std::toupper(c));
      caption.insert(i, "&");
      break;
    }
  }
  return out;
}

} // namespace

// ---- Showing and tracking ---------------------------------------------------------------------
//
// An open menu is a stack of levels: each level is one non-activating popup window listing
// the visible children of an item. The menu bar (when a form's bar is being tracked) sits
// above the first level. One modal loop takes every message while a menu is open: mouse
// and key messages drive the menu, everything else (timers, paints) is dispatched.

namespace {

const char* const cPopupClass = "TMenuPopupWindow";
constexpr Integer cEdge = 2;    // raised border of an open menu
constexpr Integer cGutter = 22; // check mark or image column
constexpr Integer cArrowColumn = 18;

Integer ItemHeight()
{
  return std::max(GetSystemMetrics(SM_CYMENU), 8);
}
Integer LineHeight()
{
  return 8;
}

struct TLevel {
  HWND Wnd = 0;
  TMenuItem* Parent = nullptr;
  std::vector<TMenuItem*> Items;
  std::vector<AnsiString> Captions;
  std::vector<TRect> Rects; // client coordinates
  Integer Selected = -1;
};

struct TTracker {
  TCustomForm* Form = nullptr; // the form whose bar is tracked (null for a popup menu)
  TMenu* Menu = nullptr;
  Integer BarSelected = -1;
  std::vector<TLevel> Levels;
  TMenuItem* Chosen = nullptr;
  TPopupAlignment Alignment = paLeft;
  bool Done = false;
  HWND CaptureWnd = 0;
};

// What the menus keep: the tracker of the menu open now, and the menu font (made when a
// menu is first drawn).
struct TMenusState {
  TTracker* Tracker = nullptr;
  std::unique_ptr<TFont> Font;
};

TMenusState& MenusState()
{
  static TMenusState state;
  return state;
}

// The menu font: the system's user-interface font, as forms use it.
TFont* MenuFont()
{
  std::unique_ptr<TFont>& font = MenusState().Font;
  if (!font) {
    font = std::make_unique<TFont>();
    font->SetName("宋体");
    font->SetHeight(-12);
    font->SetCharset(GB2312_CHARSET);
  }
  return font.get();
}

std::vector<TMenuItem*> BarItemsOf(TCustomForm* form)
{
  return form && form->Menu() ? form->Menu()->BarItems() : std::vector<TMenuItem*>{};
}

// The bar's band in screen coordinates.
TRect BarBand(TCustomForm* form)
{
  Integer h = MenuBarHeight(form);
  TPoint origin{0, 0};
  ::ClientToScreen(form->Handle(), origin);
  return Rect(origin.X, origin.Y - h, origin.X + form->ClientWidth(), origin.Y);
}

// Screen rectangles of the bar's items.
std::vector<TRect> BarRects(TCustomForm* form, const std::vector<AnsiString>& captions)
{
  std::vector<TRect> out;
  TRect band = BarBand(form);
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(MenuFont());
  Integer x = band.Left;
  for (const AnsiString& caption : captions) {
    Integer w = c->TextWidth(StripHotkey(caption)) + 14;
    out.push_back(Rect(x, band.Top, x + w, band.Bottom));
    x += w;
  }
  ReleaseDC(0, dc);
  return out;
}

bool Selectable(TMenuItem* item)
{
  return !item->IsLine();
}

void DrawCaption(TCanvas* c, const AnsiString& caption, TRect r, TColor color, UINT flags)
{
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(color);
  c->DrawText(caption, r, flags | DT_SINGLELINE | DT_VCENTER);
  c->Brush()->SetStyle(bsSolid);
}

void DrawCheck(TCanvas* c, TRect r, bool radio, TColor color)
{
  Integer cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  c->Pen()->SetColor(color);
  if (radio) {
    c->Brush()->SetColor(color);
    c->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
    return;
  }
  for (Integer i = 0; i < 3; ++i) {
    c->MoveTo(cx - 3, cy - 1 + i);
    c->LineTo(cx - 1, cy + 1 + i);
    c->LineTo(cx + 4, cy - 4 + i);
  }
}

void DrawArrow(TCanvas* c, TRect r, TColor color)
{
  Integer cx = r.Right - cArrowColumn / 2, cy = r.Top + r.Height() / 2;
  c->Pen()->SetColor(color);
  for (Integer i = 0; i < 4; ++i) {
    c->MoveTo(cx - 2 + i, cy - 3 + i);
    c->LineTo(cx - 2 + i, cy + 4 - i);
  }
}

void PaintItem(TCanvas* c, TMenu* menu, TMenuItem* item, const AnsiString& caption, TRect r,
               bool selected)
{
  if (menu && menu->OwnerDraw() && item->OnDrawItem) {
    item->OnDrawItem(item, c, r, selected);
    return;
  }
  c->Brush()->SetColor(selected ? clHighlight : clMenu);
  c->FillRect(r);
  if (item->IsLine()) {
    Integer y = r.Top + r.Height() / 2 - 1;
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(r.Left + 1, y);
    c->LineTo(r.Right - 1, y);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(r.Left + 1, y + 1);
    c->LineTo(r.Right - 1, y + 1);
    return;
  }
  TColor text = !item->Enabled() ? clGrayText : selected ? clHighlightText : clMenuText;
  TRect gutter = Rect(r.Left, r.Top, r.Left + cGutter, r.Bottom);
  TCustomImageList* images = item->GetImageList();
  if (images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count())
    images->Draw(c, gutter.Left + (cGutter - images->Width()) / 2,
                 r.Top + (r.Height() - images->Height()) / 2, item->ImageIndex(), item->Enabled());
  else if (item->HasBitmap() && !item->Bitmap()->Empty())
    c->Draw(gutter.Left + (cGutter - item->Bitmap()->Width()) / 2,
            r.Top + (r.Height() - item->Bitmap()->Height()) / 2, item->Bitmap());
  else if (item->Checked())
    DrawCheck(c, gutter, item->RadioItem(), text);
  c->Font()->SetStyle(item->Default() ? TFontStyles{fsBold} : TFontStyles{});
  TRect label = Rect(r.Left + cGutter, r.Top, r.Right - cArrowColumn, r.Bottom);
  DrawCaption(c, caption, label, text, DT_LEFT);
  if (item->ShortCut() != 0)
    DrawCaption(c, ShortCutToText(item->ShortCut()), label, text, DT_RIGHT | DT_NOPREFIX);
  if (item->Count() > 0)
    DrawArrow(c, r, text);
}

void PaintLevel(TLevel& level, TCanvas* c, TMenu* menu)
{
  TRect client;
  GetClientRect(level.Wnd, client);
  c->SetFont(MenuFont());
  c->Brush()->SetColor(clMenu);
  c->FillRect(client);
  TRect edge = client;
  DrawEdge(c, edge, EDGE_RAISED, BF_RECT);
  for (size_t i = 0; i < level.Items.size(); ++i)
    PaintItem(c, menu, level.Items[i], level.Captions[i], level.Rects[i],
              static_cast<Integer>(i) == level.Selected);
}

LRESULT PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, ps);
    if (MenusState().Tracker)
      for (TLevel& level : MenusState().Tracker->Levels)
        if (level.Wnd == hwnd)
          if (TCanvas* c = CanvasFromDC(ps.hdc))
            PaintLevel(level, c, MenusState().Tracker->Menu);
    EndPaint(hwnd, ps);
    return 0;
  }
  }
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

// Lays out the level's items and shows its window with its top-left at (x, y), kept on
// the screen.
void ShowLevel(TTracker& t, TLevel& level, Integer x, Integer y, TPopupAlignment alignment)
{
  level.Items = VisibleChildren(level.Parent);
  level.Captions = ShownCaptions(level.Items, t.Menu);
  HDC dc = GetDC(0);
  TCanvas* c = CanvasFromDC(dc);
  c->SetFont(MenuFont());
  Integer textW = 0, keyW = 0, top = cEdge;
  std::vector<Integer> heights;
  for (size_t i = 0; i < level.Items.size(); ++i) {
    TMenuItem* item = level.Items[i];
    Integer w = c->TextWidth(StripHotkey(level.Captions[i]));
    Integer h = item->IsLine() ? LineHeight() : ItemHeight();
    if (t.Menu && t.Menu->OwnerDraw() && item->OnMeasureItem)
      item->OnMeasureItem(item, c, w, h);
    textW = std::max(textW, w);
    if (item->ShortCut() != 0)
      keyW = std::max(keyW, c->TextWidth(ShortCutToText(item->ShortCut())));
    heights.push_back(h);
  }
  ReleaseDC(0, dc);
  Integer width = cEdge * 2 + cGutter + textW + (keyW ? keyW + 20 : 0) + cArrowColumn;
  level.Rects.clear();
  for (Integer h : heights) {
    level.Rects.push_back(Rect(cEdge, top, width - cEdge, top + h));
    top += h;
  }
  Integer height = top + cEdge;
  if (alignment == paRight)
    x -= width;
  else if (alignment == paCenter)
    x -= width / 2;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  x = std::max(0, std::min(x, sw - width));
  y = std::max(0, std::min(y, sh - height));
  WNDCLASS wc;
  wc.lpszClassName = cPopupClass;
  wc.lpfnWndProc = &PopupProc;
  wc.style = CS_SAVEBITS;
  RegisterClass(wc); // false when it is registered already
  level.Wnd = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, cPopupClass, "",
                             WS_POPUP, x, y, width, height, 0);
  SetWindowPos(level.Wnd, HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void RedrawLevel(TLevel& level)
{
  InvalidateRect(level.Wnd, nullptr, false);
}

void PaintBar(TCustomForm* form, Integer selected);

void RedrawBar(TTracker& t)
{
  if (t.Form && t.Form->HandleAllocated())
    PaintBar(t.Form, t.BarSelected);
}

void CloseLevelsFrom(TTracker& t, size_t from)
{
  while (t.Levels.size() > from) {
    HWND h = t.Levels.back().Wnd;
    t.Levels.pop_back();
    if (h == t.CaptureWnd)
      t.CaptureWnd = 0;
    DestroyWindow(h);
  }
}

Integer FirstSelectable(const TLevel& level, Integer from, Integer step)
{
  Integer n = static_cast<Integer>(level.Items.size());
  for (Integer k = 0; k < n; ++k) {
    Integer i = ((from + step * k) % n + n) % n;
    if (Selectable(level.Items[static_cast<size_t>(i)]))
      return i;
  }
  return -1;
}

// Opens the submenu of an item (its OnClick runs first, so it can fill the submenu).
void OpenSubmenu(TTracker& t, TMenuItem* item, TPoint at, bool selectFirst)
{
  item->Click();
  if (item->Count() == 0 || t.Done)
    return;
  TLevel level;
  level.Parent = item;
  t.Levels.push_back(level);
  ShowLevel(t, t.Levels.back(), at.X, at.Y, t.Levels.size() == 1 ? t.Alignment : paLeft);
  if (selectFirst)
    t.Levels.back().Selected = FirstSelectable(t.Levels.back(), 0, 1);
}

void OpenBarItem(TTracker& t, Integer index, bool selectFirst)
{
  std::vector<TMenuItem*> items = BarItemsOf(t.Form);
  if (index < 0 || index >= static_cast<Integer>(items.size()))
    return;
  CloseLevelsFrom(t, 0);
  t.BarSelected = index;
  RedrawBar(t);
  TMenuItem* item = items[static_cast<size_t>(index)];
  if (!item->Enabled())
    return; // a disabled bar item stays closed
  if (item->Count() == 0) {
    // A command on the bar itself.
    t.Chosen = item;
    t.Done = true;
    return;
  }
  std::vector<TRect> rects = BarRects(t.Form, ShownCaptions(items, t.Menu));
  TRect r = rects[static_cast<size_t>(index)];
  OpenSubmenu(t, item, Point(r.Left, r.Bottom), selectFirst);
}

void SelectInLevel(TTracker& t, size_t levelIndex, Integer index, bool openSub, bool selectFirst)
{
  TLevel& level = t.Levels[levelIndex];
  if (level.Selected != index) {
    CloseLevelsFrom(t, levelIndex + 1);
    level.Selected = index;
    RedrawLevel(level);
  }
  if (!openSub || index < 0 || t.Levels.size() > levelIndex + 1)
    return;
  TMenuItem* item = level.Items[static_cast<size_t>(index)];
  if (item->Count() == 0 || !item->Enabled())
    return;
  TRect wr;
  GetWindowRect(level.Wnd, wr);
  OpenSubmenu(t, item,
              Point(wr.Right - 3, wr.Top + level.Rects[static_cast<size_t>(index)].Top - cEdge),
              selectFirst);
}

// Where a screen point is: a level and item (item -1 over a level's border), the bar
// (level -1, item the bar index) or nowhere (level -2).
void HitTest(TTracker& t, TPoint p, Integer& levelIndex, Integer& item)
{
  for (size_t l = t.Levels.size(); l-- > 0;) {
    TRect wr;
    GetWindowRect(t.Levels[l].Wnd, wr);
    if (!PtInRect(wr, p))
      continue;
    levelIndex = static_cast<Integer>(l);
    item = -1;
    TPoint local = Point(p.X - wr.Left, p.Y - wr.Top);
    for (size_t i = 0; i < t.Levels[l].Rects.size(); ++i)
      if (PtInRect(t.Levels[l].Rects[i], local))
        item = static_cast<Integer>(i);
    return;
  }
  if (t.Form) {
    std::vector<TRect> rects = BarRects(t.Form, ShownCaptions(BarItemsOf(t.Form), t.Menu));
    for (size_t i = 0; i < rects.size(); ++i)
      if (PtInRect(rects[i], p)) {
        levelIndex = -1;
        item = static_cast<Integer>(i);
        return;
      }
  }
  levelIndex = -2;
  item = -1;
}

void Choose(TTracker& t, TMenuItem* item)
{
  if (!item->Enabled() || item->IsLine())
    return;
  t.Chosen = item;
  t.Done = true;
}

// The loop has the capture: every pointer message comes as a client one, its point (pt) on
// the screen.
void MouseMessage(TTracker& t, const MSG& m)
{
  Integer l = -2, i = -1;
  HitTest(t, m.pt, l, i);
  switch (m.message) {
  case WM_MOUSEMOVE:
    if (l >= 0 && i >= 0)
      SelectInLevel(t, static_cast<size_t>(l), i, true, false);
    else if (l == -1 && i != t.BarSelected && !t.Levels.empty())
      OpenBarItem(t, i, false);
    else if (l == -1 && i != t.BarSelected) {
      t.BarSelected = i; // the bar entered from the keyboard follows the pointer
      RedrawBar(t);
    }
    return;
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDBLCLK:
    if (l == -2)
      t.Done = true; // a press outside the menu closes it
    else if (l == -1 && i == t.BarSelected && !t.Levels.empty())
      t.Done = true;
    else if (l == -1)
      OpenBarItem(t, i, false);
    else if (i >= 0)
      SelectInLevel(t, static_cast<size_t>(l), i, true, false);
    return;
  case WM_LBUTTONUP:
  case WM_RBUTTONUP:
    if (l >= 0 && i >= 0) {
      TMenuItem* item = t.Levels[static_cast<size_t>(l)].Items[static_cast<size_t>(i)];
      if (item->Count() == 0)
        Choose(t, item);
    }
    return;
  }
}

void MoveOnBar(TTracker& t, Integer step)
{
  Integer n = static_cast<Integer>(BarItemsOf(t.Form).size());
  if (n == 0)
    return;
  Integer next = ((t.BarSelected + step) % n + n) % n;
  if (t.Levels.empty()) {
    t.BarSelected = next;
    RedrawBar(t);
  } else {
    OpenBarItem(t, next, true);
  }
}

void KeyDown(TTracker& t, Word key)
{
  TLevel* level = t.Levels.empty() ? nullptr : &t.Levels.back();
  switch (key) {
  case VK_ESCAPE:
    if (t.Levels.size() > 1 || (t.Form && t.Levels.size() == 1))
      CloseLevelsFrom(t, t.Levels.size() - 1);
    else
      t.Done = true;
    return;
  case VK_MENU:
  case VK_F10:
    t.Done = true;
    return;
  case VK_UP:
  case VK_DOWN: {
    Integer step = key == VK_DOWN ? 1 : -1;
    if (!level) {
      if (key == VK_DOWN)
        OpenBarItem(t, t.BarSelected, true);
      return;
    }
    Integer from = level->Selected < 0 ? (step > 0 ? 0 : -1) : level->Selected + step;
    SelectInLevel(t, t.Levels.size() - 1, FirstSelectable(*level, from, step), false, false);
    return;
  }
  case VK_LEFT:
    if (t.Levels.size() > 1)
      CloseLevelsFrom(t, t.Levels.size() - 1);
    else if (t.Form)
      MoveOnBar(t, -1);
    return;
  case VK_RIGHT:
    if (level && level->Selected >= 0 &&
        level->Items[static_cast<size_t>(level->Selected)]->Count() > 0 &&
        level->Items[static_cast<size_t>(level->Selected)]->Enabled()) {
      CloseLevelsFrom(t, t.Levels.size());
      Integer sel = level->Selected;
      level->Selected = -1;
      SelectInLevel(t, t.Levels.size() - 1, sel, true, true);
    } else if (t.Form) {
      MoveOnBar(t, 1);
    }
    return;
  case VK_RETURN:
    if (!level) {
      OpenBarItem(t, t.BarSelected, true);
    } else if (level->Selected >= 0) {
      TMenuItem* item = level->Items[static_cast<size_t>(level->Selected)];
      if (item->Count() > 0) {
        Integer sel = level->Selected;
        level->Selected = -1;
        SelectInLevel(t, t.Levels.size() - 1, sel, true, true);
      } else {
        Choose(t, item);
      }
    }
    return;
  }
}

// A character picks the item whose hot key it is, in the open menu (or on the bar).
void CharKey(TTracker& t, char ch)
{
  if (static_cast<unsigned char>(ch) < 0x20)
    return; // Enter, Esc and Tab arrive as keys
  char key = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (t.Levels.empty()) {
    std::vector<AnsiString> captions = ShownCaptions(BarItemsOf(t.Form), t.Menu);
    for (size_t i = 0; i < captions.size(); ++i)
      if (GetHotkey(captions[i]) == key) {
        OpenBarItem(t, static_cast<Integer>(i), true);
        return;
      }
    MessageBeep(0);
    return;
  }
  TLevel& level = t.Levels.back();
  for (size_t i = 0; i < level.Captions.size(); ++i) {
    if (GetHotkey(level.Captions[i]) != key)
      continue;
    TMenuItem* item = level.Items[i];
    if (item->Count() > 0) {
      level.Selected = -1;
      SelectInLevel(t, t.Levels.size() - 1, static_cast<Integer>(i), true, true);
    } else {
      SelectInLevel(t, t.Levels.size() - 1, static_cast<Integer>(i), false, false);
      Choose(t, item);
    }
    return;
  }
  MessageBeep(0);
}

// The modal loop of an open menu. Returns the chosen item (null when cancelled).
TMenuItem* RunTracker(TTracker& t)
{
  // Whatever way the loop ends (an exception from a handler included), the menu closes
  // and the outer tracker comes back.
  struct TGuard {
    TTracker& T;
    TTracker* Outer;
    ~TGuard()
    {
      try {
        CloseLevelsFrom(T, 0);
        T.BarSelected = -1;
        RedrawBar(T);
      } catch (...) {
      }
      MenusState().Tracker = Outer;
    }
  } guard{t, MenusState().Tracker};
  MenusState().Tracker = &t;
  if (!t.CaptureWnd && !t.Levels.empty())
    t.CaptureWnd = t.Levels.front().Wnd;
  if (!t.CaptureWnd)
    return nullptr;
  TTrackLoop loop;
  loop.CaptureWindow = t.CaptureWnd;
  loop.FilterCode = MSGF_MENU;
  loop.Name = "the menu loop";
  loop.Running = [&t] { return !t.Done && (t.Form || !t.Levels.empty()); };
  loop.OnMessage = [&t](MSG& m) {
    if (IsMouseMessage(m.message)) {
      MouseMessage(t, m);
      return trHandled;
    }
    switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      TranslateMessage(m);
      KeyDown(t, static_cast<Word>(m.wParam));
      return trHandled;
    case WM_CHAR:
    case WM_SYSCHAR:
      CharKey(t, static_cast<char>(m.wParam & 0xFF));
      return trHandled;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return trHandled;
    }
    return trPass;
  };
  TrackModal(loop);
  return t.Chosen;
}

void TrackBar(TCustomForm* form, TTracker& t)
{
  t.Form = form;
  t.Menu = form->Menu();
  t.CaptureWnd = form->Handle();
  if (TMenuItem* chosen = RunTracker(t))
    chosen->Click();
}

} // namespace

void TPopupMenu::Popup(Integer X, Integer Y)
{
  if (MenusState().Tracker)
    return; // one open menu at a time
  TDestroyWatch watch(this);
  DoPopup(this);
  if (watch.Destroyed())
    return;
  TTracker t;
  t.Menu = this;
  t.Alignment = FAlignment;
  TLevel level;
  level.Parent = Items();
  t.Levels.push_back(level);
  ShowLevel(t, t.Levels.back(), X, Y, FAlignment);
  if (t.Levels.back().Items.empty()) {
    CloseLevelsFrom(t, 0);
    return;
  }
  if (TMenuItem* chosen = RunTracker(t))
    chosen->Click();
}

Integer MenuBarHeight(TCustomForm* Form)
{
  if (!Form || !Form->Menu() || Form->FormStyle() == fsMDIChild)
    return 0;
  return ItemHeight();
}

void PaintMenuBar(TCustomForm* Form)
{
  PaintBar(Form, MenusState().Tracker && MenusState().Tracker->Form == Form
                     ? MenusState().Tracker->BarSelected
                     : -1);
}

namespace {

// Draws the bar with the item at index selected highlighted (-1: none).
void PaintBar(TCustomForm* Form, Integer selected)
{
  if (!Form || !Form->HandleAllocated() || MenuBarHeight(Form) == 0)
    return;
  HWND h = Form->Handle();
  HDC dc = GetWindowDC(h);
  TCanvas* c = CanvasFromDC(dc);
  if (c) {
    TRect window;
    GetWindowRect(h, window);
    TRect band = BarBand(Form);
    std::vector<TMenuItem*> items = BarItemsOf(Form);
    std::vector<AnsiString> captions = ShownCaptions(items, Form->Menu());
    std::vector<TRect> rects = BarRects(Form, captions);
    OffsetRect(band, -window.Left, -window.Top);
    c->SetFont(MenuFont());
    c->Brush()->SetColor(clMenu);
    c->FillRect(band);
    for (size_t i = 0; i < items.size(); ++i) {
      TRect r = rects[i];
      OffsetRect(r, -window.Left, -window.Top);
      bool sel = static_cast<Integer>(i) == selected;
      c->Brush()->SetColor(sel ? clHighlight : clMenu);
      c->FillRect(r);
      TColor text = !items[i]->Enabled() ? clGrayText : sel ? clHighlightText : clMenuText;
      DrawCaption(c, captions[i], r, text, DT_CENTER);
    }
  }
  ReleaseDC(h, dc);
}

} // namespace

void TrackMenuBarMouse(TCustomForm* Form, TPoint Screen)
{
  if (MenusState().Tracker || !Form)
    return;
  TTracker t;
  t.Form = Form;
  t.Menu = Form->Menu();
  Integer l = -2, i = -1;
  HitTest(t, Screen, l, i);
  if (l != -1)
    return;
  OpenBarItem(t, i, false);
  TrackBar(Form, t);
}

void TrackMenuBarKey(TCustomForm* Form, char Key)
{
  if (MenusState().Tracker || !Form || BarItemsOf(Form).empty())
    return;
  TTracker t;
  t.Form = Form;
  t.Menu = Form->Menu();
  if (Key == 0) {
    t.BarSelected = 0;
    RedrawBar(t);
  } else {
    CharKey(t, Key);
    if (t.BarSelected < 0)
      return; // no item has that hot key
  }
  TrackBar(Form, t);
}

TRect MenuItemScreenRect(TMenuItem* Item)
{
  if (!Item)
    return TRect{};
  // An item on a shown form's bar.
  for (Integer f = 0; Screen() && f < Screen()->FormCount(); ++f) {
    TCustomForm* form = Screen()->Forms(f);
    if (MenuBarHeight(form) == 0 || !form->HandleAllocated() || !IsWindowVisible(form->Handle()))
      continue;
    std::vector<TMenuItem*> items = BarItemsOf(form);
    std::vector<TRect> rects = BarRects(form, ShownCaptions(items, form->Menu()));
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i] == Item)
        return rects[i];
  }
  if (!MenusState().Tracker)
    return TRect{};
  for (TLevel& level : MenusState().Tracker->Levels)
    for (size_t i = 0; i < level.Items.size(); ++i)
      if (level.Items[i] == Item) {
        TRect wr;
        GetWindowRect(level.Wnd, wr);
        TRect r = level.Rects[i];
        OffsetRect(r, wr.Left, wr.Top);
        return r;
      }
  return TRect{};
}

bool MenuTracking()
{
  return MenusState().Tracker != nullptr;
}

void ResetMenusState()
{
  if (!MenusState().Tracker) // never under an open menu
    MenusState().Font.reset();
}
