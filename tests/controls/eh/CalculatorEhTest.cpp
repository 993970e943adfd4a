// The calculator: key scripts with their display and equals caption, limits, errors,
// clipboard and wheel, the buttons as laid out, and the popup's closing rules.
#include "controls/eh/CalculatorEh.h"

#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Math.h"
#include "platform/ui/Clipbrd.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

// An edit that owns a popup calculator and records how it was closed.
class TOwnerEdit : public TEdit, public IDropDownOwnerEh {
public:
  using TEdit::TEdit;
  std::vector<bool> Closes;
  void CloseDropDown(bool Accept) override { Closes.push_back(Accept); }
};

void Keys(TCalculatorEh* c, const AnsiString& keys)
{
  for (char k : keys)
    c->HandleKey(k);
}

} // namespace

// The form's geometry holds for a font whose "0" is 13 pixels high: the tests draw with the
// fixed-metric engine of that height.
class CalculatorEh : public UiTest {
protected:
  std::unique_ptr<TTextEngine> Engine = CreateFixedTextEngine(TFixedMetrics{7, 13, 11, 2, 0, 0});
  void SetUp() override
  {
    UiTest::SetUp();
    SetDefaultTextEngine(Engine.get());
  }
  void TearDown() override
  {
    UiTest::TearDown();
    SetDefaultTextEngine(nullptr);
  }
};

