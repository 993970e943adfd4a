// Check boxes, radio buttons, owner-drawn buttons, group boxes and static texts, driven
// through scripted input on the headless backend.
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdPaint.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

template <class T> T* Make(TWinControl* parent, TRect bounds, const AnsiString& caption = "")
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  if (!caption.empty())
    c->SetCaption(caption);
  return c;
}

TForm* MakeForm()
{
  auto* f = new TForm(nullptr);
  f->SetCaption("选项");
  f->SetBounds(100, 100, 400, 300);
  return f;
}

// The pixel in the middle of the check box's mark (the box sits at the left, vertically
// centred).
TColor MarkPixel(TWinControl* box)
{
  Integer top = (box->ClientHeight() - cCheckBoxSize) / 2;
  return Headless().ScreenPixel(box->ClientToScreen({4, top + 7}));
}

} // namespace

using CheckBoxControl = UiTest;

TEST_F(CheckBoxControl, ClicksSpaceAndAcceleratorStepThroughTheStates)
{
  TForm* form = MakeForm();
  TCheckBox* box = Make<TCheckBox>(form, Bounds(10, 10, 120, 17), "加粗(&B)");
  TEdit* edit = Make<TEdit>(form, Bounds(10, 40, 100, 21));
  std::vector<TCheckBoxState> seen;
  box->OnClick = [&](TObject*) { seen.push_back(box->State()); };
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  EXPECT_EQ(MarkPixel(box), ColorToRGB(clWindow));

  Headless().Click(box->ClientToScreen({5, 8}));
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(SendMessage(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(MarkPixel(box), ColorToRGB(clWindowText)) << "the mark is drawn";
  // Pressed, then released outside: nothing changes.
  Headless().Drag(box->ClientToScreen({5, 8}), box->ClientToScreen({300, 8}));
  EXPECT_TRUE(box->Checked());

  box->SetAllowGrayed(true);
  Headless().Key(VK_SPACE);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(SendMessage(box->Handle(), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  edit->SetFocus();
  Headless().Key('B', false, false, true);
  EXPECT_EQ(box->State(), cbUnchecked) << "Alt+B focused the box and clicked it";
  EXPECT_TRUE(box->Focused());

  // Code that sets the state clicks too, unless it does nothing.
  box->SetChecked(true);
  box->SetChecked(true);
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbChecked, cbGrayed, cbUnchecked, cbChecked}));

  // Disabled, the box ignores the mouse and draws its mark dimmed.
  box->SetEnabled(false);
  Headless().Click(box->ClientToScreen({5, 8}));
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(MarkPixel(box), ColorToRGB(clBtnShadow));
  delete form;
}

TEST_F(CheckBoxControl, RadioButtonsCheckOneOfTheirGroup)
{
  TForm* form = MakeForm();
  TGroupBox* group = Make<TGroupBox>(form, Bounds(10, 10, 200, 110), "付款方式(&P)");
  TRadioButton* a = Make<TRadioButton>(group, Bounds(8, 20, 150, 17), "寄付");
  TRadioButton* b = Make<TRadioButton>(group, Bounds(8, 40, 150, 17), "到付");
  TRadioButton* c = Make<TRadioButton>(group, Bounds(8, 60, 150, 17), "月结");
  TRadioButton* other = Make<TRadioButton>(form, Bounds(10, 150, 150, 17), "其他组");
  TEdit* edit = Make<TEdit>(form, Bounds(10, 180, 100, 21));
  other->SetChecked(true);
  Integer doubles = 0;
  b->OnDblClick = [&](TObject*) { ++doubles; };
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();

  Headless().Click(b->ClientToScreen({5, 8}));
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(other->Checked()) << "another parent is another group";
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(a->TabStop()) << "only the checked button of a group is a tab stop";

  // The arrow keys move the check through the group.
  Headless().Key(VK_DOWN);
  EXPECT_TRUE(c->Focused());
  EXPECT_TRUE(c->Checked());
  EXPECT_FALSE(b->Checked());
  Headless().Key(VK_UP);
  EXPECT_TRUE(b->Checked());

  Headless().Advance(1000);
  Headless().DoubleClick(b->ClientToScreen({5, 8}));
  EXPECT_EQ(doubles, 1);

  // The group's accelerator focuses its first tab stop: the checked radio button.
  edit->SetFocus();
  Headless().Key('P', false, false, true);
  EXPECT_TRUE(b->Focused());

  // Children stand inside the frame, below the caption.
  TRect client = group->ClientRect();
  a->SetAlign(alTop);
  EXPECT_GT(a->Top(), 8);
  EXPECT_LT(a->Width(), client.Width());
  delete form;
}

namespace {

// A radio button drawn by its owner, as a look-and-feel library makes it.
class TOwnerRadio : public TRadioButton {
public:
  using TRadioButton::TRadioButton;
  std::vector<UINT> States;

protected:
  void CreateParams(TCreateParams& Params) override
  {
    TRadioButton::CreateParams(Params);
    Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
  }
  void Dispatch(TMessage& Message) override
  {
    if (Message.Msg == CN_DRAWITEM) {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam);
      States.push_back(dis->itemState);
      TCanvas* c = CanvasFromDC(dis->hDC);
      c->Brush()->SetColor(clRed);
      c->FillRect(dis->rcItem);
      Message.Result = 1;
      return;
    }
    TRadioButton::Dispatch(Message);
  }
};

} // namespace

