// The drop-down windows edit boxes and the grid's cell editor open below (or above)
// themselves: a popup list box with incremental search and images, a list of recently used
// texts with its own scroll bar, the size grip in one corner of a drop-down, the placement
// of a drop-down in the monitor's work area, and two settings objects the owners publish:
// the recent-text list (TMRUListEh) and the special first row of lookup lists (TSpecRowEh).
// DropDownsEh<Part>.cpp hold the classes; the owners create, fill, show and close them.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Variants.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

class TCustomImageList;

// Drop-down windows' private messages.
constexpr UINT CM_GRIPMOVEEH = 0x464;      // move the size grip: WParam's low byte a TGripMoveEh
constexpr UINT CM_CALENDARCLOSEEH = 0x465; // close without accepting

enum TGripCornerEh { gcTopLeft, gcTopRight, gcBottomRight, gcBottomLeft };
enum TGripMoveEh { gmToLeft, gmToRight, gmToTop, gmToBottom };

// What a control that owns a drop-down offers the drop-down: closing it.
class IDropDownOwnerEh {
public:
  virtual ~IDropDownOwnerEh() = default;
  virtual void CloseDropDown(bool Accept) = 0;
};

// Where a drop-down of its present size goes for an owner's screen rectangle: below the
// owner, or above when it fits only there or fits neither way and there is more room above
// (shortened to the room); aligned left (0), right (1) or centred (2), kept inside the work
// area of the monitor nearest the owner. The drop-down may be shortened and narrowed, and
// is told where its grip goes (CM_GRIPMOVEEH, the vertical decision, then the horizontal).
TPoint FitDropDownToScreen(const TRect& OwnerScreenRect, TWinControl* DropDown, Integer Align);
TPoint FitDropDownToControl(TControl* Owner, TWinControl* DropDown, Integer Align);

// The size grip in a corner of a drop-down: a triangle (or square) of stripes; dragging it
// resizes the parent within the desktop's work area.
class TSizeGripEh : public TCustomControl {
public:
  explicit TSizeGripEh(TComponent* AOwner);

  TGripCornerEh Corner() const { return FCorner; }
  void SetCorner(TGripCornerEh Value);
  bool Triangle() const { return FTriangle; }
  void SetTriangle(bool Value);
  // Moves the grip to the corner a drop-down opened towards.
  void MoveTo(TGripMoveEh Move);
  // Places the grip in its corner of the parent's client area.
  void SnapToCorner();
  void SetGripVisible(bool Value);
  TNotifyEvent OnParentSizeChanged;

protected:
  void CreateWnd() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMWindowPosChanged(TMessage& Message) override;

private:
  void UpdateShape();
  bool RightSide() const { return FCorner == gcTopRight || FCorner == gcBottomRight; }
  bool BottomSide() const { return FCorner == gcBottomRight || FCorner == gcBottomLeft; }

  TPoint FStartMouse;
  bool FInternalMove = false;
  bool FDragging = false;
  TPoint FLastMouse;
  TSize FStartClient, FStartSize;
  TRect FStartBounds;
  TGripCornerEh FCorner = gcBottomRight;
  bool FTriangle = true;
};

using TListGetImageIndexEventEh =
    TEvent<void(TObject* Sender, Integer ItemIndex, Integer& ImageIndex)>;

// A list box in a top-level window of its own that never takes the focus: its owner keeps
// the focus and hands keys on. Its height is always whole rows; it tracks the mouse, finds
// items as the user types, and may show an image before each item. Its scroll bar is a
// child at the client area's right edge, kept clear of the size grip: beside a grip in a
// right-hand corner it runs from the top to the grip (or from the grip to the bottom), and
// the grip is then a full square in the corner under (or over) it.
class TPopupListboxEh : public TCustomListBox {
public:
  explicit TPopupListboxEh(TComponent* AOwner);
  ~TPopupListboxEh() override;

  TSizeGripEh* SizeGrip() const { return FSizeGrip; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  // Rows shown (as the height last set made them).
  Integer RowCount() const { return FRowCount; }
  void SetRowCount(Integer Value);
  // The non-client height: the window's frame and the 2-pixel frame of a Ctl3D list.
  Integer BorderHeight() const;
  Integer BorderWidthEh() const { return Ctl3D() ? 2 : 0; }
  // Shows the texts of another list (virtual owner draw) instead of its own items; null
  // goes back to its own.
  void UseExternalItems(TStrings* Items);
  TStrings* ExternalItems() const { return FExternalItems; }
  // The text typed for incremental search so far.
  const AnsiString& SearchText() const { return FSearchText; }
  bool SizeGripResized() const { return FSizeGripResized; }
  void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }
  // Called with the list's owner as Sender.
  TListGetImageIndexEventEh OnGetImageIndex;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool CanFocusEh() const { return false; }
  TScrollBar* ScrollBar() const { return FScrollBar; }
  // Places the scroll bar and the grip for the present size, items and grip corner.
  void UpdateScrollBar();

  // A release at P (client coordinates): inside the list, the item under it becomes the
  // chosen one. Whether P is inside: the list closes accepting then, else cancelling.
  bool ChooseItemAt(TPoint P);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State) override;
  AnsiString DoGetData(Integer Index) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void GripParentSizeChanged(TObject* Sender);
  Integer EffectiveItemHeightEh();

private:
  void PaintFrame();
  void ScrollBarNotification(TMessage& Message);
  void HideOwnBar();
  // Whether what the bar shows (items, top row, size, grip) changed since it was placed.
  bool ScrollBarOutdated();

  TSizeGripEh* FSizeGrip;
  TScrollBar* FScrollBar;
  bool FScrollBarLock = false;
  std::vector<Integer> FScrollBarState;
  TPoint FMousePos{-1, -1};
  AnsiString FSearchText;
  Cardinal FSearchTickCount = 0;
  TCustomImageList* FImages = nullptr;
  Integer FRowCount = 0;
  TStrings* FExternalItems = nullptr;
  bool FSizeGripResized = false;
};

