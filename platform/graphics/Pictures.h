// Pictures: TGraphic and its kinds (TBitmap with BMP files, TJPEGImage, TPngImage) and
// TPicture, which holds any of them and picks the decoder from a file's signature. The
// canvas that draws them is in Graphics.h.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Exceptions.h"

class TStream;
class TImageSurface;

class TGraphic : public TPersistent {
public:
  TGraphic() = default;

  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual Integer Height() const = 0;
  virtual void SetWidth(Integer value) = 0;
  virtual void SetHeight(Integer value) = 0;
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  bool Modified() const { return FModified; }
  void SetModified(bool value);

  // Draws the picture into rect (stretching when the sizes differ).
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);

  TNotifyEvent OnChange;

protected:
  virtual void Changed();

private:
  bool FTransparent = false;
  bool FModified = false;
};

enum TPixelFormat {
  pfDevice,
  pf1bit,
  pf4bit,
  pf8bit,
  pf15bit,
  pf16bit,
  pf24bit,
  pf32bit,
  pfCustom
};
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap: 32-bit pixels in memory whatever its PixelFormat, which decides how it is
// written to a BMP file. A bitmap loaded from a stream and not changed since writes the
// bytes it was read from.
class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(Integer width, Integer height);
  ~TBitmap() override;

  bool Empty() const override;
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;
  // Resizing keeps the pixels that stay and fills new ones with the canvas's brush colour.
  void SetSize(Integer width, Integer height);

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat value);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool value);
  TColor TransparentColor() const; // tmAuto: the bottom-left pixel
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  // Drawing on the canvas marks the bitmap modified.
  TCanvas* Canvas();
  // The pixels; the non-const access counts as a change (see SaveToStream).
  TImageSurface& Surface();
  const TImageSurface& Surface() const { return *FSurface; }
  TColor Pixel(Integer x, Integer y) const; // 0x00BBGGRR

  void Draw(TCanvas* canvas, const TRect& rect) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // BMP file bytes.
  void LoadFromBytes(const std::string& bytes);
  std::string SaveToBytes();
  // A bitmap compiled into the program (a BMP resource, Streams.h); the instance plays no
  // part. An unknown name raises EResNotFound "Resource <name> not found".
  void LoadFromResourceName(NativeUInt instance, const AnsiString& name);
  // Frees what can be made again; here pixels are all there is, so nothing changes.
  void Dormant() {}
  void Assign(TPersistent* Source) override;

private:
  // The pixels to change: a surface shared with copies is copied first (or, when the
  // pixels are about to be replaced, swapped for an empty one).
  TImageSurface& OwnSurface(bool keepPixels);

  // Copies share their pixels until one of them changes them. A bitmap whose canvas or
  // surface has been handed out never shares: whoever holds them may draw at any time.
  std::shared_ptr<TImageSurface> FSurface;
  std::unique_ptr<TCanvas> FCanvas;
  bool FSurfaceLent = false;
  TPixelFormat FPixelFormat = pfDevice;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  // The BMP bytes this bitmap was read from, while unmodified; shared with its copies.
  std::shared_ptr<const std::string> FOriginal;
};

// A JPEG picture kept as its file bytes and decoded on demand.
class TJPEGImage : public TGraphic {
public:
  TJPEGImage();
  ~TJPEGImage() override;

  bool Empty() const override { return FData.empty() && !FBitmap; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  Integer CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(Integer value) { FQuality = value; }
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool value);

  // Encodes the bitmap this image was assigned from.
  void Compress();
  // The decoded picture; raises EInvalidGraphic with the decoder's message.
  TBitmap* Bitmap();
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromBytes(const std::string& bytes);
  const std::string& Data();
  void Assign(TPersistent* Source) override;

private:
  void ReadHeader();

  std::string FData;
  std::unique_ptr<TBitmap> FBitmap;
  Integer FWidth = 0;
  Integer FHeight = 0;
  Integer FQuality = 90;
  bool FGrayscale = false;
};

// A PNG picture decoded into a bitmap. Saving writes the bytes read while the picture is
// unchanged, and encodes the bitmap otherwise (a picture assigned from another graphic).
class TPngImage : public TGraphic {
public:
  TPngImage();
  ~TPngImage() override;

