// The standard controls the first forms need: labels (TLabel, with '&' accelerators that
// focus another control), push buttons (TButton: default and cancel buttons, modal
// results) and single-line edits (TEdit over TEditText, a GBK text model with caret and
// selection). They are drawn by us and answer the platform's EM_/BM_ messages; Controls.h
// holds the control base and Forms.h the forms they live on.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Forms.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// The border of an edit: bsNone or bsSingle of the form border styles.
using TBorderStyle = TFormBorderStyle;

// True when Str marks VK (a character code) as its accelerator with '&' ("&&" is a plain
// '&'); letters compare ignoring case.
bool IsAccel(Word VK, const AnsiString& Str);

// ---- Edit text model ----

// The text of an edit: GBK bytes, a selection as anchor and active end (the caret), both
// byte indexes that never fall inside a character. A double-byte character and a CR LF pair
// are one character each. No window, no drawing: TCustomEdit puts a window on top of it.
class TEditText {
public:
  const AnsiString& Text() const { return FText; }
  // Replaces the whole text (no length limit); caret and anchor at 0.
  void SetText(const AnsiString& Value);
  Integer Length() const { return static_cast<Integer>(FText.size()); }

  Integer Anchor() const { return FAnchor; }
  Integer Caret() const { return FCaret; }
  Integer SelStart() const { return FAnchor < FCaret ? FAnchor : FCaret; }
  Integer SelEnd() const { return FAnchor < FCaret ? FCaret : FAnchor; }
  Integer SelLength() const { return SelEnd() - SelStart(); }
  AnsiString SelText() const { return FText.substr(SelStart(), SelLength()); }
  // Sets anchor and caret, clamped to the text (-1 = the end) and moved off trail bytes
  // to the start of their character.
  void SetSel(Integer Anchor, Integer Caret);
  // The caret moved to Pos; the anchor stays when extending, otherwise follows.
  void MoveCaret(Integer Pos, bool Extend);

  // Replaces the selection by Value, cut to what MaxLength leaves room for (0 = no
  // limit; never splitting a character); the caret ends after the insertion.
  // Returns false when nothing of a non-empty Value fitted.
  bool ReplaceSel(const AnsiString& Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value) { FMaxLength = Value < 0 ? 0 : Value; }

  // Character boundaries around Pos (Pos itself must be a boundary).
  Integer PrevChar(Integer Pos) const;
  Integer NextChar(Integer Pos) const;
  // Word boundaries: blanks separate words, each double-byte character is a word, and a
  // line break is a stop of its own.
  Integer PrevWord(Integer Pos) const;
  Integer NextWord(Integer Pos) const;
  // The word around Pos, as a double click selects it: [Start, End).
  void WordAt(Integer Pos, Integer& Start, Integer& End) const;
  // The start of the character that holds byte Pos.
  Integer CharStart(Integer Pos) const;

private:
  AnsiString FText;
  Integer FAnchor = 0;
  Integer FCaret = 0;
  Integer FMaxLength = 0;
};

// One line of an edit as shown: bytes [Start, End) are drawn; Next is where the following
// line starts (after its line break, or at End where the line wraps).
struct TEditLine {
  Integer Start = 0;
  Integer End = 0;
  Integer Next = 0;
};

// Measures a run of text for the layout: Extents[i] receives the x position after byte i
// (a trail byte repeats its lead byte's), for a run that starts at x = StartX of its line.
using TEditMeasure = std::function<void(const char* Text, Integer Length, Integer StartX,
                                        std::vector<Integer>& Extents)>;

// Breaks Text into lines: after each CR LF (a lone CR or LF breaks too), and, when Width is
// positive, wherever a line would grow wider than Width: after the last blank that fits (the
// blanks stay at the end of the line), or between two characters one of which is
// double-byte; a word too long for a line is broken between characters. A line holds at least
// one character. The text always has at least one line.
void LayoutEditLines(const AnsiString& Text, Integer Width, const TEditMeasure& Measure,
                     std::vector<TEditLine>& Lines);

// ---- Labels ----

