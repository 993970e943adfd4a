// The standard controls the first forms need: labels (TLabel, with '&' accelerators that
// focus another control), push buttons (TButton: default and cancel buttons, modal
// results) and single-line edits (TEdit over TEditText, a GBK text model with caret and
// selection). They are drawn by us and answer the platform's EM_/BM_ messages; Controls.h
// holds the control base and Forms.h the forms they live on.
#pragma once

#include "platform/ui/Forms.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
// The border of an edit: bsNone or bsSingle of the form border styles.
using TBorderStyle = TFormBorderStyle;

// True when Str marks VK (a character code) as its accelerator with '&' ("&&" is a plain
// '&'); letters compare ignoring case.
bool IsAccel(Word VK, const AnsiString& Str);

// ---- Edit text model ----

// The text of a single-line edit: GBK bytes, a selection as anchor and active end (the
// caret), both byte indexes that never fall inside a double-byte character. No window, no
// drawing: TCustomEdit puts a window on top of it.
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
  // limit; never splitting a double-byte character); the caret ends after the insertion.
  // Returns false when nothing of a non-empty Value fitted.
  bool ReplaceSel(const AnsiString& Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value) { FMaxLength = Value < 0 ? 0 : Value; }

  // Character boundaries around Pos (Pos itself must be a boundary).
  Integer PrevChar(Integer Pos) const;
  Integer NextChar(Integer Pos) const;
  // Word boundaries: blanks separate words, and each double-byte character is a word.
  Integer PrevWord(Integer Pos) const;
  Integer NextWord(Integer Pos) const;
  // The start of the character that holds byte Pos.
  Integer CharStart(Integer Pos) const;

private:
  AnsiString FText;
  Integer FAnchor = 0;
  Integer FCaret = 0;
  Integer FMaxLength = 0;
};

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

// ---- Buttons ----

class TButtonControl : public TWinControl {
public:
  explicit TButtonControl(TComponent* AOwner);

protected:
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool) {}
  // While set, BN_CLICKED does not call Click (a state change made by code).
  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
  void Dispatch(TMessage& Message) override;
  virtual void CNCommand(TMessage& Message);

private:
  bool FClicksDisabled = false;
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
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // True when Enter would press this button now.
  bool IsActive() const;
  // Tells the parent (WM_COMMAND BN_CLICKED), which reflects it back as CN_COMMAND.
  void NotifyClicked();
  void SetPushed(bool Value);

private:
  bool FDefault = false;
  bool FCancel = false;
  bool FPushed = false;    // drawn pressed
  bool FSpaceDown = false; // Space went down on this button
  TModalResult FModalResult = mrNone;
  TCanvas* FCanvas = nullptr;
};

// ---- Edits ----

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
  // Select the whole text when the edit is entered with the keyboard.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
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

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;
  AnsiString GetText() const override { return FModel.Text(); }
  void SetTextInternal(const AnsiString& Value) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void DblClick() override;
  void DoEnter() override;
  virtual void Change();

private:
  // Message handlers of the edit window.
  void WMChar(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void EMSetSel(TMessage& Message);
  void WMGetText(TMessage& Message);
  void WMSetText(TMessage& Message);

  // Editing steps shared by keys, messages and methods; each returns false when refused.
  bool InsertText(const AnsiString& Value, bool Limited);
  bool DeleteSelection();
  void TypeChar(unsigned char Ch);
  void Backspace();
  void DeleteForward();
  void SaveUndo();
  AnsiString ApplyCharCase(const AnsiString& Value) const;
  // Whether a change came from editing (sets Modified) or from setting the whole text.
  enum class TChangeKind { ckEdit, ckSetText };
  // Modified set or cleared, caret shown, then EN_CHANGE through the parent (last: the
  // handler may free the edit).
  void TextChanged(TChangeKind Kind = TChangeKind::ckEdit);
  void SelectionChanged(); // caret placed and shown, window repainted

  // Display: the text as drawn (password bytes masked), positions in client pixels.
  AnsiString DisplayText() const;
  Integer TextLeft() const;
  Integer PosToX(Integer Pos);
  Integer XToPos(Integer X);
  Integer LineHeight();
  TCanvas* MeasureCanvas();

  TEditText FModel;
  bool FReadOnly = false;
  char FPasswordChar = 0;
  TEditCharCase FCharCase = ecNormal;
  bool FHideSelection = true;
  bool FAutoSelect = true;
  TBorderStyle FBorderStyle = bsSingle;
  bool FModified = false;
  int FPendingLead = -1; // a lead byte typed, waiting for its trail byte
  bool FCanUndo = false;
  AnsiString FUndoText;
  Integer FUndoAnchor = 0, FUndoCaret = 0;
  Integer FScrollX = 0;                      // pixels of text scrolled off to the left
  Integer FLeftMargin = 0, FRightMargin = 0; // EM_SETMARGINS, inside the 1-pixel inset
  bool FSelecting = false;                   // a mouse drag is selecting
  TCanvas* FCanvas = nullptr;
  HDC FMeasureDC = 0;
};

class TEdit : public TCustomEdit {
public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// Registers the class records of this unit.
void RegisterStdCtrlsClasses();
