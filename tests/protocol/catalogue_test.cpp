#include "protocol/catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::protocol {
namespace {

Bytes Payload(const Bytes& frame) { return Bytes(frame.begin() + 5, frame.end() - 1); }

// A device's reply: class 0xF8, the request's address and opcode, the payload.
Bytes Reply(std::uint8_t opcode, const Bytes& payload, std::uint8_t address = 1) {
  return CommandFrame(FrameClass::kReply, address, opcode).Raw(payload).Finish();
}

void PutU16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}

DeviceRecord Device() { return DeviceRecord(1, std::nullopt, 8, 8, "dev"); }

TEST(Catalogue, EveryFrameHasItsLengthClassOpcodeAndChecksum) {
  const DeviceRecord r = Device();
  const ProgramSettings s;
  struct Case {
    const char* name;
    Bytes frame;
    std::size_t len;
    FrameClass cls;
    std::uint8_t opcode;
  };
  const Case cases[] = {
      {"ScanBegin", ScanBegin(), 6, FrameClass::kScan, 0xEF},
      {"ScanQuery", ScanQuery(), 6, FrameClass::kScan, 0xE1},
      {"ScanCollision", ScanCollision(), 6, FrameClass::kScan, 0xE3},
      {"AssignAddress", AssignAddress(1, ChipId{}), 15, FrameClass::kScan, 0xE4},
      {"WriteDeviceName", WriteDeviceName(1, "x"), 26, FrameClass::kScan, 0xE6},
      {"BeginFirmwareUpload", BeginFirmwareUpload(1), 6, FrameClass::kWrite, 0xD0},
      {"BeginParameterUpload", BeginParameterUpload(1), 6, FrameClass::kWrite, 0xD6},
      {"ReadInputGain", ReadInputGain(1, 0), 8, FrameClass::kRequest, 0x80},
      {"ReadOutputGains", ReadOutputGains(1), 6, FrameClass::kRequest, 0xA0},
      {"ReadInputEq", ReadInputEq(1, 0, 0), 10, FrameClass::kRequest, 0x81},
      {"ReadOutputEq", ReadOutputEq(1, 0, 16), 10, FrameClass::kRequest, 0xA1},
      {"ReadNoiseGate", ReadNoiseGate(1, 0), 8, FrameClass::kRequest, 0x83},
      {"ReadInputDelay", ReadInputDelay(1, 0), 8, FrameClass::kRequest, 0x84},
      {"ReadOutputDelay", ReadOutputDelay(1, 0), 8, FrameClass::kRequest, 0xA3},
      {"ReadInputPolarity", ReadInputPolarity(1, 0), 8, FrameClass::kRequest, 0x85},
      {"ReadOutputPolarity", ReadOutputPolarity(1, 0), 8, FrameClass::kRequest, 0xA4},
      {"ReadMatrixRow", ReadMatrixRow(1, 0), 8, FrameClass::kRequest, 0x90},
      {"ReadOutputFilter", ReadOutputFilter(1, 0, 1), 9, FrameClass::kRequest, 0xA2},
      {"ReadLimiter", ReadLimiter(1, 0), 8, FrameClass::kRequest, 0xA6},
      {"ReadCompressor", ReadCompressor(1, 0), 8, FrameClass::kRequest, 0xA9},
      {"ReadPresetName", ReadPresetName(1, 0), 7, FrameClass::kRequest, 0xD7},
      {"ReadStatus", ReadStatus(1), 7, FrameClass::kRequest, 0xD0},
      {"ReadEffectsBlock", ReadEffectsBlock(1, 0x0102), 9, FrameClass::kRequest, 0xD6},
      {"StorePreset", *StorePreset(1, 3), 7, FrameClass::kRequest, 0x70},
      {"RecallPreset", *RecallPreset(1, 0), 7, FrameClass::kRequest, 0x71},
      {"WritePresetName", *WritePresetName(r, 16), 27, FrameClass::kWrite, 0xD7},
      {"WriteGains input", *WriteGains(r, 0, 0), 27, FrameClass::kWrite, 0x0F},
      {"WriteGains outputs", *WriteGains(r, 1, 5), 27, FrameClass::kWrite, 0x0F},
      {"WriteMatrixRow", *WriteMatrixRow(r, 7), 27, FrameClass::kWrite, 0x0F},
      {"WriteDelay input", *WriteDelay(r, 0, 1), 24, FrameClass::kWrite, 0x10},
      {"WriteDelay outputs", *WriteDelay(r, 1, 0), 24, FrameClass::kWrite, 0x10},
      {"WriteEqBand", *WriteEqBand(r, 1, 7, 30), 18, FrameClass::kWrite, 0x0A},
      {"WriteNoiseGate", *WriteNoiseGate(r, 0, s), 11, FrameClass::kWrite, 0x12},
      {"WritePolarity input", *WritePolarity(r, 0, 0), 16, FrameClass::kWrite, 0x1A},
      {"WritePolarity outputs", *WritePolarity(r, 1, 0), 16, FrameClass::kWrite, 0x1A},
      {"WriteHighPass", *WriteHighPass(r, 0), 12, FrameClass::kWrite, 0x1B},
      {"WriteLowPass", *WriteLowPass(r, 0), 12, FrameClass::kWrite, 0x1C},
      {"WriteLimiter", *WriteLimiter(r, 0, s), 12, FrameClass::kWrite, 0x1F},
      {"WriteCompressor", *WriteCompressor(r, 0, s), 18, FrameClass::kWrite, 0x29},
      {"PinkNoise", *PinkNoise(1, 0, true, s), 18, FrameClass::kPinkNoise, 0x01},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.frame.size(), c.len);
    EXPECT_EQ(c.frame[0], 0xA5);
    EXPECT_EQ(c.frame[1], c.len);
    EXPECT_EQ(c.frame[2], static_cast<std::uint8_t>(c.cls));
    EXPECT_EQ(c.frame[4], c.opcode);
    EXPECT_EQ(c.frame.back(), FrameChecksum(c.frame));
  }
}

