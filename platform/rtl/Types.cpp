// Geometry helpers over TRect and TPoint, with the platform's empty-rectangle rules.
#include "platform/rtl/Types.h"

#include <algorithm>

bool IsRectEmpty(const TRect& r)
{
  return r.Right <= r.Left || r.Bottom <= r.Top;
}

bool EqualRect(const TRect& a, const TRect& b)
{
  return a == b;
}

bool PtInRect(const TRect& r, const TPoint& p)
{
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

void InflateRect(TRect& r, Integer dx, Integer dy)
{
  r.Left -= dx;
  r.Top -= dy;
  r.Right += dx;
  r.Bottom += dy;
}

void OffsetRect(TRect& r, Integer dx, Integer dy)
{
  r.Left += dx;
  r.Top += dy;
  r.Right += dx;
  r.Bottom += dy;
}

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b)
{
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  if (IsRectEmpty(r)) {
    dst = TRect{};
    return false;
  }
  dst = r;
  return true;
}

bool UnionRect(TRect& dst, const TRect& a, const TRect& b)
{
  if (IsRectEmpty(a)) {
    dst = b;
  } else if (IsRectEmpty(b)) {
    dst = a;
  } else {
    dst = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom)};
  }
  if (IsRectEmpty(dst)) {
    dst = TRect{};
    return false;
  }
  return true;
}
