// The unit of the base control: the settings controller, the suite's cursors and anchor
// bitmaps (our own artwork), and the free helpers (see cxControls.h).
#include <map>

#include "controls/cx/base/cxControls.h"
#include "controls/cx/base/cxControlsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"

void cxFreeMouseTracking();

namespace {

TcxSettingsController* Settings = nullptr;
Integer HourglassCount = 0;
TCursor SavedHourglassCursor = crDefault;

// Cursor pictures: '#' black, '.' white, ' ' transparent; 16 x 16, hot spot as given.
struct TCursorArt {
  TCursor Id;
  const char* Name;
  TPoint HotSpot;
  std::vector<AnsiString> Rows;
};

const std::vector<AnsiString> Arrow = {
    "#               ", "##              ", "#.#             ", "#..#            ",
    "#...#           ", "#....#          ", "#.....#         ", "#......#        ",
    "#.......#       ", "#....#####      ", "#.#..#          ", "##  #..#        ",
    "#   #..#        ", "     #..#       ", "     #..#       ", "      ##        "};

std::vector<AnsiString> WithBadge(const std::vector<AnsiString>& badge)
{
  std::vector<AnsiString> rows = Arrow;
  for (size_t i = 0; i < badge.size(); ++i)
    for (size_t x = 0; x < badge[i].size(); ++x)
      if (badge[i][x] != ' ')
        rows[10 + i][8 + x] = badge[i][x];
  return rows;
}

const std::vector<AnsiString> FourWay = {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "      #.#       ", "  #   #.#   #   ", " ##   ###   ##  ", "#..####.####..# ",
    " ##   ###   ##  ", "  #   #.#   #   ", "      #.#       ", "    #.....#     ",
    "     #...#      ", "      #.#       ", "       #        ", "                "};

std::vector<AnsiString> Only(const std::vector<AnsiString>& art, bool keepRows, bool keepCols)
{
  std::vector<AnsiString> rows = art;
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) {
      const bool middleRow = y >= 5 && y <= 9;
      const bool middleCol = x >= 5 && x <= 9;
      if ((!keepRows && middleRow && !middleCol) || (!keepCols && middleCol && !middleRow))
        rows[y][x] = ' ';
    }
  return rows;
}

std::vector<AnsiString> Half(Integer ADirection)
{
  std::vector<AnsiString> rows = FourWay;
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) {
      const bool keep = (ADirection == 3 && y < 7) || (ADirection == 4 && y > 7) ||
                        (ADirection == 1 && x < 7) || (ADirection == 2 && x > 7) ||
                        (x >= 6 && x <= 8 && y >= 6 && y <= 8);
      if (!keep)
        rows[y][x] = ' ';
    }
  return rows;
}

const std::vector<AnsiString> VertSize = {
    "       #        ", "      #.#       ", "     #...#      ", "    #.....#     ",
    "      #.#       ", "###############.", "#..............#", "###############.",
    "#..............#", "###############.", "      #.#       ", "    #.....#     ",
    "     #...#      ", "      #.#       ", "       #        ", "                "};

std::vector<AnsiString> Transposed(const std::vector<AnsiString>& art)
{
  std::vector<AnsiString> rows(16, AnsiString(16, ' '));
  for (size_t y = 0; y < 16; ++y)
    for (size_t x = 0; x < 16; ++x)
      rows[x][y] = art[y][x];
  return rows;
}

const std::vector<AnsiString> NoDrop = {
    "     ######     ", "   ##......##   ",  "  #..######..#  ", " #..#      #..# ",
    " #.#.#      #.# ", "#..# #.#    #..#",  "#.#   #.#    #.#", "#.#    #.#   #.#",
    "#.#     #.#  #.#", "#..#     #.# #..#", " #.#      #.#.# ", " #..#      #..# ",
    "  #..######..#  ", "   ##......##   ",  "     ######     ", "                "};

