// The theme handle cache and the theme-change receiver (see dxThemeManager.h).
#include "controls/cx/base/dxThemeManager.h"

#include <algorithm>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

namespace {

const char* const ClassNames[dxThemeClassCount] = {
    "Button",   "Clock",      "ComboBox", "Edit",       "ExplorerBar", "Header",
    "ListView", "Menu",       "Page",     "Progress",   "Rebar",       "ScrollBar",
    "Spin",     "StartPanel", "Status",   "Tab",        "TaskBand",    "TaskBar",
    "ToolBar",  "ToolTip",    "TrackBar", "TrayNotify", "TreeView",    "Window"};

struct TdxThemeData {
  TdxTheme Handle = 0;
  WideString ClassList;
};

// The receiver of theme changes: a hidden window.
class TdxThemeChangedEventReceiver : public TObject {
public:
  TdxThemeChangedEventReceiver();
  ~TdxThemeChangedEventReceiver() override;

private:
  void WndProc(TMessage& Message);
  HWND FWindow = 0;
};

bool Active = false;
TdxThemeData Cache[dxThemeClassCount];
std::vector<TdxThemeChangedNotificator*>* Notificators = nullptr;
TdxThemeChangedEventReceiver* Receiver = nullptr;

WideString ToWide(const char* s)
{
  return WideString(s, s + std::char_traits<char>::length(s));
}

void ThemeChanged()
{
  CloseAllThemeHandles();
  Active = IsThemeActive();
  if (!Notificators)
    return;
  // A notificator may free others (or itself) from its handler: walk a snapshot and skip
  // the ones that left meanwhile.
  std::vector<TdxThemeChangedNotificator*> snapshot = *Notificators;
  for (TdxThemeChangedNotificator* n : snapshot)
    if (Notificators &&
        std::find(Notificators->begin(), Notificators->end(), n) != Notificators->end())
      n->OnThemeChanged(n);
}

TdxThemeChangedEventReceiver::TdxThemeChangedEventReceiver()
{
  FWindow = AllocateHWnd(TWndMethod::Bind(this, &TdxThemeChangedEventReceiver::WndProc));
}

TdxThemeChangedEventReceiver::~TdxThemeChangedEventReceiver()
{
  Active = false;
  DeallocateHWnd(FWindow);
}

void TdxThemeChangedEventReceiver::WndProc(TMessage& Message)
{
  if (Message.Msg != WM_THEMECHANGED) {
    Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  try {
    CloseAllThemeHandles();
    DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
    Message.Result = 0;
    ThemeChanged();
  } catch (Exception&) {
    Application()->HandleException(nullptr);
  }
}

} // namespace

const char* ThemeClassName(TdxThemeClass AClass)
{
  return ClassNames[AClass];
}

bool ThemeActive()
{
  return Active;
}

bool SameClassList(const WideString& A, const WideString& B)
{
  if (A.size() != B.size())
    return false;
  auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  for (size_t i = 0; i < A.size(); ++i)
    if (upper(A[i]) != upper(B[i]))
      return false;
  return true;
}

bool ThemesAvailable(TdxThemeClasses AThemeClasses)
{
  if (!Active || !ThemeLibraryLoaded())
    return false;
  for (Integer i = 0; i < dxThemeClassCount; ++i)
    if ((AThemeClasses & (1u << i)) && OpenThemeHandle(static_cast<TdxThemeClass>(i)) == 0)
      return false;
  return true;
}

TdxTheme OpenThemeHandle(TdxThemeClass AThemeClass, const WideString* AClassList)
{
  if (!ThemesAvailable())
    return 0;
  TdxThemeData& data = Cache[AThemeClass];
  if (data.Handle) {
    if (!AClassList || SameClassList(data.ClassList, *AClassList))
      return data.Handle;
    CloseThemeHandle(AThemeClass);
  }
  WideString classList;
  if (AClassList)
    classList = *AClassList;
  else
    classList = data.ClassList.empty() ? ToWide(ClassNames[AThemeClass]) : data.ClassList;
  data.Handle = OpenThemeData(0, classList);
  if (data.Handle)
    data.ClassList = classList;
  else
    data.ClassList.clear();
  return data.Handle;
}

HRESULT CloseThemeHandle(TdxThemeClass AThemeClass)
{
  if (!ThemesAvailable())
    return 1;
  TdxThemeData& data = Cache[AThemeClass];
  if (!data.Handle)
    return 0;
  HRESULT result = CloseThemeData(data.Handle);
  data.Handle = 0;
  data.ClassList.clear();
  return result;
}

void CloseAllThemeHandles()
{
  for (TdxThemeData& data : Cache)
    if (data.Handle) {
      CloseThemeData(data.Handle);
      data.Handle = 0;
    }
}

TdxThemeChangedNotificator::TdxThemeChangedNotificator()
{
  if (ThemeLibraryLoaded() && Notificators)
    Notificators->push_back(this);
}

TdxThemeChangedNotificator::~TdxThemeChangedNotificator()
{
  if (ThemeLibraryLoaded() && Notificators)
    std::erase(*Notificators, this);
}

void dxThemeManagerInitialization()
{
  if (!ThemeLibraryLoaded())
    return;
  Active = IsThemeActive();
  Receiver = new TdxThemeChangedEventReceiver;
  Notificators = new std::vector<TdxThemeChangedNotificator*>;
}

void dxThemeManagerFinalization()
{
  if (ThemeLibraryLoaded()) {
    FreeAndNil(Receiver);
    CloseAllThemeHandles();
    delete Notificators;
    Notificators = nullptr;
  }
  for (TdxThemeData& data : Cache)
    data = TdxThemeData{};
}
