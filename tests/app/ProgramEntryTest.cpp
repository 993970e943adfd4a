// The program run from its entry on the headless screen over an embedded database made
// for the test: the connection with the configuration dialog, the start-up hints, the
// command-line and dialog logins, the shutdown order and the rights behind the menu.
#include <gtest/gtest.h>

#include "app/DBConfig.h"
#include "app/Database.h"
#include "app/Login.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "app/qhwbp.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::ResetWindows;
using app_test::SetArguments;

class ProgramStart : public TProgramDirTest {
protected:
  void SetUp() override
  {
    TProgramDirTest::SetUp();
    ResetWindows();
  }
  void TearDown() override
  {
    ResetWindows();
    Db->SetConnected(false);
    TProgramDirTest::TearDown();
  }

  AnsiString DatabaseFile() const { return AnsiString(Dir) + "qhwbp.mdb"; }

  // The default embedded database beside the program, with the operator bob (password
  // "b", no rights) and a company started 7 times, and a cfg.ini choosing it.
  void MakeDatabase()
  {
    CreateDatabaseFile(DatabaseFile());
    WriteFile(Dir + "cfg.ini", "[db]\r\nproviderIdx=1\r\ndefaultCon=1\r\n");
    Connect();
    Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights) "
                u"values('bob','b','','','','')");
    Db->Execute(u"insert into Company(Id,CompanyName,UseCount,Updated) values(1,'青禾',7,0)");
    Db->SetConnected(false);
  }

  void Connect()
  {
    ASSERT_TRUE(
        Db->Connect(GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DatabaseFile())));
  }

  Integer StoredUseCount()
  {
    Connect();
    CurrentCompany->LoadCompany();
    Db->SetConnected(false);
    return CurrentCompany->UseCount;
  }

  int Run(const std::vector<std::string>& Args)
  {
    SetArguments(Args);
    return ::ProgramEntry();
  }

  // Counts the showings of the login dialog and answers each with Cancel.
  void CancelLogins(Integer& Shown)
  {
    Headless().OnWindow("登陆", [this, &Shown](HWND h) {
      ++Shown;
      HWND cancel = THeadlessBackend::FindChildByText(h, "取消");
      ASSERT_TRUE(cancel);
      Headless().Click(THeadlessBackend::ScreenPoint(cancel, TPoint(5, 5)));
      CancelLogins(Shown);
    });
  }
};

TEST_F(ProgramStart, WithoutSettingsTheDialogFollowsTheFailureAndCancelEndsTheProgram)
{
  TMessageBoxRecorder boxes;
  size_t boxesBeforeDialog = 99;
  Headless().OnWindow("数据库连接设置", [&](HWND h) {
    boxesBeforeDialog = boxes.Boxes.size();
    Headless().Click(
        THeadlessBackend::ScreenPoint(THeadlessBackend::FindChildByText(h, "取消"), TPoint(5, 5)));
  });
  bool loginShown = false;
  Headless().OnWindow("登陆", [&](HWND) { loginShown = true; });

  EXPECT_EQ(Run({}), 0);
  ASSERT_EQ(boxesBeforeDialog, 1u);
  EXPECT_EQ(boxes.Boxes[0].Text.rfind("\r\n连接时失败,提示如下:\r\n", 0), 0u);
  EXPECT_EQ(mainFrm, nullptr);
  EXPECT_FALSE(loginShown);
  EXPECT_FALSE(Db->Connected());
  EXPECT_FALSE(FileExists(AnsiString(Dir) + "cfg.ini")); // Cancel writes nothing
}

