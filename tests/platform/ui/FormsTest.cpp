// The control framework driven through scripted input: clicks and capture on windowed and
// windowless controls, mouse enter/leave, focus, keys and key preview, activation, modal
// dialogs answered by the test (nested, refused close, message boxes), timers, the
// application loop with its exception handling, alignment, and a screenshot.
#include <filesystem>
#include <string>

#include "platform/graphics/Surface.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/SampleWaybill.h"

namespace {

using TTrace = std::vector<std::string>;

// A windowless control that paints through OnPaint.
class TTestPaintBox : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  TNotifyEvent OnPaint;

protected:
  void Paint() override
  {
    if (OnPaint)
      OnPaint(this);
  }
};

// A push button: sets its form's modal result before OnClick runs.
class TTestButton : public TCustomControl {
public:
  TTestButton(TComponent* AOwner, const AnsiString& ACaption, TModalResult AResult = mrNone)
      : TCustomControl(AOwner), ModalResult(AResult)
  {
    SetTabStop(true);
    SetCaption(ACaption);
    SetColor(clBtnFace);
  }
  TModalResult ModalResult;

  void Click() override
  {
    if (ModalResult != mrNone)
      if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(ModalResult);
    TCustomControl::Click();
  }

protected:
  void Paint() override
  {
    TRect r = ClientRect();
    DrawEdge(Canvas(), r, EDGE_RAISED, BF_RECT);
  }
};

void Trace(TTrace& t, TControl* c, const char* name)
{
  std::string n = name;
  c->OnMouseDown = [&t, n](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    t.push_back(n + ".down(" + std::to_string(x) + "," + std::to_string(y) + ")");
  };
  c->OnMouseUp = [&t, n](TObject*, TMouseButton, TShiftState, Integer x, Integer y) {
    t.push_back(n + ".up(" + std::to_string(x) + "," + std::to_string(y) + ")");
  };
  c->OnClick = [&t, n](TObject*) { t.push_back(n + ".click"); };
}

void TraceEnterLeave(TTrace& t, TControl* c, const char* name)
{
  std::string n = name;
  c->OnMouseEnter = [&t, n](TObject*) { t.push_back(n + ".enter"); };
  c->OnMouseLeave = [&t, n](TObject*) { t.push_back(n + ".leave"); };
}

template <class T, class... Args> T* Make(TWinControl* parent, TRect bounds, Args&&... args)
{
  T* c = new T(parent, std::forward<Args>(args)...);
  c->SetBoundsRect(bounds);
  c->SetParent(parent);
  return c;
}

TForm* MakeForm(const AnsiString& caption, TRect bounds)
{
  auto* f = new TForm(nullptr);
  f->SetCaption(caption);
  f->SetBoundsRect(bounds);
  return f;
}

TPoint CenterOf(TControl* c)
{
  return c->ClientToScreen({c->Width() / 2, c->Height() / 2});
}

} // namespace

using FormControls = UiTest;

TEST_F(FormControls, ClicksAndCaptureOnWindowedAndWindowlessControls)
{
  TTrace t;
  TForm* form = MakeForm("测试", Bounds(100, 100, 400, 300));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 100, 50));
  auto* g = Make<TTestPaintBox>(form, Bounds(200, 10, 80, 40));
  Trace(t, a, "a");
  Trace(t, g, "g");
  Trace(t, form, "form");
  form->Show();
  Headless().ProcessMessages();
  ASSERT_TRUE(a->HandleAllocated());
  EXPECT_EQ(GetParent(a->Handle()), form->Handle());

  Headless().Click(a->ClientToScreen({5, 6}));
  EXPECT_EQ(t, (TTrace{"a.down(5,6)", "a.click", "a.up(5,6)"}));

  // Pressed inside, released outside the form: the captured control gets the release,
  // and no click.
  t.clear();
  Headless().Advance(1000);
  Headless().Press(hbLeft, a->ClientToScreen({5, 6}));
  Headless().Release(hbLeft, {700, 600});
  TPoint outside = a->ScreenToClient({700, 600});
  EXPECT_EQ(t, (TTrace{"a.down(5,6)", "a.up(" + std::to_string(outside.X) + "," +
                                          std::to_string(outside.Y) + ")"}));
  EXPECT_EQ(GetCapture(), 0u);

  // The same through the parent for a windowless control.
  t.clear();
  Headless().Advance(1000);
  Headless().Press(hbLeft, g->ClientToScreen({3, 4}));
  EXPECT_TRUE(g->MouseCapture());
  Headless().Release(hbLeft, g->ClientToScreen({300, 4}));
  EXPECT_EQ(t, (TTrace{"g.down(3,4)", "g.up(300,4)"}));
  t.clear();
  Headless().Advance(1000);
  Headless().Click(g->ClientToScreen({3, 4}));
  EXPECT_EQ(t, (TTrace{"g.down(3,4)", "g.click", "g.up(3,4)"}));

  // A disabled control lets the press through to its parent.
  g->SetEnabled(false);
  t.clear();
  Headless().Advance(1000);
  Headless().Click(g->ClientToScreen({3, 4}));
  EXPECT_EQ(t, (TTrace{"form.down(203,14)", "form.click", "form.up(203,14)"}));
}

TEST_F(FormControls, MouseEnterAndLeave)
{
  TTrace t;
  TForm* form = MakeForm("测试", Bounds(100, 100, 400, 300));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 100, 50));
  auto* g = Make<TTestPaintBox>(form, Bounds(200, 10, 80, 40));
  TraceEnterLeave(t, a, "a");
  TraceEnterLeave(t, g, "g");
  form->Show();
  Headless().ProcessMessages();
  Headless().Move(CenterOf(g));
  Headless().Move(g->ClientToScreen({1, 1}));
  Headless().Move(CenterOf(a));
  Headless().Move({900, 700});
  EXPECT_EQ(t, (TTrace{"g.enter", "g.leave", "a.enter", "a.leave"}));
  EXPECT_EQ(MouseControl(), nullptr);
}

