// Docks, tool bars, their grip and floating window, tool-bar panels and the layout kept in
// a settings store (frxDock.h).
#include "report/output/frxDock.h"

#include <algorithm>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxUtils.h"

namespace {

std::vector<TfrxToolBar*> VisibleBars(TWinControl* Dock, TfrxToolBar* Except = nullptr)
{
  std::vector<TfrxToolBar*> bars;
  for (Integer i = 0; i < Dock->ControlCount(); ++i)
    if (auto* bar = dynamic_cast<TfrxToolBar*>(Dock->Controls(i));
        bar && bar != Except && bar->Visible())
      bars.push_back(bar);
  return bars;
}

// A bar's place across and along its dock.
struct TSpan {
  Integer Start, Size;
  Integer End() const { return Start + Size; }
};
TSpan Across(TControl* C, bool Horizontal)
{
  return Horizontal ? TSpan{C->Top(), C->Height()} : TSpan{C->Left(), C->Width()};
}
void SetAcrossStart(TControl* C, bool Horizontal, Integer Value)
{
  if (Horizontal)
    C->SetTop(Value);
  else
    C->SetLeft(Value);
}

// Paints R in the button face: the ground of every part of the docks and bars.
void FillFace(TCanvas* C, const TRect& R)
{
  C->Brush()->SetStyle(bsSolid);
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(R);
}

} // namespace

// ---- TfrxTBPanel ----

TfrxTBPanel::TfrxTBPanel(TComponent* AOwner) : TPanel(AOwner)
{
  SetAlign(alLeft);
  SetWidth(8);
  SetHeight(8);
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetCaption("");
  SetColor(clBtnFace);
}

void TfrxTBPanel::SetParent(TWinControl* AParent)
{
  TPanel::SetParent(AParent);
  // A bar standing in a left or right dock runs top to bottom.
  if (AParent && AParent->Parent() &&
      (AParent->Parent()->Align() == alLeft || AParent->Parent()->Align() == alRight))
    SetAlign(alTop);
}

void TfrxTBPanel::Paint()
{
  TCanvas* c = Canvas();
  FillFace(c, ClientRect());
  if (!ComponentState().Contains(csDesigning))
    return;
  c->Pen()->SetColor(clBtnShadow);
  c->Pen()->SetStyle(psDot);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, Width(), Height());
}

// ---- TfrxDock ----

TfrxDock::TfrxDock(TComponent* AOwner) : TPanel(AOwner)
{
  SetAlign(alTop);
  SetBevelOuter(bvNone);
  SetCaption("");
  SetColor(clBtnFace);
  // Without bars a dock is one pixel thick.
  SetHeight(1);
}

void TfrxDock::Loaded()
{
  TPanel::Loaded();
  ArrangeToolbars();
}

void TfrxDock::Paint()
{
  TCanvas* c = Canvas();
  FillFace(c, ClientRect());
  if (ComponentState().Contains(csDesigning)) {
    c->Brush()->SetColor(clBtnShadow);
    c->FrameRect(ClientRect());
  }
}

// Rows are examined from the dock's outer edge (the form's border) inward; an empty row
// goes and the bars beyond it move in by a row. The dock then takes the thickness of its
// rows, or grows to hold a bar reaching past them (a bottom or right dock grows outward from
// the form's inside, moving its own top or left edge).
void TfrxDock::ArrangeToolbars()
{
  const bool horz = Horizontal();
  if (ControlCount() == 0) {
    if (horz)
      SetHeight(1);
    else
      SetWidth(1);
    return;
  }
  const bool outerAtZero =
      Align() == alTop || Align() == alLeft || Align() == alNone || Align() == alClient;
  std::vector<TfrxToolBar*> bars = VisibleBars(this);
  const Integer thickness = horz ? Height() : Width();
  Integer rows = thickness / FRowSize;
  if (outerAtZero) {
    Integer line = 0;
    for (Integer r = 0; r < rows;) {
      const bool occupied = std::any_of(bars.begin(), bars.end(), [&](TfrxToolBar* b) {
        TSpan s = Across(b, horz);
        return s.Start == line || (s.Start < line && s.End() > line);
      });
      if (occupied) {
        line += FRowSize;
        ++r;
        continue;
      }
      // The bars beyond move in by a row, and the same line is examined again.
      for (TfrxToolBar* b : bars)
        if (Across(b, horz).Start > line)
          SetAcrossStart(b, horz, Across(b, horz).Start - FRowSize);
      --rows;
    }
  } else {
    Integer line = thickness;
    for (Integer r = 0; r < rows; ++r, line -= FRowSize) {
      const bool occupied = std::any_of(bars.begin(), bars.end(), [&](TfrxToolBar* b) {
        TSpan s = Across(b, horz);
        return s.End() == line || (s.Start < line && s.End() > line);
      });
      if (occupied)
        continue;
      for (TfrxToolBar* b : bars)
        if (Across(b, horz).End() > line)
          SetAcrossStart(b, horz, Across(b, horz).Start - FRowSize);
      --rows;
    }
  }
  Integer planned = rows * FRowSize + 1;
  if (outerAtZero) {
    for (TfrxToolBar* b : bars)
      if (Across(b, horz).End() > planned) {
        planned = Across(b, horz).End() + 1;
        break;
      }
  } else {
    for (TfrxToolBar* b : bars)
      if (Across(b, horz).Start < 0) {
        const Integer shift = 1 - Across(b, horz).Start;
        for (TfrxToolBar* other : bars)
          SetAcrossStart(other, horz, Across(other, horz).Start + shift);
        planned += shift;
        break;
      }
    for (TfrxToolBar* b : bars)
      planned = std::max(planned, Across(b, horz).End());
  }
  if (outerAtZero) {
    if (horz)
      SetHeight(planned);
    else
      SetWidth(planned);
    return;
  }
  // A bottom or right dock that grows moves its inner edge.
  if (horz) {
    if (planned > Height())
      SetBounds(Left(), Top() - (planned - Height()), Width(), planned);
    else
      SetHeight(planned);
  } else {
    if (planned > Width())
      SetBounds(Left() - (planned - Width()), Top(), planned, Height());
    else
      SetWidth(planned);
  }
}

