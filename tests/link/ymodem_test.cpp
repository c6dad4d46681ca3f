// The YMODEM sender against a scripted receiver (no real time passes: the
// receiver's line sleeps instantly) and the blocks' bytes on the wire.
#include "link/ymodem.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <limits>

#include "link/crc16.h"

namespace velmora {
namespace {

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kEot = 0x04;

// Answers the sender's n-th write with answers[n]; write number `cut_write` is
// accepted only in part.
class ScriptedReceiver final : public YmodemLine {
 public:
  ScriptedReceiver(std::vector<Bytes> answers, std::size_t cut_write)
      : answers_(std::move(answers)), cut_write_(cut_write) {}

  std::size_t Write(ByteView bytes) override {
    const std::size_t index = writes.size();
    writes.emplace_back(bytes.begin(), bytes.end());
    if (index == cut_write_) return bytes.size() - 1;
    if (index < answers_.size()) inbound_.insert(inbound_.end(), answers_[index].begin(), answers_[index].end());
    return bytes.size();
  }
  std::size_t Read(std::span<std::uint8_t> buffer) override {
    // Everything that has arrived at once, as a quick receiver's ACK and 'C' do.
    const std::size_t n = std::min(buffer.size(), inbound_.size());
    std::copy_n(inbound_.begin(), n, buffer.begin());
    inbound_.erase(inbound_.begin(), inbound_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }
  bool Sleep(int) override { return true; }

  std::vector<Bytes> writes;

 private:
  std::vector<Bytes> answers_;
  std::size_t cut_write_;
  std::deque<std::uint8_t> inbound_;
};

class TempFile {
 public:
  explicit TempFile(const Bytes& content, const std::string& name = "image.bin") {
    dir_ = std::filesystem::temp_directory_path() / ("velmora-ymodem-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    path_ = dir_ / name;
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(content.data()),
                                                static_cast<std::streamsize>(content.size()));
  }
  ~TempFile() { std::filesystem::remove_all(dir_); }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path dir_, path_;
};

Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

struct ReceiverCase {
  const char* behaviour;
  std::vector<Bytes> answers;  // to: mode command, block 0, data block, EOT
  std::size_t cut_write;       // none: npos
  std::size_t writes;          // how many writes the sender made
  int result;
};

TEST(YmodemSender, EndsAsTheReceiverAnswers) {
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  const Bytes ready{'C'}, ack{kAck}, ack_ready{kAck, 'C'};
  const ReceiverCase cases[] = {
      {"ACK on the first EOT", {ready, ack_ready, ack, ack}, kNone, 4, upload_result::kSent},
      {"a stale 'C' before the ACK", {ready, {'C', kAck, 'C'}, ack, ack}, kNone, 4, upload_result::kSent},
      {"missing final ACK", {ready, ack_ready, ack, {}}, kNone, 4, upload_result::kNoAck},
      {"a receiver that sends nothing", {}, kNone, 1, upload_result::kNoReadyByte},
      {"no ACK for block 0", {ready, {}}, kNone, 2, upload_result::kNoAck},
      {"no 'C' after block 0", {ready, ack}, kNone, 2, upload_result::kNoReadyByte},
      {"no ACK for a data block", {ready, ack_ready, {}}, kNone, 3, upload_result::kNoAck},
      {"a NAK is not an ACK", {ready, ack_ready, {0x15}}, kNone, 3, upload_result::kNoAck},
      {"mode command cut short", {}, 0, 1, upload_result::kModeCommandFailed},
      {"block 0 cut short", {ready}, 1, 2, upload_result::kBlockNotWritten},
      {"data block cut short", {ready, ack_ready}, 2, 3, upload_result::kBlockNotWritten},
      {"EOT not written", {ready, ack_ready, ack}, 3, 4, upload_result::kEotNotWritten},
  };
  const Bytes content = Pattern(100);
  TempFile file(content, "fw.bin");
  for (const ReceiverCase& c : cases) {
    SCOPED_TRACE(c.behaviour);
    Ymodem ymodem;
    ASSERT_TRUE(ymodem.Load(file.path()));
    ScriptedReceiver receiver(c.answers, c.cut_write);
    EXPECT_EQ(ymodem.Upload(receiver, 3, UploadKind::kFirmware), c.result);
    const std::vector<Bytes> expected{CommandFrame(FrameClass::kWrite, 3, 0xD0).Finish(),
                                      Ymodem::MakeBlock0("fw.bin", 100),
                                      Ymodem::MakeDataBlock(1, content), Bytes{kEot}};
    EXPECT_EQ(receiver.writes, std::vector<Bytes>(expected.begin(), expected.begin() + c.writes));
    EXPECT_EQ(ymodem.file_size(), 0u);  // the file is closed whatever happened
  }
}

TEST(YmodemSender, SendsEveryBlockOfTheFileInOrder) {
  struct Size { std::size_t bytes; std::uint32_t blocks; };
  for (const Size s : {Size{0, 0}, Size{1024, 1}, Size{1025, 2}, Size{300000, 293}}) {
    SCOPED_TRACE(s.bytes);
    const Bytes content = Pattern(s.bytes);
    TempFile file(content);
    Ymodem ymodem;
    ASSERT_TRUE(ymodem.Load(file.path()));
    std::vector<Bytes> answers{{'C'}, {kAck, 'C'}};
    for (std::uint32_t i = 0; i <= s.blocks; ++i) answers.push_back({kAck});
    ScriptedReceiver receiver(answers, std::numeric_limits<std::size_t>::max());
    ASSERT_EQ(ymodem.Upload(receiver, 1, UploadKind::kParameters), upload_result::kSent);

    ASSERT_EQ(receiver.writes.size(), 3 + s.blocks);
    EXPECT_EQ(receiver.writes[0], CommandFrame(FrameClass::kWrite, 1, 0xD6).Finish());
    Bytes sent;
    for (std::uint32_t n = 1; n <= s.blocks; ++n) {
      const Bytes& block = receiver.writes[1 + n];
      ASSERT_EQ(block.size(), 1029u);
      EXPECT_EQ(block[1], static_cast<std::uint8_t>(n));
      sent.insert(sent.end(), block.begin() + 3, block.begin() + 1027);
    }
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(s.bytes)), content);
    EXPECT_EQ(receiver.writes.back(), Bytes{kEot});
  }
}

TEST(YmodemBlocks, Block0CarriesNameZeroSizeAndCrcHighByteFirst) {
  const Bytes block = Ymodem::MakeBlock0("hi.txt", 5);
  ASSERT_EQ(block.size(), 133u);
  Bytes data(128, 0);
  const std::string text = std::string("hi.txt") + '\0' + "5";
  std::copy(text.begin(), text.end(), data.begin());
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 3), (Bytes{0x01, 0x00, 0xFF}));
  EXPECT_EQ(Bytes(block.begin() + 3, block.begin() + 131), data);
  const std::uint16_t crc = Crc16(data);
  EXPECT_EQ(block[131], crc >> 8);
  EXPECT_EQ(block[132], crc & 0xFF);
}

