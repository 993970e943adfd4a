// The base classes as scripts see them: objects, persistents, components, collections, the
// pointer list, string lists, streams and the script XML document, with the file-mode,
// seek-origin and duplicates constants. The registration object owns its entries in
// GlobalScriptUnit; each member is one callback that forwards to the platform operation.
#include <cstdint>
#include <memory>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "report/script/fsBindingHelpers.h"
#include "report/script/fsEvents.h"
#include "report/script/fsScript.h"
#include "report/script/fsScriptUnits.h"
#include "report/script/fsXMLDocument.h"

namespace {

using namespace fsbinding;

// A 64-bit count that fits 32 bits reads as an Integer.
Variant Int64Result(Int64 value)
{
  if (value >= INT32_MIN && value <= INT32_MAX)
    return Variant(static_cast<Integer>(value));
  return Variant(value);
}

// Frees an object a script made: its event sinks go first.
void FreeScriptObject(TObject* instance)
{
  if (!instance)
    return;
  RemoveEventsOfInstance(instance);
  delete instance;
}

class TFunctions : public TObject {
public:
  TFunctions();
  ~TFunctions() override;

private:
  void RegisterBase(TfsScript* script);
  void RegisterLists(TfsScript* script);
  void RegisterStreams(TfsScript* script);
  void RegisterXML(TfsScript* script);
};

std::unique_ptr<TFunctions> Functions;

TFunctions::TFunctions()
{
  TfsScript* global = GlobalScriptUnit();
  global->SetAddedBy(this);
  for (const auto& [name, value] :
       {std::pair{"fmCreate", fmCreate}, std::pair{"fmOpenRead", fmOpenRead},
        std::pair{"fmOpenWrite", fmOpenWrite}, std::pair{"fmOpenReadWrite", fmOpenReadWrite},
        std::pair{"fmShareExclusive", fmShareExclusive},
        std::pair{"fmShareDenyWrite", fmShareDenyWrite},
        std::pair{"fmShareDenyNone", fmShareDenyNone},
        std::pair{"soFromBeginning", soFromBeginning}, std::pair{"soFromCurrent", soFromCurrent},
        std::pair{"soFromEnd", soFromEnd}})
    global->RegisterScriptConst(name, "Integer", Variant(static_cast<Integer>(value)));
  global->RegisterScriptEnum("TDuplicates", "dupIgnore, dupAccept, dupError");
  RegisterBase(global);
  RegisterLists(global);
  RegisterStreams(global);
  RegisterXML(global);
  global->SetAddedBy(nullptr);
}

TFunctions::~TFunctions()
{
  if (TfsScript* global = GlobalScriptUnit())
    global->RemoveItemsOwnedBy(this);
}

void TFunctions::RegisterBase(TfsScript* script)
{
  TfsClassVariable* object = script->RegisterScriptClass(TObjectClass(), "");
  // The class the script named, through its virtual constructor.
  object->AddConstructor(
      "constructor Create",
      TfsCallArgsEvent([](TObject*, TClass cls, const AnsiString&, TfsCallArgs&) -> Variant {
        return VarFromObject(cls->Create(nullptr));
      }));
  object
      ->AddMethod("procedure Free", Call([](TObject* self, TfsCallArgs&) {
                    FreeScriptObject(self);
                    return Null();
                  }))
      ->SetAcceptsNil(true);
  object->AddMethod("function ClassName: String",
                    Call([](TObject* self, TfsCallArgs&) { return Variant(self->ClassName()); }));

  TfsClassVariable* persistent = script->RegisterScriptClass(ClassInfoOf<TPersistent>(), "TObject");
  persistent->AddMethod("procedure Assign(Source: TPersistent)",
                        Call([](TObject* self, TfsCallArgs& args) {
                          Self<TPersistent>(self)->Assign(ObjArg<TPersistent>(args, 0));
                          return Null();
                        }));

  TfsClassVariable* component =
      script->RegisterScriptClass(ClassInfoOf<TComponent>(), "TPersistent");
  component->AddConstructor(
      "constructor Create(AOwner: TComponent)",
      TfsCallArgsEvent([](TObject*, TClass cls, const AnsiString&, TfsCallArgs& args) -> Variant {
        return VarFromObject(cls->Create(ObjArg<TComponent>(args, 0)));
      }));
  component->AddProperty("Owner", "TComponent", Get([](TObject* self) {
                           return VarFromObject(Self<TComponent>(self)->Owner());
                         }));

  script->RegisterScriptClass(ClassInfoOf<TCollectionItem>(), "TPersistent");
  TfsClassVariable* collection =
      script->RegisterScriptClass(ClassInfoOf<TCollection>(), "TPersistent");
  collection->AddMethod("procedure Clear", Call([](TObject* self, TfsCallArgs&) {
                          Self<TCollection>(self)->Clear();
                          return Null();
                        }));
  collection->AddProperty("Count", "Integer", Get([](TObject* self) {
                            return Variant(Self<TCollection>(self)->Count());
                          }));
  collection->AddDefaultProperty(
      "Items", "Integer", "TCollectionItem", Call([](TObject* self, TfsCallArgs& args) {
        return VarFromObject(Self<TCollection>(self)->Items(IntArg(args, 0)));
      }),
      true);
}

void TFunctions::RegisterLists(TfsScript* script)
{
  TfsClassVariable* list = script->RegisterScriptClass(ClassInfoOf<TList>(), "TObject");
  list->AddMethod("function Add(Item: TObject): Integer",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return Variant(Self<TList>(self)->Add(VarToObject(args[0])));
                  }));
  list->AddMethod("procedure Clear", Call([](TObject* self, TfsCallArgs&) {
                    Self<TList>(self)->Clear();
                    return Null();
                  }));
  list->AddMethod("procedure Delete(Index: Integer)", Call([](TObject* self, TfsCallArgs& args) {
                    Self<TList>(self)->Delete(IntArg(args, 0));
                    return Null();
                  }));
  list->AddMethod("function IndexOf(Item: TObject): Integer",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return Variant(Self<TList>(self)->IndexOf(VarToObject(args[0])));
                  }));
  list->AddMethod("procedure Insert(Index: Integer; Item: TObject)",
                  Call([](TObject* self, TfsCallArgs& args) {
                    Self<TList>(self)->Insert(IntArg(args, 0), VarToObject(args[1]));
                    return Null();
                  }));
  list->AddMethod("function Remove(Item: TObject): Integer",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return Variant(Self<TList>(self)->Remove(VarToObject(args[0])));
                  }));
  list->AddProperty("Count", "Integer",
                    Get([](TObject* self) { return Variant(Self<TList>(self)->Count()); }));
  // The items are objects (what scripts store); a pointer that is no live object reads as nil.
  list->AddDefaultProperty("Items", "Integer", "TObject",
                           TfsCallArgsEvent([](TObject* self, TClass, const AnsiString& name,
                                               TfsCallArgs& args) -> Variant {
                             auto* l = Self<TList>(self);
                             if (name == "ITEMS.SET") {
                               l->SetItems(IntArg(args, 0), VarToObject(args[1]));
                               return Null();
                             }
                             return VarFromObject(static_cast<TObject*>(l->Items(IntArg(args, 0))));
                           }));

  TfsClassVariable* strings = script->RegisterScriptClass(ClassInfoOf<TStrings>(), "TPersistent");
  strings->AddMethod("function Add(const S: string): Integer",
                     Call([](TObject* self, TfsCallArgs& args) {
                       return Variant(Self<TStrings>(self)->Add(StrArg(args, 0)));
                     }));
  strings->AddMethod("function AddObject(const S: string; AObject: TObject): Integer",
                     Call([](TObject* self, TfsCallArgs& args) {
                       return Variant(
                           Self<TStrings>(self)->AddObject(StrArg(args, 0), VarToObject(args[1])));
                     }));
  strings->AddMethod("procedure Clear", Call([](TObject* self, TfsCallArgs&) {
                       Self<TStrings>(self)->Clear();
                       return Null();
                     }));
  strings->AddMethod("procedure Delete(Index: Integer)", Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->Delete(IntArg(args, 0));
                       return Null();
                     }));
  strings->AddMethod("function IndexOf(const S: string): Integer",
                     Call([](TObject* self, TfsCallArgs& args) {
                       return Variant(Self<TStrings>(self)->IndexOf(StrArg(args, 0)));
                     }));
  strings->AddMethod("function IndexOfName(const Name: string): Integer",
                     Call([](TObject* self, TfsCallArgs& args) {
                       return Variant(Self<TStrings>(self)->IndexOfName(StrArg(args, 0)));
                     }));
  strings->AddMethod("function IndexOfObject(AObject: TObject): Integer",
                     Call([](TObject* self, TfsCallArgs& args) {
                       return Variant(Self<TStrings>(self)->IndexOfObject(VarToObject(args[0])));
                     }));
  strings->AddMethod("procedure Insert(Index: Integer; const S: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->Insert(IntArg(args, 0), StrArg(args, 1));
                       return Null();
                     }));
  strings->AddMethod("procedure InsertObject(Index: Integer; const S: string; AObject: TObject)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->InsertObject(IntArg(args, 0), StrArg(args, 1),
                                                          VarToObject(args[2]));
                       return Null();
                     }));
  strings->AddMethod("procedure LoadFromFile(const FileName: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->LoadFromFile(StrArg(args, 0));
                       return Null();
                     }));
  strings->AddMethod("procedure LoadFromStream(Stream: TStream)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->LoadFromStream(NeedObj<TStream>(args, 0));
                       return Null();
                     }));
  strings->AddMethod("procedure SaveToFile(const FileName: string)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->SaveToFile(StrArg(args, 0));
                       return Null();
                     }));
  strings->AddMethod("procedure SaveToStream(Stream: TStream)",
                     Call([](TObject* self, TfsCallArgs& args) {
                       Self<TStrings>(self)->SaveToStream(NeedObj<TStream>(args, 0));
                       return Null();
                     }));
  strings->AddProperty("CommaText", "string", Get([](TObject* self) {
                         return Variant(Self<TStrings>(self)->CommaText());
                       }),
                       Set([](TObject* self, const Variant& v) {
                         Self<TStrings>(self)->SetCommaText(VarToStr(v));
                       }));
  strings->AddProperty("Count", "Integer",
                       Get([](TObject* self) { return Variant(Self<TStrings>(self)->Count()); }));
  strings->AddIndexProperty("Names", "Integer", "string",
                            Call([](TObject* self, TfsCallArgs& args) {
                              return Variant(Self<TStrings>(self)->Names(IntArg(args, 0)));
                            }),
                            true);
  strings->AddIndexProperty("Objects", "Integer", "TObject",
                            TfsCallArgsEvent([](TObject* self, TClass, const AnsiString& name,
                                                TfsCallArgs& args) -> Variant {
                              auto* s = Self<TStrings>(self);
                              if (name == "OBJECTS.SET") {
                                s->SetObjects(IntArg(args, 0), VarToObject(args[1]));
                                return Null();
                              }
                              return VarFromObject(s->Objects(IntArg(args, 0)));
                            }));
  strings->AddIndexProperty("Values", "String", "string",
                            TfsCallArgsEvent([](TObject* self, TClass, const AnsiString& name,
                                                TfsCallArgs& args) -> Variant {
                              auto* s = Self<TStrings>(self);
                              if (name == "VALUES.SET") {
                                s->SetValues(StrArg(args, 0), StrArg(args, 1));
                                return Null();
                              }
                              return Variant(s->Values(StrArg(args, 0)));
                            }));
  strings->AddDefaultProperty("Strings", "Integer", "string",
                              TfsCallArgsEvent([](TObject* self, TClass, const AnsiString& name,
                                                  TfsCallArgs& args) -> Variant {
                                auto* s = Self<TStrings>(self);
                                if (name == "STRINGS.SET") {
                                  s->SetStrings(IntArg(args, 0), StrArg(args, 1));
                                  return Null();
                                }
                                return Variant(s->Strings(IntArg(args, 0)));
                              }));
  strings->AddProperty(
      "Text", "string", Get([](TObject* self) { return Variant(Self<TStrings>(self)->Text()); }),
      Set([](TObject* self, const Variant& v) { Self<TStrings>(self)->SetText(VarToStr(v)); }));

  TfsClassVariable* stringList =
      script->RegisterScriptClass(ClassInfoOf<TStringList>(), "TStrings");
  stringList->AddMethod("function Find(s: String; var Index: Integer): Boolean",
                        Call([](TObject* self, TfsCallArgs& args) {
                          Integer index = 0;
                          const bool found = Self<TStringList>(self)->Find(StrArg(args, 0), index);
                          args[1] = Variant(index);
                          return Variant(found);
                        }));
  stringList->AddMethod("procedure Sort", Call([](TObject* self, TfsCallArgs&) {
                          Self<TStringList>(self)->Sort();
                          return Null();
                        }));
  stringList->AddProperty("Duplicates", "TDuplicates", Get([](TObject* self) {
                            return Variant(
                                static_cast<Integer>(Self<TStringList>(self)->Duplicates()));
                          }),
                          Set([](TObject* self, const Variant& v) {
                            const Integer value = v.AsInteger();
                            if (value < dupIgnore || value > dupError)
                              throw EConvertError("Invalid property value");
                            Self<TStringList>(self)->SetDuplicates(static_cast<TDuplicates>(value));
                          }));
  stringList->AddProperty("Sorted", "Boolean", Get([](TObject* self) {
                            return Variant(Self<TStringList>(self)->Sorted());
                          }),
                          Set([](TObject* self, const Variant& v) {
                            Self<TStringList>(self)->SetSorted(v.AsBoolean());
                          }));
}

