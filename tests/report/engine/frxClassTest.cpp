// The component tree and its report XML form: every kind of published property through the
// serializer, defaults, references, unknown classes, names, fonts and positions.
#include "report/engine/frxClass.h"

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxUtils.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

namespace {

enum TTestKind { tkFirst, tkSecond, tkThird };
enum TTestFlag { tfA, tfB, tfC };
using TTestFlags = TSet<TTestFlag>;

// A printable object with one published property of every kind the serializer handles,
// and two defined (non-published) properties carried in PropData.
class TfrxProbeView : public TfrxReportComponent {
public:
  explicit TfrxProbeView(TComponent* AOwner) : TfrxReportComponent(AOwner), Memo(new TStringList) {}
  ~TfrxProbeView() override { delete Memo; }
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}

  Integer Count = 0;
  char Letter = 'a';
  TTestKind Kind = tkFirst;
  bool Flag = true;
  TTestFlags Flags;
  Extended Ratio = 0;
  AnsiString Caption;
  WideString Wide;
  Variant Value;
  TfrxComponent* Link = nullptr;
  TStringList* Memo;
  AnsiString OnBeforePrint;
  AnsiString SecretA, SecretB; // defined properties
  Integer LoadedCalls = 0;
  TfrxAlign AlignValue = baNone;
  bool Band = false;

  TfrxAlign Align() const override { return AlignValue; }
  bool IsBand() const override { return Band; }

protected:
  void DefineProperties(TFiler* Filer) override
  {
    Filer->DefineProperty(
        "SecretA", [this](TReader* r) { SecretA = r->ReadString(); },
        [this](TWriter* w) { w->WriteString(SecretA); }, !SecretA.empty());
    Filer->DefineProperty(
        "SecretB", [this](TReader* r) { SecretB = r->ReadString(); },
        [this](TWriter* w) { w->WriteString(SecretB); }, !SecretB.empty());
  }
  void Loaded() override
  {
    TfrxReportComponent::Loaded();
    ++LoadedCalls;
  }
};

class TfrxBoxView : public TfrxProbeView {
public:
  using TfrxProbeView::TfrxProbeView;
};

// A collection item as report variables and styles have them, with a reference.
class TProbeItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  AnsiString Caption;
  TfrxComponent* Target = nullptr;
};

// A report carrying three collections among its defined properties.
class TfrxProbeReport : public TfrxReport {
public:
  explicit TfrxProbeReport(TComponent* AOwner)
      : TfrxReport(AOwner), Datasets(CollectionItemClass<TProbeItem>()),
        Variables(CollectionItemClass<TProbeItem>()), Style(CollectionItemClass<TProbeItem>())
  {
  }
  TCollection Datasets, Variables, Style;

protected:
  void DefineProperties(TFiler* Filer) override
  {
    auto define = [&](const char* name, TCollection* c) {
      Filer->DefineProperty(
          name, [this, c](TReader* r) { ReadCollectionProperty(c, r, this); },
          [this, c](TWriter* w) { WriteCollectionProperty(c, w, this); }, true);
    };
    define("Datasets", &Datasets);
    define("Variables", &Variables);
    define("Style", &Style);
  }
};

template <class C, class T> auto Setter(T C::*member)
{
  return [member](C* self, const T& v) { self->*member = v; };
}

