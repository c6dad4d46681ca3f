#pragma once
// A pseudo-terminal pair for tests: the test holds the master, the code under
// test opens the slave by its path, as it would open /dev/ttyUSB0.

#include <string>

namespace velmora::testing {

class PtyPair {
 public:
  PtyPair();  // aborts the test program when no pty can be had
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int master() const { return master_; }
  const std::string& slave_path() const { return slave_path_; }
  // Closes the master: the slave side sees a hang-up, like a pulled adapter.
  void CloseMaster();

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace velmora::testing
