// Styles, the style repository, styles objects and style sheets (see cxStyles.h).
#include "controls/cx/base/cxStyles.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/TypInfo.h"

// ---- TcxCustomStyle ----

void TcxCustomStyle::Detach()
{
  if (FDetached)
    return;
  FDetached = true;
  // Every styles object drops the slots that hold this style, from the last listener.
  while (!FListeners.empty()) {
    TcxCustomStyles* styles = FListeners.back();
    FListeners.pop_back();
    styles->StyleRemoved(this);
  }
  SetStyleRepository(nullptr);
}

void TcxCustomStyle::BeforeDestruction()
{
  Detach();
  TComponent::BeforeDestruction();
}

TcxCustomStyle::~TcxCustomStyle()
{
  Detach();
}

void TcxCustomStyle::SetStyleRepository(TcxStyleRepository* Value)
{
  if (FStyleRepository == Value)
    return;
  if (FStyleRepository)
    std::erase(FStyleRepository->FStyles, this);
  FStyleRepository = Value;
  if (Value &&
      std::find(Value->FStyles.begin(), Value->FStyles.end(), this) == Value->FStyles.end())
    Value->FStyles.push_back(this);
}

void TcxCustomStyle::Changed()
{
  std::vector<TcxCustomStyles*> listeners = FListeners;
  for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
    (*it)->StyleContentChanged(this);
}

void TcxCustomStyle::AddListener(TcxCustomStyles* AStyles)
{
  if (std::find(FListeners.begin(), FListeners.end(), AStyles) == FListeners.end())
    FListeners.push_back(AStyles);
}

void TcxCustomStyle::RemoveListener(TcxCustomStyles* AStyles)
{
  std::erase(FListeners, AStyles);
}

TComponent* TcxCustomStyle::GetParentComponent() const
{
  return FStyleRepository;
}

// The component reader hands a style read inside a repository its parent here, which is
// how a style joins the repository it was written in.
void TcxCustomStyle::SetParentComponent(TComponent* AParent)
{
  SetStyleRepository(As<TcxStyleRepository>(AParent));
}

// ---- TcxStyle ----

TcxStyle::TcxStyle(TComponent* AOwner)
    : TcxCustomStyle(AOwner), FBitmap(std::make_unique<TBitmap>()), FFont(std::make_unique<TFont>())
{
  FBitmap->OnChange = TNotifyEvent::Bind(this, &TcxStyle::HandleBitmapChange);
  FFont->OnChange = TNotifyEvent::Bind(this, &TcxStyle::HandleFontChange);
}

TcxStyle::~TcxStyle()
{
  FBitmap->OnChange = nullptr;
  FFont->OnChange = nullptr;
}

void TcxStyle::SetAssignedValues(TcxStyleValues Value)
{
  if (Value == FAssignedValues)
    return;
  FAssignedValues = Value;
  Changed();
}

void TcxStyle::SetBitmap(TBitmap* Value)
{
  FBitmap->Assign(Value);
}

void TcxStyle::SetColor(TColor Value)
{
  if (Value == FColor)
    return;
  FColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svColor);
  else
    FAssignedValues.Include(svColor);
  Changed();
}

void TcxStyle::SetFont(TFont* Value)
{
  FFont->Assign(Value);
}

void TcxStyle::SetTextColor(TColor Value)
{
  if (Value == FTextColor)
    return;
  FTextColor = Value;
  if (Value == clDefault)
    FAssignedValues.Exclude(svTextColor);
  else
    FAssignedValues.Include(svTextColor);
  Changed();
}

void TcxStyle::HandleBitmapChange(TObject*)
{
  if (FBitmap->Empty())
    FAssignedValues.Exclude(svBitmap);
  else
    FAssignedValues.Include(svBitmap);
  Changed();
}

void TcxStyle::HandleFontChange(TObject*)
{
  FAssignedValues.Include(svFont);
  Changed();
}

void TcxStyle::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxStyle*>(Source);
  if (!source) {
    TcxCustomStyle::Assign(Source);
    return;
  }
  SetBitmap(source->Bitmap());
  SetColor(source->Color());
  SetFont(source->Font());
  SetTextColor(source->TextColor());
  SetAssignedValues(source->AssignedValues());
}