void RegisterProbeClasses()
{
  RegisterEnumType<TTestKind>("TTestKind", {"tkFirst", "tkSecond", "tkThird"});
  RegisterEnumType<TTestFlag>("TTestFlag", {"tfA", "tfB", "tfC"});
  RegisterSetType<TTestFlags>("TTestFlags");
  using P = TfrxProbeView;
  TClassRegistration<P, TfrxReportComponent>("TfrxProbeView")
      .Property("Left", &TfrxComponent::Left, &TfrxComponent::SetLeft)
      .Property("Top", &TfrxComponent::Top, &TfrxComponent::SetTop)
      .Property("Width", &TfrxComponent::Width, &TfrxComponent::SetWidth)
      .Property("Height", &TfrxComponent::Height, &TfrxComponent::SetHeight)
      .Property("Count", &P::Count, Setter(&P::Count))
      .Default(0)
      .Property("Letter", &P::Letter, Setter(&P::Letter))
      .Default('a')
      .Property("Kind", &P::Kind, Setter(&P::Kind))
      .Default(tkFirst)
      .Property("Flag", &P::Flag, Setter(&P::Flag))
      .Default(true)
      .Property("Flags", &P::Flags, Setter(&P::Flags))
      .Default(TTestFlags{})
      .Property("Ratio", &P::Ratio, Setter(&P::Ratio))
      .Property("Caption", &P::Caption, Setter(&P::Caption))
      .Property("Wide", &P::Wide, Setter(&P::Wide))
      .Property("Value", &P::Value, Setter(&P::Value))
      .Property("Link", &P::Link, Setter(&P::Link))
      .Property("Memo", [](P* p) -> TStrings* { return p->Memo; })
      .Property("Font", &TfrxComponent::Font, &TfrxComponent::SetFont)
      .Stored(&TfrxComponent::IsFontStored)
      .Property("ParentFont", &TfrxComponent::ParentFont, &TfrxComponent::SetParentFont)
      .Default(true)
      .Property("OnBeforePrint", &P::OnBeforePrint, Setter(&P::OnBeforePrint));
  TClassRegistration<TfrxBoxView, TfrxProbeView>("TfrxBoxView");
  TClassRegistration<TProbeItem, TCollectionItem>("TProbeItem")
      .Property("Caption", &TProbeItem::Caption, Setter(&TProbeItem::Caption))
      .Property("Target", &TProbeItem::Target, Setter(&TProbeItem::Target));
  TClassRegistration<TfrxProbeReport, TfrxReport>("TfrxProbeReport");
  RegisterClasses(
      {ClassInfoOf<TfrxProbeView>(), ClassInfoOf<TfrxBoxView>(), ClassInfoOf<TfrxPage>()});
}

class frxClassTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterProbeClasses(); }

  void SetUp() override
  {
    report = std::make_unique<TfrxReport>(nullptr);
    page = new TfrxPage(report.get());
    page->SetName("Page1");
  }

  TfrxProbeView* NewView(TfrxComponent* parent, const char* name)
  {
    auto* v = new TfrxProbeView(parent);
    v->SetName(name);
    return v;
  }

  AnsiString SaveReport(bool children = true)
  {
    TStringStream out;
    report->SaveToStream(&out, children);
    return out.DataString();
  }

  std::unique_ptr<TfrxReport> LoadReport(const AnsiString& text)
  {
    auto loaded = std::make_unique<TfrxReport>(nullptr);
    TStringStream in(text);
    loaded->LoadFromStream(&in);
    return loaded;
  }

  std::unique_ptr<TfrxReport> report;
  TfrxPage* page = nullptr;
};

