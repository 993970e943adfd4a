#include "app/WaybillLayout.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"

namespace {

AnsiString ReadFixture(const char* Name)
{
  std::ifstream file(std::string(QH_FIXTURES) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(file.good()) << Name;
  return AnsiString(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TWaybillLabel MakeLabel(const char* Name, Integer Left, Integer Top, const char* FontName,
                        Integer FontSize, bool Bold, const AnsiString& Text, bool Visible = true)
{
  TWaybillLabel label;
  label.Name = Name;
  label.Left = Left;
  label.Top = Top;
  label.FontName = FontName;
  label.FontSize = FontSize;
  label.FontBold = Bold;
  label.Text = Text;
  label.Visible = Visible;
  return label;
}

// The four labels of the special-characters fixture on a 230 x 127 mm paper.
TWaybillLayout SpecialLayout()
{
  TWaybillLayout layout;
  layout.Labels = {MakeLabel("l13", 40, 160, "宋体", 9, false, "寄件人"),
                   MakeLabel("l14", 144, 152, "宋体", 9, true, "张 三"),
                   MakeLabel("l15", 256, 152, "Times New Roman", 12, false, "a\"b,c", false),
                   MakeLabel("l17", -5, 192, "宋体", 9, false, "第一行\r\n第二行")};
  layout.PaperWidth = 230;
  layout.PaperHeight = 127;
  return layout;
}

// A layout with the same label names whose every stored field differs from Source's.
TWaybillLayout Scrambled(const TWaybillLayout& Source)
{
  TWaybillLayout layout = Source;
  for (TWaybillLabel& label : layout.Labels) {
    label.Left += 1000;
    label.Top -= 1000;
    label.FontName = "Arial";
    label.FontSize += 7;
    label.FontBold = !label.FontBold;
    label.Text = "old " + label.Text;
    label.Visible = !label.Visible;
  }
  layout.PaperWidth = 999;
  layout.PaperHeight = 888;
  return layout;
}

void ExpectSameLayout(const TWaybillLayout& Expected, const TWaybillLayout& Actual)
{
  ASSERT_EQ(Expected.Labels.size(), Actual.Labels.size());
  for (size_t i = 0; i < Expected.Labels.size(); ++i) {
    const TWaybillLabel& e = Expected.Labels[i];
    const TWaybillLabel& a = Actual.Labels[i];
    SCOPED_TRACE(e.Name);
    EXPECT_EQ(e.Name, a.Name);
    EXPECT_EQ(e.Left, a.Left);
    EXPECT_EQ(e.Top, a.Top);
    EXPECT_EQ(e.Height, a.Height);
    EXPECT_EQ(e.FontName, a.FontName);
    EXPECT_EQ(e.FontSize, a.FontSize);
    EXPECT_EQ(e.FontBold, a.FontBold);
    EXPECT_EQ(e.Text, a.Text);
    EXPECT_EQ(e.Visible, a.Visible);
  }
  EXPECT_EQ(Expected.PaperWidth, Actual.PaperWidth);
  EXPECT_EQ(Expected.PaperHeight, Actual.PaperHeight);
}

} // namespace

TEST(WaybillLayout, DefaultLayoutIsTheGoldenText)
{
  const AnsiString golden = ReadFixture("waybill-default-layout.txt");
  ASSERT_EQ(golden.size(), 1960u);
  const TWaybillLayout layout = TWaybillLayout::Default();
  EXPECT_EQ(layout.BuildLayoutAnsiText(), golden);
  EXPECT_EQ(layout.BuildLayoutText(), GbkToWide(golden));
}

TEST(WaybillLayout, DefaultLayoutFollowsTheDesign)
{
  const TWaybillLayout layout = TWaybillLayout::Default();
  ASSERT_EQ(layout.Labels.size(), static_cast<size_t>(LabelCount));
  for (Integer i = 0; i < LabelCount; ++i)
    EXPECT_EQ(layout.Labels[i].Name, LabelOrder[i]);
  const TWaybillLabel* l1 = layout.FindLabel("L1");
  ASSERT_NE(l1, nullptr);
  EXPECT_EQ(l1->FontSize, 12);
  EXPECT_EQ(l1->Left, 48);
  EXPECT_EQ(layout.FindLabel("l25")->Top, 264);
  EXPECT_EQ(layout.FindLabel("l16"), nullptr);
  EXPECT_EQ(layout.PaperWidth, 0);
  EXPECT_EQ(layout.PaperHeight, 0);
}

TEST(WaybillLayout, SpecialCharactersAreTheGoldenText)
{
  EXPECT_EQ(SpecialLayout().BuildLayoutAnsiText(), ReadFixture("waybill-special-layout.txt"));
}

TEST(WaybillLayout, GoldenTextsReadBackWhateverTheNameCase)
{
  for (const char* name : {"waybill-special-layout.txt", "waybill-special-layout-upper.txt"}) {
    SCOPED_TRACE(name);
    TWaybillLayout layout = Scrambled(SpecialLayout());
    layout.LoadLayoutText(ReadFixture(name));
    ExpectSameLayout(SpecialLayout(), layout);
  }
}

TEST(WaybillLayout, ShortNamesNeverFindLongerOnes)
{
  // l1, l11 and l12 sit far apart in the default layout, with different font sizes.
  TWaybillLayout layout = Scrambled(TWaybillLayout::Default());
  layout.LoadLayoutText(ReadFixture("waybill-default-layout.txt"));
  ExpectSameLayout(TWaybillLayout::Default(), layout);
}

TEST(WaybillLayout, LabelsRoundTrip)
{
  struct TCase {
    const char* Title;
    TWaybillLabel Label;
  };
  const TCase cases[] = {
      {"space", MakeLabel("l13", 1, 2, "宋体", 9, false, "张 三")},
      {"comma", MakeLabel("l13", 1, 2, "宋体", 9, false, "a,b")},
      {"quotes", MakeLabel("l13", 1, 2, "宋体", 9, false, "\"引号\" \"\"")},
      {"line breaks", MakeLabel("l13", 1, 2, "宋体", 9, false, "一\r\n二\r\n三")},
      {"equals signs", MakeLabel("l13", 1, 2, "宋体", 9, false, "a=b=c")},
      {"negative position", MakeLabel("l13", -40, -3, "宋体", 9, false, "x")},
      {"hidden", MakeLabel("l13", 1, 2, "宋体", 9, false, "x", false)},
      {"bold", MakeLabel("l13", 1, 2, "宋体", 9, true, "x")},
      {"font with spaces", MakeLabel("l13", 1, 2, "Times New Roman", 14, false, "x")},
      {"no font name", MakeLabel("l13", 1, 2, "", 9, false, "x")},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Title);
    TWaybillLayout source;
    source.Labels = {c.Label, MakeLabel("l1", 5, 6, "宋体", 12, false, "l1")};
    source.PaperWidth = 230;
    source.PaperHeight = 127;
    TWaybillLayout target = Scrambled(source);
    target.LoadLayoutText(source.BuildLayoutText());
    ExpectSameLayout(source, target);
  }
}

TEST(WaybillLayout, BoldIsSwitchedOffByALayoutWithoutIt)
{
  TWaybillLayout plain;
  plain.Labels = {MakeLabel("l13", 1, 2, "宋体", 9, false, "x")};
  TWaybillLayout shown = plain;
  shown.Labels[0].FontBold = true;
  shown.LoadLayoutText(plain.BuildLayoutAnsiText());
  EXPECT_FALSE(shown.Labels[0].FontBold);
}

TEST(WaybillLayout, BlankTextsReadAsThePlaceholder)
{
  for (const char* blank : {"", "   ", "\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(blank));
    TWaybillLayout layout;
    layout.Labels = {MakeLabel("l13", 1, 2, "宋体", 9, false, blank)};
    layout.LoadLayoutText(layout.BuildLayoutAnsiText());
    EXPECT_EQ(layout.Labels[0].Text, "[空]");
    // The placeholder is what a later save stores.
    EXPECT_NE(layout.BuildLayoutAnsiText().find("Text=[空]"), AnsiString::npos);
  }
}

TEST(WaybillLayout, PositionsAreRelativeToThePicture)
{
  TWaybillLayout layout;
  layout.Labels = {MakeLabel("l13", 10, 20, "宋体", 9, false, "x")};
  layout.ScrollX = 30;
  layout.ScrollY = 50;
  const AnsiString text = layout.BuildLayoutAnsiText();
  EXPECT_EQ(text.substr(0, 30), "\"l13=Visible=-1,Left=40,Top=70");

  struct TCase {
    Integer ScrollX, ScrollY, Left, Top;
  } const cases[] = {{0, 0, 40, 70}, {30, 50, 10, 20}, {100, 0, -60, 70}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ScrollX << "," << c.ScrollY);
    TWaybillLayout reader = layout;
    reader.ScrollX = c.ScrollX;
    reader.ScrollY = c.ScrollY;
    reader.LoadLayoutText(text);
    EXPECT_EQ(reader.Labels[0].Left, c.Left);
    EXPECT_EQ(reader.Labels[0].Top, c.Top);
  }
}

TEST(WaybillLayout, DamagedLayoutChangesNothing)
{
  const AnsiString good = ReadFixture("waybill-default-layout.txt");
  struct TCase {
    const char* Title;
    AnsiString Text;
    const char* Detail;
  };
  const TCase cases[] = {
      {"empty text", "", "缺少 l13 的样式"},
      {"last label missing", StringReplace(good, "\"l12=", "\"x12="), "缺少 l12 的样式"},
      {"position not a number", StringReplace(good, "Left=288,", "Left=2a8,"),
       "l3 的 Left 值 \"2a8\" 无效"},
      {"no font size",
       StringReplace(good, "Font-Size=9,Font-Bold=0,Text=l10", "Font-Bold=0,Text=l10"),
       "l10 的 Font-Size 值 \"\" 无效"},
      {"bold not a Boolean", StringReplace(good, "Font-Bold=0,Text=l9", "Font-Bold=yes,Text=l9"),
       "l9 的 Font-Bold 值 \"yes\" 无效"},
      {"no visibility", StringReplace(good, "\"l5=Visible=-1,", "\"l5="),
       "l5 的 Visible 值 \"\" 无效"},
      {"no paper height", StringReplace(good, ",PaperHeight=0", ""), "PaperHeight 值 \"\" 无效"},
      {"cut short", good.substr(0, 1500), "l6 的 Font-Size 值 \"\" 无效"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Title);
    const TWaybillLayout before = Scrambled(TWaybillLayout::Default());
    TWaybillLayout layout = before;
    try {
      layout.LoadLayoutText(c.Text);
      ADD_FAILURE() << "loaded";
    } catch (const ETemplateLayoutError& e) {
      EXPECT_EQ(e.Message(),
                AnsiString("\r\n模版样式数据已损坏, 未做任何改动:\r\n") + c.Detail + "\t");
    }
    ExpectSameLayout(before, layout);
  }
}
