// The notebook (TNotebook): named pages (TPage) of which one shows. ExtCtrls.h describes
// them.
#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ExtCtrlsPrivate.h"

void extctrls::RegisterNotebookClasses()
{
  TClassRegistration<TPage, TCustomControl>("TPage");
  TClassRegistration<TNotebook, TCustomControl>("TNotebook")
      .Property("ActivePage", &TNotebook::ActivePage, &TNotebook::SetActivePage)
      .Property("PageIndex", &TNotebook::PageIndex, &TNotebook::SetPageIndex)
      .Default(0)
      .Property("Pages", &TNotebook::Pages, &TNotebook::SetPages)
      .Property("OnPageChanged", &TNotebook::OnPageChanged, &TNotebook::OnPageChanged);
}

// ---- TPage ----

TPage::TPage(TComponent* AOwner) : TCustomControl(AOwner)
{
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  FVisible = false;
  FAlign = alClient;
}

void TPage::Paint()
{
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(ClientRect());
  if (ComponentState().Contains(csDesigning)) {
    c->Pen()->SetStyle(psDash);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, FWidth, FHeight);
  }
}

// ---- TNotebook ----

// The page controls are the objects of the page names.
TNotebook::TNotebook(TComponent* AOwner)
    : TCustomControl(AOwner), FPages(std::make_unique<TStringList>())
{
  FControlStyle = TControlStyle{csClickEvents, csDoubleClicks, csAcceptsControls};
  FWidth = 150;
  FHeight = 150;
  FPages->OnChange = TNotifyEvent::Bind(this, &TNotebook::PagesChanged);
  FPages->Add("Default");
}

TNotebook::~TNotebook()
{
  FPages->OnChange = nullptr;
}

TPage* TNotebook::PageControl(Integer Index) const
{
  if (Index < 0 || Index >= static_cast<Integer>(FPageControls.size()))
    return nullptr;
  return FPageControls[static_cast<std::size_t>(Index)];
}

TPage* TNotebook::PageByName(const AnsiString& Name) const
{
  for (Integer i = 0; i < FPages->Count(); ++i)
    if (AnsiCompareText(FPages->Strings(i), Name) == 0)
      return PageControl(i);
  return nullptr;
}

// Names without a page get one, pages whose name went away go with it, and a page shows
// when the page index lands on it.
void TNotebook::PagesChanged(TObject*)
{
  if (FSyncing)
    return;
  FSyncing = true;
  std::vector<TPage*> kept;
  for (Integer i = 0; i < FPages->Count(); ++i) {
    auto* page = static_cast<TPage*>(FPages->Objects(i));
    if (!page) {
      page = new TPage(this);
      page->SetParent(this);
      FPages->SetObjects(i, page);
    }
    page->SetCaption(FPages->Strings(i));
    kept.push_back(page);
  }
  for (TPage* old : FPageControls)
    if (std::find(kept.begin(), kept.end(), old) == kept.end())
      delete old;
  TPage* active = PageControl(FPageIndex);
  FPageControls = kept;
  auto it = std::find(kept.begin(), kept.end(), active);
  Integer index = it != kept.end() ? static_cast<Integer>(it - kept.begin())
                                   : std::min<Integer>(FPageIndex, FPages->Count() - 1);
  if (index < 0 && !kept.empty())
    index = 0;
  FPageIndex = -1;
  FSyncing = false;
  SetPageIndex(index);
}

void TNotebook::SetPageIndex(Integer Value)
{
  if (Value < 0 || Value >= static_cast<Integer>(FPageControls.size()) || Value == FPageIndex)
    return;
  TPage* old = PageControl(FPageIndex);
  TPage* page = FPageControls[static_cast<std::size_t>(Value)];
  FPageIndex = Value;
  page->BringToFront();
  page->SetVisible(true);
  if (old && old != page)
    old->SetVisible(false);
  OnPageChanged(this);
}

AnsiString TNotebook::ActivePage() const
{
  return FPageIndex >= 0 && FPageIndex < FPages->Count() ? FPages->Strings(FPageIndex)
                                                         : AnsiString();
}

void TNotebook::SetActivePage(const AnsiString& Value)
{
  for (Integer i = 0; i < FPages->Count(); ++i)
    if (AnsiCompareText(FPages->Strings(i), Value) == 0) {
      SetPageIndex(i);
      return;
    }
}