TEST_F(frxClassTest, EveryPropertyKindRoundTrips)
{
  auto* target = NewView(page, "Target"); // referenced by an object written before it
  auto* v = NewView(page, "Memo1");
  page->Objects()->Move(1, 0); // Memo1 first in the file, Target after it
  v->SetBounds(10, 20.5, 94.48825, 0);
  v->Count = -42;
  v->Letter = 'Z';
  v->Kind = tkThird;
  v->Flag = false;
  v->Flags = {tfA, tfC};
  v->Ratio = 1.0 / 3;
  v->Caption = "a\"b<c>&中文\r\n";
  v->Wide = u"宽\u00e9";
  v->Value = Variant(AnsiString("v 1"));
  v->Link = target;
  v->Memo->SetText("line a\r\nline b\r\n");
  v->Font()->SetName("宋体");
  v->Font()->SetStyle({fsBold, fsItalic});
  v->Font()->SetSize(12);
  v->OnBeforePrint = "Memo1OnBeforePrint";
  v->SecretA = "x";
  v->SecretB = "yy";

  const AnsiString text = SaveReport();
  EXPECT_NE(text.find("Flags=\"5\""), AnsiString::npos);
  EXPECT_NE(text.find("Kind=\"tkThird\""), AnsiString::npos);
  EXPECT_NE(text.find("Flag=\"False\""), AnsiString::npos);
  EXPECT_NE(text.find("Height=\"0\""), AnsiString::npos);
  EXPECT_NE(text.find("Memo.Text=\"line a&#13;&#10;line b\""), AnsiString::npos);
  EXPECT_NE(text.find("Font.Height=\"-16\""), AnsiString::npos);
  EXPECT_NE(text.find("Font.Style=\"3\""), AnsiString::npos);
  EXPECT_EQ(text.find("Font.Size"), AnsiString::npos);
  EXPECT_EQ(text.find("Font.Pitch"), AnsiString::npos);
  EXPECT_NE(text.find("Link=\"Target\""), AnsiString::npos);
  EXPECT_NE(text.find("<TfrxReport Name=\"\""), AnsiString::npos);

  auto loaded = LoadReport(text);
  EXPECT_EQ(loaded->Errors()->Count(), 0) << loaded->Errors()->Text();
  auto* w = dynamic_cast<TfrxProbeView*>(loaded->FindObject("Memo1"));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Parent()->Name(), "Page1");
  EXPECT_EQ(w->Left(), 10);
  EXPECT_EQ(w->Top(), 20.5L);
  EXPECT_NEAR(static_cast<double>(w->Width()), 94.48825, 1e-12);
  EXPECT_EQ(w->Count, -42);
  EXPECT_EQ(w->Letter, 'Z');
  EXPECT_EQ(w->Kind, tkThird);
  EXPECT_FALSE(w->Flag);
  EXPECT_EQ(w->Flags, (TTestFlags{tfA, tfC}));
  EXPECT_NEAR(static_cast<double>(w->Ratio), 1.0 / 3, 1e-14);
  EXPECT_EQ(w->Caption, v->Caption);
  EXPECT_EQ(w->Wide, v->Wide);
  EXPECT_EQ(VarToStr(w->Value), "v 1");
  EXPECT_EQ(w->Link, loaded->FindObject("Target"));
  EXPECT_EQ(w->Memo->Text(), "line a\r\nline b\r\n");
  EXPECT_EQ(w->Font()->Name(), "宋体");
  EXPECT_EQ(w->Font()->Size(), 12);
  EXPECT_EQ(w->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_FALSE(w->ParentFont());
  EXPECT_EQ(w->OnBeforePrint, "Memo1OnBeforePrint");
  EXPECT_EQ(w->SecretA, "x");
  EXPECT_EQ(w->SecretB, "yy");
  EXPECT_EQ(w->LoadedCalls, 1);
  EXPECT_EQ(loaded->Name(), "");
  TStringStream again;
  loaded->SaveToStream(&again);
  EXPECT_EQ(again.DataString(), text);
}

// A list's lines come back as they were, an empty last line included (it was dropped, so a
// report saved twice differed).
TEST_F(frxClassTest, StringListsKeepTheirLinesAcrossSaveAndLoad)
{
  const char* cases[] = {"", "a\r\nb\r\n", "\r\n", "a\r\n\r\n", "\r\n\r\n", "快递\r\n\r\n\r\n"};
  for (const char* lines : cases) {
    SCOPED_TRACE(lines);
    auto* v = NewView(page, "Memo1");
    v->Memo->SetText(lines);
    const AnsiString text = SaveReport();
    delete v;
    auto loaded = LoadReport(text);
    auto* w = dynamic_cast<TfrxProbeView*>(loaded->FindObject("Memo1"));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Memo->Text(), AnsiString(lines));
    TStringStream again;
    loaded->SaveToStream(&again);
    EXPECT_EQ(again.DataString(), text);
  }
}

