// velmora-cli: the scriptable front end of the console.
#include <cstring>

#include "cli/command.h"

int main(int argc, char** argv) {
  using namespace velmora::cli;
  if (argc < 2) return UsageError(nullptr, "");
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
    UsageError(nullptr, "");
    return kExitOk;
  }
  const Command* command = FindCommand(argv[1]);
  if (!command) return UsageError(nullptr, std::string("unknown command '") + argv[1] + "'");
  return command->run(argc - 1, argv + 1);
}
