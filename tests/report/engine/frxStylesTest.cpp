// Styles: unique names, lookups, the style and style-sheet files, and restyling the text
// objects of a report.
#include "report/engine/frxStyles.h"

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "report/engine/frxClass.h"

namespace {

const AnsiString Head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

AnsiString Joined(TStrings* list)
{
  AnsiString s;
  for (Integer i = 0; i < list->Count(); ++i)
    s += (i ? "|" : "") + list->Strings(i);
  return s;
}

TfrxStyleItem* AddStyle(TfrxStyles& styles, const AnsiString& name, TColor color)
{
  TfrxStyleItem* item = styles.Add();
  item->SetName(name);
  item->SetColor(color);
  return item;
}

TEST(frxStyles, NewItemDefaults)
{
  TfrxStyles styles;
  TfrxStyleItem* item = styles.Add();
  EXPECT_EQ(item->Name(), "");
  EXPECT_EQ(item->Color(), clNone);
  EXPECT_EQ(item->Font()->Name(), "Arial");
  EXPECT_EQ(item->Font()->Size(), 10);
  EXPECT_EQ(item->Font()->Charset(), 1);
  EXPECT_TRUE(item->Frame()->Typ().Empty());
}

TEST(frxStyles, DuplicateNamesAreRefused)
{
  TfrxStyles styles;
  TfrxStyleItem* a = AddStyle(styles, "Title", clRed);
  TfrxStyleItem* b = AddStyle(styles, "Body", clBlue);
  try {
    b->SetName("TITLE");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Duplicate name");
  }
  EXPECT_EQ(b->Name(), "Body");
  a->SetName("title"); // its own name in other letter case
  EXPECT_EQ(a->Name(), "title");
  // An item outside any collection takes any name.
  TfrxStyleItem loose;
  loose.SetName("title");
  EXPECT_EQ(loose.Name(), "title");
}

TEST(frxStyles, MakeUniqueNameFillsTheFirstGap)
{
  TfrxStyles styles;
  AddStyle(styles, "Style1", clRed);
  AddStyle(styles, "STYLE3", clRed);
  TfrxStyleItem* item = styles.Add();
  item->MakeUniqueName();
  EXPECT_EQ(item->Name(), "Style2");
  styles.Add()->MakeUniqueName();
  EXPECT_EQ(styles.Items(3)->Name(), "Style4");
}

TEST(frxStyles, FindAndListNames)
{
  TfrxStyles styles;
  TfrxStyleItem* a = AddStyle(styles, "A", clRed);
  AddStyle(styles, "B", clRed);
  EXPECT_EQ(styles.Find("a"), a);
  EXPECT_EQ(styles.Find("C"), nullptr);
  TStringList list;
  list.Add("stale");
  styles.ListNames(&list);
  EXPECT_EQ(Joined(&list), "A|B");
}

TEST(frxStyles, AssignCopiesAllFour)
{
  TfrxStyleItem src, dst;
  src.SetName("S");
  src.SetColor(clYellow);
  src.Font()->SetName("Courier New");
  src.Font()->SetStyle(TFontStyles{fsBold});
  src.Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftTop});
  src.Frame()->SetWidth(2);
  dst.Assign(&src);
  EXPECT_EQ(dst.Name(), "S");
  EXPECT_EQ(dst.Color(), clYellow);
  EXPECT_EQ(dst.Font()->Name(), "Courier New");
  EXPECT_EQ(dst.Font()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(dst.Frame()->Typ(), (TfrxFrameTypes{ftLeft, ftTop}));
  EXPECT_EQ(dst.Frame()->Width(), 2);
  EXPECT_NE(dst.Font(), src.Font()); // copied, not shared
}

TEST(frxStyles, StreamRoundTrip)
{
  TfrxStyles styles;
  styles.SetName("Blue set");
  TfrxStyleItem* a = AddStyle(styles, "Header", clBlue);
  a->Font()->SetStyle(TFontStyles{fsBold, fsItalic});
  a->Font()->SetSize(14);
  a->Frame()->SetTyp(TfrxFrameTypes{ftBottom});
  a->Frame()->SetStyle(fsDash);
  AddStyle(styles, "Plain", clNone);

  TStringStream out;
  styles.SaveToStream(&out);
  const AnsiString text = out.DataString();
  EXPECT_NE(text.find("<style Name=\"Blue set\">\r\n  <item Name=\"Header\""), AnsiString::npos)
      << text;
  EXPECT_NE(text.find("Font.Style=\"3\""), AnsiString::npos) << text;

  TfrxStyles back;
  AddStyle(back, "Old", clRed);
  TStringStream in(text);
  back.LoadFromStream(&in);
  EXPECT_EQ(back.Name(), "Blue set");
  ASSERT_EQ(back.Count(), 2);
  TfrxStyleItem* h = back.Items(0);
  EXPECT_EQ(h->Name(), "Header");
  EXPECT_EQ(h->Color(), clBlue);
  EXPECT_EQ(h->Font()->Size(), 14);
  EXPECT_EQ(h->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(h->Frame()->Typ(), TfrxFrameTypes{ftBottom});
  EXPECT_EQ(h->Frame()->Style(), fsDash);
  EXPECT_EQ(back.Items(1)->Name(), "Plain");
  EXPECT_EQ(back.Items(1)->Color(), clNone);
}

TEST(frxStyles, OnlyAStyleRootLoads)
{
  TfrxStyles styles;
  AddStyle(styles, "Old", clRed);
  TStringStream wrong(Head + "<styles Name=\"x\"><item Name=\"A\"/></styles>");
  styles.LoadFromStream(&wrong);
  EXPECT_EQ(styles.Count(), 0);

  TStringStream mixed(Head + "<STYLE Name=\"s\"><ITEM Name=\"A\"/><other Name=\"B\"/>"
                             "<item Name=\"C\" Color=\"255\"/></STYLE>");
  styles.LoadFromStream(&mixed);
  ASSERT_EQ(styles.Count(), 2);
  EXPECT_EQ(styles.Items(1)->Name(), "C");
  EXPECT_EQ(styles.Items(1)->Color(), 255);
}

TEST(frxStyles, FileRoundTrip)
{
  const AnsiString file = IncludeTrailingPathDelimiter(GetTempPath()) + "frxStylesTest.fs3";
  TfrxStyles styles;
  AddStyle(styles, "A", clGreen);
  styles.SaveToFile(file);
  styles.SaveToFile(file);
  TfrxStyles back;
  back.LoadFromFile(file);
  DeleteFile(file);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Items(0)->Color(), clGreen);
}

