// The layered control suite's foundation units in the system's unit order. Each unit's
// initialization and finalization is registered here; the classes register themselves at
// the top of their own files.
#include "controls/cx/base/cxClasses.h"
#include "controls/cx/base/cxContainer.h"
#include "controls/cx/base/cxControls.h"
#include "controls/cx/base/cxDateUtils.h"
#include "controls/cx/base/cxFormats.h"
#include "controls/cx/base/cxLookAndFeelPainters.h"
#include "controls/cx/base/cxLookAndFeels.h"
#include "controls/cx/base/cxScrollBar.h"
#include "controls/cx/base/cxSolidBrushCache.h"
#include "controls/cx/base/cxStyles.h"
#include "controls/cx/base/dxThemeManager.h"
#include "controls/cx/base/dxUxTheme.h"
#include "platform/rtl/Units.h"

void RegisterCxBaseUnits()
{
  RegisterUnit("cxClasses", cxClassesInitialization, cxClassesFinalization);
  RegisterUnit("dxUxTheme", dxUxThemeInitialization, dxUxThemeFinalization);
  RegisterUnit("dxThemeManager", dxThemeManagerInitialization, dxThemeManagerFinalization);
  RegisterUnit("cxLookAndFeels", cxLookAndFeelsInitialization, cxLookAndFeelsFinalization);
  RegisterUnit("cxLookAndFeelPainters", cxLookAndFeelPaintersInitialization,
               cxLookAndFeelPaintersFinalization);
  RegisterUnit("cxControls", cxControlsInitialization, cxControlsFinalization);
  RegisterUnit("cxStyles", cxStylesInitialization, cxStylesFinalization);
  RegisterUnit("cxScrollBar", cxScrollBarInitialization, cxScrollBarFinalization);
  RegisterUnit("cxDateUtils", cxDateUtilsInitialization, cxDateUtilsFinalization);
  RegisterUnit("cxFormats", cxFormatsInitialization, cxFormatsFinalization);
  RegisterUnit("cxContainer", cxContainerInitialization, cxContainerFinalization);
  RegisterUnit("cxSolidBrushCache", cxSolidBrushCacheInitialization, cxSolidBrushCacheFinalization);
}
