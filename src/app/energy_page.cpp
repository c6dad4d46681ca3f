// The energy page: each channel's level of the current device as text and as a
// bar, from the meter poll's last reading; and the pink-noise buttons.
#include <cstdio>

#include "app/device_flows_host.h"
#include "app/main_window.h"
#include "app/texts.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/dialog_service.h"
#include "protocol/deferred_writes.h"
#include "protocol/meter_poll.h"

namespace velmora {

using namespace ui;

void MainWindow::RefreshMeters() {
  CPaintManagerUI& pm = GetPaintManager();
  if (CControlUI* title = pm.FindControl("label_window_energy_title"))
    title->SetText(Text(settings_.language, "Energy", "能量"));
  const DeviceRecord* device = CurrentDevice();
  if (!device) return;
  if (CControlUI* subtitle = pm.FindControl("label_energy_device")) {
    char text[96];
    std::snprintf(text, sizeof text, "%u  %s", device->address, device->name.c_str());
    subtitle->SetText(device->address == 0 ? device->name : text);
  }
  if (CControlUI* channel = pm.FindControl("label_pink_noise_channel")) {
    const auto found = channel_selection_.find(device->address);
    const int input = found == channel_selection_.end() ? 0 : found->second.first;
    channel->SetText(std::string("IN ") + static_cast<char>('A' + input));
  }
  static const char* const kSide[] = {"input", "output"};
  for (int side = 0; side < 2; ++side) {
    const std::size_t count = ChannelsInTables(*device, side);
    for (std::size_t j = 0; j < count; ++j) {
      const std::string suffix = std::string(kSide[side]) + "_" + std::to_string(j);
      const double level = protocol::MeterLevelDb(device->energy[side][j], settings_);
      if (CControlUI* label = pm.FindControl("label_energy_" + suffix))
        label->SetText(protocol::MeterLevelText(level));
      if (auto* bar = dynamic_cast<CSliderUI*>(pm.FindControl("slider_energy_" + suffix)))
        bar->SetValue(protocol::MeterBarValue(level, bar->GetMinValue(), bar->GetMaxValue()));
    }
  }
}

void MainWindow::OnPinkNoise(bool play) {
  const DeviceRecord* device = CurrentDevice();
  if (!device) {
    if (!devices_.empty())
      UiMessageBox(GetHWND(), Text(settings_.language, "Please select a device !", "请先选择一个设备！"),
                   Text(settings_.language, "Comfirm", "确认"), MB_OK | MB_ICONINFORMATION);
    return;
  }
  const auto found = channel_selection_.find(device->address);
  const int input = found == channel_selection_.end() ? 0 : found->second.first;
  protocol::ArmDeferredWrite(
      *device_flows_,
      protocol::TimerRequestId::PinkNoise(static_cast<std::uint8_t>(device->address), input, play));
}

}  // namespace velmora
