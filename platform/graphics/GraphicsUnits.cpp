// The graphics library's units in the system's unit order: the Graphics unit registers the
// enumerations and the class records (each beside its class), resets the system
// colour and metrics tables and registers the built-in bitmaps.
#include "platform/graphics/GraphicsPrivate.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Units.h"

namespace {

// Parents before their descendants.
void RegisterGraphicsClasses()
{
  RegisterGraphicsObjectClasses();
  RegisterCanvasClass();
  RegisterPictureClasses();
  RegisterJpegImageClass();
  RegisterPngImageClass();
  RegisterIconClass();
  RegisterGifImageClass();
  RegisterMetafileClasses();
  RegisterImageListClasses();
}

// A fresh start (tests reinitialize the units): the built-in colour scheme and metrics.
void GraphicsInitialization()
{
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
