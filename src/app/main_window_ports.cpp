// MainWindow and the serial ports after start-up: a watch timer turns ports that
// come and go (and an adapter the engine saw vanish) into WM_DEVICECHANGE, whose
// handler asks before using an arrived port and lets go of a removed one.
#include <QDebug>

#include "app/main_window.h"
#include "app/texts.h"
#include "platform/ui/dialog_service.h"

namespace velmora {

using namespace ui;

const std::set<std::string>& MainWindow::port_names() const { return ports_->present_ports(); }

std::string MainWindow::OpenPortName() const { return ports_->OpenPortName(); }

int MainWindow::MessageBox(const std::string& text, const std::string& caption, UINT type) {
  return UiMessageBox(GetHWND(), text, caption, type);
}

void MainWindow::WatchPorts() {
  // The arrival question runs a modal loop in which this timer keeps firing; one
  // watch at a time.
  if (in_port_watch_ || !port_watcher_) return;
  in_port_watch_ = true;
  // The engine noticed the open adapter vanish (its read failed) and closed it.
  if (link_engine_->TakePortRemoved() && !ports_->opened_name().empty())
    SendDeviceChange(kDeviceRemoveComplete, ports_->opened_name());
  for (const PortChange& change : port_watcher_->Poll())
    SendDeviceChange(change.kind == PortChange::Kind::kArrived ? kDeviceArrival : kDeviceRemoveComplete,
                     change.name);
  in_port_watch_ = false;
}

void MainWindow::SendDeviceChange(WPARAM event, const std::string& name) {
  DeviceBroadcastPort header{kDeviceTypePort, name};
  SendMessage(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&header));
}

LRESULT MainWindow::OnDeviceChangeMessage(UINT, WPARAM wparam, LPARAM lparam, bool& handled) {
  const auto* header = reinterpret_cast<const DeviceBroadcastPort*>(lparam);
  if (!header || header->device_type != kDeviceTypePort) return 0;
  if (wparam == kDeviceArrival) {
    handled = true;
    OnPortArrived(header->name);
  } else if (wparam == kDeviceRemoveComplete) {
    handled = true;
    OnPortRemoved(header->name);
  }
  return 0;
}

void MainWindow::OnPortArrived(const std::string& name) {
  const std::int32_t lang = settings_.language;
  const int answer = MessageBox(Text(lang, ("Use " + name + " ?").c_str(), ("是否使用" + name + "?").c_str()),
                                Text(lang, "Question", "询问"), MB_OKCANCEL | MB_ICONQUESTION);
  if (answer == IDOK) SwitchPort(name);  // no scan: the user starts one
  ports_->OnPortArrived(name);
}

void MainWindow::OnPortRemoved(const std::string& name) {
  // The port in use: title suffix cut, port closed. Any port: out of the set.
  ports_->OnPortRemoved(name);
}

void MainWindow::SwitchPort(const std::string& name) {
  const OpenResult result = ports_->SwitchPort(name);
  if (result) return;
  // The title now shows no port; say why, so that a busy or forbidden port is not
  // mistaken for a line without devices.
  const std::int32_t lang = settings_.language;
  const std::string why = DescribePortError(result.error);
  MessageBox(Text(lang, ("Cannot open " + name + ": " + why).c_str(), ("无法打开串口" + name + "：" + why).c_str()),
             Text(lang, "Warning", "警告"), MB_OK | MB_ICONWARNING);
}

}  // namespace velmora
