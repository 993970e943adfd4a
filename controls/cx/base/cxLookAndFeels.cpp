// Look and feel, its controller and the system-colour listener (see cxLookAndFeels.h).
#include "controls/cx/base/cxLookAndFeels.h"

#include <algorithm>

#include "platform/rtl/TypInfo.h"
#include "platform/ui/Controls.h"

namespace {

TcxLookAndFeel* Root = nullptr;
Integer ControllerCount = 0;

// One hidden window for every notifier; it lives while notifiers do.
class TcxSystemPaletteChangedListener {
public:
  TcxSystemPaletteChangedListener()
  {
    FWindow = AllocateHWnd(TWndMethod::Bind(this, &TcxSystemPaletteChangedListener::WndProc));
  }
  ~TcxSystemPaletteChangedListener() { DeallocateHWnd(FWindow); }

  std::vector<TcxSystemPaletteChangedNotifier*> Primary;
  std::vector<TcxSystemPaletteChangedNotifier*> Others;

private:
  void WndProc(TMessage& Message)
  {
    try {
      if (Message.Msg == WM_SYSCOLORCHANGE)
        Fire();
    } catch (...) {
      Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
      throw;
    }
    Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
  }
  // A notifier may free others from its event: walk copies and skip the ones gone.
  void Fire()
  {
    for (auto* list : {&Primary, &Others}) {
      std::vector<TcxSystemPaletteChangedNotifier*> snapshot = *list;
      for (TcxSystemPaletteChangedNotifier* n : snapshot)
        if (std::find(list->begin(), list->end(), n) != list->end())
          n->FirePaletteChange();
    }
  }
  HWND FWindow = 0;
};

TcxSystemPaletteChangedListener* PaletteListener = nullptr;
Integer PaletteNotifierCount = 0;

bool Contains(const std::vector<IcxLookAndFeelListener*>& list, IcxLookAndFeelListener* item)
{
  return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

// ---- System-colour notifiers ----

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary)
    : FIsPrimary(AIsPrimary)
{
  if (PaletteNotifierCount++ == 0)
    PaletteListener = new TcxSystemPaletteChangedListener;
  (FIsPrimary ? PaletteListener->Primary : PaletteListener->Others).push_back(this);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier()
{
  std::erase(FIsPrimary ? PaletteListener->Primary : PaletteListener->Others, this);
  if (--PaletteNotifierCount == 0) {
    delete PaletteListener;
    PaletteListener = nullptr;
  }
}

TcxLookAndFeelPainterClass cxLookAndFeelPainterClass(TcxLookAndFeelKind AKind)
{
  switch (AKind) {
  case lfFlat:
    return TcxFlatLookAndFeelPainter::Class();
  case lfStandard:
    return TcxStandardLookAndFeelPainter::Class();
  default:
    return TcxUltraFlatLookAndFeelPainter::Class();
  }
}

// ---- TcxLookAndFeel ----

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner)
{
  FNotifier = std::make_unique<TcxSystemPaletteChangedNotifier>(false);
  FNotifier->OnPaletteChange = [this](TObject*) { SystemColorsChanged(); };
  if (Root)
    Root->AddChangeListener(this);
  FCurrentKind = EffectiveKind();
  FCurrentNativeStyle = EffectiveNativeStyle();
}

void TcxLookAndFeel::AfterConstruction()
{
  // The descendants' Effective* are in force now.
  FCurrentKind = EffectiveKind();
  FCurrentNativeStyle = EffectiveNativeStyle();
}

void TcxLookAndFeel::BeforeDestruction()
{
  if (FDetached)
    return;
  FDetached = true;
  FNotifier.reset();
  // Children fall back to the root while this object is still whole; they cannot leave
  // the list meanwhile.
  FIsDestroying = true;
  std::vector<IcxLookAndFeelListener*> listeners = FListeners;
  for (IcxLookAndFeelListener* l : listeners)
    l->MasterDestroying(this);
  FIsDestroying = false;
  FListeners.clear();
  if (TcxLookAndFeel* master = EffectiveMaster())
    master->RemoveChangeListener(this);
  if (Root == this)
    Root = nullptr;
  TcxInterfacedPersistent::BeforeDestruction();
}

TcxLookAndFeel::~TcxLookAndFeel()
{
  // Objects that are not deleted (members) still leave the tree.
  BeforeDestruction();
}

TcxLookAndFeelKind TcxLookAndFeel::MasterKind() const
{
  if (FIsRoot)
    return lfUltraFlat;
  if (TcxLookAndFeel* master = EffectiveMaster())
    return master->Kind();
  return lfUltraFlat;
}

bool TcxLookAndFeel::MasterNativeStyle() const
{
  if (FIsRoot)
    return false;
  if (TcxLookAndFeel* master = EffectiveMaster())
    return master->NativeStyle();
  return false;
}

TcxLookAndFeelKind TcxLookAndFeel::EffectiveKind() const
{
  return FAssignedValues.Contains(lfvKind) ? FKind : MasterKind();
}

bool TcxLookAndFeel::EffectiveNativeStyle() const
{
  return FAssignedValues.Contains(lfvNativeStyle) ? FNativeStyle : MasterNativeStyle();
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const
{
  if (FIsRoot)
    return nullptr;
  return FMaster ? FMaster : Root;
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterClass() const
{
  if (FCurrentNativeStyle && ThemesAvailable())
    return TcxWinXPLookAndFeelPainter::Class();
  return cxLookAndFeelPainterClass(FCurrentKind);
}

TcxLookAndFeelPainterClass TcxLookAndFeel::PainterForThemes(TdxThemeClasses AThemeClasses) const
{
  if (FCurrentNativeStyle && ThemesAvailable(AThemeClasses))
    return TcxWinXPLookAndFeelPainter::Class();
  return cxLookAndFeelPainterClass(FCurrentKind);
}

void TcxLookAndFeel::AssignKind(TcxLookAndFeelKind Value)
{
  const TcxLookAndFeelKind old = FCurrentKind;
  FAssignedValues.Include(lfvKind);
  FKind = Value;
  if (EffectiveKind() != old)
    Changed(TcxLookAndFeelValues{lfvKind});
}

void TcxLookAndFeel::SetNativeStyle(bool Value)
{
  const bool old = FCurrentNativeStyle;
  FAssignedValues.Include(lfvNativeStyle);
  FNativeStyle = Value;
  if (EffectiveNativeStyle() != old)
    Changed(TcxLookAndFeelValues{lfvNativeStyle});
}

void TcxLookAndFeel::SetAssignedValues(TcxLookAndFeelValues Value)
{
  if (Value == FAssignedValues)
    return;
  SaveState();
  FAssignedValues = Value;
  CheckChanged();
}

bool TcxLookAndFeel::ReachesThisThrough(TcxLookAndFeel* AMaster) const
{
  // Bounded by the number of steps a chain of distinct objects can take before it repeats.
  for (TcxLookAndFeel* m = AMaster; m; m = m->FMaster)
    if (m == this)
      return true;
  return false;
}

void TcxLookAndFeel::SetMasterLookAndFeel(TcxLookAndFeel* AMaster)
{
  if (FIsRoot || AMaster == this || AMaster == EffectiveMaster() || ReachesThisThrough(AMaster))
    return;
  SaveState();
  if (TcxLookAndFeel* old = EffectiveMaster())
    old->RemoveChangeListener(this);
  FMaster = AMaster;
  if (TcxLookAndFeel* now = EffectiveMaster())
    now->AddChangeListener(this);
  CheckChanged();
}

void TcxLookAndFeel::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxLookAndFeel*>(Source);
  if (!source) {
    TcxInterfacedPersistent::Assign(Source);
    return;
  }
  SaveState();
  FKind = source->FKind;
  FNativeStyle = source->FNativeStyle;
  FAssignedValues = source->FAssignedValues;
  SetMasterLookAndFeel(source->EffectiveMaster());
  CheckChanged();
}

void TcxLookAndFeel::MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues AChangedValues)
{
  Changed(AChangedValues - FAssignedValues);
}

void TcxLookAndFeel::MasterDestroying(TcxLookAndFeel*)
{
  SetMasterLookAndFeel(nullptr);
}

void TcxLookAndFeel::SystemColorsChanged()
{
  Changed(TcxLookAndFeelValues{lfvNativeStyle});
}

void TcxLookAndFeel::AddChangeListener(IcxLookAndFeelListener* AListener)
{
  if (!AListener)
    return;
  const bool controller = dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject());
  if (controller && !FIsRoot)
    return;
  if (Contains(FListeners, AListener))
    return;
  if (controller)
    ++ControllerCount;
  FListeners.push_back(AListener);
}

