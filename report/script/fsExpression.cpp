// Expression trees: precedence insertion, the static type check with its integer and
// boolean fast paths, evaluation on Variants, and set constructors. fsExpression.h
// describes the interface.
#include "report/script/fsExpression.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Math.h"
#include "report/script/ScriptLanguages.h"
#include "report/script/fsDesignator.h"
#include "report/script/fsExpressionPrivate.h"
#include "report/script/fsTools.h"

// One node of an expression tree. The expression's node pool owns every node; the links
// between nodes do not.
class TfsExpressionNode : public TfsCustomVariable {
public:
  TfsExpressionNode() : TfsCustomVariable("", fvtInt, "") {}
  virtual Integer Priority() const = 0;

  TfsExpressionNode* FLeft = nullptr;
  TfsExpressionNode* FRight = nullptr;
  TfsExpressionNode* FParent = nullptr;
};

namespace {

// A constant.
class TfsOperandNode : public TfsExpressionNode {
public:
  explicit TfsOperandNode(const Variant& value)
  {
    FValue = value;
    switch (VarType(value)) {
    case varBoolean:
      FTyp = fvtBool;
      break;
    case varSingle:
    case varDouble:
    case varCurrency:
      FTyp = fvtFloat;
      break;
    case varString:
    case varOleStr:
      FTyp = fvtString;
      break;
    default:
      FTyp = fvtInt;
    }
  }
  Integer Priority() const override { return 0; }
};

// A designator; a plain variable is read directly.
class TfsDesignatorNode : public TfsOperandNode {
public:
  explicit TfsDesignatorNode(std::unique_ptr<TfsDesignator> designator)
      : TfsOperandNode(Null()), FDesignator(std::move(designator))
  {
    FTyp = FDesignator->Typ();
    FTypeName = FDesignator->TypeName();
    FVar = FDesignator.get();
    if (FDesignator->Kind() == dkVariable && FDesignator->RefItem())
      FVar = FDesignator->RefItem();
  }
  Variant GetValue() override { return FVar->GetValue(); }
  TfsDesignator* Designator() const { return FDesignator.get(); }

private:
  std::unique_ptr<TfsDesignator> FDesignator;
  TfsCustomVariable* FVar;
};

class TfsSetNode : public TfsOperandNode {
public:
  explicit TfsSetNode(std::unique_ptr<TfsSetExpression> set)
      : TfsOperandNode(Null()), FSet(std::move(set))
  {
    FTyp = fvtVariant;
  }
  Variant GetValue() override { return FSet->GetValue(); }
  TfsSetExpression* Set() const { return FSet.get(); }

private:
  std::unique_ptr<TfsSetExpression> FSet;
};

// An operator without its operands; the grammars never produce one, but a tree that
// would read a missing operand must not be run.
const char* const SExpressionExpected = "Expression expected";

bool IsComparison(TfsOperatorKind kind)
{
  return kind >= okGreat && kind <= okEq;
}

// A 32-bit integer operand of the fast path; wider values keep their low 32 bits.
inline Integer IntOperand(const Variant& v)
{
  Int64 value = 0;
  if (!v.GetInteger(value))
    value = v.AsInt64();
  return static_cast<Integer>(static_cast<std::uint32_t>(value));
}

inline Integer Wrap(std::uint32_t value)
{
  return static_cast<Integer>(value);
}

class TfsOperatorNode : public TfsExpressionNode {
public:
  TfsOperatorNode(TfsOperatorKind kind, Integer priority, bool strCat = false)
      : FKind(kind), FPriority(priority), FStrCat(strCat), FFastOp(kind == okPlus       ? opAdd
                                                                   : kind == okMinus    ? opSubtract
                                                                   : kind == okMul      ? opMultiply
                                                                   : kind == okDivFloat ? opDivide
                                                                                        : -1)
  {
  }
  Integer Priority() const override { return FPriority; }
  Variant GetValue() override;

