// The filter row's expression language (tokens, the two-condition grammar, typing of
// operands, canonical text), the column and grid filter settings, applying filters and
// sorting through the shared data service and its dataset-features registry, and the
// column order as text (DBGridEh.h describes the unit).
//
// Grammar of a filter text (blanks between tokens are skipped):
//   filter     := condition [ ("AND" | "&" | "OR" | "|") condition ]
//   condition  := value-list
//               | operator value-list          operator: = != <> < <= > >= ~ !~ LIKE NOT LIKE
//               | ("=" | "<>") "NULL"
//               | ["NOT" | "!"] "IN" "(" value-list ")"
//   value-list := value { "," value }          (commas only while comma lists are on)
//   value      := "'" any text "'" | text up to a blank before an operator, "(", ")",
//                 a list comma or the end
// A bare value means LIKE for text columns, IN for lists and = otherwise.
#include <algorithm>
#include <climits>

#include "controls/eh/DBGridEh.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

const char* const STFilterOperatorTexts[16] = {"",   "=",  "<>",  ">",    "<",    ">=",  "<=", "~",
                                               "!~", "In", "!In", "Null", "Null", "AND", "OR", ""};

namespace {

// A token: an operator (or keyword) code, a value (fopValueEh) or nothing (fopNoneEh).
struct TToken {
  TSTFilterOpEh Op = fopNoneEh;
  Variant Value = Null();
  bool IsNot = false; // the NOT keyword before it is combined
};

bool IsLeadByte(char C)
{
  return static_cast<unsigned char>(C) >= 0x81;
}

class TFilterParser {
public:
  TFilterParser(const AnsiString& Text, TSTFilterValueKindEh Kind) : FText(Text), FKind(Kind)
  {
    SetCommaSwitch();
  }

  void SetCommaSwitch()
  {
    FCommaList = !(FKind == fvkNumberEh && FormatSettings.DecimalSeparator == ',');
  }
  void ForceCommaList() { FCommaList = true; }
  bool AtEnd() const { return FPos >= Size(); }
  char Current() const { return AtEnd() ? '\0' : FText[static_cast<std::size_t>(FPos)]; }
  void Skip() { ++FPos; }
  void SkipBlanks()
  {
    while (!AtEnd() && Current() == ' ')
      ++FPos;
  }
  [[noreturn]] void Fail(const char* Message) const { throw Exception(Message + FText); }

  TToken NextToken()
  {
    TToken t;
    if (AtEnd())
      return t;
    char c = Current();
    if (c == '\'') {
      t.Value = ReadValueList();
      t.Op = fopValueEh;
      return t;
    }
    enum { kNone, kNot, kAnd, kOr, kLike, kIn, kNull, kParen, kOp } kind = kNone;
    TSTFilterOpEh op = fopNoneEh;
    char next = FPos + 1 < Size() ? FText[static_cast<std::size_t>(FPos + 1)] : '\0';
    switch (c) {
    case '=':
      kind = kOp, op = fopEqualEh, FPos += 1;
      break;
    case '!':
      if (next == '=')
        kind = kOp, op = fopNotEqualEh, FPos += 2;
      else
        kind = kNot, FPos += 1;
      break;
    case '<':
      if (next == '>')
        kind = kOp, op = fopNotEqualEh, FPos += 2;
      else if (next == '=')
        kind = kOp, op = fopLessOrEqualEh, FPos += 2;
      else
        kind = kOp, op = fopLessEh, FPos += 1;
      break;
    case '>':
      if (next == '=')
        kind = kOp, op = fopGreaterOrEqualEh, FPos += 2;
      else
        kind = kOp, op = fopGreaterEh, FPos += 1;
      break;
    case '~':
      kind = kLike, FPos += 1;
      break;
    case '&':
      kind = kAnd, FPos += 1;
      break;
    case '|':
      kind = kOr, FPos += 1;
      break;
    case '(':
      kind = kParen, FPos += 1;
      break;
    default: {
      AnsiString word = PeekWord();
      AnsiString upper = AnsiUpperCase(word);
      if (upper == "NOT")
        kind = kNot;
      else if (upper == "AND")
        kind = kAnd;
      else if (upper == "OR")
        kind = kOr;
      else if (upper == "LIKE")
        kind = kLike;
      else if (upper == "IN")
        kind = kIn;
      else if (upper == "NULL")
        kind = kNull;
      if (kind != kNone)
        FPos += static_cast<Integer>(word.size());
    }
    }
    if (kind == kNone) {
      t.Value = ReadValueList();
      t.Op = VarIsNull(t.Value) ? fopNoneEh : fopValueEh;
      return t;
    }
    SkipBlanks();
    switch (kind) {
    case kNot: {
      TToken inner = NextToken();
      if (inner.Op == fopLikeEh)
        t.Op = fopNotLikeEh;
      else if (inner.Op == fopInEh)
        t.Op = fopNotInEh;
      else if (inner.Op == fopIsNullEh)
        t.Op = fopIsNotNullEh;
      else
        t.Op = fopNoneEh;
      return t;
    }
    case kIn:
      if (Current() != '(')
        Fail(SLeftParenthesisExpected);
      Skip();
      t.Op = fopInEh;
      return t;
    case kAnd:
      t.Op = fopAndEh;
      return t;
    case kOr:
      t.Op = fopOrEh;
      return t;
    case kLike:
      t.Op = fopLikeEh;
      return t;
    case kNull:
      t.Op = fopIsNullEh;
      return t;
    case kParen:
      t.Op = fopNoneEh;
      return t;
    default:
      t.Op = op;
      return t;
    }
  }

