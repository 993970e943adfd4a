// The report object tree: TfrxComponent (position, inherited font, parent and ordered
// children, names unique within the report, load and save through frxXMLSerializer.h),
// TfrxReportComponent (what the engine and preview call on printable objects), the page
// and report classes the tree stops at, and the abstract bases through which the report
// reaches its preview, export filters, designer, wizards, engine, outline and prepared
// pages.
//
// Ownership: a component created with a TfrxComponent as owner is owned (and freed) by
// that owner's report and becomes the owner's child; with any other owner that owner is
// used and the component has no parent. Destroying a parent destroys its children.
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Consts.h"
#include "platform/rtl/Variants.h"
#include "platform/ui/Forms.h"
#include "report/engine/frxUtils.h"

class TCustomIniFile;
class TTimer;
class TfsCustomVariable;
class TfsScript;
class TfrxPage;
class TfrxReport;
class TfrxStyleItem;
class TfrxStyles;
class TfrxVariables;
class TfrxXMLSerializer;
class TfrxCustomPreviewPages;

enum TfrxRestriction { rfDontModify, rfDontSize, rfDontMove, rfDontDelete };

// A position and size in report pixels.
struct TfrxBounds {
  Extended Left = 0, Top = 0, Width = 0, Height = 0;
};
using TfrxRestrictions = TSet<TfrxRestriction>;

// How a visual object places itself inside its parent (AlignChildren).
enum TfrxAlign { baNone, baLeft, baRight, baCenter, baWidth, baBottom };

class TfrxComponent : public TComponent {
public:
  explicit TfrxComponent(TComponent* AOwner);
  ~TfrxComponent() override;

  // Creates an object of class Cls the way the designer does: IsDesigning is set before
  // construction, so Restrictions hold from the start. Null for a class that is not a
  // TfrxComponent.
  // Flags are the palette entry's (a line's diagonal, a shape's kind: ApplyDesignFlags).
  static TfrxComponent* CreateForDesign(TClass Cls, TComponent* AOwner, Word Flags = 0);
  // Takes the palette entry's flags; nothing here.
  virtual void ApplyDesignFlags(Word) {}

  // ---- Tree ----
  TfrxComponent* Parent() const { return FParent; }
  // Moves the object to the end of the new parent's children and, with ParentFont,
  // takes the new parent's font.
  virtual void SetParent(TfrxComponent* AParent);
  // The direct children in creation, loading, drawing and saving order.
  TList* Objects() const { return FObjects.get(); }
  // Rebuilds and returns the flat list of all descendants, each before its children.
  TList* AllObjects();
  // The first descendant named Name (ignoring case); null when none.
  TfrxComponent* FindObject(const AnsiString& AName);
  // Destroys all children.
  virtual void Clear();
  // Places the children by their Align, in the order of their Left values before any of
  // them moves: baLeft against the nearest neighbour on the left that shares a line,
  // baRight against the first on the right, baWidth between both, baCenter in the
  // middle, baBottom at the bottom. Bands take no part.
  virtual void AlignChildren();
  // The same under the designer's name: a report page aligns its children before drawing.
  void ApplyChildAlignment() { AlignChildren(); }
  // The object's alignment inside its parent: baNone here; visual objects override.
  virtual TfrxAlign Align() const { return baNone; }
  // True for bands, which aligning and difference texts treat apart.
  virtual bool IsBand() const { return false; }
  // True for dialog pages, where absolute positions stop (asked for every position an export
  // or a drawing takes, so a virtual call instead of a type walk).
  virtual bool IsDialogPage() const { return false; }
  // The nearest page / report among the object and its parents.
  TfrxPage* Page();
  TfrxReport* Report();

  // ---- Position (report pixels, relative to the parent) ----
  Extended Left() const { return FLeft; }
  Extended Top() const { return FTop; }
  Extended Width() const { return FWidth; }
  Extended Height() const { return FHeight; }
  virtual void SetLeft(Extended Value);
  virtual void SetTop(Extended Value);
  virtual void SetWidth(Extended Value);
  virtual void SetHeight(Extended Value);
  void SetBounds(Extended ALeft, Extended ATop, Extended AWidth, Extended AHeight);
  // Positions summed up the parent chain, stopping below a dialog page.
  Extended AbsLeft() const;
  Extended AbsTop() const;

  // ---- Font ----
  TFont* Font() const { return FFont.get(); }
  // Copies the font; the object no longer follows its parent's.
  virtual void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  virtual void SetParentFont(bool Value);
  // The font changed: the object stops following its parent, and every child that
  // follows this object takes the new font.
  virtual void FontChanged();
  // The stored rule of a published Font: only when it is not the parent's.
  bool IsFontStored() const { return !FParentFont; }

  // ---- State ----
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value) { FGroupIndex = Value; }
  bool IsDesigning() const { return FIsDesigning; }
  void SetIsDesigning(bool Value) { FIsDesigning = Value; }
  // The same flag under the designer's name: the designer sets it on the objects it shows.
  bool InDesigner() const { return FIsDesigning; }
  void SetInDesigner(bool Value) { FIsDesigning = Value; }
  // Left, top, width and height kept by SaveState around a build; the designer's workspace
  // uses the same rectangle while it scales a selection.
  TfrxBounds& SavedBounds() { return FSavedBounds; }
  bool Serializing() const { return FSerializing; }
  void SetSerializing(bool Value) { FSerializing = Value; }
  bool StoreAllProperties() const { return FStoreAllProperties; }
  TfrxRestrictions Restrictions() const { return FRestrictions; }
  void SetRestrictions(TfrxRestrictions Value) { FRestrictions = Value; }
  // The prefix of generated names: the class name without "Tfrx" and "View" unless a
  // class sets its own.
  AnsiString BaseName() const;
  void SetBaseName(const AnsiString& Value) { FBaseName = Value; }
  const AnsiString& DictionaryKey() const { return FDictionaryKey; }
  void SetDictionaryKey(const AnsiString& Value) { FDictionaryKey = Value; }
  TfrxComponent* SourceObject() const { return FSourceObject; }
  void SetSourceObject(TfrxComponent* Value) { FSourceObject = Value; }

  // ---- Names ----
  // A name another object of the report already has raises the "prDupl" text; then the
  // platform's rules apply.
  void SetName(const AnsiString& NewName) override;
  // Names the object BaseName + the smallest free number (Memo1, Memo2 ...).
  void MakeUniqueName();
  // The caption shown for the object: the class name here.
  virtual AnsiString GetDescription();
  // The caption of a class of objects (the palette's hint): the description of an object of
  // that class; '' for a class that is not a report object class.
  static AnsiString ObjectCaption(TClass Cls);
  // Forgets what an earlier build left in the object; the report calls it when it
  // prepares a build.
  virtual void ResetBuildState() {}

  // ---- Files ----
  // Replaces the children and settings by those read from a report XML stream; the
  // object keeps its name. Problems go to the report's error list.
  virtual void LoadFromStream(TStream* Stream);
  // Writes the object (its name left empty) and, with SaveChildren, its descendants.
  virtual void SaveToStream(TStream* Stream, bool SaveChildren = true, bool SaveDefaults = false);
  // Copies a TfrxComponent's settings through the serializer (children are dropped).
  void Assign(TPersistent* Source) override;
  // The same with the source's children.
  void CloneFrom(TfrxComponent* Source);

  // The attributes in which this object differs from Source (each preceded by a blank),
  // as the prepared pages store them: l (not for aligned objects), t (always for bands),
  // w, h beyond 0.0001, Visible, the font while it is not inherited, ParentFont and Tag.
  // Descendants add their own attributes and may choose the position parts through DiffOf.
  virtual AnsiString Diff(TfrxComponent* Source);
  // The object's full attribute text, followed (with a source) by a blank and Diff(Source).
  AnsiString AllDiff(TfrxComponent* Source);
  // The base part of the difference text alone (position, size, visibility, font, tag), as
  // the first pass of a two-pass build stores it.
  AnsiString BaseDiff(TfrxComponent* Source) { return TfrxComponent::Diff(Source); }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  TComponent* GetParentComponent() const override { return FParent; }
  bool HasParent() const override { return FParent != nullptr; }

protected:
  void SetStoreAllProperties(bool Value) { FStoreAllProperties = Value; }

  // The position parts of a difference text: Left (objects aligned inside their parent
  // leave it out), Top written even when equal (bands), Width (auto-sized texts leave it
  // out).
  enum TfrxDiffPart { dpLeft, dpAlwaysTop, dpWidth };
  using TfrxDiffParts = TSet<TfrxDiffPart>;
  AnsiString DiffOf(TfrxComponent* Source, TfrxDiffParts Parts);

private:
  static TComponent* PlatformOwner(TComponent* AOwner);
  void FontChangedHandler(TObject* Sender);
  // Tells the report this object now belongs to whether its subtree holds objects the
  // report does not own.
  void NoteForeignObjects();

  std::unique_ptr<TList> FObjects;
  std::unique_ptr<TList> FAllObjects;
  TfrxComponent* FParent = nullptr;
  Extended FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  Integer FGroupIndex = 0;
  bool FIsDesigning = false;
  bool FSerializing = false;
  bool FStoreAllProperties = false;
  TfrxRestrictions FRestrictions;
  bool FVisible = true;
  AnsiString FDictionaryKey;
  AnsiString FBaseName;
  TfrxComponent* FSourceObject = nullptr;
  TfrxBounds FSavedBounds;

  friend class TfrxXMLSerializer;
};

// Printable and dialog objects: what the engine and the preview call on them.
class TfrxReportComponent : public TfrxComponent {
public:
  explicit TfrxReportComponent(TComponent* AOwner) : TfrxComponent(AOwner) {}

  // Draws the object at its position, scaled and moved (device units).
  virtual void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                    Extended OffsetY) = 0;
  // Keeps / puts back Left, Top, Width and Height around printing.
  virtual void SaveState();
  virtual void EvaluateData() {}
  virtual void RestoreState();
  // The object's text for searching and exports.
  virtual AnsiString PlainText() { return AnsiString(); }
};

// ---- Settings objects of views ----

enum TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble };
enum TfrxFrameType { ftLeft, ftRight, ftTop, ftBottom };
using TfrxFrameTypes = TSet<TfrxFrameType>;
enum TfrxFormatKind { fkText, fkNumeric, fkDateTime, fkBoolean };
enum TfrxShiftMode { smDontShift, smAlways, smWhenOverlapped };
enum TfrxStretchMode { smDontStretch, smActualHeight, smMaxHeight };
enum TfrxHAlign { haLeft, haRight, haCenter, haBlock };
enum TfrxVAlign { vaTop, vaBottom, vaCenter };
enum TfrxShapeKind {
  skRectangle,
  skRoundRectangle,
  skEllipse,
  skTriangle,
  skDiamond,
  skDiagonal1,
  skDiagonal2
};
enum TfrxDuplexMode { dmNone, dmVertical, dmHorizontal };
enum TPrinterOrientation { poPortrait, poLandscape };
enum TfrxRangeBegin { rbFirst, rbCurrent };
enum TfrxRangeEnd { reLast, reCurrent, reCount };
enum TfrxFieldType { fftNumeric, fftString, fftBoolean };

// The frame of a view (lines on chosen sides, with an optional drop shadow).
class TfrxFrame : public TPersistent {
public:
  TfrxFrame() = default;
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  bool DropShadow() const { return FDropShadow; }
  void SetDropShadow(bool Value) { FDropShadow = Value; }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value) { FShadowColor = Value; }
  Extended ShadowWidth() const { return FShadowWidth; }
  void SetShadowWidth(Extended Value) { FShadowWidth = Value; }
  TfrxFrameStyle Style() const { return FStyle; }
  void SetStyle(TfrxFrameStyle Value) { FStyle = Value; }
  TfrxFrameTypes Typ() const { return FTyp; }
  void SetTyp(TfrxFrameTypes Value) { FTyp = Value; }
  Extended Width() const { return FWidth; }
  void SetWidth(Extended Value) { FWidth = Value; }

  bool IsShadowWidthStored() const { return FShadowWidth != 4; }
  bool IsTypStored() const { return !FTyp.Empty(); }
  bool IsWidthStored() const { return FWidth != 1; }
  // The attributes in which the frame differs from Source ("Frame.Color" ...), each
  // preceded by a blank.
  AnsiString Diff(const TfrxFrame* Source) const;

