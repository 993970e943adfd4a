// The prepared pages of a report. TfrxPreviewPages keeps what the engine outputs as one XML
// tree in which every printed object is stored only as its difference from the design
// object it was printed from: the design pages are copied once into source pages, every
// copied object gets a short dictionary key, and a stored element names its source by the
// key and lists the attributes that differ. Whole pages are rebuilt on demand for the
// preview, printing and export, the last 50 are kept, and with the file cache finished
// pages move to a temporary file. TfrxOutline and the anchors live in the same tree.
// frxClass.h holds the contracts (TfrxCustomPreviewPages, TfrxCustomOutline).
//
// The prepared report file (.fp3) is that tree (frxXML.h) with the root "preparedreport":
//   previewpages  one element per page: "page<N>" (N: the index of its source page) whose
//                 children are the stored objects, or a whole "TfrxReportPage" or
//                 "TfrxDMPPage" element for a page replaced by the preview
//   outline       "item" elements text="" page="" top="", nested by level
//   anchors       "item" elements text="" page="" top=""
//   report        one "TfrxReport" element: DotMatrixReport="" PreviewOptions.OutlineVisible=""
//                 PreviewOptions.OutlineWidth=""
//   sourcepages   the source pages, each written whole
//   dictionary    one element per key, in key order: <m1 name="Page0.Memo1"/>
// A stored object element is named by its key (b<n> for bands, else the object's base name's
// first letter in lower case and a number: m12, p3, l1, s2) and carries its difference text
// (l t w h x ...; frxClass.h, Diff); an object without a source is named by its class and
// carries its full attribute text. Its children are its own objects' elements.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "report/engine/frxClass.h"

class TfrxXMLDocument;
class TfrxXMLItem;
class TfrxPreviewPages;
class TfrxPictureCache;

// The short keys of source objects: key -> (source name "Page0.Memo1", source object).
// Keys are kept in CompareText order, the order the prepared report file lists them in.
class TfrxDictionary : public TObject {
public:
  TfrxDictionary();
  ~TfrxDictionary() override;

  void Clear();
  void Add(const AnsiString& Name, const AnsiString& SourceName, TObject* Obj);
  // A new key Prefix + number (CreateUniqueName), added with the source.
  void AddUnique(const AnsiString& Prefix, const AnsiString& SourceName, AnsiString& Name,
                 TObject* Obj);
  // The first key Prefix + n, n from 1 up, that is not taken. Keys are allocated from 1
  // upward, so the search starts below the largest of 10000, 5000, 2500 ... that is taken.
  AnsiString CreateUniqueName(const AnsiString& Prefix) const;
  // The source object of a key; nil for an unknown key.
  TObject* GetObject(const AnsiString& Name) const;
  // The source name of a key; '' for an unknown key.
  AnsiString GetSourceName(const AnsiString& Name) const;
  Integer Count() const;
  // Calls Proc for every key in key order.
  void ForEach(const std::function<void(const AnsiString& Name, const AnsiString& SourceName,
                                        TObject* Obj)>& Proc) const;

private:
  struct TEntries;
  std::unique_ptr<TEntries> FEntries;
};

// The outline of prepared pages: the "outline" element of the prepared-pages tree, walked
// with a current item whose children form the current level.
class TfrxOutline : public TfrxCustomOutline {
public:
  explicit TfrxOutline(TfrxPreviewPages* APreviewPages);

  // Entries on the current level.
  Integer Count() override;
  // Appends an entry (text, the current page index, Top) to the current level and makes it
  // current: later entries go below it until LevelUp.
  void AddItem(const AnsiString& Text, Integer Top) override;
  // The current level's entry Index becomes current; a bad index raises EListError.
  void LevelDown(Integer Index) override;
  void LevelRoot() override;
  // The parent of the current entry becomes current; nothing at the root.
  void LevelUp() override;
  // Of the current level's entry Index: its text, and its page and top where they are
  // written (otherwise the variables keep their values).
  void GetItem(Integer Index, AnsiString& Text, Integer& Page, Integer& Top) override;
  // For bands kept together that moved to the next page: the entry that follows From (a
  // TfrxXMLItem, as LastItem gave it) and everything below it move one page on and by
  // NewTop - that entry's top. Nothing when no entry follows From.
  void ShiftItems(TObject* From, Integer NewTop) override;
  // The last entry of the current level, or the current item when the level is empty.
  TObject* LastItem() override;

  TfrxXMLItem* CurItem();

private:
  TfrxPreviewPages* FPages;
  TfrxXMLItem* FCurItem = nullptr;

  friend class TfrxPreviewPages;
};

class TfrxPreviewPages : public TfrxCustomPreviewPages {
public:
  explicit TfrxPreviewPages(TfrxReport* AReport);
  ~TfrxPreviewPages() override;

  // ---- Pages ----
  Integer PageCount() override;
  // The page at Index rebuilt (from the cache when the engine is not running); nil when
  // there are no pages. The page stays owned by the store and may be freed by any later
  // operation that clears or trims the cache.
  TfrxComponent* BuildPage(Integer Index) override;
  // Width and height in whole report pixels; (0, 0) out of range.
  TfrxPoint PageSize(Integer Index) override;
  void ClearPages() override;

  // ---- Building (the engine's operations) ----
  void Initialize() override;
  void AddObject(TfrxComponent* Obj) override;
  void AddPage(TfrxComponent* Page) override;
  void AddSourcePage(TfrxComponent* Page) override;
  void AddToSourcePage(TfrxComponent* Obj) override;
  void BeginPass() override;
  void ClearFirstPassPages() override;
  void CutObjects(Integer APosition) override;
  void Finish() override;
  void PasteObjects(Extended X, Extended Y) override;
  bool BandExists(TfrxComponent* Band) override;
  Integer GetCurPosition() override;
  Extended GetLastY() override;