// ---- TfrxDragBox ----

TfrxDragBox::TfrxDragBox(TComponent* AOwner) : TGraphicControl(AOwner)
{
  SetBounds(0, 0, 8, 8);
}

TfrxToolBar* TfrxDragBox::Bar() const
{
  return dynamic_cast<TfrxToolBar*>(Parent());
}

void TfrxDragBox::Paint()
{
  TCanvas* c = Canvas();
  FillFace(c, ClientRect());
  c->Pen()->SetColor(clBtnShadow);
  const bool vertical = Bar() && Bar()->DockDirection() == 3;
  if (!vertical) {
    for (Integer y = 1; y < Height(); y += 2) {
      c->MoveTo(2, y);
      c->LineTo(5, y);
    }
  } else {
    for (Integer x = 1; x < Width(); x += 2) {
      c->MoveTo(x, 2);
      c->LineTo(x, 5);
    }
  }
}

void TfrxDragBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Bar())
    Bar()->DragMouseDown(Button);
}

void TfrxDragBox::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseMove(Shift, X, Y);
  if (Bar())
    Bar()->DragMouseMove();
}

void TfrxDragBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Bar())
    Bar()->DragMouseUp();
}

// ---- TfrxFloatWindow ----

TfrxFloatWindow::TfrxFloatWindow(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("");
  SetBorderStyle(bsNone);
  SetBorderIcons({biSystemMenu});
  Font()->SetName("Tahoma");
  Font()->SetHeight(-11);
  HandleNeeded();
  SetClientWidth(213);
  SetClientHeight(61);
  CloseBtn = new TSpeedButton(this);
  CloseBtn->SetParent(this);
  CloseBtn->SetFlat(true);
  CloseBtn->SetCaption("x");
  CloseBtn->SetBounds(Width() - 14, 4, 11, 11);
  CloseBtn->OnClick = TNotifyEvent::Bind(this, &TfrxFloatWindow::CloseBtnClick);
  EndLoading();
}

TfrxFloatWindow::~TfrxFloatWindow()
{
  if (FToolBar && FToolBar->FFloatWindow == this)
    FToolBar->FFloatWindow = nullptr;
}

void TfrxFloatWindow::CloseBtnClick(TObject*)
{
  Hide();
}

void TfrxFloatWindow::DoShow()
{
  CloseBtn->SetBounds(Width() - 14, 4, 11, 11);
  TForm::DoShow();
}

void TfrxFloatWindow::Paint()
{
  TCanvas* c = Canvas();
  const Integer w = Width(), h = Height();
  c->Brush()->SetStyle(bsSolid);
  c->Pen()->SetColor(RGB(128, 128, 128));
  c->Pen()->SetWidth(3);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(1, 1, w - 1, h - 1);
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(RGB(128, 128, 128));
  c->FillRect(Rect(3, 3, w - 3, 18));
  c->Pen()->SetColor(clBtnFace);
  c->MoveTo(2, 2);
  c->LineTo(2, h - 2);
  c->MoveTo(2, 2);
  c->LineTo(w - 2, 2);
  c->MoveTo(w - 3, 2);
  c->LineTo(w - 3, h - 2);
  c->MoveTo(2, h - 3);
  c->LineTo(w - 2, h - 3);
  c->Font()->SetStyle({fsBold});
  c->Font()->SetColor(clCaptionText);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(6, 3, FToolBar ? FToolBar->Caption() : AnsiString());
}