  bool Empty() const override { return !FBitmap; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  TBitmap* Bitmap() { return FBitmap.get(); }
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromBytes(const std::string& bytes);
  // The bytes read while the pixels are still the ones decoded from them; otherwise the
  // bitmap encoded as 8-bit RGB.
  std::string SaveToBytes();
  void Assign(TPersistent* Source) override;

private:
  std::uint64_t PixelHash() const;

  std::string FData;
  std::uint64_t FDataHash = 0; // PixelHash() of the pixels decoded from FData
  std::unique_ptr<TBitmap> FBitmap;
};

// An icon read from an icon file: of the images it holds (sizes and colour depths), the one
// nearest the system's icon size (SM_CXICON), the deepest among equals. Drawn with its
// transparency (its mask, or its alpha for 32-bit and PNG images); saving writes the file
// it was read from. Icons keep their size: SetWidth and SetHeight raise
// EInvalidGraphicOperation "Cannot change the size of an icon".
class TIcon : public TGraphic {
public:
  TIcon();
  ~TIcon() override;

  bool Empty() const override { return !FImage; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer value) override;
  void SetHeight(Integer value) override;
  // The chosen image's colour (0x00BBGGRR) and coverage (0 transparent .. 255 opaque).
  TColor Pixel(Integer x, Integer y) const;
  Byte Coverage(Integer x, Integer y) const;

  void Draw(TCanvas* canvas, const TRect& rect) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // Raises EInvalidGraphic "Icon image is not valid" for every fault of the file.
  void LoadFromBytes(const std::string& bytes);
  // Only another icon can be assigned.
  void Assign(TPersistent* Source) override;

private:
  std::string FData;
  std::unique_ptr<TImageSurface> FImage;
  std::vector<Byte> FCoverage;
};

// A GIF picture: its first image, on a canvas of the file's screen size; pixels outside
// the image and of its transparent colour are transparent. Saving writes the file it was
// read from.
class TGIFImage : public TGraphic {
public:
  TGIFImage();
  ~TGIFImage() override;

  bool Empty() const override { return !FImage; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  TColor Pixel(Integer x, Integer y) const;
  Byte Coverage(Integer x, Integer y) const;

  void Draw(TCanvas* canvas, const TRect& rect) override;
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // Raises EInvalidGraphic "GIF image is not valid" for every fault of the file.
  void LoadFromBytes(const std::string& bytes);
  // Only another GIF picture can be assigned.
  void Assign(TPersistent* Source) override;

private:
  std::string FData;
  std::unique_ptr<TImageSurface> FImage;
  std::vector<Byte> FCoverage;
};

// Holds one graphic of any kind.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(TGraphic* value); // copies value
  // The graphic as a bitmap, replacing any other kind with an empty bitmap.
  TBitmap* Bitmap();
  bool Empty() const { return !FGraphic || FGraphic->Empty(); }
  Integer Width() const { return FGraphic ? FGraphic->Width() : 0; }
  Integer Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // The decoder is chosen from the first bytes: "BM", FF D8 FF (JPEG), the PNG signature,
  // 00 00 01 00 (icon), "GIF87a" or "GIF89a", a placeable WMF or an EMF (kept as bytes);
  // anything else raises EInvalidGraphic "Unknown picture format". A stored 8-byte prefix
  // 01 00 00 01 + length is skipped.
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream);
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName);
  void Assign(TPersistent* Source) override;

  // The stored form ("Data"): the class name (a length byte and its characters), then an
  // Int32 size and the file image. Reading trusts the bytes over the name: the named
  // class decodes first, and when it cannot, the signature picks the decoder.
  void ReadData(TStream* stream);
  void WriteData(TStream* stream);

  TNotifyEvent OnChange;

private:
  void GraphicChanged(TObject* Sender);
  void Changed();

  std::unique_ptr<TGraphic> FGraphic;
};

QH_DECLARE_EXCEPTION(EInvalidGraphic, Exception);

// Open-dialog filters and default extensions of the picture classes, in registration order
// (bitmaps, icons, metafiles, JPEG, PNG, GIF). GraphicFilter of TGraphic itself starts with an
// "All" entry covering every class.
class TGraphic;
AnsiString GraphicFilter(TClass graphicClass);
AnsiString GraphicExtension(TClass graphicClass);
QH_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
// JPEG decoder and encoder failures, with the codec's message.
QH_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic);
