#include "controls/cx/base/cxStyles.h"

#include <gtest/gtest.h>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/DataModule.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A control's styles object: bitmaps used, defaults on every slot, change log.
class TTestStyles : public TcxStyles {
public:
  explicit TTestStyles(TPersistent* AOwner) : TcxStyles(AOwner) { UsesBitmaps = true; }
  TFont ControlFont;
  std::vector<Integer> Changes;
  Integer DefaultCalls = 0;
  void StyleChanged(Integer AIndex) override { Changes.push_back(AIndex); }
  void DefaultViewParams(Integer AIndex, TObject* AData, TcxViewParams& AParams) override
  {
    ++DefaultCalls;
    TcxStyles::DefaultViewParams(AIndex, AData, AParams);
    AParams.Color = clBtnFace;
    AParams.TextColor = clBlack;
    AParams.Font = &ControlFont;
  }
};

// A sheet whose styles class is the control's (TTestStyles counts as TcxStyles).
class TTestSheet : public TcxCustomStyleSheet {
public:
  using TcxCustomStyleSheet::TcxCustomStyleSheet;
  TClass StylesClass() const override { return ClassInfoOf<TcxStyles>(); }
};

struct TStylesFixture {
  TDataModule Form{nullptr};
  TcxStyleRepository* R = new TcxStyleRepository(&Form);
  // Owned by the form, as a designer makes them, so that they are written with it.
  TcxStyle* S1 = static_cast<TcxStyle*>(R->CreateStyleOwned(ClassInfoOf<TcxStyle>(), &Form));
  TcxStyle* S2 = static_cast<TcxStyle*>(R->CreateStyleOwned(ClassInfoOf<TcxStyle>(), &Form));
  TcxStyle* S3 = static_cast<TcxStyle*>(R->CreateStyleOwned(ClassInfoOf<TcxStyle>(), &Form));
  TcxCustomStyleSheet* SH1 = new TTestSheet(&Form);
  TStylesFixture()
  {
    SH1->SetStyleRepository(R);
    S1->SetName("S1");
    S2->SetName("S2");
    S3->SetName("S3");
    SH1->SetName("SH1");
    R->SetName("R");
    S1->SetColor(0x0000FF);
    TFont bold;
    bold.SetStyle(TFontStyles{fsBold});
    S2->SetFont(&bold);
    S2->SetTextColor(0xFF0000);
    TBitmap pattern(8, 8);
    S3->SetBitmap(&pattern);
    SH1->Styles()->SetStyle(3, S1);
  }
};

} // namespace

TEST(cxStyles, ResolveViewParamsTakesEachValueFromTheFirstSource)
{
  TStylesFixture f;
  TTestStyles styles(nullptr);
  styles.SetStyleSheet(f.SH1);
  TcxViewParams p;
  styles.ResolveViewParams(3, nullptr, f.S2, p);
  EXPECT_EQ(p.Color, 0x0000FF) << "from the sheet's slot style";
  EXPECT_EQ(p.Font, f.S2->Font()) << "from the explicit style";
  EXPECT_EQ(p.TextColor, 0xFF0000);
  EXPECT_EQ(p.Bitmap, nullptr) << "the defaults give none";
  EXPECT_EQ(styles.DefaultCalls, 1);
  // Everything set (bitmap too): the defaults are not asked.
  styles.SetStyleAt(4, f.S3);
  f.S3->SetColor(clRed);
  f.S3->SetTextColor(clLime);
  f.S3->SetFont(&styles.ControlFont);
  styles.ResolveViewParams(4, nullptr, nullptr, p);
  EXPECT_EQ(p.Bitmap, f.S3->Bitmap());
  EXPECT_EQ(styles.DefaultCalls, 1);
  // clDefault removes the colour again.
  f.S3->SetColor(clDefault);
  EXPECT_FALSE(f.S3->AssignedValues().Contains(svColor));
  styles.ResolveViewParams(4, nullptr, nullptr, p);
  EXPECT_EQ(p.Color, clBtnFace);
}

TEST(cxStyles, SlotsStaySortedAndTheSheetsStyleMakesNoOwnEntry)
{
  TStylesFixture f;
  TTestStyles styles(nullptr);
  styles.SetStyleSheet(f.SH1);
  EXPECT_EQ(styles.StyleAt(3), f.S1);
  styles.SetStyleAt(3, f.S1);
  EXPECT_EQ(styles.AssignedCount(), 0) << "the sheet already supplies it";
  styles.SetStyleAt(5, f.S2);
  styles.SetStyleAt(1, f.S2);
  styles.SetStyleAt(3, f.S3);
  ASSERT_EQ(styles.AssignedCount(), 3);
  EXPECT_EQ(styles.AssignedEntry(0).Index, 1);
  EXPECT_EQ(styles.AssignedEntry(1).Index, 3);
  EXPECT_EQ(styles.AssignedEntry(2).Index, 5);
  styles.Changes.clear();
  styles.SetStyleAt(5, nullptr);
  EXPECT_EQ(styles.Changes, std::vector<Integer>{5});
  styles.SetStyleAt(9, nullptr);
  EXPECT_EQ(styles.Changes.size(), 1u) << "an empty slot set to nil does nothing";
  // Dropping the sheet reports its slots.
  styles.SetStyleAt(3, nullptr);
  styles.Changes.clear();
  styles.SetStyleSheet(nullptr);
  EXPECT_EQ(styles.Changes, std::vector<Integer>{3});
  EXPECT_EQ(styles.StyleAt(3), nullptr);
}