private:
  TColor FColor = 0;
  bool FDropShadow = false;
  TColor FShadowColor = 0;
  Extended FShadowWidth = 4;
  TfrxFrameStyle FStyle = fsSolid;
  TfrxFrameTypes FTyp;
  Extended FWidth = 1;
};

// The conditional appearance of a text object: font and fill used while Active.
class TfrxHighlight : public TPersistent {
public:
  TfrxHighlight();
  ~TfrxHighlight() override;
  // Copies Font, Color and Condition; Active stays.
  void Assign(TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  const AnsiString& Condition() const { return FCondition; }
  void SetCondition(const AnsiString& Value) { FCondition = Value; }

private:
  bool FActive = false;
  std::unique_ptr<TFont> FFont;
  TColor FColor;
  AnsiString FCondition;
};

// The display format of a text object's values.
class TfrxFormat : public TPersistent {
public:
  TfrxFormat() = default;
  void Assign(TPersistent* Source) override;

  const AnsiString& DecimalSeparator() const { return FDecimalSeparator; }
  void SetDecimalSeparator(const AnsiString& Value) { FDecimalSeparator = Value; }
  const AnsiString& FormatStr() const { return FFormatStr; }
  void SetFormatStr(const AnsiString& Value) { FFormatStr = Value; }
  TfrxFormatKind Kind() const { return FKind; }
  void SetKind(TfrxFormatKind Value) { FKind = Value; }

private:
  AnsiString FDecimalSeparator;
  AnsiString FFormatStr;
  TfrxFormatKind FKind = fkText;
};

class TfrxDataSet;
class TfrxDrawText;

// A report object's reference to a dataset, kept by pointer and by user name: the name
// stays while no dataset of that name is found, and the free notification moves with the
// pointer, so the reference clears itself when the dataset goes. Views, data bands and
// report pages each hold one and pass their Notification on to it.
class TfrxDataSetLink {
public:
  explicit TfrxDataSetLink(TfrxComponent* AOwner) : FOwner(AOwner) {}
  ~TfrxDataSetLink();
  TfrxDataSetLink(const TfrxDataSetLink&) = delete;
  TfrxDataSetLink& operator=(const TfrxDataSetLink&) = delete;

  TfrxDataSet* DataSet() const { return FDataSet; }
  // Stores the reference; the name becomes its user name ('' for nil).
  void SetDataSet(TfrxDataSet* Value);
  // The dataset's user name while one is set, else the stored name.
  AnsiString DataSetName() const;
  // Stores the name and resolves it in the owner's report (FindDataSet); nothing found
  // keeps the reference.
  void SetDataSetName(const AnsiString& Value);
  // Forgets the dataset when it is removed.
  void Notification(TComponent* AComponent, TOperation Operation);

private:
  TfrxComponent* FOwner;
  TfrxDataSet* FDataSet = nullptr;
  AnsiString FDataSetName;
};

// ---- Visual objects ----

// The base of every object placed on a report page: fill, frame, alignment, data
// binding, hyperlink and tag, and the drawing sequence background then frame.
class TfrxView : public TfrxReportComponent {
public:
  explicit TfrxView(TComponent* AOwner);
  ~TfrxView() override;

  TfrxAlign Align() const override { return FAlign; }
  void SetAlign(TfrxAlign Value) { FAlign = Value; }
  TBrushStyle BrushStyle() const { return FBrushStyle; }
  void SetBrushStyle(TBrushStyle Value) { FBrushStyle = Value; }
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value) { FColor = Value; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value) { FCursor = Value; }
  const AnsiString& DataField() const { return FDataField; }
  void SetDataField(const AnsiString& Value) { FDataField = Value; }
  TfrxDataSet* DataSet() const { return FDataSetLink.DataSet(); }
  void SetDataSet(TfrxDataSet* Value) { FDataSetLink.SetDataSet(Value); }
  AnsiString DataSetName() const { return FDataSetLink.DataSetName(); }
  void SetDataSetName(const AnsiString& Value) { FDataSetLink.SetDataSetName(Value); }
  TfrxFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TfrxFrame* Value) { FFrame->Assign(Value); }
  bool Printable() const { return FPrintable; }
  void SetPrintable(bool Value) { FPrintable = Value; }
  TfrxShiftMode ShiftMode() const { return FShiftMode; }
  void SetShiftMode(TfrxShiftMode Value) { FShiftMode = Value; }
  const AnsiString& TagStr() const { return FTagStr; }
  void SetTagStr(const AnsiString& Value) { FTagStr = Value; }
  const AnsiString& URL() const { return FURL; }
  void SetURL(const AnsiString& Value) { FURL = Value; }
  bool HasDataBinding() const { return DataSet() && !FDataField.empty(); }

  // Script procedure names.
  AnsiString OnAfterData, OnAfterPrint, OnBeforePrint, OnPreviewClick;

  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  // Computes the device rectangle X, Y, X1, Y1 (DX, DY) and FrameWidth.
  virtual void BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                         Extended OffsetY);
  virtual void DrawBackground();
  virtual void DrawFrame();
  void SaveState() override;
  void RestoreState() override;
  // Replaces the bracketed expressions in TagStr and URL by their values.
  void EvaluateData() override;
  AnsiString Diff(TfrxComponent* Source) override;

  // The device rectangle of the last BeginDraw.
  Integer X() const { return FX; }
  Integer Y() const { return FY; }
  Integer X1() const { return FX1; }
  Integer Y1() const { return FY1; }
  Integer DX() const { return FDX; }
  Integer DY() const { return FDY; }
  Integer FrameWidth() const { return FFrameWidth; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The view's own part of the difference text (after the base part).
  AnsiString ViewDiff(TfrxView* Source);
  // A line of width Width drawn as parallel one-pixel lines across its direction.
  void DrawThickLine(Integer X0, Integer Y0, Integer X2, Integer Y2, Integer Width);

  TCanvas* FCanvas = nullptr;
  Extended FScaleX = 1, FScaleY = 1, FOffsetX = 0, FOffsetY = 0;
  Integer FX = 0, FY = 0, FX1 = 0, FY1 = 0, FDX = 0, FDY = 0, FFrameWidth = 0;

private:
  void DrawFrameSide(TfrxFrameType Side);

  TfrxAlign FAlign = baNone;
  TBrushStyle FBrushStyle = bsSolid;
  TColor FColor;
  TCursor FCursor = 0;
  AnsiString FDataField;
  TfrxDataSetLink FDataSetLink{this};
  std::unique_ptr<TfrxFrame> FFrame;
  bool FPrintable = true;
  TfrxShiftMode FShiftMode = smAlways;
  AnsiString FTagStr, FURL;
  AnsiString FSavedTagStr, FSavedURL;
};

// A view that grows with its content and splits across pages.
class TfrxStretcheable : public TfrxView {
public:
  explicit TfrxStretcheable(TComponent* AOwner) : TfrxView(AOwner) {}

  TfrxStretchMode StretchMode() const { return FStretchMode; }
  void SetStretchMode(TfrxStretchMode Value) { FStretchMode = Value; }
  // The height the content needs; here the current Height.
  virtual Extended CalcHeight() { return Height(); }
  // Fits one part into the object; the height left over. Here 0.
  virtual Extended FitPart() { return 0; }
  virtual void BeginSplit() {}

private:
  TfrxStretchMode FStretchMode = smDontStretch;
};

// The text object: fixed text, field values or bracketed expressions, formatted,
// highlighted, wrapped, rotated, grown and split.
class TfrxCustomMemoView : public TfrxStretcheable {
public:
  explicit TfrxCustomMemoView(TComponent* AOwner);
  ~TfrxCustomMemoView() override;

  TStrings* Memo() const { return FMemo.get(); }
  void SetMemo(TStrings* Value) { FMemo->Assign(Value); }
  // The lines joined by CR LF.
  AnsiString Text() const;
  void SetText(const AnsiString& Value);
  TStrings* Lines() const { return FMemo.get(); }

