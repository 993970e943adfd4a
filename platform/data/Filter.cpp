// The filter-expression parser and evaluator of TDataSet (DB.h, DBPrivate.h), and the
// LIKE matcher over GBK text.
//
// Grammar (keywords ignore case; strings in single quotes with '' for one quote):
//   expr      -> andExpr { OR andExpr }
//   andExpr   -> unary { AND unary }
//   unary     -> NOT unary | primary
//   primary   -> '(' expr ')' | predicate
//   predicate -> operand [ compOp operand | IS [NOT] NULL | [NOT] LIKE operand
//                         | [NOT] IN '(' operand { ',' operand } ')'
//                         | BETWEEN operand AND operand ]
//   operand   -> field | '[' field ']' | string | number | NULL | TRUE | FALSE
//   compOp    -> '=' | '<>' | '<' | '<=' | '>' | '>='
#include <memory>
#include <vector>

#include "platform/data/DB.h"
#include "platform/data/DBPrivate.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"

namespace data_detail {

namespace {

// Byte offsets where each character of a GBK text starts, plus the end.
std::vector<size_t> CharStarts(const AnsiString& s)
{
  std::vector<size_t> starts;
  starts.reserve(s.size() + 1);
  size_t i = 0;
  while (i < s.size()) {
    starts.push_back(i);
    i += (IsDBCSLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
  }
  starts.push_back(s.size());
  return starts;
}

} // namespace

bool LikeMatch(const AnsiString& Text, const AnsiString& Pattern, bool CaseInsensitive)
{
  const AnsiString text = CaseInsensitive ? AnsiUpperCase(Text) : Text;
  const AnsiString pat = CaseInsensitive ? AnsiUpperCase(Pattern) : Pattern;
  std::vector<size_t> ts = CharStarts(text);
  std::vector<size_t> ps = CharStarts(pat);
  size_t n = ts.size() - 1;
  size_t m = ps.size() - 1;
  auto tchar = [&](size_t i) { return std::string_view(text).substr(ts[i], ts[i + 1] - ts[i]); };
  auto pchar = [&](size_t j) { return std::string_view(pat).substr(ps[j], ps[j + 1] - ps[j]); };
  // row[j]: the first i text characters match the first j pattern characters.
  std::vector<char> prev(m + 1, 0), row(m + 1, 0);
  prev[0] = 1;
  for (size_t j = 1; j <= m; ++j)
    prev[j] = prev[j - 1] && pchar(j - 1) == "%";
  for (size_t i = 1; i <= n; ++i) {
    row[0] = 0;
    for (size_t j = 1; j <= m; ++j) {
      std::string_view p = pchar(j - 1);
      if (p == "%")
        row[j] = row[j - 1] || prev[j];
      else
        row[j] = prev[j - 1] && (p == "_" || p == tchar(i - 1));
    }
    std::swap(prev, row);
  }
  return prev[m] != 0;
}

// ---- Tree ----

namespace {

enum TNodeKind { nkOr, nkAnd, nkNot, nkCompare, nkIsNull, nkLike, nkIn, nkBetween, nkValue };
enum TCompareOp { coEq, coNe, coLt, coLe, coGt, coGe };
enum TOperandKind { okField, okString, okNumber, okNull, okBool };

struct TOperand {
  TOperandKind Kind = okNull;
  TField* Field = nullptr;
  AnsiString Text;
  Double Number = 0;
  bool Bool = false;
};

} // namespace

struct TFilterExpr::Node {
  TNodeKind Kind = nkValue;
  TCompareOp Op = coEq;
  bool Negate = false;
  std::unique_ptr<Node> Left, Right;
  std::vector<TOperand> Operands; // predicate operands: subject first
};

namespace {

enum TTokenKind { tkEnd, tkName, tkString, tkNumber, tkSymbol };

struct TToken {
  TTokenKind Kind = tkEnd;
  AnsiString Text;
  bool Bracketed = false;
};

constexpr int MaxDepth = 200;

bool IsNameStart(unsigned char c)
{
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x81;
}
bool IsNameChar(unsigned char c)
{
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.';
}

class TParser {
public:
  TParser(TDataSet* DataSet, const AnsiString& Text, TFilterOptions Options)
      : FDataSet(DataSet), FText(Text), FOptions(Options)
  {
    Next();
  }

