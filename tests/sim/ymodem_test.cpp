// YMODEM reception: unit cases on the receiver, and a whole upload over the
// emulator's terminal stored byte-identical.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "link/crc16.h"
#include "scan_host.h"
#include "sim/ymodem_receiver.h"
#include "sim_process.h"

namespace velmora::sim {
namespace {

constexpr std::uint8_t kStx = 0x02, kSoh = 0x01, kEot = 0x04, kAck = 0x06, kNak = 0x15, kCan = 0x18;

Bytes Block(std::uint8_t header, unsigned number, Bytes data) {
  data.resize(header == kSoh ? 128 : 1024, header == kSoh ? 0 : 0x1A);
  Bytes block = {header, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(255 - number % 256)};
  block.insert(block.end(), data.begin(), data.end());
  const std::uint16_t crc = Crc16(data);
  block.push_back(static_cast<std::uint8_t>(crc >> 8));
  block.push_back(static_cast<std::uint8_t>(crc));
  return block;
}

Bytes Header(const std::string& name, std::size_t size) {
  Bytes data(name.begin(), name.end());
  data.push_back(0);
  const std::string text = std::to_string(size);
  data.insert(data.end(), text.begin(), text.end());
  return Block(kSoh, 0, data);
}

Bytes Flatten(const std::vector<YmodemReceiver::Output>& outputs) {
  Bytes all;
  for (const auto& o : outputs) all.insert(all.end(), o.bytes.begin(), o.bytes.end());
  return all;
}

TEST(YmodemReceiver, NaksADamagedBlockAcceptsItsResendAndTrimsToTheHeaderSize) {
  YmodemReceiver rx(UploadKind::kFirmware, 0);
  EXPECT_EQ(Flatten(rx.Begin()), Bytes{'C'});
  EXPECT_EQ(Flatten(rx.Feed(Header("fw.bin", 1500), 1000)), (Bytes{kAck, 'C'}));

  Bytes first(1024, 0x11), second(476, 0x22);
  Bytes damaged = Block(kStx, 1, first);
  damaged[500] ^= 0xFF;
  EXPECT_EQ(Flatten(rx.Feed(damaged, 2000)), Bytes{kNak});
  EXPECT_EQ(Flatten(rx.Feed(Block(kStx, 1, first), 3000)), Bytes{kAck});
  EXPECT_EQ(Flatten(rx.Feed(Block(kStx, 1, first), 4000)), Bytes{kAck});  // a repeat after a lost ACK
  EXPECT_EQ(Flatten(rx.Feed(Block(kStx, 2, second), 5000)), Bytes{kAck});
  EXPECT_EQ(Flatten(rx.Feed(Bytes{kEot}, 6000)), Bytes{kAck});

  ASSERT_TRUE(rx.finished());
  const ReceivedUpload& upload = *rx.result();
  EXPECT_TRUE(upload.complete);
  EXPECT_EQ(upload.file_name, "fw.bin");
  Bytes expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(upload.data, expected);
}

TEST(YmodemReceiver, CancelsAfterTooManyErrorsOrALongSilence) {
  YmodemReceiver noisy(UploadKind::kParameters, 0);
  noisy.Feed(Header("p.bin", 10), 0);
  Bytes garbage = Block(kStx, 1, Bytes(1024, 1));
  garbage[3] ^= 1;
  Bytes last;
  for (int i = 0; i < 10 && !noisy.finished(); ++i) last = Flatten(noisy.Feed(garbage, i * 1000));
  ASSERT_TRUE(noisy.finished());
  EXPECT_FALSE(noisy.result()->complete);
  EXPECT_EQ(last, (Bytes{kCan, kCan}));

  YmodemReceiver silent(UploadKind::kFirmware, 0);
  silent.Begin();
  Micros now = 0;
  int c_count = 1;
  while (!silent.finished() && now < 60'000 * kMillis) {
    now = silent.NextDeadline();
    for (std::uint8_t b : Flatten(silent.Tick(now))) c_count += b == 'C';
  }
  ASSERT_TRUE(silent.finished());
  EXPECT_FALSE(silent.result()->complete);
  EXPECT_GE(c_count, 5);  // kept asking before it gave up
  EXPECT_LE(now, 11'000 * kMillis);

  // A host that gave up and went back to polling must not keep the device deaf.
  YmodemReceiver abandoned(UploadKind::kFirmware, 0);
  abandoned.Begin();
  const Bytes status_request = CommandFrame(FrameClass::kRequest, 1, 0xD0).Byte(0).Finish();
  for (now = 0; !abandoned.finished() && now < 60'000 * kMillis; now += 200 * kMillis) {
    abandoned.Feed(status_request, now);
    abandoned.Tick(now);
  }
  ASSERT_TRUE(abandoned.finished());
  EXPECT_LE(now, 11'000 * kMillis);
}

// The console's sender, step by step: mode command, 200 ms, 'C', block 0,
// ACK, 'C', data blocks each ACKed, EOT once, ACK.
class ConsoleLikeSender {
 public:
  explicit ConsoleLikeSender(testing::PtyWire& wire) : wire_(wire) {}

  bool WaitFor(std::uint8_t key) {
    for (int i = 0; i < 1500; ++i) {
      const Bytes got = wire_.Read(128);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (std::find(got.begin(), got.end(), key) != got.end()) return true;
    }
    return false;
  }

  bool Send(std::uint8_t address, std::uint8_t mode_opcode, const std::string& name, const Bytes& file) {
    wire_.Write(CommandFrame(FrameClass::kWrite, address, mode_opcode).Finish());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (!WaitFor('C')) return false;
    wire_.Write(Header(name, file.size()));
    if (!WaitFor(kAck) || !WaitFor('C')) return false;
    for (std::size_t at = 0, n = 1; at < file.size(); at += 1024, ++n) {
      const Bytes part(file.begin() + static_cast<std::ptrdiff_t>(at),
                       file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), at + 1024)));
      wire_.Write(Block(kStx, static_cast<unsigned>(n), part));
      if (!WaitFor(kAck)) return false;
    }
    wire_.Write(Bytes{kEot});
    return WaitFor(kAck);
  }