void TcxStyle::RestoreDefaults()
{
  FAssignedValues = TcxStyleValues{};
  FBitmap->OnChange = nullptr;
  FBitmap->SetSize(0, 0);
  FBitmap->OnChange = TNotifyEvent::Bind(this, &TcxStyle::HandleBitmapChange);
  FColor = clDefault;
  FTextColor = clDefault;
  Changed();
}

// ---- TcxStyleRepository ----

TcxStyleRepository::~TcxStyleRepository()
{
  FreeAll();
}

void TcxStyleRepository::FreeAll()
{
  while (!FStyles.empty())
    delete FStyles.back();
  while (!FStyleSheets.empty())
    delete FStyleSheets.back();
}

TcxCustomStyle* TcxStyleRepository::CreateStyle(TcxCustomStyleClass AStyleClass)
{
  return CreateStyleOwned(AStyleClass, this);
}

TcxCustomStyle* TcxStyleRepository::CreateStyleOwned(TcxCustomStyleClass AStyleClass,
                                                     TComponent* AOwner)
{
  auto* style = As<TcxCustomStyle>(AStyleClass->Create(AOwner));
  style->SetStyleRepository(this);
  return style;
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheet(TcxCustomStyleSheetClass ASheetClass)
{
  return CreateStyleSheetOwned(ASheetClass, this);
}

TcxCustomStyleSheet* TcxStyleRepository::CreateStyleSheetOwned(TcxCustomStyleSheetClass ASheetClass,
                                                               TComponent* AOwner)
{
  auto* sheet = As<TcxCustomStyleSheet>(ASheetClass->Create(AOwner));
  sheet->SetStyleRepository(this);
  return sheet;
}

void TcxStyleRepository::GetChildren(TGetChildProc Proc, TComponent* Root)
{
  for (TcxCustomStyle* style : std::vector<TcxCustomStyle*>(FStyles))
    if (style->Owner() == Root)
      Proc(style);
  for (TcxCustomStyleSheet* sheet : std::vector<TcxCustomStyleSheet*>(FStyleSheets))
    if (sheet->Owner() == Root)
      Proc(sheet);
}

// ---- TcxCustomStyles ----

TcxCustomStyles::~TcxCustomStyles()
{
  FDestroying = true;
  while (!FEntries.empty()) {
    FEntries.back().Style->RemoveListener(this);
    FEntries.pop_back();
  }
  SetStyleSheet(nullptr);
}

void TcxCustomStyles::Assign(TPersistent* Source)
{
  if (auto* source = dynamic_cast<TcxCustomStyles*>(Source))
    SetStyleSheet(source->StyleSheet());
  else
    TcxInterfacedPersistent::Assign(Source);
}

bool TcxCustomStyles::FindEntry(Integer AIndex, Integer& APos) const
{
  Integer low = 0;
  Integer high = AssignedCount() - 1;
  while (low <= high) {
    const Integer mid = (low + high) / 2;
    if (FEntries[mid].Index == AIndex) {
      APos = mid;
      return true;
    }
    if (FEntries[mid].Index < AIndex)
      low = mid + 1;
    else
      high = mid - 1;
  }
  APos = low;
  return false;
}

TcxCustomStyle* TcxCustomStyles::GetStyle(Integer AIndex)
{
  Integer pos;
  if (FindEntry(AIndex, pos))
    return FEntries[pos].Style;
  if (!FStyleSheet)
    return nullptr;
  // A sheet's styles are never written into the form data of the control.
  if (auto* owner = dynamic_cast<TComponent*>(GetOwner()))
    if (owner->ComponentState().Contains(csWriting))
      return nullptr;
  return FStyleSheet->Styles()->GetStyle(AIndex);
}

void TcxCustomStyles::SetStyle(Integer AIndex, TcxCustomStyle* AStyle)
{
  if (AStyle == GetStyle(AIndex))
    return;
  Integer pos;
  if (FindEntry(AIndex, pos)) {
    FEntries[pos].Style->RemoveListener(this);
    if (AStyle) {
      FEntries[pos].Style = AStyle;
      AStyle->AddListener(this);
    } else
      FEntries.erase(FEntries.begin() + pos);
    NotifyChanged(AIndex);
  } else if (AStyle) {
    FEntries.insert(FEntries.begin() + pos, TcxStyleEntry{AIndex, AStyle});
    AStyle->AddListener(this);
    NotifyChanged(AIndex);
  }
}

void TcxCustomStyles::StyleContentChanged(TcxCustomStyle* AStyle)
{
  std::vector<TcxStyleEntry> entries = FEntries;
  for (const TcxStyleEntry& e : entries)
    if (e.Style == AStyle)
      NotifyChanged(e.Index);
}

void TcxCustomStyles::StyleRemoved(TcxCustomStyle* AStyle)
{
  for (Integer i = AssignedCount() - 1; i >= 0; --i)
    if (i < AssignedCount() && FEntries[i].Style == AStyle)
      DeleteEntry(i);
}

void TcxCustomStyles::DeleteEntry(Integer APos)
{
  const TcxStyleEntry entry = FEntries[APos];
  entry.Style->RemoveListener(this);
  FEntries.erase(FEntries.begin() + APos);
  NotifyChanged(entry.Index);
}

void TcxCustomStyles::Clear()
{
  while (!FEntries.empty())
    DeleteEntry(AssignedCount() - 1);
}

void TcxCustomStyles::NotifyChanged(Integer AIndex)
{
  if (FDestroying)
    return;
  StyleChanged(AIndex);
  if (FOwnerStyleSheet)
    FOwnerStyleSheet->NotifyStylesChanged(AIndex);
}

bool TcxCustomStyles::AcceptsStyleSheet(TcxCustomStyleSheet* ASheet) const
{
  if (!ASheet)
    return true;
  if (ASheet == FOwnerStyleSheet || ASheet->StylesClass() != ClassType())
    return false;
  if (FOwnerStyleSheet) {
    // Bounded: a chain that repeats without reaching the owner ends the walk too.
    std::vector<TcxCustomStyleSheet*> seen;
    for (TcxCustomStyleSheet* s = ASheet->Styles()->StyleSheet(); s;
         s = s->Styles()->StyleSheet()) {
      if (s == FOwnerStyleSheet)
        return false;
      if (std::find(seen.begin(), seen.end(), s) != seen.end())
        break;
      seen.push_back(s);
    }
  }
  return true;
}

void TcxCustomStyles::CollectIndexes(TcxCustomStyleSheet* ASheet,
                                     std::vector<Integer>& AIndexes) const
{
  std::vector<TcxCustomStyleSheet*> seen;
  for (TcxCustomStyleSheet* s = ASheet; s; s = s->Styles()->StyleSheet()) {
    if (std::find(seen.begin(), seen.end(), s) != seen.end())
      break;
    seen.push_back(s);
    for (const TcxStyleEntry& e : s->Styles()->FEntries)
      if (std::find(AIndexes.begin(), AIndexes.end(), e.Index) == AIndexes.end())
        AIndexes.push_back(e.Index);
  }
}

void TcxCustomStyles::SetStyleSheet(TcxCustomStyleSheet* Value)
{
  if (Value == FStyleSheet || !AcceptsStyleSheet(Value))
    return;
  std::vector<Integer> changed;
  if (FStyleSheet) {
    FStyleSheet->RemoveUser(this);
    if (!FDestroying)
      CollectIndexes(FStyleSheet, changed);
  }
  FStyleSheet = Value;
  if (Value) {
    Value->AddUser(this);
    CollectIndexes(Value, changed);
  }
  for (Integer index : changed)
    NotifyChanged(index);
}

// ---- TcxStyles ----

void TcxStyles::ResolveViewParams(Integer AIndex, TObject* AData, TcxCustomStyle* AStyle,
                                  TcxViewParams& AParams)
{
  auto* slot = dynamic_cast<TcxStyle*>(StyleAt(AIndex));
  auto* given = dynamic_cast<TcxStyle*>(AStyle);
  auto pick = [&](TcxStyleValue v) -> TcxStyle* {
    if (given && given->AssignedValues().Contains(v))
      return given;
    if (slot && slot->AssignedValues().Contains(v))
      return slot;
    return nullptr;
  };
  AParams = TcxViewParams{};
  if (UsesBitmaps)
    if (TcxStyle* s = pick(svBitmap))
      AParams.Bitmap = s->Bitmap();
  if (TcxStyle* s = pick(svColor))
    AParams.Color = s->Color();
  if (TcxStyle* s = pick(svFont))
    AParams.Font = s->Font();
  if (TcxStyle* s = pick(svTextColor))
    AParams.TextColor = s->TextColor();
  const bool open = (UsesBitmaps && !AParams.Bitmap) || AParams.Color == clDefault ||
                    !AParams.Font || AParams.TextColor == clDefault;
  if (!open)
    return;
  TcxViewParams defaults;
  DefaultViewParams(AIndex, AData, defaults);
  if (UsesBitmaps && !AParams.Bitmap)
    AParams.Bitmap = defaults.Bitmap;
  if (AParams.Color == clDefault)
    AParams.Color = defaults.Color;
  if (!AParams.Font)
    AParams.Font = defaults.Font;
  if (AParams.TextColor == clDefault)
    AParams.TextColor = defaults.TextColor;
}

TBitmap* TcxStyles::SlotBitmap(Integer AIndex)
{
  auto* style = dynamic_cast<TcxStyle*>(StyleAt(AIndex));
  if (style && style->AssignedValues().Contains(svBitmap) && !style->Bitmap()->Empty())
    return style->Bitmap();
  return nullptr;
}

void TcxStyles::DefaultViewParams(Integer AIndex, TObject*, TcxViewParams& AParams)
{
  AParams.Bitmap = nullptr;
  if (AIndex > FMaxDefaultViewParamsIndex)
    FMaxDefaultViewParamsIndex = AIndex;
}

bool TcxStyles::UsesDefaultFont(Integer AIndex)
{
  auto* style = dynamic_cast<TcxStyle*>(StyleAt(AIndex));
  return !(style && style->AssignedValues().Contains(svFont));
}

void TcxStyles::FontChanged(TFont* AFont)
{
  const Integer last = FMaxDefaultViewParamsIndex;
  for (Integer i = 0; i <= last; ++i)
    if (UsesDefaultFont(i)) {
      TcxViewParams defaults;
      DefaultViewParams(i, nullptr, defaults);
      if (defaults.Font == AFont)
        NotifyChanged(i);
    }
}

// ---- TcxCustomStyleSheet ----

TcxCustomStyleSheet::TcxCustomStyleSheet(TComponent* AOwner) : TcxComponent(AOwner)
{
  FBuiltIn = AOwner && AOwner->ComponentState().Contains(csDesigning);
}

void TcxCustomStyleSheet::Detach()
{
  if (FDetached)
    return;
  FDetached = true;
  while (!FUsers.empty())
    FUsers.back()->SetStyleSheet(nullptr);
  SetStyleRepository(nullptr);
}

void TcxCustomStyleSheet::BeforeDestruction()
{
  Detach();
  TcxComponent::BeforeDestruction();
}

TcxCustomStyleSheet::~TcxCustomStyleSheet()
{
  Detach();
}

TClass TcxCustomStyleSheet::StylesClass() const
{
  return ClassInfoOf<TcxCustomStyles>();
}

TcxCustomStyles* TcxCustomStyleSheet::Styles()
{
  if (!FStyles) {
    TClass cls = StylesClass();
    TcxCustomStyles* styles = nullptr;
    if (cls && cls->Factory)
      styles = dynamic_cast<TcxCustomStyles*>(cls->Create(this));
    FStyles.reset(styles ? styles : new TcxCustomStyles(this));
    FStyles->FOwnerStyleSheet = this;
  }
  return FStyles.get();
}

void TcxCustomStyleSheet::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TcxCustomStyleSheet*>(Source);
  if (!source) {
    TcxComponent::Assign(Source);
    return;
  }
  SetCaption(source->Caption());
  AssignStyles(source->Styles());
}

