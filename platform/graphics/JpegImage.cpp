// TJPEGImage over libjpeg: decoding to a bitmap, encoding at a quality, and decoder errors
// (including a file that ends early) raised with the decoder's own message. See
// Pictures.h.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/Pictures.h"
#include "platform/graphics/PicturesPrivate.h"
#include "platform/graphics/Surface.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Registration ---------------------------------------------------------------------------

void RegisterJpegImageClass()
{
  TClassRegistration<TJPEGImage, TGraphic>("TJPEGImage");
}

namespace {

using namespace pictures;

// Huffman coding spends at least one bit on every 8x8 block, so a file holds at most 512
// pixels per byte; one claiming more than twice that is damaged or hostile, and is refused
// before the pixels are allocated.
constexpr Int64 kMaxPixelsPerByte = 1024;

bool PlausibleSize(Int64 width, Int64 height, size_t fileBytes)
{
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return false;
  Int64 pixels = width * height;
  return pixels <= kMaxPixels &&
         pixels <= std::max<Int64>(kAlwaysAllowed, Int64(fileBytes) * kMaxPixelsPerByte);
}

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info)
{
  auto* e = reinterpret_cast<TJpegError*>(info->err);
  (*info->err->format_message)(info, e->Message);
  std::longjmp(e->Jump, 1);
}

// Warnings are ignored except the end of data arriving early: a truncated file is an error.
void EmitMessage(j_common_ptr info, int level)
{
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
    ErrorExit(info);
}

struct TDecoded {
  Integer Width = 0;
  Integer Height = 0;
  std::vector<std::uint32_t> Pixels; // 0xFFRRGGBB, empty when only the header was read
};