  std::unique_ptr<TFilterExpr::Node> ParseAll()
  {
    auto node = ParseOr(0);
    if (FTok.Kind != tkEnd)
      Error("unexpected '" + FTok.Text + "'");
    return node;
  }

private:
  [[noreturn]] void Error(const AnsiString& What)
  {
    throw EDatabaseError(Format(SFilterSyntax, {What + " in \"" + FText + "\""}));
  }

  void Next()
  {
    while (FPos < FText.size() && (FText[FPos] == ' ' || FText[FPos] == '\t' ||
                                   FText[FPos] == '\r' || FText[FPos] == '\n'))
      ++FPos;
    FTok = TToken();
    if (FPos >= FText.size())
      return;
    unsigned char c = FText[FPos];
    if (c == '\'') {
      FTok.Kind = tkString;
      ++FPos;
      for (;;) {
        if (FPos >= FText.size())
          Error("unterminated string");
        char ch = FText[FPos];
        if (IsDBCSLeadByte(ch) && FPos + 1 < FText.size()) {
          FTok.Text += FText.substr(FPos, 2);
          FPos += 2;
          continue;
        }
        ++FPos;
        if (ch == '\'') {
          if (FPos < FText.size() && FText[FPos] == '\'') {
            FTok.Text += '\'';
            ++FPos;
            continue;
          }
          break;
        }
        FTok.Text += ch;
      }
      return;
    }
    if (c == '[') {
      size_t close = FText.find(']', FPos + 1);
      if (close == AnsiString::npos)
        Error("missing ']'");
      FTok.Kind = tkName;
      FTok.Bracketed = true;
      FTok.Text = FText.substr(FPos + 1, close - FPos - 1);
      FPos = close + 1;
      return;
    }
    if ((c >= '0' && c <= '9') ||
        (c == '.' && FPos + 1 < FText.size() && FText[FPos + 1] >= '0' && FText[FPos + 1] <= '9')) {
      size_t start = FPos;
      while (FPos < FText.size() &&
             ((FText[FPos] >= '0' && FText[FPos] <= '9') || FText[FPos] == '.' ||
              FText[FPos] == 'e' || FText[FPos] == 'E' ||
              ((FText[FPos] == '-' || FText[FPos] == '+') &&
               (FText[FPos - 1] == 'e' || FText[FPos - 1] == 'E'))))
        ++FPos;
      FTok.Kind = tkNumber;
      FTok.Text = FText.substr(start, FPos - start);
      return;
    }
    if (IsNameStart(c)) {
      size_t start = FPos;
      while (FPos < FText.size() && IsNameChar(static_cast<unsigned char>(FText[FPos]))) {
        if (IsDBCSLeadByte(FText[FPos]) && FPos + 1 < FText.size())
          ++FPos;
        ++FPos;
      }
      FTok.Kind = tkName;
      FTok.Text = FText.substr(start, FPos - start);
      return;
    }
    FTok.Kind = tkSymbol;
    static const char* const twoChar[] = {"<>", "<=", ">=", "!="};
    for (const char* op : twoChar)
      if (FText.compare(FPos, 2, op) == 0) {
        FTok.Text = op;
        FPos += 2;
        return;
      }
    FTok.Text = AnsiString(1, static_cast<char>(c));
    ++FPos;
  }

  bool IsKeyword(const char* Word) const
  {
    return FTok.Kind == tkName && !FTok.Bracketed && SameText(FTok.Text, Word);
  }
  bool IsSymbol(const char* Sym) const { return FTok.Kind == tkSymbol && FTok.Text == Sym; }
  void Expect(const char* Sym)
  {
    if (!IsSymbol(Sym))
      Error(AnsiString("'") + Sym + "' expected");
    Next();
  }

  using NodePtr = std::unique_ptr<TFilterExpr::Node>;

