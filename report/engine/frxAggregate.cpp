// Accumulators of SUM, AVG, MIN, MAX and COUNT calls: how calls are found in footer text
// objects, what a row adds and when a total starts again. frxAggregate.h describes the list.
#include "report/engine/frxAggregate.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "report/engine/frxUtils.h"
#include "report/engine/frxVariables.h"

namespace {

constexpr Integer MaxColumn = 1000;
// Variables whose values name other variables are followed this deep at most.
constexpr Integer MaxScanDepth = 32;

bool IsSkipped(unsigned char c)
{
  if (c >= 128)
    return false;
  if (c >= 1 && c <= 32)
    return true;
  return AnsiString("!#$%&*+,-./0123456789=[]^|").find(static_cast<char>(c)) != AnsiString::npos;
}

bool EndsWord(unsigned char c)
{
  if (c >= 128)
    return false;
  if (c >= 1 && c <= 32)
    return true;
  return AnsiString("!#$%&(*+,-./=[]^|").find(static_cast<char>(c)) != AnsiString::npos;
}

// The position of the character closing the one at Pos (a '(' or '<'), quotes and nesting
// respected; the text's length when it is never closed.
size_t MatchingClose(const AnsiString& Text, size_t Pos)
{
  const char open = Text[Pos];
  const char close = open == '(' ? ')' : '>';
  Integer depth = 0;
  char quote = 0;
  for (size_t i = Pos; i < Text.size(); ++i) {
    const char c = Text[i];
    if (quote) {
      if (c == quote)
        quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == open) {
      ++depth;
    } else if (c == close && --depth == 0) {
      return i;
    }
  }
  return Text.size();
}

// The argument list between the parentheses split at commas outside single quotes and
// nested parentheses, into at most three arguments.
std::vector<AnsiString> SplitArguments(const AnsiString& Text)
{
  std::vector<AnsiString> args(1);
  Integer depth = 0;
  bool quoted = false;
  for (char c : Text) {
    if (c == '\'')
      quoted = !quoted;
    else if (!quoted && c == '(')
      ++depth;
    else if (!quoted && c == ')')
      --depth;
    if (c == ',' && !quoted && depth == 0 && args.size() < 3) {
      args.emplace_back();
      continue;
    }
    args.back() += c;
  }
  return args;
}

TfrxBand* BandOf(TfrxComponent* Obj)
{
  for (TfrxComponent* c = Obj ? Obj->Parent() : nullptr; c; c = c->Parent())
    if (auto* band = dynamic_cast<TfrxBand*>(c))
      return band;
  return nullptr;
}

} // namespace

// ---- Accumulators ----

void TfrxAggregateItem::Reset()
{
  Count = 0;
  Value = Null();
  ColumnValues.clear();
  ColumnCounts.clear();
}

void TfrxAggregateItem::Combine(Variant& Into, const Variant& V) const
{
  if (VarIsNull(Into)) {
    Into = V;
    return;
  }
  if (VarIsNull(V))
    return;
  switch (Kind) {
  case agMin:
    if (V < Into)
      Into = V;
    break;
  case agMax:
    if (V > Into)
      Into = V;
    break;
  default:
    Into = Into + V;
    break;
  }
}

Variant TfrxAggregateItem::Result() const
{
  const bool columns = !ColumnValues.empty();
  if (columns && (Column < 0 || Column > MaxColumn))
    throw ERangeError("Range check error");
  const Variant& value = columns ? ColumnValues[static_cast<size_t>(Column)] : Value;
  const Integer count = columns ? ColumnCounts[static_cast<size_t>(Column)] : Count;
  switch (Kind) {
  case agAvg:
    // Rows whose value was Null count too.
    return VarIsNull(value) ? value : value / Variant(count);
  case agCount:
    return Variant(count);
  default:
    return value;
  }
}

// ---- Finding the calls ----

struct TfrxAggregateList::TScan {
  TfrxAggregateList* List;
  TfrxCustomMemoView* Memo;
  TfrxBand* DefaultBand;
  TfrxBand* ResetBand;

  TfrxReport* Report() const { return List->FReport; }

