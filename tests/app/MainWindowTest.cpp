// The main window's menu as a user sees it (captions, order, merge groups) and the menu
// commands that open documents, links and other programs.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/Maker.h"
#include "app/main.h"
#include "app/qhProj.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ShellAPI.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

class MainWindow : public TProgramDirTest {
protected:
  void SetUp() override
  {
    TProgramDirTest::SetUp();
    app_test::ResetWindows();
    ProductTitle = "青禾快递单打印管理系统";
    ProductVersion = "单机版 1.0.131205";
    Application()->CreateForm(mainFrm);
    FPreviousHook = SetShellOpenHook([this](const AnsiString& Target) {
      Opened.push_back(Target);
      return true;
    });
  }
  void TearDown() override
  {
    SetShellOpenHook(FPreviousHook);
    app_test::ResetWindows();
    TProgramDirTest::TearDown();
  }

  std::vector<AnsiString> Opened;

private:
  TShellOpenHook FPreviousHook;
};

TEST_F(MainWindow, TheMenuHasItsCaptionsInOrderAndItsMergeGroups)
{
  TMenuItem* bar = mainFrm->MainMenu1->Items();
  ASSERT_EQ(bar->Count(), 3);
  const char* menus[] = {"文件(&F)", "工具(&T)", "帮助(&H)"};
  const Byte groups[] = {0, 2, 2};
  const std::vector<std::vector<AnsiString>> items{
      {"公司信息", "操作员及权限", "-", "选项设置", "-", "初始化数据...", "备份与恢复", "-",
       "更改密码", "重新登陆", "-", "退出系统"},
      {"记事本", "计算器"},
      {"帮助文件", "常见问题", "每日一贴", "-", "自述文件", "最新功能", "-", "青禾官方网站",
       "给青禾发电子邮件...", "在线反馈", "-", "关于..."}};
  for (Integer m = 0; m < 3; ++m) {
    TMenuItem* menu = bar->Items(m);
    EXPECT_EQ(menu->Caption(), menus[m]);
    EXPECT_EQ(menu->GroupIndex(), groups[m]);
    std::vector<AnsiString> captions;
    for (Integer i = 0; i < menu->Count(); ++i)
      captions.push_back(menu->Items(i)->Caption());
    EXPECT_EQ(captions, items[m]) << menus[m];
  }
  EXPECT_EQ(mainFrm->Caption(), "青禾快递单打印管理系统 - 单机版 1.0.131205");
  EXPECT_EQ(mainFrm->FormStyle(), fsMDIForm);
}

TEST_F(MainWindow, DocumentsAndLinksOpenWithTheDesktopsHandler)
{
  WriteFile(Dir + "readme.txt", "readme");
  WriteFile(Dir + "whatsnew.txt", "new");
  mkdir((Dir + "help").c_str(), 0755);
  WriteFile(Dir + "help/main.htm", "<html></html>");
  mainFrm->N17->Click();
  mainFrm->N18->Click();
  mainFrm->N13->Click();
  mainFrm->N20->Click();
  mainFrm->N21->Click();
  const std::vector<AnsiString> expected{
      AnsiString(Dir) + "readme.txt", AnsiString(Dir) + "whatsnew.txt",
      AnsiString(Dir) + "help/main.htm", MakerWebAddress,
      AnsiString("mailto:") + MakerSalesMail +
          "?subject=%E9%9D%92%E7%A6%BE%E5%BF%AB%E9%80%92%E5%8D%95%E6%89%93%E5%8D%B0%E7%AE%A1%E7%90%"
          "86%E7%B3%BB%E7%BB%9F%20%E8%B4%AD%E4%B9%B0%E5%92%A8%E8%AF%A2"};
  EXPECT_EQ(Opened, expected);
  unlink((Dir + "help/main.htm").c_str());
  rmdir((Dir + "help").c_str());
}

TEST_F(MainWindow, ToolsAreTheFirstEditorAndCalculatorOnThePath)
{
  const std::string saved = getenv("PATH") ? getenv("PATH") : "";
  mkdir((Dir + "bin").c_str(), 0755);
  setenv("PATH", (Dir + "nowhere:" + Dir + "bin").c_str(), 1);
  EXPECT_EQ(FindTextEditor(), "");
  EXPECT_EQ(FindCalculator(), "");
  for (const char* name : {"mousepad", "gedit", "xcalc"})
    WriteFile(Dir + "bin/" + name, "#!/bin/sh\n");
  EXPECT_EQ(FindTextEditor(), AnsiString(Dir) + "bin/gedit"); // earlier in the list
  EXPECT_EQ(FindCalculator(), AnsiString(Dir) + "bin/xcalc");
  setenv("PATH", saved.c_str(), 1);
  for (const char* name : {"mousepad", "gedit", "xcalc"})
    unlink((Dir + "bin/" + name).c_str());
  rmdir((Dir + "bin").c_str());
}

} // namespace
