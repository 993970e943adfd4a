// Container style, style controller and free notificator (see cxContainer.h).
#include <algorithm>

#include "controls/cx/base/cxContainer.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/TypInfo.h"

namespace {

const char* const ValueNames[8] = {"BorderColor", "BorderStyle", "Color",  "Edges",
                                   "Font",        "HotTrack",    "Shadow", "TransparentBorder"};

} // namespace

TcxContainerStyle::TcxContainerStyle(TPersistent* AOwner, bool AIsExternal)
    : FIsExternal(AIsExternal), FOwner(AOwner)
{
  if (!FIsExternal) {
    FOwnFont = std::make_unique<TFont>();
    FFont = FOwnFont.get();
    FFont->OnChange = [this](TObject* s) { FontChanged(s); };
  }
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { Changed(); };
  FStyleController = DefaultStyleController();
  if (FStyleController)
    FStyleController->AddListener(this);
  if (FIsExternal)
    FAssignedValues = TcxContainerStyleValues{csvColor, csvFont};
}

TcxContainerStyle::~TcxContainerStyle()
{
  FDestroying = true;
  if (FOwnFont)
    FOwnFont->OnChange = nullptr;
  if (FStyleController)
    FStyleController->RemoveListener(this);
  FLookAndFeel.reset();
}

void TcxContainerStyle::BeforeDestruction()
{
  FDestroying = true;
  TPersistent::BeforeDestruction();
}

void TcxContainerStyle::EndUpdate()
{
  if (FUpdateCount > 0)
    --FUpdateCount;
  if (FUpdateCount == 0 && FChangePending)
    Changed();
}

void TcxContainerStyle::Changed()
{
  if (FUpdateCount > 0) {
    FChangePending = true;
    return;
  }
  if (!FIsExternal && !FDestroying)
    OnChanged(this);
  FChangePending = false;
}

void TcxContainerStyle::ControllerStyleChanged()
{
  ReadControllerFont();
  Changed();
}

void TcxContainerStyle::ControllerRemoved(TcxStyleController* AController)
{
  if (AController != FStyleController)
    return;
  FStyleController = DefaultStyleController();
  if (FStyleController == AController)
    FStyleController = nullptr;
  if (FStyleController)
    FStyleController->AddListener(this);
  Changed();
}

TcxContainerBorderStyle TcxContainerStyle::DefaultBorderStyle() const
{
  switch (FLookAndFeel->Kind()) {
  case lfFlat:
    return cbsFlat;
  case lfStandard:
    return cbs3D;
  default:
    return cbsUltraFlat;
  }
}

const TcxContainerStyle* TcxContainerStyle::ChainStyle(Integer AIndex) const
{
  // Cycles are refused when controllers are set; the bound keeps a damaged chain finite.
  const TcxContainerStyle* s = this;
  for (Integer depth = 0; s && depth < 64; ++depth) {
    if (s->FAssignedValues.ContainsOrd(AIndex))
      return s;
    s = s->FStyleController ? s->FStyleController->Style() : nullptr;
  }
  return nullptr;
}

bool TcxContainerStyle::IsValueAssigned(Integer AIndex) const
{
  return AIndex >= 0 && AIndex < 8 && ChainStyle(AIndex) != nullptr;
}

TcxContainerStyleValues TcxContainerStyle::AssignedValues() const
{
  if (!FIsExternal)
    return FAssignedValues;
  TcxContainerStyleValues all;
  for (Integer i = 0; i < StyleValueCount(); ++i)
    all.IncludeOrd(i);
  return all;
}

void TcxContainerStyle::SetAssignedValues(TcxContainerStyleValues Value)
{
  if (Value == FAssignedValues)
    return;
  FAssignedValues = Value;
  if (!Value.Contains(csvFont))
    ReadControllerFont();
  Changed();
}

TcxContainer* TcxContainerStyle::Container() const
{
  return dynamic_cast<TcxContainer*>(FOwner);
}

TColor TcxContainerStyle::BorderColor() const
{
  if (FIsExternal)
    return clDefault;
  const TcxContainerStyle* s = ChainStyle(csvBorderColor);
  return s ? s->FBorderColor : DefaultBorderColor();
}

