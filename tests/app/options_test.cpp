// The console's command line.
#include <gtest/gtest.h>

#include "app/options.h"

namespace velmora {
namespace {

TEST(CommandLine, PortsRepeatAndTheOtherOptionsTakeOneValue) {
  auto parsed = ParseCommandLine({"--port", "/dev/pts/3", "--skin", "skin", "--port", "/dev/ttyUSB0",
                                  "--screenshot", "shot.png", "--script", "a.vms"});
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  EXPECT_EQ(parsed.line.ports, (std::vector<std::string>{"/dev/pts/3", "/dev/ttyUSB0"}));
  EXPECT_EQ(parsed.line.skin_folder, "skin");
  EXPECT_EQ(parsed.line.screenshot, "shot.png");
  EXPECT_EQ(parsed.line.script, "a.vms");
  EXPECT_TRUE(ParseCommandLine({}).error.empty());
}

TEST(CommandLine, MistakesAreNamed) {
  EXPECT_EQ(ParseCommandLine({"--port"}).error, "--port needs a value");
  EXPECT_EQ(ParseCommandLine({"--script", ""}).error, "--script needs a value");
  EXPECT_EQ(ParseCommandLine({"--colour", "red"}).error, "unknown option --colour");
}

}  // namespace
}  // namespace velmora
