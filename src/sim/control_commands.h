#pragma once
// The control language of the emulator, one command per line, used on the
// control channel (stdin, UNIX socket) and by --fault at start-up:
//
//   unplug N | plug N            cut device N off the line / put it back
//   drop N SHARE                 drop that share (0..1) of its replies
//   corrupt N SHARE              send that share of replies with a bad checksum
//   jitter N MS                  add 0..MS ms to its latency
//   latency N MS                 set its latency
//   mute-opcode N OP             never answer requests with opcode OP (0xD7...)
//   unmute-opcode N OP
//   clear N                      all of its faults off
//   status                       one line per device
//   help
//
// N is the device's number on the line (1..count) or "all".

#include <string>
#include <string_view>

#include "sim/line.h"

namespace velmora::sim {

struct ControlReply {
  bool ok = true;
  std::string text;  // "ok", the status table, or the reason for an error
  bool quit = false; // "quit" was asked for
};

ControlReply ExecuteControl(Line& line, std::string_view command);

// Applies one fault setting ("drop", "0.3") to a device's faults; used by the
// control channel and the config file. Empty string on success.
std::string ApplyFaultSetting(Device& device, std::string_view name, std::string_view value);

}  // namespace velmora::sim
