// Expressions of compiled scripts: TfsExpression, a binary tree of operand and operator nodes
// built from the flat operator/operand sequence of the intermediate syntax by precedence
// insertion, type-checked once, then evaluated on Variants; and TfsSetExpression, the set
// constructor of "in" and of case labels. fsScript.h holds the program model.
#pragma once

#include <memory>
#include <vector>

#include "report/script/fsScript.h"

class TfsDesignator;
class TfsSetExpression;
class TfsExpressionNode;

// Operator kinds; the kind decides the node class and the priority (a smaller priority
// binds tighter). "strcat" shares the kind of "+".
enum TfsOperatorKind {
  okNone,
  okGreat,
  okLess,
  okLessEq,
  okGreatEq,
  okNonEq,
  okEq,
  okPlus,
  okMinus,
  okOr,
  okXor,
  okMul,
  okDivFloat,
  okDivInt,
  okMod,
  okAnd,
  okShl,
  okShr,
  okLeftBracket,
  okRightBracket,
  okNot,
  okUnMinus,
  okIn,
  okIs
};

class TfsExpression : public TfsCustomExpression {
public:
  explicit TfsExpression(TfsScript* script);
  ~TfsExpression() override;

  // Building, in source order. The node takes the expression's current source position.
  void AddOperand(const Variant& value);
  void AddDesignator(std::unique_ptr<TfsDesignator> designator);
  void AddSet(std::unique_ptr<TfsSetExpression> set);
  // Inserts an operator by its text (ignoring case); an unknown text adds nothing.
  void AddOperator(const AnsiString& op);
  // Ends building and checks the operand types. Returns the position of the first operator
  // whose operands do not fit, empty when the expression is sound. An expression nested
  // deeper than fsMaxExpressionDepth raises "Stack overflow".
  AnsiString FinishExpression();
  // For x := x op e: drops the x operand and returns "+", "-", "*", "/" (or " " when the
  // expression has no such form), so the assignment runs as a compound one.
  AnsiString FoldSelfAssignment(TfsDesignator* target);
  // The item an assignment can read directly instead of the tree; nil when none.
  TfsCustomVariable* SingleItem() const;
  // What gives the expression's value when read: the tree's root (reading it directly saves
  // a step on the hot paths).
  TfsCustomVariable* Evaluator() const;

  Variant GetValue() override;
  void SetValue(const Variant& value) override;

  const AnsiString& Source() const { return FSource; }
  void SetSource(const AnsiString& value) { FSource = value; }
  TfsScript* Script() const { return FScript; }

private:
  // Takes a new node into the pool and returns it.
  template <class N> N* Own(std::unique_ptr<N> node)
  {
    N* raw = node.get();
    FNodes.emplace_back(std::move(node));
    return raw;
  }
  void AddNode(TfsExpressionNode* node);

  // Every node the expression made lives here until the expression dies, also the brackets
  // and operands that building or folding dropped from the tree; the tree's links do not
  // own. So nothing is freed by recursion, however deep the tree.
  std::vector<std::unique_ptr<TfsExpressionNode>> FNodes;
  TfsExpressionNode* FCurNode;
  TfsExpressionNode* FRoot;
  TfsScript* FScript;
  AnsiString FSource;
};

// [1, 3..5]: the children are element expressions; a nil child stands between the two
// bounds of a range.
class TfsSetExpression : public TfsCustomVariable {
public:
  TfsSetExpression();
  bool Contains(const Variant& value);
  // A one-dimensional Variant array of the element values (0 in place of a range marker).
  Variant GetValue() override;
};