class TCustomLabel : public TGraphicControl {
public:
  explicit TCustomLabel(TComponent* AOwner);

  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  bool Transparent() const { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  // Fits the bounds to the caption (keeping the edge the alignment anchors).
  void AdjustBounds();
  void AdjustSize() override { AdjustBounds(); }
  Cardinal DrawTextFlags() const;

private:
  TWinControl* FFocusControl = nullptr;
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
};

class TLabel : public TCustomLabel {
public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

enum TStaticBorderStyle { sbsNone, sbsSingle, sbsSunken };

// A label with a window of its own: opaque, it can be moved as a window (the system move
// command) and takes part in the window order. AutoSize fits it to its caption.
class TCustomStaticText : public TWinControl {
public:
  explicit TCustomStaticText(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStaticBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TStaticBorderStyle Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void AdjustSize() override { AdjustBounds(); }
  void AdjustBounds();
  Integer BorderSize() const { return FBorderStyle == sbsNone ? 0 : 1; }

private:
  TAlignment FAlignment = taLeftJustify;
  TStaticBorderStyle FBorderStyle = sbsNone;
  TWinControl* FFocusControl = nullptr;
  bool FShowAccelChar = true;
  std::unique_ptr<TCanvas> FCanvas;
};

class TStaticText : public TCustomStaticText {
public:
  explicit TStaticText(TComponent* AOwner) : TCustomStaticText(AOwner) {}
};

// ---- Buttons ----

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
// Which side of a check box or radio button its caption stands on (taLeftJustify: the
// caption on the left).
using TLeftRight = TAlignment;

// The button window: its kind comes from the window style (BS_PUSHBUTTON, BS_CHECKBOX,
// BS_3STATE, BS_RADIOBUTTON, their automatic forms, BS_GROUPBOX, BS_OWNERDRAW). It answers the
// BM_ messages, is pressed by the left button (with capture) and by Space, and tells its
// parent with BN_CLICKED (BN_DOUBLECLICKED for radio and owner-drawn buttons), which comes
// back as CN_COMMAND and calls Click. An owner-drawn button asks its parent to draw it with
// WM_DRAWITEM (reflected to the button as CN_DRAWITEM).
class TButtonControl : public TWinControl {
public:
  explicit TButtonControl(TComponent* AOwner);
  ~TButtonControl() override;

protected:
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool) {}
  // While set, a state change made by code does not call Click.
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  virtual void CNCommand(TMessage& Message);
  // The kind of button the window is (BS_TYPEMASK bits of its style).
  DWORD ButtonKind() const;
  // Drawn pressed (the mouse or Space holds it down).
  bool Pushed() const { return FPushed; }
  void SetPushed(bool Value);
  // The check state the window shows (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE).
  Integer CheckState() const { return FCheckState; }
  void SetCheckState(Integer Value);
  // Whether a push button has the default look (the frame Enter answers to).
  virtual bool DefaultLook() const;
  // Tells the parent (WM_COMMAND with Code), which reflects it back as CN_COMMAND.
  void NotifyClicked(Word Code = BN_CLICKED);
  // The caption's text format for a check box or radio button.
  Cardinal CaptionFormat() const;

private:
  void PaintPushButton(TCanvas* Canvas);
  void PaintCheckButton(TCanvas* Canvas, bool Radio);
  void PaintGroupBox(TCanvas* Canvas);
  void PaintOwnerDraw(HDC DC);
  // The press ended over the button: automatic kinds change their check first.
  void Released();

  bool FClicksDisabled = false;
  bool FPushed = false;    // drawn pressed
  bool FSpaceDown = false; // Space went down on this button
  Integer FCheckState = BST_UNCHECKED;
  std::unique_ptr<TCanvas> FCanvas;
};

class TButton : public TButtonControl {
public:
  explicit TButton(TComponent* AOwner);

