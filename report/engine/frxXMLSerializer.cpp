// Report objects to XML elements and back; see frxXMLSerializer.h for the attribute forms.
#include "report/engine/frxXMLSerializer.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <typeinfo>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxUtils.h"
#include "report/engine/frxXML.h"

namespace {

// Sets a component's Serializing flag while its attributes are produced.
class TSerializingGuard {
public:
  explicit TSerializingGuard(TPersistent* Obj) : FComponent(dynamic_cast<TfrxComponent*>(Obj))
  {
    if (FComponent) {
      FWas = FComponent->Serializing();
      FComponent->SetSerializing(true);
    }
  }
  ~TSerializingGuard()
  {
    if (FComponent)
      FComponent->SetSerializing(FWas);
  }
  TSerializingGuard(const TSerializingGuard&) = delete;
  TSerializingGuard& operator=(const TSerializingGuard&) = delete;

private:
  TfrxComponent* FComponent;
  bool FWas = false;
};

// Carries a picture's stored form as the defined binary property "Data" (the graphic's
// class name, then its file image), so that pictures travel in PropData like any defined
// data.
class TPictureData : public TPersistent {
public:
  explicit TPictureData(TPicture* Picture) : FPicture(Picture) {}

protected:
  void DefineProperties(TFiler* Filer) override
  {
    Filer->DefineBinaryProperty(
        "Data", [this](TStream* Stream) { FPicture->ReadData(Stream); },
        [this](TStream* Stream) { FPicture->WriteData(Stream); }, !FPicture->Empty());
  }

private:
  TPicture* FPicture;
};

// The object whose defined properties stand for Obj's.
TPersistent* DefinedPropertiesOf(TPersistent* Obj, std::unique_ptr<TPictureData>& Adaptor)
{
  auto* picture = dynamic_cast<TPicture*>(Obj);
  if (!picture)
    return Obj;
  Adaptor = std::make_unique<TPictureData>(picture);
  return Adaptor.get();
}

AnsiString Attribute(const AnsiString& Prefix, const AnsiString& Name, const AnsiString& Value)
{
  AnsiString s;
  s.reserve(Prefix.size() + Name.size() + Value.size() + 4);
  s += ' ';
  s += Prefix;
  s += Name;
  s += "=\"";
  s += Value;
  s += '"';
  return s;
}

} // namespace

TfrxXMLSerializer::TfrxXMLSerializer(TStream* Stream)
    : FErrors(std::make_unique<TStringList>()), FPropDataStream(std::make_unique<TMemoryStream>()),
      FStream(Stream)
{
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
}

TfrxXMLSerializer::~TfrxXMLSerializer() = default;

// ---- Writing ----

AnsiString TfrxXMLSerializer::PropertyText(TObject* Obj, PPropInfo Prop, const AnsiString& Prefix,
                                           bool& Written)
{
  Written = false;
  switch (Prop->Kind()) {
  case tkInteger:
  case tkChar:
  case tkWChar:
  case tkEnumeration:
  case tkSet: {
    const NativeInt value = GetOrdProp(Obj, Prop);
    if (!FSerializeDefaultValues && Prop->HasDefault && value == Prop->Default)
      return AnsiString();
    Written = true;
    if (Prop->Kind() == tkEnumeration)
      return GetEnumName(Prop->PropType, static_cast<Integer>(value));
    return IntToStr(static_cast<Int64>(value));
  }
  case tkFloat:
    Written = true;
    return FloatToStr(GetFloatProp(Obj, Prop));
  case tkString:
  case tkLString:
  case tkWString: {
    AnsiString value =
        Prop->Kind() == tkWString ? WideToGbk(GetWideStrProp(Obj, Prop)) : GetStrProp(Obj, Prop);
    Written = !value.empty() || Prop->StoreEmpty || FSerializeDefaultValues;
    return Written ? StrToXML(value) : AnsiString();
  }
  case tkVariant:
    Written = true;
    return StrToXML(VarToStr(GetVariantProp(Obj, Prop)));
  default:
    return AnsiString();
  }
}