  Variant ReadValueList()
  {
    std::vector<Variant> values;
    Variant v = ReadValue();
    if (VarIsNull(v))
      return v;
    values.push_back(v);
    while (FCommaList && Current() == ',' && !VarIsNull(values.back())) {
      Skip();
      values.push_back(ReadValue());
    }
    if (values.size() == 1)
      return values.front();
    return VarArrayOf(values);
  }

  Integer Position() const { return FPos; }

private:
  Integer Size() const { return static_cast<Integer>(FText.size()); }

  AnsiString PeekWord() const
  {
    static const AnsiString delimiters = " !\"&'()+,-.<=>|~";
    Integer p = FPos;
    while (p < Size()) {
      char c = FText[static_cast<std::size_t>(p)];
      if (IsLeadByte(c) && p + 1 < Size()) {
        p += 2;
        continue;
      }
      if (static_cast<unsigned char>(c) < ' ' || delimiters.find(c) != AnsiString::npos)
        break;
      ++p;
    }
    return FText.substr(static_cast<std::size_t>(FPos), static_cast<std::size_t>(p - FPos));
  }

  // Whether blanks at the position are followed by an operator token (the value ends).
  bool OperatorFollows()
  {
    Integer saved = FPos;
    TScopeExit restore([&] { FPos = saved; });
    SkipBlanks();
    TToken t = NextToken();
    return t.Op != fopNoneEh && t.Op != fopValueEh;
  }

  Variant ReadValue()
  {
    if (AtEnd())
      return Null();
    if (Current() == '\'') {
      std::size_t close = FText.find('\'', static_cast<std::size_t>(FPos + 1));
      if (close == AnsiString::npos)
        Fail(SQuoteIsAbsent);
      AnsiString value = FText.substr(static_cast<std::size_t>(FPos + 1),
                                      close - static_cast<std::size_t>(FPos) - 1);
      FPos = static_cast<Integer>(close) + 1;
      return Variant(value);
    }
    Integer start = FPos;
    while (!AtEnd()) {
      char c = Current();
      if (c == ' ' && OperatorFollows())
        break;
      if (c == '(' || c == ')' || (c == ',' && FCommaList))
        break;
      FPos += IsLeadByte(c) && FPos + 1 < Size() ? 2 : 1;
    }
    if (FPos == start)
      return Null();
    return Variant(
        FText.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(FPos - start)));
  }

  const AnsiString& FText;
  TSTFilterValueKindEh FKind;
  Integer FPos = 0;
  bool FCommaList = true;
};