  // Enter presses the default button unless another button has the focus.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Esc presses the cancel button.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Sets the form's modal result first, then runs OnClick (or the action), so a modal
  // form closes even when the handler raises.
  void Click() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  bool DefaultLook() const override { return IsActive(); }
  // True when Enter would press this button now.
  bool IsActive() const;

private:
  bool FDefault = false;
  bool FCancel = false;
  TModalResult FModalResult = mrNone;
};

class TCustomCheckBox : public TButtonControl {
public:
  explicit TCustomCheckBox(TComponent* AOwner);

  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  // A click steps through the grayed state too.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void CNCommand(TMessage& Message) override;
  bool GetChecked() const override { return Checked(); }
  // The next state of a click: unchecked, checked, grayed (when allowed), unchecked.
  virtual void Toggle();

private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TLeftRight FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// A radio button: checking it unchecks the radio buttons beside it (the same parent); only
// the checked one is a tab stop, and the arrow keys move the check through the group.
class TRadioButton : public TButtonControl {
public:
  explicit TRadioButton(TComponent* AOwner);

  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) override;
  TLeftRight Alignment() const { return FAlignment; }
  void SetAlignment(TLeftRight Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void CNCommand(TMessage& Message) override;
  bool GetChecked() const override { return FChecked; }

private:
  bool FChecked = false;
  TLeftRight FAlignment = taRightJustify;
};

// A frame with a caption around a group of controls; its accelerator focuses the first of
// them.
class TCustomGroupBox : public TCustomControl {
public:
  explicit TCustomGroupBox(TComponent* AOwner);

protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

// ---- Edits ----

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The edit window: one line, or several (ES_MULTILINE, set by TCustomMemo) with word wrap,
// tab stops and its own scroll bars. It answers the EM_ messages, WM_CUT/COPY/PASTE/CLEAR/
// UNDO, the text messages and the keys and mouse gestures of an edit, and tells its parent
// of changes with EN_CHANGE (which comes back as OnChange).
class TCustomEdit : public TWinControl {
public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  Integer MaxLength() const { return FModel.MaxLength(); }
  void SetMaxLength(Integer Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Select the whole text when a single-line edit is entered with the keyboard.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // Where the text stands when it is narrower than the edit (the window is re-created).
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  Integer SelStart() const { return FModel.SelStart(); }
  void SetSelStart(Integer Value);
  Integer SelLength() const { return FModel.SelLength(); }
  void SetSelLength(Integer Value);
  AnsiString SelText() const { return FModel.SelText(); }
  void SetSelText(const AnsiString& Value);
  // The model underneath: the selection's anchor and active end are read there.
  const TEditText& EditText() const { return FModel; }

  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(""); }
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void Undo();
  bool CanUndo() const { return FCanUndo; }
  // The lines as shown (wrapped lines are lines of their own).
  Integer LineCount();
  const std::vector<TEditLine>& DisplayLines();

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  AnsiString GetText() const override { return FModel.Text(); }
  void SetTextInternal(const AnsiString& Value) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DblClick() override;
  void DoEnter() override;
  virtual void Change();
  // Whether typing, pasting and deleting may change the text now (the masked edit asks its
  // own questions first).
  virtual bool EditCanModify() { return true; }

  // The behaviour of the multi-line edit, chosen by TCustomMemo before the window is made.
  bool FMultiLine = false;
  bool FWordWrap = true;
  bool FWantReturns = true;
  bool FWantTabs = false;
  TScrollStyle FScrollBars = ssNone;
  // The layout must be made again (text, font, width or wrapping changed).
  void LayoutChanged();
  void UpdateScrollBars();