// Decodes data (or only reads its header). Returns false and fills message on failure.
// Only plain data lives in this function's frame: the decoder's errors leave it by
// longjmp.
bool Decode(const std::string& data, bool headerOnly, TDecoded& out, char* message)
{
  jpeg_decompress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.emit_message = EmitMessage;
  JSAMPROW row = nullptr;
  if (setjmp(error.Jump)) {
    std::strcpy(message, error.Message);
    jpeg_destroy_decompress(&info);
    std::free(row);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  if (!PlausibleSize(info.image_width, info.image_height, data.size())) {
    std::strcpy(message, "JPEG image too large");
    jpeg_destroy_decompress(&info);
    return false;
  }
  out.Width = static_cast<Integer>(info.image_width);
  out.Height = static_cast<Integer>(info.image_height);
  if (headerOnly) {
    jpeg_destroy_decompress(&info);
    return true;
  }
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  bool allocated = true;
  try {
    out.Pixels.resize(static_cast<size_t>(out.Width) * out.Height);
  } catch (const std::bad_alloc&) {
    allocated = false;
  }
  row = allocated ? static_cast<JSAMPROW>(
                        std::malloc(static_cast<size_t>(out.Width) * info.output_components))
                  : nullptr;
  if (!row) {
    std::strcpy(message, "JPEG image too large");
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    Integer y = static_cast<Integer>(info.output_scanline);
    jpeg_read_scanlines(&info, &row, 1);
    std::uint32_t* dst = &out.Pixels[static_cast<size_t>(y) * out.Width];
    for (Integer x = 0; x < out.Width; ++x) {
      const JSAMPLE* p = row + x * info.output_components;
      unsigned r, g, b;
      if (cmyk) { // stored inverted by the usual writers
        r = p[0] * p[3] / 255;
        g = p[1] * p[3] / 255;
        b = p[2] * p[3] / 255;
      } else {
        r = p[0];
        g = p[1];
        b = p[2];
      }
      dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::free(row);
  return true;
}

bool Encode(const TImageSurface& surface, Integer quality, bool grayscale, std::string& out,
            char* message)
{
  jpeg_compress_struct info;
  TJpegError error;
  info.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  JSAMPROW row = nullptr;
  if (setjmp(error.Jump)) {
    std::strcpy(message, error.Message);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    std::free(row);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(surface.Width());
  info.image_height = static_cast<JDIMENSION>(surface.Height());
  info.input_components = grayscale ? 1 : 3;
  info.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  row = static_cast<JSAMPROW>(std::malloc(static_cast<size_t>(surface.Width()) * 3 + 1));
  const std::uint32_t* bits = surface.Bits();
  while (info.next_scanline < info.image_height) {
    const std::uint32_t* src = bits + static_cast<size_t>(info.next_scanline) * surface.Width();
    for (Integer x = 0; x < surface.Width(); ++x) {
      unsigned r = (src[x] >> 16) & 0xFF, g = (src[x] >> 8) & 0xFF, b = src[x] & 0xFF;
      if (grayscale) {
        row[x] = static_cast<JSAMPLE>((r * 299 + g * 587 + b * 114 + 500) / 1000);
      } else {
        row[3 * x] = static_cast<JSAMPLE>(r);
        row[3 * x + 1] = static_cast<JSAMPLE>(g);
        row[3 * x + 2] = static_cast<JSAMPLE>(b);
      }
    }
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  out.assign(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  std::free(row);
  return true;
}

std::string ReadRest(TStream* stream)
{
  Int64 n = stream->Size() - stream->Position();
  if (n <= 0)
    return std::string();
  std::string bytes(static_cast<size_t>(n), '\0');
  stream->ReadBuffer(bytes.data(), static_cast<Integer>(n));
  return bytes;
}

} // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

Integer TJPEGImage::Width() const
{
  return FBitmap ? FBitmap->Width() : FWidth;
}
Integer TJPEGImage::Height() const
{
  return FBitmap ? FBitmap->Height() : FHeight;
}

void TJPEGImage::SetGrayscale(bool value)
{
  if (FGrayscale == value)
    return;
  FGrayscale = value;
  Changed();
}

void TJPEGImage::ReadHeader()
{
  TDecoded d;
  char message[JMSG_LENGTH_MAX] = "";
  if (!Decode(FData, true, d, message))
    throw EJPEG(message);
  FWidth = d.Width;
  FHeight = d.Height;
}

void TJPEGImage::LoadFromBytes(const std::string& bytes)
{
  TDecoded d;
  char message[JMSG_LENGTH_MAX] = "";
  std::unique_ptr<TBitmap> bitmap;
  try {
    if (!Decode(bytes, false, d, message))
      throw EJPEG(message);
    bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(d.Width, d.Height);
  } catch (const std::bad_alloc&) {
    // A picture that does not fit in memory is as unreadable as a damaged one.
    throw EJPEG("JPEG image too large");
  }
  std::copy(d.Pixels.begin(), d.Pixels.end(), bitmap->Surface().Bits());
  FData = bytes;
  FWidth = d.Width;
  FHeight = d.Height;
  FBitmap = std::move(bitmap);
  Changed();
  SetModified(false);
}

void TJPEGImage::Compress()
{
  if (!FBitmap)
    return;
  char message[JMSG_LENGTH_MAX] = "";
  std::string out;
  if (!Encode(FBitmap->Surface(), FQuality, FGrayscale, out, message))
    throw EJPEG(message);
  FData = std::move(out);
}

const std::string& TJPEGImage::Data()
{
  if (FData.empty())
    Compress();
  return FData;
}

TBitmap* TJPEGImage::Bitmap()
{
  if (!FBitmap && !FData.empty())
    LoadFromBytes(std::string(FData));
  return FBitmap.get();
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect)
{
  if (TBitmap* b = Bitmap())
    b->Draw(canvas, rect);
}

void TJPEGImage::LoadFromStream(TStream* stream)
{
  LoadFromBytes(ReadRest(stream));
}

void TJPEGImage::SaveToStream(TStream* stream)
{
  const std::string& data = Data();
  stream->WriteBuffer(data.data(), static_cast<Integer>(data.size()));
}

void TJPEGImage::Assign(TPersistent* Source)
{
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
    FData = jpeg->FData;
    FWidth = jpeg->FWidth;
    FHeight = jpeg->FHeight;
    FQuality = jpeg->FQuality;
    FGrayscale = jpeg->FGrayscale;
    FBitmap.reset();
    if (jpeg->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(jpeg->FBitmap.get());
    }
    Changed();
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    // A new picture: encoded on Compress or when saved.
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(graphic);
    FData.clear();
    FWidth = FBitmap->Width();
    FHeight = FBitmap->Height();
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}
