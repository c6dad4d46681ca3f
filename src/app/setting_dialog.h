#pragma once
// SettingDialog: the serial port and the scan time, chosen in one modal run.
// The caller fills it, shows it with ShowModal and, on IDOK, reads back the
// chosen port and scan time (the main window then switches the port and offers a
// rescan). The dialog itself changes nothing outside.

#include <cstdint>
#include <set>
#include <string>

#include "platform/ui/window.h"

namespace velmora {

class SettingDialog : public ui::WindowImplBase {
 public:
  SettingDialog(std::int32_t language, int scan_time_ms, std::string port, std::set<std::string> ports);

  std::string GetWindowClassName() const override { return "SettingDialog"; }
  std::string GetSkinFile() const override { return "view/SettingDialog.xml"; }

  void Notify(ui::TNotifyUI& msg) override;
  ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam) override;

  int scan_time_ms() const { return scan_time_ms_; }
  const std::string& port() const { return port_; }

  static constexpr int kStepIgnoreMs = 50;  // step events closer together than this are one

 private:
  void OnWindowInit();
  void TakeScanTimeText();
  void StepScanTime(ui::TNotifyUI& msg);
  void ShowScanTime();

  std::int32_t language_;
  int scan_time_ms_;
  std::string port_;
  std::set<std::string> ports_;
  std::uint32_t last_step_ms_ = 0;
  bool stepped_ = false;
};

}  // namespace velmora
