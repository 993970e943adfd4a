// The tree view (TTreeView) with its nodes: layout as indented rows, drawing, keys and
// mouse, selection with OnChanging/OnChange, expansion, and editing a node's text in place.
// ComCtrls.h describes it.
#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComCtrlsPrivate.h"
#include "platform/ui/StdPaint.h"

void comctrls::RegisterTreeViewClasses()
{
  RegisterEventType<TTVChangedEvent>("TTVChangedEvent");
  RegisterEventType<TTVChangingEvent>("TTVChangingEvent");
  RegisterEventType<TTVEditingEvent>("TTVEditingEvent");
  RegisterEventType<TTVEditedEvent>("TTVEditedEvent");
  RegisterEventType<TTVExpandingEvent>("TTVExpandingEvent");
  RegisterEventType<TTVExpandedEvent>("TTVExpandedEvent");
  TClassRegistration<TTreeView, TWinControl>("TTreeView")
      .Property("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly)
      .Default(false)
      .Property("ShowRoot", &TTreeView::ShowRoot, &TTreeView::SetShowRoot)
      .Default(true)
      .Property("ShowLines", &TTreeView::ShowLines, &TTreeView::SetShowLines)
      .Default(true)
      .Property("ShowButtons", &TTreeView::ShowButtons, &TTreeView::SetShowButtons)
      .Default(true)
      .Property("RowSelect", &TTreeView::RowSelect, &TTreeView::SetRowSelect)
      .Default(false)
      .Property("HideSelection", &TTreeView::HideSelection, &TTreeView::SetHideSelection)
      .Default(true)
      .Property("Indent", &TTreeView::Indent, &TTreeView::SetIndent)
      .Default(19)
      .Property("OnChange", &TTreeView::OnChange, &TTreeView::OnChange)
      .Property("OnChanging", &TTreeView::OnChanging, &TTreeView::OnChanging)
      .Property("OnEditing", &TTreeView::OnEditing, &TTreeView::OnEditing)
      .Property("OnEdited", &TTreeView::OnEdited, &TTreeView::OnEdited)
      .Property("OnExpanding", &TTreeView::OnExpanding, &TTreeView::OnExpanding)
      .Property("OnCollapsing", &TTreeView::OnCollapsing, &TTreeView::OnCollapsing)
      .Property("OnExpanded", &TTreeView::OnExpanded, &TTreeView::OnExpanded)
      .Property("OnCollapsed", &TTreeView::OnCollapsed, &TTreeView::OnCollapsed)
      .Property("OnDeletion", &TTreeView::OnDeletion, &TTreeView::OnDeletion);
}

// ---- TTreeNode ----

TTreeNode::~TTreeNode()
{
  for (TTreeNode* child : FChildren)
    delete child;
}

TCustomTreeView* TTreeNode::TreeView() const
{
  return FOwner ? FOwner->Owner() : nullptr;
}

void TTreeNode::SetText(const AnsiString& Value)
{
  if (Value == FText)
    return;
  FText = Value;
  FOwner->Changed();
}

void TTreeNode::SetImageIndex(Integer Value)
{
  FImageIndex = Value;
  FOwner->Changed();
}

void TTreeNode::SetSelectedIndex(Integer Value)
{
  FSelectedIndex = Value;
  FOwner->Changed();
}

void TTreeNode::SetStateIndex(Integer Value)
{
  FStateIndex = Value;
  FOwner->Changed();
}

void TTreeNode::SetBold(bool Value)
{
  if (Value == FBold)
    return;
  FBold = Value;
  FOwner->Changed();
}

void TTreeNode::SetHasChildren(bool Value)
{
  FHasChildren = Value;
  FOwner->Changed();
}

TTreeNode* TTreeNode::Item(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError("Tree node index out of bounds (" + std::to_string(Index) + ")");
  return FChildren[Index];
}

Integer TTreeNode::Level() const
{
  Integer level = 0;
  for (TTreeNode* p = FParent; p; p = p->FParent)
    ++level;
  return level;
}

Integer TTreeNode::Index() const
{
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  auto it = std::find(siblings.begin(), siblings.end(), this);
  return static_cast<Integer>(it - siblings.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const
{
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  Integer i = Index() + 1;
  return i < static_cast<Integer>(siblings.size()) ? siblings[i] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const
{
  const auto& siblings = FParent ? FParent->FChildren : FOwner->FRoots;
  Integer i = Index() - 1;
  return i >= 0 ? siblings[i] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const
{
  if (!FChildren.empty())
    return FChildren.front();
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* s = n->GetNextSibling())
      return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrev() const
{
  TTreeNode* prev = GetPrevSibling();
  if (!prev)
    return FParent;
  while (!prev->FChildren.empty())
    prev = prev->FChildren.back();
  return prev;
}

TTreeNode* TTreeNode::GetNextVisible() const
{
  if (FExpanded && !FChildren.empty())
    return FChildren.front();
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (TTreeNode* s = n->GetNextSibling())
      return s;
  return nullptr;
}

TTreeNode* TTreeNode::GetPrevVisible() const
{
  TTreeNode* prev = GetPrevSibling();
  if (!prev)
    return FParent;
  while (prev->FExpanded && !prev->FChildren.empty())
    prev = prev->FChildren.back();
  return prev;
}

bool TTreeNode::IsVisible() const
{
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->FExpanded)
      return false;
  return true;
}

bool TTreeNode::HasAsParent(const TTreeNode* Value) const
{
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (p == Value)
      return true;
  return false;
}

void TTreeNode::SetExpanded(bool Value)
{
  if (Value)
    Expand(false);
  else
    Collapse(false);
}

void TTreeNode::Expand(bool Recurse)
{
  TCustomTreeView* tree = TreeView();
  if (!FExpanded && HasChildren()) {
    if (tree && !tree->CanExpand(this))
      return;
    FExpanded = !FChildren.empty() || FHasChildren;
    FOwner->Changed();
    if (tree && tree->OnExpanded)
      tree->OnExpanded(tree, this);
  }
  if (Recurse)
    for (TTreeNode* child : std::vector<TTreeNode*>(FChildren))
      child->Expand(true);
}

void TTreeNode::Collapse(bool Recurse)
{
  TCustomTreeView* tree = TreeView();
  if (FExpanded) {
    if (tree && !tree->CanCollapse(this))
      return;
    FExpanded = false;
    // A selection inside the collapsed part moves up to this node.
    if (tree && tree->FSelected && tree->FSelected->HasAsParent(this))
      tree->SetSelected(this);
    FOwner->Changed();
    if (tree && tree->OnCollapsed)
      tree->OnCollapsed(tree, this);
  }
  if (Recurse)
    for (TTreeNode* child : FChildren)
      child->Collapse(true);
}

bool TTreeNode::Selected() const
{
  TCustomTreeView* tree = TreeView();
  return tree && tree->FSelected == this;
}

void TTreeNode::SetSelected(bool Value)
{
  if (TCustomTreeView* tree = TreeView()) {
    if (Value)
      tree->SetSelected(this);
    else if (tree->FSelected == this)
      tree->SetSelected(nullptr);
  }
}

void TTreeNode::MakeVisible()
{
  for (TTreeNode* p = FParent; p; p = p->FParent)
    if (!p->FExpanded)
      p->Expand(false);
  TCustomTreeView* tree = TreeView();
  if (!tree)
    return;
  Integer row = tree->RowOf(this);
  if (row < 0)
    return;
  Integer rows = std::max<Integer>(tree->VisibleRows(), 1);
  if (row < tree->FTopRow)
    tree->ScrollTo(row);
  else if (row >= tree->FTopRow + rows)
    tree->ScrollTo(row - rows + 1);
}

bool TTreeNode::EditText()
{
  TCustomTreeView* tree = TreeView();
  if (!tree || !tree->CanEdit(this))
    return false;
  tree->StartEdit(this);
  return tree->IsEditing();
}

void TTreeNode::EndEdit(bool Cancel)
{
  TCustomTreeView* tree = TreeView();
  if (tree && tree->FEditNode == this)
    tree->FinishEdit(Cancel);
}

void TTreeNode::Delete()
{
  FOwner->Delete(this);
}

// ---- TTreeNodes ----

TTreeNodes::~TTreeNodes()
{
  for (TTreeNode* n : FRoots)
    delete n;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* Parent, Integer Index, const AnsiString& S, void* Ptr)
{
  auto& siblings = SiblingsOf(Parent);
  TTreeNode* node = new TTreeNode(this);
  node->FParent = Parent;
  node->FText = S;
  node->FData = Ptr;
  Index = std::clamp<Integer>(Index, 0, static_cast<Integer>(siblings.size()));
  siblings.insert(siblings.begin() + Index, node);
  Changed();
  return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const AnsiString& S)
{
  return AddObject(Sibling, S, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const AnsiString& S, void* Ptr)
{
  TTreeNode* parent = Sibling ? Sibling->FParent : nullptr;
  return InsertAt(parent, static_cast<Integer>(SiblingsOf(parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const AnsiString& S)
{
  if (!Sibling)
    return Add(nullptr, S);
  return InsertAt(Sibling->FParent, Sibling->Index(), S, nullptr);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const AnsiString& S)
{
  return AddChildObject(Parent, S, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const AnsiString& S, void* Ptr)
{
  return InsertAt(Parent, static_cast<Integer>(SiblingsOf(Parent).size()), S, Ptr);
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* Parent, const AnsiString& S)
{
  return InsertAt(Parent, 0, S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node)
{
  if (!Node)
    return;
  if (FOwner)
    FOwner->NodeDeleting(Node);
  auto& siblings = SiblingsOf(Node->FParent);
  siblings.erase(std::remove(siblings.begin(), siblings.end(), Node), siblings.end());
  delete Node;
  Changed();
}

void TTreeNodes::Clear()
{
  BeginUpdate();
  while (!FRoots.empty())
    Delete(FRoots.back());
  EndUpdate();
}

void TTreeNodes::BeginUpdate()
{
  ++FUpdateCount;
}

void TTreeNodes::EndUpdate()
{
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    Changed();
}

void TTreeNodes::Changed()
{
  if (FUpdateCount == 0 && FOwner)
    FOwner->NodesChanged();
}

Integer TTreeNodes::Count() const
{
  Integer n = 0;
  for (TTreeNode* p = GetFirstNode(); p; p = p->GetNext())
    ++n;
  return n;
}

TTreeNode* TTreeNodes::Item(Integer Index) const
{
  Integer i = 0;
  for (TTreeNode* p = GetFirstNode(); p; p = p->GetNext(), ++i)
    if (i == Index)
      return p;
  throw EListError("Tree node index out of bounds (" + std::to_string(Index) + ")");
}

// ---- TCustomTreeView ----

TCustomTreeView::TCustomTreeView(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TTreeNodes>(this))
{
  FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csClickEvents};
  FWidth = 121;
  FHeight = 97;
  FTabStop = true;
  FColor = clWindow;
  FParentColor = false;
}

TCustomTreeView::~TCustomTreeView()
{
  FEditNode = nullptr;
  FEditor = nullptr; // a child: freed with the other controls
  FSelected = nullptr;
  FItems.reset();
}

void TCustomTreeView::CreateParams(TCreateParams& Params)
{
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_VSCROLL | WS_HSCROLL;
  if (FBorderStyle == bsSingle)
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages)
    FImages = nullptr;
}

void TCustomTreeView::SetImages(TCustomImageList* Value)
{
  if (FImages)
    FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages)
    FImages->FreeNotification(this);
  Invalidate();
}

void TCustomTreeView::SetShowRoot(bool Value)
{
  FShowRoot = Value;
  Invalidate();
}

void TCustomTreeView::SetShowLines(bool Value)
{
  FShowLines = Value;
  Invalidate();
}

void TCustomTreeView::SetShowButtons(bool Value)
{
  FShowButtons = Value;
  Invalidate();
}

void TCustomTreeView::SetRowSelect(bool Value)
{
  FRowSelect = Value;
  Invalidate();
}

void TCustomTreeView::SetHideSelection(bool Value)
{
  FHideSelection = Value;
  Invalidate();
}

void TCustomTreeView::SetIndent(Integer Value)
{
  FIndent = std::max<Integer>(Value, 1);
  Invalidate();
}

void TCustomTreeView::SetBorderStyle(TBorderStyle Value)
{
  if (Value == FBorderStyle)
    return;
  FBorderStyle = Value;
  if (HandleAllocated())
    RecreateWnd();
}

Integer TCustomTreeView::ItemHeight()
{
  Canvas()->SetFont(Font());
  Integer h = Canvas()->TextHeight("国") + 4;
  if (FImages)
    h = std::max<Integer>(h, FImages->Height() + 2);
  return h;
}

std::vector<TTreeNode*> TCustomTreeView::VisibleNodes() const
{
  std::vector<TTreeNode*> out;
  for (TTreeNode* n = FItems ? FItems->GetFirstNode() : nullptr; n; n = n->GetNextVisible())
    out.push_back(n);
  return out;
}

Integer TCustomTreeView::RowOf(const TTreeNode* Node) const
{
  Integer row = 0;
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNextVisible(), ++row)
    if (n == Node)
      return row;
  return -1;
}

Integer TCustomTreeView::VisibleRows()
{
  return ClientHeight() / std::max<Integer>(ItemHeight(), 1);
}

TTreeNode* TCustomTreeView::TopItem() const
{
  std::vector<TTreeNode*> nodes = VisibleNodes();
  return FTopRow < static_cast<Integer>(nodes.size()) ? nodes[FTopRow] : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* Value)
{
  if (!Value)
    return;
  Value->MakeVisible();
  Integer row = RowOf(Value);
  if (row >= 0)
    ScrollTo(row);
}

void TCustomTreeView::ScrollTo(Integer Row)
{
  Integer count = static_cast<Integer>(VisibleNodes().size());
  Integer maxTop = std::max<Integer>(count - VisibleRows(), 0);
  Row = std::clamp<Integer>(Row, 0, maxTop);
  if (Row == FTopRow)
    return;
  FTopRow = Row;
  if (FEditNode)
    FinishEdit(false);
  UpdateScrollBars();
  Invalidate();
}

void TCustomTreeView::UpdateScrollBars()
{
  if (!HandleAllocated())
    return;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = std::max<Integer>(static_cast<Integer>(VisibleNodes().size()) - 1, 0);
  si.nPage = static_cast<UINT>(std::max<Integer>(VisibleRows(), 1));
  si.nPos = FTopRow;
  SetScrollInfo(Handle(), SB_VERT, si, true);
  SCROLLINFO h;
  h.fMask = SIF_ALL;
  h.nMin = 0;
  h.nMax = 0;
  h.nPage = 1;
  h.nPos = 0;
  SetScrollInfo(Handle(), SB_HORZ, h, true);
}

void TCustomTreeView::NodesChanged()
{
  if (!HandleAllocated())
    return;
  Integer count = static_cast<Integer>(VisibleNodes().size());
  FTopRow = std::clamp<Integer>(FTopRow, 0, std::max<Integer>(count - VisibleRows(), 0));
  UpdateScrollBars();
  Invalidate();
}

void TCustomTreeView::NodeDeleting(TTreeNode* Node)
{
  if (FEditNode && (FEditNode == Node || FEditNode->HasAsParent(Node)))
    FinishEdit(true);
  // Deletion is told for the children first, then the node.
  for (TTreeNode* n = Node->GetFirstChild(); n; n = n->GetNextSibling())
    NodeDeleting(n);
  if (OnDeletion)
    OnDeletion(this, Node);
  if (FSelected && (FSelected == Node || FSelected->HasAsParent(Node))) {
    // The selection goes to the next sibling, else the previous one, else the parent.
    TTreeNode* next = Node->GetNextSibling();
    if (!next)
      next = Node->GetPrevSibling();
    if (!next)
      next = Node->Parent();
    FSelected = next;
    Change(next);
  }
}

void TCustomTreeView::FullExpand()
{
  FItems->BeginUpdate();
  for (TTreeNode* n : std::vector<TTreeNode*>(FItems->Roots()))
    n->Expand(true);
  FItems->EndUpdate();
}

void TCustomTreeView::FullCollapse()
{
  FItems->BeginUpdate();
  for (TTreeNode* n : FItems->Roots())
    n->Collapse(true);
  FItems->EndUpdate();
}

bool TCustomTreeView::CanChange(TTreeNode* Node)
{
  bool allow = true;
  if (OnChanging)
    OnChanging(this, Node, allow);
  return allow;
}

void TCustomTreeView::Change(TTreeNode* Node)
{
  if (OnChange)
    OnChange(this, Node);
}

bool TCustomTreeView::CanExpand(TTreeNode* Node)
{
  bool allow = true;
  if (OnExpanding)
    OnExpanding(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanCollapse(TTreeNode* Node)
{
  bool allow = true;
  if (OnCollapsing)
    OnCollapsing(this, Node, allow);
  return allow;
}

bool TCustomTreeView::CanEdit(TTreeNode* Node)
{
  bool allow = !FReadOnly;
  if (allow && OnEditing)
    OnEditing(this, Node, allow);
  return allow;
}

void TCustomTreeView::Edit(TTreeNode* Node, AnsiString& S)
{
  if (OnEdited)
    OnEdited(this, Node, S);
}

void TCustomTreeView::SetSelected(TTreeNode* Value)
{
  if (Value == FSelected)
    return;
  if (FEditNode)
    FinishEdit(false);
  if (!CanChange(Value))
    return;
  FSelected = Value;
  if (Value)
    Value->MakeVisible();
  Invalidate();
  Change(Value);
}

Integer TCustomTreeView::TextLeft(const TTreeNode* Node) const
{
  Integer level = Node->Level() + (FShowRoot ? 1 : 0);
  Integer x = 2 + level * FIndent;
  if (FImages)
    x += FImages->Width() + 2;
  return x;
}

TRect TCustomTreeView::TextRect(TTreeNode* Node, Integer Row)
{
  Integer h = ItemHeight();
  Integer top = (Row - FTopRow) * h;
  Canvas()->SetFont(Font());
  if (Node->Bold())
    Canvas()->Font()->SetStyle(TFontStyles{fsBold});
  Integer w = Canvas()->TextWidth(Node->Text()) + 4;
  Integer left = TextLeft(Node);
  return TRect(left, top, left + w, top + h);
}

TTreeNode* TCustomTreeView::GetNodeAt(Integer X, Integer Y)
{
  if (Y < 0)
    return nullptr;
  Integer row = FTopRow + Y / std::max<Integer>(ItemHeight(), 1);
  std::vector<TTreeNode*> nodes = VisibleNodes();
  return row < static_cast<Integer>(nodes.size()) ? nodes[row] : nullptr;
}

void TCustomTreeView::Paint()
{
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FColor);
  c->FillRect(client);
  Integer h = ItemHeight();
  std::vector<TTreeNode*> nodes = VisibleNodes();
  bool focused = Focused();
  for (Integer row = FTopRow; row < static_cast<Integer>(nodes.size()); ++row) {
    Integer top = (row - FTopRow) * h;
    if (top >= client.Bottom)
      break;
    TTreeNode* n = nodes[row];
    Integer level = n->Level() + (FShowRoot ? 1 : 0);
    Integer mid = top + h / 2;
    // Lines: from the node's slot to its text, and down the ancestors that go on.
    if (FShowLines && level > 0) {
      c->Pen()->SetColor(clGrayText);
      c->Pen()->SetStyle(psDot);
      Integer slot = 2 + (level - 1) * FIndent + FIndent / 2;
      c->MoveTo(slot, mid);
      c->LineTo(2 + level * FIndent, mid);
      c->MoveTo(slot, n->GetPrevSibling() || n->Parent() ? top : mid);
      c->LineTo(slot, n->GetNextSibling() ? top + h : mid + 1);
      Integer l = level - 1;
      for (TTreeNode* p = n->Parent(); p && l > 0; p = p->Parent(), --l) {
        if (!p->GetNextSibling() || (!FShowRoot && !p->Parent()))
          continue;
        Integer x = 2 + (l - 1) * FIndent + FIndent / 2;
        c->MoveTo(x, top);
        c->LineTo(x, top + h);
      }
      c->Pen()->SetStyle(psSolid);
    }
    if (FShowButtons && n->HasChildren() && level > 0)
      PaintExpandButton(c, {2 + (level - 1) * FIndent + FIndent / 2, mid}, n->Expanded());
    Integer x = 2 + level * FIndent;
    if (FImages) {
      Integer index =
          n == FSelected && n->SelectedIndex() >= 0 ? n->SelectedIndex() : n->ImageIndex();
      if (index >= 0 && index < FImages->Count())
        FImages->Draw(c, x, top + (h - FImages->Height()) / 2, index, FEnabled);
    }
    TRect text = TextRect(n, row);
    bool selected = n == FSelected && (focused || !FHideSelection);
    TRect back = FRowSelect ? TRect(0, top, client.Right, top + h) : text;
    if (selected) {
      c->Brush()->SetColor(focused ? clHighlight : clBtnFace);
      c->FillRect(back);
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(!FEnabled             ? clGrayText
                        : selected && focused ? clHighlightText
                                              : Font()->Color());
    c->TextOut(text.Left + 2, text.Top + 2, n->Text());
    c->Brush()->SetStyle(bsSolid);
    c->Font()->SetStyle(TFontStyles());
    if (n == FSelected && focused) {
      c->Brush()->SetColor(FColor);
      c->DrawFocusRect(back);
    }
  }
}

void TCustomTreeView::KeyDown(Word& Key, TShiftState Shift)
{
  TDestroyWatch watch(this);
  TCustomControl::KeyDown(Key, Shift);
  if (watch.Destroyed() || Key == 0)
    return;
  TTreeNode* sel = FSelected;
  std::vector<TTreeNode*> nodes = VisibleNodes();
  if (nodes.empty())
    return;
  Integer row = sel ? RowOf(sel) : -1;
  Integer page = std::max<Integer>(VisibleRows() - 1, 1);
  auto go = [&](Integer r) {
    r = std::clamp<Integer>(r, 0, static_cast<Integer>(nodes.size()) - 1);
    SetSelected(nodes[r]);
  };
  switch (Key) {
  case VK_UP:
    go(row < 0 ? 0 : row - 1);
    break;
  case VK_DOWN:
    go(row + 1);
    break;
  case VK_PRIOR:
    go(row - page);
    break;
  case VK_NEXT:
    go(row + page);
    break;
  case VK_HOME:
    go(0);
    break;
  case VK_END:
    go(static_cast<Integer>(nodes.size()) - 1);
    break;
  case VK_LEFT:
    if (sel && sel->Expanded())
      sel->Collapse(false);
    else if (sel && sel->Parent())
      SetSelected(sel->Parent());
    break;
  case VK_RIGHT:
    if (sel && sel->HasChildren() && !sel->Expanded())
      sel->Expand(false);
    else if (sel && sel->GetFirstChild())
      SetSelected(sel->GetFirstChild());
    break;
  case VK_ADD:
    if (sel)
      sel->Expand(false);
    break;
  case VK_SUBTRACT:
    if (sel)
      sel->Collapse(false);
    break;
  case VK_MULTIPLY:
    if (sel)
      sel->Expand(true);
    break;
  case VK_F2:
    if (sel)
      sel->EditText();
    break;
  default:
    return;
  }
  Key = 0;
}

void TCustomTreeView::KeyPress(char& Key)
{
  TCustomControl::KeyPress(Key);
  // Typing a character goes to the next visible node whose text starts with it.
  unsigned char ch = static_cast<unsigned char>(Key);
  if (Key == 0 || ch < 0x20 || ch >= 0x80)
    return;
  std::vector<TTreeNode*> nodes = VisibleNodes();
  Integer n = static_cast<Integer>(nodes.size());
  Integer start = FSelected ? RowOf(FSelected) : -1;
  for (Integer i = 1; i <= n; ++i) {
    TTreeNode* node = nodes[(start + i) % n];
    if (!node->Text().empty() &&
        std::toupper(static_cast<unsigned char>(node->Text()[0])) == std::toupper(ch)) {
      SetSelected(node);
      break;
    }
  }
  Key = 0;
}

void TCustomTreeView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TDestroyWatch watch(this);
  if (!Focused() && CanFocus()) {
    SetFocus();
    if (watch.Destroyed())
      return;
  }
  TTreeNode* n = GetNodeAt(X, Y);
  if (n && Button == mbLeft && !Shift.Contains(ssDouble)) {
    Integer level = n->Level() + (FShowRoot ? 1 : 0);
    Integer slot = 2 + (level - 1) * FIndent;
    if (FShowButtons && n->HasChildren() && level > 0 && X >= slot && X < slot + FIndent) {
      n->SetExpanded(!n->Expanded());
    } else if (FRowSelect || X >= TextLeft(n) - (FImages ? FImages->Width() + 2 : 0)) {
      SetSelected(n);
    }
    if (watch.Destroyed())
      return;
  } else if (n && Button == mbRight) {
    SetSelected(n);
    if (watch.Destroyed())
      return;
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomTreeView::DblClick()
{
  TDestroyWatch watch(this);
  TCustomControl::DblClick();
  if (watch.Destroyed())
    return;
  TPoint p = ScreenToClient(Mouse()->CursorPos());
  TTreeNode* n = GetNodeAt(p.X, p.Y);
  if (n && n == FSelected && n->HasChildren())
    n->SetExpanded(!n->Expanded());
}

bool TCustomTreeView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
    return true;
  ScrollTo(FTopRow - WheelDelta / 120 * 3);
  return true;
}

void TCustomTreeView::Dispatch(TMessage& Message)
{
  switch (Message.Msg) {
  case WM_GETDLGCODE:
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return;
  case WM_VSCROLL:
    if (Message.LParam == 0) {
      Integer rows = std::max<Integer>(VisibleRows() - 1, 1);
      switch (LOWORD(Message.WParam)) {
      case SB_LINEUP:
        ScrollTo(FTopRow - 1);
        break;
      case SB_LINEDOWN:
        ScrollTo(FTopRow + 1);
        break;
      case SB_PAGEUP:
        ScrollTo(FTopRow - rows);
        break;
      case SB_PAGEDOWN:
        ScrollTo(FTopRow + rows);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: {
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), SB_VERT, si);
        ScrollTo(si.nTrackPos);
        break;
      }
      case SB_TOP:
        ScrollTo(0);
        break;
      case SB_BOTTOM:
        ScrollTo(1 << 30);
        break;
      }
      return;
    }
    break;
  case WM_SIZE:
    TCustomControl::Dispatch(Message);
    NodesChanged();
    return;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    Invalidate();
    break;
  case CM_FONTCHANGED:
    TCustomControl::Dispatch(Message);
    NodesChanged();
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---- Editing a node's text ----

namespace {

// The editor over a node's text: Enter ends the edit, Esc gives it up, leaving ends it.
class TTreeEdit : public TEdit {
public:
  TTreeEdit(TComponent* AOwner, std::function<void(bool)> Finish)
      : TEdit(AOwner), FFinish(std::move(Finish))
  {
  }

protected:
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    if (Key == VK_RETURN || Key == VK_ESCAPE) {
      bool cancel = Key == VK_ESCAPE;
      Key = 0;
      FFinish(cancel);
      return;
    }
    TEdit::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override
  {
    if (Key == '\r' || Key == 27) {
      Key = 0;
      return;
    }
    TEdit::KeyPress(Key);
  }
  void Dispatch(TMessage& Message) override
  {
    if (Message.Msg == WM_GETDLGCODE) {
      Message.Result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return;
    }
    if (Message.Msg == WM_KILLFOCUS) {
      TEdit::Dispatch(Message);
      FFinish(false);
      return;
    }
    TEdit::Dispatch(Message);
  }

private:
  std::function<void(bool)> FFinish;
};

} // namespace

void TCustomTreeView::StartEdit(TTreeNode* Node)
{
  if (FEditNode)
    FinishEdit(false);
  if (!HandleAllocated())
    return;
  Node->MakeVisible();
  Integer row = RowOf(Node);
  if (row < 0)
    return;
  TRect r = TextRect(Node, row);
  r.Right = std::max<Integer>(r.Right + 20, r.Left + 60);
  r.Right = std::min<Integer>(r.Right, ClientWidth());
  if (!FEditor) {
    FEditor = new TTreeEdit(this, [this](bool cancel) { FinishEdit(cancel); });
    FEditor->SetVisible(false);
    FEditor->SetParent(this);
  }
  FEditNode = Node;
  FEditor->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FEditor->SetText(Node->Text());
  FEditor->SetVisible(true);
  FEditor->SelectAll();
  FEditor->SetFocus();
}

void TCustomTreeView::FinishEdit(bool Cancel)
{
  if (!FEditNode || FEnding)
    return;
  FEnding = true;
  TTreeNode* node = FEditNode;
  AnsiString text = FEditor->Text();
  bool hadFocus = FEditor->Focused();
  FEditNode = nullptr;
  TDestroyWatch watch(this);
  struct TDone {
    TCustomTreeView* Self;
    TDestroyWatch& Watch;
    ~TDone()
    {
      if (!Watch.Destroyed())
        Self->FEnding = false;
    }
  } done{this, watch};
  if (hadFocus && CanFocus())
    SetFocus();
  if (watch.Destroyed())
    return;
  FEditor->SetVisible(false);
  if (Cancel)
    return;
  Edit(node, text);
  if (!watch.Destroyed())
    node->SetText(text);
}
