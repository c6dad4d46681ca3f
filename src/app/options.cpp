#include "app/options.h"

namespace velmora {

ParseOutcome ParseCommandLine(const std::vector<std::string>& args) {
  ParseOutcome out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        out.error = arg + " needs a value";
        return;
      }
      into = args[++i];
    };
    if (arg == "--port") {
      std::string port;
      value(port);
      if (!port.empty()) out.line.ports.push_back(port);
    } else if (arg == "--skin") {
      value(out.line.skin_folder);
    } else if (arg == "--screenshot") {
      value(out.line.screenshot);
    } else if (arg == "--script") {
      value(out.line.script);
    } else if (arg == "--help" || arg == "-h") {
      out.line.help = true;
    } else {
      out.error = "unknown option " + arg;
    }
    if (!out.error.empty()) return out;
  }
  return out;
}

const char* UsageText() {
  return "usage: velmora [--port PATH]... [--skin DIR] [--screenshot FILE] [--script FILE]\n"
         "  --port PATH        probe only this serial port (repeatable), e.g. an emulator's line\n"
         "  --skin DIR         read layouts and images from a folder instead of skin.zip\n"
         "  --screenshot FILE  write a PNG of the main window once it is up, then exit\n"
         "  --script FILE      run a scenario script (see the README); exit with its status\n";
}

}  // namespace velmora
