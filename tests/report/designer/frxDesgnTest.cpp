// The designer settings component: which one is current while several come and go, the
// restrictions as stored (their bit layout) and as asked by a designer window, and the load
// and save hooks with their results.
#include "report/designer/frxDesgn.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/rtl/TypInfo.h"
#include "report/engine/frxClass.h"

TEST(frxDesigner, TheLastCreatedIsCurrentAndFreeingClearsOnlyItsOwnReference)
{
  ASSERT_EQ(DesignerSettings(), nullptr);
  auto report = std::make_unique<TfrxReport>(nullptr);
  auto* first = new TfrxDesigner(report.get());
  EXPECT_EQ(DesignerSettings(), first);
  EXPECT_TRUE(first->CloseQuery());
  auto second = std::make_unique<TfrxDesigner>(nullptr);
  EXPECT_EQ(DesignerSettings(), second.get());

  // Freeing the older one (with the report that owns it) leaves the newer one current.
  report.reset();
  EXPECT_EQ(DesignerSettings(), second.get());
  second.reset();
  EXPECT_EQ(DesignerSettings(), nullptr);
}

TEST(frxDesigner, RestrictionsKeepTheirBitsAndSwitchCommandsOff)
{
  // Without a settings object every command is allowed.
  EXPECT_TRUE(IsDesignerCommandAllowed(drDontCreateReport));

  TfrxDesigner settings(nullptr);
  PPropInfo prop = GetPropInfo(&settings, "Restrictions");
  ASSERT_NE(prop, nullptr);
  SetSetProp(&settings, prop,
             "[drDontDeletePage,drDontCreatePage,drDontCreateReport,drDontLoadReport,"
             "drDontPreviewReport,drDontEditVariables,drDontChangeReportOptions]");
  EXPECT_EQ(GetOrdProp(&settings, prop), 950);
  EXPECT_FALSE(IsDesignerCommandAllowed(drDontLoadReport));
  EXPECT_TRUE(IsDesignerCommandAllowed(drDontSaveReport));
  EXPECT_TRUE(IsDesignerCommandAllowed(drDontEditReportData));

  settings.SetRestrictions({drDontCreateReport});
  EXPECT_EQ(GetSetProp(&settings, prop), "[drDontCreateReport]");
  EXPECT_EQ(GetOrdProp(&settings, prop), 16);
  EXPECT_FALSE(IsDesignerCommandAllowed(drDontCreateReport));
  EXPECT_TRUE(IsDesignerCommandAllowed(drDontLoadReport));
  EXPECT_EQ(GetOrdProp(&settings, "CloseQuery"), 1);
}

TEST(frxDesigner, HooksAnswerOnlyWhenAssigned)
{
  TfrxReport report(nullptr);
  bool handled = true;
  EXPECT_FALSE(DesignerSaveHook(&report, false, handled));
  EXPECT_FALSE(handled); // no settings object: the window saves by itself

  TfrxDesigner settings(nullptr);
  EXPECT_FALSE(DesignerLoadHook(&report, handled));
  EXPECT_FALSE(handled);

  std::vector<std::pair<TfrxReport*, bool>> saves;
  settings.OnSaveReport = [&](TfrxReport* r, bool saveAs) {
    saves.push_back({r, saveAs});
    return !saveAs; // a save-as the user cancelled
  };
  settings.OnLoadReport = [](TfrxReport*) { return true; };
  EXPECT_TRUE(DesignerSaveHook(&report, false, handled));
  EXPECT_TRUE(handled);
  EXPECT_FALSE(DesignerSaveHook(&report, true, handled));
  EXPECT_TRUE(handled);
  EXPECT_TRUE(DesignerLoadHook(&report, handled));
  EXPECT_TRUE(handled);
  const std::vector<std::pair<TfrxReport*, bool>> expected{{&report, false}, {&report, true}};
  EXPECT_EQ(saves, expected);
}
