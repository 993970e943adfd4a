// The prepared-pages store, its dictionary, the outline and the anchors; see
// frxPreviewPages.h for the tree and the file form.
#include "report/engine/frxPreviewPages.h"

#include <algorithm>
#include <map>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

void RegisterPreviewPagesClasses()
{
  TClassRegistration<TfrxOutline, TfrxCustomOutline>("TfrxOutline");
  TClassRegistration<TfrxPreviewPages, TfrxCustomPreviewPages>("TfrxPreviewPages");
}

namespace {

// The built pages kept for the preview.
constexpr size_t PageCacheSize = 50;
// What each stored element costs beyond its name and text in the memory count.
constexpr Int64 ElementOverhead = 52;
const char* const SInvalidFileFormat = "Invalid file format";
const char* const STruncatedFile = "Invalid file format: the prepared report ends too early";

bool IsPageClassName(const AnsiString& Name)
{
  return SameText(Name, "TfrxReportPage") || SameText(Name, "TfrxDMPPage");
}

// A float attribute of a stored element; a missing one gives Default.
Extended FloatProp(TfrxXMLItem* Item, const char* Name, Extended Default)
{
  const AnsiString value = Item->Prop(Name);
  return value.empty() ? Default : ParseFloatLenient(value);
}

// The key prefix of a source object: "b" for bands, else its base name's first letter.
AnsiString KeyPrefix(TfrxComponent* Obj)
{
  if (Obj->IsBand())
    return "b";
  const AnsiString base = Obj->BaseName();
  return base.empty() ? AnsiString("o") : LowerCase(base.substr(0, 1));
}

// The descendants of Obj, each before its children.
std::vector<TfrxComponent*> ObjectsOf(TfrxComponent* Obj)
{
  TList* all = Obj->AllObjects();
  std::vector<TfrxComponent*> result;
  result.reserve(static_cast<size_t>(all->Count()));
  for (Integer i = 0; i < all->Count(); ++i)
    result.push_back(static_cast<TfrxComponent*>(all->Items(i)));
  return result;
}

// The source page number of a page element named "page<N>"; -1 for any other name.
Integer PageNumberOf(const AnsiString& Name)
{
  if (Name.size() < 5 || !SameText(Name.substr(0, 4), "page"))
    return -1;
  return StrToInt(Name.substr(4));
}

} // namespace

// ---- TfrxDictionary ----

struct TfrxDictionary::TEntries {
  struct TLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const
    {
      return CompareText(a, b) < 0;
    }
  };
  struct TEntry {
    AnsiString SourceName;
    TObject* Obj;
  };
  std::map<AnsiString, TEntry, TLess> Map;
  // Per prefix, the number CreateUniqueName last gave. Keys are only ever added (until
  // Clear), so every number from the search's start up to it is still taken and the next
  // search may resume there: many keys of one prefix cost linear time overall.
  mutable std::map<AnsiString, Integer, TLess> LastFound;
};

TfrxDictionary::TfrxDictionary() : FEntries(std::make_unique<TEntries>()) {}

TfrxDictionary::~TfrxDictionary() = default;

void TfrxDictionary::Clear()
{
  FEntries->Map.clear();
  FEntries->LastFound.clear();
}

void TfrxDictionary::Add(const AnsiString& Name, const AnsiString& SourceName, TObject* Obj)
{
  FEntries->Map[Name] = {SourceName, Obj};
}

void TfrxDictionary::AddUnique(const AnsiString& Prefix, const AnsiString& SourceName,
                               AnsiString& Name, TObject* Obj)
{
  Name = CreateUniqueName(Prefix);
  Add(Name, SourceName, Obj);
}

AnsiString TfrxDictionary::CreateUniqueName(const AnsiString& Prefix) const
{
  const auto& map = FEntries->Map;
  Integer& last = FEntries->LastFound[Prefix];
  // The start: the largest of 10000, 5000, 2500 ... 2 that is taken, else 1. It only grows
  // as keys are added, and the numbers from it up to the last answer are taken.
  Integer n = 10000;
  if (last < n) {
    while (n > 1) {
      if (map.count(Prefix + IntToStr(n)))
        break;
      n /= 2;
    }
  }
  n = std::max(n, last);
  while (map.count(Prefix + IntToStr(n)))
    ++n;
  last = n;
  return Prefix + IntToStr(n);
}

