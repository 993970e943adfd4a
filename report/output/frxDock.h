// The report library's tool-bar docking: docks along the edges of a form (TfrxDock) hold
// tool bars (TfrxToolBar) in rows of RowSize pixels; a bar is dragged by its grip
// (TfrxDragBox) or any free spot along its dock, into another row, or off the dock into a
// small floating window (TfrxFloatWindow), from which it docks again when dragged over a
// dock. TfrxTBPanel is a spacer or the host of a control inside a bar. Four functions keep
// the layout of tool bars and forms in a settings store: "ToolBar.<name>" (Float, Visible,
// Left, Top, Width, Height, Dock) and "Form.<class>" (Left, Top, Width, Height, Maximized,
// Visible, Dock), "Dock.<site>" (Data: the dock site's tree as hexadecimal text). The
// preview window uses the panels in its tool bar.
#pragma once

#include <vector>

#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"

class TCustomIniFile;
class TMemoryStream;
class TStream;
class TfrxToolBar;

// A spacer, or the host of a control that is not a button, inside a tool bar: filled with
// the button face (a dotted frame at design time); it stands at the top in a vertical bar
// and at the left otherwise.
class TfrxTBPanel : public TPanel {
public:
  explicit TfrxTBPanel(TComponent* AOwner);
  void SetParent(TWinControl* AParent) override;

protected:
  void Paint() override;
};

// A dock along a form's edge; its children are tool bars in rows of RowSize pixels. Top and
// bottom docks are horizontal, left and right docks vertical.
class TfrxDock : public TPanel {
public:
  explicit TfrxDock(TComponent* AOwner);

  Integer RowSize() const { return FRowSize; }
  void SetRowSize(Integer Value) { FRowSize = Value; }
  bool Horizontal() const { return Align() != alLeft && Align() != alRight; }
  // Packs the visible bars into rows: empty rows go, and the dock takes the thickness of
  // its rows (1 pixel without bars).
  void ArrangeToolbars();

protected:
  void Paint() override;
  void Loaded() override;

private:
  Integer FRowSize = 26;
};

enum TfrxOrientation { toAny, toVertOnly, toHorzOnly };

// The grip of a tool bar: a dotted strip at its start.
class TfrxDragBox : public TGraphicControl {
public:
  explicit TfrxDragBox(TComponent* AOwner);

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  TfrxToolBar* Bar() const;
};

// The small window a floating tool bar sits in: a grey frame and title strip with the bar's
// caption and a close button; dragging it over a dock docks the bar there.
class TfrxFloatWindow : public TForm {
public:
  explicit TfrxFloatWindow(TComponent* AOwner);
  ~TfrxFloatWindow() override;

  TfrxToolBar* ToolBar() const { return FToolBar; }
  void SetToolBar(TfrxToolBar* Value) { FToolBar = Value; }
  // Starts following the pointer (the button is down).
  void StartDrag();
  TSpeedButton* CloseBtn;

protected:
  void Paint() override;
  void DoShow() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  void CloseBtnClick(TObject* Sender);

  TfrxToolBar* FToolBar = nullptr;
  bool FDragging = false;
  TPoint FLastPoint;
};

class TfrxToolBar : public TPanel {
public:
  explicit TfrxToolBar(TComponent* AOwner);
  ~TfrxToolBar() override;

  bool CanFloat() const { return FCanFloat; }
  void SetCanFloat(bool Value) { FCanFloat = Value; }
  TfrxOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TfrxOrientation Value) { FOrientation = Value; }
  bool Floating() const { return FFloating; }
  TfrxFloatWindow* FloatWindow() const { return FFloatWindow; }
  TfrxDragBox* DragBox() const { return FDragBox; }
  // 1 in a top or bottom dock, 3 in a left or right dock, the parent's alignment otherwise
  // (0 while floating).
  Integer DockDirection() const;

  // Docks the bar as a new row beyond the dock's bars.
  void DockTo(TfrxDock* Dock);
  void AddToDock(TfrxDock* Dock, Integer X, Integer Y);
  // Docks the bar into the form's dock under Point (form client coordinates) and lets the
  // drag go on there; false when no dock takes it.
  bool FindDockAt(TCustomForm* Form, TPoint Point);
  // Moves the docked bar, pushed clear of the bars in its rows; false when no place is
  // found. Past the dock's start (more than 20 pixels) or outside its rows it floats.
  bool MoveTo(Integer X, Integer Y);
  // Floats the bar in its window at a screen point (or moves the window there).
  void MakeFloat(Integer X, Integer Y);
  void StartFloating();
  void AdjustControls();
  void AdjustBounds();
  // The floating window's visibility while floating, else the bar's.
  bool IsShown() const;
  void SetShown(bool Value);

  // The drag of the bar by any free spot (and by the grip).
  void DragMouseDown(TMouseButton Button);
  void DragMouseMove();
  void DragMouseUp();

