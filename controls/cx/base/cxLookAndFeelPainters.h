// The look-and-feel painters: every part a suite control draws in a look-dependent way
// (buttons and their borders, arrows, check boxes and radio buttons, expand buttons,
// headers, sort marks, footers, indicators, filter buttons, tabs, scroll-bar parts) is
// drawn by a painter. A painter is used only as a class: each painter class is one
// constant object whose operations are the class-level operations, reached through a
// TcxCustomLookAndFeelPainterClass (TcxStandardLookAndFeelPainter::Class() ..). The
// standard (3-D), flat, ultra-flat and themed painters override parts of the base. The
// unit also keeps the shared images the painters draw with: indicators, scroll-bar page
// patterns, auto-hide pins and the 96 radio-button images. cxLookAndFeels.h chooses the
// painter of a control.
#pragma once

#include <memory>

#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxGraphics.h"
#include "controls/cx/base/dxThemeManager.h"
#include "platform/rtl/Events.h"

class TBitmap;
class TCustomImageList;

enum TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };
enum TcxPainterStyle { psFlat, psStandard, psUltraFlat, psNative };
enum TcxArrowDirection { dirUp, dirDown, dirLeft, dirRight };
// Scroll-bar part codes: hit-test results and the painter's part argument.
enum TcxScrollBarPart { sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown };
// Row indicator kinds: 0 no image, then the five indicator images.
enum TcxIndicatorKind { ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow };

// Paints the background of a part; true when it painted (the painter then fills nothing).
using TcxDrawBackgroundEvent = TEvent<bool(TcxCanvas* ACanvas, const TRect& ABounds)>;

class TcxCustomLookAndFeelPainter;
using TcxCustomLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;
using TcxLookAndFeelPainterClass = TcxCustomLookAndFeelPainterClass;

class TcxCustomLookAndFeelPainter {
public:
  virtual ~TcxCustomLookAndFeelPainter() = default;
  static TcxCustomLookAndFeelPainterClass Class();
  virtual const char* ClassName() const { return "TcxCustomLookAndFeelPainter"; }
  // True when this painter class is AClass or derives from it.
  virtual bool InheritsFrom(TcxCustomLookAndFeelPainterClass AClass) const
  {
    return AClass == Class();
  }

  // Content and colours.
  virtual void DrawDropDownArrow(TcxCanvas* C, const TRect& R, TColor AColor) const;
  virtual void DrawContent(TcxCanvas* C, const TRect& R, const TRect& ATextRect,
                           TAlignment AAlignHorz, TcxAlignmentVert AAlignVert, bool AMultiLine,
                           bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
                           TColor ATextColor, TColor AColor,
                           const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr,
                           bool AIsFooter = false) const;
  virtual void FooterCellContentBounds(const TRect& R, TRect& AContent) const;
  virtual void FooterCellTextBounds(const TRect& R, TRect& AText) const;
  virtual TcxPainterStyle PainterStyle() const { return psStandard; }
  virtual TColor DefaultContentColor() const { return clWindow; }
  virtual TColor DefaultContentTextColor() const { return clWindowText; }
  virtual TColor DefaultFilterBoxColor() const { return clBtnShadow; }
  virtual TColor DefaultFilterBoxTextColor() const { return clBtnHighlight; }
  virtual TColor DefaultFrameColor() const { return clBtnText; }
  virtual TColor DefaultFooterColor() const { return clBtnFace; }
  virtual TColor DefaultFooterTextColor() const { return clBtnText; }
  virtual TColor DefaultGridLineColor() const { return clBtnShadow; }
  virtual TColor DefaultGroupColor() const { return clBtnFace; }
  virtual TColor DefaultGroupTextColor() const { return clBtnText; }
  virtual TColor DefaultGroupByBoxColor() const { return clBtnShadow; }
  virtual TColor DefaultGroupByBoxTextColor() const { return clBtnFace; }
  virtual TColor DefaultHeaderColor() const { return clBtnFace; }
  virtual TColor DefaultHeaderTextColor() const { return clBtnText; }
  virtual TColor DefaultBandBackgroundColor() const { return clBtnShadow; }
  virtual TColor DefaultBandBackgroundTextColor() const { return clBtnFace; }
  virtual TColor DefaultInactiveColor() const { return clBtnFace; }
  virtual TColor DefaultInactiveTextColor() const { return clBtnText; }
  virtual TColor DefaultPreviewTextColor() const { return clBlue; }
  virtual TColor DefaultRowSeparatorColor() const { return DefaultGridLineColor(); }
  virtual TColor DefaultSelectionColor() const { return clHighlight; }
  virtual TColor DefaultSelectionTextColor() const { return clHighlightText; }
  virtual TColor DefaultTabColor() const { return clBtnFace; }
  virtual TColor DefaultTabTextColor() const { return clBtnText; }
  virtual TColor DefaultTabsBackgroundColor() const { return clBtnFace; }

