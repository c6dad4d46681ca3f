#pragma once
// Windows. CWindowWnd is a top-level window with a message procedure
// (HandleMessage), window timers and posted messages; WindowImplBase adds the
// control tree built from a skin layout, notifications, and the overridable steps
// the console's windows fill in.
//
// A window is owned by whoever created it; the object must outlive its on-screen
// window. Close() ends a modal loop at once and destroys the on-screen window from
// the message queue, so it is safe to call from a notification handler.
//
// User-interface thread only.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/builder.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/ui_types.h"

class QEventLoop;
class QTimer;

namespace velmora::ui {

using HWND = QWidget*;

class WindowHost;

// Style bits the console passes to Create; only these change what Qt does.
inline constexpr std::uint32_t WS_POPUP = 0x80000000u;
inline constexpr std::uint32_t WS_VISIBLE = 0x40000000u;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr std::uint32_t UI_WNDSTYLE_DIALOG = 0x96C80000u;
inline constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
inline constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;

class CWindowWnd {
 public:
  CWindowWnd();
  virtual ~CWindowWnd();
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  virtual std::string GetWindowClassName() const = 0;
  virtual UINT GetClassStyle() const { return 0; }

  // Creates the on-screen window (hidden unless `style` has WS_VISIBLE) and sends
  // it WM_CREATE. Returns nullptr if the window could not be built.
  HWND Create(HWND parent, const std::string& title, std::uint32_t style,
              std::uint32_t ex_style, int x = -1, int y = -1, int cx = 0, int cy = 0);
  HWND GetHWND() const;
  operator HWND() const { return GetHWND(); }
  HWND GetParentHWND() const { return parent_; }
  std::string GetTitle() const;
  void SetTitle(const std::string& title);

  // Centres on the parent window, or on the screen without one.
  void CenterWindow();
  void ShowWindow(bool show = true, bool take_focus = true);
  // Shows the window modally: the parent takes no input, but its timers and posted
  // messages keep running. Returns the value passed to Close, or -1 when the
  // program is quitting. The on-screen window is gone when it returns.
  int ShowModal();
  bool IsModal() const { return modal_loop_ != nullptr; }
  void Close(int result = IDOK);
  void Minimize();
  void Maximize();
  void Restore();
  bool IsMaximized() const;
  void ResizeClient(int width, int height);

  // Window timers: re-arming an armed identifier restarts it; every tick arrives as
  // WM_TIMER with the identifier in wParam.
  void SetTimer(std::uint32_t id, int period_ms);
  void KillTimer(std::uint32_t id);
  bool IsTimerArmed(std::uint32_t id) const;

  // Posted messages reach HandleMessage from the message queue, in order.
  bool PostMessage(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  LRESULT SendMessage(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);

  virtual LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam);
  // Called once the on-screen window is gone.
  virtual void OnFinalMessage(HWND) {}

  // The window object behind a handle, or nullptr once the window is gone.
  static CWindowWnd* FromHandle(HWND hwnd);
  // Called once, after the window has been painted for the first time.
  void SetFirstPaintCallback(std::function<void()> callback) { first_paint_ = std::move(callback); }
  // Called by the host.
  void HostPainted();
  void HostClosed();

 protected:
  virtual void HostCreated() {}
  void DestroyNow();

  QPointer<QWidget> host_;  // a WindowHost
  HWND parent_ = nullptr;
  std::map<std::uint32_t, std::unique_ptr<QTimer>> timers_;
  QEventLoop* modal_loop_ = nullptr;
  int modal_result_ = -1;
  bool closing_ = false;
  std::function<void()> first_paint_;
};

// Whether a handle still names a live window.
bool IsWindow(HWND hwnd);
// Posts a message to any live window; false when it is gone.
bool PostMessage(HWND hwnd, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
// Ends the message loop with `status`.
void PostQuitMessage(int status);

class WindowImplBase : public CWindowWnd, public INotifyUI, public IDialogBuilderCallback {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  virtual std::string GetSkinFile() const = 0;
  CPaintManagerUI& GetPaintManager() { return paint_manager_; }
  const CPaintManagerUI& GetPaintManager() const { return paint_manager_; }
  // Why the layout could not be built, after Create returned nullptr.
  const std::string& GetLayoutError() const { return layout_error_; }
  bool IsInitialized() const { return initialized_; }

  void Notify(TNotifyUI& msg) override;
  CControlUI* CreateControl(const std::string& tag) override;
  LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

  virtual LRESULT OnCreate(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnDestroy(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnChar(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnKeyDown(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT OnSize(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);
  virtual LRESULT HandleCustomMessage(UINT msg, WPARAM wparam, LPARAM lparam, bool& handled);

  // Sends "windowinit" once the layout is built and laid out; posted when the
  // window is created, so it runs before the first paint.
  void SendWindowInit();

 protected:
  CPaintManagerUI paint_manager_;
  std::string layout_error_;
  bool initialized_ = false;
};

}  // namespace velmora::ui