void TFunctions::RegisterStreams(TfsScript* script)
{
  TfsClassVariable* stream = script->RegisterScriptClass(ClassInfoOf<TStream>(), "TObject");
  // Reads at most Count bytes into the var Buffer, cut to what was read.
  stream->AddMethod("function Read(var Buffer: string; Count: Longint): Longint",
                    Call([](TObject* self, TfsCallArgs& args) {
                      const Integer count = IntArg(args, 1);
                      AnsiString buffer(count > 0 ? static_cast<size_t>(count) : 0, '\0');
                      const Integer read =
                          count > 0 ? Self<TStream>(self)->Read(buffer.data(), count) : 0;
                      buffer.resize(static_cast<size_t>(read > 0 ? read : 0));
                      args[0] = Variant(buffer);
                      return Variant(read);
                    }));
  // Writes Count bytes of the buffer text, never more than the text holds.
  stream->AddMethod("function Write(Buffer: string; Count: Longint): Longint",
                    Call([](TObject* self, TfsCallArgs& args) {
                      const AnsiString buffer = StrArg(args, 0);
                      Integer count = IntArg(args, 1);
                      if (count > static_cast<Integer>(buffer.size()))
                        count = static_cast<Integer>(buffer.size());
                      if (count <= 0)
                        return Variant(0);
                      return Variant(Self<TStream>(self)->Write(buffer.data(), count));
                    }));
  stream->AddMethod("function Seek(Offset: Longint; Origin: Word): Longint",
                    Call([](TObject* self, TfsCallArgs& args) {
                      return Int64Result(Self<TStream>(self)->Seek(
                          args[0].AsInt64(), static_cast<Word>(IntArg(args, 1))));
                    }));
  stream->AddMethod("function CopyFrom(Source: TStream; Count: Longint): Longint",
                    Call([](TObject* self, TfsCallArgs& args) {
                      TStream* source = NeedObj<TStream>(args, 0);
                      return Int64Result(Self<TStream>(self)->CopyFrom(source, args[1].AsInt64()));
                    }));
  stream->AddProperty(
      "Position", "Longint",
      Get([](TObject* self) { return Int64Result(Self<TStream>(self)->Position()); }),
      Set([](TObject* self, const Variant& v) { Self<TStream>(self)->SetPosition(v.AsInt64()); }));
  stream->AddProperty("Size", "Longint",
                      Get([](TObject* self) { return Int64Result(Self<TStream>(self)->Size()); }));

  TfsClassVariable* fileStream = script->RegisterScriptClass(ClassInfoOf<TFileStream>(), "TStream");
  fileStream->AddConstructor(
      "constructor Create(Filename: String; Mode: Word)",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs& args) -> Variant {
        return VarFromObject(new TFileStream(StrArg(args, 0), static_cast<Word>(IntArg(args, 1))));
      }));

  TfsClassVariable* memory = script->RegisterScriptClass(ClassInfoOf<TMemoryStream>(), "TStream");
  memory->AddMethod("procedure Clear", Call([](TObject* self, TfsCallArgs&) {
                      Self<TMemoryStream>(self)->Clear();
                      return Null();
                    }));
  memory->AddMethod("procedure LoadFromStream(Stream: TStream)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TMemoryStream>(self)->LoadFromStream(NeedObj<TStream>(args, 0));
                      return Null();
                    }));
  memory->AddMethod("procedure LoadFromFile(Filename: String)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TMemoryStream>(self)->LoadFromFile(StrArg(args, 0));
                      return Null();
                    }));
  memory->AddMethod("procedure SaveToStream(Stream: TStream)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TMemoryStream>(self)->SaveToStream(NeedObj<TStream>(args, 0));
                      return Null();
                    }));
  memory->AddMethod("procedure SaveToFile(Filename: String)",
                    Call([](TObject* self, TfsCallArgs& args) {
                      Self<TMemoryStream>(self)->SaveToFile(StrArg(args, 0));
                      return Null();
                    }));
}

