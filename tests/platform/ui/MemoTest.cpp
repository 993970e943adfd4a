// The multi-line edit: line layout with word wrap, typing and moving over lines, the lines
// list, scrolling, dialog keys, undo and the edit's own context menu.
#include <map>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

// A measure where every byte is 5 pixels wide (a double-byte character 10) and tabs stop
// every 40 pixels.
void FixedMeasure(const char* Text, Integer Length, Integer StartX, std::vector<Integer>& Ext)
{
  Ext.resize(static_cast<std::size_t>(Length));
  Integer x = StartX;
  for (Integer i = 0; i < Length; ++i) {
    x = Text[i] == '\t' ? (x / 40 + 1) * 40 : x + 5;
    Ext[i] = x;
  }
}

std::vector<AnsiString> Layout(const AnsiString& text, Integer width)
{
  std::vector<TEditLine> lines;
  LayoutEditLines(text, width, &FixedMeasure, lines);
  std::vector<AnsiString> out;
  for (const TEditLine& l : lines)
    out.push_back(text.substr(l.Start, l.End - l.Start));
  return out;
}

using TLines = std::vector<AnsiString>;

struct TMemoForm {
  TForm* Form;
  TMemo* Memo;
  Integer Changes = 0;
  explicit TMemoForm(Integer width = 200, Integer height = 100)
  {
    Form = new TForm(nullptr);
    Form->SetCaption("多行");
    Form->SetBounds(100, 100, 400, 300);
    Memo = new TMemo(Form);
    Memo->SetBounds(10, 10, width, height);
    Memo->SetParent(Form);
    Memo->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
    Memo->SetFocus();
    Headless().ProcessMessages();
  }
};

TLines LinesOf(TStrings* s)
{
  TLines out;
  for (Integer i = 0; i < s->Count(); ++i)
    out.push_back(s->Strings(i));
  return out;
}

} // namespace