TObject* TfrxDictionary::GetObject(const AnsiString& Name) const
{
  auto it = FEntries->Map.find(Name);
  return it == FEntries->Map.end() ? nullptr : it->second.Obj;
}

AnsiString TfrxDictionary::GetSourceName(const AnsiString& Name) const
{
  auto it = FEntries->Map.find(Name);
  return it == FEntries->Map.end() ? AnsiString() : it->second.SourceName;
}

Integer TfrxDictionary::Count() const
{
  return static_cast<Integer>(FEntries->Map.size());
}

void TfrxDictionary::ForEach(
    const std::function<void(const AnsiString& Name, const AnsiString& SourceName, TObject* Obj)>&
        Proc) const
{
  for (const auto& [name, entry] : FEntries->Map)
    Proc(name, entry.SourceName, entry.Obj);
}

// ---- TfrxOutline ----

TfrxOutline::TfrxOutline(TfrxPreviewPages* APreviewPages)
    : TfrxCustomOutline(APreviewPages), FPages(APreviewPages)
{
}

TfrxXMLItem* TfrxOutline::CurItem()
{
  if (!FCurItem)
    FCurItem = FPages->Document()->Root()->FindItem("outline");
  return FCurItem;
}

Integer TfrxOutline::Count()
{
  return CurItem()->Count();
}

void TfrxOutline::AddItem(const AnsiString& Text, Integer Top)
{
  TfrxXMLItem* item = CurItem()->Add();
  item->SetName("item");
  item->SetProp("text", Text);
  item->SetProp("page", IntToStr(FPages->CurPage()));
  item->SetProp("top", IntToStr(Top));
  FCurItem = item;
}

void TfrxOutline::LevelDown(Integer Index)
{
  FCurItem = CurItem()->Items(Index);
}

void TfrxOutline::LevelRoot()
{
  FCurItem = nullptr;
  CurItem();
}

void TfrxOutline::LevelUp()
{
  TfrxXMLItem* root = FPages->Document()->Root()->FindItem("outline");
  if (CurItem() != root && FCurItem->Parent())
    FCurItem = FCurItem->Parent();
}

void TfrxOutline::GetItem(Integer Index, AnsiString& Text, Integer& Page, Integer& Top)
{
  TfrxXMLItem* item = CurItem()->Items(Index);
  Text = item->Prop("text");
  if (const AnsiString page = item->Prop("page"); !page.empty())
    Page = StrToInt(page);
  if (const AnsiString top = item->Prop("top"); !top.empty())
    Top = StrToInt(top);
}

void TfrxOutline::ShiftItems(TObject* From, Integer NewTop)
{
  auto* from = dynamic_cast<TfrxXMLItem*>(From);
  TfrxXMLItem* parent = from ? from->Parent() : nullptr;
  if (!parent)
    return;
  const Integer next = parent->IndexOf(from) + 1;
  if (next <= 0 || next >= parent->Count())
    return;
  TfrxXMLItem* first = parent->Items(next);
  const Integer delta = NewTop - StrToInt(first->Prop("top"));
  std::vector<TfrxXMLItem*> pending{first};
  while (!pending.empty()) {
    TfrxXMLItem* item = pending.back();
    pending.pop_back();
    item->SetProp("page", IntToStr(StrToInt(item->Prop("page")) + 1));
    item->SetProp("top", IntToStr(StrToInt(item->Prop("top")) + delta));
    for (Integer i = 0; i < item->Count(); ++i)
      pending.push_back(item->Items(i));
  }
}

TObject* TfrxOutline::LastItem()
{
  TfrxXMLItem* cur = CurItem();
  return cur->Count() > 0 ? cur->Items(cur->Count() - 1) : cur;
}