  bool AllowExpressions() const { return FAllowExpressions; }
  void SetAllowExpressions(bool Value) { FAllowExpressions = Value; }
  bool AllowHTMLTags() const { return FAllowHTMLTags; }
  void SetAllowHTMLTags(bool Value) { FAllowHTMLTags = Value; }
  bool AutoWidth() const { return FAutoWidth; }
  void SetAutoWidth(bool Value) { FAutoWidth = Value; }
  Extended CharSpacing() const { return FCharSpacing; }
  void SetCharSpacing(Extended Value) { FCharSpacing = Value; }
  TfrxFormat* DisplayFormat() const { return FDisplayFormat.get(); }
  void SetDisplayFormat(TfrxFormat* Value) { FDisplayFormat->Assign(Value); }
  const AnsiString& ExpressionDelimiters() const { return FExpressionDelimiters; }
  void SetExpressionDelimiters(const AnsiString& Value) { FExpressionDelimiters = Value; }
  TfrxCustomMemoView* FlowTo() const { return FFlowTo; }
  void SetFlowTo(TfrxCustomMemoView* Value);
  Extended GapX() const { return FGapX; }
  void SetGapX(Extended Value) { FGapX = Value; }
  Extended GapY() const { return FGapY; }
  void SetGapY(Extended Value) { FGapY = Value; }
  TfrxHAlign HAlign() const { return FHAlign; }
  void SetHAlign(TfrxHAlign Value) { FHAlign = Value; }
  TfrxVAlign VAlign() const { return FVAlign; }
  void SetVAlign(TfrxVAlign Value) { FVAlign = Value; }
  bool HideZeros() const { return FHideZeros; }
  void SetHideZeros(bool Value) { FHideZeros = Value; }
  TfrxHighlight* Highlight() const { return FHighlight.get(); }
  void SetHighlight(TfrxHighlight* Value) { FHighlight->Assign(Value); }
  Extended LineSpacing() const { return FLineSpacing; }
  void SetLineSpacing(Extended Value) { FLineSpacing = Value; }
  Extended ParagraphGap() const { return FParagraphGap; }
  void SetParagraphGap(Extended Value) { FParagraphGap = Value; }
  Integer Rotation() const { return FRotation; }
  // Kept modulo 360, the sign staying (-90 stays -90, 450 becomes 90).
  void SetRotation(Integer Value) { FRotation = Value % 360; }
  bool RTLReading() const { return FRTLReading; }
  void SetRTLReading(bool Value) { FRTLReading = Value; }
  const AnsiString& Style() const { return FStyle; }
  // Stores the style name and, inside a report, applies the report's style item of that
  // name (ApplyStyle); a name the report has no item for changes nothing else.
  void SetStyle(const AnsiString& Value);
  // Takes the item's Color, Font (which clears ParentFont) and Frame; null does nothing.
  void ApplyStyle(TfrxStyleItem* Style);
  bool SuppressRepeated() const { return FSuppressRepeated; }
  void SetSuppressRepeated(bool Value) { FSuppressRepeated = Value; }
  bool Underlines() const { return FUnderlines; }
  void SetUnderlines(bool Value) { FUnderlines = Value; }
  bool WordBreak() const { return FWordBreak; }
  void SetWordBreak(bool Value) { FWordBreak = Value; }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value) { FValue = Value; }
  const Variant& LastValue() const { return FLastValue; }
  Integer TotalPages() const { return FTotalPages; }
  void SetTotalPages(Integer Value) { FTotalPages = Value; }

  bool IsCharSpacingStored() const { return FCharSpacing != 0; }
  bool IsExpressionDelimitersStored() const { return FExpressionDelimiters != "[,]"; }
  bool IsGapXStored() const { return FGapX != 2; }
  bool IsGapYStored() const { return FGapY != 1; }
  bool IsHighlightStored() const;
  bool IsLineSpacingStored() const { return FLineSpacing != 2; }
  bool IsParagraphGapStored() const { return FParagraphGap != 0; }

  // The value as text by Format (null: DisplayFormat); a formatter failure gives the
  // value's plain text.
  AnsiString FormatData(const Variant& Value, TfrxFormat* Format = nullptr);
  // The text of one expression: "expr #code" formats with its own code ("#n%2.2f",
  // "#dyyyy-mm-dd", "#bYes,No"), "TotalPages#" stays for the drawing, anything else is
  // evaluated by the report.
  AnsiString CalcExpression(const AnsiString& Expr);
  // Takes the field's value or evaluates the expressions of the text, then applies
  // highlight, SuppressRepeated and FlowTo.
  void EvaluateData() override;
  // The device text rectangle inside frame and gaps of the last BeginDraw.
  TRect TextRect() const { return FTextRect; }
  // The horizontal and vertical room frame, gaps and shadow take from the object.
  Extended HorizontalGaps() const;
  Extended VerticalGaps() const;

  void BeginDraw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                 Extended OffsetY) override;
  // Background, frame, underlines and the text laid out by the text layout (frxDrawText.h).
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  // Lays the object out off-screen at scale 1: the wrapped lines (each ended by CR LF), or
  // the text with its markup tags removed.
  AnsiString MemoLayoutText(bool Wrapped);
  Extended CalcHeight() override;
  virtual Extended CalcWidth();
  void BeginSplit() override;
  Extended FitPart() override;
  const AnsiString& RemainingText() const { return FPartMemo; }

  void SaveState() override;
  void RestoreState() override;
  AnsiString PlainText() override;
  AnsiString Diff(TfrxComponent* Source) override;
  AnsiString GetDescription() override;
  // The last printed text (SuppressRepeated) is forgotten.
  void ResetBuildState() override { FLastValue = Null(); }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  // The layout the object uses: its report's, or the program-wide one outside a report.
  TfrxDrawText* Layout() const;
  // Font, options, spacing, AutoWidth, rectangles and the wrapped Lines. MeasureArea lays
  // the text out in a 10000 x 10000 area at scale 1 instead of the object's rectangle.
  enum TLayoutArea { laObject, laMeasure };
  void PrepareLayout(TfrxDrawText* Layout, TStrings* Lines, TCanvas* Canvas, Extended ScaleX,
                     Extended ScaleY, Extended OffsetX, Extended OffsetY, TLayoutArea Area);

  std::unique_ptr<TStringList> FMemo;
  bool FAllowExpressions = true;
  bool FAllowHTMLTags = false;
  bool FAutoWidth = false;
  Extended FCharSpacing = 0;
  std::unique_ptr<TfrxFormat> FDisplayFormat;
  AnsiString FExpressionDelimiters = "[,]";
  TfrxCustomMemoView* FFlowTo = nullptr;
  Extended FGapX = 2, FGapY = 1;
  TfrxHAlign FHAlign = haLeft;
  TfrxVAlign FVAlign = vaTop;
  bool FHideZeros = false;
  std::unique_ptr<TfrxHighlight> FHighlight;
  Extended FLineSpacing = 2, FParagraphGap = 0;
  Integer FRotation = 0;
  bool FRTLReading = false;
  AnsiString FStyle;
  bool FSuppressRepeated = false, FUnderlines = false, FWordBreak = false, FWordWrap = true;
  Variant FValue;
  Variant FLastValue;
  AnsiString FPartMemo, FSavedText;
  Integer FTotalPages = 0;
  TRect FTextRect{};
};

class TfrxMemoView : public TfrxCustomMemoView {
public:
  explicit TfrxMemoView(TComponent* AOwner) : TfrxCustomMemoView(AOwner) {}
};

// A text object for system values and totals.
class TfrxSysMemoView : public TfrxCustomMemoView {
public:
  explicit TfrxSysMemoView(TComponent* AOwner) : TfrxCustomMemoView(AOwner) {}
  AnsiString GetDescription() override;
};

// A straight line; colour, width and style are its frame's.
class TfrxCustomLineView : public TfrxStretcheable {
public:
  explicit TfrxCustomLineView(TComponent* AOwner) : TfrxStretcheable(AOwner) {}
  bool Diagonal() const { return FDiagonal; }
  void SetDiagonal(bool Value) { FDiagonal = Value; }
  void ApplyDesignFlags(Word Flags) override { FDiagonal = Flags != 0; }
  // A line that is not diagonal is first made vertical or horizontal.
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  AnsiString GetDescription() override;

private:
  bool FDiagonal = false;
};

class TfrxLineView : public TfrxCustomLineView {
public:
  explicit TfrxLineView(TComponent* AOwner) : TfrxCustomLineView(AOwner) {}
};

class TPicture;

class TfrxPictureView : public TfrxView {
public:
  explicit TfrxPictureView(TComponent* AOwner);
  ~TfrxPictureView() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value) { FCenter = Value; }
  bool KeepAspectRatio() const { return FKeepAspectRatio; }
  void SetKeepAspectRatio(bool Value) { FKeepAspectRatio = Value; }
  bool Stretched() const { return FStretched; }
  void SetStretched(bool Value) { FStretched = Value; }
  bool PictureChanged() const { return FPictureChanged; }
  void LoadFromFile(const AnsiString& FileName);
  // With a data binding to a binary field, loads the picture from the field's bytes
  // (bitmap, JPEG or metafile, recognised by their first bytes); unknown bytes clear it.
  void EvaluateData() override;

  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  AnsiString Diff(TfrxComponent* Source) override;
  AnsiString GetDescription() override;

private:
  void PictureChangedHandler(TObject* Sender);

  std::unique_ptr<TPicture> FPicture;
  bool FAutoSize = false, FCenter = false, FKeepAspectRatio = true, FStretched = true;
  bool FPictureChanged = false;
};

class TfrxShapeView : public TfrxView {
public:
  explicit TfrxShapeView(TComponent* AOwner) : TfrxView(AOwner) {}
  TfrxShapeKind Shape() const { return FShape; }
  void SetShape(TfrxShapeKind Value) { FShape = Value; }
  void ApplyDesignFlags(Word Flags) override { FShape = static_cast<TfrxShapeKind>(Flags); }
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  AnsiString Diff(TfrxComponent* Source) override;
  AnsiString GetDescription() override;

private:
  TfrxShapeKind FShape = skRectangle;
};

class TfrxReportPage;

// Stands for a report page printed in its place.
class TfrxSubreport : public TfrxView {
public:
  explicit TfrxSubreport(TComponent* AOwner);
  ~TfrxSubreport() override;
  TfrxReportPage* Page() const { return FPage; }
  // Stores the page and makes this object the page's subreport.
  void SetPage(TfrxReportPage* Value);
  bool PrintOnParent() const { return FPrintOnParent; }
  void SetPrintOnParent(bool Value) { FPrintOnParent = Value; }
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;
  AnsiString GetDescription() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TfrxReportPage* FPage = nullptr;
  bool FPrintOnParent = false;
};

// ---- Bands ----

class TfrxChild;

// A horizontal (or vertical) strip of a page printed as a unit; its objects are its
// children. A band does not draw itself.
class TfrxBand : public TfrxReportComponent {
public:
  explicit TfrxBand(TComponent* AOwner) : TfrxReportComponent(AOwner) {}

  bool IsBand() const override { return true; }
  bool AllowSplit() const { return FAllowSplit; }
  void SetAllowSplit(bool Value) { FAllowSplit = Value; }
  TfrxChild* Child() const { return FChild; }
  void SetChild(TfrxChild* Value);
  bool KeepChild() const { return FKeepChild; }
  void SetKeepChild(bool Value) { FKeepChild = Value; }
  const AnsiString& OutlineText() const { return FOutlineText; }
  void SetOutlineText(const AnsiString& Value) { FOutlineText = Value; }
  bool Overflow() const { return FOverflow; }
  void SetOverflow(bool Value) { FOverflow = Value; }
  bool StartNewPage() const { return FStartNewPage; }
  void SetStartNewPage(bool Value) { FStartNewPage = Value; }
  bool Stretched() const { return FStretched; }
  void SetStretched(bool Value) { FStretched = Value; }
  bool PrintChildIfInvisible() const { return FPrintChildIfInvisible; }
  void SetPrintChildIfInvisible(bool Value) { FPrintChildIfInvisible = Value; }
  bool Vertical() const { return FVertical; }
  void SetVertical(bool Value) { FVertical = Value; }
  Integer OriginalObjectsCount() const { return FOriginalObjectsCount; }
  void SetOriginalObjectsCount(Integer Value) { FOriginalObjectsCount = Value; }
  TList* BandList() { return &FBandList; }

  // Script procedure names.
  AnsiString OnAfterCalcHeight, OnAfterPrint, OnBeforePrint;

  // Snapped to the character grid on a dot-matrix page.
  void SetLeft(Extended Value) override;
  void SetTop(Extended Value) override;
  void SetHeight(Extended Value) override;
  // The band's index in the fixed table of band kinds (0 when none matches).
  Integer KindIndex() const;
  // The class name without the first "Tfrx" and the first "Band".
  AnsiString ShortClassName() const;
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
  AnsiString GetDescription() override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool FAllowSplit = false;
  TfrxChild* FChild = nullptr;
  bool FKeepChild = false;
  AnsiString FOutlineText;
  bool FOverflow = false, FStartNewPage = false, FStretched = false;
  bool FPrintChildIfInvisible = false, FVertical = false;
  Integer FOriginalObjectsCount = -1;
  TList FBandList;
};

#define FRX_BAND_CLASS(Name, Base)                                                                 \
  class Name : public Base {                                                                       \
  public:                                                                                          \
    explicit Name(TComponent* AOwner) : Base(AOwner) {}                                            \
  };

FRX_BAND_CLASS(TfrxReportTitle, TfrxBand)
FRX_BAND_CLASS(TfrxReportSummary, TfrxBand)
FRX_BAND_CLASS(TfrxFooter, TfrxBand)
FRX_BAND_CLASS(TfrxGroupFooter, TfrxBand)
FRX_BAND_CLASS(TfrxChild, TfrxBand)
FRX_BAND_CLASS(TfrxColumnHeader, TfrxBand)
FRX_BAND_CLASS(TfrxColumnFooter, TfrxBand)
FRX_BAND_CLASS(TfrxOverlay, TfrxBand)
FRX_BAND_CLASS(TfrxNullBand, TfrxBand)

class TfrxHeader : public TfrxBand {
public:
  explicit TfrxHeader(TComponent* AOwner) : TfrxBand(AOwner) {}
  bool ReprintOnNewPage() const { return FReprintOnNewPage; }
  void SetReprintOnNewPage(bool Value) { FReprintOnNewPage = Value; }

private:
  bool FReprintOnNewPage = false;
};

class TfrxPageHeader : public TfrxBand {
public:
  explicit TfrxPageHeader(TComponent* AOwner) : TfrxBand(AOwner) {}
  bool PrintOnFirstPage() const { return FPrintOnFirstPage; }
  void SetPrintOnFirstPage(bool Value) { FPrintOnFirstPage = Value; }

private:
  bool FPrintOnFirstPage = true;
};

