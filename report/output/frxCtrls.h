// The report library's own small controls: the scrolling base of the preview's page area and
// the designer's code editor (TfrxScrollWin), a flat combo box that looks like a tool-bar
// control (TfrxComboBox), a font combo that keeps the five most recently chosen fonts in the
// settings store (TfrxFontComboBox, with its sample window TfrxFontPreview) and an edit with
// a button at its right end (TfrxComboEdit). The preview (frxPreview.h) uses the first two.
#pragma once

#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

class TBitmap;

// A custom control with two scroll bars whose ranges, page sizes and positions a descendant
// sets in pixels. Every position change that moves the position calls HorzPositionChanged
// or VertPositionChanged.
class TfrxScrollWin : public TCustomControl {
public:
  explicit TfrxScrollWin(TComponent* AOwner);

  Integer HorzPage() const { return FHorzPage; }
  void SetHorzPage(Integer Value);
  Integer HorzRange() const { return FHorzRange; }
  void SetHorzRange(Integer Value);
  Integer HorzPosition() const { return FHorzPosition; }
  // Bounded to 0 .. range - page; a change moves the thumb and notifies.
  void SetHorzPosition(Integer Value);
  Integer VertPage() const { return FVertPage; }
  void SetVertPage(Integer Value);
  Integer VertRange() const { return FVertRange; }
  void SetVertRange(Integer Value);
  Integer VertPosition() const { return FVertPosition; }
  void SetVertPosition(Integer Value);
  // The page and line steps of the scroll bars' page areas and arrows.
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value) { FLargeChange = Value; }
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value) { FSmallChange = Value; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  // Fills the client area with the control's colour.
  void FillClientArea();
  virtual void HorzPositionChanged() {}
  virtual void VertPositionChanged() {}

private:
  void UpdateScrollBar(Integer Bar);
  // Moves the position of Bar (SB_HORZ or SB_VERT) to Value, kept within 0 .. range - page,
  // and the bar with it; false when the position stays where it was.
  bool MovePosition(Integer Bar, Integer Value);
  void WMScrollBar(TMessage& Message, Integer Bar);

  Integer FHorzPage = 0, FHorzRange = 0, FHorzPosition = 0;
  Integer FVertPage = 0, FVertRange = 0, FVertPosition = 0;
  Integer FLargeChange = 10;
  Integer FSmallChange = 1;
};

// A combo box drawn flat, like a tool-bar control: raised while the mouse is over it or it
// has the focus, with a narrow drop-down button. Its items have the height of its font.
class TfrxCustomComboBox : public TCustomComboBox {
public:
  explicit TfrxCustomComboBox(TComponent* AOwner);

  Integer ButtonWidth() const { return FButtonWidth; }
  // Pixels left free before the edit part (the font combo draws its glyph there).
  Integer EditOffset() const { return FEditOffset; }
  void SetEditOffset(Integer Value);
  // Width of the drop-down list; 0 gives the control's width - 1.
  Integer ListWidth() const { return FListWidth; }
  void SetListWidth(Integer Value) { FListWidth = Value; }
  // The edit part takes no typing.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Raised look: designing, list open, focus in the edit part, or the mouse inside.
  bool IsHot() const;

protected:
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void AdjustDropDown(TRect& Bounds) override;
  void ListWndProc(TMessage& Message) override;
  // Draws the area left of the edit part (0 wide unless EditOffset is set).
  virtual void DrawEditArea(TCanvas* Canvas, const TRect& Rect);
  void UpdateItemHeight();
  void PlaceEdit();

  Integer FButtonWidth = 11;
  Integer FEditOffset = 0;
  Integer FListWidth = 0;
  bool FReadOnly = false;
  bool FMouseInControl = false;
};

class TfrxComboBox : public TfrxCustomComboBox {
public:
  explicit TfrxComboBox(TComponent* AOwner) : TfrxCustomComboBox(AOwner) {}
};

// The large sample of a font shown beside an open font list.
class TfrxFontPreview : public TWinControl {
public:
  explicit TfrxFontPreview(TComponent* AOwner);
  TPanel* Panel() const { return FPanel; }

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  TPanel* FPanel;
};

// The installed fonts with a TrueType mark; the five fonts chosen last stand at the top of
// the list (and again in the sorted list below them) and are kept in the settings store
// under MRURegKey: "Font0".."Font4" (names, slot 0 the newest) and "FontType0".."FontType4"
// (type flags); free slots hold "" and 0.
class TfrxFontComboBox : public TfrxCustomComboBox {
public:
  explicit TfrxFontComboBox(TComponent* AOwner);
  ~TfrxFontComboBox() override;

  bool ShowMRU() const { return FShowMRU; }
  void SetShowMRU(bool Value) { FShowMRU = Value; }
  // The key of the recent fonts in the user's hive; "" is "\Software\ZuzuDorova\MRUFont".
  const AnsiString& MRURegKey() const { return FMRURegKey; }
  void SetMRURegKey(const AnsiString& Value) { FMRURegKey = Value; }
  // Fills the list: every font family, the recent fonts read from the store in front (a
  // slot naming a font that is no longer installed is cleared).
  void PopulateList();
  // What choosing the item at Index from the list does (the list closing on it).
  void ChooseItem(Integer Index);
  // The number of recent entries at the top of the list.
  Integer RecentCount() const { return FMRUCount; }
  TfrxFontPreview* Preview() const { return FPreview; }

protected:
  void CreateWnd() override;
  void DrawEditArea(TCanvas* Canvas, const TRect& Rect) override;
  void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State) override;
  void DropDown() override;
  void CloseUp() override;
  void Dispatch(TMessage& Message) override;

private:
  AnsiString RegKey() const;
  void SaveMRU();
  void ShowSample(Integer Index);

  bool FShowMRU = true;
  AnsiString FMRURegKey;
  Integer FMRUCount = 0;
  bool FUpdating = false;
  TfrxFontPreview* FPreview = nullptr;
};

// An edit with a button at its right end: a click on the button focuses the edit and fires
// OnButtonClick; Enter and Esc go to the form as its dialog keys.
class TfrxComboEdit : public TCustomComboBox {
public:
  explicit TfrxComboEdit(TComponent* AOwner);

  TBitmap* Glyph() const;
  void SetGlyph(TBitmap* Value);
  bool ButtonEnabled() const;
  void SetButtonEnabled(bool Value);
  AnsiString ButtonHint() const;
  void SetButtonHint(const AnsiString& Value);
  TSpeedButton* Button() const { return FButton; }

  TNotifyEvent OnButtonClick;

protected:
  void Dispatch(TMessage& Message) override;
  void Resize() override;
  void KeyPress(char& Key) override;

private:
  void ButtonClick(TObject* Sender);
  void PlaceButton();

  TPanel* FPanel;
  TSpeedButton* FButton;
};

// The class records of the unit (frxCtrls unit start-up).
void RegisterCtrlsClasses();
