// Labels, buttons and edits driven through scripted input on the headless backend.
#include "platform/ui/StdCtrls.h"

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ExtCtrls.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

template <class T> T* Make(TWinControl* parent, TRect bounds)
{
  T* c = new T(parent);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  return c;
}

TForm* MakeForm(const AnsiString& caption)
{
  auto* f = new TForm(nullptr);
  f->SetCaption(caption);
  f->SetBounds(100, 100, 400, 300);
  f->SetPosition(poDesigned);
  return f;
}

// A form with one focused edit, shown.
struct TEditForm {
  TForm* Form;
  TEdit* Edit;
  Integer Changes = 0;
  TEditForm()
  {
    Form = MakeForm("编辑");
    Edit = Make<TEdit>(Form, Bounds(10, 10, 200, 21));
    Edit->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
    Edit->SetFocus();
    Headless().ProcessMessages();
  }
};

std::pair<Integer, Integer> Sel(const TEdit* e)
{
  return {e->EditText().Anchor(), e->EditText().Caret()};
}

} // namespace

// ---- The text model ----

TEST(EditTextModel, BoundariesNeverSplitADoubleByteCharacter)
{
  TEditText m;
  m.SetText("a中 bc文"); // a, 中 (2 bytes), blank, b, c, 文 (2 bytes): 8 bytes
  struct TCase {
    const char* Name;
    Integer Pos, CharStart, Next, Prev, NextWord, PrevWord;
  } cases[] = {
      {"start", 0, 0, 1, 0, 1, 0},       {"before lead", 1, 1, 3, 0, 4, 0},
      {"on trail", 2, 1, 3, 0, 4, 0},    {"after double", 3, 3, 4, 1, 4, 1},
      {"word start", 4, 4, 5, 3, 6, 1},  {"before last", 6, 6, 8, 5, 8, 4},
      {"inside last", 7, 6, 8, 5, 8, 4}, {"end", 8, 8, 8, 6, 8, 6},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(m.CharStart(c.Pos), c.CharStart);
    Integer p = m.CharStart(c.Pos);
    EXPECT_EQ(m.NextChar(p), c.Next);
    EXPECT_EQ(m.PrevChar(p), c.Prev);
    EXPECT_EQ(m.NextWord(p), c.NextWord);
    EXPECT_EQ(m.PrevWord(p), c.PrevWord);
  }
  m.SetSel(2, 7);
  EXPECT_EQ(m.Anchor(), 1);
  EXPECT_EQ(m.Caret(), 6);
  m.SetSel(-1, 100);
  EXPECT_EQ(m.Anchor(), 8);
  EXPECT_EQ(m.Caret(), 8);
}

TEST(EditTextModel, MaxLengthCutsAtACharacterThatFits)
{
  TEditText m;
  m.SetMaxLength(4);
  EXPECT_TRUE(m.ReplaceSel("ab中文"));
  EXPECT_EQ(m.Text(), "ab中");
  EXPECT_FALSE(m.ReplaceSel("x")) << "full";
  m.SetSel(0, 1);
  EXPECT_FALSE(m.ReplaceSel("文")) << "one byte free, the character needs two";
  EXPECT_TRUE(m.ReplaceSel("z"));
  EXPECT_EQ(m.Text(), "zb中");
  EXPECT_EQ(m.Caret(), 1);
}

// ---- Edits through the dispatch path ----

using EditControl = UiTest;

