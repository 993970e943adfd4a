#include "controls/cx/base/dxThemeManager.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/controls/cx/base/cxRecordingTheme.h"

using namespace cxtest;

TEST(dxThemeManager, HandlesAreCachedPerClassAndReopenedWithAnotherClassList)
{
  TRecordingTheme theme;
  TdxTheme h = OpenThemeHandle(tcButton);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(OpenThemeHandle(tcButton), h);
  EXPECT_EQ(theme.Opens, 1);
  const WideString sameInOtherCase = u"BUTTON";
  EXPECT_EQ(OpenThemeHandle(tcButton, &sameInOtherCase), h);
  EXPECT_EQ(theme.Opens, 1);
  const WideString other = u"Edit";
  TdxTheme e = OpenThemeHandle(tcButton, &other);
  EXPECT_EQ(theme.Opens, 2);
  EXPECT_EQ(theme.ClassOf(e), "Edit");
  EXPECT_TRUE(theme.Logged("close Button"));
  // Without a list the stored one is used again after a close of all handles.
  CloseAllThemeHandles();
  EXPECT_EQ(theme.ClassOf(OpenThemeHandle(tcButton)), "Edit");
  EXPECT_EQ(CloseThemeHandle(tcButton), S_OK);
  EXPECT_EQ(CloseThemeHandle(tcButton), 0) << "no handle open";
  EXPECT_EQ(theme.ClassOf(OpenThemeHandle(tcButton)), "Button");
}

TEST(dxThemeManager, AvailabilityNeedsEveryClassOfTheSet)
{
  TRecordingTheme theme;
  theme.Refused = {"Header"};
  EXPECT_TRUE(ThemesAvailable());
  EXPECT_TRUE(ThemesAvailable(ThemeClassBit(tcButton) | ThemeClassBit(tcEdit)));
  EXPECT_FALSE(ThemesAvailable(ThemeClassBit(tcButton) | ThemeClassBit(tcHeader)));
  EXPECT_EQ(OpenThemeHandle(tcHeader), 0u);
  theme.Active = false;
  theme.Changed();
  EXPECT_FALSE(ThemeActive());
  EXPECT_FALSE(ThemesAvailable());
  EXPECT_EQ(OpenThemeHandle(tcButton), 0u);
  EXPECT_EQ(CloseThemeHandle(tcButton), 1);
}

TEST(dxThemeManager, ThemeChangeClosesHandlesAndTellsNotificatorsOnce)
{
  TRecordingTheme theme;
  Integer calls = 0;
  TdxThemeChangedNotificator a;
  auto* b = new TdxThemeChangedNotificator;
  TdxThemeChangedNotificator* c = new TdxThemeChangedNotificator;
  a.OnThemeChanged = [&](TObject*) {
    ++calls;
    FreeAndNil(c); // a handler frees another notificator: it is not called
  };
  b->OnThemeChanged = [&](TObject*) { ++calls; };
  c->OnThemeChanged = [&](TObject*) { ADD_FAILURE() << "freed notificator called"; };
  OpenThemeHandle(tcButton);
  theme.Opens = 0;
  theme.Changed();
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(theme.Logged("close Button"));
  OpenThemeHandle(tcButton);
  EXPECT_EQ(theme.Opens, 1) << "reopened on next use";
  delete b;
  theme.Changed();
  EXPECT_EQ(calls, 3);
}