// ---- TfrxPreviewPages ----

TfrxPreviewPages::TfrxPreviewPages(TfrxReport* AReport)
    : TfrxCustomPreviewPages(AReport), FDocument(std::make_unique<TfrxXMLDocument>()),
      FDictionary(std::make_unique<TfrxDictionary>()),
      FPictureCache(std::make_unique<TfrxPictureCache>())
{
  FDocument->Root()->SetName("preparedreport");
  SetOutline(new TfrxOutline(this));
}

TfrxPreviewPages::~TfrxPreviewPages()
{
  ClearCache();
}

TfrxReportPage* TfrxPreviewPages::SourcePages(Integer Index) const
{
  if (Index < 0 || Index >= SourcePageCount())
    throw EListError(Format(SListIndexError, {Index}));
  return FSourcePages[static_cast<size_t>(Index)].get();
}

TfrxXMLItem* TfrxPreviewPages::PagesItem()
{
  if (!FPagesItem)
    FPagesItem = FDocument->Root()->FindItem("previewpages");
  return FPagesItem;
}

TfrxXMLItem* TfrxPreviewPages::PageItem(Integer Index)
{
  return PagesItem()->Items(Index);
}

TfrxXMLItem* TfrxPreviewPages::CurPageItem()
{
  TfrxXMLItem* item = PageItem(CurPage());
  // A page written onto again (a write-over page action, a subreport going back) may
  // have been moved to the file cache meanwhile.
  FDocument->LoadItem(item);
  return item;
}

Integer TfrxPreviewPages::PageCount()
{
  return PagesItem()->Count();
}

void TfrxPreviewPages::ClearCache()
{
  FPageCache.clear();
}

void TfrxPreviewPages::ClearPages()
{
  ClearCache();
  FPictureCache->Clear();
  FSourcePages.clear();
  FDocument->Clear();
  FDictionary->Clear();
  FPagesItem = nullptr;
  static_cast<TfrxOutline*>(Outline())->FCurItem = nullptr;
  SetCurPage(-1);
  FAllocated = 0;
}

// ---- Building ----

void TfrxPreviewPages::Initialize()
{
  FDocument->SetTempDir(Report()->EngineOptions()->TempDir());
  Report()->BeginProgress(ptRunning);
}

void TfrxPreviewPages::Finish()
{
  ClearCache();
  Report()->EndProgress(ptRunning);
}

AnsiString TfrxPreviewPages::SourceText(TfrxComponent* Obj)
{
  if (Obj->StoreAllProperties())
    return Obj->ClassName();
  TfrxXMLSerializer serializer(nullptr);
  return Obj->ClassName() + serializer.ObjToXML(Obj);
}

void TfrxPreviewPages::AddSourcePage(TfrxComponent* Page)
{
  auto* design = dynamic_cast<TfrxReportPage*>(Page);
  if (!design)
    return;
  std::unique_ptr<TfrxReportPage> copy(
      dynamic_cast<TfrxDMPPage*>(design) ? new TfrxDMPPage(nullptr) : new TfrxReportPage(nullptr));
  copy->CloneFrom(design);
  copy->SetSourceObject(design);
  const AnsiString prefix = "Page" + IntToStr(SourcePageCount()) + ".";
  TfrxReportPage* source = copy.get();
  FSourcePages.push_back(std::move(copy));

  // The copy holds the same objects in the same order; a class that could not be read
  // leaves a gap, so each pair is checked by name.
  const std::vector<TfrxComponent*> designs = ObjectsOf(design);
  const std::vector<TfrxComponent*> copies = ObjectsOf(source);
  for (size_t i = 0; i < copies.size(); ++i) {
    TfrxComponent* c = copies[i];
    TfrxComponent* d = i < designs.size() && designs[i]->Name() == c->Name()
                           ? designs[i]
                           : dynamic_cast<TfrxComponent*>(design->FindObject(c->Name()));
    AnsiString key;
    FDictionary->AddUnique(KeyPrefix(c), prefix + c->Name(), key, c);
    c->SetBaseName(SourceText(c));
    c->SetDictionaryKey(key);
    if (d) {
      c->SetSourceObject(d);
      d->SetSourceObject(c);
      d->SetDictionaryKey(key);
    }
  }
}

