// Multi-level titles (the title tree built from "|"-separated captions, its heights and the
// bands of upper titles) and footers (binding to the grid's sum list and the footer cell
// texts) (DBGridEh.h describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsLead(char C)
{
  return static_cast<unsigned char>(C) >= 0x81;
}

// 0-based start and length of every word of a "|" path.
std::vector<std::pair<std::size_t, std::size_t>> Words(const AnsiString& Text)
{
  std::vector<std::pair<std::size_t, std::size_t>> words;
  std::size_t i = 0, n = Text.size();
  while (i < n) {
    while (i < n && Text[i] == '|')
      ++i;
    if (i >= n)
      break;
    std::size_t start = i;
    while (i < n && Text[i] != '|')
      i += IsLead(Text[i]) && i + 1 < n ? 2 : 1;
    words.push_back({start, i - start});
  }
  return words;
}

} // namespace

Integer NthWordPosition(Integer N, const AnsiString& AText)
{
  auto words = Words(AText);
  if (N < 1 || N > static_cast<Integer>(words.size()))
    return 0;
  return static_cast<Integer>(words[static_cast<std::size_t>(N - 1)].first) + 1;
}

AnsiString NthWord(Integer N, const AnsiString& AText)
{
  auto words = Words(AText);
  if (N < 1 || N > static_cast<Integer>(words.size()))
    return AnsiString();
  auto w = words[static_cast<std::size_t>(N - 1)];
  return AText.substr(w.first, w.second);
}

// ---- THeadTreeNode ----

THeadTreeNode::THeadTreeNode()
{
  NextSibling = this;
}

THeadTreeNode::THeadTreeNode(const AnsiString& ACaption, Integer AWidth, Integer AHeight)
    : NodeHeight(AHeight), Caption(ACaption), NodeWidth(AWidth)
{
  NextSibling = this;
}

THeadTreeNode::~THeadTreeNode()
{
  if (!ParentNode)
    FreeChildren();
}

std::vector<THeadTreeNode*> THeadTreeNode::Children() const
{
  std::vector<THeadTreeNode*> out;
  if (!FirstChild)
    return out;
  THeadTreeNode* n = FirstChild;
  do {
    out.push_back(n);
    n = n->NextSibling;
  } while (n != FirstChild && n);
  return out;
}

void THeadTreeNode::FreeChildren()
{
  for (THeadTreeNode* c : Children()) {
    c->FreeChildren();
    delete c;
  }
  FirstChild = nullptr;
}

bool THeadTreeNode::Contains(THeadTreeNode* ANode) const
{
  if (ANode == this)
    return true;
  for (THeadTreeNode* c : Children())
    if (c->Contains(ANode))
      return true;
  return false;
}

Integer THeadTreeNode::Depth() const
{
  Integer d = 0;
  for (const THeadTreeNode* n = ParentNode; n; n = n->ParentNode)
    ++d;
  return d;
}

THeadTreeNode* THeadTreeNode::InsertAfter(THeadTreeNode* AAfter, const AnsiString& ACaption,
                                          Integer AWidth, Integer AHeight)
{
  if (!AAfter || !Contains(AAfter))
    throw Exception(SNodeNotInTree);
  auto* n = new THeadTreeNode(ACaption, AWidth, AHeight);
  n->ParentNode = AAfter->ParentNode;
  n->NextSibling = AAfter->NextSibling;
  AAfter->NextSibling = n;
  return n;
}

THeadTreeNode* THeadTreeNode::AppendChild(THeadTreeNode* ANode, const AnsiString& ACaption,
                                          Integer AWidth, Integer AHeight)
{
  if (!ANode || !Contains(ANode))
    throw Exception(SNodeNotInTree);
  auto* n = new THeadTreeNode(ACaption, AWidth, AHeight);
  n->ParentNode = ANode;
  if (!ANode->FirstChild) {
    ANode->FirstChild = n;
    n->NextSibling = n;
  } else {
    THeadTreeNode* last = ANode->Children().back();
    last->NextSibling = n;
    n->NextSibling = ANode->FirstChild;
  }
  return n;
}

