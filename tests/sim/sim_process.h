#pragma once
// velmora-sim run as a child process for the tests: its first output line is
// the terminal's path; with --stdin-control, commands go to its standard
// input and each reply line comes back on its output.

#include <string>
#include <sys/types.h>
#include <vector>

namespace velmora::sim::testing {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args);
  ~SimProcess();  // closes its input (it exits) and reaps it
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool ok() const { return !slave_path_.empty(); }
  const std::string& slave_path() const { return slave_path_; }
  // Sends one control command and returns its reply line ("" on time-out).
  std::string Control(const std::string& command);
  // Closes the control input; returns the exit status once the child ended.
  int CloseAndWait();

 private:
  std::string ReadLine(int timeout_ms);

  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  std::string buffered_;
  std::string slave_path_;
};

}  // namespace velmora::sim::testing