  TfsOperatorKind FKind;
  Integer FPriority;
  bool FStrCat;
  bool FOptimizeInt = false;
  bool FOptimizeBool = false;
  // The Variant operator of + - * /, which have a numeric fast path; -1 for the others.
  Integer FFastOp;

private:
  Variant IntegerPath();
  Variant Membership();
};

Variant TfsOperatorNode::IntegerPath()
{
  const Integer l = IntOperand(FLeft->GetValue());
  const Integer r = IntOperand(FRight->GetValue());
  const auto ul = static_cast<std::uint32_t>(l);
  const auto ur = static_cast<std::uint32_t>(r);
  switch (FKind) {
  case okPlus:
    return Variant(Wrap(ul + ur));
  case okMinus:
    return Variant(Wrap(ul - ur));
  case okMul:
    return Variant(Wrap(ul * ur));
  case okDivInt:
    return Variant(IntDivide(l, r));
  default: // okMod
    return Variant(IntModulo(l, r));
  }
}

// "in" and "is": the right side is a set constructor or a class name.
Variant TfsOperatorNode::Membership()
{
  const Variant left = FLeft->GetValue();
  if (FKind == okIn) {
    auto* set = dynamic_cast<TfsSetNode*>(FRight);
    return Variant(set != nullptr && set->Set()->Contains(left));
  }
  auto* node = dynamic_cast<TfsDesignatorNode*>(FRight);
  TfsClassVariable* cls = nullptr;
  if (node && node->Designator()->Count() > 0)
    cls = dynamic_cast<TfsClassVariable*>(node->Designator()->ElementAt(0)->Ref());
  TObject* obj = VarToObject(left);
  return Variant(obj != nullptr && cls != nullptr && obj->InheritsFrom(cls->ClassRef()));
}

Variant TfsOperatorNode::GetValue()
{
  switch (FKind) {
  case okNone:
  case okLeftBracket:
  case okRightBracket:
    return FLeft ? FLeft->GetValue() : Null();
  case okNot:
    return VarNot(FLeft->GetValue());
  case okUnMinus:
    return VarNeg(FLeft->GetValue());
  case okIn:
  case okIs:
    return Membership();
  case okOr:
  case okAnd:
    if (FOptimizeBool) {
      Variant left = FLeft->GetValue();
      if (fsfast::IsTrue(left) == (FKind == okOr))
        return left;
      return FRight->GetValue();
    }
    break;
  case okPlus:
  case okMinus:
  case okMul:
  case okDivInt:
  case okMod:
    if (FOptimizeInt)
      return IntegerPath();
    break;
  default:
    break;
  }

  const Variant left = FLeft->GetValue();
  const Variant right = FRight->GetValue();
  if (IsComparison(FKind)) {
    if (int order = 0; fsfast::Compare(left, right, order))
      return Variant(FKind == okGreat     ? order > 0
                     : FKind == okLess    ? order < 0
                     : FKind == okLessEq  ? order <= 0
                     : FKind == okGreatEq ? order >= 0
                     : FKind == okNonEq   ? order != 0
                                          : order == 0);
  } else if (FFastOp >= 0) {
    if (Variant result; fsfast::Arith(static_cast<TVarOp>(FFastOp), left, right, result))
      return result;
  }
  switch (FKind) {
  case okGreat:
    return Variant(left > right);
  case okLess:
    return Variant(left < right);
  case okLessEq:
    return Variant(left <= right);
  case okGreatEq:
    return Variant(left >= right);
  case okNonEq:
    return Variant(left != right);
  case okEq:
    return Variant(left == right);
  case okPlus:
    if (FStrCat && VarType(left) == varString)
      return Variant(left.StringRef() + VarToStr(right));
    return VarOp(left, right, ::opAdd);
  case okMinus:
    return VarOp(left, right, ::opSubtract);
  case okOr:
    return VarOp(left, right, ::opOr);
  case okXor:
    return VarOp(left, right, ::opXor);
  case okMul:
    return VarOp(left, right, ::opMultiply);
  case okDivFloat:
    return VarOp(left, right, ::opDivide);
  case okDivInt:
    return VarOp(left, right, ::opIntDivide);
  case okMod:
    return VarOp(left, right, ::opModulus);
  case okAnd:
    return VarOp(left, right, ::opAnd);
  case okShl:
    return VarOp(left, right, ::opShiftLeft);
  case okShr:
    return VarOp(left, right, ::opShiftRight);
  default:
    return Null();
  }
}

// One class per operator. They differ only in kind and priority (a smaller priority binds
// tighter; 7 and 6 only stop the climbing of the insertion) and share the evaluation.
class TNoneNode final : public TfsOperatorNode {
public:
  TNoneNode() : TfsOperatorNode(okNone, 7) {}
};
class TGreatNode final : public TfsOperatorNode {
public:
  TGreatNode() : TfsOperatorNode(okGreat, 4) {}
};
class TLessNode final : public TfsOperatorNode {
public:
  TLessNode() : TfsOperatorNode(okLess, 4) {}
};
class TLessEqNode final : public TfsOperatorNode {
public:
  TLessEqNode() : TfsOperatorNode(okLessEq, 4) {}
};
class TGreatEqNode final : public TfsOperatorNode {
public:
  TGreatEqNode() : TfsOperatorNode(okGreatEq, 4) {}
};
class TNonEqNode final : public TfsOperatorNode {
public:
  TNonEqNode() : TfsOperatorNode(okNonEq, 4) {}
};
class TEqNode final : public TfsOperatorNode {
public:
  TEqNode() : TfsOperatorNode(okEq, 4) {}
};
class TPlusNode final : public TfsOperatorNode {
public:
  TPlusNode() : TfsOperatorNode(okPlus, 3) {}
};
// "strcat": "+", except that a left side holding text concatenates the right side's text.
class TStrCatNode final : public TfsOperatorNode {
public:
  TStrCatNode() : TfsOperatorNode(okPlus, 3, true) {}
};
class TMinusNode final : public TfsOperatorNode {
public:
  TMinusNode() : TfsOperatorNode(okMinus, 3) {}
};
class TOrNode final : public TfsOperatorNode {
public:
  TOrNode() : TfsOperatorNode(okOr, 3) {}
};
class TXorNode final : public TfsOperatorNode {
public:
  TXorNode() : TfsOperatorNode(okXor, 3) {}
};
class TMulNode final : public TfsOperatorNode {
public:
  TMulNode() : TfsOperatorNode(okMul, 2) {}
};
class TDivFloatNode final : public TfsOperatorNode {
public:
  TDivFloatNode() : TfsOperatorNode(okDivFloat, 2) {}
};
class TDivIntNode final : public TfsOperatorNode {
public:
  TDivIntNode() : TfsOperatorNode(okDivInt, 2) {}
};
class TModNode final : public TfsOperatorNode {
public:
  TModNode() : TfsOperatorNode(okMod, 2) {}
};
class TAndNode final : public TfsOperatorNode {
public:
  TAndNode() : TfsOperatorNode(okAnd, 2) {}
};
class TShlNode final : public TfsOperatorNode {
public:
  TShlNode() : TfsOperatorNode(okShl, 2) {}
};
class TShrNode final : public TfsOperatorNode {
public:
  TShrNode() : TfsOperatorNode(okShr, 2) {}
};
class TLeftBracketNode final : public TfsOperatorNode {
public:
  TLeftBracketNode() : TfsOperatorNode(okLeftBracket, 6) {}
};
class TRightBracketNode final : public TfsOperatorNode {
public:
  TRightBracketNode() : TfsOperatorNode(okRightBracket, 5) {}
};
class TNotNode final : public TfsOperatorNode {
public:
  TNotNode() : TfsOperatorNode(okNot, 1) {}
};
class TUnMinusNode final : public TfsOperatorNode {
public:
  TUnMinusNode() : TfsOperatorNode(okUnMinus, 1) {}
};
class TInNode final : public TfsOperatorNode {
public:
  TInNode() : TfsOperatorNode(okIn, 4) {}
};
class TIsNode final : public TfsOperatorNode {
public:
  TIsNode() : TfsOperatorNode(okIs, 4) {}
};

template <class N> std::unique_ptr<TfsOperatorNode> MakeNode()
{
  return std::make_unique<N>();
}

struct TOperatorInfo {
  const char* Text;
  std::unique_ptr<TfsOperatorNode> (*Create)();
};

// Every operator text of the four languages, with one priority table for all of them.
const TOperatorInfo Operators[] = {
    {" ", MakeNode<TNoneNode>},
    {">", MakeNode<TGreatNode>},
    {"<", MakeNode<TLessNode>},
    {"<=", MakeNode<TLessEqNode>},
    {">=", MakeNode<TGreatEqNode>},
    {"<>", MakeNode<TNonEqNode>},
    {"=", MakeNode<TEqNode>},
    {"+", MakeNode<TPlusNode>},
    {"strcat", MakeNode<TStrCatNode>},
    {"-", MakeNode<TMinusNode>},
    {"or", MakeNode<TOrNode>},
    {"xor", MakeNode<TXorNode>},
    {"*", MakeNode<TMulNode>},
    {"/", MakeNode<TDivFloatNode>},
    {"div", MakeNode<TDivIntNode>},
    {"mod", MakeNode<TModNode>},
    {"and", MakeNode<TAndNode>},
    {"shl", MakeNode<TShlNode>},
    {"shr", MakeNode<TShrNode>},
    {"(", MakeNode<TLeftBracketNode>},
    {")", MakeNode<TRightBracketNode>},
    {"not", MakeNode<TNotNode>},
    {"unminus", MakeNode<TUnMinusNode>},
    {"in", MakeNode<TInNode>},
    {"is", MakeNode<TIsNode>},
};

std::unique_ptr<TfsOperatorNode> NewOperatorNode(const AnsiString& text)
{
  for (const TOperatorInfo& op : Operators)
    if (SameText(text, op.Text))
      return op.Create();
  return nullptr;
}

TfsOperatorNode* AsOperator(TfsExpressionNode* node)
{
  return dynamic_cast<TfsOperatorNode*>(node);
}

// The depth of a tree, measured without recursion.
Integer TreeDepth(TfsExpressionNode* root)
{
  Integer depth = 0;
  std::vector<std::pair<TfsExpressionNode*, Integer>> pending;
  if (root)
    pending.push_back({root, 1});
  while (!pending.empty()) {
    auto [node, level] = pending.back();
    pending.pop_back();
    depth = std::max(depth, level);
    if (node->FLeft)
      pending.push_back({node->FLeft, level + 1});
    if (node->FRight)
      pending.push_back({node->FRight, level + 1});
  }
  return depth;
}

// Puts replacement where child hangs under parent.
void ReplaceChild(TfsExpressionNode* parent, TfsExpressionNode* child,
                  TfsExpressionNode* replacement)
{
  if (parent->FLeft == child)
    parent->FLeft = replacement;
  else
    parent->FRight = replacement;
  if (replacement)
    replacement->FParent = parent;
}

// Static types bottom-up; records the position of the first refused operator.
void CheckTypes(TfsExpressionNode* node, TfsScript* script, AnsiString& errorPos)
{
  TfsOperatorNode* op = AsOperator(node);
  if (!op)
    return;
  TfsVarType l = fvtVariant;
  TfsVarType r = fvtVariant;
  AnsiString leftName;
  AnsiString rightName;
  if (op->FLeft) {
    CheckTypes(op->FLeft, script, errorPos);
    l = op->FLeft->Typ();
    leftName = op->FLeft->TypeName();
  }
  if (op->FRight) {
    CheckTypes(op->FRight, script, errorPos);
    r = op->FRight->Typ();
    rightName = op->FRight->TypeName();
  }
  const TfsOperatorKind kind = op->FKind;
  const bool unary = kind == okNot || kind == okUnMinus;
  if (!op->FLeft || (!unary && !op->FRight))
    RaiseCompileError(SExpressionExpected);
  op->FOptimizeInt = l == fvtInt && r == fvtInt;
  op->FOptimizeBool = l == fvtBool && r == fvtBool;

  bool accepted = false;
  if (kind == okIs && l == fvtClass && r == fvtClass) {
    accepted = true;
  } else if (IsTypeCompatible({l, leftName}, {r, rightName}, script)) {
    switch (l) {
    case fvtBool:
      accepted = kind == okNonEq || kind == okEq || kind == okOr || kind == okXor ||
                 kind == okAnd || kind == okNot;
      break;
    case fvtChar:
    case fvtString:
      accepted = IsComparison(kind) || kind == okPlus || kind == okIn;
      break;
    case fvtClass:
    case fvtArray:
      accepted = kind == okNonEq || kind == okEq;
      break;
    default:
      accepted = true;
    }
  }
  if (!accepted) {
    if (errorPos.empty())
      errorPos = op->SourcePos();
    return;
  }
  op->SetTyp(l);
  op->SetTypeName(leftName);
  if ((l == fvtInt && r == fvtFloat) || (l == fvtFloat && r == fvtInt))
    op->SetTyp(fvtFloat);
  if (IsComparison(kind) || kind == okIn || kind == okIs) {
    op->SetTyp(fvtBool);
    op->SetTypeName("");
  }
}

} // namespace