TEST_F(frxClassTest, NamesAndDecimalSeparatorsAcrossSaveAndLoad)
{
  auto* v = NewView(page, "Memo1");
  v->SetWidth(94.48825);
  TStringStream out;
  v->SaveToStream(&out);
  EXPECT_NE(out.DataString().find("<TfrxProbeView Name=\"\""), AnsiString::npos);
  EXPECT_EQ(v->Name(), "Memo1");

  // Written with a comma, read with a point.
  const char separator = FormatSettings.DecimalSeparator;
  FormatSettings.DecimalSeparator = ',';
  const AnsiString text = SaveReport();
  FormatSettings.DecimalSeparator = '.';
  EXPECT_NE(text.find("Width=\"94,48825\""), AnsiString::npos);
  auto loaded = LoadReport(text);
  FormatSettings.DecimalSeparator = separator;
  EXPECT_NEAR(static_cast<double>(loaded->FindObject("Memo1")->Width()), 94.48825, 1e-12);
}

TEST_F(frxClassTest, DefaultsAreNotWritten)
{
  auto* v = NewView(page, "Memo1");
  TfrxXMLSerializer serializer(nullptr);
  const AnsiString text = serializer.ObjToXML(v);
  EXPECT_EQ(text, " Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" Ratio=\"0\" Value=\"\" "
                  "Memo.Text=\"\"");

  serializer.SetSerializeDefaultValues(true);
  const AnsiString all = serializer.ObjToXML(v);
  EXPECT_NE(all.find(" Flag=\"True\""), AnsiString::npos);
  EXPECT_NE(all.find(" Caption=\"\""), AnsiString::npos);
  EXPECT_NE(all.find(" Tag=\"0\""), AnsiString::npos);
}

TEST_F(frxClassTest, LenientReading)
{
  auto* v = NewView(page, "Memo1");
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetOwner(report.get());
  serializer.XMLToObj("LEFT=\"5\" count=\"x\" Kind=\"tkNone\" Nonsense=\"1\" Font.Bogus=\"1\" "
                      "Ratio=\"1 234,5\" Kind=\"1\" Font.Size=\"14\" w=\"7\" Memo.text=\"q\"",
                      v);
  EXPECT_EQ(v->Left(), 5);
  EXPECT_EQ(v->Ratio, 1234.5L);
  EXPECT_EQ(v->Kind, tkSecond);
  EXPECT_EQ(v->Font()->Size(), 14);
  EXPECT_EQ(v->Width(), 7);
  EXPECT_EQ(v->Memo->Text(), "q\r\n");
  EXPECT_EQ(serializer.Errors()->Count(), 2) << serializer.Errors()->Text();
}

TEST_F(frxClassTest, PropDataOfOneObjectDoesNotLeakIntoTheNext)
{
  auto* first = NewView(page, "First");
  first->SecretA = "1";
  first->SecretB = "2";
  auto* second = NewView(page, "Second");
  second->SecretA = "1";
  auto loaded = LoadReport(SaveReport());
  auto* w = dynamic_cast<TfrxProbeView*>(loaded->FindObject("Second"));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->SecretA, "1");
  EXPECT_EQ(w->SecretB, "");
}

TEST_F(frxClassTest, UnknownClassIsOneErrorAndLoadingGoesOn)
{
  const AnsiString text =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport Name=\"\">"
      "<TfrxPage Name=\"Page1\"><TfrxNoSuchView Name=\"Lost\"><TfrxProbeView Name=\"Inner\"/>"
      "</TfrxNoSuchView><TfrxProbeView Name=\"Memo1\" Link=\"Later\"/>"
      "<TfrxBoxView Name=\"Later\"/><TfrxNoSuchView Name=\"Lost2\"/></TfrxPage></TfrxReport>";
  auto loaded = LoadReport(text);
  ASSERT_EQ(loaded->Errors()->Count(), 1);
  EXPECT_EQ(loaded->Errors()->Strings(0), "未找到类 TfrxNoSuchView");
  EXPECT_EQ(loaded->FindObject("Inner"), nullptr);
  auto* memo = dynamic_cast<TfrxProbeView*>(loaded->FindObject("Memo1"));
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->Link, loaded->FindObject("Later"));
  EXPECT_TRUE(Is<TfrxBoxView>(memo->Link));
}

