// The configuration dialog and the login dialog on the headless screen, driven as a user
// drives them: typed entries, OK and Cancel, and what ends up in cfg.ini and the current
// operator.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/DBConfig.h"
#include "app/Login.h"
#include "app/main.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::ResetWindows;

// Clicks a button with the mouse, as a user does.
void ClickButton(TWinControl* Button)
{
  Headless().Click(THeadlessBackend::ScreenPoint(Button->Handle(), TPoint(5, 5)));
}

class ConfigDialog : public TProgramDirTest {
protected:
  void SetUp() override
  {
    TProgramDirTest::SetUp();
    ResetWindows();
  }
  void TearDown() override
  {
    ResetWindows();
    TProgramDirTest::TearDown();
  }

  // Shows the dialog modally; Steps run one after another while it waits.
  TModalResult ShowDialog(std::vector<std::function<void(TDBConfigFrm*)>> Steps)
  {
    auto* dialog = new TDBConfigFrm(Application());
    for (auto& step : Steps)
      Headless().QueueStep([dialog, step] { step(dialog); });
    const TModalResult result = dialog->ShowModal();
    delete dialog;
    return result;
  }
};

TEST_F(ConfigDialog, ShowsTheStoredSettingsAndTheDefaultDatabaseDisablesTheFileFields)
{
  UseConfig("cfg-server.ini");
  auto* dialog = new TDBConfigFrm(Application());
  dialog->Show();
  EXPECT_EQ(dialog->ClientWidth(), 516);
  EXPECT_EQ(dialog->ClientHeight(), 368);
  EXPECT_EQ(dialog->ComboBox1->ItemIndex(), 0);
  EXPECT_EQ(dialog->Notebook1->PageIndex(), 0);
  EXPECT_EQ(dialog->mssqlServerEdit1->Text(), "db.example");
  EXPECT_EQ(dialog->mssqlPortEdit1->Text(), "1533");
  EXPECT_EQ(dialog->mssqlPwEdit1->Text(), "secret");
  EXPECT_EQ(dialog->mssqlPwEdit1->PasswordChar(), '*');
  EXPECT_FALSE(dialog->CheckBox1->Checked());
  EXPECT_FALSE(dialog->jetDefaultCheckBox1->Checked());
  EXPECT_TRUE(dialog->jetfileEdit1->Enabled());

  dialog->ComboBox1->SetItemIndex(1);
  dialog->ComboBox1->OnChange(dialog->ComboBox1);
  EXPECT_EQ(dialog->Notebook1->PageIndex(), 1);
  dialog->jetDefaultCheckBox1->SetChecked(true);
  for (TEdit* edit :
       {static_cast<TEdit*>(dialog->jetfileEdit1), static_cast<TEdit*>(dialog->jetUserEdit1),
        static_cast<TEdit*>(dialog->jetPwEdit1)}) {
    EXPECT_FALSE(edit->Enabled()) << edit->Name();
    EXPECT_EQ(edit->Color(), clBtnFace) << edit->Name();
  }
  EXPECT_FALSE(dialog->jetFileButton1->Enabled());
  dialog->jetDefaultCheckBox1->SetChecked(false);
  EXPECT_TRUE(dialog->jetPwEdit1->Enabled());
  EXPECT_EQ(dialog->jetPwEdit1->Color(), clWindow);
  delete dialog;
}

