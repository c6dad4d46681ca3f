#include "app/device_flows_host.h"

#include "app/main_window.h"

namespace velmora {

DeviceFlowsHost::DeviceFlowsHost(MainWindow& window)
    : window_(window),
      flows_(protocol::FlowContext{window.link_engine(), window.devices_, window.placeholder_,
                                   window.settings_, window.band_counts_, *this, *this}) {}

void DeviceFlowsHost::SetTimer(std::uint32_t id, int ms) { window_.SetTimer(id, ms); }
void DeviceFlowsHost::KillTimer(std::uint32_t id) { window_.KillTimer(id); }

bool DeviceFlowsHost::IsPortOpen() const { return window_.link_engine().IsOpen(); }

void DeviceFlowsHost::OnDeviceFound(const DeviceRecord& record) { window_.OnDeviceFound(record); }

void DeviceFlowsHost::OnScanFinished(std::size_t) { window_.scan_finished_ = 1; }

void DeviceFlowsHost::OnSequenceEnded(protocol::SequenceKind kind, bool failed) {
  window_.OnSequenceEnded(kind, failed);
}

void DeviceFlowsHost::OnMeterReading(const DeviceRecord& record, bool online) {
  window_.OnMeterReading(record, online);
}

}  // namespace velmora