TEST_F(CheckBoxControl, OwnerDrawnButtonsAreDrawnThroughTheirParent)
{
  TForm* form = MakeForm();
  auto* radio = Make<TOwnerRadio>(form, Bounds(10, 10, 100, 20), "自绘");
  Integer parentDrawItems = 0;
  TWndMethod old = form->WindowProc;
  form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_DRAWITEM)
      ++parentDrawItems;
    old(m);
  };
  form->Show();
  Headless().ProcessMessages();
  EXPECT_GT(parentDrawItems, 0) << "the parent was asked (WM_DRAWITEM)";
  EXPECT_EQ(Headless().ScreenPixel(radio->ClientToScreen({50, 10})), ColorToRGB(clRed));

  radio->States.clear();
  Headless().Press(hbLeft, radio->ClientToScreen({5, 5}));
  Headless().ProcessMessages();
  ASSERT_FALSE(radio->States.empty());
  EXPECT_TRUE(radio->States.back() & ODS_SELECTED) << "pressed";
  EXPECT_TRUE(radio->States.back() & ODS_FOCUS) << "a click focuses it";
  Headless().Release(hbLeft, radio->ClientToScreen({5, 5}));
  EXPECT_TRUE(radio->Checked()) << "an owner-drawn radio still clicks";
  form->WindowProc = old;
  delete form;
}

TEST_F(CheckBoxControl, StaticTextFitsItsCaptionAndFocusesItsControl)
{
  TForm* form = MakeForm();
  auto* text = Make<TStaticText>(form, Bounds(10, 10, 10, 10), "收件人(&R)");
  auto* edit = Make<TEdit>(form, Bounds(10, 40, 100, 21));
  auto* first = Make<TEdit>(form, Bounds(10, 70, 100, 21));
  text->SetFocusControl(edit);
  text->SetColor(clWhite);
  text->Font()->SetColor(clRed);
  form->Show();
  first->SetFocus();
  Headless().ProcessMessages();
  EXPECT_GT(text->Width(), 40) << "AutoSize fits the caption";
  Integer oneLine = text->Height();
  text->SetBorderStyle(sbsSunken);
  EXPECT_EQ(text->Height(), oneLine + 2);
  EXPECT_EQ(Headless().ScreenPixel(text->ClientToScreen({text->Width() - 3, 3})),
            ColorToRGB(clWhite))
      << "opaque in its own colour";
  Headless().Key('R', false, false, true);
  EXPECT_TRUE(edit->Focused());
  delete edit;
  EXPECT_EQ(text->FocusControl(), nullptr);
  delete form;
}
