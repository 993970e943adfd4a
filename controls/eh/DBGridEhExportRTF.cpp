// The grid's RTF exporter (see DBGridEhExport.h). The body is written into a memory stream
// first, because the colour and font tables that precede it fill up while it is written.
#include "controls/eh/DBGridEhExport.h"
#include "controls/eh/EhWrappers.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

AnsiString HexEscape(unsigned char c)
{
  static const char* digits = "0123456789abcdef";
  AnsiString out = "\\'";
  out += digits[c >> 4];
  out += digits[c & 15];
  return out;
}

} // namespace

AnsiString RtfEscapedText(const AnsiString& Text)
{
  AnsiString out;
  for (size_t i = 0; i < Text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(Text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < Text.size()) {
      // Both bytes of the character: a trail byte may look like "\", "{" or "}".
      out += HexEscape(c);
      out += HexEscape(static_cast<unsigned char>(Text[++i]));
    } else if (c >= 0x80) {
      out += HexEscape(c);
    } else {
      if (c == '\\' || c == '{' || c == '}')
        out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

void TDBGridEhExportAsRTF::Execute(TStream* AStream, bool All)
{
  TMemoryStream cache;
  FColorTable = std::make_unique<TStringList>();
  FFontTable = std::make_unique<TStringList>();
  TScopeExit freeTables([this] {
    FColorTable.reset();
    FFontTable.reset();
  });
  ColorNumber(clBlack);
  ColorNumber(clWhite);
  ColorNumber(clBtnFace);
  TDBGridEhExport::Execute(&cache, All);
  if (cache.Size() == 0)
    return; // nothing was exported
  AnsiString head = "{\\rtf0\\ansi\\ansicpg936\r\n{\\colortbl";
  for (Integer i = 0; i < FColorTable->Count(); ++i) {
    AnsiString entry = FColorTable->Strings(i);
    head += "\\red" + Trim(entry.substr(0, 3)) + "\\green" + Trim(entry.substr(3, 3)) + "\\blue" +
            Trim(entry.substr(6, 3)) + ";";
  }
  head += "}\r\n{\\fonttbl";
  for (Integer i = 0; i < FFontTable->Count(); ++i)
    head +=
        "\\f" + IntToStr(i) + "\\fnil\\fcharset134 " + RtfEscapedText(FFontTable->Strings(i)) + ";";
  head += "}\r\n";
  AStream->WriteBuffer(head.data(), static_cast<Integer>(head.size()));
  AStream->WriteBuffer(cache.Memory(), static_cast<Integer>(cache.Size()));
}

Integer TDBGridEhExportAsRTF::ColorNumber(TColor Color)
{
  TColor rgb = ColorToRGB(Color);
  AnsiString key = Format(
      "%3d%3d%3d", {Integer(GetRValue(rgb)), Integer(GetGValue(rgb)), Integer(GetBValue(rgb))});
  Integer index = FColorTable->IndexOf(key);
  return index >= 0 ? index : FColorTable->Add(key);
}

Integer TDBGridEhExportAsRTF::FontNumber(const AnsiString& Name)
{
  for (Integer i = 0; i < FFontTable->Count(); ++i)
    if (CompareTextNoCase(FFontTable->Strings(i), Name) == 0)
      return i;
  return FFontTable->Add(Name);
}

AnsiString TDBGridEhExportAsRTF::AlignmentWord(TAlignment Alignment)
{
  switch (Alignment) {
  case taRightJustify:
    return "\\qr";
  case taCenter:
    return "\\qc";
  default:
    return "\\ql";
  }
}

void TDBGridEhExportAsRTF::OutText(TFont* Font, const AnsiString& Text, TColor Background)
{
  AnsiString out = "\\fs" + IntToStr(2 * Font->Size());
  TFontStyles style = Font->Style();
  if (style.Contains(fsBold))
    out += "\\b";
  if (style.Contains(fsItalic))
    out += "\\i";
  if (style.Contains(fsStrikeOut))
    out += "\\strike";
  if (style.Contains(fsUnderline))
    out += "\\ul";
  out += "\\f" + IntToStr(FontNumber(Font->Name()));
  out += "\\cf" + IntToStr(ColorNumber(Font->Color()));
  out += "\\cb" + IntToStr(ColorNumber(Background));
  out += " " + RtfEscapedText(Text);
  Out(out);
}

void TDBGridEhExportAsRTF::OutCellBorders(bool Left, bool Top, bool Bottom, bool Right)
{
  if (Left)
    OutLine("\\clbrdrl\\brdrs\\brdrcf0");
  if (Top)
    OutLine("\\clbrdrt\\brdrs\\brdrcf0");
  if (Bottom)
    OutLine("\\clbrdrb\\brdrs\\brdrcf0");
  if (Right)
    OutLine("\\clbrdrr\\brdrs\\brdrcf0");
}

AnsiString TDBGridEhExportAsRTF::Spacing() const
{
  AnsiString s = DBGridEh()->Flat() ? "12" : "24";
  return "\\sb" + s + "\\sa" + s;
}

template <class Shade>
void TDBGridEhExportAsRTF::OutRowDefinitions(TColumnsEhList* Columns, Shade ShadeOf)
{
  OutLine("\\trowd");
  OutLine("\\trgaph40");
  Integer dpi = ScreenPixelsPerInch;
  Integer edge = 0;
  for (Integer p = 0; p < Columns->Count(); ++p) {
    OutCellBorders(true, true, true, true);
    Out("\\clshdng10000\\clcfpat" + IntToStr(ColorNumber(ShadeOf(p))));
    edge += Columns->Items(p)->Width() * 1440 / dpi;
    OutLine("\\cellx" + IntToStr(edge));
  }
  OutLine("{\\trrh0");
}

void TDBGridEhExportAsRTF::OutCellContent(TAlignment Alignment, TFont* Font, const AnsiString& Text,
                                          TColor Background)
{
  Out("\\pard\\intbl{" + AlignmentWord(Alignment) + Spacing());
  OutText(Font, Text, Background);
  OutLine("\\cell}");
}

void TDBGridEhExportAsRTF::EmitTitle(TColumnsEhList* Columns)
{
  OutRowDefinitions(Columns, [&](Integer p) { return Columns->Items(p)->Title()->Color(); });
  for (Integer p = 0; p < Columns->Count(); ++p) {
    TColumnTitleEh* title = Columns->Items(p)->Title();
    OutCellContent(title->Alignment(), title->Font(), title->Caption(), title->Color());
  }
  OutLine("\\pard\\intbl\\row}");
}

TColor TDBGridEhExportAsRTF::DataCellShade(TColumnsEhList* Columns, Integer Position)
{
  TColumnEh* column = Columns->Items(Position);
  TFont font;
  font.Assign(column->Font());
  TColor background = column->Color();
  if (DBGridEh()->OnGetCellParams)
    DBGridEh()->OnGetCellParams(DBGridEh(), column, &font, background, TGridDrawState());
  return background;
}

void TDBGridEhExportAsRTF::EmitRecord(TColumnsEhList* Columns)
{
  OutRowDefinitions(Columns, [&](Integer p) { return DataCellShade(Columns, p); });
  TDBGridEhExport::EmitRecord(Columns);
  OutLine("\\pard\\intbl\\row}");
}

void TDBGridEhExportAsRTF::EmitDataCell(TColumnEh*, TColCellParamsEh* Params)
{
  OutCellContent(Params->Alignment, Params->Font, Params->Text, Params->Background);
}

TColor TDBGridEhExportAsRTF::FooterCellShade(TColumnsEhList* Columns, Integer Position,
                                             Integer FooterNo)
{
  TColumnEh* column = Columns->Items(Position);
  TColumnFooterEh* footer = column->FooterAt(FooterNo);
  TFont font;
  font.Assign(footer ? footer->Font() : column->Font());
  TColor background = footer ? footer->Color() : column->Color();
  TAlignment alignment = footer ? footer->Alignment() : column->Alignment();
  AnsiString text;
  if (DBGridEh()->OnGetFooterParams)
    DBGridEh()->OnGetFooterParams(DBGridEh(), column->Index(), FooterNo, column, &font, background,
                                  alignment, TGridDrawState(), text);
  return background;
}

void TDBGridEhExportAsRTF::EmitFooter(TColumnsEhList* Columns, Integer FooterNo)
{
  OutRowDefinitions(Columns, [&](Integer p) { return FooterCellShade(Columns, p, FooterNo); });
  TDBGridEhExport::EmitFooter(Columns, FooterNo);
  OutLine("\\pard\\intbl\\row}");
}

void TDBGridEhExportAsRTF::EmitFooterCell(Integer, Integer, const AnsiString& Text,
                                          TAlignment Alignment, TColor Background, TFont* Font,
                                          TColumnEh*)
{
  OutCellContent(Alignment, Font, Text, Background);
}

void TDBGridEhExportAsRTF::EmitSuffix()
{
  Out("}");
}
