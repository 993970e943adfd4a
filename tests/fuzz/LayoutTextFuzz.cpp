// Fuzz target "layout-text": the input as the layout text stored with a waybill template
// (app/WaybillLayout.h), applied to the designer's default labels. A layout read is built
// into text again, applied to fresh labels, and must give the same labels and paper.
#include "app/WaybillLayout.h"
#include "platform/rtl/NumFormat.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::string Describe(const TWaybillLayout& Layout)
{
  std::string text = "paper " + IntToStr(Layout.PaperWidth) + "x" + IntToStr(Layout.PaperHeight);
  for (const TWaybillLabel& label : Layout.Labels)
    text += "\n" + label.Name + (label.Visible ? " visible " : " hidden ") + IntToStr(label.Left) +
            "," + IntToStr(label.Top) + " <" + label.FontName + "> " + IntToStr(label.FontSize) +
            (label.FontBold ? " bold" : "") + " <" + label.Text + ">";
  return text;
}

void FuzzLayoutText(const std::string& Input)
{
  TWaybillLayout layout = TWaybillLayout::Default();
  const std::string before = Describe(layout);
  try {
    layout.LoadLayoutText(AnsiString(Input));
  } catch (const ETemplateLayoutError&) {
    // A damaged text changes nothing.
    FuzzCheck(Describe(layout) == before, "a refused layout text changed the labels");
    throw;
  }
  TWaybillLayout again = TWaybillLayout::Default();
  const AnsiString written = layout.BuildLayoutAnsiText();
  try {
    again.LoadLayoutText(written);
  } catch (const ETemplateLayoutError& e) {
    throw EFuzzCheckFailed("a built layout text does not read back: " + e.Message() + "\n" +
                           written);
  }
  FuzzCheck(Describe(again) == Describe(layout),
            "a layout built into text reads back differently:\n" + Describe(layout) +
                "\n---- read back:\n" + Describe(again));
}

} // namespace

QH_FUZZ_TARGET("layout-text", FuzzLayoutText);