TEST(cxStyles, FreeingAStyleNotifiesEachSlotFromTheLast)
{
  TStylesFixture f;
  TTestStyles a(nullptr), b(nullptr);
  for (TTestStyles* s : {&a, &b}) {
    s->SetStyleAt(2, f.S1);
    s->SetStyleAt(7, f.S1);
    s->SetStyleAt(4, f.S2);
    s->Changes.clear();
  }
  delete f.S1;
  EXPECT_EQ(a.Changes, (std::vector<Integer>{7, 2}));
  EXPECT_EQ(b.Changes, (std::vector<Integer>{7, 2}));
  EXPECT_EQ(a.AssignedCount(), 1);
  EXPECT_EQ(f.SH1->Styles()->AssignedCount(), 0) << "the sheet dropped it too";
  // A content change reaches each slot holding the style.
  a.Changes.clear();
  f.S2->SetTextColor(clGreen);
  EXPECT_EQ(a.Changes, std::vector<Integer>{4});
}

TEST(cxStyles, SheetCyclesAndForeignClassesAreRefused)
{
  TStylesFixture f;
  auto* sh2 = new TTestSheet(&f.Form);
  auto* sh3 = new TTestSheet(&f.Form);
  sh2->Styles()->SetStyleSheet(f.SH1);
  sh3->Styles()->SetStyleSheet(sh2);
  f.SH1->Styles()->SetStyleSheet(sh3);
  EXPECT_EQ(f.SH1->Styles()->StyleSheet(), nullptr) << "SH1 -> SH3 -> SH2 -> SH1";
  f.SH1->Styles()->SetStyleSheet(f.SH1);
  EXPECT_EQ(f.SH1->Styles()->StyleSheet(), nullptr);
  EXPECT_EQ(sh3->Styles()->GetStyle(3), f.S1) << "chained sheets";
  TTestStyles control(nullptr);
  auto* foreign = f.R->CreateStyleSheet(ClassInfoOf<TcxCustomStyleSheet>());
  control.SetStyleSheet(foreign);
  EXPECT_EQ(control.StyleSheet(), nullptr) << "a sheet of another styles class";
  // Freeing a sheet detaches its users.
  TTestStyles plain(nullptr);
  plain.SetStyleSheet(sh3);
  EXPECT_EQ(sh3->UserCount(), 1);
  delete sh3;
  EXPECT_EQ(plain.StyleSheet(), nullptr);
}

TEST(cxStyles, CaptionFallsBackToTheName)
{
  TStylesFixture f;
  EXPECT_EQ(f.SH1->Caption(), "SH1");
  f.SH1->SetCaption("sh1");
  EXPECT_FALSE(f.SH1->IsCaptionStored());
  f.SH1->SetCaption("运单样式");
  EXPECT_EQ(f.SH1->Caption(), "运单样式");
  auto* other = f.R->CreateStyleSheet(ClassInfoOf<TcxCustomStyleSheet>());
  other->SetName("Other");
  auto* plain = f.R->CreateStyleSheet(ClassInfoOf<TcxCustomStyleSheet>());
  plain->SetName("Plain");
  other->Assign(plain);
  EXPECT_EQ(other->Caption(), "Plain") << "a sheet without caption gives its name";
  EXPECT_TRUE(other->IsCaptionStored());
}

TEST(cxStyles, RepositoryRoundTripsThroughTheComponentStream)
{
  TStylesFixture f;
  f.S1->SetTextColor(clDefault);
  TMemoryStream stream;
  {
    TWriter writer(&stream);
    writer.WriteRootComponent(&f.Form);
  }
  const std::string bytes(static_cast<const char*>(stream.Memory()),
                          static_cast<size_t>(stream.Size()));
  EXPECT_NE(bytes.find("BuiltIn"), std::string::npos) << "always written";
  EXPECT_EQ(bytes.find("Caption"), std::string::npos) << "no caption stored";
  const std::string textColor = "\x09TextColor"; // a property name: length, then the name
  EXPECT_EQ(bytes.find(textColor), bytes.rfind(textColor)) << "only S2 stores TextColor";
  EXPECT_LT(bytes.find("S3"), bytes.find("SH1")) << "styles before sheets";

  stream.SetPosition(0);
  TDataModule form(nullptr);
  TReader reader(&stream);
  try {
    reader.ReadRootComponent(&form);
  } catch (Exception& e) {
    FAIL() << e.Message();
  }
  auto* r = dynamic_cast<TcxStyleRepository*>(form.FindComponent("R"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Count(), 3);
  EXPECT_EQ(r->StyleSheetCount(), 1);
  auto* s1 = dynamic_cast<TcxStyle*>(form.FindComponent("S1"));
  ASSERT_NE(s1, nullptr);
  EXPECT_EQ(s1->Color(), 0x0000FF);
  EXPECT_EQ(s1->AssignedValues(), TcxStyleValues{svColor});
  EXPECT_EQ(s1->StyleRepository(), r);
  auto* s2 = dynamic_cast<TcxStyle*>(form.FindComponent("S2"));
  EXPECT_TRUE(s2->Font()->Style().Contains(fsBold));
}