// ---- TfsExpression ----

TfsExpression::TfsExpression(TfsScript* script)
    : TfsCustomExpression("", fvtVariant, ""), FScript(script)
{
  FRoot = Own(std::make_unique<TNoneNode>());
  FCurNode = FRoot;
}

TfsExpression::~TfsExpression() = default;

void TfsExpression::AddNode(TfsExpressionNode* node)
{
  node->SetSourcePos(FSourcePos);
  if (!FCurNode->FLeft)
    FCurNode->FLeft = node;
  else
    FCurNode->FRight = node;
  node->FParent = FCurNode;
  FCurNode = node;
}

void TfsExpression::AddOperand(const Variant& value)
{
  AddNode(Own(std::make_unique<TfsOperandNode>(value)));
}

void TfsExpression::AddDesignator(std::unique_ptr<TfsDesignator> designator)
{
  AddNode(Own(std::make_unique<TfsDesignatorNode>(std::move(designator))));
}

void TfsExpression::AddSet(std::unique_ptr<TfsSetExpression> set)
{
  AddNode(Own(std::make_unique<TfsSetNode>(std::move(set))));
}

void TfsExpression::AddOperator(const AnsiString& op)
{
  std::unique_ptr<TfsOperatorNode> made = NewOperatorNode(op);
  if (!made)
    return;
  TfsOperatorNode* node = Own(std::move(made));
  node->SetSourcePos(FSourcePos);
  const TfsOperatorKind kind = node->FKind;
  if (kind == okLeftBracket || kind == okUnMinus || kind == okNot) {
    AddNode(node);
    return;
  }
  if (kind == okRightBracket) {
    TfsExpressionNode* bracket = FCurNode;
    while (bracket->Priority() <= 5)
      bracket = bracket->FParent;
    if (bracket == FRoot)
      return; // unbalanced: the grammar never produces it
    TfsExpressionNode* inner = bracket->FLeft;
    ReplaceChild(bracket->FParent, bracket, inner);
    bracket->FLeft = nullptr;
    FCurNode = inner ? inner : FRoot;
    return;
  }
  if (FCurNode == FRoot) {
    AddNode(node);
    return;
  }
  TfsExpressionNode* candidate = nullptr;
  TfsExpressionNode* anchor = FCurNode;
  if (FCurNode->Priority() != 6) {
    candidate = FCurNode;
    anchor = FCurNode->FParent;
  }
  while (anchor->Priority() <= node->Priority()) {
    candidate = anchor;
    anchor = anchor->FParent;
  }
  if (candidate) {
    ReplaceChild(anchor, candidate, node);
    node->FLeft = candidate;
    candidate->FParent = node;
  } else {
    if (!anchor->FLeft)
      anchor->FLeft = node;
    else
      anchor->FRight = node;
    node->FParent = anchor;
  }
  FCurNode = node;
}

