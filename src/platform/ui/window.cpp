#include "platform/ui/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <map>

namespace velmora::ui {

// --- The on-screen window ------------------------------------------------------------

namespace {

// A window message travelling through Qt's event queue.
class MessageEvent : public QEvent {
 public:
  static QEvent::Type Kind() {
    static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
    return kind;
  }
  MessageEvent(UINT msg, WPARAM wparam, LPARAM lparam)
      : QEvent(Kind()), msg(msg), wparam(wparam), lparam(lparam) {}
  UINT msg;
  WPARAM wparam;
  LPARAM lparam;
};

std::map<QWidget*, CWindowWnd*>& Registry() {
  static std::map<QWidget*, CWindowWnd*> windows;
  return windows;
}

// The virtual key code of a Qt key, or 0.
int VirtualKey(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Space: return ' ';
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 46;
    default:
      if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) return qt_key;
      if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return qt_key;
      if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return 0x70 + (qt_key - Qt::Key_F1);
      return 0;
  }
}

}  // namespace

class WindowHost : public QWidget {
 public:
  WindowHost(CWindowWnd* window, QWidget* parent) : QWidget(parent), window_(window) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  void Detach() { window_ = nullptr; }
  CWindowWnd* window() const { return window_; }

 protected:
  WindowImplBase* impl() const { return dynamic_cast<WindowImplBase*>(window_); }

  bool event(QEvent* event) override {
    if (event->type() == MessageEvent::Kind()) {
      auto* message = static_cast<MessageEvent*>(event);
      if (window_) window_->HandleMessage(message->msg, message->wparam, message->lparam);
      return true;
    }
    return QWidget::event(event);
  }

