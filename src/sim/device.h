#pragma once
// One emulated audio processor: its identity, its parameter store, its part
// in the scan, its level meters and, while an upload runs, its YMODEM
// receiver. It reacts to whole frames (or, while receiving, raw bytes) and
// says what it would send and when; the line decides what the wire makes of
// it. Single-threaded: the line owns its devices.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/effects_image.h"
#include "sim/levels_model.h"
#include "sim/parameter_store.h"
#include "sim/scan_responder.h"
#include "sim/ymodem_receiver.h"

namespace velmora::sim {

// Something a device puts on the wire.
struct Emission {
  Micros due = 0;
  Bytes bytes;
  bool is_reply = false;          // a reply frame (faults apply), not upload bytes
  std::uint8_t answers_opcode = 0;  // opcode of the request it answers
};

class Device {
 public:
  Device(int number, DeviceSetup setup, EffectsShape effects, std::uint64_t seed);

  // A valid frame from the host. Every device hears every frame.
  // `clean_answer_heard`: a device's identity went over the wire intact since
  // the host's previous scan broadcast.
  void OnFrame(const Bytes& frame, Micros now, std::vector<Emission>& out,
               bool clean_answer_heard = false);

  // While receiving an upload the device takes raw bytes instead of frames.
  bool receiving_upload() const { return upload_ != nullptr; }
  void OnUploadBytes(ByteView bytes, Micros now, std::vector<Emission>& out);
  void Tick(Micros now, std::vector<Emission>& out);
  std::optional<Micros> NextDeadline() const;
  // A finished (stored or cancelled) upload, handed over once.
  std::optional<ReceivedUpload> TakeFinishedUpload();

  int number() const { return number_; }  // 1-based position on the line
  std::uint8_t address() const { return address_; }
  const std::string& name() const { return name_; }
  const ChipId& chip_id() const { return setup_.chip_id; }
  int inputs() const { return setup_.inputs; }
  int outputs() const { return setup_.outputs; }
  Micros latency() const { return setup_.latency; }
  void set_latency(Micros latency) { setup_.latency = latency; }
  Faults& faults() { return setup_.faults; }
  const Faults& faults() const { return setup_.faults; }
  ParameterStore& store() { return store_; }
  const ParameterStore& store() const { return store_; }
  LevelsModel& levels() { return levels_; }

 private:
  using Frame = Bytes;
  void Reply(Bytes frame, Micros now, std::vector<Emission>& out);

  // Scan and identity (class 0xF2): scan_handlers.cpp.
  void OnScanFrame(const Frame& f, Micros now, std::vector<Emission>& out, bool clean_answer_heard);
  // Reads (class 0xF7): read_handlers.cpp; status and effects: status_handlers.cpp.
  void OnRequest(const Frame& f, Micros now, std::vector<Emission>& out);
  std::optional<Bytes> ReadChannelParameter(const Frame& f);
  std::optional<Bytes> ReadEq(const Frame& f);
  Bytes ReadStatus(Micros now);
  std::optional<Bytes> ReadEffectsBlock(const Frame& f);
  // Writes (class 0xF3): write_handlers.cpp.
  void OnWrite(const Frame& f, Micros now, std::vector<Emission>& out);
  void WriteGainsOrMatrix(const Frame& f);
  void WriteDelay(const Frame& f);
  void WriteEqBand(const Frame& f);
  void WriteNoiseGate(const Frame& f);
  void WritePolarity(const Frame& f);
  void WriteFilter(const Frame& f, int filter);
  void WriteLimiter(const Frame& f);
  void WriteCompressor(const Frame& f);
  void BeginUpload(UploadKind kind, Micros now, std::vector<Emission>& out);
  // Presets (0x70, 0x71 and WritePresetName): preset_handlers.cpp.
  std::optional<Bytes> OnPresetRequest(const Frame& f);
  void WritePresetName(const Frame& f);

  void EmitUpload(const std::vector<YmodemReceiver::Output>& outputs, Micros now,
                  std::vector<Emission>& out);

  int number_;
  DeviceSetup setup_;
  EffectsShape effects_;
  std::string name_;
  std::uint8_t address_ = 0;  // 0: none yet
  ParameterStore store_;
  ScanResponder scan_;
  LevelsModel levels_;
  std::unique_ptr<YmodemReceiver> upload_;
  std::optional<ReceivedUpload> finished_upload_;
};

// Little-endian field helpers shared by the handlers.
inline int U16At(const Bytes& f, std::size_t at) { return f[at] | f[at + 1] << 8; }
inline int S16At(const Bytes& f, std::size_t at) { return static_cast<std::int16_t>(U16At(f, at)); }

}  // namespace velmora::sim
