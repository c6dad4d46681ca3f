#include <cstdio>

#include "cli/command.h"

namespace velmora::cli {

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"ports", "[--port P]...", "list the serial ports present, in probe order (--port: only those named)",
       &RunPorts},
      {"send", "--port P [--baud B] [--fill] HEX...",
       "send one frame and print the reply (--fill computes length and checksum)", &RunSend},
      {"monitor", "--port P [--baud B] [--hex]", "print what arrives on the line until interrupted",
       &RunMonitor},
      {"upload", "--port P [--baud B] --address N [--kind firmware|parameters] FILE",
       "send an image to one device with YMODEM and print its result code", &RunUpload},
      {"scan", "--port P [--baud B] [--time MS]",
       "find the devices on the line: address, chip id, name, inputs x outputs", &RunScan},
      {"read", "--port P [--baud B] [--time MS] --address N --out FILE.ini",
       "scan, read one device's whole parameter set and save it as a parameter file", &RunRead},
      {"write", "--port P [--baud B] [--time MS] --address N FILE.ini",
       "scan, load a parameter file and write it all to one device", &RunWrite},
      {"meters", "--port P [--baud B] [--time MS] [--count K]",
       "scan, then print every device's online state and levels (dBv) each round", &RunMeters},
      {"settings", "[--skin DIR|ZIP] [--settings-folder DIR]",
       "print the program settings the console reads from its skin and Setting.ini", &RunSettings},
  };
  return commands;
}

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (name == c.name) return &c;
  return nullptr;
}

int UsageError(const Command* command, const std::string& error) {
  if (!error.empty()) std::fprintf(stderr, "velmora-cli: %s\n", error.c_str());
  if (command) {
    std::fprintf(stderr, "usage: velmora-cli %s %s\n", command->name, command->usage);
    return kExitUsage;
  }
  std::fprintf(stderr, "usage: velmora-cli COMMAND [OPTIONS]\n\ncommands:\n");
  for (const Command& c : Commands()) {
    std::fprintf(stderr, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
  }
  std::fprintf(stderr,
               "\nP is a port name (ttyUSB0) or a path (/dev/serial/by-id/..., a pty); "
               "B defaults to 115200.\n");
  return kExitUsage;
}

}  // namespace velmora::cli
