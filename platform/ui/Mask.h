// The masked edit (TCustomMaskEdit, TMaskEdit): a single-line edit whose text follows an
// edit mask of the runtime's mask engine (MaskUtils.h). The window shows the edit text:
// literals in place and a blank character in every empty position. Typing fills mask
// positions only (a character the position refuses beeps), Backspace and Delete blank
// positions instead of closing up the text, and ValidateEdit refuses a text with an empty
// required position.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/MaskUtils.h"
#include "platform/ui/StdCtrls.h"

// The mask error: a masked text misses a required character.
QH_DECLARE_EXCEPTION(EDBEditError, Exception);

// The text of the mask error.
extern const char* const SMaskEditErr;

class TCustomMaskEdit : public TCustomEdit {
public:
  explicit TCustomMaskEdit(TComponent* AOwner);

  const AnsiString& EditMask() const { return FEditMask; }
  // Setting a mask lays the current value out by it; an empty mask makes a plain edit.
  void SetEditMask(const AnsiString& Value);
  bool IsMasked() const { return !FEditMask.empty(); }
  // The mask without its suffix, and the blank character of the suffix.
  const AnsiString& MaskBody() const { return FMaskBody; }
  char MaskBlank() const { return FBlank; }

  // The text as shown: literals and blanks included. Without a mask the plain text.
  AnsiString EditText() const;
  void SetEditText(const AnsiString& Value);

  // Raises EDBEditError (after a beep) when a required position is empty, with the caret
  // placed on the first such position; a text that is entirely empty passes.
  virtual void ValidateEdit();
  // Whether Value (an edit text) fills every required position; Pos gets the first that
  // does not.
  bool Validate(const AnsiString& Value, Integer& Pos) const;

protected:
  // Text: the edit text with spaces for blanks and, when the mask does not save literals,
  // without literals; empty while no position is filled. Setting it lays the value out by
  // the mask.
  AnsiString GetText() const override;
  void SetTextInternal(const AnsiString& Value) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Dispatch(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  virtual void ValidateError();

  // Whether text offset Pos is a position that takes a character.
  bool IsEditPosition(Integer Pos) const;
  // The first position at or after Pos that takes a character (-1 none).
  Integer NextEditPosition(Integer Pos) const;
  // The last position before Pos that takes a character (-1 none).
  Integer PrevEditPosition(Integer Pos) const;
  // Blanks the positions in [Start, End) and puts the caret at Start.
  void BlankRange(Integer Start, Integer End);
  // Puts Ch (checked and case-converted by the mask) at the first position at or after
  // the selection's start, blanking a selection first. False (nothing changed) when
  // the character does not fit.
  bool TypeMaskedChar(char Ch);

private:
  AnsiString FEditMask;
  AnsiString FMaskBody;
  char FBlank = DefaultBlank;
  bool FSaveLiterals = true;
};

class TMaskEdit : public TCustomMaskEdit {
public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {}
};

void RegisterMaskClasses();