TEST_F(FormControls, FocusEnterExitTabAndKeyPreview)
{
  TTrace t;
  TForm* form = MakeForm("测试", Bounds(100, 100, 400, 300));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 100, 30));
  auto* b = Make<TCustomControl>(form, Bounds(10, 50, 100, 30));
  auto* c = Make<TCustomControl>(form, Bounds(10, 90, 100, 30));
  for (auto [ctl, name] : {std::pair{a, "a"}, {b, "b"}, {c, "c"}}) {
    std::string n = name;
    ctl->SetTabStop(true);
    ctl->OnEnter = [&t, n](TObject*) { t.push_back(n + ".enter"); };
    ctl->OnExit = [&t, n](TObject*) { t.push_back(n + ".exit"); };
    ctl->OnKeyDown = [&t, n](TObject*, Word& key, TShiftState) {
      t.push_back(n + ".key" + std::to_string(key));
    };
    ctl->OnKeyPress = [&t, n](TObject*, char& key) {
      t.push_back(n + ".char" + std::to_string(static_cast<unsigned char>(key)));
    };
  }
  b->SetEnabled(false);
  form->Show();
  Headless().ProcessMessages();
  Headless().Click(CenterOf(a));
  EXPECT_TRUE(a->Focused()) << "a focusable control takes the focus when pressed";
  EXPECT_EQ(form->ActiveControl(), a);
  Headless().Key(VK_TAB);
  EXPECT_TRUE(c->Focused()) << "Tab skips the disabled control";
  EXPECT_EQ(t, (TTrace{"a.enter", "a.exit", "c.enter"}));
  Headless().Key(VK_TAB, true);
  EXPECT_TRUE(a->Focused());
  PostMessage(form->Handle(), WM_NEXTDLGCTL, 0, 0);
  Headless().ProcessMessages();
  EXPECT_TRUE(c->Focused()) << "a posted WM_NEXTDLGCTL moves on";
  PostMessage(form->Handle(), WM_NEXTDLGCTL, a->Handle(), 1);
  Headless().ProcessMessages();
  EXPECT_TRUE(a->Focused());

  t.clear();
  Headless().Type("x中");
  const AnsiString zhong = "中";
  EXPECT_EQ(t, (TTrace{"a.key88", "a.char120", "a.key229",
                       "a.char" + std::to_string(static_cast<unsigned char>(zhong[0])),
                       "a.char" + std::to_string(static_cast<unsigned char>(zhong[1]))}));

  // The form sees keys first and may take them.
  t.clear();
  form->SetKeyPreview(true);
  form->OnKeyDown = [&t](TObject*, Word& key, TShiftState shift) {
    t.push_back("form.key" + std::to_string(key));
    if (key == VK_F2 && shift.Contains(ssCtrl))
      key = 0;
  };
  Headless().Key(VK_F2, false, true);
  Headless().Key(VK_F3);
  EXPECT_EQ(t, (TTrace{"form.key17", "a.key17", "form.key113", "form.key114", "a.key114"}));
}

TEST_F(FormControls, ActivationFollowsTheForms)
{
  TTrace t;
  Application()->OnActivate = [&](TObject*) { t.push_back("app.activate"); };
  Application()->OnDeactivate = [&](TObject*) { t.push_back("app.deactivate"); };
  TForm* one = MakeForm("一", Bounds(0, 0, 200, 200));
  TForm* two = MakeForm("二", Bounds(300, 0, 200, 200));
  for (auto [f, n] : {std::pair{one, "one"}, {two, "two"}}) {
    std::string name = n;
    f->OnActivate = [&t, name](TObject*) { t.push_back(name + ".activate"); };
    f->OnDeactivate = [&t, name](TObject*) { t.push_back(name + ".deactivate"); };
  }
  one->Show();
  two->Show();
  Headless().ProcessMessages();
  EXPECT_EQ(Screen()->ActiveForm(), two);
  Headless().Click({50, 100});
  EXPECT_EQ(Screen()->ActiveForm(), one);
  EXPECT_EQ(t, (TTrace{"app.activate", "one.activate", "one.deactivate", "two.activate",
                       "two.deactivate", "one.activate"}));
  t.clear();
  Headless().ActivateOtherApplication();
  Headless().ActivateOtherApplication(true);
  EXPECT_EQ(t, (TTrace{"one.deactivate", "app.deactivate", "app.activate", "one.activate"}));
  Application()->OnActivate = nullptr;
  Application()->OnDeactivate = nullptr;
  delete one; // while the trace its handlers write to still exists
  delete two;
}

// ---- Modal loops ----------------------------------------------------------------------------

using ModalDialogs = UiTest;

namespace {

struct TDialog {
  TForm* Form;
  TTestButton* Ok;
  TTestButton* Cancel;
};

TDialog MakeDialog(const AnsiString& caption)
{
  TDialog d;
  d.Form = MakeForm(caption, Bounds(0, 0, 240, 160));
  d.Form->SetBorderStyle(bsDialog);
  d.Form->SetPosition(poMainFormCenter);
  d.Ok = Make<TTestButton>(d.Form, Bounds(20, 50, 75, 25), "确定", mrOk);
  d.Cancel = Make<TTestButton>(d.Form, Bounds(120, 50, 75, 25), "取消", mrCancel);
  return d;
}

} // namespace