TcxContainerBorderStyle TcxContainerStyle::BorderStyle() const
{
  if (FIsExternal)
    return FAssignedValues.Contains(csvBorderStyle) ? FBorderStyle : DefaultBorderStyle();
  const TcxContainerStyle* s = ChainStyle(csvBorderStyle);
  return s ? s->FBorderStyle : DefaultBorderStyle();
}

TcxBorders TcxContainerStyle::Edges() const
{
  if (FIsExternal)
    return {};
  const TcxContainerStyle* s = ChainStyle(csvEdges);
  return s ? s->FEdges : DefaultEdges();
}

bool TcxContainerStyle::HotTrack() const
{
  if (FIsExternal)
    return FAssignedValues.Contains(csvHotTrack) ? FHotTrack : DefaultHotTrack();
  const TcxContainerStyle* s = ChainStyle(csvHotTrack);
  return s ? s->FHotTrack : DefaultHotTrack();
}

bool TcxContainerStyle::Shadow() const
{
  if (FIsExternal)
    return false;
  const TcxContainerStyle* s = ChainStyle(csvShadow);
  return s ? s->FShadow : DefaultShadow();
}

bool TcxContainerStyle::TransparentBorder() const
{
  if (FIsExternal)
    return true;
  const TcxContainerStyle* s = ChainStyle(csvTransparentBorder);
  return s ? s->FTransparentBorder : DefaultTransparentBorder();
}

TColor TcxContainerStyle::Color() const
{
  if (FIsExternal)
    return FColor;
  TcxContainer* c = Container();
  if (c && c->ParentColor() && c->Parent())
    return c->Parent()->Color();
  const TcxContainerStyle* s = ChainStyle(csvColor);
  return s ? s->FColor : DefaultColor();
}

TColor TcxContainerStyle::ShownColor() const
{
  if (FIsExternal)
    return FColor;
  if (const TcxContainerStyle* s = ChainStyle(csvColor))
    return s->FColor;
  TcxContainer* c = Container();
  if (c && c->ParentColor() && c->Parent())
    return c->Parent()->Color();
  return DefaultColor();
}

bool TcxContainerStyle::FindAssignedColor(TColor& AColor) const
{
  const TcxContainerStyle* s = ChainStyle(csvColor);
  if (s)
    AColor = s->FColor;
  return s != nullptr;
}

template <class T>
static bool SetValue(TcxContainerStyleValues& AAssigned, T& AField, T AValue,
                     TcxContainerStyleValue ABit)
{
  if (AAssigned.Contains(ABit) && AField == AValue)
    return false;
  AField = AValue;
  AAssigned.Include(ABit);
  return true;
}

void TcxContainerStyle::SetBorderColor(TColor Value)
{
  if (SetValue(FAssignedValues, FBorderColor, Value, csvBorderColor))
    Changed();
}

void TcxContainerStyle::SetBorderStyle(TcxContainerBorderStyle Value)
{
  if (SetValue(FAssignedValues, FBorderStyle, Value, csvBorderStyle))
    Changed();
}

void TcxContainerStyle::SetColor(TColor Value)
{
  if (SetValue(FAssignedValues, FColor, Value, csvColor))
    Changed();
}

void TcxContainerStyle::SetEdges(TcxBorders Value)
{
  if (SetValue(FAssignedValues, FEdges, Value, csvEdges))
    Changed();
}

void TcxContainerStyle::SetHotTrack(bool Value)
{
  if (SetValue(FAssignedValues, FHotTrack, Value, csvHotTrack))
    Changed();
}

void TcxContainerStyle::SetShadow(bool Value)
{
  if (SetValue(FAssignedValues, FShadow, Value, csvShadow))
    Changed();
}

void TcxContainerStyle::SetTransparentBorder(bool Value)
{
  if (SetValue(FAssignedValues, FTransparentBorder, Value, csvTransparentBorder))
    Changed();
}

void TcxContainerStyle::SetFont(TFont* Value)
{
  if (FIsExternal) {
    FFont = Value;
    return;
  }
  FFont->Assign(Value);
  FAssignedValues.Include(csvFont);
  Changed();
}

