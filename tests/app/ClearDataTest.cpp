// The data clearing window over SQLite and PostgreSQL: a range must be chosen and the
// deletion confirmed; a database without the personnel tables changes nothing and the
// program goes on; with every table present the chosen range is emptied, the main window
// closes and the program starts again.
#include "app/ClearData.h"

#include <gtest/gtest.h>

#include "app/Facade.h"
#include "app/main.h"
#include "app/qhProj.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/AdminTestSupport.h"
#include "tests/app/AppDbSupport.h"
#include "tests/app/ProgramTestSupport.h"

namespace {

using app_test::ActiveWindow;
using app_test::ClickControl;
using app_test::EndModal;

class ClearDataWindow : public app_test::TAppWindowsTest {
protected:
  void SetUp() override
  {
    TAppWindowsTest::SetUp();
    InstallProgramWindows();
    Application()->CreateForm(mainFrm);
    mainFrm->Show();
    CurrentOperator->LoadOperator("sa");
    CurrentCompany->LoadCompany();
    // Closing the main window runs the facade's exit hooks.
    FFacade = std::make_unique<TmallX>(nullptr);
    MallFacade = FFacade.get();
    FPrevious = SetRestartProgram([this] {
      ++Restarts;
      MainVisibleAtRestart = mainFrm && mainFrm->Visible();
    });
    DropTables();
  }
  void TearDown() override
  {
    if (!Db->Connected())
      Db->SetConnected(true);
    DropTables();
    SetRestartProgram(FPrevious);
    // The main window goes before the facade it calls on closing.
    app_test::ResetWindows();
    MallFacade = nullptr;
    FFacade.reset();
    TAppWindowsTest::TearDown();
  }

  static void DropTables()
  {
    for (const AnsiString& t : TClearDataFrm::ClearedTables(true))
      Db->Connection()->Execute("drop table if exists " + t);
  }
  static void CreateTables()
  {
    for (const AnsiString& t : TClearDataFrm::ClearedTables(true)) {
      Db->Connection()->Execute("create table " + t + " (id integer)");
      Db->Connection()->Execute("insert into " + t + " values (1)");
    }
  }
  static Integer Rows(const AnsiString& Table)
  {
    TQuerySet q;
    q.Open(GbkToWide("select count(*) from " + Table));
    return q.DataSet()->Fields()->Fields(0)->AsInteger();
  }

  Integer Restarts = 0;
  bool MainVisibleAtRestart = true;

private:
  std::unique_ptr<TmallX> FFacade;
  TRestartProgram FPrevious;
};

// OK without a range says so; a confirmation answered Cancel keeps the window; without
// the tables the clearing fails, changes nothing, is shown, and the program goes on.
TEST_P(ClearDataWindow, ARangeAndAConfirmationAreNeededAndAFailureChangesNothing)
{
  CreateTables();
  Db->Connection()->Execute("drop table " + TClearDataFrm::ClearedTables(false)[12]);
  TMessageBoxRecorder boxes;
  bool stillShown = false;
  Headless().QueueStep([&] {
    auto* w = ActiveWindow<TClearDataFrm>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Width(), 546);
    EXPECT_FALSE(w->RadioButton1->Checked());
    EXPECT_FALSE(w->RadioButton2->Checked());
    ClickControl(w->OkBtn1);
    Headless().QueueStep([&, w] {
      stillShown = ActiveWindow<TClearDataFrm>() == w;
      w->RadioButton1->SetChecked(true);
      boxes.Answer = IDCANCEL;
      ClickControl(w->OkBtn1);
      Headless().QueueStep([&, w] {
        EXPECT_EQ(ActiveWindow<TClearDataFrm>(), w);
        boxes.Answer = IDOK;
        ClickControl(w->OkBtn1);
      });
    });
  });
  mainFrm->N6->Click();
  EXPECT_TRUE(stillShown);
  ASSERT_EQ(boxes.Boxes.size(), 4u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n必须选择要清除的数据范围!\t");
  EXPECT_EQ(boxes.Boxes[1].Text, "\r您确定要删除 所选中的数据 吗?\t\t");
  EXPECT_EQ(boxes.Boxes[2].Text, boxes.Boxes[1].Text);
  EXPECT_NE(boxes.Boxes[3].Text.find("delete from emptrials"), AnsiString::npos);
  EXPECT_EQ(Rows("gz_accountemp"), 1); // rolled back
  EXPECT_EQ(Restarts, 0);
  EXPECT_TRUE(mainFrm->Visible());
  EXPECT_EQ(ActiveWindow<TClearDataFrm>(), nullptr);
}

// "所有数据" empties every table of the list and leaves the program's own tables; the main
// window closes before the program starts again.
TEST_P(ClearDataWindow, AllDataIsClearedAndTheProgramStartsAgain)
{
  CreateTables();
  TMessageBoxRecorder boxes;
  Headless().QueueStep([] {
    auto* w = ActiveWindow<TClearDataFrm>();
    ASSERT_NE(w, nullptr);
    w->RadioButton2->SetChecked(true);
    ClickControl(w->OkBtn1);
  });
  mainFrm->N6->Click();
  for (const AnsiString& t : TClearDataFrm::ClearedTables(true)) {
    if (!Db->Connected())
      Db->SetConnected(true);
    EXPECT_EQ(Rows(t), 0) << t;
  }
  EXPECT_EQ(Rows("operator"), 1);
  ASSERT_EQ(boxes.Boxes.size(), 2u);
  EXPECT_EQ(boxes.Boxes[1].Text, "\r\n操作已完成,软件将需要重新启动!\t");
  EXPECT_EQ(Restarts, 1);
  EXPECT_FALSE(MainVisibleAtRestart);
  EXPECT_FALSE(mainFrm->Visible());
}

INSTANTIATE_TEST_SUITE_P(Backends, ClearDataWindow,
                         testing::Values(app_test::beSQLite, app_test::bePostgreSQL),
                         app_test::BackendName);

} // namespace