class TfrxPageFooter : public TfrxBand {
public:
  explicit TfrxPageFooter(TComponent* AOwner) : TfrxBand(AOwner) {}
  bool PrintOnFirstPage() const { return FPrintOnFirstPage; }
  void SetPrintOnFirstPage(bool Value) { FPrintOnFirstPage = Value; }
  bool PrintOnLastPage() const { return FPrintOnLastPage; }
  void SetPrintOnLastPage(bool Value) { FPrintOnLastPage = Value; }

private:
  bool FPrintOnFirstPage = true, FPrintOnLastPage = true;
};

class TfrxUserDataSet;

// A band printed once per record of its dataset (or RowCount times without one).
class TfrxDataBand : public TfrxBand {
public:
  explicit TfrxDataBand(TComponent* AOwner);
  ~TfrxDataBand() override;

  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value) { FColumns = Value; }
  Extended ColumnWidth() const { return FColumnWidth; }
  void SetColumnWidth(Extended Value) { FColumnWidth = Value; }
  Extended ColumnGap() const { return FColumnGap; }
  void SetColumnGap(Extended Value) { FColumnGap = Value; }
  TfrxDataSet* DataSet() const { return FDataSetLink.DataSet(); }
  void SetDataSet(TfrxDataSet* Value) { FDataSetLink.SetDataSet(Value); }
  AnsiString DataSetName() const { return FDataSetLink.DataSetName(); }
  void SetDataSetName(const AnsiString& Value) { FDataSetLink.SetDataSetName(Value); }
  bool FooterAfterEach() const { return FFooterAfterEach; }
  void SetFooterAfterEach(bool Value) { FFooterAfterEach = Value; }
  bool KeepFooter() const { return FKeepFooter; }
  void SetKeepFooter(bool Value) { FKeepFooter = Value; }
  bool KeepHeader() const { return FKeepHeader; }
  void SetKeepHeader(bool Value) { FKeepHeader = Value; }
  bool KeepTogether() const { return FKeepTogether; }
  void SetKeepTogether(bool Value) { FKeepTogether = Value; }
  bool PrintIfDetailEmpty() const { return FPrintIfDetailEmpty; }
  void SetPrintIfDetailEmpty(bool Value) { FPrintIfDetailEmpty = Value; }
  Integer RowCount() const { return FRowCount; }
  // Also the number of rows the band's own row dataset gives.
  void SetRowCount(Integer Value);
  Integer CurColumn() const { return FCurColumn; }
  // A value above Columns becomes 1; the band moves to its column.
  void SetCurColumn(Integer Value);
  TfrxUserDataSet* VirtualDataSet() const { return FVirtualDataSet.get(); }
  AnsiString GetDescription() override;

  // Script procedure name.
  AnsiString OnMasterDetail;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  Integer FColumns = 0;
  Extended FColumnWidth = 0, FColumnGap = 0;
  TfrxDataSetLink FDataSetLink{this};
  bool FFooterAfterEach = false, FKeepFooter = false, FKeepHeader = false;
  bool FKeepTogether = false, FPrintIfDetailEmpty = false;
  Integer FRowCount = 0;
  Integer FCurColumn = 1;
  std::unique_ptr<TfrxUserDataSet> FVirtualDataSet;
};

FRX_BAND_CLASS(TfrxMasterData, TfrxDataBand)
FRX_BAND_CLASS(TfrxDetailData, TfrxDataBand)
FRX_BAND_CLASS(TfrxSubdetailData, TfrxDataBand)
FRX_BAND_CLASS(TfrxDataBand4, TfrxDataBand)
FRX_BAND_CLASS(TfrxDataBand5, TfrxDataBand)
FRX_BAND_CLASS(TfrxDataBand6, TfrxDataBand)

class TfrxGroupHeader : public TfrxBand {
public:
  explicit TfrxGroupHeader(TComponent* AOwner) : TfrxBand(AOwner) {}
  const AnsiString& Condition() const { return FCondition; }
  void SetCondition(const AnsiString& Value) { FCondition = Value; }
  bool KeepTogether() const { return FKeepTogether; }
  void SetKeepTogether(bool Value) { FKeepTogether = Value; }
  bool ReprintOnNewPage() const { return FReprintOnNewPage; }
  void SetReprintOnNewPage(bool Value) { FReprintOnNewPage = Value; }

private:
  AnsiString FCondition;
  bool FKeepTogether = false, FReprintOnNewPage = false;
};

#undef FRX_BAND_CLASS

// ---- Pages ----

// A page of a report. The page classes with paper, bands and dialogs derive from it.
class TfrxPage : public TfrxComponent {
public:
  explicit TfrxPage(TComponent* AOwner);
};

// A printable page: paper, margins, columns, bins, background, guides; its children are
// bands and loose objects. Width and Height are the paper size in report pixels.
class TfrxReportPage : public TfrxPage {
public:
  explicit TfrxReportPage(TComponent* AOwner);
  ~TfrxReportPage() override;

  TPrinterOrientation Orientation() const { return FOrientation; }
  // Swaps the paper dimensions and turns the margins with the paper.
  void SetOrientation(TPrinterOrientation Value);
  Extended PaperWidth() const { return FPaperWidth; }
  virtual void SetPaperWidth(Extended Value);
  Extended PaperHeight() const { return FPaperHeight; }
  virtual void SetPaperHeight(Extended Value);
  Integer PaperSize() const { return FPaperSize; }
  // Below 256 the dimensions come from the paper table; 256 (custom) keeps them.
  virtual void SetPaperSize(Integer Value);
  Extended LeftMargin() const { return FLeftMargin; }
  void SetLeftMargin(Extended Value) { FLeftMargin = Value; }
  Extended RightMargin() const { return FRightMargin; }
  void SetRightMargin(Extended Value) { FRightMargin = Value; }
  Extended TopMargin() const { return FTopMargin; }
  void SetTopMargin(Extended Value) { FTopMargin = Value; }
  Extended BottomMargin() const { return FBottomMargin; }
  void SetBottomMargin(Extended Value) { FBottomMargin = Value; }
  bool MirrorMargins() const { return FMirrorMargins; }
  void SetMirrorMargins(bool Value) { FMirrorMargins = Value; }
  Integer Columns() const { return FColumns; }
  // Divides the printable width into Value equal columns.
  void SetColumns(Integer Value);
  Extended ColumnWidth() const { return FColumnWidth; }
  void SetColumnWidth(Extended Value) { FColumnWidth = Value; }
  TStrings* ColumnPositions() const { return FColumnPositions.get(); }
  void SetColumnPositions(TStrings* Value) { FColumnPositions->Assign(Value); }
  Integer Bin() const { return FBin; }
  void SetBin(Integer Value) { FBin = Value; }
  Integer BinOtherPages() const { return FBinOtherPages; }
  void SetBinOtherPages(Integer Value) { FBinOtherPages = Value; }
  TPicture* BackPicture() const;
  void SetBackPicture(TPicture* Value);
  TColor Color() const;
  void SetColor(TColor Value);
  TfrxFrame* Frame() const;
  void SetFrame(TfrxFrame* Value);
  TfrxPictureView* BackgroundObject() const { return FBackPicture.get(); }
  TfrxDataSet* DataSet() const { return FDataSetLink.DataSet(); }
  void SetDataSet(TfrxDataSet* Value) { FDataSetLink.SetDataSet(Value); }
  AnsiString DataSetName() const { return FDataSetLink.DataSetName(); }
  void SetDataSetName(const AnsiString& Value) { FDataSetLink.SetDataSetName(Value); }
  TfrxDuplexMode Duplex() const { return FDuplex; }
  void SetDuplex(TfrxDuplexMode Value) { FDuplex = Value; }
  bool LargeDesignHeight() const { return FLargeDesignHeight; }
  void SetLargeDesignHeight(bool Value) { FLargeDesignHeight = Value; }
  const AnsiString& OutlineText() const { return FOutlineText; }
  void SetOutlineText(const AnsiString& Value) { FOutlineText = Value; }
  bool PrintIfEmpty() const { return FPrintIfEmpty; }
  void SetPrintIfEmpty(bool Value) { FPrintIfEmpty = Value; }
  bool PrintOnPreviousPage() const { return FPrintOnPreviousPage; }
  void SetPrintOnPreviousPage(bool Value) { FPrintOnPreviousPage = Value; }
  bool TitleBeforeHeader() const { return FTitleBeforeHeader; }
  void SetTitleBeforeHeader(bool Value) { FTitleBeforeHeader = Value; }
  TStrings* HGuides() const { return FHGuides.get(); }
  void SetHGuides(TStrings* Value) { FHGuides->Assign(Value); }
  TStrings* VGuides() const { return FVGuides.get(); }
  void SetVGuides(TStrings* Value) { FVGuides->Assign(Value); }
  void ClearGuides();
  TfrxSubreport* Subreport() const { return FSubReport; }
  void SetSubreport(TfrxSubreport* Value) { FSubReport = Value; }
  bool IsSubreportPage() const { return FSubReport != nullptr; }
  // The first child band of class BandClass; null when none.
  TfrxBand* FindBand(TClass BandClass);
  // Margins 10 mm, A4 portrait (the printer's paper once the printer layer supplies it).
  virtual void ApplyPrinterDefaults();
  void AlignChildren() override;
  // Draws the background (colour, picture, frame) inside the margins.
  void DrawBackground(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                      Extended OffsetY);
  AnsiString GetDescription() override;

  // Script procedure names.
  AnsiString OnAfterPrint, OnBeforePrint, OnManualBuild;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Width and Height from the paper size.
  void UpdateDimensions();
  // Sets the paper number alone, keeping the dimensions.
  void SetPaperSizeNumber(Integer Value) { FPaperSize = Value; }

private:
  // The paper of that number from the paper table (numbers from 256 on keep the size).
  void TakePaper(Integer Value);

protected:
private:
  TPrinterOrientation FOrientation = poPortrait;
  Extended FPaperWidth = 0, FPaperHeight = 0;
  Integer FPaperSize = 0;
  Extended FLeftMargin = 0, FRightMargin = 0, FTopMargin = 0, FBottomMargin = 0;
  bool FMirrorMargins = false;
  Integer FColumns = 0;
  Extended FColumnWidth = 0;
  std::unique_ptr<TStringList> FColumnPositions;
  Integer FBin = 7, FBinOtherPages = 7;
  std::unique_ptr<TfrxPictureView> FBackPicture;
  TfrxDataSetLink FDataSetLink{this};
  TfrxDuplexMode FDuplex = dmNone;
  bool FLargeDesignHeight = false;
  AnsiString FOutlineText;
  bool FPrintIfEmpty = true, FPrintOnPreviousPage = false, FTitleBeforeHeader = true;
  std::unique_ptr<TStringList> FHGuides, FVGuides;
  TfrxSubreport* FSubReport = nullptr;
};

// A page holding a dialog window; positions of its objects are relative to it alone. The
// window itself belongs to the window layer; the page keeps the settings it is shown with.
class TfrxDialogPage : public TfrxPage {
public:
  explicit TfrxDialogPage(TComponent* AOwner);
  bool IsDialogPage() const override { return true; }

  // The form's border style, position and window state as the window layer numbers them
  // (TFormBorderStyle, TPosition, TWindowState).
  Integer BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(Integer Value) { FBorderStyle = Value; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& Value) { FCaption = Value; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer Value) { FPosition = Value; }
  Integer WindowState() const { return FWindowState; }
  void SetWindowState(Integer Value) { FWindowState = Value; }
  // The modal result the dialog ended with (mrOk 1, mrCancel 2); scripts may set it.
  Integer ModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  AnsiString GetDescription() override;

  // Script procedure names.
  AnsiString OnActivate, OnClick, OnCloseQuery, OnDeactivate, OnHide, OnKeyDown, OnKeyPress,
      OnKeyUp, OnShow, OnResize;

private:
  Integer FBorderStyle = 2; // bsSizeable
  AnsiString FCaption;
  TColor FColor;
  Integer FPosition = 4;    // poScreenCenter
  Integer FWindowState = 0; // wsNormal
  Integer FModalResult = 0;
};