TEST_F(ModalDialogs, AnsweredByTheTest)
{
  TForm* main = nullptr;
  Application()->CreateForm(main);
  main->SetCaption("主窗口");
  main->SetBounds(100, 100, 500, 400);
  main->Show();
  TDialog d = MakeDialog("确认");
  bool mainDisabledMeanwhile = false;
  d.Form->OnShow = [&](TObject*) { mainDisabledMeanwhile = !IsWindowEnabled(main->Handle()); };
  Headless().AnswerModal("确认", "确定");
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  EXPECT_TRUE(mainDisabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(d.Form->Visible());
  EXPECT_EQ(GetActiveWindow(), main->Handle());
  TRect r;
  GetWindowRect(d.Form->Handle(), r);
  EXPECT_EQ(r.Left, 100 + (500 - 240) / 2) << "centred on the main form";
  EXPECT_THROW(main->ShowModal(), EInvalidOperation) << "a visible form cannot go modal";
}

TEST_F(ModalDialogs, NestedLoops)
{
  TForm* main = MakeForm("主窗口", Bounds(100, 100, 500, 400));
  main->Show();
  TDialog outer = MakeDialog("外层");
  auto* open = Make<TTestButton>(outer.Form, Bounds(20, 85, 75, 25), "打开");
  TDialog inner = MakeDialog("内层");
  TModalResult innerResult = mrNone;
  open->OnClick = [&](TObject*) { innerResult = inner.Form->ShowModal(); };
  Headless().AnswerModal("外层", "打开");
  Headless().AnswerModal("内层", "确定");
  Headless().AnswerModal("外层", "取消");
  EXPECT_EQ(outer.Form->ShowModal(), mrCancel);
  EXPECT_EQ(innerResult, mrOk);
  EXPECT_EQ(Headless().PendingResponders(), 0);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
}

TEST_F(ModalDialogs, CloseQueryCanKeepTheDialogOpen)
{
  TDialog d = MakeDialog("确认");
  int asked = 0;
  d.Form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
  TCloseAction seen = caNone;
  d.Form->OnClose = [&](TObject*, TCloseAction& action) { seen = action; };
  Headless().AnswerModal("确认", "确定");
  Headless().AnswerModal("确认", "取消");
  EXPECT_EQ(d.Form->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(seen, caHide);

  // The result can still change while the form hides.
  d.Form->OnHide = [&](TObject*) { d.Form->SetModalResult(mrYes); };
  Headless().AnswerModal("确认", "确定");
  EXPECT_EQ(d.Form->ShowModal(), mrYes);
}

TEST_F(ModalDialogs, MessageBoxesWithChineseButtons)
{
  Headless().AnswerModal("确认", "否(&N)");
  EXPECT_EQ(Application()->MessageBox("保存修改吗？", "确认", MB_YESNO | MB_ICONQUESTION), IDNO);
  // Esc picks the cancel button, Enter the default one.
  Headless().OnWindow("提示", [](HWND) { Headless().Key(VK_ESCAPE); });
  EXPECT_EQ(Application()->MessageBox("继续？", "提示", MB_OKCANCEL), IDCANCEL);
  Headless().OnWindow("提示", [](HWND) { Headless().Key(VK_RETURN); });
  EXPECT_EQ(Application()->MessageBox("继续？", "提示", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  Headless().OnWindow("提示", [](HWND) { Headless().Key(VK_RETURN); });
  EXPECT_EQ(Application()->MessageBox("完成", "提示", MB_OK), IDOK);
}

TEST_F(ModalDialogs, AnUnansweredDialogFailsInsteadOfHanging)
{
  TForm* main = MakeForm("主窗口", Bounds(100, 100, 500, 400));
  main->Show();
  TDialog d = MakeDialog("无人回答");
  try {
    d.Form->ShowModal();
    ADD_FAILURE() << "the modal loop returned";
  } catch (EHeadlessBlocked& e) {
    EXPECT_NE(e.Message().find("the modal loop of TForm \"无人回答\""), AnsiString::npos)
        << e.Message();
  }
  EXPECT_TRUE(IsWindowEnabled(main->Handle())) << "the loop cleaned up on the way out";
  EXPECT_FALSE(d.Form->Visible());
}

// A result set where no message follows (a script step, a handler run while the form
// shows) still ends the loop; a result left from the last time does not.
TEST_F(ModalDialogs, AResultEndsTheLoopWhereverItIsSet)
{
  struct TCase {
    const char* Name;
    std::function<void(TForm*)> Arrange;
  } cases[] = {
      {"a script step", [](TForm* f) { Headless().QueueStep([f] { f->SetModalResult(mrYes); }); }},
      {"OnShow", [](TForm* f) { f->OnShow = [f](TObject*) { f->SetModalResult(mrYes); }; }},
      {"OnActivate", [](TForm* f) { f->OnActivate = [f](TObject*) { f->SetModalResult(mrYes); }; }},
      {"a timer",
       [](TForm* f) {
         auto* timer = new TTimer(f);
         timer->SetInterval(50);
         timer->SetOnTimer([f, timer](TObject*) {
           timer->SetEnabled(false);
           f->SetModalResult(mrYes);
         });
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TDialog d = MakeDialog("结果");
    c.Arrange(d.Form);
    EXPECT_EQ(d.Form->ShowModal(), mrYes);
    EXPECT_FALSE(d.Form->Visible());
    d.Form->OnShow = nullptr;
    d.Form->OnActivate = nullptr;
    Headless().QueueStep([&] { d.Form->SetModalResult(mrNo); });
    EXPECT_EQ(d.Form->ShowModal(), mrNo) << "the last result does not end the next loop";
    delete d.Form;
  }
}

// ---- Timers and the application loop
// ---------------------------------------------------------------

using Application_ = UiTest;

TEST_F(Application_, TimersFireOnTheVirtualClockAndMayFreeThemselves)
{
  auto* timer = new TTimer(nullptr);
  int ticks = 0;
  timer->SetInterval(100);
  timer->SetOnTimer([&](TObject*) { ++ticks; });
  Headless().AdvanceAndProcess(1000);
  EXPECT_EQ(ticks, 10);
  timer->SetEnabled(false);
  Headless().AdvanceAndProcess(1000);
  EXPECT_EQ(ticks, 10);

  // Freed inside its own handler.
  timer->SetEnabled(true);
  timer->SetOnTimer([&](TObject* sender) {
    ++ticks;
    delete static_cast<TTimer*>(sender);
  });
  Headless().AdvanceAndProcess(1000);
  EXPECT_EQ(ticks, 11);
  EXPECT_EQ(NextTimerDue(), -1);
}

TEST_F(Application_, RunUntilTerminatedWithExceptionsShownInAMessageBox)
{
  Application()->SetTitle("测试程序");
  TForm* main = nullptr;
  Application()->CreateForm(main);
  main->SetCaption("主窗口");
  main->SetBounds(100, 100, 400, 300);
  auto* bad = Make<TTestButton>(main, Bounds(10, 10, 80, 25), "出错");
  bad->OnClick = [](TObject*) { throw EConvertError("'abc' is not a valid integer value"); };
  int idle = 0;
  Application()->OnIdle = [&](TObject*, bool&) { ++idle; };
  Headless().QueueStep([&] { Headless().Click(CenterOf(bad)); });
  Headless().AnswerModal("测试程序", "确定");
  Headless().QueueStep([&] { main->Close(); });
  Application()->Run();
  EXPECT_TRUE(Application()->Terminated());
  EXPECT_EQ(Headless().PendingResponders(), 0) << "the error was shown and answered";
  EXPECT_GT(idle, 0);
}

TEST_F(Application_, AlignAndAnchorsFollowTheForm)
{
  TForm* form = MakeForm("布局", Bounds(0, 0, 400, 300));
  form->SetBorderStyle(bsNone);
  auto* top = Make<TCustomControl>(form, Bounds(0, 0, 10, 30));
  auto* bottom = Make<TCustomControl>(form, Bounds(0, 0, 10, 20));
  auto* left = Make<TTestPaintBox>(form, Bounds(0, 0, 50, 10));
  auto* client = Make<TCustomControl>(form, Bounds(0, 0, 10, 10));
  auto* corner = Make<TCustomControl>(form, Bounds(300, 250, 80, 20));
  top->SetAlign(alTop);
  bottom->SetAlign(alBottom);
  left->SetAlign(alLeft);
  client->SetAlign(alClient);
  corner->SetAnchors({akRight, akBottom});
  form->Show();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, 280));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 400, 280));
  form->SetBounds(0, 0, 500, 400);
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 500, 380));
  EXPECT_EQ(corner->BoundsRect(), Rect(400, 350, 480, 370))
      << "keeps its distance to the right and bottom";
  TRect r;
  GetWindowRect(client->Handle(), r);
  EXPECT_EQ(r, Rect(50, 30, 500, 380));
}

// ---- A screenshot
// -----------------------------------------------------------------------------------

TEST_F(Application_, ScreenshotOfAFormWithChineseText)
{
  TForm* form = MakeForm("运单打印 - 预览", Bounds(40, 30, 360, 220));
  form->SetBorderStyle(bsDialog);
  auto* box = Make<TTestPaintBox>(form, Bounds(10, 10, 330, 140));
  box->OnPaint = [box](TObject*) { PaintSampleWaybill(box->Canvas(), box->ClientRect()); };
  Make<TTestButton>(form, Bounds(265, 160, 75, 25), "确定", mrOk);
  form->Show();
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  AnsiString file = (dir / "ui_form_screenshot.png").string();
  ASSERT_TRUE(Headless().SaveScreenshot(file));
  ASSERT_TRUE(Headless().SaveWindowShot(form->Handle(), (dir / "ui_form_window.png").string()));
  EXPECT_TRUE(std::filesystem::file_size(file) > 1000);

  TPoint origin = box->ClientToScreen({0, 0});
  auto shot = Headless().Screenshot();
  auto at = [&](Integer x, Integer y) { return shot->GetPixel(origin.X + x, origin.Y + y); };
  for (const TSampleProbe& p : SampleWaybillProbes())
    EXPECT_EQ(at(p.X, p.Y), p.Color) << p.What;
  // Every character leaves ink in its own cell, and the blanks none.
  for (const TGlyphCell& g : SampleWaybillGlyphCells()) {
    Integer ink = 0;
    for (Integer y = g.Cell.Top; y < g.Cell.Bottom; ++y)
      for (Integer x = g.Cell.Left; x < g.Cell.Right; ++x)
        ink += at(x, y) != clWhite;
    EXPECT_EQ(ink > 0, !g.Blank) << "the cell at " << g.Cell.Left << "," << g.Cell.Top;
  }
  TPoint caption{45, 40};
  EXPECT_EQ(shot->GetPixel(caption.X + 200, caption.Y), ColorToRGB(clActiveCaption));
  EXPECT_EQ(shot->GetPixel(5, 5), ColorToRGB(clBackground)) << "the desktop around it";
}