AnsiString TfrxXMLSerializer::ObjToXML(TPersistent* Obj, const AnsiString& Prefix)
{
  TSerializingGuard guard(Obj);
  AnsiString result;
  for (PPropInfo prop : GetPropInfos(Obj->ClassType())) {
    if (!IsStoredProp(Obj, prop))
      continue;
    if (prop->Kind() != tkClass) {
      bool written;
      AnsiString value = PropertyText(Obj, prop, Prefix, written);
      if (written)
        result += Attribute(Prefix, prop->Name, value);
      continue;
    }
    TObject* value = GetObjectProp(Obj, prop);
    if (!value)
      continue;
    if (auto* component = dynamic_cast<TComponent*>(value)) {
      auto* self = dynamic_cast<TfrxComponent*>(Obj);
      TfrxReport* report = self ? self->Report() : dynamic_cast<TfrxReport*>(FOwner);
      AnsiString name = ComponentReferenceName(report, component);
      if (name.empty() && FOwner && component->Owner() == FOwner)
        name = component->Name();
      if (!name.empty())
        result += Attribute(Prefix, prop->Name, StrToXML(name));
    } else if (auto* strings = dynamic_cast<TStrings*>(value)) {
      result += Attribute(Prefix, prop->Name + ".Text", StrToXML(StringsToAttributeText(strings)));
    } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
      result += ObjToXML(persistent, Prefix + prop->Name + ".");
    }
  }
  TMemoryStream data;
  {
    TWriter writer(&data);
    std::unique_ptr<TPictureData> adaptor;
    writer.WriteDefinedProperties(DefinedPropertiesOf(Obj, adaptor));
  }
  if (data.Size() > 0)
    result += Attribute(Prefix, "PropData", StreamToHex(&data));
  return result;
}

void TfrxXMLSerializer::Write(TfrxComponent* Component, bool SaveChildren, TfrxXMLItem* Item)
{
  if (!Item) {
    TfrxXMLDocument doc;
    doc.SetAutoIndent(true);
    Write(Component, SaveChildren, doc.Root());
    doc.SaveToStream(FStream);
    return;
  }
  std::vector<std::pair<TfrxComponent*, TfrxXMLItem*>> pending{{Component, Item}};
  while (!pending.empty()) {
    auto [obj, item] = pending.back();
    pending.pop_back();
    item->SetName(obj->ClassName());
    item->SetText("Name=\"" + StrToXML(obj->Name()) + "\"" + ObjToXML(obj));
    if (!SaveChildren)
      continue;
    TList* children = obj->Objects();
    for (Integer i = 0; i < children->Count(); ++i)
      pending.push_back({static_cast<TfrxComponent*>(children->Items(i)), item->Add()});
  }
}