// A non-visual component of a dialog page, shown there as a 28 x 28 icon.
class TBitmap;

class TfrxDialogComponent : public TfrxReportComponent {
public:
  explicit TfrxDialogComponent(TComponent* AOwner);
  ~TfrxDialogComponent() override;

  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value) { FImageIndex = Value; }
  TComponent* Component() const { return FComponent; }
  // Takes ownership of the wrapped platform component.
  void SetComponent(TComponent* Value);
  // The designer's icon: a raised 28 x 28 button face with the object image and the name
  // under it. The size goes back to 28 x 28.
  void Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
            Extended OffsetY) override;

protected:
  // The designer position as "pLeft" and "pTop" while the component belongs to a report.
  void DefineProperties(TFiler* Filer) override;

private:
  Integer FImageIndex = -1;
  TComponent* FComponent = nullptr;
  std::unique_ptr<TBitmap> FBitmap; // the 22 x 22 icon; none for user datasets
};

// ---- Datasets ----

using TfrxCheckEOFEvent = TEvent<void(TObject* Sender, bool& Eof)>;
using TfrxUserDSGetValueEvent = TEvent<void(const Variant& VarName, Variant& Value)>;

// The data interface the engine and the text objects use. Every dataset is also in one
// program-wide list, through which report objects find datasets by their user name.
class TfrxDataSet : public TfrxDialogComponent {
public:
  explicit TfrxDataSet(TComponent* AOwner);
  ~TfrxDataSet() override;

  bool CloseDataSource() const { return FCloseDataSource; }
  void SetCloseDataSource(bool Value) { FCloseDataSource = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  bool OpenDataSource() const { return FOpenDataSource; }
  void SetOpenDataSource(bool Value) { FOpenDataSource = Value; }
  TfrxRangeBegin RangeBegin() const { return FRangeBegin; }
  void SetRangeBegin(TfrxRangeBegin Value) { FRangeBegin = Value; }
  TfrxRangeEnd RangeEnd() const { return FRangeEnd; }
  void SetRangeEnd(TfrxRangeEnd Value) { FRangeEnd = Value; }
  Integer RangeEndCount() const { return FRangeEndCount; }
  void SetRangeEndCount(Integer Value) { FRangeEndCount = Value; }
  const AnsiString& UserName() const { return FUserName; }
  Integer RecNo() const { return FRecNo; }
  // The report that uses the dataset in its current build (set by the report's dataset
  // list), for error reporting.
  TfrxReport* ReportRef() const { return FReportRef; }
  void SetReportRef(TfrxReport* Value) { FReportRef = Value; }

  TfrxCheckEOFEvent OnCheckEOF;
  TNotifyEvent OnFirst, OnNext, OnPrior, OnOpen, OnClose;

  // UserName follows the name while it was empty or equal to it.
  void SetName(const AnsiString& NewName) override;

  virtual AnsiString DisplayText(const AnsiString& Index);
  virtual Integer DisplayWidth(const AnsiString& Index);
  virtual TfrxFieldType FieldType(const AnsiString& Index);
  virtual Variant Value(const AnsiString& Index);
  // A blank name raises the "prInvProp" text.
  virtual void SetUserName(const AnsiString& Value);
  virtual void OpenForReport() {}
  virtual void CloseForReport() {}
  virtual void Open();
  virtual void Close();
  virtual void First();
  virtual void Next();
  virtual void Prior();
  virtual bool Eof();
  virtual Integer FieldsCount();
  virtual bool IsBlobField(const AnsiString& Field);
  virtual void AssignBlobTo(const AnsiString& Field, TObject* Target);
  virtual void GetFieldList(TStrings* List);
  // True when GetFieldList gives the name (ignoring case).
  bool HasField(const AnsiString& FieldName);

private:
  bool FCloseDataSource = false, FEnabled = true, FOpenDataSource = true;
  TfrxRangeBegin FRangeBegin = rbFirst;
  TfrxRangeEnd FRangeEnd = reLast;
  Integer FRangeEndCount = 0;
  AnsiString FUserName;
  Integer FRecNo = 0;
  TfrxReport* FReportRef = nullptr;
};

// A dataset whose records and values come from the host program's handlers.
class TfrxUserDataSet : public TfrxDataSet {
public:
  explicit TfrxUserDataSet(TComponent* AOwner);
  ~TfrxUserDataSet() override;

  TStrings* Fields() const { return FFields.get(); }
  void SetFields(TStrings* Value) { FFields->Assign(Value); }
  TfrxUserDSGetValueEvent OnGetValue;

  AnsiString DisplayText(const AnsiString& Index) override;
  Variant Value(const AnsiString& Index) override;
  Integer FieldsCount() override { return FFields->Count(); }
  void GetFieldList(TStrings* List) override { List->Assign(FFields.get()); }

private:
  std::unique_ptr<TStringList> FFields;
};

// The base of datasets over database tables.
class TfrxCustomDBDataSet : public TfrxDataSet {
public:
  explicit TfrxCustomDBDataSet(TComponent* AOwner);
  ~TfrxCustomDBDataSet() override;

  TStrings* FieldAliases() const { return FAliases.get(); }
  void SetFieldAliases(TStrings* Value) { FAliases->Assign(Value); }
  // The field of the first alias line naming Alias (ignoring case); Alias without one.
  AnsiString FieldNameByAlias(const AnsiString& Alias);
  Integer FieldsCount() override;
  TStringList* Fields() const { return FFields.get(); }

private:
  std::unique_ptr<TStringList> FAliases;
  std::unique_ptr<TStringList> FFields;
};

// The dataset called Name (ignoring case) among those not owned by another report; nil
// for an empty name, Current when nothing matches or there is no report.
TfrxDataSet* FindDataSet(TfrxDataSet* Current, const AnsiString& Name, TfrxReport* Report);
// Fills List with the user names of the enabled, named datasets (objects: the datasets).
void ListGlobalDataSets(TStrings* List);

// ---- The report document ----

enum TfrxPreviewButton {
  pbPrint,
  pbLoad,
  pbSave,
  pbExport,
  pbZoom,
  pbFind,
  pbOutline,
  pbPageSetup,
  pbTools,
  pbEdit,
  pbNavigator
};
using TfrxPreviewButtons = TSet<TfrxPreviewButton>;
enum TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth, zmManyPages };
enum TfrxPrintPages { ppAll, ppOdd, ppEven };
// What a progress report is about: a build, an export or printing.
enum TfrxProgressType { ptRunning, ptExporting, ptPrinting };

// Script procedure names (report object events are texts, not callables).
using TfrxNotifyEvent = AnsiString;
using TfrxBeforePrintEvent = TEvent<void(TfrxReportComponent* Sender)>;
using TfrxGetValueEvent = TEvent<void(const AnsiString& VarName, Variant& Value)>;
using TfrxClickObjectEvent =
    TEvent<void(TfrxView* Sender, TMouseButton Button, TShiftState Shift, bool& Modified)>;
using TfrxMouseOverObjectEvent = TEvent<void(TfrxView* Sender)>;
using TfrxManualBuildEvent = TEvent<void(TfrxPage* Page)>;
using TfrxProgressEvent =
    TEvent<void(TfrxReport* Sender, TfrxProgressType ProgressType, Integer Progress)>;
using TfrxUserFunctionEvent = TEvent<Variant(const AnsiString& MethodName, Variant& Params)>;

// How a report builds. Clear resets ConvertNulls and DoublePass; a load takes those two
// from the file and keeps the rest as they were.
class TfrxEngineOptions : public TPersistent {
public:
  TfrxEngineOptions() = default;
  // Copies the stored settings of another engine options object; anything else is ignored.
  void Assign(TPersistent* Source) override;
  void Clear();

  bool ConvertNulls() const { return FConvertNulls; }
  void SetConvertNulls(bool Value) { FConvertNulls = Value; }
  bool DoublePass() const { return FDoublePass; }
  void SetDoublePass(bool Value) { FDoublePass = Value; }
  // Megabytes of prepared pages kept in memory before finished pages go to the file cache.
  Integer MaxMemSize() const { return FMaxMemSize; }
  void SetMaxMemSize(Integer Value) { FMaxMemSize = Value; }
  bool PrintIfEmpty() const { return FPrintIfEmpty; }
  void SetPrintIfEmpty(bool Value) { FPrintIfEmpty = Value; }
  // No message box: errors stay in the report's Errors.
  bool SilentMode() const { return FSilentMode; }
  void SetSilentMode(bool Value) { FSilentMode = Value; }
  const AnsiString& TempDir() const { return FTempDir; }
  void SetTempDir(const AnsiString& Value) { FTempDir = Value; }
  bool UseFileCache() const { return FUseFileCache; }
  void SetUseFileCache(bool Value) { FUseFileCache = Value; }
  // Not stored: the thread a caller runs the report on; nil on the UI thread.
  TThread* ReportThread() const { return FReportThread; }
  void SetReportThread(TThread* Value) { FReportThread = Value; }
  // Not stored: a build saves the definition first and reads it back afterwards.
  bool ReloadAfterBuild() const { return FReloadAfterBuild; }
  void SetReloadAfterBuild(bool Value) { FReloadAfterBuild = Value; }

private:
  bool FConvertNulls = true;
  bool FDoublePass = false;
  Integer FMaxMemSize = 10;
  bool FPrintIfEmpty = true;
  bool FSilentMode = false;
  AnsiString FTempDir;
  bool FUseFileCache = false;
  TThread* FReportThread = nullptr;
  bool FReloadAfterBuild = true;
};

// How the preview window shows the report. Clear resets OutlineVisible and OutlineWidth; a
// load takes those two from the file and keeps the rest as they were.
class TfrxPreviewOptions : public TPersistent {
public:
  TfrxPreviewOptions() = default;
  void Assign(TPersistent* Source) override;
  void Clear();

  bool AllowEdit() const { return FAllowEdit; }
  void SetAllowEdit(bool Value) { FAllowEdit = Value; }
  TfrxPreviewButtons Buttons() const { return FButtons; }
  void SetButtons(TfrxPreviewButtons Value) { FButtons = Value; }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
  bool Maximized() const { return FMaximized; }
  void SetMaximized(bool Value) { FMaximized = Value; }
  bool MDIChild() const { return FMDIChild; }
  void SetMDIChild(bool Value) { FMDIChild = Value; }
  bool Modal() const { return FModal; }
  void SetModal(bool Value) { FModal = Value; }
  bool OutlineVisible() const { return FOutlineVisible; }
  void SetOutlineVisible(bool Value) { FOutlineVisible = Value; }
  Integer OutlineWidth() const { return FOutlineWidth; }
  void SetOutlineWidth(Integer Value) { FOutlineWidth = Value; }
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value) { FShowCaptions = Value; }
  Extended Zoom() const { return FZoom; }
  void SetZoom(Extended Value) { FZoom = Value; }
  TfrxZoomMode ZoomMode() const { return FZoomMode; }
  void SetZoomMode(TfrxZoomMode Value) { FZoomMode = Value; }

  // Every button.
  static TfrxPreviewButtons AllButtons();

private:
  bool FAllowEdit = true;
  TfrxPreviewButtons FButtons = AllButtons();
  bool FDoubleBuffered = true;
  bool FMaximized = true;
  bool FMDIChild = false;
  bool FModal = true;
  bool FOutlineVisible = false;
  Integer FOutlineWidth = 120;
  bool FShowCaptions = false;
  Extended FZoom = 1;
  TfrxZoomMode FZoomMode = zmDefault;
};

// How the report prints; Clear resets every setting.
class TfrxPrintOptions : public TPersistent {
public:
  TfrxPrintOptions();
  void Assign(TPersistent* Source) override;
  void Clear();