// ---- The move loop
// -------------------------------------------------------------------------------

TEST_F(FormControls, MoveLoopMovesAControlByThePointersOffset)
{
  TForm* form = MakeForm("拖动", Bounds(100, 100, 400, 300));
  auto* label = Make<TCustomControl>(form, Bounds(20, 30, 80, 20));
  label->OnMouseDown = [label](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    ReleaseCapture();
    label->Perform(WM_SYSCOMMAND, SC_DRAGMOVE_CONTROL, 0);
  };
  form->Show();
  Headless().ProcessMessages();
  TPoint grab = label->ClientToScreen({10, 5});
  Headless().QueueStep([&] { Headless().Move({grab.X + 15, grab.Y + 4}); });
  Headless().QueueStep([&] { Headless().Move({grab.X + 37, grab.Y - 12}); });
  Headless().QueueStep([&] { Headless().Release(hbLeft, {grab.X + 37, grab.Y - 12}); });
  Headless().Press(hbLeft, grab);
  EXPECT_EQ(label->BoundsRect(), Bounds(20 + 37, 30 - 12, 80, 20));
  EXPECT_EQ(GetCapture(), 0u);
}

TEST_F(FormControls, CursorOfTheControlUnderThePointer)
{
  TForm* form = MakeForm("光标", Bounds(100, 100, 400, 300));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 100, 50));
  auto* g = Make<TTestPaintBox>(form, Bounds(200, 10, 80, 40));
  a->SetCursor(crHandPoint);
  g->SetCursor(crIBeam);
  form->Show();
  Headless().ProcessMessages();
  Headless().Move(CenterOf(a));
  EXPECT_EQ(GetCursor(), crHandPoint);
  Headless().Move(CenterOf(g));
  EXPECT_EQ(GetCursor(), crIBeam);
  Headless().Move(form->ClientToScreen({150, 150}));
  EXPECT_EQ(GetCursor(), crArrow);
  Screen()->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), crHourGlass) << "the screen's cursor shows at once";
  Headless().Move(CenterOf(a));
  EXPECT_EQ(GetCursor(), crHourGlass);
  Screen()->SetCursor(crDefault);
  Screen()->SetCursors(51, 5001);
  EXPECT_EQ(Screen()->Cursors(51), 5001);
  EXPECT_EQ(Screen()->Cursors(52), crArrow);
  Headless().Move({200, 101}); // the form's top border
  EXPECT_EQ(GetCursor(), crSizeNS);
}

TEST_F(FormControls, PaintToRendersTheTreeAndInvalidationsAreRecorded)
{
  TForm* form = MakeForm("绘制", Bounds(100, 100, 300, 200));
  form->SetBorderStyle(bsNone);
  form->SetColor(clYellow);
  auto* panel = Make<TCustomControl>(form, Bounds(20, 20, 100, 80));
  panel->SetColor(clBlue);
  auto* box = Make<TTestPaintBox>(panel, Bounds(10, 10, 30, 30));
  box->OnPaint = [box](TObject*) {
    box->Canvas()->Brush()->SetColor(clRed);
    box->Canvas()->FillRect(box->ClientRect());
  };
  panel->SetControlStyle(panel->ControlStyle() + TControlStyle{csAcceptsControls});
  form->Show();
  Headless().ProcessMessages();

  // The form is rendered into a bitmap without touching the screen.
  TImageSurface bitmap(400, 300, 0xFFFFFF);
  TCanvas canvas(&bitmap);
  form->PaintTo(&canvas, 50, 40);
  EXPECT_EQ(bitmap.GetPixel(55, 45), clYellow);
  EXPECT_EQ(bitmap.GetPixel(50 + 25, 40 + 25), clBlue);
  EXPECT_EQ(bitmap.GetPixel(50 + 35, 40 + 35), clRed);
  EXPECT_EQ(bitmap.GetPixel(45, 35), clWhite) << "nothing outside";

  Headless().ForgetInvalidations();
  box->Invalidate();
  EXPECT_TRUE(Headless().WasInvalidated(panel->Handle(), Bounds(15, 15, 2, 2)));
  EXPECT_FALSE(Headless().WasInvalidated(panel->Handle(), Bounds(60, 60, 5, 5)));
  EXPECT_FALSE(Headless().WasInvalidated(form->Handle(), Bounds(0, 0, 300, 200)));
}

TEST_F(FormControls, PublishedPropertiesReachTheControls)
{
  TClass formClass = GetClass("TForm");
  ASSERT_NE(formClass, nullptr);
  std::unique_ptr<TObject> obj(formClass->Create(nullptr));
  auto* form = dynamic_cast<TForm*>(obj.get());
  ASSERT_NE(form, nullptr);
  SetStrProp(form, GetPropInfo(form, "Caption"), "设置");
  SetOrdProp(form, GetPropInfo(form, "Width"), 333);
  SetEnumProp(form, GetPropInfo(form, "BorderStyle"), "bsDialog");
  SetOrdProp(form, GetPropInfo(form, "Color"), clRed);
  EXPECT_EQ(form->Caption(), "设置");
  EXPECT_EQ(form->Width(), 333);
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->Color(), clRed);
  EXPECT_FALSE(form->ParentColor());
  EXPECT_EQ(GetEnumProp(form, GetPropInfo(form, "Position")), "poDesigned");
  form->Show();
  EXPECT_EQ(GetWindowText(form->Handle()), "设置");
  EXPECT_EQ(GetStrProp(form, GetPropInfo(form, "caption")), "设置") << "names ignore case";
  PPropInfo onClick = GetPropInfo(form, "OnClick");
  ASSERT_NE(onClick, nullptr);
  EXPECT_EQ(GetPropInfo(form, "Anchors")->PropType->Name, "TAnchors");
}

// ---- Controls that go away inside their own handlers
// -----------------------------------------------

TEST_F(FormControls, HandlersMayFreeTheirOwnControlOrForm)
{
  TForm* form = MakeForm("释放", Bounds(100, 100, 300, 200));
  auto* selfDeleting = Make<TTestButton>(form, Bounds(10, 10, 80, 25), "删除");
  selfDeleting->OnClick = [](TObject* sender) { delete static_cast<TControl*>(sender); };
  auto* closer = Make<TTestButton>(form, Bounds(10, 50, 80, 25), "关闭");
  bool destroyed = false;
  form->OnDestroy = [&](TObject*) { destroyed = true; };
  closer->OnClick = [form](TObject*) { form->Release(); };
  form->Show();
  Headless().ProcessMessages();
  Headless().Click(CenterOf(selfDeleting));
  EXPECT_EQ(form->ControlCount(), 1);
  TPoint at = CenterOf(closer);
  HWND h = form->Handle();
  Headless().Advance(1000);
  Headless().Click(at);
  EXPECT_TRUE(destroyed) << "released once the click was done";
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(Screen()->FormCount(), 0);
}