void TcxCustomStyleSheet::SetCaption(const AnsiString& Value)
{
  if (Value == FCaption)
    return;
  FCaption = SameText(Value, Name()) ? AnsiString() : Value;
}

void TcxCustomStyleSheet::SetStyleRepository(TcxStyleRepository* Value)
{
  if (FStyleRepository == Value)
    return;
  if (FStyleRepository)
    std::erase(FStyleRepository->FStyleSheets, this);
  FStyleRepository = Value;
  if (Value && std::find(Value->FStyleSheets.begin(), Value->FStyleSheets.end(), this) ==
                   Value->FStyleSheets.end())
    Value->FStyleSheets.push_back(this);
}

void TcxCustomStyleSheet::NotifyStylesChanged(Integer AIndex)
{
  std::vector<TcxCustomStyles*> users = FUsers;
  for (TcxCustomStyles* user : users)
    user->NotifyChanged(AIndex);
  UpdateFakeComponentLinks();
}

void TcxCustomStyleSheet::AddUser(TcxCustomStyles* AStyles)
{
  if (std::find(FUsers.begin(), FUsers.end(), AStyles) == FUsers.end())
    FUsers.push_back(AStyles);
}

void TcxCustomStyleSheet::RemoveUser(TcxCustomStyles* AStyles)
{
  std::erase(FUsers, AStyles);
}

