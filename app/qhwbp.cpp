// The program's entry; see qhwbp.h.
#include "app/qhwbp.h"

#include "app/DBConfig.h"
#include "app/Facade.h"
#include "app/Pub.h"
#include "app/Splash.h"
#include "app/main.h"
#include "app/qhProj.h"
#include "platform/rtl/ScopeGuard.h"

bool ConnectDatabase()
{
  auto* dialog = new TDBConfigFrm(Application());
  TScopeExit release([dialog] { delete dialog; });
  while (!Db->Connect(dialog->Configer()->GetConnectionString())) {
    if (dialog->ShowModal() != mrOk)
      break;
    Application()->ProcessMessages();
  }
  return Db->Connected();
}

namespace {

// The steps up to the message loop. False when the program ends before it: the
// connection or the login was refused.
bool StartProgram()
{
  auto* splash = new TSplashFrm(Application());
  TScopeExit releaseSplash([&splash] {
    if (splash)
      splash->Release();
  });
  splash->Show();
  splash->ShowHint("正在连接数据库,请稍候...");
  if (!ConnectDatabase())
    return false;
  splash->ShowHint("正在创建公共对象,请稍候...");
  CurrentCompany->LoadCompany();
  splash->ShowHint("");
  splash->ShowHint("正在创建主程序,请稍候...");
  Application()->CreateForm(PubFrm);
  Application()->CreateForm(mainFrm);
  splash->Release();
  splash = nullptr;
  CurrentCompany->SetUseCount(0);
  if (!LoginFlow(true)) {
    mainFrm->Close();
    return false;
  }
  mainFrm->Show();
  MallFacade->StartupHook();
  return true;
}

// The end of the process for what the program made: its forms, data module and facade.
void EndProgram()
{
  Application()->ProcessMessages();
  delete mainFrm;
  mainFrm = nullptr;
  delete PubFrm;
  PubFrm = nullptr;
  delete MallFacade;
  MallFacade = nullptr;
}

} // namespace

int ProgramEntry()
{
  TApplication* application = Application();
  application->Initialize();
  application->SetTitle(ProductTitle = "青禾快递单打印管理系统");
  application->SetHelpFile("qhwbp.chm");
  application->ProcessMessages();
  ProductVersion = "单机版 1.0.131205";
  ProductCode = "QHWBP100";
  ProductBuild = "Build131205";
  ProductShortName = "qhwbp";
  MallFacade = new TmallX(application);
  TScopeExit end([] { EndProgram(); });
  try {
    if (StartProgram())
      application->Run();
  } catch (...) {
    application->HandleException(application);
    return 1;
  }
  return 0;
}