  Integer Copies() const { return FCopies; }
  void SetCopies(Integer Value) { FCopies = Value; }
  bool Collate() const { return FCollate; }
  void SetCollate(bool Value) { FCollate = Value; }
  // A page-range text ("1,3,5-12"); '' prints every page.
  const AnsiString& PageNumbers() const { return FPageNumbers; }
  void SetPageNumbers(const AnsiString& Value) { FPageNumbers = Value; }
  // The printer's name; the localized "prDefault" for the default printer.
  const AnsiString& Printer() const { return FPrinter; }
  void SetPrinter(const AnsiString& Value) { FPrinter = Value; }
  TfrxPrintPages PrintPages() const { return FPrintPages; }
  void SetPrintPages(TfrxPrintPages Value) { FPrintPages = Value; }
  bool ShowDialog() const { return FShowDialog; }
  void SetShowDialog(bool Value) { FShowDialog = Value; }

private:
  Integer FCopies = 1;
  bool FCollate = true;
  AnsiString FPageNumbers;
  AnsiString FPrinter;
  TfrxPrintPages FPrintPages = ppAll;
  bool FShowDialog = true;
};

// What the report says about itself; Clear resets every setting, the two dates to now.
// Password is plain in memory; the report file holds it scrambled (every byte 10 lower).
class TfrxReportOptions : public TPersistent {
public:
  TfrxReportOptions();
  ~TfrxReportOptions() override;
  void Assign(TPersistent* Source) override;
  void Clear();
  // True when the password is empty, else when the user types it exactly in the password
  // prompt (TfrxPasswordForm) and confirms.
  bool CheckPassword();

  const AnsiString& Author() const { return FAuthor; }
  void SetAuthor(const AnsiString& Value) { FAuthor = Value; }
  // Stored and read back; report files are always plain XML.
  bool Compressed() const { return FCompressed; }
  void SetCompressed(bool Value) { FCompressed = Value; }
  TDateTime CreateDate() const { return FCreateDate; }
  void SetCreateDate(TDateTime Value) { FCreateDate = Value; }
  TStrings* Description() const { return FDescription.get(); }
  void SetDescription(TStrings* Value) { FDescription->Assign(Value); }
  const AnsiString& InitString() const { return FInitString; }
  void SetInitString(const AnsiString& Value) { FInitString = Value; }
  TDateTime LastChange() const { return FLastChange; }
  void SetLastChange(TDateTime Value) { FLastChange = Value; }
  // The preview window's caption.
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  const AnsiString& Password() const { return FPassword; }
  void SetPassword(const AnsiString& Value) { FPassword = Value; }
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value);
  const AnsiString& VersionBuild() const { return FVersionBuild; }
  void SetVersionBuild(const AnsiString& Value) { FVersionBuild = Value; }
  const AnsiString& VersionMajor() const { return FVersionMajor; }
  void SetVersionMajor(const AnsiString& Value) { FVersionMajor = Value; }
  const AnsiString& VersionMinor() const { return FVersionMinor; }
  void SetVersionMinor(const AnsiString& Value) { FVersionMinor = Value; }
  const AnsiString& VersionRelease() const { return FVersionRelease; }
  void SetVersionRelease(const AnsiString& Value) { FVersionRelease = Value; }

private:
  AnsiString FAuthor;
  bool FCompressed = false;
  TDateTime FCreateDate = 0;
  std::unique_ptr<TStringList> FDescription;
  AnsiString FInitString;
  TDateTime FLastChange = 0;
  AnsiString FName;
  AnsiString FPassword;
  std::unique_ptr<TPicture> FPicture;
  AnsiString FVersionBuild, FVersionMajor, FVersionMinor, FVersionRelease;
};

// A password as the report file holds it: every byte 10 lower (Scramble) or higher
// (Unscramble), modulo 256.
AnsiString ScramblePassword(const AnsiString& Password);
AnsiString UnscramblePassword(const AnsiString& Password);

// An entry of the report's dataset list: a dataset the report may use, by pointer while it
// exists and by user name.
class TfrxDataSetItem : public TCollectionItem {
public:
  explicit TfrxDataSetItem(TCollection* Collection = nullptr);

  TfrxDataSet* DataSet() const { return FDataSet; }
  // Stores the dataset and its user name ('' for nil).
  void SetDataSet(TfrxDataSet* Value);
  // The dataset's user name while one is set, else the stored name.
  AnsiString DataSetName() const;
  // Stores the name and resolves the dataset of that user name as the report's DataSetName
  // does.
  void SetDataSetName(const AnsiString& Value);

private:
  TfrxDataSet* FDataSet = nullptr;
  AnsiString FDataSetName;
};

// The datasets a report may use ("Datasets" in report files). Entries go when their
// dataset is freed.
class TfrxReportDataSets : public TCollection {
public:
  explicit TfrxReportDataSets(TfrxReport* AReport);

  // Appends an entry for DataSet.
  TfrxDataSetItem* Add(TfrxDataSet* DataSet);
  TfrxDataSetItem* Items(Integer Index) const;
  // The entry of DataSet; nil when none.
  TfrxDataSetItem* Find(TfrxDataSet* DataSet) const;
  // The first entry whose dataset's user name is Name (ignoring case); entries without a
  // dataset are skipped.
  TfrxDataSetItem* FindByName(const AnsiString& Name) const;
  // Links every listed dataset to the report and calls its OpenForReport.
  void InitializeAll();
  // Calls CloseForReport of every listed dataset.
  void FinalizeAll();
  TfrxReport* Report() const { return FReport; }

private:
  TfrxReport* FReport;
};

// Expressions compiled once per distinct text (the exact text: texts that differ only in
// the case of a literal are different expressions) as small PascalScript functions.
class TfrxExpressionCache : public TObject {
public:
  TfrxExpressionCache();
  ~TfrxExpressionCache() override;

  // Forgets every compiled expression.
  void Clear();
  // The value of Expression run with Script as its context. A text that does not compile
  // gives Null and its error text in ErrorText ('' otherwise); nothing of it is kept.
  Variant Calc(const AnsiString& Expression, AnsiString& ErrorText, TfsScript* Script);
  Integer Count() const;

private:
  struct TEntries;
  std::unique_ptr<TfsScript> FScript;
  std::unique_ptr<TEntries> FEntries;
  // Numbers the functions; it never goes down, so a failed compile cannot leave a name
  // the next compile would declare again.
  Integer FNextIndex = 0;
};

class TfrxCustomEngine;
class TfrxCustomPreview;
class TfrxCustomDesigner;
class TfrxPreviewPages;
class TfrxProgress;

// The report document: the root of the tree, the owner of every object in it, the keeper
// of the problems met while loading and building (Errors: sorted, duplicates dropped), its
// settings, datasets, variables, styles and script, the evaluator of every expression of
// its objects, and the entry points that build, show and design it. Its children are its
// pages.
class TfrxReport : public TfrxComponent {
public:
  explicit TfrxReport(TComponent* AOwner);
  ~TfrxReport() override;

  // ---- Pages ----
  TfrxPage* Pages(Integer Index) const;
  Integer PageCount() const;

  // ---- Published settings ----
  // The master dataset: the whole report is built once per record.
  TfrxDataSet* DataSet() const { return FDataSetLink.DataSet(); }
  void SetDataSet(TfrxDataSet* Value);
  AnsiString DataSetName() const { return FDataSetLink.DataSetName(); }
  void SetDataSetName(const AnsiString& Value);
  bool DotMatrixReport() const { return FDotMatrixReport; }
  void SetDotMatrixReport(bool Value) { FDotMatrixReport = Value; }
  TfrxEngineOptions* EngineOptions() const { return FEngineOptions.get(); }
  void SetEngineOptions(TfrxEngineOptions* Value) { FEngineOptions->Assign(Value); }
  const AnsiString& IniFile() const { return FIniFile; }
  void SetIniFile(const AnsiString& Value) { FIniFile = Value; }
  bool OldStyleProgress() const { return FOldStyleProgress; }
  void SetOldStyleProgress(bool Value) { FOldStyleProgress = Value; }
  TfrxCustomPreview* Preview() const { return FPreview; }
  // Nil unlinks the linked preview; a control is linked to the report and its prepared
  // pages and re-reads them.
  void SetPreview(TfrxCustomPreview* Value);
  TfrxPreviewOptions* PreviewOptions() const { return FPreviewOptions.get(); }
  void SetPreviewOptions(TfrxPreviewOptions* Value) { FPreviewOptions->Assign(Value); }
  TfrxPrintOptions* PrintOptions() const { return FPrintOptions.get(); }
  void SetPrintOptions(TfrxPrintOptions* Value) { FPrintOptions->Assign(Value); }
  TfrxReportOptions* ReportOptions() const { return FReportOptions.get(); }
  void SetReportOptions(TfrxReportOptions* Value) { FReportOptions->Assign(Value); }
  const AnsiString& ScriptLanguage() const { return FScriptLanguage; }
  void SetScriptLanguage(const AnsiString& Value) { FScriptLanguage = Value; }
  TStrings* ScriptText() const { return FScriptText.get(); }
  void SetScriptText(TStrings* Value) { FScriptText->Assign(Value); }
  bool ShowProgress() const { return FShowProgress; }
  void SetShowProgress(bool Value) { FShowProgress = Value; }

  // Host events.
  TfrxBeforePrintEvent OnAfterPrint, OnBeforePrint;
  TNotifyEvent OnBeginDoc;
  TfrxClickObjectEvent OnClickObject;
  TfrxGetValueEvent OnGetValue;
  TfrxManualBuildEvent OnManualBuild;
  TfrxMouseOverObjectEvent OnMouseOverObject;
  TNotifyEvent OnPrintReport;
  TfrxProgressEvent OnProgressStart, OnProgress, OnProgressStop;
  TfrxUserFunctionEvent OnUserFunction;
  // Script procedures run at the start and the end of a build.
  TfrxNotifyEvent OnStartReport, OnStopReport;

  // ---- What the report keeps ----
  TStringList* Errors() const { return FErrors.get(); }
  TfrxReportDataSets* DataSets() const { return FDataSets.get(); }
  // The same list under the name the designer uses.
  TfrxReportDataSets* UsedDataSets() const { return FDataSets.get(); }
  // The datasets the designer offers (not stored); empty offers every dataset.
  TfrxReportDataSets* OfferedDataSets() const { return FOfferedDataSets.get(); }
  TfrxVariables* Variables() const { return FVariables.get(); }
  // The report's styles, which its text objects name in their Style.
  TfrxStyles* Styles() const { return FStyles.get(); }
  // Null clears the report's styles; otherwise copies Value's items and restyles every
  // text object.
  void ApplyStyles(TfrxStyles* Value);
  // "Date", "Time", "Page", "Page#", "TotalPages", "TotalPages#", "Line", "Line#".
  TStrings* SystemVariables() const { return FSystemVariables.get(); }
  TfrxCustomEngine* Engine() const { return FEngine.get(); }
  TfrxPreviewPages* PreviewPages() const { return FPreviewPages.get(); }
  TfsScript* Script() const { return FScript.get(); }
  TfrxExpressionCache* ExpressionCache() const { return FExpressionCache.get(); }
  // The script variable "Value" of the last script preparation; nil before one.
  TfsCustomVariable* ValueVariable() const { return FValueVariable; }
  // The text layout the report's objects use.
  TfrxDrawText* DrawText() const { return FDrawText.get(); }
  TTimer* BuildTimer() const { return FBuildTimer.get(); }
  // The name of the object being processed; it prefixes expression errors.
  const AnsiString& CurrentObjectName() const { return FCurrentObjectName; }
  void SetCurrentObjectName(const AnsiString& Value) { FCurrentObjectName = Value; }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  bool Terminated() const { return FTerminated; }
  // Stores the flag; true also stops the running report script.
  void SetTerminated(bool Value);
  // The file of the last LoadFromFile that found one.
  const AnsiString& FileName() const { return FFileName; }
  // True while a build reads the saved definition back.
  bool Reloading() const { return FReloading; }
  TfrxCustomDesigner* DesignerForm() const { return FDesignerForm; }
  TForm* PreviewForm() const { return FPreviewForm; }
  TfrxProgress* ProgressForm() const { return FProgressForm; }
  // The serializer reading the report right now (collections read through it); null
  // outside a load.
  TfrxXMLSerializer* XMLSerializer() const { return FXMLSerializer; }
  void SetXMLSerializer(TfrxXMLSerializer* Value) { FXMLSerializer = Value; }
  // The component the report owns under that name (ignoring case); null when none. The
  // names are indexed, so a lookup costs the same however many objects the report holds.
  TComponent* FindOwnedComponent(const AnsiString& AName) const;