TEST(EditLayout, WrapsAtBlanksAndBetweenDoubleByteCharactersOnly)
{
  struct TCase {
    const char* Name;
    const char* Text;
    Integer Width;
    TLines Expected;
  } cases[] = {
      {"no wrap keeps paragraphs", "ab\r\ncd", 0, {"ab", "cd"}},
      {"final break gives an empty line", "ab\r\n", 0, {"ab", ""}},
      {"empty text is one line", "", 50, {""}},
      {"lone LF breaks too", "a\nb", 0, {"a", "b"}},
      {"breaks after the blank, which hangs", "abc def", 20, {"abc ", "def"}},
      {"blanks past the edge stay on the line", "abcd   ef", 20, {"abcd   ", "ef"}},
      {"between Chinese characters", "运单号码", 25, {"运单", "号码"}},
      {"Latin run before Chinese", "SF123运单", 30, {"SF123", "运单"}},
      {"Chinese then Latin", "运单SF12", 30, {"运单", "SF12"}},
      {"a long word is cut", "abcdefgh", 20, {"abcd", "efgh"}},
      {"one wide character per line at least", "运单", 5, {"运", "单"}},
      {"tabs hang like blanks", "a\tb\tc", 60, {"a\tb\t", "c"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Layout(c.Text, c.Width), c.Expected);
  }
}

TEST(EditTextModel, LineBreaksAreOneCharacter)
{
  TEditText m;
  m.SetText("a\r\n中");
  EXPECT_EQ(m.NextChar(1), 3);
  EXPECT_EQ(m.PrevChar(3), 1);
  EXPECT_EQ(m.CharStart(2), 1) << "between CR and LF";
  m.SetSel(2, 2);
  EXPECT_EQ(m.Caret(), 1);
  EXPECT_EQ(m.NextWord(0), 1) << "a word ends at the line break";
  EXPECT_EQ(m.NextWord(1), 3) << "the break is a stop of its own";
  EXPECT_EQ(m.PrevWord(5), 3);
  EXPECT_EQ(m.PrevWord(3), 1);
  m.SetMaxLength(3);
  m.SetText("ab");
  m.SetSel(-1, -1);
  EXPECT_FALSE(m.ReplaceSel("\r\n")) << "a pair that does not fit is not split";
  // A byte below 0x40 always starts a character, even after a run of double-byte text.
  m.SetText("运单号1运");
  EXPECT_EQ(m.CharStart(8), 7);
  EXPECT_EQ(m.CharStart(5), 4);
}

using MemoControl = UiTest;

TEST_F(MemoControl, TypingLinesAndMovingBetweenThem)
{
  TMemoForm f;
  Headless().Type("第一行");
  Headless().Key(VK_RETURN);
  Headless().Type("ab");
  EXPECT_EQ(f.Memo->Text(), "第一行\r\nab");
  EXPECT_EQ(LinesOf(f.Memo->Lines()), (TLines{"第一行", "ab"}));
  EXPECT_EQ(f.Memo->CaretPos(), TPoint(2, 1));

  // Up keeps the column by pixels: "ab" is narrower than "第一", so the caret lands after 第.
  Headless().Key(VK_UP);
  EXPECT_EQ(f.Memo->CaretPos().Y, 0);
  Integer upX = f.Memo->CaretPos().X;
  EXPECT_TRUE(upX == 0 || upX == 2) << upX;
  Headless().Key(VK_END);
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(f.Memo->CaretPos(), TPoint(0, 1)) << "Right steps over CR LF at once";
  Headless().Key(VK_BACK);
  EXPECT_EQ(f.Memo->Text(), "第一行ab") << "Backspace joins the lines";
  Headless().Key(VK_BACK);
  EXPECT_EQ(f.Memo->Text(), "第一ab") << "and takes a whole Chinese character";
  Headless().Key(VK_RETURN, false, true);
  EXPECT_EQ(f.Memo->Text(), "第一\r\nab") << "Ctrl+Enter breaks too";

  // Ctrl+Home and Ctrl+End, Shift extends over lines.
  Headless().Key(VK_HOME, false, true);
  Headless().Key(VK_END, true, true);
  EXPECT_EQ(f.Memo->SelText(), "第一\r\nab");
  EXPECT_EQ(SendMessage(f.Memo->Handle(), EM_GETLINECOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessage(f.Memo->Handle(), EM_LINEINDEX, 1, 0), 6);
  EXPECT_EQ(SendMessage(f.Memo->Handle(), EM_LINELENGTH, 6, 0), 2);
  EXPECT_EQ(SendMessage(f.Memo->Handle(), EM_LINEFROMCHAR, 7, 0), 1);
  EXPECT_EQ(SendMessage(f.Memo->Handle(), EM_LINEINDEX, 2, 0), -1);
}

TEST_F(MemoControl, WordWrapFollowsTheWidthAndNeverSplitsACharacter)
{
  TMemoForm f(60, 100);
  AnsiString text = "收件人地址北京市海淀区中关村大街一号";
  f.Memo->SetText(text);
  const auto& lines = f.Memo->DisplayLines();
  ASSERT_GT(lines.size(), 2u) << "the text wraps in a 60-pixel memo";
  for (const TEditLine& l : lines) {
    EXPECT_EQ(l.Start % 2, 0) << "every line starts on a character";
    EXPECT_EQ(l.End % 2, 0);
  }
  EXPECT_EQ(LinesOf(f.Memo->Lines()), (TLines{text})) << "wrapped lines are not list lines";

  // The caret goes down the wrapped lines, and End keeps it on its own line.
  HWND h = f.Memo->Handle();
  SendMessage(h, EM_SETSEL, 0, 0);
  Headless().Key(VK_DOWN);
  EXPECT_EQ(f.Memo->SelStart(), lines[1].Start);
  Headless().Key(VK_END);
  TPoint caret;
  GetCaretPos(caret);
  EXPECT_EQ(caret.Y, HIWORD(SendMessage(h, EM_POSFROMCHAR, lines[1].Start, 0)))
      << "at the end of the second line, not the start of the third";
  EXPECT_GT(caret.X, LOWORD(SendMessage(h, EM_POSFROMCHAR, lines[1].End - 2, 0)));

  // Without wrapping the text is one line that scrolls sideways.
  f.Memo->SetWordWrap(false);
  EXPECT_EQ(f.Memo->LineCount(), 1);
  SendMessage(f.Memo->Handle(), EM_SETSEL, -1, -1);
  GetCaretPos(caret);
  EXPECT_LT(caret.X, f.Memo->ClientWidth());
  EXPECT_GT(caret.X, 0);
}

TEST_F(MemoControl, ScrollBarsWheelAndScrollNotifications)
{
  TMemoForm f(200, 60);
  f.Memo->SetScrollBars(ssVertical);
  AnsiString text;
  for (Integer i = 0; i < 30; ++i)
    text += "行" + IntToStr(i) + "\r\n";
  f.Memo->SetText(text);
  HWND h = f.Memo->Handle();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, SB_VERT, si);
  EXPECT_EQ(si.nMax, 30) << "31 lines: the last one empty";
  EXPECT_GT(si.nPage, 0u);
  EXPECT_EQ(si.nPos, 0);

  Integer vscrolls = 0;
  std::map<HWND, bool> dummy;
  (void)dummy;
  // The parent hears EN_VSCROLL when the user scrolls.
  TWndMethod old = f.Form->WindowProc;
  f.Form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_COMMAND && HIWORD(m.WParam) == EN_VSCROLL)
      ++vscrolls;
    old(m);
  };
  Headless().Wheel(-1, f.Memo->ClientToScreen({20, 20}));
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 3);
  EXPECT_EQ(GetScrollPos(h, SB_VERT), 3);
  SendMessage(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  Integer page = static_cast<Integer>(si.nPage);
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 3 + page);
  SendMessage(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 31 - page);
  EXPECT_EQ(vscrolls, 3);
  f.Form->WindowProc = old;

  // Moving the caret brings its line back into view.
  Headless().Key(VK_HOME, false, true);
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  SendMessage(h, EM_LINESCROLL, 0, 5);
  EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 5);
}