  // A whole expression: a variable is followed into its value, a field reference ends it.
  void Expression(const AnsiString& Text, Integer Depth)
  {
    if (Depth > MaxScanDepth)
      return;
    if (FollowName(Trim(Text), Depth))
      return;
    Walk(Text, Depth);
  }

  // True when Name is a report variable (whose value was scanned) or a field reference.
  bool FollowName(const AnsiString& Name, Integer Depth)
  {
    const Integer index = Report()->Variables()->IndexOf(Name);
    if (index >= 0) {
      const Variant value = Report()->Variables()->Items(index)->Value();
      Expression(VarIsNull(value) ? AnsiString() : VarToStr(value), Depth + 1);
      return true;
    }
    TfrxDataSet* ds = nullptr;
    AnsiString field;
    Report()->SplitDataSetField(Name, ds, field);
    return ds && !field.empty();
  }

  void Walk(const AnsiString& Text, Integer Depth)
  {
    size_t i = 0;
    while (i < Text.size()) {
      const unsigned char c = static_cast<unsigned char>(Text[i]);
      if (IsSkipped(c)) {
        ++i;
      } else if (c == '\'' || c == '"') {
        const size_t close = Text.find(static_cast<char>(c), i + 1);
        i = close == AnsiString::npos ? Text.size() : close + 1;
      } else if (c == '(' || c == '<') {
        const size_t close = MatchingClose(Text, i);
        Walk(Text.substr(i + 1, close > i ? close - i - 1 : 0), Depth + 1);
        i = close + 1;
      } else {
        const size_t start = i;
        while (i < Text.size() && !EndsWord(static_cast<unsigned char>(Text[i])))
          ++i;
        const AnsiString word = Text.substr(start, i - start);
        const AnsiString upper = UpperCase(Trim(word));
        const bool aggregate = upper == "SUM" || upper == "MIN" || upper == "MAX" ||
                               upper == "AVG" || upper == "COUNT";
        if (!aggregate) {
          FollowName(Trim(word), Depth);
          if (i == start)
            ++i;
          continue;
        }
        if (i >= Text.size() || Text[i] != '(')
          continue;
        const size_t close = MatchingClose(Text, i);
        const AnsiString args = Text.substr(i + 1, close > i ? close - i - 1 : 0);
        const AnsiString call = Text.substr(start, std::min(close + 1, Text.size()) - start);
        Add(upper, SplitArguments(args), Trim(call));
        i = close + 1;
      }
    }
  }

  void Add(const AnsiString& Name, const std::vector<AnsiString>& Args, const AnsiString& Call)
  {
    auto item = std::make_unique<TfrxAggregateItem>();
    auto arg = [&Args](size_t Index) {
      return Index < Args.size() ? Trim(Args[Index]) : AnsiString();
    };
    item->Kind = Name == "SUM"   ? agSum
                 : Name == "AVG" ? agAvg
                 : Name == "MIN" ? agMin
                 : Name == "MAX" ? agMax
                                 : agCount;
    const size_t bandArg = item->Kind == agCount ? 0 : 1;
    if (item->Kind != agCount)
      item->Expression = arg(0);
    const AnsiString bandName = arg(bandArg);
    const AnsiString flagsText = arg(bandArg + 1);
    const Integer flags = flagsText.empty() ? 0 : StrToInt(flagsText);
    item->IncludeInvisible = (flags & 1) != 0;
    item->RunningTotal = (flags & 2) != 0;
    if (!bandName.empty())
      item->DataBand = dynamic_cast<TfrxBand*>(Report()->FindObject(bandName));
    if (!item->DataBand)
      item->DataBand = DefaultBand;
    item->ResetBand = ResetBand ? ResetBand : BandOf(Memo);
    item->PageFooter = dynamic_cast<TfrxPageFooter*>(item->ResetBand) != nullptr;
    item->ObjectName = Memo->Name();
    item->Text = Call;
    item->Reset();
    List->FItems.push_back(std::move(item));
  }
};