TEST_F(EditControl, TypedGbkTextReadsBack)
{
  TEditForm f;
  Headless().Type("收件人 Zhang3");
  EXPECT_EQ(f.Edit->Text(), "收件人 Zhang3");
  EXPECT_EQ(GetWindowText(f.Edit->Handle()), "收件人 Zhang3");
  EXPECT_EQ(f.Changes, 10) << "one change per character, a double-byte one included";
  EXPECT_TRUE(f.Edit->Modified());
  EXPECT_EQ(Sel(f.Edit), std::make_pair(13, 13));

  // An input-method character arriving as WM_IME_CHAR becomes one character.
  SendMessage(f.Edit->Handle(), WM_IME_CHAR, 0xD6D0, 1); // 中
  Headless().ProcessMessages();
  EXPECT_EQ(f.Edit->Text(), "收件人 Zhang3中");

  // Setting the text from code: caret at the start, undo emptied, one change.
  f.Changes = 0;
  SetWindowText(f.Edit->Handle(), "新文本");
  EXPECT_EQ(f.Edit->Text(), "新文本");
  EXPECT_EQ(Sel(f.Edit), std::make_pair(0, 0));
  EXPECT_EQ(f.Changes, 1);
  EXPECT_FALSE(f.Edit->Modified()) << "text set by code is not a user's change";
  EXPECT_EQ(SendMessage(f.Edit->Handle(), EM_CANUNDO, 0, 0), 0);

  // A change handler may free the edit.
  TEdit* edit = f.Edit;
  TDestroyWatch watch(edit);
  edit->OnChange = [edit](TObject*) { delete edit; };
  Headless().Type("x");
  EXPECT_TRUE(watch.Destroyed());
}

TEST_F(EditControl, CaretMovesOverDoubleByteCharacters)
{
  TEditForm f;
  Headless().Type("a中b");
  Headless().Key(VK_HOME);
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(1, 1));
  Headless().Key(VK_RIGHT);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(3, 3)) << "both bytes of 中 at once";
  Headless().Key(VK_LEFT, true);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(3, 1)) << "Shift extends; the anchor stays";
  EXPECT_EQ(f.Edit->SelText(), "中");
  Headless().Key(VK_LEFT);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(1, 1)) << "Left collapses to the selection's start";

  // A position inside the character moves to its start.
  SendMessage(f.Edit->Handle(), EM_SETSEL, 2, 4);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(1, 4));
  DWORD s = 0, e = 0;
  SendMessage(f.Edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&s),
              reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 4u);

  // Backspace and Delete take both bytes.
  SendMessage(f.Edit->Handle(), EM_SETSEL, 3, 3);
  Headless().Key(VK_BACK);
  EXPECT_EQ(f.Edit->Text(), "ab");
  Headless().Key(VK_HOME);
  Headless().Type("文");
  Headless().Key(VK_LEFT);
  Headless().Key(VK_DELETE);
  EXPECT_EQ(f.Edit->Text(), "ab");

  // Ctrl+arrows go by word; every double-byte character is a word of its own.
  f.Edit->SetText("ab cd中文");
  Headless().Key(VK_RIGHT, false, true);
  EXPECT_EQ(f.Edit->EditText().Caret(), 3);
  Headless().Key(VK_RIGHT, false, true);
  EXPECT_EQ(f.Edit->EditText().Caret(), 5);
  Headless().Key(VK_RIGHT, false, true);
  EXPECT_EQ(f.Edit->EditText().Caret(), 7);
  Headless().Key(VK_END);
  Headless().Key(VK_LEFT, true, true);
  EXPECT_EQ(f.Edit->SelText(), "文");
}

