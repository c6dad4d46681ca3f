// The status reply's level model: pink noise, routing, gains and mutes.
#include <cmath>

#include "line_fixture.h"
#include "sim/levels_model.h"

namespace velmora::sim {
namespace {

using testing::Frame;
using testing::LineFixture;

class Levels : public LineFixture {
 protected:
  // dBFS of each channel from one status reply: inputs, then outputs.
  std::vector<double> Read() {
    const auto reply = Request(Frame(0xF7, 1, 0xD0, {0}));
    EXPECT_TRUE(reply);
    if (!reply) return {};
    const int channels = device().inputs() + device().outputs();
    EXPECT_EQ(reply->size(), 12u + 4u * channels);
    std::vector<double> db;
    for (int c = 0; c < channels; ++c) {
      const std::size_t at = 11 + 4 * static_cast<std::size_t>(c);
      const std::uint32_t e = (*reply)[at] | (*reply)[at + 1] << 8 | (*reply)[at + 2] << 16 |
                              static_cast<std::uint32_t>((*reply)[at + 3]) << 24;
      db.push_back(10 * std::log10(std::max<double>(e, 1) / LevelsModel::kFullScale));
    }
    return db;
  }
  double Output(const std::vector<double>& db, int j) { return db[static_cast<std::size_t>(device().inputs() + j)]; }

  void PinkNoise(int input, bool play, int volume) {
    Write(Frame(0xF9, 1, 0x01, {1 << input, play ? 1 : 0, 3, volume, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
};

TEST_F(Levels, PinkNoiseOnInputARoutedToOutput1RaisesItAndMutingOutput1DropsItToTheFloor) {
  const auto quiet = Read();
  ASSERT_FALSE(quiet.empty());
  EXPECT_LT(quiet[0], -70);
  EXPECT_LT(Output(quiet, 0), -70);

  PinkNoise(0, true, 128);  // about -6 dBFS
  const auto playing = Read();
  EXPECT_NEAR(playing[0], 20 * std::log10(128 / 255.0), 0.5);
  EXPECT_NEAR(Output(playing, 0), playing[0], 0.5);  // routed A -> 1 at unity
  EXPECT_LT(Output(playing, 1), -70);                 // not routed

  // Gains scale the output: -6 dB on the input, +3 dB on the output.
  params().inputs[0].gain = -600;
  params().outputs[0].gain = 300;
  EXPECT_NEAR(Output(Read(), 0), playing[0] - 3, 0.7);

  Bytes mute_all = testing::FixedFrame(0xF3, 1, 0x0F, 27, {{5, 0x0A}, {6, 0b1}, {7, 1}, {24, 4}});
  for (int i = 0; i < 8; ++i) {
    const int g = i == 0 ? 300 / 10 + 2000 : 2000;
    mute_all[8 + 2 * i] = static_cast<std::uint8_t>(g);
    mute_all[9 + 2 * i] = static_cast<std::uint8_t>(g >> 8);
  }
  mute_all.back() = FrameChecksum(mute_all);
  Write(mute_all);
  const auto muted = Read();
  EXPECT_LT(Output(muted, 0), -70);
  EXPECT_GT(muted[0], -7);  // the input still carries the noise

  PinkNoise(0, false, 128);
  EXPECT_LT(Read()[0], -70);
}

TEST(LevelsModel, TheFloorMovesSlowlyAndStaysLow) {
  LevelsModel model(3);
  const ParameterSet set = ParameterSet::Factory();
  double lowest = 0, highest = -200, previous = 0;
  double largest_step = 0;
  for (int s = 0; s < 60; ++s) {
    const auto e = model.Energies(set, 2, 2, static_cast<Micros>(s) * 200 * kMillis);
    const double db = 10 * std::log10(static_cast<double>(e[0]) / LevelsModel::kFullScale);
    lowest = std::min(lowest, db);
    highest = std::max(highest, db);
    if (s > 0) largest_step = std::max(largest_step, std::abs(db - previous));
    previous = db;
  }
  EXPECT_LT(highest, -70);
  EXPECT_GT(highest - lowest, 0.5);  // it moves...
  EXPECT_LT(largest_step, 1.0);      // ...slowly, from one 200 ms poll to the next
}

}  // namespace
}  // namespace velmora::sim
