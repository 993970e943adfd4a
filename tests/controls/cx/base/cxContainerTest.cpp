#include "controls/cx/base/cxContainer.h"

#include <gtest/gtest.h>

#include "platform/rtl/VirtualKeys.h"
#include "platform/ui/StdCtrls.h"
#include "tests/controls/cx/base/cxRecordingTheme.h"
#include "tests/controls/cx/base/cxTestSupport.h"
#include "tests/controls/cx/base/cxUiTestKit.h"

namespace {

// An edit that is a container's inner control.
class TInnerEdit : public TEdit, public IcxContainerInnerControl {
public:
  TInnerEdit(TcxContainer* AContainer) : TEdit(AContainer), FContainer(AContainer)
  {
    SetBorderStyle(bsNone);
    SetParent(AContainer);
    AContainer->SetInnerControl(this);
  }
  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return FContainer; }
  std::vector<Word> Keys;
  std::string Chars;

protected:
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    Keys.push_back(Key);
    TEdit::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override
  {
    Chars += Key;
    TEdit::KeyPress(Key);
  }

private:
  TcxContainer* FContainer;
};

struct TContainerFixture : cxUiTest {
  TcxContainer* Make(Integer x, Integer y, Integer w = 120, Integer h = 21, bool inner = false)
  {
    auto* c = Place<TcxContainer>(x, y, w, h);
    if (inner)
      new TInnerEdit(c);
    c->UpdateLook();
    Headless().ProcessMessages();
    return c;
  }
};

} // namespace

using cxContainerTest = TContainerFixture;

TEST_F(cxContainerTest, HotTrackingThickensASingleBorder)
{
  TcxContainer* c = Make(10, 10);
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetHotTrack(true);
  Headless().Move({900, 700});
  c->UpdateLook();
  EXPECT_EQ(c->ViewInfo()->BorderStyle, cbsSingle);
  EXPECT_EQ(c->ViewInfo()->BorderWidth, 1);
  Headless().Move(At(c, 50, 10));
  EXPECT_EQ(c->ViewInfo()->HotState, 2);
  EXPECT_EQ(c->ViewInfo()->BorderStyle, cbsThick);
  EXPECT_EQ(c->ViewInfo()->BorderWidth, 2);
  Headless().Move({900, 700});
  Headless().AdvanceAndProcess(20);
  EXPECT_EQ(c->ViewInfo()->BorderWidth, 1) << "leaving restores it";
  EXPECT_EQ(MouseTrackingCount(), 0);
}

TEST_F(cxContainerTest, TransparentBorderAndShadowShapeTheWindowRegion)
{
  TcxContainer* c = Make(10, 10, 100, 20);
  c->Style()->SetHotTrack(false);
  c->Style()->SetBorderStyle(cbsSingle);
  c->Style()->SetTransparentBorder(true);
  c->UpdateLook();
  EXPECT_EQ(c->ViewInfo()->BorderInnerRect, Rect(2, 2, 98, 18));
  TRegion region;
  ASSERT_TRUE(GetWindowRgn(c->Handle(), region));
  EXPECT_EQ(region.Bounds(), Rect(1, 1, 99, 19)) << "the outer ring is cut away";
  c->Style()->SetShadow(true);
  c->UpdateLook();
  EXPECT_EQ(c->ViewInfo()->BorderInnerRect, Rect(2, 2, 95, 15));
  ASSERT_TRUE(GetWindowRgn(c->Handle(), region));
  EXPECT_TRUE(region.Contains(1, 1));
  EXPECT_TRUE(region.Contains(98, 18)) << "the outline moved by (3, 3)";
  EXPECT_FALSE(region.Contains(1, 18));
  // The painted frame: one pixel of the border colour inside the transparent ring.
  Headless().ProcessMessages();
  const TColor border = ColorToRGB(c->Style()->BorderColor()) & 0xFFFFFF;
  EXPECT_EQ(Headless().ScreenPixel(At(c, 1, 10)), border);
  EXPECT_EQ(Headless().ScreenPixel(At(c, 50, 16)) & 0xFFFFFF, ColorToRGB(clBtnShadow) & 0xFFFFFF)
      << "the shadow strip";
}