// One condition: a bare value or an operator with its operand. Returns false when the
// token is nothing (the caller decides what that means).
bool ReadCondition(TFilterParser& P, TToken First, TSTFilterOpEh& Op, Variant& Operand,
                   TSTFilterValueKindEh Kind, bool NeedCloseParen)
{
  if (First.Op == fopNoneEh)
    return false;
  if (First.Op == fopValueEh) {
    Operand = First.Value;
    Op = VarIsArray(Operand) ? fopInEh : Kind == fvkStringEh ? fopLikeEh : fopEqualEh;
    return true;
  }
  Op = First.Op;
  bool list = Op == fopInEh || Op == fopNotInEh;
  if (list)
    P.ForceCommaList();
  P.SkipBlanks();
  TToken operand = P.NextToken();
  if (operand.Op == fopIsNullEh) {
    if (Op == fopEqualEh)
      Op = fopIsNullEh;
    else if (Op == fopNotEqualEh)
      Op = fopIsNotNullEh;
    else
      P.Fail(SUnexpectedExpressionBeforeNull);
    Operand = Null();
  } else if (operand.Op != fopValueEh)
    P.Fail(SUnexpectedExpressionAfterOperator);
  else
    Operand = operand.Value;
  if (list) {
    P.SkipBlanks();
    if (P.Current() == ')')
      P.Skip();
    else if (NeedCloseParen)
      P.Fail(SRightParenthesisExpected);
    P.SetCommaSwitch();
  }
  return true;
}

bool TakesOperand(TSTFilterOpEh Op)
{
  return Op >= fopEqualEh && Op <= fopNotInEh;
}

AnsiString ValueText(const Variant& V)
{
  switch (VarType(V)) {
  case varDouble:
  case varSingle:
  case varCurrency:
    return FloatToStr(V.AsDouble());
  case varDate:
    return FormatDateTime(FormatSettings.ShortDateFormat, V.AsDateTime());
  default:
    return "'" + VarToStr(V) + "'";
  }
}

AnsiString ConditionText(TSTFilterOpEh Op, const Variant& Operand)
{
  switch (Op) {
  case fopIsNullEh:
    return AnsiString("=") + STFilterOperatorTexts[fopIsNullEh];
  case fopIsNotNullEh:
    return AnsiString("<>") + STFilterOperatorTexts[fopIsNotNullEh];
  case fopInEh:
  case fopNotInEh: {
    AnsiString s = AnsiString(STFilterOperatorTexts[Op]) + " (";
    if (VarIsArray(Operand)) {
      for (Integer i = VarArrayLowBound(Operand, 1); i <= VarArrayHighBound(Operand, 1); ++i)
        s += ValueText(VarArrayGet(Operand, {i})) + ",";
      if (s.back() == ',')
        s.pop_back();
    } else
      s += ValueText(Operand);
    return s + ")";
  }
  default:
    return AnsiString(STFilterOperatorTexts[Op]) + " " + ValueText(Operand);
  }
}

TStringList* GFeatures = nullptr;
TDBGridEhDataService* GDataService = nullptr;

} // namespace

// ---- The language ----

void ResetSTFilterExpression(TSTFilterExpressionEh& AExpr)
{
  AExpr.FirstOperator = AExpr.SecondOperator = AExpr.Conjunction = fopNoneEh;
  AExpr.FirstOperand = AExpr.SecondOperand = Null();
}

void TypeSTFilterOperand(Variant& AValue, TSTFilterValueKindEh AKind)
{
  if ((AKind != fvkNumberEh && AKind != fvkDateTimeEh) || VarIsNull(AValue))
    return;
  auto convert = [&](const Variant& v) -> Variant {
    if (VarIsNull(v))
      return v;
    AnsiString text = VarToStr(v);
    if (AKind == fvkNumberEh)
      return Variant(static_cast<Double>(StrToFloat(text, FormatSettings)));
    return VarFromDateTime(StrToDateTime(text, FormatSettings));
  };
  if (VarIsArray(AValue)) {
    for (Integer i = VarArrayLowBound(AValue, 1); i <= VarArrayHighBound(AValue, 1); ++i)
      VarArrayPut(AValue, convert(VarArrayGet(AValue, {i})), {i});
  } else
    AValue = convert(AValue);
}