AnsiString TfsExpression::FinishExpression()
{
  TfsExpressionNode* placeholder = FRoot;
  FRoot = placeholder->FLeft;
  placeholder->FLeft = nullptr;
  if (!FRoot) {
    // An empty expression (never produced by a grammar) reads as Null.
    FRoot = Own(std::make_unique<TfsOperandNode>(Null()));
  }
  FRoot->FParent = nullptr;
  FCurNode = FRoot;
  if (TreeDepth(FRoot) > fsMaxExpressionDepth)
    RaiseCompileError(SStackOverflow);

  AnsiString errorPos;
  CheckTypes(FRoot, FScript, errorPos);
  FTyp = FRoot->Typ();
  FTypeName = FRoot->TypeName();
  FIsReadOnly = true;
  if (auto* node = dynamic_cast<TfsDesignatorNode*>(FRoot))
    FIsReadOnly = node->Designator()->IsReadOnly();
  return errorPos;
}

namespace {

// The variable a designator node stands for when it is a plain variable designator.
TfsCustomVariable* PlainVariable(TfsExpressionNode* node)
{
  auto* d = dynamic_cast<TfsDesignatorNode*>(node);
  if (!d || d->Designator()->Kind() != dkVariable)
    return nullptr;
  return d->Designator()->RefItem();
}

} // namespace