void TfrxPreviewPages::AddToSourcePage(TfrxComponent* Obj)
{
  if (FSourcePages.empty())
    return;
  TfrxReportPage* page = FSourcePages.back().get();
  auto* copy = dynamic_cast<TfrxComponent*>(Obj->ClassType()->Create(page));
  if (!copy)
    return;
  copy->Assign(Obj);
  copy->MakeUniqueName();
  AnsiString key;
  FDictionary->AddUnique(KeyPrefix(copy),
                         "Page" + IntToStr(SourcePageCount() - 1) + "." + copy->Name(), key, copy);
  copy->SetBaseName(SourceText(copy));
  copy->SetDictionaryKey(key);
  Obj->SetSourceObject(copy);
  Obj->SetDictionaryKey(key);
}

Integer TfrxPreviewPages::SourcePageIndex(TfrxComponent* DesignPage) const
{
  for (size_t i = 0; i < FSourcePages.size(); ++i)
    if (FSourcePages[i]->SourceObject() == DesignPage)
      return static_cast<Integer>(i);
  return -1;
}

void TfrxPreviewPages::CheckMemory()
{
  TfrxEngineOptions* options = Report()->EngineOptions();
  if (!options->UseFileCache() || FAllocated <= static_cast<Int64>(options->MaxMemSize()) * 1048576)
    return;
  const bool building = Engine() && Engine()->Running();
  for (Integer i = PageCount() - 2; i >= 0; --i) {
    TfrxXMLItem* item = PageItem(i);
    if (!item->Loaded())
      break;
    // The engine may still write onto its current page.
    if (building && i == CurPage())
      continue;
    FDocument->UnloadItem(item);
  }
  FAllocated = 0;
}

void TfrxPreviewPages::AddPage(TfrxComponent* Page)
{
  FPagesItem = nullptr;
  CheckMemory();
  SetCurPage(CurPage() + 1);
  if (CurPage() < PageCount() && !AddPageAction()) {
    CurPageItem();
    return;
  }
  TfrxXMLItem* item = PagesItem()->Add();
  item->SetName("page" + IntToStr(SourcePageIndex(Page)));
  // The first two pages always stay in memory.
  if (PageCount() > 2)
    item->SetUnloadable(true);
  Report()->StepProgress(ptRunning, CurPage() + 1);
  SetAddPageAction(false);
  SetCurPage(PageCount() - 1);
}

void TfrxPreviewPages::StoreObject(TfrxComponent* Obj, TfrxXMLItem* Parent)
{
  const bool finalPass = !Engine() || Engine()->FinalPass();
  std::vector<std::pair<TfrxComponent*, TfrxXMLItem*>> pending{{Obj, Parent}};
  while (!pending.empty()) {
    auto [obj, parent] = pending.back();
    pending.pop_back();
    if (!obj->Visible())
      continue;
    TfrxXMLItem* item = parent;
    // A subreport (and a cross-table) stands for its contents: its children are stored at
    // its own level.
    const AnsiString className = obj->ClassName();
    if (!dynamic_cast<TfrxSubreport*>(obj) && className != "TfrxCrossView" &&
        className != "TfrxDBCrossView") {
      item = parent->Add();
      if (TfrxComponent* source = obj->SourceObject()) {
        item->SetName(obj->DictionaryKey());
        if (!finalPass)
          item->SetText(obj->BaseDiff(source));
        else if (obj->StoreAllProperties())
          item->SetText(obj->AllDiff(source));
        else
          item->SetText(obj->Diff(source));
      } else {
        item->SetName(className);
        item->SetText(obj->AllDiff(nullptr));
      }
      FAllocated += static_cast<Int64>(item->Name().size() + item->Text().size()) + ElementOverhead;
    }
    TList* children = obj->Objects();
    for (Integer i = children->Count() - 1; i >= 0; --i)
      pending.push_back({static_cast<TfrxComponent*>(children->Items(i)), item});
  }
}