void TcxLookAndFeel::RemoveChangeListener(IcxLookAndFeelListener* AListener)
{
  if (!Contains(FListeners, AListener))
    return;
  if (!FIsDestroying)
    std::erase(FListeners, AListener);
  if (FIsRoot && dynamic_cast<TcxLookAndFeelController*>(AListener->GetObject())) {
    if (--ControllerCount == 0)
      SetAssignedValues(TcxLookAndFeelValues{});
  }
}

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues)
{
  if (AChangedValues.Empty() || FIsDestroying)
    return;
  FCurrentKind = EffectiveKind();
  FCurrentNativeStyle = EffectiveNativeStyle();
  // Listeners may join or leave while they are told: a snapshot, skipping those gone.
  std::vector<IcxLookAndFeelListener*> listeners = FListeners;
  for (IcxLookAndFeelListener* l : listeners)
    if (Contains(FListeners, l))
      l->MasterChanged(this, AChangedValues);
  OnChanged(this, AChangedValues);
}

void TcxLookAndFeel::SaveState()
{
  FSavedKind = FCurrentKind;
  FSavedNativeStyle = FCurrentNativeStyle;
}

void TcxLookAndFeel::CheckChanged()
{
  TcxLookAndFeelValues changed;
  if (EffectiveKind() != FSavedKind)
    changed.Include(lfvKind);
  if (EffectiveNativeStyle() != FSavedNativeStyle)
    changed.Include(lfvNativeStyle);
  Changed(changed);
}

