#pragma once
// Which serial ports are present. The system's enumeration lists the ttys that
// have hardware behind them: a device with a driver bound (USB and ACM adapters,
// on-board UARTs), minus serial-core ports whose UART type is unknown (the
// ttyS1..ttyS31 a PC announces whether or not a chip is there) and minus the
// kernel's active console, which is never ours to talk to devices on.
//
// Ports named explicitly (the programs' --port options, tests) replace the
// system's enumeration, so tests and CI never touch the machine's own ports.

#include <string>
#include <vector>

namespace velmora {

// Where the system's enumeration looks; a test points it at a fake tree.
struct PortSystemRoots {
  std::string sys = "/sys";
  std::string dev = "/dev";
};

// The present ports in probe order: USB adapters first, then the others, each
// group in natural order (ttyUSB2 before ttyUSB10). With the real /dev the names
// are bare (ttyUSB0); under another root they are paths into that root.
std::vector<std::string> EnumeratePorts(const PortSystemRoots& roots = {});

// Where the ports come from: the names given explicitly, or else the system.
struct PortSource {
  std::vector<std::string> explicit_ports;
  PortSystemRoots roots;
};

// The ports of `source` that exist now, in probe order: the explicit names that
// lead to a device (in the order given), or the system's enumeration.
std::vector<std::string> PresentPorts(const PortSource& source);

}  // namespace velmora