void TcxContainerStyle::FontChanged(TObject*)
{
  if (!FCopyingFont)
    FAssignedValues.Include(csvFont);
  Changed();
}

void TcxContainerStyle::ReadControllerFont()
{
  if (FIsExternal || FAssignedValues.Contains(csvFont) || !FStyleController)
    return;
  const TcxContainerStyle* s = FStyleController->Style()->ChainStyle(csvFont);
  if (!s)
    return;
  FCopyingFont = true;
  FFont->Assign(s->FFont);
  FCopyingFont = false;
}

TcxStyleController* TcxContainerStyle::StyleController() const
{
  return FStyleController == DefaultStyleController() ? nullptr : FStyleController;
}

void TcxContainerStyle::SetStyleController(TcxStyleController* Value)
{
  if (!Value)
    Value = DefaultStyleController();
  // A controller whose chain of styles comes back to this one would make every value read
  // walk round for ever: refused, as the direct cases are.
  Integer depth = 0;
  for (TcxStyleController* c = Value; c && depth < 64; c = c->Style()->FStyleController, ++depth)
    if (c->Style() == this)
      return;
  if (Value == FStyleController)
    return;
  if (FStyleController)
    FStyleController->RemoveListener(this);
  FStyleController = Value;
  if (Value)
    Value->AddListener(this);
  StyleControllerChanged();
}

void TcxContainerStyle::StyleControllerChanged()
{
  ReadControllerFont();
  Changed();
}

bool TcxContainerStyle::StyleValueName(Integer AIndex, AnsiString& AName) const
{
  if (AIndex < 0 || AIndex > 7) {
    AName.clear();
    return false;
  }
  AName = ValueNames[AIndex];
  return true;
}

void TcxContainerStyle::RestoreDefaults()
{
  BeginUpdate();
  if (TcxContainer* c = Container()) {
    c->SetParentColor(false);
    c->SetParentFont(true);
  }
  FLookAndFeel->SetAssignedValues(TcxLookAndFeelValues{});
  SetAssignedValues(TcxContainerStyleValues{});
  Changed();
  EndUpdate();
}

bool TcxContainerStyle::Stored(Integer AIndex) const
{
  if (!FAssignedValues.ContainsOrd(AIndex))
    return false;
  TcxContainer* c = Container();
  return !c || !c->UnstoredStyleValues().ContainsOrd(AIndex);
}

void TcxContainerStyle::Assign(TPersistent* Source)
{
  auto* s = dynamic_cast<TcxContainerStyle*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  SetStyleController(s->StyleController());
  FLookAndFeel->Assign(s->FLookAndFeel.get());
  FBorderColor = s->FBorderColor;
  FBorderStyle = s->FBorderStyle;
  FEdges = s->FEdges;
  FHotTrack = s->FHotTrack;
  FShadow = s->FShadow;
  FTransparentBorder = s->FTransparentBorder;
  FColor = s->FColor;
  const TColor textColor = s->FIsExternal ? s->FExternalTextColor : s->FFont->Color();
  if (FIsExternal) {
    FFont = s->FFont;
    FExternalTextColor = textColor;
  } else if (s->FFont) {
    FFont->Assign(s->FFont);
    FFont->SetColor(textColor);
  }
  FAssignedValues = s->AssignedValues();
  Changed();
  EndUpdate();
}

// ---- TcxStyleController ----

TcxStyleController::TcxStyleController(TComponent* AOwner) : TComponent(AOwner)
{
  FStyle = CreateStyle();
  FStyle->OnChanged = [this](TcxContainerStyle*) { Changed(); };
}

std::unique_ptr<TcxContainerStyle> TcxStyleController::CreateStyle()
{
  return std::make_unique<TcxContainerStyle>(this, false);
}

void TcxStyleController::BeforeDestruction()
{
  FDestroying = true;
  TComponent::BeforeDestruction();
}

TcxStyleController::~TcxStyleController()
{
  FDestroying = true;
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* s : listeners)
    s->ControllerRemoved(this);
  FStyle.reset();
}

