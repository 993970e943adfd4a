// Thin wrappers of the grid library over platform calls (see EhWrappers.h).
#include "controls/eh/EhWrappers.h"

#include "platform/data/DB.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/TypInfo.h"

Integer CompareBookmarkText(TDataSet* DataSet, const AnsiString& A, const AnsiString& B)
{
  return DataSet->CompareBookmarks(A, B);
}

bool BookmarkTextValid(TDataSet* DataSet, const AnsiString& Bookmark)
{
  return DataSet->BookmarkValid(Bookmark);
}

TDataSet* DataSetOfSourceProperty(TObject* Object, const AnsiString& PropName)
{
  if (!Object)
    return nullptr;
  try {
    if (PPropInfo prop = GetPropInfo(Object, PropName)) {
      if (prop->Kind() != tkClass)
        return nullptr;
      auto* source = dynamic_cast<TDataSource*>(GetObjectProp(Object, prop));
      return source ? source->DataSet() : nullptr;
    }
  } catch (const Exception&) {
    return nullptr;
  }
  // Our datasets keep their master source in the master link rather than a published
  // property of every class.
  if (auto* dataSet = dynamic_cast<TDataSet*>(Object);
      dataSet && SameText(PropName, "MasterSource") && dataSet->DataSource())
    return dataSet->DataSource()->DataSet();
  return nullptr;
}

Integer DrawTextStr(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, Cardinal Format)
{
  return Canvas->DrawText(Text, Rect, Format);
}

Integer DrawTextExStr(TCanvas* Canvas, const AnsiString& Text, TRect& Rect, Cardinal Format,
                      const TDrawTextParams* Params)
{
  // The parameters are copied: the call writes the bytes drawn into them.
  TDrawTextParams copy;
  if (Params)
    copy = *Params;
  return Canvas->DrawTextEx(Text, Rect, Format, Params ? &copy : nullptr);
}

void ExtTextOutStr(TCanvas* Canvas, Integer X, Integer Y, Cardinal Options, const TRect* Rect,
                   const AnsiString& Text)
{
  Canvas->ExtTextOut(X, Y, Options, Rect, Text);
}

TOutlineTextMetric OutlineTextMetricsOf(TCanvas* Canvas)
{
  return Canvas->GetOutlineTextMetrics();
}

LRESULT SendMessageWithPointer(HWND Wnd, UINT Msg, WPARAM WParam, void* Record)
{
  return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(Record));
}

LRESULT SendMessageWithText(HWND Wnd, UINT Msg, WPARAM WParam, const AnsiString& Text)
{
  return SendMessage(Wnd, Msg, WParam, reinterpret_cast<LPARAM>(Text.c_str()));
}

bool SystemParameter(UINT Action, UINT Param, void* Data, UINT WinIni)
{
  return SystemParametersInfo(Action, Param, Data, WinIni);
}

bool InvalidateWindowRect(HWND Wnd, const TRect* Rect, bool Erase)
{
  return InvalidateRect(Wnd, Rect, Erase);
}

bool ValidateWindowRect(HWND Wnd, const TRect* Rect)
{
  return ValidateRect(Wnd, Rect);
}

Integer ScrollWindowArea(HWND Wnd, Integer DX, Integer DY, UINT Flags, TRegion* UpdateRegion,
                         const TRect* ClipRect, const TRect* ScrollRect)
{
  return ScrollWindowEx(Wnd, DX, DY, ScrollRect, ClipRect, UpdateRegion, nullptr, Flags);
}

TRect LogicalToDevice2(TCanvas* Canvas, const TRect& Rect)
{
  return Canvas->ToDevice(Rect);
}

TRegion PolygonRegion(const TPoint* Points, Integer Count, Integer FillMode)
{
  std::vector<TPoint> copy(Points, Points + Count);
  return TRegion::Polygon(copy.data(), Count, FillMode);
}

void EditSelection(HWND Wnd, Integer& SelStart, Integer& SelEnd)
{
  DWORD start = 0, end = 0;
  SendMessage(Wnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SelStart = static_cast<Integer>(start);
  SelEnd = static_cast<Integer>(end);
}

AnsiString UpperCaseText(const AnsiString& S)
{
  return AnsiUpperCase(S);
}

AnsiString LowerCaseText(const AnsiString& S)
{
  return AnsiLowerCase(S);
}

Integer CompareTextExact(const AnsiString& A, const AnsiString& B)
{
  return AnsiCompareStr(A, B);
}

Integer CompareTextNoCase(const AnsiString& A, const AnsiString& B)
{
  return AnsiCompareText(A, B);
}

void ResizeVariantArray(Variant& V, Integer HighBound)
{
  VarArrayRedim(V, HighBound);
}
