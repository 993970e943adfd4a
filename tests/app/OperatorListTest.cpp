// The administrative dialogs over SQLite and PostgreSQL, driven from the main menu as a
// user drives them: operators added (a duplicate id refused with the values kept), their
// rights edited and in force at the next login, deleted; the password changed only with
// the current one; the company information edited and shown read-only; and every command
// of the main menu opening its window.
#include "app/OperatorList.h"

#include <gtest/gtest.h>

#include "app/CompanyInfo.h"
#include "app/Facade.h"
#include "app/OperatorEditor.h"
#include "app/PasswordChanger.h"
#include "app/main.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/CheckLst.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Menus.h"
#include "tests/app/AdminTestSupport.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::ActiveWindow;
using app_test::ClickControl;
using app_test::EndModal;

Integer RightIndex(TOperatorEditorFrm* Editor, Integer Code)
{
  TStrings* items = Editor->CheckListBox1->Items();
  for (Integer i = 0; i < items->Count(); ++i)
    if (reinterpret_cast<NativeInt>(items->Objects(i)) == Code)
      return i;
  return -1;
}

void Tick(TOperatorEditorFrm* Editor, Integer Code, bool Checked)
{
  const Integer index = RightIndex(Editor, Code);
  ASSERT_GE(index, 0) << Code;
  Editor->CheckListBox1->SetChecked(index, Checked);
}

class AdminDialogs : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    InstallProgramWindows();
    ProductTitle = "青禾快递单打印管理系统";
    Application()->CreateForm(mainFrm);
    mainFrm->Show();
    Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
                u"values('bob','b','Bob','','','')");
    CurrentOperator->LoadOperator("sa");
    CurrentCompany->LoadCompany();
  }

  AnsiString Stored(const char* Column, const char* LoginId)
  {
    TQuerySet q;
    if (q.Open(GbkToWide(AnsiString("select ") + Column + " from operator where LoginId='" +
                         LoginId + "'")) != 1)
      return "<none>";
    return q.DataSet()->Fields()->Fields(0)->AsString();
  }

  static std::vector<AnsiString> Listed(TOperatorsFrm* Form)
  {
    std::vector<AnsiString> ids;
    for (Integer i = 0; i < Form->ListView1->Items()->Count(); ++i)
      ids.push_back(Form->ListView1->Items()->Item(i)->Caption());
    return ids;
  }

  static void Select(TOperatorsFrm* Form, const AnsiString& Id)
  {
    for (Integer i = 0; i < Form->ListView1->Items()->Count(); ++i)
      if (Form->ListView1->Items()->Item(i)->Caption() == Id)
        Form->ListView1->SetSelected(Form->ListView1->Items()->Item(i));
  }
};