TEST_F(frxClassTest, SingleObjectForms)
{
  auto* v = NewView(page, "Memo1");
  v->Count = 3;
  TStringStream out;
  TfrxXMLSerializer writer(&out);
  writer.WriteObjectElement(v);
  EXPECT_EQ(out.DataString(), "<TfrxProbeView Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" "
                              "Count=\"3\" Ratio=\"0\" Value=\"\" Memo.Text=\"\"/>");

  out.SetPosition(0);
  TfrxXMLSerializer reader(&out);
  TfrxComponent* copy = reader.ReadNewObject(page);
  ASSERT_TRUE(Is<TfrxProbeView>(copy));
  EXPECT_EQ(static_cast<TfrxProbeView*>(copy)->Count, 3);
  EXPECT_EQ(copy->Parent(), page);
  EXPECT_EQ(reader.ReadNewObject(page), nullptr);

  // Objects written one after another are read one after another: the reader leaves the
  // stream right after the tag it consumed, although it reads ahead in blocks.
  TStringStream two;
  TfrxXMLSerializer pairWriter(&two);
  v->Count = 1;
  pairWriter.WriteObjectElement(v);
  v->Count = 2;
  pairWriter.WriteObjectElement(v);
  two.SetPosition(0);
  TfrxXMLSerializer pairReader(&two);
  auto* one = static_cast<TfrxProbeView*>(pairReader.ReadNewObject(page));
  auto* second = static_cast<TfrxProbeView*>(pairReader.ReadNewObject(page));
  ASSERT_TRUE(one && second);
  EXPECT_EQ(one->Count, 1);
  EXPECT_EQ(second->Count, 2);
  TStringStream unknown("<TfrxNoSuchView/>");
  EXPECT_THROW(TfrxXMLSerializer(&unknown).ReadNewObject(page), EClassNotFound);

  TfrxXMLSerializer text(nullptr);
  EXPECT_EQ(text.ReadObjectFromText(page, "   "), nullptr);
  TfrxComponent* fromText = text.ReadObjectFromText(page, "TfrxBoxView l=\"4\" Link=\"Memo1\"");
  ASSERT_TRUE(Is<TfrxBoxView>(fromText));
  EXPECT_EQ(fromText->Left(), 4);
  EXPECT_EQ(static_cast<TfrxBoxView*>(fromText)->Link, v);
  EXPECT_THROW(text.ReadObjectFromText(page, "TfrxNoSuchView a=\"1\""), EClassNotFound);
}

TEST_F(frxClassTest, UniqueNamesAndLookup)
{
  NewView(page, "Memo1");
  NewView(page, "memo3");
  auto* fresh = new TfrxProbeView(page);
  fresh->SetBaseName("Memo");
  fresh->MakeUniqueName();
  EXPECT_EQ(fresh->Name(), "Memo2");
  auto* other = new TfrxProbeView(page);
  other->MakeUniqueName();
  EXPECT_EQ(other->Name(), "Probe1");

  EXPECT_EQ(report->FindObject("MEMO1")->Name(), "Memo1");
  EXPECT_EQ(report->FindObject("nothing"), nullptr);
  try {
    fresh->SetName("MEMO3");
    ADD_FAILURE() << "duplicate accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "重复命名");
  }
  EXPECT_EQ(fresh->Name(), "Memo2");
  EXPECT_EQ(fresh->Owner(), report.get()); // owned by the report, child of the page
  EXPECT_EQ(fresh->Parent(), page);
}