AnsiString TfsExpression::FoldSelfAssignment(TfsDesignator* target)
{
  TfsOperatorNode* op = AsOperator(FRoot);
  if (!op || !target->RefItem())
    return " ";
  const char* result = nullptr;
  switch (op->FKind) {
  case okPlus:
    result = "+";
    break;
  case okMinus:
    result = "-";
    break;
  case okMul:
    result = "*";
    break;
  case okDivFloat:
    result = "/";
    break;
  default:
    return " ";
  }
  TfsCustomVariable* var = target->RefItem();
  TfsExpressionNode* keep = nullptr;
  if (PlainVariable(op->FLeft) == var) {
    keep = op->FRight;
    op->FRight = nullptr;
  } else if (PlainVariable(op->FRight) == var && (op->FKind == okPlus || op->FKind == okMul) &&
             var->Typ() != fvtString) {
    keep = op->FLeft;
    op->FLeft = nullptr;
  } else {
    return " ";
  }
  FRoot = keep;
  FRoot->FParent = nullptr;
  FCurNode = FRoot;
  return result;
}

TfsCustomVariable* TfsExpression::SingleItem() const
{
  if (auto* node = dynamic_cast<TfsDesignatorNode*>(FRoot)) {
    TfsDesignator* d = node->Designator();
    if (d->Kind() == dkVariable && d->RefItem())
      return d->RefItem();
    return d;
  }
  if (dynamic_cast<TfsSetNode*>(FRoot) == nullptr && dynamic_cast<TfsOperandNode*>(FRoot))
    return FRoot;
  return nullptr;
}