TEST_P(AdminDialogs, OperatorsAreAddedEditedAndDeletedAndTheRightsHoldAtTheNextLogin)
{
  TMessageBoxRecorder boxes;
  bool checked = false;
  Headless().QueueStep([&] {
    auto* form = ActiveWindow<TOperatorsFrm>();
    ASSERT_NE(form, nullptr);
    checked = true;
    EXPECT_EQ(form->Caption(), "操作员及权限");
    EXPECT_EQ(Listed(form), std::vector<AnsiString>{"bob"}); // never "sa"
    EXPECT_FALSE(form->btnProp1->Enabled());
    EXPECT_FALSE(form->btnDelete1->Enabled());
    TStrings* rights = form->EditorFrm()->CheckListBox1->Items();
    ASSERT_EQ(rights->Count(), 10);
    EXPECT_EQ(rights->Strings(0), "清除数据");
    EXPECT_EQ(rights->Strings(9), "工具菜单设置");

    // Add: the passwords must match; then the new id is listed.
    Headless().QueueStep([] {
      auto* e = ActiveWindow<TOperatorEditorFrm>();
      ASSERT_NE(e, nullptr);
      EXPECT_TRUE(e->edtUserId1->Enabled());
      e->edtUserId1->SetText("alice");
      e->edtName1->SetText("爱丽丝");
      e->edtPassword1->SetText("a1");
      e->edtPassword2->SetText("a2");
      Tick(e, RightPrint, true);
      Tick(e, RightPrintDesign, true);
      ClickControl(e->OkBtn1);
      Headless().QueueStep([e] {
        EXPECT_EQ(e->edtPassword1->Text(), ""); // refused, both emptied
        EXPECT_EQ(e->edtPassword2->Text(), "");
        e->edtPassword1->SetText("a1");
        e->edtPassword2->SetText("a1");
        ClickControl(e->OkBtn1);
      });
    });
    form->Button2->Click();
    EXPECT_EQ(Listed(form), (std::vector<AnsiString>{"bob", "alice"}));

    // A duplicate id fails in the database: shown, and the editor comes back as typed.
    Headless().QueueStep([] {
      auto* e = ActiveWindow<TOperatorEditorFrm>();
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->edtUserId1->Text(), ""); // cleared for a new operator
      e->edtUserId1->SetText("BOB");
      ClickControl(e->OkBtn1);
      Headless().QueueStep([e] {
        EXPECT_EQ(e->edtUserId1->Text(), "BOB");
        EndModal(e, mrCancel);
      });
    });
    form->Button2->Click();
    EXPECT_EQ(Listed(form).size(), 2u);

    // Properties: the id is fixed; the rights are changed.
    Select(form, "alice");
    EXPECT_TRUE(form->btnProp1->Enabled());
    Headless().QueueStep([] {
      auto* e = ActiveWindow<TOperatorEditorFrm>();
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->edtUserId1->Text(), "alice");
      EXPECT_FALSE(e->edtUserId1->Enabled());
      EXPECT_EQ(e->edtName1->Text(), "爱丽丝");
      EXPECT_EQ(e->Rights(), u",10002,,10003,");
      Tick(e, RightPrintDesign, false);
      Tick(e, RightCompanyInfo, true);
      ClickControl(e->OkBtn1);
    });
    form->btnProp1->Click();

    Select(form, "bob");
    form->btnDelete1->Click(); // the recorder answers OK
    EXPECT_EQ(Listed(form), std::vector<AnsiString>{"alice"});
    EndModal(form, mrCancel);
  });
  mainFrm->N2->Click();
  ASSERT_TRUE(checked);
  EXPECT_EQ(Stored("Rights", "alice"), ",10000,,10002,");
  EXPECT_EQ(Stored("Password", "alice"), "a1");
  EXPECT_EQ(Stored("Name", "alice"), "爱丽丝");
  EXPECT_EQ(Stored("LoginId", "bob"), "<none>");
  std::vector<AnsiString> texts;
  for (const auto& b : boxes.Boxes)
    texts.push_back(b.Text);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "\r\n两次输入的密码不一样,请重新输入.\t");
  EXPECT_NE(texts[1].find("insert into operator"), AnsiString::npos); // the database's error
  EXPECT_EQ(texts[2], "\r您确定要删除 bob 吗?\t\t");

  // The next login is alice's, with the rights as edited.
  app_test::SetArguments({"alice", "a1", "x"});
  ASSERT_TRUE(LoginFlow(true));
  EXPECT_EQ(CurrentOperator->LoginId, "alice");
  EXPECT_TRUE(CurrentOperator->HasRight(RightCompanyInfo));
  EXPECT_TRUE(CurrentOperator->HasRight(RightPrint));
  EXPECT_FALSE(CurrentOperator->HasRight(RightPrintDesign));
  boxes.Boxes.clear();
  EXPECT_THROW(Tmall::DoOperators(), EAbort);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("(100001)"), AnsiString::npos);
}

// An operator without rights is refused every guarded command.
TEST_P(AdminDialogs, AnOperatorWithoutRightsIsRefusedEveryGuardedCommand)
{
  CurrentOperator->LoadOperator("bob");
  TMessageBoxRecorder boxes;
  for (TMenuItem* item : {mainFrm->N1, mainFrm->N2, mainFrm->N6, mainFrm->N7})
    EXPECT_THROW(item->Click(), EAbort) << item->Name();
  ASSERT_EQ(boxes.Boxes.size(), 4u);
  const char* codes[] = {"(10000)", "(100001)", "(100)", "(10005)"};
  for (size_t i = 0; i < 4; ++i)
    EXPECT_NE(boxes.Boxes[i].Text.find(codes[i]), AnsiString::npos) << codes[i];
  EXPECT_EQ(Screen()->ActiveForm(), mainFrm);
}

// A wrong current password keeps the dialog; new passwords must match; then the new one
// is stored and in force.
TEST_P(AdminDialogs, ThePasswordChangesOnlyWithTheCurrentOne)
{
  CurrentOperator->LoadOperator("bob");
  TMessageBoxRecorder boxes;
  Headless().QueueStep([] {
    auto* d = ActiveWindow<TPasswordChangerFrm>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Caption(), "更改密码");
    EXPECT_EQ(d->edtUserId1->Text(), "bob");
    EXPECT_FALSE(d->edtUserId1->Enabled());
    d->edtPassword1->SetText("B"); // exact comparison: wrong
    d->edtNewPassword1->SetText("n1");
    d->edtNewPassword2->SetText("n1");
    ClickControl(d->OkBtn1);
    Headless().QueueStep([] {
      auto* d = ActiveWindow<TPasswordChangerFrm>();
      ASSERT_NE(d, nullptr);
      d->edtPassword1->SetText("b");
      d->edtNewPassword1->SetText("n1");
      d->edtNewPassword2->SetText("n2");
      ClickControl(d->OkBtn1);
      Headless().QueueStep([d] {
        EXPECT_EQ(d->edtNewPassword1->Text(), "");
        EXPECT_EQ(d->edtNewPassword2->Text(), "");
        d->edtNewPassword1->SetText("新密码");
        d->edtNewPassword2->SetText("新密码");
        ClickControl(d->OkBtn1);
      });
    });
  });
  mainFrm->N9->Click();
  ASSERT_EQ(boxes.Boxes.size(), 3u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n当前密码验证失败,请确认并重新输入.\t");
  EXPECT_EQ(boxes.Boxes[1].Text, "两次输入的新密码不一样,请确认并重新输入.");
  EXPECT_EQ(boxes.Boxes[2].Text, "\r\n密码更改成功! 下次登陆时请使用新密码.\t");
  EXPECT_EQ(CurrentOperator->Password, "新密码");
  EXPECT_EQ(Stored("Password", "bob"), "新密码");

  // Cancel changes nothing.
  Headless().QueueStep([] {
    auto* d = ActiveWindow<TPasswordChangerFrm>();
    ASSERT_NE(d, nullptr);
    d->edtPassword1->SetText("新密码");
    d->edtNewPassword1->SetText("x");
    d->edtNewPassword2->SetText("x");
    ClickControl(d->CancelBtn1);
  });
  ChangePassword();
  EXPECT_EQ(Stored("Password", "bob"), "新密码");
}

