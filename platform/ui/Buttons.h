// Buttons with pictures: the windowless speed button (TSpeedButton: flat or raised, grouped
// buttons that stay down, several glyphs for its states) and the bitmap button (TBitBtn: a
// push button with a glyph, with kinds that bring their own caption, glyph and modal
// result). Buttons<Part>.cpp hold them; StdCtrls.h holds the push button they extend.
#pragma once

#include <memory>

#include "platform/graphics/Pictures.h"
#include "platform/ui/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

// Draws a button's glyph and caption inside Client as the layout asks: the glyph at Margin
// pixels from its edge (-1: glyph and caption centred together), Spacing pixels between
// them (-1: the caption centred in the space left). The glyph is one of NumGlyphs pictures
// side by side in Glyph (up, disabled, down, stays down), its transparent colour the bottom-
// left pixel; a disabled button with one glyph shows it embossed. Returns the caption's
// rectangle.
TRect DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph,
                                Integer NumGlyphs, TButtonState State, const AnsiString& Caption,
                                TButtonLayout Layout, Integer Margin, Integer Spacing,
                                bool ShowAccelChar = true);

// A windowless button. With GroupIndex 0 it pops up after each click; with a group it stays
// down when clicked and pops the other buttons of its group (same parent, same index) up;
// AllowAllUp lets a click bring the down button of a group up again. Flat buttons show
// their bevel only under the mouse or while down.
class TSpeedButton : public TGraphicControl {
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // The state drawn now (up, disabled, held down, staying down).
  TButtonState State() const { return FState; }
  // The mouse is over the button (a flat button shows its bevel).
  bool MouseInControl() const { return FMouseInControl; }
  void Click() override;

protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // Changes the state drawn (a button whose parts press separately lets go of one part
  // while the mouse is still over the button); repaints when it changed.
  void SetState(TButtonState Value);

private:
  // Pops up the other buttons of the group (CM_BUTTONPRESSED to the parent's controls).
  void UpdateExclusive();
  void GlyphChanged(TObject* Sender);

  bool FAllowAllUp = false;
  Integer FGroupIndex = 0;
  bool FDown = false;
  bool FFlat = false;
  bool FTransparent = true;
  bool FDragging = false;
  bool FMouseInControl = false;
  TButtonState FState = bsUp;
  std::unique_ptr<TBitmap> FGlyph;
  Integer FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
};

enum TBitBtnKind {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

// A push button with a glyph, drawn by itself (an owner-drawn button answering its own
// CN_DRAWITEM). A kind other than bkCustom gives the caption, glyph and modal result of that
// kind (OK and Yes are default buttons, Cancel and No cancel buttons, Close closes the form).
class TBitBtn : public TButton {
public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  TBitBtnKind Kind() const;
  void SetKind(TBitBtnKind Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  Integer NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(Integer Value);
  TButtonLayout Layout() const { return FLayout; }
  void SetLayout(TButtonLayout Value);
  Integer Margin() const { return FMargin; }
  void SetMargin(Integer Value);
  Integer Spacing() const { return FSpacing; }
  void SetSpacing(Integer Value);
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle Value) { FStyle = Value; }
  void Click() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

private:
  void DrawItem(const DRAWITEMSTRUCT& Item);
  void GlyphChanged(TObject* Sender);
  TBitBtnKind FKind = bkCustom;
  std::unique_ptr<TBitmap> FGlyph;
  Integer FNumGlyphs = 1;
  TButtonLayout FLayout = blGlyphLeft;
  Integer FMargin = -1;
  Integer FSpacing = 4;
  TButtonStyle FStyle = bsAutoDetect;
  bool FModifiedGlyph = false;
  std::unique_ptr<TCanvas> FDrawCanvas;
};

void RegisterButtonsClasses();