void ParseSTFilterText(const AnsiString& AText, TSTFilterExpressionEh& AExpr)
{
  // The result is built aside and stored only when the whole text parsed and typed.
  TSTFilterExpressionEh expr;
  expr.ValueKind = AExpr.ValueKind;
  AnsiString text = Trim(AText);
  if (text.empty()) {
    AExpr = expr;
    return;
  }
  TFilterParser p(text, expr.ValueKind);
  p.SkipBlanks();
  if (!ReadCondition(p, p.NextToken(), expr.FirstOperator, expr.FirstOperand, expr.ValueKind, true))
    p.Fail(SErrorInExpression);
  p.SkipBlanks();
  TToken t = p.NextToken();
  if (t.Op == fopNoneEh) {
    if (!p.AtEnd())
      p.Fail(SIncorrectExpression);
  } else {
    if (t.Op != fopAndEh && t.Op != fopOrEh)
      p.Fail(SUnexpectedANDorOR);
    expr.Conjunction = t.Op;
    p.SkipBlanks();
    TToken second = p.NextToken();
    if (second.Op == fopNoneEh) {
      if (!p.AtEnd())
        p.Fail(SIncorrectExpression);
    } else {
      ReadCondition(p, second, expr.SecondOperator, expr.SecondOperand, expr.ValueKind, false);
      // Only blanks may follow the second condition: a third one would be dropped unseen.
      p.SkipBlanks();
      if (!p.AtEnd())
        p.Fail(SIncorrectExpression);
    }
  }
  if (TakesOperand(expr.FirstOperator))
    TypeSTFilterOperand(expr.FirstOperand, expr.ValueKind);
  else
    expr.FirstOperand = Null();
  if (TakesOperand(expr.SecondOperator))
    TypeSTFilterOperand(expr.SecondOperand, expr.ValueKind);
  else
    expr.SecondOperand = Null();
  AExpr = expr;
}

TSTFilterValueKindEh STFilterValueKindOf(TFieldType AType)
{
  switch (AType) {
  case ftString:
  case ftMemo:
  case ftFmtMemo:
  case ftFixedChar:
  case ftWideString:
  case ftGuid:
  case ftWideMemo:
    return fvkStringEh;
  case ftSmallint:
  case ftInteger:
  case ftWord:
  case ftFloat:
  case ftCurrency:
  case ftBCD:
  case ftAutoInc:
  case ftLargeint:
  case ftFMTBcd:
    return fvkNumberEh;
  case ftDate:
  case ftTime:
  case ftDateTime:
  case ftTimeStamp:
    return fvkDateTimeEh;
  case ftBoolean:
    return fvkBooleanEh;
  default:
    return fvkOtherEh;
  }
}

AnsiString STFilterExpressionText(const TSTFilterExpressionEh& AExpr)
{
  if (AExpr.ValueKind == fvkOtherEh || AExpr.FirstOperator == fopNoneEh)
    return AnsiString();
  AnsiString s = ConditionText(AExpr.FirstOperator, AExpr.FirstOperand);
  if (AExpr.Conjunction != fopNoneEh)
    s += AnsiString(" ") + STFilterOperatorTexts[AExpr.Conjunction] + " " +
         ConditionText(AExpr.SecondOperator, AExpr.SecondOperand);
  return s;
}

// ---- TSTColumnFilterEh ----

TSTColumnFilterEh::TSTColumnFilterEh(TColumnEh* Column) : FColumn(Column) {}

TSTColumnFilterEh::~TSTColumnFilterEh() = default;

TPersistent* TSTColumnFilterEh::GetOwner()
{
  return FColumn;
}

void TSTColumnFilterEh::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  if (FColumn)
    FColumn->ColumnChanged(false);
}

TDataSet* TSTColumnFilterEh::GridDataSet() const
{
  TCustomDBGridEh* g = FColumn ? FColumn->OwnerGrid() : nullptr;
  return g && g->DataLink()->Active() ? g->DataLink()->DataSet() : nullptr;
}