// The recent-text list: a sorted popup list.
class TMRUListboxEh : public TPopupListboxEh {
public:
  explicit TMRUListboxEh(TComponent* AOwner);
};

// The calendar that date editors drop down: a popup month calendar in a 2-pixel frame that
// closes through its owner (IDropDownOwnerEh): accepting on Enter and on a release over a
// date, the today link or the month name; not accepting on Esc, a press outside it, the loss
// of the focus to a window that is not its own, or CM_CALENDARCLOSEEH.
class TPopupMonthCalendarEh : public TMonthCalendar {
public:
  explicit TPopupMonthCalendarEh(TComponent* AOwner);
  Integer BorderWidthEh() const { return Ctl3D() ? 2 : 0; }
  // Fits the window to the calendar's smallest size and the frame.
  void FitSize();
  // Whether a release at a hit-test code accepts.
  static bool HitAccepts(UINT Code);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;

private:
  void CloseUp(bool Accept);
};

// ---- Settings objects ----

using TMRUItemFilterEventEh = TEvent<void(TObject* Sender, const AnsiString& Item, bool& Accept)>;
using TCloseUpEventEh = TEvent<void(TObject* Sender, bool Accept)>;

// The recently used texts of an edit: remembered as typed, newest last, at most Limit.
class TMRUListEh : public TPersistent {
public:
  explicit TMRUListEh(TPersistent* Owner = nullptr);
  ~TMRUListEh() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  bool AutoAdd() const { return FAutoAdd; }
  void SetAutoAdd(bool Value) { FAutoAdd = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // Negative limits count as 0.
  Integer Limit() const { return FLimit; }
  void SetLimit(Integer Value);
  Integer Rows() const { return FRows; }
  void SetRows(Integer Value) { FRows = Value; }
  Integer ListWidth() const { return FListWidth; }
  void SetListWidth(Integer Value) { FListWidth = Value; }
  bool StopOnPendingKey() const { return FStopOnPendingKey; }
  void SetStopOnPendingKey(bool Value) { FStopOnPendingKey = Value; }
  bool IsDroppedDown() const { return FDroppedDown; }

  // A text that is blank once trimmed is ignored; one already there (as CaseSensitive
  // compares) moves to the end keeping its stored text; a new one is appended and the
  // oldest go while there are more than Limit.
  void Remember(const AnsiString& Text);
  // Copies the items starting with Text (OnItemFilter has the last word). After items 0,
  // 100, 200 ... it looks for a waiting key press; with StopOnPendingKey it then stops and
  // answers false.
  bool CopyMatchingTo(TStrings* Target, const AnsiString& Text);
  virtual void NotifyDropDown();
  virtual void NotifyCloseUp(bool Accept);
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnActiveChange;
  TMRUItemFilterEventEh OnItemFilter;
  TCloseUpEventEh OnCloseUpHook;
  TNotifyEvent OnDropDownHook;

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  bool SameItem(const AnsiString& A, const AnsiString& B) const;
  void Trim();

  TPersistent* FOwner;
  bool FActive = false;
  bool FAutoAdd = true;
  bool FCaseSensitive = false;
  std::unique_ptr<TStringList> FItems;
  Integer FLimit = 100;
  Integer FRows = 7;
  Integer FListWidth = 0;
  bool FStopOnPendingKey = true;
  bool FDroppedDown = false;
};

using TSpecRowChangeHookEh = TEvent<void(TObject* Sender)>;

// The special first row of a lookup list: one extra value with its own cell texts.
class TSpecRowEh : public TPersistent {
public:
  explicit TSpecRowEh(TControl* Owner);
  ~TSpecRowEh() override;

  // ';'-separated cell texts; a part in double quotes may hold ';' (doubled quotes inside).
  const AnsiString& CellsText() const { return FCellsText; }
  void SetCellsText(const AnsiString& Value);
  // The owner's colour and font until assigned.
  TColor Color() const;
  void SetColor(TColor Value);
  TFont* Font() const;
  void SetFont(TFont* Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  bool ShowIfNotInKeyList() const { return FShowIfNotInKeyList; }
  void SetShowIfNotInKeyList(bool Value);
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool ColorAssigned() const { return FColorAssigned; }
  bool FontAssigned() const { return FFontAssigned; }
  bool IsCurrent() const { return FIsCurrent; }
  void SetIsCurrent(bool Value) { FIsCurrent = Value; }

  // The index-th cell text, empty outside the range.
  AnsiString TextOfCell(Integer Index) const;
  Integer CellCount() const { return FCellsStrings->Count(); }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Assign(TPersistent* Source) override;
  TSpecRowChangeHookEh OnChanged;

protected:
  TPersistent* GetOwner() override { return FOwner; }

private:
  void Changed();
  void FontChanged(TObject* Sender);
  void SplitCellsText();

  TControl* FOwner;
  AnsiString FCellsText;
  std::unique_ptr<TStringList> FCellsStrings;
  TColor FColor = clWindow;
  std::unique_ptr<TFont> FFont;
  TShortCut FShortCut;
  bool FShowIfNotInKeyList = true;
  Variant FValue;
  bool FVisible = false;
  bool FColorAssigned = false;
  bool FFontAssigned = false;
  bool FIsCurrent = false;
  bool FRefreshingFont = false;
  Integer FUpdateCount = 0;
};

// Splits special-row cell texts (see TSpecRowEh::CellsText).
void SplitCellsTextEh(const AnsiString& Text, TStrings* Cells);

void DropDownsEhInitialization();
void DropDownsEhFinalization();
