#pragma once
// A fake link and a rig that runs the device flows on it in virtual time:
// what the flows queue is recorded at once (the send queue is always empty
// unless a test says otherwise), and replies come from a script or from a
// simple device that answers every read request with a reply of the right
// opcode and length.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "link/link_queue.h"
#include "model/device_list.h"
#include "protocol/flows.h"
#include "protocol/tick_scheduler.h"

namespace velmora::testing {

class FakeLink : public LinkQueue {
 public:
  // Answers a request with zero, one or more replies.
  using Responder = std::function<std::vector<Bytes>(const Bytes& request)>;

  void Enqueue(ByteView frame) override;
  std::optional<Bytes> PopReply() override;
  bool IsSendQueueEmpty() override { return pending_sends_ == 0; }

  void PushReply(Bytes reply) { replies.push_back(std::move(reply)); }
  void set_responder(Responder r) { responder_ = std::move(r); }

  std::vector<Bytes> sent;
  std::deque<Bytes> replies;
  int pending_sends_ = 0;  // > 0: the send queue reports frames waiting

 private:
  Responder responder_;
};

// Opcodes of what was sent, in order.
std::vector<std::uint8_t> Opcodes(const std::vector<Bytes>& frames);

// A device that answers every read request (class 0xF7) with a reply of the
// catalogue's length for its opcode; values are simple functions of the
// request so that tests can see them land. Opcodes in `muted` get no answer.
struct SimpleDevice {
  std::set<std::uint8_t> muted;
  std::vector<Bytes> operator()(const Bytes& request) const;
  // Status replies: 0 inputs/outputs gives the short form.
  std::uint32_t inputs = 8, outputs = 8;
};

Bytes MakeReply(FrameClass cls, std::uint8_t address, std::uint8_t opcode,
                const std::vector<std::uint8_t>& payload);
Bytes ScanIdentityReply(const ChipId& chip);
Bytes AddressAssignedReply(std::uint8_t address, const std::string& name, std::uint8_t inputs,
                           std::uint8_t outputs);

struct RecordingOwner : protocol::FlowOwner {
  bool port_open = true;
  std::vector<std::uint32_t> found;  // addresses
  int scans_finished = 0;
  std::vector<std::pair<int, int>> progress;
  std::vector<bool> sequence_ends;   // failed?
  std::vector<std::pair<std::uint32_t, bool>> readings;  // address, online

  bool IsPortOpen() const override { return port_open; }
  void OnDeviceFound(const DeviceRecord& r) override { found.push_back(r.address); }
  void OnScanFinished(std::size_t) override { ++scans_finished; }
  void OnSequenceProgress(protocol::SequenceKind, int done, int total) override {
    progress.emplace_back(done, total);
  }
  void OnSequenceEnded(protocol::SequenceKind, bool failed) override { sequence_ends.push_back(failed); }
  void OnMeterReading(const DeviceRecord& r, bool online) override { readings.emplace_back(r.address, online); }
};

struct FlowRig {
  FlowRig();

  FakeLink link;
  DeviceList devices;
  DeviceRecord placeholder = MakePlaceholderRecord();
  ProgramSettings settings;
  BandCounts bands;
  RecordingOwner owner;
  protocol::TickScheduler timers;
  std::unique_ptr<protocol::Flows> flows;

  DeviceRecord& AddDevice(std::uint32_t inputs, std::uint32_t outputs, const std::string& name = "DSP");
  // Fires timers until `id` is no longer armed; returns how often `id` fired.
  int RunUntilKilled(std::uint32_t id, int limit = 100000);
  int fired_ = 0;
  std::uint32_t count_id_ = 0;
};

}  // namespace velmora::testing
