#include "sim/line.h"

#include <algorithm>

#include "sim/faults.h"
#include "sim/opcodes.h"

namespace velmora::sim {

namespace {
std::uint64_t Mix(std::uint64_t seed, std::uint64_t salt) {
  std::uint64_t z = seed + salt * 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string Number(int n) { return std::to_string(n); }
}  // namespace

Line::Line(std::vector<DeviceSetup> devices, LineOptions options, TrafficLog* log)
    : options_(options),
      // Ten bits per byte on the wire: start, eight data, stop.
      byte_time_(std::max<Micros>(1, 10'000'000 / std::max(options.baud, 1))),
      log_(log ? log : &null_log_) {
  int number = 1;
  for (DeviceSetup& setup : devices) {
    const std::uint64_t seed = Mix(options.seed, static_cast<std::uint64_t>(number));
    devices_.push_back(std::make_unique<Device>(number, std::move(setup), options.effects, seed));
    fault_random_.emplace_back(Mix(seed, 0xFA17));
    ++number;
  }
}

Device* Line::device(int number) {
  return number >= 1 && number <= device_count() ? devices_[static_cast<std::size_t>(number - 1)].get() : nullptr;
}
const Device* Line::device(int number) const {
  return number >= 1 && number <= device_count() ? devices_[static_cast<std::size_t>(number - 1)].get() : nullptr;
}

Device* Line::Uploading() {
  for (auto& d : devices_)
    if (d->receiving_upload() && !d->faults().unplugged) return d.get();
  return nullptr;
}

void Line::Receive(ByteView bytes, Micros now) {
  if (Device* receiver = Uploading()) {
    log_->Frame(now, "host>", Number(receiver->number()), "upload data", bytes);
    std::vector<Emission> out;
    receiver->OnUploadBytes(bytes, now, out);
    Schedule(*receiver, out, now);
    CollectUploads(now);
    return;
  }
  const FrameParser::Result parsed = parser_.Feed(bytes, now);
  if (parsed.bad_checksums > 0)
    log_->Note(now, "-", "ignored " + std::to_string(parsed.bad_checksums) + " frame(s) with a bad checksum");
  for (const Bytes& frame : parsed.frames) HandleFrame(frame, now);
}

std::string Line::Addressed(const Bytes& frame) const {
  const std::uint8_t cls = frame[kOffClass];
  if (cls == cls::kScan && frame[kOffAddress] == 0) return "all";
  for (const auto& d : devices_)
    if (d->address() != 0 && d->address() == frame[kOffAddress]) return Number(d->number());
  return "-";
}

void Line::HandleFrame(const Bytes& frame, Micros now) {
  log_->Frame(now, "host>", Addressed(frame), CommandName(frame[kOffClass], frame[kOffOpcode]), frame);
  // A new question (ScanQuery, ScanBegin) starts a new round of answers;
  // ScanCollision notices, repeated or not, belong to the round.
  const bool new_round = frame[kOffClass] == cls::kScan && frame[kOffAddress] == 0 &&
                         frame[kOffOpcode] != op::kScanCollision;
  if (new_round) clean_identity_heard_ = false;
  const bool clean_heard = clean_identity_heard_;
  first_answer_ = true;
  for (auto& d : devices_) {
    if (d->faults().unplugged) continue;
    std::vector<Emission> out;
    d->OnFrame(frame, now, out, clean_heard);
    Schedule(*d, out, now);
    // A device switched into upload mode takes the line from the next byte on.
    if (d->receiving_upload())
      log_->Note(now, Number(d->number()), "receiving an upload (YMODEM)");
  }
}

void Line::Schedule(Device& device, std::vector<Emission>& emissions, Micros now) {
  auto& random = fault_random_[static_cast<std::size_t>(device.number() - 1)];
  for (Emission& e : emissions) {
    switch (ApplyFaults(device.faults(), random, e)) {
      case FaultVerdict::kDropped:
        log_->Note(now, Number(device.number()), "reply dropped (fault): " + HexBytes(e.bytes));
        continue;
      case FaultVerdict::kMuted:
        log_->Note(now, Number(device.number()), "opcode muted (fault), no answer");
        continue;
      case FaultVerdict::kSend: break;
    }
    Scheduled s{std::move(e), device.number()};
    const auto at = std::upper_bound(scheduled_.begin(), scheduled_.end(), s.emission.due,
                                     [](Micros due, const Scheduled& x) { return due < x.emission.due; });
    scheduled_.insert(at, std::move(s));
  }
}

void Line::PutOnWire(Scheduled s, Bytes& out) {
  Emission& e = s.emission;
  if (on_wire_ && e.due < on_wire_->end(byte_time_)) {
    // Collision: the later sender's bytes land on top of the earlier ones.
    const auto offset = static_cast<std::size_t>((e.due - on_wire_->start) / byte_time_);
    Bytes& wire = on_wire_->bytes;
    if (wire.size() < offset + e.bytes.size()) wire.resize(offset + e.bytes.size(), 0);
    for (std::size_t i = 0; i < e.bytes.size(); ++i) wire[offset + i] |= e.bytes[i];
    on_wire_->devices.push_back(s.device);
    return;
  }
  Flush(out);
  on_wire_ = OnWire{e.due, std::move(e.bytes), {s.device}, e.answers_opcode};
}

void Line::Flush(Bytes& out) {
  if (!on_wire_) return;
  const OnWire& w = *on_wire_;
  const Micros at = w.end(byte_time_);
  // The host reads the first answer after its frame; so do the devices.
  const bool first = first_answer_;
  first_answer_ = false;
  if (w.devices.size() > 1) {
    // Overlapping drivers also break the start and stop bits, so a collision
    // never reads as a frame. The OR alone would sum up about once in 256
    // times, and identical collisions repeat, so the host would keep
    // assigning an address to a chip id nobody has.
    Bytes& bytes = on_wire_->bytes;
    const std::size_t length = bytes.size() > kOffLength ? bytes[kOffLength] : 0;
    if (length >= kMinFrameLength && length <= bytes.size() &&
        FrameChecksum(ByteView(bytes.data(), length)) == bytes[length - 1])
      bytes[length - 1] ^= 0xFF;
    std::string who;
    for (int d : w.devices) who += (who.empty() ? "" : ",") + Number(d);
    log_->Frame(at, "<dev", who, "collision", w.bytes);
  } else if (w.bytes.size() >= kMinFrameLength && w.bytes[0] == kFrameHeader) {
    if (first && w.bytes[kOffClass] == cls::kScan && w.bytes[kOffOpcode] == op::kScanIdentity)
      clean_identity_heard_ = true;
    log_->Frame(at, "<dev", Number(w.devices.front()), CommandName(w.bytes[kOffClass], w.bytes[kOffOpcode]),
                w.bytes);
  } else {
    log_->Frame(at, "<dev", Number(w.devices.front()), "upload handshake", w.bytes);
  }
  out.insert(out.end(), w.bytes.begin(), w.bytes.end());
  on_wire_.reset();
}

void Line::CollectUploads(Micros now) {
  for (auto& d : devices_) {
    auto upload = d->TakeFinishedUpload();
    if (!upload) continue;
    log_->Note(now, Number(d->number()),
               upload->complete ? "upload received: " + upload->file_name + " (" +
                                      std::to_string(upload->data.size()) + " bytes)"
                                : "upload cancelled: " + upload->reason);
    if (upload_sink_) upload_sink_(*d, *upload, now);
  }
}

Bytes Line::Transmit(Micros now) {
  // Time-outs first: a frame left incomplete, an upload gone quiet.
  if (parser_.pending() > 0) {
    const FrameParser::Result parsed = parser_.Feed({}, now);
    for (const Bytes& frame : parsed.frames) HandleFrame(frame, now);
  }
  for (auto& d : devices_) {
    const auto deadline = d->NextDeadline();
    if (!deadline || *deadline > now) continue;
    std::vector<Emission> out;
    d->Tick(now, out);
    Schedule(*d, out, now);
  }
  CollectUploads(now);

  Bytes out;
  while (!scheduled_.empty() && scheduled_.front().emission.due <= now) {
    Scheduled s = std::move(scheduled_.front());
    scheduled_.erase(scheduled_.begin());
    // An unplugged device's pending answers never reach the wire.
    if (devices_[static_cast<std::size_t>(s.device - 1)]->faults().unplugged) continue;
    PutOnWire(std::move(s), out);
  }
  if (on_wire_ && on_wire_->end(byte_time_) <= now) Flush(out);
  return out;
}

std::optional<Micros> Line::NextDeadline() const {
  std::optional<Micros> next;
  auto consider = [&](Micros t) { next = next ? std::min(*next, t) : t; };
  if (!scheduled_.empty()) consider(scheduled_.front().emission.due);
  if (on_wire_) consider(on_wire_->end(byte_time_));
  if (parser_.pending() > 0) consider(parser_.last_byte() + FrameParser::kInterByteTimeout + 1);
  for (const auto& d : devices_)
    if (auto t = d->NextDeadline()) consider(*t);
  return next;
}

}  // namespace velmora::sim
