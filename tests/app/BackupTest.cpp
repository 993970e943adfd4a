#include <gtest/gtest.h>

#include "app/BackupFrm.h"
#include "app/ClearData.h"
#include "app/Database.h"
#include "app/qhLib.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/FileCtrl.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/HeadlessDialogs.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::TAppDatabaseTest;

TEST(BackupPlan, WhichDaysEachPlanBacksUp)
{
  const TDateTime sunday1st = EncodeDate(2013, 12, 1);
  const TDateTime monday = EncodeDate(2013, 12, 2);
  const TDateTime tuesday = EncodeDate(2013, 12, 3);
  const TDateTime mondayFirst = EncodeDate(2014, 12, 1) + 0.75; // late on a Monday the 1st
  struct Case {
    Integer Plan;
    bool Sunday1st, Monday, Tuesday, MondayFirst;
  } cases[] = {
      {bpNever, false, false, false, false},     {bpEveryExit, true, true, true, true},
      {bpEveryMonday, false, true, false, true}, {bpFirstOfMonth, true, false, false, true},
      {7, false, false, false, false},           {-1, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Plan);
    EXPECT_EQ(TFrmBackup::AutoBackupDue(c.Plan, sunday1st), c.Sunday1st);
    EXPECT_EQ(TFrmBackup::AutoBackupDue(c.Plan, monday), c.Monday);
    EXPECT_EQ(TFrmBackup::AutoBackupDue(c.Plan, tuesday), c.Tuesday);
    EXPECT_EQ(TFrmBackup::AutoBackupDue(c.Plan, mondayFirst), c.MondayFirst);
  }
}

TEST(BackupPlan, FileNameAndStoredDirectory)
{
  EXPECT_EQ(TFrmBackup::AutoBackupFileName("/srv/bak/", EncodeDate(2013, 12, 5) + 0.99),
            "/srv/bak/bak20131205.bak");
  const std::pair<AnsiString, AnsiString> dirs[] = {{"/srv/bak", "/srv/bak/"},
                                                    {"/srv/bak/", "/srv/bak/"},
                                                    {"d:\\bak\\", "d:\\bak\\"},
                                                    {"", "/"},
                                                    {"/数据 备份", "/数据 备份/"}};
  for (const auto& [typed, stored] : dirs)
    EXPECT_EQ(TFrmBackup::StoredBackDir(typed), stored) << typed;
}

class Backup : public TAppDatabaseTest {
protected:
  void SetUp() override
  {
    TAppDatabaseTest::SetUp();
    char pattern[] = "/tmp/qhbak-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    Dir = AnsiString(pattern) + "/";
  }

  void TearDown() override
  {
    SetClock({});
    for (const AnsiString& f : Made)
      DeleteFile(f);
    TAppDatabaseTest::TearDown();
    RemoveDir(Dir);
  }

  AnsiString File(const AnsiString& Name)
  {
    Made.push_back(Dir + Name);
    return Dir + Name;
  }

  void AddOperator(const AnsiString& Id)
  {
    Db->Execute(u"insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)"
                u"values(:LoginId,'','','','','')",
                {MakeParam("LoginId", Id)});
  }

  Integer Count(const AnsiString& Sql)
  {
    TQuerySet q;
    q.Open(GbkToWide(Sql));
    return q.DataSet()->Fields()->Fields(0)->AsInteger();
  }

  AnsiString Operators()
  {
    TQuerySet q;
    q.Open(u"select LoginId from operator order by LoginId");
    AnsiString ids;
    for (q.DataSet()->First(); !q.DataSet()->Eof(); q.DataSet()->Next())
      ids += q.DataSet()->Fields()->Fields(0)->AsString() + ";";
    return ids;
  }

  AnsiString Dir;
  std::vector<AnsiString> Made;
};

