// TByteCursor, TWriter and TReader over the binary property format of Filer.h.
#include "platform/rtl/Filer.h"

#include <cstring>
#include <limits>
#include <memory>
#include <set>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

namespace {

// Lists and collections nest at most this deep; deeper data is treated as corrupt.
constexpr int MaxNesting = 256;

[[noreturn]] void RaiseReadError()
{
  throw EReadError(SReadError);
}
[[noreturn]] void RaiseValueError()
{
  throw EReadError(SInvalidPropertyValue);
}

// The next sizeof(T) bytes of the cursor as a T; the formats are little-endian, as is the
// host.
template <class T> T TakeLE(TByteCursor& cursor)
{
  T value{};
  cursor.Read(&value, sizeof(T));
  return value;
}

// Reads a value of tag Tag whose payload is the bytes of one T; false, with nothing read,
// when the next value has another tag (the caller then reads it as an integer).
template <class T> bool ReadFixed(TReader& Reader, TValueType Tag, T& Value)
{
  if (Reader.NextValue() != Tag)
    return false;
  Reader.ReadValue();
  Reader.Read(&Value, sizeof(T));
  return true;
}

// Collects Component and everything GetChildren lists below it (Root as the root), as the
// writer will visit them.
void CollectWritten(TComponent* Component, TComponent* Root, std::set<TComponent*>& Written)
{
  if (!Written.insert(Component).second)
    return;
  Component->GetChildren(
      TGetChildProc([&](TComponent* Child) { CollectWritten(Child, Root, Written); }), Root);
}

// How a message names a component: by its name, by its class when it has none.
AnsiString ComponentTitle(TComponent* Component)
{
  return Component->Name().empty() ? Component->ClassName() : Component->Name();
}

} // namespace

// ---- TByteCursor ----

void TByteCursor::Require(size_t Count, size_t ElementSize) const
{
  if (ElementSize != 0 && Count > std::numeric_limits<size_t>::max() / ElementSize)
    RaiseReadError();
  if (Count * ElementSize > Left())
    RaiseReadError();
}

void TByteCursor::Read(void* Dest, size_t Count)
{
  Require(Count);
  if (Count)
    std::memcpy(Dest, FData + FPos, Count);
  FPos += Count;
}

void TByteCursor::Skip(size_t Count)
{
  Require(Count);
  FPos += Count;
}

Byte TByteCursor::ReadByte()
{
  Require(1);
  return FData[FPos++];
}

Word TByteCursor::ReadWord()
{
  return TakeLE<Word>(*this);
}

Integer TByteCursor::ReadInt32()
{
  return TakeLE<Integer>(*this);
}

Cardinal TByteCursor::ReadCardinal()
{
  return TakeLE<Cardinal>(*this);
}

Int64 TByteCursor::ReadInt64()
{
  return TakeLE<Int64>(*this);
}

AnsiString TByteCursor::ReadString(size_t Count)
{
  Require(Count);
  AnsiString s(reinterpret_cast<const char*>(FData + FPos), Count);
  FPos += Count;
  return s;
}

// ---- TWriter ----

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc& WriteData, bool HasData)
{
  if (!HasData || !WriteData)
    return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc& WriteData, bool HasData)
{
  if (!HasData || !WriteData)
    return;
  TMemoryStream block;
  WriteData(&block);
  Int64 size = block.Size();
  if (size > MaxInt)
    throw EWriteError(SWriteError);
  WritePropName(Name);
  WriteValue(vaBinary);
  Integer length = static_cast<Integer>(size);
  Write(&length, 4);
  Write(block.Memory(), length);
}

void TWriter::WriteDefinedProperties(TPersistent* Instance)
{
  CallDefineProperties(Instance, this);
}