void TfrxXMLSerializer::WriteObjectElement(TfrxComponent* Obj)
{
  const AnsiString text = "<" + Obj->ClassName() + ObjToXML(Obj) + "/>";
  FStream->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

// ---- Reading ----

void TfrxXMLSerializer::XMLToObj(std::string_view Text, TPersistent* Obj)
{
  size_t pos = 0;
  while (pos < Text.size()) {
    const size_t open = Text.find('"', pos);
    if (open == std::string_view::npos)
      break;
    AnsiString name(Text.substr(pos, open - pos));
    if (!name.empty())
      name.pop_back(); // the '='
    name = LowerCase(Trim(name));
    if (name.empty())
      break;
    size_t close = Text.find('"', open + 1);
    if (close == std::string_view::npos)
      close = Text.size();
    const std::string_view value = Text.substr(open + 1, close - open - 1);
    pos = close + 2;
    try {
      ApplyAttribute(name, value, Obj);
    } catch (const Exception& e) {
      FErrors->Add(e.Message());
    }
  }
}

void TfrxXMLSerializer::ApplyAttribute(AnsiString Name, std::string_view Value, TPersistent* Obj)
{
  if (Name.size() == 1)
    if (auto* component = dynamic_cast<TfrxComponent*>(Obj)) {
      switch (Name[0]) {
      case 'l':
        component->SetLeft(ParseFloatLenient(AnsiString(Value)));
        return;
      case 't':
        component->SetTop(ParseFloatLenient(AnsiString(Value)));
        return;
      case 'w':
        component->SetWidth(ParseFloatLenient(AnsiString(Value)));
        return;
      case 'h':
        component->SetHeight(ParseFloatLenient(AnsiString(Value)));
        return;
      case 'x':
        // The text of a text object: its Memo lines.
        if (PPropInfo memo = GetPropInfo(Obj, "Memo", TTypeKinds{tkClass}))
          if (auto* lines = dynamic_cast<TStrings*>(GetObjectProp(Obj, memo)))
            lines->SetText(XMLToStr(AnsiString(Value)));
        return;
      default:
        break;
      }
    }
  TObject* current = Obj;
  for (size_t dot = Name.find('.'); dot != AnsiString::npos; dot = Name.find('.')) {
    PPropInfo prop = GetPropInfo(current, Name.substr(0, dot), TTypeKinds{tkClass});
    if (!prop)
      return;
    current = GetObjectProp(current, prop);
    if (!current)
      return;
    Name.erase(0, dot + 1);
  }
  // The name first: the type test walks the class tree and most attributes are not "text".
  if (Name == "text")
    if (auto* strings = dynamic_cast<TStrings*>(current)) {
      strings->SetText(XMLToStr(AnsiString(Value)));
      return;
    }
  if (Name == "propdata") {
    if (auto* persistent = dynamic_cast<TPersistent*>(current))
      ApplyPropData(Value, persistent);
    return;
  }
  if (PPropInfo prop = GetPropInfo(current, Name))
    ApplyProperty(current, prop, AnsiString(Value));
}

void TfrxXMLSerializer::ApplyProperty(TObject* Obj, PPropInfo Prop, const AnsiString& Value)
{
  switch (Prop->Kind()) {
  case tkInteger:
  case tkChar:
  case tkWChar:
  case tkSet:
    SetOrdProp(Obj, Prop, StrToInt(Value));
    return;
  case tkEnumeration: {
    Integer n;
    if (TryStrToInt(Value, n))
      SetOrdProp(Obj, Prop, n);
    else
      SetEnumProp(Obj, Prop, Value);
    return;
  }
  case tkFloat:
    SetFloatProp(Obj, Prop, ParseFloatLenient(Value));
    return;
  case tkString:
  case tkLString:
    SetStrProp(Obj, Prop, XMLToStr(Value));
    return;
  case tkWString:
    SetWideStrProp(Obj, Prop, GbkToWide(XMLToStr(Value)));
    return;
  case tkVariant:
    SetVariantProp(Obj, Prop, Variant(XMLToStr(Value)));
    return;
  case tkClass:
    FFixups.push_back({Obj, Prop, Value});
    return;
  default:
    return; // events, Int64 and the rest are not read from attributes
  }
}

void TfrxXMLSerializer::ApplyPropData(std::string_view Value, TPersistent* Obj)
{
  auto* picture = FPictureCache ? dynamic_cast<TPicture*>(Obj) : nullptr;
  if (picture && FPictureCache->Load(Value, picture))
    return;
  HexToStream(AnsiString(Value), FPropDataStream.get());
  FPropDataStream->SetPosition(0);
  TReader reader(FPropDataStream.get());
  std::unique_ptr<TPictureData> adaptor;
  TPersistent* target = DefinedPropertiesOf(Obj, adaptor);
  try {
    while (!reader.EndOfData())
      reader.ReadProperty(target);
  } catch (const Exception&) {
    // Defined data that cannot be read is dropped from the first failing property on.
    return;
  }
  if (picture)
    FPictureCache->Store(Value, picture);
}

// ---- Picture cache ----

struct TfrxPictureCache::TEntry {
  AnsiString Text;
  std::unique_ptr<TPicture> Picture;
  bool Modified = false;
};

TfrxPictureCache::TfrxPictureCache() = default;
TfrxPictureCache::~TfrxPictureCache() = default;

bool TfrxPictureCache::Load(std::string_view Text, TPicture* Picture)
{
  // Texts are compared whole (a comparison stops at the first difference, so it costs less
  // than hashing the text would).
  for (size_t i = 0; i < FEntries.size(); ++i) {
    const TEntry& e = *FEntries[i];
    if (e.Text != Text)
      continue;
    Picture->Assign(e.Picture.get());
    // Reading leaves a picture unmodified; a copy is marked modified.
    if (!e.Modified && Picture->Graphic())
      Picture->Graphic()->SetModified(false);
    std::rotate(FEntries.begin(), FEntries.begin() + static_cast<std::ptrdiff_t>(i),
                FEntries.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    return true;
  }
  return false;
}

void TfrxPictureCache::Store(std::string_view Text, TPicture* Picture)
{
  TGraphic* graphic = Picture->Graphic();
  if (!graphic || Text.size() > MaxTextBytes ||
      (typeid(*graphic) != typeid(TBitmap) && typeid(*graphic) != typeid(TJPEGImage)))
    return;
  auto entry = std::make_unique<TEntry>();
  entry->Text.assign(Text);
  entry->Picture = std::make_unique<TPicture>();
  entry->Picture->Assign(Picture);
  entry->Modified = graphic->Modified();
  FTextBytes += Text.size();
  FEntries.insert(FEntries.begin(), std::move(entry));
  while (FEntries.size() > MaxEntries || FTextBytes > MaxTextBytes) {
    FTextBytes -= FEntries.back()->Text.size();
    FEntries.pop_back();
  }
}

void TfrxPictureCache::Clear()
{
  FEntries.clear();
  FTextBytes = 0;
}

void TfrxXMLSerializer::ResolveFixups()
{
  std::vector<TfrxFixupItem> fixups;
  fixups.swap(FFixups);
  auto* root = dynamic_cast<TfrxComponent*>(FOwner);
  for (const TfrxFixupItem& fixup : fixups) {
    try {
      TComponent* found = root ? root->FindObject(fixup.Value) : nullptr;
      if (!found)
        found = LocateComponent(FOwner, fixup.Value);
      if (found)
        SetObjectProp(fixup.Obj, fixup.Prop, found);
    } catch (const Exception&) {
      // A reference that cannot be resolved leaves the property as it was.
    }
  }
}

TfrxComponent* TfrxXMLSerializer::CreateObject(const AnsiString& ClassName, TComponent* AOwner,
                                               bool Raise)
{
  TClass cls = Raise ? FindClass(ClassName) : GetClass(ClassName);
  if (cls && !cls->InheritsFrom(ClassInfoOf<TfrxComponent>()))
    cls = nullptr;
  if (!cls) {
    if (Raise)
      throw EClassNotFound(Format("Class %s not found", {ClassName}));
    return nullptr;
  }
  return static_cast<TfrxComponent*>(cls->Create(AOwner));
}

void TfrxXMLSerializer::FinishObject(TfrxComponent* Obj)
{
  if (!dynamic_cast<TfrxReport*>(Obj))
    Obj->Loaded();
}

void TfrxXMLSerializer::Read(TfrxComponent* Component, TfrxXMLItem* Item)
{
  std::unique_ptr<TfrxXMLDocument> doc;
  if (!Item) {
    doc = std::make_unique<TfrxXMLDocument>();
    doc->LoadFromStream(FStream);
    Item = doc->Root();
  }
  CheckNesting(Item);
  if (!FOwner)
    FOwner = Component;
  std::vector<TfrxComponent*> loaded;
  XMLToObj(Item->Text(), Component);
  loaded.push_back(Component);

  // Depth first in document order; each frame remembers the next child element to read.
  struct TFrame {
    TfrxXMLItem* Item;
    TfrxComponent* Obj;
    Integer Next;
  };
  std::vector<TFrame> stack{{Item, Component, 0}};
  while (!stack.empty()) {
    TFrame& top = stack.back();
    if (top.Next >= top.Item->Count()) {
      stack.pop_back();
      continue;
    }
    TfrxXMLItem* childItem = top.Item->Items(top.Next++);
    TfrxComponent* parent = top.Obj;
    TfrxComponent* child = CreateObject(childItem->Name(), parent, false);
    if (!child) {
      FErrors->Add(ReportResources()->Lookup("xrCantFindClass") + " " + childItem->Name());
      continue;
    }
    XMLToObj(childItem->Text(), child);
    loaded.push_back(child);
    stack.push_back({childItem, child, 0});
  }
  ResolveFixups();
  for (TfrxComponent* obj : loaded)
    FinishObject(obj);
}

void TfrxXMLSerializer::CheckNesting(TfrxXMLItem* Item)
{
  std::vector<std::pair<TfrxXMLItem*, Integer>> pending{{Item, 0}};
  while (!pending.empty()) {
    auto [item, depth] = pending.back();
    pending.pop_back();
    if (item->Count() > 0 && depth >= frxMaxObjectNesting)
      throw Exception("Report objects nested too deep");
    for (Integer i = 0; i < item->Count(); ++i)
      pending.push_back({item->Items(i), depth + 1});
  }
}

TfrxComponent* TfrxXMLSerializer::ReadNewObject(TComponent* AOwner)
{
  AnsiString name, text;
  {
    TfrxXMLReader reader(FStream);
    reader.ReadItem(name, text);
  }
  if (name.empty())
    return nullptr;
  if (name.back() == '/')
    name.pop_back();
  if (!text.empty() && text.back() == '/')
    text.pop_back();
  TfrxComponent* obj = CreateObject(name, AOwner, true);
  if (!FOwner)
    FOwner = AOwner;
  XMLToObj(text, obj);
  ResolveFixups();
  FinishObject(obj);
  return obj;
}

namespace {

// Text without the bytes up to the blank at either end, as Trim removes them.
std::string_view TrimmedView(std::string_view Text)
{
  while (!Text.empty() && static_cast<unsigned char>(Text.front()) <= ' ')
    Text.remove_prefix(1);
  while (!Text.empty() && static_cast<unsigned char>(Text.back()) <= ' ')
    Text.remove_suffix(1);
  return Text;
}

// Whether XMLToObj, reading Text, takes its last attribute value up to a closing quote that
// is Text's last byte (and does not stop before, at a missing name or quote).
bool EndsWithClosedValue(std::string_view Text)
{
  size_t pos = 0;
  while (pos < Text.size()) {
    const size_t open = Text.find('"', pos);
    if (open == std::string_view::npos)
      return false;
    std::string_view name = Text.substr(pos, open - pos);
    if (!name.empty())
      name.remove_suffix(1); // the '='
    if (TrimmedView(name).empty())
      return false;
    const size_t close = Text.find('"', open + 1);
    if (close == std::string_view::npos)
      return false;
    if (close + 1 == Text.size())
      return true;
    pos = close + 2;
  }
  return false;
}

} // namespace

TfrxComponent* TfrxXMLSerializer::ReadObjectFromText(TComponent* AOwner, std::string_view Text)
{
  const std::string_view s = TrimmedView(Text);
  if (s.empty())
    return nullptr;
  const size_t blank = s.find(' ');
  if (blank == std::string_view::npos)
    return ReadObject(AOwner, s, std::string_view(), std::string_view());
  return ReadObject(AOwner, s.substr(0, blank), s.substr(blank + 1), std::string_view());
}

TfrxComponent* TfrxXMLSerializer::ReadObjectFromText(TComponent* AOwner, std::string_view Text,
                                                     std::string_view More)
{
  const std::string_view s = TrimmedView(Text);
  const std::string_view more = TrimmedView(More);
  const size_t blank = s.find(' ');
  if (s.empty() || more.empty())
    return ReadObjectFromText(AOwner, AnsiString(Text) + " " + AnsiString(More));
  if (blank == std::string_view::npos)
    return ReadObject(AOwner, s, more, std::string_view());
  // After an attribute's closing quote the reader skips one byte, the blank that joins the
  // texts, so the second text reads as if it followed in the same text, as long as reading
  // the first one ends with a closing quote as its last byte.
  const std::string_view attributes = s.substr(blank + 1);
  if (!EndsWithClosedValue(attributes))
    return ReadObjectFromText(AOwner, AnsiString(Text) + " " + AnsiString(More));
  return ReadObject(AOwner, s.substr(0, blank), attributes, more);
}

TfrxComponent* TfrxXMLSerializer::ReadObject(TComponent* AOwner, std::string_view ClassName,
                                             std::string_view Attributes, std::string_view More)
{
  TfrxComponent* obj = CreateObject(AnsiString(ClassName), AOwner, true);
  FOwner = AOwner;
  TScopeExit finish([this, obj] {
    ResolveFixups();
    FinishObject(obj);
  });
  XMLToObj(Attributes, obj);
  if (!More.empty())
    XMLToObj(More, obj);
  return obj;
}

void TfrxXMLSerializer::ReadPersistent(TComponent* AOwner, TPersistent* Item,
                                       const AnsiString& Text)
{
  if (!FOwner)
    FOwner = AOwner;
  XMLToObj(Text, Item);
  ResolveFixups();
}

// ---- Platform classes ----

void RegisterSerializedPlatformClasses()
{
  if (!ClassInfoOf<TGraphicsObject>())
    TClassRegistration<TGraphicsObject, TPersistent>("TGraphicsObject");
  if (ClassInfoOf<TFont>())
    return;
  RegisterEnumType<TFontPitch>("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  RegisterEnumType<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterSetType<TFontStyles>("TFontStyles");
  // Size is read (older files carry it) but not written: Height holds the same value.
  TClassRegistration<TFont, TGraphicsObject>("TFont")
      .Property("Charset", &TFont::Charset, &TFont::SetCharset)
      .Property("Color", &TFont::Color, &TFont::SetColor)
      .Type(TColorTypeInfo())
      .Property("Height", &TFont::Height, &TFont::SetHeight)
      .Property("Name", &TFont::Name, &TFont::SetName)
      .Property("Pitch", &TFont::Pitch, &TFont::SetPitch)
      .Default(fpDefault)
      .Property("Size", &TFont::Size, &TFont::SetSize)
      .Stored(false)
      .Property("Style", &TFont::Style, &TFont::SetStyle);
}
