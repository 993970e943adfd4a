// The grid's RTF exporter (see DBGridEhExport.h). The body is written into a memory stream
// first, because the colour and font tables that precede it fill up while it is written.
#include <algorithm>
#include <cstdlib>

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
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n')
        ++i;
      out += "\\line ";
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

template <class Shade, class Borders>
void TDBGridEhExportAsRTF::OutRowDefinitions(TColumnsEhList* Columns, Shade ShadeOf,
                                             Borders BordersOf)
{
  OutLine("\\trowd");
  OutLine("\\trgaph40");
  Integer dpi = ScreenPixelsPerInch;
  Integer edge = 0;
  for (Integer p = 0; p < Columns->Count(); ++p) {
    unsigned borders = BordersOf(p);
    OutCellBorders(borders & 1, borders & 2, borders & 4, borders & 8);
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
  if (DBGridEh()->UseMultiTitle() && BuildTitleMatrix(Columns)) {
    EmitMultiTitle(Columns);
    return;
  }
  OutRowDefinitions(Columns, [&](Integer p) { return Columns->Items(p)->Title()->Color(); });
  for (Integer p = 0; p < Columns->Count(); ++p) {
    TColumnTitleEh* title = Columns->Items(p)->Title();
    OutCellContent(title->Alignment(), title->Font(), title->Caption(), title->Color());
  }
  OutLine("\\pard\\intbl\\row}");
}

bool TDBGridEhExportAsRTF::BuildTitleMatrix(TColumnsEhList* Columns)
{
  FTitleLevels.clear();
  FInnerBorders.clear();
  TTitleExpArr columns(static_cast<std::size_t>(Columns->Count()));
  for (Integer p = 0; p < Columns->Count(); ++p) {
    THeadTreeNode* leaf = DBGridEh()->LeafOf(Columns->Items(p)->Index());
    if (!leaf)
      return false; // the title tree is not laid out for these columns
    columns[static_cast<std::size_t>(p)] = {leaf->NodeHeight, leaf};
  }
  if (columns.empty())
    return false;
  // Level by level upwards: the columns whose node ends lowest move on to its parent. The
  // level where nothing moves any more (the roots) is not kept.
  for (bool moved = true; moved;) {
    Integer lowest = columns.front().Height;
    for (const TTitleExpRec& c : columns)
      lowest = std::min(lowest, c.Height);
    std::vector<THeadTreeNode*> level;
    moved = false;
    for (TTitleExpRec& c : columns) {
      level.push_back(c.Node);
      if (c.Height == lowest && c.Node->ParentNode) {
        c.Node = c.Node->ParentNode;
        c.Height += c.Node->NodeHeight;
        moved = true;
      }
    }
    if (moved || FTitleLevels.empty())
      FTitleLevels.push_back(std::move(level));
  }
  FInnerBorders.assign(FTitleLevels.size(), std::vector<unsigned>(columns.size(), 0));
  return true;
}

TDBGridEhExportAsRTF::TTitleSpan TDBGridEhExportAsRTF::SpanOfTitleCell(Integer Level, Integer Col)
{
  auto at = [this](Integer q, Integer c) -> THeadTreeNode*& {
    return FTitleLevels[static_cast<std::size_t>(q)][static_cast<std::size_t>(c)];
  };
  TTitleSpan span{Col, Col, Level, Level};
  THeadTreeNode* node = at(Level, Col);
  if (!node)
    return span;
  while (span.BottomLevel > 0 && at(span.BottomLevel - 1, Col) == node)
    at(--span.BottomLevel, Col) = nullptr;
  Integer count = static_cast<Integer>(FTitleLevels[static_cast<std::size_t>(Level)].size());
  while (span.LastCol + 1 < count && at(Level, span.LastCol + 1) == node)
    at(Level, ++span.LastCol) = nullptr;
  for (Integer q = span.BottomLevel; q < Level; ++q)
    for (Integer c = Col + 1; c <= span.LastCol; ++c)
      at(q, c) = nullptr;
  return span;
}

void TDBGridEhExportAsRTF::MarkInnerBorders(const TTitleSpan& Span)
{
  for (Integer q = Span.BottomLevel; q <= Span.TopLevel; ++q)
    for (Integer c = Span.FirstCol; c <= Span.LastCol; ++c) {
      unsigned& inner = FInnerBorders[static_cast<std::size_t>(q)][static_cast<std::size_t>(c)];
      if (c > Span.FirstCol)
        inner |= 1;
      if (q < Span.TopLevel)
        inner |= 2;
      if (q > Span.BottomLevel)
        inner |= 4;
      if (c < Span.LastCol)
        inner |= 8;
    }
}

unsigned TDBGridEhExportAsRTF::CellBorderFlags(Integer Level, Integer Col) const
{
  return AllBorders &
         ~FInnerBorders[static_cast<std::size_t>(Level)][static_cast<std::size_t>(Col)];
}

void TDBGridEhExportAsRTF::EmitMultiTitle(TColumnsEhList* Columns)
{
  // Spacing of the title text: half the grid's title text spacing in twips, less 20.
  Integer dpi = ScreenPixelsPerInch;
  Integer spacing = std::abs((DBGridEh()->TitleTextSpacing() * 720 - 20 * dpi) / dpi);
  AnsiString s = IntToStr(spacing);
  TColor fixed = DBGridEh()->FixedColor();
  for (Integer q = static_cast<Integer>(FTitleLevels.size()) - 1; q >= 0; --q) {
    auto shadeOf = [&](Integer p) { return q > 0 ? fixed : Columns->Items(p)->Title()->Color(); };
    auto bordersOf = [&](Integer p) {
      MarkInnerBorders(SpanOfTitleCell(q, p));
      return CellBorderFlags(q, p);
    };
    OutRowDefinitions(Columns, shadeOf, bordersOf);
    const std::vector<THeadTreeNode*>& level = FTitleLevels[static_cast<std::size_t>(q)];
    for (Integer p = 0; p < Columns->Count(); ++p) {
      THeadTreeNode* node = level[static_cast<std::size_t>(p)];
      Out(node ? "\\pard\\intbl{\\qc\\sb" + s + "\\sa" + s : AnsiString("\\pard\\intbl{\\qc"));
      AnsiString text = node ? node->Caption : AnsiString();
      if (q > 0)
        OutText(DBGridEh()->TitleFont(), text, fixed);
      else
        OutText(Columns->Items(p)->Title()->Font(), text, Columns->Items(p)->Title()->Color());
      OutLine("\\cell}");
    }
    OutLine("\\pard\\intbl\\row}");
  }
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