TEST_F(ProgramStart, TheDialogsSettingsAreUsedForTheNextAttempt)
{
  CreateDatabaseFile(DatabaseFile());
  TMessageBoxRecorder boxes;
  // First attempt (no cfg.ini) fails; the dialog chooses the default embedded database.
  Headless().OnWindow("数据库连接设置", [&](HWND h) {
    auto* dialog = static_cast<TDBConfigFrm*>(FindControl(h));
    dialog->ComboBox1->SetItemIndex(1);
    dialog->jetDefaultCheckBox1->SetChecked(true);
    dialog->Button1->Click();
  });
  Integer logins = 0;
  CancelLogins(logins);
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(logins, 1);
  EXPECT_NE(ConfigText().find("providerIdx=1\r\n"), std::string::npos);
}

TEST_F(ProgramStart, CommandLineLoginOpensTheDesignerAfterTheHintsAndTheUseCountIsReset)
{
  MakeDatabase();
  std::vector<AnsiString> hints;
  SetSplashHintObserver([&](const AnsiString& Line) { hints.push_back(Line); });
  bool loginShown = false;
  Headless().OnWindow("登陆", [&](HWND) { loginShown = true; });
  bool ran = false;
  Headless().QueueStep([&] {
    ran = true;
    ASSERT_NE(mainFrm, nullptr);
    EXPECT_TRUE(mainFrm->Visible());
    EXPECT_EQ(mainFrm->Caption(), "青禾快递单打印管理系统 - 单机版 1.0.131205");
    ASSERT_EQ(mainFrm->MDIChildCount(), 1);
    EXPECT_EQ(mainFrm->MDIChildren(0)->Caption(), "桌面");
    // The designer fills the maximized frame.
    EXPECT_GE(mainFrm->MDIChildren(0)->Width(), mainFrm->ClientWidth());
    EXPECT_EQ(CurrentOperator->LoginId, "sa");
    mainFrm->Close();
  });

  EXPECT_EQ(Run({"sa", "", "x"}), 0);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(loginShown);
  const std::vector<AnsiString> expected{"正在连接数据库,请稍候...", "正在创建公共对象,请稍候...",
                                         "正在创建公共对象,请稍候....", "正在创建主程序,请稍候..."};
  EXPECT_EQ(hints, expected);
  EXPECT_EQ(StoredUseCount(), 0);
  // A command-line login does not remember the id.
  EXPECT_EQ(ConfigText().find("LastLoginId"), std::string::npos);
}

TEST_F(ProgramStart, AnyOtherCommandLineShowsTheLoginDialog)
{
  MakeDatabase();
  const std::vector<std::vector<std::string>> lines{
      {"sa", "wrong", "x"}, {"sa", ""}, {"sa", "", "x", "y"}, {"nobody", "", "x"}};
  for (const auto& line : lines) {
    SCOPED_TRACE(line.size());
    Integer logins = 0;
    CancelLogins(logins);
    EXPECT_EQ(Run(line), 0);
    EXPECT_EQ(logins, 1);
    ResetWindows();
  }
}

TEST_F(ProgramStart, CancelledLoginEndsTheProgramThroughTheShutdownOrder)
{
  MakeDatabase();
  std::vector<std::string> trace;
  ProgramDialogs().AutoBackup = [&] {
    trace.push_back("backup");
    EXPECT_FALSE(mainFrm->Visible());
    EXPECT_EQ(mainFrm->MDIChildCount(), 0);
    EXPECT_TRUE(Db->Connected());
  };
  Integer logins = 0;
  CancelLogins(logins);
  EXPECT_EQ(Run({"sa", "wrong", "x"}), 0);
  EXPECT_EQ(logins, 1);
  EXPECT_EQ(trace, std::vector<std::string>{"backup"});
  EXPECT_FALSE(Db->Connected());
  EXPECT_EQ(StoredUseCount(), 0);
}