TEST_F(CalculatorEh, KeyScripts)
{
  struct {
    const char* Name;
    AnsiString Keys;
    const char* Display;
    const char* Caption;
  } cases[] = {
      {"pending sum", "12+3", "3", "="},
      {"enter computes", "12+3\r", "15", "Ok"},
      {"percent of a sum", "200+10%", "220", "Ok"},
      {"percent of a product", "200*10%", "20", "Ok"},
      {"division by zero", "1/0=", "Error", "Ok"},
      {"keys ignored in error", "1/0=5+", "Error", "Ok"},
      {"C resets", "1/0=C", "0", "Ok"},
      {"15 digits", "1111111111111111111", "111111111111111", "Ok"},
      {"16 with a minus", "1I1111111111111111111", "-111111111111111", "Ok"},
      {"backspace on a minus digit", "5I\b", "0", "Ok"},
      {"backspace on two digits", "12\b", "1", "Ok"},
      {"backspace on a result", "2+3=\b", "0", "Ok"},
      {"square root of a negative", "4IS", "Error", "Ok"},
      {"square root", "16S", "4", "Ok"},
      {"reciprocal", "4R", "0.25", "Ok"},
      {"decimal separator once", "1.5.2", "1.52", "Ok"},
      {"Esc resets", "7*\x1b", "0", "Ok"},
      {"chained", "2+3*4=", "20", "Ok"},
      {"cancel button key does nothing", "5A", "5", "Ok"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TCalculatorEh calc(nullptr);
    Keys(&calc, c.Keys);
    EXPECT_EQ(calc.DisplayString(), c.Display);
    EXPECT_EQ(calc.EqualButton()->Caption(), c.Caption);
  }
}

TEST_F(CalculatorEh, ClipboardAndWheel)
{
  auto* form = new TForm(nullptr);
  form->SetBounds(100, 100, 260, 200);
  auto* calc = new TCalculatorEh(form);
  calc->SetParent(form);
  form->Show();
  Headless().ProcessMessages();

  Keys(calc, "5");
  Clipboard()->SetAsText(" 1E20 ");
  calc->HandleKey(22);
  EXPECT_EQ(calc->DisplayString(), "1E20");
  calc->HandleKey('3');
  EXPECT_EQ(calc->DisplayString(), "1E20") << "an exponent form takes no digits";
  Clipboard()->SetAsText("abc");
  EXPECT_THROW(calc->HandleKey(22), EConvertError);
  EXPECT_EQ(calc->DisplayString(), "1E20");
  calc->HandleKey(3);
  EXPECT_EQ(Clipboard()->AsText(), "1E20");

  Keys(calc, "C7");
  calc->SetFocus();
  Headless().Wheel(1, calc->ClientToScreen({2, 125}));
  EXPECT_EQ(calc->DisplayString(), "8");
  EXPECT_EQ(calc->EntryState(), 1) << "the wheel leaves the state";
  Headless().Wheel(-2, calc->ClientToScreen({2, 125}));
  EXPECT_EQ(calc->DisplayString(), "6");

  // Typed keys and clicked buttons go the same way.
  Keys(calc, "C");
  Headless().Type("12+");
  Headless().Click(calc->ButtonOfKey('3')->ClientToScreen({5, 5}));
  EXPECT_EQ(calc->EqualButton()->Caption(), "=");
  Headless().Click(calc->EqualButton()->ClientToScreen({5, 5}));
  EXPECT_EQ(calc->DisplayString(), "15");
  delete form;
}

TEST_F(CalculatorEh, ButtonsSitWhereTheFormPutsThem)
{
  TCalculatorEh calc(nullptr);
  EXPECT_EQ(calc.ClientWidth(), 184);
  EXPECT_EQ(calc.ClientHeight(), 127);
  EXPECT_EQ(calc.Panel()->BoundsRect(), Bounds(6, 4, 171, 19));
  EXPECT_EQ(calc.ButtonOfKey('7')->BoundsRect(), Bounds(6, 29, 27, 22));
  EXPECT_EQ(calc.ButtonOfKey('C')->BoundsRect(), Bounds(151, 29, 27, 46));
  EXPECT_EQ(calc.ButtonOfKey('A')->BoundsRect(), Bounds(151, 52, 27, 23));
  EXPECT_EQ(calc.ButtonOfKey('=')->BoundsRect(), Bounds(122, 101, 56, 22));
  EXPECT_EQ(calc.ButtonOfKey(8)->Caption(), "<-");
  EXPECT_EQ(calc.ButtonOfKey('1')->Font()->Color(), clBlue);
  EXPECT_EQ(calc.ButtonOfKey('+')->Font()->Color(), clRed);
  EXPECT_EQ(calc.ButtonOfKey('S')->Font()->Color(), clBlue);

  // With a font whose "0" is higher the form grows by the ratio of the heights.
  SetDefaultTextEngine(nullptr);
  TCalculatorEh scaled(nullptr);
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(scaled.Font());
  Integer h = probe.Canvas()->TextHeight("0");
  EXPECT_EQ(scaled.ClientWidth(), MulDiv(184, h, 13));
  EXPECT_EQ(scaled.ButtonOfKey('=')->BoundsRect(),
            Bounds(MulDiv(122, h, 13), MulDiv(101, h, 13), MulDiv(56, h, 13), MulDiv(22, h, 13)));
}

TEST_F(CalculatorEh, PopupClosesOnSecondEnterEscAndTheCloseMessage)
{
  auto* form = new TForm(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* edit = new TOwnerEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 120, 21);
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  auto* popup = new TPopupCalculatorEh(edit);
  EXPECT_EQ(popup->Width(), 184 + 4) << "the calculator plus its 2-pixel frame";
  SetWindowPos(popup->Handle(), HWND_TOPMOST, 110, 141, popup->Width(), popup->Height(),
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Headless().ProcessMessages();

  Keys(popup, "12+3");
  EXPECT_FALSE(popup->EnterAccepts());
  popup->HandleKey('\r');
  EXPECT_TRUE(edit->Closes.empty()) << "the first Enter computes";
  EXPECT_EQ(popup->DisplayString(), "15");
  popup->HandleKey('\r');
  EXPECT_EQ(edit->Closes, std::vector<bool>{true});
  EXPECT_EQ(popup->DropDownValue(), Variant(15.0));

  Headless().Click(popup->ButtonOfKey('7')->ClientToScreen({5, 5}));
  EXPECT_EQ(GetFocus(), edit->Handle()) << "a click leaves the focus with the owner";
  EXPECT_EQ(popup->DisplayString(), "7") << "a new number after the result";
  popup->HandleKey(27);
  popup->Perform(CM_CALENDARCLOSEEH, 0, 0);
  popup->HandleKey('A');
  EXPECT_EQ(edit->Closes, (std::vector<bool>{true, false, false, false}));

  popup->SetDropDownValue(Variant(2.5));
  EXPECT_EQ(popup->DisplayString(), "2.5");
  EXPECT_EQ(popup->EntryState(), 0);
  Keys(popup, "/0=");
  Variant error = popup->DropDownValue();
  EXPECT_EQ(VarType(error), varError);
  popup->SetFlatLook(false);
  EXPECT_FALSE(popup->ButtonOfKey('1')->Flat());
  delete form;
}
