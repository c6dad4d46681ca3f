#include "link/ymodem.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "link/crc16.h"

namespace velmora {

namespace {
constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kReady = 0x43;  // 'C': ready for CRC blocks
constexpr std::uint8_t kFill = 0x1A;
constexpr std::size_t kReadChunk = 128;

constexpr std::uint8_t kOpcodeBeginFirmwareUpload = 0xD0;
constexpr std::uint8_t kOpcodeBeginParameterUpload = 0xD6;

void AppendCrc(Bytes& block, ByteView data) {
  const std::uint16_t crc = Crc16(data);
  block.push_back(static_cast<std::uint8_t>(crc >> 8));
  block.push_back(static_cast<std::uint8_t>(crc & 0xFF));
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

Ymodem::~Ymodem() { Reset(); }

bool Ymodem::Load(const std::string& path) {
  Reset();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<unsigned long long>(info.st_size) > std::numeric_limits<std::uint32_t>::max()) {
    std::fclose(file);
    return false;
  }
  file_ = file;
  file_name_ = BaseName(path);
  file_size_ = static_cast<std::uint32_t>(info.st_size);
  block_counter_ = 0;
  return true;
}

void Ymodem::Reset() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  file_name_.clear();
  file_size_ = 0;
  block_counter_ = 0;
}

Bytes Ymodem::MakeBlock0(const std::string& name, std::uint32_t size) {
  std::array<std::uint8_t, kBlock0Data> data{};
  std::size_t at = 0;
  if (name.size() < kBlock0Data) {
    std::memcpy(data.data(), name.data(), name.size());
    at = name.size() + 1;  // the zero byte after the name
  }
  const std::string size_text = std::to_string(size);
  if (at + size_text.size() <= kBlock0Data)
    std::memcpy(data.data() + at, size_text.data(), size_text.size());

  Bytes block{kSoh, 0x00, 0xFF};
  block.insert(block.end(), data.begin(), data.end());
  AppendCrc(block, data);
  return block;
}

Bytes Ymodem::MakeDataBlock(std::uint32_t number, ByteView data) {
  std::array<std::uint8_t, kDataBlock> payload;
  payload.fill(kFill);
  std::copy_n(data.begin(), std::min(data.size(), kDataBlock), payload.begin());
  const auto n = static_cast<std::uint8_t>(number & 0xFF);
  Bytes block{kStx, n, static_cast<std::uint8_t>(0xFF - n)};
  block.insert(block.end(), payload.begin(), payload.end());
  AppendCrc(block, payload);
  return block;
}

bool Ymodem::WriteAll(YmodemLine& line, ByteView bytes) {
  return line.Write(bytes) == bytes.size();
}

bool Ymodem::WaitForByte(YmodemLine& line, std::uint8_t key) {
  std::array<std::uint8_t, kReadChunk> buffer;
  for (int poll = 0; poll < kWaitPolls; ++poll) {
    const std::size_t n = line.Read(buffer);
    pending_.insert(pending_.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    // The pause comes before the answer is acted on, even when the key is there:
    // receivers such as lrzsz's rb purge their input just after sending ACK, and a
    // block sent at once could be thrown away.
    const bool stopping = !line.Sleep(kWaitPollMs);
    const auto found = std::find(pending_.begin(), pending_.end(), key);
    if (found != pending_.end()) {
      pending_.erase(pending_.begin(), found + 1);
      return true;
    }
    pending_.clear();
    if (stopping) return false;
  }
  return false;
}

int Ymodem::Upload(YmodemLine& line, std::uint8_t address, UploadKind kind) {
  pending_.clear();
  const int result = Transfer(line, address, kind);
  Reset();
  pending_.clear();
  return result;
}

int Ymodem::Transfer(YmodemLine& line, std::uint8_t address, UploadKind kind) {
  using namespace upload_result;
  const std::uint8_t opcode =
      kind == UploadKind::kParameters ? kOpcodeBeginParameterUpload : kOpcodeBeginFirmwareUpload;
  if (!WriteAll(line, CommandFrame(FrameClass::kWrite, address, opcode).Finish()))
    return kModeCommandFailed;

  line.Sleep(kModeSettleMs);
  if (!WaitForByte(line, kReady)) return kNoReadyByte;

  if (!WriteAll(line, MakeBlock0(file_name_, file_size_))) return kBlockNotWritten;
  if (!WaitForByte(line, kAck)) return kNoAck;
  if (!WaitForByte(line, kReady)) return kNoReadyByte;

  std::array<std::uint8_t, kDataBlock> data;
  while (static_cast<std::uint64_t>(block_counter_) * kDataBlock < file_size_) {
    const std::uint64_t offset = static_cast<std::uint64_t>(block_counter_) * kDataBlock;
    const std::size_t expected =
        static_cast<std::size_t>(std::min<std::uint64_t>(kDataBlock, file_size_ - offset));
    // A file that cannot be read to the size announced in block 0 is never sent
    // as if it were complete: the device would take a damaged image.
    const std::size_t got = file_ ? std::fread(data.data(), 1, expected, file_) : 0;
    if (got != expected) return kBlockNotWritten;
    block_counter_ = block_counter_ + 1;
    if (!WriteAll(line, MakeDataBlock(block_counter_, ByteView(data.data(), got))))
      return kBlockNotWritten;
    if (!WaitForByte(line, kAck)) return kNoAck;
  }

  const std::uint8_t eot = kEot;
  if (!WriteAll(line, ByteView(&eot, 1))) return kEotNotWritten;
  return WaitForByte(line, kAck) ? kSent : kNoAck;
}

}  // namespace velmora
