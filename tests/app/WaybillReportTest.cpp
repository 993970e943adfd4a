#include "app/WaybillReport.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/rtl/FormatSettings.h"

namespace {

AnsiString ReadFixture(const char* Name)
{
  std::ifstream file(std::string(QH_FIXTURES) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(file.good()) << Name;
  return AnsiString(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TWaybillLabel MakeLabel(const char* Name, Integer Left, Integer Top, Integer Height,
                        Integer FontSize, bool Bold, const AnsiString& Text, bool Visible = true)
{
  TWaybillLabel label;
  label.Name = Name;
  label.Left = Left;
  label.Top = Top;
  label.Height = Height;
  label.FontName = "宋体";
  label.FontSize = FontSize;
  label.FontBold = Bold;
  label.Text = Text;
  label.Visible = Visible;
  return label;
}

TWaybillLayout ThreeLabels()
{
  TWaybillLayout layout;
  layout.Labels = {MakeLabel("l13", 40, 160, 16, 9, false, "寄件人"),
                   MakeLabel("l14", 144, 152, 17, 12, true, "他说\"好\"\r\n第二行", false),
                   MakeLabel("l15", 256, 152, 20, 9, false, "[空]")};
  layout.PaperWidth = 230;
  layout.PaperHeight = 127;
  return layout;
}

// The value of attribute Name in an element text (the first one).
AnsiString AttributeOf(const AnsiString& Element, const AnsiString& Name)
{
  const AnsiString key = " " + Name + "=\"";
  const size_t at = Element.find(key);
  if (at == AnsiString::npos)
    return "<absent>";
  const size_t start = at + key.size();
  return Element.substr(start, Element.find('"', start) - start);
}

// Restores the current format settings when a test has changed them.
struct TFormatSettingsGuard {
  TFormatSettings Saved = FormatSettings;
  ~TFormatSettingsGuard() { FormatSettings = Saved; }
};

} // namespace

TEST(WaybillReport, GoldenReports)
{
  TWaybillLayout layout = ThreeLabels();
  EXPECT_EQ(BuildReportPreviewText(layout), ReadFixture("waybill-three-labels.xml"));
  layout.Labels[2].Text = "1<2 & 3>2";
  EXPECT_EQ(BuildReportPreviewText(layout), ReadFixture("waybill-escaped.xml"));
}

TEST(WaybillReport, PreviewTextEndsEveryLineWithCrLf)
{
  TWaybillLayout layout = ThreeLabels();
  const AnsiString xml = BuildReportXml(layout);
  EXPECT_EQ(xml.substr(xml.size() - 30), "</TfrxReportPage></TfrxReport>");
  // Texts with CR LF only: the preview adds the final line break and nothing else.
  EXPECT_EQ(BuildReportPreviewText(layout), xml + "\r\n");

  // A lone LF or CR inside a label text becomes CR LF.
  layout.Labels[0].Text = "a\nb\rc";
  const AnsiString preview = BuildReportPreviewText(layout);
  EXPECT_NE(preview.find("Memo.Text=\"a\r\nb\r\nc\""), AnsiString::npos);
  EXPECT_EQ(preview.find("\n\n"), AnsiString::npos);
}

TEST(WaybillReport, MemoAttributes)
{
  struct TCase {
    const char* Title;
    TWaybillLabel Label;
    Integer ScrollX, ScrollY;
    const char* Attribute;
    const char* Expected;
  };
  const TCase cases[] = {
      {"height 16", MakeLabel("l1", 0, 0, 16, 9, false, "x"), 0, 0, "Height", "28.8"},
      {"height 17", MakeLabel("l1", 0, 0, 17, 9, false, "x"), 0, 0, "Height", "30.6"},
      {"height 20", MakeLabel("l1", 0, 0, 20, 9, false, "x"), 0, 0, "Height", "36"},
      {"height 0", MakeLabel("l1", 0, 0, 0, 9, false, "x"), 0, 0, "Height", "0"},
      {"12 points", MakeLabel("l1", 0, 0, 16, 12, false, "x"), 0, 0, "Font.Height", "-18"},
      {"9 points", MakeLabel("l1", 0, 0, 16, 9, false, "x"), 0, 0, "Font.Height", "-15"},
      {"bold", MakeLabel("l1", 0, 0, 16, 9, true, "x"), 0, 0, "Font.Style", "1"},
      {"not bold", MakeLabel("l1", 0, 0, 16, 9, false, "x"), 0, 0, "Font.Style", "0"},
      {"hidden", MakeLabel("l1", 0, 0, 16, 9, false, "x", false), 0, 0, "Visible", "False"},
      {"left with scroll", MakeLabel("l1", -5, 7, 16, 9, false, "x"), 30, 50, "Left", "25"},
      {"top with scroll", MakeLabel("l1", -5, 7, 16, 9, false, "x"), 30, 50, "Top", "57"},
      {"placeholder with blanks", MakeLabel("l1", 0, 0, 16, 9, false, " [空] "), 0, 0, "Memo.Text",
       ""},
      {"placeholder inside a text", MakeLabel("l1", 0, 0, 16, 9, false, "[空]x"), 0, 0, "Memo.Text",
       "[空]x"},
      {"markup", MakeLabel("l1", 0, 0, 16, 9, false, "<b>&amp;\"</b>"), 0, 0, "Memo.Text",
       "&#60;b&#62;&#38;amp;&#34;&#60;/b&#62;"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Title);
    EXPECT_EQ(AttributeOf(BuildMemoXml(c.Label, c.ScrollX, c.ScrollY), c.Attribute), c.Expected);
  }
}

TEST(WaybillReport, FontNamesAreEscaped)
{
  TWaybillLabel label = MakeLabel("l1", 0, 0, 16, 9, false, "x");
  label.FontName = "A&B \"<C>\"";
  EXPECT_EQ(AttributeOf(BuildMemoXml(label, 0, 0), "Font.Name"), "A&#38;B &#34;&#60;C&#62;&#34;");
}

TEST(WaybillReport, HeightsIgnoreTheUsersDecimalSeparator)
{
  TFormatSettingsGuard guard;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(AttributeOf(BuildMemoXml(MakeLabel("l1", 0, 0, 17, 9, false, "x"), 0, 0), "Height"),
            "30.6");
}

TEST(WaybillReport, EveryLabelBecomesOneMemo)
{
  const AnsiString xml = BuildReportXml(TWaybillLayout::Default());
  size_t count = 0;
  for (size_t at = xml.find("<TfrxMemoView"); at != AnsiString::npos;
       at = xml.find("<TfrxMemoView", at + 1))
    ++count;
  EXPECT_EQ(count, static_cast<size_t>(LabelCount) + 1);
  // The fixed line comes first, then the labels in the designer's order.
  EXPECT_LT(xml.find("Name=\"qh1\""), xml.find("Name=\"l13\""));
  EXPECT_LT(xml.find("Name=\"l11\""), xml.find("Name=\"l1\""));
  EXPECT_EQ(AttributeOf(xml, "PaperWidth"), "0");
}
