// MainWindow's settings path: the settings dialog, the port switch once the line
// is quiet, the offer to rescan; and the start of a scan.
#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

#include "app/main_window.h"
#include "app/setting_dialog.h"
#include "app/texts.h"
#include "platform/ui/dialog_service.h"

namespace velmora {

using namespace ui;

void MainWindow::OnSetClicked() {
  SettingDialog dialog(settings_.language, scan_time_ms_, OpenPortName(), port_names());
  if (!dialog.Create(GetHWND(), "Setting", UI_WNDSTYLE_DIALOG & ~WS_VISIBLE, WS_EX_WINDOWEDGE)) {
    qWarning("velmora: %s", dialog.GetLayoutError().c_str());
    return;
  }
  dialog.CenterWindow();
  if (dialog.ShowModal() == IDOK) ApplySettings(dialog.scan_time_ms(), dialog.port());
}

void MainWindow::ApplySettings(int scan_time_ms, const std::string& port) {
  if (scan_time_ms > 0) {
    scan_time_ms_ = scan_time_ms;
    settings_.config_scan_time = static_cast<std::uint32_t>(scan_time_ms);
  }
  if (!port.empty() && port != OpenPortName()) {
    // The frame on the wire finishes on the old port before it closes.
    WaitForEmptySendQueue();
    SwitchPort(port);
  }
  const std::int32_t lang = settings_.language;
  if (MessageBox(Text(lang, "Rescan ?", "是否重新扫描 ？"), Text(lang, "Question", "询问"),
                 MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
    StartScan();
}

void MainWindow::WaitForEmptySendQueue() {
  // The window keeps running meanwhile (timers, painting). The send loop drops
  // frames while no port is open, so the queue drains; the bound only guards
  // against a line that never lets go.
  using Clock = std::chrono::steady_clock;
  const auto give_up = Clock::now() + std::chrono::seconds(10);
  while (!link_engine_->IsSendQueueEmpty()) {
    if (Clock::now() > give_up) {
      qWarning("velmora: the send queue did not drain; switching the port anyway");
      return;
    }
    QEventLoop loop;
    QTimer::singleShot(kSendQueuePollMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

}  // namespace velmora