  // Editing steps shared by keys, messages and methods; each returns false when refused.
  bool InsertText(const AnsiString& Value, bool Limited);
  bool DeleteSelection();
  void SaveUndo();
  // Whether a change came from editing (sets Modified) or from setting the whole text.
  enum class TChangeKind { ckEdit, ckSetText };
  // Modified set or cleared, caret shown, then EN_CHANGE through the parent (last: the
  // handler may free the edit).
  void TextChanged(TChangeKind Kind = TChangeKind::ckEdit);
  void SelectionChanged(); // caret placed and kept in view, window repainted
  TEditText FModel;

private:
  // Message handlers of the edit window.
  void WMChar(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMGetText(TMessage& Message);
  void WMSetText(TMessage& Message);
  void WMUndo(TMessage& Message);
  void WMPaste(TMessage& Message);
  void WMScrollBar(TMessage& Message);
  void WMTimer(TMessage& Message);
  void EMLineMessages(TMessage& Message);
  void EMGetLine(TMessage& Message);
  void CNKeyDown(TMessage& Message) override;
  void ShowContextMenu(TPoint ScreenPos);

  void TypeChar(unsigned char Ch);
  void Backspace();
  void DeleteForward();
  // Typing merges into one undo step until the caret moves or something else changes; a
  // caret placed by code also forgets that it stood at the end of a wrapped line.
  void BreakTypingRun()
  {
    FTypingRun = false;
    FCaretAtLineEnd = false;
  }
  AnsiString ApplyCharCase(const AnsiString& Value) const;
  bool NavigationKey(Word Key, bool Shift, bool Ctrl);

  // ---- Layout (client coordinates) ----
  // The text as drawn: a password shows one password character per byte.
  AnsiString DisplayText() const;
  TCanvas* MeasureCanvas();
  Integer LineHeight();
  Integer TabInterval();
  void MeasureRun(const char* Text, Integer Length, Integer StartX, std::vector<Integer>& Extents);
  void EnsureLayout();
  TRect FormatRect() const;
  Integer VisibleLines();
  Integer LineOfPos(Integer Pos);
  // x of each byte boundary of a line, from 0 at its start: X[i] is after byte Start + i - 1,
  // X[0] = 0.
  void LineX(Integer Line, std::vector<Integer>& X);
  Integer LineWidth(Integer Line);
  Integer LineLeft(Integer Line); // client x of the line's start
  Integer LineTop(Integer Line);  // client y of the line's top
  TPoint PosToPoint(Integer Pos);
  Integer PointToPos(TPoint P, bool* EndOfLine = nullptr);
  // Whether the line wraps (its end is the next line's start).
  bool IsWrapEnd(Integer Line);
  // The line the caret shows on, and where (client coordinates).
  Integer CaretLine();
  TPoint CaretPoint();
  void PaintText(TCanvas* Canvas);
  void ScrollCaretIntoView();
  // Scrolls the view (lines down, pixels right); notifies the parent with EN_VSCROLL/
  // EN_HSCROLL when it moved. Returns whether it moved.
  bool ScrollView(Integer Lines, Integer Pixels);
  Integer MaxTopLine();
  Integer MaxLineWidth();
  void NotifyParent(Word Code);

  bool FReadOnly = false;
  char FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FHideSelection = true;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  TAlignment FAlignment = taLeftJustify;
  bool FModified = false;
  int FPendingLead = -1; // a lead byte typed, waiting for its trail byte
  bool FCanUndo = false;
  bool FTypingRun = false;
  AnsiString FUndoText;
  Integer FUndoAnchor = 0, FUndoCaret = 0;
  std::vector<TEditLine> FLines;
  bool FLayoutValid = false;
  Integer FLayoutWidth = -1;
  Integer FTopLine = 0;         // first line shown (multi-line)
  Integer FScrollX = 0;         // pixels of text scrolled off to the left
  Integer FGoalX = -1;          // where Up and Down aim (-1: the caret's x)
  bool FCaretAtLineEnd = false; // the caret shows at the end of a wrapped line, not the next
  Integer FLeftMargin = 0, FRightMargin = 0; // EM_SETMARGINS, inside the 1-pixel inset
  bool FHasRect = false;                     // EM_SETRECT gave the formatting rectangle
  TRect FRect;
  Integer FTabSpacing = 32; // dialog units between tab stops
  bool FSelecting = false;  // a mouse drag is selecting
  TPoint FDragPoint;        // where the selecting pointer is (client)
  bool FDragTimer = false;
  std::unique_ptr<TCanvas> FCanvas;
  HDC FMeasureDC = 0;
};

class TEdit : public TCustomEdit {
public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo;

// The lines of a memo: its text split at line breaks (wrapped lines are not lines of their
// own), kept in the memo's edit window.
class TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
  void Clear() override;
  void Delete(Integer Index) override;
  void Insert(Integer Index, const AnsiString& S) override;

protected:
  AnsiString Get(Integer Index) const override;
  Integer GetCount() const override;
  void Put(Integer Index, const AnsiString& S) override;
  AnsiString GetTextStr() const override;
  void SetTextStr(const AnsiString& Value) override;
  void SetUpdateState(bool Updating) override;

private:
  // Byte ranges of the lines: [Start, End) and the start of the next one.
  void Ranges(std::vector<TEditLine>& Out) const;
  TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Enter breaks the line (otherwise it goes to the form; Ctrl+Enter always breaks).
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool Value) { FWantReturns = Value; }
  // Tab is typed into the text (otherwise it moves the focus).
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool Value) { FWantTabs = Value; }
  // The caret as (column, line) of the text's lines, 0-based.
  TPoint CaretPos();
  void SetCaretPos(TPoint Value);

protected:
  void KeyPress(char& Key) override;

private:
  std::unique_ptr<TMemoStrings> FLines;
  friend class TMemoStrings;
};

class TMemo : public TCustomMemo {
public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---- List boxes ----

enum TListBoxStyle {
  lbStandard,
  lbOwnerDrawFixed,
  lbOwnerDrawVariable,
  lbVirtual,
  lbVirtualOwnerDraw
};
enum TOwnerDrawStateElement {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateElement>;

class TCustomListBox;
using TDrawItemEvent =
    TEvent<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TEvent<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TLBGetDataEvent = TEvent<void(TWinControl* Control, Integer Index, AnsiString& Data)>;
using TLBGetDataObjectEvent =
    TEvent<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;
using TLBFindDataEvent = TEvent<Integer(TWinControl* Control, AnsiString FindString)>;

// The owner-draw state of an item record's ODS_ bits.
TOwnerDrawState OwnerDrawState(UINT ItemState);

// The items of a list box: strings with objects, kept in the list box window.
class TListBoxStrings : public TStrings {
public:
  explicit TListBoxStrings(TCustomListBox* ListBox) : FListBox(ListBox) {}
  Integer Add(const AnsiString& S) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Exchange(Integer Index1, Integer Index2) override;
  Integer IndexOf(const AnsiString& S) const override;
  void Insert(Integer Index, const AnsiString& S) override;
  void Move(Integer CurIndex, Integer NewIndex) override;

protected:
  AnsiString Get(Integer Index) const override;
  Integer GetCount() const override;
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const AnsiString& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;

private:
  TCustomListBox* FListBox;
};

// The list box window: items of one height (or each its own, lbOwnerDrawVariable) in one or
// more columns, single, multiple or extended selection, scroll bars of its own, the LB_
// messages, keys with incremental search, and the mouse tracked while a button is down
// (the selection follows, scrolling at the edges). Owner-drawn items are drawn by the parent
// (WM_DRAWITEM, reflected as CN_DRAWITEM) through DrawItem and OnDrawItem; virtual lists
// hold no strings and ask OnData.
class TCustomListBox : public TWinControl {
public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // The item count (a virtual list's Count is set, not counted).
  Integer Count() const;
  void SetCount(Integer Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  // The selected item (single selection), or the focused one (multiple selection); -1: none.
  Integer ItemIndex() const;
  void SetItemIndex(Integer Value);
  Integer TopIndex() const { return FTopIndex; }
  void SetTopIndex(Integer Value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  // How far the items reach to the right (a horizontal scroll bar shows beyond the width).
  Integer ScrollWidth() const { return FScrollWidth; }
  void SetScrollWidth(Integer Value);
  bool IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(bool Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  // With MultiSelect: Shift and Ctrl extend the selection as in a file list (otherwise each
  // click toggles an item).
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool Value);
  bool Selected(Integer Index) const;
  void SetSelected(Integer Index, bool Value);
  Integer SelCount() const;
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Typing selects the next item that starts with what was typed (within a second).
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  // Dialog units between tab stops in the items' texts (0: the default of 8 characters).
  Integer TabWidth() const { return FTabWidth; }
  void SetTabWidth(Integer Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The item at a client point; past the last item: -1 with Existing, else the count.
  Integer ItemAtPos(TPoint Pos, bool Existing);
  TRect ItemRect(Integer Index);
  void Clear();
  void ClearSelection();
  void SelectAll();
  void DeleteSelected();
  // Keeps the item in view.
  void MakeVisible(Integer Index);

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;
  TLBGetDataEvent OnData;
  TLBGetDataObjectEvent OnDataObject;
  TLBFindDataEvent OnDataFind;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  // Draws one item on Canvas (brush and font already in the item's colours): OnDrawItem, or
  // the item's text 2 pixels in.
  virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  // The text of an item (a virtual list asks OnData).
  virtual AnsiString DoGetData(Integer Index);
  virtual TObject* DoGetDataObject(Integer Index);
  virtual Integer DoFindData(const AnsiString& Data);
  // The selection changed by the user (LBN_SELCHANGE) or the list was double-clicked.
  virtual void CNCommand(TMessage& Message);
  virtual void CNDrawItem(TMessage& Message);
  virtual void CNMeasureItem(TMessage& Message);
  bool IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }
  bool IsOwnerDraw() const { return FStyle != lbStandard && FStyle != lbVirtual; }
  // Tells the parent of a selection change or double click (LBN_ notifications).
  void NotifyParent(Word Code);
  // Asks for an owner-drawn item to be drawn: the parent gets WM_DRAWITEM (which it
  // reflects as CN_DRAWITEM); a parent that does not reflect leaves it to this control.
  virtual void RequestDrawItem(DRAWITEMSTRUCT& Item);
  // The text of an item for searching and drawing.
  AnsiString ItemText(Integer Index);
  // Selection at item Index as a user's click or key does it (Extend: Shift, Toggle: Ctrl);
  // returns whether the selection changed.
  bool SelectByUser(Integer Index, bool Extend, bool Toggle);

  // ---- The list box window's items ----
  struct TItem {
    AnsiString Text;
    NativeInt Data = 0; // LB_SETITEMDATA; the item's object is kept here
    bool Selected = false;
    Integer Height = 0;    // lbOwnerDrawVariable: as measured when the item came
    Integer Check = 0;     // a check list's check state (TCheckBoxState)
    bool Disabled = false; // a check list's item that cannot be checked
  };
  std::vector<TItem> FList;
  Integer InsertItem(Integer Index, const AnsiString& Text);
  void DeleteItem(Integer Index);
  void ResetContent();
  Integer FindString(const AnsiString& Text, Integer Start, bool Exact);
  void ItemsChanged();

private:
  Integer EffectiveItemHeight();
  Integer HeightOf(Integer Index);
  Integer RowsPerColumn();
  Integer VisibleItems();
  Integer MaxTopIndex();
  void UpdateScrollBars();
  void ScrollMessage(TMessage& Message);
  void DrawOneItem(HDC DC, Integer Index, Integer Line);
  void TrackMouse(TShiftState Shift);
  // While the mouse is tracked: the selection follows the pointer (client coordinates).
  void FollowPointer(TPoint Point);
  void TrackTimer();
  void SetCaret(Integer Index, bool Scroll);
  void SelectOnly(Integer Index);
  void SelectRange(Integer From, Integer To, bool Value);
  void LBMessage(TMessage& Message);

  std::unique_ptr<TListBoxStrings> FItems;
  std::unique_ptr<TCanvas> FCanvas;
  TListBoxStyle FStyle = lbStandard;
  Integer FCount = 0;      // the count of a virtual list
  Integer FItemIndex = -1; // single selection
  Integer FCaret = -1;     // the focused item (multiple selection)
  Integer FAnchor = -1;    // where an extended selection started
  Integer FTopIndex = 0;
  Integer FItemHeight = 0;
  Integer FColumns = 0;
  Integer FScrollWidth = 0;
  Integer FScrollX = 0;
  bool FIntegralHeight = false;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
  bool FSorted = false;
  bool FAutoComplete = true;
  Integer FTabWidth = 0;
  TBorderStyle FBorderStyle = bsSingle;
  Integer FUpdateCount = 0;
  bool FTracking = false; // a press is being followed
  TPoint FTrackPoint;     // where the pointer is while tracking
  TShiftState FTrackShift;
  AnsiString FSearch; // what incremental search has typed so far
  DWORD FSearchTime = 0;
  friend class TListBoxStrings;
};

class TListBox : public TCustomListBox {
public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// ---- Combo boxes ----

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox;

// A combo box: an edit (csDropDown, csSimple) or a face showing the chosen item (the list
// styles) above a list that drops down below it (or above, where there is no room) or, with
// csSimple, always shows. Its items, selection and text answer the CB_ messages; it tells
// its parent with CBN_ notifications, which come back as OnChange, OnClick, OnDropDown and
// OnCloseUp. The edit part and the drop-down list are windows of their own, reachable for
// libraries that draw the combo their own way: ListWndProc sees every message of the list,
// AdjustDropDown places it, DrawItem draws its items.
class TCustomComboBox : public TWinControl {
public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;
  void BeforeDestruction() override;

  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  TStrings* Items() const;
  void SetItems(TStrings* Value);
  Integer ItemIndex() const { return FItemIndex; }
  // From code: the text follows, without notifications.
  void SetItemIndex(Integer Value);
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer Value) { FDropDownCount = std::max(Value, 1); }
  // Width of the drop-down list (0: the combo's width).
  Integer DroppedWidth() const { return FDroppedWidth; }
  void SetDroppedWidth(Integer Value) { FDroppedWidth = std::max(Value, 0); }
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  // Typing in the list styles (and in the edit) selects the first item that starts with it.
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  Integer SelStart() const;
  void SetSelStart(Integer Value);
  Integer SelLength() const;
  void SetSelLength(Integer Value);
  AnsiString SelText() const;
  void SetSelText(const AnsiString& Value);
  void SelectAll();
  void Clear();
  // The edit part (null in the list styles) and the drop-down list.
  TCustomEdit* EditPart() const;
  TCustomListBox* DropDownList() const;
  HWND EditHandle() const;
  HWND ListHandle() const;
  // The canvas an item is drawn on (valid in DrawItem and OnDrawItem).
  TCanvas* Canvas() const { return FCanvas.get(); }
  // The focus is on the combo or its edit part.
  bool Focused() const;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnSelect;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  AnsiString GetText() const override;
  void SetTextInternal(const AnsiString& Value) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Draws item Index on Canvas: OnDrawItem for the owner-draw styles, else the text.
  virtual void DrawItem(Integer Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  // Every message of the drop-down list passes here first; the default hands it on to the
  // list's own handling (ListDefaultProc). Descendants change the list's frame, ignore top
  // index requests and so on.
  virtual void ListWndProc(TMessage& Message);
  void ListDefaultProc(TMessage& Message);
  // The drop-down list's bounds in screen coordinates, computed before it shows (below the
  // combo, or above it when there is no room below): a descendant may change them.
  virtual void AdjustDropDown(TRect& Bounds);
  // Whether the list opened above the combo.
  bool DroppedUp() const { return FDroppedUp; }
  // The button's rectangle (client coordinates; empty for csSimple).
  TRect ButtonRect() const;
  // Where the edit part or the face stands (client coordinates).
  TRect EditRect() const;
  bool IsListStyle() const { return FStyle != csDropDown && FStyle != csSimple; }
  bool IsOwnerDraw() const { return FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable; }
  // Tells the parent (WM_COMMAND), which reflects it back as CN_COMMAND.
  void NotifyParent(Word Code);
  virtual void CNCommand(TMessage& Message);
  virtual void CNDrawItem(TMessage& Message);
  virtual void CNMeasureItem(TMessage& Message);

private:
  friend class TComboEdit;
  friend class TComboListBox;
  void CBMessage(TMessage& Message);
  // The user chose Index (list or keys): the text follows, then CBN_SELCHANGE.
  void SelectByUser(Integer Index);
  void SetTextFromItem();
  void RunDropDown();
  void CloseDropDown(bool Accept);
  void EditChanged();
  bool EditKey(TMessage& Message);
  void LayoutParts();
  Integer FaceHeight();

  TComboBoxStyle FStyle = csDropDown;
  std::unique_ptr<TCanvas> FCanvas;
  TCustomListBox* FList = nullptr; // owned: the drop-down (or, csSimple, the shown) list
  TCustomEdit* FEdit = nullptr;    // owned: the edit part of the edit styles
  TWndMethod FListProc;            // the list's own handling
  Integer FItemIndex = -1;
  Integer FItemHeight = 16;
  Integer FDropDownCount = 8;
  Integer FDroppedWidth = 0;
  bool FDroppedDown = false;
  bool FDroppedUp = false;
  bool FSorted = false;
  Integer FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FAutoComplete = true;
  bool FAutoDropDown = false;
  bool FSettingText = false; // the combo writes the edit's text itself
  bool FCloseRequested = false;
  bool FCloseAccept = false;
  Integer FDropIndex = -1; // the selection when the list opened
  AnsiString FText;        // the text of the list styles before a window exists
  AnsiString FSearch;
  DWORD FSearchTime = 0;
  Integer FAutoLead = -1; // a lead byte typed, waiting for its trail before completing
};

class TComboBox : public TCustomComboBox {
public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ---- Scroll bars ----

enum TScrollCode {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
using TScrollEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;

// A scroll bar control: arrows and page areas step while held, the thumb is dragged. It
// tells its parent with WM_HSCROLL/WM_VSCROLL, which come back as CN_HSCROLL/CN_VSCROLL and
// move Position (OnScroll may change where it goes, OnChange follows). Another control can
// listen to those notifications through the notification hook (one listener at a time)
// instead of taking over the window procedure; it answers the SBM_ messages, and the window
// functions' SB_CTL reach it.
class TScrollBar : public TWinControl {
public:
  explicit TScrollBar(TComponent* AOwner);
  ~TScrollBar() override;

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  Integer Min() const { return FMin; }
  void SetMin(Integer Value) { SetParams(FPosition, Value, FMax); }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value) { SetParams(FPosition, FMin, Value); }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { SetParams(Value, FMin, FMax); }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value);
  Integer SmallChange() const { return FSmallChange; }
  void SetSmallChange(Integer Value) { FSmallChange = Value; }
  Integer LargeChange() const { return FLargeChange; }
  void SetLargeChange(Integer Value) { FLargeChange = Value; }
  // Position kept between Min and Max less the page.
  void SetParams(Integer APosition, Integer AMin, Integer AMax);
  // The listener of the bar's scroll notifications (CN_HSCROLL, CN_VSCROLL), called before the
  // bar's own handling; null when none. A bar takes one listener at a time.
  const TWndMethod& NotificationHook() const { return FNotificationHook; }
  void SetNotificationHook(const TWndMethod& Hook) { FNotificationHook = Hook; }
  bool HasNotificationHook() const { return static_cast<bool>(FNotificationHook); }

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  virtual void Change();
  virtual void Scroll(TScrollCode ScrollCode, Integer& ScrollPos);

private:
  enum TPart { bpNone, bpLineUp, bpPageUp, bpThumb, bpPageDown, bpLineDown };
  struct TGeometry {
    Integer Length = 0, Arrow = 0, ThumbStart = 0, ThumbEnd = 0;
    bool Usable = false;
  };
  TGeometry Geometry() const;
  TPart PartAt(TPoint P) const;
  Integer MaxPosition() const;
  void Notify(Integer Code, Integer Pos);
  void CNScroll(TMessage& Message);
  void RepeatTick();

  TScrollBarKind FKind = sbHorizontal;
  Integer FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
  Integer FSmallChange = 1, FLargeChange = 1;
  TWndMethod FNotificationHook;
  TPart FPressed = bpNone; // the part held down
  TPart FHot = bpNone;     // the held part, while the pointer stays on it
  Integer FTrackPos = 0;   // where a dragged thumb stands
  Integer FGrab = 0;       // where the thumb was taken, from its start
  std::unique_ptr<TCanvas> FCanvas;
};

// Registers the class records of this unit.
void RegisterStdCtrlsClasses();
