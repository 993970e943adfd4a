#include "platform/rtl/TypInfo.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variants.h"

namespace {

enum TTestAlign { taLeft, taRight, taCenter };
enum TTestStyle { tsBold, tsItalic, tsUnderline };
using TTestStyles = TSet<TTestStyle>;

// One property of every kind the reflection serves.
class TKinds : public TPersistent {
public:
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v)
  {
    FWidth = v;
    ++WidthWrites;
  }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  char Letter() const { return FLetter; }
  void SetLetter(char v) { FLetter = v; }
  WideChar WLetter() const { return FWLetter; }
  void SetWLetter(WideChar v) { FWLetter = v; }
  TTestAlign Align() const { return FAlign; }
  void SetAlign(TTestAlign v) { FAlign = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  double Ratio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  Currency Price() const { return FPrice; }
  void SetPrice(Currency v) { FPrice = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  const WideString& Hint() const { return FHint; }
  void SetHint(const WideString& v) { FHint = v; }
  TTestStyles Style() const { return FStyle; }
  void SetStyle(TTestStyles v) { FStyle = v; }
  TPersistent* Link() const { return FLink; }
  void SetLink(TPersistent* v) { FLink = v; }
  Integer Color() const { return FColor; }
  void SetColor(Integer v) { FColor = v; }
  Integer Slot(Integer index) const { return FSlots[index]; }
  void SetSlot(Integer index, Integer v) { FSlots[index] = v; }
  bool IsCaptionStored() const { return FCaption != "default"; }

  TNotifyEvent OnChange;
  int WidthWrites = 0;

private:
  Integer FWidth = 0;
  Int64 FBig = 0;
  char FLetter = 'a';
  WideChar FWLetter = u'b';
  TTestAlign FAlign = taLeft;
  bool FVisible = true;
  double FRatio = 0;
  Currency FPrice;
  AnsiString FCaption;
  WideString FHint;
  TTestStyles FStyle;
  TPersistent* FLink = nullptr;
  Integer FColor = 0;
  Integer FSlots[3] = {0, 0, 0};
};

class TMoreKinds : public TKinds {
public:
  Integer Extra() const { return 7; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }

private:
  Variant FValue;
};

struct TSink : TObject {
  void Changed(TObject*) {}
  void Other(TObject*) {}
};

void RegisterTestTypes()
{
  RegisterEnumType<TTestAlign>("TTestAlign", {"taLeft", "taRight", "taCenter"});
  RegisterEnumType<TTestStyle>("TTestStyle", {"tsBold", "tsItalic", "tsUnderline"});
  RegisterSetType<TTestStyles>("TTestStyles");
  TClassRegistration<TKinds, TPersistent>("TKinds")
      .Property("Width", &TKinds::Width, &TKinds::SetWidth)
      .Default(0)
      .Property("Big", &TKinds::Big, &TKinds::SetBig)
      .Property("Letter", &TKinds::Letter, &TKinds::SetLetter)
      .Default('a')
      .Property("WLetter", &TKinds::WLetter, &TKinds::SetWLetter)
      .Property("Align", &TKinds::Align, &TKinds::SetAlign)
      .Default(taLeft)
      .Property("Visible", &TKinds::Visible, &TKinds::SetVisible)
      .Default(true)
      .Property("Ratio", &TKinds::Ratio, &TKinds::SetRatio)
      .Property("Price", &TKinds::Price, &TKinds::SetPrice)
      .Property("Caption", &TKinds::Caption, &TKinds::SetCaption)
      .Stored(&TKinds::IsCaptionStored)
      .Property("Hint", &TKinds::Hint, &TKinds::SetHint)
      .Stored(false)
      .Property("Style", &TKinds::Style, &TKinds::SetStyle)
      .Default(TTestStyles{tsBold})
      .Property("Link", &TKinds::Link, &TKinds::SetLink)
      .Property("Color", &TKinds::Color, &TKinds::SetColor)
      .Type(TColorTypeInfo())
      .IndexedProperty("Slot1", 1, &TKinds::Slot, &TKinds::SetSlot)
      .Property("OnChange", &TKinds::OnChange, &TKinds::OnChange);
  TClassRegistration<TMoreKinds, TKinds>("TMoreKinds")
      .Property("Extra", &TMoreKinds::Extra)
      .Property("Value", &TMoreKinds::Value, &TMoreKinds::SetValue)
      .Redeclare("Width")
      .Default(10);
}

class TypInfoTest : public testing::Test {
protected:
  void SetUp() override { RegisterTestTypes(); }
};

std::vector<AnsiString> Names(const std::vector<PPropInfo>& props)
{
  std::vector<AnsiString> names;
  for (PPropInfo p : props)
    names.push_back(p->Name);
  return names;
}

} // namespace

TEST_F(TypInfoTest, KindsAndNamedTypes)
{
  struct Case {
    const char* Name;
    TTypeKind Kind;
    const char* TypeName;
  } cases[] = {
      {"Width", tkInteger, "Integer"},
      {"Big", tkInt64, "Int64"},
      {"Letter", tkChar, "Char"},
      {"WLetter", tkWChar, "WideChar"},
      {"Align", tkEnumeration, "TTestAlign"},
      {"Visible", tkEnumeration, "Boolean"},
      {"Ratio", tkFloat, "Double"},
      {"Price", tkFloat, "Currency"},
      {"Caption", tkLString, "String"},
      {"Hint", tkWString, "WideString"},
      {"Style", tkSet, "TTestStyles"},
      {"Link", tkClass, "TPersistent"},
      {"Color", tkInteger, "TColor"},
      {"Slot1", tkInteger, "Integer"},
      {"OnChange", tkMethod, "TNotifyEvent"},
  };
  TKinds k;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    PPropInfo p = GetPropInfo(&k, c.Name);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Kind(), c.Kind);
    EXPECT_EQ(p->PropType->Name, c.TypeName);
  }
  EXPECT_EQ(GetPropInfo(&k, "Color")->PropType, TColorTypeInfo());
  EXPECT_NE(TColorTypeInfo(), IntegerTypeInfo()); // same C++ type, own identity
  EXPECT_EQ(FindTypeInfo("tcolor"), TColorTypeInfo());
  EXPECT_EQ(GetPropInfo(&k, "Link")->PropType->ClassType, ClassInfoOf<TPersistent>());
  EXPECT_EQ(GetPropInfo(&k, "Style")->PropType->CompType->Name, "TTestStyle");
}