THeadTreeNode* THeadTreeNode::GroupSiblings(THeadTreeNode* AFrom, THeadTreeNode* ATo,
                                            Integer AHeight, const AnsiString& ACaption)
{
  if (!AFrom || !Contains(AFrom))
    throw Exception(SNodeNotInTree);
  THeadTreeNode* parent = AFrom->ParentNode;
  std::vector<THeadTreeNode*> ring = parent->Children();
  auto from = std::find(ring.begin(), ring.end(), AFrom);
  auto to = std::find(from, ring.end(), ATo);
  if (to == ring.end())
    throw Exception(SAToNotInLevel);
  auto* group = new THeadTreeNode(ACaption, 0, AHeight);
  group->ParentNode = parent;
  group->LineWidth = ATo->LineWidth;
  // The group takes the run's place in the parent's ring.
  THeadTreeNode* before = from == ring.begin() ? ring.back() : *(from - 1);
  group->NextSibling = ATo->NextSibling == AFrom ? group : ATo->NextSibling;
  if (before != ATo)
    before->NextSibling = group;
  if (parent->FirstChild == AFrom)
    parent->FirstChild = group;
  group->FirstChild = AFrom;
  Integer width = 0;
  for (auto it = from; it <= to; ++it) {
    (*it)->NodeHeight -= AHeight;
    (*it)->ParentNode = group;
    width += (*it)->NodeWidth + group->LineWidth;
  }
  ATo->NextSibling = AFrom;
  group->NodeWidth = group->LineWidth >= 1 ? width - group->LineWidth : width;
  return group;
}

void THeadTreeNode::ForEachNode(const std::function<void(THeadTreeNode*)>& AProc)
{
  for (THeadTreeNode* c : Children()) {
    AProc(c);
    c->ForEachNode(AProc);
  }
}

void THeadTreeNode::BuildFromColumns(TCustomDBGridEh* AGrid)
{
  FreeChildren();
  TDBGridColumnsEh* columns = AGrid->Columns();
  bool lines = AGrid->Options().Contains(dgColLines);
  std::vector<THeadTreeNode*> leaves;
  for (Integer i = 0; i < columns->Count(); ++i) {
    TColumnEh* c = columns->Items(i);
    Integer w = c->Visible() ? c->Width() : (lines ? -1 : 0);
    THeadTreeNode* leaf = AppendChild(this, c->Title()->Caption(), w, AGrid->RowHeights(0));
    leaf->GridColumn = c;
    leaf->MarkerIndent = c->Title()->SortMarker() != smNoneEh ? 16 : 0;
    leaf->LineWidth = lines ? 1 : 0;
    leaves.push_back(leaf);
  }
  AGrid->FLeaves = leaves;
  // Runs of neighbouring leaves of one parent whose captions start with the same word go
  // under an upper title with that word; each caption loses its own first word.
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t i = 0; i < leaves.size() && !changed; ++i) {
      THeadTreeNode* first = leaves[i];
      if (NthWordPosition(2, first->Caption) == 0)
        continue;
      AnsiString word = NthWord(1, first->Caption);
      std::size_t j = i;
      while (j + 1 < leaves.size() && leaves[j + 1]->ParentNode == first->ParentNode &&
             NthWordPosition(2, leaves[j + 1]->Caption) != 0 &&
             NthWord(1, leaves[j + 1]->Caption) == word)
        ++j;
      for (std::size_t k = i; k <= j; ++k) {
        Integer p = NthWordPosition(2, leaves[k]->Caption);
        leaves[k]->Caption.erase(0, static_cast<std::size_t>(p - 1));
      }
      GroupSiblings(leaves[i], leaves[j], 20, word);
      changed = true;
    }
  }
}

// ---- The grid's title tree ----

THeadTreeNode* TCustomDBGridEh::LeafOf(Integer DataCol) const
{
  if (DataCol < 0 || DataCol >= static_cast<Integer>(FLeaves.size()))
    return nullptr;
  return FLeaves[static_cast<std::size_t>(DataCol)];
}

