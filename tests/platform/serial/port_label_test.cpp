#include "platform/serial/port_label.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(PortLabel, AppendsAndCutsThePortSuffix) {
  EXPECT_EQ(WithPortSuffix("Velmora", "ttyUSB0"), "Velmora [ttyUSB0]");
  EXPECT_EQ(WithPortSuffix("", "ttyS4"), " [ttyS4]");

  struct Case {
    const char* text;
    const char* without;
  };
  const Case cases[] = {
      {"Velmora [ttyUSB0]", "Velmora"},
      {"Velmora Console [/dev/serial/by-id/usb-FTDI_FT232R-if00-port0]", "Velmora Console"},
      {"Velmora Console [/tmp/my port]", "Velmora Console"},  // a path with a space
      {"Velmora Console", "Velmora Console"},  // no suffix: the title keeps its words
      {"Velmora", "Velmora"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(WithoutPortSuffix(c.text), c.without) << c.text;

  // Any number of switches leaves exactly one suffix.
  std::string title = "Velmora Console";
  for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
    title = WithPortSuffix(WithoutPortSuffix(title), name);
  }
  EXPECT_EQ(title, "Velmora Console [ttyACM0]");
}

}  // namespace
}  // namespace velmora