TEST_F(FormControls, AFormMovesIntoAnotherWindowAndBack)
{
  TForm* host = MakeForm("宿主", Bounds(100, 100, 400, 300));
  TForm* guest = MakeForm("客人", Bounds(0, 0, 200, 150));
  auto* inner = Make<TCustomControl>(guest, Bounds(5, 5, 50, 20));
  host->Show();
  guest->Show();
  guest->SetBorderStyle(bsNone);
  HWND innerHandle = inner->Handle();
  guest->SetParent(host);
  guest->SetBounds(10, 10, 200, 150);
  EXPECT_TRUE(IsChild(host->Handle(), guest->Handle()));
  EXPECT_EQ(inner->Handle(), innerHandle) << "its children keep their windows";
  EXPECT_EQ(WindowFromPoint(inner->ClientToScreen({1, 1})), inner->Handle());
  guest->SetParent(nullptr);
  EXPECT_FALSE(IsChild(host->Handle(), guest->Handle()));
  EXPECT_EQ(GetAncestor(guest->Handle(), GA_ROOT), guest->Handle());

  TDataModule* module = nullptr;
  Application()->CreateForm(module);
  EXPECT_EQ(Screen()->DataModuleCount(), 1);
  EXPECT_EQ(Screen()->DataModules(0), module);
  module->SetName("dmMain");
  host->SetName("frmHost");
  EXPECT_EQ(FindGlobalComponent("DMMAIN"), module);
  EXPECT_EQ(FindGlobalComponent("frmhost"), host);
  EXPECT_EQ(FindGlobalComponent("nobody"), nullptr);
  delete module;
  EXPECT_EQ(Screen()->DataModuleCount(), 0);
}

// ---- MDI
// --------------------------------------------------------------------------------------------

namespace {

class TFrameForm : public TForm {
public:
  explicit TFrameForm(TComponent* AOwner) : TForm(AOwner)
  {
    SetFormStyle(fsMDIForm);
    SetCaption("运单管理");
    SetBounds(0, 0, 600, 400);
  }
};

class TChildForm : public TForm {
public:
  explicit TChildForm(TComponent* AOwner) : TForm(AOwner)
  {
    SetFormStyle(fsMDIChild);
    SetBounds(10, 10, 200, 150);
  }
};

} // namespace

TEST_F(FormControls, MDIChildrenLiveInTheFramesClientArea)
{
  TFrameForm* frame = nullptr;
  Application()->CreateForm(frame);
  frame->Show();
  TChildForm* first = nullptr;
  TChildForm* second = nullptr;
  Application()->CreateForm(first);
  first->SetCaption("预览一");
  Application()->CreateForm(second);
  second->SetCaption("预览二");
  second->SetBounds(250, 10, 200, 150);
  Headless().ProcessMessages();
  ASSERT_NE(frame->ClientWindow(), nullptr);
  EXPECT_TRUE(IsChild(frame->ClientWindow()->Handle(), first->Handle()));
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->MDIChildren(0), second) << "front first";
  EXPECT_EQ(frame->ActiveMDIChild(), second);
  EXPECT_EQ(GetActiveWindow(), frame->Handle()) << "the frame stays the active window";

  Headless().Click(first->ClientToScreen({20, 20}));
  EXPECT_EQ(frame->ActiveMDIChild(), first);
  EXPECT_EQ(frame->MDIChildren(0), first);

  first->SetWindowState(wsMaximized);
  TRect client = frame->ClientWindow()->ClientRect();
  EXPECT_EQ(first->BoundsRect(), Rect(0, 0, client.Width(), client.Height()));

  TCloseAction action = caNone;
  second->OnClose = [&](TObject*, TCloseAction& a) { action = a; };
  second->Close();
  EXPECT_EQ(action, caMinimize) << "an MDI child minimizes by default";
  TForm* stray = new TChildForm(nullptr);
  EXPECT_NO_THROW(stray->HandleNeeded());
  delete stray;
}

// ---- Hints
// ------------------------------------------------------------------------------------------

TEST_F(FormControls, HintsAfterThePauseUntilThePointerLeaves)
{
  TForm* form = MakeForm("提示", Bounds(100, 100, 400, 300));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 100, 50));
  auto* b = Make<TTestPaintBox>(form, Bounds(200, 10, 80, 40));
  a->SetHint("打印运单|把选中的运单送到打印机");
  a->SetShowHint(true);
  b->SetHint("预览");
  b->SetShowHint(true);
  bool suppress = false;
  b->WindowProc = [&, b](TMessage& m) {
    if (m.Msg == CM_HINTSHOW && suppress) {
      m.Result = 1;
      return;
    }
    if (m.Msg == CM_HINTSHOW)
      reinterpret_cast<THintInfo*>(m.LParam)->HintStr += "!";
    b->WndProc(m);
  };
  form->Show();
  Headless().ProcessMessages();
  auto hintShown = [] {
    THintWindow* w = Application()->HintWindow();
    return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
  };
  TPoint over = a->ClientToScreen({30, 20});
  Headless().Move(over);
  Headless().AdvanceAndProcess(499);
  EXPECT_FALSE(hintShown()) << "not before the pause";
  Headless().AdvanceAndProcess(2);
  ASSERT_TRUE(hintShown());
  THintWindow* hint = Application()->HintWindow();
  EXPECT_EQ(hint->Caption(), "打印运单") << "the short part";
  TRect r;
  GetWindowRect(hint->Handle(), r);
  EXPECT_EQ(r.TopLeft(), Point(over.X, over.Y + 20)) << "below the pointer";
  EXPECT_EQ(GetActiveWindow(), form->Handle()) << "a hint never takes the activation";
  EXPECT_EQ(WindowFromPoint({r.Left + 2, r.Top + 2}), hint->Handle()) << "in front of the form";

  // Over another control a hint follows after the short pause; its control may change it.
  Headless().Move(b->ClientToScreen({5, 5}));
  EXPECT_FALSE(hintShown());
  Headless().AdvanceAndProcess(60);
  ASSERT_TRUE(hintShown());
  EXPECT_EQ(hint->Caption(), "预览!");
  Headless().AdvanceAndProcess(2500);
  EXPECT_FALSE(hintShown()) << "gone after the hide pause";

  // A control that answers CM_HINTSHOW keeps its hint to itself; a press ends a hint.
  suppress = true;
  Headless().Move(a->ClientToScreen({5, 5}));
  Headless().Move(b->ClientToScreen({6, 6}));
  Headless().AdvanceAndProcess(600);
  EXPECT_FALSE(hintShown());
  Headless().Move(a->ClientToScreen({6, 6}));
  Headless().AdvanceAndProcess(600);
  ASSERT_TRUE(hintShown());
  Headless().Click(a->ClientToScreen({6, 6}));
  EXPECT_FALSE(hintShown());
  b->WindowProc = TWndMethod::Bind(static_cast<TControl*>(b), &TControl::WndProc);

  // The application's hint window class can be replaced.
  static int made = 0;
  made = 0;
  Application()->SetHintWindowClass([](TComponent* owner) -> THintWindow* {
    ++made;
    return new THintWindow(owner);
  });
  Headless().Move(form->ClientToScreen({150, 200})); // off the control, then back
  Headless().Move(a->ClientToScreen({31, 5}));
  Headless().AdvanceAndProcess(600);
  EXPECT_TRUE(hintShown());
  EXPECT_EQ(made, 1);
  Application()->SetHintWindowClass(nullptr);
}

