// The window layer's programming interface: handle and message types, the platform's
// message and constant numbers (one table for the whole system), and the window manager's
// functions. The window manager itself is spread over WinTree.cpp (windows, geometry),
// WinMessages.cpp (queue, timers, hooks), WinInput.cpp (mouse, keys, focus, activation)
// and WinPaint.cpp (update regions, device contexts, scroll bars); Controls.h builds the
// component framework on top.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/rtl/VirtualKeys.h"

class TCanvas;
class TRegion;
class TObject;

// ---------------------------------------------------------------------------------------
// Handles and message parameters

// A window handle: slot number in the low 16 bits, the slot's generation above it, so a
// handle of a destroyed window never names a new one. 0 is no window.
using HWND = NativeUInt;
// A device context handle (BeginPaint, GetDC); 0 is none.
using HDC = NativeUInt;
using UINT = Cardinal;
using DWORD = Cardinal;
using WPARAM = NativeUInt;
using LPARAM = NativeInt;
using LRESULT = NativeInt;
using BOOL = Integer;
using UINT_PTR = NativeUInt;
using LONG_PTR = NativeInt;
using HHOOK = NativeUInt;

using WNDPROC = LRESULT (*)(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
using TIMERPROC = void (*)(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
using HOOKPROC = LRESULT (*)(Integer code, WPARAM wParam, LPARAM lParam);

constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = static_cast<HWND>(-1);
constexpr HWND HWND_NOTOPMOST = static_cast<HWND>(-2);
constexpr HWND HWND_MESSAGE = static_cast<HWND>(-3);
constexpr HWND HWND_BROADCAST = 0xFFFF;

// Packing of two 16-bit halves; mouse points are signed 16-bit values.
constexpr LPARAM MAKELPARAM(Integer lo, Integer hi)
{
  return static_cast<LPARAM>(static_cast<Cardinal>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(Integer lo, Integer hi)
{
  return static_cast<WPARAM>(static_cast<Cardinal>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
constexpr Word LOWORD(NativeInt v)
{
  return static_cast<Word>(v & 0xFFFF);
}
constexpr Word HIWORD(NativeInt v)
{
  return static_cast<Word>((v >> 16) & 0xFFFF);
}
constexpr Integer GET_X_LPARAM(LPARAM v)
{
  return static_cast<SmallInt>(v & 0xFFFF);
}
constexpr Integer GET_Y_LPARAM(LPARAM v)
{
  return static_cast<SmallInt>((v >> 16) & 0xFFFF);
}
constexpr Integer GET_WHEEL_DELTA_WPARAM(WPARAM v)
{
  return static_cast<SmallInt>((v >> 16) & 0xFFFF);
}
inline TPoint PointFromLParam(LPARAM v)
{
  return {GET_X_LPARAM(v), GET_Y_LPARAM(v)};
}
inline LPARAM PointToLParam(TPoint p)
{
  return MAKELPARAM(p.X, p.Y);
}

// A queued message as the loops see it.
struct MSG {
  HWND hwnd = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  TPoint pt;
};

// The component framework's message record.
struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  Integer cbClsExtra = 0;
  Integer cbWndExtra = 0;
  Integer hCursor = 0;
  Integer hbrBackground = 0; // a TColor + 1 (0: no background is erased)
  AnsiString lpszClassName;
};

struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HWND hwndParent = 0;
  Integer cy = 0, cx = 0, y = 0, x = 0;
  LONG_PTR style = 0;
  AnsiString lpszName;
  AnsiString lpszClass;
  DWORD dwExStyle = 0;
};

struct WINDOWPOS {
  HWND hwnd = 0;
  HWND hwndInsertAfter = 0;
  Integer x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};

// WM_NCCALCSIZE: rgrc[0] comes in as the new window rectangle (parent client
// coordinates) and goes out as the client rectangle.
struct NCCALCSIZE_PARAMS {
  TRect rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

struct MINMAXINFO {
  TPoint ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

struct PAINTSTRUCT {
  HDC hdc = 0;
  BOOL fErase = 0;
  TRect rcPaint;
};

struct SCROLLINFO {
  UINT cbSize = 28;
  UINT fMask = 0;
  Integer nMin = 0;
  Integer nMax = 0;
  UINT nPage = 0;
  Integer nPos = 0;
  Integer nTrackPos = 0;
};

struct SCROLLBARINFO {
  DWORD cbSize = 60;
  TRect rcScrollBar; // screen coordinates
  Integer dxyLineButton = 0;
  Integer xyThumbTop = 0;
  Integer xyThumbBottom = 0;
  Integer reserved = 0;
  DWORD rgstate[6] = {0, 0, 0, 0, 0, 0};
};

struct CWPSTRUCT {
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = 0;
};

// WH_CALLWNDPROCRET: a sent message and what the window procedure answered.
struct CWPRETSTRUCT {
  LRESULT lResult = 0;
  LPARAM lParam = 0;
  WPARAM wParam = 0;
  UINT message = 0;
  HWND hwnd = 0;
};

struct MOUSEHOOKSTRUCT {
  TPoint pt;
  HWND hwnd = 0;
  UINT wHitTestCode = 0;
  NativeUInt dwExtraInfo = 0;
};

// WH_CBT, HCBT_CREATEWND: the window about to be created.
struct CBT_CREATEWND {
  CREATESTRUCT* lpcs = nullptr;
  HWND hwndInsertAfter = 0;
};

// WH_CBT, HCBT_ACTIVATE: how the activation comes about.
struct CBTACTIVATESTRUCT {
  BOOL fMouse = 0;
  HWND hWndActive = 0; // the window losing the activation
};

struct WINDOWPLACEMENT {
  UINT length = 44;
  UINT flags = 0;
  UINT showCmd = 0;
  TPoint ptMinPosition, ptMaxPosition;
  TRect rcNormalPosition;
};

// ---------------------------------------------------------------------------------------
// Window messages (the platform's numbers)

enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETREDRAW = 0x000B,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUERYENDSESSION = 0x0011,
  WM_QUIT = 0x0012,
  WM_QUERYOPEN = 0x0013,
  WM_ERASEBKGND = 0x0014,
  WM_SYSCOLORCHANGE = 0x0015,
  WM_ENDSESSION = 0x0016,
  WM_SHOWWINDOW = 0x0018,
  WM_SETTINGCHANGE = 0x001A,
  WM_WININICHANGE = 0x001A,
  WM_ACTIVATEAPP = 0x001C,
  WM_FONTCHANGE = 0x001D,
  WM_TIMECHANGE = 0x001E,
  WM_CANCELMODE = 0x001F,
  WM_SETCURSOR = 0x0020,
  WM_MOUSEACTIVATE = 0x0021,
  WM_CHILDACTIVATE = 0x0022,
  WM_GETMINMAXINFO = 0x0024,
  WM_NEXTDLGCTL = 0x0028,
  WM_DRAWITEM = 0x002B,
  WM_MEASUREITEM = 0x002C,
  WM_DELETEITEM = 0x002D,
  WM_VKEYTOITEM = 0x002E,
  WM_CHARTOITEM = 0x002F,
  WM_SETFONT = 0x0030,
  WM_GETFONT = 0x0031,
  WM_COMPAREITEM = 0x0039,
  WM_WINDOWPOSCHANGING = 0x0046,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_COPYDATA = 0x004A,
  WM_NOTIFY = 0x004E,
  WM_HELP = 0x0053,
  WM_CONTEXTMENU = 0x007B,
  WM_STYLECHANGING = 0x007C,
  WM_STYLECHANGED = 0x007D,
  WM_DISPLAYCHANGE = 0x007E,
  WM_GETICON = 0x007F,
  WM_SETICON = 0x0080,
  WM_NCCREATE = 0x0081,
  WM_NCDESTROY = 0x0082,
  WM_NCCALCSIZE = 0x0083,
  WM_NCHITTEST = 0x0084,
  WM_NCPAINT = 0x0085,
  WM_NCACTIVATE = 0x0086,
  WM_GETDLGCODE = 0x0087,
  WM_NCMOUSEMOVE = 0x00A0,
  WM_NCLBUTTONDOWN = 0x00A1,
  WM_NCLBUTTONUP = 0x00A2,
  WM_NCLBUTTONDBLCLK = 0x00A3,
  WM_NCRBUTTONDOWN = 0x00A4,
  WM_NCRBUTTONUP = 0x00A5,
  WM_NCRBUTTONDBLCLK = 0x00A6,
  WM_NCMBUTTONDOWN = 0x00A7,
  WM_NCMBUTTONUP = 0x00A8,
  WM_NCMBUTTONDBLCLK = 0x00A9,
  WM_KEYFIRST = 0x0100,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_DEADCHAR = 0x0103,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_SYSDEADCHAR = 0x0107,
  WM_KEYLAST = 0x0108,
  WM_IME_STARTCOMPOSITION = 0x010D,
  WM_IME_ENDCOMPOSITION = 0x010E,
  WM_IME_COMPOSITION = 0x010F,
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_INITMENU = 0x0116,
  WM_INITMENUPOPUP = 0x0117,
  WM_MENUSELECT = 0x011F,
  WM_MENUCHAR = 0x0120,
  WM_ENTERIDLE = 0x0121,
  WM_CTLCOLORMSGBOX = 0x0132,
  WM_CTLCOLOREDIT = 0x0133,
  WM_CTLCOLORLISTBOX = 0x0134,
  WM_CTLCOLORBTN = 0x0135,
  WM_CTLCOLORDLG = 0x0136,
  WM_CTLCOLORSCROLLBAR = 0x0137,
  WM_CTLCOLORSTATIC = 0x0138,
  WM_MOUSEFIRST = 0x0200,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MBUTTONDBLCLK = 0x0209,
  WM_MOUSEWHEEL = 0x020A,
  WM_MOUSELAST = 0x020A,
  WM_MOUSEHWHEEL = 0x020E,
  WM_PARENTNOTIFY = 0x0210,
  WM_ENTERMENULOOP = 0x0211,
  WM_EXITMENULOOP = 0x0212,
  WM_SIZING = 0x0214,
  WM_CAPTURECHANGED = 0x0215,
  WM_MOVING = 0x0216,
  WM_MDICREATE = 0x0220,
  WM_MDIDESTROY = 0x0221,
  WM_MDIACTIVATE = 0x0222,
  WM_MDIRESTORE = 0x0223,
  WM_MDINEXT = 0x0224,
  WM_MDIMAXIMIZE = 0x0225,
  WM_MDITILE = 0x0226,
  WM_MDICASCADE = 0x0227,
  WM_MDIICONARRANGE = 0x0228,
  WM_MDIGETACTIVE = 0x0229,
  WM_MDISETMENU = 0x0230,
  WM_ENTERSIZEMOVE = 0x0231,
  WM_EXITSIZEMOVE = 0x0232,
  WM_DROPFILES = 0x0233,
  WM_MDIREFRESHMENU = 0x0234,
  WM_IME_SETCONTEXT = 0x0281,
  WM_IME_NOTIFY = 0x0282,
  WM_IME_CHAR = 0x0286,
  WM_MOUSEHOVER = 0x02A1,
  WM_NCMOUSELEAVE = 0x02A2,
  WM_MOUSELEAVE = 0x02A3,
  WM_CUT = 0x0300,
  WM_COPY = 0x0301,
  WM_PASTE = 0x0302,
  WM_CLEAR = 0x0303,
  WM_UNDO = 0x0304,
  WM_PRINT = 0x0317,
  WM_PRINTCLIENT = 0x0318,
  WM_THEMECHANGED = 0x031A,
  WM_USER = 0x0400,
  WM_APP = 0x8000
};

// The component framework's own messages (CM_*) and the notifications a parent reflects
// back to the child control that sent them (CN_* = the window message + CN_BASE).
constexpr UINT CM_BASE = 0xB000;
enum : UINT {
  CM_ACTIVATE = CM_BASE + 0,
  CM_DEACTIVATE,
  CM_GOTFOCUS,
  CM_LOSTFOCUS,
  CM_CANCELMODE,
  CM_DIALOGKEY,
  CM_DIALOGCHAR,
  CM_FOCUSCHANGED,
  CM_PARENTFONTCHANGED,
  CM_PARENTCOLORCHANGED,
  CM_HITTEST,
  CM_VISIBLECHANGED,
  CM_ENABLEDCHANGED,
  CM_COLORCHANGED,
  CM_FONTCHANGED,
  CM_CURSORCHANGED,
  CM_CTL3DCHANGED,
  CM_PARENTCTL3DCHANGED,
  CM_TEXTCHANGED,
  CM_MOUSEENTER,
  CM_MOUSELEAVE,
  CM_MENUCHANGED,
  CM_APPKEYDOWN,
  CM_APPSYSCOMMAND,
  CM_BUTTONPRESSED,
  CM_SHOWINGCHANGED,
  CM_ENTER,
  CM_EXIT,
  CM_DESIGNHITTEST,
  CM_ICONCHANGED,
  CM_WANTSPECIALKEY,
  CM_INVOKEHELP,
  CM_WINDOWHOOK,
  CM_RELEASE,
  CM_SHOWHINTCHANGED,
  CM_PARENTSHOWHINTCHANGED,
  CM_SYSCOLORCHANGE,
  CM_WININICHANGE,
  CM_FONTCHANGE,
  CM_TIMECHANGE,
  CM_TABSTOPCHANGED,
  CM_UIACTIVATE,
  CM_UIDEACTIVATE,
  CM_DOCWINDOWACTIVATE,
  CM_CONTROLLISTCHANGE,
  CM_GETDATALINK,
  CM_CHILDKEY,
  CM_DRAG,
  CM_HINTSHOW,
  CM_DIALOGHANDLE,
  CM_ISTOOLCONTROL,
  CM_RECREATEWND,
  CM_INVALIDATE,
  CM_SYSFONTCHANGED,
  CM_CONTROLCHANGE,
  CM_CHANGED,
  CM_DOCKCLIENT,
  CM_UNDOCKCLIENT,
  CM_FLOAT,
  CM_BORDERCHANGED,
  CM_BIDIMODECHANGED,
  CM_PARENTBIDIMODECHANGED,
  CM_ALLCHILDRENFLIPPED,
  CM_ACTIONUPDATE,
  CM_ACTIONEXECUTE,
  CM_HINTSHOWPAUSE,
  CM_DOCKNOTIFICATION,
  CM_MOUSEWHEEL,
  CM_ISSHORTCUT,
  CM_PARENTBACKGROUNDCHANGED,
  CM_SETACTIVECONTROL,
  CM_MOUSEACTIVATE
};

constexpr UINT CN_BASE = 0xBC00;
enum : UINT {
  CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM,
  CN_COMMAND = CN_BASE + WM_COMMAND,
  CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM,
  CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN,
  CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG,
  CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT,
  CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX,
  CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX,
  CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR,
  CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC,
  CN_DELETEITEM = CN_BASE + WM_DELETEITEM,
  CN_DRAWITEM = CN_BASE + WM_DRAWITEM,
  CN_HSCROLL = CN_BASE + WM_HSCROLL,
  CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM,
  CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY,
  CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM,
  CN_VSCROLL = CN_BASE + WM_VSCROLL,
  CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
  CN_KEYUP = CN_BASE + WM_KEYUP,
  CN_CHAR = CN_BASE + WM_CHAR,
  CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN,
  CN_SYSCHAR = CN_BASE + WM_SYSCHAR,
  CN_NOTIFY = CN_BASE + WM_NOTIFY
};

// ---------------------------------------------------------------------------------------
// Constants

// Window styles.
enum : DWORD {
  WS_OVERLAPPED = 0x00000000,
  WS_POPUP = 0x80000000,
  WS_CHILD = 0x40000000,
  WS_MINIMIZE = 0x20000000,
  WS_VISIBLE = 0x10000000,
  WS_DISABLED = 0x08000000,
  WS_CLIPSIBLINGS = 0x04000000,
  WS_CLIPCHILDREN = 0x02000000,
  WS_MAXIMIZE = 0x01000000,
  WS_CAPTION = 0x00C00000,
  WS_BORDER = 0x00800000,
  WS_DLGFRAME = 0x00400000,
  WS_VSCROLL = 0x00200000,
  WS_HSCROLL = 0x00100000,
  WS_SYSMENU = 0x00080000,
  WS_THICKFRAME = 0x00040000,
  WS_GROUP = 0x00020000,
  WS_TABSTOP = 0x00010000,
  WS_MINIMIZEBOX = 0x00020000,
  WS_MAXIMIZEBOX = 0x00010000,
  WS_OVERLAPPEDWINDOW = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
  WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU
};
// Extended window styles.
enum : DWORD {
  WS_EX_DLGMODALFRAME = 0x00000001,
  WS_EX_NOPARENTNOTIFY = 0x00000004,
  WS_EX_TOPMOST = 0x00000008,
  WS_EX_ACCEPTFILES = 0x00000010,
  WS_EX_TRANSPARENT = 0x00000020,
  WS_EX_MDICHILD = 0x00000040,
  WS_EX_TOOLWINDOW = 0x00000080,
  WS_EX_WINDOWEDGE = 0x00000100,
  WS_EX_CLIENTEDGE = 0x00000200,
  WS_EX_CONTEXTHELP = 0x00000400,
  WS_EX_RIGHT = 0x00001000,
  WS_EX_RTLREADING = 0x00002000,
  WS_EX_LEFTSCROLLBAR = 0x00004000,
  WS_EX_CONTROLPARENT = 0x00010000,
  WS_EX_STATICEDGE = 0x00020000,
  WS_EX_APPWINDOW = 0x00040000,
  WS_EX_LAYERED = 0x00080000,
  WS_EX_NOACTIVATE = 0x08000000
};
// Class styles.
enum : UINT {
  CS_VREDRAW = 0x0001,
  CS_HREDRAW = 0x0002,
  CS_DBLCLKS = 0x0008,
  CS_OWNDC = 0x0020,
  CS_CLASSDC = 0x0040,
  CS_PARENTDC = 0x0080,
  CS_NOCLOSE = 0x0200,
  CS_SAVEBITS = 0x0800,
  CS_GLOBALCLASS = 0x4000,
  CS_DROPSHADOW = 0x00020000
};
// Hit-test codes (WM_NCHITTEST).
enum : Integer {
  HTERROR = -2,
  HTTRANSPARENT = -1,
  HTNOWHERE = 0,
  HTCLIENT = 1,
  HTCAPTION = 2,
  HTSYSMENU = 3,
  HTGROWBOX = 4,
  HTSIZE = 4,
  HTMENU = 5,
  HTHSCROLL = 6,
  HTVSCROLL = 7,
  HTMINBUTTON = 8,
  HTMAXBUTTON = 9,
  HTLEFT = 10,
  HTRIGHT = 11,
  HTTOP = 12,
  HTTOPLEFT = 13,
  HTTOPRIGHT = 14,
  HTBOTTOM = 15,
  HTBOTTOMLEFT = 16,
  HTBOTTOMRIGHT = 17,
  HTBORDER = 18,
  HTCLOSE = 20,
  HTHELP = 21
};
// ShowWindow commands.
enum : Integer {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_NORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_SHOWMAXIMIZED = 3,
  SW_MAXIMIZE = 3,
  SW_SHOWNOACTIVATE = 4,
  SW_SHOW = 5,
  SW_MINIMIZE = 6,
  SW_SHOWMINNOACTIVE = 7,
  SW_SHOWNA = 8,
  SW_RESTORE = 9,
  SW_SHOWDEFAULT = 10
};
// SetWindowPos flags.
enum : UINT {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
  SWP_NOCOPYBITS = 0x0100,
  SWP_NOOWNERZORDER = 0x0200,
  SWP_NOSENDCHANGING = 0x0400
};
// Scroll bars: bars, commands, SCROLLINFO masks, EnableScrollBar arrows, object ids.
enum : Integer { SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3 };
enum : Integer {
  SB_LINEUP = 0,
  SB_LINELEFT = 0,
  SB_LINEDOWN = 1,
  SB_LINERIGHT = 1,
  SB_PAGEUP = 2,
  SB_PAGELEFT = 2,
  SB_PAGEDOWN = 3,
  SB_PAGERIGHT = 3,
  SB_THUMBPOSITION = 4,
  SB_THUMBTRACK = 5,
  SB_TOP = 6,
  SB_LEFT = 6,
  SB_BOTTOM = 7,
  SB_RIGHT = 7,
  SB_ENDSCROLL = 8
};
enum : UINT {
  SIF_RANGE = 0x01,
  SIF_PAGE = 0x02,
  SIF_POS = 0x04,
  SIF_DISABLENOSCROLL = 0x08,
  SIF_TRACKPOS = 0x10,
  SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS
};
enum : UINT {
  ESB_ENABLE_BOTH = 0,
  ESB_DISABLE_LTUP = 1,
  ESB_DISABLE_RTDN = 2,
  ESB_DISABLE_BOTH = 3
};
enum : Integer { OBJID_HSCROLL = -6, OBJID_VSCROLL = -5, OBJID_CLIENT = -4 };
enum : DWORD {
  STATE_SYSTEM_UNAVAILABLE = 0x0001,
  STATE_SYSTEM_PRESSED = 0x0008,
  STATE_SYSTEM_INVISIBLE = 0x8000,
  STATE_SYSTEM_OFFSCREEN = 0x10000
};
// WM_GETDLGCODE answers.
enum : UINT {
  DLGC_WANTARROWS = 0x0001,
  DLGC_WANTTAB = 0x0002,
  DLGC_WANTALLKEYS = 0x0004,
  DLGC_WANTMESSAGE = 0x0004,
  DLGC_HASSETSEL = 0x0008,
  DLGC_DEFPUSHBUTTON = 0x0010,
  DLGC_UNDEFPUSHBUTTON = 0x0020,
  DLGC_RADIOBUTTON = 0x0040,
  DLGC_WANTCHARS = 0x0080,
  DLGC_STATIC = 0x0100,
  DLGC_BUTTON = 0x2000
};
// Mouse key flags of mouse messages.
enum : UINT {
  MK_LBUTTON = 0x01,
  MK_RBUTTON = 0x02,
  MK_SHIFT = 0x04,
  MK_CONTROL = 0x08,
  MK_MBUTTON = 0x10
};
constexpr Integer WHEEL_DELTA = 120;
// WM_ACTIVATE states and WM_MOUSEACTIVATE answers.
enum : Integer { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
enum : Integer {
  MA_ACTIVATE = 1,
  MA_ACTIVATEANDEAT = 2,
  MA_NOACTIVATE = 3,
  MA_NOACTIVATEANDEAT = 4
};
// WM_SIZE kinds.
enum : Integer { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// PeekMessage flags.
enum : UINT { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002 };
// Hooks.
enum : Integer {
  WH_MSGFILTER = -1,
  WH_KEYBOARD = 2,
  WH_GETMESSAGE = 3,
  WH_CALLWNDPROC = 4,
  WH_CBT = 5,
  WH_MOUSE = 7,
  WH_CALLWNDPROCRET = 12
};
enum : Integer { HC_ACTION = 0, HC_NOREMOVE = 3 };
// WH_CBT codes. A non-zero answer stops what MOVESIZE, MINMAX, CREATEWND, DESTROYWND,
// ACTIVATE, SYSCOMMAND and SETFOCUS announce.
enum : Integer {
  HCBT_MOVESIZE = 0,     // wParam: the window; lParam: TRect* of its new place (screen)
  HCBT_MINMAX = 1,       // wParam: the window; lParam: the SW_ command
  HCBT_CREATEWND = 3,    // wParam: the new window; lParam: CBT_CREATEWND*
  HCBT_DESTROYWND = 4,   // wParam: the window
  HCBT_ACTIVATE = 5,     // wParam: the window; lParam: CBTACTIVATESTRUCT*
  HCBT_CLICKSKIPPED = 6, // a WH_MOUSE hook dropped a mouse message (wParam, lParam as it had)
  HCBT_KEYSKIPPED = 7,   // a WH_KEYBOARD hook dropped a key (wParam, lParam as it had)
  HCBT_SYSCOMMAND = 8,   // wParam: the SC_ command; lParam: its lParam
  HCBT_SETFOCUS = 9      // wParam: the window getting the focus; lParam: the one losing it
};
// WH_MSGFILTER codes: which modal loop offers the message.
enum : Integer {
  MSGF_DIALOGBOX = 0,
  MSGF_MESSAGEBOX = 1,
  MSGF_MENU = 2,
  MSGF_MOVE = 3,
  MSGF_SIZE = 4,
  MSGF_SCROLLBAR = 5,
  MSGF_NEXTWINDOW = 6,
  MSGF_USER = 4096
};
// Window longs.
enum : Integer {
  GWL_WNDPROC = -4,
  GWL_HINSTANCE = -6,
  GWL_HWNDPARENT = -8,
  GWL_ID = -12,
  GWL_STYLE = -16,
  GWL_EXSTYLE = -20,
  GWL_USERDATA = -21
};
// GetWindow relations and GetAncestor kinds.
enum : UINT {
  GW_HWNDFIRST = 0,
  GW_HWNDLAST = 1,
  GW_HWNDNEXT = 2,
  GW_HWNDPREV = 3,
  GW_OWNER = 4,
  GW_CHILD = 5
};
enum : UINT { GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3 };
// System commands (WM_SYSCOMMAND; the low four bits are ours to use).
enum : UINT {
  SC_SIZE = 0xF000,
  SC_MOVE = 0xF010,
  SC_MINIMIZE = 0xF020,
  SC_MAXIMIZE = 0xF030,
  SC_NEXTWINDOW = 0xF040,
  SC_PREVWINDOW = 0xF050,
  SC_CLOSE = 0xF060,
  SC_VSCROLL = 0xF070,
  SC_HSCROLL = 0xF080,
  SC_MOUSEMENU = 0xF090,
  SC_KEYMENU = 0xF100,
  SC_RESTORE = 0xF120,
  SC_TASKLIST = 0xF130,
  SC_DEFAULT = 0xF160,
  SC_CONTEXTHELP = 0xF180,
  // Moves the window (a child control too) with the pointer until the button is released.
  SC_DRAGMOVE_CONTROL = 0xF009
};
// RedrawWindow flags; ScrollWindowEx flags.
enum : UINT {
  RDW_INVALIDATE = 0x0001,
  RDW_INTERNALPAINT = 0x0002,
  RDW_ERASE = 0x0004,
  RDW_VALIDATE = 0x0008,
  RDW_NOINTERNALPAINT = 0x0010,
  RDW_NOERASE = 0x0020,
  RDW_NOCHILDREN = 0x0040,
  RDW_ALLCHILDREN = 0x0080,
  RDW_UPDATENOW = 0x0100,
  RDW_ERASENOW = 0x0200,
  RDW_FRAME = 0x0400,
  RDW_NOFRAME = 0x0800
};
enum : UINT { SW_SCROLLCHILDREN = 0x0001, SW_INVALIDATE = 0x0002, SW_ERASE = 0x0004 };
// Dialog and message box results and flags.
enum : Integer {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
  IDCLOSE = 8,
  IDHELP = 9
};
enum : UINT {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_ABORTRETRYIGNORE = 0x02,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_RETRYCANCEL = 0x05,
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000
};
// Notification codes carried by WM_COMMAND.
enum : Word {
  BN_CLICKED = 0,
  BN_DOUBLECLICKED = 5,
  EN_SETFOCUS = 0x0100,
  EN_KILLFOCUS = 0x0200,
  EN_CHANGE = 0x0300,
  EN_UPDATE = 0x0400,
  EN_HSCROLL = 0x0601,
  EN_VSCROLL = 0x0602,
  LBN_SELCHANGE = 1,
  LBN_DBLCLK = 2,
  LBN_SELCANCEL = 3,
  LBN_SETFOCUS = 4,
  LBN_KILLFOCUS = 5,
  CBN_SELCHANGE = 1,
  CBN_DBLCLK = 2,
  CBN_SETFOCUS = 3,
  CBN_KILLFOCUS = 4,
  CBN_EDITCHANGE = 5,
  CBN_EDITUPDATE = 6,
  CBN_DROPDOWN = 7,
  CBN_CLOSEUP = 8,
  CBN_SELENDOK = 9,
  CBN_SELENDCANCEL = 10
};
// Edit control messages and styles.
enum : UINT {
  EM_GETSEL = 0x00B0,
  EM_SETSEL = 0x00B1,
  EM_GETRECT = 0x00B2,
  EM_SETRECT = 0x00B3,
  EM_SETRECTNP = 0x00B4,
  EM_SCROLL = 0x00B5,
  EM_LINESCROLL = 0x00B6,
  EM_SCROLLCARET = 0x00B7,
  EM_GETMODIFY = 0x00B8,
  EM_SETMODIFY = 0x00B9,
  EM_GETLINECOUNT = 0x00BA,
  EM_LINEINDEX = 0x00BB,
  EM_LINELENGTH = 0x00C1,
  EM_REPLACESEL = 0x00C2,
  EM_GETLINE = 0x00C4,
  EM_LIMITTEXT = 0x00C5,
  EM_SETLIMITTEXT = 0x00C5,
  EM_CANUNDO = 0x00C6,
  EM_UNDO = 0x00C7,
  EM_LINEFROMCHAR = 0x00C9,
  EM_FMTLINES = 0x00C8,
  EM_SETTABSTOPS = 0x00CB,
  EM_EMPTYUNDOBUFFER = 0x00CD,
  EM_SETPASSWORDCHAR = 0x00CC,
  EM_GETFIRSTVISIBLELINE = 0x00CE,
  EM_SETREADONLY = 0x00CF,
  EM_GETPASSWORDCHAR = 0x00D2,
  EM_SETMARGINS = 0x00D3,
  EM_GETMARGINS = 0x00D4,
  EM_GETLIMITTEXT = 0x00D5,
  EM_POSFROMCHAR = 0x00D6,
  EM_CHARFROMPOS = 0x00D7
};
enum : DWORD {
  ES_LEFT = 0x0000,
  ES_CENTER = 0x0001,
  ES_RIGHT = 0x0002,
  ES_MULTILINE = 0x0004,
  ES_UPPERCASE = 0x0008,
  ES_LOWERCASE = 0x0010,
  ES_PASSWORD = 0x0020,
  ES_AUTOVSCROLL = 0x0040,
  ES_AUTOHSCROLL = 0x0080,
  ES_NOHIDESEL = 0x0100,
  ES_OEMCONVERT = 0x0400,
  ES_READONLY = 0x0800,
  ES_WANTRETURN = 0x1000
};
// EM_SETMARGINS flags.
enum : WPARAM { EC_LEFTMARGIN = 1, EC_RIGHTMARGIN = 2 };
// Button messages and styles.
enum : UINT {
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BM_GETSTATE = 0x00F2,
  BM_SETSTATE = 0x00F3,
  BM_SETSTYLE = 0x00F4,
  BM_CLICK = 0x00F5
};
enum : DWORD {
  BS_PUSHBUTTON = 0x0000,
  BS_DEFPUSHBUTTON = 0x0001,
  BS_CHECKBOX = 0x0002,
  BS_AUTOCHECKBOX = 0x0003,
  BS_RADIOBUTTON = 0x0004,
  BS_3STATE = 0x0005,
  BS_AUTO3STATE = 0x0006,
  BS_GROUPBOX = 0x0007,
  BS_AUTORADIOBUTTON = 0x0009,
  BS_OWNERDRAW = 0x000B,
  BS_TYPEMASK = 0x000F,
  BS_LEFTTEXT = 0x0020,
  BS_MULTILINE = 0x2000
};
// Check states of BM_GETCHECK/BM_SETCHECK; BM_GETSTATE adds the pushed and focus bits.
enum : Integer {
  BST_UNCHECKED = 0,
  BST_CHECKED = 1,
  BST_INDETERMINATE = 2,
  BST_PUSHED = 4,
  BST_FOCUS = 8
};
// List box messages, styles and answers.
enum : UINT {
  LB_ADDSTRING = 0x0180,
  LB_INSERTSTRING = 0x0181,
  LB_DELETESTRING = 0x0182,
  LB_SELITEMRANGEEX = 0x0183,
  LB_RESETCONTENT = 0x0184,
  LB_SETSEL = 0x0185,
  LB_SETCURSEL = 0x0186,
  LB_GETSEL = 0x0187,
  LB_GETCURSEL = 0x0188,
  LB_GETTEXT = 0x0189,
  LB_GETTEXTLEN = 0x018A,
  LB_GETCOUNT = 0x018B,
  LB_SELECTSTRING = 0x018C,
  LB_DIR = 0x018D,
  LB_GETTOPINDEX = 0x018E,
  LB_FINDSTRING = 0x018F,
  LB_GETSELCOUNT = 0x0190,
  LB_GETSELITEMS = 0x0191,
  LB_SETTABSTOPS = 0x0192,
  LB_GETHORIZONTALEXTENT = 0x0193,
  LB_SETHORIZONTALEXTENT = 0x0194,
  LB_SETCOLUMNWIDTH = 0x0195,
  LB_ADDFILE = 0x0196,
  LB_SETTOPINDEX = 0x0197,
  LB_GETITEMRECT = 0x0198,
  LB_GETITEMDATA = 0x0199,
  LB_SETITEMDATA = 0x019A,
  LB_SELITEMRANGE = 0x019B,
  LB_SETANCHORINDEX = 0x019C,
  LB_GETANCHORINDEX = 0x019D,
  LB_SETCARETINDEX = 0x019E,
  LB_GETCARETINDEX = 0x019F,
  LB_SETITEMHEIGHT = 0x01A0,
  LB_GETITEMHEIGHT = 0x01A1,
  LB_FINDSTRINGEXACT = 0x01A2,
  LB_SETLOCALE = 0x01A5,
  LB_GETLOCALE = 0x01A6,
  LB_SETCOUNT = 0x01A7,
  LB_INITSTORAGE = 0x01A8,
  LB_ITEMFROMPOINT = 0x01A9,
  LB_GETLISTBOXINFO = 0x01B2
};
enum : DWORD {
  LBS_NOTIFY = 0x0001,
  LBS_SORT = 0x0002,
  LBS_NOREDRAW = 0x0004,
  LBS_MULTIPLESEL = 0x0008,
  LBS_OWNERDRAWFIXED = 0x0010,
  LBS_OWNERDRAWVARIABLE = 0x0020,
  LBS_HASSTRINGS = 0x0040,
  LBS_USETABSTOPS = 0x0080,
  LBS_NOINTEGRALHEIGHT = 0x0100,
  LBS_MULTICOLUMN = 0x0200,
  LBS_WANTKEYBOARDINPUT = 0x0400,
  LBS_EXTENDEDSEL = 0x0800,
  LBS_DISABLENOSCROLL = 0x1000,
  LBS_NODATA = 0x2000
};
enum : Integer { LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2 };
// Combo box messages, styles and answers.
enum : UINT {
  CB_GETEDITSEL = 0x0140,
  CB_LIMITTEXT = 0x0141,
  CB_SETEDITSEL = 0x0142,
  CB_ADDSTRING = 0x0143,
  CB_DELETESTRING = 0x0144,
  CB_DIR = 0x0145,
  CB_GETCOUNT = 0x0146,
  CB_GETCURSEL = 0x0147,
  CB_GETLBTEXT = 0x0148,
  CB_GETLBTEXTLEN = 0x0149,
  CB_INSERTSTRING = 0x014A,
  CB_RESETCONTENT = 0x014B,
  CB_FINDSTRING = 0x014C,
  CB_SELECTSTRING = 0x014D,
  CB_SETCURSEL = 0x014E,
  CB_SHOWDROPDOWN = 0x014F,
  CB_GETITEMDATA = 0x0150,
  CB_SETITEMDATA = 0x0151,
  CB_GETDROPPEDCONTROLRECT = 0x0152,
  CB_SETITEMHEIGHT = 0x0153,
  CB_GETITEMHEIGHT = 0x0154,
  CB_SETEXTENDEDUI = 0x0155,
  CB_GETEXTENDEDUI = 0x0156,
  CB_GETDROPPEDSTATE = 0x0157,
  CB_FINDSTRINGEXACT = 0x0158,
  CB_SETLOCALE = 0x0159,
  CB_GETLOCALE = 0x015A,
  CB_GETTOPINDEX = 0x015B,
  CB_SETTOPINDEX = 0x015C,
  CB_GETHORIZONTALEXTENT = 0x015D,
  CB_SETHORIZONTALEXTENT = 0x015E,
  CB_GETDROPPEDWIDTH = 0x015F,
  CB_SETDROPPEDWIDTH = 0x0160,
  CB_INITSTORAGE = 0x0161
};
enum : DWORD {
  CBS_SIMPLE = 0x0001,
  CBS_DROPDOWN = 0x0002,
  CBS_DROPDOWNLIST = 0x0003,
  CBS_OWNERDRAWFIXED = 0x0010,
  CBS_OWNERDRAWVARIABLE = 0x0020,
  CBS_AUTOHSCROLL = 0x0040,
  CBS_OEMCONVERT = 0x0080,
  CBS_SORT = 0x0100,
  CBS_HASSTRINGS = 0x0200,
  CBS_NOINTEGRALHEIGHT = 0x0400,
  CBS_DISABLENOSCROLL = 0x0800,
  CBS_UPPERCASE = 0x2000,
  CBS_LOWERCASE = 0x4000
};
enum : Integer { CB_OKAY = 0, CB_ERR = -1, CB_ERRSPACE = -2 };
// Scroll bar control messages and styles.
enum : UINT {
  SBM_SETPOS = 0x00E0,
  SBM_GETPOS = 0x00E1,
  SBM_SETRANGE = 0x00E2,
  SBM_SETRANGEREDRAW = 0x00E6,
  SBM_GETRANGE = 0x00E3,
  SBM_ENABLE_ARROWS = 0x00E4,
  SBM_SETSCROLLINFO = 0x00E9,
  SBM_GETSCROLLINFO = 0x00EA
};
enum : DWORD { SBS_HORZ = 0x0000, SBS_VERT = 0x0001 };
// Owner-drawn items: WM_DRAWITEM and WM_MEASUREITEM carry these records (LParam), which a
// parent reflects to the control as CN_DRAWITEM and CN_MEASUREITEM.
enum : UINT { ODT_MENU = 1, ODT_LISTBOX = 2, ODT_COMBOBOX = 3, ODT_BUTTON = 4, ODT_STATIC = 5 };
enum : UINT { ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4 };
enum : UINT {
  ODS_SELECTED = 0x0001,
  ODS_GRAYED = 0x0002,
  ODS_DISABLED = 0x0004,
  ODS_CHECKED = 0x0008,
  ODS_FOCUS = 0x0010,
  ODS_DEFAULT = 0x0020,
  ODS_HOTLIGHT = 0x0040,
  ODS_INACTIVE = 0x0080,
  ODS_NOACCEL = 0x0100,
  ODS_NOFOCUSRECT = 0x0200,
  ODS_COMBOBOXEDIT = 0x1000
};
struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0; // (UINT)-1: no item (an empty list draws its focus rectangle)
  UINT itemAction = 0;
  UINT itemState = 0;
  HWND hwndItem = 0;
  HDC hDC = 0;
  TRect rcItem;
  NativeUInt itemData = 0;
};
struct MEASUREITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemWidth = 0;
  UINT itemHeight = 0;
  NativeUInt itemData = 0;
};
// WM_SETTINGCHANGE parameters.
enum : UINT {
  SPI_GETWORKAREA = 0x0030,
  SPI_GETWHEELSCROLLLINES = 0x0068,
  SPI_SETNONCLIENTMETRICS = 0x002A
};

// ---------------------------------------------------------------------------------------
// Window classes and windows

// Registers a class; false when the name is taken. Class names compare ignoring case.
bool RegisterClass(const WNDCLASS& wc);
bool UnregisterClass(const AnsiString& className);
bool GetClassInfo(const AnsiString& className, WNDCLASS& wc);
AnsiString GetClassName(HWND hwnd);

// Creates a window (parent: for WS_CHILD windows the parent, otherwise the owner). Sends
// WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE (a -1 answer destroys it and returns 0), then
// WM_SIZE and WM_MOVE; a WS_VISIBLE window is shown. Raises EOSError for an unknown class.
HWND CreateWindowEx(DWORD exStyle, const AnsiString& className, const AnsiString& windowName,
                    DWORD style, Integer x, Integer y, Integer width, Integer height, HWND parent,
                    void* param = nullptr);
// Destroys the window and its children and owned windows: WM_DESTROY to the window before its
// children, WM_NCDESTROY after them. False for a stale handle.
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);

HWND GetParent(HWND hwnd); // the parent of a child, the owner of a top-level window
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetTopWindow(HWND hwnd); // the first child in z-order; 0: the topmost top-level window
HWND SetParent(HWND child, HWND newParent); // returns the old parent; 0 makes it top-level
bool IsChild(HWND parent, HWND hwnd);
HWND GetDesktopWindow();
// A top-level window of the class (empty: any) and caption (empty: any); 0 when none.
HWND FindWindow(const AnsiString& className, const AnsiString& windowName);

LONG_PTR GetWindowLong(HWND hwnd, Integer index);
// Style changes send WM_STYLECHANGING/WM_STYLECHANGED; GWL_WNDPROC returns the old procedure.
LONG_PTR SetWindowLong(HWND hwnd, Integer index, LONG_PTR value);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The object a window belongs to (the control behind it); null when none.
void SetWindowObject(HWND hwnd, TObject* obj);
TObject* GetWindowObject(HWND hwnd);

AnsiString GetWindowText(HWND hwnd);
bool SetWindowText(HWND hwnd, const AnsiString& text);

bool ShowWindow(HWND hwnd, Integer cmd);   // returns the previous visibility
bool IsWindowVisible(HWND hwnd);           // the window and all its parents are visible
bool EnableWindow(HWND hwnd, bool enable); // returns true when it was disabled
bool IsWindowEnabled(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);

bool SetWindowPos(HWND hwnd, HWND insertAfter, Integer x, Integer y, Integer cx, Integer cy,
                  UINT flags);
bool MoveWindow(HWND hwnd, Integer x, Integer y, Integer width, Integer height,
                bool repaint = true);
bool BringWindowToTop(HWND hwnd);
bool GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT& wp);
bool SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT& wp);

// Screen coordinates of the whole window.
bool GetWindowRect(HWND hwnd, TRect& rect);
// The client area in client coordinates (Left = Top = 0).
bool GetClientRect(HWND hwnd, TRect& rect);
// Converts points from one window's client coordinates to another's (0 = screen); returns
// the horizontal offset in the low word and the vertical one in the high word.
Integer MapWindowPoints(HWND from, HWND to, TPoint* points, Integer count);
bool ClientToScreen(HWND hwnd, TPoint& point);
bool ScreenToClient(HWND hwnd, TPoint& point);
// The deepest visible, enabled window under a screen point that does not answer
// HTTRANSPARENT; 0 over the desktop.
HWND WindowFromPoint(TPoint screenPoint);
// The child under a point of the parent's client area (the parent itself when none).
HWND ChildWindowFromPoint(HWND parent, TPoint clientPoint);

// Window regions (window coordinates: 0,0 is the window's top-left). Null removes it; the
// window keeps a copy.
bool SetWindowRgn(HWND hwnd, const TRegion* region, bool redraw = true);
bool GetWindowRgn(HWND hwnd, TRegion& region); // false when the window has none

// ---------------------------------------------------------------------------------------
// Messages

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A posted message to a stale window is refused (false); hwnd 0 posts a thread message.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool PostThreadMessage(UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(Integer exitCode);
// Filters: hwnd 0 takes every message; first = last = 0 takes every number. A WM_QUIT is
// returned whatever the filters say.
bool PeekMessage(MSG& msg, HWND hwnd, UINT first, UINT last, UINT flags);
// Waits (through the backend) until a message arrives; false for WM_QUIT.
bool GetMessage(MSG& msg, HWND hwnd, UINT first, UINT last);
bool WaitMessage();
bool TranslateMessage(const MSG& msg);
LRESULT DispatchMessage(const MSG& msg);
DWORD GetMessageTime();
TPoint GetMessagePos();
bool InSendMessage();
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Sends to every top-level window (hidden and message-only ones included).
void BroadcastMessage(UINT msg, WPARAM wParam, LPARAM lParam);

// Timers: window timers are (window, id) pairs, thread timers (hwnd 0) get their own id.
// A due timer yields one WM_TIMER when the queue is otherwise empty; the time is the
// runtime clock (GetTickCount).
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
bool KillTimer(HWND hwnd, UINT_PTR id);

HHOOK SetWindowsHookEx(Integer idHook, HOOKPROC proc);
bool UnhookWindowsHookEx(HHOOK hook);
LRESULT CallNextHookEx(HHOOK hook, Integer code, WPARAM wParam, LPARAM lParam);
// Offers a message a modal loop took to the WH_MSGFILTER hooks with the loop's code
// (MSGF_*); true when a hook took it, and the loop then leaves it alone.
bool CallMsgFilter(MSG& msg, Integer code);

// ---------------------------------------------------------------------------------------
// Modal loops
//
// Every loop that takes messages until something is over (the application's own loop, a
// modal form, moving and sizing a window, dragging, a menu, a scroll bar or button held
// down, and the controls' and designer's own: a drop-down list, a splitter, a grid's
// column sizing) runs through TrackModal. For each message it takes from the queue it
//   1. ends the loop on WM_QUIT (put back on the queue unless TakesQuit);
//   2. offers it to the WH_MSGFILTER hooks with FilterCode (a hook that takes it ends its
//      journey);
//   3. hands it to OnMessage, which takes it, ends the loop, or lets it pass;
//   4. passes on what OnMessage let pass: the application's message filter (keyboard
//      interface, hints), then TranslateMessage and DispatchMessage.
// Before each message it checks Running and, when the loop took the capture, that its
// window still has it. With nothing to take it calls OnIdle and then waits for input or
// the next timer. Whichever way the loop ends, an exception from a handler included, the
// capture it took is released; the caller's own state is the caller's (a scope guard).
//
//   TTrackLoop loop;
//   loop.CaptureWindow = hwnd;
//   loop.Name = "the splitter";
//   loop.OnMessage = [&](MSG& m) {
//     if (m.message == WM_MOUSEMOVE) { Follow(m.pt); return trHandled; }
//     if (m.message == WM_LBUTTONUP) return trEnd;
//     return m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE ? trEnd : trPass;
//   };
//   TTrackEnd how = TrackModal(loop);

// What a loop's OnMessage does with a message.
enum TTrackReply {
  trPass,    // not the loop's: filtered by the application, translated and dispatched
  trHandled, // taken by the loop
  trEnd      // taken, and the loop is over
};

// Why a loop ended.
enum TTrackEnd {
  teEnded,       // OnMessage answered trEnd, or Running answered false
  teCaptureLost, // the loop's capture window lost the capture (another window took it,
                 // WM_CANCELMODE, the window went away)
  teQuit         // a WM_QUIT arrived
};

struct TTrackLoop {
  // The window that has the capture while the loop runs (0: the loop takes none).
  HWND CaptureWindow = 0;
  // The WH_MSGFILTER code (MSGF_MENU, MSGF_SCROLLBAR ...); -1: the hooks are not asked
  // (the application's own loop).
  Integer FilterCode = MSGF_USER;
  // The loop owns WM_QUIT (the application's loop): it is taken off the queue, not put
  // back for an outer loop.
  bool TakesQuit = false;
  // Named where the headless backend reports a loop waiting for input nobody scripted.
  AnsiString Name;
  // Each message taken (input, posted, paint, timer); unset: every message passes.
  std::function<TTrackReply(MSG& msg)> OnMessage;
  // Asked before each message; false ends the loop. Unset: the loop runs on.
  std::function<bool()> Running;
  // The queue is empty; true lets the loop wait for input, false looks again at once.
  std::function<bool()> OnIdle;
  // Called inside the catch block when handling a message raised; it may rethrow (which
  // ends the loop) or swallow the error, and the loop goes on. Unset: the loop ends and
  // the exception goes on to the caller.
  std::function<void()> OnError;
};

TTrackEnd TrackModal(const TTrackLoop& loop);

// Mouse messages of the client area and of the frame, the wheel included (what a tracking
// loop usually swallows while it follows the pointer).
inline bool IsMouseMessage(UINT m)
{
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
         (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// ---------------------------------------------------------------------------------------
// Input

HWND SetCapture(HWND hwnd);
bool ReleaseCapture();
HWND GetCapture();
HWND SetFocus(HWND hwnd); // returns the previous focus window
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
bool SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
// Key state: bit 15 (negative) = down, bit 0 = toggled.
SmallInt GetKeyState(Integer vk);
SmallInt GetAsyncKeyState(Integer vk);
bool GetKeyboardState(Byte state[256]);
bool GetCursorPos(TPoint& point);
bool SetCursorPos(Integer x, Integer y);
UINT GetDoubleClickTime();
// The desktop's double-click time (0: the default, 500 ms).
bool SetDoubleClickTime(UINT ms);
bool MessageBeep(UINT type);

// Cursors: a standard cursor's handle is its id in the screen's cursor table (crArrow = -2,
// crIBeam = -4, crHandPoint = -21, ...); the desktop draws most of them, the platform
// draws its own (crDrag, crNoDrop, crHSplit, crVSplit, crMultiDrag, crSQLWait). The window
// under the pointer picks one when asked with WM_SETCURSOR.
using HCURSOR = NativeInt;
HCURSOR SetCursor(HCURSOR cursor); // returns the previous cursor
HCURSOR GetCursor();
// Cursors from our own pictures: rows of equal length, at most 32 x 32, one character a
// pixel: '#' black, '.' white, ' ' transparent, '~' the inverse of what lies below; the hot
// spot is the pixel the pointer's position names. 0 for a picture that breaks these rules.
HCURSOR CreateCursorFromArt(const std::vector<AnsiString>& rows, TPoint hotSpot);
bool DestroyCursor(HCURSOR cursor);
// Named cursor pictures: a library registers its own at start-up ("frxHAND" ...), and
// LoadCursor makes a cursor of one (0 when there is no such name; the instance is ignored).
bool RegisterCursorResource(const AnsiString& name, const std::vector<AnsiString>& rows,
                            TPoint hotSpot);
HCURSOR LoadCursor(NativeUInt instance, const AnsiString& name);

// The caret: one per program, owned by a window, drawn by inverting its rectangle after
// the window paints. It starts hidden; ShowCaret and HideCaret nest. A shown caret blinks:
// it is on for GetCaretBlinkTime milliseconds after it appears or moves, then off and on
// again for as long each time (INFINITE: it does not blink).
bool CreateCaret(HWND hwnd, Integer width, Integer height);
bool DestroyCaret();
bool SetCaretPos(Integer x, Integer y); // client coordinates of the owner
bool GetCaretPos(TPoint& point);
bool ShowCaret(HWND hwnd);
bool HideCaret(HWND hwnd);
UINT GetCaretBlinkTime();
bool SetCaretBlinkTime(UINT ms); // false for 0
constexpr UINT INFINITE = 0xFFFFFFFF;

// ---------------------------------------------------------------------------------------
// The screen overlay: pictures above every window (drag images, drop marks, sizing frames
// drawn on the screen). A copy item shows its pixels except those of its transparent
// colour (0x00BBGGRR; -1 for none); an XOR item inverts, by its pixel values, what lies
// below it. Items are drawn in creation order.

using HOVERLAY = NativeUInt;
enum TOverlayMode { omCopy, omXor };
HOVERLAY CreateOverlay(const TRect& screenRect, TOverlayMode mode, Integer transparentRgb = -1);
// A canvas on the item (origin at its top-left); nothing shows until OverlayChanged.
TCanvas* OverlayCanvas(HOVERLAY overlay);
// Tells the screen that the item's pixels changed.
bool OverlayChanged(HOVERLAY overlay);
bool MoveOverlay(HOVERLAY overlay, TPoint topLeft);
bool DestroyOverlay(HOVERLAY overlay);

// ---------------------------------------------------------------------------------------
// Clipboard formats (the data itself goes through TClipboard, Clipbrd.h)

enum : UINT { CF_TEXT = 1, CF_BITMAP = 2, CF_METAFILEPICT = 3, CF_UNICODETEXT = 13 };
// The id of a named format (0xC000 and up; one id per name, case ignored); 0 for "".
UINT RegisterClipboardFormat(const AnsiString& name);
// The name of a registered format; "" for the standard ones and unknown ids.
AnsiString GetClipboardFormatName(UINT format);

// ---------------------------------------------------------------------------------------
// Monitors and system parameters (one monitor: the virtual screen)

using HMONITOR = NativeUInt;
enum : DWORD {
  MONITOR_DEFAULTTONULL = 0,
  MONITOR_DEFAULTTOPRIMARY = 1,
  MONITOR_DEFAULTTONEAREST = 2
};
enum : DWORD { MONITORINFOF_PRIMARY = 1 };
struct MONITORINFO {
  DWORD cbSize = 40;
  TRect rcMonitor;
  TRect rcWork;
  DWORD dwFlags = 0;
};
HMONITOR MonitorFromPoint(TPoint point, DWORD flags);
HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags);
bool GetMonitorInfo(HMONITOR monitor, MONITORINFO& info);
// The work area of the screen (tests may shrink it, as a task bar would).
void SetWorkArea(const TRect& area);
// SPI_GETWORKAREA fills a TRect, SPI_GETWHEELSCROLLLINES a UINT.
bool SystemParametersInfo(UINT action, UINT param, void* data, UINT winIni);

// The platform version the runtime reports (Win32MajorVersion etc. in FormatSettings.h).
struct OSVERSIONINFO {
  DWORD dwOSVersionInfoSize = 148;
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  AnsiString szCSDVersion;
};
bool GetVersionEx(OSVERSIONINFO& info);

// ---------------------------------------------------------------------------------------
// Painting

bool InvalidateRect(HWND hwnd, const TRect* rect, bool erase); // client coordinates; null = all
bool InvalidateRgn(HWND hwnd, const TRegion* region, bool erase);
bool ValidateRect(HWND hwnd, const TRect* rect);
bool RedrawWindow(HWND hwnd, const TRect* rect, const TRegion* region, UINT flags);
bool UpdateWindow(HWND hwnd); // paints now when the window has an update region
bool GetUpdateRect(HWND hwnd, TRect* rect, bool erase);
bool GetUpdateRgn(HWND hwnd, TRegion& region); // client coordinates; false when empty
HDC BeginPaint(HWND hwnd, PAINTSTRUCT& ps);
bool EndPaint(HWND hwnd, const PAINTSTRUCT& ps);
// A context on the window's client area, drawing straight into its backing surface (0:
// a 1x1 screen context for measuring). Release it with ReleaseDC.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
Integer ReleaseDC(HWND hwnd, HDC dc);
// The canvas of a device context (origin at the window's client top-left); null for 0 or
// a released context.
TCanvas* CanvasFromDC(HDC dc);
// A device context drawing on a canvas's surface with its origin and clip (painting a
// control into a bitmap or a printout: PaintTo, WM_PRINTCLIENT); free it with DeleteDC.
HDC CreateCanvasDC(TCanvas* canvas);
bool DeleteDC(HDC dc);
// Moves the pixels of the client area (or rect) by dx, dy and invalidates what was uncovered.
Integer ScrollWindowEx(HWND hwnd, Integer dx, Integer dy, const TRect* rect, const TRect* clip,
                       TRegion* updateRegion, TRect* updateRect, UINT flags);

// Window scroll bars (WS_HSCROLL / WS_VSCROLL).
Integer SetScrollInfo(HWND hwnd, Integer bar, const SCROLLINFO& si, bool redraw);
bool GetScrollInfo(HWND hwnd, Integer bar, SCROLLINFO& si);
Integer SetScrollPos(HWND hwnd, Integer bar, Integer pos, bool redraw);
Integer GetScrollPos(HWND hwnd, Integer bar);
bool SetScrollRange(HWND hwnd, Integer bar, Integer minPos, Integer maxPos, bool redraw);
bool GetScrollRange(HWND hwnd, Integer bar, Integer& minPos, Integer& maxPos);
bool ShowScrollBar(HWND hwnd, Integer bar, bool show);
bool EnableScrollBar(HWND hwnd, UINT bar, UINT arrows);
bool GetScrollBarInfo(HWND hwnd, Integer objectId, SCROLLBARINFO& info);

// The flat scroll bar interface: the same bars (they are drawn flat already).
inline bool InitializeFlatSB(HWND)
{
  return true;
}
inline bool UninitializeFlatSB(HWND)
{
  return true;
}
inline bool FlatSB_SetScrollProp(HWND, UINT, NativeInt, bool)
{
  return true;
}
inline Integer FlatSB_SetScrollInfo(HWND hwnd, Integer bar, const SCROLLINFO& si, bool redraw)
{
  return SetScrollInfo(hwnd, bar, si, redraw);
}
inline bool FlatSB_GetScrollInfo(HWND hwnd, Integer bar, SCROLLINFO& si)
{
  return GetScrollInfo(hwnd, bar, si);
}
inline Integer FlatSB_SetScrollPos(HWND hwnd, Integer bar, Integer pos, bool redraw)
{
  return SetScrollPos(hwnd, bar, pos, redraw);
}
inline Integer FlatSB_GetScrollPos(HWND hwnd, Integer bar)
{
  return GetScrollPos(hwnd, bar);
}
inline bool FlatSB_SetScrollRange(HWND hwnd, Integer bar, Integer minPos, Integer maxPos,
                                  bool redraw)
{
  return SetScrollRange(hwnd, bar, minPos, maxPos, redraw);
}
inline bool FlatSB_ShowScrollBar(HWND hwnd, Integer bar, bool show)
{
  return ShowScrollBar(hwnd, bar, show);
}
inline bool FlatSB_EnableScrollBar(HWND hwnd, UINT bar, UINT arrows)
{
  return EnableScrollBar(hwnd, bar, arrows);
}
