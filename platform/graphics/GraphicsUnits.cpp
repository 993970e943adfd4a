// The graphics library's units in the system's unit order: the Graphics unit registers the
// enumerations and the class records with their published properties, resets the system
// colour and metrics tables and registers the built-in bitmaps.
#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Units.h"

void RegisterBuiltInBitmaps(); // BitmapResources.cpp

namespace {

void RegisterGraphicsTypes()
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
  RegisterEnumType<TPixelFormat>("TPixelFormat",
                                 {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit",
                                  "pf24bit", "pf32bit", "pfCustom"});
  RegisterEnumType<TTransparentMode>("TTransparentMode", {"tmAuto", "tmFixed"});
  RegisterEnumType<TDrawingStyle>("TDrawingStyle",
                                  {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  RegisterEnumType<TImageType>("TImageType", {"itImage", "itMask"});
}

// Published properties in the platform's order.
void RegisterGraphicsClasses()
{
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
  TClassRegistration<TCanvas, TPersistent>("TCanvas")
      .Property("Brush", &TCanvas::Brush, &TCanvas::SetBrush)
      .Property(
          "CopyMode", [](TCanvas* c) { return static_cast<Integer>(c->CopyMode()); },
          [](TCanvas* c, Integer v) { c->SetCopyMode(static_cast<TCopyMode>(v)); })
      .Default(static_cast<Integer>(cmSrcCopy))
      .Property("Font", &TCanvas::Font, &TCanvas::SetFont)
      .Property("Pen", &TCanvas::Pen, &TCanvas::SetPen);
  TClassRegistration<TGraphic, TPersistent>("TGraphic");
  TClassRegistration<TBitmap, TGraphic>("TBitmap");
  TClassRegistration<TJPEGImage, TGraphic>("TJPEGImage");
  TClassRegistration<TPngImage, TGraphic>("TPngImage");
  TClassRegistration<TIcon, TGraphic>("TIcon");
  TClassRegistration<TGIFImage, TGraphic>("TGIFImage");
  TClassRegistration<TMetafile, TGraphic>("TMetafile");
  TClassRegistration<TMetafileCanvas, TCanvas>("TMetafileCanvas").Factory(nullptr);
  TClassRegistration<TPicture, TPersistent>("TPicture");
  TClassRegistration<TCustomImageList, TComponent>("TCustomImageList")
      .Property("BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor)
      .Type(TColorTypeInfo())
      .Default(clNone)
      .Property("DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle)
      .Default(dsNormal)
      .Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight)
      .Default(16)
      .Property("ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType)
      .Default(itImage)
      .Property("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked)
      .Default(true)
      .Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth)
      .Default(16);
  TClassRegistration<TImageList, TCustomImageList>("TImageList");
}

// A fresh start (tests reinitialize the units): the built-in colour scheme and metrics.
void GraphicsInitialization()
{
  RegisterGraphicsTypes();
  RegisterGraphicsClasses();
  ResetSysColors();
  ResetSystemMetrics();
  RegisterBuiltInBitmaps();
}

void GraphicsFinalization()
{
  SetDefaultTextEngine(nullptr);
}

} // namespace

void RegisterGraphicsUnits()
{
  RegisterUnit("Graphics", GraphicsInitialization, GraphicsFinalization);
}
