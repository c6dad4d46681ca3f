// The link engine against a scripted device, over an in-memory port and over a
// real pseudo-terminal pair opened by path.
#include "link/uart.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "scripted_peer.h"

namespace velmora {
namespace {

using testing::ScriptedPeer;

constexpr std::uint8_t kReadStatus = 0xD0;
constexpr std::uint8_t kScanQuery = 0xE1;

Bytes ReadStatus(std::uint8_t address) {
  return CommandFrame(FrameClass::kRequest, address, kReadStatus).Le16(0).Finish();
}
Bytes StatusReply(std::uint8_t address) {
  return CommandFrame(FrameClass::kReply, address, kReadStatus).Raw(Bytes{1, 2, 3, 4, 5, 6, 7}).Finish();
}
Bytes ScanQuery() { return CommandFrame(FrameClass::kScan, 0, kScanQuery).Finish(); }
Bytes WriteGain(std::uint8_t address, std::uint16_t gain) {
  return CommandFrame(FrameClass::kWrite, address, 0x21).Byte(0).Byte(3).Le16(gain).Finish();
}
Bytes StorePreset(std::uint8_t address) {
  return CommandFrame(FrameClass::kRequest, address, 0x70).Byte(4).Finish();
}
// A write nobody answers, queued last: once the peer has it, the frame before it is done.
Bytes Sentinel() { return CommandFrame(FrameClass::kWrite, 0x3C, 0x7E).Finish(); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct Transport {
  const char* name;
  std::unique_ptr<ScriptedPeer> (*make)();
};
void PrintTo(const Transport& t, std::ostream* os) { *os << t.name; }

class LinkEngine : public ::testing::TestWithParam<Transport> {
 protected:
  void Start() {
    uart_.reset();  // the engine goes before the peer its port talks to
    peer_ = GetParam().make();
    uart_ = std::make_unique<CUart>(peer_->MakePort());
    const OpenResult opened = uart_->Open(peer_->port_name(), 115200);
    ASSERT_TRUE(opened) << DescribeError(opened);
  }
  void SetUp() override { Start(); }
  void TearDown() override {
    uart_.reset();
    peer_.reset();
  }

  static std::string DescribeError(const OpenResult& r) {
    return "open failed, error " + std::to_string(static_cast<int>(r.error)) + " errno " +
           std::to_string(r.system_errno);
  }

  std::vector<Bytes> PopAllReplies() {
    std::vector<Bytes> replies;
    while (auto reply = uart_->PopReply()) replies.push_back(std::move(*reply));
    return replies;
  }

  // Queues the sentinel and waits until the peer has it.
  void Drain() {
    uart_->Enqueue(Sentinel());
    ASSERT_TRUE(ScriptedPeer::WaitUntil([&] {
      const auto frames = peer_->frames();
      return !frames.empty() && frames.back() == Sentinel();
    }));
  }

  std::vector<Bytes> FramesBeforeSentinel() {
    auto frames = peer_->frames();
    if (!frames.empty() && frames.back() == Sentinel()) frames.pop_back();
    return frames;
  }

  std::string WaitForMonitorText(std::size_t length) {
    std::string text;
    ScriptedPeer::WaitUntil([&] {
      text += uart_->TakeMonitorText();
      return text.size() >= length;
    });
    return text;
  }

  std::unique_ptr<ScriptedPeer> peer_;
  std::unique_ptr<CUart> uart_;
};

// What the device answers to each attempt of one request, and what the engine
// makes of it.
struct Exchange {
  const char* behaviour;
  Bytes request;
  std::vector<Bytes> answers;  // answer to attempt 1, 2; missing means silence
  std::size_t attempts;
  std::vector<Bytes> replies;
};

TEST_P(LinkEngine, CarriesEachRequestAsOneTransactionWithOneRetry) {
  const Bytes garbled_scan = {0xA5, 0x07, 0xF2, 0xFE, 0xE1, 0x13, 0x00,   // bad checksum
                              0xA5, 0x06, 0xF2, 0xFD, 0xE1, 0xD9};
  const Exchange cases[] = {
      {"answered at once", ReadStatus(2), {StatusReply(2)}, 1, {StatusReply(2)}},
      {"answered on the retry", ReadStatus(2), {{}, StatusReply(2)}, 2, {StatusReply(2)}},
      {"noise before the reply", ReadStatus(2), {Concat({{0x00, 0x13, 0xA5}, StatusReply(2)})}, 1,
       {StatusReply(2)}},
      {"silent device: one made-up status", ReadStatus(4), {}, 2, {MakeNoAnswerStatusReply(4)}},
      {"reply to another opcode is no reply",
       CommandFrame(FrameClass::kRequest, 2, 0x81).Finish(),
       {StatusReply(2), StatusReply(2)}, 2, {}},
      {"reply from another address is no reply",
       CommandFrame(FrameClass::kRequest, 2, 0xA1).Finish(),
       {CommandFrame(FrameClass::kReply, 3, 0xA1).Finish()}, 2, {}},
      {"garbled scan answers: a collision per attempt", ScanQuery(), {garbled_scan, garbled_scan}, 2,
       {MakeScanCollisionReply(), MakeScanCollisionReply()}},
      {"a few scan bytes: a collision per attempt", ScanQuery(), {{0xA5, 0x06, 0xF2}, {0x13}}, 2,
       {MakeScanCollisionReply(), MakeScanCollisionReply()}},
      {"silent scan: no collision", ScanQuery(), {}, 2, {}},
      {"one scan answer is delivered", ScanQuery(),
       {CommandFrame(FrameClass::kScan, 0xFF, 0xE1).Raw(Bytes{1, 2, 3, 4}).Finish()}, 1,
       {CommandFrame(FrameClass::kScan, 0xFF, 0xE1).Raw(Bytes{1, 2, 3, 4}).Finish()}},
      {"class 0xF3 is written once and never read", WriteGain(1, 500),
       {CommandFrame(FrameClass::kReply, 1, 0x21).Finish()}, 1, {}},
      {"StorePreset is written without a read", StorePreset(1),
       {CommandFrame(FrameClass::kReply, 1, 0x70).Finish()}, 1, {}},
  };

  for (const Exchange& c : cases) {
    SCOPED_TRACE(c.behaviour);
    Start();
    std::size_t attempt = 0;
    peer_->OnFrame([&c, attempt](const Bytes& frame) mutable -> Bytes {
      if (frame != c.request) return {};
      return attempt < c.answers.size() ? c.answers[attempt++] : Bytes{};
    });
    uart_->Enqueue(c.request);
    Drain();
    EXPECT_EQ(FramesBeforeSentinel(), std::vector<Bytes>(c.attempts, c.request));
    EXPECT_EQ(PopAllReplies(), c.replies);
  }
}

TEST_P(LinkEngine, TwoValuesOfOneParameterAreBothSentInOrder) {
  uart_->Enqueue(WriteGain(1, 100));
  uart_->Enqueue(WriteGain(1, 200));
  Drain();
  EXPECT_EQ(FramesBeforeSentinel(), (std::vector<Bytes>{WriteGain(1, 100), WriteGain(1, 200)}));
}

// Starts an upload of an empty file that waits for the device's 'C', so that the
// line stays paused until the test calls FinishUpload.
class HeldLine {
 public:
  HeldLine(CUart& uart, ScriptedPeer& peer) : uart_(uart), peer_(peer) {
    path_ = std::filesystem::temp_directory_path() /
            ("velmora-empty-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path_).close();
    EXPECT_TRUE(uart_.StartUpload(path_.string(), 1, UploadKind::kFirmware));
    EXPECT_TRUE(peer_.WaitForFrames(1));  // the mode command
    peer_.SetRaw([seen = std::size_t{0}](ByteView bytes, bool& back_to_frames) mutable -> Bytes {
      seen += bytes.size();
      if (seen == 133) return {0x06, 'C'};  // block 0 complete
      if (seen > 133) {                     // EOT
        back_to_frames = true;
        return {0x06};
      }
      return {};
    });
  }
  ~HeldLine() { std::filesystem::remove(path_); }

  int FinishUpload() {
    peer_.Send(Bytes{'C'});
    EXPECT_TRUE(ScriptedPeer::WaitUntil([&] { return !uart_.IsUploading(); }, std::chrono::seconds(10)));
    return uart_.upload_result();
  }

 private:
  CUart& uart_;
  ScriptedPeer& peer_;
  std::filesystem::path path_;
};

TEST_P(LinkEngine, FramesWaitWhileAnUploadOwnsTheLine) {
  HeldLine held(*uart_, *peer_);
  uart_->Enqueue(WriteGain(1, 100));
  uart_->Enqueue(WriteGain(2, 100));
  EXPECT_FALSE(uart_->IsSendQueueEmpty());

  EXPECT_EQ(held.FinishUpload(), upload_result::kSent);
  ASSERT_TRUE(peer_->WaitForFrames(3));
  const auto received = peer_->received();
  // Mode command, the upload's raw bytes, and only then the queued frames.
  ASSERT_GE(received.size(), 4u);
  EXPECT_TRUE(received.front().frame);
  EXPECT_FALSE(received[1].frame);
  EXPECT_EQ(received[received.size() - 2].bytes, WriteGain(1, 100));
  EXPECT_EQ(received.back().bytes, WriteGain(2, 100));
  for (std::size_t i = 1; i + 2 < received.size(); ++i) EXPECT_FALSE(received[i].frame);
}

TEST_P(LinkEngine, ADuplicateIsDroppedWhileQueuedAndQueuedAgainAfterSending) {
  {
    HeldLine held(*uart_, *peer_);
    uart_->Enqueue(WriteGain(1, 100));
    uart_->Enqueue(WriteGain(1, 100));
    uart_->Enqueue(WriteGain(1, 200));
    uart_->Enqueue(WriteGain(1, 100));
    EXPECT_EQ(held.FinishUpload(), upload_result::kSent);
  }
  ASSERT_TRUE(peer_->WaitForFrames(3));
  uart_->Enqueue(WriteGain(1, 100));
  Drain();
  const auto frames = FramesBeforeSentinel();
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(std::vector<Bytes>(frames.begin() + 1, frames.end()),
            (std::vector<Bytes>{WriteGain(1, 100), WriteGain(1, 200), WriteGain(1, 100)}));
}

TEST_P(LinkEngine, MonitorShowsBytesBetweenTransactionsAsTextOrHex) {
  peer_->Send(Bytes{'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(WaitForMonitorText(5), "hello");

  peer_->Send(Bytes{'o', 'k', 0x00, 'x'});  // text ends at the first zero byte
  EXPECT_EQ(WaitForMonitorText(2), "ok");

  uart_->SetHexMonitor(true);
  peer_->Send(Bytes{0xA5, 0x06, 0xF2, 0x00, 0x0E});
  EXPECT_EQ(WaitForMonitorText(16), "A5 06 F2 00 0E \n");
}

TEST_P(LinkEngine, TransactionBytesReachTheMonitorToo) {
  uart_->SetHexMonitor(true);
  peer_->OnFrame([](const Bytes& f) { return f == ReadStatus(1) ? StatusReply(1) : Bytes{}; });
  uart_->Enqueue(ReadStatus(1));
  EXPECT_EQ(WaitForMonitorText(40), "A5 0D F8 01 D0 01 02 03 04 05 06 07 F2 \n");
}

TEST_P(LinkEngine, ARemovedPortIsReportedOnceAndLaterFramesAreDropped) {
  peer_->Unplug();
  EXPECT_TRUE(ScriptedPeer::WaitUntil([&] { return uart_->TakePortRemoved(); }));
  EXPECT_FALSE(uart_->IsOpen());
  EXPECT_FALSE(uart_->TakePortRemoved());

  uart_->Enqueue(ReadStatus(1));
  EXPECT_TRUE(ScriptedPeer::WaitUntil([&] { return uart_->IsSendQueueEmpty(); }));
}

TEST_P(LinkEngine, ASecondOpenIsRefusedWithoutTouchingTheFirst) {
  EXPECT_EQ(uart_->Open("other", 9600).error, PortError::kAlreadyOpen);
  EXPECT_TRUE(uart_->IsOpen());
  uart_->Enqueue(WriteGain(1, 1));
  EXPECT_TRUE(peer_->WaitForFrames(1));
}

TEST_P(LinkEngine, DestroyingTheEngineEndsAWaitingUploadAtOnce) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("velmora-wait-" + std::to_string(::getpid()) + ".bin");
  std::ofstream(path) << "x";
  ASSERT_TRUE(uart_->StartUpload(path.string(), 1, UploadKind::kParameters));
  ASSERT_TRUE(peer_->WaitForFrames(1));
  EXPECT_EQ(peer_->frames().front(), CommandFrame(FrameClass::kWrite, 1, 0xD6).Finish());
  uart_.reset();  // would wait about 15 s for a 'C' if teardown did not cut the wait short
  std::filesystem::remove(path);
}

TEST_P(LinkEngine, AnUploadWithNoPortOpenEndsWithTheModeCommandFailure) {
  uart_->Close();
  const auto path = std::filesystem::temp_directory_path() /
                    ("velmora-closed-" + std::to_string(::getpid()) + ".bin");
  std::ofstream(path) << "x";
  ASSERT_TRUE(uart_->StartUpload(path.string(), 1, UploadKind::kFirmware));
  EXPECT_TRUE(ScriptedPeer::WaitUntil([&] { return !uart_->IsUploading(); }));
  EXPECT_EQ(uart_->upload_result(), upload_result::kModeCommandFailed);
  std::filesystem::remove(path);
}

TEST_P(LinkEngine, AnUploadOfAMissingFileDoesNotStart) {
  EXPECT_FALSE(uart_->StartUpload("/nonexistent/velmora.bin", 1, UploadKind::kFirmware));
  EXPECT_EQ(uart_->upload_result(), upload_result::kFileNotOpened);
  EXPECT_FALSE(uart_->IsUploading());
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkEngine,
                         ::testing::Values(Transport{"FakePort", &testing::MakeFakePeer},
                                           Transport{"Pty", &testing::MakePtyPeer}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
