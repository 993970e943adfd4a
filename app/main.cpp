// The main window and the login sequence; see main.h.
#include "app/main.h"

#include "app/Facade.h"
#include "app/Login.h"
#include "app/Maker.h"
#include "app/main1.h"
#include "app/qhLib.h"
#include "app/qhProj.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ShellAPI.h"

TmainFrm* mainFrm = nullptr;

namespace {

TMenuItem* AddItem(TmainFrm* Form, TMenuItem* Parent, const char* Name, const char* Caption,
                   void (TmainFrm::*Handler)(TObject*) = nullptr)
{
  TMenuItem* item = new TMenuItem(Form);
  if (Name)
    item->SetName(Name);
  item->SetCaption(Caption);
  if (Handler)
    item->OnClick = TNotifyEvent::Bind(Form, Handler);
  Parent->Add(item);
  return item;
}

TMenuItem* AddMenu(TmainFrm* Form, TMainMenu* Menu, const char* Caption, Byte GroupIndex)
{
  TMenuItem* item = new TMenuItem(Form);
  item->SetCaption(Caption);
  item->SetGroupIndex(GroupIndex);
  Menu->Items()->Add(item);
  return item;
}

void AddLine(TmainFrm* Form, TMenuItem* Parent)
{
  AddItem(Form, Parent, nullptr, cLineCaption);
}

// The first of Candidates that PATH holds.
AnsiString FindOnPath(std::initializer_list<const char*> Candidates)
{
  const AnsiString path = GetEnvironmentVariable("PATH");
  for (const char* name : Candidates) {
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find(':', start);
      if (end == AnsiString::npos)
        end = path.size();
      const AnsiString dir = path.substr(start, end - start);
      if (!dir.empty() && FileExists(IncludeTrailingPathDelimiter(dir) + name))
        return IncludeTrailingPathDelimiter(dir) + name;
      start = end + 1;
    }
  }
  return AnsiString();
}

void OpenProgramFile(const char* FileName)
{
  ShellOpen(ProgramDir() + FileName, {stFile});
}

} // namespace

TmainFrm::TmainFrm(TComponent* AOwner) : TaFrm(AOwner, fbInherited)
{
  SetName("mainFrm");
  SetFormStyle(fsMDIForm);
  SetCaption(Format("%s - %s", {ProductTitle, ProductVersion}));
  SetClientWidth(696);
  SetClientHeight(480);
  SetWindowState(wsMaximized);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem* file = AddMenu(this, MainMenu1, "文件(&F)", 0);
  N1 = AddItem(this, file, "N1", "公司信息", &TmainFrm::N1Click);
  N2 = AddItem(this, file, "N2", "操作员及权限", &TmainFrm::N2Click);
  AddLine(this, file);
  N4 = AddItem(this, file, "N4", "选项设置");
  AddLine(this, file);
  N6 = AddItem(this, file, "N6", "初始化数据...", &TmainFrm::N6Click);
  N7 = AddItem(this, file, "N7", "备份与恢复", &TmainFrm::N7Click);
  AddLine(this, file);
  N9 = AddItem(this, file, "N9", "更改密码", &TmainFrm::N9Click);
  N10 = AddItem(this, file, "N10", "重新登陆", &TmainFrm::N10Click);
  AddLine(this, file);
  N12 = AddItem(this, file, "N12", "退出系统", &TmainFrm::N12Click);
  TMenuItem* tools = AddMenu(this, MainMenu1, "工具(&T)", 2);
  N27 = AddItem(this, tools, "N27", "记事本", &TmainFrm::N27Click);
  N28 = AddItem(this, tools, "N28", "计算器", &TmainFrm::N28Click);
  TMenuItem* help = AddMenu(this, MainMenu1, "帮助(&H)", 2);
  N13 = AddItem(this, help, "N13", "帮助文件", &TmainFrm::N13Click);
  N14 = AddItem(this, help, "N14", "常见问题");
  N15 = AddItem(this, help, "N15", "每日一贴", &TmainFrm::N15Click);
  AddLine(this, help);
  N17 = AddItem(this, help, "N17", "自述文件", &TmainFrm::N17Click);
  N18 = AddItem(this, help, "N18", "最新功能", &TmainFrm::N18Click);
  AddLine(this, help);
  N20 = AddItem(this, help, "N20", "青禾官方网站", &TmainFrm::N20Click);
  N21 = AddItem(this, help, "N21", "给青禾发电子邮件...", &TmainFrm::N21Click);
  N22 = AddItem(this, help, "N22", "在线反馈", &TmainFrm::N22Click);
  AddLine(this, help);
  N26 = AddItem(this, help, "N26", "关于...", &TmainFrm::N26Click);
  SetMenu(MainMenu1);
  EndLoading();
}

