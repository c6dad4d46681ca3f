#include "app/main_window.h"

#include "app/device_flows_host.h"
#include "app/level_meter.h"

#include "platform/serial/serial_port.h"
#include "platform/ui/basic_controls.h"

namespace velmora {

using namespace ui;

MainWindow::MainWindow(Options options, PortFactory make_port)
    : options_(std::move(options)) {
  // 1. The base class and the plain members are up (their defaults are above).
  // 2-3. The link engine: its fields, its two locks (queue/port first, then monitor
  //      text) and its three threads (send loop, monitor reader, upload) start here.
  link_engine_ = std::make_unique<CUart>(make_port ? make_port() : std::make_unique<CSerialPort>());
  // 4. The set of present ports starts empty; the probe at "windowinit" fills it.
  ports_ = std::make_unique<PortSelection>(
      link_engine_->port(),
      TitleLabel{[this] {
                   CControlUI* title = GetPaintManager().FindControl("label_window_name");
                   return title ? title->GetText() : std::string();
                 },
                 [this](const std::string& text) {
                   if (CControlUI* title = GetPaintManager().FindControl("label_window_name"))
                     title->SetText(text);
                 }},
      config_baud_);
  channel_selection_[0] = {0, 0};  // the placeholder's per-device state
  // 5. The lookup tables.
  BuildNotifyTable();
  BuildTimerTable();
}

MainWindow::~MainWindow() {
  // Teardown, in this order:
  debug_dialog_.reset();                                   // 1. the serial monitor
  if (effects_dump_file_.is_open()) effects_dump_file_.close();  // 2. a dump in progress
  port_watcher_.reset();                                   // 3. the set of ports
  ports_.reset();
  device_flows_.reset();  // the machines hold the link engine; they go first
  link_engine_.reset();  // 4. stops the upload thread, the send loop, the monitor reader
  notify_table_.clear();                                   // 5. the tables
}

// --- Window messages ---------------------------------------------------------------

const std::map<UINT, MainWindow::MessageHandler>& MainWindow::MessageTable() {
  // The preset dialog's messages (WM_USER+1 to +5) join this table with their handlers. WM_CHAR reaches OnChar through the base.
  static const std::map<UINT, MessageHandler> table = {
      {WM_CREATE, &MainWindow::OnCreateMessage},
      {WM_DEVICECHANGE, &MainWindow::OnDeviceChangeMessage},
      {WM_TIMER, &MainWindow::OnTimerMessage},
  };
  return table;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  auto found = MessageTable().find(msg);
  if (found != MessageTable().end()) {
    bool handled = false;
    const LRESULT result = (this->*found->second)(msg, wparam, lparam, handled);
    if (handled) return result;
  }
  return WindowImplBase::HandleMessage(msg, wparam, lparam);
}

LRESULT MainWindow::OnCreateMessage(UINT, WPARAM, LPARAM, bool& handled) {
  GetPaintManager().SetForceUseSharedRes(true);
  handled = false;  // the base class builds the layout
  return 0;
}

LRESULT MainWindow::OnTimerMessage(UINT, WPARAM wparam, LPARAM, bool& handled) {
  const auto id = static_cast<std::uint32_t>(wparam);
  // 134 and codes without a handler stay unhandled.
  handled = device_flows_->OnTimer(id);
  return 0;
}

LRESULT MainWindow::OnChar(UINT, WPARAM wparam, LPARAM, bool& handled) {
  // Escape ends a running scan early, with the devices found so far.
  if (wparam == VK_ESCAPE && !scan_finished_) {
    KillTimer(kScanStepTimer);
    scan_finished_ = 1;
    device_flows_->AbortScan();
    handled = true;
  }
  return 0;
}

LRESULT MainWindow::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  PostQuitMessage(0);
  handled = true;
  return 0;
}

CControlUI* MainWindow::CreateControl(const std::string& tag) {
  // The program's own controls (the EQ graph, the knob, the dynamics curve) are
  // made here by tag.
  if (tag == "LevelMeter") return new LevelMeterUI;
  return WindowImplBase::CreateControl(tag);
}

// --- Notifications -------------------------------------------------------------------

void MainWindow::Bind(const std::string& type, const std::string& control, NotifyHandler handler) {
  notify_table_[type][control] = std::move(handler);
}

void MainWindow::BindTimerCode(std::uint8_t code, TimerHandler handler) {
  device_flows_->timer_table().Register(code, std::move(handler));
}

void MainWindow::Notify(TNotifyUI& msg) {
  auto by_type = notify_table_.find(msg.sType);
  if (by_type != notify_table_.end() && msg.pSender) {
    const auto& names = by_type->second;
    const std::string& name = msg.pSender->GetName();
    auto found = names.find(name);
    if (found == names.end()) {
      // Per-device controls of the device tree carry "_n" after their constant.
      const char* fallback = name.find("edit_device_name") != std::string::npos ? "edit_device_name"
                             : name.find("button_circle") != std::string::npos  ? "button_circle"
                                                                                : nullptr;
      if (fallback) found = names.find(fallback);
    }
    if (found != names.end()) {
      NotifyHandler handler = found->second;  // the handler may rebind its own entry
      handler(msg);
    }
  }
  WindowImplBase::Notify(msg);
}

void MainWindow::BuildNotifyTable() {
  Bind("windowinit", "main_window", [this](TNotifyUI& msg) { OnWindowInit(msg); });
  Bind("windowsize", "main_window", [this](TNotifyUI& msg) { OnWindowSize(msg); });
  Bind("click", "button_close", [this](TNotifyUI&) { Close(1); });
  Bind("click", "button_set", [this](TNotifyUI&) { OnSetClicked(); });
  Bind("click", "button_minimize", [this](TNotifyUI&) { Minimize(); });
  Bind("click", "button_maximize", [this](TNotifyUI&) {
    if (!IsMaximized()) Maximize();
    ShowMaximizeButtons();
  });
  Bind("click", "button_normal", [this](TNotifyUI&) {
    if (IsMaximized()) Restore();
    ShowMaximizeButtons();
  });
  BindDeviceFlowHandlers();  // the scan button, the tree, the energy page
}

void MainWindow::BuildTimerTable() {
  // Codes 128..142: the deferred writes, the scan, the transfer sequence, the meter poll.
  device_flows_ = std::make_unique<DeviceFlowsHost>(*this);
  BindTimerCode(kMonitorRefreshTimer, [this](std::uint32_t) { RefreshMonitor(); });
  BindTimerCode(kPortWatchTimer, [this](std::uint32_t) { WatchPorts(); });
}

void MainWindow::OnWindowSize(TNotifyUI&) { ShowMaximizeButtons(); }

void MainWindow::ShowMaximizeButtons() {
  const bool maximized = IsMaximized();
  if (CControlUI* maximize = GetPaintManager().FindControl("button_maximize"))
    maximize->SetVisible(!maximized);
  if (CControlUI* normal = GetPaintManager().FindControl("button_normal"))
    normal->SetVisible(maximized);
}

}  // namespace velmora
