#include "sim/sim_config.h"

#include <charconv>
#include <sstream>

#include "sim/control_commands.h"

namespace velmora::sim {

namespace {
struct Shape { int inputs, outputs; };
constexpr Shape kDefaultShapes[] = {{8, 8}, {4, 4}, {2, 6}};

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string Trim(std::string s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool ToInt(const std::string& text, long long& out) {
  std::string_view v = text;
  int base = 10;
  if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) { v.remove_prefix(2); base = 16; }
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out, base);
  return ec == std::errc{} && end == v.data() + v.size();
}

bool ToMillis(const std::string& text, Micros& out) {
  try {
    std::size_t used = 0;
    const double ms = std::stod(text, &used);
    if (used != text.size() || ms < 0 || ms > 10000) return false;
    out = static_cast<Micros>(ms * kMillis);
    return true;
  } catch (...) {
    return false;
  }
}

std::string CheckRange(const char* what, long long v, long long lo, long long hi) {
  if (v >= lo && v <= hi) return {};
  return std::string(what) + " must be " + std::to_string(lo) + ".." + std::to_string(hi);
}

bool ParseChipId(const std::string& text, ChipId& id) {
  std::string hex;
  for (char c : text)
    if (c != ' ' && c != ':' && c != '-') hex += c;
  if (hex.size() != 16) return false;
  for (std::size_t i = 0; i < 8; ++i) {
    unsigned v = 0;
    const auto [end, ec] = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, v, 16);
    if (ec != std::errc{} || end != hex.data() + 2 * i + 2) return false;
    id[i] = static_cast<std::uint8_t>(v);
  }
  return true;
}
}  // namespace

