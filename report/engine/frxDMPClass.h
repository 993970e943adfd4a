// Dot-matrix report objects: a page, a text object and a line laid out on a character grid
// of 9.6 x 17 report pixels, carrying printer font styles instead of a free font. The
// objects they extend are in frxClass.h.
#pragma once

#include "report/engine/frxClass.h"

enum TfrxDMPFontStyle {
  fsxBold,
  fsxItalic,
  fsxUnderline,
  fsxSuperScript,
  fsxSubScript,
  fsxCondensed,
  fsxWide,
  fsx12cpi,
  fsx15cpi
};
using TfrxDMPFontStyles = TSet<TfrxDMPFontStyle>;

class TfrxDMPMemoView : public TfrxCustomMemoView {
public:
  explicit TfrxDMPMemoView(TComponent* AOwner);

  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  // Stores the styles, stops following the parent's font and rebuilds the font.
  void SetFontStyle(TfrxDMPFontStyles Value);
  bool IsFontStyleStored() const { return !ParentFont(); }
  // On a dot-matrix page, following the parent also takes the page's styles.
  void SetParentFont(bool Value) override;

  // Positions and sizes snap to the character grid.
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetWidth(Extended Value) override;
  void SetHeight(Extended Value) override;
  Extended CalcHeight() override;
  Extended CalcWidth() override;
  // The frame goes round the grid cells.
  void DrawFrame() override;
  AnsiString Diff(TfrxComponent* Source) override;
  AnsiString GetDescription() override;

private:
  TfrxDMPFontStyles FFontStyle;
};

class TfrxDMPLineView : public TfrxCustomLineView {
public:
  explicit TfrxDMPLineView(TComponent* AOwner);

  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TfrxDMPFontStyles Value);
  bool IsFontStyleStored() const { return !ParentFont(); }
  void SetParentFont(bool Value) override;
  // Snaps to the middle of a grid cell.
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  AnsiString Diff(TfrxComponent* Source) override;
  AnsiString GetDescription() override;

private:
  TfrxDMPFontStyles FFontStyle;
};

class TfrxDMPPage : public TfrxReportPage {
public:
  explicit TfrxDMPPage(TComponent* AOwner);

  TfrxDMPFontStyles FontStyle() const { return FFontStyle; }
  // Rebuilds the page font and passes the styles to every object following it.
  void SetFontStyle(TfrxDMPFontStyles Value);
  // The paper rounded to whole columns and lines.
  void SetPaperSize(Integer Value) override;
  void SetPaperWidth(Extended Value) override;
  void SetPaperHeight(Extended Value) override;
  void ApplyPrinterDefaults() override;

private:
  TfrxDMPFontStyles FFontStyle;
};

// Registers the dot-matrix classes and enters the text object and line in the palette.
void RegisterDMPClasses();