void TfrxPreviewPages::AddObject(TfrxComponent* Obj)
{
  if (CurPage() < 0 || CurPage() >= PageCount())
    return;
  StoreObject(Obj, CurPageItem());
}

void TfrxPreviewPages::BeginPass()
{
  FFirstPageIndex = PageCount() - 1;
  if (FFirstPageIndex >= 0)
    FFirstObjectIndex = PageItem(FFirstPageIndex)->Count();
}

void TfrxPreviewPages::ClearFirstPassPages()
{
  ClearCache();
  TfrxXMLItem* root = FDocument->Root();
  if (FFirstPageIndex < 0) {
    // The anchors of the first pass stay, so the final pass can look them up.
    for (Integer i = 0; i < root->Count(); ++i)
      if (!SameText(root->Items(i)->Name(), "anchors"))
        root->Items(i)->Clear();
  } else {
    TfrxXMLItem* page = PageItem(FFirstPageIndex);
    FDocument->LoadItem(page);
    while (page->Count() > FFirstObjectIndex)
      delete page->Items(page->Count() - 1);
    while (PageCount() > FFirstPageIndex + 1)
      delete PageItem(PageCount() - 1);
  }
  static_cast<TfrxOutline*>(Outline())->FCurItem = nullptr;
  SetCurPage(FFirstPageIndex);
  FAllocated = 0;
}

void TfrxPreviewPages::CutObjects(Integer APosition)
{
  TfrxXMLItem* page = CurPageItem();
  TfrxXMLItem* cutted = FDocument->Root()->FindItem("cutted");
  while (page->Count() > APosition)
    cutted->AddItem(page->Items(APosition));
}

void TfrxPreviewPages::PasteObjects(Extended X, Extended Y)
{
  TfrxXMLItem* root = FDocument->Root();
  const Integer at = root->Find("cutted");
  if (at < 0)
    return;
  std::unique_ptr<TfrxXMLItem> cutted(root->Items(at));
  if (cutted->Count() == 0)
    return;
  TfrxXMLItem* page = CurPageItem();
  const Extended dx = X - FloatProp(cutted->Items(0), "l", 0);
  const Extended dy = Y - FloatProp(cutted->Items(0), "t", 0);
  while (cutted->Count() > 0) {
    TfrxXMLItem* item = cutted->Items(0);
    item->SetProp("l", FloatToStr(FloatProp(item, "l", 0) + dx));
    item->SetProp("t", FloatToStr(FloatProp(item, "t", 0) + dy));
    page->AddItem(item);
  }
}

TfrxComponent* TfrxPreviewPages::SourceOfKey(const AnsiString& Key) const
{
  return dynamic_cast<TfrxComponent*>(FDictionary->GetObject(Key));
}

bool TfrxPreviewPages::BandExists(TfrxComponent* Band)
{
  if (CurPage() < 0 || CurPage() >= PageCount())
    return false;
  TfrxXMLItem* page = CurPageItem();
  for (Integer i = 0; i < page->Count(); ++i) {
    TfrxComponent* source = SourceOfKey(page->Items(i)->Name());
    if (!source)
      continue;
    if (source->SourceObject() == Band ||
        (dynamic_cast<TfrxPageFooter*>(Band) && dynamic_cast<TfrxPageFooter*>(source)) ||
        (dynamic_cast<TfrxColumnFooter*>(Band) && dynamic_cast<TfrxColumnFooter*>(source)))
      return true;
  }
  return false;
}

Integer TfrxPreviewPages::GetCurPosition()
{
  if (CurPage() < 0 || CurPage() >= PageCount())
    return 0;
  return CurPageItem()->Count();
}

