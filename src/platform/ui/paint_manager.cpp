#include "platform/ui/paint_manager.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <filesystem>

#include "platform/archive/skin_archive.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/containers.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/render.h"

namespace velmora::ui {
namespace {

// What all windows share: the process's paths, the skin and the shared resources.
struct Shared {
  std::string instance_path;
  std::string current_path;
  std::unique_ptr<SkinSource> source;
  int resource_type = CPaintManagerUI::kResourceZip;
  DialogService* dialogs = nullptr;
  std::vector<CPaintManagerUI*> managers;
  std::map<int, TFontInfo> fonts;
  int default_font = -1;
  std::map<std::string, std::string> defaults;
};

Shared& shared() {
  static Shared instance;
  return instance;
}

const TFontInfo& FallbackFont() {
  static const TFontInfo font = [] {
    TFontInfo info;
    info.font = QFont("Noto Sans CJK SC");
    info.font.setPixelSize(12);
    info.size = 12;
    return info;
  }();
  return font;
}

}  // namespace

// --- Process-wide ------------------------------------------------------------------

std::string CPaintManagerUI::GetInstancePath() { return shared().instance_path; }

void CPaintManagerUI::SetInstance(const char* argv0) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) exe = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
  shared().instance_path = exe.parent_path().string() + "/";
}

std::string CPaintManagerUI::GetCurrentPath() { return shared().current_path; }
void CPaintManagerUI::SetCurrentPath(const std::string& path) { shared().current_path = path; }

void CPaintManagerUI::SetResourceType(int type) { shared().resource_type = type; }
int CPaintManagerUI::GetResourceType() { return shared().resource_type; }

bool CPaintManagerUI::SetResourceZip(const std::string& zip, bool, const std::string& password,
                                     std::string& error) {
  const std::string path = !zip.empty() && zip[0] == '/' ? zip : shared().current_path + zip;
  auto opened = OpenSkinArchive(path, password);
  if (!opened) {
    error = opened.error;
    return false;
  }
  shared().resource_type = kResourceZip;
  shared().source = std::move(opened.value);
  return true;
}

bool CPaintManagerUI::SetResourcePath(const std::string& folder, std::string& error) {
  auto opened = OpenSkinFolder(folder);
  if (!opened) {
    error = opened.error;
    return false;
  }
  shared().resource_type = kResourceFolder;
  shared().source = std::move(opened.value);
  return true;
}

void CPaintManagerUI::SetResourceSource(std::unique_ptr<SkinSource> source) {
  shared().source = std::move(source);
}

const SkinSource* CPaintManagerUI::GetResourceSource() { return shared().source.get(); }

bool CPaintManagerUI::LoadResource(const std::string& path, std::vector<std::uint8_t>& bytes,
                                   std::string& error) {
  if (!shared().source) {
    error = "no skin is loaded";
    return false;
  }
  auto read = shared().source->Read(path);
  if (!read) {
    error = read.error;
    return false;
  }
  bytes = std::move(read.value);
  return true;
}

void CPaintManagerUI::SetDialogService(DialogService* service) { shared().dialogs = service; }

DialogService& CPaintManagerUI::Dialogs() {
  static QtDialogService qt_dialogs;
  return shared().dialogs ? *shared().dialogs : qt_dialogs;
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::AllManagers() { return shared().managers; }

void CPaintManagerUI::Term() {
  shared().source.reset();
  shared().fonts.clear();
  shared().defaults.clear();
  shared().default_font = -1;
}

int CPaintManagerUI::MessageLoop() { return QApplication::exec(); }

// --- This window ---------------------------------------------------------------------

CPaintManagerUI::CPaintManagerUI() { shared().managers.push_back(this); }

CPaintManagerUI::~CPaintManagerUI() {
  std::erase(shared().managers, this);
  // Controls report their going while the maps still exist.
  focus_ = hot_ = captured_ = nullptr;
  root_.reset();
}

void CPaintManagerUI::Init(QWidget* host, CWindowWnd* window) {
  host_ = host;
  window_ = window;
}

void CPaintManagerUI::AttachDialog(CControlUI* root) {
  focus_ = hot_ = captured_ = nullptr;
  root_.reset(root);
  if (root_) root_->SetManager(this, nullptr);
  need_layout_ = true;
  Invalidate();
}

CControlUI* CPaintManagerUI::FindControl(const std::string& name) const {
  auto found = names_.find(name);
  return found == names_.end() ? nullptr : found->second;
}

CControlUI* CPaintManagerUI::FindControl(int x, int y) const {
  return root_ ? root_->FindControlAt(x, y) : nullptr;
}

void CPaintManagerUI::NameChanged(CControlUI* control, const std::string& old_name) {
  if (!old_name.empty()) {
    auto found = names_.find(old_name);
    if (found != names_.end() && found->second == control) names_.erase(found);
  }
  if (!control->GetName().empty()) names_[control->GetName()] = control;
}

void CPaintManagerUI::ControlGone(CControlUI* control) {
  if (!control->GetName().empty()) {
    auto found = names_.find(control->GetName());
    if (found != names_.end() && found->second == control) names_.erase(found);
  }
  if (focus_ == control) focus_ = nullptr;
  if (hot_ == control) hot_ = nullptr;
  if (captured_ == control) captured_ = nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) { notifiers_.push_back(notifier); }
void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { std::erase(notifiers_, notifier); }

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  if (msg.dwTimestamp == 0) msg.dwTimestamp = MonotonicMs();
  if (!async) {
    // A handler may add or remove notifiers; deliver to those present now.
    auto notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers)
      if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end())
        notifier->Notify(msg);
    return;
  }
  // From the queue; dropped if the sender has gone meanwhile.
  QTimer::singleShot(0, host_, [this, msg, host = QPointer<QWidget>(host_)]() mutable {
    if (!host || !root_) return;
    bool alive = msg.pSender == nullptr;
    if (!alive) root_->ForEach([&](CControlUI* c) { alive = alive || c == msg.pSender; });
    if (alive) SendNotify(msg, false);
  });
}

