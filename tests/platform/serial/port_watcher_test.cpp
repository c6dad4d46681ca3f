#include "platform/serial/port_watcher.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"

namespace velmora {

void PrintTo(const PortChange& change, std::ostream* out) {
  *out << (change.kind == PortChange::Kind::kArrived ? "arrived " : "removed ") << change.name;
}

namespace {

using testing::ScratchDir;
using Kind = PortChange::Kind;
namespace fs = std::filesystem;

TEST(PortWatcher, ReportsEachArrivalAndRemovalOfAWatchedPortOnce) {
  // A stand-in device node in a folder of our own: a pty's number can be taken by
  // another test the moment it is freed, so a vanished pty may seem to come back.
  // Changes come in name order.
  ScratchDir dir;
  const std::string node = (dir / "ttyUSB0").string();
  dir.WriteFile("ttyUSB0", "");
  const std::string link = (dir / "by-id-adapter").string();

  PortWatcher watcher({.explicit_ports = {link, node}, .roots = {}});
  EXPECT_EQ(watcher.present(), std::set<std::string>{node}) << "present at the start: no event";
  EXPECT_TRUE(watcher.Poll().empty());

  fs::create_symlink(node, link);
  EXPECT_EQ(watcher.Poll(), (std::vector<PortChange>{{Kind::kArrived, link}}));
  EXPECT_TRUE(watcher.Poll().empty());

  fs::remove(node);  // the adapter goes, and its node with it; the link dangles
  EXPECT_EQ(watcher.Poll(),
            (std::vector<PortChange>{{Kind::kRemoved, link}, {Kind::kRemoved, node}}));
  EXPECT_TRUE(watcher.Poll().empty());
  EXPECT_TRUE(watcher.present().empty());
}

// A fake /sys and /dev with the kinds of tty a machine has.
class FakeSystem {
 public:
  FakeSystem() {
    AddTty("ttyUSB10", "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/ttyUSB10", "ftdi_sio");
    AddTty("ttyUSB2", "pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB2", "ftdi_sio");
    AddTty("ttyACM0", "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0", "cdc_acm");
    AddTty("ttyS0", "pnp0/00:01/00:01:0/00:01:0.0", "port", "4");  // the kernel's console
    AddTty("ttyS1", "platform/serial8250/serial8250:0.1", "port", "0");  // no UART behind it
    AddTty("ttyS4", "pnp0/00:02/00:02:0/00:02:0.0", "port", "4");
    AddTty("ttyAMA0", "platform/fe201000.serial", "");  // no driver bound
    AddTty("ttyUSB3", "pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/ttyUSB3", "ftdi_sio");
    fs::remove(dir_ / "dev/ttyUSB3");  // gone from /dev already
    dir_.WriteFile("sys/class/tty/tty0/dev", "4:0");  // virtual: no device
    dir_.WriteFile("dev/tty0", "");
    dir_.WriteFile("sys/class/tty/console/active", "ttyS0 tty0\n");
  }

  PortSystemRoots roots() const { return {(dir_ / "sys").string(), (dir_ / "dev").string()}; }
  std::string Dev(const char* name) const { return (dir_ / "dev" / name).string(); }

  void AddTty(const std::string& name, const std::string& device, const std::string& driver,
              const std::string& uart_type = "") {
    const fs::path device_dir = dir_ / "sys/devices" / device;
    fs::create_directories(device_dir);
    if (!driver.empty()) {
      fs::create_directories(dir_ / "sys/bus/drivers" / driver);
      fs::create_symlink(dir_ / "sys/bus/drivers" / driver, device_dir / "driver");
    }
    const fs::path tty = dir_ / "sys/class/tty" / name;
    fs::create_directories(tty);
    fs::create_symlink(device_dir, tty / "device");
    if (!uart_type.empty()) dir_.WriteFile("sys/class/tty/" + name + "/type", uart_type + "\n");
    dir_.WriteFile("dev/" + name, "");
  }

  void RemoveTty(const std::string& name) {
    fs::remove_all(dir_ / "sys/class/tty" / name);
    fs::remove(dir_ / "dev" / name);
  }

 private:
  ScratchDir dir_;
};

TEST(PortEnumeration, ListsPortsWithHardwareBehindThemUsbFirstInNaturalOrder) {
  FakeSystem system;
  EXPECT_EQ(EnumeratePorts(system.roots()),
            (std::vector<std::string>{system.Dev("ttyACM0"), system.Dev("ttyUSB2"),
                                      system.Dev("ttyUSB10"), system.Dev("ttyS4")}));
}

TEST(PortEnumeration, ExplicitPortsReplaceTheSystemsAndMissingOnesAreLeftOut) {
  FakeSystem system;
  const PortSource source{.explicit_ports = {system.Dev("ttyS1"), system.Dev("ttyUSB3")},
                          .roots = system.roots()};
  EXPECT_EQ(PresentPorts(source), std::vector<std::string>{system.Dev("ttyS1")});
}

TEST(PortWatcher, ReportsAnAdapterPluggedAndPulledInTheSystem) {
  FakeSystem system;
  PortWatcher watcher({.explicit_ports = {}, .roots = system.roots()});
  system.AddTty("ttyUSB5", "pci0000:00/0000:00:14.0/usb1/1-5/1-5:1.0/ttyUSB5", "ftdi_sio");
  EXPECT_EQ(watcher.Poll(), (std::vector<PortChange>{{Kind::kArrived, system.Dev("ttyUSB5")}}));
  system.RemoveTty("ttyUSB2");
  EXPECT_EQ(watcher.Poll(), (std::vector<PortChange>{{Kind::kRemoved, system.Dev("ttyUSB2")}}));
  EXPECT_TRUE(watcher.Poll().empty());
}

}  // namespace
}  // namespace velmora