TEST_F(MemoControl, ReturnsAndTabsGoToTheFormUnlessWanted)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 400, 300);
  TMemo* memo = new TMemo(form);
  memo->SetBounds(10, 10, 200, 80);
  memo->SetParent(form);
  memo->SetWantReturns(false);
  TEdit* next = new TEdit(form);
  next->SetBounds(10, 100, 100, 21);
  next->SetParent(form);
  TButton* ok = new TButton(form);
  ok->SetBounds(10, 130, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  ok->SetParent(form);
  TButton* cancel = new TButton(form);
  cancel->SetBounds(100, 130, 75, 25);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetParent(form);

  Headless().QueueStep([&] {
    Headless().Type("ab");
    Headless().Key(VK_RETURN, false, true);
    Headless().Type("c");
    Headless().Key(VK_RETURN);
  });
  EXPECT_EQ(form->ShowModal(), mrOk) << "Enter pressed the default button";
  EXPECT_EQ(memo->Text(), "ab\r\nc");

  memo->SetWantReturns(true);
  memo->SetWantTabs(true);
  Headless().QueueStep([&] {
    memo->SetFocus();
    Headless().Key(VK_END, false, true);
    Headless().Key(VK_RETURN);
    Headless().Key(VK_TAB);
    Headless().Key(VK_ESCAPE);
  });
  EXPECT_EQ(form->ShowModal(), mrCancel) << "Esc still reaches the cancel button";
  EXPECT_EQ(memo->Text(), "ab\r\nc\r\n\t");

  memo->SetWantTabs(false);
  Headless().QueueStep([&] {
    memo->SetFocus();
    Headless().Key(VK_TAB);
    Headless().Key(VK_ESCAPE);
  });
  form->ShowModal();
  EXPECT_TRUE(form->ActiveControl() == next) << "Tab moved on";
  EXPECT_EQ(memo->Text(), "ab\r\nc\r\n\t");
  delete form;
}

TEST_F(MemoControl, LinesListEditsTheText)
{
  TMemoForm f;
  TStrings* lines = f.Memo->Lines();
  lines->Add("甲");
  lines->Add("乙");
  EXPECT_EQ(f.Memo->Text(), "甲\r\n乙\r\n");
  EXPECT_EQ(lines->Count(), 2);
  lines->Insert(1, "丙");
  lines->SetStrings(0, "丁");
  lines->Delete(2);
  EXPECT_EQ(LinesOf(lines), (TLines{"丁", "丙"}));
  f.Changes = 0;
  lines->SetText("一\r\n二\r\n三");
  EXPECT_EQ(lines->Count(), 3);
  EXPECT_EQ(f.Changes, 1) << "setting the whole text is one change";
  EXPECT_FALSE(f.Memo->Modified());
  lines->Clear();
  EXPECT_EQ(lines->Count(), 0);
  EXPECT_THROW(lines->Delete(0), EStringListError);
}

