#include "platform/serial/port_selection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/serial/serial_port.h"
#include "pty_pair.h"
#include "scratch_dir.h"

namespace velmora {
namespace {

using testing::PtyPair;
using testing::ScratchDir;

// Three ptys reached through links whose names sort differently from the order
// they are probed in, a title label, and the selection under test.
class PortSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& pty : ptys_) ASSERT_TRUE(pty.ok());
    std::filesystem::create_symlink(ptys_[0].slave_path(), Path("port10"));
    std::filesystem::create_symlink(ptys_[1].slave_path(), Path("port2"));
    std::filesystem::create_symlink(ptys_[2].slave_path(), Path("port3"));
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }
  std::string Title(const char* name) const { return "Velmora Console [" + Path(name) + "]"; }

  PtyPair ptys_[3];
  ScratchDir dir_;
  CSerialPort port_;
  std::string title_ = "Velmora Console";
  PortSelection selection_{port_,
                           {[this] { return title_; }, [this](const std::string& t) { title_ = t; }}};
};

TEST_F(PortSelectionTest, ProbeOpensTheFirstFoundAndKeepsThePresentSetInStringOrder) {
  CSerialPort other_program;
  ASSERT_TRUE(other_program.Open(Path("port3"), 115200));

  const ProbeReport report = selection_.ProbePorts(PortSource{
      .explicit_ports = {Path("missing"), Path("port2"), Path("port10"), Path("port3")},
      .roots = {}});

  EXPECT_EQ(report.opened, Path("port2"));
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(selection_.OpenPortName(), Path("port2"));
  EXPECT_EQ(title_, Title("port2"));
  // "port10" sorts before "port2"; the missing and the busy port are not present.
  EXPECT_EQ(selection_.present_ports(), (std::set<std::string>{Path("port10"), Path("port2")}));
  ASSERT_EQ(report.refused.size(), 2u);
  EXPECT_EQ(report.refused[0].second.error, PortError::kNoSuchPort);
  EXPECT_EQ(report.refused[1].second.error, PortError::kBusy);
}

TEST_F(PortSelectionTest, ProbeWithNothingPresentOpensNothing) {
  const ProbeReport report = selection_.ProbePorts({Path("missing")});
  EXPECT_EQ(report.opened, "");
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_TRUE(selection_.present_ports().empty());
  EXPECT_EQ(title_, "Velmora Console");
}

TEST_F(PortSelectionTest, SwitchingNeverLeavesTwoSuffixes) {
  ASSERT_TRUE(selection_.SwitchPort(Path("port2")));
  ASSERT_TRUE(selection_.SwitchPort(Path("port10")));
  EXPECT_EQ(title_, Title("port10"));
  EXPECT_EQ(selection_.OpenPortName(), Path("port10"));

  // The open port vanishes and closes itself; the next switch still drops its suffix.
  ptys_[0].CloseMaster();
  std::uint8_t buf[8];
  while (!port_.Read(buf).removed) {
  }
  EXPECT_EQ(selection_.OpenPortName(), "");
  ASSERT_TRUE(selection_.SwitchPort(Path("port3")));
  EXPECT_EQ(title_, Title("port3"));

  // A failed switch leaves no port open and no suffix.
  EXPECT_EQ(selection_.SwitchPort(Path("missing")).error, PortError::kNoSuchPort);
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(title_, "Velmora Console");
}

TEST_F(PortSelectionTest, RemovalOfThePortInUseClosesItAndDropsTheSuffix) {
  selection_.ProbePorts({Path("port2"), Path("port3")});
  ASSERT_EQ(selection_.OpenPortName(), Path("port2"));

  selection_.OnPortRemoved(Path("port3"));  // another port: nothing changes but the set
  EXPECT_TRUE(port_.IsOpen());
  EXPECT_EQ(title_, Title("port2"));
  EXPECT_EQ(selection_.present_ports(), std::set<std::string>{Path("port2")});

  selection_.OnPortRemoved(Path("port2"));
  EXPECT_FALSE(port_.IsOpen());
  EXPECT_EQ(title_, "Velmora Console");
  EXPECT_TRUE(selection_.present_ports().empty());

  selection_.OnPortArrived(Path("port10"));
  EXPECT_EQ(selection_.present_ports(), std::set<std::string>{Path("port10")});
  EXPECT_FALSE(port_.IsOpen()) << "an arrival alone opens nothing";
}

}  // namespace
}  // namespace velmora