TEST_F(cxContainerTest, UltraFlatBorderColoursFollowFocusAndHover)
{
  TcxContainer* c = Make(10, 10);
  Headless().Move({900, 700});
  c->UpdateLook();
  ASSERT_EQ(c->Style()->BorderStyle(), cbsUltraFlat);
  EXPECT_EQ(c->ViewInfo()->BorderColor, clBtnShadow);
  c->SetFocus();
  EXPECT_EQ(c->ViewInfo()->BorderColor, clHighlight);
  TcxContainer* d = Make(10, 40);
  Headless().Move(At(d, 30, 10));
  EXPECT_EQ(d->ViewInfo()->BorderColor, clHighlight) << "hovered with hot tracking";
  d->Style()->SetHotTrack(false);
  d->UpdateLook();
  EXPECT_EQ(d->ViewInfo()->BorderColor, clBtnShadow);
}

TEST_F(cxContainerTest, ColorGoesIntoTheStyleAndParentColorTakesItBack)
{
  TcxContainer* c = Make(10, 10);
  c->SetColor(clYellow);
  EXPECT_TRUE(c->Style()->AssignedValues().Contains(csvColor));
  EXPECT_EQ(c->Style()->Color(), clYellow);
  EXPECT_EQ(c->ViewInfo()->BackgroundColor, clYellow);
  c->SetParentColor(true);
  Form->SetColor(clAqua); // the children hear CM_PARENTCOLORCHANGED
  EXPECT_FALSE(c->Style()->AssignedValues().Contains(csvColor));
  EXPECT_EQ(c->Color(), clAqua);
  EXPECT_EQ(c->Style()->Color(), clAqua);
  c->SetEnabled(false);
  EXPECT_EQ(c->ViewInfo()->BackgroundColor, clBtnFace);
}

TEST_F(cxContainerTest, KeysAndFocusReachTheInnerControl)
{
  TcxContainer* c = Make(10, 10, 120, 21, true);
  auto* inner = static_cast<TInnerEdit*>(c->InnerControl());
  EXPECT_EQ(inner->BoundsRect(), c->ViewInfo()->ClientRect);
  c->SetFocus();
  EXPECT_TRUE(inner->Focused()) << "the container hands the focus on";
  EXPECT_TRUE(c->ContainerFocused());
  Headless().Type("ab");
  EXPECT_EQ(inner->Text(), "ab");
  // Keys sent to the container's own window go on to the inner control.
  SendMessage(c->Handle(), WM_KEYDOWN, VK_F4, 0);
  EXPECT_EQ(inner->Keys.back(), VK_F4);
  SendMessage(c->Handle(), WM_CHAR, 'z', 0);
  EXPECT_EQ(inner->Chars.back(), 'z');
  // Focus coming back from the inner control is not bounced back to it.
  EXPECT_EQ(GetFocus(), inner->Handle());
}

TEST_F(cxContainerTest, TabMovesThroughTheForm)
{
  TcxContainer* a = Make(10, 10, 120, 21, true);
  TcxContainer* b = Make(10, 40, 120, 21, true);
  auto* plain = Place<TEdit>(10, 70, 100, 21);
  Headless().ProcessMessages();
  a->SetFocus();
  ASSERT_EQ(GetFocus(), a->InnerControl()->Handle());
  Headless().Key(VK_TAB);
  EXPECT_EQ(GetFocus(), b->InnerControl()->Handle());
  Headless().Key(VK_TAB);
  EXPECT_EQ(GetFocus(), plain->Handle());
  Headless().Key(VK_TAB, true);
  EXPECT_EQ(GetFocus(), b->InnerControl()->Handle());
}

TEST_F(cxContainerTest, ThemedLookUsesTheEditPartAndItsDisabledFill)
{
  cxtest::TRecordingTheme theme;
  theme.Colors[{"Edit", EP_EDITTEXT, ETS_DISABLED, TMT_FILLCOLOR}] = RGB(1, 2, 3);
  TcxContainer* c = Make(10, 10);
  c->Style()->LookAndFeel()->SetNativeStyle(true);
  c->UpdateLook();
  EXPECT_TRUE(c->ViewInfo()->ThemeActive);
  EXPECT_EQ(c->ViewInfo()->ThemePart, EP_EDITTEXT);
  TRegion region;
  EXPECT_FALSE(GetWindowRgn(c->Handle(), region)) << "no window region when themed";
  c->SetEnabled(false);
  EXPECT_EQ(c->ViewInfo()->ThemeState, ETS_DISABLED);
  EXPECT_EQ(c->ViewInfo()->BackgroundColor, RGB(1, 2, 3));
  theme.Refused = {"Edit"};
  theme.Changed();
  c->UpdateLook();
  EXPECT_FALSE(c->ViewInfo()->ThemeActive) << "falls back without the class";
}