void TfrxFloatWindow::StartDrag()
{
  FLastPoint = Mouse()->CursorPos();
  FDragging = true;
  SetMouseCapture(true);
}

void TfrxFloatWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TForm::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft)
    return;
  FLastPoint = Mouse()->CursorPos();
  Application()->ProcessMessages();
  FDragging = true;
}

// The window follows the pointer; over a dock of its owner form the bar docks there.
void TfrxFloatWindow::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TForm::MouseMove(Shift, X, Y);
  if (!FDragging || !Shift.Contains(ssLeft))
    return;
  const TPoint p = Mouse()->CursorPos();
  SetBounds(Left() + p.X - FLastPoint.X, Top() + p.Y - FLastPoint.Y, Width(), Height());
  FLastPoint = p;
  auto* owner = dynamic_cast<TCustomForm*>(Owner());
  if (!owner || !FToolBar)
    return;
  TDestroyWatch watch(this);
  if (FToolBar->FindDockAt(owner, owner->ScreenToClient(p)) && !watch.Destroyed())
    FDragging = false;
}

void TfrxFloatWindow::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TForm::MouseUp(Button, Shift, X, Y);
  FDragging = false;
}

// ---- TfrxToolBar ----

TfrxToolBar::TfrxToolBar(TComponent* AOwner) : TPanel(AOwner)
{
  SetHeight(26);
  SetBevelOuter(bvNone);
  SetCaption("");
  SetColor(clBtnFace);
  SetFullRepaint(false);
  FDragBox = new TfrxDragBox(this);
  FDragBox->SetParent(this);
  FDragBox->SetAlign(alLeft);
}

TfrxToolBar::~TfrxToolBar()
{
  // A floating bar takes its window along, unless the window is going already (and so
  // frees the bar as its child).
  TfrxFloatWindow* window = FFloatWindow;
  FFloatWindow = nullptr;
  if (!window)
    return;
  window->SetToolBar(nullptr);
  if (window->ComponentState().Contains(csDestroying))
    return;
  window->Hide();
  if (Parent() == window)
    SetParent(nullptr);
  delete window;
}

TfrxDock* TfrxToolBar::Dock() const
{
  return dynamic_cast<TfrxDock*>(Parent());
}

Integer TfrxToolBar::DockDirection() const
{
  if (!Parent() || FFloating)
    return 0;
  switch (Parent()->Align()) {
  case alTop:
  case alBottom:
    return 1;
  case alLeft:
  case alRight:
    return 3;
  default:
    return static_cast<Integer>(Parent()->Align());
  }
}

void TfrxToolBar::Loaded()
{
  TPanel::Loaded();
  AdjustBounds();
}

void TfrxToolBar::Paint()
{
  TCanvas* c = Canvas();
  FillFace(c, ClientRect());
  if (Dock()) {
    TRect r = ClientRect();
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
  }
}

void TfrxToolBar::Resize()
{
  TPanel::Resize();
  if (ComponentState().Contains(csDestroying) || !FDragBox)
    return;
  FDragBox->SetBounds(0, 0, 8, 8);
  FDragBox->SetAlign(DockDirection() == 3 ? alTop : alLeft);
}

bool TfrxToolBar::IsShown() const
{
  return FFloating && FFloatWindow ? FFloatWindow->Visible() : Visible();
}

void TfrxToolBar::SetShown(bool Value)
{
  if (FFloating && FFloatWindow)
    FFloatWindow->SetVisible(Value);
  else
    SetVisible(Value);
}