  void paintEvent(QPaintEvent* event) override {
    // "windowinit" comes from the queue (posted at creation, so before the first
    // paint); sending it from here would run its handlers, and any modal dialog
    // they open, inside a paint.
    WindowImplBase* w = impl();
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(0x17, 0x18, 0x1B));
    if (w) {
      const QRect r = event->rect();
      w->GetPaintManager().Paint(painter, {r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    painter.end();
    if (window_) window_->HostPainted();
  }

  void resizeEvent(QResizeEvent*) override {
    if (WindowImplBase* w = impl()) {
      w->GetPaintManager().Resize(width(), height());
      if (w->IsInitialized() && w->GetPaintManager().GetRoot())
        w->GetPaintManager().SendNotify(w->GetPaintManager().GetRoot(), "windowsize");
    }
    if (window_) window_->HandleMessage(WM_SIZE, 0, (height() << 16) | (width() & 0xFFFF));
  }

  // The window edges under (x, y) that resize a frameless window.
  Qt::Edges SizeEdges(const CPaintManagerUI& pm, int x, int y) const {
    const UiMargins& box = pm.GetSizeBox();
    Qt::Edges edges;
    if (isMaximized() || !(windowFlags() & Qt::FramelessWindowHint)) return edges;
    if (x < box.left) edges |= Qt::LeftEdge;
    if (x >= width() - box.right) edges |= Qt::RightEdge;
    if (y < box.top) edges |= Qt::TopEdge;
    if (y >= height() - box.bottom) edges |= Qt::BottomEdge;
    return edges;
  }

  void mouseMoveEvent(QMouseEvent* e) override {
    WindowImplBase* w = impl();
    if (!w) return;
    const int x = e->position().x(), y = e->position().y();
    if (!(e->buttons() & Qt::LeftButton)) {
      const Qt::Edges edges = SizeEdges(w->GetPaintManager(), x, y);
      const bool diagonal_down = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
      const bool diagonal_up = edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge);
      if (diagonal_down) setCursor(Qt::SizeFDiagCursor);
      else if (diagonal_up) setCursor(Qt::SizeBDiagCursor);
      else if (edges & (Qt::LeftEdge | Qt::RightEdge)) setCursor(Qt::SizeHorCursor);
      else if (edges) setCursor(Qt::SizeVerCursor);
      else unsetCursor();
    }
    w->GetPaintManager().MouseMove(x, y);
  }
  void mousePressEvent(QMouseEvent* e) override {
    WindowImplBase* w = impl();
    if (!w || e->button() != Qt::LeftButton) return;
    const int x = e->position().x(), y = e->position().y();
    if (const Qt::Edges edges = SizeEdges(w->GetPaintManager(), x, y); edges && windowHandle()) {
      windowHandle()->startSystemResize(edges);
      return;
    }
    if (w->GetPaintManager().InCaption(x, y) && windowHandle()) {
      windowHandle()->startSystemMove();
      return;
    }
    w->GetPaintManager().MouseDown(x, y, false);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    WindowImplBase* w = impl();
    if (!w || e->button() != Qt::LeftButton) return;
    const int x = e->position().x(), y = e->position().y();
    const UiMargins& box = w->GetPaintManager().GetSizeBox();
    const bool resizable = box.left || box.top || box.right || box.bottom;
    if (resizable && w->GetPaintManager().InCaption(x, y)) {
      // A double click on the title bar maximises or restores, as everywhere.
      if (isMaximized()) showNormal();
      else showMaximized();
      return;
    }
    w->GetPaintManager().MouseDown(x, y, true);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (WindowImplBase* w = impl(); w && e->button() == Qt::LeftButton)
      w->GetPaintManager().MouseUp(e->position().x(), e->position().y());
  }
  void wheelEvent(QWheelEvent* e) override {
    WindowImplBase* w = impl();
    const int delta = e->angleDelta().y();
    if (w && delta != 0) w->GetPaintManager().Wheel(e->position().x(), e->position().y(), delta > 0);
  }
  void leaveEvent(QEvent*) override {
    if (WindowImplBase* w = impl()) w->GetPaintManager().MouseLeave();
  }
  void keyPressEvent(QKeyEvent* e) override {
    if (!window_) return;
    const int vk = VirtualKey(e->key());
    if (vk) {
      if (WindowImplBase* w = impl()) w->GetPaintManager().KeyDown(vk);
      if (!window_) return;
      window_->HandleMessage(WM_KEYDOWN, vk, 0);
    }
    if (!window_) return;
    const QString text = e->text();
    if (e->key() == Qt::Key_Escape) window_->HandleMessage(WM_CHAR, VK_ESCAPE, 0);
    else if (!text.isEmpty() && text[0].unicode() >= 32)
      window_->HandleMessage(WM_CHAR, text[0].unicode(), 0);
  }
  void closeEvent(QCloseEvent* e) override {
    // Closing from the window manager goes the same way as Close().
    e->ignore();
    if (window_) window_->HostClosed();
  }

 private:
  CWindowWnd* window_;
};

// --- CWindowWnd -------------------------------------------------------------------------

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
  timers_.clear();
  if (host_) {
    Registry().erase(host_.data());
    static_cast<WindowHost*>(host_.data())->Detach();
    host_->hide();
    host_->deleteLater();
  }
}