  // Arrows.
  virtual void DrawArrow(TcxCanvas* C, const TRect& R, TcxArrowDirection ADirection,
                         TColor AColor) const;
  virtual void DrawScrollArrowButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                     TcxArrowDirection ADirection, bool ADrawButton) const;
  virtual void DrawScrollArrowButtonFace(TcxCanvas* C, const TRect& R, TcxButtonState AState) const;
  virtual void DrawButtonArrow(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                               TcxArrowDirection ADirection) const;

  // Borders and buttons.
  virtual Integer ControlBorderWidth() const { return 0; }
  virtual void DrawControlBorder(TcxCanvas* C, const TRect& R) const {}
  virtual Integer ButtonBorderWidth(TcxButtonState AState) const { return 0; }
  virtual TColor ButtonFaceColor(TcxButtonState AState) const { return clBtnFace; }
  virtual void ButtonFocusRectBounds(TcxCanvas* C, const TRect& R, TRect& AFocusRect) const;
  virtual void ButtonGroupBorderWidths(Integer ACount, Integer AIndex, TRect& ARect) const;
  // The editors and views also know it as ButtonTextMargin.
  virtual Integer ButtonTextIndent() const { return 0; }
  virtual Integer ButtonPressedShift() const { return 0; }
  // The editors and views also know it as ButtonTextColor.
  virtual TColor ButtonGlyphColor(TcxButtonState AState) const;
  // The editors and views also know it as ButtonDrawnState.
  virtual TcxButtonState ButtonGlyphState(TcxButtonState AState) const { return AState; }
  // The editors and views also know it as DrawPushButton.
  virtual void DrawButton(TcxCanvas* C, const TRect& R, const AnsiString& ACaption,
                          TcxButtonState AState, bool ADrawBorder = true, TColor AColor = clDefault,
                          TColor ATextColor = clDefault) const;
  virtual void DrawPlainButton(TcxCanvas* C, const TRect& R, TcxButtonState AState, Integer ACount,
                               Integer AIndex, TColor AColor) const;
  virtual void DrawButtonBorder(TcxCanvas* C, const TRect& R, TcxButtonState AState) const {}
  virtual void DrawHotButtonFrame(TcxCanvas* C, const TRect& R, bool APressed, bool AHot) const {}
  virtual void DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                               TColor AColor = clDefault) const
  {
  }
  virtual bool DrawsExpandGlyphFrame() const { return true; }
  virtual void DrawGroupChevronButton(TcxCanvas* C, const TRect& R, bool AExpanded,
                                      TcxButtonState AState) const;
  virtual void DrawSmallExpandButton(TcxCanvas* C, const TRect& R, bool AExpanded,
                                     TColor ABorderColor, TColor AColor = clDefault) const;
  virtual Integer ExpandGlyphSize() const { return 0; }
  virtual Integer SmallExpandButtonSize() const { return 15; }
  virtual bool ButtonsHotTrack() const { return false; }
  virtual bool IsPointInGroupExpandButton(const TRect& R, TPoint P) const;
  virtual Integer GroupExpandButtonSize() const { return 9; }

  // Check boxes and radio buttons.
  virtual Integer CheckBorderWidth() const { return 2; }
  virtual TColor CheckButtonColor(TcxButtonState AState) const;
  virtual void DrawCheckMark(TcxCanvas* C, const TRect& R, TcxButtonState AState, bool AChecked,
                             TColor AMarkColor) const;
  virtual void DrawCheckFrame(TcxCanvas* C, const TRect& R, TcxButtonState AState) const {}
  virtual void DrawCheckButton(TcxCanvas* C, TRect R, TcxButtonState AState, bool AChecked) const;
  virtual void DrawRadioButton(TcxCanvas* C, Integer X, Integer Y, TcxButtonState AState,
                               bool AChecked, bool AHighlighted,
                               TColor ABackgroundColor = clDefault, bool AFocused = false) const;

  // Headers (also known to the editors and views as DrawHeaderCell, HeaderCellBorders,
  // HeaderCellBorderWidth, HeaderItemsPaintedFirst, IsHeaderHotTrack).
  virtual void DrawHeader(TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds,
                          TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                          TAlignment AAlignHorz, TcxAlignmentVert AAlignVert, bool AMultiLine,
                          bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
                          TColor ATextColor, TColor ABkColor,
                          const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void DrawHeaderEx(TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds,
                            TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                            TAlignment AAlignHorz, TcxAlignmentVert AAlignVert, bool AMultiLine,
                            bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont,
                            TColor ATextColor, TColor ABkColor,
                            const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors,
                               TcxBorders ABorders) const
  {
  }
  virtual void DrawHeaderPressedOverlay(TcxCanvas* C, const TRect& R) const { C->InvertArea(R); }
  virtual void DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const {}
  virtual TcxBorders HeaderBorderSides(TcxBorders ANeighbors) const { return cxBordersAll; }
  virtual Integer HeaderBorderWidth() const { return 0; }
  virtual void HeaderBorderBounds(const TRect& R, TcxBorders ANeighbors, TcxBorders ABorders,
                                  TRect& ABounds) const;
  virtual void HeaderContentBounds(const TRect& R, TcxBorders ABorders, TRect& AContent) const;
  virtual bool HeaderItemsBeforeBackground() const { return true; }
  virtual Integer HeaderHeight(Integer AFontHeight) const;
  virtual Integer HeaderWidth(TcxCanvas* C, TcxBorders ABorders, const AnsiString& AText,
                              TFont* AFont) const;
  virtual bool HeaderHotTracking() const { return false; }
  virtual void SortMarkAreaSize(TSize& ASize) const;
  virtual void SortMarkSize(TSize& ASize) const { ASize = TSize{0, 0}; }

  // Footers (also known to the editors and views as DrawFooterCellContent, FooterBorderSet,
  // FooterCellOffset, FooterItemsPaintedFirst).
  virtual void DrawFooterCell(TcxCanvas* C, const TRect& R, TAlignment AAlignHorz,
                              TcxAlignmentVert AAlignVert, bool AMultiLine, const AnsiString& AText,
                              TFont* AFont, TColor ATextColor, TColor ABkColor,
                              const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual TcxBorders FooterBorderSides() const { return cxBordersAll; }
  virtual Integer FooterBorderWidth() const { return 0; }
  virtual Integer FooterCellFrameWidth() const { return 0; }
  virtual Integer FooterCellBorderWidth() const { return 0; }
  virtual bool FooterItemsBeforeBackground() const { return true; }
  virtual TColor DefaultFooterSeparatorColor() const { return clBtnShadow; }
  virtual Integer FooterSeparatorWidth() const { return 1; }
  virtual void DrawFooterBorder(TcxCanvas* C, const TRect& R) const {}
  virtual void DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const {}
  virtual void DrawFooterSeparator(TcxCanvas* C, const TRect& R) const;

  // Filter buttons (also known to the editors and views as DrawFilterActivateButton,
  // DrawFilterCloseButton, FilterButtonAreaSize, PopupBorderStyle).
  virtual void DrawFilterActivateCheck(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                       bool AChecked) const
  {
    DrawCheckButton(C, R, AState, AChecked);
  }
  virtual void DrawSmallCloseButton(TcxCanvas* C, TRect R, TcxButtonState AState) const;
  virtual void DrawFilterDropDownButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                        bool AActive) const
  {
  }
  virtual TSize FilterActivateButtonSize() const { return TSize{13, 13}; }
  virtual TSize FilterCloseButtonSize() const { return TSize{16, 14}; }
  virtual TSize FilterDropDownButtonWidth() const { return TSize{15, 0}; }
  virtual Integer FilterPopupBorderStyle() const { return 1; }

  // Tabs.
  virtual void DrawTabItem(TcxCanvas* C, const TRect& R, TcxBorders ASides, const AnsiString& AText,
                           TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor,
                           bool AExtra = false) const
  {
  }
  virtual void DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                            bool AVertical) const
  {
  }
  virtual void DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders, bool AVertical) const
  {
  }
  virtual bool TabsPaintedByPainter() const { return false; }
  virtual bool TabHotTracking() const { return false; }
  virtual Integer TabFrameWidth(bool AVertical) const { return 0; }

  // Indicator (also known to the editors and views as DrawIndicatorCell,
  // IndicatorItemsPaintedFirst).
  virtual void DrawIndicatorItem(TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind,
                                 TColor ABkColor,
                                 const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual void DrawIndicatorItemEx(TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind,
                                   TColor ABkColor,
                                   const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const;
  virtual bool IndicatorItemsBeforeBackground() const { return true; }

  // Scroll bars.
  virtual void DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R,
                                 TcxScrollBarPart APart, TcxButtonState AState) const
  {
  }

protected:
  TcxCustomLookAndFeelPainter() = default;
  // The shared routines of the painters.
  void DrawExpandSign(TcxCanvas* C, const TRect& B, bool AExpanded) const;
  void DrawSortMarkOutline(TcxCanvas* C, const TRect& R, bool AAscending, TColor ALight,
                           TColor ADark) const;
  void DrawPatternPage(TcxCanvas* C, const TRect& R, bool APressed) const;
  // A scroll-bar part drawn with the painter's own buttons: the line buttons with their arrow
  // AArrowInset inside the button, the thumb as a plain button, the pages as the pattern.
  void DrawButtonScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R,
                               TcxScrollBarPart APart, TcxButtonState AState,
                               Integer AArrowInset) const;
  void DrawIndicatorImage(TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind) const;
  void DrawArrowTriangle(TcxCanvas* C, TRect R, TcxArrowDirection ADirection, TColor AColor,
                         bool AMakeSquare) const;
};

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
  static TcxCustomLookAndFeelPainterClass Class();
  const char* ClassName() const override { return "TcxStandardLookAndFeelPainter"; }
  bool InheritsFrom(TcxCustomLookAndFeelPainterClass AClass) const override
  {
    return AClass == Class() || TcxCustomLookAndFeelPainter::InheritsFrom(AClass);
  }

  Integer ControlBorderWidth() const override { return 2; }
  void DrawControlBorder(TcxCanvas* C, const TRect& R) const override;
  Integer ButtonBorderWidth(TcxButtonState AState) const override
  {
    return AState == cxbsDefault ? 3 : 2;
  }
  Integer ButtonTextIndent() const override { return 1; }
  Integer ButtonPressedShift() const override { return 1; }
  void DrawButtonBorder(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                       TColor AColor = clDefault) const override;
  void DrawGroupChevronButton(TcxCanvas* C, const TRect& R, bool AExpanded,
                              TcxButtonState AState) const override;
  Integer ExpandGlyphSize() const override { return 12; }
  void DrawCheckFrame(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors,
                       TcxBorders ABorders) const override;
  void DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const override;
  Integer HeaderBorderWidth() const override { return 1; }
  void SortMarkSize(TSize& ASize) const override { ASize = TSize{8, 7}; }
  Integer FooterBorderWidth() const override { return 1; }
  Integer FooterCellFrameWidth() const override { return 1; }
  Integer FooterCellBorderWidth() const override { return 1; }
  void DrawFooterBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFilterDropDownButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                bool AActive) const override;
  void DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                    bool AVertical) const override;
  void DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                    bool AVertical) const override;
  Integer TabFrameWidth(bool AVertical) const override { return 1; }
  void DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;