void CPaintManagerUI::SendNotify(CControlUI* control, const std::string& type, WPARAM wparam,
                                 LPARAM lparam, bool async) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = control;
  msg.wParam = wparam;
  msg.lParam = lparam;
  msg.dwTimestamp = MonotonicMs();
  SendNotify(msg, async);
}

void CPaintManagerUI::AddFont(int id, const std::string& family, int size, bool bold, bool italic,
                              bool is_shared, bool is_default) {
  TFontInfo info;
  info.font = QFont(QString::fromStdString(family));
  info.font.setPixelSize(size > 0 ? size : 12);
  info.font.setBold(bold);
  info.font.setItalic(italic);
  info.font.setHintingPreference(QFont::PreferNoHinting);
  info.size = size;
  info.bold = bold;
  if (is_shared || force_shared_) {
    shared().fonts[id] = info;
    if (is_default) shared().default_font = id;
  } else {
    fonts_[id] = info;
    if (is_default) default_font_ = id;
  }
}

const TFontInfo& CPaintManagerUI::GetFontInfo(int index) const {
  auto lookup = [](const std::map<int, TFontInfo>& fonts, int id) -> const TFontInfo* {
    auto found = fonts.find(id);
    return found == fonts.end() ? nullptr : &found->second;
  };
  if (!force_shared_)
    if (const TFontInfo* f = lookup(fonts_, index)) return *f;
  if (const TFontInfo* f = lookup(shared().fonts, index)) return *f;
  if (!force_shared_)
    if (const TFontInfo* f = lookup(fonts_, default_font_)) return *f;
  if (const TFontInfo* f = lookup(shared().fonts, shared().default_font)) return *f;
  return FallbackFont();
}

void CPaintManagerUI::AddDefaultAttributeList(const std::string& control_class,
                                              const std::string& list, bool is_shared) {
  (is_shared || force_shared_ ? shared().defaults : defaults_)[control_class] = list;
}

const std::string* CPaintManagerUI::GetDefaultAttributeList(const std::string& control_class) const {
  if (!force_shared_) {
    auto found = defaults_.find(control_class);
    if (found != defaults_.end()) return &found->second;
  }
  auto found = shared().defaults.find(control_class);
  return found == shared().defaults.end() ? nullptr : &found->second;
}

const QPixmap* CPaintManagerUI::GetImage(const std::string& path) {
  auto cached = images_.find(path);
  if (cached != images_.end()) return cached->second.get();
  std::unique_ptr<QPixmap> pixmap;
  std::vector<std::uint8_t> bytes;
  std::string error;
  // A double-size variant ("x@2x.png") keeps images sharp on high-DPI screens.
  const auto dot = path.rfind('.');
  const std::string hidpi = dot == std::string::npos ? path + "@2x" : path.substr(0, dot) + "@2x" + path.substr(dot);
  double ratio = 2.0;
  if (!LoadResource(hidpi, bytes, error)) {
    ratio = 1.0;
    if (!LoadResource(path, bytes, error)) bytes.clear();
  }
  if (!bytes.empty()) {
    pixmap = std::make_unique<QPixmap>();
    if (pixmap->loadFromData(bytes.data(), static_cast<uint>(bytes.size())))
      pixmap->setDevicePixelRatio(ratio);
    else
      pixmap.reset();
  }
  const QPixmap* result = pixmap.get();
  images_[path] = std::move(pixmap);  // a missing image is remembered as missing
  return result;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (control == focus_) return;
  CControlUI* old = focus_;
  focus_ = control;
  if (old) {
    TEventUI event{UiEvent::kKillFocus};
    event.timestamp = MonotonicMs();
    old->DoEvent(event);
  }
  if (control && focus_ == control) {
    TEventUI event{UiEvent::kSetFocus};
    event.timestamp = MonotonicMs();
    control->DoEvent(event);
  }
  if (!focus_ && host_ && !host_->hasFocus()) host_->setFocus(Qt::OtherFocusReason);
}

