// The help menu's windows over SQLite and PostgreSQL: the feedback form posting its body to
// a loopback server that answers "ok", answers "no", or refuses the connection (with the
// message for each), its prompt setting stored at once; the about box's values and links;
// and the tip of the day, which does nothing while it has no tips.
#include "app/Feedback.h"

#include <gtest/gtest.h>

#include "app/CompanyInfo.h"
#include "app/Facade.h"
#include "app/Maker.h"
#include "app/Tips.h"
#include "app/about.h"
#include "app/main.h"
#include "app/qhProj.h"
#include "platform/net/UrlUtils.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Menus.h"
#include "platform/ui/ShellAPI.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/AdminTestSupport.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"
#include "tests/platform/net/LoopbackServer.h"

namespace {

using app_test::ActiveWindow;
using app_test::ClickControl;
using app_test::EndModal;

class HelpWindows : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    InstallProgramWindows();
    ProductTitle = "青禾快递单打印管理系统";
    ProductVersion = "单机版 1.0.131205";
    ProductBuild = "131205";
    ProductCode = "QHWBP";
    Application()->CreateForm(mainFrm);
    mainFrm->Show();
    CurrentOperator->LoadOperator("sa");
    CurrentCompany->LoadCompany();
    KeyValues->DataSet()->Close();
    FPreviousHook = SetShellOpenHook([this](const AnsiString& Target) {
      Opened.push_back(Target);
      return true;
    });
  }
  void TearDown() override
  {
    SetShellOpenHook(FPreviousHook);
    unsetenv("QHWBP_FEEDBACK_URL");
    KeyValues->DataSet()->Close();
    TAppWindowsTest::TearDown();
  }

  static bool StoredFlag(Integer Key)
  {
    TQuerySet q;
    if (q.Open(GbkToWide("select Vbool from keyvalue where KeyId=" + IntToStr(Key))) != 1)
      return false;
    return q.DataSet()->Fields()->Fields(0)->AsBoolean();
  }

  std::vector<AnsiString> Opened;

private:
  TShellOpenHook FPreviousHook;
};

// The body as the maker's endpoint receives it, for the company of the fixture and the
// note "你好": the form field Data holding the GBK bytes, URL-encoded.
const char* const ExpectedBody = "      Company: 测试公司\r\n"
                                 "      Address: 北京\r\n"
                                 "          Zip: 100000\r\n"
                                 "      Linkman: 张三\r\n"
                                 "      LinkTel: 010-1\r\n"
                                 "        Email: \r\n"
                                 "         Note: \r\n"
                                 "---------------------------------------------\r\n"
                                 "你好\r\n"
                                 "---------------------------------------------\r\n";

TEST_P(HelpWindows, TheFeedbackIsPostedAndEveryOutcomeIsTold)
{
  CurrentCompany->CompanyName = "测试公司";
  CurrentCompany->Address = "北京";
  CurrentCompany->Zip = "100000";
  CurrentCompany->Manager = "张三";
  CurrentCompany->Tel = "010-1";
  std::string refusedUrl;
  {
    TLoopbackServer gone(0, TLoopbackServer::Answer("ok"));
    refusedUrl = gone.Url("/back.asp");
  }
  const struct {
    const char* Name;
    const char* Reply; // nullptr: nobody listens
    AnsiString Message;
  } cases[] = {
      {"ok", "ok", ":) 反馈成功！谢谢您的支持！"},
      {"no", "no", "no"},
      {"refused", nullptr,
       AnsiString("对不起,发送失败,请检查网络后重试,如果仍不成功请与我们QQ联系") +
           MakerContactNumber + "."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TLoopbackServer> server;
    if (c.Reply) {
      server = std::make_unique<TLoopbackServer>(1, TLoopbackServer::Answer(c.Reply));
      setenv("QHWBP_FEEDBACK_URL", server->Url("/back.asp").c_str(), 1);
    } else {
      setenv("QHWBP_FEEDBACK_URL", refusedUrl.c_str(), 1);
    }
    TMessageBoxRecorder boxes;
    bool filled = false;
    Headless().QueueStep([&] {
      auto* f = ActiveWindow<TFeedbackFrm>();
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->Caption(), "用户反馈表");
      EXPECT_EQ(f->OkBtn1->Caption(), "提交(&S)");
      filled = f->edtCompany1->Text() == "测试公司" && f->edtLinkman1->Text() == "张三" &&
               f->edtEmail1->Text().empty();
      f->MmNote1->SetText("你好");
      ClickControl(f->OkBtn1);
    });
    mainFrm->N22->Click();
    EXPECT_TRUE(filled);
    EXPECT_EQ(ActiveWindow<TFeedbackFrm>(), nullptr); // closed in every case
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, c.Message);
    if (server) {
      ASSERT_EQ(server->Requests().size(), 1u);
      EXPECT_EQ(server->Requests()[0].Target, "/back.asp");
      EXPECT_EQ(server->Requests()[0].Body, "Data=" + UrlEncode(ExpectedBody));
    }
  }
}

