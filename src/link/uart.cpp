#include "link/uart.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

#include "link/monitor_text.h"

namespace velmora {

namespace {
constexpr std::uint8_t kClassRequest = static_cast<std::uint8_t>(FrameClass::kRequest);
constexpr std::uint8_t kClassScan = static_cast<std::uint8_t>(FrameClass::kScan);
constexpr std::uint8_t kOpcodeStorePreset = 0x70;
constexpr std::uint8_t kOpcodeReadStatus = 0xD0;
constexpr std::uint8_t kOpcodeScanQuery = 0xE1;
constexpr std::size_t kTransactionRead = kMaxReplyRead;  // 256
constexpr std::size_t kMonitorRead = 512;
constexpr int kAttempts = 2;
// The monitor text waits for the monitor dialog; without one nobody takes it, so
// keep only the newest part rather than growing for the whole session.
constexpr std::size_t kMaxDebugLog = 1 << 20;

int ReplyWaitMs(std::uint8_t opcode) {
  if (opcode == 0x81 || opcode == 0xA1) return CUart::kReplyWaitLongMs;
  if (opcode == 0xD6) return CUart::kReplyWaitShortMs;
  return CUart::kReplyWaitMs;
}

void ReportException(const char* where) {
  std::fprintf(stderr, "Exception... (%s)\n", where);
}
}  // namespace

// The upload thread's view of the port: each read and write under the queue
// lock, sleeps cut short when the engine stops.
class CUart::UploadLine final : public YmodemLine {
 public:
  explicit UploadLine(CUart& uart) : uart_(uart) {}

  std::size_t Write(ByteView bytes) override {
    std::lock_guard lock(uart_.queue_mutex_);
    if (!uart_.IsOpen()) return 0;
    return uart_.port_->Write(bytes);
  }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    std::lock_guard lock(uart_.queue_mutex_);
    return uart_.ReadPort(buffer);
  }
  bool Sleep(int milliseconds) override {
    return uart_.SleepFor(milliseconds, uart_.upload_running_);
  }

 private:
  CUart& uart_;
};

CUart::CUart(std::unique_ptr<Port> port) : port_(std::move(port)) {
  send_thread_ = std::thread(&CUart::SendLoop, this);
  monitor_thread_ = std::thread(&CUart::MonitorReader, this);
  upload_thread_ = std::thread(&CUart::UploadThread, this);
}

CUart::~CUart() {
  // An upload in progress gives up at its next wait, so closing is quick.
  Stop(upload_running_, upload_thread_);
  Stop(send_running_, send_thread_);
  Stop(monitor_running_, monitor_thread_);

  std::lock_guard lock(queue_mutex_);
  send_queue_.clear();
  reply_queue_.clear();
  ymodem_.Reset();
  port_->Close();
}

void CUart::Stop(std::atomic<bool>& running, std::thread& thread) {
  {
    std::lock_guard lock(sleep_mutex_);
    running = false;
  }
  wake_.notify_all();
  if (thread.joinable()) thread.join();
}

bool CUart::SleepFor(int milliseconds, const std::atomic<bool>& running) {
  std::unique_lock lock(sleep_mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                         [&running] { return !running.load(); });
}

OpenResult CUart::Open(const std::string& name, int baud) {
  if (IsOpen()) return {PortError::kAlreadyOpen, 0};
  if (name.empty()) return {PortError::kNoName, 0};
  std::lock_guard lock(queue_mutex_);
  const OpenResult result = port_->Open(name, baud);
  if (result) port_removed_ = false;
  return result;
}

void CUart::Close() {
  std::lock_guard lock(queue_mutex_);
  port_->Close();
}

void CUart::Enqueue(ByteView frame) {
  // A buffer shorter than its own length byte is malformed; copying `length`
  // bytes from it would read past its end.
  if (frame.size() < 2 || frame[kOffLength] == 0 || frame[kOffLength] > frame.size()) return;
  const ByteView exact = frame.first(frame[kOffLength]);
  std::lock_guard lock(queue_mutex_);
  const bool waiting = std::any_of(send_queue_.begin(), send_queue_.end(), [&](const Bytes& q) {
    return std::equal(q.begin(), q.end(), exact.begin(), exact.end());
  });
  if (!waiting) send_queue_.emplace_back(exact.begin(), exact.end());
}

std::optional<Bytes> CUart::PopReply() {
  std::lock_guard lock(queue_mutex_);
  if (reply_queue_.empty()) return std::nullopt;
  Bytes reply = std::move(reply_queue_.front());
  reply_queue_.pop_front();
  return reply;
}

bool CUart::IsSendQueueEmpty() {
  std::lock_guard lock(queue_mutex_);
  return send_queue_.empty();
}

std::string CUart::TakeMonitorText() {
  std::lock_guard lock(monitor_mutex_);
  std::string text;
  text.swap(debug_log_);
  return text;
}