Extended TfrxPreviewPages::GetLastY()
{
  if (CurPage() < 0 || CurPage() >= PageCount())
    return 0;
  TfrxXMLItem* page = CurPageItem();
  Extended result = 0;
  for (Integer i = 0; i < page->Count(); ++i) {
    TfrxXMLItem* item = page->Items(i);
    TfrxComponent* source = SourceOfKey(item->Name());
    if (!source || !source->IsBand() || dynamic_cast<TfrxPageFooter*>(source))
      continue;
    const Extended bottom =
        FloatProp(item, "t", source->Top()) + FloatProp(item, "h", source->Height());
    result = std::max(result, bottom);
  }
  return result;
}

// ---- Built pages ----

TfrxComponent* TfrxPreviewPages::RebuildPage(TfrxXMLItem* Item)
{
  if (IsPageClassName(Item->Name())) {
    std::unique_ptr<TfrxReportPage> page(SameText(Item->Name(), "TfrxDMPPage")
                                             ? new TfrxDMPPage(nullptr)
                                             : new TfrxReportPage(nullptr));
    TfrxXMLSerializer serializer(nullptr);
    serializer.SetPictureCache(FPictureCache.get());
    serializer.Read(page.get(), Item);
    return page.release();
  }
  TfrxReportPage* source = SourcePages(PageNumberOf(Item->Name()));
  std::unique_ptr<TfrxComponent> page(
      dynamic_cast<TfrxComponent*>(source->ClassType()->Create(nullptr)));
  page->Assign(source);
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetPictureCache(FPictureCache.get());
  struct TPending {
    TfrxXMLItem* Item;
    TfrxComponent* Parent;
    Integer Depth;
  };
  std::vector<TPending> pending;
  for (Integer i = Item->Count() - 1; i >= 0; --i)
    pending.push_back({Item->Items(i), page.get(), 1});
  while (!pending.empty()) {
    const TPending next = pending.back();
    pending.pop_back();
    if (next.Depth > frxMaxObjectNesting)
      throw Exception("Report objects nested too deep");
    TfrxComponent* source = SourceOfKey(next.Item->Name());
    TfrxComponent* obj;
    try {
      obj = serializer.ReadObjectFromText(
          next.Parent, source ? source->BaseName() : next.Item->Name(), next.Item->Text());
    } catch (const EClassNotFound& e) {
      Report()->Errors()->Add(e.Message());
      continue;
    }
    if (!obj)
      continue;
    if (source)
      obj->SetName(source->Name());
    for (Integer i = next.Item->Count() - 1; i >= 0; --i)
      pending.push_back({next.Item->Items(i), obj, next.Depth + 1});
  }
  return page.release();
}