protected:
  TcxStandardLookAndFeelPainter() = default;
  friend struct TcxPainterInstances;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
  static TcxCustomLookAndFeelPainterClass Class();
  const char* ClassName() const override { return "TcxFlatLookAndFeelPainter"; }
  bool InheritsFrom(TcxCustomLookAndFeelPainterClass AClass) const override
  {
    return AClass == Class() || TcxCustomLookAndFeelPainter::InheritsFrom(AClass);
  }

  TcxPainterStyle PainterStyle() const override { return psFlat; }
  Integer ControlBorderWidth() const override { return 1; }
  void DrawControlBorder(TcxCanvas* C, const TRect& R) const override;
  Integer ButtonBorderWidth(TcxButtonState AState) const override
  {
    return AState == cxbsDefault ? 2 : 1;
  }
  Integer ButtonTextIndent() const override { return 1; }
  Integer ButtonPressedShift() const override { return 1; }
  void DrawButtonBorder(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                       TColor AColor = clDefault) const override;
  Integer ExpandGlyphSize() const override { return 11; }
  void DrawCheckFrame(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors,
                       TcxBorders ABorders) const override;
  void DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const override;
  Integer HeaderBorderWidth() const override { return 1; }
  void SortMarkSize(TSize& ASize) const override { ASize = TSize{8, 7}; }
  Integer FooterBorderWidth() const override { return 1; }
  Integer FooterCellFrameWidth() const override { return 1; }
  Integer FooterCellBorderWidth() const override { return 1; }
  void DrawFooterBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFilterDropDownButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                bool AActive) const override;
  void DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                    bool AVertical) const override;
  void DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                    bool AVertical) const override;
  Integer TabFrameWidth(bool AVertical) const override { return 1; }
  void DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;

