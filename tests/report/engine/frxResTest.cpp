// The text store: look-up by identifier, replacement, and form blocks.
#include "report/engine/frxRes.h"

#include <gtest/gtest.h>

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/TypInfo.h"

namespace {

class TLocalizedButton : public TComponent {
public:
  using TComponent::TComponent;
  AnsiString Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  Integer Count() const { return 7; }
  void SetCount(Integer) {}

private:
  AnsiString FCaption;
};

class TLocalizedForm : public TLocalizedButton {
public:
  using TLocalizedButton::TLocalizedButton;
};

void RegisterTestClasses()
{
  TClassRegistration<TLocalizedButton, TComponent>("TLocalizedButton")
      .Property("Caption", &TLocalizedButton::Caption, &TLocalizedButton::SetCaption)
      .Property("Count", &TLocalizedButton::Count, &TLocalizedButton::SetCount);
  TClassRegistration<TLocalizedForm, TLocalizedButton>("TLocalizedForm");
}

TEST(frxRes, LookupByIdentifier)
{
  TfrxResources* res = ReportResources();
  EXPECT_EQ(res->Lookup("mbError"), "错误");
  EXPECT_EQ(res->Lookup("MBERROR"), "错误");
  EXPECT_EQ(res->Lookup("clPageOf"), "第 %d 页 共 %d 页");
  EXPECT_EQ(res->Lookup("clFirstPass"), "第一次处理过程: 页 ");
  EXPECT_EQ(res->Lookup("noSuchText"), "noSuchText");

  TfrxResources local;
  local.Add("a", "1");
  local.Add("b", "2");
  local.Add("A", "3");
  EXPECT_EQ(local.Lookup("a"), "3");
  EXPECT_EQ(local.Lookup("b"), "2");
}

TEST(frxRes, LocalizeForm)
{
  RegisterTestClasses();
  TLocalizedForm form(nullptr);
  auto* button = new TLocalizedButton(&form);
  button->SetName("AllRB");

  TfrxResources res;
  res.LocalizeForm(&form); // no block: nothing happens
  EXPECT_EQ(form.Caption(), "");

  res.Add("TLocalizedForm", "Caption=打印\r\nAllRB.Caption=全部(&A)\r\nNoSuch.Caption=x\r\n"
                            "AllRB.Count=3\r\nAllRB.Missing=y\r\nnot a line\r\n=z");
  res.LocalizeForm(&form);
  EXPECT_EQ(form.Caption(), "打印");
  EXPECT_EQ(button->Caption(), "全部(&A)");
}

} // namespace

namespace {

TEST(frxRes, GlyphListsLoadOnceFromTheBuiltInStrips)
{
  TfrxResources resources;
  TCustomImageList* buttons = resources.ButtonImages();
  ASSERT_NE(buttons, nullptr);
  const Integer count = buttons->Count();
  EXPECT_GT(count, 0);
  EXPECT_EQ(resources.DisabledButtonImages()->Count(), count); // one alternative per glyph
  EXPECT_EQ(resources.ButtonImages()->Count(), count);         // a second call loads nothing
  EXPECT_EQ(buttons->Width(), 16);
  EXPECT_GT(resources.ObjectImages()->Count(), 0);
  EXPECT_EQ(resources.ObjectImages()->Height(), 22);

  TBitmap strip(64, 16);
  resources.LoadButtonImages(&strip, true);
  EXPECT_EQ(buttons->Count(), 2);
}

} // namespace
