// Helpers private to the foundation's units (cxControlsUnit.cpp, cxFormats.cpp): a
// program-wide controller keeps a hidden window, for the broadcast messages it relays, only
// while something listens to it.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/ui/Controls.h"

// Adds AItem to AList unless it is there already; the first one makes AWindow, the hidden
// window whose messages go to AWndProc.
template <class T>
void cxAddWindowListener(std::vector<T*>& AList, HWND& AWindow, T* AItem, TWndMethod AWndProc)
{
  if (std::find(AList.begin(), AList.end(), AItem) != AList.end())
    return;
  if (AList.empty())
    AWindow = AllocateHWnd(AWndProc);
  AList.push_back(AItem);
}

// Takes AItem out of AList; the window goes with the last one.
template <class T> void cxRemoveWindowListener(std::vector<T*>& AList, HWND& AWindow, T* AItem)
{
  std::erase(AList, AItem);
  if (AList.empty() && AWindow) {
    DeallocateHWnd(AWindow);
    AWindow = 0;
  }
}
