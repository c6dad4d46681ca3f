#pragma once
// The vocabulary shared by windows, controls and the program: notifications, window
// message numbers, text-alignment flags and message-box answers. The numbers are the
// ones the console's message tables are written against.

#include <cstdint>
#include <string>

namespace velmora::ui {

class CControlUI;

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Window messages a window's HandleMessage sees.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_DEVICECHANGE = 0x0219;
inline constexpr UINT WM_USER = 0x0400;

// Virtual key codes carried by "direction" and WM_KEYDOWN.
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_ESCAPE = 27;
inline constexpr int VK_LEFT = 37;
inline constexpr int VK_UP = 38;
inline constexpr int VK_RIGHT = 39;
inline constexpr int VK_DOWN = 40;

// Text layout flags for CRenderEngine::DrawTextA and a control's "align".
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_CENTER = 0x0001;
inline constexpr UINT DT_RIGHT = 0x0002;
inline constexpr UINT DT_VCENTER = 0x0004;
inline constexpr UINT DT_BOTTOM = 0x0008;
inline constexpr UINT DT_WORDBREAK = 0x0010;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_END_ELLIPSIS = 0x8000;

// Message boxes.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// One notification from a control to its window. `timestamp` is milliseconds of a
// monotonic clock, so differences between two notifications are meaningful.
struct TNotifyUI {
  std::string sType;
  CControlUI* pSender = nullptr;
  std::uint32_t dwTimestamp = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Milliseconds of the monotonic clock used for notification time stamps.
std::uint32_t MonotonicMs();

// A rectangle in window coordinates (device-independent pixels), edges exclusive.
struct UiRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

}  // namespace velmora::ui