// The report keeps the names of what it owns in an index: renames, deletions, moves to
// another owner and objects that join the tree without being owned all stay findable.
TEST_F(frxClassTest, NameIndexFollowsRenamesRemovalsAndForeignObjects)
{
  TfrxProbeView* memo = NewView(page, "Alpha");
  memo->SetName("Beta");
  EXPECT_EQ(report->FindObject("ALPHA"), nullptr);
  EXPECT_EQ(report->FindObject("beta"), memo);
  NewView(page, "Alpha"); // the old name is free again
  delete memo;
  EXPECT_EQ(report->FindObject("Beta"), nullptr);
  NewView(page, "Beta");

  // Components of other kinds that the report owns share the names.
  auto* plain = new TComponent(report.get());
  plain->SetName("Gamma");
  EXPECT_THROW(plain->SetName("ALPHA"), EComponentError);
  EXPECT_EQ(plain->Name(), "Gamma");
  EXPECT_THROW(NewView(page, "gamma"), EComponentError);
  TComponent elsewhere(nullptr);
  elsewhere.InsertComponent(plain);
  EXPECT_EQ(report->FindOwnedComponent("Gamma"), nullptr);
  NewView(page, "Gamma");

  // A page made apart and attached later brings objects the report does not own.
  auto* loose = new TfrxPage(nullptr);
  NewView(loose, "Loose1");
  loose->SetParent(report.get());
  EXPECT_NE(report->FindObject("loose1"), nullptr);
  EXPECT_EQ(report->FindObject("Loose2"), nullptr);
}

// Inserting and removing objects tells only the components that asked to hear of them,
// not every component the report owns.
TEST_F(frxClassTest, OwnedComponentsHearOnlyOfWhatTheyReferTo)
{
  class TListener : public TComponent {
  public:
    using TComponent::TComponent;
    Integer Calls = 0;

  protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
      TComponent::Notification(AComponent, Operation);
      ++Calls;
    }
  };
  auto* bystander = new TListener(report.get());
  auto* watcher = new TListener(report.get());
  std::vector<TfrxProbeView*> views;
  for (Integer i = 0; i < 50; ++i)
    views.push_back(new TfrxProbeView(page));
  views[7]->FreeNotification(watcher);
  for (TfrxProbeView* view : views)
    delete view;
  EXPECT_EQ(bystander->Calls, 0);
  EXPECT_EQ(watcher->Calls, 1);
}

TEST_F(frxClassTest, FontFlowsDownToChildrenThatFollowIt)
{
  auto* band = NewView(page, "Band1");
  auto* memo = NewView(band, "Memo1");
  auto* own = NewView(band, "Memo2");
  auto* deep = NewView(memo, "Memo3");
  own->Font()->SetName("Courier New");
  EXPECT_FALSE(own->ParentFont());
  EXPECT_TRUE(memo->ParentFont());

  band->Font()->SetSize(14);
  EXPECT_FALSE(band->ParentFont());
  EXPECT_EQ(memo->Font()->Size(), 14);
  EXPECT_EQ(deep->Font()->Size(), 14);
  EXPECT_TRUE(memo->ParentFont());
  EXPECT_TRUE(deep->ParentFont());
  EXPECT_EQ(own->Font()->Size(), 10);

  own->SetParentFont(true);
  EXPECT_EQ(own->Font()->Size(), 14);
  EXPECT_EQ(own->Font()->Name(), "Arial");
}

TEST_F(frxClassTest, PositionsAndRestrictions)
{
  auto* band = NewView(page, "Band1");
  band->SetTop(20);
  band->SetLeft(3);
  auto* memo = NewView(band, "Memo1");
  memo->SetTop(10);
  memo->SetLeft(1);
  EXPECT_EQ(memo->AbsTop(), 30);
  EXPECT_EQ(memo->AbsLeft(), 4);

  auto* dialog = new TfrxDialogPage(report.get());
  dialog->SetLeft(100);
  auto* control = NewView(dialog, "Control1");
  control->SetLeft(5);
  EXPECT_EQ(control->AbsLeft(), 5);

  memo->SetRestrictions({rfDontMove});
  memo->SetLeft(50);
  EXPECT_EQ(memo->Left(), 50);
  auto* designed = static_cast<TfrxProbeView*>(
      TfrxComponent::CreateForDesign(ClassInfoOf<TfrxProbeView>(), band));
  ASSERT_NE(designed, nullptr);
  EXPECT_TRUE(designed->IsDesigning());
  designed->SetRestrictions({rfDontMove, rfDontSize});
  designed->SetBounds(7, 8, 9, 10);
  EXPECT_EQ(designed->Left(), 0);
  EXPECT_EQ(designed->Width(), 0);
  EXPECT_FALSE(memo->IsDesigning());
}