TEST_P(Backup, SettingsAreStoredWithATrailingSeparatorAndInsertedWhenTheRowIsMissing)
{
  TFrmBackup::StoreSettings(bpEveryMonday, "/srv/bak");
  TBackupSettings read = TFrmBackup::LoadSettings();
  EXPECT_EQ(read.TypeId, bpEveryMonday);
  EXPECT_EQ(read.BackDir, "/srv/bak/");

  Db->Execute(u"delete from [backup]");
  EXPECT_EQ(TFrmBackup::LoadSettings().TypeId, bpNever);
  TFrmBackup::StoreSettings(bpFirstOfMonth, "/数据/");
  TFrmBackup::StoreSettings(bpEveryExit, "/数据/备份");
  read = TFrmBackup::LoadSettings();
  EXPECT_EQ(read.TypeId, bpEveryExit);
  EXPECT_EQ(read.BackDir, "/数据/备份/");
  EXPECT_EQ(Count("select count(*) from [backup]"), 1);
}

TEST_P(Backup, TheAutomaticBackupFollowsThePlanAndTheClock)
{
  TFrmBackup::StoreSettings(bpEveryMonday, Dir);
  const AnsiString monday = File("bak20131202.bak"), tuesday = File("bak20131203.bak");
  TMessageBoxRecorder boxes;
  SetClock([] { return EncodeDate(2013, 12, 3) + 0.5; });
  TFrmBackup::AutoBackup();
  EXPECT_FALSE(FileExists(tuesday));
  SetClock([] { return EncodeDate(2013, 12, 2) + 0.9; });
  TFrmBackup::AutoBackup();
  EXPECT_TRUE(FileExists(monday));
  EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes[0].Text;

  // The backup it wrote restores.
  AddOperator("after");
  TFrmBackup::RestoreDatabase(monday);
  EXPECT_EQ(Operators(), "sa;");
}

TEST_P(Backup, AnAutomaticBackupThatFailsIsShownAndNothingEscapes)
{
  TFrmBackup::StoreSettings(bpEveryExit, Dir + "missing/folder/");
  TMessageBoxRecorder boxes;
  EXPECT_NO_THROW(TFrmBackup::AutoBackup());
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  if (GetParam() == app_test::beSQLite) {
    EXPECT_NE(
        boxes.Boxes[0].Text.find("备份时,复制文件失败,请检查备份路径是否正确,或者目标文件已存在."),
        AnsiString::npos)
        << boxes.Boxes[0].Text;
  }
  EXPECT_TRUE(Db->Connected());
}

TEST_P(Backup, ARoundTripKeepsEveryRowAndDropsLaterOnes)
{
  AddOperator("alice");
  AddOperator("张三");
  Db->Execute(u"insert into report(Id,GrpId,Title) values(1,1001,'甲报表')");
  const AnsiString bak = File("round 'trip\".bak");
  TFrmBackup::BackupDatabase(bak);
  AddOperator("bob");
  Db->Execute(u"delete from report");
  TFrmBackup::RestoreDatabase(bak);
  EXPECT_TRUE(Db->Connected());
  EXPECT_EQ(Operators(), "alice;sa;张三;");
  EXPECT_EQ(Count("select count(*) from report where Title='甲报表'"), 1);
  // The program's own record sets work on the restored database.
  EXPECT_EQ(TFrmBackup::LoadSettings().TypeId, bpNever);
}

TEST_P(Backup, AFileThatIsNoBackupOfThisProgramLeavesTheDatabaseAsItWas)
{
  AddOperator("alice");
  const AnsiString good = File("good.bak");
  TFrmBackup::BackupDatabase(good);
  AddOperator("keepme");
  const AnsiString before = Operators();

  const AnsiString text = File("text.bak");
  WriteFileBytes(text, std::string(4096, 'x'));
  const AnsiString truncated = File("truncated.bak");
  const std::string bytes = ReadFileBytes(good);
  WriteFileBytes(truncated, bytes.substr(0, bytes.size() / 2));
  const AnsiString empty = File("empty.bak");
  WriteFileBytes(empty, "");
  // A database of some other program: valid SQLite, none of our tables.
  const AnsiString foreign = File("foreign.bak");
  {
    TADOConnection other;
    other.SetConnectionString(AnsiString("Provider=") + JetProvider + ";Data Source=" + foreign);
    WriteFileBytes(foreign, "");
    other.Open();
    other.Execute("create table customers (id integer)");
    other.Close();
  }
  for (const AnsiString& file : {text, truncated, empty, foreign, Dir + "nothing-here.bak"}) {
    SCOPED_TRACE(file);
    try {
      TFrmBackup::RestoreDatabase(file);
      ADD_FAILURE() << "restored from a bad file";
    } catch (const Exception& E) {
      EXPECT_FALSE(E.Message().empty());
    }
    EXPECT_TRUE(Db->Connected());
    EXPECT_EQ(Operators(), before);
  }
}