TEST_F(EditControl, SelectionAndClipboard)
{
  TEditForm f;
  Headless().Type("寄件人ABC");
  Headless().Key(VK_HOME, true);
  Headless().Key('C', false, true);
  EXPECT_EQ(Clipboard()->AsText(), "寄件人ABC");

  // Select the first two characters with the mouse: press before the first, drag past the
  // middle of the second.
  HWND h = f.Edit->Handle();
  Integer x2 = LOWORD(SendMessage(h, EM_POSFROMCHAR, 4, 0));
  Integer x1 = LOWORD(SendMessage(h, EM_POSFROMCHAR, 2, 0));
  Headless().Drag(At(h, 1, 5), At(h, x2 - (x2 - x1) / 4, 5));
  EXPECT_EQ(Sel(f.Edit), std::make_pair(0, 4));
  Headless().Key('X', false, true);
  EXPECT_EQ(Clipboard()->AsText(), "寄件");
  EXPECT_EQ(f.Edit->Text(), "人ABC");
  Headless().Key(VK_END);
  Headless().Key('V', false, true);
  EXPECT_EQ(f.Edit->Text(), "人ABC寄件");
  Headless().Key('Z', false, true);
  EXPECT_EQ(f.Edit->Text(), "人ABC") << "undo";
  Headless().Key('Z', false, true);
  EXPECT_EQ(f.Edit->Text(), "人ABC寄件") << "undoing the undo redoes";

  // Shift+click extends from the anchor.
  Headless().Key(VK_HOME);
  Integer x6 = LOWORD(SendMessage(h, EM_POSFROMCHAR, 5, 0));
  Headless().KeyDown(VK_SHIFT);
  Headless().Click(At(h, x6, 5));
  Headless().KeyUp(VK_SHIFT);
  EXPECT_EQ(Sel(f.Edit), std::make_pair(0, 5));

  // A paste keeps only the first line.
  Clipboard()->SetAsText("第一行\r\n第二行");
  f.Edit->SetText("");
  f.Edit->PasteFromClipboard();
  EXPECT_EQ(f.Edit->Text(), "第一行");
}

TEST_F(EditControl, LimitsReadOnlyAndPasswords)
{
  TEditForm f;
  f.Edit->SetMaxLength(5);
  Integer beeps = Headless().Beeps();
  Headless().Type("ab中文");
  EXPECT_EQ(f.Edit->Text(), "ab中") << "文 would pass the limit";
  EXPECT_EQ(Headless().Beeps(), beeps + 1);

  f.Edit->SetReadOnly(true);
  Headless().Type("x");
  Headless().Key(VK_BACK);
  EXPECT_EQ(f.Edit->Text(), "ab中");
  f.Edit->SelectAll();
  f.Edit->CutToClipboard();
  EXPECT_EQ(f.Edit->Text(), "ab中") << "no cut from a read-only edit";
  EXPECT_EQ(Clipboard()->AsText(), "") << "and nothing copied by the refused cut";
  f.Edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "ab中") << "copying is allowed";

  f.Edit->SetReadOnly(false);
  f.Edit->SetPasswordChar('*');
  Clipboard()->SetAsText("before");
  f.Edit->SelectAll();
  f.Edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "before") << "a password is never copied";
  EXPECT_EQ(f.Edit->Text(), "ab中");
}

TEST_F(EditControl, SelectionIsDrawnInHighlightColours)
{
  TEditForm f;
  f.Edit->Font()->SetColor(clBlack);
  f.Edit->SetText("WWWW");
  HWND h = f.Edit->Handle();
  Integer x1 = LOWORD(SendMessage(h, EM_POSFROMCHAR, 1, 0));
  Integer x3 = LOWORD(SendMessage(h, EM_POSFROMCHAR, 3, 0));
  TColor before = Headless().ScreenPixel(At(h, (1 + x1) / 2, 1));
  SendMessage(h, EM_SETSEL, 1, 3);
  TColor inside = Headless().ScreenPixel(At(h, (x1 + x3) / 2, 1));
  TColor outside = Headless().ScreenPixel(At(h, (1 + x1) / 2, 1));
  EXPECT_EQ(outside, before) << "unselected text is unchanged";
  EXPECT_TRUE(inside == ColorToRGB(clHighlight) || inside == ColorToRGB(clHighlightText))
      << "selected text in the highlight colours, got " << std::hex << inside;
  EXPECT_NE(inside, before);
}

// ---- Buttons in a modal form ----

using ButtonControl = UiTest;