void RegisterCursors()
{
  const std::vector<AnsiString> plusBadge = {"#####", "#.#.#", "#...#", "#.#.#", "#####"};
  const std::vector<AnsiString> crossBadge = {"#   #", " # # ", "  #  ", " # # ", "#   #"};
  const std::vector<AnsiString> boxBadge = {"#####", "#...#", "#...#", "#...#", "#####"};
  const std::vector<AnsiString> boxesBadge = {"#### ", "#..##", "#..#.", "####.", " ####"};
  const std::vector<TCursorArt> arts = {
      {crDragCopy, "CX_DRAGCOPYCURSOR", {0, 0}, WithBadge(plusBadge)},
      {crFullScroll, "CX_FULLSCROLLCURSOR", {7, 7}, FourWay},
      {crHorScroll, "CX_HORSCROLLCURSOR", {7, 7}, Only(FourWay, true, false)},
      {crVerScroll, "CX_VERSCROLLCURSOR", {7, 7}, Only(FourWay, false, true)},
      {crUpScroll, "CX_UPSCROLLCURSOR", {7, 7}, Half(3)},
      {crRightScroll, "CX_RIGHTSCROLLCURSOR", {7, 7}, Half(2)},
      {crDownScroll, "CX_DOWNSCROLLCURSOR", {7, 7}, Half(4)},
      {crLeftScroll, "CX_LEFTSCROLLCURSOR", {7, 7}, Half(1)},
      {crcxRemove, "CX_REMOVECURSOR", {0, 0}, WithBadge(crossBadge)},
      {crcxVertSize, "CX_VERTSIZECURSOR", {7, 7}, VertSize},
      {crcxHorzSize, "CX_HORZSIZECURSOR", {7, 7}, Transposed(VertSize)},
      {crcxMultiDrag, "CX_MULTIDRAGCURSOR", {0, 0}, WithBadge(boxesBadge)},
      {crcxNoDrop, "CX_NODROPCURSOR", {7, 7}, NoDrop},
      {crcxDrag, "CX_DRAGCURSOR", {0, 0}, WithBadge(boxBadge)},
  };
  for (const TCursorArt& art : arts) {
    RegisterCursorResource(art.Name, art.Rows, art.HotSpot);
    Screen()->SetCursors(art.Id, LoadCursor(0, art.Name));
  }
}

// The anchors of middle-button scrolling: a 29 x 29 disc with the arrows of the possible
// directions.
std::map<Integer, std::unique_ptr<TBitmap>>& Anchors()
{
  static std::map<Integer, std::unique_ptr<TBitmap>> anchors;
  return anchors;
}

void DrawAnchor(TBitmap& b, bool AHorz, bool AVert)
{
  b.SetSize(29, 29);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 29, 29));
  c->Pen()->SetColor(clGray);
  c->Ellipse(Rect(0, 0, 29, 29));
  c->Brush()->SetColor(clBlack);
  c->FillRect(Rect(13, 13, 16, 16));
  auto tri = [&](TPoint a, TPoint b2, TPoint c2) {
    const TPoint p[3] = {a, b2, c2};
    c->Pen()->SetColor(clBlack);
    c->Polygon(p, 3);
  };
  if (AVert) {
    tri({14, 4}, {10, 8}, {18, 8});
    tri({14, 24}, {10, 20}, {18, 20});
  }
  if (AHorz) {
    tri({4, 14}, {8, 10}, {8, 18});
    tri({24, 14}, {20, 10}, {20, 18});
  }
}

} // namespace

TBitmap* cxScrollAnchorBitmap(bool AHorz, bool AVert)
{
  const Integer key = (AHorz ? 1 : 0) + (AVert ? 2 : 0);
  auto& slot = Anchors()[key];
  if (!slot) {
    slot = std::make_unique<TBitmap>();
    static const char* const names[4] = {"", "CX_HORSCROLLBITMAP", "CX_VERSCROLLBITMAP",
                                         "CX_FULLSCROLLBITMAP"};
    slot->LoadFromResourceName(0, names[key]);
  }
  return slot.get();
}

// ---- Settings controller ----

TcxSettingsController::~TcxSettingsController()
{
  if (FWindow)
    DeallocateHWnd(FWindow);
}

void TcxSettingsController::AddControl(TWinControl* AControl)
{
  cxAddWindowListener(FControls, FWindow, AControl,
                      TWndMethod::Bind(this, &TcxSettingsController::WndProc));
}

void TcxSettingsController::RemoveControl(TWinControl* AControl)
{
  cxRemoveWindowListener(FControls, FWindow, AControl);
}