TEST_P(Backup, ClearingRollsBackWhenATableIsMissing)
{
  const std::vector<AnsiString> all = TClearDataFrm::ClearedTables(true);
  ASSERT_EQ(all.size(), 20u);
  ASSERT_EQ(TClearDataFrm::ClearedTables(false).size(), 13u);
  auto drop = [&] {
    for (const AnsiString& t : all)
      Db->Connection()->Execute("drop table if exists " + t);
  };
  drop();
  // Only the first five exist, each with a row: the sixth delete fails.
  for (size_t i = 0; i < 5; ++i) {
    Db->Connection()->Execute("create table " + all[i] + " (id integer)");
    Db->Connection()->Execute("insert into " + all[i] + " values (1)");
  }
  EXPECT_THROW(TClearDataFrm::ClearTables(false), Exception);
  for (size_t i = 0; i < 5; ++i)
    EXPECT_EQ(Count("select count(*) from " + all[i]), 1) << all[i];

  // With every table present: detail clearing keeps staff and departments, full clearing
  // empties all of them.
  for (size_t i = 5; i < all.size(); ++i) {
    Db->Connection()->Execute("create table " + all[i] + " (id integer)");
    Db->Connection()->Execute("insert into " + all[i] + " values (1)");
  }
  TClearDataFrm::ClearTables(false);
  for (size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(Count("select count(*) from " + all[i]), i < 13 ? 0 : 1) << all[i];
  TClearDataFrm::ClearTables(true);
  for (const AnsiString& t : all)
    EXPECT_EQ(Count("select count(*) from " + t), 0) << t;
  EXPECT_EQ(Operators(), "sa;");
  drop();
}

// ---- The settings dialog ----

class BackupDialog : public Backup {
protected:
  void SetUp() override
  {
    Backup::SetUp();
    app_test::ResetWindows();
    HeadlessDialogs().Reset();
  }
  void TearDown() override
  {
    app_test::ResetWindows();
    Backup::TearDown();
  }

  template <class F> static F* Active() { return dynamic_cast<F*>(Screen()->ActiveForm()); }
};

TEST_P(BackupDialog, OkStoresThePlanAndDirectoryEvenWithoutARow)
{
  Db->Execute(u"delete from [backup]");
  bool shown = false;
  Headless().QueueStep([&] {
    auto* form = Active<TFrmBackup>();
    ASSERT_NE(form, nullptr);
    shown = true;
    EXPECT_EQ(form->Caption(), "备份设置与恢复");
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), bpNever);
    EXPECT_EQ(form->RadioGroup1->Items()->Count(), 4);
    form->RadioGroup1->SetItemIndex(bpFirstOfMonth);
    form->edtBackDir1->SetText("/srv/备份");
    form->OkBtn1->Click();
  });
  TFrmBackup::EditBackupSettings();
  EXPECT_TRUE(shown);
  TBackupSettings read = TFrmBackup::LoadSettings();
  EXPECT_EQ(read.TypeId, bpFirstOfMonth);
  EXPECT_EQ(read.BackDir, "/srv/备份/");

  // Shown again with what is stored; Cancel stores nothing.
  Headless().QueueStep([&] {
    auto* form = Active<TFrmBackup>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), bpFirstOfMonth);
    EXPECT_EQ(form->edtBackDir1->Text(), "/srv/备份/");
    form->RadioGroup1->SetItemIndex(bpEveryExit);
    form->CancelBtn1->Click();
  });
  TFrmBackup::EditBackupSettings();
  EXPECT_EQ(TFrmBackup::LoadSettings().TypeId, bpFirstOfMonth);
}

