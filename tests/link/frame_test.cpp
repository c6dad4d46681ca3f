#include "link/crc16.h"
#include "link/frame.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(FrameChecksum, SumsLengthThroughPayload) {
  struct Case { Bytes frame; std::uint8_t expected; };
  const Case cases[] = {
      {{0xA5, 0x06, 0xF2, 0x00, 0xE3, 0x00}, 0xDB},
      {{0xA5, 0x06, 0xF2, 0x00, 0xE1, 0x00}, 0xD9},
      {{0xA5, 0x06, 0xF2, 0x00, 0xEF, 0x00}, 0xE7},
      {{0x5A, 0x06, 0xF2, 0x00, 0xEF, 0x00}, 0x00},  // wrong header
      {{}, 0x00},
      {{0xA5, 0x40, 0x01, 0x02, 0x03}, 0x43},  // length beyond the buffer: only what is there
  };
  for (const Case& c : cases) EXPECT_EQ(FrameChecksum(c.frame), c.expected);
}

TEST(CommandFrame, FillsLengthAndChecksum) {
  const Bytes status = CommandFrame(FrameClass::kRequest, 1, 0xD0).Le16(0).Finish();
  EXPECT_EQ(status, (Bytes{0xA5, 0x08, 0xF7, 0x01, 0xD0, 0x00, 0x00, 0xD0}));

  const Bytes be = CommandFrame(FrameClass::kPinkNoise, 2, 0x10).Be16(0x1234).Le32(0xA1B2C3D4).Finish();
  EXPECT_EQ(Bytes(be.begin() + 5, be.end() - 1), (Bytes{0x12, 0x34, 0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST(CommandFrame, PayloadBeyondTheLengthFieldIsCut) {
  CommandFrame frame(FrameClass::kWrite, 1, 0x01);
  for (int i = 0; i < 300; ++i) frame.Byte(static_cast<std::uint8_t>(i));
  const Bytes bytes = frame.Finish();
  EXPECT_TRUE(frame.overflowed());
  EXPECT_EQ(bytes.size(), kMaxFrameLength);
  EXPECT_EQ(bytes[kOffLength], 0xFF);
  EXPECT_EQ(bytes.back(), FrameChecksum(bytes));
}

TEST(MadeUpReplies, HaveTheFixedBytes) {
  EXPECT_EQ(MakeScanCollisionReply(), (Bytes{0xA5, 0x06, 0xF2, 0x00, 0xE3, 0xDB}));
  const Bytes status = MakeNoAnswerStatusReply(3);
  ASSERT_EQ(status.size(), 13u);
  EXPECT_EQ(Bytes(status.begin(), status.begin() + 11),
            (Bytes{0xA5, 0x0D, 0xF8, 0x03, 0xD0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(status.back(), FrameChecksum(status));
}

const Bytes kGoodReply = CommandFrame(FrameClass::kReply, 2, 0xD0).Byte(1).Byte(2).Finish();
const Bytes kScanReply = CommandFrame(FrameClass::kScan, 0xFF, 0xE1).Raw(Bytes(8, 0x11)).Finish();

TEST(FindReply, SearchRules) {
  Bytes badChecksum = kGoodReply;
  badChecksum.back() ^= 0x01;
  Bytes shortLength = {0xA5, 0x04, 0xF8, 0xFC, 0x00, 0x00};  // sums up, but holds no opcode

  struct Case { const char* name; Bytes read; std::optional<std::size_t> at; };
  const Case cases[] = {
      {"reply alone", kGoodReply, 0},
      {"noise then reply", Concat({{0x00, 0x13, 0xA5, 0x77}, kGoodReply}), 4},
      {"0xA5 with a foreign class is skipped", Concat({{0xA5, 0x06, 0xF7}, kGoodReply}), 3},
      {"bad checksum stops the search", Concat({badChecksum, kGoodReply}), std::nullopt},
      {"length past the end is skipped", Concat({{0xA5, 0xF0, 0xF8}, kGoodReply}), 3},
      {"scan class accepted", kScanReply, 0},
      {"fewer than six bytes", {0xA5, 0x05, 0xF8, 0x01, 0xD0}, std::nullopt},
      {"length below a frame", shortLength, std::nullopt},
      {"nothing but noise", Bytes(40, 0x55), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(FindReply(c.read), c.at) << c.name;
}

TEST(FindReply, StreamCutAtEveryOffsetNeverYieldsAPartialFrame) {
  const Bytes stream = Concat({{0x00, 0xA5}, kGoodReply});
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    const ByteView head(stream.data(), cut);
    const auto reply = ExtractReply(head);
    if (cut == stream.size())
      EXPECT_EQ(reply, kGoodReply);
    else
      EXPECT_FALSE(reply.has_value()) << "cut at " << cut;
  }
}

TEST(ReplyMatches, ClassDecidesWhatIsCompared) {
  const Bytes broadcast = CommandFrame(FrameClass::kScan, 0, 0xE1).Finish();
  const Bytes statusTo2 = CommandFrame(FrameClass::kRequest, 2, 0xD0).Finish();
  const Bytes gainTo2 = CommandFrame(FrameClass::kRequest, 2, 0xD1).Finish();
  const Bytes statusTo3 = CommandFrame(FrameClass::kRequest, 3, 0xD0).Finish();

  EXPECT_TRUE(ReplyMatches(broadcast, kScanReply));        // 0xFF is ~0, opcode ignored
  EXPECT_TRUE(ReplyMatches(statusTo2, kGoodReply));
  EXPECT_FALSE(ReplyMatches(gainTo2, kGoodReply));         // other opcode
  EXPECT_FALSE(ReplyMatches(statusTo3, kGoodReply));       // other address
  EXPECT_FALSE(ReplyMatches(statusTo2, kScanReply));       // ~0xFF is 0, not 2
}

TEST(Crc16, XmodemCheckValues) {
  const std::string digits = "123456789";
  EXPECT_EQ(Crc16({reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()}), 0x31C3);
  EXPECT_EQ(Crc16(Bytes(128, 0)), 0);
}

}  // namespace
}  // namespace velmora