TEST_F(TypInfoTest, RoundTripOfEveryKindByName)
{
  TKinds k;
  TPersistent other;
  SetOrdProp(&k, "width", 42);
  EXPECT_EQ(k.Width(), 42);
  EXPECT_EQ(k.WidthWrites, 1); // the real setter ran
  EXPECT_EQ(GetOrdProp(&k, "WIDTH"), 42);
  SetInt64Prop(&k, "Big", Int64(1) << 40);
  EXPECT_EQ(GetInt64Prop(&k, "Big"), Int64(1) << 40);
  EXPECT_EQ(GetInt64Prop(&k, "Width"), 42); // ordinals read as Int64 too
  SetOrdProp(&k, "Letter", 0xB0);           // a byte above 127 reads back unsigned
  EXPECT_EQ(GetOrdProp(&k, "Letter"), 0xB0);
  SetOrdProp(&k, "WLetter", 0x4E2D);
  EXPECT_EQ(k.WLetter(), u'\u4E2D');
  SetEnumProp(&k, "Align", "TACENTER");
  EXPECT_EQ(k.Align(), taCenter);
  EXPECT_EQ(GetEnumProp(&k, "Align"), "taCenter");
  SetOrdProp(&k, "Visible", 0);
  EXPECT_FALSE(k.Visible());
  EXPECT_EQ(GetEnumProp(&k, "Visible"), "False");
  SetFloatProp(&k, "Ratio", 94.48825);
  EXPECT_DOUBLE_EQ(k.Ratio(), 94.48825);
  SetFloatProp(&k, "Price", 12.3456L);
  EXPECT_EQ(k.Price().Raw(), 123456);
  EXPECT_EQ(GetFloatProp(&k, "Price"), 12.3456L);
  SetStrProp(&k, "Caption", "确定");
  EXPECT_EQ(GetStrProp(&k, "Caption"), "确定");
  SetWideStrProp(&k, "Hint", u"提示");
  EXPECT_EQ(GetWideStrProp(&k, "Hint"), u"提示");
  EXPECT_EQ(GetStrProp(&k, "Hint"), "提示"); // the two string forms convert
  SetStrProp(&k, "Hint", "说明");
  EXPECT_EQ(k.Hint(), u"说明");
  EXPECT_EQ(GetWideStrProp(&k, "Caption"), u"确定");
  SetSetProp(&k, "Style", "[tsItalic, tsUnderline]");
  EXPECT_EQ(k.Style(), (TTestStyles{tsItalic, tsUnderline}));
  EXPECT_EQ(GetOrdProp(&k, "Style"), 6);
  EXPECT_EQ(GetSetProp(&k, "Style"), "[tsItalic,tsUnderline]");
  EXPECT_EQ(GetSetProp(&k, "Style", false), "tsItalic,tsUnderline");
  SetObjectProp(&k, "Link", &other);
  EXPECT_EQ(GetObjectProp(&k, "Link"), &other);
  EXPECT_EQ(GetOrdProp(&k, "Link"), reinterpret_cast<NativeInt>(static_cast<TObject*>(&other)));
  SetObjectProp(&k, "Link", nullptr);
  EXPECT_EQ(k.Link(), nullptr);
  SetOrdProp(&k, "Slot1", 5);
  EXPECT_EQ(k.Slot(1), 5);
  EXPECT_EQ(k.Slot(0), 0);
  EXPECT_EQ(GetPropInfo(&k, "Slot1")->Index, 1);
  EXPECT_EQ(GetTypedProp<Currency>(&k, GetPropInfo(&k, "Price")).Raw(), 123456);
}