// The picker is driven as a user would: a click on "...", then the answer in the picker's
// own loop; Cancel comes as a modal result set from the step itself.
TEST_P(BackupDialog, TheDirectoryPickerFillsTheFieldOnOkAndKeepsItOnCancel)
{
  const AnsiString sub = Dir + "月备份";
  ASSERT_TRUE(CreateDir(sub));
  const AnsiString stored = Dir.substr(0, Dir.size() - 1);
  TFrmBackup::StoreSettings(bpEveryExit, stored);
  AnsiString afterOk, afterCancel;
  Integer picked = 0;
  // Opens the picker, answers it, then goes on with Then in the settings dialog.
  std::function<void(bool, std::function<void(TFrmBackup*)>)> pick =
      [&](bool Ok, std::function<void(TFrmBackup*)> Then) {
        auto* form = Active<TFrmBackup>();
        ASSERT_NE(form, nullptr);
        Headless().QueueStep([&, Ok, Then] {
          auto* picker = Active<TDirPickerFrm>();
          ASSERT_NE(picker, nullptr);
          ++picked;
          EXPECT_EQ(picker->Label2->Caption(), stored) << "it starts at the field's directory";
          picker->DirectoryListBox1->SetDirectory(sub);
          if (Ok)
            picker->OkBtn1->Click();
          else
            picker->SetModalResult(mrCancel);
          Headless().QueueStep([&, Then] { Then(Active<TFrmBackup>()); });
        });
        Headless().Click(THeadlessBackend::ScreenPoint(form->Button2->Handle(), {5, 5}));
      };
  Headless().QueueStep([&] {
    pick(true, [&](TFrmBackup* form) {
      ASSERT_NE(form, nullptr);
      afterOk = form->edtBackDir1->Text();
      form->edtBackDir1->SetText(stored);
      pick(false, [&](TFrmBackup* form) {
        ASSERT_NE(form, nullptr);
        afterCancel = form->edtBackDir1->Text();
        form->CancelBtn1->Click();
      });
    });
  });
  TFrmBackup::EditBackupSettings();
  EXPECT_EQ(picked, 2);
  EXPECT_EQ(afterOk, sub);
  EXPECT_EQ(afterCancel, stored);
  RemoveDir(sub);
}

TEST_P(BackupDialog, BackupAndRestoreButtons)
{
  const AnsiString bak = File("manual.bak"), junk = File("junk.bak");
  WriteFileBytes(junk, "junk");
  TMessageBoxRecorder boxes;
  std::unique_ptr<TFrmBackup> form(new TFrmBackup(Application()));
  form->edtBackDir1->SetText(Dir);

  HeadlessDialogs().AcceptFile("TSaveDialog", bak);
  form->Button3->Click();
  EXPECT_TRUE(FileExists(bak));
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n备份操作执行成功!\t");
  AddOperator("later");

  // A file that is no backup: asked, refused with the reason, nothing changed.
  HeadlessDialogs().AcceptFile("TOpenDialog", junk);
  form->Button1->Click();
  ASSERT_EQ(boxes.Boxes.size(), 3u);
  EXPECT_EQ(boxes.Boxes[1].Text, "\r\n您确定要进行数据恢复操作吗?\t");
  EXPECT_EQ(Operators(), "later;sa;");

  // Cancel in the question restores nothing.
  boxes.Answer = 2; // IDCANCEL
  HeadlessDialogs().AcceptFile("TOpenDialog", bak);
  form->Button1->Click();
  EXPECT_EQ(boxes.Boxes.size(), 4u);
  EXPECT_EQ(Operators(), "later;sa;");

  boxes.Answer = 1; // IDOK
  HeadlessDialogs().AcceptFile("TOpenDialog", bak);
  form->Button1->Click();
  ASSERT_EQ(boxes.Boxes.size(), 6u);
  EXPECT_EQ(boxes.Boxes[5].Text, "\r\n恢复操作执行成功!\t");
  EXPECT_EQ(Operators(), "sa;");
  EXPECT_EQ(HeadlessDialogs().Pending(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BackupDialog,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

INSTANTIATE_TEST_SUITE_P(Backends, Backup,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