bool CUart::StartUpload(const std::string& path, std::uint8_t address, UploadKind kind) {
  if (paused_) return false;
  if (!ymodem_.Load(path)) {
    upload_result_ = upload_result::kFileNotOpened;
    return false;
  }
  upload_address_ = address;
  upload_kind_ = kind;
  paused_ = true;  // last: hands the file and the port to the upload thread
  return true;
}

int CUart::UploadPercent() const {
  const std::uint64_t size = ymodem_.file_size();
  if (size == 0) return 0;
  const std::uint64_t percent =
      static_cast<std::uint64_t>(ymodem_.blocks_sent()) * Ymodem::kDataBlock * 100 / size;
  return static_cast<int>(std::min<std::uint64_t>(percent, 100));
}

// Called with queue_mutex_ held.
std::size_t CUart::ReadPort(std::span<std::uint8_t> buffer) {
  if (!IsOpen()) return 0;
  const ReadResult result = port_->Read(buffer);
  if (result.removed) port_removed_ = true;
  return std::min(result.count, buffer.size());
}

// Called with queue_mutex_ held; takes the monitor lock inside it.
void CUart::RecordReceived(ByteView bytes) {
  std::string text = FormatMonitorText(bytes, hex_monitor_);
  std::lock_guard lock(monitor_mutex_);
  debug_log_ += text;
  if (debug_log_.size() > kMaxDebugLog) debug_log_.erase(0, debug_log_.size() - kMaxDebugLog);
}

void CUart::SendLoop() {
  while (send_running_) {
    if (paused_) {
      SleepFor(kPauseWhenIdleMs, send_running_);
      continue;
    }
    RunTransactionCycle();
  }
}

void CUart::RunTransactionCycle() {
  bool had_frame = false;
  {
    std::lock_guard lock(queue_mutex_);
    try {
      // The pause flag is tested again under the lock, so that an upload that has
      // just started never shares the line with a transaction.
      if (!paused_ && !send_queue_.empty()) {
        had_frame = true;
        const Bytes frame = std::move(send_queue_.front());
        send_queue_.pop_front();
        if (IsOpen()) {
          bool done = false;
          for (int attempt = 0; attempt < kAttempts && !done; ++attempt) {
            if (attempt > 0) SleepFor(kRetryPauseMs, send_running_);
            done = Attempt(frame);
          }
          if (!done && frame[kOffOpcode] == kOpcodeReadStatus)
            reply_queue_.push_back(MakeNoAnswerStatusReply(frame[kOffAddress]));
        }
      }
    } catch (const std::exception&) {
      ReportException("send loop");
    }
  }
  SleepFor(had_frame ? kPauseAfterFrameMs : kPauseWhenIdleMs, send_running_);
}

bool CUart::Attempt(const Bytes& frame) {
  if (frame.size() < kMinFrameLength) {
    // Too short to carry a class and an opcode: written, never answered.
    return port_->Write(frame) == frame.size();
  }
  if (!IsOpen() || port_->Write(frame) < frame.size()) return false;

  const std::uint8_t cls = frame[kOffClass];
  const std::uint8_t opcode = frame[kOffOpcode];
  if (cls != kClassRequest && cls != kClassScan) return true;
  if (opcode == kOpcodeStorePreset) return true;

  SleepFor(ReplyWaitMs(opcode), send_running_);
  std::array<std::uint8_t, kTransactionRead> buffer{};
  const std::size_t n = ReadPort(buffer);
  const ByteView read(buffer.data(), n);
  if (n > 0) RecordReceived(read);

  const bool scan_query = cls == kClassScan && opcode == kOpcodeScanQuery;
  if (n == 0) return false;
  if (n >= kMinFrameLength) {
    std::optional<Bytes> reply = ExtractReply(read);
    if (reply && ReplyMatches(frame, *reply)) {
      reply_queue_.push_back(std::move(*reply));
      return true;
    }
  }
  if (scan_query) reply_queue_.push_back(MakeScanCollisionReply());
  return false;
}

void CUart::MonitorReader() {
  std::array<std::uint8_t, kMonitorRead> buffer;
  while (monitor_running_) {
    if (IsOpen() && !paused_) {
      std::lock_guard lock(queue_mutex_);
      try {
        if (IsOpen() && !paused_) {
          const std::size_t n = ReadPort(buffer);
          if (n > 0) RecordReceived(ByteView(buffer.data(), n));
        }
      } catch (const std::exception&) {
        ReportException("monitor reader");
      }
    }
    SleepFor(kMonitorPollMs, monitor_running_);
  }
}

void CUart::UploadThread() {
  UploadLine line(*this);
  while (upload_running_) {
    // An upload requested while no port is open still runs: its first write
    // fails and the caller gets -1 instead of waiting for ever.
    if (paused_) {
      int result = upload_result::kModeCommandFailed;
      try {
        result = ymodem_.Upload(line, upload_address_, upload_kind_);
      } catch (const std::exception&) {
        ReportException("upload");
        ymodem_.Reset();
      }
      upload_result_ = result;
      paused_ = false;
    } else {
      SleepFor(kUploadPollMs, upload_running_);
    }
  }
}

}  // namespace velmora
