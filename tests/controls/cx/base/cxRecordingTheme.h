// A theme service for tests: chosen classes open, every call is logged as a line
// ("draw Button 1 3 (0,0,10,10)"), sizes, content rectangles and colours are configured
// answers, and drawing fills the rectangle with a colour made of class, part and state so
// that pictures show which part was drawn.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "controls/cx/base/dxThemeManager.h"
#include "platform/graphics/Region.h"
#include "platform/graphics/Themes.h"
#include "platform/rtl/Codec.h"
#include "platform/ui/Windows.h"

namespace cxtest {

class TRecordingTheme : public TThemeService {
public:
  // Installed for the life of the object; the handle cache starts afresh both times, as
  // after a theme change.
  TRecordingTheme()
  {
    CloseAllThemeHandles();
    SetThemeServices(this);
    BroadcastMessage(WM_THEMECHANGED, 0, 0);
    Log.clear();
  }
  ~TRecordingTheme() override
  {
    CloseAllThemeHandles();
    SetThemeServices(nullptr);
    BroadcastMessage(WM_THEMECHANGED, 0, 0);
  }
  // A theme change: the new answers take effect.
  void Changed() { BroadcastMessage(WM_THEMECHANGED, 0, 0); }

  bool Active = true;
  // Empty: every class opens.
  std::set<std::string> Available;
  std::set<std::string> Refused;
  std::vector<std::string> Log;
  Integer Opens = 0;
  // Answers by (class, part, state); content rectangles are insets (left, top, right,
  // bottom) from the bounds.
  std::map<std::tuple<std::string, Integer, Integer>, TSize> TrueSizes;
  std::map<std::pair<std::string, Integer>, TRect> ContentInsets;
  std::map<std::tuple<std::string, Integer, Integer, Integer>, TColor> Colors;

  static TColor PartColor(const std::string& cls, Integer part, Integer state)
  {
    std::uint32_t h = 0;
    for (char c : cls)
      h = h * 31 + static_cast<unsigned char>(c);
    return RGB(static_cast<Byte>(h & 0x7F), static_cast<Byte>(0x40 + part * 12),
               static_cast<Byte>(0x40 + state * 12));
  }

  std::string ClassOf(HTHEME t) const { return FHandles.count(t) ? FHandles.at(t) : "?"; }
  bool Logged(const std::string& prefix) const
  {
    for (const std::string& l : Log)
      if (l.rfind(prefix, 0) == 0)
        return true;
    return false;
  }

  bool IsThemeActive() override { return Active; }
  HTHEME OpenThemeData(const WideString& classList) override
  {
    std::string name = WideToGbk(classList);
    auto semi = name.find(';');
    if (semi != std::string::npos)
      name.resize(semi);
    ++Opens;
    Log.push_back("open " + name);
    if (Refused.count(name) || (!Available.empty() && !Available.count(name)))
      return 0;
    HTHEME h = ++FNext;
    FHandles[h] = name;
    return h;
  }
  HRESULT CloseThemeData(HTHEME theme) override
  {
    Log.push_back("close " + ClassOf(theme));
    FHandles.erase(theme);
    return S_OK;
  }
  HRESULT DrawThemeBackground(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                              const TRect& rect, const TRect* clip) override
  {
    Log.push_back("draw " + ClassOf(theme) + " " + std::to_string(part) + " " +
                  std::to_string(state));
    TCanvasSaver saver(canvas);
    if (clip)
      canvas.IntersectClipRect(*clip);
    canvas.Brush()->SetColor(PartColor(ClassOf(theme), part, state));
    canvas.Brush()->SetStyle(bsSolid);
    canvas.FillRect(rect);
    return S_OK;
  }
  HRESULT DrawThemeText(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                        const WideString& text, Cardinal flags, Cardinal,
                        const TRect& rect) override
  {
    Log.push_back("text " + ClassOf(theme) + " " + std::to_string(part) + " " +
                  std::to_string(state) + " " + WideToGbk(text) + " " + std::to_string(flags));
    LastTextRect = rect;
    return S_OK;
  }
  TRect LastTextRect;
  HRESULT DrawThemeEdge(HTHEME theme, TCanvas& canvas, Integer part, Integer state,
                        const TRect& dest, Cardinal edge, Cardinal flags, TRect*) override
  {
    Log.push_back("edge " + ClassOf(theme) + " " + std::to_string(part) + " " +
                  std::to_string(state) + " " + std::to_string(edge) + " " + std::to_string(flags));
    return S_OK;
  }
  HRESULT GetThemeBackgroundContentRect(HTHEME theme, TCanvas*, Integer part, Integer,
                                        const TRect& bounds, TRect& content) override
  {
    auto it = ContentInsets.find({ClassOf(theme), part});
    TRect in = it == ContentInsets.end() ? TRect{2, 2, 2, 2} : it->second;
    content = TRect{bounds.Left + in.Left, bounds.Top + in.Top, bounds.Right - in.Right,
                    bounds.Bottom - in.Bottom};
    return S_OK;
  }
  HRESULT GetThemeBackgroundRegion(HTHEME, TCanvas*, Integer, Integer, const TRect& rect,
                                   TRegion& region) override
  {
    region = TRegion::Ellipse(rect);
    return S_OK;
  }
  HRESULT GetThemePartSize(HTHEME theme, TCanvas*, Integer part, Integer state, const TRect*,
                           THEMESIZE, TSize& size) override
  {
    auto it = TrueSizes.find({ClassOf(theme), part, state});
    size = it == TrueSizes.end() ? TSize{13, 13} : it->second;
    return S_OK;
  }
  HRESULT GetThemeColor(HTHEME theme, Integer part, Integer state, Integer property,
                        TColor& color) override
  {
    auto it = Colors.find({ClassOf(theme), part, state, property});
    if (it == Colors.end())
      return E_FAIL;
    color = it->second;
    return S_OK;
  }
  bool IsThemeBackgroundPartiallyTransparent(HTHEME, Integer, Integer) override { return false; }

private:
  std::map<HTHEME, std::string> FHandles;
  HTHEME FNext = 0;
};

} // namespace cxtest
