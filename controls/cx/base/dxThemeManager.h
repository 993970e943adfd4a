// One cached theme handle per theme class, whether a theme is active, and notification of
// theme changes through a hidden window that receives WM_THEMECHANGED. The themed painter
// (cxLookAndFeelPainters.h), the look and feel, the scroll bar and the container draw
// themed parts through these handles and fall back to their own drawing without one.
#pragma once

#include "controls/cx/base/dxUxTheme.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Object.h"

enum TdxThemeClass {
  tcButton,
  tcClock,
  tcComboBox,
  tcEdit,
  tcExplorerBar,
  tcHeader,
  tcListView,
  tcMenu,
  tcPage,
  tcProgress,
  tcRebar,
  tcScrollBar,
  tcSpin,
  tcStartPanel,
  tcStatus,
  tcTab,
  tcTaskBand,
  tcTaskBar,
  tcToolBar,
  tcToolTip,
  tcTrackBar,
  tcTrayNotify,
  tcTreeView,
  tcWindow
};
constexpr Integer dxThemeClassCount = 24;
// A set of theme classes: bit n for class n.
using TdxThemeClasses = Cardinal;
constexpr TdxThemeClasses ThemeClassBit(TdxThemeClass AClass)
{
  return 1u << AClass;
}

using TdxTheme = HTHEME;

// The class-list name of a theme class ("Button" ..).
const char* ThemeClassName(TdxThemeClass AClass);

// False unless a theme is active and the theme functions exist; an empty set is then true,
// otherwise every class of the set must open.
bool ThemesAvailable(TdxThemeClasses AThemeClasses = 0);
// The class's cached handle, opened when needed with AClassList (null: the class list it
// had, else its own name); 0 when themes are unavailable or the class does not open.
TdxTheme OpenThemeHandle(TdxThemeClass AThemeClass, const WideString* AClassList = nullptr);
// 1 when themes are unavailable, 0 when the class has no handle, else the close result.
HRESULT CloseThemeHandle(TdxThemeClass AThemeClass);
void CloseAllThemeHandles();
bool SameClassList(const WideString& A, const WideString& B);
// Whether a theme is active, as last read (at start-up and after every theme change).
bool ThemeActive();

// Made by any object that must react to theme changes; hears of them while it lives.
class TdxThemeChangedNotificator : public TObject {
public:
  TdxThemeChangedNotificator();
  ~TdxThemeChangedNotificator() override;
  TNotifyEvent OnThemeChanged;
};

void dxThemeManagerInitialization();
void dxThemeManagerFinalization();
