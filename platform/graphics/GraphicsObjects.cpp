// Pens, brushes and fonts: value holders that notify their owner (a canvas, a control)
// through OnChange. See Graphics.h.
#include "platform/graphics/Graphics.h"
#include "platform/graphics/GraphicsPrivate.h"
#include "platform/rtl/Math.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterGraphicsObjectClasses()
{
  RegisterEnumType<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterSetType<TFontStyles>("TFontStyles");
  RegisterEnumType<TFontPitch>("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  RegisterEnumType<TPenStyle>("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot",
                                            "psDashDotDot", "psClear", "psInsideFrame"});
  RegisterEnumType<TPenMode>("TPenMode",
                             {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                              "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen",
                              "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
  RegisterEnumType<TBrushStyle>("TBrushStyle",
                                {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                 "bsBDiagonal", "bsCross", "bsDiagCross"});
  PTypeInfo charset = DefineNamedType("TFontCharset", IntegerTypeInfo());
  PTypeInfo fontName = DefineNamedType("TFontName", StringTypeInfo());
  TClassRegistration<TGraphicsObject, TPersistent>("TGraphicsObject");
  TClassRegistration<TFont, TGraphicsObject>("TFont")
      .Property("Charset", &TFont::Charset, &TFont::SetCharset)
      .Type(charset)
      .Property("Color", &TFont::Color, &TFont::SetColor)
      .Type(TColorTypeInfo())
      .Property("Height", &TFont::Height, &TFont::SetHeight)
      .Property("Name", &TFont::Name, &TFont::SetName)
      .Type(fontName)
      .Property("Pitch", &TFont::Pitch, &TFont::SetPitch)
      .Default(fpDefault)
      .Property("Size", &TFont::Size, &TFont::SetSize)
      .Stored(false)
      .Property("Style", &TFont::Style, &TFont::SetStyle);
  TClassRegistration<TPen, TGraphicsObject>("TPen")
      .Property("Color", &TPen::Color, &TPen::SetColor)
      .Type(TColorTypeInfo())
      .Default(clBlack)
      .Property("Mode", &TPen::Mode, &TPen::SetMode)
      .Default(pmCopy)
      .Property("Style", &TPen::Style, &TPen::SetStyle)
      .Default(psSolid)
      .Property("Width", &TPen::Width, &TPen::SetWidth)
      .Default(1);
  TClassRegistration<TBrush, TGraphicsObject>("TBrush")
      .Property("Color", &TBrush::Color, &TBrush::SetColor)
      .Type(TColorTypeInfo())
      .Default(clWhite)
      .Property("Style", &TBrush::Style, &TBrush::SetStyle)
      .Default(bsSolid);
}

void TGraphicsObject::Changed()
{
  if (OnChange)
    OnChange(this);
}

Integer PenModeToRop2(TPenMode mode)
{
  static const Integer kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                  R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                  R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  static_assert(sizeof(kRop2) / sizeof(kRop2[0]) == pmNotXor + 1, "one R2 code per pen mode");
  return kRop2[mode];
}

// ---------------------------------------------------------------------------------------
// TPen

void TPen::SetColor(TColor value)
{
  if (FColor == value)
    return;
  FColor = value;
  Changed();
}

void TPen::SetWidth(Integer value)
{
  if (value < 0)
    value = 0;
  if (FWidth == value)
    return;
  FWidth = value;
  Changed();
}

void TPen::SetStyle(TPenStyle value)
{
  if (FStyle == value)
    return;
  FStyle = value;
  Changed();
}

void TPen::SetMode(TPenMode value)
{
  if (FMode == value)
    return;
  FMode = value;
  Changed();
}

void TPen::Assign(TPersistent* Source)
{
  auto* pen = dynamic_cast<TPen*>(Source);
  if (!pen) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = pen->FColor;
  FWidth = pen->FWidth;
  FStyle = pen->FStyle;
  FMode = pen->FMode;
  Changed();
}

// ---------------------------------------------------------------------------------------
// TBrush

void TBrush::SetColor(TColor value)
{
  if (FColor == value && FStyle != bsClear)
    return;
  FColor = value;
  // A colour makes a clear brush solid again, as the platform's brush does.
  if (FStyle == bsClear)
    FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
  if (FStyle == value)
    return;
  FStyle = value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* value)
{
  if (FBitmap == value)
    return;
  FBitmap = value;
  Changed();
}

void TBrush::Assign(TPersistent* Source)
{
  auto* brush = dynamic_cast<TBrush*>(Source);
  if (!brush) {
    TPersistent::Assign(Source);
    return;
  }
  FColor = brush->FColor;
  FStyle = brush->FStyle;
  FBitmap = brush->FBitmap;
  Changed();
}

TBrush* GetSysColorBrush(Integer index)
{
  static TBrush* brushes[COLOR_ENDCOLORS + 1] = {};
  if (index < 0 || index > COLOR_ENDCOLORS)
    return nullptr;
  if (!brushes[index]) {
    brushes[index] = new TBrush(); // lives as long as the program
    brushes[index]->SetColor(clSystemColor | index);
  }
  return brushes[index];
}

// ---------------------------------------------------------------------------------------
// TFont

TFont::TFont() : FName("宋体"), FHeight(-MulDiv(9, ScreenPixelsPerInch, 72)) {}

void TFont::SetName(const AnsiString& value)
{
  if (FName == value || value.empty())
    return;
  FName = value;
  Changed();
}

Integer TFont::Size() const
{
  return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(Integer value)
{
  SetHeight(-MulDiv(value, FPixelsPerInch, 72));
}

void TFont::SetHeight(Integer value)
{
  if (FHeight == value)
    return;
  FHeight = value;
  Changed();
}

void TFont::SetPixelsPerInch(Integer value)
{
  if (value > 0)
    FPixelsPerInch = value;
}

void TFont::SetStyle(TFontStyles value)
{
  if (FStyle == value)
    return;
  FStyle = value;
  Changed();
}

void TFont::SetColor(TColor value)
{
  if (FColor == value)
    return;
  FColor = value;
  Changed();
}

void TFont::SetCharset(Integer value)
{
  if (FCharset == value)
    return;
  FCharset = value;
  Changed();
}

void TFont::SetPitch(TFontPitch value)
{
  if (FPitch == value)
    return;
  FPitch = value;
  Changed();
}

void TFont::SetOrientation(Integer value)
{
  if (FOrientation == value)
    return;
  FOrientation = value;
  Changed();
}

TLogFont TFont::Handle() const
{
  TLogFont lf;
  lf.lfHeight = FHeight;
  lf.lfEscapement = FOrientation;
  lf.lfOrientation = FOrientation;
  lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = FStyle.Contains(fsItalic);
  lf.lfUnderline = FStyle.Contains(fsUnderline);
  lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
  lf.lfCharSet = static_cast<Byte>(FCharset);
  lf.lfPitchAndFamily = FPitch == fpFixed      ? FIXED_PITCH
                        : FPitch == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  lf.lfFaceName = FName;
  return lf;
}

void TFont::SetHandle(const TLogFont& value)
{
  TFontStyles style;
  if (value.lfWeight >= FW_BOLD)
    style.Include(fsBold);
  if (value.lfItalic)
    style.Include(fsItalic);
  if (value.lfUnderline)
    style.Include(fsUnderline);
  if (value.lfStrikeOut)
    style.Include(fsStrikeOut);
  Byte pitch = value.lfPitchAndFamily & 3;
  TFontPitch newPitch = pitch == FIXED_PITCH      ? fpFixed
                        : pitch == VARIABLE_PITCH ? fpVariable
                                                  : fpDefault;
  AnsiString name = value.lfFaceName.empty() ? FName : value.lfFaceName;
  if (name == FName && value.lfHeight == FHeight && style == FStyle &&
      value.lfCharSet == FCharset && newPitch == FPitch && value.lfEscapement == FOrientation)
    return;
  FName = name;
  FHeight = value.lfHeight;
  FStyle = style;
  FCharset = value.lfCharSet;
  FPitch = newPitch;
  FOrientation = value.lfEscapement;
  Changed();
}

void TFont::Assign(TPersistent* Source)
{
  auto* font = dynamic_cast<TFont*>(Source);
  if (!font) {
    TPersistent::Assign(Source);
    return;
  }
  FName = font->FName;
  // The size in points carries over between devices of different resolution.
  FHeight = font->FPixelsPerInch == FPixelsPerInch ? font->FHeight
                                                   : -MulDiv(font->Size(), FPixelsPerInch, 72);
  FStyle = font->FStyle;
  FColor = font->FColor;
  FCharset = font->FCharset;
  FPitch = font->FPitch;
  FOrientation = font->FOrientation;
  Changed();
}