// ---- TcxLookAndFeelController ----

TcxLookAndFeelController::TcxLookAndFeelController(TComponent* AOwner) : TComponent(AOwner)
{
  if (Root)
    Root->AddChangeListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController()
{
  if (Root)
    Root->RemoveChangeListener(this);
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const
{
  return Root ? Root->Kind() : lfUltraFlat;
}

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value)
{
  if (Root)
    Root->SetKind(Value);
}

bool TcxLookAndFeelController::NativeStyle() const
{
  return Root ? Root->NativeStyle() : false;
}

void TcxLookAndFeelController::SetNativeStyle(bool Value)
{
  if (Root)
    Root->SetNativeStyle(Value);
}

TcxLookAndFeel* RootLookAndFeel()
{
  return Root;
}

Integer cxLookAndFeelControllerCount()
{
  return ControllerCount;
}

void cxLookAndFeelsInitialization()
{
  RegisterEnumType<TcxLookAndFeelKind>("TcxLookAndFeelKind",
                                       {"lfFlat", "lfStandard", "lfUltraFlat"});
  RegisterEnumType<TcxLookAndFeelValue>("TcxLookAndFeelValue", {"lfvKind", "lfvNativeStyle"});
  RegisterSetType<TcxLookAndFeelValues>("TcxLookAndFeelValues");
  TClassRegistration<TcxLookAndFeel, TPersistent>("TcxLookAndFeel")
      .Property("Kind", &TcxLookAndFeel::Kind, &TcxLookAndFeel::SetKind)
      .Stored(&TcxLookAndFeel::IsKindStored)
      .Property("NativeStyle", &TcxLookAndFeel::NativeStyle, &TcxLookAndFeel::SetNativeStyle)
      .Stored(&TcxLookAndFeel::IsNativeStyleStored)
      .Property("AssignedValues", &TcxLookAndFeel::AssignedValues,
                &TcxLookAndFeel::SetAssignedValues)
      .Stored(false)
      .Abstract();
  TClassRegistration<TcxLookAndFeelController, TComponent>("TcxLookAndFeelController")
      .Property("Kind", &TcxLookAndFeelController::Kind, &TcxLookAndFeelController::SetKind)
      .Default(lfUltraFlat)
      .Property("NativeStyle", &TcxLookAndFeelController::NativeStyle,
                &TcxLookAndFeelController::SetNativeStyle)
      .Default(false)
      .Factory([](TComponent* owner) -> TObject* { return new TcxLookAndFeelController(owner); });
  auto* root = new TcxLookAndFeel(nullptr);
  root->FIsRoot = true;
  root->AfterConstruction();
  Root = root;
}

void cxLookAndFeelsFinalization()
{
  delete Root;
  Root = nullptr;
  ControllerCount = 0;
}