HWND CWindowWnd::Create(HWND parent, const std::string& title, std::uint32_t style,
                        std::uint32_t ex_style, int x, int y, int cx, int cy) {
  if (host_) return host_;
  parent_ = parent;
  closing_ = false;
  host_ = new WindowHost(this, parent);
  Qt::WindowFlags flags = Qt::Window;
  if (style & WS_POPUP) flags |= Qt::FramelessWindowHint;
  if (ex_style & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  host_->setWindowFlags(flags);
  host_->setWindowTitle(QString::fromStdString(title));
  host_->setObjectName(QString::fromStdString(GetWindowClassName()));
  Registry()[host_.data()] = this;
  HostCreated();
  if (SendMessage(WM_CREATE) < 0) {
    Registry().erase(host_.data());
    static_cast<WindowHost*>(host_.data())->Detach();
    delete host_.data();
    return nullptr;
  }
  if (cx > 0 && cy > 0) host_->resize(cx, cy);
  if (x >= 0 && y >= 0) host_->move(x, y);
  if (style & WS_VISIBLE) host_->show();
  return host_;
}

HWND CWindowWnd::GetHWND() const { return host_.data(); }

std::string CWindowWnd::GetTitle() const {
  return host_ ? host_->windowTitle().toStdString() : std::string();
}

void CWindowWnd::SetTitle(const std::string& title) {
  if (host_) host_->setWindowTitle(QString::fromStdString(title));
}

void CWindowWnd::CenterWindow() {
  if (!host_) return;
  QRect area;
  if (parent_ && IsWindow(parent_)) area = parent_->window()->geometry();
  else if (QScreen* screen = host_->screen() ? host_->screen() : QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isEmpty()) return;
  host_->move(area.center() - QPoint(host_->width() / 2, host_->height() / 2));
}

void CWindowWnd::ShowWindow(bool show, bool take_focus) {
  if (!host_) return;
  if (!show) {
    host_->hide();
    return;
  }
  host_->show();
  if (take_focus) {
    if (QGuiApplication::platformName() != "offscreen") host_->raise();
    host_->activateWindow();
    host_->setFocus(Qt::OtherFocusReason);
  }
}

int CWindowWnd::ShowModal() {
  if (!host_) return -1;
  if (!closing_) {
    host_->setWindowModality(Qt::ApplicationModal);
    host_->show();
    if (QGuiApplication::platformName() != "offscreen") host_->raise();
    host_->activateWindow();
    QEventLoop loop;
    modal_loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    modal_loop_ = nullptr;
  }
  const int result = closing_ ? modal_result_ : -1;
  DestroyNow();
  return result;
}

void CWindowWnd::Close(int result) {
  if (!host_ || closing_) return;
  closing_ = true;
  modal_result_ = result;
  if (modal_loop_) {
    modal_loop_->exit(0);  // ShowModal destroys the window once its loop has ended
    return;
  }
  QMetaObject::invokeMethod(host_, [this] { DestroyNow(); }, Qt::QueuedConnection);
}

void CWindowWnd::HostClosed() { Close(IDCANCEL); }

void CWindowWnd::DestroyNow() {
  if (!host_) return;
  HWND hwnd = host_;
  for (auto& [id, timer] : timers_) timer->stop();
  HandleMessage(WM_DESTROY, 0, 0);
  if (!host_) return;
  Registry().erase(host_.data());
  static_cast<WindowHost*>(host_.data())->Detach();
  host_->hide();
  host_->deleteLater();
  host_ = nullptr;
  timers_.clear();
  OnFinalMessage(hwnd);
}

void CWindowWnd::Minimize() { if (host_) host_->showMinimized(); }
void CWindowWnd::Maximize() { if (host_) host_->showMaximized(); }
void CWindowWnd::Restore() { if (host_) host_->showNormal(); }
bool CWindowWnd::IsMaximized() const { return host_ && host_->isMaximized(); }
void CWindowWnd::ResizeClient(int width, int height) { if (host_) host_->resize(width, height); }

void CWindowWnd::SetTimer(std::uint32_t id, int period_ms) {
  if (!host_) return;
  auto& timer = timers_[id];
  if (!timer) {
    // Kept until the window goes: a handler may kill its own timer while it fires.
    timer = std::make_unique<QTimer>();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer.get(), &QTimer::timeout, host_, [this, id] {
      HandleMessage(WM_TIMER, id, 0);
    });
  }
  timer->start(period_ms > 0 ? period_ms : 1);
}

void CWindowWnd::KillTimer(std::uint32_t id) {
  auto found = timers_.find(id);
  if (found != timers_.end()) found->second->stop();
}