TEST_F(frxClassTest, TreeOrderAssignAndDestruction)
{
  auto* band = NewView(page, "Band1");
  auto* a = NewView(band, "A");
  NewView(a, "A1");
  NewView(band, "B");
  TList* all = report->AllObjects();
  AnsiString order;
  for (Integer i = 0; i < all->Count(); ++i)
    order += static_cast<TfrxComponent*>(all->Items(i))->Name() + " ";
  EXPECT_EQ(order, "Page1 Band1 A A1 B ");
  EXPECT_EQ(a->Page(), page);
  EXPECT_EQ(a->Report(), report.get());

  auto* target = NewView(page, "Target");
  NewView(target, "Child");
  band->Count = 9;
  target->Assign(band);
  EXPECT_EQ(target->Objects()->Count(), 0);
  EXPECT_EQ(target->Count, 9);
  EXPECT_EQ(target->Name(), "Target");

  delete a;
  EXPECT_EQ(report->FindObject("A1"), nullptr);
  EXPECT_EQ(band->Objects()->Count(), 1);
}

TEST_F(frxClassTest, SaveStateRestoreState)
{
  auto* v = NewView(page, "Memo1");
  v->SetBounds(1, 2, 3, 4);
  v->SaveState();
  v->SetBounds(5, 6, 7, 8);
  v->RestoreState();
  EXPECT_EQ(v->Left(), 1);
  EXPECT_EQ(v->Height(), 4);
}

TEST_F(frxClassTest, CollectionsInsideTheReport)
{
  TfrxProbeReport empty(nullptr);
  TStringStream out;
  empty.SaveToStream(&out);
  EXPECT_NE(out.DataString().find(
                " PropData=\"0844617461736574730100095661726961626C65730100055374796C650100\""),
            AnsiString::npos);

  TfrxProbeReport source(nullptr);
  auto* p = new TfrxPage(&source);
  p->SetName("Page1");
  auto* item = static_cast<TProbeItem*>(source.Variables.Add());
  item->Caption = "第一 \"x\"";
  item->Target = p;
  static_cast<TProbeItem*>(source.Variables.Add())->Caption = AnsiString(300, 'v');
  static_cast<TProbeItem*>(source.Style.Add())->Caption = "s";
  TStringStream full;
  source.SaveToStream(&full);

  TfrxProbeReport loaded(nullptr);
  static_cast<TProbeItem*>(loaded.Style.Add())->Caption = "stale";
  static_cast<TProbeItem*>(loaded.Style.Add())->Caption = "stale";
  full.SetPosition(0);
  loaded.LoadFromStream(&full);
  EXPECT_EQ(loaded.Errors()->Count(), 0) << loaded.Errors()->Text();
  ASSERT_EQ(loaded.Variables.Count(), 2);
  auto* first = static_cast<TProbeItem*>(loaded.Variables.Items(0));
  EXPECT_EQ(first->Caption, "第一 \"x\"");
  EXPECT_EQ(first->Target, loaded.FindObject("Page1")); // resolved after the whole tree
  EXPECT_EQ(static_cast<TProbeItem*>(loaded.Variables.Items(1))->Caption, AnsiString(300, 'v'));
  ASSERT_EQ(loaded.Style.Count(), 1);
  EXPECT_EQ(static_cast<TProbeItem*>(loaded.Style.Items(0))->Caption, "s");
  EXPECT_EQ(loaded.Datasets.Count(), 0);
}

