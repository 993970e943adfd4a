// Bound classes from scripts: published properties through reflection, methods, properties
// and index properties through callbacks, constructors on class values, typecasts, events
// through adapters, and the checks that keep a binding from seeing a wrong instance.
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/TypInfo.h"
#include "report/script/fsEvents.h"
#include "report/script/fsScript.h"
#include "report/script/fsTools.h"
#include "report/script/fsXMLDocument.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

enum TTestShape { tsCircle, tsSquare, tsTriangle };
enum TTestFlag { tfBold, tfItalic, tfUnderline };
using TTestFlags = TSet<TTestFlag>;
using TTestQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;
using TTestMouseEvent =
    TEvent<void(TObject* Sender, TTestShape Button, TTestFlags Shift, Integer X, Integer Y)>;

// One published property of each kind a script reads, and events of several signatures.
class TScriptObj : public TPersistent {
public:
  Integer Int() const { return FInt; }
  void SetInt(Integer v) { FInt = v; }
  bool Flag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  TTestShape Shape() const { return FShape; }
  void SetShape(TTestShape v) { FShape = v; }
  TTestFlags Flags() const { return FFlags; }
  void SetFlags(TTestFlags v) { FFlags = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  char Ch() const { return FCh; }
  void SetCh(char v) { FCh = v; }
  TScriptObj* Child() const { return FChild; }
  void SetChild(TScriptObj* v) { FChild = v; }
  const Variant& Data() const { return FData; }
  void SetData(const Variant& v) { FData = v; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  Integer Fixed() const { return 42; }

  TNotifyEvent OnChange;
  TKeyPressEvent OnKeyPress;
  TTestQueryEvent OnQuery;
  TTestMouseEvent OnMouse;

  std::vector<AnsiString> Items{"a", "b", "c"};
  AnsiString Note;

private:
  Integer FInt = 0;
  bool FFlag = false;
  TTestShape FShape = tsCircle;
  TTestFlags FFlags;
  double FRatio = 0;
  AnsiString FCaption;
  char FCh = ' ';
  TScriptObj* FChild = nullptr;
  Variant FData;
  Int64 FBig = 0;
};

class TScriptChild : public TScriptObj {};

void RegisterTestClasses()
{
  RegisterEnumType<TTestShape>("TTestShape", {"tsCircle", "tsSquare", "tsTriangle"});
  RegisterEnumType<TTestFlag>("TTestFlag", {"tfBold", "tfItalic", "tfUnderline"});
  RegisterSetType<TTestFlags>("TTestFlags");
  RegisterEventType<TTestQueryEvent>("TTestQueryEvent");
  RegisterEventType<TTestMouseEvent>("TTestMouseEvent");
  RegisterEventType<TKeyPressEvent>("TKeyPressEvent");
  TClassRegistration<TScriptObj, TPersistent>("TScriptObj")
      .Property("Int", &TScriptObj::Int, &TScriptObj::SetInt)
      .Property("Flag", &TScriptObj::Flag, &TScriptObj::SetFlag)
      .Property("Shape", &TScriptObj::Shape, &TScriptObj::SetShape)
      .Property("Flags", &TScriptObj::Flags, &TScriptObj::SetFlags)
      .Property("Ratio", &TScriptObj::Ratio, &TScriptObj::SetRatio)
      .Property("Caption", &TScriptObj::Caption, &TScriptObj::SetCaption)
      .Property("Ch", &TScriptObj::Ch, &TScriptObj::SetCh)
      .Property("Child", &TScriptObj::Child, &TScriptObj::SetChild)
      .Property("Data", &TScriptObj::Data, &TScriptObj::SetData)
      .Property("Big", &TScriptObj::Big, &TScriptObj::SetBig)
      .Property("Fixed", &TScriptObj::Fixed)
      .Property("OnChange", &TScriptObj::OnChange, &TScriptObj::OnChange)
      .Property("OnKeyPress", &TScriptObj::OnKeyPress, &TScriptObj::OnKeyPress)
      .Property("OnQuery", &TScriptObj::OnQuery, &TScriptObj::OnQuery)
      .Property("OnMouse", &TScriptObj::OnMouse, &TScriptObj::OnMouse);
  TClassRegistration<TScriptChild, TScriptObj>("TScriptChild");
}

struct TCall {
  TObject* Instance;
  TClass Class;
  AnsiString Name;
  AnsiString Args;
};

// A host script with TObject, TPersistent, TScriptObj and TScriptChild bound, every call of
// a callback recorded.
class TClassScript : public TTestScript {
public:
  explicit TClassScript(const char* language = "PascalScript") : TTestScript(language)
  {
    RegisterTestClasses();
    auto call =
        TfsCallMethodEvent([this](TObject* instance, TClass cls, const AnsiString& name,
                                  Variant& args) { return Dispatch(instance, cls, name, args); });
    TfsClassVariable* object = Host->RegisterScriptClass(TObjectClass(), "");
    object->AddConstructor("constructor Create", call);
    object->AddMethod("procedure Free", call)->SetAcceptsNil(true);
    object->AddMethod("function ClassName: String", call);
    Host->RegisterScriptClass(ClassInfoOf(typeid(TPersistent)), "TObject");
    TfsClassVariable* obj =
        Host->RegisterScriptClass(ClassInfoOf(typeid(TScriptObj)), "TPersistent");
    obj->AddMethod("function Sum(a, b: Integer): Integer", call);
    obj->AddMethod("procedure Swap(var a, b: Variant)", call);
    obj->AddProperty(
        "Count", "Integer", [](TObject* instance, TClass, const AnsiString&) -> Variant {
          return Variant(static_cast<Integer>(static_cast<TScriptObj*>(instance)->Items.size()));
        });
    obj->AddProperty(
        "Note", "String",
        [](TObject* instance, TClass, const AnsiString&) -> Variant {
          return Variant(static_cast<TScriptObj*>(instance)->Note);
        },
        [](TObject* instance, TClass, const AnsiString&, const Variant& value) {
          static_cast<TScriptObj*>(instance)->Note = VarToStr(value);
        });
    obj->AddDefaultProperty("Items", "Integer", "String", call);
    obj->AddIndexProperty("Cell", "Integer, Integer", "Integer", call, true);
    obj->AddEvent("OnChange", fsEventAdapter<TNotifyEvent>("TfsNotifyEvent"));
    obj->AddEvent("OnKeyPress", fsEventAdapter<TKeyPressEvent>("TfsKeyPressEvent"));
    obj->AddEvent("OnQuery", fsEventAdapter<TTestQueryEvent>("TfsCloseQueryEvent"));
    obj->AddEvent("OnMouse", fsEventAdapter<TTestMouseEvent>("TfsMouseEvent"));
    Host->RegisterScriptClass(ClassInfoOf(typeid(TScriptChild)), "TScriptObj");
    Host->RegisterScriptEnum("TTestShape", "tsCircle, tsSquare, tsTriangle");
    Host->RegisterScriptEnumSet("TTestFlags", "tfBold, tfItalic, tfUnderline");
  }

  Variant Dispatch(TObject* instance, TClass cls, const AnsiString& name, Variant& args)
  {
    AnsiString text;
    for (Integer i = 0; i <= VarArrayHighBound(args, 1); ++i)
      text += (i ? "," : "") + VarToStr(VarArrayGet(args, {i}));
    Calls.push_back({instance, cls, name, text});
    auto* obj = static_cast<TScriptObj*>(instance);
    if (name == "CREATE")
      return VarFromObject(Made.emplace_back(cls->Create(nullptr)).get());
    if (name == "FREE") {
      RemoveEventsOfInstance(instance);
      for (auto& made : Made)
        if (made.get() == instance)
          made.reset();
      return Null();
    }
    if (name == "CLASSNAME")
      return Variant(instance->ClassName());
    if (name == "SUM")
      return Variant(VarArrayGet(args, {0}).AsInteger() + VarArrayGet(args, {1}).AsInteger());
    if (name == "SWAP") {
      Variant a = VarArrayGet(args, {0});
      VarArrayPut(args, VarArrayGet(args, {1}), {0});
      VarArrayPut(args, a, {1});
      return Null();
    }
    if (name == "ITEMS.GET")
      return Variant(obj->Items.at(VarArrayGet(args, {0}).AsInteger()));
    if (name == "ITEMS.SET") {
      obj->Items.at(VarArrayGet(args, {0}).AsInteger()) = VarToStr(VarArrayGet(args, {1}));
      return Null();
    }
    if (name == "CELL.GET")
      return Variant(VarArrayGet(args, {0}).AsInteger() * 10 + VarArrayGet(args, {1}).AsInteger());
    return Variant(0);
  }

  TScriptObj* Obj(size_t i) { return static_cast<TScriptObj*>(Made.at(i).get()); }

  std::vector<TCall> Calls;
  std::vector<std::unique_ptr<TObject>> Made;
};

} // namespace

TEST(fsScriptClasses, PublishedPropertiesOfEveryKind)
{
  TClassScript t;
  EXPECT_EQ(t.Run("var o: TScriptObj;\r\n"
                  "begin\r\n"
                  "  o := TScriptObj.Create;\r\n"
                  "  o.Int := 5; o.Flag := True; o.Shape := tsTriangle;\r\n"
                  "  o.Flags := tfBold + tfUnderline; o.Ratio := 2.5; o.Caption := 'x';\r\n"
                  "  o.Ch := 'Q'; o.Data := 'v'; o.Big := 5000000000;\r\n"
                  "  o.Child := TScriptObj.Create; o.Child.Int := 7;\r\n"
                  "  Log(o.Int); Log(o.Flag); Log(o.Shape); Log(o.Flags); Log(o.Ratio);\r\n"
                  "  Log(o.Caption); Log(o.Ch); Log(o.Data); Log(o.Big); Log(o.Child.Int);\r\n"
                  "  Log(o.Fixed); o.Flag := False; Log(o.Flag)\r\n"
                  "end."),
            "5,True,2,5,2.5,x,Q,v,5000000000,7,42,False");
  TScriptObj* o = t.Obj(0);
  EXPECT_EQ(o->Int(), 5);
  EXPECT_EQ(o->Shape(), tsTriangle);
  EXPECT_EQ(o->Flags(), (TTestFlags{tfBold, tfUnderline}));
  EXPECT_EQ(o->Ch(), 'Q');
  EXPECT_EQ(o->Child(), t.Obj(1));
  EXPECT_EQ(o->Child()->Int(), 7);
  // Published properties are listed on the entry, events apart.
  TfsClassVariable* entry = t.Host->FindScriptClass("TScriptObj");
  EXPECT_NE(dynamic_cast<TfsPropertyHelper*>(entry->FindMember("caption")), nullptr);
  EXPECT_NE(dynamic_cast<TfsEventHelper*>(entry->FindMember("OnChange")), nullptr);
}

TEST(fsScriptClasses, CompileChecksOnMembers)
{
  struct {
    const char* Text;
    const char* Error;
  } cases[] = {
      {"var o: TScriptObj; begin o.Fixed := 1 end.", "Left side cannot be assigned to at 1:26"},
      {"var o: TScriptObj; begin o.Count := 1 end.", "Left side cannot be assigned to at 1:26"},
      {"var o: TScriptObj; begin o.Cell[1, 2] := 1 end.",
       "Left side cannot be assigned to at 1:26"},
      {"var o: TScriptObj; begin o.Shape := tfBold end.",
       "Incompatible types: 'TTestShape', 'TTestFlags' at 1:37"},
      {"var o: TScriptObj; begin o.Sum(1) end.", "Not enough actual parameters at 1:31"},
      {"var o: TScriptObj; begin o.Cell := 1 end.", "Not enough actual parameters at 1:32"},
      {"var o: TScriptObj; begin o.Cell.x end.", "Index required at 1:32"},
      {"var o: TScriptObj; begin o.Nothing end.", "Undeclared identifier: 'Nothing' at 1:35"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TClassScript t;
    EXPECT_FALSE(t.Compile(c.Text));
    EXPECT_EQ(t.Error, c.Error);
  }
}

// Callbacks receive the instance, the class the member was registered on, the name in upper
// case (with .GET/.SET for index properties) and the arguments; var arguments come back.
TEST(fsScriptClasses, CallbackContract)
{
  TClassScript t;
  EXPECT_EQ(t.Run("var o: TScriptChild; a, b: Variant;\r\n"
                  "begin\r\n"
                  "  o := TScriptChild.Create;\r\n"
                  "  Log(o.Sum(2, 3)); a := 1; b := 'z'; o.Swap(a, b); Log(a); Log(b);\r\n"
                  "  o[2] := 'x'; Log(o[2]); Log(o.Items[0]); Log(o.Cell[4, 2]);\r\n"
                  "  Log(o.Count); o.Note := 'n'; Log(o.Note); Log(o.ClassName)\r\n"
                  "end."),
            "5,z,1,x,a,42,3,n,TScriptChild");
  TClass objClass = ClassInfoOf(typeid(TScriptObj));
  TClass childClass = ClassInfoOf(typeid(TScriptChild));
  ASSERT_GE(t.Calls.size(), 8u);
  // The constructor, registered on TObject, is told the class to construct.
  EXPECT_EQ(t.Calls[0].Name, "CREATE");
  EXPECT_EQ(t.Calls[0].Instance, nullptr);
  EXPECT_EQ(t.Calls[0].Class, childClass);
  EXPECT_EQ(t.Obj(0)->ClassType(), childClass);
  // A member found through the ancestor entry gets the ancestor's class reference.
  EXPECT_EQ(t.Calls[1].Name, "SUM");
  EXPECT_EQ(t.Calls[1].Class, objClass);
  EXPECT_EQ(t.Calls[1].Instance, t.Obj(0));
  EXPECT_EQ(t.Calls[1].Args, "2,3");
  EXPECT_EQ(t.Calls[3].Name, "ITEMS.SET");
  EXPECT_EQ(t.Calls[3].Args, "2,x");
  EXPECT_EQ(t.Calls[4].Name, "ITEMS.GET");
  EXPECT_EQ(t.Calls[6].Name, "CELL.GET");
  EXPECT_EQ(t.Calls[6].Args, "4,2");
  // A method whose callback ignores the name gives 0.
  TClassScript other;
  other.Host->FindScriptClass("TScriptObj")
      ->AddMethod("function Unknown: Integer", TfsCallMethodEvent());
  EXPECT_EQ(other.Run("var o: TScriptObj; begin o := TScriptObj.Create; Log(o.Unknown) end."), "0");
}

// The class name alone is a class value: only a constructor takes it. A typecast checks the
// object; nil, freed and foreign values never reach a callback.
TEST(fsScriptClasses, ClassValuesTypecastsAndBadInstances)
{
  const struct {
    const char* Name;
    const char* Text;
    const char* Log;
  } cases[] = {
      {"class value is no object", "var o: TScriptObj; begin o := TScriptObj; o.Int := 1 end.",
       "run: Invalid object reference"},
      {"typecast and is",
       "var p: TPersistent; begin p := TScriptChild.Create; Log(p is TScriptChild); "
       "Log(TScriptObj(p).Sum(1, 1)); Log(p is TScriptObj) end.",
       "True,2,True"},
      {"typecast to a class the object lacks",
       "var p: TPersistent; begin p := TScriptObj.Create; Log(TScriptChild(p).Int) end.",
       "run: Invalid class typecast"},
      {"method on nil", "var o: TScriptObj; begin o := nil; Log(o.Sum(1, 2)) end.",
       "run: Invalid object reference"},
      {"property on nil", "var o: TScriptObj; begin Log(o.Int) end.",
       "run: Invalid object reference"},
      {"Free on nil does nothing", "var o: TScriptObj; begin o := nil; o.Free; Log('ok') end.",
       "ok"},
      {"member through a freed object",
       "var o: TScriptObj; begin o := TScriptObj.Create; o.Free; Log(o.Int) end.",
       "run: Invalid object reference"},
      {"a member of another class through a Variant",
       "var v: Variant; p: TPersistent; begin p := TPersistent.Create; v := p; "
       "Log(TScriptObj(v).Int) end.",
       "run: Invalid class typecast"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TClassScript t;
    EXPECT_EQ(t.Run(c.Text), c.Log);
  }
}

TEST(fsScriptClasses, EventsRunScriptRoutines)
{
  TClassScript t;
  ASSERT_TRUE(t.Compile(
      "var o: TScriptObj;\r\n"
      "procedure Changed(Sender: TObject); begin Log('changed ' + Sender.ClassName) end;\r\n"
      "procedure Key(Sender: TObject; var Key: Char); begin Log(Key); Key := 'A' end;\r\n"
      "procedure Query(Sender: TObject; var CanClose: Boolean); begin CanClose := False end;\r\n"
      "procedure Mouse(Sender: TObject; Button, Shift, X, Y, Extra: Variant);\r\n"
      "begin Log(Button); Log(Shift); Log(X + Y); Log(VarType(Extra)) end;\r\n"
      "procedure Short(Sender: TObject); begin Log('short') end;\r\n"
      "begin\r\n"
      "  o := TScriptObj.Create;\r\n"
      "  o.OnChange := @Changed; o.OnKeyPress := @Key; o.OnQuery := @Query;\r\n"
      "  o.OnMouse := @Mouse\r\n"
      "end."));
  EXPECT_EQ(t.RunAgain(), "");
  TScriptObj* o = t.Obj(0);
  t.Output.clear();
  o->OnChange(o);
  char key = 'q';
  o->OnKeyPress(o, key);
  bool canClose = true;
  o->OnQuery(o, canClose);
  o->OnMouse(o, tsSquare, TTestFlags{tfItalic}, 3, 4);
  EXPECT_EQ(t.Output, "changed TScriptObj,q,1,2,7,1");
  EXPECT_EQ(key, 'A');
  EXPECT_FALSE(canClose);

  // A handler with fewer parameters than the event gets the first ones.
  ASSERT_TRUE(t.Compile("var o: TScriptObj; procedure Short(Sender: TObject; var C: Boolean);\r\n"
                        "begin Log('short') end;\r\n"
                        "begin o := TScriptObj.Create; o.OnMouse := @Short end."));
  t.RunAgain();
  t.Output.clear();
  t.Obj(1)->OnMouse(t.Obj(1), tsCircle, TTestFlags{}, 0, 0);
  EXPECT_EQ(t.Output, "short");
}

TEST(fsScriptClasses, EventAssignmentRules)
{
  const struct {
    const char* Name;
    const char* Text;
    const char* Log;
  } cases[] = {
      {"a variable is no handler",
       "var o: TScriptObj; x: Integer; begin o := TScriptObj.Create; o.OnChange := @x end.",
       "run: Event handler must be a procedure"},
      {"nil clears the event",
       "var o: TScriptObj; procedure P(Sender: TObject); begin Log('p') end;\r\n"
       "begin o := TScriptObj.Create; o.OnChange := @P; o.OnChange := nil; Log('set') end.",
       "set"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TClassScript t;
    EXPECT_EQ(t.Run(c.Text), c.Log);
    if (!t.Made.empty() && t.Obj(0)) {
      EXPECT_FALSE(t.Obj(0)->OnChange.Assigned());
    }
  }
}

// Sinks live while something can call them; they go with the object a script frees, and a
// sink whose routine died (the script recompiled) does nothing.
TEST(fsScriptClasses, EventSinkLifetime)
{
  ClearEventList();
  TClassScript t;
  EXPECT_EQ(t.Run("var o: TScriptObj; procedure P(Sender: TObject); begin Log('p') end;\r\n"
                  "begin o := TScriptObj.Create; o.OnChange := @P; o.Free; Log('freed') end."),
            "freed");
  EXPECT_EQ(EventListCount(), 0);

  ASSERT_EQ(t.Run("var o: TScriptObj; procedure P(Sender: TObject); begin Log('p') end;\r\n"
                  "begin o := TScriptObj.Create; o.OnChange := @P; o.OnChange := @P end."),
            "");
  // The first sink went with its reassignment: nothing can call it any more.
  TScriptObj* o = t.Obj(1);
  EXPECT_EQ(EventListCount(), 1);
  t.Output.clear();
  o->OnChange(o);
  EXPECT_EQ(t.Output, "p");
  // The routine goes with the old program; the native event stays harmless.
  ASSERT_TRUE(t.Compile("begin end."));
  t.Output.clear();
  o->OnChange(o);
  EXPECT_EQ(t.Output, "");
  ClearEventList();
}

// An event raised while its handler runs is not passed to the script again.
TEST(fsScriptClasses, HandlerIsNotReentered)
{
  TClassScript t;
  t.Host->RegisterScriptMethod("procedure Fire(o: TObject)", "ctOther", "",
                               [](TObject*, TClass, const AnsiString&, Variant& args) -> Variant {
                                 auto* o =
                                     static_cast<TScriptObj*>(VarToObject(VarArrayGet(args, {0})));
                                 o->OnChange(o);
                                 return Null();
                               });
  EXPECT_EQ(t.Run("var o: TScriptObj; n: Integer;\r\n"
                  "procedure P(Sender: TObject); begin n := n + 1; Fire(Sender) end;\r\n"
                  "begin o := TScriptObj.Create; o.OnChange := @P; Fire(o); Log(n) end."),
            "1");
}

// Callbacks that read their arguments in place: var arguments and the written value of an
// index property come through the same view.
TEST(fsScriptClasses, ArgumentViewCallbacks)
{
  TClassScript t;
  std::vector<AnsiString> names;
  auto call = TfsCallArgsEvent(
      [&names](TObject*, TClass, const AnsiString& name, TfsCallArgs& args) -> Variant {
        names.push_back(name + "/" + IntToStr(args.Count()));
        if (name == "TWICE") {
          args[1] = Variant(args[0].AsInteger() * 2);
          return Variant(true);
        }
        if (name == "SLOT.SET")
          return Variant(args[args.Count() - 1].AsInteger() + 1); // ignored
        return Variant(args[0].AsInteger() * 100);
      });
  t.Host->RegisterScriptMethod("function Twice(a: Integer; var b: Integer): Boolean", "ctOther", "",
                               call);
  t.Host->FindScriptClass("TScriptObj")->AddIndexProperty("Slot", "Integer", "Integer", call);
  EXPECT_EQ(t.Run("var o: TScriptObj; b: Integer;\r\n"
                  "begin Log(Twice(21, b)); Log(b); o := TScriptObj.Create; o.Slot[3] := 9; "
                  "Log(o.Slot[2]) end."),
            "True,42,200");
  EXPECT_EQ(names, (std::vector<AnsiString>{"TWICE/2", "SLOT.SET/2", "SLOT.GET/1"}));
  EXPECT_THROW(
      {
        TfsMethodHelper helper("function X(a: Integer): Integer", t.Host.get());
        TfsCallArgs args(&helper, nullptr);
        args[1];
      },
      EListError);
}

TEST(fsScriptClasses, CatalogueListsMembers)
{
  TClassScript t;
  TfsXMLDocument doc;
  ListScriptCatalog(t.Host.get(), doc.Root(), false);
  TfsXMLItem* classes = doc.Root()->Items(doc.Root()->Find("Classes"));
  TfsXMLItem* entry = nullptr;
  for (Integer i = 0; i < classes->Count(); ++i)
    if (classes->Items(i)->Prop("text") == "TScriptObj = class(TPersistent)")
      entry = classes->Items(i);
  ASSERT_NE(entry, nullptr);
  std::vector<AnsiString> texts;
  for (Integer i = 0; i < entry->Count(); ++i)
    texts.push_back(entry->Items(i)->Prop("text"));
  auto has = [&texts](const char* text) {
    return std::find(texts.begin(), texts.end(), AnsiString(text)) != texts.end();
  };
  EXPECT_TRUE(has("property Int: Integer"));
  EXPECT_TRUE(has("property Shape: TTestShape"));
  EXPECT_TRUE(has("property Child: Class TScriptObj"));
  EXPECT_TRUE(has("function Sum(a, b: Integer): Integer"));
  EXPECT_TRUE(has("index property Items(p0: Integer): String"));
  EXPECT_TRUE(has("event OnChange"));
}
