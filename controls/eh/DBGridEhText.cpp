// Cell text writers (plain, wrapped and vertical), clipped images, tool-tip measuring, the
// shared off-screen bitmap, the tool-tip window and small grid utilities (DBGridEh.h
// describes the unit).
#include <algorithm>
#include <cmath>

#include "controls/eh/DBGridEh.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::unique_ptr<TBitmap> GDrawBitmap;
Integer GDrawBitmapUsers = 0;

// The nearest colour the device shows: on our true-colour surfaces every colour, except
// when a test asks for a 256-colour display (then only the 20 system colours are pure).
bool ColorIsPure(TColor Color)
{
  if (ScreenColorCountNow() == -1)
    return true;
  TColor rgb = ColorToRGB(Color);
  static const TColor pure[] = {
      RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
      RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
      RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
  return std::find(std::begin(pure), std::end(pure), rgb) != std::end(pure);
}

// Word-wrapped (or single-line) text with DrawTextEx into the rectangle shrunk by DX, DY.
void DrawTextExtended(TCanvas* Canvas, TRect Box, Integer DX, Integer DY, const AnsiString& Text,
                      TAlignment Alignment, TTextLayout Layout, bool MultiLine, bool EndEllipsis,
                      Integer LeftMargin, Integer RightMargin, bool RightToLeftReading)
{
  Cardinal flags = DT_NOPREFIX | DT_EXPANDTABS;
  if (MultiLine)
    flags |= DT_WORDBREAK;
  if (EndEllipsis)
    flags |= DT_END_ELLIPSIS;
  if (Alignment == taRightJustify)
    flags |= DT_RIGHT;
  else if (Alignment == taCenter)
    flags |= DT_CENTER;
  if (RightToLeftReading)
    flags |= DT_RTLREADING;
  TDrawTextParams params;
  params.iLeftMargin = LeftMargin;
  params.iRightMargin = RightMargin;
  InflateRect(Box, -DX, -DY);
  if (Layout != tlTop) {
    TRect calc = Box;
    Integer h = Canvas->DrawTextEx(Text, calc, flags | DT_CALCRECT, &params);
    if (Layout == tlCenter)
      Box.Top = Box.Top + (Box.Bottom - Box.Top) / 2 - h / 2;
    else
      Box.Top = Box.Bottom - h;
  }
  if (DX > 0)
    ++Box.Bottom;
  Canvas->DrawTextEx(Text, Box, flags, &params);
}

} // namespace

TBitmap* AcquireDrawBitmap()
{
  if (GDrawBitmapUsers++ == 0)
    GDrawBitmap = std::make_unique<TBitmap>();
  return GDrawBitmap.get();
}

void ReleaseDrawBitmap()
{
  if (GDrawBitmapUsers == 0)
    return;
  if (--GDrawBitmapUsers == 0)
    GDrawBitmap.reset();
}

TBitmap* SharedDrawBitmap()
{
  return GDrawBitmap.get();
}

AnsiString ShortenWithEllipsis(const AnsiString& Text, TCanvas* Canvas, Integer MaxWidth)
{
  if (Canvas->TextWidth(Text) <= MaxWidth)
    return Text;
  // Candidates keep whole characters: a double-byte character is never cut in two.
  std::vector<std::size_t> ends; // byte lengths of the character prefixes
  for (std::size_t i = 0; i < Text.size();) {
    std::size_t step = (static_cast<unsigned char>(Text[i]) >= 0x81 && i + 1 < Text.size()) ? 2 : 1;
    i += step;
    ends.push_back(i);
  }
  Integer chars = static_cast<Integer>(ends.size());
  AnsiString candidate = "...";
  for (Integer n = chars - 2; n >= 0; --n) {
    candidate =
        (n > 0 ? Text.substr(0, ends[static_cast<std::size_t>(n - 1)]) : AnsiString()) + "...";
    if (Canvas->TextWidth(candidate) <= MaxWidth)
      return candidate;
  }
  return candidate;
}

