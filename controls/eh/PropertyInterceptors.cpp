// Read-property interceptors and their registry (see PropertyInterceptors.h).
#include "controls/eh/PropertyInterceptors.h"

#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"

namespace {

// The registry: two parallel lists, made on the first registration.
struct TInterceptorRegistry {
  std::vector<TClass> Targets;
  std::vector<TStoragePropertyInterceptorClass> Interceptors;
};
std::unique_ptr<TInterceptorRegistry> Registry;

void RegisterClasses()
{
  TClassRegistration<TStoragePropertyInterceptor, TPersistent>("TStoragePropertyInterceptor")
      .Abstract();
  using F = TFormStoragePropertyInterceptor;
  TClassRegistration<F, TStoragePropertyInterceptor>("TFormStoragePropertyInterceptor")
      .Abstract()
      .Property("ActiveControl", &F::ActiveControl, &F::SetActiveControl)
      .Property("Height", &F::Height, &F::SetHeight)
      .Property("Left", &F::Left, &F::SetLeft)
      .Property("PixelsPerInch", &F::PixelsPerInch, &F::SetPixelsPerInch)
      .Property("Top", &F::Top, &F::SetTop)
      .Property("Width", &F::Width, &F::SetWidth)
      .Property("WindowState", &F::WindowState, &F::SetWindowState);
}

} // namespace

void AddReadInterceptor(TClass TargetClass, const TStoragePropertyInterceptorClass& Interceptor)
{
  if (!Registry)
    Registry = std::make_unique<TInterceptorRegistry>();
  for (size_t i = Registry->Targets.size(); i-- > 0;)
    if (Registry->Targets[i] == TargetClass) {
      Registry->Targets.erase(Registry->Targets.begin() + i);
      Registry->Interceptors.erase(Registry->Interceptors.begin() + i);
    }
  Registry->Targets.push_back(TargetClass);
  Registry->Interceptors.push_back(Interceptor);
}

void RemoveReadInterceptor(TClass TargetClass, const TStoragePropertyInterceptorClass& Interceptor)
{
  if (!Registry)
    return;
  for (size_t i = Registry->Targets.size(); i-- > 0;)
    if (Registry->Targets[i] == TargetClass && Registry->Interceptors[i] == Interceptor) {
      Registry->Targets.erase(Registry->Targets.begin() + i);
      Registry->Interceptors.erase(Registry->Interceptors.begin() + i);
    }
}

TStoragePropertyInterceptorClass FindReadInterceptor(TClass TargetClass)
{
  if (Registry)
    for (size_t i = 0; i < Registry->Targets.size(); ++i)
      if (Registry->Targets[i] == TargetClass)
        return Registry->Interceptors[i];
  return {};
}

TRect FormRestoredBounds(TCustomForm* Form)
{
  if (Form->WindowState() != wsNormal && Form->HandleAllocated()) {
    WINDOWPLACEMENT placement;
    if (GetWindowPlacement(Form->Handle(), placement))
      return placement.rcNormalPosition;
  }
  return Bounds(Form->Left(), Form->Top(), Form->Width(), Form->Height());
}

// ---- TFormStoragePropertyInterceptor ----

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TPersistent* Target)
    : TStoragePropertyInterceptor(Target)
{
  TCustomForm* form = Form();
  if (!form)
    return;
  TRect r = FormRestoredBounds(form);
  FLeft = r.Left;
  FTop = r.Top;
  FWidth = r.Width();
  FHeight = r.Height();
  FPixelsPerInch = form->PixelsPerInch();
  FWindowState = form->WindowState();
  FActiveControl = form->ActiveControl();
}

TCustomForm* TFormStoragePropertyInterceptor::Form() const
{
  return dynamic_cast<TCustomForm*>(Target());
}

Integer TFormStoragePropertyInterceptor::Left() const
{
  TCustomForm* form = Form();
  return form ? FormRestoredBounds(form).Left : 0;
}

Integer TFormStoragePropertyInterceptor::Top() const
{
  TCustomForm* form = Form();
  return form ? FormRestoredBounds(form).Top : 0;
}

Integer TFormStoragePropertyInterceptor::Width() const
{
  TCustomForm* form = Form();
  return form ? FormRestoredBounds(form).Width() : 0;
}

Integer TFormStoragePropertyInterceptor::Height() const
{
  TCustomForm* form = Form();
  return form ? FormRestoredBounds(form).Height() : 0;
}

void TFormStoragePropertyInterceptor::SetLeft(Integer Value)
{
  FLeft = Value;
  FPosPresent = true;
}

void TFormStoragePropertyInterceptor::SetTop(Integer Value)
{
  FTop = Value;
  FPosPresent = true;
}

void TFormStoragePropertyInterceptor::AfterRead()
{
  // A layout stored without its resolution is taken as made at the screen's.
  Integer screenPpi = Screen()->PixelsPerInch();
  if (FPixelsPerInch > 0 && FPixelsPerInch != screenPpi) {
    FHeight = MulDiv(FHeight, screenPpi, FPixelsPerInch);
    FLeft = MulDiv(FLeft, screenPpi, FPixelsPerInch);
    FTop = MulDiv(FTop, screenPpi, FPixelsPerInch);
    FWidth = MulDiv(FWidth, screenPpi, FPixelsPerInch);
  }
  TCustomForm* form = Form();
  if (!form)
    return;
  form->SetWindowState(FWindowState);
  if (FActiveControl)
    form->SetActiveControl(FActiveControl);
  if (form->WindowState() != wsNormal && form->HandleAllocated()) {
    WINDOWPLACEMENT placement;
    GetWindowPlacement(form->Handle(), placement);
    placement.rcNormalPosition = Rect(FLeft, FTop, FLeft + FWidth, FTop + FHeight);
    SetWindowPlacement(form->Handle(), placement);
  } else {
    form->SetBounds(FLeft, FTop, FWidth, FHeight);
  }
  bool centred = form->Position() == poScreenCenter || form->Position() == poDesktopCenter;
  if (centred && FPosPresent && !form->ComponentState().Contains(csDesigning))
    form->SetPosition(poDesigned);
}

void PropertyInterceptorsInitialization()
{
  RegisterClasses();
  AddReadInterceptor(ClassInfoOf<TCustomForm>(),
                     InterceptorClassOf<TFormStoragePropertyInterceptor>());
}

void PropertyInterceptorsFinalization()
{
  Registry.reset();
}
