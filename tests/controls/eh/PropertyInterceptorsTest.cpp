// Read-property interceptors: the registry and the form interceptor's placement rules.
#include "controls/eh/PropertyInterceptors.h"

#include "platform/rtl/TypInfo.h"
#include "tests/platform/ui/UiTestKit.h"

namespace {

class TOtherFormInterceptor : public TFormStoragePropertyInterceptor {
public:
  using TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor;
};

} // namespace

using PropertyInterceptors = UiTest;

TEST_F(PropertyInterceptors, RegisteringAgainReplacesAndRemovingNeedsBothClasses)
{
  TClassRegistration<TOtherFormInterceptor, TFormStoragePropertyInterceptor>(
      "TOtherFormInterceptor")
      .Abstract();
  TClass form = ClassInfoOf<TCustomForm>();
  EXPECT_EQ(FindReadInterceptor(form).Class, ClassInfoOf<TFormStoragePropertyInterceptor>())
      << "registered at start-up";
  auto other = InterceptorClassOf<TOtherFormInterceptor>();
  AddReadInterceptor(form, other);
  EXPECT_EQ(FindReadInterceptor(form).Class, other.Class);
  RemoveReadInterceptor(form, InterceptorClassOf<TFormStoragePropertyInterceptor>());
  EXPECT_EQ(FindReadInterceptor(form).Class, other.Class) << "that pair is gone already";
  RemoveReadInterceptor(form, other);
  EXPECT_EQ(FindReadInterceptor(form).Class, nullptr);
  AddReadInterceptor(form, InterceptorClassOf<TFormStoragePropertyInterceptor>());
}

TEST_F(PropertyInterceptors, StoredBoundsAreRescaledToTheScreen)
{
  TForm form(nullptr);
  form.SetBounds(10, 20, 300, 200);
  form.SetPosition(poScreenCenter);
  std::unique_ptr<TStoragePropertyInterceptor> made(
      FindReadInterceptor(ClassInfoOf<TCustomForm>()).Create(&form));
  auto* i = dynamic_cast<TFormStoragePropertyInterceptor*>(made.get());
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->Left(), 10);
  EXPECT_EQ(i->Width(), 300);
  // A layout stored at 120 pixels per inch comes back at the screen's 96.
  SetOrdProp(i, "PixelsPerInch", 120);
  SetOrdProp(i, "Left", 125);
  SetOrdProp(i, "Top", 50);
  SetOrdProp(i, "Width", 500);
  SetOrdProp(i, "Height", 250);
  EXPECT_TRUE(i->PositionPresent());
  i->AfterRead();
  EXPECT_EQ(form.BoundsRect(), Bounds(100, 40, 400, 200));
  EXPECT_EQ(form.Position(), poDesigned) << "the restored position stays";
}

TEST_F(PropertyInterceptors, MaximisedFormKeepsItsStateAndGetsTheNormalRectangle)
{
  TForm form(nullptr);
  form.SetBounds(10, 20, 300, 200);
  form.Show();
  TFormStoragePropertyInterceptor i(&form);
  i.SetPixelsPerInch(96);
  i.SetLeft(30);
  i.SetTop(40);
  i.SetWidth(320);
  i.SetHeight(240);
  i.SetWindowState(wsMaximized);
  i.AfterRead();
  EXPECT_EQ(form.WindowState(), wsMaximized);
  EXPECT_EQ(FormRestoredBounds(&form), Rect(30, 40, 350, 280));
  TFormStoragePropertyInterceptor again(&form);
  EXPECT_EQ(again.Left(), 30) << "reading answers the restored bounds";
  EXPECT_EQ(again.WindowState(), wsMaximized);
}

TEST_F(PropertyInterceptors, StoredResolutionZeroLeavesBoundsAsRead)
{
  TForm form(nullptr);
  TFormStoragePropertyInterceptor i(&form);
  i.SetPixelsPerInch(0);
  i.SetLeft(7);
  i.SetTop(8);
  i.SetWidth(90);
  i.SetHeight(60);
  i.AfterRead();
  EXPECT_EQ(form.BoundsRect(), Bounds(7, 8, 90, 60));
}