// Children in their order along the bar take the bar's direction: a horizontal bar lines
// them up left to right, a vertical one top to bottom.
void TfrxToolBar::AdjustControls()
{
  FDragBox->SetBounds(0, 0, FDragBox->Width(), FDragBox->Height());
  const bool vertical = DockDirection() == 3;
  std::vector<TControl*> children;
  for (Integer i = 0; i < ControlCount(); ++i)
    children.push_back(Controls(i));
  std::stable_sort(children.begin(), children.end(), [vertical](TControl* a, TControl* b) {
    return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  DisableAlign();
  if (!vertical) {
    if (Height() > Width())
      SetBounds(Left(), Top(), Height(), Width());
    for (TControl* c : children) {
      if (!c->Visible() || c->Align() == alLeft || c->Align() == alRight)
        continue;
      if (c->Align() == alBottom) {
        c->SetAlign(alRight);
      } else {
        c->SetLeft(c->Top());
        c->SetAlign(alLeft);
      }
    }
  } else {
    if (Width() > Height())
      SetBounds(Left(), Top(), Height(), Width());
    for (TControl* c : children) {
      if (!c->Visible() || c->Align() == alTop || c->Align() == alBottom)
        continue;
      if (c->Align() == alRight) {
        c->SetAlign(alBottom);
      } else {
        c->SetTop(c->Left());
        c->SetAlign(alTop);
      }
    }
  }
  EnableAlign();
}

void TfrxToolBar::AdjustBounds()
{
  AdjustControls();
  const bool vertical = DockDirection() == 3;
  Integer length = 4;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (Controls(i)->Visible())
      length += vertical ? Controls(i)->Height() : Controls(i)->Width();
  if (vertical)
    SetHeight(length);
  else
    SetWidth(length);
}

void TfrxToolBar::DockTo(TfrxDock* Dock)
{
  Integer x = 0, y = 0;
  switch (Dock->Align()) {
  case alBottom:
    y = 1 - Height();
    break;
  case alLeft:
    x = Dock->Width() - 1;
    break;
  case alRight:
    x = 1 - Width();
    break;
  default:
    y = Dock->Height() - 1;
    break;
  }
  AddToDock(Dock, x, y);
}

void TfrxToolBar::AddToDock(TfrxDock* Dock, Integer X, Integer Y)
{
  SetVisible(false);
  if (FFloating && FFloatWindow) {
    TfrxFloatWindow* window = FFloatWindow;
    FFloatWindow = nullptr;
    window->SetToolBar(nullptr);
    window->Hide();
    SetParent(nullptr);
    window->Release();
  }
  TfrxDock* old = this->Dock();
  SetParent(Dock);
  if (old && old != Dock)
    old->ArrangeToolbars();
  FFloating = false;
  FDragBox->SetVisible(true);
  AdjustControls();
  SetBounds(X, Y, Width(), Height());
  SetVisible(true);
  AdjustBounds();
  Dock->ArrangeToolbars();
}

bool TfrxToolBar::FindDockAt(TCustomForm* Form, TPoint Point)
{
  TfrxDock* dock = nullptr;
  for (Integer i = 0; i < Form->ControlCount() && !dock; ++i) {
    auto* d = dynamic_cast<TfrxDock*>(Form->Controls(i));
    if (d && Point.X >= d->Left() && Point.X <= d->Left() + d->Width() && Point.Y >= d->Top() &&
        Point.Y <= d->Top() + d->Height())
      dock = d;
  }
  if (!dock)
    return false;
  const bool horz = dock->Horizontal();
  if ((FOrientation == toHorzOnly && !horz) || (FOrientation == toVertOnly && horz))
    return false;
  Integer x, y;
  if (horz) {
    x = std::clamp(Point.X - dock->Left(), 0, std::max(dock->Width() - Width(), 0));
    y = dock->Align() == alBottom ? 1 - Height() : dock->Height() - 1;
  } else {
    y = std::clamp(Point.Y - dock->Top(), 0, std::max(dock->Height() - Height(), 0));
    // The bar turns when docked: its thickness is its height now.
    x = dock->Align() == alRight ? 1 - Height() : dock->Width() - 1;
  }
  AddToDock(dock, x, y);
  SetMouseCapture(true);
  FLastPoint = Mouse()->CursorPos();
  FDragging = true;
  return true;
}

bool TfrxToolBar::MoveTo(Integer X, Integer Y)
{
  TfrxDock* dock = Dock();
  if (!dock)
    return false;
  const bool horz = dock->Horizontal();
  // Along the dock is "a", across it "b".
  Integer a = horz ? X : Y, b = horz ? Y : X;
  const Integer length = horz ? Width() : Height();
  const Integer size = horz ? Height() : Width();
  const Integer dockLength = horz ? dock->Width() : dock->Height();
  bool floating = false;
  Integer passes = 0;
  for (; passes < 4;) {
    Integer corrections = 0;
    if (a < -20)
      floating = true;
    if (a < 0) {
      a = 0;
      ++corrections;
    }
    if (a + length > dockLength) {
      a = dockLength - length;
      ++corrections;
    }
    if (!floating)
      for (TfrxToolBar* other : VisibleBars(dock, this)) {
        const Integer oa = horz ? other->Left() : other->Top();
        const Integer ol = horz ? other->Width() : other->Height();
        const Integer ob = horz ? other->Top() : other->Left();
        const Integer os = horz ? other->Height() : other->Width();
        if (ob >= b + size || b >= ob + os)
          continue; // not in the same rows
        if (a >= oa && a < oa + ol) {
          a = oa + ol;
          ++corrections;
        } else if (oa > a && oa < a + length) {
          a = oa - length;
          ++corrections;
        }
      }
    ++passes;
    if (corrections == 0 || floating)
      break;
  }
  if (!FCanFloat)
    floating = false;
  if (floating) {
    StartFloating();
    return true;
  }
  if (passes >= 3)
    return false;
  const Integer thickness = horz ? dock->Height() : dock->Width();
  const bool outside = b < 0 || b + size > thickness;
  SetBounds(horz ? a : b, horz ? b : a, Width(), Height());
  dock->ArrangeToolbars();
  if (outside && thickness == (horz ? dock->Height() : dock->Width()) && FCanFloat)
    StartFloating();
  return true;
}

void TfrxToolBar::MakeFloat(Integer X, Integer Y)
{
  if (FFloatWindow) {
    FFloatWindow->SetBounds(X, Y, FFloatWindow->Width(), FFloatWindow->Height());
    return;
  }
  SetVisible(false);
  FDragBox->SetVisible(false);
  TfrxDock* old = Dock();
  TCustomForm* form = GetParentForm(this);
  FFloatWindow = new TfrxFloatWindow(form);
  FFloatWindow->SetToolBar(this);
  FFloatWindow->SetBounds(X, Y, FFloatWindow->Width(), FFloatWindow->Height());
  FFloatWindow->SetCaption(Caption());
  FFloating = true;
  SetParent(FFloatWindow);
  AdjustControls();
  AdjustBounds();
  if (old)
    old->ArrangeToolbars();
  FFloatWindow->SetClientWidth(Width() + 6);
  FFloatWindow->SetClientHeight(Height() + 21);
  SetBounds(3, 18, Width(), Height());
  SetVisible(true);
  FFloatWindow->Show();
}

void TfrxToolBar::StartFloating()
{
  FFloating = true;
  FDragging = false;
  SetMouseCapture(false);
  const TPoint p = Mouse()->CursorPos();
  MakeFloat(p.X, p.Y);
  if (FFloatWindow)
    FFloatWindow->StartDrag();
}

void TfrxToolBar::DragMouseDown(TMouseButton Button)
{
  if (Button != mbLeft)
    return;
  FLastPoint = Mouse()->CursorPos();
  FDragging = true;
  SetMouseCapture(true);
}

// The pointer's offset splits into the part along the dock (used as it is) and the part
// across it, in whole rows.
void TfrxToolBar::DragMouseMove()
{
  TfrxDock* dock = Dock();
  if (!FDragging || FFloating || !dock)
    return;
  const TPoint p = Mouse()->CursorPos();
  const bool horz = dock->Horizontal();
  const Integer along = horz ? p.X - FLastPoint.X : p.Y - FLastPoint.Y;
  Integer across = horz ? p.Y - FLastPoint.Y : p.X - FLastPoint.X;
  across = across / dock->RowSize() * dock->RowSize();
  if (along == 0 && across == 0)
    return;
  const Integer x = horz ? Left() + along : Left() + across;
  const Integer y = horz ? Top() + across : Top() + along;
  if (!MoveTo(x, y) || FFloating)
    return;
  if (horz) {
    FLastPoint.X += along;
    FLastPoint.Y += across;
  } else {
    FLastPoint.Y += along;
    FLastPoint.X += across;
  }
}

void TfrxToolBar::DragMouseUp()
{
  FDragging = false;
  SetMouseCapture(false);
}

void TfrxToolBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TPanel::MouseDown(Button, Shift, X, Y);
  DragMouseDown(Button);
}

void TfrxToolBar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TPanel::MouseMove(Shift, X, Y);
  DragMouseMove();
}

void TfrxToolBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TPanel::MouseUp(Button, Shift, X, Y);
  DragMouseUp();
}

// ---- TfrxDockSite ----

namespace {

constexpr char kTreeMagic[4] = {'F', 'R', 'X', 'D'};
constexpr Integer kTreeVersion = 1;
constexpr Integer kMaxDocked = 64;
constexpr Integer kMaxName = 63;

struct TDockedEntry {
  AnsiString Name;
  Integer Height = 0;
  bool Visible = true;
};

// Reads the whole tree into entries, checking every count against the bytes left.
std::vector<TDockedEntry> ReadDockTree(TStream* Stream)
{
  const Int64 size = Stream->Size() - Stream->Position();
  AnsiString bytes(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
  if (!bytes.empty())
    Stream->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  size_t at = 0;
  auto need = [&](size_t n) {
    if (bytes.size() - at < n)
      throw EReadError("Damaged dock layout: it ends too early");
  };
  auto byte = [&]() {
    need(1);
    return static_cast<unsigned char>(bytes[at++]);
  };
  need(5);
  if (bytes.compare(0, 4, kTreeMagic, 4) != 0)
    throw EReadError("Damaged dock layout: not a dock layout");
  at = 4;
  if (byte() != kTreeVersion)
    throw EReadError("Damaged dock layout: unknown version");
  const Integer count = byte() | (byte() << 8);
  if (count > kMaxDocked)
    throw EReadError("Damaged dock layout: too many docked forms");
  std::vector<TDockedEntry> entries;
  for (Integer i = 0; i < count; ++i) {
    TDockedEntry e;
    const Integer length = byte();
    if (length < 1 || length > kMaxName)
      throw EReadError("Damaged dock layout: bad name length");
    need(static_cast<size_t>(length));
    e.Name = bytes.substr(at, static_cast<size_t>(length));
    at += static_cast<size_t>(length);
    need(4);
    Cardinal h = 0;
    for (Integer k = 0; k < 4; ++k)
      h |= static_cast<Cardinal>(byte()) << (8 * k);
    if (h > 32767)
      throw EReadError("Damaged dock layout: bad height");
    e.Height = static_cast<Integer>(h);
    const unsigned char visible = byte();
    if (visible > 1)
      throw EReadError("Damaged dock layout: bad visibility");
    e.Visible = visible == 1;
    entries.push_back(e);
  }
  if (at != bytes.size())
    throw EReadError("Damaged dock layout: bytes after the end");
  return entries;
}

} // namespace

TfrxDockSiteGrip::TfrxDockSiteGrip(TfrxDockSite* ASite) : TGraphicControl(ASite), FSite(ASite)
{
  SetWidth(3);
  SetCursor(crHSplit);
  SetVisible(false);
}

void TfrxDockSiteGrip::Paint()
{
  Canvas()->Brush()->SetColor(clBtnFace);
  Canvas()->FillRect(ClientRect());
}

// The resize follows the pointer in one tracking loop from the press to the release.
void TfrxDockSiteGrip::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || FResizing || !Parent())
    return;
  FResizing = true;
  FLastX = ClientToScreen({X, Y}).X;
  TDestroyWatch watch(this);
  bool released = false;
  TTrackLoop loop;
  loop.CaptureWindow = Parent()->Handle();
  loop.FilterCode = MSGF_USER;
  loop.Name = "the dock site's grip";
  loop.Running = [&] { return !released && !watch.Destroyed(); };
  loop.OnMessage = [&](MSG& m) -> TTrackReply {
    if (m.message == WM_MOUSEMOVE) {
      FSite->ResizeBy(m.pt.X - FLastX);
      FLastX = m.pt.X;
      return trHandled;
    }
    if (m.message == WM_LBUTTONUP) {
      released = true;
      return trHandled;
    }
    return IsMouseMessage(m.message) ? trHandled : trPass;
  };
  TrackModal(loop);
  if (!watch.Destroyed())
    FResizing = false;
}