void TcxStyleController::AddListener(TcxContainerStyle* AStyle)
{
  if (!AStyle || std::find(FListeners.begin(), FListeners.end(), AStyle) != FListeners.end())
    return;
  FListeners.push_back(AStyle);
  AStyle->LookAndFeel()->SetMasterLookAndFeel(FStyle->LookAndFeel());
}

void TcxStyleController::NotifyListener(TcxContainerStyle* AStyle)
{
  AStyle->ControllerStyleChanged();
  OnStyleChanged(this, AStyle);
}

void TcxStyleController::RemoveListener(TcxContainerStyle* AStyle)
{
  if (std::find(FListeners.begin(), FListeners.end(), AStyle) == FListeners.end())
    return;
  if (!FDestroying)
    std::erase(FListeners, AStyle);
  if (!AStyle->IsDestroying())
    AStyle->LookAndFeel()->SetMasterLookAndFeel(nullptr);
}

void TcxStyleController::Changed()
{
  OnStyleChanged(this, FStyle.get());
  if (FDestroying)
    return;
  std::vector<TcxContainerStyle*> listeners = FListeners;
  for (TcxContainerStyle* s : listeners)
    if (std::find(FListeners.begin(), FListeners.end(), s) != FListeners.end())
      NotifyListener(s);
}

void TcxStyleController::Loaded()
{
  TComponent::Loaded();
  Changed();
}

// ---- TcxFreeNotificator ----

void TcxFreeNotificator::AddWatched(TComponent* AComponent)
{
  if (AComponent)
    AComponent->FreeNotification(this);
}

void TcxFreeNotificator::RemoveWatched(TComponent* AComponent)
{
  if (AComponent)
    AComponent->RemoveFreeNotification(this);
}

void TcxFreeNotificator::Notification(TComponent* AComponent, TOperation Operation)
{
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove)
    OnComponentFreed(AComponent);
}

void cxContainerStyleRegistration()
{
  RegisterEnumType<TcxBorder>("TcxBorder", {"bLeft", "bTop", "bRight", "bBottom"});
  RegisterSetType<TcxBorders>("TcxBorders");
  RegisterEnumType<TcxContainerBorderStyle>(
      "TcxContainerBorderStyle",
      {"cbsNone", "cbsSingle", "cbsThick", "cbsFlat", "cbs3D", "cbsUltraFlat"});
  RegisterEnumType<TcxContainerStyleValue>(
      "TcxContainerStyleValue", {"csvBorderColor", "csvBorderStyle", "csvColor", "csvEdges",
                                 "csvFont", "csvHotTrack", "csvShadow", "csvTransparentBorder"});
  RegisterSetType<TcxContainerStyleValues>("TcxContainerStyleValues");
  using S = TcxContainerStyle;
  auto stored = [](Integer index) { return [index](S* s) { return s->Stored(index); }; };
  TClassRegistration<TcxStyleController, TComponent>("TcxStyleController")
      .Factory([](TComponent* owner) -> TObject* { return new TcxStyleController(owner); });
  TClassRegistration<S, TPersistent>("TcxContainerStyle")
      .Property("AssignedValues", &S::AssignedValues, &S::SetAssignedValues)
      .Stored(false)
      .Property("BorderColor", &S::BorderColor, &S::SetBorderColor)
      .Stored(stored(csvBorderColor))
      .Property("BorderStyle", &S::BorderStyle, &S::SetBorderStyle)
      .Stored(stored(csvBorderStyle))
      .Property("Color", &S::Color, &S::SetColor)
      .Stored(stored(csvColor))
      .Property("Edges", &S::Edges, &S::SetEdges)
      .Stored(stored(csvEdges))
      .Property("Font", &S::Font, &S::SetFont)
      .Stored(stored(csvFont))
      .Property("HotTrack", &S::HotTrack, &S::SetHotTrack)
      .Stored(stored(csvHotTrack))
      .Property("LookAndFeel", &S::LookAndFeel, &S::SetLookAndFeel)
      .Property("Shadow", &S::Shadow, &S::SetShadow)
      .Stored(stored(csvShadow))
      .Property("StyleController", &S::StyleController, &S::SetStyleController)
      .Property("TransparentBorder", &S::TransparentBorder, &S::SetTransparentBorder)
      .Stored(stored(csvTransparentBorder))
      .Abstract();
}