TEST(cxContainerStyle, ControllerChainDefaultsAndCycles)
{
  TcxContainerStyle s(nullptr, false);
  EXPECT_EQ(s.BorderStyle(), cbsUltraFlat);
  s.LookAndFeel()->SetKind(lfStandard);
  EXPECT_EQ(s.BorderStyle(), cbs3D);
  s.LookAndFeel()->SetKind(lfFlat);
  EXPECT_EQ(s.BorderStyle(), cbsFlat);

  TcxStyleController c1(nullptr), c2(nullptr), c3(nullptr);
  Integer changes = 0;
  TcxContainerStyle listener(nullptr, false);
  listener.OnChanged = [&](TcxContainerStyle*) { ++changes; };
  listener.SetStyleController(&c1);
  changes = 0;
  c1.Style()->SetColor(clRed);
  EXPECT_EQ(listener.Color(), clRed);
  EXPECT_EQ(changes, 1);
  c1.Style()->SetTransparentBorder(false);
  EXPECT_TRUE(listener.IsValueAssigned(csvTransparentBorder));
  EXPECT_FALSE(listener.AssignedValues().Contains(csvTransparentBorder));

  // c1's style -> c2, c2's style -> c3; c3's style -> c1 would close the ring.
  c1.Style()->SetStyleController(&c2);
  c2.Style()->SetStyleController(&c3);
  c3.Style()->SetStyleController(&c1);
  EXPECT_EQ(c3.Style()->StyleController(), nullptr);
  c1.Style()->SetStyleController(&c1);
  EXPECT_EQ(c1.Style()->StyleController(), &c2);
  EXPECT_EQ(listener.BorderStyle(), cbsUltraFlat) << "reading ends";
  // A controller that goes away leaves its listeners on the default.
  {
    TcxStyleController temporary(nullptr);
    listener.SetStyleController(&temporary);
  }
  EXPECT_EQ(listener.StyleController(), nullptr);
}

TEST(cxContainerStyle, ExternalStylesReportEverythingAndStayQuiet)
{
  TFont font;
  TcxContainerStyle s(nullptr, true);
  Integer changes = 0;
  s.OnChanged = [&](TcxContainerStyle*) { ++changes; };
  s.SetFont(&font);
  EXPECT_EQ(s.Font(), &font) << "the given font object is kept";
  s.SetBorderStyle(cbsThick);
  s.SetShadow(true);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(s.AssignedValues().Count(), 8);
  EXPECT_EQ(s.BorderStyle(), cbsThick);
  EXPECT_FALSE(s.Shadow());
  EXPECT_TRUE(s.TransparentBorder());
  EXPECT_EQ(s.BorderColor(), clDefault);
}

TEST(cxContainerHelpers, FramesAndShadowStrips)
{
  cxtest::TPaintFixture f(20, 20);
  FillRectFrame(&f.Cx, Rect(0, 0, 20, 20), Rect(3, 3, 17, 17), clRed);
  EXPECT_EQ(f.Count(clRed), 400 - 14 * 14);
  cxtest::TPaintFixture g(20, 20);
  FillRectFrame(&g.Cx, Rect(0, 0, 20, 20), Rect(0, 0, 20, 20), clRed);
  EXPECT_EQ(g.Count(clRed), 0);
  FillRectFrame(&g.Cx, Rect(2, 2, 4, 4), TRect{}, clRed);
  EXPECT_EQ(g.Count(clRed), 4);
  cxtest::TPaintFixture s(20, 20);
  DrawContainerShadow(&s.Cx, Rect(0, 0, 10, 10));
  EXPECT_EQ(s.At(3, 10), ColorToRGB(clBtnShadow) & 0xFFFFFF);
  EXPECT_EQ(s.At(2, 10), clWhite) << "starts three pixels in";
  EXPECT_EQ(s.At(10, 3), ColorToRGB(clBtnShadow) & 0xFFFFFF);
  EXPECT_EQ(MouseButtonToCode(mbMiddle), 3);
}