void TfrxAggregateList::CollectBand(TfrxBand* Source, TfrxBand* DefaultBand, TfrxBand* ResetBand)
{
  if (!Source)
    return;
  std::vector<TfrxComponent*> objects;
  TList* all = Source->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i)
    objects.push_back(static_cast<TfrxComponent*>(all->Items(i)));
  for (TfrxComponent* obj : objects) {
    auto* memo = dynamic_cast<TfrxCustomMemoView*>(obj);
    if (!memo || !memo->AllowExpressions())
      continue;
    const AnsiString& delimiters = memo->ExpressionDelimiters();
    const size_t comma = delimiters.find(',');
    const AnsiString open = delimiters.substr(0, comma);
    const AnsiString close =
        comma == AnsiString::npos ? AnsiString() : delimiters.substr(comma + 1);
    if (open.empty())
      continue;
    TScan scan{this, memo, DefaultBand, ResetBand};
    const AnsiString text = memo->Text();
    size_t from = 0;
    for (;;) {
      const size_t at = text.find(open, from);
      if (at == AnsiString::npos)
        break;
      AnsiString expr;
      Integer endPos = 0;
      Integer startPos = static_cast<Integer>(at) + 1;
      ExtractBracketed(text, open, close, expr, endPos, startPos);
      scan.Expression(expr, 0);
      from = std::max(static_cast<size_t>(endPos), at + 1);
    }
  }
}

// ---- Running ----

void TfrxAggregateList::Accumulate(TfrxBand* Band, Integer Column)
{
  for (auto& item : FItems) {
    if (item->DataBand != Band)
      continue;
    item->Column = Column;
    if (!Band->Visible() && !item->IncludeInvisible)
      continue;
    FReport->SetCurrentObjectName(item->ObjectName);
    Variant v = item->Kind == agCount ? Null() : FReport->Calc(item->Expression);
    bool flag = false;
    if (v.GetBoolean(flag) && flag)
      v = Variant(1);
    if (Column < 1) {
      if (item->Keeping) {
        ++item->KeepCount;
        item->Combine(item->KeepValue, v);
      } else {
        ++item->Count;
        item->Combine(item->Value, v);
      }
      continue;
    }
    if (Column > MaxColumn)
      throw ERangeError("Range check error");
    if (item->ColumnValues.empty()) {
      item->ColumnValues.assign(MaxColumn + 1, Null());
      item->ColumnCounts.assign(MaxColumn + 1, 0);
    }
    ++item->ColumnCounts[static_cast<size_t>(Column)];
    item->Combine(item->ColumnValues[static_cast<size_t>(Column)], v);
  }
}

void TfrxAggregateList::GetValue(TfrxBand* CurrentBand, Integer Column, Variant& Value,
                                 Integer Flags, TfrxComponent* Band, const AnsiString& Expression,
                                 const AnsiString& FuncName)
{
  Value = Null();
  const AnsiString name = UpperCase(Trim(FuncName));
  const TfrxAggregateFunction kind = name == "SUM"   ? agSum
                                     : name == "AVG" ? agAvg
                                     : name == "MIN" ? agMin
                                     : name == "MAX" ? agMax
                                                     : agCount;
  const AnsiString expression = Trim(Expression);
  for (auto& item : FItems) {
    if (item->ResetBand != CurrentBand || item->Kind != kind ||
        !SameText(item->Expression, expression) || (Band && item->DataBand != Band) ||
        item->IncludeInvisible != ((Flags & 1) != 0) || item->RunningTotal != ((Flags & 2) != 0))
      continue;
    item->Column = Column;
    Value = item->Result();
    return;
  }
}

void TfrxAggregateList::Reset(TfrxBand* Band)
{
  for (auto& item : FItems)
    if (item->ResetBand == Band && !(item->RunningTotal && item->Count > 0))
      item->Reset();
}

void TfrxAggregateList::ResetAll()
{
  for (auto& item : FItems)
    item->Reset();
}

void TfrxAggregateList::StartKeep()
{
  for (auto& item : FItems)
    if (item->PageFooter && !item->Keeping) {
      item->Keeping = true;
      item->KeepCount = 0;
      item->KeepValue = Null();
    }
}

void TfrxAggregateList::EndKeep()
{
  for (auto& item : FItems)
    if (item->PageFooter && item->Keeping) {
      item->Keeping = false;
      item->Count += item->KeepCount;
      item->Combine(item->Value, item->KeepValue);
    }
}
