#include "app/WaybillLayout.h"

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"

const char* const EmptyLabelText = "[空]";

const char* const LabelOrder[LabelCount] = {"l13", "l14", "l15", "l17", "l18", "l19", "l20", "l21",
                                            "l22", "l23", "l24", "l25", "l11", "l1",  "l2",  "l3",
                                            "l4",  "l5",  "l6",  "l7",  "l8",  "l9",  "l10", "l12"};

namespace {

struct TDesignPosition {
  const char* Name;
  Integer Left;
  Integer Top;
};

// Where the designer window places its labels (scrolling-area pixels).
constexpr TDesignPosition DesignPositions[LabelCount] = {
    {"l1", 48, 32},    {"l2", 168, 32},   {"l3", 288, 32},   {"l4", 48, 64},    {"l5", 168, 64},
    {"l6", 288, 56},   {"l7", 48, 96},    {"l8", 160, 96},   {"l9", 280, 88},   {"l10", 40, 128},
    {"l11", 144, 120}, {"l12", 264, 128}, {"l13", 40, 160},  {"l14", 144, 152}, {"l15", 256, 152},
    {"l17", 40, 192},  {"l18", 136, 192}, {"l19", 256, 184}, {"l20", 40, 224},  {"l21", 128, 224},
    {"l22", 248, 224}, {"l23", 32, 272},  {"l24", 120, 264}, {"l25", 224, 264}};

const char* const DesignFontName = "宋体";

AnsiString BoolText(bool Value)
{
  return Value ? "-1" : "0";
}

[[noreturn]] void LayoutError(const AnsiString& Detail)
{
  throw ETemplateLayoutError("\r\n模版样式数据已损坏, 未做任何改动:\r\n" + Detail + "\t");
}

AnsiString Quoted(const AnsiString& Value)
{
  return "\"" + Value + "\"";
}

// The integer of item Item of list List, which belongs to Owner ("l13", or empty for the
// outer list's own items).
Integer ReadInteger(const TStrings& List, const char* Item, const AnsiString& Owner)
{
  const AnsiString text = List.Values(Item);
  Integer value = 0;
  if (!TryStrToInt(text, value))
    LayoutError((Owner.empty() ? AnsiString() : Owner + " 的 ") + Item + " 值 " + Quoted(text) +
                " 无效");
  return value;
}

bool ReadBoolean(const TStrings& List, const char* Item, const AnsiString& Owner)
{
  const AnsiString text = List.Values(Item);
  bool value = false;
  if (!TryStrToBool(text, value))
    LayoutError(Owner + " 的 " + Item + " 值 " + Quoted(text) + " 无效");
  return value;
}

} // namespace

TWaybillLayout TWaybillLayout::Default()
{
  TWaybillLayout layout;
  layout.Labels.reserve(LabelCount);
  for (const char* name : LabelOrder) {
    TWaybillLabel label;
    label.Name = name;
    for (const TDesignPosition& position : DesignPositions)
      if (label.Name == position.Name) {
        label.Left = position.Left;
        label.Top = position.Top;
      }
    label.FontName = DesignFontName;
    const bool large = label.Name == "l1";
    label.FontSize = large ? 12 : 9;
    // One text line of 宋体 at 9 and 12 points is 12 and 16 pixels high.
    label.Height = large ? 16 : 12;
    label.Text = name;
    layout.Labels.push_back(label);
  }
  return layout;
}

TWaybillLabel* TWaybillLayout::FindLabel(const AnsiString& Name)
{
  for (TWaybillLabel& label : Labels)
    if (SameText(label.Name, Name))
      return &label;
  return nullptr;
}

const TWaybillLabel* TWaybillLayout::FindLabel(const AnsiString& Name) const
{
  return const_cast<TWaybillLayout*>(this)->FindLabel(Name);
}

AnsiString TWaybillLayout::SaveLabelLayout(const TWaybillLabel& Label) const
{
  TStringList list;
  list.SetValues("Visible", BoolText(Label.Visible));
  list.SetValues("Left", IntToStr(Label.Left + ScrollX));
  list.SetValues("Top", IntToStr(Label.Top + ScrollY));
  list.SetValues("Font-Name", Label.FontName);
  list.SetValues("Font-Size", IntToStr(Label.FontSize));
  list.SetValues("Font-Bold", BoolText(Label.FontBold));
  list.SetValues("Text", Label.Text);
  return list.CommaText();
}

AnsiString TWaybillLayout::BuildLayoutAnsiText() const
{
  TStringList list;
  for (const TWaybillLabel& label : Labels)
    list.SetValues(label.Name, SaveLabelLayout(label));
  list.SetValues("PaperWidth", IntToStr(PaperWidth));
  list.SetValues("PaperHeight", IntToStr(PaperHeight));
  return list.CommaText();
}

WideString TWaybillLayout::BuildLayoutText() const
{
  return GbkToWide(BuildLayoutAnsiText());
}

void TWaybillLayout::LoadLabelLayout(TWaybillLabel& Label, const TStrings& OuterList) const
{
  if (OuterList.IndexOfName(Label.Name) < 0)
    LayoutError("缺少 " + Label.Name + " 的样式");
  TStringList inner;
  inner.SetCommaText(OuterList.Values(Label.Name));
  Label.Visible = ReadBoolean(inner, "Visible", Label.Name);
  Label.Left = ReadInteger(inner, "Left", Label.Name) - ScrollX;
  Label.Top = ReadInteger(inner, "Top", Label.Name) - ScrollY;
  Label.FontName = inner.Values("Font-Name");
  Label.FontSize = ReadInteger(inner, "Font-Size", Label.Name);
  Label.FontBold = ReadBoolean(inner, "Font-Bold", Label.Name);
  Label.Text = inner.Values("Text");
  if (Trim(Label.Text).empty())
    Label.Text = EmptyLabelText;
}

void TWaybillLayout::LoadLayoutText(const AnsiString& LayoutText)
{
  TStringList outer;
  outer.SetCommaText(LayoutText);
  // Read everything into copies first, so that a damaged text changes nothing.
  std::vector<TWaybillLabel> labels = Labels;
  for (TWaybillLabel& label : labels)
    LoadLabelLayout(label, outer);
  const Integer paperWidth = ReadInteger(outer, "PaperWidth", AnsiString());
  const Integer paperHeight = ReadInteger(outer, "PaperHeight", AnsiString());
  Labels = std::move(labels);
  PaperWidth = paperWidth;
  PaperHeight = paperHeight;
}

void TWaybillLayout::LoadLayoutText(const WideString& Temdata)
{
  LoadLayoutText(WideToGbk(Temdata));
}
