#include "app/setting_dialog.h"

#include "app/texts.h"
#include "model/number_text.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/text_controls.h"

namespace velmora {

using namespace ui;

SettingDialog::SettingDialog(std::int32_t language, int scan_time_ms, std::string port,
                             std::set<std::string> ports)
    : language_(language), scan_time_ms_(scan_time_ms), port_(std::move(port)), ports_(std::move(ports)) {}

LRESULT SettingDialog::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_CREATE) GetPaintManager().SetForceUseSharedRes(true);  // the main window's fonts
  return WindowImplBase::HandleMessage(msg, wparam, lparam);
}

void SettingDialog::Notify(TNotifyUI& msg) {
  WindowImplBase::Notify(msg);
  const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
  if (msg.sType == "windowinit") {
    OnWindowInit();
  } else if (msg.sType == "click") {
    if (name == "button_close" || name == "button_cancel") Close(IDCANCEL);
    else if (name == "button_ok") {
      TakeScanTimeText();  // a number typed but not yet confirmed still counts
      Close(IDOK);
    }
  } else if (msg.sType == "itemselect" && name == "combo_uart") {
    port_ = msg.pSender->GetText();
  } else if ((msg.sType == "return" || msg.sType == "killfocus") && name == "edit_scan_time") {
    TakeScanTimeText();
    if (msg.sType == "return") GetPaintManager().SetFocus(nullptr);
  } else if ((msg.sType == "scroll" || msg.sType == "direction") && name == "edit_scan_time") {
    StepScanTime(msg);
  }
}

void SettingDialog::OnWindowInit() {
  CPaintManagerUI& pm = GetPaintManager();
  if (auto* combo = dynamic_cast<CComboUI*>(pm.FindControl("combo_uart"))) {
    int index = 0;
    for (const std::string& name : ports_) {
      auto* item = new CListLabelElementUI;
      item->SetText(name);
      item->SetFixedHeight(26);
      if (!combo->Add(item)) continue;
      if (name == port_) combo->SelectItem(index);
      ++index;
    }
  }
  ShowScanTime();
  const struct {
    const char* control;
    const char* english;
    const char* chinese;
  } texts[] = {
      {"title_label", "Setting", "设置"},
      {"button_ok", "OK", "确认"},
      {"button_cancel", "Cancel", "取消"},
      {"label_scan_time", "Scan Time(ms):", "扫描时间(ms):"},
      {"label_uart", "Port:", "串口:"},
  };
  for (const auto& t : texts)
    if (CControlUI* control = pm.FindControl(t.control)) control->SetText(Text(language_, t.english, t.chinese));
}

void SettingDialog::ShowScanTime() {
  if (CControlUI* edit = GetPaintManager().FindControl("edit_scan_time"))
    edit->SetText(std::to_string(scan_time_ms_));
}

void SettingDialog::TakeScanTimeText() {
  CControlUI* edit = GetPaintManager().FindControl("edit_scan_time");
  if (!edit) return;
  // Zero, a negative number or text without digits leaves the old value.
  if (const auto value = ParseSigned32(edit->GetText()); value && *value > 0) scan_time_ms_ = *value;
  ShowScanTime();
}

void SettingDialog::StepScanTime(TNotifyUI& msg) {
  if (stepped_ && msg.dwTimestamp - last_step_ms_ <= static_cast<std::uint32_t>(kStepIgnoreMs)) return;
  stepped_ = true;
  last_step_ms_ = msg.dwTimestamp;
  CControlUI* edit = GetPaintManager().FindControl("edit_scan_time");
  if (!edit) return;
  const auto shown = ParseSigned32(edit->GetText());
  const int base = shown ? *shown : scan_time_ms_;
  const bool up = msg.wParam == 0 || msg.wParam == VK_UP || msg.wParam == VK_RIGHT;
  const long long next = static_cast<long long>(base) + (up ? 1 : -1);
  if (next > 0 && next <= 0x7FFFFFFF) {
    scan_time_ms_ = static_cast<int>(next);
    ShowScanTime();
  }
}

}  // namespace velmora
