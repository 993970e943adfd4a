// The splash window; see Splash.h.
#include "app/Splash.h"

#include "platform/rtl/FileUtils.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

TSplashFrm::TSplashFrm(TComponent* AOwner) : TForm(AOwner)
{
  BeginLoading();
  SetName("SplashFrm");
  SetBorderStyle(bsNone);
  SetBorderWidth(1);
  SetPosition(poScreenCenter);
  SetClientWidth(386);
  SetClientHeight(271);
  Font()->SetName("宋体");
  Font()->SetHeight(-13);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetAlign(alTop);
  Image1->SetAutoSize(true);
  Image1->SetParent(this);
  Label1 = new TLabel(this);
  Label1->SetName("Label1");
  Label1->SetBounds(5, 207, 376, 12);
  Label1->SetAutoSize(true);
  Label1->SetTransparent(true);
  Label1->Font()->SetName("宋体");
  Label1->Font()->SetHeight(-12);
  Label1->Font()->SetColor(clSilver);
  Label1->SetCaption("正在创建数据连接...");
  Label1->SetParent(this);
  EndLoading();

  const AnsiString picture = ProgramDir() + "splash.jpg";
  if (FileExists(picture))
    Image1->Picture()->LoadFromFile(picture);
}

namespace {

TSplashHintObserver& HintObserver()
{
  static TSplashHintObserver observer;
  return observer;
}

} // namespace

TSplashHintObserver SetSplashHintObserver(TSplashHintObserver Observer)
{
  TSplashHintObserver previous = std::move(HintObserver());
  HintObserver() = std::move(Observer);
  return previous;
}

void TSplashFrm::ShowHint(const AnsiString& Text)
{
  Label1->SetCaption(Text.empty() ? Label1->Caption() + "." : Text);
  Label1->Repaint();
  if (HintObserver())
    HintObserver()(Label1->Caption());
}