// An empty company gives empty contact fields; unticking the prompt is stored at once.
TEST_P(HelpWindows, TheFeedbackPromptIsStoredWhenClicked)
{
  KeyValues->SetFeedbackPrompt(true);
  bool storedBeforeClosing = true;
  AnsiString body;
  Headless().QueueStep([&] {
    auto* f = ActiveWindow<TFeedbackFrm>();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->CheckBox1->Checked());
    EXPECT_EQ(f->edtCompany1->Text(), "");
    body = WideToGbk(f->Body());
    ClickControl(f->CheckBox1);
    Headless().QueueStep([&, f] {
      storedBeforeClosing = StoredFlag(0);
      EndModal(f, mrCancel);
    });
  });
  ShowFeedback();
  EXPECT_FALSE(storedBeforeClosing);
  EXPECT_EQ(body.substr(0, 30), "      Company: \r\n      Address");
}

TEST_P(HelpWindows, TheAboutBoxShowsTheProgramAndOpensItsLinks)
{
  CurrentCompany->CompanyName = "青禾测试公司";
  AnsiString database;
  bool companyReadOnly = false;
  Headless().QueueStep([&] {
    auto* a = ActiveWindow<TaboutFrm>();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Caption(), "关于...");
    EXPECT_EQ(a->LblProductName1->Caption(), "青禾快递单打印管理系统");
    EXPECT_EQ(a->LblVersion1->Caption(), "单机版 1.0.131205 131205");
    EXPECT_EQ(a->LblProductCode1->Caption(), "QHWBP");
    EXPECT_EQ(a->lblExePath1->Caption(), ProgramDir());
    database = a->lblDatabase1->Caption();
    for (TLabel* link : {a->Label7, a->Label10, a->Label12, a->lblExePath1}) {
      EXPECT_EQ(link->Cursor(), crHandPoint);
      link->OnClick(link);
    }
    Headless().QueueStep([&] {
      auto* company = ActiveWindow<TCompanyInfoFrm>();
      ASSERT_NE(company, nullptr);
      companyReadOnly = !company->OkBtn1->Enabled();
      EXPECT_EQ(company->EdtCompany1->Text(), "青禾测试公司");
      EndModal(company, mrCancel);
    });
    a->Button1->Click();
    EndModal(a, mrOk);
  });
  mainFrm->N26->Click();
  EXPECT_TRUE(companyReadOnly);
  // The Jet file for the embedded database, the server for the server database.
  EXPECT_EQ(database, ConnectionStringValue(ConnectionString, "Data Source"));
  const std::vector<AnsiString> expected{
      MakerWebAddress,
      AnsiString("mailto:") + MakerSupportMail + "?subject=" + UrlEncode(GbkToUtf8("关于技术问题")),
      AnsiString("mailto:") + MakerSalesMail + "?subject=" + UrlEncode(GbkToUtf8("关于销售")),
      ProgramDir()};
  EXPECT_EQ(Opened, expected);
}

// Without tips the buttons leave the text alone; with tips one is shown after two line
// breaks; the start-up setting is stored when clicked.
TEST_P(HelpWindows, TipsDoNothingWithoutTipsAndTheSettingIsStored)
{
  std::unique_ptr<TTipsFrm> tips(new TTipsFrm(Application()));
  tips->Show();
  EXPECT_EQ(tips->Caption(), "每日一贴");
  EXPECT_EQ(tips->Tips()->Count(), 0);
  tips->Memo1->SetText("原文");
  tips->Button1->Click();
  tips->Button2->Click();
  EXPECT_EQ(tips->Memo1->Text(), "原文");

  tips->Tips()->Add("甲");
  tips->Tips()->Add("乙");
  for (Integer i = 0; i < 10; ++i) {
    tips->Button2->Click();
    const AnsiString shown = tips->Memo1->Text();
    EXPECT_TRUE(shown == "\r\n\r\n甲" || shown == "\r\n\r\n乙") << shown;
  }
  EXPECT_FALSE(tips->CheckBox1->Checked());
  ClickControl(tips->CheckBox1);
  Headless().ProcessMessages();
  EXPECT_TRUE(StoredFlag(1));
}

INSTANTIATE_TEST_SUITE_P(Backends, HelpWindows,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