TEST_F(ConfigDialog, ANonNumericPortKeepsTheDialogOpenWithNothingWritten)
{
  UseConfig("cfg-server.ini");
  const std::string before = ConfigText();
  TMessageBoxRecorder boxes;
  bool stillOpen = false;
  const TModalResult result = ShowDialog({
      [](TDBConfigFrm* d) {
        d->mssqlServerEdit1->SetText("pg.example");
        d->mssqlPortEdit1->SetText("54x2");
        ClickButton(d->Button1);
      },
      [&](TDBConfigFrm* d) {
        stillOpen = d->Visible();
        EXPECT_EQ(d->mssqlServerEdit1->Text(), "pg.example"); // the entries are kept
        EXPECT_EQ(ConfigText(), before);
        d->mssqlPortEdit1->SetText("5432");
        ClickButton(d->Button1);
      },
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_NE(boxes.Boxes[0].Text.find("54x2"), AnsiString::npos);
  TConfiger saved;
  EXPECT_EQ(saved.MssqlServer, "pg.example");
  EXPECT_EQ(saved.MssqlPort, 5432);
}

TEST_F(ConfigDialog, TheBrowseButtonPutsTheChosenFileIntoTheField)
{
  WriteFile(Dir + "other.mdb", "x");
  HeadlessDialogs().Reset();
  HeadlessDialogs().Cancel("TOpenDialog");
  HeadlessDialogs().AcceptFile("TOpenDialog", AnsiString(Dir) + "other.mdb");
  auto* dialog = new TDBConfigFrm(Application());
  dialog->jetfileEdit1->SetText("kept.mdb");
  dialog->jetFileButton1->Click();
  EXPECT_EQ(dialog->jetfileEdit1->Text(), "kept.mdb");
  dialog->jetFileButton1->Click();
  EXPECT_EQ(dialog->jetfileEdit1->Text(), AnsiString(Dir) + "other.mdb");
  EXPECT_EQ(HeadlessDialogs().Pending(), 0);
  delete dialog;
}

TEST_F(ConfigDialog, EnterMovesToTheNextField)
{
  UseConfig("cfg-server.ini");
  auto* dialog = new TDBConfigFrm(Application());
  dialog->Show();
  dialog->mssqlServerEdit1->SetFocus();
  Headless().ProcessMessages();
  Headless().Key(VK_RETURN);
  Headless().ProcessMessages();
  EXPECT_TRUE(dialog->mssqlPortEdit1->Focused());
  EXPECT_EQ(dialog->mssqlServerEdit1->Text(), "db.example"); // the Enter is not typed
  Headless().Key(VK_RETURN, /*shift=*/true);
  Headless().ProcessMessages();
  EXPECT_TRUE(dialog->mssqlServerEdit1->Focused());
  delete dialog;
}

TEST_F(ConfigDialog, CancelWritesNothing)
{
  UseConfig("cfg-server.ini");
  const std::string before = ConfigText();
  EXPECT_EQ(ShowDialog({[](TDBConfigFrm* d) {
              d->mssqlServerEdit1->SetText("elsewhere");
              ClickButton(d->Button2);
            }}),
            mrCancel);
  EXPECT_EQ(ConfigText(), before);
}

TEST_F(ConfigDialog, ASettingsFileThatCannotBeWrittenIsReportedAndTheDialogStays)
{
  // cfg.ini is a folder: it reads as no settings and cannot be replaced.
  ASSERT_EQ(mkdir((Dir + "cfg.ini").c_str(), 0755), 0);
  TMessageBoxRecorder boxes;
  bool stillOpen = false;
  const TModalResult result = ShowDialog({
      [](TDBConfigFrm* d) {
        d->ComboBox1->SetItemIndex(1);
        ClickButton(d->Button1);
      },
      [&](TDBConfigFrm* d) {
        stillOpen = d->Visible();
        ClickButton(d->Button2);
      },
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(boxes.Boxes.size(), 1u);
  rmdir((Dir + "cfg.ini").c_str());
}

// ---- The login dialog ----

class LoginDialog : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    for (const char* row : {"('bob','b','','','','')", "('alice','a1','','','','')"})
      Db->Execute(GbkToWide(AnsiString("insert into operator(LoginId,[Password],Name,Contact,"
                                       "[Note],Rights) values") +
                            row));
    CurrentOperator->LoadOperator("");
  }

  // One attempt: Id and Password typed, then Enter in the password field.
  static std::function<void()> Attempt(const char* Id, const char* Password)
  {
    return [Id, Password] {
      auto* form = static_cast<TLoginFrm*>(Screen()->ActiveForm());
      ASSERT_NE(form, nullptr);
      form->edtLoginId1->SetText(Id);
      form->edtPassword1->SetFocus();
      form->edtPassword1->SetText(Password);
      Headless().Key(VK_RETURN);
    };
  }

  std::string ConfigText() const { return ReadFileBytes(FDir->Dir + "cfg.ini"); }
};

TEST_P(LoginDialog, ListsTheOperatorsButSaAndOffersSaTheFirstTime)
{
  Headless().QueueStep([] {
    auto* form = static_cast<TLoginFrm*>(Screen()->ActiveForm());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Caption(), "登陆");
    EXPECT_EQ(form->ClientWidth(), 351);
    EXPECT_EQ(form->ClientHeight(), 226);
    EXPECT_EQ(form->edtLoginId1->Text(), "sa");
    std::vector<AnsiString> ids;
    for (Integer i = 0; i < form->edtLoginId1->Items()->Count(); ++i)
      ids.push_back(form->edtLoginId1->Items()->Strings(i));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<AnsiString>{"alice", "bob"}));
    EXPECT_EQ(form->ActiveControl(), form->edtPassword1);
    ClickButton(form->CancelBtn1);
  });
  EXPECT_FALSE(ShowLoginDialog());
  EXPECT_EQ(ConfigText(), "");
}

TEST_P(LoginDialog, AnUnknownIdNeverLogsInAsTheOperatorTriedBefore)
{
  bool openAfterWrongPassword = false, openAfterUnknownId = false;
  Headless().QueueStep(Attempt("bob", "wrong"));
  Headless().QueueStep([&] {
    auto* form = static_cast<TLoginFrm*>(Screen()->ActiveForm());
    openAfterWrongPassword = form && form->Visible();
    EXPECT_EQ(form->ActiveControl(), form->edtPassword1);
    EXPECT_EQ(form->edtPassword1->SelLength(), 5); // the password is selected
  });
  Headless().QueueStep(Attempt("nobody", "b")); // bob's password with an id that does not exist
  Headless().QueueStep([&] {
    auto* form = static_cast<TLoginFrm*>(Screen()->ActiveForm());
    openAfterUnknownId = form && form->Visible();
  });
  Headless().QueueStep(Attempt("bob", "b"));
  EXPECT_TRUE(ShowLoginDialog());
  EXPECT_TRUE(openAfterWrongPassword);
  EXPECT_TRUE(openAfterUnknownId);
  EXPECT_EQ(CurrentOperator->LoginId, "bob");
  EXPECT_NE(ConfigText().find("LastLoginId=bob"), std::string::npos);

  // The next time the remembered id is offered.
  Headless().QueueStep([] {
    auto* form = static_cast<TLoginFrm*>(Screen()->ActiveForm());
    EXPECT_EQ(form->edtLoginId1->Text(), "bob");
    ClickButton(form->CancelBtn1);
  });
  EXPECT_FALSE(ShowLoginDialog());
}

INSTANTIATE_TEST_SUITE_P(Backends, LoginDialog,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