protected:
  void Paint() override;
  void Resize() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  friend class TfrxFloatWindow;
  TfrxDock* Dock() const;

  bool FCanFloat = true;
  TfrxOrientation FOrientation = toAny;
  TfrxDragBox* FDragBox = nullptr;
  bool FFloating = false;
  TfrxFloatWindow* FFloatWindow = nullptr;
  bool FDragging = false;
  TPoint FLastPoint;
};

class TfrxDockSite;

// The grip beside a dock site by which it is widened or narrowed.
class TfrxDockSiteGrip : public TGraphicControl {
public:
  explicit TfrxDockSiteGrip(TfrxDockSite* ASite);

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
  TfrxDockSite* FSite;
  bool FResizing = false;
  Integer FLastX = 0;
};

// A panel that hosts dockable forms, stacked top to bottom in the order they were docked,
// with a grip beside it (shown while a form is docked) to resize it. Its dock tree is saved
// and loaded as a stream (format below); a form named in a loaded tree is found among all
// components of the program (ReloadDockedControl).
//
// Dock tree stream:
//   offset size  what
//   0      4     "FRXD"
//   4      1     version (1)
//   5      2     n, the number of docked forms (at most 64), little-endian
//   then n times:
//          1     length of the name (1 .. 63)
//          len   the form's name (component name)
//          4     its height in pixels, little-endian, 0 .. 32767
//          1     1 when visible, else 0
class TfrxDockSite : public TPanel {
public:
  explicit TfrxDockSite(TComponent* AOwner);
  ~TfrxDockSite() override;

  // Docks Form into the site (a site narrower than the form takes its width).
  void DockForm(TCustomForm* Form);
  // Takes a docked form out again; it becomes a window of its own.
  void UndockForm(TCustomForm* Form);
  Integer DockClientCount() const { return static_cast<Integer>(FClients.size()); }
  TCustomForm* DockClients(Integer Index) const { return FClients[static_cast<size_t>(Index)]; }
  TfrxDockSiteGrip* Grip() const { return FGrip; }
  // The control of that name among all global components; nil when none.
  virtual TControl* ReloadDockedControl(const AnsiString& AControlName);
  void SaveDockTree(TMemoryStream* Stream) const;
  // Reads a tree and docks its forms; a damaged stream raises and changes nothing.
  void LoadDockTree(TStream* Stream);
  // Width change by the grip (a left site grows to the right, others the other way).
  void ResizeBy(Integer Delta);
  // The grip goes to the same parent.
  void SetParent(TWinControl* AParent) override;

protected:
  void Resize() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PlaceGrip();
  void Restack();

  TfrxDockSiteGrip* FGrip = nullptr;
  std::vector<TCustomForm*> FClients;
};

void SaveDockSiteLayout(TCustomIniFile* Store, TfrxDockSite* Site);
// An empty, missing or damaged "Data" value leaves the site as it is.
void RestoreDockSiteLayout(TCustomIniFile* Store, TfrxDockSite* Site);
void SaveToolbarLayout(TCustomIniFile* Store, TfrxToolBar* ToolBar);
void RestoreToolbarLayout(TCustomIniFile* Store, TfrxToolBar* ToolBar);
void SaveFormLayout(TCustomIniFile* Store, TCustomForm* Form);
void RestoreFormLayout(TCustomIniFile* Store, TCustomForm* Form);

void RegisterDockClasses();