  static NodePtr Binary(TNodeKind Kind, NodePtr L, NodePtr R)
  {
    auto n = std::make_unique<TFilterExpr::Node>();
    n->Kind = Kind;
    n->Left = std::move(L);
    n->Right = std::move(R);
    return n;
  }

  // expr -> andExpr { OR andExpr }
  NodePtr ParseOr(int Depth)
  {
    if (Depth > MaxDepth)
      Error("expression nested too deeply");
    NodePtr left = ParseAnd(Depth);
    while (IsKeyword("OR")) {
      Next();
      left = Binary(nkOr, std::move(left), ParseAnd(Depth));
    }
    return left;
  }

  // andExpr -> unary { AND unary }
  NodePtr ParseAnd(int Depth)
  {
    NodePtr left = ParseUnary(Depth);
    while (IsKeyword("AND")) {
      Next();
      left = Binary(nkAnd, std::move(left), ParseUnary(Depth));
    }
    return left;
  }

  // unary -> NOT unary | primary
  NodePtr ParseUnary(int Depth)
  {
    if (Depth > MaxDepth)
      Error("expression nested too deeply");
    if (IsKeyword("NOT")) {
      Next();
      return Binary(nkNot, ParseUnary(Depth + 1), nullptr);
    }
    // primary -> '(' expr ')' | predicate
    if (IsSymbol("(")) {
      Next();
      NodePtr inner = ParseOr(Depth + 1);
      Expect(")");
      return inner;
    }
    return ParsePredicate();
  }

  // operand -> field | string | number | NULL | TRUE | FALSE
  TOperand ParseOperand()
  {
    TOperand op;
    if (FTok.Kind == tkString) {
      op.Kind = okString;
      op.Text = FTok.Text;
    } else if (FTok.Kind == tkNumber || (IsSymbol("-") && PeekNumber())) {
      bool negative = IsSymbol("-");
      if (negative)
        Next();
      Extended value = 0;
      if (!TryStrToFloat(FTok.Text, value, InvariantFormatSettings()))
        Error("invalid number '" + FTok.Text + "'");
      op.Kind = okNumber;
      op.Number = static_cast<Double>(negative ? -value : value);
      op.Text = FTok.Text;
    } else if (IsKeyword("NULL")) {
      op.Kind = okNull;
    } else if (IsKeyword("TRUE") || IsKeyword("FALSE")) {
      op.Kind = okBool;
      op.Bool = IsKeyword("TRUE");
    } else if (FTok.Kind == tkName) {
      op.Kind = okField;
      op.Field = FindField(FTok.Text);
    } else {
      Error(FTok.Kind == tkEnd ? AnsiString("unexpected end") : "unexpected '" + FTok.Text + "'");
    }
    Next();
    return op;
  }

  bool PeekNumber() const
  {
    size_t p = FPos;
    while (p < FText.size() && FText[p] == ' ')
      ++p;
    return p < FText.size() && ((FText[p] >= '0' && FText[p] <= '9') || FText[p] == '.');
  }

  TField* FindField(const AnsiString& Name)
  {
    if (TField* f = FDataSet->FindField(Name))
      return f;
    for (Integer i = 0; i < FDataSet->FieldCount(); ++i) {
      TField* f = FDataSet->Fields()->Fields(i);
      if (!f->Origin().empty() && AnsiSameText(f->Origin(), Name))
        return f;
    }
    DatabaseErrorFmt(SFieldNotFound, Name, FDataSet);
  }