protected:
  TcxFlatLookAndFeelPainter() = default;
  friend struct TcxPainterInstances;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
public:
  static TcxCustomLookAndFeelPainterClass Class();
  const char* ClassName() const override { return "TcxUltraFlatLookAndFeelPainter"; }
  bool InheritsFrom(TcxCustomLookAndFeelPainterClass AClass) const override
  {
    return AClass == Class() || TcxCustomLookAndFeelPainter::InheritsFrom(AClass);
  }

  TcxPainterStyle PainterStyle() const override { return psUltraFlat; }
  Integer ControlBorderWidth() const override { return 1; }
  void DrawControlBorder(TcxCanvas* C, const TRect& R) const override;
  Integer ButtonBorderWidth(TcxButtonState AState) const override
  {
    return AState == cxbsDefault ? 2 : 1;
  }
  TColor ButtonFaceColor(TcxButtonState AState) const override;
  void ButtonFocusRectBounds(TcxCanvas* C, const TRect& R, TRect& AFocusRect) const override;
  void ButtonGroupBorderWidths(Integer ACount, Integer AIndex, TRect& ARect) const override;
  Integer ButtonTextIndent() const override { return 2; }
  Integer ButtonPressedShift() const override { return 0; }
  TColor ButtonGlyphColor(TcxButtonState AState) const override;
  TcxButtonState ButtonGlyphState(TcxButtonState AState) const override { return cxbsNormal; }
  void DrawPlainButton(TcxCanvas* C, const TRect& R, TcxButtonState AState, Integer ACount,
                       Integer AIndex, TColor AColor) const override;
  void DrawButtonBorder(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawHotButtonFrame(TcxCanvas* C, const TRect& R, bool APressed, bool AHot) const override;
  void DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                       TColor AColor = clDefault) const override;
  Integer ExpandGlyphSize() const override { return 11; }
  bool ButtonsHotTrack() const override { return true; }
  void DrawCheckFrame(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawHeaderFrame(TcxCanvas* C, const TRect& R, TcxBorders ANeighbors,
                       TcxBorders ABorders) const override;
  void DrawHeaderEx(TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds,
                    TcxBorders ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                    TAlignment AAlignHorz, TcxAlignmentVert AAlignVert, bool AMultiLine,
                    bool AShowEndEllipsis, const AnsiString& AText, TFont* AFont, TColor ATextColor,
                    TColor ABkColor,
                    const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const override;
  TcxBorders HeaderBorderSides(TcxBorders ANeighbors) const override;
  Integer HeaderBorderWidth() const override { return 1; }
  void SortMarkSize(TSize& ASize) const override { ASize = TSize{7, 8}; }
  TcxBorders FooterBorderSides() const override { return TcxBorders{bRight, bBottom}; }
  Integer FooterBorderWidth() const override { return 1; }
  Integer FooterCellFrameWidth() const override { return 1; }
  Integer FooterCellBorderWidth() const override { return 2; }
  void DrawFooterBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFooterCellBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawFilterDropDownButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                bool AActive) const override;
  TSize FilterCloseButtonSize() const override { return TSize{16, 15}; }
  void DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                    bool AVertical) const override;
  void DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                    bool AVertical) const override;
  Integer TabFrameWidth(bool AVertical) const override { return 1; }
  void DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;

  virtual TColor UltraFlatButtonBorderColor(TcxButtonState AState) const
  {
    return AState == cxbsNormal ? clBtnShadow : clHighlight;
  }
  virtual TColor UltraFlatTabBorderColor() const { return clBtnShadow; }
  virtual TColor UltraFlatTabShadowColor() const { return clBtnText; }
  virtual TColor UltraFlatHotColor() const { return clHighlight; }