void TfrxDockSiteGrip::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TfrxDockSiteGrip::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  FResizing = false;
}

TfrxDockSite::TfrxDockSite(TComponent* AOwner) : TPanel(AOwner)
{
  SetDockSite(true);
  SetAlign(alLeft);
  SetCaption(" ");
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetWidth(10);
  FGrip = new TfrxDockSiteGrip(this);
}

TfrxDockSite::~TfrxDockSite()
{
  for (TCustomForm* form : FClients)
    form->RemoveFreeNotification(this);
}

void TfrxDockSite::SetParent(TWinControl* AParent)
{
  TPanel::SetParent(AParent);
  if (FGrip && !ComponentState().Contains(csDestroying))
    FGrip->SetParent(AParent);
  PlaceGrip();
}

void TfrxDockSite::Resize()
{
  TPanel::Resize();
  PlaceGrip();
}

// The grip stands 3 pixels beyond the site's inner edge, aligned as the site is.
void TfrxDockSite::PlaceGrip()
{
  if (!FGrip || !Parent() || ComponentState().Contains(csDestroying) || FGrip->Parent() != Parent())
    return;
  if (FGrip->Align() != Align()) {
    const Integer x = Align() == alLeft ? Left() + Width() + 3 : Left() - 3 - FGrip->Width();
    FGrip->SetBounds(x, Top(), 3, Height());
    FGrip->SetAlign(Align());
  }
}

void TfrxDockSite::Restack()
{
  Integer top = 0;
  for (TCustomForm* form : FClients) {
    form->SetBounds(0, top, ClientWidth(), form->Height());
    if (form->Visible())
      top += form->Height();
  }
}