TEST_F(ButtonControl, DefaultAnswersEnterAndCancelAnswersEsc)
{
  struct TCase {
    const char* Name;
    Word Key;
    TModalResult Expected;
  } cases[] = {{"Enter", VK_RETURN, mrOk}, {"Esc", VK_ESCAPE, mrCancel}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* form = MakeForm("对话框");
    TEdit* edit = Make<TEdit>(form, Bounds(10, 10, 150, 21));
    TButton* ok = Make<TButton>(form, Bounds(10, 50, 75, 25));
    ok->SetCaption("确定");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    TButton* cancel = Make<TButton>(form, Bounds(100, 50, 75, 25));
    cancel->SetCaption("取消");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    TModalResult seenInClick = -1;
    TButton* expected = c.Expected == mrOk ? ok : cancel;
    expected->OnClick = [&](TObject*) { seenInClick = form->ModalResult(); };
    Headless().QueueStep([&] {
      Headless().Type("x");
      Headless().Key(c.Key);
    });
    EXPECT_EQ(form->ShowModal(), c.Expected);
    EXPECT_EQ(seenInClick, c.Expected) << "the modal result is set before OnClick runs";
    EXPECT_EQ(edit->Text(), "x") << "the edit did not take the key";
    delete form;
  }
}

TEST_F(ButtonControl, ClickKeysAndAccelerators)
{
  TForm* form = MakeForm("按钮");
  TButton* a = Make<TButton>(form, Bounds(10, 10, 75, 25));
  a->SetCaption("保存(&S)");
  TButton* b = Make<TButton>(form, Bounds(100, 10, 75, 25));
  b->SetCaption("打印");
  b->SetDefault(true);
  std::vector<AnsiString> clicks;
  a->OnClick = [&](TObject*) { clicks.push_back("a"); };
  b->OnClick = [&](TObject*) { clicks.push_back("b"); };
  form->Show();
  a->SetFocus();
  Headless().ProcessMessages();

  Headless().Click(a->ClientToScreen({5, 5}));
  // Pressed, then released outside: no click.
  Headless().Drag(a->ClientToScreen({5, 5}), a->ClientToScreen({200, 5}));
  Headless().Key(VK_SPACE);
  Headless().Key(VK_RETURN); // the focused button, not the default one
  Headless().Key('S');       // its accelerator
  b->SetFocus();
  Headless().Key(VK_RETURN);
  EXPECT_EQ(clicks, (std::vector<AnsiString>{"a", "a", "a", "a", "b"}));
  EXPECT_EQ(SendMessage(b->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessage(a->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0);
}

// ---- Labels ----

using LabelControl = UiTest;

TEST_F(LabelControl, AcceleratorFocusesItsFocusControl)
{
  TForm* form = MakeForm("标签");
  TEdit* first = Make<TEdit>(form, Bounds(80, 10, 150, 21));
  TLabel* label = Make<TLabel>(form, Bounds(10, 40, 60, 17));
  label->SetCaption("收件人(&N):");
  TEdit* second = Make<TEdit>(form, Bounds(80, 40, 150, 21));
  label->SetFocusControl(second);
  form->Show();
  first->SetFocus();
  Headless().ProcessMessages();

  Headless().Type("n");
  EXPECT_EQ(first->Text(), "n") << "an edit takes the plain letter";
  Headless().Key('N', false, false, true);
  EXPECT_TRUE(second->Focused()) << "Alt+N focuses the label's control";
  EXPECT_EQ(first->Text(), "n");
  EXPECT_EQ(second->Text(), "");

  // AutoSize fits the caption; the '&' takes no room.
  TLabel* plain = Make<TLabel>(form, Bounds(10, 80, 10, 10));
  plain->SetCaption("AB");
  TLabel* marked = Make<TLabel>(form, Bounds(10, 100, 10, 10));
  marked->SetCaption("&AB");
  EXPECT_GT(plain->Width(), 10);
  EXPECT_EQ(marked->Width(), plain->Width());

  delete second;
  EXPECT_EQ(label->FocusControl(), nullptr) << "a freed control is forgotten";
}

// A form built in code sets AutoSize, font and caption while it loads; the controls fit
// themselves when loading ends, as they would had each been set afterwards.
TEST_F(LabelControl, AutoSizeSetWhileTheFormLoadsMeasuresAtLoaded)
{
  TForm* reference = MakeForm("参照");
  TLabel* sized = Make<TLabel>(reference, Bounds(10, 10, 5, 5));
  sized->Font()->SetHeight(-16);
  sized->SetCaption("运单号 SF1234");
  TStaticText* sizedText = Make<TStaticText>(reference, Bounds(10, 40, 5, 5));
  sizedText->SetCaption("寄件人");
  ASSERT_GT(sized->Width(), 5);

  TForm* form = MakeForm("装载");
  form->BeginLoading();
  auto* label = new TLabel(form);
  label->SetBounds(10, 10, 5, 5);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->Font()->SetHeight(-16);
  label->SetCaption("运单号 SF1234");
  label->SetAutoSize(true);
  auto* text = new TStaticText(form);
  text->SetBounds(10, 40, 5, 5);
  text->SetCaption("寄件人");
  text->SetParent(form);
  auto* panel = new TPanel(form);
  panel->SetBounds(10, 80, 5, 5);
  panel->SetAutoSize(true);
  panel->SetParent(form);
  auto* inside = new TPanel(form);
  inside->SetBounds(0, 0, 60, 30);
  inside->SetParent(panel);
  EXPECT_EQ(label->Width(), 5) << "nothing is measured while the form loads";
  form->EndLoading();

  EXPECT_EQ(label->BoundsRect(), sized->BoundsRect());
  EXPECT_EQ(text->BoundsRect(), sizedText->BoundsRect());
  EXPECT_EQ(panel->ClientWidth(), 60);
  EXPECT_EQ(panel->ClientHeight(), 30);
  delete form;
  delete reference;
}

TEST(StdCtrlsReflection, PublishedPropertiesByName)
{
  TForm form(nullptr);
  auto* edit = new TEdit(&form);
  auto* label = new TLabel(&form);
  SetOrdProp(edit, GetPropInfo(edit, "MaxLength"), 12);
  SetStrProp(edit, GetPropInfo(edit, "Text"), "运单");
  SetObjectProp(label, GetPropInfo(label, "FocusControl"), edit);
  EXPECT_EQ(edit->MaxLength(), 12);
  EXPECT_EQ(edit->Text(), "运单");
  EXPECT_EQ(label->FocusControl(), edit);
  auto* button = new TButton(&form);
  SetOrdProp(button, GetPropInfo(button, "ModalResult"), mrCancel);
  EXPECT_EQ(button->ModalResult(), mrCancel);
  EXPECT_NE(GetPropInfo(button, "Default"), nullptr);
  EXPECT_NE(GetPropInfo(edit, "PasswordChar"), nullptr);
  EXPECT_NE(GetPropInfo(label, "Caption"), nullptr);

  // Settings the platform keeps without acting on them are still published.
  SetOrdProp(edit, GetPropInfo(edit, "ImeMode"), imClose);
  SetOrdProp(edit, GetPropInfo(edit, "Ctl3D"), false);
  SetOrdProp(label, GetPropInfo(label, "DragKind"), dkDock);
  EXPECT_EQ(edit->ImeMode(), imClose);
  EXPECT_FALSE(edit->Ctl3D());
  EXPECT_FALSE(edit->ParentCtl3D());
  EXPECT_EQ(label->DragKind(), dkDock);
  EXPECT_EQ(GetPropInfo(label, "ImeMode"), nullptr) << "windowed controls only";
}

TEST(AccelChars, MarkedCharacterOnly)
{
  struct TCase {
    const char* Text;
    char Key;
    bool Expected;
  } cases[] = {{"&Save", 's', true},    {"&Save", 'A', false}, {"A&&B", 'B', false},
               {"打印(&P)", 'P', true}, {"打印", 'P', false},  {"a&", 'A', false}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(IsAccel(static_cast<Word>(c.Key), c.Text), c.Expected);
  }
}

TEST_F(EditControl, LongTextScrollsToKeepTheCaretVisible)
{
  TEditForm f;
  f.Edit->SetWidth(60);
  Headless().Type("0123456789012345678901234567890123456789");
  HWND h = f.Edit->Handle();
  TRect client;
  GetClientRect(h, client);
  TPoint caret;
  ASSERT_TRUE(GetCaretPos(caret));
  EXPECT_GT(caret.X, 0);
  EXPECT_LT(caret.X, client.Right) << "the text scrolled left under the caret";
  EXPECT_EQ(SendMessage(h, EM_CHARFROMPOS, 0, MAKELPARAM(caret.X, 5)), 40);
  Headless().Key(VK_HOME);
  ASSERT_TRUE(GetCaretPos(caret));
  EXPECT_EQ(caret.X, 1) << "back at the start, nothing scrolled";
}

TEST_F(EditControl, AutoSelectOnKeyboardEntryOnly)
{
  TForm* form = MakeForm("选择");
  TEdit* a = Make<TEdit>(form, Bounds(10, 10, 150, 21));
  TEdit* b = Make<TEdit>(form, Bounds(10, 40, 150, 21));
  b->SetText("北京市");
  form->Show();
  a->SetFocus();
  Headless().ProcessMessages();
  Headless().Key(VK_TAB);
  ASSERT_TRUE(b->Focused());
  EXPECT_EQ(b->SelText(), "北京市") << "entered with Tab: all selected";
  a->SetFocus();
  Headless().ProcessMessages();
  Headless().Click(b->ClientToScreen({2, 5}));
  EXPECT_EQ(b->SelLength(), 0) << "entered with a click: the caret goes where clicked";
  EXPECT_EQ(b->SelStart(), 0);
}

TEST_F(ButtonControl, DefaultButtonIsFramedUntilAnotherButtonHasTheFocus)
{
  TForm* form = MakeForm("外观");
  TEdit* edit = Make<TEdit>(form, Bounds(10, 10, 100, 21));
  TButton* ok = Make<TButton>(form, Bounds(10, 50, 75, 25));
  ok->SetDefault(true);
  TButton* other = Make<TButton>(form, Bounds(100, 50, 75, 25));
  form->Show();
  edit->SetFocus();
  Headless().ProcessMessages();
  TPoint okEdge = ok->ClientToScreen({0, 12});
  TPoint otherEdge = other->ClientToScreen({0, 12});
  EXPECT_EQ(Headless().ScreenPixel(okEdge), ColorToRGB(clWindowFrame));
  EXPECT_NE(Headless().ScreenPixel(otherEdge), ColorToRGB(clWindowFrame));
  other->SetFocus();
  Headless().ProcessMessages();
  EXPECT_NE(Headless().ScreenPixel(okEdge), ColorToRGB(clWindowFrame))
      << "Enter now presses the focused button";
  EXPECT_EQ(Headless().ScreenPixel(otherEdge), ColorToRGB(clWindowFrame));
}

TEST_F(EditControl, LineAndMarginMessages)
{
  TEditForm f;
  HWND h = f.Edit->Handle();
  f.Edit->SetText("运单号123");
  char buffer[16] = {};
  *reinterpret_cast<Word*>(buffer) = 4;
  EXPECT_EQ(SendMessage(h, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 4);
  EXPECT_EQ(AnsiString(buffer, 4), "运单");
  EXPECT_EQ(SendMessage(h, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessage(h, EM_LINELENGTH, 0, 0), 9);

  Integer before = LOWORD(SendMessage(h, EM_POSFROMCHAR, 2, 0));
  SendMessage(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(5, 3));
  EXPECT_EQ(LOWORD(SendMessage(h, EM_POSFROMCHAR, 2, 0)), before + 5);
  EXPECT_EQ(SendMessage(h, EM_GETMARGINS, 0, 0), MAKELPARAM(5, 3));
  TRect r;
  SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.Left, 6);
  EXPECT_EQ(r.Right, f.Edit->ClientWidth() - 4);
  EXPECT_EQ(SendMessage(h, EM_POSFROMCHAR, 9, 0), -1) << "past the end";
}
