// Discovery as the window runs it: the scan button's question, StartScan with
// its two ScanBegin pauses and its wait dialog, and the meter poll afterwards.
#include <QEventLoop>
#include <QTimer>

#include "app/device_flows_host.h"
#include "app/main_window.h"
#include "app/texts.h"
#include "app/wait_dialog.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/list_controls.h"

namespace velmora {

using namespace ui;

namespace {

// The devices need a pause after each ScanBegin. The window keeps painting and
// its timers keep running meanwhile, but takes no input, so nothing can start
// another operation in the middle of the scan's start.
void PauseWithoutInput(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

protocol::Flows& MainWindow::flows() { return device_flows_->flows(); }

void MainWindow::ShowDeviceCount(bool shown) {
  // The panel's badge: how many devices the last scan found, once it is over.
  CControlUI* badge = GetPaintManager().FindControl("label_device_count");
  if (!badge) return;
  badge->SetText(shown ? std::to_string(devices_.size()) : "");
  badge->SetBkColor(shown ? 0xFF243746 : 0);
}

void MainWindow::OnScanButton() {
  if (!devices_.empty() &&
      UiMessageBox(GetHWND(), Text(settings_.language, "Rescran ?", "重新扫描？"), Text(settings_.language, "Comfirm", "确认"),
                   MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return;
  StartScan();
}

void MainWindow::StartScan() {
  protocol::ScanMachine& scan = flows().scan();
  // 1. No poll, a fresh countdown, no device selected.
  flows().meters().Stop();
  scan_countdown_ms_ = static_cast<int>(settings_.config_scan_time);
  selected_address_ = -1;
  shown_device_ = -1;
  // 2. The per-device state, the records and the tree nodes go.
  channel_selection_.clear();
  channel_selection_[0] = {0, 0};
  scan.BeginNewScan();
  if (auto* root = dynamic_cast<CTreeNodeUI*>(GetPaintManager().FindControl("treenode_device")))
    while (root->GetCountChild() > 0) root->RemoveChildNode(root->GetChildNode(root->GetCountChild() - 1));
  if (CControlUI* hint = GetPaintManager().FindControl("label_device_hint")) hint->SetVisible(true);
  ShowDeviceCount(false);
  RefreshMeters();
  UpdateChannelVisibility();
  // 3. Nothing to scan without a port.
  if (!link_engine_->IsOpen()) {
    UiMessageBox(GetHWND(), Text(settings_.language, "None uart device", "无可用串口"), Text(settings_.language, "Warning", "警告"),
                 MB_OK | MB_ICONWARNING);
    return;
  }
  // 4. Every device forgets its address.
  for (int i = 0; i < 2; ++i) {
    scan.SendScanBegin();
    PauseWithoutInput(protocol::ScanMachine::kScanBeginPauseMs);
    if (!IsWindow(GetHWND())) return;  // the program is quitting
  }
  // 5. The scan timer.
  scan_finished_ = 0;
  scan.Start();
  // 6. The wait dialog closes once the scan has finished (or Escape ended it).
  {
    WaitDialog dialog(100, Text(settings_.language, "Scanning...", "扫描中..."), &scan_finished_);
    if (!dialog.Create(GetHWND(), "Scanning", UI_WNDSTYLE_DIALOG & ~WS_VISIBLE, WS_EX_WINDOWEDGE)) {
      scan.Abort();
      return;
    }
    dialog.CenterWindow();
    if (dialog.ShowModal() < 0) return;  // the program is quitting
  }
  // 7. Levels and online state from now on.
  ShowDeviceCount(true);
  if (scan.devices_found() > 0) flows().meters().Start();
}

void MainWindow::StartSequence(int pre_delay_ms, protocol::SequenceKind kind) {
  DeviceRecord* device = CurrentDevice();
  if (!device) return;
  transfer_.pre_delay_ms = pre_delay_ms;
  transfer_.kind = static_cast<int>(kind);
  transfer_.target_address = static_cast<int>(device->address);
  transfer_.done = 0;
  flows().sequence().Start(pre_delay_ms, kind, *device);  // stops the meter poll first
}

void MainWindow::OnSequenceEnded(protocol::SequenceKind, bool failed) {
  transfer_.done = 1;
  RefreshMeters();
  UpdateChannelVisibility();
  if (!failed) return;
  // Behind a wait dialog the message comes once the dialog has closed, so that it
  // is not hidden by it.
  if (sync_dialog_open_) {
    sync_failure_pending_ = true;
    return;
  }
  UiMessageBox(GetHWND(), Text(settings_.language, "Synchronize from device fail", "从下位机同步数据失败"),
               Text(settings_.language, "Warning", "警告"), MB_OK | MB_ICONWARNING);
}

}  // namespace velmora
