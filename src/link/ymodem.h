#pragma once
// The YMODEM sender: switches a device into receive mode with a command frame,
// then sends one file as block 0 (name and size), 1024-byte data blocks with
// CRC-16 and one EOT. No retransmission: a missing answer ends the upload.
//
// Threads: Load and Reset run on the user-interface thread while no upload runs;
// Upload runs on the link engine's upload thread. The progress fields
// (block counter and file size) are atomics so that the user-interface thread can
// read them during an upload without a lock.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "link/frame.h"

namespace velmora {

// Result codes of one upload.
namespace upload_result {
inline constexpr int kSent = 0;               // file sent, EOT acknowledged
inline constexpr int kModeCommandFailed = -1; // mode command not written (or no port)
inline constexpr int kTimeOut = -2;           // reserved for the result dialog; never produced
inline constexpr int kFileNotOpened = -3;     // the image file did not open
inline constexpr int kNoReadyByte = -4;       // no 'C' from the device
inline constexpr int kBlockNotWritten = -5;   // a block not written (or no port, or file unreadable)
inline constexpr int kNoAck = -6;             // no ACK after block 0, a data block or EOT
inline constexpr int kEotNotWritten = -7;     // EOT not written
}  // namespace upload_result

enum class UploadKind : int { kFirmware = 0, kParameters = 1 };

// What the sender needs of the line. The link engine implements it over its port
// (with its lock and its stop flag); tests implement it with a scripted receiver.
class YmodemLine {
 public:
  virtual ~YmodemLine() = default;
  virtual std::size_t Write(ByteView bytes) = 0;
  // Returns at once with whatever has arrived.
  virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
  // Sleeps; false when the upload should give up at once (the engine is stopping).
  virtual bool Sleep(int milliseconds) = 0;
};

class Ymodem {
 public:
  static constexpr std::size_t kBlock0Data = 128;
  static constexpr std::size_t kDataBlock = 1024;
  static constexpr int kWaitPolls = 1500;      // WaitForByte: about 15 s
  static constexpr int kWaitPollMs = 10;
  static constexpr int kModeSettleMs = 200;

  Ymodem() = default;
  virtual ~Ymodem();
  Ymodem(const Ymodem&) = delete;
  Ymodem& operator=(const Ymodem&) = delete;

  // Opens the image for reading and notes its name (without the directory) and
  // size. False when the file cannot be opened or is not a regular file.
  bool Load(const std::string& path);
  // Closes the file and clears name, size and block counter.
  void Reset();

  // One complete upload to `address`; returns a code from upload_result. The file
  // is closed afterwards, whatever the outcome.
  int Upload(YmodemLine& line, std::uint8_t address, UploadKind kind);

  const std::string& file_name() const { return file_name_; }
  std::uint32_t file_size() const { return file_size_.load(); }
  std::uint32_t blocks_sent() const { return block_counter_.load(); }

  // Blocks on the wire, exposed for the tests and the engine.
  static Bytes MakeBlock0(const std::string& name, std::uint32_t size);
  static Bytes MakeDataBlock(std::uint32_t number, ByteView data);

 private:
  int Transfer(YmodemLine& line, std::uint8_t address, UploadKind kind);
  // Polls the line until `key` arrives. Bytes up to and including the key are
  // consumed; whatever arrived after it is kept for the next wait, so an ACK and
  // the 'C' that follows it in the same read are both seen.
  bool WaitForByte(YmodemLine& line, std::uint8_t key);
  static bool WriteAll(YmodemLine& line, ByteView bytes);

  std::FILE* file_ = nullptr;
  std::string file_name_;
  std::atomic<std::uint32_t> file_size_{0};
  std::atomic<std::uint32_t> block_counter_{0};
  Bytes pending_;  // received after the last awaited byte
};

}  // namespace velmora