TEST_F(FormControls, DoubleBufferedControlsPaintThroughMemory)
{
  TForm* form = MakeForm("缓冲", Bounds(100, 100, 300, 200));
  form->SetBorderStyle(bsNone);
  auto* panel = Make<TTestButton>(form, Bounds(20, 20, 100, 60), "");
  panel->SetColor(clTeal);
  panel->SetDoubleBuffered(true);
  std::vector<std::pair<WPARAM, LPARAM>> erases;
  panel->WindowProc = [&, panel](TMessage& m) {
    if (m.Msg == WM_ERASEBKGND)
      erases.push_back({m.WParam, m.LParam});
    panel->WndProc(m);
  };
  form->Show();
  Headless().ProcessMessages();
  ASSERT_EQ(erases.size(), 2u);
  EXPECT_NE(erases[0].first, static_cast<WPARAM>(erases[0].second))
      << "the window's own erase is skipped";
  EXPECT_EQ(erases[1].first, static_cast<WPARAM>(erases[1].second)) << "the memory context erases";
  EXPECT_EQ(Headless().ScreenPixel(panel->ClientToScreen({50, 30})), clTeal);
  EXPECT_NE(Headless().ScreenPixel(panel->ClientToScreen({0, 0})), clTeal)
      << "the edge painted over the background";
  panel->WindowProc = TWndMethod::Bind(static_cast<TControl*>(panel), &TControl::WndProc);
}

// ---- Scroll boxes
// -----------------------------------------------------------------------------------

TEST_F(FormControls, ScrollBoxScrollsItsChildren)
{
  TForm* form = MakeForm("滚动", Bounds(100, 100, 400, 300));
  form->SetBorderStyle(bsNone);
  auto* box = Make<TScrollBox>(form, Bounds(10, 10, 204, 154));
  auto* far = Make<TCustomControl>(box, Bounds(20, 400, 50, 30));
  auto* near = Make<TCustomControl>(box, Bounds(20, 20, 50, 30));
  form->Show();
  Headless().ProcessMessages();
  EXPECT_EQ(box->ClientWidth(), 200 - 17) << "a vertical bar appeared";
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->VertScrollBar()->Range(), 430);

  box->VertScrollBar()->SetPosition(100);
  EXPECT_EQ(near->Top(), -80);
  EXPECT_EQ(far->Top(), 300);
  box->VertScrollBar()->SetPosition(10000);
  EXPECT_EQ(box->VertScrollBar()->Position(), 430 - 150) << "stops at the end";
  EXPECT_EQ(far->Top() + far->Height(), 150);

  // The window's own bar drives it: a click on the up arrow scrolls by Increment.
  SCROLLBARINFO info;
  GetScrollBarInfo(box->Handle(), OBJID_VSCROLL, info);
  Headless().Click({info.rcScrollBar.Left + 5, info.rcScrollBar.Top + 5});
  EXPECT_EQ(box->VertScrollBar()->Position(), 430 - 150 - 8);
  box->ScrollInView(near);
  EXPECT_EQ(box->VertScrollBar()->Position(), 20);
  EXPECT_EQ(near->Top(), 0);
  // The wheel goes to the focused control and up to the box: three increments a notch.
  near->SetTabStop(true);
  Headless().Click(near->ClientToScreen({1, 1}));
  ASSERT_TRUE(near->Focused());
  Headless().Wheel(-1, box->ClientToScreen({100, 100}));
  EXPECT_EQ(box->VertScrollBar()->Position(), 20 + 24);
  EXPECT_EQ(box->Perform(WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS | DLGC_WANTTAB));
}

TEST_F(FormControls, EnterAndExitFollowTheContainers)
{
  TTrace t;
  TForm* form = MakeForm("容器", Bounds(100, 100, 400, 300));
  auto* left = Make<TCustomControl>(form, Bounds(0, 0, 190, 300));
  auto* right = Make<TCustomControl>(form, Bounds(200, 0, 190, 300));
  auto* a = Make<TCustomControl>(left, Bounds(10, 10, 50, 20));
  auto* b = Make<TCustomControl>(left, Bounds(10, 50, 50, 20));
  auto* c = Make<TCustomControl>(right, Bounds(10, 10, 50, 20));
  for (auto [ctl, name] :
       {std::pair{left, "left"}, {right, "right"}, {a, "a"}, {b, "b"}, {c, "c"}}) {
    std::string n = name;
    ctl->OnEnter = [&t, n](TObject*) { t.push_back(n + ".enter"); };
    ctl->OnExit = [&t, n](TObject*) { t.push_back(n + ".exit"); };
  }
  for (TCustomControl* ctl : {a, b, c})
    ctl->SetTabStop(true);
  form->Show();
  Headless().ProcessMessages();
  a->SetFocus();
  b->SetFocus();
  c->SetFocus();
  EXPECT_EQ(t, (TTrace{"left.enter", "a.enter", "a.exit", "b.enter", "b.exit", "left.exit",
                       "right.enter", "c.enter"}));
  delete form;
}

TEST_F(FormControls, CaptionButtonsCloseMaximizeAndRestore)
{
  TForm* form = MakeForm("按钮", Bounds(100, 100, 300, 200));
  int queries = 0;
  form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++queries > 1; };
  form->Show();
  Headless().ProcessMessages();
  std::filesystem::path dir = std::filesystem::path(ParamStr(0)).parent_path();
  Headless().SaveWindowShot(form->Handle(), (dir / "ui_caption_buttons.png").string());
  // Frame 4, caption 19: buttons 15 high, 17 wide, 2 from the right edge of the caption.
  TPoint close{100 + 300 - 4 - 2 - 8, 100 + 4 + 2 + 7};
  TPoint maximize{close.X - 19, close.Y};
  Headless().Click(close);
  EXPECT_TRUE(form->Visible()) << "the close query said no";
  Headless().Advance(1000);
  Headless().Click(close);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(queries, 2);

  form->Show();
  Headless().Advance(1000);
  Headless().Click(maximize);
  EXPECT_EQ(form->WindowState(), wsMaximized);
  EXPECT_EQ(form->BoundsRect(), Rect(0, 0, 1024, 768));
  Headless().Advance(1000);
  Headless().DoubleClick({500, 10}); // the caption of the maximized form
  EXPECT_EQ(form->WindowState(), wsNormal);
  EXPECT_EQ(form->BoundsRect(), Bounds(100, 100, 300, 200));
}