bool CWindowWnd::IsTimerArmed(std::uint32_t id) const {
  auto found = timers_.find(id);
  return found != timers_.end() && found->second->isActive();
}

bool CWindowWnd::PostMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!host_) return false;
  QCoreApplication::postEvent(host_, new MessageEvent(msg, wparam, lparam));
  return true;
}

LRESULT CWindowWnd::SendMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  return HandleMessage(msg, wparam, lparam);
}

LRESULT CWindowWnd::HandleMessage(UINT, WPARAM, LPARAM) { return 0; }

void CWindowWnd::HostPainted() {
  if (!first_paint_) return;
  auto callback = std::move(first_paint_);
  first_paint_ = nullptr;
  callback();
}

CWindowWnd* CWindowWnd::FromHandle(HWND hwnd) {
  auto found = Registry().find(hwnd);
  return found == Registry().end() ? nullptr : found->second;
}

bool IsWindow(HWND hwnd) { return hwnd && CWindowWnd::FromHandle(hwnd) != nullptr; }

bool PostMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  CWindowWnd* window = CWindowWnd::FromHandle(hwnd);
  return window && window->PostMessage(msg, wparam, lparam);
}

void PostQuitMessage(int status) {
  // Queued, as a quit message would be: the handler that asks for it finishes first.
  QMetaObject::invokeMethod(qApp, [status] { QCoreApplication::exit(status); },
                            Qt::QueuedConnection);
}

// --- WindowImplBase ---------------------------------------------------------------------

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  // The controls' native edits belong to the host; drop the controls first.
  paint_manager_.AttachDialog(nullptr);
}

void WindowImplBase::Notify(TNotifyUI&) {}

CControlUI* WindowImplBase::CreateControl(const std::string&) { return nullptr; }

LRESULT WindowImplBase::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  bool handled = false;
  LRESULT result = 0;
  switch (msg) {
    case WM_CREATE: result = OnCreate(msg, wparam, lparam, handled); break;
    case WM_DESTROY: result = OnDestroy(msg, wparam, lparam, handled); break;
    case WM_CHAR: result = OnChar(msg, wparam, lparam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(msg, wparam, lparam, handled); break;
    case WM_SIZE: result = OnSize(msg, wparam, lparam, handled); break;
    default: result = HandleCustomMessage(msg, wparam, lparam, handled); break;
  }
  if (handled) return result;
  return CWindowWnd::HandleMessage(msg, wparam, lparam);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& handled) {
  handled = true;
  paint_manager_.Init(host_, this);
  paint_manager_.AddNotifier(this);
  BuildResult built = CDialogBuilder().Create(GetSkinFile(), this, &paint_manager_);
  if (!built) {
    layout_error_ = built.error;
    return -1;
  }
  paint_manager_.AttachDialog(built.root);
  auto& attrs = built.window_attributes;
  if (auto it = attrs.find("size"); it != attrs.end()) {
    SIZE size = ParseSize(it->second);
    if (size.cx > 0 && size.cy > 0) host_->resize(size.cx, size.cy);
  }
  if (auto it = attrs.find("mininfo"); it != attrs.end()) {
    SIZE size = ParseSize(it->second);
    host_->setMinimumSize(size.cx, size.cy);
  }
  if (auto it = attrs.find("caption"); it != attrs.end())
    paint_manager_.SetCaptionRect(ParseRect(it->second));
  if (auto it = attrs.find("sizebox"); it != attrs.end())
    paint_manager_.SetSizeBox(ParseMargins(it->second));
  QMetaObject::invokeMethod(host_, [this] { SendWindowInit(); }, Qt::QueuedConnection);
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void WindowImplBase::SendWindowInit() {
  if (initialized_ || !host_ || !paint_manager_.GetRoot()) return;
  initialized_ = true;
  paint_manager_.Resize(host_->width(), host_->height());
  paint_manager_.SendNotify(paint_manager_.GetRoot(), "windowinit");
}

}  // namespace velmora::ui
