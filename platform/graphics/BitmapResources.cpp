// The bitmaps compiled into the program: our own artwork, drawn once at start-up and
// registered as BMP resources (Streams.h) under the names the report library loads them by
// (TBitmap::LoadFromResourceName). The Graphics unit (GraphicsUnits.cpp) registers them.
#include <map>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Streams.h"

namespace {

// Tile strips: 16 x 16 button glyphs in pairs (normal, alternative) and 22 x 22 object
// glyphs. Their backgrounds are clFuchsia, the colour the strips are masked with (the
// bottom-left pixel of every tile).
constexpr Integer kButtonPairs = 96;
constexpr Integer kObjectTiles = 40;
constexpr TColor kMask = clFuchsia;

const TColor kPalette[] = {clNavy, clMaroon, clGreen, clTeal, clPurple, clOlive, clBlue, clRed};

// The bytes must outlive the program's use of them: resources are not copied.
std::map<AnsiString, std::string>& Store()
{
  static std::map<AnsiString, std::string> store;
  return store;
}

void Register(const AnsiString& name, TBitmap& bitmap)
{
  bitmap.SetPixelFormat(pf24bit);
  std::string& bytes = Store()[name];
  bytes = bitmap.SaveToBytes();
  RegisterResource(name, bytes.data(), static_cast<Int64>(bytes.size()));
}

void Fill(TCanvas* c, const TRect& r, TColor color)
{
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

// A tile's number as two rows of dots at its bottom: each tile looks different.
void NumberDots(TCanvas* c, Integer left, Integer top, Integer size, Integer number, TColor color)
{
  for (Integer bit = 0; bit < 8; ++bit)
    if (number & (1 << bit))
      c->SetPixels(left + 3 + 2 * (bit % 4), top + size - 4 + (bit / 4) * 2, color);
}

// A generic button glyph: a framed page in the tile's colour with its number in dots.
void ButtonGlyph(TCanvas* c, Integer left, Integer index, bool alternative)
{
  TColor color = kPalette[index % 8];
  TColor face = alternative ? clWhite : clSilver;
  c->Pen()->SetColor(color);
  c->Brush()->SetColor(face);
  c->Rectangle(left + 2, 1, left + 14, 13);
  c->MoveTo(left + 4, 4 + index % 3);
  c->LineTo(left + 12, 4 + index % 3);
  NumberDots(c, left, 0, 16, index, color);
}

void MakeButtons()
{
  TBitmap strip(16 * 2 * kButtonPairs, 16);
  TCanvas* c = strip.Canvas();
  Fill(c, Rect(0, 0, strip.Width(), 16), kMask);
  for (Integer i = 0; i < kButtonPairs; ++i) {
    ButtonGlyph(c, 32 * i, i, false);
    ButtonGlyph(c, 32 * i + 16, i, true);
  }
  Register("frxBUTTONS", strip);
}

// Object glyphs: the shapes the palette offers where the index names one, a framed page
// with its number otherwise.
void ObjectGlyph(TCanvas* c, Integer left, Integer index)
{
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWhite);
  Integer l = left + 3, t = 3, r = left + 19, b = 19;
  switch (index) {
  case 2: // text
    c->Rectangle(l, t, r, b);
    for (Integer y = t + 4; y < b - 2; y += 3) {
      c->MoveTo(l + 3, y);
      c->LineTo(r - 3 - (y % 2) * 3, y);
    }
    break;
  case 3: // picture
    c->Rectangle(l, t, r, b);
    c->Brush()->SetColor(clGreen);
    c->Pen()->SetColor(clGreen);
    {
      TPoint hill[] = {Point(l + 2, b - 3), Point(l + 7, t + 6), Point(r - 3, b - 3)};
      c->Polygon(hill, 3);
    }
    break;
  case 5: // line
  case 7: // diagonal line
    c->Pen()->SetWidth(2);
    c->MoveTo(l, index == 5 ? 11 : b - 1);
    c->LineTo(r, index == 5 ? 11 : t);
    break;
  case 8:
    c->Brush()->SetColor(clAqua);
    c->Rectangle(l, t + 2, r, b - 2);
    break;
  case 9:
    c->Brush()->SetColor(clAqua);
    c->RoundRect(l, t + 2, r, b - 2, 6, 6);
    break;
  case 10:
    c->Brush()->SetColor(clAqua);
    c->Ellipse(l, t + 2, r, b - 2);
    break;
  case 11: {
    TPoint tri[] = {Point(left + 11, t), Point(r, b - 1), Point(l, b - 1)};
    c->Brush()->SetColor(clAqua);
    c->Polygon(tri, 3);
    break;
  }
  case 31: {
    TPoint diamond[] = {Point(left + 11, t), Point(r, 11), Point(left + 11, b), Point(l, 11)};
    c->Brush()->SetColor(clAqua);
    c->Polygon(diamond, 4);
    break;
  }
  case 23: // bar code
    for (Integer x = l; x < r; ++x)
      if ((x * 7 + x / 3) % 3 != 0)
        Fill(c, Rect(x, t + 1, x + 1, b - 1), clBlack);
    break;
  default:
    c->Pen()->SetColor(kPalette[index % 8]);
    c->Rectangle(l, t, r, b);
    NumberDots(c, left + 2, 0, 20, index, kPalette[index % 8]);
    break;
  }
}

void MakeObjects()
{
  TBitmap strip(22 * kObjectTiles, 22);
  TCanvas* c = strip.Canvas();
  Fill(c, Rect(0, 0, strip.Width(), 22), kMask);
  for (Integer i = 0; i < kObjectTiles; ++i)
    ObjectGlyph(c, 22 * i, i);
  Register("frxOBJECTS", strip);
}

// An empty picture frame (16 x 16) shown by picture objects without a picture.
void MakeEmpty()
{
  TBitmap b(16, 16);
  TCanvas* c = b.Canvas();
  Fill(c, Rect(0, 0, 16, 16), kMask);
  c->Pen()->SetColor(clGray);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(1, 2, 15, 14);
  c->Pen()->SetColor(clRed);
  c->MoveTo(3, 4);
  c->LineTo(13, 12);
  c->MoveTo(12, 4);
  c->LineTo(2, 12);
  Register("frxEMPTY", b);
}

// A small table (16 x 12) marking data bands in the designer.
void MakeBand()
{
  TBitmap b(16, 12);
  TCanvas* c = b.Canvas();
  Fill(c, Rect(0, 0, 16, 12), kMask);
  c->Pen()->SetColor(clNavy);
  c->Brush()->SetColor(clWhite);
  c->Rectangle(1, 0, 16, 11); // the bottom-left pixel stays the transparent colour
  Fill(c, Rect(2, 1, 15, 4), clNavy);
  for (Integer y = 6; y < 10; y += 3) {
    c->MoveTo(2, y);
    c->LineTo(15, y);
  }
  c->MoveTo(6, 4);
  c->LineTo(6, 10);
  Register("frxBAND", b);
}

// "TT" (16 x 12), the mark of scalable fonts in font lists.
void MakeTrueTypeMark()
{
  TBitmap b(16, 12);
  TCanvas* c = b.Canvas();
  Fill(c, Rect(0, 0, 16, 12), kMask);
  Fill(c, Rect(1, 1, 9, 3), clGray);
  Fill(c, Rect(4, 1, 6, 10), clGray);
  Fill(c, Rect(6, 3, 14, 5), clBlack);
  Fill(c, Rect(9, 3, 11, 12), clBlack);
  Register("FRXTRUETYPE_FNT", b);
}

} // namespace

void RegisterBuiltInBitmaps()
{
  MakeButtons();
  MakeObjects();
  MakeEmpty();
  MakeBand();
  MakeTrueTypeMark();
}