  NodePtr ParsePredicate()
  {
    auto node = std::make_unique<TFilterExpr::Node>();
    node->Operands.push_back(ParseOperand());
    bool negate = false;
    if (IsKeyword("IS")) {
      Next();
      if (IsKeyword("NOT")) {
        negate = true;
        Next();
      }
      if (!IsKeyword("NULL"))
        Error("NULL expected after IS");
      Next();
      node->Kind = nkIsNull;
      node->Negate = negate;
      return node;
    }
    if (IsKeyword("NOT")) {
      negate = true;
      Next();
      if (!IsKeyword("LIKE") && !IsKeyword("IN"))
        Error("LIKE or IN expected after NOT");
    }
    if (IsKeyword("LIKE")) {
      Next();
      node->Kind = nkLike;
      node->Negate = negate;
      node->Operands.push_back(ParseOperand());
      return node;
    }
    if (IsKeyword("IN")) {
      Next();
      Expect("(");
      node->Kind = nkIn;
      node->Negate = negate;
      node->Operands.push_back(ParseOperand());
      while (IsSymbol(",")) {
        Next();
        node->Operands.push_back(ParseOperand());
      }
      Expect(")");
      Convert(*node);
      return node;
    }
    if (IsKeyword("BETWEEN")) {
      Next();
      node->Kind = nkBetween;
      node->Operands.push_back(ParseOperand());
      if (!IsKeyword("AND"))
        Error("AND expected in BETWEEN");
      Next();
      node->Operands.push_back(ParseOperand());
      Convert(*node);
      return node;
    }
    static const struct {
      const char* Text;
      TCompareOp Op;
    } ops[] = {{"=", coEq},  {"<>", coNe}, {"!=", coNe}, {"<", coLt},
               {"<=", coLe}, {">", coGt},  {">=", coGe}};
    for (const auto& op : ops)
      if (IsSymbol(op.Text)) {
        Next();
        node->Kind = nkCompare;
        node->Op = op.Op;
        node->Operands.push_back(ParseOperand());
        // "= NULL" and "<> NULL" test for null.
        if (node->Operands[1].Kind == okNull && (op.Op == coEq || op.Op == coNe)) {
          node->Kind = nkIsNull;
          node->Negate = op.Op == coNe;
          node->Operands.pop_back();
          return node;
        }
        Convert(*node);
        return node;
      }
    if (node->Operands[0].Kind == okField || node->Operands[0].Kind == okBool) {
      node->Kind = nkValue; // a Boolean field or constant on its own
      return node;
    }
    Error("comparison expected");
  }

  // Literals compared with a date field are read as dates by the format settings.
  void Convert(TFilterExpr::Node& Node)
  {
    TField* field = nullptr;
    for (const TOperand& op : Node.Operands)
      if (op.Kind == okField) {
        field = op.Field;
        break;
      }
    if (!field)
      return;
    TFieldType t = field->DataType();
    bool isDate = t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
    if (!isDate)
      return;
    for (TOperand& op : Node.Operands) {
      if (op.Kind != okString)
        continue;
      TDateTime value = 0;
      if (!TryStrToDateTime(op.Text, value) && !TryStrToDate(op.Text, value))
        Error("invalid date '" + op.Text + "'");
      op.Kind = okNumber;
      op.Number = value;
    }
  }

  TDataSet* FDataSet;
  AnsiString FText;
  TFilterOptions FOptions;
  size_t FPos = 0;
  TToken FTok;
};

} // namespace

// ---- Evaluation ----

namespace {

struct TEvaluator {
  TFilterOptions Options;

  static bool IsNullOperand(const TOperand& op)
  {
    return op.Kind == okNull || (op.Kind == okField && op.Field->IsNull());
  }

  static Variant ValueOf(const TOperand& op)
  {
    switch (op.Kind) {
    case okField:
      return op.Field->AsVariant();
    case okString:
      return Variant(op.Text);
    case okNumber:
      return Variant(op.Number);
    case okBool:
      return Variant(op.Bool);
    default:
      return ::Null();
    }
  }

  static bool IsTextOperand(const TOperand& op)
  {
    if (op.Kind == okString)
      return true;
    if (op.Kind != okField)
      return false;
    TFieldType t = op.Field->DataType();
    return t == ftString || t == ftFixedChar || t == ftWideString || t == ftMemo || t == ftWideMemo;
  }

