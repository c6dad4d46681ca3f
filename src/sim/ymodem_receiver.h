#pragma once
// The receiving end of a YMODEM transfer (CRC-16, 128- or 1024-byte blocks),
// as a device runs it after BeginFirmwareUpload or BeginParameterUpload.
//
// It sends 'C' until block 0 arrives, checks every block (block number and
// its complement, CRC), ACKs good ones (a repeat of the last block is ACKed
// and not stored twice), NAKs bad ones, ACKs the EOT and hands back the image
// trimmed to the size named in block 0. Too many errors, or a long time
// without a good block (silence, or a host that went back to sending frames),
// cancel the transfer (CAN CAN). Pure logic over bytes and a clock.

#include <optional>
#include <string>
#include <vector>

#include "sim/sim_types.h"

namespace velmora::sim {

enum class UploadKind { kFirmware, kParameters };

struct ReceivedUpload {
  UploadKind kind = UploadKind::kFirmware;
  bool complete = false;  // false: cancelled, `reason` says why
  std::string reason;
  std::string file_name;  // as block 0 gave it
  Bytes data;
};

class YmodemReceiver {
 public:
  struct Options {
    Micros start_retry = 1000 * kMillis;    // 'C' repeated this often until block 0
    Micros block_timeout = 1000 * kMillis;  // a block stalled this long is NAKed
    Micros silence_limit = 10000 * kMillis; // no good block for this long: cancel
    Micros c_after_ack = 50 * kMillis;      // 'C' after block 0's ACK, sent apart from it
    int max_errors = 10;
  };

  // Bytes to send at a time relative to the call's `now`.
  struct Output {
    Micros delay;
    Bytes bytes;
  };

  YmodemReceiver(UploadKind kind, Micros now, Options options);
  YmodemReceiver(UploadKind kind, Micros now) : YmodemReceiver(kind, now, Options{}) {}

  // The first 'C'.
  std::vector<Output> Begin();
  std::vector<Output> Feed(ByteView bytes, Micros now);
  std::vector<Output> Tick(Micros now);
  Micros NextDeadline() const;

  bool finished() const { return result_.has_value(); }
  const std::optional<ReceivedUpload>& result() const { return result_; }

 private:
  enum class Phase { kAwaitBlock0, kAwaitData };

  void Process(std::vector<Output>& out, Micros now);
  void AcceptBlock(std::uint8_t number, ByteView data, std::vector<Output>& out);
  void Error(std::vector<Output>& out, const std::string& why);
  void Finish(bool complete, std::string reason);

  UploadKind kind_;
  Options options_;
  Phase phase_ = Phase::kAwaitBlock0;
  Bytes buffer_;
  Micros last_byte_;
  Micros last_progress_;  // start, or the last good block: frames sent by a host
                          // that gave up do not keep the device deaf
  Micros last_c_;
  int errors_ = 0;
  unsigned next_block_ = 1;
  std::string file_name_;
  std::optional<std::size_t> file_size_;
  Bytes data_;
  std::optional<ReceivedUpload> result_;
};

}  // namespace velmora::sim
