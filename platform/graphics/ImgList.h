// Image lists: a row of same-sized images, each with a mask of transparent pixels, drawn
// normally, greyed (disabled), blended with a selection colour or as their masks. Controls
// and report code hold lists and follow their changes through change links. Pictures are in
// Pictures.h, the canvas in Graphics.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"

class TCustomImageList;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

// Tells its owner about changes of the list it is registered with. Freeing the link or the
// list ends the registration.
class TChangeLink : public TObject {
public:
  TChangeLink() = default;
  ~TChangeLink() override;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TCustomImageList* Sender() const { return FSender; }
  void SetSender(TCustomImageList* value) { FSender = value; }
  virtual void Change();

  TNotifyEvent OnChange;

private:
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner);
  // A list of images of the given size.
  TCustomImageList(Integer width, Integer height, TComponent* AOwner);
  ~TCustomImageList() override;

  // Changing the size empties the list.
  Integer Width() const { return FWidth; }
  void SetWidth(Integer value);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer value);
  Integer Count() const { return static_cast<Integer>(FImages.size()); }

  // Colour behind transparent pixels when drawing (clNone: they stay transparent).
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value);
  // Colour that dsFocus (25%) and dsSelected (50%) blend in; clNone blends clHighlight.
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType value);
  // Without masks every pixel of an image is drawn.
  bool Masked() const { return FMasked; }
  void SetMasked(bool value);

  // A list exists as soon as it is created; the handle is a number unique to the list.
  bool HandleAllocated() const { return true; }
  NativeInt Handle() const { return reinterpret_cast<NativeInt>(this); }

  // Adds the images cut from image (one per Width() pixels; a narrower bitmap gives one
  // image, padded); mask pixels that are white mark transparent pixels (null: none).
  // Returns the index of the first image added, or -1 when nothing was added.
  Integer Add(TBitmap* image, TBitmap* mask);
  // As Add, the pixels of maskColor being transparent; clDefault takes the bottom-left
  // pixel of the bitmap.
  Integer AddMasked(TBitmap* image, TColor maskColor);
  // Replaces an image with the first tile of image.
  void Replace(Integer index, TBitmap* image, TBitmap* mask);
  void Delete(Integer index); // -1 deletes all
  void Clear();

  // Resizes image to the list's size and draws the image onto it (transparent pixels keep
  // what the bitmap had, unless BkColor is set).
  void GetBitmap(Integer index, TBitmap* image);
  // The mask as a bitmap: black where the image is opaque, white where it is transparent.
  void GetMask(Integer index, TBitmap* mask);
  // Draws with DrawingStyle and ImageType; a disabled image is drawn greyed: its non-white
  // opaque pixels in clBtnHighlight one pixel right and down, then in clBtnShadow.
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style,
            TImageType type, bool enabled = true);

  // Copies another list's size, images and drawing settings.
  void Assign(TPersistent* Source) override;

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  TNotifyEvent OnChange;

protected:
  // Tells the change links and OnChange.
  virtual void Change();

private:
  struct TImage {
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB, Width x Height, top row first
    std::vector<Byte> Transparent;     // 1 for transparent pixels
  };
  TImage Cut(TBitmap* image, Integer left, TBitmap* mask, TColor maskColor) const;
  Integer AddTiles(TBitmap* image, TBitmap* mask, TColor maskColor);
  void CheckIndex(Integer index) const;
  void SetSize(Integer width, Integer height);

  Integer FWidth = 16;
  Integer FHeight = 16;
  std::vector<TImage> FImages;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;
};