  // Three-way comparison; false in ok when the values cannot be compared.
  Integer Compare(const TOperand& a, const TOperand& b, bool& ok, bool AllowPartial) const
  {
    ok = true;
    if (IsTextOperand(a) && IsTextOperand(b)) {
      AnsiString x = a.Kind == okField ? a.Field->AsString() : a.Text;
      AnsiString y = b.Kind == okField ? b.Field->AsString() : b.Text;
      if (AllowPartial && b.Kind == okString && !Options.Contains(foNoPartialCompare) &&
          !y.empty() && y.back() == '*' && ByteType(y, Length(y)) == mbSingleByte) {
        // 'abc*' compares only as many leading bytes as the prefix has.
        y.pop_back();
        x = CutToBytes(x, Length(y));
      }
      return Options.Contains(foCaseInsensitive) ? AnsiCompareText(x, y) : AnsiCompareStr(x, y);
    }
    try {
      Variant x = ValueOf(a);
      Variant y = ValueOf(b);
      if (VarIsStr(x) && !VarIsStr(y))
        x = Variant(x.AsDouble());
      else if (VarIsStr(y) && !VarIsStr(x))
        y = Variant(y.AsDouble());
      switch (VarCompareValue(x, y)) {
      case vrEqual:
        return 0;
      case vrLessThan:
        return -1;
      default:
        return 1;
      }
    } catch (const Exception&) {
      ok = false;
      return 0;
    }
  }

  bool Eval(const TFilterExpr::Node& n) const
  {
    switch (n.Kind) {
    case nkOr:
      return Eval(*n.Left) || Eval(*n.Right);
    case nkAnd:
      return Eval(*n.Left) && Eval(*n.Right);
    case nkNot:
      return !Eval(*n.Left);
    case nkIsNull:
      return IsNullOperand(n.Operands[0]) != n.Negate;
    case nkValue: {
      const TOperand& op = n.Operands[0];
      return op.Kind == okBool ? op.Bool : (!op.Field->IsNull() && op.Field->AsBoolean());
    }
    case nkLike: {
      if (IsNullOperand(n.Operands[0]) || IsNullOperand(n.Operands[1]))
        return false;
      AnsiString text =
          n.Operands[0].Kind == okField ? n.Operands[0].Field->AsString() : n.Operands[0].Text;
      AnsiString pattern =
          n.Operands[1].Kind == okField ? n.Operands[1].Field->AsString() : n.Operands[1].Text;
      return LikeMatch(text, pattern, Options.Contains(foCaseInsensitive)) != n.Negate;
    }
    case nkIn: {
      if (IsNullOperand(n.Operands[0]))
        return false;
      for (size_t i = 1; i < n.Operands.size(); ++i) {
        bool ok = false;
        if (!IsNullOperand(n.Operands[i]) &&
            Compare(n.Operands[0], n.Operands[i], ok, false) == 0 && ok)
          return !n.Negate;
      }
      return n.Negate;
    }
    case nkBetween: {
      for (const TOperand& op : n.Operands)
        if (IsNullOperand(op))
          return false;
      bool ok1 = false, ok2 = false;
      bool result = Compare(n.Operands[0], n.Operands[1], ok1, false) >= 0 &&
                    Compare(n.Operands[0], n.Operands[2], ok2, false) <= 0;
      return result && ok1 && ok2;
    }
    case nkCompare: {
      if (IsNullOperand(n.Operands[0]) || IsNullOperand(n.Operands[1]))
        return false;
      bool ok = false;
      Integer c = Compare(n.Operands[0], n.Operands[1], ok, n.Op == coEq || n.Op == coNe);
      if (!ok)
        return false;
      switch (n.Op) {
      case coEq:
        return c == 0;
      case coNe:
        return c != 0;
      case coLt:
        return c < 0;
      case coLe:
        return c <= 0;
      case coGt:
        return c > 0;
      case coGe:
        return c >= 0;
      }
    }
    }
    return false;
  }
};

} // namespace

TFilterExpr::TFilterExpr(TDataSet* DataSet, const AnsiString& Text, TFilterOptions Options)
{
  TParser parser(DataSet, Text, Options);
  FRoot = parser.ParseAll();
  FOptions = Options;
}

TFilterExpr::~TFilterExpr() = default;

bool TFilterExpr::Evaluate() const
{
  TEvaluator e{FOptions};
  return e.Eval(*FRoot);
}

} // namespace data_detail
