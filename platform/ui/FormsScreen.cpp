// TScreen, the program's screen object: its forms and data modules, fonts, cursors and
// sizes; the lookup of global components by name. Forms.h describes it.
#include <algorithm>

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/FormsPrivate.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterScreenClass()
{
  TClassRegistration<TScreen, TComponent>("TScreen");
}

TScreen* Screen()
{
  return FormsState().Screen;
}

TComponent* FindGlobalComponent(const AnsiString& Name)
{
  if (!FormsState().Screen || Name.empty())
    return nullptr;
  for (Integer i = 0; i < FormsState().Screen->FormCount(); ++i)
    if (AnsiCompareText(FormsState().Screen->Forms(i)->Name(), Name) == 0)
      return FormsState().Screen->Forms(i);
  for (Integer i = 0; i < FormsState().Screen->DataModuleCount(); ++i)
    if (AnsiCompareText(FormsState().Screen->DataModules(i)->Name(), Name) == 0)
      return FormsState().Screen->DataModules(i);
  return nullptr;
}

// ---- TScreen --------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::ResetFonts()
{
  FFonts.reset();
}

TStrings* TScreen::Fonts()
{
  if (!FFonts) {
    FFonts = std::make_unique<TStringList>();
    for (const AnsiString& name : ScreenFonts())
      FFonts->Add(name);
  }
  return FFonts.get();
}

Integer TScreen::Width() const
{
  return GetSystemMetrics(SM_CXSCREEN);
}
Integer TScreen::Height() const
{
  return GetSystemMetrics(SM_CYSCREEN);
}
TRect TScreen::DesktopRect() const
{
  return Rect(0, 0, Width(), Height());
}

TRect TScreen::WorkAreaRect() const
{
  TRect r;
  SystemParametersInfo(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

void TScreen::SetCursor(TCursor Value)
{
  if (Value == FCursor)
    return;
  FCursor = Value;
  // The pointer shows the new cursor at once, not only when it next moves.
  TPoint p;
  GetCursorPos(p);
  if (HWND h = WindowFromPoint(p))
    SendMessage(h, WM_SETCURSOR, h, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

HCURSOR TScreen::Cursors(TCursor Index) const
{
  if (Index <= 0 && Index >= -22)
    return Index == crDefault ? crArrow : Index;
  for (const auto& c : FCursors)
    if (c.first == Index)
      return c.second;
  return crArrow;
}

void TScreen::SetCursors(TCursor Index, HCURSOR Value)
{
  if (Index <= 0 && Index >= -22)
    return;
  for (auto& c : FCursors)
    if (c.first == Index) {
      c.second = Value;
      return;
    }
  FCursors.emplace_back(Index, Value);
}

TCustomForm* TScreen::Forms(Integer Index) const
{
  if (Index < 0 || Index >= FormCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FForms[static_cast<std::size_t>(Index)];
}

void TScreen::AddForm(TCustomForm* Form)
{
  FForms.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form)
{
  FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
  if (FActiveForm == Form) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
  }
}