class frxStylesReport : public ::testing::Test {
protected:
  void SetUp() override
  {
    auto* page = new TfrxReportPage(&report);
    memo = new TfrxMemoView(page);
    other = new TfrxMemoView(page);
    memo->SetStyle("Title");
    other->SetStyle("Unknown");
  }
  TfrxReport report{nullptr};
  TfrxMemoView* memo = nullptr;
  TfrxMemoView* other = nullptr;
};

TEST_F(frxStylesReport, SettingStyleAppliesTheReportsItem)
{
  TfrxStyleItem* title = AddStyle(*report.Styles(), "Title", clRed);
  title->Font()->SetName("Tahoma");
  title->Frame()->SetTyp(TfrxFrameTypes{ftTop});
  ASSERT_TRUE(memo->ParentFont());
  memo->SetStyle("TITLE");
  EXPECT_EQ(memo->Style(), "TITLE");
  EXPECT_EQ(memo->Color(), clRed);
  EXPECT_EQ(memo->Font()->Name(), "Tahoma");
  EXPECT_FALSE(memo->ParentFont());
  EXPECT_EQ(memo->Frame()->Typ(), TfrxFrameTypes{ftTop});
  // A name without item stores the name only.
  memo->SetStyle("Nothing");
  EXPECT_EQ(memo->Style(), "Nothing");
  EXPECT_EQ(memo->Color(), clRed);
}

TEST_F(frxStylesReport, LoadingAStyleFileRestylesTheReport)
{
  TStringStream in(Head + "<style Name=\"s\"><item Name=\"title\" Color=\"65280\" "
                          "Font.Name=\"Verdana\" Frame.Typ=\"15\"/></style>");
  report.Styles()->LoadFromStream(&in);
  EXPECT_EQ(memo->Color(), 65280);
  EXPECT_EQ(memo->Font()->Name(), "Verdana");
  EXPECT_EQ(memo->Frame()->Typ(), (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
  EXPECT_EQ(other->Color(), clNone);
  EXPECT_TRUE(other->ParentFont());
}

TEST_F(frxStylesReport, ApplyStylesCopiesThenRestylesAndNilClears)
{
  TfrxStyles mine;
  mine.SetName("Mine");
  AddStyle(mine, "Title", clBlue);
  report.ApplyStyles(&mine);
  EXPECT_EQ(report.Styles()->Name(), "Mine");
  ASSERT_EQ(report.Styles()->Count(), 1);
  EXPECT_NE(report.Styles()->Items(0), mine.Items(0));
  EXPECT_EQ(memo->Color(), clBlue);
  report.ApplyStyles(nullptr);
  EXPECT_EQ(report.Styles()->Count(), 0);
}

TEST(frxStyleSheet, LoadsEveryStyleElementInOrder)
{
  TfrxStyleSheet sheet;
  sheet.Add()->SetName("stale");
  TStringStream in(Head + "<stylesheet>"
                          "<style Name=\"One\"><item Name=\"A\"/></style>"
                          "<note Name=\"skip\"/>"
                          "<style Name=\"Two\"/>"
                          "<STYLE Name=\"Three\"><item Name=\"B\"/><item Name=\"C\"/></STYLE>"
                          "</stylesheet>");
  sheet.LoadFromXmlStream(&in);
  ASSERT_EQ(sheet.Count(), 3);
  TStringList names;
  sheet.ListNames(&names);
  EXPECT_EQ(Joined(&names), "One|Two|Three");
  EXPECT_EQ(sheet.Find("three"), sheet.Items(2));
  EXPECT_EQ(sheet.Items(2)->Count(), 2);
  EXPECT_EQ(sheet.Items(2)->Report(), nullptr);
  EXPECT_EQ(sheet.Find("none"), nullptr);

  sheet.Delete(0);
  EXPECT_EQ(sheet.Items(0)->Name(), "Two");
  EXPECT_THROW(sheet.Items(2), EListError);
  EXPECT_THROW(sheet.Delete(-1), EListError);
  sheet.Clear();
  EXPECT_EQ(sheet.Count(), 0);
}

TEST(frxStyleSheet, AnotherRootLeavesTheSheetEmpty)
{
  TfrxStyleSheet sheet;
  sheet.Add();
  TStringStream in(Head + "<style Name=\"One\"><item Name=\"A\"/></style>");
  sheet.LoadFromXmlStream(&in);
  EXPECT_EQ(sheet.Count(), 0);
}

} // namespace
