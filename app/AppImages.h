// The program's own artwork, drawn by code: the designer's tool-bar images, the pictures
// of the login header and of the splash window, and the sample blank waybill the set-up
// puts into a new database.
#pragma once

#include "platform/rtl/Types.h"

class TBitmap;
class TCustomImageList;

// The designer's tool-bar images, 32 x 32, in the order of its buttons: new, rename,
// delete, items, paper, save, cancel, preview, exit.
void AddDesignerToolImages(TCustomImageList* List);
// The two pictures of the login dialog's header band: the operator (48 x 48) and the
// product's mark (64 x 48).
void DrawLoginOperatorPicture(TBitmap* Bitmap);
void DrawLoginProductPicture(TBitmap* Bitmap);
// The picture of the splash window (386 x 200).
void DrawSplashPicture(TBitmap* Bitmap);
// A blank pre-printed waybill: boxed fields with their printed captions (1000 x 600).
void DrawSampleWaybill(TBitmap* Bitmap);