void TmainFrm::CloseAllForms()
{
  auto closeWindowsOf = [this](TComponent* Owner) {
    // Closing may free forms (and so change the list): work on a snapshot and skip what
    // has gone meanwhile.
    std::vector<TComponent*> owned;
    for (Integer i = 0; i < Owner->ComponentCount(); ++i)
      owned.push_back(Owner->Components(i));
    for (TComponent* c : owned) {
      bool still = false;
      for (Integer i = 0; i < Owner->ComponentCount() && !still; ++i)
        still = Owner->Components(i) == c;
      if (auto* form = dynamic_cast<TCustomForm*>(c); still && form && form != this)
        form->Close();
    }
  };
  closeWindowsOf(Application());
  closeWindowsOf(this);
  for (Integer i = MDIChildCount() - 1; i >= 0; --i)
    if (TCustomForm* child = MDIChildren(i))
      child->Close();
}

void TmainFrm::DoClose(TCloseAction& Action)
{
  TaFrm::DoClose(Action);
  CloseAllForms();
  Hide();
  // Every step runs even when one before failed; the failure is shown.
  auto step = [](const std::function<void()>& Run) {
    try {
      Run();
    } catch (...) {
      Application()->HandleException(nullptr);
    }
  };
  step([] { MallFacade->ExitReportHook(); });
  step([] { MallFacade->ExitFeedbackHook(false); });
  step([] { Tmall::RunAutoBackup(); });
  Db->SetConnected(false);
}

// ---- Menu commands ----

void TmainFrm::N1Click(TObject*)
{
  Tmall::DoCompanyInfo();
}

void TmainFrm::N2Click(TObject*)
{
  Tmall::DoOperators();
}

void TmainFrm::N6Click(TObject*)
{
  Tmall::DoClearData();
}

void TmainFrm::N7Click(TObject*)
{
  Tmall::DoBackupSettings();
}

void TmainFrm::N9Click(TObject*)
{
  if (ProgramDialogs().ChangePassword)
    ProgramDialogs().ChangePassword();
}

void TmainFrm::N10Click(TObject*)
{
  LoginFlow(false);
}

void TmainFrm::N12Click(TObject*)
{
  Close();
}

void TmainFrm::N13Click(TObject*)
{
  ShowHelp("");
}

void TmainFrm::N15Click(TObject*)
{
  if (ProgramDialogs().Tips)
    ProgramDialogs().Tips();
}

void TmainFrm::N17Click(TObject*)
{
  OpenProgramFile("readme.txt");
}

void TmainFrm::N18Click(TObject*)
{
  OpenProgramFile("whatsnew.txt");
}

void TmainFrm::N20Click(TObject*)
{
  ShellOpen(MakerWebAddress, {stWeb});
}

AnsiString SalesMailLink()
{
  return MailLink(MakerSalesMail, Format("%s 购买咨询", {ProductTitle}));
}

void TmainFrm::N21Click(TObject*)
{
  ShellOpen(SalesMailLink(), {stMail});
}

void TmainFrm::N22Click(TObject*)
{
  if (ProgramDialogs().Feedback)
    ProgramDialogs().Feedback();
}

void TmainFrm::N26Click(TObject*)
{
  if (ProgramDialogs().About)
    ProgramDialogs().About();
}

AnsiString FindTextEditor()
{
  return FindOnPath({"gnome-text-editor", "gedit", "mousepad", "pluma", "xed", "kate", "kwrite",
                     "featherpad", "leafpad", "xedit"});
}

AnsiString FindCalculator()
{
  return FindOnPath(
      {"gnome-calculator", "galculator", "mate-calc", "kcalc", "qalculate-gtk", "xcalc"});
}

void TmainFrm::N27Click(TObject*)
{
  const AnsiString editor = FindTextEditor();
  if (!editor.empty())
    ExecuteProcess(editor, {}, pwNoWait);
}

// The calculator is centred on the desktop when its window is already there; a
// calculator of the desktop opens its own window, which this program does not manage.
void TmainFrm::N28Click(TObject*)
{
  const AnsiString calculator = FindCalculator();
  if (!calculator.empty())
    ExecuteProcess(calculator, {}, pwNoWait);
  HWND window = FindWindow("SciCalc", "");
  if (!window)
    return;
  TRect r;
  GetWindowRect(window, r);
  const TRect desktop = Screen()->DesktopRect();
  SetWindowPos(window, 0, (desktop.Right - r.Width()) / 2, (desktop.Bottom - r.Height()) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Login ----

bool LoginFlow(bool FromCommandLine)
{
  bool result = false;
  if (FromCommandLine && ParamCount() == 3) {
    CurrentOperator->LoadOperator(ParamStr(1));
    result = CurrentOperator->CheckPassword(ParamStr(2));
  }
  if (!result)
    result = ShowLoginDialog();
  if (result) {
    mainFrm->CloseAllForms();
    Tmain1Frm* designer = new Tmain1Frm(mainFrm);
    designer->Show();
  }
  return result;
}
