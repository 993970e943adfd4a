// The graphics library's registration steps, one per unit file, called in unit order by
// GraphicsUnits.cpp.
#pragma once

void RegisterGraphicsObjectClasses(); // GraphicsObjects.cpp: fonts, pens, brushes
void RegisterCanvasClass();           // Canvas.cpp
void RegisterPictureClasses();        // Pictures.cpp: TGraphic, TBitmap, TPicture
void RegisterJpegImageClass();        // JpegImage.cpp
void RegisterPngImageClass();         // PngImage.cpp
void RegisterIconClass();             // IconImage.cpp
void RegisterGifImageClass();         // GifImage.cpp
void RegisterMetafileClasses();       // Metafile.cpp
void RegisterImageListClasses();      // ImgList.cpp
void RegisterBuiltInBitmaps();        // BitmapResources.cpp
