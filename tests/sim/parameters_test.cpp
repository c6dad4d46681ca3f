// Reads answer from the device's store and writes change it, in the wire
// form the console encodes and decodes (written here from the wire tables).
#include <functional>

#include "line_fixture.h"

namespace velmora::sim {
namespace {

using testing::FixedFrame;
using testing::Frame;
using testing::LineFixture;
using testing::U16;

constexpr std::uint8_t kRead = 0xF7, kWrite = 0xF3;

class Parameters : public LineFixture {};

TEST_F(Parameters, EachReadReturnsTheStoresValuesInTheConsolesEncoding) {
  ParameterSet& p = params();
  p.inputs[2].gain = -6000;
  p.inputs[2].mute = true;
  p.outputs[5].gain = 450;
  p.outputs[3].mute = true;
  p.inputs[1].eq[17] = EqBand{true, -350, 2500, 141, 0};
  p.outputs[4].eq[3] = EqBand{false, 1200, 40, 12800, 7};
  p.inputs[6].gate_enable = true;
  p.inputs[6].gate_start = -60;
  p.inputs[6].gate_release = -70;
  p.inputs[0].delay_enable = true;
  p.inputs[0].delay = 2205;
  p.outputs[7].delay = 441;
  p.inputs[3].polarity = true;
  p.outputs[1].polarity = true;
  p.inputs[5].route_enable = {true, false, true, false, false, false, false, true};
  p.inputs[5].route_level[2] = 80;
  p.outputs[2].filters[0] = Filter{true, 2, 5, 120};
  p.outputs[2].filters[1] = Filter{false, 1, 6, 15000};
  p.outputs[6].limiter_enable = true;
  p.outputs[6].limiter_threshold = -12;
  p.outputs[6].limiter_release = 200;
  p.outputs[0].compressor_enable = true;
  p.outputs[0].compressor_threshold = 205;  // the console's -20.5 dB with no offset
  p.outputs[0].compressor_ratio_x10 = 45;
  p.outputs[0].compressor_attack = 30;
  p.outputs[0].compressor_release = 900;
  device().store().Rename(4, "Stage monitor");

  struct Row {
    const char* what;
    Bytes request;
    std::size_t length;
    std::function<void(const Bytes&)> check;
  };
  const Row rows[] = {
      {"ReadInputGain", Frame(kRead, 1, 0x80, {2, 2}), 11, [](const Bytes& r) {
         EXPECT_NE(r[6], 0);
         ASSERT_NE(r[7], 0);
         EXPECT_EQ(static_cast<std::int16_t>(U16(r, 8)) * 10 - 20000, -6000);
       }},
      {"ReadOutputGains", Frame(kRead, 1, 0xA0), 25, [](const Bytes& r) {
         EXPECT_EQ(r[6], 1 << 3);
         ASSERT_TRUE(r[7] & 1);
         EXPECT_EQ((U16(r, 8 + 2 * 5) - 2000) * 10, 450);
         EXPECT_EQ((U16(r, 8) - 2000) * 10, 0);
       }},
      {"ReadInputEq, bands 16..31", Frame(kRead, 1, 0x81, {1, 1, 16, 31}), 166, [](const Bytes& r) {
         const std::size_t b = 5 + 10 * (17 - 16);
         EXPECT_EQ(r[b], 1);
         EXPECT_EQ(r[b + 2], 1);
         EXPECT_EQ(U16(r, b + 3) - 25600, -350);
         EXPECT_EQ(U16(r, b + 5), 2500);
         EXPECT_EQ(U16(r, b + 7), 141);
         EXPECT_EQ(r[b + 9], 0);  // peaking: the console stores 1
       }},
      {"ReadOutputEq, bands 0..15", Frame(kRead, 1, 0xA1, {4, 4, 0, 15}), 166, [](const Bytes& r) {
         const std::size_t b = 5 + 10 * 3;
         EXPECT_EQ(r[b + 2], 0);
         EXPECT_EQ(U16(r, b + 3) - 25600, 1200);
         EXPECT_EQ(U16(r, b + 5), 40);
         EXPECT_EQ(U16(r, b + 7), 12800);
         EXPECT_EQ(r[b + 9], 7);
         EXPECT_EQ(U16(r, 5 + 5), 20);  // band 0 keeps its factory centre
       }},
      {"ReadNoiseGate", Frame(kRead, 1, 0x83, {6, 6}), 10, [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(r[7] - 200, -60);
         EXPECT_EQ(r[8] - 200, -70);
       }},
      {"ReadInputDelay", Frame(kRead, 1, 0x84, {0, 0}), 10, [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(U16(r, 7), 2205);
       }},
      {"ReadOutputDelay", Frame(kRead, 1, 0xA3, {7, 7}), 10, [](const Bytes& r) {
         EXPECT_EQ(r[5], 7);
         EXPECT_EQ(r[6], 0);
         EXPECT_EQ(U16(r, 7), 441);
       }},
      {"ReadInputPolarity", Frame(kRead, 1, 0x85, {3, 3}), 9, [](const Bytes& r) { EXPECT_NE(r[7], 0); }},
      {"ReadOutputPolarity", Frame(kRead, 1, 0xA4, {1, 1}), 9, [](const Bytes& r) { EXPECT_NE(r[7], 0); }},
      {"ReadMatrixRow", Frame(kRead, 1, 0x90, {5, 5}), 25, [](const Bytes& r) {
         EXPECT_EQ(r[6], 0b01111010);  // bit set: route off
         EXPECT_EQ(r[7] & 1, 0);
         EXPECT_EQ(U16(r, 8 + 2 * 2), 80);
         EXPECT_EQ(U16(r, 8 + 2 * 5), 100);
       }},
      {"ReadOutputFilter, high-pass", Frame(kRead, 1, 0xA2, {2, 2, 0}), 12, [](const Bytes& r) {
         EXPECT_EQ(r[6], 2);
         EXPECT_EQ(r[7], 1);
         EXPECT_EQ(r[8] >> 4, 2);
         EXPECT_EQ((r[8] & 0x0E) + 1, 5);
         EXPECT_EQ(U16(r, 9), 120);
       }},
      {"ReadOutputFilter, low-pass", Frame(kRead, 1, 0xA2, {2, 2, 1}), 12, [](const Bytes& r) {
         EXPECT_EQ(r[7], 0);
         EXPECT_EQ(r[8] >> 4, 1);
         EXPECT_EQ((r[8] >> 1) & 7, 6);
         EXPECT_EQ(U16(r, 9), 15000);
       }},
      {"ReadLimiter", Frame(kRead, 1, 0xA6, {6, 6}), 11, [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(static_cast<std::int8_t>(r[7]), -12);
         EXPECT_EQ(U16(r, 8), 200);
       }},
      {"ReadCompressor", Frame(kRead, 1, 0xA9, {0, 0}), 17, [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(U16(r, 7), 30);
         EXPECT_EQ(U16(r, 9), 900);
         EXPECT_EQ(-U16(r, 11), -205);
         EXPECT_EQ(U16(r, 13) / 10, 4);
       }},
      {"ReadPresetName", Frame(kRead, 1, 0xD7, {4}), 27, [](const Bytes& r) {
         EXPECT_EQ(NameFromField(ByteView(r.data() + 6, 20)), "Stage monitor");
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const auto reply = Request(row.request);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), row.length);
    EXPECT_EQ((*reply)[2], 0xF8);
    EXPECT_EQ((*reply)[3], 1);
    EXPECT_EQ((*reply)[4], row.request[4]);
    row.check(*reply);
  }
}

TEST_F(Parameters, EachWriteChangesTheStoreSoThatTheMatchingReadReturnsIt) {
  struct Row {
    const char* what;
    Bytes write;
    Bytes read;
    std::function<void(const Bytes&)> check;
  };
  // g(x) = x / 10 + 2000 for the gain fields.
  const int g_minus_15 = -15 / 10 + 2000, g_minus_6000 = -6000 / 10 + 2000, g_300 = 300 / 10 + 2000;
  Bytes all_gains = FixedFrame(kWrite, 1, 0x0F, 27, {{5, 0x0A}, {6, 0b00000100}, {7, 1}, {24, 4}});
  for (int i = 0; i < 8; ++i) {
    const int g = i == 1 ? g_300 : 2000;
    all_gains[8 + 2 * i] = static_cast<std::uint8_t>(g);
    all_gains[9 + 2 * i] = static_cast<std::uint8_t>(g >> 8);
  }
  all_gains.back() = FrameChecksum(all_gains);
  Bytes all_delays = FixedFrame(kWrite, 1, 0x10, 24, {{5, 0x0A}, {6, 0b10}, {9, 0x10}, {10, 0x01}});

  const Row rows[] = {
      {"WriteGains, one input", FixedFrame(kWrite, 1, 0x0F, 27, {{5, 3}, {6, 1}, {7, 1}, {8, g_minus_6000 & 0xFF}, {9, g_minus_6000 >> 8}, {10, 0x50}, {11, 0x05}, {24, 4}}),
       Frame(kRead, 1, 0x80, {3, 3}), [](const Bytes& r) {
         EXPECT_NE(r[6], 0);
         EXPECT_EQ(static_cast<std::int16_t>(U16(r, 8)) * 10 - 20000, -6000);
       }},
      {"WriteGains, one input, truncating", FixedFrame(kWrite, 1, 0x0F, 27, {{5, 0}, {7, 1}, {8, g_minus_15 & 0xFF}, {9, g_minus_15 >> 8}, {24, 4}}),
       Frame(kRead, 1, 0x80, {0, 0}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 0);
         EXPECT_EQ(U16(r, 8), 1999);
       }},
      {"WriteGains, all outputs", all_gains, Frame(kRead, 1, 0xA0), [](const Bytes& r) {
         EXPECT_EQ(r[6], 0b100);
         EXPECT_EQ((U16(r, 10) - 2000) * 10, 300);
       }},
      {"WriteMatrixRow", FixedFrame(kWrite, 1, 0x0F, 27, {{5, 4}, {6, 0b11111101}, {7, 0x80}, {10, 70}, {24, 4}}),
       Frame(kRead, 1, 0x90, {4, 4}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 0b11111101);
         EXPECT_EQ(U16(r, 10), 70);
       }},
      {"WriteDelay, one input", FixedFrame(kWrite, 1, 0x10, 24, {{5, 2}, {6, 1}, {7, 0x34}, {8, 0x02}}),
       Frame(kRead, 1, 0x84, {2, 2}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(U16(r, 7), 0x234);
       }},
      {"WriteDelay, all outputs", all_delays, Frame(kRead, 1, 0xA3, {1, 1}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(U16(r, 7), 0x110);
       }},
      {"WriteEqBand, input", FixedFrame(kWrite, 1, 0x0A, 18, {{5, 2 * 6 + 1}, {6, 30}, {7, 1}, {8, (25600 + 600) & 0xFF}, {9, (25600 + 600) >> 8}, {10, 0x10}, {11, 0x27}, {12, 200}, {14, 1}, {16, 6}}),
       Frame(kRead, 1, 0x81, {6, 6, 16, 31}), [](const Bytes& r) {
         const std::size_t b = 5 + 10 * (30 - 16);
         EXPECT_EQ(r[b + 2], 1);
         EXPECT_EQ(U16(r, b + 3) - 25600, 600);
         EXPECT_EQ(U16(r, b + 5), 10000);
         EXPECT_EQ(U16(r, b + 7), 200);
         EXPECT_EQ(r[b + 9], 6);
       }},
      {"WriteEqBand, outputs by mask", FixedFrame(kWrite, 1, 0x0A, 18, {{5, 21}, {6, 2}, {8, 25600 & 0xFF}, {9, 25600 >> 8}, {10, 31}, {12, 100}, {14, 0b1000}, {16, 0}}),
       Frame(kRead, 1, 0xA1, {3, 3, 0, 15}), [](const Bytes& r) {
         EXPECT_EQ(U16(r, 5 + 20 + 5), 31);
         EXPECT_EQ(r[5 + 20 + 9], 0);
       }},
      {"WriteNoiseGate", FixedFrame(kWrite, 1, 0x12, 11, {{5, 1}, {6, 7}, {7, 200 - 45}, {8, 200 - 50}, {9, 0xFF}}),
       Frame(kRead, 1, 0x83, {7, 7}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(r[7] - 200, -45);
         EXPECT_EQ(r[8] - 200, -50);
       }},
      {"WritePolarity, one input", FixedFrame(kWrite, 1, 0x1A, 16, {{5, 1}, {6, 5}, {7, 0xB4}}),
       Frame(kRead, 1, 0x85, {5, 5}), [](const Bytes& r) { EXPECT_NE(r[7], 0); }},
      {"WritePolarity, all outputs", FixedFrame(kWrite, 1, 0x1A, 16, {{5, 0b01000000}, {6, 0x0A}, {13, 0xB4}}),
       Frame(kRead, 1, 0xA4, {6, 6}), [](const Bytes& r) { EXPECT_NE(r[7], 0); }},
      {"WriteHighPass, type 2 slope 7 enabled", FixedFrame(kWrite, 1, 0x1B, 12, {{5, 1}, {6, 0x0A}, {7, 4}, {8, 0x27}, {9, 80}}),
       Frame(kRead, 1, 0xA2, {4, 4, 0}), [](const Bytes& r) {
         EXPECT_EQ(r[7], 1);
         EXPECT_EQ(r[8] >> 4, 2);
         EXPECT_EQ((r[8] & 0x0E) + 1, 7);
         EXPECT_EQ(U16(r, 9), 80);
       }},
      {"WriteLowPass, type 2 slope 3 enabled", FixedFrame(kWrite, 1, 0x1C, 12, {{5, 1}, {6, 0x0A}, {7, 4}, {8, 0x22}, {9, 0x20}, {10, 0x4E}}),
       Frame(kRead, 1, 0xA2, {4, 4, 1}), [](const Bytes& r) {
         EXPECT_EQ(r[8] >> 4, 2);
         EXPECT_EQ((r[8] & 0x0E) + 1, 3);
         EXPECT_EQ(U16(r, 9), 20000);
       }},
      {"WriteLowPass, type 1 slope 4", FixedFrame(kWrite, 1, 0x1C, 12, {{5, 1}, {6, 0x0A}, {7, 5}, {8, 0x18}, {9, 0xE8}, {10, 0x03}}),
       Frame(kRead, 1, 0xA2, {5, 5, 1}), [](const Bytes& r) {
         EXPECT_EQ(r[8] >> 4, 1);
         EXPECT_EQ((r[8] >> 1) & 7, 4);
       }},
      {"WriteLimiter", FixedFrame(kWrite, 1, 0x1F, 12, {{5, 0x0A}, {6, 1}, {7, 1 << 3}, {8, -8 + 200}, {9, 150}}),
       Frame(kRead, 1, 0xA6, {3, 3}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(static_cast<std::int8_t>(r[7]), -8);
         EXPECT_EQ(U16(r, 8), 150);
       }},
      {"WriteCompressor", FixedFrame(kWrite, 1, 0x29, 18, {{5, 0x0A}, {6, 1}, {7, 1 << 2}, {8, 25}, {10, 0xE8}, {11, 0x03}, {12, 150}, {14, 40}}),
       Frame(kRead, 1, 0xA9, {2, 2}), [](const Bytes& r) {
         EXPECT_EQ(r[6], 1);
         EXPECT_EQ(U16(r, 7), 25);
         EXPECT_EQ(U16(r, 9), 1000);
         EXPECT_EQ(-U16(r, 11), -150);
         EXPECT_EQ(U16(r, 13) / 10, 4);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Write(row.write);
    const auto reply = Request(row.read);
    ASSERT_TRUE(reply);
    row.check(*reply);
  }
}

TEST_F(Parameters, WriteDeviceNameIsAnsweredWithScanClassAndTheComplementedAddress) {
  CommandFrame rename(FrameClass::kScan, 1, 0xE6);
  const std::string name = "Balcony delay line 2";  // exactly 20 characters, no terminator
  rename.Raw(ByteView(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
  const auto reply = Request(rename.Finish());
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)[2], 0xF2);
  EXPECT_EQ((*reply)[3], static_cast<std::uint8_t>(~1));
  EXPECT_EQ(device().name(), name);
}

TEST_F(Parameters, PresetsStoreRecallAndRename) {
  params().inputs[0].gain = -1230;
  Write(Frame(kRead, 1, 0x70, {5}));  // StorePreset: written, nothing read
  params().inputs[0].gain = 0;

  const auto recalled = Request(Frame(kRead, 1, 0x71, {5}));
  ASSERT_TRUE(recalled);
  EXPECT_EQ((*recalled)[5], 5);
  EXPECT_EQ(params().inputs[0].gain, -1230);

  const auto status = Request(Frame(kRead, 1, 0xD0, {0}));
  ASSERT_TRUE(status);
  EXPECT_EQ((*status)[5], 5);  // the current preset

  Bytes rename = FixedFrame(kWrite, 1, 0xD7, 27, {{5, 5}});
  const std::string name = "Wedding, evening set";  // 20 characters: the 20th is not kept
  std::copy(name.begin(), name.begin() + 19, rename.begin() + 6);
  rename.back() = FrameChecksum(rename);
  Write(rename);
  const auto read = Request(Frame(kRead, 1, 0xD7, {5}));
  ASSERT_TRUE(read);
  EXPECT_EQ(NameFromField(ByteView(read->data() + 6, 20)), name.substr(0, 19));

  // Slot 0 is the factory set-up: recalling it resets, storing over it is refused.
  Write(Frame(kRead, 1, 0x70, {0}));
  ASSERT_TRUE(Request(Frame(kRead, 1, 0x71, {0})));
  EXPECT_EQ(params(), ParameterSet::Factory());
}

TEST_F(Parameters, EffectsBlocksAreDeterministicAndSizedByTheOption) {
  const auto first = Request(Frame(kRead, 1, 0xD6, {3, 0, 0xFF}));
  const auto again = Request(Frame(kRead, 1, 0xD6, {3, 0, 0xFF}));
  const auto other = Request(Frame(kRead, 1, 0xD6, {4, 0, 0xFF}));
  ASSERT_TRUE(first && again && other);
  EXPECT_EQ(first->size(), 8u + 64u);
  EXPECT_EQ(*first, *again);
  EXPECT_NE(Bytes(first->begin() + 7, first->end() - 1), Bytes(other->begin() + 7, other->end() - 1));
  EXPECT_FALSE(Request(Frame(kRead, 1, 0xD6, {64, 0, 0xFF})));  // past the last block
}

TEST_F(Parameters, NoiseAndBadChecksumsAreSkippedAndTheNextFrameIsAnswered) {
  Bytes good = Frame(kRead, 1, 0x84, {0, 0});
  Bytes bad = good;
  bad.back() ^= 1;
  Bytes stream = {0x00, 0xA5, 0x02, 0x13, 0xA5};  // noise, a too-short length, a stray header
  stream.insert(stream.end(), bad.begin(), bad.end());
  stream.insert(stream.end(), good.begin(), good.end());
  wire_->Write(stream);
  wire_->SleepUntil(wire_->Now() + 100 * kMillis);
  const Bytes read = wire_->Read(256);
  const auto reply = ExtractReply(read);
  ASSERT_TRUE(reply);
  EXPECT_TRUE(ReplyMatches(good, *reply));
  EXPECT_EQ(read.size(), reply->size());  // answered once: the bad frame got nothing

  // A header whose frame never completes is given up after a pause.
  wire_->Write(Bytes{0xA5, 0x40, 0xF7});
  wire_->SleepUntil(wire_->Now() + 50 * kMillis);
  EXPECT_TRUE(Request(good));
}

}  // namespace
}  // namespace velmora::sim
