#pragma once
// A line of emulated devices in-process, in virtual time, with every device
// already addressed (1..N in line order), and the host's frames built by
// hand from the wire tables.

#include <gtest/gtest.h>

#include "scan_host.h"
#include "sim/sim_config.h"

namespace velmora::sim::testing {

inline Bytes Frame(std::uint8_t cls, std::uint8_t address, std::uint8_t opcode, std::initializer_list<int> payload = {}) {
  CommandFrame f(static_cast<FrameClass>(cls), address, opcode);
  for (int b : payload) f.Byte(static_cast<std::uint8_t>(b));
  return f.Finish();
}

// A frame of a fixed total length: the listed bytes from offset 5, zeros after.
inline Bytes FixedFrame(std::uint8_t cls, std::uint8_t address, std::uint8_t opcode, std::size_t length,
                        std::vector<std::pair<std::size_t, int>> bytes) {
  CommandFrame f(static_cast<FrameClass>(cls), address, opcode);
  Bytes payload(length - 6, 0);
  for (auto [at, value] : bytes) payload[at - 5] = static_cast<std::uint8_t>(value);
  f.Raw(payload);
  return f.Finish();
}

inline int U16(const Bytes& f, std::size_t at) { return f[at] | f[at + 1] << 8; }

class LineFixture : public ::testing::Test {
 protected:
  void MakeLine(std::vector<DeviceSetup> setups) {
    line_ = std::make_unique<Line>(std::move(setups), LineOptions{});
    wire_ = std::make_unique<VirtualWire>(*line_);
    Transact(*wire_, Frame(0xF2, 0, 0xEF));
    for (int n = 1; n <= line_->device_count(); ++n) {
      CommandFrame assign(FrameClass::kScan, 0, 0xE4);
      assign.Byte(static_cast<std::uint8_t>(n)).Raw(line_->device(n)->chip_id());
      ASSERT_TRUE(Transact(*wire_, assign.Finish()));
    }
  }
  void SetUp() override { MakeLine(DefaultDevices(1, 7, 3 * kMillis)); }

  std::optional<Bytes> Request(const Bytes& frame) { return Transact(*wire_, frame); }
  void Write(const Bytes& frame) {
    wire_->Write(frame);
    wire_->SleepUntil(wire_->Now() + 50 * kMillis);
  }
  Device& device(int n = 1) { return *line_->device(n); }
  ParameterSet& params(int n = 1) { return device(n).store().current(); }

  std::unique_ptr<Line> line_;
  std::unique_ptr<VirtualWire> wire_;
};

}  // namespace velmora::sim::testing