TfrxComponent* TfrxPreviewPages::BuildPage(Integer Index)
{
  if (Index < 0 || Index >= PageCount())
    return nullptr;
  const bool building = Engine() && Engine()->Running();
  if (!building)
    for (size_t i = 0; i < FPageCache.size(); ++i)
      if (FPageCache[i].Index == Index) {
        std::rotate(FPageCache.begin(), FPageCache.begin() + static_cast<std::ptrdiff_t>(i),
                    FPageCache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        return FPageCache.front().Page.get();
      }
  TfrxXMLItem* item = PageItem(Index);
  FDocument->LoadItem(item);
  std::unique_ptr<TfrxComponent> page(RebuildPage(item));
  page->AlignChildren();
  TfrxComponent* result = page.get();
  FPageCache.insert(FPageCache.begin(), TCacheEntry{Index, std::move(page)});
  if (FPageCache.size() > PageCacheSize) {
    const Integer evicted = FPageCache.back().Index;
    FPageCache.pop_back();
    if (Report()->EngineOptions()->UseFileCache() && evicted < PageCount() &&
        !(building && evicted == CurPage()))
      FDocument->UnloadItem(PageItem(evicted));
  }
  return result;
}

TfrxPoint TfrxPreviewPages::PageSize(Integer Index)
{
  TfrxPoint result;
  if (Index < 0 || Index >= PageCount())
    return result;
  TfrxXMLItem* item = PageItem(Index);
  TfrxComponent* page;
  if (IsPageClassName(item->Name()))
    page = BuildPage(Index);
  else
    page = SourcePages(PageNumberOf(item->Name()));
  if (page) {
    result.X = static_cast<Extended>(Round(page->Width()));
    result.Y = static_cast<Extended>(Round(page->Height()));
  }
  return result;
}

// ---- Editing ----

void TfrxPreviewPages::AddEmptyPage(Integer Index)
{
  if (PageCount() == 0 || Index < 0 || Index >= PageCount())
    return;
  auto* item = new TfrxXMLItem();
  item->SetName(PageItem(Index)->Name());
  PagesItem()->InsertItem(Index, item);
  ClearCache();
}

void TfrxPreviewPages::DeletePage(Integer Index)
{
  if (PageCount() < 2 || Index < 0 || Index >= PageCount())
    return;
  delete PageItem(Index);
  ClearCache();
}

void TfrxPreviewPages::ReplacePage(TfrxComponent* Page, Integer Index)
{
  if (Index < 0 || Index >= PageCount())
    return;
  TfrxXMLItem* item = PageItem(Index);
  item->Clear();
  TfrxXMLSerializer serializer(nullptr);
  serializer.Write(Page, true, item);
  item->SetUnloadable(false);
  ClearCache();
}

// ---- Anchors ----

void TfrxPreviewPages::AddAnchor(const AnsiString& Text)
{
  TfrxXMLItem* item = FDocument->Root()->FindItem("anchors")->Add();
  item->SetName("item");
  item->SetProp("text", Text);
  item->SetProp("page", IntToStr(CurPage()));
  item->SetProp("top", IntToStr(Engine() ? Round(Engine()->CurY()) : 0));
}

TfrxXMLItem* TfrxPreviewPages::FindAnchor(const AnsiString& Text)
{
  TfrxXMLItem* anchors = FDocument->Root()->FindItem("anchors");
  for (Integer i = anchors->Count() - 1; i >= 0; --i)
    if (AnsiSameText(anchors->Items(i)->Prop("text"), Text))
      return anchors->Items(i);
  return nullptr;
}

Integer TfrxPreviewPages::GetAnchorPage(const AnsiString& Text)
{
  TfrxXMLItem* anchor = FindAnchor(Text);
  return anchor ? StrToInt(anchor->Prop("page")) + 1 : 1;
}

// ---- Files ----

void TfrxPreviewPages::SaveToStream(TStream* Stream)
{
  auto save = [this, Stream] {
    TfrxXMLItem* root = FDocument->Root();
    TfrxReport* report = Report();
    TfrxXMLItem* reportItem = root->FindItem("report");
    reportItem->Clear();
    TfrxXMLItem* attributes = reportItem->Add();
    attributes->SetName(report->ClassName());
    attributes->SetText("DotMatrixReport=\"" + ValueToXML(Variant(report->DotMatrixReport())) +
                        "\" PreviewOptions.OutlineVisible=\"" +
                        ValueToXML(Variant(report->PreviewOptions()->OutlineVisible())) +
                        "\" PreviewOptions.OutlineWidth=\"" +
                        ValueToXML(Variant(report->PreviewOptions()->OutlineWidth())) + "\"");
    TfrxXMLItem* sources = root->FindItem("sourcepages");
    sources->Clear();
    for (const auto& page : FSourcePages) {
      TfrxXMLSerializer serializer(nullptr);
      serializer.Write(page.get(), true, sources->Add());
    }
    TfrxXMLItem* dictionary = root->FindItem("dictionary");
    dictionary->Clear();
    FDictionary->ForEach(
        [dictionary](const AnsiString& Name, const AnsiString& SourceName, TObject*) {
          TfrxXMLItem* item = dictionary->Add();
          item->SetName(Name);
          item->SetText("name=\"" + SourceName + "\"");
        });
    FDocument->SaveToStream(Stream);
  };
  if (TThread* thread = Report()->EngineOptions()->ReportThread())
    TThread::Synchronize(thread, save);
  else
    save();
}

void TfrxPreviewPages::LoadFromStream(TStream* Stream)
{
  LoadFromStream(Stream, false);
}

void TfrxPreviewPages::LoadFromStream(TStream* Stream, bool Partial)
{
  // Everything is read into copies and checked first; the store changes only at the end.
  auto load = [this, Stream, Partial] {
    auto doc = std::make_unique<TfrxXMLDocument>();
    doc->LoadFromStream(Stream, Partial);
    // The XML reader closes what the end of the stream leaves open; a prepared report cut
    // short would then read as one with fewer pages (or none), so it is refused.
    if (doc->Truncated())
      throw Exception(STruncatedFile);
    TfrxXMLItem* root = doc->Root();
    if (!SameText(root->Name(), "preparedreport"))
      throw Exception(SInvalidFileFormat);

    std::vector<std::unique_ptr<TfrxReportPage>> sources;
    TfrxXMLItem* sourceItems = root->FindItem("sourcepages");
    for (Integer i = 0; i < sourceItems->Count(); ++i) {
      TfrxXMLItem* item = sourceItems->Items(i);
      std::unique_ptr<TfrxReportPage> page(SameText(item->Name(), "TfrxDMPPage")
                                               ? new TfrxDMPPage(nullptr)
                                               : new TfrxReportPage(nullptr));
      TfrxXMLSerializer serializer(nullptr);
      serializer.Read(page.get(), item);
      for (TfrxComponent* obj : ObjectsOf(page.get()))
        obj->SetBaseName(obj->ClassName() + serializer.ObjToXML(obj));
      sources.push_back(std::move(page));
    }
    sourceItems->Clear();

    auto dictionary = std::make_unique<TfrxDictionary>();
    TfrxXMLItem* entries = root->FindItem("dictionary");
    for (Integer i = 0; i < entries->Count(); ++i) {
      TfrxXMLItem* item = entries->Items(i);
      // The value is taken by position: from the 7th character up to the last one.
      const AnsiString& text = item->Text();
      const AnsiString value = text.size() > 7 ? text.substr(6, text.size() - 7) : AnsiString();
      const size_t dot = value.find('.');
      if (dot == AnsiString::npos)
        throw EConvertError(Format(SInvalidInteger, {value}));
      const Integer index = StrToInt(value.substr(0, dot).substr(std::min<size_t>(4, dot)));
      if (index < 0 || index >= static_cast<Integer>(sources.size()))
        throw EListError(Format(SListIndexError, {index}));
      const AnsiString objectName = value.substr(dot + 1, 255);
      dictionary->Add(item->Name(), value,
                      sources[static_cast<size_t>(index)]->FindObject(objectName));
    }

    TfrxXMLItem* pages = root->FindItem("previewpages");
    for (Integer i = 0; i < pages->Count(); ++i) {
      const AnsiString& name = pages->Items(i)->Name();
      if (IsPageClassName(name))
        continue;
      const Integer index = PageNumberOf(name);
      if (index < 0 || index >= static_cast<Integer>(sources.size()))
        throw Exception(SInvalidFileFormat);
    }

    ClearCache();
    FSourcePages = std::move(sources);
    FDictionary = std::move(dictionary);
    FDocument = std::move(doc);
    FPagesItem = pages;
    static_cast<TfrxOutline*>(Outline())->FCurItem = nullptr;
    SetCurPage(-1);
    FAllocated = 0;
    TfrxXMLItem* reportItem = FDocument->Root()->FindItem("report");
    if (reportItem->Count() > 0) {
      TfrxXMLSerializer serializer(nullptr);
      serializer.XMLToObj(reportItem->Items(0)->Text(), Report());
    }
  };
  if (TThread* thread = Report()->EngineOptions()->ReportThread())
    TThread::Synchronize(thread, load);
  else
    load();
}

bool TfrxPreviewPages::LoadFromFile(const AnsiString& FileName)
{
  return LoadFromFile(FileName, false);
}

bool TfrxPreviewPages::LoadFromFile(const AnsiString& FileName, bool Force)
{
  const bool exists = FileExists(FileName);
  if (exists || Force) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream, false);
  }
  return exists;
}

void TfrxPreviewPages::SaveToFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}