void CPaintManagerUI::Invalidate() {
  if (host_ && !laying_out_) host_->update();
}

void CPaintManagerUI::Invalidate(const UiRect& rect) {
  if (host_ && !laying_out_ && !rect.empty())
    host_->update(QRect(rect.left, rect.top, rect.width(), rect.height()));
}

void CPaintManagerUI::LayoutIfNeeded() {
  if (!need_layout_ || !root_) return;
  need_layout_ = false;
  laying_out_ = true;
  root_->SetPos({0, 0, width_, height_});
  laying_out_ = false;
}

void CPaintManagerUI::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  need_layout_ = true;
  LayoutIfNeeded();
  Invalidate();
}

void CPaintManagerUI::Paint(QPainter& painter, const UiRect& clip) {
  LayoutIfNeeded();
  if (root_) root_->DoPaint(painter, clip);
}

void CPaintManagerUI::SetHot(CControlUI* control, int x, int y) {
  if (control == hot_) return;
  CControlUI* old = hot_;
  hot_ = control;
  if (old) {
    TEventUI event{UiEvent::kMouseLeave, x, y};
    event.timestamp = MonotonicMs();
    old->DoEvent(event);
  }
  if (control && hot_ == control) {
    TEventUI event{UiEvent::kMouseEnter, x, y};
    event.timestamp = MonotonicMs();
    control->DoEvent(event);
  }
  if (host_)
    host_->setToolTip(hot_ ? QString::fromStdString(hot_->GetToolTip()) : QString());
}

void CPaintManagerUI::MouseMove(int x, int y) {
  LayoutIfNeeded();
  if (captured_) {
    TEventUI event{UiEvent::kMouseMove, x, y};
    event.timestamp = MonotonicMs();
    captured_->DoEvent(event);
    return;
  }
  CControlUI* control = FindControl(x, y);
  SetHot(control, x, y);
  if (control) {
    TEventUI event{UiEvent::kMouseMove, x, y};
    event.timestamp = MonotonicMs();
    control->DoEvent(event);
  }
}

void CPaintManagerUI::MouseLeave() {
  if (!captured_) SetHot(nullptr, -1, -1);
}

void CPaintManagerUI::MouseDown(int x, int y, bool double_click) {
  LayoutIfNeeded();
  CControlUI* control = FindControl(x, y);
  SetHot(control, x, y);
  if (!control) {
    SetFocus(nullptr);
    return;
  }
  SetFocus(control->IsFocusable() && control->IsEnabled() ? control : nullptr);
  if (!control->IsEnabled()) return;
  captured_ = control;
  TEventUI event{double_click ? UiEvent::kDblClick : UiEvent::kButtonDown, x, y};
  event.timestamp = MonotonicMs();
  control->DoEvent(event);
}

void CPaintManagerUI::MouseUp(int x, int y) {
  CControlUI* control = captured_;
  captured_ = nullptr;
  if (!control) return;
  TEventUI event{UiEvent::kButtonUp, x, y};
  event.timestamp = MonotonicMs();
  control->DoEvent(event);
  // The control may be gone now (its click deleted it); only the manager is used.
  MouseMove(x, y);
}

void CPaintManagerUI::Wheel(int x, int y, bool up) {
  LayoutIfNeeded();
  CControlUI* control = FindControl(x, y);
  if (!control || !control->IsEnabled()) return;
  TEventUI event{UiEvent::kWheel, x, y};
  event.wheel_up = up;
  event.timestamp = MonotonicMs();
  control->DoEvent(event);
}

bool CPaintManagerUI::KeyDown(int virtual_key) {
  if (!focus_) return false;
  TEventUI event{UiEvent::kKeyDown};
  event.key = virtual_key;
  event.timestamp = MonotonicMs();
  focus_->DoEvent(event);
  return true;
}

bool CPaintManagerUI::InCaption(int x, int y) const {
  if (caption_.bottom <= 0 || y < caption_.top || y >= caption_.bottom) return false;
  // Over a control that does something, the control gets the mouse.
  CControlUI* control = FindControl(x, y);
  return !control || dynamic_cast<CContainerUI*>(control) ||
         (dynamic_cast<CLabelUI*>(control) && !dynamic_cast<CButtonUI*>(control) &&
          control->GetClass() == "LabelUI");
}

}  // namespace velmora::ui
