#pragma once
// One velmora-cli command: its name, its usage line and its body. Later commands
// (scan, read, write, meters, settings) join the table in commands.cpp.

#include <string>
#include <vector>

namespace velmora::cli {

// Exit codes shared by the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the port could not be opened, the upload failed
inline constexpr int kExitUsage = 2;   // bad arguments

struct Command {
  const char* name;
  const char* usage;    // arguments after the name
  const char* summary;  // one line for the usage text
  int (*run)(int argc, char** argv);  // argv[0] is the command's name
};

const std::vector<Command>& Commands();

// Prints the usage text (of one command, or of all when `command` is null) to
// stderr, after `error` if there is one; returns kExitUsage.
int UsageError(const Command* command, const std::string& error);
const Command* FindCommand(const std::string& name);

int RunPorts(int argc, char** argv);
int RunSend(int argc, char** argv);
int RunMonitor(int argc, char** argv);
int RunUpload(int argc, char** argv);
int RunScan(int argc, char** argv);
int RunRead(int argc, char** argv);
int RunWrite(int argc, char** argv);
int RunMeters(int argc, char** argv);
int RunSettings(int argc, char** argv);

}  // namespace velmora::cli