TfsCustomVariable* TfsExpression::Evaluator() const
{
  return FRoot;
}

Variant TfsExpression::GetValue()
{
  return FRoot->GetValue();
}

void TfsExpression::SetValue(const Variant& value)
{
  if (FIsReadOnly)
    return;
  if (auto* node = dynamic_cast<TfsDesignatorNode*>(FRoot))
    node->Designator()->SetValue(value);
}

// ---- TfsSetExpression ----

TfsSetExpression::TfsSetExpression() : TfsCustomVariable("", fvtVariant, "") {}

bool TfsSetExpression::Contains(const Variant& value)
{
  const Integer count = Count();
  for (Integer i = 0; i < count; ++i) {
    auto* element = static_cast<TfsCustomVariable*>(Items(i));
    if (!element)
      continue;
    if (i + 2 < count && Items(i + 1) == nullptr) {
      auto* upper = static_cast<TfsCustomVariable*>(Items(i + 2));
      if (value >= element->GetValue() && value <= upper->GetValue())
        return true;
      i += 2;
      continue;
    }
    if (value == element->GetValue())
      return true;
  }
  return false;
}

Variant TfsSetExpression::GetValue()
{
  const Integer count = Count();
  Variant result = VarArrayCreate({0, count - 1}, varVariant);
  for (Integer i = 0; i < count; ++i) {
    auto* element = static_cast<TfsCustomVariable*>(Items(i));
    VarArrayPut(result, element ? element->GetValue() : Variant(0), {i});
  }
  return result;
}
