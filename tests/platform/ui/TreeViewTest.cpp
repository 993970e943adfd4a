// The tree view: nodes and their order, expanding with the mouse and keys, selection with
// OnChanging/OnChange, renaming a node in place, and what deleting the selected node does.
#include "platform/ui/ComCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

struct TTreeForm {
  TForm* Form;
  TTreeView* Tree;
  TTreeNode *Root, *Sf, *Yto, *Other;
  TTreeForm()
  {
    Form = new TForm(nullptr);
    Form->SetBounds(40, 40, 400, 300);
    Tree = new TTreeView(Form);
    Tree->SetBounds(10, 10, 200, 200);
    Tree->SetParent(Form);
    Root = Tree->Items()->Add(nullptr, "快递公司");
    Sf = Tree->Items()->AddChildObject(Root, "顺丰", reinterpret_cast<void*>(1));
    Yto = Tree->Items()->AddChild(Root, "圆通");
    Tree->Items()->AddChild(Sf, "标准件");
    Other = Tree->Items()->Add(Root, "其他");
    Form->Show();
    Tree->SetFocus();
    Headless().ProcessMessages();
  }
  ~TTreeForm() { delete Form; }
  TPoint Row(Integer row, Integer x) const
  {
    Integer h = Tree->ItemHeight();
    return Tree->ClientToScreen({x, row * h + h / 2});
  }
};

} // namespace

using TreeViewControl = UiTest;

TEST_F(TreeViewControl, NodesExpandAndAreSelectedByMouseAndKeys)
{
  TTreeForm f;
  TTreeView* t = f.Tree;
  EXPECT_EQ(t->Items()->Count(), 5);
  EXPECT_EQ(t->Items()->Item(2)->Text(), "标准件") << "depth first";
  EXPECT_EQ(f.Sf->Level(), 1);
  EXPECT_EQ(f.Sf->Data(), reinterpret_cast<void*>(1));
  EXPECT_EQ(f.Sf->GetNextSibling(), f.Yto);
  EXPECT_EQ(f.Other->GetPrevSibling(), f.Root);
  EXPECT_THROW(f.Root->Item(5), EListError);

  std::vector<AnsiString> changes;
  t->OnChange = [&](TObject*, TTreeNode* n) { changes.push_back(n ? n->Text() : "-"); };
  // A click on the root's button (in the first indent slot) expands it.
  Headless().Click(f.Row(0, 2 + t->Indent() / 2));
  EXPECT_TRUE(f.Root->Expanded());
  EXPECT_EQ(t->Selected(), nullptr) << "the button does not select";
  Headless().Click(f.Row(1, 80));
  EXPECT_EQ(t->Selected(), f.Sf);
  Headless().Key(VK_RIGHT);
  EXPECT_TRUE(f.Sf->Expanded());
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(t->Selected()->Text(), "标准件");
  Headless().Key(VK_LEFT);
  EXPECT_EQ(t->Selected(), f.Sf) << "Left goes to the parent";
  Headless().Key(VK_LEFT);
  EXPECT_FALSE(f.Sf->Expanded()) << "then collapses";
  Headless().Key(VK_DOWN);
  Headless().Key(VK_END);
  EXPECT_EQ(t->Selected(), f.Other);
  EXPECT_EQ(changes, (std::vector<AnsiString>{"顺丰", "标准件", "顺丰", "圆通", "其他"}));

  // OnChanging may refuse; collapsing a parent brings the selection up to it.
  t->OnChanging = [&](TObject*, TTreeNode* n, bool& allow) { allow = n != f.Yto; };
  Headless().Click(f.Row(2, 80));
  EXPECT_EQ(t->Selected(), f.Other);
  t->OnChanging = nullptr;
  f.Sf->Expand(false);
  t->SetSelected(f.Sf->GetFirstChild());
  f.Root->Collapse(false);
  EXPECT_EQ(t->Selected(), f.Root);
  // A double click on a parent toggles it.
  Headless().DoubleClick(f.Row(0, 60));
  EXPECT_TRUE(f.Root->Expanded());

  // Deleting the selected node selects its next sibling (else the previous, else the parent).
  t->SetSelected(f.Sf);
  f.Sf->Delete();
  EXPECT_EQ(t->Selected(), f.Yto);
  f.Yto->Delete();
  EXPECT_EQ(t->Selected(), f.Root);
  EXPECT_EQ(t->Items()->Count(), 2);
  t->Items()->Clear();
  EXPECT_EQ(t->Selected(), nullptr);
  EXPECT_EQ(t->Items()->GetFirstNode(), nullptr);
}

TEST_F(TreeViewControl, ANodeIsRenamedInPlace)
{
  TTreeForm f;
  TTreeView* t = f.Tree;
  f.Root->Expand(false);
  t->SetSelected(f.Yto);
  TTreeNode* edited = nullptr;
  t->OnEdited = [&](TObject*, TTreeNode* n, AnsiString& s) {
    edited = n;
    s += "快递";
  };
  Headless().Key(VK_F2);
  ASSERT_TRUE(t->IsEditing());
  EXPECT_TRUE(t->EditControl()->Focused());
  EXPECT_EQ(t->EditControl()->SelText(), "圆通") << "the whole text is selected";
  Headless().Type("中通");
  Headless().Key(VK_RETURN);
  EXPECT_FALSE(t->IsEditing());
  EXPECT_EQ(edited, f.Yto);
  EXPECT_EQ(f.Yto->Text(), "中通快递") << "OnEdited may change the text";
  EXPECT_TRUE(t->Focused());

  // Esc keeps the old text; a read-only tree does not edit.
  edited = nullptr;
  ASSERT_TRUE(f.Yto->EditText());
  Headless().Type("x");
  Headless().Key(VK_ESCAPE);
  EXPECT_EQ(f.Yto->Text(), "中通快递");
  EXPECT_EQ(edited, nullptr);
  // Leaving the editor (another node chosen) keeps what was typed.
  ASSERT_TRUE(f.Yto->EditText());
  Headless().Type("韵达");
  t->SetSelected(f.Sf);
  EXPECT_EQ(f.Yto->Text(), "韵达快递");
  t->SetReadOnly(true);
  EXPECT_FALSE(f.Sf->EditText());
}
