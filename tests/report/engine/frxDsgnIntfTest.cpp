// The designer registries: order, duplicates, and the editor look-up rules.
#include "report/engine/frxDsgnIntf.h"

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "report/engine/frxClass.h"

namespace {

class TfrxRegShapeView : public TfrxReportComponent {
public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
};
class TfrxRegBand : public TfrxReportComponent {
public:
  using TfrxReportComponent::TfrxReportComponent;
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
};
class TfrxRegDataBand : public TfrxRegBand {
public:
  using TfrxRegBand::TfrxRegBand;
};
class TfrxRegFooter : public TfrxRegBand {
public:
  using TfrxRegBand::TfrxRegBand;
};

class TRegBandEditor : public TfrxComponentEditor {
public:
  using TfrxComponentEditor::TfrxComponentEditor;
};
class TRegDataBandEditor : public TfrxComponentEditor {
public:
  using TfrxComponentEditor::TfrxComponentEditor;
};

class TRegExport : public TfrxCustomExportFilter {
public:
  using TfrxCustomExportFilter::TfrxCustomExportFilter;
};

class TRegWizard : public TfrxCustomWizard {
public:
  using TfrxCustomWizard::TfrxCustomWizard;
};

// Editor classes are only compared by identity here.
class TRegEditorA : public TObject {};
class TRegEditorB : public TObject {};
class TRegEditorC : public TObject {};

void RegisterClassesOnce()
{
  TClassRegistration<TfrxRegShapeView, TfrxReportComponent>("TfrxRegShapeView");
  TClassRegistration<TfrxRegBand, TfrxReportComponent>("TfrxRegBand");
  TClassRegistration<TfrxRegDataBand, TfrxRegBand>("TfrxRegDataBand");
  TClassRegistration<TfrxRegFooter, TfrxRegBand>("TfrxRegFooter");
  TClassRegistration<TRegBandEditor, TfrxComponentEditor>("TRegBandEditor");
  TClassRegistration<TRegDataBandEditor, TfrxComponentEditor>("TRegDataBandEditor");
  TClassRegistration<TRegExport, TfrxCustomExportFilter>("TRegExport");
  TClassRegistration<TRegWizard, TfrxCustomWizard>("TRegWizard");
  TClassRegistration<TRegEditorA>("TRegEditorA");
  TClassRegistration<TRegEditorB>("TRegEditorB");
  TClassRegistration<TRegEditorC>("TRegEditorC");
}

class frxDsgnIntfTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterClassesOnce(); }
};

TEST_F(frxDsgnIntfTest, PaletteKeepsOrderAndRefusesDuplicates)
{
  TfrxObjectCollection objects;
  TClass shape = ClassInfoOf<TfrxRegShapeView>();
  ASSERT_EQ(GetClass("TfrxRegShapeView"), nullptr);
  for (Word flags = 0; flags <= 4; ++flags)
    objects.RegisterObject(shape, nullptr, "obRect", "Draw", flags, 8 + flags);
  objects.RegisterObject(shape, nullptr, "other", "", 2, 99); // same class and flags
  objects.RegisterCategory("Draw", nullptr, "obCatDraw", 6);
  objects.RegisterCategory("Draw", nullptr, "obCatDraw", 6);
  ASSERT_EQ(objects.Count(), 7);
  EXPECT_EQ(objects.Items(2)->Flags, 2);
  EXPECT_EQ(objects.Items(2)->ButtonImageIndex, 10);
  EXPECT_EQ(objects.Items(5)->ClassRef, nullptr);
  EXPECT_EQ(objects.Items(6)->CategoryName, "Draw");
  // Entering the palette makes the class readable from report files.
  EXPECT_EQ(GetClass("tfrxregshapeview"), shape);
  EXPECT_THROW(objects.Items(7), EListError);
  UnRegisterClass(shape);
}

TEST_F(frxDsgnIntfTest, ComponentEditorLookup)
{
  TfrxComponentEditorCollection editors;
  editors.RegisterEditor(ClassInfoOf<TfrxRegBand>(), ComponentEditorClass<TRegBandEditor>());
  editors.RegisterEditor(ClassInfoOf<TfrxRegDataBand>(),
                         ComponentEditorClass<TRegDataBandEditor>());
  editors.RegisterEditor(ClassInfoOf<TfrxReportComponent>(),
                         ComponentEditorClass<TfrxComponentEditor>());

  TfrxReport report(nullptr);
  auto* data = new TfrxRegDataBand(&report);
  auto* footer = new TfrxRegFooter(&report);
  auto* page = new TfrxPage(&report);

  std::unique_ptr<TfrxComponentEditor> e(editors.CreateComponentEditor(data, nullptr, nullptr));
  EXPECT_TRUE(Is<TRegDataBandEditor>(e.get())); // exact class wins over an earlier ancestor
  EXPECT_EQ(e->Component(), data);
  // No exact entry: the last registered ancestor entry serves, however far the ancestor.
  e.reset(editors.CreateComponentEditor(footer, nullptr, nullptr));
  EXPECT_EQ(e->ClassType(), ClassInfoOf<TfrxComponentEditor>());
  EXPECT_EQ(editors.CreateComponentEditor(page, nullptr, nullptr), nullptr);
}