TEST_F(FormControls, DeletingTheFocusedControlLeavesNothingBehind)
{
  TForm* form = MakeForm("删除", Bounds(100, 100, 300, 200));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 50, 20));
  auto* b = Make<TCustomControl>(form, Bounds(10, 40, 50, 20));
  a->SetTabStop(true);
  b->SetTabStop(true);
  form->Show();
  a->SetFocus();
  ASSERT_EQ(Screen()->ActiveControl(), a);
  delete a;
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(Screen()->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), form->Handle()) << "the focus falls back to the form";
  Headless().Key(VK_TAB);
  EXPECT_TRUE(b->Focused()) << "the tab order no longer holds it";
  EXPECT_EQ(b->TabOrder(), 0);
}

TEST_F(FormControls, CancelModeContextMenusAndVersion)
{
  TForm* form = MakeForm("杂项", Bounds(100, 100, 300, 200));
  auto* a = Make<TCustomControl>(form, Bounds(10, 10, 50, 20));
  auto* b = Make<TCustomControl>(form, Bounds(10, 40, 50, 20));
  a->SetTabStop(true);
  TControl* cancelSender = nullptr;
  std::vector<TPoint> menus;
  a->WindowProc = [&, a](TMessage& m) {
    if (m.Msg == CM_CANCELMODE)
      cancelSender = reinterpret_cast<TControl*>(m.LParam);
    a->WndProc(m);
  };
  a->OnContextPopup = [&](TObject*, TPoint p, bool& handled) {
    menus.push_back(p);
    handled = true;
  };
  form->Show();
  a->SetFocus();
  Headless().Click(CenterOf(b));
  EXPECT_EQ(cancelSender, b) << "the focused control hears that another one was pressed";

  Headless().Click(a->ClientToScreen({7, 8}), hbRight);
  Headless().Key(VK_APPS);
  Headless().Key(VK_F10, true);
  ASSERT_EQ(menus.size(), 3u);
  EXPECT_EQ(menus[0], Point(7, 8)) << "at the pointer, in client coordinates";
  EXPECT_EQ(menus[1], Point(-1, -1)) << "from the keyboard";
  EXPECT_EQ(menus[2], Point(-1, -1));
  a->WindowProc = TWndMethod::Bind(static_cast<TControl*>(a), &TControl::WndProc);

  OSVERSIONINFO v;
  ASSERT_TRUE(GetVersionEx(v));
  EXPECT_EQ(v.dwMajorVersion * 10 + v.dwMinorVersion, 51u);
}

// ---- Drag and drop
// ------------------------------------------------------------------------------------

TEST_F(FormControls, DragAndDropBetweenControls)
{
  TTrace t;
  TForm* form = MakeForm("拖放", Bounds(100, 100, 400, 300));
  auto* source = Make<TCustomControl>(form, Bounds(10, 10, 80, 40));
  auto* target = Make<TTestPaintBox>(form, Bounds(200, 10, 100, 100));
  auto* other = Make<TCustomControl>(form, Bounds(10, 150, 80, 40));
  source->SetDragMode(dmAutomatic);
  source->OnClick = [&](TObject*) { t.push_back("click"); };
  source->OnStartDrag = [&](TObject*, TDragObject*&) { t.push_back("start"); };
  source->OnEndDrag = [&](TObject*, TObject* into, Integer x, Integer y) {
    t.push_back(std::string("end ") +
                (into == target ? "target"
                 : into         ? "?"
                                : "nothing") +
                " " + std::to_string(x) + "," + std::to_string(y));
  };
  TCursor cursorOverTarget = 0;
  target->OnDragOver = [&](TObject*, TObject* src, Integer, Integer, TDragState state,
                           bool& accept) {
    static const char* names[] = {"enter", "leave", "move"};
    if (t.empty() || t.back() != std::string("over ") + names[state])
      t.push_back(std::string("over ") + names[state]);
    accept = src == source;
  };
  target->OnDragDrop = [&](TObject*, TObject* src, Integer x, Integer y) {
    cursorOverTarget = GetCursor();
    t.push_back("drop " + std::to_string(x) + "," + std::to_string(y) +
                (src == source ? " source" : ""));
  };
  form->Show();
  Headless().ProcessMessages();

  // A press without a move stays a click.
  Headless().Click(CenterOf(source));
  EXPECT_EQ(t, (TTrace{"click"}));

  // Dragged onto the target.
  t.clear();
  Headless().Advance(1000);
  Headless().Drag(CenterOf(source), target->ClientToScreen({30, 40}), 5);
  EXPECT_EQ(t,
            (TTrace{"start", "over enter", "over move", "drop 30,40 source", "end target 30,40"}));
  EXPECT_EQ(cursorOverTarget, crDrag);
  EXPECT_EQ(DragObject(), nullptr);
  EXPECT_FALSE(source->Dragging());

  // Dropped where nobody accepts: the target hears it left, the source that it ended.
  t.clear();
  Headless().Advance(1000);
  Headless().Drag(CenterOf(source), CenterOf(other), 3);
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.front(), "start");
  EXPECT_EQ(t.back().substr(0, 11), "end nothing");

  // Esc cancels.
  t.clear();
  Headless().Advance(1000);
  Headless().QueueStep([&] { Headless().Move(target->ClientToScreen({5, 5})); });
  Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
  source->BeginDrag(true);
  Headless().ProcessMessages();
  EXPECT_EQ(t.front(), "start");
  EXPECT_EQ(std::count(t.begin(), t.end(), "drop 5,5 source"), 0);
  EXPECT_EQ(t.back().substr(0, 11), "end nothing");
  EXPECT_EQ(std::count(t.begin(), t.end(), "over leave"), 1);
  delete form;
}

// A drag object made by OnStartDrag stays its maker's unless it says the drag frees it; then
// it is freed once OnEndDrag has seen it, whether dropped or cancelled.
TEST_F(FormControls, DragObjectsFromOnStartDragAreFreedOnlyWhenTheySaySo)
{
  struct TCountedDrag : TDragObject {
    bool Freed;
    Integer* Deleted;
    TCountedDrag(bool freed, Integer* deleted) : Freed(freed), Deleted(deleted) {}
    ~TCountedDrag() override { ++*Deleted; }
    bool FreedAfterDrag() const override { return Freed; }
  };
  TForm* form = MakeForm("拖放", Bounds(100, 100, 400, 300));
  auto* source = Make<TCustomControl>(form, Bounds(10, 10, 80, 40));
  auto* target = Make<TTestPaintBox>(form, Bounds(200, 10, 100, 100));
  target->OnDragOver = [](TObject*, TObject*, Integer, Integer, TDragState, bool& accept) {
    accept = true;
  };
  target->OnDragDrop = [](TObject*, TObject*, Integer, Integer) {};
  form->Show();
  Headless().ProcessMessages();
  for (bool freed : {false, true})
    for (bool cancelled : {false, true}) {
      SCOPED_TRACE(std::string(freed ? "freed" : "kept") + (cancelled ? ", cancelled" : ""));
      Integer deleted = 0;
      TCountedDrag* made = nullptr;
      source->OnStartDrag = [&](TObject*, TDragObject*& object) {
        object = made = new TCountedDrag(freed, &deleted);
      };
      Integer deletedAtEnd = -1;
      source->OnEndDrag = [&](TObject*, TObject*, Integer, Integer) { deletedAtEnd = deleted; };
      Headless().Advance(1000);
      if (cancelled) {
        Headless().QueueStep([&] { Headless().Move(target->ClientToScreen({5, 5})); });
        Headless().QueueStep([&] { Headless().Key(VK_ESCAPE); });
        source->BeginDrag(true);
        Headless().ProcessMessages();
      } else {
        source->SetDragMode(dmAutomatic);
        Headless().Drag(CenterOf(source), target->ClientToScreen({30, 40}), 5);
      }
      ASSERT_NE(made, nullptr);
      EXPECT_EQ(deletedAtEnd, 0) << "alive while OnEndDrag sees it";
      EXPECT_EQ(deleted, freed ? 1 : 0);
      if (!freed)
        delete made;
    }
  delete form;
}