Integer TCustomDBGridEh::MultiTitleHeight(THeadTreeNode* Node)
{
  std::vector<THeadTreeNode*> children = Node->Children();
  if (children.empty())
    return 0;
  TCanvas* canvas = Canvas();
  TFont saved;
  saved.Assign(canvas->Font());
  TScopeExit restore([&] { canvas->Font()->Assign(&saved); });
  Integer height = 0;
  std::vector<Integer> subtree(children.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    THeadTreeNode* c = children[i];
    canvas->Font()->Assign(c->GridColumn ? c->GridColumn->Title()->Font() : FTitleFont.get());
    AnsiString text = c->Caption.empty() ? AnsiString(" ") : c->Caption;
    Integer own;
    if (c->GridColumn && c->GridColumn->Title()->Orientation() == tohVertical)
      own = DrawVerticalCellText(canvas, TRect(), false, 0, 0, text, taLeftJustify, tlTop, false,
                                 true) +
            6;
    else {
      Integer textHeight = 0;
      if (c->NodeWidth > 0) {
        TRect r(0, 0, std::max<Integer>(c->NodeWidth - c->MarkerIndent - 4, 1), 0);
        textHeight = canvas->DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      }
      own = textHeight + FTitleTextSpacing;
    }
    subtree[i] = MultiTitleHeight(c);
    height = std::max(height, own + subtree[i]);
  }
  for (std::size_t i = 0; i < children.size(); ++i)
    children[i]->NodeHeight = children[i]->FirstChild ? height - subtree[i] : height;
  Node->NodeHeight = height;
  return height;
}

void TCustomDBGridEh::DrawTitleBands(Integer DataCol, const TRect& ARect)
{
  THeadTreeNode* leaf = LeafOf(DataCol);
  if (!leaf || !leaf->ParentNode || leaf->ParentNode == FTitleRoot.get())
    return;
  TCanvas* canvas = Canvas();
  Integer line = FOptions.Contains(dgRowLines) ? 1 : 0;
  Integer colLine = FOptions.Contains(dgColLines) ? 1 : 0;
  // The leaf's own area is at the bottom; each upper title is a band above the one below.
  Integer bottom = ARect.Bottom - leaf->NodeHeight + 3;
  THeadTreeNode* node = leaf;
  while (node->ParentNode && node->ParentNode != FTitleRoot.get()) {
    THeadTreeNode* group = node->ParentNode;
    std::vector<THeadTreeNode*> siblings = group->Children();
    Integer before = 0;
    for (THeadTreeNode* s : siblings) {
      if (s == node)
        break;
      before += std::max<Integer>(s->NodeWidth, 0) + colLine;
    }
    bool firstColumn = node == siblings.front();
    bool lastColumn = node == siblings.back();
    Integer bandBottom = bottom - line;
    Integer bandTop = std::max<Integer>(ARect.Top, bandBottom - group->NodeHeight);
    TRect full(ARect.Left - before, bandTop, ARect.Left - before + group->NodeWidth, bandBottom);
    TRect slice(ARect.Left, bandTop, ARect.Right + (lastColumn ? 0 : colLine), bandBottom);
    {
      TRegion savedClip;
      bool hadClip = canvas->GetClipRegion(savedClip);
      TScopeExit restoreClip([&] { canvas->SelectClipRegion(hadClip ? &savedClip : nullptr); });
      canvas->IntersectClipRect(slice);
      canvas->Font()->Assign(FTitleFont.get());
      canvas->Brush()->SetColor(FixedColor());
      canvas->FillRect(slice);
      DrawCellText(canvas, full, false, 2, 2, group->Caption, taCenter, tlCenter, true, false, 0, 0,
                   false);
      if (FExtOptions.Contains(dgxFixed3DEh)) {
        TRect edge = full;
        DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_RECT);
      }
    }
    (void)firstColumn;
    if (line) {
      canvas->Pen()->SetColor(FFlat ? clGray : clBlack);
      canvas->MoveTo(slice.Left, bandBottom);
      canvas->LineTo(slice.Right, bandBottom);
    }
    group->Painted = true;
    bottom = bandTop;
    node = group;
  }
}

// ---- Footers and sums ----