TEST_F(MemoControl, TypedRunIsUndoneAtOnce)
{
  TMemoForm f;
  f.Memo->SetText("起点");
  SendMessage(f.Memo->Handle(), EM_SETSEL, -1, -1);
  Headless().Type("寄件");
  Headless().Key(VK_LEFT);
  Headless().Type("x");
  EXPECT_EQ(f.Memo->Text(), "起点寄x件");
  f.Memo->Undo();
  EXPECT_EQ(f.Memo->Text(), "起点寄件") << "the caret moved: a new run began";
  f.Memo->Undo();
  EXPECT_EQ(f.Memo->Text(), "起点寄x件") << "undoing the undo redoes";
  SendMessage(f.Memo->Handle(), EM_SETSEL, -1, -1);
  Headless().Type("abc");
  f.Memo->Undo();
  EXPECT_EQ(f.Memo->Text(), "起点寄x件") << "three typed characters, one step";
}

TEST_F(MemoControl, ContextMenuOffersTheEditCommands)
{
  TMemoForm f;
  f.Memo->SetText("运单 号码");
  TPoint at = f.Memo->ClientToScreen({10, 5});
  Headless().QueueStep([] { Headless().Key('A'); });
  Headless().Click(at, hbRight);
  EXPECT_EQ(f.Memo->SelText(), "运单 号码") << "全选(&A)";
  Headless().QueueStep([] { Headless().Key('C'); });
  Headless().Click(at, hbRight);
  EXPECT_EQ(Clipboard()->AsText(), "运单 号码") << "复制(&C)";
  Headless().QueueStep([] { Headless().Key('D'); });
  Headless().Click(at, hbRight);
  EXPECT_EQ(f.Memo->Text(), "") << "删除(&D)";
  Headless().QueueStep([] { Headless().Key('U'); });
  Headless().Click(at, hbRight);
  EXPECT_EQ(f.Memo->Text(), "运单 号码") << "撤消(&U)";

  // A read-only memo offers nothing that changes its text.
  f.Memo->SetReadOnly(true);
  f.Memo->SelectAll();
  Headless().QueueStep([] { Headless().Key('D'); });
  Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
  Headless().Click(at, hbRight);
  EXPECT_EQ(f.Memo->Text(), "运单 号码");
}

TEST_F(MemoControl, MouseSelectsAcrossLinesAndDoubleClickTakesAWord)
{
  TMemoForm f;
  f.Memo->SetText("abc def\r\n第二行");
  HWND h = f.Memo->Handle();
  LPARAM p4 = SendMessage(h, EM_POSFROMCHAR, 4, 0);
  LPARAM p11 = SendMessage(h, EM_POSFROMCHAR, 11, 0);
  Headless().Drag(At(h, LOWORD(p4) + 1, HIWORD(p4) + 2), At(h, LOWORD(p11) + 1, HIWORD(p11) + 2));
  EXPECT_EQ(f.Memo->SelText(), "def\r\n第");
  // Apart from the drag's press in time, or the next click would complete a double click.
  Headless().Advance(1000);
  Headless().DoubleClick(At(h, LOWORD(p4) + 2, HIWORD(p4) + 2));
  EXPECT_EQ(f.Memo->SelText(), "def");
  Headless().Advance(1000);
  Headless().DoubleClick(At(h, LOWORD(p11) + 2, HIWORD(p11) + 2));
  EXPECT_EQ(f.Memo->SelText(), "二") << "one Chinese character is a word";
}

TEST_F(MemoControl, AlignmentPlacesShortTextAndSurvivesTheNewWindow)
{
  TForm* form = new TForm(nullptr);
  form->SetBounds(100, 100, 300, 200);
  TEdit* edit = new TEdit(form);
  edit->SetBounds(10, 10, 150, 21);
  edit->SetParent(form);
  edit->SetText("12.50");
  form->Show();
  HWND before = edit->Handle();
  Integer leftX = LOWORD(SendMessage(before, EM_POSFROMCHAR, 0, 0));
  edit->SetAlignment(taRightJustify);
  EXPECT_NE(edit->Handle(), before) << "the window was made again";
  EXPECT_EQ(GetWindowLong(edit->Handle(), GWL_STYLE) & ES_RIGHT, LONG_PTR(ES_RIGHT));
  EXPECT_EQ(edit->Text(), "12.50");
  Integer rightX = LOWORD(SendMessage(edit->Handle(), EM_POSFROMCHAR, 0, 0));
  EXPECT_GT(rightX, leftX + 50);
  edit->SetAlignment(taCenter);
  Integer centerX = LOWORD(SendMessage(edit->Handle(), EM_POSFROMCHAR, 0, 0));
  EXPECT_GT(centerX, leftX);
  EXPECT_LT(centerX, rightX);
  delete form;
}
