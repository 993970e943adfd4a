// Graphics, forms, controls and dialogs from scripts, run on the headless backend: the
// test clicks and answers what the script shows.
#include "platform/graphics/Graphics.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "report/script/fsEvents.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

class fsUiUnits : public UiTest {
protected:
  // Clicks the button captioned text in the active window once the script's modal loop runs.
  static void ClickWhenShown(const char* text)
  {
    Headless().QueueStep([text] {
      HWND form = GetActiveWindow();
      Headless().Click(
          THeadlessBackend::ScreenPoint(THeadlessBackend::FindChildByText(form, text), {5, 5}));
    });
  }
};

} // namespace

// One program per language: a sorted string list, a form with an edit and a button whose
// OnClick the test clicks, a colour and a key code.
TEST_F(fsUiUnits, OneProgramInEveryLanguage)
{
  struct {
    const char* Language;
    const char* Text;
  } cases[] = {
      {"PascalScript",
       "var l: TStringList; f: TForm; e: TEdit; b: TButton;\r\n"
       "procedure Clicked(Sender: TObject);\r\n"
       "begin Log('clicked ' + e.Text + ' ' + TButton(Sender).Caption); f.ModalResult := mrOk "
       "end;\r\n"
       "begin\r\n"
       "  l := TStringList.Create; l.CommaText := 'pear,apple,fig'; l.Sort; Log(l.CommaText);\r\n"
       "  l.Free;\r\n"
       "  f := TForm.Create(nil); f.Caption := 'Demo'; f.SetBounds(10, 10, 300, 200);\r\n"
       "  e := TEdit.Create(f); e.Parent := f; e.Text := 'hello';\r\n"
       "  b := TButton.Create(f); b.Parent := f; b.Caption := 'Go'; b.SetBounds(10, 50, 80, "
       "25);\r\n"
       "  b.OnClick := @Clicked;\r\n"
       "  Log(f.ShowModal); Log(clRed); Log(VK_RETURN); f.Free\r\n"
       "end."},
      {"C++Script",
       "TStringList l; TForm f; TEdit e; TButton b;\r\n"
       "void Clicked(TObject Sender)\r\n"
       "{ Log(\"clicked \" + e.Text + \" \" + TButton(Sender).Caption); f.ModalResult = mrOk; }\r\n"
       "{\r\n"
       "  l = new TStringList; l.CommaText = \"pear,apple,fig\"; l.Sort(); Log(l.CommaText);\r\n"
       "  delete l;\r\n"
       "  f = new TForm(nil); f.Caption = \"Demo\"; f.SetBounds(10, 10, 300, 200);\r\n"
       "  e = new TEdit(f); e.Parent = f; e.Text = \"hello\";\r\n"
       "  b = new TButton(f); b.Parent = f; b.Caption = \"Go\"; b.SetBounds(10, 50, 80, 25);\r\n"
       "  b.OnClick = &Clicked;\r\n"
       "  Log(f.ShowModal); Log(clRed); Log(VK_RETURN); delete f;\r\n"
       "}"},
      {"JScript",
       "var l, f, e, b;\r\n"
       "function Clicked(Sender)\r\n"
       "{ Log(\"clicked \" + e.Text + \" \" + TButton(Sender).Caption); f.ModalResult = mrOk; }\r\n"
       "l = new TStringList; l.CommaText = \"pear,apple,fig\"; l.Sort(); Log(l.CommaText);\r\n"
       "delete l;\r\n"
       "f = new TForm(nil); f.Caption = \"Demo\"; f.SetBounds(10, 10, 300, 200);\r\n"
       "e = new TEdit(f); e.Parent = f; e.Text = \"hello\";\r\n"
       "b = new TButton(f); b.Parent = f; b.Caption = \"Go\"; b.SetBounds(10, 50, 80, 25);\r\n"
       "b.OnClick = &Clicked;\r\n"
       "Log(f.ShowModal); Log(clRed); Log(VK_RETURN); delete f;\r\n"},
      {"BasicScript", "Dim l, f, e, b\r\n"
                      "Sub Clicked(Sender)\r\n"
                      "  Log(\"clicked \" & e.Text & \" \" & TButton(Sender).Caption)\r\n"
                      "  f.ModalResult = mrOk\r\n"
                      "End Sub\r\n"
                      "l = New TStringList\r\n"
                      "l.CommaText = \"pear,apple,fig\"\r\n"
                      "l.Sort\r\n"
                      "Log(l.CommaText)\r\n"
                      "Delete l\r\n"
                      "f = New TForm(nil)\r\n"
                      "f.Caption = \"Demo\"\r\n"
                      "f.SetBounds(10, 10, 300, 200)\r\n"
                      "e = New TEdit(f)\r\n"
                      "e.Parent = f\r\n"
                      "e.Text = \"hello\"\r\n"
                      "b = New TButton(f)\r\n"
                      "b.Parent = f\r\n"
                      "b.Caption = \"Go\"\r\n"
                      "b.SetBounds(10, 50, 80, 25)\r\n"
                      "b.OnClick = AddressOf Clicked\r\n"
                      "Log(f.ShowModal)\r\n"
                      "Log(clRed)\r\n"
                      "Log(VK_RETURN)\r\n"
                      "Delete f\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Language);
    TTestScript t(c.Language);
    ClickWhenShown("Go");
    EXPECT_EQ(t.Run(c.Text), "apple,fig,pear,clicked hello Go,1,255,13");
    EXPECT_EQ(Screen()->FormCount(), 0);
    EXPECT_EQ(Headless().PendingResponders(), 0);
  }
}

TEST_F(fsUiUnits, ConstantsAndSets)
{
  TTestScript t;
  EXPECT_EQ(t.Run("begin Log(clRed); Log(clBtnFace); Log(clNone); Log(clDefault); "
                  "Log(clMoneyGreen); Log(crSize = crSizeAll); Log(crSize); Log(crHandPoint); "
                  "Log(VK_F12); Log(VK_NUMPAD9); Log(VK_SCROLL); Log(mrYesToAll); Log(bsDialog); "
                  "Log(fsBold + fsItalic); Log(ssCtrl); Log(alClient); Log(caFree); "
                  "Log(mbYes + mbNo); Log(mtConfirmation); Log(ofEnableSizing) end."),
            "255,-16777201,536870911,536870912,12639424,True,-22,-21,123,105,145,10,3,3,4,5,2,"
            "3,3,524288");
  // Every named colour of the platform's table reads as its value.
  for (Integer i = 0; i < ColorIdentCount(); ++i) {
    SCOPED_TRACE(ColorIdent(i).Name);
    EXPECT_EQ(t.Run(std::string("begin Log(") + ColorIdent(i).Name + ") end."),
              std::to_string(ColorIdent(i).Value));
  }
}

TEST_F(fsUiUnits, DialogsFromScripts)
{
  TTestScript t;
  Headless().QueueStep([] {
    Headless().Click(THeadlessBackend::ScreenPoint(
        THeadlessBackend::FindChildByText(GetActiveWindow(), "否(N)"), {5, 5}));
  });
  EXPECT_EQ(t.Run("begin Log(MessageDlg('Save?', mtConfirmation, mbYes + mbNo, 0) = mrNo) end."),
            "True");
  Application()->SetTitle("运单打印");
  Headless().AnswerModal("运单打印", "确定");
  EXPECT_EQ(t.Run("begin ShowMessage('saved'); Log('after') end."), "after");
  EXPECT_EQ(Headless().PendingResponders(), 0);
}

// Events with values handed back: CloseQuery refuses, Close hides instead of freeing, a key
// press is replaced; a handler with fewer parameters than the event still runs.
TEST_F(fsUiUnits, EventsHandBackValues)
{
  TTestScript t;
  ASSERT_TRUE(t.Compile("var f: TForm; e: TEdit; allow: Boolean;\r\n"
                        "procedure Query(Sender: TObject; var CanClose: Boolean);\r\n"
                        "begin Log('query'); CanClose := allow end;\r\n"
                        "procedure Closing(Sender: TObject; var Action: TCloseAction);\r\n"
                        "begin Log('close'); Action := caHide end;\r\n"
                        "procedure Key(Sender: TObject; var Key: Char);\r\n"
                        "begin if Key = 'a' then Key := 'A' end;\r\n"
                        "procedure Down(Sender: TObject);\r\n"
                        "begin Log('down') end;\r\n"
                        "begin\r\n"
                        "  f := TForm.Create(nil); e := TEdit.Create(f); e.Parent := f;\r\n"
                        "  f.OnCloseQuery := @Query; f.OnClose := @Closing;\r\n"
                        "  e.OnKeyPress := @Key; e.OnKeyDown := @Down;\r\n"
                        "  f.Show; allow := False; f.Close; Log(f.Visible);\r\n"
                        "  allow := True; f.Close; Log(f.Visible)\r\n"
                        "end."))
      << t.Error;
  EXPECT_EQ(t.RunAgain(), "query,True,query,close,False");
  auto* form = dynamic_cast<TForm*>(Screen()->Forms(0));
  ASSERT_NE(form, nullptr);
  auto* edit = dynamic_cast<TEdit*>(form->Controls(0));
  ASSERT_NE(edit, nullptr);
  char key = 'a';
  edit->OnKeyPress(edit, key);
  EXPECT_EQ(key, 'A');
  Word code = VK_RETURN;
  t.Output.clear();
  edit->OnKeyDown(edit, code, TShiftState{});
  EXPECT_EQ(t.Output, "down");
  delete form;
}

TEST_F(fsUiUnits, CanvasOnABitmap)
{
  TTestScript t;
  EXPECT_EQ(t.Run("var b: TBitmap; c: TCanvas;\r\n"
                  "begin b := TBitmap.Create; b.Width := 20; b.Height := 10; c := b.Canvas;\r\n"
                  "  c.Pixels[1, 1] := clRed; Log(c.Pixels[1, 1]); c.Brush.Color := clBlue;\r\n"
                  "  c.Pen.Color := clBlue; c.Rectangle(5, 2, 9, 6); Log(c.Pixels[6, 3]);\r\n"
                  "  Log(c.TextWidth('') = 0); Log(b.Width); b.Free end."),
            "255,16711680,True,20");
}

TEST_F(fsUiUnits, CommonDialogsAndInput)
{
  HeadlessDialogs().AcceptFile("TOpenDialog", "/tmp/waybills.txt");
  HeadlessDialogs().Cancel("TSaveDialog");
  Headless().OnWindow("新建模板", [](HWND) {
    Headless().Type("申通");
    Headless().Key(VK_RETURN);
  });
  TTestScript t;
  EXPECT_EQ(t.Run("var o: TOpenDialog; v: TSaveDialog; s: String;\r\n"
                  "begin\r\n"
                  "  o := TOpenDialog.Create(nil); o.Filter := 'Text|*.txt';\r\n"
                  "  Log(o.Execute); Log(o.FileName); o.Free;\r\n"
                  "  v := TSaveDialog.Create(nil); Log(v.Execute); v.Free;\r\n"
                  "  s := 'x'; Log(InputQuery('新建模板', 'name', s)); Log(s)\r\n"
                  "end."),
            "True,/tmp/waybills.txt,False,True,申通");
  Headless().OnWindow("新建模板", [](HWND) { Headless().Key(VK_ESCAPE); });
  EXPECT_EQ(t.Run("begin Log(InputBox('新建模板', 'name', 'default')) end."), "default");
  EXPECT_EQ(HeadlessDialogs().Pending(), 0);
}
