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

#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxUtils.h"

class TCanvas;
class TFont;
class TfrxPage;
class TfrxReport;
class TfrxXMLSerializer;
class TfrxCustomPreviewPages;

enum TfrxRestriction { rfDontModify, rfDontSize, rfDontMove, rfDontDelete };
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
  static TfrxComponent* CreateForDesign(TClass Cls, TComponent* AOwner);

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
  // The object's alignment inside its parent: baNone here; visual objects override.
  virtual TfrxAlign Align() const { return baNone; }
  // True for bands, which aligning and difference texts treat apart.
  virtual bool IsBand() const { return false; }
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

private:
  Extended FOriginalRect[4] = {0, 0, 0, 0};
};

// A page of a report. The page classes with paper, bands and dialogs derive from it.
class TfrxPage : public TfrxComponent {
public:
  explicit TfrxPage(TComponent* AOwner);
};

// A page holding a dialog window; positions of its objects are relative to it alone.
class TfrxDialogPage : public TfrxPage {
public:
  explicit TfrxDialogPage(TComponent* AOwner);
};

// The report document: the root of the tree, the owner of every object in it, and the
// keeper of the problems met while loading (Errors: sorted, duplicates dropped).
class TfrxReport : public TfrxComponent {
public:
  explicit TfrxReport(TComponent* AOwner);
  ~TfrxReport() override;

  TStringList* Errors() const { return FErrors.get(); }
  // The serializer reading the report right now (collections read through it); null
  // outside a load.
  TfrxXMLSerializer* XMLSerializer() const { return FXMLSerializer; }
  void SetXMLSerializer(TfrxXMLSerializer* Value) { FXMLSerializer = Value; }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  bool Terminated() const { return FTerminated; }
  void SetTerminated(bool Value) { FTerminated = Value; }

private:
  std::unique_ptr<TStringList> FErrors;
  TfrxXMLSerializer* FXMLSerializer = nullptr;
  bool FModified = false;
  bool FTerminated = false;
};

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

// The engine's contract; the report builds through it.
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

private:
  TfrxReport* FReport;
  std::unique_ptr<TList> FNotifyList;
};

// The outline (table of contents) of prepared pages.
class TfrxCustomOutline : public TPersistent {
public:
  explicit TfrxCustomOutline(TfrxCustomPreviewPages* APreviewPages) : FPreviewPages(APreviewPages) {}

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
  Integer CurPage() const { return FCurPage; }
  void SetCurPage(Integer Value) { FCurPage = Value; }
  Integer FirstPage() const { return FFirstPage; }
  void SetFirstPage(Integer Value) { FFirstPage = Value; }
  // True: a new page is added; false: the following prepared pages are written over.
  bool AddPageAction() const { return FAddPageAction; }
  void SetAddPageAction(bool Value) { FAddPageAction = Value; }

private:
  TfrxReport* FReport;
  std::unique_ptr<TfrxCustomOutline> FOutline;
  TfrxCustomEngine* FEngine = nullptr;
  Integer FCurPage = 0;
  Integer FFirstPage = 0;
  bool FAddPageAction = true;
};

// The preview control's contract.
class TfrxCustomPreview : public TComponent {
public:
  explicit TfrxCustomPreview(TComponent* AOwner) : TComponent(AOwner) {}

  virtual void ResetFromReport();
  virtual void Freeze();
  virtual void Thaw();
  virtual void BeginProgress(TfrxReport* Sender, Integer Kind, Integer Value);
  virtual void StepProgress(TfrxReport* Sender, Integer Kind, Integer Value);
  virtual void EndProgress(TfrxReport* Sender, Integer Kind, Integer Value);

  TfrxReport* Report() const { return FReport; }
  void SetReport(TfrxReport* Value) { FReport = Value; }
  TfrxCustomPreviewPages* PreviewPages() const { return FPreviewPages; }
  void SetPreviewPages(TfrxCustomPreviewPages* Value) { FPreviewPages = Value; }

private:
  TfrxReport* FReport = nullptr;
  TfrxCustomPreviewPages* FPreviewPages = nullptr;
};

// The designer window's contract.
class TfrxCustomDesigner : public TComponent {
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
