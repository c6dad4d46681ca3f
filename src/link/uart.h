#pragma once
// The link engine. The user-interface thread never touches the port: it queues
// frames with Enqueue and takes replies with PopReply. Three worker threads live
// exactly as long as the object:
//   send loop       one transaction per cycle (write, wait, read, match, retry once);
//   monitor reader  collects bytes that arrive between transactions;
//   upload thread   runs a YMODEM upload while the pause flag is set.
//
// Threads and locks:
//   queue_mutex_    guards send_queue_, reply_queue_ and every call on port_. The
//                   send loop holds it for a whole transaction, sleeps included; the
//                   monitor reader for one non-blocking read; the upload thread for
//                   each single read or write; Open and Close (user-interface thread)
//                   while they change the port. The port selection may also open and
//                   close the port directly (port()); the port's own lock keeps that
//                   apart from a running read or write.
//   monitor_mutex_  guards debug_log_. Worker threads take it inside queue_mutex_;
//                   the user-interface thread takes it alone. Nobody takes
//                   queue_mutex_ while holding monitor_mutex_.
//   sleep_mutex_    only pairs with wake_ so that the destructor can cut the
//                   workers' sleeps short; never held while taking another lock.
//   Atomics, read without a lock: the running flags, the pause flag, the hex flag,
//   the removal flag, the upload's address, kind and result. Whether the port is
//   open is the port's own atomic flag.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "link/frame.h"
#include "link/link_queue.h"
#include "link/ymodem.h"
#include "platform/serial/port.h"

namespace velmora {

class CUart : public LinkQueue {
 public:
  // Sleeps of the transaction cycle, in milliseconds.
  static constexpr int kReplyWaitMs = 100;
  static constexpr int kReplyWaitLongMs = 120;     // opcodes 0x81 and 0xA1
  static constexpr int kReplyWaitShortMs = 60;     // opcode 0xD6
  static constexpr int kRetryPauseMs = 25;
  static constexpr int kPauseAfterFrameMs = 50;
  static constexpr int kPauseWhenIdleMs = 100;
  static constexpr int kMonitorPollMs = 100;
  static constexpr int kUploadPollMs = 50;

  // Starts the send loop, the monitor reader and the upload thread, in that order.
  explicit CUart(std::unique_ptr<Port> port);
  // Stops the upload thread, then the send loop, then the monitor reader.
  ~CUart() override;
  CUart(const CUart&) = delete;
  CUart& operator=(const CUart&) = delete;

  // Port state (user-interface thread). Open refuses while a port is open.
  OpenResult Open(const std::string& name, int baud);
  void Close();
  bool IsOpen() const { return port_->IsOpen(); }
  // The engine's port, for the probe and the switch of the port selection.
  Port& port() { return *port_; }
  // True once after the adapter went away; the engine has closed the port by then.
  // The owner reacts (Close, a message, a switch to another port).
  bool TakePortRemoved() { return port_removed_.exchange(false); }

  // LinkQueue.
  void Enqueue(ByteView frame) override;
  std::optional<Bytes> PopReply() override;
  bool IsSendQueueEmpty() override;

  // Serial monitor.
  void SetHexMonitor(bool hex) { hex_monitor_ = hex; }
  bool hex_monitor() const { return hex_monitor_.load(); }
  std::string TakeMonitorText();

  // Upload (user-interface thread). StartUpload opens the file and sets the pause
  // flag; false (result kFileNotOpened) when the file does not open or an upload
  // is already running. Poll IsUploading, then read upload_result.
  bool StartUpload(const std::string& path, std::uint8_t address, UploadKind kind);
  bool IsUploading() const { return paused_.load(); }
  int upload_result() const { return upload_result_.load(); }
  // Blocks sent × 1024 × 100 / file size, at most 100.
  int UploadPercent() const;

 private:
  class UploadLine;

  void SendLoop();
  void MonitorReader();
  void UploadThread();
  void RunTransactionCycle();
  // One attempt of a transaction; true when Q is done (answered or not to be read).
  bool Attempt(const Bytes& frame);
  void RecordReceived(ByteView bytes);
  std::size_t ReadPort(std::span<std::uint8_t> buffer);
  // Interruptible sleep: false when `running` was cleared meanwhile.
  bool SleepFor(int milliseconds, const std::atomic<bool>& running);
  void Stop(std::atomic<bool>& running, std::thread& thread);

  std::atomic<bool> hex_monitor_{false};
  std::mutex queue_mutex_;
  std::atomic<bool> port_removed_{false};
  std::string debug_log_;
  std::mutex monitor_mutex_;
  std::deque<Bytes> reply_queue_;
  std::deque<Bytes> send_queue_;
  std::unique_ptr<Port> port_;

  std::atomic<bool> paused_{false};
  std::atomic<std::uint8_t> upload_address_{0};
  std::atomic<UploadKind> upload_kind_{UploadKind::kFirmware};
  std::atomic<int> upload_result_{0};
  Ymodem ymodem_;

  std::mutex sleep_mutex_;
  std::condition_variable wake_;

  std::atomic<bool> send_running_{true};
  std::atomic<bool> monitor_running_{true};
  std::atomic<bool> upload_running_{true};
  std::thread send_thread_;
  std::thread monitor_thread_;
  std::thread upload_thread_;
};

}  // namespace velmora
