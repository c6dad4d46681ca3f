#pragma once
// The command line of the console.

#include <string>
#include <vector>

namespace velmora {

struct CommandLine {
  std::vector<std::string> ports;  // --port PATH, repeatable
  std::string skin_folder;         // --skin DIR: read the skin from a folder
  std::string screenshot;          // --screenshot FILE: picture of the main window, then exit
  std::string script;              // --script FILE: run a scenario script
  bool help = false;
};

struct ParseOutcome {
  CommandLine line;
  std::string error;  // empty when the command line is good
};

ParseOutcome ParseCommandLine(const std::vector<std::string>& args);
const char* UsageText();

}  // namespace velmora
