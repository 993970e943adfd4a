// The program itself (build/app/qhwbp) started on a virtual X display the way a user starts
// it, over an embedded database in a program directory of its own: which top-level windows
// it shows, by their titles, what a click on the designer's "预览" opens, and pictures of
// the screen (app_run_designer.png, app_run_preview.png).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/Database.h"
#include "app/Objs.h"
#include "app/Uis.h"
#include "app/WaybillLayout.h"
#include "app/main.h"
#include "app/main1.h"
#include "app/qhProj.h"
#include "platform/data/Schema.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/app/ProgramTestSupport.h"
#include "tests/app_run/XScreen.h"

extern char** environ;

namespace {

double Seconds()
{
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

class ProgramRun : public testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(OpenXScreen()) << "no display (run under xvfb-run)";
    Home = std::filesystem::temp_directory_path() /
           ("qhwbp-run-" + std::to_string(getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Home);
    CreateDatabaseFile((Home / "qhwbp.mdb").string());
    std::ofstream(Home / "cfg.ini", std::ios::binary)
        << "[db]\r\nproviderIdx=1\r\ndefaultCon=1\r\n";
  }
  void TearDown() override
  {
    Stop();
    // The display stays open for the whole run: a virtual X server resets when its last
    // client leaves, and then refuses the next test's connection for a moment.
    std::filesystem::remove_all(Home);
  }

  void Start(std::vector<std::string> Args)
  {
    Args.insert(Args.begin(), QHWBP_EXE);
    std::vector<char*> argv;
    for (std::string& a : Args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    setenv("QHWBP_HOME", Home.c_str(), 1);
    ASSERT_EQ(posix_spawn(&Child, QHWBP_EXE, nullptr, nullptr, argv.data(), environ), 0);
    unsetenv("QHWBP_HOME");
  }

  void Stop()
  {
    if (Child > 0) {
      kill(Child, SIGTERM);
      int status = 0;
      waitpid(Child, &status, 0);
      Child = 0;
    }
  }

  // Waits until a window titled Title (GBK) shows; the seconds it took, or -1.
  double WaitForTitle(const AnsiString& TitleGbk, double Timeout = 20)
  {
    const std::string Title = GbkToUtf8(TitleGbk);
    const double start = Seconds();
    while (Seconds() - start < Timeout) {
      for (const std::string& t : XWindowTitles())
        if (t == Title)
          return Seconds() - start;
      usleep(20000);
    }
    return -1;
  }

  std::filesystem::path Home;
  pid_t Child = 0;
};

// Where the program's main window shows the designer's "预览" button, relative to the main
// window's top left corner: the same windows built over the same database on the headless
// screen of the display's size, where the program's own layout code places them.
bool PreviewButtonOffset(const std::filesystem::path& Database, TPoint& Offset)
{
  if (!Db->Connect(GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                             Utf8ToGbk(Database.string()))))
    return false;
  app_test::ResetWindows();
  int width = 0, height = 0;
  XScreenSize(width, height);
  Headless().SetScreenSize({width, height});
  CurrentOperator->LoadOperator("sa");
  Application()->CreateForm(mainFrm);
  mainFrm->Show();
  auto* designer = new Tmain1Frm(mainFrm);
  designer->Show();
  Headless().ProcessMessages();
  TToolButton* button = designer->ToolButton11;
  const TPoint centre = button->ClientToScreen({button->Width() / 2, button->Height() / 2});
  Offset = TPoint(centre.X - mainFrm->Left(), centre.Y - mainFrm->Top());
  const bool shown = button->Caption() == "预览" && designer->Templates().Selected() == 0;
  app_test::ResetWindows();
  Db->SetConnected(false);
  return shown;
}

TEST_F(ProgramRun, AFreshStartShowsTheLoginDialog)
{
  const double begun = Seconds();
  Start({});
  const double after = WaitForTitle("登陆");
  ASSERT_GE(after, 0) << "no window titled 登陆";
  RecordProperty("seconds_to_login_dialog", std::to_string(Seconds() - begun));
  std::printf("start to the login dialog on the display: %.0f ms\n", (Seconds() - begun) * 1000);
}

TEST_F(ProgramRun, ACommandLineLoginShowsTheMainWindowWithTheDesigner)
{
  ASSERT_TRUE(Db->Connect(GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" +
                                    Utf8ToGbk((Home / "qhwbp.mdb").string()))));
  // One template: a scanned waybill with a few labels filled in, on a paper of 230 x 127 mm.
  const AnsiString picture = Utf8ToGbk((Home / "waybill.jpg").string());
  app_test::WriteSampleWaybillJpeg(picture, 1000, 600);
  TWaybillLayout layout = TWaybillLayout::Default();
  layout.FindLabel("l13")->Text = "张三";
  layout.FindLabel("l14")->Text = "北京市海淀区青禾路 8 号";
  layout.PaperWidth = 230;
  layout.PaperHeight = 127;
  RTemplate t;
  t.BillName = GbkToWide("申通快递");
  t.ImgName = picture;
  t.AddTime = Now();
  t.Billman = "sa";
  t.Temdata = layout.BuildLayoutText();
  ASSERT_TRUE(TTemplateList::AddTemplate(t));
  Db->SetConnected(false);
  Start({"sa", "", "x"});
  ASSERT_GE(WaitForTitle("青禾快递单打印管理系统 - 单机版 1.0.131205"), 0);
  for (const std::string& t : XWindowTitles())
    EXPECT_NE(t, GbkToUtf8("登陆"));
  // A moment for the designer to paint, then a picture of the screen.
  usleep(800000);
  EXPECT_TRUE(SaveXScreen(
      (std::filesystem::path(ParamStr(0)).parent_path() / "app_run_designer.png").string()));
}