TField* TSTColumnFilterEh::LookupField() const
{
  TDataSet* ds = GridDataSet();
  TField* f = ds ? ds->FindField(FColumn->FieldName()) : nullptr;
  return f && f->FieldKind() == fkLookup ? f : nullptr;
}

AnsiString TSTColumnFilterEh::LookupKeyFieldName() const
{
  if (!FKeyField.empty())
    return FKeyField;
  TField* f = LookupField();
  return f ? f->LookupKeyFields() : AnsiString();
}

AnsiString TSTColumnFilterEh::LookupListFieldName() const
{
  if (!FListField.empty())
    return FListField;
  TField* f = LookupField();
  return f ? f->LookupResultField() : AnsiString();
}

TDataSet* TSTColumnFilterEh::LookupListDataSet() const
{
  if (FListSource && FListSource->DataSet())
    return FListSource->DataSet();
  TField* f = LookupField();
  return f ? f->LookupDataSet() : nullptr;
}

AnsiString TSTColumnFilterEh::FilterFieldName() const
{
  if (!FDataField.empty())
    return FDataField;
  if (TField* f = LookupField())
    return f->KeyFields();
  return FColumn ? FColumn->FieldName() : AnsiString();
}

Variant TSTColumnFilterEh::FirstOperandValue() const
{
  if (!LookupKeyFieldName().empty())
    return FMatchedKeys;
  return FExpression.FirstOperand;
}

bool TSTColumnFilterEh::HasDropDownButton() const
{
  return FListSource != nullptr;
}

void TSTColumnFilterEh::InternalSetFilterText(const AnsiString& AText)
{
  if (LookupKeyFieldName().empty()) {
    TSTFilterExpressionEh expr = FExpression;
    if (TField* f = FColumn ? FColumn->Field() : nullptr)
      expr.ValueKind = STFilterValueKindOf(f->DataType());
    ParseSTFilterText(AText, expr); // raises before anything changed
    FExpression = expr;
    FFilterText = AText;
    return;
  }
  // A lookup column filters by the keys whose list text is the typed text.
  if (AText.empty())
    FMatchedKeys = Null();
  else if (TDataSet* list = LookupListDataSet())
    FMatchedKeys = list->Lookup(LookupListFieldName(), Variant(AText), LookupKeyFieldName());
  ResetSTFilterExpression(FExpression);
  FExpression.ValueKind = fvkStringEh;
  if (VarIsNull(FMatchedKeys))
    FExpression.FirstOperator = AText.empty() ? fopNoneEh : fopIsNullEh;
  else {
    FExpression.FirstOperator = fopInEh;
    FExpression.FirstOperand = Variant(AText);
  }
  FFilterText = AText;
}

void TSTColumnFilterEh::SetFilterText(const AnsiString& AText)
{
  InternalSetFilterText(AText);
  if (TCustomDBGridEh* g = FColumn ? FColumn->OwnerGrid() : nullptr)
    g->Invalidate();
}

void TSTColumnFilterEh::Clear()
{
  FMatchedKeys = Null();
  SetFilterText(AnsiString());
}

AnsiString TSTColumnFilterEh::CanonicalText() const
{
  if (FExpression.ValueKind == fvkOtherEh || FExpression.FirstOperator == fopNoneEh)
    return AnsiString();
  if (!FListSource)
    return STFilterExpressionText(FExpression);
  const Variant& v = FExpression.FirstOperand;
  if (!VarIsArray(v))
    return VarToStr(v);
  AnsiString s;
  for (Integer i = VarArrayLowBound(v, 1); i <= VarArrayHighBound(v, 1); ++i)
    s += "'" + VarToStr(VarArrayGet(v, {i})) + "',";
  if (!s.empty())
    s.pop_back();
  return s;
}

void TSTColumnFilterEh::Assign(TPersistent* Source)
{
  auto* src = dynamic_cast<TSTColumnFilterEh*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FDataField = src->FDataField;
  SetVisible(src->FVisible);
  FKeyField = src->FKeyField;
  FListField = src->FListField;
  FListSource = src->FListSource;
}