protected:
  TcxUltraFlatLookAndFeelPainter() = default;
  friend struct TcxPainterInstances;
};

// Push-button theme state of a button state.
Integer ThemeButtonState(TcxButtonState AState);

class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
public:
  static TcxCustomLookAndFeelPainterClass Class();
  const char* ClassName() const override { return "TcxWinXPLookAndFeelPainter"; }
  bool InheritsFrom(TcxCustomLookAndFeelPainterClass AClass) const override
  {
    return AClass == Class() || TcxStandardLookAndFeelPainter::InheritsFrom(AClass);
  }

  TcxPainterStyle PainterStyle() const override { return psNative; }
  void DrawArrow(TcxCanvas* C, const TRect& R, TcxArrowDirection ADirection,
                 TColor AColor) const override;
  void DrawScrollArrowButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                             TcxArrowDirection ADirection, bool ADrawButton) const override;
  void DrawScrollArrowButtonFace(TcxCanvas* C, const TRect& R,
                                 TcxButtonState AState) const override;
  Integer ControlBorderWidth() const override;
  void DrawControlBorder(TcxCanvas* C, const TRect& R) const override;
  Integer ButtonBorderWidth(TcxButtonState AState) const override;
  TColor ButtonFaceColor(TcxButtonState AState) const override;
  void ButtonFocusRectBounds(TcxCanvas* C, const TRect& R, TRect& AFocusRect) const override;
  void ButtonGroupBorderWidths(Integer ACount, Integer AIndex, TRect& ARect) const override;
  TColor ButtonGlyphColor(TcxButtonState AState) const override;
  Integer ButtonTextIndent() const override { return 2; }
  Integer ButtonPressedShift() const override { return 0; }
  void DrawButton(TcxCanvas* C, const TRect& R, const AnsiString& ACaption, TcxButtonState AState,
                  bool ADrawBorder = true, TColor AColor = clDefault,
                  TColor ATextColor = clDefault) const override;
  void DrawExpandGlyph(TcxCanvas* C, const TRect& R, bool AExpanded,
                       TColor AColor = clDefault) const override;
  bool DrawsExpandGlyphFrame() const override { return false; }
  void DrawGroupChevronButton(TcxCanvas* C, const TRect& R, bool AExpanded,
                              TcxButtonState AState) const override;
  void DrawSmallExpandButton(TcxCanvas* C, const TRect& R, bool AExpanded, TColor ABorderColor,
                             TColor AColor = clDefault) const override;
  Integer ExpandGlyphSize() const override;
  Integer SmallExpandButtonSize() const override;
  bool ButtonsHotTrack() const override { return true; }
  bool IsPointInGroupExpandButton(const TRect& R, TPoint P) const override;
  Integer GroupExpandButtonSize() const override;
  Integer CheckBorderWidth() const override;
  void DrawCheckMark(TcxCanvas* C, const TRect& R, TcxButtonState AState, bool AChecked,
                     TColor AMarkColor) const override;
  void DrawCheckFrame(TcxCanvas* C, const TRect& R, TcxButtonState AState) const override;
  void DrawRadioButton(TcxCanvas* C, Integer X, Integer Y, TcxButtonState AState, bool AChecked,
                       bool AHighlighted, TColor ABackgroundColor = clDefault,
                       bool AFocused = false) const override;
  void DrawHeader(TcxCanvas* C, const TRect& R, const TRect& ATextAreaBounds, TcxBorders ANeighbors,
                  TcxBorders ABorders, TcxButtonState AState, TAlignment AAlignHorz,
                  TcxAlignmentVert AAlignVert, bool AMultiLine, bool AShowEndEllipsis,
                  const AnsiString& AText, TFont* AFont, TColor ATextColor, TColor ABkColor,
                  const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawHeaderPressedOverlay(TcxCanvas* C, const TRect& R) const override {}
  void DrawSortMark(TcxCanvas* C, const TRect& R, bool AAscending) const override;
  void SortMarkSize(TSize& ASize) const override { ASize = TSize{7, 8}; }
  Integer HeaderBorderWidth() const override;
  bool HeaderItemsBeforeBackground() const override { return false; }
  bool FooterItemsBeforeBackground() const override { return false; }
  bool HeaderHotTracking() const override { return true; }
  void DrawFooterCell(TcxCanvas* C, const TRect& R, TAlignment AAlignHorz,
                      TcxAlignmentVert AAlignVert, bool AMultiLine, const AnsiString& AText,
                      TFont* AFont, TColor ATextColor, TColor ABkColor,
                      const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  Integer FooterCellFrameWidth() const override;
  void DrawFooterBorder(TcxCanvas* C, const TRect& R) const override;
  void DrawSmallCloseButton(TcxCanvas* C, TRect R, TcxButtonState AState) const override;
  void DrawFilterDropDownButton(TcxCanvas* C, const TRect& R, TcxButtonState AState,
                                bool AActive) const override;
  TSize FilterActivateButtonSize() const override;
  TSize FilterCloseButtonSize() const override;
  void DrawTabItem(TcxCanvas* C, const TRect& R, TcxBorders ASides, const AnsiString& AText,
                   TcxButtonState AState, bool AVertical, TFont* AFont, TColor ATextColor,
                   bool AExtra = false) const override;
  void DrawTabFrame(TcxCanvas* C, const TRect& R, TcxBorder ASide, TcxBorders ABorders,
                    bool AVertical) const override;
  void DrawTabsArea(TcxCanvas* C, const TRect& R, TcxBorders ABorders,
                    bool AVertical) const override;
  bool TabsPaintedByPainter() const override;
  bool TabHotTracking() const override { return TabsPaintedByPainter(); }
  void DrawIndicatorItem(TcxCanvas* C, const TRect& R, TcxIndicatorKind AKind, TColor ABkColor,
                         const TcxDrawBackgroundEvent& AOnDrawBackground = nullptr) const override;
  void DrawScrollBarPart(TcxCanvas* C, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) const override;

  virtual void DrawThemedText(TcxCanvas* C, TdxTheme ATheme, Integer APartId, Integer AStateId,
                              const TRect& ABounds, const TRect& ATextRect, TAlignment AAlignHorz,
                              TcxAlignmentVert AAlignVert, bool AMultiLine, bool AShowEndEllipsis,
                              const AnsiString& AText, TFont* AFont, TColor ATextColor,
                              bool AExtra = false) const;

protected:
  TcxWinXPLookAndFeelPainter() = default;
  friend struct TcxPainterInstances;
};

// ---- Shared painter images ----

// Repaints the two 8 x 8 scroll-bar page patterns (creating them first).
void RepaintScrollBarPatterns();
TBitmap* cxScrollBarPattern(bool APressed);
TCustomImageList* cxIndicatorImages();
TBitmap* cxAutoHideBitmap(Integer AIndex);

// The 96 radio-button images, built on first use and after every system colour change.
class TcxRadioButtonImageList : public TObject {
public:
  TcxRadioButtonImageList();
  ~TcxRadioButtonImageList() override;

  void EnsureImages();
  void Clear();
  Integer Count() const;
  TSize ImageSize() const { return FSize; }
  // clDefault draws the masked image; another colour fills the image rectangle first.
  void PaintImage(TcxCanvas* C, Integer AIndex, Integer X, Integer Y, TColor ABackgroundColor);
  // The pixel class of each image pixel (0 outside .. 6 dot), row by row.
  Integer PixelCode(Integer X, Integer Y) const { return FMap[Y * FSize.cx + X]; }

private:
  void BuildMap();
  TColor PixelColor(Integer ACode, Integer AStyle, bool AChecked, TcxButtonState AState,
                    bool AFocused, bool AHighlighted) const;
  TSize FSize;
  TRect FBullet;
  std::vector<Byte> FMap;
  std::unique_ptr<TCustomImageList> FImages;
  std::unique_ptr<TBitmap> FMask;
};

TcxRadioButtonImageList* RadioButtonImages();
// The image index of a radio button.
Integer cxRadioButtonImageIndex(TcxPainterStyle AStyle, TcxButtonState AState, bool AChecked,
                                bool AFocused, bool AHighlighted);

void cxLookAndFeelPaintersInitialization();
void cxLookAndFeelPaintersFinalization();