TEST(YmodemBlocks, Block0LeavesOutWhatDoesNotFit) {
  const Bytes long_name = Ymodem::MakeBlock0(std::string(128, 'n'), 42);
  EXPECT_EQ(Bytes(long_name.begin() + 3, long_name.begin() + 6), (Bytes{'4', '2', 0}));

  const Bytes no_room = Ymodem::MakeBlock0(std::string(125, 'n'), 123);  // 126 + 3 > 128
  EXPECT_EQ(no_room[3 + 125], 0);
  EXPECT_EQ(no_room[3 + 126], 0);
  EXPECT_EQ(no_room[3 + 127], 0);
}

TEST(YmodemBlocks, DataBlockIsFilledAndNumberedModulo256) {
  const Bytes block = Ymodem::MakeDataBlock(1, Bytes{'a'});
  ASSERT_EQ(block.size(), 1029u);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 4), (Bytes{0x02, 0x01, 0xFE, 'a'}));
  EXPECT_TRUE(std::all_of(block.begin() + 4, block.begin() + 1027, [](std::uint8_t b) { return b == 0x1A; }));
  const std::uint16_t crc = Crc16(ByteView(block).subspan(3, 1024));
  EXPECT_EQ(block[1027], crc >> 8);
  EXPECT_EQ(block[1028], crc & 0xFF);

  EXPECT_EQ(Ymodem::MakeDataBlock(255, {})[1], 0xFF);
  EXPECT_EQ(Ymodem::MakeDataBlock(255, {})[2], 0x00);
  EXPECT_EQ(Ymodem::MakeDataBlock(256, {})[1], 0x00);
  EXPECT_EQ(Ymodem::MakeDataBlock(256, {})[2], 0xFF);
}

TEST(YmodemSender, RefusesWhatIsNotAReadableFile) {
  Ymodem ymodem;
  EXPECT_FALSE(ymodem.Load("/nonexistent/file.bin"));
  EXPECT_FALSE(ymodem.Load(std::filesystem::temp_directory_path().string()));  // a directory
}

}  // namespace
}  // namespace velmora
