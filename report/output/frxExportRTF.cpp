// The RTF export filter; see frxExportRTF.h.
#include "report/output/frxExportRTF.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/StdCtrls.h"
#include "report/engine/frxProgress.h"
#include "report/engine/frxRes.h"
#include "report/output/frxExportDialogs.h"
#include "report/output/frxExportMatrix.h"
#include "report/output/frxExportUtils.h"
#include "report/output/frxPDFFile.h"

namespace {

const char* const CRLF = "\r\n";

std::string Num(Int64 Value)
{
  return std::to_string(Value);
}

std::string Two(Integer Value)
{
  return Value < 10 ? "0" + std::to_string(Value) : std::to_string(Value);
}

// Value as Bytes little-endian bytes in upper-case hexadecimal.
std::string HexLE(uint32_t Value, Integer Bytes)
{
  static const char digits[] = "0123456789ABCDEF";
  std::string s;
  for (Integer i = 0; i < Bytes; ++i) {
    const unsigned b = (Value >> (8 * i)) & 0xFF;
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

// The colour as the document shows it: system colours resolved; none stays none.
TColor Resolved(TColor Color)
{
  return Color == clNone ? clNone : ColorToRGB(Color);
}

// Texts at or above 16777215 modulo 2^24 are white or none: no cell shading.
bool NoShading(TColor Color)
{
  return (static_cast<uint32_t>(Resolved(Color)) & 0xFFFFFF) == 0xFFFFFF;
}

} // namespace

std::string frxRTFEscape(const AnsiString& Text)
{
  static const char digits[] = "0123456789abcdef";
  std::string s;
  s.reserve(Text.size() + Text.size() / 2);
  auto hex = [&](unsigned char b) {
    s += "\\'";
    s += digits[b >> 4];
    s += digits[b & 15];
  };
  for (size_t i = 0; i < Text.size(); ++i) {
    const auto b = static_cast<unsigned char>(Text[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < Text.size()) {
      // A double-byte character: its trail byte may be "\", "{" or "}", so both go as hex.
      hex(b);
      hex(static_cast<unsigned char>(Text[++i]));
    } else if (b >= 0x80) {
      hex(b);
    } else if (b == '\\' || b == '{' || b == '}') {
      s += '\\';
      s += static_cast<char>(b);
    } else if (b == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') {
      s += "\\line\r\n";
      ++i;
    } else {
      s += static_cast<char>(b);
    }
  }
  return s;
}

void RegisterRTFExportClasses()
{
  using R = TfrxRTFExport;
  TClassRegistration<TfrxRTFExport, TfrxCustomExportFilter>("TfrxRTFExport")
      .Property("ExportPageBreaks", &R::ExportPageBreaks, &R::SetExportPageBreaks)
      .Default(true)
      .Property("ExportPictures", &R::ExportPictures, &R::SetExportPictures)
      .Default(true)
      .Property("FileName", &R::FileName, &R::SetFileName)
      .Property("OpenAfterExport", &R::OpenAfterExport, &R::SetOpenAfterExport)
      .Default(false)
      .Property("ShowProgress", &R::ShowProgress, &R::SetShowProgress);
}

TfrxRTFExport::TfrxRTFExport(TComponent* AOwner) : TfrxCustomExportFilter(AOwner) {}

TfrxRTFExport::~TfrxRTFExport() = default;

AnsiString TfrxRTFExport::FilterCaption()
{
  return ReportResources()->Lookup("RTFexport");
}

Integer TfrxRTFExport::ShowOptionsDialog()
{
  TfrxRTFExportDialog dialog(nullptr);
  dialog.PicturesCB->SetChecked(FExportPictures);
  dialog.PageBreaksCB->SetChecked(FExportPageBreaks);
  dialog.WCB->SetChecked(FWysiwyg);
  dialog.OpenCB->SetChecked(FOpenAfterExport);
  return dialog.Execute(this, FFileName, [&] {
    FExportPictures = dialog.PicturesCB->Checked();
    FExportPageBreaks = dialog.PageBreaksCB->Checked();
    FWysiwyg = dialog.WCB->Checked();
    FOpenAfterExport = dialog.OpenCB->Checked();
  });
}

bool TfrxRTFExport::BeginExport()
{
  if (FFileName.empty())
    return false;
  FMatrix = std::make_unique<TfrxIEMatrix>();
  FMatrix->ShowProgress = FShowProgress;
  FMatrix->Tolerance = FWysiwyg ? 0.5 : 10;
  FMatrix->RotatedAsPicture = true;
  FMatrix->AddBackground = true;
  FMatrix->BackgroundAtContent = true;
  FMatrix->ApplyTags = true;
  FFonts = std::make_unique<TStringList>();
  FColors = std::make_unique<TStringList>();
  return true;
}

void TfrxRTFExport::WriteObject(TfrxComponent* Obj)
{
  if (FMatrix)
    FMatrix->AddReportObject(Obj, FExportPictures);
}

void TfrxRTFExport::EndPage(TfrxComponent* Page, Integer)
{
  if (FMatrix)
    FMatrix->AddReportPage(Page);
}

Integer TfrxRTFExport::FontNumber(const AnsiString& Name)
{
  const Integer i = FFonts->IndexOf(Name);
  return i >= 0 ? i : FFonts->Add(Name);
}

Integer TfrxRTFExport::ColorNumber(TColor Color)
{
  const uint32_t rgb = static_cast<uint32_t>(Resolved(Color));
  const std::string entry = "\\red" + Num(rgb & 0xFF) + "\\green" + Num((rgb >> 8) & 0xFF) +
                            "\\blue" + Num((rgb >> 16) & 0xFF) + ";";
  const Integer i = FColors->IndexOf(entry);
  return (i >= 0 ? i : FColors->Add(entry)) + 1;
}

void TfrxRTFExport::PrepareTables()
{
  for (Integer r = 0; r < FMatrix->RowCount(); ++r)
    for (Integer c = 0; c < FMatrix->ColumnCount(); ++c) {
      TfrxIEMObject* obj = FMatrix->ObjectAt(c, r);
      if (!obj || obj->Mark == -1)
        continue;
      obj->Mark = -1;
      ColorNumber(obj->Style->Color);
      ColorNumber(obj->Style->FrameColor);
      if (obj->HoldsText) {
        ColorNumber(obj->Style->Font->Color());
        FontNumber(obj->Style->Font->Name());
      }
    }
}

std::string TfrxRTFExport::BorderText(const TfrxIEMStyle* Style)
{
  const std::string w = "\\brdrs\\brdrw" + Num(Round(Style->FrameWidth * 20));
  const std::string c = "\\brdrcf" + Num(ColorNumber(Style->FrameColor));
  const std::string d = Style->FrameStyle == fsDouble  ? "\\brdrdashdd"
                        : Style->FrameStyle != fsSolid ? "\\brdrdashsm"
                                                       : "";
  std::string s;
  const std::pair<TfrxFrameType, const char*> sides[] = {
      {ftTop, "\\clbrdrt"}, {ftLeft, "\\clbrdrl"}, {ftBottom, "\\clbrdrb"}, {ftRight, "\\clbrdrr"}};
  for (const auto& [side, keyword] : sides)
    if (Style->FrameTyp.Contains(side))
      s += keyword + w + c + d;
  return s;
}

std::string TfrxRTFExport::SectionSettings(Integer Page)
{
  std::string s = "\\pgwsxn" + Num(Round(FMatrix->PageWidth(Page) * 15.02)) + "\\pghsxn" +
                  Num(Round(FMatrix->PageHeight(Page) * 15.02)) + "\\marglsxn" +
                  Num(Round(FMatrix->PageLeftMargin(Page) * 56.7)) + "\\margrsxn" +
                  Num(Round(FMatrix->PageRightMargin(Page) * 56.7)) + "\\margtsxn" +
                  Num(Round(FMatrix->PageTopMargin(Page) * 56.7)) + "\\margbsxn" +
                  Num(Round(FMatrix->PageBottomMargin(Page) * 56.7)) + CRLF;
  if (FMatrix->PageOrientation(Page))
    s += std::string("\\lndscpsxn") + CRLF;
  return s;
}

// A metafile holding one stretch-DIB record of the object's bitmap (24 bits, bottom-up).
std::string TfrxRTFExport::PictureCell(TfrxIEMObject* Obj)
{
  TBitmap bmp;
  bmp.Assign(Obj->Bitmap.get());
  bmp.SetPixelFormat(pf24bit);
  const std::string file = bmp.SaveToBytes();
  const uint32_t fileSize = static_cast<uint32_t>(static_cast<unsigned char>(file[2])) |
                            static_cast<uint32_t>(static_cast<unsigned char>(file[3])) << 8 |
                            static_cast<uint32_t>(static_cast<unsigned char>(file[4])) << 16 |
                            static_cast<uint32_t>(static_cast<unsigned char>(file[5])) << 24;
  const uint32_t s = fileSize / 2 + 7;
  const uint32_t bw = static_cast<uint32_t>(bmp.Width()), bh = static_cast<uint32_t>(bmp.Height());
  const Int64 w = Round(Obj->Width), h = Round(Obj->Height);
  std::string out = "{\\sb0\\li0\\sl0\\slmult0 {\\pict\\wmetafile8\\picw" + Num(Round(w * 25.3)) +
                    "\\pich" + Num(Round(h * 25.3)) + "\\picbmp\\picbpp4" + CRLF;
  out += "010009000003" + HexLE(s + 36, 4) + "0000" + HexLE(s, 4) +
         "0000050000000b0200000000050000000c02" + HexLE(bh, 2) + HexLE(bw, 2) +
         "05000000090200000000050000000102ffffff000400000007010300" + HexLE(s, 4) +
         "430f2000cc000000" + HexLE(bh, 2) + HexLE(bw, 2) + "00000000" + HexLE(bh, 2) +
         HexLE(bw, 2) + "00000000" + CRLF;
  static const char digits[] = "0123456789ABCDEF";
  for (size_t i = 14; i < file.size(); i += 64) {
    const size_t end = std::min(file.size(), i + 64);
    for (size_t j = i; j < end; ++j) {
      const auto b = static_cast<unsigned char>(file[j]);
      out += digits[b >> 4];
      out += digits[b & 15];
    }
    out += CRLF;
  }
  out += std::string("030000000000}\\cell}") + CRLF;
  return out;
}

std::string TfrxRTFExport::Document()
{
  FFonts->Clear();
  FColors->Clear();
  PrepareTables();
  std::string doc = std::string("{\\rtf1\\ansi\\ansicpg936") + CRLF;
  auto writeTable = [&](const std::string& Head, const std::vector<std::string>& Entries) {
    std::string line = Head;
    for (const std::string& e : Entries) {
      if (line.size() + e.size() >= 255) {
        doc += line + CRLF;
        line.clear();
      }
      line += e;
    }
    doc += line + "}" + CRLF;
  };
  std::vector<std::string> entries;
  for (Integer i = 0; i < FFonts->Count(); ++i)
    entries.push_back("{\\f" + Num(i) + " " + frxRTFEscape(FFonts->Strings(i)) + "}");
  writeTable("{\\fonttbl", entries);
  entries.clear();
  for (Integer i = 0; i < FColors->Count(); ++i)
    entries.push_back(FColors->Strings(i));
  writeTable("{\\colortbl;", entries);

  Word yy, mo, dd, hh, mi, ss, ms;
  DecodeDateTime(Now(), yy, mo, dd, hh, mi, ss, ms);
  const AnsiString title = Report() ? Report()->ReportOptions()->Name() : AnsiString();
  doc += "{\\info{\\title " + frxRTFEscape(title) + "}{\\author ZuzuDorova 3.0 " +
         frxVendorAddress + "}{\\creatim\\yr" + Num(yy) + "\\mo" + Two(mo) + "\\dy" + Two(dd) +
         "\\hr" + Two(hh) + "\\min" + Two(mi) + "}}" + CRLF;

  std::unique_ptr<TfrxProgress> progress;
  if (FShowProgress) {
    progress = std::make_unique<TfrxProgress>(nullptr);
    progress->Start(FMatrix->RowCount() - 2, ReportResources()->Lookup("ProgressWait"), true, true);
  }

  // Column 0 is the strip left of the leftmost object unless an object's edge merged with
  // the background's; it is written whenever something other than the background is in
  // it, so such objects are not lost.
  const TfrxIEMObject* background = FMatrix->ObjectByIndex(0);
  auto content = [&](const TfrxIEMObject* Obj) {
    return Obj && (Obj->StyleNo != background->StyleNo || Obj->Lines->Count() > 0 ||
                   (Obj->Bitmap && !Obj->Bitmap->Empty()));
  };
  Integer firstColumn = 1;
  for (Integer r = 0; background && r < FMatrix->RowCount(); ++r)
    if (content(FMatrix->ObjectAt(0, r))) {
      firstColumn = 0;
      break;
    }
  const Extended x0 = Round(FMatrix->ColumnPosition(firstColumn));

  if (FMatrix->PageCount() > 0)
    doc += SectionSettings(0);
  Integer k = 0;
  for (Integer l = 0; l <= FMatrix->RowCount() - 2; ++l) {
    if (progress) {
      progress->Advance();
      if (progress->Terminated())
        break;
    }
    // The page ends here: a section break, and then the row itself, which may already
    // hold the next page's first objects.
    if (FExportPageBreaks && k < FMatrix->PageCount() &&
        FMatrix->RowPosition(l) >= FMatrix->PageBottom(k)) {
      doc += std::string("\\pard\\sect") + CRLF;
      ++k;
      if (k < FMatrix->PageCount())
        doc += SectionSettings(k);
    }
    const Int64 h = Round((FMatrix->RowPosition(l + 1) - FMatrix->RowPosition(l)) * 14.2);
    const Int64 emptySize = std::min<Int64>(h / 16, 20);
    std::string definition = "\\trrh" + Num(h) + "\\trgaph15";
    std::string buffer;
    for (Integer c = firstColumn; c <= FMatrix->ColumnCount() - 2; ++c) {
      const Integer index = FMatrix->Cell(c, l);
      TfrxIEMObject* obj = FMatrix->ObjectByIndex(index);
      if (!obj)
        continue;
      Integer col, row, colSpan, rowSpan;
      FMatrix->ObjectBounds(index, col, row, colSpan, rowSpan);
      const std::string cellx = "\\cellx" + Num(Round((obj->Left + obj->Width - x0) * 14.9));
      if (obj->Mark == -1) {
        const TfrxIEMStyle* style = obj->Style;
        if (rowSpan > 1)
          definition += "\\clvmgf";
        if (!NoShading(style->Color))
          definition += "\\clcbpat" + Num(ColorNumber(style->Color));
        definition += style->VAlign == vaCenter   ? "\\clvertalc"
                      : style->VAlign == vaBottom ? "\\clvertalb"
                                                  : "\\clvertalt";
        definition += BorderText(style) + "\\cltxlrtb" + cellx;
        if (obj->HoldsText) {
          AnsiString text = obj->Lines->Text();
          text.erase(std::remove(text.begin(), text.end(), '\x01'), text.end());
          if (text.size() >= 2 && text.compare(text.size() - 2, 2, CRLF) == 0)
            text.resize(text.size() - 2);
          const std::string escaped = frxRTFEscape(text);
          std::string font = "\\f" + Num(FontNumber(style->Font->Name())) + "\\fs" +
                             Num(text.empty() ? emptySize : style->Font->Size() * 2);
          if (style->Font->Style().Contains(fsItalic))
            font += "\\i";
          if (style->Font->Style().Contains(fsBold))
            font += "\\b";
          if (style->Font->Style().Contains(fsUnderline))
            font += "\\ul";
          font += "\\cf" + Num(ColorNumber(style->Font->Color()));
          std::string spacing;
          if (Trim(escaped) != "")
            spacing = "\\sb" + Num(Round(style->GapY * 14.2)) + "\\li" +
                      Num(Round(style->GapX / 2 * 14.9)) + "\\sl" +
                      Num(Round((style->Font->Size() + style->LineSpacing) * 14.2)) + "\\slmult0";
          const char* align = style->HAlign == haRight    ? "\\qr"
                              : style->HAlign == haCenter ? "\\qc"
                                                          : "\\ql";
          buffer += align + ("{" + font + spacing + " " + escaped + "\\cell}") + CRLF;
        } else if (FExportPictures && obj->Bitmap && !obj->Bitmap->Empty()) {
          buffer += PictureCell(obj);
        } else {
          buffer += "{\\fs" + Num(emptySize) + "\\cell}" + CRLF; // keeps the row's cells whole
        }
        obj->Mark = l + 1;
      } else if (rowSpan > 1 && obj->Mark != l + 1) {
        definition += "\\clvmrg" + BorderText(obj->Style) + "\\cltxlrtb" + cellx;
        buffer += "{\\fs" + Num(emptySize) + "\\cell}" + CRLF;
        obj->Mark = l + 1;
      }
    }
    if (!buffer.empty()) {
      doc += "\\trowd" + definition + "\\pard\\intbl" + CRLF;
      doc += buffer;
      doc += "\\pard\\intbl{\\trowd" + definition + "\\row}" + CRLF;
    }
  }
  doc += std::string("}") + CRLF;
  return doc;
}

void TfrxRTFExport::EndExport()
{
  if (!FMatrix)
    return;
  FMatrix->Prepare();
  std::string doc;
  try {
    doc = Document();
  } catch (...) {
    FMatrix.reset();
    throw;
  }
  FMatrix.reset();
  FFonts.reset();
  FColors.reset();
  frxWriteFileReplacing(FFileName, doc);
  if (FOpenAfterExport)
    frxOpenExportedFile(FFileName);
}