void TWriter::WriteProperties(TPersistent* Instance)
{
  auto* ancestor = dynamic_cast<TPersistent*>(Ancestor());
  if (ancestor && ancestor->ClassType() != Instance->ClassType())
    ancestor = nullptr;
  for (PPropInfo prop : GetPropInfos(Instance->ClassType()))
    WriteProperty(Instance, prop, ancestor);
  WriteDefinedProperties(Instance);
}

// Writes one published property when it is stored and not at its default.
void TWriter::WriteProperty(TPersistent* Instance, PPropInfo Prop, TPersistent* Ancestor)
{
  if (!IsStoredProp(Instance, Prop))
    return;
  const TPropAccessor& access = *Prop->Access;
  PTypeInfo type = Prop->PropType;
  TTypeKind kind = type->Kind;
  if (kind == tkMethod) {
    WriteMethodProperty(Instance, Prop, Ancestor);
    return;
  }
  if (kind == tkVariant || kind == tkUnknown)
    return;
  if (kind != tkClass && Prop->ReadOnly())
    return;
  if (kind != tkClass) {
    bool same = Ancestor ? false : IsDefaultPropValue(Instance, Prop);
    if (Ancestor) {
      switch (kind) {
      case tkInt64:
        same = access.GetInt64(Instance) == access.GetInt64(Ancestor);
        break;
      case tkFloat:
        same = access.GetFloat(Instance) == access.GetFloat(Ancestor);
        break;
      case tkString:
      case tkLString:
        same = access.GetStr(Instance) == access.GetStr(Ancestor);
        break;
      case tkWString:
        same = access.GetWideStr(Instance) == access.GetWideStr(Ancestor);
        break;
      default:
        same = access.GetOrd(Instance) == access.GetOrd(Ancestor);
      }
    }
    if (same)
      return;
  }
  switch (kind) {
  case tkInteger:
    WritePropName(Prop->Name);
    WriteInteger(access.GetOrd(Instance));
    return;
  case tkChar:
    WritePropName(Prop->Name);
    WriteString(AnsiString(1, static_cast<char>(access.GetOrd(Instance))));
    return;
  case tkWChar:
    WritePropName(Prop->Name);
    WriteWideString(WideString(1, static_cast<WideChar>(access.GetOrd(Instance))));
    return;
  case tkEnumeration:
    WritePropName(Prop->Name);
    WriteIdent(GetEnumName(type, static_cast<Integer>(access.GetOrd(Instance))));
    return;
  case tkSet: {
    WritePropName(Prop->Name);
    WriteValue(vaSet);
    auto mask = static_cast<std::uint32_t>(access.GetOrd(Instance));
    for (int bit = 0; bit < 32; ++bit)
      if (mask >> bit & 1u)
        WriteStr(GetEnumName(type->CompType, bit));
    WriteStr(AnsiString());
    return;
  }
  case tkInt64:
    WritePropName(Prop->Name);
    WriteInteger(access.GetInt64(Instance));
    return;
  case tkFloat: {
    WritePropName(Prop->Name);
    Extended value = access.GetFloat(Instance);
    if (type->FloatType == ftSingle)
      WriteSingle(static_cast<Single>(value));
    else if (type->FloatType == ftCurr)
      WriteCurrency(Currency(value));
    else if (type->Name == "TDateTime" || type->Name == "TDate" || type->Name == "TTime")
      WriteDate(static_cast<TDateTime>(value));
    else
      WriteFloat(value);
    return;
  }
  case tkString:
  case tkLString:
    WritePropName(Prop->Name);
    WriteString(access.GetStr(Instance));
    return;
  case tkWString:
    WritePropName(Prop->Name);
    WriteWideString(access.GetWideStr(Instance));
    return;
  case tkClass: {
    TObject* value = access.GetObject(Instance);
    if (auto* component = dynamic_cast<TComponent*>(value)) {
      AnsiString name = ReferenceName(component);
      if (name.empty())
        return;
      WritePropName(Prop->Name);
      WriteIdent(name);
    } else if (auto* collection = dynamic_cast<TCollection*>(value)) {
      WritePropName(Prop->Name);
      WriteCollection(collection);
    } else if (auto* persistent = dynamic_cast<TPersistent*>(value)) {
      TScopeExit restore([this, saved = FPropPath, savedAncestor = this->Ancestor()] {
        FPropPath = saved;
        SetAncestor(savedAncestor);
      });
      FPropPath += Prop->Name + ".";
      SetAncestor(nullptr);
      WriteProperties(persistent);
    }
    return;
  }
  default:
    return;
  }
}

