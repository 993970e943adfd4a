// Thin wrappers over platform calls and dataset operations that the grid library shares:
// bookmarks as text, the dataset of a data-source property, text output, window
// rectangles and scrolling, edit selections, locale case mapping and comparison (GBK-aware:
// trail bytes are never folded), variant arrays. PropertyInterceptors.h and EhTexts.h hold
// the rest of the library's foundation.
#pragma once

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/TextEngine.h"
#include "platform/rtl/Variants.h"
#include "platform/ui/Windows.h"

class TDataSet;

// The dataset's comparison of two bookmarks: negative, 0 or positive in dataset order.
Integer CompareBookmarkText(TDataSet* DataSet, const AnsiString& A, const AnsiString& B);
// Whether the dataset still holds the bookmarked record.
bool BookmarkTextValid(TDataSet* DataSet, const AnsiString& Bookmark);
// The dataset of the data source held in the class-typed published property PropName of
// Object; null when the property is missing, not class-typed or holds no data source. A
// dataset's "MasterSource" is its master link's source even where the class publishes none.
TDataSet* DataSetOfSourceProperty(TObject* Object, const AnsiString& PropName);

Integer DrawTextStr(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, Cardinal Format);
Integer DrawTextExStr(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, Cardinal Format,
                      const TDrawTextParams* Params);
void ExtTextOutStr(TCanvas* Canvas, Integer X, Integer Y, Cardinal Options, const TRect* Rect,
                   const AnsiString& Text);
TOutlineTextMetric OutlineTextMetricsOf(TCanvas* Canvas);

LRESULT SendMessageWithPointer(HWND Wnd, UINT Msg, WPARAM WParam, void* Record);
LRESULT SendMessageWithText(HWND Wnd, UINT Msg, WPARAM WParam, const AnsiString& Text);
bool SystemParameter(UINT Action, UINT Param, void* Data, UINT WinIni);

bool InvalidateWindowRect(HWND Wnd, const TRect* Rect, bool Erase);
bool ValidateWindowRect(HWND Wnd, const TRect* Rect);
Integer ScrollWindowArea(HWND Wnd, Integer DX, Integer DY, UINT Flags, TRegion* UpdateRegion,
                         const TRect* ClipRect, const TRect* ScrollRect);
// The rectangle's corners from logical to device coordinates.
TRect LogicalToDevice2(TCanvas* Canvas, const TRect& Rect);
TRegion PolygonRegion(const TPoint* Points, Integer Count, Integer FillMode);
// The selection of an edit window (byte offsets).
void EditSelection(HWND Wnd, Integer& SelStart, Integer& SelEnd);

// The locale's case mapping and comparison: ASCII letters of single-byte characters are
// folded, double-byte characters compare by their bytes.
AnsiString UpperCaseText(const AnsiString& S);
AnsiString LowerCaseText(const AnsiString& S);
Integer CompareTextExact(const AnsiString& A, const AnsiString& B);
Integer CompareTextNoCase(const AnsiString& A, const AnsiString& B);

// Changes the upper bound of a one-dimensional variant array.
void ResizeVariantArray(Variant& V, Integer HighBound);
inline TRect EmptyRect()
{
  return TRect(0, 0, 0, 0);
}
inline void IgnorePersistent(TObject*) {}