 private:
  testing::PtyWire& wire_;
};

TEST(YmodemUpload, AThreeThousandByteFileIsStoredByteIdenticalAndTheDeviceAnswersAgain) {
  const auto dir = std::filesystem::temp_directory_path() / ("velmora-sim-store-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  testing::SimProcess sim({VELMORA_SIM_BINARY, "--devices", "2", "--store", dir.string(), "--stdin-control"});
  ASSERT_TRUE(sim.ok());
  testing::PtyWire wire(sim.slave_path());
  ASSERT_TRUE(wire.ok());

  // Address both devices, then upload to device 2.
  testing::Transact(wire, CommandFrame(FrameClass::kScan, 0, 0xEF).Finish());
  Bytes file(3000);
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  file[1024] = 0x1A;  // fill bytes inside the file must survive the trim
  file[2999] = 0x1A;

  // Chip ids come from the seed; AssignAddress takes them from a ScanQuery answer.
  int assigned = 0;
  for (int round = 0; round < 20 && assigned < 2; ++round) {
    auto identity = testing::Transact(wire, CommandFrame(FrameClass::kScan, 0, 0xE1).Finish());
    if (!identity || identity->size() != 14)
      identity = testing::Transact(wire, CommandFrame(FrameClass::kScan, 0, 0xE3).Finish());
    if (!identity || identity->size() != 14) continue;
    CommandFrame assign(FrameClass::kScan, 0, 0xE4);
    assign.Byte(static_cast<std::uint8_t>(assigned + 1)).Raw(ByteView(identity->data() + 5, 8));
    if (testing::Transact(wire, assign.Finish())) ++assigned;
  }
  ASSERT_EQ(assigned, 2);

  ConsoleLikeSender sender(wire);
  ASSERT_TRUE(sender.Send(2, 0xD0, "velmora-fw.bin", file));

  const auto stored = dir / "velmora-fw.bin";
  for (int i = 0; i < 200 && !std::filesystem::exists(stored); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::ifstream in(stored, std::ios::binary);
  const Bytes got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(got, file);

  // Back to frames: the device answers a read again.
  EXPECT_TRUE(testing::Transact(wire, CommandFrame(FrameClass::kRequest, 2, 0x84).Byte(0).Byte(0).Finish()));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace velmora::sim