TDBGridEhSumList::TDBGridEhSumList(TCustomDBGridEh* Grid) : TDBSumListProducer(Grid)
{
  SetDesignTimeWork(true);
  SetActive(false);
}

void TColumnFooterEh::EnsureSumValue()
{
  TCustomDBGridEh* g = Grid();
  if (!g || !g->SumList())
    return;
  bool aggregate = FValueType == fvtSum || FValueType == fvtAvg || FValueType == fvtCount;
  if (!aggregate) {
    delete FSum;
    FSum = nullptr;
    return;
  }
  TDBSumCollection* sums = g->SumList()->SumCollection();
  TUpdateScope<TDBSumCollection> update(sums);
  if (!FSum)
    FSum = sums->Add();
  if (FValueType == fvtCount) {
    FSum->SetGroupOperation(goCount);
    FSum->SetFieldName(AnsiString());
  } else {
    FSum->SetGroupOperation(FValueType == fvtSum ? goSum : goAvg);
    FSum->SetFieldName(FFieldName.empty() && FColumn ? FColumn->FieldName() : FFieldName);
  }
}

AnsiString TCustomDBGridEh::FooterCellText(Integer AFooterIndex, TColumnEh* AColumn)
{
  TColumnFooterEh* footer = AColumn->FooterAt(AFooterIndex);
  TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
  switch (footer->ValueType()) {
  case fvtSum:
  case fvtAvg: {
    AnsiString name = footer->FieldName().empty() ? AColumn->FieldName() : footer->FieldName();
    TField* f = ds ? ds->FindField(name) : nullptr;
    if (!f)
      return "0";
    TDBSum* sum = FSumList->SumCollection()->FindSum(footer->ValueType() == fvtSum ? goSum : goAvg,
                                                     f->FieldName());
    Currency value = sum ? sum->Total() : Currency();
    Extended x = value.ToDouble();
    AnsiString fieldFormat;
    if (auto* n = dynamic_cast<TNumericField*>(f))
      fieldFormat = n->DisplayFormat();
    switch (f->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
      if (!footer->DisplayFormat().empty())
        return FormatFloat(footer->DisplayFormat(), x);
      if (!fieldFormat.empty())
        return FormatFloat(fieldFormat, x);
      return IntToStr(static_cast<Int64>(std::nearbyint(x)));
    case ftFloat:
    case ftCurrency: {
      if (!footer->DisplayFormat().empty())
        return FormatFloat(footer->DisplayFormat(), x);
      if (!fieldFormat.empty())
        return FormatFloat(fieldFormat, x);
      auto* ff = dynamic_cast<TFloatField*>(f);
      bool currency = ff && ff->Currency();
      return FloatToStrF(x, currency ? ffCurrency : ffGeneral, ff ? ff->Precision() : 15,
                         currency ? FormatSettings.CurrencyDecimals : 0);
    }
    case ftBCD:
    case ftFMTBcd: {
      if (!footer->DisplayFormat().empty())
        return FormatFloat(footer->DisplayFormat(), x);
      if (!fieldFormat.empty())
        return FormatFloat(fieldFormat, x); // the value is exact to four decimals
      auto* bf = dynamic_cast<TBCDField*>(f);
      bool currency = bf && bf->Currency();
      return CurrToStrF(value, currency ? ffCurrency : ffGeneral,
                        currency ? FormatSettings.CurrencyDecimals : 0);
    }
    default:
      return "0";
    }
  }
  case fvtCount: {
    TDBSum* sum = FSumList->SumCollection()->FindSum(goCount, AnsiString());
    Extended x = sum ? sum->Total().ToDouble() : 0;
    if (!footer->DisplayFormat().empty())
      return FormatFloat(footer->DisplayFormat(), x);
    return FloatToStr(x);
  }
  case fvtFieldValue: {
    // An unknown field name shows nothing: a raise here would repeat on every repaint.
    if (!ds || !ds->Active() || footer->FieldName().empty())
      return AnsiString();
    TField* f = ds->FindField(footer->FieldName());
    return f ? TColumnEh::FormatFieldText(f, footer->DisplayFormat()) : AnsiString();
  }
  case fvtStaticText:
    return footer->Value();
  default:
    return AnsiString();
  }
}
