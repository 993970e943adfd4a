// Shared fixture of the window-layer tests: a fresh headless backend per test and a window
// class whose procedure records every message it sees.
#pragma once

#include <functional>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/Forms.h"
#include "platform/ui/Windows.h"
#include "platform/ui/backend/headless/Headless.h"

struct TLoggedMsg {
  HWND Hwnd;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// Messages the log leaves out unless asked: they come in floods and say little.
inline bool NoisyMessage(UINT m)
{
  return m == WM_NCHITTEST || m == WM_SETCURSOR || m == WM_GETTEXT || m == WM_GETTEXTLENGTH ||
         m == WM_NCCALCSIZE || m == WM_WINDOWPOSCHANGING || m == WM_WINDOWPOSCHANGED ||
         m == WM_MOVE || m == WM_SIZE || m == WM_NCPAINT || m == WM_MOUSEACTIVATE ||
         m == WM_NCCREATE || m == WM_CREATE || m == WM_SHOWWINDOW || m == WM_ACTIVATEAPP ||
         m == WM_NCMOUSEMOVE || m == WM_MOUSEMOVE || m == WM_GETMINMAXINFO ||
         m == WM_STYLECHANGING || m == WM_STYLECHANGED;
}

class UiTest : public testing::Test {
public:
  static inline std::vector<TLoggedMsg> Log;
  // Per-window handlers; a handler returns true when it answered (Result set).
  static inline std::map<HWND, std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)>> Handlers;

  static LRESULT CALLBACK_Proc(HWND h, UINT m, WPARAM w, LPARAM l)
  {
    if (!NoisyMessage(m))
      Log.push_back({h, m, w, l});
    auto it = Handlers.find(h);
    if (it != Handlers.end()) {
      LRESULT r = 0;
      auto handler = it->second;
      if (handler(m, w, l, r))
        return r;
    }
    return DefWindowProc(h, m, w, l);
  }

protected:
  void SetUp() override
  {
    Headless().Reset();
    Application()->Restart();
    Log.clear();
    Handlers.clear();
    WNDCLASS wc;
    wc.lpszClassName = "UiTestWindow";
    wc.lpfnWndProc = &CALLBACK_Proc;
    wc.style = CS_DBLCLKS;
    wc.hbrBackground = clWhite + 1;
    RegisterClass(wc);
    WNDCLASS plain = wc;
    plain.lpszClassName = "UiTestPlain";
    plain.style = 0;
    RegisterClass(plain);
  }
  void TearDown() override
  {
    // Forms a test left behind go before their windows do.
    while (Screen()->FormCount() > 0)
      delete Screen()->Forms(Screen()->FormCount() - 1);
    Application()->Restart();
    Application()->OnIdle = nullptr;
    Application()->OnException = nullptr;
    Headless().Reset();
    Handlers.clear();
  }

  static HWND Top(Integer x, Integer y, Integer w, Integer h, DWORD style = WS_POPUP | WS_VISIBLE,
                  DWORD exStyle = 0, HWND owner = 0)
  {
    return CreateWindowEx(exStyle, "UiTestWindow", "", style, x, y, w, h, owner);
  }
  static HWND Child(HWND parent, Integer x, Integer y, Integer w, Integer h,
                    DWORD style = WS_CHILD | WS_VISIBLE, const AnsiString& cls = "UiTestWindow")
  {
    return CreateWindowEx(0, cls, "", style, x, y, w, h, parent);
  }
  // The logged messages of the given numbers, in order.
  static std::vector<TLoggedMsg> Only(std::initializer_list<UINT> msgs)
  {
    std::vector<TLoggedMsg> out;
    for (const TLoggedMsg& m : Log)
      for (UINT n : msgs)
        if (m.Msg == n)
          out.push_back(m);
    return out;
  }
  static TPoint At(HWND h, Integer x, Integer y)
  {
    return THeadlessBackend::ScreenPoint(h, {x, y});
  }
};