  // ---- Document ----
  // Frees the pages and puts every setting back to its default (IniFile stays).
  void Clear() override;
  // Reads a definition. EngineOptions and PreviewOptions keep what the file does not
  // decide (see TfrxEngineOptions), IniFile, Preview, OldStyleProgress and ShowProgress
  // stay; the password is asked for unless the build is reloading. A refused or cancelled
  // password leaves the report cleared and raises EAbort, so callers stop silently. Errors
  // are shown in one message box unless SilentMode.
  void LoadFromStream(TStream* Stream) override;
  // Writes the definition with the password scrambled; the plain password and the
  // preview link are back afterwards, also after a failed write.
  void SaveToStream(TStream* Stream, bool SaveChildren = true, bool SaveDefaults = false) override;
  // Clears the report and reads FileName when it exists (or, with RaiseIfMissing, tries
  // to and raises); the result tells whether the file existed.
  bool LoadFromFile(const AnsiString& AFileName, bool RaiseIfMissing = false);
  void SaveToFile(const AnsiString& AFileName);
  // A new settings store for IniFile, owned by the caller: the registry-backed store when
  // IniFile begins with "\Software\", else an ini file at that path.
  TCustomIniFile* OpenIniFile();
  // Makes PrintOptions.Printer the current printer when the printer list holds it.
  void SelectPrinter();
  AnsiString GetDescription() override;

  // ---- Datasets ----
  // The dataset of the list entry with that user name; nil when none.
  TfrxDataSet* GetDataset(const AnsiString& Alias) const;
  // '' for nil; the user name of a listed dataset; the localized "clDSNotIncl" otherwise.
  AnsiString DataSetDisplayName(TfrxDataSet* DataSet) const;
  // Splits 'Alias."Field"' at the first '.' followed by '"': the listed dataset of the
  // alias (nil when none) and the field name without its quotes. Anything else gives nil
  // and ''.
  void SplitDataSetField(const AnsiString& Text, TfrxDataSet*& DataSet, AnsiString& Field) const;
  // Clears List and adds (user name, dataset) for every entry with a dataset, skipping
  // user datasets when asked.
  void ListDataSets(TStrings* List, bool SkipUserDataSets = false) const;

  // ---- Expressions and the report script ----
  // The value of a report expression (the text of "[...]"): a name the report resolves
  // (LookupReportValue), else the expression compiled and run in Script's context (the
  // report's script when nil). A compile error goes to Errors, prefixed by the current
  // object's name, and raises.
  virtual Variant Calc(const AnsiString& Expr, TfsScript* AScript = nullptr);
  // Resolves Name as a dataset field ('Alias."Field"'), a system value, a value the host
  // supplies (OnGetValue), a report variable (a text value is itself an expression) or a
  // variable of the report script, in that order.
  bool LookupReportValue(const AnsiString& Name, Variant& Value);
  // Prepares the report script for a build: registers the report's objects, Report,
  // Engine, Outline, Value and the functions Get, Set, IIF, SUM, AVG, MIN, MAX and COUNT,
  // then compiles ScriptText in ScriptLanguage. False on a compile error, with a
  // "clScrError" line in Errors.
  bool BindReportScript();
  // Calls the script procedure Handler with Sender, when Handler is not empty and the
  // engine runs (or Force).
  void RunScriptEvent(TObject* Sender, const AnsiString& Handler, bool Force = false);
  // The same with an argument array whose elements the procedure may change.
  void CallScriptEvent(const AnsiString& Handler, Variant& Params, bool Force = false);
  // OnBeforePrint / OnAfterPrint of the report, then the object's script handler.
  void DoBeforePrint(TfrxReportComponent* Obj);
  void DoAfterPrint(TfrxReportComponent* Obj);
  // The view's OnPreviewClick handler, then OnClickObject; Modified comes back from both.
  void DoPreviewClick(TfrxView* View, TMouseButton Button, TShiftState Shift, bool& Modified);
  // A global script function answered by OnUserFunction; it survives script preparation.
  void RegisterUserFunction(const AnsiString& Signature, const AnsiString& Category = "",
                            const AnsiString& Description = "");
  // Sets the script variable "Value" (text objects do before their own conditions).
  void SetScriptValue(const Variant& Value);

  // ---- Building, showing, designing ----
  // Builds the prepared pages (ClearLastReport empties them first); true when the build
  // ended without errors. Errors are shown in one message box unless SilentMode.
  bool GenerateReport(bool ClearLastReport = true);
  // Builds and shows: the build starts on BuildTimer's tick while the preview shows
  // (with OldStyleProgress, first, and a failed build shows no preview).
  void ShowReport(bool ClearLastReport = true);
  // Shows the prepared pages in the linked preview, or in a preview window of its own.
  void OpenPreview();
  // Opens the designer window (ReportDesignerClass) and returns when it is closed; nothing
  // without a designer class or while a designer is open.
  void OpenDesigner();
  // The same on a prepared page; true when the designer marked it modified.
  bool OpenDesignerOnPreparedPage();
  // Progress of a build (ptRunning), an export or printing.
  virtual void BeginProgress(TfrxProgressType ProgressType);
  virtual void StepProgress(TfrxProgressType ProgressType, Integer Progress);
  virtual void EndProgress(TfrxProgressType ProgressType);
  // A status text of the printing walk.
  void SetProgressMessage(const AnsiString& Text);

protected:
  // Keeps the name index, drops a freed dataset's list entries and a freed preview; the
  // report passes nothing on to the components it owns: those that refer to another
  // component hear of its removal through free notification.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Checks and records a new name of an owned component through the name index.
  void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                      const AnsiString& NewName) override;
  // "Datasets", "Variables" and "Style": the three collections of report files.
  void DefineProperties(TFiler* Filer) override;

private:
  struct TNameIndex;
  class TScriptBinding;

  void ReadDataSets(TReader* Reader);
  void WriteDataSets(TWriter* Writer);
  void ReadVariables(TReader* Reader);
  void WriteVariables(TWriter* Writer);
  void ReadStyle(TReader* Reader);
  void WriteStyle(TWriter* Writer);
  void ResetSystemVariables();
  void ShowErrors();
  bool CheckDataSets();
  void BuildTimerTick(TObject* Sender);
  bool RunDesigner(bool PreparedPage);
  // The variables being evaluated as expressions (a variable that refers to itself).
  bool EnterVariable(const AnsiString& Name);
  void LeaveVariable(const AnsiString& Name);

  std::unique_ptr<TNameIndex> FNameIndex;
  // Set once an object the report does not own has joined its tree: name lookups in the
  // tree then fall back to walking it.
  bool FForeignObjects = false;

  std::unique_ptr<TfrxReportDataSets> FDataSets;
  std::unique_ptr<TfrxReportDataSets> FOfferedDataSets;
  std::unique_ptr<TfrxVariables> FVariables;
  std::unique_ptr<TfsScript> FScript;
  std::unique_ptr<TTimer> FBuildTimer;
  std::unique_ptr<TfrxEngineOptions> FEngineOptions;
  std::unique_ptr<TfrxPreviewOptions> FPreviewOptions;
  std::unique_ptr<TfrxPrintOptions> FPrintOptions;
  std::unique_ptr<TfrxReportOptions> FReportOptions;
  AnsiString FIniFile;
  std::unique_ptr<TStringList> FScriptText;
  std::unique_ptr<TfrxExpressionCache> FExpressionCache;
  std::unique_ptr<TStringList> FErrors;
  std::unique_ptr<TfrxStyles> FStyles;
  std::unique_ptr<TStringList> FSystemVariables;
  std::unique_ptr<TfrxCustomEngine> FEngine;
  std::unique_ptr<TfrxPreviewPages> FPreviewPages;
  std::unique_ptr<TfrxDrawText> FDrawText;
  std::unique_ptr<TScriptBinding> FBinding;

  TfrxDataSetLink FDataSetLink{this};
  bool FDotMatrixReport = false;
  bool FOldStyleProgress = false;
  TfrxCustomPreview* FPreview = nullptr;
  AnsiString FScriptLanguage;
  bool FShowProgress = true;

  AnsiString FCurrentObjectName;
  TfsCustomVariable* FValueVariable = nullptr;
  bool FModified = false;
  bool FTerminated = false;
  AnsiString FFileName;
  bool FReloading = false;
  TfrxCustomDesigner* FDesignerForm = nullptr;
  TForm* FPreviewForm = nullptr;
  TfrxProgress* FProgressForm = nullptr;
  TfrxXMLSerializer* FXMLSerializer = nullptr;
  std::vector<AnsiString> FVariablesInUse;

  friend class TfrxComponent;
};

// ---- Seams to the libraries above the engine ----

// The preview window of the preview library (TfrxPreviewForm): what the report asks of it.
class TfrxPreviewWindow {
public:
  virtual ~TfrxPreviewWindow() = default;
  // The preview control the window shows pages in.
  virtual TfrxCustomPreview* PreviewControl() = 0;
  // Applies the report's PreviewOptions to the window.
  virtual void ApplyPreviewOptions() = 0;
  // A text in the window's status bar.
  virtual void ShowStatusMessage(const AnsiString& Text) = 0;
};
// Makes a preview window (a form that is also a TfrxPreviewWindow) owned by AOwner; the
// preview library installs it. Without one, OpenPreview without a linked preview shows
// nothing.
using TfrxPreviewFormFactory = TForm* (*)(TComponent* AOwner);
void SetPreviewFormFactory(TfrxPreviewFormFactory Factory);
// The factory installed now (null when none is).
TfrxPreviewFormFactory PreviewFormFactory();

// ---- Abstract bases of the report's partners ----

// An export filter. Creating one enters it in the export filter registry (frxDsgnIntf.h),
// destroying it takes it out. The export walk calls, in this order: ShowOptionsDialog
// (when ShowDialog), BeginExport, then per page BeginPage, WriteObject for each object,
// EndPage, and finally EndExport.
class TfrxCustomExportFilter : public TComponent {
public:
  explicit TfrxCustomExportFilter(TComponent* AOwner);
  ~TfrxCustomExportFilter() override;

  virtual AnsiString FilterCaption() { return AnsiString(); }
  // The modal result of the options dialog; 1 (OK) without one.
  virtual Integer ShowOptionsDialog() { return 1; }
  // False cancels the export.
  virtual bool BeginExport() { return true; }
  virtual void WriteObject(TfrxComponent* Obj);
  virtual void EndExport() {}
  virtual void EndPage(TfrxComponent* Page, Integer Index) {}
  virtual void BeginPage(TfrxComponent* Page, Integer Index) {}

  bool ShowDialog() const { return FShowDialog; }
  void SetShowDialog(bool Value) { FShowDialog = Value; }
  TfrxReport* Report() const { return FReport; }
  void SetReport(TfrxReport* Value) { FReport = Value; }
  bool CurPage() const { return FCurPage; }
  void SetCurPage(bool Value) { FCurPage = Value; }
  const AnsiString& PageNumbers() const { return FPageNumbers; }
  void SetPageNumbers(const AnsiString& Value) { FPageNumbers = Value; }

protected:
  // An internal copy of a filter is not entered in the registry.
  struct TNoRegistration {};
  TfrxCustomExportFilter(TComponent* AOwner, TNoRegistration);

private:
  bool FShowDialog = true;
  TfrxReport* FReport = nullptr;
  bool FCurPage = false;
  AnsiString FPageNumbers;
  bool FRegistered = false;
};