void TfrxDockSite::DockForm(TCustomForm* Form)
{
  if (!Form || std::find(FClients.begin(), FClients.end(), Form) != FClients.end())
    return;
  // A site narrower than the dropped form takes its width.
  const Integer width = Form->Width();
  Form->SetParent(this);
  Form->FreeNotification(this);
  FClients.push_back(Form);
  Form->SetVisible(true);
  if (Width() < width)
    SetWidth(width);
  Restack();
  FGrip->SetVisible(true);
  PlaceGrip();
}

void TfrxDockSite::UndockForm(TCustomForm* Form)
{
  auto it = std::find(FClients.begin(), FClients.end(), Form);
  if (it == FClients.end())
    return;
  if (FClients.size() <= 1)
    FGrip->SetVisible(false);
  FClients.erase(it);
  Form->RemoveFreeNotification(this);
  Form->SetParent(nullptr);
  Restack();
}

void TfrxDockSite::Notification(TComponent* AComponent, TOperation Operation)
{
  TPanel::Notification(AComponent, Operation);
  if (Operation != opRemove)
    return;
  if (AComponent == FGrip)
    FGrip = nullptr;
  auto it = std::find(FClients.begin(), FClients.end(), AComponent);
  if (it == FClients.end())
    return;
  FClients.erase(it);
  if (FGrip && FClients.empty())
    FGrip->SetVisible(false);
}

void TfrxDockSite::ResizeBy(Integer Delta)
{
  const Integer width = std::max(Align() == alLeft ? Width() + Delta : Width() - Delta, 1);
  if (width == Width())
    return;
  const bool autoSize = AutoSize();
  SetAutoSize(false);
  SetWidth(width);
  SetAutoSize(autoSize);
  Restack();
}

TControl* TfrxDockSite::ReloadDockedControl(const AnsiString& AControlName)
{
  if (auto* c = dynamic_cast<TControl*>(FindGlobalComponent(AControlName)))
    return c;
  if (Screen())
    for (Integer i = 0; i < Screen()->FormCount(); ++i)
      if (auto* c = dynamic_cast<TControl*>(Screen()->Forms(i)->FindComponent(AControlName)))
        return c;
  return nullptr;
}