TEST(Catalogue, WorkedCasesOfTheWireTables) {
  const ProgramSettings settings;

  // Gain -6000 on input 2 of an 8-input device.
  DeviceRecord r = Device();
  r.gain[0][2] = -6000;
  const Bytes gains = *WriteGainsOneInput(r, 2);
  EXPECT_EQ(Payload(gains), (Bytes{0x02, 0x00, 0x01, 0x78, 0x05,  // [5..9]
                                   0x50, 0x05, 0x50, 0x05, 0x50, 0x05, 0x50,
                                   0x05, 0x50, 0x05, 0x50, 0x05, 0x50, 0x05,  // slots 1..7
                                   0x04, 0x00}));
  // The gain field truncates toward zero.
  EXPECT_EQ(GainField(-15), 1999);
  EXPECT_EQ(GainField(15), 2001);

  // ReadInputGain, both formats.
  Bytes wide = Reply(0xA0 - 0x20, {0x03, 0x01, 0x01, 0, 0});
  PutU16(wide, 8, 1400);
  ASSERT_EQ(ApplyInputGain(r, wide), ReplyCheck::kApplied);
  EXPECT_EQ(r.gain[0][3], -6000);
  EXPECT_TRUE(r.mute[0][3]);
  ASSERT_EQ(ApplyInputGain(r, Reply(0x80, {0x04, 0x00, 0x00, 90, 0})), ReplyCheck::kApplied);
  EXPECT_EQ(r.gain[0][4], -640);

  // EQ types: 2 goes out as code 6 with the gain field 24400; 1 as 0.
  r.SetEqualizerType(0, 1, 4, 2);
  r.SetEqualizerGain(0, 1, 4, 900);
  const Bytes shelf = *WriteEqBand(r, 0, 1, 4);
  EXPECT_EQ(shelf[5], 3);  // 2c+1
  EXPECT_EQ(shelf[6], 4);
  EXPECT_EQ(shelf[8] | shelf[9] << 8, 24400);
  EXPECT_EQ(shelf[14], 0x01);
  EXPECT_EQ(shelf[16], 6);
  r.SetEqualizerGain(1, 5, 0, -300);
  r.SetEqualizerEnable(1, 5, 0, true);
  const Bytes peak = *WriteEqBand(r, 1, 5, 0);
  EXPECT_EQ(Payload(peak), (Bytes{21, 0, 1, 0xD4, 0x62 /* 25300 */, 20, 0, 100, 0, 1 << 5, 0, 0}));

  // An EQ reply: clamped frequency and Q, type 0 stored as 1; band 31 dropped.
  Bytes eq(160, 0);
  for (int k = 0; k < 16; ++k) {
    Bytes::iterator rec = eq.begin() + 10 * k;
    rec[0] = 6;  // channel
    rec[2] = 1;
    PutU16(eq, 10 * k + 3, static_cast<std::uint16_t>(25600 + k));
    PutU16(eq, 10 * k + 5, 5);
    PutU16(eq, 10 * k + 7, 20000);
    rec[9] = k == 1 ? 0xFF : k == 2 ? 7 : 0;
  }
  DeviceRecord e = Device();
  ASSERT_EQ(ApplyOutputEq(e, Reply(0xA1, eq), 16), ReplyCheck::kApplied);
  EXPECT_EQ(e.EqualizerFrequence(1, 6, 16), 20);
  EXPECT_EQ(e.EqualizerQ(1, 6, 16), 12800);
  EXPECT_EQ(e.EqualizerType(1, 6, 16), 1);
  EXPECT_EQ(e.EqualizerType(1, 6, 17), 1);
  EXPECT_EQ(e.EqualizerType(1, 6, 18), 7);
  EXPECT_EQ(e.EqualizerGain(1, 6, 30), 14);
  EXPECT_TRUE(e.EqualizerEnable(1, 6, 30));
  EXPECT_EQ(e.EqualizerGain(0, 6, 16), 0);  // the input side is untouched

  // Compressor ratio 4 goes out as 40; a reply ratio of 45 stores 4.
  r.compressor_ratio[2] = 4;
  const Bytes comp = *WriteCompressor(r, 2, settings);
  EXPECT_EQ(comp[14] | comp[15] << 8, 40);
  Bytes comp_reply(11, 0);
  comp_reply[0] = 2;
  PutU16(comp_reply, 8, 45);
  ASSERT_EQ(ApplyCompressor(r, Reply(0xA9, comp_reply), settings), ReplyCheck::kApplied);
  EXPECT_EQ(r.compressor_ratio[2], 4);

  // A 20-character device name fills bytes 5..24 with no zero byte.
  const Bytes name = WriteDeviceName(7, "ABCDEFGHIJKLMNOPQRSTUVWX");
  EXPECT_EQ(std::string(name.begin() + 5, name.begin() + 25), "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(name[3], 7);
  const Bytes short_name = WriteDeviceName(7, "Hall");
  EXPECT_EQ(Payload(short_name),
            (Bytes{'H', 'a', 'l', 'l', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // The matrix reply's "ignore" bit leaves the record as it was.
  DeviceRecord m = Device();
  Bytes row(19, 0);
  row[0] = 1;
  row[1] = 0x00;
  row[2] = 0x01;
  PutU16(row, 3, 55);
  EXPECT_EQ(ApplyMatrixRow(m, Reply(0x90, row)), ReplyCheck::kIgnored);
  EXPECT_TRUE(Answered(ReplyCheck::kIgnored));
  EXPECT_EQ(m.router, Device().router);
  EXPECT_EQ(m.router_enable, Device().router_enable);
  row[2] = 0x00;
  row[1] = 0x02;  // route 1 -> 1 off
  ASSERT_EQ(ApplyMatrixRow(m, Reply(0x90, row)), ReplyCheck::kApplied);
  EXPECT_EQ(m.router[1][0], 55);
  EXPECT_TRUE(m.router_enable[1][0]);
  EXPECT_FALSE(m.router_enable[1][1]);

  // A preset name without a zero byte stores its first 19 characters.
  Bytes preset(21, 0);
  preset[0] = 5;
  for (int i = 0; i < 20; ++i) preset[1 + i] = static_cast<std::uint8_t>('a' + i);
  ASSERT_EQ(ApplyPresetName(r, Reply(0xD7, preset), 5), ReplyCheck::kApplied);
  EXPECT_EQ(r.PresetName(5), "abcdefghijklmnopqrs");
}

TEST(Catalogue, FilterShapeByteForEveryValidPair) {
  for (const FilterShape shape : kFilterShapes) {
    for (int filter : {kHighPass, kLowPass}) {
      for (bool enabled : {true, false}) {
        SCOPED_TRACE(::testing::Message() << "type " << shape.type << " slope " << shape.slope
                                          << " filter " << filter << " enabled " << enabled);
        DeviceRecord r = Device();
        r.SetFilterType(1, 3, filter, shape.type);
        r.SetFilterSlope(1, 3, filter, shape.slope);
        r.SetFilterEnable(1, 3, filter, enabled);
        r.SetFilterFrequence(1, 3, filter, 1234);
        const Bytes frame = filter == kHighPass ? *WriteHighPass(r, 3) : *WriteLowPass(r, 3);
        const std::uint8_t byte = frame[8];
        const int t = shape.type, s = shape.slope;
        const int expected = t == 2 && enabled
                                 ? (filter == kHighPass ? (t << 4) | s : (t << 4) | (s - 1))
                                 : (t << 4) | (s << 1) | (filter == kHighPass ? 1 : 0);
        EXPECT_EQ(byte, expected);
        EXPECT_EQ(Payload(frame), (Bytes{enabled, 0x0A, 3, byte, 0xD2, 0x04}));

        // What the device reports back for such a byte is read as the same pair;
        // a disabled type 2 has the other layout, which reads as type 2 only.
        DeviceRecord back = Device();
        ASSERT_EQ(ApplyOutputFilter(back, Reply(0xA2, {0, 3, 1, byte, 0xD2, 0x04}), filter),
                  ReplyCheck::kApplied);
        EXPECT_EQ(back.FilterType(1, 3, filter), shape.type);
        if (shape.type != 2 || enabled) {
          EXPECT_EQ(back.FilterSlope(1, 3, filter), shape.slope);
        }
        EXPECT_TRUE(back.FilterEnable(1, 3, filter));
        EXPECT_EQ(back.FilterFrequence(1, 3, filter), 1234);
      }
    }
  }
  EXPECT_EQ(DecodeFilterShape(0xFF).type, 0);
  EXPECT_EQ(DecodeFilterShape(0xFF).slope, 0);
}

TEST(Catalogue, OffsetsAndWideValuesAreCutToTheirFields) {
  ProgramSettings s;
  s.config_noisegate_offset = 0x10;
  s.config_limit_offset = 3;
  s.config_drc_offset = 2;
  s.config_pink_noise_volume = 0x1FF;
  s.config_pink_noise_address = 0x12345678;
  s.config_pink_noise_size = 0x00ABCDEF;
  DeviceRecord r = Device();
  r.noise_gate_start_gate[1] = -50;    // -50 + 16 + 200 = 166
  r.noise_gate_release_gate[1] = 100;  // 316 -> 0x3C
  r.noise_gate_enable[1] = true;
  EXPECT_EQ(Payload(*WriteNoiseGate(r, 1, s)), (Bytes{1, 1, 166, 0x3C, 0xFF}));
  ASSERT_EQ(ApplyNoiseGate(r, Reply(0x83, {1, 0, 166, 0x3C}), s), ReplyCheck::kApplied);
  EXPECT_EQ(r.noise_gate_start_gate[1], -50);
  EXPECT_EQ(r.noise_gate_release_gate[1], 0x3C - 16 - 200);
  EXPECT_FALSE(r.noise_gate_enable[1]);

  r.limit_start_gate[4] = -10;
  r.limit_release_time[4] = 0x1234;
  r.limit_enable[4] = true;
  EXPECT_EQ(Payload(*WriteLimiter(r, 4, s)), (Bytes{0x0A, 1, 1 << 4, 193, 0x34, 0}));
  ASSERT_EQ(ApplyLimiter(r, Reply(0xA6, {4, 1, 0xF6 /* -10 */, 0x88, 0x13}), s),
            ReplyCheck::kApplied);
  EXPECT_EQ(r.limit_start_gate[4], -13);
  EXPECT_EQ(r.limit_release_time[4], 5000);

  r.compressor_start_gate[0] = -200;   // 200 - 20 = 180
  r.compressor_start_time[0] = 70000;  // cut to 16 bits: 0x1170
  const Bytes comp = *WriteCompressor(r, 0, s);
  EXPECT_EQ(comp[12] | comp[13] << 8, 180);
  EXPECT_EQ(comp[8] | comp[9] << 8, 70000 & 0xFFFF);
  r.compressor_start_gate[0] = 500;  // s16 -520
  const Bytes negative = *WriteCompressor(r, 0, s);
  EXPECT_EQ(static_cast<std::int16_t>(negative[12] | negative[13] << 8), -520);

  r.router_enable[0][1] = true;
  r.router[0][1] = 0x1FF;
  const Bytes row = *WriteMatrixRow(r, 0);
  EXPECT_EQ(row[6], 0xFD);  // every route but 0 -> 1 switched off
  EXPECT_EQ(row[7], 0x80);
  EXPECT_EQ(row[10], 0xFF);
  EXPECT_EQ(row[8], 0);  // route 0 -> 0 off: level not sent

  EXPECT_EQ(Payload(*PinkNoise(9, 6, true, s)),
            (Bytes{1 << 6, 1, 3, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x00, 0xAB, 0xCD, 0xEF}));
  EXPECT_EQ((*PinkNoise(9, 6, false, s))[6], 0);
}

TEST(Catalogue, AllOutputFormsCarryEveryOutputOfTheDevice) {
  DeviceRecord r(2, std::nullopt, 2, 3, "dev");
  for (int i = 0; i < 8; ++i) {
    r.mute[1][i] = true;
    r.polarity[1][i] = true;
    r.delay_enable[1][i] = true;
    r.delay[1][i] = 100 + i;
    r.gain[1][i] = -100;
  }
  const Bytes gains = WriteGainsAllOutputs(r);
  EXPECT_EQ(Payload(gains), (Bytes{0x0A, 0x07, 0x01, 0xC6, 0x07, 0xC6, 0x07, 0xC6, 0x07, 0,   0,
                                   0,    0,    0,    0,    0,    0,    0,    0,    0x04, 0x00}));
  EXPECT_EQ(Payload(WriteDelayAllOutputs(r)),
            (Bytes{0x0A, 0x07, 100, 0, 101, 0, 102, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Payload(WritePolarityAllOutputs(r)),
            (Bytes{0x07, 0x0A, 0xB4, 0xB4, 0xB4, 0, 0, 0, 0, 0}));
  // Two inputs: one remaining slot carries 0x0550.
  const Bytes one = *WriteGainsOneInput(r, 1);
  EXPECT_EQ(one[10] | one[11] << 8, 0x0550);
  EXPECT_EQ(one[12] | one[13] << 8, 0);

  // ReadOutputGains, both formats.
  Bytes payload(19, 0);
  payload[1] = 0x05;  // outputs 0 and 2 muted
  payload[2] = 0x01;
  PutU16(payload, 3, 1400);
  DeviceRecord g = Device();
  ASSERT_EQ(ApplyOutputGains(g, Reply(0xA0, payload)), ReplyCheck::kApplied);
  EXPECT_EQ(g.gain[1][0], -6000);
  EXPECT_TRUE(g.mute[1][0]);
  EXPECT_FALSE(g.mute[1][1]);
  EXPECT_TRUE(g.mute[1][2]);
  payload[2] = 0x00;
  payload[3] = 90;
  ASSERT_EQ(ApplyOutputGains(g, Reply(0xA0, payload)), ReplyCheck::kApplied);
  EXPECT_EQ(g.gain[1][0], -640);
}

TEST(Catalogue, IndicesOutsideTheTablesAreNeverSent) {
  const DeviceRecord r = Device();
  const ProgramSettings s;
  EXPECT_FALSE(WriteGains(r, 0, 8));
  EXPECT_FALSE(WriteDelay(r, 0, -1));
  EXPECT_FALSE(WritePolarity(r, 0, 100));
  EXPECT_FALSE(WriteMatrixRow(r, 8));
  EXPECT_FALSE(WriteEqBand(r, 0, 0, 31));
  EXPECT_FALSE(WriteEqBand(r, 2, 0, 0));
  EXPECT_FALSE(WriteNoiseGate(r, 8, s));
  EXPECT_FALSE(WriteHighPass(r, 9));
  EXPECT_FALSE(WriteLimiter(r, 127, s));  // a channel field of the timer id can be this wide
  EXPECT_FALSE(WriteCompressor(r, 8, s));
  EXPECT_FALSE(PinkNoise(1, 8, true, s));
  EXPECT_FALSE(WritePresetName(r, 17));
  EXPECT_FALSE(StorePreset(1, -1));
  EXPECT_FALSE(RecallPreset(1, 17));
  // The output forms do not depend on the channel.
  EXPECT_TRUE(WriteGains(r, 1, 100));
}

TEST(Catalogue, RepliesWithAnotherOpcodeOrLengthLeaveTheRecord) {
  const ProgramSettings s;
  DeviceRecord r = Device();
  const DeviceRecord before = r;
  EXPECT_EQ(ApplyInputDelay(r, Reply(0xA3, {0, 1, 5, 0})), ReplyCheck::kWrongOpcode);
  EXPECT_EQ(ApplyInputDelay(r, Reply(0x84, {0, 1, 5, 0, 0})), ReplyCheck::kWrongLength);
  EXPECT_EQ(ApplyInputEq(r, Reply(0x81, Bytes(150, 1)), 0), ReplyCheck::kWrongLength);
  EXPECT_EQ(ApplyCompressor(r, Reply(0xA9, Bytes(12, 1)), s), ReplyCheck::kWrongLength);
  EXPECT_EQ(ApplyPresetName(r, Reply(0xD7, Bytes(20, 'a')), 0), ReplyCheck::kWrongLength);
  EXPECT_EQ(ApplyOutputPolarity(r, Bytes{0xA5, 0x09}), ReplyCheck::kWrongLength);
  EXPECT_EQ(ApplyOutputPolarity(r, Bytes{}), ReplyCheck::kWrongLength);
  // A length byte promising more than arrived is never read past the end.
  Bytes cut = Reply(0x85, {0, 0, 1});
  cut.pop_back();
  EXPECT_EQ(ApplyInputPolarity(r, cut), ReplyCheck::kWrongLength);
  EXPECT_FALSE(Answered(ReplyCheck::kWrongLength));
  EXPECT_EQ(r.delay, before.delay);
  EXPECT_EQ(r.equalizer_gain, before.equalizer_gain);
  EXPECT_EQ(r.polarity, before.polarity);
  EXPECT_EQ(r.compressor_ratio, before.compressor_ratio);

  // Delays and polarity fill the channel their reply names.
  ASSERT_EQ(ApplyOutputDelay(r, Reply(0xA3, {5, 1, 0x10, 0x27})), ReplyCheck::kApplied);
  EXPECT_EQ(r.delay[1][5], 10000);
  EXPECT_TRUE(r.delay_enable[1][5]);
  ASSERT_EQ(ApplyInputPolarity(r, Reply(0x85, {6, 0, 1})), ReplyCheck::kApplied);
  EXPECT_TRUE(r.polarity[0][6]);
  // A channel byte outside the tables is accepted and changes nothing.
  ASSERT_EQ(ApplyInputPolarity(r, Reply(0x85, {200, 0, 1})), ReplyCheck::kApplied);
}

TEST(Catalogue, ScanRepliesAndStatus) {
  Bytes identity =
      CommandFrame(FrameClass::kScan, 0xFF, 0xE2).Raw(Bytes{1, 2, 3, 4, 5, 6, 7, 8}).Finish();
  EXPECT_EQ(ParseScanIdentity(identity), (ChipId{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_FALSE(ParseScanIdentity(ScanCollision()));
  EXPECT_TRUE(IsScanCollision(MakeScanCollisionReply()));

  const ChipId chip{9, 8, 7, 6, 5, 4, 3, 2};
  EXPECT_EQ(Payload(AssignAddress(3, chip)), (Bytes{3, 9, 8, 7, 6, 5, 4, 3, 2}));

  Bytes assigned(23, 0);
  assigned[0] = 2;
  const std::string name = "Front of house";
  std::copy(name.begin(), name.end(), assigned.begin() + 1);
  assigned[21] = 4;
  assigned[22] = 6;
  const auto a =
      ParseAddressAssigned(CommandFrame(FrameClass::kScan, 0xFF, 0xE5).Raw(assigned).Finish());
  ASSERT_TRUE(a);
  EXPECT_EQ(a->address, 2);
  EXPECT_EQ(a->name, name);
  EXPECT_EQ(a->inputs, 4);
  EXPECT_EQ(a->outputs, 6);

  DeviceRecord r(1, std::nullopt, 2, 1, "dev");
  const StatusReading offline = ApplyStatus(r, MakeNoAnswerStatusReply(1));
  EXPECT_EQ(offline.check, ReplyCheck::kApplied);
  EXPECT_FALSE(offline.online);
  EXPECT_FALSE(offline.energies_read);  // 13 bytes: not enough for 3 channels

  Bytes status(19, 0);  // 12 + 4 x 3 = 24 bytes in all
  status[0] = 4;        // current preset
  status[6] = 0xE8;     // input 0: 1000
  status[7] = 0x03;
  status[14] = 0x40;  // output 0: 0x42 0x0F 0x40 -> 1000000
  status[15] = 0x42;
  status[16] = 0x0F;
  const StatusReading online = ApplyStatus(r, Reply(0xD0, status));
  EXPECT_TRUE(online.online);
  EXPECT_TRUE(online.energies_read);
  EXPECT_EQ(r.current_preset, 4);
  EXPECT_EQ(r.energy[0][0], 1000);
  EXPECT_EQ(r.energy[1][0], 1000000);

  const Bytes block = Reply(0xD6, {0x00, 0x01, 0xAA, 0xBB, 0xCC});
  const auto data = EffectsBlockData(block);
  ASSERT_TRUE(data);
  EXPECT_EQ(Bytes(data->begin(), data->end()), (Bytes{0xAA, 0xBB, 0xCC}));
  EXPECT_EQ(Payload(ReadEffectsBlock(1, 0x0102)), (Bytes{0x02, 0x01, 0xFF}));
  EXPECT_EQ(Payload(ReadInputEq(1, 3, 16)), (Bytes{3, 3, 16, 31}));
  EXPECT_EQ(Payload(ReadOutputFilter(1, 2, 1)), (Bytes{2, 2, 1}));
}

TEST(Catalogue, PresetNameFrameCarriesNineteenBytesAndAZero) {
  DeviceRecord r = Device();
  r.SetPresetName(16, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  const Bytes frame = *WritePresetName(r, 16);
  EXPECT_EQ(frame[5], 16);
  EXPECT_EQ(std::string(frame.begin() + 6, frame.begin() + 25), "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(frame[25], 0);
  EXPECT_EQ(Payload(*RecallPreset(4, 0)), (Bytes{0}));
}

}  // namespace
}  // namespace velmora::protocol