Integer MeasureTextWidth(TCanvas* Canvas, const AnsiString& Text)
{
  TRect r(0, 0, 0, 0);
  Canvas->DrawText(Text, r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return r.Right - r.Left;
}

void DrawCellText(TCanvas* Canvas, const TRect& ARect, bool FillRect, Integer DX, Integer DY,
                  const AnsiString& Text, TAlignment Alignment, TTextLayout Layout, bool MultiLine,
                  bool EndEllipsis, Integer LeftMargin, Integer RightMargin,
                  bool RightToLeftReading)
{
  if (!ColorIsPure(Canvas->Brush()->Color())) {
    // The text goes through the shared bitmap, filled with the brush first.
    TBitmap* bmp = SharedDrawBitmap();
    std::unique_ptr<TBitmap> own;
    if (!bmp) {
      own = std::make_unique<TBitmap>();
      bmp = own.get();
    }
    Integer w = std::max<Integer>(ARect.Width(), 1), h = std::max<Integer>(ARect.Height(), 1);
    if (bmp->Width() < w || bmp->Height() < h)
      bmp->SetSize(std::max(bmp->Width(), w), std::max(bmp->Height(), h));
    TCanvas* bc = bmp->Canvas();
    bc->Lock();
    TScopeExit unlock([&] { bc->Unlock(); });
    bc->Font()->Assign(Canvas->Font());
    bc->Brush()->Assign(Canvas->Brush());
    bc->Brush()->SetStyle(bsSolid);
    TRect local(0, 0, ARect.Width(), ARect.Height());
    bc->FillRect(local);
    bc->SetBkMode(TRANSPARENT);
    DrawTextExtended(bc, local, DX, DY, Text, Alignment, Layout, MultiLine, EndEllipsis, LeftMargin,
                     RightMargin, RightToLeftReading);
    Canvas->CopyRect(ARect, bc, local);
    return;
  }
  if (MultiLine) {
    TBrushStyle saved = Canvas->Brush()->Style();
    if (FillRect)
      Canvas->FillRect(ARect);
    else
      Canvas->Brush()->SetStyle(bsClear);
    TScopeExit restore([&] { Canvas->Brush()->SetStyle(saved); });
    DrawTextExtended(Canvas, ARect, DX, DY, Text, Alignment, Layout, true, EndEllipsis, LeftMargin,
                     RightMargin, RightToLeftReading);
    return;
  }
  AnsiString text = EndEllipsis ? ShortenWithEllipsis(Text, Canvas, ARect.Width() - DX) : Text;
  TFontStyles style = Canvas->Font()->Style();
  bool slanted = style.Contains(fsBold) || style.Contains(fsItalic);
  Integer width = slanted && Alignment != taLeftJustify ? MeasureTextWidth(Canvas, text)
                                                        : Canvas->TextWidth(text);
  Integer height = Canvas->TextHeight(text);
  Integer x;
  switch (Alignment) {
  case taRightJustify:
    x = ARect.Right - width - 3;
    break;
  case taCenter:
    x = ARect.Width() <= 0 ? 0 : ARect.Left + ARect.Width() / 2 - width / 2;
    break;
  default:
    x = ARect.Left + DX;
  }
  Integer y;
  if (Layout == tlTop || height >= ARect.Height() - DY)
    y = ARect.Top + DY;
  else if (Layout == tlCenter)
    y = (ARect.Top + ARect.Bottom - height) / 2;
  else
    y = ARect.Bottom - height;
  if (FillRect) {
    Canvas->ExtTextOut(x, y, ETO_CLIPPED | ETO_OPAQUE, &ARect, text);
    return;
  }
  TBrushStyle saved = Canvas->Brush()->Style();
  Canvas->Brush()->SetStyle(bsClear);
  TScopeExit restore([&] { Canvas->Brush()->SetStyle(saved); });
  Canvas->ExtTextOut(x, y, ETO_CLIPPED, &ARect, text);
}

void MakeVerticalFont(TFont* Font, TFont* Result)
{
  Result->Assign(Font);
  if (AnsiSameText(Font->Name(), "Default"))
    Result->SetName(SubstituteFontName("Default"));
  Result->SetOrientation(900);
}

Integer DrawVerticalCellText(TCanvas* Canvas, const TRect& ARect, bool FillRect, Integer DX,
                             Integer DY, const AnsiString& Text, TAlignment Alignment,
                             TTextLayout Layout, bool EndEllipsis, bool CalcOnly)
{
  TFont saved;
  saved.Assign(Canvas->Font());
  TScopeExit restore([&] { Canvas->Font()->Assign(&saved); });
  TFont vertical;
  MakeVerticalFont(&saved, &vertical);
  TTextMetric tm = Canvas->GetTextMetrics();
  Integer overhang = tm.tmOverhang;
  if (saved.Style().Contains(fsItalic)) {
    TOutlineTextMetric otm = Canvas->GetOutlineTextMetrics();
    if (otm.otmsCharSlopeRise != 0)
      overhang =
          (tm.tmHeight - tm.tmInternalLeading) * otm.otmsCharSlopeRun / otm.otmsCharSlopeRise;
  }
  // The width along the rotated baseline is the plain text's width.
  Integer extent = overhang + Canvas->TextWidth(Text);
  if (CalcOnly)
    return extent;
  Integer textHeight = tm.tmHeight;
  Canvas->Font()->Assign(&vertical);
  Integer x;
  switch (Alignment) {
  case taRightJustify:
    x = ARect.Right - textHeight;
    break;
  case taCenter:
    x = ARect.Left + ARect.Width() / 2 - (textHeight + overhang) / 2;
    break;
  default:
    x = ARect.Left + DX;
  }
  Integer y;
  switch (Layout) {
  case tlTop:
    y = ARect.Top + extent;
    break;
  case tlBottom:
    y = ARect.Bottom - DY;
    break;
  default:
    y = ARect.Bottom - ARect.Height() / 2 + extent / 2;
  }
  TBrushStyle savedBrush = Canvas->Brush()->Style();
  TScopeExit restoreBrush([&] { Canvas->Brush()->SetStyle(savedBrush); });
  if (FillRect)
    Canvas->FillRect(ARect);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->ExtTextOut(x, y, ETO_CLIPPED, &ARect, Text);
  return extent;
}

void DrawImageClipped(TCustomImageList* Images, TBitmap* Bitmap, TCanvas* Canvas,
                      TAlignment Alignment, Integer DX, Integer ImageIndex, const TRect& ARect)
{
  Integer w = Images ? Images->Width() : (Bitmap ? Bitmap->Width() : 0);
  Integer h = Images ? Images->Height() : (Bitmap ? Bitmap->Height() : 0);
  Integer x;
  switch (Alignment) {
  case taRightJustify:
    x = ARect.Right - w + DX;
    break;
  case taCenter:
    x = (ARect.Left + ARect.Right - w) / 2 + DX;
    break;
  default:
    x = ARect.Left + DX;
  }
  Integer y = (ARect.Top + ARect.Bottom - h) / 2;
  auto draw = [&] {
    if (Images)
      Images->Draw(Canvas, x, y, ImageIndex);
    else if (Bitmap)
      Canvas->Draw(x, y, Bitmap);
  };
  TRect image(x, y, x + w, y + h);
  if (image.Left >= ARect.Left && image.Top >= ARect.Top && image.Right <= ARect.Right &&
      image.Bottom <= ARect.Bottom) {
    draw();
    return;
  }
  TRegion saved;
  bool hadClip = Canvas->GetClipRegion(saved);
  TScopeExit restore([&] { Canvas->SelectClipRegion(hadClip ? &saved : nullptr); });
  Canvas->IntersectClipRect(ARect);
  draw();
}

bool CellTextClipped(TCustomDBGridEh* Grid, Integer LeftMargin, Integer TopMargin,
                     const TRect& ARect, bool WordWrap, Integer& TextWidth, Integer& TextHeight,
                     const AnsiString& Text)
{
  Integer boxWidth = std::max<Integer>(ARect.Width() - LeftMargin - 2, 1);
  TRect r(0, 0, boxWidth, 0);
  Cardinal flags = DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
  if (Grid->BiDiMode() == bdRightToLeft || Grid->BiDiMode() == bdRightToLeftReadingOnly)
    flags |= DT_RTLREADING;
  Grid->Canvas()->DrawText(Text, r, flags);
  TextWidth = r.Width();
  TextHeight = r.Height();
  return TextWidth > boxWidth || TextHeight > ARect.Height() - TopMargin + 1;
}

TGridRect MakeGridRect(Integer Left, Integer Top, Integer Right, Integer Bottom)
{
  return TGridRect{Left, Top, Right, Bottom};
}

bool PointInGridRect(Integer Col, Integer Row, const TGridRect& Rect)
{
  return Col >= Rect.Left && Col <= Rect.Right && Row >= Rect.Top && Row <= Rect.Bottom;
}

void SwapRectExtent(TRect& Rect)
{
  Integer w = Rect.Width(), h = Rect.Height();
  Rect.Right = Rect.Left + h;
  Rect.Bottom = Rect.Top + w;
}

void DropPendingMessage(HWND Window, UINT Msg)
{
  MSG msg;
  if (PeekMessage(msg, Window, Msg, Msg, PM_REMOVE) && msg.message == WM_QUIT)
    PostQuitMessage(static_cast<Integer>(msg.wParam));
}

void RaiseGridOperationError(const AnsiString& Text)
{
  throw EInvalidGridOperation(Text);
}

TRect TToolTipsWindow::CalcHintRectFont(Integer MaxWidth, const AnsiString& AHint, TFont* AFont)
{
  if (AFont) {
    Canvas()->Font()->Assign(AFont);
    Canvas()->Font()->SetColor(clWindowText);
  }
  TRect r(0, 0, MaxWidth, 0);
  Canvas()->DrawText(AHint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}
