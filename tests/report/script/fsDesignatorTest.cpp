// Objects in scripts: member paths, typecasts, "is", with, and object values that are nil,
// freed or of the wrong class, over a small hand-made class binding.
#include "platform/rtl/Classes.h"
#include "report/script/fsScript.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

// Binds TObject (Free), TPersistent and TComponent (GetName) on the host script.
class TObjectScript : public TTestScript {
public:
  TObjectScript()
  {
    auto call = [](TObject* instance, TClass, const AnsiString& name, Variant&) -> Variant {
      if (name == "FREE") {
        delete instance;
        return Null();
      }
      if (name == "GETNAME")
        return Variant(static_cast<TComponent*>(instance)->Name());
      return Variant(0);
    };
    Host->RegisterScriptClass(TObjectClass(), "")
        ->AddMethod("procedure Free", call)
        ->SetAcceptsNil(true);
    Host->RegisterScriptClass(ClassInfoOf(typeid(TPersistent)), "TObject");
    Host->RegisterScriptClass(ClassInfoOf(typeid(TComponent)), "TPersistent")
        ->AddMethod("function GetName: String", call);
  }
};

} // namespace

TEST(fsDesignator, ObjectMembersCastsAndWith)
{
  TObjectScript t;
  TComponent c1(nullptr);
  c1.SetName("C1");
  TPersistent p1;
  t.Host->RegisterScriptObject("C1", &c1);
  t.Host->RegisterScriptObject("P1", &p1);
  EXPECT_EQ(t.Run("var o: TObject; v: Variant;\r\n"
                  "begin\r\n"
                  "  Log(C1.GetName); Log(C1 is TComponent); Log(P1 is TComponent);\r\n"
                  "  o := C1; Log(TComponent(o).GetName);\r\n"
                  "  with C1 do Log(GetName);\r\n"
                  "  v := C1; Log(v.GetName);\r\n"
                  "  o := nil; Log(o is TObject)\r\n"
                  "end."),
            "C1,True,False,C1,C1,C1,False");
  EXPECT_EQ(t.Run("begin Log(TComponent(P1).GetName) end."), "run: Invalid class typecast");
  // Free on nil does nothing.
  EXPECT_EQ(t.Run("var c: TComponent; begin c := nil; c.Free; Log('ok') end."), "ok");
}

TEST(fsDesignator, FreedAndForeignObjectValues)
{
  TObjectScript t;
  auto* gone = new TComponent(nullptr);
  gone->SetName("Gone");
  t.Host->RegisterScriptObject("Gone", gone);
  delete gone;
  EXPECT_EQ(t.Run("begin Log(Gone.GetName) end."), "run: Invalid object reference");
  EXPECT_EQ(t.Run("begin Log(Gone is TComponent) end."), "run: Invalid object reference");
  // A plain number is no object either.
  EXPECT_EQ(t.Run("var c: TComponent; v: Variant; begin v := 12345; c := v; Log(c.GetName) end."),
            "run: Invalid object reference");
}

TEST(fsDesignator, CompileChecksOnObjects)
{
  struct {
    const char* Text;
    const char* Error;
  } cases[] = {
      {"var c: TComponent; begin c.NoSuchMember end.",
       "Undeclared identifier: 'NoSuchMember' at 1:40"},
      {"var c: TComponent; begin Log(c[1]) end.",
       "Class TComponent does not have a default property at 1:32"},
      {"var i: Integer; begin with i do Log(1) end.", "Class type required at 1:28"},
      {"var c: TComponent; o: TObject; begin c := o end.",
       "Incompatible types: 'Class TComponent', 'Class TObject' at 1:43"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    TObjectScript t;
    EXPECT_FALSE(t.Compile(c.Text));
    EXPECT_EQ(t.Error, c.Error);
  }
}
