#pragma once
// One window's control tree: finds controls by name, routes input to them, paints
// them, keeps the fonts, images and default attributes of the window's layout, and
// delivers notifications to the window. The process-wide part (where the skin comes
// from, the resources windows share, the dialog service) lives in static members.
//
// User-interface thread only.

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/ui_types.h"


namespace velmora {
class SkinSource;
}

namespace velmora::ui {

class DialogService;
class CWindowWnd;

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

struct TFontInfo {
  QFont font;
  int size = 12;  // pixels
  bool bold = false;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // --- Process-wide ---------------------------------------------------------
  // The folder the program runs from, and the one relative paths start from.
  static std::string GetInstancePath();
  static void SetInstance(const char* argv0);
  static std::string GetCurrentPath();
  static void SetCurrentPath(const std::string& path);
  // Where layouts and images come from: 1 a folder, 2 a zip archive.
  enum ResourceType { kResourceFolder = 1, kResourceZip = 2 };
  static void SetResourceType(int type);
  static int GetResourceType();
  // Opens the skin archive (relative to the current path) with its password, or a
  // skin folder; false with the reason in `error` when it cannot be read. The
  // archive is read into memory once (`cached` is always so).
  static bool SetResourceZip(const std::string& zip, bool cached, const std::string& password,
                             std::string& error);
  static bool SetResourcePath(const std::string& folder, std::string& error);
  // Any other source (tests). The platform takes ownership.
  static void SetResourceSource(std::unique_ptr<SkinSource> source);
  static const SkinSource* GetResourceSource();
  // Reads one skin file; false (with a reason) when it cannot.
  static bool LoadResource(const std::string& path, std::vector<std::uint8_t>& bytes,
                           std::string& error);
  // Message boxes and file dialogs for every window. Not owned.
  static void SetDialogService(DialogService* service);
  static DialogService& Dialogs();
  // Every live window's manager, oldest first.
  static const std::vector<CPaintManagerUI*>& AllManagers();
  // Drops the shared resources and the skin at the end of the program.
  static void Term();
  // Runs the message loop until the quit message; returns its status.
  static int MessageLoop();

  // --- This window ----------------------------------------------------------
  void Init(QWidget* host, CWindowWnd* window);
  QWidget* GetPaintWindow() const { return host_; }
  CWindowWnd* GetWindow() const { return window_; }
  void AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return root_.get(); }
  // Resources are looked up in this window first, then in the shared set. When
  // forced, the window's layout adds its fonts and defaults to the shared set and
  // looks only there (a dialog that looks like its main window).
  void SetForceUseSharedRes(bool force) { force_shared_ = force; }
  bool IsForceUseSharedRes() const { return force_shared_; }

  CControlUI* FindControl(const std::string& name) const;
  CControlUI* FindControl(int x, int y) const;
  // Names are unique per window; a later control with a taken name replaces it.
  void NameChanged(CControlUI* control, const std::string& old_name);
  void ControlGone(CControlUI* control);

  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  void SendNotify(TNotifyUI& msg, bool async = false);
  void SendNotify(CControlUI* control, const std::string& type, WPARAM wparam = 0,
                  LPARAM lparam = 0, bool async = false);

  // Fonts by index, as the layout declares them. An unknown index gives the default.
  void AddFont(int id, const std::string& family, int size, bool bold, bool italic, bool shared,
               bool is_default);
  const TFontInfo& GetFontInfo(int index) const;
  QFont GetFont(int index) const { return GetFontInfo(index).font; }
  // Attribute lists applied to every control of a class before its own attributes.
  void AddDefaultAttributeList(const std::string& control_class, const std::string& list,
                               bool shared);
  const std::string* GetDefaultAttributeList(const std::string& control_class) const;
  // An image of the skin by path; nullptr when it does not exist.
  const QPixmap* GetImage(const std::string& path);

  // Focus, hover and the mouse capture.
  CControlUI* GetFocus() const { return focus_; }
  void SetFocus(CControlUI* control);
  CControlUI* GetHot() const { return hot_; }

  // Called by the window host.
  void Paint(QPainter& painter, const UiRect& clip);
  void Resize(int width, int height);
  void NeedUpdate() { need_layout_ = true; }
  void Invalidate();
  void Invalidate(const UiRect& rect);
  void LayoutIfNeeded();
  void MouseMove(int x, int y);
  void MouseLeave();
  void MouseDown(int x, int y, bool double_click);
  void MouseUp(int x, int y);
  void Wheel(int x, int y, bool up);
  // A key the window itself received (no edit had the focus); true if a control used it.
  bool KeyDown(int virtual_key);
  // Controls with caption rectangle, used to move a frameless window by its title bar.
  void SetCaptionRect(const UiRect& rect) { caption_ = rect; }
  bool InCaption(int x, int y) const;
  // The border width that resizes a frameless window (left, top, right, bottom).
  void SetSizeBox(UiMargins box) { size_box_ = box; }
  const UiMargins& GetSizeBox() const { return size_box_; }

 private:
  void SetHot(CControlUI* control, int x, int y);

  QPointer<QWidget> host_;  // gone with the on-screen window
  CWindowWnd* window_ = nullptr;
  std::unique_ptr<CControlUI> root_;
  std::map<std::string, CControlUI*> names_;
  std::vector<INotifyUI*> notifiers_;
  std::map<int, TFontInfo> fonts_;
  int default_font_ = -1;
  std::map<std::string, std::string> defaults_;
  std::map<std::string, std::unique_ptr<QPixmap>> images_;
  CControlUI* focus_ = nullptr;
  CControlUI* hot_ = nullptr;
  CControlUI* captured_ = nullptr;
  UiRect caption_;
  UiMargins size_box_;
  bool force_shared_ = false;
  bool need_layout_ = true;
  bool laying_out_ = false;
  int width_ = 0, height_ = 0;
};

}  // namespace velmora::ui
