#include "sim/ymodem_receiver.h"

#include <algorithm>
#include <charconv>

#include "link/crc16.h"

namespace velmora::sim {

namespace {
constexpr std::uint8_t kSoh = 0x01, kStx = 0x02, kEot = 0x04, kAck = 0x06, kNak = 0x15,
                       kCan = 0x18, kCrcRequest = 'C';
constexpr std::size_t kHeader = 3, kTrailer = 2;

Bytes One(std::uint8_t b) { return Bytes{b}; }
}  // namespace

YmodemReceiver::YmodemReceiver(UploadKind kind, Micros now, Options options)
    : kind_(kind), options_(options), last_byte_(now), last_progress_(now), last_c_(now) {}

std::vector<YmodemReceiver::Output> YmodemReceiver::Begin() { return {{0, One(kCrcRequest)}}; }

std::vector<YmodemReceiver::Output> YmodemReceiver::Feed(ByteView bytes, Micros now) {
  std::vector<Output> out;
  if (finished() || bytes.empty()) return out;
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  last_byte_ = now;
  Process(out, now);
  return out;
}

void YmodemReceiver::Process(std::vector<Output>& out, Micros) {
  while (!buffer_.empty() && !finished()) {
    const std::uint8_t lead = buffer_[0];
    if (lead == kEot) {
      buffer_.erase(buffer_.begin());
      if (phase_ != Phase::kAwaitData) {
        Error(out, "EOT before the file header");
        continue;
      }
      out.push_back({0, One(kAck)});
      Finish(true, "");
      return;
    }
    if (lead == kCan) {
      // The sender gives up with CAN CAN; one CAN may still be followed by
      // its twin, so wait for a second byte before believing it.
      if (buffer_.size() < 2) return;
      if (buffer_[1] == kCan) {
        Finish(false, "cancelled by the sender");
        return;
      }
      buffer_.erase(buffer_.begin());
      continue;
    }
    if (lead != kSoh && lead != kStx) {
      buffer_.erase(buffer_.begin());  // line noise between blocks
      continue;
    }
    const std::size_t data_size = lead == kSoh ? 128 : 1024;
    const std::size_t total = kHeader + data_size + kTrailer;
    if (buffer_.size() < total) return;  // the rest is on its way (or times out)

    const std::uint8_t number = buffer_[1];
    const ByteView data(buffer_.data() + kHeader, data_size);
    const std::uint16_t crc = static_cast<std::uint16_t>(buffer_[kHeader + data_size] << 8 |
                                                         buffer_[kHeader + data_size + 1]);
    const bool intact = static_cast<std::uint8_t>(~number) == buffer_[2] && Crc16(data) == crc;
    if (!intact) {
      buffer_.clear();  // whatever follows a damaged block cannot be trusted either
      Error(out, "damaged block");
      continue;
    }
    const Bytes block(data.begin(), data.end());
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    last_progress_ = last_byte_;
    AcceptBlock(number, block, out);
  }
}

void YmodemReceiver::AcceptBlock(std::uint8_t number, ByteView data, std::vector<Output>& out) {
  if (number == 0 && (phase_ == Phase::kAwaitBlock0 || next_block_ == 1)) {
    // Block 0: name, a zero byte, the size in decimal. A repeat (our ACK was
    // lost) is answered the same way.
    const auto name_end = std::find(data.begin(), data.end(), std::uint8_t{0});
    file_name_.assign(data.begin(), name_end);
    if (file_name_.empty()) {
      out.push_back({0, One(kAck)});
      Finish(false, "empty batch");
      return;
    }
    file_size_.reset();
    if (name_end != data.end()) {
      const char* first = reinterpret_cast<const char*>(&*(name_end + 1));
      const char* last = reinterpret_cast<const char*>(data.data() + data.size());
      std::size_t size = 0;
      if (std::from_chars(first, last, size).ec == std::errc{}) file_size_ = size;
    }
    phase_ = Phase::kAwaitData;
    out.push_back({0, One(kAck)});
    // Apart from the ACK, so a sender that reads both at once still sees it.
    out.push_back({options_.c_after_ack, One(kCrcRequest)});
    errors_ = 0;
    return;
  }
  if (phase_ != Phase::kAwaitData) {
    Error(out, "data block before the file header");
    return;
  }
  if (number == static_cast<std::uint8_t>(next_block_)) {
    data_.insert(data_.end(), data.begin(), data.end());
    ++next_block_;
    errors_ = 0;
    out.push_back({0, One(kAck)});
  } else if (number == static_cast<std::uint8_t>(next_block_ - 1)) {
    out.push_back({0, One(kAck)});  // a resend after a lost ACK: keep one copy
  } else {
    Error(out, "block out of sequence");
  }
}

void YmodemReceiver::Error(std::vector<Output>& out, const std::string& why) {
  if (++errors_ >= options_.max_errors) {
    out.push_back({0, Bytes{kCan, kCan}});
    Finish(false, "too many errors (last: " + why + ")");
    return;
  }
  out.push_back({0, One(kNak)});
}

std::vector<YmodemReceiver::Output> YmodemReceiver::Tick(Micros now) {
  std::vector<Output> out;
  if (finished()) return out;
  if (now - last_progress_ >= options_.silence_limit) {
    out.push_back({0, Bytes{kCan, kCan}});
    Finish(false, "no good block for " + std::to_string(options_.silence_limit / 1000000) + " s");
    return out;
  }
  if (!buffer_.empty() && now - last_byte_ >= options_.block_timeout) {
    buffer_.clear();
    last_byte_ = now;  // the NAK starts a new wait
    Error(out, "block timed out");
    return out;
  }
  if (phase_ == Phase::kAwaitBlock0 && buffer_.empty() && now - last_c_ >= options_.start_retry) {
    last_c_ = now;
    out.push_back({0, One(kCrcRequest)});
  }
  return out;
}

Micros YmodemReceiver::NextDeadline() const {
  Micros next = last_progress_ + options_.silence_limit;
  if (!buffer_.empty()) next = std::min(next, last_byte_ + options_.block_timeout);
  if (phase_ == Phase::kAwaitBlock0 && buffer_.empty())
    next = std::min(next, last_c_ + options_.start_retry);
  return next;
}

void YmodemReceiver::Finish(bool complete, std::string reason) {
  ReceivedUpload upload;
  upload.kind = kind_;
  upload.complete = complete;
  upload.reason = std::move(reason);
  upload.file_name = file_name_;
  upload.data = std::move(data_);
  if (complete && file_size_ && *file_size_ < upload.data.size()) upload.data.resize(*file_size_);
  result_ = std::move(upload);
}

}  // namespace velmora::sim
