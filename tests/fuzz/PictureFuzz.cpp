// Fuzz target "picture": the input as a picture file, decoded by its signature (TPicture,
// platform/graphics/Pictures.h), and as the stored form of a picture property (ReadData).
// A decoded picture is drawn, then encoded again as the same kind; the result must decode
// to the same size and, for the lossless kinds, the same pixels.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/Streams.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Pictures larger than this are decoded and drawn but not encoded again, to keep each run
// short; the decoders' own limits are what the fuzzer is after.
constexpr Int64 MaxRoundTripPixels = 1 << 20;

void SamePixels(const TBitmap& Expected, const TBitmap& Actual, const char* What)
{
  FuzzCheck(Actual.Width() == Expected.Width() && Actual.Height() == Expected.Height(),
            std::string(What) + ": the size changed");
  for (Integer y = 0; y < Expected.Height(); ++y)
    for (Integer x = 0; x < Expected.Width(); ++x)
      if (Actual.Pixel(x, y) != Expected.Pixel(x, y))
        throw EFuzzCheckFailed(std::string(What) + ": the pixel at " + std::to_string(x) + "," +
                               std::to_string(y) + " changed");
}

// A 1-bit bitmap keeps its pixels when they hold at most two colours (its palette).
bool TwoColoursAtMost(const TBitmap& Bitmap)
{
  std::vector<TColor> seen;
  for (Integer y = 0; y < Bitmap.Height(); ++y)
    for (Integer x = 0; x < Bitmap.Width(); ++x)
      if (std::find(seen.begin(), seen.end(), Bitmap.Pixel(x, y)) == seen.end()) {
        if (seen.size() == 2)
          return false;
        seen.push_back(Bitmap.Pixel(x, y));
      }
  return true;
}

void BitmapRoundTrip(TBitmap& Bitmap)
{
  Bitmap.Surface(); // counts as a change: saving encodes the pixels instead of the bytes read
  TBitmap again;
  again.LoadFromBytes(Bitmap.SaveToBytes());
  if (Bitmap.PixelFormat() != pf1bit || TwoColoursAtMost(Bitmap))
    SamePixels(Bitmap, again, "BMP encoded and decoded again");
  else
    FuzzCheck(again.Width() == Bitmap.Width() && again.Height() == Bitmap.Height(),
              "BMP encoded and decoded again: the size changed");
}

void PngRoundTrip(TPngImage& Png)
{
  TPngImage encoded;
  encoded.Assign(Png.Bitmap());
  TPngImage again;
  again.LoadFromBytes(encoded.SaveToBytes());
  SamePixels(*Png.Bitmap(), *again.Bitmap(), "PNG encoded and decoded again");
}

void JpegRoundTrip(TJPEGImage& Jpeg)
{
  TJPEGImage encoded;
  encoded.Assign(Jpeg.Bitmap());
  encoded.Compress();
  TJPEGImage again;
  again.LoadFromBytes(encoded.Data());
  TBitmap* decoded = again.Bitmap();
  FuzzCheck(decoded->Width() == Jpeg.Width() && decoded->Height() == Jpeg.Height(),
            "JPEG encoded and decoded again: the size changed");
}

void DrawAndRoundTrip(TPicture& Picture)
{
  TGraphic* graphic = Picture.Graphic();
  if (!graphic)
    return;
  auto* jpeg = dynamic_cast<TJPEGImage*>(graphic);
  if (jpeg)
    jpeg->Bitmap(); // decodes, or raises EInvalidGraphic
  TBitmap target(16, 16);
  target.Canvas()->StretchDraw(TRect(0, 0, 16, 16), graphic);
  if (graphic->Empty() || Int64(graphic->Width()) * Int64(graphic->Height()) > MaxRoundTripPixels)
    return;
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic))
    BitmapRoundTrip(*bitmap);
  else if (auto* png = dynamic_cast<TPngImage*>(graphic))
    PngRoundTrip(*png);
  else if (jpeg)
    JpegRoundTrip(*jpeg);
}

void FuzzPicture(const std::string& Input)
{
  // The stored form first: its refusal must not keep the file form from being tried.
  try {
    TPicture stored;
    TStringStream data(Input);
    stored.ReadData(&data);
    DrawAndRoundTrip(stored);
  } catch (const Exception&) {
  }
  TPicture picture;
  TStringStream file(Input);
  picture.LoadFromStream(&file);
  DrawAndRoundTrip(picture);
}

} // namespace

QH_FUZZ_TARGET("picture", FuzzPicture, "pictures/*");