TEST_F(TypInfoTest, MethodPropertiesCarryTheHandler)
{
  TKinds k;
  TSink sink;
  TNotifyEvent handler = TNotifyEvent::Bind(&sink, &TSink::Changed);
  SetMethodProp(&k, "OnChange", handler);
  EXPECT_EQ(k.OnChange, handler);
  TMethod m = GetMethodProp(&k, "OnChange");
  EXPECT_TRUE(m.Assigned());
  EXPECT_EQ(m.Object(), &sink);
  EXPECT_EQ(m, TMethod(handler));
  EXPECT_NE(m, TMethod(TNotifyEvent::Bind(&sink, &TSink::Other)));
  SetMethodProp(&k, "OnChange", TMethod());
  EXPECT_FALSE(k.OnChange);
  TKeyPressEvent wrong = [](TObject*, char&) {};
  EXPECT_THROW(SetMethodProp(&k, "OnChange", wrong), EPropertyError);
}

TEST_F(TypInfoTest, ErrorsOfAccess)
{
  TKinds k;
  TMoreKinds more;
  TSink sink; // not a TPersistent
  struct Case {
    const char* Label;
    std::function<void()> Call;
    const char* Message;
  } cases[] = {
      {"missing", [&] { GetOrdProp(&k, "Nope"); }, "Property Nope does not exist"},
      {"kind", [&] { GetStrProp(&k, "Width"); }, "Invalid property type: Integer"},
      {"float kind", [&] { GetOrdProp(&k, "Ratio"); }, "Invalid property type: Double"},
      {"enum range", [&] { SetOrdProp(&k, "Align", 3); }, "Invalid property value"},
      {"enum name", [&] { SetEnumProp(&k, "Align", "taNowhere"); },
       "Invalid property element: taNowhere"},
      {"set name", [&] { SetSetProp(&k, "Style", "[tsBold,tsWide]"); },
       "Invalid property element: tsWide"},
      {"wrong class", [&] { SetObjectProp(&k, "Link", &sink); }, "Invalid property value"},
      {"read-only", [&] { SetOrdProp(&more, "Extra", 1); }, "Property Extra is read-only"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    try {
      c.Call();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) { // EPropertyError, or EPropertyConvertError for names
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST_F(TypInfoTest, DeclarationOrderBaseFirstAndRedeclaredKeepsPosition)
{
  std::vector<AnsiString> expected = {"Width", "Big",   "Letter",   "WLetter", "Align", "Visible",
                                      "Ratio", "Price", "Caption",  "Hint",    "Style", "Link",
                                      "Color", "Slot1", "OnChange", "Extra",   "Value"};
  EXPECT_EQ(Names(GetPropInfos(ClassInfoOf<TMoreKinds>())), expected);
  PPropInfo width = GetPropInfo(ClassInfoOf<TMoreKinds>(), "Width");
  EXPECT_EQ(width->DeclaringClass, ClassInfoOf<TMoreKinds>());
  EXPECT_EQ(width->Default, 10);
  EXPECT_EQ(GetPropInfo(ClassInfoOf<TKinds>(), "Width")->Default, 0);
  EXPECT_EQ(Names(GetPropList(ClassInfoOf<TKinds>(), TTypeKinds{tkMethod})),
            std::vector<AnsiString>{"OnChange"});
}

TEST_F(TypInfoTest, SortedOrderIgnoresCaseDigitsFirstPrefixFirst)
{
  std::vector<AnsiString> names = {"RTLReading", "Rotation", "Restrictions", "a2", "A10", "Ab",
                                   "a",          "_x"};
  std::sort(names.begin(), names.end(),
            [](const AnsiString& a, const AnsiString& b) { return ComparePropNames(a, b) < 0; });
  EXPECT_EQ(names, (std::vector<AnsiString>{"_x", "a", "A10", "a2", "Ab", "Restrictions",
                                            "Rotation", "RTLReading"}));
  auto sorted = Names(GetPropList(ClassInfoOf<TKinds>(), tkProperties, true));
  EXPECT_EQ(sorted.front(), "Align");
  EXPECT_EQ(sorted.back(), "WLetter");
  EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "OnChange"), 0); // events excluded
}

TEST_F(TypInfoTest, DefaultsAndStoredRules)
{
  TKinds k;
  auto isDefault = [&](const char* name) { return IsDefaultPropValue(&k, GetPropInfo(&k, name)); };
  auto isStored = [&](const char* name) { return IsStoredProp(&k, GetPropInfo(&k, name)); };
  EXPECT_TRUE(isDefault("Width"));
  EXPECT_TRUE(isDefault("Visible"));
  EXPECT_FALSE(isDefault("Style")); // default [tsBold], value []
  k.SetStyle({tsBold});
  EXPECT_TRUE(isDefault("Style"));
  EXPECT_FALSE(isDefault("WLetter")); // no default: never at its default
  EXPECT_TRUE(isDefault("Caption"));
  k.SetVisible(false);
  EXPECT_FALSE(isDefault("Visible"));

  EXPECT_TRUE(isStored("Width"));
  EXPECT_FALSE(isStored("Hint"));
  EXPECT_TRUE(isStored("Caption"));
  k.SetCaption("default"); // the predicate runs on the instance
  EXPECT_FALSE(isStored("Caption"));

  TMoreKinds more;
  EXPECT_FALSE(IsDefaultPropValue(&more, GetPropInfo(&more, "Width"))); // redeclared 10
  more.SetWidth(10);
  EXPECT_TRUE(IsDefaultPropValue(&more, GetPropInfo(&more, "Width")));
}

TEST_F(TypInfoTest, EnumAndSetText)
{
  PTypeInfo align = FindTypeInfo(typeid(TTestAlign));
  EXPECT_EQ(GetEnumName(align, 2), "taCenter");
  EXPECT_EQ(GetEnumName(align, 3), "");
  EXPECT_EQ(GetEnumValue(align, "TARIGHT"), 1);
  EXPECT_EQ(GetEnumValue(align, "x"), -1);
  EXPECT_EQ(GetEnumName(BooleanTypeInfo(), 1), "True");
  EXPECT_EQ(BooleanTypeInfo()->Name, "Boolean");
  EXPECT_EQ(GetEnumValue(BooleanTypeInfo(), "false"), 0);

  PTypeInfo styles = FindTypeInfo(typeid(TTestStyles));
  EXPECT_EQ(SetToString(styles, 3), "[tsBold,tsItalic]");
  EXPECT_EQ(SetToString(styles, 0), "[]");
  EXPECT_EQ(StringToSet(styles, "[]"), 0);
  EXPECT_EQ(StringToSet(styles, " tsUnderline ,tsBold"), 5);
}

TEST_F(TypInfoTest, VariantPropertiesAndValuesOfEveryKindAsVariants)
{
  TMoreKinds k;
  PPropInfo value = GetPropInfo(&k, "value");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->Kind(), tkVariant);
  EXPECT_EQ(value->PropType, VariantTypeInfo());
  SetVariantProp(&k, value, Variant("abc"));
  EXPECT_EQ(GetVariantProp(&k, "Value").AsString(), "abc");
  EXPECT_THROW(GetVariantProp(&k, "Width"), EPropertyError);

  SetPropValue(&k, "Align", Variant("taRight"));
  EXPECT_EQ(k.Align(), taRight);
  SetPropValue(&k, "Align", Variant(2));
  EXPECT_EQ(GetPropValue(&k, "Align").AsString(), "taCenter");
  EXPECT_EQ(GetPropValue(&k, "Align", false).AsInteger(), 2);
  SetPropValue(&k, "Style", Variant(3)); // a set as its bit mask
  EXPECT_EQ(GetPropValue(&k, "Style").AsString(), "tsBold,tsItalic");
  SetPropValue(&k, "Width", Variant("12"));
  EXPECT_EQ(k.Width(), 12);
  SetPropValue(&k, "Ratio", Variant(2.5));
  EXPECT_EQ(GetPropValue(&k, "Ratio").AsDouble(), 2.5);
  SetPropValue(&k, "Caption", Variant(42));
  EXPECT_EQ(k.Caption(), "42");

  // Objects travel as handles; a freed object's handle is refused.
  auto* linked = new TPersistent;
  SetPropValue(&k, "Link", VarFromObject(linked));
  EXPECT_EQ(k.Link(), linked);
  Variant handle = GetPropValue(&k, "Link");
  EXPECT_EQ(VarToObject(handle), linked);
  k.SetLink(nullptr);
  delete linked;
  EXPECT_THROW(SetPropValue(&k, "Link", handle), EVariantError);
  EXPECT_EQ(k.Link(), nullptr);
  EXPECT_THROW(GetPropValue(&k, "OnChange"), EPropertyError);
}

namespace {

enum TUnregisteredEnum { ueA, ueB };
struct TUnregisteredBase : TPersistent {};
struct TBadProps : TPersistent {
  TUnregisteredEnum Value() const { return ueA; }
  void SetValue(TUnregisteredEnum) {}
};
struct TOrphan : TUnregisteredBase {};

} // namespace

TEST_F(TypInfoTest, RegistrationMistakesAreReportedByName)
{
  try {
    TClassRegistration<TBadProps, TPersistent>("TBadProps")
        .Property("Value", &TBadProps::Value, &TBadProps::SetValue);
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "No type information for (anonymous namespace)::TUnregisteredEnum");
  }
  try {
    TClassRegistration<TOrphan, TUnregisteredBase>("TOrphan");
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Class (anonymous namespace)::TUnregisteredBase is not registered");
  }
  try {
    TClassRegistration<TMoreKinds, TKinds>("TMoreKinds2"); // exists already: nothing changes
    TClassRegistration<TUnregisteredBase, TPersistent>("TUnregisteredBase").Redeclare("Nope");
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Property Nope does not exist");
  }
  EXPECT_EQ(ClassInfoOf<TMoreKinds>()->Name, "TMoreKinds");
}
