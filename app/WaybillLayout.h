// The layout of a waybill template as plain data: the designer's 24 text labels (name,
// position, font, text, visibility), the paper size and the scroll position of the
// designer's scrolling area; and the layout text stored with the template.
//
// Layout text: a comma text (TStrings::CommaText) of name=value items, nested twice.
//
//   outer list   one item per label in LabelOrder, "l13=<inner text>", then
//                "PaperWidth=<mm>" and "PaperHeight=<mm>"
//   inner list   Visible=-1|0, Left, Top (content coordinates: position + scroll),
//                Font-Name, Font-Size (points), Font-Bold=-1|0, Text (may hold CR LF)
//
// Items with an empty value are left out (an empty font name or text). Names are looked
// up ignoring case and by the whole name, so "l1" never finds "l11".
#pragma once

#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TStrings;

// A layout text that cannot be applied as a whole.
QH_DECLARE_EXCEPTION(ETemplateLayoutError, Exception);

// The text a label shows when its stored text is blank.
extern const char* const EmptyLabelText;

// The designer's labels in the order of its controls, the order of writing and reading.
constexpr Integer LabelCount = 24;
extern const char* const LabelOrder[LabelCount];

// One text label of the designer.
struct TWaybillLabel {
  AnsiString Name;
  // Position shown in the scrolling area, in screen pixels (before adding the scroll).
  Integer Left = 0;
  Integer Top = 0;
  // Height in pixels as the designer fits it to the text; used by the report text only.
  Integer Height = 0;
  AnsiString FontName;
  Integer FontSize = 9; // points
  bool FontBold = false;
  AnsiString Text;
  bool Visible = true;
};

struct TWaybillLayout {
  // The labels in LabelOrder.
  std::vector<TWaybillLabel> Labels;
  // Paper size in whole millimetres; 0 x 0 until a template gives one.
  Integer PaperWidth = 0;
  Integer PaperHeight = 0;
  // Current scroll position of the scrolling area; label positions plus these are the
  // positions relative to the template picture.
  Integer ScrollX = 0;
  Integer ScrollY = 0;

  // The designer's labels before any template is loaded: each label's text is its own
  // name, 宋体 9 points (l1 12 points), not bold, visible, at its design position.
  static TWaybillLayout Default();

  // The label named Name (ignoring case), or null.
  TWaybillLabel* FindLabel(const AnsiString& Name);
  const TWaybillLabel* FindLabel(const AnsiString& Name) const;

  // The inner comma text of one label, positions in content coordinates.
  AnsiString SaveLabelLayout(const TWaybillLabel& Label) const;
  // The outer comma text of the whole layout, as 8-bit text and as the stored wide text.
  AnsiString BuildLayoutAnsiText() const;
  WideString BuildLayoutText() const;

  // Reads the label's item of a parsed outer list into Label (positions back into the
  // current scroll position). A missing item or a value that is not a number or a
  // Boolean raises ETemplateLayoutError; Label may then be partly written, so callers
  // read into a copy. A blank text reads as EmptyLabelText.
  void LoadLabelLayout(TWaybillLabel& Label, const TStrings& OuterList) const;

  // Applies a stored layout text to every label and to the paper size. The whole text is
  // read first; when any label or the paper size cannot be read, ETemplateLayoutError is
  // raised and nothing changes. Label heights are left for the designer to fit.
  void LoadLayoutText(const AnsiString& LayoutText);
  void LoadLayoutText(const WideString& Temdata);
};