void TcxSettingsController::WndProc(TMessage& Message)
{
  try {
    if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == SPI_SETNONCLIENTMETRICS) {
      std::vector<TWinControl*> controls = FControls;
      for (TWinControl* c : controls)
        if (std::find(FControls.begin(), FControls.end(), c) != FControls.end() &&
            c->HandleAllocated())
          SendMessage(c->Handle(), CXM_SETTINGSCHANGED, 0, 0);
      Message.Result = 0;
      return;
    }
    Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
  } catch (Exception&) {
    Application()->HandleException(this);
  }
}

TcxSettingsController* SettingsControllerInstance()
{
  if (!Settings)
    Settings = new TcxSettingsController;
  return Settings;
}

// ---- Free helpers ----

UINT DoubleClickInterval()
{
  return GetDoubleClickTime();
}

void DesktopWorkAreaAt(const TRect& R, TRect& AWorkArea)
{
  MONITORINFO info;
  HMONITOR monitor = MonitorFromPoint(TPoint{R.Left, R.Top}, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfo(monitor, info)) {
    AWorkArea = info.rcWork;
    return;
  }
  SystemParametersInfo(SPI_GETWORKAREA, 0, &AWorkArea, 0);
}

void CursorScreenPosition(TPoint& P)
{
  GetCursorPos(P);
}

bool WithinDragThreshold(TPoint ADownPos, Integer X, Integer Y)
{
  const Integer t = Mouse()->DragThreshold();
  return std::abs(X - ADownPos.X) < t && std::abs(Y - ADownPos.Y) < t;
}

void MapRectBetweenWindows(HWND AFrom, HWND ATo, TRect& R)
{
  TPoint p[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  MapWindowPoints(AFrom, ATo, p, 2);
  R = Rect(p[0].X, p[0].Y, p[1].X, p[1].Y);
}

void BeginHourglassCursor()
{
  if (HourglassCount++ == 0) {
    SavedHourglassCursor = Screen()->Cursor();
    Screen()->SetCursor(crHourGlass);
  }
}

void EndHourglassCursor()
{
  if (HourglassCount == 0)
    return;
  if (--HourglassCount == 0)
    Screen()->SetCursor(SavedHourglassCursor);
}

bool ShowPopupMenuAt(TControl* AControl, TComponent* APopupMenu, Integer X, Integer Y)
{
  if (auto* source = dynamic_cast<IcxPopupMenuSource*>(APopupMenu)) {
    source->Popup(X, Y);
    return true;
  }
  auto* menu = dynamic_cast<TPopupMenu*>(APopupMenu);
  if (menu && menu->AutoPopup()) {
    menu->SetPopupComponent(AControl);
    menu->Popup(X, Y);
    return true;
  }
  return false;
}

void PostMouseMove(TWinControl* AControl, const TPoint* AP)
{
  if (!AControl || !AControl->HandleAllocated())
    return;
  TPoint p;
  if (AP)
    p = *AP;
  else {
    GetCursorPos(p);
    p = AControl->ScreenToClient(p);
  }
  PostMessage(AControl->Handle(), WM_MOUSEMOVE, 0, PointToLParam(p));
}

bool IsComponentLoading(TComponent* AComponent)
{
  return AComponent->ComponentState().Contains(csLoading);
}

void ControlLocalBounds(TControl* AControl, TRect& R)
{
  R = Rect(0, 0, AControl->Width(), AControl->Height());
}

void cxControlsInitialization()
{
  RegisterCursors();
  static const std::pair<const char*, Integer> anchorNames[] = {
      {"CX_HORSCROLLBITMAP", 1}, {"CX_VERSCROLLBITMAP", 2}, {"CX_FULLSCROLLBITMAP", 3}};
  static std::map<AnsiString, std::string> bytes;
  for (auto [name, key] : anchorNames) {
    TBitmap b;
    DrawAnchor(b, key & 1, key & 2);
    b.SetPixelFormat(pf4bit);
    std::string& data = bytes[name];
    data = b.SaveToBytes();
    RegisterResource(name, data.data(), static_cast<Int64>(data.size()));
  }
}

void cxControlsFinalization()
{
  cxFreeMouseTracking();
  delete Settings;
  Settings = nullptr;
  Anchors().clear();
  HourglassCount = 0;
}
