#include "sim/device.h"

#include "sim/opcodes.h"

namespace velmora::sim {

Device::Device(int number, DeviceSetup setup, EffectsShape effects, std::uint64_t seed)
    : number_(number),
      setup_(std::move(setup)),
      effects_(effects),
      name_(setup_.name.substr(0, kNameLength)),
      scan_(seed ^ 0x5CA9ull),
      levels_(seed ^ 0x1E7E15ull) {}

void Device::OnFrame(const Bytes& f, Micros now, std::vector<Emission>& out, bool clean_answer_heard) {
  if (f.size() < kMinFrameLength || upload_) return;
  switch (f[kOffClass]) {
    case cls::kScan: OnScanFrame(f, now, out, clean_answer_heard); break;
    case cls::kRequest:
      if (address_ != 0 && f[kOffAddress] == address_) OnRequest(f, now, out);
      break;
    case cls::kWrite:
      if (address_ != 0 && f[kOffAddress] == address_) OnWrite(f, now, out);
      break;
    case cls::kPinkNoise:
      if (address_ != 0 && f[kOffAddress] == address_ && f[kOffOpcode] == op::kPinkNoise &&
          f.size() >= 10)
        levels_.PinkNoise(f[5], f[6] == 1, f[8]);
      break;
    default: break;  // replies of other devices and unknown classes
  }
}

void Device::Reply(Bytes frame, Micros now, std::vector<Emission>& out) {
  Emission e;
  e.due = now + setup_.latency;
  e.answers_opcode = frame[kOffOpcode];
  e.bytes = std::move(frame);
  e.is_reply = true;
  out.push_back(std::move(e));
}

void Device::OnRequest(const Frame& f, Micros now, std::vector<Emission>& out) {
  std::optional<Bytes> reply;
  switch (f[kOffOpcode]) {
    case op::kReadInputEq:
    case op::kReadOutputEq: reply = ReadEq(f); break;
    case op::kReadStatus: reply = ReadStatus(now); break;
    case op::kReadEffectsBlock: reply = ReadEffectsBlock(f); break;
    case op::kStorePreset:
    case op::kRecallPreset:
    case op::kReadPresetName: reply = OnPresetRequest(f); break;
    default: reply = ReadChannelParameter(f); break;
  }
  if (reply) Reply(std::move(*reply), now, out);
}

void Device::OnWrite(const Frame& f, Micros now, std::vector<Emission>& out) {
  switch (f[kOffOpcode]) {
    case op::kWriteGainsOrMatrix: WriteGainsOrMatrix(f); break;
    case op::kWriteDelay: WriteDelay(f); break;
    case op::kWriteEqBand: WriteEqBand(f); break;
    case op::kWriteNoiseGate: WriteNoiseGate(f); break;
    case op::kWritePolarity: WritePolarity(f); break;
    case op::kWriteHighPass: WriteFilter(f, 0); break;
    case op::kWriteLowPass: WriteFilter(f, 1); break;
    case op::kWriteLimiter: WriteLimiter(f); break;
    case op::kWriteCompressor: WriteCompressor(f); break;
    case op::kWritePresetName: WritePresetName(f); break;
    case op::kBeginFirmwareUpload: BeginUpload(UploadKind::kFirmware, now, out); break;
    case op::kBeginParameterUpload: BeginUpload(UploadKind::kParameters, now, out); break;
    default: break;
  }
}

void Device::BeginUpload(UploadKind kind, Micros now, std::vector<Emission>& out) {
  upload_ = std::make_unique<YmodemReceiver>(kind, now);
  EmitUpload(upload_->Begin(), now, out);
}

void Device::OnUploadBytes(ByteView bytes, Micros now, std::vector<Emission>& out) {
  if (!upload_) return;
  EmitUpload(upload_->Feed(bytes, now), now, out);
}

void Device::Tick(Micros now, std::vector<Emission>& out) {
  if (upload_) EmitUpload(upload_->Tick(now), now, out);
}

std::optional<Micros> Device::NextDeadline() const {
  if (upload_) return upload_->NextDeadline();
  return std::nullopt;
}

void Device::EmitUpload(const std::vector<YmodemReceiver::Output>& outputs, Micros now,
                        std::vector<Emission>& out) {
  for (const auto& o : outputs) {
    Emission e;
    e.due = now + setup_.latency + o.delay;
    e.bytes = o.bytes;
    out.push_back(std::move(e));
  }
  if (upload_ && upload_->finished()) {
    finished_upload_ = upload_->result();
    upload_.reset();  // back to answering frames
  }
}

std::optional<ReceivedUpload> Device::TakeFinishedUpload() {
  auto result = std::move(finished_upload_);
  finished_upload_.reset();
  return result;
}

}  // namespace velmora::sim