TEST_F(ModalDialogs, MessageBoxesComeInFrontOfStayOnTopForms)
{
  TForm* onTop = MakeForm("置顶", Bounds(0, 0, 1024, 768));
  onTop->SetFormStyle(fsStayOnTop);
  onTop->Show();
  bool boxInFront = false;
  Headless().OnWindow("提示", [&](HWND box) {
    TRect r;
    GetWindowRect(box, r);
    boxInFront = WindowFromPoint({r.Left + r.Width() / 2, r.Top + 10}) == box;
    HWND ok = THeadlessBackend::FindChildByText(box, "确定");
    TRect b;
    GetClientRect(ok, b);
    Headless().Click(THeadlessBackend::ScreenPoint(ok, {b.Width() / 2, b.Height() / 2}));
  });
  EXPECT_EQ(Application()->MessageBox("完成", "提示", MB_OK), IDOK);
  EXPECT_TRUE(boxInFront);
  EXPECT_TRUE(GetWindowLong(onTop->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST)
      << "back on top afterwards";
}

TEST_F(Application_, MinimizeAndRestoreTheProgram)
{
  TForm* main = MakeForm("主窗口", Bounds(100, 100, 300, 200));
  TForm* tool = MakeForm("工具", Bounds(500, 100, 200, 200));
  main->Show();
  tool->Show();
  int events = 0;
  Application()->OnMinimize = [&](TObject*) { ++events; };
  Application()->OnRestore = [&](TObject*) { events += 10; };
  Application()->Minimize();
  EXPECT_TRUE(Application()->Minimized());
  EXPECT_TRUE(IsIconic(main->Handle()));
  EXPECT_TRUE(IsIconic(tool->Handle()));
  EXPECT_EQ(GetForegroundWindow(), 0u);
  Application()->Restore();
  EXPECT_FALSE(IsIconic(main->Handle()));
  EXPECT_EQ(main->BoundsRect(), Bounds(100, 100, 300, 200));
  EXPECT_NE(GetForegroundWindow(), 0u);
  EXPECT_EQ(events, 11);
}

TEST_F(Application_, ScreenListsFontsAndSizes)
{
  EXPECT_EQ(Screen()->Width(), 1024);
  EXPECT_EQ(Screen()->Height(), 768);
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  TStrings* fonts = Screen()->Fonts();
  ASSERT_GT(fonts->Count(), 0);
  EXPECT_GE(fonts->IndexOf("宋体"), 0);
  EXPECT_EQ(Mouse()->DragThreshold(), 5);
  EXPECT_EQ(Mouse()->WheelScrollLines(), 3);
}

TEST_F(FormControls, BorderWidthAndDefaultPositions)
{
  TForm* form = MakeForm("边框", Bounds(100, 100, 300, 200));
  form->SetBorderStyle(bsNone);
  form->SetColor(clNavy);
  form->SetBorderWidth(6);
  auto* fill = Make<TCustomControl>(form, Bounds(0, 0, 10, 10));
  fill->SetAlign(alClient);
  fill->SetColor(clYellow);
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 300 - 12);
  EXPECT_EQ(fill->BoundsRect(), Rect(0, 0, 288, 188));
  EXPECT_EQ(Headless().ScreenPixel({100 + 3, 100 + 3}), clNavy) << "the border band";
  EXPECT_EQ(Headless().ScreenPixel({100 + 6, 100 + 6}), clYellow);

  TForm* first = MakeForm("一", Bounds(0, 0, 200, 100));
  TForm* second = MakeForm("二", Bounds(0, 0, 200, 100));
  first->SetPosition(poDefault);
  second->SetPosition(poDefault);
  first->Show();
  second->Show();
  EXPECT_GT(second->Left(), first->Left()) << "default places cascade";
  EXPECT_GT(second->Top(), first->Top());
}

// A client size set before the window exists gets the frame around it once the window is
// made: caption, borders, a menu bar, a border band.
TEST_F(FormControls, AClientSizeSetBeforeTheWindowExistsKeepsItsFrame)
{
  struct TCase {
    const char* Name;
    TFormBorderStyle Border;
    bool Menu;
    Integer BorderWidth;
  } cases[] = {
      {"sizeable", bsSizeable, false, 0},           {"dialog", bsDialog, false, 0},
      {"tool window", bsToolWindow, false, 0},      {"sizeable with a menu", bsSizeable, true, 0},
      {"borderless with a band", bsNone, false, 5},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(c.Border);
    form->SetBorderWidth(c.BorderWidth);
    if (c.Menu) {
      auto* menu = new TMainMenu(form);
      auto* item = new TMenuItem(form);
      item->SetCaption("文件(&F)");
      menu->Items()->Add(item);
      form->SetMenu(menu);
    }
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    EXPECT_EQ(form->ClientWidth(), 300);
    ASSERT_FALSE(form->HandleAllocated());
    form->Show();
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    TRect window;
    GetWindowRect(form->Handle(), window);
    EXPECT_EQ(window.Width(), form->Width());
    EXPECT_GT(form->Height(), 200);
    delete form;
  }

  // A window size set after the client size wins; the other side keeps its client size.
  auto* form = new TForm(nullptr);
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  form->SetWidth(250);
  form->Show();
  EXPECT_EQ(form->Width(), 250);
  EXPECT_EQ(form->ClientHeight(), 200);
  delete form;
}

TEST_F(FormControls, HintAreasSmallerThanTheControl)
{
  TForm* form = MakeForm("格子", Bounds(100, 100, 400, 300));
  auto* grid = Make<TCustomControl>(form, Bounds(10, 10, 200, 100));
  grid->SetShowHint(true);
  grid->SetHint("格子");
  // Each 50-pixel column is a hint area of its own, with its own text.
  grid->WindowProc = [grid](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) {
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      Integer column = info->CursorPos.X / 50;
      info->CursorRect = Rect(column * 50, 0, column * 50 + 50, 100);
      info->HintStr = "第" + std::to_string(column + 1) + "列";
    }
    grid->WndProc(m);
  };
  form->Show();
  Headless().ProcessMessages();
  Headless().Move(grid->ClientToScreen({10, 10}));
  Headless().AdvanceAndProcess(600);
  THintWindow* hint = Application()->HintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->Caption(), "第1列");
  Headless().Move(grid->ClientToScreen({60, 10}));
  EXPECT_FALSE(IsWindowVisible(hint->Handle()));
  Headless().AdvanceAndProcess(60);
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  EXPECT_EQ(hint->Caption(), "第2列");
  grid->WindowProc = TWndMethod::Bind(static_cast<TControl*>(grid), &TControl::WndProc);
}