// An event is written as the name of the root's published method that handles it; any
// other handler has no name a reader could bind, and is left out.
void TWriter::WriteMethodProperty(TPersistent* Instance, PPropInfo Prop, TPersistent* Ancestor)
{
  if (!Root())
    return;
  AnsiString name = MethodName(Root(), Prop->Access->GetMethod(Instance));
  if (name.empty())
    return;
  if (Ancestor && MethodName(Root(), Prop->Access->GetMethod(Ancestor)) == name)
    return;
  WritePropName(Prop->Name);
  WriteIdent(name);
}

AnsiString TWriter::ReferenceName(TComponent* Value)
{
  if (Value->Name().empty())
    return AnsiString();
  if (Value == Root())
    return "Owner";
  if (!Value->Owner() || Value->Owner() == Root())
    return Value->Name();
  if (Value->Owner()->Name().empty())
    return AnsiString();
  return Value->Owner()->Name() + "." + Value->Name();
}

void TWriter::WriteCollection(TCollection* Value)
{
  WriteValue(vaCollection);
  {
    TScopeExit restore([this, saved = FPropPath] { FPropPath = saved; });
    FPropPath.clear();
    for (Integer i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteRootComponent(TComponent* Root)
{
  SetRoot(Root);
  WriteComponent(Root);
}

void TWriter::CheckNothingDropped(TComponent* Root)
{
  std::set<TComponent*> written;
  CollectWritten(Root, Root, written);
  for (Integer i = 0; i < Root->ComponentCount(); ++i) {
    TComponent* owned = Root->Components(i);
    if (!written.count(owned))
      throw EWriteError(
          Format(SComponentNotWritten, {ComponentTitle(Root), ComponentTitle(owned)}));
  }
}

void TWriter::WriteComponent(TComponent* Component)
{
  if (!Root()) {
    CheckNothingDropped(Component);
    SetRoot(Component);
  } else if (Component == Root()) {
    CheckNothingDropped(Component);
  }
  Component->FComponentState.Include(csWriting);
  TScopeExit done([Component] { Component->FComponentState.Exclude(csWriting); });
  WriteStr(Component->ClassName());
  WriteStr(Component->Name());
  WriteProperties(Component);
  WriteListEnd();
  Component->GetChildren(TGetChildProc::Bind(this, &TWriter::WriteChild), Root());
  WriteListEnd();
}

void TWriter::WriteChild(TComponent* Child)
{
  WriteComponent(Child);
}

void TWriter::Write(const void* Buffer, Integer Count)
{
  Stream()->WriteBuffer(Buffer, Count);
}

void TWriter::WriteValue(TValueType Value)
{
  Byte tag = static_cast<Byte>(Value);
  Write(&tag, 1);
}

void TWriter::WriteInteger(Int64 Value)
{
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    auto v = static_cast<std::int8_t>(Value);
    Write(&v, 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    auto v = static_cast<std::int16_t>(Value);
    Write(&v, 2);
  } else if (Value >= -2147483647LL - 1 && Value <= 2147483647LL) {
    WriteValue(vaInt32);
    auto v = static_cast<std::int32_t>(Value);
    Write(&v, 4);
  } else {
    WriteValue(vaInt64);
    Write(&Value, 8);
  }
}

void TWriter::WriteString(const AnsiString& Value)
{
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
    return;
  }
  if (Value.size() > static_cast<size_t>(MaxInt))
    throw EWriteError(SWriteError);
  WriteValue(vaLString);
  Integer length = static_cast<Integer>(Value.size());
  Write(&length, 4);
  Write(Value.data(), length);
}

void TWriter::WriteWideString(const WideString& Value)
{
  if (Value.size() > static_cast<size_t>(MaxInt / 2))
    throw EWriteError(SWriteError);
  WriteValue(vaWString);
  Integer length = static_cast<Integer>(Value.size());
  Write(&length, 4);
  Write(Value.data(), length * 2);
}

void TWriter::WriteFloat(Extended Value)
{
  Byte bytes[10];
  DoubleToExtendedBytes(static_cast<double>(Value), bytes);
  WriteValue(vaExtended);
  Write(bytes, 10);
}

void TWriter::WriteSingle(Single Value)
{
  WriteValue(vaSingle);
  Write(&Value, 4);
}

void TWriter::WriteCurrency(Currency Value)
{
  WriteValue(vaCurrency);
  Int64 raw = Value.Raw();
  Write(&raw, 8);
}

void TWriter::WriteDate(TDateTime Value)
{
  WriteValue(vaDate);
  Write(&Value, 8);
}

void TWriter::WriteVariant(const Variant& Value)
{
  switch (VarType(Value)) {
  case varEmpty:
    WriteValue(vaNil);
    return;
  case varNull:
    WriteValue(vaNull);
    return;
  case varShortInt:
  case varByte:
  case varSmallint:
  case varWord:
  case varInteger:
    WriteInteger(Value.AsInt64());
    return;
  case varLongWord:
  case varInt64:
    WriteValue(vaInt64);
    {
      Int64 v = Value.AsInt64();
      Write(&v, 8);
    }
    return;
  case varSingle:
    WriteSingle(static_cast<Single>(Value.AsDouble()));
    return;
  case varDouble:
    WriteFloat(Value.AsDouble());
    return;
  case varCurrency:
    WriteCurrency(Value.AsCurrency());
    return;
  case varDate:
    WriteDate(Value.AsDateTime());
    return;
  case varBoolean:
    WriteBoolean(Value.AsBoolean());
    return;
  case varString:
    WriteString(Value.AsString());
    return;
  case varOleStr:
    WriteWideString(Value.AsWideString());
    return;
  default:
    throw EWriteError(SWriteError);
  }
}

void TWriter::WriteIdent(const AnsiString& Ident)
{
  auto same = [&](const char* word) {
    if (Ident.size() != std::strlen(word))
      return false;
    for (size_t i = 0; i < Ident.size(); ++i)
      if ((Ident[i] | 0x20) != (word[i] | 0x20))
        return false;
    return true;
  };
  if (same("False")) {
    WriteValue(vaFalse);
  } else if (same("True")) {
    WriteValue(vaTrue);
  } else if (same("nil")) {
    WriteValue(vaNil);
  } else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WritePropName(const AnsiString& Name)
{
  WriteStr(FPropPath + Name);
}

void TWriter::WriteStr(const AnsiString& Value)
{
  if (Value.size() > 255)
    throw EWriteError(SWriteError);
  Byte length = static_cast<Byte>(Value.size());
  Write(&length, 1);
  Write(Value.data(), length);
}

// ---- TReader ----

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                             const TWriterProc& WriteData, bool HasData)
{
  if (FPropHandled || !ReadData || !SameText(Name, FPropName))
    return;
  ReadData(this);
  FPropHandled = true;
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                   const TStreamProc& WriteData, bool HasData)
{
  if (FPropHandled || !ReadData || !SameText(Name, FPropName))
    return;
  CheckValue(vaBinary);
  Integer length = ReadLength();
  TMemoryStream block;
  block.SetSize(length);
  Read(block.Memory(), length);
  block.SetPosition(0);
  ReadData(&block);
  FPropHandled = true;
}

void TReader::ReadProperty(TPersistent* Instance)
{
  AnsiString fullName = ReadStr();
  auto unknown = [&]() {
    SkipValue();
    throw EReadError("Property " + fullName + " does not exist");
  };
  // A dotted name walks through the persistent objects held by properties.
  TPersistent* target = Instance;
  AnsiString name = fullName;
  for (size_t dot = name.find('.'); dot != AnsiString::npos; dot = name.find('.')) {
    PPropInfo holder = GetPropInfo(target, name.substr(0, dot));
    TPersistent* next = nullptr;
    if (holder && holder->Kind() == tkClass)
      next = dynamic_cast<TPersistent*>(holder->Access->GetObject(target));
    if (!next)
      unknown();
    target = next;
    name.erase(0, dot + 1);
  }
  FPropName = name;
  FPropHandled = false;
  CallDefineProperties(target, this);
  if (FPropHandled)
    return;
  PPropInfo prop = GetPropInfo(target, name);
  if (!prop)
    unknown();
  if (prop->Kind() == tkMethod) {
    ReadMethodProperty(target, prop);
    return;
  }
  if (prop->Kind() == tkVariant) {
    SkipValue(); // never written; tolerated in input
    return;
  }
  ReadPublished(target, prop);
}

void TReader::ReadPublished(TPersistent* Instance, PPropInfo Prop)
{
  PTypeInfo type = Prop->PropType;
  switch (type->Kind) {
  case tkInteger:
    SetOrdProp(Instance, Prop, ReadInteger());
    return;
  case tkChar: {
    if (NextValue() == vaString || NextValue() == vaLString) {
      AnsiString text = ReadString();
      SetOrdProp(Instance, Prop, text.empty() ? 0 : static_cast<unsigned char>(text[0]));
    } else {
      SetOrdProp(Instance, Prop, ReadInteger());
    }
    return;
  }
  case tkWChar: {
    WideString text = ReadWideString();
    SetOrdProp(Instance, Prop, text.empty() ? 0 : text[0]);
    return;
  }
  case tkEnumeration: {
    Integer value = GetEnumValue(type, ReadIdent());
    if (value < 0)
      RaiseValueError();
    SetOrdProp(Instance, Prop, value);
    return;
  }
  case tkSet:
    SetOrdProp(Instance, Prop, static_cast<std::uint32_t>(ReadSet(type)));
    return;
  case tkInt64:
    SetInt64Prop(Instance, Prop, ReadInt64());
    return;
  case tkFloat:
    SetFloatProp(Instance, Prop, ReadFloat());
    return;
  case tkString:
  case tkLString:
    SetStrProp(Instance, Prop, ReadString());
    return;
  case tkWString:
    SetWideStrProp(Instance, Prop, ReadWideString());
    return;
  case tkClass: {
    TValueType next = NextValue();
    if (next == vaCollection) {
      auto* collection = dynamic_cast<TCollection*>(Prop->Access->GetObject(Instance));
      if (!collection)
        RaiseValueError();
      ReadCollection(collection);
    } else if (next == vaNil) {
      ReadValue();
      SetObjectProp(Instance, Prop, nullptr);
    } else {
      AnsiString name = ReadIdent();
      if (TComponent* found = FindReference(name))
        SetObjectProp(Instance, Prop, found);
      else
        FFixups.push_back({Instance, Prop, name});
    }
    return;
  }
  default:
    SkipValue();
  }
}

// An event names a published method of the root being read into; nil clears it. A name
// the root does not publish raises EReadError "Method '<name>' not found".
void TReader::ReadMethodProperty(TPersistent* Instance, PPropInfo Prop)
{
  if (NextValue() == vaNil) {
    ReadValue();
    SetMethodProp(Instance, Prop, TMethod());
    return;
  }
  AnsiString name = ReadIdent();
  TMethod method = MethodAddress(Root(), name);
  if (!method)
    throw EReadError(Format(SMethodNotFound, {name}));
  SetMethodProp(Instance, Prop, method);
}

Integer TReader::ReadSet(PTypeInfo SetType)
{
  CheckValue(vaSet);
  std::uint32_t mask = 0;
  bool bad = false;
  for (AnsiString name = ReadStr(); !name.empty(); name = ReadStr()) {
    Integer ord = GetEnumValue(SetType->CompType, name);
    if (ord < 0 || ord > 31)
      bad = true; // read on to the end of the set before failing
    else
      mask |= 1u << ord;
  }
  if (bad)
    RaiseValueError();
  return static_cast<Integer>(mask);
}

TComponent* TReader::FindReference(const AnsiString& Name)
{
  TComponent* root = Root();
  if (!root)
    return nullptr;
  if (SameText(Name, "Owner"))
    return root;
  size_t dot = Name.find('.');
  if (dot == AnsiString::npos)
    return SameText(root->Name(), Name) ? root : root->FindComponent(Name);
  // "Owner.Component": the owner is the root's or one of its components.
  AnsiString ownerName = Name.substr(0, dot);
  TComponent* owner = SameText(root->Name(), ownerName) ? root : root->FindComponent(ownerName);
  return owner ? owner->FindComponent(Name.substr(dot + 1)) : nullptr;
}

void TReader::FixupReferences()
{
  std::vector<Fixup> pending;
  pending.swap(FFixups);
  for (const Fixup& f : pending)
    if (TComponent* found = FindReference(f.Name))
      SetObjectProp(f.Instance, f.Prop, found);
}

void TReader::ReadCollection(TCollection* Value)
{
  TScopeExit depth([this] { --FDepth; });
  if (++FDepth > MaxNesting)
    RaiseReadError();
  CheckValue(vaCollection);
  TUpdateScope update(*Value);
  Value->Clear();
  while (!EndOfList()) {
    TValueType next = NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32)
      ReadInteger(); // an item order some writers put first; the order read is kept
    TCollectionItem* item = Value->Add();
    ReadListBegin();
    while (!AtPropertyListEnd())
      ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

TComponent* TReader::ReadComponent(TComponent* Component)
{
  if (++FDepth > MaxNesting)
    RaiseReadError();
  AnsiString className = ReadStr();
  AnsiString name = ReadStr();
  if (!Component) {
    TObject* made = FindClass(className)->Create(Root());
    Component = dynamic_cast<TComponent*>(made);
    if (!Component) {
      delete made;
      RaiseValueError();
    }
    if (FParent)
      Component->SetParentComponent(FParent);
  }
  Component->FComponentState.Include(csLoading);
  Component->FComponentState.Include(csReading);
  FLoaded.push_back(Component);
  if (!name.empty())
    Component->SetName(name);
  Component->ReadState(this);
  --FDepth;
  return Component;
}

void TComponent::ReadState(TReader* Reader)
{
  Reader->ReadData(this);
}

void TReader::ReadData(TComponent* Instance)
{
  ReadDefinedProperties(Instance);
  TComponent* savedParent = FParent;
  FParent = Instance;
  while (!EndOfList())
    ReadComponent(nullptr);
  ReadListEnd();
  FParent = savedParent;
}

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
  std::unique_ptr<TComponent> created; // a root made here dies with a failed read
  if (!Root) {
    Int64 start = Stream()->Position();
    TObject* made = FindClass(ReadStr())->Create(nullptr);
    Root = dynamic_cast<TComponent*>(made);
    if (!Root) {
      delete made;
      RaiseValueError();
    }
    created.reset(Root);
    Stream()->SetPosition(start);
  }
  SetRoot(Root);
  FLoaded.clear();
  FFixups.clear();
  FDepth = 0;
  FParent = nullptr;
  {
    // A failed read leaves no component in the loading state.
    TUndoOnError endLoading([this] {
      for (TComponent* c : FLoaded) {
        c->FComponentState.Exclude(csReading);
        c->FComponentState.Exclude(csLoading);
      }
      FLoaded.clear();
    });
    ReadComponent(Root);
    FixupReferences();
  }
  std::vector<TComponent*> loaded;
  loaded.swap(FLoaded);
  for (TComponent* c : loaded)
    c->FComponentState.Exclude(csReading);
  created.release();
  for (TComponent* c : loaded)
    c->Loaded();
  return Root;
}

void TReader::ReadDefinedProperties(TPersistent* Instance)
{
  while (!EndOfData()) {
    if (AtPropertyListEnd()) {
      ReadValue();
      return;
    }
    ReadProperty(Instance);
  }
}

// A property starts with its name's length byte, which may be any value but 0; only the
// end of the list is a value tag (vaNull).
bool TReader::AtPropertyListEnd()
{
  Byte first = 0;
  Read(&first, 1);
  Stream()->Seek(-1, soFromCurrent);
  return first == vaNull;
}

void TReader::Require(Int64 Count)
{
  if (Count < 0 || Count > Stream()->Size() - Stream()->Position())
    RaiseReadError();
}

void TReader::Read(void* Buffer, Integer Count)
{
  Require(Count);
  Stream()->ReadBuffer(Buffer, Count);
}

bool TReader::EndOfData()
{
  return Stream()->Position() >= Stream()->Size();
}

TValueType TReader::ReadValue()
{
  Byte tag = 0;
  Read(&tag, 1);
  if (tag > vaInt64)
    RaiseReadError();
  return static_cast<TValueType>(tag);
}

TValueType TReader::NextValue()
{
  TValueType value = ReadValue();
  Stream()->Seek(-1, soFromCurrent);
  return value;
}

void TReader::CheckValue(TValueType Value)
{
  if (ReadValue() != Value) {
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

Integer TReader::ReadLength()
{
  Integer length = 0;
  Read(&length, 4);
  Require(length); // a negative or oversized length is corrupt data
  return length;
}

Integer TReader::ReadInteger()
{
  switch (ReadValue()) {
  case vaInt8: {
    std::int8_t v;
    Read(&v, 1);
    return v;
  }
  case vaInt16: {
    std::int16_t v;
    Read(&v, 2);
    return v;
  }
  case vaInt32: {
    std::int32_t v;
    Read(&v, 4);
    return v;
  }
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

Int64 TReader::ReadInt64()
{
  if (NextValue() != vaInt64)
    return ReadInteger();
  ReadValue();
  Int64 v;
  Read(&v, 8);
  return v;
}

bool TReader::ReadBoolean()
{
  TValueType value = ReadValue();
  if (value == vaTrue)
    return true;
  if (value == vaFalse)
    return false;
  Stream()->Seek(-1, soFromCurrent);
  RaiseValueError();
}

AnsiString TReader::ReadString()
{
  switch (ReadValue()) {
  case vaString:
    return ReadStr();
  case vaLString: {
    Integer length = ReadLength();
    AnsiString s(static_cast<size_t>(length), '\0');
    Read(s.data(), length);
    return s;
  }
  case vaWString:
    Stream()->Seek(-1, soFromCurrent);
    return WideToGbk(ReadWideString());
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

WideString TReader::ReadWideString()
{
  if (NextValue() != vaWString)
    return GbkToWide(ReadString());
  ReadValue();
  Integer length = 0;
  Read(&length, 4);
  if (length < 0 || length > MaxInt / 2)
    RaiseReadError();
  Require(Int64(length) * 2);
  WideString s(static_cast<size_t>(length), u'\0');
  Read(s.data(), length * 2);
  return s;
}

Extended TReader::ReadFloat()
{
  switch (NextValue()) {
  case vaExtended: {
    ReadValue();
    Byte bytes[10];
    Read(bytes, 10);
    return ExtendedBytesToDouble(bytes);
  }
  case vaSingle:
    return ReadSingle();
  case vaCurrency:
    return ReadCurrency().ToExtended();
  case vaDate:
    return ReadDate();
  default:
    return ReadInt64();
  }
}

Single TReader::ReadSingle()
{
  Single v;
  return ReadFixed(*this, vaSingle, v) ? v : static_cast<Single>(ReadInt64());
}

Currency TReader::ReadCurrency()
{
  Int64 raw;
  return ReadFixed(*this, vaCurrency, raw) ? Currency::FromRaw(raw) : Currency(ReadInt64());
}

TDateTime TReader::ReadDate()
{
  double v;
  return ReadFixed(*this, vaDate, v) ? v : static_cast<TDateTime>(ReadInt64());
}

Variant TReader::ReadVariant()
{
  switch (NextValue()) {
  case vaNil:
    ReadValue();
    return Variant();
  case vaNull:
    ReadValue();
    return ::Null();
  case vaInt8:
  case vaInt16:
  case vaInt32:
    return Variant(ReadInteger());
  case vaInt64:
    return Variant(ReadInt64());
  case vaSingle:
    return Variant(ReadSingle());
  case vaExtended:
    return Variant(static_cast<Double>(ReadFloat()));
  case vaCurrency:
    return Variant(ReadCurrency());
  case vaDate:
    return VarFromDateTime(ReadDate());
  case vaFalse:
  case vaTrue:
    return Variant(ReadBoolean());
  case vaString:
  case vaLString:
    return Variant(ReadString());
  case vaWString:
    return Variant(ReadWideString());
  default:
    RaiseValueError();
  }
}

AnsiString TReader::ReadIdent()
{
  switch (ReadValue()) {
  case vaIdent:
    return ReadStr();
  case vaFalse:
    return "False";
  case vaTrue:
    return "True";
  case vaNil:
    return "nil";
  case vaNull:
    return "Null";
  default:
    Stream()->Seek(-1, soFromCurrent);
    RaiseValueError();
  }
}

AnsiString TReader::ReadStr()
{
  Byte length = 0;
  Read(&length, 1);
  AnsiString s(length, '\0');
  Read(s.data(), length);
  return s;
}

void TReader::SkipValue()
{
  SkipValue(0);
}

void TReader::SkipValue(int Depth)
{
  if (Depth > MaxNesting)
    RaiseReadError();
  auto skip = [this](Int64 count) {
    Require(count);
    Stream()->Seek(count, soFromCurrent);
  };
  switch (ReadValue()) {
  case vaNull:
  case vaFalse:
  case vaTrue:
  case vaNil:
    return;
  case vaList:
    while (NextValue() != vaNull)
      SkipValue(Depth + 1);
    ReadValue();
    return;
  case vaInt8:
    return skip(1);
  case vaInt16:
    return skip(2);
  case vaInt32:
  case vaSingle:
    return skip(4);
  case vaInt64:
  case vaCurrency:
  case vaDate:
    return skip(8);
  case vaExtended:
    return skip(10);
  case vaString:
  case vaIdent:
    ReadStr();
    return;
  case vaBinary:
  case vaLString:
    skip(ReadLength());
    return;
  case vaWString: {
    Integer length = 0;
    Read(&length, 4);
    if (length < 0)
      RaiseReadError();
    return skip(Int64(length) * 2);
  }
  case vaSet:
    while (!ReadStr().empty()) {
    }
    return;
  case vaCollection:
    // Items: an optional order value, then a list of properties.
    while (NextValue() != vaNull) {
      if (NextValue() != vaList)
        SkipValue(Depth + 1);
      CheckValue(vaList);
      while (NextValue() != vaNull) {
        ReadStr();
        SkipValue(Depth + 1);
      }
      ReadValue();
    }
    ReadValue();
    return;
  }
}