  // ---- Editing (the preview's operations) ----
  void AddEmptyPage(Integer Index) override;
  void DeletePage(Integer Index) override;
  void ReplacePage(TfrxComponent* Page, Integer Index) override;

  // ---- Output ----
  // Draws page Index on Canvas at the scales, moved by the offsets (device units).
  void DrawPage(Integer Index, TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                Extended OffsetY) override;
  // The view under (X, Y) of page Index drawn at zoom 1 without offsets; nil when none.
  TfrxComponent* ObjectHitTest(Integer Index, Integer X, Integer Y) override;
  // The preview's mouse over page Index drawn at Zoom and the offsets: sets Cursor for the
  // view under the point, shows its link in the progress message, and on a click follows
  // the link ("@page", "#anchor", or a web or mail address) and runs the view's click
  // handler. Links of any other kind are refused with a message.
  void ObjectHitTest(Integer Index, Integer X, Integer Y, TMouseButton Button, TShiftState Shift,
                     Extended Zoom, Extended OffsetX, Extended OffsetY, bool Click,
                     TCursor& Cursor);
  // Prints with the report's PrintOptions, through the print dialog when ShowDialog is set
  // and one is installed. False when the dialog was cancelled. A failing printer aborts the
  // job and raises its error (EPrinter).
  bool PrintPages() override;
  // Walks the pages through Filter. False for no filter or a cancelled options dialog.
  bool ExportPages(TfrxCustomExportFilter* Filter) override;

  // ---- Files ----
  // Reads a prepared report. Everything is read and checked first; a damaged file raises
  // (the XML reader's "Invalid file format", a conversion or list index error for a bad
  // dictionary entry) and leaves the store as it was. With Partial, pages marked
  // unloadable stay in Stream, which the store then owns.
  void LoadFromStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream, bool Partial);
  void SaveToStream(TStream* Stream) override;
  // Whether the file exists; it is read when it does (or, with Force, tried and raises).
  bool LoadFromFile(const AnsiString& FileName) override;
  bool LoadFromFile(const AnsiString& FileName, bool Force);
  void SaveToFile(const AnsiString& FileName) override;

  // ---- Anchors ----
  // Records a named position: the current page and the engine's CurY.
  void AddAnchor(const AnsiString& Text);
  // The last anchor of that name (ignoring case); nil when none.
  TfrxXMLItem* FindAnchor(const AnsiString& Text);
  // The 1-based page of the anchor; 1 for an unknown name.
  Integer GetAnchorPage(const AnsiString& Text);

  TfrxXMLDocument* Document() const { return FDocument.get(); }
  TfrxDictionary* Dictionary() const { return FDictionary.get(); }
  Integer SourcePageCount() const { return static_cast<Integer>(FSourcePages.size()); }
  TfrxReportPage* SourcePages(Integer Index) const;
  // The cache of built pages, most recently used first.
  Integer CacheCount() const { return static_cast<Integer>(FPageCache.size()); }

private:
  struct TCacheEntry {
    Integer Index;
    std::unique_ptr<TfrxComponent> Page;
  };

  TfrxXMLItem* PagesItem();
  TfrxXMLItem* PageItem(Integer Index);
  // The page the engine writes onto, read back from the file cache when it was unloaded.
  TfrxXMLItem* CurPageItem();
  void ClearCache();
  void CheckMemory();
  void StoreObject(TfrxComponent* Obj, TfrxXMLItem* Parent);
  AnsiString SourceText(TfrxComponent* Obj);
  TfrxComponent* RebuildPage(TfrxXMLItem* Item);
  Integer SourcePageIndex(TfrxComponent* DesignPage) const;
  TfrxComponent* SourceOfKey(const AnsiString& Key) const;

  std::unique_ptr<TfrxXMLDocument> FDocument;
  std::unique_ptr<TfrxDictionary> FDictionary;
  std::vector<std::unique_ptr<TfrxReportPage>> FSourcePages;
  std::vector<TCacheEntry> FPageCache;
  // Pictures of the stored pages, decoded once for all the pages that repeat them.
  std::unique_ptr<TfrxPictureCache> FPictureCache;
  TfrxXMLItem* FPagesItem = nullptr;
  Integer FFirstObjectIndex = 0;
  Integer FFirstPageIndex = -1;
  Integer FAllocated = 0;
};

// What the print dialog (of the preview library) lets the user choose before printing.
struct TfrxPrintDialogSettings {
  enum TRange { prAll, prCurrent, prPages };
  AnsiString Copies = "1"; // as typed: converted with StrToInt
  bool Collate = true;
  TRange Range = prAll;
  AnsiString PageNumbers; // for prPages: "1,3,5-12"
  TfrxPrintPages PrintPages = ppAll;
  bool Reverse = false;
};
// Shows the print dialog preset with Settings and reads the choices back; false when it was
// cancelled. The preview library installs it; without one the walk prints with the options.
using TfrxPrintDialogFunc = bool (*)(TfrxReport* Report, TfrxPrintDialogSettings& Settings);
void SetPrintDialogFunc(TfrxPrintDialogFunc Func);

// The class records of TfrxOutline and TfrxPreviewPages (the frxPreviewPages unit's start-up).
void RegisterPreviewPagesClasses();