TEST_F(ProgramStart, ClosingTheMainWindowClosesTheDesignerBeforeTheBackupAndDisconnects)
{
  MakeDatabase();
  std::vector<std::string> trace;
  ProgramDialogs().AutoBackup = [&] {
    trace.push_back(Db->Connected() ? "backup, connected" : "backup, disconnected");
    // The designer is closed: gone, or hidden until its release.
    for (Integer i = 0; i < mainFrm->MDIChildCount(); ++i)
      EXPECT_FALSE(mainFrm->MDIChildren(i)->Visible());
  };
  Headless().QueueStep([] { mainFrm->N12->Click(); }); // 退出系统
  EXPECT_EQ(Run({"sa", "", "x"}), 0);
  EXPECT_EQ(trace, std::vector<std::string>{"backup, connected"});
  EXPECT_FALSE(Db->Connected());
}

TEST_F(ProgramStart, MenuCommandsRefuseAnOperatorWithoutTheirRight)
{
  MakeDatabase();
  TMessageBoxRecorder boxes;
  bool companyOpened = false;
  ProgramDialogs().EditCompany = [&](bool) { companyOpened = true; };
  struct TCase {
    TMenuItem* TmainFrm::*Item;
    const char* Message;
  };
  const TCase cases[] = {
      {&TmainFrm::N1, "\r\n对不起,您没有该功能的操作权限,请与管理员联系(10000).\t"},
      {&TmainFrm::N2, "\r\n对不起,您没有该功能的操作权限,请与管理员联系(100001).\t"},
      {&TmainFrm::N6, "\r\n对不起,您没有该功能的操作权限,请与管理员联系(100).\t"},
      {&TmainFrm::N7, "\r\n对不起,您没有该功能的操作权限,请与管理员联系(10005).\t"},
  };
  Headless().QueueStep([&] {
    for (const TCase& c : cases) {
      boxes.Boxes.clear();
      bool aborted = false;
      try {
        (mainFrm->*c.Item)->Click();
      } catch (const EAbort&) {
        aborted = true;
      }
      EXPECT_TRUE(aborted) << c.Message;
      ASSERT_EQ(boxes.Boxes.size(), 1u);
      EXPECT_EQ(boxes.Boxes[0].Text, c.Message);
    }
    mainFrm->Close();
  });
  EXPECT_EQ(Run({"bob", "b", "x"}), 0);
  EXPECT_FALSE(companyOpened);
}

TEST_F(ProgramStart, ReLoginCancelledKeepsTheDesignerAndASuccessfulOneReplacesIt)
{
  MakeDatabase();
  TCustomForm* first = nullptr;
  Headless().QueueStep([&] {
    first = mainFrm->MDIChildren(0);
    Integer logins = 0;
    Headless().OnWindow("登陆", [&](HWND h) {
      ++logins;
      Headless().Click(THeadlessBackend::ScreenPoint(THeadlessBackend::FindChildByText(h, "取消"),
                                                     TPoint(5, 5)));
    });
    mainFrm->N10->Click(); // 重新登陆, cancelled
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(CurrentOperator->LoginId, "sa");
    ASSERT_EQ(mainFrm->MDIChildCount(), 1);
    EXPECT_EQ(mainFrm->MDIChildren(0), first);
    EXPECT_TRUE(first->Visible());

    Headless().OnWindow("登陆", [](HWND h) {
      auto* form = static_cast<TLoginFrm*>(FindControl(h));
      form->edtLoginId1->SetText("bob");
      form->edtPassword1->SetText("b");
      Headless().Click(THeadlessBackend::ScreenPoint(form->OkBtn1->Handle(), TPoint(5, 5)));
    });
    mainFrm->N10->Click(); // 重新登陆 as bob
    EXPECT_EQ(CurrentOperator->LoginId, "bob");
    Headless().QueueStep([&] {
      ASSERT_EQ(mainFrm->MDIChildCount(), 1);
      EXPECT_NE(mainFrm->MDIChildren(0), first);
      EXPECT_TRUE(mainFrm->MDIChildren(0)->Visible());
      mainFrm->Close();
    });
  });
  EXPECT_EQ(Run({"sa", "", "x"}), 0);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(ConfigText().find("LastLoginId=bob"), std::string::npos);
}

} // namespace