TEST_F(frxClassTest, DifferenceText)
{
  auto* source = NewView(page, "Source");
  auto* copy = NewView(page, "Copy");
  source->SetBounds(10, 20, 30, 40);
  copy->SetBounds(10.00001L, 25, 30, 41.5);
  EXPECT_EQ(copy->Diff(source), " t=\"25\" h=\"41.5\"");

  copy->SetVisible(false);
  copy->Font()->SetName("宋体");
  copy->Font()->SetStyle({fsBold, fsUnderline});
  copy->SetTag(3);
  EXPECT_EQ(copy->Diff(source), " t=\"25\" h=\"41.5\" Visible=\"0\" Font.Name=\"宋体\" "
                                "Font.Style=\"5\" ParentFont=\"0\" Tag=\"3\"");
  EXPECT_EQ(source->Diff(source), "");

  TfrxXMLSerializer serializer(nullptr);
  EXPECT_EQ(copy->AllDiff(nullptr), serializer.ObjToXML(copy));
  EXPECT_EQ(copy->AllDiff(source), serializer.ObjToXML(copy) + " " + copy->Diff(source));
}

TEST_F(frxClassTest, AlignChildren)
{
  auto* band = NewView(page, "Band1");
  band->SetBounds(0, 0, 200, 50);
  auto make = [&](const char* name, Extended left, Extended top, Extended width, TfrxAlign align) {
    auto* v = NewView(band, name);
    v->SetBounds(left, top, width, 10);
    v->AlignValue = align;
    return v;
  };
  // Created right to left: the order comes from Left, not from creation.
  auto* b = make("B", 100, 0, 30, baLeft);
  auto* a = make("A", 50, 0, 20, baLeft);
  auto* r = make("R", 120, 0, 25, baRight);
  auto* w = make("W", 60, 20, 10, baWidth);
  auto* wr = make("WR", 150, 20, 20, baNone);
  auto* c = make("C", 0, 40, 40, baCenter);
  auto* bottom = make("Bottom", 5, 0, 5, baBottom);
  auto* innerBand = make("Inner", 0, 0, 500, baNone);
  innerBand->Band = true; // bands take no part, so it is nobody's neighbour

  band->AlignChildren();
  EXPECT_EQ(a->Left(), 0);
  EXPECT_EQ(b->Left(), 20);  // right after A
  EXPECT_EQ(r->Left(), 175); // the band's right edge
  EXPECT_EQ(w->Left(), 0);
  EXPECT_EQ(w->Width(), 150); // up to WR
  EXPECT_EQ(wr->Left(), 150);
  EXPECT_EQ(c->Left(), 80);
  EXPECT_EQ(bottom->Top(), 40);

  // An aligned object leaves Left out of its difference text; a band always has Top.
  auto* twin = make("Twin", 1, 40, 5, baNone);
  EXPECT_EQ(bottom->Diff(twin), "");
  innerBand->SetTop(40);
  EXPECT_EQ(innerBand->Diff(twin), " l=\"0\" t=\"40\" w=\"500\"");
}

} // namespace

// The designer's names reach the same state: InDesigner is IsDesigning, SavedBounds is what
// SaveState keeps, ObjectCaption is the description of an object of the class.
TEST_F(frxClassTest, DesignerNamesShareTheState)
{
  TfrxProbeView* view = NewView(page, "Probe1");
  view->SetInDesigner(true);
  EXPECT_TRUE(view->IsDesigning());
  view->SetBounds(1, 2, 3, 4);
  view->SaveState();
  EXPECT_EQ(view->SavedBounds().Width, 3);
  view->SavedBounds().Top = 20;
  view->RestoreState();
  EXPECT_EQ(view->Top(), 20);
  EXPECT_EQ(TfrxComponent::ObjectCaption(ClassInfoOf<TfrxProbeView>()), "TfrxProbeView");
  EXPECT_EQ(TfrxComponent::ObjectCaption(ClassInfoOf<TfrxReport>()), "obReport");
  EXPECT_EQ(TfrxComponent::ObjectCaption(ClassInfoOf<TStringList>()), "");
}