void TfrxDockSite::SaveDockTree(TMemoryStream* Stream) const
{
  AnsiString bytes(kTreeMagic, 4);
  bytes += static_cast<char>(kTreeVersion);
  std::vector<TCustomForm*> named;
  for (TCustomForm* form : FClients)
    if (!form->Name().empty() && form->Name().size() <= static_cast<size_t>(kMaxName))
      named.push_back(form);
  const Integer count = std::min<Integer>(static_cast<Integer>(named.size()), kMaxDocked);
  bytes += static_cast<char>(count & 0xFF);
  bytes += static_cast<char>(count >> 8);
  for (Integer i = 0; i < count; ++i) {
    TCustomForm* form = named[static_cast<size_t>(i)];
    bytes += static_cast<char>(form->Name().size());
    bytes += form->Name();
    const Cardinal h = static_cast<Cardinal>(std::clamp(form->Height(), 0, 32767));
    for (Integer k = 0; k < 4; ++k)
      bytes += static_cast<char>((h >> (8 * k)) & 0xFF);
    bytes += static_cast<char>(form->Visible() ? 1 : 0);
  }
  Stream->SetSize(0);
  Stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TfrxDockSite::LoadDockTree(TStream* Stream)
{
  // Everything is read and checked first, so a damaged tree changes nothing.
  const std::vector<TDockedEntry> entries = ReadDockTree(Stream);
  for (const TDockedEntry& e : entries) {
    auto* form = dynamic_cast<TCustomForm*>(ReloadDockedControl(e.Name));
    if (!form)
      continue;
    DockForm(form);
    form->SetHeight(e.Height);
    form->SetVisible(e.Visible);
    Restack();
  }
  Restack();
}

// ---- Layout in a settings store ----

void SaveDockSiteLayout(TCustomIniFile* Store, TfrxDockSite* Site)
{
  TMemoryStream stream;
  Site->SaveDockTree(&stream);
  Store->WriteString("Dock." + Site->Name(), "Data", StreamToHex(&stream));
}

void RestoreDockSiteLayout(TCustomIniFile* Store, TfrxDockSite* Site)
{
  const AnsiString data = Store->ReadString("Dock." + Site->Name(), "Data", "");
  TMemoryStream stream;
  try {
    HexToStream(data, &stream);
    if (stream.Size() == 0)
      return;
    stream.SetPosition(0);
    Site->LoadDockTree(&stream);
  } catch (const EConvertError&) {
    // A value that is no hexadecimal text: the site stays as it is.
  } catch (const EReadError&) {
    // A damaged tree: the site stays as it is.
  }
}

void SaveToolbarLayout(TCustomIniFile* Store, TfrxToolBar* ToolBar)
{
  const AnsiString section = "ToolBar." + ToolBar->Name();
  const bool floating = ToolBar->Floating() && ToolBar->FloatWindow();
  Store->WriteBool(section, "Float", floating);
  Store->WriteBool(section, "Visible", ToolBar->IsShown());
  TControl* placed = floating ? static_cast<TControl*>(ToolBar->FloatWindow()) : ToolBar;
  Store->WriteInteger(section, "Left", placed->Left());
  Store->WriteInteger(section, "Top", placed->Top());
  Store->WriteInteger(section, "Width", ToolBar->Width());
  Store->WriteInteger(section, "Height", ToolBar->Height());
  if (auto* dock = dynamic_cast<TfrxDock*>(ToolBar->Parent()))
    Store->WriteString(section, "Dock", dock->Name());
}

void RestoreToolbarLayout(TCustomIniFile* Store, TfrxToolBar* ToolBar)
{
  const AnsiString section = "ToolBar." + ToolBar->Name();
  ToolBar->SetShown(false);
  const Integer left = Store->ReadInteger(section, "Left", ToolBar->Left());
  const Integer top = Store->ReadInteger(section, "Top", ToolBar->Top());
  if (Store->ReadBool(section, "Float", false)) {
    ToolBar->MakeFloat(left, top);
  } else {
    ToolBar->SetBounds(left, top, ToolBar->Width(), ToolBar->Height());
    const AnsiString dockName = Store->ReadString(
        section, "Dock", ToolBar->Parent() ? ToolBar->Parent()->Name() : AnsiString());
    if (TComponent* owner = ToolBar->Owner()) {
      auto* dock = dynamic_cast<TfrxDock*>(owner->FindComponent(dockName));
      if (dock && dock != ToolBar->Parent())
        ToolBar->AddToDock(dock, left, top);
    }
  }
  ToolBar->SetBounds(ToolBar->Left(), ToolBar->Top(),
                     Store->ReadInteger(section, "Width", ToolBar->Width()),
                     Store->ReadInteger(section, "Height", ToolBar->Height()));
  ToolBar->AdjustBounds();
  ToolBar->SetShown(Store->ReadBool(section, "Visible", true));
}

void SaveFormLayout(TCustomIniFile* Store, TCustomForm* Form)
{
  const AnsiString section = "Form." + Form->ClassName();
  Store->WriteInteger(section, "Left", Form->Left());
  Store->WriteInteger(section, "Top", Form->Top());
  Store->WriteInteger(section, "Width", Form->Width());
  Store->WriteInteger(section, "Height", Form->Height());
  Store->WriteBool(section, "Maximized", Form->WindowState() == wsMaximized);
  Store->WriteBool(section, "Visible", Form->Visible());
  Store->WriteString(section, "Dock", Form->Parent() ? Form->Parent()->Name() : AnsiString());
}

// A form docked into a windowed control stands inside it (without an alignment of its own).
void RestoreFormLayout(TCustomIniFile* Store, TCustomForm* Form)
{
  const AnsiString section = "Form." + Form->ClassName();
  if (Store->ReadBool(section, "Maximized", false))
    Form->SetWindowState(wsMaximized);
  else
    Form->SetBounds(Store->ReadInteger(section, "Left", Form->Left()),
                    Store->ReadInteger(section, "Top", Form->Top()),
                    Store->ReadInteger(section, "Width", Form->Width()),
                    Store->ReadInteger(section, "Height", Form->Height()));
  const AnsiString dock = Store->ReadString(section, "Dock", "");
  if (!dock.empty())
    if (auto* site = dynamic_cast<TWinControl*>(LocateComponent(Form->Owner(), dock));
        site && site != Form) {
      if (auto* dockSite = dynamic_cast<TfrxDockSite*>(site))
        dockSite->DockForm(Form);
      else
        Form->SetParent(site);
    }
  Form->SetVisible(Store->ReadBool(section, "Visible", true));
}

void RegisterDockClasses()
{
  TClassRegistration<TfrxTBPanel, TPanel>("TfrxTBPanel");
  TClassRegistration<TfrxDock, TPanel>("TfrxDock");
  TClassRegistration<TfrxToolBar, TPanel>("TfrxToolBar");
  TClassRegistration<TfrxDragBox, TGraphicControl>("TfrxDragBox");
  TClassRegistration<TfrxFloatWindow, TForm>("TfrxFloatWindow");
  TClassRegistration<TfrxDockSite, TPanel>("TfrxDockSite");
}