// The company dialog shows the record and stores what was typed; read-only, it cannot be
// confirmed.
TEST_P(AdminDialogs, TheCompanyIsEditedAndShownReadOnly)
{
  CurrentCompany->CompanyName = "旧名称";
  CurrentCompany->Profile = u"第一行\r\n第二行";
  CurrentCompany->SaveCompany();
  Headless().QueueStep([] {
    auto* d = ActiveWindow<TCompanyInfoFrm>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Caption(), "公司信息");
    EXPECT_EQ(d->ClientWidth(), 602);
    EXPECT_EQ(d->EdtCompany1->Text(), "旧名称");
    EXPECT_EQ(d->Profile(), u"第一行\r\n第二行");
    d->EdtCompany1->SetText("青禾测试公司");
    d->EdtLawMan1->SetText("张三");
    d->EdtTel1->SetText("010-1");
    d->edtZip1->SetText("100000");
    ClickControl(d->OkBtn1);
  });
  mainFrm->N1->Click();
  TCompany stored;
  stored.LoadCompany();
  EXPECT_EQ(stored.CompanyName, "青禾测试公司");
  EXPECT_EQ(stored.Manager, "张三");
  EXPECT_EQ(stored.Zip, "100000");
  EXPECT_EQ(stored.Profile, u"第一行\r\n第二行");

  bool okEnabled = true;
  Headless().QueueStep([&] {
    auto* d = ActiveWindow<TCompanyInfoFrm>();
    ASSERT_NE(d, nullptr);
    okEnabled = d->OkBtn1->Enabled();
    d->EdtCompany1->SetText("改不了");
    ClickControl(d->OkBtn1); // disabled: nothing happens
    EndModal(d, mrCancel);
  });
  EditCompany(true);
  EXPECT_FALSE(okEnabled);
  stored.LoadCompany();
  EXPECT_EQ(stored.CompanyName, "青禾测试公司");
}

// Every window command of the main menu opens its window (here as the superuser).
TEST_P(AdminDialogs, EveryMenuCommandOpensItsWindow)
{
  const struct {
    TMenuItem* Item;
    const char* Caption;
  } cases[] = {
      {mainFrm->N1, "公司信息"},       {mainFrm->N2, "操作员及权限"}, {mainFrm->N6, "数据清理"},
      {mainFrm->N7, "备份设置与恢复"}, {mainFrm->N9, "更改密码"},     {mainFrm->N15, "每日一贴"},
      {mainFrm->N22, "用户反馈表"},    {mainFrm->N26, "关于..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Caption);
    AnsiString shown;
    Headless().QueueStep([&shown] {
      TCustomForm* form = Screen()->ActiveForm();
      ASSERT_NE(form, nullptr);
      shown = form->Caption();
      EndModal(form, mrCancel);
    });
    c.Item->Click();
    EXPECT_EQ(shown, c.Caption);
    EXPECT_EQ(Screen()->ActiveForm(), mainFrm);
  }
}

// A store that fails is shown and the dialog comes back with what was typed; OK again
// stores it once the table is back.
TEST_P(AdminDialogs, AFailedCompanyStoreKeepsWhatWasTyped)
{
  TMessageBoxRecorder boxes;
  AnsiString kept;
  Headless().QueueStep([&] {
    auto* d = ActiveWindow<TCompanyInfoFrm>();
    ASSERT_NE(d, nullptr);
    d->EdtCompany1->SetText("新公司");
    Db->Connection()->Execute("alter table Company rename to Company_gone");
    ClickControl(d->OkBtn1);
    Headless().QueueStep([&, d] {
      kept = d->EdtCompany1->Text();
      Db->Connection()->Execute("alter table Company_gone rename to Company");
      ClickControl(d->OkBtn1);
    });
  });
  EditCompany(false);
  EXPECT_EQ(kept, "新公司");
  ASSERT_GE(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("Company"), AnsiString::npos);
  TCompany stored;
  stored.LoadCompany();
  EXPECT_EQ(stored.CompanyName, "新公司");
}

INSTANTIATE_TEST_SUITE_P(Backends, AdminDialogs,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
