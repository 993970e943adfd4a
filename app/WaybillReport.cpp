#include "app/WaybillReport.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"

namespace {

const char* const CrLf = "\r\n";

// The report and its one page up to the page's content. The report's creation and change
// times are fixed; PropData holds the report's stored lists "Datasets", "Variables" and
// "Style", each empty.
const char* const ReportHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<TfrxReport Name=\"\" Tag=\"46\" DotMatrixReport=\"False\" IniFile=\"\\Software\\Ridu "
    "Zirezod\""
    " PreviewOptions.Buttons=\"1535\" PreviewOptions.Zoom=\"1\" PrintOptions.Printer=\"缺省\""
    " ReportOptions.CreateDate=\"41604.6047484375\" ReportOptions.Description.Text=\"\""
    " ReportOptions.LastChange=\"41604.6070283565\" ScriptLanguage=\"PascalScript\""
    " ScriptText.Text=\"begin&#13;&#10;&#13;&#10;end.\""
    " PropData=\"0844617461736574730100095661726961626C65730100055374796C650100\">";

const char* const ReportTail = "</TfrxReportPage></TfrxReport>";

// The line printed at the top left of every waybill.
const char* const FixedMemo =
    "<TfrxMemoView Name=\"qh1\" Left=\"10\" Top=\"10\" Width=\"94.48825\" Height=\"29\""
    " StretchMode=\"smActualHeight\" Visible=\"True\" Font.Charset=\"1\" Font.Color=\"0\""
    " Font.Height=\"-16\" Font.Name=\"宋体\" Font.Style=\"1\""
    " Memo.Text=\"青禾快递单免费打印软件 www.qhwbp.example\" ParentFont=\"False\""
    " AutoWidth=\"True\" WordBreak=\"True\"/>";

AnsiString Attribute(const char* Name, const AnsiString& Value)
{
  return AnsiString(" ") + Name + "=\"" + Value + "\"";
}

AnsiString PageElement(Integer PaperWidth, Integer PaperHeight)
{
  AnsiString s = "<TfrxReportPage";
  s += Attribute("Name", "Page1");
  s += Attribute("Font.Charset", "1");
  s += Attribute("Font.Color", "0");
  s += Attribute("Font.Height", "-13");
  s += Attribute("Font.Name", "宋体");
  s += Attribute("Font.Style", "0");
  s += Attribute("PaperWidth", IntToStr(PaperWidth));
  s += Attribute("PaperHeight", IntToStr(PaperHeight));
  s += Attribute("PaperSize", "256");
  for (const char* margin :
       {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin", "ColumnWidth"})
    s += Attribute(margin, "0");
  for (const char* list : {"ColumnPositions.Text", "HGuides.Text", "VGuides.Text"})
    s += Attribute(list, AnsiString());
  return s + ">";
}

} // namespace

AnsiString EscapeXmlAttribute(const AnsiString& Value)
{
  // The escaped bytes are all below 0x40, where no GBK trail byte lies, so a byte walk
  // never splits a double-byte character.
  AnsiString result;
  result.reserve(Value.size());
  for (const char c : Value) {
    switch (c) {
    case '"':
      result += "&#34;";
      break;
    case '&':
      result += "&#38;";
      break;
    case '<':
      result += "&#60;";
      break;
    case '>':
      result += "&#62;";
      break;
    default:
      result += c;
    }
  }
  return result;
}

AnsiString BuildMemoXml(const TWaybillLabel& Label, Integer ScrollX, Integer ScrollY)
{
  // Heights are written in the shortest decimal form with '.', whatever the user's
  // settings: 16 pixels give "28.8", 20 pixels "36".
  const TFormatSettings invariant = InvariantFormatSettings();
  const Extended height = static_cast<Extended>(Label.Height) * 18 / 10;
  // The font height is not a point-to-pixel conversion; printed waybills are tuned to it.
  const Integer fontHeight = -(Label.FontSize + 6);
  const AnsiString text = Trim(Label.Text) == EmptyLabelText ? AnsiString() : Label.Text;

  AnsiString s = "<TfrxMemoView";
  s += Attribute("Name", Label.Name);
  s += Attribute("Left", IntToStr(Label.Left + ScrollX));
  s += Attribute("Top", IntToStr(Label.Top + ScrollY));
  s += Attribute("Width", "94.48825");
  s += Attribute("Height", FloatToStr(height, invariant));
  s += Attribute("StretchMode", "smActualHeight");
  s += Attribute("Visible", Label.Visible ? "True" : "False");
  s += Attribute("Font.Charset", "1");
  s += Attribute("Font.Color", "0");
  s += Attribute("Font.Height", IntToStr(fontHeight));
  s += Attribute("Font.Name", EscapeXmlAttribute(Label.FontName));
  s += Attribute("Font.Style", Label.FontBold ? "1" : "0");
  s += Attribute("Memo.Text", EscapeXmlAttribute(text));
  s += Attribute("ParentFont", "False");
  s += Attribute("AutoWidth", "True");
  s += Attribute("WordBreak", "True");
  return s + "/>";
}

AnsiString BuildReportXml(const TWaybillLayout& Layout)
{
  AnsiString s = ReportHead;
  s += PageElement(Layout.PaperWidth, Layout.PaperHeight);
  s += CrLf;
  s += FixedMemo;
  for (const TWaybillLabel& label : Layout.Labels) {
    s += BuildMemoXml(label, Layout.ScrollX, Layout.ScrollY);
    s += CrLf;
  }
  return s + ReportTail;
}

AnsiString BuildReportPreviewText(const TWaybillLayout& Layout)
{
  const AnsiString xml = BuildReportXml(Layout);
  AnsiString result;
  result.reserve(xml.size() + 64);
  size_t i = 0;
  while (i < xml.size()) {
    const size_t end = xml.find_first_of("\r\n", i);
    if (end == AnsiString::npos) {
      result.append(xml, i, AnsiString::npos);
      result += CrLf;
      break;
    }
    result.append(xml, i, end - i);
    result += CrLf;
    i = end + 1;
    if (xml[end] == '\r' && i < xml.size() && xml[i] == '\n')
      ++i;
  }
  return result;
}

namespace {

TWaybillPreviewer& Previewer()
{
  static TWaybillPreviewer previewer;
  return previewer;
}

} // namespace

TWaybillPreviewer SetWaybillPreviewer(TWaybillPreviewer Previewer_)
{
  TWaybillPreviewer previous = std::move(Previewer());
  Previewer() = std::move(Previewer_);
  return previous;
}

void PreviewWaybill(const TWaybillLayout& Layout)
{
  if (!Previewer())
    return;
  const AnsiString text = BuildReportPreviewText(Layout);
  TMemoryStream stream;
  stream.Write(text.data(), static_cast<Integer>(text.size()));
  stream.SetPosition(0);
  Previewer()(&stream);
}