class TfrxCustomDesigner;

// A report wizard; its owner is the designer window.
class TfrxCustomWizard : public TComponent {
public:
  explicit TfrxCustomWizard(TComponent* AOwner);

  virtual AnsiString WizardCaption() { return AnsiString(); }
  // True when the wizard built or changed the report.
  virtual bool RunWizard();

  TfrxCustomDesigner* Designer() const { return FDesigner; }
  TfrxReport* Report() const { return FReport; }

private:
  TfrxCustomDesigner* FDesigner = nullptr;
  TfrxReport* FReport = nullptr;
};

// The engine's contract; the report builds through it. The base keeps the position and
// page values the report, the prepared pages and scripts read while a build runs.
class TfrxCustomEngine : public TPersistent {
public:
  explicit TfrxCustomEngine(TfrxReport* AReport);
  ~TfrxCustomEngine() override;

  virtual void EndPage();
  virtual void NewColumn();
  virtual void NewPage();
  virtual void ShowBand(TfrxComponent* Band);
  virtual void ShowBandByClass(TClass BandClass);
  virtual Extended FootersHeight();
  virtual Extended FreeSpace();
  virtual Variant AggregateValue(const AnsiString& FuncName, const AnsiString& Expression,
                                 Variant& Value, Integer Flags, TfrxComponent* Band);
  virtual bool BuildReport();

  // Stops the build: the report's Terminated becomes true.
  void StopReport();
  TfrxReport* Report() const { return FReport; }
  TList* NotifyList() const { return FNotifyList.get(); }
  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  void SetPreviewPages(TfrxCustomPreviewPages* Value) { FPreviewPages = Value; }

  Integer CurColumn() const { return FCurColumn; }
  void SetCurColumn(Integer Value) { FCurColumn = Value; }
  Integer CurVColumn() const { return FCurVColumn; }
  void SetCurVColumn(Integer Value) { FCurVColumn = Value; }
  // The output position on the current page.
  Extended CurX() const { return FCurX; }
  void SetCurX(Extended Value) { FCurX = Value; }
  Extended CurY() const { return FCurY; }
  void SetCurY(Extended Value) { FCurY = Value; }
  // The report's EngineOptions.DoublePass.
  bool DoublePass() const;
  bool FinalPass() const { return FFinalPass; }
  void SetFinalPass(bool Value) { FFinalPass = Value; }
  // The printable area of the current page.
  Extended PageHeight() const { return FPageHeight; }
  void SetPageHeight(Extended Value) { FPageHeight = Value; }
  Extended PageWidth() const { return FPageWidth; }
  void SetPageWidth(Extended Value) { FPageWidth = Value; }
  // When the build started.
  TDateTime StartDate() const { return FStartDate; }
  void SetStartDate(TDateTime Value) { FStartDate = Value; }
  TDateTime StartTime() const { return FStartTime; }
  void SetStartTime(TDateTime Value) { FStartTime = Value; }
  Integer TotalPages() const { return FTotalPages; }
  void SetTotalPages(Integer Value) { FTotalPages = Value; }
  // True while a build runs.
  bool Running() const { return FRunning; }
  void SetRunning(bool Value) { FRunning = Value; }
  // The data row being printed: within its group ("Line") and within the run of its band
  // ("Line#").
  Integer CurLine() const { return FCurLine; }
  void SetCurLine(Integer Value) { FCurLine = Value; }
  Integer CurLineThrough() const { return FCurLineThrough; }
  void SetCurLineThrough(Integer Value) { FCurLineThrough = Value; }

private:
  TfrxReport* FReport;
  std::unique_ptr<TList> FNotifyList;
  TfrxCustomPreviewPages* FPreviewPages = nullptr;
  Integer FCurColumn = 0, FCurVColumn = 0;
  Extended FCurX = 0, FCurY = 0;
  bool FFinalPass = false;
  Extended FPageHeight = 0, FPageWidth = 0;
  TDateTime FStartDate = 0, FStartTime = 0;
  Integer FTotalPages = 0;
  bool FRunning = false;
  Integer FCurLine = 0, FCurLineThrough = 0;
};

// The outline (table of contents) of prepared pages.
class TfrxCustomOutline : public TPersistent {
public:
  explicit TfrxCustomOutline(TfrxCustomPreviewPages* APreviewPages) : FPreviewPages(APreviewPages)
  {
  }

  virtual Integer Count();
  virtual void AddItem(const AnsiString& Text, Integer Top);
  virtual void LevelDown(Integer Index);
  virtual void LevelRoot();
  virtual void LevelUp();
  virtual void GetItem(Integer Index, AnsiString& Text, Integer& Page, Integer& Top);
  virtual void ShiftItems(TObject* From, Integer NewTop);
  virtual TObject* LastItem();

  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  TfrxCustomEngine* Engine() const;

private:
  TfrxCustomPreviewPages* FPreviewPages;
};

// The prepared pages of a report.
class TfrxCustomPreviewPages : public TObject {
public:
  explicit TfrxCustomPreviewPages(TfrxReport* AReport) : FReport(AReport) {}
  ~TfrxCustomPreviewPages() override;

  virtual Integer PageCount();
  virtual TfrxComponent* BuildPage(Integer Index);
  virtual TfrxPoint PageSize(Integer Index);
  virtual void ClearPages();
  virtual void Initialize();
  virtual void AddObject(TfrxComponent* Obj);
  virtual void AddPage(TfrxComponent* Page);
  virtual void AddSourcePage(TfrxComponent* Page);
  virtual void AddToSourcePage(TfrxComponent* Obj);
  virtual void BeginPass();
  virtual void ClearFirstPassPages();
  virtual void CutObjects(Integer APosition);
  virtual void Finish();
  virtual void PasteObjects(Extended X, Extended Y);
  virtual bool BandExists(TfrxComponent* Band);
  virtual Integer GetCurPosition();
  virtual Extended GetLastY();
  virtual void AddEmptyPage(Integer Index);
  virtual void DeletePage(Integer Index);
  virtual void ReplacePage(TfrxComponent* Page, Integer Index);
  virtual void DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY,
                        Extended OffsetX, Extended OffsetY);
  virtual TfrxComponent* ObjectHitTest(Integer Index, Integer X, Integer Y);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream);
  virtual bool LoadFromFile(const AnsiString& FileName);
  virtual void SaveToFile(const AnsiString& FileName);
  virtual bool PrintPages();
  virtual bool ExportPages(TfrxCustomExportFilter* Filter);

  TfrxReport* Report() const { return FReport; }
  TfrxCustomOutline* Outline() const { return FOutline.get(); }
  void SetOutline(TfrxCustomOutline* Value) { FOutline.reset(Value); }
  TfrxCustomEngine* Engine() const { return FEngine; }
  void SetEngine(TfrxCustomEngine* Value) { FEngine = Value; }
  // The 0-based index of the page being filled; -1 while there is none.
  Integer CurPage() const { return FCurPage; }
  void SetCurPage(Integer Value) { FCurPage = Value; }
  // The 1-based number of the page the preview shows.
  Integer CurPreviewPage() const { return FCurPreviewPage; }
  void SetCurPreviewPage(Integer Value) { FCurPreviewPage = Value; }
  Integer FirstPage() const { return FFirstPage; }
  void SetFirstPage(Integer Value) { FFirstPage = Value; }
  // True: AddPage always appends; false (what every AddPage leaves): it moves onto a
  // following prepared page that exists.
  bool AddPageAction() const { return FAddPageAction; }
  void SetAddPageAction(bool Value) { FAddPageAction = Value; }

private:
  TfrxReport* FReport;
  std::unique_ptr<TfrxCustomOutline> FOutline;
  TfrxCustomEngine* FEngine = nullptr;
  Integer FCurPage = -1;
  Integer FCurPreviewPage = 1;
  Integer FFirstPage = 0;
  bool FAddPageAction = false;
};

// The preview control's contract.
class TfrxCustomPreview : public TCustomControl {
public:
  explicit TfrxCustomPreview(TComponent* AOwner) : TCustomControl(AOwner) {}

  virtual void ResetFromReport();
  virtual void Freeze();
  virtual void Thaw();
  virtual void BeginProgress(TfrxReport* Sender, Integer Kind, Integer Value);
  virtual void StepProgress(TfrxReport* Sender, Integer Kind, Integer Value);
  virtual void EndProgress(TfrxReport* Sender, Integer Kind, Integer Value);
  // What the print, export and hyperlink walks ask of the preview: show a page (1-based),
  // scroll to a position (0-based page, top in report pixels), hide the progress panel.
  virtual void SelectPage(Integer PageNo) {}
  virtual void ScrollToPagePosition(Integer PageN, Integer Top) {}
  virtual void HideProgressPanel() {}

  TfrxReport* Report() const { return FReport; }
  void SetReport(TfrxReport* Value) { FReport = Value; }
  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  void SetPreviewPages(TfrxCustomPreviewPages* Value) { FPreviewPages = Value; }

private:
  TfrxReport* FReport = nullptr;
  TfrxCustomPreviewPages* FPreviewPages = nullptr;
};

// The designer window's contract.
class TfrxCustomDesigner : public TForm {
public:
  TfrxCustomDesigner(TComponent* AOwner, bool APreviewDesigner, TfrxReport* AReport);
  ~TfrxCustomDesigner() override;

  // Stores the flag; true also marks the report modified.
  virtual void MarkModified(bool Value);
  virtual void ShowPage(TfrxPage* Page) { FPage = Page; }
  virtual TStrings* ScriptLines();
  // The edited expression after OK, '' after Cancel.
  virtual AnsiString EditExpression(const AnsiString& Expr);
  virtual void ClearSelection();
  virtual void ReloadPageTabs(Integer Index);
  virtual void ReloadReport();
  virtual void UpdateDataTree();
  virtual void RepaintWorkspace();

  TfrxReport* Report() const { return FReport; }
  bool IsPreviewDesigner() const { return FIsPreviewDesigner; }
  TList* SelectedObjects() const { return FSelectedObjects.get(); }
  TList* Objects() const { return FObjects.get(); }
  TfrxPage* Page() const { return FPage; }
  bool Closed() const { return FClosed; }
  void SetClosed(bool Value) { FClosed = Value; }
  bool Modified() const { return FModified; }
  // The font of the text editors of the memo editors, and whether they use the edited
  // object's own font instead.
  AnsiString MemoFontName = "Arial";
  Integer MemoFontSize = 10;
  bool UseObjectFont = true;

private:
  TfrxReport* FReport;
  bool FIsPreviewDesigner;
  std::unique_ptr<TList> FSelectedObjects;
  std::unique_ptr<TList> FObjects;
  TfrxPage* FPage = nullptr;
  bool FClosed = false;
  bool FModified = false;
};

using TfrxDesignerClass = TClass;

// The designer window class the report opens; null while no designer is linked in.
extern TfrxDesignerClass ReportDesignerClass;
// Creates a designer window of ReportDesignerClass; null when none is set.
TfrxCustomDesigner* CreateReportDesigner(TComponent* AOwner, bool APreviewDesigner,
                                         TfrxReport* AReport);
using TfrxDesignerFactory = TfrxCustomDesigner* (*)(TComponent* AOwner, bool APreviewDesigner,
                                                    TfrxReport* AReport);
// The constructor behind ReportDesignerClass (class records construct with an owner only).
void SetReportDesignerFactory(TfrxDesignerFactory Factory);

// Registers the classes of this unit (class records, published properties, streaming).
void RegisterReportClasses();
