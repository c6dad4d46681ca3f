#pragma once
// The serial line with its devices: the core of the emulator, driven only by
// the host's bytes and a clock, so it runs the same over a pseudo-terminal
// and inside a test in virtual time.
//
// Every device hears every valid frame. What they send is scheduled at its
// due time and put on a wire that runs at the configured baud rate: a
// transmission that starts while another is still on the wire collides with
// it, and the host receives the bytewise OR of the overlapping frames (as
// from open-collector drivers), which never passes as a frame: should the OR
// happen to sum up, its checksum byte is garbled as the broken framing would. While one device
// receives an upload, the line carries raw bytes to that device only.
//
// Not thread-safe: one thread drives a Line.

#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "sim/device.h"
#include "sim/frame_parser.h"
#include "sim/traffic_log.h"

namespace velmora::sim {

struct LineOptions {
  int baud = 115200;
  EffectsShape effects;
  std::uint64_t seed = 1;
};

class Line {
 public:
  using UploadSink = std::function<void(const Device&, const ReceivedUpload&, Micros now)>;

  Line(std::vector<DeviceSetup> devices, LineOptions options, TrafficLog* log = nullptr);

  // Bytes the host wrote, at `now`.
  void Receive(ByteView bytes, Micros now);
  // Bytes that have fully arrived at the host by `now`; also runs time-outs.
  Bytes Transmit(Micros now);
  // When Transmit next has something to do; nullopt when idle.
  std::optional<Micros> NextDeadline() const;

  void set_upload_sink(UploadSink sink) { upload_sink_ = std::move(sink); }

  int device_count() const { return static_cast<int>(devices_.size()); }
  // number is 1-based, as in control commands; nullptr when out of range.
  Device* device(int number);
  const Device* device(int number) const;
  std::vector<std::unique_ptr<Device>>& devices() { return devices_; }

  Micros byte_time() const { return byte_time_; }
  TrafficLog& log() { return *log_; }

 private:
  struct Scheduled {
    Emission emission;
    int device = 0;
  };
  struct OnWire {
    Micros start = 0;
    Bytes bytes;
    std::vector<int> devices;
    std::uint8_t answers_opcode = 0;
    Micros end(Micros byte_time) const {
      return start + static_cast<Micros>(bytes.size()) * byte_time;
    }
  };

  void HandleFrame(const Bytes& frame, Micros now);
  void Schedule(Device& device, std::vector<Emission>& emissions, Micros now);
  void PutOnWire(Scheduled s, Bytes& out);
  void Flush(Bytes& out);
  void CollectUploads(Micros now);
  std::string Addressed(const Bytes& frame) const;
  Device* Uploading();

  std::vector<std::unique_ptr<Device>> devices_;
  std::vector<std::mt19937_64> fault_random_;
  LineOptions options_;
  Micros byte_time_;
  TrafficLog null_log_;
  TrafficLog* log_;
  FrameParser parser_;
  std::vector<Scheduled> scheduled_;  // kept sorted by due time
  std::optional<OnWire> on_wire_;
  UploadSink upload_sink_;
  bool clean_identity_heard_ = false;  // first answer to a scan broadcast was clean, since the last ScanQuery
  bool first_answer_ = false;          // nothing sent yet since the host's last frame
};

}  // namespace velmora::sim