// Logged in from the command line, the program opens the designer on the sample template
// that set-up adds; a click on "预览" opens the preview window with the waybill built from
// the template's labels (app_run_preview.png: the texts on white paper, no picture).
TEST_F(ProgramRun, TheDesignersPreviewOpensThePreviewWindow)
{
  const std::string db = (Home / "qhwbp.mdb").string();
  ASSERT_EQ(std::system((std::string(QHWBP_ARTWORK) + " sample " + db).c_str()), 0);
  TPoint offset;
  ASSERT_TRUE(PreviewButtonOffset(db, offset));
  const AnsiString mainTitle = "青禾快递单打印管理系统 - 单机版 1.0.131205";
  Start({"sa", "", "x"});
  ASSERT_GE(WaitForTitle(mainTitle), 0);
  int left = 0, top = 0;
  ASSERT_TRUE(XWindowOrigin(GbkToUtf8(mainTitle), left, top));
  // The designer opens after the main window shows: a click that comes before it is
  // lost, and is made again.
  double opened = -1;
  for (int attempt = 0; attempt < 4 && opened < 0; ++attempt) {
    usleep(800000);
    ASSERT_TRUE(XClick(left + offset.X, top + offset.Y)) << "no XTEST extension";
    opened = WaitForTitle("预览", 5);
  }
  ASSERT_GE(opened, 0) << "no preview window after clicking 预览";
  // The report builds on a timer, then the page paints: white paper in the middle of the
  // page (centred at the top of the maximized window, 230 x 127 mm at 100%), right of the
  // labels.
  int width = 0, height = 0;
  XScreenSize(width, height);
  const double begun = Seconds();
  while (XScreenPixel(width / 2, 300) != 0xFFFFFF && Seconds() - begun < 10)
    usleep(50000);
  EXPECT_EQ(XScreenPixel(width / 2, 300), 0xFFFFFF) << "the preview's page did not paint";
  usleep(300000);
  EXPECT_TRUE(SaveXScreen(
      (std::filesystem::path(ParamStr(0)).parent_path() / "app_run_preview.png").string()));
}

TEST_F(ProgramRun, SetUpDrawsTheSplashPictureAndOneSampleTemplate)
{
  const std::string splash = (Home / "splash.jpg").string();
  const std::string db = (Home / "qhwbp.mdb").string();
  const std::string artwork = QHWBP_ARTWORK;
  ASSERT_EQ(std::system((artwork + " splash " + splash).c_str()), 0);
  std::ifstream in(splash, std::ios::binary);
  char head[3] = {};
  in.read(head, 3);
  EXPECT_EQ(std::string(head, 3), "\xFF\xD8\xFF"); // a JPEG file
  for (int i = 0; i < 2; ++i) // the second run finds the template and adds none
    ASSERT_EQ(std::system((artwork + " sample " + db).c_str()), 0);
  ASSERT_TRUE(
      Db->Connect(GbkToWide("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Utf8ToGbk(db))));
  RTemplates all;
  TTemplateList::ListTemplates(all);
  Db->SetConnected(false);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].BillName, GbkToWide("样例快递单"));
  TWaybillLayout layout = TWaybillLayout::Default();
  layout.LoadLayoutText(all[0].Temdata);
  EXPECT_EQ(layout.PaperWidth, 230);
  EXPECT_EQ(layout.PaperHeight, 127);
}

} // namespace
