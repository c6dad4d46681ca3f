#include "sim/control_commands.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <vector>

namespace velmora::sim {

namespace {
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool ParseDouble(const std::string& text, double& out) {
  try {
    std::size_t used = 0;
    out = std::stod(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

bool ParseInt(std::string_view text, long long& out) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
  return ec == std::errc{} && end == text.data() + text.size();
}

std::string Status(Line& line) {
  std::string text;
  char row[256];
  for (auto& d : line.devices()) {
    const Faults& f = d->faults();
    std::string muted;
    for (std::uint8_t op : f.muted_opcodes) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%s0x%02X", muted.empty() ? "" : ",", op);
      muted += hex;
    }
    std::snprintf(row, sizeof row,
                  "%d address=%d name=\"%s\" io=%dx%d latency=%.1fms%s drop=%.2f corrupt=%.2f "
                  "jitter=%.1fms muted=%s preset=%d\n",
                  d->number(), d->address(), d->name().c_str(), d->inputs(), d->outputs(),
                  static_cast<double>(d->latency()) / kMillis, f.unplugged ? " unplugged" : "", f.drop,
                  f.corrupt, static_cast<double>(f.jitter) / kMillis, muted.empty() ? "-" : muted.c_str(),
                  d->store().current_preset());
    text += row;
  }
  return text;
}
}  // namespace

std::string ApplyFaultSetting(Device& device, std::string_view name, std::string_view value_text) {
  Faults& f = device.faults();
  const std::string value(value_text);
  double number = 0;
  long long integer = 0;
  if (name == "drop" || name == "corrupt") {
    if (!ParseDouble(value, number) || number < 0 || number > 1)
      return std::string(name) + " takes a share between 0 and 1, not \"" + value + "\"";
    (name == "drop" ? f.drop : f.corrupt) = number;
  } else if (name == "jitter" || name == "latency") {
    if (!ParseDouble(value, number) || number < 0 || number > 10000)
      return std::string(name) + " takes milliseconds (0..10000), not \"" + value + "\"";
    const auto micros = static_cast<Micros>(number * kMillis);
    if (name == "jitter") f.jitter = micros; else device.set_latency(micros);
  } else if (name == "mute-opcode" || name == "unmute-opcode") {
    if (!ParseInt(value, integer) || integer < 0 || integer > 255)
      return std::string(name) + " takes an opcode 0..0xFF, not \"" + value + "\"";
    if (name == "mute-opcode") f.muted_opcodes.insert(static_cast<std::uint8_t>(integer));
    else f.muted_opcodes.erase(static_cast<std::uint8_t>(integer));
  } else if (name == "unplugged") {
    f.unplugged = value == "1" || value == "true" || value == "yes";
  } else {
    return "unknown fault \"" + std::string(name) + "\"";
  }
  return {};
}

ControlReply ExecuteControl(Line& line, std::string_view command) {
  const auto hash = command.find('#');
  if (hash != std::string_view::npos) command = command.substr(0, hash);
  const std::vector<std::string> w = Words(command);
  if (w.empty()) return {true, "", false};
  const std::string& verb = w[0];
  if (verb == "status") return {true, Status(line), false};
  if (verb == "quit") return {true, "bye", true};
  if (verb == "help")
    return {true,
            "unplug N | plug N | drop N SHARE | corrupt N SHARE | jitter N MS | latency N MS | "
            "mute-opcode N OP | unmute-opcode N OP | clear N | status | quit",
            false};

  const bool takes_value = verb != "unplug" && verb != "plug" && verb != "clear";
  if (w.size() != (takes_value ? 3u : 2u))
    return {false, "\"" + verb + "\" needs " + (takes_value ? "a device and a value" : "a device"), false};

  std::vector<Device*> targets;
  long long n = 0;
  if (w[1] == "all") {
    for (auto& d : line.devices()) targets.push_back(d.get());
  } else if (ParseInt(w[1], n) && line.device(static_cast<int>(n))) {
    targets.push_back(line.device(static_cast<int>(n)));
  } else {
    return {false, "no device \"" + w[1] + "\" (1.." + std::to_string(line.device_count()) + " or all)", false};
  }

  for (Device* d : targets) {
    if (verb == "unplug") d->faults().unplugged = true;
    else if (verb == "plug") d->faults().unplugged = false;
    else if (verb == "clear") d->faults() = Faults{};
    else if (std::string why = ApplyFaultSetting(*d, verb, w[2]); !why.empty()) return {false, why, false};
  }
  return {true, "ok", false};
}

}  // namespace velmora::sim