// ---- TSTDBGridEhFilter ----

void TSTDBGridEhFilter::SetVisible(bool Value)
{
  if (Value == FVisible)
    return;
  FVisible = Value;
  if (FGrid) {
    FGrid->LayoutChanged();
    if (FGrid->EditorMode())
      FGrid->InvalidateEditor();
  }
}

void TSTDBGridEhFilter::Assign(TPersistent* Source)
{
  if (auto* src = dynamic_cast<TSTDBGridEhFilter*>(Source)) {
    SetVisible(src->FVisible);
    FLocal = src->FLocal;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- The grid's filter row ----

Integer TCustomDBGridEh::SubTitleRowCount() const
{
  return FSTFilter && FSTFilter->Visible() ? 1 : 0;
}

bool TCustomDBGridEh::STFilterVisible() const
{
  return FSTFilter && FSTFilter->Visible();
}

void TCustomDBGridEh::SetSTFilterVisible(bool Value)
{
  FSTFilter->SetVisible(Value);
}

bool TCustomDBGridEh::FilterCellVisible(Integer ADataCol) const
{
  if (ADataCol < 0 || ADataCol >= FColumns->Count())
    return false;
  TColumnEh* c = FColumns->Items(ADataCol);
  return c->Visible() && c->STFilter()->Visible();
}

AnsiString TCustomDBGridEh::FilterCellText(Integer ADataCol) const
{
  if (ADataCol < 0 || ADataCol >= FColumns->Count())
    return AnsiString();
  TColumnEh* c = FColumns->Items(ADataCol);
  return c->FieldName().empty() ? AnsiString() : c->STFilter()->FilterText();
}

void TCustomDBGridEh::ApplyFilter()
{
  FFiltering = true;
  TScopeExit done([&] { FFiltering = false; });
  SharedGridDataService()->ApplyGridFilter(this);
}

void TCustomDBGridEh::ApplySorting()
{
  SharedGridDataService()->ApplyGridSorting(this);
}

void TCustomDBGridEh::ApplyFilterNow()
{
  if (FFilterEditing && FFilterEdit && FFilterEdit->HandleAllocated() &&
      IsWindowVisible(FFilterEdit->Handle()))
    StoreFilterEditText(FFilterCol);
  Integer left = LeftCol();
  TScopeExit restore([&] {
    if (left < ColCount() && left >= FixedCols())
      SetLeftCol(left);
    UpdateFilterEdit(true);
    if (FSumList && FSumList->Active())
      FSumList->RecalculateAll();
    InvalidateFooter();
    Invalidate();
  });
  if (OnApplyFilter)
    OnApplyFilter(this);
  else
    ApplyFilter();
}

void TCustomDBGridEh::ClearFilter()
{
  EndFilterEdit();
  for (Integer i = 0; i < FColumns->Count(); ++i)
    FColumns->Items(i)->STFilter()->Clear();
  Invalidate();
}

// ---- Data service and dataset features ----

TStringList* DatasetFeaturesRegistry()
{
  return GFeatures;
}

Integer DatasetFeaturesDistance(TClass AClass, const AnsiString& AName)
{
  Integer n = 0;
  AnsiString name = AnsiUpperCase(AName);
  for (TClass c = AClass; c; c = c->Parent, ++n)
    if (AnsiUpperCase(c->Name) == name)
      return n;
  return INT_MAX;
}

TDatasetFeaturesEh* FindDatasetFeaturesForClass(TClass AClass)
{
  if (!GFeatures || !AClass)
    return nullptr;
  TDatasetFeaturesEh* best = nullptr;
  Integer bestDistance = INT_MAX;
  for (Integer i = 0; i < GFeatures->Count(); ++i) {
    auto* f = dynamic_cast<TDatasetFeaturesEh*>(GFeatures->Objects(i));
    if (!f || !f->DataSetClass() || !AClass->InheritsFrom(f->DataSetClass()))
      continue;
    Integer d = DatasetFeaturesDistance(AClass, f->DataSetClass()->Name);
    if (d < bestDistance) {
      best = f;
      bestDistance = d;
    }
  }
  return best;
}

TDatasetFeaturesEh* FindDatasetFeatures(TDataSet* ADataSet)
{
  return ADataSet ? FindDatasetFeaturesForClass(ADataSet->ClassType()) : nullptr;
}

TDBGridEhDataService* SharedGridDataService()
{
  return GDataService;
}

void TDBGridEhDataService::ApplyGridFilter(TCustomDBGridEh* AGrid)
{
  if (OnApplyGridFilter)
    OnApplyGridFilter(AGrid);
  else
    DefaultApplyGridFilter(AGrid);
}

void TDBGridEhDataService::ApplyGridSorting(TCustomDBGridEh* AGrid)
{
  if (OnApplyGridSorting)
    OnApplyGridSorting(AGrid);
  else
    DefaultApplyGridSorting(AGrid);
}

void TDBGridEhDataService::DefaultApplyGridFilter(TCustomDBGridEh* AGrid)
{
  TDataSet* ds = AGrid->DataSource() ? AGrid->DataSource()->DataSet() : nullptr;
  if (TDatasetFeaturesEh* f = FindDatasetFeatures(ds))
    f->ApplyFilter(AGrid, ds, true);
}

void TDBGridEhDataService::DefaultApplyGridSorting(TCustomDBGridEh* AGrid)
{
  TDataSet* ds = AGrid->DataSource() ? AGrid->DataSource()->DataSet() : nullptr;
  if (TDatasetFeaturesEh* f = FindDatasetFeatures(ds))
    f->ApplySorting(AGrid, ds, true);
}

void InitializeGridDataService()
{
  GDataService = new TDBGridEhDataService();
  GFeatures = new TStringList();
}

void FinalizeGridDataService()
{
  delete GDataService;
  GDataService = nullptr;
  if (GFeatures) {
    for (Integer i = 0; i < GFeatures->Count(); ++i)
      delete GFeatures->Objects(i);
    delete GFeatures;
    GFeatures = nullptr;
  }
}

// ---- Column order as text ----

AnsiString ColumnsIndexText(TDBGridColumnsEh* Columns)
{
  AnsiString s;
  for (Integer i = 0; i < Columns->Count(); ++i)
    s += "\"" + Columns->Items(i)->FieldName() + "\",";
  if (!s.empty())
    s.pop_back();
  return s;
}

void SetColumnsIndexText(TDBGridColumnsEh* Columns, const AnsiString& AText)
{
  TStringList names;
  names.SetCommaText(AText);
  TUpdateScope<TDBGridColumnsEh> update(Columns);
  for (Integer i = 0; i < names.Count() && i < Columns->Count(); ++i)
    for (Integer k = 0; k < Columns->Count(); ++k)
      if (Columns->Items(k)->FieldName() == names.Strings(i)) {
        Columns->Items(k)->TCollectionItem::SetIndex(i);
        break;
      }
}

Integer TColumnEhPropertyInterceptor::Width() const
{
  auto* column = dynamic_cast<TColumnEh*>(Target());
  return column ? column->Width() : 0;
}

void TColumnEhPropertyInterceptor::SetWidth(Integer Value)
{
  auto* column = dynamic_cast<TColumnEh*>(Target());
  if (!column)
    return;
  TCustomDBGridEh* g = column->OwnerGrid();
  if (g && g->AutoFitColWidths())
    column->SetAutoFitBaseWidth(Value);
  else
    column->SetWidth(Value);
}

AnsiString TColumnsEhPropertyInterceptor::ColumnsIndex() const
{
  auto* columns = dynamic_cast<TDBGridColumnsEh*>(Target());
  return columns ? ColumnsIndexText(columns) : AnsiString();
}

void TColumnsEhPropertyInterceptor::SetColumnsIndex(const AnsiString& Value)
{
  FColumnsIndex = Value;
  if (auto* columns = dynamic_cast<TDBGridColumnsEh*>(Target()))
    SetColumnsIndexText(columns, Value);
}