TEST_F(frxDsgnIntfTest, PropertyEditorLookup)
{
  TfrxPropertyEditorCollection props;
  TClass a = ClassInfoOf<TRegEditorA>(), b = ClassInfoOf<TRegEditorB>(),
         c = ClassInfoOf<TRegEditorC>();
  PTypeInfo name = TComponentNameTypeInfo();
  PTypeInfo str = StringTypeInfo();
  PTypeInfo integer = IntegerTypeInfo();
  props.RegisterEditor(name, nullptr, "Name", a);                        // 0
  props.RegisterEditor(str, ClassInfoOf<TFont>(), "Name", b);            // 1
  props.RegisterEditor(integer, nullptr, "", a);                         // 2 type-only
  props.RegisterEditor(integer, nullptr, "", b);                         // 3 type-only, later
  props.RegisterEventEditor(c);                                          // 4
  props.RegisterEditor(integer, ClassInfoOf<TfrxRegBand>(), "Count", c); // 5

  TfrxReport report(nullptr);
  auto* band = new TfrxRegBand(&report);
  TFont font;
  EXPECT_EQ(props.FindEditorIndex(name, band, "Name"), 0);
  EXPECT_EQ(props.FindEditorIndex(str, &font, "name"), 1);
  EXPECT_EQ(props.FindEditorIndex(integer, band, "Tag"), 2);   // earliest type entry
  EXPECT_EQ(props.FindEditorIndex(integer, band, "Count"), 5); // a name match beats types
  EXPECT_EQ(props.FindEditorIndex(str, band, "Caption"), -1);
  EXPECT_EQ(props.EventEditorIndex(), 4);
  PTypeInfo eventType = DefineNamedType("TFRXNOTIFYEVENT", StringTypeInfo());
  props.RegisterEditor(eventType, ClassInfoOf<TfrxRegBand>(), "OnClick", a);
  EXPECT_EQ(props.FindEditorIndex(eventType, band, "OnClick"), 4);

  // Hidden properties are class-and-name entries without an editor, registered last.
  HideInspectorProperties(ClassInfoOf<TfrxReport>(), "IniFile;Name");
  TfrxPropertyEditorCollection* global = RegisteredPropertyEditors();
  Integer hidden = global->FindEditorIndex(name, &report, "Name");
  ASSERT_GE(hidden, 0);
  EXPECT_EQ(global->Items(hidden)->EditorClass, nullptr);
  EXPECT_EQ(global->Items(hidden - 1)->PropertyName, "IniFile");
  global->Delete(hidden);
  global->Delete(hidden - 1);
}

TEST_F(frxDsgnIntfTest, ExportFiltersEnterAndLeaveWithTheirLives)
{
  TfrxExportFilterCollection* filters = RegisteredExportFilters();
  const Integer before = filters->Count();
  auto first = std::make_unique<TRegExport>(nullptr);
  auto second = std::make_unique<TRegExport>(nullptr);
  ASSERT_EQ(filters->Count(), before + 2);
  EXPECT_EQ(filters->Items(before)->Filter, first.get());
  filters->RegisterFilter(first.get());
  filters->RegisterFilter(nullptr);
  EXPECT_EQ(filters->Count(), before + 2);
  first.reset();
  ASSERT_EQ(filters->Count(), before + 1);
  EXPECT_EQ(filters->Items(before)->Filter, second.get());
  EXPECT_THROW(second->WriteObject(nullptr), EAbstractError);
  EXPECT_TRUE(second->ShowDialog());
}

TEST_F(frxDsgnIntfTest, Wizards)
{
  TfrxWizardCollection wizards;
  wizards.RegisterWizard(ClassInfoOf<TRegWizard>(), nullptr, false);
  wizards.RegisterWizard(ClassInfoOf<TRegWizard>(), nullptr, true);
  ASSERT_EQ(wizards.Count(), 1);
  EXPECT_FALSE(wizards.Items(0)->IsToolbarWizard);
  EXPECT_EQ(wizards.Items(0)->ButtonImageIndex, -1);
  wizards.UnregisterWizard(ClassInfoOf<TRegWizard>());
  EXPECT_EQ(wizards.Count(), 0);

  TRegWizard wizard(nullptr);
  EXPECT_THROW(wizard.RunWizard(), EAbstractError);
  EXPECT_EQ(wizard.WizardCaption(), "");
}

TEST_F(frxDsgnIntfTest, DesignerBaseMarksTheReport)
{
  TfrxReport report(nullptr);
  TfrxCustomDesigner designer(nullptr, false, &report);
  designer.MarkModified(true);
  EXPECT_TRUE(designer.Modified());
  EXPECT_TRUE(report.Modified());
  EXPECT_THROW(designer.ReloadReport(), EAbstractError);
  EXPECT_EQ(CreateReportDesigner(nullptr, false, &report), nullptr);
}

} // namespace