std::vector<DeviceSetup> DefaultDevices(int count, std::uint64_t seed, Micros latency) {
  std::vector<DeviceSetup> devices;
  std::uint64_t state = seed;
  for (int i = 0; i < count; ++i) {
    DeviceSetup d;
    d.name = "DSP-" + std::to_string(i + 1);
    const std::uint64_t id = SplitMix(state);
    for (int b = 0; b < 8; ++b) d.chip_id[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(id >> (56 - 8 * b));
    d.inputs = kDefaultShapes[i % 3].inputs;
    d.outputs = kDefaultShapes[i % 3].outputs;
    d.latency = latency;
    devices.push_back(std::move(d));
  }
  return devices;
}

Result<SimConfig> ParseConfigText(const std::string& text, SimConfig base, Micros latency) {
  using R = Result<SimConfig>;
  SimConfig config = std::move(base);
  config.devices.clear();
  std::istringstream in(text);
  std::string section;
  int line_number = 0;
  std::uint64_t id_state = config.line.seed;
  auto fail = [&](const std::string& why) { return R::Fail("line " + std::to_string(line_number) + ": " + why); };

  for (std::string raw; std::getline(in, raw);) {
    ++line_number;
    std::string line = Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("a section header ends with ]");
      section = Trim(line.substr(1, line.size() - 2));
      if (section == "device") {
        DeviceSetup d;
        d.name = "DSP-" + std::to_string(config.devices.size() + 1);
        const std::uint64_t id = SplitMix(id_state);
        for (int b = 0; b < 8; ++b) d.chip_id[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(id >> (56 - 8 * b));
        d.latency = latency;
        config.devices.push_back(std::move(d));
      } else if (section != "line") {
        return fail("unknown section [" + section + "] (use [line] or [device])");
      }
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos) return fail("expected key = value");
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    long long n = 0;

    if (section == "line") {
      if (key == "seed" && ToInt(value, n)) { config.line.seed = static_cast<std::uint64_t>(n); id_state = config.line.seed; }
      else if (key == "baud" && ToInt(value, n)) {
        if (auto why = CheckRange("baud", n, 300, 4000000); !why.empty()) return fail(why);
        config.line.baud = static_cast<int>(n);
      } else if (key == "effects-blocks" && ToInt(value, n)) {
        if (auto why = CheckRange("effects-blocks", n, 0, 65535); !why.empty()) return fail(why);
        config.line.effects.block_count = static_cast<int>(n);
      } else if (key == "effects-block-size" && ToInt(value, n)) {
        if (auto why = CheckRange("effects-block-size", n, 1, 247); !why.empty()) return fail(why);
        config.line.effects.block_size = static_cast<int>(n);
      } else return fail("unknown or malformed [line] setting \"" + key + "\"");
      continue;
    }
    if (section != "device") return fail("settings belong in a [line] or [device] section");

    DeviceSetup& d = config.devices.back();
    if (key == "name") {
      if (value.empty() || value.size() > kNameLength) return fail("a name has 1..20 characters");
      d.name = value;
    } else if (key == "chip-id") {
      if (!ParseChipId(value, d.chip_id)) return fail("chip-id is 8 hexadecimal bytes");
    } else if ((key == "inputs" || key == "outputs") && ToInt(value, n)) {
      if (auto why = CheckRange(key.c_str(), n, 1, kMaxChannels); !why.empty()) return fail(why);
      (key == "inputs" ? d.inputs : d.outputs) = static_cast<int>(n);
    } else if (key == "latency") {
      if (!ToMillis(value, d.latency)) return fail("latency is 0..10000 ms");
    } else {
      // Faults share their parser with the control channel.
      Device probe(1, d, {}, 0);
      if (std::string why = ApplyFaultSetting(probe, key, value); !why.empty()) return fail(why);
      d.faults = probe.faults();
      d.latency = probe.latency();
    }
  }
  if (config.devices.empty()) return R::Fail("the file describes no [device]");
  for (std::size_t i = 0; i < config.devices.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      if (config.devices[i].chip_id == config.devices[j].chip_id)
        return R::Fail("devices " + std::to_string(j + 1) + " and " + std::to_string(i + 1) +
                       " have the same chip-id");
  return R::Ok(std::move(config));
}

std::string UsageText() {
  return "usage: velmora-sim [options]\n"
         "  --devices N          devices on the line (default 3: 8x8, 4x4, 2x6)\n"
         "  --seed S             chip ids and randomness (default 1)\n"
         "  --config FILE        describe the line in a file instead\n"
         "  --latency MS         answer latency of each device (default 3)\n"
         "  --baud N             wire speed for collision timing (default 115200)\n"
         "  --effects-blocks N   blocks in the effects image (default 64)\n"
         "  --effects-block-size N  bytes per block (default 64, at most 247)\n"
         "  --link PATH          symbolic link to the terminal, removed on exit\n"
         "  --store DIR          where uploaded images are stored\n"
         "  --log FILE           traffic log\n"
         "  --mute-opcode OP     no device answers opcode OP (repeatable)\n"
         "  --fault \"CMD N V\"    a control command applied at start (repeatable)\n"
         "  --stdin-control      read control commands from standard input; exit when it closes\n"
         "  --control PATH       read control commands from a UNIX socket\n";
}

Result<SimConfig> ParseCommandLine(int argc, const char* const* argv) {
  using R = Result<SimConfig>;
  SimConfig config;
  long long device_count = 3;
  Micros latency = 3 * kMillis;
  std::string config_file;
  std::vector<std::string> muted;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    long long n = 0;
    if (arg == "--help" || arg == "-h") { config.show_help = true; return R::Ok(config); }
    if (arg == "--stdin-control") { config.stdin_control = true; continue; }
    if (!value(v)) return R::Fail(arg == "" ? "empty argument" : "unknown option or missing value: " + arg);
    if (arg == "--devices") {
      if (!ToInt(v, n) || n < 1 || n > 32) return R::Fail("--devices takes 1..32");
      device_count = n;
    } else if (arg == "--seed") {
      if (!ToInt(v, n)) return R::Fail("--seed takes a number");
      config.line.seed = static_cast<std::uint64_t>(n);
    } else if (arg == "--latency") {
      if (!ToMillis(v, latency)) return R::Fail("--latency takes 0..10000 ms");
    } else if (arg == "--baud") {
      if (!ToInt(v, n) || n < 300 || n > 4000000) return R::Fail("--baud takes 300..4000000");
      config.line.baud = static_cast<int>(n);
    } else if (arg == "--effects-blocks") {
      if (!ToInt(v, n) || n < 0 || n > 65535) return R::Fail("--effects-blocks takes 0..65535");
      config.line.effects.block_count = static_cast<int>(n);
    } else if (arg == "--effects-block-size") {
      if (!ToInt(v, n) || n < 1 || n > 247) return R::Fail("--effects-block-size takes 1..247");
      config.line.effects.block_size = static_cast<int>(n);
    } else if (arg == "--config") config_file = v;
    else if (arg == "--link") config.link_path = v;
    else if (arg == "--control") config.control_path = v;
    else if (arg == "--log") config.log_path = v;
    else if (arg == "--store") config.store_dir = v;
    else if (arg == "--mute-opcode") {
      if (!ToInt(v, n) || n < 0 || n > 255) return R::Fail("--mute-opcode takes an opcode 0..0xFF");
      muted.push_back(v);
    } else if (arg == "--fault") config.startup_faults.push_back(v);
    else return R::Fail("unknown option: " + arg);
  }

  if (!config_file.empty()) {
    std::FILE* file = std::fopen(config_file.c_str(), "r");
    if (!file) return R::Fail("cannot read " + config_file);
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
    std::fclose(file);
    auto parsed = ParseConfigText(text, config, latency);
    if (!parsed) return R::Fail(config_file + ", " + parsed.error);
    config = std::move(*parsed.value);
  } else {
    config.devices = DefaultDevices(static_cast<int>(device_count), config.line.seed, latency);
  }
  for (const std::string& op : muted) config.startup_faults.push_back("mute-opcode all " + op);
  return R::Ok(std::move(config));
}

}  // namespace velmora::sim