void TFunctions::RegisterXML(TfsScript* script)
{
  TfsClassVariable* item = script->RegisterScriptClass(ClassInfoOf<TfsXMLItem>(), "TObject");
  item->AddConstructor(
      "constructor Create",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs&) -> Variant {
        return VarFromObject(new TfsXMLItem());
      }));
  // An item added to another belongs to it from then on.
  item->AddMethod("procedure AddItem(Item: TfsXMLItem)", Call([](TObject* self, TfsCallArgs& args) {
                    auto* child = NeedObj<TfsXMLItem>(args, 0);
                    Self<TfsXMLItem>(self)->AddItem(child);
                    return Null();
                  }));
  item->AddMethod("procedure Clear", Call([](TObject* self, TfsCallArgs&) {
                    Self<TfsXMLItem>(self)->Clear();
                    return Null();
                  }));
  item->AddMethod("procedure InsertItem(Index: Integer; Item: TfsXMLItem)",
                  Call([](TObject* self, TfsCallArgs& args) {
                    auto* child = NeedObj<TfsXMLItem>(args, 1);
                    Self<TfsXMLItem>(self)->InsertItem(IntArg(args, 0), child);
                    return Null();
                  }));
  item->AddMethod("function Add: TfsXMLItem", Call([](TObject* self, TfsCallArgs&) {
                    return VarFromObject(Self<TfsXMLItem>(self)->Add());
                  }));
  item->AddMethod("function Find(const Name: String): Integer",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return Variant(Self<TfsXMLItem>(self)->Find(StrArg(args, 0)));
                  }));
  item->AddMethod("function FindItem(const Name: String): TfsXMLItem",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return VarFromObject(Self<TfsXMLItem>(self)->FindItem(StrArg(args, 0)));
                  }));
  item->AddMethod("function Prop(const Name: String): String",
                  Call([](TObject* self, TfsCallArgs& args) {
                    return Variant(Self<TfsXMLItem>(self)->Prop(StrArg(args, 0)));
                  }));
  item->AddMethod("function Root: TfsXMLItem", Call([](TObject* self, TfsCallArgs&) {
                    return VarFromObject(Self<TfsXMLItem>(self)->Root());
                  }));
  item->AddProperty("Data", "Integer", Get([](TObject* self) {
                      return Variant(static_cast<Integer>(
                          reinterpret_cast<intptr_t>(Self<TfsXMLItem>(self)->Data())));
                    }),
                    Set([](TObject* self, const Variant& v) {
                      Self<TfsXMLItem>(self)->SetData(
                          reinterpret_cast<void*>(static_cast<intptr_t>(v.AsInteger())));
                    }));
  item->AddProperty("Count", "Integer",
                    Get([](TObject* self) { return Variant(Self<TfsXMLItem>(self)->Count()); }));
  item->AddDefaultProperty("Items", "Integer", "TfsXMLItem",
                           Call([](TObject* self, TfsCallArgs& args) {
                             return VarFromObject(Self<TfsXMLItem>(self)->Items(IntArg(args, 0)));
                           }),
                           true);
  item->AddProperty(
      "Name", "String", Get([](TObject* self) { return Variant(Self<TfsXMLItem>(self)->Name()); }),
      Set([](TObject* self, const Variant& v) { Self<TfsXMLItem>(self)->SetName(VarToStr(v)); }));
  item->AddProperty("Parent", "TfsXMLItem", Get([](TObject* self) {
                      return VarFromObject(Self<TfsXMLItem>(self)->Parent());
                    }));
  item->AddProperty(
      "Text", "String", Get([](TObject* self) { return Variant(Self<TfsXMLItem>(self)->Text()); }),
      Set([](TObject* self, const Variant& v) { Self<TfsXMLItem>(self)->SetText(VarToStr(v)); }));

  TfsClassVariable* document =
      script->RegisterScriptClass(ClassInfoOf<TfsXMLDocument>(), "TObject");
  document->AddConstructor(
      "constructor Create",
      TfsCallArgsEvent([](TObject*, TClass, const AnsiString&, TfsCallArgs&) -> Variant {
        return VarFromObject(new TfsXMLDocument());
      }));
  document->AddMethod("procedure SaveToStream(Stream: TStream)",
                      Call([](TObject* self, TfsCallArgs& args) {
                        Self<TfsXMLDocument>(self)->SaveToStream(NeedObj<TStream>(args, 0));
                        return Null();
                      }));
  document->AddMethod("procedure LoadFromStream(Stream: TStream)",
                      Call([](TObject* self, TfsCallArgs& args) {
                        Self<TfsXMLDocument>(self)->LoadFromStream(NeedObj<TStream>(args, 0));
                        return Null();
                      }));
  document->AddMethod("procedure SaveToFile(const FileName: String)",
                      Call([](TObject* self, TfsCallArgs& args) {
                        Self<TfsXMLDocument>(self)->SaveToFile(StrArg(args, 0));
                        return Null();
                      }));
  document->AddMethod("procedure LoadFromFile(const FileName: String)",
                      Call([](TObject* self, TfsCallArgs& args) {
                        Self<TfsXMLDocument>(self)->LoadFromFile(StrArg(args, 0));
                        return Null();
                      }));
  document->AddProperty("Root", "TfsXMLItem", Get([](TObject* self) {
                          return VarFromObject(Self<TfsXMLDocument>(self)->Root());
                        }));
}

} // namespace

void InitializeScriptClassesUnit()
{
  TClassRegistration<TfsXMLItem>("TfsXMLItem");
  TClassRegistration<TfsXMLDocument>("TfsXMLDocument");
  Functions = std::make_unique<TFunctions>();
}

void FinalizeScriptClassesUnit()
{
  Functions.reset();
}