TComponent* TcxCustomStyleSheet::GetParentComponent() const
{
  return FStyleRepository;
}

void TcxCustomStyleSheet::SetParentComponent(TComponent* AParent)
{
  SetStyleRepository(As<TcxStyleRepository>(AParent));
}

void TcxCustomStyleSheet::CollectFakeLinkedComponents(TList* AList)
{
  if (!Owner())
    return;
  TcxCustomStyles* styles = Styles();
  for (Integer i = 0; i < styles->AssignedCount(); ++i) {
    TComponent* owner = styles->AssignedEntry(i).Style->Owner();
    if (owner && owner != Owner() && AList->IndexOf(owner) < 0)
      AList->Add(owner);
  }
}

void TcxCustomStyleSheet::DefineProperties(TFiler* Filer)
{
  TcxComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "BuiltIn", [this](TReader* Reader) { FBuiltIn = Reader->ReadBoolean(); },
      [this](TWriter* Writer) { Writer->WriteBoolean(FBuiltIn); }, true);
}

void cxStylesInitialization()
{
  RegisterEnumType<TcxStyleValue>("TcxStyleValue",
                                  {"svBitmap", "svColor", "svFont", "svTextColor"});
  RegisterSetType<TcxStyleValues>("TcxStyleValues");
  TClassRegistration<TcxCustomStyle, TComponent>("TcxCustomStyle").Abstract();
  TClassRegistration<TcxStyle, TcxCustomStyle>("TcxStyle")
      .Property("AssignedValues", &TcxStyle::AssignedValues, &TcxStyle::SetAssignedValues)
      .Default(TcxStyleValues{})
      .Property("Bitmap", &TcxStyle::Bitmap, &TcxStyle::SetBitmap)
      .Stored(&TcxStyle::IsBitmapStored)
      .Property("Color", &TcxStyle::Color, &TcxStyle::SetColor)
      .Stored(&TcxStyle::IsColorStored)
      .Property("Font", &TcxStyle::Font, &TcxStyle::SetFont)
      .Stored(&TcxStyle::IsFontStored)
      .Property("TextColor", &TcxStyle::TextColor, &TcxStyle::SetTextColor)
      .Stored(&TcxStyle::IsTextColorStored)
      .Factory([](TComponent* owner) -> TObject* { return new TcxStyle(owner); });
  TClassRegistration<TcxStyleRepository, TComponent>("TcxStyleRepository")
      .Factory([](TComponent* owner) -> TObject* { return new TcxStyleRepository(owner); });
  TClassRegistration<TcxCustomStyleSheet, TcxComponent>("TcxCustomStyleSheet")
      .Property("Caption", &TcxCustomStyleSheet::Caption, &TcxCustomStyleSheet::SetCaption)
      .Stored(&TcxCustomStyleSheet::IsCaptionStored)
      .Factory([](TComponent* owner) -> TObject* { return new TcxCustomStyleSheet(owner); });
  TClassRegistration<TcxCustomStyles, TPersistent>("TcxCustomStyles")
      .Property("StyleSheet", &TcxCustomStyles::StyleSheet, &TcxCustomStyles::SetStyleSheet)
      .Factory([](TComponent* owner) -> TObject* { return new TcxCustomStyles(owner); });
  TClassRegistration<TcxStyles, TcxCustomStyles>("TcxStyles")
      .Factory([](TComponent* owner) -> TObject* { return new TcxStyles(owner); });
  RegisterClasses({ClassInfoOf<TcxStyle>(), ClassInfoOf<TcxStyleRepository>(),
                   ClassInfoOf<TcxCustomStyleSheet>()});
}

void cxStylesFinalization() {}
